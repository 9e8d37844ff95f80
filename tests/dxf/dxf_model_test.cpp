// The DXF model: palette and pen mappings, table names, ByLayer reduction,
// arc classification, block adders and the placement of layer groups.
#include <gtest/gtest.h>

#include <cmath>

#include "dxf/writer/group_codes.h"
#include "dxf/dxf_model.h"
#include "dxf/dxf_palette.h"
#include "support/numbers.h"

namespace jw {
namespace {

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return 0xFF000000u + r * 65536 + g * 256 + b; }

TEST(DxfPalette, RowsFollowTheHueScheme) {
    const auto& p = AciPalette();
    // Row 20-29 as listed for the second hue.
    const uint32_t row2[10] = {Rgb(255, 63, 0),  Rgb(255, 159, 127), Rgb(165, 41, 0), Rgb(165, 103, 82),
                               Rgb(127, 31, 0),  Rgb(127, 79, 63),   Rgb(76, 19, 0),  Rgb(76, 47, 38),
                               Rgb(38, 9, 0),    Rgb(38, 23, 19)};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(p[20 + i], row2[i]) << "index " << 20 + i;
    EXPECT_EQ(p[0], Rgb(255, 255, 255));
    EXPECT_EQ(p[9], Rgb(192, 192, 192));
    EXPECT_EQ(p[10], Rgb(255, 0, 0));
    EXPECT_EQ(p[11], Rgb(255, 127, 127));
    EXPECT_EQ(p[249], Rgb(38, 19, 23));  // last row (255,0,63): pale (255,127,159) at level 4
    EXPECT_EQ(p[255], Rgb(179, 179, 179));
}

TEST(DxfPalette, RgbToAci) {
    struct Case { uint32_t c; int32_t aci; };
    const Case cases[] = {
        {Rgb(255, 255, 255), 7},  // white is index 0, which becomes 7
        {Rgb(0, 0, 0), 7},        // first exact match
        {Rgb(255, 0, 0), 1},
        {Rgb(0, 255, 255), 4},
        {Rgb(128, 128, 128), 8},
        {Rgb(165, 41, 0), 22},
        {Rgb(45, 45, 45), 251},
        {Rgb(250, 2, 1), 1},              // nearest
        {0x00FF0000u, 1},                 // no exact match without alpha: nearest is red
        {Rgb(254, 254, 254), 7},          // nearest is white (0) -> 7
    };
    for (const Case& c : cases) EXPECT_EQ(RgbToAci(c.c), c.aci) << std::hex << c.c;
}

// Remembered answers stay those of the search, also for colours that share
// an entry of the table: every palette colour and a near neighbour of each,
// asked for three times in turn.
TEST(DxfPalette, RgbToAciAnswersAlike) {
    const std::array<uint32_t, 256>& p = AciPalette();
    std::vector<uint32_t> colors(p.begin(), p.end());
    for (uint32_t c : p) colors.push_back(c ^ 0x010101u);
    std::vector<int32_t> first;
    for (uint32_t c : colors) first.push_back(RgbToAci(c));
    for (size_t i = 0; i < 256; ++i) {
        const auto same = std::find(p.begin(), p.end(), p[i]) - p.begin();
        EXPECT_EQ(first[i], same == 0 ? 7 : same) << i;
    }
    for (int round = 0; round < 2; ++round)
        for (size_t i = colors.size(); i-- > 0;) EXPECT_EQ(RgbToAci(colors[i]), first[i]) << std::hex << colors[i];
}

TEST(DxfPalette, PenWidthToLineWeight) {
    const std::pair<int32_t, int32_t> cases[] = {
        {0, 0},     {1, 5},     {7, 5},     {8, 9},     {16, 15},   {19, 18},   {20, 20},
        {27, 25},   {45, 40},   {95, 90},   {96, 100},  {103, 100}, {149, 140}, {150, 158},
        {179, 158}, {180, 200}, {205, 200}, {206, 211}, {1000, 211},
    };
    for (const auto& [w, lw] : cases) EXPECT_EQ(PenWidthToLineWeight(w), lw) << "width " << w;
}

TEST(DxfFormat, RealFormat) {
    const std::pair<double, const char*> cases[] = {
        {0, "0.0"},
        {-0.0, "0.0"},
        {1e-15, "0.0"},
        {-1e-14, "0.0"},
        {0.1 + 0.2, "0.3"},
        {297, "297.0"},
        {12.5, "12.5"},
        {-2.5, "-2.5"},
        {1e-5, "1.0E-5"},
        {-1.5e-7, "-1.5E-7"},
        {1.5e20, "1.5E20"},
        {1e15, "1.0E15"},
        {123456789012345.0, "123456789012345.0"},
        {0.0001, "0.0001"},
        {1.0 / 3.0, "0.33333333333333"},           // 15 digits, then 14 decimals
        {2.0 / 3.0, "0.66666666666667"},
        {0.000123456789012345, "0.00012345678901"},
        {0.999999999999999, "1.0"},                 // rounding carries into the integer
        {3.14159265358979, "3.14159265358979"},
        {2444240.0, "2444240.0"},
        {0.03937007874016, "0.03937007874016"},
        {std::nan(""), "0.0"},
        {INFINITY, "0.0"},
    };
    for (const auto& [v, text] : cases) EXPECT_EQ(DxfRealStr(v), text) << v;
}

class DxfModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        m.AddLtype(u"Continuous", u"Solid line", {});
        const double dash[] = {12.7, -6.35};
        m.AddLtype(u"DASHED", u"Dashed", dash);
        m.AddLayer(u"0", 7, 1, 0, true, true);
        m.AddLayer(u"L1", 3, 2, 25, true, true);
    }
    TDXFmodel m;
};

