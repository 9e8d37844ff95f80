#include "support/text_encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "support/strings.h"

namespace jw {

namespace {

constexpr uint16_t kNoCode = 0xFFFF;       // encode table: not representable
constexpr char16_t kUndefinedDbcs = 0x30FB;  // Windows' character for undefined double-byte codes
constexpr char16_t kReplacement = 0xFFFD;

// Lookup tables of Windows code page 932, built once from glibc's "CP932"
// converter. Converting through the tables instead of iconv keeps the hot
// paths (millions of short strings per drawing) free of per-call set-up.
// Each direction is built when it is first needed: a program that only
// reads (info, the DXF export) never builds the encoding table, whose 65,536
// conversions take most of the time of the two.
struct Cp932Decoding {
    char16_t single[256];  // decoding of a single byte (lead bytes: 0)
    bool lead[256];        // true for a lead byte of a double-byte code
    char16_t pair[65536];  // (lead << 8 | trail) -> code unit, 0 = undefined
};
struct Cp932Encoding {
    uint16_t encode[65536];  // code unit -> byte (< 0x100) or lead << 8 | trail
};

// Single bytes that the code page leaves undefined: Windows maps them to
// U+0080 and private-use characters, in both directions.
constexpr struct {
    uint8_t byte;
    char16_t unit;
} kWindowsSingles[] = {{0x80, 0x0080}, {0xA0, 0xF8F0}, {0xFD, 0xF8F1}, {0xFE, 0xF8F2}, {0xFF, 0xF8F3}};

// Converts in[0..inLen) with cd; true when all input was consumed.
bool IconvAll(iconv_t cd, const char* in, size_t inLen, char* out, size_t outCap, size_t& outLen,
              int& err) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = const_cast<char*>(in);
    char* outPtr = out;
    size_t inLeft = inLen;
    size_t outLeft = outCap;
    err = 0;
    size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    outLen = outCap - outLeft;
    if (r == static_cast<size_t>(-1)) {
        err = errno;
        return false;
    }
    return inLeft == 0;
}

// A converter between code page 932 and UTF-16LE; false when the system has none.
bool OpenCp932(iconv_t& cd, const char* to, const char* from) {
    cd = iconv_open(to, from);
    return cd != reinterpret_cast<iconv_t>(-1);
}

std::unique_ptr<Cp932Decoding> BuildDecoding() {
    auto t = std::make_unique<Cp932Decoding>();
    std::memset(t->single, 0, sizeof t->single);
    std::memset(t->lead, 0, sizeof t->lead);
    std::memset(t->pair, 0, sizeof t->pair);
    iconv_t dec;
    if (!OpenCp932(dec, "UTF-16LE", "CP932")) {
        // Without the converter: ASCII and half-width katakana, which need no table.
        for (int b = 0; b < 256; ++b) {
            if (b < 0x80) t->single[b] = static_cast<char16_t>(b);
            else if (b >= 0xA1 && b <= 0xDF) t->single[b] = static_cast<char16_t>(0xFF61 + (b - 0xA1));
            t->lead[b] = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        }
    } else {
        char out[16];
        size_t outLen = 0;
        int err = 0;
        for (int b = 0; b < 256; ++b) {
            const char in[1] = {static_cast<char>(b)};
            if (IconvAll(dec, in, 1, out, sizeof out, outLen, err) && outLen == 2) {
                t->single[b] = static_cast<char16_t>(static_cast<uint8_t>(out[0]) |
                                                     static_cast<uint8_t>(out[1]) << 8);
            } else if (err == EINVAL) {
                t->lead[b] = true;  // incomplete input: the start of a double-byte code
            }
        }
        for (int b = 0; b < 256; ++b) {
            if (!t->lead[b]) continue;
            for (int trail = 0; trail < 256; ++trail) {
                const char in[2] = {static_cast<char>(b), static_cast<char>(trail)};
                if (IconvAll(dec, in, 2, out, sizeof out, outLen, err) && outLen == 2) {
                    t->pair[b << 8 | trail] = static_cast<char16_t>(
                        static_cast<uint8_t>(out[0]) | static_cast<uint8_t>(out[1]) << 8);
                }
            }
        }
        iconv_close(dec);
    }
    for (const auto& m : kWindowsSingles)
        if (t->single[m.byte] == 0 && !t->lead[m.byte]) t->single[m.byte] = m.unit;
    return t;
}

std::unique_ptr<Cp932Encoding> BuildEncoding() {
    auto t = std::make_unique<Cp932Encoding>();
    for (auto& e : t->encode) e = kNoCode;
    iconv_t enc;
    if (!OpenCp932(enc, "CP932", "UTF-16LE")) {
        for (int b = 0; b < 0x80; ++b) t->encode[b] = static_cast<uint16_t>(b);
        for (int b = 0xA1; b <= 0xDF; ++b) t->encode[0xFF61 + (b - 0xA1)] = static_cast<uint16_t>(b);
    } else {
        char out[16];
        size_t outLen = 0;
        int err = 0;
        for (int u = 0; u < 0x10000; ++u) {
            if (u >= 0xD800 && u <= 0xDFFF) continue;
            const char in[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
            if (!IconvAll(enc, in, 2, out, sizeof out, outLen, err)) continue;
            if (outLen == 1) {
                t->encode[u] = static_cast<uint8_t>(out[0]);
            } else if (outLen == 2) {
                t->encode[u] = static_cast<uint16_t>(static_cast<uint8_t>(out[0]) << 8 |
                                                     static_cast<uint8_t>(out[1]));
            }
        }
        iconv_close(enc);
    }
    for (const auto& m : kWindowsSingles)
        if (t->encode[m.unit] == kNoCode) t->encode[m.unit] = m.byte;
    return t;
}

const Cp932Decoding& DecodeTables() {
    static const std::unique_ptr<Cp932Decoding> tables = BuildDecoding();  // thread-safe once
    return *tables;
}

const Cp932Encoding& EncodeTables() {
    static const std::unique_ptr<Cp932Encoding> tables = BuildEncoding();  // thread-safe once
    return *tables;
}

inline bool IsSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Decodes n bytes into o (room for n characters); answers the characters written.
size_t AnsiDecodeTo(const uint8_t* data, size_t n, bool stopAtZero, char16_t* o) {
    const Cp932Decoding& t = DecodeTables();
    size_t k = 0;
    size_t i = 0;
    while (i < n) {
        uint8_t b = data[i];
        if (b < 0x80) {
            if (b == 0 && stopAtZero) break;
            o[k++] = b;
            ++i;
        } else if (t.lead[b]) {
            if (i + 1 >= n) break;  // a lead byte at the very end is dropped
            uint8_t trail = data[i + 1];
            if (trail < 0x40) {
                o[k++] = kUndefinedDbcs;
                ++i;
            } else {
                char16_t c = t.pair[b << 8 | trail];
                o[k++] = c != 0 ? c : kUndefinedDbcs;
                i += 2;
            }
        } else {
            o[k++] = t.single[b];
            ++i;
        }
    }
    return k;
}

JwString AnsiDecode(const uint8_t* data, size_t n, bool stopAtZero) {
    if (data == nullptr || n == 0) return {};
    // A double-byte character gives one code unit for two bytes: short texts
    // are decoded on the stack first, so that the string takes only what it
    // holds (a short one none at all) instead of a unit for every byte.
    constexpr size_t kOnStack = 256;
    if (n <= kOnStack) {
        char16_t buf[kOnStack];
        return JwString(buf, AnsiDecodeTo(data, n, stopAtZero, buf));
    }
    JwString out(n, u'\0');
    out.resize(AnsiDecodeTo(data, n, stopAtZero, out.data()));
    return out;
}

// Number of code page 932 bytes of s up to its first U+0000 (only U+0000
// encodes to a zero byte).
size_t EncodedLen(std::u16string_view s) {
    const Cp932Encoding& t = EncodeTables();
    size_t len = 0;
    const size_t n = s.size();
    for (size_t i = 0; i < n; ++i) {
        char16_t c = s[i];
        if (c < 0x80) {
            if (c == 0) break;
            ++len;
        } else if (IsSurrogatePair(s, i)) {
            ++len;
            ++i;
        } else {
            uint16_t code = t.encode[c];
            len += (code != kNoCode && code >= 0x100) ? 2 : 1;
        }
    }
    return len;
}

// Appends the UTF-8 bytes of code point cp to out (a byte array or a string).
template <class Out>
void PutUtf8(uint32_t cp, Out& out) {
    using Unit = typename Out::value_type;
    if (cp < 0x80) {
        out.push_back(static_cast<Unit>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<Unit>(0xC0 | cp >> 6));
        out.push_back(static_cast<Unit>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<Unit>(0xE0 | cp >> 12));
        out.push_back(static_cast<Unit>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<Unit>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<Unit>(0xF0 | cp >> 18));
        out.push_back(static_cast<Unit>(0x80 | (cp >> 12 & 0x3F)));
        out.push_back(static_cast<Unit>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<Unit>(0x80 | (cp & 0x3F)));
    }
}

// Appends s encoded in UTF-8 to out; a lone surrogate becomes U+FFFD.
template <class Out>
void Utf8Encode(std::u16string_view s, Out& out) {
    // Grow geometrically: callers may append many short strings to one buffer.
    const size_t want = out.size() + s.size() + s.size() / 2;
    if (want > out.capacity()) out.reserve(out.empty() ? want : std::max(want, out.capacity() * 2));
    const size_t n = s.size();
    for (size_t i = 0; i < n; ++i) {
        char16_t c = s[i];
        if (c < 0x80) {
            out.push_back(static_cast<typename Out::value_type>(c));
        } else if (IsSurrogatePair(s, i)) {
            PutUtf8(0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00), out);
            ++i;
        } else if (IsSurrogate(c)) {
            PutUtf8(kReplacement, out);  // a lone surrogate
        } else {
            PutUtf8(c, out);
        }
    }
}

}  // namespace

