// GLDrawALL and its family: a drawing onto a TJwCanvas, placed as the DXF
// export places it, at paper scale.
#include "render/renderer.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <string>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "attributes/gra_attribute.h"
#include "dxf/dxf_model.h"
#include "dxf/dxf_palette.h"
#include "dxf/jww_to_dxf.h"
#include "dxf/placement.h"
#include "dxf/text_variables.h"
#include "model/entity_list_view.h"
#include "model/file_formats.h"
#include "model/jw_data.h"
#include "support/paths.h"
#include "support/program_values.h"

namespace jw {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180;
// Inserts nested deeper than this are not drawn (a guard against hostile
// nesting; the block tree of a real drawing is a few levels deep).
constexpr int kMaxNesting = 32;
// Upper bound of the block contents drawn, so that exponential nesting stays
// bounded.
constexpr int64_t kMaxBlockEntities = 20'000'000;
// Radius of the circle that shows a temporary point, mm.
constexpr double kTemporaryPointRadius = 0.5;
// Segments of the outline of an arc-shaped solid.
constexpr int kArcSolidSegments = 72;
// How far beyond the area to draw an entity may lie and still be drawn, mm
// (besides its stroke): what a glyph or a symbol may overhang.
constexpr double kAreaMargin = 5;

// The point symbol blocks of the export, built once.
const TDXFmodel& MarkerBlocks() {
    static const TDXFmodel m = [] {
        TDXFmodel model;
        DxfAddTenMarkerBlocks(model);
        return model;
    }();
    return m;
}

// Where the entities of one container are drawn: the placement onto paper,
// and the strongest layer state met on the way (1 normal, 2 grey).
struct Ctx {
    TJwAffine m;
    int32_t state = 1;
    int depth = 0;
};

// The entity records of a drawing: its own and those of its block
// definitions.
uint64_t RecordsOf(const TJwwData& jw) {
    uint64_t n = EntityListOf(jw).noN;
    for (size_t d = 0; d < HeldCount(jw.EntBlockDef, jw.EntBlockDefN); ++d) n += EntityListOf(jw.EntBlockDef[d]).noN;
    return n;
}

// A colour as the drawing stores it (0x00BBGGRR); black when it is none.
uint32_t StoredArgb(int32_t c) { return c >= 0 && c <= 0xFFFFFF ? JwOwnSolidArgb(static_cast<uint32_t>(c)) : 0xFF000000u; }

}  // namespace

// A drawing made ready to draw with a set of options: pens, line types,
// layer states, the text-variable context (read from this thread's values
// once) and the index of block definitions. Read-only once made, so that
// several threads may draw it at once.
struct TJwDrawPlan::Plan {
    Plan(const TJwwData& jw, const TJwDrawOptions& o)
        : jw_(jw),
          o_(o),
          print_(o.look == TJwLook::Print),
          budget_(o.budget.Unset() ? JwDrawBudgetFor(RecordsOf(jw), PaperArea(jw)) : o.budget),
          fileName_(JwFileName) {
        JwGraAttrSetup(ga_);
        if (o.blackBackground && !print_) {
            ga_.SetBackColor(1);
            ga_.SetDefaultColor();
        }
        for (int32_t p = 0; p < static_cast<int32_t>(penArgb_.size()); ++p) {
            const bool known = TgraAttribute::ColorEntry(p) >= 0;
            penArgb_[static_cast<size_t>(p)] = known ? ga_.GetAttrColcol(p) : ga_.GetForeColor();
            penWidth_[static_cast<size_t>(p)] = known ? ga_.GetAttrColwid(p) : 0.18;
        }
        widths100_ = jw.Enthd.bSenHaba100;
        if (print_) PrinterPens();
        for (int32_t e = 0; e < TgraAttribute::kLtypeCount; ++e) {
            const int32_t n = std::clamp(ga_.GetAttrTypseg_(e), 0, TscpLtype::kMaxSeg);
            const auto pat = ga_.GetAttrTyppat_(e);
            dash_[static_cast<size_t>(e)].assign(pat.begin(), pat.begin() + n);
        }
        for (int32_t n = 0; n < 256; ++n) {
            const size_t g = static_cast<size_t>(n / 16);
            const bool known = g < jw.EntLgrp.size() && static_cast<size_t>(n) < jw.EntLay.size();
            layState_[static_cast<size_t>(n)] = known ? JwLayerState(jw.EntLgrp[g].anGLay, jw.EntLay[n].aanLay) : 1;
        }
        if (print_) {
            // Display-only layers print as the drawing says: left out, in
            // grey, or as any other layer.
            const int32_t shown = jw.Enthd.nPrtDispOnlyNonDraw != 0 ? 3 : jw.Enthd.nPrtKyoutsuuGray != 0 ? 2 : 1;
            for (int32_t& st : layState_)
                if (st == 2) st = shown;
        }
        // The text-variable context of an export of this drawing, both kinds
        // expanded.
        TDXFmodel scratch;
        DxfSetMojiExpContext(jw, ga_, scratch);
        mexp_ = std::move(scratch.mexp);
        mexp_.flag1 = mexp_.flag2 = true;
        for (size_t d = 0; d < HeldCount(jw.EntBlockDef, jw.EntBlockDefN); ++d) {
            const auto number = jw.EntBlockDef[d].nNumber;  // a copy: the record is packed
            byNumber_.emplace(number, static_cast<int32_t>(d));  // the first one wins
        }
    }

