// Jw_cad text variables (kind 1) and layout codes (kind 2) in the DXF export.
#include "dxf/text_variables.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "support/numbers.h"
#include "support/program_values.h"
#include "support/strings.h"

namespace jw {

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Pads a one-digit number to two characters by the variable's first
// character: "0" before for "=" and "%", a space before for "_" and "&", a
// space after for "$". Anything else (names, "元") stays as it is.
JwString Pad(char16_t c, JwString s) {
    if (s.size() != 1 || !IsDigit(s[0])) return s;
    switch (c) {
        case u'=':
        case u'%': return u"0" + s;
        case u'_':
        case u'&': return u" " + s;
        case u'$': return s + u" ";
        default: return s;
    }
}

JwString Zero2(int32_t v) { return Pad(u'=', IntStr(v)); }
JwString Space2(int32_t v) { return Pad(u'_', IntStr(v)); }

JwString EraYear(const TDxfEra& e) {
    if (e.name.empty()) return JwString();
    return e.year == 1 ? JwString(u"元") : IntStr(e.year);
}

// The date codes of the five date variable characters ("F" and "f" exist
// only with "=" and "_").
bool IsDateCode(char16_t c, std::u16string_view r) {
    static constexpr std::u16string_view codes[] = {
        u"y", u"Y", u"m", u"d", u"h", u"H", u"M", u"S", u"ma", u"w", u"W", u"wa", u"n", u"N", u"j", u"J", u"E",
        u"G", u"GＧ", u"GＧＥ", u"GＧＥＥ"};
    for (std::u16string_view code : codes)
        if (r == code) return true;
    return (c == u'=' || c == u'_') && (r == u"F" || r == u"f");
}

JwString DateValue(char16_t c, std::u16string_view code, double days) {
    const TDxfDateTime t = DxfDecodeDate(days);
    const TDxfEra era = DxfEra(t.year, t.month, t.day);
    if (code == u"y") return Pad(c, IntStr(((t.year % 100) + 100) % 100));
    if (code == u"Y") {
        const TDxfEra old = DxfEra(t.year, t.month, t.day, false);
        return old.name.empty() ? JwString() : Pad(c, IntStr(old.year));
    }
    if (code == u"m") return Pad(c, IntStr(t.month));
    if (code == u"d") return Pad(c, IntStr(t.day));
    if (code == u"h") return Pad(c, IntStr((t.hour + 11) % 12 + 1));
    if (code == u"H") return Pad(c, IntStr(t.hour));
    if (code == u"M") return Pad(c, IntStr(t.minute));
    if (code == u"S") return Pad(c, IntStr(t.second));
    if (code == u"ma") {
        static constexpr std::u16string_view months[] = {u"JAN", u"FEB", u"MAR", u"APR", u"MAY", u"JUN",
                                                         u"JUL", u"AUG", u"SEP", u"OCT", u"NOV", u"DEC"};
        return JwString(months[(t.month - 1) % 12]);
    }
    if (code == u"w" || code == u"W") return JwString(1, u"日月火水木金土"[t.weekday]);
    if (code == u"wa") {
        static constexpr std::u16string_view days7[] = {u"SUN", u"MON", u"TUE", u"WED", u"THU", u"FRI", u"SAT"};
        return JwString(days7[t.weekday]);
    }
    if (code == u"n") return t.hour < 12 ? u"AM" : u"PM";
    if (code == u"N") return t.hour < 12 ? u"前" : u"後";
    if (code == u"j") return IntStr(t.year) + u"/" + Space2(t.month) + u"/" + Space2(t.day);
    if (code == u"J")
        return era.name + EraYear(era) + u"年" + Space2(t.month) + u"月" + Space2(t.day) + u"日";
    if (code == u"E" || code == u"G") return Pad(c, EraYear(era));
    if (code == u"GＧ") return era.name;
    if (code == u"GＧＥ") return era.name + Pad(c, EraYear(era));
    if (code == u"GＧＥＥ") return era.name.empty() ? JwString() : era.name + EraYear(era) + u"年";
    if (code == u"F" || code == u"f") {
        auto md = [c](int32_t v) { return c == u'_' ? Space2(v) : Zero2(v); };
        JwString s = IntStr(t.year) + u"/" + md(t.month) + u"/" + md(t.day);
        if (code == u"F") s += u" " + Zero2(t.hour) + u":" + Zero2(t.minute) + u":" + Zero2(t.second);
        return s;
    }
    return JwString();
}

// ---- file name parts (both "\" and "/" separate folders) ----

bool IsSep(char16_t c) { return c == u'\\' || c == u'/'; }

std::u16string_view NameOf(std::u16string_view path) {
    size_t p = path.size();
    while (p > 0 && !IsSep(path[p - 1]) && path[p - 1] != u':') --p;
    return path.substr(p);
}

std::u16string_view StemOf(std::u16string_view name) {
    const size_t dot = name.rfind(u'.');
    return dot == std::u16string_view::npos ? name : name.substr(0, dot);
}

// Folder n counted upwards from the file (1 = the folder holding it); the
// top component when n exceeds the depth.
JwString FolderUp(std::u16string_view path, int64_t n) {
    std::vector<std::u16string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || IsSep(path[i])) {
            if (i > start) parts.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
    if (parts.empty()) return JwString();
    const int64_t idx = static_cast<int64_t>(parts.size()) - 1 - n;
    return JwString(parts[static_cast<size_t>(std::max<int64_t>(idx, 0))]);
}

// The first n display columns of s (half-width characters one, others two).
JwString FirstColumns(std::u16string_view s, int64_t n) {
    int64_t used = 0;
    size_t i = 0;
    while (i < s.size()) {
        const size_t u = CharUnits(s, i);
        const int64_t w = (u == 1 && IsHalfWidthChar(s[i])) ? 1 : 2;
        if (used + w > n) break;
        used += w;
        i += u;
    }
    return JwString(s.substr(0, i));
}

// ---- kind-1 recognition ----

enum class V1 {
    None, RefVar, FullPath, Folder, Stem, StemWord, NameExt, NameCols,
    MemoBoth, Memo1, Memo2, ScaleSS, Scaless, ScaleSP, Scalesp, DrawTime, Date, Dots,
};

struct Parsed {
    V1 kind = V1::None;
    int64_t n = 0;
};

bool AllDigits(std::u16string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), IsDigit);
}

