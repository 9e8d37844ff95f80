// Group-code output of the DXF text. Every group is two lines ended by CR LF:
// the group code right-aligned in three characters, then its value. All the
// writer's number formatting happens here: integers right-aligned in six
// characters unless another width is asked for, reals in the DXF real form,
// handles in upper-case hexadecimal, and user text in the release's encoding.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "support/file_io.h"
#include "support/text_encoding.h"

namespace jw {

// Longest text DxfRealChars writes.
constexpr size_t kDxfRealMax = 32;

// Writes the DXF form of a real into out (at least kDxfRealMax bytes) and
// answers its length: 0.0 for |x| <= 1e-14, otherwise the general form with
// 15 significant digits (scientific, "1.0E-5", below 1e-4 and from 1e15),
// fractions rounded to 14 decimals (half away from zero), ".0" added when the
// mantissa has no point. A NaN or an infinity is written as 0.0.
size_t DxfRealChars(double x, char* out);
std::string DxfRealStr(double x);

// Formats groups into a large buffer that goes to the output sink in blocks.
class DxfGroupWriter {
public:
    // Widths of integer values besides the usual six characters: the 90
    // groups of CLASSES and OBJECTS, and an entity's lineweight (none).
    static constexpr size_t kWide = 9;
    static constexpr size_t kPlain = 0;

    // utf8: user text in UTF-8 (release 2007), else in code page 932.
    // The buffer starts small (a small drawing makes a small DXF) and grows
    // up to the flush size.
    DxfGroupWriter(OutputSink& sink, bool utf8) : sink_(sink), utf8_(utf8) { buf_.reserve(kFirstBuffer); }

    // A value written as it is (the writer's fixed ASCII literals).
    void Str(int code, std::string_view value) {
        Code(code);
        buf_.append(value);
        Eol();
    }
    // An integer right-aligned in width characters.
    void Int(int code, int64_t value, size_t width = 6) {
        Code(code);
        char b[24];
        const size_t n = static_cast<size_t>(std::to_chars(b, b + sizeof b, value).ptr - b);
        if (n < width) buf_.append(width - n, ' ');
        buf_.append(b, n);
        Eol();
    }
    void Real(int code, double value) {
        Code(code);
        char b[kDxfRealMax];
        buf_.append(b, DxfRealChars(value, b));
        Eol();
    }
    void Hex(int code, int64_t handle) {
        Code(code);
        char b[24];
        char* e = std::to_chars(b, b + sizeof b, handle, 16).ptr;
        for (char* p = b; p < e; ++p)
            if (*p >= 'a' && *p <= 'f') *p = static_cast<char>(*p - 'a' + 'A');
        buf_.append(b, static_cast<size_t>(e - b));
        Eol();
    }
    // A point: x under code, y under code + 10 (and z under code + 20).
    void XY(int code, double x, double y) {
        Real(code, x);
        Real(code + 10, y);
    }
    void XYZ(int code, double x, double y, double z = 0) {
        Real(code, x);
        Real(code + 10, y);
        Real(code + 20, z);
    }
    // Runs of constant groups, one {code, value} each.
    void Ints(std::initializer_list<std::pair<int, int64_t>> groups) {
        for (const auto& [code, value] : groups) Int(code, value);
    }
    void Reals(std::initializer_list<std::pair<int, double>> groups) {
        for (const auto& [code, value] : groups) Real(code, value);
    }
    // User text in the release's encoding.
    void Text(int code, std::u16string_view s) {
        Code(code);
        Encode(s, buf_);
        Eol();
    }
    // Appends s in the release's encoding to out. Control characters are
    // dropped: they would break the line structure of the file.
    void Encode(std::u16string_view s, std::string& out);

    // Hands the text to the sink once the buffer is full; called between records.
    void FlushFull() {
        if (buf_.size() >= kFlushSize) Flush();
    }
    // Hands the rest of the text to the sink.
    void Flush();

private:
    static constexpr size_t kFlushSize = size_t{1} << 22;
    static constexpr size_t kFirstBuffer = size_t{1} << 16;

    void Eol() { buf_.append("\r\n", 2); }
    void Code(int code) {
        if (code >= 0 && code < 1000) {  // the usual case: exactly three characters
            const char b[5] = {code >= 100 ? static_cast<char>('0' + code / 100) : ' ',
                               code >= 10 ? static_cast<char>('0' + code / 10 % 10) : ' ',
                               static_cast<char>('0' + code % 10), '\r', '\n'};
            buf_.append(b, sizeof b);
            return;
        }
        char b[12];
        const size_t n = static_cast<size_t>(std::to_chars(b, b + sizeof b, code).ptr - b);
        if (n < 3) buf_.append(3 - n, ' ');
        buf_.append(b, n);
        Eol();
    }

    OutputSink& sink_;
    std::string buf_;
    Bytes scratch_;
    bool utf8_;
};

}  // namespace jw