    const TJwwData& jw_;
    const TJwDrawOptions o_;
    const bool print_;
    const TJwDrawBudget budget_;
    const JwString fileName_;  // the drawing's file, that linked images are relative to
    TgraAttribute ga_;
    std::array<uint32_t, 357> penArgb_{};
    std::array<double, 357> penWidth_{};
    std::array<double, 357> penDotR_{};  // printed real points: radius, mm (0: as on screen)
    std::array<std::vector<double>, TgraAttribute::kLtypeCount> dash_;
    std::array<int32_t, 256> layState_{};
    bool widths100_ = false;
    TDXF_Moji_Exp_Info mexp_;
    std::unordered_map<uint32_t, int32_t> byNumber_;

    static double PaperArea(const TJwwData& jw) {
        const TJwBox paper = JwPaperBox(jw);
        return paper.Width() * paper.Height();
    }

    // The printed sheet: the drawing's printer colours (black unless it
    // prints in colour) and widths, in 1/100 mm or in printer dots (1 to
    // 500, as a drawing holds them).
    void PrinterPens() {
        const TEntJwwHeader& h = jw_.Enthd;
        const bool colour = h.nColorPrint != 0;
        const double dot = 25.4 / (h.nPrtDpi == 2 ? 600 : 300);
        auto width = [&](int32_t w) { return std::clamp(w, 1, 500) * (widths100_ ? 0.01 : dot); };
        auto set = [&](size_t pen, int32_t argb, int32_t w, double r) {
            penArgb_[pen] = StoredArgb(argb);
            penWidth_[pen] = width(w);
            penDotR_[pen] = h.nDrawPrtTen != 0 && std::isfinite(r) && r > 0 ? std::min(r, 10.0) : penWidth_[pen] / 2;
        };
        for (size_t pen = 1; pen <= 9 && pen < jw_.EntCol.size(); ++pen) {
            const TEntJwwColorNo& c = jw_.EntCol[pen];
            set(pen, c.aPrtPenColor, c.anPrtPenWidth, c.adPrtTenHankei);
        }
        for (size_t i = 1; i < jw_.EntColS.size() && 100 + i < penArgb_.size(); ++i) {
            const TEntJwwColorExNo& c = jw_.EntColS[i];
            set(100 + i, c.aPrtPenColor, c.anPrtPenWidth, c.adPrtTenHankei);
        }
        if (!colour) {
            for (size_t pen = 0; pen < penArgb_.size(); ++pen) penArgb_[pen] = 0xFF000000u;
        }
    }
};

