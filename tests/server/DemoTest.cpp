// SPDX-License-Identifier: MIT
// The demo container: its window hosts the registered control in the
// system's ATL container window, and the list below follows the strip's
// RowPressed event. The window needs a display (run under xvfb-run).
#include "WindowsHeaders.h"

#include <gtest/gtest.h>

#include <oleacc.h>
#include <uiautomationcore.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "AtlContainer.h"
#include "DemoCommandLine.h"
#include "DemoWindow.h"
#include "DorvaneLumoraStyleList.h"
#include "PointerReplay.h"
#include "SampleRows.h"
#include "server/RecordingSink.h"

namespace lumora::windemo {
namespace {

// The strip's columns as the demo sets them up: their horizontal middles.
constexpr int kColumnMiddles[] = {85, 240, 360};
constexpr int kStripMiddleY = 12;

std::string Narrow(const std::wstring& text) {
    std::string result;
    for (const wchar_t letter : text) result += letter < 0x80 ? static_cast<char>(letter) : '?';
    return result;
}

std::wstring CellText(::HWND list, int row, int column) {
    wchar_t text[128] = L"";
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

// One column of the list as it shows now, top to bottom.
std::vector<std::wstring> ListColumn(::HWND list, SampleColumn column) {
    std::vector<std::wstring> texts;
    const int rows = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) texts.push_back(CellText(list, row, static_cast<int>(column) - 1));
    return texts;
}

// Every row as "name|place|date", in list order.
std::vector<std::wstring> ListRows(::HWND list) {
    const auto names = ListColumn(list, SampleColumn::Name);
    const auto places = ListColumn(list, SampleColumn::Place);
    const auto dates = ListColumn(list, SampleColumn::Date);
    std::vector<std::wstring> rows;
    for (size_t i = 0; i < names.size(); ++i) rows.push_back(names[i] + L"|" + places[i] + L"|" + dates[i]);
    return rows;
}

std::vector<std::wstring> SortedCopy(std::vector<std::wstring> rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}

// The event's arguments as the control passes them: by reference, last
// first.
struct RowPressedArguments {
    short previous = 0;
    long column = 0;
    BSTR sort = nullptr;
    VARIANT arguments[3];
    DISPPARAMS params{arguments, nullptr, 3, 0};

    RowPressedArguments(long sortColumn, const wchar_t* word) : column(sortColumn), sort(::SysAllocString(word)) {
        V_VT(&arguments[2]) = VT_I2 | VT_BYREF;
        V_I2REF(&arguments[2]) = &previous;
        V_VT(&arguments[1]) = VT_I4 | VT_BYREF;
        V_I4REF(&arguments[1]) = &column;
        V_VT(&arguments[0]) = VT_BSTR | VT_BYREF;
        V_BSTRREF(&arguments[0]) = &sort;
    }
    ~RowPressedArguments() { ::SysFreeString(sort); }
    RowPressedArguments(const RowPressedArguments&) = delete;
    RowPressedArguments& operator=(const RowPressedArguments&) = delete;
};

HRESULT InvokeEvent(IDispatch& sink, DISPID id, DISPPARAMS& params) {
    return sink.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

std::wstring TemporaryFolder() {
    wchar_t folder[MAX_PATH];
    ::GetTempPathW(MAX_PATH, folder);
    return folder;
}

class DemoTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof(controls);
        controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES;
        ::InitCommonControlsEx(&controls);
        const ::HWND probe =
            ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        if (!probe) GTEST_SKIP() << "no display: the demo's window needs one (run under xvfb-run)";
        ::DestroyWindow(probe);
        std::wstring error;
        ASSERT_TRUE(atl_.Load(&error));
        window_ = std::make_unique<DemoWindow>(atl_);
        ASSERT_TRUE(window_->Create(::GetModuleHandleW(nullptr), &error)) << Narrow(error);
        window_->Show(SW_SHOWNORMAL);
        PumpMessagesFor(100);
    }
    void TearDown() override {
        window_.reset();
        PumpMessagesFor(50);
        ::OleUninitialize();
    }

    IDispatch& Sink() { return window_->Sink(); }
    ::HWND List() const { return window_->List(); }
    _LumoraListControl* Strip() {
        strip_.Reset();
        window_->Control()->QueryInterface(IID__LumoraListControl, ReceiveVoid(strip_));
        return strip_.get();
    }

