// Points and axis-aligned boxes of the plane, shared by the DXF export (what
// a chain or a block definition covers) and the screen rendering (paper
// millimetres).
#pragma once

#include <cmath>

namespace jw {

struct TJwPoint {
    double x = 0, y = 0;
};

// Axis-aligned box; empty until a point is added, and points that are not
// finite are left out.
struct TJwBox {
    double x1 = 1, y1 = 1, x2 = 0, y2 = 0;

    bool Empty() const { return !(x1 <= x2 && y1 <= y2); }
    void Add(double x, double y) {
        if (!std::isfinite(x) || !std::isfinite(y)) return;
        if (Empty()) {
            x1 = x2 = x;
            y1 = y2 = y;
            return;
        }
        x1 = std::fmin(x1, x);
        y1 = std::fmin(y1, y);
        x2 = std::fmax(x2, x);
        y2 = std::fmax(y2, y);
    }
    void Add(TJwPoint p) { Add(p.x, p.y); }
    void Add(const TJwBox& b) {
        if (b.Empty()) return;
        Add(b.x1, b.y1);
        Add(b.x2, b.y2);
    }
    bool Meets(const TJwBox& b) const { return !Empty() && !b.Empty() && x1 <= b.x2 && b.x1 <= x2 && y1 <= b.y2 && b.y1 <= y2; }
    double Width() const { return Empty() ? 0 : x2 - x1; }
    double Height() const { return Empty() ? 0 : y2 - y1; }
};

}  // namespace jw