namespace {

using Plan = TJwDrawPlan::Plan;

// One drawing of a plan onto a canvas, through the guard of its budget.
class Drawer {
public:
    Drawer(const Plan& plan, TJwCanvas& cv)
        : jw_(plan.jw_),
          o_(plan.o_),
          print_(plan.print_),
          fileName_(plan.fileName_),
          ga_(plan.ga_),
          penArgb_(plan.penArgb_),
          penWidth_(plan.penWidth_),
          penDotR_(plan.penDotR_),
          dash_(plan.dash_),
          layState_(plan.layState_),
          widths100_(plan.widths100_),
          byNumber_(plan.byNumber_),
          mexp_(plan.mexp_),
          guard_(cv, JwPaperBox(plan.jw_), plan.budget_),
          cv_(guard_) {}

    TJwDrawReport DrawAll() {
        const TJwBox paper = JwPaperBox(jw_);
        Ctx top;
        top.m = TJwAffine::Move(paper.x2 / 2, paper.y2 / 2);
        Container(EntityListOf(jw_), top);
        return std::move(guard_.Report());
    }

private:
    const TJwwData& jw_;
    const TJwDrawOptions& o_;
    const bool print_;
    const JwString& fileName_;
    const TgraAttribute& ga_;
    const std::array<uint32_t, 357>& penArgb_;
    const std::array<double, 357>& penWidth_;
    const std::array<double, 357>& penDotR_;
    const std::array<std::vector<double>, TgraAttribute::kLtypeCount>& dash_;
    const std::array<int32_t, 256>& layState_;
    const bool widths100_;
    const std::unordered_map<uint32_t, int32_t>& byNumber_;
    TDXF_Moji_Exp_Info mexp_;  // a copy: the expansion works in it
    TJwGuardCanvas guard_;
    TJwCanvas& cv_;
    std::vector<int32_t> path_;  // definitions being drawn, outermost first
    int64_t blockBudget_ = kMaxBlockEntities;

    // Jw_cad's auxiliary lines (pen 9, or for lines line type 9) are never
    // printed.
    bool Auxiliary(const TEntJwwAttr& a, bool byType) const {
        return print_ && (a.nPenColor == 9 || (byType && a.nPenStyle == 9));
    }

    // ---- attributes ----

    // The layer state of an entity under ctx: 3 hidden, 2 grey, 1 normal.
    int32_t StateOf(const TEntJwwAttr& a, const Ctx& ctx) const {
        return std::max(ctx.state, layState_[static_cast<size_t>(DxfGroupOf(a) * 16 + DxfLayerOf(a))]);
    }
    uint32_t PenArgb(int32_t pen) const {
        return pen >= 0 && pen < static_cast<int32_t>(penArgb_.size()) ? penArgb_[static_cast<size_t>(pen)]
                                                                        : ga_.GetForeColor();
    }
    uint32_t Colour(uint32_t argb, int32_t state) const { return state >= 2 ? ga_.GetGrayColor() : argb; }
    TJwPen PenOf(const TEntJwwAttr& a, int32_t state, bool dashed = true) const {
        TJwPen p;
        const uint16_t pen = a.nPenColor;
        p.argb = Colour(PenArgb(pen), state);
        const uint16_t width = a.nPenWidth;
        if (widths100_ && width > 0)
            p.width = width / 100.0;
        else
            p.width = pen < penWidth_.size() ? penWidth_[pen] : 0.18;
        if (dashed) {
            const int32_t e = TgraAttribute::LtypeEntry(a.nPenStyle);
            if (e >= 0) p.dash = dash_[static_cast<size_t>(e)];
        }
        return p;
    }

    // ---- containers ----

    void Container(const EntityListView& c, const Ctx& ctx) {
        // Images first, as the export converts them before everything else.
        c.ForEach([&](int32_t kind, size_t i) {
            if (kind == kEntMoji && DxfIsImageText(c.moji[i].str)) GLDrawImage(c.moji[i], ctx);
        });
        c.ForEach([&](int32_t kind, size_t i) {
            if (ctx.depth == 0) ++guard_.Report().entities;
            if (guard_.Exhausted()) {
                if (ctx.depth == 0) ++guard_.Report().entitiesLeftOut;
                return;
            }
            if (ctx.depth > 0 && --blockBudget_ < 0) return;
            switch (kind) {
                case kEntLine: GLDrawSen(c.line[i], ctx); break;
                case kEntEnko: GLDrawEnko(c.enko[i], ctx); break;
                case kEntTen: GLDrawTen(c.ten[i], ctx); break;
                case kEntMoji: GLDrawMoji(c.moji[i], ctx); break;
                case kEntSunpo: GLDrawSunpo(c.sunpo[i], ctx); break;
                case kEntSolid: GLDrawSolid(c.solid[i], ctx); break;
                case kEntBlock: GLDrawBlock(c.block[i], ctx); break;
                default: break;
            }
            // The entity that spent the budget was drawn in part.
            if (ctx.depth == 0 && guard_.Exhausted()) ++guard_.Report().entitiesLeftOut;
        });
    }

