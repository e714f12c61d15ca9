// SPDX-License-Identifier: MIT
#include "render/cImageManipulation.h"

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

}  // namespace lumora
