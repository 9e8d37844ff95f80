// Building a drawing in memory: attribute repair, flag tables, the record of
// every kind, block definitions, capacity and the whole-drawing transforms.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "model/jw_data.h"
#include "support/program_values.h"

// Fields of the packed records are compared as +field: the unary plus copies
// the value, where a reference to the field itself could be misaligned.

namespace jw {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kEps = 1e-12;

using SxfLine = TJwEntities::SxfLine;
using SxfTen = TJwEntities::SxfTen;
using SxfKt = TJwEntities::SxfKt;
using SxfLineDist = TJwEntities::SxfLineDist;

class Construction : public ::testing::Test {
protected:
    void SetUp() override {
        JwGlobalInit();
        m.DataDefaultSet();
    }
    void TearDown() override { JwGlobalInit(); }

    const TEntJwwLine& Line(double x = 0) {
        EXPECT_TRUE(m.AddEntLine(0, 0, 0, 1, 1, 0, 0, x, 0, x + 1, 0));
        return m.EntLine[m.EntLineN - 1];
    }
    // A text with anchor point, 4 wide, 3 high, spacing 1, no text type.
    const TEntJwwMoji& Anchored(const JwString& s, int32_t anchor, double angle, int32_t fl = 0) {
        EXPECT_TRUE(m.AddEntMoji(0, 0, 0, 2, anchor, 0, fl, 0, 10, 0, 4, 3, 1, angle, u"", s));
        return m.EntMoji[m.EntMojiN - 1];
    }

    TJwwData m;
};

TEST_F(Construction, AttributeRepair) {
    ASSERT_TRUE(m.AddEntLine(77, 16, -1, 11, 10, 5, 0, 0, 0, 1, 1));
    const TEntJwwAttr& a = m.EntLine[0].att;
    EXPECT_EQ(+a.lGroup, 77u);
    EXPECT_EQ(+a.nGLayer, 0);
    EXPECT_EQ(+a.nLayer, 0);
    EXPECT_EQ(+a.nPenColor, 1);
    EXPECT_EQ(+a.nPenStyle, 1);
    EXPECT_EQ(+a.nPenWidth, 5);

    struct Case {
        int32_t in, color, style;  // stored colour and line type for `in` as both
    };
    const Case cases[] = {{0, 1, 1},      {1, 1, 1},     {9, 9, 9},     {10, 10, 1},   {11, 1, 11},
                          {19, 1, 19},    {20, 1, 1},    {31, 1, 31},   {62, 1, 62},   {63, 1, 1},
                          {100, 1, 1},    {101, 101, 1}, {356, 356, 1}, {357, 1, 1},   {-1, 1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        ASSERT_TRUE(m.AddEntLine(0, 15, 15, c.in, c.in, 0, 0, 0, 0, 1, 1));
        const TEntJwwAttr& b = m.EntLine[m.EntLineN - 1].att;
        EXPECT_EQ(+b.nPenColor, c.color);
        EXPECT_EQ(+b.nPenStyle, c.style);
        EXPECT_EQ(+b.nGLayer, 15);
        EXPECT_EQ(+b.nLayer, 15);
    }

    // The replacement values are the program-wide defaults.
    JwDefaultPenColor = 5;
    JwDefaultPenStyle = 2;
    ASSERT_TRUE(m.AddEntLine(0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1));
    EXPECT_EQ(+m.EntLine[m.EntLineN - 1].att.nPenColor, 5);
    EXPECT_EQ(+m.EntLine[m.EntLineN - 1].att.nPenStyle, 2);
}

TEST_F(Construction, FlagTables) {
    struct Case {
        const char* kind;
        int32_t fl;
        uint16_t sFlg;
    };
    const Case cases[] = {
        {"line", 0x1F, 0xB820},  {"line", 0x02, 0x2000}, {"line", 0x20, 0},
        {"arc", 0x1F, 0xF0},     {"arc", 0x08, 0},       {"point", 0x1F, 0xF0},
        {"point", 0x10, 0x80},   {"solid", 0x1F, 0x3820}, {"solid", 0x08, 0x1000},
        {"block", 0x1F, 0x3820}, {"blockdef", 0x1F, 0x3820},
        {"text", 0x01, 0},       {"text", 0x02, 0x4010}, {"text", 0x04, 0x20},    {"text", 0x08, 0x40},
        {"text", 0x10, 0x80},    {"text", 0x20, 0x100},  {"text", 0x40, 0x200},   {"text", 0x80, 0x400},
        {"text", 0x100, 0x1000}, {"text", 0x200, 0x8000}, {"text", 0x400, 0x2000}, {"text", 0x800, 0x800},
        {"text", 0xFFF, 0xFFF0},
    };
    ASSERT_TRUE(m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"B"));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " " + std::to_string(c.fl));
        const std::string k = c.kind;
        uint16_t got = 0;
        if (k == "line") {
            ASSERT_TRUE(m.AddEntLine(0, 0, 0, 1, 1, 0, c.fl, 0, 0, 1, 1));
            got = m.EntLine[m.EntLineN - 1].att.sFlg;
        } else if (k == "arc") {
            ASSERT_TRUE(m.AddEntArc(0, 0, 0, 1, 1, 0, c.fl, 0, 0, 1, 1, 0, 90, 0));
            got = m.EntEnko[m.EntEnkoN - 1].att.sFlg;
        } else if (k == "point") {
            ASSERT_TRUE(m.AddEntTen(0, 0, 0, 1, 0, 0, c.fl, 0, 0, 0, 1));
            got = m.EntTen[m.EntTenN - 1].att.sFlg;
        } else if (k == "solid") {
            ASSERT_TRUE(m.AddEntSolid(0, 0, 0, 1, 1, 0, c.fl, 0, 0, 0, 1, 1));
            got = m.EntSolid[m.EntSolidN - 1].att.sFlg;
        } else if (k == "block") {
            ASSERT_TRUE(m.AddEntBlock(0, 0, 0, 1, 1, 0, c.fl, 0, 0, 0, 1, 1, 0));
            got = m.EntBlock[m.EntBlockN - 1].att.sFlg;
        } else if (k == "blockdef") {
            ASSERT_TRUE(m.AddBlkDef(0, 0, 0, 1, 1, 0, c.fl, 1, u"F"));
            got = m.EntBlockDef[m.EntBlockDefN - 1].att.sFlg;
        } else {
            ASSERT_TRUE(m.AddEntMoji(0, 0, 0, 1, 1, 0, c.fl, 0, 0, 0, 1, 0, 3, 3, 0, 0, u"", u"x"));
            got = m.EntMoji[m.EntMojiN - 1].att.sFlg;
        }
        EXPECT_EQ(got, c.sFlg);
    }
}

