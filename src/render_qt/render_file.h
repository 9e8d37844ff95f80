// Pictures of a drawing as files: PNG (painted in bands on every core,
// src/render_qt/png_writer.h), SVG (written as it is drawn,
// src/render_qt/svg_canvas.h) and PDF (QPdfWriter), each of the drawing's
// paper size. Needs no display. Every picture is written through a temporary
// file that replaces the output only when complete (support/file_io.h:
// AtomicFileSink), so a failure leaves what was there; a picture that lacks
// one of its images is a failure too.
#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <string>

#include "render/canvas.h"
#include "render/renderer.h"

namespace jw {

class OutputSink;
class TJwImageStore;

enum class JwPictureFormat { Png, Svg, Pdf };

// The format of a file name's extension (".png", ".svg", ".pdf" in any
// letter case); false for any other.
bool JwPictureFormatOf(const QString& path, JwPictureFormat& format);
const char* JwPictureExtension(JwPictureFormat format);

struct TJwPictureRequest {
    JwPictureFormat format = JwPictureFormat::Png;
    double dpi = 150;      // raster resolution (PNG)
    int width = 0;         // raster width in pixels instead of dpi (0 = use dpi)
    unsigned threads = 0;  // bands of a PNG painted at once (0 = every core)
    // A PNG of up to this many pixels is painted whole in memory, in one band
    // a thread; a larger one is recorded once and painted in small bands.
    double directPixels = 64e6;
    TJwDrawOptions draw;
};

// Draws into a canvas whose paper coordinates span paper (mm). A PNG calls
// it once for each band it paints, on several threads at once: it may only
// read what it shares (TJwDrawPlan::Draw, TJwDisplayList::Replay do).
using JwDrawFn = std::function<void(TJwCanvas&)>;

// The most pixels a raster picture may have: a side, and in all.
inline constexpr int kMaxRasterSide = 30000;
inline constexpr double kMaxRasterPixels = 600e6;

// The size in pixels of the raster picture of paper for r (the paper's sides
// at r's resolution, rounded to whole pixels), and the pixels per paper mm
// asked for (the resolution the PNG states). The paper is mapped onto
// exactly those pixels, each side stretched by less than half a pixel, so
// that the picture's edges are the paper's. False, with the reason in error (naming the size it would have
// and the resolution that would do), when it is not usable.
bool JwRasterSize(const TJwBox& paper, const TJwPictureRequest& r, int& width, int& height, double& scale,
                  std::string& error);

// The raster picture of paper at the request's resolution, painted in one
// piece; a null image when its size is not usable. For small pictures (the
// tests, the window).
QImage JwRenderImage(const JwDrawFn& draw, const TJwBox& paper, const TJwPictureRequest& r);

// Writes the picture into sink, its images from images. False with the
// reason in error: the picture cannot be made or written, or an image it
// shows cannot be decoded.
bool JwWritePicture(const JwDrawFn& draw, const TJwBox& paper, const TJwPictureRequest& r, OutputSink& sink,
                    TJwImageStore& images, std::string& error);

// Writes the picture to path, as above, through a temporary file that takes
// its name only when the picture is complete.
bool JwRenderFile(const JwDrawFn& draw, const TJwBox& paper, const TJwPictureRequest& r, const QString& path,
                  std::string& error);

}  // namespace jw
