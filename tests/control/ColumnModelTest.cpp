// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "lumora/headless/HeadlessHost.h"
#include "lumora/runtime/RuntimeError.h"
#include "runtime/NumberFormat.h"
#include "testing/ErrorOf.h"
#include "testing/TestPicture.h"

namespace lumora {
namespace {

using test::ErrorOf;

using Log = std::vector<std::string>;

class ColumnModelTest : public ::testing::Test {
protected:
    ColumnModelTest() {
        host->InitProperties();
        host.TakeLog();
    }

    // Brings the strip to `count` columns captioned "C1", "C2", ...
    void MakeColumns(Long count) {
        while (host->get_NumberOfRows() < count) host->AddRow();
        for (Long i = 1; i <= count; ++i) host->put_RowCaption(i, u"C" + FromUtf8(std::to_string(i)));
        host.TakeLog();
    }

    headless::HeadlessHost host;
};

TEST_F(ColumnModelTest, NewControlHasOneDefaultColumn) {
    EXPECT_EQ(host->get_NumberOfRows(), 1);
    EXPECT_EQ(host->get_RowCaption(1), u"Spalte");
    EXPECT_EQ(host->get_RowWidth(1), 60);
    EXPECT_EQ(host->get_RowSorted(1), kFalse);
    EXPECT_EQ(host->get_RowPicture(1), nullptr);
    EXPECT_EQ(host->get_ColumnWidths(), u"");
    EXPECT_EQ(host->get_SelectedRow(), 0);
    EXPECT_EQ(host->get_SortedRow(), 0);
}

TEST_F(ColumnModelTest, AddRowWithoutArgumentsAddsDefaultColumnAndNotifiesOnce) {
    EXPECT_EQ(host->AddRow(), 2);
    EXPECT_EQ(host->get_RowCaption(2), u"Spalte");
    EXPECT_EQ(host->get_RowWidth(2), 60);
    EXPECT_EQ(host.TakeLog(), (Log{"PropertyChanged NumberOfRows", "Refresh"}));
}

TEST_F(ColumnModelTest, AddRowWritesDefaultCaptionBackIntoCallersVariable) {
    Long width = 75;
    String caption;
    PicturePtr picture = test::TestPicture::Create();
    const PicturePtr given = picture;

    EXPECT_EQ(host->AddRow(width, caption, picture), 2);

    EXPECT_EQ(caption, u"Spalte");
    EXPECT_EQ(host->get_RowWidth(2), 75);
    EXPECT_EQ(host->get_RowPicture(2), given) << "the column keeps the very object it was given";
    EXPECT_EQ(host.TakeLog(), (Log{"PropertyChanged NumberOfRows", "Refresh"})) << "no access-key refresh";
}

TEST_F(ColumnModelTest, AddRowWithCaptionRefreshesAccessKeysBeforeNotifying) {
    host->AddRow(90, u"&Name");
    EXPECT_EQ(host.TakeLog(), (Log{"AccessKeys n", "PropertyChanged NumberOfRows", "Refresh"}));
    EXPECT_EQ(host->get_RowSorted(2), kFalse);
}

TEST_F(ColumnModelTest, DeleteRowNeverGoesBelowOneColumnButStillNotifies) {
    EXPECT_EQ(host->DeleteRow().kind(), Variant::Kind::Empty);
    EXPECT_EQ(host->get_NumberOfRows(), 1);
    EXPECT_EQ(host.TakeLog(), (Log{"PropertyChanged NumberOfRows", "Refresh"}));
}

TEST_F(ColumnModelTest, DeleteRowKeepsSpareRecordUntilNextAdd) {
    MakeColumns(4);
    host->put_RowSorted(4, kTrue);
    host->putref_RowPicture(4, test::TestPicture::Create());
    host->DeleteRow();

    EXPECT_EQ(host->get_NumberOfRows(), 3);
    EXPECT_EQ(host->get_RowCaption(4), u"C4") << "the removed column waits in its slot";

    host->AddRow(33);
    EXPECT_EQ(host->get_RowCaption(4), u"Spalte");
    EXPECT_EQ(host->get_RowWidth(4), 33);
    EXPECT_EQ(host->get_RowSorted(4), kFalse);
    EXPECT_EQ(host->get_RowPicture(4), nullptr);
}

TEST_F(ColumnModelTest, AddRowAfterTwoDeletesDropsTheHigherSpare) {
    MakeColumns(4);
    host->DeleteRow();
    host->DeleteRow();
    host->AddRow();
    EXPECT_EQ(host->get_RowCaption(3), u"Spalte");
    EXPECT_EQ(ErrorOf([&] { host->get_RowCaption(4); }), err::kSubscriptOutOfRange);
}

TEST_F(ColumnModelTest, IndexedPropertiesReachSlotZeroButNothingBeyondTheList) {
    host->put_RowCaption(0, u"hidden");
    EXPECT_EQ(host->get_RowCaption(0), u"hidden");
    EXPECT_EQ(ErrorOf([&] { host->get_RowCaption(2); }), err::kSubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { host->put_RowWidth(-1, 5); }), err::kSubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { host->get_RowSorted(2147483647); }), err::kSubscriptOutOfRange);
}

