// The JWW to DXF conversion rules on drawings built in memory: layers and
// the auxiliary layer, line types, colours through the display attributes,
// texts and styles, points, arcs, solids, blocks, image texts, space modes.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>

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

JwString U(const fs::path& p) { return FromUtf8(p.string()); }

class Convert : public dxftest::DrawingExport {
protected:
    void SetUp() override {
        DrawingExport::SetUp();
        dir = fs::path(ZS_BINARY_DIR) / "dxf_convert" / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir / "images");
        d.BindImageFolder = U(dir / "images") + u"/";
        out = U(dir / "out.dxf");
    }

    // Builds the drawing with `build`, then converts it in release ver.
    void Make(const std::function<void(TJwwData&)>& build, int32_t ver = kDxf2000) {
        DrawingExport::Convert(build, ver);
    }

    fs::path dir;
};

// ---- layers ----

enum class Kind { Line, Arc, Point, Text };

struct LayerCase {
    Kind kind;
    int32_t lg, ly, co, tp;
    int32_t layer;  // expected DXF layer index
};

// Readable test output: the attribute and the layer instead of the bytes.
void PrintTo(const LayerCase& c, std::ostream* os) {
    *os << "group " << c.lg << " layer " << c.ly << " colour " << c.co << " type " << c.tp << " -> " << c.layer;
}

class LayerIndex : public Convert, public ::testing::WithParamInterface<LayerCase> {};

TEST_P(LayerIndex, GroupLayerAndAuxiliaryRule) {
    const LayerCase c = GetParam();
    Make([&](TJwwData& w) {
        switch (c.kind) {
            case Kind::Line: w.AddEntLine(0, c.lg, c.ly, c.co, c.tp, 0, 0, 0, 0, 10, 0); break;
            case Kind::Arc: w.AddEntArc(0, c.lg, c.ly, c.co, c.tp, 0, 0, 0, 0, 5, 1, 0, 90, 0); break;
            case Kind::Point: w.AddEntTen(0, c.lg, c.ly, c.co, 0, 0, 0, 5, 5, 0, 1); break;
            case Kind::Text: w.AddEntMoji(0, c.lg, c.ly, c.co, c.tp, 0, 0, 0, 0, 0, 10, 0, 2, 2, 0, 0, u"", u"AB"); break;
        }
    });
    ASSERT_EQ(m.de.No.size(), 1u);
    int32_t lay = -1;
    switch (c.kind) {
        case Kind::Line: lay = m.de.Line.at(0).lay; break;
        case Kind::Arc: lay = m.de.Arc.at(0).lay; break;
        case Kind::Point: lay = m.de.Ten.at(0).lay; break;
        case Kind::Text: lay = m.de.Moji.at(0).lay; break;
    }
    EXPECT_EQ(lay, c.layer);
    EXPECT_EQ(m.lays.at(2).nam, u"HOJO");
}

INSTANTIATE_TEST_SUITE_P(
    Table, LayerIndex,
    ::testing::Values(LayerCase{Kind::Line, 0, 0, 1, 1, 4}, LayerCase{Kind::Line, 2, 5, 1, 1, 41},
                      LayerCase{Kind::Line, 15, 15, 3, 1, 259}, LayerCase{Kind::Line, 3, 3, 9, 1, 2},
                      LayerCase{Kind::Line, 3, 3, 1, 9, 2}, LayerCase{Kind::Arc, 1, 0, 1, 9, 2},
                      LayerCase{Kind::Arc, 1, 0, 2, 2, 20}, LayerCase{Kind::Point, 1, 1, 9, 1, 2},
                      LayerCase{Kind::Point, 1, 1, 2, 9, 21}, LayerCase{Kind::Text, 1, 1, 1, 9, 21},
                      LayerCase{Kind::Text, 1, 1, 9, 1, 2}));

