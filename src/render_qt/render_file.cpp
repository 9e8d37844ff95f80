#include "render_file.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QIODevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <thread>

#include "image_store.h"
#include "png_writer.h"
#include "qt_canvas.h"
#include "render/display_list.h"
#include "render/text_cells.h"
#include "support/file_io.h"
#include "svg_canvas.h"

namespace jw {

namespace {

// The size of a large page of memory.
constexpr size_t kLargePage = size_t(2) << 20;
// PDF dots per paper mm, and the resolution of the pictures it embeds.
constexpr int kPdfDpi = 1200;
constexpr double kPdfImagePxPerMm = 300 / 25.4;

// Paper mm (y up) onto a device whose origin is the paper's top-left corner
// (y down), s device units per mm.
QTransform PaperToDevice(const TJwBox& paper, double s) {
    return QTransform(s, 0, 0, -s, -paper.x1 * s, paper.y2 * s);
}

// Paper mm onto a raster picture of width x height pixels, the paper's
// edges on the picture's: each side's scale is its pixel count over its
// length, so that no edge column or row is painted in part.
QTransform PaperToPixels(const TJwBox& paper, int width, int height) {
    const double sx = width / paper.Width(), sy = height / paper.Height();
    return QTransform(sx, 0, 0, -sy, -paper.x1 * sx, paper.y2 * sy);
}

void Begin(QPainter& p, QRectF whole, uint32_t background) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.fillRect(whole, QColor::fromRgba(background));
}

// The glyphs of the thread that paints a band. Fonts must be let go on the
// thread that made them (the font engine's FreeType data is the thread's
// own), so a worker's cache lives as long as the worker; the application's
// own thread uses one cache per picture, which goes before the application.
TJwGlyphCache& BandGlyphs(std::unique_ptr<TJwGlyphCache>& mainThreadCache) {
    if (QCoreApplication::instance() == nullptr || QThread::currentThread() == QCoreApplication::instance()->thread()) {
        if (!mainThreadCache) mainThreadCache = std::make_unique<TJwGlyphCache>();
        return *mainThreadCache;
    }
    thread_local TJwGlyphCache workerCache;
    return workerCache;
}

// An output sink as the QIODevice QPdfWriter writes to. A failing write is
// answered with -1 and its reason kept, as Qt does not report what its
// device said.
class SinkDevice : public QIODevice {
public:
    explicit SinkDevice(OutputSink& sink) : sink_(sink) { open(QIODevice::WriteOnly); }
    const std::string& Error() const { return error_; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 n) override {
        if (!error_.empty()) return -1;
        try {
            sink_.Write(reinterpret_cast<const uint8_t*>(data), static_cast<size_t>(n));
        } catch (const JwIOError& e) {
            error_ = e.what();
            return -1;
        }
        return n;
    }

private:
    OutputSink& sink_;
    std::string error_;
};

// "an image could not be decoded" errors of the store, as one message.
bool ImagesDecoded(const TJwImageStore& images, std::string& error) {
    const std::vector<std::string> failures = images.Failures();
    if (failures.empty()) return true;
    error = "image " + failures.front();
    if (failures.size() > 1) error += " (and " + std::to_string(failures.size() - 1) + " more)";
    return false;
}

// The bands of a picture that one thread paints in a single drawing of it:
// every primitive goes to the bands whose rows it may reach (its box
// widened by half its stroke and a pixel of anti-aliasing), each band a
// canvas of its own, clipped at the band's edges as a band painted alone is.
class BandFan : public TJwCanvas {
public:
    // Bands first, first + step, first + 2 step ... of `rows` rows each
    // (images[k] is band first + k step).
    BandFan(std::vector<QImage>& images, int first, int step, int rows, const TJwBox& paper, int width, int height,
            uint32_t background, TJwImageStore& store, TJwGlyphCache& glyphs)
        : first_(first), step_(step), rows_(rows), top_(paper.y2), s_(height / paper.Height()) {
        const QTransform toDevice = PaperToPixels(paper, width, height);
        painters_.reserve(images.size());
        canvases_.reserve(images.size());
        for (size_t k = 0; k < images.size(); ++k) {
            QPainter& p = *painters_.emplace_back(std::make_unique<QPainter>(&images[k]));
            Begin(p, QRectF(0, 0, images[k].width(), images[k].height()), background);
            const int y0 = (first + static_cast<int>(k) * step) * rows;
            canvases_.push_back(std::make_unique<TJwQtCanvas>(p, toDevice * QTransform::fromTranslate(0, -y0), 1.0,
                                                               &store, 0, &glyphs));
        }
    }

