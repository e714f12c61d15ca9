// SPDX-License-Identifier: MIT
#include "platform/soft/FreeTypeLibrary.h"

#include <stdexcept>

namespace lumora::soft {

std::shared_ptr<FreeTypeLibrary> FreeTypeLibrary::Shared() {
    static const std::shared_ptr<FreeTypeLibrary> library = std::make_shared<FreeTypeLibrary>();
    return library;
}

FreeTypeLibrary::FreeTypeLibrary() {
    if (FT_Init_FreeType(&handle_) != 0) throw std::runtime_error("FreeType could not be initialised");
}

FreeTypeLibrary::~FreeTypeLibrary() { FT_Done_FreeType(handle_); }

}  // namespace lumora::soft
