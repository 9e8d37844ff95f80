#include "support/strings.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>

namespace jw {

namespace {

inline bool IsSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// What StrNoSpace leaves out: U+0020, U+3000 and the characters below U+0020.
inline bool IsSpace(char16_t c) { return c <= 0x20 || c == 0x3000; }

// Unicode simple case mapping of the "C.UTF-8" locale, held in a locale
// object of its own so that the program's global locale never matters.
locale_t CaseLocale() {
    static const locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return loc;
}

char16_t MapCase(char16_t c, bool upper) {
    if (c < 0x80) {
        if (upper && c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
        if (!upper && c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 0x20);
        return c;
    }
    if (IsSurrogate(c)) return c;
    locale_t loc = CaseLocale();
    if (loc == static_cast<locale_t>(0)) {
        // No locale data: full-width Latin letters, which the callers need.
        if (upper && c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 0x20);
        if (!upper && c >= 0xFF21 && c <= 0xFF3A) return static_cast<char16_t>(c + 0x20);
        return c;
    }
    wint_t m = upper ? towupper_l(c, loc) : towlower_l(c, loc);
    // Keep the character when its mapping leaves the BMP.
    if (m > 0xFFFF || IsSurrogate(static_cast<char16_t>(m))) return c;
    return static_cast<char16_t>(m);
}

JwString MapString(std::u16string_view s, bool upper) {
    JwString out(s);
    for (char16_t& c : out) c = MapCase(c, upper);
    return out;
}

// Clipped [index, index + count) of a string of length n.
void Clip(size_t n, int32_t index, int32_t count, size_t& from, size_t& len) {
    int64_t a = std::max<int64_t>(index, 0);
    int64_t b = static_cast<int64_t>(index) + std::max<int64_t>(count, 0);
    a = std::min<int64_t>(a, static_cast<int64_t>(n));
    b = std::clamp<int64_t>(b, a, static_cast<int64_t>(n));
    from = static_cast<size_t>(a);
    len = static_cast<size_t>(b - a);
}

}  // namespace

JwString StrUpper(std::u16string_view s) { return MapString(s, true); }

JwString StrLower(std::u16string_view s) { return MapString(s, false); }

bool SameUpper(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && MapCase(a[i], true) != MapCase(b[i], true)) return false;
    return true;
}

uint32_t UpperHash(std::u16string_view s) {
    uint32_t h = 2166136261u;  // FNV-1a over the upper-cased code units
    for (char16_t c : s) h = (h ^ MapCase(c, true)) * 16777619u;
    return h;
}

int32_t StrPos0(std::u16string_view sub, std::u16string_view s) {
    if (sub.empty()) return -1;  // an empty text occurs nowhere
    size_t p = s.find(sub);
    return p == std::u16string_view::npos ? -1 : static_cast<int32_t>(p);
}

JwString StrFrom0(std::u16string_view s, int32_t index) {
    size_t from = 0, len = 0;
    Clip(s.size(), index, INT32_MAX, from, len);
    return JwString(s.substr(from, len));
}

JwString StrMid0(std::u16string_view s, int32_t index, int32_t count) {
    size_t from = 0, len = 0;
    Clip(s.size(), index, count, from, len);
    return JwString(s.substr(from, len));
}

JwString StrNoSpace(std::u16string_view s) {
    JwString out;
    out.reserve(s.size());
    for (char16_t c : s)
        if (!IsSpace(c)) out.push_back(c);
    return out;
}

bool StrIsBlank(std::u16string_view s) { return std::all_of(s.begin(), s.end(), IsSpace); }

JwString StrNoCtrl(std::u16string_view s) {
    JwString out;
    out.reserve(s.size());
    for (char16_t c : s)
        if (c >= 0x20) out.push_back(c);
    return out;
}

JwString StrNoBreakMark(std::u16string_view s) {
    JwString out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        if (i + 1 < s.size() &&
            ((s[i] == u'^' && s[i + 1] == u'm') || (s[i] == u'\\' && s[i + 1] == u'n'))) {
            i += 2;
            continue;
        }
        if (s[i] >= 0x20) out.push_back(s[i]);
        ++i;
    }
    if (out.empty()) out.push_back(u' ');
    return out;
}

JwString StrOutClean(std::u16string_view s) { return s.empty() ? JwString() : StrNoBreakMark(s); }

size_t CharUnits(std::u16string_view s, size_t i) { return IsSurrogatePair(s, i) ? 2 : 1; }

int32_t CharCount(std::u16string_view s) {
    int32_t count = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (IsSurrogatePair(s, i)) ++i;
        ++count;
    }
    return count;
}

JwString CharMid(std::u16string_view s, int32_t start, int32_t count) {
    if (count <= 0) return JwString();
    if (start < 0) {
        count = static_cast<int32_t>(std::max<int64_t>(0, static_cast<int64_t>(count) + start));
        start = 0;
    }
    // Walk to the code unit of code point `start`, then over `count` code points.
    size_t i = 0;
    int32_t cp = 0;
    auto step = [&](size_t k) { return IsSurrogatePair(s, k) ? 2u : 1u; };
    while (i < s.size() && cp < start) {
        i += step(i);
        ++cp;
    }
    size_t from = i;
    int32_t taken = 0;
    while (i < s.size() && taken < count) {
        i += step(i);
        ++taken;
    }
    return JwString(s.substr(from, i - from));
}

}  // namespace jw
