// TJwwData::FileOutDXF: the conversion of a decoded JWW drawing into a
// TDXFmodel (line types, layers with their most used colour and line type,
// text styles, point symbol blocks, block definitions and every entity) and
// its writing. Jw_cad coordinates are paper millimetres with the origin at the
// paper centre; top-level entities are shifted by half the paper so that the
// DXF origin is the paper's lower-left corner, then scaled by their layer
// group's placement (deLgp). With one layout per drawing frame (space mode 2,
// frames from dxf/frames.cpp) every group is drawn at one common scale and
// the reference group's entities inside a frame 1:1 in its layout. Lines and
// arcs of curve groups may go to the polyline joining (dxf/polyline_join.cpp)
// and dimension groups into "*D" blocks with DIMENSIONs
// (dxf/dimension_rebuild.h).
#include "dxf/jww_to_dxf.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "attributes/gra_attribute.h"
#include "dxf/dxf_model.h"
#include "dxf/dimension_rebuild.h"
#include "dxf/dxf_palette.h"
#include "dxf/frames.h"
#include "dxf/placement.h"
#include "dxf/text_variables.h"
#include "model/entity_list_view.h"
#include "model/file_formats.h"
#include "model/jw_data.h"
#include "support/file_io.h"
#include "support/geometry.h"
#include "support/numbers.h"
#include "support/paths.h"
#include "support/program_values.h"
#include "support/strings.h"

// Only the header readers of the four image formats an image text may name.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_ONLY_BMP
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_ONLY_GIF
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <stb/stb_image.h>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace jw {

// ---------------------------------------------------------------------------
// Line types, layer counter, image size

int32_t PenStyleToLtype(int32_t s) {
    if (s >= 1 && s <= 9) return s;
    if (s >= 11 && s <= 19) return s - 1;
    if (s >= 32 && s <= 45) return s - 13;
    if (s >= 47 && s <= 62) return s - 14;
    return 1;
}

void TJwLayerCount::JWW_Init() {
    cn = 256;
    slot_.fill(0);
    used_.clear();
    gn.fill(0);
    gnmax = -1;
    gnmaxr = -1;
}

const TJwLayerCount_Work& TJwLayerCount::w(int32_t i) const {
    static const TJwLayerCount_Work none;
    if (i < 0 || i >= cn) return none;
    const uint16_t s = slot_[static_cast<size_t>(i)];
    return s == 0 ? none : used_[s - 1u];
}

void TJwLayerCount::JWW_CountUp(int32_t lg, int32_t ly, uint32_t co, int32_t lt) {
    if (lg < 0 || lg > 15 || ly < 0 || ly > 15) return;
    uint16_t& s = slot_[static_cast<size_t>(lg * 16 + ly)];
    if (s == 0) {
        used_.emplace_back();
        s = static_cast<uint16_t>(used_.size());
    }
    TJwLayerCount_Work& r = used_[s - 1u];
    const int32_t aci = RgbToAci(co);
    if (aci >= 1 && aci <= r.coln) ++r.col[static_cast<size_t>(aci - 1)];
    if (lt >= 0) {
        const int32_t ltype = PenStyleToLtype(lt);
        if (ltype < r.ltpn) ++r.ltp[static_cast<size_t>(ltype)];
    }
    ++gn[static_cast<size_t>(lg)];
}

namespace {

// The largest of the first n counts and the first index holding it; 0 and -1
// when none is above 0.
template <size_t N>
void MostUsed(const std::array<int32_t, N>& counts, int32_t n, int32_t& max, int32_t& index) {
    max = 0;
    index = -1;
    for (int32_t k = 0; k < n; ++k) {
        if (counts[static_cast<size_t>(k)] > max) {
            max = counts[static_cast<size_t>(k)];
            index = k;
        }
    }
}

}  // namespace

void TJwLayerCount::CaluMax() {
    for (TJwLayerCount_Work& r : used_) {
        MostUsed(r.col, r.coln, r.colmax, r.colman);
        MostUsed(r.ltp, r.ltpn, r.ltpmax, r.ltpman);
    }
    int32_t best = -1;
    gnmax = -1;
    for (int32_t g = 0; g < 16; ++g) {
        if (g == gnmaxr) continue;
        if (gn[static_cast<size_t>(g)] > best) {
            best = gn[static_cast<size_t>(g)];
            gnmax = g;
        }
    }
}

namespace {

int StbRead(void* user, char* data, int size) {
    const int n = gzread(static_cast<gzFile>(user), data, static_cast<unsigned>(size));
    return n < 0 ? 0 : n;
}
void StbSkip(void* user, int n) { gzseek(static_cast<gzFile>(user), n, SEEK_CUR); }
int StbEof(void* user) { return gzeof(static_cast<gzFile>(user)); }

}  // namespace

bool DxfImageBytesPixelSize(const uint8_t* data, size_t n, int32_t& width, int32_t& height) {
    width = height = 0;
    int x = 0, y = 0, comp = 0;
    if (n == 0 || n > static_cast<size_t>(INT32_MAX)) return false;
    if (!stbi_info_from_memory(data, static_cast<int>(n), &x, &y, &comp) || x <= 0 || y <= 0) return false;
    width = x;
    height = y;
    return true;
}

bool DxfImagePixelSize(const JwString& path, int32_t& width, int32_t& height) {
    width = height = 0;
    if (path.empty()) return false;
    const std::filesystem::path p = NativePath(path);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(p, ec)) return false;  // never a device or a pipe
    // gzread reads a file that is not gzip-compressed as it is.
    gzFile f = gzopen(p.c_str(), "rb");
    if (f == nullptr) return false;
    const stbi_io_callbacks cb{StbRead, StbSkip, StbEof};
    int x = 0, y = 0, comp = 0;
    const int ok = stbi_info_from_callbacks(&cb, f, &x, &y, &comp);
    gzclose(f);
    if (!ok || x <= 0 || y <= 0) return false;
    width = x;
    height = y;
    return true;
}

// ---------------------------------------------------------------------------
// Paper size and font names

void TJwwData::GetPaperSize(double& px, double& py) const {
    // Unknown codes are A0.
    const int32_t code = PaperWidth(Enthd.nZumen) > 0 ? Enthd.nZumen : 0;
    px = PaperWidth(code);
    py = PaperHeight(code);
}

void TJwwData::GetFontNames() {
    FontNames.clear();
    std::unordered_set<JwString> seen;
    auto take = [&](const JwString& f) {
        const std::u16string_view base = JwFontWithoutAt(f);
        if (base.empty()) return;
        JwString name(base);
        if (seen.insert(name).second) FontNames.push_back(std::move(name));
    };
    for (size_t i = 0; i < HeldCount(EntMoji, EntMojiN); ++i) take(EntMoji[i].strFontName);
    for (size_t i = 0; i < HeldCount(EntSunpo, EntSunpoN); ++i) take(EntSunpo[i].Moji.strFontName);
    for (size_t d = 0; d < HeldCount(EntBlockDef, EntBlockDefN); ++d) {
        const TEntJwwBlockDef& def = EntBlockDef[d];
        for (size_t i = 0; i < HeldCount(def.mMoji, def.mMojiN); ++i) take(def.mMoji[i].strFontName);
        for (size_t i = 0; i < HeldCount(def.mSunpo, def.mSunpoN); ++i) take(def.mSunpo[i].Moji.strFontName);
    }
    FontNameN = static_cast<int32_t>(FontNames.size());
}

int32_t TJwwData::GetFontNamesIndex(const JwString& s) const {
    const std::u16string_view base = JwFontWithoutAt(s);
    const size_t n = HeldCount(FontNames, FontNameN);
    for (size_t i = 0; i < n; ++i)
        if (FontNames[i] == base) return static_cast<int32_t>(i);
    return -1;
}

// ---------------------------------------------------------------------------
// The conversion

int32_t DxfGroupOf(const TEntJwwAttr& a) {
    const uint16_t g = a.nGLayer;
    return g <= 15 ? g : 0;
}

int32_t DxfLayerOf(const TEntJwwAttr& a) {
    const uint16_t l = a.nLayer;
    return l <= 15 ? l : 0;
}

