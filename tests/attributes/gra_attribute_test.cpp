// Display attribute tables: defaults after the window's set-up, pen and
// line-type mapping, printer thresholds, layers.
#include <gtest/gtest.h>

#include <memory>

#include "attributes/gra_attribute.h"
#include "model/jw_data.h"
#include "support/program_values.h"

namespace jw {
namespace {

TgraAttribute WindowAttr() {
    TgraAttribute ga;
    JwGraAttrSetup(ga);
    return ga;
}

TEST(GraAttribute, CreateSizesTablesAndResets) {
    TgraAttribute ga;
    EXPECT_EQ(ga.scpLayN, 256);
    EXPECT_EQ(ga.scpColN, 265);
    EXPECT_EQ(ga.scpTypN, 50);
    EXPECT_EQ(ga.scpLay.size(), 256u);
    EXPECT_EQ(ga.scpCol.size(), 265u);
    EXPECT_EQ(ga.scpTyp.size(), 50u);
    EXPECT_FALSE(ga.GetDisplayMode());
    EXPECT_EQ(ga.GetDispHojo(), 0);
    EXPECT_EQ(ga.GetDispKijun(), 0);
    int32_t s0 = 0, s1 = 0, s2 = 0;
    EXPECT_FALSE(ga.GetPrintMode(s0, s1, s2));
    EXPECT_EQ(s0, -1);
    EXPECT_EQ(s1, -1);
    EXPECT_EQ(s2, -1);
    EXPECT_EQ(ga.GetAll1Color(), 0xFFFFFFFFu);
}

TEST(GraAttribute, DataInitKeepsAuxiliaryLineFlags) {
    TgraAttribute ga = WindowAttr();
    ga.SetBackColor(1);
    ga.SetAll1Color(true, 0xFF123456u);
    ga.DataInit();
    EXPECT_EQ(ga.GetDispHojo(), 1);
    EXPECT_EQ(ga.GetDispKijun(), 1);
    EXPECT_EQ(ga.GetBackColorNo(), 0);
    EXPECT_FALSE(ga.GetAll1ColorState());
    EXPECT_FALSE(ga.GetDisplayMode());
}

TEST(GraAttribute, SetUpForWhiteBackground) {
    TgraAttribute ga = WindowAttr();
    EXPECT_TRUE(ga.GetDisplayMode());
    EXPECT_EQ(ga.GetBackColorNo(), 0);
    EXPECT_EQ(ga.GetBackColor(), 0xFFFFFFFFu);
    EXPECT_EQ(ga.GetForeColor(), 0xFF000000u);
    EXPECT_EQ(ga.GetGrayColor(), 0xFF808080u);
    EXPECT_EQ(ga.GetDispHojo(), 1);
    EXPECT_EQ(ga.GetDispKijun(), 1);
    EXPECT_FALSE(ga.GetAll1ColorState());
}

struct PenCase {
    int32_t pen;
    uint32_t color;
    double width;
    double ten_r;
};

TEST(GraAttribute, PenTableAfterSetUp) {
    const TgraAttribute ga = WindowAttr();
    const PenCase cases[] = {
        {1, 0xFF00C0C0u, 0.1, 0.2},   {2, 0xFF000000u, 0.15, 0.3}, {3, 0xFF00C000u, 0.2, 0.4},
        {4, 0xFFC0C000u, 0.25, 0.5},  {5, 0xFFC000C0u, 0.3, 0.5},  {6, 0xFF0000FFu, 0.35, 0.5},
        {7, 0xFF008080u, 0.4, 0.5},   {8, 0xFFFF0080u, 0.5, 0.5},  {9, 0xFFFF80FFu, 0.01, 0.2},
        {101, 0xFF000000u, 0.18, 0.2}, {102, 0xFFFF0000u, 0.18, 0.2}, {108, 0xFF000000u, 0.18, 0.2},
        {116, 0xFF808080u, 0.18, 0.2}, {117, 0xFF000000u, 0.18, 0.2}, {200, 0xFF000000u, 0.18, 0.2},
        {356, 0xFF000000u, 0.18, 0.2},
        // Pens without an entry: background colour, width 0, radius 0.1.
        {0, 0xFFFFFFFFu, 0.0, 0.1},   {10, 0xFFFFFFFFu, 0.0, 0.1}, {100, 0xFFFFFFFFu, 0.0, 0.1},
        {357, 0xFFFFFFFFu, 0.0, 0.1}, {400, 0xFFFFFFFFu, 0.0, 0.1}, {-1, 0xFFFFFFFFu, 0.0, 0.1},
    };
    for (const PenCase& c : cases) {
        SCOPED_TRACE(c.pen);
        EXPECT_EQ(ga.GetAttrColcol(c.pen), c.color);
        EXPECT_DOUBLE_EQ(ga.GetAttrColwid(c.pen), c.width);
        EXPECT_DOUBLE_EQ(ga.GetAttrColten(c.pen), c.ten_r);
    }
    // Entry-index forms: entry 9 is pen 101, entry 264 pen 356; 265 is outside.
    EXPECT_EQ(ga.GetAttrColcol_(9), 0xFF000000u);
    EXPECT_EQ(ga.GetAttrColcol_(10), 0xFFFF0000u);
    EXPECT_EQ(ga.GetAttrColcol_(265), 0xFFFFFFFFu);
    EXPECT_DOUBLE_EQ(ga.GetAttrColten_(-1), 0.1);
    EXPECT_DOUBLE_EQ(ga.GetAttrColwid_(265), 0.0);
}

TEST(GraAttribute, BlackBackground) {
    TgraAttribute ga = WindowAttr();
    ga.SetBackColor(1);
    // The pen table changes only when the defaults are applied again.
    EXPECT_EQ(ga.GetAttrColcol(2), 0xFF000000u);
    ga.SetDefaultColor();
    EXPECT_EQ(ga.GetBackColor(), 0xFF000000u);
    EXPECT_EQ(ga.GetForeColor(), 0xFFFFFFFFu);
    EXPECT_EQ(ga.GetAttrColcol(1), 0xFF00FFFFu);
    EXPECT_EQ(ga.GetAttrColcol(2), 0xFFFFFFFFu);
    EXPECT_EQ(ga.GetAttrColcol(6), 0xFF2020FFu);
    EXPECT_EQ(ga.GetAttrColcol(8), 0xFFA00000u);
    EXPECT_EQ(ga.GetAttrColcol(116), 0xFF808080u);
    for (int32_t pen = 117; pen <= 356; ++pen) ASSERT_EQ(ga.GetAttrColcol(pen), 0xFFFFFFFFu) << pen;
    EXPECT_EQ(ga.GetAttrColcol(0), 0xFF000000u);  // no entry: background
}

TEST(GraAttribute, UnknownBackgroundChangesNothing) {
    TgraAttribute ga = WindowAttr();
    ga.SetBackColor(2);
    EXPECT_EQ(ga.GetBackColorNo(), 0);
    EXPECT_EQ(ga.GetBackColor(), 0xFFFFFFFFu);
    EXPECT_EQ(ga.GetForeColor(), 0xFF000000u);
    // A background number other than 0 and 1 paints every pen in the
    // foreground colour only.
    ga.BkColor = 2;
    ga.SetDefaultColor();
    EXPECT_EQ(ga.GetAttrColcol(1), 0xFF000000u);
    EXPECT_EQ(ga.GetAttrColcol(102), 0xFF000000u);
}

struct ThresholdCase {
    int32_t sk0, sk1, sk2;
    int32_t pen;
    uint32_t penColor;  // colour set on the pen first
    uint32_t printed;
};

TEST(GraAttribute, PrinterThresholds) {
    const ThresholdCase cases[] = {
        // Black-and-white threshold 0: only pure white stays white.
        {0, -1, -1, 1, 0xFF00C0C0u, 0xFF000000u},
        {0, -1, -1, 2, 0xFFFFFFFFu, 0xFFFFFFFFu},
        {0, -1, -1, 102, 0xFFFF0000u, 0xFF000000u},
        // A larger threshold makes pale colours white.
        {64, -1, -1, 1, 0xFFC0C0C0u, 0xFFFFFFFFu},
        {64, -1, -1, 1, 0xFFBFC0C0u, 0xFF000000u},
        // Pale-to-black for standard pens only.
        {-1, 10, -1, 1, 0xFFF8F8F8u, 0xFF000000u},
        {-1, 10, -1, 1, 0xFFF0F8F8u, 0xFFF0F8F8u},
        {-1, 10, -1, 102, 0xFFF8F8F8u, 0xFFF8F8F8u},
        // Pale-to-black for extended pens only.
        {-1, -1, 10, 102, 0xFFF8F8F8u, 0xFF000000u},
        {-1, -1, 10, 1, 0xFFF8F8F8u, 0xFFF8F8F8u},
        // Both steps: white after the first, black after the second.
        {0, 0, -1, 2, 0xFFFFFFFFu, 0xFF000000u},
    };
    for (const ThresholdCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sk0 << "/" << c.sk1 << "/" << c.sk2 << " pen " << c.pen);
        TgraAttribute ga = WindowAttr();
        ga.SetAttrCol(c.pen, c.penColor);
        ga.SetPrintMode(true, c.sk0, c.sk1, c.sk2);
        EXPECT_EQ(ga.GetAttrColcol(c.pen), c.printed);
        ga.SetPrintMode(false, c.sk0, c.sk1, c.sk2);
        EXPECT_EQ(ga.GetAttrColcol(c.pen), c.penColor);
    }
}

TEST(GraAttribute, SetAttrColOverloads) {
    TgraAttribute ga = WindowAttr();
    ga.SetAttrCol(3, 0xFF010203u, 0.7, 0.9);
    ga.SetAttrCol(4, 0xFF040506u, 0.8);
    ga.SetAttrCol(5, 0.6, 0.45);
    ga.SetAttrCol(6, 1.25);
    ga.SetAttrCol(120, 0xFF0A0B0Cu);
    ga.SetAttrCol(10, 0xFF111111u, 2.0, 3.0);  // no entry: ignored
    ga.SetAttrCol_(264, 0xFF222222u);
    ga.SetAttrCol_(265, 0xFF333333u);  // outside: ignored
    EXPECT_EQ(ga.GetAttrColcol(3), 0xFF010203u);
    EXPECT_DOUBLE_EQ(ga.GetAttrColwid(3), 0.7);
    EXPECT_DOUBLE_EQ(ga.GetAttrColten(3), 0.9);
    EXPECT_EQ(ga.GetAttrColcol(4), 0xFF040506u);
    EXPECT_DOUBLE_EQ(ga.GetAttrColwid(4), 0.8);
    EXPECT_DOUBLE_EQ(ga.GetAttrColten(4), 0.5);
    EXPECT_EQ(ga.GetAttrColcol(5), 0xFFC000C0u);
    EXPECT_DOUBLE_EQ(ga.GetAttrColwid(5), 0.6);
    EXPECT_DOUBLE_EQ(ga.GetAttrColten(5), 0.45);
    EXPECT_DOUBLE_EQ(ga.GetAttrColwid(6), 1.25);
    EXPECT_DOUBLE_EQ(ga.GetAttrColten(6), 0.5);
    EXPECT_EQ(ga.GetAttrColcol(120), 0xFF0A0B0Cu);
    EXPECT_EQ(ga.GetAttrColcol(356), 0xFF222222u);
    EXPECT_EQ(ga.GetAttrColcol(10), 0xFFFFFFFFu);
}

TEST(GraAttribute, DefaultLayers) {
    const TgraAttribute ga = WindowAttr();
    int32_t st = 0;
    double sc = 0;
    JwString g, l;
    ASSERT_TRUE(ga.GetAttrLayer(0x1F, st, sc, g, l));
    EXPECT_EQ(st, 1);
    EXPECT_DOUBLE_EQ(sc, 1.0);
    EXPECT_EQ(g, u"[1] ");
    EXPECT_EQ(l, u"(F) ");
    EXPECT_EQ(ga.GetAttrLayerGName(0xA0), u"[A] ");
    EXPECT_EQ(ga.GetAttrLayerName(0), u"(0) ");
}

TEST(GraAttribute, SetAttrLayer) {
    TgraAttribute ga = WindowAttr();
    ga.SetAttrLayer(0xB3, 2, 0.01, u"基礎", u"通り芯");
    EXPECT_EQ(ga.GetAttrLayerState(0xB3), 2);
    EXPECT_DOUBLE_EQ(ga.GetAttrLayerScale(0xB3), 0.01);
    EXPECT_EQ(ga.GetAttrLayerGName(0xB3), u"[B] 基礎");
    EXPECT_EQ(ga.GetAttrLayerName(0xB3), u"(3) 通り芯");

    // Out-of-range state and non-positive scale fall back to 1; the short
    // forms leave the names alone.
    ga.SetAttrLayer(0xB3, 7, -2.0);
    EXPECT_EQ(ga.GetAttrLayerState(0xB3), 1);
    EXPECT_DOUBLE_EQ(ga.GetAttrLayerScale(0xB3), 1.0);
    EXPECT_EQ(ga.GetAttrLayerName(0xB3), u"(3) 通り芯");
    ga.SetAttrLayer(0xB3, 3);
    EXPECT_EQ(ga.GetAttrLayerState(0xB3), 3);
    ga.SetAttrLayer(0xB3, 0, 0.0);
    EXPECT_EQ(ga.GetAttrLayerState(0xB3), 1);
    EXPECT_DOUBLE_EQ(ga.GetAttrLayerScale(0xB3), 1.0);
}

TEST(GraAttribute, LayerOutsideTable) {
    TgraAttribute ga = WindowAttr();
    const TgraAttribute before = ga;
    for (int32_t n : {256, 300, -1}) {
        ga.SetAttrLayer(n, 3, 0.5, u"x", u"y");
        ga.SetAttrLayer(n, 3, 0.5);
        ga.SetAttrLayer(n, 3);
        EXPECT_EQ(ga.GetAttrLayerState(n), 1);
        int32_t st = 9;
        double sc = 9;
        JwString g = u"g", l = u"l";
        EXPECT_FALSE(ga.GetAttrLayer(n, st, sc, g, l));
        EXPECT_EQ(st, 9);
    }
    for (int32_t n = 0; n < 256; ++n) {
        ASSERT_EQ(ga.scpLay[n].sta, before.scpLay[n].sta);
        ASSERT_EQ(ga.scpLay[n].gna, before.scpLay[n].gna);
    }
}

TEST(GraAttribute, LineTypeMapping) {
    struct Case {
        int32_t jn;
        int32_t entry;
    };
    const Case cases[] = {{1, 0}, {9, 8}, {11, 9}, {19, 17}, {31, 18}, {62, 49},
                          {0, -1}, {10, -1}, {20, -1}, {30, -1}, {63, -1}, {100, -1}};
    for (const Case& c : cases) EXPECT_EQ(TgraAttribute::LtypeEntry(c.jn), c.entry) << c.jn;
}

TEST(GraAttribute, DefaultLineTypes) {
    const TgraAttribute ga = WindowAttr();
    EXPECT_EQ(ga.GetAttrTypseg(1), 0);  // solid
    for (int32_t jn : {2, 3, 4, 5, 6, 7, 8, 9, 16, 17, 18, 19, 32, 45}) {
        SCOPED_TRACE(jn);
        const int32_t seg = ga.GetAttrTypseg(jn);
        ASSERT_GE(seg, 2);
        ASSERT_LE(seg, 32);
        // Dashes and gaps alternate, starting with a dash, and add up to the pitch.
        double sum = 0;
        for (int32_t i = 0; i < seg; ++i) {
            const double v = ga.GetAttrTyppa1(jn, i);
            EXPECT_EQ(v > 0, i % 2 == 0);
            sum += v > 0 ? v : -v;
        }
        EXPECT_NEAR(sum, ga.GetAttrTyppit(jn), 1e-12);
        // Built from the 0.36 mm unit.
        const double units = ga.GetAttrTyppa1(jn, 0) / 0.36;
        EXPECT_NEAR(units, static_cast<int>(units + 0.5), 1e-9);
    }
    for (int32_t jn = 11; jn <= 15; ++jn) EXPECT_GT(ga.GetAttrTypamp(jn), 0.0) << jn;
    EXPECT_EQ(ga.GetAttrTypseg(0), 0);
    EXPECT_DOUBLE_EQ(ga.GetAttrTyppit(20), 0.0);
    EXPECT_DOUBLE_EQ(ga.GetAttrTyppa1(2, 32), 0.0);
}

TEST(GraAttribute, LineTypeAccessAndScale) {
    TgraAttribute ga = WindowAttr();
    const double pat[] = {1.0, -0.5, 0.25, -0.5};
    ga.SetAttrTyppat(40, pat);
    ga.SetAttrTypPit(40, 2.25);
    ga.SetAttrTypamp(40, 0.3);
    EXPECT_EQ(ga.GetAttrTypseg(40), 4);
    EXPECT_EQ(ga.GetAttrTypseg_(27), 4);
    EXPECT_DOUBLE_EQ(ga.GetAttrTyppat(40)[2], 0.25);
    EXPECT_DOUBLE_EQ(ga.GetAttrTyppat(40)[4], 0.0);
    ga.SetAttrTyppa1(40, 3, -0.75);
    ga.SetAttrTypseg(40, 99);  // clamped to 32
    EXPECT_EQ(ga.GetAttrTypseg(40), 32);
    ga.SetAttrTypseg(40, 4);

    ga.SetAttrTypScale(2.0);
    EXPECT_DOUBLE_EQ(ga.GetAttrTyppa1(40, 0), 2.0);
    EXPECT_DOUBLE_EQ(ga.GetAttrTyppa1(40, 3), -1.5);
    EXPECT_DOUBLE_EQ(ga.GetAttrTyppit(40), 4.5);
    EXPECT_DOUBLE_EQ(ga.GetAttrTypamp(40), 0.3);

    // Unmapped numbers and indices are ignored and read as 0.
    ga.SetAttrTyppat(25, pat);
    ga.SetAttrTyppat_(50, pat);
    EXPECT_EQ(ga.GetAttrTypseg(25), 0);
    EXPECT_EQ(ga.GetAttrTypseg_(50), 0);
    EXPECT_DOUBLE_EQ(ga.GetAttrTyppat_(-1)[0], 0.0);
}

// ---- layer states copied from a drawing ----

class SetGAttLayerTest : public testing::Test {
protected:
    void SetUp() override {
        attr_ = std::make_unique<TgraAttribute>();
        JwGraAttrSetup(*attr_);
        saved_ = JwGraAttr;
        JwGraAttr = attr_.get();
        jw_.EntLgrp.resize(16);
        jw_.EntLay.resize(256);
        for (auto& g : jw_.EntLgrp) {
            g.anGLay = 2;
            g.adScale = 100.0;
        }
        for (auto& l : jw_.EntLay) l.aanLay = 2;
    }
    void TearDown() override { JwGraAttr = saved_; }

