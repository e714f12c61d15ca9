// SPDX-License-Identifier: MIT
// The control in the system's ATL container window, driven with real input:
// the pointer and the keyboard go through the system's input queue, the
// control's window gets them as any window would, and the events reach a
// connected sink; the window's pixels are those our software surface paints
// for the same state. Needs a display (the test command runs these under
// Xvfb).
// The software host comes before the system's headers, whose macros would
// rename its declarations.
#include "lumora/headless/HeadlessHost.h"
#include "lumora/platform/DeviceScale.h"
// (a separate block, which include sorting leaves in this order)
#include "WindowsHeaders.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <oleacc.h>

#include "AtlContainer.h"
#include "DorvaneLumoraStyleList.h"
#include "platform/win32/ScopedComPtr.h"
#include "server/DispatchCalls.h"
#include "server/RecordingSink.h"
#include "server/ServerEnvironment.h"

namespace lumora::server::testing {
namespace {

using Log = std::vector<std::string>;
using win32::ScopedComPtr;

constexpr wchar_t kProgId[] = L"DorvaneLumoraStyleList.LumoraListControl";
// The form's size.
constexpr int kFormWidth = 400;
constexpr int kFormHeight = 200;
// Where the container window sits in the form, and its first size.
constexpr int kHostLeft = 10;
constexpr int kHostTop = 10;
constexpr int kHostWidth = 300;
constexpr int kHostHeight = 40;
// A new control's strip height.
constexpr int kHeaderHeight = 25;

// Runs the thread's messages until done() says so or a second passes.
bool PumpUntil(
    const std::function<bool()>& done, const std::function<void(MSG&)>& filter = [](MSG&) {}) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (std::chrono::steady_clock::now() < deadline) {
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            filter(message);
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (done()) return true;
        ::Sleep(10);
    }
    return done();
}

void PumpFor(int milliseconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < deadline) {
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::Sleep(5);
    }
}

void SendMouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof(input));
}

// Moves the pointer through the input queue, as a mouse would.
void MovePointerTo(POINT screen) {
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = ::MulDiv(screen.x, 65536, width) + 1;
    input.mi.dy = ::MulDiv(screen.y, 65536, height) + 1;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &input, sizeof(input));
}

void SendKey(WORD key, bool release) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &input, sizeof(input));
}

// The window's pixels, read back through a memory bitmap.
std::vector<COLORREF> Pixels(::HDC source, int width, int height) {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels.push_back(::GetPixel(source, x, y));
    return pixels;
}

class ContainerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(atl_.Load(nullptr)) << "no ATL library with a container window in the prefix";

        form_ = ::CreateWindowExW(0, L"STATIC", L"form", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, kFormWidth,
                                  kFormHeight,
                                  nullptr, nullptr, nullptr, nullptr);
        if (!form_) GTEST_SKIP() << "no display to create windows on (error " << ::GetLastError() << ")";
        host_ = ::CreateWindowExW(0, atl_.WindowClass(), kProgId, WS_CHILD | WS_VISIBLE, kHostLeft, kHostTop,
                                  kHostWidth, kHostHeight, form_, nullptr, nullptr, nullptr);
        ASSERT_NE(host_, nullptr);
        ScopedComPtr<IUnknown> unknown;
        *unknown.Receive() = atl_.GetControl(host_);
        ASSERT_TRUE(unknown);
        ASSERT_EQ(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&control_)), S_OK);
        ASSERT_EQ(unknown->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(window_.Receive())), S_OK);
        ASSERT_EQ(window_->GetWindow(&controlWindow_), S_OK) << "the container activates the control in place";
        // Three columns of 60 pixels: x = 2..61, 64..123 and 126..185.
        ASSERT_EQ(Call(control_, L"AddRow").hr, S_OK);
        ASSERT_EQ(Call(control_, L"AddRow").hr, S_OK);
        ::SetForegroundWindow(form_);
        PumpFor(50);
        sink_ = std::make_unique<RecordingSink>(control_);
        sink_->Connect();
    }

    void TearDown() override {
        if (sink_) sink_->Disconnect();
        window_.Reset();
        if (control_) control_->Release();
        if (form_) ::DestroyWindow(form_);
        PumpFor(10);
    }

    // A point of the control's client area on the screen, in the control's
    // pixels.
    POINT OnScreen(int x, int y) const {
        POINT point{scale_.Edge(x), scale_.Edge(y)};
        ::ClientToScreen(controlWindow_, &point);
        return point;
    }
    // The events logged so far, without the property notifications.
    Log TakeEvents() {
        Log events;
        for (std::string& line : sink_->TakeLog())
            if (line.rfind("OnChanged", 0) != 0) events.push_back(std::move(line));
        return events;
    }
    // The events of the next count distinct steps, after the input settled.
    // The system may deliver one pointer move twice at the same point (under
    // Wine, the display's own copy of the move follows the queued one), and
    // the control reports every move it gets: repeats in a row count once.
    Log PumpForEvents(std::size_t count) {
        Log events;
        PumpUntil([&] {
            for (std::string& line : TakeEvents())
                if (events.empty() || events.back() != line) events.push_back(std::move(line));
            return events.size() >= count;
        });
        PumpFor(50);
        for (std::string& line : TakeEvents())
            if (events.empty() || events.back() != line) events.push_back(std::move(line));
        return events;
    }
    int ControlHeight() const {
        RECT client{};
        ::GetClientRect(controlWindow_, &client);
        return client.bottom;
    }

    windemo::AtlContainer atl_;
    ::HWND form_ = nullptr;
    ::HWND host_ = nullptr;
    ::HWND controlWindow_ = nullptr;
    IDispatch* control_ = nullptr;
    ScopedComPtr<IOleWindow> window_;
    std::unique_ptr<RecordingSink> sink_;
    // How the screen shows the control's pixels.
    DeviceScale scale_;
};

