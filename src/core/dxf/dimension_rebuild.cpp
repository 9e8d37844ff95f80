// Dimension rebuilding: grouping, the four recognisers and SXF, and the
// DIMENSION record of a recognised group (see dimension_rebuild.h).
#include "dxf/dimension_rebuild.h"

#include <cmath>
#include <numbers>
#include <unordered_map>

#include "dxf/jww_to_dxf.h"
#include "model/jw_data.h"

namespace jw {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kSame = 1e-12;  // points, angles

double Deg(double rad) { return rad * 180 / kPi; }

// Angle of a vector in [0, 2 pi); 0 for a vector shorter than 1e-14 on both axes.
double AngleOf(double dx, double dy) {
    if (std::fabs(dx) < 1e-14 && std::fabs(dy) < 1e-14) return 0;
    double a = std::atan2(dy, dx);
    if (a < 0) a += 2 * kPi;
    return a >= 2 * kPi ? 0 : a;
}

// Direction of a line reduced to [0, pi).
double Direction(const TEntJwwLine& l) {
    const double a = AngleOf(l.end_x - l.start_x, l.end_y - l.start_y);
    return a >= kPi ? a - kPi : a;
}

// Two angles in degrees are equal within 1e-12, across 0 and 360.
bool SameDeg(double a, double b) {
    const double d = std::fabs(std::fmod(a - b, 360.0));
    return d <= kSame || 360 - d <= kSame;
}

bool Coincide(double x1, double y1, double x2, double y2) {
    return std::fabs(x1 - x2) <= kSame && std::fabs(y1 - y2) <= kSame;
}

// (px, py) lies on the segment within 1e-12: its distance to the line and
// how far the foot of the perpendicular lies outside the segment.
bool OnSegment(double px, double py, const TEntJwwLine& l) {
    const double vx = l.end_x - l.start_x, vy = l.end_y - l.start_y;
    const double len = std::hypot(vx, vy);
    if (!(len > 0)) return Coincide(px, py, l.start_x, l.start_y);
    const double wx = px - l.start_x, wy = py - l.start_y;
    const double dist = std::fabs(vx * wy - vy * wx) / len;
    const double along = (vx * wx + vy * wy) / len;
    return dist <= kSame && along >= -kSame && along <= len + kSame;
}

bool Contains(const JwString& s, std::u16string_view part) { return s.find(part) != JwString::npos; }

// The text's flags under mask equal want.
bool Flags(const TEntJwwMoji& t, uint16_t mask, uint16_t want) { return (t.att.sFlg & mask) == want; }

// A member of a group: its kind and index in the container.
struct Member {
    int32_t kind = 0;
    size_t i = 0;
};

Member At(const EntityListView& c, int32_t pos) {
    const TEntJwwNo& n = c.no[static_cast<size_t>(pos)];
    return {n.EntType, static_cast<size_t>(n.EntNo)};
}

// The dimension line and text of a group for the diameter, radius and linear
// recognisers (r: TGroupAttrDimDia or TGroupAttrDimLin), with the
// dimension-line extensions; false when the group holds an SXF-mode dimension
// entity or lacks a dimension line or a text.
template <class R>
bool DimensionLine(const EntityListView& c, const TGroupAttrField& g, R& r, const TEntJwwLine*& line) {
    line = nullptr;
    const TEntJwwMoji* text = nullptr;
    for (int32_t pos : g.id) {
        const Member m = At(c, pos);
        if (m.kind == kEntSunpo && c.sunpo[m.i].bSxfMode != 0) return false;
    }
    for (int32_t pos : g.id) {
        const Member m = At(c, pos);
        if (m.kind == kEntSunpo) {
            r.idl = r.idm = pos;
            line = &c.sunpo[m.i].Sen;
            text = &c.sunpo[m.i].Moji;
            break;
        }
    }
    if (line == nullptr) {
        for (int32_t pos : g.id) {
            const Member m = At(c, pos);
            if (m.kind == kEntLine && line == nullptr) {
                r.idl = pos;
                line = &c.line[m.i];
            } else if (m.kind == kEntMoji && text == nullptr) {
                r.idm = pos;
                text = &c.moji[m.i];
            }
        }
    }
    if (line == nullptr || text == nullptr) return false;
    r.mj = *text;
    r.x1 = line->start_x, r.y1 = line->start_y, r.x2 = line->end_x, r.y2 = line->end_y;
    const double theta = Direction(*line);
    for (int32_t pos : g.id) {
        const Member m = At(c, pos);
        if (m.kind != kEntLine || pos == r.idl) continue;
        const TEntJwwLine& l = c.line[m.i];
        if (std::fabs(Direction(l) - theta) > kSame) continue;
        if (Coincide(l.start_x, l.start_y, r.x1, r.y1) || Coincide(l.end_x, l.end_y, r.x1, r.y1)) {
            r.ide1 = pos;
            const bool startOn = Coincide(l.start_x, l.start_y, r.x1, r.y1);
            r.x3 = startOn ? l.end_x : l.start_x, r.y3 = startOn ? l.end_y : l.start_y;
        } else if (Coincide(l.start_x, l.start_y, r.x2, r.y2) || Coincide(l.end_x, l.end_y, r.x2, r.y2)) {
            r.ide2 = pos;
            const bool startOn = Coincide(l.start_x, l.start_y, r.x2, r.y2);
            r.x4 = startOn ? l.end_x : l.start_x, r.y4 = startOn ? l.end_y : l.start_y;
        }
    }
    return true;
}

// The angle kind: the first circular arc and the first text; extension lines
// lie on the rays of the arc's ends, stored from their end nearer the centre.
bool Angle(const EntityListView& c, const TGroupAttrField& g, TGroupAttrDimCrv& r) {
    const TEntJwwMoji* text = nullptr;
    for (int32_t pos : g.id) {
        const Member m = At(c, pos);
        if (m.kind == kEntEnko && r.idc < 0 && std::fabs(c.enko[m.i].dHenpeiRitsu - 1) <= kSame) {
            const TEntJwwEnko& a = c.enko[m.i];
            r.idc = pos;
            r.x = a.start_x, r.y = a.start_y, r.r = a.dHankei;
            r.sa = DxfNormDeg(Deg(a.radKaishiKaku + a.radKatamukiKaku));
            r.ea = DxfNormDeg(r.sa + Deg(a.radEnkoKaku));
            if (a.radEnkoKaku < 0) std::swap(r.sa, r.ea);
            r.x1 = r.x + r.r * std::cos(r.sa * kPi / 180), r.y1 = r.y + r.r * std::sin(r.sa * kPi / 180);
            r.x2 = r.x + r.r * std::cos(r.ea * kPi / 180), r.y2 = r.y + r.r * std::sin(r.ea * kPi / 180);
        } else if (m.kind == kEntMoji && text == nullptr) {
            r.idm = pos;
            text = &c.moji[m.i];
        }
    }
    if (r.idc < 0 || text == nullptr) return false;
    r.mj = *text;
    if (!Contains(text->str, u"ﾟ") && !Contains(text->str, u"°") && !Flags(*text, 0x5710, 0x4410)) return false;
    for (int32_t pos : g.id) {
        const Member m = At(c, pos);
        if (m.kind != kEntLine) continue;
        const TEntJwwLine& l = c.line[m.i];
        const double a1 = Deg(AngleOf(l.start_x - r.x, l.start_y - r.y));
        const double a2 = Deg(AngleOf(l.end_x - r.x, l.end_y - r.y));
        // From the end nearer the centre (the second point when both are as near).
        const bool startNearer =
            std::hypot(l.start_x - r.x, l.start_y - r.y) < std::hypot(l.end_x - r.x, l.end_y - r.y);
        const double nx = startNearer ? l.start_x : l.end_x, ny = startNearer ? l.start_y : l.end_y;
        const double fx = startNearer ? l.end_x : l.start_x, fy = startNearer ? l.end_y : l.start_y;
        if (SameDeg(a1, r.sa) && SameDeg(a2, r.sa) && r.idh1 < 0) {
            r.idh1 = pos;
            r.h1x1 = nx, r.h1y1 = ny, r.h1x2 = fx, r.h1y2 = fy;
        } else if (SameDeg(a1, r.ea) && SameDeg(a2, r.ea) && r.idh2 < 0) {
            r.idh2 = pos;
            r.h2x1 = nx, r.h2y1 = ny, r.h2x2 = fx, r.h2y2 = fy;
        }
    }
    return true;
}

// The linear kind's extension lines: lines across the dimension line (between
// 45 and 135 degrees to it) on which its ends lie, in their own point order.
void LinearExtensions(const EntityListView& c, const TGroupAttrField& g, TGroupAttrDimLin& r) {
    const double theta = AngleOf(r.x2 - r.x1, r.y2 - r.y1);
    const double thetaReduced = theta >= kPi ? theta - kPi : theta;
    for (int32_t pos : g.id) {
        const Member m = At(c, pos);
        if (m.kind != kEntLine || pos == r.idl) continue;
        const TEntJwwLine& l = c.line[m.i];
        double d = std::fmod(Direction(l) - thetaReduced, kPi);
        if (d < 0) d += kPi;
        if (!(d > kPi / 4 && d < 3 * kPi / 4)) continue;
        if (r.idh1 < 0 && OnSegment(r.x1, r.y1, l)) {
            r.idh1 = pos;
            r.h1x1 = l.start_x, r.h1y1 = l.start_y, r.h1x2 = l.end_x, r.h1y2 = l.end_y;
        } else if (r.idh2 < 0 && OnSegment(r.x2, r.y2, l)) {
            r.idh2 = pos;
            r.h2x1 = l.start_x, r.h2y1 = l.start_y, r.h2x2 = l.end_x, r.h2y2 = l.end_y;
        }
    }
}

// An SXF auxiliary line from its end nearer the measured point k; false when
// the line has no length (the part is absent).
bool SxfExtension(const TEntJwwLine& ho, const TEntJwwTen& k, double& x1, double& y1, double& x2, double& y2) {
    if (Coincide(ho.start_x, ho.start_y, ho.end_x, ho.end_y)) return false;
    const bool swap = std::hypot(ho.end_x - k.start_x, ho.end_y - k.start_y) <
                      std::hypot(ho.start_x - k.start_x, ho.start_y - k.start_y);
    x1 = swap ? ho.end_x : ho.start_x, y1 = swap ? ho.end_y : ho.start_y;
    x2 = swap ? ho.start_x : ho.end_x, y2 = swap ? ho.start_y : ho.end_y;
    return true;
}

// Attachment code of the record from the text's base-point code: the top and
// bottom rows of Jw_cad's base points are DXF's bottom and top rows.
int32_t Attachment(uint8_t style) {
    switch (style) {
        case 1: return 7;
        case 7: return 1;
        case 2: return 8;
        case 8: return 2;
        case 3: return 9;
        case 9: return 3;
        default: return style;
    }
}

// The record in Jw_cad coordinates.
TDXF_Dimension Unplaced(const DxfDimRecognition& r) {
    TDXF_Dimension d;
    d.hang = -1;
    d.sst = u"ISO-25";
    const TEntJwwMoji* text = nullptr;
    switch (r.kind) {
        case DxfDimKind::Linear:
        case DxfDimKind::Sxf: {
            const TGroupAttrDimLin& l = r.dl;
            text = &l.mj;
            d.stp = 160;
            d.x0 = l.x2, d.y0 = l.y2;
            d.x1 = (l.x1 + l.x2) / 2, d.y1 = (l.y1 + l.y2) / 2;
            d.fl3 = d.fl4 = true;
            d.x3 = l.idh1 >= 0 ? l.h1x1 : l.x1, d.y3 = l.idh1 >= 0 ? l.h1y1 : l.y1;
            d.x4 = l.idh2 >= 0 ? l.h2x1 : l.x2, d.y4 = l.idh2 >= 0 ? l.h2y1 : l.y2;
            d.hlen = -1;
            d.ang = DxfNormDeg(Deg(AngleOf(l.x1 - l.x2, l.y1 - l.y2)));
            if (std::fabs(d.ang - 180) <= 1e-10) d.ang = 0;
            d.sang = DxfNormDeg(Deg(AngleOf(l.mj.end_x - l.mj.start_x, l.mj.end_y - l.mj.start_y)));
            break;
        }
        case DxfDimKind::Diameter:
        case DxfDimKind::Radius: {
            const TGroupAttrDimDia& l = r.dd;
            text = &l.mj;
            d.stp = r.kind == DxfDimKind::Diameter ? 163 : 164;
            d.x0 = l.x1, d.y0 = l.y1;
            d.x1 = (l.x1 + l.x2) / 2, d.y1 = (l.y1 + l.y2) / 2;
            d.fl5 = true;
            d.x5 = l.x2, d.y5 = l.y2;
            d.hlen = 0;
            break;
        }
        case DxfDimKind::Angle: {
            const TGroupAttrDimCrv& a = r.dc;
            text = &a.mj;
            d.stp = 165;
            double sweep = a.ea - a.sa;
            if (sweep < 0) sweep += 360;
            const double mid = (a.sa + sweep / 2) * kPi / 180;
            d.x0 = d.x1 = a.x + a.r * std::cos(mid);
            d.y0 = d.y1 = a.y + a.r * std::sin(mid);
            d.fl3 = d.fl4 = d.fl5 = true;
            d.x3 = a.idh1 >= 0 ? a.h1x1 : a.x1, d.y3 = a.idh1 >= 0 ? a.h1y1 : a.y1;
            d.x4 = a.idh2 >= 0 ? a.h2x1 : a.x2, d.y4 = a.idh2 >= 0 ? a.h2y1 : a.y2;
            d.x5 = a.x, d.y5 = a.y;
            d.hlen = -1;
            break;
        }
        case DxfDimKind::None: return d;
    }
    d.str = text->str;
    d.bas = Attachment(text->att.nPenStyle);
    return d;
}

}  // namespace

