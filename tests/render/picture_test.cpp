// Pictures as the render command writes them: painted in bands on several
// threads (the same picture whatever the threads and whichever way it is
// painted), filled to every edge and carrying their resolution; the printed
// sheet's look against the screen's; small text; linked pictures; the
// limits of a raster picture.
#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "common/qt_app.h"
#include "attributes/gra_attribute.h"
#include "common/test_files.h"
#include "model/jw_data.h"
#include "png_writer.h"
#include "qt_canvas.h"
#include "render/renderer.h"
#include "render_file.h"
#include "support/text_encoding.h"

namespace fs = std::filesystem;
using namespace jw;

namespace {


constexpr uint32_t kWhite = 0xFFFFFFFFu;

class Picture : public ::testing::Test {
protected:
    void SetUp() override {
        jw::test::EnsureGuiApp();
        d.DataDefaultSet();
        d.Enthd.nZumen = 4;  // A4, 297 x 210 mm, Jw_cad's origin at its centre
        ASSERT_TRUE(d.AddEntPre());
    }
    // Writes the drawing as a picture file; answers it read back.
    void Post() {
        if (!posted) {
            EXPECT_TRUE(d.AddEntPost());
        }
        posted = true;
    }
    QImage Write(const char* name, TJwPictureRequest r) {
        Post();
        const TJwDrawPlan plan(d, r.draw);
        const QString path = QString::fromStdString((dir.path() / name).string());
        std::string error;
        EXPECT_TRUE(JwRenderFile([&](TJwCanvas& c) { report = plan.Draw(c); }, JwPaperBox(d), r, path, error))
            << error;
        return QImage(path).convertToFormat(QImage::Format_RGB32);
    }
    // The picture drawn in one piece.
    QImage Whole(const TJwPictureRequest& r) {
        Post();
        const TJwDrawPlan plan(d, r.draw);
        return JwRenderImage([&](TJwCanvas& c) { plan.Draw(c); }, JwPaperBox(d), r).convertToFormat(QImage::Format_RGB32);
    }
    // The pixel at Jw_cad point (x, y) of an A4 picture of s pixels a mm.
    static uint32_t At(const QImage& im, double s, double x, double y) {
        return im.pixel(static_cast<int>((x + 148.5) * s), static_cast<int>((105 - y) * s)) | 0xFF000000u;
    }

    jw::test::TempDir dir;
    TJwwData d;
    TJwDrawReport report;
    bool posted = false;
};

// Lines, arcs, texts and solids across the whole sheet, many of them crossing
// the edges of bands.
void FillSheet(TJwwData& d) {
    for (int i = 0; i < 40; ++i) {
        const double t = i / 40.0;
        ASSERT_TRUE(d.AddEntLine(0, 0, 0, 1 + i % 8, 1 + i % 4, 0, 0, -140 + 7 * i, -100, 140 - 3 * i, 100));
        ASSERT_TRUE(d.AddEntArc(0, 0, 0, 2, 1, 0, 0, -100 + 5 * i, -80 + 4 * i, 10 + 30 * t, 1, 0, 270, 10 * i));
        ASSERT_TRUE(d.AddEntMoji(0, 0, 0, 1 + i % 5, 1, 0, 0, 0, -140, -100 + 5 * i, 4, 4, 0.5, 3 * i,
                                 u"ＭＳ ゴシック", u"帯をまたぐ文字 Band " + FromUtf8(std::to_string(i))));
    }
    ASSERT_TRUE(d.AddEntSolid(0, 0, 0, 3, 1, 0, 0, 0, 20, -60, 120, -60, 120, 60, 20, 60));
}

// The bands do not depend on the threads, nor on the way they are painted
// (the drawing drawn by every thread, or recorded once and replayed band by
// band): the same bytes every time. Against a picture painted in one piece,
// only thin lines that cross the edges of bands come out shaded a little
// differently (the painter clips them at the band's edge).
TEST_F(Picture, TheSameWhateverTheThreadsAndTheWayOfPainting) {
    FillSheet(d);
    TJwPictureRequest r;
    r.dpi = 200;
    r.threads = 1;
    const QImage one = Write("one.png", r);
    ASSERT_EQ(one.size(), QSize(2339, 1654));
    const auto bytes = jw::test::ReadFileBytes(dir.path() / "one.png");
    for (unsigned threads : {2u, 3u}) {
        r.threads = threads;
        r.directPixels = 64e6;
        Write("many.png", r);
        EXPECT_EQ(jw::test::ReadFileBytes(dir.path() / "many.png"), bytes) << threads << " threads";
        r.directPixels = 0;  // recorded and replayed band by band
        Write("strips.png", r);
        EXPECT_EQ(jw::test::ReadFileBytes(dir.path() / "strips.png"), bytes) << threads << " threads, strips";
    }
    const QImage whole = Whole(r);
    int dark = 0, differ = 0, most = 0;
    for (int y = 0; y < one.height(); ++y)
        for (int x = 0; x < one.width(); ++x) {
            const QRgb a = one.pixel(x, y), b = whole.pixel(x, y);
            dark += qGray(b) < 200;
            const int diff = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                       std::abs(qBlue(a) - qBlue(b))});
            differ += diff > 0;
            most = std::max(most, diff);
        }
    EXPECT_GT(dark, 20000);
    EXPECT_LT(differ, dark / 20);
    // A hairline's end pixels may differ by a quarter of the scale where
    // the band's clip starts it afresh.
    EXPECT_LE(most, 64);
}