TEST_F(Construction, Arcs) {
    ASSERT_TRUE(m.AddEntArc(0, 0, 0, 1, 1, 0, 0x08, 5, 6, 10, 0.5, 30, 90, 45));
    const TEntJwwEnko& full = m.EntEnko[0];
    EXPECT_EQ(+full.radKaishiKaku, 0);
    EXPECT_DOUBLE_EQ(+full.radEnkoKaku, 2 * kPi);
    EXPECT_EQ(+full.bZenEnFlg, 1u);
    EXPECT_DOUBLE_EQ(+full.radKatamukiKaku, kPi / 4);
    EXPECT_EQ(+full.dHenpeiRitsu, 0.5);

    ASSERT_TRUE(m.AddEntArc(0, 0, 0, 1, 1, 0, 0, 5, 6, 10, 1, 30, 90, 0));
    const TEntJwwEnko& part = m.EntEnko[1];
    EXPECT_DOUBLE_EQ(+part.radKaishiKaku, kPi / 6);
    EXPECT_DOUBLE_EQ(+part.radEnkoKaku, kPi / 2);
    EXPECT_EQ(+part.bZenEnFlg, 0u);
    EXPECT_EQ(+part.dHankei, 10);
}

TEST_F(Construction, Points) {
    struct Case {
        int32_t code, fl;
        double scale;
        uint32_t nCode;
        int style;
        uint32_t temporary;
        double storedScale;
    };
    const Case cases[] = {
        {12, 0, 2, 0, 1, 0, 2},         {3, 0, 0, 3, 100, 0, 1.0},         {3, 0x08, 2, 0, 1, 1, 2},
        {-7, 0, 1e-11, static_cast<uint32_t>(-7), 100, 0, 1.0}, {-8, 0, -5, 0, 1, 0, 1.0},
        {11, 0, 0.5, 11, 100, 0, 0.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        ASSERT_TRUE(m.AddEntTen(0, 0, 0, 3, c.code, 0, c.fl, 1, 2, 90, c.scale));
        const TEntJwwTen& t = m.EntTen[m.EntTenN - 1];
        EXPECT_EQ(+t.nCode, c.nCode);
        EXPECT_EQ(+t.att.nPenStyle, c.style);
        EXPECT_EQ(+t.bKariten, c.temporary);
        EXPECT_EQ(+t.dBairitsu, c.storedScale);
        EXPECT_DOUBLE_EQ(+t.radKaitenKaku, kPi / 2);
        EXPECT_EQ(+t.att.nPenColor, 3);
    }
}

TEST_F(Construction, TextTypes) {
    // Text type 3 of a new drawing: 3 x 3, spacing 0.5, colour 2.
    ASSERT_TRUE(m.AddEntMoji(0, 0, 0, 7, 12, 0, 0, 10003, 0, 0, 10, 0, 9, 9, 9, 30, u"ＭＳ ゴシック", u"abc"));
    const TEntJwwMoji& t = m.EntMoji[0];
    EXPECT_EQ(+t.nMojiShu, 10003u);
    EXPECT_EQ(+t.dSizeX, 3.0);
    EXPECT_EQ(+t.dSizeY, 3.0);
    EXPECT_EQ(+t.dKankaku, 0.5);
    EXPECT_EQ(+t.att.nPenColor, 2);
    EXPECT_EQ(+t.att.nPenStyle, 1);  // 12 is no anchor code
    EXPECT_EQ(+t.degKakudo, 30);
    EXPECT_EQ(t.strFontName, u"ＭＳ ゴシック");
    EXPECT_EQ(t.str, u"abc");

    ASSERT_TRUE(m.AddEntMoji(0, 0, 0, 7, 5, 0, 0, 20011, 0, 0, 10, 0, 9, 8, 7, 0, u"", u"x"));
    const TEntJwwMoji& u = m.EntMoji[1];
    EXPECT_EQ(+u.nMojiShu, 20000u);
    EXPECT_EQ(+u.dSizeX, 9);
    EXPECT_EQ(+u.dSizeY, 8);
    EXPECT_EQ(+u.dKankaku, 7);
    EXPECT_EQ(+u.att.nPenColor, 7);
    EXPECT_EQ(+u.att.nPenStyle, 5);

    // A model without settings has no text types: the given values stay.
    TJwwData bare;
    ASSERT_TRUE(bare.AddEntMoji(0, 0, 0, 7, 1, 0, 0, 3, 0, 0, 10, 0, 9, 8, 7, 0, u"", u"x"));
    EXPECT_EQ(+bare.EntMoji[0].nMojiShu, 3u);
    EXPECT_EQ(+bare.EntMoji[0].dSizeX, 9);
    EXPECT_EQ(+bare.EntMoji[0].att.nPenColor, 7);
}

TEST_F(Construction, AnchoredTextBox) {
    // "AB": two half-width letters, L = 2 + 0.5 + 2 = 4.5, H = 3.
    struct Case {
        JwString s;
        int32_t anchor;
        double angle;
        int32_t fl;
        double x1, y1, x2, y2;
    };
    const Case cases[] = {
        {u"AB", 3, 0, 0, 5.5, 0, 10, 0},
        {u"AB", 1, 0, 0, 10, 0, 14.5, 0},
        {u"AB", 5, 0, 0, 7.75, -1.5, 12.25, -1.5},
        {u"AB", 9, 0, 0, 5.5, -3, 10, -3},
        {u"AB", 0, 0, 0, 10, 0, 14.5, 0},      // invalid anchor: 1
        {u"AB", 3, 90, 0, 10, -4.5, 10, 0},     // turned: the box runs up to the anchor
        {u"あｱ", 1, 0, 0, 10, 0, 17, 0},       // full-width 4, gap 1, half-width kana 2
        {u"A\nB", 1, 0, 0, 10, 0, 14.5, 0},    // control characters take no room
        {u"AB", 1, 0, 0x04, 10, 0, 17, 0},     // vertical: 2 x 3 + 1 = 7 long, 4 high
        {u"AB", 7, 0, 0x04, 10, -4, 17, -4},
        {u"", 3, 0, 0, 10, 0, 10, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "anchor " << c.anchor << " angle " << c.angle << " fl " << c.fl);
        const TEntJwwMoji& t = Anchored(c.s, c.anchor, c.angle, c.fl);
        EXPECT_NEAR(+t.start_x, c.x1, kEps);
        EXPECT_NEAR(+t.start_y, c.y1, kEps);
        EXPECT_NEAR(+t.end_x, c.x2, kEps);
        EXPECT_NEAR(+t.end_y, c.y2, kEps);
        EXPECT_EQ(+t.att.nPenStyle, c.anchor >= 1 && c.anchor <= 9 ? c.anchor : 1);
    }

    // The text type's sizes place the box: type 3 is 3 wide, spacing 0.5.
    ASSERT_TRUE(m.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 3, 0, 0, 99, 99, 99, 0, u"", u"AB"));
    EXPECT_NEAR(+m.EntMoji[m.EntMojiN - 1].end_x, 1.5 + 0.25 + 1.5, kEps);
}

