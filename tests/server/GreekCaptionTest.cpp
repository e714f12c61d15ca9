// SPDX-License-Identifier: MIT
// A caption in a script beyond the system's 8-bit code page, hosted in the
// system's ATL container window: set through automation or typed into the
// columns page, it is kept unit for unit and the system's GDI draws its
// glyphs into the strip. The strip keeps its usual font, whose face the
// system matches with one that has Greek (under Wine, Liberation Sans).
// Needs a display (the test command runs these under Xvfb).
#include "WindowsHeaders.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "AtlContainer.h"
#include "DorvaneLumoraStyleList.h"
#include "platform/win32/ScopedComPtr.h"
#include "server/DispatchCalls.h"

namespace lumora::server::testing {
namespace {

using win32::ScopedComPtr;

constexpr wchar_t kProgId[] = L"DorvaneLumoraStyleList.LumoraListControl";
constexpr wchar_t kGreek[] = L"\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC";
// What a caption that went through an 8-bit code page without Greek would
// have become.
constexpr wchar_t kLostGreek[] = L"????????";
// The first column, wide enough for the caption; it starts 2 pixels in.
constexpr long kColumnWidth = 100;
constexpr int kColumnRight = 2 + kColumnWidth;
// Fewer changed pixels than this would be a stray dot, not a word.
constexpr std::size_t kFewestGlyphPixels = 40;
// Where the page's window goes: below the form, clear of the strip.
constexpr int kPageTop = 300;

void PumpFor(int milliseconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < deadline) {
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::Sleep(5);
    }
}

// Moves the pointer away from every window of the test, so that no column
// shows its hot look.
void ParkPointer() {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = 65535;
    input.mi.dy = 65535;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &input, sizeof(input));
}

