// Rebuilt dimensions: a Jw_cad group of each kind (linear, diameter, radius,
// angle, SXF) becomes one DIMENSION whose "*D" block holds the members; a
// group that fails every recogniser stays loose; a group number belongs to
// the first container it occurs in; the block is drawn where the DIMENSION
// stands in every space mode; the drawing is the same after the export.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <string>

#include "dxf/dimension_rebuild.h"
#include "dxf/dxf_model.h"
#include "dxf/jww_to_dxf.h"
#include "export_fixture.h"
#include "model/jw_data.h"
#include "support/paths.h"
#include "support/program_values.h"
#include "support/text_encoding.h"

namespace jw {
namespace {

namespace fs = std::filesystem;
constexpr double kPi = std::numbers::pi;

// The drawing's parts of one dimension, each added with curve group g; they
// go to the top level (def < 0) or into block definition def.
struct Drawing {
    TJwwData& w;
    int32_t def = -1;

    void Line(int32_t g, double x1, double y1, double x2, double y2, int32_t lg = 0) {
        if (def < 0) {
            w.AddEntLine(g, lg, 0, 1, 1, 0, 0, x1, y1, x2, y2);
        } else {
            w.AddBlkLine(def, g, lg, 0, 1, 1, 0, 0, x1, y1, x2, y2);
        }
    }
    // fl: 0x02 a dimension text (linear), | 0x40 diameter, | 0x20 radius, | 0x80 angle.
    void Text(int32_t g, const std::u16string& s, int32_t fl, double x, double y, int32_t lg = 0) {
        if (def < 0) {
            w.AddEntMoji(g, lg, 0, 1, 1, 0, fl, 0, x, y, x + 10, y, 2, 2, 0, 0, u"", s);
        } else {
            w.AddBlkMoji(def, g, lg, 0, 1, 1, 0, fl, 0, x, y, x + 10, y, 2, 2, 0, 0, u"", s);
        }
    }
    // A Jw_cad linear dimension: the dimension entity from (x, y) along the x
    // axis over len, extension lines down to y - 10 (at the ends given), and
    // two arrow strokes.
    void Linear(int32_t g, double x, double y, double len, bool ext1 = true, bool ext2 = true, int32_t lg = 0) {
        if (def < 0) {
            w.AddEntSunpo(g, lg, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0, x, y, x + len, y, x + len / 2, y + 1, 2, 2, 0, 0, u"",
                          u"30");
        } else {
            w.AddBlkSunpo(def, g, lg, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0, x, y, x + len, y, x + len / 2, y + 1, 2, 2, 0, 0,
                          u"", u"30");
        }
        if (ext1) Line(g, x, y - 10, x, y + 2, lg);
        if (ext2) Line(g, x + len, y - 10, x + len, y + 2, lg);
        Line(g, x, y, x + 2, y + 0.5, lg);
        Line(g, x + len, y, x + len - 2, y + 0.5, lg);
    }
};

class Dims : public dxftest::DrawingExport {
protected:
    void SetUp() override {
        DrawingExport::SetUp();
        DxfOutDimension = true;
    }
    void Convert(const std::function<void(Drawing&)>& build, int32_t ver = kDxf2000) {
        DrawingExport::Convert(
            [&](TJwwData& w) {
                Drawing dr{w};
                build(dr);
            },
            ver);
    }
    const TDXF_BlockDef& Block(const char16_t* name) {
        const int32_t b = m.GetBlockIdx(std::u16string_view(name));
        EXPECT_GE(b, 0) << "no block";
        static const TDXF_BlockDef none;
        return b < 0 ? none : m.deBlockDef[static_cast<size_t>(b)];
    }
};

// Shifted by half the fixture's paper (420 x 297).
double X(double x) { return x + 210; }
double Y(double y) { return y + 148.5; }

TEST_F(Dims, LinearGroupBecomesOneDimensionAndLeavesNothingLoose) {
    Convert([](Drawing& dr) { dr.Linear(1, 0, 0, 30); });
    EXPECT_TRUE(m.de.Line.empty());
    EXPECT_TRUE(m.de.Moji.empty());
    ASSERT_EQ(m.de.Dim.size(), 1u);
    const TDXF_Dimension& r = m.de.Dim[0];
    EXPECT_EQ(r.stp, 160);
    EXPECT_EQ(m.deBlockDef.at(r.bln).nam, u"*D0");
    EXPECT_EQ(Block(u"*D0").dm.No.size(), 6u);  // dimension line, text, two extension lines, two arrows
    EXPECT_EQ(r.lay, 4);
    EXPECT_EQ(r.sst, u"ISO-25");
    EXPECT_EQ(r.str, u"30");
    EXPECT_EQ(r.bas, 7);  // base point 1 (lower left) is attachment 7 (bottom left)
    EXPECT_DOUBLE_EQ(r.x0, X(30));
    EXPECT_DOUBLE_EQ(r.y0, Y(0));
    EXPECT_DOUBLE_EQ(r.x1, X(15));
    ASSERT_TRUE(r.fl3 && r.fl4);
    EXPECT_FALSE(r.fl5 || r.fl6);
    EXPECT_DOUBLE_EQ(r.x3, X(0));
    EXPECT_DOUBLE_EQ(r.y3, Y(-10));  // the extension line's first point
    EXPECT_DOUBLE_EQ(r.x4, X(30));
    EXPECT_DOUBLE_EQ(r.ang, 0);  // 180 counts as 0
    EXPECT_EQ(r.hlen, -1);
}

TEST_F(Dims, MissingExtensionLineTakesTheDimensionLinesEnd) {
    Convert([](Drawing& dr) {
        dr.Linear(1, 0, 0, 30, true, false);
        dr.Linear(2, 0, 50, 40, false, false);
    });
    ASSERT_EQ(m.de.Dim.size(), 2u);
    EXPECT_DOUBLE_EQ(m.de.Dim[0].x3, X(0));
    EXPECT_DOUBLE_EQ(m.de.Dim[0].y3, Y(-10));
    EXPECT_DOUBLE_EQ(m.de.Dim[0].x4, X(30));
    EXPECT_DOUBLE_EQ(m.de.Dim[0].y4, Y(0));
    EXPECT_DOUBLE_EQ(m.de.Dim[1].x3, X(0));
    EXPECT_DOUBLE_EQ(m.de.Dim[1].y3, Y(50));
    EXPECT_DOUBLE_EQ(m.de.Dim[1].x4, X(40));
    EXPECT_TRUE(m.de.Dim[1].fl3 && m.de.Dim[1].fl4);
}

struct KindCase {
    const char* name;
    std::u16string text;
    int32_t fl;
    int32_t stp;  // -1: not recognised
};

void PrintTo(const KindCase& c, std::ostream* os) { *os << c.name; }

class DimKinds : public Dims, public ::testing::WithParamInterface<KindCase> {};

// A line from (0, 0) to (20, 0), its extension beyond (0, 0) and a text.
TEST_P(DimKinds, LineAndTextByTextAndFlags) {
    const KindCase& c = GetParam();
    Convert([&](Drawing& dr) {
        dr.Line(3, 0, 0, 20, 0);
        dr.Line(3, -5, 0, 0, 0);
        dr.Text(3, c.text, c.fl, 5, 1);
    });
    if (c.stp < 0) {
        EXPECT_TRUE(m.de.Dim.empty());
        EXPECT_EQ(m.GetBlockIdx(u"*D0"), -1);
        EXPECT_EQ(m.de.Line.size(), 2u);
        EXPECT_EQ(m.de.Moji.size(), 1u);
        return;
    }
    ASSERT_EQ(m.de.Dim.size(), 1u);
    const TDXF_Dimension& r = m.de.Dim[0];
    EXPECT_EQ(r.stp, c.stp);
    ASSERT_TRUE(r.fl5);
    EXPECT_FALSE(r.fl3 || r.fl4);
    EXPECT_EQ(r.hlen, 0);
    // A radius with the extension at point 1 turns round: the extended end is point 2.
    const bool turned = c.stp == 164;
    EXPECT_DOUBLE_EQ(r.x0, X(turned ? 20 : 0));
    EXPECT_DOUBLE_EQ(r.x5, X(turned ? 0 : 20));
    EXPECT_DOUBLE_EQ(r.x1, X(10));
    EXPECT_TRUE(m.de.Line.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, DimKinds,
                         ::testing::Values(KindCase{"DiameterByText", u"φ20", 0, 163},
                                           KindCase{"DiameterByFlags", u"20", 0x42, 163},
                                           KindCase{"RadiusByText", u"R10", 0, 164},
                                           KindCase{"RadiusByFullWidthText", u"Ｒ10", 0, 164},
                                           KindCase{"RadiusByFlags", u"10", 0x22, 164},
                                           KindCase{"DiameterBeforeRadius", u"Rφ", 0, 163},
                                           KindCase{"NothingRecognised", u"abc", 0, -1}));

TEST_F(Dims, AngleFromArcTextAndRayLines) {
    for (const bool negative : {false, true}) {
        SCOPED_TRACE(negative);
        Fresh();
        Convert([&](Drawing& dr) {
            // 0 to 60 degrees about (100, 0), radius 20 (drawn backwards: from 60 by -60).
            d.AddEntArc(4, 0, 0, 1, 1, 0, 0, 100, 0, 20, 1, negative ? 60 : 0, negative ? -60 : 60, 0);
            const double c = std::cos(kPi / 3), s = std::sin(kPi / 3);
            dr.Line(4, 130, 0, 105, 0);                          // on the 0-degree ray, drawn inwards
            dr.Line(4, 100 + 5 * c, 5 * s, 100 + 30 * c, 30 * s);  // on the 60-degree ray
            dr.Text(4, u"60°", 0, 120, 10);
        });
        ASSERT_EQ(m.de.Dim.size(), 1u);
        const TDXF_Dimension& r = m.de.Dim[0];
        EXPECT_EQ(r.stp, 165);
        ASSERT_TRUE(r.fl3 && r.fl4 && r.fl5);
        EXPECT_DOUBLE_EQ(r.x5, X(100));
        EXPECT_DOUBLE_EQ(r.y5, Y(0));
        EXPECT_DOUBLE_EQ(r.x3, X(105));  // the end nearer the centre
        EXPECT_NEAR(r.x4, X(100 + 5 * std::cos(kPi / 3)), 1e-12);
        EXPECT_NEAR(r.x0, X(100 + 20 * std::cos(kPi / 6)), 1e-12);  // on the arc at 30 degrees
        EXPECT_NEAR(r.y0, Y(20 * std::sin(kPi / 6)), 1e-12);
        EXPECT_EQ(r.x1, r.x0);

        const EntityListView top = EntityListOf(d);
        const std::vector<TGroupAttrField> ga = DxfDimensionGroups(d);
        ASSERT_EQ(ga.size(), 1u);
        const DxfDimRecognition rec = DxfRecogniseDimension(top, ga[0]);
        EXPECT_NEAR(rec.dc.sa, 0, 1e-9);
        EXPECT_NEAR(rec.dc.ea, 60, 1e-9);
    }
}

TEST_F(Dims, SxfDimensionIsItsOwnGroup) {
    Convert([](Drawing& dr) {
        const TJwwData::SxfLine ho1{1, 1, 1, 0, 0, 0, -12, 0, 2}, ho2{1, 1, 1, 0, 0, 30, 2, 30, -12};
        const TJwwData::SxfTen te{1, 1, 1, 0, 0, 1};
        const TJwwData::SxfKt kt1{1, 1, 0, 0, 0, 0, -12, 1}, kt2{1, 1, 0, 0, 0, 30, -12, 1};
        dr.w.AddEntSunpo(6, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0, 30, 0, 10, 1, 20, 1, 2, 2, 0, 0, u"", u"30", ho1, ho2,
                         te, te, kt1, kt2);
        dr.Line(6, 100, 100, 120, 100);  // shares the group number
    });
    ASSERT_EQ(m.de.Dim.size(), 1u);
    const TDXF_Dimension& r = m.de.Dim[0];
    EXPECT_EQ(r.stp, 160);
    EXPECT_DOUBLE_EQ(r.y3, Y(-12));  // Ho1 from its end at Kt1
    EXPECT_DOUBLE_EQ(r.y4, Y(-12));  // Ho2 turned round to start at Kt2
    EXPECT_EQ(Block(u"*D0").dm.Line.size(), 3u);  // dimension line and both auxiliary lines
    ASSERT_EQ(m.de.Line.size(), 1u);                // the other member of group 6 stays loose
}

TEST_F(Dims, GroupNumberBelongsToTheFirstContainer) {
    Convert([](Drawing& dr) {
        ASSERT_TRUE(dr.w.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 4, u"寸法入り"));
        Drawing def{dr.w, 0};
        def.Linear(8, 0, 0, 30);
        dr.w.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 0, 50, 50, 1, 1, 0);
        dr.Linear(8, 0, 100, 20);  // the same number on the top level: not grouped
    });
    EXPECT_TRUE(m.de.Dim.empty());
    EXPECT_EQ(m.de.Line.size(), 5u);
    const int32_t b = m.GetBlockIdx(0);
    ASSERT_GE(b, 0);
    ASSERT_EQ(m.deBlockDef[b].dm.Dim.size(), 1u);
    const TDXF_Dimension& r = m.deBlockDef[b].dm.Dim[0];
    EXPECT_EQ(m.deBlockDef.at(r.bln).nam, u"*D0");
    EXPECT_DOUBLE_EQ(r.x0, 30);  // inside a definition: not shifted
    EXPECT_TRUE(m.deBlockDef[b].dm.Line.empty());
    // The "*D" blocks come before the drawing's own definitions.
    EXPECT_LT(r.bln, b);
}

TEST_F(Dims, OffMakesNoDimensionBlock) {
    DxfOutDimension = false;
    Convert([](Drawing& dr) { dr.Linear(1, 0, 0, 30); });
    EXPECT_TRUE(m.de.Dim.empty());
    EXPECT_EQ(m.GetBlockIdx(u"*D0"), -1);
    EXPECT_EQ(m.de.Line.size(), 5u);
}

// The members of a "*D" block are placed like the DIMENSION's points: the
// dimension line in the block ends at the DIMENSION's point 10.
TEST_F(Dims, BlockDrawnWhereTheDimensionStandsInEverySpaceMode) {
    struct Mode {
        int32_t space, group;
        int32_t spc;   // the DIMENSION's space
        double scale;  // of its points
    };
    for (const Mode& mode : {Mode{0, 1, 0, 1}, Mode{1, 1, 0, 10}, Mode{1, 0, 1, 1}, Mode{2, 0, 1, 1}, Mode{2, 1, 0, 10}}) {
        SCOPED_TRACE(::testing::Message() << "space " << mode.space << " group " << mode.group);
        DxfOutSpace = mode.space;
        Fresh();
        d.EntLgrp[0].adScale = 1;
        d.EntLgrp[1].adScale = 10;
        Convert([&](Drawing& dr) {
            dr.Linear(1, 0, 0, 30, true, true, mode.group);
            dr.Line(0, -50, -50, -40, -50, 1 - mode.group);  // makes group 1 the busiest besides 0
            dr.Line(0, -50, -60, -40, -60, 1);
        });
        ASSERT_EQ(m.de.Dim.size(), 1u);
        const TDXF_Dimension& r = m.de.Dim[0];
        EXPECT_EQ(r.spc, mode.spc);
        const TDXF_BlockDef& b = m.deBlockDef.at(r.bln);
        ASSERT_FALSE(b.dm.Line.empty());
        const TDXF_Line& sen = b.dm.Line[0];
        EXPECT_NEAR(sen.x2, r.x0, 1e-9);
        EXPECT_NEAR(sen.y2, r.y0, 1e-9);
        EXPECT_NEAR(sen.x2 - sen.x1, 30 * mode.scale, 1e-9);
        EXPECT_NEAR(r.x4 - r.x3, 30 * mode.scale, 1e-9);
    }
}

TEST_F(Dims, DrawingUnchangedByTheExport) {
    const fs::path dir = fs::path(ZS_BINARY_DIR) / "dxf_dims_unchanged";
    fs::remove_all(dir);
    fs::create_directories(dir);
    DxfOutJoinLines = true;
    DxfOutSpace = 2;
    ASSERT_TRUE(d.AddEntPre());
    Drawing dr{d};
    dr.Linear(1, 0, 0, 30);
    dr.Line(2, 0, 50, 10, 50);
    dr.Line(2, 10, 50, 10, 60);
    dr.Text(3, u"φ5", 0, 0, 80);
    dr.Line(3, 0, 70, 5, 70);
    ASSERT_TRUE(d.AddEntPost());
    auto bytes = [](const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    };
    const JwString before = FromUtf8((dir / "before.jww").string()), after = FromUtf8((dir / "after.jww").string());
    ASSERT_TRUE(d.FileOut(before, 700));
    const int32_t n1 = d.Enthd.n1;
    for (int32_t ver : {kDxfR12, kDxf2000, kDxf2007}) ASSERT_TRUE(d.FileOutDXF(FromUtf8((dir / "x.dxf").string()), ver));
    EXPECT_EQ(d.Enthd.n1, n1);
    EXPECT_EQ(d.gaN, 0);
    EXPECT_TRUE(d.ga.empty());
    ASSERT_TRUE(d.FileOut(after, 700));
    EXPECT_EQ(bytes(dir / "before.jww"), bytes(dir / "after.jww"));
}

}  // namespace
}  // namespace jw
