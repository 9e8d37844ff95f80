// Where a read stopped: the reader's own message stays as it is, and the
// detail names the section, the record and its class, the byte offset and
// what went wrong.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "jw_test_bytes.h"
#include "jww/archive.h"
#include "model/jw_data.h"

namespace jw {
namespace {

using test::ByteBuilder;
using test::MakeAttr;

std::string Hex(size_t v) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%zX", v);
    return buf;
}

// Bytes of the header of a drawing of version ver (where its body starts).
size_t HeaderSize(int ver) { return test::JwwFile(ver, ByteBuilder()).size(); }

TEST(ReadDetailTest, BodyFailuresSayWhereAndWhat) {
    const size_t h6 = HeaderSize(600), h7 = HeaderSize(700);
    // Entity 1 of a list: its class record (14 bytes) and a line (47 bytes).
    const auto firstLine = [](ByteBuilder& b) { b.NewClass("CDataSen").Line(600, MakeAttr(), 0, 0, 1, 1); };
    struct Case {
        const char* what;
        int ver;
        std::function<void(ByteBuilder&)> body;
        std::string detail;
    };
    const Case cases[] = {
        {"no entity count", 600, [](ByteBuilder&) {}, "entity count at byte " + Hex(h6) + ": the file ends before the count"},
        {"cut inside entity 2", 600,
         [&](ByteBuilder& b) {
             b.Count(3);
             firstLine(b);
             b.ClassRef(1).Fill(20);
         },
         "entity 2 (CDataSen) at byte " + Hex(h6 + 2 + 61) + ": the file ends inside the record"},
        {"unknown class", 600,
         [&](ByteBuilder& b) {
             b.Count(2);
             firstLine(b);
             b.NewClass("CDataBogus").Fill(60);
         },
         "entity 2 at byte " + Hex(h6 + 2 + 61) + ": the class name \"CDataBogus\" is no entity's"},
        {"unregistered class index", 600,
         [&](ByteBuilder& b) {
             b.Count(2);
             firstLine(b);
             b.ClassRef(40).Fill(60);
         },
         "entity 2 at byte " + Hex(h6 + 2 + 61) + ": the class tag refers to index 40, which no class of the file took"},
        {"more definitions than the file holds", 600, [](ByteBuilder& b) { b.Count(0).Count(50000).Fill(20); },
         "block definition 1 at byte " + Hex(h6 + 4) +
             ": the file states 50000 block definitions, more than the rest of it holds"},
        {"cut inside a member", 600,
         [](ByteBuilder& b) {
             b.Count(0).Count(1).NewClass("CDataList").BlockDefHead(600, MakeAttr(), 1, 0, "D", 2);
             b.NewClass("CDataSen").Line(600, MakeAttr(), 0, 0, 1, 1).ClassRef(3).Fill(10);
         },
         // Definition head: class record 15 bytes, fixed part 27, name 2, member count 2.
         "block definition 1, member 2 (CDataSen) at byte " + Hex(h6 + 4 + 46 + 61) +
             ": the file ends inside the record"},
        {"image larger than the file", 700, [](ByteBuilder& b) { b.Count(0).Count(0).I32(1).Str("a.png").I32(1000).Fill(10); },
         "bound image 1 at byte " + Hex(h7 + 4 + 4) + ": the image's size 1000 is more than the rest of the file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ByteBuilder b;
        c.body(b);
        const std::vector<uint8_t> f = test::JwwFile(c.ver, b);
        TJwwData m;
        m.BindImageExr = true;
        EXPECT_FALSE(m.BufferIn(f.data(), f.size(), u"x.jww"));
        EXPECT_EQ(m.LastError, kErrFileIO);  // the reader's own message is kept
        EXPECT_EQ(m.LastErrorDetail, c.detail);
    }
}

TEST(ReadDetailTest, HeaderFailuresSayWhatWasFound) {
    ByteBuilder empty;
    std::vector<uint8_t> badSignature = test::JwwFile(600, empty);
    badSignature[0] = 'X';
    std::vector<uint8_t> badVersion = test::JwwFile(701, empty);
    std::vector<uint8_t> cut = test::JwwFile(600, empty);
    cut.resize(3000);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* error;
        std::string detail;
    };
    const Case cases[] = {
        {"signature", badSignature, kErrJwwHeader, "header at byte 0x0: the file does not begin with the signature \"JwwData.\""},
        {"version", badVersion, kErrJwwVersion, "header at byte 0x8: the version 701 is outside 220-700"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TJwwData m;
        EXPECT_FALSE(m.BufferIn(c.bytes.data(), c.bytes.size(), u"x.jww"));
        EXPECT_EQ(m.LastError, c.error);
        EXPECT_EQ(m.LastErrorDetail, c.detail);
    }
    // Cut short, the header names the read the file ended in.
    TJwwData m;
    EXPECT_FALSE(m.BufferIn(cut.data(), cut.size(), u"x.jww"));
    EXPECT_EQ(m.LastError, kErrFileIO);
    EXPECT_TRUE(m.LastErrorDetail.starts_with("header at byte 0xB")) << m.LastErrorDetail;
    EXPECT_TRUE(m.LastErrorDetail.ends_with(": the file ends inside the header")) << m.LastErrorDetail;
    const std::vector<uint8_t> figure = test::JwsFile(220, empty);
    TJwsData s;
    EXPECT_FALSE(s.BufferIn(figure.data(), figure.size(), u"x.jws"));
    EXPECT_EQ(s.LastError, kErrJwsVersion);
    EXPECT_EQ(s.LastErrorDetail, "header at byte 0xC8: the version 220 is outside 230-700");
}

TEST(ReadDetailTest, SuccessLeavesNoDetail) {
    ByteBuilder b;
    b.Count(0);
    const std::vector<uint8_t> bad = test::JwwFile(600, b);
    b.Count(0);
    const std::vector<uint8_t> good = test::JwwFile(600, b);
    TJwwData m;
    EXPECT_FALSE(m.BufferIn(bad.data(), bad.size(), u"x.jww"));
    EXPECT_FALSE(m.LastErrorDetail.empty());
    EXPECT_TRUE(m.BufferIn(good.data(), good.size(), u"x.jww"));
    EXPECT_EQ(m.LastErrorDetail, "");
}

}  // namespace
}  // namespace jw
