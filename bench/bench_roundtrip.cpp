// Write and read throughput of the JWW codec on a large drawing built with the
// construction operations, compared with plain copies of the same bytes.
//
// The drawing holds ZS_RWBENCH_COUNT (default 1,000,000) entities of every
// kind: lines, arcs, points with and without code, texts (Japanese, a share
// that needs UTF-16), dimensions (a share in SXF mode), solids and block
// inserts, plus nested block definitions whose members are of every kind.
// It is saved with FileOut as 7.00 in Shift-JIS (option 0) and UTF-16
// (option 32) and read back with FileIn. Beside each codec run the same file
// is copied plainly: read(2) of the whole file into a fresh buffer, and
// write(2) of a buffer of the same size into a new file (the faster of two
// such copies per round). The counters read_ratio and write_ratio are the
// codec's time over the plain copy's.
//
// Set ZS_RWBENCH_COUNT=20000 for a quick run; ZS_RWBENCH_DIR chooses the
// folder of the files (default: /dev/shm where it exists, so that both the
// codec and the plain copies measure work in memory rather than the disk's
// write-back, else the system's temporary folder);
// ZS_RWBENCH_KEEP=1 keeps the two written files (for profiling the reader).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/jw_data.h"
#include "support/program_values.h"
#include "support/text_encoding.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using jw::JwString;
using jw::TJwwData;

constexpr double kMiB = 1024.0 * 1024.0;

int64_t CountPerKind() {
    const char* v = std::getenv("ZS_RWBENCH_COUNT");
    if (v == nullptr || *v == '\0') return 1000000;
    char* end = nullptr;
    const long long n = std::strtoll(v, &end, 10);
    return (end != v && n > 0) ? n : 1000000;
}

fs::path WorkDir() {
    const char* v = std::getenv("ZS_RWBENCH_DIR");
    if (v != nullptr && *v != '\0') return fs::path(v);
    std::error_code ec;
    if (fs::is_directory("/dev/shm", ec)) return fs::path("/dev/shm");
    return fs::temp_directory_path();
}

fs::path FilePath(const std::string& tag) {
    return WorkDir() / ("zs_rwbench_" + std::to_string(::getpid()) + "_" + tag + ".jww");
}

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

double PeakRssMiB() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return static_cast<double>(ru.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
}

// A field of /proc/self/status in MiB (VmRSS, VmHWM); -1 where there is none.
double StatusMiB(const char* field) {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (f == nullptr) return -1;
    char line[256];
    double v = -1;
    const size_t n = std::strlen(field);
    while (std::fgets(line, sizeof line, f) != nullptr) {
        if (std::strncmp(line, field, n) == 0 && line[n] == ':') {
            v = std::strtod(line + n + 1, nullptr) / 1024.0;  // in kB
            break;
        }
    }
    std::fclose(f);
    return v;
}

// ru_maxrss is the peak of the whole process, including the built drawing
// and its construction. Where Linux allows resetting the peak (clear_refs 5),
// the growth of the resident set during one operation is measured as well:
// the peak after the reset minus the resident set before it.
struct OpPeak {
    double base = -1;
    void Start() {
        std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
        if (f == nullptr) return;
        const bool reset = std::fputs("5", f) >= 0;
        if (std::fclose(f) != 0 || !reset) return;
        base = StatusMiB("VmRSS");
    }
    // The growth, or -1 when it could not be measured.
    double GrowthMiB() const {
        const double hwm = StatusMiB("VmHWM");
        return (base < 0 || hwm < 0) ? -1 : hwm - base;
    }
};

// ---------------------------------------------------------------------------
// The drawing

JwString Num(int64_t i) { return jw::FromUtf8(std::to_string(i)); }

const std::array<JwString, 12> kRooms = {u"部屋", u"寝室", u"台所", u"浴室", u"玄関", u"廊下",
                                         u"押入", u"階段", u"収納", u"洋室", u"和室", u"居間"};
