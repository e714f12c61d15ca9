// SPDX-License-Identifier: MIT
#include "render/cImageManipulation.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "render/mXPWells.h"

namespace lumora {
namespace {

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBlack = 0x000000;
// A mask colour the system does not know makes black transparent.
constexpr COLORREF kUnknownMask = kBlack;

// The halftone palette for the screen, for pictures that bring none.
HPALETTE CreateScreenHalftonePalette(Gdi& gdi) {
    const ScopedWindowDC screen(gdi, HWND{});
    return gdi.CreateHalftonePalette(screen.get());
}

// A picture's pixels as they were read from it: colour, and whether the
// mask colour made each one transparent.
struct PicturePixels {
    Long width = 0;
    Long height = 0;
    std::vector<COLORREF> colour;
    std::vector<bool> transparent;

    std::size_t At(Long x, Long y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
    }
};

PicturePixels ReadPixels(Gdi& gdi, HDC colour, HDC mask, Long width, Long height) {
    PicturePixels pixels{width, height, {}, {}};
    pixels.colour.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    pixels.transparent.reserve(pixels.colour.capacity());
    for (Long y = 0; y < height; ++y) {
        for (Long x = 0; x < width; ++x) {
            pixels.colour.push_back(gdi.GetPixel(colour, x, y));
            pixels.transparent.push_back(gdi.GetPixel(mask, x, y) == kWhite);
        }
    }
    return pixels;
}

// Where the middle of device pixel i of `device` lands among `size` source
// pixels, and which source pixel that is.
double SourceCentre(Long i, Long size, Long device) { return (i + 0.5) * size / static_cast<double>(device); }

Long Nearest(double centre, Long size) { return std::clamp<Long>(static_cast<Long>(std::floor(centre)), 0, size - 1); }

// One device pixel of a picture enlarged or reduced to a fractional size:
// a tent filter over the opaque source pixels around it, at least one
// source pixel wide, so edges blend only with the picture and never with
// its mask colour.
COLORREF Smoothed(const PicturePixels& pixels, double u, double v, double reachX, double reachY, COLORREF nearest) {
    double sum[3] = {0, 0, 0};
    double total = 0;
    const auto first = [](double centre, double reach) { return static_cast<Long>(std::floor(centre - reach)); };
    for (Long y = std::max<Long>(0, first(v, reachY)); y < pixels.height && y <= v + reachY; ++y) {
        const double wy = 1.0 - std::abs(y + 0.5 - v) / reachY;
        if (wy <= 0) continue;
        for (Long x = std::max<Long>(0, first(u, reachX)); x < pixels.width && x <= u + reachX; ++x) {
            const double wx = 1.0 - std::abs(x + 0.5 - u) / reachX;
            if (wx <= 0 || pixels.transparent[pixels.At(x, y)]) continue;
            const COLORREF c = pixels.colour[pixels.At(x, y)];
            sum[0] += wx * wy * GetRValue(c);
            sum[1] += wx * wy * GetGValue(c);
            sum[2] += wx * wy * GetBValue(c);
            total += wx * wy;
        }
    }
    if (total <= 0) return nearest;
    const auto channel = [&](int c) { return static_cast<COLORREF>(std::lround(sum[c] / total)); };
    return channel(0) | channel(1) << 8 | channel(2) << 16;
}

// Lays the picture over the device pixels of a bitmap that holds the
// destination. Whether a device pixel is transparent follows the source
// pixel under its middle, so the mask keeps its hard edge; a whole scale
// repeats each pixel, which keeps the picture as sharp as it is.
void LayOver(Gdi& device, HDC back, const PicturePixels& pixels, Long width, Long height, bool whole) {
    const double reachX = std::max(1.0, pixels.width / static_cast<double>(width));
    const double reachY = std::max(1.0, pixels.height / static_cast<double>(height));
    for (Long y = 0; y < height; ++y) {
        const double v = SourceCentre(y, pixels.height, height);
        const Long sy = Nearest(v, pixels.height);
        for (Long x = 0; x < width; ++x) {
            const double u = SourceCentre(x, pixels.width, width);
            const std::size_t at = pixels.At(Nearest(u, pixels.width), sy);
            if (pixels.transparent[at]) continue;
            const COLORREF colour =
                whole ? pixels.colour[at] : Smoothed(pixels, u, v, reachX, reachY, pixels.colour[at]);
            device.SetPixelV(back, x, y, colour);
        }
    }
}

}  // namespace

cImageManipulation::cImageManipulation(Gdi& gdi) : gdi_(gdi), halftonePalette_(gdi, CreateScreenHalftonePalette(gdi)) {}

void cImageManipulation::PaintTransparentDC(HDC hDCDest, Long xDest, Long yDest, Long Width, Long Height, HDC hdcSrc,
                                            Long xSrc, Long ySrc, OLE_COLOR clrMask, HPALETTE hPal) {
    const ScopedWindowDC screen(gdi_, HWND{});
    const HPALETTE palette = PaletteOrHalftone(hPal);
    const COLORREF mask = mXPWells::TranslateColor(gdi_, clrMask, palette, kUnknownMask);

    // The destination as it is now.
    const ScopedGdiObject<HBITMAP> bmBack(gdi_, gdi_.CreateCompatibleBitmap(screen.get(), Width, Height));
    const ScopedMemoryDC dcBack(gdi_, screen.get());
    const ScopedSelectObject<HBITMAP> backSelected(gdi_, dcBack.get(), bmBack.get());
    const ScopedSelectPalette backPalette(gdi_, dcBack.get(), palette);
    gdi_.BitBlt(dcBack.get(), 0, 0, Width, Height, hDCDest, xDest, yDest, SRCCOPY);

    // The source, with the source DC's colours, which decide how a
    // monochrome source comes out in colour.
    const ScopedGdiObject<HBITMAP> bmColour(gdi_, gdi_.CreateCompatibleBitmap(screen.get(), Width, Height));
    const ScopedGdiObject<HBITMAP> bmMask(gdi_, gdi_.CreateBitmap(Width, Height, 1, 1, nullptr));
    const ScopedMemoryDC dcColour(gdi_, screen.get());
    const ScopedSelectObject<HBITMAP> colourSelected(gdi_, dcColour.get(), bmColour.get());
    const ScopedSelectPalette colourPalette(gdi_, dcColour.get(), palette);
    gdi_.SetBkColor(dcColour.get(), gdi_.GetBkColor(hdcSrc));
    gdi_.SetTextColor(dcColour.get(), gdi_.GetTextColor(hdcSrc));
    gdi_.BitBlt(dcColour.get(), 0, 0, Width, Height, hdcSrc, xSrc, ySrc, SRCCOPY);

    // The mask: white where the source has the mask colour.
    const ScopedMemoryDC dcMask(gdi_, screen.get());
    const ScopedSelectObject<HBITMAP> maskSelected(gdi_, dcMask.get(), bmMask.get());
    gdi_.SetBkColor(dcColour.get(), mask);
    gdi_.SetTextColor(dcColour.get(), kWhite);
    gdi_.BitBlt(dcMask.get(), 0, 0, Width, Height, dcColour.get(), 0, 0, SRCCOPY);

    // Transparent pixels of the source become black, opaque pixels of the
    // background become black, and the two are combined.
    gdi_.SetTextColor(dcColour.get(), kBlack);
    gdi_.SetBkColor(dcColour.get(), kWhite);
    gdi_.BitBlt(dcColour.get(), 0, 0, Width, Height, dcMask.get(), 0, 0, DSna);
    gdi_.BitBlt(dcBack.get(), 0, 0, Width, Height, dcMask.get(), 0, 0, SRCAND);
    gdi_.BitBlt(dcBack.get(), 0, 0, Width, Height, dcColour.get(), 0, 0, SRCPAINT);

    gdi_.BitBlt(hDCDest, xDest, yDest, Width, Height, dcBack.get(), 0, 0, SRCCOPY);
}

void cImageManipulation::PaintTransparentPicture(HDC hDCDest, const PicturePtr& picSource, Long xDest, Long yDest,
                                                 Long Width, Long Height, Long xSrc, Long ySrc, OLE_COLOR clrMask,
                                                 HPALETTE hPal) {
    if (!picSource) return;
    const PictureType type = picSource->get_Type();
    if (type != PictureType::Bitmap && type != PictureType::Icon) return;

    if (Gdi* device = gdi_.DevicePixels()) {
        PaintOnDevice(*device, hDCDest, picSource, xDest, yDest, Width, Height, xSrc, ySrc, clrMask, hPal);
        return;
    }
    const ScopedWindowDC screen(gdi_, HWND{});
    const HPALETTE palette = PaletteOrHalftone(hPal);
    const ScopedMemoryDC dcTemp(gdi_, screen.get());
    if (type == PictureType::Bitmap) {
        // The picture's own bitmap is only lent: it is selected out again and
        // never deleted here. A bitmap of another surface, or one another DC
        // holds, cannot be selected; the pass goes on regardless.
        const ScopedSelectObject<HBITMAP> selected(gdi_, dcTemp.get(), HBITMAP{picSource->get_Handle()},
                                                   SelectCheck::MayFail);
        const ScopedSelectPalette tempPalette(gdi_, dcTemp.get(), palette);
        PaintTransparentDC(hDCDest, xDest, yDest, Width, Height, dcTemp.get(), xSrc, ySrc, clrMask, hPal);
        return;
    }

    // An icon is drawn over the mask colour first, so its own transparent
    // parts vanish through the mask with everything else of that colour.
    const ScopedGdiObject<HBITMAP> bmTemp(gdi_, gdi_.CreateCompatibleBitmap(screen.get(), Width, Height));
    const ScopedSelectObject<HBITMAP> selected(gdi_, dcTemp.get(), bmTemp.get());
    const ScopedSelectPalette tempPalette(gdi_, dcTemp.get(), palette);
    const COLORREF mask = mXPWells::TranslateColor(gdi_, clrMask, HPALETTE{}, kUnknownMask);
    {
        const ScopedGdiObject<HBRUSH> brush(gdi_, gdi_.CreateSolidBrush(mask));
        gdi_.FillRect(dcTemp.get(), Rect{0, 0, Width, Height}, brush.get());
    }
    gdi_.DrawIcon(dcTemp.get(), 0, 0, HICON{picSource->get_Handle()});
    PaintTransparentDC(hDCDest, xDest, yDest, Width, Height, dcTemp.get(), xSrc, ySrc, mask, hPal);
}

void cImageManipulation::PaintOnDevice(Gdi& device, HDC hDCDest, const PicturePtr& picSource, Long xDest, Long yDest,
                                       Long Width, Long Height, Long xSrc, Long ySrc, OLE_COLOR clrMask,
                                       HPALETTE hPal) {
    if (Width <= 0 || Height <= 0) return;
    const ScopedWindowDC screen(device, HWND{});
    const HPALETTE palette = PaletteOrHalftone(hPal);

    // The picture and its mask at the picture's own size, as the unscaled
    // pass makes them: an icon over the mask colour first.
    const ScopedGdiObject<HBITMAP> bmColour(device, device.CreateCompatibleBitmap(screen.get(), Width, Height));
    const ScopedMemoryDC dcColour(device, screen.get());
    const ScopedSelectObject<HBITMAP> colourSelected(device, dcColour.get(), bmColour.get());
    const ScopedSelectPalette colourPalette(device, dcColour.get(), palette);
    COLORREF mask = mXPWells::TranslateColor(device, clrMask, palette, kUnknownMask);
    if (picSource->get_Type() == PictureType::Bitmap) {
        const ScopedMemoryDC dcTemp(device, screen.get());
        const ScopedSelectObject<HBITMAP> selected(device, dcTemp.get(), HBITMAP{picSource->get_Handle()},
                                                   SelectCheck::MayFail);
        const ScopedSelectPalette tempPalette(device, dcTemp.get(), palette);
        device.SetBkColor(dcColour.get(), device.GetBkColor(dcTemp.get()));
        device.SetTextColor(dcColour.get(), device.GetTextColor(dcTemp.get()));
        device.BitBlt(dcColour.get(), 0, 0, Width, Height, dcTemp.get(), xSrc, ySrc, SRCCOPY);
    } else {
        mask = mXPWells::TranslateColor(device, clrMask, HPALETTE{}, kUnknownMask);
        const ScopedGdiObject<HBRUSH> brush(device, device.CreateSolidBrush(mask));
        device.FillRect(dcColour.get(), Rect{0, 0, Width, Height}, brush.get());
        device.DrawIcon(dcColour.get(), -xSrc, -ySrc, HICON{picSource->get_Handle()});
    }
    const ScopedGdiObject<HBITMAP> bmMask(device, device.CreateBitmap(Width, Height, 1, 1, nullptr));
    const ScopedMemoryDC dcMask(device, screen.get());
    const ScopedSelectObject<HBITMAP> maskSelected(device, dcMask.get(), bmMask.get());
    device.SetBkColor(dcColour.get(), mask);
    device.SetTextColor(dcColour.get(), kWhite);
    device.BitBlt(dcMask.get(), 0, 0, Width, Height, dcColour.get(), 0, 0, SRCCOPY);
    const PicturePixels pixels = ReadPixels(device, dcColour.get(), dcMask.get(), Width, Height);

    // The destination's device pixels, the picture laid over them, and back
    // in one blit.
    const DeviceScale scale = gdi_.deviceScale();
    const Rect area = scale.Area(Rect{xDest, yDest, xDest + Width, yDest + Height});
    const Long width = area.right - area.left;
    const Long height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return;
    const ScopedGdiObject<HBITMAP> bmBack(device, device.CreateCompatibleBitmap(screen.get(), width, height));
    const ScopedMemoryDC dcBack(device, screen.get());
    const ScopedSelectObject<HBITMAP> backSelected(device, dcBack.get(), bmBack.get());
    device.BitBlt(dcBack.get(), 0, 0, width, height, hDCDest, area.left, area.top, SRCCOPY);
    const bool whole = width % Width == 0 && height % Height == 0;
    LayOver(device, dcBack.get(), pixels, width, height, whole);
    device.BitBlt(hDCDest, area.left, area.top, width, height, dcBack.get(), 0, 0, SRCCOPY);
}

}  // namespace lumora