TEST_F(Construction, Solids) {
    ASSERT_TRUE(m.AddEntSolid(0, 0, 0, 10, 1, 0, 0, 0x123456, 1, 2, 3, 4, 5, 6, 7, 8));
    ASSERT_TRUE(m.AddEntSolid(0, 0, 0, 9, 0, 0, 0, 0x123456, 1, 2, 3, 4));
    ASSERT_TRUE(m.AddEntSolid(0, 0, 0, 10, 150, 0, 0, 0x1000000, 1, 2, 3, 4, 5, 6));
    const TEntJwwSolid& four = m.EntSolid[0];
    EXPECT_EQ(+four.Color, 0x123456u);
    EXPECT_EQ(+four.end_x, 3);
    EXPECT_EQ(+four.DPoint2_x, 5);
    EXPECT_EQ(+four.DPoint3_y, 8);
    const TEntJwwSolid& two = m.EntSolid[1];
    EXPECT_EQ(+two.Color, 0u);  // own colour only with pen 10
    EXPECT_EQ(+two.att.nPenStyle, 1);
    EXPECT_EQ(+two.DPoint2_x, 3);
    EXPECT_EQ(+two.DPoint3_y, 4);
    const TEntJwwSolid& three = m.EntSolid[2];
    EXPECT_EQ(+three.Color, 0u);  // beyond 24 bits
    EXPECT_EQ(+three.att.nPenStyle, 150);
    EXPECT_EQ(+three.DPoint2_x, 5);
    EXPECT_EQ(+three.DPoint3_x, 1);  // the first point again
    EXPECT_EQ(+three.DPoint3_y, 2);

    // Arc-shaped solids: style, start angle, sweep and mode.
    struct Case {
        const char* what;
        int style;
        double start, sweep, mode;
    };
    const double a30 = kPi / 6, a60 = kPi / 3;
    const Case cases[] = {
        {"A whole", 111, 0, 2 * kPi, 100}, {"A part", 111, a30, a60, 0}, {"C 1", 101, a30, a60, 0},
        {"C 2", 101, a30, a60, 5},         {"C 3", 101, a30, a60, -1},   {"C 4", 101, 0, 2 * kPi, 100},
        {"D 2", 106, a30, a60, 0.5},       {"D 1", 105, a30, a60, 0.5},
    };
    ASSERT_TRUE(m.AddEntSolidA(0, 0, 0, 1, 0, 0, 0, 10, 20, 5, 0.8, 90));
    ASSERT_TRUE(m.AddEntSolidA(0, 0, 0, 1, 0, 0, 0, 10, 20, 5, 0.8, 90, 30, 60));
    for (int tp = 1; tp <= 4; ++tp) ASSERT_TRUE(m.AddEntSolidC(0, 0, 0, 1, tp, 0, 0, 0, 10, 20, 5, 0.8, 90, 30, 60));
    ASSERT_TRUE(m.AddEntSolidD(0, 0, 0, 1, 2, 0, 0, 0, 10, 20, 5, 0.5, 0.8, 90, 30, 60));
    ASSERT_TRUE(m.AddEntSolidD(0, 0, 0, 1, 1, 0, 0, 0, 10, 20, 5, 0.5, 0.8, 90, 30, 60));
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(cases[i].what);
        const TEntJwwSolid& s = m.EntSolid[3 + i];
        EXPECT_EQ(+s.att.nPenStyle, cases[i].style);
        EXPECT_EQ(+s.start_x, 10);
        EXPECT_EQ(+s.end_x, 5);
        EXPECT_EQ(+s.end_y, 0.8);
        EXPECT_DOUBLE_EQ(+s.DPoint2_x, kPi / 2);
        EXPECT_DOUBLE_EQ(+s.DPoint2_y, cases[i].start);
        EXPECT_DOUBLE_EQ(+s.DPoint3_x, cases[i].sweep);
        EXPECT_EQ(+s.DPoint3_y, cases[i].mode);
    }
}