bool DxfLayerShown(const TJwwData& jw, int32_t g, int32_t l) {
    const size_t i = static_cast<size_t>(16 * g + l);
    const bool gShown = static_cast<size_t>(g) >= jw.EntLgrp.size() || jw.EntLgrp[static_cast<size_t>(g)].anGLay != 0;
    const bool lShown = i >= jw.EntLay.size() || jw.EntLay[i].aanLay != 0;
    return gShown && lShown;
}

bool DxfIsImageText(const JwString& s) {
    return s.size() >= 4 && s.compare(0, 4, u"^@BM") == 0 && s.find(u',') != JwString::npos;
}

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int32_t kLayHojo = 2;   // DXF layer of auxiliary lines
constexpr int32_t kLayFirst = 4;  // DXF layer of Jw_cad layer 0 of group 0

double Deg(double rad) { return rad * 180 / kPi; }

void AddDxfLtype(TDXFmodel& m, const char16_t* name, const char16_t* desc, std::initializer_list<double> pat) {
    m.AddLtype(name, desc, std::span<const double>(pat.begin(), pat.size()));
}

void DxfAddStdLtypes(TDXFmodel& m) {
    AddDxfLtype(m, u"Continuous", u"Solid line", {});
    AddDxfLtype(m, u"DOT", u"Dot . . . . . . . . . . . . . . . . . . . . . . . .", {0, -6.35});
    AddDxfLtype(m, u"DASHED", u"Dashed __ __ __ __ __ __ __ __ __ __ __ __ __ _", {12.7, -6.35});
    AddDxfLtype(m, u"DASHED2", u"Dashed (.5x) _ _ _ _ _ _ _ _ _ _ _ _ _ _ _ _ _", {6.35, -3.175});
    AddDxfLtype(m, u"CENTER", u"Center ____ _ ____ _ ____ _ ____ _ ____ _ ____", {31.75, -6.35, 6.35, -6.35});
    AddDxfLtype(m, u"CENTER2", u"Center (.5x) ___ _ ___ _ ___ _ ___ _ ___ _ ___", {19.05, -3.175, 3.175, -3.175});
    AddDxfLtype(m, u"PHANTOM", u"Phantom ______  __  __  ______  __  __  ______",
                {31.75, -6.35, 6.35, -6.35, 6.35, -6.35});
    AddDxfLtype(m, u"PHANTOM2", u"Phantom (.5x) ___ _ _ ___ _ _ ___ _ _ ___ _ _",
                {15.875, -3.175, 3.175, -3.175, 3.175, -3.175});
    AddDxfLtype(m, u"DOT2", u"Dot (.5x) ...................................", {0, -3.175});
    static const char16_t* const rand[] = {u"RAND1", u"RAND2", u"RAND3", u"RAND4", u"RAND5"};
    static const char16_t* const randDesc[] = {u"ランダム線1", u"ランダム線2", u"ランダム線3", u"ランダム線4",
                                               u"ランダム線5"};
    for (int k = 1; k <= 5; ++k)
        AddDxfLtype(m, rand[k - 1], randDesc[k - 1],
                    {double(k), -double(k + 1), double(k + 2), -double(k + 3)});
    AddDxfLtype(m, u"CENTERX2", u"Center (2x) ________  __  ________  __  _____", {63.5, -12.7, 12.7, -12.7});
    AddDxfLtype(m, u"PHANTOMX2", u"Phantom (2x) ____________    ____    ____   _",
                {63.5, -12.7, 12.7, -12.7, 12.7, -12.7});
    AddDxfLtype(m, u"DASHEDX2", u"Dashed (2x) ____  ____  ____  ____  ____  ___", {25.4, -12.7});
    AddDxfLtype(m, u"DASHEDX4", u"Dashed (4x) ________  ________  _______  ____", {50.8, -12.7});
}

void DxfAddSxfLtypes(TDXFmodel& m) {
    AddDxfLtype(m, u"SXF_破線", u"02 dashed -- -- -- -- -- --", {6, -1.5});
    AddDxfLtype(m, u"SXF_跳び破線", u"03 dashed_spaced --  --  --  --", {6, -6});
    AddDxfLtype(m, u"SXF_一点長鎖線", u"04 long_dashed_dotted ---- . ---- . ----", {12, -1.5, 0.25, -1.5});
    AddDxfLtype(m, u"SXF_二点長鎖線", u"05 long_dashed_double-dotted ---- . . ----",
                {12, -1.5, 0.25, -1.5, 0.25, -1.5});
    AddDxfLtype(m, u"SXF_三点長鎖線", u"06 long_dashed_triplicate-dotted ---- ... ----",
                {12, -1.5, 0.25, -1.5, 0.25, -1.5, 0.25, -1.5});
    AddDxfLtype(m, u"SXF_点線", u"07 dotted . . . . . . . . . . . .", {0.25, -1.5});
    AddDxfLtype(m, u"SXF_一点鎖線", u"08 chain ---- - --- - --- - ---", {12, -1.5, 3.5, -1.5});
    AddDxfLtype(m, u"SXF_二点鎖線", u"09 chain_double_dash ---- - - ---- - - ----", {12, -1.5, 3.5, -1.5, 3.5, -1.5});
    AddDxfLtype(m, u"SXF_一点短鎖線", u"10 dashed_dotted -- . -- . -- . --", {6, -1.5, 0.25, -1.5});
    AddDxfLtype(m, u"SXF_一点二短鎖線", u"11 double-dashed_dotted -- -- . -- --", {6, -1.5, 6, -1.5, 0.25, -1.5});
    AddDxfLtype(m, u"SXF_二点短鎖線", u"12 dashed_double_dotted -- . . -- . . --", {6, -1.5, 0.25, -1.5, 0.25, -1.5});
    AddDxfLtype(m, u"SXF_二点二短鎖線", u"13 double-dashed_double-dotted -- -- . . -- --",
                {6, -1.5, 6, -1.5, 0.25, -1.5, 0.25, -1.5});
    AddDxfLtype(m, u"SXF_三点短鎖線", u"14 dashed triplicate-dotted -- . . . -- . . . --",
                {6, -1.5, 0.25, -1.5, 0.25, -1.5, 0.25, -1.5});
    AddDxfLtype(m, u"SXF_三点二短鎖線", u"15 double-dashed triplicate-dotted -- -- . . . -- --",
                {6, -1.5, 6, -1.5, 0.25, -1.5, 0.25, -1.5, 0.25, -1.5});
}

void DxfAddStdLayers(TDXFmodel& m) {
    m.AddLayer(u"0", 7, 1, 0, true, true);
    m.AddLayer(u"DEFPOINTS", 7, 1, 0, true, false);
    m.AddLayer(u"HOJO", 6, 9, 0, true, false);
    m.AddLayer(u"VP", 7, 1, 0, false, false);
}

void DxfAddStdStyles(TDXFmodel& m) {
    m.AddStyle(u"Standard", u"txt", u"extfont2.shx", 0, 1, 0, 2.5, false);
    m.AddStyle(u"Annotative", u"txt.shx", u"extfont2.shx", 0, 1, 0, 2.5, false);
}

// Block "_TRANS_TEN" of point transfer types 2-6 (radius r); members ByBlock
// on layer 0.
void DxfAddTenBlock(TDXFmodel& m) {
    if (m.tentyp < 2 || m.tentyp > 6) return;
    const int32_t b = m.AddBlockDef(u"_TRANS_TEN", -1);
    if (b < 0) return;
    m.tenidx = b;
    const double r = m.tenrad;
    switch (m.tentyp) {
        case 2:
            m.AddBlockArc(b, 0, 0, -1, -1, -1, 0, 0, r, 1, 0, 0, 0);
            m.AddBlockArc(b, 0, 0, -1, -1, -1, 0, 0, r / 2, 1, 0, 0, 0);
            break;
        case 3:
            m.AddBlockArc(b, 0, 0, -1, -1, -1, 0, 0, r, 1, 0, 0, 0);
            m.AddBlockLine(b, 0, 0, -1, -1, -1, -r, 0, r, 0);
            m.AddBlockLine(b, 0, 0, -1, -1, -1, 0, r, 0, -r);
            break;
        case 4:
            m.AddBlockLine(b, 0, 0, -1, -1, -1, r, 0, 0, r);
            m.AddBlockLine(b, 0, 0, -1, -1, -1, 0, r, -r, 0);
            m.AddBlockLine(b, 0, 0, -1, -1, -1, -r, 0, 0, -r);
            m.AddBlockLine(b, 0, 0, -1, -1, -1, 0, -r, r, 0);
            break;
        case 5:
            m.AddBlockSolid4(b, 0, 0, -1, r, 0, 0, r, -r, 0, 0, -r);
            break;
        default:  // 6: a disc of four quarter solids through the 45-degree points
            for (int q = 0; q < 4; ++q) {
                const double a0 = q * kPi / 2, a1 = a0 + kPi / 4, a2 = a0 + kPi / 2;
                m.AddBlockSolid4(b, 0, 0, -1, 0, 0, r * std::cos(a0), r * std::sin(a0), r * std::cos(a1),
                                 r * std::sin(a1), r * std::cos(a2), r * std::sin(a2));
            }
            break;
    }
}

