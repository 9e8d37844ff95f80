// The SVG canvas: small drawings written as SVG and read back by rsvg-convert
// and by Qt's SVG reader look like the Qt canvas's picture of them; the
// document is well-formed XML for any input and holds no "nan" or "inf";
// numbers, dash patterns and style groups come out as written here; texts
// are <text> elements; a failing sink stops the writing; and the size
// against Qt's SVG generator.
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <QSvgRenderer>
#include <QXmlStreamReader>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <limits>
#include <numbers>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/qt_app.h"
#include "common/test_files.h"
#include "qt_canvas.h"
#include "svg_canvas.h"

using namespace jw;

namespace {


constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
const TJwBox kPaper{0, 0, 60, 40};
constexpr double kPx = 8;  // pixels per mm of the compared pictures
constexpr int kW = 480, kH = 320;
const uint32_t kBlack = 0xFF000000u;

using DrawFn = std::function<void(TJwCanvas&)>;

std::string SvgOf(const DrawFn& draw, TJwImageStore* images = nullptr, const TJwBox& paper = kPaper) {
    jw::test::EnsureGuiApp();
    MemorySink sink;
    TJwSvgCanvas c(sink, paper, 0xFFFFFFFFu, images);
    draw(c);
    c.Finish();
    const std::vector<uint8_t> b = sink.Take();
    return std::string(b.begin(), b.end());
}

// The reading error of an XML document; empty when it reads to its end.
std::string XmlError(const std::string& xml) {
    QXmlStreamReader r(QByteArray::fromStdString(xml));
    while (!r.atEnd()) r.readNext();
    return r.hasError() ? r.errorString().toStdString() + " at line " + std::to_string(r.lineNumber()) : "";
}

size_t Count(const std::string& s, const std::string& what) {
    size_t n = 0;
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
    return n;
}

QImage White() {
    QImage im(kW, kH, QImage::Format_ARGB32);
    im.fill(Qt::white);
    return im;
}

QImage QtPicture(const DrawFn& draw, TJwImageStore* images) {
    jw::test::EnsureGuiApp();
    QImage im = White();
    QPainter p(&im);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    {
        TJwQtCanvas c(p, QTransform(kPx, 0, 0, -kPx, -kPaper.x1 * kPx, kPaper.y2 * kPx), 1.0, images);
        draw(c);
    }
    p.end();
    return im;
}

QImage QtSvgPicture(const std::string& svg) {
    QSvgRenderer r(QByteArray::fromStdString(svg));
    EXPECT_TRUE(r.isValid());
    QImage im = White();
    QPainter p(&im);
    r.render(&p);
    p.end();
    return im;
}

QImage RsvgPicture(const std::string& svg) {
    const jw::test::TempDir tmp("zs-svg-canvas");
    const std::string in = tmp.Write("a.svg", svg).string(), out = (tmp.path() / "a.png").string();
    const std::string cmd = "rsvg-convert -w " + std::to_string(kW) + " -h " + std::to_string(kH) +
                            " -b white -o '" + out + "' '" + in + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    return QImage(QString::fromStdString(out)).convertToFormat(QImage::Format_ARGB32);
}

bool Dark(QRgb c) { return qGray(c) < 160; }

int DarkCount(const QImage& im) {
    int n = 0;
    for (int y = 0; y < im.height(); ++y)
        for (int x = 0; x < im.width(); ++x) n += Dark(im.pixel(x, y));
    return n;
}

// Dark pixels of a with no dark pixel of b within r pixels.
int Strays(const QImage& a, const QImage& b, int r) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            if (!Dark(a.pixel(x, y))) continue;
            bool near = false;
            for (int dy = -r; dy <= r && !near; ++dy)
                for (int dx = -r; dx <= r && !near; ++dx) {
                    const int u = x + dx, v = y + dy;
                    near = u >= 0 && v >= 0 && u < b.width() && v < b.height() && Dark(b.pixel(u, v));
                }
            n += !near;
        }
    return n;
}

