// Display and print attribute tables.
#include "attributes/gra_attribute.h"

#include <algorithm>
#include <initializer_list>

#include "model/entity_list_view.h"
#include "support/numbers.h"

namespace jw {

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kBlack = 0xFF000000u;

char16_t HexDigit(int32_t v) { return u"0123456789ABCDEF"[v & 15]; }

// Display-name prefixes of entry n: its layer group "[g] " and its layer "(l) ".
JwString GroupLabel(int32_t n) { return JwString(u"[") + HexDigit(n / 16) + u"] "; }
JwString LayerLabel(int32_t n) { return JwString(u"(") + HexDigit(n % 16) + u") "; }

// Pen colours of entries 0-24 (pens 1-9 and 101-116) for a white and for a
// black background.
struct PenRgb {
    uint8_t r, g, b;
};
constexpr PenRgb kPenWhiteBg[25] = {
    {0, 192, 192}, {0, 0, 0},       {0, 192, 0},     {192, 192, 0},   {192, 0, 192},
    {0, 0, 255},   {0, 128, 128},   {255, 0, 128},   {255, 128, 255}, {0, 0, 0},
    {255, 0, 0},   {0, 255, 0},     {0, 0, 255},     {255, 255, 0},   {255, 0, 255},
    {0, 255, 255}, {0, 0, 0},       {192, 0, 128},   {192, 128, 64},  {255, 128, 0},
    {128, 192, 128}, {0, 128, 255}, {128, 64, 255},  {192, 192, 192}, {128, 128, 128},
};
constexpr PenRgb kPenBlackBg[25] = {
    {0, 255, 255},   {255, 255, 255}, {0, 255, 0},     {255, 255, 0},   {192, 0, 192},
    {32, 32, 255},   {0, 128, 128},   {160, 0, 0},     {192, 128, 128}, {255, 255, 255},
    {255, 0, 0},     {0, 255, 0},     {0, 0, 255},     {255, 255, 0},   {255, 0, 255},
    {0, 255, 255},   {255, 255, 255}, {192, 0, 128},   {192, 128, 64},  {255, 128, 0},
    {128, 192, 128}, {0, 128, 255},   {128, 64, 255},  {192, 192, 192}, {128, 128, 128},
};

constexpr double kPenWidth[9] = {0.1, 0.15, 0.2, 0.25, 0.3, 0.35, 0.4, 0.5, 0.01};
constexpr double kPenTenR[9] = {0.2, 0.3, 0.4, 0.5, 0.5, 0.5, 0.5, 0.5, 0.2};

// Base unit of the default dash patterns (mm).
constexpr double kUnit = 0.36;

}  // namespace

TgraAttribute::TgraAttribute() {
    scpLay.resize(kLayerCount);
    scpLayN = kLayerCount;
    scpCol.resize(kColorCount);
    scpColN = kColorCount;
    scpTyp.resize(kLtypeCount);
    scpTypN = kLtypeCount;
    DataInit();
}

void TgraAttribute::DataInit() {
    DispMode = false;
    PrintMode = false;
    Sikii0 = -1;
    Sikii1 = -1;
    Sikii2 = -1;
    BkColor = 0;
    BackColor = kWhite;
    ForeColor = kBlack;
    GrayColor = 0xFF808080u;
    All1ColorFlag = false;
    All1Color = kWhite;
    SetDefaultLayer();
    SetDefaultColor();
    SetDefaultWidth();
    SetDefaultTenR();
    SetDefaultLtype();
}

int32_t TgraAttribute::ColorEntry(int32_t jn) {
    if (jn >= 1 && jn <= 9) return jn - 1;
    if (jn >= 101 && jn <= 356) return jn - 92;
    return -1;
}

int32_t TgraAttribute::LtypeEntry(int32_t jn) {
    if (jn >= 1 && jn <= 9) return jn - 1;
    if (jn >= 11 && jn <= 19) return jn - 2;
    if (jn >= 31 && jn <= 62) return jn - 13;
    return -1;
}

// ---- modes ----

void TgraAttribute::SetDisplayMode(bool m) { DispMode = m; }
bool TgraAttribute::GetDisplayMode() const { return DispMode; }

