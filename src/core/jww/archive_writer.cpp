// Writing side of the archive primitives: strings, counts, class records, the
// normalised entity attribute.
#include "jww/archive.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "model/file_formats.h"
#include "support/program_values.h"
#include "support/text_encoding.h"

namespace jw {

namespace {

// Longest strings the two length forms can state.
constexpr size_t kMaxAnsiLen = 65533;   // 0xFFFE would read as the UTF-16 marker
constexpr size_t kMaxWideLen = 65535;

// Length of the code page 932 byte string b[0..n) cut to at most max bytes
// without splitting a double-byte character.
size_t AnsiCut(const uint8_t* b, size_t n, size_t max) {
    if (n <= max) return n;
    size_t i = 0;
    while (i < max) {
        const uint8_t c = b[i];
        const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        const size_t w = lead ? 2 : 1;
        if (i + w > max) break;
        i += w;
    }
    return i;
}

bool LineStyleValid(unsigned s) { return (s >= 1 && s <= 9) || (s >= 11 && s <= 19) || (s >= 31 && s <= 62); }

}  // namespace

// ---------------------------------------------------------------------------
// ArchiveWriter

void ArchiveWriter::StrOut(const JwString& s) {
    if (fileOutOpt & kFileOutOptUtf16) {
        size_t len = s.size();
        if (len > kMaxWideLen) {
            len = kMaxWideLen;
            // Do not leave half of a surrogate pair at the end.
            if (s[len - 1] >= 0xD800 && s[len - 1] <= 0xDBFF) --len;
        }
        const uint8_t marker[3] = {0xFF, 0xFE, 0xFF};
        WriteBytes(marker, 3);
        if (len >= 255) {
            WriteByte(0xFF);
            WriteWord(static_cast<uint16_t>(len));
        } else {
            WriteByte(static_cast<uint8_t>(len));
        }
        if (len == 0) return;
        if constexpr (std::endian::native == std::endian::little) {
            WriteBytes(s.data(), len * 2);  // the code units are UTF-16LE already
            return;
        }
        scratch_.resize(len * 2);
        for (size_t i = 0; i < len; ++i) {
            const uint16_t c = s[i];
            scratch_[2 * i] = static_cast<uint8_t>(c & 0xFF);
            scratch_[2 * i + 1] = static_cast<uint8_t>(c >> 8);
        }
        WriteBytes(scratch_.data(), scratch_.size());
        return;
    }
    // ASCII needs no table: its characters are their own bytes. Anything
    // else goes through the code page 932 encoder.
    const size_t units = s.size();
    size_t ascii = 0;
    while (ascii < units && s[ascii] < 0x80 && s[ascii] != 0) ++ascii;
    scratch_.resize(ascii);
    for (size_t i = 0; i < ascii; ++i) scratch_[i] = static_cast<uint8_t>(s[i]);
    if (ascii < units && s[ascii] != 0) AnsiAppend(std::u16string_view(s).substr(ascii), scratch_);
    const uint8_t* b = scratch_.data();
    size_t len = ascii;
    const size_t n = scratch_.size();
    while (len < n && b[len] != 0) ++len;
    len = AnsiCut(b, len, kMaxAnsiLen);
    if (len >= 255) {
        WriteByte(0xFF);
        WriteWord(static_cast<uint16_t>(len));
    } else {
        WriteByte(static_cast<uint8_t>(len));
    }
    if (len > 0) WriteBytes(b, len);
}

void ArchiveWriter::CountOut(int32_t n) {
    if (n >= 0 && n < 0xFFFF) {
        WriteWord(static_cast<uint16_t>(n));
    } else {
        WriteWord(0xFFFF);
        WriteInt(n);
    }
}

void ArchiveWriter::ClassOut(int32_t index) {
    if (index >= 0 && index < 0x7FFF) {
        WriteWord(static_cast<uint16_t>(0x8000 + index));
    } else {
        WriteWord(0x7FFF);
        WriteCard(0x80000000u | static_cast<uint32_t>(index));
    }
}

void ArchiveWriter::NewClassOut(int32_t ver, const char* name) {
    const size_t len = std::strlen(name);
    uint8_t head[6];
    const uint16_t tag = 0xFFFF;
    const uint16_t schema = static_cast<uint16_t>(static_cast<uint32_t>(ver) & 0xFFFF);
    const uint16_t nameLen = static_cast<uint16_t>(len);
    std::memcpy(head, &tag, 2);
    std::memcpy(head + 2, &schema, 2);
    std::memcpy(head + 4, &nameLen, 2);
    WriteBytes(head, 6);
    WriteBytes(name, len);
}

TEntJwwAttr NormalizeAttrForOutput(int32_t ver, const TEntJwwAttr& att, int kind) {
    // Line types 31..62 and colours 101..116 of the formats before 4.20.
    static constexpr uint8_t kStyleMap[15] = {1, 4, 3, 6, 8, 8, 2, 5, 7, 6, 6, 8, 8, 17, 17};  // 31..45
    static constexpr uint16_t kColorMap[16] = {2, 8, 3, 6, 4, 5, 1, 2, 5, 8, 4, 3, 6, 5, 2, 2};  // 101..116

    TEntJwwAttr a = att;
    if (ver < kVerSxf) {
        if (kind == kEntLine || kind == kEntEnko) {
            const unsigned s = a.nPenStyle;
            if (s >= 31 && s <= 45) a.nPenStyle = kStyleMap[s - 31];
            else if (s >= 46 && s <= 62) a.nPenStyle = 1;
        }
        if (kind >= kEntLine && kind <= kEntSolid) {
            const unsigned c = a.nPenColor;
            if (c >= 101 && c <= 116) a.nPenColor = kColorMap[c - 101];
            else if (c >= 117 && c <= 356) a.nPenColor = 1;
        }
    }
    const auto defStyle = static_cast<uint8_t>(JwDefaultPenStyle);
    const auto defColor = static_cast<uint16_t>(JwDefaultPenColor);
    switch (kind) {
        case kEntLine:
        case kEntEnko:
            if (!LineStyleValid(a.nPenStyle)) a.nPenStyle = defStyle;
            break;
        case kEntTen:
            if (a.nPenStyle != 1 && a.nPenStyle != 100) a.nPenStyle = defStyle;
            break;
        case kEntMoji:
            if (a.nPenStyle < 1 || a.nPenStyle > 9) a.nPenStyle = defStyle;
            break;
        default:
            break;
    }
    if (kind >= kEntLine && kind <= kEntSunpo) {
        const unsigned c = a.nPenColor;
        if (!((c >= 1 && c <= 9) || (c >= 101 && c <= 356))) a.nPenColor = defColor;
    } else if (kind == kEntSolid) {
        const unsigned c = a.nPenColor;
        if (!((c >= 1 && c <= 10) || (c >= 101 && c <= 356))) a.nPenColor = defColor;
    }
    if (a.nLayer > 15) a.nLayer = 0;
    if (a.nGLayer > 15) a.nGLayer = 0;
    if (a.nPenWidth > 30000) a.nPenWidth = 0;
    return a;
}

double LimitSize(double v) {
    v = std::fabs(v);
    if (v < 1e-10) return 1e-10;
    if (v > 1e10) return 1e10;
    return v;
}

void ArchiveWriter::AttrOut(int32_t ver, const TEntJwwAttr& att, int kind) {
    const TEntJwwAttr a = NormalizeAttrForOutput(ver, att, kind);
    if (ver >= kVerPenWidth) {
        WriteBytes(&a, sizeof a);
        return;
    }
    // 13-byte form: no nPenWidth.
    uint8_t b[13];
    std::memcpy(b, &a, 7);
    std::memcpy(b + 7, reinterpret_cast<const uint8_t*>(&a) + 9, 6);
    WriteBytes(b, 13);
}

}  // namespace jw