    // ---- entities ----

    // Whether what lies in box (paper mm), widened by reach, misses the area
    // to draw: it need not be drawn at all.
    bool Beyond(TJwBox box, double reach) const {
        if (o_.area.Empty() || box.Empty()) return false;
        reach += kAreaMargin;
        return box.x2 + reach < o_.area.x1 || box.x1 - reach > o_.area.x2 || box.y2 + reach < o_.area.y1 ||
               box.y1 - reach > o_.area.y2;
    }
    static TJwBox BoxOf(std::initializer_list<TJwPoint> points) {
        TJwBox b;
        for (const TJwPoint& p : points) b.Add(p);
        return b;
    }

    void GLDrawSen(const TEntJwwLine& l, const Ctx& ctx) {
        const int32_t st = StateOf(l.att, ctx);
        if (st >= 3 || Auxiliary(l.att, true) || DxfCoincide(l.start_x, l.start_y, l.end_x, l.end_y)) return;
        const TJwPoint pts[2] = {ctx.m.Map(l.start_x, l.start_y), ctx.m.Map(l.end_x, l.end_y)};
        const TJwPen pen = PenOf(l.att, st);
        if (Beyond(BoxOf({pts[0], pts[1]}), pen.width)) return;
        cv_.Polyline(pen, pts, false);
    }

    void GLDrawEnko(const TEntJwwEnko& e, const Ctx& ctx) {
        const int32_t st = StateOf(e.att, ctx);
        if (st >= 3 || Auxiliary(e.att, true)) return;
        const TJwArcShape a = JwArcShapeOf(e);
        if (!a.ok) return;
        TJwArc arc;
        arc.m = ctx.m * TJwAffine::Move(a.cx, a.cy) * TJwAffine::Turn(a.ka * kDeg) * TJwAffine::Scale(a.r, a.r * a.h);
        arc.whole = a.da == 0;
        arc.start = a.sa * kDeg;
        arc.sweep = arc.whole ? 2 * kPi : a.da * kDeg;
        const TJwPen pen = PenOf(e.att, st);
        const double r = std::max(std::hypot(arc.m.a, arc.m.b), std::hypot(arc.m.c, arc.m.d));
        if (Beyond(BoxOf({{arc.m.e - r, arc.m.f - r}, {arc.m.e + r, arc.m.f + r}}), pen.width)) return;
        cv_.Arc(pen, arc);
    }

    void GLDrawTen(const TEntJwwTen& t, const Ctx& ctx) {
        const int32_t st = StateOf(t.att, ctx);
        if (st >= 3 || Auxiliary(t.att, false) || !std::isfinite(t.start_x) || !std::isfinite(t.start_y)) return;
        const TJwPointMark mark = JwPointMarkOf(t, ga_);
        const uint32_t argb = Colour(PenArgb(t.att.nPenColor), st);
        const TJwAffine at = ctx.m * TJwAffine::Move(t.start_x, t.start_y);
        // A symbol reaches about its scale from the point (a few units).
        const double size = 4 * std::fabs(mark.scale) * std::max(std::hypot(at.a, at.b), std::hypot(at.c, at.d));
        if (Beyond(BoxOf({{at.e, at.f}}), std::isfinite(size) ? size : 0)) return;
        if (mark.temporary) {
            if (!o_.temporaryPoints) return;
            TJwArc arc;
            arc.m = at * TJwAffine::Scale(kTemporaryPointRadius, kTemporaryPointRadius);
            arc.whole = true;
            arc.sweep = 2 * kPi;
            cv_.Arc(TJwPen{argb, 0.1, {}}, arc);
            return;
        }
        const TDXFmodel& markers = MarkerBlocks();
        const int32_t b = mark.code == 0 ? -1 : markers.GetBlockIdx(JwTenMarkerName(mark.code));
        if (b < 0) {
            // A real point: a dot of the pen's real-point radius (printed:
            // of the printer's radius, or as wide as the pen).
            const uint16_t pen = t.att.nPenColor;
            double r = mark.code == 0 ? mark.scale : ga_.GetAttrColten(pen);
            if (print_ && pen < penDotR_.size() && penDotR_[pen] > 0) r = penDotR_[pen];
            Disc(argb, at, r);
            return;
        }
        const TJwAffine m = at * TJwAffine::Turn(mark.rot * kDeg) * TJwAffine::Scale(mark.scale, mark.scale);
        Marker(markers.deBlockDef[static_cast<size_t>(b)].dm, m, argb);
    }

