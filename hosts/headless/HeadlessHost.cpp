// SPDX-License-Identifier: MIT
#include "lumora/headless/HeadlessHost.h"

#include <algorithm>
#include <cmath>

#include "lumora/platform/soft/SoftFont.h"
#include "runtime/Arithmetic.h"
#include "runtime/NumberFormat.h"

namespace lumora::headless {
namespace {

// The tallest window the host makes; the system limits windows much the
// same, and a damaged HeaderHeight must not ask for gigabytes of image.
constexpr int kMaxWindowSide = 32767;
constexpr double kTwipsPerInch = 1440.0;

std::string Text(Single value) { return ToUtf8(FormatNumber(value, NumberFormat())); }

std::string MouseArguments(Integer Button, Integer Shift, Single X, Single Y, Long SortRow) {
    return std::to_string(Button) + " " + std::to_string(Shift) + " " + Text(X) + " " + Text(Y) + " " +
           std::to_string(SortRow);
}

bool Inside(const Rect& rect, Point point) {
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

}  // namespace

HeadlessHost::HeadlessHost(int width, int height)
    : gdi_(std::make_shared<soft::SoftGdi>()),
      pictures_(gdi_),
      picTemp_(gdi_, kMaskMagenta),
      ambientFont_(soft::SoftFont::Create()),
      font_(soft::SoftFont::Create()) {
    width_ = std::clamp(width, 0, kMaxWindowSide);
    height_ = std::clamp(height, 0, kMaxWindowSide);
    window_ = gdi_->CreateSoftWindow(width_, height_);
    desktop_ = gdi_->CreateSoftWindow(1, 1);
    image_.emplace(gdi_, width_, height_, *font_);
    control_ = std::make_unique<LumoraListControl>(static_cast<IControlSite&>(*this));
    control_->Advise(static_cast<ILumoraListControlEvents*>(this));
}

HeadlessHost::~HeadlessHost() {
    // The control goes first: it may still release what the host gave it.
    // The image goes after it, with the members that own it.
    control_.reset();
}

// ------------------------------------------------------------- the window

void HeadlessHost::SetClientSize(int width, int height) {
    ResizeWindow(width, height);
    control_->Resize();
}

void HeadlessHost::ResizeWindow(int width, int height) {
    width = std::clamp(width, 0, kMaxWindowSide);
    height = std::clamp(height, 0, kMaxWindowSide);
    image_->Resize(width, height);
    width_ = width;
    height_ = height;
    gdi_->ResizeSoftWindow(window_, width_, height_);
    Record("Resize " + std::to_string(width_) + "x" + std::to_string(height_));
}

void HeadlessHost::SetDeviceScale(double scale) { image_.emplace(gdi_, width_, height_, *font_, scale); }

double HeadlessHost::deviceScale() const { return image_->scale(); }

const soft::SoftBitmap& HeadlessHost::image() const { return image_->bitmap(); }

bool HeadlessHost::imageCut() const { return image_->cut(); }

void HeadlessHost::LimitImage(std::int64_t maxPixels) { image_->LimitPixels(maxPixels); }

Rect HeadlessHost::clientRect() const { return Rect{0, 0, width_, height_}; }

HDC HeadlessHost::hDC() { return image_->dc(*font_); }

void HeadlessHost::Cls() { image_->Clear(backColor_); }

void HeadlessHost::Refresh() { Record("Refresh"); }

void HeadlessHost::ShowAboutBox() {
    Record("ShowAboutBox");
    aboutBox_.Show();
}

Single HeadlessHost::get_Height() {
    const int dpi = image_->dpi();
    return static_cast<Single>(height_ * (kTwipsPerInch / std::max(dpi, 1)));
}

void HeadlessHost::put_Height(Single twips) {
    // The window takes whole pixels; a negative or absurd height becomes the
    // nearest height a window can have.
    const int dpi = std::max(image_->dpi(), 1);
    const double pixels = std::nearbyint(static_cast<double>(twips) * dpi / kTwipsPerInch);
    const int height = std::isnan(pixels) ? 0 : static_cast<int>(std::clamp(pixels, 0.0, double{kMaxWindowSide}));
    if (height == height_) return;
    ResizeWindow(width_, height);
    control_->Resize();
}

// ------------------------------------------------------------- the mouse

void HeadlessHost::PlaceCursor(Single x, Single y) {
    // The screen is far smaller than a Long; points beyond it stay at its
    // edge, as the system keeps the cursor on the screen.
    const auto onScreen = [](Single value, Long origin) {
        const double position = std::floor(static_cast<double>(value)) + origin;
        return static_cast<Long>(std::isnan(position) ? 0.0 : std::clamp(position, -1e9, 1e9));
    };
    cursor_ = Point{onScreen(x, kWindowOrigin.x), onScreen(y, kWindowOrigin.y)};
}

bool HeadlessHost::MouseReachesControl() {
    return capture_ ? capture_ == window_ : WindowFromPoint(cursor_) == window_;
}

void HeadlessHost::MoveMouse(Single x, Single y, Integer button, Integer shift) {
    PlaceCursor(x, y);
    if (MouseReachesControl()) control_->MouseMove(button, shift, x, y);
}

void HeadlessHost::PressMouse(Single x, Single y, Integer button, Integer shift) {
    PlaceCursor(x, y);
    if (MouseReachesControl()) control_->MouseDown(button, shift, x, y);
}

void HeadlessHost::ReleaseMouse(Single x, Single y, Integer button, Integer shift) {
    PlaceCursor(x, y);
    if (MouseReachesControl()) control_->MouseUp(button, shift, x, y);
}

void HeadlessHost::Focus() { control_->GotFocus(); }

void HeadlessHost::Blur() { control_->LostFocus(); }

bool HeadlessHost::PressKey(Integer key, Integer shift) {
    if (key == kKeyTab) {
        if (control_->HasFocus())
            control_->LostFocus();
        else
            control_->GotFocus(true);
        return true;
    }
    return control_->HasFocus() && control_->KeyDown(key, shift);
}

bool HeadlessHost::PressAccessKey(char32_t key) {
    if (control_->ColumnOfAccessKey(key) == 0) return false;
    if (!control_->HasFocus()) control_->GotFocus(true);
    return control_->AccessKeyPressed(key);
}

HWND HeadlessHost::CoverWith(const Rect& clientArea) {
    const HWND cover = gdi_->CreateSoftWindow(1, 1);
    covers_.push_back({cover, clientArea});
    return cover;
}

void HeadlessHost::Uncover(HWND cover) {
    std::erase_if(covers_, [&](const Cover& c) { return c.window == cover; });
    gdi_->DestroySoftWindow(cover);
}

bool HeadlessHost::GetCursorPos(Point* point) {
    if (!point) return false;
    *point = cursor_;
    return true;
}

HWND HeadlessHost::WindowFromPoint(Point point) {
    const Point client{point.x - kWindowOrigin.x, point.y - kWindowOrigin.y};
    // The last window put on top is the topmost.
    for (auto cover = covers_.rbegin(); cover != covers_.rend(); ++cover)
        if (Inside(cover->area, client)) return cover->window;
    return Inside(clientRect(), client) ? window_ : desktop_;
}

HWND HeadlessHost::SetCapture(HWND hwnd) { return std::exchange(capture_, hwnd); }

bool HeadlessHost::ReleaseCapture() {
    capture_ = HWND{};
    return true;
}

// ------------------------------------------------------------- recording

std::vector<std::string> HeadlessHost::TakeLog() { return std::exchange(log_, {}); }

std::vector<std::string> HeadlessHost::PropertyChanges() const {
    static const std::string kPrefix = "PropertyChanged ";
    std::vector<std::string> names;
    for (const std::string& line : log_)
        if (line.starts_with(kPrefix)) names.push_back(line.substr(kPrefix.size()));
    return names;
}

int HeadlessHost::RefreshCount() const {
    return static_cast<int>(std::count(log_.begin(), log_.end(), std::string("Refresh")));
}

void HeadlessHost::PropertyChanged(const String& name) { Record("PropertyChanged " + ToUtf8(name)); }

void HeadlessHost::put_BackColor(OLE_COLOR color) {
    backColor_ = color;
    Record("BackColor " + std::to_string(color));
}

void HeadlessHost::put_ForeColor(OLE_COLOR color) {
    foreColor_ = color;
    Record("ForeColor " + std::to_string(color));
}

void HeadlessHost::putref_Font(const FontPtr& font) {
    if (font) font_ = font;
    Record("Font");
}

void HeadlessHost::put_AccessKeys(const String& keys) {
    accessKeys_ = keys;
    Record("AccessKeys " + ToUtf8(keys));
}

void HeadlessHost::RowPressed(Integer& PreviousTab, Long& SortRow, String& Sort) {
    Record("RowPressed " + std::to_string(PreviousTab) + " " + std::to_string(SortRow) + " " + ToUtf8(Sort));
    if (onRowPressed) onRowPressed(PreviousTab, SortRow, Sort);
}

void HeadlessHost::MouseIn(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) {
    Record("MouseIn " + MouseArguments(Button, Shift, X, Y, SortRow));
    if (onMouseIn) onMouseIn(Button, Shift, X, Y, SortRow);
}

void HeadlessHost::MouseOut(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) {
    Record("MouseOut " + MouseArguments(Button, Shift, X, Y, SortRow));
    if (onMouseOut) onMouseOut(Button, Shift, X, Y, SortRow);
}

void HeadlessHost::MouseDown(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow, String& Sort) {
    Record("MouseDown " + MouseArguments(Button, Shift, X, Y, SortRow) + " " + ToUtf8(Sort));
    if (onMouseDown) onMouseDown(Button, Shift, X, Y, SortRow, Sort);
}

void HeadlessHost::MouseUp(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) {
    Record("MouseUp " + MouseArguments(Button, Shift, X, Y, SortRow));
    if (onMouseUp) onMouseUp(Button, Shift, X, Y, SortRow);
}

}  // namespace lumora::headless