// Line of length 2 * h through the origin at angle a (degrees).
void CrossLine(TDXFmodel& m, int32_t b, double h, double a) {
    const double c = std::cos(a * kPi / 180) * h, s = std::sin(a * kPi / 180) * h;
    m.AddBlockLine(b, 0, 0, -1, -1, -1, c, s, -c, -s);
}

void Outline(TDXFmodel& m, int32_t b, std::initializer_list<std::pair<double, double>> pts) {
    const auto* p = pts.begin();
    for (size_t i = 0; i < pts.size(); ++i) {
        const auto& a = p[i];
        const auto& c = p[(i + 1) % pts.size()];
        m.AddBlockLine(b, 0, 0, -1, -1, -1, a.first, a.second, c.first, c.second);
    }
}

void Disc(TDXFmodel& m, int32_t b, int32_t co) {
    const TDXF_PLinePoint v[] = {{-0.625, 0, kPi}, {0.625, 0, kPi}};
    m.AddBlockPLine(b, 0, 0, co, -1, -1, 1.25, 1.25, true, v);
}

}  // namespace

void DxfAddTenMarkerBlocks(TDXFmodel& m) {
    const double q = 1.25, t = 5.0 / 3;
    const auto define = [&m](int32_t code) { return m.AddBlockDef(JwString(JwTenMarkerName(code)), -1); };
    int32_t b = define(-1);
    for (double a : {90.0, 30.0, 150.0}) CrossLine(m, b, q, a);
    b = define(-2);
    m.AddBlockArc(b, 0, 0, -1, -1, -1, 0, 0, q, 1, 0, 0, 0);
    b = define(-4);
    m.AddBlockLine(b, 0, 0, -1, -1, -1, 0, q, 0, -q);
    m.AddBlockLine(b, 0, 0, -1, -1, -1, -q, 0, q, 0);
    b = define(-5);
    Outline(m, b, {{q, q}, {-q, q}, {-q, -q}, {q, -q}});
    b = define(-6);
    auto at = [t](double deg) {
        return std::pair<double, double>{t * std::cos(deg * kPi / 180), t * std::sin(deg * kPi / 180)};
    };
    Outline(m, b, {at(90), at(210), at(330)});
    b = define(-7);
    CrossLine(m, b, q, 45);
    CrossLine(m, b, q, 135);

    b = define(1);
    m.AddBlockSolid3(b, 0, 0, 255, 0, 0, -7.5, q, -7.5, -q);
    Outline(m, b, {{0, 0}, {-7.5, q}, {-7.5, -q}});
    b = define(2);
    m.AddBlockSolid4(b, 0, 0, 255, q, q, -q, q, -q, -q, q, -q);
    Outline(m, b, {{q, q}, {-q, q}, {-q, -q}, {q, -q}});
    b = define(3);
    Disc(m, b, 255);
    m.AddBlockArc(b, 0, 0, -1, -1, -1, 0, 0, q, 1, 0, 0, 0);
    b = define(4);
    m.AddBlockArc(b, 0, 0, -1, -1, -1, 0, 0, q, 1, 0, 0, 0);
    b = define(5);
    m.AddBlockSolid4(b, 0, 0, -1, q, q, -q, q, -q, -q, q, -q);
    b = define(6);
    m.AddBlockSolid3(b, 0, 0, -1, 0, 0, -7.5, q, -7.5, -q);
    b = define(7);
    Disc(m, b, -1);
    b = define(8);
    const double s = q * std::numbers::sqrt2;
    m.AddBlockArc(b, 0, 0, -1, -1, -1, s, 0, s, 1, 90, 90, 0);
    m.AddBlockArc(b, 0, 0, -1, -1, -1, -s, 0, s, 1, 270, 90, 0);
    b = define(9);
    m.AddBlockLine(b, 0, 0, -1, -1, -1, 0, 0, -7.5, q);
    m.AddBlockLine(b, 0, 0, -1, -1, -1, 0, 0, -7.5, -q);
    b = define(10);
    CrossLine(m, b, 2.5, 45);
    b = define(11);
    Outline(m, b, {{0, 0}, {-7.5, q}, {-7.5, -q}});
}

namespace {

class Converter {
public:
    Converter(const TJwwData& jw, TDXFmodel& m, const TgraAttribute& ga, const JwString& dstFolder)
        : jw_(jw), m_(m), ga_(ga), dstFolder_(dstFolder) {
        for (int32_t p = 0; p < static_cast<int32_t>(penArgb_.size()); ++p) {
            penArgb_[static_cast<size_t>(p)] = ga_.GetAttrColcol(p);
            penAci_[static_cast<size_t>(p)] = RgbToAci(penArgb_[static_cast<size_t>(p)]);
        }
        otherArgb_ = ga_.GetAttrColcol(-1);
        otherAci_ = RgbToAci(otherArgb_);
        shiftX_ = DxfOutPaperX / 2;
        shiftY_ = DxfOutPaperY / 2;
        base_ = std::clamp(DxfOutScaleGroup, 0, 15);
    }

    // The display colour of a pen and its colour index.
    bool PenKnown(int32_t pen) const { return pen >= 0 && pen < static_cast<int32_t>(penArgb_.size()); }
    uint32_t PenArgb(int32_t pen) const { return PenKnown(pen) ? penArgb_[static_cast<size_t>(pen)] : otherArgb_; }
    int32_t PenAci(int32_t pen) const { return PenKnown(pen) ? penAci_[static_cast<size_t>(pen)] : otherAci_; }

    // A solid of pen 10 has its own colour (red in the lowest byte).
    uint32_t SolidArgb(const TEntJwwSolid& s) const {
        const uint16_t pen = s.att.nPenColor;
        if (pen != 10) return PenArgb(pen);
        return JwOwnSolidArgb(s.Color);
    }
    int32_t SolidAci(const TEntJwwSolid& s) const {
        return s.att.nPenColor != 10 ? PenAci(s.att.nPenColor) : RgbToAci(SolidArgb(s));
    }

    void CountLayers(TJwLayerCount& lc) {
        lc.JWW_Init();
        lc.gnmaxr = base_;
        auto counted = [&](const TEntJwwAttr& a, bool withLtype) {
            const uint16_t pen = a.nPenColor;
            const uint8_t style = a.nPenStyle;
            if (pen == 9 || (withLtype && style == 9)) return;
            lc.JWW_CountUp(DxfGroupOf(a), DxfLayerOf(a), PenArgb(pen), withLtype ? style : -1);
        };
        const EntityListView c = EntityListOf(jw_);
        c.ForEach([&](int32_t kind, size_t i) {
            switch (kind) {
                case kEntLine: counted(c.line[i].att, true); break;
                case kEntEnko: counted(c.enko[i].att, true); break;
                case kEntTen: counted(c.ten[i].att, false); break;
                case kEntMoji: counted(c.moji[i].att, false); break;
                case kEntSunpo:
                    counted(c.sunpo[i].Sen.att, true);
                    counted(c.sunpo[i].Moji.att, false);
                    break;
                case kEntSolid: {
                    const TEntJwwSolid& s = c.solid[i];
                    const uint16_t pen = s.att.nPenColor;
                    if (pen != 9) lc.JWW_CountUp(DxfGroupOf(s.att), DxfLayerOf(s.att), SolidArgb(s), -1);
                    break;
                }
                default: break;
            }
        });
        lc.CaluMax();
    }

