// SPDX-License-Identifier: MIT
// Times a full repaint of the strip against the system's own header control
// with the same columns, in one process, at 5, 20 and 100 columns: 60
// pixels each, captioned "Spalte N", 25 pixels high, column 3 sorted.
//
// The strip is the control library's object, repainted through DrawTab on
// its vtable two ways: windowless, into its memory image only, and hosted
// in-place active in the system's container window (AtlAxWin) on a shown
// window, where the repaint also puts the image on the screen. The system's
// header control (classic look: this program has no manifest) is repainted
// two ways too: with WM_PRINTCLIENT into a memory DC of the same size, the
// like for like figure for the windowless strip, and with InvalidateRect +
// UpdateWindow on a shown window, the one for the hosted strip. Each figure
// is the median over repetitions of the mean of a batch.
//
// Usage: lumora_repaint_benchmark.exe [--repaints N] [--repetitions R] [--ocx PATH]
#include "DemoWindows.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "AtlContainer.h"
#include "DorvaneLumoraStyleList.h"

namespace {

using lumora::windemo::ReceiveVoid;
using lumora::windemo::ScopedComPtr;

constexpr int kColumnCounts[] = {5, 20, 100};
constexpr int kColumnWidth = 60;
constexpr int kStripHeight = 25;
constexpr int kSortedColumn = 3;
constexpr int kDefaultRepaints = 200;
constexpr int kDefaultRepetitions = 5;
constexpr double kHimetricPerInch = 2540.0;
constexpr wchar_t kHeaderParentClass[] = L"LumoraBenchmarkParent";

struct Settings {
    int repaints = kDefaultRepaints;
    int repetitions = kDefaultRepetitions;
    std::wstring ocx;
};

// The built library, as Wine names the Linux path it was built at.
std::wstring DefaultOcxPath() {
    std::wstring path = L"Z:";
    for (const wchar_t* letter = LUMORA_SERVER_PATH; *letter; ++letter) path += *letter == L'/' ? L'\\' : *letter;
    return path;
}

bool ParseSettings(int count, wchar_t** words, Settings* settings) {
    settings->ocx = DefaultOcxPath();
    for (int i = 1; i < count; ++i) {
        const std::wstring name = words[i];
        if (i + 1 >= count) return false;
        const wchar_t* value = words[++i];
        if (name == L"--ocx") {
            settings->ocx = value;
            continue;
        }
        const int number = _wtoi(value);
        if (number < 1 || number > 100000) return false;
        if (name == L"--repaints")
            settings->repaints = number;
        else if (name == L"--repetitions")
            settings->repetitions = number;
        else
            return false;
    }
    return true;
}

// Microseconds per call of repaint: the median over repetitions of the
// mean of a batch of calls.
double MedianMicroseconds(const Settings& settings, const std::function<void()>& repaint) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    repaint();  // the first pass creates fonts and caches; it is not timed
    std::vector<double> means;
    for (int repetition = 0; repetition < settings.repetitions; ++repetition) {
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        for (int i = 0; i < settings.repaints; ++i) repaint();
        ::QueryPerformanceCounter(&end);
        means.push_back(1e6 * static_cast<double>(end.QuadPart - start.QuadPart) /
                        static_cast<double>(frequency.QuadPart) / settings.repaints);
    }
    std::sort(means.begin(), means.end());
    return means[means.size() / 2];
}

// The control library loaded from its file, its class object asked
// directly: the benchmark needs no registration.
class ControlLibrary {
public:
    explicit ControlLibrary(const std::wstring& path) : module_(::LoadLibraryW(path.c_str())) {}
    ~ControlLibrary() {
        factory_.Reset();
        if (module_) ::FreeLibrary(module_);
    }
    ControlLibrary(const ControlLibrary&) = delete;
    ControlLibrary& operator=(const ControlLibrary&) = delete;

