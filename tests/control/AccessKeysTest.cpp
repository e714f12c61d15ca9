// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "lumora/headless/HeadlessHost.h"
#include "render/mXPWells.h"
#include "runtime/CodePage.h"

namespace lumora {
namespace {

struct CaptionKey {
    const char16_t* caption;
    const char16_t* key;
};

class ExtractAccessKeyTest : public ::testing::TestWithParam<CaptionKey> {};

TEST_P(ExtractAccessKeyTest, FindsTheMarkedCharacterLowerCased) {
    EXPECT_EQ(mXPWells::ExtractAccessKey(GetParam().caption), GetParam().key);
}

INSTANTIATE_TEST_SUITE_P(Captions, ExtractAccessKeyTest,
                         ::testing::Values(CaptionKey{u"", u""}, CaptionKey{u"Date", u""}, CaptionKey{u"&Name", u"n"},
                                           CaptionKey{u"Si&ze", u"z"}, CaptionKey{u"Total&", u""},
                                           CaptionKey{u"Fish && &Chips", u"c"}, CaptionKey{u"Fish && Chips", u""},
                                           CaptionKey{u"A && B && &C", u""}, CaptionKey{u"&&&X", u"x"},
                                           CaptionKey{u"a&&b&", u""}, CaptionKey{u"&Über", u"ü"},
                                           CaptionKey{u"&1st", u"1"}));

// Any script's capitals lower-case by Unicode's simple mapping; a
// surrogate pair is one key, and a lone surrogate is kept.
INSTANTIATE_TEST_SUITE_P(Scripts, ExtractAccessKeyTest,
                         ::testing::Values(CaptionKey{u"&Жук", u"ж"}, CaptionKey{u"日本&語", u"語"},
                                           CaptionKey{u"&Ωmega", u"ω"}, CaptionKey{u"&İğdır", u"i"},
                                           CaptionKey{u"&Ԁ", u"ԁ"}, CaptionKey{u"&Ⴀ", u"ⴀ"},
                                           CaptionKey{u"&\U00010400x", u"\U00010428"},
                                           CaptionKey{u"&\U0001D11E", u"\U0001D11E"},
                                           CaptionKey{u"a&\xD800", u"\xD800"}, CaptionKey{u"&שלום", u"ש"}));

class AccessKeysTest : public ::testing::Test {
protected:
    AccessKeysTest() {
        host->InitProperties();
        host->put_RowCaption(1, u"&Name");
        host->AddRow(60, u"Si&ze");
        host->AddRow(60, u"Date");
        host.TakeLog();
    }
    headless::HeadlessHost host;
};

TEST_F(AccessKeysTest, CollectsKeysInColumnOrderAndHandsThemToTheWindow) {
    EXPECT_EQ(host->TabAccessKeys(), u"nz");
    EXPECT_EQ(host.accessKeys(), u"nz");
}

TEST_F(AccessKeysTest, TranslatesAKeyCodeBackIntoItsPosition) {
    EXPECT_EQ(host->GetTabAccessKey(Integer{'z'}), 2);
    EXPECT_EQ(host->GetTabAccessKey(Integer{'n'}), 1);
    EXPECT_EQ(host->GetTabAccessKey(Integer{'Z'}), 0) << "keys are kept lower-case";
    EXPECT_EQ(host->GetTabAccessKey(Integer{-1}), 0);
}

TEST_F(AccessKeysTest, TheEarlierOfTwoEqualKeysWins) {
    host->put_RowCaption(3, u"&Zone");
    EXPECT_EQ(host->TabAccessKeys(), u"nzz");
    EXPECT_EQ(host->GetTabAccessKey(Integer{'z'}), 2);
}

TEST_F(AccessKeysTest, KeysAreComparedByTheirEightBitCode) {
    host->put_RowCaption(3, u"&Äpfel");
    EXPECT_EQ(host->GetTabAccessKey(Integer{0xE4}), 3);
    host->put_RowCaption(3, u"&Ωmega");
    EXPECT_EQ(host->GetTabAccessKey(Integer{'?'}), 3) << "a key outside the code page arrives as ?";
}

TEST_F(AccessKeysTest, KeysOfEveryScriptReachTheHostInColumnOrder) {
    host->put_RowCaption(1, u"&Жук");
    host->put_RowCaption(2, u"日本&語");
    host->put_RowCaption(3, u"&Name");
    EXPECT_EQ(host.accessKeys(), u"ж語n");
}

TEST_F(AccessKeysTest, DeletingAColumnKeepsItsKeyUntilTheNextRebuild) {
    host->put_RowCaption(3, u"&Date");
    host->DeleteRow();
    EXPECT_EQ(host->TabAccessKeys(), u"nzd");
    host->AddRow();
    EXPECT_EQ(host->TabAccessKeys(), u"nzd") << "a column added without caption does not rebuild";
    host->AddRow(60, u"&Extra");
    EXPECT_EQ(host->TabAccessKeys(), u"nze");
}

TEST(CodePageTest, ConvertsThroughWindows1252) {
    EXPECT_EQ(ToAnsi(u"A€ü\u0100"), std::string("A\x80\xFC?"));
    EXPECT_EQ(FromAnsi("\x80\x9F\xFF"), u"€Ÿÿ");
    EXPECT_EQ(ToAnsi(u"\U0001F600"), "?") << "a surrogate pair is one character";
    EXPECT_EQ(LCase(u"ÄÖÜ ÀÞ × ŁŽ ΩД Ё"), u"äöü àþ × łž ωд ё");
}

}  // namespace
}  // namespace lumora