TJwPen Pen(double width = 0.35, std::span<const double> dash = {}) { return TJwPen{kBlack, width, dash}; }

void Line(TJwCanvas& c, const TJwPen& pen, double x1, double y1, double x2, double y2) {
    const TJwPoint p[2] = {{x1, y1}, {x2, y2}};
    c.Polyline(pen, p, false);
}

TJwTextRun TextAt(double x, double y, double size, double angle, std::u16string_view text,
               std::u16string_view font = u"ＭＳ ゴシック") {
    TJwTextRun r;
    r.x1 = r.x2 = x;
    r.y1 = r.y2 = y;  // no stored length: the characters keep their size
    r.w = r.h = size;
    r.d = 0.5;
    r.a = angle;
    r.font = font;
    r.text = text;
    return r;
}

// A 40 x 20 pixel picture: the left half black, the right half white with a
// black spot, as a PNG file in dir.
JwString PictureFile(const jw::test::TempDir& dir) {
    QImage im(40, 20, QImage::Format_RGB32);
    im.fill(Qt::white);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) im.setPixel(x, y, kBlack);
    for (int y = 6; y < 12; ++y)
        for (int x = 28; x < 34; ++x) im.setPixel(x, y, kBlack);
    const std::string path = (dir.path() / "picture.png").string();
    EXPECT_TRUE(im.save(QString::fromStdString(path)));
    return JwString(path.begin(), path.end());
}

// ---- pictures against the Qt canvas ----

const double kDashes[] = {3, -1.5, 1, -1.5};
const double kGapFirst[] = {-1, 2, 1, -2};  // a leading gap, neighbours of one kind

struct PictureCase {
    const char* name;
    DrawFn draw;
};
void PrintTo(const PictureCase& c, std::ostream* os) { *os << c.name; }

const PictureCase kPictures[] = {
    {"Lines",
     [](TJwCanvas& c) {
         Line(c, Pen(), 5, 5, 55, 35);
         Line(c, Pen(0.6), 5, 35, 55, 30);
         const TJwPoint zig[] = {{5, 10}, {20, 25}, {30, 8}, {50, 20}};
         c.Polyline(Pen(0.25), zig, true);
     }},
    {"Dashes",
     [](TJwCanvas& c) {
         Line(c, Pen(0.35, kDashes), 5, 30, 55, 30);
         Line(c, Pen(0.35, kGapFirst), 5, 20, 55, 25);
         const TJwPoint box[] = {{5, 5}, {55, 5}, {55, 15}, {5, 15}};
         c.Polyline(Pen(0.35, kDashes), box, true);
     }},
    {"Arcs",
     [](TJwCanvas& c) {
         TJwArc circle{TJwAffine::Move(12, 20) * TJwAffine::Scale(8, 8), 0, 0, true};
         c.Arc(Pen(), circle);
         TJwArc quarter{TJwAffine::Move(25, 10) * TJwAffine::Scale(12, 12), 0, kPi / 2, false};
         c.Arc(Pen(), quarter);
         TJwArc most{TJwAffine::Move(45, 22) * TJwAffine::Scale(10, 10), kPi / 4, 1.5 * kPi, false};
         c.Arc(Pen(0.5), most);
     }},
    {"Ellipses",
     [](TJwCanvas& c) {
         // Tilted, more than half of it; mirrored (turned the other way)
         // and tilted; sheared (a block placed with unequal scales); whole
         // and tilted.
         TJwArc tilted{TJwAffine::Move(13, 28) * TJwAffine::Turn(kPi / 6) * TJwAffine::Scale(10, 5), 0.3, 4, false};
         c.Arc(Pen(), tilted);
         TJwArc mirrored{TJwAffine::Move(40, 28) * TJwAffine::Scale(-1, 1) * TJwAffine::Turn(0.35) *
                             TJwAffine::Scale(12, 6),
                         0.2, 2.2, false};
         c.Arc(Pen(), mirrored);
         TJwArc sheared{TJwAffine{6, 2, 3, 5, 15, 10}, 1, 4.5, false};
         c.Arc(Pen(), sheared);
         TJwArc whole{TJwAffine::Move(45, 10) * TJwAffine::Turn(-0.6) * TJwAffine::Scale(9, 3), 1, 0, true};
         c.Arc(Pen(0.5, kDashes), whole);
     }},
    {"Fills",
     [](TJwCanvas& c) {
         // A pentagram: the non-zero rule fills its middle too.
         std::vector<TJwPoint> star;
         for (int k = 0; k < 5; ++k) {
             const double t = kPi / 2 + k * 4 * kPi / 5;
             star.push_back({15 + 12 * std::cos(t), 20 + 12 * std::sin(t)});
         }
         c.FillPolygon(kBlack, star);
         const TJwPoint hook[] = {{35, 5}, {55, 5}, {55, 35}, {45, 35}, {45, 15}, {35, 15}};
         c.FillPolygon(0xFF202020u, hook);
     }},
    {"Texts",
     [](TJwCanvas& c) {
         c.Text(TextAt(3, 30, 6, 0, u"AbＷ漢字"));
         c.Text(TextAt(8, 4, 5, 30, u"回転gy"));
         TJwTextRun vertical = TextAt(52, 36, 5, -90, u"縦書き", u"@ＭＳ 明朝");
         vertical.vertical = true;
         c.Text(vertical);
         TJwTextRun slanted = TextAt(30, 12, 4, -10, u"Slant");
         slanted.slanted = true;
         slanted.m = TJwAffine::Move(0, 2) * TJwAffine::Scale(1, 1.2);
         c.Text(slanted);
     }},
};