const JwString kFont = u"ＭＳ ゴシック";

// Text strings: mostly Japanese of different lengths, some plain ASCII, and
// every eighth one with characters that code page 932 lacks (an emoji, which
// is a surrogate pair, and Hangul), so that only the UTF-16 form keeps it.
JwString TextString(int64_t i) {
    const JwString& room = kRooms[static_cast<size_t>(i % 12)];
    switch (i % 8) {
        case 0: return u"W" + Num(i % 1000);
        case 1: return room;
        case 2: return room + u"（" + Num(i) + u"号室）";
        case 3: return u"ﾊﾝｶｸ" + room + Num(i % 100);
        case 4: return room + u"の床面積は" + Num(i % 97) + u".5㎡です、天井高さ二千四百ミリメートル";
        case 5: return u"2F-" + Num(i);
        case 6: return room + u"・" + kRooms[static_cast<size_t>((i + 5) % 12)];
        default: return u"🏠" + room + u"한국" + Num(i);
    }
}

bool NeedsUtf16(int64_t i) { return i % 8 == 7; }

// Appends members of every kind to definition d (or, with d < 0, to the
// drawing itself). Used with small counts for definitions.
struct Builder {
    TJwwData& m;

    bool Line(int32_t d, int64_t i) {
        const double x = static_cast<double>(i % 5000), y = static_cast<double>(i / 5000);
        const int32_t co = static_cast<int32_t>(i % 9) + 1 + (i % 13 == 0 ? 100 : 0);
        const int32_t tp = (i % 7 == 0) ? 33 : static_cast<int32_t>(i % 9) + 1;
        return d < 0 ? m.AddEntLine(0, i % 16, i % 16, co, tp, 1, 0, x, y, x + 10.5, y + 3.25)
                     : m.AddBlkLine(d, 0, i % 16, i % 16, co, tp, 1, 0, x, y, x + 10.5, y + 3.25);
    }
    bool Arc(int32_t d, int64_t i) {
        const double x = static_cast<double>(i % 4000), y = static_cast<double>(i / 4000);
        const int32_t fl = (i % 3 == 0) ? 0x08 : 0;  // a third are full circles
        const double flat = (i % 5 == 0) ? 0.5 : 1.0;
        return d < 0 ? m.AddEntArc(0, 1, 2, 2, 1, 0, fl, x, y, 7.5, flat, 30, 120, 15)
                     : m.AddBlkArc(d, 0, 1, 2, 2, 1, 0, fl, x, y, 7.5, flat, 30, 120, 15);
    }
    // A point with code (line type 100 and its 20-byte tail).
    bool CodedPoint(int32_t d, int64_t i) {
        const int32_t code = static_cast<int32_t>(i % 18) - 7;  // -7 .. 10
        const int32_t tp = code == 0 ? 11 : code;
        const double x = static_cast<double>(i % 3000);
        return d < 0 ? m.AddEntTen(0, 0, 3, 1, tp, 0, 0, x, 1.5, 45, 2.0)
                     : m.AddBlkTen(d, 0, 0, 3, 1, tp, 0, 0, x, 1.5, 45, 2.0);
    }
    // A point without code; every fourth one temporary.
    bool PlainPoint(int32_t d, int64_t i) {
        const int32_t fl = (i % 4 == 0) ? 0x08 : 0;
        const double x = static_cast<double>(i % 3000);
        return d < 0 ? m.AddEntTen(0, 0, 4, 5, 0, 0, fl, x, 2.5, 0, 1)
                     : m.AddBlkTen(d, 0, 0, 4, 5, 0, 0, fl, x, 2.5, 0, 1);
    }
    bool Text(int32_t d, int64_t i) {
        const JwString s = TextString(i);
        const double x = static_cast<double>(i % 2000), y = static_cast<double>(i / 2000) * 5;
        const int32_t fl = (i % 10 == 0) ? 0x04 : 0;  // some vertical
        if (i % 2 == 0) {
            return d < 0 ? m.AddEntMoji(0, 2, 1, 3, 1, 0, fl, 5, x, y, x + 40, y, 4, 4, 0.5, 0, kFont, s)
                         : m.AddBlkMoji(d, 0, 2, 1, 3, 1, 0, fl, 5, x, y, x + 40, y, 4, 4, 0.5, 0, kFont, s);
        }
        const int32_t anchor = static_cast<int32_t>(i % 9) + 1;
        return d < 0 ? m.AddEntMoji(0, 2, 1, 3, anchor, 0, fl, 3, x, y, 3.5, 3.5, 0.25, 30, kFont, s)
                     : m.AddBlkMoji(d, 0, 2, 1, 3, anchor, 0, fl, 3, x, y, 3.5, 3.5, 0.25, 30, kFont, s);
    }
    // All five forms; forms 3 to 5 are SXF-mode dimensions.
    bool Dimension(int32_t d, int64_t i) {
        const double x = static_cast<double>(i % 1000) * 10, y = static_cast<double>(i / 1000) * 10;
        const JwString s = Num(1000 + i % 9000);
        using E = jw::TJwEntities;
        const E::SxfLine ho1{1, 3, 1, 0, 0, x, y - 5, x, y + 1};
        const E::SxfLine ho2{1, 3, 1, 0, 0, x + 100, y - 5, x + 100, y + 1};
        const E::SxfTen te1{1, 3, 3, 0, 0, 1.0};
        const E::SxfTen te2{2, 3, 3, 0, 0, 1.0};
        const E::SxfKt kt1{1, 3, -1, 0, 0, x, y - 6, 1.0};
        const E::SxfKt kt2{1, 3, -1, 0, 0, x + 100, y - 6, 1.0};
        const E::SxfLineDist hd1{1, 3, 1, 0, 0};
        const E::SxfLineDist hd2{1, 3, 1, 0, 0};
        switch (i % 5) {
            case 0:
                return d < 0 ? m.AddEntSunpo(0, 0, 5, 2, 1, 0, 0, 2, 1, 0, 0, 3, x, y, x + 100, y, x + 40, y + 1,
                                             x + 60, y + 1, 3, 3, 0.3, 0, kFont, s)
                             : m.AddBlkSunpo(d, 0, 0, 5, 2, 1, 0, 0, 2, 1, 0, 0, 3, x, y, x + 100, y, x + 40,
                                             y + 1, x + 60, y + 1, 3, 3, 0.3, 0, kFont, s);
            case 1:
                return d < 0 ? m.AddEntSunpo(0, 0, 5, 2, 1, 0, 0, 2, 2, 0, 0, 3, x, y, x + 100, y, x + 50, y + 1, 3,
                                             3, 0.3, 0, kFont, s)
                             : m.AddBlkSunpo(d, 0, 0, 5, 2, 1, 0, 0, 2, 2, 0, 0, 3, x, y, x + 100, y, x + 50, y + 1,
                                             3, 3, 0.3, 0, kFont, s);
            case 2:
                return d < 0 ? m.AddEntSunpo(0, 0, 5, 2, 1, 0, 0, 2, 1, 0, 0, 3, x, y, x + 100, y, x + 40, y + 1,
                                             x + 60, y + 1, 3, 3, 0.3, 0, kFont, s, ho1, ho2, te1, te2, kt1, kt2)
                             : m.AddBlkSunpo(d, 0, 0, 5, 2, 1, 0, 0, 2, 1, 0, 0, 3, x, y, x + 100, y, x + 40,
                                             y + 1, x + 60, y + 1, 3, 3, 0.3, 0, kFont, s, ho1, ho2, te1, te2, kt1,
                                             kt2);
            case 3:
                return d < 0 ? m.AddEntSunpo(0, 0, 5, 2, 1, 0, 0, 2, 2, 0, 0, 3, x, y, x + 100, y, x + 50, y + 1, 3,
                                             3, 0.3, 0, kFont, s, ho1, ho2, te1, te2, kt1, kt2)
                             : m.AddBlkSunpo(d, 0, 0, 5, 2, 1, 0, 0, 2, 2, 0, 0, 3, x, y, x + 100, y, x + 50, y + 1,
                                             3, 3, 0.3, 0, kFont, s, ho1, ho2, te1, te2, kt1, kt2);
            default:
                return d < 0 ? m.AddEntSunpo(0, 0, 5, 2, 1, 0, 0, 2, 2, 0, 0, 3, x, y, x + 100, y, x + 50, y + 1, 3,
                                             3, 0.3, 0, kFont, s, 1.0, 2.0, hd1, hd2, te1, te2, kt1, kt2)
                             : m.AddBlkSunpo(d, 0, 0, 5, 2, 1, 0, 0, 2, 2, 0, 0, 3, x, y, x + 100, y, x + 50, y + 1,
                                             3, 3, 0.3, 0, kFont, s, 1.0, 2.0, hd1, hd2, te1, te2, kt1, kt2);
        }
    }
    // Quadrilaterals (some with their own colour and its 4-byte tail),
    // two- and three-point forms, and the arc-shaped forms.
    bool Solid(int32_t d, int64_t i) {
        const double x = static_cast<double>(i % 2500) * 4, y = static_cast<double>(i / 2500) * 4;
        const int32_t fc = static_cast<int32_t>((i * 2654435761u) & 0xFFFFFF);
        switch (i % 6) {
            case 0:
                return d < 0 ? m.AddEntSolid(0, 0, 6, 10, 1, 0, 0, fc, x, y, x + 3, y, x + 3, y + 3, x, y + 3)
                             : m.AddBlkSolid(d, 0, 0, 6, 10, 1, 0, 0, fc, x, y, x + 3, y, x + 3, y + 3, x, y + 3);
            case 1:
                return d < 0 ? m.AddEntSolid(0, 0, 6, 4, 1, 0, 0, 0, x, y, x + 3, y + 3)
                             : m.AddBlkSolid(d, 0, 0, 6, 4, 1, 0, 0, 0, x, y, x + 3, y + 3);
            case 2:
                return d < 0 ? m.AddEntSolid(0, 0, 6, 10, 1, 0, 0, fc, x, y, x + 3, y, x + 1, y + 2)
                             : m.AddBlkSolid(d, 0, 0, 6, 10, 1, 0, 0, fc, x, y, x + 3, y, x + 1, y + 2);
            case 3:
                return d < 0 ? m.AddEntSolidA(0, 0, 6, 10, 0, 0, fc, x, y, 1.5, 1, 0)
                             : m.AddBlkSolidA(d, 0, 0, 6, 10, 0, 0, fc, x, y, 1.5, 1, 0);
            case 4:
                return d < 0 ? m.AddEntSolidC(0, 0, 6, 3, 2, 0, 0, 0, x, y, 1.5, 1, 0, 0, 90)
                             : m.AddBlkSolidC(d, 0, 0, 6, 3, 2, 0, 0, 0, x, y, 1.5, 1, 0, 0, 90);
            default:
                return d < 0 ? m.AddEntSolidD(0, 0, 6, 10, 2, 0, 0, fc, x, y, 2, 1, 1, 0, 0, 180)
                             : m.AddBlkSolidD(d, 0, 0, 6, 10, 2, 0, 0, fc, x, y, 2, 1, 1, 0, 0, 180);
        }
    }
    bool Insert(int32_t d, int64_t i, int32_t bn) {
        const double x = static_cast<double>(i % 1000) * 20, y = static_cast<double>(i / 1000) * 20;
        const double s = (i % 4 == 0) ? 0.5 : 1.0;
        const double a = static_cast<double>(i % 8) * 45;
        return d < 0 ? m.AddEntBlock(0, 0, 7, 1, 1, 0, 0, bn, x, y, s, s, a)
                     : m.AddBlkBlock(d, 0, 0, 7, 1, 1, 0, 0, bn, x, y, s, s, a);
    }

