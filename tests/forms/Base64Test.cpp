// SPDX-License-Identifier: MIT
#include "forms/Base64.h"

#include <gtest/gtest.h>

namespace lumora::forms {
namespace {

TEST(Base64Test, EncodesAndDecodesEveryPaddingLength) {
    const std::string samples[] = {"", "f", "fo", "foo", "foob", "fooba", "foobar", std::string("\0\xFF\x80", 3)};
    for (const std::string& bytes : samples) {
        const std::string text = EncodeBase64(bytes);
        const auto decoded = DecodeBase64(text);
        ASSERT_TRUE(decoded) << text;
        EXPECT_EQ(std::string(decoded->begin(), decoded->end()), bytes);
    }
    EXPECT_EQ(EncodeBase64("foobar"), "Zm9vYmFy");
    EXPECT_EQ(EncodeBase64("fo"), "Zm8=");
}

TEST(Base64Test, RejectsWhatIsNotBase64) {
    for (const char* text : {"Zm8", "Zm8=Zm8=", "Z===", "Zm-=", "Zm 8", "=Zm8", "Zg=a"})
        EXPECT_FALSE(DecodeBase64(text)) << text;
}

}  // namespace
}  // namespace lumora::forms