    void Disc(uint32_t argb, const TJwAffine& at, double r) {
        if (!(r > 0) || !std::isfinite(r)) return;
        std::array<TJwPoint, 24> pts;
        for (size_t k = 0; k < pts.size(); ++k) {
            const double t = 2 * kPi * static_cast<double>(k) / pts.size();
            pts[k] = at.Map(r * std::cos(t), r * std::sin(t));
        }
        cv_.FillPolygon(argb, pts);
    }

    // The members of a symbol block: ByBlock and ByLayer take the point's
    // colour, a colour index its palette colour.
    void Marker(const TDXF_Entities& e, const TJwAffine& m, uint32_t argb) {
        auto colour = [&](int32_t col) { return col >= 1 && col <= 255 ? AciPalette()[static_cast<size_t>(col)] : argb; };
        for (const TDXF_EntNo& n : e.No) {
            const size_t k = static_cast<size_t>(n.no);
            switch (n.tp) {
                case kDxfLine: {
                    const TDXF_Line& l = e.Line[k];
                    const TJwPoint pts[2] = {m.Map(l.x1, l.y1), m.Map(l.x2, l.y2)};
                    cv_.Polyline(TJwPen{colour(l.col), 0.1, {}}, pts, false);
                    break;
                }
                case kDxfCircle: {
                    const TDXF_Circle& c = e.Circ[k];
                    TJwArc arc{m * TJwAffine::Move(c.x, c.y) * TJwAffine::Scale(c.r, c.r), 0, 2 * kPi, true};
                    cv_.Arc(TJwPen{colour(c.col), 0.1, {}}, arc);
                    break;
                }
                case kDxfArc: {
                    const TDXF_Arc& c = e.Arc[k];
                    TJwArc arc{m * TJwAffine::Move(c.x, c.y) * TJwAffine::Scale(c.r, c.r), c.sa * kDeg, c.da * kDeg,
                               false};
                    cv_.Arc(TJwPen{colour(c.col), 0.1, {}}, arc);
                    break;
                }
                case kDxfSolid3: {
                    const TDXF_Solid3& s = e.Sld3[k];
                    const TJwPoint pts[3] = {m.Map(s.x1, s.y1), m.Map(s.x2, s.y2), m.Map(s.x3, s.y3)};
                    cv_.FillPolygon(colour(s.col), pts);
                    break;
                }
                case kDxfSolid4: {
                    const TDXF_Solid4& s = e.Sld4[k];
                    const TJwPoint pts[4] = {m.Map(s.x1, s.y1), m.Map(s.x2, s.y2), m.Map(s.x3, s.y3),
                                             m.Map(s.x4, s.y4)};
                    cv_.FillPolygon(colour(s.col), pts);
                    break;
                }
                case kDxfPLine: {
                    // A filled disc: a closed polyline of two half circles
                    // and a width.
                    const TDXF_PLine& p = e.PLin[k];
                    if (p.v.size() != 2) break;
                    const double r = std::hypot(p.v[1].x - p.v[0].x, p.v[1].y - p.v[0].y) / 2 + p.wd1 / 2;
                    Disc(colour(p.col), m * TJwAffine::Move((p.v[0].x + p.v[1].x) / 2, (p.v[0].y + p.v[1].y) / 2), r);
                    break;
                }
                default: break;
            }
        }
    }

