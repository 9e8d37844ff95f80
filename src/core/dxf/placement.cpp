#include "dxf/placement.h"

#include <cmath>
#include <numbers>
#include <utility>

#include "attributes/gra_attribute.h"
#include "dxf/dxf_model.h"
#include "support/numbers.h"
#include "support/paths.h"
#include "support/strings.h"

namespace jw {

namespace {

constexpr double kPi = std::numbers::pi;

double Deg(double rad) { return rad * 180 / kPi; }

}  // namespace

double JwSafeScale(double s) { return (std::isfinite(s) && s > 0) ? s : 1.0; }

TJwArcShape JwArcShapeOf(double cx, double cy, double r, double h, double tilt, double start, double sweep,
                         bool whole) {
    TJwArcShape a;
    if (!std::isfinite(r) || !(std::fabs(r) > 1e-12) || !std::isfinite(cx) || !std::isfinite(cy)) return a;
    a.ok = true;
    a.cx = cx;
    a.cy = cy;
    a.r = std::fabs(r);
    if (!std::isfinite(h)) h = 1;
    if (std::fabs(h - 1) <= 1e-12) h = 1;
    a.h = h;
    double sa = Deg(start), da = Deg(sweep);
    if (whole) {
        sa = 0;
        da = 0;
    }
    if (da < 0) {
        sa += da;
        da = -da;
    }
    a.sa = DxfNormDeg(sa);
    a.da = DxfNormDeg(da);
    a.ka = DxfNormDeg(Deg(tilt));
    return a;
}

TJwArcShape JwArcShapeOf(const TEntJwwEnko& e) {
    return JwArcShapeOf(e.start_x, e.start_y, e.dHankei, e.dHenpeiRitsu, e.radKatamukiKaku, e.radKaishiKaku,
                        e.radEnkoKaku, e.bZenEnFlg != 0);
}

std::u16string_view JwFontWithoutAt(std::u16string_view s) {
    for (int i = 0; i < 3 && !s.empty() && s[0] == u'@'; ++i) s.remove_prefix(1);
    return s;
}

TJwTextLine JwTextLineOf(const TEntJwwMoji& t, const TJwPlace& p, bool centreColumn) {
    TJwTextLine r;
    const double sx = t.start_x, sy = t.start_y, ex = t.end_x, ey = t.end_y;
    const uint32_t shu = t.nMojiShu;
    const uint16_t flg = t.att.sFlg;
    r.vertical = (flg & 0x20) != 0;
    r.slanted = (shu / 10000) % 2 == 1;
    r.typ = static_cast<int32_t>(2 * (shu % 100) + 2);
    r.w = t.dSizeX * p.sc;
    r.h = t.dSizeY * p.sc;
    r.d = t.dKankaku * p.sc;
    r.a = DxfNormDeg(Deg(std::atan2(ey - sy, ex - sx)));
    r.x1 = p.X(sx);
    r.y1 = p.Y(sy);
    r.x2 = p.X(ex);
    r.y2 = p.Y(ey);
    r.font = t.strFontName;
    if (r.vertical) {
        ++r.typ;
        std::swap(r.w, r.h);
        JwString at(1, u'@');
        at.append(JwFontWithoutAt(r.font));
        r.font = std::move(at);
        if (centreColumn) {
            const double rad = r.a * kPi / 180, mx = r.h / 2 * std::sin(rad), my = -r.h / 2 * std::cos(rad);
            r.x1 += mx, r.y1 += my, r.x2 += mx, r.y2 += my;
        }
    }
    r.fl = (r.vertical ? 1 : 0) | (r.slanted ? 2 : 0);
    return r;
}

int JwSolidCorners(const TEntJwwSolid& s, double (&x)[4], double (&y)[4]) {
    const double cx[4] = {s.start_x, s.DPoint2_x, s.DPoint3_x, s.end_x};
    const double cy[4] = {s.start_y, s.DPoint2_y, s.DPoint3_y, s.end_y};
    int n = 0;
    for (int k = 0; k < 4; ++k) {
        bool seen = false;
        for (int j = 0; j < n; ++j) seen = seen || DxfCoincide(cx[k], cy[k], x[j], y[j]);
        if (seen) continue;
        x[n] = cx[k];
        y[n] = cy[k];
        ++n;
    }
    return n;
}

uint32_t JwOwnSolidArgb(uint32_t c) {
    return MakeArgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

TJwPointMark JwPointMarkOf(const TEntJwwTen& t, const TgraAttribute& ga) {
    TJwPointMark m;
    if (t.bKariten == 1) {
        m.temporary = true;
        return m;
    }
    const uint8_t style = t.att.nPenStyle;
    if (style == 100) {
        m.code = static_cast<int32_t>(t.nCode);
        m.rot = DxfNormDeg(Deg(t.radKaitenKaku));
        m.scale = t.dBairitsu;
    }
    if (m.code == 0) {
        const uint16_t width = t.att.nPenWidth;
        m.scale = ga.GetAttrColten(t.att.nPenColor) + 0.5 * width;
    }
    if (!std::isfinite(m.scale)) m.scale = 1;
    return m;
}

std::u16string_view JwTenMarkerName(int32_t code) {
    static constexpr std::u16string_view kFilled[] = {
        u"",                 u"_TRANS_TMARKER1", u"_TRANS_TMARKER2", u"_TRANS_TMARKER3",
        u"_TRANS_TMARKER4",  u"_TRANS_TMARKER5", u"_TRANS_TMARKER6", u"_TRANS_TMARKER7",
        u"_TRANS_TMARKER8",  u"_TRANS_TMARKER9", u"_TRANS_TMARKER10", u"_TRANS_TMARKER11"};
    static constexpr std::u16string_view kOutlined[] = {u"",
                                                        u"_TRANS_TMARKER_1",
                                                        u"_TRANS_TMARKER_2",
                                                        u"",
                                                        u"_TRANS_TMARKER_4",
                                                        u"_TRANS_TMARKER_5",
                                                        u"_TRANS_TMARKER_6",
                                                        u"_TRANS_TMARKER_7"};
    if (code >= 1 && code <= 11) return kFilled[code];
    if (code <= -1 && code >= -7) return kOutlined[-code];
    return {};
}

namespace {

bool JwIsBoundImageName(std::u16string_view file) { return file.size() >= 6 && StrLower(file.substr(0, 6)) == u"%temp%"; }

}  // namespace

TJwImageText JwImageTextOf(std::u16string_view s) {
    TJwImageText r;
    const size_t comma = s.find(u',');
    if (s.size() < 4 || s.substr(0, 4) != u"^@BM" || comma == std::u16string_view::npos) return r;
    r.file = s.substr(4, comma - 4);
    r.bound = JwIsBoundImageName(r.file);
    size_t values = 0;
    double w = 0, rot = 0;
    for (size_t start = comma + 1;;) {
        const size_t next = s.find(u',', start);
        const std::u16string_view v = s.substr(start, next == std::u16string_view::npos ? next : next - start);
        if (values == 0) w = StrFloatDef0(v);
        if (values == 5) rot = StrFloatDef0(v);
        ++values;
        if (next == std::u16string_view::npos) break;
        start = next + 1;
    }
    if (!(w > 0) || !std::isfinite(w)) return r;
    r.ok = true;
    r.w = w;
    r.rot = std::isfinite(rot) ? rot : 0.0;
    return r;
}

JwString JwImagePath(std::u16string_view file, const JwString& bindFolder, const JwString& drawingFile) {
    if (JwIsBoundImageName(file)) {
        const std::u16string_view name = file.substr(6);
        if (name.empty() || name == u"." || name == u".." ||
            name.find_first_of(u"\\/:") != std::u16string_view::npos || bindFolder.empty())
            return JwString();
        return bindFolder + JwString(name);
    }
    if (StrIsBlank(file)) return JwString();
    const JwString folder = FileDir(drawingFile);
    return FromNativePath(ResolveWindowsPath(file, folder));
}

}  // namespace jw
