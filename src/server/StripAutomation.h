// SPDX-License-Identifier: MIT
#pragma once

#include "WindowsHeaders.h"

#include <uiautomationcore.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "StripAccessible.h"

// The Invoke pattern's interface, which the compiler's UI Automation headers
// do not declare.
#ifndef __IInvokeProvider_INTERFACE_DEFINED__
#define __IInvokeProvider_INTERFACE_DEFINED__
MIDL_INTERFACE("54fcb24b-e18e-47a2-b4d3-eccbe77599a2")
IInvokeProvider : public IUnknown {
public:
    virtual HRESULT STDMETHODCALLTYPE Invoke() = 0;
};
__CRT_UUID_DECL(IInvokeProvider, 0x54fcb24b, 0xe18e, 0x47a2, 0xb4, 0xd3, 0xec, 0xcb, 0xe7, 0x75, 0x99, 0xa2)
#endif

namespace lumora::server {

// The UI Automation identifiers the strip uses, as the system numbers them.
namespace automation {
constexpr PATTERNID kInvokePattern = 10000;
constexpr EVENTID kFocusChangedEvent = 20005;
constexpr EVENTID kInvokedEvent = 20009;
constexpr PROPERTYID kControlTypeProperty = 30003;
constexpr PROPERTYID kNameProperty = 30005;
constexpr PROPERTYID kAccessKeyProperty = 30007;
constexpr PROPERTYID kHasKeyboardFocusProperty = 30008;
constexpr PROPERTYID kIsKeyboardFocusableProperty = 30009;
constexpr PROPERTYID kIsEnabledProperty = 30010;
constexpr PROPERTYID kOrientationProperty = 30023;
constexpr PROPERTYID kItemStatusProperty = 30026;
constexpr PROPERTYID kIsInvokePatternAvailableProperty = 30031;
constexpr long kHeaderControlType = 50034;
constexpr long kHeaderItemControlType = 50035;
constexpr long kHorizontalOrientation = 1;
// A finished action, of which only the latest is worth hearing.
constexpr int kActionCompletedNotification = 2;
constexpr int kMostRecentNotification = 3;
constexpr int kAppendRuntimeId = 3;
constexpr LPARAM kRootObjectId = -25;
constexpr HRESULT kElementNotAvailable = static_cast<HRESULT>(0x80040201);
// Asks the strip's window to run the calls clients made from other threads.
constexpr UINT kRunClientCallsMessage = WM_APP + 0x4C55;
}  // namespace automation

// The system's UI Automation calls the strip makes, looked up by name:
// systems before notification events lack that call, Wine lacks it too,
// and one without UI Automation lacks them all. A missing call is a
// service nobody can hear, so the strip goes without it.
struct AutomationCalls {
    HRESULT(WINAPI* hostProviderFromHwnd)(::HWND, IRawElementProviderSimple**) = nullptr;
    LRESULT(WINAPI* returnRawElementProvider)(::HWND, WPARAM, LPARAM, IRawElementProviderSimple*) = nullptr;
    BOOL(WINAPI* clientsAreListening)() = nullptr;
    HRESULT(WINAPI* raiseAutomationEvent)(IRawElementProviderSimple*, EVENTID) = nullptr;
    HRESULT(WINAPI* raisePropertyChangedEvent)(IRawElementProviderSimple*, PROPERTYID, VARIANT, VARIANT) = nullptr;
    HRESULT(WINAPI* raiseNotificationEvent)
    (IRawElementProviderSimple*, int kind, int processing, BSTR text, BSTR activity) = nullptr;