    void GLDrawMoji(const TEntJwwMoji& t, const Ctx& ctx) {
        const int32_t st = StateOf(t.att, ctx);
        if (st >= 3 || Auxiliary(t.att, false) || DxfCoincide(t.start_x, t.start_y, t.end_x, t.end_y) ||
            DxfIsImageText(t.str))
            return;
        // The text's line and its height around it: where its characters are
        // (a text with variables or layout codes may grow when expanded, and
        // is always drawn).
        if (t.str.find_first_of(u"%=^&") == JwString::npos) {
            const double h = std::max(std::fabs(t.dSizeX), std::fabs(t.dSizeY)) *
                             std::max(std::hypot(ctx.m.a, ctx.m.b), std::hypot(ctx.m.c, ctx.m.d));
            if (Beyond(BoxOf({ctx.m.Map(t.start_x, t.start_y), ctx.m.Map(t.end_x, t.end_y)}),
                       std::isfinite(h) ? 2 * h : 0))
                return;
        }
        TJwPlace p;
        p.top = p.shift = false;  // the paper shift is in ctx.m
        const TJwTextLine l = JwTextLineOf(t, p, true);
        const uint32_t argb = Colour(PenArgb(t.att.nPenColor), st);
        const int32_t ly = DxfLayerFor(t.att, false);
        const int32_t co = RgbToAci(PenArgb(t.att.nPenColor));
        auto colourOf = [&](int32_t col) {
            if (col == co || st >= 2) return argb;
            for (int32_t pen = 1; pen <= 9; ++pen)
                if (mexp_.col[static_cast<size_t>(pen - 1)] == col) return PenArgb(pen);
            return col >= 1 && col <= 255 ? AciPalette()[static_cast<size_t>(col)] : argb;
        };
        auto piece = [&](int32_t col, int32_t fl, double x1, double y1, double x2, double y2, double w, double h,
                         double d, double a, const JwString& s) {
            TJwTextRun run;
            run.x1 = x1, run.y1 = y1, run.x2 = x2, run.y2 = y2;
            run.w = w, run.h = h, run.d = d, run.a = a;
            run.vertical = (fl & 1) != 0;
            run.slanted = !run.vertical && (fl & 2) != 0;
            run.argb = colourOf(col);
            run.font = l.font;
            run.text = s;
            run.m = ctx.m;
            if (std::isfinite(w) && std::isfinite(h) && h != 0 && w != 0) cv_.Text(run);
            return true;
        };
        auto line = [&](const TDXF_Line& dl) {
            const TJwPoint pts[2] = {ctx.m.Map(dl.x1, dl.y1), ctx.m.Map(dl.x2, dl.y2)};
            cv_.Polyline(TJwPen{colourOf(dl.col), penWidth_[1], {}}, pts, false);
        };
        DxfExpandMoji(mexp_, ly, co, l.fl, l.x1, l.y1, l.x2, l.y2, l.w, l.h, l.d, l.a, t.str, piece, line);
    }

    void GLDrawSunpo(const TEntJwwSunpo& s, const Ctx& ctx) {
        GLDrawSen(s.Sen, ctx);
        GLDrawMoji(s.Moji, ctx);
        if (s.bSxfMode != 0) {
            GLDrawSen(s.Ho1, ctx);
            GLDrawSen(s.Ho2, ctx);
            GLDrawTen(s.Te1, ctx);
            GLDrawTen(s.Te2, ctx);
        }
    }