TEST_F(Construction, BlockInserts) {
    EXPECT_FALSE(m.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 1, 1, 0));  // no definition yet
    ASSERT_TRUE(m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"A"));
    EXPECT_FALSE(m.AddEntBlock(0, 0, 0, 1, 1, 0, 0, m.EntBlockDefN, 0, 0, 1, 1, 0));
    EXPECT_FALSE(m.AddEntBlock(0, 0, 0, 1, 1, 0, 0, -1, 0, 0, 1, 1, 0));
    EXPECT_EQ(m.EntBlockN, 0);
    EXPECT_EQ(m.Enthd.n1, 0);

    ASSERT_TRUE(m.AddEntBlock(0, 0, 0, 1, 3, 0, 0x10, 0, 5, 6, 0, -2, 90));
    const TEntJwwBlock& b = m.EntBlock[0];
    EXPECT_EQ(+b.att.nPenStyle, 3 | 0x40);
    EXPECT_EQ(+b.dBairitsuX, 1.0);
    EXPECT_EQ(+b.dBairitsuY, -2.0);
    EXPECT_DOUBLE_EQ(+b.radKaitenKaku, kPi / 2);
    EXPECT_EQ(+b.nNumber, 0u);
    ASSERT_TRUE(m.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 0, 0, 0, -1e-11, 1e-10, 0));
    EXPECT_EQ(+m.EntBlock[1].dBairitsuX, 1.0);
    EXPECT_EQ(+m.EntBlock[1].dBairitsuY, 1e-10);
}