    HRESULT Load() {
        if (!module_) return HRESULT_FROM_WIN32(::GetLastError());
        using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        const auto get =
            reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(::GetProcAddress(module_, "DllGetClassObject")));
        if (!get) return HRESULT_FROM_WIN32(::GetLastError());
        return get(CLSID_LumoraListControl, IID_IClassFactory, ReceiveVoid(factory_));
    }
    HRESULT Create(_LumoraListControl** control) {
        return factory_->CreateInstance(nullptr, IID__LumoraListControl, reinterpret_cast<void**>(control));
    }

private:
    HMODULE module_;
    ScopedComPtr<IClassFactory> factory_;
};

// A new strip with count columns as the benchmark wants them.
HRESULT SetUpStrip(_LumoraListControl* strip, int count) {
    ScopedComPtr<IPersistStreamInit> persist;
    HRESULT hr = strip->QueryInterface(IID_IPersistStreamInit, ReceiveVoid(persist));
    if (SUCCEEDED(hr)) hr = persist->InitNew();
    ScopedComPtr<IOleObject> object;
    if (SUCCEEDED(hr)) hr = strip->QueryInterface(IID_IOleObject, ReceiveVoid(object));
    if (FAILED(hr)) return hr;
    const HDC screen = ::GetDC(nullptr);
    SIZEL extent{static_cast<LONG>(count * kColumnWidth * kHimetricPerInch / ::GetDeviceCaps(screen, LOGPIXELSX)),
                 static_cast<LONG>(kStripHeight * kHimetricPerInch / ::GetDeviceCaps(screen, LOGPIXELSY))};
    ::ReleaseDC(nullptr, screen);
    hr = object->SetExtent(DVASPECT_CONTENT, &extent);
    LONG columns = 0;
    if (SUCCEEDED(hr)) hr = strip->get_NumberOfRows(&columns);
    for (; SUCCEEDED(hr) && columns < count; ++columns) {
        LONG added = 0;
        hr = strip->AddRow(nullptr, nullptr, nullptr, &added);
    }
    for (LONG index = 1; SUCCEEDED(hr) && index <= count; ++index) {
        const std::wstring text = L"Spalte " + std::to_wstring(index);
        const BSTR caption = ::SysAllocString(text.c_str());
        hr = strip->put_RowWidth(index, kColumnWidth);
        if (SUCCEEDED(hr)) hr = strip->put_RowCaption(index, caption);
        ::SysFreeString(caption);
    }
    if (SUCCEEDED(hr)) hr = strip->put_HeaderHeight(kStripHeight);
    if (SUCCEEDED(hr)) hr = strip->put_RowSorted(kSortedColumn, VARIANT_TRUE);
    if (SUCCEEDED(hr)) hr = strip->put_SortedRow(kSortedColumn);
    return hr;
}

double TimeStrip(ControlLibrary& library, int count, const Settings& settings) {
    ScopedComPtr<_LumoraListControl> strip;
    HRESULT hr = library.Create(strip.Receive());
    if (SUCCEEDED(hr)) hr = SetUpStrip(strip.get(), count);
    if (FAILED(hr)) {
        std::fprintf(stderr, "cannot set up the strip with %d columns: 0x%08lX\n", count, static_cast<long>(hr));
        return -1;
    }
    return MedianMicroseconds(settings, [&] { strip->DrawTab(); });
}

// A shown top-level window, as wide as count columns and as high as the
// strip, that holds one child window covering it.
class StripWindow {
public:
    StripWindow(int count, const wchar_t* childClass, DWORD childStyle) {
        const HINSTANCE instance = ::GetModuleHandleW(nullptr);
        const int width = count * kColumnWidth;
        parent_ = ::CreateWindowExW(0, kHeaderParentClass, L"", WS_POPUP | WS_VISIBLE, 0, 0, width, kStripHeight,
                                    nullptr, nullptr, instance, nullptr);
        if (!parent_) return;
        child_ = ::CreateWindowExW(0, childClass, L"", WS_CHILD | WS_VISIBLE | childStyle, 0, 0, width, kStripHeight,
                                   parent_, nullptr, instance, nullptr);
    }
    ~StripWindow() {
        if (parent_) ::DestroyWindow(parent_);
    }
    StripWindow(const StripWindow&) = delete;
    StripWindow& operator=(const StripWindow&) = delete;

