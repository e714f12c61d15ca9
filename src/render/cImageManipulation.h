// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/platform/Gdi.h"
#include "lumora/platform/GdiScoped.h"
#include "lumora/platform/Picture.h"
#include "lumora/runtime/Types.h"

namespace lumora {

// Paints pictures so that every pixel of one colour, the mask colour, lets
// the destination show through. One instance serves one paint pass; it
// keeps a halftone palette for callers that pass none.
class cImageManipulation {
public:
    explicit cImageManipulation(Gdi& gdi);
    cImageManipulation(const cImageManipulation&) = delete;
    cImageManipulation& operator=(const cImageManipulation&) = delete;

    // Copies Width x Height at (xSrc, ySrc) of hdcSrc to (xDest, yDest),
    // leaving the destination where the source has clrMask. The destination
    // is written once, so the picture never flickers through the steps.
    void PaintTransparentDC(HDC hDCDest, Long xDest, Long yDest, Long Width, Long Height, HDC hdcSrc, Long xSrc,
                            Long ySrc, OLE_COLOR clrMask, HPALETTE hPal);
    // The same for a bitmap or icon picture; other pictures paint nothing.
    void PaintTransparentPicture(HDC hDCDest, const PicturePtr& picSource, Long xDest, Long yDest, Long Width,
                                 Long Height, Long xSrc, Long ySrc, OLE_COLOR clrMask, HPALETTE hPal);

    HPALETTE HalftonePalette() const noexcept { return halftonePalette_.get(); }

private:
    HPALETTE PaletteOrHalftone(HPALETTE hPal) const noexcept { return hPal ? hPal : halftonePalette_.get(); }
    // The picture on a surface that shows the control's pixels larger: the
    // mask is taken at the picture's own size, where the mask colour is
    // exact, and the picture is then scaled on the device's pixels.
    void PaintOnDevice(Gdi& device, HDC hDCDest, const PicturePtr& picSource, Long xDest, Long yDest, Long Width,
                       Long Height, Long xSrc, Long ySrc, OLE_COLOR clrMask, HPALETTE hPal);

    Gdi& gdi_;
    ScopedGdiObject<HPALETTE> halftonePalette_;
};

}  // namespace lumora
