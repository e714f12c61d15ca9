// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lumora/control/ControlEvents.h"
#include "lumora/control/LumoraListControl.h"
#include "lumora/headless/HeadlessAboutBoxView.h"
#include "lumora/headless/PersistentImage.h"
#include "lumora/headless/RecordingDialogs.h"
#include "lumora/headless/RecordingShell.h"
#include "lumora/platform/ControlSite.h"
#include "lumora/platform/GdiScoped.h"
#include "lumora/platform/Pointer.h"
#include "lumora/platform/soft/SoftFileSystem.h"
#include "lumora/platform/soft/SoftGdi.h"
#include "lumora/platform/soft/SoftPicture.h"
#include "lumora/platform/soft/SoftPictureBox.h"

namespace lumora::headless {

// A host without a screen: it gives one control a window on the software
// surface with a persistent image, simulates the mouse (cursor, the window
// under it, the capture) and writes down everything the control tells it,
// one line per call:
//
//   "PropertyChanged HeaderHeight"   a saved property changed
//   "Refresh"                        a finished paint pass was shown
//   "Resize 240x25"                  the window's new client size (pixels)
//   "BackColor 16644857"             the window's own colours
//   "ForeColor 2147483666"
//   "Font"                           the control handed over its font
//   "AccessKeys nz"                  the window's access keys
//   "RowPressed 0 0 ASC"             an event and its arguments
//   "MouseDown 1 0 10 5 2 ASC"
//   "ShowAboutBox"                   the control asked for its About box,
//   "Show Info zu ...", "Close"      which the host showed and closed;
//   "MousePointer 11"                the screen's pointer and links opened
//   "ShellExecute Open mailto:... 1" from the box
//
// Event handlers set by a test run while the event is raised and may change
// the by-reference arguments or call back into the control.
class HeadlessHost final : private IControlSite, private ILumoraListControlEvents, private IPointer {
public:
    // Where the control's window sits on the simulated screen.
    static constexpr Point kWindowOrigin{100, 100};

    explicit HeadlessHost(int width = 240, int height = 25);
    ~HeadlessHost() override;
    HeadlessHost(const HeadlessHost&) = delete;
    HeadlessHost& operator=(const HeadlessHost&) = delete;

    LumoraListControl& control() noexcept { return *control_; }
    LumoraListControl* operator->() noexcept { return control_.get(); }

    // The container's font; set it before the control is initialised.
    void SetAmbientFont(FontPtr font) { ambientFont_ = std::move(font); }
    const FontPtr& ambientFont() const noexcept { return ambientFont_; }

    // The screen shows the control's pixels `scale` times larger (0.5 to 4):
    // the image takes device pixels from now on, while the control, its
    // events and the window keep the control's own. Set it before the form
    // is loaded; the next paint pass fills the new image.
    void SetDeviceScale(double scale);
    double deviceScale() const;

    // The container resizes the control's window; the control hears Resize.
    void SetClientSize(int width, int height);

    // The user moves, presses and releases the mouse at a point in the
    // control's client area (pixels). As on the system, the control hears of
    // it only when its window is the one under the cursor or it holds the
    // capture.
    void MoveMouse(Single x, Single y, Integer button = 0, Integer shift = 0);
    void PressMouse(Single x, Single y, Integer button = 1, Integer shift = 0);
    void ReleaseMouse(Single x, Single y, Integer button = 1, Integer shift = 0);
    void Focus();
    void Blur();
    // The user presses a key. Tab moves the focus into the strip when it is
    // elsewhere, as the keyboard brings it (the focus cue shows), and out of
    // it when it is there; any other key goes to the control while it has
    // the focus. Returns whether the control took the key.
    bool PressKey(Integer key, Integer shift = 0);
    // The user presses Alt and a character: when a caption marks it as its
    // access key, the strip gets the focus and that column the keyboard's.
    bool PressAccessKey(char32_t key);
    // Puts another window on top of part of the control (client
    // coordinates), as a child window or an overlapping form would lie.
    HWND CoverWith(const Rect& clientArea);
    void Uncover(HWND cover);
    HWND captureHolder() const noexcept { return capture_; }

    // Everything recorded so far, then forgets it.
    std::vector<std::string> TakeLog();
    const std::vector<std::string>& log() const noexcept { return log_; }
    std::vector<std::string> PropertyChanges() const;
    int RefreshCount() const;

