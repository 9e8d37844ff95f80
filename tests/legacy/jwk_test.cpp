// The JWK figure reader and writer, on small files built byte by byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "legacy/jwk_data.h"
#include "legacy/legacy_bytes.h"
#include "report/legacy_summary.h"
#include "support/program_values.h"
#include "support/text_encoding.h"

using namespace jw;
using namespace legacy_test;

namespace {

class JwkTest : public ::testing::Test {
protected:
    void SetUp() override { JwDefMojiTypeInit(); }
};

JwkFile SampleJwk() {
    JwkFile f;
    f.lines = {{1, 2, 3, 4, 1, 2, 3, 4, 5, 6}, {-1.5f, 0, 0, 100, 15, 6, 15, 0, 0, 1}};
    f.arcs = {{10, 20, 5, 5000, 65536, 0, -32768, 2, 3, 4, 5, 6, 7}};
    f.tens = {{7, 8, 1, 2, 3, 4}};
    f.mojis = {{0, 0, 8, 2, 0, 0, 3, 4, 5, 6}, {1, 1, 9, 3, 3, 0x1234, 1, 2, 0, 0}};
    f.area = {'A', 'B', 0, 0x82, 0xA0, 0x01, 'x', 0};
    return f;
}

bool Parse(TJwkData& d, const std::vector<uint8_t>& b, size_t n) { return d.ParseBytes(b.data(), n); }
bool Parse(TJwkData& d, const std::vector<uint8_t>& b) { return Parse(d, b, b.size()); }

JwString U(const std::filesystem::path& p) { return FromUtf8(p.string()); }

}  // namespace

TEST_F(JwkTest, ReadsEveryRecordAsStored) {
    TJwkData d;
    ASSERT_TRUE(Parse(d, SampleJwk().Bytes())) << d.LastError;
    EXPECT_EQ(d.Enthd.jwID, u"jw_cad(c)sym........");
    EXPECT_EQ(d.Enthd.comment1, u"fig one");
    EXPECT_FLOAT_EQ(d.Enthd.org_x, 10.5f);
    EXPECT_FLOAT_EQ(d.Enthd.org_y, -4.0f);
    EXPECT_FLOAT_EQ(d.Enthd.scale, 0.5f);
    EXPECT_EQ(d.Enthd.strSpace, 8);
    ASSERT_EQ(d.lineN, 2);
    EXPECT_FLOAT_EQ(d.EntLine[1].x1, -1.5f);  // no unit conversion
    EXPECT_EQ(d.EntLine[1].typ, 15);
    EXPECT_EQ(d.EntLine[0].flg3, 6);
    ASSERT_EQ(d.arcN, 1);
    EXPECT_FLOAT_EQ(d.EntArc[0].r, 5.0f);
    EXPECT_FLOAT_EQ(d.EntArc[0].h, 0.5f);
    EXPECT_FLOAT_EQ(d.EntArc[0].st, 1.0f);
    EXPECT_FLOAT_EQ(d.EntArc[0].tt, -0.5f);
    ASSERT_EQ(d.tenN, 1);
    EXPECT_EQ(d.EntTen[0].col, 2);
    ASSERT_EQ(d.mojiN, 2);
    EXPECT_EQ(d.EntMoji[0].s, u"AB");
    EXPECT_EQ(d.EntMoji[0].flg2, 6);
    EXPECT_EQ(d.EntMoji[1].p, 3);  // bytes 18-19 (0x1234) play no part
    EXPECT_EQ(d.EntMoji[1].s, u"あx");
    ASSERT_EQ(d.EntMjtp.size(), 12u);  // the defaults stay
    EXPECT_EQ(d.EntMjtp[2].width, 25);
}