    AtlContainer atl_;
    std::unique_ptr<DemoWindow> window_;
    ScopedComPtr<_LumoraListControl> strip_;
};

TEST_F(DemoTest, HostsTheControlAboveAListOfEveryRow) {
    ASSERT_NE(window_->Control(), nullptr);
    LONG columns = 0;
    ASSERT_EQ(Strip()->get_NumberOfRows(&columns), S_OK);
    EXPECT_EQ(columns, 3);
    const wchar_t* captions[] = {L"&Name", L"&Ort", L"&Datum"};
    for (LONG index = 1; index <= 3; ++index) {
        BSTR caption = nullptr;
        ASSERT_EQ(Strip()->get_RowCaption(index, &caption), S_OK);
        EXPECT_STREQ(caption, captions[index - 1]);
        ::SysFreeString(caption);
        LONG width = 0;
        Strip()->get_RowWidth(index, &width);
        EXPECT_EQ(::SendMessageW(List(), LVM_GETCOLUMNWIDTH, index - 1, 0), width) << "column " << index;
    }
    EXPECT_EQ(ListRows(List()).size(), SampleRows().size());
}

// One press per row: the column and direction the event reports, and the
// cell that must then be first and last.
struct SortCase {
    long column;
    const wchar_t* sort;
    const wchar_t* first;
    const wchar_t* last;
};
const SortCase kSortCases[] = {
    {1, L"ASC", L"Becker, Paul", L"Zimmermann, Noah"},
    {1, L"DESC", L"Zimmermann, Noah", L"Becker, Paul"},
    {2, L"ASC", L"Aachen", L"Wiesbaden"},
    {2, L"DESC", L"Wiesbaden", L"Aachen"},
    // Dates sort as dates, not as their text ("01.04.1973" would come first).
    {3, L"ASC", L"22.03.1958", L"07.07.2003"},
    {3, L"DESC", L"07.07.2003", L"22.03.1958"},
};

TEST_F(DemoTest, RowPressedSortsTheListByTheColumnInTheReportedDirection) {
    const auto before = SortedCopy(ListRows(List()));
    for (const SortCase& sort : kSortCases) {
        SCOPED_TRACE(::testing::Message() << "column " << sort.column << " " << Narrow(sort.sort));
        RowPressedArguments arguments(sort.column, sort.sort);
        ASSERT_EQ(InvokeEvent(Sink(), 1, arguments.params), S_OK);
        const auto column = ListColumn(List(), static_cast<SampleColumn>(sort.column));
        ASSERT_FALSE(column.empty());
        EXPECT_EQ(column.front(), sort.first);
        EXPECT_EQ(column.back(), sort.last);
        // Sorting moves whole rows and loses none.
        EXPECT_EQ(SortedCopy(ListRows(List())), before);
    }
}

TEST_F(DemoTest, TownsSortWithUmlautsBesideTheirBaseLetter) {
    RowPressedArguments arguments(2, L"ASC");
    ASSERT_EQ(InvokeEvent(Sink(), 1, arguments.params), S_OK);
    const auto towns = ListColumn(List(), SampleColumn::Place);
    const auto at = [&](const wchar_t* town) { return std::find(towns.begin(), towns.end(), town) - towns.begin(); };
    EXPECT_LT(at(L"K\u00F6ln"), at(L"Konstanz"));
    EXPECT_LT(at(L"D\u00FCsseldorf"), at(L"Erfurt"));
}

TEST_F(DemoTest, DatesInEveryDirectionFollowTheCalendar) {
    for (const wchar_t* sort : {L"ASC", L"DESC"}) {
        RowPressedArguments arguments(3, sort);
        ASSERT_EQ(InvokeEvent(Sink(), 1, arguments.params), S_OK);
        std::vector<long> keys;
        for (const auto& date : ListColumn(List(), SampleColumn::Date)) keys.push_back(DateKey(date).value_or(-1));
        if (std::wstring(sort) == L"ASC")
            EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
        else
            EXPECT_TRUE(std::is_sorted(keys.rbegin(), keys.rend()));
    }
}

TEST_F(DemoTest, EventsTheListCannotUseLeaveItAsItIs) {
    const auto before = ListRows(List());
    {
        RowPressedArguments arguments(4, L"ASC");  // a column the list does not have
        EXPECT_EQ(InvokeEvent(Sink(), 1, arguments.params), S_OK);
    }
    {
        RowPressedArguments arguments(0, L"ASC");  // no column pressed
        EXPECT_EQ(InvokeEvent(Sink(), 1, arguments.params), S_OK);
    }
    {
        RowPressedArguments arguments(2, L"UP");  // no direction word
        EXPECT_EQ(InvokeEvent(Sink(), 1, arguments.params), S_OK);
    }
    {
        RowPressedArguments arguments(2, L"ASC");  // MouseIn carries no sort request
        DISPPARAMS params{arguments.arguments, nullptr, 3, 0};
        EXPECT_EQ(InvokeEvent(Sink(), 2, params), S_OK);
    }
    {
        RowPressedArguments arguments(2, L"ASC");
        arguments.params.cArgs = 2;
        EXPECT_EQ(InvokeEvent(Sink(), 1, arguments.params), DISP_E_BADPARAMCOUNT);
    }
    {
        RowPressedArguments arguments(2, L"ASC");
        V_VT(&arguments.arguments[1]) = VT_I2 | VT_BYREF;  // SortRow must be a Long
        V_I2REF(&arguments.arguments[1]) = &arguments.previous;
        UINT argumentError = 99;
        EXPECT_EQ(Sink().Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &arguments.params, nullptr, nullptr, &argumentError),
                  DISP_E_TYPEMISMATCH);
        EXPECT_EQ(argumentError, 1u);
    }
    EXPECT_EQ(ListRows(List()), before);
}

