// Reading half of the archive primitives: the whole file is read into memory
// once and parsed from that buffer.
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <cstring>
#include <string>

#include "jww/archive.h"
#include "support/text_encoding.h"

namespace jw {

namespace {

std::string Hex(uint64_t v) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(v));
    return buf;
}

// 1-based number with thousands separated: 1,234.
std::string Ordinal(int64_t index) {
    std::string digits = std::to_string(index + 1);
    for (size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, ",");
    return digits;
}

}  // namespace

std::string DescribePlace(const ReadPlace& p) {
    std::string s;
    switch (p.section) {
        case ReadSection::Header: s = "header"; break;
        case ReadSection::EntityCount: s = "entity count"; break;
        case ReadSection::Entity: s = "entity " + Ordinal(p.item); break;
        case ReadSection::DefinitionCount: s = "block definition count"; break;
        case ReadSection::Definition: s = "block definition " + Ordinal(p.item); break;
        case ReadSection::Member: s = "block definition " + Ordinal(p.item) + ", member " + Ordinal(p.member); break;
        case ReadSection::ImageCount: s = "bound image count"; break;
        case ReadSection::Image: s = "bound image " + Ordinal(p.item); break;
    }
    if (p.kind > 0 && p.kind < static_cast<int>(std::size(kClassNames)))
        s += " (" + std::string(kClassNames[p.kind]) + ")";
    return s + " at byte " + Hex(p.start);
}

void ArchiveReader::Fail(std::string what, const char* message) {
    failure = std::move(what);
    throw JwIOError(message);
}

std::string ArchiveReader::FailureDetail() const {
    // A file cut short fails wherever the reader noticed it; the record it
    // ended in is where the damage is, unless the failure says more of it.
    const bool samePlace = shortPlace.section == place.section && shortPlace.item == place.item &&
                           shortPlace.member == place.member && shortPlace.start == place.start;
    if (shortRead && !(samePlace && !failure.empty()))
        return DescribePlace(shortPlace) + (shortPlace.section == ReadSection::Header
                                                ? ": the file ends inside the header"
                                                : ": the file ends inside the record");
    if (failure.empty()) return std::string();
    return DescribePlace(place) + ": " + failure;
}

bool ArchiveReader::Load(size_t n) {
    if (file_ == nullptr) return false;
    size_t avail = 0;
    win_ = file_->Window(pos_, std::min(n, Remaining()), avail);
    winStart_ = pos_;
    winEnd_ = pos_ + avail;
    size_ = file_->Size();  // less than first stated when the file got shorter
    return n <= avail;
}

size_t ArchiveReader::Read(void* dst, size_t n) {
    Have(n);
    const size_t got = std::min(n, Held());
    if (got) std::memcpy(dst, Cur(), got);
    if (got < n) {
        std::memset(static_cast<uint8_t*>(dst) + got, 0, n - got);
        ShortRead();
    }
    pos_ += got;
    return got;
}

size_t ArchiveReader::Skip(size_t n) {
    Have(n);
    const size_t got = std::min(n, Held());
    if (got < n) ShortRead();
    pos_ += got;
    return got;
}

uint8_t ArchiveReader::ReadByte() {
    if (Have(1)) {
        const uint8_t b = *Cur();
        ++pos_;
        return b;
    }
    ShortRead();
    return 0;
}

namespace {

// A number of type T in its little-endian bytes (zero where the file ended).
template <class T>
T ReadNumber(ArchiveReader& ar) {
    T v;
    ar.Read(&v, sizeof v);
    return v;
}

}  // namespace

uint16_t ArchiveReader::ReadWord() { return ReadNumber<uint16_t>(*this); }

int32_t ArchiveReader::ReadInt() { return ReadNumber<int32_t>(*this); }

uint32_t ArchiveReader::ReadCard() { return ReadNumber<uint32_t>(*this); }

double ArchiveReader::ReadDouble() { return ReadNumber<double>(*this); }

namespace {

void DropControls(JwString& s) {
    s.erase(std::remove_if(s.begin(), s.end(), [](char16_t c) { return c < 0x20; }), s.end());
}

// The text of a string's code page 932 bytes, without the characters below
// U+0020 when filtered. Most strings of a drawing (numbers, names, codes) are
// printable ASCII: those are widened in one step, with nothing to decode or
// remove; the others go through the table-based decoder.
JwString AnsiText(const uint8_t* p, size_t n, bool filter) {
    size_t i = 0;
    while (i < n && p[i] >= 0x20 && p[i] < 0x80) ++i;
    if (i == n || p[i] == 0) return JwString(p, p + i);  // the text ends at its first NUL
    JwString s = AnsiBytesStr(p, n);
    if (filter) DropControls(s);
    return s;
}

}  // namespace

