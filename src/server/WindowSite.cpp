// SPDX-License-Identifier: MIT
#include "WindowSite.h"

#include <cmath>
#include <new>
#include <utility>

#include "lumora/runtime/RuntimeError.h"

#include "ServerModule.h"

namespace lumora::server {
namespace {

// The window class of the control's in-place window.
constexpr wchar_t kWindowClass[] = L"LumoraListControlWindow";
// The control's mouse buttons and shift keys, as its events report them.
constexpr Integer kLeftButton = 1;
constexpr Integer kRightButton = 2;
constexpr Integer kMiddleButton = 4;
constexpr Integer kShiftMask = 1;
constexpr Integer kCtrlMask = 2;
constexpr Integer kAltMask = 4;

// Windows of the class alive in this module. The class goes with the last
// one, so a library unloaded and loaded again never finds a class whose
// window procedure lies in the old copy.
int liveWindows = 0;

HINSTANCE WindowInstance() {
    const HINSTANCE module = ModuleInstance();
    return module ? module : ::GetModuleHandleW(nullptr);
}

}  // namespace

bool WindowSite::RegisterWindowClass() {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(WindowInstance(), kWindowClass, &existing)) return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = &WindowSite::WindowProcedure;
    windowClass.hInstance = WindowInstance();
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = kWindowClass;
    return ::RegisterClassExW(&windowClass) != 0;
}

namespace {

Integer ShiftState(WPARAM keys) {
    Integer shift = 0;
    if (keys & MK_SHIFT) shift |= kShiftMask;
    if (keys & MK_CONTROL) shift |= kCtrlMask;
    if (::GetKeyState(VK_MENU) < 0) shift |= kAltMask;
    return shift;
}

// The buttons held during a move.
Integer HeldButtons(WPARAM keys) {
    Integer buttons = 0;
    if (keys & MK_LBUTTON) buttons |= kLeftButton;
    if (keys & MK_RBUTTON) buttons |= kRightButton;
    if (keys & MK_MBUTTON) buttons |= kMiddleButton;
    return buttons;
}

// The button a press or release message is about.
Integer ChangedButton(UINT message) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
            return kLeftButton;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_RBUTTONDBLCLK:
            return kRightButton;
        default:
            return kMiddleButton;
    }
}

// The resolution of the control's own pixels.
constexpr UINT kControlDpi = 96;

// How many of the window's pixels show one of the control's: the window's
// resolution over 96 when its container is aware of each monitor's
// resolution, 1 otherwise (the system then enlarges the whole window, or
// nothing, as it did before). Asked of the system by name, since systems
// before these calls existed have no monitor resolutions at all.
double WindowScale(::HWND container, ::HWND window, UINT dpi) {
    using ContextOf = DPI_AWARENESS_CONTEXT(WINAPI*)(::HWND);
    using AwarenessOf = DPI_AWARENESS(WINAPI*)(DPI_AWARENESS_CONTEXT);
    using DpiOf = UINT(WINAPI*)(::HWND);
    const HMODULE user = ::GetModuleHandleW(L"user32.dll");
    if (!user || !container) return 1.0;
    const auto contextOf = reinterpret_cast<ContextOf>(
        reinterpret_cast<void (*)()>(::GetProcAddress(user, "GetWindowDpiAwarenessContext")));
    const auto awarenessOf = reinterpret_cast<AwarenessOf>(
        reinterpret_cast<void (*)()>(::GetProcAddress(user, "GetAwarenessFromDpiAwarenessContext")));
    const auto dpiOf = reinterpret_cast<DpiOf>(reinterpret_cast<void (*)()>(::GetProcAddress(user, "GetDpiForWindow")));
    if (!contextOf || !awarenessOf || !dpiOf) return 1.0;
    if (awarenessOf(contextOf(container)) != DPI_AWARENESS_PER_MONITOR_AWARE) return 1.0;
    if (dpi == 0) dpi = dpiOf(window);
    return dpi > kControlDpi ? static_cast<double>(dpi) / kControlDpi : 1.0;
}