    void GLDrawSolid(const TEntJwwSolid& s, const Ctx& ctx) {
        const int32_t st = StateOf(s.att, ctx);
        if (st >= 3 || Auxiliary(s.att, false)) return;
        const uint16_t pen = s.att.nPenColor;
        const uint32_t argb = Colour(pen == 10 ? JwOwnSolidArgb(s.Color) : PenArgb(pen), st);
        if (!JwIsArcSolid(s)) {
            double x[4], y[4];
            const int n = JwSolidCorners(s, x, y);
            if (n < 2) return;
            TJwPoint pts[4];
            for (int k = 0; k < n; ++k) pts[k] = ctx.m.Map(x[k], y[k]);
            if (n == 2) {
                TJwPen p = PenOf(s.att, st, false);
                p.argb = argb;
                cv_.Polyline(p, std::span<const TJwPoint>(pts, 2), false);
            } else {
                cv_.FillPolygon(argb, std::span<const TJwPoint>(pts, static_cast<size_t>(n)));
            }
            return;
        }
        const uint8_t style = s.att.nPenStyle;
        const bool ring = style == 105 || style == 106;  // the mode field holds the inner radius
        const bool whole = !ring && JwArcSolidWhole(s);
        const TJwArcShape a =
            JwArcShapeOf(s.start_x, s.start_y, s.end_x, s.end_y, s.DPoint2_x, s.DPoint2_y, s.DPoint3_x, whole);
        if (!a.ok) return;
        const TJwAffine m =
            ctx.m * TJwAffine::Move(a.cx, a.cy) * TJwAffine::Turn(a.ka * kDeg) * TJwAffine::Scale(a.r, a.r * a.h);
        const double sweep = a.da == 0 ? 2 * kPi : a.da * kDeg, start = a.sa * kDeg;
        std::vector<TJwPoint> pts;
        pts.reserve(2 * kArcSolidSegments + 4);
        for (int k = 0; k <= kArcSolidSegments; ++k) {
            const double t = start + sweep * k / kArcSolidSegments;
            pts.push_back(m.Map(std::cos(t), std::sin(t)));
        }
        const double mode = s.DPoint3_y;
        if (ring) {
            // Back along the inner edge.
            const double k = std::isfinite(mode) ? std::clamp(std::fabs(mode) / a.r, 0.0, 1.0) : 0.0;
            for (int j = kArcSolidSegments; j >= 0; --j) {
                const double t = start + sweep * j / kArcSolidSegments;
                pts.push_back(m.Map(k * std::cos(t), k * std::sin(t)));
            }
        } else if (!whole && a.da != 0) {
            if (std::fabs(mode) <= 1e-12) {
                pts.push_back(m.Map(0, 0));  // a sector
            } else if (std::fabs(mode + 1) <= 1e-12) {
                // The corner where the tangents at both ends meet (on the
                // unit circle: at the middle angle, 1 / cos(half sweep) out).
                const double half = sweep / 2, c = std::cos(half);
                const double mid = start + half;
                pts.push_back(std::fabs(c) > 1e-10 ? m.Map(std::cos(mid) / c, std::sin(mid) / c) : m.Map(0, 0));
            }
            // Any other mode: the segment closed by its chord.
        }
        cv_.FillPolygon(argb, pts);
    }

    void GLDrawBlock(const TEntJwwBlock& b, const Ctx& ctx) {
        const int32_t st = StateOf(b.att, ctx);
        if (st >= 3 || ctx.depth >= kMaxNesting || blockBudget_ < 0) return;
        const auto number = b.nNumber;  // a copy: the record is packed
        const auto it = byNumber_.find(number);
        if (it == byNumber_.end()) return;
        const int32_t d = it->second;
        if (std::find(path_.begin(), path_.end(), d) != path_.end()) return;  // a definition holding itself
        double bx = b.dBairitsuX, by = b.dBairitsuY, rot = b.radKaitenKaku;
        if (!std::isfinite(bx)) bx = 1;
        if (!std::isfinite(by)) by = 1;
        if (!std::isfinite(rot)) rot = 0;
        if (!std::isfinite(b.DPKijunTen_x) || !std::isfinite(b.DPKijunTen_y)) return;
        Ctx child;
        child.m = ctx.m * TJwAffine::Move(b.DPKijunTen_x, b.DPKijunTen_y) * TJwAffine::Turn(rot) *
                  TJwAffine::Scale(bx, by);
        child.state = st;
        child.depth = ctx.depth + 1;
        path_.push_back(d);
        Container(EntityListOf(jw_.EntBlockDef[static_cast<size_t>(d)]), child);
        path_.pop_back();
    }

