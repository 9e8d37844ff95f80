// Block tree, definition numbering and the definition name lookups.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "model/jw_data.h"
#include "support/numbers.h"
#include "support/program_values.h"

// Fields of the packed records are compared as +field: the unary plus copies
// the value, where a reference to the field itself could be misaligned.

namespace jw {
namespace {

constexpr double kPi = std::numbers::pi;

// Fills the model the way the reader does: definitions and inserts straight
// into the arrays, counts kept in step.
class BlockTree : public ::testing::Test {
protected:
    void SetUp() override { JwGlobalInit(); }

    int32_t Def(uint32_t number, const JwString& name) {
        TEntJwwBlockDef d;
        d.nNumber = number;
        d.strName = name;
        d.att.nPenColor = static_cast<uint16_t>(100 + m.EntBlockDefN);  // tells definitions apart in nodes
        m.EntBlockDef.push_back(d);
        m.Enthd.n2 = ++m.EntBlockDefN;
        return m.EntBlockDefN - 1;
    }
    static TEntJwwBlock Insert(uint32_t number, double x, double y, double sx = 1, double sy = 1, double rot = 0) {
        TEntJwwBlock b;
        b.att.nPenColor = 7;
        b.DPKijunTen_x = x;
        b.DPKijunTen_y = y;
        b.dBairitsuX = sx;
        b.dBairitsuY = sy;
        b.radKaitenKaku = rot;
        b.nNumber = number;
        return b;
    }
    void Place(uint32_t number, double x = 0, double y = 0, double sx = 1, double sy = 1, double rot = 0) {
        m.EntBlock.push_back(Insert(number, x, y, sx, sy, rot));
        ++m.EntBlockN;
    }
    void Nest(int32_t def, uint32_t number, double x = 0, double y = 0, double sx = 1, double sy = 1,
              double rot = 0) {
        TEntJwwBlockDef& d = m.EntBlockDef[def];
        d.mBlock.push_back(Insert(number, x, y, sx, sy, rot));
        ++d.mBlockN;
    }