JwString ArchiveReader::StrIn() { return ReadString(false); }

JwString ArchiveReader::StrInFilter() { return ReadString(true); }

JwString ArchiveReader::ReadString(bool filter) {
    size_t len = ReadByte();
    bool wide = false;
    if (len == 0xFF) {
        len = ReadWord();
        if (len == 0xFFFE) {
            mojiEncode = true;
            wide = true;
            len = ReadByte();
            if (len == 0xFF) len = ReadWord();
            len *= 2;
        }
    }
    Have(len);
    const size_t got = std::min(len, Held());
    if (got < len) ShortRead();
    const uint8_t* p = Cur();
    pos_ += got;
    if (got == 0) return {};
    if (!wide) return AnsiText(p, got, filter);
    // The decoder stops at the first U+0000.
    JwString s = WideBytesStr(p, got);
    if (filter) DropControls(s);
    return s;
}

int32_t ArchiveReader::CountIn() {
    uint16_t w;
    if (Read(&w, sizeof w) == 0) Fail("the file ends before the count");
    if (w != 0xFFFF) return w;
    int32_t n;
    if (Read(&n, sizeof n) == 0) Fail("the file ends inside the count");
    return n;
}

namespace {

// The fixed part of a file before 3.51 in its 3.51 form: the bytes in front
// of nPenWidth stay, the ones after it move up, nPenWidth := 0.
inline void Widen(uint8_t* dst, const uint8_t* src, size_t fullSize) {
    constexpr size_t after = kPenWidthOffset + kPenWidthSize;
    std::memcpy(dst, src, kPenWidthOffset);
    std::memset(dst + kPenWidthOffset, 0, kPenWidthSize);
    std::memcpy(dst + after, src + kPenWidthOffset, fullSize - after);
}

}  // namespace

size_t ArchiveReader::AttrIn(TEntJwwAttr& att) { return ReadFixed(&att, sizeof att); }

size_t ArchiveReader::ReadFixed(void* dst, size_t full) {
    if (version >= kVerPenWidth) return Read(dst, full);
    // Largest fixed part is a text's (83 bytes).
    uint8_t work[128];
    if (full < kPenWidthOffset + kPenWidthSize || full - kPenWidthSize > sizeof work) return Read(dst, full);
    const size_t got = Read(work, full - kPenWidthSize);
    Widen(static_cast<uint8_t*>(dst), work, full);
    return got;
}

namespace {

// Class names are compared byte for byte up to their first zero byte, which
// is what decoding them in code page 932 and comparing the text amounts to.
std::string ClassNameFrom(const uint8_t* p, size_t n) {
    if (n == 0) return {};
    const void* z = std::memchr(p, 0, n);
    if (z) n = static_cast<size_t>(static_cast<const uint8_t*>(z) - p);
    return std::string(reinterpret_cast<const char*>(p), n);
}

}  // namespace

const std::string& ArchiveReader::NewClassIn() {
    ReadWord();  // schema number, not used
    const size_t stated = ReadWord();
    Have(stated);
    const size_t n = std::min(stated, Held());
    if (n < stated) ShortRead();
    std::string name = ClassNameFrom(Cur(), n);
    pos_ += n;
    // The counter only grows, so the registry stays sorted by index.
    const int kind = KindOfClass(name);
    classes_.push_back(ClassEntry{objectIndex_, std::move(name), kind});
    ++objectIndex_;
    return classes_.back().name;
}

const std::string& ArchiveReader::ClassTagIn() { return ClassEntryIn().name; }

int ArchiveReader::ClassKindIn() { return ClassEntryIn().kind; }

const ArchiveReader::ClassEntry& ArchiveReader::ClassEntryIn() {
    uint16_t tag;
    if (Read(&tag, sizeof tag) == 0) Fail("the file ends before the class tag");
    uint32_t index;
    if (tag == 0xFFFF) {
        NewClassIn();
        return classes_.back();
    }
    if (tag == 0x7FFF) {
        index = ReadCard() & 0x7FFFFFFFu;
    } else if (tag & 0x8000) {
        index = tag & 0x7FFFu;
    } else {
        Fail("the class tag " + Hex(tag) + " names no class");
    }
    auto it = std::lower_bound(classes_.begin(), classes_.end(), index,
                               [](const ClassEntry& e, uint32_t i) { return e.index < i; });
    if (it == classes_.end() || it->index != index)
        Fail("the class tag refers to index " + std::to_string(index) + ", which no class of the file took");
    return *it;
}

void ArchiveReader::ClassTagSkip() {
    uint16_t tag;
    if (Read(&tag, sizeof tag) == 0) Fail("the file ends before the class tag");
    if (tag == 0xFFFF) {
        NewClassIn();
    } else if (tag == 0x7FFF) {
        ReadCard();
    }
}

}  // namespace jw