    // Every kind but inserts once (texts and dimensions twice, so that both
    // string encodings and SXF dimensions occur in each definition).
    bool AllKinds(int32_t d, int64_t i) {
        return Line(d, i) && Arc(d, i) && CodedPoint(d, i) && PlainPoint(d, i) && Text(d, i) && Text(d, i + 7) &&
               Dimension(d, i) && Dimension(d, i + 3) && Solid(d, i) && Solid(d, i + 3);
    }
};

// Definitions: kLeaves plain ones, kGroups that each hold inserts of four
// leaves, kTops that each hold inserts of three groups; every definition
// also has members of every other kind.
constexpr int32_t kLeaves = 48;
constexpr int32_t kGroups = 12;
constexpr int32_t kTops = 4;
constexpr int32_t kDefinitions = kLeaves + kGroups + kTops;

struct Drawing {
    TJwwData model;
    int64_t perKind = 0;
    bool ok = false;
};

bool BuildDrawing(Drawing& dr, int64_t n) {
    TJwwData& m = dr.model;
    dr.perKind = n;
    m.DataDefaultSet();
    if (!m.AddEntPre()) return false;
    Builder b{m};
    for (int32_t k = 0; k < kDefinitions; ++k) {
        const JwString name = k < kLeaves ? u"部品" + Num(k) : k < kLeaves + kGroups ? u"ユニット" + Num(k) : u"住戸" + Num(k);
        if (!m.AddBlkDef(0, 0, 0, 1, 1, 0, 0, 1 + k % 4, name)) return false;
    }
    for (int32_t k = 0; k < kDefinitions; ++k) {
        if (!b.AllKinds(k, k * 11)) return false;
        if (k >= kLeaves && k < kLeaves + kGroups) {
            for (int32_t j = 0; j < 4; ++j)
                if (!b.Insert(k, j, (k * 4 + j) % kLeaves)) return false;
        } else if (k >= kLeaves + kGroups) {
            for (int32_t j = 0; j < 3; ++j)
                if (!b.Insert(k, j, kLeaves + (k * 3 + j) % kGroups)) return false;
        }
    }
    // The drawing: the kinds interleaved as a real drawing's order list is.
    for (int64_t i = 0; i < n; ++i) {
        const int32_t bn = static_cast<int32_t>(i % kDefinitions);
        if (!(b.Line(-1, i) && b.Arc(-1, i) && b.CodedPoint(-1, i) && b.PlainPoint(-1, i) && b.Text(-1, i) &&
              b.Dimension(-1, i) && b.Solid(-1, i) && b.Insert(-1, i, bn)))
            return false;
    }
    return m.AddEntPost();
}