std::vector<TGroupAttrField> DxfDimensionGroups(const TJwwData& jw) {
    std::vector<TGroupAttrField> ga;
    std::unordered_map<uint32_t, int32_t> byNumber;  // the first group of each number
    auto add = [&](int32_t bn, int32_t pos, uint32_t number) {
        if (number != 0) {
            const auto [it, fresh] = byNumber.try_emplace(number, static_cast<int32_t>(ga.size()));
            if (!fresh) {
                TGroupAttrField& g = ga[static_cast<size_t>(it->second)];
                if (g.bn != bn) return;  // the number belongs to another container
                g.id.push_back(pos);
                ++g.nm;
                return;
            }
        }
        ga.push_back(TGroupAttrField{static_cast<int32_t>(number), bn, 0, -1, 1, {pos}});
    };
    auto container = [&](int32_t bn, const EntityListView& c) {
        for (size_t k = 0; k < c.noN; ++k) {
            if (!c.Valid(c.no[k])) continue;
            const int32_t pos = static_cast<int32_t>(k);
            const size_t i = static_cast<size_t>(c.no[k].EntNo);
            switch (c.no[k].EntType) {
                case kEntLine: if (c.line[i].att.lGroup != 0) add(bn, pos, c.line[i].att.lGroup); break;
                case kEntEnko: if (c.enko[i].att.lGroup != 0) add(bn, pos, c.enko[i].att.lGroup); break;
                case kEntTen: if (c.ten[i].att.lGroup != 0) add(bn, pos, c.ten[i].att.lGroup); break;
                case kEntSolid: if (c.solid[i].att.lGroup != 0) add(bn, pos, c.solid[i].att.lGroup); break;
                case kEntMoji: {
                    const TEntJwwMoji& t = c.moji[i];
                    if (t.att.lGroup != 0 && !DxfCoincide(t.start_x, t.start_y, t.end_x, t.end_y) &&
                        !DxfIsImageText(t.str))
                        add(bn, pos, t.att.lGroup);
                    break;
                }
                case kEntSunpo: {
                    const TEntJwwSunpo& s = c.sunpo[i];
                    if (s.bSxfMode != 0) {
                        ga.push_back(TGroupAttrField{0, bn, 0, -1, 1, {pos}});
                    } else if (s.att.lGroup != 0) {
                        add(bn, pos, s.att.lGroup);
                    }
                    break;
                }
                default: break;  // block inserts are never grouped
            }
        }
    };
    for (size_t d = 0; d < HeldCount(jw.EntBlockDef, jw.EntBlockDefN); ++d)
        if (jw.EntBlockDef[d].ref_flag) container(static_cast<int32_t>(d), EntityListOf(jw.EntBlockDef[d]));
    container(-1, EntityListOf(jw));
    return ga;
}