int HexDigit(char16_t c) {
    if (IsDigit(c)) return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

Parsed Parse(std::u16string_view s) {
    if (s.size() < 2) return {};
    const char16_t c = s[0];
    if (c == u'%' && s[1] == u'%') return {V1::RefVar};
    if (std::u16string_view(u"&%=_$").find(c) == std::u16string_view::npos) return {};
    const std::u16string_view r1 = s.substr(1);
    const bool nowChar = c == u'&' || c == u'%' || c == u'$';
    if (nowChar && r1[0] == u'F') {
        if (r1.size() == 1) return {V1::FullPath};
        const std::u16string_view r2 = r1.substr(1);
        if (r2[0] >= u'1' && r2[0] <= u'9' && AllDigits(r2) && r2.size() <= 9) {
            int64_t n = 0;
            for (char16_t d : r2) n = n * 10 + (d - u'0');
            return {V1::Folder, n};
        }
    }
    if (c == u'&' && r1 == u"f") return {V1::Stem};
    if (c == u'&' && r1.size() == 3 && r1[0] == u'f' && r1[1] == u's' && r1[2] >= u'1' && r1[2] <= u'9')
        return {V1::StemWord, r1[2] - u'0'};
    if (c == u'%' && r1 == u"f") return {V1::NameExt};
    if (c == u'%' && r1[0] == u'f' && r1.size() >= 2 && r1.size() <= 8 &&
        ((r1[1] >= u'1' && r1[1] <= u'9') || (r1[1] >= u'a' && r1[1] <= u'f'))) {
        int64_t n = 0;
        bool ok = true;
        for (char16_t d : r1.substr(1)) {
            const int h = HexDigit(d);
            if (h < 0) {
                ok = false;
                break;
            }
            n = n * 16 + h;
        }
        if (ok) return {V1::NameCols, n};
    }
    if (c == u'%') {
        if (r1 == u"mm") return {V1::MemoBoth};
        if (r1 == u"m1") return {V1::Memo1};
        if (r1 == u"m2") return {V1::Memo2};
        if (r1 == u"SS") return {V1::ScaleSS};
        if (r1 == u"ss") return {V1::Scaless};
        if (r1 == u"SP") return {V1::ScaleSP};
        if (r1 == u"sp") return {V1::Scalesp};
    }
    if (r1 == u"T") return {V1::DrawTime};
    if (IsDateCode(c, r1)) return {V1::Date};
    if (nowChar && r1.size() == 2 && (r1[0] == u'j' || r1[0] == u'J') && IsDigit(r1[1]))
        return {V1::Dots, r1[1] - u'0'};
    return {};
}

JwString ScaleValue(const TDXF_Moji_Exp_Info& mexp, int32_t ly, V1 kind) {
    bool reduced = true;
    double q = 1;
    if (ly > 3) {
        const int32_t g = std::clamp((ly - 4) / 16, 0, 15);
        q = mexp.scale[g];
        if (!std::isfinite(q) || q <= 0) q = 1;
        if (q < 0.9999999999) {
            q = 1 / q;
            reduced = false;
        }
    }
    q = std::round(q * 1000) / 1000;  // half away from zero
    double p = mexp.prtscale;
    if (!std::isfinite(p) || p <= 0) p = 1;
    switch (kind) {
        case V1::ScaleSS: return reduced ? u"1/" + FloatStr(q) : FloatStr(q) + u"/1";
        case V1::Scaless: return FloatStr(q);
        case V1::ScaleSP: return reduced ? u"1/" + FloatStr(q / p) : FloatStr(q * p) + u"/1";
        default: return reduced ? FloatStr(q / p) : FloatStr(q * p);
    }
}

// ---- kind 2 ----

constexpr char16_t kHalfDot = u'･';  // U+FF65
constexpr char16_t kFullDot = u'・';  // U+30FB

// The text after the preparation, with what it adds to the laid-out length.
struct Prepared {
    JwString s;
    double extra = 0;   // removed trailing "･" and characters after the last "・"
    int32_t narrow = 0; // digit of a removed trailing "^1" ... "^9"
};

Prepared Prepare(std::u16string_view src, bool horizontal, double w, double d) {
    Prepared p;
    p.s.assign(src);
    JwString& s = p.s;
    if (!s.empty() && (s.back() == kHalfDot || s.back() == kFullDot)) {
        if (s.back() == kHalfDot) {
            s.pop_back();
            const bool halfBefore = horizontal && !s.empty() && IsHalfWidthChar(s.back());
            p.extra += w / 2 + (halfBefore ? d / 2 : d);
        }
        while (s.size() > 1 && s.back() != kFullDot) {
            s.pop_back();
            p.extra += w + d;
        }
    }
    const size_t n = s.size();
    if (n >= 2 && s[n - 2] == u'^' && s[n - 1] >= u'1' && s[n - 1] <= u'9') {
        p.narrow = s[n - 1] - u'0';
        s.resize(n - 2);
    }
    return p;
}

enum class TK { Char, Small, Over, Underline, Strike, Slant, EndFx, Color };

struct Tok {
    TK k = TK::Char;
    char16_t sub = 0;  // u, d, c for Small; o, b, B, n, w for Over
    size_t pos = 0, len = 0;  // characters in the prepared text
    int32_t chars = 1;        // number of characters (Over with "^w": 1 or 2)
    int32_t n = 0;            // pen of Color
};

std::vector<Tok> Tokenize(std::u16string_view s) {
    std::vector<Tok> out;
    bool literal = false;
    size_t i = 0;
    auto charTok = [&](TK k, char16_t sub) {
        Tok t{k, sub, i, CharUnits(s, i), 1, 0};
        i += t.len;
        out.push_back(t);
    };
    while (i < s.size()) {
        const char16_t c = s[i];
        if (literal) {
            if (c == u'^' && i + 1 < s.size() && s[i + 1] == u'^') {
                literal = false;
                i += 2;
            } else {
                charTok(TK::Char, 0);
            }
            continue;
        }
        if (c != u'^' || i + 1 >= s.size()) {
            charTok(TK::Char, 0);
            continue;
        }
        const char16_t d = s[i + 1];
        switch (d) {
            case u'_': out.push_back({TK::Underline}); i += 2; break;
            case u'-': out.push_back({TK::Strike}); i += 2; break;
            case u'/': out.push_back({TK::Slant}); i += 2; break;
            case u'#': out.push_back({TK::EndFx}); i += 2; break;
            case u'*': literal = true; i += 2; break;
            case u'!': case u'\\': case u'&': case u'%': i += 2; break;
            case u'$':
                if (i + 2 < s.size() && s[i + 2] >= u'1' && s[i + 2] <= u'9') {
                    out.push_back({TK::Color, 0, 0, 0, 0, s[i + 2] - u'0'});
                    i += 3;
                } else {
                    charTok(TK::Char, 0);
                }
                break;
            case u'u': case u'd': case u'c':
            case u'o': case u'b': case u'B': case u'n': case u'w': {
                i += 2;
                if (i >= s.size()) break;  // a code at the very end has nothing to act on
                const bool small = d == u'u' || d == u'd' || d == u'c';
                Tok t{small ? TK::Small : TK::Over, d, i, CharUnits(s, i), 1, 0};
                if (d == u'w' && t.len == 1 && IsHalfWidthChar(s[i]) && i + 1 < s.size() &&
                    IsHalfWidthChar(s[i + 1])) {
                    t.len = 2;
                    t.chars = 2;
                }
                i += t.len;
                out.push_back(t);
                break;
            }
            default: charTok(TK::Char, 0); break;  // a lone "^" is an ordinary character
        }
    }
    return out;
}

bool TokHalf(std::u16string_view s, const Tok& t) { return t.len == 1 && IsHalfWidthChar(s[t.pos]); }

}  // namespace

