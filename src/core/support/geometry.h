// Points and axis-aligned boxes of the plane, shared by the DXF export (what
// a chain or a block definition covers) and the screen rendering (paper
// millimetres), and clipping to a box.
#pragma once

#include <cmath>
#include <functional>
#include <span>
#include <vector>

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

// Clipping to a box, for figures that reach far beyond what is drawn (the
// painters' fixed-point coordinates and dash loops do not survive that).
// Clips the segment a-b to w; false when nothing of it is inside.
bool JwClipSegment(TJwPoint& a, TJwPoint& b, const TJwBox& w);
// Clips a polygon to w, into out (fewer than three points: nothing inside).
void JwClipPolygon(std::span<const TJwPoint> in, const TJwBox& w, std::vector<TJwPoint>& out);
// Calls part for each piece of the polyline (closed: back to its first
// point) that lies within w.
void JwClipPolyline(std::span<const TJwPoint> points, bool closed, const TJwBox& w,
                    const std::function<void(std::span<const TJwPoint>)>& part);

}  // namespace jw