TEST_F(ContainerTest, ActivationGivesTheStripItsHeaderHeightInTheContainersWidth) {
    RECT client{};
    ::GetClientRect(controlWindow_, &client);
    EXPECT_EQ(client.right, kHostWidth);
    EXPECT_EQ(client.bottom, kHeaderHeight) << "the container made it " << kHostHeight << " high";
    EXPECT_EQ(::GetParent(controlWindow_), host_);
    EXPECT_TRUE(::IsWindowVisible(controlWindow_));
}

TEST_F(ContainerTest, RealPointerInputRaisesTheEventsOfAPressOnColumnTwo) {
    MovePointerTo(OnScreen(90, 10));
    EXPECT_EQ(PumpForEvents(1), (Log{"MouseIn 0 0 90 10 0"}));
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(PumpForEvents(2), (Log{"RowPressed 0 2 ASC", "MouseDown 1 0 90 10 2 ASC"}));
    SendMouse(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(PumpForEvents(1), (Log{"MouseUp 1 0 90 10 2"}));
    EXPECT_EQ(Get(control_, L"SortedRow").value.Describe(), "I4 2");
}

TEST_F(ContainerTest, LeavingTheWindowRaisesMouseOutOnce) {
    MovePointerTo(OnScreen(90, 10));
    ASSERT_EQ(PumpForEvents(1), (Log{"MouseIn 0 0 90 10 0"}));
    MovePointerTo(OnScreen(90, 120));
    EXPECT_EQ(PumpForEvents(1), (Log{"MouseOut 0 0 90 120 0"}));
    MovePointerTo(OnScreen(150, 130));
    PumpFor(100);
    EXPECT_EQ(TakeEvents(), Log{}) << "the control let the capture go";
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(ContainerTest, AWindowCoveringThePointerRaisesMouseOut) {
    MovePointerTo(OnScreen(90, 10));
    ASSERT_EQ(PumpForEvents(1), (Log{"MouseIn 0 0 90 10 0"}));
    const POINT corner = OnScreen(0, 0);
    const ::HWND cover = ::CreateWindowExW(WS_EX_TOPMOST, L"BUTTON", L"cover", WS_POPUP | WS_VISIBLE, corner.x,
                                           corner.y, 200, 25, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(cover, nullptr);
    PumpFor(50);
    MovePointerTo(OnScreen(91, 10));
    EXPECT_EQ(PumpForEvents(1), (Log{"MouseOut 0 0 91 10 0"}));
    ::DestroyWindow(cover);
}

TEST_F(ContainerTest, AContainerThatMakesItSixtyHighGetsTheHeaderHeightBack) {
    // The container's own resize: the host window passes it on as the
    // control's new rectangle.
    ::MoveWindow(host_, kHostLeft, kHostTop, kHostWidth, 60, TRUE);
    EXPECT_EQ(ControlHeight(), kHeaderHeight);
    ASSERT_EQ(Put(control_, L"HeaderHeight", Var(40L)).hr, S_OK);
    EXPECT_EQ(ControlHeight(), 40) << "the strip follows its own height at once";
}

TEST_F(ContainerTest, AltAndAnAccessKeyMoveTheFocusToTheControl) {
    ASSERT_EQ(Put(control_, L"RowCaption", Var(L"&Beta"), {Var(2L)}).hr, S_OK);
    ASSERT_EQ(Call(control_, L"SetTabAccessKeys").hr, S_OK);
    ScopedComPtr<IOleControl> oleControl;
    ASSERT_EQ(control_->QueryInterface(IID_IOleControl, reinterpret_cast<void**>(oleControl.Receive())), S_OK);
    CONTROLINFO info{};
    info.cb = sizeof(info);
    ASSERT_EQ(oleControl->GetControlInfo(&info), S_OK);
    // The key first, then the characters it types with and without Shift.
    ASSERT_EQ(info.cAccel, 3);
    ACCEL table[1]{};
    ASSERT_EQ(::CopyAcceleratorTableW(info.hAccel, table, 1), 1);
    EXPECT_EQ(table[0].fVirt & (FALT | FVIRTKEY), FALT | FVIRTKEY);
    EXPECT_EQ(table[0].key, 'B');

    // Wine's ATL host window neither asks for the control's mnemonics nor
    // filters the form's keys, so the test does what a form does: it
    // watches its message loop for the control's accelerators and calls
    // OnMnemonic on a match.
    ::SetFocus(form_);
    ASSERT_NE(::GetFocus(), controlWindow_);
    bool matched = false;
    const auto container = [&](MSG& message) {
        WORD command = 0;
        if (!matched && ::IsAccelerator(info.hAccel, info.cAccel, &message, &command)) {
            matched = true;
            oleControl->OnMnemonic(&message);
        }
    };
    SendKey(VK_MENU, false);
    SendKey('B', false);
    SendKey('B', true);
    SendKey(VK_MENU, true);
    EXPECT_TRUE(PumpUntil([&] { return matched; }, container)) << "Alt+B reached the form's message loop";
    EXPECT_EQ(::GetFocus(), controlWindow_);
}

// The access keys' entries as "Alt+<hex unit>" for characters and
// "Alt+VK<hex>" for keys, in table order.
std::vector<std::string> AcceleratorEntries(const CONTROLINFO& info) {
    std::vector<ACCEL> table(info.cAccel);
    const int copied = ::CopyAcceleratorTableW(info.hAccel, table.data(), static_cast<int>(table.size()));
    table.resize(static_cast<std::size_t>(std::max(copied, 0)));
    std::vector<std::string> entries;
    for (const ACCEL& entry : table) {
        char text[32];
        std::snprintf(text, sizeof(text), "%s%s%04X", entry.fVirt & FALT ? "Alt+" : "",
                      entry.fVirt & FVIRTKEY ? "VK" : "", entry.key);
        entries.push_back(text);
    }
    return entries;
}

// A key message as the keyboard delivers it while Alt is held.
MSG AltMessage(::HWND window, UINT message, WPARAM key) {
    // The repeat count and the context code, which says Alt is down.
    constexpr LPARAM kAltHeld = 0x20000001;
    return MSG{window, message, key, kAltHeld, 0, {}};
}

TEST_F(ContainerTest, AccessKeysOfEveryScriptReachTheContainerAsAltCharacters) {
    // The third caption's key lies beyond the UTF-16 unit an ACCEL holds.
    const wchar_t* captions[] = {L"&\u0416\u0443\u043A", L"\u65E5\u672C&\u8A9E", L"&Name", L"&\U0001D400"};
    ASSERT_EQ(Call(control_, L"AddRow").hr, S_OK);
    for (long column = 1; column <= 4; ++column)
        ASSERT_EQ(Put(control_, L"RowCaption", Var(captions[column - 1]), {Var(column)}).hr, S_OK);
    ScopedComPtr<IOleControl> oleControl;
    ASSERT_EQ(control_->QueryInterface(IID_IOleControl, reinterpret_cast<void**>(oleControl.Receive())), S_OK);
    CONTROLINFO info{};
    info.cb = sizeof(info);
    ASSERT_EQ(oleControl->GetControlInfo(&info), S_OK);
    std::vector<std::string> characters;
    for (const std::string& entry : AcceleratorEntries(info))
        if (entry.find("VK") == std::string::npos) characters.push_back(entry);
    // Cyrillic in both cases, the Han character once, Latin in both cases.
    EXPECT_EQ(characters, (std::vector<std::string>{"Alt+0436", "Alt+0416", "Alt+8A9E", "Alt+006E", "Alt+004E"}));
    const std::vector<std::string> all = AcceleratorEntries(info);
    EXPECT_NE(std::find(all.begin(), all.end(), "Alt+VK004E"), all.end()) << "N is a key of every keyboard";

    // What the system's matching makes of the characters Alt types.
    WORD command = 0;
    for (const WPARAM typed : {WPARAM{0x0416}, WPARAM{0x0436}, WPARAM{0x8A9E}, WPARAM{'n'}, WPARAM{'N'}}) {
        MSG message = AltMessage(controlWindow_, WM_SYSCHAR, typed);
        EXPECT_TRUE(::IsAccelerator(info.hAccel, info.cAccel, &message, &command)) << std::hex << typed;
    }
    for (const WPARAM typed : {WPARAM{0x0417}, WPARAM{'m'}, WPARAM{0xD835}}) {
        MSG message = AltMessage(controlWindow_, WM_SYSCHAR, typed);
        EXPECT_FALSE(::IsAccelerator(info.hAccel, info.cAccel, &message, &command)) << std::hex << typed;
    }
}

TEST_F(ContainerTest, OnMnemonicFocusesTheStripOnlyForItsOwnKeys) {
    ASSERT_EQ(Put(control_, L"RowCaption", Var(L"&\u0416\u0443\u043A"), {Var(1L)}).hr, S_OK);
    ScopedComPtr<IOleControl> oleControl;
    ASSERT_EQ(control_->QueryInterface(IID_IOleControl, reinterpret_cast<void**>(oleControl.Receive())), S_OK);
    ::SetFocus(form_);
    for (const MSG& other : {AltMessage(form_, WM_SYSCHAR, 'q'), AltMessage(form_, WM_SYSCHAR, 0x0417),
                             AltMessage(form_, WM_SYSKEYDOWN, 'Q'), AltMessage(form_, WM_KEYUP, 0x0416)}) {
        MSG message = other;
        EXPECT_EQ(oleControl->OnMnemonic(&message), S_FALSE) << std::hex << message.message << " " << message.wParam;
        EXPECT_EQ(::GetFocus(), form_);
    }
    EXPECT_EQ(oleControl->OnMnemonic(nullptr), E_POINTER);
    MSG own = AltMessage(form_, WM_SYSCHAR, 0x0416);
    EXPECT_EQ(oleControl->OnMnemonic(&own), S_OK);
    EXPECT_EQ(::GetFocus(), controlWindow_);
    PumpFor(20);
    EXPECT_EQ(TakeEvents(), Log{}) << "the focus alone raises no event";
}

// The control window's pixels as it shows them now.
std::vector<COLORREF> WindowPixels(::HWND window) {
    ::UpdateWindow(window);
    RECT client{};
    ::GetClientRect(window, &client);
    const ::HDC screen = ::GetDC(window);
    std::vector<COLORREF> pixels = Pixels(screen, client.right, client.bottom);
    ::ReleaseDC(window, screen);
    return pixels;
}

TEST_F(ContainerTest, AnAccessKeyFocusesItsColumnForSpaceAndEnterWithoutMouseEvents) {
    const wchar_t* captions[] = {L"&Alpha", L"&Beta", L"&Gamma"};
    for (long column = 1; column <= 3; ++column)
        ASSERT_EQ(Put(control_, L"RowCaption", Var(captions[column - 1]), {Var(column)}).hr, S_OK);
    ScopedComPtr<IOleControl> oleControl;
    ASSERT_EQ(control_->QueryInterface(IID_IOleControl, reinterpret_cast<void**>(oleControl.Receive())), S_OK);
    ::SetFocus(form_);
    PumpFor(20);
    const std::vector<COLORREF> unfocused = WindowPixels(controlWindow_);

    MSG typed = AltMessage(form_, WM_SYSCHAR, 'b');
    ASSERT_EQ(oleControl->OnMnemonic(&typed), S_OK);
    ASSERT_EQ(::GetFocus(), controlWindow_);
    EXPECT_NE(WindowPixels(controlWindow_), unfocused) << "the keyboard's focus shows its cue";
    // This form runs no dialog manager, so Enter reaches the strip too.
    const struct {
        WORD key;
        const char* event;
    } presses[] = {{VK_SPACE, "RowPressed 0 2 ASC"},
                   {VK_RETURN, "RowPressed 2 2 DESC"},
                   {VK_END, nullptr},
                   {VK_SPACE, "RowPressed 2 3 ASC"},
                   {VK_HOME, nullptr},
                   {VK_RIGHT, nullptr},
                   {VK_SPACE, "RowPressed 3 2 ASC"}};
    for (const auto& press : presses) {
        SCOPED_TRACE(press.key);
        SendKey(press.key, false);
        SendKey(press.key, true);
        EXPECT_EQ(PumpForEvents(press.event ? 1 : 0), press.event ? Log{press.event} : Log{});
    }
    // The pressed key, not the typed character, as some containers match it.
    MSG pressed = AltMessage(form_, WM_SYSKEYDOWN, 'A');
    ASSERT_EQ(oleControl->OnMnemonic(&pressed), S_OK);
    SendKey(VK_SPACE, false);
    SendKey(VK_SPACE, true);
    EXPECT_EQ(PumpForEvents(1), Log{"RowPressed 2 1 ASC"});

    const std::vector<COLORREF> cued = WindowPixels(controlWindow_);
    ::SetFocus(form_);
    PumpFor(20);
    EXPECT_NE(WindowPixels(controlWindow_), cued) << "the cue goes with the focus";
    EXPECT_EQ(TakeEvents(), Log{});
}

// ------------------------------------------------ assistive technology

VARIANT Child(long id) {
    VARIANT child;
    V_VT(&child) = VT_I4;
    V_I4(&child) = id;
    return child;
}

// One text of the client's view, "" for none.
std::wstring Text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), IAccessible* object, long id) {
    BSTR text = nullptr;
    if (FAILED((object->*get)(Child(id), &text))) return L"<failed>";
    std::wstring result = text ? text : L"";
    ::SysFreeString(text);
    return result;
}

long Number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), IAccessible* object, long id) {
    VARIANT value;
    ::VariantInit(&value);
    if (FAILED((object->*get)(Child(id), &value)) || V_VT(&value) != VT_I4) return -1;
    return V_I4(&value);
}