TEST_F(DxfModelTest, NamesAreMadeUniqueIgnoringCase) {
    m.AddLayer(u"ABC", 7, 1, 0, true, true);
    m.AddLayer(u"abc", 7, 1, 0, true, true);
    m.AddLayer(u"Abc", 7, 1, 0, true, true);
    ASSERT_EQ(m.lays.size(), 5u);
    EXPECT_EQ(m.lays[3].nam, u"abc_1");
    EXPECT_EQ(m.lays[4].nam, u"Abc_2");
    EXPECT_EQ(m.AddLtype(u"dashed", u"", {}), 2);
    EXPECT_EQ(m.ltps[2].nam, u"dashed_1");
    m.AddStyle(u"Standard", u"txt", u"", 0, 1, 0, 2.5, false);
    m.AddStyle(u"STANDARD", u"txt", u"", 0, 1, 0, 2.5, false);
    EXPECT_EQ(m.msts[1].nam, u"STANDARD_1");
    EXPECT_EQ(m.AddBlockDef(u"  \u3000 ", 5), 0);
    EXPECT_EQ(m.AddBlockDef(u"noname", 6), 1);
    EXPECT_EQ(m.deBlockDef[0].nam, u"NONAME");
    EXPECT_EQ(m.deBlockDef[1].nam, u"noname_1");
    EXPECT_EQ(m.GetBlockIdx(u"NONAME_1"), 1);
    EXPECT_EQ(m.GetBlockIdx(6), 1);
    EXPECT_EQ(m.GetBlockIdx(7), -1);
    EXPECT_EQ(m.GetBlockIdx(u"other"), -1);
}

TEST_F(DxfModelTest, ManyNamesStayUniqueAndFound) {
    // Enough names for the name index to grow several times; full-width
    // letters compare without regard to case too.
    for (int i = 0; i < 300; ++i) {
        m.AddBlockDef(u"\uFF22" + IntStr(i), i);
        m.AddBlockDef(u"\uFF42" + IntStr(i), 1000 + i);
    }
    ASSERT_EQ(m.deBlockDef.size(), 600u);
    for (int i = 0; i < 300; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(m.deBlockDef[2 * i + 1].nam, u"\uFF42" + IntStr(i) + u"_1");
        EXPECT_EQ(m.GetBlockIdx(u"\uFF42" + IntStr(i)), 2 * i);
        EXPECT_EQ(m.GetBlockIdx(u"\uFF22" + IntStr(i) + u"_1"), 2 * i + 1);
    }
}

TEST_F(DxfModelTest, StyleAndTextSizesAreClamped) {
    m.AddStyle(u"S", u"f", u"", 0, -2, 0, 2, false);
    EXPECT_EQ(m.msts[0].mh, 1e-10);
    EXPECT_EQ(m.msts[0].mw, 2);
    ASSERT_TRUE(m.AddMojiA(0, 0, 1, 2, 0, 3, 0, 0, 1, 0, -1e20, 0, 0, 0, u"", u"x"));
    EXPECT_EQ(m.de.Moji[0].w, 1e10);
    EXPECT_EQ(m.de.Moji[0].h, 1e-10);
    EXPECT_TRUE(m.de.Moji[0].tate);
    EXPECT_FALSE(m.de.Moji[0].syat);  // slanted only when not vertical
    ASSERT_TRUE(m.AddMojiA(0, 0, 1, 2, 0, 2, 0, 0, 1, 0, 1, 1, 0, 0, u"", u"x"));
    EXPECT_TRUE(m.de.Moji[1].syat);
}

