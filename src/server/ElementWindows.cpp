// SPDX-License-Identifier: MIT
#include "ElementWindows.h"

#include "ServerModule.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include <commctrl.h>

#include "lumora/runtime/RuntimeError.h"
#include "platform/win32/Win32Picture.h"

#include "Artwork.h"
#include "SystemDialogs.h"
#include "pages/Product.h"

namespace lumora::server {
namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr int kHimetricPerInch = 2540;
constexpr double kPointsPerInch = 72.0;
// The first control identifier; the dialog's own buttons keep the small
// ones (IDOK, IDCANCEL).
constexpr int kFirstId = 1000;
// A separator line is an etched edge this many pixels high.
constexpr int kLineHeight = 2;
// The pictures of the columns page's picture buttons.
constexpr int kButtonArtwork = 16;
// The system's colours as the runtime names them: the high bit marks a
// system colour index.
constexpr OLE_COLOR kSystemColourFlag = 0x80000000;

COLORREF Translated(OLE_COLOR color) {
    if (color & kSystemColourFlag) return ::GetSysColor(static_cast<int>(color & 0xFF));
    return static_cast<COLORREF>(color);
}

::IPicture* SystemPicture(const PicturePtr& picture) {
    const auto* system = dynamic_cast<const win32::Win32Picture*>(picture.get());
    return system ? system->ComObject() : nullptr;
}

SIZE PictureSize(const PicturePtr& picture) {
    return SIZE{::MulDiv(picture->get_Width(), ScreenDpi(LOGPIXELSX), kHimetricPerInch),
                ::MulDiv(picture->get_Height(), ScreenDpi(LOGPIXELSY), kHimetricPerInch)};
}

struct WindowKind {
    const wchar_t* windowClass;
    DWORD style;
    DWORD extendedStyle;
};

WindowKind KindOf(const pages::Element& element) {
    const std::string_view kind = element.Kind();
    if (kind == "Label") return {L"STATIC", SS_LEFT | SS_NOTIFY | SS_NOPREFIX, 0};
    if (kind == "Frame") return {L"BUTTON", BS_GROUPBOX, 0};
    if (kind == "Line") return {L"STATIC", SS_ETCHEDHORZ, 0};
    if (kind == "CheckBox") return {L"BUTTON", BS_CHECKBOX | WS_TABSTOP, 0};
    if (kind == "ScrollBar") return {L"SCROLLBAR", SBS_HORZ | WS_TABSTOP, 0};
    if (kind == "Button") {
        const DWORD look = element.Artwork().empty() ? BS_PUSHBUTTON : BS_OWNERDRAW;
        return {L"BUTTON", look | WS_TABSTOP, 0};
    }
    if (kind == "PictureBox") {
        const auto& box = static_cast<const pages::PictureBox&>(element);
        return {L"STATIC", SS_OWNERDRAW | (box.BorderStyle == 1 ? WS_BORDER : 0u), 0};
    }
    const auto& text = static_cast<const pages::TextBox&>(element);
    DWORD style = WS_TABSTOP | (text.Locked ? ES_READONLY : 0u);
    style |= text.MultiLine ? ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL : ES_AUTOHSCROLL;
    return {L"EDIT", style, WS_EX_CLIENTEDGE};
}

std::wstring ShownText(const pages::Element& element) {
    if (const auto* text = dynamic_cast<const pages::TextBox*>(&element)) return WideText(text->get_Text());
    return WideText(element.get_Caption());
}

String WindowText(::HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, text.data(), length + 1);
    return FromWideText(text.data(), static_cast<std::size_t>(std::max(copied, 0)));
}

}  // namespace

int PixelsX(Long twips) { return static_cast<int>(std::lround(twips * ScreenDpi(LOGPIXELSX) / kTwipsPerInch)); }

int PixelsY(Long twips) { return static_cast<int>(std::lround(twips * ScreenDpi(LOGPIXELSY) / kTwipsPerInch)); }

