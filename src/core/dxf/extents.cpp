// TJwwData::GetMinMaxZahyo: the extents of a drawing in Jw_cad coordinates
// (paper mm, origin at the paper centre), over its entities and the contents
// of every placed block, into the program-wide ZahyoMinX ... ZahyoMaxY.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <type_traits>
#include <vector>

#include "dxf/dxf_model.h"
#include "model/entity_list_view.h"
#include "model/jw_data.h"
#include "support/numbers.h"
#include "support/program_values.h"

namespace jw {

namespace {

constexpr double kValid = 5e11;  // points beyond contribute nothing
constexpr double kClamp = 1e8;   // extents beyond are clamped
constexpr double kPi = std::numbers::pi;

struct Pt {
    double x, y;
};

// The contributing points of one entity, in its own coordinates, handed to
// put(x, y).
template <class Put>
class PointSink {
public:
    explicit PointSink(Put& put) : put_(put) {}

    void Add(double x, double y) { put_(x, y); }

    void Line(const TEntJwwLine& l) {
        Add(l.start_x, l.start_y);
        Add(l.end_x, l.end_y);
    }

    void Arc(const TEntJwwEnko& a) {
        const double cx = a.start_x, cy = a.start_y, r = a.dHankei, h = a.dHenpeiRitsu;
        // Every outline point lies within r * max(1, h) of the centre: an arc
        // whose whole reach the extents already hold cannot change them.
        if constexpr (requires { put_.Covers(cx, cy, r); }) {
            if (put_.Covers(cx, cy, std::fabs(r) * std::max(1.0, std::fabs(h)))) return;
        }
        const Tilt tilt(a.radKatamukiKaku);
        if (a.bZenEnFlg != 0) {
            for (int k = 0; k < 4; ++k) Outline(cx, cy, r, h, tilt, k * kPi / 2);
        } else {
            const double s = a.radKaishiKaku, d = a.radEnkoKaku;
            const Angles& t = arcAngles_.Of(s, d, [s, d](int k) { return s + k * d / 72; });
            for (int k = 0; k <= 72; ++k) Outline(cx, cy, r, h, tilt, t.cos[k], t.sin[k]);
        }
    }

    void Ten(const TEntJwwTen& t) { Add(t.start_x, t.start_y); }

    void Moji(const TEntJwwMoji& m) {
        const double x1 = m.start_x, y1 = m.start_y, x2 = m.end_x, y2 = m.end_y;
        if (DxfCoincide(x1, y1, x2, y2)) return;
        Add(x1, y1);
        Add(x2, y2);
        // An image text adds the corner of its displayed size.
        if (m.str.size() >= 4 && std::u16string_view(m.str).substr(0, 4) == u"^@BM") {
            const size_t comma = m.str.find(u',');
            if (comma == JwString::npos) return;
            const std::u16string_view rest = std::u16string_view(m.str).substr(comma + 1);
            const size_t c2 = rest.find(u',');
            const double w = StrFloatDef0(rest.substr(0, c2));
            double h = w;
            if (c2 != std::u16string_view::npos) {
                const std::u16string_view second = rest.substr(c2 + 1);
                h = StrFloatDef0(second.substr(0, second.find(u',')));
            }
            Add(x1 + w, y1 + h);
        }
    }

    void Sunpo(const TEntJwwSunpo& s) {
        Line(s.Sen);
        const double x1 = s.Moji.start_x, y1 = s.Moji.start_y, x2 = s.Moji.end_x, y2 = s.Moji.end_y;
        Add(x1, y1);
        Add(x2, y2);
        if (s.bSxfMode != 0) {
            Line(s.Ho1);
            Line(s.Ho2);
        }
    }

    void Solid(const TEntJwwSolid& s) {
        const int style = s.att.nPenStyle;
        if (style <= 100) {
            Add(s.start_x, s.start_y);
            Add(s.end_x, s.end_y);
            Add(s.DPoint2_x, s.DPoint2_y);
            Add(s.DPoint3_x, s.DPoint3_y);
            return;
        }
        // An arc figure: centre, radius, flatness, tilt, start, sweep, mode.
        const double cx = s.start_x, cy = s.start_y, r = s.end_x, h = s.end_y;
        const Tilt tilt(s.DPoint2_x);
        const double start = s.DPoint2_y, sweep = s.DPoint3_x, mode = s.DPoint3_y;
        if (style == 101 && std::fabs(mode) <= 1e-12) Add(cx, cy);
        if (style == 101 && std::fabs(mode + 1) <= 1e-12) TangentPoint(cx, cy, r, h, tilt, start, sweep);
        const bool whole = (style == 101 || style == 111) && std::fabs(mode - 100) <= 1e-12;
        const double step = whole ? 2 * kPi / 72 : sweep / 72;
        const Angles& t = figureAngles_.Of(start, step, [start, step](int k) { return start + k * step; });
        for (int k = 0; k <= 72; ++k) Outline(cx, cy, r, h, tilt, t.cos[k], t.sin[k]);
    }

private:
    Put& put_;

