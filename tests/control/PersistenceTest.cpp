// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <chrono>

#include "lumora/forms/JsonFormFile.h"
#include "lumora/forms/MemoryPropertyBag.h"
#include "lumora/headless/HeadlessHost.h"
#include "lumora/platform/soft/SoftFont.h"
#include "lumora/runtime/RuntimeError.h"
#include "testing/ScratchDirectory.h"
#include "testing/TestPicture.h"

namespace lumora {
namespace {

using Log = std::vector<std::string>;
using forms::MemoryPropertyBag;
using headless::HeadlessHost;

// The control keys of a saved control, in the order they are written, when
// every defaulted one is at its default.
const Log kControlKeys = {"Alignment",
                          "HeaderHeight",
                          "BackColor",
                          "BackColorForm",
                          "ForeColor",
                          "ForeColorActive",
                          "ForeColorHot",
                          "FrameColor",
                          "MaskColor",
                          "SelectedRow",
                          "SortedRow",
                          "Font",
                          "NumberOfTabs",
                          "RegisterFocusColor1",
                          "RegisterFocusColor2",
                          "MouseMoveColor0",
                          "MouseMoveColor1",
                          "MouseMoveColor2",
                          "RegisterFocusColor0",
                          "FontName",
                          "Font",
                          "ColumnWidths"};

Log Concat(Log a, const Log& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

MemoryPropertyBag Save(LumoraListControl& control) {
    MemoryPropertyBag bag;
    control.WriteProperties(bag);
    return bag;
}

TEST(PersistenceWriteTest, NewControlWritesItsKeysInOrderWithDefaultsLeftOut) {
    HeadlessHost host;
    host->InitProperties();
    EXPECT_EQ(Save(host.control()).WrittenKeysUtf8(), Concat(kControlKeys, {"RowWidth1", "RowText1", "RowSorted1"}));
}

TEST(PersistenceWriteTest, OnlyColumnsWithAPictureSaveOne) {
    HeadlessHost host;
    host->InitProperties();
    host->AddRow(80, u"Second", test::TestPicture::Create());
    EXPECT_EQ(Save(host.control()).WrittenKeysUtf8(),
              Concat(kControlKeys,
                     {"RowWidth1", "RowText1", "RowSorted1", "RowWidth2", "RowText2", "RowSorted2", "RowPicture2"}));
}

TEST(PersistenceWriteTest, NonDefaultSwitchesAndFontAttributesAreStored) {
    HeadlessHost host;
    host->InitProperties();
    host->put_FontBold(kTrue);
    host->put_FontItalic(kTrue);
    host->put_FontSize(9);
    host->put_FontStrikethru(kTrue);
    host->put_FontUnderline(kTrue);
    host->put_ShowFrame(kFalse);
    host->put_ShowSortPic(kFalse);
    const MemoryPropertyBag bag = Save(host.control());
    for (const char16_t* key :
         {u"FontBold", u"FontItalic", u"FontSize", u"FontStrikethru", u"FontUnderline", u"ShowFrame", u"ShowSortPic"})
        EXPECT_TRUE(bag.Contains(key)) << ToUtf8(key);
    EXPECT_EQ(bag.Get(u"FontSize"), Variant::FromSingle(9));
    EXPECT_EQ(bag.Get(u"ShowFrame"), Variant::FromBoolean(kFalse));
}

TEST(PersistenceWriteTest, ColumnKeysCarryTheIndexRightAfterTheName) {
    HeadlessHost host;
    host->InitProperties();
    while (host->get_NumberOfRows() < 12) host->AddRow();
    const MemoryPropertyBag bag = Save(host.control());
    EXPECT_TRUE(bag.Contains(u"RowWidth10"));
    EXPECT_TRUE(bag.Contains(u"RowText12"));
    EXPECT_TRUE(bag.Contains(u"RowSorted11"));
    EXPECT_EQ(bag.Get(u"NumberOfTabs"), Variant::FromLong(12));
}

TEST(PersistenceWriteTest, TheFontItDrawsWithIsTheOneKeptUnderFont) {
    HeadlessHost host;
    host->InitProperties();
    FontPtr assigned = soft::SoftFont::Create({.name = u"Arial", .size = 10});
    host->putref_Font(assigned);
    host->put_FontBold(kTrue);
    const MemoryPropertyBag bag = Save(host.control());
    EXPECT_EQ(bag.Get(u"Font").ToFont(), host->get_Font());
    EXPECT_EQ(std::count(bag.WrittenKeys().begin(), bag.WrittenKeys().end(), u"Font"), 2);
}

TEST(PersistenceWriteTest, AssignedAmbientFontIsNotWrittenAgain) {
    HeadlessHost host;
    host->InitProperties();
    FontPtr ambient = host.ambientFont();
    host->putref_Font(ambient);
    const MemoryPropertyBag bag = Save(host.control());
    EXPECT_EQ(std::count(bag.WrittenKeys().begin(), bag.WrittenKeys().end(), u"Font"), 1);
}

// ---------------------------------------------------------------- loading

TEST(PersistenceReadTest, EmptyBagLoadsTheReadDefaults) {
    HeadlessHost host;
    MemoryPropertyBag empty;
    host->ReadProperties(empty);

    EXPECT_EQ(host->get_Alignment(), reg_Top);
    EXPECT_EQ(host->get_HeaderHeight(), 25);
    EXPECT_EQ(host->get_BackColor(), 0x00FDFAF9u);
    EXPECT_EQ(host->get_BackColorForm(), 0x00E0F0F0u);
    EXPECT_EQ(host->get_ForeColor(), 0x80000012u);
    EXPECT_EQ(host->get_ForeColorActive(), 0x00985038u);
    EXPECT_EQ(host->get_ForeColorHot(), 0x00FF0000u);
    EXPECT_EQ(host->get_FrameColor(), 0u);
    EXPECT_EQ(host->get_MaskColor(), 0x00FF00FFu);
    EXPECT_EQ(host->get_RegisterFocusColor1(), 0x0038D0FFu);
    EXPECT_EQ(host->get_RegisterFocusColor2(), 0x0038C8FFu);
    EXPECT_EQ(host->get_RegisterFocusColor0(), 0x002890E8u);
    EXPECT_EQ(host->get_MouseMoveColor0(), 0x002890E8u);
    EXPECT_EQ(host->get_MouseMoveColor1(), 0x0038D0FFu);
    EXPECT_EQ(host->get_MouseMoveColor2(), 0x0038C8FFu);
    EXPECT_EQ(host->get_ShowFrame(), kTrue);
    EXPECT_EQ(host->get_ShowSortPic(), kTrue);
    EXPECT_EQ(host->get_FontBold(), kFalse);
    EXPECT_EQ(host->get_FontItalic(), kFalse);
    EXPECT_EQ(host->get_FontStrikethru(), kFalse);
    EXPECT_EQ(host->get_FontUnderline(), kFalse);
    EXPECT_EQ(host->get_FontName(), u"MS Sans Serif");
    EXPECT_EQ(host->get_FontSize(), 8.0f);
    EXPECT_EQ(host->get_ColumnWidths(), u"900");
    EXPECT_EQ(host->get_NumberOfRows(), 0);
    EXPECT_EQ(host->get_SortedRow(), 1);
    EXPECT_EQ(host->get_SelectedRow(), 0);
    EXPECT_EQ(host->get_RowCaption(0), u"") << "the list holds slot 0 only";
    EXPECT_THROW(host->get_RowCaption(1), RuntimeError);
}

TEST(PersistenceReadTest, SavedPressedColumnIsNotRestoredAndRaisesNoEvent) {
    for (const Long saved : {3, 0, -2}) {
        HeadlessHost host;
        MemoryPropertyBag bag;
        bag.Set(u"SelectedRow", Variant::FromLong(saved));
        bag.Set(u"NumberOfTabs", Variant::FromLong(3));
        host->ReadProperties(bag);
        EXPECT_EQ(host->get_SelectedRow(), saved > 0 ? 0 : saved) << saved;
        for (const std::string& line : host.log()) EXPECT_FALSE(line.starts_with("RowPressed")) << line;
    }
}

TEST(PersistenceReadTest, ColumnWidthsSurvivesOnlyOnAStripWithoutColumns) {
    HeadlessHost withColumns;
    MemoryPropertyBag bag;
    bag.Set(u"NumberOfTabs", Variant::FromLong(2));
    bag.Set(u"ColumnWidths", Variant::FromString(u"10;20"));
    bag.Set(u"RowWidth1", Variant::FromLong(70));
    withColumns->ReadProperties(bag);
    EXPECT_EQ(withColumns->get_ColumnWidths(), u"");
    EXPECT_EQ(withColumns->get_RowWidth(1), 70) << "widths come from the columns' own keys";

    HeadlessHost withoutColumns;
    bag.Set(u"NumberOfTabs", Variant::FromLong(0));
    withoutColumns->ReadProperties(bag);
    EXPECT_EQ(withoutColumns->get_ColumnWidths(), u"10;20");
}

TEST(PersistenceReadTest, MissingColumnKeysLeaveEmptyColumns) {
    HeadlessHost host;
    MemoryPropertyBag bag;
    bag.Set(u"NumberOfTabs", Variant::FromLong(3));
    bag.Set(u"RowWidth1", Variant::FromLong(80));
    bag.Set(u"RowText1", Variant::FromString(u"&First"));
    host->ReadProperties(bag);

    ASSERT_EQ(host->get_NumberOfRows(), 3);
    EXPECT_EQ(host->get_RowWidth(1), 80);
    EXPECT_EQ(host->get_RowCaption(1), u"&First");
    for (Long i = 2; i <= 3; ++i) {
        EXPECT_EQ(host->get_RowWidth(i), 0);
        EXPECT_EQ(host->get_RowCaption(i), u"");
        EXPECT_EQ(host->get_RowSorted(i), kFalse);
        EXPECT_EQ(host->get_RowPicture(i), nullptr);
    }
    EXPECT_EQ(host.accessKeys(), u"f") << "access keys are rebuilt at the end of loading";
}

TEST(PersistenceReadTest, ValuesOfTheWrongKindSkipOnlyTheirOwnStep) {
    HeadlessHost host;
    MemoryPropertyBag bag;
    bag.Set(u"HeaderHeight", Variant::FromString(u"tall"));
    bag.Set(u"BackColor", Variant::FromString(u"&HFF"));
    bag.Set(u"ShowFrame", Variant::FromString(u"False"));
    bag.Set(u"FontSize", Variant::FromDouble(1e300));
    bag.Set(u"Font", Variant::FromString(u"Arial"));
    bag.Set(u"NumberOfTabs", Variant::FromString(u"2"));
    bag.Set(u"RowWidth1", Variant::FromString(u"wide"));
    bag.Set(u"RowText1", Variant::FromLong(5));
    bag.Set(u"RowSorted1", Variant::FromLong(5));
    bag.Set(u"RowPicture1", Variant::FromString(u"not a picture"));
    bag.Set(u"RowText2", Variant::NothingValue());
    bag.Set(u"RowWidth2", Variant::FromDouble(12.5));

    host->ReadProperties(bag);

    EXPECT_EQ(host->get_HeaderHeight(), 0) << "a failed step leaves the value of a created control";
    EXPECT_EQ(host->get_BackColor(), 0xFFu);
    EXPECT_EQ(host->get_ShowFrame(), kFalse);
    EXPECT_EQ(host->get_FontSize(), 0.0f);
    EXPECT_EQ(host->get_Font()->get_Name(), u"MS Sans Serif");
    ASSERT_EQ(host->get_NumberOfRows(), 2);
    EXPECT_EQ(host->get_RowWidth(1), 0);
    EXPECT_EQ(host->get_RowCaption(1), u"5");
    EXPECT_EQ(host->get_RowSorted(1), 5);
    EXPECT_EQ(host->get_RowPicture(1), nullptr);
    EXPECT_EQ(host->get_RowCaption(2), u"");
    EXPECT_EQ(host->get_RowWidth(2), 12);
}

TEST(PersistenceReadTest, ImpossibleColumnCountsLoadAsAUsableEmptyStrip) {
    for (const Long count : {2147483647, -5, ColumnList::kMaxUpperBound + 1}) {
        HeadlessHost host;
        MemoryPropertyBag bag;
        bag.Set(u"NumberOfTabs", Variant::FromLong(count));
        bag.Set(u"RowText1", Variant::FromString(u"orphan"));
        host->ReadProperties(bag);
        EXPECT_EQ(host->get_NumberOfRows(), 0) << count;
        EXPECT_EQ(host->AddRow(), 1) << count;
        EXPECT_EQ(host->get_RowCaption(1), u"Spalte");
    }
}

TEST(PersistenceReadTest, ALargestStripLoadsAndRefusesOneColumnMore) {
    HeadlessHost host;
    MemoryPropertyBag bag;
    bag.Set(u"NumberOfTabs", Variant::FromLong(ColumnList::kMaxUpperBound));
    host->ReadProperties(bag);
    ASSERT_EQ(host->get_NumberOfRows(), ColumnList::kMaxUpperBound);
    try {
        host->AddRow();
        FAIL() << "expected error 7";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::kOutOfMemory);
    }
    EXPECT_EQ(host->get_NumberOfRows(), ColumnList::kMaxUpperBound);
}

// ------------------------------------------------------------- round trip

TEST(PersistenceRoundTripTest, ASavedControlComesBackWithEveryPropertyAndColumn) {
    HeadlessHost original;
    original->InitProperties();
    original->put_HeaderHeight(31);
    original->put_BackColor(0x80000005u);
    original->put_ForeColor(0x010203u);
    original->put_ForeColorActive(0x040506u);
    original->put_ForeColorHot(0x070809u);
    original->put_BackColorForm(0x0A0B0Cu);
    original->put_FrameColor(0x0D0E0Fu);
    original->put_MaskColor(0x00FF00u);
    original->put_MouseMoveColor0(11u);
    original->put_MouseMoveColor1(12u);
    original->put_MouseMoveColor2(13u);
    original->put_RegisterFocusColor0(14u);
    original->put_RegisterFocusColor1(15u);
    original->put_RegisterFocusColor2(16u);
    original->put_Alignment(reg_Bottom);
    original->put_ShowFrame(kFalse);
    original->put_ShowSortPic(Boolean{5});
    original->put_FontName(u"Verdana");
    original->put_FontSize(10.5f);
    original->put_FontBold(kTrue);
    original->put_FontItalic(kTrue);
    original->put_FontUnderline(kTrue);
    original->put_FontStrikethru(kTrue);
    original->put_SortedRow(2);
    const String longCaption = u"&Long " + String(100000, u'x');
    original->put_RowCaption(1, longCaption);
    original->put_RowWidth(1, -5);
    const PicturePtr picture = test::TestPicture::Create();
    original->AddRow(120, u"Sec&ond", picture);
    original->put_RowSorted(2, kTrue);

    MemoryPropertyBag bag = Save(original.control());
    HeadlessHost copy;
    copy->ReadProperties(bag);

    EXPECT_EQ(copy->get_HeaderHeight(), 31);
    EXPECT_EQ(copy->get_BackColor(), 0x80000005u);
    EXPECT_EQ(copy->get_ForeColor(), 0x010203u);
    EXPECT_EQ(copy->get_ForeColorActive(), 0x040506u);
    EXPECT_EQ(copy->get_ForeColorHot(), 0x070809u);
    EXPECT_EQ(copy->get_BackColorForm(), 0x0A0B0Cu);
    EXPECT_EQ(copy->get_FrameColor(), 0x0D0E0Fu);
    EXPECT_EQ(copy->get_MaskColor(), 0x00FF00u);
    EXPECT_EQ(copy->get_MouseMoveColor0(), 11u);
    EXPECT_EQ(copy->get_MouseMoveColor1(), 12u);
    EXPECT_EQ(copy->get_MouseMoveColor2(), 13u);
    EXPECT_EQ(copy->get_RegisterFocusColor0(), 14u);
    EXPECT_EQ(copy->get_RegisterFocusColor1(), 15u);
    EXPECT_EQ(copy->get_RegisterFocusColor2(), 16u);
    EXPECT_EQ(copy->get_Alignment(), reg_Bottom);
    EXPECT_EQ(copy->get_ShowFrame(), kFalse);
    EXPECT_EQ(copy->get_ShowSortPic(), 5);
    EXPECT_EQ(copy->get_FontName(), u"Verdana");
    EXPECT_EQ(copy->get_FontSize(), 10.5f);
    EXPECT_EQ(copy->get_FontBold(), kTrue);
    EXPECT_EQ(copy->get_FontItalic(), kTrue);
    EXPECT_EQ(copy->get_FontUnderline(), kTrue);
    EXPECT_EQ(copy->get_FontStrikethru(), kTrue);
    EXPECT_EQ(Describe(*copy->get_Font()), Describe(*original->get_Font()));
    EXPECT_NE(copy->get_Font(), original->get_Font()) << "the loaded control draws with a font of its own";
    EXPECT_EQ(copy->get_SortedRow(), 2);
    EXPECT_EQ(copy->get_SelectedRow(), 0);
    ASSERT_EQ(copy->get_NumberOfRows(), 2);
    EXPECT_EQ(copy->get_RowCaption(1), longCaption);
    EXPECT_EQ(copy->get_RowWidth(1), -5);
    EXPECT_EQ(copy->get_RowSorted(1), kFalse);
    EXPECT_EQ(copy->get_RowPicture(1), nullptr);
    EXPECT_EQ(copy->get_RowCaption(2), u"Sec&ond");
    EXPECT_EQ(copy->get_RowWidth(2), 120);
    EXPECT_EQ(copy->get_RowSorted(2), kTrue);
    EXPECT_EQ(copy->get_RowPicture(2), picture);
    EXPECT_EQ(copy.accessKeys(), u"lo");

    MemoryPropertyBag again = Save(copy.control());
    EXPECT_EQ(again.WrittenKeys(), bag.WrittenKeys()) << "saving the loaded control writes the same keys";
}

// A surrogate without its partner is the host's text and not the control's
// to repair: every form keeps it unit for unit, and the strip shows the
// replacement character in its place.
TEST(PersistenceRoundTripTest, CaptionWithAnUnpairedSurrogateIsKeptWholeAndDrawnAsAReplacement) {
    const String caption = String(u"&Gr") + u'\xD800' + u"\u00DFe " + u'\xDC00';
    HeadlessHost original;
    original->InitProperties();
    original->put_RowCaption(1, caption);

    MemoryPropertyBag bag = Save(original.control());
    HeadlessHost fromBag;
    fromBag->ReadProperties(bag);
    EXPECT_EQ(fromBag->get_RowCaption(1), caption);

    const test::ScratchDirectory scratch{"lumora-persistence"};
    forms::JsonPropertyBag saved;
    original->WriteProperties(saved);
    saved.Save(scratch.path() / "form.json");
    forms::JsonPropertyBag loaded = forms::JsonPropertyBag::Load(scratch.path() / "form.json");
    HeadlessHost fromFile;
    fromFile->ReadProperties(loaded);
    EXPECT_EQ(fromFile->get_RowCaption(1), caption);
    EXPECT_EQ(fromFile.accessKeys(), u"g");

    HeadlessHost replaced;
    replaced->InitProperties();
    replaced->put_RowCaption(1, u"&Gr\uFFFD\u00DFe \uFFFD");
    HeadlessHost captionless;
    captionless->InitProperties();
    captionless->put_RowCaption(1, u"");
    for (HeadlessHost* host : {&fromFile, &replaced, &captionless}) host->SetClientSize(200, 25);
    EXPECT_EQ(fromFile.image().pixels, replaced.image().pixels);
    EXPECT_NE(fromFile.image().pixels, captionless.image().pixels) << "the caption was drawn";
}

}  // namespace
}  // namespace lumora
