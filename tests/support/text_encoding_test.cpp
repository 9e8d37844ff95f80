// Code page 932 (as Windows maps it), UTF-16LE and UTF-8 conversions.
#include <gtest/gtest.h>

#include "support/text_encoding.h"

namespace jw {
namespace {

Bytes B(std::initializer_list<int> v) {
    Bytes b;
    for (int x : v) b.push_back(static_cast<uint8_t>(x));
    return b;
}

struct CodeCase {
    char16_t unit;
    Bytes bytes;
    const char* what;
};

// Characters with one code page 932 code: both directions.
TEST(Cp932, RoundTrip) {
    const CodeCase cases[] = {
        {u'A', B({0x41}), "ASCII"},
        {u'\\', B({0x5C}), "backslash stays a backslash"},
        {u'~', B({0x7E}), "tilde stays a tilde"},
        {0xFF61, B({0xA1}), "first half-width katakana"},
        {0xFF71, B({0xB1}), "half-width A"},
        {0xFF9F, B({0xDF}), "last half-width katakana"},
        {0x3042, B({0x82, 0xA0}), "hiragana A"},
        {0x6F22, B({0x8A, 0xBF}), "kanji"},
        {0x2460, B({0x87, 0x40}), "NEC row 13: circled 1"},
        {0x2160, B({0x87, 0x54}), "NEC row 13: Roman I (not the IBM FA4A)"},
        {0x3231, B({0x87, 0x8A}), "NEC row 13: parenthesised kabu (not FA58)"},
        {0x2170, B({0xFA, 0x40}), "IBM extension: small Roman i (not the NEC-selected EEEF)"},
        {0x7E8A, B({0xFA, 0x5C}), "IBM extension kanji (not the NEC-selected ED40)"},
        {0xFFE2, B({0x81, 0xCA}), "full-width not sign (not FA54)"},
        {0x2235, B({0x81, 0xE6}), "because (not 879A or FA5B)"},
        {0x2252, B({0x81, 0xE0}), "approximately equal (not 8790)"},
        {0xFF3C, B({0x81, 0x5F}), "full-width backslash"},
        {0xFF5E, B({0x81, 0x60}), "full-width tilde"},
        {0x2225, B({0x81, 0x61}), "parallel"},
        {0xFF0D, B({0x81, 0x7C}), "full-width hyphen-minus"},
        {0x2015, B({0x81, 0x5C}), "horizontal bar"},
        {0xE000, B({0xF0, 0x40}), "first user-defined character"},
        {0x0080, B({0x80}), "Windows single byte 0x80"},
        {0xF8F0, B({0xA0}), "Windows single byte 0xA0"},
        {0xF8F1, B({0xFD}), "Windows single byte 0xFD"},
        {0xF8F3, B({0xFF}), "Windows single byte 0xFF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const JwString s(1, c.unit);
        EXPECT_EQ(AnsiBytes(s), c.bytes);
        EXPECT_EQ(AnsiBytesStr(c.bytes), s);
        EXPECT_EQ(AnsiLen(s), static_cast<int32_t>(c.bytes.size()));
    }
}

// Second codes of a character decode to it; encoding picks the code above.
TEST(Cp932, DuplicateCodesDecode) {
    const CodeCase cases[] = {
        {0x7E8A, B({0xED, 0x40}), "NEC-selected IBM extension"},
        {0x2170, B({0xEE, 0xEF}), "NEC-selected small Roman i"},
        {0xFFE2, B({0xFA, 0x54}), "IBM not sign"},
        {0x2252, B({0x87, 0x90}), "NEC approximately equal"},
        {0x2160, B({0xFA, 0x4A}), "IBM Roman I"},
        {0x3231, B({0xFA, 0x58}), "IBM parenthesised kabu"},
        {0x2235, B({0xFA, 0x5B}), "IBM because"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(AnsiBytesStr(c.bytes), JwString(1, c.unit));
    }
}

// Characters outside the code page that the converter maps to a look-alike
// (glibc's CP932 best fit), and characters that become "?".
TEST(Cp932, EncodeOnlyAndUnrepresentable) {
    const CodeCase cases[] = {
        {0x00A5, B({0x5C}), "yen sign -> backslash byte"},
        {0x203E, B({0x7E}), "overline -> tilde byte"},
        {0x2014, B({0x81, 0x5C}), "em dash -> horizontal bar"},
        {0x301C, B({0x81, 0x60}), "wave dash -> full-width tilde"},
        {0x2016, B({0x81, 0x61}), "double vertical line -> parallel"},
        {0x2212, B({0x81, 0x7C}), "minus sign -> full-width hyphen-minus"},
        {0x00AC, B({0x81, 0xCA}), "not sign -> full-width not sign"},
        {0x00E9, B({'?'}), "e acute"},
        {0x20AC, B({'?'}), "euro sign"},
        {0xD800, B({'?'}), "lone high surrogate"},
        {0xDC00, B({'?'}), "lone low surrogate"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(AnsiBytes(JwString(1, c.unit)), c.bytes);
    }
    EXPECT_EQ(AnsiBytes(u"a\U0001F600b"), B({'a', '?', 'b'}));  // a pair is one "?"
    EXPECT_EQ(AnsiLen(u"a\U0001F600b"), 3);
}

TEST(Cp932, UndecodableBytes) {
    const struct {
        Bytes bytes;
        JwString full;
        const char* what;
    } cases[] = {
        {B({0x85, 0x40, 0x41}), u"\u30FBA", "undefined double-byte code: both bytes"},
        {B({0x81, 0x7F, 0x41}), u"\u30FBA", "invalid trail 0x7F: both bytes"},
        {B({0x81, 0xFD, 0x41}), u"\u30FBA", "invalid trail 0xFD: both bytes"},
        {B({0x81, 0x20, 0x41}), u"\u30FB A", "trail below 0x40: only the lead byte"},
        {B({0x41, 0x82}), u"A", "lead byte at the very end is dropped"},
        {B({0x82, 0x00, 0x41}), JwString(u"\u30FB\0A", 3), "zero after a lead byte"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(AnsiBytesStrFull(c.bytes.data(), c.bytes.size()), c.full);
        EXPECT_EQ(AnsiBytesStr(c.bytes), c.full.substr(0, c.full.find(u'\0')));
    }
}

TEST(Cp932, ZeroBytesEndTheText) {
    EXPECT_EQ(AnsiBytesStr(B({'A', 'B', 0, 0, 0})), u"AB");
    EXPECT_EQ(AnsiBytesStr(B({0, 'A'})), u"");
    EXPECT_EQ(AnsiBytesStr(nullptr, 0), u"");
    EXPECT_EQ(AnsiLen(JwString(u"A\0\u3042", 3)), 1);
    EXPECT_EQ(AnsiLen(u"A\u3042"), 3);
    EXPECT_EQ(AnsiBytes(JwString(u"A\0B", 3)), B({'A', 0, 'B'}));
    EXPECT_EQ(ZeroLen(B({'a', 'b', 0, 'c'})), 2);
    EXPECT_EQ(ZeroLen(B({'a', 'b'})), 2);
    EXPECT_EQ(ZeroLen(Bytes()), 0);
}

TEST(Cp932, AppendAddsToTheBuffer) {
    Bytes out = B({'x'});
    AnsiAppend(u"\u3042", out);
    AnsiAppend(u"y", out);
    EXPECT_EQ(out, B({'x', 0x82, 0xA0, 'y'}));
}

TEST(Cp932, LeadBytes) {
    for (int b = 0; b < 256; ++b) {
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        EXPECT_EQ(AnsiLeadByte(static_cast<uint8_t>(b)), lead) << std::hex << b;
    }
}

// Every defined double-byte code decodes to a character whose encoding
// decodes to that same character (the tables agree with each other).
TEST(Cp932, TablesAreConsistent) {
    int defined = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead == 0xA0) lead = 0xE0;  // single-byte range
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const uint8_t pair[2] = {static_cast<uint8_t>(lead), static_cast<uint8_t>(trail)};
            JwString s = AnsiBytesStr(pair, 2);
            ASSERT_EQ(s.size(), 1u);
            if (s[0] == 0x30FB) continue;
            ++defined;
            EXPECT_EQ(AnsiBytesStr(AnsiBytes(s)), s) << std::hex << lead << trail;
        }
    }
    EXPECT_GT(defined, 7000);  // JIS X 0208, NEC and IBM extensions, user-defined area
}

TEST(Wide, BytesBothWays) {
    EXPECT_EQ(WideBytes(u"A\u3042"), B({0x41, 0, 0x42, 0x30}));
    EXPECT_EQ(WideBytesStr(B({0x41, 0, 0x42, 0x30})), u"A\u3042");
    EXPECT_EQ(WideBytesStr(B({0x41, 0, 0, 0, 0x42, 0})), u"A");
    EXPECT_EQ(WideBytesStr(B({0x41, 0, 0x42})), u"A");  // odd last byte ignored
    EXPECT_EQ(WideBytesStr(B({0x3D, 0xD8, 0x00, 0xDE})), u"\U0001F600");
}

TEST(Utf8, BothWays) {
    const JwString s = u"a\u00E9\u3042\U0001F600";
    const Bytes b = B({'a', 0xC3, 0xA9, 0xE3, 0x81, 0x82, 0xF0, 0x9F, 0x98, 0x80});
    EXPECT_EQ(Utf8Bytes(s), b);
    EXPECT_EQ(ToUtf8(s), std::string(b.begin(), b.end()));
    EXPECT_EQ(FromUtf8(std::string(b.begin(), b.end())), s);
    EXPECT_EQ(Utf8Bytes(JwString(1, 0xD800)), B({0xEF, 0xBF, 0xBD}));  // lone surrogate
    EXPECT_EQ(FromUtf8("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
    EXPECT_EQ(FromUtf8("\xE3\x81"), u"\uFFFD");                  // truncated
}

TEST(Utf8, AppendAddsToTheBuffer) {
    Bytes bytes = B({'x'});
    std::string text = "x";
    for (std::u16string_view s : {std::u16string_view(u"\u00E9"), std::u16string_view(u"\U0001F600y")}) {
        Utf8Append(s, bytes);
        Utf8Append(s, text);
    }
    EXPECT_EQ(bytes, B({'x', 0xC3, 0xA9, 0xF0, 0x9F, 0x98, 0x80, 'y'}));
    EXPECT_EQ(text, std::string(bytes.begin(), bytes.end()));
}

// Control characters and broken UTF-8 in a message are written as escapes;
// every other character, a backslash included, stays as it is.
TEST(EscapeControls, OnlyWhatCouldActOnATerminal) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain.jww", "plain.jww"},
        {"\u56f3\u9762 a\\b.jww", "\u56f3\u9762 a\\b.jww"},
        {"a\x1b[2Jb", "a\\x1B[2Jb"},
        {"bell\x07", "bell\\x07"},
        {"tab\tlf\ncr\r", "tab\\tlf\\ncr\\r"},
        {"del\x7f", "del\\x7F"},
        {"csi\xc2\x9b", "csi\\xC2\\x9B"},  // U+009B, the terminal's one-character escape
        {"raw\x9b", "raw\\x9B"},            // not UTF-8 at all
        {"cut\xe3\x81", "cut\\xE3\\x81"},
        {"\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(EscapeControls(in), out) << in;
}

}  // namespace
}  // namespace jw
