// Pictures of tiny drawings built here, checked pixel by pixel: where lines,
// dashes, arcs, solids, block inserts and texts land, and which layers draw.
// Also the SVG and PDF files, read back by Qt's SVG reader and pdftoppm.
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "common/qt_app.h"
#include "attributes/gra_attribute.h"
#include "common/test_files.h"
#include "model/jw_data.h"
#include "qt_canvas.h"
#include "render/renderer.h"
#include "render_file.h"

namespace fs = std::filesystem;
using namespace jw;

namespace {


constexpr double kPxPerMm = 5;  // 127 dpi
const uint32_t kWhite = 0xFFFFFFFFu;

// A4 (297 x 210 mm): Jw_cad's origin is the paper centre.
struct Drawing {
    TJwwData d;
    Drawing() {
        d.DataDefaultSet();
        d.Enthd.nZumen = 4;
        EXPECT_TRUE(d.AddEntPre());
    }
    QImage Render(const TJwDrawOptions& o = {}) {
        EXPECT_TRUE(d.AddEntPost());
        jw::test::EnsureGuiApp();
        TJwPictureRequest r;
        r.dpi = kPxPerMm * 25.4;
        r.draw = o;
        return JwRenderImage([&](TJwCanvas& c) { d.GLDrawALL(c, o); }, JwPaperBox(d), r)
            .convertToFormat(QImage::Format_ARGB32);
    }
};

// The pixel at Jw_cad point (x, y).
QPoint Px(double x, double y) {
    return QPoint(static_cast<int>(std::floor((x + 148.5) * kPxPerMm)),
                  static_cast<int>(std::floor((105 - y) * kPxPerMm)));
}
uint32_t At(const QImage& im, double x, double y) { return im.pixel(Px(x, y)); }
bool Dark(uint32_t c) { return qGray(c) < 160; }
// Whether any pixel within r pixels of (x, y) is dark.
bool DarkNear(const QImage& im, double x, double y, int r = 2) {
    const QPoint p = Px(x, y);
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx)
            if (Dark(im.pixel(p.x() + dx, p.y() + dy))) return true;
    return false;
}

uint32_t PenColour(int pen) {
    TgraAttribute ga;
    JwGraAttrSetup(ga);
    return ga.GetAttrColcol(pen);
}

int NonWhite(const QImage& im) {
    int n = 0;
    for (int y = 0; y < im.height(); ++y)
        for (int x = 0; x < im.width(); ++x) n += im.pixel(x, y) != kWhite;
    return n;
}

// ---- lines ----

class PenLine : public ::testing::TestWithParam<int> {};

// A horizontal line through the middle of pixel row 525 colours that row with
// its pen's colour from end to end, and nothing away from it.
TEST_P(PenLine, ColoursItsRowAndNothingElse) {
    const int pen = GetParam();
    Drawing dr;
    ASSERT_TRUE(dr.d.AddEntLine(0, 0, 0, pen, 1, 0, 0, -50, -0.1, 50, -0.1));
    const QImage im = dr.Render();
    ASSERT_EQ(im.size(), QSize(1485, 1050));
    const int row = Px(0, -0.1).y();
    ASSERT_EQ(row, 525);
    for (int x = Px(-49, 0).x(); x <= Px(49, 0).x(); ++x) ASSERT_EQ(im.pixel(x, row), PenColour(pen)) << x;
    for (int y = 0; y < im.height(); ++y) {
        if (std::abs(y - row) <= 2) continue;
        for (int x = 0; x < im.width(); x += 3) ASSERT_EQ(im.pixel(x, y), kWhite) << x << "," << y;
    }
}
INSTANTIATE_TEST_SUITE_P(Pens, PenLine, ::testing::Values(1, 2, 5, 8));

// White runs along a line: the gaps of its line type.
int Gaps(const QImage& im, int row, int x1, int x2) {
    int gaps = 0;
    bool inGap = false;
    for (int x = x1; x <= x2; ++x) {
        const bool white = im.pixel(x, row) == kWhite;
        gaps += white && !inGap;
        inGap = white;
    }
    return gaps;
}