    // The system's, loaded once for the process.
    static const AutomationCalls& System();
};

class ColumnAutomation;

// The strip as UI Automation sees it: a Header, the root of its window's
// fragment, whose children are HeaderItem elements, one per column, each
// pressed through the Invoke pattern and telling its sort in ItemStatus.
// The window's own provider, which the system makes, gives the root its
// place, name and parent. As with the accessible object, a client may hold
// the elements longer than the window lives; once it goes, every call
// fails as not available.
//
// Clients call from threads of their own. Every call runs on the window's
// thread, handed over by a message the window's thread takes even while
// it waits for UI Automation itself (as it does when the system asks a
// client's question back of the strip); the system's own marshalling to
// the window's apartment would wait for that thread instead.
class StripAutomation final : public IRawElementProviderSimple,
                              public IRawElementProviderFragment,
                              public IRawElementProviderFragmentRoot {
public:
    StripAutomation(IAccessibleStrip& strip, const AutomationCalls& calls) noexcept
        : strip_(&strip), window_(strip.Window()), calls_(calls) {}
    StripAutomation(const StripAutomation&) = delete;
    StripAutomation& operator=(const StripAutomation&) = delete;

    // On the window's thread, as every other call below.
    void Disconnect() noexcept { strip_ = nullptr; }
    IAccessibleStrip* Strip() const noexcept { return strip_; }
    const AutomationCalls& Calls() const noexcept { return calls_; }

    // Runs body (returning an HRESULT) on the window's thread, at once when
    // called there; a window that is gone answers not available.
    template <typename Body>
    HRESULT OnWindowThread(Body&& body);
    // The window's thread runs what clients asked from other threads.
    void RunClientCalls();

    // What changed, for clients that listen: a column's caption, its sort
    // (a notification, "sorted ascending", too, when the column became the
    // sorted one or flipped), and the focused column.
    void NameChanged(Long column, const String& was, const String& is);
    void SortChanged(Long column, const String& was, const String& is);
    void FocusMoved(Long column);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override;

    // IRawElementProviderSimple
    HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions* options) override;
    HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID pattern, IUnknown** provider) override;
    HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID property, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** host) override;

    // IRawElementProviderFragment
    HRESULT STDMETHODCALLTYPE Navigate(NavigateDirection direction, IRawElementProviderFragment** reached) override;
    HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** id) override;
    HRESULT STDMETHODCALLTYPE get_BoundingRectangle(UiaRect* rect) override;
    HRESULT STDMETHODCALLTYPE GetEmbeddedFragmentRoots(SAFEARRAY** roots) override;
    HRESULT STDMETHODCALLTYPE SetFocus() override;
    HRESULT STDMETHODCALLTYPE get_FragmentRoot(IRawElementProviderFragmentRoot** root) override;

    // IRawElementProviderFragmentRoot
    HRESULT STDMETHODCALLTYPE ElementProviderFromPoint(double x, double y,
                                                       IRawElementProviderFragment** found) override;
    HRESULT STDMETHODCALLTYPE GetFocus(IRawElementProviderFragment** focused) override;

    // A new element for column, or null when out of memory.
    ColumnAutomation* MakeColumn(Long column);

    // Runs body(strip, control) on the window's thread while the strip is
    // there; the control's runtime errors become E_FAIL.
    template <typename Body>
    HRESULT WithStrip(Body&& body);

private:
    ~StripAutomation() = default;
    // Raises an event on column's element when anyone listens.
    template <typename Raise>
    void RaiseOnColumn(Long column, Raise&& raise);
    // A text property's change, where the system can tell it.
    void RaiseTextChanged(IRawElementProviderSimple* element, PROPERTYID property, const String& was, const String& is);

    ModuleReference module_;
    LONG references_ = 1;
    IAccessibleStrip* strip_;
    const ::HWND window_;
    const AutomationCalls& calls_;
    // A call from another thread, and whether the window's thread ran it.
    struct ClientCall {
        std::function<void()> run;
        bool done = false;
    };
    // Calls from other threads waiting for the window's thread, and the
    // signal that one of them finished.
    std::mutex waitingLock_;
    std::condition_variable finished_;
    std::vector<ClientCall*> waiting_;
};

// One column's element. It names its column by number, as the accessible
// object's child ids do; a column that went since fails as not available.
class ColumnAutomation final : public IRawElementProviderSimple,
                               public IRawElementProviderFragment,
                               public IInvokeProvider {
public:
    ColumnAutomation(StripAutomation& root, Long column) noexcept : root_(&root), column_(column) { root.AddRef(); }
    ColumnAutomation(const ColumnAutomation&) = delete;
    ColumnAutomation& operator=(const ColumnAutomation&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override;

    // IRawElementProviderSimple
    HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions* options) override;
    HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID pattern, IUnknown** provider) override;
    HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID property, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** host) override;

    // IRawElementProviderFragment
    HRESULT STDMETHODCALLTYPE Navigate(NavigateDirection direction, IRawElementProviderFragment** reached) override;
    HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** id) override;
    HRESULT STDMETHODCALLTYPE get_BoundingRectangle(UiaRect* rect) override;
    HRESULT STDMETHODCALLTYPE GetEmbeddedFragmentRoots(SAFEARRAY** roots) override;
    HRESULT STDMETHODCALLTYPE SetFocus() override;
    HRESULT STDMETHODCALLTYPE get_FragmentRoot(IRawElementProviderFragmentRoot** root) override;

    // IInvokeProvider: presses the column as a click does.
    HRESULT STDMETHODCALLTYPE Invoke() override;

private:
    ~ColumnAutomation() { root_->Release(); }
    // Runs body(strip, control) on the window's thread while the strip is
    // there and still has the column.
    template <typename Body>
    HRESULT WithColumn(Body&& body);

    LONG references_ = 1;
    StripAutomation* root_;
    Long column_;
};

}  // namespace lumora::server
