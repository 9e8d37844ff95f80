// A recorded drawing for the window: TJwDisplayList is a canvas that keeps
// what GLDrawALL draws, indexed by a uniform grid over its extents, and draws
// it again onto another canvas for any view. Only the entries that meet the
// view are visited (in their recorded order), and an entry smaller than a
// device pixel becomes a dot, so that a view of a small part of a large
// drawing, or a far view of all of it, stays quick.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "render/canvas.h"

namespace jw {

class TJwDisplayList : public TJwCanvas {
public:
    void Polyline(const TJwPen& pen, std::span<const TJwPoint> points, bool closed) override;
    void Arc(const TJwPen& pen, const TJwArc& arc) override;
    void FillPolygon(uint32_t argb, std::span<const TJwPoint> points) override;
    void Text(const TJwTextRun& run) override;
    void Image(const TJwImage& image) override;
    void Dot(uint32_t argb, TJwPoint at) override;

    // Builds the index; call once after recording.
    void Finish();
    // Number of entries and their extents (paper mm).
    size_t Size() const { return items_.size(); }
    const TJwBox& Extents() const { return extents_; }
    // How far (paper mm) what an entry paints may reach beyond its box: half
    // the widest stroke, a quarter of the highest text (glyphs that overhang
    // their cells). A view that is to be painted exactly at its edges
    // replays what meets it widened by this much.
    double Reach() const { return reach_; }

    // Draws the entries that meet view onto cv, in recorded order; pixel is
    // the size of a device pixel in paper mm (0: draw everything whole).
    // Answers the number of entries drawn. When cancel is given and becomes
    // true, the replay stops soon after (a paint that is no longer wanted).
    // Several threads may replay one list at once.
    size_t Replay(TJwCanvas& cv, const TJwBox& view, double pixel, const std::atomic<bool>* cancel = nullptr) const;

    // For a picture painted in horizontal bands: indexes the entries by
    // strips of frame, strip k spanning y from frame.y2 - (k + 1) height to
    // frame.y2 - k height, each entry listed in every strip that its box,
    // widened by Reach(), meets.
    void IndexStrips(const TJwBox& frame, double height, int32_t strips);
    // Draws the entries of strip k onto cv in recorded order (as Replay).
    size_t ReplayStrip(TJwCanvas& cv, int32_t k, double pixel) const;

private:
    enum Kind : uint8_t { kPolyline, kClosed, kArc, kFill, kText, kImage, kDot };
    struct Item {
        Kind kind;
        uint32_t argb;
        uint32_t index;  // into the kind's records
        float x1, y1, x2, y2;
    };
    struct PenRec {
        double width;  // as given: a picture replayed is the picture drawn
        int32_t dash;  // index into dashes_, -1 solid
    };
    struct PolyRec {
        PenRec pen;
        uint32_t first, count;  // into points_
    };
    struct ArcRec {
        PenRec pen;
        TJwArc arc;
    };
    struct TextRec {
        TJwTextRun run;  // string views empty; the strings are in strings_
        uint32_t font, fontN, text, textN;
    };

    std::vector<Item> items_;
    std::vector<TJwPoint> points_;
    std::vector<PolyRec> polys_;
    std::vector<ArcRec> arcs_;
    std::vector<TextRec> texts_;
    std::vector<TJwImage> images_;
    std::u16string strings_;
    std::vector<std::vector<double>> dashes_;
    const double* lastDash_ = nullptr;  // the pattern last looked up, and its index
    size_t lastDashN_ = 0;
    int32_t lastDashIndex_ = -1;
    TJwBox extents_;
    double reach_ = 0;

    // Grid: cells_ lists the items of each cell (cellStart_ into cellItems_),
    // big_ the items that span many cells.
    int32_t gx_ = 0, gy_ = 0;
    double cw_ = 1, ch_ = 1;
    std::vector<uint32_t> cellStart_, cellItems_, big_;
    // Strips: stripStart_ lists the items of each strip (into stripItems_).
    std::vector<uint32_t> stripStart_, stripItems_;

    PenRec PenOf(const TJwPen& pen);
    TJwPen PenFrom(const PenRec& r, uint32_t argb) const;
    void Add(Kind kind, uint32_t argb, uint32_t index, const TJwBox& box);
    void Draw(TJwCanvas& cv, const Item& it, double pixel) const;
};

}  // namespace jw
