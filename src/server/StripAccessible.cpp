// SPDX-License-Identifier: MIT
#include "StripAccessible.h"

#include <new>

#include "lumora/runtime/RuntimeError.h"

#include "render/mXPWells.h"

namespace lumora::server {
namespace {

// What a column does when assistive technology asks for its action.
constexpr wchar_t kClickAction[] = L"Click";

void SetChild(VARIANT* result, LONG id) {
    V_VT(result) = VT_I4;
    V_I4(result) = id;
}

}  // namespace

String SpokenAccessKey(LumoraListControl& strip, Long column) {
    String key = mXPWells::ExtractAccessKey(strip.get_RowCaption(column));
    if (key.empty()) return key;
    ::CharUpperBuffW(reinterpret_cast<LPWSTR>(key.data()), static_cast<DWORD>(key.size()));
    return u"Alt+" + key;
}

HRESULT STDMETHODCALLTYPE StripAccessible::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, __uuidof(IAccessible))) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE StripAccessible::Release() {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE StripAccessible::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

Long StripAccessible::ColumnOf(const VARIANT& child) const {
    if (V_VT(&child) != VT_I4) return -1;
    const LONG id = V_I4(&child);
    if (id == CHILDID_SELF) return CHILDID_SELF;
    return id >= 1 && id <= strip_->Strip()->get_NumberOfRows() ? id : -1;
}

template <typename Body>
HRESULT StripAccessible::WithColumn(const VARIANT& child, Body&& body) const noexcept {
    if (!strip_ || !strip_->Strip()) return RPC_E_DISCONNECTED;
    const Long column = ColumnOf(child);
    if (column < 0) return E_INVALIDARG;
    try {
        return body(*strip_->Strip(), column);
    } catch (const RuntimeError&) {
        return E_FAIL;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT StripAccessible::ReturnText(const String& text, BSTR* result) {
    *result = nullptr;
    if (text.empty()) return S_FALSE;
    *result = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
    return *result ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE StripAccessible::get_accParent(IDispatch** parent) {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    if (!strip_) return RPC_E_DISCONNECTED;
    // The window's own object, which the system makes for every window.
    return ::AccessibleObjectFromWindow(strip_->Window(), static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                        reinterpret_cast<void**>(parent));
}

HRESULT STDMETHODCALLTYPE StripAccessible::get_accChildCount(LONG* count) {
    if (!count) return E_POINTER;
    VARIANT self{};
    SetChild(&self, CHILDID_SELF);
    return WithColumn(self, [&](LumoraListControl& strip, Long) {
        *count = strip.get_NumberOfRows();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE StripAccessible::get_accChild(VARIANT child, IDispatch** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    // The columns are simple elements with no object of their own.
    return WithColumn(child,
                      [&](LumoraListControl&, Long column) { return column == CHILDID_SELF ? E_INVALIDARG : S_FALSE; });
}

HRESULT STDMETHODCALLTYPE StripAccessible::get_accName(VARIANT child, BSTR* name) {
    if (!name) return E_POINTER;
    *name = nullptr;
    return WithColumn(child, [&](LumoraListControl& strip, Long column) {
        return column == CHILDID_SELF ? S_FALSE : ReturnText(strip.SpokenRowCaption(column), name);
    });
}

HRESULT STDMETHODCALLTYPE StripAccessible::get_accValue(VARIANT child, BSTR* value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    return WithColumn(child, [](LumoraListControl&, Long) { return DISP_E_MEMBERNOTFOUND; });
}

HRESULT STDMETHODCALLTYPE StripAccessible::get_accDescription(VARIANT child, BSTR* description) {
    if (!description) return E_POINTER;
    *description = nullptr;
    return WithColumn(child, [&](LumoraListControl& strip, Long column) {
        return column == CHILDID_SELF ? S_FALSE : ReturnText(strip.RowSortDescription(column), description);
    });
}

HRESULT STDMETHODCALLTYPE StripAccessible::get_accRole(VARIANT child, VARIANT* role) {
    if (!role) return E_POINTER;
    ::VariantInit(role);
    // A list of column headers, as the system's own header control is.
    return WithColumn(child, [&](LumoraListControl&, Long column) {
        SetChild(role, column == CHILDID_SELF ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_COLUMNHEADER);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE StripAccessible::get_accState(VARIANT child, VARIANT* state) {
    if (!state) return E_POINTER;
    ::VariantInit(state);
    return WithColumn(child, [&](LumoraListControl& strip, Long column) {
        const ::HWND window = strip_->Window();
        LONG flags = STATE_SYSTEM_FOCUSABLE;
        if (column == CHILDID_SELF) {
            if (::GetFocus() == window) flags |= STATE_SYSTEM_FOCUSED;
            if (!::IsWindowVisible(window)) flags |= STATE_SYSTEM_INVISIBLE;
        } else {
            if (strip.HasFocus() && strip.FocusedRow() == column) flags |= STATE_SYSTEM_FOCUSED;
            if (strip.get_SelectedRow() == column) flags |= STATE_SYSTEM_PRESSED;
        }
        SetChild(state, flags);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE StripAccessible::get_accHelp(VARIANT child, BSTR* help) {
    if (!help) return E_POINTER;
    *help = nullptr;
    return WithColumn(child, [](LumoraListControl&, Long) { return S_FALSE; });
}

HRESULT STDMETHODCALLTYPE StripAccessible::get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) {
    if (!file || !topic) return E_POINTER;
    *file = nullptr;
    *topic = 0;
    return WithColumn(child, [](LumoraListControl&, Long) { return S_FALSE; });
}

HRESULT STDMETHODCALLTYPE StripAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    if (!shortcut) return E_POINTER;
    *shortcut = nullptr;
    return WithColumn(child, [&](LumoraListControl& strip, Long column) {
        return column == CHILDID_SELF ? S_FALSE : ReturnText(SpokenAccessKey(strip, column), shortcut);
    });
}

HRESULT STDMETHODCALLTYPE StripAccessible::get_accFocus(VARIANT* focus) {
    if (!focus) return E_POINTER;
    ::VariantInit(focus);
    VARIANT self{};
    SetChild(&self, CHILDID_SELF);
    return WithColumn(self, [&](LumoraListControl& strip, Long) {
        if (::GetFocus() != strip_->Window()) return S_FALSE;
        SetChild(focus, strip.FocusedRow());
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE StripAccessible::get_accSelection(VARIANT* selection) {
    if (!selection) return E_POINTER;
    ::VariantInit(selection);
    // Columns are pressed, never selected.
    return strip_ ? S_FALSE : RPC_E_DISCONNECTED;
}

HRESULT STDMETHODCALLTYPE StripAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    if (!action) return E_POINTER;
    *action = nullptr;
    return WithColumn(child, [&](LumoraListControl&, Long column) {
        if (column == CHILDID_SELF) return S_FALSE;
        *action = ::SysAllocString(kClickAction);
        return *action ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT STDMETHODCALLTYPE StripAccessible::accSelect(LONG, VARIANT child) {
    return WithColumn(child, [](LumoraListControl&, Long) { return DISP_E_MEMBERNOTFOUND; });
}

HRESULT STDMETHODCALLTYPE StripAccessible::accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                                       VARIANT child) {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    return WithColumn(child, [&](LumoraListControl& strip, Long column) {
        const ::HWND window = strip_->Window();
        ::RECT place{};
        ::GetClientRect(window, &place);
        if (column != CHILDID_SELF) {
            // Where the last paint pass laid the column out.
            const auto& rects = strip.RowRects();
            if (static_cast<std::size_t>(column) >= rects.size()) return S_FALSE;
            const Rect laid = strip_->ScreenScale().Area(rects[static_cast<std::size_t>(column)]);
            place = ::RECT{laid.left, laid.top, laid.right, laid.bottom};
        }
        ::MapWindowPoints(window, nullptr, reinterpret_cast<::POINT*>(&place), 2);
        *left = place.left;
        *top = place.top;
        *width = place.right - place.left;
        *height = place.bottom - place.top;
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE StripAccessible::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
    if (!end) return E_POINTER;
    ::VariantInit(end);
    return WithColumn(start, [&](LumoraListControl& strip, Long column) {
        const Long count = strip.get_NumberOfRows();
        Long reached = 0;
        if (column == CHILDID_SELF) {
            if (direction == NAVDIR_FIRSTCHILD) reached = 1;
            if (direction == NAVDIR_LASTCHILD) reached = count;
        } else if (direction == NAVDIR_NEXT || direction == NAVDIR_RIGHT) {
            reached = column + 1;
        } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_LEFT) {
            reached = column - 1;
        }
        if (reached < 1 || reached > count) return S_FALSE;
        SetChild(end, reached);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE StripAccessible::accHitTest(LONG x, LONG y, VARIANT* child) {
    if (!child) return E_POINTER;
    ::VariantInit(child);
    VARIANT self{};
    SetChild(&self, CHILDID_SELF);
    return WithColumn(self, [&](LumoraListControl& strip, Long) {
        const ::HWND window = strip_->Window();
        ::POINT point{x, y};
        ::ScreenToClient(window, &point);
        ::RECT client{};
        ::GetClientRect(window, &client);
        if (!::PtInRect(&client, point)) return S_FALSE;
        // The columns lie where the screen shows them.
        const DeviceScale& scale = strip_->ScreenScale();
        const auto& rects = strip.RowRects();
        Long hit = CHILDID_SELF;
        for (Long column = 1; column <= strip.get_NumberOfRows(); ++column) {
            if (static_cast<std::size_t>(column) >= rects.size()) break;
            const Rect laid = scale.Area(rects[static_cast<std::size_t>(column)]);
            if (point.x >= laid.left && point.x < laid.right && point.y >= laid.top && point.y < laid.bottom)
                hit = column;
        }
        SetChild(child, hit);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE StripAccessible::accDoDefaultAction(VARIANT child) {
    return WithColumn(child, [&](LumoraListControl&, Long column) {
        if (column == CHILDID_SELF) return DISP_E_MEMBERNOTFOUND;
        return strip_->PressColumn(column) ? S_OK : E_FAIL;
    });
}

}  // namespace lumora::server
