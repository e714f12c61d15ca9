// SPDX-License-Identifier: MIT
// The strip's UI Automation elements, read and pressed as a client of the
// system's UI Automation reaches them, over a control on the software
// surface shown in a plain window. The system's calls for raising events
// are replaced by ones that write down what a client would hear, since
// Wine delivers none of them.
#include "WindowsHeaders.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "StripAnnouncer.h"
#include "StripAutomation.h"
#include "lumora/headless/HeadlessHost.h"
#include "platform/win32/ScopedComPtr.h"

namespace lumora::server {
namespace {

using win32::ScopedComPtr;
namespace uia = automation;

std::string Utf8(const wchar_t* text, int length) {
    if (length <= 0) return {};
    std::string result(static_cast<std::size_t>(length) * 3, '\0');
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, length, result.data(), static_cast<int>(result.size()),
                                           nullptr, nullptr);
    result.resize(static_cast<std::size_t>(size));
    return result;
}

std::string Utf8(BSTR text) { return text ? Utf8(text, static_cast<int>(::SysStringLen(text))) : std::string(); }

// What a client reads of a property: "'Größe'", "50035", "true", "none".
std::string Show(const VARIANT& value) {
    switch (V_VT(&value)) {
        case VT_EMPTY:
            return "none";
        case VT_BSTR:
            return std::string("'").append(Utf8(V_BSTR(&value))).append("'");
        case VT_I4:
            return std::to_string(V_I4(&value));
        case VT_BOOL:
            return V_BOOL(&value) ? "true" : "false";
        default:
            return "type " + std::to_string(V_VT(&value));
    }
}

std::string Property(IRawElementProviderSimple* element, PROPERTYID property) {
    VARIANT value;
    const HRESULT hr = element->GetPropertyValue(property, &value);
    if (FAILED(hr)) return "failed " + std::to_string(static_cast<unsigned long>(hr));
    const std::string shown = Show(value);
    ::VariantClear(&value);
    return shown;
}

// The column an element names, read from the last part of its runtime id.
long ColumnOf(IRawElementProviderSimple* element) {
    ScopedComPtr<IRawElementProviderFragment> fragment;
    if (FAILED(element->QueryInterface(__uuidof(IRawElementProviderFragment),
                                       reinterpret_cast<void**>(fragment.Receive()))))
        return -1;
    SAFEARRAY* id = nullptr;
    if (FAILED(fragment->GetRuntimeId(&id)) || !id) return 0;
    LONG index = 1;
    LONG column = -1;
    ::SafeArrayGetElement(id, &index, &column);
    ::SafeArrayDestroy(id);
    return column;
}

// What listening clients hear, one line per event.
std::vector<std::string> heard;
bool listening = true;

BOOL WINAPI ClientsAreListening() { return listening; }

HRESULT WINAPI RaiseEvent(IRawElementProviderSimple* element, EVENTID event) {
    const char* name = event == uia::kFocusChangedEvent ? "Focus" : event == uia::kInvokedEvent ? "Invoked" : "Event";
    heard.push_back(std::string(name) + " " + std::to_string(ColumnOf(element)));
    return S_OK;
}

HRESULT WINAPI RaisePropertyChanged(IRawElementProviderSimple* element, PROPERTYID property, VARIANT was, VARIANT is) {
    const char* name = property == uia::kNameProperty         ? "Name"
                       : property == uia::kItemStatusProperty ? "ItemStatus"
                                                              : "Property";
    heard.push_back(std::string(name) + " " + std::to_string(ColumnOf(element)) + " " + Show(was) + " -> " + Show(is));
    return S_OK;
}

HRESULT WINAPI RaiseNotification(IRawElementProviderSimple* element, int kind, int processing, BSTR text,
                                 BSTR activity) {
    heard.push_back("Notification " + std::to_string(ColumnOf(element)) + " kind " + std::to_string(kind) +
                    " processing " + std::to_string(processing) + " '" + Utf8(text) + "' " + Utf8(activity));
    return S_OK;
}

AutomationCalls RecordingCalls() {
    AutomationCalls calls;
    calls.clientsAreListening = &ClientsAreListening;
    calls.raiseAutomationEvent = &RaiseEvent;
    calls.raisePropertyChangedEvent = &RaisePropertyChanged;
    calls.raiseNotificationEvent = &RaiseNotification;
    return calls;
}

// The strip's window, which runs clients' calls when asked to.
LRESULT CALLBACK StripWindowProcedure(::HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == uia::kRunClientCallsMessage) {
        if (auto* root = reinterpret_cast<StripAutomation*>(::GetWindowLongPtrW(window, GWLP_USERDATA)))
            root->RunClientCalls();
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

::HWND MakeStripWindow() {
    static const wchar_t kClass[] = L"LumoraAutomationTestStrip";
    static const ATOM registered = [] {
        WNDCLASSW description{};
        description.lpfnWndProc = &StripWindowProcedure;
        description.hInstance = ::GetModuleHandleW(nullptr);
        description.lpszClassName = kClass;
        return ::RegisterClassW(&description);
    }();
    if (!registered) return nullptr;
    return ::CreateWindowExW(0, kClass, L"", WS_POPUP, 200, 150, 300, 25, nullptr, nullptr, ::GetModuleHandleW(nullptr),
                             nullptr);
}

// The window site's part, on a window of its own: presses go to the
// control, and what changed is announced once the press is done.
class TestStrip final : public IAccessibleStrip {
public:
    TestStrip() : window_(MakeStripWindow()), host_(300, 25) {
        host_->InitProperties();
        host_->AddRow();
        host_->AddRow();
        host_->put_FontName(u"DejaVu Sans");
        host_->put_RowCaption(1, u"&Name");
        host_->put_RowCaption(2, u"&Größe");
        host_->put_RowCaption(3, u"Datum");
        host_.TakeLog();
    }
    ~TestStrip() override { ::DestroyWindow(window_); }
    TestStrip(const TestStrip&) = delete;
    TestStrip& operator=(const TestStrip&) = delete;

    void Attach(StripAutomation* automation) {
        automation_ = automation;
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(automation));
        Announce();
    }
    void CloseWindow() { ::DestroyWindow(window_); }
    void Announce() { announcer_.Announce(window_, host_.control(), false, automation_); }
    headless::HeadlessHost& host() { return host_; }

    ::HWND Window() const noexcept override { return window_; }
    LumoraListControl* Strip() const noexcept override { return closed_ ? nullptr : &host_.control(); }
    bool PressColumn(Long column) override {
        const bool pressed = host_->PressRow(column);
        Announce();
        return pressed;
    }
    const DeviceScale& ScreenScale() const noexcept override { return scale_; }
    void Close() { closed_ = true; }

private:
    ::HWND window_;
    mutable headless::HeadlessHost host_;
    StripAnnouncer announcer_;
    StripAutomation* automation_ = nullptr;
    DeviceScale scale_;
    bool closed_ = false;
};

class StripAutomationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(strip_.Window(), nullptr);
        heard.clear();
        listening = true;
        root_ = new StripAutomation(strip_, calls_);
        strip_.Attach(root_);
    }
    void TearDown() override {
        strip_.Attach(nullptr);
        root_->Disconnect();
        root_->Release();
    }

    ScopedComPtr<IRawElementProviderFragment> Child(NavigateDirection direction,
                                                    IRawElementProviderFragment* from = nullptr) {
        ScopedComPtr<IRawElementProviderFragment> reached;
        EXPECT_EQ(
            (from ? from : static_cast<IRawElementProviderFragment*>(root_))->Navigate(direction, reached.Receive()),
            S_OK);
        return reached;
    }
    static ScopedComPtr<IRawElementProviderSimple> Simple(IUnknown* element) {
        ScopedComPtr<IRawElementProviderSimple> simple;
        if (element)
            element->QueryInterface(__uuidof(IRawElementProviderSimple), reinterpret_cast<void**>(simple.Receive()));
        return simple;
    }
    static HRESULT Invoke(IUnknown* element) {
        ScopedComPtr<IUnknown> pattern;
        HRESULT hr = Simple(element)->GetPatternProvider(uia::kInvokePattern, pattern.Receive());
        if (FAILED(hr) || !pattern) return FAILED(hr) ? hr : E_NOINTERFACE;
        ScopedComPtr<IInvokeProvider> invoke;
        hr = pattern->QueryInterface(__uuidof(IInvokeProvider), reinterpret_cast<void**>(invoke.Receive()));
        return SUCCEEDED(hr) ? invoke->Invoke() : hr;
    }

    const AutomationCalls calls_ = RecordingCalls();
    TestStrip strip_;
    StripAutomation* root_ = nullptr;
};

