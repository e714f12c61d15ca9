// SPDX-License-Identifier: MIT
#include "StripAutomation.h"

#include <algorithm>
#include <new>

#include "lumora/runtime/RuntimeError.h"

namespace lumora::server {
namespace {

using namespace automation;

// Names the sort notifications, so that a client can tell them from other
// programs' notifications without reading the words.
constexpr wchar_t kSortActivity[] = L"Lumora.SortChanged";

template <typename Function>
Function Lookup(::HMODULE library, const char* name) {
    return library ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(library, name)))
                   : nullptr;
}

AutomationCalls LoadSystemCalls() {
    AutomationCalls calls;
    const ::HMODULE library = ::LoadLibraryW(L"uiautomationcore.dll");
    calls.hostProviderFromHwnd = Lookup<decltype(calls.hostProviderFromHwnd)>(library, "UiaHostProviderFromHwnd");
    calls.returnRawElementProvider =
        Lookup<decltype(calls.returnRawElementProvider)>(library, "UiaReturnRawElementProvider");
    calls.clientsAreListening = Lookup<decltype(calls.clientsAreListening)>(library, "UiaClientsAreListening");
    calls.raiseAutomationEvent = Lookup<decltype(calls.raiseAutomationEvent)>(library, "UiaRaiseAutomationEvent");
    calls.raisePropertyChangedEvent =
        Lookup<decltype(calls.raisePropertyChangedEvent)>(library, "UiaRaiseAutomationPropertyChangedEvent");
    calls.raiseNotificationEvent = Lookup<decltype(calls.raiseNotificationEvent)>(library, "UiaRaiseNotificationEvent");
    // The library stays loaded for the process: the calls are kept.
    return calls;
}

void SetNumber(VARIANT* value, long number) {
    V_VT(value) = VT_I4;
    V_I4(value) = number;
}

void SetFlag(VARIANT* value, bool flag) {
    V_VT(value) = VT_BOOL;
    V_BOOL(value) = flag ? VARIANT_TRUE : VARIANT_FALSE;
}

HRESULT SetText(VARIANT* value, const String& text) {
    const BSTR copy =
        ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
    if (!copy) return E_OUTOFMEMORY;
    V_VT(value) = VT_BSTR;
    V_BSTR(value) = copy;
    return S_OK;
}

// A column's place on the screen, from where the last paint pass laid it.
bool ColumnOnScreen(IAccessibleStrip& strip, LumoraListControl& control, Long column, ::RECT& place) {
    const auto& rects = control.RowRects();
    if (column < 1 || static_cast<std::size_t>(column) >= rects.size()) return false;
    const Rect laid = strip.ScreenScale().Area(rects[static_cast<std::size_t>(column)]);
    place = ::RECT{laid.left, laid.top, laid.right, laid.bottom};
    ::MapWindowPoints(strip.Window(), nullptr, reinterpret_cast<::POINT*>(&place), 2);
    return true;
}

bool KeyboardOnStrip(IAccessibleStrip& strip) { return ::GetFocus() == strip.Window(); }