bool AnsiCanHold(std::u16string_view s) {
    const Cp932Encoding& t = EncodeTables();
    for (char16_t c : s)
        if (c >= 0x80 && (IsSurrogate(c) || t.encode[c] == kNoCode)) return false;
    return true;
}

void AnsiAppend(std::u16string_view s, Bytes& out) {
    const Cp932Encoding& t = EncodeTables();
    // Grow geometrically: callers append many short strings to one buffer.
    const size_t worst = out.size() + s.size() * 2;
    if (worst > out.capacity()) out.reserve(std::max(worst, out.capacity() * 2));
    const size_t n = s.size();
    for (size_t i = 0; i < n; ++i) {
        char16_t c = s[i];
        if (c < 0x80) {
            out.push_back(static_cast<uint8_t>(c));
            continue;
        }
        if (IsSurrogatePair(s, i)) {
            out.push_back('?');  // no code point beyond the BMP is in the code page
            ++i;
            continue;
        }
        uint16_t code = t.encode[c];
        if (code == kNoCode) {
            out.push_back('?');
        } else if (code < 0x100) {
            out.push_back(static_cast<uint8_t>(code));
        } else {
            out.push_back(static_cast<uint8_t>(code >> 8));
            out.push_back(static_cast<uint8_t>(code & 0xFF));
        }
    }
}

