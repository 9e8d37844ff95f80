// Test helpers: a compact little-endian byte builder and builders of small
// JWC and JWK files laid out record by record.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/test_files.h"

namespace legacy_test {

struct ByteBuilder {
    std::vector<uint8_t> b;

    ByteBuilder& U8(uint8_t v) {
        b.push_back(v);
        return *this;
    }
    ByteBuilder& U16(uint16_t v) { return U8(v & 0xFF).U8(v >> 8); }
    ByteBuilder& I32(int32_t v) {
        uint32_t u = static_cast<uint32_t>(v);
        return U16(u & 0xFFFF).U16(u >> 16);
    }
    ByteBuilder& F32(float v) {
        uint32_t u;
        std::memcpy(&u, &v, 4);
        return I32(static_cast<int32_t>(u));
    }
    ByteBuilder& Raw(const std::string& s) {
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
    ByteBuilder& Fill(size_t n, uint8_t v) {
        b.insert(b.end(), n, v);
        return *this;
    }
    // s, then pad bytes up to width (s longer than width is cut).
    ByteBuilder& Field(const std::string& s, size_t width, uint8_t pad = 0) {
        std::string t = s.substr(0, width);
        Raw(t);
        return Fill(width - t.size(), pad);
    }
    ByteBuilder& Append(const std::vector<uint8_t>& v) {
        b.insert(b.end(), v.begin(), v.end());
        return *this;
    }
};

// Header block 1: identification, two comments, 96 unread bytes.
inline ByteBuilder& Block1(ByteBuilder& bb, const std::string& id, const std::string& c1, const std::string& c2) {
    return bb.Field(id, 40).Field(c1, 32).Field(c2, 32).Fill(95, ' ').U8('\n');
}

struct Line {
    float x1, y1, x2, y2;
    uint8_t typ, col, lay, f1, f2, f3;
};
struct Arc {
    float x, y, r;
    uint16_t flat;
    int32_t st, et, tt;
    uint8_t typ, col, lay, f1, f2, f3;
};
struct Moji {
    float x1, y1, x2, y2;
    uint16_t ofs, seg;
    uint8_t no, lay, f1, f2;
};
struct Ten {
    float x, y;
    uint8_t lay, col, f1, f2;
};

inline void PutLine(ByteBuilder& bb, const Line& e) {
    bb.F32(e.x1).F32(e.y1).F32(e.x2).F32(e.y2).U8(e.typ).U8(e.col).U8(e.lay).U8(e.f1).U8(e.f2).U8(e.f3);
}
inline void PutArc(ByteBuilder& bb, const Arc& e) {
    bb.F32(e.x).F32(e.y).F32(e.r).U16(e.flat).I32(e.st).I32(e.et).I32(e.tt);
    bb.U8(e.typ).U8(e.col).U8(e.lay).U8(e.f1).U8(e.f2).U8(e.f3);
}
inline void PutMoji(ByteBuilder& bb, const Moji& e) {
    bb.F32(e.x1).F32(e.y1).F32(e.x2).F32(e.y2).U16(e.ofs).U16(e.seg).U8(e.no).U8(e.lay).U8(e.f1).U8(e.f2);
}
inline void PutTen(ByteBuilder& bb, const Ten& e) { bb.F32(e.x).F32(e.y).U8(e.lay).U8(e.col).U8(e.f1).U8(e.f2); }

// A small JWC drawing. The text blocks are written as given, followed by zero
// bytes; block 2 of an empty string gets counts from the entity lists.
struct JwcFile {
    std::string id = "jw_cad(c)data.......a.f";
    std::string c1 = "comment one", c2 = "comment two";
    std::string block2;  // empty: built from the lists, psize and drawWidth
    int psize = 2;
    int drawWidth = 297;  // A2 (594 mm) over 297 units: 2 mm per unit
    std::string block3 = "1.5,2.5,4,20,1,0,0,0,0,2";
    std::string block4 = "6000:0000,6000:0000";  // no string area
    std::vector<Line> lines;
    std::vector<Arc> arcs;
    std::vector<Moji> mojis;
    std::vector<uint8_t> area;  // the string area; sized by block 4
    std::vector<Ten> tens;

    bool ScaleSingles() const { return id.size() > 22 && id[22] == 'f'; }

    std::string Block2() const {
        if (!block2.empty()) return block2;
        std::string s = std::to_string(lines.size()) + "," + std::to_string(arcs.size()) + "," +
                        std::to_string(mojis.size()) + "," + std::to_string(tens.size()) + ",7,1,1,1,1,1,0," +
                        std::to_string(psize) + ",2,1,0,0,5,10,0,0,0,0,0,0,0,5,5,0,0,0," + std::to_string(drawWidth) +
                        ",0";
        return s;
    }

