// Polyline joining: the chains of a curve group (direction, bulge sign,
// closed outlines, branches, attributes), what the conversion hands over and
// what it never joins, the output in every space mode and in block
// definitions, and the indexed chaining against the chaining as plainly as it
// is stated, on random groups.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "dxf/dxf_model.h"
#include "dxf/jww_to_dxf.h"
#include "dxf/writer/group_codes.h"
#include "dxf_test_util.h"
#include "export_fixture.h"
#include "model/jw_data.h"
#include "support/program_values.h"

namespace jw {
namespace {

constexpr double kPi = std::numbers::pi;

struct V {
    double x, y, a;
    bool operator==(const V&) const = default;
};

void PrintTo(const V& v, std::ostream* os) { *os << "(" << v.x << ", " << v.y << " | " << v.a << ")"; }

std::vector<std::vector<V>> Chains(const TDXFmodel& m) {
    std::vector<std::vector<V>> out;
    for (const TDXF_PolyWorkSub& c : m.dpw2) {
        out.emplace_back();
        for (const TDXF_PLinePoint& p : c.v) out.back().push_back({p.x, p.y, p.a});
    }
    return out;
}

// A member: group, colour, points, sweep.
struct In {
    int32_t group, col;
    double x1, y1, x2, y2, da;
};

struct ChainCase {
    const char* name;
    std::vector<In> in;
    std::vector<std::vector<V>> chains;
};

void PrintTo(const ChainCase& c, std::ostream* os) { *os << c.name; }

class Chaining : public ::testing::TestWithParam<ChainCase> {};

TEST_P(Chaining, ChainsVerticesAndAngles) {
    TDXFmodel m;
    int32_t no = 0;
    for (const In& e : GetParam().in)
        m.Pw_AddEnt(e.group, no++, e.da == 0 ? 1 : 2, 3, e.col, 1, 0, e.x1, e.y1, e.x2, e.y2, e.da);
    m.Pw_Sort();
    EXPECT_EQ(Chains(m), GetParam().chains);
}

const double kH = kPi / 2;

INSTANTIATE_TEST_SUITE_P(
    Table, Chaining,
    ::testing::Values(
        ChainCase{"TwoLinesEndToEnd", {{1, 1, 0, 0, 10, 0, 0}, {1, 1, 10, 0, 10, 10, 0}}, {{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}}}},
        ChainCase{"OtherColourStaysApart",
                  {{1, 1, 0, 0, 10, 0, 0}, {1, 2, 10, 0, 10, 10, 0}},
                  {{{0, 0, 0}, {10, 0, 0}}, {{10, 0, 0}, {10, 10, 0}}}},
        ChainCase{"OneLine", {{1, 1, 0, 0, 10, 0, 0}}, {{{0, 0, 0}, {10, 0, 0}}}},
        ChainCase{"ClosedTriangleAttachesAtTheFront",
                  {{1, 1, 0, 0, 10, 0, 0}, {1, 1, 10, 0, 5, 8, 0}, {1, 1, 5, 8, 0, 0, 0}},
                  {{{5, 8, 0}, {0, 0, 0}, {10, 0, 0}, {5, 8, 0}}}},
        // A line, then an arc entered from its far end: its segment runs the
        // other way, so its angle changes sign.
        ChainCase{"ArcEnteredBackwards",
                  {{1, 1, 0, 0, 10, 0, 0}, {1, 1, 20, 0, 10, 0, kH}},
                  {{{0, 0, 0}, {10, 0, -kH}, {20, 0, kH}}}},
        ChainCase{"ArcAtTheFront",
                  {{1, 1, 0, 0, 10, 0, 0}, {1, 1, -10, 0, 0, 0, kH}},
                  {{{-10, 0, kH}, {0, 0, 0}, {10, 0, 0}}}},
        ChainCase{"TJunctionGivesTwo",
                  {{1, 1, 0, 0, 10, 0, 0}, {1, 1, 10, 0, 20, 0, 0}, {1, 1, 10, 0, 10, 10, 0}},
                  {{{0, 0, 0}, {10, 0, 0}, {20, 0, 0}}, {{10, 0, 0}, {10, 10, 0}}}},
        ChainCase{"TouchingGroupsStayApart",
                  {{1, 1, 0, 0, 10, 0, 0}, {2, 1, 10, 0, 10, 10, 0}},
                  {{{0, 0, 0}, {10, 0, 0}}, {{10, 0, 0}, {10, 10, 0}}}},
        ChainCase{"WithinTheTolerance",
                  {{1, 1, 0, 0, 10, 0, 0}, {1, 1, 10 + 1e-9, 0, 10, 10, 0}, {1, 1, 10, 10 + 1e-7, 0, 10, 0}},
                  {{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}}, {{10, 10 + 1e-7, 0}, {0, 10, 0}}}},
        // Members taken out of order: the later pass picks up what an earlier
        // front or back could not reach yet.
        ChainCase{"LaterPasses",
                  {{1, 1, 20, 0, 30, 0, 0}, {1, 1, 30, 0, 40, 0, 0}, {1, 1, 0, 0, 10, 0, 0}, {1, 1, 10, 0, 20, 0, 0}},
                  {{{0, 0, 0}, {10, 0, 0}, {20, 0, 0}, {30, 0, 0}, {40, 0, 0}}}}));