Drawing& TheDrawing() {
    static Drawing dr;
    static bool built = false;
    if (!built) {
        built = true;
        jw::JwGlobalInit();
        dr.ok = BuildDrawing(dr, CountPerKind());
    }
    return dr;
}

// Whether the model read back holds what was built: every count of the
// drawing and of each definition, and a few strings.
std::string CompareCounts(const TJwwData& built, const TJwwData& read, bool utf16) {
    auto diff = [](const char* what, int64_t want, int64_t got) {
        return std::string(what) + ": built " + std::to_string(want) + ", read " + std::to_string(got);
    };
    const std::pair<const char*, std::pair<int64_t, int64_t>> counts[] = {
        {"order list", {built.Enthd.n1, read.Enthd.n1}},
        {"lines", {built.EntLineN, read.EntLineN}},
        {"arcs", {built.EntEnkoN, read.EntEnkoN}},
        {"points", {built.EntTenN, read.EntTenN}},
        {"texts", {built.EntMojiN, read.EntMojiN}},
        {"dimensions", {built.EntSunpoN, read.EntSunpoN}},
        {"solids", {built.EntSolidN, read.EntSolidN}},
        {"inserts", {built.EntBlockN, read.EntBlockN}},
        {"definitions", {built.EntBlockDefN, read.EntBlockDefN}},
    };
    for (const auto& c : counts)
        if (c.second.first != c.second.second) return diff(c.first, c.second.first, c.second.second);
    for (int32_t k = 0; k < built.EntBlockDefN; ++k) {
        const jw::TEntJwwBlockDef& a = built.EntBlockDef[static_cast<size_t>(k)];
        const jw::TEntJwwBlockDef& b = read.EntBlockDef[static_cast<size_t>(k)];
        const int64_t want[8] = {a.N, a.mLineN, a.mEnkoN, a.mTenN, a.mMojiN, a.mSunpoN, a.mSolidN, a.mBlockN};
        const int64_t got[8] = {b.N, b.mLineN, b.mEnkoN, b.mTenN, b.mMojiN, b.mSunpoN, b.mSolidN, b.mBlockN};
        for (int j = 0; j < 8; ++j)
            if (want[j] != got[j]) return diff(("definition " + std::to_string(k) + " member counts").c_str(), want[j], got[j]);
        if (a.strName != b.strName) return "definition " + std::to_string(k) + ": name differs";
    }
    if (read.MojiEncode != utf16) return "MojiEncode does not match the string form written";
    // A sample of texts: in Shift-JIS those that need UTF-16 read back changed.
    const int64_t n = built.EntMojiN;
    for (int64_t i = 0; i < n; i += std::max<int64_t>(1, n / 997)) {
        if (!utf16 && NeedsUtf16(i)) continue;
        const size_t k = static_cast<size_t>(i);
        if (built.EntMoji[k].str != read.EntMoji[k].str) return "text " + std::to_string(i) + " differs";
        if (read.EntMoji[k].strFontName != kFont) return "font name of text " + std::to_string(i) + " differs";
    }
    return {};
}