enum class Reader { Rsvg, QtSvg };

class SvgPicture : public ::testing::TestWithParam<std::tuple<PictureCase, Reader>> {};

// Every dark pixel of one picture has a dark pixel of the other within two
// pixels (a quarter of a millimetre).
TEST_P(SvgPicture, MatchesTheQtCanvas) {
    const auto& [c, reader] = GetParam();
    const std::string svg = SvgOf(c.draw);
    ASSERT_EQ(XmlError(svg), "");
    const QImage qt = QtPicture(c.draw, nullptr);
    const QImage back = reader == Reader::Rsvg ? RsvgPicture(svg) : QtSvgPicture(svg);
    ASSERT_EQ(back.size(), qt.size());
    EXPECT_GT(DarkCount(qt), 1000);
    EXPECT_EQ(Strays(qt, back, 2), 0) << "drawn by the Qt canvas only";
    EXPECT_EQ(Strays(back, qt, 2), 0) << "drawn by the SVG only";
}

INSTANTIATE_TEST_SUITE_P(Cases, SvgPicture, ::testing::Combine(::testing::ValuesIn(kPictures),
                                                               ::testing::Values(Reader::Rsvg, Reader::QtSvg)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) == Reader::Rsvg ? "_rsvg" : "_QtSvg");
                         });

// A picture file is embedded as PNG and placed, turned, where the Qt canvas
// draws it.
TEST(SvgImage, MatchesTheQtCanvas) {
    const jw::test::TempDir tmp("zs-svg-canvas");
    const JwString path = PictureFile(tmp);
    const DrawFn draw = [&](TJwCanvas& c) {
        c.Image(TJwImage{path, 40, 20, TJwAffine::Move(12, 6) * TJwAffine::Turn(0.3) * TJwAffine::Scale(36, 18)});
        c.Image(TJwImage{u"/nonexistent/picture.png", 40, 20, TJwAffine::Scale(10, 10)});  // left out
    };
    TJwImageStore images;
    const std::string svg = SvgOf(draw, &images);
    ASSERT_EQ(XmlError(svg), "");
    EXPECT_EQ(Count(svg, "<image "), 1u);
    EXPECT_NE(svg.find("xlink:href=\"data:image/png;base64,iVBORw0KGgo"), std::string::npos);
    const QImage qt = QtPicture(draw, &images);
    EXPECT_GT(DarkCount(qt), 5000);
    for (const QImage& back : {RsvgPicture(svg), QtSvgPicture(svg)}) {
        EXPECT_EQ(Strays(qt, back, 2), 0);
        EXPECT_EQ(Strays(back, qt, 2), 0);
    }
}