TEST(Chaining, SweepReducedBelowOneTurnWithItsSign) {
    TDXFmodel m;
    m.Pw_AddEnt(7, 0, 2, 0, 1, 1, 0, 0, 0, 1, 0, -5 * kPi);
    m.Pw_AddEnt(7, 1, 2, 0, 1, 1, 0, 0, 0, 1, 0, 2.5 * kPi);
    ASSERT_EQ(m.Pw_GetIdx(7), 0);
    EXPECT_EQ(m.Pw_GetIdx(8), -1);
    EXPECT_NEAR(m.dpw1[0].e[0].da, -kPi, 1e-12);
    EXPECT_NEAR(m.dpw1[0].e[1].da, kPi / 2, 1e-12);
}

// ---- the chaining as plainly as it is stated ----

void PlainSort(std::vector<TDXF_PolyWorkMain> groups, std::vector<TDXF_PolyWorkSub>& out) {
    auto touch = [](double x1, double y1, double x2, double y2) {
        return std::fabs(x1 - x2) <= 1e-8 && std::fabs(y1 - y2) <= 1e-8;
    };
    struct E {
        double x, y, a;
    };
    for (TDXF_PolyWorkMain& g : groups) {
        auto& e = g.e;
        const size_t en = e.size();
        for (size_t s = 0; s < en; ++s) {
            if (e[s].etp == 0) continue;
            TDXF_PolyWorkSub c;
            c.lay = e[s].lay, c.col = e[s].col, c.ltp = e[s].ltp, c.wid = e[s].wid;
            e[s].etp = 0;
            double fx = e[s].x1, fy = e[s].y1, bx = e[s].x2, by = e[s].y2;
            std::vector<E> front, back;
            for (size_t pass = 0; pass < en; ++pass) {
                for (size_t l = 0; l < en; ++l) {
                    TDXF_PolyWorkEntity& x = e[l];
                    if (l == s || x.etp == 0 || x.lay != c.lay || x.col != c.col || x.ltp != c.ltp || x.wid != c.wid)
                        continue;
                    if (touch(x.x1, x.y1, fx, fy)) {
                        front.push_back({x.x2, x.y2, x.da}), fx = x.x2, fy = x.y2, x.etp = 0;
                    } else if (touch(x.x2, x.y2, fx, fy)) {
                        front.push_back({x.x1, x.y1, -x.da}), fx = x.x1, fy = x.y1, x.etp = 0;
                    }
                    if (x.etp == 0) continue;
                    if (touch(x.x1, x.y1, bx, by)) {
                        back.push_back({x.x2, x.y2, x.da}), bx = x.x2, by = x.y2, x.etp = 0;
                    } else if (touch(x.x2, x.y2, bx, by)) {
                        back.push_back({x.x1, x.y1, -x.da}), bx = x.x1, by = x.y1, x.etp = 0;
                    }
                }
            }
            for (size_t k = front.size(); k-- > 0;) c.v.push_back({front[k].x, front[k].y, -front[k].a});
            c.v.push_back({e[s].x1, e[s].y1, e[s].da});
            c.v.push_back({e[s].x2, e[s].y2, e[s].da});
            for (const E& b : back) {
                c.v.back().a = b.a;
                c.v.push_back({b.x, b.y, -b.a});
            }
            out.push_back(std::move(c));
        }
    }
}