TEST(LineType, DashedLeavesItsGapsSolidNone) {
    Drawing dr;
    // Type 2 (dashes of 1.44 mm, gaps of 0.72 mm) and type 1 (solid).
    ASSERT_TRUE(dr.d.AddEntLine(0, 0, 0, 2, 2, 0, 0, -50, -0.1, 50, -0.1));
    ASSERT_TRUE(dr.d.AddEntLine(0, 0, 0, 2, 1, 0, 0, -50, 19.9, 50, 19.9));
    const QImage im = dr.Render();
    const int x1 = Px(-48, 0).x(), x2 = Px(48, 0).x();
    EXPECT_GE(Gaps(im, Px(0, -0.1).y(), x1, x2), 40);  // 96 mm / 2.16 mm a period
    EXPECT_EQ(Gaps(im, Px(0, 19.9).y(), x1, x2), 0);
}

// ---- arcs, solids, blocks ----

TEST(Arc, QuarterArcAndTiltedEllipseLandWhereTheyShould) {
    Drawing dr;
    // A quarter arc of radius 40 about (-60, 0) from 0 to 90 degrees; an
    // ellipse about (60, 0), radius 40, flatness 0.5, tilted by 90 degrees:
    // its long axis stands upright.
    ASSERT_TRUE(dr.d.AddEntArc(0, 0, 0, 2, 1, 0, 0, -60, 0, 40, 1.0, 0, 90, 0));
    ASSERT_TRUE(dr.d.AddEntArc(0, 0, 0, 2, 1, 0, 0, 60, 0, 40, 0.5, 0, 360, 90));
    const QImage im = dr.Render();
    const double c = 40 / std::sqrt(2.0);
    EXPECT_TRUE(DarkNear(im, -60 + c, c));
    EXPECT_FALSE(DarkNear(im, -60 - c, -c, 4));
    EXPECT_FALSE(DarkNear(im, -60 - c, c, 4));
    EXPECT_TRUE(DarkNear(im, 60, 40));
    EXPECT_TRUE(DarkNear(im, 60, -40));
    EXPECT_TRUE(DarkNear(im, 80, 0));
    EXPECT_FALSE(DarkNear(im, 100, 0, 4));
}

TEST(Solid, FilledWithItsOwnColour) {
    Drawing dr;
    // Pen 10: the solid's own colour, red in the lowest byte. The corners in
    // the order of the arguments: first, fourth, second, third.
    ASSERT_TRUE(dr.d.AddEntSolid(0, 0, 0, 10, 1, 0, 0, 0x0000FF, 10, 10, 10, 20, 30, 10, 30, 20));
    const QImage im = dr.Render();
    EXPECT_EQ(At(im, 20, 15), 0xFFFF0000u);
    EXPECT_EQ(At(im, 11, 11), 0xFFFF0000u);
    EXPECT_EQ(At(im, 20, 22), kWhite);
    EXPECT_EQ(At(im, 32, 15), kWhite);
}

TEST(Solid, ArcSolidFillsItsSector) {
    Drawing dr;
    // A quarter sector of radius 20 about (0, 0) from 0 to 90 degrees.
    ASSERT_TRUE(dr.d.AddEntSolidA(0, 0, 0, 3, 0, 0, 0, 0, 0, 20, 1, 0, 0, 90));
    const QImage im = dr.Render();
    EXPECT_EQ(At(im, 7, 7), PenColour(3));
    EXPECT_EQ(At(im, -7, 7), kWhite);
    EXPECT_EQ(At(im, 7, -7), kWhite);
    EXPECT_EQ(At(im, 18, 18), kWhite);  // outside the radius
}

TEST(Block, RotatedMirroredInsertLandsWhereItShould) {
    Drawing dr;
    // An L: a long arm along x, a short arm along y.
    ASSERT_TRUE(dr.d.AddBlkDef(0, 0, 0, 2, 1, 0, 0, 1, u"L"));
    ASSERT_TRUE(dr.d.AddBlkLine(0, 0, 0, 0, 2, 1, 0, 0, 0, 0, 20, 0));
    ASSERT_TRUE(dr.d.AddBlkLine(0, 0, 0, 0, 2, 1, 0, 0, 0, 0, 0, 10));
    ASSERT_TRUE(dr.d.AddBlkDefPost(0));
    // Mirrored in x, then turned by 90 degrees, placed at (50, 50): the long
    // arm points down, the short one to the left.
    ASSERT_TRUE(dr.d.AddEntBlock(0, 0, 0, 2, 1, 0, 0, 0, 50, 50, -1, 1, 90));
    const QImage im = dr.Render();
    EXPECT_TRUE(DarkNear(im, 50, 40));
    EXPECT_TRUE(DarkNear(im, 50, 31));
    EXPECT_TRUE(DarkNear(im, 45, 50));
    EXPECT_FALSE(DarkNear(im, 50, 60, 4));  // unmirrored it would point up
    EXPECT_FALSE(DarkNear(im, 60, 50, 4));  // unturned it would point right
    EXPECT_FALSE(DarkNear(im, 40, 50 - 5, 4));
}

