// SPDX-License-Identifier: MIT
#include "HeaderStripSite.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QCursor>
#include <QKeySequence>
#include <QRect>

#include "QtPlatform.h"
#include "lumora/platform/soft/SoftFont.h"
#include "lumora/qt/HeaderStrip.h"
#include "lumora/runtime/RuntimeError.h"

namespace Lumora {
namespace {

using namespace lumora;

constexpr double kTwipsPerInch = 1440.0;
// The tallest strip the site makes; a damaged HeaderHeight must not ask for
// gigabytes of image.
constexpr int kMaxSide = 32767;

QString ToQString(const String& text) { return QString::fromStdU16String(text); }

FontPtr FontOf(const QFont& font) {
    FontDescription description;
    description.name = font.family().toStdU16String();
    if (font.pointSizeF() > 0) description.size = font.pointSizeF();
    description.bold = font.bold();
    description.weight = static_cast<Integer>(font.bold() ? 700 : 400);
    description.italic = font.italic();
    description.underline = font.underline();
    description.strikethrough = font.strikeOut();
    return soft::SoftFont::Create(description);
}

}  // namespace

HeaderStripSite::HeaderStripSite(HeaderStrip& widget)
    : widget_(widget),
      gdi_(std::make_shared<soft::SoftGdi>()),
      pictures_(gdi_),
      picTemp_(gdi_, kMaskMagenta),
      font_(soft::SoftFont::Create()) {
    width_ = std::clamp(widget.width(), 0, kMaxSide);
    height_ = std::clamp(widget.height(), 0, kMaxSide);
    window_ = gdi_->CreateSoftWindow(width_, height_);
    elsewhere_ = gdi_->CreateSoftWindow(1, 1);
    image_.emplace(gdi_, width_, height_, *font_);
    control_ = NewControl();
}

HeaderStripSite::~HeaderStripSite() {
    // The control goes first: it may still release what the site gave it.
    control_.reset();
}

std::unique_ptr<LumoraListControl> HeaderStripSite::NewControl() {
    font_ = soft::SoftFont::Create();
    backColor_ = 0x8000000F;
    foreColor_ = 0x80000012;
    auto control = std::make_unique<LumoraListControl>(static_cast<IControlSite&>(*this));
    control->Advise(static_cast<ILumoraListControlEvents*>(this));
    return control;
}

void HeaderStripSite::InitNew() { control_->InitProperties(); }

void HeaderStripSite::Load(forms::JsonPropertyBag& bag) {
    // The old control lets go of the capture and its keys before the new
    // one reads the form onto the same window.
    if (capture_) ReleaseCapture();
    control_->Advise(nullptr);
    control_.reset();
    control_ = NewControl();
    bag.SetPictureFiles(&pictures_);
    control_->ReadProperties(bag);
}

// ------------------------------------------------------------- the window

void HeaderStripSite::WidgetResized(int width, int height) {
    Deliver(std::nullopt, [&] { SyncSize(width, height); });
}

void HeaderStripSite::DevicePixelRatioIs(double ratio) {
    const double scale = std::clamp(ratio, DeviceScaleGdi::kMinScale, DeviceScaleGdi::kMaxScale);
    if (scale == image_->scale()) return;
    image_.emplace(gdi_, width_, height_, *font_, scale);
    Deliver(std::nullopt, [&] { control_->DrawTab(); });
}

void HeaderStripSite::SyncSize(int width, int height) {
    width = std::clamp(width, 0, kMaxSide);
    height = std::clamp(height, 0, kMaxSide);
    if (width == width_ && height == height_) return;
    image_->Resize(width, height);
    width_ = width;
    height_ = height;
    gdi_->ResizeSoftWindow(window_, width_, height_);
    control_->Resize();
}

void HeaderStripSite::Refresh() {
    widget_.update();
    announcer_.Announce(widget_);
}

void HeaderStripSite::RefreshRect(const Rect& rect) {
    // The control's pixels are the widget's own. At a fractional ratio Qt
    // rounds the device edges of an update its own way: a pixel more on
    // each side keeps every changed device pixel inside.
    const double scale = image_->scale();
    const int margin = scale == std::floor(scale) ? 0 : 1;
    if (rect.left < rect.right && rect.top < rect.bottom)
        widget_.update(QRect(rect.left - margin, rect.top - margin, rect.right - rect.left + 2 * margin,
                             rect.bottom - rect.top + 2 * margin));
    announcer_.Announce(widget_);
}

Single HeaderStripSite::get_Height() {
    return static_cast<Single>(height_ * (kTwipsPerInch / std::max(image_->dpi(), 1)));
}

void HeaderStripSite::put_Height(Single twips) {
    // The widget takes whole pixels; a negative or absurd height becomes the
    // nearest height a widget can have.
    const int dpi = std::max(image_->dpi(), 1);
    const double pixels = std::nearbyint(static_cast<double>(twips) * dpi / kTwipsPerInch);
    const int height = std::isnan(pixels) ? 0 : static_cast<int>(std::clamp(pixels, 0.0, double{kMaxSide}));
    widget_.setFixedHeight(height);
    widget_.updateGeometry();
    // The control hears Resize before the write returns, whenever Qt gets
    // round to the widget's own resize event.
    SyncSize(width_, height);
}

void HeaderStripSite::putref_Font(const FontPtr& font) {
    if (font) font_ = font;
}

FontPtr HeaderStripSite::AmbientFont() { return FontOf(widget_.font()); }

void HeaderStripSite::put_AccessKeys(const String& keys) {
    accessKeys_.clear();
    // One key a character, a surrogate pair being one; the shortcut takes
    // the upper case, which is the key's code.
    for (const char32_t key : QString::fromStdU16String(keys).toUcs4()) {
        const QKeySequence sequence(QKeyCombination(Qt::AltModifier, static_cast<Qt::Key>(QChar::toUpper(key))));
        auto shortcut = std::make_unique<QShortcut>(sequence, &widget_);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut.get(), &QShortcut::activated, &widget_, [this, key] {
            widget_.setFocus(Qt::ShortcutFocusReason);
            Deliver(std::nullopt, [&] { control_->AccessKeyPressed(key); });
        });
        accessKeys_.push_back(std::move(shortcut));
    }
}

