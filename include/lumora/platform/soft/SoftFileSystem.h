// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>

#include "lumora/platform/PictureFiles.h"

namespace lumora::soft {

// The local file system for temporary files. Every file it creates is new,
// exclusively created, readable by its owner only, and named unpredictably;
// it never follows a link someone put in the way.
class SoftFileSystem final : public IFileSystem {
public:
    // Without a directory, the system's temporary directory ($TMPDIR or
    // /tmp on Linux, %TMP% or %TEMP% on Windows); tests give one of their
    // own, or an unusable one.
    explicit SoftFileSystem(std::optional<std::filesystem::path> tempDirectory = std::nullopt)
        : tempDirectory_(std::move(tempDirectory)) {}

    String GetTempPath() override;
    String GetTempFileName(const String& directory, const String& prefix) override;
    bool FileExists(const String& path) override;
    void FileCopy(const String& source, const String& destination) override;
    void Kill(const String& path) override;

private:
    std::optional<std::filesystem::path> tempDirectory_;
};

}  // namespace lumora::soft