// The window's client object, as a client of the system asks for it.
IAccessible* ClientObject(::HWND window) {
    IAccessible* object = nullptr;
    ::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                 reinterpret_cast<void**>(&object));
    return object;
}

TEST_F(ContainerTest, AssistiveTechnologyReadsOneColumnHeaderPerColumn) {
    const wchar_t* captions[] = {L"&Alpha", L"B&&W", L"Gam&ma"};
    for (long column = 1; column <= 3; ++column)
        ASSERT_EQ(Put(control_, L"RowCaption", Var(captions[column - 1]), {Var(column)}).hr, S_OK);
    ASSERT_EQ(Put(control_, L"SortedRow", Var(2L)).hr, S_OK);
    ASSERT_EQ(Put(control_, L"RowSorted", Var(-1L), {Var(2L)}).hr, S_OK);
    ScopedComPtr<IAccessible> strip;
    *strip.Receive() = ClientObject(controlWindow_);
    ASSERT_TRUE(strip) << "WM_GETOBJECT answers for the client area";
    LONG count = 0;
    ASSERT_EQ(strip->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(Number(&IAccessible::get_accRole, strip.get(), CHILDID_SELF), ROLE_SYSTEM_LIST);

    // Three columns of 60 pixels from x = 2, as wide as the strip is high.
    struct Expected {
        const wchar_t* name;
        const wchar_t* description;
        const wchar_t* shortcut;
        int left;
    };
    const Expected columns[] = {
        {L"Alpha", L"", L"Alt+A", 2}, {L"B&W", L"sorted ascending", L"", 64}, {L"Gamma", L"", L"Alt+M", 126}};
    for (long id = 1; id <= 3; ++id) {
        SCOPED_TRACE(id);
        const Expected& expected = columns[id - 1];
        EXPECT_EQ(Text(&IAccessible::get_accName, strip.get(), id), expected.name);
        EXPECT_EQ(Number(&IAccessible::get_accRole, strip.get(), id), ROLE_SYSTEM_COLUMNHEADER);
        EXPECT_EQ(Number(&IAccessible::get_accState, strip.get(), id), STATE_SYSTEM_FOCUSABLE);
        EXPECT_EQ(Text(&IAccessible::get_accDescription, strip.get(), id), expected.description);
        EXPECT_EQ(Text(&IAccessible::get_accKeyboardShortcut, strip.get(), id), expected.shortcut);
        EXPECT_EQ(Text(&IAccessible::get_accDefaultAction, strip.get(), id), L"Click");
        LONG left = 0, top = 0, width = 0, height = 0;
        ASSERT_EQ(strip->accLocation(&left, &top, &width, &height, Child(id)), S_OK);
        const POINT corner = OnScreen(expected.left, 0);
        EXPECT_EQ(left, corner.x);
        EXPECT_EQ(width, 60);
        EXPECT_GE(top, corner.y);
        EXPECT_LE(top + height, OnScreen(0, kHeaderHeight).y);
        VARIANT hit;
        ASSERT_EQ(strip->accHitTest(left + width / 2, top + height / 2, &hit), S_OK);
        EXPECT_EQ(V_I4(&hit), id);
    }
    BSTR none = nullptr;
    EXPECT_EQ(strip->get_accName(Child(4), &none), E_INVALIDARG);

    ASSERT_EQ(Put(control_, L"RowSorted", Var(0L), {Var(2L)}).hr, S_OK);
    EXPECT_EQ(Text(&IAccessible::get_accDescription, strip.get(), 2), L"sorted descending");
    // The focus comes to the sorted column; only the focused strip says so.
    ::SetFocus(controlWindow_);
    EXPECT_EQ(Number(&IAccessible::get_accState, strip.get(), 2), STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED);
    VARIANT focus;
    ASSERT_EQ(strip->get_accFocus(&focus), S_OK);
    EXPECT_EQ(V_I4(&focus), 2);
    ::SetFocus(form_);
    EXPECT_EQ(Number(&IAccessible::get_accState, strip.get(), 2), STATE_SYSTEM_FOCUSABLE);
}

TEST_F(ContainerTest, AClientsObjectAnswersNoMoreOnceTheWindowIsGoneAndGoesWithItsLastReference) {
    IAccessible* strip = ClientObject(controlWindow_);
    ASSERT_NE(strip, nullptr);
    ::DestroyWindow(std::exchange(form_, nullptr));
    PumpFor(10);
    LONG count = 0;
    EXPECT_EQ(strip->get_accChildCount(&count), RPC_E_DISCONNECTED);
    EXPECT_EQ(strip->Release(), 0u);
}

TEST_F(ContainerTest, DrawingIntoAMemoryDcGivesTheWindowsPixels) {
    MovePointerTo(OnScreen(90, 10));
    ASSERT_EQ(PumpForEvents(1).size(), 1u) << "the hot look, so that the strip is not plain";
    ::UpdateWindow(controlWindow_);
    RECT client{};
    ::GetClientRect(controlWindow_, &client);
    const int width = client.right;
    const int height = client.bottom;

    const ::HDC screen = ::GetDC(controlWindow_);
    const ::HDC shown = ::CreateCompatibleDC(screen);
    const ::HBITMAP shownBitmap = ::CreateCompatibleBitmap(screen, width, height);
    const ::HGDIOBJ shownOld = ::SelectObject(shown, shownBitmap);
    ::BitBlt(shown, 0, 0, width, height, screen, 0, 0, SRCCOPY);

    ScopedComPtr<IViewObject2> view;
    ASSERT_EQ(control_->QueryInterface(IID_IViewObject2, reinterpret_cast<void**>(view.Receive())), S_OK);
    const ::HDC drawn = ::CreateCompatibleDC(screen);
    const ::HBITMAP drawnBitmap = ::CreateCompatibleBitmap(screen, width, height);
    const ::HGDIOBJ drawnOld = ::SelectObject(drawn, drawnBitmap);
    const RECTL bounds{0, 0, width, height};
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, drawn, &bounds, nullptr, nullptr, 0), S_OK);
    SIZEL extent{};
    EXPECT_EQ(view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &extent), S_OK);
    EXPECT_GT(extent.cx, 0);

    const std::vector<COLORREF> window = Pixels(shown, width, height);
    const std::vector<COLORREF> memory = Pixels(drawn, width, height);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < window.size(); ++i) differing += window[i] != memory[i];
    EXPECT_EQ(differing, 0u) << "of " << window.size() << " pixels";

    ::SelectObject(drawn, drawnOld);
    ::DeleteObject(drawnBitmap);
    ::DeleteDC(drawn);
    ::SelectObject(shown, shownOld);
    ::DeleteObject(shownBitmap);
    ::DeleteDC(shown);
    ::ReleaseDC(controlWindow_, screen);
}

