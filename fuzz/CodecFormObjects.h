// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "forms/FormStream.h"
#include "lumora/platform/soft/SoftFont.h"
#include "platform/soft/PictureCodec.h"

namespace lumora::fuzz {

// A picture that is only its decoded pixels: the form stream fuzzer and the
// seed maker need the real picture codec, not a drawing surface.
class CodecPicture final : public IPicture {
public:
    explicit CodecPicture(soft::DecodedPicture decoded) : decoded_(std::move(decoded)) {}

    std::uintptr_t get_Handle() const override { return reinterpret_cast<std::uintptr_t>(this); }
    std::uintptr_t get_hPal() const override { return 0; }
    PictureType get_Type() const override { return decoded_.type; }
    Long get_Width() const override { return decoded_.color.width; }
    Long get_Height() const override { return decoded_.color.height; }
    const soft::DecodedPicture& decoded() const noexcept { return decoded_; }

private:
    soft::DecodedPicture decoded_;
};

// The stream's platform hook over the picture codec and the soft font, as
// the software surface's pictures save and load themselves.
class CodecFormObjects final : public forms::IFormObjects {
public:
    std::string SavePicture(const PicturePtr& picture) override {
        const soft::DecodedPicture& decoded = dynamic_cast<const CodecPicture&>(*picture).decoded();
        if (decoded.type == PictureType::Icon) return soft::EncodeIco(decoded.color, decoded.mask);
        return soft::EncodeBmp(decoded.color);
    }
    PicturePtr LoadPicture(std::string_view bytes) override {
        const std::span pictureBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        return std::make_shared<CodecPicture>(soft::DecodePicture(pictureBytes));
    }
    FontPtr CreateFont(const FontDescription& description) override { return soft::SoftFont::Create(description); }
};

}  // namespace lumora::fuzz
