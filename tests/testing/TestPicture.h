// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "lumora/platform/Picture.h"

namespace lumora::test {

// A picture object that only knows its type and size, for tests that care
// about who holds which picture, not about its pixels.
class TestPicture final : public IPicture {
public:
    explicit TestPicture(PictureType type = PictureType::Bitmap, Long width = 847, Long height = 847)
        : type_(type), width_(width), height_(height) {}

    static std::shared_ptr<TestPicture> Create(PictureType type = PictureType::Bitmap) {
        return std::make_shared<TestPicture>(type);
    }

    std::uintptr_t get_Handle() const override { return reinterpret_cast<std::uintptr_t>(this); }
    std::uintptr_t get_hPal() const override { return 0; }
    PictureType get_Type() const override { return type_; }
    Long get_Width() const override { return width_; }
    Long get_Height() const override { return height_; }

private:
    PictureType type_;
    Long width_;
    Long height_;
};

}  // namespace lumora::test