TEST_F(JwkTest, HeaderFields) {
    struct Case {
        const char* block2;
        int lines, arcs, tens, mojis, strSpace;
        float orgX, orgY, dispScale, scale;
    } cases[] = {
        {"3,1,0,2,10.5,-4,1,64,0", 3, 1, 0, 2, 64, 10.5f, -4, 1, 1.0f},
        {"0,0,0,0,0,0,1,0,0.5", 0, 0, 0, 0, 0, 0, 0, 1, 0.5f},
        {"0,0,0,0,0,0,1,0,-2", 0, 0, 0, 0, 0, 0, 0, 1, 1.0f},
        {"0,0,0,0,0,0,1,0,1e-14", 0, 0, 0, 0, 0, 0, 0, 1, 1.0f},
        {"0,0,0,0,0,0,1,0,1e-13", 0, 0, 0, 0, 0, 0, 0, 1, 1e-13f},
        {"3,1", 3, 1, 0, 0, 0, 0, 0, 0, 1.0f},
        {"0,0,0,0,1.5 ,2,3,4,5", 0, 0, 0, 0, 4, 0, 2, 3, 5.0f},  // "1.5 " is 0
    };
    for (const auto& c : cases) {
        JwkFile f;
        f.block2 = c.block2;
        TJwkData d;
        Parse(d, f.Bytes());
        SCOPED_TRACE(c.block2);
        EXPECT_EQ(d.Enthd.lineCount, c.lines);
        EXPECT_EQ(d.Enthd.arcCount, c.arcs);
        EXPECT_EQ(d.Enthd.tenCount, c.tens);
        EXPECT_EQ(d.Enthd.mojiCount, c.mojis);
        EXPECT_EQ(d.Enthd.strSpace, c.strSpace);
        EXPECT_FLOAT_EQ(d.Enthd.org_x, c.orgX);
        EXPECT_FLOAT_EQ(d.Enthd.org_y, c.orgY);
        EXPECT_FLOAT_EQ(d.Enthd.dispScale, c.dispScale);
        EXPECT_FLOAT_EQ(d.Enthd.scale, c.scale);
        EXPECT_TRUE(d.Enthd.para.empty());
    }
}

TEST_F(JwkTest, ShortSecondBlockNeverTakesBytesOfTheFirst) {
    // Block 1 holds digits and commas in its unread tail; block 2 is cut to
    // three bytes "5,2" without a terminator.
    ByteBuilder bb;
    bb.Field("jw_cad(c)sym........", 40).Field("", 64).Field(",9,9,9,9,9,9", 96, ' ');
    bb.Raw("5,2");
    TJwkData d;
    EXPECT_FALSE(d.ParseBytes(bb.b.data(), bb.b.size()));  // the lines are missing
    EXPECT_EQ(d.Enthd.lineCount, 5);
    EXPECT_EQ(d.Enthd.arcCount, 2);
    EXPECT_EQ(d.Enthd.tenCount, 0);
}

TEST_F(JwkTest, StringAreaPositions) {
    JwkFile f;
    f.area = {'A', 'B', 0, 'C', 'D'};
    for (uint16_t p : {0, 3, 2, 5, 4, 0xFFFF}) f.mojis.push_back({0, 0, 0, 0, p, 0, 0, 0, 0, 0});
    TJwkData d;
    ASSERT_TRUE(Parse(d, f.Bytes())) << d.LastError;
    std::vector<JwString> want = {u"AB", u"CD", u"", u"", u"D", u""};
    ASSERT_EQ(d.mojiN, 6);
    for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(d.EntMoji[i].s, want[i]) << i;

    f.block2 = "0,0,0,6,0,0,1,0,1";  // no string area: every string stays empty
    f.area.clear();
    ASSERT_TRUE(Parse(d, f.Bytes())) << d.LastError;
    for (const auto& m : d.EntMoji) EXPECT_EQ(m.s, u"");
}

TEST_F(JwkTest, EveryTruncationFailsCleanly) {
    auto bytes = SampleJwk().Bytes();
    TJwkData full;
    ASSERT_TRUE(Parse(full, bytes));
    for (size_t n = 0; n < bytes.size(); ++n) {
        TJwkData d;
        bool ok = Parse(d, bytes, n);
        // The string area is the last read; any part of it is enough.
        EXPECT_EQ(ok, n > bytes.size() - 8) << n;
        EXPECT_EQ(d.EntLine.size(), static_cast<size_t>(d.lineN));
        EXPECT_EQ(d.EntArc.size(), static_cast<size_t>(d.arcN));
        EXPECT_EQ(d.EntTen.size(), static_cast<size_t>(d.tenN));
        EXPECT_EQ(d.EntMoji.size(), static_cast<size_t>(d.mojiN));
        for (int i = 0; i + 1 < d.lineN; ++i) EXPECT_EQ(d.EntLine[i].y2, full.EntLine[i].y2);
        if (!ok) {
            EXPECT_FALSE(d.LastError.empty());
        }
    }
}