EmptyDialogTemplate::EmptyDialogTemplate(DWORD style, DWORD extendedStyle) {
    DLGTEMPLATE header{};
    header.style = style;
    header.dwExtendedStyle = extendedStyle;
    std::memcpy(words, &header, sizeof(header));
}

// One font per look, kept while the windows that use it live.
class ElementWindows::Fonts {
public:
    Fonts() = default;
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;
    ~Fonts() {
        for (auto& made : made_) ::DeleteObject(made.second);
    }

    ::HFONT For(const pages::TextLook& look) {
        for (const auto& made : made_)
            if (made.first == look) return made.second;
        const int height = -static_cast<int>(std::lround(look.FontSize * ScreenDpi(LOGPIXELSY) / kPointsPerInch));
        // A typewriter face that the system lacks is replaced by another
        // one of fixed pitch, so that the feature list keeps its columns.
        const BYTE pitch = look.FontName.rfind(u"Courier", 0) == 0 ? FIXED_PITCH | FF_MODERN : DEFAULT_PITCH;
        const ::HFONT font = ::CreateFontW(height, 0, 0, 0, look.Bold ? FW_BOLD : FW_NORMAL, FALSE, look.Underline,
                                           FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                           DEFAULT_QUALITY, pitch, WideText(look.FontName).c_str());
        made_.emplace_back(look, font);
        return font;
    }

private:
    std::vector<std::pair<pages::TextLook, ::HFONT>> made_;
};

ElementWindows::ElementWindows(::HWND dialog, const std::vector<pages::Element*>& elements)
    : dialog_(dialog), fonts_(std::make_unique<Fonts>()) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    toolTips_ = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, nullptr, nullptr);
    int id = kFirstId;
    for (pages::Element* element : elements) {
        if (element->get_Visible()) Create(*element, id);
        ++id;
    }
}

ElementWindows::~ElementWindows() {
    // The dialog destroys its children; the tooltips are only owned by it.
    if (toolTips_) ::DestroyWindow(toolTips_);
}

RECT ElementWindows::PixelRect(const pages::Element& element) const {
    pages::Placement place = element.placement();
    if (const pages::Element* frame = element.Container()) {
        place.Left += frame->placement().Left;
        place.Top += frame->placement().Top;
    }
    const int left = PixelsX(place.Left);
    const int top = PixelsY(place.Top);
    int height = PixelsY(place.Height);
    if (element.Kind() == "Line") height = kLineHeight;
    return RECT{left, top, left + PixelsX(place.Width), top + height};
}