// A length of the window in the control's pixels.
int ControlPixels(int windowPixels, const DeviceScale& scale) {
    return static_cast<int>(std::lround(windowPixels / scale.factor));
}

::HWND SystemWindow(HWND hwnd) { return reinterpret_cast<::HWND>(hwnd.value); }
HWND PortableWindow(::HWND hwnd) { return HWND{reinterpret_cast<std::uintptr_t>(hwnd)}; }

}  // namespace

WindowSite::WindowSite(ISiteOwner& owner, IContainerLink& container) : WindowlessSite(owner), container_(container) {}

WindowSite::~WindowSite() { DestroyChildWindow(); }

bool WindowSite::CreateChildWindow(::HWND parent, const ::RECT& position) {
    if (window_) return true;
    if (!RegisterWindowClass()) return false;
    // The window starts empty: messages sent while it is created go to the
    // system, and the first WM_SIZE, from Place, gives the image its size
    // once the control can be told.
    window_ = ::CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0, 0, 0, parent,
                                nullptr, WindowInstance(), nullptr);
    if (!window_) return false;
    ++liveWindows;
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    Notify([&] { SetDeviceScale(WindowScale(parent, window_, 0)); });
    Place(position);
    return true;
}

void WindowSite::DestroyChildWindow() noexcept {
    if (!window_) return;
    const ::HWND closing = std::exchange(window_, nullptr);
    // Focus and capture messages sent while the window goes find no site.
    ::SetWindowLongPtrW(closing, GWLP_USERDATA, 0);
    // Clients may hold the accessible object longer; it answers no more.
    if (accessible_) accessible_->Disconnect();
    accessible_.Reset();
    if (automation_) {
        // Tells UI Automation the window's elements are gone.
        if (const auto forget = AutomationCalls::System().returnRawElementProvider) forget(closing, 0, 0, nullptr);
        automation_->Disconnect();
        automation_.Reset();
    }
    announcer_.Forget();
    ::DestroyWindow(closing);
    if (--liveWindows == 0) ::UnregisterClassW(kWindowClass, WindowInstance());
}

