// The drawing back end of the screen rendering: what GLDrawALL and its family
// hand over, in paper millimetres with the origin at the paper's lower-left
// corner and y upwards. A back end (QPainter for the window, PNG, SVG and PDF;
// the display list of the window) maps paper millimetres to its device.
#pragma once

#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "support/geometry.h"

namespace jw {

using JwString = std::u16string;

// x' = a x + c y + e, y' = b x + d y + f.
struct TJwAffine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

    TJwPoint Map(double x, double y) const { return {a * x + c * y + e, b * x + d * y + f}; }
    TJwPoint Map(TJwPoint p) const { return Map(p.x, p.y); }
    // This after o: (this * o)(p) = this(o(p)).
    TJwAffine operator*(const TJwAffine& o) const {
        return {a * o.a + c * o.b, b * o.a + d * o.b, a * o.c + c * o.d, b * o.c + d * o.d, a * o.e + c * o.f + e,
                b * o.e + d * o.f + f};
    }
    // Translation, then rotation by rad about the origin, scaling by (sx, sy).
    static TJwAffine Move(double x, double y) { return {1, 0, 0, 1, x, y}; }
    static TJwAffine Turn(double rad) {
        const double c = std::cos(rad), s = std::sin(rad);
        return {c, s, -s, c, 0, 0};
    }
    static TJwAffine Scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    bool Identity() const { return a == 1 && b == 0 && c == 0 && d == 1 && e == 0 && f == 0; }
};

// A pen: opaque ARGB colour, width in mm and dash pattern in mm (> 0 drawn,
// < 0 gap; empty: a solid line). The pattern's storage outlives every call.
struct TJwPen {
    uint32_t argb = 0xFF000000u;
    double width = 0.1;
    std::span<const double> dash;
};

// An arc, circle or ellipse: the points m(cos t, sin t) for t from start to
// start + sweep (radians, sweep > 0); whole draws the closed figure. m holds
// centre, radii, tilt and the placement of the block it stands in.
struct TJwArc {
    TJwAffine m;
    double start = 0, sweep = 0;
    bool whole = false;
};

// A run of text as a DXF TEXT holds it: the line from (x1, y1) to (x2, y2),
// the angle a (degrees) of its direction, the character width w, height h and
// spacing d; for vertical text the line runs along one side of the column
// (w is the advance along the column and h the column's width). The run is
// placed by m. Layout of the characters: JwTextCells (render/text_cells.h).
struct TJwTextRun {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    double w = 0, h = 0, d = 0, a = 0;
    bool vertical = false, slanted = false;
    uint32_t argb = 0xFF000000u;
    std::u16string_view font;  // Jw_cad's font name ("ＭＳ ゴシック", "@ＭＳ 明朝", ...)
    std::u16string_view text;
    TJwAffine m;
};

// An image file drawn into the parallelogram m maps the unit square onto
// (0, 0 its lower-left corner). width and height are its size in pixels.
struct TJwImage {
    JwString path;
    int32_t width = 0, height = 0;
    TJwAffine m;
};

class TJwCanvas {
public:
    virtual ~TJwCanvas() = default;

    virtual void Polyline(const TJwPen& pen, std::span<const TJwPoint> points, bool closed) = 0;
    virtual void Arc(const TJwPen& pen, const TJwArc& arc) = 0;
    virtual void FillPolygon(uint32_t argb, std::span<const TJwPoint> points) = 0;
    virtual void Text(const TJwTextRun& run) = 0;
    virtual void Image(const TJwImage& image) = 0;
    // Something smaller than a device pixel, drawn as one pixel (a display
    // list replaying a far view asks for it).
    virtual void Dot(uint32_t argb, TJwPoint at) = 0;
};

}  // namespace jw