TEST_F(DemoTest, TheControlsOwnRowPressedReachesTheListThroughItsConnectionPoint) {
    // A host's SelectedRow write raises RowPressed with SortedRow and the
    // column's sort flag, as a press does.
    ASSERT_EQ(Strip()->put_SortedRow(3), S_OK);
    ASSERT_EQ(Strip()->put_SelectedRow(3), S_OK);
    EXPECT_EQ(ListColumn(List(), SampleColumn::Date).front(), L"22.03.1958");
    ASSERT_EQ(Strip()->put_RowSorted(3, VARIANT_TRUE), S_OK);
    ASSERT_EQ(Strip()->put_SelectedRow(3), S_OK);
    EXPECT_EQ(ListColumn(List(), SampleColumn::Date).front(), L"07.07.2003");
}

TEST_F(DemoTest, AClickOnTheStripSortsTheList) {
    ScopedComPtr<IOleWindow> inPlace;
    ::HWND controlWindow = nullptr;
    if (FAILED(window_->Control()->QueryInterface(IID_IOleWindow, ReceiveVoid(inPlace))) ||
        FAILED(inPlace->GetWindow(&controlWindow)) || !controlWindow)
        GTEST_SKIP() << "the control does not activate in place with a window of its own yet";
    ::SetForegroundWindow(window_->Window());
    PumpMessagesFor(200);
    const int x = kColumnMiddles[1];
    const std::vector<PointerStep> click = {{PointerStep::Kind::Move, x, kStripMiddleY},
                                            {PointerStep::Kind::Down, x, kStripMiddleY},
                                            {PointerStep::Kind::Up, x, kStripMiddleY}};
    ASSERT_TRUE(ReplayPointerSteps(window_->Strip(), click));
    EXPECT_EQ(ListColumn(List(), SampleColumn::Place).front(), L"Aachen");
    ASSERT_TRUE(ReplayPointerSteps(window_->Strip(), click));
    EXPECT_EQ(ListColumn(List(), SampleColumn::Place).front(), L"Wiesbaden");
}

TEST_F(DemoTest, ASavedFormLoadsIntoANewStripAndTheListFollowsItsWidths) {
    ASSERT_EQ(Strip()->put_RowWidth(2, 90), S_OK);
    const BSTR caption = ::SysAllocString(L"&Stadt");
    ASSERT_EQ(Strip()->put_RowCaption(2, caption), S_OK);
    ::SysFreeString(caption);
    const std::wstring folder = TemporaryFolder() + L"lumora-demo-test\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"form.lumora";
    ASSERT_EQ(window_->SaveFormFile(path), S_OK);
    // The save went through a temporary file that is gone now.
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW((folder + L"*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);
    if (search != INVALID_HANDLE_VALUE) ::FindClose(search);

    ::SendMessageW(List(), LVM_SETCOLUMNWIDTH, 1, 50);
    const IUnknown* saved = window_->Control();
    ASSERT_EQ(window_->LoadFormFile(path), S_OK);
    EXPECT_NE(window_->Control(), saved);
    BSTR loaded = nullptr;
    ASSERT_EQ(Strip()->get_RowCaption(2, &loaded), S_OK);
    EXPECT_STREQ(loaded, L"&Stadt");
    ::SysFreeString(loaded);
    EXPECT_EQ(::SendMessageW(List(), LVM_GETCOLUMNWIDTH, 1, 0), 90);

    // The new strip's events reach the list.
    RowPressedArguments arguments(1, L"DESC");
    ASSERT_EQ(Strip()->put_SortedRow(1), S_OK);
    ASSERT_EQ(Strip()->put_RowSorted(1, VARIANT_TRUE), S_OK);
    ASSERT_EQ(Strip()->put_SelectedRow(1), S_OK);
    EXPECT_EQ(ListColumn(List(), SampleColumn::Name).front(), L"Zimmermann, Noah");
    ::DeleteFileW(path.c_str());
    ::RemoveDirectoryW(folder.c_str());
}

TEST_F(DemoTest, AFormThatIsNoSavedStateLeavesTheStripInPlace) {
    const std::wstring path = TemporaryFolder() + L"lumora-demo-bad.lumora";
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, "not a form", 10, &written, nullptr);
    ::CloseHandle(file);
    const IUnknown* before = window_->Control();
    const ::HWND host = window_->Strip();
    EXPECT_TRUE(FAILED(window_->LoadFormFile(path)));
    EXPECT_TRUE(FAILED(window_->LoadFormFile(path + L".missing")));
    EXPECT_EQ(window_->Control(), before);
    EXPECT_EQ(window_->Strip(), host);
    ::DeleteFileW(path.c_str());
}

// One key of the keyboard through the system's input queue.
void SendKey(WORD virtualKey, bool release) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0u;
    ::SendInput(1, &input, sizeof(input));
}