EntityListView DxfDimContainer(const TJwwData& jw, int32_t bn) {
    return bn < 0 ? EntityListOf(jw) : EntityListOf(jw.EntBlockDef[static_cast<size_t>(bn)]);
}

DxfDimRecognition DxfRecogniseDimension(const EntityListView& c, const TGroupAttrField& g) {
    DxfDimRecognition r;
    if (g.id.empty()) return r;
    auto mainIs = [&](int32_t pos, const TEntJwwLine* line) {
        r.main = pos;
        const Member m = At(c, pos);
        if (m.kind == kEntSunpo) {
            r.own = &c.sunpo[m.i].att;
            r.pen = &c.sunpo[m.i].Sen.att;
        } else if (m.kind == kEntEnko) {
            r.own = r.pen = &c.enko[m.i].att;
        } else {
            r.own = r.pen = &line->att;
        }
    };
    if (g.no == 0) {
        const Member m = At(c, g.id[0]);
        if (m.kind != kEntSunpo) return r;
        const TEntJwwSunpo& s = c.sunpo[m.i];
        TGroupAttrDimLin& l = r.dl;
        l.idl = l.idm = g.id[0];
        l.mj = s.Moji;
        l.x1 = s.Sen.start_x, l.y1 = s.Sen.start_y, l.x2 = s.Sen.end_x, l.y2 = s.Sen.end_y;
        if (SxfExtension(s.Ho1, s.Kt1, l.h1x1, l.h1y1, l.h1x2, l.h1y2)) l.idh1 = g.id[0];
        if (SxfExtension(s.Ho2, s.Kt2, l.h2x1, l.h2y1, l.h2x2, l.h2y2)) l.idh2 = g.id[0];
        r.kind = DxfDimKind::Sxf;
        mainIs(g.id[0], &s.Sen);
        r.x1 = l.x1, r.y1 = l.y1, r.x2 = l.x2, r.y2 = l.y2;
        return r;
    }
    const TEntJwwLine* line = nullptr;
    TGroupAttrDimDia& d = r.dd;
    if (DimensionLine(c, g, d, line)) {
        const JwString& s = d.mj.str;
        if (Contains(s, u"φ") || Flags(d.mj, 0x5710, 0x4210)) {
            r.kind = DxfDimKind::Diameter;
        } else if (Contains(s, u"R") || Contains(s, u"Ｒ") || Flags(d.mj, 0x5710, 0x4110)) {
            r.kind = DxfDimKind::Radius;
            if (d.ide1 >= 0 && d.ide2 < 0) {  // the extended end becomes point 2
                std::swap(d.x1, d.x2), std::swap(d.y1, d.y2);
                std::swap(d.x3, d.x4), std::swap(d.y3, d.y4);
                std::swap(d.ide1, d.ide2);
            }
        }
        if (r.kind != DxfDimKind::None) {
            mainIs(d.idl, line);
            r.x1 = d.x1, r.y1 = d.y1, r.x2 = d.x2, r.y2 = d.y2;
            return r;
        }
    }
    if (Angle(c, g, r.dc)) {
        r.kind = DxfDimKind::Angle;
        mainIs(r.dc.idc, nullptr);
        r.x1 = r.dc.x1, r.y1 = r.dc.y1, r.x2 = r.dc.x2, r.y2 = r.dc.y2;
        return r;
    }
    TGroupAttrDimLin& l = r.dl;
    if (DimensionLine(c, g, l, line) && Flags(l.mj, 0x4710, 0x4010)) {
        LinearExtensions(c, g, l);
        r.kind = DxfDimKind::Linear;
        mainIs(l.idl, line);
        r.x1 = l.x1, r.y1 = l.y1, r.x2 = l.x2, r.y2 = l.y2;
    }
    return r;
}

