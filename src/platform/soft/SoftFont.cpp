// SPDX-License-Identifier: MIT
#include "lumora/platform/soft/SoftFont.h"

#include <cmath>

namespace lumora::soft {

SoftFont::SoftFont(const FontDescription& description) { Apply(description, *this); }

FontPtr SoftFont::Create(const FontDescription& description) { return std::make_shared<SoftFont>(description); }

void SoftFont::put_Size(double points) {
    // The system keeps font sizes as currency: four decimal places.
    size_ = std::nearbyint(points * 10000.0) / 10000.0;
}

}  // namespace lumora::soft
