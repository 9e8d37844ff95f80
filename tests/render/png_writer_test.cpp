// The banded PNG writer: a picture painted band by band on several threads
// reads back (Qt's reader and PIL) as the same picture painted whole, with
// the same bytes whatever the number of threads; the resolution is in pHYs;
// a failing sink or painter ends the write with its own error; bad sizes are
// refused; a very large picture takes little memory.
#include <QFont>
#include <QImage>
#include <QPainter>

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "common/qt_app.h"
#include "common/test_files.h"
#include "png_writer.h"

using namespace jw;

namespace {


constexpr int kW = 203, kH = 191;

// Antialiased lines, circles and text over white paper, many of them across
// the edges of the bands tried below; below them, bands of blank paper and
// of vertical lines only, some the same as others. Qt draws a line of one segment, and
// any line at most a pixel wide, after clipping it to the image, which moves
// it by a fraction of a pixel in a band; wider polylines, curves, fills and
// text are drawn the same in a band as in the whole picture.
void PaintScene(QPainter& p) {
    p.fillRect(QRect(0, 0, kW, kH), Qt::white);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setPen(QPen(Qt::black, 1.5));
    for (int i = 0; i < 12; ++i) {
        const QPointF zigzag[3] = {{3.3 + 17 * i, 2.7}, {190.1 - 9.7 * i, 148.2}, {95.5 + 3 * i, 149.9}};
        p.drawPolyline(zigzag, 3);
    }
    const QPointF level[3] = {{0, 63.5}, {kW / 2.0, 64}, {kW, 64.5}};
    p.drawPolyline(level, 3);
    const QPointF right[3] = {{196.5, 0}, {196.5, 100}, {196.5, kH}};
    p.drawPolyline(right, 3);
    const QPointF middle[3] = {{101.5, 160}, {101.5, 170}, {101.5, 178}};
    p.drawPolyline(middle, 3);
    p.setPen(QPen(QColor(200, 30, 40), 2.5));
    p.drawEllipse(QPointF(101.4, 75.2), 60.3, 44.9);
    p.setPen(QPen(QColor(20, 90, 210), 1.2));
    p.drawEllipse(QPointF(40.6, 110.9), 25.1, 25.1);
    p.drawArc(QRectF(120.2, 5.5, 70, 70), 30 * 16, 200 * 16);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(19);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QPointF(8.25, 70.6), QStringLiteral("Band 64 / 7 rows"));
    p.drawText(QPointF(30.5, 14.4), QStringLiteral("zumenscope"));
    p.fillRect(QRectF(150.5, 120.25, 30, 20.5), QColor(230, 230, 120));
}

QImage WholePicture() {
    QImage image(kW, kH, QImage::Format_RGB32);
    QPainter p(&image);
    PaintScene(p);
    return image;
}

void PaintBand(QImage& band, int y0) {
    QPainter p(&band);
    p.translate(0, -y0);
    PaintScene(p);
}

std::vector<uint8_t> WritePng(const TJwPngLayout& layout, const JwBandPainter& paint = PaintBand) {
    MemorySink sink;
    JwWritePng(sink, layout, paint);
    return sink.Take();
}

QImage Decode(const std::vector<uint8_t>& png) {
    return QImage::fromData(png.data(), static_cast<int>(png.size()), "PNG").convertToFormat(QImage::Format_RGB32);
}

bool SamePixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return false;
    for (int y = 0; y < a.height(); ++y) {
        const auto* ra = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            if (qRgb(qRed(ra[x]), qGreen(ra[x]), qBlue(ra[x])) != qRgb(qRed(rb[x]), qGreen(rb[x]), qBlue(rb[x])))
                return false;
    }
    return true;
}

// The whole picture's pixels as PIL gives them for an RGB picture.
std::string RgbBytes(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    std::string out;
    for (int y = 0; y < rgb.height(); ++y)
        out.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), static_cast<size_t>(rgb.width()) * 3);
    return out;
}