TEST_F(Convert, LayerTableNamesStatesAndMostUsedAttributes) {
    DxfOutLayerNameType = 2;
    d.EntLgrp[0].aStrGLayName = u"平面";
    d.EntLay[11].aStrLayName.clear();
    d.EntLay[12].aStrLayName = u"壁 1";
    d.EntLay[13].aanLay = 0;
    Make([](TJwwData& w) {
        for (int i = 0; i < 2; ++i) w.AddEntLine(0, 0, 2, 6, 3, 0, 0, 0, i, 10, i);
        w.AddEntLine(0, 0, 2, 2, 1, 0, 0, 0, 5, 10, 5);
        w.AddEntLine(0, 0, 2, 9, 5, 0, 0, 0, 6, 10, 6);  // auxiliary: not counted
    });
    ASSERT_EQ(m.lays.size(), 260u);
    EXPECT_EQ(m.lays[4 + 11].nam, u"平面-B");
    EXPECT_EQ(m.lays[4 + 12].nam, u"平面-壁1");
    EXPECT_FALSE(m.lays[4 + 13].dsp);
    EXPECT_TRUE(m.lays[4 + 12].dsp);
    const TDXF_Layer& l = m.lays[4 + 2];
    EXPECT_EQ(l.col, 5);  // pen 6 is blue
    EXPECT_EQ(l.ltp, 3);  // DASHED
    EXPECT_EQ(l.wid, 0);
    EXPECT_EQ(m.lays[4 + 3].col, 7);  // nothing counted
    EXPECT_EQ(m.lays[4 + 3].ltp, 1);
    ASSERT_EQ(m.de.Line.size(), 4u);
    EXPECT_EQ(m.de.Line[0].col, 0);  // the layer's own: ByLayer
    EXPECT_EQ(m.de.Line[0].typ, 0);
    EXPECT_EQ(m.de.Line[2].col, 7);
    EXPECT_EQ(m.de.Line[2].typ, 1);
}

TEST_F(Convert, MainGroupIsTheBusiestBesidesTheReference) {
    DxfOutScaleGroup = 1;
    Make([](TJwwData& w) {
        for (int i = 0; i < 5; ++i) w.AddEntLine(0, 1, 0, 1, 1, 0, 0, 0, i, 10, i);
        for (int i = 0; i < 3; ++i) w.AddEntLine(0, 4, 0, 1, 1, 0, 0, 0, i, 10, i);
        w.AddEntLine(0, 2, 0, 1, 1, 0, 0, 0, 0, 10, 0);
    });
    EXPECT_EQ(DxfOutMainGroup, 4);
    TJwLayerCount none;
    none.gnmaxr = 0;
    none.CaluMax();
    EXPECT_EQ(none.gnmax, 1);  // all totals 0: the first group other than the left-out one
}

// The counter maps an ARGB colour to its colour index and a Jw_cad line type
// to a DXF one; a layer outside 16 x 16 counts nothing.
TEST(LayerCount, CountUpMapsColoursAndLineTypes) {
    TJwLayerCount lc;
    lc.JWW_CountUp(2, 3, 0xFF00FF00u, 32);  // green (3), SXF 02 dashed (19)
    lc.JWW_CountUp(2, 3, 0xFF00FF00u, -1);  // colour only
    lc.JWW_CountUp(2, 3, 0xFF0000FEu, 2);   // nearest blue (5), DOT (2)
    lc.JWW_CountUp(16, 3, 0xFF00FF00u, 2);
    lc.JWW_CountUp(2, -1, 0xFF00FF00u, 2);
    lc.CaluMax();
    const TJwLayerCount_Work& r = lc.w(2 * 16 + 3);
    EXPECT_EQ(r.col[3 - 1], 2);
    EXPECT_EQ(r.col[5 - 1], 1);
    EXPECT_EQ(r.colman, 3 - 1);
    EXPECT_EQ(r.ltp[19], 1);
    EXPECT_EQ(r.ltp[2], 1);
    EXPECT_EQ(r.ltpman, 2);  // a tie: the first wins
    EXPECT_EQ(lc.w(2 * 16 + 4).colman, -1);  // nothing counted there
    EXPECT_EQ(lc.w(2 * 16 + 4).col[3 - 1], 0);
    EXPECT_EQ(lc.gn[2], 3);
    EXPECT_EQ(lc.gnmax, 2);
}

// ---- line types ----

struct LtypeCase {
    int32_t style;
    int32_t index;
    const char16_t* name;
};

// Readable test output: the pen style and its line type.
void PrintTo(const LtypeCase& c, std::ostream* os) { *os << "style " << c.style << " -> " << ToUtf8(c.name); }

class LineTypes : public Convert, public ::testing::WithParamInterface<LtypeCase> {};

