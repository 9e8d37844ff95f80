// SaveDXF: writes a TDXFmodel as an ASCII DXF of release R12 (AC1009), 2000
// (AC1015) or 2007 (AC1021).
//
// The file is one buffered pass: groups are formatted straight into a large
// buffer that goes to the output sink in blocks. Names that entities refer to
// (layers, line types, styles, blocks) are encoded once per save.
//
// Handles: DXFHnd is the next free handle. The numbers 1 .. Ltn + 5 are
// reserved for fixed objects of the OBJECTS section (placeholder, layouts, root
// dictionary, image dictionary and raster variables); tables, records, blocks
// and entities take the following ones in writing order. An entity that is
// not written (R12 and a further layout, a missing block, an unregistered
// image, an empty text) still consumes its handles, so one model gets the same
// handles in every release.
#include "dxf/dxf_writer.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <charconv>
#include <cmath>
#include <numbers>
#include <string>
#include <string_view>

#include "dxf/dxf_format.h"
#include "dxf/dxf_model.h"
#include "dxf/text_variables.h"
#include "support/file_io.h"
#include "support/numbers.h"
#include "support/paths.h"
#include "support/strings.h"
#include "support/text_encoding.h"

namespace jw {

void DxfSourceDates(const JwString& src, double& created, double& updated) {
    created = updated = 0;
    if (src.empty()) return;
    const std::string path = NativePath(src).string();
    struct statx sx {};
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_MTIME, &sx) != 0) return;
    if (!S_ISREG(sx.stx_mode)) return;
    updated = DxfLocalDays(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
    // File systems without a birth time give the last-write time for both.
    created = (sx.stx_mask & STATX_BTIME) ? DxfLocalDays(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec) : updated;
}

namespace {

constexpr double kPi = std::numbers::pi;
constexpr size_t kFlushSize = size_t{1} << 22;

// Output sink that collects the text in memory.
class StringSink : public OutputSink {
public:
    explicit StringSink(std::string& out) : out_(out) {}
    void Write(const uint8_t* data, size_t n) override { out_.append(reinterpret_cast<const char*>(data), n); }

private:
    std::string& out_;
};

inline bool Near(double v, double target) { return std::fabs(v - target) <= 1e-14; }

// Name of the i-th paper-space layout (i >= 1; at most Ltn, an int32_t).
JwString LayoutName(int64_t i) { return u"レイアウト" + IntStr(static_cast<int32_t>(i)); }

// True when s holds something besides spaces (U+0020, U+3000) and control characters.
bool HasVisible(std::u16string_view s) {
    for (char16_t c : s)
        if (c > 0x20 && c != 0x3000) return true;
    return false;
}

class DxfWriter {
public:
    DxfWriter(TDXFmodel& m, OutputSink& sink) : m_(m), sink_(sink) {
        const int32_t v = m.Ver < kDxfR12 ? kDxfR12 : (m.Ver > kDxf2007 ? kDxf2007 : m.Ver);
        r12_ = v == kDxfR12;
        v2007_ = v == kDxf2007;
        buf_.reserve(kFlushSize + 4096);
    }

    void Write(const JwString& src);

private:
    TDXFmodel& m_;
    OutputSink& sink_;
    std::string buf_;
    Bytes scratch_;
    bool r12_ = false;
    bool v2007_ = false;

    // Encoded names, once per save.
    std::vector<std::string> ltName_, layName_, stName_, blkName_;
    std::unordered_map<JwString, int32_t> ttfStyle_;  // font name -> style index (text-style mode 2)
    int32_t marker_[2][12];         // block index of _TRANS_TMARKER<n> [0] and _TRANS_TMARKER_<n> [1]

    // ---- output primitives ----
    void Flush() {
        if (buf_.size() >= kFlushSize) {
            sink_.Write(reinterpret_cast<const uint8_t*>(buf_.data()), buf_.size());
            buf_.clear();
        }
    }
    void Eol() { buf_.append("\r\n", 2); }
    void Code(int code) {
        char b[12];
        char* e = std::to_chars(b, b + sizeof b, code).ptr;
        const size_t n = static_cast<size_t>(e - b);
        if (n < 3) buf_.append(3 - n, ' ');
        buf_.append(b, n);
        Eol();
    }
    // Group with a literal value.
    void S(int code, std::string_view v) {
        Code(code);
        buf_.append(v);
        Eol();
    }
    // Integer right-aligned in `width` characters.
    void I(int code, int64_t v, size_t width = 6) {
        Code(code);
        char b[24];
        char* e = std::to_chars(b, b + sizeof b, v).ptr;
        const size_t n = static_cast<size_t>(e - b);
        if (n < width) buf_.append(width - n, ' ');
        buf_.append(b, n);
        Eol();
    }
    void I9(int code, int64_t v) { I(code, v, 9); }
    // Integer without padding.
    void IPlain(int code, int64_t v) { I(code, v, 0); }
    void R(int code, double v) {
        Code(code);
        char b[kDxfRealMax];
        buf_.append(b, DxfRealChars(v, b));
        Eol();
    }
    void H(int code, int64_t h) {
        Code(code);
        char b[24];
        char* e = std::to_chars(b, b + sizeof b, h, 16).ptr;
        for (char* p = b; p < e; ++p)
            if (*p >= 'a' && *p <= 'f') *p = static_cast<char>(*p - 'a' + 'A');
        buf_.append(b, static_cast<size_t>(e - b));
        Eol();
    }
    void P2(int code, double x, double y) {
        R(code, x);
        R(code + 10, y);
    }
    void P3(int code, double x, double y, double z = 0) {
        R(code, x);
        R(code + 10, y);
        R(code + 20, z);
    }
    // User text in the release's encoding (control characters dropped, as
    // they would break the line structure of the file).
    void Enc(std::u16string_view s, std::string& out);
    void T(int code, std::u16string_view s) {
        Code(code);
        Enc(s, buf_);
        Eol();
    }
    // A name that R12 writes in upper case.
    std::string Name(std::u16string_view s) {
        std::string out;
        if (r12_) {
            Enc(StrUpper(s), out);
        } else {
            Enc(s, out);
        }
        return out;
    }
    int32_t NewHandle() { return m_.DXFHnd++; }

    // ---- sections ----
    void Prepare();
    int64_t HandleSeed();
    void Header(int64_t seed, const JwString& src);
    void Classes();
    void Tables();
    void TableHead(std::string_view name, int32_t count, int32_t& handle);
    void RecordHead(std::string_view type, int32_t table, std::string_view subclass, int handleCode = 5);
    void Blocks();
    void BlockBegin(std::string_view name, int32_t owner, bool paper);
    void BlockEnd(int32_t owner, bool paper);
    void Objects();
    void ObjHead(std::string_view type, int64_t handle, int64_t owner);

    // ---- entities ----
    void Entities(TDXF_Entities& e, int32_t pass, int32_t owner);
    void* Record(TDXF_Entities& e, const TDXF_EntNo& n, int32_t& spc);
    void Entity(TDXF_Entities& e, const TDXF_EntNo& n, int32_t pass, int32_t owner);
    // The groups every entity starts with; an empty subclass is left out.
    void Head(std::string_view type, int32_t h, int32_t owner, int32_t spc, int32_t lay, std::string_view subclass);
    void Head(std::string_view type, int32_t h, int32_t owner, int32_t spc, std::string_view layer,
              std::string_view subclass);
    const std::string& Layer(int32_t lay) const;
    void Ltype(int32_t typ);
    // The first line type by name, for points drawn as circles or symbol blocks.
    void FirstLtype() {
        if (!ltName_.empty() && !ltName_[0].empty()) S(6, ltName_[0]);
    }
    void Color(int32_t col);
    void Weight(int32_t wid);
    // Line type, colour and line weight of an entity record.
    template <class Rec>
    void Pen(const Rec& r) {
        Ltype(r.typ);
        Color(r.col);
        Weight(r.wid);
    }
    // The world coordinate system as the UCS of a viewport (not in R12).
    void WorldUcs() {
        P3(110, 0, 0, 0);
        P3(111, 1, 0, 0);
        P3(112, 0, 1, 0);
        I(79, 0);
        R(146, 0);
    }
    // Extended data that marks a style as annotative (not in R12).
    void AnnotativeData() {
        S(1001, "AcadAnnotative");
        S(1000, "AnnotativeData");
        S(1002, "{");
        I(1070, 1);
        I(1070, 1);
        S(1002, "}");
    }
    void Line(const TDXF_Line& r, int32_t owner);
    void Circle(const TDXF_Circle& r, int32_t owner);
    void Arc(const TDXF_Arc& r, int32_t owner);
    void Ellipse(const TDXF_Ellipse& r, int32_t owner);
    void Ten(const TDXF_Ten& r, int32_t owner);
    void TenInsert(const TDXF_Ten& r, int32_t owner, int32_t h, int32_t block);
    void Solid3(const TDXF_Solid3& r, int32_t owner);
    void Solid4(const TDXF_Solid4& r, int32_t owner);
    void Moji(const TDXF_Moji& r, int32_t owner);
    void Image(TDXF_Image& r, int32_t owner);
    void PLine(const TDXF_PLine& r, int32_t owner);
    void Vport(const TDXF_ViewPort& r, int32_t owner);
    void Dim(const TDXF_Dimension& r, int32_t owner);
    void Insert(const TDXF_Block& r, int32_t owner);

