// The built programs: zumenscope-cli links no Qt, and its render command is
// zumenscope-render, run with the same arguments, which answers exactly what
// the command answers in-process.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli.h"
#include "common/samples.h"
#include "common/test_files.h"

namespace fs = std::filesystem;

namespace {

const fs::path kCliFolder = fs::path(ZS_BINARY_DIR) / "src" / "cli";

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

struct Outcome {
    int status = -1;
    std::string out, err;
};

// program with args, its two streams kept apart (in files of dir).
Outcome RunProgram(const fs::path& program, const std::vector<std::string>& args, const fs::path& dir) {
    std::string cmd = Quote(program.string());
    for (const std::string& a : args) cmd += " " + Quote(a);
    cmd += " >" + Quote((dir / "stdout").string()) + " 2>" + Quote((dir / "stderr").string()) + " </dev/null";
    const int raw = std::system(cmd.c_str());
    Outcome o;
    o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    o.out = jw::test::ReadFileString(dir / "stdout");
    o.err = jw::test::ReadFileString(dir / "stderr");
    return o;
}

Outcome RunInProcess(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    jw::cli::Console io{out, err};
    Outcome o;
    o.status = jw::cli::Run(args, io);
    o.out = out.str();
    o.err = err.str();
    return o;
}

class Programs : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"zumenscope-cli", "zumenscope-render"})
            if (!fs::exists(kCliFolder / name)) GTEST_SKIP() << name << " is not built in " << kCliFolder;
    }
    jw::test::TempDir tmp_{"zs-programs-test"};
    const fs::path& dir_ = tmp_.path();
};

TEST_F(Programs, CommandLineLinksNoQt) {
    const Outcome ldd = RunProgram("ldd", {(kCliFolder / "zumenscope-cli").string()}, dir_);
    ASSERT_EQ(ldd.status, 0) << ldd.err;
    EXPECT_NE(ldd.out.find("libc.so"), std::string::npos) << ldd.out;
    EXPECT_EQ(ldd.out.find("Qt"), std::string::npos) << ldd.out;
}

// Help, usage errors, a failure and a picture: the process answers what the
// command answers in-process, byte for byte.
TEST_F(Programs, RenderIsTheRenderProgram) {
    ZS_NEED_SAMPLES();
    const std::string in = jw::test::SamplePath("jww600-points-texts.jww").string();
    const std::string png = (dir_ / "a.png").string();
    const std::vector<std::vector<std::string>> cases = {
        {"--help"},
        {"render", "--help"},
        {"render", "-h"},
        {"render"},
        {"render", in, "--page", "sheet"},
        {"render", in, "-o", (dir_ / "a.bmp").string()},
        {"render", "--dpi", "0", in, "-o", png},
        {"render", "--", (dir_ / "none.jww").string(), "--outdir", dir_.string()},
        {"render", in, "-o", png, "--width", "300"},
    };
    for (const std::vector<std::string>& args : cases) {
        std::string name;
        for (const std::string& a : args) name += " " + a;
        SCOPED_TRACE(name);
        const Outcome expected = RunInProcess(args);
        const Outcome got = RunProgram(kCliFolder / "zumenscope-cli", args, dir_);
        EXPECT_EQ(got.status, expected.status);
        EXPECT_EQ(got.out, expected.out);
        EXPECT_EQ(got.err, expected.err);
    }
    EXPECT_TRUE(fs::is_regular_file(png));
}

// A zumenscope-cli without zumenscope-render beside it says so, with the
// status of a failure; its other commands still work.
TEST_F(Programs, RenderProgramMissing) {
    const fs::path lone = dir_ / "lone";
    fs::create_directories(lone);
    fs::copy_file(kCliFolder / "zumenscope-cli", lone / "zumenscope-cli");
    const Outcome r = RunProgram(lone / "zumenscope-cli", {"render", "--help"}, dir_);
    EXPECT_EQ(r.status, jw::cli::kExitFailed);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "zumenscope-cli: render: cannot run " + (lone / "zumenscope-render").string() +
                         ": No such file or directory\n");
    EXPECT_EQ(RunProgram(lone / "zumenscope-cli", {"--version"}, dir_).status, 0);
}

}  // namespace
