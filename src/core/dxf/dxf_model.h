// TDXFmodel: an in-memory picture of one DXF file before it is written — the
// symbol tables, block definitions, model- and paper-space entities in the
// order they were added, paper-space viewports, the image files that go beside
// the drawing and the placement of Jw_cad's 16 layer groups.
//
// The conversion from a JWW drawing fills it through the adders and setters
// below and then calls SaveDXF. Where each part lives:
//   tables, adders, names, layer groups, viewports ..... dxf/dxf_model.cpp
//   drawing frames (InitZwhv, Zw_...) .................. dxf/frames.cpp
//   polyline joining (Pw_...) .......................... dxf/polyline_join.cpp
//   colour palette, RgbToAci, PenWidthToLineWeight ..... dxf/dxf_palette.h/.cpp
//   SaveDXF (sections, handles, entity records) ........ dxf/writer/ (writer.h)
//
// Arrays are std::vector; a vector's size is its count. Entity kinds are kept
// in one array per kind plus an order list (TDXF_Entities), once for the top
// level (`de`) and once per block definition (`dm`).
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dxf/dxf_palette.h"
#include "dxf/table_names.h"

namespace jw {

class OutputSink;

using JwString = std::u16string;

// Output releases (Ver).
enum : int32_t { kDxfR12 = 0, kDxf2000 = 1, kDxf2007 = 2 };

// Entity kind codes (TDXF_EntNo::tp).
enum : int32_t {
    kDxfLine = 1,
    kDxfCircle = 2,
    kDxfArc = 3,
    kDxfEllipse = 4,
    kDxfTen = 5,
    kDxfSolid3 = 6,
    kDxfSolid4 = 7,
    kDxfMoji = 8,
    kDxfImage = 9,
    kDxfPLine = 10,
    kDxfDim = 11,
    kDxfVport = 98,
    kDxfBlock = 99,
};

// Common attribute fields of the entity records:
//   spc  0 model space, 1 paper space (*Paper_Space), k >= 2 the block
//        *Paper_Space<k-2> of the (k-1)-th further layout
//   lay  index into TDXFmodel::lays
//   col  0 ByLayer, -1 ByBlock, 1..255 colour index
//   typ  0 ByLayer, -1 ByBlock, n >= 1 the n-th line type
//   wid  0 ByLayer, -1 ByBlock, n >= 1 lineweight in 1/100 mm

struct TDXF_EntNo {
    int32_t tp = 0;  // kind code
    int32_t no = 0;  // index into the kind's array
};

struct TDXF_Ltype {
    JwString nam;
    JwString exp;            // description
    std::vector<double> pt;  // pattern: > 0 dash, < 0 gap, 0 dot (mm)
    double pl = 0;           // sum of |pt[i]|
};

struct TDXF_Layer {
    JwString nam;
    int32_t col = 7;
    int32_t ltp = 1;  // 1-based line-type number
    int32_t wid = 0;  // 0 = default
    bool dsp = true;  // shown
    bool prn = true;  // plotted
};

struct TDXF_Style {
    JwString nam;
    bool fla = false;  // vertical
    double mh = 0;     // fixed height
    double mw = 1;     // width factor
    double ang = 0;    // oblique angle
    double mhl = 0;    // last height used
    JwString fo1;      // primary font file
    JwString fo2;      // big-font file
};

struct TDXF_Line {
    int32_t spc = 0, lay = 0, col = 0, typ = 0, wid = 0;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

struct TDXF_Circle {
    int32_t spc = 0, lay = 0, col = 0, typ = 0, wid = 0;
    double x = 0, y = 0, r = 0;
};

struct TDXF_Arc {
    int32_t spc = 0, lay = 0, col = 0, typ = 0, wid = 0;
    double x = 0, y = 0, r = 0;
    double sa = 0;  // start angle, degrees in [0, 360)
    double da = 0;  // signed sweep, degrees
};

struct TDXF_Ellipse {
    int32_t spc = 0, lay = 0, col = 0, typ = 0, wid = 0;
    double x = 0, y = 0;
    double r = 0;   // major radius
    double he = 1;  // minor / major
    double sa = 0;  // start angle, degrees
    double da = 0;  // sweep, degrees; 0 = full ellipse
    double ka = 0;  // tilt of the major axis, degrees
};

struct TDXF_Ten {
    int32_t spc = 0, lay = 0, col = 0, wid = 0;
    int32_t cod = 0;  // Jw_cad point code
    double x = 0, y = 0;
    double a = 0;   // rotation, degrees
    double ba = 1;  // scale factor
};

struct TDXF_Solid3 {
    int32_t spc = 0, lay = 0, col = 0;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0, x3 = 0, y3 = 0;
};

struct TDXF_Solid4 {
    int32_t spc = 0, lay = 0, col = 0;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0, x3 = 0, y3 = 0, x4 = 0, y4 = 0;  // outline order
};

struct TDXF_Moji {
    int32_t spc = 0, lay = 0, col = 0;
    int32_t typ = 0;  // text type number, selects the style
    int32_t bas = 0;  // base-point code
    bool tate = false;  // vertical
    bool syat = false;  // slanted
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // start and end of the text line
    double w = 1, h = 1;  // character width and height
    double d = 0;         // character spacing
    double a = 0;         // angle, degrees
    JwString fo;  // font name
    JwString st;  // the text
};

struct TDXF_Image {
    int32_t spc = 0, lay = 0;
    double x = 0, y = 0;
    double ix = 0, iy = 0;  // size in pixels
    double sx = 0, sy = 0;  // displayed size, mm
    double a = 0;           // rotation, degrees
    JwString fna;           // image file path
    int32_t hnd = 0;        // handle of the written IMAGE (set by SaveDXF)
};

struct TDXF_PLinePoint {
    double x = 0, y = 0;
    double a = 0;  // included angle of the arc segment starting here, radians
};

struct TDXF_PLine {
    int32_t spc = 0, lay = 0, col = 0, typ = 0, wid = 0;
    double wd1 = 0, wd2 = 0;  // start and end width
    bool clf = false;         // closed
    std::vector<TDXF_PLinePoint> v;
};

struct TDXF_ViewPort {
    int32_t spc = 0;
    int32_t id = 0;          // 1-based viewport number
    double cx = 0, cy = 0;   // centre in paper space
    double w = 0, h = 0;     // size in paper space
    double vx = 0, vy = 0;   // view centre in model space
    double vh = 0;           // view height in model space
    double sc = 1;           // scale
    double dx = 0, dy = 0;   // model-space offset of the layer groups shown
    bool mf = false;         // extents collected
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // collected extents
};

struct TDXF_Dimension {
    int32_t spc = 0, lay = 0, col = 0, typ = 0, wid = 0;
    int32_t bln = -1;  // block drawing the dimension (-1 = none)
    int32_t stp = 0;   // DXF dimension type and flags (70)
    int32_t bas = 0;   // text attachment (71)
    double x0 = 0, y0 = 0;  // definition point (10)
    double x1 = 0, y1 = 0;  // text middle point (11)
    bool fl3 = false, fl4 = false, fl5 = false, fl6 = false;
    double x3 = 0, y3 = 0, x4 = 0, y4 = 0, x5 = 0, y5 = 0, x6 = 0, y6 = 0;  // 13 to 16
    double hlen = -1;  // leader length (40), written when > -1e-10
    double ang = 0;    // rotation (50)
    double hang = -1;  // oblique angle (52, R12 only), written when > -1e-10
    double sang = 0;   // text rotation (53)
    JwString sst;      // dimension style name
    JwString str;      // dimension text
};

struct TDXF_Block {  // INSERT
    int32_t spc = 0, lay = 0, col = 0, typ = 0, wid = 0;
    int32_t bln = -1;  // block-definition index (-1 = none)
    double x = 0, y = 0;
    double a = 0;  // rotation, degrees
    double bx = 1, by = 1;
};

// One entity container: an order list and one array per kind.
struct TDXF_Entities {
    std::vector<TDXF_EntNo> No;
    std::vector<TDXF_Line> Line;
    std::vector<TDXF_Circle> Circ;
    std::vector<TDXF_Arc> Arc;
    std::vector<TDXF_Ellipse> Elli;
    std::vector<TDXF_Ten> Ten;
    std::vector<TDXF_Solid3> Sld3;
    std::vector<TDXF_Solid4> Sld4;
    std::vector<TDXF_Moji> Moji;
    std::vector<TDXF_Image> Imag;
    std::vector<TDXF_PLine> PLin;
    std::vector<TDXF_Dimension> Dim;
    std::vector<TDXF_Block> Block;