// Types text into the focused window as a keyboard of its script does:
// each UTF-16 unit as a key of its own.
void TypeText(const std::wstring& text) {
    std::vector<INPUT> inputs;
    for (const wchar_t unit : text) {
        for (const DWORD release : {0ul, static_cast<unsigned long>(KEYEVENTF_KEYUP)}) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = unit;
            input.ki.dwFlags = KEYEVENTF_UNICODE | release;
            inputs.push_back(input);
        }
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::wstring ClassOf(::HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

BOOL CALLBACK CollectEdit(::HWND window, LPARAM list) {
    if (::lstrcmpiW(ClassOf(window).c_str(), L"Edit") == 0)
        reinterpret_cast<std::vector<::HWND>*>(list)->push_back(window);
    return TRUE;
}

// The page's edit fields in creation order.
std::vector<::HWND> Edits(::HWND parent) {
    std::vector<::HWND> edits;
    ::EnumChildWindows(parent, &CollectEdit, reinterpret_cast<LPARAM>(&edits));
    return edits;
}

std::wstring TextOf(::HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The units of text that the font has no glyph for.
std::size_t MissingGlyphs(::HFONT font, const std::wstring& text) {
    const ::HDC dc = ::CreateCompatibleDC(nullptr);
    const ::HGDIOBJ old = ::SelectObject(dc, font);
    std::vector<WORD> glyphs(text.size());
    const DWORD converted =
        ::GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    if (converted == GDI_ERROR) return text.size();
    return static_cast<std::size_t>(std::count(glyphs.begin(), glyphs.end(), WORD{0xFFFF}));
}

class GreekCaptionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(atl_.Load(nullptr)) << "no ATL library with a container window in the prefix";
        form_ = ::CreateWindowExW(0, L"STATIC", L"form", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 400, 100,
                                  nullptr, nullptr, nullptr, nullptr);
        if (!form_) GTEST_SKIP() << "no display to create windows on (error " << ::GetLastError() << ")";
        const ::HWND host = ::CreateWindowExW(0, atl_.WindowClass(), kProgId, WS_CHILD | WS_VISIBLE, 10, 10, 300, 40,
                                              form_, nullptr, nullptr, nullptr);
        ASSERT_NE(host, nullptr);
        ScopedComPtr<IUnknown> unknown;
        *unknown.Receive() = atl_.GetControl(host);
        ASSERT_TRUE(unknown);
        ASSERT_EQ(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(control_.Receive())), S_OK);
        ScopedComPtr<IOleWindow> window;
        ASSERT_EQ(unknown->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(window.Receive())), S_OK);
        ASSERT_EQ(window->GetWindow(&controlWindow_), S_OK);
        ASSERT_EQ(Put(control_.get(), L"RowWidth", Var(kColumnWidth), {Var(1L)}).hr, S_OK);
        ParkPointer();
        PumpFor(50);
    }

    void TearDown() override {
        control_.Reset();
        if (form_) ::DestroyWindow(form_);
        PumpFor(10);
    }

    void SetCaption(const wchar_t* caption) {
        ASSERT_EQ(Put(control_.get(), L"RowCaption", Var(caption), {Var(1L)}).hr, S_OK);
    }
    std::wstring Caption() {
        const CallResult read = Get(control_.get(), L"RowCaption", {Var(1L)});
        if (FAILED(read.hr) || V_VT(&read.value.v) != VT_BSTR) return L"<no text>";
        return std::wstring(V_BSTR(&read.value.v), ::SysStringLen(V_BSTR(&read.value.v)));
    }
    // The font the control draws with, as its Font property hands it out.
    ScopedComPtr<::IFont> DrawingFont() {
        ScopedComPtr<::IFont> font;
        const CallResult read = Get(control_.get(), L"Font");
        if (V_VT(&read.value.v) == VT_DISPATCH && V_DISPATCH(&read.value.v))
            V_DISPATCH(&read.value.v)->QueryInterface(IID_IFont, reinterpret_cast<void**>(font.Receive()));
        return font;
    }
    // The first column of the strip as the screen shows it, copied out in
    // one piece.
    std::vector<COLORREF> FirstColumnOnScreen() {
        ::UpdateWindow(controlWindow_);
        PumpFor(30);
        RECT client{};
        ::GetClientRect(controlWindow_, &client);
        POINT corner{0, 0};
        ::ClientToScreen(controlWindow_, &corner);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = kColumnRight;
        info.bmiHeader.biHeight = -client.bottom;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        const ::HDC screen = ::GetDC(nullptr);
        const ::HDC copy = ::CreateCompatibleDC(screen);
        const ::HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        std::vector<COLORREF> pixels;
        if (bitmap) {
            const ::HGDIOBJ old = ::SelectObject(copy, bitmap);
            ::BitBlt(copy, 0, 0, kColumnRight, client.bottom, screen, corner.x, corner.y, SRCCOPY);
            ::GdiFlush();
            const auto* first = static_cast<const COLORREF*>(bits);
            pixels.assign(first, first + static_cast<std::size_t>(kColumnRight) * client.bottom);
            ::SelectObject(copy, old);
            ::DeleteObject(bitmap);
        }
        ::DeleteDC(copy);
        ::ReleaseDC(nullptr, screen);
        return pixels;
    }
    std::vector<COLORREF> FirstColumnWith(const wchar_t* caption) {
        SetCaption(caption);
        return FirstColumnOnScreen();
    }

    windemo::AtlContainer atl_;
    ::HWND form_ = nullptr;
    ::HWND controlWindow_ = nullptr;
    ScopedComPtr<IDispatch> control_;
};

std::size_t Differing(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b) {
    if (a.size() != b.size()) return std::max(a.size(), b.size());
    std::size_t count = 0;
    for (std::size_t i = 0; i < a.size(); ++i) count += a[i] != b[i];
    return count;
}