// The key of a Russian keyboard that types Ж, as its driver reports it.
constexpr WORD kZheKey = VK_OEM_1;
constexpr LPARAM kZheScanCode = 0x27;
// The repeat count, and the context code that says Alt is down.
constexpr LPARAM kOnceWithAlt = 0x20000001;
// The previous key state and the transition state of a released key.
constexpr LPARAM kReleased = 0xC0000000;

// The Ж key of a Russian keyboard while Alt is down, its messages posted
// to the focused window as the keyboard's driver posts them. Under Wine a
// character sent with KEYEVENTF_UNICODE while Alt is down comes out of
// TranslateMessage with the Alt flag in its bits (U+2416 for U+0416), and
// Xvfb's keyboard is an American one.
void TypeZhe(::HWND focus) {
    const LPARAM key = kOnceWithAlt | kZheScanCode << 16;
    ::PostMessageW(focus, WM_SYSKEYDOWN, kZheKey, key);
    ::PostMessageW(focus, WM_SYSCHAR, L'\u0416', key);
    ::PostMessageW(focus, WM_SYSKEYUP, kZheKey, key | kReleased);
}

void TypeN(::HWND) {
    SendKey('N', false);
    SendKey('N', true);
}

bool AltIsDown() { return (::GetKeyState(VK_MENU) & 0x8000) != 0; }

// Closes a menu the keys opened, whose modal loop would otherwise hold the
// test, and notes that one was open.
class MenuGuard {
public:
    MenuGuard() : timer_(::SetTimer(nullptr, 0, kMenuLimitMilliseconds, &MenuGuard::Tick)) { opened_ = false; }
    ~MenuGuard() { ::KillTimer(nullptr, timer_); }
    MenuGuard(const MenuGuard&) = delete;
    MenuGuard& operator=(const MenuGuard&) = delete;
    static bool Opened() noexcept { return opened_; }

private:
    static constexpr UINT kMenuLimitMilliseconds = 300;
    static void CALLBACK Tick(::HWND, UINT, UINT_PTR, DWORD) {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        if (::GetGUIThreadInfo(::GetCurrentThreadId(), &info) && (info.flags & GUI_INMENUMODE)) {
            opened_ = true;
            ::EndMenu();
        }
    }
    static inline bool opened_ = false;
    UINT_PTR timer_;
};

// Runs the thread's messages through the demo's own loop until done() says
// so or a second passes; keeps a line per key message for failure output.
bool PumpThroughDemo(DemoWindow& window, const std::function<bool()>& done, std::string* keys) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (std::chrono::steady_clock::now() < deadline) {
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) {
                char line[64];
                std::snprintf(line, sizeof(line), " %04X:%04X:%08X", message.message,
                              static_cast<unsigned>(message.wParam), static_cast<unsigned>(message.lParam));
                *keys += line;
            }
            if (window.PreTranslateMessage(message)) continue;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (done()) return true;
        ::Sleep(10);
    }
    return done();
}