    void Clear();
};

struct TDXF_BlockDef {
    JwString nam;
    int32_t IDno = -1;  // caller's identifier (Jw_cad block number; -1 generated)
    TDXF_Entities dm;   // the definition's entities
};

struct TDXF_FileNameList {
    JwString src;           // source image path
    JwString dst;           // path of the copy beside the DXF
    bool linked = false;    // an image the drawing links to (not one bound into it)
    double ix = 0, iy = 0;  // pixel size
    double sx = 0, sy = 0;  // displayed size
    int32_t hnd = 0;        // IMAGEDEF handle (assigned by SaveDXF)
};

struct TDXF_LGroup {
    int32_t n = 0;   // viewport number of the layer group (0 = base group)
    double sc = 0;   // scale
    double dx = 0, dy = 0;  // model-space offset
};

// Work record of the drawing-frame detection: a candidate line (`no` 0 while
// no frame has taken it, else the 1-based position of that frame in zw_w;
// its points in the order of the source line) or a frame (x1 <= x2, y1 <= y2;
// `no` is the frame number, the sort key).
struct TJwZumenWakuWork {
    int32_t no = 0;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// Work records of the polyline joining: the lines and circular arcs of one
// curve group as they were handed over, and the chains built from them.
struct TDXF_PolyWorkEntity {
    int32_t eno = 0;  // position in its container's entity order
    int32_t etp = 0;  // 1 line, 2 arc; 0 once taken into a chain
    int32_t lay = 0;  // Jw_cad layer, 16 x group + layer
    int32_t col = 0;  // Jw_cad pen colour
    int32_t ltp = 0;  // Jw_cad line type
    int32_t wid = 0;  // Jw_cad pen width
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    double da = 0;  // 0 for a line; an arc's signed sweep from point 1 to point 2, radians, |da| < 2 pi
};

struct TDXF_PolyWorkMain {
    int32_t no = 0;                       // curve-group number
    std::vector<TDXF_PolyWorkEntity> e;   // in the order added (its size is en)
};

struct TDXF_PolyWorkSub {
    int32_t lay = 0, col = 0, ltp = 0, wid = 0;  // shared by all members (Jw_cad values)
    bool clf = false;                            // closed flag (the joining leaves it false)
    std::vector<TDXF_PLinePoint> v;              // a: included angle of the segment leaving the vertex
};

// Context of the text-variable expansion. Date-times are day counts since
// 1899-12-30 with the time of day as fraction.
struct TDXF_Moji_Exp_Info {
    bool flag1 = false;
    bool flag2 = false;
    JwString filename;
    double filedate = 0;
    JwString memo1, memo2;
    std::array<double, 16> scale{};
    double prtscale = 0;
    double nowdate = 0;
    int32_t drawtime = 0;
    std::array<int32_t, 9> col{};
    std::vector<TDXF_Line> eLine;
    std::vector<TDXF_Moji> eMoji;
};

class TDXFmodel {
public:
    TDXFmodel();  // Create: DataInit