TEST_F(JwkTest, AbsurdCountsAndAreaSizes) {
    JwkFile f = SampleJwk();
    f.block2 = "2147483647,5,5,5,0,0,1,8,1";
    TJwkData d;
    EXPECT_FALSE(Parse(d, f.Bytes()));
    EXPECT_LE(d.EntLine.capacity(), 20u);
    EXPECT_EQ(d.arcN, 0);

    f.block2 = "2,1,1,2,0,0,1,2147483647,1";  // area larger than the file: what is there is read
    ASSERT_TRUE(Parse(d, f.Bytes())) << d.LastError;
    EXPECT_EQ(d.EntMoji[0].s, u"AB");

    f.block2 = "2,1,1,2,0,0,1,-8,1";  // negative area: nothing read
    ASSERT_TRUE(Parse(d, f.Bytes())) << d.LastError;
    EXPECT_EQ(d.EntMoji[0].s, u"");
}

TEST_F(JwkTest, MutatedFilesKeepTheModelConsistent) {
    auto bytes = SampleJwk().Bytes();
    Mutator m;
    for (int round = 0; round < 3000; ++round) {
        auto b = m.Mutate(bytes, 400);
        TJwkData d;
        bool ok = Parse(d, b);
        ASSERT_EQ(ok, d.LastError.empty()) << round;
        ASSERT_EQ(d.EntLine.size(), static_cast<size_t>(d.lineN)) << round;
        ASSERT_EQ(d.EntArc.size(), static_cast<size_t>(d.arcN)) << round;
        ASSERT_EQ(d.EntTen.size(), static_cast<size_t>(d.tenN)) << round;
        ASSERT_EQ(d.EntMoji.size(), static_cast<size_t>(d.mojiN)) << round;
        // What was read is written again without failing (strings fit easily).
        std::vector<uint8_t> out;
        std::vector<JwString> prepared;
        int32_t space = 0;
        ASSERT_TRUE(d.BuildBytes(out, prepared, space)) << round;
    }
}

TEST_F(JwkTest, DefaultTextTypes) {
    TJwkData d;
    ASSERT_EQ(d.EntMjtp.size(), 12u);
    auto eq = [](const TEntJwcMojiType& m, int pen, int w, int h, int s) {
        return m.penNo == pen && m.width == w && m.height == h && m.dist == s;
    };
    EXPECT_TRUE(eq(d.EntMjtp[0], 0, 0, 0, 0));
    EXPECT_TRUE(eq(d.EntMjtp[1], 1, 20, 20, 0));
    EXPECT_TRUE(eq(d.EntMjtp[2], 1, 25, 25, 5));
    EXPECT_TRUE(eq(d.EntMjtp[10], 5, 100, 100, 10));
    EXPECT_TRUE(eq(d.EntMjtp[11], 0, 0, 0, 0));
    JwDefMojiType[0].width = 2.26;  // rounded to the nearest whole tenth
    d.DataInit();
    EXPECT_EQ(d.EntMjtp[1].width, 23);
    d.DataFree();
    EXPECT_TRUE(d.EntMjtp.empty());
}