// ---------------------------------------------------------------------------
// Eras and character widths

TDxfEra DxfEra(int32_t year, int32_t month, int32_t day, bool withReiwa) {
    const int64_t d = int64_t{year} * 10000 + month * 100 + day;
    if (withReiwa && d > 20190500) return {u"令和", year - 2018};
    if (d >= 19890108) return {u"平成", year - 1988};
    if (d >= 19261225) return {u"昭和", year - 1925};
    if (d > 19120729) return {u"大正", year - 1911};
    if (d > 18681022) return {u"明治", year - 1867};
    return {};
}

bool IsHalfWidthChar(char16_t c) { return (c >= 0x20 && c <= 0x7E) || (c >= 0xFF61 && c <= 0xFF9F); }

// ---------------------------------------------------------------------------
// Kind 1

bool CheckMojiExp1(std::u16string_view s) { return Parse(s).kind != V1::None; }

JwString GetStrNSpace(std::u16string_view f, int32_t n) {
    if (n < 1) n = 1;
    size_t start = 0;  // start of word k
    for (int32_t k = 1; k < n; ++k) {
        const size_t sp = f.find(u' ', start);
        if (sp == std::u16string_view::npos) {
            // Fewer than n - 1 spaces: the last word.
            return JwString(f.substr(start));
        }
        start = sp + 1;
    }
    const size_t end = f.find(u' ', start);
    if (end == std::u16string_view::npos) return JwString(f.substr(start));  // the last word
    if (end == start) return JwString(f.substr(end));                       // an empty word
    return JwString(f.substr(start, end - start));
}

