#include "render/display_list.h"

#include <algorithm>
#include <cmath>

#include "render/text_cells.h"
#include "support/file_io.h"

namespace jw {

namespace {

// About this many entries per grid cell.
constexpr double kItemsPerCell = 8;
constexpr int32_t kMaxGrid = 1024;
// An entry that covers more cells than this is kept on the list of big ones.
constexpr int64_t kBigCells = 64;

// Entries are kept only where their boxes fit in single precision with room
// to spare: anything beyond is left out (the renderer never reaches so far).
constexpr double kFar = 1e30;
// The most a text is taken to reach beyond its box, mm.
constexpr double kMaxTextReach = 50;

bool Near(double v) { return std::isfinite(v) && std::fabs(v) < kFar; }

// The box of points; empty when one of them is not a usable number.
TJwBox BoxOf(std::span<const TJwPoint> points) {
    TJwBox b;
    for (const TJwPoint& p : points) {
        if (!Near(p.x) || !Near(p.y)) return TJwBox();
        b.Add(p);
    }
    return b;
}

// The grid cell of coordinate v (cells of size cell from origin, n of them).
int32_t CellOf(double v, double origin, double cell, int32_t n) {
    const double c = (v - origin) / cell;
    return c >= n - 1 ? n - 1 : c > 0 ? static_cast<int32_t>(c) : 0;  // NaN lands in cell 0
}

}  // namespace

TJwDisplayList::PenRec TJwDisplayList::PenOf(const TJwPen& pen) {
    reach_ = std::max(reach_, pen.width / 2);
    PenRec r{pen.width, -1};
    if (pen.dash.empty()) return r;
    if (pen.dash.data() == lastDash_ && pen.dash.size() == lastDashN_) {
        r.dash = lastDashIndex_;
        return r;
    }
    int32_t found = -1;
    for (size_t i = 0; i < dashes_.size() && found < 0; ++i)
        if (std::equal(dashes_[i].begin(), dashes_[i].end(), pen.dash.begin(), pen.dash.end()))
            found = static_cast<int32_t>(i);
    if (found < 0) {
        dashes_.emplace_back(pen.dash.begin(), pen.dash.end());
        found = static_cast<int32_t>(dashes_.size() - 1);
    }
    lastDash_ = pen.dash.data();
    lastDashN_ = pen.dash.size();
    lastDashIndex_ = found;
    r.dash = found;
    return r;
}

TJwPen TJwDisplayList::PenFrom(const PenRec& r, uint32_t argb) const {
    TJwPen p;
    p.argb = argb;
    p.width = r.width;
    if (r.dash >= 0) p.dash = dashes_[static_cast<size_t>(r.dash)];
    return p;
}

void TJwDisplayList::Add(Kind kind, uint32_t argb, uint32_t index, const TJwBox& box) {
    if (box.Empty() || !Near(box.x1) || !Near(box.y1) || !Near(box.x2) || !Near(box.y2)) return;
    GrowLarge(items_);
    items_.push_back(Item{kind, argb, index, static_cast<float>(box.x1), static_cast<float>(box.y1),
                          static_cast<float>(box.x2), static_cast<float>(box.y2)});
    extents_.Add(box);
}

void TJwDisplayList::Polyline(const TJwPen& pen, std::span<const TJwPoint> points, bool closed) {
    const TJwBox box = BoxOf(points);
    if (points.size() < 2 || box.Empty() || !Near(pen.width)) return;
    GrowLarge(polys_);
    GrowLarge(points_, points.size());
    polys_.push_back(PolyRec{PenOf(pen), static_cast<uint32_t>(points_.size()), static_cast<uint32_t>(points.size())});
    points_.insert(points_.end(), points.begin(), points.end());
    Add(closed ? kClosed : kPolyline, pen.argb, static_cast<uint32_t>(polys_.size() - 1), box);
}

void TJwDisplayList::Arc(const TJwPen& pen, const TJwArc& arc) {
    const TJwAffine& m = arc.m;
    const double rx = std::hypot(m.a, m.c), ry = std::hypot(m.b, m.d);
    if (!Near(rx) || !Near(ry) || !Near(m.e) || !Near(m.f) || !Near(arc.start) || !Near(arc.sweep) || !Near(pen.width))
        return;
    TJwBox box;
    box.Add(m.e - rx, m.f - ry);
    box.Add(m.e + rx, m.f + ry);
    if (box.Empty()) return;
    GrowLarge(arcs_);
    arcs_.push_back(ArcRec{PenOf(pen), arc});
    Add(kArc, pen.argb, static_cast<uint32_t>(arcs_.size() - 1), box);
}

void TJwDisplayList::FillPolygon(uint32_t argb, std::span<const TJwPoint> points) {
    const TJwBox box = BoxOf(points);
    if (points.size() < 3 || box.Empty()) return;
    GrowLarge(polys_);
    GrowLarge(points_, points.size());
    polys_.push_back(PolyRec{PenRec{0, -1}, static_cast<uint32_t>(points_.size()), static_cast<uint32_t>(points.size())});
    points_.insert(points_.end(), points.begin(), points.end());
    Add(kFill, argb, static_cast<uint32_t>(polys_.size() - 1), box);
}

void TJwDisplayList::Text(const TJwTextRun& run) {
    TJwPoint c[4];
    JwTextCorners(run, c);
    const TJwBox box = BoxOf(c);
    if (box.Empty() || !Near(run.w) || !Near(run.h) || !Near(run.d) || !Near(run.a) || !Near(run.x1) ||
        !Near(run.y1) || !Near(run.x2) || !Near(run.y2))
        return;
    TextRec r;
    r.run = run;
    r.run.font = {};
    r.run.text = {};
    r.font = static_cast<uint32_t>(strings_.size());
    r.fontN = static_cast<uint32_t>(run.font.size());
    strings_.append(run.font);
    r.text = static_cast<uint32_t>(strings_.size());
    r.textN = static_cast<uint32_t>(run.text.size());
    strings_.append(run.text);
    GrowLarge(texts_);
    texts_.push_back(r);
    const double height = JwTextHeight(run);
    // (Glyphs as tall as a sheet are not drawn: such texts show their
    // outline, which stays in the box.)
    if (Near(height)) reach_ = std::max(reach_, std::min(height / 4, kMaxTextReach));
    Add(kText, run.argb, static_cast<uint32_t>(texts_.size() - 1), box);
}

void TJwDisplayList::Image(const TJwImage& image) {
    const TJwPoint c[4] = {image.m.Map(0, 0), image.m.Map(1, 0), image.m.Map(1, 1), image.m.Map(0, 1)};
    const TJwBox box = BoxOf(c);
    if (box.Empty()) return;
    GrowLarge(images_);
    images_.push_back(image);
    Add(kImage, 0xFF808080u, static_cast<uint32_t>(images_.size() - 1), box);
}

void TJwDisplayList::Dot(uint32_t argb, TJwPoint at) {
    const TJwBox box = BoxOf(std::span<const TJwPoint>(&at, 1));
    if (box.Empty()) return;
    GrowLarge(points_);
    points_.push_back(at);
    Add(kDot, argb, static_cast<uint32_t>(points_.size() - 1), box);
}

void TJwDisplayList::Finish() {
    cellStart_.clear();
    cellItems_.clear();
    big_.clear();
    const size_t n = items_.size();
    if (n == 0 || extents_.Empty()) {
        gx_ = gy_ = 0;
        return;
    }
    const double w = std::max(extents_.Width(), 1e-9), h = std::max(extents_.Height(), 1e-9);
    const double cells = std::max(1.0, static_cast<double>(n) / kItemsPerCell);
    const double side = std::sqrt(w * h / cells);
    // Both in 1 ... kMaxGrid before they become integers (w / side may be
    // anything for a very long, thin drawing).
    gx_ = static_cast<int32_t>(std::clamp(std::ceil(w / side), 1.0, double(kMaxGrid)));
    gy_ = static_cast<int32_t>(std::clamp(std::ceil(h / side), 1.0, double(kMaxGrid)));
    cw_ = w / gx_;
    ch_ = h / gy_;
    auto range = [&](const Item& it, int32_t& cx1, int32_t& cy1, int32_t& cx2, int32_t& cy2) {
        cx1 = CellOf(it.x1, extents_.x1, cw_, gx_);
        cx2 = CellOf(it.x2, extents_.x1, cw_, gx_);
        cy1 = CellOf(it.y1, extents_.y1, ch_, gy_);
        cy2 = CellOf(it.y2, extents_.y1, ch_, gy_);
    };
    // Counting pass, then filling (compressed rows), so that the grid takes
    // two arrays whatever the number of entries.
    const size_t ncell = static_cast<size_t>(gx_) * static_cast<size_t>(gy_);
    std::vector<uint32_t> count(ncell + 1, 0);
    for (size_t i = 0; i < n; ++i) {
        int32_t cx1, cy1, cx2, cy2;
        range(items_[i], cx1, cy1, cx2, cy2);
        if (int64_t(cx2 - cx1 + 1) * (cy2 - cy1 + 1) > kBigCells) continue;
        for (int32_t y = cy1; y <= cy2; ++y)
            for (int32_t x = cx1; x <= cx2; ++x) ++count[static_cast<size_t>(y) * gx_ + x];
    }
    cellStart_.assign(ncell + 1, 0);
    for (size_t c = 0; c < ncell; ++c) cellStart_[c + 1] = cellStart_[c] + count[c];
    cellItems_.resize(cellStart_[ncell]);
    std::vector<uint32_t> fill(cellStart_.begin(), cellStart_.end() - 1);
    for (size_t i = 0; i < n; ++i) {
        int32_t cx1, cy1, cx2, cy2;
        range(items_[i], cx1, cy1, cx2, cy2);
        if (int64_t(cx2 - cx1 + 1) * (cy2 - cy1 + 1) > kBigCells) {
            big_.push_back(static_cast<uint32_t>(i));
            continue;
        }
        for (int32_t y = cy1; y <= cy2; ++y)
            for (int32_t x = cx1; x <= cx2; ++x) cellItems_[fill[static_cast<size_t>(y) * gx_ + x]++] = static_cast<uint32_t>(i);
    }
}

void TJwDisplayList::Draw(TJwCanvas& cv, const Item& it, double pixel) const {
    if (pixel > 0 && it.x2 - it.x1 < pixel && it.y2 - it.y1 < pixel && it.kind != kImage) {
        cv.Dot(it.argb, TJwPoint{(it.x1 + it.x2) / 2.0, (it.y1 + it.y2) / 2.0});
        return;
    }
    switch (it.kind) {
        case kPolyline:
        case kClosed: {
            const PolyRec& r = polys_[it.index];
            cv.Polyline(PenFrom(r.pen, it.argb), std::span<const TJwPoint>(points_.data() + r.first, r.count),
                        it.kind == kClosed);
            break;
        }
        case kFill: {
            const PolyRec& r = polys_[it.index];
            cv.FillPolygon(it.argb, std::span<const TJwPoint>(points_.data() + r.first, r.count));
            break;
        }
        case kArc: {
            const ArcRec& r = arcs_[it.index];
            cv.Arc(PenFrom(r.pen, it.argb), r.arc);
            break;
        }
        case kText: {
            const TextRec& r = texts_[it.index];
            TJwTextRun run = r.run;
            run.font = std::u16string_view(strings_).substr(r.font, r.fontN);
            run.text = std::u16string_view(strings_).substr(r.text, r.textN);
            cv.Text(run);
            break;
        }
        case kImage: cv.Image(images_[it.index]); break;
        case kDot: cv.Dot(it.argb, points_[it.index]); break;
    }
}

size_t TJwDisplayList::Replay(TJwCanvas& cv, const TJwBox& view, double pixel, const std::atomic<bool>* cancel) const {
    if (items_.empty() || view.Empty() || !view.Meets(extents_)) return 0;
    auto meets = [&](const Item& it) { return it.x1 <= view.x2 && view.x1 <= it.x2 && it.y1 <= view.y2 && view.y1 <= it.y2; };
    // Looked at every so many entries.
    constexpr size_t kCancelStride = 1024;
    auto cancelled = [&](size_t k) {
        return cancel != nullptr && k % kCancelStride == 0 && cancel->load(std::memory_order_relaxed);
    };
    const bool all = gx_ == 0 || (view.x1 <= extents_.x1 && view.y1 <= extents_.y1 && view.x2 >= extents_.x2 &&
                                  view.y2 >= extents_.y2);
    size_t drawn = 0;
    if (all) {
        for (size_t k = 0; k < items_.size(); ++k) {
            if (cancelled(k)) break;
            const Item& it = items_[k];
            if (!meets(it)) continue;
            Draw(cv, it, pixel);
            ++drawn;
        }
        return drawn;
    }
    const int32_t cx1 = CellOf(view.x1, extents_.x1, cw_, gx_), cx2 = CellOf(view.x2, extents_.x1, cw_, gx_);
    const int32_t cy1 = CellOf(view.y1, extents_.y1, ch_, gy_), cy2 = CellOf(view.y2, extents_.y1, ch_, gy_);
    std::vector<uint32_t> found;
    for (int32_t y = cy1; y <= cy2; ++y)
        for (int32_t x = cx1; x <= cx2; ++x) {
            const size_t c = static_cast<size_t>(y) * gx_ + x;
            for (uint32_t k = cellStart_[c]; k < cellStart_[c + 1]; ++k)
                if (meets(items_[cellItems_[k]])) found.push_back(cellItems_[k]);
        }
    for (uint32_t i : big_)
        if (meets(items_[i])) found.push_back(i);
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    for (size_t k = 0; k < found.size(); ++k) {
        if (cancelled(k)) break;
        Draw(cv, items_[found[k]], pixel);
        ++drawn;
    }
    return drawn;
}

void TJwDisplayList::IndexStrips(const TJwBox& frame, double height, int32_t strips) {
    stripStart_.assign(static_cast<size_t>(std::max(strips, 0)) + 1, 0);
    stripItems_.clear();
    if (strips <= 0 || !(height > 0) || frame.Empty()) return;
    const double r = reach_;
    // The strips an item meets, or false when it lies beside the frame.
    auto range = [&](const Item& it, int32_t& k1, int32_t& k2) {
        if (it.x2 + r < frame.x1 || it.x1 - r > frame.x2) return false;
        const double top = (frame.y2 - (it.y2 + r)) / height, bottom = (frame.y2 - (it.y1 - r)) / height;
        if (bottom < 0 || top >= strips) return false;
        k1 = CellOf(top, 0, 1, strips);
        k2 = CellOf(bottom, 0, 1, strips);
        return true;
    };
    // Counting pass, then filling, as the grid does.
    for (const Item& it : items_) {
        int32_t k1, k2;
        if (!range(it, k1, k2)) continue;
        for (int32_t k = k1; k <= k2; ++k) ++stripStart_[static_cast<size_t>(k) + 1];
    }
    for (size_t k = 1; k < stripStart_.size(); ++k) stripStart_[k] += stripStart_[k - 1];
    stripItems_.resize(stripStart_.back());
    std::vector<uint32_t> fill(stripStart_.begin(), stripStart_.end() - 1);
    for (size_t i = 0; i < items_.size(); ++i) {
        int32_t k1, k2;
        if (!range(items_[i], k1, k2)) continue;
        for (int32_t k = k1; k <= k2; ++k) stripItems_[fill[static_cast<size_t>(k)]++] = static_cast<uint32_t>(i);
    }
}

size_t TJwDisplayList::ReplayStrip(TJwCanvas& cv, int32_t k, double pixel) const {
    if (k < 0 || static_cast<size_t>(k) + 1 >= stripStart_.size()) return 0;
    const size_t from = stripStart_[static_cast<size_t>(k)], to = stripStart_[static_cast<size_t>(k) + 1];
    for (size_t j = from; j < to; ++j) Draw(cv, items_[stripItems_[j]], pixel);
    return to - from;
}

}  // namespace jw
