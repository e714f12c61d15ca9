// SPDX-License-Identifier: MIT
// Thousands of random operations on one control, as a long session of a
// user and a program would make them. Each operation may fail with a
// runtime error (a bad index, a value out of range), as the automation
// interface does; nothing else may go wrong. Along the way every saved form
// must load back into a control that saves it the same, and when the host
// goes no drawing object may be left.
//
// LUMORA_SOAK_OPERATIONS=100000 makes a longer run than the default.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "forms/JsonForm.h"
#include "lumora/headless/HeadlessHost.h"
#include "lumora/platform/soft/SoftPicture.h"
#include "lumora/runtime/RuntimeError.h"

namespace lumora {
namespace {

using headless::HeadlessHost;
using Json = nlohmann::ordered_json;

constexpr int kDefaultOperations = 3000;
constexpr unsigned kSeed = 20261208;
// Every this many operations the control is saved and loaded back.
constexpr int kRoundTripEvery = 97;
// More columns only make each operation slower, not different.
constexpr Long kMaxColumns = 24;

int OperationCount() {
    const char* text = std::getenv("LUMORA_SOAK_OPERATIONS");
    const int count = text ? std::atoi(text) : 0;
    return count > 0 ? count : kDefaultOperations;
}

Json Saved(LumoraListControl& control) {
    forms::JsonPropertyBag bag;
    control.WriteProperties(bag);
    return forms::JsonOf(bag);
}

// Two keys are read before the columns exist and do not come back on
// loading: a pressed column, and the ColumnWidths text when there are
// columns (their widths come from their own keys). Everything else does.
void LeaveOutWhatLoadingSkips(Json& saved, Json& reloaded) {
    const auto leaveOut = [&](const char* key) {
        saved.erase(key);
        reloaded.erase(key);
    };
    if (saved.value("SelectedRow", 0) > 0) leaveOut("SelectedRow");
    if (saved.value("NumberOfTabs", 0) > 0) leaveOut("ColumnWidths");
}

// The saved form, as a file holds it, in a fresh control and saved again.
Json ReloadedAndSaved(const Json& form) {
    forms::JsonPropertyBag bag = forms::JsonPropertyBag::FromText(form.dump(2), "soak.json");
    HeadlessHost host;
    host.SetTempDirectory(std::filesystem::path());
    bag.SetPictureFiles(&host.pictureFiles());
    host->ReadProperties(bag);
    return Saved(host.control());
}

class Soak {
public:
    explicit Soak(HeadlessHost& host) : host_(host), control_(host.control()) {}

    void Step() {
        const auto& operations = Operations();
        const auto& operation = operations[Pick(0, static_cast<int>(operations.size()) - 1)];
        try {
            operation(*this);
        } catch (const RuntimeError&) {
        }
    }

private:
    using Operation = std::function<void(Soak&)>;

