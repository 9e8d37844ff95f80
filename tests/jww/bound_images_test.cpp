// Bound images: the section of 7.00 drawings (reading with and without
// extraction, hostile names and sizes, writing) and the operations on the
// extracted files.
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <optional>

#include "jw_test_bytes.h"
#include "jww/archive.h"
#include "model/jw_data.h"

namespace jw {
namespace {

namespace fs = std::filesystem;
using test::ByteBuilder;
using test::MakeAttr;

std::vector<uint8_t> Pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 5));
    return v;
}

struct Entry {
    Entry(std::string n, std::vector<uint8_t> d, std::optional<int32_t> stated = std::nullopt)
        : name(std::move(n)), data(std::move(d)), statedSize(stated) {}
    std::string name;
    std::vector<uint8_t> data;
    std::optional<int32_t> statedSize;  // default: the data's size
};

// A 7.00 drawing with no entities whose bound-image section holds `entries`.
std::vector<uint8_t> DrawingWithImages(const std::vector<Entry>& entries, int32_t statedCount = -1) {
    ByteBuilder b;
    b.Count(0).Count(0);
    b.I32(statedCount >= 0 ? statedCount : static_cast<int32_t>(entries.size()));
    for (const Entry& e : entries) {
        b.Str(e.name).I32(e.statedSize.value_or(static_cast<int32_t>(e.data.size())));
        b.Raw(e.data.data(), e.data.size());
    }
    return test::JwwFile(700, b);
}

