// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

#include "lumora/headless/HeadlessHost.h"
#include "testing/PngOnFailure.h"

namespace lumora {
namespace {

using Log = std::vector<std::string>;
using headless::HeadlessHost;
using soft::SoftBitmap;

// Three columns of 60 pixels: x = 2..61, 64..123 and 126..185, rows 2..24.
class KeyboardTest : public ::testing::Test {
protected:
    KeyboardTest() {
        host->InitProperties();
        host->AddRow();
        host->AddRow();
        host.TakeLog();
    }

    // The log without the mouse's events and the repaints: what a key press
    // must repeat of a click.
    static Log EventsAndNotifications(Log log) {
        std::erase_if(log, [](const std::string& e) { return e.starts_with("Mouse") || e == "Refresh"; });
        return log;
    }

    struct SortState {
        Long selected;
        Long sorted;
        Boolean directions[3];
        friend bool operator==(const SortState&, const SortState&) = default;
    };
    static SortState StateOf(HeadlessHost& strip) {
        return {strip->get_SelectedRow(),
                strip->get_SortedRow(),
                {strip->get_RowSorted(1), strip->get_RowSorted(2), strip->get_RowSorted(3)}};
    }

    HeadlessHost host{300, 25};
};

TEST_F(KeyboardTest, SpaceAndEnterPressTheFocusedColumnAsAClickDoesWithoutMouseEvents) {
    HeadlessHost clicked{300, 25};
    clicked->InitProperties();
    clicked->AddRow();
    clicked->AddRow();
    clicked.Focus();
    clicked.TakeLog();
    for (int i = 0; i < 3; ++i) {
        clicked.PressMouse(90, 10);
        clicked.ReleaseMouse(90, 10);
    }

    host.Focus();
    host.PressKey(kKeyRight);
    host.TakeLog();
    EXPECT_TRUE(host.PressKey(kKeySpace));
    EXPECT_TRUE(host.PressKey(kKeyEnter));
    EXPECT_TRUE(host.PressKey(kKeySpace));

    const Log keyed = host.TakeLog();
    EXPECT_EQ(EventsAndNotifications(keyed), EventsAndNotifications(clicked.TakeLog()));
    EXPECT_EQ(keyed, (Log{"RowPressed 0 2 ASC", "PropertyChanged SelectedRow", "Refresh", "Refresh",
                          "RowPressed 2 2 DESC", "PropertyChanged SelectedRow", "Refresh", "Refresh",
                          "RowPressed 2 2 ASC", "PropertyChanged SelectedRow", "Refresh", "Refresh"}))
        << "a key press shows once pressed and once let go";
    EXPECT_EQ(StateOf(host), StateOf(clicked));
    EXPECT_EQ(StateOf(host), (SortState{0, 2, {kFalse, kTrue, kFalse}}));
}

TEST_F(KeyboardTest, ArrowsHomeAndEndMoveTheFocusedColumnWithinTheStrip) {
    host.Focus();
    EXPECT_EQ(host->FocusedRow(), 1) << "without a selected or sorted column the focus starts on the first";
    const std::pair<Integer, Long> steps[] = {
        {kKeyLeft, 1}, {kKeyRight, 2}, {kKeyRight, 3}, {kKeyRight, 3}, {kKeyHome, 1}, {kKeyEnd, 3}, {kKeyLeft, 2},
    };
    for (const auto& [key, focused] : steps) {
        EXPECT_TRUE(host.PressKey(key));
        EXPECT_EQ(host->FocusedRow(), focused) << "after key " << key;
    }
    const Log log = host.TakeLog();
    EXPECT_TRUE(std::none_of(log.begin(), log.end(), [](const std::string& e) { return !e.starts_with("Refresh"); }))
        << "moving the focus raises no event and notifies nothing";
    EXPECT_EQ(host->get_SelectedRow(), 0);
    EXPECT_EQ(host->get_SortedRow(), 0);
}

TEST_F(KeyboardTest, FocusStartsOnTheSelectedOrSortedColumnAndFollowsDeletedColumns) {
    host->put_SortedRow(3);
    host.Focus();
    EXPECT_EQ(host->FocusedRow(), 3);
    host.Blur();
    host.PressMouse(90, 10);  // selects column 2 and keeps it until released
    host.Focus();
    EXPECT_EQ(host->FocusedRow(), 2);
    host.ReleaseMouse(90, 10);
    host.PressKey(kKeyEnd);
    host.Blur();
    host.Focus();
    EXPECT_EQ(host->FocusedRow(), 3) << "coming back, the focus is where it was";
    host->DeleteRow();
    EXPECT_EQ(host->FocusedRow(), 2);
    host.PressKey(kKeySpace);
    EXPECT_EQ(host->get_SortedRow(), 2);
}

TEST_F(KeyboardTest, KeysReachTheStripOnlyWhileItHasTheFocusAndWithoutControlOrAlt) {
    EXPECT_FALSE(host.PressKey(kKeySpace)) << "no focus";
    host.Focus();
    EXPECT_FALSE(host.PressKey(kKeySpace, 2)) << "Control";
    EXPECT_FALSE(host.PressKey(kKeyRight, 4)) << "Alt";
    EXPECT_FALSE(host.PressKey('A'));
    EXPECT_EQ(host.TakeLog(), Log{"Refresh"}) << "only the focus's own repaint";
    EXPECT_TRUE(host.PressKey(kKeyRight, 1)) << "Shift changes nothing";
    EXPECT_EQ(host->FocusedRow(), 2);
}

TEST_F(KeyboardTest, AnAccessKeyInAnyScriptFocusesTheStripOnItsColumn) {
    host->put_RowCaption(1, u"&Жук");
    host->put_RowCaption(2, u"日本&語");
    host->put_RowCaption(3, u"&Name");
    const std::pair<char32_t, Long> keys[] = {{U'Ж', 1}, {U'ж', 1}, {U'語', 2}, {U'N', 3}, {U'n', 3}, {U'x', 0}};
    for (const auto& [key, column] : keys) EXPECT_EQ(host->ColumnOfAccessKey(key), column) << char(key);

    EXPECT_FALSE(host.PressAccessKey(U'x'));
    EXPECT_FALSE(host->HasFocus()) << "a key no caption marks leaves the focus where it is";
    EXPECT_TRUE(host.PressAccessKey(U'語'));
    EXPECT_TRUE(host->HasFocus());
    EXPECT_EQ(host->FocusedRow(), 2);
    EXPECT_TRUE(host->ShowsFocusCue());
    EXPECT_EQ(host->get_SelectedRow(), 0) << "an access key focuses; it does not press";

    host->put_RowCaption(1, u"&\U0001D11E clef");
    EXPECT_EQ(host->ColumnOfAccessKey(U'\U0001D11E'), 1) << "a character beyond the BMP is one key";
}

// ------------------------------------------------------------ focus cue

// The pixels where two images differ, as (x, y) pairs.
std::set<std::pair<int, int>> Differences(const SoftBitmap& a, const SoftBitmap& b) {
    std::set<std::pair<int, int>> at;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (a.At(x, y) != b.At(x, y)) at.insert({x, y});
    return at;
}

// A dotted rectangle one pixel inside column 2 (x 65..122) and rows 3..21
// of the 25-pixel strip: every other pixel of its edge, on the surface's
// checkerboard (x + y even), inverted.
std::set<std::pair<int, int>> CueDots(int left, int right, int top, int bottom) {
    std::set<std::pair<int, int>> dots;
    for (int x = left; x <= right; ++x)
        for (int y : {top, bottom})
            if ((x + y) % 2 == 0) dots.insert({x, y});
    for (int y = top; y <= bottom; ++y)
        for (int x : {left, right})
            if ((x + y) % 2 == 0) dots.insert({x, y});
    return dots;
}

TEST_F(KeyboardTest, FocusCueInvertsEveryOtherPixelOfARectangleInsideTheFocusedColumn) {
    for (Long i = 1; i <= 3; ++i) host->put_RowCaption(i, u"");
    host.Focus();
    const SoftBitmap plain = host.image();
    const int liveObjects = host.surface().LiveObjectsTotal();
    host.PressKey(kKeyRight);
    const SoftBitmap cued = host.image();
    test::SavePngOnFailure(&cued);
    const std::set<std::pair<int, int>> changed = Differences(plain, cued);
    EXPECT_EQ(changed, CueDots(65, 122, 3, 21));
    for (const auto& [x, y] : changed) ASSERT_EQ(cued.At(x, y), ~plain.At(x, y) & 0xFFFFFFu) << x << "," << y;
    EXPECT_EQ(host.surface().LiveObjectsTotal(), liveObjects);

    host.Blur();
    EXPECT_TRUE(Differences(plain, host.image()).empty()) << "the cue goes with the focus";
}

TEST_F(KeyboardTest, MouseOnlyUseNeverShowsTheCue) {
    HeadlessHost untouched{300, 25};
    untouched->InitProperties();
    untouched->AddRow();
    untouched->AddRow();
    untouched.PressMouse(90, 10);
    untouched.ReleaseMouse(90, 10);

    host.Focus();
    host.PressMouse(90, 10);
    host.ReleaseMouse(90, 10);
    EXPECT_FALSE(host->ShowsFocusCue());
    EXPECT_TRUE(Differences(untouched.image(), host.image()).empty());

    host.PressKey(kKeyLeft);
    EXPECT_TRUE(host->ShowsFocusCue());
    EXPECT_EQ(host->FocusedRow(), 1) << "the click moved the focus to the column it pressed";
    host.PressMouse(30, 10);
    EXPECT_FALSE(host->ShowsFocusCue()) << "the mouse hides the cue again";
    host.PressKey(kKeyTab);
    EXPECT_FALSE(host->HasFocus()) << "Tab takes the focus out of the strip";
    host.PressKey(kKeyTab);
    EXPECT_TRUE(host->ShowsFocusCue()) << "and brings it back by keyboard";
}

TEST_F(KeyboardTest, ACueTooSmallForItsColumnIsLeftOut) {
    for (Long i = 1; i <= 3; ++i) host->put_RowCaption(i, u"");
    host->put_RowWidth(2, 3);
    host.Focus();
    const SoftBitmap plain = host.image();
    host.PressKey(kKeyRight);
    EXPECT_TRUE(host->ShowsFocusCue());
    EXPECT_TRUE(Differences(plain, host.image()).empty());
}

}  // namespace
}  // namespace lumora
