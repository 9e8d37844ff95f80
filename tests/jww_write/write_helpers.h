// Helpers of the writer tests: a little-endian byte builder for expected
// output, entity appenders that fill the records directly, and access to the
// entity-list writer without a file.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/jww_attr.h"
#include "common/test_files.h"
#include "jww/archive.h"
#include "model/jw_data.h"

namespace jwt {

using jw::JwString;
using Bytes = std::vector<uint8_t>;

// Expected bytes, little-endian.
struct B {
    Bytes v;
    B& u8(uint8_t x) { v.push_back(x); return *this; }
    B& w(uint16_t x) { return raw(&x, 2); }
    B& i(int32_t x) { return raw(&x, 4); }
    B& c(uint32_t x) { return raw(&x, 4); }
    B& d(double x) { return raw(&x, 8); }
    B& raw(const void* p, size_t n) {
        const auto* b = static_cast<const uint8_t*>(p);
        v.insert(v.end(), b, b + n);
        return *this;
    }
    B& text(const char* s) { return raw(s, std::strlen(s)); }
    B& bytes(const Bytes& b) { v.insert(v.end(), b.begin(), b.end()); return *this; }
    // Short ANSI archive string of ASCII text.
    B& str(const char* s) { u8(static_cast<uint8_t>(std::strlen(s))); return text(s); }
    B& newClass(int ver, const char* name) {
        return w(0xFFFF).w(static_cast<uint16_t>(ver)).w(static_cast<uint16_t>(std::strlen(name))).text(name);
    }
    // Attribute in the 15-byte form, or the 13-byte form below 3.51.
    B& att(const jw::TEntJwwAttr& a, int ver = 700) {
        c(a.lGroup).u8(a.nPenStyle).w(a.nPenColor);
        if (ver >= 351) w(a.nPenWidth);
        return w(a.nLayer).w(a.nGLayer).w(a.sFlg);
    }
    operator Bytes() const { return v; }
};

inline jw::TEntJwwAttr Att(uint8_t style, uint16_t color, uint16_t width = 0, uint16_t layer = 0,
                           uint16_t group = 0, uint16_t flag = 0, uint32_t lgroup = 0) {
    return jw::test::MakeAttr(style, color, width, layer, group, flag, lgroup);
}

// Appenders that keep counts and the order list consistent, as a read does.
template <class T>
inline int32_t Push(std::vector<T>& v, int32_t& n, const T& rec) {
    v.resize(static_cast<size_t>(n));
    v.push_back(rec);
    return n++;
}

inline void Order(jw::TJwEntities& m, int kind, int32_t index) {
    m.EntNo.push_back({kind, index});
    m.Hd().n1 = static_cast<int32_t>(m.EntNo.size());
}

inline void AddLine(jw::TJwEntities& m, const jw::TEntJwwLine& r) { Order(m, 1, Push(m.EntLine, m.EntLineN, r)); }
inline void AddEnko(jw::TJwEntities& m, const jw::TEntJwwEnko& r) { Order(m, 2, Push(m.EntEnko, m.EntEnkoN, r)); }
inline void AddTen(jw::TJwEntities& m, const jw::TEntJwwTen& r) { Order(m, 3, Push(m.EntTen, m.EntTenN, r)); }
inline void AddMoji(jw::TJwEntities& m, const jw::TEntJwwMoji& r) { Order(m, 4, Push(m.EntMoji, m.EntMojiN, r)); }
inline void AddSunpo(jw::TJwEntities& m, const jw::TEntJwwSunpo& r) { Order(m, 5, Push(m.EntSunpo, m.EntSunpoN, r)); }
inline void AddSolid(jw::TJwEntities& m, const jw::TEntJwwSolid& r) { Order(m, 6, Push(m.EntSolid, m.EntSolidN, r)); }
inline void AddBlock(jw::TJwEntities& m, const jw::TEntJwwBlock& r) { Order(m, 7, Push(m.EntBlock, m.EntBlockN, r)); }

inline jw::TEntJwwLine Line(double x1, double y1, double x2, double y2, jw::TEntJwwAttr a = Att(1, 1)) {
    jw::TEntJwwLine l;
    l.att = a;
    l.start_x = x1;
    l.start_y = y1;
    l.end_x = x2;
    l.end_y = y2;
    return l;
}

inline jw::TEntJwwTen Ten(double x, double y, jw::TEntJwwAttr a = Att(1, 1)) {
    jw::TEntJwwTen t;
    t.att = a;
    t.start_x = x;
    t.start_y = y;
    t.dBairitsu = 1.0;
    return t;
}

inline jw::TEntJwwMoji Moji(const JwString& s, jw::TEntJwwAttr a = Att(1, 1)) {
    jw::TEntJwwMoji t;
    t.att = a;
    t.start_x = 1;
    t.start_y = 2;
    t.end_x = 3;
    t.end_y = 4;
    t.nMojiShu = 2;
    t.dSizeX = 2.5;
    t.dSizeY = 2.5;
    t.dKankaku = 0;
    t.degKakudo = 0;
    t.strFontName = u"FONT";
    t.str = s;
    return t;
}

// Expected bytes of a line body.
inline B& LineBody(B& b, const jw::TEntJwwLine& l, int ver = 700) {
    return b.att(l.att, ver).d(l.start_x).d(l.start_y).d(l.end_x).d(l.end_y);
}
inline B& TenBody(B& b, const jw::TEntJwwTen& t, int ver = 700, uint32_t kariten = 0xFFFFFFFF) {
    b.att(t.att, ver).d(t.start_x).d(t.start_y).c(kariten == 0xFFFFFFFF ? t.bKariten : kariten);
    if (t.att.nPenStyle == 100) b.c(t.nCode).d(t.radKaitenKaku).d(t.dBairitsu);
    return b;
}

// Gives access to the entity-list writer for byte-exact tests.
struct JwwProbe : jw::TJwwData {
    using jw::TJwEntities::WriteEntityLists;
};

inline Bytes EntityBytes(const jw::TJwwData& m, int32_t ver, int32_t opt = 0) {
    JwwProbe p;
    static_cast<jw::TJwwData&>(p) = m;
    jw::MemorySink sink;
    jw::ArchiveWriter aw(sink);
    aw.fileOutOpt = opt;
    p.WriteEntityLists(aw, ver);
    return sink.Take();
}

using jw::test::ReadFileBytes;

inline void WriteFile(const std::filesystem::path& p, const std::string& s) {
    std::ofstream out(p, std::ios::binary);
    out << s;
}

// A fresh folder under the build folder, removed with the fixture.
class TempDir {
public:
    TempDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "_" + info->name();
        for (char& ch : name)
            if (ch == '/') ch = '_';
        path_ = std::filesystem::path(ZS_BINARY_DIR) / "jww_write_tmp" / name;
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    JwString operator/(const std::string& name) const {
        const std::string s = (path_ / name).string();
        return JwString(s.begin(), s.end());
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(path_)) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

private:
    std::filesystem::path path_;
};

inline std::string Hex(const Bytes& b, size_t from = 0, size_t n = SIZE_MAX) {
    static const char* d = "0123456789ABCDEF";
    std::string s;
    for (size_t i = from; i < b.size() && i - from < n; ++i) {
        s += d[b[i] >> 4];
        s += d[b[i] & 15];
        s += ' ';
    }
    return s;
}

}  // namespace jwt

namespace jwt {

// Reads values back from written bytes at known offsets.
struct Cur {
    const Bytes& b;
    size_t p;
    template <class T>
    T get() {
        T v{};
        EXPECT_LE(p + sizeof(T), b.size());
        if (p + sizeof(T) <= b.size()) std::memcpy(&v, b.data() + p, sizeof(T));
        p += sizeof(T);
        return v;
    }
    int32_t i() { return get<int32_t>(); }
    double d() { return get<double>(); }
    // A short ANSI archive string as raw bytes.
    std::string str() {
        const uint8_t n = get<uint8_t>();
        std::string s;
        if (p + n <= b.size()) s.assign(reinterpret_cast<const char*>(b.data() + p), n);
        p += n;
        return s;
    }
};

inline Cur At(const Bytes& b, size_t p) { return Cur{b, p}; }

}  // namespace jwt