void WindowSite::Place(const ::RECT& position) {
    if (!window_) return;
    ::SetWindowPos(window_, nullptr, position.left, position.top, position.right - position.left,
                   position.bottom - position.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND WindowSite::hWnd() { return PortableWindow(window_); }

void WindowSite::Refresh() {
    if (!window_) return;
    ::InvalidateRect(window_, nullptr, FALSE);
    ::UpdateWindow(window_);
    Announce(batchDepth_ > 0);
}

void WindowSite::RefreshRect(const Rect& rect) {
    if (!window_) return;
    // The control's pixels on the window's; a scaled line may reach a
    // device pixel past its column, which the window shows too.
    const Rect device = Scale().Area(rect);
    const int margin = Scale().IsIdentity() ? 0 : 1;
    const ::RECT area{device.left - margin, device.top - margin, device.right + margin, device.bottom + margin};
    ::InvalidateRect(window_, &area, FALSE);
    ::UpdateWindow(window_);
    Announce(batchDepth_ > 0);
}

WindowSite::ChangeBatch::~ChangeBatch() {
    if (--site_.batchDepth_ == 0) site_.Announce(false);
}

void WindowSite::Announce(bool pressedOnly) noexcept {
    if (!window_ || !Control()) return;
    try {
        announcer_.Announce(window_, *Control(), pressedOnly, automation_.get());
    } catch (const RuntimeError&) {
        // A strip that cannot be read now is announced at its next change.
    } catch (const std::bad_alloc&) {
    }
}

bool WindowSite::PressColumn(Long column) {
    bool pressed = false;
    Notify([&] { pressed = Control() && Control()->PressRow(column); });
    return pressed;
}

LRESULT WindowSite::AnswerAccessibility(WPARAM flags) {
    if (!accessible_) *accessible_.Receive() = new (std::nothrow) StripAccessible(*this);
    if (!accessible_) return 0;
    return ::LresultFromObject(__uuidof(IAccessible), flags, accessible_.get());
}

LRESULT WindowSite::AnswerAutomation(WPARAM wParam, LPARAM lParam) {
    const AutomationCalls& calls = AutomationCalls::System();
    if (!calls.returnRawElementProvider) return ::DefWindowProcW(window_, WM_GETOBJECT, wParam, lParam);
    if (!automation_) *automation_.Receive() = new (std::nothrow) StripAutomation(*this, calls);
    if (!automation_) return 0;
    return calls.returnRawElementProvider(window_, wParam, lParam, automation_.get());
}

void WindowSite::put_AccessKeys(const String& keys) {
    WindowlessSite::put_AccessKeys(keys);
    container_.AccessKeysChanged();
}

void WindowSite::RequestHeight(int pixels) {
    if (!window_) {
        WindowlessSite::RequestHeight(pixels);
        return;
    }
    ::RECT client{};
    ::GetClientRect(window_, &client);
    pixels = Scale().Extent(pixels);
    if (client.bottom == pixels || askingContainer_) return;
    ::RECT position{};
    ::GetWindowRect(window_, &position);
    ::MapWindowPoints(nullptr, ::GetParent(window_), reinterpret_cast<::POINT*>(&position), 2);
    position.bottom = position.top + pixels;
    askingContainer_ = true;
    container_.RequestPosition(position);
    askingContainer_ = false;
    // A container that did not place the window (or placed it otherwise)
    // still gets a strip of the height asked for: the control's height is
    // its own. Resizing the window delivers Resize before this returns.
    ::GetClientRect(window_, &client);
    if (client.bottom != pixels)
        ::SetWindowPos(window_, nullptr, 0, 0, client.right, pixels, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND WindowSite::SetCapture(HWND hwnd) {
    if (!window_) return WindowlessSite::SetCapture(hwnd);
    return PortableWindow(::SetCapture(SystemWindow(hwnd)));
}

HWND WindowSite::GetCapture() { return window_ ? PortableWindow(::GetCapture()) : WindowlessSite::GetCapture(); }

bool WindowSite::ReleaseCapture() { return window_ ? ::ReleaseCapture() != FALSE : WindowlessSite::ReleaseCapture(); }

LRESULT CALLBACK WindowSite::WindowProcedure(::HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* site = reinterpret_cast<WindowSite*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!site || site->window_ != window) return ::DefWindowProcW(window, message, wParam, lParam);
    return site->HandleMessage(message, wParam, lParam);
}

LRESULT WindowSite::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            // The image covers the whole window.
            return 1;
        case WM_SIZE:
            Notify([&] { SetImageSize(ControlPixels(LOWORD(lParam), Scale()), ControlPixels(HIWORD(lParam), Scale())); });
            return 0;
        case WM_DPICHANGED:
            FollowWindowDpi(HIWORD(wParam));
            return 0;
        case WM_DPICHANGED_AFTERPARENT:
            FollowWindowDpi(0);
            return 0;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
        case WM_MBUTTONDBLCLK:
            DeliverMouse(message, wParam, lParam);
            return 0;
        case WM_GETOBJECT:
            // The client area is the strip's, for accessibility clients and
            // for UI Automation; the system answers for the window's frame
            // and everything else.
            if (static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT)) return AnswerAccessibility(wParam);
            if (static_cast<DWORD>(lParam) == static_cast<DWORD>(automation::kRootObjectId))
                return AnswerAutomation(wParam, lParam);
            return ::DefWindowProcW(window_, message, wParam, lParam);
        case automation::kRunClientCallsMessage:
            if (automation_) automation_->RunClientCalls();
            return 0;
        case WM_GETDLGCODE:
            // Arrows and Space move and press columns. Enter and Escape stay
            // with a dialog manager that runs the form: they are its default
            // and cancel buttons, which a header must not take from the form.
            return DLGC_WANTARROWS;
        case WM_KEYDOWN:
            if (DeliverKey(wParam)) return 0;
            return ::DefWindowProcW(window_, message, wParam, lParam);
        case WM_SETFOCUS: {
            // Only the control's own click sets the focus for the pointer;
            // the focus comes by keyboard otherwise (Tab through the form,
            // an access key through the container), which shows the cue.
            const bool byKeyboard = !focusForPointer_;
            container_.FocusChanged(true);
            Notify([&] {
                if (Control()) Control()->GotFocus(byKeyboard);
            });
            return 0;
        }
        case WM_KILLFOCUS:
            Notify([&] {
                if (Control()) Control()->LostFocus();
            });
            container_.FocusChanged(false);
            return 0;
        default:
            return ::DefWindowProcW(window_, message, wParam, lParam);
    }
}

