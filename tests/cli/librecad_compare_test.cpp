// The line work of every sample as `render` draws it, against LibreCAD's
// picture of the DXF that `dxf` writes with its defaults: both at the paper
// size and the same resolution, the dark pixels of each must lie near dark
// pixels of the other (a fault in the placement of either side shows as a
// shifted, scaled or missing part). Texts and images are left out of both
// pictures: the two programs have their own fonts. Skips without LibreCAD,
// xvfb-run or pdftoppm.
#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli.h"
#include "cli_support.h"
#include "common/samples.h"
#include "common/test_files.h"
#include "files/open_file.h"
#include "model/jw_data.h"
#include "render/renderer.h"
#include "render_file.h"

namespace fs = std::filesystem;
using namespace jw;

namespace {

constexpr double kDpi = 100;
constexpr int kNear = 3;  // pixels (0.76 mm) a dark pixel may lie off the other picture's

int Shell(const std::string& cmd, std::string& out) {
    out.clear();
    FILE* f = ::popen(cmd.c_str(), "r");
    if (f == nullptr) return -1;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) out.append(buf, n);
    const int status = ::pclose(f);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quote(const fs::path& p) { return "'" + p.string() + "'"; }

// Passes lines on solid (LibreCAD scales line types its own way) and
// everything else except texts and images, whose boxes it keeps.
class LineWork : public TJwCanvas {
public:
    LineWork(TJwCanvas& to, std::vector<TJwBox>& left) : to_(to), left_(left) {}
    void Polyline(const TJwPen& pen, std::span<const TJwPoint> points, bool closed) override {
        to_.Polyline(Solid(pen), points, closed);
    }
    void Arc(const TJwPen& pen, const TJwArc& arc) override { to_.Arc(Solid(pen), arc); }
    void FillPolygon(uint32_t argb, std::span<const TJwPoint> points) override { to_.FillPolygon(argb, points); }
    void Dot(uint32_t argb, TJwPoint at) override { to_.Dot(argb, at); }
    // The run's line, widened by its height to both sides.
    void Text(const TJwTextRun& run) override {
        const double h = std::max({run.h, run.w, 0.0});
        TJwBox b;
        for (double dx : {-h, h})
            for (double dy : {-h, h}) {
                b.Add(run.m.Map(run.x1 + dx, run.y1 + dy));
                b.Add(run.m.Map(run.x2 + dx, run.y2 + dy));
            }
        left_.push_back(b);
    }
    void Image(const TJwImage& image) override {
        TJwBox b;
        for (double u : {0.0, 1.0})
            for (double v : {0.0, 1.0}) b.Add(image.m.Map(u, v));
        left_.push_back(b);
    }

private:
    static TJwPen Solid(TJwPen pen) {
        pen.dash = {};
        return pen;
    }
    TJwCanvas& to_;
    std::vector<TJwBox>& left_;
};

// Dark pixels: any channel clearly below white (a yellow pen counts).
std::vector<uint8_t> Ink(const QImage& im, int w, int h) {
    std::vector<uint8_t> m(size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(im.constScanLine(y));
        for (int x = 0; x < w; ++x)
            m[size_t(y) * w + x] = std::min({qRed(row[x]), qGreen(row[x]), qBlue(row[x])}) < 200;
    }
    return m;
}

// Every pixel within r (a square) of a set one.
std::vector<uint8_t> Dilate(const std::vector<uint8_t>& m, int w, int h, int r) {
    std::vector<uint8_t> across(m.size()), out(m.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (m[size_t(y) * w + x])
                for (int i = std::max(0, x - r); i <= std::min(w - 1, x + r); ++i) across[size_t(y) * w + i] = 1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (across[size_t(y) * w + x])
                for (int j = std::max(0, y - r); j <= std::min(h - 1, y + r); ++j) out[size_t(j) * w + x] = 1;
    return out;
}

// Share of the set pixels of a that lie on set pixels of near (1 when a is empty).
double Within(const std::vector<uint8_t>& a, const std::vector<uint8_t>& near) {
    size_t n = 0, in = 0;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i]) {
            ++n;
            in += near[i];
        }
    return n == 0 ? 1.0 : double(in) / double(n);
}

