// Polyline joining: the lines and circular arcs of a curve group that meet
// end to end become one polyline per chain (TDXFmodel::Pw_...). The
// conversion hands the members over (Pw_AddEnt), Pw_Sort builds the chains
// and the conversion writes each as a POLYLINE.
//
// A chain starts at the first member not yet taken (the seed) and grows at
// its front (the seed's first point) and its back (its second point): the
// members are looked at in order, pass after pass, and a member whose end
// touches the front or the back (front first, its first point first) is
// taken and moves that end. The passes are followed without walking the
// members one by one: the end points are indexed (DxfPointIndex), and the
// next member a pass takes is the one with the smallest number at or after
// the pass position that touches the front or the back as they are then.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "dxf/dxf_model.h"
#include "dxf/point_index.h"

namespace jw {

namespace {

// The attributes a chain's members share, as one key.
DxfPointIndex::Tag AttrKey(const TDXF_PolyWorkEntity& e) {
    auto pair = [](int32_t hi, int32_t lo) {
        return (static_cast<uint64_t>(static_cast<uint32_t>(hi)) << 32) | static_cast<uint32_t>(lo);
    };
    return {pair(e.lay, e.col), pair(e.ltp, e.wid)};
}

struct End {
    double x, y, a;
};

}  // namespace

void TDXFmodel::Pw_Init() {
    dpw1.clear();
    dpw2.clear();
    pwGroups_.clear();
}

int32_t TDXFmodel::Pw_GetIdx(int32_t n) const {
    const auto it = pwGroups_.find(n);
    return it == pwGroups_.end() ? -1 : it->second;
}

void TDXFmodel::Pw_AddEnt(int32_t n, int32_t no, int32_t tp, int32_t la, int32_t co, int32_t lt, int32_t wd,
                          double pa1, double pa2, double pa3, double pa4, double pa5) {
    constexpr double kTurn = 2 * std::numbers::pi;
    const double m = std::fabs(pa5);
    double da = m - std::trunc(m / kTurn) * kTurn;
    if (pa5 < 0) da = -da;
    try {
        int32_t g = Pw_GetIdx(n);
        if (g < 0) {
            g = static_cast<int32_t>(dpw1.size());
            dpw1.push_back(TDXF_PolyWorkMain{n, {}});
            pwGroups_.emplace(n, g);
        }
        dpw1[static_cast<size_t>(g)].e.push_back(TDXF_PolyWorkEntity{no, tp, la, co, lt, wd, pa1, pa2, pa3, pa4, da});
    } catch (const std::bad_alloc&) {
        // The entity is dropped; the groups stay as they were.
    }
}

void TDXFmodel::Pw_Sort() {
    dpw2.clear();
    DxfPointIndex index;
    std::vector<End> front, back;
    for (TDXF_PolyWorkMain& group : dpw1) {
        std::vector<TDXF_PolyWorkEntity>& E = group.e;
        const int32_t en = static_cast<int32_t>(E.size());
        index.Clear(en);
        for (int32_t i = 0; i < en; ++i) {
            if (E[i].etp == 0) continue;
            index.Add(AttrKey(E[i]), E[i].x1, E[i].y1, i);
            index.Add(AttrKey(E[i]), E[i].x2, E[i].y2, i);
        }
        index.Build();
        for (int32_t s = 0; s < en; ++s) {
            const TDXF_PolyWorkEntity& seed = E[s];
            if (seed.etp == 0) continue;
            TDXF_PolyWorkSub chain;
            chain.lay = seed.lay;
            chain.col = seed.col;
            chain.ltp = seed.ltp;
            chain.wid = seed.wid;
            try {
                if (dpw2.size() == dpw2.capacity()) dpw2.reserve(std::max<size_t>(64, 2 * dpw2.capacity()));
            } catch (const std::bad_alloc&) {
                continue;  // the seed stays free for a later chain
            }
            E[s].etp = 0;
            index.Remove(s);
            const DxfPointIndex::Tag key = AttrKey(seed);
            double fx = seed.x1, fy = seed.y1, bx = seed.x2, by = seed.y2;
            front.clear();
            back.clear();
            for (int32_t pos = 0;;) {
                const int32_t atFront = index.First(key, fx, fy, pos);
                const int32_t atBack = index.First(key, bx, by, pos);
                const int32_t i = atFront < 0 ? atBack : (atBack < 0 ? atFront : std::min(atFront, atBack));
                if (i < 0) {
                    if (pos == 0) break;  // a whole pass took nothing
                    pos = 0;              // the next pass
                    continue;
                }
                TDXF_PolyWorkEntity& l = E[i];
                if (DxfPointIndex::Touch(l.x1, l.y1, fx, fy)) {
                    front.push_back({l.x2, l.y2, l.da});
                    fx = l.x2, fy = l.y2;
                } else if (DxfPointIndex::Touch(l.x2, l.y2, fx, fy)) {
                    front.push_back({l.x1, l.y1, -l.da});
                    fx = l.x1, fy = l.y1;
                } else if (DxfPointIndex::Touch(l.x1, l.y1, bx, by)) {
                    back.push_back({l.x2, l.y2, l.da});
                    bx = l.x2, by = l.y2;
                } else {
                    back.push_back({l.x1, l.y1, -l.da});
                    bx = l.x1, by = l.y1;
                }
                l.etp = 0;
                index.Remove(i);
                pos = i + 1;
            }
            // Front from its far end, the seed, then the back; a vertex carries
            // the angle of the segment that leaves it in the direction of travel.
            std::vector<TDXF_PLinePoint>& v = chain.v;
            v.reserve(front.size() + back.size() + 2);
            for (auto it = front.rbegin(); it != front.rend(); ++it) v.push_back({it->x, it->y, -it->a});
            v.push_back({seed.x1, seed.y1, seed.da});
            v.push_back({seed.x2, seed.y2, seed.da});
            for (const End& b : back) {
                v.back().a = b.a;
                v.push_back({b.x, b.y, -b.a});
            }
            dpw2.push_back(std::move(chain));
        }
    }
}

}  // namespace jw
