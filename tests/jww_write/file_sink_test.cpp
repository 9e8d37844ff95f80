// Saving through a temporary file: a failed save leaves an existing drawing
// untouched and creates nothing; a successful one keeps the file's mode.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

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

// A new file never replaces or follows what stands at its name: a file, or a
// link that points nowhere. Given another name, it takes that one.
TEST(FileSink, NewFilesReplaceNothing) {
    TempDir dir;
    WriteFile(dir.path() / "taken.png", "theirs");
    fs::create_symlink("../elsewhere/x.png", dir.path() / "link.png");
    for (const char* name : {"taken.png", "link.png"}) {
        SCOPED_TRACE(name);
        AtomicFileSink sink(dir / name, jw::SinkTarget::New);
        const Bytes data = {'o', 'u', 'r', 's'};
        sink.Write(data.data(), data.size());
        EXPECT_THROW(sink.Commit(), jw::JwFileExists);
        sink.Rename(dir / (std::string("free-") + name));
        sink.Commit();
        EXPECT_EQ(ReadFileBytes(dir.path() / (std::string("free-") + name)), data);
    }
    EXPECT_EQ(ReadFileBytes(dir.path() / "taken.png"), Bytes({'t', 'h', 'e', 'i', 'r', 's'}));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.png"));
    EXPECT_FALSE(fs::exists(dir.path().parent_path() / "elsewhere"));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"free-link.png", "free-taken.png", "link.png", "taken.png"}));
}

// A working file replaces the entry of its name, a link itself rather than
// what it points to.
TEST(FileSink, ReplacedEntriesAreNotFollowed) {
    TempDir dir;
    WriteFile(dir.path() / "target", "keep");
    fs::create_symlink("target", dir.path() / "image.png");
    AtomicFileSink sink(dir / "image.png", jw::SinkTarget::ReplaceEntry);
    const Bytes data = {'n', 'e', 'w'};
    sink.Write(data.data(), data.size());
    sink.Commit();
    EXPECT_FALSE(fs::is_symlink(dir.path() / "image.png"));
    EXPECT_EQ(ReadFileBytes(dir.path() / "image.png"), data);
    EXPECT_EQ(ReadFileBytes(dir.path() / "target"), Bytes({'k', 'e', 'e', 'p'}));
}

// A save onto a device is written to it, never in its place; a socket is
// refused.
TEST(FileSink, DevicesAreWrittenNotReplaced) {
    if (!fs::is_character_file("/dev/null")) GTEST_SKIP() << "no /dev/null";
    TJwwData m = SmallDrawing();
    ASSERT_TRUE(m.FileOut(u"/dev/null", 700)) << m.LastError;
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    TempDir dir;
    const std::string path = (dir.path() / "s.jww").string();
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof addr.sun_path);
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
    EXPECT_FALSE(m.FileOut(dir / "s.jww", 700));
    EXPECT_NE(m.LastError.find("not a regular file"), std::string::npos) << m.LastError;
    EXPECT_TRUE(fs::is_socket(dir.path() / "s.jww"));
    ::close(fd);
}

}  // namespace