TEST_F(Construction, BlockDefinitionNamesAndNumbers) {
    TEntJwwBlockDef d3, d7;
    d3.nNumber = 3;
    d3.strName = u"X";
    d7.nNumber = 7;
    d7.strName = u"Y";
    m.EntBlockDef = {d3, d7};
    m.EntBlockDefN = 2;
    m.Enthd.n2 = 2;

    ASSERT_TRUE(m.AddBlkDef(5, 2, 3, 0, 99, 4, 0x01, 0, u"DOOR"));
    const TEntJwwBlockDef& a = m.EntBlockDef[2];
    EXPECT_EQ(a.strName, u"DOOR@@SfigorgFlag@@4");
    EXPECT_EQ(+a.nNumber, 8u);
    EXPECT_EQ(+a.att.lGroup, 5u);
    EXPECT_EQ(+a.att.nPenColor, 1);
    EXPECT_EQ(+a.att.nPenStyle, 1);
    EXPECT_EQ(+a.att.sFlg, 0x20);
    EXPECT_EQ(a.N, 0);
    EXPECT_EQ(a.ref_no, -1);
    EXPECT_EQ(m.EntBlockDefN, 3);
    EXPECT_EQ(m.Enthd.n2, 3);

    ASSERT_TRUE(m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 0, u"DOOR"));
    EXPECT_EQ(m.EntBlockDef[3].strName, u"DOOR~1@@SfigorgFlag@@4");
    EXPECT_EQ(+m.EntBlockDef[3].nNumber, 9u);
    ASSERT_TRUE(m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 2, u"WIN@@sfigOwn"));  // has a suffix already
    EXPECT_EQ(m.EntBlockDef[4].strName, u"WIN@@sfigOwn");
    ASSERT_TRUE(m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 2, u"WIN"));
    EXPECT_EQ(m.EntBlockDef[5].strName, u"WIN~1@@SfigorgFlag@@2");

    // When the largest number is the largest possible, the smallest free
    // number keeps the numbers unique.
    m.EntBlockDef[0].nNumber = 0;
    m.EntBlockDef[1].nNumber = 0xFFFFFFFFu;
    m.EntBlockDef[2].nNumber = 1;
    ASSERT_TRUE(m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"Z"));
    EXPECT_EQ(+m.EntBlockDef[6].nNumber, 2u);
}

TEST_F(Construction, FirstDefinitionsAreNumberedFromZero) {
    TJwsData s;  // figures offer the same operations
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(s.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"P"));
    EXPECT_EQ(+s.EntBlockDef[2].nNumber, 2u);
    EXPECT_EQ(s.EntBlockDef[2].strName, u"P~2@@SfigorgFlag@@1");
    EXPECT_EQ(s.Enthd.n2, 3);
    ASSERT_TRUE(s.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 2, 0, 0, 1, 1, 0));
    EXPECT_EQ(s.Enthd.n1, 1);
}

TEST_F(Construction, DefinitionMembers) {
    EXPECT_FALSE(m.AddBlkLine(0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1));  // no definition
    ASSERT_TRUE(m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"A"));
    ASSERT_TRUE(m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"B"));
    EXPECT_FALSE(m.AddBlkLine(2, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1));
    EXPECT_FALSE(m.AddBlkBlock(0, 0, 0, 0, 1, 1, 0, 0, 2, 0, 0, 1, 1, 0));  // no definition 2

    ASSERT_TRUE(m.AddBlkLine(0, 0, 16, 0, 11, 1, 0, 0x1F, 0, 0, 1, 1));
    ASSERT_TRUE(m.AddBlkMoji(0, 0, 0, 0, 1, 3, 0, 0, 10003, 10, 0, 1, 1, 1, 0, u"", u"AB"));
    ASSERT_TRUE(m.AddBlkBlock(0, 0, 0, 0, 1, 1, 0, 0, 1, 5, 5, 1, 1, 0));
    ASSERT_TRUE(m.AddBlkSolidC(0, 0, 0, 0, 1, 4, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0));
    const TEntJwwBlockDef& d = m.EntBlockDef[0];
    EXPECT_EQ(d.N, 4);
    EXPECT_EQ(+d.mLine[0].att.sFlg, 0xB820);  // built as the drawing twin builds it
    EXPECT_EQ(+d.mLine[0].att.nPenColor, 1);
    EXPECT_NEAR(+d.mMoji[0].start_x, 10 - 3.25, kEps);  // text type 3, anchor 3
    EXPECT_EQ(+d.mBlock[0].nNumber, 1u);
    EXPECT_EQ(+d.mSolid[0].DPoint3_y, 100);
    ASSERT_GE(d.mNo.size(), 4u);
    EXPECT_EQ(d.mNo[0].EntType, kEntLine);
    EXPECT_EQ(d.mNo[1].EntType, kEntMoji);
    EXPECT_EQ(d.mNo[2].EntType, kEntBlock);
    EXPECT_EQ(d.mNo[3].EntType, kEntSolid);
    EXPECT_EQ(d.mNo[3].EntNo, 0);
    EXPECT_EQ(m.Enthd.n1, 0);  // nothing went to the drawing

    // Members grow in blocks of 500 and are trimmed by AddBlkDefPost.
    for (int i = 0; i < 500; ++i) ASSERT_TRUE(m.AddBlkLine(1, 0, 0, 0, 1, 1, 0, 0, i, 0, i, 1));
    EXPECT_EQ(m.EntBlockDef[1].mLine.size(), 500u);
    ASSERT_TRUE(m.AddBlkLine(1, 0, 0, 0, 1, 1, 0, 0, 500, 0, 500, 1));
    EXPECT_EQ(m.EntBlockDef[1].mLine.size(), 1000u);
    EXPECT_EQ(m.EntBlockDef[1].mNo.size(), 1000u);
    ASSERT_TRUE(m.AddBlkDefPost(1));
    EXPECT_EQ(m.EntBlockDef[1].mLine.size(), 501u);
    EXPECT_EQ(m.EntBlockDef[1].mNo.size(), 501u);
    EXPECT_EQ(m.EntBlockDef[1].mNo[500].EntNo, 500);
    EXPECT_FALSE(m.AddBlkDefPost(2));
}