// ---------------------------------------------------------------------------
// Plain copies

// read(2) of the whole file into a fresh buffer: what any reader of the file
// pays at least.
bool RawRead(const fs::path& p, size_t& bytes) {
    const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return false;
    }
    const size_t n = static_cast<size_t>(st.st_size);
    std::unique_ptr<uint8_t[]> buf(new uint8_t[n == 0 ? 1 : n]);
    size_t got = 0;
    while (got < n) {
        const ssize_t r = ::read(fd, buf.get() + got, n - got);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += static_cast<size_t>(r);
    }
    ::close(fd);
    benchmark::DoNotOptimize(buf.get());
    bytes = got;
    return got == n;
}

// write(2) of a buffer into a new file (the caller removes an old one first,
// so that freeing its pages is not timed).
bool RawWrite(const fs::path& p, const std::vector<uint8_t>& data) {
    const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    size_t put = 0;
    while (put < data.size()) {
        const ssize_t w = ::write(fd, data.data() + put, data.size() - put);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) break;
        put += static_cast<size_t>(w);
    }
    return ::close(fd) == 0 && put == data.size();
}

// Times the plain copy `run` twice (after an untimed `prepare` each) and
// answers the faster run in `seconds`: on a shared machine one disturbed copy
// would otherwise flatter the codec's ratio.
template <class Prepare, class Run>
bool FasterOfTwo(Prepare prepare, Run run, double& seconds) {
    seconds = 0;
    for (int k = 0; k < 2; ++k) {
        prepare();
        const auto t0 = Clock::now();
        const bool ok = run();
        const auto t1 = Clock::now();
        if (!ok) return false;
        const double t = Seconds(t0, t1);
        if (k == 0 || t < seconds) seconds = t;
    }
    return true;
}