    // ---- state (public like the other models; use the adders to fill) ----
    int32_t DXFHnd = 1;  // next handle (only meaningful during SaveDXF)
    int32_t hn_blk = 0;  // handle of the BLOCK_RECORD table (during SaveDXF)
    int32_t Ver = kDxfR12;
    int32_t Spa = 0;     // 0 model space only, 1 viewports per scale, 2 layouts per frame
    int32_t Ltn = 2;     // number of paper-space layouts, at least 2
    JwString AppNam;     // leading comment
    JwString srcName;    // source drawing (its file times give the header dates)
    JwString dstName;    // the DXF to be written: no image copy takes its name
    std::string LastError;  // why the last SaveDXF failed (empty after a success)
    // What the conversion and the last SaveDXF left out without failing, one
    // line each.
    std::vector<std::string> Warnings;
    double MinWx = 0, MinWy = 0, MaxWx = 10, MaxWy = 10;  // extents, paper mm
    double papx = 297, papy = 210;                          // paper size, mm
    double pscale = 1;   // model-space scale when Spa is 0
    double tenrad = 0.5; // radius of the symbol that replaces a point
    int32_t laynametyp = 0;
    int32_t tentyp = 0;
    int32_t tenidx = -1; // index of the block "_TRANS_TEN", -1 when none
    int32_t mojistyle = 0;

    std::vector<TDXF_Ltype> ltps;
    std::vector<TDXF_Layer> lays;
    std::vector<TDXF_Style> msts;
    TDXF_Moji_Exp_Info mexp;
    TDXF_Entities de;                     // top-level entities
    std::vector<TDXF_ViewPort> deVport;   // top-level only
    std::vector<TDXF_BlockDef> deBlockDef;
    std::vector<TDXF_FileNameList> deFList;
    std::array<TDXF_LGroup, 16> deLgp{};
    std::vector<TJwZumenWakuWork> zw_h, zw_v, zw_w;  // candidate lines, frames
    std::vector<TDXF_PolyWorkMain> dpw1;              // joining: one entry per curve group
    std::vector<TDXF_PolyWorkSub> dpw2;               // joining: the chains