    void AddLayers(const TJwLayerCount& lc) {
        m_.ReserveLayers(4 + 256);  // the four standard layers and the drawing's
        DxfAddStdLayers(m_);
        for (int32_t i = 0; i < 256; ++i) {
            const int32_t g = i / 16;
            const JwString gname = static_cast<size_t>(g) < jw_.EntLgrp.size() ? jw_.EntLgrp[g].aStrGLayName : JwString();
            const JwString lname = static_cast<size_t>(i) < jw_.EntLay.size() ? jw_.EntLay[i].aStrLayName : JwString();
            const TJwLayerCount_Work& r = lc.w(i);
            const int32_t col = r.colman >= 0 ? r.colman + 1 : 7;
            const int32_t ltp = r.ltpman >= 0 ? r.ltpman : 1;
            const JwString name = m_.AdjustLayerName(g, i % 16, m_.DefautLayerName(i, gname, lname));
            m_.AddLayer(name, col, ltp, 0, DxfLayerShown(jw_, g, i % 16), true);
        }
    }

    void AddStyles() {
        DxfAddStdStyles(m_);
        if (DxfOutMojiStyle == 1) {
            m_.AddStyle(u"MOJI1", u"exthalf2.shx", u"extfont2.shx", 0, 1, 0, 2, false);
            m_.AddStyle(u"MOJI1T", u"exthalf2.shx", u"@extfont2.shx", 0, 1, 0, 2, true);
        } else if (DxfOutMojiStyle == 2) {
            for (size_t k = 0; k < HeldCount(jw_.FontNames, jw_.FontNameN); ++k) {
                const JwString n = IntStr(static_cast<int32_t>(k + 1));
                const JwString& f = jw_.FontNames[k];
                m_.AddStyle(u"MOJI" + n, f + u".ttf", JwString(), 0, 1, 0, 2, false);
                m_.AddStyle(u"MOJI" + n + u"T", u"@" + f + u".ttf", JwString(), 0, 1, 0, 2, true);
            }
        } else {
            m_.AddStyle(u"MOJI0", u"exthalf2.shx", u"extfont2.shx", 0, 1, 0, 2, false);
            m_.AddStyle(u"MOJI0T", u"exthalf2.shx", u"@extfont2.shx", 0, 1, 0, 2, true);
            for (int32_t k = 1; k <= 10; ++k) {
                double w = 1, h = 0;
                if (static_cast<size_t>(k - 1) < jw_.EntMoj.size()) {
                    const TEntJwwMojiType& t = jw_.EntMoj[static_cast<size_t>(k - 1)];
                    h = t.adMojiY;
                    if (std::isfinite(t.adMojiX) && std::isfinite(h) && h != 0) w = t.adMojiX / h;
                }
                const JwString n = IntStr(k);
                m_.AddStyle(u"MOJI" + n, u"exthalf2.shx", u"extfont2.shx", 0, w, 0, h, false);
                m_.AddStyle(u"MOJI" + n + u"T", u"exthalf2.shx", u"@extfont2.shx", 0, w, 0, h, true);
            }
        }
    }

    bool HasPoints() const {
        auto inContainer = [](const EntityListView& c) {
            if (c.tenN > 0) return true;
            for (size_t i = 0; i < c.sunpoN; ++i)
                if (c.sunpo[i].bSxfMode != 0) return true;
            return false;
        };
        if (inContainer(EntityListOf(jw_))) return true;
        for (size_t d = 0; d < HeldCount(jw_.EntBlockDef, jw_.EntBlockDefN); ++d)
            if (jw_.EntBlockDef[d].ref_flag && inContainer(EntityListOf(jw_.EntBlockDef[d]))) return true;
        return false;
    }

    void AddBlockDefs() {
        const size_t n = HeldCount(jw_.EntBlockDef, jw_.EntBlockDefN);
        defIdx_.assign(n, -1);
        for (size_t d = 0; d < n; ++d) {
            const TEntJwwBlockDef& def = jw_.EntBlockDef[d];
            if (!def.ref_flag) continue;
            const uint32_t number = def.nNumber;
            JwString name = def.strName;
            const size_t cut = name.find(u"@@SfigorgFlag@@");
            if (cut != JwString::npos) name.resize(cut);
            const int32_t idx = m_.AddBlockDef(name, static_cast<int32_t>(number));
            defIdx_[d] = idx;
            if (idx >= 0) byNumber_.emplace(number, idx);  // the first definition of a number wins
        }
    }

    // The layer-group placement, the rebuilt dimensions' blocks, the block
    // definitions, then every container: the top level and each used
    // definition, each with its image texts, its entities, its rebuilt
    // dimensions and its joined polylines in this order.
    void ConvertAll() {
        for (int32_t g = 0; g < 16; ++g)
            m_.deLgp[static_cast<size_t>(g)].sc =
                JwSafeScale(static_cast<size_t>(g) < jw_.EntLgrp.size() ? jw_.EntLgrp[g].adScale : 1.0);
        const int32_t mainGroup = std::clamp(DxfOutMainGroup, 0, 15);
        mainScale_ = m_.deLgp[static_cast<size_t>(mainGroup)].sc;
        m_.SetLgp(base_, mainGroup);

        // A definition must not contain itself, directly or through others:
        // the inserts that would close such a cycle are left out.
        closing_ = jw_.CycleClosingInserts();
        cut_ = 0;
        if (DxfOutDimension) DimensionBlocks();
        AddBlockDefs();
        // The drawing's records come in their kinds' numbers: room for them at once.
        const EntityListView top = EntityListOf(jw_);
        ReserveLarge(m_.de.No, top.noN);
        ReserveLarge(m_.de.Line, top.lineN);
        ReserveLarge(m_.de.Arc, top.enkoN);
        ReserveLarge(m_.de.Ten, top.tenN);
        ReserveLarge(m_.de.Moji, top.mojiN);
        Container(top, -1, -1);
        for (size_t d = 0; d < defIdx_.size(); ++d) {
            if (defIdx_[d] < 0) continue;
            m_.Pw_Init();
            Container(EntityListOf(jw_.EntBlockDef[d]), static_cast<int32_t>(d), defIdx_[d]);
        }
        if (cut_ > 0)
            m_.Warnings.push_back(std::to_string(cut_) + (cut_ == 1 ? " block insert" : " block inserts") +
                                  " left out: each would make a block definition contain itself");
        if (m_.Spa == 1) {
            BlockContentsExtents();
            m_.SetVPortArea();
        }
    }

private:
    const TJwwData& jw_;
    TDXFmodel& m_;
    const TgraAttribute& ga_;
    JwString dstFolder_;
    std::array<uint32_t, 357> penArgb_{};  // pens 0-356; any other pen has otherArgb_
    std::array<int32_t, 357> penAci_{};
    uint32_t otherArgb_ = 0;
    int32_t otherAci_ = 7;
    std::vector<int32_t> defIdx_;                     // Jw_cad definition -> DXF block (-1 unused)
    std::unordered_map<uint32_t, int32_t> byNumber_;  // Jw_cad block number -> DXF block
    double shiftX_ = 0, shiftY_ = 0;
    int32_t base_ = 0;
    double mainScale_ = 1;  // scale of the busiest group besides the reference one

    using Place = TJwPlace;

    // A rebuilt dimension: its group, its "*D" block, the placement of its
    // DIMENSION (which its block's members share) and what was recognised.
    struct Dimension {
        int32_t group = 0;
        int32_t block = -1;
        Place place;
        DxfDimRecognition rec;
    };
    std::unordered_map<int32_t, std::vector<Dimension>> dims_;  // by container (-1 top level), in ga order
    std::unordered_map<int32_t, std::vector<char>> taken_;      // members moved into "*D" blocks, by container
    std::vector<std::vector<char>> closing_;  // per definition, the inserts that would close a cycle
    int64_t cut_ = 0;                         // inserts left out for that
    const Place* forced_ = nullptr;  // while a "*D" block is filled: the placement of all its members

