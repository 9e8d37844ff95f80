// The JWC drawing reader, on small files built byte by byte.
#include <gtest/gtest.h>

#include <cmath>

#include "legacy/jwc_data.h"
#include "legacy/legacy_bytes.h"
#include "legacy/legacy_io.h"
#include "model/file_formats.h"
#include "report/legacy_summary.h"
#include "support/program_values.h"
#include "support/text_encoding.h"

using namespace jw;
using namespace legacy_test;

namespace {

JwcFile SampleJwc() {
    JwcFile f;
    f.lines = {{1, 2, 3, 4, 1, 2, 3, 4, 5, 6}, {-1.5f, 0, 0, 100, 9, 9, 15, 0, 0, 1}};
    f.arcs = {{10, 20, 5, 10000, 65536, -32768, 0, 2, 3, 4, 5, 6, 7}};
    f.mojis = {{0, 0, 8, 2, 0x0000, 0x6000, 3, 4, 5, 6}, {1, 1, 9, 3, 0x0003, 0x6000, 1, 2, 0, 0}};
    // "AB\0" then "あ" (0x82 0xA0) and a control character, then zeros.
    f.area = {'A', 'B', 0, 0x82, 0xA0, 0x01, 'x', 0, 0, 0, 0, 0, 0, 0, 0, 0};
    f.tens = {{7, 8, 1, 2, 3, 4}};
    f.block4 = "6000:0000,6000:0010";
    return f;
}

bool Parse(TJwcData& d, const std::vector<uint8_t>& b, size_t n) { return d.ParseBytes(b.data(), n); }
bool Parse(TJwcData& d, const std::vector<uint8_t>& b) { return Parse(d, b, b.size()); }

}  // namespace

TEST(JwcRead, WholeFileConvertedToMillimetres) {
    auto bytes = SampleJwc().Bytes();
    TJwcData d;
    ASSERT_TRUE(Parse(d, bytes)) << d.LastError;
    EXPECT_EQ(d.Enthd.jwID, u"jw_cad(c)data.......a.f");
    EXPECT_EQ(d.Enthd.comment1, u"comment one");
    EXPECT_EQ(d.Enthd.comment2, u"comment two");
    EXPECT_TRUE(d.Enthd.scaleF);
    EXPECT_EQ(d.Enthd.psize, 2);
    EXPECT_EQ(d.Enthd.drawWidth, 297);
    EXPECT_FLOAT_EQ(d.Enthd.dataUnit, 2.0f);
    EXPECT_EQ(d.Enthd.vtenCount, 7);
    EXPECT_FLOAT_EQ(d.Enthd.lpitch2, 10.0f);
    EXPECT_FLOAT_EQ(d.Enthd.mvDist, 1.5f);
    EXPECT_FLOAT_EQ(d.Enthd.arAng, 20.0f);
    EXPECT_EQ(d.Enthd.mvKeta, 2);
    EXPECT_FLOAT_EQ(d.Enthd.dlinDistB, 0.0f);  // field missing: "0"
    EXPECT_EQ(d.Enthd.sBufAdr1, 0x60000);
    EXPECT_EQ(d.Enthd.sBufAdr2, 0x60010);
    EXPECT_TRUE(d.Enthd.para.empty());

    ASSERT_EQ(d.EntVten.size(), 101u);
    EXPECT_FLOAT_EQ(d.EntVten[100].x, 200.0f);
    EXPECT_FLOAT_EQ(d.EntVten[100].y, -200.0f);
    EXPECT_EQ(d.EntVten[17].lay, 1);
    ASSERT_EQ(d.EntMjtp.size(), 12u);
    EXPECT_EQ(d.EntMjtp[10].penNo, 10);
    EXPECT_EQ(d.EntMjtp[10].width, 110);
    EXPECT_EQ(d.EntMjtp[10].height, 210);
    EXPECT_EQ(d.EntMjtp[10].dist, 310);
    EXPECT_EQ(d.EntMjtp[11].penNo, 0);
    ASSERT_EQ(d.EntLgrp.size(), 16u);
    EXPECT_FLOAT_EQ(d.EntLgrp[15].scale, 15.5f);
    EXPECT_EQ(d.EntLgrp[15].srchF, 1);
    EXPECT_EQ(d.EntLgrp[15].dispF, 3);
    EXPECT_EQ(d.EntLgrp[15].w_lay, 15);
    EXPECT_EQ(d.EntLgrp[15].name, u"Group15");
    ASSERT_EQ(d.EntLay.size(), 256u);
    EXPECT_EQ(d.EntLay[255].srchF, 2);
    EXPECT_EQ(d.EntLay[255].dispF, 4);
    EXPECT_EQ(d.EntLay[255].name, u"L255");

    ASSERT_EQ(d.lineN, 2);
    ASSERT_EQ(d.EntLine.size(), 2u);
    EXPECT_FLOAT_EQ(d.EntLine[0].x1, 2.0f);
    EXPECT_FLOAT_EQ(d.EntLine[0].y2, 8.0f);
    EXPECT_EQ(d.EntLine[0].typ, 1);
    EXPECT_EQ(d.EntLine[0].flg3, 6);
    EXPECT_FLOAT_EQ(d.EntLine[1].x1, -3.0f);
    EXPECT_EQ(d.EntLine[1].lay, 15);

    ASSERT_EQ(d.arcN, 1);
    const auto& a = d.EntArc[0];
    EXPECT_FLOAT_EQ(a.x, 20.0f);
    EXPECT_FLOAT_EQ(a.r, 10.0f);
    EXPECT_FLOAT_EQ(a.h, 1.0f);
    EXPECT_FLOAT_EQ(a.st, 1.0f);
    EXPECT_FLOAT_EQ(a.et, -0.5f);
    EXPECT_FLOAT_EQ(a.tt, 0.0f);
    EXPECT_EQ(a.typ, 2);
    EXPECT_EQ(a.flg3, 7);

    ASSERT_EQ(d.mojiN, 2);
    EXPECT_EQ(d.EntMoji[0].p, 0x60000);
    EXPECT_EQ(d.EntMoji[0].s, u"AB");
    EXPECT_EQ(d.EntMoji[0].no, 3);
    EXPECT_EQ(d.EntMoji[0].flg2, 6);
    EXPECT_FLOAT_EQ(d.EntMoji[0].x2, 16.0f);
    EXPECT_EQ(d.EntMoji[1].s, u"あx");  // the control character is removed

    ASSERT_EQ(d.tenN, 1);
    EXPECT_FLOAT_EQ(d.EntTen[0].x, 14.0f);
    EXPECT_EQ(d.EntTen[0].lay, 1);
    EXPECT_EQ(d.EntTen[0].col, 2);
    EXPECT_EQ(d.EntTen[0].flg2, 4);
}