// Runs /usr/bin/python3 on script and answers what it printed (empty when it
// could not run).
std::string RunPython(const std::string& script) {
    FILE* f = ::popen(("/usr/bin/python3 '" + script + "' 2>&1").c_str(), "r");
    if (f == nullptr) return {};
    std::string out;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) out.append(buf, n);
    ::pclose(f);
    return out;
}

bool HavePil() { return std::system("/usr/bin/python3 -c 'import PIL' >/dev/null 2>&1") == 0; }

TEST(PngWriter, BandsAndThreadsGiveTheWholePicture) {
    jw::test::EnsureGuiApp();
    const QImage whole = WholePicture();
    test::TempDir dir("zs_png");
    std::vector<std::string> files;
    for (int rows : {1, 7, 64, 0}) {
        std::vector<uint8_t> first;
        for (unsigned threads : {1u, 2u, 3u}) {
            SCOPED_TRACE("bands of " + std::to_string(rows) + " rows, " + std::to_string(threads) + " threads");
            TJwPngLayout layout;
            layout.width = kW;
            layout.height = kH;
            layout.bandRows = rows;
            layout.threads = threads;
            const std::vector<uint8_t> png = WritePng(layout);
            EXPECT_TRUE(SamePixels(Decode(png), whole));
            if (first.empty()) {
                first = png;
                const std::string name = "b" + std::to_string(rows) + ".png";
                test::WriteFileBytes(dir.path() / name, png);
                files.push_back(name);
            } else {
                EXPECT_EQ(png, first);
            }
        }
    }
    if (!HavePil()) GTEST_SKIP() << "python3-pil is not installed";
    dir.Write("whole.rgb", RgbBytes(whole));
    std::string script = "from PIL import Image\nd = '" + dir.folder() +
                         "'\nwant = open(d + 'whole.rgb', 'rb').read()\nfor f in [";
    std::string want;
    for (const std::string& f : files) {
        script += "'" + f + "', ";
        want += f + " RGB (" + std::to_string(kW) + ", " + std::to_string(kH) + ") True False\n";
    }
    script +=
        "]:\n"
        "    im = Image.open(d + f)\n"
        "    im.load()\n"
        "    print(f, im.mode, im.size, im.tobytes() == want, 'dpi' in im.info)\n";
    EXPECT_EQ(RunPython(dir.Write("check.py", script).string()), want);
}

// The chunks of a PNG, in order, each checked against its CRC; empty when
// the signature, a length or a CRC is wrong.
std::vector<std::string> ChunkTypes(const std::vector<uint8_t>& png) {
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 8 || std::memcmp(png.data(), signature, 8) != 0) return {};
    const auto be32 = [&](size_t at) {
        return uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 | uint32_t(png[at + 2]) << 8 | png[at + 3];
    };
    std::vector<std::string> types;
    for (size_t at = 8; at < png.size();) {
        if (png.size() - at < 12) return {};
        const size_t n = be32(at);
        if (png.size() - at - 12 < n) return {};
        if (crc32(0, png.data() + at + 4, static_cast<uInt>(n + 4)) != be32(at + 8 + n)) return {};
        types.emplace_back(reinterpret_cast<const char*>(png.data() + at + 4), 4);
        at += 12 + n;
    }
    return types;
}

TEST(PngWriter, NoiseFillsSeveralIdatChunks) {
    // Pixels that do not compress: the stream is larger than one IDAT chunk.
    constexpr int w = 413, h = 301;
    const auto noise = [](int x, int y) {
        uint32_t v = static_cast<uint32_t>(x) * 2654435761u ^ static_cast<uint32_t>(y) * 2246822519u;
        v ^= v >> 15;
        v *= 2654435761u;
        return 0xFF000000u | (v ^ v >> 13);
    };
    QImage whole(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) whole.setPixel(x, y, noise(x, y));
    TJwPngLayout layout;
    layout.width = w;
    layout.height = h;
    layout.bandRows = 20;
    layout.threads = 3;
    const std::vector<uint8_t> png = WritePng(layout, [&](QImage& band, int y0) {
        for (int i = 0; i < band.height(); ++i)
            for (int x = 0; x < w; ++x) band.setPixel(x, i, noise(x, y0 + i));
    });
    EXPECT_GT(png.size(), size_t(w) * h * 3);
    EXPECT_EQ(ChunkTypes(png), (std::vector<std::string>{"IHDR", "IDAT", "IDAT", "IEND"}));
    EXPECT_TRUE(SamePixels(Decode(png), whole));
}

