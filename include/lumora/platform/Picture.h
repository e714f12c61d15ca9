// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>

#include "lumora/runtime/Types.h"

namespace lumora {

// Picture types as the platform numbers them.
enum class PictureType : Integer {
    None = 0,
    Bitmap = 1,
    Metafile = 2,
    Icon = 3,
    EnhancedMetafile = 4,
};

// The platform's picture object. Pictures are held by reference: a column
// that is given a picture keeps that very object.
class IPicture {
public:
    virtual ~IPicture() = default;

    virtual std::uintptr_t get_Handle() const = 0;
    virtual std::uintptr_t get_hPal() const = 0;
    virtual PictureType get_Type() const = 0;
    // HIMETRIC (hundredths of a millimetre).
    virtual Long get_Width() const = 0;
    virtual Long get_Height() const = 0;
};

using PicturePtr = std::shared_ptr<IPicture>;

}  // namespace lumora