TEST_F(DemoTest, AltAndAnAccessKeyOfAnyScriptFocusesTheStripAndChangesNothingElse) {
    const wchar_t* captions[] = {L"&\u0416\u0443\u043A", L"\u65E5\u672C&\u8A9E", L"&Name"};
    for (LONG index = 1; index <= 3; ++index) {
        const BSTR caption = ::SysAllocString(captions[index - 1]);
        ASSERT_EQ(Strip()->put_RowCaption(index, caption), S_OK);
        ::SysFreeString(caption);
    }
    ScopedComPtr<IOleWindow> inPlace;
    ::HWND strip = nullptr;
    ASSERT_EQ(window_->Control()->QueryInterface(IID_IOleWindow, ReceiveVoid(inPlace)), S_OK);
    ASSERT_EQ(inPlace->GetWindow(&strip), S_OK);
    ::SetForegroundWindow(window_->Window());
    const auto rows = ListRows(List());
    LONG sorted = -1;
    ASSERT_EQ(Strip()->get_SortedRow(&sorted), S_OK);

    struct Case {
        const char* keys;
        void (*type)(::HWND focus);
    };
    for (const Case& press : {Case{"Alt+Zhe", &TypeZhe}, Case{"Alt+N", &TypeN}}) {
        SCOPED_TRACE(press.keys);
        ::SetFocus(List());
        PumpMessagesFor(30);
        ASSERT_EQ(::GetFocus(), List());
        const MenuGuard menu;
        std::string keys;
        SendKey(VK_MENU, false);
        ASSERT_TRUE(PumpThroughDemo(*window_, &AltIsDown, &keys));
        press.type(List());
        SendKey(VK_MENU, true);
        EXPECT_TRUE(PumpThroughDemo(
            *window_, [&] { return ::GetFocus() == strip; }, &keys))
            << "keys:" << keys;
        PumpThroughDemo(
            *window_, [] { return !AltIsDown(); }, &keys);
        EXPECT_EQ(ListRows(List()), rows) << "no RowPressed reached the list";
        LONG sortedAfter = -1;
        Strip()->get_SortedRow(&sortedAfter);
        EXPECT_EQ(sortedAfter, sorted);
        EXPECT_FALSE(MenuGuard::Opened()) << "letting Alt go opened the menu bar";
    }
}

// The strip's window, as the container activated it in place.
::HWND StripWindow(IUnknown* control) {
    ScopedComPtr<IOleWindow> inPlace;
    ::HWND strip = nullptr;
    if (SUCCEEDED(control->QueryInterface(IID_IOleWindow, ReceiveVoid(inPlace)))) inPlace->GetWindow(&strip);
    return strip;
}

// Presses and lets go of one key, then runs the demo's loop until the
// strip's events (RowPressed and any other) reach the sink.
std::vector<std::string> TypeAndTakeEvents(DemoWindow& window, server::testing::RecordingSink& sink, WORD key,
                                           std::size_t expected) {
    SendKey(key, false);
    SendKey(key, true);
    std::vector<std::string> events;
    std::string keys;
    PumpThroughDemo(
        window,
        [&] {
            for (std::string& line : sink.TakeLog())
                if (line.rfind("OnChanged", 0) != 0) events.push_back(std::move(line));
            return events.size() >= expected;
        },
        &keys);
    return events;
}

TEST_F(DemoTest, TabRightAndSpaceSortTheListByTheSecondColumnWithoutMouseEvents) {
    const ::HWND strip = StripWindow(window_->Control());
    ASSERT_NE(strip, nullptr);
    ::SetForegroundWindow(window_->Window());
    ::SetFocus(List());
    PumpMessagesFor(30);
    ScopedComPtr<IDispatch> control;
    ASSERT_EQ(window_->Control()->QueryInterface(IID_IDispatch, ReceiveVoid(control)), S_OK);
    server::testing::RecordingSink sink(control.get());
    sink.Connect();

    // Shift+Tab from the list goes back to the strip, the form's last stop.
    std::string keys;
    SendKey(VK_SHIFT, false);
    SendKey(VK_TAB, false);
    SendKey(VK_TAB, true);
    SendKey(VK_SHIFT, true);
    EXPECT_TRUE(PumpThroughDemo(
        *window_, [&] { return ::GetFocus() == strip; }, &keys))
        << "keys:" << keys;
    EXPECT_EQ(TypeAndTakeEvents(*window_, sink, VK_RIGHT, 0), std::vector<std::string>{});
    EXPECT_EQ(TypeAndTakeEvents(*window_, sink, VK_SPACE, 1), std::vector<std::string>{"RowPressed 0 2 ASC"});
    EXPECT_EQ(ListColumn(List(), SampleColumn::Place).front(), L"Aachen");
    EXPECT_EQ(TypeAndTakeEvents(*window_, sink, VK_SPACE, 1), std::vector<std::string>{"RowPressed 2 2 DESC"});
    EXPECT_EQ(ListColumn(List(), SampleColumn::Place).front(), L"Wiesbaden");
    EXPECT_EQ(::GetFocus(), strip);
    sink.Disconnect();
}

