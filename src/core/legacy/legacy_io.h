// Shared pieces of the legacy JWC drawing and JWK figure codecs: a bounded
// cursor over a file held in memory, the comma-separated number fields of the
// text header blocks, segment:offset addresses, the cutting of Shift-JIS text
// into fixed fields, and the publishing of the text-variable context.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace jw {

using JwString = std::u16string;

namespace legacy {

// Size of each text header block.
inline constexpr size_t kBlockSize = 200;

// Reads little-endian numbers from raw bytes (unaligned).
inline float GetSingle(const uint8_t* p) {
    float v;
    std::memcpy(&v, p, 4);
    return v;
}
inline uint16_t GetWord(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline int32_t GetInt(const uint8_t* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// A read position in a file held in memory. Read copies what is left (up to n
// bytes) and zero-fills the rest of the destination, so a short read leaves
// zeros where the file ended; it answers the number of bytes delivered.
class ByteCursor {
public:
    ByteCursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t Remaining() const { return size_ - pos_; }
    size_t Pos() const { return pos_; }
    size_t Read(void* dst, size_t n) {
        size_t k = n < Remaining() ? n : Remaining();
        if (k) std::memcpy(dst, data_ + pos_, k);
        if (k < n) std::memset(static_cast<uint8_t*>(dst) + k, 0, n - k);
        pos_ += k;
        return k;
    }
    // Bytes in place (no copy): answers a pointer to up to n bytes and their
    // number in delivered.
    const uint8_t* Take(size_t n, size_t& delivered) {
        delivered = n < Remaining() ? n : Remaining();
        const uint8_t* p = data_ + pos_;
        pos_ += delivered;
        return p;
    }
    // Number of records of recSize bytes (the last one possibly short) that
    // the rest of the file can deliver, capped at count; 0 for count <= 0.
    size_t Capacity(int64_t count, size_t recSize) const {
        if (count <= 0) return 0;
        size_t most = (Remaining() + recSize - 1) / recSize;
        return static_cast<uint64_t>(count) < most ? static_cast<size_t>(count) : most;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Failure inside a parser; the public operations catch it and keep the
// message in LastError.
struct ReadFailure {
    std::string message;
};
// Raises "File I/O Error: " + what.
[[noreturn]] void Fail(const std::string& what);
// Copies one record of n bytes into rec (zero-filled past the end of the
// file); fails when the file has no byte left for it (index records of count
// were read).
void TakeRecord(ByteCursor& cur, uint8_t* rec, size_t n, const char* what, int64_t index, int64_t count);

// Splits text into at most n fields at commas: each comma ends one field; the
// text after the last comma is the last field; splitting stops when the rest
// is empty or n fields are filled. Fields that receive nothing are "0".
std::vector<JwString> SplitFields(std::u16string_view text, size_t n);
// Decodes a header block (code page 932, ending at its first zero byte) and
// splits it into n fields.
std::vector<JwString> BlockFields(const uint8_t* block, size_t size, size_t n);

// Number fields: StrIntDef0 / StrFloatDef0, the float result rounded to a
// Single (values beyond its range become infinite, as the hardware does).
int32_t FieldInt(const JwString& f);
float FieldSingle(const JwString& f);
float ToSingle(double v);

// A segment:offset address: four hexadecimal digits (characters 0-3), a
// separator (character 4, not looked at) and four more (characters 5-8);
// segment * 16 + offset. A group that is not hexadecimal counts as 0.
int32_t SegOfsAddress(std::u16string_view field);

// String from an area of bytes: starts at pos and runs to the next zero byte
// or the end of the area; empty when pos lies outside the area. Characters
// below U+0020 are removed.
JwString AreaString(const uint8_t* area, size_t size, int64_t pos);

// Appends Shift-JIS bytes into exactly width bytes: cut before a double-byte
// character that would not fit whole, padded with pad.
void PutBytesField(std::vector<uint8_t>& out, const std::vector<uint8_t>& bytes, size_t width, uint8_t pad);
// The same for the Shift-JIS bytes of s.
void PutAnsiField(std::vector<uint8_t>& out, std::u16string_view s, size_t width, uint8_t pad);

// Publishes the text-variable context of a legacy file: its name, no drawing
// time, the two comment lines as memo, print scale 1.
void PublishContext(const JwString& fileName, const JwString& comment1, const JwString& comment2);

// Saturating conversion of a rounded value to an integer range (NaN gives 0).
int64_t RoundClamp(double v, int64_t lo, int64_t hi);

}  // namespace legacy
}  // namespace jw