JwString GetMojiExp1(const TDXF_Moji_Exp_Info& mexp, int32_t ly, std::u16string_view s) {
    const Parsed p = Parse(s);
    const std::u16string_view name = NameOf(mexp.filename);
    switch (p.kind) {
        case V1::None: return JwString(s);
        case V1::RefVar: {
            for (const TStr2List& e : JwRefList)
                if (e.s1 == s) return e.s2;
            const std::u16string_view rest = s.substr(2);
            return rest.empty() ? JwString(u"＿") : JwString(rest);
        }
        case V1::FullPath: return mexp.filename;
        case V1::Folder: return FolderUp(mexp.filename, p.n);
        case V1::Stem: return JwString(StemOf(name));
        case V1::StemWord: return GetStrNSpace(StemOf(name), static_cast<int32_t>(p.n));
        case V1::NameExt: return JwString(name);
        case V1::NameCols: return FirstColumns(name, p.n);
        case V1::MemoBoth:
            if (mexp.memo1.empty() && mexp.memo2.empty()) return JwString(s);
            if (mexp.memo1.empty()) return mexp.memo2;
            if (mexp.memo2.empty()) return mexp.memo1;
            return mexp.memo1 + u"　" + mexp.memo2;
        case V1::Memo1: return mexp.memo1.empty() ? JwString(s) : mexp.memo1;
        case V1::Memo2: return mexp.memo2.empty() ? JwString(s) : mexp.memo2;
        case V1::ScaleSS:
        case V1::Scaless:
        case V1::ScaleSP:
        case V1::Scalesp: return ScaleValue(mexp, ly, p.kind);
        case V1::DrawTime: {
            const int64_t t = int64_t{mexp.drawtime} + 30;
            return IntStr(static_cast<int32_t>(t / 3600)) + u" : " + IntStr(static_cast<int32_t>(t / 60 % 60));
        }
        case V1::Date: {
            const char16_t c = s[0];
            return DateValue(c, s.substr(1), (c == u'=' || c == u'_') ? mexp.filedate : mexp.nowdate);
        }
        case V1::Dots: return JwString(static_cast<size_t>(p.n), kHalfDot);
    }
    return JwString(s);
}