// The system's events about the strip's columns, as a client out of the
// process hears them: "State 2", "Description 2".
class WinEventRecorder {
public:
    explicit WinEventRecorder(::HWND strip)
        : hook_(::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_DESCRIPTIONCHANGE, nullptr, &Record, 0, 0,
                                  WINEVENT_OUTOFCONTEXT)) {
        strip_ = strip;
        log_.clear();
    }
    ~WinEventRecorder() { ::UnhookWinEvent(hook_); }
    WinEventRecorder(const WinEventRecorder&) = delete;
    WinEventRecorder& operator=(const WinEventRecorder&) = delete;
    bool Hooked() const { return hook_ != nullptr; }
    std::vector<std::string> Take() { return std::exchange(log_, {}); }

private:
    static void CALLBACK Record(HWINEVENTHOOK, DWORD event, ::HWND window, LONG object, LONG child, DWORD, DWORD) {
        if (window != strip_ || object != OBJID_CLIENT) return;
        const char* name = event == EVENT_OBJECT_FOCUS               ? "Focus"
                           : event == EVENT_OBJECT_STATECHANGE       ? "State"
                           : event == EVENT_OBJECT_NAMECHANGE        ? "Name"
                           : event == EVENT_OBJECT_DESCRIPTIONCHANGE ? "Description"
                                                                     : nullptr;
        if (name) log_.push_back(std::string(name) + " " + std::to_string(child));
    }
    static inline ::HWND strip_ = nullptr;
    static inline std::vector<std::string> log_;
    HWINEVENTHOOK hook_;
};

std::wstring AccessibleName(IAccessible& strip, long id) {
    VARIANT child;
    V_VT(&child) = VT_I4;
    V_I4(&child) = id;
    BSTR name = nullptr;
    if (FAILED(strip.get_accName(child, &name))) return L"<failed>";
    std::wstring result = name ? name : L"";
    ::SysFreeString(name);
    return result;
}