    // Placement of an entity of group g: top level (bn < 0) or in a block.
    Place PlaceOf(int32_t g, int32_t bn) const {
        if (forced_ != nullptr) return *forced_;
        const TDXF_LGroup& l = m_.deLgp[static_cast<size_t>(g)];
        Place p;
        p.g = g;
        p.top = p.shift = bn < 0;
        p.shiftX = shiftX_;
        p.shiftY = shiftY_;
        if (m_.Spa == 2) {
            p.sc = mainScale_;  // every group; the reference group's entities in a frame: see InFrame
            return p;
        }
        p.sc = l.sc;
        if (p.top) {
            p.dx = l.dx;
            p.dy = l.dy;
            p.sp = (m_.Spa == 1 && g == base_) ? 1 : 0;
        }
        return p;
    }
    // Space mode 2: a top-level entity of the reference group goes into the
    // layout of the frame it touches (test() answers the frame's index, -1
    // none), drawn 1:1 from the frame's lower-left corner.
    template <class Test>
    Place InFrame(Place p, Test&& test) const {
        if (m_.Spa != 2 || !p.top || p.g != base_) return p;
        const int32_t k = test();
        if (k < 0) return p;
        const TJwZumenWakuWork& f = m_.zw_w[static_cast<size_t>(k)];
        p.sp = k + 1;
        p.sc = 1;
        p.dx = -(f.x1 + shiftX_);
        p.dy = -(f.y1 + shiftY_);
        return p;
    }
    static double X(const Place& p, double x) { return p.X(x); }
    static double Y(const Place& p, double y) { return p.Y(y); }
    // Widens the viewport of the entity's group (space mode 1, top level).
    void View(const Place& p, double x, double y) {
        if (m_.Spa == 1 && p.top) m_.SetVPortMinMax(m_.deLgp[static_cast<size_t>(p.g)].n, p.Sx(x), p.Sy(y));
    }

    static int32_t LayerIndex(const TEntJwwAttr& a) { return DxfLayerIndex(a); }
    static int32_t LayerOf(const TEntJwwAttr& a, bool ltypeCounts) { return DxfLayerFor(a, ltypeCounts); }
    static int32_t Ltype(const TEntJwwAttr& a) { return PenStyleToLtype(a.nPenStyle); }
    static int32_t Width(const TEntJwwAttr& a) { return PenWidthToLineWeight(a.nPenWidth); }

    // The image texts, the entities not moved into a "*D" block, the
    // container's rebuilt dimensions and its joined polylines. d is the
    // Jw_cad definition (-1 the top level), bn its DXF block.
    void Container(const EntityListView& c, int32_t d, int32_t bn) {
        c.ForEach([&](int32_t kind, size_t i) {
            if (kind == kEntMoji && DxfIsImageText(c.moji[i].str)) Image(c.moji[i], bn);
        });
        const auto marks = taken_.find(d);
        const std::vector<char>* taken = marks == taken_.end() ? nullptr : &marks->second;
        const std::vector<char>* cuts = d >= 0 && static_cast<size_t>(d) < closing_.size() ? &closing_[d] : nullptr;
        for (size_t k = 0; k < c.noN; ++k) {
            if (!c.Valid(c.no[k]) || (taken != nullptr && (*taken)[k] != 0)) continue;
            const size_t i = static_cast<size_t>(c.no[k].EntNo);
            if (c.no[k].EntType == kEntBlock && cuts != nullptr && i < cuts->size() && (*cuts)[i] != 0) {
                ++cut_;  // would close a cycle
                continue;
            }
            Entity(c, c.no[k].EntType, i, bn, static_cast<int32_t>(k));
        }
        Dimensions(d, bn);
        Chains(bn);
    }

    void Entity(const EntityListView& c, int32_t kind, size_t i, int32_t bn, int32_t pos) {
        switch (kind) {
            case kEntLine:
                if (!Join(c.line[i], pos)) Line(c.line[i], bn);
                break;
            case kEntEnko:
                if (!Join(c.enko[i], pos)) Arc(c.enko[i], bn);
                break;
            case kEntTen: Ten(c.ten[i], bn); break;
            case kEntMoji: Moji(c.moji[i], bn); break;
            case kEntSunpo: Sunpo(c.sunpo[i], bn); break;
            case kEntSolid: Solid(c.solid[i], bn); break;
            case kEntBlock: Insert(c.block[i], bn); break;
            default: break;
        }
    }

    void AddLine(const Place& p, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t bn, double x1, double y1,
                 double x2, double y2) {
        if (p.top) {
            m_.AddLine(p.sp, ly, co, tp, wd, X(p, x1), Y(p, y1), X(p, x2), Y(p, y2));
            View(p, x1, y1);
            View(p, x2, y2);
        } else {
            m_.AddBlockLine(bn, 0, ly, co, tp, wd, X(p, x1), Y(p, y1), X(p, x2), Y(p, y2));
        }
    }

    void Line(const TEntJwwLine& l, int32_t bn) {
        const double x1 = l.start_x, y1 = l.start_y, x2 = l.end_x, y2 = l.end_y;
        if (DxfCoincide(x1, y1, x2, y2)) return;
        const Place p = InFrame(PlaceOf(DxfGroupOf(l.att), bn), [&] { return m_.Zw_ClipLine(x1, y1, x2, y2); });
        AddLine(p, LayerOf(l.att, true), PenAci(l.att.nPenColor), Ltype(l.att), Width(l.att), bn, x1, y1, x2, y2);
    }

    // ---- polyline joining ----

    // Hands a line of a curve group to the joining (true), unless joining is
    // off, it is drawn as a part of a dimension (0x20, 0x2000), or a "*D"
    // block is being filled.
    bool Join(const TEntJwwLine& l, int32_t pos) {
        const TEntJwwAttr& a = l.att;
        if (!DxfOutJoinLines || forced_ != nullptr || a.lGroup == 0 || (a.sFlg & 0x2020) != 0) return false;
        if (DxfCoincide(l.start_x, l.start_y, l.end_x, l.end_y)) return true;  // dropped as without joining
        m_.Pw_AddEnt(static_cast<int32_t>(a.lGroup), pos, 1, 16 * DxfGroupOf(a) + DxfLayerOf(a), a.nPenColor,
                     a.nPenStyle, a.nPenWidth, l.start_x, l.start_y, l.end_x, l.end_y, 0);
        return true;
    }

    // The same for a circular arc that is neither whole nor of zero sweep.
    bool Join(const TEntJwwEnko& e, int32_t pos) {
        const TEntJwwAttr& a = e.att;
        const double s = e.radEnkoKaku;
        if (!DxfOutJoinLines || forced_ != nullptr || a.lGroup == 0 || (a.sFlg & 0x60) != 0 ||
            !(std::fabs(e.dHenpeiRitsu - 1) <= 1e-12) || e.bZenEnFlg != 0 || !(std::fabs(s) > 1e-12) ||
            !(std::fabs(std::fabs(s) - 2 * kPi) > 1e-12))
            return false;
        const double a1 = e.radKaishiKaku + e.radKatamukiKaku, a2 = a1 + s, r = e.dHankei;
        m_.Pw_AddEnt(static_cast<int32_t>(a.lGroup), pos, 2, 16 * DxfGroupOf(a) + DxfLayerOf(a), a.nPenColor,
                     a.nPenStyle, a.nPenWidth, e.start_x + r * std::cos(a1), e.start_y + r * std::sin(a1),
                     e.start_x + r * std::cos(a2), e.start_y + r * std::sin(a2), s);
        return true;
    }

    // The chains of the container's curve groups, each as one polyline.
    void Chains(int32_t bn) {
        m_.Pw_Sort();
        std::vector<TDXF_PLinePoint> pts;
        for (const TDXF_PolyWorkSub& ch : m_.dpw2) {
            const int32_t g = std::clamp(ch.lay / 16, 0, 15);
            const Place p = InFrame(PlaceOf(g, bn), [&] {
                TJwBox b;
                for (const TDXF_PLinePoint& v : ch.v) b.Add(v.x, v.y);
                return m_.Zw_ClipSquare(b.x1, b.y1, b.x2, b.y1, b.x2, b.y2, b.x1, b.y2);
            });
            const int32_t ly = (ch.ltp == 9 || ch.col == 9) ? kLayHojo : ch.lay + kLayFirst;
            pts.clear();
            for (const TDXF_PLinePoint& v : ch.v) pts.push_back({X(p, v.x), Y(p, v.y), v.a});
            const int32_t co = PenAci(ch.col), tp = PenStyleToLtype(ch.ltp), wd = PenWidthToLineWeight(ch.wid);
            if (p.top) {
                m_.AddPLine(p.sp, ly, co, tp, wd, 0, 0, ch.clf, pts);
                for (const TDXF_PLinePoint& v : ch.v) View(p, v.x, v.y);
            } else {
                m_.AddBlockPLine(bn, 0, ly, co, tp, wd, 0, 0, ch.clf, pts);
            }
        }
        m_.Pw_Init();
    }