void TgraAttribute::SetPrintMode(bool m, int32_t sk0, int32_t sk1, int32_t sk2) {
    PrintMode = m;
    Sikii0 = sk0;
    Sikii1 = sk1;
    Sikii2 = sk2;
}

bool TgraAttribute::GetPrintMode(int32_t& sk0, int32_t& sk1, int32_t& sk2) const {
    sk0 = Sikii0;
    sk1 = Sikii1;
    sk2 = Sikii2;
    return PrintMode;
}

// ---- background, grey, auxiliary lines, one-colour mode ----

void TgraAttribute::SetBackColor(int32_t n) {
    if (n == 0) {
        BkColor = 0;
        BackColor = kWhite;
        ForeColor = kBlack;
    } else if (n == 1) {
        BkColor = 1;
        BackColor = kBlack;
        ForeColor = kWhite;
    }
}

int32_t TgraAttribute::GetBackColorNo() const { return BkColor; }
uint32_t TgraAttribute::GetBackColor() const { return BackColor; }
uint32_t TgraAttribute::GetForeColor() const { return ForeColor; }
void TgraAttribute::SetGrayColor(uint32_t n) { GrayColor = n; }
uint32_t TgraAttribute::GetGrayColor() const { return GrayColor; }
void TgraAttribute::SetDispHojo(int32_t n) { DispHojo = n != 0; }
void TgraAttribute::SetDispKijun(int32_t n) { DispKijun = n != 0; }
int32_t TgraAttribute::GetDispHojo() const { return DispHojo ? 1 : 0; }
int32_t TgraAttribute::GetDispKijun() const { return DispKijun ? 1 : 0; }

void TgraAttribute::SetAll1Color(bool f, uint32_t c) {
    All1ColorFlag = f;
    All1Color = c;
}

void TgraAttribute::SetAll1Color(bool f) { All1ColorFlag = f; }
bool TgraAttribute::GetAll1ColorState() const { return All1ColorFlag; }
uint32_t TgraAttribute::GetAll1Color() const { return All1Color; }

// ---- layers ----

void TgraAttribute::SetDefaultLayer() {
    const auto n = static_cast<int32_t>(HeldCount(scpLay, scpLayN));
    for (int32_t i = 0; i < n; ++i) {
        TscpLayer& e = scpLay[i];
        e.sta = 1;
        e.sca = 1.0;
        e.gna = GroupLabel(i);
        e.nam = LayerLabel(i);
    }
}

void TgraAttribute::SetAttrLayer(int32_t n, int32_t st, double sc, const JwString& glayname,
                                 const JwString& layname) {
    if (!LayIndexOk(n)) return;
    SetAttrLayer(n, st, sc);
    TscpLayer& e = scpLay[n];
    e.gna = GroupLabel(n) + glayname;
    e.nam = LayerLabel(n) + layname;
}

void TgraAttribute::SetAttrLayer(int32_t n, int32_t st, double sc) {
    if (!LayIndexOk(n)) return;
    SetAttrLayer(n, st);
    // "!(sc > 0)" also turns a NaN scale into 1.0.
    scpLay[n].sca = !(sc > 0) ? 1.0 : sc;
}

void TgraAttribute::SetAttrLayer(int32_t n, int32_t st) {
    if (!LayIndexOk(n)) return;
    scpLay[n].sta = (st < 1 || st > 3) ? 1 : st;
}

bool TgraAttribute::GetAttrLayer(int32_t n, int32_t& st, double& sc, JwString& glayname,
                                 JwString& layname) const {
    if (!LayIndexOk(n)) return false;
    const TscpLayer& e = scpLay[n];
    st = e.sta;
    sc = e.sca;
    glayname = e.gna;
    layname = e.nam;
    return true;
}

int32_t TgraAttribute::GetAttrLayerState(int32_t n) const { return LayIndexOk(n) ? scpLay[n].sta : 1; }
double TgraAttribute::GetAttrLayerScale(int32_t n) const { return LayIndexOk(n) ? scpLay[n].sca : 1.0; }
JwString TgraAttribute::GetAttrLayerGName(int32_t n) const { return LayIndexOk(n) ? scpLay[n].gna : JwString(); }
JwString TgraAttribute::GetAttrLayerName(int32_t n) const { return LayIndexOk(n) ? scpLay[n].nam : JwString(); }

// ---- pens ----

