// SPDX-License-Identifier: MIT
#include "lumora/platform/GdiScoped.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

#include "lumora/platform/soft/SoftGdi.h"

namespace lumora {
namespace {

using soft::ObjectKind;

constexpr COLORREF kInk = RGB(10, 20, 30);

// Every test ends with nothing alive on the surface: the owners let go of
// all they held.
class GdiScopedTest : public ::testing::Test {
protected:
    ~GdiScopedTest() override { EXPECT_EQ(gdi.LiveObjectsTotal(), 0) << "an owner left an object behind"; }

    HBRUSH Brush() { return gdi.CreateSolidBrush(kInk); }
    int Brushes() const { return gdi.LiveObjects(ObjectKind::Brush); }

    soft::SoftGdi gdi;
};

TEST_F(GdiScopedTest, AnOwnerDeletesItsObjectWhenAnErrorLeavesTheScope) {
    try {
        const ScopedGdiObject<HBRUSH> brush(gdi, Brush());
        const ScopedMemoryDC dc(gdi, HDC{});
        ASSERT_EQ(Brushes(), 1);
        ASSERT_EQ(gdi.LiveObjects(ObjectKind::DC), 1);
        throw std::runtime_error("step failed");
    } catch (const std::runtime_error&) {
    }
}

TEST_F(GdiScopedTest, ReleaseAndMoveHandTheObjectOverWithoutDeletingIt) {
    ScopedGdiObject<HBRUSH> brush(gdi, Brush());
    const HBRUSH held = brush.get();
    {
        ScopedGdiObject<HBRUSH> moved(std::move(brush));
        EXPECT_EQ(moved.get(), held);
        EXPECT_FALSE(brush);  // NOLINT(bugprone-use-after-move)
        EXPECT_EQ(moved.Release(), held);
        EXPECT_FALSE(moved);
        EXPECT_FALSE(moved.Release()) << "nothing is left to give up";
    }
    EXPECT_EQ(Brushes(), 1) << "the caller owns it now";
    EXPECT_TRUE(gdi.DeleteObject(held));
}

TEST_F(GdiScopedTest, ResetDeletesTheHeldObjectAndHoldsTheNewOne) {
    ScopedGdiObject<HBRUSH> brush(gdi, Brush());
    const HBRUSH first = brush.get();
    const HBRUSH second = Brush();
    brush.Reset(second);
    EXPECT_EQ(brush.get(), second);
    EXPECT_EQ(Brushes(), 1);
    EXPECT_FALSE(gdi.DeleteObject(first)) << "the first one is gone";

    brush.Reset();
    EXPECT_FALSE(brush);
    EXPECT_EQ(Brushes(), 0);
}

TEST_F(GdiScopedTest, AnEmptyMemoryDcOwnerTakesADcThroughReset) {
    ScopedMemoryDC dc(gdi);
    EXPECT_FALSE(dc);
    dc.Reset(gdi.CreateCompatibleDC(HDC{}));
    EXPECT_EQ(gdi.LiveObjects(ObjectKind::DC), 1);
    dc.Reset(gdi.CreateCompatibleDC(HDC{}));
    EXPECT_EQ(gdi.LiveObjects(ObjectKind::DC), 1) << "the first DC was deleted";
}

TEST_F(GdiScopedTest, ASelectionPutsThePreviousObjectBackSoTheSelectedOneCanGo) {
    const ScopedMemoryDC dc(gdi, HDC{});
    ScopedGdiObject<HBRUSH> brush(gdi, Brush());
    {
        const ScopedSelectObject<HBRUSH> selected(gdi, dc.get(), brush.get());
        EXPECT_TRUE(selected.previous()) << "the DC's own brush";
    }
    brush.Reset();
    EXPECT_EQ(Brushes(), 0) << "no DC holds the brush any more";
}

TEST_F(GdiScopedTest, ReplaceKeepsTheDcsOwnObjectToPutBack) {
    const ScopedMemoryDC dc(gdi, HDC{});
    ScopedGdiObject<HBRUSH> first(gdi, Brush());
    ScopedGdiObject<HBRUSH> second(gdi, Brush());
    HBRUSH own;
    {
        ScopedSelectObject<HBRUSH> selected(gdi, dc.get(), first.get());
        own = selected.previous();
        selected.Replace(second.get());
        EXPECT_EQ(gdi.SelectObject(dc.get(), second.get()), second.get()) << "the DC holds the replacement";
    }
    EXPECT_EQ(gdi.SelectObject(dc.get(), own), own) << "the DC holds its own brush again";
    first.Reset();
    second.Reset();
    EXPECT_EQ(Brushes(), 0);
}

TEST_F(GdiScopedTest, APaletteSelectionPutsThePreviousPaletteBack) {
    const ScopedMemoryDC dc(gdi, HDC{});
    ScopedGdiObject<HPALETTE> halftone(gdi, gdi.CreateHalftonePalette(dc.get()));
    {
        const ScopedSelectPalette selected(gdi, dc.get(), halftone.get());
        EXPECT_EQ(gdi.SelectPalette(dc.get(), halftone.get(), true), halftone.get()) << "selected while it lives";
    }
    const HPALETTE current = gdi.SelectPalette(dc.get(), halftone.get(), true);
    ASSERT_TRUE(current);
    EXPECT_EQ(gdi.PaletteOf(current)->size(), 20U) << "the DC's default palette is back";
    EXPECT_EQ(gdi.SelectPalette(dc.get(), current, true), halftone.get());

    halftone.Reset();
    EXPECT_EQ(gdi.LiveObjects(ObjectKind::Palette), 0) << "no DC holds the halftone palette any more";
}

TEST_F(GdiScopedTest, AFailedSelectionPutsNothingBackAndIsCaughtInDebugBuilds) {
    const ScopedMemoryDC dc(gdi, HDC{});
    const HBRUSH gone = Brush();
    gdi.DeleteObject(gone);

    EXPECT_DEBUG_DEATH({ const ScopedSelectObject<HBRUSH> failed(gdi, dc.get(), gone); }, "SelectObject failed");
    const ScopedSelectObject<HBRUSH> allowed(gdi, dc.get(), gone, SelectCheck::MayFail);
    EXPECT_FALSE(allowed.previous()) << "nothing to put back";
}

}  // namespace
}  // namespace lumora
