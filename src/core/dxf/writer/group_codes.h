// Group-code output of the DXF text. Every group is two lines ended by CR LF:
// the group code right-aligned in three characters, then its value. All the
// writer's number formatting happens here: integers right-aligned in six
// characters unless another width is asked for, reals in the DXF real form,
// handles in upper-case hexadecimal, and user text in the release's encoding.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
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

// Formats groups into a buffer that goes to the output sink whenever it is
// nearly full.
class DxfGroupWriter {
public:
    // Widths of integer values besides the usual six characters: the 90
    // groups of CLASSES and OBJECTS, and an entity's lineweight (none).
    static constexpr size_t kWide = 9;
    static constexpr size_t kPlain = 0;

    // utf8: user text in UTF-8 (release 2007), else in code page 932.
    DxfGroupWriter(OutputSink& sink, bool utf8);

    // A value written as it is (the writer's fixed ASCII literals).
    void Str(int code, std::string_view value) {
        if (value.size() <= kShortValue) {  // the usual case: code, value and line ends at once
            char* o = PutCode(Room(kCodeMax + kShortValue + 2), code);
            std::memcpy(o, value.data(), value.size());
            Done(PutEol(o + value.size()));
            return;
        }
        Code(code);
        Append(value);
        Eol();
    }
    // An integer right-aligned in width characters.
    void Int(int code, int64_t value, size_t width = 6) {
        char* o = Room(kCodeMax + 24 + width + 2);
        o = PutCode(o, code);
        char b[24];
        const size_t n = static_cast<size_t>(std::to_chars(b, b + sizeof b, value).ptr - b);
        for (size_t i = n; i < width; ++i) *o++ = ' ';
        std::memcpy(o, b, n);
        Done(PutEol(o + n));
    }
    void Real(int code, double value) {
        char* o = PutCode(Room(kCodeMax + kDxfRealMax + 2), code);
        Done(PutEol(o + DxfRealChars(value, o)));
    }
    // A handle in upper-case hexadecimal.
    void Hex(int code, int64_t handle) {
        char* o = PutCode(Room(kCodeMax + 24 + 2), code);
        uint64_t v = static_cast<uint64_t>(handle);
        if (handle < 0) {
            *o++ = '-';
            v = 0 - v;  // the magnitude, also of the smallest
        }
        Done(PutEol(PutHex(o, v)));
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
        text_.clear();
        Encode(s, text_);
        Str(code, text_);
    }
    // Appends s in the release's encoding to out. Control characters are
    // dropped: they would break the line structure of the file.
    void Encode(std::u16string_view s, std::string& out);

    // Hands the text to the sink once the buffer is nearly full; called
    // between records.
    void FlushFull() {
        if (static_cast<size_t>(next_ - buf_) >= kFlushSize) Flush();
    }
    // Hands the rest of the text to the sink.
    void Flush();

private:
    // The buffer: small enough to stay in the processor's cache, large
    // enough that the text goes to the sink in few pieces (each past the
    // size a file sink writes straight through). Text goes to the sink once
    // kFlushSize of it is used, or when a group would not fit.
    static constexpr size_t kBufferSize = size_t{96} << 10;
    static constexpr size_t kFlushSize = kBufferSize - (size_t{4} << 10);
    // Longest group code with its line end ("1071\r\n").
    static constexpr size_t kCodeMax = 8;
    // Values up to this length go into the buffer with their group code in one step.
    static constexpr size_t kShortValue = 256;

    // Room for n more characters; the group is written there and ended with Done.
    char* Room(size_t n) {
        if (static_cast<size_t>(end_ - next_) < n) Flush();
        return next_;
    }
    void Done(char* o) { next_ = o; }
    static char* PutEol(char* o) {
        o[0] = '\r';
        o[1] = '\n';
        return o + 2;
    }
    // The group code right-aligned in three characters, and its line end.
    static char* PutCode(char* o, int code) {
        if (code >= 0 && code < 1000) {  // the usual case: exactly three characters
            o[0] = code >= 100 ? static_cast<char>('0' + code / 100) : ' ';
            o[1] = code >= 10 ? static_cast<char>('0' + code / 10 % 10) : ' ';
            o[2] = static_cast<char>('0' + code % 10);
            return PutEol(o + 3);
        }
        char b[12];
        const size_t n = static_cast<size_t>(std::to_chars(b, b + sizeof b, code).ptr - b);
        for (size_t i = n; i < 3; ++i) *o++ = ' ';
        std::memcpy(o, b, n);
        return PutEol(o + n);
    }
    static char* PutHex(char* o, uint64_t v) {
        int n = 1;
        while (n < 16 && (v >> (4 * n)) != 0) ++n;
        for (int i = n - 1; i >= 0; --i) {
            o[i] = "0123456789ABCDEF"[v & 15];
            v >>= 4;
        }
        return o + n;
    }
    void Code(int code) { Done(PutCode(Room(kCodeMax + 12), code)); }
    void Eol() { Done(PutEol(Room(2))); }
    // Text of any length: through the buffer, or past it when longer.
    void Append(std::string_view v);

    OutputSink& sink_;
    std::unique_ptr<char[]> storage_;
    char* buf_ = nullptr;   // start of the buffer
    char* next_ = nullptr;  // where the next group goes
    char* end_ = nullptr;
    std::string text_;      // user text in the release's encoding
    Bytes scratch_;
    bool utf8_;
};

}  // namespace jw