TEST_F(DxfModelTest, ByLayerReduction) {
    // Layer L1: colour 3, line type 2, lineweight 25.
    ASSERT_TRUE(m.AddLine(0, 1, 3, 2, 25, 0, 0, 1, 1));
    ASSERT_TRUE(m.AddLine(0, 1, 4, 1, 30, 0, 0, 1, 1));
    ASSERT_TRUE(m.AddLine(0, 1, -1, -1, -1, 0, 0, 1, 1));
    const TDXF_Line& a = m.de.Line[0];
    EXPECT_EQ(a.col, 0);
    EXPECT_EQ(a.typ, 0);
    EXPECT_EQ(a.wid, 0);
    EXPECT_EQ(m.de.Line[1].col, 4);
    EXPECT_EQ(m.de.Line[1].typ, 1);
    EXPECT_EQ(m.de.Line[1].wid, 30);
    EXPECT_EQ(m.de.Line[2].col, -1);
    EXPECT_EQ(m.de.Line[2].typ, -1);
    EXPECT_EQ(m.de.Line[2].wid, -1);
    // Points reduce colour and width, solids and texts only the colour.
    ASSERT_TRUE(m.AddTen(0, 1, 3, 25, 0, 0, 0, 0, 1));
    EXPECT_EQ(m.de.Ten[0].col, 0);
    EXPECT_EQ(m.de.Ten[0].wid, 0);
    ASSERT_TRUE(m.AddSolid3(0, 1, 3, 0, 0, 1, 0, 1, 1));
    EXPECT_EQ(m.de.Sld3[0].col, 0);
    ASSERT_TRUE(m.AddMojiA(0, 1, 3, 2, 0, 0, 0, 0, 1, 0, 1, 1, 0, 0, u"", u"t"));
    EXPECT_EQ(m.de.Moji[0].col, 0);
    EXPECT_EQ(m.de.Moji[0].typ, 2);  // the text type is no line type
    // An invalid layer is refused.
    EXPECT_FALSE(m.AddLine(0, 2, 3, 2, 25, 0, 0, 1, 1));
    EXPECT_FALSE(m.AddLine(0, -1, 3, 2, 25, 0, 0, 1, 1));
}

TEST_F(DxfModelTest, ArcClassification) {
    struct Case {
        bool block;
        double ph, ps, pd, pk;
        int32_t kind;
        double sa, da;  // of the stored arc or ellipse
    };
    const Case cases[] = {
        {false, 1, 10, 360, 0, kDxfCircle, 0, 0},
        {false, 1, 10, 0, 0, kDxfCircle, 0, 0},
        {false, 1, 10, -360, 0, kDxfCircle, 0, 0},
        {false, 1, 30, -90, 0, kDxfArc, 30, -90},
        {false, 1, 350, 40, 20, kDxfArc, 10, 40},  // start + tilt normalised
        {false, 1, -30, 40, 0, kDxfArc, 330, 40},
        {false, 0.5, 10, 360, 15, kDxfEllipse, 10, 0},
        {false, 0.5, 10, 0, 15, kDxfEllipse, 10, 0},
        {false, 0.5, 10, 90, 15, kDxfEllipse, 10, 90},
        {true, 1, 10, 360, 0, kDxfArc, 10, 360},  // a block keeps a sweep of 360 as arc
        {true, 1, 10, 0, 0, kDxfCircle, 0, 0},
        {true, 0.5, 10, 360, 15, kDxfEllipse, 10, 360},
    };
    ASSERT_EQ(m.AddBlockDef(u"B", 1), 0);
    for (const Case& c : cases) {
        TDXF_Entities& e = c.block ? m.deBlockDef[0].dm : m.de;
        e.Clear();
        const bool ok = c.block ? m.AddBlockArc(0, 0, 0, 1, 1, 1, 5, 6, 2, c.ph, c.ps, c.pd, c.pk)
                                : m.AddArc(0, 0, 1, 1, 1, 5, 6, 2, c.ph, c.ps, c.pd, c.pk);
        ASSERT_TRUE(ok);
        ASSERT_EQ(e.No.size(), 1u);
        EXPECT_EQ(e.No[0].tp, c.kind) << c.ph << " " << c.pd;
        if (c.kind == kDxfArc) {
            EXPECT_DOUBLE_EQ(e.Arc[0].sa, c.sa);
            EXPECT_DOUBLE_EQ(e.Arc[0].da, c.da);
        } else if (c.kind == kDxfEllipse) {
            EXPECT_DOUBLE_EQ(e.Elli[0].sa, c.sa);
            EXPECT_DOUBLE_EQ(e.Elli[0].da, c.da);
            EXPECT_DOUBLE_EQ(e.Elli[0].he, c.ph);
            EXPECT_DOUBLE_EQ(e.Elli[0].ka, c.pk);
        }
    }
}