// A picture of the paper leaves out what lies beside it before drawing it:
// the same picture, fewer figures drawn. Texts with variables, which may
// grow when expanded, are always drawn.
TEST_F(Picture, WhatLiesBesideThePaperIsNotDrawn) {
    FillSheet(d);
    for (int i = 0; i < 200; ++i) {
        const double x = 160 + 3 * i;  // beyond the right edge (148.5 mm from the centre)
        ASSERT_TRUE(d.AddEntLine(0, 0, 0, 2, 1, 0, 0, x, -50, x + 5, 50));
        ASSERT_TRUE(d.AddEntArc(0, 0, 0, 2, 1, 0, 0, x, 0, 4, 1, 0, 360, 0));
        ASSERT_TRUE(d.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 0, x, 20, 4, 4, 0, 0, u"ＭＳ ゴシック", u"beside"));
    }
    // Just beyond the edge, but its glyphs reach onto the paper.
    ASSERT_TRUE(d.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 0, 149.5, 0, 8, 8, 0, 90, u"ＭＳ ゴシック", u"端"));
    ASSERT_TRUE(d.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 0, 400, 0, 8, 8, 0, 0, u"ＭＳ ゴシック", u"%f"));
    TJwPictureRequest r;
    r.dpi = 100;
    Write("all.png", r);
    const TJwDrawReport all = report;
    r.draw.area = JwPaperBox(d);
    Write("paper.png", r);
    EXPECT_EQ(jw::test::ReadFileBytes(dir.path() / "paper.png"), jw::test::ReadFileBytes(dir.path() / "all.png"));
    EXPECT_GT(all.drawn - report.drawn, 590u);  // of 600 (one text lies within the margin kept)
}

// Every pixel of a picture is painted, however the paper's width falls on
// the pixels, and the file says how many dots an inch it has.
TEST_F(Picture, FilledToEveryEdgeAndCarryingItsResolution) {
    for (double dpi : {100.0, 37.3, 300.0}) {
        SCOPED_TRACE(dpi);
        TJwPictureRequest r;
        r.dpi = dpi;
        const QImage im = Write("edge.png", r);
        ASSERT_FALSE(im.isNull());
        for (int x = 0; x < im.width(); ++x) ASSERT_EQ(im.pixel(x, im.height() - 1), kWhite) << x;
        for (int y = 0; y < im.height(); ++y) ASSERT_EQ(im.pixel(im.width() - 1, y), kWhite) << y;
        EXPECT_NEAR(im.dotsPerMeterX() * 0.0254, dpi, 0.02);
        EXPECT_NEAR(im.dotsPerMeterY() * 0.0254, dpi, 0.02);
    }
}

