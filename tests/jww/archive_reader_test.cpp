// Reading primitives: strings, counts, class tags, attribute widening.
#include <gtest/gtest.h>

#include "jw_test_bytes.h"
#include "jww/archive.h"

namespace jw {
namespace {

using test::ByteBuilder;

struct StrCase {
    const char* what;
    std::vector<uint8_t> bytes;
    std::u16string plain;     // StrIn
    std::u16string filtered;  // StrInFilter
    bool wide;
    size_t consumed;
};

std::vector<uint8_t> Long255() {
    std::vector<uint8_t> v{0xFF, 0xFF, 0x00};
    v.insert(v.end(), 255, 'x');
    return v;
}

const StrCase kStrCases[] = {
    {"empty", {0x00}, u"", u"", false, 1},
    {"ansi", {0x03, 'a', 'b', 'c'}, u"abc", u"abc", false, 4},
    {"long form", Long255(), std::u16string(255, u'x'), std::u16string(255, u'x'), false, 258},
    {"shift-jis", {0x04, 0x82, 0xA0, 0x8E, 0x9A}, u"\u3042\u5B57", u"\u3042\u5B57", false, 5},
    {"utf16", {0xFF, 0xFE, 0xFF, 0x03, 'a', 0, 'b', 0, 'c', 0}, u"abc", u"abc", true, 10},
    {"utf16 long form", {0xFF, 0xFE, 0xFF, 0xFF, 0x02, 0x00, 0x42, 0x30, 'z', 0}, u"\u3042z", u"\u3042z", true, 10},
    {"utf16 empty", {0xFF, 0xFE, 0xFF, 0x00}, u"", u"", true, 4},
    {"cut at NUL", {0x05, 'a', 'b', 0, 'c', 'd'}, u"ab", u"ab", false, 6},
    {"controls", {0x06, 'a', '\r', '\n', 'b', '\t', 'c'}, u"a\r\nb\tc", u"abc", false, 7},
    {"at end of file", {}, u"", u"", false, 0},
    {"length beyond end", {0x09, 'a', 'b'}, u"ab", u"ab", false, 3},
};

TEST(ArchiveReaderTest, Strings) {
    for (const StrCase& c : kStrCases) {
        SCOPED_TRACE(c.what);
        ArchiveReader a(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(a.StrIn(), c.plain);
        EXPECT_EQ(a.mojiEncode, c.wide);
        EXPECT_EQ(a.Pos(), c.consumed);
        ArchiveReader f(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(f.StrInFilter(), c.filtered);
    }
}

TEST(ArchiveReaderTest, Utf16MarkStaysAfterLaterAnsiString) {
    ByteBuilder b;
    b.WStr(u"x").Str("y");
    ArchiveReader a(b.bytes.data(), b.Size());
    a.StrIn();
    EXPECT_EQ(a.StrIn(), u"y");
    EXPECT_TRUE(a.mojiEncode);
}

TEST(ArchiveReaderTest, Counts) {
    const std::pair<std::vector<uint8_t>, int32_t> cases[] = {
        {{0x00, 0x00}, 0},
        {{0xFE, 0xFF}, 65534},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}, 65535},
        {{0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80}, INT32_MIN},
    };
    for (const auto& [bytes, want] : cases) {
        ArchiveReader a(bytes.data(), bytes.size());
        EXPECT_EQ(a.CountIn(), want);
        EXPECT_TRUE(a.AtEnd());
    }
    ArchiveReader empty(nullptr, 0);
    EXPECT_THROW(empty.CountIn(), JwIOError);
}

TEST(ArchiveReaderTest, ClassTagFormsAndObjectIndex) {
    ByteBuilder b;
    b.NewClass("CDataSen").ClassRef(1);       // class 1, objects 2 and 3
    b.NewClass("CDataEnko").ClassRefLong(4);  // class 4, objects 5 and 6
    b.ClassRefLong(1);
    ArchiveReader a(b.bytes.data(), b.Size());
    EXPECT_EQ(a.ClassTagIn(), "CDataSen");
    a.NextObject();
    EXPECT_EQ(a.ClassTagIn(), "CDataSen");
    a.NextObject();
    EXPECT_EQ(a.ObjectIndex(), 4u);
    EXPECT_EQ(a.ClassTagIn(), "CDataEnko");
    a.NextObject();
    EXPECT_EQ(a.ClassTagIn(), "CDataEnko");
    a.NextObject();
    EXPECT_EQ(a.ClassTagIn(), "CDataSen");
    EXPECT_TRUE(a.AtEnd());
}

TEST(ArchiveReaderTest, BadClassTagsThrow) {
    const std::vector<uint8_t> cases[] = {
        {},                                // end of file
        {0x01, 0x80},                      // reference to an index never registered
        {0xFF, 0x7F, 0x05, 0x00, 0x00, 0x80},  // long reference, unregistered
        {0x34, 0x12},                      // below 0x8000: names no class
    };
    for (const auto& bytes : cases) {
        ArchiveReader a(bytes.data(), bytes.size());
        EXPECT_THROW(a.ClassTagIn(), JwIOError);
    }
    // A reference to an object (not a class) index is unregistered too.
    ByteBuilder b;
    b.NewClass("CDataSen").ClassRef(2);
    ArchiveReader a(b.bytes.data(), b.Size());
    a.ClassTagIn();
    a.NextObject();
    EXPECT_THROW(a.ClassTagIn(), JwIOError);
}

TEST(ArchiveReaderTest, WidensThirteenByteAttribute) {
    const TEntJwwAttr att = test::MakeAttr(5, 7, 99, 11, 12, 0x1234, 0xA0B0C0D0);
    for (int ver : {300, 350, 351, 700}) {
        SCOPED_TRACE(ver);
        ByteBuilder b;
        b.Line(ver, att, 1.5, 2.5, 3.5, 4.5);
        EXPECT_EQ(b.Size(), ver >= 351 ? 47u : 45u);
        ArchiveReader a(b.bytes.data(), b.Size());
        a.version = ver;
        TEntJwwLine l;
        EXPECT_EQ(a.ReadFixed(&l, sizeof l), b.Size());
        EXPECT_TRUE(a.AtEnd());
        EXPECT_EQ(+l.att.lGroup, 0xA0B0C0D0u);
        EXPECT_EQ(+l.att.nPenStyle, 5);
        EXPECT_EQ(+l.att.nPenColor, 7);
        EXPECT_EQ(+l.att.nPenWidth, ver >= 351 ? 99 : 0);
        EXPECT_EQ(+l.att.nLayer, 11);
        EXPECT_EQ(+l.att.nGLayer, 12);
        EXPECT_EQ(+l.att.sFlg, 0x1234);
        EXPECT_EQ(+l.start_x, 1.5);
        EXPECT_EQ(+l.end_y, 4.5);
    }
}

TEST(ArchiveReaderTest, ShortFixedPartIsZeroFilled) {
    ByteBuilder b;
    b.Line(351, test::MakeAttr(), 1, 2, 3, 4);
    b.bytes.resize(20);
    ArchiveReader a(b.bytes.data(), b.Size());
    a.version = 351;
    TEntJwwLine l;
    l.end_y = 9;
    EXPECT_EQ(a.ReadFixed(&l, sizeof l), 20u);
    EXPECT_EQ(+l.end_y, 0);
    EXPECT_EQ(a.ReadFixed(&l, sizeof l), 0u);
}

}  // namespace
}  // namespace jw