TEST_F(StripAutomationTest, TheStripIsAHorizontalHeaderOfHeaderItemsThatSayTheirCaptionKeyAndSort) {
    EXPECT_EQ(Property(root_, uia::kControlTypeProperty), std::to_string(uia::kHeaderControlType));
    EXPECT_EQ(Property(root_, uia::kOrientationProperty), "1");
    EXPECT_EQ(Property(root_, uia::kNameProperty), "none") << "the window's provider names the strip";

    struct Expected {
        std::string name, key;
    };
    const Expected columns[] = {{"'Name'", "'Alt+N'"}, {"'Größe'", "'Alt+G'"}, {"'Datum'", "none"}};
    ScopedComPtr<IRawElementProviderFragment> item = Child(NavigateDirection_FirstChild);
    for (long column = 1; column <= 3; ++column) {
        SCOPED_TRACE(column);
        ASSERT_NE(item.get(), nullptr);
        const auto simple = Simple(item.get());
        EXPECT_EQ(ColumnOf(simple.get()), column);
        EXPECT_EQ(Property(simple.get(), uia::kControlTypeProperty), std::to_string(uia::kHeaderItemControlType));
        EXPECT_EQ(Property(simple.get(), uia::kNameProperty), columns[column - 1].name);
        EXPECT_EQ(Property(simple.get(), uia::kAccessKeyProperty), columns[column - 1].key);
        EXPECT_EQ(Property(simple.get(), uia::kItemStatusProperty), "''");
        EXPECT_EQ(Property(simple.get(), uia::kIsInvokePatternAvailableProperty), "true");
        EXPECT_EQ(Property(simple.get(), uia::kHasKeyboardFocusProperty), "false");
        // The item lies where the strip drew the column, on the screen.
        UiaRect place{};
        ASSERT_EQ(item->get_BoundingRectangle(&place), S_OK);
        const Rect& laid = strip_.host()->RowRects()[static_cast<std::size_t>(column)];
        ::POINT origin{0, 0};
        ::ClientToScreen(strip_.Window(), &origin);
        EXPECT_EQ(place.left, origin.x + laid.left);
        EXPECT_EQ(place.top, origin.y + laid.top);
        EXPECT_EQ(place.width, laid.right - laid.left);
        EXPECT_EQ(place.height, laid.bottom - laid.top);
        ScopedComPtr<IRawElementProviderFragment> found;
        ASSERT_EQ(root_->ElementProviderFromPoint(place.left + 1, place.top + 1, found.Receive()), S_OK);
        EXPECT_EQ(ColumnOf(Simple(found.get()).get()), column);

        ScopedComPtr<IRawElementProviderFragment> parent = Child(NavigateDirection_Parent, item.get());
        EXPECT_EQ(static_cast<IUnknown*>(Simple(parent.get()).get()), static_cast<IRawElementProviderSimple*>(root_));
        item = Child(NavigateDirection_NextSibling, item.get());
    }
    EXPECT_EQ(item.get(), nullptr) << "three columns, three items";
    EXPECT_EQ(ColumnOf(Simple(Child(NavigateDirection_LastChild).get()).get()), 3);
    EXPECT_EQ(Child(NavigateDirection_PreviousSibling, Child(NavigateDirection_FirstChild).get()).get(), nullptr);
    EXPECT_EQ(heard, std::vector<std::string>{});
}