// ------------------------------------------------- the window's pixels

// Short captions in the face both the system and our surface draw from the
// same files; the glyphs still differ between the two rasterisers, so the
// caption areas are left out of the comparison.
constexpr const wchar_t* kCaptions[] = {L"Name", L"Gr\u00F6\u00DFe", L"Typ"};
constexpr wchar_t kFace[] = L"DejaVu Sans";
// Where the three columns of 60 pixels lie.
constexpr int kColumnLefts[] = {2, 64, 126};
constexpr int kColumnWidth = 60;
// A point of the form below the strip: the pointer "moved off".
constexpr POINT kOffTheStrip{250, 120};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;

    COLORREF At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The box around every pixel of a column that differs between the
// captioned and the bare image; empty when none does.
Box ChangedBox(const Image& captioned, const Image& bare, int left, int width) {
    Box box{left + width, captioned.height, left, 0};
    for (int y = 0; y < captioned.height; ++y)
        for (int x = left; x < left + width && x < captioned.width; ++x)
            if (captioned.At(x, y) != bare.At(x, y))
                box = Box{std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                          std::max(box.bottom, y + 1)};
    return box.left < box.right ? box : Box{};
}

Box Union(const Box& a, const Box& b) {
    if (a.left >= a.right) return b;
    if (b.left >= b.right) return a;
    return Box{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
               std::max(a.bottom, b.bottom)};
}

