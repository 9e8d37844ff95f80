// The JWW header, described once: the signature, the version and every
// setting and table in front of the entity list, in file order, with the
// versions that hold them (WalkJwwHeader). The reader (HeaderIn) and the
// writer (HeaderOut) both walk it; the forms beside it say where the file
// holds a value in another form than the model. FileCheck and FileHeaderIn
// read the header alone.
#include <algorithm>
#include <optional>
#include <utility>

#include "jww/archive.h"
#include "jww/header_io.h"
#include "model/jw_data.h"
#include "support/numbers.h"
#include "support/strings.h"

namespace jw {

namespace {

// ---- Forms ----

// nMaxDrawWid at or below this value: line widths in 1/100 mm. Files up to
// 4.20 know this one value of the mode only.
constexpr int32_t kWidthsIn100thMm = -101;

// nMaxDrawWid. The writer puts out a width of the 1/100 mm mode below -101
// as -101 for the versions without such widths; the reader derives the mode
// (bSenHaba100) and the width it stands for (nMaxDrawWidBak).
template <class Header>
struct MaxDrawWidth {
    Header& h;
    int32_t ver;

    int32_t Out(int32_t v) const { return (ver < kVerFineLineWidths && v < kWidthsIn100thMm) ? kWidthsIn100thMm : v; }
    int32_t In(int32_t v) const {
        h.nMaxDrawWidBak = v;
        h.bSenHaba100 = false;
        if (v <= kWidthsIn100thMm) {
            h.bSenHaba100 = true;
            if (v >= -500 && v <= -401)
                h.nMaxDrawWidBak = v + 400;
            else if (v >= -300 && v <= -201)
                h.nMaxDrawWidBak = -v - 200;
            else
                h.nMaxDrawWidBak = -100;
        }
        return v;
    }
};
template <class Header>
MaxDrawWidth(Header&, int32_t) -> MaxDrawWidth<Header>;

// nPrtDispOnlyNonDraw and nPrtDpi share one Integer: flag + 10 × resolution
// from 6.00 on (a resolution of 0 or less is written as 1), the flag alone
// before. The reader splits whatever it finds.
template <class Dpi>
struct PrintFlags {
    Dpi& dpi;
    int32_t ver;

