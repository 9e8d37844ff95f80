// Every real sample drawing reads completely and agrees with expected.jsonl.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "jww/archive.h"
#include "jww/drawing_summary.h"
#include "model/jw_data.h"
#include "support/paths.h"
#include "support/text_encoding.h"

namespace jw {
namespace {

struct Expected {
    std::string file;
    nlohmann::json fields;
};

std::vector<Expected> LoadExpected() {
    std::vector<Expected> out;
    std::ifstream in(std::string(ZS_SAMPLES_DIR) + "/expected.jsonl");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        nlohmann::json j = nlohmann::json::parse(line);
        out.push_back({j["file"].get<std::string>(), j});
    }
    return out;
}

class SampleTest : public ::testing::TestWithParam<Expected> {};

TEST_P(SampleTest, ReadsWholeFileAndAgreesWithExpected) {
    const Expected& e = GetParam();
    const std::string path = std::string(ZS_SAMPLES_DIR) + "/" + e.file;
    std::vector<uint8_t> bytes;
    std::string err;
    ASSERT_TRUE(ReadWholeFile(FromUtf8(path), bytes, err)) << err;
    EXPECT_EQ(static_cast<int64_t>(bytes.size()), e.fields["size"].get<int64_t>());

    DrawingSummary s;
    const bool jws = e.fields["format"] == "jws";
    if (jws) {
        TJwsData m;
        ASSERT_TRUE(m.FileIn(FromUtf8(path))) << m.LastError;
        EXPECT_TRUE(m.LastError.empty());
        EXPECT_EQ(m.ReadEnd, bytes.size());
        s = SummarizeDrawing(m);
    } else {
        TJwwData m;
        m.BindImageExr = true;  // list bound images without extracting them
        ASSERT_TRUE(m.FileIn(FromUtf8(path))) << m.LastError;
        EXPECT_TRUE(m.LastError.empty());
        EXPECT_EQ(m.ReadEnd, bytes.size());
        s = SummarizeDrawing(m);
    }
    nlohmann::json got = nlohmann::json::parse(SummaryToJsonText(s));
    nlohmann::json want = e.fields;
    for (const char* k : {"ok", "size", "file"}) want.erase(k);
    EXPECT_EQ(got, want) << nlohmann::json::diff(want, got).dump(1);
}

std::string SampleName(const ::testing::TestParamInfo<Expected>& info) {
    std::string n = info.param.file;
    for (char& c : n)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return n;
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleTest, ::testing::ValuesIn(LoadExpected()), SampleName);

}  // namespace
}  // namespace jw