double DxfMojiLength(std::u16string_view s, bool vertical, double w, double d) {
    if (vertical) {
        const int32_t n = CharCount(s);
        return n > 0 ? n * w + (n - 1) * d : 0.0;
    }
    double len = 0;
    bool first = true, prevHalf = false;
    for (size_t i = 0; i < s.size();) {
        const size_t u = CharUnits(s, i);
        const char16_t c = s[i];
        i += u;
        if (u == 1 && c < 0x20) continue;
        const bool half = u == 1 && IsHalfWidthChar(c);
        if (!first) len += prevHalf ? d / 2 : d;
        len += half ? w / 2 : w;
        prevHalf = half;
        first = false;
    }
    return len;
}

// ---------------------------------------------------------------------------
// Kind 2

bool CheckMojiExp2(std::u16string_view s) {
    if (s.size() < 3) return false;
    if (s.back() == kFullDot || s.back() == kHalfDot) return true;
    for (size_t i = 0; i + 1 < s.size(); ++i) {
        if (s[i] != u'^') continue;
        const char16_t d = s[i + 1];
        if (std::u16string_view(u"!/_-#\\&%*^udcowbBn123456789").find(d) != std::u16string_view::npos) return true;
        if (d == u'$' && i + 2 < s.size() && s[i + 2] >= u'1' && s[i + 2] <= u'9') return true;
    }
    return false;
}

JwString GetMojiExp2Str(int32_t fl, std::u16string_view s) {
    const Prepared p = Prepare(s, (fl & 1) == 0, 0, 0);
    JwString v;
    for (const Tok& t : Tokenize(p.s))
        if (t.k == TK::Char || t.k == TK::Small) v.append(p.s, t.pos, t.len);
    return v;
}

double GetMojiExp2Len(int32_t fl, double pw, double pd, std::u16string_view s) {
    const bool horizontal = (fl & 1) == 0;
    const Prepared p = Prepare(s, horizontal, pw, pd);
    double len = 0;
    bool first = true, prevHalf = false;
    for (const Tok& t : Tokenize(p.s)) {
        if (t.k != TK::Char && t.k != TK::Small) continue;
        const bool half = horizontal && TokHalf(p.s, t);
        if (!first) len += prevHalf ? pd / 2 : pd;
        len += (t.k == TK::Small || half) ? pw / 2 : pw;
        prevHalf = half;
        first = false;
    }
    len += p.extra;
    if (p.narrow > 0) len = std::max(len - p.narrow * (pw / 2 + pd / 2), pw);
    return len;
}