    soft::SoftGdi& surface() noexcept { return *gdi_; }
    const std::shared_ptr<soft::SoftGdi>& sharedSurface() const noexcept { return gdi_; }
    // Pictures of this host's surface, as LoadPicture makes them.
    soft::SoftPictures& pictureFiles() noexcept { return pictures_; }
    // Where temporary files go; tests point it elsewhere or at nothing.
    void SetTempDirectory(std::optional<std::filesystem::path> directory) {
        files_ = soft::SoftFileSystem(std::move(directory));
    }
    // The control's persistent image; for a window of more than
    // PersistentImage::kMaxPixels only its top rows.
    const soft::SoftBitmap& image() const;
    bool imageCut() const;
    // Keeps the persistent image to at most maxPixels pixels from now on.
    void LimitImage(std::int64_t maxPixels);
    Rect clientRect() const;
    const std::vector<MessageBoxRecord>& messageBoxes() const noexcept { return dialogs_.messageBoxes(); }
    // The About box's view, whose user a test plays, and the shell and
    // screen the box uses.
    HeadlessAboutBoxView& aboutBoxView() noexcept { return aboutBoxView_; }
    RecordingShell& shell() noexcept { return shell_; }
    RecordingScreen& screen() noexcept { return screen_; }
    const String& accessKeys() const noexcept { return accessKeys_; }
    OLE_COLOR windowBackColor() const noexcept { return backColor_; }
    OLE_COLOR windowForeColor() const noexcept { return foreColor_; }
    const FontPtr& windowFont() const noexcept { return font_; }

    std::function<void(Integer& PreviousTab, Long& SortRow, String& Sort)> onRowPressed;
    std::function<void(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow)> onMouseIn;
    std::function<void(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow)> onMouseOut;
    std::function<void(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow, String& Sort)> onMouseDown;
    std::function<void(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow)> onMouseUp;

private:
    // IControlSite
    void PropertyChanged(const String& name) override;
    void put_BackColor(OLE_COLOR color) override;
    void put_ForeColor(OLE_COLOR color) override;
    FontPtr get_Font() override { return font_; }
    void putref_Font(const FontPtr& font) override;
    FontPtr AmbientFont() override { return ambientFont_; }
    void put_AccessKeys(const String& keys) override;
    Gdi& gdi() override { return image_->gdi(); }
    IDialogs& dialogs() override { return dialogs_; }
    IPointer& pointer() override { return *this; }
    IPictureFiles& pictures() override { return pictures_; }
    IFileSystem& files() override { return files_; }
    IPictureBox& picTemp() override { return picTemp_; }
    HWND hWnd() override { return window_; }
    HDC hDC() override;
    void Cls() override;
    void Refresh() override;
    Single get_Height() override;
    void put_Height(Single twips) override;
    void ShowAboutBox() override;

    // ILumoraListControlEvents
    void RowPressed(Integer& PreviousTab, Long& SortRow, String& Sort) override;
    void MouseIn(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) override;
    void MouseOut(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) override;
    void MouseDown(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow, String& Sort) override;
    void MouseUp(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) override;

    // IPointer
    bool GetCursorPos(Point* point) override;
    HWND WindowFromPoint(Point point) override;
    HWND SetCapture(HWND hwnd) override;
    HWND GetCapture() override { return capture_; }
    bool ReleaseCapture() override;

    void Record(std::string line) { log_.push_back(std::move(line)); }
    // Sizes the window and its image, keeping the pixels both sizes share.
    void ResizeWindow(int width, int height);
    void PlaceCursor(Single x, Single y);
    // Whether a mouse message at the cursor goes to the control's window.
    bool MouseReachesControl();

    struct Cover {
        HWND window;
        Rect area;
    };

    std::vector<std::string> log_;
    RecordingShell shell_{log_};
    RecordingScreen screen_{log_};
    HeadlessAboutBoxView aboutBoxView_{log_};
    pages::AboutBox aboutBox_{aboutBoxView_, shell_, screen_};
    std::shared_ptr<soft::SoftGdi> gdi_;
    RecordingDialogs dialogs_;
    soft::SoftPictures pictures_;
    soft::SoftFileSystem files_;
    soft::SoftPictureBox picTemp_;
    FontPtr ambientFont_;
    FontPtr font_;
    OLE_COLOR backColor_ = 0x8000000F;
    OLE_COLOR foreColor_ = 0x80000012;
    String accessKeys_;

    HWND window_;
    HWND desktop_;
    int width_ = 0;
    int height_ = 0;
    std::optional<PersistentImage> image_;
    Point cursor_{-1, -1};
    HWND capture_;
    std::vector<Cover> covers_;

    std::unique_ptr<LumoraListControl> control_;
};

}  // namespace lumora::headless