TEST(JwcRead, GroupScalesAsWordsWithoutTheScaleMark) {
    JwcFile f = SampleJwc();
    f.id = "jw_cad(c)data.......a.x";
    TJwcData d;
    ASSERT_TRUE(Parse(d, f.Bytes())) << d.LastError;
    EXPECT_FALSE(d.Enthd.scaleF);
    EXPECT_FLOAT_EQ(d.EntLgrp[15].scale, 150.0f);
    EXPECT_EQ(d.EntLgrp[15].srchF, 1);  // the tables after the scales stay aligned
    EXPECT_EQ(d.EntLgrp[15].name, u"Group15");
    f.id = "jw_cad(c)data.......";  // too short for the mark
    ASSERT_TRUE(Parse(d, f.Bytes()));
    EXPECT_FALSE(d.Enthd.scaleF);
}

// Field splitting and number rules of the text header blocks.
TEST(JwcRead, HeaderNumberFields) {
    struct Case {
        const char* block2;
        int lineCount, arcCount, drawWidth, flgPthin;
        float wLayScale;
    } cases[] = {
        {"5,2,0,0,0", 5, 2, 518, 0, 0.0f},                 // missing fields read as 0
        {"1,1,0,0,0,1,1,1,1,2.5", 1, 1, 518, 0, 2.5f},
        {"3,0,0,0,0,0,0,0,0,0,0,3,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,518 ,7", 3, 0, 518, 7, 0.0f},  // "518 " is 0
        {"3,0,0,0,0,0,0,0,0,0,0,3,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,420,1", 3, 0, 420, 1, 0.0f},
        {"3,0,0,0,0,0,0,0,0,0,0,3,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,420,1,99", 3, 0, 420, 1, 0.0f},  // extra ignored
        {"3,0,0,0,0,0,0,0,0,0,0,3,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,420,1 ", 3, 0, 420, 0, 0.0f},  // trailing space
        {" 4,x,0,0,0", 4, 0, 518, 0, 0.0f},                // leading space allowed; "x" is 0
        {"$10,-1", 16, -1, 518, 0, 0.0f},
        {",,", 0, 0, 518, 0, 0.0f},
    };
    for (const auto& c : cases) {
        JwcFile f;
        f.block2 = c.block2;
        TJwcData d;
        Parse(d, f.Bytes());
        SCOPED_TRACE(c.block2);
        EXPECT_EQ(d.Enthd.lineCount, c.lineCount);
        EXPECT_EQ(d.Enthd.arcCount, c.arcCount);
        EXPECT_EQ(d.Enthd.drawWidth, c.drawWidth);
        EXPECT_EQ(d.Enthd.flgPthin, c.flgPthin);
        EXPECT_FLOAT_EQ(d.Enthd.wLayScale, c.wLayScale);
    }
}

