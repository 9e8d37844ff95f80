// JWW header: HeaderIn (the settings and tables in front of the entity list of
// every version from 2.20 to 7.00), FileCheck and FileHeaderIn.
#include <cstring>
#include <string>

#include "jww/archive.h"
#include "model/jw_data.h"
#include "support/numbers.h"
#include "support/text_encoding.h"

namespace jw {

namespace {

void RepairTextSize(double& x, double& y, double& d) {
    if (!IsFiniteNum(x)) x = 3.0;
    if (!IsFiniteNum(y)) y = 3.0;
    if (!IsFiniteNum(d)) d = 0.0;
}

}  // namespace

bool TJwwData::HeaderIn(ArchiveReader& ar) {
    TEntJwwHeader& h = Enthd;
    SizeHeaderTables();
    try {
        // 1-2: signature and version.
        uint8_t sig[8];
        ar.Read(sig, sizeof sig);
        h.jwID = AnsiBytesStr(sig, sizeof sig);
        if (h.jwID != u"JwwData.") throw JwIOError(kErrJwwHeader);
        h.jwVer = ar.ReadInt();
        if (h.jwVer < 220 || h.jwVer > 700) throw JwIOError(kErrJwwVersion);
        const int32_t v = h.jwVer;
        ar.version = v;

        // 3-5
        h.strMemo = ar.StrIn();
        h.nZumen = ar.ReadInt();
        h.nWriteGLay = ar.ReadInt();
        // 6: layer group and layer states.
        for (int g = 0; g < 16; ++g) {
            TEntJwwLayerGroup& lg = EntLgrp[g];
            lg.anGLay = ar.ReadInt();
            lg.anWriteLay = ar.ReadInt();
            lg.adScale = ar.ReadDouble();
            lg.anGLayProtect = ar.ReadInt();
            for (int l = 0; l < 16; ++l) {
                TEntJwwLayer& ly = EntLay[g * 16 + l];
                ly.aanLay = ar.ReadInt();
                ly.aanLayProtect = ar.ReadInt();
            }
        }
        // 7-10
        ar.Skip(56);
        h.lnSunpou1 = ar.ReadInt();
        h.lnSunpou2 = ar.ReadInt();
        h.lnSunpou3 = ar.ReadInt();
        h.lnSunpou4 = ar.ReadInt();
        h.lnSunpou5 = ar.ReadInt();
        ar.Skip(4);
        h.nMaxDrawWid = ar.ReadInt();
        h.nMaxDrawWidBak = h.nMaxDrawWid;
        h.bSenHaba100 = false;
        if (h.nMaxDrawWid <= -101) {
            h.bSenHaba100 = true;
            if (h.nMaxDrawWid >= -500 && h.nMaxDrawWid <= -401)
                h.nMaxDrawWidBak = h.nMaxDrawWid + 400;
            else if (h.nMaxDrawWid >= -300 && h.nMaxDrawWid <= -201)
                h.nMaxDrawWidBak = -h.nMaxDrawWid - 200;
            else
                h.nMaxDrawWidBak = -100;
        }
        // 11-13
        h.DPPrtGenten_x = ar.ReadDouble();
        h.DPPrtGenten_y = ar.ReadDouble();
        h.dPrtBairitsu = ar.ReadDouble();
        h.nPrtSet = ar.ReadInt();
        h.nMemoriMode = ar.ReadInt();
        h.dMemoriHyoujiMin = ar.ReadDouble();
        h.dMemoriX = ar.ReadDouble();
        h.dMemoriY = ar.ReadDouble();
        h.DpMemoriKjTen_x = ar.ReadDouble();
        h.DpMemoriKjTen_y = ar.ReadDouble();
        // 14-15: layer and layer group names.
        for (int i = 0; i < 256; ++i) EntLay[i].aStrLayName = ar.StrInFilter();
        for (int g = 0; g < 16; ++g) EntLgrp[g].aStrGLayName = ar.StrInFilter();
        // 16-18
        h.dKageLevel = ar.ReadDouble();
        h.dKageIdo = ar.ReadDouble();
        h.nKage9_15JiFlg = ar.ReadInt();
        h.dKabeKageLevel = ar.ReadDouble();
        if (v >= 300) {
            h.dTenkuuZuLevel = ar.ReadDouble();
            h.dTenkuuZuEnkoR = ar.ReadDouble();
        }
        h.nMMTani3D = ar.ReadInt();
        // 19
        h.dBairitsu = ar.ReadDouble();
        h.DPGenten_x = ar.ReadDouble();
        h.DPGenten_y = ar.ReadDouble();
        h.dHanniBairitsu = ar.ReadDouble();
        h.DPHanniGenten_x = ar.ReadDouble();
        h.DPHanniGenten_y = ar.ReadDouble();
        // 20: mark jumps.
        if (v >= 231) {
            for (int m = 0; m < 8; ++m) {
                h.dZoomJumpBairitsu[m] = ar.ReadDouble();
                h.DPZoomJumpGenten_x[m] = ar.ReadDouble();
                h.DPZoomJumpGenten_y[m] = ar.ReadDouble();
                h.nZoomJumpGLay[m] = ar.ReadInt();
            }
            h.dDm11 = ar.ReadDouble();
            h.dDm12 = ar.ReadDouble();
            h.dDm13 = ar.ReadDouble();
            h.lnDm1 = ar.ReadInt();
            h.dDm21 = ar.ReadDouble();
            h.dDm22 = ar.ReadDouble();
            h.dMojiBG = ar.ReadDouble();
            h.nMojiBG = ar.ReadInt();
        } else {
            for (int m = 0; m < 4; ++m) {
                h.dZoomJumpBairitsu[m] = ar.ReadDouble();
                h.DPZoomJumpGenten_x[m] = ar.ReadDouble();
                h.DPZoomJumpGenten_y[m] = ar.ReadDouble();
            }
        }
        // 21-22
        for (double& d : h.adFukusenSuuchi) d = ar.ReadDouble();
        h.dRyougawaFukusenTomeDe = ar.ReadDouble();
        // 23-24: pens.
        for (auto& c : EntCol) {
            c.aPenColor = ar.ReadInt();
            c.anPenWidth = ar.ReadInt();
        }
        for (auto& c : EntCol) {
            c.aPrtPenColor = ar.ReadInt();
            c.anPrtPenWidth = ar.ReadInt();
            c.adPrtTenHankei = ar.ReadDouble();
        }
        // 25-27: line types.
        for (auto& t : EntLtp1) {
            t.alLType = ar.ReadInt();
            t.anTokushuSenUintDot = ar.ReadInt();
            t.anTokushuSenPich = ar.ReadInt();
            t.anPrtTokushuSenPich = ar.ReadInt();
        }
        for (auto& r : EntLtp2) {
            r.alLType = ar.ReadInt();
            r.anRandSenWide = ar.ReadInt();
            r.anTokushuSenPich = ar.ReadInt();
            r.anPrtRandSenWide = ar.ReadInt();
            r.anPrtTokushuSenPich = ar.ReadInt();
        }
        for (auto& t : EntLtp3) {
            t.alLType = ar.ReadInt();
            t.anTokushuSenUintDot = ar.ReadInt();
            t.anTokushuSenPich = ar.ReadInt();
            t.anPrtTokushuSenPich = ar.ReadInt();
        }
        // 28-29
        h.nDrawGamenTen = ar.ReadInt();
        h.nDrawPrtTen = ar.ReadInt();
        h.nBitMapFirstDraw = ar.ReadInt();
        h.nGyakuDraw = ar.ReadInt();
        h.nGyakuSearch = ar.ReadInt();
        h.nColorPrint = ar.ReadInt();
        h.nLayJunPrint = ar.ReadInt();
        h.nColJunPrint = ar.ReadInt();
        h.nPrtRenzoku = ar.ReadInt();
        h.nPrtKyoutsuuGray = ar.ReadInt();
        const int32_t packed = ar.ReadInt();
        h.nPrtDpi = packed / 10;
        h.nPrtDispOnlyNonDraw = packed % 10;
        // 30-32
        if (v >= 223) {
            h.lnDrawTime = ar.ReadInt();
            h.nEyeInit = ar.ReadInt();
            h.dEye_H_Ichi_1 = ar.ReadInt();
            h.dEye_H_Ichi_2 = ar.ReadInt();
            h.dEye_H_Ichi_3 = ar.ReadInt();
            h.dEye_Z_Ichi_1 = ar.ReadDouble();
            h.dEye_Y_Ichi_1 = ar.ReadDouble();
            h.dEye_Z_Ichi_2 = ar.ReadDouble();
            h.dEye_Y_Ichi_2 = ar.ReadDouble();
            h.dEye_V_Ichi_3 = ar.ReadDouble();
        }
        if (v >= 225) {
            h.dSenNagasaSnpou = ar.ReadDouble();
            h.dBoxSunpouX = ar.ReadDouble();
            h.dBoxSunpouY = ar.ReadDouble();
            h.dEnHankeiSnpou = ar.ReadDouble();
        }
        if (v >= 230) {
            h.nSolidNinniColor = ar.ReadInt();
            h.SolidColor = ar.ReadInt();
        }
        // 33-36: extended SXF colours and line types.
        if (v >= 420) {
            for (auto& c : EntColS) {
                c.aPenColor = ar.ReadInt();
                c.anPenWidth = ar.ReadInt();
            }
            for (auto& c : EntColS) {
                c.astrUDColorName = ar.StrInFilter();
                c.aPrtPenColor = ar.ReadInt();
                c.anPrtPenWidth = ar.ReadInt();
                c.adPrtTenHankei = ar.ReadDouble();
            }
            for (auto& t : EntLtpS) {
                t.alLType = ar.ReadInt();
                t.anTokushuSenUintDot = ar.ReadInt();
                t.anTokushuSenPich = ar.ReadInt();
                t.anPrtTokushuSenPich = ar.ReadInt();
            }
            for (auto& t : EntLtpS) {
                t.astrUDLTypeName = ar.StrInFilter();
                t.anUDLTypeSegment = ar.ReadInt();
                for (double& d : t.aadUDLTypePitch) d = ar.ReadDouble();
            }
        }
        // 37-42: text types and text settings.
        for (auto& m : EntMoj) {
            m.adMojiX = ar.ReadDouble();
            m.adMojiY = ar.ReadDouble();
            m.adMojiD = ar.ReadDouble();
            m.anMojiCol = ar.ReadInt();
            RepairTextSize(m.adMojiX, m.adMojiY, m.adMojiD);
        }
        h.dMojiSizeX = ar.ReadDouble();
        h.dMojiSizeY = ar.ReadDouble();
        h.dMojiKankaku = ar.ReadDouble();
        RepairTextSize(h.dMojiSizeX, h.dMojiSizeY, h.dMojiKankaku);
        h.nMojiColor = ar.ReadInt();
        h.nMojiShu = ar.ReadInt();
        h.dMojiSeiriGyouKan = ar.ReadDouble();
        h.dMojiSeiriSuu = ar.ReadDouble();
        h.nMojiKijunZureOn = ar.ReadInt();
        h.adMojiKijunZureX0 = ar.ReadDouble();
        h.adMojiKijunZureX1 = ar.ReadDouble();
        h.adMojiKijunZureX2 = ar.ReadDouble();
        h.adMojiKijunZureY0 = ar.ReadDouble();
        h.adMojiKijunZureY1 = ar.ReadDouble();
        double last;
        const size_t got = ar.Read(&last, sizeof last);
        h.adMojiKijunZureY2 = last;
        if (got == 0) throw JwIOError(kErrFileIO);
    } catch (const JwIOError& e) {
        MojiEncode = MojiEncode || ar.mojiEncode;
        LastError = e.what();
        return false;
    }
    MojiEncode = MojiEncode || ar.mojiEncode;
    LastError.clear();
    return true;
}

bool TJwwData::FileCheck(const JwString& FName) const {
    FileBytes start;
    bool whole = false;
    std::string err;
    uint8_t buf[12] = {};  // bytes past the end of a short file stay zero
    if (!ReadFileStart(FName, sizeof buf, start, whole, err)) return false;
    std::memcpy(buf, start.data.get(), start.size);
    if (AnsiBytesStr(buf, 8) != u"JwwData.") return false;
    int32_t ver;
    std::memcpy(&ver, buf + 8, sizeof ver);
    return ver >= 220 && ver <= 700;
}

bool TJwwData::FileHeaderIn(const JwString& FName) {
    return HeaderFileIn(FName, [this](ArchiveReader& ar) { return HeaderIn(ar); });
}

}  // namespace jw