// A large picture drawn small is embedded at 300 dpi: 2000 x 1000 pixels on
// 20 x 10 mm become about 236 x 118.
TEST(SvgImage, EmbeddedAtMostAt300Dpi) {
    const jw::test::TempDir tmp("zs-svg-canvas");
    QImage big(2000, 1000, QImage::Format_RGB32);
    big.fill(Qt::gray);
    const std::string file = (tmp.path() / "big.png").string();
    ASSERT_TRUE(big.save(QString::fromStdString(file)));
    TJwImageStore images;
    const std::string svg = SvgOf(
        [&](TJwCanvas& c) { c.Image(TJwImage{JwString(file.begin(), file.end()), 2000, 1000, TJwAffine::Scale(20, 10)}); },
        &images);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(svg, m, std::regex("<image width=\"([0-9]+)\" height=\"([0-9]+)\"")))
        << svg.substr(0, 600);
    EXPECT_NEAR(std::stoi(m[1]), 236, 3);
    EXPECT_NEAR(std::stoi(m[2]), 118, 3);
}

// ---- what is written ----

// Coordinates with at most three decimals, y flipped about the paper's top
// (after the first point relative to the one before, as rounded),
// primitives of one style in one group, dots, and the document's end.
TEST(SvgOutput, NumbersAndGroupsAsWritten) {
    // A paper whose lower-left corner is not the origin: (-10, -5) to (50, 35).
    const std::string svg = SvgOf(
        [](TJwCanvas& c) {
            Line(c, Pen(0.25), 1.23456, 2, 3.1, 4.0000001);
            Line(c, Pen(0.25), -1.5, 41, 10, 40.0004);
            Line(c, Pen(0), 0, 0, 60, 0);  // a hairline
            c.Dot(0x80FF0000u, {30, 20});
            Line(c, Pen(0.25), 5, 5, 5.0004, 5);  // shorter than what is written: a dot
        },
        nullptr, TJwBox{-10, -5, 50, 35});
    EXPECT_NE(svg.find("width=\"60mm\" height=\"40mm\" viewBox=\"0 0 60 40\""), std::string::npos);
    EXPECT_NE(svg.find("<g stroke=\"#000000\" stroke-width=\"0.25\">\n"
                       "<path d=\"M11.235 33l1.865-2\"/>\n"
                       "<path d=\"M8.5-6l11.5 1\"/>\n"
                       "</g>\n<g stroke=\"#000000\" stroke-width=\"0.05\">\n<path d=\"M10 35l60 0\"/>\n</g>\n"
                       "<g fill=\"#ff0000\" fill-opacity=\"0.502\">\n<path d=\"M39.95 14.95h0.1v0.1h-0.1z\"/>\n</g>\n"
                       "<g fill=\"#000000\">\n<path d=\"M14.95 29.95h0.1v0.1h-0.1z\"/>\n</g>\n</g>\n</svg>\n"),
              std::string::npos)
        << svg;
}

struct DashCase {
    const char* name;
    std::vector<double> dash;
    const char* written;  // the stroke-dasharray; empty: solid
};
void PrintTo(const DashCase& c, std::ostream* os) { *os << c.name; }

class SvgDash : public ::testing::TestWithParam<DashCase> {};

