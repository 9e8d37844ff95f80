// Shared pieces of the legacy JWC/JWK codecs.
#include "legacy/legacy_io.h"

#include <cmath>

#include "support/file_io.h"
#include "support/numbers.h"
#include "support/program_values.h"
#include "support/strings.h"
#include "support/text_encoding.h"

namespace jw::legacy {

void Fail(const std::string& what) { throw ReadFailure{std::string(kErrFileIO) + ": " + what}; }

void TakeRecord(ByteCursor& cur, uint8_t* rec, size_t n, const char* what, int64_t index, int64_t count) {
    if (cur.Read(rec, n) == 0)
        Fail(std::string("the file ends in the ") + what + " (" + std::to_string(index) + " of " +
             std::to_string(count) + " read)");
}

std::vector<JwString> SplitFields(std::u16string_view text, size_t n) {
    std::vector<JwString> fields(n, JwString(u"0"));
    size_t k = 0;
    std::u16string_view rest = text;
    while (k < n && !rest.empty()) {
        size_t comma = rest.find(u',');
        if (comma == std::u16string_view::npos) {
            fields[k++] = JwString(rest);
            break;
        }
        fields[k++] = JwString(rest.substr(0, comma));
        rest.remove_prefix(comma + 1);
    }
    return fields;
}

std::vector<JwString> BlockFields(const uint8_t* block, size_t size, size_t n) {
    return SplitFields(AnsiBytesStr(block, size), n);
}

float ToSingle(double v) {
    // Beyond the largest Single (plus half a unit in the last place) the
    // rounded value is infinite.
    static const double kLimit = std::ldexp(1.0, 128) - std::ldexp(1.0, 103);
    if (std::isfinite(v) && std::fabs(v) >= kLimit) return v > 0 ? INFINITY : -INFINITY;
    return static_cast<float>(v);
}

int32_t FieldInt(const JwString& f) { return StrIntDef0(f); }

float FieldSingle(const JwString& f) { return ToSingle(StrFloatDef0(f)); }

static int32_t HexGroup(std::u16string_view g) {
    int32_t v = 0;
    for (char16_t c : g) {
        int d;
        if (c >= u'0' && c <= u'9') d = c - u'0';
        else if (c >= u'A' && c <= u'F') d = c - u'A' + 10;
        else if (c >= u'a' && c <= u'f') d = c - u'a' + 10;
        else return 0;
        v = v * 16 + d;
    }
    return v;
}

int32_t SegOfsAddress(std::u16string_view field) {
    auto part = [&](size_t from, size_t count) {
        if (from >= field.size()) return std::u16string_view();
        return field.substr(from, count);
    };
    return HexGroup(part(0, 4)) * 16 + HexGroup(part(5, 4));
}

JwString AreaString(const uint8_t* area, size_t size, int64_t pos) {
    if (pos < 0 || static_cast<uint64_t>(pos) >= size) return JwString();
    const uint8_t* start = area + pos;
    size_t left = size - static_cast<size_t>(pos);
    const void* zero = std::memchr(start, 0, left);
    size_t len = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - start) : left;
    return StrNoCtrl(AnsiBytesStr(start, len));
}

// Length of the code page 932 character that starts with byte b.
static size_t Cp932CharLen(uint8_t b) { return ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) ? 2 : 1; }

void PutAnsiField(std::vector<uint8_t>& out, std::u16string_view s, size_t width, uint8_t pad) {
    PutBytesField(out, AnsiBytes(s), width, pad);
}

void PutBytesField(std::vector<uint8_t>& out, const std::vector<uint8_t>& b, size_t width, uint8_t pad) {
    size_t used = 0;
    while (used < b.size()) {
        size_t len = Cp932CharLen(b[used]);
        if (used + len > width || used + len > b.size()) break;
        used += len;
    }
    out.insert(out.end(), b.begin(), b.begin() + static_cast<std::ptrdiff_t>(used));
    out.insert(out.end(), width - used, pad);
}

void PublishContext(const JwString& fileName, const JwString& comment1, const JwString& comment2) {
    JwFileName = fileName;
    JwDrawTime.clear();
    JwMemo1 = StrNoCtrl(comment1);
    JwMemo2 = StrNoCtrl(comment2);
    JwMemo = JwMemo2.empty() ? JwMemo1 : JwMemo1 + u'\u3000' + JwMemo2;
    JwPrtScale = 1.0;
}

int64_t RoundClamp(double v, int64_t lo, int64_t hi) {
    if (std::isnan(v)) return 0;
    double r = std::nearbyint(v);
    if (r <= static_cast<double>(lo)) return lo;
    if (r >= static_cast<double>(hi)) return hi;
    return static_cast<int64_t>(r);
}

}  // namespace jw::legacy