    // ---- rebuilt dimensions ----

    // Groups the drawing's dimension entities, recognises the groups, and
    // moves the members of each recognised group into a block "*D<n>", drawn
    // where its DIMENSION will stand.
    void DimensionBlocks() {
        std::vector<TGroupAttrField> groups = DxfDimensionGroups(jw_);
        std::vector<Dimension> found;
        for (size_t g = 0; g < groups.size(); ++g) {
            DxfDimRecognition rec = DxfRecogniseDimension(DxfDimContainer(jw_, groups[g].bn), groups[g]);
            if (rec.kind == DxfDimKind::None) continue;
            groups[g].dn = static_cast<int32_t>(found.size());
            found.push_back(Dimension{static_cast<int32_t>(g), -1, {}, std::move(rec)});
        }
        for (Dimension& dim : found) {
            const TGroupAttrField& g = groups[static_cast<size_t>(dim.group)];
            dim.block = m_.AddBlockDef(u"*D" + IntStr(g.dn), -1);
            if (dim.block < 0) continue;
            const DxfDimRecognition& r = dim.rec;
            dim.place = InFrame(PlaceOf(DxfGroupOf(*r.own), g.bn),
                                [&] { return m_.Zw_ClipLine(r.x1, r.y1, r.x2, r.y2); });
            Place members = dim.place;
            members.top = false;
            forced_ = &members;
            const EntityListView c = DxfDimContainer(jw_, g.bn);
            std::vector<char>& taken = taken_[g.bn];
            taken.resize(c.noN, 0);
            for (const int32_t pos : g.id) {
                const TEntJwwNo& n = c.no[static_cast<size_t>(pos)];
                Entity(c, n.EntType, static_cast<size_t>(n.EntNo), dim.block, pos);
                taken[static_cast<size_t>(pos)] = 1;
            }
            forced_ = nullptr;
            dims_[g.bn].push_back(std::move(dim));
        }
    }

    // The DIMENSIONs of container d (into DXF block bn, -1 the top level).
    void Dimensions(int32_t d, int32_t bn) {
        const auto it = dims_.find(d);
        if (it == dims_.end()) return;
        for (const Dimension& dim : it->second) {
            const Place& p = dim.place;
            const DxfDimRecognition& r = dim.rec;
            DxfDimPlace where{p.shift ? shiftX_ : 0, p.shift ? shiftY_ : 0, p.sc, p.dx, p.dy};
            TDXF_Dimension rec = DxfDimensionRecord(r, where);
            rec.bln = dim.block;
            const TEntJwwAttr& pen = *r.pen;
            rec.lay = (pen.nPenColor == 9 || pen.nPenStyle == 9) ? kLayHojo : LayerIndex(*r.own);
            rec.col = PenAci(pen.nPenColor);
            rec.typ = Ltype(pen);
            rec.wid = Width(pen);
            if (p.top) {
                rec.spc = p.sp;
                m_.AddDim(rec);
                for (const auto& [x, y] : DxfDimensionPoints(r)) View(p, x, y);
            } else {
                m_.AddBlockDim(bn, rec);
            }
        }
    }

    // An arc, circle or ellipse in Jw_cad terms (radians; sweep 0 or a full
    // flag: whole).
    void ArcShape(Place p, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t bn, double cx, double cy,
                  double r, double h, double tilt, double start, double sweep, bool whole) {
        const TJwArcShape shape = JwArcShapeOf(cx, cy, r, h, tilt, start, sweep, whole);
        if (!shape.ok) return;
        r = shape.r;
        h = shape.h;
        const double sa = shape.sa, da = shape.da, ka = shape.ka;
        p = InFrame(p, [&] { return m_.Zw_ClipArc(cx, cy, r, h, sa, da, ka); });
        if (p.top) {
            m_.AddArc(p.sp, ly, co, tp, wd, X(p, cx), Y(p, cy), r * p.sc, h, sa, da, ka);
            if (m_.Spa == 1) {
                // 33 points along the arc; a zero sweep is a whole turn.
                const double span = (da == 0 ? 360 : da) * kPi / 180, s0 = sa * kPi / 180, k0 = ka * kPi / 180;
                const double ck = std::cos(k0), sk = std::sin(k0);
                for (int k = 0; k <= 32; ++k) {
                    const double t = s0 + span * k / 32;
                    const double ex = r * std::cos(t), ey = r * h * std::sin(t);
                    View(p, cx + ex * ck - ey * sk, cy + ex * sk + ey * ck);
                }
            }
        } else {
            m_.AddBlockArc(bn, 0, ly, co, tp, wd, X(p, cx), Y(p, cy), r * p.sc, h, sa, da, ka);
        }
    }

    void Arc(const TEntJwwEnko& a, int32_t bn) {
        const Place p = PlaceOf(DxfGroupOf(a.att), bn);
        ArcShape(p, LayerOf(a.att, true), PenAci(a.att.nPenColor), Ltype(a.att), Width(a.att), bn, a.start_x,
                 a.start_y, a.dHankei, a.dHenpeiRitsu, a.radKatamukiKaku, a.radKaishiKaku, a.radEnkoKaku,
                 a.bZenEnFlg != 0);
    }

    void Ten(const TEntJwwTen& t, int32_t bn) {
        const double x = t.start_x, y = t.start_y;
        const Place p = InFrame(PlaceOf(DxfGroupOf(t.att), bn), [&] { return m_.Zw_ClipTen(x, y); });
        const int32_t ly = LayerOf(t.att, false);
        if (t.bKariten == 1) {
            const double r = DxfOutTenRadius * p.sc;
            if (!(r > 0)) return;
            if (p.top) {
                m_.AddArc(p.sp, ly, 0, 0, 0, X(p, x), Y(p, y), r, 1, 0, 0, 0);
                View(p, x, y);
            } else {
                m_.AddBlockArc(bn, 0, ly, 0, 0, 0, X(p, x), Y(p, y), r, 1, 0, 0, 0);
            }
            return;
        }
        const TJwPointMark mark = JwPointMarkOf(t, ga_);
        const int32_t code = mark.code;
        const double rot = mark.rot;
        const int32_t wd = code == 0 ? 5 : Width(t.att);
        const uint16_t pen = t.att.nPenColor;
        const double scale = mark.scale * p.sc;
        if (p.top) {
            m_.AddTen(p.sp, ly, PenAci(pen), wd, code, X(p, x), Y(p, y), rot, scale);
            View(p, x, y);
        } else {
            m_.AddBlockTen(bn, 0, ly, PenAci(pen), wd, code, X(p, x), Y(p, y), rot, scale);
        }
    }

    void Moji(const TEntJwwMoji& t, int32_t bn) {
        const double sx = t.start_x, sy = t.start_y, ex = t.end_x, ey = t.end_y;
        if (DxfCoincide(sx, sy, ex, ey) || DxfIsImageText(t.str)) return;
        const uint16_t flg = t.att.sFlg;
        const bool vertical = (flg & 0x20) != 0;
        // The text box: the text line and the same moved by the text height.
        const Place p = InFrame(PlaceOf(DxfGroupOf(t.att), bn), [&] {
            const double r = std::atan2(ey - sy, ex - sx), th = vertical ? t.dSizeX : t.dSizeY;
            const double nx = -th * std::sin(r), ny = th * std::cos(r);
            return m_.Zw_ClipSquare(sx, sy, ex, ey, ex + nx, ey + ny, sx + nx, sy + ny);
        });
        const int32_t ly = LayerOf(t.att, false);
        // The column of a vertical text is centred on Jw_cad's text line;
        // DXF's base line is one side of it (text styles of modes 0 and 1).
        const TJwTextLine l = JwTextLineOf(t, p, DxfOutMojiStyle < 2);
        const uint8_t bas = t.att.nPenStyle;
        const int32_t co = PenAci(t.att.nPenColor);
        if (p.top) {
            m_.AddMoji(p.sp, ly, co, l.typ, bas, l.fl, l.x1, l.y1, l.x2, l.y2, l.w, l.h, l.d, l.a, l.font, t.str);
            View(p, sx, sy);
            View(p, ex, ey);
        } else {
            m_.AddBlockMoji(bn, 0, ly, co, l.typ, bas, l.fl, l.x1, l.y1, l.x2, l.y2, l.w, l.h, l.d, l.a, l.font,
                            t.str);
        }
    }