TEST_F(StripAutomationTest, InvokingPressesAsAClickAndIsHeardAsAStatusANotificationAndTheInvoke) {
    const auto date = Simple(Child(NavigateDirection_LastChild).get());
    ScopedComPtr<IRawElementProviderFragment> sizeItem = Child(NavigateDirection_FirstChild);
    sizeItem = Child(NavigateDirection_NextSibling, sizeItem.get());
    const std::string ascending = "'sorted ascending'";

    ASSERT_EQ(Invoke(sizeItem.get()), S_OK);
    EXPECT_EQ(strip_.host().TakeLog(),
              (std::vector<std::string>{"RowPressed 0 2 ASC", "PropertyChanged SelectedRow", "Refresh", "Refresh"}));
    EXPECT_EQ(Property(Simple(sizeItem.get()).get(), uia::kItemStatusProperty), ascending);
    EXPECT_EQ(heard, (std::vector<std::string>{
                         "ItemStatus 2 '' -> 'sorted ascending'",
                         "Notification 2 kind 2 processing 3 'sorted ascending' Lumora.SortChanged",
                         "Invoked 2",
                     }));
    heard.clear();

    ASSERT_EQ(Invoke(sizeItem.get()), S_OK);
    EXPECT_EQ(strip_.host()->get_SortedRow(), 2);
    EXPECT_EQ(heard, (std::vector<std::string>{
                         "ItemStatus 2 'sorted ascending' -> 'sorted descending'",
                         "Notification 2 kind 2 processing 3 'sorted descending' Lumora.SortChanged",
                         "Invoked 2",
                     }));
    heard.clear();

    // Another column: the one sorted before falls silent without a notice.
    ASSERT_EQ(Invoke(date.get()), S_OK);
    EXPECT_EQ(heard, (std::vector<std::string>{
                         "ItemStatus 2 'sorted descending' -> ''",
                         "ItemStatus 3 '' -> 'sorted ascending'",
                         "Notification 3 kind 2 processing 3 'sorted ascending' Lumora.SortChanged",
                         "Invoked 3",
                     }));
    heard.clear();

    // A new caption, and the keyboard's column, are told too.
    strip_.host()->put_RowCaption(2, u"&Stadt");
    strip_.host().Focus();
    strip_.Announce();
    EXPECT_EQ(heard, (std::vector<std::string>{"Name 2 'Größe' -> 'Stadt'", "Focus 3"}));
    heard.clear();

    // Nobody listening hears nothing, and costs no element.
    listening = false;
    ASSERT_EQ(Invoke(sizeItem.get()), S_OK);
    EXPECT_EQ(heard, std::vector<std::string>{});
    EXPECT_EQ(Property(Simple(sizeItem.get()).get(), uia::kItemStatusProperty), ascending);
}