TEST(Chaining, SameChainsAsThePlainChainingOnRandomGroups) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 200; ++round) {
        TDXFmodel m;
        const int groups = 1 + static_cast<int>(rng() % 4);
        const int n = 1 + static_cast<int>(rng() % 60);
        const int grid = 2 + static_cast<int>(rng() % 5);  // few points: many meetings
        for (int i = 0; i < n; ++i) {
            auto coord = [&] {
                double v = static_cast<double>(rng() % grid) * 10;
                if (rng() % 8 == 0) v += (rng() % 2 ? 1 : -1) * 1e-9;  // within the tolerance
                if (rng() % 16 == 0) v += 1e-6;                        // outside it
                return v;
            };
            const double da = rng() % 3 == 0 ? (static_cast<double>(rng() % 600) - 300) / 50 : 0;
            m.Pw_AddEnt(1 + static_cast<int32_t>(rng() % groups), i, da == 0 ? 1 : 2, static_cast<int32_t>(rng() % 2),
                        1 + static_cast<int32_t>(rng() % 2), 1, 0, coord(), coord(), coord(), coord(), da);
        }
        std::vector<TDXF_PolyWorkSub> plain;
        PlainSort(m.dpw1, plain);
        m.Pw_Sort();
        ASSERT_EQ(m.dpw2.size(), plain.size()) << "round " << round;
        for (size_t c = 0; c < plain.size(); ++c) {
            const TDXF_PolyWorkSub &a = m.dpw2[c], &b = plain[c];
            ASSERT_EQ(a.lay, b.lay);
            ASSERT_EQ(a.col, b.col);
            ASSERT_EQ(a.v.size(), b.v.size()) << "round " << round << " chain " << c;
            for (size_t k = 0; k < a.v.size(); ++k) {
                ASSERT_EQ(a.v[k].x, b.v[k].x) << "round " << round << " chain " << c << " vertex " << k;
                ASSERT_EQ(a.v[k].y, b.v[k].y);
                ASSERT_EQ(a.v[k].a, b.v[k].a);
            }
        }
    }
}

// ---- conversion ----

class JoinConvert : public dxftest::DrawingExport {
protected:
    void SetUp() override {
        DrawingExport::SetUp();
        DxfOutJoinLines = true;
    }
    std::string Kinds(const TDXF_Entities& e) const {
        std::string s;
        for (const TDXF_EntNo& n : e.No) {
            if (n.tp == kDxfVport) continue;
            s += n.tp == kDxfLine ? "L" : n.tp == kDxfArc ? "A" : n.tp == kDxfCircle ? "C" : n.tp == kDxfEllipse ? "E"
                 : n.tp == kDxfPLine ? "P" : n.tp == kDxfMoji ? "T" : "?";
        }
        return s;
    }
};

TEST_F(JoinConvert, WhatIsNeverJoined) {
    Convert([](TJwwData& w) {
        w.AddEntLine(5, 0, 0, 1, 1, 0, 0, 0, 0, 10, 0);       // joined (a polyline of its own)
        w.AddEntLine(0, 0, 0, 1, 1, 0, 0, 10, 0, 20, 0);      // no curve group
        w.AddEntLine(5, 0, 0, 1, 1, 0, 1, 20, 0, 30, 0);      // flag 0x20
        w.AddEntLine(5, 0, 0, 1, 1, 0, 2, 30, 0, 40, 0);      // flag 0x2000
        w.AddEntArc(5, 0, 0, 1, 1, 0, 0, 0, 0, 10, 0.5, 0, 90, 0);   // elliptical
        w.AddEntArc(5, 0, 0, 1, 1, 0, 8, 0, 0, 10, 1, 0, 0, 0);      // full circle
        w.AddEntArc(5, 0, 0, 1, 1, 0, 0, 0, 0, 10, 1, 0, 0, 0);      // zero sweep
        w.AddEntArc(5, 0, 0, 1, 1, 0, 0, 0, 0, 10, 1, 0, 360, 0);    // a whole turn
        w.AddEntArc(5, 0, 0, 1, 1, 0, 2, 0, 0, 10, 1, 0, 90, 0);     // flag 0x40
        w.AddEntSunpo(5, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0, 40, 0, 50, 0, 45, 1, 2, 2, 0, 0, u"", u"10");
    });
    // The exploded dimension (line, text) comes before the one chain.
    EXPECT_EQ(Kinds(m.de), "LLLECCCALTP");
    ASSERT_EQ(m.de.PLin.size(), 1u);
    EXPECT_EQ(m.de.PLin[0].v.size(), 2u);
}

