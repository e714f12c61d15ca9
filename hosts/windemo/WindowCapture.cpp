// SPDX-License-Identifier: MIT
#include "WindowCapture.h"

#include <vector>

namespace lumora::windemo {
namespace {

// Rows of a 24-bit bitmap start on 4-byte boundaries.
constexpr int kBytesPerPixel = 3;
int RowStride(int width) { return (width * kBytesPerPixel + 3) & ~3; }

// Owns a DC from GetDC and gives it back.
class ScreenDc {
public:
    ScreenDc() : dc_(::GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) ::ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HDC dc_;
};

// A memory DC with a screen-compatible bitmap selected, both freed and the
// DC's own bitmap put back when it goes.
class MemoryImage {
public:
    MemoryImage(HDC screen, int width, int height)
        : dc_(::CreateCompatibleDC(screen)), bitmap_(::CreateCompatibleBitmap(screen, width, height)) {
        if (dc_ && bitmap_) old_ = ::SelectObject(dc_, bitmap_);
    }
    ~MemoryImage() {
        if (old_) ::SelectObject(dc_, old_);
        if (bitmap_) ::DeleteObject(bitmap_);
        if (dc_) ::DeleteDC(dc_);
    }
    MemoryImage(const MemoryImage&) = delete;
    MemoryImage& operator=(const MemoryImage&) = delete;

    bool valid() const noexcept { return old_ != nullptr; }
    HDC dc() const noexcept { return dc_; }
    HBITMAP bitmap() const noexcept { return bitmap_; }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_ = nullptr;
};

HRESULT WriteFileWhole(const std::wstring& path, const std::vector<BYTE>& bytes) {
    const HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return HRESULT_FROM_WIN32(::GetLastError());
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    const DWORD error = ::GetLastError();
    ::CloseHandle(file);
    if (!ok || written != bytes.size()) {
        ::DeleteFileW(path.c_str());
        return ok ? E_FAIL : HRESULT_FROM_WIN32(error);
    }
    return S_OK;
}

}  // namespace

HRESULT CaptureWindowToBmp(HWND window, const std::wstring& path) {
    RECT bounds{};
    if (!::GetWindowRect(window, &bounds)) return HRESULT_FROM_WIN32(::GetLastError());
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    if (width <= 0 || height <= 0) return E_INVALIDARG;

    ScreenDc screen;
    MemoryImage image(screen.get(), width, height);
    if (!image.valid() || !::BitBlt(image.dc(), 0, 0, width, height, screen.get(), bounds.left, bounds.top, SRCCOPY))
        return E_FAIL;

    const int stride = RowStride(width);
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;  // bottom-up, as .bmp files usually are
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(stride) * height;

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + info.biSizeImage;

    std::vector<BYTE> bytes(file.bfSize);
    memcpy(bytes.data(), &file, sizeof(file));
    memcpy(bytes.data() + sizeof(file), &info, sizeof(info));
    if (::GetDIBits(image.dc(), image.bitmap(), 0, height, bytes.data() + file.bfOffBits,
                    reinterpret_cast<BITMAPINFO*>(bytes.data() + sizeof(file)), DIB_RGB_COLORS) != height)
        return E_FAIL;
    return WriteFileWhole(path, bytes);
}

}  // namespace lumora::windemo
