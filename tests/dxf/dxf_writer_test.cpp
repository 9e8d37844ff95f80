// The DXF writer: exact entity records, section and table layout, handles,
// the space filter, name and text encoding, and the file operation.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "dxf/dxf_model.h"
#include "dxf/writer/group_codes.h"
#include "dxf_test_util.h"
#include "support/text_encoding.h"

namespace jw {
namespace {

using dxftest::Crlf;
using dxftest::Group;
using dxftest::ParseGroups;
using dxftest::SectionText;
using dxftest::Values;

namespace fs = std::filesystem;

// Two line types, layers 0 (colour 7, Continuous) and L1 (colour 3, DASHED),
// one style. First entity handle: E in R12, 2B in 2000/2007 (model space
// block record 22, paper space 23).
void SmallTables(TDXFmodel& m, int32_t ver) {
    m.SetDXFVer(ver, 0);
    m.AddLtype(u"Continuous", u"Solid line", {});
    const double dash[] = {12.7, -6.35};
    m.AddLtype(u"DASHED", u"Dashed", dash);
    m.AddLayer(u"0", 7, 1, 0, true, true);
    m.AddLayer(u"L1", 3, 2, 0, true, true);
    m.AddStyle(u"Standard", u"txt", u"extfont2.shx", 0, 1, 0, 2.5, false);
}

struct EntityCase {
    const char* name;
    int32_t ver;
    std::function<void(TDXFmodel&)> fill;
    const char* expected;  // the ENTITIES section content, lines separated by \n
};

// Readable test output: the case's name instead of its bytes.
void PrintTo(const EntityCase& c, std::ostream* os) { *os << c.name << " (DXF version " << c.ver << ")"; }

class EntityRecords : public ::testing::TestWithParam<EntityCase> {};

TEST_P(EntityRecords, ExactText) {
    const EntityCase& c = GetParam();
    TDXFmodel m;
    SmallTables(m, c.ver);
    c.fill(m);
    const std::string text = m.SaveDXFText(u"");
    EXPECT_EQ(SectionText(text, "ENTITIES"), Crlf(c.expected));
}

const EntityCase kEntityCases[] = {
    {"LineR12", kDxfR12, [](TDXFmodel& m) { m.AddLine(0, 1, 5, 1, 30, 1, 2, 3, 4.5); }, R"(
  0
LINE
  5
E
  8
L1
  6
CONTINUOUS
 62
     5
 10
1.0
 20
2.0
 30
0.0
 11
3.0
 21
4.5
 31
0.0)"},
    {"Line2000", kDxf2000, [](TDXFmodel& m) { m.AddLine(0, 1, 5, 1, 30, 1, 2, 3, 4.5); }, R"(
  0
LINE
  5
2B
330
22
100
AcDbEntity
  8
L1
100
AcDbLine
  6
Continuous
 62
     5
370
30
 10
1.0
 20
2.0
 30
0.0
 11
3.0
 21
4.5
 31
0.0)"},
    {"ArcNegativeSweep2000", kDxf2000, [](TDXFmodel& m) { m.AddArc(0, 0, -1, -1, -1, 1, 2, 3, 1, 30, -60, 0); },
     R"(
  0
ARC
  5
2B
330
22
100
AcDbEntity
  8
0
100
AcDbCircle
  6
ByBlock
 62
     0
370
-2
 10
1.0
 20
2.0
 30
0.0
 40
3.0
100
AcDbArc
 50
330.0
 51
30.0)"},
    {"ArcR12", kDxfR12, [](TDXFmodel& m) { m.AddArc(0, 0, 7, 1, 0, 1, 2, 3, 1, 30, 60, 0); }, R"(
  0
ARC
  5
E
  8
0
 10
1.0
 20
2.0
 30
0.0
 40
3.0
 50
30.0
 51
90.0)"},
    {"FullEllipse2007", kDxf2007, [](TDXFmodel& m) { m.AddArc(0, 0, 7, 1, 0, 1, 2, 10, 0.5, 0, 360, 90); }, R"(
  0
ELLIPSE
  5
2B
330
22
100
AcDbEntity
  8
0
100
AcDbEllipse
 10
1.0
 20
2.0
 30
0.0
 11
0.0
 21
10.0
 31
0.0
210
0.0
220
0.0
230
1.0
 40
0.5
 41
0.0
 42
6.28318530717959)"},
    {"SolidFourCorners2000", kDxf2000, [](TDXFmodel& m) { m.AddSolid4(0, 0, 5, 0, 0, 1, 0, 1, 1, 0, 1); }, R"(
  0
SOLID
  5
2B
330
22
100
AcDbEntity
  8
0
100
AcDbTrace
 62
     5
 10
0.0
 20
0.0
 30
0.0
 11
1.0
 21
0.0
 31
0.0
 12
0.0
 22
1.0
 32
0.0
 13
1.0
 23
1.0
 33
0.0)"},
    {"VerticalTextR12", kDxfR12,
     [](TDXFmodel& m) { m.AddMojiA(0, 1, 3, 0, 0, 1, 1, 2, 1, -8, 2.5, 5, 0, 90, u"", u"Wall a"); }, R"(
  0
TEXT
  5
E
  8
L1
 10
1.0
 20
2.0
 30
0.0
 40
5.0
  1
Wall a
 50
90.0
 41
0.5
  7
STANDARD
 72
     3
 11
1.0
 21
-8.0
 31
0.0)"},
    {"SlantedText2000", kDxf2000,
     [](TDXFmodel& m) { m.AddMojiA(0, 0, 2, 7, 0, 2, 0, 0, 10, 0, 2, 2, 0, 0, u"", u"A\r\nB"); }, R"(
  0
TEXT
  5
2B
330
22
100
AcDbEntity
  8
0
100
AcDbText
 62
     2
 10
0.0
 20
0.0
 30
0.0
 40
2.0
  1
AB
 50
0.0
 41
1.0
 51
28.0
  7
Standard
 72
     5
 11
10.0
 21
0.0
 31
0.0
100
AcDbText)"},
    {"PaperSpacePolyline2000", kDxf2000,
     [](TDXFmodel& m) {
         const TDXF_PLinePoint v[] = {{0, 0, 3.141592653589793}, {5, 0, 0}};
         m.AddPLine(1, 0, 7, 1, 0, 0.5, 0, true, v);
     },
     R"(
  0
POLYLINE
  5
2B
330
23
100
AcDbEntity
 67
     1
  8
0
100
AcDb2dPolyline
 66
     1
 10
0.0
 20
0.0
 30
0.0
 70
     1
 40
0.5
  0
VERTEX
  5
2C
330
2B
100
AcDbEntity
 67
     1
  8
0
100
AcDbVertex
100
AcDb2dVertex
 10
0.0
 20
0.0
 30
0.0
 42
1.0
  0
VERTEX
  5
2D
330
2B
100
AcDbEntity
 67
     1
  8
0
100
AcDbVertex
100
AcDb2dVertex
 10
5.0
 20
0.0
 30
0.0
  0
SEQEND
  5
2E
330
2B
100
AcDbEntity
 67
     1
  8
0)"},
    {"InsertR12", kDxfR12,
     [](TDXFmodel& m) {
         m.AddBlockDef(u"blk", 1);
         m.AddBlock(0, 1, 3, 2, 0, 0, 5, 6, 30, 2, 1);
     },
     R"(
  0
INSERT
  5
10
  8
L1
  2
BLK
 10
5.0
 20
6.0
 30
0.0
 41
2.0
 50
30.0)"},
    {"ViewportR12", kDxfR12,
     [](TDXFmodel& m) {
         m.AddVPort(0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 1);  // model space: skipped, handle E consumed
         m.AddVPort(1, 1, 0, 0, 210, 148.5, 420, 297, 210, 148.5, 297);
     },
     R"(
  0
VIEWPORT
  5
F
 67
     1
  8
VP
 10
210.0
 20
148.5
 30
0.0
 40
420.0
 41
297.0
 68
     2
 69
     2
1001
ACAD
1000
MVIEW
1002
{
1070
    16
1010
0.0
1020
0.0
1030
0.0
1010
0.0
1020
0.0
1030
1.0
1040
0.0
1040
297.0
1040
210.0
1040
148.5
1040
50.0
1040
0.0
1040
0.0
1070
    16
1070
   100
1070
     0
1070
     3
1070
     0
1070
     0
1070
     0
1070
     0
1040
0.0
1040
0.0
1040
0.0
1040
1.0
1040
1.0
1040
0.0
1040
0.0
1070
     0
1002
{
1002
}
1002
})"},
    {"PointKinds2000", kDxf2000,
     [](TDXFmodel& m) {
         m.AddBlockDef(u"_TRANS_TMARKER_2", -1);  // first entity handle moves to 2E
         m.AddTen(0, 0, 7, 0, 0, 1, 2, 0, 1);      // plain point
         m.AddTen(0, 0, 1, 0, -2, 3, 4, 45, 2);    // marker insert
         m.AddTen(0, 0, 1, 0, 3, 5, 6, 0, 1);      // marker 3 is missing: skipped, 30 consumed
         m.AddTen(0, 0, 1, 0, 0, 7, 8, 0, 1);
     },
     R"(
  0
POINT
  5
2E
330
22
100
AcDbEntity
  8
0
100
AcDbPoint
 10
1.0
 20
2.0
 30
0.0
  0
INSERT
  5
2F
330
22
100
AcDbEntity
  8
0
100
AcDbBlockReference
  2
_TRANS_TMARKER_2
  6
Continuous
 62
     1
 10
3.0
 20
4.0
 30
0.0
 41
2.0
 42
2.0
 50
45.0
  0
POINT
  5
31
330
22
100
AcDbEntity
  8
0
100
AcDbPoint
 62
     1
 10
7.0
 20
8.0
 30
0.0)"},
};

INSTANTIATE_TEST_SUITE_P(Dxf, EntityRecords, ::testing::ValuesIn(kEntityCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DxfWriter, ImageRecordAndObjects) {
    TDXFmodel m;
    SmallTables(m, kDxf2000);
    m.AddFList(u"/nowhere/pic.png", u"/nowhere/out/", 4, 2, 40, 10, 0);
    m.AddImage(0, 0, 10, 20, 4, 2, 40, 10, 0, u"/nowhere/PIC.png");  // registered ignoring case
    const std::string text = m.SaveDXFText(u"");
    EXPECT_EQ(SectionText(text, "ENTITIES"), Crlf(R"(
  0
IMAGE
  5
2B
330
22
100
AcDbEntity
  8
0
 92
        0
100
AcDbRasterImage
 90
        0
 10
10.0
 20
20.0
 30
0.0
 11
10.0
 21
0.0
 31
0.0
 12
0.0
 22
5.0
 32
0.0
 13
4.0
 23
2.0
340
31
 70
     7
280
     0
281
    50
282
    50
283
     0
360
2C
 71
     1
 91
        2
 14
-0.5
 24
-0.5
 14
3.5
 24
1.5)"));
    const std::string objects = SectionText(text, "OBJECTS");
    EXPECT_NE(objects.find(Crlf(R"(
  0
IMAGEDEF_REACTOR
  5
2C
330
2B
100
AcDbRasterImageDefReactor
 90
        2
330
2B
)")), std::string::npos);
    // Image dictionary 6 (Ltn + 4), raster variables 7, the definition 31
    // after the four dictionaries 2D to 30 that follow the last entity.
    EXPECT_NE(objects.find(Crlf(R"(
  3
ACAD_IMAGE_DICT
350
6
  3
ACAD_IMAGE_VARS
350
7
)")), std::string::npos);
    EXPECT_NE(objects.find(Crlf(R"(
  0
IMAGEDEF
  5
31
102
{ACAD_REACTORS
330
6
330
2C
102
}
330
6
100
AcDbRasterImageDef
 90
        0
  1
pic.png
 10
4.0
 20
2.0
 11
10.0
 21
5.0
280
     1
281
     0
)")), std::string::npos);
    EXPECT_NE(text.find(Crlf("  9\n$HANDSEED\n  5\n32\n")), std::string::npos);
    EXPECT_NE(SectionText(text, "CLASSES").find("IMAGEDEF_REACTOR"), std::string::npos);
}

// Section names, table names and counts, block names and $HANDSEED of an
// empty model.
TEST(DxfWriter, EmptyModelInEachRelease) {
    struct Case {
        int32_t ver;
        std::vector<std::string> sections;
        std::vector<std::string> tables;  // name:count
        std::vector<std::string> blocks;
        std::string seed;
        std::string acadver;
    };
    const Case cases[] = {
        {kDxfR12,
         {"HEADER", "TABLES", "BLOCKS", "ENTITIES"},
         {"VPORT:1", "LTYPE:0", "LAYER:0", "STYLE:0", "VIEW:0", "UCS:0", "APPID:7", "DIMSTYLE:2"},
         {"*MODEL_SPACE", "*PAPER_SPACE", "*PAPER_SPACE0"},
         "E",
         "AC1009"},
        {kDxf2000,
         {"HEADER", "CLASSES", "TABLES", "BLOCKS", "ENTITIES", "OBJECTS"},
         {"VPORT:1", "LTYPE:0", "LAYER:0", "STYLE:0", "VIEW:0", "UCS:0", "APPID:7", "DIMSTYLE:2", "BLOCK_RECORD:2"},
         {"*Model_Space", "*Paper_Space", "*Paper_Space0"},
         "2A",
         "AC1015"},
        {kDxf2007,
         {"HEADER", "CLASSES", "TABLES", "BLOCKS", "ENTITIES", "OBJECTS"},
         {"VPORT:1", "LTYPE:0", "LAYER:0", "STYLE:0", "VIEW:0", "UCS:0", "APPID:7", "DIMSTYLE:2", "BLOCK_RECORD:2"},
         {"*Model_Space", "*Paper_Space", "*Paper_Space0"},
         "2A",
         "AC1021"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ver);
        TDXFmodel m;
        m.SetDXFVer(c.ver, 0);
        const std::string text = m.SaveDXFText(u"/no/such/file.jww");
        bool ok = false;
        const std::vector<Group> g = ParseGroups(text, ok);
        ASSERT_TRUE(ok);
        ASSERT_GE(g.size(), 2u);
        EXPECT_EQ(g.front().code, "999");
        EXPECT_EQ(g.back().value, "EOF");
        std::vector<std::string> sections, tables, blocks;
        for (size_t i = 0; i + 1 < g.size(); ++i) {
            if (g[i].value == "SECTION") sections.push_back(g[i + 1].value);
            if (g[i].value == "TABLE" && i + 1 < g.size()) {
                size_t k = i + 1;
                while (g[k].Code() != 70) ++k;
                tables.push_back(g[i + 1].value + ":" + std::to_string(std::stoi(g[k].value)));
            }
            if (g[i].code == "  0" && g[i].value == "BLOCK") {
                size_t k = i + 1;
                while (g[k].Code() != 2) ++k;
                blocks.push_back(g[k].value);
            }
        }
        EXPECT_EQ(sections, c.sections);
        EXPECT_EQ(tables, c.tables);
        EXPECT_EQ(blocks, c.blocks);
        EXPECT_EQ(SectionText(text, "ENTITIES"), "");
        EXPECT_NE(text.find(Crlf("  9\n$HANDSEED\n  5\n" + c.seed)), std::string::npos);
        EXPECT_NE(text.find(Crlf("  9\n$ACADVER\n  1\n" + c.acadver)), std::string::npos);
        // A source file that does not exist gives day 0 as both dates.
        EXPECT_NE(text.find(Crlf("  9\n$TDCREATE\n 40\n2444240.0")), std::string::npos);
    }
}

// $HANDSEED follows the largest handle written. R12 ends with its last
// written entity (a text left out after it does not count) or, with none, the
// last ENDBLK; 2000 with the four dictionaries that follow the entities.
TEST(DxfWriter, HandleSeedFollowsTheLargestHandleWritten) {
    struct Case {
        int32_t ver;
        bool line, blankText;
        const char* seed;
    };
    const Case cases[] = {
        {kDxfR12, true, false, "F"},    // the line is E
        {kDxfR12, true, true, "F"},     // the text (F) is left out
        {kDxfR12, false, true, "E"},    // the last ENDBLK is D
        {kDxf2000, true, true, "31"},   // line 2B, text 2C, dictionaries 2D to 30
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.seed));
        TDXFmodel m;
        SmallTables(m, c.ver);
        if (c.line) m.AddLine(0, 0, 1, 1, 0, 0, 0, 1, 1);
        if (c.blankText) m.AddMojiA(0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 1, 1, 0, 0, u"", u"  ");
        const std::string text = m.SaveDXFText(u"");
        EXPECT_NE(text.find(Crlf("  9\n$HANDSEED\n  5\n" + std::string(c.seed) + "\n")), std::string::npos);
    }
}

// Every handle is unique and below $HANDSEED, and every owner (330) and
// dictionary entry (350, 360) points at a written object.
TEST(DxfWriter, HandlesAreUniqueAndReferencesResolve) {
    for (int32_t ver : {kDxfR12, kDxf2000, kDxf2007}) {
        for (int32_t spa : {0, 1, 2}) {
            SCOPED_TRACE(ver * 10 + spa);
            TDXFmodel m;
            m.SetDXFVer(ver, spa);
            dxftest::FillRichModel(m, u"/nowhere/a.png", u"/nowhere/out/");
            for (int i = 0; i < 16; ++i) m.deLgp[i].sc = i == 0 ? 100 : 50;
            if (spa == 2) {  // twelve frames, so twelve layouts with content in each
                for (int k = 0; k < 12; ++k) {
                    m.zw_w.push_back({k + 1, k * 100.0, 0, k * 100.0 + 90, 60});
                    m.AddLine(k + 1, 0, 1, 1, 0, 0, 0, k, k);
                }
            }
            m.SetLgp(0, 1);
            if (spa == 2) {
                EXPECT_EQ(m.Ltn, 12);
                EXPECT_EQ(m.deVport.size(), 24u);
            }
            const std::string text = m.SaveDXFText(u"");
            bool ok = false;
            const std::vector<Group> g = ParseGroups(text, ok);
            ASSERT_TRUE(ok);
            std::set<long> handles;
            long seed = 0;
            for (size_t i = 0; i + 1 < g.size(); ++i) {
                if (g[i].value == "$HANDSEED") seed = std::stol(g[i + 1].value, nullptr, 16);
            }
            bool inHeader = true;
            for (const Group& x : g) {
                if (x.value == "ENDSEC") inHeader = false;
                if (inHeader) continue;
                // (R12's DIMSTYLE has an empty group 5: its arrow block name.)
                if ((x.Code() == 5 || x.Code() == 105) && !x.value.empty()) {
                    const long h = std::stol(x.value, nullptr, 16);
                    EXPECT_TRUE(handles.insert(h).second) << "duplicate handle " << x.value;
                    EXPECT_LT(h, seed);
                }
            }
            ASSERT_FALSE(handles.empty());
            EXPECT_EQ(seed, *handles.rbegin() + 1);  // the handle after the largest one written
            if (ver == kDxfR12) continue;
            for (const Group& x : g) {
                const int c = x.Code();
                if ((c == 330 || c == 350 || c == 360) && x.value != "0") {
                    EXPECT_TRUE(handles.contains(std::stol(x.value, nullptr, 16))) << c << " -> " << x.value;
                }
            }
        }
    }
}

TEST(DxfWriter, SpaceFilterKeepsHandlesAcrossReleases) {
    auto build = [](int32_t ver) {
        TDXFmodel m;
        SmallTables(m, ver);
        m.AddLine(0, 0, 1, 1, 0, 0, 0, 1, 1);
        m.AddLine(2, 0, 1, 1, 0, 0, 0, 2, 2);  // the second layout
        m.AddLine(1, 0, 1, 1, 0, 0, 0, 3, 3);  // the first paper space
        return m.SaveDXFText(u"");
    };
    struct Seen {
        std::vector<long> paper0;    // handles inside *Paper_Space0, relative to its BLOCK
        std::vector<long> entities;  // handles in ENTITIES, relative to that BLOCK
        std::vector<std::string> xs; // end x of the written lines
    };
    auto scan = [](const std::string& text) {
        bool ok = false;
        const std::vector<Group> g = ParseGroups(text, ok);
        EXPECT_TRUE(ok);
        Seen s;
        long base = -1;
        int where = 0;  // 1 inside *Paper_Space0, 2 in ENTITIES
        for (size_t i = 0; i + 1 < g.size(); ++i) {
            if (g[i].code == "  0" && g[i].value == "BLOCK") {
                size_t k = i;
                while (g[k].Code() != 2) ++k;
                const bool p0 = g[k].value == "*Paper_Space0" || g[k].value == "*PAPER_SPACE0";
                if (p0) base = std::stol(g[i + 1].value, nullptr, 16);
                where = p0 ? 1 : 0;
            } else if (g[i].value == "ENDBLK") {
                where = 0;
            } else if (g[i].code == "  2" && g[i].value == "ENTITIES") {
                where = 2;
            } else if (g[i].value == "ENDSEC") {
                where = 0;
            } else if (g[i].code == "  0" && g[i].value == "LINE") {
                const long h = std::stol(g[i + 1].value, nullptr, 16) - base;
                (where == 1 ? s.paper0 : s.entities).push_back(h);
            } else if (g[i].code == " 11" && where != 0) {
                s.xs.push_back(g[i].value);
            }
        }
        return s;
    };
    const Seen r12 = scan(build(kDxfR12));
    const Seen v2000 = scan(build(kDxf2000));
    const Seen v2007 = scan(build(kDxf2007));
    EXPECT_EQ(v2000.paper0, std::vector<long>{1});
    EXPECT_TRUE(r12.paper0.empty());
    EXPECT_EQ(v2000.entities, (std::vector<long>{3, 4}));
    EXPECT_EQ(r12.entities, v2000.entities);  // same handles after the skipped line
    EXPECT_EQ(v2000.xs, (std::vector<std::string>{"2.0", "1.0", "3.0"}));
    EXPECT_EQ(r12.xs, (std::vector<std::string>{"1.0", "3.0"}));
    // 2000 and 2007 use the same handles throughout.
    bool ok = false;
    EXPECT_EQ(Values(ParseGroups(build(kDxf2000), ok), 5), Values(ParseGroups(build(kDxf2007), ok), 5));
}

TEST(DxfWriter, R12UpperCasesNamesButNotLayersOrTexts) {
    for (int32_t ver : {kDxfR12, kDxf2000}) {
        TDXFmodel m;
        m.SetDXFVer(ver, 0);
        m.AddLtype(u"Continuous", u"Solid", {});
        const double dash[] = {1, -1};
        m.AddLtype(u"Dashed_1", u"Dashed line", dash);
        m.AddLayer(u"abc", 7, 1, 0, true, true);
        m.AddStyle(u"Standard", u"txt", u"extfont2.shx", 0, 1, 0, 2.5, false);
        m.AddLine(0, 0, 1, 2, 0, 0, 0, 1, 1);
        m.AddMojiA(0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 1, 1, 0, 0, u"", u"text");
        const std::string text = m.SaveDXFText(u"");
        const bool r12 = ver == kDxfR12;
        const std::string lt = r12 ? "DASHED_1" : "Dashed_1";
        EXPECT_NE(SectionText(text, "TABLES").find(Crlf("  2\n" + lt + "\n 70\n     0\n  3\nDashed line")),
                  std::string::npos);
        EXPECT_NE(SectionText(text, "ENTITIES").find(Crlf("  6\n" + lt + "\n")), std::string::npos);
        EXPECT_NE(SectionText(text, "TABLES").find(Crlf("  2\nabc\n")), std::string::npos);
        EXPECT_NE(SectionText(text, "ENTITIES").find(Crlf("  1\ntext\n")), std::string::npos);
        EXPECT_NE(text.find(Crlf(std::string("$TEXTSTYLE\n  7\n") + (r12 ? "STANDARD" : "Standard"))),
                  std::string::npos);
        EXPECT_NE(text.find(Crlf(std::string("  7\n") + (r12 ? "STANDARD" : "Standard") + "\n 72")),
                  std::string::npos);
    }
}

TEST(DxfWriter, TextEncodingByRelease) {
    const JwString layer = u"壁";
    const JwString outside = u"𠮷";  // not in code page 932
    auto write = [&](int32_t ver) {
        TDXFmodel m;
        m.SetDXFVer(ver, 0);
        m.AddLtype(u"Continuous", u"", {});
        m.AddLayer(layer, 7, 1, 0, true, true);
        m.AddStyle(u"Standard", u"txt", u"", 0, 1, 0, 2.5, false);
        m.AddMojiA(0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 1, 1, 0, 0, u"", outside + u"x");
        return m.SaveDXFText(u"");
    };
    const Bytes sjis = AnsiBytes(layer);
    const std::string sjisName(sjis.begin(), sjis.end());
    const std::string t2000 = write(kDxf2000);
    const std::string t2007 = write(kDxf2007);
    EXPECT_NE(t2000.find("\r\n  8\r\n" + sjisName + "\r\n"), std::string::npos);
    EXPECT_NE(t2007.find("\r\n  8\r\n" + ToUtf8(layer) + "\r\n"), std::string::npos);
    // 2007 keeps a character that code page 932 lacks; 2000 cannot.
    EXPECT_NE(t2007.find("\r\n  1\r\n" + ToUtf8(outside) + "x\r\n"), std::string::npos);
    EXPECT_NE(t2000.find("\r\n  1\r\n?x\r\n"), std::string::npos);
    // Layout names are user text too.
    EXPECT_NE(SectionText(t2007, "OBJECTS").find(ToUtf8(u"レイアウト1")), std::string::npos);
}

TEST(DxfWriter, BlankTextIsLeftOutButTakesItsHandle) {
    TDXFmodel m;
    SmallTables(m, kDxf2000);
    m.AddMojiA(0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 1, 1, 0, 0, u"", u" \u3000 ");
    m.AddLine(0, 0, 1, 1, 0, 0, 0, 1, 1);
    bool ok = false;
    const std::vector<Group> g = ParseGroups(SectionText(m.SaveDXFText(u""), "ENTITIES"), ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(Values(g, 0), std::vector<std::string>{"LINE"});
    EXPECT_EQ(Values(g, 5), std::vector<std::string>{"2C"});
}

TEST(DxfWriter, EllipseForms) {
    // R12 has no ELLIPSE: a polyline through 72 points (closed) or 73.
    for (const double sweep : {0.0, 90.0}) {
        TDXFmodel m;
        SmallTables(m, kDxfR12);
        m.AddArc(0, 0, 7, 1, 0, 1, 2, 10, 0.5, 0, sweep, 90);
        bool ok = false;
        const std::vector<Group> g = ParseGroups(SectionText(m.SaveDXFText(u""), "ENTITIES"), ok);
        ASSERT_TRUE(ok);
        const std::vector<std::string> kinds = Values(g, 0);
        ASSERT_EQ(kinds.size(), sweep == 0 ? 74u : 75u);
        EXPECT_EQ(kinds.front(), "POLYLINE");
        EXPECT_EQ(kinds.back(), "SEQEND");
        EXPECT_EQ(Values(g, 5), std::vector<std::string>{"E"});  // only the POLYLINE has a handle
        EXPECT_EQ(Values(g, 70), sweep == 0 ? std::vector<std::string>{"     1"} : std::vector<std::string>{});
        const std::vector<std::string> xs = Values(g, 10), ys = Values(g, 20);
        EXPECT_EQ(xs[1] + "," + ys[1], "1.0,12.0");  // the major axis points up (tilt 90)
        if (sweep != 0) {
            EXPECT_EQ(xs.back() + "," + ys.back(), "-4.0,2.0");
        }
    }
    // A clockwise sweep is written as the same arc counter-clockwise.
    TDXFmodel m;
    SmallTables(m, kDxf2000);
    m.AddArc(0, 0, 7, 1, 0, 0, 0, 10, 0.5, 90, -90, 0);
    bool ok = false;
    const std::vector<Group> g = ParseGroups(SectionText(m.SaveDXFText(u""), "ENTITIES"), ok);
    EXPECT_EQ(Values(g, 41), std::vector<std::string>{"0.0"});
    EXPECT_EQ(Values(g, 42), std::vector<std::string>{"1.5707963267949"});
}

// An ellipse whose minor axis is the longer one (flatness above 1) is
// written with the longer axis as the major one: the same curve, with the
// ratio at most 1 as DXF wants it. R12's polyline is the curve as it is.
TEST(DxfWriter, EllipseFlatnessAboveOne) {
    for (const int32_t ver : {kDxf2000, kDxfR12}) {
        TDXFmodel m;
        SmallTables(m, ver);
        m.AddArc(0, 0, 7, 1, 0, 0, 0, 10, 2, 0, 90, 0);  // (10 cos t, 20 sin t), t from 0 to 90 degrees
        bool ok = false;
        const std::vector<Group> g = ParseGroups(SectionText(m.SaveDXFText(u""), "ENTITIES"), ok);
        ASSERT_TRUE(ok);
        if (ver == kDxfR12) {
            const std::vector<std::string> xs = Values(g, 10), ys = Values(g, 20);
            EXPECT_EQ(xs[1] + "," + ys[1], "10.0,0.0");
            EXPECT_EQ(xs.back() + "," + ys.back(), "0.0,20.0");
            continue;
        }
        EXPECT_EQ(Values(g, 11), std::vector<std::string>{"0.0"});
        EXPECT_EQ(Values(g, 21), std::vector<std::string>{"20.0"});
        EXPECT_EQ(Values(g, 40), std::vector<std::string>{"0.5"});
        EXPECT_EQ(Values(g, 41), std::vector<std::string>{"-1.5707963267949"});  // (10, 0)
        EXPECT_EQ(Values(g, 42), std::vector<std::string>{"0.0"});               // (0, 20)
    }
}

// The paper-space limits are the paper in millimetres.
TEST(DxfWriter, PaperLimitsAreThePaper) {
    for (const int32_t ver : {kDxfR12, kDxf2000, kDxf2007}) {
        TDXFmodel m;
        SmallTables(m, ver);
        m.SetPap(0, 0, 10, 10, 594, 420);
        EXPECT_NE(m.SaveDXFText(u"").find(Crlf("$PLIMMAX\n 10\n594.0\n 20\n420.0\n")), std::string::npos) << ver;
    }
}

// The dimension styles name the text style "Standard" by its record's handle.
TEST(DxfWriter, DimensionStylesUseTheStandardTextStyle) {
    for (const int32_t ver : {kDxf2000, kDxf2007}) {
        TDXFmodel m;
        SmallTables(m, ver);
        m.msts.insert(m.msts.begin(), m.msts.front());  // Standard second
        m.msts.front().nam = u"First";
        bool ok = false;
        const std::vector<Group> g = ParseGroups(SectionText(m.SaveDXFText(u""), "TABLES"), ok);
        ASSERT_TRUE(ok);
        std::map<std::string, std::string> styleHandle;
        std::vector<std::string> dimStyleText;
        std::string record, handle;
        for (const Group& x : g) {
            if (x.Code() == 0) record = x.value, handle.clear();
            if (x.Code() == 5 || x.Code() == 105) handle = x.value;
            if (record == "STYLE" && x.Code() == 2) styleHandle[x.value] = handle;
            if (record == "DIMSTYLE" && !handle.empty() && x.Code() == 340) dimStyleText.push_back(x.value);
        }
        ASSERT_TRUE(styleHandle.contains("Standard"));
        EXPECT_EQ(dimStyleText, std::vector<std::string>(2, styleHandle["Standard"]));
    }
}

class DxfFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir = dxftest::FreshDir(fs::path(ZS_BINARY_DIR) / "dxf_test_files" /
                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    static JwString U(const fs::path& p) {
        const std::string s = p.string();
        return JwString(s.begin(), s.end());
    }
    static std::string Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    fs::path dir;
};

TEST_F(DxfFiles, SaveWritesTheTextAndCopiesImages) {
    fs::create_directories(dir / "src1");
    fs::create_directories(dir / "src2");
    fs::create_directories(dir / "out");
    std::ofstream(dir / "src1" / "Pic.PNG", std::ios::binary) << "image one";
    std::ofstream(dir / "src2" / "pic.png", std::ios::binary) << "image two";
    TDXFmodel m;
    SmallTables(m, kDxf2000);
    const JwString out = U(dir / "out") + u"/";
    EXPECT_EQ(m.AddFList(U(dir / "src1" / "Pic.PNG"), out, 4, 3, 4, 3, 0), 0);
    EXPECT_EQ(m.AddFList(U(dir / "src1" / "PIC.png"), out, 4, 3, 4, 3, 0), 0);  // already listed
    EXPECT_EQ(m.AddFList(U(dir / "src2" / "pic.png"), out, 4, 3, 4, 3, 0), 1);
    EXPECT_EQ(m.deFList[0].dst, out + u"Pic.png");
    EXPECT_EQ(m.deFList[1].dst, out + u"pic_1.png");  // a different file of the same name
    m.AddImage(0, 0, 0, 0, 4, 3, 4, 3, 0, U(dir / "src1" / "Pic.PNG"));
    const fs::path dst = dir / "out" / "drawing.dxf";
    ASSERT_TRUE(m.SaveDXF(u"", U(dst)));
    EXPECT_EQ(Read(dst), m.SaveDXFText(u""));
    EXPECT_EQ(Read(dir / "out" / "Pic.png"), "image one");
    EXPECT_EQ(Read(dir / "out" / "pic_1.png"), "image two");
    // No temporary file is left beside the result.
    int files = 0;
    for (const auto& e : fs::directory_iterator(dir / "out")) files += e.is_regular_file();
    EXPECT_EQ(files, 3);
}

TEST_F(DxfFiles, FailedSaveLeavesNothingAndKeepsWhatWasThere) {
    TDXFmodel m;
    SmallTables(m, kDxfR12);
    EXPECT_FALSE(m.SaveDXF(u"", U(dir / "missing" / "a.dxf")));
    EXPECT_FALSE(fs::exists(dir / "missing"));
    fs::create_directories(dir / "a.dxf");  // a folder where the file should go
    EXPECT_FALSE(m.SaveDXF(u"", U(dir / "a.dxf")));
    EXPECT_TRUE(fs::is_directory(dir / "a.dxf"));
    // Writing over an existing file replaces it.
    std::ofstream(dir / "b.dxf") << "old";
    ASSERT_TRUE(m.SaveDXF(u"", U(dir / "b.dxf")));
    EXPECT_EQ(Read(dir / "b.dxf").substr(0, 5), "999\r\n");
}

// A failed save keeps its reason: a DXF that cannot be created leaves
// nothing; an image that cannot be copied fails the save by name, while the
// DXF and the other images are written. A good save clears the reason.
TEST_F(DxfFiles, FailuresKeepTheirReason) {
    TDXFmodel m;
    SmallTables(m, kDxf2000);
    EXPECT_FALSE(m.SaveDXF(u"", U(dir / "missing" / "a.dxf")));
    EXPECT_NE(m.LastError.find("cannot create " + (dir / "missing" / "a.dxf").string()), std::string::npos)
        << m.LastError;

    std::ofstream(dir / "good.png", std::ios::binary) << "image";
    fs::create_directories(dir / "out");
    const JwString out = U(dir / "out") + u"/";
    m.AddFList(U(dir / "gone.png"), out, 4, 3, 4, 3, 0);
    m.AddFList(U(dir / "good.png"), out, 4, 3, 4, 3, 0);
    EXPECT_FALSE(m.SaveDXF(u"", U(dir / "out" / "b.dxf")));
    EXPECT_EQ(m.LastError, "cannot copy the image " + (dir / "gone.png").string() + " to " +
                               (dir / "out" / "gone.png").string() + ": not a readable file");
    EXPECT_EQ(Read(dir / "out" / "b.dxf"), m.SaveDXFText(u""));
    EXPECT_EQ(Read(dir / "out" / "good.png"), "image");
    EXPECT_FALSE(fs::exists(dir / "out" / "gone.png"));

    std::ofstream(dir / "gone.png", std::ios::binary) << "back";
    EXPECT_TRUE(m.SaveDXF(u"", U(dir / "out" / "b.dxf")));
    EXPECT_EQ(m.LastError, "");
}

TEST_F(DxfFiles, HeaderDatesComeFromTheSourceFile) {
    const fs::path src = dir / "src.jww";
    std::ofstream(src) << "x";
    TDXFmodel m;
    SmallTables(m, kDxf2000);
    bool ok = false;
    const std::vector<Group> g = ParseGroups(m.SaveDXFText(U(src)), ok);
    ASSERT_TRUE(ok);
    std::map<std::string, double> v;
    for (size_t i = 0; i + 1 < g.size(); ++i)
        if (g[i].code == "  9" && g[i].value.starts_with("$TD")) v[g[i].value] = std::stod(g[i + 1].value);
    const double now = 2444240 + (std::time(nullptr) / 86400.0 + 25569);
    EXPECT_NEAR(v["$TDUPDATE"], now, 1.0);  // local time, within a day of UTC
    EXPECT_NEAR(v["$TDCREATE"], v["$TDUPDATE"], 1.0 / 24);
    EXPECT_NEAR(v["$TDUUPDATE"], v["$TDUPDATE"] - 0.375, 1e-6);
}

// The group writer hands the sink exactly the groups written, however they
// fall on its buffer: many short groups across several flushes, values
// around the length that goes in one step, one longer than the buffer,
// handles of every size, and user text without its control characters.
TEST(DxfGroupWriterTest, SinkGetsEveryGroupWhateverTheBuffer) {
    struct Pieces : OutputSink {
        std::string text;
        size_t writes = 0;
        void Write(const uint8_t* data, size_t n) override {
            text.append(reinterpret_cast<const char*>(data), n);
            ++writes;
        }
    } sink;
    std::string want;
    auto group = [&want](const char* code, std::string_view value) {
        want += code;
        want += "\r\n";
        want += value;
        want += "\r\n";
    };
    {
        DxfGroupWriter w(sink, true);
        for (int i = 0; i < 40000; ++i) {
            w.Str(8, "LAYER-" + std::to_string(i));
            group("  8", "LAYER-" + std::to_string(i));
            w.FlushFull();
        }
        for (const size_t n : {size_t{255}, size_t{256}, size_t{257}, size_t{300000}}) {
            const std::string v(n, 'x');
            w.Str(1, v);
            group("  1", v);
        }
        const std::pair<int64_t, const char*> handles[] = {
            {0, "0"}, {0xA, "A"}, {0x2B, "2B"}, {0x7FFFFFFF, "7FFFFFFF"},
            {INT64_MAX, "7FFFFFFFFFFFFFFF"}, {-0x1F, "-1F"}, {INT64_MIN, "-8000000000000000"}};
        for (const auto& [h, text] : handles) {
            w.Hex(5, h);
            group("  5", text);
        }
        w.Text(1, u"a\tb\u3042\x01");
        group("  1", "ab\xE3\x81\x82");
        w.Flush();
    }
    EXPECT_GT(sink.writes, 5u);
    EXPECT_EQ(sink.text.size(), want.size());
    EXPECT_TRUE(sink.text == want);
}

}  // namespace
}  // namespace jw
