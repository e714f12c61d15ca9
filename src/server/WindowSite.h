// SPDX-License-Identifier: MIT
#pragma once

#include "StripAccessible.h"
#include "StripAnnouncer.h"
#include "StripAutomation.h"
#include "WindowlessSite.h"
#include "WindowsHeaders.h"
#include "platform/win32/ScopedComPtr.h"

namespace lumora::server {

// What the windowed site asks of the container, through the COM object
// that knows it.
class IContainerLink {
public:
    virtual ~IContainerLink() = default;
    // Asks the container to give the control's window this rectangle (in
    // the parent window's coordinates). The container may answer by
    // placing the window at once, or not at all.
    virtual void RequestPosition(const ::RECT& position) = 0;
    // The control's window got or lost the keyboard focus.
    virtual void FocusChanged(bool gotFocus) = 0;
    // The keys that move the focus to the control changed.
    virtual void AccessKeysChanged() = 0;
};

// The control's host services once a container activates it in place: the
// same persistent image as the windowless site, now shown in a child window
// of the container's, with the window's mouse and focus messages delivered
// to the control and the pointer services answered for the real window.
// Without a window (before activation, after deactivation) it is the
// windowless site. One object for the control's whole life keeps the
// control's font, colours and image across activations, and lets the
// control hold one site reference.
class WindowSite final : public WindowlessSite, private IAccessibleStrip {
public:
    WindowSite(ISiteOwner& owner, IContainerLink& container);
    ~WindowSite() override;

    // Creates the child window of parent at position, showing the image.
    // Returns false when the system refused the window.
    bool CreateChildWindow(::HWND parent, const ::RECT& position);
    // Closes the window; the image and everything else stay.
    void DestroyChildWindow() noexcept;
    ::HWND Window() const noexcept override { return window_; }
    // Moves the window to the rectangle the container gives it.
    void Place(const ::RECT& position);

    // IControlSite
    HWND hWnd() override;
    void Refresh() override;
    // Invalidates only the rectangle (the window's client pixels) and paints
    // it at once; an empty one paints nothing, yet is announced like a
    // whole refresh.
    void RefreshRect(const Rect& rect) override;
    void put_AccessKeys(const String& keys) override;

    // Holds back what assistive technology hears about names, sorts and
    // the focus while one call into the control runs, and tells it once
    // the call is done: it hears where the call ends, not the steps on
    // the way. Presses are told as they show.
    class ChangeBatch {
    public:
        explicit ChangeBatch(WindowSite& site) noexcept : site_(site) { ++site_.batchDepth_; }
        ~ChangeBatch();
        ChangeBatch(const ChangeBatch&) = delete;
        ChangeBatch& operator=(const ChangeBatch&) = delete;

    private:
        WindowSite& site_;
    };

private:
    // IAccessibleStrip
    LumoraListControl* Strip() const noexcept override { return Control(); }
    const DeviceScale& ScreenScale() const noexcept override { return Scale(); }
    bool PressColumn(Long column) override;
    // Tells assistive technology what changed; see ChangeBatch.
    void Announce(bool pressedOnly) noexcept;
    // The strip's accessible object for WM_GETOBJECT, made at the first ask.
    LRESULT AnswerAccessibility(WPARAM flags);
    // The strip's UI Automation root for WM_GETOBJECT, made at the first
    // ask; the system's answer when it has no UI Automation.
    LRESULT AnswerAutomation(WPARAM wParam, LPARAM lParam);

    void RequestHeight(int pixels) override;
    // IPointer, on the real window.
    HWND SetCapture(HWND hwnd) override;
    HWND GetCapture() override;
    bool ReleaseCapture() override;

    // The class of the control's window, registered with the module's
    // instance the first time a window is made.
    static bool RegisterWindowClass();
    static LRESULT CALLBACK WindowProcedure(::HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    // Draws at the resolution the window's container asks for: its
    // monitor's, when the container is aware of monitors' resolutions, and
    // the control's own pixels one to one otherwise.
    void FollowWindowDpi(UINT dpi);
    // Hands one mouse message to the control as MouseDown, MouseMove or
    // MouseUp with its button and shift states.
    void DeliverMouse(UINT message, WPARAM wParam, LPARAM lParam);
    // Hands a key press to the control; returns whether it was the strip's.
    bool DeliverKey(WPARAM key);
    // Runs one notification into the control; its runtime errors stay here,
    // since nothing may unwind through the system's message dispatch.
    template <typename Body>
    void Notify(Body&& body) noexcept;

    IContainerLink& container_;
    ::HWND window_ = nullptr;
    // Set while the container is asked for a new height, so that the Resize
    // its answer delivers cannot ask again.
    bool askingContainer_ = false;
    // Set while a click gives the window the focus, so that the focus cue
    // stays hidden for the mouse.
    bool focusForPointer_ = false;
    win32::ScopedComPtr<StripAccessible> accessible_;
    win32::ScopedComPtr<StripAutomation> automation_;
    StripAnnouncer announcer_;
    int batchDepth_ = 0;
};

}  // namespace lumora::server
