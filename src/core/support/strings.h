// String helpers. Strings are sequences of UTF-16 code units; indices are
// 0-based and a count or index outside the string is clipped to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace jw {

using JwString = std::u16string;

// True when s[i] and s[i + 1] form a surrogate pair (one code point beyond
// the BMP).
inline bool IsSurrogatePair(std::u16string_view s, size_t i) {
    return i + 1 < s.size() && s[i] >= 0xD800 && s[i] <= 0xDBFF && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF;
}

// Upper / lower case by linguistic mapping (ASCII, Latin-1, Greek, Cyrillic and
// full-width Latin letters at least).
JwString StrUpper(std::u16string_view s);
JwString StrLower(std::u16string_view s);
// Whether StrUpper(a) == StrUpper(b), and a hash that such strings share;
// neither makes a copy.
bool SameUpper(std::u16string_view a, std::u16string_view b);
uint32_t UpperHash(std::u16string_view s);
// Position of the first occurrence of sub in s; -1 when absent.
int32_t StrPos0(std::u16string_view sub, std::u16string_view s);
JwString StrFrom0(std::u16string_view s, int32_t index);
JwString StrMid0(std::u16string_view s, int32_t index, int32_t count);
// s without U+0020, U+3000 and every character below U+0020.
JwString StrNoSpace(std::u16string_view s);
// Whether StrNoSpace(s) is empty, without making it.
bool StrIsBlank(std::u16string_view s);
// s without every character below U+0020.
JwString StrNoCtrl(std::u16string_view s);
// s without "^m", the two characters backslash-n and every character below
// U+0020; an empty result becomes " ".
JwString StrNoBreakMark(std::u16string_view s);
// The output cleaning of names and texts written into JWW/JWS files: an empty
// string stays empty; any other is StrNoBreakMark of it (so a string that
// loses every character becomes " ").
JwString StrOutClean(std::u16string_view s);
// Length in code units of the character at s[i] (2 for a surrogate pair).
size_t CharUnits(std::u16string_view s, size_t i);
// Number of code points (a surrogate pair counts once).
int32_t CharCount(std::u16string_view s);
// count code points starting at code-point index start.
JwString CharMid(std::u16string_view s, int32_t start, int32_t count);

}  // namespace jw