TEST(PngWriter, ResolutionInPhys) {
    jw::test::EnsureGuiApp();
    TJwPngLayout layout;
    layout.width = kW;
    layout.height = kH;
    layout.dpi = 150;
    layout.threads = 2;
    const std::vector<uint8_t> png = WritePng(layout);
    EXPECT_EQ(ChunkTypes(png), (std::vector<std::string>{"IHDR", "pHYs", "IDAT", "IEND"}));
    const QImage image = QImage::fromData(png.data(), static_cast<int>(png.size()), "PNG");
    EXPECT_EQ(image.dotsPerMeterX(), 5906);  // 150 / 0.0254, rounded
    EXPECT_EQ(image.dotsPerMeterY(), 5906);
    if (!HavePil()) GTEST_SKIP() << "python3-pil is not installed";
    test::TempDir dir("zs_png");
    test::WriteFileBytes(dir.path() / "a.png", png);
    const std::string script = "from PIL import Image\nprint([round(v, 2) for v in Image.open('" + dir.folder() +
                               "a.png').info['dpi']])\n";
    EXPECT_EQ(RunPython(dir.Write("dpi.py", script).string()), "[150.01, 150.01]\n");
}

// A sink that takes limit bytes and then fails as a full disk does.
class FullDiskSink : public OutputSink {
public:
    explicit FullDiskSink(size_t limit) : left_(limit) {}
    void Write(const uint8_t*, size_t n) override {
        if (n > left_) throw JwIOError("cannot write out.png: No space left on device");
        left_ -= n;
    }

private:
    size_t left_;
};

TEST(PngWriter, FailingSinkEndsTheWrite) {
    jw::test::EnsureGuiApp();
    TJwPngLayout layout;
    layout.width = kW;
    layout.height = kH;
    layout.bandRows = 3;
    const size_t total = WritePng(layout).size();
    for (unsigned threads : {1u, 3u}) {
        for (size_t limit : {size_t(0), size_t(40), total / 2, total - 1}) {
            SCOPED_TRACE(std::to_string(threads) + " threads, fails after " + std::to_string(limit) + " bytes");
            layout.threads = threads;
            FullDiskSink sink(limit);
            try {
                JwWritePng(sink, layout, PaintBand);
                ADD_FAILURE() << "no error";
            } catch (const JwIOError& e) {
                EXPECT_STREQ(e.what(), "cannot write out.png: No space left on device");
            }
        }
    }
}

TEST(PngWriter, FailingPainterEndsTheWrite) {
    jw::test::EnsureGuiApp();
    TJwPngLayout layout;
    layout.width = kW;
    layout.height = kH;
    layout.bandRows = 5;
    struct Case {
        int failAt;   // the first row of the band that fails; -1 every band
        bool resize;  // the painter replaces the band by one of another size instead of throwing
    };
    for (const Case c : {Case{0, false}, Case{75, false}, Case{kH - 1, false}, Case{-1, false}, Case{75, true}}) {
        for (unsigned threads : {1u, 2u, 3u}) {
            SCOPED_TRACE("band at " + std::to_string(c.failAt) + ", " + std::to_string(threads) + " threads");
            layout.threads = threads;
            std::atomic<int> painted{0};
            MemorySink sink;
            const auto paint = [&](QImage& band, int y0) {
                if (c.failAt < 0 || y0 == c.failAt) {
                    if (c.resize) {
                        band = QImage(kW, band.height() + 1, QImage::Format_RGB32);
                        return;
                    }
                    throw std::runtime_error("painter failed at " + std::to_string(y0));
                }
                PaintBand(band, y0);
                ++painted;
            };
            try {
                JwWritePng(sink, layout, paint);
                ADD_FAILURE() << "no error";
            } catch (const JwIOError& e) {
                EXPECT_TRUE(c.resize) << e.what();
                EXPECT_STREQ(e.what(), "cannot write the PNG: the band painter changed the band's size or format");
            } catch (const std::runtime_error& e) {
                EXPECT_FALSE(c.resize);
                if (c.failAt >= 0) {
                    EXPECT_EQ(e.what(), "painter failed at " + std::to_string(c.failAt));
                }
            }
            // The work stopped soon after the failure: at most a few bands per
            // thread went on.
            if (c.failAt >= 0) {
                EXPECT_LE(painted.load(), c.failAt / 5 + 3 * 3);
            }
        }
    }
}