    // Image text "^@BM" + file + "," + width, ...: the image at the text's
    // start, as wide as the text says and as high as its pixels make it.
    void GLDrawImage(const TEntJwwMoji& t, const Ctx& ctx) {
        const int32_t st = StateOf(t.att, ctx);
        if (st >= 3 || DxfCoincide(t.start_x, t.start_y, t.end_x, t.end_y)) return;
        const TJwImageText image = JwImageTextOf(t.str);
        if (!image.ok) return;
        if (!image.bound && !o_.linkedImages) return;
        TJwImage im;
        im.path = JwImagePath(image.file, jw_.BindImageFolder, fileName_);
        if (im.path.empty() || !DxfImagePixelSize(im.path, im.width, im.height)) {
            std::vector<JwString>& missing = guard_.Report().missingImages;
            const JwString name = im.path.empty() ? JwString(image.file) : im.path;
            if (std::find(missing.begin(), missing.end(), name) == missing.end()) missing.push_back(name);
            return;
        }
        const double h = image.w * im.height / im.width;
        im.m = ctx.m * TJwAffine::Move(t.start_x, t.start_y) * TJwAffine::Turn(image.rot * kDeg) *
               TJwAffine::Scale(image.w, h);
        cv_.Image(im);
    }
};

}  // namespace

TJwBox JwPaperBox(const TJwwData& jw) {
    double w = 0, h = 0;
    jw.GetPaperSize(w, h);
    TJwBox b;
    b.Add(0, 0);
    b.Add(w, h);
    return b;
}

uint32_t JwBackgroundArgb(const TJwDrawOptions& o) {
    return o.blackBackground && o.look == TJwLook::Screen ? 0xFF000000u : 0xFFFFFFFFu;
}

bool JwReadImageBytes(const JwString& path, std::string& bytes, std::string& error, size_t limit) {
    bytes.clear();
    error.clear();
    if (path.empty()) {
        error = "no file name";
        return false;
    }
    const std::filesystem::path p = NativePath(path);
    std::error_code ec;
    const auto status = std::filesystem::status(p, ec);
    if (!std::filesystem::exists(status)) {
        error = "no such file";
        return false;
    }
    if (!std::filesystem::is_regular_file(status)) {
        error = "not a regular file";
        return false;
    }
    // gzread reads a file that is not gzip-compressed as it is.
    gzFile f = gzopen(p.c_str(), "rb");
    if (f == nullptr) {
        error = "cannot be opened: " + std::error_code(errno, std::generic_category()).message();
        return false;
    }
    char buf[1 << 16];
    for (;;) {
        const int n = gzread(f, buf, sizeof buf);
        if (n < 0) {
            int zerr = 0;
            error = std::string("cannot be read: ") + gzerror(f, &zerr);
            break;
        }
        if (n == 0) break;
        if (bytes.size() + static_cast<size_t>(n) > limit) {
            error = "larger than " + std::to_string(limit >> 20) + " MiB";
            break;
        }
        bytes.append(buf, static_cast<size_t>(n));
    }
    gzclose(f);
    if (error.empty() && bytes.empty()) error = "empty";
    if (!error.empty()) {
        bytes.clear();
        return false;
    }
    return true;
}

TJwDrawPlan::TJwDrawPlan(const TJwwData& jw, const TJwDrawOptions& options)
    : plan_(std::make_unique<Plan>(jw, options)) {}

TJwDrawPlan::~TJwDrawPlan() = default;

TJwDrawReport TJwDrawPlan::Draw(TJwCanvas& cv) const {
    Drawer d(*plan_, cv);
    return d.DrawAll();
}

TJwDrawReport TJwwData::GLDrawALL(TJwCanvas& cv, const TJwDrawOptions& opt) const {
    return TJwDrawPlan(*this, opt).Draw(cv);
}

TJwDrawReport TJwsData::GLDrawALL(TJwCanvas& cv, const TJwDrawOptions& opt) const {
    TJwwData dwg;
    JwsAsDrawing(*this, dwg);
    dwg.BindImageFolder = BindImageFolder;
    return dwg.GLDrawALL(cv, opt);
}

}  // namespace jw