// One file per string form, written once and kept for the read benchmarks.
struct SavedFile {
    fs::path path;
    size_t size = 0;
    bool ok = false;
};

SavedFile& Saved(int option) {
    static SavedFile files[2];
    SavedFile& f = files[option == 0 ? 0 : 1];
    if (f.path.empty()) {
        f.path = FilePath(option == 0 ? "sjis" : "utf16");
        Drawing& dr = TheDrawing();
        if (dr.ok) {
            dr.model.SetFileOutOption(option);
            f.ok = dr.model.FileOut(jw::FromUtf8(f.path.string()), 700);
            std::error_code ec;
            f.size = f.ok ? static_cast<size_t>(fs::file_size(f.path, ec)) : 0;
        }
    }
    return f;
}

void SetCommonCounters(benchmark::State& state, const SavedFile& f) {
    const Drawing& dr = TheDrawing();
    state.counters["per_kind"] = static_cast<double>(dr.perKind);
    state.counters["entities"] = static_cast<double>(dr.model.Enthd.n1);
    state.counters["file_MiB"] = static_cast<double>(f.size) / kMiB;
    state.counters["peak_rss_MiB"] = PeakRssMiB();
    state.SetLabel(WorkDir().string());
}

// Whether the drawing was built and saved with option; otherwise the benchmark
// is marked as skipped.
bool Ready(benchmark::State& state, const Drawing& dr, int option) {
    if (!dr.ok) {
        state.SkipWithError("building the drawing failed");
        return false;
    }
    if (!Saved(option).ok) {
        state.SkipWithError(("FileOut failed: " + dr.model.LastError).c_str());
        return false;
    }
    return true;
}