// The paper lies on whole pixels: a solid over the whole of an A3 sheet
// (420 mm, 1653.5 pixels at 100 dpi) paints the last column and row fully,
// not half.
TEST_F(Picture, ThePaperCoversItsPixelsExactly) {
    d.Enthd.nZumen = 3;  // A3, 420 x 297 mm
    ASSERT_TRUE(d.AddEntSolid(0, 0, 0, 10, 1, 0, 0, 0x0000FF, -210, -148.5, -210, 148.5, 210, -148.5, 210, 148.5));
    TJwPictureRequest r;
    r.dpi = 100;
    const QImage im = Write("a3.png", r);
    ASSERT_EQ(im.size(), QSize(1654, 1169));
    const QRgb fill = im.pixel(im.width() / 2, im.height() / 2);
    ASSERT_NE(fill, kWhite);
    for (int x = 0; x < im.width(); ++x) ASSERT_EQ(im.pixel(x, im.height() - 1), fill) << x;
    for (int y = 0; y < im.height(); ++y) ASSERT_EQ(im.pixel(im.width() - 1, y), fill) << y;
}

// A text too small to read shows as grey strokes where its characters are:
// never as a solid bar of its colour, and with the gap of its space.
TEST_F(Picture, SmallTextIsGreyedWithItsGaps) {
    ASSERT_TRUE(d.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 0, -100, 0, 2, 2, 0, 0, u"ＭＳ ゴシック", u"ABCD  EFGH"));
    TJwPictureRequest r;
    r.dpi = 25.4;  // one pixel a mm: the text is two pixels high
    const QImage im = Write("small.png", r);
    int darkest = 255, marked = 0;
    for (int x = 48; x < 70; ++x)
        for (int y = 102; y < 106; ++y) {
            darkest = std::min(darkest, qGray(im.pixel(x, y)));
            marked += qGray(im.pixel(x, y)) < 250;
        }
    EXPECT_GE(marked, 8);
    EXPECT_GT(darkest, 60);  // not the text's black
    // The two half-width spaces (from 4 to 6 mm along the text) leave a
    // white gap.
    for (int y = 102; y < 106; ++y) EXPECT_EQ(im.pixel(48 + 5, y), kWhite) << y;
}

// The printed sheet follows the drawing's print settings: the drawing's
// printer colours (black unless it prints in colour), no auxiliary lines,
// display-only layers printed, greyed or left out as it says. The screen
// look shows every one of them as the window does.
TEST_F(Picture, PrintedSheetFollowsThePrintSettings) {
    // Pen 6 on layer 0-0; an auxiliary line (pen 9) and a line of type 9;
    // pen 6 on the display-only layer 0-1. Each through the middle of a row
    // of pixels.
    ASSERT_TRUE(d.AddEntLine(0, 0, 0, 6, 1, 0, 0, -100, 40.1, 100, 40.1));
    ASSERT_TRUE(d.AddEntLine(0, 0, 0, 9, 1, 0, 0, -100, 20.1, 100, 20.1));
    ASSERT_TRUE(d.AddEntLine(0, 0, 0, 2, 9, 0, 0, -100, 0.1, 100, 0.1));
    ASSERT_TRUE(d.AddEntLine(0, 0, 1, 6, 1, 0, 0, -100, -19.9, 100, -19.9));
    Post();
    d.EntLay[1].aanLay = 1;  // display only
    d.EntCol[6].aPrtPenColor = 0x00FF00;  // green, stored as 0x00BBGGRR
    d.EntCol[6].anPrtPenWidth = 100;      // 1 mm in 1/100 mm
    d.Enthd.bSenHaba100 = true;
    struct Case {
        const char* name;
        TJwLook look;
        int colour, grey, leaveOut;  // nColorPrint, nPrtKyoutsuuGray, nPrtDispOnlyNonDraw
        uint32_t pen6, aux, displayOnly;  // 0: nothing drawn
    };
    TgraAttribute screen;
    JwGraAttrSetup(screen);
    const uint32_t blue = screen.GetAttrColcol(6), grey = 0xFF808080u, green = 0xFF00FF00u, black = 0xFF000000u;
    for (const Case& c : {Case{"screen", TJwLook::Screen, 1, 0, 0, blue, screen.GetAttrColcol(9), grey},
                          Case{"colour", TJwLook::Print, 1, 0, 0, green, 0, green},
                          Case{"black", TJwLook::Print, 0, 0, 0, black, 0, black},
                          Case{"greyed", TJwLook::Print, 1, 1, 0, green, 0, grey},
                          Case{"left out", TJwLook::Print, 1, 0, 1, green, 0, 0}}) {
        SCOPED_TRACE(c.name);
        d.Enthd.nColorPrint = c.colour;
        d.Enthd.nPrtKyoutsuuGray = c.grey;
        d.Enthd.nPrtDispOnlyNonDraw = c.leaveOut;
        TJwPictureRequest r;
        r.dpi = 5 * 25.4;
        r.draw.look = c.look;
        const QImage im = Write("look.png", r);
        EXPECT_EQ(At(im, 5, 0, 40.1), c.pen6);
        EXPECT_EQ(At(im, 5, 0, 20.1), c.aux ? c.aux : kWhite);
        int dotted = 0;  // line type 9 is dotted
        for (double x = -90; x < 90; x += 0.2) dotted += At(im, 5, x, 0.1) != kWhite;
        EXPECT_EQ(dotted > 100, c.aux != 0) << dotted;
        EXPECT_EQ(At(im, 5, 0, -19.9), c.displayOnly ? c.displayOnly : kWhite);
        // The printer's width: 1 mm is five pixels; the screen's pen 6 is thinner.
        EXPECT_EQ(At(im, 5, 0, 40.5) == c.pen6, c.look == TJwLook::Print);
    }
}

