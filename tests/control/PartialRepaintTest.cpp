// SPDX-License-Identifier: MIT
//
// The pointer, a press and the focus repaint only the columns whose look
// they change. Whatever happened before, the image must then be the one a
// whole pass draws, and the host must hear what it always heard.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "lumora/headless/HeadlessHost.h"
#include "lumora/platform/soft/SoftPicture.h"
#include "lumora/runtime/RuntimeError.h"
#include "testing/PngOnFailure.h"

namespace lumora {
namespace {

using headless::HeadlessHost;

constexpr int kWidth = 420;
constexpr int kHeight = 25;

// Five columns, one with a picture, one whose caption is a word wider than
// the column, so that captions reach over their neighbours.
void PlaceColumns(HeadlessHost& host) {
    host->InitProperties();
    host->put_RowCaption(1, u"&Name");
    host->AddRow(40, u"Überbreitewort");
    host->AddRow(70, u"Datum");
    soft::SoftBitmap pixels(16, 16, 32, RGB(255, 0, 255));
    for (int y = 3; y < 13; ++y)
        for (int x = 3; x < 13; ++x) pixels.At(x, y) = RGB(0, 120, 200);
    PicturePtr picture = soft::SoftPicture::Bitmap(host.sharedSurface(), pixels);
    host->AddRow(90, u"Bild", picture);
    host->AddRow(12, u"x");
    host->put_SortedRow(3);
}

bool SameImage(const soft::SoftBitmap& a, const soft::SoftBitmap& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

// One step of a session, done to a host.
using Step = std::function<void(HeadlessHost&)>;

Step RandomStep(std::mt19937& random) {
    const auto x = static_cast<Single>(static_cast<int>(random() % (kWidth + 40)) - 20);
    const auto y = static_cast<Single>(static_cast<int>(random() % 40) - 8);
    const auto column = static_cast<Long>(1 + random() % 5);
    const auto value = static_cast<Long>(random() % 120);
    static const Integer keys[] = {kKeyTab, kKeyLeft, kKeyRight, kKeyHome, kKeyEnd, kKeySpace, kKeyEnter};
    const Integer key = keys[random() % std::size(keys)];
    // Pointer and keyboard most of the time, now and then a property.
    switch (random() % 24) {
        case 0:
            return [=](HeadlessHost& h) { h.PressMouse(x, y); };
        case 1:
            return [=](HeadlessHost& h) { h.ReleaseMouse(x, y); };
        case 2:
            return [=](HeadlessHost& h) { h.PressKey(key); };
        case 3:
            return [=](HeadlessHost& h) { h.PressKey(key); };
        case 4:
            return [](HeadlessHost& h) { h.Focus(); };
        case 5:
            return [](HeadlessHost& h) { h.Blur(); };
        case 6:
            return [](HeadlessHost& h) { h.PressAccessKey(U'n'); };
        case 7:
            return [=](HeadlessHost& h) { h->put_ForeColorHot(RGB(value * 2, 0, 255)); };
        case 8:
            return [=](HeadlessHost& h) { h->put_SortedRow(column); };
        case 9:
            return [=](HeadlessHost& h) { h->put_RowWidth(column, value); };
        case 10:
            return [=](HeadlessHost& h) { h->put_ShowSortPic(value % 2 ? kTrue : kFalse); };
        case 11:
            return [=](HeadlessHost& h) { h->put_ShowFrame(value % 3 ? kTrue : kFalse); };
        case 12:
            return [=](HeadlessHost& h) { h->put_ColumnWidths(u"30;" + std::u16string(value % 2 ? u"55" : u"")); };
        case 13:
            return [=](HeadlessHost& h) { h->put_RowSorted(column, value % 2 ? kTrue : kFalse); };
        case 14:
            return [=](HeadlessHost& h) { h->put_ForeColor(value % 2 ? 0x80000012 : RGB(value, 60, 0)); };
        default:
            return [=](HeadlessHost& h) { h.MoveMouse(x, y); };
    }
}

// Two hosts take the same random session. The first repaints as the
// control does; the second is drawn in whole after every step that
// repainted. After each step both images are the same, and both hosts heard
// the same.
// Seed 20260117, 2500 steps at each of the scales.
TEST(PartialRepaintTest, RandomSessionsLeaveTheImageOfAWholePass) {
    constexpr unsigned kSeed = 20260117;
    constexpr int kSteps = 2500;
    for (const double scale : {1.0, 1.25, 2.0, 1.5}) {
        std::mt19937 random(kSeed);
        HeadlessHost partial(kWidth, kHeight), whole(kWidth, kHeight);
        for (HeadlessHost* host : {&partial, &whole}) {
            host->SetDeviceScale(scale);
            PlaceColumns(*host);
            host->TakeLog();
        }
        for (int step = 0; step < kSteps; ++step) {
            const Step next = RandomStep(random);
            for (HeadlessHost* host : {&partial, &whole}) {
                try {
                    next(*host);
                } catch (const RuntimeError&) {
                    // A width that overflows fails its pass in both.
                }
            }
            const std::vector<std::string> heard = partial.TakeLog();
            ASSERT_EQ(heard, whole.TakeLog()) << "scale " << scale << ", step " << step;
            ASSERT_EQ(partial.surface().LiveObjectsTotal(), whole.surface().LiveObjectsTotal());
            // A step that repainted nothing (a failed ColumnWidths write)
            // leaves both images as they were.
            if (std::find(heard.begin(), heard.end(), "Refresh") != heard.end()) {
                whole->DrawTab();
                whole.TakeLog();
            }
            if (!SameImage(partial.image(), whole.image())) {
                ADD_FAILURE() << "scale " << scale << ", step " << step << " of seed " << kSeed;
                test::SavePngOnFailure(&partial.image());
                return;
            }
        }
    }
}

TEST(PartialRepaintTest, AMoveToTheNextColumnLeavesTheOtherColumnsAlone) {
    HeadlessHost host(kWidth, kHeight);
    PlaceColumns(host);
    host.MoveMouse(20, 12);
    // A pixel in the last column that no pass would paint this colour.
    constexpr COLORREF kMarker = RGB(1, 2, 3);
    auto& image = const_cast<soft::SoftBitmap&>(host.image());
    image.At(380, 20) = kMarker;
    host.TakeLog();

    host.MoveMouse(150, 12);
    EXPECT_EQ(host.TakeLog(), (std::vector<std::string>{"MouseIn 0 0 150 12 3", "Refresh"}));
    EXPECT_EQ(host.image().At(380, 20), kMarker) << "the last column was not drawn again";
    host->DrawTab();
    EXPECT_NE(host.image().At(380, 20), kMarker);
}

}  // namespace
}  // namespace lumora