TEST_F(DxfModelTest, SolidWithRepeatedCornerHasThreeCorners) {
    ASSERT_TRUE(m.AddSolid4(0, 0, 1, 0, 0, 1, 0, 1, 1, 1 + 1e-13, 1));
    ASSERT_TRUE(m.AddSolid4(0, 0, 1, 0, 0, 1, 0, 1, 1, 0, 1));
    ASSERT_EQ(m.de.No.size(), 2u);
    EXPECT_EQ(m.de.No[0].tp, kDxfSolid3);
    EXPECT_EQ(m.de.No[1].tp, kDxfSolid4);
}

TEST_F(DxfModelTest, BlockAddersCheckTheirIndexes) {
    EXPECT_FALSE(m.AddBlockLine(0, 0, 0, 1, 1, 1, 0, 0, 1, 1));
    ASSERT_EQ(m.AddBlockDef(u"A", 10), 0);
    EXPECT_TRUE(m.AddBlockLine(0, 0, 0, 1, 1, 1, 0, 0, 1, 1));
    EXPECT_FALSE(m.AddBlockLine(1, 0, 0, 1, 1, 1, 0, 0, 1, 1));
    EXPECT_FALSE(m.AddBlockLine(-2, 0, 0, 1, 1, 1, 0, 0, 1, 1));
    EXPECT_TRUE(m.AddBlockBlock(0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 1, 1));
    EXPECT_FALSE(m.AddBlockBlock(0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 1, 1));  // nested index outside
    const TDXF_PLinePoint pts[] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}};
    EXPECT_TRUE(m.AddBlockPLine(0, 0, 0, 1, 1, 1, 0, 0, true, pts));
    EXPECT_TRUE(m.de.No.empty());
    const TDXF_Entities& b = m.deBlockDef[0].dm;
    ASSERT_EQ(b.No.size(), 3u);
    EXPECT_EQ(b.No[2].tp, kDxfPLine);
    EXPECT_EQ(b.PLin[0].v.size(), 3u);
}

TEST_F(DxfModelTest, LayerNames) {
    struct Case { int32_t rule; int32_t l; const char16_t* lg; const char16_t* ly; const char16_t* name; };
    const Case cases[] = {
        {0, 11, u"平面", u"壁", u"12"},
        {0, INT32_MAX, u"", u"", u"2147483648"},
        {1, 11, u"平面", u" 壁 ", u" 壁 "},
        {2, 11, u"平面", u"", u"平面-B"},
        {2, 11, u"平 面", u"壁\u30001", u"平面-壁1"},
        {2, 11, u"", u"壁", u"壁"},
        {2, 11, u" ", u" ", u""},
    };
    for (const Case& c : cases) {
        m.SetLayerNameType(c.rule);
        EXPECT_EQ(m.DefautLayerName(c.l, c.lg, c.ly), c.name) << c.rule;
    }
    struct Adj { int32_t ver; int32_t lg, ly; const char16_t* in; const char16_t* out; };
    const Adj adj[] = {
        {kDxf2000, 0, 0, u"壁-1", u"壁-1"},
        {kDxfR12, 0, 0, u"壁-1", u"-1"},
        {kDxf2007, 0, 0, u"a/b*c$_d", u"abc$_d"},
        {kDxf2000, 0, 0, u"Ａ＄（Ｂ）", u"ＡＢ"},  // full-width dollar is removed in 2000
        {kDxfR12, 0, 0, u"Ａ＄（Ｂ）", u"Ａ＄Ｂ"},
        {kDxfR12, 10, 15, u"壁 ", u"A-F"},
        {kDxf2000, 1, 2, u"?*", u"1-2"},
    };
    for (const Adj& a : adj) {
        m.SetDXFVer(a.ver, 0);
        EXPECT_EQ(m.AdjustLayerName(a.lg, a.ly, a.in), a.out);
    }
}