TEST(ColumnModelBeforeInitTest, EveryIndexFailsWhileThereIsNoList) {
    headless::HeadlessHost host;
    EXPECT_EQ(ErrorOf([&] { host->get_RowWidth(0); }), err::kSubscriptOutOfRange);
    EXPECT_EQ(ErrorOf([&] { host->put_SelectedRow(0); }), err::kSubscriptOutOfRange);
    EXPECT_EQ(host->get_SelectedRow(), 0);
}

TEST_F(ColumnModelTest, IndexedWritesRepaintBeforeNotifying) {
    host->put_RowWidth(1, -5);
    host->put_RowSorted(1, 5);
    host->putref_RowPicture(1, nullptr);
    host->put_RowCaption(1, u"Si&ze");
    EXPECT_EQ(host.TakeLog(),
              (Log{"Refresh", "PropertyChanged RowWidth", "Refresh", "PropertyChanged RowSorted", "Refresh",
                   "PropertyChanged RowPicture", "AccessKeys z", "Refresh", "PropertyChanged RowCaption"}));
    EXPECT_EQ(host->get_RowWidth(1), -5);
    EXPECT_EQ(host->get_RowSorted(1), 5) << "a 16-bit flag is kept as given";
    EXPECT_EQ(host->get_ColumnWidths(), u"") << "a single width never rewrites the list";
}

TEST_F(ColumnModelTest, EmptyCaptionWrittenThroughPropertyStaysEmpty) {
    host->put_RowCaption(1, u"");
    EXPECT_EQ(host->get_RowCaption(1), u"");
}

// ------------------------------------------------------------- ColumnWidths

struct ColumnWidthsCase {
    const char16_t* list;
    std::vector<Long> widths;
    bool accepted;
};

class ColumnWidthsTest : public ColumnModelTest, public ::testing::WithParamInterface<ColumnWidthsCase> {};

TEST_P(ColumnWidthsTest, SetsWidthsAndStoresTextOnlyWhenEveryColumnGotOne) {
    MakeColumns(3);
    host->put_ColumnWidths(u"1;2;3");
    host.TakeLog();

    const ColumnWidthsCase& c = GetParam();
    host->put_ColumnWidths(c.list);

    for (Long i = 1; i <= 3; ++i) EXPECT_EQ(host->get_RowWidth(i), c.widths[i - 1]) << "column " << i;
    if (c.accepted) {
        EXPECT_EQ(host->get_ColumnWidths(), c.list);
        EXPECT_EQ(host.TakeLog(), (Log{"PropertyChanged ColumnWidths", "Refresh"}));
    } else {
        EXPECT_EQ(host->get_ColumnWidths(), u"1;2;3");
        EXPECT_EQ(host.TakeLog(), Log{});
    }
}

