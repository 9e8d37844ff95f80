// Display and print attributes of a drawing: screen and printer pen colours,
// line widths, real-point radii, line-type dash patterns and layer states.
//
// The window keeps one instance (JwGraAttr) set up for a white background; the
// DXF export takes its pen colours and point radii from it, screen rendering
// its line types and layer states.
//
// Pen numbers map to pen-table entries as 1-9 -> 0-8 and 101-356 -> 9-264;
// line-type numbers map as 1-9 -> 0-8, 11-19 -> 9-17 and 31-62 -> 18-49.
// Operations whose names end in "_" take the entry index directly. Nothing
// here fails: out-of-range requests do nothing or answer a fixed fallback.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace jw {

using JwString = std::u16string;

// State of one layer; entry n is layer n mod 16 of group n div 16.
struct TscpLayer {
    int32_t sta = 1;    // layer state 1-3
    double sca = 1.0;   // scale
    JwString gna;       // display name of the layer group
    JwString nam;       // display name of the layer
};

// One pen.
struct TscpColor {
    uint32_t color = 0;  // ARGB
    double width = 0;    // line width in mm
    double ten_r = 0;    // real-point radius in mm
};

// One line type.
struct TscpLtype {
    static constexpr int kMaxSeg = 32;
    int32_t seg = 0;                   // number of segments in use (0 = solid)
    double amp = 0;                    // amplitude of a random line (mm)
    std::array<double, kMaxSeg> pa{};  // segment lengths: > 0 drawn, < 0 gap (mm)
    double pit = 0;                    // pitch: length of one cycle (mm)
};

class TgraAttribute {
public:
    static constexpr int32_t kLayerCount = 256;
    static constexpr int32_t kColorCount = 265;
    static constexpr int32_t kLtypeCount = 50;

    // Sizes the tables and runs DataInit.
    TgraAttribute();

    bool DispMode = false;
    bool PrintMode = false;
    int32_t Sikii0 = -1;  // black-and-white threshold for all pens, -1 = off
    int32_t Sikii1 = -1;  // pale-to-black threshold for pens 1-9, -1 = off
    int32_t Sikii2 = -1;  // pale-to-black threshold for pens 101-356, -1 = off
    int32_t BkColor = 0;  // 0 = white background, 1 = black background
    uint32_t BackColor = 0xFFFFFFFFu;
    uint32_t ForeColor = 0xFF000000u;
    uint32_t GrayColor = 0xFF808080u;
    bool DispHojo = false;
    bool DispKijun = false;
    bool All1ColorFlag = false;
    uint32_t All1Color = 0xFFFFFFFFu;
    std::vector<TscpLayer> scpLay;
    int32_t scpLayN = 0;
    std::vector<TscpColor> scpCol;
    int32_t scpColN = 0;
    std::vector<TscpLtype> scpTyp;
    int32_t scpTypN = 0;

    // Resets the scalar fields (DispHojo and DispKijun excepted) and every table.
    void DataInit();

    // Entry of a pen number or a line-type number; -1 when there is none.
    static int32_t ColorEntry(int32_t jn);
    static int32_t LtypeEntry(int32_t jn);

    // ---- modes ----
    void SetDisplayMode(bool m);
    bool GetDisplayMode() const;
    void SetPrintMode(bool m, int32_t sk0, int32_t sk1, int32_t sk2);
    bool GetPrintMode(int32_t& sk0, int32_t& sk1, int32_t& sk2) const;

    // ---- background, grey, auxiliary lines, one-colour mode ----
    // 0: white background, 1: black background; any other value changes
    // nothing. The pen table is left alone: run SetDefaultColor afterwards.
    void SetBackColor(int32_t n);
    int32_t GetBackColorNo() const;
    uint32_t GetBackColor() const;
    uint32_t GetForeColor() const;
    void SetGrayColor(uint32_t n);
    uint32_t GetGrayColor() const;
    void SetDispHojo(int32_t n);
    void SetDispKijun(int32_t n);
    int32_t GetDispHojo() const;
    int32_t GetDispKijun() const;
    void SetAll1Color(bool f, uint32_t c);
    void SetAll1Color(bool f);
    bool GetAll1ColorState() const;
    uint32_t GetAll1Color() const;

