// Drawings built to crash, hang or exhaust the renderer, each written by the
// writer and read back as a file from a stranger would be: whatever they hold,
// a picture ends with everything that can be drawn, what cannot is left out
// and counted, and a picture that cannot be made complete is not written.
#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <sys/resource.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "common/qt_app.h"
#include "common/test_files.h"
#include "image_store.h"
#include "model/jw_data.h"
#include "qt_canvas.h"
#include "render/display_list.h"
#include "render/renderer.h"
#include "render_file.h"
#include "support/text_encoding.h"

namespace fs = std::filesystem;
using namespace jw;
using jw::test::TempDir;

namespace {


JwString U(const fs::path& p) { return FromUtf8(p.string()); }

// A drawing on A4 (Jw_cad's origin at the paper's centre), written to a file
// and read back before it is drawn.
class Hostile : public ::testing::Test {
protected:
    void SetUp() override {
        jw::test::EnsureGuiApp();
        d.DataDefaultSet();
        d.Enthd.nZumen = 4;
        ASSERT_TRUE(d.AddEntPre());
    }
    // The drawing as a reader finds it in its file.
    TJwwData& ReadBack() {
        EXPECT_TRUE(d.AddEntPost());
        const fs::path file = dir.path() / "hostile.jww";
        EXPECT_TRUE(d.FileOut(U(file), 700)) << d.LastError;
        back.BindImageFolder = U(dir.path()) + u"/";
        EXPECT_TRUE(back.FileIn(U(file))) << back.LastError;
        return back;
    }
    // The drawing read back, drawn at pxPerMm onto a picture of its paper.
    QImage Draw(double pxPerMm = 2, TJwDrawOptions o = {}) {
        const TJwwData& dwg = ReadBack();
        TJwPictureRequest r;
        r.dpi = pxPerMm * 25.4;
        r.draw = o;
        const TJwDrawPlan plan(dwg, o);
        return JwRenderImage([&](TJwCanvas& c) { report = plan.Draw(c); }, JwPaperBox(dwg), r)
            .convertToFormat(QImage::Format_RGB32);
    }
    // A block definition (numbered in order of creation) holding ten
    // copies of definition `inner`.
    int32_t TenOf(int32_t inner) {
        const int32_t def = d.EntBlockDefN;
        EXPECT_TRUE(d.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"ten" + FromUtf8(std::to_string(def))));
        for (int k = 0; k < 10; ++k) EXPECT_TRUE(d.AddBlkBlock(def, 0, 0, 0, 1, 1, 0, 0, inner, 0, 0, 1, 1, 0));
        return def;
    }

    TempDir dir;
    TJwwData d, back;
    TJwDrawReport report;
};

// Texts whose glyphs no font engine can draw: a text a kilometre high with
// a spacing of 1e300 lies beyond reach and is left out; a 5 mm text inserted
// 1e-10 wide and 1e4 high is drawn as its outline box, as is one 100 m
// high. None reaches the font engine.
TEST_F(Hostile, TextsBeyondAnyGlyphSize) {
    ASSERT_TRUE(d.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 0, -100, 0, 1e6, 1e6, 1e300, 0, u"ＭＳ ゴシック", u"巨大な文字"));
    ASSERT_TRUE(d.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"thin"));
    ASSERT_TRUE(d.AddBlkMoji(0, 0, 0, 0, 2, 1, 0, 0, 0, 0, 0, 5, 5, 0, 0, u"ＭＳ ゴシック", u"細い文字"));
    ASSERT_TRUE(d.AddEntBlock(0, 0, 0, 2, 1, 0, 0, 0, 50, -50, 1e-10, 1e4, 0));
    ASSERT_TRUE(d.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 0, -140, -100, 1e5, 1e5, 0, 0, u"ＭＳ ゴシック", u"A"));
    const QImage im = Draw(2);
    ASSERT_FALSE(im.isNull());
    EXPECT_EQ(report.unusable, 1u);
    // The thin text's outline: a dark column at x = 50 mm up from y = -50.
    const int col = static_cast<int>((50 + 148.5) * 2);
    int dark = 0;
    for (int y = 0; y < static_cast<int>((105 + 50) * 2) - 2; ++y) dark += qGray(im.pixel(col, y)) < 128 || qGray(im.pixel(col - 1, y)) < 128;
    EXPECT_GT(dark, 250);
    // The tall text's outline reaches up from its corner at x = -140 mm.
    EXPECT_LT(qGray(im.pixel(static_cast<int>((-140 + 148.5) * 2), 20)), 128);
}

