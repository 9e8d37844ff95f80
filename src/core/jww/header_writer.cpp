// JWW writer: the file header (signature, version, memo, settings and tables)
// and FileOut, which writes header, entity lists and bound images through a
// temporary file that replaces the target only when the whole file is written.
#include <algorithm>

#include "jww/archive.h"
#include "model/file_formats.h"
#include "model/jw_data.h"
#include "support/numbers.h"
#include "support/strings.h"

namespace jw {

namespace {

int32_t RgbOrZero(int32_t c) { return (c >= 0 && c <= 0xFFFFFF) ? c : 0; }

// Cleaned name, or prefix + index when nothing visible is left of it.
JwString ExtendedName(const JwString& held, const char16_t* prefix, int i) {
    JwString s = StrOutClean(held);
    if (StrNoSpace(s).empty()) return JwString(prefix) + IntStr(i);
    return s;
}

bool SegmentCountValid(int32_t n) { return n == 2 || n == 4 || n == 6 || n == 8; }

bool JwwHeaderTablesComplete(const TJwwData& d, int32_t Ver) {
    if (d.EntLgrp.size() < 16 || d.EntLay.size() < 256 || d.EntCol.size() < 10 || d.EntLtp1.size() < 8 ||
        d.EntLtp2.size() < 5 || d.EntLtp3.size() < 4 || d.EntMoj.size() < 10)
        return false;
    if (Ver >= kVerSxf && (d.EntColS.size() < 257 || d.EntLtpS.size() < 33)) return false;
    return true;
}

}  // namespace

void TJwwData::HeaderOut(ArchiveWriter& aw, int32_t Ver) {
    const TEntJwwHeader& h = Enthd;

    aw.WriteBytes("JwwData.", 8);
    aw.WriteInt(Ver);
    aw.StrOut(h.strMemo);
    aw.WriteInt(h.nZumen);
    aw.WriteInt(h.nWriteGLay);

    // Layer groups, each followed by its 16 layer states.
    for (int g = 0; g < 16; ++g) {
        const TEntJwwLayerGroup& lg = EntLgrp[g];
        aw.WriteInt(lg.anGLay);
        aw.WriteInt(lg.anWriteLay);
        aw.WriteDouble(lg.adScale);
        aw.WriteInt(lg.anGLayProtect);
        for (int l = 0; l < 16; ++l) {
            const TEntJwwLayer& ly = EntLay[g * 16 + l];
            aw.WriteInt(ly.aanLay);
            aw.WriteInt(ly.aanLayProtect);
        }
    }

    uint8_t filler[56];
    for (auto& b : filler) b = 0x20;
    aw.WriteBytes(filler, sizeof filler);

    aw.WriteInt(h.lnSunpou1);
    aw.WriteInt(h.lnSunpou2);
    aw.WriteInt(h.lnSunpou3);
    aw.WriteInt(h.lnSunpou4);
    aw.WriteInt(h.lnSunpou5);
    aw.WriteInt(0);

    // Widths in 1/100 mm below -101 exist from 6.00 on.
    aw.WriteInt((Ver <= 420 && h.nMaxDrawWid < -101) ? -101 : h.nMaxDrawWid);

    aw.WriteDouble(h.DPPrtGenten_x);
    aw.WriteDouble(h.DPPrtGenten_y);
    aw.WriteDouble(h.dPrtBairitsu);
    aw.WriteInt(h.nPrtSet);
    aw.WriteInt(h.nMemoriMode);
    aw.WriteDouble(h.dMemoriHyoujiMin);
    aw.WriteDouble(h.dMemoriX);
    aw.WriteDouble(h.dMemoriY);
    aw.WriteDouble(h.DpMemoriKjTen_x);
    aw.WriteDouble(h.DpMemoriKjTen_y);

    for (int i = 0; i < 256; ++i) aw.StrOut(StrOutClean(EntLay[i].aStrLayName));
    for (int g = 0; g < 16; ++g) aw.StrOut(StrOutClean(EntLgrp[g].aStrGLayName));

    aw.WriteDouble(h.dKageLevel);
    aw.WriteDouble(h.dKageIdo);
    aw.WriteInt(h.nKage9_15JiFlg);
    aw.WriteDouble(h.dKabeKageLevel);
    if (Ver >= 300) {
        aw.WriteDouble(h.dTenkuuZuLevel);
        aw.WriteDouble(h.dTenkuuZuEnkoR);
    }
    aw.WriteInt(h.nMMTani3D);
    aw.WriteDouble(h.dBairitsu);
    aw.WriteDouble(h.DPGenten_x);
    aw.WriteDouble(h.DPGenten_y);
    aw.WriteDouble(h.dHanniBairitsu);
    aw.WriteDouble(h.DPHanniGenten_x);
    aw.WriteDouble(h.DPHanniGenten_y);

    if (Ver > 230) {
        for (int m = 0; m < 8; ++m) {
            aw.WriteDouble(h.dZoomJumpBairitsu[m]);
            aw.WriteDouble(h.DPZoomJumpGenten_x[m]);
            aw.WriteDouble(h.DPZoomJumpGenten_y[m]);
            aw.WriteInt(h.nZoomJumpGLay[m]);
        }
        aw.WriteDouble(h.dDm11);
        aw.WriteDouble(h.dDm12);
        aw.WriteDouble(h.dDm13);
        aw.WriteInt(h.lnDm1);
        aw.WriteDouble(h.dDm21);
        aw.WriteDouble(h.dDm22);
        aw.WriteDouble(h.dMojiBG);
        aw.WriteInt(h.nMojiBG);
    } else {
        for (int m = 0; m < 4; ++m) {
            aw.WriteDouble(h.dZoomJumpBairitsu[m]);
            aw.WriteDouble(h.DPZoomJumpGenten_x[m]);
            aw.WriteDouble(h.DPZoomJumpGenten_y[m]);
        }
    }

    for (double v : h.adFukusenSuuchi) aw.WriteDouble(v);
    aw.WriteDouble(h.dRyougawaFukusenTomeDe);

    for (int i = 0; i < 10; ++i) {
        aw.WriteInt(RgbOrZero(EntCol[i].aPenColor));
        aw.WriteInt(std::clamp(EntCol[i].anPenWidth, 1, 16));
    }
    for (int i = 0; i < 10; ++i) {
        const TEntJwwColorNo& c = EntCol[i];
        aw.WriteInt(i == 0 ? 0xFFFFFF : RgbOrZero(c.aPrtPenColor));
        aw.WriteInt(std::clamp(c.anPrtPenWidth, 1, 500));
        double r = c.adPrtTenHankei;
        if (r < 0.1) r = 0.1;
        if (r > 10) r = 10;
        aw.WriteDouble(r);
    }
    const auto writeLineType = [&aw](const TEntJwwLineTypeNo& t) {
        aw.WriteInt(t.alLType);
        aw.WriteInt(t.anTokushuSenUintDot);
        aw.WriteInt(t.anTokushuSenPich);
        aw.WriteInt(t.anPrtTokushuSenPich);
    };
    for (int i = 0; i < 8; ++i) writeLineType(EntLtp1[i]);
    for (int i = 0; i < 5; ++i) {
        const TEntJwwRandomLineNo& t = EntLtp2[i];
        aw.WriteInt(t.alLType);
        aw.WriteInt(t.anRandSenWide);
        aw.WriteInt(t.anTokushuSenPich);
        aw.WriteInt(t.anPrtRandSenWide);
        aw.WriteInt(t.anPrtTokushuSenPich);
    }
    for (int i = 0; i < 4; ++i) writeLineType(EntLtp3[i]);

    aw.WriteInt(h.nDrawGamenTen);
    aw.WriteInt(h.nDrawPrtTen);
    aw.WriteInt(h.nBitMapFirstDraw);
    aw.WriteInt(h.nGyakuDraw);
    aw.WriteInt(h.nGyakuSearch);
    aw.WriteInt(h.nColorPrint);
    aw.WriteInt(h.nLayJunPrint);
    aw.WriteInt(h.nColJunPrint);
    aw.WriteInt(h.nPrtRenzoku);
    aw.WriteInt(h.nPrtKyoutsuuGray);
    if (Ver >= 600) {
        // Packed: display-only flag + 10 x resolution (1 = 300 DPI at least).
        const uint32_t dpi = static_cast<uint32_t>(h.nPrtDpi <= 0 ? 1 : h.nPrtDpi);
        aw.WriteInt(static_cast<int32_t>(static_cast<uint32_t>(h.nPrtDispOnlyNonDraw) + 10u * dpi));
    } else {
        aw.WriteInt(h.nPrtDispOnlyNonDraw);
    }

    if (Ver >= 223) {
        aw.WriteInt(h.lnDrawTime);
        aw.WriteInt(h.nEyeInit);
        aw.WriteInt(h.dEye_H_Ichi_1);
        aw.WriteInt(h.dEye_H_Ichi_2);
        aw.WriteInt(h.dEye_H_Ichi_3);
        aw.WriteDouble(h.dEye_Z_Ichi_1);
        aw.WriteDouble(h.dEye_Y_Ichi_1);
        aw.WriteDouble(h.dEye_Z_Ichi_2);
        aw.WriteDouble(h.dEye_Y_Ichi_2);
        aw.WriteDouble(h.dEye_V_Ichi_3);
    }
    if (Ver >= 225) {
        aw.WriteDouble(h.dSenNagasaSnpou);
        aw.WriteDouble(h.dBoxSunpouX);
        aw.WriteDouble(h.dBoxSunpouY);
        aw.WriteDouble(h.dEnHankeiSnpou);
    }
    if (Ver >= 230) {
        aw.WriteInt(h.nSolidNinniColor);
        aw.WriteInt(h.SolidColor);
    }

    if (Ver >= kVerSxf) {
        for (int i = 0; i < 257; ++i) {
            aw.WriteInt(EntColS[i].aPenColor);
            aw.WriteInt(EntColS[i].anPenWidth);
        }
        for (int i = 0; i < 257; ++i) {
            const TEntJwwColorExNo& c = EntColS[i];
            aw.StrOut(ExtendedName(c.astrUDColorName, u"Color_", i));
            aw.WriteInt(i <= 16 ? c.aPrtPenColor : c.aPenColor);
            aw.WriteInt(c.anPrtPenWidth);
            aw.WriteDouble(c.adPrtTenHankei);
        }
        for (int k = 0; k < 33; ++k) {
            const TEntJwwLineTypeExNo& t = EntLtpS[k];
            if (k >= 17 && !SegmentCountValid(t.anUDLTypeSegment)) {
                aw.WriteInt(static_cast<int32_t>(0xC3C3C3C3u));
                aw.WriteInt(8);
                aw.WriteInt(1);
                aw.WriteInt(8);
            } else {
                aw.WriteInt(t.alLType == 0 ? -1 : t.alLType);
                aw.WriteInt(t.anTokushuSenUintDot);
                aw.WriteInt(t.anTokushuSenPich);
                aw.WriteInt(t.anPrtTokushuSenPich);
            }
        }
        for (int k = 0; k < 33; ++k) {
            const TEntJwwLineTypeExNo& t = EntLtpS[k];
            if (k >= 17 && !SegmentCountValid(t.anUDLTypeSegment)) {
                aw.StrOut(u"LType_" + IntStr(k));
                aw.WriteInt(2);
                aw.WriteDouble(1.0);
                aw.WriteDouble(1.0);
                for (int p = 2; p < 10; ++p) aw.WriteDouble(0.0);
            } else {
                aw.StrOut(ExtendedName(t.astrUDLTypeName, u"LType_", k));
                aw.WriteInt(t.anUDLTypeSegment);
                for (double p : t.aadUDLTypePitch) aw.WriteDouble(p);
            }
        }
    }

    for (int i = 0; i < 10; ++i) {
        const TEntJwwMojiType& m = EntMoj[i];
        aw.WriteDouble(LimitSize(m.adMojiX));
        aw.WriteDouble(LimitSize(m.adMojiY));
        aw.WriteDouble(m.adMojiD);
        aw.WriteInt(m.anMojiCol);
    }
    aw.WriteDouble(LimitSize(h.dMojiSizeX));
    aw.WriteDouble(LimitSize(h.dMojiSizeY));
    aw.WriteDouble(h.dMojiKankaku);
    aw.WriteInt(h.nMojiColor);
    aw.WriteInt(h.nMojiShu);
    aw.WriteDouble(h.dMojiSeiriGyouKan);
    aw.WriteDouble(h.dMojiSeiriSuu);
    aw.WriteInt(h.nMojiKijunZureOn);
    aw.WriteDouble(h.adMojiKijunZureX0);
    aw.WriteDouble(h.adMojiKijunZureX1);
    aw.WriteDouble(h.adMojiKijunZureX2);
    aw.WriteDouble(h.adMojiKijunZureY0);
    aw.WriteDouble(h.adMojiKijunZureY1);
    aw.WriteDouble(h.adMojiKijunZureY2);
}

bool TJwwData::FileOut(const JwString& FName, int32_t Ver) {
    LastError.clear();
    Enthd.jwID = u"JwwData.";
    if (!JwwHeaderTablesComplete(*this, Ver)) {
        LastError = "header tables are incomplete";
        return false;
    }
    // Bound images follow the block definitions from 7.00 on.
    return WholeFileOut(FName, Ver, [&](ArchiveWriter& aw) { HeaderOut(aw, Ver); }, Ver >= kVerBoundImages);
}

}  // namespace jw