// A number of the DXF header: the first value of variable's group code.
double HeaderValue(const std::string& dxf, const std::string& variable, const std::string& code) {
    size_t p = dxf.find(variable + "\r\n");
    if (p == std::string::npos) p = dxf.find(variable + "\n");
    if (p == std::string::npos) return NAN;
    p = dxf.find(code, p + variable.size());
    if (p == std::string::npos) return NAN;
    p = dxf.find('\n', p);
    return std::strtod(dxf.c_str() + p + 1, nullptr);
}

// The DXF as LibreCAD must have it to draw what the export means: every line
// type reference CONTINUOUS (group code 6 in the header, the layers and the
// entities; LibreCAD scales line types its own way), the layers that are
// off (negative colour) frozen, since LibreCAD prints layers that are off,
// and every layer plotted (auxiliary lines are not printed, but drawn on the
// screen).
std::string ForLibreCad(const std::string& dxf) {
    std::vector<std::pair<std::string, std::string>> tags;  // code and value lines, ends kept
    for (size_t p = 0; p < dxf.size();) {
        std::string line[2];
        for (std::string& l : line) {
            size_t e = dxf.find('\n', p);
            e = e == std::string::npos ? dxf.size() : e + 1;
            l = dxf.substr(p, e - p);
            p = e;
        }
        tags.emplace_back(line[0], line[1]);
    }
    auto code = [](const std::string& l) { return std::strtol(l.c_str(), nullptr, 10); };
    auto eol = [](const std::string& l) { return l.size() > 1 && l[l.size() - 2] == '\r' ? "\r\n" : "\n"; };
    size_t flags = 0;  // the flags of the LAYER entry being read
    for (size_t i = 0; i < tags.size(); ++i) {
        auto& [c, v] = tags[i];
        if (code(c) == 0) flags = v.rfind("LAYER", 0) == 0 ? i : 0;
        if (code(c) == 6) v = std::string("CONTINUOUS") + eol(v);
        if (code(c) == 70 && flags != 0) flags = i;
        if (code(c) == 290 && flags != 0) v = std::string("1") + eol(v);
        if (code(c) == 62 && flags != 0 && std::strtol(v.c_str(), nullptr, 10) < 0 && code(tags[flags].first) == 70)
            tags[flags].second = std::to_string(std::strtol(tags[flags].second.c_str(), nullptr, 10) | 1) +
                                 eol(tags[flags].second);
    }
    std::string out;
    out.reserve(dxf.size());
    for (const auto& [c, v] : tags) out += c + v;
    return out;
}

void EnsureGui() {
    if (QGuiApplication::instance() != nullptr) return;
    static int argc = 3;
    static char a0[] = "test_cli", a1[] = "-platform", a2[] = "offscreen";
    static char* argv[] = {a0, a1, a2, nullptr};
    new QGuiApplication(argc, argv);
}

