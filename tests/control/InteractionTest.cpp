// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "lumora/forms/MemoryPropertyBag.h"
#include "lumora/headless/HeadlessHost.h"
#include "lumora/runtime/RuntimeError.h"

#include <random>

namespace lumora {
namespace {

using Log = std::vector<std::string>;

// Three columns of 60 pixels: x = 2..61, 64..123 and 126..185, rows 2..24.
class InteractionTest : public ::testing::Test {
protected:
    InteractionTest() {
        host->InitProperties();
        host->AddRow();
        host->AddRow();
        host.TakeLog();
    }

    headless::HeadlessHost host{300, 25};
};

TEST_F(InteractionTest, RepeatedPressesAlternateTheDirectionInBothEvents) {
    host.PressMouse(30, 10);
    host.ReleaseMouse(30, 10);
    host.PressMouse(30, 10, 2);
    host.ReleaseMouse(30, 10, 2);
    host.PressMouse(31, 12, 4, 1);

    EXPECT_EQ(host.TakeLog(), (Log{
                                  "RowPressed 0 1 ASC",
                                  "PropertyChanged SelectedRow",
                                  "Refresh",
                                  "MouseDown 1 0 30 10 1 ASC",
                                  "Refresh",  //
                                  "MouseUp 1 0 30 10 1",
                                  "Refresh",  //
                                  "RowPressed 1 1 DESC",
                                  "PropertyChanged SelectedRow",
                                  "Refresh",
                                  "MouseDown 2 0 30 10 1 DESC",
                                  "Refresh",  //
                                  "MouseUp 2 0 30 10 1",
                                  "Refresh",  //
                                  "RowPressed 1 1 ASC",
                                  "PropertyChanged SelectedRow",
                                  "Refresh",
                                  "MouseDown 4 1 31 12 1 ASC",
                                  "Refresh",
                              }));
    EXPECT_EQ(host->get_RowSorted(1), kTrue);
    EXPECT_EQ(host->get_SelectedRow(), 1);
}

TEST_F(InteractionTest, ReleaseClearsThePressedColumnButKeepsTheSortedOne) {
    host.PressMouse(100, 10);
    host.ReleaseMouse(5, 20);
    EXPECT_EQ(host->get_SelectedRow(), 0);
    EXPECT_EQ(host->get_SortedRow(), 2);
    host.TakeLog();

    host.PressMouse(150, 10);
    EXPECT_EQ(host.TakeLog().front(), "RowPressed 2 3 ASC") << "the column pressed before is the previous one";
}

TEST_F(InteractionTest, PressesOutsideEveryColumnOnlyRepaint) {
    for (const auto& [x, y] : {std::pair{250.0f, 10.0f}, {30.0f, 1.0f}, {30.0f, 0.0f}, {62.0f, 10.0f}}) {
        host.PressMouse(x, y);
        EXPECT_EQ(host.TakeLog(), (Log{"Refresh"})) << x << "," << y;
    }
    EXPECT_EQ(host->get_SelectedRow(), 0);
    EXPECT_EQ(host->get_SortedRow(), 0);
}

TEST_F(InteractionTest, MovesRepaintOnlyWhenTheHotColumnChanges) {
    host.MoveMouse(10, 10);
    host.MoveMouse(20, 12);
    host.MoveMouse(250, 10);
    host.MoveMouse(30, 1);
    host.MoveMouse(70, 10);

    EXPECT_EQ(host.TakeLog(), (Log{"MouseIn 0 0 10 10 0", "Refresh", "MouseIn 0 0 20 12 0", "MouseIn 0 0 250 10 0",
                                   "MouseIn 0 0 30 1 0", "MouseIn 0 0 70 10 0", "Refresh"}));
    EXPECT_EQ(host->HotRow(), 2);
}

TEST_F(InteractionTest, LeavingTheWindowRaisesMouseOutOnceAndLetsTheCaptureGo) {
    host.MoveMouse(10, 10);
    EXPECT_TRUE(host.captureHolder());
    host.TakeLog();

    host.MoveMouse(10, 40);
    host.MoveMouse(10, 50);
    host.MoveMouse(-5, 10);

    EXPECT_EQ(host.TakeLog(), (Log{"MouseOut 0 0 10 40 0", "Refresh"}));
    EXPECT_EQ(host->HotRow(), 0);
    EXPECT_FALSE(host.captureHolder());
}

TEST_F(InteractionTest, AWindowOnTopCountsAsOutside) {
    host.MoveMouse(150, 10);
    host.CoverWith(Rect{0, 0, 100, 25});
    host.TakeLog();

    host.MoveMouse(10, 10);
    host.MoveMouse(20, 10);

    EXPECT_EQ(host.TakeLog(), (Log{"MouseOut 0 0 10 10 0", "Refresh"}));
    EXPECT_EQ(host->HotRow(), 0);
}

TEST_F(InteractionTest, ReleaseOutsideAfterMouseOutLeavesTheColumnPressed) {
    host.MoveMouse(30, 10);
    host.PressMouse(30, 10);
    host.MoveMouse(30, 40);
    host.ReleaseMouse(30, 40);
    EXPECT_EQ(host->get_SelectedRow(), 1) << "the release went to another window";

    host.TakeLog();
    host.MoveMouse(30, 10);
    host.ReleaseMouse(30, 10);
    EXPECT_EQ(host.TakeLog(), (Log{"MouseIn 0 0 30 10 1", "Refresh", "MouseUp 1 0 30 10 1", "Refresh"}));
    EXPECT_EQ(host->get_SelectedRow(), 0);
}

TEST_F(InteractionTest, PointsRoundHalvesToEvenBeforeTheHitTest) {
    // Column 2 starts at x = 64: 63.5 rounds to 64 and hits, 64.5 to 64 too;
    // 62.5 rounds to 62 and misses.
    host.PressMouse(62.5f, 10);
    EXPECT_EQ(host->get_SelectedRow(), 0);
    host.PressMouse(63.5f, 10);
    EXPECT_EQ(host->get_SelectedRow(), 2);

    host->put_RowWidth(1, 9);  // column 1 now ends before x = 11
    host.MoveMouse(10.5f, 10);
    EXPECT_EQ(host->HotRow(), 1) << "10.5 is tested as 10";
    host.MoveMouse(1, 10);
    host.MoveMouse(11.5f, 10);
    EXPECT_EQ(host->HotRow(), 1) << "11.5 is tested as 12, in no column: the hot column stays";
}

TEST_F(InteractionTest, AMouseInHandlerMovesThePointThatIsTested) {
    host.onMouseIn = [](Integer&, Integer&, Single& X, Single&, Long&) { X = 150; };
    host.MoveMouse(10, 10);
    EXPECT_EQ(host->HotRow(), 3);
}

TEST_F(InteractionTest, FocusChangesRepaint) {
    host.Focus();
    host.Blur();
    EXPECT_EQ(host.TakeLog(), (Log{"Refresh", "Refresh"}));
}

TEST_F(InteractionTest, AThousandMovesLeaveNoRegionBehind) {
    const int before = host.surface().LiveObjectsTotal();
    for (int i = 0; i < 1000; ++i) host.MoveMouse(static_cast<Single>(3 + i % 50), 10);
    EXPECT_EQ(host.surface().LiveObjects(soft::ObjectKind::Region), 0);
    EXPECT_EQ(host.surface().LiveObjectsTotal(), before);
    EXPECT_EQ(host.RefreshCount(), 1) << "one repaint when column 1 became hot";
}

TEST(InteractionWithoutColumnsTest, PressesOnlyRepaintAndMovesOnlyReportInAndOut) {
    headless::HeadlessHost host(300, 25);
    forms::MemoryPropertyBag empty;
    host->ReadProperties(empty);
    host->Resize();
    host.TakeLog();

    host.PressMouse(10, 10);
    host.MoveMouse(10, 10);
    host.MoveMouse(10, 60);

    EXPECT_EQ(host.TakeLog(), (Log{"Refresh", "MouseIn 0 0 10 10 1", "MouseOut 0 0 10 60 1", "Refresh"}));
}

TEST(InteractionBeforePaintTest, ColumnsNeverLaidOutAreNeverHit) {
    headless::HeadlessHost host(300, 25);
    host->InitProperties();
    host->put_Alignment(reg_Bottom);
    host->AddRow();
    host.TakeLog();
    host.PressMouse(100, 10);
    EXPECT_EQ(host->get_SelectedRow(), 0) << "column 2 was added while nothing was painted";
    host.PressMouse(30, 10);
    EXPECT_EQ(host->get_SelectedRow(), 1);
}

// The hot column as regions made from the laid-out rectangles find it: each
// column in turn, a hit that is not the hot column taking its place.
Long HotByRegions(headless::HeadlessHost& host, Long hot, Long x, Long y) {
    Gdi& gdi = host.surface();
    const std::vector<Rect>& rects = host->RowRects();
    const Long laidOut = std::min<Long>(host->get_NumberOfRows(), static_cast<Long>(rects.size()) - 1);
    for (Long i = 1; i <= laidOut; ++i) {
        const HRGN region = gdi.CreateRectRgnIndirect(rects[static_cast<std::size_t>(i)]);
        if (gdi.PtInRegion(region, x, y) && i != hot) hot = i;
        gdi.DeleteObject(region);
    }
    return hot;
}

// Strips of many widths, damaged ones too (negative, zero, beyond any
// screen), and moves all over them: the hot column is the one regions give,
// move after move, and a click leaves no drawing object behind.
TEST(HitTestTest, ArithmeticFindsTheColumnsRegionsFindOnRandomStrips) {
    std::mt19937 random(20261208);
    const Long widths[] = {0, 1, 2, 3, 60, 100, -5, -60, 1 << 20, 2147483000};
    for (int strip = 0; strip < 60; ++strip) {
        headless::HeadlessHost host(400, 25);
        host->InitProperties();
        const int count = 1 + static_cast<int>(random() % 12);
        const bool damaged = strip % 3 == 0;
        for (int i = 1; i < count; ++i) host->AddRow();
        for (Long i = 1; i <= count; ++i) {
            const Long width = damaged ? widths[random() % std::size(widths)] : static_cast<Long>(random() % 90);
            try {
                host->put_RowWidth(i, width);
            } catch (const RuntimeError&) {
                // A width whose strip overflows fails its pass; the strip
                // keeps what it last laid out.
            }
        }
        for (int move = 0; move < 200; ++move) {
            const Long x = static_cast<Long>(random() % 400);
            const Long y = static_cast<Long>(random() % 25);
            const Long expected = HotByRegions(host, host->HotRow(), x, y);
            try {
                host.MoveMouse(static_cast<Single>(x), static_cast<Single>(y));
            } catch (const RuntimeError&) {
                // The hot column is found before the repaint that fails.
            }
            ASSERT_EQ(host->HotRow(), expected) << "strip " << strip << " at " << x << "," << y;
        }
        if (damaged) continue;
        const int liveObjects = host.surface().LiveObjectsTotal();
        host.PressMouse(140, 12);
        host.ReleaseMouse(140, 12);
        EXPECT_EQ(host.surface().LiveObjectsTotal(), liveObjects);
    }
}

}  // namespace
}  // namespace lumora