Bytes AnsiBytes(std::u16string_view s) {
    Bytes out;
    AnsiAppend(s, out);
    return out;
}

bool AnsiLeadByte(uint8_t b) { return DecodeTables().lead[b]; }

JwString AnsiBytesStr(const uint8_t* data, size_t n) { return AnsiDecode(data, n, true); }

JwString AnsiBytesStr(const Bytes& b) { return AnsiDecode(b.data(), b.size(), true); }

JwString AnsiBytesStrFull(const uint8_t* data, size_t n) { return AnsiDecode(data, n, false); }

int32_t AnsiLen(std::u16string_view s) { return static_cast<int32_t>(EncodedLen(s)); }

int32_t ZeroLen(const Bytes& b) {
    const void* z = b.empty() ? nullptr : std::memchr(b.data(), 0, b.size());
    return static_cast<int32_t>(z ? static_cast<const uint8_t*>(z) - b.data() : b.size());
}

Bytes WideBytes(std::u16string_view s) {
    Bytes out(s.size() * 2);
    for (size_t i = 0; i < s.size(); ++i) {
        out[2 * i] = static_cast<uint8_t>(s[i] & 0xFF);
        out[2 * i + 1] = static_cast<uint8_t>(s[i] >> 8);
    }
    return out;
}

JwString WideBytesStr(const uint8_t* data, size_t n) {
    JwString out;
    if (data == nullptr) return out;
    const size_t units = n / 2;  // an odd last byte holds no whole code unit
    size_t len = 0;
    while (len < units && (data[2 * len] | data[2 * len + 1]) != 0) ++len;
    out.resize(len);
    for (size_t i = 0; i < len; ++i)
        out[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    return out;
}

JwString WideBytesStr(const Bytes& b) { return WideBytesStr(b.data(), b.size()); }

void Utf8Append(std::u16string_view s, Bytes& out) { Utf8Encode(s, out); }

void Utf8Append(std::u16string_view s, std::string& out) { Utf8Encode(s, out); }

Bytes Utf8Bytes(std::u16string_view s) {
    Bytes out;
    Utf8Append(s, out);
    return out;
}

std::string ToUtf8(std::u16string_view s) {
    std::string out;
    Utf8Append(s, out);
    return out;
}

namespace {

// The code point of the UTF-8 sequence at p[i]: answers how many bytes it
// takes, or, for a byte that begins no valid sequence, how many bytes make
// up the broken one (cp is then kBroken). Overlong forms, surrogates and
// values beyond U+10FFFF are broken.
constexpr uint32_t kBroken = 0xFFFFFFFF;
size_t Utf8Sequence(const uint8_t* p, size_t n, size_t i, uint32_t& cp) {
    const uint8_t b = p[i];
    if (b < 0x80) {
        cp = b;
        return 1;
    }
    // Length and smallest value of the sequence, and the allowed range of its
    // second byte.
    size_t len = 0;
    uint8_t lo = 0x80, hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        len = 2;
        cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3;
        cp = b & 0x0F;
        if (b == 0xE0) lo = 0xA0;
        if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4;
        cp = b & 0x07;
        if (b == 0xF0) lo = 0x90;
        if (b == 0xF4) hi = 0x8F;
    }
    if (len == 0) {
        cp = kBroken;
        return 1;
    }
    for (size_t k = 1; k < len; ++k) {
        const uint8_t c = i + k < n ? p[i + k] : 0;
        if (i + k >= n || c < (k == 1 ? lo : 0x80) || c > (k == 1 ? hi : 0xBF)) {
            cp = kBroken;  // one broken sequence up to the byte that breaks it
            return k;
        }
        cp = cp << 6 | (c & 0x3F);
    }
    return len;
}

}  // namespace

