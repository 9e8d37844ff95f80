// A file read from front to back through a window that moves on: its bytes
// at their offsets across many windows, a window that grows for a long run
// of bytes, and a file that gets shorter while it is read ending where it
// ended.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/test_files.h"
#include "support/file_io.h"
#include "support/text_encoding.h"

namespace {

using jw::SequentialFile;
namespace fs = std::filesystem;

uint8_t ByteAt(size_t i) { return static_cast<uint8_t>((i * 2654435761u) >> 13); }

// A file of n bytes of a pattern that differs from window to window.
fs::path PatternFile(const jw::test::TempDir& dir, size_t n) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) bytes[i] = ByteAt(i);
    const fs::path p = dir.path() / "pattern.bin";
    jw::test::WriteFileBytes(p, bytes);
    return p;
}

// Whether the n bytes at p are those of the file from offset pos on.
bool Matches(const uint8_t* p, size_t pos, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (p[i] != ByteAt(pos + i)) return false;
    return true;
}

TEST(SequentialFile, BytesStandAtTheirOffsetsAcrossWindows) {
    jw::test::TempDir dir;
    const size_t n = (size_t{9} << 20) + 12345;
    SequentialFile f;
    std::string err;
    ASSERT_TRUE(f.Open(jw::FromUtf8(PatternFile(dir, n).string()), err)) << err;
    ASSERT_EQ(f.Size(), n);
    // Steps short and long, runs within a window and across its end, and one
    // run longer than any window so far.
    size_t pos = 0;
    for (size_t step : {size_t{1}, size_t{100}, size_t{77777}, size_t{300000}, size_t{5} << 20, size_t{123}}) {
        for (size_t k = 0; k < 20 && pos < n; ++k) {
            const size_t want = std::min(step, n - pos);
            size_t avail = 0;
            const uint8_t* p = f.Window(pos, want, avail);
            ASSERT_GE(avail, want) << pos;
            ASSERT_TRUE(Matches(p, pos, want)) << pos;
            pos += want;
        }
    }
    size_t avail = 1;
    const uint8_t* p = f.Window(n - 10, 20, avail);
    EXPECT_EQ(avail, 10u);
    EXPECT_TRUE(Matches(p, n - 10, avail));
    f.Window(n, 1, avail);
    EXPECT_EQ(avail, 0u);
}

TEST(SequentialFile, AFileThatGetsShorterEndsWhereItEnded) {
    jw::test::TempDir dir;
    const fs::path p = PatternFile(dir, size_t{6} << 20);
    SequentialFile f;
    std::string err;
    ASSERT_TRUE(f.Open(jw::FromUtf8(p.string()), err));
    size_t avail = 0;
    f.Window(0, 100, avail);
    ASSERT_GE(avail, 100u);
    const size_t shorter = (size_t{5} << 19) + 3;  // 2.5 MiB and 3 bytes
    fs::resize_file(p, shorter);
    const uint8_t* at = f.Window(shorter - 50, size_t{1} << 20, avail);
    EXPECT_EQ(avail, 50u);
    EXPECT_TRUE(Matches(at, shorter - 50, avail));
    EXPECT_EQ(f.Size(), shorter);
}

TEST(SequentialFile, EmptyMissingAndOtherFiles) {
    jw::test::TempDir dir;
    const fs::path empty = dir.path() / "empty";
    jw::test::WriteFileBytes(empty, {});
    SequentialFile f;
    std::string err;
    ASSERT_TRUE(f.Open(jw::FromUtf8(empty.string()), err));
    EXPECT_EQ(f.Size(), 0u);
    size_t avail = 1;
    f.Window(0, 1, avail);
    EXPECT_EQ(avail, 0u);
    for (const fs::path& p : {dir.path() / "missing", dir.path()}) {
        EXPECT_FALSE(f.Open(jw::FromUtf8(p.string()), err)) << p;
        EXPECT_EQ(err, jw::kErrFileIO);
    }
}

}  // namespace