TEST_F(JoinConvert, OutlineWithArcBecomesOnePolylineWithBulges) {
    DxfOutPaperX = DxfOutPaperY = 0;  // no shift: points as drawn
    d.EntLgrp[0].adScale = 2;
    Convert([](TJwwData& w) {
        w.AddEntLine(3, 0, 0, 2, 1, 0, 0, 0, 0, 10, 0);
        // Counter-clockwise quarter from (10, 0) about (10, 10) to (20, 10), entered backwards.
        w.AddEntArc(3, 0, 0, 2, 1, 0, 0, 10, 10, 10, 1, 0, -90, 0);
        w.AddEntLine(3, 0, 0, 2, 1, 0, 0, 20, 20, 20, 10);
        w.AddEntLine(3, 0, 0, 3, 1, 0, 0, 20, 20, 0, 20);  // another colour
    });
    ASSERT_EQ(m.de.PLin.size(), 2u);
    const TDXF_PLine& p = m.de.PLin[0];
    ASSERT_EQ(p.v.size(), 4u);
    EXPECT_EQ(p.lay, 4);
    EXPECT_DOUBLE_EQ(p.v[0].x, 0);
    EXPECT_NEAR(p.v[2].x, 40, 1e-9);  // scaled by the group
    EXPECT_NEAR(p.v[2].y, 20, 1e-9);
    EXPECT_NEAR(p.v[1].a, kPi / 2, 1e-12);  // (10, 0) to (20, 10) turning left
    EXPECT_EQ(p.v[0].a, 0);
    EXPECT_EQ(p.v[2].a, 0);
    // The writer's bulge: tan(a / 4).
    const std::string text = m.SaveDXFText(u"");
    EXPECT_NE(text.find(" 42\r\n" + DxfRealStr(std::tan(kPi / 8)) + "\r\n"), std::string::npos);
}

TEST_F(JoinConvert, ChainsInBlocksAndEverySpaceMode) {
    auto build = [](TJwwData& w) {
        ASSERT_TRUE(w.AddBlkDef(0, 1, 0, 1, 1, 0, 0, 4, u"部品"));
        w.AddBlkLine(0, 4, 1, 0, 1, 1, 0, 0, 0, 0, 1, 0);
        w.AddBlkLine(0, 4, 1, 0, 1, 1, 0, 0, 1, 0, 1, 1);
        w.AddEntBlock(0, 1, 0, 1, 1, 0, 0, 0, 50, 50, 1, 1, 0);
        w.AddEntLine(2, 0, 0, 1, 1, 0, 0, 0, 0, 10, 0);  // reference group
        w.AddEntLine(2, 0, 0, 1, 1, 0, 0, 10, 0, 10, 10);
        w.AddEntLine(3, 1, 0, 1, 1, 0, 0, 0, 0, 10, 0);  // group 1
    };
    struct Mode {
        int32_t space;
        int32_t refSpace;    // space of the reference group's chain
        double refX2;        // its second vertex
        double otherX2;      // group 1's second vertex
    };
    for (const Mode& mode : {Mode{0, 0, (10 + 210) * 1.0, (10 + 210) * 1.0}, Mode{1, 1, 220, 2200},
                             Mode{2, 1, 220, 2200}}) {
        SCOPED_TRACE(mode.space);
        DxfOutSpace = mode.space;
        Fresh();
        d.EntLgrp[0].adScale = 1;
        d.EntLgrp[1].adScale = 10;
        Convert(build);
        ASSERT_EQ(m.de.PLin.size(), 2u);
        EXPECT_EQ(m.de.PLin[0].spc, mode.refSpace);
        EXPECT_DOUBLE_EQ(m.de.PLin[0].v[1].x, mode.refX2);
        EXPECT_EQ(m.de.PLin[1].spc, 0);
        EXPECT_DOUBLE_EQ(m.de.PLin[1].v[1].x, mode.otherX2);
        const int32_t b = m.GetBlockIdx(0);
        ASSERT_GE(b, 0);
        ASSERT_EQ(m.deBlockDef[b].dm.PLin.size(), 1u);  // the block's own chain, at the block's scale
        EXPECT_EQ(m.deBlockDef[b].dm.PLin[0].v.size(), 3u);
        EXPECT_DOUBLE_EQ(m.deBlockDef[b].dm.PLin[0].v[2].y, mode.space == 0 ? 1.0 : 10.0);
    }
}

}  // namespace
}  // namespace jw
