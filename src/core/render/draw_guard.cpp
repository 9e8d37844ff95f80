#include "render/draw_guard.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "render/text_cells.h"

namespace jw {

namespace {

// How far beyond the paper's edges anything drawn may reach, mm: a
// kilometre, hundreds of sheets away.
constexpr double kReach = 1e6;
// Coordinates beyond this are not taken apart at all (products of two of
// them stay finite).
constexpr double kHuge = 1e150;
// The least width a stroke is thought to cover, mm (about one pixel at
// 100 dpi): a hair line costs as much as a thin one.
constexpr double kInkWidth = 0.25;

// The budget's terms: every drawing may cost this much...
constexpr double kBasePrimitives = 1'000'000;
constexpr double kBasePapers = 64;  // paper areas of ink
// ...and this much more for every record it holds.
constexpr double kPrimitivesPerRecord = 64;
constexpr double kPapersPerRecord = 1.0 / 256;

bool Finite(double v) { return std::isfinite(v) && std::fabs(v) < kHuge; }
bool Finite(TJwPoint p) { return Finite(p.x) && Finite(p.y); }
bool Finite(const TJwAffine& m) {
    return Finite(m.a) && Finite(m.b) && Finite(m.c) && Finite(m.d) && Finite(m.e) && Finite(m.f);
}

double Length(std::span<const TJwPoint> pts) {
    double len = 0;
    for (size_t i = 1; i < pts.size(); ++i) len += std::hypot(pts[i].x - pts[i - 1].x, pts[i].y - pts[i - 1].y);
    return len;
}

// The area a fill paints at most: its triangles from the first corner, each
// counted whole (a polygon that crosses itself paints its overlaps too).
double FillArea(std::span<const TJwPoint> pts) {
    double area = 0;
    for (size_t i = 2; i < pts.size(); ++i) {
        const TJwPoint a = pts[0], b = pts[i - 1], c = pts[i];
        area += std::fabs((b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y)) / 2;
    }
    return area;
}

}  // namespace

TJwDrawBudget JwDrawBudgetFor(uint64_t records, double paperArea) {
    const double n = static_cast<double>(records);
    return {kBasePrimitives + kPrimitivesPerRecord * n, paperArea * (kBasePapers + kPapersPerRecord * n)};
}

TJwGuardCanvas::TJwGuardCanvas(TJwCanvas& out, const TJwBox& paper, const TJwDrawBudget& budget)
    : out_(out), paperArea_(std::max(paper.Width() * paper.Height(), 1.0)), left_(budget) {
    world_.Add(paper.x1 - kReach, paper.y1 - kReach);
    world_.Add(paper.x2 + kReach, paper.y2 + kReach);
    if (world_.Empty()) world_ = TJwBox{-kReach, -kReach, kReach, kReach};
}

bool TJwGuardCanvas::Spend(double primitives, double ink) {
    ink = std::min(ink, paperArea_);
    if (report_.leftOut > 0 || left_.primitives < primitives || left_.ink < ink) {
        ++report_.leftOut;
        return false;
    }
    left_.primitives -= primitives;
    left_.ink -= ink;
    ++report_.drawn;
    return true;
}

void TJwGuardCanvas::Polyline(const TJwPen& pen, std::span<const TJwPoint> points, bool closed) {
    if (points.size() < 2) return;
    if (!Finite(pen.width)) return Unusable();
    bool inside = true;
    for (const TJwPoint& p : points) {
        if (!Finite(p)) return Unusable();
        inside = inside && Inside(p);
    }
    const double width = std::max(pen.width, kInkWidth);
    const double quarter = static_cast<double>(points.size()) / 4;
    if (inside) {
        double len = Length(points);
        if (closed) len += std::hypot(points.back().x - points.front().x, points.back().y - points.front().y);
        if (Spend(1 + quarter, len * width)) out_.Polyline(pen, points, closed);
        return;
    }
    // Reaching far out: the parts within reach, each a polyline of its own.
    bool any = false;
    JwClipPolyline(points, closed, world_, [&](std::span<const TJwPoint> part) {
        any = true;
        if (Spend(1 + static_cast<double>(part.size()) / 4, Length(part) * width)) out_.Polyline(pen, part, false);
    });
    if (!any) Unusable();
}

void TJwGuardCanvas::Arc(const TJwPen& pen, const TJwArc& arc) {
    const TJwAffine& m = arc.m;
    if (!Finite(m) || !Finite(arc.start) || !Finite(arc.sweep) || !Finite(pen.width)) return Unusable();
    const double ra = std::hypot(m.a, m.b), rb = std::hypot(m.c, m.d);
    const double r = std::max(ra, rb);
    TJwBox box;
    box.Add(m.e - r, m.f - r);
    box.Add(m.e + r, m.f + r);
    if (r > kReach || !box.Meets(world_)) return Unusable();
    const double sweep = arc.whole ? 2 * std::numbers::pi : std::min(std::fabs(arc.sweep), 2 * std::numbers::pi);
    if (Spend(4, (ra + rb) / 2 * sweep * std::max(pen.width, kInkWidth))) out_.Arc(pen, arc);
}

void TJwGuardCanvas::FillPolygon(uint32_t argb, std::span<const TJwPoint> points) {
    if (points.size() < 3) return;
    bool inside = true;
    for (const TJwPoint& p : points) {
        if (!Finite(p)) return Unusable();
        inside = inside && Inside(p);
    }
    std::span<const TJwPoint> fill = points;
    if (!inside) {
        JwClipPolygon(points, world_, clipped_);
        if (clipped_.size() < 3) return Unusable();
        fill = clipped_;
    }
    if (Spend(1 + static_cast<double>(fill.size()) / 4, FillArea(fill))) out_.FillPolygon(argb, fill);
}

void TJwGuardCanvas::Text(const TJwTextRun& run) {
    if (run.text.empty()) return;
    if (!Finite(run.x1) || !Finite(run.y1) || !Finite(run.x2) || !Finite(run.y2) || !Finite(run.w) ||
        !Finite(run.h) || !Finite(run.d) || !Finite(run.a) || !Finite(run.m))
        return Unusable();
    TJwPoint c[4];
    JwTextCorners(run, c);
    for (const TJwPoint& p : c)
        if (!Finite(p) || !Inside(p)) return Unusable();
    const double area = std::fabs((c[1].x - c[0].x) * (c[3].y - c[0].y) - (c[3].x - c[0].x) * (c[1].y - c[0].y));
    if (Spend(1 + static_cast<double>(run.text.size()), area)) out_.Text(run);
}

void TJwGuardCanvas::Image(const TJwImage& image) {
    const TJwAffine& m = image.m;
    if (!Finite(m)) return Unusable();
    const TJwPoint c[4] = {m.Map(0, 0), m.Map(1, 0), m.Map(1, 1), m.Map(0, 1)};
    for (const TJwPoint& p : c)
        if (!Inside(p)) return Unusable();
    if (Spend(16, std::fabs(m.a * m.d - m.b * m.c))) out_.Image(image);
}

void TJwGuardCanvas::Dot(uint32_t argb, TJwPoint at) {
    if (!Finite(at) || !Inside(at)) return Unusable();
    if (Spend(1, 0)) out_.Dot(argb, at);
}

}  // namespace jw