// A solid with one corner that is not a number is left out at once (the
// polygon filler once spun on it for minutes); the rest is drawn.
TEST_F(Hostile, SolidWithACornerThatIsNoNumber) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    ASSERT_TRUE(d.AddEntSolid(0, 0, 0, 2, 1, 0, 0, 0, -100, -50, nan, -50, 100, 50, -100, 50));
    ASSERT_TRUE(d.AddEntSolid(0, 0, 0, 2, 1, 0, 0, 0, 10, 10, 20, 10, 20, 20, 10, 20));
    ASSERT_TRUE(d.AddEntLine(0, 0, 0, 2, 1, 0, 0, -1e9, 0, 1e9, 0));  // reaches far out: clipped
    const QImage im = Draw(2);
    EXPECT_EQ(report.unusable, 1u);
    EXPECT_EQ(report.drawn, 2u);
    EXPECT_LT(qGray(im.pixel(static_cast<int>(163.5 * 2), static_cast<int>(90 * 2))), 128);  // the good solid
    EXPECT_LT(qGray(im.pixel(10, 210)), 128);  // the line across the sheet
}

// Blocks inserted into one another ten times over: a thousand or a hundred
// thousand copies of page-covering solids cost what the drawing's size
// allows, then the drawing stops with the count of what it left out. A few
// page-covering solids of a real drawing are drawn whole.
TEST_F(Hostile, NestedCopiesStopAtTheBudget) {
    struct Case {
        int levels;
        bool exhausted;
    };
    for (const Case c : {Case{0, false}, Case{3, true}, Case{5, true}}) {
        SCOPED_TRACE(c.levels);
        d = TJwwData();
        SetUp();
        ASSERT_TRUE(d.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"sheet"));
        ASSERT_TRUE(d.AddBlkSolid(0, 0, 0, 0, 2, 1, 0, 0, 0, -148, -104, -148, 104, 148, -104, 148, 104));
        int32_t top = 0;
        for (int l = 0; l < c.levels; ++l) top = TenOf(top);
        ASSERT_TRUE(d.AddEntBlock(0, 0, 0, 2, 1, 0, 0, top, 0, 0, 1, 1, 0));
        ASSERT_TRUE(d.AddEntLine(0, 0, 0, 2, 1, 0, 0, -10, 0, 10, 0));
        Draw(1);
        EXPECT_EQ(report.Exhausted(), c.exhausted);
        EXPECT_EQ(report.entities, 2u);
        EXPECT_EQ(report.entitiesLeftOut, c.exhausted ? 2u : 0u);  // the insert cut short, the line after it
        EXPECT_LE(report.drawn, 100u);
    }
}

// Ten million arc-shaped solids in a few definitions: the recording of the
// window stays within the budget's size instead of gigabytes.
TEST_F(Hostile, TenMillionArcSolidsRecordABoundedList) {
    ASSERT_TRUE(d.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1, u"arc"));
    ASSERT_TRUE(d.AddBlkSolidA(0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 5, 1, 0));
    int32_t top = 0;
    for (int l = 0; l < 7; ++l) top = TenOf(top);
    ASSERT_TRUE(d.AddEntBlock(0, 0, 0, 2, 1, 0, 0, top, 0, 0, 1, 1, 0));
    const TJwwData& dwg = ReadBack();
    TJwDisplayList list;
    report = dwg.GLDrawALL(list, {});
    list.Finish();
    EXPECT_TRUE(report.Exhausted());
    EXPECT_LT(list.Size(), 100'000u);
}