TEST_F(Construction, ThousandAndOneLinesAfterAddEntPre) {
    ASSERT_TRUE(m.AddEntPre());
    EXPECT_EQ(m.EntLine.size(), 1000u);
    EXPECT_EQ(m.EntNo.size(), 1000u);
    for (int i = 0; i < 1001; ++i) ASSERT_TRUE(m.AddEntLine(0, 0, 0, 1, 1, 0, 0, i, 0, i, 1));
    EXPECT_EQ(m.EntLine.size(), 2000u);
    ASSERT_TRUE(m.AddEntPost());
    EXPECT_EQ(m.EntLineN, 1001);
    EXPECT_EQ(m.EntLine.size(), 1001u);
    EXPECT_EQ(m.EntLine.capacity(), 1001u);
    ASSERT_EQ(m.EntNo.size(), 1001u);
    EXPECT_EQ(m.Enthd.n1, 1001);
    for (int i = 0; i < 1001; ++i) {
        EXPECT_EQ(m.EntNo[i].EntType, kEntLine);
        EXPECT_EQ(m.EntNo[i].EntNo, i);
    }
    EXPECT_EQ(+m.EntLine[1000].start_x, 1000);
    EXPECT_TRUE(m.EntEnko.empty());
}

TEST_F(Construction, AddEntPostBuildsTheBlockTree) {
    ASSERT_TRUE(m.AddEntPre());
    ASSERT_TRUE(m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"inner"));
    ASSERT_TRUE(m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"outer"));
    ASSERT_TRUE(m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"unused"));
    ASSERT_TRUE(m.AddBlkLine(0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 0));
    ASSERT_TRUE(m.AddBlkBlock(1, 0, 0, 0, 1, 1, 0, 0, 0, 2, 0, 1, 1, 0));
    ASSERT_TRUE(m.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 1, 10, 10, 1, 1, 0));
    ASSERT_TRUE(m.AddEntLine(0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1));
    ASSERT_TRUE(m.AddEntPost());
    EXPECT_EQ(m.EntBlockTreeN, 2);
    EXPECT_EQ(m.EntBlockTree[1].x, 12);
    EXPECT_EQ(m.EntBlockNum, 2);
    EXPECT_EQ(m.ChangeBlockNo(2), 2u);  // unused keeps its number
    EXPECT_EQ(m.EntBlockDef[0].mLine.size(), 1u);
    EXPECT_EQ(m.EntBlockDef[2].mLine.size(), 0u);
    ASSERT_EQ(m.EntNo.size(), 2u);
    EXPECT_EQ(m.EntNo[0].EntType, kEntBlock);
    EXPECT_EQ(m.EntNo[1].EntType, kEntLine);
}

TEST_F(Construction, DimensionWithoutSxfParts) {
    ASSERT_TRUE(m.AddEntSunpo(9, 1, 2, 3, 2, 4, 0x1D, 5, 12, 6, 0x06, 10003, 0, 0, 100, 0, 40, 1, 60, 1, 9, 9, 9,
                              0, u"f", u"100"));
    const TEntJwwSunpo& s = m.EntSunpo[0];
    EXPECT_EQ(+s.att.sFlg, 0x2000);
    EXPECT_EQ(+s.att.nPenStyle, 2);
    EXPECT_EQ(+s.Sen.att.sFlg, 0x2000 | 0x20 | 0x800 | 0x8000 | 0x1000);
    EXPECT_EQ(+s.Sen.end_x, 100);
    EXPECT_EQ(+s.Moji.att.sFlg, 0x4010 | 0x20);
    EXPECT_EQ(+s.Moji.att.nPenStyle, 1);
    EXPECT_EQ(+s.Moji.att.nPenColor, 2);  // text type 3
    EXPECT_EQ(+s.Moji.att.nPenWidth, 6);
    EXPECT_EQ(+s.Moji.dSizeX, 3);
    EXPECT_EQ(+s.Moji.start_x, 40);
    EXPECT_EQ(s.Moji.str, u"100");
    EXPECT_EQ(s.bSxfMode, 0);
    EXPECT_EQ(+s.Ho1.att.nPenColor, 3);
    EXPECT_EQ(+s.Ho1.att.sFlg, 0x2000);
    EXPECT_EQ(+s.Ho2.end_x, 0);
    EXPECT_EQ(+s.Kt2.att.nPenStyle, 0);
    EXPECT_EQ(+s.Kt2.att.lGroup, 9u);
    EXPECT_EQ(+s.Te1.dBairitsu, 0);
    EXPECT_EQ(m.EntNo[0].EntType, kEntSunpo);

    // Anchored: text type 3 ("100": three half-width digits, L = 4.5 + 0.5 = 5), anchor 2.
    ASSERT_TRUE(m.AddEntSunpo(0, 0, 0, 1, 1, 0, 0, 1, 2, 0, 0, 3, 0, 0, 100, 0, 50, 1, 0, 0, 0, 0, u"", u"100"));
    EXPECT_NEAR(+m.EntSunpo[1].Moji.start_x, 47.5, kEps);
    EXPECT_NEAR(+m.EntSunpo[1].Moji.end_x, 52.5, kEps);
    EXPECT_EQ(+m.EntSunpo[1].Moji.att.nPenStyle, 2);
}