    void Sunpo(const TEntJwwSunpo& s, int32_t bn) {
        Line(s.Sen, bn);
        Moji(s.Moji, bn);
        if (s.bSxfMode != 0) {
            Line(s.Ho1, bn);
            Line(s.Ho2, bn);
            Ten(s.Te1, bn);
            Ten(s.Te2, bn);
        }
    }

    void Solid(const TEntJwwSolid& s, int32_t bn) {
        Place p = PlaceOf(DxfGroupOf(s.att), bn);
        const int32_t ly = LayerOf(s.att, false);
        const int32_t co = SolidAci(s);
        const uint8_t style = s.att.nPenStyle;
        if (style < 101) {
            const double cx[4] = {s.start_x, s.DPoint2_x, s.DPoint3_x, s.end_x};
            const double cy[4] = {s.start_y, s.DPoint2_y, s.DPoint3_y, s.end_y};
            p = InFrame(p, [&] { return m_.Zw_ClipSquare(cx[0], cy[0], cx[1], cy[1], cx[2], cy[2], cx[3], cy[3]); });
            double x[4], y[4];
            const int n = JwSolidCorners(s, x, y);
            if (n == 2) {
                AddLine(p, ly, co, 1, Width(s.att), bn, x[0], y[0], x[1], y[1]);
                return;
            }
            if (n < 3) return;
            if (p.top) {
                if (n == 4)
                    m_.AddSolid4(p.sp, ly, co, X(p, x[0]), Y(p, y[0]), X(p, x[1]), Y(p, y[1]), X(p, x[2]), Y(p, y[2]),
                                 X(p, x[3]), Y(p, y[3]));
                else
                    m_.AddSolid3(p.sp, ly, co, X(p, x[0]), Y(p, y[0]), X(p, x[1]), Y(p, y[1]), X(p, x[2]), Y(p, y[2]));
                for (int k = 0; k < n; ++k) View(p, x[k], y[k]);
            } else if (n == 4) {
                m_.AddBlockSolid4(bn, 0, ly, co, X(p, x[0]), Y(p, y[0]), X(p, x[1]), Y(p, y[1]), X(p, x[2]),
                                  Y(p, y[2]), X(p, x[3]), Y(p, y[3]));
            } else {
                m_.AddBlockSolid3(bn, 0, ly, co, X(p, x[0]), Y(p, y[0]), X(p, x[1]), Y(p, y[1]), X(p, x[2]),
                                  Y(p, y[2]));
            }
            return;
        }
        if (style == 111) {
            // A filled circle or sector, written as its outline.
            ArcShape(p, ly, co, 1, Width(s.att), bn, s.start_x, s.start_y, s.end_x, s.end_y, s.DPoint2_x,
                     s.DPoint2_y, s.DPoint3_x, JwArcSolidWhole(s));
        }
    }

    void Insert(const TEntJwwBlock& b, int32_t bn) {
        const uint32_t number = b.nNumber;
        const auto it = byNumber_.find(number);
        if (it == byNumber_.end()) return;
        const double x = b.DPKijunTen_x, y = b.DPKijunTen_y;
        const Place p = InFrame(PlaceOf(DxfGroupOf(b.att), bn), [&] { return m_.Zw_ClipTen(x, y); });
        const int32_t ly = LayerOf(b.att, true);
        const double a = DxfNormDeg(Deg(b.radKaitenKaku));
        double bx = b.dBairitsuX, by = b.dBairitsuY;
        if (!std::isfinite(bx)) bx = 1;
        if (!std::isfinite(by)) by = 1;
        if (m_.Spa == 2 && p.sc != mainScale_) {
            // Block contents are drawn at the common scale; an insert placed
            // 1:1 in a frame's layout shrinks them back to paper size.
            bx *= p.sc / mainScale_;
            by *= p.sc / mainScale_;
        }
        const int32_t co = PenAci(b.att.nPenColor), tp = Ltype(b.att), wd = Width(b.att);
        if (p.top) {
            m_.AddBlock(p.sp, ly, co, tp, wd, it->second, X(p, x), Y(p, y), a, bx, by);
            View(p, x, y);
        } else {
            m_.AddBlockBlock(bn, 0, ly, co, tp, wd, it->second, X(p, x), Y(p, y), a, bx, by);
        }
    }

    // Image text "^@BM" + file + "," + width, ...: an IMAGE of the file.
    void Image(const TEntJwwMoji& t, int32_t bn) {
        const double sx = t.start_x, sy = t.start_y, ex = t.end_x, ey = t.end_y;
        if (DxfCoincide(sx, sy, ex, ey)) return;
        const TJwImageText image = JwImageTextOf(t.str);
        if (!image.ok) return;
        const double w = image.w;
        const bool linked = !image.bound;
        if (linked && DxfOutNoLinkedImages) return;
        const JwString path = JwImagePath(image.file, jw_.BindImageFolder, JwFileName);
        int32_t pxw = 0, pxh = 0;
        if (path.empty() || !DxfImagePixelSize(path, pxw, pxh)) return;
        const double h = w * pxh / pxw;
        const double a = image.rot;
        const double r = a * kPi / 180, c = std::cos(r), sn = std::sin(r);
        double cx[4], cy[4];  // the corners of the placed picture
        const double u[4] = {0, w, w, 0}, v[4] = {0, 0, h, h};
        for (int k = 0; k < 4; ++k) cx[k] = sx + u[k] * c - v[k] * sn, cy[k] = sy + u[k] * sn + v[k] * c;
        const Place p = InFrame(PlaceOf(DxfGroupOf(t.att), bn), [&] {
            return m_.Zw_ClipSquare(cx[0], cy[0], cx[1], cy[1], cx[2], cy[2], cx[3], cy[3]);
        });
        const double dw = w * p.sc, dh = h * p.sc;
        const int32_t listed = m_.AddFList(path, dstFolder_, pxw, pxh, dw, dh, 0);
        if (listed < 0) return;
        if (linked) m_.deFList[static_cast<size_t>(listed)].linked = true;
        const int32_t ly = LayerIndex(t.att);
        if (p.top) {
            m_.AddImage(p.sp, ly, X(p, sx), Y(p, sy), pxw, pxh, dw, dh, a, path);
            for (int k = 0; k < 4; ++k) View(p, cx[k], cy[k]);
        } else {
            m_.AddBlockImage(bn, 0, ly, X(p, sx), Y(p, sy), pxw, pxh, dw, dh, a, path);
        }
    }

    // Space mode 1: the contents of placed blocks widen the viewport of the
    // top-level insert that places them (each definition's own box, placed).
    void BlockContentsExtents() {
        const size_t nodeN = HeldCount(jw_.EntBlockTree, jw_.EntBlockTreeN);
        if (nodeN == 0) return;
        std::vector<TJwBox> boxes(defIdx_.size());
        std::vector<char> done(defIdx_.size(), 0);
        std::vector<int32_t> rootGroup(nodeN, 0);
        for (size_t k = 0; k < nodeN; ++k) {
            const TEntJwwBlockTree& node = jw_.EntBlockTree[k];
            const int32_t parent = node.parent;
            rootGroup[k] = (parent >= 0 && static_cast<size_t>(parent) < k) ? rootGroup[static_cast<size_t>(parent)]
                                                                             : DxfGroupOf(node.att);
            const int32_t d = node.defno;
            if (d < 0 || static_cast<size_t>(d) >= defIdx_.size()) continue;
            if (!done[d]) {
                boxes[d] = DefinitionBox(jw_.EntBlockDef[d]);
                done[d] = 1;
            }
            const TJwBox& b = boxes[d];
            if (b.Empty()) continue;
            Place p = PlaceOf(rootGroup[k], -1);
            for (const auto& [u, v] :
                 std::initializer_list<std::pair<double, double>>{{b.x1, b.y1}, {b.x2, b.y1}, {b.x2, b.y2}, {b.x1, b.y2}}) {
                const double x = node.r1 * u + node.r2 * v + node.x, y = node.r3 * u + node.r4 * v + node.y;
                if (std::isfinite(x) && std::isfinite(y)) View(p, x, y);
            }
        }
    }