// The bytes processed, the plain copy's speed and the codec's time against
// it (raw_<op>_MBps, <op>_ratio), the growth of the resident set during one
// operation, and the common counters.
void SetRatioCounters(benchmark::State& state, const SavedFile& f, const std::string& op, size_t bytes,
                      double codec, double plain, double growth) {
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    if (plain > 0) {
        state.counters["raw_" + op + "_MBps"] = static_cast<double>(bytes) / 1e6 / plain;
        state.counters[op + "_ratio"] = codec / plain;
    }
    if (growth >= 0) state.counters["op_rss_growth_MiB"] = growth;
    SetCommonCounters(state, f);
}

// ---------------------------------------------------------------------------
// Benchmarks (argument: FileOutOpt, 0 = Shift-JIS, 32 = UTF-16)

void BM_FileOut(benchmark::State& state) {
    const int option = static_cast<int>(state.range(0));
    Drawing& dr = TheDrawing();
    if (!Ready(state, dr, option)) return;
    const SavedFile& f = Saved(option);
    std::vector<uint8_t> raw(f.size, 0x5A);
    const fs::path target = FilePath(option == 0 ? "out_sjis" : "out_utf16");
    const fs::path rawTarget = FilePath("raw_write");
    const JwString targetName = jw::FromUtf8(target.string());
    double codec = 0, plain = 0, growth = -1;
    size_t bytes = 0;
    std::error_code ec;
    for (auto _ : state) {
        dr.model.SetFileOutOption(option);
        // Both write a new file: the previous round's files go first.
        fs::remove(target, ec);
        OpPeak peak;
        peak.Start();
        const auto t0 = Clock::now();
        const bool ok = dr.model.FileOut(targetName, 700);
        const auto t1 = Clock::now();
        growth = std::max(growth, peak.GrowthMiB());
        if (!ok) {
            state.SkipWithError(("FileOut failed: " + dr.model.LastError).c_str());
            break;
        }
        const size_t size = static_cast<size_t>(fs::file_size(target, ec));
        if (size != f.size) {
            state.SkipWithError("the file written differs in size from the first one");
            break;
        }
        double rawTime = 0;
        if (!FasterOfTwo([&] { fs::remove(rawTarget, ec); }, [&] { return RawWrite(rawTarget, raw); }, rawTime)) {
            state.SkipWithError("plain write failed");
            break;
        }
        state.SetIterationTime(Seconds(t0, t1));
        codec += Seconds(t0, t1);
        plain += rawTime;
        bytes += size;
    }
    fs::remove(target, ec);
    fs::remove(rawTarget, ec);
    SetRatioCounters(state, f, "write", bytes, codec, plain, growth);
}
BENCHMARK(BM_FileOut)->Arg(0)->Arg(32)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_FileIn(benchmark::State& state) {
    const int option = static_cast<int>(state.range(0));
    Drawing& dr = TheDrawing();
    if (!Ready(state, dr, option)) return;
    const SavedFile& f = Saved(option);
    const JwString name = jw::FromUtf8(f.path.string());
    double codec = 0, plain = 0, growth = -1;
    size_t bytes = 0;
    for (auto _ : state) {
        double t = 0;
        {
            TJwwData m;
            OpPeak peak;
            peak.Start();
            const auto t0 = Clock::now();
            const bool ok = m.FileIn(name);
            const auto t1 = Clock::now();
            growth = std::max(growth, peak.GrowthMiB());
            t = Seconds(t0, t1);
            if (!ok) {
                state.SkipWithError(("FileIn failed: " + m.LastError).c_str());
                break;
            }
            const std::string wrong = CompareCounts(dr.model, m, option != 0);
            if (!wrong.empty()) {
                state.SkipWithError(("read back differs, " + wrong).c_str());
                break;
            }
        }
        size_t got = 0;
        double rawTime = 0;
        if (!FasterOfTwo([] {}, [&] { return RawRead(f.path, got); }, rawTime)) {
            state.SkipWithError("plain read failed");
            break;
        }
        state.SetIterationTime(t);
        codec += t;
        plain += rawTime;
        bytes += f.size;
    }
    SetRatioCounters(state, f, "read", bytes, codec, plain, growth);
}
BENCHMARK(BM_FileIn)->Arg(0)->Arg(32)->UseManualTime()->Unit(benchmark::kMillisecond);