void ElementWindows::Create(pages::Element& element, int id) {
    const WindowKind kind = KindOf(element);
    const RECT place = PixelRect(element);
    const DWORD style = WS_CHILD | WS_VISIBLE | kind.style | (element.get_Enabled() ? 0u : WS_DISABLED);
    const ::HWND window = ::CreateWindowExW(
        kind.extendedStyle, kind.windowClass, ShownText(element).c_str(), style, place.left, place.top,
        place.right - place.left, place.bottom - place.top, dialog_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(dialog_, GWLP_HINSTANCE)), nullptr);
    if (!window) return;
    ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_->For(element.Look())), FALSE);
    shown_.push_back(Shown{&element, window, id});
    ShowState(shown_.back());
    if (toolTips_ && !element.get_ToolTipText().empty()) {
        std::wstring tip = WideText(element.get_ToolTipText());
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = dialog_;
        tool.uId = reinterpret_cast<UINT_PTR>(window);
        tool.lpszText = tip.data();
        ::SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void ElementWindows::ShowState(const Shown& shown) {
    updating_ = true;
    if (const auto* check = dynamic_cast<const pages::CheckBox*>(shown.element)) {
        ::SendMessageW(shown.window, BM_SETCHECK, check->get_Value() == pages::CheckBox::vbChecked, 0);
    } else if (const auto* bar = dynamic_cast<const pages::ScrollBar*>(shown.element)) {
        ::SetScrollRange(shown.window, SB_CTL, std::min(bar->get_Min(), bar->get_Max()),
                         std::max(bar->get_Min(), bar->get_Max()), FALSE);
        ::SetScrollPos(shown.window, SB_CTL, bar->get_Value(), TRUE);
    } else if (dynamic_cast<const pages::PictureBox*>(shown.element)) {
        FitPicture(shown);
    }
    updating_ = false;
}

void ElementWindows::FitPicture(const Shown& shown) {
    const auto& box = static_cast<const pages::PictureBox&>(*shown.element);
    RECT place = PixelRect(box);
    if (box.AutoSize && box.get_Picture()) {
        const SIZE size = PictureSize(box.get_Picture());
        const int border = box.BorderStyle == 1 ? 2 : 0;
        place.right = place.left + size.cx + border;
        place.bottom = place.top + size.cy + border;
    }
    ::SetWindowPos(shown.window, nullptr, 0, 0, place.right - place.left, place.bottom - place.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(shown.window, nullptr, TRUE);
}

void ElementWindows::ElementUpdated(const pages::Element& element, std::string_view property) {
    const auto found =
        std::find_if(shown_.begin(), shown_.end(), [&](const Shown& s) { return s.element == &element; });
    if (found == shown_.end()) return;
    const Shown& shown = *found;
    if (property == "Text" || property == "Caption") {
        updating_ = true;
        ::SetWindowTextW(shown.window, ShownText(element).c_str());
        // Text the page wrote while the user types keeps the caret at its end.
        if (property == "Text") ::SendMessageW(shown.window, EM_SETSEL, 0x7FFFFFFF, 0x7FFFFFFF);
        updating_ = false;
    } else if (property == "Enabled") {
        ::EnableWindow(shown.window, element.get_Enabled());
    } else {
        ShowState(shown);
    }
}

::HWND ElementWindows::WindowOf(const pages::Element& element) const {
    for (const Shown& shown : shown_)
        if (shown.element == &element) return shown.window;
    return nullptr;
}

int ElementWindows::IdOf(const pages::Element& element) const {
    for (const Shown& shown : shown_)
        if (shown.element == &element) return shown.id;
    return 0;
}

const ElementWindows::Shown* ElementWindows::Find(::HWND window) const {
    for (const Shown& shown : shown_)
        if (shown.window == window) return &shown;
    return nullptr;
}

const ElementWindows::Shown* ElementWindows::Find(int id) const {
    for (const Shown& shown : shown_)
        if (shown.id == id) return &shown;
    return nullptr;
}

bool ElementWindows::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
    switch (message) {
        case WM_COMMAND:
            if (const Shown* shown = Find(static_cast<int>(LOWORD(wParam)))) {
                OnCommand(*shown, HIWORD(wParam));
                *result = TRUE;
                return true;
            }
            return false;
        case WM_HSCROLL:
            if (const Shown* shown = Find(reinterpret_cast<::HWND>(lParam))) {
                OnScroll(*shown, LOWORD(wParam));
                *result = TRUE;
                return true;
            }
            return false;
        case WM_DRAWITEM:
            if (Find(static_cast<int>(wParam))) {
                Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                *result = TRUE;
                return true;
            }
            return false;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            if (const Shown* shown = Find(reinterpret_cast<::HWND>(lParam))) {
                *result = Colour(*shown, reinterpret_cast<::HDC>(wParam));
                return true;
            }
            return false;
        case WM_SETCURSOR: {
            const Shown* shown = Find(reinterpret_cast<::HWND>(wParam));
            const auto* label = shown ? dynamic_cast<const pages::Label*>(shown->element) : nullptr;
            if (!label || label->MousePointer != vbCustom) return false;
            ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
            ::SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, TRUE);
            *result = TRUE;
            return true;
        }
        default:
            return false;
    }
}

void ElementWindows::OnCommand(const Shown& shown, int code) {
    pages::Element& element = *shown.element;
    if (auto* text = dynamic_cast<pages::TextBox*>(&element)) {
        if (code != EN_CHANGE || updating_) return;
        const String typed = WindowText(shown.window);
        AsUser([&] { text->put_Text(typed); });
    } else if (auto* button = dynamic_cast<pages::Button*>(&element)) {
        if (code == BN_CLICKED) AsUser([&] { button->Click(); });
    } else if (auto* check = dynamic_cast<pages::CheckBox*>(&element)) {
        if (code == BN_CLICKED) AsUser([&] { check->Toggle(); });
    } else if (auto* label = dynamic_cast<pages::Label*>(&element)) {
        if (code == STN_CLICKED) AsUser([&] { label->Click(); });
    }
}

