// New-drawing defaults of JWW drawings and JWS figures: the header and the
// settings tables of a new, empty drawing. Entities, the order list, block
// definitions, bound images and writer options are left as they are.
//
// Colours are 24-bit values in the file's byte order: red in the lowest byte.
#include <bit>
#include <cstdint>
#include <vector>

#include "model/jw_data.h"
#include "support/numbers.h"

namespace jw {

namespace {

// Text types 1-10: width = height, spacing, colour.
struct MojiTypeRow {
    double size, spacing;
    int32_t color;
};
constexpr MojiTypeRow kMojiTypes[10] = {{2.0, 0.0, 1}, {2.5, 0.0, 1}, {3.0, 0.5, 2}, {4.0, 0.5, 2},
                                        {5.0, 0.5, 3}, {6.0, 1.0, 3}, {7.0, 1.0, 4}, {8.0, 1.0, 4},
                                        {9.0, 1.0, 5}, {10.0, 1.0, 5}};

std::vector<TEntJwwMojiType> DefaultMojiTypes() {
    std::vector<TEntJwwMojiType> v(10);
    for (int i = 0; i < 10; ++i) {
        v[i].adMojiX = kMojiTypes[i].size;
        v[i].adMojiY = kMojiTypes[i].size;
        v[i].adMojiD = kMojiTypes[i].spacing;
        v[i].anMojiCol = kMojiTypes[i].color;
    }
    return v;
}

std::vector<TEntJwwLayerGroup> DefaultLayerGroups(int32_t stateOfGroup0) {
    std::vector<TEntJwwLayerGroup> v(16);
    for (int g = 0; g < 16; ++g) {
        v[g].anGLay = g == 0 ? stateOfGroup0 : 2;
        v[g].anWriteLay = 0;
        v[g].adScale = 1.0;
        v[g].anGLayProtect = 0;
    }
    return v;
}

struct PenRow {
    int32_t color, width, prtColor, prtWidth;
    double prtRadius;
};
constexpr PenRow kPens[10] = {
    {0xFFFFFF, 1, 0xFFFFFF, 1, 0.1},  {0xC0C000, 1, 0xFFFF00, 8, 0.2},  {0x000000, 1, 0x000000, 17, 0.3},
    {0x00C000, 1, 0x00FF00, 25, 0.4}, {0x00C0C0, 1, 0x00FFFF, 34, 0.5}, {0xC000C0, 1, 0xFF00FF, 42, 0.5},
    {0xFF0000, 2, 0xFF0000, 51, 0.5}, {0x808000, 3, 0x808000, 59, 0.5}, {0x8000FF, 5, 0x0000FF, 68, 0.5},
    {0xC0C0C0, 1, 0x808080, 1, 0.1},
};

struct LineTypeRow {
    uint32_t pattern;
    int32_t dot, pitch, prtPitch;
};
constexpr LineTypeRow kLineTypes[8] = {
    {0x99999999, 4, 1, 10},  {0xC3C3C3C3, 8, 1, 10},  {0xE7E7E7E7, 8, 1, 10}, {0xF99FF99F, 16, 1, 10},
    {0xFFF99FFF, 32, 1, 10}, {0xF24FF24F, 16, 1, 10}, {0xFFF24FFF, 32, 1, 10}, {0x22222222, 4, 1, 10},
};
constexpr LineTypeRow kDoubleLineTypes[4] = {
    {0xFFF99FFF, 32, 2, 20}, {0xFFF24FFF, 32, 2, 20}, {0xFFFE7FFF, 32, 2, 20}, {0xFFFE7FFF, 32, 4, 40}};

struct RandomLineRow {
    int32_t wide, pitch, prtWide, prtPitch;
};
constexpr uint32_t kRandomPattern = 0xCCB2B32A;
constexpr RandomLineRow kRandomLines[5] = {{1, 3, 1, 5}, {1, 4, 1, 10}, {2, 5, 2, 15}, {2, 6, 2, 20}, {2, 7, 2, 25}};

// SXF standard colours, extended colours 1-16.
struct NamedColor {
    const char16_t* name;
    int32_t color;
};
constexpr NamedColor kSxfColors[16] = {
    {u"black", 0x000000},     {u"red", 0x0000FF},       {u"green", 0x00FF00},      {u"blue", 0xFF0000},
    {u"yellow", 0x00FFFF},    {u"magenta", 0xFF00FF},   {u"cyan", 0xFFFF00},       {u"white", 0xFFFFFF},
    {u"deeppink", 0x8000C0},  {u"brown", 0x408040},     {u"orange", 0x0080FF},     {u"lightgreen", 0x80C080},
    {u"lightblue", 0xFF8000}, {u"lavender", 0xFF4080},  {u"lightgray", 0xC0C0C0},  {u"darkgray", 0x808080},
};

// SXF standard line types, extended line types 0-16.
struct NamedLineType {
    const char16_t* name;
    uint32_t pattern;
    int32_t dot, pitch, prtPitch, segments;
    double pitches[10];
};
constexpr NamedLineType kSxfLineTypes[17] = {
    {u"Ltype_0", 0xFFFFFFFF, 32, 1, 10, 0, {}},
    {u"continuous", 0xFFFFFFFF, 32, 1, 10, 0, {}},
    {u"dashed", 0xFE3FFE3F, 16, 1, 15, 2, {6, 1.5}},
    {u"dashed spaced", 0xF00FF00F, 16, 1, 24, 2, {6, 6}},
    {u"long dashed dotted", 0xFFFBBFFF, 32, 1, 15, 4, {12, 1.5, 0.25, 1.5}},
    {u"long dashed double-dotted", 0xFFEEEFFF, 32, 1, 17, 6, {12, 1.5, 0.25, 1.5, 0.25, 1.5}},
    {u"long dashed triplicate-dotted", 0xFFBBBBFF, 32, 1, 19, 8, {12, 1.5, 0.25, 1.5, 0.25, 1.5, 0.25, 1.5}},
    {u"dotted", 0x10101010, 8, 1, 7, 2, {0.25, 1.5}},
    {u"chain", 0xFFFDBFFF, 32, 1, 19, 4, {12, 1.5, 3.5, 1.5}},
    {u"chain double dash", 0xFFF6DFFF, 32, 1, 24, 6, {12, 1.5, 3.5, 1.5, 3.5, 1.5}},
    {u"dashed dotted", 0xFFE083FF, 32, 1, 9, 4, {6, 1.5, 0.25, 1.5}},
    {u"double-dashed dotted", 0xFC7FF11F, 32, 1, 17, 6, {6, 1.5, 6, 1.5, 0.25, 1.5}},
    {u"dashed double-dotted", 0xFF8421FF, 32, 1, 11, 6, {6, 1.5, 0.25, 1.5, 0.25, 1.5}},
    {u"double-dashed double-dotted", 0xF8FF888F, 32, 1, 19, 8, {6, 1.5, 6, 1.5, 0.25, 1.5, 0.25, 1.5}},
    {u"dashed triplicate-dotted", 0xFE10843F, 32, 1, 13, 8, {6, 1.5, 0.25, 1.5, 0.25, 1.5, 0.25, 1.5}},
    {u"double-dashed triplicate-dotted", 0xF9FF249F, 32, 1, 20, 10, {6, 1.5, 6, 1.5, 0.25, 1.5, 0.25, 1.5, 0.25, 1.5}},
    {u"undefined", 0xFFFFFFFF, 32, 1, 10, 0, {}},
};

// The header starts from zero; the entity and definition counts stay.
template <class Header>
void ClearHeaderKeepingCounts(Header& h) {
    const int32_t n1 = h.n1;
    const int32_t n2 = h.n2;
    h = Header{};
    h.n1 = n1;
    h.n2 = n2;
}

}  // namespace

void TJwwData::DataDefaultSet() {
    ClearHeaderKeepingCounts(Enthd);
    TEntJwwHeader& h = Enthd;

    h.jwID = u"JwwData.";
    h.jwVer = 600;
    h.strMemo.clear();
    h.nZumen = 0;
    h.nWriteGLay = 0;
    h.lnSunpou1 = 2001112;
    h.lnSunpou2 = 5;
    h.lnSunpou3 = 50150030;
    h.lnSunpou4 = 10000000;
    h.lnSunpou5 = 4100;
    h.nMaxDrawWid = -300;
    h.bSenHaba100 = true;
    h.nMaxDrawWidBak = 100;
    h.DPPrtGenten_x = 0.0;
    h.DPPrtGenten_y = 0.0;
    h.dPrtBairitsu = 1.0;
    h.nPrtSet = 0;
    h.nMemoriMode = 0;
    h.dMemoriHyoujiMin = 15.0;
    h.dMemoriX = 5.0;
    h.dMemoriY = 5.0;
    h.DpMemoriKjTen_x = 0.0;
    h.DpMemoriKjTen_y = 0.0;
    h.dKageLevel = 1.5;
    h.dKageIdo = 36.0;
    h.nKage9_15JiFlg = 0;
    h.dKabeKageLevel = 0.0;
    h.dTenkuuZuLevel = 0.0;
    h.dTenkuuZuEnkoR = 100.0;
    h.nMMTani3D = 0;
    h.dBairitsu = 1.0;
    h.DPGenten_x = 0.0;
    h.DPGenten_y = 0.0;
    h.dHanniBairitsu = 1.0;
    h.DPHanniGenten_x = 0.0;
    h.DPHanniGenten_y = 0.0;
    for (int m = 0; m < 8; ++m) {
        h.dZoomJumpBairitsu[m] = 1.0;
        h.DPZoomJumpGenten_x[m] = 0.0;
        h.DPZoomJumpGenten_y[m] = 0.0;
        h.nZoomJumpGLay[m] = -1;
    }
    h.nMojiBG = 1;
    for (int k = 0; k < 10; ++k) h.adFukusenSuuchi[k] = 50.0 * (k + 1);
    h.nColorPrint = 1;
    h.nLayJunPrint = 1;
    h.nColJunPrint = 1;
    h.nPrtDpi = 1;
    h.dEye_H_Ichi_1 = -4500;
    h.dEye_H_Ichi_2 = -4500;
    h.dEye_H_Ichi_3 = -4500;
    h.dEye_Z_Ichi_1 = 2000.0;
    h.dEye_Y_Ichi_1 = 1000000.0;
    h.dEye_Z_Ichi_2 = 1000000.0;
    h.dEye_Y_Ichi_2 = 1000000.0;
    // The isometric angle atan(1 / sqrt(2)) in degrees, bit for bit.
    h.dEye_V_Ichi_3 = std::bit_cast<double>(uint64_t{0x4041A1D785686A66});
    h.nSolidNinniColor = 10;
    h.SolidColor = 0xC0C0C0;
    h.dMojiSizeX = 3.0;
    h.dMojiSizeY = 3.0;
    h.dMojiKankaku = 0.5;
    h.nMojiColor = 2;
    h.nMojiShu = 3;
    h.adMojiKijunZureX0 = -1.0;
    h.adMojiKijunZureX1 = 0.0;
    h.adMojiKijunZureX2 = 0.0;
    h.adMojiKijunZureY0 = -1.0;
    h.adMojiKijunZureY1 = 0.0;
    h.adMojiKijunZureY2 = 1.0;

    // Layer groups and layers: group 0 and layer 0 of every group are the
    // write targets (state 3), all others are shown (state 2).
    EntLgrp = DefaultLayerGroups(3);
    EntLay.assign(256, TEntJwwLayer{});
    for (int i = 0; i < 256; ++i) EntLay[i].aanLay = (i % 16 == 0) ? 3 : 2;

    EntCol.assign(10, TEntJwwColorNo{});
    for (int i = 0; i < 10; ++i) {
        EntCol[i].aPenColor = kPens[i].color;
        EntCol[i].anPenWidth = kPens[i].width;
        EntCol[i].aPrtPenColor = kPens[i].prtColor;
        EntCol[i].anPrtPenWidth = kPens[i].prtWidth;
        EntCol[i].adPrtTenHankei = kPens[i].prtRadius;
    }

    auto lineTypes = [](const LineTypeRow* rows, int n) {
        std::vector<TEntJwwLineTypeNo> v(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            v[i].alLType = static_cast<int32_t>(rows[i].pattern);
            v[i].anTokushuSenUintDot = rows[i].dot;
            v[i].anTokushuSenPich = rows[i].pitch;
            v[i].anPrtTokushuSenPich = rows[i].prtPitch;
        }
        return v;
    };
    EntLtp1 = lineTypes(kLineTypes, 8);
    EntLtp3 = lineTypes(kDoubleLineTypes, 4);

    EntLtp2.assign(5, TEntJwwRandomLineNo{});
    for (int i = 0; i < 5; ++i) {
        EntLtp2[i].alLType = static_cast<int32_t>(kRandomPattern);
        EntLtp2[i].anRandSenWide = kRandomLines[i].wide;
        EntLtp2[i].anTokushuSenPich = kRandomLines[i].pitch;
        EntLtp2[i].anPrtRandSenWide = kRandomLines[i].prtWide;
        EntLtp2[i].anPrtTokushuSenPich = kRandomLines[i].prtPitch;
    }

    EntMoj = DefaultMojiTypes();

    // Extended colours: 0 is a placeholder, 1-16 the SXF standard colours,
    // 17-256 user colours in light grey.
    EntColS.assign(257, TEntJwwColorExNo{});
    for (int i = 0; i < 257; ++i) {
        TEntJwwColorExNo& c = EntColS[i];
        c.anPenWidth = 18;
        c.anPrtPenWidth = 18;
        c.adPrtTenHankei = 0.18;
        if (i == 0) {
            c.astrUDColorName = u"Color_0";
            c.aPenColor = 0;
            c.aPrtPenColor = 400;
        } else if (i <= 16) {
            c.astrUDColorName = kSxfColors[i - 1].name;
            c.aPenColor = kSxfColors[i - 1].color;
            c.aPrtPenColor = kSxfColors[i - 1].color;
        } else {
            c.astrUDColorName.assign(u"Color_").append(IntStr(i));
            c.aPenColor = 0xC0C0C0;
            c.aPrtPenColor = 0xC0C0C0;
        }
    }

    // Extended line types: 0-16 the SXF standard types, 17-32 user types.
    EntLtpS.assign(33, TEntJwwLineTypeExNo{});
    for (int i = 0; i < 33; ++i) {
        TEntJwwLineTypeExNo& t = EntLtpS[i];
        if (i <= 16) {
            const NamedLineType& r = kSxfLineTypes[i];
            t.astrUDLTypeName = r.name;
            t.alLType = static_cast<int32_t>(r.pattern);
            t.anTokushuSenUintDot = r.dot;
            t.anTokushuSenPich = r.pitch;
            t.anPrtTokushuSenPich = r.prtPitch;
            t.anUDLTypeSegment = r.segments;
            for (int k = 0; k < 10; ++k) t.aadUDLTypePitch[k] = r.pitches[k];
        } else {
            t.astrUDLTypeName.assign(u"LType_").append(IntStr(i));
            t.alLType = static_cast<int32_t>(0xC3C3C3C3u);
            t.anTokushuSenUintDot = 8;
            t.anTokushuSenPich = 1;
            t.anPrtTokushuSenPich = 48;
            t.anUDLTypeSegment = 2;
            t.aadUDLTypePitch[0] = 6.0;
            t.aadUDLTypePitch[1] = 6.0;
        }
    }
}

void TJwsData::DataDefaultSet() {
    ClearHeaderKeepingCounts(Enthd);
    Enthd.jwID = u"JwsData";
    Enthd.jwVer = 600;
    Enthd.BasePoint_x = 0.0;
    Enthd.BasePoint_y = 0.0;
    Enthd.dmy01 = 1;
    Enthd.dmy02 = 2;
    Enthd.dmy03 = 3;
    Enthd.dmy04 = 4;
    Enthd.dmy05 = 5;
    Enthd.dmy06 = 6;
    Enthd.dmy11 = 1.0;
    Enthd.dmy12 = 2.0;
    Enthd.dmy13 = 3.0;
    Enthd.dmy14 = 4.0;
    Enthd.dmy15 = 5.0;
    Enthd.dmy16 = 6.0;
    // Every group of a figure is shown, none is the write target.
    EntLgrp = DefaultLayerGroups(2);
    EntMoj = DefaultMojiTypes();
}

}  // namespace jw