TEST_F(StripAutomationTest, ElementsOfAColumnOrAStripThatWentAreNotAvailable) {
    ScopedComPtr<IRawElementProviderFragment> last = Child(NavigateDirection_LastChild);
    strip_.host()->DeleteRow();
    const auto gone = Simple(last.get());
    EXPECT_EQ(Property(gone.get(), uia::kNameProperty), "failed " + std::to_string(0x80040201ul));
    EXPECT_EQ(Invoke(last.get()), uia::kElementNotAvailable);
    EXPECT_EQ(ColumnOf(Simple(Child(NavigateDirection_LastChild).get()).get()), 2);

    ScopedComPtr<IRawElementProviderFragment> first = Child(NavigateDirection_FirstChild);
    strip_.Close();
    EXPECT_EQ(Invoke(first.get()), uia::kElementNotAvailable);
    ScopedComPtr<IRawElementProviderFragment> none;
    EXPECT_EQ(root_->Navigate(NavigateDirection_FirstChild, none.Receive()), uia::kElementNotAvailable);
    EXPECT_EQ(none.get(), nullptr);
    EXPECT_EQ(strip_.host()->get_SortedRow(), 0);
    EXPECT_EQ(heard, std::vector<std::string>{});
}

// Runs this thread's messages until done is set or ten seconds pass;
// returns whether it was set.
bool RunMessagesUntil(const std::atomic<bool>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done && std::chrono::steady_clock::now() < deadline) {
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        ::Sleep(1);
    }
    return done;
}