// A window zoomed in a hundred thousand times onto a dashed circle of a
// kilometre and a wide solid: the painter gets only what is on its device,
// the circle solid (its dashes would take Qt's dasher forever), and the
// picture is painted.
TEST(HostileCanvas, FiguresFarBeyondTheDeviceAreCutToIt) {
    jw::test::EnsureGuiApp();
    QImage im(40, 40, QImage::Format_RGB32);
    im.fill(Qt::white);
    {
        QPainter p(&im);
        const double s = 1e5;  // pixels a mm: the device shows 0.4 micrometres
        TJwQtCanvas canvas(p, QTransform(s, 0, 0, -s, 0, 40), 1.0);
        const double dash[] = {1, -1};
        // A circle of radius 1e6 mm (a hairline) through the device's middle.
        canvas.Arc(TJwPen{0xFF000000u, 0, dash}, TJwArc{TJwAffine{1e6, 0, 0, 1e6, 2e-4 - 1e6, 2e-4}, 0, 0, true});
        // A band of solid across everything.
        const TJwPoint band[] = {{-1e6, 0.5e-4}, {1e6, 0.5e-4}, {1e6, 0.6e-4}, {-1e6, 0.6e-4}};
        canvas.FillPolygon(0xFF0000FFu, band);
    }
    // The circle: a line down the middle.
    for (int y = 2; y < 38; y += 5)
        EXPECT_LT(std::min({qGray(im.pixel(19, y)), qGray(im.pixel(20, y)), qGray(im.pixel(21, y))}), 128) << y;
    EXPECT_EQ(im.pixel(24, 20), 0xFFFFFFFFu);
    EXPECT_EQ(im.pixel(5, 34), 0xFF0000FFu);  // the band
    EXPECT_EQ(im.pixel(5, 5), 0xFFFFFFFFu);

    // A circle whose radius (10^25 pixels) is beyond what its angle can
    // resolve, drawn with a pen as wide, touching the device: laid out in a
    // few chords instead of without end, and covering the device.
    {
        QPainter p(&im);
        TJwQtCanvas canvas(p, QTransform(1e5, 0, 0, -1e5, 0, 40), 1.0);
        const double dash[] = {1, -1};
        canvas.Arc(TJwPen{0xFF00FF00u, 1e20, dash}, TJwArc{TJwAffine{1e20, 0, 0, 1e20, 0, -1e20}, 0, 0, true});
    }
    EXPECT_EQ(im.pixel(20, 20), 0xFF00FF00u);
}

// Writes a picture file of w x h pixels of one colour (gzip-compressed when
// gz: bound images may be), answering its size in bytes.
size_t WritePicture(const fs::path& file, int w, int h, bool gz) {
    QImage im(w, h, QImage::Format_Grayscale8);
    im.fill(80);
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        im.save(&buffer, "PNG");
    }
    if (!gz) {
        jw::test::WriteFileBytes(file, std::vector<uint8_t>(bytes.begin(), bytes.end()));
        return static_cast<size_t>(bytes.size());
    }
    gzFile f = gzopen(file.c_str(), "wb9");
    gzwrite(f, bytes.constData(), static_cast<unsigned>(bytes.size()));
    gzclose(f);
    return static_cast<size_t>(fs::file_size(file));
}

