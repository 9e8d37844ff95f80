#include "support/geometry.h"

#include <algorithm>

namespace jw {

// Liang-Barsky.
bool JwClipSegment(TJwPoint& a, TJwPoint& b, const TJwBox& w) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    double t0 = 0, t1 = 1;
    auto edge = [&](double p, double q) {
        if (p == 0) return q >= 0;
        const double r = q / p;
        if (p < 0) {
            if (r > t1) return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0) return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    if (!edge(-dx, a.x - w.x1) || !edge(dx, w.x2 - a.x) || !edge(-dy, a.y - w.y1) || !edge(dy, w.y2 - a.y)) return false;
    const TJwPoint from = a;
    if (t1 < 1) b = {from.x + t1 * dx, from.y + t1 * dy};
    if (t0 > 0) a = {from.x + t0 * dx, from.y + t0 * dy};
    return true;
}

// Sutherland-Hodgman, one edge of the box after the other.
void JwClipPolygon(std::span<const TJwPoint> in, const TJwBox& w, std::vector<TJwPoint>& out) {
    std::vector<TJwPoint> a(in.begin(), in.end()), b;
    auto pass = [&](auto inside, auto cross) {
        b.clear();
        for (size_t i = 0; i < a.size(); ++i) {
            const TJwPoint p = a[i], q = a[(i + 1) % a.size()];
            const bool pin = inside(p), qin = inside(q);
            if (pin) b.push_back(p);
            if (pin != qin) b.push_back(cross(p, q));
        }
        a.swap(b);
    };
    auto atX = [](double x) {
        return [x](TJwPoint p, TJwPoint q) { return TJwPoint{x, p.y + (q.y - p.y) * (x - p.x) / (q.x - p.x)}; };
    };
    auto atY = [](double y) {
        return [y](TJwPoint p, TJwPoint q) { return TJwPoint{p.x + (q.x - p.x) * (y - p.y) / (q.y - p.y), y}; };
    };
    pass([&](TJwPoint p) { return p.x >= w.x1; }, atX(w.x1));
    pass([&](TJwPoint p) { return p.x <= w.x2; }, atX(w.x2));
    pass([&](TJwPoint p) { return p.y >= w.y1; }, atY(w.y1));
    pass([&](TJwPoint p) { return p.y <= w.y2; }, atY(w.y2));
    out = std::move(a);
}

void JwClipPolyline(std::span<const TJwPoint> points, bool closed, const TJwBox& w,
                    const std::function<void(std::span<const TJwPoint>)>& part) {
    std::vector<TJwPoint> run;
    auto flush = [&] {
        if (run.size() >= 2) part(run);
        run.clear();
    };
    const size_t n = points.size() + (closed && points.size() > 2 ? 1 : 0);
    for (size_t i = 1; i < n; ++i) {
        TJwPoint a = points[i - 1], b = points[i % points.size()];
        const TJwPoint to = b;
        if (!JwClipSegment(a, b, w)) {
            flush();
            continue;
        }
        if (run.empty() || run.back().x != a.x || run.back().y != a.y) {
            flush();
            run.push_back(a);
        }
        run.push_back(b);
        if (b.x != to.x || b.y != to.y) flush();
    }
    flush();
}

}  // namespace jw
