// Text variables of the DXF export: kind-1 values with a fixed clock and file
// date, eras, word and column cuts, and kind-2 layouts (pieces and lines).
#include <gtest/gtest.h>

#include <cmath>

#include "dxf/dxf_model.h"
#include "dxf/text_variables.h"
#include "export_fixture.h"
#include "support/program_values.h"
#include "support/text_encoding.h"

namespace jw {
namespace {

using dxftest::FixedFileDate;
using dxftest::FixedNow;

TDXF_Moji_Exp_Info Context() {
    TDXF_Moji_Exp_Info e;
    e.flag1 = e.flag2 = true;
    e.filename = u"C:\\work\\plans\\設計図面.jww";
    e.filedate = FixedFileDate(u"");
    e.nowdate = FixedNow();
    e.memo1 = u"一行目";
    e.memo2 = u"二行目";
    e.scale.fill(1);
    e.scale[2] = 100;
    e.scale[3] = 0.5;
    e.prtscale = 2;
    e.drawtime = 3 * 3600 + 25 * 60 + 40;
    for (int i = 0; i < 9; ++i) e.col[static_cast<size_t>(i)] = 10 * (i + 1);
    return e;
}

// DXF layer index of a text on layer group g.
constexpr int32_t OnGroup(int32_t g) { return 4 + 16 * g; }

struct Kind1Case {
    const char16_t* text;
    int32_t ly;
    const char16_t* value;
};

// Readable test output: the text and layer instead of the case's bytes.
void PrintTo(const Kind1Case& c, std::ostream* os) { *os << ToUtf8(c.text) << " on layer " << c.ly; }

class Kind1 : public ::testing::TestWithParam<Kind1Case> {};

TEST_P(Kind1, Value) {
    const Kind1Case& c = GetParam();
    const std::vector<TStr2List> saved = JwRefList;
    JwRefList = {{u"%%会社", u"株式会社テスト"}, {u"%%会社", u"second"}, {u"%%空", u""}};
    EXPECT_TRUE(CheckMojiExp1(c.text)) << ToUtf8(c.text);
    EXPECT_EQ(ToUtf8(GetMojiExp1(Context(), c.ly, c.text)), ToUtf8(c.value)) << ToUtf8(c.text);
    JwRefList = saved;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Kind1,
    ::testing::Values(
        // File names.
        Kind1Case{u"&F", 4, u"C:\\work\\plans\\設計図面.jww"}, Kind1Case{u"$F", 4, u"C:\\work\\plans\\設計図面.jww"},
        Kind1Case{u"&F1", 4, u"plans"}, Kind1Case{u"%F2", 4, u"work"}, Kind1Case{u"&F9", 4, u"C:"},
        Kind1Case{u"&f", 4, u"設計図面"}, Kind1Case{u"%f", 4, u"設計図面.jww"}, Kind1Case{u"%fa", 4, u"設計図面.j"},
        Kind1Case{u"%f3", 4, u"設"},
        // Memo, drawing time, user variables.
        Kind1Case{u"%mm", 4, u"一行目　二行目"}, Kind1Case{u"%m1", 4, u"一行目"}, Kind1Case{u"%m2", 4, u"二行目"},
        Kind1Case{u"&T", 4, u"3 : 26"}, Kind1Case{u"=T", 4, u"3 : 26"},
        Kind1Case{u"%%会社", 4, u"株式会社テスト"}, Kind1Case{u"%%無い名前", 4, u"無い名前"}, Kind1Case{u"%%", 4, u"＿"},
        Kind1Case{u"%%空", 4, u""},
        // Scales: group 2 is 1:100, group 3 is 2:1, the print scale 2; special layers 1:1.
        Kind1Case{u"%SS", OnGroup(2), u"1/100"}, Kind1Case{u"%SS", OnGroup(3), u"2/1"}, Kind1Case{u"%ss", OnGroup(2), u"100"},
        Kind1Case{u"%SP", OnGroup(2), u"1/50"}, Kind1Case{u"%sp", OnGroup(2), u"50"}, Kind1Case{u"%SP", OnGroup(3), u"4/1"},
        Kind1Case{u"%sp", OnGroup(3), u"4"}, Kind1Case{u"%SS", 2, u"1/1"},
        // The export's date, 2024-03-05 14:07:09, with the padding of each character.
        Kind1Case{u"%m", 4, u"03"}, Kind1Case{u"&m", 4, u" 3"}, Kind1Case{u"$m", 4, u"3 "}, Kind1Case{u"%y", 4, u"24"},
        Kind1Case{u"%d", 4, u"05"}, Kind1Case{u"%H", 4, u"14"}, Kind1Case{u"%h", 4, u"02"}, Kind1Case{u"%M", 4, u"07"},
        Kind1Case{u"$S", 4, u"9 "}, Kind1Case{u"%n", 4, u"PM"}, Kind1Case{u"%N", 4, u"後"}, Kind1Case{u"%ma", 4, u"MAR"},
        Kind1Case{u"%w", 4, u"火"}, Kind1Case{u"&W", 4, u"火"}, Kind1Case{u"%wa", 4, u"TUE"},
        Kind1Case{u"%j", 4, u"2024/ 3/ 5"}, Kind1Case{u"%J", 4, u"令和6年 3月 5日"}, Kind1Case{u"%E", 4, u"06"},
        Kind1Case{u"&G", 4, u" 6"}, Kind1Case{u"%Y", 4, u"36"}, Kind1Case{u"%GＧ", 4, u"令和"},
        Kind1Case{u"%GＧＥ", 4, u"令和06"}, Kind1Case{u"%GＧＥＥ", 4, u"令和6年"},
        // The file date, 2019-05-01 08:04:02: the first year of 令和, still 平成 31 for "Y".
        Kind1Case{u"=m", 4, u"05"}, Kind1Case{u"_m", 4, u" 5"}, Kind1Case{u"=y", 4, u"19"}, Kind1Case{u"=E", 4, u"元"},
        Kind1Case{u"=Y", 4, u"31"}, Kind1Case{u"_GＧＥＥ", 4, u"令和元年"}, Kind1Case{u"=J", 4, u"令和元年 5月 1日"},
        Kind1Case{u"=F", 4, u"2019/05/01 08:04:02"}, Kind1Case{u"_F", 4, u"2019/ 5/ 1 08:04:02"},
        Kind1Case{u"=f", 4, u"2019/05/01"}, Kind1Case{u"_f", 4, u"2019/ 5/ 1"},
        // Width reservations.
        Kind1Case{u"&j3", 4, u"･･･"}, Kind1Case{u"$J2", 4, u"･･"}));

TEST(Kind1Recognition, OnlyWholeVariablesCount) {
    for (const char16_t* s : {u"", u"%", u"abc", u"%x", u"$100", u"=T2", u"&f1", u"&F0", u" %f", u"%f ", u"=F1", u"&Fx",
                              u"%fg", u"%mm2", u"&j12", u"=j3"}) {
        EXPECT_FALSE(CheckMojiExp1(s)) << ToUtf8(s);
        EXPECT_EQ(GetMojiExp1(Context(), 4, s), JwString(s));
    }
}

TEST(Kind1Values, EmptyMemoParts) {
    TDXF_Moji_Exp_Info e = Context();
    e.memo1 = u"A";
    e.memo2.clear();
    EXPECT_EQ(GetMojiExp1(e, 4, u"%mm"), u"A");
    EXPECT_EQ(GetMojiExp1(e, 4, u"%m2"), u"%m2");
    e.memo1.clear();
    EXPECT_EQ(GetMojiExp1(e, 4, u"%mm"), u"%mm");
    e.memo2 = u"B";
    EXPECT_EQ(GetMojiExp1(e, 4, u"%mm"), u"B");
}

TEST(Kind1Values, BrokenScalesAndFolderlessNames) {
    TDXF_Moji_Exp_Info e = Context();
    e.scale[0] = 0;
    e.prtscale = std::nan("");
    EXPECT_EQ(GetMojiExp1(e, 4, u"%SP"), u"1/1");
    e.scale[0] = 3;  // 1/3 rounds to three places
    e.prtscale = 1;
    EXPECT_EQ(GetMojiExp1(e, 4, u"%ss"), u"3");
    e.scale[0] = 1.0 / 3;
    EXPECT_EQ(GetMojiExp1(e, 4, u"%SS"), u"3/1");
    e.filename = u"a b.jww";
    EXPECT_EQ(GetMojiExp1(e, 4, u"&F1"), u"a b.jww");
    EXPECT_EQ(GetMojiExp1(e, 4, u"&fs2"), u"b");
}

TEST(Eras, Boundaries) {
    struct Row {
        int32_t y, m, d;
        const char16_t* name;
        int32_t year;
    };
    for (const Row& r : {Row{2019, 5, 1, u"令和", 1}, Row{2019, 4, 30, u"平成", 31}, Row{1989, 1, 8, u"平成", 1},
                         Row{1989, 1, 7, u"昭和", 64}, Row{1926, 12, 25, u"昭和", 1}, Row{1926, 12, 24, u"大正", 15},
                         Row{1912, 7, 30, u"大正", 1}, Row{1912, 7, 29, u"明治", 45}, Row{1868, 10, 23, u"明治", 1},
                         Row{1868, 10, 22, u"", 0}}) {
        const TDxfEra e = DxfEra(r.y, r.m, r.d);
        EXPECT_EQ(e.name, JwString(r.name)) << r.y << "-" << r.m << "-" << r.d;
        EXPECT_EQ(e.year, r.year) << r.y << "-" << r.m << "-" << r.d;
    }
    EXPECT_EQ(DxfEra(2024, 1, 1, false).name, u"平成");
    EXPECT_EQ(DxfEra(2024, 1, 1, false).year, 36);
}

TEST(Dates, DayCountsRoundTrip) {
    const TDxfDateTime t = DxfDecodeDate(DxfEncodeDate(2000, 2, 29, 23, 59, 59));
    EXPECT_EQ(t.year, 2000);
    EXPECT_EQ(t.month, 2);
    EXPECT_EQ(t.day, 29);
    EXPECT_EQ(t.hour, 23);
    EXPECT_EQ(t.minute, 59);
    EXPECT_EQ(t.second, 59);
    EXPECT_EQ(t.weekday, 2);  // a Tuesday
    EXPECT_EQ(DxfEncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(DxfDecodeDate(std::nan("")).year, 1899);
}

TEST(StrNSpace, Words) {
    struct Row {
        const char16_t* f;
        int32_t n;
        const char16_t* word;
    };
    for (const Row& r : {Row{u"a bb c", 1, u"a"}, Row{u"a bb c", 2, u"bb"}, Row{u"a bb c", 3, u"c"},
                         Row{u"a bb c", 7, u"c"}, Row{u"a  c", 2, u" c"}, Row{u"abc", 2, u"abc"}, Row{u"", 1, u""}}) {
        EXPECT_EQ(GetStrNSpace(r.f, r.n), JwString(r.word)) << ToUtf8(r.f) << " " << r.n;
    }
}

// ---- AddMoji with both kinds ----

class Expansion : public ::testing::Test {
protected:
    void SetUp() override {
        m.AddLtype(u"Continuous", u"", {});
        m.AddLayer(u"0", 7, 1, 0, true, true);
        for (int i = 0; i < 8; ++i) m.AddLayer(u"L" + JwString(1, static_cast<char16_t>(u'a' + i)), 7, 1, 0, true, true);
        m.SetMojiExpInfo(true, true, u"/d/設計図面.jww", u"", u"", 0, 0, 0, 1, {}, {11, 12, 13, 14, 15, 16, 17, 18, 19});
        saved = JwRefList;
    }
    void TearDown() override { JwRefList = saved; }

    // Adds s at the origin, angle 0, width 2, height 3, spacing 0.5, colour 1.
    void Add(const JwString& s, int32_t fl = 0, double d = 0.5) {
        ASSERT_TRUE(m.AddMoji(0, 4, 1, 4, 0, fl, 0, 0, 100, 0, 2, 3, d, 0, u"ＭＳ 明朝", s));
    }

    TDXFmodel m;
    std::vector<TStr2List> saved;
};

TEST_F(Expansion, Kind1EndPointFollowsTheValueAndDotsReserveWidth) {
    Add(u"%f");
    ASSERT_EQ(m.de.Moji.size(), 1u);
    EXPECT_EQ(m.de.Moji[0].st, u"設計図面.jww");
    // 4 full-width (2 each, 0.5 after), 4 half-width (1 each, 0.25 between).
    EXPECT_DOUBLE_EQ(m.de.Moji[0].x2, 8 + 4 + 4 * 0.5 + 3 * 0.25);
    JwRefList = {{u"%%v", u"AB･･"}};
    Add(u"%%v");
    EXPECT_EQ(m.de.Moji[1].st, u"AB");
    EXPECT_DOUBLE_EQ(m.de.Moji[1].x2, 4 + 3 * 0.25);
    Add(u"%%v", 1);  // vertical: every character a full width
    EXPECT_DOUBLE_EQ(m.de.Moji[2].x2, 4 * 2 + 3 * 0.5);
}

TEST_F(Expansion, SwitchedOffOrPlainTextsStayUnchanged) {
    m.mexp.flag1 = false;
    Add(u"%f");
    m.mexp.flag2 = false;
    Add(u"AB^_CD^#EF");
    m.mexp.flag2 = true;
    Add(u"A^xB^");
    ASSERT_EQ(m.de.Moji.size(), 3u);
    EXPECT_EQ(m.de.Moji[0].st, u"%f");
    EXPECT_EQ(m.de.Moji[1].st, u"AB^_CD^#EF");
    EXPECT_EQ(m.de.Moji[2].st, u"A^xB^");
    EXPECT_EQ(m.de.Moji[2].x2, 100);
    EXPECT_TRUE(m.de.Line.empty());
}

TEST_F(Expansion, UnderlinedMiddleMakesThreePiecesAndOneLine) {
    Add(u"AB^_CD^#EF", 0, 0);
    ASSERT_EQ(m.de.Moji.size(), 3u);
    ASSERT_EQ(m.de.Line.size(), 1u);
    // Six half-width characters of width 1 each.
    const double want[3][2] = {{0, 1.9}, {2.1, 3.9}, {4.1, 6}};
    const char16_t* text[3] = {u"AB", u"CD", u"EF"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(m.de.Moji[i].st, text[i]);
        EXPECT_NEAR(m.de.Moji[i].x1, want[i][0], 1e-12);
        EXPECT_NEAR(m.de.Moji[i].x2, want[i][1], 1e-12);
        EXPECT_DOUBLE_EQ(m.de.Moji[i].d, 0);
    }
    const TDXF_Line& l = m.de.Line[0];
    EXPECT_NEAR(l.x1, 2, 1e-12);
    EXPECT_NEAR(l.x2, 4, 1e-12);
    EXPECT_NEAR(l.y1, -0.3, 1e-12);  // 0.1 of the height below the base line
    EXPECT_EQ(l.typ, 0);
    EXPECT_EQ(l.wid, 0);
}

TEST_F(Expansion, ColourSlantStrikeAndLiteralCodes) {
    Add(u"AB^$3CD^-EF^/GH", 0, 0);
    ASSERT_EQ(m.de.Moji.size(), 4u);
    EXPECT_EQ(m.de.Moji[0].col, 1);
    EXPECT_EQ(m.de.Moji[1].col, 13);  // pen 3 of the context
    EXPECT_FALSE(m.de.Moji[2].syat);
    EXPECT_TRUE(m.de.Moji[3].syat);
    ASSERT_EQ(m.de.Line.size(), 1u);
    EXPECT_NEAR(m.de.Line[0].y1, 1.5, 1e-12);  // strike-through at half the height
    EXPECT_EQ(m.de.Line[0].col, 13);

    m.de.Clear();
    Add(u"A^*^_B^^C", 0, 0);
    ASSERT_EQ(m.de.Moji.size(), 1u);
    EXPECT_EQ(m.de.Moji[0].st, u"A^_BC");
    EXPECT_TRUE(m.de.Line.empty());
}

TEST_F(Expansion, SmallAndOverlaidCharacters) {
    Add(u"A^uB", 0, 0);  // A (1) + small B (1): two places of width 1
    ASSERT_EQ(m.de.Moji.size(), 2u);
    const TDXF_Moji& small = m.de.Moji[0];
    EXPECT_EQ(small.st, u"B");
    EXPECT_NEAR(small.x1, 1.25, 1e-12);
    EXPECT_NEAR(small.y1, 1.5, 1e-12);
    EXPECT_NEAR(small.x2, 1.75, 1e-12);
    EXPECT_NEAR(small.h, 1.5, 1e-12);
    EXPECT_EQ(m.de.Moji[1].st, u"A ");

    m.de.Clear();
    Add(u"AB^oC", 0, 0);  // C over B: no place of its own
    ASSERT_EQ(m.de.Moji.size(), 2u);
    EXPECT_EQ(m.de.Moji[0].st, u"C");
    EXPECT_NEAR(m.de.Moji[0].x1, 2 - 0.6, 1e-12);
    EXPECT_EQ(m.de.Moji[1].st, u"AB");
    EXPECT_NEAR(m.de.Moji[1].x2, 2, 1e-12);
}

TEST_F(Expansion, LengthRules) {
    // A trailing "･" and the characters after the last "・" reserve width.
    EXPECT_EQ(GetMojiExp2Str(0, u"A・BC･"), u"A・");
    EXPECT_DOUBLE_EQ(GetMojiExp2Len(0, 2, 0, u"A・BC･"), 1 + 2 + 1 + 2 * 2);
    // "^3" at the end takes three half widths off, never below one width.
    EXPECT_DOUBLE_EQ(GetMojiExp2Len(0, 2, 0, u"ABCDEF^3"), 3);
    EXPECT_DOUBLE_EQ(GetMojiExp2Len(0, 2, 0, u"ABC^3"), 2);
    // Vertical: every character a full width.
    EXPECT_DOUBLE_EQ(GetMojiExp2Len(1, 2, 0.5, u"AB^_C"), 3 * 2 + 2 * 0.5);
    EXPECT_FALSE(CheckMojiExp2(u"A^"));
    EXPECT_FALSE(CheckMojiExp2(u"A^xB"));
    EXPECT_TRUE(CheckMojiExp2(u"AB・"));
    EXPECT_TRUE(CheckMojiExp2(u"A^$9"));
    EXPECT_FALSE(CheckMojiExp2(u"A^$0"));
}

TEST_F(Expansion, VerticalPiecesKeepTheirFlagAndBlockTextsGoToTheBlock) {
    const int32_t b = m.AddBlockDef(u"B", 1);
    ASSERT_TRUE(m.AddBlockMoji(b, 0, 4, 1, 4, 0, 1, 0, 0, 0, -10, 2, 3, 0, -90, u"", u"あ^_い^#う"));
    const TDXF_BlockDef& d = m.deBlockDef[static_cast<size_t>(b)];
    ASSERT_EQ(d.dm.Moji.size(), 3u);
    ASSERT_EQ(d.dm.Line.size(), 1u);
    for (const TDXF_Moji& p : d.dm.Moji) {
        EXPECT_TRUE(p.tate);
        EXPECT_NEAR(p.a, -90, 1e-12);
    }
    EXPECT_NEAR(d.dm.Moji[2].y2, -6, 1e-12);
    EXPECT_TRUE(m.de.Moji.empty());
}

}  // namespace
}  // namespace jw
