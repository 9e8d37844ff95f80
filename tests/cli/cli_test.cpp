// zumenscope-cli run in-process on the real sample drawings.
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <functional>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli.h"
#include "common/samples.h"
#include "common/test_files.h"
#include "job_runner.h"
#include "legacy/jwk_data.h"
#include "model/jw_data.h"
#include "report/header_report.h"
#include "report/layout_summary.h"
#include "support/paths.h"
#include "support/text_encoding.h"

// After the project's headers: Qt's keyword macros (slots) would clash with
// their names.
#include <QImage>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

struct CliResult {
    int status = -1;
    std::string out, err;
};

CliResult RunCli(const std::vector<std::string>& args, bool terminal = false) {
    std::ostringstream out, err;
    jw::cli::Console io{out, err};
    io.progress = terminal;
    CliResult r;
    r.status = jw::cli::Run(args, io);
    r.out = out.str();
    r.err = err.str();
    return r;
}

std::string Sample(const char* name) { return jw::test::SamplePath(name).string(); }

std::vector<std::string> SampleFiles() {
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(jw::test::SamplesDir())) {
        const std::string ext = e.path().extension().string();
        if (ext != ".md" && ext != ".jsonl") files.push_back(e.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<json> JsonLines(const std::string& text) {
    std::vector<json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(json::parse(line));
    return lines;
}

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

// A fresh folder for one test, removed afterwards.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(dir_.empty()); }
    std::string Path(const char* name) const { return (dir_ / name).string(); }
    jw::test::TempDir tmp_{"zs-cli-test"};
    const fs::path& dir_ = tmp_.path();
};

// The text report of each file is its header report in UTF-8 (a memo's CR LF
// printed as LF) followed by its layout lines, and the reports are separated
// by one blank line.
TEST(CliInfo, TextReportIsTheHeaderReport) {
    ZS_NEED_SAMPLES();
    const std::string jww = Sample("jww600-points-texts.jww");  // memo with CR LF
    const std::string jws = Sample("jws351-blocks.jws");
    jw::TJwwData w;
    w.BindImageExr = true;
    ASSERT_TRUE(w.FileIn(jw::FromUtf8(jww)));
    jw::TJwsData s;
    ASSERT_TRUE(s.FileIn(jw::FromUtf8(jws)));

    std::string expected;
    auto add = [&](const std::vector<jw::JwString>& lines) {
        for (const auto& line : lines) {
            std::string text = jw::ToUtf8(line);
            for (size_t p; (p = text.find("\r\n")) != std::string::npos;) text.replace(p, 2, "\n");
            expected += text + "\n";
        }
    };
    add(jw::JwwHeaderReport(w, jw::FromUtf8(jww)));
    add(jw::LayoutReportLines(jw::SummarizeLayout(w)));
    expected += "\n";
    add(jw::JwsHeaderReport(s, jw::FromUtf8(jws)));
    add(jw::LayoutReportLines(jw::SummarizeLayout(s)));

    const CliResult r = RunCli({"info", jww, jws});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, expected);
    EXPECT_NE(r.out.find("ファイルメモ 　：日影図ＴＥＳＴ用データ\n（ドーム屋根"), std::string::npos);
}

// Every field that expected.jsonl states agrees; "file" is the path as given,
// whose name is the one listed there.
TEST(CliInfo, JsonAgreesWithExpected) {
    ZS_NEED_SAMPLES();
    std::map<std::string, json> expected;
    std::ifstream in(jw::test::SamplePath("expected.jsonl"));
    for (std::string line; std::getline(in, line);) {
        json j = json::parse(line);
        expected[j["file"].get<std::string>()] = j;
    }
    const std::vector<std::string> files = SampleFiles();
    ASSERT_EQ(files.size(), expected.size());

    std::vector<std::string> args{"info", "--json"};
    args.insert(args.end(), files.begin(), files.end());
    const CliResult all = RunCli(args);
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.err, "");
    const std::vector<json> lines = JsonLines(all.out);
    ASSERT_EQ(lines.size(), files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        const json& got = lines[i];
        EXPECT_EQ(got["file"], files[i]);
        EXPECT_TRUE(got["error"].is_null());
        const std::string name = fs::path(files[i]).filename().string();
        ASSERT_TRUE(expected.count(name)) << name;
        for (const auto& [key, value] : expected[name].items()) {
            if (key == "file") continue;
            ASSERT_TRUE(got.contains(key)) << name << ": " << key;
            EXPECT_EQ(got[key], value) << name << ": " << key;
        }
    }
}

// Exit statuses and messages: a file that is no drawing gets no report; a
// failed read still reports what was read.
TEST_F(CliTest, FailedReadsAndUnsupportedFiles) {
    ZS_NEED_SAMPLES();
    WriteAll(Path("x.jww"), "this is a text file, not a drawing\r\n");
    WriteAll(Path("notes.txt"), "text");
    const std::string good = Sample("jww700-utf16-2blocks.jww");
    std::string cut = ReadAll(good);
    cut.resize(cut.size() / 2);
    WriteAll(Path("cut.jww"), cut);

    CliResult r = RunCli({"info", Path("x.jww"), Path("cut.jww"), good});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.find(Path("x.jww")), std::string::npos);
    EXPECT_EQ(r.out.rfind("ファイル名：" + Path("cut.jww") + "\n", 0), 0u);
    EXPECT_NE(r.out.find("\n\nファイル名：" + good + "\n"), std::string::npos);
    EXPECT_NE(r.err.find("zumenscope-cli: " + Path("x.jww") + ": not a JWW drawing\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("zumenscope-cli: " + Path("cut.jww") + ": read failed: "), std::string::npos) << r.err;

    r = RunCli({"info", "--json", Path("x.jww"), Path("notes.txt"), Path("missing.jws"), good});
    EXPECT_EQ(r.status, 1);
    const std::vector<json> lines = JsonLines(r.out);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0]["ok"], false);
    EXPECT_TRUE(lines[0]["format"].is_null());
    EXPECT_EQ(lines[0]["error"], "not a JWW drawing");
    EXPECT_EQ(lines[1]["error"], "unsupported file type");
    EXPECT_TRUE(lines[1]["format"].is_null());
    EXPECT_EQ(lines[2]["error"], "no such file");
    EXPECT_EQ(lines[3]["ok"], true);
    EXPECT_NE(r.err.find(Path("notes.txt") + ": unsupported file type"), std::string::npos);
    EXPECT_NE(r.err.find(Path("missing.jws") + ": no such file"), std::string::npos);
}

TEST(CliUsage, HelpAndUsageErrors) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"info", "--help"}, {"convert", "--help"}}) {
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.status, 0) << args[0];
        EXPECT_NE(r.out.find("Usage: zumenscope-cli"), std::string::npos);
    }
    EXPECT_NE(RunCli({"--help"}).out.find("convert"), std::string::npos);
    const std::string dxfHelp = RunCli({"dxf", "--help"}).out;
    for (const char* option : {"--space", "2 a layout per drawing frame", "--join-lines", "--dimensions"})
        EXPECT_NE(dxfHelp.find(option), std::string::npos) << option;

    const std::string in = Sample("jws351-blocks.jws");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {},
             {"frob", in},
             {"--frob"},
             {"info"},
             {"info", "--bogus", in},
             {"convert", in},
             {"convert", in, "/nonexistent/out.jws", "--version", "2.21"},
             {"convert", in, "/nonexistent/out.jws", "--version", "700"},
             {"convert", in, "/nonexistent/out.jws", "--encoding", "latin1"},
             {"convert", in, "/nonexistent/out.jws", "extra"},
         }) {
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "" : args[0]) << " " << r.err;
        EXPECT_EQ(r.err.rfind("zumenscope-cli: ", 0), 0u) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

struct ConvertCase {
    const char* sample;
    const char* out;       // file name in the test folder
    const char* version;   // --version, or nullptr
    const char* encoding;  // --encoding, or nullptr
    int readVersion;       // version read back
    const char* readEncoding;
    // --purge-unused-blocks, for an input that holds block definitions no
    // insert uses: the writer leaves those out, and their texts with them.
    bool purge;
};

// Readable test output: the sample and the output instead of the bytes.
void PrintTo(const ConvertCase& c, std::ostream* os) { *os << c.sample << " -> " << c.out; }

class CliConvert : public CliTest, public ::testing::WithParamInterface<ConvertCase> {};