template <typename Interface, typename Object>
HRESULT Answer(Object* object, Interface** result) {
    *result = object;
    return object ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

const AutomationCalls& AutomationCalls::System() {
    static const AutomationCalls calls = LoadSystemCalls();
    return calls;
}

// The strip's element.

template <typename Body>
HRESULT StripAutomation::OnWindowThread(Body&& body) {
    DWORD process = 0;
    const DWORD thread = ::GetWindowThreadProcessId(window_, &process);
    if (thread == ::GetCurrentThreadId()) return body();
    // A window handle reused by another program's window is not asked.
    if (thread == 0 || process != ::GetCurrentProcessId()) return kElementNotAvailable;
    HRESULT result = kElementNotAvailable;
    ClientCall call{[&] { result = body(); }};
    try {
        const std::lock_guard<std::mutex> lock(waitingLock_);
        waiting_.push_back(&call);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    // Returns once the window's thread took the message, or at once when
    // the window went. The call may have run already, may never run (then
    // it is still waiting), or may still be running: the window's thread
    // can take this message inside a call that runs a modal loop.
    ::SendMessageW(window_, kRunClientCallsMessage, 0, 0);
    std::unique_lock<std::mutex> lock(waitingLock_);
    const auto waiting = std::find(waiting_.begin(), waiting_.end(), &call);
    if (waiting != waiting_.end()) {
        waiting_.erase(waiting);
        return kElementNotAvailable;
    }
    finished_.wait(lock, [&] { return call.done; });
    return result;
}

void StripAutomation::RunClientCalls() {
    for (;;) {
        ClientCall* call = nullptr;
        {
            const std::lock_guard<std::mutex> lock(waitingLock_);
            if (waiting_.empty()) return;
            call = waiting_.front();
            waiting_.erase(waiting_.begin());
        }
        call->run();
        {
            const std::lock_guard<std::mutex> lock(waitingLock_);
            call->done = true;
        }
        finished_.notify_all();
    }
}

template <typename Body>
HRESULT StripAutomation::WithStrip(Body&& body) {
    return OnWindowThread([&]() noexcept -> HRESULT {
        if (!strip_ || !strip_->Strip()) return kElementNotAvailable;
        try {
            return body(*strip_, *strip_->Strip());
        } catch (const RuntimeError&) {
            return E_FAIL;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    });
}

HRESULT STDMETHODCALLTYPE StripAutomation::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(IRawElementProviderSimple)))
        *object = static_cast<IRawElementProviderSimple*>(this);
    else if (IsEqualIID(riid, __uuidof(IRawElementProviderFragment)))
        *object = static_cast<IRawElementProviderFragment*>(this);
    else if (IsEqualIID(riid, __uuidof(IRawElementProviderFragmentRoot)))
        *object = static_cast<IRawElementProviderFragmentRoot*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE StripAutomation::Release() {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

ColumnAutomation* StripAutomation::MakeColumn(Long column) {
    return new (std::nothrow) ColumnAutomation(*this, column);
}

HRESULT STDMETHODCALLTYPE StripAutomation::get_ProviderOptions(ProviderOptions* options) {
    if (!options) return E_POINTER;
    // The elements bring their calls to the window's thread themselves.
    *options = ProviderOptions_ServerSideProvider;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StripAutomation::GetPatternProvider(PATTERNID, IUnknown** provider) {
    if (!provider) return E_POINTER;
    *provider = nullptr;
    return WithStrip([](IAccessibleStrip&, LumoraListControl&) { return S_OK; });
}

HRESULT STDMETHODCALLTYPE StripAutomation::GetPropertyValue(PROPERTYID property, VARIANT* value) {
    if (!value) return E_POINTER;
    ::VariantInit(value);
    // The window's provider answers the rest: name, place, class, enabled.
    return WithStrip([&](IAccessibleStrip& strip, LumoraListControl& control) {
        switch (property) {
            case kControlTypeProperty:
                SetNumber(value, kHeaderControlType);
                break;
            case kOrientationProperty:
                SetNumber(value, kHorizontalOrientation);
                break;
            case kIsKeyboardFocusableProperty:
                SetFlag(value, true);
                break;
            case kHasKeyboardFocusProperty:
                // While the strip has the focus, a column holds it.
                SetFlag(value, KeyboardOnStrip(strip) && control.FocusedRow() < 1);
                break;
            default:
                break;
        }
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE StripAutomation::get_HostRawElementProvider(IRawElementProviderSimple** host) {
    if (!host) return E_POINTER;
    *host = nullptr;
    return WithStrip([&](IAccessibleStrip& strip, LumoraListControl&) {
        return calls_.hostProviderFromHwnd ? calls_.hostProviderFromHwnd(strip.Window(), host) : S_OK;
    });
}

HRESULT STDMETHODCALLTYPE StripAutomation::Navigate(NavigateDirection direction,
                                                    IRawElementProviderFragment** reached) {
    if (!reached) return E_POINTER;
    *reached = nullptr;
    // The window's provider knows the parent and the siblings.
    return WithStrip([&](IAccessibleStrip&, LumoraListControl& control) {
        const Long count = control.get_NumberOfRows();
        if (count < 1) return S_OK;
        if (direction == NavigateDirection_FirstChild) return Answer(MakeColumn(1), reached);
        if (direction == NavigateDirection_LastChild) return Answer(MakeColumn(count), reached);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE StripAutomation::GetRuntimeId(SAFEARRAY** id) {
    if (!id) return E_POINTER;
    // The window's provider gives the root its identity.
    *id = nullptr;
    return WithStrip([](IAccessibleStrip&, LumoraListControl&) { return S_OK; });
}

HRESULT STDMETHODCALLTYPE StripAutomation::get_BoundingRectangle(UiaRect* rect) {
    if (!rect) return E_POINTER;
    // Empty: the window's own place is the strip's.
    *rect = UiaRect{};
    return WithStrip([](IAccessibleStrip&, LumoraListControl&) { return S_OK; });
}

HRESULT STDMETHODCALLTYPE StripAutomation::GetEmbeddedFragmentRoots(SAFEARRAY** roots) {
    if (!roots) return E_POINTER;
    *roots = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StripAutomation::SetFocus() {
    return WithStrip([](IAccessibleStrip& strip, LumoraListControl&) {
        ::SetFocus(strip.Window());
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE StripAutomation::get_FragmentRoot(IRawElementProviderFragmentRoot** root) {
    if (!root) return E_POINTER;
    *root = this;
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StripAutomation::ElementProviderFromPoint(double x, double y,
                                                                    IRawElementProviderFragment** found) {
    if (!found) return E_POINTER;
    *found = nullptr;
    return WithStrip([&](IAccessibleStrip& strip, LumoraListControl& control) {
        const ::POINT point{static_cast<LONG>(x), static_cast<LONG>(y)};
        // Columns that overlap are found as the mouse finds them: the last.
        Long hit = 0;
        for (Long column = 1; column <= control.get_NumberOfRows(); ++column) {
            ::RECT place{};
            if (ColumnOnScreen(strip, control, column, place) && ::PtInRect(&place, point)) hit = column;
        }
        if (hit >= 1) return Answer(MakeColumn(hit), found);
        *found = this;
        AddRef();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE StripAutomation::GetFocus(IRawElementProviderFragment** focused) {
    if (!focused) return E_POINTER;
    *focused = nullptr;
    return WithStrip([&](IAccessibleStrip& strip, LumoraListControl& control) {
        const Long column = control.FocusedRow();
        if (!KeyboardOnStrip(strip) || column < 1) return S_OK;
        return Answer(MakeColumn(column), focused);
    });
}

template <typename Raise>
void StripAutomation::RaiseOnColumn(Long column, Raise&& raise) {
    if (!strip_ || !calls_.clientsAreListening || !calls_.clientsAreListening()) return;
    ColumnAutomation* element = MakeColumn(column);
    if (!element) return;
    raise(static_cast<IRawElementProviderSimple*>(element));
    element->Release();
}

void StripAutomation::RaiseTextChanged(IRawElementProviderSimple* element, PROPERTYID property, const String& was,
                                       const String& is) {
    if (!calls_.raisePropertyChangedEvent) return;
    VARIANT before{}, after{};
    if (SUCCEEDED(SetText(&before, was)) && SUCCEEDED(SetText(&after, is)))
        calls_.raisePropertyChangedEvent(element, property, before, after);
    ::VariantClear(&before);
    ::VariantClear(&after);
}

void StripAutomation::NameChanged(Long column, const String& was, const String& is) {
    RaiseOnColumn(column,
                  [&](IRawElementProviderSimple* element) { RaiseTextChanged(element, kNameProperty, was, is); });
}

void StripAutomation::SortChanged(Long column, const String& was, const String& is) {
    RaiseOnColumn(column, [&](IRawElementProviderSimple* element) {
        RaiseTextChanged(element, kItemStatusProperty, was, is);
        // Said once, for the column the list is now sorted by.
        if (!calls_.raiseNotificationEvent || is.empty()) return;
        const BSTR text =
            ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(is.data()), static_cast<UINT>(is.size()));
        const BSTR activity = ::SysAllocString(kSortActivity);
        if (text && activity)
            calls_.raiseNotificationEvent(element, kActionCompletedNotification, kMostRecentNotification, text,
                                          activity);
        ::SysFreeString(text);
        ::SysFreeString(activity);
    });
}

void StripAutomation::FocusMoved(Long column) {
    if (!calls_.raiseAutomationEvent) return;
    RaiseOnColumn(
        column, [&](IRawElementProviderSimple* element) { calls_.raiseAutomationEvent(element, kFocusChangedEvent); });
}

// A column's element.

HRESULT STDMETHODCALLTYPE ColumnAutomation::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(IRawElementProviderSimple)))
        *object = static_cast<IRawElementProviderSimple*>(this);
    else if (IsEqualIID(riid, __uuidof(IRawElementProviderFragment)))
        *object = static_cast<IRawElementProviderFragment*>(this);
    else if (IsEqualIID(riid, __uuidof(IInvokeProvider)))
        *object = static_cast<IInvokeProvider*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE ColumnAutomation::Release() {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

template <typename Body>
HRESULT ColumnAutomation::WithColumn(Body&& body) {
    return root_->WithStrip([&](IAccessibleStrip& strip, LumoraListControl& control) {
        return column_ > control.get_NumberOfRows() ? kElementNotAvailable : body(strip, control);
    });
}

HRESULT STDMETHODCALLTYPE ColumnAutomation::get_ProviderOptions(ProviderOptions* options) {
    return root_->get_ProviderOptions(options);
}

HRESULT STDMETHODCALLTYPE ColumnAutomation::GetPatternProvider(PATTERNID pattern, IUnknown** provider) {
    if (!provider) return E_POINTER;
    *provider = nullptr;
    return WithColumn([&](IAccessibleStrip&, LumoraListControl&) {
        if (pattern == kInvokePattern) {
            *provider = static_cast<IInvokeProvider*>(this);
            AddRef();
        }
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE ColumnAutomation::GetPropertyValue(PROPERTYID property, VARIANT* value) {
    if (!value) return E_POINTER;
    ::VariantInit(value);
    return WithColumn([&](IAccessibleStrip& strip, LumoraListControl& control) {
        switch (property) {
            case kControlTypeProperty:
                SetNumber(value, kHeaderItemControlType);
                return S_OK;
            case kNameProperty:
                return SetText(value, control.SpokenRowCaption(column_));
            case kItemStatusProperty:
                return SetText(value, control.RowSortDescription(column_));
            case kAccessKeyProperty: {
                const String key = SpokenAccessKey(control, column_);
                return key.empty() ? S_OK : SetText(value, key);
            }
            case kIsKeyboardFocusableProperty:
            case kIsEnabledProperty:
            case kIsInvokePatternAvailableProperty:
                SetFlag(value, true);
                return S_OK;
            case kHasKeyboardFocusProperty:
                SetFlag(value, KeyboardOnStrip(strip) && control.FocusedRow() == column_);
                return S_OK;
            default:
                return S_OK;
        }
    });
}

HRESULT STDMETHODCALLTYPE ColumnAutomation::get_HostRawElementProvider(IRawElementProviderSimple** host) {
    if (!host) return E_POINTER;
    *host = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ColumnAutomation::Navigate(NavigateDirection direction,
                                                     IRawElementProviderFragment** reached) {
    if (!reached) return E_POINTER;
    *reached = nullptr;
    return WithColumn([&](IAccessibleStrip&, LumoraListControl& control) {
        Long other = 0;
        switch (direction) {
            case NavigateDirection_Parent:
                *reached = root_;
                root_->AddRef();
                return S_OK;
            case NavigateDirection_NextSibling:
                other = column_ + 1;
                break;
            case NavigateDirection_PreviousSibling:
                other = column_ - 1;
                break;
            default:
                return S_OK;
        }
        if (other < 1 || other > control.get_NumberOfRows()) return S_OK;
        return Answer(root_->MakeColumn(other), reached);
    });
}

HRESULT STDMETHODCALLTYPE ColumnAutomation::GetRuntimeId(SAFEARRAY** id) {
    if (!id) return E_POINTER;
    *id = nullptr;
    return WithColumn([&](IAccessibleStrip&, LumoraListControl&) {
        // Unique within the window: the system puts the window's id first.
        SAFEARRAY* parts = ::SafeArrayCreateVector(VT_I4, 0, 2);
        if (!parts) return E_OUTOFMEMORY;
        LONG index = 0;
        LONG part = kAppendRuntimeId;
        ::SafeArrayPutElement(parts, &index, &part);
        index = 1;
        part = column_;
        ::SafeArrayPutElement(parts, &index, &part);
        *id = parts;
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE ColumnAutomation::get_BoundingRectangle(UiaRect* rect) {
    if (!rect) return E_POINTER;
    *rect = UiaRect{};
    return WithColumn([&](IAccessibleStrip& strip, LumoraListControl& control) {
        ::RECT place{};
        if (ColumnOnScreen(strip, control, column_, place))
            *rect =
                UiaRect{static_cast<double>(place.left), static_cast<double>(place.top),
                        static_cast<double>(place.right - place.left), static_cast<double>(place.bottom - place.top)};
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE ColumnAutomation::GetEmbeddedFragmentRoots(SAFEARRAY** roots) {
    if (!roots) return E_POINTER;
    *roots = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ColumnAutomation::SetFocus() {
    // The keyboard chooses the column; a client gives the strip the focus.
    return WithColumn([](IAccessibleStrip& strip, LumoraListControl&) {
        ::SetFocus(strip.Window());
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE ColumnAutomation::get_FragmentRoot(IRawElementProviderFragmentRoot** root) {
    if (!root) return E_POINTER;
    *root = root_;
    root_->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ColumnAutomation::Invoke() {
    return WithColumn([&](IAccessibleStrip& strip, LumoraListControl&) {
        if (!strip.PressColumn(column_)) return E_FAIL;
        // The host's handlers ran inside the press and may have closed the strip.
        const AutomationCalls& calls = root_->Calls();
        if (root_->Strip() && calls.raiseAutomationEvent && calls.clientsAreListening && calls.clientsAreListening())
            calls.raiseAutomationEvent(this, kInvokedEvent);
        return S_OK;
    });
}

}  // namespace lumora::server
