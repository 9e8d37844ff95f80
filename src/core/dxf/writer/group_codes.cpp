#include "dxf/writer/group_codes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>

namespace jw {

namespace {

// |x| rounded to 15 significant digits: the digits without trailing zeros
// and the decimal exponent of the first one.
struct Digits15 {
    char d[20];
    int n = 0;
    int exp10 = 0;
};

constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};

// The digits of an integer 0 < v < 1e15 that stands for v * 10^-decimals.
void FromInteger(uint64_t v, int decimals, Digits15& g) {
    char b[20];
    char* e = std::to_chars(b, b + sizeof b, v).ptr;
    const int len = static_cast<int>(e - b);
    g.exp10 = len - 1 - decimals;
    while (e > b + 1 && e[-1] == '0') --e;
    g.n = static_cast<int>(e - b);
    std::memcpy(g.d, b, static_cast<size_t>(g.n));
}

// Parses "d.ddde+XX" (or "de+XX") of std::to_chars into digits and exponent.
void FromScientific(const char* p, const char* end, Digits15& g) {
    g.n = 0;
    for (; *p != 'e'; ++p)
        if (*p != '.') g.d[g.n++] = *p;
    ++p;
    std::from_chars(*p == '+' ? p + 1 : p, end, g.exp10);
}

// Any decimal of at most 15 significant digits comes back unchanged from the
// double nearest to it (a double carries 15.95 decimal digits): so when a
// short decimal names x exactly, its digits are those of x rounded to 15.
// Three ways, cheapest first: a decimal with few places checked by one exact
// division; the shortest form that names x, rounded when its two extra digits
// lie far enough from a half that x itself rounds the same way; the digits
// rounded from x's exact value.
void RoundTo15(double ax, Digits15& g) {
    if (ax >= 1e7 && ax < 1e15) {  // below 10^7 DxfRealChars has tried the decimals already
        for (int k = 0; k < static_cast<int>(std::size(kPow10)); ++k) {
            const double v = std::nearbyint(ax * kPow10[k]);
            if (v >= 1e15) break;
            if (v / kPow10[k] == ax && v >= 1) {
                FromInteger(static_cast<uint64_t>(v), k, g);
                return;
            }
        }
    }
    char sci[40];
    auto res = std::to_chars(sci, sci + sizeof sci, ax, std::chars_format::scientific);
    FromScientific(sci, res.ptr, g);
    if (g.n > 15) {
        // The shortest form lies within half a unit in its last place of x,
        // less than 0.12 of a unit in the 15th digit: a tail outside
        // 0.38 .. 0.62 of that unit rounds as x does.
        const int tail = g.n == 16 ? (g.d[15] - '0') * 10 : (g.d[15] - '0') * 10 + (g.d[16] - '0');
        if (tail <= 37 || tail >= 63) {
            g.n = 15;
            bool up = tail >= 63;
            for (int i = 14; up && i >= 0; --i) {
                if (g.d[i] == '9') {
                    g.d[i] = '0';
                } else {
                    ++g.d[i];
                    up = false;
                }
            }
            if (up) {  // 9.99..9 became 10
                g.d[0] = '1';
                g.n = 1;
                ++g.exp10;
            }
        } else {
            // Correctly rounded to 15 significant digits from x itself.
            res = std::to_chars(sci, sci + sizeof sci, ax, std::chars_format::scientific, 14);
            FromScientific(sci, res.ptr, g);
        }
    }
    while (g.n > 1 && g.d[g.n - 1] == '0') --g.n;
}

}  // namespace

namespace {

// x written from its value in hundred-millionths, v = |x| * 10^8 < 10^15,
// when that names x exactly: the integer part, the point and the fraction
// without its trailing zeros (at least one digit). Such a decimal has at most
// 15 significant digits and 8 places, so it is also what the general way
// arrives at: the fixed form, nothing to round.
size_t FromHundredMillionths(bool negative, uint64_t v, char* out) {
    char* o = out;
    if (negative) *o++ = '-';
    o = std::to_chars(o, o + 16, v / 100'000'000).ptr;
    *o++ = '.';
    uint32_t frac = static_cast<uint32_t>(v % 100'000'000);
    if (frac == 0) {
        *o++ = '0';
        return static_cast<size_t>(o - out);
    }
    // At most 7 trailing zeros: strip 4, 2 and 1 of them.
    int places = 8;
    if (frac % 10'000 == 0) {
        frac /= 10'000;
        places -= 4;
    }
    if (frac % 100 == 0) {
        frac /= 100;
        places -= 2;
    }
    if (frac % 10 == 0) {
        frac /= 10;
        --places;
    }
    for (int i = places - 1; i >= 0; --i) {
        o[i] = static_cast<char>('0' + frac % 10);
        frac /= 10;
    }
    return static_cast<size_t>(o + places - out);
}

}  // namespace

