// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <QPoint>
#include <QShortcut>

#include "HeaderStripAccessible.h"
#include "lumora/control/ControlEvents.h"
#include "lumora/control/LumoraListControl.h"
#include "lumora/forms/JsonFormFile.h"
#include "lumora/headless/PersistentImage.h"
#include "lumora/platform/ControlSite.h"
#include "lumora/platform/soft/SoftFileSystem.h"
#include "lumora/platform/soft/SoftGdi.h"
#include "lumora/platform/soft/SoftPicture.h"
#include "lumora/platform/soft/SoftPictureBox.h"

namespace Lumora {

class HeaderStrip;

// The control's site on a Qt widget: the persistent image on the software
// surface, the pointer as Qt sees it, capture through the widget's mouse
// grab, access keys as shortcuts, and the control's events as the widget's
// signals.
class HeaderStripSite final : private lumora::IControlSite,
                              private lumora::ILumoraListControlEvents,
                              private lumora::IPointer,
                              private lumora::IDialogs {
public:
    explicit HeaderStripSite(HeaderStrip& widget);
    ~HeaderStripSite() override;
    HeaderStripSite(const HeaderStripSite&) = delete;
    HeaderStripSite& operator=(const HeaderStripSite&) = delete;

    lumora::LumoraListControl& control() noexcept { return *control_; }
    const lumora::LumoraListControl& control() const noexcept { return *control_; }
    lumora::soft::SoftGdi& surface() noexcept { return *gdi_; }
    lumora::soft::SoftPictures& pictureFiles() noexcept { return pictures_; }
    // The image in device pixels, and the scale it is drawn at.
    const lumora::soft::SoftBitmap& image() const { return image_->bitmap(); }
    double scale() const { return image_->scale(); }
    // The strip's height in the control's pixels.
    int height() const noexcept { return height_; }
    // The files and the icon surface the columns page loads pictures with.
    lumora::IFileSystem& fileSystem() noexcept { return files_; }
    lumora::IPictureBox& iconSurface() noexcept { return picTemp_; }

    // A newly placed control.
    void InitNew();
    // Replaces the control with one that reads the bag, as a form opening.
    void Load(lumora::forms::JsonPropertyBag& bag);

    // The widget's own notifications. The mouse calls carry the event's
    // screen position, which is where the pointer service says the cursor
    // is while the control handles them.
    void WidgetResized(int width, int height);
    // The widget's device pixel ratio, which changes when its window moves
    // to another screen: the strip is drawn again at the new one.
    void DevicePixelRatioIs(double ratio);
    void MouseMove(QPointF position, QPoint global, lumora::Integer button, lumora::Integer shift);
    void MouseDown(QPointF position, QPoint global, lumora::Integer button, lumora::Integer shift);
    void MouseUp(QPointF position, QPoint global, lumora::Integer button, lumora::Integer shift);
    void PointerLeft(lumora::Integer buttons, lumora::Integer shift);
    void FocusChanged(bool in, bool byKeyboard);
    // A key while the widget has the focus; returns whether the control
    // took it.
    bool KeyDown(lumora::Integer key, lumora::Integer shift);
    bool PressRow(int index);
    StripAnnouncer& announcer() noexcept { return announcer_; }

private:
    // IControlSite
    void PropertyChanged(const lumora::String&) override {}
    void put_BackColor(lumora::OLE_COLOR color) override { backColor_ = color; }
    void put_ForeColor(lumora::OLE_COLOR color) override { foreColor_ = color; }
    lumora::FontPtr get_Font() override { return font_; }
    void putref_Font(const lumora::FontPtr& font) override;
    lumora::FontPtr AmbientFont() override;
    void put_AccessKeys(const lumora::String& keys) override;
    lumora::Gdi& gdi() override { return image_->gdi(); }
    lumora::IDialogs& dialogs() override { return *this; }
    lumora::IPointer& pointer() override { return *this; }
    lumora::IPictureFiles& pictures() override { return pictures_; }
    lumora::IFileSystem& files() override { return files_; }
    lumora::IPictureBox& picTemp() override { return picTemp_; }
    lumora::HWND hWnd() override { return window_; }
    lumora::HDC hDC() override { return image_->dc(*font_); }
    void Cls() override { image_->Clear(backColor_); }
    void Refresh() override;
    void RefreshRect(const lumora::Rect& rect) override;
    lumora::Single get_Height() override;
    void put_Height(lumora::Single twips) override;
    void ShowAboutBox() override;

    // ILumoraListControlEvents
    void RowPressed(lumora::Integer& PreviousTab, lumora::Long& SortRow, lumora::String& Sort) override;
    void MouseIn(lumora::Integer& Button, lumora::Integer& Shift, lumora::Single& X, lumora::Single& Y,
                 lumora::Long& SortRow) override;
    void MouseOut(lumora::Integer& Button, lumora::Integer& Shift, lumora::Single& X, lumora::Single& Y,
                  lumora::Long& SortRow) override;
    void MouseDown(lumora::Integer& Button, lumora::Integer& Shift, lumora::Single& X, lumora::Single& Y,
                   lumora::Long& SortRow, lumora::String& Sort) override;
    void MouseUp(lumora::Integer& Button, lumora::Integer& Shift, lumora::Single& X, lumora::Single& Y,
                 lumora::Long& SortRow) override;

    // IPointer
    bool GetCursorPos(lumora::Point* point) override;
    lumora::HWND WindowFromPoint(lumora::Point point) override;
    lumora::HWND SetCapture(lumora::HWND hwnd) override;
    lumora::HWND GetCapture() override { return capture_; }
    bool ReleaseCapture() override;

    // IDialogs
    int MsgBox(const lumora::String& prompt, int buttons, const lumora::String& title) override;

    // A fresh control on this site, with the window as a new one has it.
    std::unique_ptr<lumora::LumoraListControl> NewControl();
    // Runs a step of the control for a Qt event: Qt events cannot carry the
    // control's errors anywhere, so they end the step.
    template <typename Step>
    void Deliver(std::optional<QPoint> cursor, Step step);
    // Sizes the image to the widget and tells the control, when they differ.
    void SyncSize(int width, int height);

    HeaderStrip& widget_;
    std::shared_ptr<lumora::soft::SoftGdi> gdi_;
    lumora::soft::SoftPictures pictures_;
    lumora::soft::SoftFileSystem files_;
    lumora::soft::SoftPictureBox picTemp_;
    lumora::FontPtr font_;
    lumora::OLE_COLOR backColor_ = 0x8000000F;
    lumora::OLE_COLOR foreColor_ = 0x80000012;
    lumora::HWND window_;
    // Stands for every window that is not the strip.
    lumora::HWND elsewhere_;
    lumora::HWND capture_;
    int width_ = 0;
    int height_ = 0;
    std::optional<lumora::headless::PersistentImage> image_;
    // Where the cursor was when the Qt event being handled happened.
    std::optional<QPoint> eventCursor_;
    // Qt said the pointer left the strip: it is elsewhere, wherever the
    // platform's cursor position lags.
    bool pointerLeft_ = false;
    std::vector<std::unique_ptr<QShortcut>> accessKeys_;
    StripAnnouncer announcer_;
    std::unique_ptr<lumora::LumoraListControl> control_;
};

}  // namespace Lumora
