// Drawing frames of the export with one layout per frame: rectangles of frame
// lines, print-origin texts, the paper fallback, the sort and R12's single
// frame, the box tests, and where the conversion puts the reference group's
// entities.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "dxf/dxf_model.h"
#include "dxf/frames.h"
#include "dxf/jww_to_dxf.h"
#include "export_fixture.h"
#include "model/jw_data.h"
#include "support/program_values.h"

namespace jw {
namespace {

struct Frame {
    int32_t no;
    double x1, y1, x2, y2;
    bool operator==(const Frame&) const = default;
};

void PrintTo(const Frame& f, std::ostream* os) {
    *os << "#" << f.no << " (" << f.x1 << ", " << f.y1 << ")-(" << f.x2 << ", " << f.y2 << ")";
}

std::vector<Frame> Frames(const TDXFmodel& m) {
    std::vector<Frame> out;
    for (const TJwZumenWakuWork& w : m.zw_w) out.push_back({w.no, w.x1, w.y1, w.x2, w.y2});
    return out;
}

// The paper of the fixture (420 x 297) as the fallback frame.
const Frame kPaper{0, -210, -148.5, 210, 148.5};

class Frames_ : public dxftest::DrawingExport {
protected:
    // Builds the drawing and finds its frames for release ver.
    std::vector<Frame> Find(const std::function<void(TJwwData&)>& build, int32_t ver = kDxf2000) {
        EXPECT_TRUE(d.AddEntPre());
        build(d);
        EXPECT_TRUE(d.AddEntPost());
        m.SetDXFVer(ver, 2);
        DxfFindFrames(d, m);
        return Frames(m);
    }
};

// A frame line: colour 9, line type 16, width 200.
void FrameLine(TJwwData& w, double x1, double y1, double x2, double y2, int32_t co = 9, int32_t lg = 0) {
    w.AddEntLine(0, lg, 0, co, 16, 200, 0, x1, y1, x2, y2);
}

// A rectangle from (x1, y1) to (x2, y2) as four lines running round it, the
// last corner moved by gap.
void Rectangle(TJwwData& w, double x1, double y1, double x2, double y2, double gap = 0) {
    FrameLine(w, x1, y1, x2, y1);
    FrameLine(w, x2, y1, x2, y2);
    FrameLine(w, x2, y2, x1, y2);
    FrameLine(w, x1, y2, x1, y1 + gap);
}

struct LineCase {
    const char* name;
    std::function<void(TJwwData&)> build;
    std::vector<Frame> frames;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class FrameLines : public Frames_, public ::testing::WithParamInterface<LineCase> {};

TEST_P(FrameLines, RectanglesOfSharedCorners) { EXPECT_EQ(Find(GetParam().build), GetParam().frames); }

INSTANTIATE_TEST_SUITE_P(
    Table, FrameLines,
    ::testing::Values(
        LineCase{"Meet", [](TJwwData& w) { Rectangle(w, -100, -50, 100, 50); }, {{0, -100, -50, 100, 50}}},
        LineCase{"MeetWithin1e-9", [](TJwwData& w) { Rectangle(w, -100, -50, 100, 50, 1e-9); },
                 {{0, -100, -50, 100, 50}}},
        LineCase{"MissBy1e-6", [](TJwwData& w) { Rectangle(w, -100, -50, 100, 50, 1e-6); }, {kPaper}},
        LineCase{"SidesDrawnBackwards",
                 [](TJwwData& w) {
                     FrameLine(w, -100, -50, 100, -50);
                     FrameLine(w, 100, 50, 100, -50);
                     FrameLine(w, -100, 50, 100, 50);
                     FrameLine(w, -100, -50, -100, 50);
                 },
                 {{0, -100, -50, 100, 50}}},
        LineCase{"OtherPen",
                 [](TJwwData& w) {
                     FrameLine(w, -100, -50, 100, -50, 1);
                     FrameLine(w, 100, -50, 100, 50);
                     FrameLine(w, 100, 50, -100, 50);
                     FrameLine(w, -100, 50, -100, -50);
                 },
                 {kPaper}},
        LineCase{"SharedEdgeGoesToTheFirst",
                 [](TJwwData& w) {
                     Rectangle(w, -100, -50, 0, 50);
                     FrameLine(w, 0, -50, 100, -50);
                     FrameLine(w, 100, -50, 100, 50);
                     FrameLine(w, 100, 50, 0, 50);
                 },
                 {{0, -100, -50, 0, 50}}},
        LineCase{"TwoRectangles",
                 [](TJwwData& w) {
                     Rectangle(w, 10, 10, 100, 50);
                     Rectangle(w, -100, -50, -10, -10);
                 },
                 {{0, 10, 10, 100, 50}, {0, -100, -50, -10, -10}}}));

TEST_F(Frames_, HiddenLayersGiveNoFrame) {
    d.EntLay[0].aanLay = 0;
    EXPECT_EQ(Find([](TJwwData& w) { Rectangle(w, -100, -50, 100, 50); }), std::vector<Frame>{kPaper});
}

// ---- print-origin texts ----

struct TextCase {
    const char* name;
    std::u16string text;
    int32_t prtSet, jwVer;
    double x, y;
    Frame frame;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class PrintOrigin : public Frames_, public ::testing::WithParamInterface<TextCase> {};

TEST_P(PrintOrigin, ScaleNumberTurnAndOrigin) {
    const TextCase& c = GetParam();
    DxfOutPrintX = 400;
    DxfOutPrintY = 280;
    d.Enthd.nPrtSet = c.prtSet;
    d.Enthd.jwVer = c.jwVer;
    EXPECT_EQ(Find([&](TJwwData& w) { w.AddEntMoji(0, 0, 0, 9, 1, 0, 0, 0, c.x, c.y, c.x + 30, c.y, 2, 2, 0, 0, u"", c.text); }),
              std::vector<Frame>{c.frame});
}

INSTANTIATE_TEST_SUITE_P(
    Table, PrintOrigin,
    ::testing::Values(
        TextCase{"HalfScaleTurnedNumber3", u"【印刷原点】50% 回転 N=3", 40, 600, 0, 0, {3, -280, -400, 280, 400}},
        TextCase{"NumberNotAloneReadsZero", u"【印刷原点】N=3 回転", 40, 600, 0, 0, {0, -140, -200, 140, 200}},
        TextCase{"NoMarker", u"【印刷原点】", 40, 600, 0, 0, {99999999, -200, -140, 200, 140}},
        TextCase{"MarkerAndLetters", u"【印刷原点】N=abc", 40, 600, 0, 0, {0, -200, -140, 200, 140}},
        TextCase{"FullWidthPercentAndMarker", u"【印刷原点】200％ ｎ：12", 40, 600, 0, 0, {12, -100, -70, 100, 70}},
        TextCase{"ScaleOutOfRangeIs100", u"【印刷原点】0.0001% N:4", 40, 600, 0, 0, {4, -200, -140, 200, 140}},
        TextCase{"ReverseTurn", u"【印刷原点】逆転", 40, 600, 0, 0, {99999999, -140, -200, 140, 200}},
        TextCase{"TensDigit1BottomMiddle", u"【印刷原点】", 12, 600, 10, 20, {99999999, -190, 20, 210, 300}},
        TextCase{"TensDigit2LowerRight", u"【印刷原点】", 125, 600, 10, 20, {99999999, -390, 20, 10, 300}},
        TextCase{"TensDigit8UpperRight", u"【印刷原点】", 80, 600, 10, 20, {99999999, -390, -260, 10, 20}},
        TextCase{"OldFileCentre", u"【印刷原点】", 12, 250, 10, 20, {99999999, -190, -120, 210, 160}}));

TEST_F(Frames_, OtherTextsGiveNoFrame) {
    DxfOutPrintX = 400;
    DxfOutPrintY = 280;
    EXPECT_EQ(Find([](TJwwData& w) {
                  w.AddEntMoji(0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 30, 0, 2, 2, 0, 0, u"", u"【印刷原点】N=1");  // colour
                  w.AddEntMoji(0, 0, 0, 9, 1, 0, 0, 3, 0, 0, 30, 0, 2, 2, 0, 0, u"", u"【印刷原点】N=2");  // type 3
                  w.AddEntMoji(0, 0, 0, 9, 1, 0, 0, 0, 0, 0, 30, 0, 2, 2, 0, 0, u"", u"印刷原点 N=3");
              }),
              std::vector<Frame>{kPaper});
}

// ---- sort ----

TEST(FrameSort, NumbersWithExchangesAndR12KeepsTheFirst) {
    TDXFmodel m;
    m.SetDXFVer(kDxf2000, 2);
    m.Zw_AddW(5, 0, 1, 0, 1);
    m.Zw_AddW(5, 2, 3, 0, 1);
    m.Zw_AddW(0, 4, 5, 0, 1);
    m.Zw_SortN();
    EXPECT_EQ(Frames(m), (std::vector<Frame>{{0, 4, 0, 5, 1}, {5, 2, 0, 3, 1}, {5, 0, 0, 1, 1}}));

    TDXFmodel r12;
    r12.SetDXFVer(kDxfR12, 2);
    r12.Zw_AddW(7, 10, 0, 0, 1);  // the values of a pair come in any order
    r12.Zw_AddW(1, 2, 3, 0, 1);
    r12.Zw_AddW(0, 4, 5, 0, 1);
    r12.Zw_SortN();
    EXPECT_EQ(Frames(r12), (std::vector<Frame>{{7, 0, 0, 10, 1}}));
}

// The selection sort as plainly as it is stated, against the sort of many frames.
TEST(FrameSort, SameOrderAsThePlainSelectionSort) {
    std::mt19937 rng(7);
    for (int round = 0; round < 20; ++round) {
        TDXFmodel m;
        m.SetDXFVer(kDxf2007, 2);
        const int n = 1 + static_cast<int>(rng() % 300);
        for (int i = 0; i < n; ++i) m.Zw_AddW(static_cast<int32_t>(rng() % 12), i, i + 1, 0, 1);
        std::vector<TJwZumenWakuWork> plain = m.zw_w;
        for (size_t p = 0; p + 1 < plain.size(); ++p) {
            size_t q = p + 1;
            for (size_t k = p + 2; k < plain.size(); ++k)
                if (plain[k].no < plain[q].no) q = k;
            if (plain[q].no < plain[p].no) std::swap(plain[p], plain[q]);
        }
        m.Zw_SortN();
        ASSERT_EQ(m.zw_w.size(), plain.size());
        for (size_t i = 0; i < plain.size(); ++i) ASSERT_EQ(m.zw_w[i].x1, plain[i].x1) << "round " << round << " at " << i;
    }
}

// ---- box tests ----

TEST(FrameBoxes, EdgesAreOutsideAndTheFirstFrameWins) {
    TDXFmodel m;
    m.Zw_AddW(0, 0, 100, 0, 100);
    m.Zw_AddW(0, 200, 300, 0, 100);
    m.Zw_AddW(0, 50, 250, 20, 80);  // overlaps both
    EXPECT_EQ(m.Zw_ClipTen(50, 50), 0);
    EXPECT_EQ(m.Zw_ClipTen(0, 50), -1);     // on the left edge
    EXPECT_EQ(m.Zw_ClipTen(100, 100), -1);  // on a corner
    EXPECT_EQ(m.Zw_ClipTen(150, 50), 2);
    EXPECT_EQ(m.Zw_ClipTen(150, 90), -1);
    EXPECT_EQ(m.Zw_ClipTen(std::nan(""), 50), -1);
    EXPECT_EQ(m.Zw_ClipLine(0, -10, 0, 110), -1);    // along an edge, outside
    EXPECT_EQ(m.Zw_ClipLine(-10, 10, 10, 10), 0);    // crossing into it
    EXPECT_EQ(m.Zw_ClipLine(120, 90, 180, 90), -1);  // between the frames
    EXPECT_EQ(m.Zw_ClipLine(120, 90, 210, 90), 1);
    EXPECT_EQ(m.Zw_ClipLine(-10, 110, 10, 110), -1);  // above
    // A square round the first frame without touching it belongs to none.
    EXPECT_EQ(m.Zw_ClipSquare(-10, -10, 310, -10, 310, 110, -10, 110), -1);
    EXPECT_EQ(m.Zw_ClipSquare(-10, -10, 10, -10, 10, 10, -10, 10), 0);
    EXPECT_EQ(m.Zw_ClipTriangle(190, 50, 210, 40, 210, 60), 1);
    // A whole circle: its centre, or a chord; an arc: chords only.
    EXPECT_EQ(m.Zw_ClipArc(250, 50, 5, 1, 0, 0, 0), 1);
    EXPECT_EQ(m.Zw_ClipArc(50, 50, 1000, 1, 0, 360, 0), 0);
    EXPECT_EQ(m.Zw_ClipArc(50, 50, 1000, 1, 0, 90, 0), -1);
    EXPECT_EQ(m.Zw_ClipArc(-20, 50, 40, 1, 0, 360, 0), 0);
    EXPECT_EQ(m.Zw_ClipArc(50, 50, 10, 1, 0, 90, 0), 0);
    EXPECT_EQ(m.Zw_ClipArc(50, 150, 60, 1, 180, 180, 0), 0);   // lower half reaches down into the first
    EXPECT_EQ(m.Zw_ClipArc(50, 150, 60, 0.1, 180, 180, 0), -1);  // flat: stays above
}

// ---- conversion in space mode 2 ----

class FrameLayouts : public Frames_ {
protected:
    void SetUp() override {
        Frames_::SetUp();
        DxfOutSpace = 2;
    }
};

TEST_F(FrameLayouts, ReferenceGroupInFramesOneToOneOthersInModelSpace) {
    d.EntLgrp[0].adScale = 1;
    d.EntLgrp[1].adScale = 50;
    d.Enthd.nPrtSet = 40;
    DxfOutPrintX = 100;
    DxfOutPrintY = 80;
    Convert([](TJwwData& w) {
        Rectangle(w, -200, -100, -10, 100);                                                 // frame 1 (number 0)
        w.AddEntMoji(0, 0, 0, 9, 1, 0, 0, 0, 100, 0, 120, 0, 2, 2, 0, 0, u"", u"【印刷原点】N=2");  // frame 2
        w.AddEntLine(0, 0, 1, 1, 1, 0, 0, -150, 0, -100, 0);   // in frame 1
        w.AddEntLine(0, 0, 1, 1, 1, 0, 0, 90, 10, 110, 10);    // in frame 2
        w.AddEntLine(0, 0, 1, 1, 1, 0, 0, 0, 120, 10, 120);    // in none
        w.AddEntLine(0, 1, 1, 1, 1, 0, 0, -150, 0, -100, 0);   // another group
        w.AddEntLine(0, 1, 1, 1, 1, 0, 0, -150, 5, -100, 5);
    });
    ASSERT_EQ(Frames(m), (std::vector<Frame>{{0, -200, -100, -10, 100}, {2, 50, -40, 150, 40}}));
    EXPECT_EQ(m.Ltn, 2);
    ASSERT_EQ(m.de.Line.size(), 4u + 5u);  // the frame lines too
    auto line = [&](size_t i) { return m.de.Line[i + 4]; };
    EXPECT_EQ(line(0).spc, 1);  // 1:1 from the frame's lower-left corner
    EXPECT_DOUBLE_EQ(line(0).x1, 50);
    EXPECT_DOUBLE_EQ(line(0).y1, 100);
    EXPECT_EQ(line(1).spc, 2);
    EXPECT_DOUBLE_EQ(line(1).x1, 40);
    EXPECT_DOUBLE_EQ(line(1).y1, 50);
    // Outside the frames and in other groups: model space at the scale of the
    // busiest group besides the reference one (group 1).
    EXPECT_EQ(line(2).spc, 0);
    EXPECT_DOUBLE_EQ(line(2).x1, (0 + 210) * 50.0);
    EXPECT_EQ(line(3).spc, 0);
    EXPECT_DOUBLE_EQ(line(3).x1, (-150 + 210) * 50.0);
    // Two viewports per frame, in the frame's layout.
    ASSERT_EQ(m.deVport.size(), 4u);
    EXPECT_EQ(m.deVport[0].spc, 1);
    EXPECT_EQ(m.deVport[1].spc, 1);
    EXPECT_DOUBLE_EQ(m.deVport[1].w, 190);
    EXPECT_DOUBLE_EQ(m.deVport[1].vx, 50 * (-105 + 210));
    EXPECT_EQ(m.deVport[2].spc, 2);
    EXPECT_EQ(m.deVport[3].spc, 2);
}

TEST_F(FrameLayouts, R12HasOneFrame) {
    d.Enthd.nPrtSet = 40;
    DxfOutPrintX = 100;
    DxfOutPrintY = 80;
    Convert(
        [](TJwwData& w) {
            w.AddEntMoji(0, 0, 0, 9, 1, 0, 0, 0, -100, 0, -80, 0, 2, 2, 0, 0, u"", u"【印刷原点】N=1");
            w.AddEntMoji(0, 0, 0, 9, 1, 0, 0, 0, 100, 0, 120, 0, 2, 2, 0, 0, u"", u"【印刷原点】N=2");
            w.AddEntLine(0, 0, 1, 1, 1, 0, 0, 90, 10, 110, 10);  // in the second frame
        },
        kDxfR12);
    EXPECT_EQ(Frames(m), (std::vector<Frame>{{1, -150, -40, -50, 40}}));
    ASSERT_EQ(m.de.Line.size(), 1u);
    EXPECT_EQ(m.de.Line[0].spc, 0);
}

TEST_F(FrameLayouts, WithoutFramesThePaperIsOne) {
    Convert([](TJwwData& w) { w.AddEntLine(0, 0, 1, 1, 1, 0, 0, 0, 0, 10, 0); });
    EXPECT_EQ(Frames(m), std::vector<Frame>{kPaper});
    ASSERT_EQ(m.de.Line.size(), 1u);
    EXPECT_EQ(m.de.Line[0].spc, 1);
    EXPECT_DOUBLE_EQ(m.de.Line[0].x1, 210);
}

TEST_F(FrameLayouts, EachKindTestsItsOwnShape) {
    d.EntLgrp[1].adScale = 1;
    Convert([](TJwwData& w) {
        Rectangle(w, 0, 0, 100, 100);
        w.AddEntArc(0, 0, 1, 1, 1, 0, 0, 50, 120, 30, 1, 200, 140, 0);   // arc dips into the frame
        w.AddEntArc(0, 0, 1, 1, 1, 0, 0, 50, 120, 30, 1, 20, 140, 0);    // the upper part stays out
        w.AddEntTen(0, 0, 1, 1, 1, 0, 0, 100, 50, 0, 1);                 // on the edge
        w.AddEntMoji(0, 0, 1, 1, 1, 0, 0, 0, 10, -4, 40, -4, 5, 5, 0, 0, u"", u"上");  // box reaches in
        w.AddEntSolid(0, 0, 1, 1, 1, 0, 0, 0, 90, 90, 110, 90, 110, 110, 90, 110);     // corner overlaps
        w.AddEntBlock(0, 0, 1, 1, 1, 0, 0, 0, 50, 50, 1, 1, 0);  // no definition: skipped
    });
    ASSERT_EQ(m.de.Arc.size(), 2u);
    EXPECT_EQ(m.de.Arc[0].spc, 1);
    EXPECT_EQ(m.de.Arc[1].spc, 0);
    ASSERT_EQ(m.de.Ten.size(), 1u);
    EXPECT_EQ(m.de.Ten[0].spc, 0);
    ASSERT_EQ(m.de.Moji.size(), 1u);
    EXPECT_EQ(m.de.Moji[0].spc, 1);
    ASSERT_EQ(m.de.Sld4.size(), 1u);
    EXPECT_EQ(m.de.Sld4[0].spc, 1);
}

TEST_F(FrameLayouts, InsertInAFrameKeepsItsContentsPaperSized) {
    d.EntLgrp[0].adScale = 1;
    d.EntLgrp[1].adScale = 100;
    Convert([](TJwwData& w) {
        Rectangle(w, -100, -50, 100, 50);
        ASSERT_TRUE(w.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 4, u"枠"));
        w.AddBlkLine(0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 10, 0);
        w.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 2, 2, 0);  // in the frame
        w.AddEntBlock(0, 1, 0, 1, 1, 0, 0, 0, 0, 0, 2, 2, 0);  // another group: model space
        w.AddEntLine(0, 1, 0, 1, 1, 0, 0, 0, 0, 10, 0);
        w.AddEntLine(0, 1, 0, 1, 1, 0, 0, 0, 5, 10, 5);
    });
    const int32_t b = m.GetBlockIdx(0);
    ASSERT_GE(b, 0);
    ASSERT_EQ(m.deBlockDef[b].dm.Line.size(), 1u);
    EXPECT_DOUBLE_EQ(m.deBlockDef[b].dm.Line[0].x2, 1000);  // block contents at the common scale
    ASSERT_EQ(m.de.Block.size(), 2u);
    EXPECT_EQ(m.de.Block[0].spc, 1);
    EXPECT_DOUBLE_EQ(m.de.Block[0].bx, 0.02);  // 2 x 1/100: 20 mm on paper
    EXPECT_EQ(m.de.Block[1].spc, 0);
    EXPECT_DOUBLE_EQ(m.de.Block[1].bx, 2);
}

}  // namespace
}  // namespace jw
