#include "dxf/writer/group_codes.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace jw {

size_t DxfRealChars(double x, char* out) {
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
    for (uint8_t b : scratch_)
        if (b >= 0x20) out.push_back(static_cast<char>(b));
}

void DxfGroupWriter::Flush() {
    if (!buf_.empty()) sink_.Write(reinterpret_cast<const uint8_t*>(buf_.data()), buf_.size());
    buf_.clear();
}

}  // namespace jw