void ElementWindows::OnScroll(const Shown& shown, int request) {
    auto& bar = static_cast<pages::ScrollBar&>(*shown.element);
    const int low = std::min(bar.get_Min(), bar.get_Max());
    const int high = std::max(bar.get_Min(), bar.get_Max());
    int value = bar.get_Value();
    switch (request) {
        case SB_LINELEFT:
        case SB_PAGELEFT:
            --value;
            break;
        case SB_LINERIGHT:
        case SB_PAGERIGHT:
            ++value;
            break;
        case SB_LEFT:
            value = low;
            break;
        case SB_RIGHT:
            value = high;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            SCROLLINFO info{};
            info.cbSize = sizeof(info);
            info.fMask = SIF_TRACKPOS;
            if (::GetScrollInfo(shown.window, SB_CTL, &info)) value = info.nTrackPos;
            break;
        }
        default:
            return;
    }
    value = std::clamp(value, low, high);
    if (value != bar.get_Value()) AsUser([&] { bar.put_Value(static_cast<Integer>(value)); });
}

void ElementWindows::Draw(const DRAWITEMSTRUCT& item) {
    const Shown* shown = Find(static_cast<int>(item.CtlID));
    const ::HDC dc = item.hDC;
    RECT area = item.rcItem;
    if (const auto* box = dynamic_cast<const pages::PictureBox*>(shown->element)) {
        const ::HBRUSH background = ::CreateSolidBrush(Translated(box->BackColor));
        ::FillRect(dc, &area, background);
        ::DeleteObject(background);
        if (::IPicture* picture = SystemPicture(box->get_Picture())) {
            const SIZE size = PictureSize(box->get_Picture());
            OLE_XSIZE_HIMETRIC width = 0;
            OLE_YSIZE_HIMETRIC height = 0;
            picture->get_Width(&width);
            picture->get_Height(&height);
            picture->Render(dc, 0, 0, size.cx, size.cy, 0, height, width, -height, nullptr);
        } else {
            DrawArtwork(dc, area, box->Artwork());
        }
        return;
    }
    // A picture button: the system's push button with the artwork centred,
    // shifted by a pixel while pressed.
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    ::DrawFrameControl(dc, &area, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0u));
    const int shift = pressed ? 1 : 0;
    const int left = (area.left + area.right - kButtonArtwork) / 2 + shift;
    const int top = (area.top + area.bottom - kButtonArtwork) / 2 + shift;
    DrawArtwork(dc, RECT{left, top, left + kButtonArtwork, top + kButtonArtwork}, shown->element->Artwork());
    if (item.itemState & ODS_FOCUS) {
        ::InflateRect(&area, -3, -3);
        ::DrawFocusRect(dc, &area);
    }
}

INT_PTR ElementWindows::Colour(const Shown& shown, ::HDC dc) {
    // An edit keeps the window colour also when it is read-only.
    const int background = shown.element->Kind() == "TextBox" ? COLOR_WINDOW : COLOR_BTNFACE;
    ::SetTextColor(dc, Translated(shown.element->Look().ForeColor));
    ::SetBkColor(dc, ::GetSysColor(background));
    return reinterpret_cast<INT_PTR>(::GetSysColorBrush(background));
}

void ElementWindows::AsUser(const std::function<void()>& input) {
    try {
        input();
    } catch (const RuntimeError& error) {
        const String text = FromUtf8(std::to_string(error.number())) + u"\r\n" + FromUtf8(error.description());
        ::MessageBoxW(dialog_, WideText(text).c_str(), WideText(pages::product::kDefaultMessageTitle).c_str(),
                      MB_OK | MB_ICONERROR);
    }
    if (afterInput) afterInput();
}

}  // namespace lumora::server
