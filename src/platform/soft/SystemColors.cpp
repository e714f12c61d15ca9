// SPDX-License-Identifier: MIT
#include "platform/soft/SystemColors.h"

namespace lumora::soft {
namespace {

// The Windows 10 default colour scheme, indexed by system colour number.
constexpr std::array<COLORREF, kSystemColorCount> kWindows10Scheme = {
    RGB(200, 200, 200),  // 0 scroll bar
    RGB(0, 0, 0),        // 1 desktop background
    RGB(153, 180, 209),  // 2 active caption
    RGB(191, 205, 219),  // 3 inactive caption
    RGB(240, 240, 240),  // 4 menu
    RGB(255, 255, 255),  // 5 window
    RGB(100, 100, 100),  // 6 window frame
    RGB(0, 0, 0),        // 7 menu text
    RGB(0, 0, 0),        // 8 window text
    RGB(0, 0, 0),        // 9 caption text
    RGB(180, 180, 180),  // 10 active border
    RGB(244, 247, 252),  // 11 inactive border
    RGB(171, 171, 171),  // 12 application workspace
    RGB(0, 120, 215),    // 13 highlight
    RGB(255, 255, 255),  // 14 highlight text
    RGB(240, 240, 240),  // 15 button face
    RGB(160, 160, 160),  // 16 button shadow
    RGB(109, 109, 109),  // 17 grey text
    RGB(0, 0, 0),        // 18 button text
    RGB(0, 0, 0),        // 19 inactive caption text
    RGB(255, 255, 255),  // 20 button highlight
    RGB(105, 105, 105),  // 21 3D dark shadow
    RGB(227, 227, 227),  // 22 3D light
    RGB(0, 0, 0),        // 23 tooltip text
    RGB(255, 255, 225),  // 24 tooltip background
    RGB(0, 0, 0),        // 25 alternate button face
    RGB(0, 102, 204),    // 26 hot-tracked item
    RGB(185, 209, 234),  // 27 active caption gradient
    RGB(215, 228, 242),  // 28 inactive caption gradient
    RGB(0, 120, 215),    // 29 menu highlight
    RGB(240, 240, 240),  // 30 menu bar
};

// The ten static colours at the start of an 8-bit colour table.
constexpr std::array<COLORREF, 10> kStaticColorsLow = {
    RGB(0x00, 0x00, 0x00), RGB(0x80, 0x00, 0x00), RGB(0x00, 0x80, 0x00), RGB(0x80, 0x80, 0x00), RGB(0x00, 0x00, 0x80),
    RGB(0x80, 0x00, 0x80), RGB(0x00, 0x80, 0x80), RGB(0xc0, 0xc0, 0xc0), RGB(0xc0, 0xdc, 0xc0), RGB(0xa6, 0xca, 0xf0),
};

// The ten static colours at the end of an 8-bit colour table.
constexpr std::array<COLORREF, 10> kStaticColorsHigh = {
    RGB(0xff, 0xfb, 0xf0), RGB(0xa0, 0xa0, 0xa4), RGB(0x80, 0x80, 0x80), RGB(0xff, 0x00, 0x00), RGB(0x00, 0xff, 0x00),
    RGB(0xff, 0xff, 0x00), RGB(0x00, 0x00, 0xff), RGB(0xff, 0x00, 0xff), RGB(0x00, 0xff, 0xff), RGB(0xff, 0xff, 0xff),
};

// Index bits of the colour cube between the static colours: blue in the top
// two bits (steps of 0x40), green and red in three bits each (steps of 0x20).
constexpr COLORREF CubeColor(int index) noexcept {
    return RGB((index & 7) * 0x20, ((index >> 3) & 7) * 0x20, (index >> 6) * 0x40);
}

constexpr std::array<COLORREF, 256> MakeHalftoneEntries() noexcept {
    std::array<COLORREF, 256> entries{};
    for (int i = 0; i < 256; ++i) entries[i] = CubeColor(i);
    for (std::size_t i = 0; i < kStaticColorsLow.size(); ++i) entries[i] = kStaticColorsLow[i];
    for (std::size_t i = 0; i < kStaticColorsHigh.size(); ++i) entries[246 + i] = kStaticColorsHigh[i];
    return entries;
}

constexpr std::array<COLORREF, 20> MakeDefaultEntries() noexcept {
    std::array<COLORREF, 20> entries{};
    for (std::size_t i = 0; i < 10; ++i) {
        entries[i] = kStaticColorsLow[i];
        entries[10 + i] = kStaticColorsHigh[i];
    }
    return entries;
}

constexpr std::array<COLORREF, 256> kHalftoneEntries = MakeHalftoneEntries();
constexpr std::array<COLORREF, 20> kDefaultEntries = MakeDefaultEntries();

}  // namespace

COLORREF StandardSystemColor(int index) noexcept {
    if (index < 0 || index >= kSystemColorCount) return 0;
    return kWindows10Scheme[static_cast<std::size_t>(index)];
}

const std::array<COLORREF, 256>& HalftonePaletteEntries() noexcept { return kHalftoneEntries; }

const std::array<COLORREF, 20>& DefaultPaletteEntries() noexcept { return kDefaultEntries; }

}  // namespace lumora::soft