void TgraAttribute::SetDefaultColor() {
    const auto n = static_cast<int32_t>(HeldCount(scpCol, scpColN));
    for (int32_t i = 0; i < n; ++i) scpCol[i].color = ForeColor;
    if (BkColor != 0 && BkColor != 1) return;
    const PenRgb* tab = BkColor == 0 ? kPenWhiteBg : kPenBlackBg;
    for (int32_t i = 0; i < 25 && i < n; ++i) scpCol[i].color = MakeArgb(tab[i].r, tab[i].g, tab[i].b);
}

void TgraAttribute::SetDefaultWidth() {
    const auto n = static_cast<int32_t>(HeldCount(scpCol, scpColN));
    for (int32_t i = 0; i < n; ++i) scpCol[i].width = i < 9 ? kPenWidth[i] : 0.18;
}

void TgraAttribute::SetDefaultTenR() {
    const auto n = static_cast<int32_t>(HeldCount(scpCol, scpColN));
    for (int32_t i = 0; i < n; ++i) scpCol[i].ten_r = i < 9 ? kPenTenR[i] : 0.2;
}

void TgraAttribute::SetAttrCol(int32_t jn, uint32_t color, double width, double ten_r) {
    SetAttrCol_(ColorEntry(jn), color, width, ten_r);
}
void TgraAttribute::SetAttrCol(int32_t jn, uint32_t color, double width) { SetAttrCol_(ColorEntry(jn), color, width); }
void TgraAttribute::SetAttrCol(int32_t jn, uint32_t color) { SetAttrCol_(ColorEntry(jn), color); }
void TgraAttribute::SetAttrCol(int32_t jn, double width, double ten_r) { SetAttrCol_(ColorEntry(jn), width, ten_r); }
void TgraAttribute::SetAttrCol(int32_t jn, double width) { SetAttrCol_(ColorEntry(jn), width); }

void TgraAttribute::SetAttrCol_(int32_t n, uint32_t color, double width, double ten_r) {
    if (!ColIndexOk(n)) return;
    scpCol[n].color = color;
    scpCol[n].width = width;
    scpCol[n].ten_r = ten_r;
}

void TgraAttribute::SetAttrCol_(int32_t n, uint32_t color, double width) {
    if (!ColIndexOk(n)) return;
    scpCol[n].color = color;
    scpCol[n].width = width;
}

void TgraAttribute::SetAttrCol_(int32_t n, uint32_t color) {
    if (ColIndexOk(n)) scpCol[n].color = color;
}

void TgraAttribute::SetAttrCol_(int32_t n, double width, double ten_r) {
    if (!ColIndexOk(n)) return;
    scpCol[n].width = width;
    scpCol[n].ten_r = ten_r;
}

void TgraAttribute::SetAttrCol_(int32_t n, double width) {
    if (ColIndexOk(n)) scpCol[n].width = width;
}

uint32_t TgraAttribute::GetAttrColcol(int32_t jn) const { return GetAttrColcol_(ColorEntry(jn)); }

uint32_t TgraAttribute::GetAttrColcol_(int32_t n) const {
    if (!ColIndexOk(n)) return BackColor;
    uint32_t c = scpCol[n].color;
    if (!PrintMode) return c;
    const bool extended = n >= 9;
    if (Sikii0 < 0 && (Sikii1 < 0 || extended) && (Sikii2 < 0 || !extended)) return c;
    auto r = static_cast<int64_t>((c >> 16) & 0xFF);
    auto g = static_cast<int64_t>((c >> 8) & 0xFF);
    auto b = static_cast<int64_t>(c & 0xFF);
    if (Sikii0 >= 0) {
        auto pale = [&](int64_t x) { return x + Sikii0 >= 256 || x == 255; };
        c = (pale(r) && pale(g) && pale(b)) ? kWhite : kBlack;
        r = (c >> 16) & 0xFF;
        g = (c >> 8) & 0xFF;
        b = c & 0xFF;
    }
    const int32_t sk = extended ? Sikii2 : Sikii1;
    if (sk >= 0 && r + sk > 254 && g + sk > 254 && b + sk > 254) return kBlack;
    return c;
}