    // ---- layers ----
    void SetDefaultLayer();
    void SetAttrLayer(int32_t n, int32_t st, double sc, const JwString& glayname, const JwString& layname);
    void SetAttrLayer(int32_t n, int32_t st, double sc);
    void SetAttrLayer(int32_t n, int32_t st);
    bool GetAttrLayer(int32_t n, int32_t& st, double& sc, JwString& glayname, JwString& layname) const;
    int32_t GetAttrLayerState(int32_t n) const;     // 1 outside the table
    double GetAttrLayerScale(int32_t n) const;      // 1.0 outside the table
    JwString GetAttrLayerGName(int32_t n) const;    // empty outside the table
    JwString GetAttrLayerName(int32_t n) const;     // empty outside the table

    // ---- pens ----
    void SetDefaultColor();
    void SetDefaultWidth();
    void SetDefaultTenR();
    // By pen number: colour, width and radius / colour and width / colour /
    // width and radius / width.
    void SetAttrCol(int32_t jn, uint32_t color, double width, double ten_r);
    void SetAttrCol(int32_t jn, uint32_t color, double width);
    void SetAttrCol(int32_t jn, uint32_t color);
    void SetAttrCol(int32_t jn, double width, double ten_r);
    void SetAttrCol(int32_t jn, double width);
    // The same by entry index.
    void SetAttrCol_(int32_t n, uint32_t color, double width, double ten_r);
    void SetAttrCol_(int32_t n, uint32_t color, double width);
    void SetAttrCol_(int32_t n, uint32_t color);
    void SetAttrCol_(int32_t n, double width, double ten_r);
    void SetAttrCol_(int32_t n, double width);
    // Colour as seen through the printer thresholds; BackColor for no entry.
    uint32_t GetAttrColcol(int32_t jn) const;
    uint32_t GetAttrColcol_(int32_t n) const;
    // Width; 0.0 for no entry.
    double GetAttrColwid(int32_t jn) const;
    double GetAttrColwid_(int32_t n) const;
    // Real-point radius; 0.1 for no entry.
    double GetAttrColten(int32_t jn) const;
    double GetAttrColten_(int32_t n) const;

    // ---- line types (unmapped numbers and indices read as 0) ----
    // Clears the table and fills the standard, random, double-length and SXF
    // types with patterns built from a 0.36 mm unit.
    void SetDefaultLtype();
    void SetAttrTypseg(int32_t jn, int32_t seg);
    void SetAttrTypamp(int32_t jn, double amp);
    // Whole pattern: seg := number of values (at most 32), the rest cleared.
    void SetAttrTyppat(int32_t jn, std::span<const double> pa);
    // One segment length, i = 0-31.
    void SetAttrTyppa1(int32_t jn, int32_t i, double v);
    void SetAttrTypPit(int32_t jn, double pit);
    void SetAttrTypseg_(int32_t n, int32_t seg);
    void SetAttrTypamp_(int32_t n, double amp);
    void SetAttrTyppat_(int32_t n, std::span<const double> pa);
    void SetAttrTyppa1_(int32_t n, int32_t i, double v);
    void SetAttrTypPit_(int32_t n, double pit);
    int32_t GetAttrTypseg(int32_t jn) const;
    double GetAttrTypamp(int32_t jn) const;
    std::array<double, TscpLtype::kMaxSeg> GetAttrTyppat(int32_t jn) const;
    double GetAttrTyppa1(int32_t jn, int32_t i) const;
    double GetAttrTyppit(int32_t jn) const;
    int32_t GetAttrTypseg_(int32_t n) const;
    double GetAttrTypamp_(int32_t n) const;
    std::array<double, TscpLtype::kMaxSeg> GetAttrTyppat_(int32_t n) const;
    double GetAttrTyppa1_(int32_t n, int32_t i) const;
    double GetAttrTyppit_(int32_t n) const;
    // Multiplies every entry's pitch and its segment lengths in use by scale.
    void SetAttrTypScale(double scale);

private:
    bool ColIndexOk(int32_t n) const { return n >= 0 && n < scpColN && n < static_cast<int32_t>(scpCol.size()); }
    bool TypIndexOk(int32_t n) const { return n >= 0 && n < scpTypN && n < static_cast<int32_t>(scpTyp.size()); }
    bool LayIndexOk(int32_t n) const { return n >= 0 && n < scpLayN && n < static_cast<int32_t>(scpLay.size()); }
};

// The display state of a layer from the state a of its group and its own
// state b (0 hidden, 1 display only, 2 editable, 3 written to): 3 hidden when
// either is 0, else 2 display only when either is 1, else 1.
int32_t JwLayerState(int32_t a, int32_t b);

// The window's set-up of a freshly created attribute object: display mode on,
// white background with its pen colours, default layers, widths, radii and
// line types, auxiliary and reference lines shown, grey 0xFF808080, one-colour
// mode off.
void JwGraAttrSetup(TgraAttribute& ga);

}  // namespace jw