TEST_F(GreekCaptionTest, ACaptionSetThroughAutomationIsKeptAndDrawnInGreekGlyphs) {
    SetCaption(kGreek);
    EXPECT_EQ(Caption(), kGreek);
    const ScopedComPtr<::IFont> font = DrawingFont();
    ASSERT_TRUE(font);
    ::HFONT handle = nullptr;
    ASSERT_EQ(font->get_hFont(&handle), S_OK);
    EXPECT_EQ(MissingGlyphs(handle, kGreek), 0u) << "the drawing font has every letter";

    const std::vector<COLORREF> greek = FirstColumnOnScreen();
    const std::vector<COLORREF> lost = FirstColumnWith(kLostGreek);
    const std::vector<COLORREF> bare = FirstColumnWith(L"");
    ASSERT_FALSE(greek.empty());
    EXPECT_GE(Differing(greek, bare), kFewestGlyphPixels) << "the caption left the strip bare";
    EXPECT_GE(Differing(greek, lost), kFewestGlyphPixels) << "the caption was drawn as question marks";
    EXPECT_GE(Differing(lost, bare), kFewestGlyphPixels) << "question marks are glyphs too";
}

// The columns page as a frame shows it, in a window of its own.
class ColumnsPage {
public:
    explicit ColumnsPage(IUnknown* control) {
        if (FAILED(::CoCreateInstance(CLSID_Register, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage2,
                                      reinterpret_cast<void**>(page_.Receive()))))
            return;
        PROPPAGEINFO info{};
        if (FAILED(page_->GetPageInfo(&info))) return;
        ::CoTaskMemFree(info.pszTitle);
        window_ = ::CreateWindowExW(0, L"STATIC", L"page", WS_POPUP | WS_VISIBLE, 0, kPageTop, info.size.cx,
                                    info.size.cy, nullptr, nullptr, nullptr, nullptr);
        IUnknown* objects[] = {control};
        const RECT place{0, 0, info.size.cx, info.size.cy};
        if (window_ && SUCCEEDED(page_->SetObjects(1, objects)) && SUCCEEDED(page_->Activate(window_, &place, TRUE)))
            active_ = SUCCEEDED(page_->Show(SW_SHOW));
    }
    ~ColumnsPage() {
        if (active_) page_->Deactivate();
        if (page_) page_->SetObjects(0, nullptr);
        if (window_) ::DestroyWindow(window_);
    }
    ColumnsPage(const ColumnsPage&) = delete;
    ColumnsPage& operator=(const ColumnsPage&) = delete;

    bool Active() const noexcept { return active_; }
    ::HWND Window() const noexcept { return window_; }
    IPropertyPage2* operator->() const noexcept { return page_.get(); }

private:
    ScopedComPtr<IPropertyPage2> page_;
    ::HWND window_ = nullptr;
    bool active_ = false;
};

TEST_F(GreekCaptionTest, ACaptionTypedIntoTheColumnsPageReachesTheStripWhole) {
    const std::vector<COLORREF> setThroughAutomation = FirstColumnWith(kGreek);
    SetCaption(L"");
    {
        ColumnsPage page(control_.get());
        ASSERT_TRUE(page.Active());
        PumpFor(30);
        // The column's number, then its caption and width.
        const std::vector<::HWND> edits = Edits(page.Window());
        ASSERT_EQ(edits.size(), 3u);
        ASSERT_EQ(TextOf(edits[0]), L"1");
        ::SetForegroundWindow(page.Window());
        ::SetFocus(edits[1]);
        PumpFor(30);
        ASSERT_EQ(::GetFocus(), edits[1]);
        TypeText(kGreek);
        PumpFor(100);
        EXPECT_EQ(TextOf(edits[1]), kGreek);
        EXPECT_EQ(page->IsPageDirty(), S_OK);
        ASSERT_EQ(page->Apply(), S_OK);
    }
    EXPECT_EQ(Caption(), kGreek);
    ParkPointer();
    EXPECT_EQ(Differing(FirstColumnOnScreen(), setThroughAutomation), 0u)
        << "the typed caption looks as the one set through automation";
}

}  // namespace
}  // namespace lumora::server::testing