    // The cosine and sine of a figure's tilt, taken once for all its points.
    struct Tilt {
        explicit Tilt(double a) : c(std::cos(a)), s(std::sin(a)) {}
        double c, s;
    };

    void Rotated(double cx, double cy, const Tilt& tilt, double x, double y) {
        Add(cx + x * tilt.c - y * tilt.s, cy + x * tilt.s + y * tilt.c);
    }

    void Outline(double cx, double cy, double r, double h, const Tilt& tilt, double t) {
        Outline(cx, cy, r, h, tilt, std::cos(t), std::sin(t));
    }
    void Outline(double cx, double cy, double r, double h, const Tilt& tilt, double cosT, double sinT) {
        Rotated(cx, cy, tilt, r * cosT, r * h * sinT);
    }

    // The cosines and sines of the 73 outline angles of the last arc of a
    // form: the arcs of a drawing mostly share their start and sweep, and
    // then their angles, which are taken once for all of them.
    struct Angles {
        uint64_t key1 = 0, key2 = 0;
        bool held = false;
        double cos[73], sin[73];

        // The angles of (a, b), the k-th of them angle(k).
        template <class Angle>
        const Angles& Of(double a, double b, Angle angle) {
            const uint64_t k1 = std::bit_cast<uint64_t>(a), k2 = std::bit_cast<uint64_t>(b);
            if (!held || k1 != key1 || k2 != key2) {
                for (int k = 0; k <= 72; ++k) {
                    const double t = angle(k);
                    cos[k] = std::cos(t);
                    sin[k] = std::sin(t);
                }
                key1 = k1;
                key2 = k2;
                held = true;
            }
            return *this;
        }
    };
    Angles arcAngles_, figureAngles_;

    // Where the tangents at the start and the end of the arc meet (the
    // centre when they are parallel).
    void TangentPoint(double cx, double cy, double r, double h, const Tilt& tilt, double start, double sweep) {
        const double t1 = start, t2 = start + sweep;
        const double p1x = r * std::cos(t1), p1y = r * h * std::sin(t1);
        const double p2x = r * std::cos(t2), p2y = r * h * std::sin(t2);
        const double d1x = -r * std::sin(t1), d1y = r * h * std::cos(t1);
        const double d2x = -r * std::sin(t2), d2y = r * h * std::cos(t2);
        const bool v1 = std::fabs(d1x) <= 1e-12, v2 = std::fabs(d2x) <= 1e-12;
        double x, y;
        if (v1 && v2) {
            Add(cx, cy);
            return;
        }
        if (v1) {
            x = p1x;
            y = p2y + d2y / d2x * (x - p2x);
        } else if (v2) {
            x = p2x;
            y = p1y + d1y / d1x * (x - p1x);
        } else {
            const double m1 = d1y / d1x, m2 = d2y / d2x;
            if (std::fabs(m1 - m2) <= 1e-10) {
                Add(cx, cy);
                return;
            }
            x = (p2y - p1y + m1 * p1x - m2 * p2x) / (m1 - m2);
            y = p1y + m1 * (x - p1x);
        }
        Rotated(cx, cy, tilt, x, y);
    }
};

// The extents being computed; they stay at the origin when nothing
// contributes.
class Extents {
public:
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    // True until the first point was taken; that point then starts the extents.
    bool pending = true;

    static bool Valid(double x, double y) { return std::fabs(x) <= kValid && std::fabs(y) <= kValid; }

    void Reset(double x, double y) {
        if (!Valid(x, y)) return;
        minX = maxX = x;
        minY = maxY = y;
        pending = false;
    }

    void Extend(double x, double y) {
        if (!Valid(x, y)) return;
        Take(x, y);
    }

    // Whether every point within reach of (cx, cy), rounding included, lies
    // inside the extents.
    bool Covers(double cx, double cy, double reach) const {
        if (pending) return false;
        const double m = reach + 1e-12 * (std::fabs(cx) + std::fabs(cy) + reach);
        return cx - m >= minX && cx + m <= maxX && cy - m >= minY && cy + m <= maxY;
    }