JwString FromUtf8(std::string_view s) {
    JwString out;
    out.reserve(s.size());
    const auto* p = reinterpret_cast<const uint8_t*>(s.data());
    const size_t n = s.size();
    for (size_t i = 0; i < n;) {
        uint32_t cp = 0;
        const size_t len = Utf8Sequence(p, n, i, cp);
        if (cp == kBroken) {
            out.push_back(kReplacement);  // one replacement per broken sequence
        } else if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return out;
}

std::string EscapeControls(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    const auto* p = reinterpret_cast<const uint8_t*>(utf8.data());
    const size_t n = utf8.size();
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (size_t i = 0; i < n;) {
        uint32_t cp = 0;
        const size_t len = Utf8Sequence(p, n, i, cp);
        const bool control = cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp <= 0x9F);
        if (cp != kBroken && !control) {
            out.append(utf8.substr(i, len));
        } else if (cp == u'\t' || cp == u'\n' || cp == u'\r') {
            out += cp == u'\t' ? "\\t" : cp == u'\n' ? "\\n" : "\\r";
        } else {
            // Each byte of a control character or of a broken sequence.
            for (size_t k = 0; k < len; ++k) {
                out += "\\x";
                out += kHex[p[i + k] >> 4];
                out += kHex[p[i + k] & 0xF];
            }
        }
        i += len;
    }
    return out;
}

}  // namespace jw