    void Polyline(const TJwPen& pen, std::span<const TJwPoint> points, bool closed) override {
        ForBands(BoxOf(points), Stroke(pen), [&](TJwCanvas& c) { c.Polyline(pen, points, closed); });
    }
    void Arc(const TJwPen& pen, const TJwArc& arc) override {
        const double r = std::max(std::hypot(arc.m.a, arc.m.b), std::hypot(arc.m.c, arc.m.d));
        TJwBox box;
        box.Add(arc.m.e - r, arc.m.f - r);
        box.Add(arc.m.e + r, arc.m.f + r);
        ForBands(box, Stroke(pen), [&](TJwCanvas& c) { c.Arc(pen, arc); });
    }
    void FillPolygon(uint32_t argb, std::span<const TJwPoint> points) override {
        ForBands(BoxOf(points), 0, [&](TJwCanvas& c) { c.FillPolygon(argb, points); });
    }
    void Text(const TJwTextRun& run) override {
        TJwPoint corners[4];
        JwTextCorners(run, corners);
        // Glyphs may overhang their cells a little.
        ForBands(BoxOf(corners), JwTextHeight(run) / 4, [&](TJwCanvas& c) { c.Text(run); });
    }
    void Image(const TJwImage& image) override {
        const TJwPoint corners[4] = {image.m.Map(0, 0), image.m.Map(1, 0), image.m.Map(1, 1), image.m.Map(0, 1)};
        ForBands(BoxOf(corners), 0, [&](TJwCanvas& c) { c.Image(image); });
    }
    void Dot(uint32_t argb, TJwPoint at) override {
        ForBands(BoxOf(std::span<const TJwPoint>(&at, 1)), 0, [&](TJwCanvas& c) { c.Dot(argb, at); });
    }

private:
    const int first_, step_, rows_;
    const double top_, s_;
    std::vector<std::unique_ptr<QPainter>> painters_;
    std::vector<std::unique_ptr<TJwQtCanvas>> canvases_;