TEST_P(LineTypes, PenStyleToDxfLineType) {
    const LtypeCase c = GetParam();
    EXPECT_EQ(PenStyleToLtype(c.style), c.index);
    d.EntLtpS[18].astrUDLTypeName = u"My Type";
    d.EntLtpS[18].anUDLTypeSegment = 4;
    const double pitch[] = {2, 1, 0.001, -3};
    for (int j = 0; j < 4; ++j) d.EntLtpS[18].aadUDLTypePitch[j] = pitch[j];
    Make([&](TJwwData& w) { w.AddEntLine(0, 0, 1, 1, c.style, 0, 0, 0, 0, 10, 0); });
    ASSERT_EQ(m.ltps.size(), 48u);
    EXPECT_EQ(m.lays[5].ltp, c.index);
    EXPECT_EQ(ToUtf8(m.ltps[static_cast<size_t>(c.index - 1)].nam), ToUtf8(c.name));
    const TDXF_Ltype& mine = m.ltps[33];  // the user type 18
    EXPECT_EQ(mine.nam, u"SXF_MyType");
    EXPECT_EQ(mine.exp, u"18 SXF-Extended");
    EXPECT_EQ(mine.pt, (std::vector<double>{2, -1, 0.01, -3}));
}

INSTANTIATE_TEST_SUITE_P(Table, LineTypes,
                         ::testing::Values(LtypeCase{1, 1, u"Continuous"}, LtypeCase{5, 5, u"CENTER"},
                                           LtypeCase{11, 10, u"RAND1"}, LtypeCase{19, 18, u"DASHEDX4"},
                                           LtypeCase{32, 19, u"SXF_破線"}, LtypeCase{45, 32, u"SXF_三点二短鎖線"},
                                           LtypeCase{46, 1, u"Continuous"}, LtypeCase{47, 33, u"SXF_LType_17"},
                                           LtypeCase{62, 48, u"SXF_LType_32"}));

// ---- colours ----

TEST_F(Convert, ColoursComeFromTheDisplayAttributes) {
    attr_.SetAttrCol(1, 0xFF00FF00u);  // pen 1 shown pure green
    Make([](TJwwData& w) {
        w.AddEntLine(0, 0, 0, 102, 1, 0, 0, 0, 0, 10, 0);                                   // red
        w.AddEntLine(0, 0, 0, 6, 1, 0, 0, 0, 1, 10, 1);                                     // blue
        w.AddEntLine(0, 0, 0, 6, 1, 0, 0, 0, 2, 10, 2);                                     // blue
        w.AddEntMoji(0, 0, 0, 1, 1, 0, 0, 0, 0, 5, 10, 5, 2, 2, 0, 0, u"", u"AB");          // pen 1
        w.AddEntSolid(0, 0, 1, 10, 1, 0, 0, 0x0000FF, 0, 0, 1, 0, 1, 1, 0, 1);              // own red
        w.AddEntSolid(0, 0, 1, 10, 1, 0, 0, 0xFF0000, 2, 0, 3, 0, 3, 1, 2, 1);              // own blue
        w.AddEntSolid(0, 0, 1, 10, 1, 0, 0, 0xFF0000, 4, 0, 5, 0, 5, 1, 4, 1);              // own blue
    });
    ASSERT_EQ(m.de.Line.size(), 3u);
    EXPECT_EQ(m.lays[4].col, 5);
    EXPECT_EQ(m.de.Line[0].col, 1);
    EXPECT_EQ(m.de.Line[1].col, 0);
    EXPECT_EQ(m.de.Moji.at(0).col, 3);
    EXPECT_EQ(m.lays[5].col, 5);
    ASSERT_EQ(m.de.Sld4.size(), 3u);
    EXPECT_EQ(m.de.Sld4[0].col, 1);
    EXPECT_EQ(m.de.Sld4[1].col, 0);
    EXPECT_EQ(m.mexp.col[0], 3);  // the text-variable colours too
    EXPECT_EQ(m.mexp.col[1], 7);
}

// ---- texts ----

