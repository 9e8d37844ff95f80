// Saving through a temporary file: a failed save leaves an existing drawing
// untouched and creates nothing; a successful one keeps the file's mode.
#include <sys/stat.h>

#include "write_helpers.h"

namespace {

using namespace jwt;
using jw::AtomicFileSink;
using jw::TJwwData;
namespace fs = std::filesystem;

TJwwData SmallDrawing() {
    TJwwData m;
    m.SizeHeaderTables();
    m.Enthd.jwVer = 700;
    AddLine(m, Line(0, 0, 10, 10));
    return m;
}

mode_t Mode(const fs::path& p) {
    struct stat st {};
    ::stat(p.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(FileSink, FailedSavesCreateNothing) {
    TempDir dir;
    WriteFile(dir.path() / "plain", "not a folder");
    const std::pair<const char*, std::string> cases[] = {
        {"missing folder", "no/such/folder/out.jww"},
        {"parent is a file", "plain/out.jww"},
        {"target is a folder", "."},
    };
    for (const auto& [what, rel] : cases) {
        TJwwData m = SmallDrawing();
        EXPECT_FALSE(m.FileOut(dir / rel, 700)) << what;
        EXPECT_EQ(m.LastError.rfind("cannot create ", 0), 0u) << what << ": " << m.LastError;
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"plain"}) << what;
        EXPECT_EQ(ReadFileBytes(dir.path() / "plain"), Bytes({'n', 'o', 't', ' ', 'a', ' ', 'f', 'o', 'l', 'd', 'e', 'r'}));
    }
    TJwwData m = SmallDrawing();
    EXPECT_FALSE(m.FileOut(u"", 700));
    EXPECT_FALSE(m.LastError.empty());
}

TEST(FileSink, UncommittedSinkLeavesTargetAndNoTemporaryFile) {
    TempDir dir;
    WriteFile(dir.path() / "d.jww", "old contents");
    {
        AtomicFileSink sink(dir / "d.jww");
        const Bytes junk(3 << 20, 0x55);  // more than the buffer, so part of it reaches the disk
        sink.Write(junk.data(), junk.size());
        EXPECT_EQ(dir.Entries().size(), 2u);  // the temporary file beside the target
    }
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"d.jww"});
    const Bytes old = ReadFileBytes(dir.path() / "d.jww");
    EXPECT_EQ(std::string(old.begin(), old.end()), "old contents");

    // A model that cannot be written leaves an existing file as it was.
    TJwwData never;
    EXPECT_FALSE(never.FileOut(dir / "d.jww", 700));
    EXPECT_EQ(ReadFileBytes(dir.path() / "d.jww"), old);
}

TEST(FileSink, CommitReplacesTargetAndKeepsItsMode) {
    TempDir dir;
    const fs::path target = dir.path() / "d.jww";
    WriteFile(target, "old");
    ::chmod(target.c_str(), 0640);
    TJwwData m = SmallDrawing();
    ASSERT_TRUE(m.FileOut(dir / "d.jww", 700)) << m.LastError;
    EXPECT_TRUE(m.LastError.empty());
    EXPECT_EQ(Mode(target), 0640u);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"d.jww"});
    TJwwData back;
    ASSERT_TRUE(back.FileIn(dir / "d.jww")) << back.LastError;
    EXPECT_EQ(back.EntLineN, 1);

    // A new file gets the usual mode for the process's umask.
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(m.FileOut(dir / "new.jww", 700));
    ::umask(mask);
    EXPECT_EQ(Mode(dir.path() / "new.jww"), 0644u);
}

TEST(FileSink, LargeOutputAndSymbolicLinks) {
    TempDir dir;
    Bytes data(5 << 20);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + (i >> 13));
    fs::create_directories(dir.path() / "real");
    WriteFile(dir.path() / "real" / "d.jww", "old");
    fs::create_symlink("real/d.jww", dir.path() / "link.jww");
    {
        AtomicFileSink sink(dir / "link.jww");
        // Small pieces, a piece that fills the buffer, one larger than it.
        size_t at = 0;
        for (size_t step : {size_t{1}, size_t{4000}, size_t{1} << 20, size_t{3} << 20, size_t{1} << 19}) {
            sink.Write(data.data() + at, step);
            at += step;
        }
        sink.Write(data.data() + at, data.size() - at);
        sink.Commit();
    }
    // Saving through a link replaces the file it points to; the link stays.
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.jww"));
    EXPECT_EQ(ReadFileBytes(dir.path() / "real" / "d.jww"), data);
}

}  // namespace
