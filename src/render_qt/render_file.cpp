#include "render_file.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

#include "qt_canvas.h"

namespace jw {

namespace {

constexpr int kMaxRasterSide = 30000;
// Vector output: SVG user units and PDF dots per paper mm.
constexpr double kSvgUnitsPerMm = 10;
constexpr int kPdfDpi = 1200;

// Paper mm (y up) onto a device whose origin is the paper's top-left corner
// (y down), s device units per mm.
QTransform PaperToDevice(const TJwBox& paper, double s) {
    return QTransform(s, 0, 0, -s, -paper.x1 * s, paper.y2 * s);
}

void Paint(QPainter& p, const JwDrawFn& draw, const TJwBox& paper, double s, double minWidth,
           const TJwPictureRequest& r) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.fillRect(QRectF(0, 0, paper.Width() * s, paper.Height() * s), QColor::fromRgba(JwBackgroundArgb(r.draw)));
    TJwImageStore images;
    TJwQtCanvas canvas(p, PaperToDevice(paper, s), minWidth, &images);
    draw(canvas);
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

// Qt's PNG quality: zlib level (100 - quality) x 9 / 91, here level 1.
constexpr int kPngQuality = 89;

QImage JwRenderImage(const JwDrawFn& draw, const TJwBox& paper, const TJwPictureRequest& r) {
    if (paper.Empty() || !(paper.Width() > 0) || !(paper.Height() > 0)) return QImage();
    const double s = r.width > 0 ? r.width / paper.Width() : r.dpi / 25.4;
    const double w = std::round(paper.Width() * s), h = std::round(paper.Height() * s);
    if (!(w >= 1 && h >= 1 && w <= kMaxRasterSide && h <= kMaxRasterSide)) return QImage();
    // The background is opaque: no alpha channel to paint or to save.
    QImage image(static_cast<int>(w), static_cast<int>(h), QImage::Format_RGB32);
    if (image.isNull()) return image;
    QPainter p(&image);
    Paint(p, draw, paper, s, 1.0, r);
    p.end();
    return image;
}

bool JwRenderFile(const JwDrawFn& draw, const TJwBox& paper, const TJwPictureRequest& r, const QString& path,
                  std::string& error) {
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        error = "exists and is not a regular file";
        return false;
    }
    if (paper.Empty() || !(paper.Width() > 0) || !(paper.Height() > 0)) {
        error = "the drawing has no paper size";
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = "cannot write: " + file.errorString().toStdString();
        return false;
    }
    bool painted = true;
    switch (r.format) {
        case JwPictureFormat::Png: {
            const QImage image = JwRenderImage(draw, paper, r);
            if (image.isNull()) {
                error = "the picture would be too large (at most 30000 pixels a side)";
                file.cancelWriting();
                return false;
            }
            // zlib's fastest level: a drawing is mostly background, which
            // packs well at any level, and the default level takes longer
            // than the drawing.
            painted = image.save(&file, "PNG", kPngQuality);
            break;
        }
        case JwPictureFormat::Svg: {
            const double s = kSvgUnitsPerMm;
            QSvgGenerator svg;
            svg.setOutputDevice(&file);
            svg.setResolution(static_cast<int>(std::lround(25.4 * s)));
            const QSizeF size(paper.Width() * s, paper.Height() * s);
            svg.setSize(size.toSize());
            svg.setViewBox(QRectF(QPointF(0, 0), size));
            QPainter p;
            painted = p.begin(&svg);
            if (painted) {
                Paint(p, draw, paper, s, 0, r);
                painted = p.end();
            }
            break;
        }
        case JwPictureFormat::Pdf: {
            QPdfWriter pdf(&file);
            pdf.setResolution(kPdfDpi);
            pdf.setCreator(QStringLiteral("zumenscope"));
            const double w = paper.Width(), h = paper.Height();
            const QPageSize size(QSizeF(std::min(w, h), std::max(w, h)), QPageSize::Millimeter, QString(),
                                 QPageSize::ExactMatch);
            pdf.setPageLayout(QPageLayout(size, w > h ? QPageLayout::Landscape : QPageLayout::Portrait,
                                          QMarginsF(0, 0, 0, 0)));
            QPainter p;
            painted = p.begin(&pdf);
            if (painted) {
                Paint(p, draw, paper, kPdfDpi / 25.4, 0, r);
                painted = p.end();
            }
            break;
        }
    }
    if (!painted) {
        error = "cannot draw the picture";
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = "cannot write: " + file.errorString().toStdString();
        return false;
    }
    return true;
}

}  // namespace jw
