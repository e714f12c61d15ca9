// SPDX-License-Identifier: MIT
#include "DemoWindow.h"

#include <commdlg.h>

#include <algorithm>
#include <array>

#include "DorvaneLumoraStyleList.h"
#include "FormFile.h"

namespace lumora::windemo {
namespace {

constexpr wchar_t kWindowClass[] = L"LumoraDemoWindow";
constexpr wchar_t kWindowTitle[] = L"Lumora \u2013 Demo";
constexpr wchar_t kProgId[] = L"DorvaneLumoraStyleList.LumoraListControl";
// Forms open in either format, whatever their names; a save keeps the
// format a file holds and names a new one after the filter picked.
constexpr wchar_t kOpenFilter[] =
    L"Lumora-Formulare (*.lumora; *.json)\0*.lumora;*.json\0Lumora-Formular (*.lumora)\0*.lumora\0"
    L"JSON-Formular (*.json)\0*.json\0Alle Dateien (*.*)\0*.*\0";
constexpr wchar_t kSaveFilter[] =
    L"Lumora-Formular (*.lumora)\0*.lumora\0JSON-Formular (*.json)\0*.json\0Alle Dateien (*.*)\0*.*\0";
constexpr wchar_t kFormExtension[] = L"lumora";

// The window's client size when it opens.
constexpr int kClientWidth = 460;
constexpr int kClientHeight = 420;
// The button row under the list, and the gap around its buttons.
constexpr int kButtonRowHeight = 36;
constexpr int kButtonMargin = 6;
constexpr int kButtonWidth = 120;
// The strip's height before the control tells its own.
constexpr int kDefaultStripHeight = 25;
// The resolution the sizes above are given at.
constexpr int kBaseDpi = 96;

// The columns: caption with its access key, and width in pixels.
struct ColumnSetUp {
    const wchar_t* caption;
    long width;
};
constexpr std::array<ColumnSetUp, kSampleColumnCount> kColumns{{
    {L"&Name", 170},
    {L"&Ort", 140},
    {L"&Datum", 100},
}};

enum Command : int {
    kCommandProperties = 100,
    kCommandLoad,
    kCommandSave,
    kCommandExit,
};

HMENU CreateDemoMenu() {
    const HMENU file = ::CreatePopupMenu();
    ::AppendMenuW(file, MF_STRING, kCommandLoad, L"Formular \u00F6&ffnen\u2026");
    ::AppendMenuW(file, MF_STRING, kCommandSave, L"Formular &speichern\u2026");
    ::AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(file, MF_STRING, kCommandExit, L"&Beenden");
    const HMENU bar = ::CreateMenu();
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&Datei");
    return bar;
}

void SetCellText(HWND list, int row, int column, const std::wstring& text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

bool DemoWindow::RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(instance, kWindowClass, &existing)) return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &DemoWindow::WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    return ::RegisterClassExW(&windowClass) != 0;
}

DemoWindow::DemoWindow(const AtlContainer& atl)
    : atl_(atl),
      sink_([this](long column, SortDirection direction) { SortList(column, direction); }),
      rows_(SampleRows()) {}

DemoWindow::~DemoWindow() {
    sink_.Disconnect();
    strip_.Reset();
    control_.Reset();
    if (window_) ::DestroyWindow(window_);
}

bool DemoWindow::Create(HINSTANCE instance, std::wstring* error) {
    if (!RegisterWindowClass(instance)) {
        *error = L"Die Fensterklasse l\u00E4sst sich nicht anmelden.";
        return false;
    }
    RECT frame{0, 0, kClientWidth, kClientHeight};
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    const HMENU menu = CreateDemoMenu();
    ::AdjustWindowRectEx(&frame, style, TRUE, 0);
    window_ = ::CreateWindowExW(0, kWindowClass, kWindowTitle, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr, menu, instance, this);
    if (!window_) {
        const DWORD reason = ::GetLastError();
        ::DestroyMenu(menu);
        *error = L"Das Hauptfenster l\u00E4sst sich nicht erzeugen (Fehler " + std::to_wstring(reason) + L").";
        // Wine answers so when the prefix's desktop was started by a program
        // without a display (winepath, regsvr32 over ssh) and still runs.
        if (reason == ERROR_INVALID_WINDOW_HANDLE || reason == ERROR_TLW_WITH_WSCHILD)
            *error += L" Wahrscheinlich l\u00E4uft Wines Desktop in diesem Pr\u00E4fix ohne Anzeige: "
                      L"beenden Sie ihn mit \"wineserver -k\" und starten Sie das Programm erneut.";
        return false;
    }
    if (Scaled(kClientWidth) != kClientWidth) {
        // The window knows its resolution only once it is made.
        RECT scaled{0, 0, Scaled(kClientWidth), Scaled(kClientHeight)};
        ::AdjustWindowRectEx(&scaled, style, TRUE, 0);
        ::SetWindowPos(window_, nullptr, 0, 0, scaled.right - scaled.left, scaled.bottom - scaled.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    CreateList();
    propertiesButton_ = ::CreateWindowExW(0, L"BUTTON", L"&Eigenschaften\u2026", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0,
                                          0, kButtonWidth, kButtonRowHeight - 2 * kButtonMargin, window_,
                                          reinterpret_cast<HMENU>(kCommandProperties), instance, nullptr);
    ::SendMessageW(propertiesButton_, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    host_ = CreateHost(kProgId);
    ScopedComPtr<IUnknown> control(host_ ? atl_.GetControl(host_) : nullptr);
    if (!control || !AdoptControl(control.get())) {
        *error = L"Das Steuerelement \"";
        *error += kProgId;
        *error += L"\" l\u00E4sst sich nicht erzeugen: ist es mit regsvr32 angemeldet?";
        return false;
    }
    SetUpNewStrip();
    MatchListColumns();
    LayOut();
    return true;
}

void DemoWindow::Show(int how) {
    ::ShowWindow(window_, how);
    ::UpdateWindow(window_);
}

HWND DemoWindow::CreateHost(const wchar_t* text) {
    // The container window passes no focus on to the control: the form's
    // dialog manager looks inside it and tabs to the control's own window.
    return ::CreateWindowExW(WS_EX_CONTROLPARENT, atl_.WindowClass(), text, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                             0, kClientWidth, StripHeight(), window_, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

bool DemoWindow::AdoptControl(IUnknown* control) {
    sink_.Disconnect();
    strip_.Reset();
    if (FAILED(control->QueryInterface(IID__LumoraListControl, ReceiveVoid(strip_)))) return false;
    control->AddRef();
    control_.Reset();
    *control_.Receive() = control;
    // Without events the list cannot follow the strip, but the demo still
    // shows both.
    sink_.Connect(control);
    return true;
}

void DemoWindow::SetUpNewStrip() {
    LONG count = 0;
    strip_->get_NumberOfRows(&count);
    for (; count < kSampleColumnCount; ++count) {
        LONG added = 0;
        strip_->AddRow(nullptr, nullptr, nullptr, &added);
    }
    for (LONG index = 1; index <= kSampleColumnCount; ++index) {
        const ColumnSetUp& column = kColumns[index - 1];
        strip_->put_RowWidth(index, column.width);
        const BSTR caption = ::SysAllocString(column.caption);
        strip_->put_RowCaption(index, caption);
        ::SysFreeString(caption);
    }
}

void DemoWindow::CreateList() {
    list_ = ::CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SHOWSELALWAYS | LVS_SINGLESEL, 0, 0,
        0, 0, window_, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
    for (int index = 0; index < kSampleColumnCount; ++index) {
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH | LVCF_TEXT;
        column.cx = kColumns[index].width;
        column.pszText = const_cast<wchar_t*>(kColumns[index].caption);
        ::SendMessageW(list_, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
    }
    FillList();
}

void DemoWindow::FillList() {
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list_);
    for (size_t row = 0; row < rows_.size(); ++row) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(row);
        item.pszText = const_cast<wchar_t*>(rows_[row].name.c_str());
        ::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        SetCellText(list_, item.iItem, 1, rows_[row].place);
        SetCellText(list_, item.iItem, 2, rows_[row].date);
    }
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
}

void DemoWindow::MatchListColumns() {
    LONG count = 0;
    if (!strip_ || FAILED(strip_->get_NumberOfRows(&count))) return;
    for (LONG index = 1; index <= std::min<LONG>(count, kSampleColumnCount); ++index) {
        LONG width = 0;
        if (SUCCEEDED(strip_->get_RowWidth(index, &width)))
            ListView_SetColumnWidth(list_, index - 1, Scaled(std::max<LONG>(width, 0)));
    }
}

int DemoWindow::StripHeight() const {
    LONG height = kDefaultStripHeight;
    if (strip_) strip_->get_HeaderHeight(&height);
    return Scaled(height > 0 ? static_cast<int>(height) : kDefaultStripHeight);
}

int DemoWindow::Scaled(int pixels) const {
    // A window that knows its monitor's resolution lays itself out at it;
    // systems without that call have 96 dpi for every window.
    using DpiOf = UINT(WINAPI*)(::HWND);
    static const auto dpiOf = reinterpret_cast<DpiOf>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    const UINT dpi = dpiOf && window_ ? dpiOf(window_) : kBaseDpi;
    return ::MulDiv(pixels, static_cast<int>(dpi ? dpi : kBaseDpi), kBaseDpi);
}

void DemoWindow::LayOut() {
    RECT client{};
    ::GetClientRect(window_, &client);
    const int stripHeight = StripHeight();
    const int buttonRow = Scaled(kButtonRowHeight);
    const int margin = Scaled(kButtonMargin);
    const int listBottom = std::max<int>(stripHeight, client.bottom - buttonRow);
    if (host_) ::MoveWindow(host_, 0, 0, client.right, stripHeight, TRUE);
    ::MoveWindow(list_, 0, stripHeight, client.right, listBottom - stripHeight, TRUE);
    ::MoveWindow(propertiesButton_, client.right - Scaled(kButtonWidth) - margin, listBottom + margin,
                 Scaled(kButtonWidth), buttonRow - 2 * margin, TRUE);
}

void DemoWindow::SortList(long stripColumn, SortDirection direction) {
    const auto column = ColumnFromStrip(stripColumn);
    if (!column) return;
    SortRows(rows_, *column, direction);
    FillList();
}

HRESULT DemoWindow::SaveFormFile(const std::wstring& path, std::wstring* problem) const {
    return SaveForm(control_.get(), path, problem);
}

HRESULT DemoWindow::LoadFormFile(const std::wstring& path, std::wstring* problem) {
    ScopedComPtr<IUnknown> loaded;
    HRESULT hr = LoadForm(path, loaded.Receive(), problem);
    if (FAILED(hr)) return hr;
    // The loaded strip gets a container window of its own; the old one goes
    // with its control only once the new one holds.
    const HWND oldHost = host_;
    const HWND newHost = CreateHost(L"");
    if (!newHost) return HRESULT_FROM_WIN32(::GetLastError());
    hr = atl_.AttachControl(loaded.get(), newHost);
    if (FAILED(hr) || !AdoptControl(loaded.get())) {
        ::DestroyWindow(newHost);
        return FAILED(hr) ? hr : E_NOINTERFACE;
    }
    host_ = newHost;
    if (oldHost) ::DestroyWindow(oldHost);
    MatchListColumns();
    LayOut();
    return S_OK;
}

void DemoWindow::ShowProperties() {
    ScopedComPtr<ISpecifyPropertyPages> specify;
    CAUUID pages{};
    if (!control_ || FAILED(control_->QueryInterface(IID_ISpecifyPropertyPages, ReceiveVoid(specify))) ||
        FAILED(specify->GetPages(&pages)) || pages.cElems == 0) {
        if (pages.pElems) ::CoTaskMemFree(pages.pElems);
        ::MessageBoxW(window_, L"Dieses Steuerelement bietet keine Eigenschaftenseiten an.", kWindowTitle,
                      MB_OK | MB_ICONINFORMATION);
        return;
    }
    IUnknown* objects[] = {control_.get()};
    const HRESULT hr = ::OleCreatePropertyFrame(window_, 0, 0, L"LumoraListControl", 1, objects, pages.cElems,
                                                pages.pElems, ::GetUserDefaultLCID(), 0, nullptr);
    ::CoTaskMemFree(pages.pElems);
    if (FAILED(hr)) ShowError(L"Die Eigenschaftenseiten lassen sich nicht \u00F6ffnen", hr, std::wstring());
    // The pages may have changed widths or the height.
    MatchListColumns();
    LayOut();
}

bool DemoWindow::PreTranslateMessage(MSG& message) {
    return TranslateMnemonic(message) || ::IsDialogMessageW(window_, &message);
}

bool DemoWindow::TranslateMnemonic(MSG& message) {
    // Only the character Alt typed is matched, as forms match it: the key
    // press goes on to the window, which then knows that Alt was not
    // pressed alone and opens no menu when it is let go.
    if (message.message != WM_SYSCHAR) return false;
    ScopedComPtr<IOleControl> control;
    if (!control_ || FAILED(control_->QueryInterface(IID_IOleControl, ReceiveVoid(control)))) return false;
    // The table is asked for at each key: the captions, and with them the
    // keys, change while the form runs.
    CONTROLINFO info{};
    info.cb = sizeof(info);
    if (FAILED(control->GetControlInfo(&info)) || !info.hAccel || info.cAccel == 0) return false;
    if (!::IsAccelerator(info.hAccel, info.cAccel, &message, nullptr)) return false;
    control->OnMnemonic(&message);
    return true;
}

// The file the user picks in the system's dialog for forms, empty when
// the dialog is cancelled.
std::wstring DemoWindow::AskForFormFile(bool saving) const {
    wchar_t path[MAX_PATH] = L"";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = saving ? kSaveFilter : kOpenFilter;
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (saving) {
        dialog.lpstrDefExt = kFormExtension;
        dialog.Flags |= OFN_OVERWRITEPROMPT;
        return ::GetSaveFileNameW(&dialog) ? path : L"";
    }
    dialog.Flags |= OFN_FILEMUSTEXIST;
    return ::GetOpenFileNameW(&dialog) ? path : L"";
}

void DemoWindow::AskAndLoad() {
    const std::wstring path = AskForFormFile(false);
    if (path.empty()) return;
    std::wstring problem;
    const HRESULT hr = LoadFormFile(path, &problem);
    if (FAILED(hr)) ShowError(L"Das Formular l\u00E4sst sich nicht laden", hr, problem);
}

void DemoWindow::AskAndSave() {
    const std::wstring path = AskForFormFile(true);
    if (path.empty()) return;
    std::wstring problem;
    const HRESULT hr = SaveFormFile(path, &problem);
    if (FAILED(hr)) ShowError(L"Das Formular l\u00E4sst sich nicht speichern", hr, problem);
}

void DemoWindow::ShowError(const wchar_t* what, HRESULT hr, const std::wstring& problem) {
    const std::wstring text = std::wstring(what) + L":\n" + (problem.empty() ? DescribeFormResult(hr) : problem);
    ::MessageBoxW(window_, text.c_str(), kWindowTitle, MB_OK | MB_ICONWARNING);
}

void DemoWindow::HandleCommand(int command) {
    switch (command) {
        case kCommandProperties:
            ShowProperties();
            break;
        case kCommandLoad:
            AskAndLoad();
            break;
        case kCommandSave:
            AskAndSave();
            break;
        case kCommandExit:
            ::DestroyWindow(window_);
            break;
        default:
            break;
    }
}

LRESULT DemoWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            if (list_) LayOut();
            return 0;
        case WM_DPICHANGED: {
            // Moved to a monitor of another resolution: the system suggests
            // the window's new place, and everything is laid out again.
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            ::SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                           suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            LayOut();
            MatchListColumns();
            return 0;
        }
        case WM_COMMAND:
            HandleCommand(LOWORD(wParam));
            return 0;
        case WM_DESTROY:
            // The control goes with its container window; the sink must
            // not outlive the connection.
            sink_.Disconnect();
            strip_.Reset();
            control_.Reset();
            window_ = nullptr;
            host_ = nullptr;
            if (quitWhenClosed_) ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(window_, message, wParam, lParam);
    }
}

LRESULT CALLBACK DemoWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<DemoWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<DemoWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self || !self->window_) return ::DefWindowProcW(window, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

}  // namespace lumora::windemo