    static TJwBox BoxOf(std::span<const TJwPoint> points) {
        TJwBox b;
        for (const TJwPoint& p : points) b.Add(p);
        return b;
    }
    static double Stroke(const TJwPen& pen) { return std::isfinite(pen.width) ? std::fabs(pen.width) / 2 : 0; }
    template <class F>
    void ForBands(const TJwBox& box, double reach, F&& draw) {
        if (box.Empty()) return;
        reach = std::min(reach, 1e6) + 2 / s_;
        const double top = (top_ - (box.y2 + reach)) * s_ / rows_, bottom = (top_ - (box.y1 - reach)) * s_ / rows_;
        // This fan's bands among those from band k1 to k2.
        const double n = static_cast<double>(canvases_.size());
        const double k1 = std::ceil((std::floor(top) - first_) / step_), k2 = std::floor((std::floor(bottom) - first_) / step_);
        for (double k = std::max(k1, 0.0); k <= std::min(k2, n - 1); ++k) draw(*canvases_[static_cast<size_t>(k)]);
    }
};

void WritePng(const JwDrawFn& draw, const TJwBox& paper, const TJwPictureRequest& r, OutputSink& sink,
              TJwImageStore& images, int width, int height, double s) {
    const unsigned threads = r.threads > 0 ? r.threads : std::max(1u, std::thread::hardware_concurrency());
    // The bands depend on the picture's size alone, so that the picture is
    // the same whatever the number of threads and the way it is painted.
    const int rows = JwPngBandRows(width, height);
    const int bands = (height + rows - 1) / rows;
    const uint32_t background = JwBackgroundArgb(r.draw);
    TJwPngLayout layout;
    layout.width = width;
    layout.height = height;
    layout.dpi = s * 25.4;
    layout.threads = threads;
    layout.bandRows = rows;
    std::unique_ptr<TJwGlyphCache> mainThreadGlyphs;

    if (double(width) * height > r.directPixels) {
        // Larger than memory should hold: recorded once, indexed by bands,
        // each band drawing only what meets it, and never the whole picture
        // in memory.
        TJwDisplayList list;
        draw(list);
        list.IndexStrips(paper, rows * paper.Height() / height, bands);
        const QTransform toDevice = PaperToPixels(paper, width, height);
        JwWritePng(sink, layout, [&](QImage& band, int y0) {
            QPainter p(&band);
            Begin(p, QRectF(0, 0, band.width(), band.height()), background);
            TJwQtCanvas canvas(p, toDevice * QTransform::fromTranslate(0, -y0), 1.0, &images, 0,
                               &BandGlyphs(mainThreadGlyphs));
            list.ReplayStrip(canvas, y0 / rows, 0);
        });
        return;
    }

    // Painted whole in memory: each thread draws the drawing once onto its
    // share of the bands, then the bands are compressed on every core.
    // A large one backed by large pages: filling a fresh picture a small
    // page at a time costs more than painting it.
    const size_t bytes = size_t(width) * 4 * size_t(height);
    const bool large = bytes >= 4 * kLargePage;
    std::unique_ptr<uchar, decltype(&std::free)> pixels(
        static_cast<uchar*>(large ? std::aligned_alloc(kLargePage, (bytes + kLargePage - 1) / kLargePage * kLargePage)
                                  : std::malloc(bytes)),
        &std::free);
    if (!pixels) throw JwIOError("no memory for a picture of " + std::to_string(width) + " x " +
                                 std::to_string(height) + " pixels");
    AdviseLargeArray(pixels.get(), bytes);
    QImage whole(pixels.get(), width, height, width * 4, QImage::Format_RGB32);
    const unsigned painters = std::min<unsigned>(threads, static_cast<unsigned>(bands));
    // Thread t paints bands t, t + painters, ...: a drawing whose contents
    // gather in part of the sheet still keeps every thread busy.
    auto paint = [&](unsigned t) {
        std::vector<QImage> share;
        for (int k = static_cast<int>(t); k < bands; k += static_cast<int>(painters)) {
            const int y0 = k * rows, n = std::min(rows, height - y0);
            share.emplace_back(whole.bits() + int64_t(y0) * whole.bytesPerLine(), width, n, whole.bytesPerLine(),
                               QImage::Format_RGB32);
        }
        BandFan fan(share, static_cast<int>(t), static_cast<int>(painters), rows, paper, width, height, background, images,
                    BandGlyphs(mainThreadGlyphs));
        draw(fan);
    };
    std::vector<std::exception_ptr> failed(painters);
    std::vector<std::thread> workers;
    for (unsigned t = 1; t < painters; ++t)
        workers.emplace_back([&, t] {
            try {
                paint(t);
            } catch (...) {
                failed[t] = std::current_exception();
            }
        });
    try {
        paint(0);
    } catch (...) {
        failed[0] = std::current_exception();
    }
    for (std::thread& w : workers) w.join();
    for (const std::exception_ptr& e : failed)
        if (e) std::rethrow_exception(e);
    JwWritePng(sink, whole, layout);
}

void WriteSvg(const JwDrawFn& draw, const TJwBox& paper, const TJwPictureRequest& r, OutputSink& sink,
              TJwImageStore& images) {
    TJwSvgCanvas svg(sink, paper, JwBackgroundArgb(r.draw), &images);
    draw(svg);
    svg.Finish();
}

void WritePdf(const JwDrawFn& draw, const TJwBox& paper, const TJwPictureRequest& r, OutputSink& sink,
              TJwImageStore& images) {
    SinkDevice device(sink);
    bool painted = false;
    {
        QPdfWriter pdf(&device);
        pdf.setResolution(kPdfDpi);
        pdf.setCreator(QStringLiteral("zumenscope"));
        const double w = paper.Width(), h = paper.Height();
        const QPageSize size(QSizeF(std::min(w, h), std::max(w, h)), QPageSize::Millimeter, QString(),
                             QPageSize::ExactMatch);
        pdf.setPageLayout(
            QPageLayout(size, w > h ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        QPainter p;
        if (p.begin(&pdf)) {
            const double s = kPdfDpi / 25.4;
            Begin(p, QRectF(0, 0, w * s, h * s), JwBackgroundArgb(r.draw));
            {
                TJwQtCanvas canvas(p, PaperToDevice(paper, s), 0, &images, kPdfImagePxPerMm);
                draw(canvas);
            }
            painted = p.end();
        }
    }
    if (!device.Error().empty()) throw JwIOError(device.Error());
    if (!painted) throw JwIOError("the PDF could not be made");
}

}  // namespace

bool JwPictureFormatOf(const QString& path, JwPictureFormat& format) {
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QLatin1String("png")) {
        format = JwPictureFormat::Png;
    } else if (ext == QLatin1String("svg")) {
        format = JwPictureFormat::Svg;
    } else if (ext == QLatin1String("pdf")) {
        format = JwPictureFormat::Pdf;
    } else {
        return false;
    }
    return true;
}

const char* JwPictureExtension(JwPictureFormat format) {
    switch (format) {
        case JwPictureFormat::Svg: return ".svg";
        case JwPictureFormat::Pdf: return ".pdf";
        default: return ".png";
    }
}

bool JwRasterSize(const TJwBox& paper, const TJwPictureRequest& r, int& width, int& height, double& scale,
                  std::string& error) {
    width = height = 0;
    scale = 0;
    if (paper.Empty() || !(paper.Width() > 0) || !(paper.Height() > 0)) {
        error = "the drawing has no paper size";
        return false;
    }
    const double s = r.width > 0 ? r.width / paper.Width() : r.dpi / 25.4;
    const double w = std::round(paper.Width() * s), h = std::round(paper.Height() * s);
    if (!(w >= 1 && h >= 1)) {
        error = "the picture would have no pixels";
        return false;
    }
    if (w > kMaxRasterSide || h > kMaxRasterSide || w * h > kMaxRasterPixels) {
        // The resolution at which the paper would fit both limits.
        const double fit = std::min({kMaxRasterSide / paper.Width(), kMaxRasterSide / paper.Height(),
                                     std::sqrt(kMaxRasterPixels / (paper.Width() * paper.Height()))});
        const long dpi = static_cast<long>(std::floor(fit * 25.4));
        error = "the picture would be " + std::to_string(static_cast<long long>(w)) + " x " +
                std::to_string(static_cast<long long>(h)) + " pixels (at most " + std::to_string(kMaxRasterSide) +
                " a side and " + std::to_string(static_cast<long long>(kMaxRasterPixels / 1e6)) +
                " million in all); give --dpi " + std::to_string(std::max(dpi, 1L)) + " or less";
        return false;
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    scale = s;
    return true;
}

QImage JwRenderImage(const JwDrawFn& draw, const TJwBox& paper, const TJwPictureRequest& r) {
    int w = 0, h = 0;
    double s = 0;
    std::string error;
    if (!JwRasterSize(paper, r, w, h, s, error)) return QImage();
    QImage image(w, h, QImage::Format_RGB32);
    if (image.isNull()) return image;
    QPainter p(&image);
    Begin(p, QRectF(0, 0, w, h), JwBackgroundArgb(r.draw));
    TJwImageStore images;
    {
        TJwQtCanvas canvas(p, PaperToPixels(paper, w, h), 1.0, &images);
        draw(canvas);
    }
    p.end();
    return image;
}

bool JwWritePicture(const JwDrawFn& draw, const TJwBox& paper, const TJwPictureRequest& r, OutputSink& sink,
                    TJwImageStore& images, std::string& error) {
    error.clear();
    int w = 0, h = 0;
    double s = 0;
    if (r.format == JwPictureFormat::Png && !JwRasterSize(paper, r, w, h, s, error)) return false;
    if (paper.Empty() || !(paper.Width() > 0) || !(paper.Height() > 0)) {
        error = "the drawing has no paper size";
        return false;
    }
    try {
        switch (r.format) {
            case JwPictureFormat::Png: WritePng(draw, paper, r, sink, images, w, h, s); break;
            case JwPictureFormat::Svg: WriteSvg(draw, paper, r, sink, images); break;
            case JwPictureFormat::Pdf: WritePdf(draw, paper, r, sink, images); break;
        }
    } catch (const std::exception& e) {  // the sink's JwIOError, or memory that ran out
        error = e.what();
        return false;
    }
    // A picture without one of its images would pass for the drawing.
    return ImagesDecoded(images, error);
}

bool JwRenderFile(const JwDrawFn& draw, const TJwBox& paper, const TJwPictureRequest& r, const QString& path,
                  std::string& error) {
    try {
        AtomicFileSink sink(path.toStdU16String());
        TJwImageStore images;
        if (!JwWritePicture(draw, paper, r, sink, images, error)) return false;
        sink.Commit();
    } catch (const JwIOError& e) {
        error = e.what();
        return false;
    }
    return true;
}

}  // namespace jw
