// SPDX-License-Identifier: MIT
// The control's design-time pages and its About box as a form designer
// meets them: the pages the control lists, each page's title and size, a
// page editing a control through its fields, the system's property frame
// holding the pages, and the About box opened and closed. The windowed
// cases need a display (Xvfb) and leave screenshots in the images folder.
#include "WindowsHeaders.h"

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DorvaneLumoraStyleList.h"
#include "PageObject.h"
#include "lumora/Version.h"
#include "lumora/pages/frmAbout.h"
#include "platform/win32/ScopedComPtr.h"

namespace lumora::server::testing {
namespace {

using win32::ScopedComPtr;

constexpr wchar_t kAboutTitle[] = L"Info zu Lumora List Control";
// How long a windowed case waits for a dialog before it gives up.
constexpr int kDialogWaitTicks = 100;
constexpr UINT kTickMilliseconds = 50;

// The frame's side of a page: it records the status changes the page
// reports.
class RecordingPageSite final : public IPropertyPageSite {
public:
    std::vector<DWORD> statuses;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IPropertyPageSite)) return E_NOINTERFACE;
        *object = static_cast<IPropertyPageSite*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }
    HRESULT STDMETHODCALLTYPE OnStatusChange(DWORD flags) override {
        statuses.push_back(flags);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* locale) override {
        *locale = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPageContainer(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }

    bool SawDirty() const {
        for (DWORD status : statuses)
            if (status & PROPPAGESTATUS_DIRTY) return true;
        return false;
    }

private:
    ULONG references_ = 1;
};

ScopedComPtr<_LumoraListControl> NewControl() {
    ScopedComPtr<_LumoraListControl> control;
    EXPECT_EQ(::CoCreateInstance(CLSID_LumoraListControl, nullptr, CLSCTX_INPROC_SERVER, IID__LumoraListControl,
                                 reinterpret_cast<void**>(control.Receive())),
              S_OK);
    ScopedComPtr<IPersistStreamInit> persist;
    if (control &&
        SUCCEEDED(control->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(persist.Receive()))))
        persist->InitNew();
    return control;
}

ScopedComPtr<IPropertyPage2> NewPage(const CLSID& page) {
    ScopedComPtr<IPropertyPage2> created;
    EXPECT_EQ(::CoCreateInstance(page, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage2,
                                 reinterpret_cast<void**>(created.Receive())),
              S_OK);
    return created;
}

int Pixels(long twips, int axis) {
    const ::HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, axis);
    ::ReleaseDC(nullptr, screen);
    return static_cast<int>((twips * dpi + 720) / 1440);
}

long NumberOfRows(_LumoraListControl* control) {
    LONG rows = -1;
    control->get_NumberOfRows(&rows);
    return rows;
}

std::wstring RowCaption(_LumoraListControl* control, long column) {
    BSTR caption = nullptr;
    if (FAILED(control->get_RowCaption(column, &caption))) return L"<error>";
    std::wstring text(caption, ::SysStringLen(caption));
    ::SysFreeString(caption);
    return text;
}

void Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