// A client's call from a thread of its own, while this thread runs its
// messages; a call that never returns fails the test and is left behind.
HRESULT FromClientThread(IUnknown* element, HRESULT (*call)(IUnknown*)) {
    struct Shared {
        std::atomic<bool> done{false};
        HRESULT result = E_PENDING;
    };
    auto shared = std::make_shared<Shared>();
    element->AddRef();
    std::thread client([shared, element, call] {
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        shared->result = call(element);
        element->Release();
        ::CoUninitialize();
        shared->done = true;
    });
    if (!RunMessagesUntil(shared->done)) {
        client.detach();
        ADD_FAILURE() << "the client's call did not return in 10 s";
        return E_PENDING;
    }
    client.join();
    return shared->result;
}

TEST_F(StripAutomationTest, AClientsThreadIsAnsweredOnTheWindowsThreadUntilTheWindowGoes) {
    ScopedComPtr<IRawElementProviderFragment> date = Child(NavigateDirection_LastChild);
    DWORD pressedOn = 0;
    strip_.host().onRowPressed = [&](Integer&, Long&, String&) { pressedOn = ::GetCurrentThreadId(); };
    EXPECT_EQ(FromClientThread(date.get(), &StripAutomationTest::Invoke), S_OK);
    EXPECT_EQ(pressedOn, ::GetCurrentThreadId());
    EXPECT_EQ(strip_.host()->get_SortedRow(), 3);
    EXPECT_EQ(heard.back(), "Invoked 3");

    strip_.CloseWindow();
    EXPECT_EQ(FromClientThread(date.get(), &StripAutomationTest::Invoke), uia::kElementNotAvailable);
    EXPECT_EQ(strip_.host()->get_SortedRow(), 3);
}

// The host's handler of a press that runs a modal loop, as one that shows
// a message box does, takes the client's own request inside the press: the
// client still hears only once the press is over.
TEST_F(StripAutomationTest, AClientWhoseRequestTheWindowTakesInsideItsCallWaitsForTheCallsEnd) {
    ScopedComPtr<IRawElementProviderFragment> date = Child(NavigateDirection_LastChild);
    struct Second {
        std::atomic<bool> handlerDone{false};
        std::atomic<bool> returnedAfterHandler{false};
        std::atomic<bool> returned{false};
        std::atomic<HRESULT> result{E_PENDING};
    };
    auto second = std::make_shared<Second>();
    std::thread secondClient;
    int presses = 0;
    // Only the press itself is asked from the second client's thread.
    ScopedComPtr<IUnknown> pattern;
    ASSERT_EQ(Simple(date.get())->GetPatternProvider(uia::kInvokePattern, pattern.Receive()), S_OK);
    IInvokeProvider* invoke = nullptr;
    ASSERT_EQ(pattern->QueryInterface(__uuidof(IInvokeProvider), reinterpret_cast<void**>(&invoke)), S_OK);
    strip_.host().onRowPressed = [&](Integer&, Long&, String&) {
        if (++presses == 1) {
            // The second client asks while the first press runs; its request
            // waits until the window's thread runs calls again.
            invoke->AddRef();
            secondClient = std::thread([second, invoke] {
                ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
                second->result = invoke->Invoke();
                second->returnedAfterHandler = second->handlerDone.load();
                second->returned = true;
                invoke->Release();
                ::CoUninitialize();
            });
            ::Sleep(300);
            return;
        }
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
        while (std::chrono::steady_clock::now() < until) {
            MSG message{};
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
            ::Sleep(1);
        }
        second->handlerDone = true;
    };
    EXPECT_EQ(FromClientThread(date.get(), &StripAutomationTest::Invoke), S_OK);
    if (!RunMessagesUntil(second->returned)) {
        secondClient.detach();
        FAIL() << "the second client's call did not return in 10 s";
    }
    secondClient.join();
    invoke->Release();
    strip_.host().onRowPressed = nullptr;
    EXPECT_EQ(presses, 2);
    EXPECT_EQ(second->result.load(), S_OK);
    EXPECT_TRUE(second->returnedAfterHandler) << "the client was answered while its press still ran";
    EXPECT_EQ(strip_.host()->get_SortedRow(), 3);
}

}  // namespace
}  // namespace lumora::server