TEST_F(Convert, TextTypesVerticalTextsAndStyleModes) {
    Make([](TJwwData& w) {
        w.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 0, 0, 0, 10, 0, 2, 3, 0.5, 0, u"ＭＳ 明朝", u"AB");
        w.AddEntMoji(0, 0, 0, 2, 1, 0, 0x04, 0, 0, 0, 0, -10, 2, 3, 0.5, 0, u"ＭＳ 明朝", u"縦");
        w.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 0, 0, 5, 10, 5, 2, 3, 0.5, 0, u"@ゴシック", u"CD");
        w.EntMoji[0].nMojiShu = 1;
        w.EntMoji[1].nMojiShu = 3;
        w.EntMoji[2].nMojiShu = 10005;  // slanted, type 5
    });
    ASSERT_EQ(m.de.Moji.size(), 3u);
    const TDXF_Moji& h = m.de.Moji[0];
    EXPECT_EQ(h.typ, 4);
    EXPECT_FALSE(h.tate);
    EXPECT_DOUBLE_EQ(h.x1, 210);
    EXPECT_DOUBLE_EQ(h.w, 2);
    EXPECT_DOUBLE_EQ(h.h, 3);
    EXPECT_DOUBLE_EQ(h.d, 0.5);
    EXPECT_EQ(h.fo, u"ＭＳ 明朝");
    const TDXF_Moji& v = m.de.Moji[1];
    EXPECT_EQ(v.typ, 9);
    EXPECT_EQ(m.msts.at(9).nam, u"MOJI3T");
    EXPECT_TRUE(v.tate);
    EXPECT_DOUBLE_EQ(v.w, 3);  // width and height exchanged
    EXPECT_DOUBLE_EQ(v.h, 2);
    EXPECT_EQ(v.fo, u"@ＭＳ 明朝");
    EXPECT_DOUBLE_EQ(v.a, 270);
    // The column is centred on the Jw_cad line: the base line lies half a
    // height to the side.
    EXPECT_NEAR(v.x1, 209, 1e-12);
    EXPECT_NEAR(v.x2, 209, 1e-12);
    EXPECT_NEAR(v.y2, 148.5 - 10, 1e-12);
    const TDXF_Moji& s = m.de.Moji[2];
    EXPECT_TRUE(s.syat);
    EXPECT_EQ(s.typ, 12);
    // Mode 0 styles: Standard, Annotative, MOJI0/MOJI0T, then the ten text types.
    ASSERT_EQ(m.msts.size(), 24u);
    EXPECT_EQ(m.msts[23].nam, u"MOJI10T");
    EXPECT_DOUBLE_EQ(m.msts[8].mhl, 3);  // text type 3 of the defaults
    EXPECT_EQ(m.msts[9].fo2, u"@extfont2.shx");

    DxfOutMojiStyle = 2;
    TDXFmodel m2;
    JwwToDxfModel(d, m2, kDxf2000, U(dir / "out.dxf"));
    ASSERT_EQ(d.FontNameN, 2);
    EXPECT_EQ(d.GetFontNamesIndex(u"@@ゴシック"), 1);
    EXPECT_EQ(d.GetFontNamesIndex(u"なし"), -1);
    ASSERT_EQ(m2.msts.size(), 6u);
    EXPECT_EQ(m2.msts[2].fo1, u"ＭＳ 明朝.ttf");
    EXPECT_EQ(m2.msts[3].fo1, u"@ＭＳ 明朝.ttf");
    EXPECT_EQ(m2.msts[5].nam, u"MOJI2T");
    EXPECT_NEAR(m2.de.Moji[1].x1, 210, 1e-12);  // TrueType columns are not moved

    DxfOutMojiStyle = 1;
    TDXFmodel m3;
    JwwToDxfModel(d, m3, kDxf2000, U(dir / "out.dxf"));
    ASSERT_EQ(m3.msts.size(), 4u);
    EXPECT_EQ(m3.msts[2].nam, u"MOJI1");
    EXPECT_TRUE(m3.msts[3].fla);
}

TEST_F(Convert, TextVariablesAreExpandedWithTheDrawingsContext) {
    DxfOutMojiExp1 = DxfOutMojiExp2 = true;
    JwFileName = u"/plans/設計.jww";
    d.Enthd.strMemo = u"first\rsecond";
    Make([](TJwwData& w) {
        w.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 0, 0, 0, 10, 0, 2, 2, 0, 0, u"", u"%f");
        w.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 0, 0, 5, 10, 5, 2, 2, 0, 0, u"", u"%m2");
        w.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 0, 0, 9, 10, 9, 2, 2, 0, 0, u"", u"=y/%y");
        w.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 0, 0, 7, 10, 7, 2, 2, 0, 0, u"", u"=j");
    });
    ASSERT_EQ(m.de.Moji.size(), 4u);
    EXPECT_EQ(m.de.Moji[0].st, u"設計.jww");
    EXPECT_EQ(m.de.Moji[1].st, u"second");
    EXPECT_EQ(m.de.Moji[2].st, u"=y/%y");  // not a single variable
    EXPECT_EQ(m.de.Moji[3].st, u"2019/ 5/ 1");  // the file date of the fixture
}

// ---- points ----