std::wstring TextOf(::HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

std::wstring ClassOf(::HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

BOOL CALLBACK CollectWindow(::HWND window, LPARAM list) {
    reinterpret_cast<std::vector<::HWND>*>(list)->push_back(window);
    return TRUE;
}

// Every window below parent, in creation order.
std::vector<::HWND> Descendants(::HWND parent) {
    std::vector<::HWND> found;
    ::EnumChildWindows(parent, &CollectWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

::HWND FindChild(::HWND parent, const wchar_t* windowClass, const wchar_t* text) {
    for (::HWND window : Descendants(parent))
        if (::lstrcmpiW(ClassOf(window).c_str(), windowClass) == 0 && (!text || TextOf(window) == text)) return window;
    return nullptr;
}

std::vector<::HWND> Edits(::HWND parent) {
    std::vector<::HWND> edits;
    for (::HWND window : Descendants(parent))
        if (::lstrcmpiW(ClassOf(window).c_str(), L"Edit") == 0) edits.push_back(window);
    return edits;
}

// Where screenshots go: the folder the test command names, else the build's
// images folder beside the tests.
std::wstring ImagesFolder() {
    if (const wchar_t* named = ::_wgetenv(L"LUMORA_CONFORMANCE_IMAGES")) return named;
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.resize(folder.find_last_of(L"\\/"));
    folder.resize(folder.find_last_of(L"\\/"));
    return folder + L"\\images";
}

// Writes what the screen shows of window (its frame included) as a 24-bit
// .bmp; true when the picture is more than one colour.
bool SaveScreenshot(::HWND window, const wchar_t* name) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT place{};
    ::GetWindowRect(window, &place);
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const ::HDC source = ::GetWindowDC(window);
    const ::HDC memory = ::CreateCompatibleDC(source);
    const ::HBITMAP bitmap = ::CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const ::HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    ::GdiFlush();
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD size = stride * static_cast<DWORD>(height);
    const auto* pixels = static_cast<const unsigned char*>(bits);
    bool varied = false;
    for (DWORD i = 3; i < size && !varied; i += 3) varied = pixels[i] != pixels[0] || pixels[i + 1] != pixels[1];
    const std::wstring folder = ImagesFolder();
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\" + name;
    if (FILE* file = ::_wfopen(path.c_str(), L"wb")) {
        BITMAPFILEHEADER header{};
        header.bfType = 0x4D42;
        header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
        header.bfSize = header.bfOffBits + size;
        std::fwrite(&header, sizeof(header), 1, file);
        std::fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, file);
        std::fwrite(bits, 1, size, file);
        std::fclose(file);
    }
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(window, source);
    return varied;
}

// A visible top-level window to activate pages in; Window() is null without
// a display.
class HostWindow {
public:
    HostWindow(int width, int height) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &::DefWindowProcW;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
        windowClass.lpszClassName = L"LumoraPageHost";
        ::RegisterClassW(&windowClass);
        RECT frame{0, 0, width, height};
        ::AdjustWindowRectEx(&frame, WS_OVERLAPPED | WS_CAPTION, FALSE, 0);
        window_ = ::CreateWindowExW(0, L"LumoraPageHost", L"Seite", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 40, 40,
                                    frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
        Pump();
    }
    ~HostWindow() {
        if (window_) ::DestroyWindow(window_);
        Pump();
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    ::HWND Window() const noexcept { return window_; }

private:
    ::HWND window_ = nullptr;
};

// The size a page asks for, in pixels.
SIZE PageSize(IPropertyPage2* page) {
    PROPPAGEINFO info{};
    if (FAILED(page->GetPageInfo(&info))) return {};
    ::CoTaskMemFree(info.pszTitle);
    return info.size;
}

// Activates page over all of host and shows it, as a frame does.
HRESULT ShowPageIn(IPropertyPage2* page, const HostWindow& host, SIZE size) {
    const RECT place{0, 0, size.cx, size.cy};
    HRESULT hr = page->Activate(host.Window(), &place, TRUE);
    if (SUCCEEDED(hr)) hr = page->Show(SW_SHOW);
    Pump();
    return hr;
}

// Runs step on this thread's message loop every tick, also inside the
// modal loops of dialogs, until it returns true or the wait runs out.
class Ticker {
public:
    explicit Ticker(std::function<bool()> step) {
        current_ = std::move(step);
        ticks_ = 0;
        timer_ = ::SetTimer(nullptr, 0, kTickMilliseconds, &Ticker::Tick);
    }
    ~Ticker() {
        ::KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    Ticker(const Ticker&) = delete;
    Ticker& operator=(const Ticker&) = delete;

private:
    static void CALLBACK Tick(::HWND, UINT, UINT_PTR, DWORD) {
        if (!current_ || running_) return;
        running_ = true;
        const bool done = current_() || ++ticks_ > kDialogWaitTicks;
        running_ = false;
        if (done) current_ = nullptr;
    }

    static inline std::function<bool()> current_;
    static inline int ticks_ = 0;
    static inline bool running_ = false;
    UINT_PTR timer_;
};

// This thread's visible top-level dialog with the title, or any visible
// top-level dialog when title is null.
struct DialogSearch {
    const wchar_t* title;
    ::HWND found;
};

BOOL CALLBACK MatchDialog(::HWND window, LPARAM data) {
    auto* search = reinterpret_cast<DialogSearch*>(data);
    if (!::IsWindowVisible(window) || ClassOf(window) != L"#32770") return TRUE;
    if (search->title && TextOf(window) != search->title) return TRUE;
    search->found = window;
    return FALSE;
}

::HWND ThreadDialog(const wchar_t* title) {
    DialogSearch search{title, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), &MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// ------------------------------------------------------------ the pages

TEST(PropertyPages, ControlListsItsPagesThenTheSystemsFontAndColourPages) {
    const ScopedComPtr<_LumoraListControl> control = NewControl();
    ScopedComPtr<ISpecifyPropertyPages> specify;
    ASSERT_EQ(control->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(specify.Receive())), S_OK);
    CAUUID pages{};
    ASSERT_EQ(specify->GetPages(&pages), S_OK);
    const std::vector<CLSID> listed(pages.pElems, pages.pElems + pages.cElems);
    ::CoTaskMemFree(pages.pElems);
    const std::vector<CLSID> expected = {CLSID_TabsC, CLSID_Allgemein, CLSID_Register, kStockFontPage, kStockColorPage};
    EXPECT_TRUE(listed == expected);
}

struct PageCase {
    const CLSID* page;
    const IID* dispatch;
    const wchar_t* title;
    long widthTwips;
    long heightTwips;
};

class PageInfo : public ::testing::TestWithParam<PageCase> {};

TEST_P(PageInfo, NamesItselfAndTakesItsSizeInPixels) {
    const PageCase& c = GetParam();
    const ScopedComPtr<IPropertyPage2> page = NewPage(*c.page);
    ASSERT_TRUE(page);
    PROPPAGEINFO info{};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_STREQ(info.pszTitle, c.title);
    EXPECT_EQ(info.size.cx, Pixels(c.widthTwips, LOGPIXELSX));
    EXPECT_EQ(info.size.cy, Pixels(c.heightTwips, LOGPIXELSY));
    ::CoTaskMemFree(info.pszTitle);
    // The page's own (empty) dispatch interface stays.
    ScopedComPtr<IDispatch> dispatch;
    EXPECT_EQ(page->QueryInterface(*c.dispatch, reinterpret_cast<void**>(dispatch.Receive())), S_OK);
    EXPECT_EQ(page->Help(nullptr), E_NOTIMPL);
    EXPECT_EQ(page->TranslateAccelerator(nullptr), S_FALSE);
}

INSTANTIATE_TEST_SUITE_P(PropertyPages, PageInfo,
                         ::testing::Values(PageCase{&CLSID_TabsC, &DIID__TabsC, L"Copyright / Info", 6135, 2400},
                                           PageCase{&CLSID_Allgemein, &DIID__Allgemein, L"Allgemein", 5925, 3495},
                                           PageCase{&CLSID_Register, &DIID__Register, L"Header-Spalten", 5700, 3600}));

TEST(PropertyPages, GeneralPageIsDirtyOnceAControlIsShownAndAppliesItsValuesBack) {
    const ScopedComPtr<_LumoraListControl> control = NewControl();
    ASSERT_EQ(control->put_HeaderHeight(31), S_OK);
    const ScopedComPtr<IPropertyPage2> page = NewPage(CLSID_Allgemein);
    RecordingPageSite site;
    ASSERT_EQ(page->SetPageSite(&site), S_OK);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    IUnknown* objects[] = {control.get()};
    ASSERT_EQ(page->SetObjects(1, objects), S_OK);
    EXPECT_EQ(page->IsPageDirty(), S_OK);
    EXPECT_TRUE(site.SawDirty());
    EXPECT_EQ(page->Apply(), S_OK);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    LONG height = 0;
    control->get_HeaderHeight(&height);
    EXPECT_EQ(height, 31);
    // An empty selection leaves nothing to apply to.
    EXPECT_EQ(page->SetObjects(0, nullptr), S_OK);
    EXPECT_EQ(page->Apply(), S_OK);
    page->SetPageSite(nullptr);
}

TEST(PropertyPages, PagesIgnoreObjectsThatAreNoControlOfOurs) {
    const ScopedComPtr<IPropertyPage2> page = NewPage(CLSID_Register);
    const ScopedComPtr<IPropertyPage2> other = NewPage(CLSID_TabsC);
    IUnknown* objects[] = {other.get()};
    EXPECT_EQ(page->SetObjects(1, objects), S_OK);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    EXPECT_EQ(page->Apply(), S_OK);
}

// ------------------------------------------------------------ windowed

TEST(PropertyPagesWindowed, ColumnsPageAddsAColumnTakesItsCaptionAndApplies) {
    const ScopedComPtr<IPropertyPage2> page = NewPage(CLSID_Register);
    const SIZE size = PageSize(page.get());
    const HostWindow host(size.cx, size.cy);
    if (!host.Window()) GTEST_SKIP() << "no display";
    const ScopedComPtr<_LumoraListControl> control = NewControl();
    const long before = NumberOfRows(control.get());
    RecordingPageSite site;
    page->SetPageSite(&site);
    IUnknown* objects[] = {control.get()};
    ASSERT_EQ(page->SetObjects(1, objects), S_OK);
    ASSERT_EQ(ShowPageIn(page.get(), host, size), S_OK);

    const ::HWND add = FindChild(host.Window(), L"Button", L"Hinzufügen");
    ASSERT_NE(add, nullptr);
    ::SendMessageW(add, BM_CLICK, 0, 0);
    const long added = NumberOfRows(control.get());
    EXPECT_EQ(added, before + 1);
    // txtIndex, then the caption and the width field.
    const std::vector<::HWND> edits = Edits(host.Window());
    ASSERT_EQ(edits.size(), 3u);
    EXPECT_EQ(TextOf(edits[0]), std::to_wstring(added));
    ::SendMessageW(edits[1], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Kunde"));
    ::SendMessageW(edits[2], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"120"));
    EXPECT_EQ(page->IsPageDirty(), S_OK);
    EXPECT_TRUE(site.SawDirty());
    Pump();
    EXPECT_TRUE(SaveScreenshot(host.Window(), L"page-register.bmp"));

    ASSERT_EQ(page->Apply(), S_OK);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    EXPECT_EQ(RowCaption(control.get(), added), L"Kunde");
    LONG width = 0;
    control->get_RowWidth(added, &width);
    EXPECT_EQ(width, 120);
    EXPECT_EQ(page->Deactivate(), S_OK);
    page->SetObjects(0, nullptr);
    page->SetPageSite(nullptr);
}

TEST(PropertyPagesWindowed, GeneralPageTakesTheHeightAndFrameFromItsFields) {
    const ScopedComPtr<IPropertyPage2> page = NewPage(CLSID_Allgemein);
    const SIZE size = PageSize(page.get());
    const HostWindow host(size.cx, size.cy);
    if (!host.Window()) GTEST_SKIP() << "no display";
    const ScopedComPtr<_LumoraListControl> control = NewControl();
    control->put_ShowFrame(VARIANT_TRUE);
    IUnknown* objects[] = {control.get()};
    ASSERT_EQ(page->SetObjects(1, objects), S_OK);
    ASSERT_EQ(ShowPageIn(page.get(), host, size), S_OK);
    const ::HWND frame = FindChild(host.Window(), L"Button", L"Show Frame");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(::SendMessageW(frame, BM_GETCHECK, 0, 0), BST_CHECKED);
    ::SendMessageW(frame, BM_CLICK, 0, 0);
    EXPECT_EQ(::SendMessageW(frame, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    const std::vector<::HWND> edits = Edits(host.Window());
    ASSERT_EQ(edits.size(), 1u);
    // The field keeps whole numbers only.
    ::SendMessageW(edits[0], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"40.7"));
    EXPECT_EQ(TextOf(edits[0]), L"40");
    EXPECT_TRUE(SaveScreenshot(host.Window(), L"page-allgemein.bmp"));
    ASSERT_EQ(page->Apply(), S_OK);
    LONG height = 0;
    control->get_HeaderHeight(&height);
    EXPECT_EQ(height, 40);
    VARIANT_BOOL shown = VARIANT_TRUE;
    control->get_ShowFrame(&shown);
    EXPECT_EQ(shown, VARIANT_FALSE);
    page->Deactivate();
}

// A frame opened at one property asks the page for it before or after the
// page is shown; either way its field takes the focus.
TEST(PropertyPagesWindowed, PagesFocusTheFieldOfThePropertyAFrameAsksFor) {
    constexpr DISPID kHeaderHeight = 0x68030020;
    constexpr DISPID kShowFrame = 0x68030003;
    constexpr DISPID kRowCaption = 0x68030013;
    constexpr DISPID kBackColor = 0x6803001F;
    struct Case {
        CLSID page;
        DISPID property;
        bool askedBeforeShown;
        int edit;               // index among the page's edit fields, or -1
        const wchar_t* button;  // else the button with this text
    };
    const Case cases[] = {
        {CLSID_Allgemein, kHeaderHeight, false, 0, nullptr},
        {CLSID_Allgemein, kShowFrame, true, -1, L"Show Frame"},
        {CLSID_Register, kRowCaption, true, 1, nullptr},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(::testing::Message() << "property 0x" << std::hex << test.property);
        const ScopedComPtr<IPropertyPage2> page = NewPage(test.page);
        const SIZE size = PageSize(page.get());
        const HostWindow host(size.cx, size.cy);
        if (!host.Window()) GTEST_SKIP() << "no display";
        const ScopedComPtr<_LumoraListControl> control = NewControl();
        IUnknown* objects[] = {control.get()};
        ASSERT_EQ(page->SetObjects(1, objects), S_OK);
        if (test.askedBeforeShown) {
            EXPECT_EQ(page->EditProperty(test.property), S_OK);
        }
        ASSERT_EQ(ShowPageIn(page.get(), host, size), S_OK);
        if (!test.askedBeforeShown) {
            EXPECT_EQ(page->EditProperty(test.property), S_OK);
        }
        const ::HWND expected =
            test.button ? FindChild(host.Window(), L"Button", test.button) : Edits(host.Window()).at(test.edit);
        ASSERT_NE(expected, nullptr);
        EXPECT_EQ(::GetFocus(), expected);
        // A property the page does not edit leaves the focus where it is.
        EXPECT_EQ(page->EditProperty(kBackColor), E_NOTIMPL);
        EXPECT_EQ(page->EditProperty(0x12345), E_NOTIMPL);
        EXPECT_EQ(::GetFocus(), expected);
        page->Deactivate();
        page->SetObjects(0, nullptr);
    }
}

TEST(PropertyPagesWindowed, InformationPageOpensTheAboutBoxWhichShowsTheVersionAndClosesWithOK) {
    const ScopedComPtr<IPropertyPage2> page = NewPage(CLSID_TabsC);
    const SIZE size = PageSize(page.get());
    const HostWindow host(size.cx, size.cy);
    if (!host.Window()) GTEST_SKIP() << "no display";
    ASSERT_EQ(ShowPageIn(page.get(), host, size), S_OK);
    EXPECT_TRUE(SaveScreenshot(host.Window(), L"page-tabsc.bmp"));

    std::wstring version;
    COLORREF overlapPixel = CLR_INVALID;
    bool shown = false;
    const Ticker ticker([&] {
        const ::HWND box = ThreadDialog(kAboutTitle);
        if (!box) return false;
        shown = true;
        for (::HWND window : Descendants(box)) {
            const std::wstring text = TextOf(window);
            if (std::wcsncmp(text.c_str(), L"Version: ", 9) == 0) version = text;
        }
        // The logo's box ends 8 pixels inside the title's, where the title
        // is painted: its background above its first letter.
        ::UpdateWindow(box);
        const ::HDC dc = ::GetDC(box);
        overlapPixel = ::GetPixel(dc, 79, 9);
        ::ReleaseDC(box, dc);
        EXPECT_TRUE(SaveScreenshot(box, L"about-box.bmp"));
        ::SendMessageW(FindChild(box, L"Button", L"OK"), BM_CLICK, 0, 0);
        return true;
    });
    const ::HWND info_button = FindChild(host.Window(), L"Button", L"Info");
    ASSERT_NE(info_button, nullptr);
    ::SendMessageW(info_button, BM_CLICK, 0, 0);
    EXPECT_TRUE(shown);
    const String expected = pages::VersionText(version::kMajor, version::kMinor, version::kRevision);
    EXPECT_EQ(version, std::wstring(expected.begin(), expected.end()));
    EXPECT_EQ(overlapPixel, ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ThreadDialog(kAboutTitle), nullptr);
    page->Deactivate();
}

TEST(PropertyPagesWindowed, ShowAboutBoxReturnsOnceTheBoxIsClosed) {
    const HostWindow host(100, 100);
    if (!host.Window()) GTEST_SKIP() << "no display";
    const ScopedComPtr<_LumoraListControl> control = NewControl();
    int opened = 0;
    const Ticker ticker([&] {
        const ::HWND box = ThreadDialog(kAboutTitle);
        if (!box) return false;
        ++opened;
        // Escape closes it as OK does.
        ::SendMessageW(box, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    EXPECT_EQ(control->ShowAboutBox(), S_OK);
    EXPECT_EQ(opened, 1);
}

TEST(PropertyPagesWindowed, PropertyFrameShowsThePagesAndAppliesTheColumnsPage) {
    const HostWindow host(100, 100);
    if (!host.Window()) GTEST_SKIP() << "no display";
    const ScopedComPtr<_LumoraListControl> control = NewControl();
    const long before = NumberOfRows(control.get());
    std::vector<std::wstring> tabs;
    int step = 0;
    const Ticker ticker([&] {
        const ::HWND frame = ThreadDialog(nullptr);
        if (!frame || frame == host.Window()) return false;
        const ::HWND tab = FindChild(frame, WC_TABCONTROLW, nullptr);
        if (step < 3) {
            ::SendMessageW(frame, PSM_SETCURSEL, static_cast<WPARAM>(step), 0);
            Pump();
            if (tab) {
                wchar_t text[64] = {};
                TCITEMW item{};
                item.mask = TCIF_TEXT;
                item.pszText = text;
                item.cchTextMax = 64;
                ::SendMessageW(tab, TCM_GETITEMW, static_cast<WPARAM>(step), reinterpret_cast<LPARAM>(&item));
                tabs.push_back(text);
            }
            const wchar_t* names[] = {L"frame-tabsc.bmp", L"frame-allgemein.bmp", L"frame-register.bmp"};
            SaveScreenshot(frame, names[step]);
            ++step;
            return false;
        }
        // The columns page is shown: add a column, name it, press OK.
        const ::HWND add = FindChild(frame, L"Button", L"Hinzufügen");
        ::SendMessageW(add, BM_CLICK, 0, 0);
        // The frame keeps the pages it showed: the fields are the columns
        // page's own.
        const std::vector<::HWND> edits = Edits(::GetParent(add));
        if (edits.size() >= 2) ::SendMessageW(edits[1], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Betrag"));
        ::SendMessageW(frame, PSM_PRESSBUTTON, PSBTN_OK, 0);
        return true;
    });
    IUnknown* objects[] = {control.get()};
    CLSID pages[] = {CLSID_TabsC, CLSID_Allgemein, CLSID_Register};
    ASSERT_EQ(::OleCreatePropertyFrame(host.Window(), 0, 0, L"LumoraListControl", 1, objects, 3, pages,
                                       LOCALE_USER_DEFAULT, 0, nullptr),
              S_OK);
    const std::vector<std::wstring> expected = {L"Copyright / Info", L"Allgemein", L"Header-Spalten"};
    EXPECT_EQ(tabs, expected);
    // Adding a column takes effect at once. Wine's frame hands OK and Apply
    // to no page (it handles no PSN_APPLY), so the caption typed is only
    // applied where the frame calls IPropertyPage::Apply; the page's own
    // Apply is tested above.
    EXPECT_EQ(NumberOfRows(control.get()), before + 1);
}

}  // namespace
}  // namespace lumora::server::testing