    int32_t Out(int32_t flag) const {
        if (ver < kVerPrintDpi) return flag;
        const uint32_t d = static_cast<uint32_t>(dpi <= 0 ? 1 : dpi);
        return static_cast<int32_t>(static_cast<uint32_t>(flag) + 10u * d);
    }
    int32_t In(int32_t packed) const {
        dpi = packed / 10;
        return packed % 10;
    }
};
template <class Dpi>
PrintFlags(Dpi&, int32_t) -> PrintFlags<Dpi>;

// A pen colour is an RGB value: anything else is written as 0.
struct RgbColor {
    int32_t Out(int32_t c) const { return (c >= 0 && c <= 0xFFFFFF) ? c : 0; }
};

// Printer pen 0 is always written white.
struct PrinterPenColor {
    int pen;
    int32_t Out(int32_t c) const { return pen == 0 ? 0xFFFFFF : RgbColor{}.Out(c); }
};

// A value written within lo .. hi.
template <class T>
struct Clamped {
    T lo, hi;
    T Out(T v) const { return std::clamp(v, lo, hi); }
};
template <class T>
Clamped(T, T) -> Clamped<T>;

// Text widths and heights: written as their absolute value within 1e-10 ..
// 1e10; a NaN or infinite one in a file reads as 3.
struct TextSize {
    double Out(double v) const { return LimitSize(v); }
    double In(double v) const { return IsFiniteNum(v) ? v : 3.0; }
};

// Text spacings: written as held; a NaN or infinite one in a file reads as 0.
struct TextSpacing {
    double In(double v) const { return IsFiniteNum(v) ? v : 0.0; }
};

// SXF colours and line types below this index are the standard ones, the
// others the user's.
constexpr int kSxfFirstUserEntry = 17;

// The printer colour of a user's SXF colour is written as its screen colour.
template <class Color>
struct SxfPrinterColor {
    int i;
    Color& screen;
    int32_t Out(int32_t printer) const { return i < kSxfFirstUserEntry ? printer : screen; }
};
template <class Color>
SxfPrinterColor(int, Color&) -> SxfPrinterColor<Color>;

// An SXF colour or line type name: cleaned, or prefix + index when nothing
// visible is left of it.
struct SxfName {
    const char16_t* prefix;
    int i;
    JwString Out(const JwString& held) const {
        JwString s = StrOutClean(held);
        if (StrIsBlank(s)) return JwString(prefix) + IntStr(i);
        return s;
    }
};

// A user's SXF line type whose segment count is not 2, 4, 6 or 8 is written
// as the default pattern (and named by SxfName, its own name left out).
struct SxfLineTypeEntry {
    int k;
    std::optional<TEntJwwLineTypeExNo> Out(const TEntJwwLineTypeExNo& t) const {
        const int32_t n = t.anUDLTypeSegment;
        if (k < kSxfFirstUserEntry || n == 2 || n == 4 || n == 6 || n == 8) return std::nullopt;
        TEntJwwLineTypeExNo d;
        d.alLType = static_cast<int32_t>(0xC3C3C3C3u);
        d.anTokushuSenUintDot = 8;
        d.anTokushuSenPich = 1;
        d.anPrtTokushuSenPich = 8;
        d.anUDLTypeSegment = 2;
        d.aadUDLTypePitch[0] = d.aadUDLTypePitch[1] = 1.0;
        return d;
    }
};

// The pattern 0 of an SXF line type is written with all bits set.
struct SxfPattern {
    int32_t Out(int32_t v) const { return v == 0 ? -1 : v; }
};

// ---- The header ----

// Signature and version: all that FileCheck reads.
template <class Io, class Header>
void WalkJwwHead(Io& io, Header& h) {
    io.Signature(h.jwID, kJwwSignature, kErrJwwHeader);
    io.Version(h.jwVer, kJwwFirstVersion, kErrJwwVersion);
}

template <class Io, class LineType>
void WalkLineType(Io& io, LineType& t) {
    io.Fields(t.alLType, t.anTokushuSenUintDot, t.anTokushuSenPich, t.anPrtTokushuSenPich);
}

// The extended SXF colours and line types (from 4.20 on).
template <class Io, class Data>
void WalkSxfTables(Io& io, Data& d) {
    for (int i = 0; i < kColSCount; ++i) io.Fields(d.EntColS[i].aPenColor, d.EntColS[i].anPenWidth);
    for (int i = 0; i < kColSCount; ++i) {
        auto& c = d.EntColS[i];
        io.Name(c.astrUDColorName, SxfName{u"Color_", i});
        io.Field(c.aPrtPenColor, SxfPrinterColor{i, c.aPenColor});
        io.Fields(c.anPrtPenWidth, c.adPrtTenHankei);
    }
    for (int k = 0; k < kLtpSCount; ++k) {
        io.Entry(d.EntLtpS[k], SxfLineTypeEntry{k}, [&](auto& t) {
            io.Field(t.alLType, SxfPattern{});
            io.Fields(t.anTokushuSenUintDot, t.anTokushuSenPich, t.anPrtTokushuSenPich);
        });
    }
    for (int k = 0; k < kLtpSCount; ++k) {
        io.Entry(d.EntLtpS[k], SxfLineTypeEntry{k}, [&](auto& t) {
            io.Name(t.astrUDLTypeName, SxfName{u"LType_", k});
            io.Fields(t.anUDLTypeSegment);
            for (auto& p : t.aadUDLTypePitch) io.Fields(p);
        });
    }
}

// The whole header, from the signature to the last field in front of the
// entity list. Data is TJwwData, const for the writer.
template <class Io, class Data>
void WalkJwwHeader(Io& io, Data& d) {
    auto& h = d.Enthd;
    WalkJwwHead(io, h);
    io.Memo(h.strMemo);
    io.Fields(h.nZumen, h.nWriteGLay);
    // Layer groups, each followed by the states of its layers.
    for (int g = 0; g < kLgrpCount; ++g) {
        auto& lg = d.EntLgrp[g];
        io.Fields(lg.anGLay, lg.anWriteLay, lg.adScale, lg.anGLayProtect);
        for (int l = 0; l < kLayPerGroup; ++l) {
            auto& ly = d.EntLay[g * kLayPerGroup + l];
            io.Fields(ly.aanLay, ly.aanLayProtect);
        }
    }
    io.Reserved(56, 0x20);
    io.Fields(h.lnSunpou1, h.lnSunpou2, h.lnSunpou3, h.lnSunpou4, h.lnSunpou5);
    io.Reserved(4, 0);
    io.Field(h.nMaxDrawWid, MaxDrawWidth{h, io.ver});
    io.Fields(h.DPPrtGenten_x, h.DPPrtGenten_y, h.dPrtBairitsu, h.nPrtSet, h.nMemoriMode);
    io.Fields(h.dMemoriHyoujiMin, h.dMemoriX, h.dMemoriY, h.DpMemoriKjTen_x, h.DpMemoriKjTen_y);
    for (int i = 0; i < kLgrpCount * kLayPerGroup; ++i) io.Name(d.EntLay[i].aStrLayName);
    for (int g = 0; g < kLgrpCount; ++g) io.Name(d.EntLgrp[g].aStrGLayName);
    io.Fields(h.dKageLevel, h.dKageIdo, h.nKage9_15JiFlg, h.dKabeKageLevel);
    if (io.ver >= kVerSkyMap) io.Fields(h.dTenkuuZuLevel, h.dTenkuuZuEnkoR);
    io.Fields(h.nMMTani3D);
    io.Fields(h.dBairitsu, h.DPGenten_x, h.DPGenten_y, h.dHanniBairitsu, h.DPHanniGenten_x, h.DPHanniGenten_y);
    // Jump marks: eight with their layer groups and the values after them,
    // or four without.
    if (io.ver >= kVerEightJumpMarks) {
        for (int m = 0; m < 8; ++m)
            io.Fields(h.dZoomJumpBairitsu[m], h.DPZoomJumpGenten_x[m], h.DPZoomJumpGenten_y[m], h.nZoomJumpGLay[m]);
        io.Fields(h.dDm11, h.dDm12, h.dDm13, h.lnDm1, h.dDm21, h.dDm22, h.dMojiBG, h.nMojiBG);
    } else {
        for (int m = 0; m < 4; ++m) io.Fields(h.dZoomJumpBairitsu[m], h.DPZoomJumpGenten_x[m], h.DPZoomJumpGenten_y[m]);
    }
    for (auto& v : h.adFukusenSuuchi) io.Fields(v);
    io.Fields(h.dRyougawaFukusenTomeDe);
    // Screen pens, then printer pens.
    for (int i = 0; i < kColCount; ++i) {
        io.Field(d.EntCol[i].aPenColor, RgbColor{});
        io.Field(d.EntCol[i].anPenWidth, Clamped{1, 16});
    }
    for (int i = 0; i < kColCount; ++i) {
        auto& c = d.EntCol[i];
        io.Field(c.aPrtPenColor, PrinterPenColor{i});
        io.Field(c.anPrtPenWidth, Clamped{1, 500});
        io.Field(c.adPrtTenHankei, Clamped{0.1, 10.0});
    }
    // Line types, random lines, double-length line types.
    for (int i = 0; i < kLtp1Count; ++i) WalkLineType(io, d.EntLtp1[i]);
    for (int i = 0; i < kLtp2Count; ++i) {
        auto& r = d.EntLtp2[i];
        io.Fields(r.alLType, r.anRandSenWide, r.anTokushuSenPich, r.anPrtRandSenWide, r.anPrtTokushuSenPich);
    }
    for (int i = 0; i < kLtp3Count; ++i) WalkLineType(io, d.EntLtp3[i]);
    io.Fields(h.nDrawGamenTen, h.nDrawPrtTen, h.nBitMapFirstDraw, h.nGyakuDraw, h.nGyakuSearch, h.nColorPrint,
              h.nLayJunPrint, h.nColJunPrint, h.nPrtRenzoku, h.nPrtKyoutsuuGray);
    io.Field(h.nPrtDispOnlyNonDraw, PrintFlags{h.nPrtDpi, io.ver});
    if (io.ver >= kVerDrawTime) {
        io.Fields(h.lnDrawTime, h.nEyeInit, h.dEye_H_Ichi_1, h.dEye_H_Ichi_2, h.dEye_H_Ichi_3);
        io.Fields(h.dEye_Z_Ichi_1, h.dEye_Y_Ichi_1, h.dEye_Z_Ichi_2, h.dEye_Y_Ichi_2, h.dEye_V_Ichi_3);
    }
    if (io.ver >= kVerLastSizes) io.Fields(h.dSenNagasaSnpou, h.dBoxSunpouX, h.dBoxSunpouY, h.dEnHankeiSnpou);
    if (io.ver >= kVerSolidColor) io.Fields(h.nSolidNinniColor, h.SolidColor);
    if (io.ver >= kVerSxf) WalkSxfTables(io, d);
    // Text types and text settings.
    for (int i = 0; i < kMojCount; ++i) {
        auto& m = d.EntMoj[i];
        io.Field(m.adMojiX, TextSize{});
        io.Field(m.adMojiY, TextSize{});
        io.Field(m.adMojiD, TextSpacing{});
        io.Fields(m.anMojiCol);
    }
    io.Field(h.dMojiSizeX, TextSize{});
    io.Field(h.dMojiSizeY, TextSize{});
    io.Field(h.dMojiKankaku, TextSpacing{});
    io.Fields(h.nMojiColor, h.nMojiShu, h.dMojiSeiriGyouKan, h.dMojiSeiriSuu, h.nMojiKijunZureOn);
    io.Fields(h.adMojiKijunZureX0, h.adMojiKijunZureX1, h.adMojiKijunZureX2);
    io.Fields(h.adMojiKijunZureY0, h.adMojiKijunZureY1);
    io.LastField(h.adMojiKijunZureY2);
}

}  // namespace

bool TJwwData::HeaderIn(ArchiveReader& ar) {
    SizeHeaderTables();
    return ReadHeader(*this, ar, [&](HeaderReading& io) {
        WalkJwwHeader(io, *this);
        // Nothing of the last field: the file ended inside the header.
        if (io.LastDelivered() == 0) throw JwIOError(kErrFileIO);
    });
}

void TJwwData::HeaderOut(ArchiveWriter& aw, int32_t Ver) {
    HeaderWriting io(aw, Ver);
    WalkJwwHeader(io, std::as_const(*this));
}

bool TJwwData::FileCheck(const JwString& FName) const {
    return FileStartsWithHead(FName, kJwwSignature.size() + sizeof(int32_t), false, [](HeaderReading& io) {
        TEntJwwHeader h;
        WalkJwwHead(io, h);
    });
}

bool TJwwData::FileHeaderIn(const JwString& FName) {
    return HeaderFileIn(FName, [this](ArchiveReader& ar) { return HeaderIn(ar); });
}

}  // namespace jw
