// The pictures of a drawing as the back ends get them: each file read and
// decoded once at the size it is drawn at, what is kept within a budget, and
// a file that cannot be shown tried once and named.
#include <QImage>

#include <zlib.h>

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "common/qt_app.h"
#include "common/test_files.h"
#include "image_store.h"
#include "support/text_encoding.h"

namespace {

using namespace jw;
namespace fs = std::filesystem;


class ImageStore : public ::testing::Test {
protected:
    void SetUp() override { jw::test::EnsureGuiApp(); }
    // A picture file of w x h pixels; answers its path.
    JwString Picture(const char* name, int w, int h) {
        QImage im(w, h, QImage::Format_RGB32);
        im.fill(Qt::darkCyan);
        const fs::path p = dir.path() / name;
        EXPECT_TRUE(im.save(QString::fromStdString(p.string())));
        return FromUtf8(p.string());
    }
    jw::test::TempDir dir;
};

// Asked again at the size it has or smaller, a picture is not decoded again;
// larger, it is (never beyond its own size).
TEST_F(ImageStore, DecodedOnceAtTheSizeDrawn) {
    TJwImageStore store;
    const JwString pic = Picture("a.png", 800, 400);
    std::string error;
    EXPECT_EQ(store.Get(pic, QSize(100, 50), error).size(), QSize(100, 50));
    EXPECT_EQ(store.Get(pic, QSize(100, 50), error).size(), QSize(100, 50));
    EXPECT_EQ(store.Get(pic, QSize(40, 20), error).size(), QSize(100, 50));
    EXPECT_EQ(store.Decodes(), 1u);
    EXPECT_EQ(store.Get(pic, QSize(400, 200), error).size(), QSize(400, 200));
    EXPECT_EQ(store.Get(pic, QSize(4000, 2000), error).size(), QSize(800, 400));
    EXPECT_EQ(store.Get(pic, QSize(), error).size(), QSize(800, 400));
    EXPECT_EQ(store.Decodes(), 3u);
    EXPECT_EQ(store.Held(), size_t(800) * 400 * 4);
}

// What is kept stays within the budget, the least recently used going
// first; the picture just given always stays.
TEST_F(ImageStore, KeepsWithinItsBudget) {
    const size_t one = size_t(200) * 200 * 4;
    TJwImageStore store(2 * one + one / 2);
    std::string error;
    const JwString a = Picture("a.png", 200, 200), b = Picture("b.png", 200, 200), c = Picture("c.png", 200, 200);
    store.Get(a, QSize(), error);
    store.Get(b, QSize(), error);
    store.Get(a, QSize(), error);  // a used last: b goes first
    store.Get(c, QSize(), error);
    EXPECT_EQ(store.Held(), 2 * one);
    EXPECT_EQ(store.Decodes(), 3u);
    store.Get(a, QSize(), error);
    EXPECT_EQ(store.Decodes(), 3u);
    store.Get(b, QSize(), error);
    EXPECT_EQ(store.Decodes(), 4u);
    TJwImageStore tiny(1);
    EXPECT_FALSE(tiny.Get(a, QSize(), error).isNull());
}

// A file that cannot be shown is named with the reason, once, and not read
// again: missing, no picture, undecodable, or a gzip file that would unpack
// beyond the limit.
TEST_F(ImageStore, FilesThatCannotBeShown) {
    dir.Write("text.png", "not a picture at all");
    dir.Write("cut.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x10\0\0\0\x10\0\x08\x02\0\0\0", 29));
    {
        gzFile f = gzopen((dir.path() / "bomb.png.gz").c_str(), "wb9");
        const std::string zeros(1 << 20, '\0');
        gzwrite(f, "\x89PNG", 4);
        for (int i = 0; i < 3; ++i) gzwrite(f, zeros.data(), static_cast<unsigned>(zeros.size()));
        gzclose(f);
    }
    TJwImageStore store(size_t(64) << 20, size_t(2) << 20);
    struct Case {
        const char* name;
        const char* why;
    };
    for (const Case& c : {Case{"missing.png", "no such file"}, Case{"text.png", "not a PNG, JPEG, GIF or BMP picture"},
                          Case{"cut.png", "cannot be decoded"}, Case{"bomb.png.gz", "larger than 2 MiB"}}) {
        SCOPED_TRACE(c.name);
        const JwString path = FromUtf8((dir.path() / c.name).string());
        std::string error;
        EXPECT_TRUE(store.Get(path, QSize(10, 10), error).isNull());
        EXPECT_NE(error.find(c.why), std::string::npos) << error;
        const size_t decodes = store.Decodes();
        EXPECT_TRUE(store.Get(path, QSize(10, 10), error).isNull());
        EXPECT_EQ(store.Decodes(), decodes);
    }
    const std::vector<std::string> failures = store.Failures();
    ASSERT_EQ(failures.size(), 4u);
    EXPECT_EQ(failures[1], (dir.path() / "text.png").string() + ": not a PNG, JPEG, GIF or BMP picture");
}

// Several threads (the bands of a picture) asking for the same pictures at
// once all get them.
TEST_F(ImageStore, SharedByThreads) {
    TJwImageStore store;
    const JwString a = Picture("a.png", 300, 300), b = Picture("b.png", 300, 100);
    std::vector<std::thread> threads;
    std::vector<int> got(8, 0);
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            std::string error;
            for (int k = 0; k < 20; ++k)
                got[t] += !store.Get(k % 2 ? a : b, QSize(30 + t * 10, 30 + t * 10), error).isNull();
        });
    for (std::thread& t : threads) t.join();
    for (int n : got) EXPECT_EQ(n, 20);
    EXPECT_TRUE(store.Failures().empty());
}

}  // namespace
