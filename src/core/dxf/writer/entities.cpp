// The entity records, written for the ENTITIES section and for the contents
// of blocks.
//
// Space filter: each entity is written in a pass with an owner handle. Pass 0
// is the ENTITIES section (model space and the first paper space) and the
// contents of a block definition; pass p >= 2 is the block of the (p-1)-th
// further layout. An owner of 0 is derived from the entity's space.
#include <cmath>
#include <numbers>
#include <type_traits>
#include <utility>

#include "dxf/writer/writer.h"

namespace jw::dxfwriter {

namespace {

constexpr double kPi = std::numbers::pi;

// A point drawn as a POINT or a CIRCLE rather than with a block.
constexpr int32_t kPlainPoint = -2;

inline bool Near(double v, double target) { return std::fabs(v - target) <= 1e-14; }

// True when s holds something besides spaces (U+0020, U+3000) and control characters.
bool HasVisible(std::u16string_view s) {
    for (char16_t c : s)
        if (c > 0x20 && c != 0x3000) return true;
    return false;
}

bool InPass(int32_t spc, int32_t pass) { return (pass != 0 || spc <= 1) && (pass < 2 || spc == pass); }

// Entities that take more than one handle.
int32_t Handles(const TDXF_Image&) { return 2; }  // the IMAGE and its reactor
int32_t Handles(const TDXF_PLine& r) {            // the POLYLINE, its VERTEXes, its SEQEND
    return static_cast<int32_t>(r.v.size()) + 2;
}
template <class Rec>
int32_t Handles(const Rec&) {
    return 1;
}

}  // namespace

void DxfWriter::Entities(TDXF_Entities& e, int32_t pass, int32_t owner) {
    for (const TDXF_EntNo& n : e.No) {
        Entity(e, n, pass, owner);
        FlushFull();
    }
}

template <class F>
void DxfWriter::WithRecord(TDXF_Entities& e, const TDXF_EntNo& n, F&& f) {
    auto at = [&](auto& records) {
        if (n.no >= 0 && n.no < static_cast<int32_t>(records.size())) f(records[static_cast<size_t>(n.no)]);
    };
    switch (n.tp) {
        case kDxfLine: return at(e.Line);
        case kDxfCircle: return at(e.Circ);
        case kDxfArc: return at(e.Arc);
        case kDxfEllipse: return at(e.Elli);
        case kDxfTen: return at(e.Ten);
        case kDxfSolid3: return at(e.Sld3);
        case kDxfSolid4: return at(e.Sld4);
        case kDxfMoji: return at(e.Moji);
        case kDxfImage: return at(e.Imag);
        case kDxfPLine: return at(e.PLin);
        case kDxfDim: return at(e.Dim);
        case kDxfBlock: return at(e.Block);
        case kDxfVport:  // top level only
            if (&e == &m_.de) at(m_.deVport);
            return;
        default: return;
    }
}

bool DxfWriter::Sizes(TDXF_Entities& e, const TDXF_EntNo& n, int32_t& spc, int32_t& handles) {
    bool found = false;
    WithRecord(e, n, [&](const auto& r) {
        found = true;
        spc = r.spc;
        handles = Handles(r);
    });
    return found;
}

bool DxfWriter::Written(TDXF_Entities& e, const TDXF_EntNo& n) {
    bool written = false;
    WithRecord(e, n, [&](const auto& r) { written = Writable(r); });
    return written;
}

int64_t DxfWriter::ContentHandles(TDXF_Entities& e) {
    int64_t sum = 0;
    for (const TDXF_EntNo& n : e.No) {
        int32_t spc = 0, handles = 0;
        if (Sizes(e, n, spc, handles) && InPass(spc, 0)) sum += handles;
    }
    return sum;
}

int32_t DxfWriter::TenBlock(const TDXF_Ten& r) const {
    int32_t block = -1;
    if (r.cod >= 1 && r.cod <= 11) {
        block = marker_[0][r.cod];
    } else if (r.cod == -1 || r.cod == -2 || (r.cod >= -7 && r.cod <= -4)) {
        block = marker_[1][-r.cod];
    } else if (m_.tentyp <= 1) {  // a negative type is no transfer type
        return kPlainPoint;
    } else {
        block = m_.tenidx;
    }
    return BlockOk(block) ? block : -1;
}

template <class Rec>
bool DxfWriter::Writable(const Rec& r) const {
    if (r12_ && r.spc >= 2) return false;  // R12 has one paper space
    if constexpr (std::is_same_v<Rec, TDXF_Ten>) return TenBlock(r) != -1;
    if constexpr (std::is_same_v<Rec, TDXF_Moji>) return HasVisible(r.st);
    if constexpr (std::is_same_v<Rec, TDXF_Image>) return !r12_ && HasVisible(r.fna) && m_.GetFList(r.fna) >= 0;
    if constexpr (std::is_same_v<Rec, TDXF_Dimension> || std::is_same_v<Rec, TDXF_Block>) return BlockOk(r.bln);
    if constexpr (std::is_same_v<Rec, TDXF_ViewPort>) return r.spc != 0;
    return true;
}

void DxfWriter::Entity(TDXF_Entities& e, const TDXF_EntNo& n, int32_t pass, int32_t owner) {
    WithRecord(e, n, [&](auto& r) {
        if (!InPass(r.spc, pass)) return;
        const int32_t h = m_.DXFHnd;
        m_.DXFHnd += Handles(r);
        if (Writable(r)) Record(r, h, owner != 0 ? owner : m_.hn_blk + r.spc + 1);
    });
}

// ---------------------------------------------------------------------------
// Shared groups

const std::string& DxfWriter::Layer(int32_t lay) const {
    static const std::string zero = "0";
    return (lay >= 0 && lay < static_cast<int32_t>(layName_.size())) ? layName_[lay] : zero;
}

void DxfWriter::Head(std::string_view type, int32_t h, int32_t owner, int32_t spc, std::string_view layer,
                     std::string_view subclass) {
    Str(0, type);
    Hex(5, h);
    if (!r12_) {
        Hex(330, owner);
        Str(100, "AcDbEntity");
    }
    if (spc == 1) Str(67, "     1");
    Str(8, layer);
    if (!r12_ && !subclass.empty()) Str(100, subclass);
}

void DxfWriter::Ltype(int32_t typ) {
    if (typ > 0 && typ <= static_cast<int32_t>(ltName_.size())) {
        Str(6, ltName_[typ - 1]);
    } else if (typ == -1) {
        Str(6, r12_ ? "BYBLOCK" : "ByBlock");
    }
}

void DxfWriter::FirstLtype() {
    if (!ltName_.empty() && !ltName_[0].empty()) Str(6, ltName_[0]);
}

void DxfWriter::Color(int32_t col) {
    if (col > 0) {
        Int(62, col);
    } else if (col == -1) {
        Str(62, "     0");
    }
}

void DxfWriter::Weight(int32_t wid) {
    if (r12_) return;
    if (wid > 0) {
        Int(370, wid, kPlain);
    } else if (wid == -1) {
        Str(370, "-2");
    }
}

void DxfWriter::InsertPlace(double x, double y, double bx, double by) {
    XYZ(10, x, y);
    if (!Near(bx, 1) && !Near(bx, 0)) Real(41, bx);
    if (!Near(by, 1) && !Near(by, 0)) Real(42, by);
}

// ---------------------------------------------------------------------------
// Records by kind

void DxfWriter::Record(const TDXF_Line& r, int32_t h, int32_t owner) {
    Head("LINE", h, owner, r.spc, r.lay, "AcDbLine");
    Pen(r);
    XYZ(10, r.x1, r.y1);
    XYZ(11, r.x2, r.y2);
}

void DxfWriter::Record(const TDXF_Circle& r, int32_t h, int32_t owner) {
    Head("CIRCLE", h, owner, r.spc, r.lay, "AcDbCircle");
    Pen(r);
    XYZ(10, r.x, r.y);
    Real(40, r.r);
}

void DxfWriter::Record(const TDXF_Arc& r, int32_t h, int32_t owner) {
    Head("ARC", h, owner, r.spc, r.lay, "AcDbCircle");
    Pen(r);
    XYZ(10, r.x, r.y);
    Real(40, r.r);
    if (!r12_) Str(100, "AcDbArc");
    double start = r.sa, end = DxfNormDeg(r.sa + r.da);
    if (r.da < 0) std::swap(start, end);
    Real(50, start);
    Real(51, end);
}

void DxfWriter::Record(const TDXF_Ellipse& r, int32_t h, int32_t owner) {
    const bool full = std::fabs(r.da) <= 1e-14;
    if (!r12_) {
        Head("ELLIPSE", h, owner, r.spc, r.lay, "AcDbEllipse");
        Pen(r);
        double sa = r.sa, da = r.da;
        if (full) sa = 0, da = 360;
        double ka = r.ka, major = r.r, ratio = r.he;
        if (ratio > 1) {
            // DXF wants the ratio at most 1: the longer axis, a quarter turn
            // on, becomes the major axis, and the parameters turn back by a
            // quarter so that the same curve is drawn.
            ka += 90;
            major = r.r * r.he;
            ratio = 1 / r.he;
            if (!full) sa -= 90;
        }
        ka *= kPi / 180;
        XYZ(10, r.x, r.y);
        XYZ(11, major * std::cos(ka), major * std::sin(ka));
        Str(210, "0.0");
        Str(220, "0.0");
        Str(230, "1.0");
        Real(40, ratio);
        // A negative sweep runs clockwise: write it as the same arc counter-clockwise.
        const double from = da < 0 ? sa + da : sa, to = da < 0 ? sa : sa + da;
        Real(41, from * kPi / 180);
        Real(42, to * kPi / 180);
        return;
    }
    // R12 has no ellipse: a polyline through 72 (closed) or 73 points.
    const std::string& layer = Layer(r.lay);
    Head("POLYLINE", h, owner, r.spc, layer, "AcDb2dPolyline");
    Pen(r);  // (R12 has no lineweight)
    Str(66, "     1");
    XYZ(10, 0, 0);
    if (full) Str(70, "     1");
    const double ck = std::cos(r.ka * kPi / 180), sk = std::sin(r.ka * kPi / 180);
    const int count = full ? 72 : 73;
    for (int k = 0; k < count; ++k) {
        const double deg = full ? 5.0 * k : r.sa + k * r.da / 72;
        const double t = deg * kPi / 180;
        const double px = r.r * std::cos(t), py = r.r * r.he * std::sin(t);
        Str(0, "VERTEX");
        Str(8, layer);
        XYZ(10, r.x + px * ck - py * sk, r.y + px * sk + py * ck);
    }
    Str(0, "SEQEND");
    Str(8, layer);
}

void DxfWriter::Record(const TDXF_Ten& r, int32_t h, int32_t owner) {
    const int32_t block = TenBlock(r);
    if (block == kPlainPoint && m_.tentyp <= 0) {
        Head("POINT", h, owner, r.spc, r.lay, "AcDbPoint");
        Color(r.col);
        XYZ(10, r.x, r.y);
        return;
    }
    if (block == kPlainPoint) {  // transfer type 1: a circle
        Head("CIRCLE", h, owner, r.spc, r.lay, "AcDbCircle");
        FirstLtype();
        Color(r.col);
        Weight(r.wid);
        XYZ(10, r.x, r.y);
        Real(40, m_.tenrad * r.ba);
        return;
    }
    Head("INSERT", h, owner, r.spc, r.lay, "AcDbBlockReference");
    Str(2, blkName_[block]);
    FirstLtype();
    Color(r.col);
    Weight(r.wid);
    InsertPlace(r.x, r.y, r.ba, r.ba);
    if (std::fabs(r.a) > 1e-10) Real(50, r.a);
}

void DxfWriter::Record(const TDXF_Solid3& r, int32_t h, int32_t owner) {
    Solid(h, owner, r.spc, r.lay, r.col, {r.x1, r.y1, r.x2, r.y2, r.x3, r.y3, r.x3, r.y3});
}

void DxfWriter::Record(const TDXF_Solid4& r, int32_t h, int32_t owner) {  // corners 3 and 4 in DXF's order
    Solid(h, owner, r.spc, r.lay, r.col, {r.x1, r.y1, r.x2, r.y2, r.x4, r.y4, r.x3, r.y3});
}

void DxfWriter::Solid(int32_t h, int32_t owner, int32_t spc, int32_t lay, int32_t col, const double (&corners)[8]) {
    Head("SOLID", h, owner, spc, lay, "AcDbTrace");
    Color(col);
    for (int k = 0; k < 4; ++k) XYZ(10 + k, corners[2 * k], corners[2 * k + 1]);
}

void DxfWriter::Record(const TDXF_Moji& r, int32_t h, int32_t owner) {
    const int32_t nst = static_cast<int32_t>(stName_.size());
    int32_t t = r.typ;
    if (m_.mojistyle == 1) {
        t = (r.typ % 2 != 0) ? 3 : 2;
    } else if (m_.mojistyle == 2) {
        auto it = ttfStyle_.find(r.fo);
        if (it == ttfStyle_.end()) {
            const JwString want = r.fo + u".ttf";
            int32_t found = 0;
            for (int32_t i = 0; i < nst; ++i) {
                if (m_.msts[i].fo1 == want) {
                    found = i;
                    break;
                }
            }
            it = ttfStyle_.emplace(r.fo, found).first;
        }
        t = it->second;
    }
    if (t < 0 || t >= nst) t = 0;
    Head("TEXT", h, owner, r.spc, r.lay, "AcDbText");
    Color(r.col);
    XYZ(10, r.x1, r.y1);
    Real(40, r.h);
    Text(1, r.st);
    Real(50, r.a);
    Real(41, r.w / r.h);
    if (r.syat) Str(51, "28.0");
    if (nst > 0) {
        Str(7, stName_[t]);
    } else {
        Str(7, r12_ ? "STANDARD" : "Standard");
    }
    Str(72, r.tate ? "     3" : "     5");
    XYZ(11, r.x2, r.y2);
    if (!r12_) Str(100, "AcDbText");
}

void DxfWriter::Record(TDXF_Image& r, int32_t h, int32_t owner) {
    const int32_t f = m_.GetFList(r.fna);
    r.hnd = h;
    Head("IMAGE", h, owner, r.spc, r.lay, "");
    Str(92, "        0");
    Str(100, "AcDbRasterImage");
    Str(90, "        0");
    XYZ(10, r.x, r.y);
    const double a = r.a * kPi / 180, a90 = (r.a + 90) * kPi / 180;
    XYZ(11, std::cos(a) * (r.sx / r.ix), std::sin(a) * (r.sx / r.ix), 0);
    XYZ(12, std::cos(a90) * (r.sy / r.iy), std::sin(a90) * (r.sy / r.iy), 0);
    XY(13, r.ix, r.iy);
    Hex(340, m_.deFList[f].hnd);
    Ints({{70, 7}, {280, 0}, {281, 50}, {282, 50}, {283, 0}});
    Hex(360, h + 1);  // the reactor
    Int(71, 1);
    Str(91, "        2");
    XY(14, -0.5, -0.5);
    XY(14, r.ix - 0.5, r.iy - 0.5);
}

void DxfWriter::Record(const TDXF_PLine& r, int32_t h, int32_t owner) {
    Head("POLYLINE", h, owner, r.spc, r.lay, "AcDb2dPolyline");
    Str(66, "     1");
    Pen(r);
    XYZ(10, 0, 0);
    if (r.clf) Str(70, "     1");
    if (r.wd1 > 1e-12) Real(40, r.wd1);
    if (r.wd2 > 1e-12) Real(41, r.wd2);
    const std::string& layer = Layer(r.lay);
    int32_t next = h + 1;
    for (const TDXF_PLinePoint& v : r.v) {
        Head("VERTEX", next++, h, r.spc, layer, "AcDbVertex");
        if (!r12_) Str(100, "AcDb2dVertex");
        XYZ(10, v.x, v.y);
        if (std::fabs(v.a) > 1e-12) Real(42, std::tan(v.a / 4));
    }
    Head("SEQEND", next, h, r.spc, layer, "");
}

void DxfWriter::Record(const TDXF_ViewPort& r, int32_t h, int32_t owner) {
    Head("VIEWPORT", h, owner, r.spc, "VP", "AcDbViewport");
    XYZ(10, r.cx, r.cy);
    Real(40, r.w);
    Real(41, r.h);
    Int(68, r.id);
    Int(69, r.id);
    if (!r12_) {
        XY(12, r.vx, r.vy);
        XY(13, 0, 0);
        XY(14, 1, 1);
        XY(15, 0, 0);
        XYZ(16, 0, 0, 1);
        XYZ(17, 0, 0, 0);
        Reals({{42, 50}, {43, 0}, {44, 0}, {45, r.vh}, {50, 0}, {51, 0}});
        Int(72, 100);
        Str(90, "    33120");
        Str(1, "");
        Ints({{71, 1}, {74, 0}});
        WorldUcs();
        return;
    }
    // R12 keeps the view in the extended data of the application ACAD.
    Str(1001, "ACAD");
    Str(1000, "MVIEW");
    Str(1002, "{");
    Int(1070, 16);
    XYZ(1010, 0, 0, 0);
    XYZ(1010, 0, 0, 1);
    for (double v : {0.0, r.vh, r.vx, r.vy, 50.0, 0.0, 0.0}) Real(1040, v);
    for (int v : {16, 100, 0, 3, 0, 0, 0, 0}) Int(1070, v);
    for (double v : {0.0, 0.0, 0.0, 1.0, 1.0, 0.0, 0.0}) Real(1040, v);
    Int(1070, 0);
    Str(1002, "{");
    Str(1002, "}");
    Str(1002, "}");
}

void DxfWriter::Record(const TDXF_Dimension& r, int32_t h, int32_t owner) {
    Head("DIMENSION", h, owner, r.spc, r.lay, "AcDbDimension");
    Str(2, blkName_[r.bln]);
    Pen(r);
    XYZ(10, r.x0, r.y0);
    XYZ(11, r.x1, r.y1);
    Int(70, r.stp);
    Int(71, r.bas);
    Text(1, r.str);
    const int32_t kind = r.stp % 8;
    if (!r12_) {
        static constexpr std::string_view subclass[] = {
            "AcDbAlignedDimension",       "AcDbAlignedDimension",  "AcDb2LineAngularDimension",
            "AcDbDiametricDimension",     "AcDbRadialDimension",   "AcDb3PointAngularDimension",
            "AcDbOrdinateDimension"};  // by type; 7 has none
        if (kind >= 0 && kind <= 6) Str(100, subclass[kind]);
    } else if (r.hang > -1e-10) {
        Real(52, r.hang);
    }
    Real(53, r.sang);
    if (HasVisible(r.sst)) Str(3, Name(r.sst));
    if (r.fl3) XYZ(13, r.x3, r.y3);
    if (r.fl4) XYZ(14, r.x4, r.y4);
    if (r.fl5) XYZ(15, r.x5, r.y5);
    if (r.fl6) XYZ(16, r.x6, r.y6);
    if (r.hlen > -1e-10) Real(40, r.hlen);
    if (kind == 0) Real(50, r.ang);
    if (!r12_ && kind == 0) Str(100, "AcDbRotatedDimension");
}

void DxfWriter::Record(const TDXF_Block& r, int32_t h, int32_t owner) {
    Head("INSERT", h, owner, r.spc, r.lay, "AcDbBlockReference");
    Str(2, blkName_[r.bln]);
    Pen(r);
    InsertPlace(r.x, r.y, r.bx, r.by);
    if (!Near(r.a, 0)) Real(50, r.a);
}

}  // namespace jw::dxfwriter
