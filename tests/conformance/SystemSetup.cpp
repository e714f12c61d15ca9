// SPDX-License-Identifier: MIT
// What the system is given before any case runs, so that it draws from
// the same data as our surface: the face files the text cases use, which
// our surface finds through LUMORA_FONT_PATH, and the standard colour
// scheme, which our surface always uses (a Wine prefix has a scheme of its
// own). Set up once for the whole test program, and the user's colours put
// back at its end; a setup that fails fails the whole run.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "platform/soft/SystemColors.h"

// After the project's headers: windows.h's RGB macro would rewrite them.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace lumora::conformance {
namespace {

// DejaVu Sans, upright and bold, from the folder the build names.
constexpr const wchar_t* kFaceFiles[] = {L"DejaVuSans.ttf", L"DejaVuSans-Bold.ttf"};

class SystemSetup final : public ::testing::Environment {
public:
    void SetUp() override {
        for (const wchar_t* file : kFaceFiles) {
            const std::wstring path = std::wstring(LUMORA_TEST_FONT_DIR) + L"/" + file;
            ASSERT_EQ(AddFontResourceExW(path.c_str(), FR_PRIVATE, nullptr), 1) << "the system cannot load a face";
        }
        std::array<::COLORREF, soft::kSystemColorCount> standard{};
        for (int index = 0; index < soft::kSystemColorCount; ++index) {
            indexes_[index] = index;
            users_[index] = GetSysColor(index);
            standard[index] = soft::StandardSystemColor(index);
        }
        ASSERT_TRUE(SetSysColors(soft::kSystemColorCount, indexes_.data(), standard.data()))
            << "the system's colours cannot be set";
        changedColours_ = true;
    }

    void TearDown() override {
        if (changedColours_) SetSysColors(soft::kSystemColorCount, indexes_.data(), users_.data());
    }

private:
    std::array<INT, soft::kSystemColorCount> indexes_{};
    std::array<::COLORREF, soft::kSystemColorCount> users_{};
    bool changedColours_ = false;
};

// gtest owns the environment once it is added.
[[maybe_unused]] ::testing::Environment* const kSystemSetup = ::testing::AddGlobalTestEnvironment(new SystemSetup);

}  // namespace
}  // namespace lumora::conformance