TEST(JwcRead, SplitFields) {
    using legacy::SplitFields;
    EXPECT_EQ(SplitFields(u"a,b,c", 5), (std::vector<JwString>{u"a", u"b", u"c", u"0", u"0"}));
    EXPECT_EQ(SplitFields(u"a,,c", 3), (std::vector<JwString>{u"a", u"", u"c"}));
    EXPECT_EQ(SplitFields(u"a,b,", 3), (std::vector<JwString>{u"a", u"b", u"0"}));
    EXPECT_EQ(SplitFields(u"a,b,c,d", 2), (std::vector<JwString>{u"a", u"b"}));
    EXPECT_EQ(SplitFields(u"", 2), (std::vector<JwString>{u"0", u"0"}));
}

TEST(JwcRead, SegmentOffsetAddresses) {
    struct Case {
        const char16_t* field;
        int32_t address;
    } cases[] = {
        {u"6000:0000", 0x60000},  {u"6000:0010", 0x60010}, {u"6000-0010", 0x60010},  // separator not looked at
        {u"abcd:EF01", 0xABCD0 + 0xEF01}, {u"6000", 0x60000}, {u"6000:12", 0x60012},
        {u"60G0:0010", 0x10},     {u"", 0},                {u"FFFF:FFFF", 0xFFFF0 + 0xFFFF},
        {u"6000:0010xyz", 0x60010},
    };
    for (const auto& c : cases) EXPECT_EQ(legacy::SegOfsAddress(c.field), c.address) << ToUtf8(c.field);

    JwcFile f;
    f.block4 = "6000:0000,6000:0010";
    TJwcData d;
    Parse(d, f.Bytes());
    EXPECT_EQ(d.Enthd.sBufAdr1, 393216);
}

TEST(JwcRead, DataUnitByPaperSize) {
    struct Case {
        int psize, drawWidth;
        double width;  // paper width in millimetres
    } cases[] = {
        {0, 518, 1189}, {1, 518, 841}, {2, 518, 594},     {3, 518, 420},      {4, 518, 297},
        {8, 518, 1682}, {9, 518, 2378}, {10, 518, 3364},  {11, 518, 4756},    {12, 518, 10000},
        {13, 518, 50000}, {14, 518, 100000}, {3, 420, 420}, {5, 518, 518},    {6, 518, 518},
        {7, 300, 300},  {-1, 518, 518}, {15, 518, 518},   {4, 0, 297},  // drawWidth 0 becomes 518
    };
    for (const auto& c : cases) {
        JwcFile f;
        f.psize = c.psize;
        f.drawWidth = c.drawWidth;
        TJwcData d;
        ASSERT_TRUE(Parse(d, f.Bytes())) << d.LastError << " psize " << c.psize;
        int dw = c.drawWidth == 0 ? 518 : c.drawWidth;
        EXPECT_FLOAT_EQ(d.Enthd.dataUnit, static_cast<float>(c.width / dw)) << c.psize << " " << c.drawWidth;
        EXPECT_EQ(PaperWidth(c.psize), (c.psize == 5 || c.psize == 6 || c.psize == 7 || c.psize < 0 || c.psize > 14)
                                              ? 0
                                              : static_cast<int32_t>(c.width));
    }
}

