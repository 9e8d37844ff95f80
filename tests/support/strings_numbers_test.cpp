// String slicing and filtering, case mapping, number formatting and parsing.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/numbers.h"
#include "support/strings.h"
#include "support/text_encoding.h"

namespace jw {
namespace {

TEST(Strings, PosFromMid) {
    EXPECT_EQ(StrPos0(u"\r\n", u"abc"), -1);
    EXPECT_EQ(StrPos0(u"\r\n", u"\r\nabc"), 0);
    EXPECT_EQ(StrPos0(u"c", u"abcabc"), 2);
    EXPECT_EQ(StrPos0(u"", u"abc"), -1);
    EXPECT_EQ(StrFrom0(u"abcdef", 4), u"ef");
    EXPECT_EQ(StrFrom0(u"abc", 9), u"");
    EXPECT_EQ(StrFrom0(u"abc", -2), u"abc");
    EXPECT_EQ(StrMid0(u"abcdef", 1, 3), u"bcd");
    EXPECT_EQ(StrMid0(u"abcdef", 4, 100), u"ef");
    EXPECT_EQ(StrMid0(u"abcdef", -1, 2), u"a");
    EXPECT_EQ(StrMid0(u"abcdef", 2, -1), u"");
    EXPECT_EQ(StrMid0(u"abc", 2147483600, 2147483600), u"");
}

TEST(Strings, Filters) {
    EXPECT_EQ(StrNoSpace(u"%%A\u3000B C\tD"), u"%%ABCD");
    EXPECT_TRUE(StrIsBlank(u""));
    EXPECT_TRUE(StrIsBlank(u" \u3000\t\r\n"));
    EXPECT_FALSE(StrIsBlank(u" \u3000x"));
    EXPECT_EQ(StrNoCtrl(u" a\tb\u0001c "), u" abc ");
    const struct {
        JwString in, noBreak, outClean;
    } cases[] = {
        {u"^m", u" ", u" "},
        {u"a^mb", u"ab", u"ab"},
        {u"a\nb", u"ab", u"ab"},
        {u"a\\nb", u"ab", u"ab"},
        {u"", u" ", u""},
        {u"\t", u" ", u" "},
        {u"^", u"^", u"^"},
        {u"a\\", u"a\\", u"a\\"},
        {u"^^mm", u"^m", u"^m"},
        {u"x\\Ny", u"x\\Ny", u"x\\Ny"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.in));
        EXPECT_EQ(StrNoBreakMark(c.in), c.noBreak);
        EXPECT_EQ(StrOutClean(c.in), c.outClean);
    }
}

TEST(Strings, CodePoints) {
    const JwString s = u"\U0001F600a";
    EXPECT_EQ(CharCount(s), 2);
    EXPECT_EQ(CharCount(u""), 0);
    EXPECT_EQ(CharCount(JwString(u"\xD800" "a", 2)), 2);  // a lone surrogate counts once
    EXPECT_EQ(CharMid(s, 0, 1), u"\U0001F600");
    EXPECT_EQ(CharMid(s, 1, 1), u"a");
    EXPECT_EQ(CharMid(s, 0, 5), s);
    EXPECT_EQ(CharMid(s, 2, 1), u"");
    EXPECT_EQ(CharMid(s, 0, 0), u"");
    EXPECT_EQ(CharMid(u"ab\U0001F600cd", 2, 2), u"\U0001F600c");

    const JwString mixed(u"\xDC00\xD800\xDC00\xD800", 4);  // low, pair, high at the end
    EXPECT_FALSE(IsSurrogatePair(mixed, 0));
    EXPECT_TRUE(IsSurrogatePair(mixed, 1));
    EXPECT_FALSE(IsSurrogatePair(mixed, 2));
    EXPECT_FALSE(IsSurrogatePair(mixed, 3));
    EXPECT_FALSE(IsSurrogatePair(mixed, 4));
    EXPECT_EQ(CharCount(mixed), 3);
}

TEST(Strings, CaseMapping) {
    const struct {
        JwString lower, upper;
    } cases[] = {
        {u"ref_file=c:\\jww\\a.txt", u"REF_FILE=C:\\JWW\\A.TXT"},
        {u"\uFF41\uFF5A", u"\uFF21\uFF3A"},  // full-width Latin
        {u"\u00E9\u00E0", u"\u00C9\u00C0"},  // Latin-1
        {u"\u03B1\u03C9", u"\u0391\u03A9"},  // Greek
        {u"\u0436\u044F", u"\u0416\u042F"},  // Cyrillic
        {u"\u3042\u6F22", u"\u3042\u6F22"},  // no case
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.lower));
        EXPECT_EQ(StrUpper(c.lower), c.upper);
        EXPECT_EQ(StrLower(c.upper), c.lower);
        // The comparison and hash that need no upper-cased copy agree.
        EXPECT_TRUE(SameUpper(c.lower, c.upper));
        EXPECT_EQ(UpperHash(c.lower), UpperHash(c.upper));
        EXPECT_FALSE(SameUpper(c.lower, c.upper + u"x"));
    }
    EXPECT_FALSE(SameUpper(u"ab", u"ac"));
    EXPECT_FALSE(SameUpper(u"\u00DF", u"SS"));
    EXPECT_EQ(StrUpper(u"\u00DF"), u"\u00DF");                       // no one-to-many mapping
    EXPECT_EQ(StrUpper(u"\U00010428"), u"\U00010428");               // pairs stay as they are
    EXPECT_EQ(StrUpper(JwString(1, 0xD800)), JwString(1, 0xD800));
}