std::vector<std::string> Samples() {
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(test::SamplesDir())) {
        std::string ext = e.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        if (ext == ".jww" || ext == ".jws") files.push_back(e.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(RenderAgainstLibreCad, LineWorkOfEverySampleAgrees) {
    ZS_NEED_SAMPLES();
    if (!fs::exists("/usr/bin/librecad") || !fs::exists("/usr/bin/xvfb-run"))
        GTEST_SKIP() << "librecad or xvfb-run is not installed";
    std::string out;
    if (Shell("command -v pdftoppm >/dev/null 2>&1", out) != 0) GTEST_SKIP() << "pdftoppm (poppler-utils) missing";
    EnsureGui();
    test::TempDir tmp("zs-librecad");
    const fs::path dir = tmp.path();
    int compared = 0;
    for (const std::string& in : Samples()) {
        SCOPED_TRACE(in);
        const std::string stem = fs::path(in).stem().string();
        const fs::path dxf = dir / (stem + ".dxf");
        std::ostringstream cout, cerr;
        cli::Console io{cout, cerr};
        ASSERT_EQ(cli::Run({"dxf", in, "-o", dxf.string()}, io), 0) << cerr.str();

        // Ours, without texts and images.
        cli::PrivateTempFolder images;
        TJwFileModels models;
        std::string error;
        std::vector<std::string> imageErrors;
        ASSERT_TRUE(
            cli::ReadDrawingForExport(in, dir / (stem + ".png"), images, models, "rendered", error, imageErrors))
            << error;
        EXPECT_TRUE(imageErrors.empty());
        const TJwwData& dwg = models.Jww();
        const TJwBox paper = JwPaperBox(dwg);
        std::vector<TJwBox> left;
        TJwPictureRequest r;
        r.dpi = kDpi;
        const QImage ours = JwRenderImage(
                                [&](TJwCanvas& c) {
                                    LineWork lw(c, left);
                                    dwg.GLDrawALL(lw, r.draw);
                                },
                                paper, r)
                                .convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(ours.isNull());

        // LibreCAD's, at the paper's scale: model space holds the paper
        // enlarged by the scale of the DXF's limits, and LibreCAD takes its
        // page from the paper-space limits.
        std::ifstream f(dxf, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(f)), {});
        const double limit = HeaderValue(text, "$LIMMAX", " 10");
        ASSERT_GT(limit, 0) << "no $LIMMAX";
        EXPECT_NEAR(HeaderValue(text, "$PLIMMAX", " 10"), paper.Width(), 1e-6);
        EXPECT_NEAR(HeaderValue(text, "$PLIMMAX", " 20"), paper.Height(), 1e-6);
        std::ofstream(dxf, std::ios::binary) << ForLibreCad(text);
        char scale[64];
        std::snprintf(scale, sizeof scale, "%.12g", paper.Width() / limit);
        ASSERT_EQ(Shell("timeout 120 xvfb-run -a /usr/bin/librecad dxf2pdf -s " + std::string(scale) +
                            " -f 0,0,0,0 -t " + Quote(dir) + " " + Quote(dxf) + " 2>&1",
                        out),
                  0)
            << out;
        const fs::path pdf = dir / (stem + ".pdf");
        ASSERT_TRUE(fs::exists(pdf)) << out;
        ASSERT_EQ(Shell("pdftoppm -r " + std::to_string(int(kDpi)) + " -png -singlefile " + Quote(pdf) + " " +
                            Quote(dir / (stem + "-librecad")) + " 2>&1",
                        out),
                  0)
            << out;
        const QImage theirs =
            QImage(QString::fromStdString((dir / (stem + "-librecad.png")).string())).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(theirs.isNull());
        EXPECT_LE(std::abs(ours.width() - theirs.width()), 1);
        EXPECT_LE(std::abs(ours.height() - theirs.height()), 1);

        // Both masks without the places of texts and images.
        const int w = std::min(ours.width(), theirs.width()), h = std::min(ours.height(), theirs.height());
        std::vector<uint8_t> a = Ink(ours, w, h), b = Ink(theirs, w, h);
        const double px = kDpi / 25.4;
        for (const TJwBox& box : left) {
            const int x1 = std::max(0, int(std::floor((box.x1 - paper.x1) * px)) - kNear);
            const int x2 = std::min(w - 1, int(std::ceil((box.x2 - paper.x1) * px)) + kNear);
            const int y1 = std::max(0, int(std::floor((paper.y2 - box.y2) * px)) - kNear);
            const int y2 = std::min(h - 1, int(std::ceil((paper.y2 - box.y1) * px)) + kNear);
            for (int y = y1; y <= y2; ++y)
                for (int x = x1; x <= x2; ++x) a[size_t(y) * w + x] = b[size_t(y) * w + x] = 0;
        }
        // Nor the page's edge, where LibreCAD's page clips a line on it.
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (x < kNear || y < kNear || x >= w - kNear || y >= h - kNear) a[size_t(y) * w + x] = b[size_t(y) * w + x] = 0;
        const double oursNearTheirs = Within(a, Dilate(b, w, h, kNear));
        const double theirsNearOurs = Within(b, Dilate(a, w, h, kNear));
        std::printf("[ librecad ] %s: %.1f%% of ours near LibreCAD's, %.1f%% of LibreCAD's near ours (%zu and %zu px)\n",
                    stem.c_str(), 100 * oursNearTheirs, 100 * theirsNearOurs,
                    size_t(std::count(a.begin(), a.end(), 1)), size_t(std::count(b.begin(), b.end(), 1)));
        EXPECT_GE(oursNearTheirs, 0.98);
        EXPECT_GE(theirsNearOurs, 0.98);
        ++compared;
    }
    EXPECT_EQ(compared, 6);
}

}  // namespace
