// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>

#include "lumora/platform/soft/SoftFont.h"
#include "lumora/runtime/RuntimeError.h"
#include "lumora/runtime/Variant.h"
#include "runtime/Arithmetic.h"
#include "runtime/NumberFormat.h"
#include "testing/ErrorOf.h"

namespace lumora {
namespace {

using test::ErrorOf;

TEST(ArithmeticTest, RoundsHalvesToTheEvenNeighbour) {
    EXPECT_EQ(CLng(12.5), 12);
    EXPECT_EQ(CLng(13.5), 14);
    EXPECT_EQ(CLng(-2.5), -2);
    EXPECT_EQ(CLng(2.5000001), 3);
    EXPECT_EQ(CInt(32767.4), 32767);
    EXPECT_EQ(CLng(-2147483648.5), -2147483648LL);
}

TEST(ArithmeticTest, ResultsThatDoNotFitRaiseOverflow) {
    EXPECT_EQ(ErrorOf([] { CheckedAdd<Long>(2147483647, 1); }), err::kOverflow);
    EXPECT_EQ(ErrorOf([] { CheckedSub<Integer>(-32768, 1); }), err::kOverflow);
    EXPECT_EQ(ErrorOf([] { CheckedMul<Long>(65536, 65536); }), err::kOverflow);
    EXPECT_EQ(ErrorOf([] { CInt(32767.5); }), err::kOverflow);
    EXPECT_EQ(ErrorOf([] { CLng(2147483647.5); }), err::kOverflow);
    EXPECT_EQ(ErrorOf([] { CLng(std::nan("")); }), err::kOverflow);
    EXPECT_EQ(ErrorOf([] { Narrow<Integer>(Long{40000}); }), err::kOverflow);
    EXPECT_EQ(ErrorOf([] { CheckBounds(false); }), err::kSubscriptOutOfRange);
    EXPECT_EQ(RuntimeError(err::kOverflow).description(), std::string("Overflow"));
}

struct ParseCase {
    const char16_t* text;
    double value;
};

class ParseNumberTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseNumberTest, ReadsNumbersTheWayTheRuntimeDoes) {
    EXPECT_EQ(ParseNumber(GetParam().text, NumberFormat{u'.', u','}), GetParam().value) << ToUtf8(GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(English, ParseNumberTest,
                         ::testing::Values(ParseCase{u"80", 80}, ParseCase{u"  -12.25 ", -12.25}, ParseCase{u"+7", 7},
                                           ParseCase{u"1,000", 1000}, ParseCase{u"12,5", 125}, ParseCase{u".5", 0.5},
                                           ParseCase{u"5.", 5}, ParseCase{u"1e3", 1000}, ParseCase{u"2.5D-1", 0.25},
                                           ParseCase{u"&HFF", 255}, ParseCase{u"&hFFFFFFFF", -1},
                                           ParseCase{u"&O17", 15}, ParseCase{u"1e-400", 0}));

TEST(ParseNumberTest, RejectsWhatIsNotANumber) {
    for (const char16_t* text : {u"", u"  ", u"abc", u"1x", u"--1", u",5", u"1e", u"&H", u"&HG", u"1.2.3", u"١٢"})
        EXPECT_EQ(ErrorOf([&] { ParseNumber(text, NumberFormat{}); }), err::kTypeMismatch) << ToUtf8(text);
    EXPECT_EQ(ErrorOf([] { ParseNumber(u"1e400", NumberFormat{}); }), err::kOverflow);
    EXPECT_EQ(ErrorOf([] { ParseNumber(u"&H100000000", NumberFormat{}); }), err::kOverflow);
}

TEST(ParseNumberTest, FollowsADecimalCommaLocale) {
    const NumberFormat german{u',', u'.'};
    EXPECT_EQ(ParseNumber(u"12,5", german), 12.5);
    EXPECT_EQ(ParseNumber(u"1.000,25", german), 1000.25);
    EXPECT_EQ(FormatNumber(2.5, german), u"2,5");
}

TEST(FormatNumberTest, ShowsSignificantDigitsWithoutTrailingZeros) {
    EXPECT_EQ(FormatNumber(8.0, NumberFormat{}), u"8");
    EXPECT_EQ(FormatNumber(0.1f, NumberFormat{}), u"0.1");
    EXPECT_EQ(FormatNumber(1e15, NumberFormat{}), u"1E+15");
    EXPECT_EQ(FormatNumber(-12.25, NumberFormat{}), u"-12.25");
}

TEST(VariantTest, ConvertsBetweenKindsLikeTheRuntime) {
    EXPECT_EQ(Variant().ToLong(), 0);
    EXPECT_EQ(Variant().ToString(), u"");
    EXPECT_EQ(Variant::FromDouble(12.5).ToLong(), 12);
    EXPECT_EQ(Variant::FromString(u" 42 ").ToLong(), 42);
    EXPECT_EQ(Variant::FromBoolean(kTrue).ToLong(), -1);
    EXPECT_EQ(Variant::FromBoolean(kTrue).ToString(), u"True");
    EXPECT_EQ(Variant::FromLong(900).ToString(), u"900");
    EXPECT_EQ(Variant::FromSingle(8.1f).ToString(), u"8.1");
    EXPECT_EQ(Variant::FromInteger(-3).ToColor(), 0xFFFFFFFDu);
    EXPECT_EQ(Variant::FromDouble(2147483666.0).ToColor(), 0x80000012u);
    EXPECT_EQ(Variant::FromLong(-2147483630).ToColor(), 0x80000012u);
    EXPECT_EQ(Variant::FromString(u"tRUe").ToBoolean(), kTrue);
    EXPECT_EQ(Variant::FromLong(5).ToBoolean(), 5) << "a 16-bit flag keeps its value";
    EXPECT_EQ(Variant::FromLong(70000).ToBoolean(), kTrue);
    EXPECT_EQ(Variant::FromDouble(0.5).ToBoolean(), kTrue);
    EXPECT_EQ(Variant::NothingValue().ToFont(), nullptr);
}

TEST(VariantTest, WrongKindsAndOverflowsRaiseTheirErrors) {
    EXPECT_EQ(ErrorOf([] { Variant::FromString(u"abc").ToLong(); }), err::kTypeMismatch);
    EXPECT_EQ(ErrorOf([] { Variant::FromDouble(3e9).ToLong(); }), err::kOverflow);
    EXPECT_EQ(ErrorOf([] { Variant::FromLong(40000).ToInteger(); }), err::kOverflow);
    EXPECT_EQ(ErrorOf([] { Variant::FromDouble(1e300).ToSingle(); }), err::kOverflow);
    EXPECT_EQ(ErrorOf([] { Variant::FromDouble(5e9).ToColor(); }), err::kOverflow);
    EXPECT_EQ(ErrorOf([] { Variant::NothingValue().ToLong(); }), err::kTypeMismatch);
    EXPECT_EQ(ErrorOf([] { Variant::FromLong(1).ToFont(); }), err::kTypeMismatch);
    EXPECT_EQ(ErrorOf([] { Variant::FromFont(soft::SoftFont::Create()).ToString(); }), err::kTypeMismatch);
}

TEST(VariantTest, DefaultsMatchOnlyEqualValuesOfTheSameKind) {
    const FontPtr font = soft::SoftFont::Create();
    EXPECT_TRUE(Variant::FromBoolean(kFalse).SameValueAs(Variant::FromInteger(0)));
    EXPECT_TRUE(Variant::FromSingle(8).SameValueAs(Variant::FromInteger(8)));
    EXPECT_TRUE(Variant::FromBoolean(kTrue).SameValueAs(Variant::FromBoolean(kTrue)));
    EXPECT_FALSE(Variant::FromString(u"900").SameValueAs(Variant::FromInteger(900)));
    EXPECT_FALSE(Variant::FromString(u"MS Sans Serif").SameValueAs(Variant::FromFont(font)));
    EXPECT_TRUE(Variant::FromFont(font).SameValueAs(Variant::FromFont(font)));
    EXPECT_FALSE(Variant::FromFont(font).SameValueAs(Variant::FromFont(font->Clone())));
    EXPECT_FALSE(Variant::NothingValue().SameValueAs(Variant::FromFont(font)));
}

TEST(SoftFontTest, BoldAndWeightAreOneValue) {
    soft::SoftFont font;
    font.put_Bold(true);
    EXPECT_EQ(font.get_Weight(), 700);
    font.put_Weight(551);
    EXPECT_TRUE(font.get_Bold());
    font.put_Weight(550);
    EXPECT_FALSE(font.get_Bold());
    font.put_Size(8.123456);
    EXPECT_DOUBLE_EQ(font.get_Size(), 8.1235);
}

TEST(Utf8Test, ConvertsBothWaysAndReplacesBrokenSequences) {
    EXPECT_EQ(ToUtf8(u"Grüße €\U0001F600"), "Grüße €\xF0\x9F\x98\x80");
    EXPECT_EQ(FromUtf8("Grüße €\xF0\x9F\x98\x80"), u"Grüße €\U0001F600");
    EXPECT_EQ(FromUtf8("a\xC3"), u"a\uFFFD");
    EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\uFFFD") << "overlong forms are not accepted";
    EXPECT_EQ(ToUtf8(String(1, char16_t{0xD800})), "\xEF\xBF\xBD");
    // A pair is one character; either half alone is none.
    const String pair = u"\U0001D11E";
    EXPECT_FALSE(HasUnpairedSurrogate(u"a" + pair + u"b"));
    const String high(1, u'\xD800');
    const String low(1, u'\xDC00');
    for (const String& lone : {u"a" + high, low + u"a", low + high, pair.substr(1)})
        EXPECT_TRUE(HasUnpairedSurrogate(lone)) << ToUtf8(lone);
    EXPECT_EQ(ReplacingUnpairedSurrogates(String(u"\xDC00") + pair + u'\xD800'), u"\uFFFD" + pair + u"\uFFFD");
}

}  // namespace
}  // namespace lumora
