#include "dxf/dxf_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>

#include "dxf/text_variables.h"
#include "support/file_io.h"
#include "support/numbers.h"
#include "support/paths.h"
#include "support/strings.h"

namespace jw {

namespace {

constexpr double kEps14 = 1e-14;

double Clamp10(double v) {
    v = std::fabs(v);
    if (!(v >= 1e-10)) return 1e-10;  // also NaN
    return v > 1e10 ? 1e10 : v;
}

// Appends rec to arr and its order entry to e.No; undoes both on an allocation
// failure.
template <class T>
bool Put(TDXF_Entities& e, std::vector<T>& arr, int32_t kind, T&& rec) {
    try {
        GrowLarge(arr);
        arr.push_back(std::move(rec));
    } catch (const std::bad_alloc&) {
        return false;
    }
    try {
        GrowLarge(e.No);
        e.No.push_back({kind, static_cast<int32_t>(arr.size() - 1)});
    } catch (const std::bad_alloc&) {
        arr.pop_back();
        return false;
    }
    return true;
}

// Appends a table record under name made unique among the table's names
// ignoring case (name, name_1, name_2, ... at most name_99999). Room is made
// first, so that a failure leaves neither the name nor the record.
template <class T>
int32_t PutNamed(std::vector<T>& arr, TableNames& names, JwString name, T&& rec) {
    GrowLarge(arr);
    names.MakeRoom();
    auto nameOf = [&arr](int32_t r) -> std::u16string_view { return arr[static_cast<size_t>(r)].nam; };
    if (names.Find(name, nameOf) < 0) {
        rec.nam = std::move(name);
    } else {
        for (int32_t i = 1; i <= 99999; ++i) {
            rec.nam = name + u"_" + IntStr(i);
            if (names.Find(rec.nam, nameOf) < 0) break;
        }
    }
    const int32_t idx = static_cast<int32_t>(arr.size());
    arr.push_back(std::move(rec));
    names.Insert(idx, arr.back().nam);
    return idx;
}

// Membership of the ASCII characters of s, for a test without a search.
constexpr std::array<bool, 128> AsciiSet(std::u16string_view s) {
    std::array<bool, 128> in{};
    for (char16_t c : s) in[c] = true;
    return in;
}

// The characters AdjustLayerName removes for 2000 and 2007.
bool IsLayerPunct(char16_t c) {
    static constexpr auto half = AsciiSet(u"!\"#%&'()*+,./:;<=>?@[\\]^`{|}~");
    static constexpr std::u16string_view full =
        u"！”＃＄％＆’（）＊＋，．／：；＜＝＞？＠［￥］＾｀｛｜｝～";
    return c < 0x80 ? half[c] : full.find(c) != std::u16string_view::npos;
}

// The only characters AdjustLayerName keeps for R12.
bool IsR12LayerChar(char16_t c) {
    static constexpr auto half = AsciiSet(u"$-_0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    static constexpr std::u16string_view full =
        u"＄－＿０１２３４５６７８９ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ"
        u"ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ";
    return c < 0x80 ? half[c] : full.find(c) != std::u16string_view::npos;
}

}  // namespace

double DxfNormDeg(double a) {
    if (!std::isfinite(a)) return 0;
    a = std::fmod(a, 360.0);  // same result as repeated +-360, without a loop
    if (a < 0) a += 360;
    if (a >= 360) a -= 360;
    if (std::fabs(a) <= 1e-10 || std::fabs(a - 360) <= 1e-10) return 0;
    return a;
}

void TDXF_Entities::Clear() { *this = TDXF_Entities{}; }

// ---------------------------------------------------------------------------
// Lifecycle and settings

TDXFmodel::TDXFmodel() { DataInit(); }

void TDXFmodel::DataInit() {
    DXFHnd = 1;
    hn_blk = 0;
    Ver = kDxfR12;
    Spa = 0;
    Ltn = 2;
    AppNam.clear();
    srcName.clear();
    dstName.clear();
    LastError.clear();
    Warnings.clear();
    MinWx = 0, MinWy = 0, MaxWx = 10, MaxWy = 10;
    papx = 297, papy = 210;
    pscale = 1;
    tenrad = 0.5;
    laynametyp = 0;
    tentyp = 0;
    tenidx = -1;
    mojistyle = 0;
    ltps.clear();
    lays.clear();
    msts.clear();
    mexp = TDXF_Moji_Exp_Info{};
    de.Clear();
    deVport.clear();
    deBlockDef.clear();
    deFList.clear();
    deLgp.fill(TDXF_LGroup{});
    InitZwhv(true);
    Pw_Init();
    ltpNames_.Clear();
    layNames_.Clear();
    stsNames_.Clear();
    blkNames_.Clear();
    blkIds_.clear();
    fileNames_.Clear();
}

void TDXFmodel::SetDXFVer(int32_t v, int32_t sp) {
    Ver = v;
    Spa = sp;
}

void TDXFmodel::SetAppName(const JwString& s) { AppNam = s; }

void TDXFmodel::SetPap(double Mix, double Miy, double Max, double May, double pax, double pay) {
    MinWx = Mix;
    MinWy = Miy;
    MaxWx = Max;
    MaxWy = May;
    papx = pax;
    papy = pay;
}

void TDXFmodel::SetScale(double scl) { pscale = scl; }

void TDXFmodel::SetMojiExpInfo(bool fl1, bool fl2, const JwString& fname, const JwString& mem1,
                               const JwString& mem2, double fdate, double ndate, int32_t dtime, double pscl,
                               const std::array<double, 16>& lgscale, const std::array<int32_t, 9>& cl) {
    mexp.flag1 = fl1;
    mexp.flag2 = fl2;
    mexp.filename = fname;
    mexp.memo1 = mem1;
    mexp.memo2 = mem2;
    mexp.filedate = fdate;
    mexp.nowdate = ndate;
    mexp.drawtime = dtime;
    mexp.prtscale = pscl;
    mexp.scale = lgscale;
    mexp.col = cl;
    mexp.eLine.clear();
    mexp.eMoji.clear();
}

void TDXFmodel::SetLayerNameType(int32_t n) { laynametyp = n; }

void TDXFmodel::SetTenTransType(int32_t n, double r) {
    tentyp = n;
    tenrad = r;
}

void TDXFmodel::SetMojiStyle(int32_t n) { mojistyle = n; }

void TDXFmodel::SetLgp(int32_t base, int32_t nmax) {
    deVport.clear();
    std::erase_if(de.No, [](const TDXF_EntNo& n) { return n.tp == kDxfVport; });
    if (Spa == 0) {
        const double sc = (base >= 0 && base < 16) ? deLgp[base].sc : 1.0;
        for (TDXF_LGroup& g : deLgp) g = TDXF_LGroup{0, sc, 0, 0};
    } else if (Spa == 2) {
        SetLayout(nmax);
    } else if (Spa == 1) {
        AddVPort(1, 1, 0, 0, 0, 0, papx, papy, papx / 2, papy / 2, papy);
        int32_t next = 1;
        double x = 0;
        for (int32_t i = 0; i < 16; ++i) {
            TDXF_LGroup& g = deLgp[i];
            if (i == base) {
                g = TDXF_LGroup{0, 1, 0, 0};
                continue;
            }
            int32_t same = -1;
            for (int32_t j = 0; j < i; ++j) {
                if (j != base && std::fabs(deLgp[j].sc - g.sc) <= 1e-12) {
                    same = j;
                    break;
                }
            }
            if (same >= 0) {
                g.n = deLgp[same].n;
                g.dx = deLgp[same].dx;
                g.dy = deLgp[same].dy;
            } else {
                g.n = next++;
                g.dx = x;
                g.dy = 0;
                AddVPort(1, g.sc, x, 0, 0, 0, 0, 0, 0, 0, 0);
                x += papx * g.sc * 2;
            }
        }
    }
}

void TDXFmodel::SetVPortMinMax(int32_t i, double x, double y) {
    if (i < 0 || i >= static_cast<int32_t>(deVport.size())) return;
    TDXF_ViewPort& v = deVport[i];
    if (!v.mf) {
        v.mf = true;
        v.x1 = v.x2 = x;
        v.y1 = v.y2 = y;
        return;
    }
    v.x1 = std::min(v.x1, x);
    v.y1 = std::min(v.y1, y);
    v.x2 = std::max(v.x2, x);
    v.y2 = std::max(v.y2, y);
}

void TDXFmodel::SetVPortArea() {
    for (size_t i = 1; i < deVport.size(); ++i) {
        TDXF_ViewPort& v = deVport[i];
        double x1 = -5, y1 = -5, x2 = 5, y2 = 5;
        if (v.mf) {
            x1 = v.x1 - 5;
            y1 = v.y1 - 5;
            x2 = v.x2 + 5;
            y2 = v.y2 + 5;
        }
        v.cx = (x1 + x2) / 2;
        v.cy = (y1 + y2) / 2;
        v.w = x2 - x1;
        v.h = y2 - y1;
        v.vx = v.cx * v.sc + v.dx;
        v.vy = v.cy * v.sc + v.dy;
        v.vh = v.sc * v.h;
    }
}

void TDXFmodel::SetLayout(int32_t nmax) {
    if (Spa != 2) return;
    Ltn = std::max<int32_t>(2, static_cast<int32_t>(std::min<size_t>(zw_w.size(), 1u << 20)));
    const double s = (nmax >= 0 && nmax < 16) ? deLgp[nmax].sc : 1.0;
    for (size_t i = 0; i < zw_w.size(); ++i) {
        const TJwZumenWakuWork& f = zw_w[i];
        const int32_t sp = static_cast<int32_t>(i) + 1;
        const double w = std::fabs(f.x2 - f.x1), h = std::fabs(f.y2 - f.y1);
        AddVPort(sp, 1, 0, 0, 0, 0, papx, papy, papx / 2, papy / 2, papy);
        AddVPort(sp, s, 0, 0, w / 2, h / 2, w, h, s * ((f.x1 + f.x2) / 2 + papx / 2),
                 s * ((f.y1 + f.y2) / 2 + papy / 2), s * h);
    }
}

// ---------------------------------------------------------------------------
// Tables

int32_t TDXFmodel::AddLtype(JwString na, JwString ex, std::span<const double> pa) {
    try {
        TDXF_Ltype t;
        t.exp = std::move(ex);
        t.pt.assign(pa.begin(), pa.end());
        for (double v : t.pt) t.pl += std::fabs(v);
        return PutNamed(ltps, ltpNames_, std::move(na), std::move(t));
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

int32_t TDXFmodel::AddLayer(JwString na, int32_t co, int32_t lt, int32_t wd, bool dp, bool pr) {
    try {
        TDXF_Layer l;
        l.col = co;
        l.ltp = lt;
        l.wid = wd;
        l.dsp = dp;
        l.prn = pr;
        return PutNamed(lays, layNames_, std::move(na), std::move(l));
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

void TDXFmodel::ReserveLayers(size_t n) {
    try {
        ReserveLarge(lays, lays.size() + n);
        layNames_.Reserve(n);
    } catch (const std::bad_alloc&) {
        // AddLayer makes room for each layer then, and says when there is none.
    }
}

int32_t TDXFmodel::AddStyle(JwString na, JwString f1, JwString f2, double h, double w,
                            double a, double hl, bool fl) {
    try {
        TDXF_Style s;
        s.fo1 = std::move(f1);
        s.fo2 = std::move(f2);
        s.mh = Clamp10(h);
        s.mw = Clamp10(w);
        s.ang = a;
        s.mhl = hl;
        s.fla = fl;
        return PutNamed(msts, stsNames_, std::move(na), std::move(s));
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

JwString TDXFmodel::DefautLayerName(int32_t l, const JwString& lg, const JwString& ly) const {
    if (laynametyp == 1) return ly;
    if (laynametyp == 2) {
        const JwString g = StrNoSpace(lg), n = StrNoSpace(ly);
        if (!g.empty() && !n.empty()) return g + u"-" + n;
        if (!g.empty()) return g + u"-" + HexStr(static_cast<uint32_t>(((l % 16) + 16) % 16), 1);
        return n;
    }
    return l < INT32_MAX ? IntStr(l + 1) : FloatStr(static_cast<double>(l) + 1);
}

JwString TDXFmodel::AdjustLayerName(int32_t lg, int32_t ly, const JwString& s) const {
    JwString out;
    for (char16_t c : StrNoSpace(s)) {
        const bool keep = Ver == kDxfR12 ? IsR12LayerChar(c) : !IsLayerPunct(c);
        if (keep) out.push_back(c);
    }
    if (out.empty()) out = HexStr(static_cast<uint32_t>(lg), 1) + u"-" + HexStr(static_cast<uint32_t>(ly), 1);
    return out;
}

JwString TDXFmodel::CopyName(const JwString& srcfile, const JwString& dstpath, int32_t i) {
    const JwString name = FileNameOnly(srcfile);
    const JwString ext = FileExtLower(name);
    const JwString stem = FileExtChange(name, u"");
    return i == 0 ? dstpath + stem + ext : dstpath + stem + u"_" + IntStr(i) + ext;
}

bool TDXFmodel::CopyNameFree(const JwString& path, int32_t self) const {
    // Names are compared without regard to case, as Windows would.
    const JwString up = StrUpper(path);
    if (PathEntryExists(path) || (!dstName.empty() && StrUpper(dstName) == up)) return false;
    for (size_t k = 0; k < deFList.size(); ++k)
        if (static_cast<int32_t>(k) != self && StrUpper(deFList[k].dst) == up) return false;
    return true;
}

int32_t TDXFmodel::AddFList(const JwString& srcfile, const JwString& dstpath, double pix, double piy,
                            double psx, double psy, int32_t phnd) {
    const int32_t known = GetFList(srcfile);
    if (known >= 0) return known;
    try {
        JwString dst = CopyName(srcfile, dstpath, 0);
        for (int32_t i = 1; i <= 99999 && !CopyNameFree(dst, -1); ++i) dst = CopyName(srcfile, dstpath, i);
        TDXF_FileNameList f;
        f.src = srcfile;
        f.dst = dst;
        f.ix = pix;
        f.iy = piy;
        f.sx = psx;
        f.sy = psy;
        f.hnd = phnd;
        GrowLarge(deFList);
        fileNames_.MakeRoom();
        const int32_t idx = static_cast<int32_t>(deFList.size());
        deFList.push_back(std::move(f));
        fileNames_.Insert(idx, deFList.back().src);
        return idx;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

int32_t TDXFmodel::GetFList(std::u16string_view srcfile) const {
    return fileNames_.Find(srcfile,
                           [this](int32_t r) -> std::u16string_view { return deFList[static_cast<size_t>(r)].src; });
}

int32_t TDXFmodel::AddBlockDef(JwString na, int32_t id) {
    try {
        TDXF_BlockDef b;
        b.IDno = id;
        if (StrIsBlank(na)) na = u"NONAME";
        const int32_t idx = PutNamed(deBlockDef, blkNames_, std::move(na), std::move(b));
        blkIds_.emplace(id, idx);  // the first definition of an id wins
        return idx;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

int32_t TDXFmodel::GetBlockIdx(std::u16string_view name) const {
    return blkNames_.Find(
        name, [this](int32_t r) -> std::u16string_view { return deBlockDef[static_cast<size_t>(r)].nam; });
}

int32_t TDXFmodel::GetBlockIdx(int32_t id) const {
    const auto it = blkIds_.find(id);
    return it == blkIds_.end() ? -1 : it->second;
}

// ---------------------------------------------------------------------------
// Entities

TDXF_Entities* TDXFmodel::Target(int32_t bn) {
    if (bn < 0 || bn >= static_cast<int32_t>(deBlockDef.size())) return nullptr;
    return &deBlockDef[bn].dm;
}

namespace {

// ByLayer reduction: a value equal to the layer's own becomes 0.
inline int32_t Reduce(int32_t v, int32_t layerValue) { return v == layerValue ? 0 : v; }

}  // namespace

bool TDXFmodel::AddLine(int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t wd, double px1, double py1,
                        double px2, double py2) {
    return PutLine(&de, sp, ly, co, tp, wd, px1, py1, px2, py2);
}

bool TDXFmodel::PutLine(TDXF_Entities* e, int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t wd,
                             double px1, double py1, double px2, double py2) {
    if (!e || !LayerOk(ly)) return false;
    const TDXF_Layer& l = lays[ly];
    return Put(*e, e->Line, kDxfLine,
               TDXF_Line{sp, ly, Reduce(co, l.col), Reduce(tp, l.ltp), Reduce(wd, l.wid), px1, py1, px2, py2});
}

bool TDXFmodel::PutArc(TDXF_Entities& e, bool block, int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t wd,
                       double px, double py, double pr, double ph, double ps, double pd, double pk) {
    if (!LayerOk(ly)) return false;
    const TDXF_Layer& l = lays[ly];
    co = Reduce(co, l.col);
    tp = Reduce(tp, l.ltp);
    wd = Reduce(wd, l.wid);
    const double a = std::fabs(pd);
    const bool zero = a <= kEps14;
    const bool full = !block && std::fabs(a - 360) <= kEps14;
    if (std::fabs(ph - 1) <= kEps14) {
        if (full || zero) return Put(e, e.Circ, kDxfCircle, TDXF_Circle{sp, ly, co, tp, wd, px, py, pr});
        return Put(e, e.Arc, kDxfArc, TDXF_Arc{sp, ly, co, tp, wd, px, py, pr, DxfNormDeg(ps + pk), pd});
    }
    const double da = block ? pd : ((zero || full) ? 0.0 : pd);
    return Put(e, e.Elli, kDxfEllipse, TDXF_Ellipse{sp, ly, co, tp, wd, px, py, pr, ph, ps, da, pk});
}

bool TDXFmodel::AddArc(int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t wd, double px, double py,
                       double pr, double ph, double ps, double pd, double pk) {
    return PutArc(de, false, sp, ly, co, tp, wd, px, py, pr, ph, ps, pd, pk);
}

bool TDXFmodel::AddBlockArc(int32_t bn, int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t wd, double px,
                            double py, double pr, double ph, double ps, double pd, double pk) {
    TDXF_Entities* e = Target(bn);
    return e && PutArc(*e, true, sp, ly, co, tp, wd, px, py, pr, ph, ps, pd, pk);
}

bool TDXFmodel::AddTen(int32_t sp, int32_t ly, int32_t co, int32_t wd, int32_t cd, double px, double py,
                       double pa, double pb) {
    return PutTen(&de, sp, ly, co, wd, cd, px, py, pa, pb);
}

bool TDXFmodel::PutTen(TDXF_Entities* e, int32_t sp, int32_t ly, int32_t co, int32_t wd, int32_t cd, double px,
                            double py, double pa, double pb) {
    if (!e || !LayerOk(ly)) return false;
    const TDXF_Layer& l = lays[ly];
    return Put(*e, e->Ten, kDxfTen, TDXF_Ten{sp, ly, Reduce(co, l.col), Reduce(wd, l.wid), cd, px, py, pa, pb});
}

bool TDXFmodel::AddSolid3(int32_t sp, int32_t ly, int32_t co, double px1, double py1, double px2, double py2,
                          double px3, double py3) {
    return PutSolid3(&de, sp, ly, co, px1, py1, px2, py2, px3, py3);
}

bool TDXFmodel::PutSolid3(TDXF_Entities* e, int32_t sp, int32_t ly, int32_t co, double px1, double py1,
                               double px2, double py2, double px3, double py3) {
    if (!e || !LayerOk(ly)) return false;
    return Put(*e, e->Sld3, kDxfSolid3,
               TDXF_Solid3{sp, ly, Reduce(co, lays[ly].col), px1, py1, px2, py2, px3, py3});
}

bool TDXFmodel::AddSolid4(int32_t sp, int32_t ly, int32_t co, double px1, double py1, double px2, double py2,
                          double px3, double py3, double px4, double py4) {
    return PutSolid4(&de, sp, ly, co, px1, py1, px2, py2, px3, py3, px4, py4);
}

bool TDXFmodel::PutSolid4(TDXF_Entities* e, int32_t sp, int32_t ly, int32_t co, double px1, double py1,
                               double px2, double py2, double px3, double py3, double px4, double py4) {
    if (DxfCoincide(px3, py3, px4, py4))
        return PutSolid3(e, sp, ly, co, px1, py1, px2, py2, px3, py3);
    if (!e || !LayerOk(ly)) return false;
    return Put(*e, e->Sld4, kDxfSolid4,
               TDXF_Solid4{sp, ly, Reduce(co, lays[ly].col), px1, py1, px2, py2, px3, py3, px4, py4});
}

bool TDXFmodel::PutMoji(TDXF_Entities& e, int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t bs, int32_t fl,
                        double px1, double py1, double px2, double py2, double pw, double ph, double pd,
                        double pa, const JwString& pf, const JwString& ps) {
    if (!LayerOk(ly)) return false;
    TDXF_Moji m;
    m.spc = sp;
    m.lay = ly;
    m.col = Reduce(co, lays[ly].col);
    m.typ = tp;
    m.bas = bs;
    m.tate = (fl & 1) != 0;
    m.syat = !m.tate && (fl & 2) != 0;
    m.x1 = px1;
    m.y1 = py1;
    m.x2 = px2;
    m.y2 = py2;
    m.w = Clamp10(pw);
    m.h = Clamp10(ph);
    m.d = pd;
    m.a = pa;
    try {
        m.fo = pf;
        m.st = ps;
    } catch (const std::bad_alloc&) {
        return false;
    }
    return Put(e, e.Moji, kDxfMoji, std::move(m));
}

bool TDXFmodel::AddMoji(int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t bs, int32_t fl, double px1,
                        double py1, double px2, double py2, double pw, double ph, double pd, double pa,
                        const JwString& pf, const JwString& ps) {
    return DxfAddMojiExpanded(*this, -1, sp, ly, co, tp, bs, fl, px1, py1, px2, py2, pw, ph, pd, pa, pf, ps);
}

bool TDXFmodel::AddMojiA(int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t bs, int32_t fl, double px1,
                         double py1, double px2, double py2, double pw, double ph, double pd, double pa,
                         const JwString& pf, const JwString& ps) {
    return PutMoji(de, sp, ly, co, tp, bs, fl, px1, py1, px2, py2, pw, ph, pd, pa, pf, ps);
}

bool TDXFmodel::AddBlockMoji(int32_t bn, int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t bs, int32_t fl,
                             double px1, double py1, double px2, double py2, double pw, double ph, double pd,
                             double pa, const JwString& pf, const JwString& ps) {
    return DxfAddMojiExpanded(*this, bn, sp, ly, co, tp, bs, fl, px1, py1, px2, py2, pw, ph, pd, pa, pf, ps);
}

bool TDXFmodel::AddBlockMojiA(int32_t bn, int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t bs,
                              int32_t fl, double px1, double py1, double px2, double py2, double pw, double ph,
                              double pd, double pa, const JwString& pf, const JwString& ps) {
    TDXF_Entities* e = Target(bn);
    return e && PutMoji(*e, sp, ly, co, tp, bs, fl, px1, py1, px2, py2, pw, ph, pd, pa, pf, ps);
}

bool TDXFmodel::AddImage(int32_t sp, int32_t ly, double px, double py, double pix, double piy, double psx,
                         double psy, double pa, const JwString& pf) {
    return PutImage(&de, sp, ly, px, py, pix, piy, psx, psy, pa, pf);
}

bool TDXFmodel::PutImage(TDXF_Entities* e, int32_t sp, int32_t ly, double px, double py, double pix, double piy,
                              double psx, double psy, double pa, const JwString& pf) {
    if (!e || !LayerOk(ly)) return false;
    try {
        return Put(*e, e->Imag, kDxfImage, TDXF_Image{sp, ly, px, py, pix, piy, psx, psy, pa, pf, 0});
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool TDXFmodel::AddPLine(int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t wd, double w1, double w2,
                         bool cf, std::span<const TDXF_PLinePoint> pv) {
    return PutPLine(&de, sp, ly, co, tp, wd, w1, w2, cf, pv);
}

bool TDXFmodel::PutPLine(TDXF_Entities* e, int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t wd, double w1,
                              double w2, bool cf, std::span<const TDXF_PLinePoint> pv) {
    if (!e || !LayerOk(ly)) return false;
    const TDXF_Layer& l = lays[ly];
    TDXF_PLine p;
    p.spc = sp;
    p.lay = ly;
    p.col = Reduce(co, l.col);
    p.typ = Reduce(tp, l.ltp);
    p.wid = Reduce(wd, l.wid);
    p.wd1 = w1;
    p.wd2 = w2;
    p.clf = cf;
    try {
        p.v.assign(pv.begin(), pv.end());
    } catch (const std::bad_alloc&) {
        return false;
    }
    return Put(*e, e->PLin, kDxfPLine, std::move(p));
}

bool TDXFmodel::AddDim(const TDXF_Dimension& d) { return PutDim(&de, d); }

bool TDXFmodel::PutDim(TDXF_Entities* e, const TDXF_Dimension& d) {
    if (!e || !LayerOk(d.lay)) return false;
    const TDXF_Layer& l = lays[d.lay];
    try {
        TDXF_Dimension r = d;
        r.col = Reduce(r.col, l.col);
        r.typ = Reduce(r.typ, l.ltp);
        r.wid = Reduce(r.wid, l.wid);
        return Put(*e, e->Dim, kDxfDim, std::move(r));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Block variants: the same into block definition bn.

bool TDXFmodel::AddBlockLine(int32_t bn, int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t wd,
                             double px1, double py1, double px2, double py2) {
    return PutLine(Target(bn), sp, ly, co, tp, wd, px1, py1, px2, py2);
}

bool TDXFmodel::AddBlockTen(int32_t bn, int32_t sp, int32_t ly, int32_t co, int32_t wd, int32_t cd, double px,
                            double py, double pa, double pb) {
    return PutTen(Target(bn), sp, ly, co, wd, cd, px, py, pa, pb);
}

bool TDXFmodel::AddBlockSolid3(int32_t bn, int32_t sp, int32_t ly, int32_t co, double px1, double py1,
                               double px2, double py2, double px3, double py3) {
    return PutSolid3(Target(bn), sp, ly, co, px1, py1, px2, py2, px3, py3);
}

bool TDXFmodel::AddBlockSolid4(int32_t bn, int32_t sp, int32_t ly, int32_t co, double px1, double py1,
                               double px2, double py2, double px3, double py3, double px4, double py4) {
    return PutSolid4(Target(bn), sp, ly, co, px1, py1, px2, py2, px3, py3, px4, py4);
}

bool TDXFmodel::AddBlockImage(int32_t bn, int32_t sp, int32_t ly, double px, double py, double pix, double piy,
                              double psx, double psy, double pa, const JwString& pf) {
    return PutImage(Target(bn), sp, ly, px, py, pix, piy, psx, psy, pa, pf);
}

bool TDXFmodel::AddBlockPLine(int32_t bn, int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t wd, double w1,
                              double w2, bool cf, std::span<const TDXF_PLinePoint> pv) {
    return PutPLine(Target(bn), sp, ly, co, tp, wd, w1, w2, cf, pv);
}

bool TDXFmodel::AddBlockDim(int32_t bn, const TDXF_Dimension& d) { return PutDim(Target(bn), d); }

bool TDXFmodel::AddVPort(int32_t sp, double psc, double pdx, double pdy, double px, double py, double pw,
                         double ph, double pvx, double pvy, double pvh) {
    TDXF_ViewPort v;
    v.spc = sp;
    v.id = static_cast<int32_t>(deVport.size()) + 1;
    v.sc = psc;
    v.dx = pdx;
    v.dy = pdy;
    v.cx = px;
    v.cy = py;
    v.w = pw;
    v.h = ph;
    v.vx = pvx;
    v.vy = pvy;
    v.vh = pvh;
    return Put(de, deVport, kDxfVport, std::move(v));
}

bool TDXFmodel::AddBlock(int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t n, double px,
                         double py, double pa, double pbx, double pby) {
    if (!LayerOk(ly)) return false;
    const TDXF_Layer& l = lays[ly];
    return Put(de, de.Block, kDxfBlock,
               TDXF_Block{sp, ly, Reduce(co, l.col), Reduce(tp, l.ltp), Reduce(wd, l.wid), n, px, py, pa, pbx, pby});
}

bool TDXFmodel::AddBlockBlock(int32_t bn, int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t wd, int32_t n,
                              double px, double py, double pa, double pbx, double pby) {
    TDXF_Entities* e = Target(bn);
    if (!e || n < 0 || n >= static_cast<int32_t>(deBlockDef.size()) || !LayerOk(ly)) return false;
    const TDXF_Layer& l = lays[ly];
    return Put(*e, e->Block, kDxfBlock,
               TDXF_Block{sp, ly, Reduce(co, l.col), Reduce(tp, l.ltp), Reduce(wd, l.wid), n, px, py, pa, pbx, pby});
}

}  // namespace jw