TEST(Numbers, FloatStr) {
    const struct {
        double v;
        const char* text;
    } cases[] = {
        {2.5, "2.5"},
        {1.0 / 3.0, "0.333333333333333"},
        {100, "100"},
        {5e-5, "5E-5"},
        {1.5e20, "1.5E20"},
        {-1.5e20, "-1.5E20"},
        {0.0001, "0.0001"},
        {1e-5, "1E-5"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E15"},
        {999999999999999.9, "1E15"},  // rounds up to 10^15
        {0.1 + 0.2, "0.3"},
        {-2.5, "-2.5"},
        {0.00012345, "0.00012345"},
        {1.234e-10, "1.234E-10"},
        {1e100, "1E100"},
        {2.0 / 3.0 * 1e-7, "6.66666666666667E-8"},
        {std::numeric_limits<double>::max(), "1.79769313486232E308"},
        {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
        {0.0, "0"},
        {-0.0, "0"},
        {std::nan(""), "NAN"},
        {std::numeric_limits<double>::infinity(), "INF"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FloatStr8(c.v), c.text);
        EXPECT_EQ(FloatStr(c.v), FromUtf8(c.text));
    }
}

TEST(Numbers, IntHexBool) {
    EXPECT_EQ(IntStr(0), u"0");
    EXPECT_EQ(IntStr(-42), u"-42");
    EXPECT_EQ(IntStr(std::numeric_limits<int32_t>::min()), u"-2147483648");
    EXPECT_EQ(IntStr8(1234567), "1234567");
    EXPECT_EQ(BoolStr01(true), u"1");
    EXPECT_EQ(BoolStr01(false), u"0");
    EXPECT_EQ(HexStr(255, 6), u"0000FF");
    EXPECT_EQ(HexStr(0xABCDEF12, 6), u"ABCDEF12");
    EXPECT_EQ(HexStr(-1, 6), u"FFFFFFFF");
    EXPECT_EQ(HexStr(-2, 8), u"FFFFFFFE");
    EXPECT_EQ(HexStr(0, 8), u"00000000");
    EXPECT_EQ(HexStr(10, 0), u"A");
}

TEST(Numbers, StrIntDef0) {
    const struct {
        JwString text;
        int32_t value;
    } cases[] = {
        {u" 12", 12},
        {u"12 ", 0},
        {u"$1F", 31},
        {u"-0x10", -16},
        {u"x1f", 31},
        {u"X1F", 31},
        {u"0X1f", 31},
        {u"+7", 7},
        {u"007", 7},
        {u"2147483647", 2147483647},
        {u"2147483648", 0},
        {u"-2147483648", std::numeric_limits<int32_t>::min()},
        {u"-2147483649", 0},
        {u"99999999999999999999", 0},
        {u"$FFFFFFFF", -1},
        {u"$100000000", 0},
        {JwString(u"12\0zz", 5), 12},
        {u"", 0},
        {u"-", 0},
        {u"$", 0},
        {u"0x", 0},
        {u"1 2", 0},
        {u"1.0", 0},
        {u"\uFF11\uFF12", 0},  // full-width digits
        {u"\t5", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        EXPECT_EQ(StrIntDef0(c.text), c.value);
    }
}

TEST(Numbers, StrFloatDef0) {
    const struct {
        JwString text;
        double value;
    } cases[] = {
        {u"1.5e2", 150},
        {u".5", 0.5},
        {u"1,5", 0},
        {u" -2.5E-1", -0.25},
        {u"+3", 3},
        {u"5.", 5},
        {u"1E+3", 1000},
        {JwString(u"12\0x", 4), 12},
        {u".", 0},
        {u"1e", 0},
        {u"e5", 0},
        {u"1.5 ", 0},
        {u"1e400", 0},
        {u"inf", 0},
        {u"nan", 0},
        {u"0x10", 0},
        {u"", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        EXPECT_EQ(StrFloatDef0(c.text), c.value);
    }
}

TEST(Numbers, Misc) {
    EXPECT_TRUE(IsFiniteNum(1e308));
    EXPECT_FALSE(IsFiniteNum(std::nan("")));
    EXPECT_FALSE(IsFiniteNum(-std::numeric_limits<double>::infinity()));
    int32_t a[4] = {0, 0, 0, 0};
    EXPECT_EQ(FillInt(7, 3, a), 7);
    EXPECT_EQ(a[2], 7);
    EXPECT_EQ(a[3], 0);
    EXPECT_EQ(MakeArgb(1, 2, 3), 0xFF010203u);
}

}  // namespace
}  // namespace jw
