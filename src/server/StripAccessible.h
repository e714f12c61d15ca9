// SPDX-License-Identifier: MIT
#pragma once

#include "WindowsHeaders.h"

#include <oleacc.h>

#include "lumora/platform/DeviceScale.h"

#include "ServerModule.h"

namespace lumora::server {

// What the accessible object reads and asks of the strip's window.
class IAccessibleStrip {
public:
    virtual ~IAccessibleStrip() = default;
    virtual ::HWND Window() const noexcept = 0;
    // The control, or null while none is attached.
    virtual LumoraListControl* Strip() const noexcept = 0;
    // Presses a column as a click does; false for an index that names none.
    virtual bool PressColumn(Long column) = 0;
    // How many of the window's pixels show one of the control's.
    virtual const DeviceScale& ScreenScale() const noexcept = 0;
};

// A column's access key as assistive technology says it, "Alt+N", or empty
// for a caption without one.
String SpokenAccessKey(LumoraListControl& strip, Long column);

// The strip as assistive technology sees it: a list whose children are the
// column headers, as simple elements with child ids 1 .. NumberOfRows. A
// client may hold the object longer than the window lives; once the window
// goes, every call fails as disconnected.
class StripAccessible final : public IAccessible {
public:
    explicit StripAccessible(IAccessibleStrip& strip) noexcept : strip_(&strip) {}
    StripAccessible(const StripAccessible&) = delete;
    StripAccessible& operator=(const StripAccessible&) = delete;

    // The window is going: later calls reach nothing.
    void Disconnect() noexcept { strip_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch: clients call the interface's own methods; there is no
    // type information to late-bind through.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~StripAccessible() = default;

    // The column a child id names, CHILDID_SELF for the strip, or -1 for
    // an id that names nothing.
    Long ColumnOf(const VARIANT& child) const;
    // Checks the connection and the child id, then runs body(strip,
    // column); the control's runtime errors become E_FAIL.
    template <typename Body>
    HRESULT WithColumn(const VARIANT& child, Body&& body) const noexcept;
    // A text result: S_FALSE with no string for an empty text.
    static HRESULT ReturnText(const String& text, BSTR* result);

    ModuleReference module_;
    LONG references_ = 1;
    IAccessibleStrip* strip_;
};

}  // namespace lumora::server
