// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <random>
#include <string>

namespace lumora::test {

// A scratch directory of this test process, empty at the start and removed
// at the end. A random tag keeps test programs running side by side, and
// leftovers of earlier runs, out of each other's way.
class ScratchDirectory {
public:
    explicit ScratchDirectory(const std::string& name) {
        std::random_device random;
        do {
            path_ = std::filesystem::temp_directory_path() / (name + "-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(path_));
    }
    ~ScratchDirectory() { std::filesystem::remove_all(path_); }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }
    bool IsEmpty() const { return std::filesystem::is_empty(path_); }

private:
    std::filesystem::path path_;
};

}  // namespace lumora::test
