// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>

#include "lumora/platform/soft/PngWriter.h"
#include "lumora/platform/soft/SoftBitmap.h"

namespace lumora::test {

// When the running test has failed, saves what it drew as
// failures/<suite>.<test>.png in the working directory, so the wrong pixels
// can be looked at instead of guessed from coordinates.
inline void SavePngOnFailure(const soft::SoftBitmap* bitmap) {
    if (!bitmap || !::testing::Test::HasFailure()) return;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::filesystem::path folder = std::filesystem::current_path() / "failures";
    std::filesystem::create_directories(folder);
    // Parameterised tests carry slashes in their names ("Prefix/Suite",
    // "Test/Case"); they must not become folders.
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    std::replace(name.begin(), name.end(), '/', '_');
    const std::filesystem::path file = folder / (name + ".png");
    soft::WritePng(*bitmap, file);
    std::cerr << "what the test drew: " << file.string() << '\n';
}

}  // namespace lumora::test