int HeaderStripSite::MsgBox(const String& prompt, int buttons, const String& title) {
    return ShowMessage(&widget_, prompt, buttons, title);
}

void HeaderStripSite::ShowAboutBox() { widget_.showAboutBox(); }

// ------------------------------------------------------------- the mouse

template <typename Step>
void HeaderStripSite::Deliver(std::optional<QPoint> cursor, Step step) {
    eventCursor_ = cursor;
    try {
        step();
    } catch (const RuntimeError&) {
        // The control has already kept what it changed before the error.
    }
    eventCursor_.reset();
    pointerLeft_ = false;
}

void HeaderStripSite::MouseMove(QPointF position, QPoint global, Integer button, Integer shift) {
    Deliver(global, [&] {
        control_->MouseMove(button, shift, static_cast<Single>(position.x()), static_cast<Single>(position.y()));
    });
}

void HeaderStripSite::MouseDown(QPointF position, QPoint global, Integer button, Integer shift) {
    Deliver(global, [&] {
        control_->MouseDown(button, shift, static_cast<Single>(position.x()), static_cast<Single>(position.y()));
    });
}

void HeaderStripSite::MouseUp(QPointF position, QPoint global, Integer button, Integer shift) {
    Deliver(global, [&] {
        control_->MouseUp(button, shift, static_cast<Single>(position.x()), static_cast<Single>(position.y()));
    });
}

void HeaderStripSite::PointerLeft(Integer buttons, Integer shift) {
    // Only a control that still counts the pointer as over it (it holds the
    // capture) needs to hear that it went; it then says MouseOut once.
    if (capture_ != window_) return;
    const QPoint global = QCursor::pos();
    const QPointF local = widget_.mapFromGlobal(QPointF(global));
    pointerLeft_ = true;
    MouseMove(local, global, buttons, shift);
}

