// Field-by-field comparison of two drawing models, listing the differences
// with their place (doubles compared bit for bit, so NaN equals NaN).
#pragma once

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <sstream>
#include <string>
#include <vector>

#include "model/jw_data.h"
#include "support/text_encoding.h"

namespace jwt {

class ModelDiff {
public:
    std::vector<std::string> diffs;
    size_t limit = 30;

    bool Same() const { return diffs.empty(); }
    std::string Text() const {
        std::string s;
        for (const auto& d : diffs) s += d + "\n";
        return s;
    }

    void Header(const jw::TEntJwwHeader& a, const jw::TEntJwwHeader& b) {
#define ZS_F(f) Val("Enthd." #f, a.f, b.f)
#define ZS_A(f, n) \
    for (int k = 0; k < n; ++k) Val("Enthd." #f "[" + std::to_string(k) + "]", a.f[k], b.f[k])
        ZS_F(jwVer); ZS_F(strMemo); ZS_F(nZumen); ZS_F(nWriteGLay);
        ZS_F(lnSunpou1); ZS_F(lnSunpou2); ZS_F(lnSunpou3); ZS_F(lnSunpou4); ZS_F(lnSunpou5);
        ZS_F(nMaxDrawWid); ZS_F(bSenHaba100); ZS_F(nMaxDrawWidBak);
        ZS_F(DPPrtGenten_x); ZS_F(DPPrtGenten_y); ZS_F(dPrtBairitsu); ZS_F(nPrtSet); ZS_F(nMemoriMode);
        ZS_F(dMemoriHyoujiMin); ZS_F(dMemoriX); ZS_F(dMemoriY); ZS_F(DpMemoriKjTen_x); ZS_F(DpMemoriKjTen_y);
        ZS_F(dKageLevel); ZS_F(dKageIdo); ZS_F(nKage9_15JiFlg); ZS_F(dKabeKageLevel);
        ZS_F(dTenkuuZuLevel); ZS_F(dTenkuuZuEnkoR); ZS_F(nMMTani3D); ZS_F(dBairitsu);
        ZS_F(DPGenten_x); ZS_F(DPGenten_y); ZS_F(dHanniBairitsu); ZS_F(DPHanniGenten_x); ZS_F(DPHanniGenten_y);
        ZS_A(dZoomJumpBairitsu, 8); ZS_A(DPZoomJumpGenten_x, 8); ZS_A(DPZoomJumpGenten_y, 8); ZS_A(nZoomJumpGLay, 8);
        ZS_F(dDm11); ZS_F(dDm12); ZS_F(dDm13); ZS_F(lnDm1); ZS_F(dDm21); ZS_F(dDm22); ZS_F(dMojiBG); ZS_F(nMojiBG);
        ZS_A(adFukusenSuuchi, 10); ZS_F(dRyougawaFukusenTomeDe);
        ZS_F(nDrawGamenTen); ZS_F(nDrawPrtTen); ZS_F(nBitMapFirstDraw); ZS_F(nGyakuDraw); ZS_F(nGyakuSearch);
        ZS_F(nColorPrint); ZS_F(nLayJunPrint); ZS_F(nColJunPrint); ZS_F(nPrtRenzoku); ZS_F(nPrtKyoutsuuGray);
        ZS_F(nPrtDispOnlyNonDraw); ZS_F(nPrtDpi); ZS_F(lnDrawTime); ZS_F(nEyeInit);
        ZS_F(dEye_H_Ichi_1); ZS_F(dEye_H_Ichi_2); ZS_F(dEye_H_Ichi_3); ZS_F(dEye_Z_Ichi_1); ZS_F(dEye_Y_Ichi_1);
        ZS_F(dEye_Z_Ichi_2); ZS_F(dEye_Y_Ichi_2); ZS_F(dEye_V_Ichi_3);
        ZS_F(dSenNagasaSnpou); ZS_F(dBoxSunpouX); ZS_F(dBoxSunpouY); ZS_F(dEnHankeiSnpou);
        ZS_F(nSolidNinniColor); ZS_F(SolidColor); ZS_F(dMojiSizeX); ZS_F(dMojiSizeY); ZS_F(dMojiKankaku);
        ZS_F(nMojiColor); ZS_F(nMojiShu); ZS_F(dMojiSeiriGyouKan); ZS_F(dMojiSeiriSuu); ZS_F(nMojiKijunZureOn);
        ZS_F(adMojiKijunZureX0); ZS_F(adMojiKijunZureX1); ZS_F(adMojiKijunZureX2);
        ZS_F(adMojiKijunZureY0); ZS_F(adMojiKijunZureY1); ZS_F(adMojiKijunZureY2);
        ZS_F(n1); ZS_F(n2);
#undef ZS_F
#undef ZS_A
    }

    void JwsHeader(const jw::TEntJwsHeader& a, const jw::TEntJwsHeader& b) {
#define ZS_F(f) Val("Enthd." #f, a.f, b.f)
        ZS_F(jwVer); ZS_F(BasePoint_x); ZS_F(BasePoint_y);
        ZS_F(dmy01); ZS_F(dmy02); ZS_F(dmy03); ZS_F(dmy04); ZS_F(dmy05); ZS_F(dmy06);
        ZS_F(dmy11); ZS_F(dmy12); ZS_F(dmy13); ZS_F(dmy14); ZS_F(dmy15); ZS_F(dmy16);
        ZS_F(Mx1); ZS_F(My1); ZS_F(Mx2); ZS_F(My2); ZS_F(n1); ZS_F(n2);
#undef ZS_F
    }

    void Tables(const jw::TJwwData& a, const jw::TJwwData& b) {
        Size("EntLay", a.EntLay.size(), b.EntLay.size());
        for (size_t i = 0; i < std::min(a.EntLay.size(), b.EntLay.size()); ++i) {
            const std::string p = "EntLay[" + std::to_string(i) + "].";
            Val(p + "aanLay", a.EntLay[i].aanLay, b.EntLay[i].aanLay);
            Val(p + "aanLayProtect", a.EntLay[i].aanLayProtect, b.EntLay[i].aanLayProtect);
            Val(p + "aStrLayName", a.EntLay[i].aStrLayName, b.EntLay[i].aStrLayName);
        }
        Size("EntCol", a.EntCol.size(), b.EntCol.size());
        for (size_t i = 0; i < std::min(a.EntCol.size(), b.EntCol.size()); ++i) {
            const std::string p = "EntCol[" + std::to_string(i) + "].";
            const auto &x = a.EntCol[i], &y = b.EntCol[i];
            Val(p + "aPenColor", x.aPenColor, y.aPenColor);
            Val(p + "anPenWidth", x.anPenWidth, y.anPenWidth);
            Val(p + "aPrtPenColor", x.aPrtPenColor, y.aPrtPenColor);
            Val(p + "anPrtPenWidth", x.anPrtPenWidth, y.anPrtPenWidth);
            Val(p + "adPrtTenHankei", x.adPrtTenHankei, y.adPrtTenHankei);
        }
        LineTypes("EntLtp1", a.EntLtp1, b.EntLtp1);
        LineTypes("EntLtp3", a.EntLtp3, b.EntLtp3);
        Size("EntLtp2", a.EntLtp2.size(), b.EntLtp2.size());
        for (size_t i = 0; i < std::min(a.EntLtp2.size(), b.EntLtp2.size()); ++i) {
            const std::string p = "EntLtp2[" + std::to_string(i) + "].";
            const auto &x = a.EntLtp2[i], &y = b.EntLtp2[i];
            Val(p + "alLType", x.alLType, y.alLType);
            Val(p + "anRandSenWide", x.anRandSenWide, y.anRandSenWide);
            Val(p + "anTokushuSenPich", x.anTokushuSenPich, y.anTokushuSenPich);
            Val(p + "anPrtRandSenWide", x.anPrtRandSenWide, y.anPrtRandSenWide);
            Val(p + "anPrtTokushuSenPich", x.anPrtTokushuSenPich, y.anPrtTokushuSenPich);
        }
        Size("EntColS", a.EntColS.size(), b.EntColS.size());
        for (size_t i = 0; i < std::min(a.EntColS.size(), b.EntColS.size()); ++i) {
            const std::string p = "EntColS[" + std::to_string(i) + "].";
            const auto &x = a.EntColS[i], &y = b.EntColS[i];
            Val(p + "aPenColor", x.aPenColor, y.aPenColor);
            Val(p + "anPenWidth", x.anPenWidth, y.anPenWidth);
            Val(p + "astrUDColorName", x.astrUDColorName, y.astrUDColorName);
            Val(p + "aPrtPenColor", x.aPrtPenColor, y.aPrtPenColor);
            Val(p + "anPrtPenWidth", x.anPrtPenWidth, y.anPrtPenWidth);
            Val(p + "adPrtTenHankei", x.adPrtTenHankei, y.adPrtTenHankei);
        }
        Size("EntLtpS", a.EntLtpS.size(), b.EntLtpS.size());
        for (size_t i = 0; i < std::min(a.EntLtpS.size(), b.EntLtpS.size()); ++i) {
            const std::string p = "EntLtpS[" + std::to_string(i) + "].";
            const auto &x = a.EntLtpS[i], &y = b.EntLtpS[i];
            Val(p + "alLType", x.alLType, y.alLType);
            Val(p + "anTokushuSenUintDot", x.anTokushuSenUintDot, y.anTokushuSenUintDot);
            Val(p + "anTokushuSenPich", x.anTokushuSenPich, y.anTokushuSenPich);
            Val(p + "anPrtTokushuSenPich", x.anPrtTokushuSenPich, y.anPrtTokushuSenPich);
            Val(p + "astrUDLTypeName", x.astrUDLTypeName, y.astrUDLTypeName);
            Val(p + "anUDLTypeSegment", x.anUDLTypeSegment, y.anUDLTypeSegment);
            for (int k = 0; k < 10; ++k) Val(p + "pitch" + std::to_string(k), x.aadUDLTypePitch[k], y.aadUDLTypePitch[k]);
        }
    }

    void Common(const jw::TJwEntities& a, const jw::TJwEntities& b) {
        Size("EntLgrp", a.EntLgrp.size(), b.EntLgrp.size());
        for (size_t i = 0; i < std::min(a.EntLgrp.size(), b.EntLgrp.size()); ++i) {
            const std::string p = "EntLgrp[" + std::to_string(i) + "].";
            const auto &x = a.EntLgrp[i], &y = b.EntLgrp[i];
            Val(p + "anGLay", x.anGLay, y.anGLay);
            Val(p + "anWriteLay", x.anWriteLay, y.anWriteLay);
            Val(p + "adScale", x.adScale, y.adScale);
            Val(p + "anGLayProtect", x.anGLayProtect, y.anGLayProtect);
            Val(p + "aStrGLayName", x.aStrGLayName, y.aStrGLayName);
        }
        Size("EntMoj", a.EntMoj.size(), b.EntMoj.size());
        for (size_t i = 0; i < std::min(a.EntMoj.size(), b.EntMoj.size()); ++i) {
            const std::string p = "EntMoj[" + std::to_string(i) + "].";
            Val(p + "adMojiX", a.EntMoj[i].adMojiX, b.EntMoj[i].adMojiX);
            Val(p + "adMojiY", a.EntMoj[i].adMojiY, b.EntMoj[i].adMojiY);
            Val(p + "adMojiD", a.EntMoj[i].adMojiD, b.EntMoj[i].adMojiD);
            Val(p + "anMojiCol", a.EntMoj[i].anMojiCol, b.EntMoj[i].anMojiCol);
        }
        Val("MojiEncode", a.MojiEncode, b.MojiEncode);
        Val("EntBlockNum", a.EntBlockNum, b.EntBlockNum);
        Val("EntBlockTreeN", a.EntBlockTreeN, b.EntBlockTreeN);
        Entities("", a.EntNo, b.EntNo, a.Hd().n1, b.Hd().n1, a.EntLine, b.EntLine, a.EntLineN, b.EntLineN,
                 a.EntEnko, b.EntEnko, a.EntEnkoN, b.EntEnkoN, a.EntTen, b.EntTen, a.EntTenN, b.EntTenN, a.EntMoji,
                 b.EntMoji, a.EntMojiN, b.EntMojiN, a.EntSunpo, b.EntSunpo, a.EntSunpoN, b.EntSunpoN, a.EntSolid,
                 b.EntSolid, a.EntSolidN, b.EntSolidN, a.EntBlock, b.EntBlock, a.EntBlockN, b.EntBlockN);
        Val("EntBlockDefN", a.EntBlockDefN, b.EntBlockDefN);
        for (int i = 0; i < std::min(a.EntBlockDefN, b.EntBlockDefN); ++i) {
            const auto &x = a.EntBlockDef[i], &y = b.EntBlockDef[i];
            const std::string p = "EntBlockDef[" + std::to_string(i) + "].";
            Raw(p + "fixed", &x.Fixed(), &y.Fixed(), sizeof(jw::TEntJwwBlockDefFixed));
            Val(p + "strName", x.strName, y.strName);
            Val(p + "ref_flag", x.ref_flag, y.ref_flag);
            Val(p + "ref_no", x.ref_no, y.ref_no);
            Entities(p, x.mNo, y.mNo, x.N, y.N, x.mLine, y.mLine, x.mLineN, y.mLineN, x.mEnko, y.mEnko, x.mEnkoN,
                     y.mEnkoN, x.mTen, y.mTen, x.mTenN, y.mTenN, x.mMoji, y.mMoji, x.mMojiN, y.mMojiN, x.mSunpo,
                     y.mSunpo, x.mSunpoN, y.mSunpoN, x.mSolid, y.mSolid, x.mSolidN, y.mSolidN, x.mBlock, y.mBlock,
                     x.mBlockN, y.mBlockN);
        }
        Val("BindImageN", a.BindImageN, b.BindImageN);
        for (int i = 0; i < std::min(a.BindImageN, b.BindImageN); ++i) {
            Val("BindImage[" + std::to_string(i) + "].Fname", a.BindImage[i].Fname, b.BindImage[i].Fname);
            Val("BindImage[" + std::to_string(i) + "].Fsize", a.BindImage[i].Fsize, b.BindImage[i].Fsize);
        }
    }

    void Jww(const jw::TJwwData& a, const jw::TJwwData& b) {
        Header(a.Enthd, b.Enthd);
        Tables(a, b);
        Common(a, b);
    }
    void Jws(const jw::TJwsData& a, const jw::TJwsData& b) {
        JwsHeader(a.Enthd, b.Enthd);
        Common(a, b);
    }

    template <class T>
    void LineTypes(const std::string& name, const std::vector<T>& a, const std::vector<T>& b) {
        Size(name, a.size(), b.size());
        for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
            const std::string p = name + "[" + std::to_string(i) + "].";
            Val(p + "alLType", a[i].alLType, b[i].alLType);
            Val(p + "anTokushuSenUintDot", a[i].anTokushuSenUintDot, b[i].anTokushuSenUintDot);
            Val(p + "anTokushuSenPich", a[i].anTokushuSenPich, b[i].anTokushuSenPich);
            Val(p + "anPrtTokushuSenPich", a[i].anPrtTokushuSenPich, b[i].anPrtTokushuSenPich);
        }
    }