INSTANTIATE_TEST_SUITE_P(Lists, ColumnWidthsTest,
                         ::testing::Values(ColumnWidthsCase{u"80;120;60", {80, 120, 60}, true},
                                           ColumnWidthsCase{u"80;120;60;40", {80, 120, 60}, true},
                                           ColumnWidthsCase{u"80;120", {80, 120, 3}, false},
                                           ColumnWidthsCase{u"80;120;", {80, 120, 3}, false},
                                           ColumnWidthsCase{u" 80 ;\"120\";12.5", {80, 120, 12}, true},
                                           ColumnWidthsCase{u"13.5;-7;0", {14, -7, 0}, true},
                                           ColumnWidthsCase{u"80;abc;60", {80, 2, 3}, false},
                                           ColumnWidthsCase{u"80;3000000000;60", {80, 2, 3}, false},
                                           ColumnWidthsCase{u"", {1, 2, 3}, false}));

TEST_F(ColumnModelTest, ColumnWidthsFollowsTheLocalesDecimalSeparator) {
    MakeColumns(2);
    ScopedNumberFormat german(NumberFormat{u',', u'.'});
    host->put_ColumnWidths(u"12,5;1.000");
    EXPECT_EQ(host->get_RowWidth(1), 12);
    EXPECT_EQ(host->get_RowWidth(2), 1000);
}

TEST_F(ColumnModelTest, ColumnWidthsOfAHugeTextStopsSilently) {
    // Token positions are 16-bit; past 32767 characters the write gives up.
    MakeColumns(2);
    const String huge = u"70;" + String(40000, u'1');
    host->put_ColumnWidths(huge);
    EXPECT_EQ(host->get_RowWidth(1), 70);
    EXPECT_TRUE(host->get_ColumnWidths().empty());
}

// -------------------------------------------------------------- SelectedRow

TEST_F(ColumnModelTest, SelectedRowAboveCountIsIgnored) {
    host->put_SelectedRow(2);
    EXPECT_EQ(host->get_SelectedRow(), 0);
    EXPECT_EQ(host.TakeLog(), Log{});
}

TEST_F(ColumnModelTest, SelectedRowRaisesRowPressedWithDirectionThenNotifies) {
    MakeColumns(3);
    host->put_SortedRow(2);
    host->put_RowSorted(2, kTrue);
    host->put_RowSorted(3, 1);
    host.TakeLog();

    host->put_SelectedRow(2);
    host->put_SelectedRow(3);
    host->put_SelectedRow(0);

    EXPECT_EQ(host.TakeLog(), (Log{"RowPressed 0 2 DESC", "PropertyChanged SelectedRow", "Refresh",
                                   "RowPressed 2 2 ASC", "PropertyChanged SelectedRow", "Refresh", "RowPressed 3 2 ASC",
                                   "PropertyChanged SelectedRow", "Refresh"}));
    EXPECT_EQ(host->PreviousTab(), 0);
}

TEST_F(ColumnModelTest, NegativeSelectedRowIsStoredThenFails) {
    EXPECT_EQ(ErrorOf([&] { host->put_SelectedRow(-3); }), err::kSubscriptOutOfRange);
    EXPECT_EQ(host->get_SelectedRow(), -3);
    EXPECT_EQ(host.TakeLog(), Log{});
}

TEST_F(ColumnModelTest, RowPressedHandlerRunsBeforePreviousTabIsUpdatedAndMayCallBack) {
    MakeColumns(2);
    Long seenSelected = -1;
    host.onRowPressed = [&](Integer& previousTab, Long& sortRow, String& sort) {
        seenSelected = host->get_SelectedRow();
        previousTab = 99;
        sortRow = 77;
        sort = u"changed";
        host->put_HeaderHeight(30);
    };
    host->put_SelectedRow(2);

    EXPECT_EQ(seenSelected, 2);
    EXPECT_EQ(host->PreviousTab(), 2) << "the control sets it after the handler";
    EXPECT_EQ(host->get_SortedRow(), 0) << "the handler only changed a copy";
    EXPECT_EQ(host->get_HeaderHeight(), 30);
}

TEST_F(ColumnModelTest, SortedRowTakesAnyValue) {
    host->put_SortedRow(-40);
    host->put_SortedRow(500);
    EXPECT_EQ(host->get_SortedRow(), 500);
    EXPECT_EQ(host.PropertyChanges(), (Log{"SortedRow", "SortedRow"}));
}

}  // namespace
}  // namespace lumora