    // ---- lifecycle and settings ----
    // Resets every field to its default and empties every table and list.
    void DataInit();
    void SetDXFVer(int32_t v, int32_t sp);
    void SetAppName(const JwString& s);
    void SetPap(double Mix, double Miy, double Max, double May, double pax, double pay);
    void SetScale(double scl);
    void SetMojiExpInfo(bool fl1, bool fl2, const JwString& fname, const JwString& mem1,
                        const JwString& mem2, double fdate, double ndate, int32_t dtime, double pscl,
                        const std::array<double, 16>& lgscale, const std::array<int32_t, 9>& cl);
    void SetLayerNameType(int32_t n);
    void SetTenTransType(int32_t n, double r);
    void SetMojiStyle(int32_t n);
    // Lays out the layer groups by Spa (0: one scale; 1: a viewport per distinct
    // scale; 2: SetLayout). Empties the viewport list first.
    void SetLgp(int32_t base, int32_t nmax);
    // Widens the box of viewport i (0-based) to contain (x, y).
    void SetVPortMinMax(int32_t i, double x, double y);
    // Sizes viewports 2.. to their collected boxes (grown by 5 mm).
    void SetVPortArea();
    // Spa 2 only: one layout with two viewports per frame of zw_w.
    void SetLayout(int32_t nmax);

    // ---- drawing frames (dxf/frames.cpp); coordinates are Jw_cad paper mm ----
    // Empties the candidate lines, and the frames too when f.
    void InitZwhv(bool f);
    void Zw_AddH(double x1, double y1, double x2, double y2);
    void Zw_AddV(double x1, double y1, double x2, double y2);
    // A frame numbered n; each pair of values is put in ascending order.
    void Zw_AddW(int32_t n, double x1, double x2, double y1, double y2);
    // Appends, as frames numbered 0, the rectangles whose four sides are
    // candidate lines sharing their corners; a line joins one frame at most.
    void Zw_SearchBox();
    // In R12 keeps only the first frame; sorts the frames by number.
    void Zw_SortN();
    // The 0-based index of the first frame (in zw_w order) that the point,
    // segment, triangle, quadrilateral or arc touches; -1 when none. Arc
    // angles are degrees: start ps, sweep pd (0 or 360 a whole turn), tilt pk;
    // ph is the flatness.
    int32_t Zw_ClipTen(double px, double py) const;
    int32_t Zw_ClipLine(double px1, double py1, double px2, double py2) const;
    int32_t Zw_ClipTriangle(double px1, double py1, double px2, double py2, double px3, double py3) const;
    int32_t Zw_ClipSquare(double px1, double py1, double px2, double py2, double px3, double py3, double px4,
                          double py4) const;
    int32_t Zw_ClipArc(double px, double py, double pr, double ph, double ps, double pd, double pk) const;

    // ---- polyline joining (dxf/polyline_join.cpp) ----
    void Pw_Init();
    // Index in dpw1 of curve group n, -1 when absent.
    int32_t Pw_GetIdx(int32_t n) const;
    // Appends an entity to curve group n (created at the end of dpw1 when
    // absent): position no, kind tp (1 line, 2 arc), Jw_cad layer la, colour
    // co, line type lt, width wd, points (pa1, pa2) and (pa3, pa4), sweep pa5
    // in radians (reduced below one turn, sign kept).
    void Pw_AddEnt(int32_t n, int32_t no, int32_t tp, int32_t la, int32_t co, int32_t lt, int32_t wd, double pa1,
                   double pa2, double pa3, double pa4, double pa5);
    // Chains the members of each group that meet end to end (1e-8) and have
    // the same layer, colour, line type and width into dpw2: a chain grows
    // from its seed at both ends, taking the group's members in order pass by
    // pass; each vertex carries the included angle of the segment leaving it.
    void Pw_Sort();