    int32_t Ltn() const { return m_.Ltn < 2 ? 2 : m_.Ltn; }
    // Scale of the header and the active viewport.
    double E() const { return m_.Spa < 1 ? m_.pscale : m_.deLgp[0].sc; }
    bool HasImages() const { return !m_.deFList.empty(); }
};

void DxfWriter::Enc(std::u16string_view s, std::string& out) {
    if (!v2007_) {
        scratch_.clear();
        AnsiAppend(s, scratch_);
        // Code page 932 trail bytes are never below 0x40, so a byte below 0x20
        // is always a control character of its own.
        for (uint8_t b : scratch_)
            if (b >= 0x20) out.push_back(static_cast<char>(b));
        return;
    }
    const size_t n = s.size();
    for (size_t i = 0; i < n; ++i) {
        uint32_t c = s[i];
        if (c < 0x20) continue;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
}

// ---------------------------------------------------------------------------
// Preparation and the handle seed

void DxfWriter::Prepare() {
    ltName_.clear();
    for (const TDXF_Ltype& t : m_.ltps) ltName_.push_back(Name(t.nam));
    layName_.clear();
    for (const TDXF_Layer& l : m_.lays) {
        std::string s;
        Enc(l.nam, s);
        layName_.push_back(std::move(s));
    }
    stName_.clear();
    for (const TDXF_Style& s : m_.msts) stName_.push_back(Name(s.nam));
    blkName_.clear();
    for (const TDXF_BlockDef& b : m_.deBlockDef) blkName_.push_back(Name(b.nam));
    ttfStyle_.clear();
    for (int k = 1; k <= 11; ++k) {
        marker_[0][k] = m_.GetBlockIdx(u"_TRANS_TMARKER" + IntStr(k));
        marker_[1][k] = m_.GetBlockIdx(u"_TRANS_TMARKER_" + IntStr(k));
    }
    marker_[0][0] = marker_[1][0] = -1;
    // Handles of an earlier save must not leak into this one.
    for (TDXF_Image& im : m_.de.Imag) im.hnd = 0;
    for (TDXF_BlockDef& b : m_.deBlockDef)
        for (TDXF_Image& im : b.dm.Imag) im.hnd = 0;
    for (TDXF_FileNameList& f : m_.deFList) f.hnd = 0;
}

namespace {

// Handles an entity container consumes at most (every entity written once).
int64_t ContentHandles(const TDXF_Entities& e) {
    int64_t n = static_cast<int64_t>(e.No.size()) + static_cast<int64_t>(e.Imag.size());
    for (const TDXF_PLine& p : e.PLin) n += static_cast<int64_t>(p.v.size()) + 1;
    return n;
}

}  // namespace

int64_t DxfWriter::HandleSeed() {
    const int64_t ltn = Ltn();
    const int64_t nb = static_cast<int64_t>(m_.deBlockDef.size());
    const int64_t ltpn = static_cast<int64_t>(m_.ltps.size());
    const int64_t layn = static_cast<int64_t>(m_.lays.size());
    const int64_t mstn = static_cast<int64_t>(m_.msts.size());
    int64_t h = m_.DXFHnd;
    h += r12_ ? ltn + 5 : ltpn + layn + mstn + 2 * ltn + nb + 27;
    h += 6;
    int64_t content = 0;
    for (const TDXF_BlockDef& b : m_.deBlockDef) content += ContentHandles(b.dm) + 2;
    content += ContentHandles(m_.de);
    h += content;
    // The count above runs short when there are many layouts; never hand out
    // a seed below the handles actually used.
    const int64_t tables = r12_ ? 0 : 22 + ltpn + layn + mstn + ltn + nb;
    const int64_t needed = m_.DXFHnd + tables + 2 * (ltn + 1) + content;
    if (h < needed) h = needed;
    if (!r12_) {
        h += 3;
        for (TDXF_FileNameList& f : m_.deFList) f.hnd = static_cast<int32_t>(++h);
    }
    return h + 1;
}

// ---------------------------------------------------------------------------
// Top level

void DxfWriter::Write(const JwString& src) {
    m_.DXFHnd = 1;
    m_.srcName = src;
    m_.hn_blk = 0;
    Prepare();
    m_.DXFHnd = Ltn() + 6;

    T(999, m_.AppNam);

    const int64_t seed = HandleSeed();
    Header(seed, src);
    if (!r12_) Classes();
    Tables();
    Blocks();
    S(0, "SECTION");
    S(2, "ENTITIES");
    Entities(m_.de, 0, 0);
    S(0, "ENDSEC");
    if (!r12_) Objects();
    S(0, "EOF");
    if (!buf_.empty()) sink_.Write(reinterpret_cast<const uint8_t*>(buf_.data()), buf_.size());
    buf_.clear();
}

// ---------------------------------------------------------------------------
// HEADER

void DxfWriter::Header(int64_t seed, const JwString& src) {
    const bool r12 = r12_, v2k = !r12_, v2007 = v2007_;
    const double e = E();
    auto var = [&](std::string_view name) { S(9, name); };
    auto vi = [&](std::string_view name, int code, int64_t v) { var(name); I(code, v); };
    auto vr = [&](std::string_view name, int code, double v) { var(name); R(code, v); };
    auto vs = [&](std::string_view name, int code, std::string_view v) { var(name); S(code, v); };
    auto vp3 = [&](std::string_view name, double x, double y, double z) { var(name); P3(10, x, y, z); };
    auto vp2 = [&](std::string_view name, double x, double y) { var(name); P2(10, x, y); };

    S(0, "SECTION");
    S(2, "HEADER");
    vs("$ACADVER", 1, r12 ? "AC1009" : (v2007 ? "AC1021" : "AC1015"));
    if (v2k) vi("$ACADMAINTVER", 70, v2007 ? 25 : 20);
    vs("$DWGCODEPAGE", 3, "ANSI_932");
    if (v2007) vs("$LASTSAVEDBY", 1, "zumenscope");
    vp3("$INSBASE", 0, 0, 0);
    vp3("$EXTMIN", m_.MinWx * e, m_.MinWy * e, 0);
    vp3("$EXTMAX", m_.MaxWx * e, m_.MaxWy * e, 0);
    vp2("$LIMMIN", 0, 0);
    vp2("$LIMMAX", m_.papx * e, m_.papy * e);
    vi("$ORTHOMODE", 70, 0);
    vi("$REGENMODE", 70, 1);
    vi("$FILLMODE", 70, 1);
    vi("$QTEXTMODE", 70, 0);
    vi("$MIRRTEXT", 70, 0);
    if (r12) vi("$DRAGMODE", 70, 2);
    vr("$LTSCALE", 40, e);
    if (r12) vi("$OSMODE", 70, 37);
    vi("$ATTMODE", 70, 1);
    vr("$TEXTSIZE", 40, 2.5);
    vs("$TRACEWID", 40, "1.0");
    vs("$TEXTSTYLE", 7, r12 ? "STANDARD" : "Standard");
    vs("$CLAYER", 8, "0");
    vs("$CELTYPE", 6, r12 ? "BYLAYER" : "ByLayer");
    vi("$CECOLOR", 62, 256);
    if (v2k) {
        vr("$CELTSCALE", 40, 1);
        vi("$DISPSILH", 70, 0);
    }
    vr("$DIMSCALE", 40, 1);
    vr("$DIMASZ", 40, 2.5);
    vr("$DIMEXO", 40, 0.625);
    vr("$DIMDLI", 40, 3.75);
    vr("$DIMRND", 40, 0);
    vr("$DIMDLE", 40, 0);
    vr("$DIMEXE", 40, 1.25);
    vr("$DIMTP", 40, 0);
    vr("$DIMTM", 40, 0);
    vr("$DIMTXT", 40, 2.5);
    vr("$DIMCEN", 40, 2.5);
    vr("$DIMTSZ", 40, 0);
    vi("$DIMTOL", 70, 0);
    vi("$DIMLIM", 70, 0);
    vi("$DIMTIH", 70, 0);
    vi("$DIMTOH", 70, 0);
    vi("$DIMSE1", 70, 0);
    vi("$DIMSE2", 70, 0);
    vi("$DIMTAD", 70, 1);
    vi("$DIMZIN", 70, 8);
    vs("$DIMBLK", 1, "");
    vi("$DIMASO", 70, 1);
    vi("$DIMSHO", 70, 1);
    vs("$DIMPOST", 1, "");
    vs("$DIMAPOST", 1, "");
    vi("$DIMALT", 70, 0);
    vi("$DIMALTD", 70, 3);
    vr("$DIMALTF", 40, 0.03937007874016);
    vr("$DIMLFAC", 40, 1);
    vi("$DIMTOFL", 70, 1);
    vr("$DIMTVP", 40, 0);
    vi("$DIMTIX", 70, 0);
    vi("$DIMSOXD", 70, 0);
    vi("$DIMSAH", 70, 0);
    vs("$DIMBLK1", 1, "");
    vs("$DIMBLK2", 1, "");
    vs("$DIMSTYLE", 2, "ISO-25");
    vi("$DIMCLRD", 70, 0);
    vi("$DIMCLRE", 70, 0);
    vi("$DIMCLRT", 70, 0);
    vr("$DIMTFAC", 40, 1);
    vr("$DIMGAP", 40, 0.625);
    if (v2k) {
        vi("$DIMJUST", 70, 0);
        vi("$DIMSD1", 70, 0);
        vi("$DIMSD2", 70, 0);
        vi("$DIMTOLJ", 70, 0);
        vi("$DIMTZIN", 70, 8);
        vi("$DIMALTZ", 70, 0);
        vi("$DIMALTTZ", 70, 0);
        vi("$DIMUPT", 70, 0);
        vi("$DIMDEC", 70, 2);
        vi("$DIMTDEC", 70, 2);
        vi("$DIMALTU", 70, 2);
        vi("$DIMALTTD", 70, 3);
        vs("$DIMTXSTY", 7, "Standard");
        vi("$DIMAUNIT", 70, 0);
        vi("$DIMADEC", 70, 0);
        vr("$DIMALTRND", 40, 0);
        vi("$DIMAZIN", 70, 0);
        vi("$DIMDSEP", 70, 44);
        vi("$DIMATFIT", 70, 3);
        vi("$DIMFRAC", 70, 0);
        vs("$DIMLDRBLK", 1, "");
        vi("$DIMLUNIT", 70, 2);
        vi("$DIMLWD", 70, -2);
        vi("$DIMLWE", 70, -2);
        vi("$DIMTMOVE", 70, 0);
    }
    if (v2007) {
        vr("$DIMFXL", 40, 1);
        vi("$DIMFXLON", 70, 0);
        vs("$DIMJOGANG", 40, "0.7853981633974483");
        vi("$DIMTFILL", 70, 0);
        vi("$DIMTFILLCLR", 70, 0);
        vi("$DIMARCSYM", 70, 0);
        vs("$DIMLTYPE", 6, "");
        vs("$DIMLTEX1", 6, "");
        vs("$DIMLTEX2", 6, "");
    }
    vi("$LUNITS", 70, 2);
    vi("$LUPREC", 70, 4);
    vr("$SKETCHINC", 40, 1);
    vr("$FILLETRAD", 40, 0);
    vi("$AUNITS", 70, 0);
    vi("$AUPREC", 70, 0);
    vs("$MENU", 1, ".");
    vr("$ELEVATION", 40, 0);
    vr("$PELEVATION", 40, 0);
    vr("$THICKNESS", 40, 0);
    vi("$LIMCHECK", 70, 0);
    if (r12) vi("$BLIPMODE", 70, 0);
    vr("$CHAMFERA", 40, 0);
    vr("$CHAMFERB", 40, 0);
    if (v2k) {
        vr("$CHAMFERC", 40, 0);
        vr("$CHAMFERD", 40, 0);
    }
    vi("$SKPOLY", 70, 0);

    double created = 0, updated = 0;
    DxfSourceDates(src, created, updated);
    vr("$TDCREATE", 40, created + 2444240);
    if (v2k) vr("$TDUCREATE", 40, created + 2444240 - 0.375);
    vr("$TDUPDATE", 40, updated + 2444240);
    if (v2k) vr("$TDUUPDATE", 40, updated + 2444240 - 0.375);
    vr("$TDINDWG", 40, updated - created);
    vr("$TDUSRTIMER", 40, updated - created);
    vi("$USRTIMER", 70, 1);

    vr("$ANGBASE", 50, 0);
    vi("$ANGDIR", 70, 0);
    vi("$PDMODE", 70, 0);
    vr("$PDSIZE", 40, 0);
    vr("$PLINEWID", 40, 0);
    if (r12) vi("$COORDS", 70, 1);
    vi("$SPLFRAME", 70, 0);
    vi("$SPLINETYPE", 70, 6);
    vi("$SPLINESEGS", 70, 8);
    if (r12) {
        vi("$ATTDIA", 70, 0);
        vi("$ATTREQ", 70, 1);
        vi("$HANDLING", 70, 1);
    }
    var("$HANDSEED");
    H(5, seed);
    vi("$SURFTAB1", 70, 6);
    vi("$SURFTAB2", 70, 6);
    vi("$SURFTYPE", 70, 6);
    vi("$SURFU", 70, 6);
    vi("$SURFV", 70, 6);

    static constexpr std::string_view ucsOrg[] = {"TOP", "BOTTOM", "LEFT", "RIGHT", "FRONT", "BACK"};
    for (const std::string_view pre : {std::string_view("$UCS"), std::string_view("$PUCS")}) {
        auto name = [&](std::string_view tail) {
            std::string n(pre);
            n.append(tail);
            return n;
        };
        if (v2k) vs(name("BASE"), 2, "");
        vs(name("NAME"), 2, "");
        vp3(name("ORG"), 0, 0, 0);
        vp3(name("XDIR"), 1, 0, 0);
        vp3(name("YDIR"), 0, 1, 0);
        if (v2k) {
            vs(name("ORTHOREF"), 2, "");
            vi(name("ORTHOVIEW"), 70, 0);
            for (const std::string_view o : ucsOrg) vp3(name("ORG") + std::string(o), 0, 0, 0);
        }
    }

    for (const std::string_view n : {"$USERI1", "$USERI2", "$USERI3", "$USERI4", "$USERI5"}) vi(n, 70, 0);
    for (const std::string_view n : {"$USERR1", "$USERR2", "$USERR3", "$USERR4", "$USERR5"}) vr(n, 40, 0);
    vi("$WORLDVIEW", 70, 1);
    vi("$SHADEDGE", 70, 3);
    vi("$SHADEDIF", 70, 70);
    vi("$TILEMODE", 70, 1);
    vi("$MAXACTVP", 70, 64);
    if (v2k) vp3("$PINSBASE", 0, 0, 0);
    vi("$PLIMCHECK", 70, 0);
    vp3("$PEXTMIN", 0, 0, 0);
    vp3("$PEXTMAX", 0, 0, 0);
    vp2("$PLIMMIN", 0, 0);
    vp2("$PLIMMAX", 12, 9);
    vi("$UNITMODE", 70, 0);
    vi("$VISRETAIN", 70, 1);
    vi("$PLINEGEN", 70, 0);
    vi("$PSLTSCALE", 70, 1);
    if (v2k) {
        vi("$TREEDEPTH", 70, 3020);
        vs("$CMLSTYLE", 2, "Standard");
        vi("$CMLJUST", 70, 0);
        vr("$CMLSCALE", 40, 20);
        vi("$PROXYGRAPHICS", 70, 1);
        vi("$MEASUREMENT", 70, 1);
        vi("$CELWEIGHT", 370, -1);
        vi("$ENDCAPS", 280, 0);
        vi("$JOINSTYLE", 280, 0);
        vi("$LWDISPLAY", 290, 0);
        vi("$INSUNITS", 70, 4);
        vs("$HYPERLINKBASE", 1, "");
        vs("$STYLESHEET", 1, "");
        vi("$XEDIT", 290, 1);
        vi("$CEPSNTYPE", 380, 0);
        vi("$PSTYLEMODE", 290, 1);
        vs("$FINGERPRINTGUID", 2, "{6019E739-C788-4E54-93F8-ECD6D3CB3CA4}");
        vs("$VERSIONGUID", 2, "{B40E65E2-8CF7-4087-AAED-9AA55CE0143C}");
        vi("$EXTNAMES", 290, 1);
        vr("$PSVPSCALE", 40, 0);
        vi("$OLESTARTUP", 290, 0);
    }
    if (v2007) {
        vi("$SORTENTS", 280, 127);
        vi("$INDEXCTL", 280, 0);
        vi("$HIDETEXT", 280, 1);
        vi("$XCLIPFRAME", 290, 0);
        vi("$HALOGAP", 280, 0);
        vi("$OBSCOLOR", 70, 257);
        vi("$OBSLTYPE", 280, 0);
        vi("$INTERSECTIONDISPLAY", 280, 0);
        vi("$INTERSECTIONCOLOR", 70, 257);
        vi("$DIMASSOC", 280, 2);
        vs("$PROJECTNAME", 1, "");
        vi("$CAMERADISPLAY", 290, 0);
        vr("$LENSLENGTH", 40, 50);
        vr("$CAMERAHEIGHT", 40, 0);
        vr("$STEPSPERSEC", 40, 2);
        vr("$STEPSIZE", 40, 6);
        vr("$3DDWFPREC", 40, 2);
        vr("$PSOLWIDTH", 40, 5);
        vr("$PSOLHEIGHT", 40, 80);
        vs("$LOFTANG1", 40, "1.570796326794896");
        vs("$LOFTANG2", 40, "1.570796326794896");
        vr("$LOFTMAG1", 40, 0);
        vr("$LOFTMAG2", 40, 0);
        vi("$LOFTPARAM", 70, 7);
        vi("$LOFTNORMALS", 280, 1);
        vr("$LATITUDE", 40, 37.795);
        vr("$LONGITUDE", 40, -122.394);
        vr("$NORTHDIRECTION", 40, 0);
        vi("$TIMEZONE", 70, -8000);
        vi("$LIGHTGLYPHDISPLAY", 280, 1);
        vi("$TILEMODELIGHTSYNCH", 280, 1);
        vs("$CMATERIAL", 347, "EC");
        vi("$SOLIDHIST", 280, 1);
        vi("$SHOWHIST", 280, 1);
        vi("$DWFFRAME", 280, 2);
        vi("$DGNFRAME", 280, 0);
        vi("$REALWORLDSCALE", 290, 1);
        vi("$INTERFERECOLOR", 62, 1);
        vs("$INTERFEREOBJVS", 345, "F9");
        vs("$INTERFEREVPVS", 346, "F6");
        vi("$CSHADOW", 280, 0);
        vr("$SHADOWPLANELOCATION", 40, 0);
    }
    S(0, "ENDSEC");
}

// ---------------------------------------------------------------------------
// CLASSES

void DxfWriter::Classes() {
    struct Cls {
        std::string_view name, cpp;
        bool ism;
        int flags, count, entity;
        int when;  // 0 always, 1 release 2000 only, 2 when images exist
    };
    static constexpr Cls classes[] = {
        {"ACDBDICTIONARYWDFLT", "AcDbDictionaryWithDefault", false, 0, 1, 0, 0},
        {"ACDBPLACEHOLDER", "AcDbPlaceHolder", false, 0, 0, 0, 1},
        {"LAYOUT", "AcDbLayout", false, 0, 0, 0, 1},
        {"DICTIONARYVAR", "AcDbDictionaryVar", false, 0, 5, 0, 0},
        {"TABLESTYLE", "AcDbTableStyle", false, 4095, 1, 0, 0},
        {"MATERIAL", "AcDbMaterial", false, 1153, 3, 0, 0},
        {"VISUALSTYLE", "AcDbVisualStyle", false, 4095, 16, 0, 0},
        {"SCALE", "AcDbScale", false, 1153, 33, 0, 0},
        {"MLEADERSTYLE", "AcDbMLeaderStyle", false, 4095, 2, 0, 0},
        {"CELLSTYLEMAP", "AcDbCellStyleMap", false, 1152, 5, 0, 0},
        {"RASTERVARIABLES", "AcDbRasterVariables", true, 0, 4, 0, 2},
        {"IMAGEDEF", "AcDbRasterImageDef", true, 0, 4, 0, 2},
        {"IMAGE", "AcDbRasterImage", true, 127, 5, 1, 2},
        {"IMAGEDEF_REACTOR", "AcDbRasterImageDefReactor", true, 1, 4, 0, 2},
    };
    S(0, "SECTION");
    S(2, "CLASSES");
    for (const Cls& c : classes) {
        if (c.when == 1 && v2007_) continue;
        if (c.when == 2 && !HasImages()) continue;
        S(0, "CLASS");
        S(1, c.name);
        S(2, c.cpp);
        S(3, c.ism ? "ISM" : "ObjectDBX Classes");
        I9(90, c.flags);
        if (v2007_) I9(91, c.count);
        I(280, 0);
        I(281, c.entity);
    }
    S(0, "ENDSEC");
}

// ---------------------------------------------------------------------------
// TABLES

void DxfWriter::TableHead(std::string_view name, int32_t count, int32_t& handle) {
    S(0, "TABLE");
    S(2, name);
    handle = 0;
    if (!r12_) {
        handle = NewHandle();
        H(5, handle);
        S(330, "0");
        S(100, "AcDbSymbolTable");
    }
    I(70, count);
}

void DxfWriter::RecordHead(std::string_view type, int32_t table, std::string_view subclass, int handleCode) {
    S(0, type);
    if (r12_) return;
    H(handleCode, NewHandle());
    H(330, table);
    S(100, "AcDbSymbolTableRecord");
    S(100, subclass);
}

void DxfWriter::Tables() {
    const double e = E();
    int32_t th = 0;
    S(0, "SECTION");
    S(2, "TABLES");

    // VPORT
    TableHead("VPORT", 1, th);
    RecordHead("VPORT", th, "AcDbViewportTableRecord");
    S(2, "*Active");
    I(70, 0);
    P2(10, 0, 0);
    P2(11, 1, 1);
    P2(12, m_.papx / 2 * e, m_.papy / 2 * e);
    P2(13, 0, 0);
    P2(14, 10, 10);
    P2(15, 10, 10);
    P3(16, 0, 0, 1);
    P3(17, 0, 0, 0);
    R(40, m_.papy * e);
    R(41, m_.papx / m_.papy);
    R(42, 50);
    R(43, 0);
    R(44, 0);
    R(50, 0);
    R(51, 0);
    I(71, 0);
    I(72, 1000);
    I(73, 1);
    I(74, 3);
    I(75, 0);
    I(76, 0);
    I(77, 0);
    I(78, 0);
    if (!r12_) {
        I(281, 0);
        I(65, 1);
        WorldUcs();
    }
    if (v2007_) {
        S(348, "F5");
        I(60, 2);
        I(61, 5);
        I(292, 1);
        I(282, 1);
        R(141, 0);
        R(142, 0);
        I(63, 250);
        S(421, "  3355443");
    }
    S(0, "ENDTAB");

    // LTYPE
    TableHead("LTYPE", static_cast<int32_t>(m_.ltps.size()), th);
    if (!r12_) {
        for (const std::string_view n : {"ByBlock", "ByLayer"}) {
            RecordHead("LTYPE", th, "AcDbLinetypeTableRecord");
            S(2, n);
            I(70, 0);
            S(3, "");
            I(72, 65);
            I(73, 0);
            R(40, 0);
        }
    }
    for (size_t i = 0; i < m_.ltps.size(); ++i) {
        const TDXF_Ltype& t = m_.ltps[i];
        RecordHead("LTYPE", th, "AcDbLinetypeTableRecord");
        S(2, ltName_[i]);
        I(70, 0);
        T(3, t.exp);
        I(72, 65);
        I(73, static_cast<int64_t>(t.pt.size()));
        R(40, t.pl);
        for (double v : t.pt) {
            R(49, v);
            if (!r12_) I(74, 0);
        }
    }
    S(0, "ENDTAB");

    // LAYER
    TableHead("LAYER", static_cast<int32_t>(m_.lays.size()), th);
    for (size_t i = 0; i < m_.lays.size(); ++i) {
        const TDXF_Layer& l = m_.lays[i];
        RecordHead("LAYER", th, "AcDbLayerTableRecord");
        S(2, layName_[i]);
        I(70, 0);
        I(62, l.dsp ? l.col : -static_cast<int64_t>(l.col));
        const bool ltOk = l.ltp >= 1 && l.ltp <= static_cast<int32_t>(ltName_.size());
        S(6, ltOk ? std::string_view(ltName_[l.ltp - 1]) : std::string_view(r12_ ? "CONTINUOUS" : "Continuous"));
        if (!l.prn) I(290, 0);
        I(370, l.wid == 0 ? -3 : l.wid);
        S(390, "1");
    }
    S(0, "ENDTAB");

    // STYLE
    int32_t styleTable = 0;
    TableHead("STYLE", static_cast<int32_t>(m_.msts.size()), styleTable);
    for (size_t i = 0; i < m_.msts.size(); ++i) {
        const TDXF_Style& s = m_.msts[i];
        RecordHead("STYLE", styleTable, "AcDbTextStyleTableRecord");
        S(2, stName_[i]);
        I(70, s.fla ? 4 : 0);
        R(40, s.mh);
        R(41, s.mw);
        R(50, s.ang);
        I(71, 0);
        R(42, s.mhl);
        S(3, Name(s.fo1));
        S(4, Name(s.fo2));
        if (FileExtLower(s.fo1) == u".ttf") {
            S(1001, "ACAD");
            S(1000, Name(s.fo1.substr(0, s.fo1.size() - 4)));
            S(1071, "    32817");
        }
        if (i == 1 && !r12_) AnnotativeData();
    }
    S(0, "ENDTAB");

    // VIEW, UCS
    TableHead("VIEW", 0, th);
    S(0, "ENDTAB");
    TableHead("UCS", 0, th);
    S(0, "ENDTAB");

    // APPID
    TableHead("APPID", 7, th);
    for (const std::string_view n : {"ACAD", "ACAD_PSEXT", "AcadAnnoPO", "AcadAnnotative", "ACAD_DSTYLE_DIMJAG",
                                     "ACAD_DSTYLE_DIMTALN", "ACAD_MLEADERVER"}) {
        RecordHead("APPID", th, "AcDbRegAppTableRecord");
        if (r12_) {
            std::string up(n);
            for (char& c : up)
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            S(2, up);
        } else {
            S(2, n);
        }
        I(70, 0);
    }
    S(0, "ENDTAB");

    // DIMSTYLE
    TableHead("DIMSTYLE", 2, th);
    if (!r12_) {
        S(100, "AcDbDimStyleTable");
        I(71, 2);
        H(340, m_.DXFHnd);
        H(340, m_.DXFHnd + 1);
    }
    for (int k = 0; k < 2; ++k) {
        const bool iso = k == 0;
        RecordHead("DIMSTYLE", th, "AcDbDimStyleTableRecord", 105);
        S(2, iso ? "ISO-25" : (r12_ ? "ANNOTATIVE" : "Annotative"));
        I(70, 0);
        if (r12_)
            for (int c = 3; c <= 7; ++c) S(c, "");
        if (iso) {
            if (r12_) R(40, 1);
        } else {
            R(40, 0);
        }
        R(41, 2.5);
        R(42, 0.625);
        R(43, 3.75);
        R(44, 1.25);
        if (!r12_) {
            I(73, 0);
            I(74, 0);
            I(77, 1);
            I(78, 8);
        } else {
            for (int c = 45; c <= 48; ++c) R(c, 0);
        }
        R(140, 2.5);
        R(141, 2.5);
        if (r12_) R(142, iso ? 0.03937007874016 : 2.5);
        R(143, iso ? 2.5 : 0.03937007874016);
        if (r12_) {
            R(144, 1);
            R(145, 0);
            R(146, 1);
        }
        R(147, 0.625);
        if (!r12_) {
            I(171, 3);
            I(172, 1);
            I(271, 2);
            I(272, 2);
            I(274, 3);
            I(278, 44);
            I(283, 0);
            I(284, 8);
            H(340, styleTable);
            if (!iso) {
                AnnotativeData();
                S(1001, "ACAD_DSTYLE_DIMJAG");
                S(1070, "   388");
                S(1040, "1.5");
                S(1001, "ACAD_DSTYLE_DIMTALN");
                S(1070, "   392");
                I(1070, 0);
            }
        } else {
            for (int c = 71; c <= 78; ++c) I(c, c == 77 ? 1 : (c == 78 ? 8 : 0));
            for (int c = 170; c <= 178; ++c) I(c, c == 171 ? 3 : (c == 172 ? 1 : 0));
        }
    }
    S(0, "ENDTAB");

    // BLOCK_RECORD
    if (!r12_) {
        TableHead("BLOCK_RECORD", 2, th);
        m_.hn_blk = th;
        auto rec = [&](std::string_view name, int64_t layout) {
            RecordHead("BLOCK_RECORD", th, "AcDbBlockTableRecord");
            S(2, name);
            H(340, layout);
            if (v2007_) {
                I(70, 0);
                I(280, 1);
                I(281, 0);
            }
        };
        rec("*Model_Space", 2);
        rec("*Paper_Space", 3);
        for (int32_t k = 0; k <= Ltn() - 2; ++k) rec("*Paper_Space" + std::to_string(k), k + 4);
        for (const std::string& n : blkName_) rec(n, 0);
        S(0, "ENDTAB");
    }
    S(0, "ENDSEC");
}

// ---------------------------------------------------------------------------
// BLOCKS

void DxfWriter::BlockBegin(std::string_view name, int32_t owner, bool paper) {
    Head("BLOCK", NewHandle(), owner, paper ? 1 : 0, "0", "AcDbBlockBegin");
    S(2, name);
    I(70, 0);
    P3(10, 0, 0, 0);
    S(3, name);
    S(1, "");
}

void DxfWriter::BlockEnd(int32_t owner, bool paper) {
    Head("ENDBLK", NewHandle(), owner, paper ? 1 : 0, "0", "AcDbBlockEnd");
}

void DxfWriter::Blocks() {
    const int32_t hb = m_.hn_blk;
    const int32_t ltn = Ltn();
    S(0, "SECTION");
    S(2, "BLOCKS");
    BlockBegin(r12_ ? "*MODEL_SPACE" : "*Model_Space", hb + 1, false);
    BlockEnd(hb + 1, false);
    BlockBegin(r12_ ? "*PAPER_SPACE" : "*Paper_Space", hb + 2, true);
    BlockEnd(hb + 2, true);
    // Top-level entities of the further layouts, grouped by space in one
    // pass (order kept within a space).
    std::vector<uint32_t> start(static_cast<size_t>(ltn) + 2, 0), order;
    std::vector<int32_t> spaces(m_.de.No.size(), -1);
    for (size_t i = 0; i < m_.de.No.size(); ++i) {
        int32_t spc = 0;
        if (Record(m_.de, m_.de.No[i], spc) != nullptr && spc >= 2 && spc <= ltn) {
            spaces[i] = spc;
            ++start[spc + 1];
        }
    }
    for (size_t p = 1; p < start.size(); ++p) start[p] += start[p - 1];
    order.resize(start.back());
    {
        std::vector<uint32_t> fill(start.begin(), start.end() - 1);
        for (size_t i = 0; i < spaces.size(); ++i)
            if (spaces[i] >= 0) order[fill[spaces[i]]++] = static_cast<uint32_t>(i);
    }
    for (int32_t p = 2; p <= ltn; ++p) {
        std::string name = r12_ ? "*PAPER_SPACE" : "*Paper_Space";
        name += std::to_string(p - 2);
        BlockBegin(name, hb + p + 1, false);
        for (uint32_t k = start[p]; k < start[p + 1]; ++k) {
            Entity(m_.de, m_.de.No[order[k]], p, hb + p + 1);
            Flush();
        }
        BlockEnd(hb + p + 1, false);
    }
    for (size_t i = 0; i < m_.deBlockDef.size(); ++i) {
        const int32_t owner = hb + ltn + 2 + static_cast<int32_t>(i);
        BlockBegin(blkName_[i], owner, false);
        Entities(m_.deBlockDef[i].dm, 0, owner);
        BlockEnd(owner, false);
    }
    S(0, "ENDSEC");
}

// ---------------------------------------------------------------------------
// Entities

void DxfWriter::Entities(TDXF_Entities& e, int32_t pass, int32_t owner) {
    for (const TDXF_EntNo& n : e.No) {
        Entity(e, n, pass, owner);
        Flush();
    }
}

namespace {

template <class T>
T* At(std::vector<T>& v, int32_t i) {
    return (i >= 0 && i < static_cast<int32_t>(v.size())) ? &v[i] : nullptr;
}

}  // namespace

void* DxfWriter::Record(TDXF_Entities& e, const TDXF_EntNo& n, int32_t& spc) {
    switch (n.tp) {
#define ZS_DXF_KIND(code, arr)                 \
    case code:                                 \
        if (auto* r = At(arr, n.no)) {         \
            spc = r->spc;                      \
            return r;                          \
        }                                      \
        return nullptr;
        ZS_DXF_KIND(kDxfLine, e.Line)
        ZS_DXF_KIND(kDxfCircle, e.Circ)
        ZS_DXF_KIND(kDxfArc, e.Arc)
        ZS_DXF_KIND(kDxfEllipse, e.Elli)
        ZS_DXF_KIND(kDxfTen, e.Ten)
        ZS_DXF_KIND(kDxfSolid3, e.Sld3)
        ZS_DXF_KIND(kDxfSolid4, e.Sld4)
        ZS_DXF_KIND(kDxfMoji, e.Moji)
        ZS_DXF_KIND(kDxfImage, e.Imag)
        ZS_DXF_KIND(kDxfPLine, e.PLin)
        ZS_DXF_KIND(kDxfDim, e.Dim)
        ZS_DXF_KIND(kDxfBlock, e.Block)
#undef ZS_DXF_KIND
        case kDxfVport:
            if (&e == &m_.de) {
                if (auto* r = At(m_.deVport, n.no)) {
                    spc = r->spc;
                    return r;
                }
            }
            return nullptr;
        default:
            return nullptr;
    }
}

void DxfWriter::Entity(TDXF_Entities& e, const TDXF_EntNo& n, int32_t pass, int32_t owner) {
    // The record and the handles it takes.
    int32_t spc = 0;
    int32_t handles = 1;
    void* rec = Record(e, n, spc);
    if (rec == nullptr) return;
    // Space filter: pass 0 is model space and the first paper space, pass p >= 2
    // the block of the (p-1)-th further layout.
    if (!((pass != 0 || spc <= 1) && (pass < 2 || spc == pass))) return;
    if (n.tp == kDxfImage) handles = 2;
    if (n.tp == kDxfPLine) handles = static_cast<int32_t>(static_cast<TDXF_PLine*>(rec)->v.size()) + 2;
    if (r12_ && spc >= 2) {
        m_.DXFHnd += handles;
        return;
    }
    if (owner == 0) owner = m_.hn_blk + spc + 1;
    switch (n.tp) {
        case kDxfLine: Line(*static_cast<TDXF_Line*>(rec), owner); break;
        case kDxfCircle: Circle(*static_cast<TDXF_Circle*>(rec), owner); break;
        case kDxfArc: Arc(*static_cast<TDXF_Arc*>(rec), owner); break;
        case kDxfEllipse: Ellipse(*static_cast<TDXF_Ellipse*>(rec), owner); break;
        case kDxfTen: Ten(*static_cast<TDXF_Ten*>(rec), owner); break;
        case kDxfSolid3: Solid3(*static_cast<TDXF_Solid3*>(rec), owner); break;
        case kDxfSolid4: Solid4(*static_cast<TDXF_Solid4*>(rec), owner); break;
        case kDxfMoji: Moji(*static_cast<TDXF_Moji*>(rec), owner); break;
        case kDxfImage: Image(*static_cast<TDXF_Image*>(rec), owner); break;
        case kDxfPLine: PLine(*static_cast<TDXF_PLine*>(rec), owner); break;
        case kDxfDim: Dim(*static_cast<TDXF_Dimension*>(rec), owner); break;
        case kDxfBlock: Insert(*static_cast<TDXF_Block*>(rec), owner); break;
        case kDxfVport: Vport(*static_cast<TDXF_ViewPort*>(rec), owner); break;
        default: break;
    }
}

const std::string& DxfWriter::Layer(int32_t lay) const {
    static const std::string zero = "0";
    return (lay >= 0 && lay < static_cast<int32_t>(layName_.size())) ? layName_[lay] : zero;
}

void DxfWriter::Head(std::string_view type, int32_t h, int32_t owner, int32_t spc, std::string_view layer,
                     std::string_view subclass) {
    S(0, type);
    H(5, h);
    if (!r12_) {
        H(330, owner);
        S(100, "AcDbEntity");
    }
    if (spc == 1) S(67, "     1");
    S(8, layer);
    if (!r12_ && !subclass.empty()) S(100, subclass);
}

void DxfWriter::Head(std::string_view type, int32_t h, int32_t owner, int32_t spc, int32_t lay,
                     std::string_view subclass) {
    Head(type, h, owner, spc, Layer(lay), subclass);
}

void DxfWriter::Ltype(int32_t typ) {
    if (typ > 0 && typ <= static_cast<int32_t>(ltName_.size())) {
        S(6, ltName_[typ - 1]);
    } else if (typ == -1) {
        S(6, r12_ ? "BYBLOCK" : "ByBlock");
    }
}

void DxfWriter::Color(int32_t col) {
    if (col > 0) {
        I(62, col);
    } else if (col == -1) {
        S(62, "     0");
    }
}

void DxfWriter::Weight(int32_t wid) {
    if (r12_) return;
    if (wid > 0) {
        IPlain(370, wid);
    } else if (wid == -1) {
        S(370, "-2");
    }
}

void DxfWriter::Line(const TDXF_Line& r, int32_t owner) {
    Head("LINE", NewHandle(), owner, r.spc, r.lay, "AcDbLine");
    Pen(r);
    P3(10, r.x1, r.y1);
    P3(11, r.x2, r.y2);
}

void DxfWriter::Circle(const TDXF_Circle& r, int32_t owner) {
    Head("CIRCLE", NewHandle(), owner, r.spc, r.lay, "AcDbCircle");
    Pen(r);
    P3(10, r.x, r.y);
    R(40, r.r);
}

void DxfWriter::Arc(const TDXF_Arc& r, int32_t owner) {
    Head("ARC", NewHandle(), owner, r.spc, r.lay, "AcDbCircle");
    Pen(r);
    P3(10, r.x, r.y);
    R(40, r.r);
    if (!r12_) S(100, "AcDbArc");
    double start = r.sa, end = DxfNormDeg(r.sa + r.da);
    if (r.da < 0) std::swap(start, end);
    R(50, start);
    R(51, end);
}

void DxfWriter::Ellipse(const TDXF_Ellipse& r, int32_t owner) {
    const int32_t h = NewHandle();
    const bool full = std::fabs(r.da) <= 1e-14;
    if (!r12_) {
        Head("ELLIPSE", h, owner, r.spc, r.lay, "AcDbEllipse");
        Pen(r);
        double sa = r.sa, da = r.da;
        if (full) sa = 0, da = 360;
        const double ka = r.ka * kPi / 180;
        P3(10, r.x, r.y);
        P3(11, r.r * std::cos(ka), r.r * std::sin(ka));
        S(210, "0.0");
        S(220, "0.0");
        S(230, "1.0");
        R(40, r.he);
        // A negative sweep runs clockwise: write it as the same arc counter-clockwise.
        const double from = da < 0 ? sa + da : sa, to = da < 0 ? sa : sa + da;
        R(41, from * kPi / 180);
        R(42, to * kPi / 180);
        return;
    }
    // R12 has no ellipse: a polyline through 72 (closed) or 73 points.
    const std::string& layer = Layer(r.lay);
    Head("POLYLINE", h, owner, r.spc, layer, "AcDb2dPolyline");
    Ltype(r.typ);
    Color(r.col);
    S(66, "     1");
    P3(10, 0, 0);
    if (full) S(70, "     1");
    const double ck = std::cos(r.ka * kPi / 180), sk = std::sin(r.ka * kPi / 180);
    const int count = full ? 72 : 73;
    for (int k = 0; k < count; ++k) {
        const double deg = full ? 5.0 * k : r.sa + k * r.da / 72;
        const double t = deg * kPi / 180;
        const double px = r.r * std::cos(t), py = r.r * r.he * std::sin(t);
        S(0, "VERTEX");
        S(8, layer);
        P3(10, r.x + px * ck - py * sk, r.y + px * sk + py * ck);
    }
    S(0, "SEQEND");
    S(8, layer);
}

void DxfWriter::TenInsert(const TDXF_Ten& r, int32_t owner, int32_t h, int32_t block) {
    Head("INSERT", h, owner, r.spc, r.lay, "AcDbBlockReference");
    S(2, blkName_[block]);
    FirstLtype();
    Color(r.col);
    Weight(r.wid);
    P3(10, r.x, r.y);
    if (!Near(r.ba, 0) && !Near(r.ba, 1)) {
        R(41, r.ba);
        R(42, r.ba);
    }
    if (std::fabs(r.a) > 1e-10) R(50, r.a);
}

void DxfWriter::Ten(const TDXF_Ten& r, int32_t owner) {
    const int32_t h = NewHandle();
    int32_t block = -2;  // -2: not a marker
    if (r.cod >= 1 && r.cod <= 11) {
        block = marker_[0][r.cod];
    } else if (r.cod == -1 || r.cod == -2 || (r.cod >= -7 && r.cod <= -4)) {
        block = marker_[1][-r.cod];
    }
    if (block == -2) {
        if (m_.tentyp <= 0) {  // a plain point (a negative type is no transfer type)
            Head("POINT", h, owner, r.spc, r.lay, "AcDbPoint");
            Color(r.col);
            P3(10, r.x, r.y);
            return;
        }
        if (m_.tentyp == 1) {
            Head("CIRCLE", h, owner, r.spc, r.lay, "AcDbCircle");
            FirstLtype();
            Color(r.col);
            Weight(r.wid);
            P3(10, r.x, r.y);
            R(40, m_.tenrad * r.ba);
            return;
        }
        block = m_.tenidx;
    }
    if (block < 0 || block >= static_cast<int32_t>(blkName_.size())) return;
    TenInsert(r, owner, h, block);
}

void DxfWriter::Solid3(const TDXF_Solid3& r, int32_t owner) {
    Head("SOLID", NewHandle(), owner, r.spc, r.lay, "AcDbTrace");
    Color(r.col);
    P3(10, r.x1, r.y1);
    P3(11, r.x2, r.y2);
    P3(12, r.x3, r.y3);
    P3(13, r.x3, r.y3);
}

void DxfWriter::Solid4(const TDXF_Solid4& r, int32_t owner) {
    Head("SOLID", NewHandle(), owner, r.spc, r.lay, "AcDbTrace");
    Color(r.col);
    P3(10, r.x1, r.y1);
    P3(11, r.x2, r.y2);
    P3(12, r.x4, r.y4);
    P3(13, r.x3, r.y3);
}

void DxfWriter::Moji(const TDXF_Moji& r, int32_t owner) {
    const int32_t h = NewHandle();
    if (!HasVisible(r.st)) return;
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
    P3(10, r.x1, r.y1);
    R(40, r.h);
    T(1, r.st);
    R(50, r.a);
    R(41, r.w / r.h);
    if (r.syat) S(51, "28.0");
    if (nst > 0) {
        S(7, stName_[t]);
    } else {
        S(7, r12_ ? "STANDARD" : "Standard");
    }
    S(72, r.tate ? "     3" : "     5");
    P3(11, r.x2, r.y2);
    if (!r12_) S(100, "AcDbText");
}

void DxfWriter::Image(TDXF_Image& r, int32_t owner) {
    const int32_t h = NewHandle();
    NewHandle();  // its reactor
    if (r12_ || !HasVisible(r.fna)) return;
    const int32_t f = m_.GetFList(r.fna);
    if (f < 0) return;
    r.hnd = h;
    Head("IMAGE", h, owner, r.spc, r.lay, "");
    S(92, "        0");
    S(100, "AcDbRasterImage");
    S(90, "        0");
    P3(10, r.x, r.y);
    const double a = r.a * kPi / 180, a90 = (r.a + 90) * kPi / 180;
    P3(11, std::cos(a) * (r.sx / r.ix), std::sin(a) * (r.sx / r.ix), 0);
    P3(12, std::cos(a90) * (r.sy / r.iy), std::sin(a90) * (r.sy / r.iy), 0);
    P2(13, r.ix, r.iy);
    H(340, m_.deFList[f].hnd);
    I(70, 7);
    I(280, 0);
    I(281, 50);
    I(282, 50);
    I(283, 0);
    H(360, h + 1);
    I(71, 1);
    S(91, "        2");
    P2(14, -0.5, -0.5);
    P2(14, r.ix - 0.5, r.iy - 0.5);
}

void DxfWriter::PLine(const TDXF_PLine& r, int32_t owner) {
    const int32_t p = NewHandle();
    Head("POLYLINE", p, owner, r.spc, r.lay, "AcDb2dPolyline");
    S(66, "     1");
    Pen(r);
    P3(10, 0, 0);
    if (r.clf) S(70, "     1");
    if (r.wd1 > 1e-12) R(40, r.wd1);
    if (r.wd2 > 1e-12) R(41, r.wd2);
    const std::string& layer = Layer(r.lay);
    for (const TDXF_PLinePoint& v : r.v) {
        Head("VERTEX", NewHandle(), p, r.spc, layer, "AcDbVertex");
        if (!r12_) S(100, "AcDb2dVertex");
        P3(10, v.x, v.y);
        if (std::fabs(v.a) > 1e-12) R(42, std::tan(v.a / 4));
    }
    Head("SEQEND", NewHandle(), p, r.spc, layer, "");
}

void DxfWriter::Vport(const TDXF_ViewPort& r, int32_t owner) {
    const int32_t h = NewHandle();
    if (r.spc == 0 || (r12_ && r.spc > 1)) return;
    Head("VIEWPORT", h, owner, r.spc, "VP", "AcDbViewport");
    P3(10, r.cx, r.cy);
    R(40, r.w);
    R(41, r.h);
    I(68, r.id);
    I(69, r.id);
    if (!r12_) {
        P2(12, r.vx, r.vy);
        P2(13, 0, 0);
        P2(14, 1, 1);
        P2(15, 0, 0);
        P3(16, 0, 0, 1);
        P3(17, 0, 0, 0);
        R(42, 50);
        R(43, 0);
        R(44, 0);
        R(45, r.vh);
        R(50, 0);
        R(51, 0);
        I(72, 100);
        S(90, "    33120");
        S(1, "");
        I(71, 1);
        I(74, 0);
        WorldUcs();
        return;
    }
    S(1001, "ACAD");
    S(1000, "MVIEW");
    S(1002, "{");
    I(1070, 16);
    P3(1010, 0, 0, 0);
    P3(1010, 0, 0, 1);
    R(1040, 0);
    R(1040, r.vh);
    R(1040, r.vx);
    R(1040, r.vy);
    R(1040, 50);
    R(1040, 0);
    R(1040, 0);
    for (int v : {16, 100, 0, 3, 0, 0, 0, 0}) I(1070, v);
    for (double v : {0.0, 0.0, 0.0, 1.0, 1.0, 0.0, 0.0}) R(1040, v);
    I(1070, 0);
    S(1002, "{");
    S(1002, "}");
    S(1002, "}");
}

void DxfWriter::Dim(const TDXF_Dimension& r, int32_t owner) {
    const int32_t h = NewHandle();
    if (r.bln < 0 || r.bln >= static_cast<int32_t>(blkName_.size())) return;
    Head("DIMENSION", h, owner, r.spc, r.lay, "AcDbDimension");
    S(2, blkName_[r.bln]);
    Pen(r);
    P3(10, r.x0, r.y0);
    P3(11, r.x1, r.y1);
    I(70, r.stp);
    I(71, r.bas);
    T(1, r.str);
    const int32_t kind = r.stp % 8;
    if (!r12_) {
        switch (kind) {
            case 0:
            case 1: S(100, "AcDbAlignedDimension"); break;
            case 2: S(100, "AcDb2LineAngularDimension"); break;
            case 3: S(100, "AcDbDiametricDimension"); break;
            case 4: S(100, "AcDbRadialDimension"); break;
            case 5: S(100, "AcDb3PointAngularDimension"); break;
            case 6: S(100, "AcDbOrdinateDimension"); break;
            default: break;
        }
    } else if (r.hang > -1e-10) {
        R(52, r.hang);
    }
    R(53, r.sang);
    if (HasVisible(r.sst)) S(3, Name(r.sst));
    if (r.fl3) P3(13, r.x3, r.y3);
    if (r.fl4) P3(14, r.x4, r.y4);
    if (r.fl5) P3(15, r.x5, r.y5);
    if (r.fl6) P3(16, r.x6, r.y6);
    if (r.hlen > -1e-10) R(40, r.hlen);
    if (kind == 0) R(50, r.ang);
    if (!r12_ && kind == 0) S(100, "AcDbRotatedDimension");
}

void DxfWriter::Insert(const TDXF_Block& r, int32_t owner) {
    const int32_t h = NewHandle();
    if (r.bln < 0 || r.bln >= static_cast<int32_t>(blkName_.size())) return;
    Head("INSERT", h, owner, r.spc, r.lay, "AcDbBlockReference");
    S(2, blkName_[r.bln]);
    Pen(r);
    P3(10, r.x, r.y);
    if (!Near(r.bx, 1) && !Near(r.bx, 0)) R(41, r.bx);
    if (!Near(r.by, 1) && !Near(r.by, 0)) R(42, r.by);
    if (!Near(r.a, 0)) R(50, r.a);
}

// ---------------------------------------------------------------------------
// OBJECTS

void DxfWriter::ObjHead(std::string_view type, int64_t handle, int64_t owner) {
    S(0, type);
    H(5, handle);
    S(102, "{ACAD_REACTORS");
    H(330, owner);
    S(102, "}");
    H(330, owner);
}

void DxfWriter::Objects() {
    const int64_t H0 = m_.DXFHnd;
    const int64_t ltn = Ltn();
    const int64_t root = ltn + 3, imageDict = ltn + 4, imageVars = ltn + 5;
    const int32_t hb = m_.hn_blk;
    S(0, "SECTION");
    S(2, "OBJECTS");

    S(0, "DICTIONARY");
    H(5, root);
    S(330, "0");
    S(100, "AcDbDictionary");
    S(281, "     1");
    auto entry = [&](std::string_view key, int64_t handle) {
        S(3, key);
        H(350, handle);
    };
    entry("ACAD_COLOR", H0);
    entry("ACAD_GROUP", H0 + 1);
    entry("ACAD_LAYOUT", H0 + 2);
    entry("ACAD_PLOTSTYLENAME", H0 + 3);
    if (HasImages()) {
        entry("ACAD_IMAGE_DICT", imageDict);
        entry("ACAD_IMAGE_VARS", imageVars);
    }

    // The reactor of every written image, block definitions first, then the
    // top level; the images are noted per file for their IMAGEDEF.
    std::vector<std::vector<int32_t>> perFile(m_.deFList.size());
    auto reactors = [&](const TDXF_Entities& e) {
        for (const TDXF_Image& im : e.Imag) {
            if (im.hnd == 0) continue;
            const int32_t f = m_.GetFList(im.fna);
            if (f >= 0) perFile[f].push_back(im.hnd);
            S(0, "IMAGEDEF_REACTOR");
            H(5, im.hnd + 1);
            H(330, im.hnd);
            S(100, "AcDbRasterImageDefReactor");
            I9(90, 2);
            H(330, im.hnd);
        }
    };
    if (HasImages()) {
        for (const TDXF_BlockDef& b : m_.deBlockDef) reactors(b.dm);
        reactors(m_.de);
    }

    for (int k = 0; k < 2; ++k) {
        ObjHead("DICTIONARY", H0 + k, root);
        S(100, "AcDbDictionary");
        S(281, "     1");
    }

    ObjHead("DICTIONARY", H0 + 2, root);
    S(100, "AcDbDictionary");
    S(281, "     1");
    entry("Model", 2);
    for (int64_t i = 1; i <= ltn; ++i) {
        T(3, LayoutName(i));
        H(350, i + 2);
    }

    ObjHead("ACDBDICTIONARYWDFLT", H0 + 3, root);
    S(100, "AcDbDictionary");
    S(281, "     1");
    entry("Normal", 1);
    S(100, "AcDbDictionaryWithDefault");
    S(340, "1");

    S(0, "ACDBPLACEHOLDER");
    S(5, "1");
    H(330, H0 + 3);

    // Layouts: Model, then 1 .. Ltn.
    for (int64_t i = 0; i <= ltn; ++i) {
        double px = m_.papx, py = m_.papy;
        if (i > 0) {
            if (m_.Spa == 1 && i == 2) {
                px = py = 0;
            } else if (m_.Spa == 2) {
                if (i <= static_cast<int64_t>(m_.zw_w.size())) {
                    const TJwZumenWakuWork& f = m_.zw_w[i - 1];
                    px = f.x2 - f.x1;
                    py = f.y2 - f.y1;
                } else {
                    px = py = 0;
                }
            }
        }
        ObjHead("LAYOUT", i + 2, H0 + 2);
        S(100, "AcDbPlotSettings");
        S(1, "");
        S(2, "none_device");
        S(4, "");
        S(6, "");
        for (int c = 40; c <= 43; ++c) R(c, 0);
        R(44, px);
        R(45, py);
        for (int c = 46; c <= 49; ++c) R(c, 0);
        R(140, 0);
        R(141, 0);
        R(142, 1);
        R(143, 1);
        S(70, i == 0 ? " 11952" : "   688");
        I(72, 1);
        I(73, 0);
        I(74, i == 0 ? 0 : 5);
        S(7, "");
        I(75, 16);
        R(147, 1);
        R(148, 0);
        R(149, 0);
        S(100, "AcDbLayout");
        if (i == 0) {
            S(1, "Model");
        } else {
            T(1, LayoutName(i));
        }
        I(70, 1);
        I(71, i);
        P2(10, 0, 0);
        P2(11, m_.papx, m_.papy);
        P3(12, 0, 0, 0);
        P3(14, m_.MinWx, m_.MinWy, 0);
        P3(15, m_.MaxWx, m_.MaxWy, 0);
        R(146, 0);
        P3(13, 0, 0, 0);
        P3(16, 1, 0, 0);
        P3(17, 0, 1, 0);
        I(76, 0);
        H(330, hb + i + 1);
    }

    if (HasImages()) {
        ObjHead("DICTIONARY", imageDict, root);
        S(100, "AcDbDictionary");
        S(281, "     1");
        for (const TDXF_FileNameList& f : m_.deFList) {
            T(3, FileNameOnly(f.dst));
            H(350, f.hnd);
        }
        ObjHead("RASTERVARIABLES", imageVars, root);
        S(100, "AcDbRasterVariables");
        I9(90, 0);
        I(70, 1);
        I(71, 1);
        I(72, 1);
        for (size_t k = 0; k < m_.deFList.size(); ++k) {
            const TDXF_FileNameList& f = m_.deFList[k];
            S(0, "IMAGEDEF");
            H(5, f.hnd);
            S(102, "{ACAD_REACTORS");
            H(330, imageDict);
            for (int32_t h : perFile[k]) H(330, h + 1);
            S(102, "}");
            H(330, imageDict);
            S(100, "AcDbRasterImageDef");
            I9(90, 0);
            T(1, FileNameOnly(f.dst));
            P2(10, f.ix, f.iy);
            P2(11, f.sx / f.ix, f.sy / f.iy);
            I(280, 1);
            I(281, 0);
        }
    }
    S(0, "ENDSEC");
}

}  // namespace

// ---------------------------------------------------------------------------
// TDXFmodel entry points

bool TDXFmodel::SaveDXF(const JwString& src, const JwString& dst) {
    SaveError.clear();
    try {
        AtomicFileSink sink(dst);
        DxfWriter w(*this, sink);
        w.Write(src);
        sink.Commit();
    } catch (const std::exception& e) {
        SaveError = e.what();
        return false;
    } catch (...) {
        SaveError = kErrFileIO;
        return false;
    }
    for (const TDXF_FileNameList& f : deFList) {
        const bool existed = FileExistsEx(f.dst);
        if (!FileCopyReplace(f.src, f.dst) && !existed) FileDelete(f.dst);
    }
    return true;
}

std::string TDXFmodel::SaveDXFText(const JwString& src) {
    std::string out;
    StringSink sink(out);
    DxfWriter w(*this, sink);
    w.Write(src);
    return out;
}

}  // namespace jw