bool Inside(const std::vector<Box>& boxes, int x, int y) {
    return std::any_of(boxes.begin(), boxes.end(), [&](const Box& box) {
        return x >= box.left && x < box.right && y >= box.top && y < box.bottom;
    });
}

// A 24-bit bottom-up BMP of the image.
void WriteBmp(const Image& image, const std::filesystem::path& path) {
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(image.width) * 3 + 3) & ~3U;
    const std::uint32_t headers = 14 + 40;
    std::string file;
    const auto put = [&file](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) file.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    file += "BM";
    put(headers + rowBytes * image.height, 4);
    put(0, 4);
    put(headers, 4);
    put(40, 4);
    put(image.width, 4);
    put(image.height, 4);
    put(1, 2);
    put(24, 2);
    for (int i = 0; i < 6; ++i) put(0, 4);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const COLORREF colour = image.At(x, y);
            put(GetBValue(colour) | GetGValue(colour) << 8 | GetRValue(colour) << 16, 3);
        }
        for (std::uint32_t pad = image.width * 3; pad < rowBytes; ++pad) file.push_back(0);
    }
    std::ofstream(path, std::ios::binary).write(file.data(), static_cast<std::streamsize>(file.size()));
}

// The states the strip is compared in, each reached from the one before.
enum class StripState { Idle, Hot, Pressed, Sorted };
constexpr StripState kStripStates[] = {StripState::Idle, StripState::Hot, StripState::Pressed, StripState::Sorted};
const char* NameOf(StripState state) {
    switch (state) {
        case StripState::Idle:
            return "Idle";
        case StripState::Hot:
            return "Hot";
        case StripState::Pressed:
            return "Pressed";
        case StripState::Sorted:
            return "Sorted";
    }
    return "";
}

