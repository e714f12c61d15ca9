// SPDX-License-Identifier: MIT
#include "conformance/SystemFaces.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

namespace lumora::conformance {
namespace {

// DejaVu Sans, upright and bold, from the folder the build names.
constexpr const wchar_t* kFaceFiles[] = {L"DejaVuSans.ttf", L"DejaVuSans-Bold.ttf"};

}  // namespace

bool GiveTheSystemTheTestFaces() {
    static const bool given = [] {
        bool all = true;
        for (const wchar_t* file : kFaceFiles) {
            const std::wstring path = std::wstring(LUMORA_TEST_FONT_DIR) + L"/" + file;
            all = AddFontResourceExW(path.c_str(), FR_PRIVATE, nullptr) == 1 && all;
        }
        return all;
    }();
    return given;
}

}  // namespace lumora::conformance
