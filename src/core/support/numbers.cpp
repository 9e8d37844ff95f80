#include "support/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace jw {

namespace {

JwString Widen(std::string_view s) { return JwString(s.begin(), s.end()); }

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// The text up to its first U+0000.
std::u16string_view UpToNul(std::u16string_view s) {
    size_t z = s.find(u'\0');
    return z == std::u16string_view::npos ? s : s.substr(0, z);
}

}  // namespace

JwString IntStr(int32_t v) { return Widen(IntStr8(v)); }

std::string IntStr8(int32_t v) { return std::to_string(v); }

JwString FloatStr(double v) { return Widen(FloatStr8(v)); }

std::string FloatStr8(double v) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
    if (v == 0) return "0";  // negative zero too

    // 15 significant digits, rounded, locale-independent: "d.dddddddddddddde±x".
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 14);
    std::string_view sci(buf, static_cast<size_t>(res.ptr - buf));
    size_t ePos = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, ePos))
        if (c != '.') digits += c;
    int exp = std::atoi(std::string(sci.substr(ePos + 1)).c_str());
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out = v < 0 ? "-" : "";
    if (exp >= -4 && exp <= 14) {
        if (exp >= 0) {
            const size_t intLen = static_cast<size_t>(exp) + 1;
            if (digits.size() <= intLen) {
                out += digits;
                out.append(intLen - digits.size(), '0');
            } else {
                out += digits.substr(0, intLen);
                out += '.';
                out += digits.substr(intLen);
            }
        } else {
            out += "0.";
            out.append(static_cast<size_t>(-exp - 1), '0');
            out += digits;
        }
    } else {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out += digits.substr(1);
        }
        out += 'E';
        out += std::to_string(exp);
    }
    return out;
}

JwString BoolStr01(bool b) { return b ? u"1" : u"0"; }

JwString HexStr(uint32_t v, int digits) {
    static const char* kHex = "0123456789ABCDEF";
    std::string s;
    do {
        s.insert(s.begin(), kHex[v & 15]);
        v >>= 4;
    } while (v != 0);
    if (static_cast<int>(s.size()) < digits) s.insert(0, static_cast<size_t>(digits) - s.size(), '0');
    return Widen(s);
}

int32_t StrIntDef0(std::u16string_view text) {
    std::u16string_view s = UpToNul(text);
    size_t i = 0;
    while (i < s.size() && s[i] == u' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) negative = s[i++] == u'-';
    bool hex = false;
    if (i < s.size() && (s[i] == u'$' || s[i] == u'x' || s[i] == u'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size()) return 0;  // no digits
    uint64_t value = 0;
    for (; i < s.size(); ++i) {
        if (hex) {
            int d = HexValue(s[i]);
            if (d < 0) return 0;
            value = value * 16 + static_cast<uint64_t>(d);
            if (value > 0xFFFFFFFFull) return 0;
        } else {
            if (!IsDigit(s[i])) return 0;
            value = value * 10 + (s[i] - u'0');
            if (value > 0x80000000ull) return 0;
        }
    }
    if (hex) {
        // A hexadecimal number spells the 32 bits themselves ("$FFFFFFFF" is -1).
        uint32_t bits = static_cast<uint32_t>(value);
        if (negative) bits = 0u - bits;
        return static_cast<int32_t>(bits);
    }
    if (negative) return static_cast<int32_t>(-static_cast<int64_t>(value));
    if (value > 0x7FFFFFFFull) return 0;
    return static_cast<int32_t>(value);
}

double StrFloatDef0(std::u16string_view text) {
    std::u16string_view s = UpToNul(text);
    size_t i = 0;
    while (i < s.size() && s[i] == u' ') ++i;
    std::string ascii;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) {
        if (s[i] == u'-') ascii += '-';
        ++i;
    }
    size_t mantissaDigits = 0;
    while (i < s.size() && IsDigit(s[i])) {
        ascii += static_cast<char>(s[i++]);
        ++mantissaDigits;
    }
    if (i < s.size() && s[i] == u'.') {
        ascii += '.';
        ++i;
        while (i < s.size() && IsDigit(s[i])) {
            ascii += static_cast<char>(s[i++]);
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) return 0;
    if (i < s.size() && (s[i] == u'E' || s[i] == u'e')) {
        ascii += 'e';
        ++i;
        if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) ascii += static_cast<char>(s[i++]);
        size_t expDigits = 0;
        while (i < s.size() && IsDigit(s[i])) {
            ascii += static_cast<char>(s[i++]);
            ++expDigits;
        }
        if (expDigits == 0) return 0;
    }
    if (i != s.size()) return 0;  // something else follows
    double value = 0;
    auto res = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (res.ec != std::errc() || res.ptr != ascii.data() + ascii.size()) return 0;
    return value;
}

bool IsFiniteNum(double v) { return std::isfinite(v); }

int32_t FillInt(int32_t value, int32_t n, int32_t* array) {
    if (array == nullptr) return value;
    for (int32_t i = 0; i < n; ++i) array[i] = value;
    return value;
}

uint32_t MakeArgb(uint32_t red, uint32_t green, uint32_t blue) {
    return 0xFF000000u + red * 65536u + green * 256u + blue;
}

}  // namespace jw