double TgraAttribute::GetAttrColwid(int32_t jn) const { return GetAttrColwid_(ColorEntry(jn)); }
double TgraAttribute::GetAttrColwid_(int32_t n) const { return ColIndexOk(n) ? scpCol[n].width : 0.0; }
double TgraAttribute::GetAttrColten(int32_t jn) const { return GetAttrColten_(ColorEntry(jn)); }
double TgraAttribute::GetAttrColten_(int32_t n) const { return ColIndexOk(n) ? scpCol[n].ten_r : 0.1; }

// ---- line types ----

void TgraAttribute::SetDefaultLtype() {
    const auto n = static_cast<int32_t>(HeldCount(scpTyp, scpTypN));
    for (int32_t i = 0; i < n; ++i) scpTyp[i] = TscpLtype{};

    // Patterns in units of kUnit: positive = dash, negative = gap. An empty
    // pattern is a solid line.
    auto set = [&](int32_t jn, std::initializer_list<double> units, double ampUnits = 0) {
        const int32_t e = LtypeEntry(jn);
        if (!TypIndexOk(e)) return;
        TscpLtype& t = scpTyp[e];
        t.seg = 0;
        t.pit = 0;
        for (double u : units) {
            if (t.seg >= TscpLtype::kMaxSeg) break;
            t.pa[t.seg++] = u * kUnit;
            t.pit += (u < 0 ? -u : u) * kUnit;
        }
        t.amp = ampUnits * kUnit;
    };

    // Standard types 1-9: solid, three dashed, two chains, two double chains,
    // dotted.
    set(1, {});
    set(2, {4, -2});
    set(3, {8, -3});
    set(4, {2, -2});
    set(5, {12, -2, 1, -2});
    set(6, {20, -3, 2, -3});
    set(7, {12, -2, 1, -2, 1, -2});
    set(8, {20, -3, 2, -3, 2, -3});
    set(9, {1, -2});
    // Random lines 1-5 (types 11-15): solid paths with growing amplitude.
    for (int32_t k = 0; k < 5; ++k) {
        const int32_t e = LtypeEntry(11 + k);
        if (!TypIndexOk(e)) continue;
        scpTyp[e].seg = 0;
        scpTyp[e].amp = (k + 1) * 0.5 * kUnit;
        scpTyp[e].pit = 8 * kUnit;
    }
    // Double-length types 1-4 (types 16-19): types 2, 5, 7 and 9 at twice the length.
    set(16, {8, -4});
    set(17, {24, -4, 2, -4});
    set(18, {24, -4, 2, -4, 2, -4});
    set(19, {2, -4});
    // SXF predefined types (31-45); the user-defined ones (46-62) stay solid
    // until a drawing defines them.
    set(31, {});                                         // continuous
    set(32, {8, -3});                                    // dashed
    set(33, {8, -8});                                    // dashed spaced
    set(34, {20, -3, 1, -3});                            // long dashed dotted
    set(35, {20, -3, 1, -3, 1, -3});                     // long dashed double-dotted
    set(36, {20, -3, 1, -3, 1, -3, 1, -3});              // long dashed triplicate-dotted
    set(37, {1, -2});                                    // dotted
    set(38, {20, -3, 6, -3});                            // chain
    set(39, {20, -3, 6, -3, 6, -3});                     // chain double dash
    set(40, {8, -3, 1, -3});                             // dashed dotted
    set(41, {8, -3, 8, -3, 1, -3});                      // double-dashed dotted
    set(42, {8, -3, 1, -3, 1, -3});                      // dashed double-dotted
    set(43, {8, -3, 8, -3, 1, -3, 1, -3});               // double-dashed double-dotted
    set(44, {8, -3, 1, -3, 1, -3, 1, -3});               // dashed triplicate-dotted
    set(45, {8, -3, 8, -3, 1, -3, 1, -3, 1, -3});        // double-dashed triplicate-dotted
}

void TgraAttribute::SetAttrTypseg(int32_t jn, int32_t seg) { SetAttrTypseg_(LtypeEntry(jn), seg); }
void TgraAttribute::SetAttrTypamp(int32_t jn, double amp) { SetAttrTypamp_(LtypeEntry(jn), amp); }
void TgraAttribute::SetAttrTyppat(int32_t jn, std::span<const double> pa) { SetAttrTyppat_(LtypeEntry(jn), pa); }
void TgraAttribute::SetAttrTyppa1(int32_t jn, int32_t i, double v) { SetAttrTyppa1_(LtypeEntry(jn), i, v); }
void TgraAttribute::SetAttrTypPit(int32_t jn, double pit) { SetAttrTypPit_(LtypeEntry(jn), pit); }