TEST_F(Construction, DimensionSxfParts) {
    const SxfLine ho1{1, 4, 2, 7, 0x01, 0, -5, 0, 1};
    const SxfLine off{0, 4, 2, 7, 0x01, 1, 1, 1, 1};
    const SxfTen te1{1, 5, 3, 8, 0x05, 2};
    const SxfTen te2{2, 0, 12, 0, 0x08, 0};
    const SxfKt kt1{1, 6, 3, 0, 0, 0, -5, 0};
    const SxfKt kt2{1, 6, -3, 0, 0x10, 10, -5, 3};
    ASSERT_TRUE(m.AddEntSunpo(0, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0, 10, 0, 4, 1, 6, 1, 1, 1, 0, 0, u"", u"10", ho1,
                              off, te1, te2, kt1, kt2));
    const TEntJwwSunpo& s = m.EntSunpo[0];
    EXPECT_EQ(s.bSxfMode, 1);
    EXPECT_EQ(+s.Ho1.att.nPenColor, 4);
    EXPECT_EQ(+s.Ho1.att.nPenStyle, 2);
    EXPECT_EQ(+s.Ho1.att.nPenWidth, 7);
    EXPECT_EQ(+s.Ho1.att.sFlg, 0x2020);
    EXPECT_EQ(+s.Ho1.start_y, -5);
    EXPECT_EQ(+s.Ho2.att.nPenColor, 1);  // ex 0: the dimension's attribute, zero points
    EXPECT_EQ(+s.Ho2.start_x, 0);

    // Te1 at the line's start, pointing away from the end (ex 1).
    EXPECT_EQ(+s.Te1.start_x, 0);
    EXPECT_EQ(+s.Te1.nCode, 3u);
    EXPECT_EQ(+s.Te1.att.nPenStyle, 100);
    EXPECT_EQ(+s.Te1.att.sFlg, 0x40 | 0x20 | 0x10);
    EXPECT_DOUBLE_EQ(+s.Te1.radKaitenKaku, kPi);
    EXPECT_EQ(+s.Te1.dBairitsu, 2);
    // Te2 at the end, pointing back (ex 2); temporary, so code 0.
    EXPECT_EQ(+s.Te2.start_x, 10);
    EXPECT_EQ(+s.Te2.nCode, 0u);
    EXPECT_EQ(+s.Te2.att.nPenStyle, 1);
    EXPECT_EQ(+s.Te2.bKariten, 1u);
    EXPECT_DOUBLE_EQ(+s.Te2.radKaitenKaku, kPi);
    EXPECT_EQ(+s.Te2.dBairitsu, 1.0);
    EXPECT_EQ(+s.Te2.att.nPenColor, 1);
    // Kt: codes limited to -7..0, always temporary, no rotation.
    EXPECT_EQ(+s.Kt1.nCode, 0u);
    EXPECT_EQ(+s.Kt1.bKariten, 1u);
    EXPECT_EQ(+s.Kt1.start_y, -5);
    EXPECT_EQ(+s.Kt2.nCode, static_cast<uint32_t>(-3));
    EXPECT_EQ(+s.Kt2.att.nPenStyle, 100);
    EXPECT_EQ(+s.Kt2.att.sFlg, 0x40 | 0x80);
    EXPECT_EQ(+s.Kt2.radKaitenKaku, 0);
    EXPECT_EQ(+s.Kt2.dBairitsu, 3);

    // No part switched on: not an SXF dimension.
    const SxfTen teOff{0, 5, 3, 8, 0, 2};
    const SxfKt ktOff{0, 6, -3, 0, 0, 10, -5, 3};
    ASSERT_TRUE(m.AddEntSunpo(0, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0, 10, 0, 5, 1, 0, 0, 0, 0, u"", u"10", off,
                              off, teOff, teOff, ktOff, ktOff));
    EXPECT_EQ(m.EntSunpo[1].bSxfMode, 0);
    EXPECT_EQ(+m.EntSunpo[1].Kt1.att.nPenStyle, 0);
}

TEST_F(Construction, FifthDimensionFormExtensionLines) {
    const SxfLineDist ho{1, 1, 1, 0, 0};
    const SxfTen te{0, 1, 0, 0, 0, 1};
    const SxfKt kt1{1, 1, 0, 0, 0, 0, 0, 1};
    const SxfKt kt2{1, 1, 0, 0, 0, 20, 10, 1};  // coincides with the line's end
    ASSERT_TRUE(m.AddEntSunpo(0, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 10, 20, 10, 10, 11, 1, 1, 0, 0, u"", u"20", 1, 2,
                              ho, ho, te, te, kt1, kt2));
    const TEntJwwSunpo& s = m.EntSunpo[0];
    EXPECT_NEAR(+s.Ho1.start_x, 0, kEps);
    EXPECT_NEAR(+s.Ho1.start_y, 1, kEps);
    EXPECT_NEAR(+s.Ho1.end_x, 0, kEps);
    EXPECT_NEAR(+s.Ho1.end_y, 12, kEps);
    // Zero distance: direction 0, so the line runs along +x.
    EXPECT_NEAR(+s.Ho2.start_x, 21, kEps);
    EXPECT_NEAR(+s.Ho2.end_x, 22, kEps);
    EXPECT_NEAR(+s.Ho2.end_y, 10, kEps);
    EXPECT_EQ(s.bSxfMode, 1);
}