TDXF_Dimension DxfDimensionRecord(const DxfDimRecognition& r, const DxfDimPlace& p) {
    TDXF_Dimension d = Unplaced(r);
    d.x0 = p.X(d.x0), d.y0 = p.Y(d.y0);
    d.x1 = p.X(d.x1), d.y1 = p.Y(d.y1);
    d.x3 = p.X(d.x3), d.y3 = p.Y(d.y3);
    d.x4 = p.X(d.x4), d.y4 = p.Y(d.y4);
    d.x5 = p.X(d.x5), d.y5 = p.Y(d.y5);
    d.x6 = p.X(d.x6), d.y6 = p.Y(d.y6);
    return d;
}

std::vector<std::pair<double, double>> DxfDimensionPoints(const DxfDimRecognition& r) {
    const TDXF_Dimension d = Unplaced(r);
    std::vector<std::pair<double, double>> pts{{d.x0, d.y0}, {d.x1, d.y1}};
    if (d.fl3) pts.emplace_back(d.x3, d.y3);
    if (d.fl4) pts.emplace_back(d.x4, d.y4);
    if (d.fl5) pts.emplace_back(d.x5, d.y5);
    if (d.fl6) pts.emplace_back(d.x6, d.y6);
    return pts;
}

}  // namespace jw