TEST_F(Convert, PointsTemporaryPointsAndSymbolBlocks) {
    d.EntLgrp[0].adScale = 50;
    DxfOutTenType = 3;
    Make([](TJwwData& w) {
        w.AddEntTen(0, 0, 0, 4, 0, 0, 0x08, 1, 2, 0, 1);  // temporary
        w.AddEntTen(0, 0, 0, 4, 0, 0, 0, 1, 2, 0, 1);     // code 0
        w.AddEntTen(0, 0, 0, 4, 3, 0, 0, 1, 2, 90, 2);    // code 3, turned, scaled
    });
    ASSERT_EQ(m.de.Circ.size(), 1u);
    EXPECT_DOUBLE_EQ(m.de.Circ[0].r, 0.5 * 50);
    EXPECT_EQ(m.de.Circ[0].col, 0);
    EXPECT_EQ(m.de.Circ[0].typ, 0);
    EXPECT_DOUBLE_EQ(m.de.Circ[0].x, (1 + 210) * 50);
    ASSERT_EQ(m.de.Ten.size(), 2u);
    EXPECT_EQ(m.de.Ten[0].cod, 0);
    EXPECT_DOUBLE_EQ(m.de.Ten[0].ba, 0.5 * 50);  // pen 4's real-point radius
    EXPECT_EQ(m.de.Ten[0].wid, 5);
    EXPECT_EQ(m.de.Ten[1].cod, 3);
    EXPECT_NEAR(m.de.Ten[1].a, 90, 1e-9);
    EXPECT_DOUBLE_EQ(m.de.Ten[1].ba, 100);
    // The symbol block and the markers.
    ASSERT_GE(m.tenidx, 0);
    EXPECT_EQ(m.deBlockDef[static_cast<size_t>(m.tenidx)].nam, u"_TRANS_TEN");
    EXPECT_EQ(m.deBlockDef[static_cast<size_t>(m.tenidx)].dm.No.size(), 3u);
    EXPECT_GE(m.GetBlockIdx(u"_TRANS_TMARKER11"), 0);
    EXPECT_EQ(m.deBlockDef[static_cast<size_t>(m.GetBlockIdx(u"_TRANS_TMARKER3"))].dm.PLin.at(0).v.size(), 2u);
}

TEST_F(Convert, NoPointsNoSymbolBlocks) {
    Make([](TJwwData& w) { w.AddEntLine(0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1); });
    EXPECT_TRUE(m.deBlockDef.empty());
    EXPECT_EQ(m.tenidx, -1);
}

// ---- arcs ----

struct ArcCase {
    double start, sweep, tilt, flat;
    int32_t fl;
    int32_t kind;  // kDxfCircle, kDxfArc or kDxfEllipse
    double sa, da;
};

// Readable test output: the arc's angles.
void PrintTo(const ArcCase& c, std::ostream* os) {
    *os << "start " << c.start << " sweep " << c.sweep << " tilt " << c.tilt << " flat " << c.flat;
}

class Arcs : public Convert, public ::testing::WithParamInterface<ArcCase> {};

