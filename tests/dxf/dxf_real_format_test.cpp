// The DXF real form (DxfRealChars) against the formatting it replaced, which
// takes every value's 15 significant digits from its exact binary value: the
// two must agree on every double. The values are drawn at random (every bit
// pattern, short decimals, sums and products as a drawing's coordinates give
// them) and near the edges: powers of ten, halves in the 16th digit,
// subnormals, both zeros, the largest finite values, the limits 1e-14, 1e-4
// and 1e15. ZS_REAL_FORMAT_COUNT sets the number of random values (default
// three million).
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "dxf/writer/group_codes.h"

namespace jw {
namespace {

// The formatting as it was before the shorter ways to the digits: 15
// significant digits correctly rounded from x by std::to_chars.
size_t ExactDxfRealChars(double x, char* out) {
    if (!std::isfinite(x) || std::fabs(x) <= 1e-14) {
        std::memcpy(out, "0.0", 3);
        return 3;
    }
    // 15 significant digits, correctly rounded: "d.ddddddddddddddde+XX".
    char sci[40];
    const auto res = std::to_chars(sci, sci + sizeof sci, std::fabs(x), std::chars_format::scientific, 14);
    const char* end = res.ptr;
    char digits[16];
    int nd = 0;
    const char* p = sci;
    digits[nd++] = *p++;
    ++p;  // '.'
    while (*p != 'e') digits[nd++] = *p++;
    ++p;
    int exp10 = 0;
    std::from_chars(*p == '+' ? p + 1 : p, end, exp10);
    while (nd > 1 && digits[nd - 1] == '0') --nd;

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


std::string Exact(double x) {
    char b[kDxfRealMax];
    return std::string(b, ExactDxfRealChars(x, b));
}

// Answers the first value on which the two differ, as a message; empty when none.
template <class Values>
std::string FirstDifference(Values&& values) {
    std::string found;
    values([&](double x) {
        if (!found.empty()) return;
        const std::string want = Exact(x);
        const std::string got = DxfRealStr(x);
        if (got != want) {
            char b[64];
            std::to_chars(b, b + sizeof b, x);
            found = std::string(b) + ": " + got + " instead of " + want;
        }
    });
    return found;
}

size_t RandomCount() {
    const char* v = std::getenv("ZS_REAL_FORMAT_COUNT");
    if (v != nullptr && *v != '\0') {
        const long long n = std::strtoll(v, nullptr, 10);
        if (n > 0) return static_cast<size_t>(n);
    }
    return 3'000'000;
}

TEST(DxfRealFormat, EdgeValuesMatchTheExactFormatting) {
    const std::string diff = FirstDifference([](auto&& check) {
        const double lim = std::numeric_limits<double>::max();
        const double specials[] = {0.0, -0.0, lim, -lim, std::numeric_limits<double>::min(),
                                   std::numeric_limits<double>::denorm_min(), 1e-14, -1e-14,
                                   1e-4, 1e15, 0.1 + 0.2, 2444240.0, 0.03937007874016,
                                   std::nextafter(lim, 0.0), 9007199254740992.0, 9007199254740993.0};
        for (double v : specials)
            for (int s = -3; s <= 3; ++s) {
                double x = v;
                for (int k = 0; k < std::abs(s); ++k) x = std::nextafter(x, s < 0 ? -lim : lim);
                check(x);
                check(-x);
            }
        // Powers of ten and their neighbours.
        for (int e = -330; e <= 308; ++e) {
            const double p = std::pow(10.0, e);
            double lo = p, hi = p;
            check(p);
            for (int k = 0; k < 4; ++k) {
                lo = std::nextafter(lo, 0.0);
                hi = std::nextafter(hi, lim);
                check(lo);
                check(hi);
            }
        }
        // Halves in the 16th and 17th digits, and the nines that carry.
        for (int e = -20; e <= 20; ++e) {
            const double scale = std::pow(10.0, e);
            for (const char* m : {"1.234567890123455", "1.2345678901234565", "9.999999999999995",
                                  "9.9999999999999995", "1.000000000000005", "5.000000000000005",
                                  "9.99999999999999", "0.999999999999999", "4.4444444444444445"}) {
                const double x = std::strtod(m, nullptr) * scale;
                for (int k = -2; k <= 2; ++k) check(x + k * std::fabs(x) * 1e-16);
            }
        }
    });
    EXPECT_TRUE(diff.empty()) << diff;
}

TEST(DxfRealFormat, RandomValuesMatchTheExactFormatting) {
    const size_t n = RandomCount();
    std::mt19937_64 rng(20261210);
    const std::string diff = FirstDifference([&](auto&& check) {
        std::uniform_int_distribution<int> decimals(0, 12);
        std::uniform_int_distribution<int64_t> mantissa(-999'999'999'999'999LL, 999'999'999'999'999LL);
        std::uniform_real_distribution<double> coord(-5000.0, 5000.0);
        for (size_t i = 0; i < n; ++i) {
            switch (i % 4) {
                case 0: {  // any bit pattern: every exponent, subnormals, NaNs
                    const uint64_t bits = rng();
                    double x;
                    std::memcpy(&x, &bits, sizeof x);
                    check(x);
                    break;
                }
                case 1:  // a short decimal
                    check(static_cast<double>(mantissa(rng) % 100'000'000) / std::pow(10.0, decimals(rng)));
                    break;
                case 2:  // up to 15 digits at any scale
                    check(static_cast<double>(mantissa(rng)) * std::pow(10.0, static_cast<int>(rng() % 61) - 40));
                    break;
                default: {  // coordinates as computed: sums, products, angles
                    const double a = coord(rng), b = coord(rng);
                    check(a);
                    check(a * 0.4 - b * 0.1);
                    check(std::cos(a) * b);
                    break;
                }
            }
        }
    });
    EXPECT_TRUE(diff.empty()) << diff;
}

}  // namespace
}  // namespace jw