void HeaderStripSite::FocusChanged(bool in, bool byKeyboard) {
    Deliver(std::nullopt, [&] { in ? control_->GotFocus(byKeyboard) : control_->LostFocus(); });
}

bool HeaderStripSite::KeyDown(Integer key, Integer shift) {
    bool taken = false;
    Deliver(std::nullopt, [&] { taken = control_->KeyDown(key, shift); });
    return taken;
}

bool HeaderStripSite::PressRow(int index) {
    bool pressed = false;
    Deliver(std::nullopt, [&] { pressed = control_->PressRow(index); });
    return pressed;
}

bool HeaderStripSite::GetCursorPos(Point* point) {
    if (!point) return false;
    const QPoint cursor = eventCursor_.value_or(QCursor::pos());
    *point = Point{cursor.x(), cursor.y()};
    return true;
}

HWND HeaderStripSite::WindowFromPoint(Point point) {
    if (pointerLeft_) return elsewhere_;
    // A widget lying over the strip, or a window over its own, takes the
    // point: the pointer is then no longer over the strip.
    const QWidget* under = QApplication::widgetAt(QPoint(point.x, point.y));
    return under == &widget_ ? window_ : elsewhere_;
}

HWND HeaderStripSite::SetCapture(HWND hwnd) {
    if (hwnd == window_ && widget_.isVisible()) widget_.grabMouse();
    return std::exchange(capture_, hwnd);
}

bool HeaderStripSite::ReleaseCapture() {
    if (capture_ == window_ && QWidget::mouseGrabber() == &widget_) widget_.releaseMouse();
    capture_ = HWND{};
    return true;
}

// ------------------------------------------------------------- events

void HeaderStripSite::RowPressed(Integer& PreviousTab, Long& SortRow, String& Sort) {
    RowPressedEvent event{PreviousTab, SortRow, ToQString(Sort)};
    emit widget_.rowPressed(&event);
    PreviousTab = event.previousTab;
    SortRow = event.sortRow;
    Sort = event.sort.toStdU16String();
}

namespace {

// Fills an event's pointer fields and copies back what the handlers left.
struct MouseArguments {
    Integer& Button;
    Integer& Shift;
    Single& X;
    Single& Y;
    Long& SortRow;

    void Fill(StripMouseEvent& event) const { event = StripMouseEvent{Button, Shift, X, Y, SortRow}; }
    void TakeBack(const StripMouseEvent& event) const {
        Button = event.button;
        Shift = event.shift;
        X = event.x;
        Y = event.y;
        SortRow = event.sortRow;
    }
};

void Raise(HeaderStrip& widget, void (HeaderStrip::*signal)(StripMouseEvent*), const MouseArguments& arguments) {
    StripMouseEvent event;
    arguments.Fill(event);
    emit(widget.*signal)(&event);
    arguments.TakeBack(event);
}

}  // namespace

void HeaderStripSite::MouseIn(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) {
    Raise(widget_, &HeaderStrip::mouseIn, {Button, Shift, X, Y, SortRow});
}

void HeaderStripSite::MouseOut(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) {
    Raise(widget_, &HeaderStrip::mouseOut, {Button, Shift, X, Y, SortRow});
}

void HeaderStripSite::MouseDown(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow, String& Sort) {
    const MouseArguments arguments{Button, Shift, X, Y, SortRow};
    StripMouseDownEvent event;
    arguments.Fill(event);
    event.sort = ToQString(Sort);
    emit widget_.mouseDown(&event);
    arguments.TakeBack(event);
    Sort = event.sort.toStdU16String();
}

void HeaderStripSite::MouseUp(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) {
    Raise(widget_, &HeaderStrip::mouseUp, {Button, Shift, X, Y, SortRow});
}

}  // namespace Lumora