TEST(PngWriter, RefusesBadLayouts) {
    struct Case {
        int width, height, bandRows;
        double dpi;
        const char* why;
    };
    const Case cases[] = {
        {0, 10, 0, 0, "the picture has no pixels (0 x 10)"},
        {10, 0, 0, 0, "the picture has no pixels (10 x 0)"},
        {-5, 10, 0, 0, "the picture has no pixels (-5 x 10)"},
        {1 << 27, 1, 0, 0, "a row of 134217728 pixels is too wide (more than 67108864)"},
        {2147483647, 1, 0, 0, "a row of 2147483647 pixels is too wide (more than 67108864)"},
        {10, 10, -1, 0, "the band height is negative (-1)"},
        {30000, 30000, 30000, 0, "a band of 30000 rows of 30000 pixels would take more than 256 MiB"},
        {10, 10, 0, -1, "the resolution is no positive number of dots per inch"},
        {10, 10, 0, std::nan(""), "the resolution is no positive number of dots per inch"},
        {10, 10, 0, HUGE_VAL, "the resolution is no positive number of dots per inch"},
        {10, 10, 0, 1e9, "a resolution of 1e+09 dpi cannot be written"},
        {10, 10, 0, 1e-4, "a resolution of 0.0001 dpi cannot be written"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        TJwPngLayout layout;
        layout.width = c.width;
        layout.height = c.height;
        layout.bandRows = c.bandRows;
        layout.dpi = c.dpi;
        MemorySink sink;
        bool painted = false;
        try {
            JwWritePng(sink, layout, [&](QImage&, int) { painted = true; });
            ADD_FAILURE() << "no error";
        } catch (const JwIOError& e) {
            EXPECT_EQ(e.what(), std::string("cannot write the PNG: ") + c.why);
        }
        EXPECT_FALSE(painted);
        EXPECT_TRUE(sink.Take().empty());
    }
}

// Resident memory of the process now, in bytes.
size_t ResidentBytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<size_t>(resident) * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

// Counts what is written and keeps nothing.
class CountingSink : public OutputSink {
public:
    void Write(const uint8_t*, size_t n) override { bytes += n; }
    size_t bytes = 0;
};

TEST(PngWriter, LargePictureTakesLittleMemory) {
    // 20000 x 20000 pixels: 1.6 GB as one QImage.
    TJwPngLayout layout;
    layout.width = 20000;
    layout.height = 20000;
    layout.threads = 2;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const long maxBefore = usage.ru_maxrss;  // KiB
    const size_t before = ResidentBytes();
    std::atomic<size_t> peak{before};
    std::atomic<int> bands{0};
    CountingSink sink;
    JwWritePng(sink, layout, [&](QImage& band, int y0) {
        band.fill(Qt::white);
        // A diagonal line at the top, so that not every band is blank paper.
        for (int i = 0; i < band.height() && y0 + i < 2000; ++i) band.setPixel(y0 + i, i, qRgb(0, 0, 0));
        size_t now = ResidentBytes(), seen = peak.load();
        while (now > seen && !peak.compare_exchange_weak(seen, now)) {
        }
        ++bands;
    });
    EXPECT_EQ(bands.load(), (20000 + JwPngBandRows(20000, 20000) - 1) / JwPngBandRows(20000, 20000));
    EXPECT_GT(sink.bytes, size_t(20000));
    EXPECT_LT(peak.load() - before, size_t(200) << 20);
    getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT(usage.ru_maxrss - maxBefore, 200 << 10);
}

}  // namespace