TEST_F(DxfModelTest, LayerGroupsInModelSpace) {
    for (int i = 0; i < 16; ++i) m.deLgp[i].sc = 10 + i;
    m.SetDXFVer(kDxf2000, 0);
    m.SetLgp(3, 0);
    for (const TDXF_LGroup& g : m.deLgp) {
        EXPECT_EQ(g.n, 0);
        EXPECT_EQ(g.sc, 13);
        EXPECT_EQ(g.dx, 0);
        EXPECT_EQ(g.dy, 0);
    }
    EXPECT_TRUE(m.deVport.empty());
}

TEST_F(DxfModelTest, LayerGroupsWithViewports) {
    // Group 0 is the base; groups 1, 2 and 4.. share scale 50, group 3 has 200.
    for (int i = 0; i < 16; ++i) m.deLgp[i].sc = 50;
    m.deLgp[0].sc = 100;
    m.deLgp[3].sc = 200;
    m.SetPap(0, 0, 10, 10, 420, 297);
    m.SetDXFVer(kDxf2000, 1);
    m.SetLgp(0, 1);
    m.SetLgp(0, 1);  // a second call starts again from an empty viewport list
    EXPECT_EQ(m.deLgp[0].n, 0);
    EXPECT_EQ(m.deLgp[0].sc, 1);
    EXPECT_EQ(m.deLgp[1].n, 1);
    EXPECT_EQ(m.deLgp[1].dx, 0);
    EXPECT_EQ(m.deLgp[2].n, 1);
    EXPECT_EQ(m.deLgp[3].n, 2);
    EXPECT_EQ(m.deLgp[3].dx, 420 * 50 * 2);
    for (int i = 4; i < 16; ++i) EXPECT_EQ(m.deLgp[i].n, 1) << i;
    ASSERT_EQ(m.deVport.size(), 3u);
    ASSERT_EQ(m.de.No.size(), 3u);
    const TDXF_ViewPort& paper = m.deVport[0];
    EXPECT_EQ(paper.spc, 1);
    EXPECT_EQ(paper.id, 1);
    EXPECT_EQ(paper.sc, 1);
    EXPECT_EQ(paper.w, 420);
    EXPECT_EQ(paper.h, 297);
    EXPECT_EQ(paper.vx, 210);
    EXPECT_EQ(paper.vy, 148.5);
    EXPECT_EQ(paper.vh, 297);
    EXPECT_EQ(m.deVport[2].id, 3);
    EXPECT_EQ(m.deVport[2].sc, 200);
    EXPECT_EQ(m.deVport[2].dx, 42000);

    // Viewport boxes: content of viewport 2 (index 1), none for index 2.
    m.SetVPortMinMax(1, 10, 20);
    m.SetVPortMinMax(1, 30, 5);
    m.SetVPortMinMax(7, 1, 1);  // ignored
    m.SetVPortArea();
    const TDXF_ViewPort& v = m.deVport[1];
    EXPECT_EQ(v.cx, 20);
    EXPECT_EQ(v.cy, 12.5);
    EXPECT_EQ(v.w, 30);
    EXPECT_EQ(v.h, 25);
    EXPECT_EQ(v.vx, 20 * 50);
    EXPECT_EQ(v.vh, 25 * 50);
    const TDXF_ViewPort& empty = m.deVport[2];
    EXPECT_EQ(empty.w, 10);
    EXPECT_EQ(empty.cx, 0);
    EXPECT_EQ(empty.vx, 42000);
    EXPECT_EQ(m.deVport[0].w, 420);  // the paper viewport is left alone
}

TEST(DxfNormDeg, Normalises) {
    const std::pair<double, double> cases[] = {{-30, 330}, {720, 0}, {359.99999999999, 0}, {1e-11, 0}, {90, 90},
                                               {-720.5, 359.5}};
    for (const auto& [in, out] : cases) EXPECT_NEAR(DxfNormDeg(in), out, 1e-9) << in;
}

}  // namespace
}  // namespace jw
