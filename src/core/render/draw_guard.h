// What a drawing may cost to draw. Whatever a file holds, drawing it must end
// in bounded time and memory: TJwGuardCanvas stands between GLDrawALL and the
// back end, leaves out what cannot be drawn (coordinates that are not
// numbers, figures far beyond any paper), clips what reaches far out, and
// counts what is drawn against a budget of primitives and of ink (area
// covered) in proportion to the size of the drawing. Past the budget nothing
// more is drawn; the report says how much was left out.
#pragma once

#include <cstdint>
#include <vector>

#include "render/canvas.h"

namespace jw {

// What a drawing may cost: primitives (a line, an arc, a filled area, a
// character, a picture; long point lists count extra) and ink (paper mm²
// covered by fills, pictures, texts and strokes).
struct TJwDrawBudget {
    double primitives = 0;
    double ink = 0;
    bool Unset() const { return !(primitives > 0) || !(ink > 0); }
};

// The budget of a drawing of `records` entity records (its own and those of
// its block definitions) on a paper of paperArea mm²: about what a real
// drawing of that size needs, so that a drawing whose blocks repeat one
// another a million times costs what a real drawing costs.
TJwDrawBudget JwDrawBudgetFor(uint64_t records, double paperArea);

// What a drawing cost, and what was left out.
struct TJwDrawReport {
    uint64_t drawn = 0;     // primitives handed to the back end
    uint64_t leftOut = 0;   // primitives past the budget
    uint64_t entities = 0;         // entities of the drawing's own list
    uint64_t entitiesLeftOut = 0;  // of those, left out or drawn in part for want of budget
    uint64_t unusable = 0;  // primitives with coordinates that are not numbers or lie far beyond the paper
    std::vector<JwString> missingImages;  // image files that could not be found or are no pictures (once each)
    bool Exhausted() const { return leftOut > 0; }
};

class TJwGuardCanvas : public TJwCanvas {
public:
    // Draws onto out what meets the rules, for a drawing on paper (mm).
    TJwGuardCanvas(TJwCanvas& out, const TJwBox& paper, const TJwDrawBudget& budget);

    void Polyline(const TJwPen& pen, std::span<const TJwPoint> points, bool closed) override;
    void Arc(const TJwPen& pen, const TJwArc& arc) override;
    void FillPolygon(uint32_t argb, std::span<const TJwPoint> points) override;
    void Text(const TJwTextRun& run) override;
    void Image(const TJwImage& image) override;
    void Dot(uint32_t argb, TJwPoint at) override;

    // Whether the budget is spent (the drawing may stop).
    bool Exhausted() const { return report_.leftOut > 0; }
    TJwDrawReport& Report() { return report_; }

private:
    TJwCanvas& out_;
    TJwBox world_;      // where anything drawn may lie
    double paperArea_;  // the most ink one primitive can cost
    TJwDrawBudget left_;
    TJwDrawReport report_;
    std::vector<TJwPoint> clipped_;  // scratch for clipped point lists

    bool Inside(TJwPoint p) const {
        return p.x >= world_.x1 && p.x <= world_.x2 && p.y >= world_.y1 && p.y <= world_.y2;
    }
    // Takes the cost of one primitive from the budget; false (and counted as
    // left out) when there is not enough left.
    bool Spend(double primitives, double ink);
    void Unusable() { ++report_.unusable; }
};

}  // namespace jw
