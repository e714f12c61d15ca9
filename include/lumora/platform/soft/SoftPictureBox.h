// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "lumora/platform/PictureFiles.h"
#include "lumora/platform/soft/SoftGdi.h"

namespace lumora::soft {

// A picture box that is never shown: it composes its picture over its
// background colour, as the control's icon conversion needs.
class SoftPictureBox final : public IPictureBox {
public:
    SoftPictureBox(std::shared_ptr<SoftGdi> gdi, COLORREF background) : gdi_(std::move(gdi)), background_(background) {}

    void putref_Picture(const PicturePtr& picture) override { picture_ = picture; }
    PicturePtr get_Picture() override { return picture_; }
    // A bitmap of the picture's size: the background, with the picture over
    // it (an icon's transparent pixels show the background). Without a
    // picture, or with one of another surface, error 481.
    PicturePtr get_Image() override;

private:
    std::shared_ptr<SoftGdi> gdi_;
    COLORREF background_;
    PicturePtr picture_;
};

}  // namespace lumora::soft
