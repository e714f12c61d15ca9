// SPDX-License-Identifier: MIT
#include "control/basAllgemein.h"

#include <gtest/gtest.h>

#include "lumora/runtime/RuntimeError.h"

namespace lumora {
namespace {

using basAllgemein::fnc_CountDelimiters;
using basAllgemein::fnc_GetToken;

struct TokenCase {
    const char16_t* text;
    Integer index;
    const char16_t* delimiter;
    const char16_t* piece;
};

class GetTokenTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(GetTokenTest, ReturnsThePiece) {
    const TokenCase& c = GetParam();
    EXPECT_EQ(fnc_GetToken(c.text, c.index, c.delimiter), c.piece);
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, GetTokenTest,
    ::testing::Values(TokenCase{u"80;120;60", 1, u";", u"80"}, TokenCase{u"80;120;60", 2, u";", u"120"},
                      TokenCase{u"80;120;60", 3, u";", u"60"}, TokenCase{u"80;120;60", 4, u";", u""},
                      TokenCase{u"80;120;60", -1, u";", u"60"}, TokenCase{u"80;120;60", -3, u";", u"80"},
                      TokenCase{u"80;120;60", -4, u";", u""}, TokenCase{u"80;120;60", 0, u";", u""},
                      TokenCase{u"80;120;", 3, u";", u""}, TokenCase{u"\"a;b\";c", 1, u";", u"a"},
                      TokenCase{u"\"quoted\";x", 1, u";", u"quoted"}, TokenCase{u"\"", 1, u";", u""},
                      TokenCase{u"a::b::c", 2, u"::", u"b"}, TokenCase{u"", 1, u";", u""},
                      TokenCase{u"abc", 1, u"", u""}));

TEST(CountDelimitersTest, CountsOverlappingMatchesOfLongerDelimiters) {
    EXPECT_EQ(fnc_CountDelimiters(u"80;120;60", u";"), 2);
    EXPECT_EQ(fnc_CountDelimiters(u"aaaa", u"aa"), 3);
    EXPECT_EQ(fnc_CountDelimiters(u"", u";"), 0);
    EXPECT_EQ(fnc_CountDelimiters(u"A;a", u"A"), 1) << "the search is case-sensitive";
}

TEST(CountDelimitersTest, MoreThan32767MatchesOverflow) {
    EXPECT_EQ(fnc_CountDelimiters(String(32767, u';'), u";"), 32767);
    EXPECT_THROW(fnc_CountDelimiters(String(32768, u';'), u";"), RuntimeError);
}

TEST(GetTokenTest, PositionsPast32767Overflow) {
    const String longText = String(32767, u'x');
    try {
        fnc_GetToken(longText, 1, u";");
        FAIL() << "expected error 6";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::kOverflow);
    }
    EXPECT_EQ(fnc_GetToken(u"5;" + longText, 1, u";"), u"5");
}

}  // namespace
}  // namespace lumora