size_t DxfRealChars(double x, char* out) {
    if (!std::isfinite(x) || std::fabs(x) <= 1e-14) {
        std::memcpy(out, "0.0", 3);
        return 3;
    }
    // The usual coordinate: a decimal of at most 8 places below 10^7. When
    // x * 10^8 rounded to an integer gives x back, that decimal is the one
    // a shorter number of places would name too (two decimals of at most 15
    // digits are never the same double).
    const double ax = std::fabs(x);
    if (ax >= 1e-4 && ax < 1e7) {
        const double v = std::nearbyint(ax * 1e8);
        if (v / 1e8 == ax) return FromHundredMillionths(x < 0, static_cast<uint64_t>(v), out);
    }
    Digits15 g;
    RoundTo15(std::fabs(x), g);
    char* digits = g.d;
    int nd = g.n;
    int exp10 = g.exp10;

    const bool fixed = exp10 >= -4 && exp10 < 15;
    if (fixed) {
        // Round the fraction to 14 decimals, half away from zero.
        const int decimals = nd - (exp10 + 1);
        if (decimals > 14) {
            const int keep = nd - (decimals - 14);  // significant digits kept, at least 11
            bool up = digits[keep] >= '5';
            nd = keep;
            for (int i = nd - 1; up && i >= 0; --i) {
                if (digits[i] == '9') {
                    digits[i] = '0';
                } else {
                    ++digits[i];
                    up = false;
                }
            }
            if (up) {  // 0.99..9 became 1
                std::memmove(digits + 1, digits, static_cast<size_t>(nd));
                digits[0] = '1';
                ++nd;
                ++exp10;
            }
            while (nd > 1 && digits[nd - 1] == '0') --nd;
        }
    }

    char* o = out;
    if (x < 0) *o++ = '-';
    if (fixed) {
        if (exp10 >= 0) {
            const int intDigits = exp10 + 1;
            for (int i = 0; i < intDigits; ++i) *o++ = i < nd ? digits[i] : '0';
            *o++ = '.';
            if (nd > intDigits) {
                for (int i = intDigits; i < nd; ++i) *o++ = digits[i];
            } else {
                *o++ = '0';
            }
        } else {
            *o++ = '0';
            *o++ = '.';
            for (int i = 0; i < -exp10 - 1; ++i) *o++ = '0';
            for (int i = 0; i < nd; ++i) *o++ = digits[i];
        }
    } else {
        *o++ = digits[0];
        *o++ = '.';
        if (nd > 1) {
            for (int i = 1; i < nd; ++i) *o++ = digits[i];
        } else {
            *o++ = '0';
        }
        *o++ = 'E';
        o = std::to_chars(o, out + kDxfRealMax, exp10).ptr;
    }
    return static_cast<size_t>(o - out);
}

std::string DxfRealStr(double x) {
    char buf[kDxfRealMax];
    return std::string(buf, DxfRealChars(x, buf));
}

void DxfGroupWriter::Encode(std::u16string_view s, std::string& out) {
    scratch_.clear();
    if (utf8_) {
        Utf8Append(s, scratch_);
    } else {
        AnsiAppend(s, scratch_);
    }
    // Neither encoding puts a byte below 0x20 into a character of several
    // bytes (UTF-8 continuation bytes are 0x80 and above, code page 932 trail
    // bytes 0x40 and above), so such a byte is always a control character.
    const size_t from = out.size();
    out.append(reinterpret_cast<const char*>(scratch_.data()), scratch_.size());
    out.erase(std::remove_if(out.begin() + static_cast<std::ptrdiff_t>(from), out.end(),
                             [](char c) { return static_cast<uint8_t>(c) < 0x20; }),
              out.end());
}

DxfGroupWriter::DxfGroupWriter(OutputSink& sink, bool utf8) : sink_(sink), utf8_(utf8) {
    storage_.reset(new char[kBufferSize]);
    buf_ = next_ = storage_.get();
    end_ = buf_ + kBufferSize;
}

void DxfGroupWriter::Append(std::string_view v) {
    if (v.size() > static_cast<size_t>(end_ - next_)) {
        Flush();
        if (v.size() > kFlushSize) {  // longer than the buffer holds: straight on
            sink_.Write(reinterpret_cast<const uint8_t*>(v.data()), v.size());
            return;
        }
    }
    if (!v.empty()) std::memcpy(next_, v.data(), v.size());
    next_ += v.size();
}

void DxfGroupWriter::Flush() {
    const size_t n = static_cast<size_t>(next_ - buf_);
    if (n > 0) sink_.Write(reinterpret_cast<const uint8_t*>(buf_), n);
    next_ = buf_;
}

}  // namespace jw
