// SPDX-License-Identifier: MIT
#include "lumora/platform/soft/SoftPictureBox.h"

#include "lumora/platform/soft/SoftPicture.h"
#include "lumora/runtime/RuntimeError.h"

namespace lumora::soft {

PicturePtr SoftPictureBox::get_Image() {
    const auto* picture = dynamic_cast<const SoftPicture*>(picture_.get());
    if (!picture) Raise(err::kInvalidPicture);
    const SoftBitmap& color = picture->color();
    if (picture->get_Type() != PictureType::Icon) return SoftPicture::Bitmap(gdi_, color);

    // The icon lies over the background as the system draws icons: its mask
    // keeps the background, its colour is laid over with XOR.
    const SoftBitmap& mask = picture->mask();
    SoftBitmap image(color.width, color.height, 32, background_);
    for (std::size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = mask.pixels[i] ? (background_ ^ color.pixels[i]) & 0xFFFFFFu : color.pixels[i];
    return SoftPicture::Bitmap(gdi_, image);
}

}  // namespace lumora::soft
