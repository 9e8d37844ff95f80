// Every real sample drawing reads completely and agrees with expected.jsonl.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "common/samples.h"
#include "jww/archive.h"
#include "model/jw_data.h"
#include "report/drawing_summary.h"
#include "support/paths.h"
#include "support/text_encoding.h"

namespace jw {
namespace {

struct Expected {
    std::string file;
    nlohmann::json fields;
};

// Readable test output: the file name instead of the case's bytes.
void PrintTo(const Expected& e, std::ostream* os) { *os << (e.file.empty() ? "(no samples)" : e.file); }

// The files named in expected.jsonl; without the samples folder one empty
// entry, whose test is skipped.
std::vector<Expected> LoadExpected() {
    if (!test::HaveSamples()) return {Expected{}};
    std::vector<Expected> out;
    std::ifstream in(test::SamplePath("expected.jsonl"));
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
    ZS_NEED_SAMPLES();
    const Expected& e = GetParam();
    const std::string path = test::SamplePath(e.file).string();
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
    nlohmann::json got = nlohmann::json::parse(SummaryToJson(s).dump());
    nlohmann::json want = e.fields;
    for (const char* k : {"ok", "size", "file"}) want.erase(k);
    EXPECT_EQ(got, want) << nlohmann::json::diff(want, got).dump(1);
}

TEST_P(SampleTest, CheckAndPreview) {
    ZS_NEED_SAMPLES();
    const Expected& e = GetParam();
    const JwString path = FromUtf8(test::SamplePath(e.file).string());
    const bool jws = e.fields["format"] == "jws";
    TJwwData w;
    TJwsData s;
    EXPECT_EQ(w.FileCheck(path), !jws);
    EXPECT_EQ(s.FileCheck(path), jws);
    // A preview of at most 10 entity tags reads the first entities only.
    auto stored = [](const TJwEntities& m) {
        int32_t n = m.EntLineN + m.EntEnkoN + m.EntTenN + m.EntMojiN + m.EntSunpoN + m.EntSolidN + m.EntBlockN;
        for (int32_t i = 0; i < m.EntBlockDefN; ++i) n += m.EntBlockDef[i].mLineN + m.EntBlockDef[i].mEnkoN;
        return n;
    };
    const int32_t n1 = e.fields["n1"].get<int32_t>();
    if (jws) {
        ASSERT_TRUE(s.FilePrevIn(path, 10)) << s.LastError;
        EXPECT_LE(stored(s), 10);
        EXPECT_EQ(s.Enthd.n1, n1);
        EXPECT_TRUE(s.FileHeaderIn(path));
    } else {
        ASSERT_TRUE(w.FilePrevIn(path, 10)) << w.LastError;
        EXPECT_LE(stored(w), 10);
        EXPECT_EQ(w.Enthd.n1, n1);
        EXPECT_TRUE(w.FileHeaderIn(path));
    }
}

TEST(SampleFilesTest, MissingFile) {
    TJwwData w;
    TJwsData s;
    const JwString missing = FromUtf8(test::SamplePath("no-such-file.jww").string());
    EXPECT_FALSE(w.FileIn(missing));
    EXPECT_EQ(w.LastError, kErrFileIO);
    EXPECT_FALSE(s.FileIn(missing));
    EXPECT_FALSE(w.FilePrevIn(missing, 5));
    EXPECT_FALSE(w.FileHeaderIn(missing));
    EXPECT_FALSE(w.FileIn(FromUtf8(std::filesystem::temp_directory_path().string())));  // a folder
}

std::string SampleName(const ::testing::TestParamInfo<Expected>& info) {
    std::string n = info.param.file.empty() ? "no_samples" : info.param.file;
    for (char& c : n)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return n;
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleTest, ::testing::ValuesIn(LoadExpected()), SampleName);

}  // namespace
}  // namespace jw
