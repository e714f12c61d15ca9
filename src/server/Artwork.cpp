// SPDX-License-Identifier: MIT
// The artwork is drawn rather than stored: a few shapes in the strip's own
// colours read well at every resolution and need no resources.
#include "Artwork.h"

#include <string>

#include "SystemDialogs.h"
#include "pages/Product.h"

namespace lumora::server {
namespace {

// The banner's gradient, from the title colour of the About box into the
// light blue of a hot column.
constexpr COLORREF kBannerDark = 0x00800000;
constexpr COLORREF kBannerLight = 0x00F0C8A0;
constexpr COLORREF kFolderYellow = 0x0040D0F0;
constexpr COLORREF kFolderEdge = 0x00006080;
constexpr COLORREF kCrossRed = 0x000000D0;
constexpr COLORREF kWhite = 0x00FFFFFF;
// How many bands the banner's gradient is drawn in.
constexpr int kBannerBands = 64;

// A GDI object that is deleted when it goes, selected into a DC meanwhile.
class SelectedObject {
public:
    SelectedObject(::HDC dc, ::HGDIOBJ object) : dc_(dc), object_(object), previous_(::SelectObject(dc, object)) {}
    ~SelectedObject() {
        ::SelectObject(dc_, previous_);
        ::DeleteObject(object_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    ::HDC dc_;
    ::HGDIOBJ object_;
    ::HGDIOBJ previous_;
};

void Fill(::HDC dc, const RECT& rect, COLORREF color) {
    const ::HBRUSH brush = ::CreateSolidBrush(color);
    ::FillRect(dc, &rect, brush);
    ::DeleteObject(brush);
}

int Mix(int from, int to, int step, int steps) { return from + (to - from) * step / steps; }

COLORREF Blend(COLORREF from, COLORREF to, int step, int steps) {
    return static_cast<COLORREF>(Mix(GetRValue(from), GetRValue(to), step, steps) |
                                 Mix(GetGValue(from), GetGValue(to), step, steps) << 8 |
                                 Mix(GetBValue(from), GetBValue(to), step, steps) << 16);
}

void Gradient(::HDC dc, const RECT& area) {
    const int width = area.right - area.left;
    for (int band = 0; band < kBannerBands; ++band) {
        const RECT slice{area.left + width * band / kBannerBands, area.top,
                         area.left + width * (band + 1) / kBannerBands, area.bottom};
        Fill(dc, slice, Blend(kBannerDark, kBannerLight, band, kBannerBands - 1));
    }
}

void Caption(::HDC dc, const RECT& area, int height, const String& text) {
    const SelectedObject font(
        dc, ::CreateFontW(-height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma"));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kWhite);
    RECT box = area;
    box.left += height / 2;
    ::DrawTextW(dc, WideText(text).c_str(), -1, &box, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
}

// Three header columns, the middle one sorted, as the strip itself looks.
void StripSketch(::HDC dc, const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    for (int column = 0; column < 3; ++column) {
        const RECT cell{area.left + width * column / 3, area.top, area.left + width * (column + 1) / 3 - 1,
                        area.bottom};
        Fill(dc, cell, column == 1 ? kBannerLight : kWhite);
    }
    const int middle = area.left + width / 2;
    const POINT triangle[] = {{middle - height / 4, area.top + height / 3},
                              {middle + height / 4, area.top + height / 3},
                              {middle, area.top + height * 2 / 3}};
    const SelectedObject brush(dc, ::CreateSolidBrush(kBannerDark));
    const SelectedObject pen(dc, ::CreatePen(PS_SOLID, 1, kBannerDark));
    ::Polygon(dc, triangle, 3);
}

void Banner(::HDC dc, const RECT& area) {
    Gradient(dc, area);
    const int height = area.bottom - area.top;
    RECT title = area;
    title.bottom = area.top + height * 3 / 5;
    Caption(dc, title, height / 4, pages::product::kName);
    RECT strip{area.left + height / 4, area.top + height * 3 / 5, area.right - height / 4, area.bottom - height / 8};
    StripSketch(dc, strip);
}

void Folder(::HDC dc, const RECT& area) {
    const int x = area.left;
    const int y = area.top;
    const POINT outline[] = {{x + 1, y + 3},  {x + 6, y + 3},   {x + 7, y + 5},
                             {x + 14, y + 5}, {x + 14, y + 13}, {x + 1, y + 13}};
    const SelectedObject brush(dc, ::CreateSolidBrush(kFolderYellow));
    const SelectedObject pen(dc, ::CreatePen(PS_SOLID, 1, kFolderEdge));
    ::Polygon(dc, outline, 6);
}

void Cross(::HDC dc, const RECT& area) {
    const SelectedObject pen(dc, ::CreatePen(PS_SOLID, 3, kCrossRed));
    ::MoveToEx(dc, area.left + 3, area.top + 3, nullptr);
    ::LineTo(dc, area.right - 3, area.bottom - 3);
    ::MoveToEx(dc, area.right - 4, area.top + 3, nullptr);
    ::LineTo(dc, area.left + 2, area.bottom - 3);
}

}  // namespace

void DrawArtwork(::HDC dc, const RECT& area, const String& name) {
    if (name == u"info-banner-393x100") {
        Banner(dc, area);
    } else if (name == u"about-logo-72x16") {
        Gradient(dc, area);
        Caption(dc, area, area.bottom - area.top - 4, u"Lumora");
    } else if (name == u"about-icon-22x20") {
        StripSketch(dc, area);
    } else if (name == u"open-folder-16") {
        Folder(dc, area);
    } else if (name == u"red-cross-16") {
        Cross(dc, area);
    }
}

}  // namespace lumora::server