TEST_F(Construction, MoveAndScaleTheDrawing) {
    const SxfLine ho{1, 1, 1, 0, 0, 1, 1, 2, 2};
    const SxfTen te{1, 1, 1, 0, 0, 2};
    const SxfKt kt{1, 1, 0, 0, 0, 3, 3, 2};
    ASSERT_TRUE(m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"B"));
    ASSERT_TRUE(m.AddBlkLine(0, 0, 0, 0, 1, 1, 0, 0, 1, 1, 2, 2));
    ASSERT_TRUE(m.AddEntLine(0, 0, 0, 1, 1, 0, 0, 1, 1, 2, 2));
    ASSERT_TRUE(m.AddEntArc(0, 0, 0, 1, 1, 0, 0, 1, 1, 3, 0.5, 0, 90, 10));
    ASSERT_TRUE(m.AddEntTen(0, 0, 0, 1, 2, 0, 0, 1, 1, 0, 2));
    ASSERT_TRUE(m.AddEntMoji(0, 0, 0, 1, 1, 0, 0, 0, 1, 1, 2, 2, 3, 3, 0, 0, u"", u"x"));
    ASSERT_TRUE(m.AddEntSunpo(0, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0, 1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 0, 0, u"", u"1", ho,
                              ho, te, te, kt, kt));
    ASSERT_TRUE(m.AddEntSunpo(0, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0, 1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 0, 0, u"", u"1"));
    ASSERT_TRUE(m.AddEntSolid(0, 0, 0, 1, 1, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4));
    ASSERT_TRUE(m.AddEntSolidA(0, 0, 0, 1, 0, 0, 0, 1, 1, 3, 0.5, 0));
    ASSERT_TRUE(m.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 0, 1, 1, 2, 3, 0));

    m.MoveEntALL(10, 20);
    EXPECT_EQ(+m.EntLine[0].end_y, 22);
    EXPECT_EQ(+m.EntEnko[0].start_x, 11);
    EXPECT_EQ(+m.EntTen[0].start_y, 21);
    EXPECT_EQ(+m.EntMoji[0].end_x, 12);
    EXPECT_EQ(+m.EntSunpo[0].Moji.start_y, 21);
    EXPECT_EQ(+m.EntSunpo[0].Ho2.end_x, 12);
    EXPECT_EQ(+m.EntSunpo[0].Kt2.start_y, 23);
    EXPECT_EQ(+m.EntSunpo[1].Sen.end_x, 12);
    EXPECT_EQ(+m.EntSunpo[1].Ho1.end_x, 0);  // not SXF: the derived parts stay
    EXPECT_EQ(+m.EntSolid[0].DPoint3_y, 24);
    EXPECT_EQ(+m.EntSolid[1].start_x, 11);
    EXPECT_EQ(+m.EntSolid[1].end_x, 3);  // radius
    EXPECT_EQ(+m.EntBlock[0].DPKijunTen_y, 21);
    EXPECT_EQ(+m.EntBlockDef[0].mLine[0].start_x, 1);  // definitions keep their coordinates

    m.ScaleEntALL(10, 20, 2);
    EXPECT_EQ(+m.EntLine[0].end_x, 14);
    EXPECT_EQ(+m.EntLine[0].end_y, 24);
    EXPECT_EQ(+m.EntEnko[0].dHankei, 6);
    EXPECT_EQ(+m.EntEnko[0].dHenpeiRitsu, 0.5);
    EXPECT_EQ(+m.EntTen[0].dBairitsu, 4);
    EXPECT_EQ(+m.EntMoji[0].end_x, 14);
    EXPECT_EQ(+m.EntMoji[0].dSizeX, 3);
    EXPECT_EQ(+m.EntSunpo[0].Te1.dBairitsu, 4);
    EXPECT_EQ(+m.EntSunpo[0].Kt1.start_x, 16);
    EXPECT_EQ(+m.EntSunpo[0].Moji.dSizeY, 3);
    EXPECT_EQ(+m.EntSolid[0].DPoint2_x, 16);
    EXPECT_EQ(+m.EntSolid[1].start_x, 12);
    EXPECT_EQ(+m.EntSolid[1].end_x, 6);
    EXPECT_EQ(+m.EntSolid[1].end_y, 0.5);
    EXPECT_EQ(+m.EntBlock[0].DPKijunTen_x, 12);
    EXPECT_EQ(+m.EntBlock[0].dBairitsuX, 4);
    EXPECT_EQ(+m.EntBlock[0].dBairitsuY, 6);
    EXPECT_EQ(+m.EntBlockDef[0].mLine[0].end_x, 2);
}

}  // namespace
}  // namespace jw