// The same control on our software surface: the window's size, columns,
// face and captions, then the pointer's way up to the state, as the system
// delivered it to the window: over column 2, pressed there, released,
// a click on column 1 and away below the strip.
Image SoftStrip(int width, int height, StripState state, bool captioned, double scale = 1.0) {
    headless::HeadlessHost host(width, height);
    if (scale != 1.0) host.SetDeviceScale(scale);
    host->InitProperties();
    host->AddRow();
    host->AddRow();
    host->put_FontName(u"DejaVu Sans");
    for (Long i = 1; i <= 3; ++i) {
        const std::wstring caption = captioned ? kCaptions[i - 1] : L"";
        host->put_RowCaption(i, String(caption.begin(), caption.end()));
    }
    if (state >= StripState::Hot) host.MoveMouse(90, 10);
    if (state >= StripState::Pressed) host.PressMouse(90, 10);
    if (state >= StripState::Sorted) {
        host.ReleaseMouse(90, 10);
        host.MoveMouse(30, 10);
        host.PressMouse(30, 10);
        host.ReleaseMouse(30, 10);
        host.MoveMouse(static_cast<Single>(kOffTheStrip.x), static_cast<Single>(kOffTheStrip.y));
    }
    const soft::SoftBitmap& bitmap = host.image();
    Image image{bitmap.width, bitmap.height, {}};
    for (const std::uint32_t pixel : bitmap.pixels) image.pixels.push_back(pixel);
    return image;
}

class ContainerPixelsTest : public ContainerTest {
protected:
    void SetCaptions(bool captioned) {
        for (long i = 1; i <= 3; ++i)
            ASSERT_EQ(Put(control_, L"RowCaption", Var(captioned ? kCaptions[i - 1] : L""), {Var(i)}).hr, S_OK);
    }
    // The control window's pixels as the screen shows them.
    Image FromScreen() {
        ::UpdateWindow(controlWindow_);
        PumpFor(30);
        RECT client{};
        ::GetClientRect(controlWindow_, &client);
        const POINT corner = OnScreen(0, 0);
        Image image{client.right, client.bottom, {}};
        const ::HDC screen = ::GetDC(nullptr);
        const ::HDC copy = ::CreateCompatibleDC(screen);
        const ::HBITMAP bitmap = ::CreateCompatibleBitmap(screen, image.width, image.height);
        const ::HGDIOBJ old = ::SelectObject(copy, bitmap);
        ::BitBlt(copy, 0, 0, image.width, image.height, screen, corner.x, corner.y, SRCCOPY);
        image.pixels = Pixels(copy, image.width, image.height);
        ::SelectObject(copy, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(copy);
        ::ReleaseDC(nullptr, screen);
        return image;
    }
    // The window's pixels with and without captions, in the state it is in.
    std::pair<Image, Image> CaptionedAndBare() {
        Image captioned = FromScreen();
        SetCaptions(false);
        Image bare = FromScreen();
        SetCaptions(true);
        return {std::move(captioned), std::move(bare)};
    }
    // Leads the strip through the states and compares the window with our
    // surface at the screen's scale in each; see the test below.
    void ExpectOurSurfaceOnScreen(const std::vector<StripState>& states, const std::string& tag = "") {
        ASSERT_EQ(Put(control_, L"FontName", Var(kFace)).hr, S_OK);
        SetCaptions(true);
        // The pointer may still lie where an earlier test left it.
        MovePointerTo(OnScreen(kOffTheStrip.x, kOffTheStrip.y));
        PumpFor(100);
        TakeEvents();

        Image previous;
        for (const StripState state : states) {
            Reach(state);
            const auto [window, windowBare] = CaptionedAndBare();
            const Image soft = SoftStrip(ControlWidth(), kHeaderHeight, state, true, scale_.factor);
            const Image softBare = SoftStrip(ControlWidth(), kHeaderHeight, state, false, scale_.factor);
            ASSERT_EQ(soft.width, window.width) << NameOf(state);
            ASSERT_EQ(soft.height, window.height) << NameOf(state);
            std::vector<Box> captions;
            for (const int left : kColumnLefts) {
                const int column = scale_.Edge(left);
                const int width = scale_.Edge(left + kColumnWidth) - column;
                const Box shown = ChangedBox(window, windowBare, column, width);
                const Box ours = ChangedBox(soft, softBare, column, width);
                EXPECT_LT(shown.left, shown.right) << NameOf(state) << ": the window shows no caption at x " << left;
                EXPECT_LT(ours.left, ours.right) << NameOf(state) << ": our surface drew no caption at x " << left;
                captions.push_back(Union(shown, ours));
            }
            // Each step changes the look, so the window really took each state.
            EXPECT_NE(soft.pixels, previous.pixels) << NameOf(state) << " looks like the state before";
            previous = soft;

            Image difference = soft;
            std::size_t differing = 0;
            std::string first;
            for (int y = 0; y < soft.height; ++y) {
                for (int x = 0; x < soft.width; ++x) {
                    COLORREF& marked = difference.pixels[static_cast<std::size_t>(y) * soft.width + x];
                    if (Inside(captions, x, y)) {
                        marked = RGB(128, 128, 128);
                    } else if (window.At(x, y) == soft.At(x, y)) {
                        marked = RGB(0, 0, 0);
                    } else {
                        marked = RGB(255, 0, 0);
                        if (differing++ < 5) {
                            char line[80];
                            std::snprintf(line, sizeof(line), " (%d,%d) window %06lX soft %06lX", x, y,
                                          static_cast<unsigned long>(window.At(x, y)),
                                          static_cast<unsigned long>(soft.At(x, y)));
                            first += line;
                        }
                    }
                }
            }
            EXPECT_EQ(differing, 0u) << NameOf(state) << ":" << first;
            if (differing) {
                const char* configured = std::getenv("LUMORA_CONFORMANCE_IMAGES");
                // The build folder is three levels above the library (src/server/).
                const std::filesystem::path folder =
                    configured
                        ? std::filesystem::path(configured)
                        : std::filesystem::path(test::ServerPath()).parent_path().parent_path().parent_path() / "images";
                std::filesystem::create_directories(folder);
                const std::string name = tag + NameOf(state);
                WriteBmp(window, folder / ("window." + name + ".bmp"));
                WriteBmp(soft, folder / ("soft." + name + ".bmp"));
                WriteBmp(difference, folder / ("difference." + name + ".bmp"));
            }
        }
    }
    // The control's width in its own pixels.
    int ControlWidth() const {
        RECT client{};
        ::GetClientRect(controlWindow_, &client);
        return static_cast<int>(std::lround(client.right / scale_.factor));
    }
    // Leads the real pointer and button from the state before to this one.
    void Reach(StripState state) {
        switch (state) {
            case StripState::Idle:
                break;
            case StripState::Hot:
                MovePointerTo(OnScreen(90, 10));
                PumpForEvents(1);
                break;
            case StripState::Pressed:
                SendMouse(MOUSEEVENTF_LEFTDOWN);
                PumpForEvents(2);
                break;
            case StripState::Sorted:
                SendMouse(MOUSEEVENTF_LEFTUP);
                PumpForEvents(1);
                MovePointerTo(OnScreen(30, 10));
                PumpFor(50);
                SendMouse(MOUSEEVENTF_LEFTDOWN);
                SendMouse(MOUSEEVENTF_LEFTUP);
                PumpFor(50);
                MovePointerTo(OnScreen(kOffTheStrip.x, kOffTheStrip.y));
                PumpFor(100);
                break;
        }
    }
};

// Every pixel of the hosted strip outside the captions, as the screen shows
// it, equals our surface's rendering of the same state. On a difference the
// images go to LUMORA_CONFORMANCE_IMAGES (or images/ in the build folder):
// window.<state>.bmp, soft.<state>.bmp and difference.<state>.bmp, black
// where they agree, grey over the captions and red where they differ.
TEST_F(ContainerPixelsTest, TheWindowShowsOurSurfacesPixelsOutsideTheCaptions) {
    ExpectOurSurfaceOnScreen({std::begin(kStripStates), std::end(kStripStates)});
}

// ------------------------------------------------- the screen's resolution

// The system reads the screen's resolution once, when a program starts. The
// checks at 144 and 192 dpi therefore run in programs of their own, which
// ContainerDpiTest starts with the resolution set; in any other run they skip.
UINT ChildRunDpi() {
    const char* dpi = std::getenv("LUMORA_TEST_SCREEN_DPI");
    return dpi ? static_cast<UINT>(std::strtoul(dpi, nullptr, 10)) : 0;
}

// Notes for the starting test that one more check ran here, so that a run
// that skipped everything cannot pass for one that checked.
void ReportChildCheck() {
    const char* report = std::getenv("LUMORA_TEST_DPI_REPORT");
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (report && test) std::ofstream(report, std::ios::app) << test->name() << "\n";
}

// The system's calls for monitors' resolutions, looked up by name as the
// control looks them up.
template <typename Function>
Function User32(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name)));
}
UINT WindowDpi(::HWND window) { return User32<UINT(WINAPI*)(::HWND)>("GetDpiForWindow")(window); }
DPI_AWARENESS_CONTEXT SetThreadAwareness(DPI_AWARENESS_CONTEXT context) {
    return User32<DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT)>("SetThreadDpiAwarenessContext")(context);
}