TEST_P(Arcs, AnglesInNormalisedDegrees) {
    const ArcCase c = GetParam();
    Make([&](TJwwData& w) { w.AddEntArc(0, 0, 0, 1, 1, 0, c.fl, 5, 5, 10, c.flat, c.start, c.sweep, c.tilt); });
    ASSERT_EQ(m.de.No.size(), 1u);
    ASSERT_EQ(m.de.No[0].tp, c.kind);
    if (c.kind == kDxfArc) {
        EXPECT_NEAR(m.de.Arc[0].sa, c.sa, 1e-9);
        EXPECT_NEAR(m.de.Arc[0].da, c.da, 1e-9);
        EXPECT_DOUBLE_EQ(m.de.Arc[0].r, 10);
    } else if (c.kind == kDxfEllipse) {
        EXPECT_NEAR(m.de.Elli[0].sa, c.sa, 1e-9);
        EXPECT_NEAR(m.de.Elli[0].da, c.da, 1e-9);
        EXPECT_NEAR(m.de.Elli[0].ka, c.tilt, 1e-9);
        EXPECT_DOUBLE_EQ(m.de.Elli[0].he, c.flat);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Arcs,
                         ::testing::Values(ArcCase{-30, 60, 0, 1, 0, kDxfArc, 330, 60},
                                           ArcCase{30, -60, 0, 1, 0, kDxfArc, 330, 60},
                                           ArcCase{400, 20, 0, 1, 0, kDxfArc, 40, 20},
                                           ArcCase{10, 30, 20, 1, 0, kDxfArc, 30, 30},
                                           ArcCase{10, 360, 0, 1, 0, kDxfCircle, 0, 0},
                                           ArcCase{0, 0, 0, 1, 0x08, kDxfCircle, 0, 0},
                                           ArcCase{30, 90, 45, 0.5, 0, kDxfEllipse, 30, 90},
                                           ArcCase{0, 0, 45, 0.5, 0x08, kDxfEllipse, 0, 0},
                                           ArcCase{10, 30, 0, 1 + 1e-13, 0, kDxfArc, 10, 30}));

// ---- solids ----

TEST_F(Convert, SolidsByTheirDistinctCorners) {
    Make([](TJwwData& w) {
        // Points 1, 4, 2, 3 in the order of the parameters.
        w.AddEntSolid(0, 0, 0, 2, 1, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1, 1);  // four corners
        w.AddEntSolid(0, 0, 0, 2, 1, 0, 0, 0, 0, 0, 1, 1, 1, 0, 1, 1);  // fourth on the third
        w.AddEntSolid(0, 0, 0, 2, 1, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 1);  // two corners: a line
        w.AddEntSolid(0, 0, 0, 2, 1, 0, 0, 0, 3, 3, 3, 3, 3, 3, 3, 3);  // a point: left out
        w.AddEntSolidA(0, 0, 0, 2, 0, 0, 0, 0, 0, 5, 1, 0);             // a disc: its outline
        w.AddEntSolidC(0, 0, 0, 2, 1, 0, 0, 0, 0, 0, 5, 1, 0, 0, 90);   // a segment: not converted
    });
    ASSERT_EQ(m.de.No.size(), 4u);
    EXPECT_EQ(m.de.No[0].tp, kDxfSolid4);
    EXPECT_EQ(m.de.No[1].tp, kDxfSolid3);
    EXPECT_EQ(m.de.No[2].tp, kDxfLine);
    EXPECT_EQ(m.de.No[3].tp, kDxfCircle);
    EXPECT_DOUBLE_EQ(m.de.Circ[0].r, 5);
    // Outline order: first, second, third, fourth corner.
    const TDXF_Solid4& s = m.de.Sld4[0];
    EXPECT_DOUBLE_EQ(s.x2, 211);
    EXPECT_DOUBLE_EQ(s.y3, 149.5);
    EXPECT_DOUBLE_EQ(s.x4, 210);
}

// ---- blocks ----

TEST_F(Convert, UsedBlockDefinitionsAndInserts) {
    d.EntLgrp[0].adScale = 10;
    Make([](TJwwData& w) {
        w.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"部品");
        w.AddBlkLine(0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1);
        w.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"外側");
        w.AddBlkBlock(1, 0, 0, 0, 1, 1, 0, 0, 0, 2, 0, 1, 1, 0);
        w.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"未使用");
        w.AddBlkLine(2, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1);
        w.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 1, 10, 20, 2, 3, 30);
    });
    ASSERT_EQ(m.deBlockDef.size(), 2u);
    EXPECT_EQ(m.deBlockDef[0].nam, u"部品");
    EXPECT_EQ(m.deBlockDef[1].nam, u"外側");
    EXPECT_EQ(m.GetBlockIdx(u"未使用"), -1);
    const TDXF_Line& inner = m.deBlockDef[0].dm.Line.at(0);
    EXPECT_DOUBLE_EQ(inner.x2, 10);  // scaled, not shifted
    const TDXF_Block& nested = m.deBlockDef[1].dm.Block.at(0);
    EXPECT_EQ(nested.bln, 0);
    EXPECT_DOUBLE_EQ(nested.x, 20);
    ASSERT_EQ(m.de.Block.size(), 1u);
    const TDXF_Block& ins = m.de.Block[0];
    EXPECT_EQ(ins.bln, 1);
    EXPECT_DOUBLE_EQ(ins.x, (10 + 210) * 10);
    EXPECT_DOUBLE_EQ(ins.y, (20 + 148.5) * 10);
    EXPECT_NEAR(ins.a, 30, 1e-9);
    EXPECT_DOUBLE_EQ(ins.bx, 2);
    EXPECT_DOUBLE_EQ(ins.by, 3);
}

// ---- space modes ----

