// The summary of a read model: fields, text digest order, JSON form.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "jww/jw_test_bytes.h"
#include "model/jw_data.h"
#include "report/drawing_summary.h"
#include "support/sha1.h"

namespace jw {
namespace {

using test::ByteBuilder;
using test::MakeAttr;

TEST(DrawingSummaryTest, FieldsAndTextOrder) {
    // Drawing: text "a", a dimension whose text is "b", a line, a text in
    // UTF-16 form; one definition holding a text "d". Then one bound image.
    ByteBuilder b;
    b.Count(4);
    b.NewClass("CDataMoji").Text(700, MakeAttr(), "a");
    b.NewClass("CDataSunpou").Attr(700, MakeAttr()).Line(700, MakeAttr(), 0, 0, 1, 0);
    b.MojiFixed(700, MakeAttr(), 0, 0, 2, 2, 0).Str("").Str("b");
    b.U16(0).Line(700, MakeAttr(), 0, 0, 0, 0).Line(700, MakeAttr(), 0, 0, 0, 0);
    for (int i = 0; i < 4; ++i) b.Point(700, MakeAttr(), 0, 0);
    b.NewClass("CDataSen").Line(700, MakeAttr(), 0, 0, 1, 1);
    b.ClassRef(1).MojiFixed(700, MakeAttr(), 0, 0, 2, 2, 0).Str("").WStr(u"\u3042");
    b.Count(1).NewClass("CDataList").BlockDefHead(700, MakeAttr(), 42, 0, "blk", 1);
    b.ClassRef(1).Text(700, MakeAttr(), "d");
    b.I32(1).Str("img.png").I32(3).Raw({1, 2, 3});
    const std::vector<uint8_t> f = test::JwwFile(700, b);
    TJwwData m;
    m.BindImageExr = true;
    ASSERT_TRUE(m.BufferIn(f.data(), f.size(), u"s.jww")) << m.LastError;

    const DrawingSummary s = SummarizeDrawing(m);
    const std::string joined = std::string("a\x1e") + "b\x1e" + "\xe3\x81\x82\x1e" + "d";
    const nlohmann::json want = {
        {"format", "jww"},
        {"version", 700},
        {"encoding", "utf16"},
        {"memo", ""},
        {"n1", 4},
        {"counts", {{"line", 1}, {"arc", 0}, {"point", 0}, {"text", 2}, {"dimension", 1}, {"solid", 0}, {"block", 0}}},
        {"block_definitions",
         {{{"name", "blk"},
           {"number", 42},
           {"members", 1},
           {"counts",
            {{"line", 0}, {"arc", 0}, {"point", 0}, {"text", 1}, {"dimension", 0}, {"solid", 0}, {"block", 0}}}}}},
        {"bound_images", {{{"name", "img.png"}, {"size", 3}}}},
        {"text_sha1", Sha1Hex(joined.data(), joined.size())},
    };
    const std::string text = SummaryToJson(s).dump();
    EXPECT_EQ(nlohmann::json::parse(text), want);
    // Keys keep the order of the samples' expected.jsonl.
    EXPECT_EQ(text.find("{\"format\":\"jww\",\"version\":700,\"encoding\":\"utf16\""), 0u);
}

TEST(DrawingSummaryTest, TextDigestJoinsTextsInOrder) {
    TextDigest none;
    EXPECT_EQ(none.Hex(), "da39a3ee5e6b4b0d3255bfef95601890afd80709");  // SHA-1 of nothing
    EXPECT_EQ(Sha1Hex("abc", 3), "a9993e364706816aba3e25717850c26c9cd0d89d");
    TextDigest d;
    d.Add(u"a");
    d.Add(u"");
    d.Add(u"\u3042");
    const std::string joined = "a\x1e\x1e\xe3\x81\x82";
    EXPECT_EQ(d.Hex(), Sha1Hex(joined.data(), joined.size()));
}

TEST(DrawingSummaryTest, EmptyFigure) {
    ByteBuilder b;
    b.Count(0).Count(0);
    const std::vector<uint8_t> f = test::JwsFile(351, b);
    TJwsData m;
    ASSERT_TRUE(m.BufferIn(f.data(), f.size(), u"e.jws"));
    const DrawingSummary s = SummarizeDrawing(m);
    EXPECT_EQ(s.format, "jws");
    EXPECT_EQ(s.encoding, "sjis");
    EXPECT_EQ(s.text_sha1, "da39a3ee5e6b4b0d3255bfef95601890afd80709");  // SHA-1 of nothing
}

}  // namespace
}  // namespace jw