    std::unique_ptr<TgraAttribute> attr_;
    TgraAttribute* saved_ = nullptr;
    TJwwData jw_;
};

TEST_F(SetGAttLayerTest, States) {
    struct Case {
        int32_t groupState, layerState, expected;
    };
    const Case cases[] = {
        {0, 2, 3}, {0, 0, 3}, {0, 1, 3}, {2, 0, 3}, {1, 0, 3},
        {1, 2, 2}, {2, 1, 2}, {1, 1, 2}, {2, 2, 1}, {3, 3, 1},
    };
    for (const Case& c : cases) {
        jw_.EntLgrp[4].anGLay = c.groupState;
        jw_.EntLay[0x47].aanLay = c.layerState;
        jw_.SetGAttLayer();
        EXPECT_EQ(JwGraAttr->GetAttrLayerState(0x47), c.expected)
            << "group " << c.groupState << " layer " << c.layerState;
    }
}

TEST_F(SetGAttLayerTest, ScalesAndNames) {
    jw_.EntLgrp[2].aStrGLayName = u"平面";
    jw_.EntLay[0x25].aStrLayName = u"壁";
    jw_.EntLgrp[3].adScale = 0.0;  // no usable scale
    jw_.EntLgrp[5].adScale = -50.0;
    jw_.SetGAttLayer();
    EXPECT_DOUBLE_EQ(JwGraAttr->GetAttrLayerScale(0x25), 0.01);
    EXPECT_EQ(JwGraAttr->GetAttrLayerGName(0x25), u"[2] 平面");
    EXPECT_EQ(JwGraAttr->GetAttrLayerName(0x25), u"(5) 壁");
    EXPECT_EQ(JwGraAttr->GetAttrLayerName(0x26), u"(6) ");
    EXPECT_DOUBLE_EQ(JwGraAttr->GetAttrLayerScale(0x30), 1.0);
    EXPECT_DOUBLE_EQ(JwGraAttr->GetAttrLayerScale(0x5F), 1.0);
}

TEST_F(SetGAttLayerTest, ShortTablesKeepDefaults) {
    JwGraAttr->SetAttrLayer(0x12, 3, 0.5, u"old", u"old");
    jw_.EntLgrp.resize(1);
    jw_.EntLay.resize(8);
    jw_.EntLay[3].aanLay = 0;
    jw_.SetGAttLayer();
    EXPECT_EQ(JwGraAttr->GetAttrLayerState(3), 3);
    EXPECT_DOUBLE_EQ(JwGraAttr->GetAttrLayerScale(3), 0.01);
    // Layers without settings are back to their defaults.
    EXPECT_EQ(JwGraAttr->GetAttrLayerState(0x12), 1);
    EXPECT_DOUBLE_EQ(JwGraAttr->GetAttrLayerScale(0x12), 1.0);
    EXPECT_EQ(JwGraAttr->GetAttrLayerGName(0x12), u"[1] ");

    TJwwData empty;
    empty.SetGAttLayer();
    EXPECT_EQ(JwGraAttr->GetAttrLayerState(3), 1);
}

TEST(SetGAttLayer, WithoutAttributeObjectDoesNothing) {
    TgraAttribute* saved = JwGraAttr;
    JwGraAttr = nullptr;
    TJwwData jw;
    jw.EntLgrp.resize(16);
    jw.EntLay.resize(256);
    jw.SetGAttLayer();
    EXPECT_EQ(JwGraAttr, nullptr);
    JwGraAttr = saved;
}

}  // namespace
}  // namespace jw