TEST_F(Convert, ModelSpaceMeasuresFromThePapersLowerLeftCorner) {
    d.EntLgrp[0].adScale = 100;
    d.EntLgrp[1].adScale = 50;  // drawn at the reference scale too
    Make([](TJwwData& w) {
        w.AddEntLine(0, 0, 0, 1, 1, 0, 0, 0, 0, 10, 0);
        w.AddEntLine(0, 1, 0, 1, 1, 0, 0, 0, 0, 10, 0);
    });
    ASSERT_EQ(m.de.Line.size(), 2u);
    for (const TDXF_Line& l : m.de.Line) {
        EXPECT_EQ(l.spc, 0);
        EXPECT_DOUBLE_EQ(l.x1, 21000);
        EXPECT_DOUBLE_EQ(l.y1, 14850);
        EXPECT_DOUBLE_EQ(l.x2, 22000);
    }
    EXPECT_DOUBLE_EQ(m.pscale, 100);
    EXPECT_DOUBLE_EQ(m.MinWx, 0);
    EXPECT_DOUBLE_EQ(m.MaxWy, 297);
    EXPECT_TRUE(m.deVport.empty());
}

TEST_F(Convert, PaperSpaceWithAViewportPerScale) {
    DxfOutSpace = 1;
    d.EntLgrp[1].adScale = 100;
    Make([](TJwwData& w) {
        w.AddEntLine(0, 0, 0, 1, 1, 0, 0, 0, 0, 10, 0);
        w.AddEntLine(0, 1, 0, 1, 1, 0, 0, 0, 0, 10, 5);
        w.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"B");
        w.AddBlkLine(0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 40, 0);
        w.AddEntBlock(0, 1, 0, 1, 1, 0, 0, 0, 0, 0, 1, 1, 0);
    });
    ASSERT_EQ(m.de.Line.size(), 2u);
    EXPECT_EQ(m.de.Line[0].spc, 1);  // the reference group, 1:1 on the paper
    EXPECT_DOUBLE_EQ(m.de.Line[0].x1, 210);
    EXPECT_EQ(m.de.Line[1].spc, 0);
    EXPECT_DOUBLE_EQ(m.de.Line[1].x2, 220 * 100);
    // The paper, group 1 at 1:100, and the other groups at 1:1 beside it.
    ASSERT_EQ(m.deVport.size(), 3u);
    ASSERT_EQ(m.deLgp[1].n, 1);
    EXPECT_EQ(m.deLgp[2].n, 2);
    const TDXF_ViewPort& v = m.deVport[1];
    // The line and the placed block line: x 210 ... 250, y 148.5 ... 153.5.
    EXPECT_DOUBLE_EQ(v.w, 40 + 10);
    EXPECT_DOUBLE_EQ(v.h, 5 + 10);
    EXPECT_DOUBLE_EQ(v.vh, 15 * 100);
}

// ---- image texts ----

TEST_F(Convert, ImageTextsBecomeImages) {
    dxftest::WriteFile(dir / "images" / "pic.png", dxftest::PngBytes(3, 2));
    dxftest::WriteFile(dir / "images" / "gz.png.gz", dxftest::GzipBytes(dxftest::PngBytes(4, 4)));
    dxftest::WriteFile(dir / "images" / "bad.png", "not an image at all");
    dxftest::WriteFile(dir / "side.png", dxftest::PngBytes(5, 1));
    JwFileName = U(dir / "drawing.jww");
    d.BindImage = {{u"pic.png", 1, false}, {u"gz.png.gz", 1, false}};
    d.BindImageN = 2;
    d.EntLgrp[0].adScale = 2;
    Make([](TJwwData& w) {
        w.AddEntMoji(0, 0, 3, 9, 1, 0, 0, 0, 10, 20, 30, 20, 2, 2, 0, 0, u"", u"^@BM%temp%pic.png,30,0,0,0,0,45");
        w.AddEntMoji(0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 10, 0, 2, 2, 0, 0, u"", u"^@BM%temp%gz.png,8");
        w.AddEntMoji(0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 10, 0, 2, 2, 0, 0, u"", u"^@BMside.png,5");
        for (const char16_t* s : {u"^@BM%temp%bad.png,8", u"^@BM%temp%../side.png,8", u"^@BM%temp%none.png,8",
                                  u"^@BM%temp%pic.png,0", u"^@BM%temp%pic.png,abc"})
            w.AddEntMoji(0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 10, 0, 2, 2, 0, 0, u"", s);
        w.AddEntMoji(0, 0, 0, 1, 1, 0, 0, 0, 5, 5, 5, 5, 2, 2, 0, 0, u"", u"^@BM%temp%pic.png,8");  // no extent
    });
    EXPECT_TRUE(m.de.Moji.empty());  // image texts are never written as texts
    ASSERT_EQ(m.de.Imag.size(), 3u);
    const TDXF_Image& a = m.de.Imag[0];
    EXPECT_EQ(a.lay, 4 + 3);  // its own layer, even with pen 9
    EXPECT_DOUBLE_EQ(a.ix, 3);
    EXPECT_DOUBLE_EQ(a.iy, 2);
    EXPECT_DOUBLE_EQ(a.sx, 60);
    EXPECT_DOUBLE_EQ(a.sy, 40);
    EXPECT_DOUBLE_EQ(a.a, 45);
    EXPECT_DOUBLE_EQ(a.x, (10 + 210) * 2);
    EXPECT_DOUBLE_EQ(m.de.Imag[1].ix, 4);  // read from its gzip form
    EXPECT_DOUBLE_EQ(m.de.Imag[1].sy, 16);
    EXPECT_DOUBLE_EQ(m.de.Imag[2].ix, 5);  // beside the drawing
    ASSERT_EQ(m.deFList.size(), 3u);
    EXPECT_EQ(m.deFList[0].dst, U(dir / "pic.png"));
    EXPECT_TRUE(fs::exists(dir / "images" / "gz.png"));  // the plain form is there to be copied

    // Written: the images go beside the DXF.
    fs::create_directories(dir / "written");
    ASSERT_TRUE(d.FileOutDXF(U(dir / "written" / "out.dxf"), kDxf2007));
    EXPECT_TRUE(fs::exists(dir / "written" / "pic.png"));
    EXPECT_TRUE(fs::exists(dir / "written" / "gz.png"));
    EXPECT_EQ(fs::file_size(dir / "written" / "gz.png"), dxftest::PngBytes(4, 4).size());
}

