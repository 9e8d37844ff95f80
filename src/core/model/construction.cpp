// Construction and transform operations: building a drawing (or a figure) in
// memory entity by entity, creating block definitions and filling them, and
// moving or scaling the whole drawing.
//
// Every operation turns plain parameters into the records of jww_records.h,
// repairs out-of-range layers, colours, line types, codes and scales, and
// keeps the order lists and counts consistent. None of them throws: a failed
// allocation or an invalid index answers false and leaves no half-built entry.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <numbers>
#include <string_view>
#include <utility>
#include <vector>

#include "model/block_names.h"
#include "model/jw_data.h"
#include "support/program_values.h"

namespace jw {

namespace {

// Spare room of the arrays: drawing arrays grow in blocks of 1000 entries,
// the arrays of a block definition in blocks of 500.
constexpr int32_t kDrawingStep = 1000;
constexpr int32_t kDefinitionStep = 500;

constexpr double kPi = std::numbers::pi;
constexpr double kDegToRad = kPi / 180.0;
constexpr double kMinScale = 1e-10;

// ---- attribute parameters ----

int32_t ClampLayer(int32_t v) { return (v >= 0 && v <= 15) ? v : 0; }

int32_t ValidColor(int32_t co) {
    return ((co >= 1 && co <= 10) || (co >= 101 && co <= 356)) ? co : JwDefaultPenColor;
}

int32_t ValidStyle(int32_t tp) {
    return ((tp >= 1 && tp <= 9) || (tp >= 11 && tp <= 19) || (tp >= 31 && tp <= 62)) ? tp : JwDefaultPenStyle;
}

// co and tp are stored as given: callers validate them first.
TEntJwwAttr MakeAttr(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd) {
    TEntJwwAttr a;
    a.lGroup = static_cast<uint32_t>(cn);
    a.nPenStyle = static_cast<uint8_t>(tp);
    a.nPenColor = static_cast<uint16_t>(co);
    a.nPenWidth = static_cast<uint16_t>(wd);
    a.nLayer = static_cast<uint16_t>(ClampLayer(ly));
    a.nGLayer = static_cast<uint16_t>(ClampLayer(lg));
    a.sFlg = 0;
    return a;
}

// ---- flag tables: parameter bit -> sFlg bits ----

struct FlagBit {
    int32_t in;
    uint16_t out;
};

template <std::size_t N>
uint16_t MapFlags(int32_t fl, const FlagBit (&table)[N]) {
    uint16_t f = 0;
    for (const FlagBit& b : table) {
        if (fl & b.in) f = static_cast<uint16_t>(f | b.out);
    }
    return f;
}

constexpr FlagBit kLineFlags[] = {{0x01, 0x20}, {0x02, 0x2000}, {0x04, 0x800}, {0x08, 0x8000}, {0x10, 0x1000}};
// Bit 0x08 of arcs and points is not a flag (full circle, temporary point).
constexpr FlagBit kArcFlags[] = {{0x01, 0x20}, {0x02, 0x40}, {0x04, 0x10}, {0x10, 0x80}};
constexpr FlagBit kSolidFlags[] = {{0x01, 0x20}, {0x02, 0x2000}, {0x04, 0x800}, {0x08, 0x1000}};
constexpr FlagBit kTextFlags[] = {{0x02, 0x4010}, {0x04, 0x20},   {0x08, 0x40},   {0x10, 0x80},
                                  {0x20, 0x100},  {0x40, 0x200},  {0x80, 0x400},  {0x100, 0x1000},
                                  {0x200, 0x8000}, {0x400, 0x2000}, {0x800, 0x800}};
// Parts of a dimension: its line and extension lines, its text, its points.
constexpr uint16_t kDimLineBase = 0x2000;
constexpr FlagBit kDimLineFlags[] = {{0x01, 0x20}, {0x04, 0x800}, {0x08, 0x8000}, {0x10, 0x1000}};
constexpr uint16_t kDimTextBase = 0x4010;
constexpr FlagBit kDimTextFlags[] = {{0x04, 0x20},    {0x08, 0x40},    {0x10, 0x80},   {0x20, 0x100},
                                     {0x40, 0x200},   {0x80, 0x400},   {0x100, 0x1000}, {0x200, 0x8000},
                                     {0x400, 0x2000}, {0x800, 0x800}};
constexpr uint16_t kDimPointBase = 0x40;
constexpr FlagBit kDimPointFlags[] = {{0x01, 0x20}, {0x04, 0x10}, {0x10, 0x80}};

constexpr int32_t kFlagFull = 0x08;      // arc: full circle; point: temporary point
constexpr int32_t kFlagVertical = 0x04;  // text: vertical
constexpr int32_t kFlagBlockStyle = 0x10;  // block insert: bit 0x40 of the line type

double ScaleOrOne(double s) { return s < kMinScale ? 1.0 : s; }

// Direction of (dx, dy) in [0, 2pi); 0 for the zero vector.
double Direction(double dx, double dy) {
    if (dx == 0.0 && dy == 0.0) return 0.0;
    double a = std::atan2(dy, dx);
    if (a < 0.0) a += 2.0 * kPi;
    if (a >= 2.0 * kPi) a = 0.0;
    return a;
}

// ---- record builders ----

TEntJwwLine BuildLine(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                      double px1, double py1, double px2, double py2) {
    TEntJwwLine e;
    e.att = MakeAttr(cn, lg, ly, ValidColor(co), ValidStyle(tp), wd);
    e.att.sFlg = MapFlags(fl, kLineFlags);
    e.start_x = px1;
    e.start_y = py1;
    e.end_x = px2;
    e.end_y = py2;
    return e;
}

TEntJwwEnko BuildArc(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                     double px, double py, double pr, double ph, double psa, double pda, double pka) {
    TEntJwwEnko e;
    e.att = MakeAttr(cn, lg, ly, ValidColor(co), ValidStyle(tp), wd);
    e.att.sFlg = MapFlags(fl, kArcFlags);
    e.start_x = px;
    e.start_y = py;
    e.dHankei = pr;
    e.dHenpeiRitsu = ph;
    e.radKatamukiKaku = pka * kDegToRad;
    if (fl & kFlagFull) {
        e.radKaishiKaku = 0.0;
        e.radEnkoKaku = 2.0 * kPi;
        e.bZenEnFlg = 1;
    } else {
        e.radKaishiKaku = psa * kDegToRad;
        e.radEnkoKaku = pda * kDegToRad;
        e.bZenEnFlg = 0;
    }
    return e;
}

// Point code: 0 for a temporary point or a code outside lo..hi.
int32_t PointCode(int32_t code, int32_t fl, int32_t lo, int32_t hi) {
    if ((fl & kFlagFull) || code < lo || code > hi) return 0;
    return code;
}

TEntJwwTen BuildTen(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                    double px, double py, double pa, double pb) {
    const int32_t code = PointCode(tp, fl, -7, 11);
    TEntJwwTen e;
    e.att = MakeAttr(cn, lg, ly, ValidColor(co), code != 0 ? 100 : 1, wd);
    e.att.sFlg = MapFlags(fl, kArcFlags);
    e.start_x = px;
    e.start_y = py;
    e.bKariten = (fl & kFlagFull) ? 1 : 0;
    e.nCode = static_cast<uint32_t>(code);
    e.radKaitenKaku = pa * kDegToRad;
    e.dBairitsu = ScaleOrOne(pb);
    return e;
}

// Text type: ms mod 10000 in 1-10 takes width, height, spacing and colour
// from that text type; otherwise ms is rounded down to whole 10000s. A text
// type missing from the table (a model without settings) keeps the given
// values.
void ApplyTextType(const std::vector<TEntJwwMojiType>& types, int32_t& co, int32_t& ms, double& pw, double& ph,
                   double& pd) {
    const int32_t r = ms % 10000;
    if (r >= 1 && r <= 10) {
        if (static_cast<std::size_t>(r) <= types.size()) {
            const TEntJwwMojiType& t = types[static_cast<std::size_t>(r - 1)];
            pw = t.adMojiX;
            ph = t.adMojiY;
            pd = t.adMojiD;
            co = t.anMojiCol;
        }
    } else {
        ms = (ms / 10000) * 10000;
    }
}

int32_t TextStyle(int32_t tp) { return (tp >= 1 && tp <= 9) ? tp : 1; }

TEntJwwMoji BuildMoji(const std::vector<TEntJwwMojiType>& types, int32_t cn, int32_t lg, int32_t ly, int32_t co,
                      int32_t tp, int32_t wd, int32_t fl, int32_t ms, double px1, double py1, double px2, double py2,
                      double pw, double ph, double pd, double pa, const JwString& pf, const JwString& ps) {
    ApplyTextType(types, co, ms, pw, ph, pd);
    TEntJwwMoji e;
    e.att = MakeAttr(cn, lg, ly, ValidColor(co), TextStyle(tp), wd);
    e.att.sFlg = MapFlags(fl, kTextFlags);
    e.start_x = px1;
    e.start_y = py1;
    e.end_x = px2;
    e.end_y = py2;
    e.nMojiShu = static_cast<uint32_t>(ms);
    e.dSizeX = pw;
    e.dSizeY = ph;
    e.dKankaku = pd;
    e.degKakudo = pa;
    e.strFontName = pf;
    e.str = ps;
    return e;
}

struct Corners {
    double x1, y1, x2, y2;
};

bool IsHalfWidth(char16_t c) { return (c >= 0x20 && c <= 0x7E) || (c >= 0xFF61 && c <= 0xFF9F); }

// Text box corners of a text placed by its anchor point. The anchor code
// (1-9, as on a numeric keypad turned upside down: 1 bottom left ... 9 top
// right) places (px, py) on the box; sizes are those after the text type.
Corners AnchorCorners(int32_t anchor, bool vertical, std::u16string_view s, double pw, double ph, double pd,
                      double px, double py, double pa) {
    double len = 0.0;
    double height = 0.0;
    if (vertical) {
        const double n = static_cast<double>(s.size());
        len = s.empty() ? 0.0 : n * ph + (n - 1.0) * pd;
        height = pw;
    } else {
        // Control characters take no room and are no neighbours.
        bool first = true;
        bool prevHalf = false;
        for (char16_t c : s) {
            if (c < 0x20) continue;
            const bool half = IsHalfWidth(c);
            if (!first) len += prevHalf ? pd / 2.0 : pd;
            len += half ? pw / 2.0 : pw;
            first = false;
            prevHalf = half;
        }
        height = ph;
    }
    const int32_t col = (anchor - 1) % 3;
    const int32_t row = (anchor - 1) / 3;
    const double dx = col == 0 ? 0.0 : (col == 1 ? -len / 2.0 : -len);
    const double dy = row == 0 ? 0.0 : (row == 1 ? -height / 2.0 : -height);
    const double a = pa * kDegToRad;
    const double c = std::cos(a);
    const double sn = std::sin(a);
    Corners k;
    k.x1 = px + dx * c - dy * sn;
    k.y1 = py + dx * sn + dy * c;
    k.x2 = k.x1 + len * c;
    k.y2 = k.y1 + len * sn;
    return k;
}

TEntJwwMoji BuildMojiAnchored(const std::vector<TEntJwwMojiType>& types, int32_t cn, int32_t lg, int32_t ly,
                              int32_t co, int32_t tp, int32_t wd, int32_t fl, int32_t ms, double px, double py,
                              double pw, double ph, double pd, double pa, const JwString& pf, const JwString& ps) {
    tp = TextStyle(tp);
    int32_t typeColor = co;
    int32_t typeMs = ms;
    ApplyTextType(types, typeColor, typeMs, pw, ph, pd);
    const Corners k = AnchorCorners(tp, (fl & kFlagVertical) != 0, ps, pw, ph, pd, px, py, pa);
    return BuildMoji(types, cn, lg, ly, co, tp, wd, fl, ms, k.x1, k.y1, k.x2, k.y2, pw, ph, pd, pa, pf, ps);
}

// Dimension without SXF parts (bSxfMode 0): the line, the text, and the six
// parts derived from the dimension's attribute as for a file before 4.20.
TEntJwwSunpo BuildSunpo(const std::vector<TEntJwwMojiType>& types, int32_t cn, int32_t lg, int32_t ly, int32_t co,
                        int32_t tp, int32_t wd, int32_t fl, int32_t co2, int32_t tp2, int32_t wd2, int32_t fl2,
                        int32_t ms, double px1, double py1, double px2, double py2, double px3, double py3,
                        double px4, double py4, double pw, double ph, double pd, double pa, const JwString& pf,
                        const JwString& ps) {
    TEntJwwSunpo e{};
    e.att = MakeAttr(cn, lg, ly, ValidColor(co), ValidStyle(tp), wd);
    e.att.sFlg = kDimLineBase;

    e.Sen = TEntJwwLine{};
    e.Sen.att = e.att;
    e.Sen.att.sFlg = static_cast<uint16_t>(kDimLineBase | MapFlags(fl, kDimLineFlags));
    e.Sen.start_x = px1;
    e.Sen.start_y = py1;
    e.Sen.end_x = px2;
    e.Sen.end_y = py2;

    e.Moji = BuildMoji(types, cn, lg, ly, co2, tp2, wd2, 0, ms, px3, py3, px4, py4, pw, ph, pd, pa, pf, ps);
    e.Moji.att.sFlg = static_cast<uint16_t>(kDimTextBase | MapFlags(fl2, kDimTextFlags));

    e.bSxfMode = 0;
    e.Ho1 = TEntJwwLine{};
    e.Ho1.att = e.att;
    e.Ho2 = e.Ho1;
    e.Te1 = TEntJwwTen{};
    e.Te1.att = e.att;
    e.Te1.att.nPenStyle = 0;
    e.Te2 = e.Te1;
    e.Kt1 = e.Te1;
    e.Kt2 = e.Te1;
    return e;
}

TEntJwwSunpo BuildSunpoAnchored(const std::vector<TEntJwwMojiType>& types, int32_t cn, int32_t lg, int32_t ly,
                                int32_t co, int32_t tp, int32_t wd, int32_t fl, int32_t co2, int32_t tp2, int32_t wd2,
                                int32_t fl2, int32_t ms, double px1, double py1, double px2, double py2, double px,
                                double py, double pw, double ph, double pd, double pa, const JwString& pf,
                                const JwString& ps) {
    const int32_t anchor = TextStyle(tp2);
    int32_t typeColor = co2;
    int32_t typeMs = ms;
    double w = pw, h = ph, sp = pd;
    ApplyTextType(types, typeColor, typeMs, w, h, sp);
    const Corners k = AnchorCorners(anchor, (fl2 & kFlagVertical) != 0, ps, w, h, sp, px, py, pa);
    return BuildSunpo(types, cn, lg, ly, co, tp, wd, fl, co2, tp2, wd2, fl2, ms, px1, py1, px2, py2, k.x1, k.y1,
                      k.x2, k.y2, pw, ph, pd, pa, pf, ps);
}

void FillSxfLine(TEntJwwLine& h, int32_t ex, int32_t co, int32_t tp, int32_t wd, int32_t fl, double x1, double y1,
                 double x2, double y2) {
    if (ex == 0) return;
    h.att.nPenColor = static_cast<uint16_t>(ValidColor(co));
    h.att.nPenStyle = static_cast<uint8_t>(ValidStyle(tp));
    h.att.nPenWidth = static_cast<uint16_t>(wd);
    h.att.sFlg = static_cast<uint16_t>(kDimLineBase | MapFlags(fl, kDimLineFlags));
    h.start_x = x1;
    h.start_y = y1;
    h.end_x = x2;
    h.end_y = y2;
}

void FillSxfPoint(TEntJwwTen& t, int32_t ex, int32_t co, int32_t code, int32_t wd, int32_t fl, double pb, double x,
                  double y, double angle, bool temporary) {
    if (ex == 0) return;
    t.att.nPenColor = static_cast<uint16_t>(ValidColor(co));
    t.att.nPenStyle = static_cast<uint8_t>(code != 0 ? 100 : 1);
    t.att.nPenWidth = static_cast<uint16_t>(wd);
    t.att.sFlg = static_cast<uint16_t>(kDimPointBase | MapFlags(fl, kDimPointFlags));
    t.start_x = x;
    t.start_y = y;
    t.bKariten = temporary ? 1 : 0;
    t.nCode = static_cast<uint32_t>(code);
    t.radKaitenKaku = angle;
    t.dBairitsu = ScaleOrOne(pb);
}

using SxfLine = TJwEntities::SxfLine;
using SxfTen = TJwEntities::SxfTen;
using SxfKt = TJwEntities::SxfKt;
using SxfLineDist = TJwEntities::SxfLineDist;

// Adds the SXF parts to a dimension built by BuildSunpo; its Sen holds the
// measured line (px1, py1)-(px2, py2).
void ApplySxf(TEntJwwSunpo& e, const SxfLine& ho1, const SxfLine& ho2, const SxfTen& te1, const SxfTen& te2,
              const SxfKt& kt1, const SxfKt& kt2) {
    const double x1 = e.Sen.start_x, y1 = e.Sen.start_y, x2 = e.Sen.end_x, y2 = e.Sen.end_y;
    const bool any = ho1.ex || ho2.ex || te1.ex || te2.ex || kt1.ex || kt2.ex;
    e.bSxfMode = any ? 1 : 0;
    FillSxfLine(e.Ho1, ho1.ex, ho1.co, ho1.tp, ho1.wd, ho1.fl, ho1.x1, ho1.y1, ho1.x2, ho1.y2);
    FillSxfLine(e.Ho2, ho2.ex, ho2.co, ho2.tp, ho2.wd, ho2.fl, ho2.x1, ho2.y1, ho2.x2, ho2.y2);
    // The end marks point along the dimension line: outwards with ex 1,
    // inwards with any other non-zero ex.
    const double a1 = te1.ex == 1 ? Direction(x1 - x2, y1 - y2) : Direction(x2 - x1, y2 - y1);
    const double a2 = te2.ex == 1 ? Direction(x2 - x1, y2 - y1) : Direction(x1 - x2, y1 - y2);
    FillSxfPoint(e.Te1, te1.ex, te1.co, PointCode(te1.tp, te1.fl, -7, 11), te1.wd, te1.fl, te1.pb, x1, y1, a1,
                 (te1.fl & kFlagFull) != 0);
    FillSxfPoint(e.Te2, te2.ex, te2.co, PointCode(te2.tp, te2.fl, -7, 11), te2.wd, te2.fl, te2.pb, x2, y2, a2,
                 (te2.fl & kFlagFull) != 0);
    FillSxfPoint(e.Kt1, kt1.ex, kt1.co, PointCode(kt1.tp, kt1.fl, -7, 0), kt1.wd, kt1.fl, kt1.pb, kt1.px, kt1.py,
                 0.0, true);
    FillSxfPoint(e.Kt2, kt2.ex, kt2.co, PointCode(kt2.tp, kt2.fl, -7, 0), kt2.wd, kt2.fl, kt2.pb, kt2.px, kt2.py,
                 0.0, true);
}

// Extension line from the measured point k towards the dimension line end p:
// it starts d1 away from k and ends d2 beyond p.
SxfLine ExtensionLine(const SxfLineDist& h, double kx, double ky, double px, double py, double d1, double d2) {
    const double dx = px - kx, dy = py - ky;
    const double dist = std::hypot(dx, dy);
    const double a = Direction(dx, dy);
    const double ux = std::cos(a), uy = std::sin(a);
    return SxfLine{h.ex, h.co, h.tp, h.wd, h.fl, kx + d1 * ux, ky + d1 * uy, kx + (dist + d2) * ux,
                   ky + (dist + d2) * uy};
}

TEntJwwSolid BuildSolid(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                        int32_t fc, double px1, double py1, double px2, double py2, double px3, double py3,
                        double px4, double py4) {
    if (fc < 0 || fc > 0xFFFFFF) fc = 0;
    co = ValidColor(co);
    // Line types above 100 mark arc-shaped solids and are kept; a value that
    // does not fit the one-byte field is validated like any other.
    if (tp <= 100 || tp > 255) tp = ValidStyle(tp);
    TEntJwwSolid e;
    e.att = MakeAttr(cn, lg, ly, co, tp, wd);
    e.att.sFlg = MapFlags(fl, kSolidFlags);
    e.start_x = px1;
    e.start_y = py1;
    e.end_x = px2;
    e.end_y = py2;
    e.DPoint2_x = px3;
    e.DPoint2_y = py3;
    e.DPoint3_x = px4;
    e.DPoint3_y = py4;
    e.Color = co == 10 ? static_cast<uint32_t>(fc) : 0;
    return e;
}

// Arc-shaped solid: centre, radius, flatness, tilt, start angle, sweep and a
// mode in the fields of the four points.
TEntJwwSolid BuildArcSolid(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t style, int32_t wd, int32_t fl,
                           int32_t fc, double px, double py, double pr, double ph, double pka, double sa, double da,
                           double mode) {
    return BuildSolid(cn, lg, ly, co, style, wd, fl, fc, px, py, pr, ph, pka * kDegToRad, sa * kDegToRad,
                      da * kDegToRad, mode);
}

TEntJwwSolid BuildSolidC(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                         int32_t fc, double px, double py, double pr, double ph, double pka, double psa, double pda) {
    double mode = 100.0;
    switch (tp) {
        case 1: mode = 0.0; break;
        case 2: mode = 5.0; break;
        case 3: mode = -1.0; break;
        default:
            psa = 0.0;
            pda = 360.0;
            break;
    }
    return BuildArcSolid(cn, lg, ly, co, 101, wd, fl, fc, px, py, pr, ph, pka, psa, pda, mode);
}

TEntJwwSolid BuildSolidD(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                         int32_t fc, double px, double py, double pr, double pri, double ph, double pka, double psa,
                         double pda) {
    return BuildArcSolid(cn, lg, ly, co, tp == 2 ? 106 : 105, wd, fl, fc, px, py, pr, ph, pka, psa, pda, pri);
}

TEntJwwBlock BuildBlock(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                        int32_t bn, double px, double py, double pbx, double pby, double pa) {
    int32_t style = ValidStyle(tp);
    if (fl & kFlagBlockStyle) style |= 0x40;
    TEntJwwBlock e;
    e.att = MakeAttr(cn, lg, ly, ValidColor(co), style, wd);
    e.att.sFlg = MapFlags(fl, kSolidFlags);
    e.DPKijunTen_x = px;
    e.DPKijunTen_y = py;
    e.dBairitsuX = std::fabs(pbx) < kMinScale ? 1.0 : pbx;
    e.dBairitsuY = std::fabs(pby) < kMinScale ? 1.0 : pby;
    e.radKaitenKaku = pa * kDegToRad;
    e.nNumber = static_cast<uint32_t>(bn);
    return e;
}

// ---- appending ----

// Makes v long enough for count entries, growing it to the next multiple of
// step. False when memory runs out.
template <class T>
bool RoomFor(std::vector<T>& v, int32_t count, int32_t step) {
    if (static_cast<std::size_t>(count) <= v.size()) return true;
    try {
        v.resize((static_cast<std::size_t>(count - 1) / static_cast<std::size_t>(step) + 1) *
                 static_cast<std::size_t>(step));
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

// Appends rec to arr (count) and its entry to the order list (orderN). Both
// counts go back when either array cannot grow.
template <class T>
bool Append(std::vector<TEntJwwNo>& order, int32_t& orderN, int kind, std::vector<T>& arr, int32_t& count, T&& rec,
            int32_t step) {
    if (count < 0 || orderN < 0 || count == INT32_MAX || orderN == INT32_MAX) return false;
    ++count;
    if (!RoomFor(arr, count, step)) {
        --count;
        return false;
    }
    arr[static_cast<std::size_t>(count - 1)] = std::move(rec);
    ++orderN;
    if (!RoomFor(order, orderN, step)) {
        --orderN;
        --count;
        return false;
    }
    order[static_cast<std::size_t>(orderN - 1)] = TEntJwwNo{kind, count - 1};
    return true;
}

template <class T>
bool AppendToDrawing(TJwEntities& m, int kind, std::vector<T>& arr, int32_t& count, T&& rec) {
    return Append(m.EntNo, m.Hd().n1, kind, arr, count, std::move(rec), kDrawingStep);
}

template <class T>
bool AppendToDef(TEntJwwBlockDef& d, int kind, std::vector<T>& arr, int32_t& count, T&& rec) {
    return Append(d.mNo, d.N, kind, arr, count, std::move(rec), kDefinitionStep);
}

bool ValidDefIndex(const TJwEntities& m, int32_t bdn) {
    return bdn >= 0 && bdn < m.EntBlockDefN && static_cast<std::size_t>(bdn) < m.EntBlockDef.size();
}

// Runs an operation so that no exception (a failed string allocation while a
// record is built) reaches the caller.
template <class F>
bool NoThrow(F&& f) noexcept {
    try {
        return f();
    } catch (...) {
        return false;
    }
}

// Shortens v to count entries and releases the spare room.
template <class T>
void Trim(std::vector<T>& v, int32_t count) {
    v.resize(static_cast<std::size_t>(std::max(count, 0)));
    v.shrink_to_fit();
}

void TrimDef(TEntJwwBlockDef& d) {
    Trim(d.mNo, d.N);
    Trim(d.mLine, d.mLineN);
    Trim(d.mEnko, d.mEnkoN);
    Trim(d.mTen, d.mTenN);
    Trim(d.mMoji, d.mMojiN);
    Trim(d.mSunpo, d.mSunpoN);
    Trim(d.mSolid, d.mSolidN);
    Trim(d.mBlock, d.mBlockN);
}

// Makes v at least count entries long (never shorter).
template <class T>
void AtLeast(std::vector<T>& v, int32_t count) {
    if (count > 0 && static_cast<std::size_t>(count) > v.size()) v.resize(static_cast<std::size_t>(count));
}

}  // namespace

// ---- reserve and finish ----

bool TJwEntities::AddEntPre() {
    try {
        auto spare = [](auto& v, int32_t count) {
            v.resize(static_cast<std::size_t>(std::max(count, 0)) + static_cast<std::size_t>(kDrawingStep));
        };
        spare(EntNo, Hd().n1);
        spare(EntLine, EntLineN);
        spare(EntEnko, EntEnkoN);
        spare(EntTen, EntTenN);
        spare(EntMoji, EntMojiN);
        spare(EntSunpo, EntSunpoN);
        spare(EntSolid, EntSolidN);
        spare(EntBlock, EntBlockN);
        // Definitions get their room when members are appended (in blocks of
        // 500): reserving 500 entries of every kind for every definition up
        // front would cost about 400 KB per definition.
        const int32_t defN = std::min<int32_t>(EntBlockDefN, static_cast<int32_t>(EntBlockDef.size()));
        for (int32_t i = 0; i < defN; ++i) {
            TEntJwwBlockDef& d = EntBlockDef[static_cast<std::size_t>(i)];
            AtLeast(d.mNo, d.N);
            AtLeast(d.mLine, d.mLineN);
            AtLeast(d.mEnko, d.mEnkoN);
            AtLeast(d.mTen, d.mTenN);
            AtLeast(d.mMoji, d.mMojiN);
            AtLeast(d.mSunpo, d.mSunpoN);
            AtLeast(d.mSolid, d.mSolidN);
            AtLeast(d.mBlock, d.mBlockN);
        }
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool TJwEntities::AddEntPost() {
    bool ok = true;
    try {
        Trim(EntNo, Hd().n1);
        Trim(EntLine, EntLineN);
        Trim(EntEnko, EntEnkoN);
        Trim(EntTen, EntTenN);
        Trim(EntMoji, EntMojiN);
        Trim(EntSunpo, EntSunpoN);
        Trim(EntSolid, EntSolidN);
        Trim(EntBlock, EntBlockN);
        Trim(EntBlockDef, EntBlockDefN);
        for (TEntJwwBlockDef& d : EntBlockDef) TrimDef(d);
    } catch (const std::exception&) {
        ok = false;
    }
    try {
        MakeBlockTree();
    } catch (const std::exception&) {
        ok = false;
    }
    return ok;
}

bool TJwEntities::AddBlkDefPost(int32_t bdn) {
    if (!ValidDefIndex(*this, bdn)) return false;
    return NoThrow([&] {
        TrimDef(EntBlockDef[static_cast<std::size_t>(bdn)]);
        return true;
    });
}

// ---- drawing appends ----

bool TJwEntities::AddEntLine(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                             double px1, double py1, double px2, double py2) {
    return NoThrow([&] {
        return AppendToDrawing(*this, kEntLine, EntLine, EntLineN,
                               BuildLine(cn, lg, ly, co, tp, wd, fl, px1, py1, px2, py2));
    });
}

bool TJwEntities::AddEntArc(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                            double px, double py, double pr, double ph, double psa, double pda, double pka) {
    return NoThrow([&] {
        return AppendToDrawing(*this, kEntEnko, EntEnko, EntEnkoN,
                               BuildArc(cn, lg, ly, co, tp, wd, fl, px, py, pr, ph, psa, pda, pka));
    });
}

bool TJwEntities::AddEntTen(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                            double px, double py, double pa, double pb) {
    return NoThrow([&] {
        return AppendToDrawing(*this, kEntTen, EntTen, EntTenN, BuildTen(cn, lg, ly, co, tp, wd, fl, px, py, pa, pb));
    });
}

bool TJwEntities::AddEntMoji(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                             int32_t ms, double px1, double py1, double px2, double py2, double pw, double ph,
                             double pd, double pa, const JwString& pf, const JwString& ps) {
    return NoThrow([&] {
        return AppendToDrawing(*this, kEntMoji, EntMoji, EntMojiN,
                               BuildMoji(EntMoj, cn, lg, ly, co, tp, wd, fl, ms, px1, py1, px2, py2, pw, ph, pd, pa,
                                         pf, ps));
    });
}

bool TJwEntities::AddEntMoji(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                             int32_t ms, double px, double py, double pw, double ph, double pd, double pa,
                             const JwString& pf, const JwString& ps) {
    return NoThrow([&] {
        return AppendToDrawing(*this, kEntMoji, EntMoji, EntMojiN,
                               BuildMojiAnchored(EntMoj, cn, lg, ly, co, tp, wd, fl, ms, px, py, pw, ph, pd, pa, pf,
                                                 ps));
    });
}

bool TJwEntities::AddEntSunpo(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                              int32_t co2, int32_t tp2, int32_t wd2, int32_t fl2, int32_t ms, double px1, double py1,
                              double px2, double py2, double px3, double py3, double px4, double py4, double pw,
                              double ph, double pd, double pa, const JwString& pf, const JwString& ps) {
    return NoThrow([&] {
        return AppendToDrawing(*this, kEntSunpo, EntSunpo, EntSunpoN,
                               BuildSunpo(EntMoj, cn, lg, ly, co, tp, wd, fl, co2, tp2, wd2, fl2, ms, px1, py1, px2,
                                          py2, px3, py3, px4, py4, pw, ph, pd, pa, pf, ps));
    });
}

bool TJwEntities::AddEntSunpo(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                              int32_t co2, int32_t tp2, int32_t wd2, int32_t fl2, int32_t ms, double px1, double py1,
                              double px2, double py2, double px, double py, double pw, double ph, double pd, double pa,
                              const JwString& pf, const JwString& ps) {
    return NoThrow([&] {
        return AppendToDrawing(*this, kEntSunpo, EntSunpo, EntSunpoN,
                               BuildSunpoAnchored(EntMoj, cn, lg, ly, co, tp, wd, fl, co2, tp2, wd2, fl2, ms, px1,
                                                  py1, px2, py2, px, py, pw, ph, pd, pa, pf, ps));
    });
}

bool TJwEntities::AddEntSunpo(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                              int32_t co2, int32_t tp2, int32_t wd2, int32_t fl2, int32_t ms, double px1, double py1,
                              double px2, double py2, double px3, double py3, double px4, double py4, double pw,
                              double ph, double pd, double pa, const JwString& pf, const JwString& ps,
                              const SxfLine& ho1, const SxfLine& ho2, const SxfTen& te1, const SxfTen& te2,
                              const SxfKt& kt1, const SxfKt& kt2) {
    return NoThrow([&] {
        TEntJwwSunpo e = BuildSunpo(EntMoj, cn, lg, ly, co, tp, wd, fl, co2, tp2, wd2, fl2, ms, px1, py1, px2, py2,
                                    px3, py3, px4, py4, pw, ph, pd, pa, pf, ps);
        ApplySxf(e, ho1, ho2, te1, te2, kt1, kt2);
        return AppendToDrawing(*this, kEntSunpo, EntSunpo, EntSunpoN, std::move(e));
    });
}

bool TJwEntities::AddEntSunpo(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                              int32_t co2, int32_t tp2, int32_t wd2, int32_t fl2, int32_t ms, double px1, double py1,
                              double px2, double py2, double px, double py, double pw, double ph, double pd, double pa,
                              const JwString& pf, const JwString& ps, const SxfLine& ho1, const SxfLine& ho2,
                              const SxfTen& te1, const SxfTen& te2, const SxfKt& kt1, const SxfKt& kt2) {
    return NoThrow([&] {
        TEntJwwSunpo e = BuildSunpoAnchored(EntMoj, cn, lg, ly, co, tp, wd, fl, co2, tp2, wd2, fl2, ms, px1, py1,
                                            px2, py2, px, py, pw, ph, pd, pa, pf, ps);
        ApplySxf(e, ho1, ho2, te1, te2, kt1, kt2);
        return AppendToDrawing(*this, kEntSunpo, EntSunpo, EntSunpoN, std::move(e));
    });
}

bool TJwEntities::AddEntSunpo(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                              int32_t co2, int32_t tp2, int32_t wd2, int32_t fl2, int32_t ms, double px1, double py1,
                              double px2, double py2, double px, double py, double pw, double ph, double pd, double pa,
                              const JwString& pf, const JwString& ps, double d1, double d2, const SxfLineDist& ho1,
                              const SxfLineDist& ho2, const SxfTen& te1, const SxfTen& te2, const SxfKt& kt1,
                              const SxfKt& kt2) {
    return NoThrow([&] {
        TEntJwwSunpo e = BuildSunpoAnchored(EntMoj, cn, lg, ly, co, tp, wd, fl, co2, tp2, wd2, fl2, ms, px1, py1,
                                            px2, py2, px, py, pw, ph, pd, pa, pf, ps);
        ApplySxf(e, ExtensionLine(ho1, kt1.px, kt1.py, px1, py1, d1, d2),
                 ExtensionLine(ho2, kt2.px, kt2.py, px2, py2, d1, d2), te1, te2, kt1, kt2);
        return AppendToDrawing(*this, kEntSunpo, EntSunpo, EntSunpoN, std::move(e));
    });
}

bool TJwEntities::AddEntSolid(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                              int32_t fc, double px1, double py1, double px2, double py2, double px3, double py3,
                              double px4, double py4) {
    return NoThrow([&] {
        return AppendToDrawing(*this, kEntSolid, EntSolid, EntSolidN,
                               BuildSolid(cn, lg, ly, co, tp, wd, fl, fc, px1, py1, px2, py2, px3, py3, px4, py4));
    });
}

bool TJwEntities::AddEntSolid(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                              int32_t fc, double px1, double py1, double px2, double py2) {
    return AddEntSolid(cn, lg, ly, co, tp, wd, fl, fc, px1, py1, px2, py2, px2, py2, px2, py2);
}

bool TJwEntities::AddEntSolid(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                              int32_t fc, double px1, double py1, double px2, double py2, double px3, double py3) {
    return AddEntSolid(cn, lg, ly, co, tp, wd, fl, fc, px1, py1, px2, py2, px3, py3, px1, py1);
}

bool TJwEntities::AddEntSolidA(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t wd, int32_t fl, int32_t fc,
                               double px, double py, double pr, double ph, double pka) {
    return NoThrow([&] {
        return AppendToDrawing(*this, kEntSolid, EntSolid, EntSolidN,
                               BuildArcSolid(cn, lg, ly, co, 111, wd, fl, fc, px, py, pr, ph, pka, 0.0, 360.0, 100.0));
    });
}

bool TJwEntities::AddEntSolidA(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t wd, int32_t fl, int32_t fc,
                               double px, double py, double pr, double ph, double pka, double psa, double pda) {
    return NoThrow([&] {
        return AppendToDrawing(*this, kEntSolid, EntSolid, EntSolidN,
                               BuildArcSolid(cn, lg, ly, co, 111, wd, fl, fc, px, py, pr, ph, pka, psa, pda, 0.0));
    });
}

bool TJwEntities::AddEntSolidC(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                               int32_t fc, double px, double py, double pr, double ph, double pka, double psa,
                               double pda) {
    return NoThrow([&] {
        return AppendToDrawing(*this, kEntSolid, EntSolid, EntSolidN,
                               BuildSolidC(cn, lg, ly, co, tp, wd, fl, fc, px, py, pr, ph, pka, psa, pda));
    });
}

bool TJwEntities::AddEntSolidD(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                               int32_t fc, double px, double py, double pr, double pri, double ph, double pka,
                               double psa, double pda) {
    return NoThrow([&] {
        return AppendToDrawing(*this, kEntSolid, EntSolid, EntSolidN,
                               BuildSolidD(cn, lg, ly, co, tp, wd, fl, fc, px, py, pr, pri, ph, pka, psa, pda));
    });
}

bool TJwEntities::AddEntBlock(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                              int32_t bn, double px, double py, double pbx, double pby, double pa) {
    if (!ValidDefIndex(*this, bn)) return false;
    return NoThrow([&] {
        return AppendToDrawing(*this, kEntBlock, EntBlock, EntBlockN,
                               BuildBlock(cn, lg, ly, co, tp, wd, fl, bn, px, py, pbx, pby, pa));
    });
}

// ---- block definitions ----

bool TJwEntities::AddBlkDef(int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t fl,
                            int32_t bf, const JwString& ps) {
    if (EntBlockDefN < 0 || EntBlockDefN == INT32_MAX) return false;
    return NoThrow([&] {
        if (bf < 1 || bf > 4) bf = 4;
        JwString name = ps;
        if (BlkNameSuffixPos(name) == std::u16string_view::npos) {
            name += u"@@SfigorgFlag@@";
            name += static_cast<char16_t>(u'0' + bf);
        }
        name = GetBlkName(name);

        // Next number: one above the largest in use; should that overflow,
        // the smallest free number, so that numbers stay unique.
        const int32_t defN = std::min<int32_t>(EntBlockDefN, static_cast<int32_t>(EntBlockDef.size()));
        uint32_t number = 0;
        if (defN > 0) {
            uint32_t largest = 0;
            for (int32_t i = 0; i < defN; ++i) {
                const uint32_t n = EntBlockDef[i].nNumber;
                if (n > largest) largest = n;
            }
            if (largest < UINT32_MAX) {
                number = largest + 1;
            } else {
                std::vector<uint32_t> used;
                used.reserve(static_cast<std::size_t>(defN));
                for (int32_t i = 0; i < defN; ++i) {
                    const uint32_t n = EntBlockDef[i].nNumber;
                    used.push_back(n);
                }
                std::sort(used.begin(), used.end());
                for (uint32_t u : used) {
                    if (u == number) ++number;
                    else if (u > number) break;
                }
            }
        }

        TEntJwwBlockDef d;
        d.att = MakeAttr(cn, lg, ly, ValidColor(co), ValidStyle(tp), wd);
        d.att.sFlg = MapFlags(fl, kSolidFlags);
        d.nNumber = number;
        d.bRefferd = 0;
        d.dtime = 0;
        d.strName = std::move(name);
        d.ref_flag = false;
        d.ref_no = -1;

        const int32_t newN = EntBlockDefN + 1;
        if (static_cast<std::size_t>(newN) > EntBlockDef.size()) {
            try {
                EntBlockDef.resize(static_cast<std::size_t>(newN));
            } catch (const std::exception&) {
                return false;
            }
        }
        EntBlockDef[static_cast<std::size_t>(newN - 1)] = std::move(d);
        EntBlockDefN = newN;
        Hd().n2 = Hd().n2 + 1;
        return true;
    });
}

// ---- definition appends ----

bool TJwEntities::AddBlkLine(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd,
                             int32_t fl, double px1, double py1, double px2, double py2) {
    if (!ValidDefIndex(*this, bdn)) return false;
    return NoThrow([&] {
        TEntJwwBlockDef& d = EntBlockDef[static_cast<std::size_t>(bdn)];
        return AppendToDef(d, kEntLine, d.mLine, d.mLineN, BuildLine(cn, lg, ly, co, tp, wd, fl, px1, py1, px2, py2));
    });
}

bool TJwEntities::AddBlkArc(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd,
                            int32_t fl, double px, double py, double pr, double ph, double psa, double pda,
                            double pka) {
    if (!ValidDefIndex(*this, bdn)) return false;
    return NoThrow([&] {
        TEntJwwBlockDef& d = EntBlockDef[static_cast<std::size_t>(bdn)];
        return AppendToDef(d, kEntEnko, d.mEnko, d.mEnkoN,
                           BuildArc(cn, lg, ly, co, tp, wd, fl, px, py, pr, ph, psa, pda, pka));
    });
}

bool TJwEntities::AddBlkTen(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd,
                            int32_t fl, double px, double py, double pa, double pb) {
    if (!ValidDefIndex(*this, bdn)) return false;
    return NoThrow([&] {
        TEntJwwBlockDef& d = EntBlockDef[static_cast<std::size_t>(bdn)];
        return AppendToDef(d, kEntTen, d.mTen, d.mTenN, BuildTen(cn, lg, ly, co, tp, wd, fl, px, py, pa, pb));
    });
}

bool TJwEntities::AddBlkMoji(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd,
                             int32_t fl, int32_t ms, double px1, double py1, double px2, double py2, double pw,
                             double ph, double pd, double pa, const JwString& pf, const JwString& ps) {
    if (!ValidDefIndex(*this, bdn)) return false;
    return NoThrow([&] {
        TEntJwwBlockDef& d = EntBlockDef[static_cast<std::size_t>(bdn)];
        return AppendToDef(d, kEntMoji, d.mMoji, d.mMojiN,
                           BuildMoji(EntMoj, cn, lg, ly, co, tp, wd, fl, ms, px1, py1, px2, py2, pw, ph, pd, pa, pf,
                                     ps));
    });
}

bool TJwEntities::AddBlkMoji(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd,
                             int32_t fl, int32_t ms, double px, double py, double pw, double ph, double pd, double pa,
                             const JwString& pf, const JwString& ps) {
    if (!ValidDefIndex(*this, bdn)) return false;
    return NoThrow([&] {
        TEntJwwBlockDef& d = EntBlockDef[static_cast<std::size_t>(bdn)];
        return AppendToDef(d, kEntMoji, d.mMoji, d.mMojiN,
                           BuildMojiAnchored(EntMoj, cn, lg, ly, co, tp, wd, fl, ms, px, py, pw, ph, pd, pa, pf, ps));
    });
}

bool TJwEntities::AddBlkSunpo(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd,
                              int32_t fl, int32_t co2, int32_t tp2, int32_t wd2, int32_t fl2, int32_t ms, double px1,
                              double py1, double px2, double py2, double px3, double py3, double px4, double py4,
                              double pw, double ph, double pd, double pa, const JwString& pf, const JwString& ps) {
    if (!ValidDefIndex(*this, bdn)) return false;
    return NoThrow([&] {
        TEntJwwBlockDef& d = EntBlockDef[static_cast<std::size_t>(bdn)];
        return AppendToDef(d, kEntSunpo, d.mSunpo, d.mSunpoN,
                           BuildSunpo(EntMoj, cn, lg, ly, co, tp, wd, fl, co2, tp2, wd2, fl2, ms, px1, py1, px2, py2,
                                      px3, py3, px4, py4, pw, ph, pd, pa, pf, ps));
    });
}

bool TJwEntities::AddBlkSunpo(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd,
                              int32_t fl, int32_t co2, int32_t tp2, int32_t wd2, int32_t fl2, int32_t ms, double px1,
                              double py1, double px2, double py2, double px, double py, double pw, double ph,
                              double pd, double pa, const JwString& pf, const JwString& ps) {
    if (!ValidDefIndex(*this, bdn)) return false;
    return NoThrow([&] {
        TEntJwwBlockDef& d = EntBlockDef[static_cast<std::size_t>(bdn)];
        return AppendToDef(d, kEntSunpo, d.mSunpo, d.mSunpoN,
                           BuildSunpoAnchored(EntMoj, cn, lg, ly, co, tp, wd, fl, co2, tp2, wd2, fl2, ms, px1, py1,
                                              px2, py2, px, py, pw, ph, pd, pa, pf, ps));
    });
}

bool TJwEntities::AddBlkSunpo(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd,
                              int32_t fl, int32_t co2, int32_t tp2, int32_t wd2, int32_t fl2, int32_t ms, double px1,
                              double py1, double px2, double py2, double px3, double py3, double px4, double py4,
                              double pw, double ph, double pd, double pa, const JwString& pf, const JwString& ps,
                              const SxfLine& ho1, const SxfLine& ho2, const SxfTen& te1, const SxfTen& te2,
                              const SxfKt& kt1, const SxfKt& kt2) {
    if (!ValidDefIndex(*this, bdn)) return false;
    return NoThrow([&] {
        TEntJwwBlockDef& d = EntBlockDef[static_cast<std::size_t>(bdn)];
        TEntJwwSunpo e = BuildSunpo(EntMoj, cn, lg, ly, co, tp, wd, fl, co2, tp2, wd2, fl2, ms, px1, py1, px2, py2,
                                    px3, py3, px4, py4, pw, ph, pd, pa, pf, ps);
        ApplySxf(e, ho1, ho2, te1, te2, kt1, kt2);
        return AppendToDef(d, kEntSunpo, d.mSunpo, d.mSunpoN, std::move(e));
    });
}

bool TJwEntities::AddBlkSunpo(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd,
                              int32_t fl, int32_t co2, int32_t tp2, int32_t wd2, int32_t fl2, int32_t ms, double px1,
                              double py1, double px2, double py2, double px, double py, double pw, double ph,
                              double pd, double pa, const JwString& pf, const JwString& ps, const SxfLine& ho1,
                              const SxfLine& ho2, const SxfTen& te1, const SxfTen& te2, const SxfKt& kt1,
                              const SxfKt& kt2) {
    if (!ValidDefIndex(*this, bdn)) return false;
    return NoThrow([&] {
        TEntJwwBlockDef& d = EntBlockDef[static_cast<std::size_t>(bdn)];
        TEntJwwSunpo e = BuildSunpoAnchored(EntMoj, cn, lg, ly, co, tp, wd, fl, co2, tp2, wd2, fl2, ms, px1, py1,
                                            px2, py2, px, py, pw, ph, pd, pa, pf, ps);
        ApplySxf(e, ho1, ho2, te1, te2, kt1, kt2);
        return AppendToDef(d, kEntSunpo, d.mSunpo, d.mSunpoN, std::move(e));
    });
}

bool TJwEntities::AddBlkSunpo(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd,
                              int32_t fl, int32_t co2, int32_t tp2, int32_t wd2, int32_t fl2, int32_t ms, double px1,
                              double py1, double px2, double py2, double px, double py, double pw, double ph,
                              double pd, double pa, const JwString& pf, const JwString& ps, double d1, double d2,
                              const SxfLineDist& ho1, const SxfLineDist& ho2, const SxfTen& te1, const SxfTen& te2,
                              const SxfKt& kt1, const SxfKt& kt2) {
    if (!ValidDefIndex(*this, bdn)) return false;
    return NoThrow([&] {
        TEntJwwBlockDef& d = EntBlockDef[static_cast<std::size_t>(bdn)];
        TEntJwwSunpo e = BuildSunpoAnchored(EntMoj, cn, lg, ly, co, tp, wd, fl, co2, tp2, wd2, fl2, ms, px1, py1,
                                            px2, py2, px, py, pw, ph, pd, pa, pf, ps);
        ApplySxf(e, ExtensionLine(ho1, kt1.px, kt1.py, px1, py1, d1, d2),
                 ExtensionLine(ho2, kt2.px, kt2.py, px2, py2, d1, d2), te1, te2, kt1, kt2);
        return AppendToDef(d, kEntSunpo, d.mSunpo, d.mSunpoN, std::move(e));
    });
}

bool TJwEntities::AddBlkSolid(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd,
                              int32_t fl, int32_t fc, double px1, double py1, double px2, double py2, double px3,
                              double py3, double px4, double py4) {
    if (!ValidDefIndex(*this, bdn)) return false;
    return NoThrow([&] {
        TEntJwwBlockDef& d = EntBlockDef[static_cast<std::size_t>(bdn)];
        return AppendToDef(d, kEntSolid, d.mSolid, d.mSolidN,
                           BuildSolid(cn, lg, ly, co, tp, wd, fl, fc, px1, py1, px2, py2, px3, py3, px4, py4));
    });
}

bool TJwEntities::AddBlkSolid(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd,
                              int32_t fl, int32_t fc, double px1, double py1, double px2, double py2) {
    return AddBlkSolid(bdn, cn, lg, ly, co, tp, wd, fl, fc, px1, py1, px2, py2, px2, py2, px2, py2);
}

bool TJwEntities::AddBlkSolid(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd,
                              int32_t fl, int32_t fc, double px1, double py1, double px2, double py2, double px3,
                              double py3) {
    return AddBlkSolid(bdn, cn, lg, ly, co, tp, wd, fl, fc, px1, py1, px2, py2, px3, py3, px1, py1);
}

bool TJwEntities::AddBlkSolidA(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t wd, int32_t fl,
                               int32_t fc, double px, double py, double pr, double ph, double pka) {
    if (!ValidDefIndex(*this, bdn)) return false;
    return NoThrow([&] {
        TEntJwwBlockDef& d = EntBlockDef[static_cast<std::size_t>(bdn)];
        return AppendToDef(d, kEntSolid, d.mSolid, d.mSolidN,
                           BuildArcSolid(cn, lg, ly, co, 111, wd, fl, fc, px, py, pr, ph, pka, 0.0, 360.0, 100.0));
    });
}

bool TJwEntities::AddBlkSolidA(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t wd, int32_t fl,
                               int32_t fc, double px, double py, double pr, double ph, double pka, double psa,
                               double pda) {
    if (!ValidDefIndex(*this, bdn)) return false;
    return NoThrow([&] {
        TEntJwwBlockDef& d = EntBlockDef[static_cast<std::size_t>(bdn)];
        return AppendToDef(d, kEntSolid, d.mSolid, d.mSolidN,
                           BuildArcSolid(cn, lg, ly, co, 111, wd, fl, fc, px, py, pr, ph, pka, psa, pda, 0.0));
    });
}

bool TJwEntities::AddBlkSolidC(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd,
                               int32_t fl, int32_t fc, double px, double py, double pr, double ph, double pka,
                               double psa, double pda) {
    if (!ValidDefIndex(*this, bdn)) return false;
    return NoThrow([&] {
        TEntJwwBlockDef& d = EntBlockDef[static_cast<std::size_t>(bdn)];
        return AppendToDef(d, kEntSolid, d.mSolid, d.mSolidN,
                           BuildSolidC(cn, lg, ly, co, tp, wd, fl, fc, px, py, pr, ph, pka, psa, pda));
    });
}

bool TJwEntities::AddBlkSolidD(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd,
                               int32_t fl, int32_t fc, double px, double py, double pr, double pri, double ph,
                               double pka, double psa, double pda) {
    if (!ValidDefIndex(*this, bdn)) return false;
    return NoThrow([&] {
        TEntJwwBlockDef& d = EntBlockDef[static_cast<std::size_t>(bdn)];
        return AppendToDef(d, kEntSolid, d.mSolid, d.mSolidN,
                           BuildSolidD(cn, lg, ly, co, tp, wd, fl, fc, px, py, pr, pri, ph, pka, psa, pda));
    });
}

bool TJwEntities::AddBlkBlock(int32_t bdn, int32_t cn, int32_t lg, int32_t ly, int32_t co, int32_t tp, int32_t wd,
                              int32_t fl, int32_t bn, double px, double py, double pbx, double pby, double pa) {
    if (!ValidDefIndex(*this, bdn) || !ValidDefIndex(*this, bn)) return false;
    return NoThrow([&] {
        TEntJwwBlockDef& d = EntBlockDef[static_cast<std::size_t>(bdn)];
        return AppendToDef(d, kEntBlock, d.mBlock, d.mBlockN,
                           BuildBlock(cn, lg, ly, co, tp, wd, fl, bn, px, py, pbx, pby, pa));
    });
}

namespace {

// Applies f to every counted entry of v.
template <class T, class F>
void ForEach(std::vector<T>& v, int32_t count, F&& f) {
    const std::size_t n = std::min(v.size(), static_cast<std::size_t>(std::max(count, 0)));
    for (std::size_t i = 0; i < n; ++i) f(v[i]);
}

// Point fields of the packed records are read and written by value: the
// records have no alignment, so no reference to a field is ever taken.
#define ZS_MAP_XY(rec, xf, yf) \
    do {                       \
        (rec).xf = fx((rec).xf); \
        (rec).yf = fy((rec).yf); \
    } while (0)

template <class FX, class FY>
void MapDrawing(TJwEntities& m, const FX& fx, const FY& fy) {
    ForEach(m.EntLine, m.EntLineN, [&](TEntJwwLine& e) {
        ZS_MAP_XY(e, start_x, start_y);
        ZS_MAP_XY(e, end_x, end_y);
    });
    ForEach(m.EntEnko, m.EntEnkoN, [&](TEntJwwEnko& e) { ZS_MAP_XY(e, start_x, start_y); });
    ForEach(m.EntTen, m.EntTenN, [&](TEntJwwTen& e) { ZS_MAP_XY(e, start_x, start_y); });
    ForEach(m.EntMoji, m.EntMojiN, [&](TEntJwwMoji& e) {
        ZS_MAP_XY(e, start_x, start_y);
        ZS_MAP_XY(e, end_x, end_y);
    });
    ForEach(m.EntSunpo, m.EntSunpoN, [&](TEntJwwSunpo& e) {
        ZS_MAP_XY(e.Sen, start_x, start_y);
        ZS_MAP_XY(e.Sen, end_x, end_y);
        ZS_MAP_XY(e.Moji, start_x, start_y);
        ZS_MAP_XY(e.Moji, end_x, end_y);
        if (e.bSxfMode != 0) {
            ZS_MAP_XY(e.Ho1, start_x, start_y);
            ZS_MAP_XY(e.Ho1, end_x, end_y);
            ZS_MAP_XY(e.Ho2, start_x, start_y);
            ZS_MAP_XY(e.Ho2, end_x, end_y);
            ZS_MAP_XY(e.Te1, start_x, start_y);
            ZS_MAP_XY(e.Te2, start_x, start_y);
            ZS_MAP_XY(e.Kt1, start_x, start_y);
            ZS_MAP_XY(e.Kt2, start_x, start_y);
        }
    });
    ForEach(m.EntSolid, m.EntSolidN, [&](TEntJwwSolid& e) {
        ZS_MAP_XY(e, start_x, start_y);
        // An arc-shaped solid (line type above 100) keeps its radius, angles
        // and mode in the other point fields.
        if (e.att.nPenStyle <= 100) {
            ZS_MAP_XY(e, end_x, end_y);
            ZS_MAP_XY(e, DPoint2_x, DPoint2_y);
            ZS_MAP_XY(e, DPoint3_x, DPoint3_y);
        }
    });
    ForEach(m.EntBlock, m.EntBlockN, [&](TEntJwwBlock& e) { ZS_MAP_XY(e, DPKijunTen_x, DPKijunTen_y); });
}

#undef ZS_MAP_XY

}  // namespace

// ---- whole-drawing transforms ----
// Only the drawing's own entities change; block definitions keep their
// coordinates and follow their inserts.

void TJwEntities::MoveEntALL(double dx, double dy) {
    MapDrawing(*this, [dx](double x) { return x + dx; }, [dy](double y) { return y + dy; });
}

void TJwEntities::ScaleEntALL(double cx, double cy, double sc) {
    MapDrawing(*this, [cx, sc](double x) { return cx + sc * (x - cx); },
               [cy, sc](double y) { return cy + sc * (y - cy); });
    // Sizes that grow with the drawing.
    ForEach(EntEnko, EntEnkoN, [sc](TEntJwwEnko& e) { e.dHankei = e.dHankei * sc; });
    ForEach(EntTen, EntTenN, [sc](TEntJwwTen& e) { e.dBairitsu = e.dBairitsu * sc; });
    ForEach(EntSunpo, EntSunpoN, [sc](TEntJwwSunpo& e) {
        if (e.bSxfMode == 0) return;
        e.Te1.dBairitsu = e.Te1.dBairitsu * sc;
        e.Te2.dBairitsu = e.Te2.dBairitsu * sc;
        e.Kt1.dBairitsu = e.Kt1.dBairitsu * sc;
        e.Kt2.dBairitsu = e.Kt2.dBairitsu * sc;
    });
    ForEach(EntSolid, EntSolidN, [sc](TEntJwwSolid& e) {
        if (e.att.nPenStyle > 100) e.end_x = e.end_x * sc;  // radius of an arc-shaped solid
    });
    ForEach(EntBlock, EntBlockN, [sc](TEntJwwBlock& e) {
        e.dBairitsuX = e.dBairitsuX * sc;
        e.dBairitsuY = e.dBairitsuY * sc;
    });
}

}  // namespace jw