    ::HWND parent() const noexcept { return parent_; }
    ::HWND child() const noexcept { return child_; }

private:
    HWND parent_ = nullptr;
    HWND child_ = nullptr;
};

// Lets the windows handle what creating and showing them posted.
void HandlePendingMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

struct HostedTimes {
    double repaint = -1;
    double move = -1;
    double still = -1;
};

// The strip in-place active in the system's container window: each repaint
// draws the image and shows it on the window at once, as a click does. Then
// the pointer, over the strip, goes back and forth between columns 1 and 2:
// each move draws and shows only the two columns whose look changed.
HostedTimes TimeHostedStrip(ControlLibrary& library, const lumora::windemo::AtlContainer& atl, int count,
                            const Settings& settings) {
    StripWindow window(count, atl.WindowClass(), 0);
    ScopedComPtr<_LumoraListControl> strip;
    HRESULT hr = window.child() ? library.Create(strip.Receive()) : E_FAIL;
    if (SUCCEEDED(hr)) hr = SetUpStrip(strip.get(), count);
    if (SUCCEEDED(hr)) hr = atl.AttachControl(strip.get(), window.child());
    if (FAILED(hr)) {
        std::fprintf(stderr, "cannot host the strip with %d columns: 0x%08lX\n", count, static_cast<long>(hr));
        return {};
    }
    HandlePendingMessages();
    HostedTimes times;
    times.repaint = MedianMicroseconds(settings, [&] { strip->DrawTab(); });
    ScopedComPtr<IOleWindow> inPlace;
    ::HWND stripWindow = nullptr;
    if (SUCCEEDED(strip->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(inPlace.Receive()))) &&
        SUCCEEDED(inPlace->GetWindow(&stripWindow))) {
        // The control asks the system whether the pointer is still over it.
        POINT over{kColumnWidth / 2, kStripHeight / 2};
        ::ClientToScreen(stripWindow, &over);
        ::SetCursorPos(over.x, over.y);
        int column = 0;
        times.move = MedianMicroseconds(settings, [&] {
            column = 1 - column;
            const int x = column * kColumnWidth + kColumnWidth / 2;
            ::SendMessageW(stripWindow, WM_MOUSEMOVE, 0, MAKELPARAM(x, kStripHeight / 2));
        });
        // The same moves inside column 1 change no look and draw nothing:
        // what is left is what every move costs, asking the system where
        // the pointer is.
        times.still = MedianMicroseconds(settings, [&] {
            column = 1 - column;
            ::SendMessageW(stripWindow, WM_MOUSEMOVE, 0, MAKELPARAM(10 + 20 * column, kStripHeight / 2));
        });
    }
    // The container window lets the control go when it is destroyed.
    strip.Reset();
    return times;
}

// The system's header control with the same columns, in a shown top-level
// window of its own.
class SystemHeader {
public:
    explicit SystemHeader(int count) : window_(count, WC_HEADERW, HDS_HORZ | HDS_BUTTONS) {
        if (!window_.child()) return;
        ::SendMessageW(header(), WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        for (int index = 0; index < count; ++index) {
            std::wstring text = L"Spalte " + std::to_wstring(index + 1);
            HDITEMW item{};
            item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
            item.cxy = kColumnWidth;
            item.pszText = text.data();
            item.fmt = HDF_STRING | HDF_LEFT | (index + 1 == kSortedColumn ? HDF_SORTDOWN : 0);
            ::SendMessageW(header(), HDM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item));
        }
        ::UpdateWindow(window_.parent());
    }

    ::HWND header() const noexcept { return window_.child(); }
    void Show(bool shown) const {
        ::ShowWindow(window_.parent(), shown ? SW_SHOWNOACTIVATE : SW_HIDE);
        ::UpdateWindow(window_.parent());
    }

private:
    StripWindow window_;
};