TEST_F(DemoTest, AssistiveTechnologyPressesAColumnAndHearsItsPressAndItsSort) {
    const ::HWND strip = StripWindow(window_->Control());
    ASSERT_NE(strip, nullptr);
    ScopedComPtr<IAccessible> client;
    ASSERT_EQ(::AccessibleObjectFromWindow(strip, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                           ReceiveVoid(client)),
              S_OK);
    LONG count = 0;
    ASSERT_EQ(client->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(AccessibleName(*client.get(), 1), L"Name");
    EXPECT_EQ(AccessibleName(*client.get(), 2), L"Ort");
    EXPECT_EQ(AccessibleName(*client.get(), 3), L"Datum");

    WinEventRecorder events(strip);
    ASSERT_TRUE(events.Hooked());
    VARIANT place;
    V_VT(&place) = VT_I4;
    V_I4(&place) = 2;
    // The press shows and goes within the call; the sort is told once,
    // in its new direction.
    const std::vector<std::string> pressed = {"State 2", "State 2", "Description 2"};
    ASSERT_EQ(client->accDoDefaultAction(place), S_OK);
    PumpMessagesFor(50);
    EXPECT_EQ(ListColumn(List(), SampleColumn::Place).front(), L"Aachen");
    EXPECT_EQ(events.Take(), pressed);
    ASSERT_EQ(client->accDoDefaultAction(place), S_OK);
    PumpMessagesFor(50);
    EXPECT_EQ(ListColumn(List(), SampleColumn::Place).front(), L"Wiesbaden");
    EXPECT_EQ(events.Take(), pressed);

    // A new caption is a new name; sorting another column changes two
    // descriptions.
    const BSTR caption = ::SysAllocString(L"&Stadt");
    ASSERT_EQ(Strip()->put_RowCaption(2, caption), S_OK);
    ::SysFreeString(caption);
    V_I4(&place) = 3;
    ASSERT_EQ(client->accDoDefaultAction(place), S_OK);
    PumpMessagesFor(50);
    EXPECT_EQ(events.Take(),
              (std::vector<std::string>{"Name 2", "State 3", "State 3", "Description 2", "Description 3"}));
    EXPECT_EQ(AccessibleName(*client.get(), 2), L"Stadt");

    // The focus comes to the sorted column and follows the keys; the
    // system tells first that the window itself has the focus.
    ::SetFocus(strip);
    ::SendMessageW(strip, WM_KEYDOWN, VK_LEFT, 0);
    ::SetFocus(List());
    ::SendMessageW(strip, WM_KEYDOWN, VK_LEFT, 0);
    PumpMessagesFor(50);
    EXPECT_EQ(events.Take(), (std::vector<std::string>{"Focus 0", "Focus 3", "Focus 2"}));
}

// Wine's UI Automation client, looked up by name: the compiler's headers
// declare no client calls. Wine 8 has these; it lacks the pattern calls
// (UiaGetPatternProvider is a stub that stops the program), the
// IUIAutomation object, event delivery and some properties (whether an
// element can be invoked), so a client here reads the tree and its names,
// types, keys and states but cannot invoke or listen.
class UiaClient {
public:
    using Node = struct UiaNodeHandle*;

    UiaClient() {
        const ::HMODULE library = ::LoadLibraryW(L"uiautomationcore.dll");
        nodeFromHandle_ = Lookup<decltype(nodeFromHandle_)>(library, "UiaNodeFromHandle");
        getPropertyValue_ = Lookup<decltype(getPropertyValue_)>(library, "UiaGetPropertyValue");
        navigate_ = Lookup<decltype(navigate_)>(library, "UiaNavigate");
        nodeFromVariant_ = Lookup<decltype(nodeFromVariant_)>(library, "UiaHUiaNodeFromVariant");
        nodeRelease_ = Lookup<decltype(nodeRelease_)>(library, "UiaNodeRelease");
    }
    bool Loaded() const {
        return nodeFromHandle_ && getPropertyValue_ && navigate_ && nodeFromVariant_ && nodeRelease_;
    }

    Node FromWindow(::HWND window) {
        Node node = nullptr;
        return SUCCEEDED(nodeFromHandle_(window, &node)) ? node : nullptr;
    }
    // The node in that direction, which the caller releases, or null.
    Node Navigate(Node from, NavigateDirection direction) {
        Condition any{0};
        CacheRequest request{&any, kScopeElement, nullptr, 0, nullptr, 0, kElementModeFull};
        SAFEARRAY* found = nullptr;
        BSTR tree = nullptr;
        Node node = nullptr;
        if (SUCCEEDED(navigate_(from, direction, &any, &request, &found, &tree)) && found) {
            LONG index[2] = {0, 0};
            VARIANT value;
            ::VariantInit(&value);
            if (SUCCEEDED(::SafeArrayGetElement(found, index, &value))) nodeFromVariant_(&value, &node);
            ::VariantClear(&value);
            ::SafeArrayDestroy(found);
        }
        ::SysFreeString(tree);
        return node;
    }
    // A property as text: "'Ort'", "50035", "true"; "none" when unset.
    std::string Property(Node node, PROPERTYID property) {
        VARIANT value;
        ::VariantInit(&value);
        if (FAILED(getPropertyValue_(node, property, &value))) return "failed";
        std::string shown = V_VT(&value) == VT_BSTR   ? std::string("'").append(Narrow(V_BSTR(&value))).append("'")
                            : V_VT(&value) == VT_I4   ? std::to_string(V_I4(&value))
                            : V_VT(&value) == VT_BOOL ? (V_BOOL(&value) ? "true" : "false")
                                                      : "none";
        ::VariantClear(&value);
        return shown;
    }
    void Release(Node node) {
        if (node) nodeRelease_(node);
    }

private:
    struct Condition {
        int type;
    };
    struct CacheRequest {
        Condition* view;
        int scope;
        PROPERTYID* properties;
        int propertyCount;
        PATTERNID* patterns;
        int patternCount;
        int mode;
    };
    static constexpr int kScopeElement = 1;
    static constexpr int kElementModeFull = 1;

    template <typename Function>
    static Function Lookup(::HMODULE library, const char* name) {
        return library ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(library, name)))
                       : nullptr;
    }

    HRESULT(WINAPI* nodeFromHandle_)(::HWND, Node*) = nullptr;
    HRESULT(WINAPI* getPropertyValue_)(Node, PROPERTYID, VARIANT*) = nullptr;
    HRESULT(WINAPI* navigate_)(Node, NavigateDirection, Condition*, CacheRequest*, SAFEARRAY**, BSTR*) = nullptr;
    HRESULT(WINAPI* nodeFromVariant_)(VARIANT*, Node*) = nullptr;
    BOOL(WINAPI* nodeRelease_)(Node) = nullptr;
};

// What a UI Automation client reads of the strip, from a thread of its own
// as a screen reader reads from its own process: the strip's thread keeps
// its messages flowing, which the client's calls need.
struct HeaderAsRead {
    std::string header;
    std::vector<std::string> items;
    std::atomic<bool> done{false};
};