    TJwwData m;
};

TEST_F(BlockTree, DefinitionsWithoutInsertsAreUnused) {
    Def(1, u"A");
    Def(2, u"B");
    Nest(0, 2);
    m.EntBlockNum = 5;  // left over from an earlier state
    m.MakeBlockTree();
    EXPECT_EQ(m.EntBlockTreeN, 0);
    EXPECT_EQ(m.EntBlockNum, 0);
    for (const auto& d : m.EntBlockDef) {
        EXPECT_FALSE(d.ref_flag);
        EXPECT_EQ(d.ref_no, -1);
    }
}

TEST_F(BlockTree, TwoInsertsOfOneDefinitionCountItOnce) {
    Def(4, u"A");
    Def(5, u"unused");
    Place(4, 1, 2);
    Place(4, 3, 4);
    m.MakeBlockTree();
    ASSERT_EQ(m.EntBlockTreeN, 2);
    EXPECT_EQ(m.EntBlockNum, 1);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(m.EntBlockTree[i].level, 0);
        EXPECT_EQ(m.EntBlockTree[i].parent, -1);
        EXPECT_EQ(m.EntBlockTree[i].defno, 0);
        EXPECT_EQ(m.BlockTreeName(m.EntBlockTree[i]), u"A");
        EXPECT_EQ(+m.EntBlockTree[i].att.nPenColor, 7);  // the insert's own attribute at level 0
    }
    EXPECT_EQ(m.EntBlockTree[1].x, 3);
    EXPECT_EQ(m.EntBlockDef[0].ref_no, 0);
    EXPECT_EQ(m.EntBlockDef[1].ref_no, -1);
}

TEST_F(BlockTree, NestedDefinitionsNumberedInDefinitionOrder) {
    const int32_t b = Def(20, u"B");
    const int32_t a = Def(10, u"A");
    Nest(a, 20);
    Place(10);
    m.MakeBlockTree();
    ASSERT_EQ(m.EntBlockTreeN, 2);
    EXPECT_EQ(m.EntBlockTree[0].defno, a);
    EXPECT_EQ(m.EntBlockTree[1].defno, b);
    EXPECT_EQ(m.EntBlockTree[1].level, 1);
    EXPECT_EQ(m.EntBlockTree[1].parent, 0);
    EXPECT_EQ(m.EntBlockTree[1].no, 20u);
    EXPECT_EQ(+m.EntBlockTree[1].att.nPenColor, +m.EntBlockDef[a].att.nPenColor);  // the containing definition's
    EXPECT_EQ(m.EntBlockNum, 2);
    EXPECT_EQ(m.EntBlockDef[b].ref_no, 0);
    EXPECT_EQ(m.EntBlockDef[a].ref_no, 1);
}

TEST_F(BlockTree, RotationAndScaleCarryIntoNestedInserts) {
    const int32_t outer = Def(1, u"outer");
    Def(2, u"inner");
    Nest(outer, 2, 1, 0, 1, 1, kPi / 2);
    Place(1, 100, 50, 2, 1, kPi / 2);
    m.MakeBlockTree();
    ASSERT_EQ(m.EntBlockTreeN, 2);
    const auto& r = m.EntBlockTree[0];
    EXPECT_NEAR(r.r1, 0, 1e-12);
    EXPECT_DOUBLE_EQ(r.r2, -1);
    EXPECT_DOUBLE_EQ(r.r3, 2);
    EXPECT_NEAR(r.r4, 0, 1e-12);
    const auto& n = m.EntBlockTree[1];
    EXPECT_NEAR(n.x, 100, 1e-12);
    EXPECT_NEAR(n.y, 52, 1e-12);
    // Two quarter turns, x scaled by 2 first: (px, py) -> (-px, -2 py).
    EXPECT_NEAR(n.r1, -1, 1e-12);
    EXPECT_NEAR(n.r2, 0, 1e-12);
    EXPECT_NEAR(n.r3, 0, 1e-12);
    EXPECT_NEAR(n.r4, -2, 1e-12);
}

TEST_F(BlockTree, UnknownNumbersAndDuplicateNumbers) {
    Def(3, u"first");
    Def(3, u"second");  // same number: the first definition wins
    Nest(0, 99);
    Place(99);
    Place(3);
    m.MakeBlockTree();
    ASSERT_EQ(m.EntBlockTreeN, 3);
    EXPECT_EQ(m.EntBlockTree[0].defno, -1);
    EXPECT_TRUE(m.BlockTreeName(m.EntBlockTree[0]).empty());
    EXPECT_EQ(m.EntBlockTree[1].defno, 0);
    EXPECT_EQ(m.EntBlockTree[2].defno, -1);  // nested unknown number, child of node 1
    EXPECT_EQ(m.EntBlockTree[2].parent, 1);
    EXPECT_TRUE(m.EntBlockDef[0].ref_flag);
    EXPECT_FALSE(m.EntBlockDef[1].ref_flag);
    EXPECT_EQ(m.EntBlockNum, 1);
}

TEST_F(BlockTree, CyclesTerminate) {
    struct Case {
        const char* what;
        std::vector<std::vector<uint32_t>> holds;  // definition i holds inserts of these numbers
        int nodes;                                 // the drawing inserts definition 0 once
        int used;
    };
    const Case cases[] = {
        {"self", {{0}}, 2, 1},
        {"two", {{1}, {0}}, 3, 2},
        {"five", {{1}, {2}, {3}, {4}, {0}}, 6, 5},
        // 0 -> 1 -> 2 -> 1: the repeat of 1 is placed but not expanded.
        {"entered from outside", {{1}, {2}, {1, 3}, {}}, 5, 4},
        // Not a cycle: 3 is reached twice on different paths and expanded twice.
        {"diamond", {{1, 2}, {3}, {3}, {4}, {}}, 7, 5},
        // 1 and 2 form a cycle, 3 hangs below it and is expanded at each visit.
        {"cycle with tail", {{1}, {2, 3}, {1, 3}, {4}, {}}, 8, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m = TJwwData();
        for (std::size_t i = 0; i < c.holds.size(); ++i) Def(static_cast<uint32_t>(i), u"D");
        for (std::size_t i = 0; i < c.holds.size(); ++i) {
            for (uint32_t n : c.holds[i]) Nest(static_cast<int32_t>(i), n);
        }
        Place(0);
        m.MakeBlockTree();
        EXPECT_EQ(m.EntBlockTreeN, c.nodes);
        EXPECT_EQ(m.EntBlockNum, c.used);
        for (int32_t k = 1; k < m.EntBlockTreeN; ++k) {
            const auto& n = m.EntBlockTree[k];
            EXPECT_LT(n.parent, k);
            EXPECT_EQ(n.level, m.EntBlockTree[n.parent].level + 1);
        }
    }
}

TEST_F(BlockTree, ExponentialNestingIsBounded) {
    // Definition k holds two inserts of definition k + 1: 2^31 - 1 placements.
    constexpr int kLevels = 31;
    for (int i = 0; i < kLevels; ++i) {
        Def(static_cast<uint32_t>(i), u"D");
        if (i + 1 < kLevels) {
            Nest(i, static_cast<uint32_t>(i + 1));
            Nest(i, static_cast<uint32_t>(i + 1), 1, 0);
        }
    }
    Place(0);
    m.MakeBlockTree();
    EXPECT_EQ(m.EntBlockTreeN, jw::kMaxBlockTreeNodes);
    // Every definition is in use even though the tree was cut short.
    EXPECT_EQ(m.EntBlockNum, kLevels);
    EXPECT_EQ(m.EntBlockDef[kLevels - 1].ref_no, kLevels - 1);
}

// Forty definitions with names of 60,000 characters, each holding two
// inserts of the next: the nodes refer to the definitions, so the tree takes
// no more than its byte budget however long the names are.
TEST_F(BlockTree, LongNamesCostTheNodesNothing) {
    constexpr int kLevels = 40;
    const JwString longName(60000, u'N');
    for (int i = 0; i < kLevels; ++i) {
        Def(static_cast<uint32_t>(i), longName + IntStr(i));
        if (i + 1 < kLevels) {
            Nest(i, static_cast<uint32_t>(i + 1));
            Nest(i, static_cast<uint32_t>(i + 1), 1, 0);
        }
    }
    Place(0);
    m.MakeBlockTree();
    EXPECT_EQ(m.EntBlockTreeN, kMaxBlockTreeNodes);
    EXPECT_LE(m.EntBlockTree.capacity() * sizeof(TEntJwwBlockTree), kBlockTreeBytes);
    const TEntJwwBlockTree& last = m.EntBlockTree[static_cast<size_t>(m.EntBlockTreeN - 1)];
    EXPECT_EQ(m.BlockTreeName(last), longName + IntStr(last.defno));
}

TEST_F(BlockTree, LongCyclicPathsStayBounded) {
    // A ring of 3000 definitions whose last 20 each hold two inserts of the
    // next: every placement lies deep inside one cycle.
    constexpr int kRing = 3000;
    for (int i = 0; i < kRing; ++i) Def(static_cast<uint32_t>(i), u"R");
    for (int i = 0; i < kRing; ++i) {
        const uint32_t next = static_cast<uint32_t>((i + 1) % kRing);
        Nest(i, next);
        if (i >= kRing - 20) Nest(i, next, 1, 0);
    }
    Place(0);
    m.MakeBlockTree();
    EXPECT_GT(m.EntBlockTreeN, kRing);
    EXPECT_LE(m.EntBlockTreeN, 1000000);
    EXPECT_EQ(m.EntBlockNum, kRing);
}

TEST_F(BlockTree, ChangeBlockNo) {
    Def(10, u"used");
    Def(20, u"unused");
    Def(30, u"used too");
    Place(30);
    Place(10);
    m.MakeBlockTree();
    EXPECT_EQ(m.ChangeBlockNo(10), 0u);
    EXPECT_EQ(m.ChangeBlockNo(30), 1u);
    EXPECT_EQ(m.ChangeBlockNo(20), 20u);
    EXPECT_EQ(m.ChangeBlockNo(40), 0u);
    // A definition added afterwards is found at once.
    ASSERT_TRUE(m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"new"));
    EXPECT_EQ(m.ChangeBlockNo(31), 31u);
}

TEST_F(BlockTree, NameLookups) {
    Def(1, u"W@@SfigorgFlag@@4");
    Def(2, u"W~1");
    Def(3, u"V@@sfigorgflag@@2");
    struct Case {
        JwString asked;
        int32_t no;
        JwString name;
    };
    const Case cases[] = {
        {u"W", 0, u"W~2"},
        {u"W@@SFIG", 0, u"W~2@@SFIG"},
        {u"W@@SfigorgFlag@@4", 0, u"W~2@@SfigorgFlag@@4"},
        {u"W~1", 1, u"W~1~1"},
        {u"V", 2, u"V~1"},
        {u"V@@SFIGorgFlag@@1", 2, u"V~1@@SFIGorgFlag@@1"},
        {u"w", -1, u"w"},  // names compare with case
        {u"X@@SfigorgFlag@@4", -1, u"X@@SfigorgFlag@@4"},
        {u"", -1, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.asked.begin(), c.asked.end()));
        EXPECT_EQ(m.GetBlkNo(c.asked), c.no);
        EXPECT_EQ(m.GetBlkName(c.asked), c.name);
    }
}