std::vector<std::string> Listing(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir)) names.push_back(fs::relative(e.path(), dir).string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(BoundImagesTest, ExtractsEveryImageIntoTheFolder) {
    test::TempFolder t;
    t.File("a.png", {'o', 'l', 'd'});  // replaced by the extracted image
    const std::vector<Entry> entries = {
        {"a.png", Pattern(2048, 1)},    // exactly one block
        {"", {}},                       // no name: no data follows
        {"zero.bin", {}},               // size 0: no data follows
        {"b.bmp.gz", Pattern(2047, 2)}, // a remainder only
    };
    const std::vector<uint8_t> f = DrawingWithImages(entries);
    TJwwData m;
    m.BindImageFolder = t.Folder();
    m.BindImageExp = m.BindImageExr = true;
    ASSERT_TRUE(m.BufferIn(f.data(), f.size(), u"d.jww")) << m.LastError;
    EXPECT_EQ(m.ReadEnd, f.size());
    ASSERT_EQ(m.BindImageN, 4);
    EXPECT_EQ(m.BindImage[0].Fname, u"a.png");
    EXPECT_EQ(m.BindImage[0].Fsize, 2048);
    EXPECT_EQ(m.BindImage[2].Fname, u"zero.bin");
    EXPECT_EQ(m.BindImage[3].Fsize, 2047);
    EXPECT_FALSE(m.BindImage[0].exf);
    EXPECT_EQ(test::ReadFileBytes(t.path() / "a.png"), entries[0].data);
    EXPECT_EQ(test::ReadFileBytes(t.path() / "b.bmp.gz"), entries[3].data);
    EXPECT_EQ(Listing(t.path()), (std::vector<std::string>{"a.png", "b.bmp.gz"}));
}

TEST(BoundImagesTest, SwitchesDecideWhatIsRead) {
    const std::vector<Entry> entries = {{"a.png", Pattern(100, 1)}, {"b.png", Pattern(10, 2)}};
    const std::vector<uint8_t> f = DrawingWithImages(entries);
    struct Case {
        bool exp, exr;
        int32_t n;
        bool files;
    };
    for (const Case c : {Case{false, false, 0, false}, Case{false, true, 2, false}, Case{true, false, 2, true}}) {
        test::TempFolder t;
        TJwwData m;
        m.BindImageFolder = t.Folder();
        m.BindImageExp = c.exp;
        m.BindImageExr = c.exr;
        ASSERT_TRUE(m.BufferIn(f.data(), f.size(), u"d"));
        EXPECT_EQ(m.BindImageN, c.n);
        EXPECT_EQ(m.ReadEnd, c.n ? f.size() : f.size() - (4 + 6 + 4 + 100 + 6 + 4 + 10));
        EXPECT_EQ(Listing(t.path()).size(), c.files ? 2u : 0u);
        // A preview never reads the section.
        ASSERT_TRUE(m.BufferIn(f.data(), f.size(), u"d", 100));
        EXPECT_EQ(m.BindImageN, 0);
    }
}

TEST(BoundImagesTest, NamesThatLeaveTheFolderTouchNothing) {
    test::TempFolder t;
    const fs::path images = t.path() / "images";
    fs::create_directories(images);
    fs::create_directories(t.path() / "sub");
    t.File("victim.png", {'v'});
    const std::vector<Entry> entries = {
        {"../victim.png", Pattern(4, 1)}, {"..\\victim.png", Pattern(4, 2)}, {"sub/x.png", Pattern(4, 3)},
        {"C:x.png", Pattern(4, 4)},       {"..", Pattern(4, 5)},             {" . ", Pattern(4, 6)},
        {"/tmp/abs.png", Pattern(4, 7)},  {"ok.png", Pattern(9, 8)},
    };
    const std::vector<uint8_t> f = DrawingWithImages(entries);
    TJwwData m;
    m.BindImageFolder = t.Folder() + u"images/";
    m.BindImageExp = m.BindImageExr = true;
    ASSERT_TRUE(m.BufferIn(f.data(), f.size(), u"d")) << m.LastError;
    ASSERT_EQ(m.BindImageN, 8);  // every entry stays listed
    EXPECT_EQ(m.BindImage[0].Fname, u"../victim.png");
    EXPECT_EQ(test::ReadFileBytes(images / "ok.png"), entries[7].data);  // the data after them is in step
    const std::vector<std::string> before = {"images", "images/ok.png", "sub", "victim.png"};
    EXPECT_EQ(Listing(t.path()), before);
    EXPECT_FALSE(fs::exists("/tmp/abs.png"));

    // The file operations skip those names too.
    const fs::path copies = t.path() / "copies";
    fs::create_directories(copies);
    m.BindImageCopy(test::TempFolder::Utf16(copies.string()));
    m.BindImagePack();
    m.BindImageExplode();
    EXPECT_EQ(Listing(copies), (std::vector<std::string>{"ok.png"}));
    m.BindImageDeleteFile();
    m.BindImageDeleteGzFile();
    m.BindImageDeleteNonGzFile();
    EXPECT_EQ(test::ReadFileBytes(t.path() / "victim.png"), (std::vector<uint8_t>{'v'}));
    EXPECT_FALSE(fs::exists(images / "ok.png"));
}

// An image that cannot be extracted is named with the reason; the read and
// the other images go on.
TEST(BoundImagesTest, ImagesThatCannotBeExtractedAreNamed) {
    test::TempFolder t;
    fs::create_directories(t.path() / "taken.png");  // a folder stands where the image would go
    const std::vector<Entry> entries = {
        {"taken.png", Pattern(4, 1)}, {"../out.png", Pattern(4, 2)}, {"ok.png", Pattern(4, 3)}};
    const std::vector<uint8_t> f = DrawingWithImages(entries);
    TJwwData m;
    m.BindImageFolder = t.Folder();
    m.BindImageExp = m.BindImageExr = true;
    ASSERT_TRUE(m.BufferIn(f.data(), f.size(), u"d.jww")) << m.LastError;
    ASSERT_EQ(m.BindImageErrors.size(), 2u);
    EXPECT_TRUE(m.BindImageErrors[0].starts_with("bound image taken.png could not be extracted: cannot create "))
        << m.BindImageErrors[0];
    EXPECT_EQ(m.BindImageErrors[1], "bound image ../out.png could not be extracted: its name leaves the image folder");
    EXPECT_EQ(test::ReadFileBytes(t.path() / "ok.png"), entries[2].data);

    // Without a folder to extract into (a full or unwritable temporary
    // directory) every image is named with the reason the folder gave.
    TJwwData n;
    n.BindImageExp = n.BindImageExr = true;
    n.BindImageFolderMake = [](std::string& error) {
        error = "cannot create a temporary folder in /full: No space left on device";
        return JwString();
    };
    ASSERT_TRUE(n.BufferIn(f.data(), f.size(), u"d.jww")) << n.LastError;
    ASSERT_EQ(n.BindImageErrors.size(), 3u);
    EXPECT_EQ(n.BindImageErrors[2],
              "bound image ok.png could not be extracted: cannot create a temporary folder in /full: No space left on "
              "device");
    // A new read starts without them.
    const std::vector<uint8_t> none = DrawingWithImages({});
    ASSERT_TRUE(n.BufferIn(none.data(), none.size(), u"d.jww"));
    EXPECT_TRUE(n.BindImageErrors.empty());
}

// The folder for extracted images is asked for once, and only when an image
// has data to put in it.
TEST(BoundImagesTest, FolderIsMadeOnlyForAnImage) {
    test::TempFolder t;
    struct Case {
        const char* what;
        std::vector<Entry> entries;
        int made;
    };
    const Case cases[] = {
        {"no images", {}, 0},
        {"entries without data", {{"", {}}, {"zero.png", {}}}, 0},
        {"two images", {{"a.png", Pattern(3, 1)}, {"b.png", Pattern(3, 2)}}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<uint8_t> f = DrawingWithImages(c.entries);
        int made = 0;
        TJwwData m;
        m.BindImageExp = m.BindImageExr = true;
        m.BindImageFolderMake = [&](std::string&) {
            ++made;
            return t.Folder();
        };
        ASSERT_TRUE(m.BufferIn(f.data(), f.size(), u"d.jww")) << m.LastError;
        EXPECT_EQ(made, c.made);
        EXPECT_TRUE(m.BindImageErrors.empty());
    }
    EXPECT_EQ(Listing(t.path()), (std::vector<std::string>{"a.png", "b.png"}));
}

TEST(BoundImagesTest, DamagedSectionsEndTheRead) {
    struct Case {
        const char* what;
        std::vector<Entry> entries;
        int32_t count;
        int32_t kept;
    };
    const Case cases[] = {
        {"size beyond the end", {{"a.png", Pattern(8, 1)}, {"b.png", Pattern(8, 2), 100000}}, -1, 1},
        {"negative size", {{"a.png", Pattern(8, 1)}, {"b.png", {}, INT32_MIN}}, -1, 1},
        {"count beyond the end", {{"a.png", Pattern(8, 1)}}, INT32_MAX, 1},
        {"count one too many", {{"a.png", Pattern(8, 1)}}, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempFolder t;
        const std::vector<uint8_t> f = DrawingWithImages(c.entries, c.count);
        TJwwData m;
        m.BindImageFolder = t.Folder();
        m.BindImageExp = m.BindImageExr = true;
        EXPECT_FALSE(m.BufferIn(f.data(), f.size(), u"d"));
        EXPECT_EQ(m.LastError, kErrFileIO);
        EXPECT_EQ(m.BindImageN, c.kept);
        EXPECT_EQ(m.BindImage.size(), static_cast<size_t>(c.kept));
        EXPECT_EQ(Listing(t.path()), (std::vector<std::string>{"a.png"}));  // no partial file
    }
}

std::vector<uint8_t> Gunzip(const std::vector<uint8_t>& gz) {
    z_stream zs{};
    inflateInit2(&zs, 16 + MAX_WBITS);
    std::vector<uint8_t> out(1 << 20);
    zs.next_in = const_cast<uint8_t*>(gz.data());
    zs.avail_in = static_cast<uInt>(gz.size());
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    const int rc = inflate(&zs, Z_FINISH);
    out.resize(rc == Z_STREAM_END ? zs.total_out : 0);
    inflateEnd(&zs);
    return out;
}

TEST(BoundImagesTest, PackExplodeCopyDelete) {
    test::TempFolder t;
    const std::vector<uint8_t> data = Pattern(100000, 3);
    t.File("p.bin", data);
    t.File("bad.bin.gz", {0x1f, 0x8b, 0x08, 0, 0, 0, 0, 0, 2, 3, 'x', 'y'});  // not a gzip stream
    TJwwData m;
    m.BindImageFolder = t.Folder();
    m.BindImage = {{u"p.bin", 100000, false}, {u"bad.bin.gz", 12, false}, {u"gone.png", 5, false}};
    m.BindImageN = 3;

    m.BindImagePack();
    EXPECT_EQ(m.BindImage[0].Fname, u"p.bin.gz");
    EXPECT_EQ(m.BindImage[1].Fname, u"bad.bin.gz");
    EXPECT_EQ(m.BindImage[2].Fname, u"gone.png");  // no file: nothing to pack
    const std::vector<uint8_t> gz = test::ReadFileBytes(t.path() / "p.bin.gz");
    ASSERT_GT(gz.size(), 10u);
    EXPECT_EQ(gz[0], 0x1f);
    EXPECT_EQ(gz[1], 0x8b);
    EXPECT_EQ(gz[8], 2);  // XFL: compressed at the highest level
    EXPECT_EQ(Gunzip(gz), data);
    EXPECT_TRUE(fs::exists(t.path() / "p.bin"));  // the plain file stays

    m.BindImageDeleteNonGzFile();
    EXPECT_FALSE(fs::exists(t.path() / "p.bin"));
    EXPECT_TRUE(fs::exists(t.path() / "bad.bin.gz"));
    m.BindImageExplode();
    EXPECT_EQ(test::ReadFileBytes(t.path() / "p.bin"), data);
    EXPECT_FALSE(fs::exists(t.path() / "bad.bin"));  // a damaged stream leaves nothing

    const fs::path dst = t.path() / "out";
    fs::create_directories(dst);
    m.BindImageCopy(test::TempFolder::Utf16(dst.string()));  // separator added
    EXPECT_EQ(test::ReadFileBytes(dst / "p.bin"), data);

    m.BindImageDeleteGzFile();
    EXPECT_FALSE(fs::exists(t.path() / "p.bin.gz"));
    EXPECT_FALSE(fs::exists(t.path() / "bad.bin.gz"));
    EXPECT_TRUE(fs::exists(t.path() / "p.bin"));
    m.BindImage[0].Fname = u"p.bin";
    m.BindImageDeleteFile();
    EXPECT_FALSE(fs::exists(t.path() / "p.bin"));
}

TEST(BoundImagesTest, FigureFormsOnlyLookForFiles) {
    test::TempFolder t;
    t.File("q.bin", {1, 2, 3});
    t.File("q.bin.gz", {9});
    t.File("r.bin", {4});
    t.File("s.bin.gz", {5});
    TJwsData m;
    m.BindImageFolder = t.Folder();
    m.BindImage = {{u"q.bin", 3, false}, {u"r.bin", 1, false}, {u"s.bin.gz", 1, false}};
    m.BindImageN = 3;
    m.BindImagePack();
    m.BindImageExplode();
    EXPECT_EQ(m.BindImage[0].Fname, u"q.bin.gz");
    EXPECT_EQ(m.BindImage[1].Fname, u"r.bin");
    EXPECT_EQ(test::ReadFileBytes(t.path() / "q.bin.gz"), (std::vector<uint8_t>{9}));
    EXPECT_EQ(Listing(t.path()), (std::vector<std::string>{"q.bin", "q.bin.gz", "r.bin", "s.bin.gz"}));
}

// Exposes the section writer of the model.
struct SectionModel : TJwwData {
    using TJwEntities::WriteBindImageSection;
};

TEST(BoundImagesTest, WritesTheReferencedImages) {
    test::TempFolder t;
    const std::vector<uint8_t> a = Pattern(5000, 1), b = Pattern(2048, 2), c = Pattern(7, 3);
    t.File("a.png.gz", a);
    t.File("b.bmp", b);
    t.File("c.jpg", c);
    SectionModel m;
    m.BindImageFolder = t.Folder();
    m.BindImageExp = m.BindImageExr = true;
    m.BindImage = {{u"a.png.gz", 0, false}, {u"b.bmp", 0, false}, {u"c.jpg", 0, false}, {u"missing.png", 0, false}};
    m.BindImageN = 4;
    auto text = [](const char16_t* s) {
        TEntJwwMoji t;
        t.str = s;
        return t;
    };
    m.EntMoji = {text(u"^@BM%temp%A.PNG,0,0,10,10"), text(u"^@BM%temp%,1"), text(u"^@BM%temp%missing.png,1"),
                 text(u"^@BM%temp%c.jpg")};  // no comma: no reference
    m.EntMojiN = 4;
    m.EntNo = {{kEntMoji, 0}, {kEntMoji, 1}, {kEntMoji, 2}, {kEntMoji, 3}};
    m.EntBlockDef.resize(1);
    m.EntBlockDef[0].mMoji = {text(u"^@BM%temp%b.bmp,5")};
    m.EntBlockDef[0].mMojiN = 1;
    m.EntBlockDefN = 1;

    MemorySink sink;
    ArchiveWriter aw(sink);
    m.WriteBindImageSection(aw);
    EXPECT_TRUE(m.BindImage[0].exf);
    EXPECT_TRUE(m.BindImage[1].exf);
    EXPECT_FALSE(m.BindImage[2].exf);
    EXPECT_FALSE(m.BindImage[3].exf);  // referenced, but its file is gone

    ByteBuilder want;
    want.I32(2).Str("a.png.gz").I32(5000).Raw(a.data(), a.size()).Str("b.bmp").I32(2048).Raw(b.data(), b.size());
    EXPECT_EQ(sink.Take(), want.bytes);

    // A text names an image exactly: that one is written, even when an
    // earlier name begins with it.
    m.BindImage = {{u"b.bmp.bak", 0, false}, {u"b.bmp", 0, false}};
    m.BindImageN = 2;
    t.File("b.bmp.bak", c);
    MemorySink exact;
    ArchiveWriter xw(exact);
    m.WriteBindImageSection(xw);
    EXPECT_FALSE(m.BindImage[0].exf);
    EXPECT_TRUE(m.BindImage[1].exf);
    ByteBuilder wantExact;
    wantExact.I32(1).Str("b.bmp").I32(2048).Raw(b.data(), b.size());
    EXPECT_EQ(exact.Take(), wantExact.bytes);

    // Both switches off: only the count 0.
    m.BindImageExp = m.BindImageExr = false;
    MemorySink empty;
    ArchiveWriter ew(empty);
    m.WriteBindImageSection(ew);
    EXPECT_EQ(empty.Take(), (std::vector<uint8_t>{0, 0, 0, 0}));
    EXPECT_FALSE(m.BindImage[0].exf);
}

}  // namespace
}  // namespace jw