    std::vector<uint8_t> Bytes() const {
        ByteBuilder bb;
        Block1(bb, id, c1, c2);
        bb.Field(Block2(), 200).Field(block3, 200).Field(block4, 200);
        for (int i = 0; i < 101; ++i) bb.F32(static_cast<float>(i));
        for (int i = 0; i < 101; ++i) bb.F32(static_cast<float>(-i));
        for (int i = 0; i < 101; ++i) bb.U8(static_cast<uint8_t>(i % 16));
        for (int f = 0; f < 4; ++f)
            for (int i = 0; i < 11; ++i) bb.U16(static_cast<uint16_t>(100 * f + i));
        for (int i = 0; i < 16; ++i) {
            if (ScaleSingles()) bb.F32(static_cast<float>(i) + 0.5f);
            else bb.U16(static_cast<uint16_t>(i * 10));
        }
        for (int i = 0; i < 16; ++i) bb.U8(static_cast<uint8_t>(1));   // group srchF
        for (int i = 0; i < 256; ++i) bb.U8(static_cast<uint8_t>(2));  // layer srchF
        for (int i = 0; i < 16; ++i) bb.U8(static_cast<uint8_t>(3));   // group dispF
        for (int i = 0; i < 256; ++i) bb.U8(static_cast<uint8_t>(4));  // layer dispF
        for (int i = 0; i < 16; ++i) bb.U8(static_cast<uint8_t>(i));   // w_lay
        for (const auto& e : lines) PutLine(bb, e);
        for (const auto& e : arcs) PutArc(bb, e);
        for (const auto& e : mojis) PutMoji(bb, e);
        bb.Append(area);
        for (const auto& e : tens) PutTen(bb, e);
        for (int i = 0; i < 256; ++i) bb.Field("L" + std::to_string(i), 8);
        for (int i = 0; i < 16; ++i) bb.Field("Group" + std::to_string(i), 16);
        return bb.b;
    }
};

// A small JWK figure.
struct JwkFile {
    std::string id = "jw_cad(c)sym........";
    std::string c1 = "fig one", c2 = "";
    std::string block2;  // empty: built from the lists and strSpace
    float orgX = 10.5f, orgY = -4;
    std::vector<Line> lines;
    std::vector<Arc> arcs;
    std::vector<Ten> tens;
    std::vector<Moji> mojis;
    std::vector<uint8_t> area;

    std::string Block2() const {
        if (!block2.empty()) return block2;
        return std::to_string(lines.size()) + "," + std::to_string(arcs.size()) + "," + std::to_string(tens.size()) +
               "," + std::to_string(mojis.size()) + ",10.5,-4,1," + std::to_string(area.size()) + ",0.5";
    }

    std::vector<uint8_t> Bytes() const {
        ByteBuilder bb;
        Block1(bb, id, c1, c2);
        std::string b2 = Block2();
        bb.Raw(b2).U8(0).Fill(199 - b2.size() - 1, ' ').U8('\n');
        for (const auto& e : lines) PutLine(bb, e);
        for (const auto& e : arcs) PutArc(bb, e);
        for (const auto& e : tens) PutTen(bb, e);
        for (const auto& e : mojis) PutMoji(bb, e);
        bb.Append(area);
        return bb.b;
    }
};

// Deterministic mutations of a file: each call changes a few bytes, biased
// towards the text header blocks (digits, commas, separators) where the counts
// and addresses live.
struct Mutator {
    uint32_t state = 2463534242u;
    uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    std::vector<uint8_t> Mutate(const std::vector<uint8_t>& in, size_t headerEnd) {
        std::vector<uint8_t> b = in;
        static const char kText[] = "0123456789,,:- F\0";
        int changes = 1 + static_cast<int>(Next() % 4);
        for (int i = 0; i < changes && !b.empty(); ++i) {
            bool header = Next() % 2 == 0 && headerEnd > 200;
            size_t pos = header ? 200 + Next() % (headerEnd - 200) : Next() % b.size();
            if (pos >= b.size()) continue;
            b[pos] = header ? static_cast<uint8_t>(kText[Next() % (sizeof(kText) - 1)]) : static_cast<uint8_t>(Next());
        }
        if (Next() % 8 == 0) b.resize(Next() % (b.size() + 1));
        return b;
    }
};

using jw::test::ReadFileBytes;
using jw::test::TempDir;
using jw::test::WriteFileBytes;

}  // namespace legacy_test