TEST_F(JwkTest, WriteReadAgain) {
    TempDir dir("zs_legacy_jwk_rw");
    TJwkData d;
    ASSERT_TRUE(Parse(d, SampleJwk().Bytes()));
    d.Enthd.jwID = u"jw_cad(c)sym........";
    d.Enthd.comment2 = u"second";
    d.EntLine[0].col = 9;    // colour outside 1-6: written as the default
    d.EntLine[0].typ = 10;   // neither 1-9 nor 11-18: written as the default
    d.EntLine[1].typ = 18;   // kept
    d.EntArc[0].col = 0;
    d.EntArc[0].typ = 19;
    d.EntTen[0].col = 7;
    d.EntMoji[0].s = u"^@BM%temp%abc";
    d.EntMoji[1].s = u"a\tb\u3042";
    auto path = dir.path() / "out.jwk";
    ASSERT_TRUE(d.FileOut(U(path))) << d.LastError;

    // The model keeps its attributes; the strings are the prepared ones.
    EXPECT_EQ(d.EntLine[0].col, 9);
    EXPECT_EQ(d.EntMoji[0].s, u"^@BMabc");
    EXPECT_EQ(d.EntMoji[1].s, u"ab\u3042");
    EXPECT_EQ(d.Enthd.strSpace, 8 + 5);

    auto bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 400u + 2 * 22 + 32 + 12 + 2 * 24 + 13);
    EXPECT_EQ(bytes[104], ' ');
    EXPECT_EQ(bytes[198], ' ');
    EXPECT_EQ(bytes[199], '\n');
    EXPECT_EQ(bytes[399], '\n');
    std::string block2(bytes.begin() + 200, bytes.begin() + 399);
    EXPECT_EQ(block2.substr(0, block2.find('\0')), "2,1,1,2,10.5,-4,1,13,0.5");
    EXPECT_EQ(block2.back(), ' ');
    EXPECT_EQ(bytes[400 + 16], 1);  // line type
    EXPECT_EQ(bytes[400 + 17], 1);  // colour
    const size_t arc = 400 + 44;
    EXPECT_EQ(bytes[arc + 12] | (bytes[arc + 13] << 8), 5000);  // flatness
    const size_t moji2 = arc + 32 + 12 + 24;
    EXPECT_EQ(bytes[moji2 + 16], 8);  // the second string starts after "^@BMabc" and its zero
    EXPECT_EQ(bytes[moji2 + 18], 0);

    TJwkData r;
    ASSERT_TRUE(r.FileCheck(U(path)));
    ASSERT_TRUE(r.FileIn(U(path))) << r.LastError;
    EXPECT_EQ(r.Enthd.comment2, u"second");
    EXPECT_EQ(JwMemo, u"fig one\u3000second");
    ASSERT_EQ(r.lineN, 2);
    EXPECT_EQ(r.EntLine[0].col, 1);
    EXPECT_EQ(r.EntLine[0].typ, 1);
    EXPECT_EQ(r.EntLine[1].typ, 18);
    EXPECT_EQ(r.EntLine[1].col, 6);
    EXPECT_FLOAT_EQ(r.EntLine[1].x1, -1.5f);
    EXPECT_EQ(r.EntArc[0].col, 1);
    EXPECT_EQ(r.EntArc[0].typ, 1);
    EXPECT_FLOAT_EQ(r.EntArc[0].h, 0.5f);
    EXPECT_FLOAT_EQ(r.EntArc[0].st, 1.0f);
    EXPECT_FLOAT_EQ(r.EntArc[0].tt, -0.5f);
    EXPECT_EQ(r.EntArc[0].flg3, 7);
    EXPECT_EQ(r.EntTen[0].col, 1);
    EXPECT_EQ(r.EntTen[0].flg2, 4);
    ASSERT_EQ(r.mojiN, 2);
    EXPECT_EQ(r.EntMoji[0].s, u"^@BMabc");
    EXPECT_EQ(r.EntMoji[1].s, u"ab\u3042");
    EXPECT_EQ(r.EntMoji[1].no, 1);
    EXPECT_FLOAT_EQ(r.Enthd.org_x, 10.5f);
    EXPECT_FLOAT_EQ(r.Enthd.scale, 0.5f);
    EXPECT_EQ(r.Enthd.strSpace, 13);

    // Writing what was read gives the same bytes.
    auto again = dir.path() / "again.jwk";
    ASSERT_TRUE(r.FileOut(U(again)));
    EXPECT_EQ(ReadFileBytes(again), bytes);
}

TEST_F(JwkTest, WriterCutsFieldsAtWholeCharacters) {
    TJwkData d;
    // 39 single-byte characters and one double-byte character: the latter
    // does not fit the 40-byte field and is left out.
    d.Enthd.jwID = JwString(39, u'x') + u"あ";
    d.Enthd.comment1 = JwString(16, u'あ') + u"z";  // exactly 32 bytes, then "z" is cut
    std::vector<uint8_t> bytes;
    std::vector<JwString> prepared;
    int32_t space = -1;
    ASSERT_TRUE(d.BuildBytes(bytes, prepared, space));
    EXPECT_EQ(space, 0);
    ASSERT_EQ(bytes.size(), 400u);
    EXPECT_EQ(bytes[38], 'x');
    EXPECT_EQ(bytes[39], 0);
    EXPECT_EQ(AnsiBytesStr(bytes.data() + 40, 32), JwString(16, u'あ'));
    EXPECT_EQ(std::string(bytes.begin() + 200, bytes.begin() + 215), std::string("0,0,0,0,0,0,1,0", 15));
}