TEST(JwcRead, StringAreaOffsets) {
    JwcFile f;
    f.block4 = "6000:0004,6000:000C";  // area of 8 bytes starting at 0x60004
    f.area = {'A', 'B', 'C', 0, 'D', 'E', 'F', 'G'};
    struct Case {
        uint16_t seg, ofs;
        const char16_t* s;
    } cases[] = {
        {0x6000, 0x0004, u"ABC"}, {0x6000, 0x0008, u"DEFG"} /* the area's end ends it */, {0x6000, 0x000B, u"G"},
        {0x6000, 0x000C, u""},    {0x6000, 0x0003, u""},    {0x5FFF, 0x0014, u"ABC"} /* same address */,
        {0x0000, 0x0000, u""},    {0xFFFF, 0xFFFF, u""},    {0x6000, 0x0005, u"BC"},
        {0x6000, 0x0007, u""},
    };
    for (const auto& c : cases) f.mojis.push_back({0, 0, 0, 0, c.ofs, c.seg, 0, 0, 0, 0});
    TJwcData d;
    ASSERT_TRUE(Parse(d, f.Bytes())) << d.LastError;
    ASSERT_EQ(static_cast<size_t>(d.mojiN), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(d.EntMoji[i].s, cases[i].s) << i;

    // No area when the second address is not above the first.
    f.block4 = "6000:0010,6000:0000";
    f.area.clear();
    ASSERT_TRUE(Parse(d, f.Bytes())) << d.LastError;
    for (int i = 0; i < d.mojiN; ++i) EXPECT_EQ(d.EntMoji[static_cast<size_t>(i)].s, u"");
}

TEST(JwcRead, EveryTruncationFailsCleanlyAndKeepsWhatWasRead) {
    auto bytes = SampleJwc().Bytes();
    TJwcData full;
    ASSERT_TRUE(Parse(full, bytes));
    for (size_t n = 0; n < bytes.size(); ++n) {
        TJwcData d;
        bool ok = Parse(d, bytes, n);
        // Only the last record (a 16-byte group name) may be cut short.
        EXPECT_EQ(ok, n > bytes.size() - 16) << n;
        if (!ok) {
            EXPECT_EQ(d.LastError.rfind("File I/O Error", 0), 0u) << n;
        }
        EXPECT_EQ(d.EntLine.size(), static_cast<size_t>(d.lineN));
        EXPECT_EQ(d.EntArc.size(), static_cast<size_t>(d.arcN));
        EXPECT_EQ(d.EntMoji.size(), static_cast<size_t>(d.mojiN));
        EXPECT_EQ(d.EntTen.size(), static_cast<size_t>(d.tenN));
        EXPECT_LE(d.lineN, full.lineN);
        // Records read whole equal those of the full read.
        for (int i = 0; i + 1 < d.lineN; ++i) EXPECT_EQ(d.EntLine[i].x2, full.EntLine[i].x2);
        if (n >= 800) {
            EXPECT_EQ(d.Enthd.jwID, full.Enthd.jwID);
        }
    }
}

TEST(JwcRead, AbsurdCountsCostNoMemory) {
    JwcFile f = SampleJwc();
    f.block2 = "2000000000,2147483647,2147483647,2147483647,0";
    TJwcData d;
    EXPECT_FALSE(Parse(d, f.Bytes()));
    EXPECT_LE(d.EntLine.capacity(), 200u);
    EXPECT_EQ(d.arcN, 0);
    EXPECT_EQ(d.EntArc.capacity(), 0u);

    f.block2 = "-5,-1,-7,-2,-3";  // negative counts read nothing
    f.lines.clear();
    f.arcs.clear();
    f.mojis.clear();
    f.tens.clear();
    ASSERT_TRUE(Parse(d, f.Bytes())) << d.LastError;
    EXPECT_EQ(d.lineN + d.arcN + d.mojiN + d.tenN, 0);

    // A string area far larger than the file reads what is there.
    f = SampleJwc();
    f.block4 = "6000:0000,FFFF:FFFF";
    EXPECT_FALSE(Parse(d, f.Bytes()));  // the area swallows the rest, so the names are missing
    EXPECT_EQ(d.EntMoji[0].s, u"AB");
}

TEST(JwcRead, HostileHeadersNeverCrash) {
    // Random-looking header blocks: odd bytes, unfinished double-byte
    // characters, no zero byte anywhere.
    std::vector<uint8_t> bytes(2000);
    uint32_t x = 12345;
    for (auto& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    TJwcData d;
    EXPECT_FALSE(Parse(d, bytes));
    EXPECT_FALSE(d.LastError.empty());
    std::vector<uint8_t> empty;
    EXPECT_FALSE(d.ParseBytes(empty.data(), 0));
}

TEST(JwcRead, MutatedFilesKeepTheModelConsistent) {
    auto bytes = SampleJwc().Bytes();
    Mutator m;
    for (int round = 0; round < 3000; ++round) {
        auto b = m.Mutate(bytes, 800);
        TJwcData d;
        bool ok = Parse(d, b);
        ASSERT_EQ(ok, d.LastError.empty()) << round;
        ASSERT_EQ(d.EntLine.size(), static_cast<size_t>(d.lineN)) << round;
        ASSERT_EQ(d.EntArc.size(), static_cast<size_t>(d.arcN)) << round;
        ASSERT_EQ(d.EntMoji.size(), static_cast<size_t>(d.mojiN)) << round;
        ASSERT_EQ(d.EntTen.size(), static_cast<size_t>(d.tenN)) << round;
        ASSERT_LE(d.EntLine.capacity() * kJwcLineSize, b.size() + kJwcLineSize) << round;
    }
}

TEST(JwcFileOps, CheckHeaderAndFileInFromDisk) {
    TempDir dir("zs_legacy_jwc");
    auto path = dir.path() / "a.jwc";
    WriteFileBytes(path, SampleJwc().Bytes());
    auto sym = dir.path() / "b.jwk";
    WriteFileBytes(sym, JwkFile().Bytes());
    auto shortFile = dir.path() / "c.jwc";
    WriteFileBytes(shortFile, {'j', 'w', '_', 'c', 'a', 'd'});

    TJwcData d;
    EXPECT_TRUE(d.FileCheck(FromUtf8(path.string())));
    EXPECT_FALSE(d.FileCheck(FromUtf8(sym.string())));
    EXPECT_FALSE(d.FileCheck(FromUtf8(shortFile.string())));
    EXPECT_FALSE(d.FileCheck(FromUtf8((dir.path() / "missing.jwc").string())));
    EXPECT_FALSE(d.LastError.empty());

    ASSERT_TRUE(d.FileHeaderIn(FromUtf8(path.string())));
    EXPECT_EQ(d.Enthd.lineCount, 2);
    EXPECT_EQ(d.lineN, 0);
    EXPECT_FALSE(d.FileHeaderIn(FromUtf8(shortFile.string())));

    JwFileName.clear();
    ASSERT_TRUE(d.FileIn(FromUtf8(path.string()))) << d.LastError;
    EXPECT_EQ(d.tenN, 1);
    EXPECT_EQ(JwFileName, FromUtf8(path.string()));
    EXPECT_EQ(JwMemo, u"comment one\u3000comment two");
    EXPECT_EQ(JwMemo1, u"comment one");
    EXPECT_EQ(JwPrtScale, 1.0);
    EXPECT_TRUE(JwDrawTime.empty());

    EXPECT_FALSE(d.FileIn(FromUtf8((dir.path() / "missing.jwc").string())));
    EXPECT_FALSE(d.LastError.empty());
}

TEST(JwcModel, LifecycleAndSummary) {
    TJwcData d;
    EXPECT_TRUE(d.Enthd.scaleF);
    EXPECT_EQ(d.Enthd.drawWidth, 518);
    EXPECT_EQ(d.Enthd.sBufAdr1, 0x60000);
    EXPECT_FLOAT_EQ(d.Enthd.dlinDist[4], 100.0f);
    EXPECT_TRUE(d.EntLay.empty());

    ASSERT_TRUE(Parse(d, SampleJwc().Bytes()));
    TLegacySummary s = SummarizeLegacy(d);
    EXPECT_EQ(s.format, "JWC");
    EXPECT_EQ(s.lineN, 2);
    EXPECT_EQ(s.mojiN, 2);
    EXPECT_EQ(s.psize, 2);
    EXPECT_DOUBLE_EQ(s.dataUnit, 2.0);
    ASSERT_EQ(s.groupScales.size(), 16u);
    auto lines = LegacySummaryLines(s);
    auto has = [&](const JwString& t) {
        for (const auto& l : lines)
            if (l == t) return true;
        return false;
    };
    EXPECT_TRUE(has(u"図面サイズ　　　：2（Ａ２）"));
    EXPECT_TRUE(has(u"データ単位(mm)　：2"));
    EXPECT_TRUE(has(u"線分数　　　　　：2"));
    EXPECT_TRUE(has(u"コメント１　　　：comment one"));

    d.DataFree();
    EXPECT_EQ(d.lineN, 0);
    EXPECT_TRUE(d.EntLine.empty());
    EXPECT_TRUE(d.Enthd.jwID.empty());
}
