// DxfPointIndex: the end points of numbered items (lines, arcs), found by a
// point they touch. Two points touch when x and y each differ by at most 1e-8,
// the rule of the frame search and of the polyline joining. Points are kept
// in cells of 2^-20 (about 1e-6, so that a query seldom straddles two) sorted by tag, cell and item, so that a
// query looks at the two cells per axis that can hold a touching point and,
// within each, at the items from a given number on; removed items are skipped
// through a "next alive" link with path halving. Building sorts once; a query
// costs a few binary searches, whatever the number of items.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace jw {

class DxfPointIndex {
public:
    static constexpr double kTouch = 1e-8;

    // What the points of one query belong to (a kind of line, a set of attributes).
    struct Tag {
        uint64_t a = 0, b = 0;
        bool operator==(const Tag&) const = default;
        bool operator<(const Tag& o) const { return a != o.a ? a < o.a : b < o.b; }
    };

    static bool Touch(double x1, double y1, double x2, double y2) {
        return std::fabs(x1 - x2) <= kTouch && std::fabs(y1 - y2) <= kTouch;
    }

    // Empties the index for items 0 .. items - 1 (keeps the memory).
    void Clear(int32_t items) {
        e_.clear();
        e_.reserve(static_cast<size_t>(items) * 2);
        pos_.assign(static_cast<size_t>(items) * 2, kNone);
    }
    // Point (x, y) of item id (0-based, below the Clear count; at most two
    // points per item) under tag. A point that is not finite touches nothing
    // and is left out.
    void Add(Tag tag, double x, double y, int32_t id) {
        if (!std::isfinite(x) || !std::isfinite(y)) return;
        e_.push_back({tag, Cell(x), Cell(y), x, y, id});
    }
    // After the last Add.
    void Build() {
        std::sort(e_.begin(), e_.end(), [](const Entry& a, const Entry& b) {
            if (a.tag != b.tag) return a.tag < b.tag;
            if (a.cx != b.cx) return a.cx < b.cx;
            if (a.cy != b.cy) return a.cy < b.cy;
            return a.id < b.id;
        });
        next_.resize(e_.size() + 1);
        for (uint32_t i = 0; i < next_.size(); ++i) next_[i] = i;
        for (uint32_t i = 0; i < e_.size(); ++i) {
            uint32_t* slot = &pos_[static_cast<size_t>(e_[i].id) * 2];
            slot[slot[0] == kNone ? 0 : 1] = i;
        }
    }
    // The smallest item number >= from of tag, not removed, with a point
    // touching (x, y); -1 when there is none.
    int32_t First(Tag tag, double x, double y, int32_t from) {
        if (!std::isfinite(x) || !std::isfinite(y)) return -1;
        // Any touching point lies within 1.5e-8 even after rounding, and so in
        // one of these cells.
        const double cx[2] = {Cell(x - 1.5e-8), Cell(x + 1.5e-8)};
        const double cy[2] = {Cell(y - 1.5e-8), Cell(y + 1.5e-8)};
        int32_t best = -1;
        for (int i = 0; i < 2; ++i) {
            if (i == 1 && cx[1] == cx[0]) break;
            for (int j = 0; j < 2; ++j) {
                if (j == 1 && cy[1] == cy[0]) break;
                const int32_t found = FirstInCell(tag, cx[i], cy[j], x, y, from);
                if (found >= 0 && (best < 0 || found < best)) best = found;
            }
        }
        return best;
    }
    // Removes every point of item id.
    void Remove(int32_t id) {
        for (int k = 0; k < 2; ++k) {
            const uint32_t p = pos_[static_cast<size_t>(id) * 2 + k];
            if (p != kNone) next_[p] = p + 1;
        }
    }

private:
    static constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();

    struct Entry {
        Tag tag;
        double cx, cy;  // cell numbers (whole numbers held as doubles: no overflow)
        double x, y;
        int32_t id;
    };

    static double Cell(double v) { return std::floor(std::ldexp(v, 20)); }

    // The first entry at or after i that is not removed.
    uint32_t Alive(uint32_t i) {
        while (next_[i] != i) {
            next_[i] = next_[next_[i]];
            i = next_[i];
        }
        return i;
    }

    int32_t FirstInCell(Tag tag, double cx, double cy, double x, double y, int32_t from) {
        auto key = [](const Entry& a, Tag t, double ax, double ay, int32_t id) {
            if (a.tag != t) return a.tag < t;
            if (a.cx != ax) return a.cx < ax;
            if (a.cy != ay) return a.cy < ay;
            return a.id < id;
        };
        const auto begin = std::lower_bound(e_.begin(), e_.end(), 0, [&](const Entry& a, int) {
            return key(a, tag, cx, cy, from);
        });
        for (uint32_t i = Alive(static_cast<uint32_t>(begin - e_.begin())); i < e_.size(); i = Alive(i + 1)) {
            const Entry& a = e_[i];
            if (a.tag != tag || a.cx != cx || a.cy != cy) break;  // past the cell
            if (Touch(a.x, a.y, x, y)) return a.id;
        }
        return -1;
    }

    std::vector<Entry> e_;
    std::vector<uint32_t> next_;  // next_[i] == i: entry i is alive
    std::vector<uint32_t> pos_;   // the entries of item id at 2 id, 2 id + 1
};

}  // namespace jw