    static TJwBox DefinitionBox(const TEntJwwBlockDef& d) {
        TJwBox b;
        const EntityListView c = EntityListOf(d);
        for (size_t i = 0; i < c.lineN; ++i) {
            b.Add(c.line[i].start_x, c.line[i].start_y);
            b.Add(c.line[i].end_x, c.line[i].end_y);
        }
        for (size_t i = 0; i < c.enkoN; ++i) {
            const double cx = c.enko[i].start_x, cy = c.enko[i].start_y, r = std::fabs(c.enko[i].dHankei);
            b.Add(cx - r, cy - r);
            b.Add(cx + r, cy + r);
        }
        for (size_t i = 0; i < c.tenN; ++i) b.Add(c.ten[i].start_x, c.ten[i].start_y);
        for (size_t i = 0; i < c.mojiN; ++i) {
            b.Add(c.moji[i].start_x, c.moji[i].start_y);
            b.Add(c.moji[i].end_x, c.moji[i].end_y);
        }
        for (size_t i = 0; i < c.sunpoN; ++i) {
            b.Add(c.sunpo[i].Sen.start_x, c.sunpo[i].Sen.start_y);
            b.Add(c.sunpo[i].Sen.end_x, c.sunpo[i].Sen.end_y);
        }
        for (size_t i = 0; i < c.solidN; ++i) {
            b.Add(c.solid[i].start_x, c.solid[i].start_y);
            if (c.solid[i].att.nPenStyle < 101) {
                b.Add(c.solid[i].end_x, c.solid[i].end_y);
                b.Add(c.solid[i].DPoint2_x, c.solid[i].DPoint2_y);
                b.Add(c.solid[i].DPoint3_x, c.solid[i].DPoint3_y);
            }
        }
        return b;
    }
};

// The folder of the DXF file, with a separator.
JwString FolderOf(const JwString& fname) {
    std::filesystem::path parent = NativePath(fname).parent_path();
    if (parent.empty()) parent = ".";
    return AddPathDelim(FromNativePath(parent));
}

}  // namespace

void JwsAsDrawing(const TJwsData& fig, TJwwData& dwg) {
    dwg.DataDefaultSet();
    const std::vector<TEntJwwMojiType> textTypes = dwg.EntMoj;
    static_cast<TJwEntities&>(dwg) = static_cast<const TJwEntities&>(fig);
    if (dwg.EntMoj.empty()) dwg.EntMoj = textTypes;  // a figure holds no text types
    dwg.Enthd.n1 = fig.Enthd.n1;  // the counts of the order list and of the definitions
    dwg.Enthd.n2 = fig.Enthd.n2;
}

bool TJwwData::FileOutDXF(const JwString& FName, int32_t Ver) {
    TDXFmodel m;
    JwwToDxfModel(*this, m, Ver, FName);
    const bool ok = m.SaveDXF(JwFileName, FName);
    LastError = m.LastError;
    DxfWarnings = m.Warnings;
    return ok;
}

void DxfSetMojiExpContext(const TJwwData& jw, const TgraAttribute& ga, TDXFmodel& m) {
    // The memo splits at its first line break.
    const JwString& memo = jw.Enthd.strMemo;
    JwString memo1 = memo, memo2;
    size_t brk = memo.find(u"\r\n");
    size_t brkLen = 2;
    if (brk == JwString::npos) {
        brk = memo.find_first_of(u"\r\n");
        brkLen = 1;
    }
    if (brk != JwString::npos) {
        memo1 = memo.substr(0, brk);
        memo2 = memo.substr(brk + brkLen);
    }
    std::array<double, 16> scales{};
    for (size_t g = 0; g < 16; ++g) scales[g] = g < jw.EntLgrp.size() ? jw.EntLgrp[g].adScale : 1.0;
    std::array<int32_t, 9> colors{};
    for (int32_t p = 1; p <= 9; ++p) colors[static_cast<size_t>(p - 1)] = RgbToAci(ga.GetAttrColcol(p));
    m.SetMojiExpInfo(DxfOutMojiExp1, DxfOutMojiExp2, JwFileName, memo1, memo2, DxfFileDateDays(JwFileName),
                     DxfNowDays(), jw.Enthd.lnDrawTime, jw.Enthd.dPrtBairitsu, scales, colors);
}

void JwwToDxfModel(TJwwData& jw, TDXFmodel& m, int32_t Ver, const JwString& FName) {
    m.DataInit();
    m.dstName = FName;  // the image copies never take the DXF's own name
    const int32_t ver = std::clamp(Ver, int32_t{kDxfR12}, int32_t{kDxf2007});
    m.SetDXFVer(ver, std::clamp(DxfOutSpace, 0, 2));
    m.SetAppName(DxfOutAppName);
    const int32_t base = std::clamp(DxfOutScaleGroup, 0, 15);
    m.SetPap(DxfOutPaperX / 2 + ZahyoMinX, DxfOutPaperY / 2 + ZahyoMinY, DxfOutPaperX / 2 + ZahyoMaxX,
             DxfOutPaperY / 2 + ZahyoMaxY, DxfOutPaperX, DxfOutPaperY);
    m.SetScale(JwSafeScale(static_cast<size_t>(base) < jw.EntLgrp.size() ? jw.EntLgrp[base].adScale : 1.0));

    // The display attributes give every pen colour; without a session a
    // freshly set-up table stands in.
    std::optional<TgraAttribute> fallback;
    if (JwGraAttr == nullptr) JwGraAttrSetup(fallback.emplace());
    const TgraAttribute& ga = JwGraAttr ? *JwGraAttr : *fallback;

    DxfSetMojiExpContext(jw, ga, m);
    m.SetLayerNameType(DxfOutLayerNameType);
    m.SetTenTransType(DxfOutTenType, DxfOutTenRadius);
    m.SetMojiStyle(DxfOutMojiStyle);

    // A bound image stored compressed is read and copied in its plain form.
    if (jw.BindImageN > 0) jw.BindImageExplode();

    Converter c(jw, m, ga, FolderOf(FName));
    DxfAddStdLtypes(m);
    DxfAddSxfLtypes(m);
    for (int32_t i = 17; i <= 32; ++i) {
        JwString name;
        int32_t segs = 2;
        std::array<double, 8> pat{};
        if (static_cast<size_t>(i) < jw.EntLtpS.size()) {
            const TEntJwwLineTypeExNo& t = jw.EntLtpS[static_cast<size_t>(i)];
            name = StrNoSpace(t.astrUDLTypeName);
            const int32_t n = t.anUDLTypeSegment;
            if (n == 2 || n == 4 || n == 6 || n == 8) segs = n;
            for (int32_t j = 0; j < segs; ++j) pat[static_cast<size_t>(j)] = t.aadUDLTypePitch[j];
        }
        for (int32_t j = 0; j < segs; ++j) {
            double v = std::fabs(pat[static_cast<size_t>(j)]);
            if (!(v >= 0.01)) v = 0.01;
            pat[static_cast<size_t>(j)] = j % 2 == 1 ? -v : v;
        }
        const JwString num = IntStr(i);
        m.AddLtype(u"SXF_" + (name.empty() ? u"LType_" + num : name), num + u" SXF-Extended",
                   std::span<const double>(pat.data(), static_cast<size_t>(segs)));
    }

    TJwLayerCount count;
    c.CountLayers(count);
    DxfOutMainGroup = count.gnmax;
    c.AddLayers(count);
    if (DxfOutMojiStyle == 2) jw.GetFontNames();
    c.AddStyles();
    if (c.HasPoints()) {
        DxfAddTenBlock(m);
        DxfAddTenMarkerBlocks(m);
    }
    if (m.Spa == 2) DxfFindFrames(jw, m);
    c.ConvertAll();
}

}  // namespace jw