TEST_P(SvgDash, PatternAsWritten) {
    const DashCase& c = GetParam();
    const std::string svg = SvgOf([&](TJwCanvas& cv) { Line(cv, Pen(0.3, c.dash), 0, 0, 50, 0); });
    const size_t at = svg.find("stroke-dasharray=\"");
    if (*c.written == '\0') {
        EXPECT_EQ(at, std::string::npos) << svg;
    } else {
        ASSERT_NE(at, std::string::npos) << svg;
        EXPECT_EQ(svg.substr(at + 18, svg.find('"', at + 18) - at - 18), c.written);
    }
    EXPECT_EQ(Count(svg, "<path "), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, SvgDash,
    ::testing::Values(DashCase{"DashGap", {3, -1.5}, "3 1.5"},
                      DashCase{"GapFirstAndNeighbours", {-1, 2, 1, -2}, "0 1 3 2"},
                      DashCase{"OddCount", {1, -1, 1}, "1 1 1 0"}, DashCase{"ZeroDashIsADot", {0, -1}, "0.05 1"},
                      DashCase{"DashOnly", {2}, ""}, DashCase{"NotFinite", {kNaN, -1}, ""},
                      DashCase{"Infinite", {2, -kInf}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// Texts are characters in <text> elements, one per cell, with no outline
// of them anywhere; the font family ends in a generic one.
TEST(SvgText, TextIsWrittenAsText) {
    const std::string svg = SvgOf([](TJwCanvas& c) {
        c.Text(TextAt(5, 5, 5, 0, u"図面 AB"));
        c.Text(TextAt(5, 20, 5, 15, u"明朝", u"ＭＳ 明朝"));
    });
    ASSERT_EQ(XmlError(svg), "");
    for (const char* ch : {">図</text>", ">面</text>", ">A</text>", ">B</text>", ">明</text>", ">朝</text>"})
        EXPECT_EQ(Count(svg, ch), 1u) << ch;
    EXPECT_EQ(Count(svg, "<text "), 6u);  // the space is no cell that shows
    EXPECT_EQ(Count(svg, "lengthAdjust=\"spacingAndGlyphs\""), 6u);
    EXPECT_EQ(Count(svg, "<path"), 0u);
    // The family alone, and in the font shorthand followed by a generic one.
    EXPECT_EQ(Count(svg, "<g font-family=\""), 2u);
    EXPECT_EQ(Count(svg, "',sans-serif\" fill=\"#000000\">"), 1u) << svg;
    EXPECT_EQ(Count(svg, "',serif\" fill=\"#000000\">"), 1u) << svg;
    EXPECT_EQ(Count(svg, "\" font-size=\"100\" style=\"font:100px '"), 2u) << svg;
}

// Characters XML cannot hold are left out, the others escaped, and the
// document reads to its end.
TEST(SvgText, AwkwardCharactersStayWellFormed) {
    const std::u16string lone = std::u16string(1, char16_t(0xD800)), other = std::u16string(1, char16_t(0xDC00));
    const std::u16string text = u"a<&>\"\x01\x7F" + lone + u"b" + other + u"\uFFFF\U0002000B";
    const std::string svg = SvgOf([&](TJwCanvas& c) { c.Text(TextAt(5, 5, 3, 0, text, u"<&\"'\x02")); });
    EXPECT_EQ(XmlError(svg), "");
    for (const char* ch : {">a<", ">&lt;<", ">&amp;<", ">&gt;<", ">&quot;<", ">b<", ">\xF0\xA0\x80\x8B<"})
        EXPECT_EQ(Count(svg, ch), 1u) << ch;
    EXPECT_EQ(Count(svg, "<text "), 7u);
}

struct BadCase {
    const char* name;
    DrawFn draw;
    size_t written;  // elements written
};
void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }

TJwArc BadArc(double TJwAffine::*field, double v) {
    TJwArc a{TJwAffine::Move(20, 20) * TJwAffine::Scale(5, 5), 0, 1, false};
    a.m.*field = v;
    return a;
}

const BadCase kBad[] = {
    {"PolylinePoint", [](TJwCanvas& c) { Line(c, Pen(), 0, 0, kNaN, 5); }, 0},
    {"PolylineFar", [](TJwCanvas& c) { Line(c, Pen(), 0, 0, 1e300, 5); }, 0},
    {"PenWidth", [](TJwCanvas& c) { Line(c, Pen(kInf), 0, 0, 10, 5); }, 0},
    {"PenWidthNaN", [](TJwCanvas& c) { Line(c, Pen(kNaN), 0, 0, 10, 5); }, 0},
    {"ArcMatrix", [](TJwCanvas& c) { c.Arc(Pen(), BadArc(&TJwAffine::a, kNaN)); }, 0},
    {"ArcCentre", [](TJwCanvas& c) { c.Arc(Pen(), BadArc(&TJwAffine::e, -kInf)); }, 0},
    {"ArcStart",
     [](TJwCanvas& c) {
         TJwArc a = BadArc(&TJwAffine::a, 5);
         a.start = kNaN;
         c.Arc(Pen(), a);
     },
     0},
    {"ArcSweep",
     [](TJwCanvas& c) {
         TJwArc a = BadArc(&TJwAffine::a, 5);
         a.sweep = kNaN;
         c.Arc(Pen(), a);
         a.sweep = -1;
         c.Arc(Pen(), a);
     },
     0},
    {"ArcHugeSweep",  // at most the whole ellipse
     [](TJwCanvas& c) {
         TJwArc a = BadArc(&TJwAffine::a, 5);
         a.sweep = kInf;
         c.Arc(Pen(), a);
     },
     1},
    {"Fill", [](TJwCanvas& c) {
         const TJwPoint p[] = {{0, 0}, {10, 0}, {kInf, 10}};
         c.FillPolygon(kBlack, p);
     }, 0},
    {"Dot", [](TJwCanvas& c) { c.Dot(kBlack, {kNaN, 1}); }, 0},
    {"TextPlace",
     [](TJwCanvas& c) {
         TJwTextRun r = TextAt(kNaN, 5, 3, 0, u"abc");
         c.Text(r);
         r = TextAt(5, 5, 3, kInf, u"abc");
         c.Text(r);
         r = TextAt(5, 5, 3, 0, u"abc");
         r.m.d = kNaN;
         c.Text(r);
         r = TextAt(5, 5, 1e300, 0, u"abc");
         c.Text(r);
     },
     0},
    {"Image",
     [](TJwCanvas& c) {
         c.Image(TJwImage{u"/nonexistent.png", 4, 4, TJwAffine{kNaN, 0, 0, 1, 0, 0}});
     },
     0},
};

class SvgNotFinite : public ::testing::TestWithParam<BadCase> {};

// What holds a number that is not finite (or beyond any paper) is left out;
// the document stays well-formed.
TEST_P(SvgNotFinite, LeftOut) {
    const BadCase& c = GetParam();
    TJwImageStore images;
    const std::string svg = SvgOf(c.draw, &images);
    EXPECT_EQ(XmlError(svg), "");
    for (const char* word : {"nan", "inf", "NaN", "NAN", "INF"}) EXPECT_EQ(svg.find(word), std::string::npos) << word;
    EXPECT_FALSE(std::regex_search(svg, std::regex("[0-9][eE][-+]?[0-9]")));  // nor numbers with exponents
    EXPECT_EQ(Count(svg, "<path") + Count(svg, "<text") + Count(svg, "<image"), c.written) << svg;
}

INSTANTIATE_TEST_SUITE_P(Inputs, SvgNotFinite, ::testing::ValuesIn(kBad),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SvgCanvas, PaperWithoutSizeIsRefused) {
    MemorySink sink;
    for (const TJwBox& paper : {TJwBox{}, TJwBox{0, 0, 0, 10}, TJwBox{0, 0, kInf, 10}, TJwBox{0, kNaN, 10, 10}})
        EXPECT_THROW(TJwSvgCanvas(sink, paper, 0xFFFFFFFFu, nullptr), JwIOError);
}

// ---- the sink ----

// A sink without a buffer that fails once limit bytes would be exceeded.
class FullSink : public OutputSink {
public:
    explicit FullSink(size_t limit) : limit_(limit) {}
    void Write(const uint8_t*, size_t n) override {
        if (n > limit_ - written_) throw JwIOError("no space left on device");
        written_ += n;
    }
    size_t written_ = 0;

private:
    size_t limit_;
};

TEST(SvgCanvas, SinkFailurePropagates) {
    jw::test::EnsureGuiApp();
    const jw::test::TempDir tmp("zs-svg-canvas");
    const JwString path = PictureFile(tmp);
    TJwImageStore images;
    auto write = [&](OutputSink& sink) {
        TJwSvgCanvas c(sink, kPaper, 0xFFFFFFFFu, &images);
        for (int k = 0; k < 50; ++k) Line(c, Pen(0.1 + k * 0.01), k, 0, k, 30);
        c.Arc(Pen(), TJwArc{TJwAffine::Scale(10, 10), 0, 1, false});
        c.Text(TextAt(5, 5, 3, 0, u"文字"));
        c.Image(TJwImage{path, 40, 20, TJwAffine::Scale(20, 10)});
        c.Finish();
    };
    FullSink all(SIZE_MAX);
    write(all);
    const size_t total = all.written_;
    for (size_t limit : {size_t{0}, size_t{100}, total / 2, total - 100, total - 1}) {
        FullSink sink(limit);
        EXPECT_THROW(write(sink), JwIOError) << limit;
    }
    FullSink exact(total);
    EXPECT_NO_THROW(write(exact));
}

// ---- size ----

// An A3 drawing of 2000 lines and 2000 characters (200 runs of 10): the
// SVG is far smaller than what Qt's SVG generator writes of the same
// painting.
TEST(SvgCanvas, FarSmallerThanQtsGenerator) {
    jw::test::EnsureGuiApp();
    const TJwBox a3{0, 0, 420, 297};
    const DrawFn draw = [](TJwCanvas& c) {
        static const double dash[] = {2, -1};
        for (int k = 0; k < 2000; ++k) {
            const double x = 10 + (k % 40) * 10, y = 10 + (k / 40) * 5.5;
            std::span<const double> pattern;
            if (k % 5 == 0) pattern = dash;
            Line(c, Pen(k % 3 == 0 ? 0.13 : 0.25, pattern), x, y, x + 7.3, y + 2.1);
        }
        for (int k = 0; k < 200; ++k)
            c.Text(TextAt(10 + (k % 10) * 40, 10 + (k / 10) * 14, 2.5, 0, k % 2 ? u"平面図 1:100" : u"寸法 W=1820"));
    };
    MemorySink sink;
    {
        TJwSvgCanvas c(sink, a3, 0xFFFFFFFFu, nullptr);
        draw(c);
        c.Finish();
    }
    const size_t ours = sink.Take().size();

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        constexpr double s = 10;  // units per mm, as the SVG file writer uses
        QSvgGenerator gen;
        gen.setOutputDevice(&buffer);
        gen.setResolution(254);
        gen.setSize(QSize(4200, 2970));
        gen.setViewBox(QRectF(0, 0, 4200, 2970));
        QPainter p(&gen);
        p.setRenderHint(QPainter::Antialiasing, true);
        TJwQtCanvas c(p, QTransform(s, 0, 0, -s, 0, a3.y2 * s), 0);
        draw(c);
    }
    std::cout << "A3, 2000 lines and 2000 characters: " << ours << " bytes; QSvgGenerator: " << bytes.size()
              << " bytes\n";
    EXPECT_LT(ours * 2, static_cast<size_t>(bytes.size()));
}

}  // namespace