    // ---- tables (names made unique ignoring case; index or -1) ----
    int32_t AddLtype(JwString na, JwString ex, std::span<const double> pa);
    int32_t AddLayer(JwString na, int32_t co, int32_t lt, int32_t wd, bool dp, bool pr);
    // Room for n more layers, where there is memory for it.
    void ReserveLayers(size_t n);
    int32_t AddStyle(JwString na, JwString f1, JwString f2, double h, double w,
                     double a, double hl, bool fl);
    JwString DefautLayerName(int32_t l, const JwString& lg, const JwString& ly) const;
    JwString AdjustLayerName(int32_t lg, int32_t ly, const JwString& s) const;
    // Registers an image file once; dstpath is the folder of the copy (ending
    // in a separator). The copy gets the first of the names CopyName(srcfile,
    // dstpath, 0, 1, ...) that nothing stands at, no other copy takes and is
    // not dstName.
    int32_t AddFList(const JwString& srcfile, const JwString& dstpath, double pix, double piy,
                     double psx, double psy, int32_t phnd);
    // Name number i of the copy of srcfile in dstpath: its file name with the
    // extension lower-cased, and from i = 1 on "_" + i before the extension.
    static JwString CopyName(const JwString& srcfile, const JwString& dstpath, int32_t i);
    // Whether a copy may take the name path: nothing stands there, it is not
    // dstName, and no listed copy but entry `self` has it.
    bool CopyNameFree(const JwString& path, int32_t self) const;
    int32_t GetFList(std::u16string_view srcfile) const;
    int32_t AddBlockDef(JwString na, int32_t id);
    int32_t GetBlockIdx(std::u16string_view name) const;
    int32_t GetBlockIdx(int32_t id) const;

    // ---- top-level entities (true when stored) ----
    bool AddLine(int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t wd, double px1, double py1,
                 double px2, double py2);
    // Circle, arc or ellipse: pr radius, ph flatness, ps start, pd sweep, pk tilt (degrees).
    bool AddArc(int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t wd, double px, double py,
                double pr, double ph, double ps, double pd, double pk);
    bool AddTen(int32_t sp, int32_t ly, int32_t co, int32_t wd, int32_t cd, double px, double py,
                double pa, double pb);
    bool AddSolid3(int32_t sp, int32_t ly, int32_t co, double px1, double py1, double px2, double py2,
                   double px3, double py3);
    // Stored as a three-corner solid when corner 4 equals corner 3.
    bool AddSolid4(int32_t sp, int32_t ly, int32_t co, double px1, double py1, double px2, double py2,
                   double px3, double py3, double px4, double py4);
    // Text with text-variable expansion by mexp (dxf/text_variables.h): a
    // variable becomes its value, a text with layout codes several texts and
    // lines; any other text is stored as AddMojiA does.
    bool AddMoji(int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t bs, int32_t fl, double px1,
                 double py1, double px2, double py2, double pw, double ph, double pd, double pa,
                 const JwString& pf, const JwString& ps);
    // Text stored unchanged: fl bit 0 vertical, bit 1 slanted (not with vertical).
    bool AddMojiA(int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t bs, int32_t fl, double px1,
                  double py1, double px2, double py2, double pw, double ph, double pd, double pa,
                  const JwString& pf, const JwString& ps);
    bool AddImage(int32_t sp, int32_t ly, double px, double py, double pix, double piy, double psx,
                  double psy, double pa, const JwString& pf);
    bool AddPLine(int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t wd, double w1, double w2,
                  bool cf, std::span<const TDXF_PLinePoint> pv);
    // The record's spc, lay, col, typ, wid ... as the caller fills them; col,
    // typ and wid are reduced to ByLayer like every adder does.
    bool AddDim(const TDXF_Dimension& d);
    bool AddVPort(int32_t sp, double psc, double pdx, double pdy, double px, double py, double pw,
                  double ph, double pvx, double pvy, double pvh);
    bool AddBlock(int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t n, double px,
                  double py, double pa, double pbx, double pby);