    void Add(const std::string& s) {
        if (diffs.size() < limit) diffs.push_back(s);
        else if (diffs.size() == limit) diffs.push_back("...");
    }

private:
    template <class T>
    void Val(const std::string& what, const T& a, const T& b) {
        if constexpr (std::is_same_v<T, double>) {
            if (std::memcmp(&a, &b, sizeof a) != 0) Add(what + ": " + Show(a) + " / " + Show(b));
        } else if constexpr (std::is_same_v<T, jw::JwString>) {
            if (a != b) Add(what + ": \"" + jw::ToUtf8(a) + "\" / \"" + jw::ToUtf8(b) + "\"");
        } else {
            if (a != b) Add(what + ": " + std::to_string(a) + " / " + std::to_string(b));
        }
    }
    static std::string Show(double d) {
        std::ostringstream o;
        o.precision(17);
        o << d;
        return o.str();
    }
    void Size(const std::string& what, size_t a, size_t b) {
        if (a != b) Add(what + " size: " + std::to_string(a) + " / " + std::to_string(b));
    }
    void Raw(const std::string& what, const void* a, const void* b, size_t n) {
        if (std::memcmp(a, b, n) == 0) return;
        const auto* x = static_cast<const uint8_t*>(a);
        const auto* y = static_cast<const uint8_t*>(b);
        size_t k = 0;
        while (x[k] == y[k]) ++k;
        Add(what + ": differs at byte " + std::to_string(k) + " (" + std::to_string(x[k]) + " / " +
            std::to_string(y[k]) + ")");
    }
    void Moji(const std::string& p, const jw::TEntJwwMoji& a, const jw::TEntJwwMoji& b) {
        Raw(p + "fixed", static_cast<const jw::TEntJwwMojiFixed*>(&a), static_cast<const jw::TEntJwwMojiFixed*>(&b),
            sizeof(jw::TEntJwwMojiFixed));
        Val(p + "strFontName", a.strFontName, b.strFontName);
        Val(p + "str", a.str, b.str);
    }
    void Sunpo(const std::string& p, const jw::TEntJwwSunpo& a, const jw::TEntJwwSunpo& b) {
        Raw(p + "att", &a.att, &b.att, sizeof a.att);
        Raw(p + "Sen", &a.Sen, &b.Sen, sizeof a.Sen);
        Moji(p + "Moji.", a.Moji, b.Moji);
        Val(p + "bSxfMode", int(a.bSxfMode), int(b.bSxfMode));
        Raw(p + "Ho1", &a.Ho1, &b.Ho1, sizeof a.Ho1);
        Raw(p + "Ho2", &a.Ho2, &b.Ho2, sizeof a.Ho2);
        Raw(p + "Te1", &a.Te1, &b.Te1, sizeof a.Te1);
        Raw(p + "Te2", &a.Te2, &b.Te2, sizeof a.Te2);
        Raw(p + "Kt1", &a.Kt1, &b.Kt1, sizeof a.Kt1);
        Raw(p + "Kt2", &a.Kt2, &b.Kt2, sizeof a.Kt2);
    }
    template <class T>
    void Records(const std::string& p, const std::vector<T>& a, const std::vector<T>& b, int32_t an, int32_t bn) {
        Val(p + "N", an, bn);
        const size_t n = std::min({static_cast<size_t>(std::max(std::min(an, bn), 0)), a.size(), b.size()}, std::less<size_t>());
        for (size_t i = 0; i < n; ++i) {
            const std::string q = p + "[" + std::to_string(i) + "].";
            if constexpr (std::is_same_v<T, jw::TEntJwwMoji>) Moji(q, a[i], b[i]);
            else if constexpr (std::is_same_v<T, jw::TEntJwwSunpo>) Sunpo(q, a[i], b[i]);
            else Raw(q, &a[i], &b[i], sizeof(T));
        }
    }
    template <class... R>
    void Entities(const std::string& p, const std::vector<jw::TEntJwwNo>& an, const std::vector<jw::TEntJwwNo>& bn,
                  int32_t n1a, int32_t n1b, const R&... rest) {
        Val(p + "order count", n1a, n1b);
        const size_t n = std::min({static_cast<size_t>(std::max(std::min(n1a, n1b), 0)), an.size(), bn.size()},
                                  std::less<size_t>());
        for (size_t i = 0; i < n; ++i) {
            if (an[i].EntType != bn[i].EntType || an[i].EntNo != bn[i].EntNo) {
                Add(p + "order[" + std::to_string(i) + "]: " + std::to_string(an[i].EntType) + "," +
                    std::to_string(an[i].EntNo) + " / " + std::to_string(bn[i].EntType) + "," +
                    std::to_string(bn[i].EntNo));
                break;
            }
        }
        Kinds(p, rest...);
    }
    void Kinds(const std::string&) {}
    template <class T, class... R>
    void Kinds(const std::string& p, const std::vector<T>& a, const std::vector<T>& b, const int32_t& an,
               const int32_t& bn, const R&... rest) {
        Records(p + KindName<T>(), a, b, an, bn);
        Kinds(p, rest...);
    }
    template <class T>
    static const char* KindName() {
        if constexpr (std::is_same_v<T, jw::TEntJwwLine>) return "Line";
        else if constexpr (std::is_same_v<T, jw::TEntJwwEnko>) return "Enko";
        else if constexpr (std::is_same_v<T, jw::TEntJwwTen>) return "Ten";
        else if constexpr (std::is_same_v<T, jw::TEntJwwMoji>) return "Moji";
        else if constexpr (std::is_same_v<T, jw::TEntJwwSunpo>) return "Sunpo";
        else if constexpr (std::is_same_v<T, jw::TEntJwwSolid>) return "Solid";
        else return "Block";
    }
};

}  // namespace jwt