// ---- layers ----

struct LayerCase {
    const char* name;
    int groupState, layerState;
    int expect;  // 0 nothing, 1 the pen's colour, 2 grey
};

void PrintTo(const LayerCase& c, std::ostream* os) { *os << c.name; }

class LayerState : public ::testing::TestWithParam<LayerCase> {};

TEST_P(LayerState, HiddenDrawsNothingDisplayOnlyGrey) {
    const LayerCase& c = GetParam();
    Drawing dr;
    ASSERT_TRUE(dr.d.AddEntLine(0, 1, 2, 2, 1, 0, 0, -50, -0.1, 50, -0.1));
    ASSERT_TRUE(dr.d.AddEntSolid(0, 1, 2, 3, 1, 0, 0, 0, 10, 10, 10, 20, 30, 10, 30, 20));
    dr.d.EntLgrp[1].anGLay = c.groupState;
    dr.d.EntLay[1 * 16 + 2].aanLay = c.layerState;
    const QImage im = dr.Render();
    switch (c.expect) {
        case 0: EXPECT_EQ(NonWhite(im), 0); break;
        case 1:
            EXPECT_EQ(At(im, 0, -0.1), PenColour(2));
            EXPECT_EQ(At(im, 20, 15), PenColour(3));
            break;
        default:
            EXPECT_EQ(At(im, 0, -0.1), 0xFF808080u);
            EXPECT_EQ(At(im, 20, 15), 0xFF808080u);
            break;
    }
}
INSTANTIATE_TEST_SUITE_P(States, LayerState,
                         ::testing::Values(LayerCase{"Written", 3, 3, 1}, LayerCase{"Editable", 2, 2, 1},
                                           LayerCase{"LayerHidden", 2, 0, 0}, LayerCase{"GroupHidden", 0, 2, 0},
                                           LayerCase{"LayerDisplayOnly", 2, 1, 2},
                                           LayerCase{"GroupDisplayOnly", 1, 2, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- texts ----

struct TextCase {
    const char* name;
    bool vertical;
    const char16_t* text;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class TextBox : public ::testing::TestWithParam<TextCase> {};

// Every pixel a text colours lies inside its box: from its start along its
// line, as high as its characters (for vertical text: a column as wide as a
// character, centred on its line, going down).
TEST_P(TextBox, PixelsLieInsideItsBox) {
    const TextCase& c = GetParam();
    Drawing dr;
    const double w = 6, h = 8, d = 1;
    const int fl = c.vertical ? 0x04 : 0;  // the construction flag of vertical text
    ASSERT_TRUE(dr.d.AddEntMoji(0, 0, 0, 2, 1, 0, fl, 0, -40, 20, w, h, d, c.vertical ? -90 : 0, u"ＭＳ ゴシック",
                                c.text));
    const TEntJwwMoji& t = dr.d.EntMoji[0];
    const double sx = t.start_x, ex = t.end_x, sy = t.start_y, ey = t.end_y;  // copies: the record is packed
    const double x1 = std::min(sx, ex), x2 = std::max(sx, ex);
    const double y1 = std::min(sy, ey), y2 = std::max(sy, ey);
    // The box in Jw_cad coordinates, one pixel of slack.
    const double slack = 1 / kPxPerMm;
    double bx1, bx2, by1, by2;
    if (c.vertical) {
        bx1 = x1 - w / 2, bx2 = x1 + w / 2, by1 = y1, by2 = y2;
    } else {
        bx1 = x1, bx2 = x2, by1 = y1, by2 = y1 + h;
    }
    const QImage im = dr.Render();
    int inside = 0;
    for (int y = 0; y < im.height(); ++y)
        for (int x = 0; x < im.width(); ++x) {
            if (im.pixel(x, y) == kWhite) continue;
            const double jx = (x + 0.5) / kPxPerMm - 148.5, jy = 105 - (y + 0.5) / kPxPerMm;
            ASSERT_TRUE(jx >= bx1 - slack && jx <= bx2 + slack && jy >= by1 - slack && jy <= by2 + slack)
                << "pixel " << x << "," << y << " at " << jx << "," << jy;
            ++inside;
        }
    EXPECT_GT(inside, 200);  // the characters are there
}
INSTANTIATE_TEST_SUITE_P(Texts, TextBox,
                         ::testing::Values(TextCase{"Horizontal", false, u"ABCあいう"},
                                           TextCase{"Vertical", true, u"縦書き文字"}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- files ----

class PictureFile : public ::testing::Test {
protected:
    jw::test::TempDir tmp_{"zs-render-test"};
    std::string error_;

    QString Write(const char* name, JwPictureFormat format) {
        Drawing dr;
        EXPECT_TRUE(dr.d.AddEntLine(0, 0, 0, 2, 1, 0, 0, -100, -0.1, 100, -0.1));
        EXPECT_TRUE(dr.d.AddEntPost());
        jw::test::EnsureGuiApp();
        TJwPictureRequest r;
        r.format = format;
        const QString path = QString::fromStdString((tmp_.path() / name).string());
        EXPECT_TRUE(JwRenderFile([&](TJwCanvas& c) { dr.d.GLDrawALL(c, r.draw); }, JwPaperBox(dr.d), r, path,
                                 error_))
            << error_;
        return path;
    }
};

TEST_F(PictureFile, SvgReadsBackAtThePaperSize) {
    const QString path = Write("a.svg", JwPictureFormat::Svg);
    const std::string text = jw::test::ReadFileString(path.toStdString());
    EXPECT_NE(text.find("width=\"297mm\" height=\"210mm\""), std::string::npos);
    QSvgRenderer svg(path);
    ASSERT_TRUE(svg.isValid());
    QImage im(594, 420, QImage::Format_ARGB32);
    im.fill(Qt::white);
    QPainter p(&im);
    svg.render(&p);
    p.end();
    bool line = false;  // the line through the middle (a third of a pixel wide here)
    for (int y = 208; y <= 212; ++y) line = line || im.pixel(297, y) != kWhite;
    EXPECT_TRUE(line);
    EXPECT_EQ(im.pixel(297, 100), kWhite);
}

TEST_F(PictureFile, PdfReadsBackAtThePaperSize) {
    if (std::system("command -v pdftoppm >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdftoppm (poppler-utils) missing";
    const QString path = Write("a.pdf", JwPictureFormat::Pdf);
    const std::string out = (tmp_.path() / "page").string();
    // 50.8 dpi: two pixels a millimetre.
    ASSERT_EQ(std::system(("pdftoppm -png -r 50.8 -singlefile '" + path.toStdString() + "' '" + out + "'").c_str()),
              0);
    const QImage im(QString::fromStdString(out + ".png"));
    ASSERT_FALSE(im.isNull());
    // 841.89 x 595.28 points.
    EXPECT_NEAR(im.width(), 594, 1);
    EXPECT_NEAR(im.height(), 420, 1);
    bool line = false;
    for (int y = 208; y <= 212; ++y) line = line || im.pixel(297, y) != kWhite;
    EXPECT_TRUE(line);
    EXPECT_EQ(im.pixel(297, 100) | 0xFF000000u, kWhite);
}

TEST_F(PictureFile, NeverReplacesWhatIsNoFile) {
    fs::create_directory(tmp_.path() / "taken.png");
    Drawing dr;
    ASSERT_TRUE(dr.d.AddEntPost());
    jw::test::EnsureGuiApp();
    const QString path = QString::fromStdString((tmp_.path() / "taken.png").string());
    EXPECT_FALSE(JwRenderFile([&](TJwCanvas& c) { dr.d.GLDrawALL(c, {}); }, JwPaperBox(dr.d), {}, path, error_));
    EXPECT_EQ(error_, "cannot create " + (tmp_.path() / "taken.png").string() + ": Is a directory");
    EXPECT_TRUE(fs::is_directory(tmp_.path() / "taken.png"));
}

}  // namespace