// The output reads back with the chosen version and encoding and holds the
// same entities, block definitions and texts (fewer definitions when unused
// ones were purged).
TEST_P(CliConvert, ReadsBackWithVersionEncodingAndCounts) {
    ZS_NEED_SAMPLES();
    const ConvertCase& c = GetParam();
    std::vector<std::string> args{"convert", Sample(c.sample), Path(c.out)};
    if (c.version) args.insert(args.end(), {"--version", c.version});
    if (c.encoding) args.insert(args.end(), {"--encoding", c.encoding});
    if (c.purge) args.emplace_back("--purge-unused-blocks");
    const CliResult r = RunCli(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.find("block definition(s) no insert uses") != std::string::npos, c.purge) << r.err;

    const std::vector<json> lines = JsonLines(RunCli({"info", "--json", Sample(c.sample), Path(c.out)}).out);
    ASSERT_EQ(lines.size(), 2u);
    const json& before = lines[0];
    const json& after = lines[1];
    EXPECT_EQ(after["ok"], true) << after["error"];
    EXPECT_EQ(after["version"], c.readVersion);
    EXPECT_EQ(after["encoding"], c.readEncoding);
    for (const char* key : {"format", "memo", "n1", "counts"}) EXPECT_EQ(after[key], before[key]) << key;
    if (c.purge) {
        EXPECT_LT(after["block_definitions"].size(), before["block_definitions"].size());
    } else {
        EXPECT_EQ(after["block_definitions"], before["block_definitions"]);
        EXPECT_EQ(after["text_sha1"], before["text_sha1"]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Samples, CliConvert,
    ::testing::Values(ConvertCase{"jww700-sjis-blocks.jww", "a.jww", "6.00", "utf16", 600, "utf16", false},
                      ConvertCase{"jww700-utf16-2blocks.jww", "b.JWW", "3.51", "sjis", 351, "sjis", false},
                      ConvertCase{"jww600-points-texts.jww", "c.jww", "2.20", "utf16", 220, "utf16", false},
                      ConvertCase{"jww700-utf16-2blocks.jww", "d.jww", nullptr, nullptr, 700, "utf16", false},
                      ConvertCase{"jws700-blocks.jws", "e.jws", "4.20", "utf16", 420, "utf16", false},
                      ConvertCase{"jws351-blocks.jws", "f.jws", "2.20", nullptr, 230, "sjis", true},
                      // A figure without any string cannot show its encoding.
                      ConvertCase{"jws600-uppercase-ext.JWS", "g.jws", "3.00", nullptr, 351, "sjis", false}),
    [](const ::testing::TestParamInfo<ConvertCase>& info) {
        // The output file's letter and the version read back, e.g. "a_600".
        return std::string(1, info.param.out[0]) + "_" + std::to_string(info.param.readVersion);
    });

// Nothing is written, and an existing output stays as it was, when the output
// has the other kind's extension or the input cannot be read.
TEST_F(CliTest, ConvertRefusesWithoutWriting) {
    ZS_NEED_SAMPLES();
    CliResult r = RunCli({"convert", Sample("jww600-points-texts.jww"), Path("out.jws")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("output must have the extension .jww"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(Path("out.jws")));

    r = RunCli({"convert", Sample("jws351-blocks.jws"), Path("out.jww")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("output must have the extension .jws"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(Path("out.jww")));

    WriteAll(Path("x.jww"), "not a drawing");
    WriteAll(Path("out.jww"), "keep me");
    r = RunCli({"convert", Path("x.jww"), Path("out.jww"), "--version", "7.00"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(Path("x.jww") + ": not a JWW drawing"), std::string::npos) << r.err;
    EXPECT_EQ(ReadAll(Path("out.jww")), "keep me");

    WriteAll(Path("notes.txt"), "text");
    r = RunCli({"convert", Path("notes.txt"), Path("out.jww")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("unsupported file type"), std::string::npos);

    // A writing failure: the output's folder does not exist.
    r = RunCli({"convert", Sample("jws351-blocks.jws"), Path("no/such/folder/out.jws")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("write failed"), std::string::npos) << r.err;
}

// A 7.00 drawing's bound image survives a conversion byte for byte, and the
// folder it was extracted into is removed.
TEST_F(CliTest, ConvertKeepsBoundImages) {
    ZS_NEED_SAMPLES();
    const fs::path images = dir_ / "images";
    fs::create_directory(images);
    std::string picture(5000, '\0');
    for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<char>(i * 7 + 3);
    WriteAll(images / "pic.png", picture);

    // A drawing whose first text refers to the bound image pic.png.
    jw::TJwwData m;
    ASSERT_TRUE(m.FileIn(jw::FromUtf8(Sample("jww700-sjis-blocks.jww"))));
    ASSERT_GT(m.EntMojiN, 0);
    m.EntMoji[0].str = u"^@BM%temp%pic.png,100,80,0,0,1,0";
    m.BindImageFolder = jw::AddPathDelim(jw::FromNativePath(images));
    m.BindImage = {jw::TBindImageType{u"pic.png", static_cast<int32_t>(picture.size())}};
    m.BindImageN = 1;
    m.BindImageExp = true;
    ASSERT_TRUE(m.FileOut(jw::FromUtf8(Path("bound.jww")), 700)) << m.LastError;

    // The tool's temporary folders go into a folder of the test.
    const fs::path tmp = dir_ / "tmp";
    fs::create_directory(tmp);
    const char* oldTmp = ::getenv("TMPDIR");
    const std::string savedTmp = oldTmp ? oldTmp : "";
    ::setenv("TMPDIR", tmp.c_str(), 1);
    const CliResult r = RunCli({"convert", Path("bound.jww"), Path("out.jww"), "--encoding", "utf16"});
    if (oldTmp)
        ::setenv("TMPDIR", savedTmp.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_empty(tmp));

    const std::vector<json> lines = JsonLines(RunCli({"info", "--json", Path("out.jww")}).out);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["encoding"], "utf16");
    EXPECT_EQ(lines[0]["bound_images"], json::parse(R"([{"name":"pic.png","size":5000}])"));
    // info lists the image without extracting it anywhere.
    EXPECT_TRUE(fs::is_empty(tmp));

    const fs::path back = dir_ / "back";
    fs::create_directory(back);
    jw::TJwwData read;
    read.BindImageExp = true;
    read.BindImageFolder = jw::AddPathDelim(jw::FromNativePath(back));
    ASSERT_TRUE(read.FileIn(jw::FromUtf8(Path("out.jww"))));
    EXPECT_EQ(ReadAll(back / "pic.png"), picture);
}

// A legacy JWK figure is shown by info and written again by convert.
TEST_F(CliTest, LegacyJwkFigure) {
    jw::TJwkData fig;
    fig.DataInit();
    fig.Enthd.jwID = u"jw_cad(c)sym........";
    fig.Enthd.comment1 = u"扉";
    fig.EntLine.push_back(jw::TEntJwcLine{0, 0, 10, 5, 1, 2, 0, 0, 0, 0});
    fig.lineN = 1;
    jw::TEntJwcMoji2 text;
    text.x2 = 4;
    text.y2 = 1;
    text.no = 1;
    text.s = u"幅900";
    fig.EntMoji.push_back(text);
    fig.mojiN = 1;
    ASSERT_TRUE(fig.FileOut(jw::FromUtf8(Path("fig.jwk")))) << fig.LastError;

    CliResult r = RunCli({"info", Path("fig.jwk")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("ファイル名：" + Path("fig.jwk") + "\n" + std::string(40, '-') + "\nファイル形式　　：JWK", 0),
              0u)
        << r.out;
    EXPECT_NE(r.out.find("コメント１　　　：扉\n"), std::string::npos);

    r = RunCli({"convert", Path("fig.jwk"), Path("copy.JWK")});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<json> lines = JsonLines(RunCli({"info", "--json", Path("fig.jwk"), Path("copy.JWK")}).out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]["format"], "jwk");
    EXPECT_EQ(lines[0]["comments"], json::parse(R"(["扉", ""])"));
    EXPECT_EQ(lines[0]["counts"], json::parse(R"({"line":1,"arc":0,"point":0,"text":1})"));
    EXPECT_EQ(lines[0]["text_sha1"], "03da731f469c4589cd18509e85ec6f1897bdb7e8");  // SHA-1 of "幅900"
    for (const char* key : {"ok", "format", "id", "comments", "counts", "stated_counts", "text_sha1"})
        EXPECT_EQ(lines[1][key], lines[0][key]) << key;

    EXPECT_EQ(RunCli({"convert", Path("fig.jwk"), Path("v.jwk"), "--version", "6.00"}).status, 2);
    EXPECT_EQ(RunCli({"convert", Path("fig.jwk"), Path("v.jww")}).status, 1);
    EXPECT_FALSE(fs::exists(Path("v.jwk")));
    EXPECT_FALSE(fs::exists(Path("v.jww")));
    WriteAll(Path("old.jwc"), "not a drawing");
    r = RunCli({"info", Path("old.jwc")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(Path("old.jwc") + ": not a JWC drawing"), std::string::npos) << r.err;
    EXPECT_EQ(RunCli({"convert", Path("old.jwc"), Path("new.jwc")}).status, 1);
}

// On a terminal, batch work shows "[i/n] name" on stderr, rewritten in place
// and cleared at the end; a single file or a non-terminal shows nothing.
TEST(CliProgress, ShownOnlyOnATerminalForSeveralFiles) {
    ZS_NEED_SAMPLES();
    const std::string a = Sample("jws351-blocks.jws");
    const std::string b = Sample("jws600-uppercase-ext.JWS");
    CliResult r = RunCli({"info", "--json", a, b}, true);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("\r[1/2] jws351-blocks.jws\x1b[K"), std::string::npos);
    EXPECT_NE(r.err.find("\r[2/2] jws600-uppercase-ext.JWS\x1b[K"), std::string::npos);
    EXPECT_EQ(r.err.substr(r.err.size() - 4), "\r\x1b[K");
    EXPECT_EQ(RunCli({"info", "--json", a}, true).err, "");
    EXPECT_EQ(RunCli({"info", "--json", a, b}, false).err, "");
}

TEST(CliUsage, Version) {
    const CliResult r = RunCli({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(std::regex_match(r.out, std::regex("zumenscope-cli [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << r.out;
    EXPECT_NE(RunCli({"--help"}).out.find("--version"), std::string::npos);
}

// A folder of temporary copies of the samples: top/ holds the drawings and
// figures (and a text file), top/sub/ one more drawing, empty/ nothing.
class CliBatch : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        ZS_NEED_SAMPLES();
        fs::create_directories(dir_ / "top" / "sub");
        fs::create_directories(dir_ / "empty");
        for (const char* name : {"jww600-points-texts.jww", "jww700-utf16-2blocks.jww", "jws351-blocks.jws"})
            fs::copy_file(Sample(name), dir_ / "top" / name);
        fs::copy_file(Sample("jws600-uppercase-ext.JWS"), dir_ / "top" / "sub" / "part.JWS");
        WriteAll(dir_ / "top" / "notes.txt", "text");
    }
    // text with "@" replaced by the test folder.
    std::string At(std::string text) const {
        if (const size_t at = text.find('@'); at != std::string::npos) text.replace(at, 1, dir_.string());
        return text;
    }
    CliResult Run(const std::vector<std::string>& args) const {
        std::vector<std::string> full;
        for (const std::string& a : args) full.push_back(At(a));
        return RunCli(full);
    }
};

struct ArgsCase {
    const char* name;
    std::vector<std::string> args;  // "@" is the test folder
    int status;
    std::vector<std::string> written;  // files that exist afterwards (relative to the folder)
    std::vector<std::string> absent;   // files that do not
    std::string err;                   // a part of stderr ("" = stderr empty)
};

// Readable test output: the case's name instead of its bytes.
void PrintTo(const ArgsCase& c, std::ostream* os) { *os << c.name; }

class CliArgs : public CliBatch, public ::testing::WithParamInterface<ArgsCase> {};

TEST_P(CliArgs, StatusOutputsAndMessages) {
    const ArgsCase& c = GetParam();
    const CliResult r = Run(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    for (const std::string& f : c.written) EXPECT_TRUE(fs::exists(dir_ / f)) << f;
    for (const std::string& f : c.absent) EXPECT_FALSE(fs::exists(dir_ / f)) << f;
    if (c.err.empty())
        EXPECT_EQ(r.err, "");
    else
        EXPECT_NE(r.err.find(At(c.err)), std::string::npos) << r.err;
}

const ArgsCase kArgsCases[] = {
    // dxf: beside the input by default; folders; letter case of the options.
    {"DxfBesideInput", {"dxf", "@/top/jww600-points-texts.jww"}, 0, {"top/jww600-points-texts.dxf"}, {}, ""},
    {"DxfFolder", {"dxf", "@/top"}, 0,
     {"top/jww600-points-texts.dxf", "top/jww700-utf16-2blocks.dxf", "top/jws351-blocks.dxf"},
     {"top/sub/part.dxf", "top/notes.dxf"}, ""},
    {"DxfFolderRecursive", {"dxf", "@/top", "--recursive"}, 0, {"top/jws351-blocks.dxf", "top/sub/part.dxf"}, {}, ""},
    {"DxfFolderOutdirKeepsSubfolders", {"dxf", "@/top", "-r", "--outdir", "@/out"}, 0,
     {"out/jww600-points-texts.dxf", "out/sub/part.dxf"}, {"top/jws351-blocks.dxf"}, ""},
    {"DxfEmptyFolder", {"dxf", "@/empty"}, 1, {}, {}, "no drawings (.jww, .jws) in the folder"},
    {"DxfReleaseAnyCase", {"dxf", "@/top/jws351-blocks.jws", "--release", "R12"}, 0, {"top/jws351-blocks.dxf"}, {}, ""},
    {"DxfUnknownRelease", {"dxf", "@/top/jws351-blocks.jws", "--release", "r13"}, 2, {}, {"top/jws351-blocks.dxf"},
     "--release: r13 is not a DXF release: give r12 (AC1009), 2000 (R2000, AC1015) or 2007 (R2007, AC1021)\n"},
    {"DxfReleaseOfAnotherVersion", {"dxf", "@/top/jws351-blocks.jws", "--release", "AC1018"}, 2, {},
     {"top/jws351-blocks.dxf"}, "--release: AC1018 is not a DXF release"},
    // Number options name their range in a few words.
    {"JobsBelowRange", {"info", "-j", "-1", "@/top/jws351-blocks.jws"}, 2, {}, {},
     "--jobs: -1 is out of range: give 0 (every core) to 1024\n"},
    {"JobsAboveRange", {"dxf", "@/top/jws351-blocks.jws", "--jobs", "1025"}, 2, {}, {"top/jws351-blocks.dxf"},
     "--jobs: 1025 is out of range: give 0 (every core) to 1024\n"},
    {"DpiOutOfRange", {"render", "@/top/jws351-blocks.jws", "-o", "@/a.png", "--dpi", "0"}, 2, {}, {"a.png"},
     "--dpi: 0 is out of range: give 1 to 2400\n"},
    {"WidthNotANumber", {"render", "@/top/jws351-blocks.jws", "-o", "@/a.png", "--width", "wide"}, 2, {}, {"a.png"},
     "--width: wide is not a number: give 1 to 30000\n"},
    {"ScaleGroupOutOfRange", {"dxf", "@/top/jws351-blocks.jws", "--scale-group", "16"}, 2, {}, {},
     "--scale-group: 16 is out of range: give 0 to 15\n"},
    {"PointRadiusZero", {"dxf", "@/top/jws351-blocks.jws", "--points", "1", "--point-radius", "0"}, 2, {}, {},
     "--point-radius: 0 is out of range: give more than 0, up to 1000\n"},
    {"DxfPaperName", {"dxf", "@/top/jws351-blocks.jws", "--paper", "a3"}, 0, {"top/jws351-blocks.dxf"}, {}, ""},
    {"DxfPaperNameUpper", {"dxf", "@/top/jws351-blocks.jws", "--paper", "A0"}, 0, {"top/jws351-blocks.dxf"}, {}, ""},
    {"DxfPaperCode", {"dxf", "@/top/jws351-blocks.jws", "--paper", "14"}, 0, {"top/jws351-blocks.dxf"}, {}, ""},
    {"DxfPaperSizeUpperX", {"dxf", "@/top/jws351-blocks.jws", "--paper", "420X297"}, 0, {"top/jws351-blocks.dxf"}, {},
     ""},
    {"DxfPaperUnknownName", {"dxf", "@/top/jws351-blocks.jws", "--paper", "A5"}, 2, {}, {"top/jws351-blocks.dxf"},
     "--paper"},
    {"DxfPaperUnknownCode", {"dxf", "@/top/jws351-blocks.jws", "--paper", "5"}, 2, {}, {"top/jws351-blocks.dxf"},
     "--paper"},
    {"DxfOutputMustBeDxf", {"dxf", "@/top/jws351-blocks.jws", "-o", "@/x.txt"}, 2, {}, {"x.txt"},
     "-o must name a .dxf file"},
    {"DxfOutputUpperCase", {"dxf", "@/top/jws351-blocks.jws", "-o", "@/x.DXF"}, 0, {"x.DXF"}, {}, ""},
    {"DxfOutputOneInputOnly", {"dxf", "@/top", "-o", "@/x.dxf"}, 2, {}, {"x.dxf"}, "-o takes one input"},
    {"DxfWriteFailureReason", {"dxf", "@/top/jws351-blocks.jws", "-o", "@/missing/x.dxf"}, 1, {}, {},
     "write failed: cannot create " + std::string("@") + "/missing/x.dxf"},
    {"DxfLayoutsJoinedAndDimensions",
     {"dxf", "@/top/jww600-points-texts.jww", "-o", "@/x.dxf", "--space", "2", "--join-lines", "--dimensions"}, 0,
     {"x.dxf"}, {}, ""},
    {"DxfSpaceOutOfRange", {"dxf", "@/top/jww600-points-texts.jww", "-o", "@/x.dxf", "--space", "3"}, 2, {}, {"x.dxf"},
     "--space"},
    // convert: a DXF is the other command's; several inputs with --outdir.
    {"ConvertDxfOutput", {"convert", "@/top/jww600-points-texts.jww", "@/x.dxf"}, 1, {}, {"x.dxf"},
     "a DXF is written by the dxf command"},
    {"ConvertOneArgument", {"convert", "@/top/jww600-points-texts.jww"}, 2, {}, {}, "give IN OUT"},
    {"ConvertThreeArguments", {"convert", "@/top/jww600-points-texts.jww", "@/a.jww", "@/b.jww"}, 2, {},
     {"a.jww", "b.jww"}, "give IN OUT"},
    {"ConvertOutdir", {"convert", "@/top/jww600-points-texts.jww", "@/top/jws351-blocks.jws", "--outdir", "@/out"}, 0,
     {"out/jww600-points-texts.jww", "out/jws351-blocks.jws"}, {}, ""},
    {"ConvertPurgeUnusedBlocks",
     {"convert", "@/top/jws351-blocks.jws", "--outdir", "@/out", "--purge-unused-blocks"}, 0,
     {"out/jws351-blocks.jws"}, {}, "warning: 21 block definition(s) no insert uses: left out"},
    {"ConvertOutdirIsInputFolder", {"convert", "@/top/jww600-points-texts.jww", "--outdir", "@/top"}, 1, {}, {},
     "the output would replace the input"},
    // render: -o or --outdir, the format from the extension or --format.
    {"RenderPng", {"render", "@/top/jww600-points-texts.jww", "-o", "@/a.png"}, 0, {"a.png"}, {}, ""},
    {"RenderOutdirFormats", {"render", "@/top/jww600-points-texts.jww", "@/top/jws351-blocks.jws", "--outdir",
                             "@/out", "--format", "SVG"}, 0,
     {"out/jww600-points-texts.svg", "out/jws351-blocks.svg"}, {"out/jww600-points-texts.png"}, ""},
    {"RenderPdfByExtension", {"render", "@/top/jww700-utf16-2blocks.jww", "-o", "@/a.PDF", "--background", "black"},
     0, {"a.PDF"}, {}, ""},
    {"RenderBesideInput", {"render", "@/top/jww600-points-texts.jww"}, 0, {"top/jww600-points-texts.png"}, {}, ""},
    {"RenderNotBothOutputs", {"render", "@/top/jww600-points-texts.jww", "-o", "@/a.png", "--outdir", "@/out"}, 2,
     {}, {"a.png", "out"}, "give either -o OUT"},
    {"RenderOutputOneInputOnly", {"render", "@/top/jww600-points-texts.jww", "@/top/jws351-blocks.jws", "-o",
                                  "@/a.png"}, 2, {}, {"a.png"}, "-o takes one input"},
    {"RenderUnknownExtension", {"render", "@/top/jww600-points-texts.jww", "-o", "@/a.bmp"}, 2, {}, {"a.bmp"},
     "-o must name a .png, .svg or .pdf file"},
    {"RenderExtensionAgainstFormat", {"render", "@/top/jww600-points-texts.jww", "-o", "@/a.png", "--format", "pdf"},
     2, {}, {"a.png"}, "the extension does not match --format pdf"},
    {"RenderDpiOrWidth", {"render", "@/top/jww600-points-texts.jww", "-o", "@/a.png", "--dpi", "96", "--width", "800"},
     2, {}, {"a.png"}, "give either --dpi or --width"},
    {"RenderOutputIsAFolder", {"render", "@/top/jww600-points-texts.jww", "-o", "@/empty/../empty"}, 2, {}, {},
     "-o must name"},
    {"RenderUnsupportedInput", {"render", "@/top/notes.txt", "--outdir", "@/out"}, 1, {}, {"out/notes.png"},
     "unsupported file type"},
    {"RenderMissingInput", {"render", "@/top/none.jww", "--outdir", "@/out"}, 1, {}, {"out/none.png"},
     "no such file"},
    // Output folders that cannot be made, and two inputs with one output.
    {"DxfOutdirCannotBeMade", {"dxf", "@/top/jws351-blocks.jws", "--outdir", "@/top/notes.txt/out"}, 1, {}, {},
     "cannot create the output folder"},
    {"ConvertOutdirCannotBeMade", {"convert", "@/top/jws351-blocks.jws", "--outdir", "@/top/notes.txt/out"}, 1, {},
     {}, "cannot create the output folder"},
    {"RenderOutdirCannotBeMade", {"render", "@/top/jws351-blocks.jws", "--outdir", "@/top/notes.txt/out"}, 1, {}, {},
     "cannot create the output folder"},
    {"RenderSameOutputTwice", {"render", "@/top/jws351-blocks.jws", "@/top/jws351-blocks.jws", "--outdir", "@/out"},
     1, {"out/jws351-blocks.png"}, {}, "was already written by an earlier input; skipped"},
    // Folders for every batch command: their drawings and figures, -r their
    // subfolders, --outdir keeping them; -o with several inputs; one output
    // claimed twice.
    {"RenderFolderBesideInputs", {"render", "@/top", "--format", "svg"}, 0,
     {"top/jww600-points-texts.svg", "top/jws351-blocks.svg"}, {"top/notes.svg", "top/sub/part.svg"}, ""},
    {"RenderFolderRecursiveOutdir", {"render", "@/top", "-r", "--outdir", "@/out", "--dpi", "20"}, 0,
     {"out/jww700-utf16-2blocks.png", "out/sub/part.png"}, {"top/jws351-blocks.png"}, ""},
    {"RenderFolderToOneOutput", {"render", "@/top", "-o", "@/a.png"}, 2, {}, {"a.png"}, "-o takes one input"},
    {"RenderEmptyFolder", {"render", "@/empty"}, 1, {}, {}, "no drawings (.jww, .jws) in the folder"},
    {"RenderPageUnknown", {"render", "@/top/jws351-blocks.jws", "--page", "sheet"}, 2, {}, {"top/jws351-blocks.png"},
     "--page"},
    {"ConvertFolderOutdir", {"convert", "@/top", "-r", "--outdir", "@/out"}, 0,
     {"out/jww600-points-texts.jww", "out/jws351-blocks.jws", "out/sub/part.JWS"}, {"out/notes.txt"}, ""},
    {"ConvertFolderWithoutOutdir", {"convert", "@/top", "@/x.jww"}, 2, {}, {"x.jww"}, "give IN OUT"},
    {"ConvertFolderOntoItself", {"convert", "@/top", "--outdir", "@/top"}, 1, {},
     {}, "the output would replace the input"},
    {"DxfFolderAndItsFileClaimOneOutput", {"dxf", "@/top", "@/top/jws351-blocks.jws", "--outdir", "@/out"}, 1,
     {"out/jws351-blocks.dxf"}, {}, "out/jws351-blocks.dxf was already written by an earlier input; skipped"},
    {"InfoFolder", {"info", "@/top", "-r"}, 0, {}, {}, ""},
    {"InfoEmptyFolder", {"info", "@/empty"}, 1, {}, {}, "no drawings (.jww, .jws) in the folder"},
    // render: the look of the screen or of the printed sheet; linked pictures.
    {"RenderLookScreen", {"render", "@/top/jww600-points-texts.jww", "-o", "@/a.png", "--look", "SCREEN"}, 0, {"a.png"},
     {}, ""},
    {"RenderLookUnknown", {"render", "@/top/jww600-points-texts.jww", "-o", "@/a.png", "--look", "paper"}, 2, {},
     {"a.png"}, "--look"},
    {"RenderBlackBackgroundIsTheScreens",
     {"render", "@/top/jww600-points-texts.jww", "-o", "@/a.png", "--background", "black", "--look", "print"}, 2, {},
     {"a.png"}, "--background black is the screen's: give it with --look screen"},
    {"RenderNoLinkedImages", {"render", "@/top/jww600-points-texts.jww", "-o", "@/a.svg", "--no-linked-images"}, 0,
     {"a.svg"}, {}, ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, CliArgs, ::testing::ValuesIn(kArgsCases),
                         [](const ::testing::TestParamInfo<ArgsCase>& info) { return info.param.name; });

// The size of a PNG from its header (width, height).
std::pair<uint32_t, uint32_t> PngSize(const fs::path& p) {
    const std::string b = ReadAll(p);
    if (b.size() < 24 || b.compare(1, 3, "PNG") != 0) return {0, 0};
    auto be = [&](size_t i) {
        return (uint32_t(uint8_t(b[i])) << 24) | (uint32_t(uint8_t(b[i + 1])) << 16) |
               (uint32_t(uint8_t(b[i + 2])) << 8) | uint32_t(uint8_t(b[i + 3]));
    };
    return {be(16), be(20)};
}

// A PNG has the paper's proportions at the resolution asked for; an output
// that is a folder is named and left alone.
TEST_F(CliBatch, RenderSizesAndAFolderInTheWay) {
    const std::string in = At("@/top/jww600-points-texts.jww");  // A2: 594 x 420 mm
    EXPECT_EQ(Run({"render", in, "-o", At("@/w.png"), "--width", "594"}).status, 0);
    EXPECT_EQ(PngSize(dir_ / "w.png"), std::make_pair(594u, 420u));
    EXPECT_EQ(Run({"render", in, "-o", At("@/d.png"), "--dpi", "50.8"}).status, 0);
    EXPECT_EQ(PngSize(dir_ / "d.png"), std::make_pair(1188u, 840u));
    fs::create_directories(dir_ / "out" / "jww600-points-texts.png");
    const CliResult r = Run({"render", in, "--outdir", At("@/out")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("jww600-points-texts.png: Is a directory"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_directory(dir_ / "out" / "jww600-points-texts.png"));
}

// info on a folder reports its drawings and figures sorted by path; -r
// takes its subfolders too.
TEST_F(CliBatch, InfoTakesFolders) {
    for (const bool recursive : {false, true}) {
        std::vector<std::string> args = {"info", "--json", At("@/top")};
        if (recursive) args.push_back("-r");
        const CliResult r = Run(args);
        EXPECT_EQ(r.status, 0) << r.err;
        std::vector<std::string> files;
        for (const json& j : JsonLines(r.out)) files.push_back(fs::path(j["file"].get<std::string>()).lexically_relative(dir_ / "top").string());
        std::vector<std::string> want = {"jws351-blocks.jws", "jww600-points-texts.jww", "jww700-utf16-2blocks.jww"};
        if (recursive) want.push_back("sub/part.JWS");
        EXPECT_EQ(files, want);
    }
}

// The share of a picture's width or height (the larger) that its non-white
// pixels span; 0 for a blank picture or one that cannot be read.
double InkSpan(const fs::path& png) {
    const QImage im(QString::fromStdString(png.string()));
    if (im.isNull()) return 0;
    int x1 = im.width(), y1 = im.height(), x2 = -1, y2 = -1;
    for (int y = 0; y < im.height(); ++y)
        for (int x = 0; x < im.width(); ++x)
            if (qGray(im.pixel(x, y)) < 250) {
                x1 = std::min(x1, x), x2 = std::max(x2, x);
                y1 = std::min(y1, y), y2 = std::max(y2, y);
            }
    if (x2 < 0) return 0;
    return std::max(double(x2 - x1 + 1) / im.width(), double(y2 - y1 + 1) / im.height());
}

// A figure has no paper of its own: by default its picture is what it draws,
// filling most of it; on the A0 sheet of a new drawing it is a speck.
TEST_F(CliBatch, AFigureFillsItsPicture) {
    for (const char* figure : {"jws351-blocks.jws", "jws700-blocks.jws", "jws600-uppercase-ext.JWS"}) {
        SCOPED_TRACE(figure);
        CliResult r = RunCli({"render", Sample(figure), "-o", Path("fig.png")});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_GT(InkSpan(Path("fig.png")), 0.5);
        r = RunCli({"render", Sample(figure), "-o", Path("sheet.png"), "--page", "paper", "--dpi", "20"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_LT(InkSpan(Path("sheet.png")), 0.2);
    }
}

// A drawing whose only figures lie far beside its paper: the picture of the
// paper is blank, and a warning names the file; its content is not.
TEST_F(CliTest, ABlankPictureIsAWarning) {
    jw::TJwwData m;
    m.DataDefaultSet();
    m.Enthd.jwVer = 700;
    ASSERT_TRUE(m.AddEntPre());
    m.AddEntLine(0, 0, 0, 1, 1, 0, 0, 5000, 5000, 5100, 5100);
    m.AddEntLine(0, 0, 0, 1, 1, 0, 0, 5000, 5100, 5100, 5000);
    ASSERT_TRUE(m.AddEntPost());
    ASSERT_TRUE(m.FileOut(jw::FromUtf8(Path("far.jww")), 700)) << m.LastError;
    CliResult r = RunCli({"render", Path("far.jww"), "-o", Path("far.png"), "--dpi", "20"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(InkSpan(Path("far.png")), 0);
    EXPECT_NE(r.err.find("zumenscope-cli: " + Path("far.jww") + ": warning: the picture is blank"), std::string::npos)
        << r.err;
    r = RunCli({"render", Path("far.jww"), "-o", Path("far.png"), "--page", "content"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_GT(InkSpan(Path("far.png")), 0.5);
}

// Each command of the README that works on the samples folder runs as
// written, its output folder in the test's folder.
TEST_F(CliTest, ReadmeFolderExamplesRun) {
    ZS_NEED_SAMPLES();
    std::ifstream readme(fs::path(ZS_SOURCE_DIR) / "README.md");
    const std::string prefix = "    zumenscope-cli ", samples = "../shared/samples/";
    int examples = 0;
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind(prefix, 0) != 0) continue;
        std::vector<std::string> args;
        std::istringstream words(line.substr(prefix.size()));
        for (std::string w; words >> w;) args.push_back(w);
        if (std::find(args.begin(), args.end(), samples) == args.end()) continue;
        SCOPED_TRACE(line);
        for (size_t i = 0; i < args.size(); ++i) {
            if (args[i] == samples) args[i] = jw::test::SamplesDir().string();
            if (i > 0 && args[i - 1] == "--outdir") args[i] = Path("out") + std::to_string(examples);
        }
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.status, 0) << r.err;
        const fs::path out = Path("out") + std::to_string(examples);
        if (std::find(args.begin(), args.end(), "--outdir") != args.end())
            EXPECT_FALSE(fs::is_empty(out));
        else
            EXPECT_FALSE(r.out.empty());
        ++examples;
    }
    EXPECT_GE(examples, 4);
}

// The losses of a save to an older version reach stderr as warnings, and the
// exit status stays 0.
TEST_F(CliBatch, ConvertWarnsWhatTheVersionCannotHold) {
    const CliResult r = RunCli({"convert", Sample("jww700-sjis-blocks.jww"), Path("old.jww"), "--version", "3.00"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string head = "zumenscope-cli: " + Path("old.jww") + ": warning: ";
    EXPECT_NE(r.err.find(head), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("entities in SXF colours: standard colours before 4.20\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("entities with a line width: versions before 3.51 hold none\n"), std::string::npos);
    // The same drawing at its own version loses nothing.
    EXPECT_EQ(RunCli({"convert", Sample("jww700-sjis-blocks.jww"), Path("same.jww")}).err, "");
}

// Whatever the number of threads, a batch prints the same bytes and writes
// the same files as one run after the other; repeated, so that a race on a
// shared value would show.
TEST_F(CliBatch, ParallelOutputIsSerialOutput) {
    std::vector<std::string> files;
    for (int copy = 0; copy < 4; ++copy) {
        for (const std::string& f : SampleFiles()) {
            const fs::path to = dir_ / "many" / (std::to_string(copy) + "-" + fs::path(f).filename().string());
            fs::create_directories(to.parent_path());
            fs::copy_file(f, to);
            files.push_back(to.string());
        }
    }
    auto run = [&](std::vector<std::string> head, const char* jobs) {
        head.insert(head.end(), {"-j", jobs});
        head.insert(head.end(), files.begin(), files.end());
        return RunCli(head);
    };
    const CliResult text = run({"info"}, "1"), json = run({"info", "--json"}, "1");
    const CliResult dxf = run({"dxf", "--outdir", Path("dxf1")}, "1");
    const CliResult conv = run({"convert", "--version", "4.20", "--outdir", Path("conv1")}, "1");
    ASSERT_EQ(dxf.status, 0) << dxf.err;
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        const CliResult t = run({"info"}, "4");
        EXPECT_EQ(t.out, text.out);
        EXPECT_EQ(t.err, text.err);
        EXPECT_EQ(t.status, text.status);
        EXPECT_EQ(run({"info", "--json"}, "3").out, json.out);
        const std::string d = "dxf" + std::to_string(round + 2), c = "conv" + std::to_string(round + 2);
        const CliResult pd = run({"dxf", "--outdir", Path(d.c_str())}, "4");
        EXPECT_EQ(pd.err, dxf.err);
        const CliResult pc = run({"convert", "--version", "4.20", "--outdir", Path(c.c_str())}, "4");
        EXPECT_EQ(pc.err.size(), conv.err.size());  // the same warnings (the folder names differ)
        EXPECT_EQ(pc.status, conv.status);
        for (const std::string& f : files) {
            const fs::path stem = fs::path(f).stem();
            EXPECT_EQ(ReadAll(dir_ / d / stem.string().append(".dxf")), ReadAll(dir_ / "dxf1" / stem.string().append(".dxf")))
                << f;
            const fs::path name = fs::path(f).filename();
            EXPECT_EQ(ReadAll(dir_ / c / name), ReadAll(dir_ / "conv1" / name)) << f;
        }
    }
}

// ---- Hostile input and hostile file systems ----

// A drawing built here: a line, and, with an image, a bound image pic.png
// that a text refers to; written as 7.00 at p.
void SmallDrawing(const fs::path& p, bool withImage, const std::function<void(jw::TJwwData&)>& more = {}) {
    jw::TJwwData m;
    m.DataDefaultSet();
    m.Enthd.jwVer = 700;
    ASSERT_TRUE(m.AddEntPre());
    m.AddEntLine(0, 0, 0, 1, 1, 0, 0, 0, 0, 10, 10);
    const fs::path images = p.parent_path() / (p.stem().string() + "_images");
    if (withImage) {
        fs::create_directories(images);
        WriteAll(images / "pic.png", std::string(3000, 'p'));
        m.AddEntMoji(0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 10, 0, 2, 2, 0, 0, u"", u"^@BM%temp%pic.png,10,0,0,0,0,0");
        m.BindImage = {jw::TBindImageType{u"pic.png", 3000}};
        m.BindImageN = 1;
        m.BindImageExp = true;
        m.BindImageFolder = jw::AddPathDelim(jw::FromNativePath(images));
    }
    if (more) more(m);
    ASSERT_TRUE(m.AddEntPost());
    ASSERT_TRUE(m.FileOut(jw::FromUtf8(p.string()), 700)) << m.LastError;
    fs::remove_all(images);
}

// An output that is the input under another name (a symbolic or hard link,
// another spelling) is refused, even when the version would drop the bound
// image: the only copy stays as it was.
TEST_F(CliTest, ConvertRefusesItsOwnInputUnderAnyName) {
    SmallDrawing(Path("in.jww"), true);
    const std::string before = ReadAll(Path("in.jww"));
    fs::create_symlink("in.jww", Path("link.jww"));
    fs::create_hard_link(Path("in.jww"), Path("hard.jww"));
    fs::create_directory(Path("sub"));
    for (const std::string& out : {Path("link.jww"), Path("hard.jww"), Path("sub") + "/../in.jww",
                                   (dir_ / "." / "in.jww").string()}) {
        SCOPED_TRACE(out);
        const CliResult r = RunCli({"convert", Path("in.jww"), out, "--version", "6.00"});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("the output would replace the input"), std::string::npos) << r.err;
        EXPECT_EQ(ReadAll(Path("in.jww")), before);
    }
}

// A temporary folder is made only for a bound image; one that cannot be
// made fails the files that need it, naming the image, and nothing is
// written in place of a drawing that would lack it.
TEST_F(CliTest, TemporaryFolderOnlyForImages) {
    SmallDrawing(Path("plain.jww"), false);
    SmallDrawing(Path("image.jww"), true);
    const jw::test::ScopedEnv tmp("TMPDIR", "/proc");  // a folder nobody can create anything in
    CliResult r = RunCli({"convert", Path("plain.jww"), Path("plain-out.jww")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(RunCli({"dxf", Path("plain.jww")}).status, 0);

    r = RunCli({"convert", Path("image.jww"), Path("image-out.jww")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(Path("image.jww") + ": bound image pic.png could not be extracted: cannot create a "
                                              "temporary folder in /proc"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("nothing written"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(Path("image-out.jww")));
    // A version without bound images loses the image anyway (and says so).
    r = RunCli({"convert", Path("image.jww"), Path("image-600.jww"), "--version", "6.00"});
    EXPECT_EQ(r.status, 0) << r.err;

    r = RunCli({"dxf", Path("image.jww")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("bound image pic.png could not be extracted"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::exists(Path("image.dxf")));
}

// With the temporary folder's file system full (here: a file size limit),
// the image that cannot be extracted fails convert and dxf by name.
TEST_F(CliTest, FullTemporaryFolderFailsByName) {
    SmallDrawing(Path("image.jww"), true);
    const fs::path tmp = dir_ / "tmp";
    fs::create_directory(tmp);
    const jw::test::ScopedEnv env("TMPDIR", tmp.string());
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"convert", Path("image.jww"), Path("out.jww")},
          std::vector<std::string>{"dxf", Path("image.jww"), "--release", "r12"}}) {
        SCOPED_TRACE(args[0]);
        // In a child process, whose writes beyond 2000 bytes fail.
        int pipeFd[2];
        ASSERT_EQ(::pipe(pipeFd), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(pipeFd[0]);
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{2000, 2000};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            const CliResult r = RunCli(args);
            const std::string text = std::to_string(r.status) + "\n" + r.err;
            if (::write(pipeFd[1], text.data(), text.size()) < 0) ::_exit(99);
            ::_exit(0);
        }
        ::close(pipeFd[1]);
        std::string text;
        char buf[4096];
        for (ssize_t n; (n = ::read(pipeFd[0], buf, sizeof buf)) > 0;) text.append(buf, static_cast<size_t>(n));
        ::close(pipeFd[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(text.starts_with("1\n")) << text;
        EXPECT_NE(text.find("bound image pic.png could not be extracted: cannot write "), std::string::npos) << text;
        EXPECT_TRUE(fs::is_empty(tmp));
    }
    EXPECT_FALSE(fs::exists(Path("out.jww")));
}

// File names with control characters reach stderr escaped.
TEST_F(CliTest, ControlCharactersInNamesAreEscaped) {
    const std::string name = Path("a\x1b[2J\x07" "b.jww");
    CliResult r = RunCli({"info", name});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("a\\x1B[2J\\x07b.jww: no such file"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find_first_of("\x1b\x07"), std::string::npos);
    r = RunCli({"\x1b]0;title\x07"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.find_first_of("\x1b\x07"), std::string::npos) << r.err;
}

// A read that fails says where, on stderr and in the JSON's detail.
TEST_F(CliTest, InfoSaysWhereReadingStopped) {
    SmallDrawing(Path("whole.jww"), false);
    std::string bytes = ReadAll(Path("whole.jww"));
    bytes.resize(bytes.size() - 20);  // inside the line
    WriteAll(Path("cut.jww"), bytes);
    const CliResult r = RunCli({"info", "--json", Path("cut.jww"), Path("whole.jww")});
    EXPECT_EQ(r.status, 1);
    const std::vector<json> lines = JsonLines(r.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]["error"], "File I/O Error");
    const std::string detail = lines[0]["detail"].get<std::string>();
    EXPECT_TRUE(std::regex_match(detail, std::regex("entity 1 \\(CDataSen\\) at byte 0x[0-9A-F]+: the file ends inside the record")))
        << detail;
    EXPECT_TRUE(lines[1]["detail"].is_null());
    EXPECT_NE(r.err.find(Path("cut.jww") + ": read failed: File I/O Error: " + detail + "\n"), std::string::npos)
        << r.err;
}

// An output that is a device or a FIFO is written to and stays what it is.
TEST_F(CliTest, OutputsThatAreNoRegularFiles) {
    SmallDrawing(Path("in.jww"), false);
    ASSERT_EQ(RunCli({"convert", Path("in.jww"), Path("regular.jww")}).status, 0);
    fs::create_symlink("/dev/null", Path("null.jww"));
    CliResult r = RunCli({"convert", Path("in.jww"), Path("null.jww")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_TRUE(fs::is_symlink(Path("null.jww")));
    fs::create_symlink("/dev/null", Path("null.dxf"));
    r = RunCli({"dxf", Path("in.jww"), "-o", Path("null.dxf")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    fs::create_symlink("/dev/null", Path("null.png"));
    r = RunCli({"render", Path("in.jww"), "-o", Path("null.png"), "--dpi", "10"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    ASSERT_EQ(::mkfifo(Path("fifo.jww").c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = ReadAll(Path("fifo.jww")); });
    r = RunCli({"convert", Path("in.jww"), Path("fifo.jww")});
    // Should the command not have opened the FIFO, this lets the reader end.
    if (const int fd = ::open(Path("fifo.jww").c_str(), O_WRONLY | O_NONBLOCK); fd >= 0) ::close(fd);
    reader.join();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(received, ReadAll(Path("regular.jww")));
    EXPECT_EQ(fs::status(Path("fifo.jww")).type(), fs::file_type::fifo);
}

// As many files at once as their memory allows, at least one, never more
// than asked for; nothing known about memory: as many as asked for.
TEST(CliJobs, AsManyAsMemoryAllows) {
    using jw::cli::JobsThatFit;
    const uint64_t gib = uint64_t(1) << 30;
    struct Case {
        unsigned wanted;
        uint64_t perJob, available;
        unsigned expect;
    };
    for (const Case& c : {Case{8, gib, 20 * gib, 8}, Case{8, 3 * gib, 10 * gib, 3}, Case{8, 30 * gib, 10 * gib, 1},
                          Case{2, gib, 0, 2}, Case{4, 0, gib, 4}}) {
        EXPECT_EQ(JobsThatFit(c.wanted, c.perJob, c.available), c.expect) << c.wanted << " " << c.perJob;
    }
    EXPECT_EQ(JobsThatFit(0, 1, 0), jw::cli::AllCores());
    EXPECT_GT(jw::cli::AvailableMemory(), 0u);
}

// A read-only output is never replaced, by any command: the failure names
// it, and it keeps what it held.
TEST_F(CliTest, ReadOnlyOutputsStayAsTheyAre) {
    SmallDrawing(Path("in.jww"), false);
    struct Case {
        std::vector<std::string> args;
        const char* out;
    };
    for (const Case& c : {Case{{"convert", Path("in.jww"), Path("out.jww")}, "out.jww"},
                          Case{{"dxf", Path("in.jww"), "-o", Path("out.dxf")}, "out.dxf"},
                          Case{{"render", Path("in.jww"), "-o", Path("out.png")}, "out.png"},
                          Case{{"render", Path("in.jww"), "-o", Path("out.svg")}, "out.svg"}}) {
        SCOPED_TRACE(c.out);
        WriteAll(Path(c.out), "kept");
        ::chmod(Path(c.out).c_str(), 0444);
        const CliResult r = RunCli(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("cannot replace " + Path(c.out) + ": the file is read-only"), std::string::npos) << r.err;
        EXPECT_EQ(ReadAll(Path(c.out)), "kept");
        EXPECT_EQ(fs::status(Path(c.out)).permissions() & fs::perms::all, fs::perms(0444));
    }
}

// A drawing that costs far more to draw than its size allows (blocks copied
// into one another a hundred thousand times), an unusable figure and a
// linked picture that is not there: the picture is written, and stderr says
// what it lacks.
TEST_F(CliTest, RenderSaysWhatThePictureLacks) {
    SmallDrawing(Path("costly.jww"), false, [](jw::TJwwData& m) {
        m.AddEntLine(0, 0, 0, 2, 1, 0, 0, std::numeric_limits<double>::quiet_NaN(), 0, 10, 0);
        m.AddEntMoji(0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 10, 0, 2, 2, 0, 0, u"", u"^@BM/nonexistent/site.jpg,10");
        m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"sheet");
        m.AddBlkSolid(0, 0, 0, 0, 2, 1, 0, 0, 0, -500, -400, -500, 400, 500, -400, 500, 400);
        for (int32_t level = 1; level <= 5; ++level) {
            m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"ten" + jw::FromUtf8(std::to_string(level)));
            for (int k = 0; k < 10; ++k) m.AddBlkBlock(level, 0, 0, 0, 1, 1, 0, 0, level - 1, 0, 0, 1, 1, 0);
        }
        m.AddEntBlock(0, 0, 0, 2, 1, 0, 0, 5, 0, 0, 1, 1, 0);
    });
    const CliResult r = RunCli({"render", Path("costly.jww"), "-o", Path("costly.png"), "--dpi", "20"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(Path("costly.png")));
    const std::string head = "zumenscope-cli: " + Path("costly.jww") + ": warning: ";
    EXPECT_NE(r.err.find(head + "1 of the drawing's 4 entities left out or drawn in part: "), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find(head + "1 figure(s) left out: their coordinates are not numbers or lie far beyond the paper"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find(head + "image /nonexistent/site.jpg left out: no such picture"), std::string::npos) << r.err;
}

// Inserts of a number no definition has are left out and counted; inserts
// that would make a definition contain itself stay out of the DXF.
TEST_F(CliTest, BlockInsertsThatReferToNothingOrCloseCycles) {
    // The model refuses an insert of a definition it lacks: the file is
    // written with an insert of A at (9, 9), and the definition number that
    // follows the insert's point, scales and angle is then set to 42, which
    // no definition has.
    SmallDrawing(Path("blocks.jww"), false, [](jw::TJwwData& m) {
        ASSERT_TRUE(m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"A"));
        m.AddBlkLine(0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1);
        m.AddBlkBlock(0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 1, 1, 0);  // A holds A
        ASSERT_TRUE(m.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 0, 5, 5, 1, 1, 0));
        ASSERT_TRUE(m.AddEntBlock(0, 0, 0, 1, 1, 0, 0, 0, 9, 9, 1, 1, 0));
    });
    std::string bytes = ReadAll(Path("blocks.jww"));
    const double place[5] = {9, 9, 1, 1, 0};
    const std::string_view pattern(reinterpret_cast<const char*>(place), sizeof place);
    const size_t at = bytes.find(pattern);
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(bytes.find(pattern, at + 1), std::string::npos);
    const uint32_t missing = 42;  // no definition 42
    ASSERT_LE(at + sizeof place + sizeof missing, bytes.size());
    std::memcpy(bytes.data() + at + sizeof place, &missing, sizeof missing);
    WriteAll(Path("blocks.jww"), bytes);
    {
        jw::TJwwData in;
        ASSERT_TRUE(in.FileIn(jw::FromUtf8(Path("blocks.jww")))) << in.LastError;
        ASSERT_EQ(in.EntBlockN, 2);
        const uint32_t number = in.EntBlock[1].nNumber;  // a copy: the record is packed
        ASSERT_EQ(number, missing);
    }

    CliResult r = RunCli({"convert", Path("blocks.jww"), Path("out.jww")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find(Path("out.jww") + ": warning: 1 block insert(s) of a definition the drawing lacks: left out\n"),
              std::string::npos)
        << r.err;
    jw::TJwwData back;
    ASSERT_TRUE(back.FileIn(jw::FromUtf8(Path("out.jww")))) << back.LastError;
    EXPECT_EQ(back.EntBlockN, 1);

    r = RunCli({"dxf", Path("out.jww")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find(Path("out.jww") +
                         ": warning: 1 block insert left out: each would make a block definition contain itself\n"),
              std::string::npos)
        << r.err;
}

}  // namespace

// --release takes every common spelling of the three releases, in any letter
// case; the DXF says which it is.
TEST_F(CliBatch, DxfReleaseSpellings) {
    const std::pair<const char*, const char*> cases[] = {
        {"r12", "AC1009"},  {"R12", "AC1009"},   {"ac1009", "AC1009"}, {"2000", "AC1015"}, {"R2000", "AC1015"},
        {"AC1015", "AC1015"}, {"2007", "AC1021"}, {"r2007", "AC1021"}, {"AC1021", "AC1021"},
    };
    for (const auto& [spelling, acadver] : cases) {
        SCOPED_TRACE(spelling);
        const CliResult r = Run({"dxf", "@/top/jws351-blocks.jws", "-o", "@/x.dxf", "--release", spelling});
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string dxf = ReadAll(dir_ / "x.dxf");
        EXPECT_NE(dxf.find("$ACADVER\r\n  1\r\n" + std::string(acadver) + "\r\n"), std::string::npos) << dxf.substr(0, 200);
    }
    EXPECT_NE(RunCli({"dxf", "--help"}).out.find("R2000, R2007 or AC1009, AC1015, AC1021"), std::string::npos);
}

// A file that does not begin as its extension says gets no report, by any
// command: the message names it and says what it is not.
TEST_F(CliTest, FilesWithoutTheirKindsSignature) {
    const std::pair<const char*, const char*> cases[] = {
        {"zip.jww", "not a JWW drawing"},
        {"zip.jws", "not a JWS figure"},
        {"zip.jwc", "not a JWC drawing"},
        {"zip.jwk", "not a JWK figure"},
        {"empty.jww", "not a JWW drawing"},
    };
    for (const auto& [name, message] : cases) {
        SCOPED_TRACE(name);
        WriteAll(Path(name), std::string(name).starts_with("zip") ? std::string("PK\x03\x04 an archive") : "");
        CliResult r = RunCli({"info", Path(name)});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "zumenscope-cli: " + Path(name) + ": " + message + "\n");
        r = RunCli({"info", "--json", Path(name)});
        EXPECT_EQ(r.status, 1);
        const std::vector<json> lines = JsonLines(r.out);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0]["ok"], false);
        EXPECT_EQ(lines[0]["error"], message);
        EXPECT_TRUE(lines[0]["format"].is_null());
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"dxf", Path("zip.jww"), "-o", Path("out.dxf")},
          std::vector<std::string>{"render", Path("zip.jws"), "-o", Path("out.png")},
          std::vector<std::string>{"convert", Path("zip.jww"), Path("out.jww")}}) {
        SCOPED_TRACE(args[0]);
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(args[1] + ": not a JW"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(args.back()));
    }
}

// A write that fails names the output and the system's reason, in every
// format of every command (/dev/full: "No space left on device").
TEST_F(CliTest, WriteFailuresNameTheOutputAndTheReason) {
    SmallDrawing(Path("in.jww"), false);
    const std::vector<std::vector<std::string>> cases = {
        {"convert", Path("in.jww"), Path("full.jww")},
        {"dxf", Path("in.jww"), "-o", Path("full.dxf")},
        {"render", Path("in.jww"), "-o", Path("full.png"), "--dpi", "10"},
        {"render", Path("in.jww"), "-o", Path("full.svg")},
        {"render", Path("in.jww"), "-o", Path("full.pdf")},
    };
    for (const std::vector<std::string>& args : cases) {
        const std::string out = args[0] == "convert" ? args[2] : args[3];
        SCOPED_TRACE(out);
        fs::create_symlink("/dev/full", out);
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(": write failed: cannot write /dev/full: No space left on device\n"), std::string::npos)
            << r.err;
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
    }
}

// The keys info --json printed before, in their order, then the layout keys.
const std::vector<std::string> kDrawingJsonKeys = {
    "file",  "ok",          "error",    "detail",       "format", "version", "encoding", "memo",
    "n1",    "counts",      "block_definitions", "bound_images", "text_sha1", "layer_groups", "paper",
    "extents", "size"};

// The keys of one JSON line, in the order written.
std::vector<std::string> Keys(const std::string& line) {
    std::vector<std::string> keys;
    const nlohmann::ordered_json j = nlohmann::ordered_json::parse(line);
    for (const auto& [key, value] : j.items()) keys.push_back(key);
    return keys;
}

// Paper, extents and layer groups of a drawing built here: known scales,
// names and entities.
TEST_F(CliTest, InfoLayoutOfABuiltDrawing) {
    SmallDrawing(Path("plan.jww"), false, [](jw::TJwwData& m) {
        m.Enthd.nZumen = 3;  // A3
        m.Enthd.nWriteGLay = 1;
        m.EntLgrp[0].adScale = 20;
        m.EntLgrp[1].adScale = 50;
        m.EntLgrp[2].adScale = 100;
        m.EntLgrp[1].aStrGLayName = u"平面";
        m.EntLay[0x12].aStrLayName = u"通り芯";
        // Group 0 holds SmallDrawing's line from (0, 0) to (10, 10).
        m.AddEntLine(0, 1, 2, 1, 1, 0, 0, -100, -50, 100, 50);
        m.AddEntLine(0, 2, 0, 1, 1, 0, 0, 10, 20, 30, 40);
        m.AddEntLine(0, 2, 0, 1, 1, 0, 0, 10, 20, 30, 45);
    });
    CliResult r = RunCli({"info", "--json", Path("plan.jww")});
    ASSERT_EQ(r.status, 0) << r.err;
    const json j = json::parse(r.out);
    EXPECT_EQ(Keys(r.out), kDrawingJsonKeys);
    EXPECT_EQ(j["paper"], json::parse(R"({"code":3,"name":"Ａ３","width":420.0,"height":297.0})"));
    EXPECT_EQ(j["extents"]["paper_mm"], json::parse(R"({"min_x":-100.0,"min_y":-50.0,"max_x":100.0,"max_y":50.0})"));
    EXPECT_EQ(j["extents"]["real"], json::parse(R"([
        {"group":0,"scale":20.0,"min_x":-2000.0,"min_y":-1000.0,"max_x":2000.0,"max_y":1000.0},
        {"group":1,"scale":50.0,"min_x":-5000.0,"min_y":-2500.0,"max_x":5000.0,"max_y":2500.0},
        {"group":2,"scale":100.0,"min_x":-10000.0,"min_y":-5000.0,"max_x":10000.0,"max_y":5000.0}])"));
    const json& groups = j["layer_groups"];
    ASSERT_EQ(groups.size(), 16u);
    const json& g1 = groups[1];
    EXPECT_EQ(g1["code"], "1");
    EXPECT_EQ(g1["name"], "平面");
    EXPECT_EQ(g1["scale"], 50.0);
    EXPECT_EQ(g1["write"], true);
    EXPECT_EQ(g1["entities"], 1);
    ASSERT_EQ(g1["layers"].size(), 1u);
    EXPECT_EQ(g1["layers"][0]["code"], "1-2");
    EXPECT_EQ(g1["layers"][0]["name"], "通り芯");
    EXPECT_EQ(g1["layers"][0]["entities"], 1);
    EXPECT_EQ(g1["empty_layers"], 15);
    EXPECT_EQ(groups[0]["write"], false);
    EXPECT_EQ(groups[2]["layers"][0]["code"], "2-0");
    EXPECT_EQ(groups[2]["layers"][0]["entities"], 2);
    EXPECT_EQ(groups[15]["code"], "F");
    EXPECT_EQ(groups[15]["entities"], 0);
    EXPECT_EQ(groups[15]["empty_layers"], 16);

    r = RunCli({"info", Path("plan.jww")});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line : {
             "\n----------------------------------------\n用紙　　　　　：3（Ａ３）420 x 297 mm\n",
             "\n図面範囲　　　：用紙中心から mm　X -100 ～ 100、Y -50 ～ 50\n",
             "\nレイヤグループ 1：",
             "　書込グループ　縮尺 1/50　名前「平面」　要素 1\n",
             "\n　レイヤ 1-2：",
             "　名前「通り芯」　要素 1\n　要素も名前もないレイヤ：15\n　実寸範囲：X -5000 ～ 5000、Y -2500 ～ 2500\n",
             "\nレイヤグループ F：",
         })
        EXPECT_NE(r.out.find(line), std::string::npos) << line;
}

// A sample drawing: the layers of its one group hold all its entities; a
// figure has no paper, layer groups or extents.
TEST(CliInfo, LayoutOfSamples) {
    ZS_NEED_SAMPLES();
    CliResult r = RunCli({"info", "--json", Sample("jww600-points-texts.jww"), Sample("jws351-blocks.jws")});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<json> lines = JsonLines(r.out);
    ASSERT_EQ(lines.size(), 2u);
    const json& w = lines[0];
    std::istringstream text(r.out);
    for (std::string line; std::getline(text, line);) EXPECT_EQ(Keys(line), kDrawingJsonKeys);
    EXPECT_EQ(w["paper"], json::parse(R"({"code":2,"name":"Ａ２","width":594.0,"height":420.0})"));
    const json& g0 = w["layer_groups"][0];
    EXPECT_EQ(g0["scale"], 200.0);
    EXPECT_EQ(g0["write"], true);
    EXPECT_EQ(g0["entities"], w["n1"]);
    std::vector<std::string> names;
    for (const json& l : g0["layers"]) names.push_back(l["code"].get<std::string>() + l["name"].get<std::string>());
    EXPECT_EQ(names, (std::vector<std::string>{"0-0 敷地他", "0-1 ドーム", "0-2 付属家", "0-3　説明"}));
    const json& paper = w["extents"]["paper_mm"];
    const json& real = w["extents"]["real"];
    ASSERT_EQ(real.size(), 1u);
    for (const char* k : {"min_x", "min_y", "max_x", "max_y"})
        EXPECT_DOUBLE_EQ(real[0][k].get<double>(), paper[k].get<double>() * 200) << k;
    EXPECT_LT(paper["min_x"].get<double>(), paper["max_x"].get<double>());

    const json& s = lines[1];
    for (const char* k : {"layer_groups", "paper", "extents"}) EXPECT_TRUE(s[k].is_null()) << k;
    r = RunCli({"info", Sample("jws351-blocks.jws")});
    EXPECT_TRUE(r.out.ends_with("\n用紙・レイヤグループ・図面範囲：なし（図形ファイル）\n")) << r.out;
}