TEST_F(BlockTree, GetBlkNameSkipsEveryVariantInUse) {
    for (const char16_t* n : {u"Q", u"Q~1", u"Q~01", u"Q~x", u"Q~2@@sfig", u"Q~3", u"Q~99999999999", u"QQ~4"}) {
        Def(0, n);
    }
    EXPECT_EQ(m.GetBlkName(u"Q"), u"Q~4");
    EXPECT_EQ(m.GetBlkName(u"Q@@SfigorgFlag@@1"), u"Q~4@@SfigorgFlag@@1");
    EXPECT_EQ(m.GetBlkName(u"Q~01"), u"Q~01~1");
}

TEST_F(BlockTree, GetBlkNumber) {
    Def(7, u"A");
    Def(0xFFFFFFF0u, u"B");
    EXPECT_EQ(m.GetBlkNumber(0), 7);
    EXPECT_EQ(m.GetBlkNumber(1), -16);
    EXPECT_EQ(m.GetBlkNumber(-1), -1);
    EXPECT_EQ(m.GetBlkNumber(2), -1);
}

TEST_F(BlockTree, CountsBeyondTheArraysAreNotRead) {
    Def(1, u"A");
    m.EntBlockDef[0].mBlockN = 50;  // no nested insert stored
    m.EntBlockDefN = 3;              // only one definition stored
    Place(1);
    m.EntBlockN = 10;                // only one insert stored
    m.MakeBlockTree();
    EXPECT_EQ(m.EntBlockTreeN, 1);
    EXPECT_EQ(m.GetBlkNumber(2), -1);
    EXPECT_EQ(m.GetBlkNo(u"nothing"), -1);
}

}  // namespace
}  // namespace jw
