// Drawing frames: the axis-parallel rectangles of the sheet that the export
// with one layout per frame (space mode 2) puts into layouts of their own, and
// the tests that tell which frame an entity belongs to. Coordinates are Jw_cad
// paper millimetres (origin at the paper centre, not shifted).
//
// Frames come, in this order of preference, from rectangles drawn with the
// frame pen as four separate lines (colour 9, line type 16, width 200) whose
// corners are shared end points, from print-origin texts ("【印刷原点】" with
// scale, turn and number) and, failing both, from the whole paper. They are
// sorted by frame number; position k (1-based) is the frame's layout.
#include "dxf/frames.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "dxf/dxf_model.h"
#include "dxf/jww_to_dxf.h"
#include "dxf/point_index.h"
#include "model/entity_list_view.h"
#include "model/jw_data.h"
#include "support/numbers.h"
#include "support/program_values.h"

namespace jw {

// ---------------------------------------------------------------------------
// Lists

void TDXFmodel::InitZwhv(bool f) {
    zw_h.clear();
    zw_v.clear();
    if (f) zw_w.clear();
}

namespace {

void Append(std::vector<TJwZumenWakuWork>& list, const TJwZumenWakuWork& w) {
    try {
        list.push_back(w);
    } catch (const std::bad_alloc&) {
        // The record is dropped; the list stays as it was.
    }
}

}  // namespace

void TDXFmodel::Zw_AddH(double x1, double y1, double x2, double y2) { Append(zw_h, {0, x1, y1, x2, y2}); }

void TDXFmodel::Zw_AddV(double x1, double y1, double x2, double y2) { Append(zw_v, {0, x1, y1, x2, y2}); }

void TDXFmodel::Zw_AddW(int32_t n, double x1, double x2, double y1, double y2) {
    Append(zw_w, {n, std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)});
}

// ---------------------------------------------------------------------------
// Rectangles of frame lines

namespace {

// The end of a line opposite to the one touching (x, y), first point first;
// false when neither end touches.
bool FarEnd(const TJwZumenWakuWork& l, double x, double y, double& fx, double& fy) {
    if (DxfPointIndex::Touch(l.x1, l.y1, x, y)) {
        fx = l.x2, fy = l.y2;
        return true;
    }
    if (DxfPointIndex::Touch(l.x2, l.y2, x, y)) {
        fx = l.x1, fy = l.y1;
        return true;
    }
    return false;
}

}  // namespace