    // (x, y) placed by a block-tree node.
    void ExtendPlaced(double x, double y, const TEntJwwBlockTree& n) {
        if (!Valid(x, y)) return;
        const double px = n.r1 * x + n.r2 * y + n.x, py = n.r3 * x + n.r4 * y + n.y;
        if (!std::isfinite(px) || !std::isfinite(py)) return;
        Take(px, py);
    }

private:
    void Take(double x, double y) {
        if (pending) {
            minX = maxX = x;
            minY = maxY = y;
            pending = false;
        } else {
            minX = std::min(minX, x);
            minY = std::min(minY, y);
            maxX = std::max(maxX, x);
            maxY = std::max(maxY, y);
        }
    }

public:
    // Limits the extents to +-kClamp. Only the points are finite, so this
    // may wait until all are taken: clamping each step gives the same.
    void Clamp() {
        if (!(minX >= -kClamp)) minX = -kClamp;
        if (!(minY >= -kClamp)) minY = -kClamp;
        if (!(maxX <= kClamp)) maxX = kClamp;
        if (!(maxY <= kClamp)) maxY = kClamp;
    }
};

// Every contributing point of one entity list, kind by kind, handed to
// put(x, y).
template <class Put>
void CollectMembers(const EntityListView& l, Put&& put) {
    PointSink<std::remove_reference_t<Put>> sink(put);
    for (size_t i = 0; i < l.lineN; ++i) sink.Line(l.line[i]);
    for (size_t i = 0; i < l.enkoN; ++i) sink.Arc(l.enko[i]);
    for (size_t i = 0; i < l.tenN; ++i) sink.Ten(l.ten[i]);
    for (size_t i = 0; i < l.mojiN; ++i) sink.Moji(l.moji[i]);
    for (size_t i = 0; i < l.sunpoN; ++i) sink.Sunpo(l.sunpo[i]);
    for (size_t i = 0; i < l.solidN; ++i) sink.Solid(l.solid[i]);
}

}  // namespace

void TJwwData::GetMinMaxZahyo() const {
    Extents e;

    // 1. The starting point.
    const EntityListView top = EntityListOf(*this);
    if (top.lineN > 0) {
        e.Reset(top.line[0].start_x, top.line[0].start_y);
    } else if (top.enkoN > 0) {
        e.Reset(top.enko[0].start_x, top.enko[0].start_y);
    } else if (top.tenN > 0) {
        e.Reset(top.ten[0].start_x, top.ten[0].start_y);
    } else if (top.mojiN > 0) {
        const TEntJwwMoji& m = top.moji[0];
        if (!DxfCoincide(m.start_x, m.start_y, m.end_x, m.end_y)) e.Reset(m.start_x, m.start_y);
    }
    // Otherwise (or when that point is out of range) the first contribution
    // starts the extents.

    // 2. The drawing's own entities, kind by kind.
    struct Extend {
        Extents& e;
        void operator()(double x, double y) const { e.Extend(x, y); }
        bool Covers(double cx, double cy, double reach) const { return e.Covers(cx, cy, reach); }
    };
    CollectMembers(top, Extend{e});

    // 3. The contents of every placed block; each definition's points are
    // collected once.
    const size_t defN = HeldCount(EntBlockDef, EntBlockDefN);
    std::vector<std::vector<Pt>> defPts(defN);
    std::vector<char> collected(defN, 0);
    const size_t nodeN = HeldCount(EntBlockTree, EntBlockTreeN);
    for (size_t k = 0; k < nodeN; ++k) {
        const TEntJwwBlockTree& node = EntBlockTree[k];
        const uint16_t g = node.att.nGLayer;
        if (g < EntLgrp.size()) JwLayerScale = EntLgrp[g].adScale;
        const int32_t d = node.defno;
        if (d < 0 || static_cast<size_t>(d) >= defN) continue;
        if (!collected[d]) {
            std::vector<Pt>& pts = defPts[d];
            CollectMembers(EntityListOf(EntBlockDef[d]), [&pts](double x, double y) { pts.push_back({x, y}); });
            collected[d] = 1;
        }
        for (const Pt& p : defPts[d]) e.ExtendPlaced(p.x, p.y, node);
    }

    e.Clamp();

    // 4. A single point is widened to a 20 mm square.
    if (std::fabs(e.maxX - e.minX) <= 1e-12 && std::fabs(e.maxY - e.minY) <= 1e-12) {
        e.minX -= 10;
        e.minY -= 10;
        e.maxX += 10;
        e.maxY += 10;
    }
    ZahyoMinX = e.minX;
    ZahyoMinY = e.minY;
    ZahyoMaxX = e.maxX;
    ZahyoMaxY = e.maxY;
}

}  // namespace jw