void GetMojiExp2exp(TDXF_Moji_Exp_Info& mexp, int32_t co, int32_t fl, double px1, double py1, double pw,
                    double ph, double pa, std::u16string_view s) {
    const bool vertical = (fl & 1) != 0;
    const bool baseSlant = !vertical && (fl & 2) != 0;
    const Prepared p = Prepare(s, !vertical, pw, 0);
    const std::u16string_view text = p.s;
    const double rad = pa * std::numbers::pi / 180;
    const double dx = std::cos(rad), dy = std::sin(rad);
    const double nx = -dy, ny = dx;  // across the base line, +90 degrees
    auto px = [&](double along, double across) { return px1 + along * dx + across * nx; };
    auto py = [&](double along, double across) { return py1 + along * dy + across * ny; };

    bool slant = baseSlant;
    int32_t col = co;
    double t = 0;             // current position along the base line
    double nextRunStart = 0;  // where the next run begins
    double runStart = 0;
    JwString run;
    bool ul = false, st = false;
    double ulStart = 0, stStart = 0;

    auto piece = [&](std::u16string_view str, double along, double across, double length, double w, double h,
                     bool sl) {
        TDXF_Moji m;
        m.col = col;
        m.tate = vertical;
        m.syat = sl;
        m.x1 = px(along, across);
        m.y1 = py(along, across);
        m.x2 = px(along + length, across);
        m.y2 = py(along + length, across);
        m.w = w;
        m.h = h;
        m.a = pa;
        m.st.assign(str);
        mexp.eMoji.push_back(std::move(m));
    };
    auto append = [&](std::u16string_view str) {
        if (run.empty()) runStart = nextRunStart;
        run.append(str);
    };
    // Ends the current run: at a break 0.1 width before the position (the
    // next run starts 0.1 width after it), at the end of the text at it.
    auto flushRun = [&](bool atEnd) {
        const double end = atEnd ? t : t - 0.1 * pw;
        if (!run.empty() && end - runStart > 1e-12) piece(run, runStart, 0, end - runStart, pw, ph, slant);
        run.clear();
        nextRunStart = atEnd ? t : t + 0.1 * pw;
    };
    auto line = [&](double from, double across) {
        if (std::fabs(t - from) <= 1e-12) return;
        TDXF_Line l;
        l.col = col;
        l.x1 = px(from, across);
        l.y1 = py(from, across);
        l.x2 = px(t, across);
        l.y2 = py(t, across);
        mexp.eLine.push_back(l);
    };
    auto emitLines = [&](bool restart) {
        if (ul) line(ulStart, -0.1 * ph);
        if (st) line(stStart, 0.5 * ph);
        if (restart) ulStart = stStart = t;
    };

    for (const Tok& k : Tokenize(text)) {
        const std::u16string_view ch = text.substr(k.pos, k.len);
        switch (k.k) {
            case TK::Char:
                append(ch);
                t += pw;
                break;
            case TK::Small: {
                double along, across;
                if (!vertical) {
                    along = t + pw / 4;
                    across = k.sub == u'u' ? ph / 2 : (k.sub == u'c' ? ph / 4 : 0);
                } else {
                    along = t - pw + (k.sub == u'c' ? pw / 4 : (k.sub == u'd' ? pw / 2 : 0));
                    across = ph;
                }
                piece(ch, along, across, pw / 2, pw / 2, ph / 2, slant);
                append(u" ");
                t += pw;
                break;
            }
            case TK::Over: {
                double back = 1, size = 1, raise = 0;
                switch (k.sub) {
                    case u'o': back = 0.6; break;
                    case u'b': back = 0.8; break;
                    case u'B': back = 1.0; break;
                    case u'n': back = 0.75, size = 0.5, raise = 0.25; break;
                    default: back = k.chars == 2 ? 0.9 : 0.7, size = 0.4, raise = 0.3; break;  // w
                }
                const double across = vertical ? 0 : raise * ph;
                piece(ch, t - back * pw, across, size * pw * k.chars, size * pw, size * ph, slant);
                break;
            }
            case TK::Underline:
                flushRun(false);
                if (!ul) {
                    ul = true;
                    ulStart = t;
                }
                break;
            case TK::Strike:
                flushRun(false);
                if (!st) {
                    st = true;
                    stStart = t;
                }
                break;
            case TK::Slant:
                if (vertical || slant) break;
                flushRun(false);
                slant = true;
                break;
            case TK::EndFx:
                flushRun(false);
                emitLines(false);
                ul = st = false;
                slant = baseSlant;
                break;
            case TK::Color:
                flushRun(false);
                emitLines(true);
                col = mexp.col[static_cast<size_t>(k.n - 1)];
                break;
        }
    }
    flushRun(true);
    emitLines(false);
}