    static const std::vector<Operation>& Operations() {
        static const std::vector<Operation> operations = {
            [](Soak& s) {
                if (s.control_.get_NumberOfRows() < kMaxColumns) {
                    Long width = s.Pick(-20, 400);
                    String caption = s.Caption();
                    PicturePtr picture = s.Picture();
                    s.control_.AddRow(width, caption, picture);
                }
            },
            [](Soak& s) { s.control_.DeleteRow(); },
            [](Soak& s) { s.control_.put_RowCaption(s.Column(), s.Caption()); },
            [](Soak& s) { s.control_.put_RowWidth(s.Column(), s.Pick(-50, 600)); },
            [](Soak& s) { s.control_.putref_RowPicture(s.Column(), s.Picture()); },
            [](Soak& s) { s.control_.put_RowSorted(s.Column(), s.Pick(0, 1) ? kTrue : kFalse); },
            [](Soak& s) { s.control_.put_HeaderHeight(s.Pick(-5, 80)); },
            [](Soak& s) { s.control_.put_SelectedRow(s.Column()); },
            [](Soak& s) { s.control_.put_SortedRow(s.Column()); },
            [](Soak& s) { s.control_.put_BackColor(s.Color()); },
            [](Soak& s) { s.control_.put_ForeColorHot(s.Color()); },
            [](Soak& s) { s.control_.put_FrameColor(s.Color()); },
            [](Soak& s) { s.control_.put_MouseMoveColor1(s.Color()); },
            [](Soak& s) { s.control_.put_FontBold(s.Pick(0, 1) ? kTrue : kFalse); },
            [](Soak& s) { s.control_.put_FontSize(static_cast<Single>(s.Pick(10, 400)) / 20); },
            [](Soak& s) {
                static const char16_t* const names[] = {u"DejaVu Sans", u"Liberation Serif", u"MS Sans Serif",
                                                        u"No Such Face"};
                s.control_.put_FontName(names[s.Pick(0, 3)]);
            },
            [](Soak& s) { s.control_.put_ShowFrame(s.Pick(0, 1) ? kTrue : kFalse); },
            [](Soak& s) { s.control_.put_ShowSortPic(s.Pick(0, 1) ? kTrue : kFalse); },
            [](Soak& s) { s.control_.put_Alignment(static_cast<eTabAlignment>(s.Pick(-1, 2))); },
            [](Soak& s) { s.control_.put_ColumnWidths(u"40;" + s.Caption()); },
            [](Soak& s) { s.host_.SetClientSize(s.Pick(1, 600), s.Pick(1, 60)); },
            [](Soak& s) { s.host_.MoveMouse(s.X(), s.Y()); },
            [](Soak& s) { s.host_.MoveMouse(s.X(), s.Y()); },
            [](Soak& s) { s.host_.PressMouse(s.X(), s.Y(), static_cast<Integer>(s.Pick(1, 2))); },
            [](Soak& s) { s.host_.ReleaseMouse(s.X(), s.Y()); },
            [](Soak& s) { s.control_.DrawTab(); },
        };
        return operations;
    }

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    // Mostly a column that exists, now and then one just outside.
    Long Column() { return Pick(-1, static_cast<int>(control_.get_NumberOfRows()) + 1); }
    Single X() { return static_cast<Single>(Pick(-20, 700)); }
    Single Y() { return static_cast<Single>(Pick(-10, 60)); }
    OLE_COLOR Color() {
        return Pick(0, 9) == 0 ? 0x80000000u + Pick(0, 30) : static_cast<OLE_COLOR>(Pick(0, 0xFFFFFF));
    }

    String Caption() {
        static const char16_t pieces[] = u"ab &Ωx\U0001D11E&&";
        String caption;
        const int length = Pick(0, 30);
        for (int i = 0; i < length; ++i) caption += pieces[Pick(0, std::size(pieces) - 2)];
        return caption;
    }

    PicturePtr Picture() {
        const int kind = Pick(0, 2);
        if (kind == 0) return nullptr;
        const int width = Pick(1, 24);
        const int height = Pick(1, 24);
        soft::SoftBitmap color(width, height, 32, static_cast<COLORREF>(Pick(0, 0xFFFFFF)));
        if (kind == 1) return soft::SoftPicture::Bitmap(host_.sharedSurface(), color);
        soft::SoftBitmap mask(width, height, 1, 0);
        for (int y = 0; y < height; ++y) mask.At(0, y) = 1;
        return soft::SoftPicture::Icon(host_.sharedSurface(), color, mask);
    }

    HeadlessHost& host_;
    LumoraListControl& control_;
    std::mt19937 random_{kSeed};
};

TEST(SoakTest, RandomOperationsKeepExactRoundTripsAndLeaveNoDrawingObjects) {
    const int operations = OperationCount();
    std::shared_ptr<soft::SoftGdi> surface;
    int roundTrips = 0;
    {
        HeadlessHost host;
        surface = host.sharedSurface();
        // Icons are made into bitmaps in memory; the file way has tests of
        // its own and would only slow the run down.
        host.SetTempDirectory(std::filesystem::path());
        host->InitProperties();
        Soak soak(host);
        for (int done = 1; done <= operations; ++done) {
            soak.Step();
            if (done % kRoundTripEvery != 0) continue;
            // The host's record of calls would only grow.
            host.TakeLog();
            Json saved = Saved(host.control());
            Json reloaded = ReloadedAndSaved(saved);
            LeaveOutWhatLoadingSkips(saved, reloaded);
            ASSERT_EQ(reloaded, saved) << "after operation " << done;
            ++roundTrips;
        }
    }
    EXPECT_EQ(surface->LiveObjectsTotal(), 0) << "after " << operations << " operations";
    RecordProperty("Operations", operations);
    RecordProperty("RoundTrips", roundTrips);
}

}  // namespace
}  // namespace lumora