void WindowSite::Paint() {
    ::PAINTSTRUCT paint{};
    const ::HDC screen = ::BeginPaint(window_, &paint);
    const ::HDC image = reinterpret_cast<::HDC>(ImageDc().value);
    const ::RECT& area = paint.rcPaint;
    ::BitBlt(screen, area.left, area.top, area.right - area.left, area.bottom - area.top, image, area.left, area.top,
             SRCCOPY);
    // At a fractional scale the window can be a pixel wider or taller than
    // the image of the control's whole pixels; that edge takes the strip's
    // background.
    const ::RECT edges[] = {{DeviceWidth(), 0, area.right, area.bottom}, {0, DeviceHeight(), area.right, area.bottom}};
    for (const ::RECT& edge : edges) {
        if (edge.left >= edge.right || edge.top >= edge.bottom) continue;
        ::COLORREF color = 0;
        ::OleTranslateColor(BackColor(), nullptr, &color);
        const ::HBRUSH brush = ::CreateSolidBrush(color);
        ::FillRect(screen, &edge, brush);
        ::DeleteObject(brush);
    }
    ::EndPaint(window_, &paint);
}

void WindowSite::FollowWindowDpi(UINT dpi) {
    if (!window_) return;
    const double factor = WindowScale(::GetParent(window_), window_, dpi);
    if (factor == Scale().factor) return;
    ::RECT client{};
    ::GetClientRect(window_, &client);
    Notify([&] {
        const int height = Height();
        SetDeviceScale(factor);
        // The window keeps its pixels until its container lays it out
        // again; the strip keeps its own height in the control's pixels.
        SetImageSize(ControlPixels(client.right, Scale()), height);
        RequestHeight(height);
    });
    ::InvalidateRect(window_, nullptr, FALSE);
}

void WindowSite::DeliverMouse(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!Control()) return;
    // Coordinates are signed: with the capture held, the pointer can be left
    // of or above the window.
    // The window's pixels, in the control's.
    const Single x = static_cast<Single>(static_cast<short>(LOWORD(lParam)) / Scale().factor);
    const Single y = static_cast<Single>(static_cast<short>(HIWORD(lParam)) / Scale().factor);
    const Integer shift = ShiftState(wParam);
    switch (message) {
        case WM_MOUSEMOVE:
            Notify([&] { Control()->MouseMove(HeldButtons(wParam), shift, x, y); });
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
            // A pressed control takes the focus, as any control of a form.
            if (::GetFocus() != window_) {
                focusForPointer_ = true;
                ::SetFocus(window_);
                focusForPointer_ = false;
            }
            Notify([&] { Control()->MouseDown(ChangedButton(message), shift, x, y); });
            break;
        default:
            Notify([&] { Control()->MouseUp(ChangedButton(message), shift, x, y); });
            break;
    }
}

bool WindowSite::DeliverKey(WPARAM key) {
    if (!Control()) return false;
    Integer shift = 0;
    if (::GetKeyState(VK_SHIFT) < 0) shift |= kShiftMask;
    if (::GetKeyState(VK_CONTROL) < 0) shift |= kCtrlMask;
    if (::GetKeyState(VK_MENU) < 0) shift |= kAltMask;
    bool taken = false;
    Notify([&] { taken = Control()->KeyDown(static_cast<Integer>(key), shift); });
    return taken;
}

template <typename Body>
void WindowSite::Notify(Body&& body) noexcept {
    const ChangeBatch batch(*this);
    try {
        body();
    } catch (const RuntimeError&) {
        // The control's own errors end its notification; the window goes on.
    } catch (const std::bad_alloc&) {
    }
}

}  // namespace lumora::server
