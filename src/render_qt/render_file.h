// Pictures of a drawing as files: PNG (QImage), SVG (QSvgGenerator) and PDF
// (QPdfWriter), each of the drawing's paper size. Needs no display: the
// painting happens on a QImage or a vector device.
#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <string>

#include "render/canvas.h"
#include "render/renderer.h"

namespace jw {

enum class JwPictureFormat { Png, Svg, Pdf };

// The format of a file name's extension (".png", ".svg", ".pdf" in any
// letter case); false for any other.
bool JwPictureFormatOf(const QString& path, JwPictureFormat& format);
const char* JwPictureExtension(JwPictureFormat format);

struct TJwPictureRequest {
    JwPictureFormat format = JwPictureFormat::Png;
    double dpi = 150;  // raster resolution (PNG)
    int width = 0;     // raster width in pixels instead of dpi (0 = use dpi)
    TJwDrawOptions draw;
};

// Draws into a canvas whose paper coordinates span paper (mm).
using JwDrawFn = std::function<void(TJwCanvas&)>;

// The raster picture of paper at the request's resolution; a null image
// when its size is not usable (zero, or more than 30000 pixels a side).
QImage JwRenderImage(const JwDrawFn& draw, const TJwBox& paper, const TJwPictureRequest& r);

// Writes the picture to path: through a temporary file beside it that
// replaces path only when complete; an existing path that is not a regular
// file is never replaced. False with the reason in error.
bool JwRenderFile(const JwDrawFn& draw, const TJwBox& paper, const TJwPictureRequest& r, const QString& path,
                  std::string& error);

}  // namespace jw