// The plain copies on their own, for their MB/s.
void BM_RawRead(benchmark::State& state) {
    const SavedFile& f = Saved(static_cast<int>(state.range(0)));
    if (!f.ok) {
        state.SkipWithError("no file");
        return;
    }
    size_t bytes = 0;
    for (auto _ : state) {
        size_t got = 0;
        if (!RawRead(f.path, got)) {
            state.SkipWithError("plain read failed");
            break;
        }
        bytes += got;
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    SetCommonCounters(state, f);
}
BENCHMARK(BM_RawRead)->Arg(0)->Arg(32)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_RawWrite(benchmark::State& state) {
    const SavedFile& f = Saved(static_cast<int>(state.range(0)));
    if (!f.ok) {
        state.SkipWithError("no file");
        return;
    }
    const std::vector<uint8_t> raw(f.size, 0x5A);
    const fs::path target = FilePath("raw_write");
    size_t bytes = 0;
    std::error_code ec;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(target, ec);
        state.ResumeTiming();
        if (!RawWrite(target, raw)) {
            state.SkipWithError("plain write failed");
            break;
        }
        bytes += raw.size();
    }
    fs::remove(target, ec);
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    SetCommonCounters(state, f);
}
BENCHMARK(BM_RawWrite)->Arg(0)->Arg(32)->UseRealTime()->Unit(benchmark::kMillisecond);

// Removes the kept files when the program ends.
struct Cleanup {
    ~Cleanup() {
        const char* keep = std::getenv("ZS_RWBENCH_KEEP");
        if (keep != nullptr && *keep != '\0' && *keep != '0') return;
        std::error_code ec;
        for (const char* tag : {"sjis", "utf16"}) fs::remove(FilePath(tag), ec);
    }
} cleanup;

}  // namespace

BENCHMARK_MAIN();
