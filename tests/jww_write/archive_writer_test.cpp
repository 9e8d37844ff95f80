// Archive primitives on the writing side: strings in both forms, counts, class
// records and the attribute normalisation of AttrOut.
#include "write_helpers.h"

namespace {

using namespace jwt;
using jw::ArchiveWriter;
using jw::MemorySink;
using jw::NormalizeAttrForOutput;

Bytes Str(const JwString& s, int opt) {
    MemorySink sink;
    ArchiveWriter aw(sink);
    aw.fileOutOpt = opt;
    aw.StrOut(s);
    return sink.Take();
}

struct StrCase {
    const char* name;
    JwString s;
    int opt;
    Bytes expected;
};

TEST(StrOut, EncodesBothForms) {
    const StrCase cases[] = {
        {"empty ansi", u"", 0, B().u8(0)},
        {"empty utf16", u"", 0x20, B().u8(0xFF).u8(0xFE).u8(0xFF).u8(0)},
        {"ascii", u"abc", 0, B().str("abc")},
        {"utf16 abc", u"abc", 0x20, B().u8(0xFF).u8(0xFE).u8(0xFF).u8(3).w('a').w('b').w('c')},
        {"shift-jis", u"図面", 0, B().u8(4).u8(0x90).u8(0x7D).u8(0x96).u8(0xCA)},
        {"half-width kana", u"ｱ", 0, B().u8(1).u8(0xB1)},
        {"utf16 japanese", u"図面", 0x20, B().u8(0xFF).u8(0xFE).u8(0xFF).u8(2).w(0x56F3).w(0x9762)},
        // Other option bits do not select the form.
        {"other bits ansi", u"a", 0x1F, B().str("a")},
        // ANSI strings end at the first NUL; UTF-16 strings keep it.
        {"ansi nul", JwString(u"a\0b", 3), 0, B().str("a")},
        {"utf16 nul", JwString(u"a\0b", 3), 0x20, B().u8(0xFF).u8(0xFE).u8(0xFF).u8(3).w('a').w(0).w('b')},
        // A character outside code page 932 becomes "?", a surrogate pair one "?".
        {"unrepresentable", u"a\U0001F600b", 0, B().str("a?b")},
    };
    for (const auto& c : cases) EXPECT_EQ(Hex(Str(c.s, c.opt)), Hex(c.expected)) << c.name;
}

TEST(StrOut, LengthForms) {
    struct LenCase {
        size_t units;
        char16_t ch;
        int opt;
        Bytes prefix;     // expected bytes before the text
        size_t textBytes;  // expected number of text bytes
    };
    const LenCase cases[] = {
        {254, u'a', 0, B().u8(0xFE), 254},
        {255, u'a', 0, B().u8(0xFF).w(255), 255},
        {65533, u'a', 0, B().u8(0xFF).w(65533), 65533},
        // Longer strings are cut to what the length word can state.
        {70000, u'a', 0, B().u8(0xFF).w(65533), 65533},
        // ... without splitting a double-byte character.
        {40000, u'図', 0, B().u8(0xFF).w(65532), 65532},
        {254, u'a', 0x20, B().u8(0xFF).u8(0xFE).u8(0xFF).u8(0xFE), 508},
        {255, u'a', 0x20, B().u8(0xFF).u8(0xFE).u8(0xFF).u8(0xFF).w(255), 510},
        {65535, u'a', 0x20, B().u8(0xFF).u8(0xFE).u8(0xFF).u8(0xFF).w(65535), 131070},
        {70000, u'a', 0x20, B().u8(0xFF).u8(0xFE).u8(0xFF).u8(0xFF).w(65535), 131070},
    };
    for (const auto& c : cases) {
        const Bytes out = Str(JwString(c.units, c.ch), c.opt);
        const std::string label = std::to_string(c.units) + " opt " + std::to_string(c.opt);
        ASSERT_EQ(out.size(), c.prefix.size() + c.textBytes) << label;
        EXPECT_TRUE(std::equal(c.prefix.begin(), c.prefix.end(), out.begin())) << label;
    }
}

TEST(StrOut, SurrogatePairNotCutInHalf) {
    JwString s(65534, u'a');
    s += u"\U0001F600";  // units 65534 and 65535
    const Bytes out = Str(s, 0x20);
    EXPECT_EQ(Hex(out, 0, 6), Hex(B().u8(0xFF).u8(0xFE).u8(0xFF).u8(0xFF).w(65534)));
    EXPECT_EQ(out.size(), 6u + 2 * 65534);
}

TEST(CountOutClassOut, Encodings) {
    struct Case {
        bool count;
        int32_t n;
        Bytes expected;
    };
    const Case cases[] = {
        {true, 0, B().w(0)},
        {true, 65534, B().w(0xFFFE)},
        {true, 65535, B().w(0xFFFF).i(65535)},
        {true, 70000, B().w(0xFFFF).i(70000)},
        {false, 1, B().w(0x8001)},
        {false, 0x7FFE, B().w(0xFFFE)},
        {false, 0x7FFF, B().w(0x7FFF).c(0x80007FFF)},
        {false, 100000, B().w(0x7FFF).c(0x80000000u + 100000)},
    };
    for (const auto& c : cases) {
        MemorySink sink;
        ArchiveWriter aw(sink);
        if (c.count) aw.CountOut(c.n);
        else aw.ClassOut(c.n);
        EXPECT_EQ(Hex(sink.Take()), Hex(c.expected)) << (c.count ? "count " : "class ") << c.n;
    }
}

TEST(NewClassOut, SchemaIsLowWordOfVersion) {
    MemorySink sink;
    ArchiveWriter aw(sink);
    aw.NewClassOut(700, "CDataSen");
    aw.NewClassOut(0x10000 + 351, "CDataList");
    EXPECT_EQ(Hex(sink.Take()), Hex(B().newClass(700, "CDataSen").newClass(351, "CDataList")));
}

// Line types 31..62 and colours 101..356 of the formats before 4.20.
constexpr int kStyleMap[32] = {1, 4, 3, 6, 8, 8, 2, 5, 7, 6, 6, 8, 8, 17, 17, 1,
                               1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
constexpr int kColorMap[16] = {2, 8, 3, 6, 4, 5, 1, 2, 5, 8, 4, 3, 6, 5, 2, 2};

TEST(AttrOut, ExtendedStylesAndColoursMappedBelow420) {
    for (int kind = 1; kind <= 8; ++kind) {
        for (int s = 31; s <= 62; ++s) {
            const auto a = NormalizeAttrForOutput(300, Att(static_cast<uint8_t>(s), 1), kind);
            int expected = s;
            if (kind <= 2) expected = kStyleMap[s - 31];
            else if (kind == 3 || kind == 4) expected = 1;  // validation of points and texts
            EXPECT_EQ(+a.nPenStyle, expected) << "kind " << kind << " style " << s;
            EXPECT_EQ(+NormalizeAttrForOutput(420, Att(static_cast<uint8_t>(s), 1), kind).nPenStyle,
                      kind <= 2 || kind >= 5 ? s : 1);
        }
        for (int c = 101; c <= 356; ++c) {
            const auto a = NormalizeAttrForOutput(351, Att(1, static_cast<uint16_t>(c)), kind);
            const int expected = kind <= 6 ? (c <= 116 ? kColorMap[c - 101] : 1) : c;
            EXPECT_EQ(+a.nPenColor, expected) << "kind " << kind << " colour " << c;
            EXPECT_EQ(+NormalizeAttrForOutput(420, Att(1, static_cast<uint16_t>(c)), kind).nPenColor, c);
        }
    }
}

TEST(AttrOut, ValidationAtEveryVersion) {
    struct Case {
        int kind;
        uint8_t style;
        uint16_t color;
        uint8_t styleOut;
        uint16_t colorOut;
    };
    const Case cases[] = {
        {1, 0, 0, 1, 1},       {1, 10, 10, 1, 1},     {1, 19, 9, 19, 9},     {1, 20, 100, 1, 1},
        {1, 63, 357, 1, 1},    {2, 11, 5, 11, 5},     {2, 30, 1, 1, 1},      {3, 100, 2, 100, 2},
        {3, 2, 2, 1, 2},       {3, 9, 10, 1, 1},      {4, 9, 3, 9, 3},       {4, 100, 3, 1, 3},
        {4, 0, 0, 1, 1},       {5, 200, 10, 200, 1},  {5, 0, 9, 0, 9},       {6, 7, 10, 7, 10},
        {6, 0, 11, 0, 1},      {6, 111, 0, 111, 1},   {7, 250, 0, 250, 0},   {8, 0, 999, 0, 999},
    };
    for (int ver : {220, 351, 700}) {
        for (const auto& c : cases) {
            const auto a = NormalizeAttrForOutput(ver, Att(c.style, c.color), c.kind);
            EXPECT_EQ(+a.nPenStyle, c.styleOut) << "ver " << ver << " kind " << c.kind << " style " << int(c.style);
            EXPECT_EQ(+a.nPenColor, c.colorOut) << "ver " << ver << " kind " << c.kind << " colour " << c.color;
        }
    }
    for (int kind = 1; kind <= 8; ++kind) {
        const auto bad = NormalizeAttrForOutput(700, Att(1, 1, 30001, 16, 16, 7, 99), kind);
        EXPECT_EQ(+bad.nPenWidth, 0);
        EXPECT_EQ(+bad.nLayer, 0);
        EXPECT_EQ(+bad.nGLayer, 0);
        EXPECT_EQ(+bad.sFlg, 7);
        EXPECT_EQ(+bad.lGroup, 99u);
        const auto good = NormalizeAttrForOutput(700, Att(1, 1, 30000, 15, 15), kind);
        EXPECT_EQ(+good.nPenWidth, 30000);
        EXPECT_EQ(+good.nLayer, 15);
        EXPECT_EQ(+good.nGLayer, 15);
    }
}

TEST(AttrOut, ThirteenBytesBefore351) {
    const auto a = Att(33, 150, 25, 3, 4, 0x2000, 0x01020304);
    for (int ver : {300, 350, 351, 420}) {
        MemorySink sink;
        ArchiveWriter aw(sink);
        aw.AttrOut(ver, a, 1);
        // Below 4.20 line type 33 becomes 3 and colour 150 becomes 1.
        const auto mapped = ver < 420 ? Att(3, 1, 25, 3, 4, 0x2000, 0x01020304) : a;
        const Bytes out = sink.Take();
        EXPECT_EQ(Hex(out), Hex(B().att(mapped, ver))) << ver;
        EXPECT_EQ(out.size(), ver >= 351 ? 15u : 13u);
    }
}

// WriteFixed puts out the form ReadFixed takes: a fixed part read back from
// it is the one written, with nPenWidth 0 before 3.51.
TEST(WriteFixed, ReadFixedTakesItBack) {
    jw::TEntJwwLine line = Line(1.5, -2, 3, 4e6, Att(3, 7, 25, 4, 5, 0x0102, 0x0A0B0C0D));
    for (int ver : {300, 350, 351, 700}) {
        MemorySink sink;
        ArchiveWriter aw(sink);
        aw.version = ver;
        aw.WriteFixed(line);
        B written;
        const Bytes out = sink.Take();
        EXPECT_EQ(Hex(out), Hex(LineBody(written, line, ver))) << ver;

        jw::ArchiveReader ar(out.data(), out.size());
        ar.version = ver;
        jw::TEntJwwLine back;
        EXPECT_EQ(ar.ReadFixed(&back, sizeof back), out.size()) << ver;
        EXPECT_TRUE(ar.AtEnd()) << ver;
        jw::TEntJwwLine expected = line;
        if (ver < 351) expected.att.nPenWidth = 0;
        EXPECT_EQ(Hex(Bytes(reinterpret_cast<uint8_t*>(&back), reinterpret_cast<uint8_t*>(&back + 1))),
                  Hex(Bytes(reinterpret_cast<uint8_t*>(&expected), reinterpret_cast<uint8_t*>(&expected + 1))))
            << ver;
    }
}

TEST(LimitSize, AbsoluteValueWithinTheWrittenRange) {
    const std::pair<double, double> cases[] = {
        {2.5, 2.5}, {-2.5, 2.5}, {0.0, 1e-10}, {-0.0, 1e-10}, {1e-20, 1e-10}, {-1e20, 1e10}, {1e10, 1e10},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(jw::LimitSize(in), out) << in;
}

}  // namespace