TEST_F(JwkTest, ArcValuesOutsideTheWordAndIntegerRangesAreClamped) {
    TJwkData d;
    d.arcN = 3;
    d.EntArc.resize(3);
    d.EntArc[0].h = 7.0f;  // 70000 does not fit a Word
    d.EntArc[0].st = 1e9f;
    d.EntArc[1].h = -1.0f;
    d.EntArc[1].et = -1e9f;
    d.EntArc[2].h = NAN;
    d.EntArc[2].tt = INFINITY;
    std::vector<uint8_t> b;
    std::vector<JwString> prepared;
    int32_t space;
    ASSERT_TRUE(d.BuildBytes(b, prepared, space));
    TJwkData r;
    ASSERT_TRUE(r.ParseBytes(b.data(), b.size())) << r.LastError;
    EXPECT_FLOAT_EQ(r.EntArc[0].h, 6.5535f);
    EXPECT_FLOAT_EQ(r.EntArc[0].st, static_cast<float>(2147483647 / 65536.0));
    EXPECT_FLOAT_EQ(r.EntArc[1].h, 0.0f);
    EXPECT_FLOAT_EQ(r.EntArc[1].et, -32768.0f);
    EXPECT_FLOAT_EQ(r.EntArc[2].h, 0.0f);
    EXPECT_FLOAT_EQ(r.EntArc[2].tt, static_cast<float>(2147483647 / 65536.0));
}

TEST_F(JwkTest, FailedSaveLeavesTheExistingFile) {
    TempDir dir("zs_legacy_jwk_fail");
    auto path = dir.path() / "keep.jwk";
    WriteFileBytes(path, {'o', 'l', 'd'});

    // Strings past the 16-bit offset cannot be addressed: the save fails.
    TJwkData d;
    d.mojiN = 3;
    d.EntMoji.resize(3);
    d.EntMoji[0].s = JwString(40000, u'a');
    d.EntMoji[1].s = JwString(30000, u'b');
    d.EntMoji[2].s = u"c";
    EXPECT_FALSE(d.FileOut(U(path)));
    EXPECT_FALSE(d.LastError.empty());
    EXPECT_EQ(ReadFileBytes(path), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(d.Enthd.strSpace, 0);  // the model is untouched

    // The last string may start at byte 65535 exactly.
    d.EntMoji[0].s = JwString(65534, u'a');
    d.EntMoji[1].s = u"";
    d.EntMoji[2].s = u"c";
    EXPECT_FALSE(d.FileOut(U(path)));  // the third starts at 65536
    d.mojiN = 2;
    ASSERT_TRUE(d.FileOut(U(path))) << d.LastError;
    TJwkData r;
    ASSERT_TRUE(r.FileIn(U(path)));
    EXPECT_EQ(r.EntMoji[1].p, 65535);

    // A folder that does not exist.
    EXPECT_FALSE(d.FileOut(U(dir.path() / "no" / "such.jwk")));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "no"));
    // A folder in the target's place stays.
    std::filesystem::create_directory(dir.path() / "folder.jwk");
    EXPECT_FALSE(d.FileOut(U(dir.path() / "folder.jwk")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "folder.jwk"));
    // No temporary file is left behind.
    size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) files += e.is_regular_file();
    EXPECT_EQ(files, 1u);
}

TEST_F(JwkTest, CheckAndSummary) {
    TempDir dir("zs_legacy_jwk_check");
    auto sym = dir.path() / "a.jwk";
    WriteFileBytes(sym, SampleJwk().Bytes());
    auto drw = dir.path() / "b.jwc";
    WriteFileBytes(drw, JwcFile().Bytes());
    TJwkData d;
    EXPECT_TRUE(d.FileCheck(U(sym)));
    EXPECT_FALSE(d.FileCheck(U(drw)));
    EXPECT_FALSE(d.FileCheck(U(dir.path() / "missing.jwk")));
    ASSERT_TRUE(d.FileHeaderIn(U(sym)));
    EXPECT_EQ(d.Enthd.mojiCount, 2);
    EXPECT_EQ(d.mojiN, 0);

    ASSERT_TRUE(d.FileIn(U(sym)));
    TLegacySummary s = SummarizeLegacy(d);
    EXPECT_EQ(s.format, "JWK");
    EXPECT_EQ(s.tenN, 1);
    EXPECT_EQ(s.strSpace, 8);
    EXPECT_DOUBLE_EQ(s.scale, 0.5);
    auto lines = LegacySummaryLines(s);
    EXPECT_NE(std::find(lines.begin(), lines.end(), JwString(u"縮尺　　　　　　：0.5")), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), JwString(u"文字数　　　　　：2")), lines.end());
}