    // ---- the same into block definition bn (false when bn is not a definition) ----
    bool AddBlockLine(int32_t bn, int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t wd,
                      double px1, double py1, double px2, double py2);
    // A circular sweep of 360 stays an arc here; pass 0 for a full circle.
    bool AddBlockArc(int32_t bn, int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t wd, double px,
                     double py, double pr, double ph, double ps, double pd, double pk);
    bool AddBlockTen(int32_t bn, int32_t sp, int32_t ly, int32_t co, int32_t wd, int32_t cd, double px,
                     double py, double pa, double pb);
    bool AddBlockSolid3(int32_t bn, int32_t sp, int32_t ly, int32_t co, double px1, double py1,
                        double px2, double py2, double px3, double py3);
    bool AddBlockSolid4(int32_t bn, int32_t sp, int32_t ly, int32_t co, double px1, double py1,
                        double px2, double py2, double px3, double py3, double px4, double py4);
    bool AddBlockMoji(int32_t bn, int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t bs, int32_t fl,
                      double px1, double py1, double px2, double py2, double pw, double ph, double pd,
                      double pa, const JwString& pf, const JwString& ps);
    bool AddBlockMojiA(int32_t bn, int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t bs, int32_t fl,
                       double px1, double py1, double px2, double py2, double pw, double ph, double pd,
                       double pa, const JwString& pf, const JwString& ps);
    bool AddBlockImage(int32_t bn, int32_t sp, int32_t ly, double px, double py, double pix, double piy,
                       double psx, double psy, double pa, const JwString& pf);
    bool AddBlockPLine(int32_t bn, int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t wd, double w1,
                       double w2, bool cf, std::span<const TDXF_PLinePoint> pv);
    bool AddBlockDim(int32_t bn, const TDXF_Dimension& d);
    // Also false when n is not a definition.
    bool AddBlockBlock(int32_t bn, int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t n,
                       double px, double py, double pa, double pbx, double pby);

    // ---- writing (dxf/writer/) ----
    // Copies the listed images beside dst, then writes the model as an ASCII
    // DXF of release Ver at dst (through a temporary file that replaces dst
    // only when complete). A copy never replaces or follows anything: one
    // whose name was taken meanwhile gets the next free name (and the DXF
    // names that); a linked image is copied only when its bytes are a picture
    // (DxfImageBytesPixelSize). src is the source drawing (header dates).
    // False, with the reason in LastError, when the DXF cannot be written
    // (nothing is left at dst then, nor any copy) or an image cannot be
    // copied. A DXF that goes to a device or FIFO gets no copies (Warnings).
    bool SaveDXF(const JwString& src, const JwString& dst);
    // The same DXF text into memory (no image copies).
    std::string SaveDXFText(const JwString& src);
    // The same DXF text into sink (no image copies); throws JwIOError when
    // the sink fails.
    void SaveDXFTo(OutputSink& sink, const JwString& src);

private:
    TableNames ltpNames_, layNames_, stsNames_, blkNames_;
    std::unordered_map<int32_t, int32_t> blkIds_;
    TableNames fileNames_;  // by src
    std::unordered_map<int32_t, int32_t> pwGroups_;     // curve-group number -> dpw1 index

    TDXF_Entities* Target(int32_t bn);
    bool LayerOk(int32_t ly) const { return ly >= 0 && ly < static_cast<int32_t>(lays.size()); }
    bool PutLine(TDXF_Entities* e, int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t wd, double px1,
                 double py1, double px2, double py2);
    bool PutTen(TDXF_Entities* e, int32_t sp, int32_t ly, int32_t co, int32_t wd, int32_t cd, double px,
                double py, double pa, double pb);
    bool PutSolid3(TDXF_Entities* e, int32_t sp, int32_t ly, int32_t co, double px1, double py1, double px2,
                   double py2, double px3, double py3);
    bool PutSolid4(TDXF_Entities* e, int32_t sp, int32_t ly, int32_t co, double px1, double py1, double px2,
                   double py2, double px3, double py3, double px4, double py4);
    bool PutImage(TDXF_Entities* e, int32_t sp, int32_t ly, double px, double py, double pix, double piy,
                  double psx, double psy, double pa, const JwString& pf);
    bool PutPLine(TDXF_Entities* e, int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t wd, double w1,
                  double w2, bool cf, std::span<const TDXF_PLinePoint> pv);
    bool PutDim(TDXF_Entities* e, const TDXF_Dimension& d);
    bool PutArc(TDXF_Entities& e, bool block, int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t wd,
                double px, double py, double pr, double ph, double ps, double pd, double pk);
    bool PutMoji(TDXF_Entities& e, int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t bs, int32_t fl,
                 double px1, double py1, double px2, double py2, double pw, double ph, double pd, double pa,
                 const JwString& pf, const JwString& ps);
};

// Angle in degrees normalised to [0, 360); 0 when within 1e-10 of 0 or 360.
double DxfNormDeg(double a);

// (x1, y1) and (x2, y2) are the same point (within 1e-12 on both axes).
inline bool DxfCoincide(double x1, double y1, double x2, double y2) {
    return std::fabs(x1 - x2) <= 1e-12 && std::fabs(y1 - y2) <= 1e-12;
}

}  // namespace jw