// A container aware of each monitor's resolution (programs under Wine are,
// unless they say otherwise) lays its form out at the screen's scale.
class ContainerAtScreenDpiTest : public ContainerPixelsTest {
protected:
    void SetUp() override {
        if (ChildRunDpi() == 0) GTEST_SKIP() << "runs in the programs ContainerDpiTest starts at 144 and 192 dpi";
        ContainerPixelsTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_EQ(WindowDpi(form_), ChildRunDpi()) << "the screen's resolution did not reach this program";
        FollowScale(ChildRunDpi());
    }
    void FollowScale(UINT dpi) {
        scale_ = DeviceScale{dpi / 96.0};
        ::MoveWindow(form_, 0, 0, scale_.Edge(kFormWidth), scale_.Edge(kFormHeight), TRUE);
        ::MoveWindow(host_, scale_.Edge(kHostLeft), scale_.Edge(kHostTop), scale_.Edge(kHostWidth),
                     scale_.Edge(kHostHeight), TRUE);
        PumpFor(50);
    }
    void ExpectScaledSize() {
        RECT client{};
        ::GetClientRect(controlWindow_, &client);
        EXPECT_EQ(client.right, scale_.Edge(kHostWidth));
        EXPECT_EQ(client.bottom, scale_.Edge(kHeaderHeight));
    }
};

