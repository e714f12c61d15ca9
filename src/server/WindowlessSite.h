// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "lumora/control/LumoraListControl.h"
#include "lumora/platform/ControlSite.h"
#include "lumora/platform/DeviceScaleGdi.h"
#include "lumora/platform/Dialogs.h"
#include "lumora/platform/PictureFiles.h"
#include "lumora/platform/Pointer.h"

namespace lumora::server {

// What the site asks of the COM object it serves.
class ISiteOwner {
public:
    virtual ~ISiteOwner() = default;
    // The control marked a saved property as changed.
    virtual void OnPropertyChanged(const String& name) = 0;
    // The container's ambient font, or null when it offers none.
    virtual FontPtr ContainerFont() = 0;
};

// The control's host services without a window of its own: the persistent
// image is a memory DC with a bitmap of the control's size, drawing with the
// control's font, and the platform is the system's own (GDI, OLE pictures
// and fonts, files). The height the control sets resizes the image and
// delivers Resize before it returns; the width is the container's.
// WindowSite builds the windowed site on this one: the image, pictures and
// files stay the same, only the window's services differ.
class WindowlessSite : public IControlSite,
                       private IPointer,
                       private IDialogs,
                       private IPictureFiles,
                       private IPictureBox,
                       private IFileSystem {
public:
    explicit WindowlessSite(ISiteOwner& owner);
    ~WindowlessSite() override;
    WindowlessSite(const WindowlessSite&) = delete;
    WindowlessSite& operator=(const WindowlessSite&) = delete;

    // The control resizes itself through put_Height; it is created later.
    void Attach(LumoraListControl* control) noexcept { control_ = control; }
    // The image's size in the control's pixels.
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    // How many screen pixels show one of the control's pixels, and the
    // image's size in screen pixels.
    const DeviceScale& Scale() const noexcept { return scale_; }
    int DeviceWidth() const noexcept { return scale_.Extent(width_); }
    int DeviceHeight() const noexcept { return scale_.Extent(height_); }
    // Sets the width the container gives the control (clamped to the
    // system's largest window) and delivers Resize when it changed.
    void SetWidth(int pixels);
    // GDI objects the site and its control hold right now: the image's own
    // plus whatever a paint pass has not released.
    static long LiveGdiObjects() noexcept;

    // IControlSite
    void PropertyChanged(const String& name) override;
    void put_BackColor(OLE_COLOR color) override { backColor_ = color; }
    void put_ForeColor(OLE_COLOR color) override { foreColor_ = color; }
    FontPtr get_Font() override { return font_; }
    void putref_Font(const FontPtr& font) override;
    FontPtr AmbientFont() override;
    void put_AccessKeys(const String& keys) override { accessKeys_ = keys; }
    Gdi& gdi() override;
    IDialogs& dialogs() override { return *this; }
    IPointer& pointer() override { return *this; }
    IPictureFiles& pictures() override { return *this; }
    IFileSystem& files() override { return *this; }
    IPictureBox& picTemp() override { return *this; }
    HWND hWnd() override { return HWND{}; }
    HDC hDC() override;
    void Cls() override;
    void Refresh() override {}
    Single get_Height() override;
    void put_Height(Single twips) override { RequestHeight(HeightInPixels(twips)); }
    void ShowAboutBox() override;

    const String& AccessKeys() const noexcept { return accessKeys_; }

protected:
    // The height the control asked for, in whole pixels of the screen.
    int HeightInPixels(Single twips);
    // Makes the strip pixels high. Without a window the image simply takes
    // that height.
    virtual void RequestHeight(int pixels);
    // Gives the image this size and delivers Resize when it changed.
    void SetImageSize(int width, int height);
    // Draws the strip `factor` times larger on the screen from now on (1 to
    // 4), a new image at that size drawn at once; the control's own pixels,
    // and so its size, events and saved values, stay as they are.
    void SetDeviceScale(double factor);
    HDC ImageDc() const noexcept { return imageDc_; }
    OLE_COLOR BackColor() const noexcept { return backColor_; }
    ISiteOwner& Owner() const noexcept { return owner_; }
    LumoraListControl* Control() const noexcept { return control_; }

    // IPointer: without a window the pointer is never over the control.
    bool GetCursorPos(Point* point) override;
    HWND WindowFromPoint(Point point) override;
    HWND SetCapture(HWND hwnd) override;
    HWND GetCapture() override { return capture_; }
    bool ReleaseCapture() override;

private:
    // IDialogs
    int MsgBox(const String& prompt, int buttons, const String& title) override;
    // IPictureFiles
    PicturePtr LoadPicture(const String& path) override;
    void SavePicture(const PicturePtr& picture, const String& path) override;
    // IPictureBox
    void putref_Picture(const PicturePtr& picture) override { boxPicture_ = picture; }
    PicturePtr get_Picture() override { return boxPicture_; }
    PicturePtr get_Image() override;
    // IFileSystem
    String GetTempPath() override;
    String GetTempFileName(const String& directory, const String& prefix) override;
    bool FileExists(const String& path) override;
    void FileCopy(const String& source, const String& destination) override;
    void Kill(const String& path) override;

    void CreateImage();
    void DestroyImage() noexcept;
    // Gives the image a bitmap of the current size.
    void ResizeImage();
    int Dpi();

    class CountingGdi;

    ISiteOwner& owner_;
    std::unique_ptr<CountingGdi> gdi_;
    // Only while the scale is not 1: the control then draws through it.
    std::unique_ptr<DeviceScaleGdi> scaled_;
    DeviceScale scale_;
    LumoraListControl* control_ = nullptr;
    int width_;
    int height_ = 0;
    HDC imageDc_;
    HBITMAP imageBitmap_;
    HBITMAP stockBitmap_;
    HFONT imageFont_;
    FontDescription imageFontDescription_;
    HFONT stockFont_;
    OLE_COLOR backColor_ = 0x8000000F;
    OLE_COLOR foreColor_ = 0x80000012;
    FontPtr font_;
    FontPtr defaultAmbientFont_;
    String accessKeys_;
    HWND capture_;
    PicturePtr boxPicture_;
};

}  // namespace lumora::server