void ReadHeader(::HWND strip, HeaderAsRead& read) {
    constexpr PROPERTYID kControlType = 30003, kName = 30005, kAccessKey = 30007, kItemStatus = 30026;
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
        UiaClient uia;
        const UiaClient::Node header = uia.FromWindow(strip);
        read.header = header ? uia.Property(header, kControlType) : "no node";
        UiaClient::Node item = header ? uia.Navigate(header, NavigateDirection_FirstChild) : nullptr;
        while (item && read.items.size() < 10) {
            read.items.push_back(uia.Property(item, kControlType) + " " + uia.Property(item, kName) + " " +
                                 uia.Property(item, kItemStatus) + " " + uia.Property(item, kAccessKey));
            const UiaClient::Node next = uia.Navigate(item, NavigateDirection_NextSibling);
            uia.Release(item);
            item = next;
        }
        uia.Release(header);
    }
    ::CoUninitialize();
    read.done = true;
}

TEST_F(DemoTest, UiAutomationClientsReadAHeaderOfHeaderItemsWithTheirSort) {
    if (!UiaClient().Loaded()) GTEST_SKIP() << "this system's uiautomationcore.dll has no UI Automation client calls";
    const ::HWND strip = StripWindow(window_->Control());
    ASSERT_NE(strip, nullptr);

    // Column 2 is sorted through the accessible object's action, as a
    // client that cannot reach UI Automation's patterns presses it.
    ScopedComPtr<IAccessible> client;
    ASSERT_EQ(::AccessibleObjectFromWindow(strip, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                           ReceiveVoid(client)),
              S_OK);
    VARIANT place;
    V_VT(&place) = VT_I4;
    V_I4(&place) = 2;
    ASSERT_EQ(client->accDoDefaultAction(place), S_OK);
    PumpMessagesFor(50);
    EXPECT_EQ(ListColumn(List(), SampleColumn::Place).front(), L"Aachen");

    // A client that never answers fails the test and is left behind.
    auto read = std::make_shared<HeaderAsRead>();
    std::thread reader([strip, read] { ReadHeader(strip, *read); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!read->done && std::chrono::steady_clock::now() < deadline) PumpMessagesFor(10);
    if (!read->done) {
        reader.detach();
        FAIL() << "the UI Automation client got no answer in 20 s";
    }
    reader.join();
    EXPECT_EQ(read->header, "50034");
    EXPECT_EQ(read->items,
              (std::vector<std::string>{"50035 'Name' '' 'Alt+N'", "50035 'Ort' 'sorted ascending' 'Alt+O'",
                                        "50035 'Datum' '' 'Alt+D'"}));
}

// The command line, which a wrong call must reject with a reason.
struct ArgumentsCase {
    std::vector<std::wstring> arguments;
    bool accepted;
};

TEST(DemoCommandLineTest, AcceptsTheDocumentedFormsAndRejectsTheRest) {
    const ArgumentsCase cases[] = {
        {{}, true},
        {{L"--form", L"a.lumora"}, true},
        {{L"--form", L"a", L"--screenshot", L"b.bmp", L"--events", L"move 1 2; down 1 2; up 1 2;"}, true},
        {{L"--form", L"a.json", L"--screenshot", L"b.bmp", L"--save", L"c.lumora"}, true},
        {{L"--form", L"a.json", L"--save", L"c.lumora"}, false},
        {{L"--screenshot"}, false},
        {{L"--form", L""}, false},
        {{L"--events", L"move 1 2"}, false},
        {{L"--screenshot", L"b.bmp", L"--events", L"click 1 2"}, false},
        {{L"--screenshot", L"b.bmp", L"--events", L"move 1"}, false},
        {{L"--screenshot", L"b.bmp", L"--events", L"move 1 2 3"}, false},
        {{L"--screenshot", L"b.bmp", L"--events", L"move 1 99999"}, false},
        {{L"--window", L"x"}, false},
    };
    for (const ArgumentsCase& sample : cases) {
        std::wstring error;
        const auto options = ParseDemoArguments(sample.arguments, &error);
        EXPECT_EQ(options.has_value(), sample.accepted) << "case with " << sample.arguments.size() << " words";
        EXPECT_EQ(error.empty(), sample.accepted);
    }
    std::wstring error;
    const auto steps = ParsePointerSteps(L" move 10 5 ;down 10 5; up -3 7", &error);
    ASSERT_TRUE(steps.has_value());
    const std::vector<PointerStep> expected = {
        {PointerStep::Kind::Move, 10, 5}, {PointerStep::Kind::Down, 10, 5}, {PointerStep::Kind::Up, -3, 7}};
    EXPECT_EQ(*steps, expected);
}

}  // namespace
}  // namespace lumora::windemo