// A memory DC with a bitmap of the header's size, as the strip's own
// image is.
class MemoryImage {
public:
    MemoryImage(int width, int height) {
        const HDC screen = ::GetDC(nullptr);
        dc_ = ::CreateCompatibleDC(screen);
        bitmap_ = ::CreateCompatibleBitmap(screen, width, height);
        ::ReleaseDC(nullptr, screen);
        old_ = ::SelectObject(dc_, bitmap_);
    }
    ~MemoryImage() {
        ::SelectObject(dc_, old_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc_);
    }
    MemoryImage(const MemoryImage&) = delete;
    MemoryImage& operator=(const MemoryImage&) = delete;
    HDC dc() const noexcept { return dc_; }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

struct HeaderTimes {
    double memory = -1;
    double window = -1;
};

HeaderTimes TimeSystemHeader(int count, const Settings& settings) {
    SystemHeader system(count);
    if (!system.header()) {
        std::fprintf(stderr, "cannot create the system's header control (no display?)\n");
        return {};
    }
    HeaderTimes times;
    MemoryImage image(count * kColumnWidth, kStripHeight);
    system.Show(false);
    times.memory = MedianMicroseconds(settings, [&] {
        ::SendMessageW(system.header(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(image.dc()),
                       PRF_CLIENT | PRF_ERASEBKGND);
    });
    system.Show(true);
    times.window = MedianMicroseconds(settings, [&] {
        ::InvalidateRect(system.header(), nullptr, TRUE);
        ::UpdateWindow(system.header());
    });
    return times;
}

bool RegisterParentClass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kHeaderParentClass;
    return ::RegisterClassExW(&windowClass) != 0;
}

}  // namespace

int wmain(int count, wchar_t** words) {
    Settings settings;
    if (!ParseSettings(count, words, &settings)) {
        std::fprintf(stderr, "usage: lumora_repaint_benchmark.exe [--repaints N] [--repetitions R] [--ocx PATH]\n");
        return 2;
    }
    if (FAILED(::OleInitialize(nullptr))) return 1;
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);
    RegisterParentClass();
    int result = 0;
    {
        ControlLibrary library(settings.ocx);
        const HRESULT hr = library.Load();
        if (FAILED(hr)) {
            std::fprintf(stderr, "cannot load the control library: 0x%08lX\n", static_cast<long>(hr));
            ::OleUninitialize();
            return 1;
        }
        std::printf(
            "Full repaint, %d repaints x %d repetitions, median of the batch means (microseconds per "
            "repaint)\n",
            settings.repaints, settings.repetitions);
        lumora::windemo::AtlContainer atl;
        std::wstring reason;
        const bool hosting = atl.Load(&reason);
        if (!hosting) std::fprintf(stderr, "the hosted strip is not timed: %ls\n", reason.c_str());
        std::printf("%8s %12s %16s %7s %12s %16s %7s %12s %10s %14s\n", "columns", "strip mem", "SysHeader32 mem",
                    "ratio", "strip win", "SysHeader32 win", "ratio", "move win", "move/win", "in column win");
        for (const int columns : kColumnCounts) {
            const double strip = TimeStrip(library, columns, settings);
            const HostedTimes hosted = hosting ? TimeHostedStrip(library, atl, columns, settings) : HostedTimes{};
            const HeaderTimes system = TimeSystemHeader(columns, settings);
            if (strip <= 0 || hosted.repaint <= 0 || system.memory <= 0 || system.window <= 0) result = 1;
            std::printf("%8d %12.1f %16.1f %7.2f %12.1f %16.1f %7.2f %12.1f %10.2f %14.1f\n", columns, strip,
                        system.memory, strip > 0 ? system.memory / strip : 0.0, hosted.repaint, system.window,
                        hosted.repaint > 0 ? system.window / hosted.repaint : 0.0, hosted.move,
                        hosted.repaint > 0 ? hosted.move / hosted.repaint : 0.0, hosted.still);
            std::fflush(stdout);
        }
    }
    ::OleUninitialize();
    return result;
}