// Pictures the drawing links to by a path: drawn when they are pictures,
// never read when they are not, and left out on request.
TEST_F(Picture, LinkedPicturesOnlyWhenTheyArePictures) {
    QImage red(20, 20, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(QString::fromStdString((dir.path() / "red.png").string())));
    dir.Write("secret.png", "password=hunter2\n");
    ASSERT_TRUE(d.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 0, -50, 0, 2, 2, 0, 0, u"",
                             u"^@BM" + FromUtf8((dir.path() / "red.png").string()) + u",20"));
    ASSERT_TRUE(d.AddEntMoji(0, 0, 0, 2, 1, 0, 0, 0, 50, 0, 2, 2, 0, 0, u"",
                             u"^@BM" + FromUtf8((dir.path() / "secret.png").string()) + u",20"));
    TJwPictureRequest r;
    r.dpi = 25.4;
    r.format = JwPictureFormat::Svg;
    Write("linked.svg", r);
    const std::string svg = jw::test::ReadFileString(dir.path() / "linked.svg");
    EXPECT_NE(svg.find("<image"), std::string::npos);
    EXPECT_EQ(svg.find("cGFzc3dvcmQ"), std::string::npos);  // "password" in base64
    ASSERT_EQ(report.missingImages.size(), 1u);
    EXPECT_EQ(ToUtf8(report.missingImages[0]), (dir.path() / "secret.png").string());
    r.draw.linkedImages = false;
    Write("unlinked.svg", r);
    EXPECT_EQ(jw::test::ReadFileString(dir.path() / "unlinked.svg").find("<image"), std::string::npos);
    EXPECT_TRUE(report.missingImages.empty());
}

// A raster picture has at most 30000 pixels a side and 600 million in all;
// beyond, the error says how large it would be and which resolution fits.
TEST_F(Picture, RasterLimits) {
    struct Case {
        int paper;
        double dpi;
        const char* error;  // empty: fits
    };
    for (const Case& c : {Case{11, 150, ""},  // 5A: 28087 x 19866
                          Case{14, 150, "the picture would be 590551 x 417709 pixels (at most 30000 a side and 600 "
                                        "million in all); give --dpi 7 or less"},
                          Case{12, 150, "the picture would be 59055 x 41770 pixels (at most 30000 a side and 600 "
                                        "million in all); give --dpi 73 or less"}}) {
        SCOPED_TRACE(c.paper);
        TJwwData p;
        p.DataDefaultSet();
        p.Enthd.nZumen = c.paper;
        TJwPictureRequest r;
        r.dpi = c.dpi;
        int w = 0, h = 0;
        double s = 0;
        std::string error;
        EXPECT_EQ(JwRasterSize(JwPaperBox(p), r, w, h, s, error), *c.error == '\0');
        EXPECT_EQ(error, c.error);
    }
}

}  // namespace