void TgraAttribute::SetAttrTypseg_(int32_t n, int32_t seg) {
    if (TypIndexOk(n)) scpTyp[n].seg = std::clamp<int32_t>(seg, 0, TscpLtype::kMaxSeg);
}

void TgraAttribute::SetAttrTypamp_(int32_t n, double amp) {
    if (TypIndexOk(n)) scpTyp[n].amp = amp;
}

void TgraAttribute::SetAttrTyppat_(int32_t n, std::span<const double> pa) {
    if (!TypIndexOk(n)) return;
    TscpLtype& t = scpTyp[n];
    t.pa.fill(0.0);
    const size_t k = std::min<size_t>(pa.size(), TscpLtype::kMaxSeg);
    std::copy_n(pa.begin(), k, t.pa.begin());
    t.seg = static_cast<int32_t>(k);
}

void TgraAttribute::SetAttrTyppa1_(int32_t n, int32_t i, double v) {
    if (TypIndexOk(n) && i >= 0 && i < TscpLtype::kMaxSeg) scpTyp[n].pa[i] = v;
}

void TgraAttribute::SetAttrTypPit_(int32_t n, double pit) {
    if (TypIndexOk(n)) scpTyp[n].pit = pit;
}

int32_t TgraAttribute::GetAttrTypseg(int32_t jn) const { return GetAttrTypseg_(LtypeEntry(jn)); }
double TgraAttribute::GetAttrTypamp(int32_t jn) const { return GetAttrTypamp_(LtypeEntry(jn)); }
std::array<double, TscpLtype::kMaxSeg> TgraAttribute::GetAttrTyppat(int32_t jn) const {
    return GetAttrTyppat_(LtypeEntry(jn));
}
double TgraAttribute::GetAttrTyppa1(int32_t jn, int32_t i) const { return GetAttrTyppa1_(LtypeEntry(jn), i); }
double TgraAttribute::GetAttrTyppit(int32_t jn) const { return GetAttrTyppit_(LtypeEntry(jn)); }

int32_t TgraAttribute::GetAttrTypseg_(int32_t n) const { return TypIndexOk(n) ? scpTyp[n].seg : 0; }
double TgraAttribute::GetAttrTypamp_(int32_t n) const { return TypIndexOk(n) ? scpTyp[n].amp : 0.0; }
std::array<double, TscpLtype::kMaxSeg> TgraAttribute::GetAttrTyppat_(int32_t n) const {
    return TypIndexOk(n) ? scpTyp[n].pa : std::array<double, TscpLtype::kMaxSeg>{};
}
double TgraAttribute::GetAttrTyppa1_(int32_t n, int32_t i) const {
    return (TypIndexOk(n) && i >= 0 && i < TscpLtype::kMaxSeg) ? scpTyp[n].pa[i] : 0.0;
}
double TgraAttribute::GetAttrTyppit_(int32_t n) const { return TypIndexOk(n) ? scpTyp[n].pit : 0.0; }

void TgraAttribute::SetAttrTypScale(double scale) {
    const auto n = static_cast<int32_t>(HeldCount(scpTyp, scpTypN));
    for (int32_t i = 0; i < n; ++i) {
        TscpLtype& t = scpTyp[i];
        t.pit *= scale;
        const int32_t seg = std::clamp<int32_t>(t.seg, 0, TscpLtype::kMaxSeg);
        for (int32_t k = 0; k < seg; ++k) t.pa[k] *= scale;
    }
}

void JwGraAttrSetup(TgraAttribute& ga) {
    ga.SetDisplayMode(true);
    ga.SetBackColor(0);
    ga.SetDefaultColor();
    ga.SetDefaultLayer();
    ga.SetDefaultWidth();
    ga.SetDefaultTenR();
    ga.SetDefaultLtype();
    ga.SetDispHojo(1);
    ga.SetDispKijun(1);
    ga.SetGrayColor(0xFF808080u);
    ga.SetAll1Color(false);
}

}  // namespace jw
