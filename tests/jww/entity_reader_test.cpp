// Entity lists: bodies of every kind in both attribute forms, tails, class
// tags, the shared class registry, block definitions, FilePrevIn budgets and
// the text-variable context.
#include <gtest/gtest.h>

#include <cmath>

#include "jw_test_bytes.h"
#include "jww/archive.h"
#include "model/jw_data.h"
#include "support/program_values.h"

namespace jw {
namespace {

using test::ByteBuilder;
using test::MakeAttr;

TJwwData ReadJww(int ver, const ByteBuilder& body, bool expectOk = true, int32_t zmax = -1) {
    const std::vector<uint8_t> f = test::JwwFile(ver, body);
    TJwwData m;
    m.BindImageExr = true;  // 7.00: read the bound-image count too
    EXPECT_EQ(m.BufferIn(f.data(), f.size(), u"t.jww", zmax), expectOk) << m.LastError;
    if (expectOk) {
        EXPECT_EQ(m.ReadEnd, f.size());
    }
    return m;
}

// One drawing entity of each kind, for a 13-byte (300) and a 15-byte (351+)
// attribute; bodies must leave the reader exactly at the definition count.
class EntityBodyTest : public ::testing::TestWithParam<int> {};

TEST_P(EntityBodyTest, EveryKind) {
    const int v = GetParam();
    const TEntJwwAttr att = MakeAttr(2, 3, 7, 4, 5, 0x10, 42);
    ByteBuilder b;
    b.Count(9);
    b.NewClass("CDataSen").Line(v, att, 1, 2, 3, 4);
    b.NewClass("CDataEnko").Attr(v, att).F64(10).F64(11).F64(5).F64(0.5).F64(1.5).F64(0.25).F64(0.75).U32(1);
    b.NewClass("CDataTen").Point(v, MakeAttr(100, 2), 7, 8, 0, 33, 1.25, 2.5);
    b.ClassRef(5).Point(v, MakeAttr(1, 2), 9, 9, 1);
    b.NewClass("CDataMoji").MojiFixed(v, att, 1, 1, NAN, INFINITY, NAN).Str("Font").Str("a\r\nb");
    b.NewClass("CDataSolid").Attr(v, MakeAttr(1, 10)).F64(1).F64(2).F64(3).F64(4).F64(5).F64(6).F64(7).F64(8)
        .U32(0xABCDEF);
    b.ClassRef(10).Attr(v, MakeAttr(1, 9)).F64(1).F64(2).F64(3).F64(4).F64(5).F64(6).F64(7).F64(8);
    b.NewClass("CDataBlock").Block(v, att, 100, 200, 77);
    // A dimension: attribute, line, text; then the SXF part from 4.20 on.
    b.NewClass("CDataSunpou").Attr(v, att).Line(v, att, 0, 0, 50, 0);
    b.MojiFixed(v, att, 25, 1, 2, 2, 0).Str("").Str("50");
    if (v >= 420) {
        b.U16(1).Line(v, att, 0, 0, 0, -5).Line(v, att, 50, 0, 50, -5);
        b.Point(v, MakeAttr(100, 3), 0, 0, 0, 5, 0.5, 2).Point(v, MakeAttr(1, 3), 50, 0);
        b.Point(v, MakeAttr(1, 3), 1, 1).Point(v, MakeAttr(100, 3), 2, 2, 0, 6, 0, 3);
    }
    b.Count(0);
    if (v >= 700) b.I32(0);
    const TJwwData m = ReadJww(v, b);

    ASSERT_EQ(m.Enthd.n1, 9);
    EXPECT_EQ(m.EntLineN, 1);
    EXPECT_EQ(m.EntEnkoN, 1);
    EXPECT_EQ(m.EntTenN, 2);
    EXPECT_EQ(m.EntMojiN, 1);
    EXPECT_EQ(m.EntSolidN, 2);
    EXPECT_EQ(m.EntBlockN, 1);
    EXPECT_EQ(m.EntSunpoN, 1);
    // Arrays are trimmed to their counts.
    EXPECT_EQ(m.EntLine.size(), 1u);
    EXPECT_EQ(m.EntSolid.size(), 2u);

    const TEntJwwLine& l = m.EntLine[0];
    EXPECT_EQ(+l.att.lGroup, 42u);
    EXPECT_EQ(+l.att.nPenWidth, v >= 351 ? 7 : 0);
    EXPECT_EQ(+l.att.nGLayer, 5);
    EXPECT_EQ(+l.att.sFlg, 0x10);
    EXPECT_EQ(+l.end_y, 4);
    EXPECT_EQ(+m.EntEnko[0].dHenpeiRitsu, 0.75);
    EXPECT_EQ(+m.EntEnko[0].bZenEnFlg, 1u);
    // Point with code: 55 bytes; plain point: 35 bytes, code 0, scale 1.
    EXPECT_EQ(+m.EntTen[0].nCode, 33u);
    EXPECT_EQ(+m.EntTen[0].dBairitsu, 2.5);
    EXPECT_EQ(+m.EntTen[1].bKariten, 1u);
    EXPECT_EQ(+m.EntTen[1].nCode, 0u);
    EXPECT_EQ(+m.EntTen[1].radKaitenKaku, 0);
    EXPECT_EQ(+m.EntTen[1].dBairitsu, 1.0);
    // Text: strings filtered, non-finite sizes repaired.
    EXPECT_EQ(m.EntMoji[0].strFontName, u"Font");
    EXPECT_EQ(m.EntMoji[0].str, u"ab");
    EXPECT_EQ(+m.EntMoji[0].dSizeX, 3.0);
    EXPECT_EQ(+m.EntMoji[0].dSizeY, 3.0);
    EXPECT_EQ(+m.EntMoji[0].dKankaku, 0.0);
    // Solid colour tail only with colour 10.
    EXPECT_EQ(+m.EntSolid[0].Color, 0xABCDEFu);
    EXPECT_EQ(+m.EntSolid[0].DPoint3_y, 8);
    EXPECT_EQ(+m.EntSolid[1].Color, 0u);
    EXPECT_EQ(+m.EntBlock[0].nNumber, 77u);
    EXPECT_EQ(+m.EntBlock[0].DPKijunTen_y, 200);

    const TEntJwwSunpo& d = m.EntSunpo[0];
    EXPECT_EQ(+d.Sen.end_x, 50);
    EXPECT_EQ(d.Moji.str, u"50");
    EXPECT_EQ(+d.Moji.start_x, 25);
    if (v >= 420) {
        EXPECT_EQ(d.bSxfMode, 1);
        EXPECT_EQ(+d.Ho2.end_y, -5);
        EXPECT_EQ(+d.Te1.nCode, 5u);
        EXPECT_EQ(+d.Te1.dBairitsu, 2);
        EXPECT_EQ(+d.Te2.dBairitsu, 0);  // no tail: zero, not 1
        EXPECT_EQ(+d.Kt2.nCode, 6u);
    } else {
        EXPECT_EQ(d.bSxfMode, 0);
        EXPECT_EQ(+d.Ho1.att.nGLayer, 5);
        EXPECT_EQ(+d.Ho1.end_x, 0);
        EXPECT_EQ(+d.Kt2.att.nPenStyle, 0);
        EXPECT_EQ(+d.Kt2.att.nLayer, 4);
        EXPECT_EQ(+d.Kt2.dBairitsu, 0);
    }
    // Order list in file order.
    const int kinds[] = {1, 2, 3, 3, 4, 6, 6, 7, 5};
    ASSERT_EQ(m.EntNo.size(), 9u);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(m.EntNo[i].EntType, kinds[i]) << i;
    EXPECT_EQ(m.EntNo[3].EntNo, 1);
}

INSTANTIATE_TEST_SUITE_P(Versions, EntityBodyTest, ::testing::Values(300, 350, 351, 419, 420, 700));

TEST(EntityReaderTest, ClassIndicesAcrossTheFile) {
    // Line (new class, index 1), line by 0x8001, then a new class registers
    // index 4. Definitions share the registry: members refer to classes named
    // in the entity list, and later definitions to classes named in earlier ones.
    ByteBuilder b;
    b.Count(3);
    b.NewClass("CDataSen").Line(700, MakeAttr(), 0, 0, 1, 1);
    b.ClassRef(1).Line(700, MakeAttr(), 0, 0, 2, 2);
    b.NewClass("CDataTen").Point(700, MakeAttr(), 5, 5);  // class 4, object 5
    b.Count(2);
    b.NewClass("CDataList").BlockDefHead(700, MakeAttr(), 1, 0, "A", 3);  // class 6, def 7
    b.ClassRef(1).Line(700, MakeAttr(), 0, 0, 3, 3);                       // 8
    b.ClassRefLong(4).Point(700, MakeAttr(), 1, 1);                        // 9
    b.NewClass("CDataEnko").Attr(700, MakeAttr()).Fill(60);                // class 10, object 11
    b.ClassRef(6).BlockDefHead(700, MakeAttr(), 2, 0, "B", 1);             // 12
    b.ClassRef(10).Attr(700, MakeAttr()).Fill(60);                         // 13
    b.I32(0);
    const TJwwData m = ReadJww(700, b);
    EXPECT_EQ(m.EntLineN, 2);
    EXPECT_EQ(m.EntTenN, 1);
    ASSERT_EQ(m.EntBlockDefN, 2);
    const TEntJwwBlockDef& a = m.EntBlockDef[0];
    EXPECT_EQ(a.strName, u"A");
    EXPECT_EQ(a.N, 3);
    EXPECT_EQ(a.mLineN, 1);
    EXPECT_EQ(a.mTenN, 1);
    EXPECT_EQ(a.mEnkoN, 1);
    EXPECT_EQ(+a.mLine[0].end_x, 3);
    EXPECT_EQ(a.mNo[2].EntType, kEntEnko);
    EXPECT_EQ(m.EntBlockDef[1].mEnkoN, 1);
}

TEST(EntityReaderTest, DefinitionTimeStamp) {
    ByteBuilder b;
    b.Count(0).Count(3);
    b.NewClass("CDataList").BlockDefHead(600, MakeAttr(), 10, 1234, "plain", 0);
    b.ClassRef(1).BlockDefHead(600, MakeAttr(), 11, 0x80000000u | 5, "stamped", 1);
    b.NewClass("CDataSen").Line(600, MakeAttr(), 0, 0, 1, 1);
    b.ClassRef(1).BlockDefHead(600, MakeAttr(), 12, 0x80000001u, "stamped2", 0);
    const TJwwData m = ReadJww(600, b);
    ASSERT_EQ(m.EntBlockDefN, 3);
    EXPECT_EQ(+m.EntBlockDef[0].dtime, 1234u);
    EXPECT_EQ(+m.EntBlockDef[1].dtime, 2u);
    EXPECT_EQ(+m.EntBlockDef[1].nNumber, 11u);
    EXPECT_EQ(m.EntBlockDef[1].mLineN, 1);
    EXPECT_EQ(+m.EntBlockDef[2].dtime, 3u);
    EXPECT_EQ(m.EntBlockDef[2].strName, u"stamped2");
    // The stamp itself is kept for the writer, with the dtime the file held.
    EXPECT_FALSE(m.EntBlockDef[0].bTime64);
    ASSERT_TRUE(m.EntBlockDef[1].bTime64);
    EXPECT_EQ(m.EntBlockDef[1].dtimeFile, 0x80000005u);
    EXPECT_EQ(std::vector<uint8_t>(std::begin(m.EntBlockDef[1].time64), std::end(m.EntBlockDef[1].time64)),
              std::vector<uint8_t>(8, 0x77));
    EXPECT_EQ(m.EntBlockDef[2].dtimeFile, 0x80000001u);
}

TEST(EntityReaderTest, OldFormatDefinition) {
    ByteBuilder b;
    b.Count(0).Count(1);
    b.NewClass("CDataList").BlockDefHead(300, MakeAttr(1, 2, 9, 6, 7), 21, 3, "old", 1);
    b.NewClass("CDataBlock").Block(300, MakeAttr(), 1, 2, 22);
    const TJwwData m = ReadJww(300, b);
    ASSERT_EQ(m.EntBlockDefN, 1);
    const TEntJwwBlockDef& d = m.EntBlockDef[0];
    EXPECT_EQ(+d.att.nPenWidth, 0);
    EXPECT_EQ(+d.att.nGLayer, 7);
    EXPECT_EQ(+d.nNumber, 21u);
    EXPECT_EQ(+d.dtime, 3u);
    EXPECT_EQ(d.mBlockN, 1);
    EXPECT_EQ(+d.mBlock[0].nNumber, 22u);
}

// A file of 3 entities and a definition of 4 members, read with budgets.
ByteBuilder BudgetBody() {
    ByteBuilder b;
    b.Count(3);
    b.NewClass("CDataSen").Line(600, MakeAttr(), 0, 0, 1, 1);
    b.ClassRef(1).Line(600, MakeAttr(), 0, 0, 1, 1);
    b.ClassRef(1).Line(600, MakeAttr(), 0, 0, 1, 1);
    b.Count(1);
    b.NewClass("CDataList").BlockDefHead(600, MakeAttr(), 1, 0, "D", 4);
    for (int i = 0; i < 4; ++i) b.ClassRef(1).Line(600, MakeAttr(), 0, 0, i, i);
    return b;
}

TEST(EntityReaderTest, PreviewBudgets) {
    struct Case {
        int32_t zmax;
        int32_t lines, defs, members, n2;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0}, {2, 2, 0, 0, 0}, {3, 3, 0, 0, 0}, {4, 3, 1, 1, 1},
        {5, 3, 1, 2, 1}, {7, 3, 1, 4, 1}, {100, 3, 1, 4, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zmax);
        const std::vector<uint8_t> f = test::JwwFile(600, BudgetBody());
        TJwwData m;
        EXPECT_TRUE(m.BufferIn(f.data(), f.size(), u"p", c.zmax)) << m.LastError;
        EXPECT_EQ(m.Enthd.n1, 3);
        EXPECT_EQ(m.EntNo.size(), 3u);
        EXPECT_EQ(m.EntLineN, c.lines);
        EXPECT_EQ(m.Enthd.n2, c.n2);
        ASSERT_EQ(m.EntBlockDefN, c.defs);
        if (c.defs) {
            EXPECT_EQ(m.EntBlockDef[0].N, 4);
            EXPECT_EQ(m.EntBlockDef[0].mNo.size(), 4u);
            EXPECT_EQ(m.EntBlockDef[0].mLineN, c.members);
        }
    }
}

TEST(EntityReaderTest, TextVariableContext) {
    struct Case {
        const char* memo;
        int32_t time;
        std::u16string drawTime, memo1, memo2, memo0;
    };
    const Case cases[] = {
        {"A\r\nB\r\nC", 3725, u"1 : 02", u"A", u"B\r\nC", u"A\u3000B\r\nC"},
        {"single", 0, u"0 : 00", u"single", u"", u"single"},
        {"x\ny", 36000 + 59 * 60 + 59, u"10 : 59", u"x\ny", u"", u"x\ny"},
    };
    for (const Case& c : cases) {
        TJwwData src = test::PlainHeaderModel();
        src.Enthd.strMemo = std::u16string(c.memo, c.memo + std::strlen(c.memo));
        src.Enthd.lnDrawTime = c.time;
        src.Enthd.dPrtBairitsu = 0.25;
        ByteBuilder b;
        test::AppendJwwHeader(b, 600, src);
        b.Count(0).Count(0);
        TJwwData m;
        ASSERT_TRUE(m.BufferIn(b.bytes.data(), b.Size(), u"/d/f.jww"));
        EXPECT_EQ(JwFileName, u"/d/f.jww");
        EXPECT_EQ(JwDrawTime, c.drawTime);
        EXPECT_EQ(JwMemo1, c.memo1);
        EXPECT_EQ(JwMemo2, c.memo2);
        EXPECT_EQ(JwMemo, c.memo0);
        EXPECT_EQ(JwPrtScale, 0.25);
    }
    // A preview publishes nothing; a figure publishes its name only.
    ByteBuilder b;
    b.Count(0).Count(0);
    const std::vector<uint8_t> f = test::JwwFile(600, b);
    TJwwData m;
    ASSERT_TRUE(m.BufferIn(f.data(), f.size(), u"preview.jww", 10));
    EXPECT_EQ(JwFileName, u"/d/f.jww");
    const std::vector<uint8_t> s = test::JwsFile(600, b);
    TJwsData j;
    ASSERT_TRUE(j.BufferIn(s.data(), s.size(), u"fig.jws"));
    EXPECT_EQ(JwFileName, u"fig.jws");
    EXPECT_EQ(JwDrawTime, u"");
    EXPECT_EQ(JwMemo, u"");
    EXPECT_EQ(JwPrtScale, 1.0);
}

TEST(EntityReaderTest, JwsBodyIsTheJwwBody) {
    const std::vector<uint8_t> f = test::JwsFile(351, [&] {
        ByteBuilder x;
        x.Count(1).NewClass("CDataSen").Line(351, MakeAttr(1, 2, 3), 0, 0, 1, 1).Count(0);
        return x;
    }());
    TJwsData m;
    ASSERT_TRUE(m.BufferIn(f.data(), f.size(), u"f.jws")) << m.LastError;
    EXPECT_EQ(m.EntLineN, 1);
    EXPECT_EQ(+m.EntLine[0].att.nPenWidth, 3);
    EXPECT_EQ(m.ReadEnd, f.size());
    // A 7.00 figure ends after its definitions: no bound-image count.
    ByteBuilder s;
    s.Count(0).Count(0);
    const std::vector<uint8_t> g = test::JwsFile(700, s);
    m.BindImageExp = m.BindImageExr = true;
    ASSERT_TRUE(m.BufferIn(g.data(), g.size(), u"g.jws"));
    EXPECT_EQ(m.ReadEnd, g.size());
    EXPECT_EQ(m.BindImageN, 0);
}

TEST(EntityReaderTest, EmptyFileBody) {
    ByteBuilder b;
    b.Count(0).Count(0).I32(0);
    TJwwData m = ReadJww(700, b);
    EXPECT_EQ(m.EntBlockTreeN, 0);
    EXPECT_EQ(m.EntNo.size(), 0u);
}

}  // namespace
}  // namespace jw
