// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

#include "conformance/ConformanceHarness.h"
#include "lumora/control/LumoraListControl.h"
#include "lumora/platform/ControlSite.h"
#include "lumora/platform/Dialogs.h"
#include "lumora/platform/PictureFiles.h"
#include "lumora/platform/Pointer.h"

namespace lumora::conformance {

enum class Backend { Soft, System };

// The face the site's container font names, which both backends draw from
// the same files (see SystemSetup.cpp).
inline constexpr char16_t kCaptionFace[] = u"DejaVu Sans";

// A host for one control on one backend with just what a paint pass needs,
// so the control's own pass can run on our surface and on the system's GDI
// in one process. The persistent image is a memory DC with a screen
// compatible (32-bit) bitmap of the window's size, drawing with the
// control's font. Colours, access keys and
// saved properties are ignored; pictures, files and dialogs do nothing.
// The mouse is always over the control's window.
class ConformanceSite final : public IControlSite,
                              private IPointer,
                              private IDialogs,
                              private IPictureFiles,
                              private IPictureBox,
                              private IFileSystem {
public:
    ConformanceSite(Backend backend, int width, int height);
    ~ConformanceSite() override;
    ConformanceSite(const ConformanceSite&) = delete;
    ConformanceSite& operator=(const ConformanceSite&) = delete;

    // The control resizes itself through put_Height; it is created later.
    void Attach(LumoraListControl& control) { control_ = &control; }

    // Every pixel of the persistent image.
    Capture Image();
    // The picture a .bmp or .ico file's bytes hold, as an object of this
    // site's backend: our surface's, or the system's own.
    PicturePtr PictureFromFileBytes(const std::string& bytes);

    // IControlSite
    void PropertyChanged(const String&) override {}
    void put_BackColor(OLE_COLOR color) override { backColor_ = color; }
    void put_ForeColor(OLE_COLOR) override {}
    FontPtr get_Font() override { return font_; }
    void putref_Font(const FontPtr& font) override {
        if (font) font_ = font;
    }
    FontPtr AmbientFont() override { return ambientFont_; }
    void put_AccessKeys(const String&) override {}
    Gdi& gdi() override;
    IDialogs& dialogs() override { return *this; }
    IPointer& pointer() override { return *this; }
    IPictureFiles& pictures() override { return *this; }
    IFileSystem& files() override { return *this; }
    IPictureBox& picTemp() override { return *this; }
    HWND hWnd() override;
    HDC hDC() override;
    void Cls() override;
    void Refresh() override {}
    Single get_Height() override;
    void put_Height(Single twips) override;
    void ShowAboutBox() override {}

private:
    // IPointer
    bool GetCursorPos(Point* point) override;
    HWND WindowFromPoint(Point) override { return hWnd(); }
    HWND SetCapture(HWND hwnd) override;
    HWND GetCapture() override { return capture_; }
    bool ReleaseCapture() override;
    // IDialogs
    int MsgBox(const String&, int, const String&) override { return vbOK; }
    // IPictureFiles
    PicturePtr LoadPicture(const String&) override { return nullptr; }
    void SavePicture(const PicturePtr&, const String&) override {}
    // IPictureBox
    void putref_Picture(const PicturePtr& picture) override { picture_ = picture; }
    PicturePtr get_Picture() override { return picture_; }
    PicturePtr get_Image() override { return picture_; }
    // IFileSystem
    String GetTempPath() override { return String(); }
    String GetTempFileName(const String&, const String&) override { return String(); }
    bool FileExists(const String&) override { return false; }
    void FileCopy(const String&, const String&) override {}
    void Kill(const String&) override {}

    // The control's window on one backend.
    class Window;

    std::unique_ptr<Window> window_;
    LumoraListControl* control_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    HDC imageDc_;
    HBITMAP imageBitmap_;
    HBITMAP stockBitmap_;
    HFONT imageFont_;
    FontDescription imageFontDescription_;
    HFONT stockFont_;
    FontPtr ambientFont_;
    FontPtr font_;
    OLE_COLOR backColor_ = 0x8000000F;
    HWND capture_;
    PicturePtr picture_;
};

}  // namespace lumora::conformance