// For each free horizontal line H in order: a free vertical line V at H's
// second point, then a free horizontal line H' at V's far end, then a free
// vertical line V' at the far end of H' whose own far end is H's first point
// close a rectangle; the first closing choice (each in list order) wins. The
// candidates at a point come from an index of the free lines' end points
// (horizontal lines are items 0 .. nh - 1, vertical ones nh ...).
void TDXFmodel::Zw_SearchBox() {
    const int32_t nh = static_cast<int32_t>(zw_h.size()), nv = static_cast<int32_t>(zw_v.size());
    if (nh < 2 || nv < 2) return;
    constexpr DxfPointIndex::Tag kH{0, 0}, kV{1, 0};
    DxfPointIndex index;
    index.Clear(nh + nv);
    for (int32_t i = 0; i < nh; ++i) {
        if (zw_h[i].no != 0) continue;
        index.Add(kH, zw_h[i].x1, zw_h[i].y1, i);
        index.Add(kH, zw_h[i].x2, zw_h[i].y2, i);
    }
    for (int32_t i = 0; i < nv; ++i) {
        if (zw_v[i].no != 0) continue;
        index.Add(kV, zw_v[i].x1, zw_v[i].y1, nh + i);
        index.Add(kV, zw_v[i].x2, zw_v[i].y2, nh + i);
    }
    index.Build();
    for (int32_t h = 0; h < nh; ++h) {
        TJwZumenWakuWork& H = zw_h[h];
        if (H.no != 0) continue;
        bool closed = false;
        for (int32_t v = index.First(kV, H.x2, H.y2, nh); v >= 0 && !closed; v = index.First(kV, H.x2, H.y2, v + 1)) {
            TJwZumenWakuWork& V = zw_v[v - nh];
            double vx = 0, vy = 0;
            FarEnd(V, H.x2, H.y2, vx, vy);
            for (int32_t h2 = index.First(kH, vx, vy, 0); h2 >= 0 && !closed; h2 = index.First(kH, vx, vy, h2 + 1)) {
                if (h2 == h) continue;
                TJwZumenWakuWork& H2 = zw_h[h2];
                double hx = 0, hy = 0;
                FarEnd(H2, vx, vy, hx, hy);
                for (int32_t v2 = index.First(kV, hx, hy, nh); v2 >= 0; v2 = index.First(kV, hx, hy, v2 + 1)) {
                    if (v2 == v) continue;
                    TJwZumenWakuWork& V2 = zw_v[v2 - nh];
                    double ex = 0, ey = 0;
                    FarEnd(V2, hx, hy, ex, ey);
                    if (!DxfPointIndex::Touch(ex, ey, H.x1, H.y1)) continue;
                    const size_t before = zw_w.size();
                    Zw_AddW(0, H.x1, H.x2, V.y1, V.y2);
                    if (zw_w.size() == before) break;
                    const int32_t no = static_cast<int32_t>(zw_w.size());
                    H.no = V.no = H2.no = V2.no = no;
                    index.Remove(h);
                    index.Remove(v);
                    index.Remove(h2);
                    index.Remove(v2);
                    closed = true;
                    break;
                }
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Sorting

// A selection sort by frame number: position p takes the first entry after it
// with the smallest number when that number is smaller than its own (the two
// exchange places, so equal numbers may change their order). The smallest
// entry after p comes from a tournament tree, so that the sort costs
// n log n, with the exchanges of the selection sort kept.
void TDXFmodel::Zw_SortN() {
    if (Ver == kDxfR12 && zw_w.size() > 1) zw_w.resize(1);
    const size_t n = zw_w.size();
    if (n < 2) return;
    size_t size = 1;
    while (size < n) size *= 2;
    constexpr uint32_t kNone = UINT32_MAX;
    std::vector<uint32_t> tree(2 * size, kNone);
    auto better = [&](uint32_t a, uint32_t b) {
        if (a == kNone) return b;
        if (b == kNone) return a;
        if (zw_w[b].no < zw_w[a].no) return b;
        if (zw_w[a].no < zw_w[b].no) return a;
        return std::min(a, b);
    };
    auto update = [&](size_t i) {
        size_t k = size + i;
        tree[k] = static_cast<uint32_t>(i);
        for (k /= 2; k >= 1; k /= 2) tree[k] = better(tree[2 * k], tree[2 * k + 1]);
    };
    for (size_t i = 0; i < n; ++i) tree[size + i] = static_cast<uint32_t>(i);
    for (size_t k = size - 1; k >= 1; --k) tree[k] = better(tree[2 * k], tree[2 * k + 1]);
    auto smallestFrom = [&](size_t from) {  // over [from, n)
        uint32_t best = kNone;
        for (size_t lo = from + size, hi = n + size; lo < hi; lo /= 2, hi /= 2) {
            if (lo & 1) best = better(best, tree[lo++]);
            if (hi & 1) best = better(best, tree[--hi]);
        }
        return best;
    };
    for (size_t p = 0; p + 1 < n; ++p) {
        const uint32_t q = smallestFrom(p + 1);
        if (zw_w[q].no < zw_w[p].no) {
            std::swap(zw_w[p], zw_w[q]);
            update(p);
            update(q);
        }
    }
}

// ---------------------------------------------------------------------------
// Box tests

namespace {

constexpr double kEdge = 1e-14;

// Where a point lies against a frame: bit 1 left of it, 2 right, 4 below,
// 8 above; 0 inside. A point on an edge is outside; a point that is not
// finite is outside every frame.
int Code(double px, double py, const TJwZumenWakuWork& f) {
    if (!std::isfinite(px) || !std::isfinite(py)) return 15;
    int c = 0;
    if (px - f.x1 < kEdge) c |= 1;
    if (px - f.x2 > -kEdge) c |= 2;
    if (py - f.y1 < kEdge) c |= 4;
    if (py - f.y2 > -kEdge) c |= 8;
    return c;
}

// 0 when the segment p q lies inside the frame, 1 when it crosses it, 2 when
// it stays outside: each end outside is moved along the line to the frame's
// sides, and a piece that keeps a length is inside.
int Segment(double px, double py, double qx, double qy, const TJwZumenWakuWork& f) {
    const int cp = Code(px, py, f), cq = Code(qx, qy, f);
    if (cp == 0 && cq == 0) return 0;
    if ((cp & cq) != 0) return 2;
    const double dx = qx - px, dy = qy - py;
    auto clip = [&](double& x, double& y) {
        int c = Code(x, y, f);
        if ((c & 1) && std::fabs(dx) > kEdge) {
            y = py + (f.x1 - px) * dy / dx, x = f.x1;
            c = Code(x, y, f);
        }
        if ((c & 2) && std::fabs(dx) > kEdge) {
            y = py + (f.x2 - px) * dy / dx, x = f.x2;
            c = Code(x, y, f);
        }
        if ((c & 4) && std::fabs(dy) > kEdge) {
            x = px + (f.y1 - py) * dx / dy, y = f.y1;
            c = Code(x, y, f);
        }
        if ((c & 8) && std::fabs(dy) > kEdge) x = px + (f.y2 - py) * dx / dy, y = f.y2;
    };
    double ax = px, ay = py, bx = qx, by = qy;
    clip(ax, ay);
    clip(bx, by);
    return (std::fabs(ax - bx) >= kEdge || std::fabs(ay - by) >= kEdge) ? 1 : 2;
}

bool Touches(double px, double py, double qx, double qy, const TJwZumenWakuWork& f) {
    return Segment(px, py, qx, qy, f) <= 1;
}

// Whether a closed polygon of n corners touches the frame with an edge.
bool PolygonTouches(const double* x, const double* y, int n, const TJwZumenWakuWork& f) {
    for (int k = 0; k < n; ++k)
        if (Touches(x[k], y[k], x[(k + 1) % n], y[(k + 1) % n], f)) return true;
    return false;
}

template <class Test>
int32_t FirstFrame(const std::vector<TJwZumenWakuWork>& frames, Test&& test) {
    for (size_t i = 0; i < frames.size(); ++i)
        if (test(frames[i])) return static_cast<int32_t>(i);
    return -1;
}

}  // namespace

int32_t TDXFmodel::Zw_ClipTen(double px, double py) const {
    return FirstFrame(zw_w, [&](const TJwZumenWakuWork& f) { return Code(px, py, f) == 0; });
}

int32_t TDXFmodel::Zw_ClipLine(double px1, double py1, double px2, double py2) const {
    return FirstFrame(zw_w, [&](const TJwZumenWakuWork& f) { return Touches(px1, py1, px2, py2, f); });
}

int32_t TDXFmodel::Zw_ClipTriangle(double px1, double py1, double px2, double py2, double px3, double py3) const {
    const double x[3] = {px1, px2, px3}, y[3] = {py1, py2, py3};
    return FirstFrame(zw_w, [&](const TJwZumenWakuWork& f) { return PolygonTouches(x, y, 3, f); });
}

int32_t TDXFmodel::Zw_ClipSquare(double px1, double py1, double px2, double py2, double px3, double py3, double px4,
                                 double py4) const {
    const double x[4] = {px1, px2, px3, px4}, y[4] = {py1, py2, py3, py4};
    return FirstFrame(zw_w, [&](const TJwZumenWakuWork& f) { return PolygonTouches(x, y, 4, f); });
}

int32_t TDXFmodel::Zw_ClipArc(double px, double py, double pr, double ph, double ps, double pd, double pk) const {
    const bool whole = std::fabs(pd) <= 1e-10 || std::fabs(pd - 360) <= 1e-10;
    const double k = pk * std::numbers::pi / 180, ck = std::cos(k), sk = std::sin(k);
    // Five points along the arc (a whole turn from 0), four chords between them.
    double x[5], y[5];
    for (int i = 0; i < 5; ++i) {
        const double t = (whole ? 90.0 * i : ps + pd * i / 4) * std::numbers::pi / 180;
        const double ex = pr * std::cos(t), ey = pr * ph * std::sin(t);
        x[i] = px + ex * ck - ey * sk;
        y[i] = py + ex * sk + ey * ck;
    }
    return FirstFrame(zw_w, [&](const TJwZumenWakuWork& f) {
        if (whole && Code(px, py, f) == 0) return true;
        for (int i = 0; i < 4; ++i)
            if (Touches(x[i], y[i], x[i + 1], y[i + 1], f)) return true;
        return false;
    });
}

// ---------------------------------------------------------------------------
// Collection from a drawing

namespace {

// The frame of a print-origin text: the rest of the text after "【印刷原点】"
// gives the scale ("50%"), the number ("N=3") and the turn ("回転", "逆転");
// the start point is the print origin, at the point of the frame that the
// origin digit names (0 lower left ... 4 centre ... 8 upper right).
void AddPrintOriginFrame(TDXFmodel& m, std::u16string_view rest, double x, double y, int32_t digit) {
    double f = 1;
    size_t percent = rest.find(u'%');
    if (percent == std::u16string_view::npos) percent = rest.find(u'％');
    if (percent != std::u16string_view::npos) {
        double v = StrFloatDef0(rest.substr(0, percent));
        if (v < 0.001 || v > 1e6) v = 100;
        f = v / 100;
    }
    int32_t number = 99999999;
    size_t marker = std::u16string_view::npos;
    for (const std::u16string_view mark : {u"N=", u"n=", u"N:", u"n:", u"Ｎ＝", u"ｎ＝", u"Ｎ：", u"ｎ："}) {
        marker = rest.find(mark);
        if (marker != std::u16string_view::npos) break;
    }
    if (marker != std::u16string_view::npos) number = StrIntDef0(rest.substr(marker + 2, 8));
    double w = DxfOutPrintX / f, h = DxfOutPrintY / f;
    if (rest.find(u"回転") != std::u16string_view::npos || rest.find(u"逆転") != std::u16string_view::npos)
        std::swap(w, h);
    double cx = x, cy = y;
    switch (digit) {
        case 0: cx = x + w / 2, cy = y + h / 2; break;
        case 1: cy = y + h / 2; break;
        case 2: cx = x - w / 2, cy = y + h / 2; break;
        case 3: cx = x + w / 2; break;
        case 5: cx = x - w / 2; break;
        case 6: cx = x + w / 2, cy = y - h / 2; break;
        case 7: cy = y - h / 2; break;
        case 8: cx = x - w / 2, cy = y - h / 2; break;
        default: break;  // 4 and any other digit: the centre
    }
    m.Zw_AddW(number, cx - w / 2, cx + w / 2, cy - h / 2, cy + h / 2);
}

}  // namespace

void DxfFindFrames(const TJwwData& jw, TDXFmodel& m) {
    const EntityListView top = EntityListOf(jw);
    auto shown = [&](const TEntJwwAttr& a) { return DxfLayerShown(jw, DxfGroupOf(a), DxfLayerOf(a)); };
    m.InitZwhv(true);
    for (size_t i = 0; i < top.lineN; ++i) {
        const TEntJwwLine& l = top.line[i];
        if (l.att.nPenColor != 9 || l.att.nPenStyle != 16 || l.att.nPenWidth != 200 || !shown(l.att)) continue;
        const double ax = std::fabs(l.start_x - l.end_x), ay = std::fabs(l.start_y - l.end_y);
        if (ax >= 1 && ay <= 1e-8) {
            m.Zw_AddH(l.start_x, l.start_y, l.end_x, l.end_y);
        } else if (ax <= 1e-8 && ay >= 1) {
            m.Zw_AddV(l.start_x, l.start_y, l.end_x, l.end_y);
        }
    }
    m.Zw_SearchBox();
    m.InitZwhv(false);

    static constexpr std::u16string_view kPrintOrigin = u"【印刷原点】";
    const int32_t prtSet = jw.Enthd.nPrtSet;
    const int32_t digit = jw.Enthd.jwVer >= 300 ? static_cast<int32_t>(std::llabs(prtSet) / 10 % 10) : 4;
    for (size_t i = 0; i < top.mojiN; ++i) {
        const TEntJwwMoji& t = top.moji[i];
        if (t.att.nPenColor != 9 || t.nMojiShu % 100 != 0 || !shown(t.att)) continue;
        const std::u16string_view s(t.str);
        if (!s.starts_with(kPrintOrigin)) continue;
        AddPrintOriginFrame(m, s.substr(kPrintOrigin.size()), t.start_x, t.start_y, digit);
    }
    if (m.zw_w.empty())
        m.Zw_AddW(0, -DxfOutPaperX / 2, DxfOutPaperX / 2, -DxfOutPaperY / 2, DxfOutPaperY / 2);
    m.Zw_SortN();
}

}  // namespace jw