TEST(ImageSize, FormatsAndFiles) {
    const fs::path dir = fs::path(ZS_BINARY_DIR) / "dxf_convert" / "image_size";
    fs::create_directories(dir);
    dxftest::WriteFile(dir / "a.png", dxftest::PngBytes(7, 9));
    // A 2 x 3 BMP header (BITMAPINFOHEADER, 24 bits).
    std::string bmp = "BM";
    auto le32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) bmp.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    le32(54 + 24), le32(0), le32(54), le32(40), le32(2), le32(3);
    bmp += std::string("\x01\x00\x18\x00", 4);
    le32(0), le32(24), le32(0), le32(0), le32(0), le32(0);
    bmp += std::string(24, '\0');
    dxftest::WriteFile(dir / "b.bmp", bmp);
    dxftest::WriteFile(dir / "c.gif", std::string("GIF89a\x0b\x00\x0c\x00\x00\x00\x00", 13) + std::string(20, '\0'));
    dxftest::WriteFile(dir / "d.tga", std::string("\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x02\x00\x18\x00", 18) +
                                          std::string(12, '\0'));
    int32_t w = 0, h = 0;
    EXPECT_TRUE(DxfImagePixelSize(U(dir / "a.png"), w, h));
    EXPECT_EQ(w, 7);
    EXPECT_EQ(h, 9);
    EXPECT_TRUE(DxfImagePixelSize(U(dir / "b.bmp"), w, h));
    EXPECT_EQ(h, 3);
    EXPECT_TRUE(DxfImagePixelSize(U(dir / "c.gif"), w, h));
    EXPECT_EQ(w, 11);
    EXPECT_FALSE(DxfImagePixelSize(U(dir / "d.tga"), w, h));  // only BMP, JPEG, PNG and GIF
    EXPECT_FALSE(DxfImagePixelSize(U(dir), w, h));             // a folder
    EXPECT_FALSE(DxfImagePixelSize(u"/dev/zero", w, h));       // never a device
    EXPECT_FALSE(DxfImagePixelSize(U(dir / "missing.png"), w, h));
}

// ---- paper sizes ----

TEST(PaperSize, Codes) {
    struct Row {
        int32_t code;
        double x, y;
    };
    TJwwData d;
    for (const Row& r : {Row{0, 1189, 841}, Row{1, 841, 594}, Row{3, 420, 297}, Row{4, 297, 210}, Row{5, 1189, 841},
                         Row{8, 1682, 1189}, Row{14, 100000, 70732}, Row{-1, 1189, 841}}) {
        d.Enthd.nZumen = r.code;
        double x = 0, y = 0;
        d.GetPaperSize(x, y);
        EXPECT_EQ(x, r.x) << r.code;
        EXPECT_EQ(y, r.y) << r.code;
    }
}

}  // namespace
}  // namespace jw