// ---------------------------------------------------------------------------
// The text adder

bool DxfExpandMoji(TDXF_Moji_Exp_Info& mexp, int32_t ly, int32_t co, int32_t fl, double px1, double py1,
                   double px2, double py2, double pw, double ph, double pd, double pa, const JwString& ps,
                   const DxfMojiPieceFn& store, const DxfMojiLineFn& line) {
    if (mexp.flag1 && CheckMojiExp1(ps)) {
        JwString v = GetMojiExp1(mexp, ly, ps);
        const double len = DxfMojiLength(v, (fl & 1) != 0, pw, pd);
        const size_t dot = v.find(kHalfDot);
        if (dot != JwString::npos && dot > 0) v.resize(dot);
        const double rad = pa * std::numbers::pi / 180;
        return store(co, fl, px1, py1, px1 + len * std::cos(rad), py1 + len * std::sin(rad), pw, ph, pd, pa, v);
    }
    if (mexp.flag2 && CheckMojiExp2(ps)) {
        const JwString v = GetMojiExp2Str(fl, ps);
        const int32_t n = CharCount(v);
        if (n == 0) return store(co, fl, px1, py1, px2, py2, pw, ph, pd, pa, ps);
        const double cw = GetMojiExp2Len(fl, pw, pd, ps) / n;
        mexp.eLine.clear();
        mexp.eMoji.clear();
        GetMojiExp2exp(mexp, co, fl, px1, py1, cw, ph, pa, ps);
        for (const TDXF_Line& l : mexp.eLine) line(l);
        for (const TDXF_Moji& e : mexp.eMoji) {
            const int32_t f = (e.tate ? 1 : 0) | (e.syat ? 2 : 0);
            store(e.col, f, e.x1, e.y1, e.x2, e.y2, e.w, e.h, 0, e.a, e.st);
        }
        mexp.eLine.clear();
        mexp.eMoji.clear();
        return true;
    }
    return store(co, fl, px1, py1, px2, py2, pw, ph, pd, pa, ps);
}

bool DxfAddMojiExpanded(TDXFmodel& m, int32_t bn, int32_t sp, int32_t ly, int32_t co, int32_t tp, int32_t bs,
                        int32_t fl, double px1, double py1, double px2, double py2, double pw, double ph,
                        double pd, double pa, const JwString& pf, const JwString& ps) {
    auto store = [&](int32_t c, int32_t f, double x1, double y1, double x2, double y2, double w, double h,
                     double d, double a, const JwString& s) {
        return bn < 0 ? m.AddMojiA(sp, ly, c, tp, bs, f, x1, y1, x2, y2, w, h, d, a, pf, s)
                      : m.AddBlockMojiA(bn, sp, ly, c, tp, bs, f, x1, y1, x2, y2, w, h, d, a, pf, s);
    };
    auto line = [&](const TDXF_Line& l) {
        if (bn < 0)
            m.AddLine(sp, ly, l.col, 0, 0, l.x1, l.y1, l.x2, l.y2);
        else
            m.AddBlockLine(bn, sp, ly, l.col, 0, 0, l.x1, l.y1, l.x2, l.y2);
    };
    return DxfExpandMoji(m.mexp, ly, co, fl, px1, py1, px2, py2, pw, ph, pd, pa, ps, store, line);
}

}  // namespace jw