TEST_F(ContainerAtScreenDpiTest, TheStripIsScaledOnScreenAndKeepsItsOwnPixelsInEvents) {
    ExpectScaledSize();
    EXPECT_EQ(Get(control_, L"HeaderHeight").value.Describe(), "I4 25");
    // A click at the control's pixel (140, 12) presses column 3, as at 96 dpi.
    MovePointerTo(OnScreen(140, 12));
    EXPECT_EQ(PumpForEvents(1), (Log{"MouseIn 0 0 140 12 0"}));
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(PumpForEvents(2), (Log{"RowPressed 0 3 ASC", "MouseDown 1 0 140 12 3 ASC"}));
    SendMouse(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(PumpForEvents(1), (Log{"MouseUp 1 0 140 12 3"}));
    MovePointerTo(OnScreen(kOffTheStrip.x, kOffTheStrip.y));
    PumpForEvents(1);
    ReportChildCheck();
}

TEST_F(ContainerAtScreenDpiTest, TheWindowShowsOurSurfaceAtTheScreensScaleOutsideTheCaptions) {
    ExpectOurSurfaceOnScreen({std::begin(kStripStates), std::end(kStripStates)},
                             "dpi" + std::to_string(ChildRunDpi()) + ".");
    ReportChildCheck();
}

// The window moves to a monitor of another resolution: the system tells the
// control, and the container lays the form out again at the new scale.
TEST_F(ContainerAtScreenDpiTest, FollowsTheWindowToAMonitorOfAnotherResolution) {
    const UINT other = ChildRunDpi() == 144 ? 192 : 144;
    RECT suggested{};
    ::SendMessageW(controlWindow_, WM_DPICHANGED, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&suggested));
    FollowScale(other);
    ExpectScaledSize();
    ExpectOurSurfaceOnScreen({StripState::Idle, StripState::Hot}, "moved" + std::to_string(other) + ".");
    ReportChildCheck();
}

// A container that knows nothing of resolutions gets the strip as before.
class ContainerUnawareOfDpiTest : public ContainerPixelsTest {
protected:
    void SetUp() override {
        if (ChildRunDpi() == 0) GTEST_SKIP() << "runs in the programs ContainerDpiTest starts at 144 and 192 dpi";
        before_ = SetThreadAwareness(DPI_AWARENESS_CONTEXT_UNAWARE);
        ContainerPixelsTest::SetUp();
    }
    void TearDown() override {
        ContainerPixelsTest::TearDown();
        if (before_) SetThreadAwareness(before_);
    }

    DPI_AWARENESS_CONTEXT before_ = nullptr;
};

TEST_F(ContainerUnawareOfDpiTest, KeepsTheStripAtTheControlsOwnPixels) {
    RECT client{};
    ::GetClientRect(controlWindow_, &client);
    EXPECT_EQ(client.right, kHostWidth);
    EXPECT_EQ(client.bottom, kHeaderHeight);
    // Only the idle look: the system maps such a program's pointer
    // positions to its screen, so the pointer cannot be placed exactly here.
    ExpectOurSurfaceOnScreen({StripState::Idle}, "unaware.");
    ReportChildCheck();
}

// Sets the screen's resolution for programs started from now on, and puts
// back what was there.
class ScreenDpiSetting {
public:
    explicit ScreenDpiSetting(DWORD dpi) {
        ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                          &key_, nullptr);
        DWORD size = sizeof(before_);
        had_ = ::RegQueryValueExW(key_, kValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&before_), &size) ==
               ERROR_SUCCESS;
        ::RegSetValueExW(key_, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi));
    }
    ~ScreenDpiSetting() {
        if (had_)
            ::RegSetValueExW(key_, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&before_), sizeof(before_));
        else
            ::RegDeleteValueW(key_, kValue);
        ::RegCloseKey(key_);
    }
    ScreenDpiSetting(const ScreenDpiSetting&) = delete;
    ScreenDpiSetting& operator=(const ScreenDpiSetting&) = delete;

private:
    static constexpr wchar_t kValue[] = L"LogPixels";
    HKEY key_ = nullptr;
    DWORD before_ = 0;
    bool had_ = false;
};

// Runs this program's resolution checks in a child started at dpi; returns
// the names of the checks that ran there.
std::string RunChecksAtDpi(DWORD dpi) {
    const ScreenDpiSetting setting(dpi);
    const std::filesystem::path report = std::filesystem::temp_directory_path() / "lumora-dpi-report.txt";
    std::filesystem::remove(report);
    ::SetEnvironmentVariableW(L"LUMORA_TEST_SCREEN_DPI", std::to_wstring(dpi).c_str());
    ::SetEnvironmentVariableW(L"LUMORA_TEST_DPI_REPORT", report.wstring().c_str());
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command =
        L"\"" + std::wstring(self) + L"\" --gtest_filter=ContainerAtScreenDpiTest.*:ContainerUnawareOfDpiTest.*";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const bool started =
        ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    ::SetEnvironmentVariableW(L"LUMORA_TEST_SCREEN_DPI", nullptr);
    ::SetEnvironmentVariableW(L"LUMORA_TEST_DPI_REPORT", nullptr);
    if (!started) return "cannot start " + std::to_string(::GetLastError());
    DWORD exitCode = 1;
    if (::WaitForSingleObject(process.hProcess, 180000) == WAIT_TIMEOUT) {
        ::TerminateProcess(process.hProcess, 1);
        ::WaitForSingleObject(process.hProcess, 10000);
        ADD_FAILURE() << "the checks at " << dpi << " dpi ran longer than three minutes";
    }
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    EXPECT_EQ(exitCode, 0u) << "a check at " << dpi << " dpi failed (its output is above)";
    std::ifstream lines(report);
    std::string ran((std::istreambuf_iterator<char>(lines)), std::istreambuf_iterator<char>());
    lines.close();
    std::filesystem::remove(report);
    return ran;
}

TEST(ContainerDpiTest, TheStripFollowsTheScreensResolutionWhereTheContainerDoes) {
    if (ChildRunDpi() != 0) GTEST_SKIP() << "a child run";
    const ::HWND probe = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!probe) GTEST_SKIP() << "no display to create windows on";
    ::DestroyWindow(probe);
    for (const DWORD dpi : {144u, 192u}) {
        EXPECT_EQ(RunChecksAtDpi(dpi),
                  "TheStripIsScaledOnScreenAndKeepsItsOwnPixelsInEvents\n"
                  "TheWindowShowsOurSurfaceAtTheScreensScaleOutsideTheCaptions\n"
                  "FollowsTheWindowToAMonitorOfAnotherResolution\n"
                  "KeepsTheStripAtTheControlsOwnPixels\n")
            << "at " << dpi << " dpi";
    }
}

}  // namespace
}  // namespace lumora::server::testing