// Forty bound pictures of 2000 x 2000 pixels in a few hundred bytes each:
// every one is drawn, each decoded at the size it is drawn at, so that what
// is kept is a few kilobytes instead of gigabytes.
TEST_F(Hostile, TinyFilesOfHugePicturesAreDecodedAtTheirDrawnSize) {
    for (int i = 0; i < 40; ++i) {
        const std::string name = "big" + std::to_string(i) + ".png";
        EXPECT_LT(WritePicture(dir.path() / name, 2000, 2000, true), 1000u);
        const double x = -140 + (i % 10) * 28, y = -90 + (i / 10) * 45;
        ASSERT_TRUE(d.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 0, x, y, 2, 2, 0, 0, u"",
                                 u"^@BM%temp%" + FromUtf8(name) + u",20,20,0,0,1,0"));
    }
    const TJwwData& dwg = ReadBack();
    QImage im(594, 420, QImage::Format_RGB32);
    im.fill(Qt::white);
    TJwImageStore images;
    {
        QPainter p(&im);
        TJwQtCanvas canvas(p, QTransform(2, 0, 0, -2, 0, 420), 1.0, &images);
        report = dwg.GLDrawALL(canvas, {});
    }
    EXPECT_TRUE(images.Failures().empty());
    EXPECT_LT(images.Held(), size_t(1) << 20);
    for (int i = 0; i < 40; ++i) {
        const double x = -140 + (i % 10) * 28 + 10, y = -90 + (i / 10) * 45 + 10;
        EXPECT_EQ(qGray(im.pixel(static_cast<int>((x + 148.5) * 2), static_cast<int>((105 - y) * 2))), 80) << i;
    }
}

// A picture whose bytes begin as a PNG but cannot be decoded: the picture
// file is not written, the error names the image, and what was there stays.
TEST_F(Hostile, AnImageThatCannotBeDecodedFailsThePicture) {
    std::string png = "\x89PNG\r\n\x1a\n";
    png += std::string("\0\0\0\rIHDR\0\0\0\x10\0\0\0\x10\x08\x02\0\0\0", 21) + std::string(64, '\x07');
    dir.Write("broken.png", png);
    ASSERT_TRUE(d.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 0, 0, 0, 2, 2, 0, 0, u"", u"^@BM%temp%broken.png,20"));
    const TJwwData& dwg = ReadBack();
    const TJwDrawPlan plan(dwg, {});
    for (const char* ext : {".png", ".svg", ".pdf"}) {
        SCOPED_TRACE(ext);
        const fs::path out = dir.Write(std::string("out") + ext, "old");
        TJwPictureRequest r;
        JwPictureFormatOf(QString::fromLatin1(ext), r.format);
        r.dpi = 20;
        std::string error;
        EXPECT_FALSE(JwRenderFile([&](TJwCanvas& c) { plan.Draw(c); }, JwPaperBox(dwg), r,
                                  QString::fromStdString(out.string()), error));
        EXPECT_NE(error.find("image " + (dir.path() / "broken.png").string() + ": cannot be decoded"), std::string::npos)
            << error;
        EXPECT_EQ(jw::test::ReadFileString(out), "old");
    }
}

// A disk that fills up under any of the three formats: the error says so,
// and the file that was there stays as it was.
TEST_F(Hostile, AFullDiskKeepsTheOldPicture) {
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(d.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 0, -140, -100 + i * 0.6, 3, 3, 0, 0, u"ＭＳ ゴシック",
                                 u"満杯のディスクに書く文字 " + FromUtf8(std::to_string(i))));
    const TJwwData& dwg = ReadBack();
    const TJwDrawPlan plan(dwg, {});
    std::signal(SIGXFSZ, SIG_IGN);
    for (const char* ext : {".png", ".svg", ".pdf"}) {
        SCOPED_TRACE(ext);
        const fs::path out = dir.Write(std::string("full") + ext, "old");
        TJwPictureRequest r;
        JwPictureFormatOf(QString::fromLatin1(ext), r.format);
        std::string error;
        rlimit old{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
        rlimit small = old;
        small.rlim_cur = 20000;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool ok = JwRenderFile([&](TJwCanvas& c) { plan.Draw(c); }, JwPaperBox(dwg), r,
                                     QString::fromStdString(out.string()), error);
        setrlimit(RLIMIT_FSIZE, &old);
        EXPECT_FALSE(ok);
        EXPECT_NE(error.find("File too large"), std::string::npos) << error;
        EXPECT_EQ(jw::test::ReadFileString(out), "old");
        // No temporary file is left behind.
        for (const fs::directory_entry& e : fs::directory_iterator(dir.path()))
            EXPECT_TRUE(e.path().filename() == "hostile.jww" || e.path().stem() == "full") << e.path();
    }
}

}  // namespace
