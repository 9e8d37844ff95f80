// Damaged and hostile input: truncation at every offset, absurd counts,
// unknown classes, cyclic blocks. Never a crash; false with a message; the
// model keeps what was read before the damage.
#include <gtest/gtest.h>

#include <functional>

#include "common/samples.h"
#include "jw_test_bytes.h"
#include "jww/archive.h"
#include "model/jw_data.h"
#include "support/text_encoding.h"

namespace jw {
namespace {

using test::ByteBuilder;
using test::MakeAttr;

std::vector<uint8_t> Sample(const char* name) {
    return test::ReadFileBytes(test::SamplePath(name));
}

template <class Model>
int32_t StoredEntities(const Model& m) {
    int32_t n = m.EntLineN + m.EntEnkoN + m.EntTenN + m.EntMojiN + m.EntSunpoN + m.EntSolidN + m.EntBlockN;
    for (int32_t i = 0; i < m.EntBlockDefN; ++i) {
        const TEntJwwBlockDef& d = m.EntBlockDef[i];
        n += d.mLineN + d.mEnkoN + d.mTenN + d.mMojiN + d.mSunpoN + d.mSolidN + d.mBlockN;
    }
    return n;
}

// Whether every entity array holds exactly as many records as its count: a
// record dropped by a short read leaves nothing behind.
bool ArraysMatchCounts(const TJwEntities& m) {
    auto same = [](const auto& v, int32_t n) { return v.size() == static_cast<size_t>(n); };
    if (!same(m.EntLine, m.EntLineN) || !same(m.EntEnko, m.EntEnkoN) || !same(m.EntTen, m.EntTenN) ||
        !same(m.EntMoji, m.EntMojiN) || !same(m.EntSunpo, m.EntSunpoN) || !same(m.EntSolid, m.EntSolidN) ||
        !same(m.EntBlock, m.EntBlockN))
        return false;
    for (const TEntJwwBlockDef& d : m.EntBlockDef) {
        if (!same(d.mLine, d.mLineN) || !same(d.mEnko, d.mEnkoN) || !same(d.mTen, d.mTenN) ||
            !same(d.mMoji, d.mMojiN) || !same(d.mSunpo, d.mSunpoN) || !same(d.mSolid, d.mSolidN) ||
            !same(d.mBlock, d.mBlockN))
            return false;
    }
    return true;
}

// Cut the file after every byte count: each shorter file reads as false with
// "File I/O Error" (or a header error), and the entities kept never decrease
// as more of the file is there.
template <class Model>
void TruncateEverywhere(const std::vector<uint8_t>& full) {
    Model whole;
    whole.BindImageExr = true;
    ASSERT_TRUE(whole.BufferIn(full.data(), full.size(), u"w"));
    const int32_t all = StoredEntities(whole);
    int32_t last = 0;
    for (size_t cut = 0; cut < full.size(); ++cut) {
        std::vector<uint8_t> part(full.begin(), full.begin() + cut);  // exact size: ASan sees overreads
        Model m;
        m.BindImageExr = true;
        ASSERT_FALSE(m.BufferIn(part.data(), part.size(), u"t")) << cut;
        ASSERT_FALSE(m.LastError.empty()) << cut;
        ASSERT_LE(m.ReadEnd, cut);
        ASSERT_TRUE(ArraysMatchCounts(m)) << cut;
        const int32_t n = StoredEntities(m);
        ASSERT_GE(n, last) << cut;
        ASSERT_LE(n, all) << cut;
        last = n;
    }
    EXPECT_GE(last, all - 1);  // only the entity cut in its last byte is lost
}

TEST(HostileInputTest, JwsTruncatedAtEveryOffset) {
    ZS_NEED_SAMPLES();
    TruncateEverywhere<TJwsData>(Sample("jws600-uppercase-ext.JWS"));
}

TEST(HostileInputTest, JwwWithDefinitionsTruncatedAtEveryOffset) {
    ZS_NEED_SAMPLES();
    TruncateEverywhere<TJwwData>(Sample("jww700-utf16-2blocks.jww"));
}

TEST(HostileInputTest, AbsurdEntityCount) {
    ByteBuilder b;
    b.Count(INT32_MAX);
    b.NewClass("CDataSen").Line(600, MakeAttr(), 0, 0, 1, 1);
    b.ClassRef(1).Line(600, MakeAttr(), 0, 0, 2, 2);
    const std::vector<uint8_t> f = test::JwwFile(600, b);
    TJwwData m;
    EXPECT_FALSE(m.BufferIn(f.data(), f.size(), u"x"));
    EXPECT_EQ(m.LastError, kErrFileIO);
    EXPECT_EQ(m.Enthd.n1, INT32_MAX);
    EXPECT_EQ(m.EntLineN, 2);
    EXPECT_LE(m.EntNo.size(), 3u);  // only what the rest of the file could hold
    EXPECT_EQ(m.EntNo[1].EntType, kEntLine);
}

TEST(HostileInputTest, AbsurdDefinitionAndMemberCounts) {
    {
        ByteBuilder b;
        b.Count(0).Count(INT32_MAX);
        b.NewClass("CDataList").BlockDefHead(600, MakeAttr(), 9, 0, "first", 0);
        const std::vector<uint8_t> f = test::JwwFile(600, b);
        TJwwData m;
        EXPECT_FALSE(m.BufferIn(f.data(), f.size(), u"x"));
        EXPECT_EQ(m.LastError, kErrFileIO);
        EXPECT_EQ(m.Enthd.n2, INT32_MAX);
        ASSERT_GE(m.EntBlockDefN, 1);
        EXPECT_LE(m.EntBlockDefN, 2);
        EXPECT_EQ(m.EntBlockDef.size(), static_cast<size_t>(m.EntBlockDefN));
        EXPECT_EQ(m.EntBlockDef[0].strName, u"first");
    }
    {
        ByteBuilder b;
        b.Count(0).Count(1);
        b.NewClass("CDataList").BlockDefHead(600, MakeAttr(), 9, 0, "big", INT32_MAX);
        b.NewClass("CDataSen").Line(600, MakeAttr(), 0, 0, 1, 1);
        const std::vector<uint8_t> f = test::JwwFile(600, b);
        TJwwData m;
        EXPECT_FALSE(m.BufferIn(f.data(), f.size(), u"x"));
        ASSERT_EQ(m.EntBlockDefN, 1);
        EXPECT_EQ(m.EntBlockDef[0].N, INT32_MAX);
        EXPECT_LE(m.EntBlockDef[0].mNo.size(), 2u);
        EXPECT_EQ(m.EntBlockDef[0].mLineN, 1);
    }
}

TEST(HostileInputTest, StringLongerThanTheFile) {
    ByteBuilder b;
    b.Count(1).NewClass("CDataMoji").MojiFixed(600, MakeAttr(), 0, 0, 1, 1, 0).Str("f");
    b.Raw({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 0});
    const std::vector<uint8_t> f = test::JwwFile(600, b);
    TJwwData m;
    EXPECT_FALSE(m.BufferIn(f.data(), f.size(), u"x"));
    EXPECT_EQ(m.EntMojiN, 1);
    EXPECT_EQ(m.EntMoji[0].str, u"a");
}

TEST(HostileInputTest, BadClassesEndTheReadKeepingEarlierEntities) {
    struct Case {
        const char* what;
        std::function<void(ByteBuilder&)> tag;
    };
    const Case cases[] = {
        {"unknown class name", [](ByteBuilder& b) { b.NewClass("CDataBogus"); }},
        {"lower-case class name", [](ByteBuilder& b) { b.NewClass("cdatasen"); }},
        {"unregistered index", [](ByteBuilder& b) { b.ClassRef(40); }},
        {"object index as class", [](ByteBuilder& b) { b.ClassRef(2); }},
        {"unregistered long index", [](ByteBuilder& b) { b.ClassRefLong(0x12345); }},
        {"tag below 0x8000", [](ByteBuilder& b) { b.U16(0x0001); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ByteBuilder b;
        b.Count(3);
        b.NewClass("CDataBlock").Block(600, MakeAttr(), 0, 0, 5);
        c.tag(b);
        b.Line(600, MakeAttr(), 0, 0, 1, 1);
        b.Count(0);
        const std::vector<uint8_t> f = test::JwwFile(600, b);
        TJwwData m;
        EXPECT_FALSE(m.BufferIn(f.data(), f.size(), u"x"));
        EXPECT_EQ(m.LastError, kErrFileIO);
        EXPECT_EQ(m.EntBlockN, 1);
        EXPECT_EQ(m.EntLineN, 0);
        EXPECT_EQ(m.EntBlockTreeN, 1);  // the block tree is built all the same
    }
}

TEST(HostileInputTest, CyclicBlocksReadAndEnd) {
    ByteBuilder b;
    b.Count(2);
    b.NewClass("CDataBlock").Block(600, MakeAttr(), 0, 0, 1);
    b.ClassRef(1).Block(600, MakeAttr(), 0, 0, 2);
    b.Count(3);
    b.NewClass("CDataList").BlockDefHead(600, MakeAttr(), 1, 0, "self", 1);
    b.ClassRef(1).Block(600, MakeAttr(), 1, 0, 1);
    b.ClassRef(4).BlockDefHead(600, MakeAttr(), 2, 0, "B", 1);
    b.ClassRef(1).Block(600, MakeAttr(), 1, 0, 3);
    b.ClassRef(4).BlockDefHead(600, MakeAttr(), 3, 0, "C", 1);
    b.ClassRef(1).Block(600, MakeAttr(), 1, 0, 2);
    const std::vector<uint8_t> f = test::JwwFile(600, b);
    TJwwData m;
    ASSERT_TRUE(m.BufferIn(f.data(), f.size(), u"x")) << m.LastError;
    EXPECT_EQ(m.EntBlockDefN, 3);
    EXPECT_GE(m.EntBlockTreeN, 2);
    EXPECT_EQ(m.EntBlockNum, 3);
}

TEST(HostileInputTest, ReaderSurvivesRandomBytes) {
    // Random corruption of a real file: any outcome but a crash or a hang.
    ZS_NEED_SAMPLES();
    const std::vector<uint8_t> base = Sample("jww700-utf16-2blocks.jww");
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> f = base;
        for (int k = 0; k < 8; ++k) f[next() % f.size()] = static_cast<uint8_t>(next() >> 16);
        TJwwData m;
        m.BindImageExr = true;
        m.BufferIn(f.data(), f.size(), u"r");
        EXPECT_LE(m.ReadEnd, f.size());
    }
}

}  // namespace
}  // namespace jw
