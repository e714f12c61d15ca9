// SPDX-License-Identifier: MIT
// Faces on Windows: the face files in the folders LUMORA_FONT_PATH names and
// in the system's fonts folder, read once with FreeType. A family that is
// not there is drawn with the first of a few common interface faces that is.
#include "platform/soft/FaceCatalog.h"

// The project's headers come before windows.h, whose RGB macro would
// rewrite them.
#include "lumora/platform/Font.h"
#include "platform/soft/FreeTypeLibrary.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include FT_TRUETYPE_TABLES_H

namespace lumora::soft {
namespace {

namespace fs = std::filesystem;

constexpr int kNormalWeight = 400;
constexpr int kBoldWeight = 700;
// A face at least this heavy is bold enough for a bold request.
constexpr int kDemiBoldWeight = 600;
// Choosing between faces, a wrong slant weighs more than any weight gap.
constexpr int kSlantMismatchCost = 1000;

// Families tried, in order, when the requested one is not installed.
constexpr std::array<std::string_view, 4> kFallbackFamilies = {"dejavu sans", "microsoft sans serif", "tahoma",
                                                               "arial"};

struct InstalledFace {
    std::string family;  // lower case
    int weight = kNormalWeight;
    bool italic = false;
    std::string path;
    int index = 0;
};

std::string AsciiLower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char ch) { return static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch + 32 : ch); });
    return text;
}

bool IsFaceFile(const fs::path& file) {
    std::wstring extension = file.extension().native();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](wchar_t ch) { return ch >= L'A' && ch <= L'Z' ? static_cast<wchar_t>(ch + 32) : ch; });
    return extension == L".ttf" || extension == L".otf" || extension == L".ttc";
}

// FreeType opens files by names in the ANSI code page; a name that page
// cannot spell has none.
std::optional<std::string> AnsiName(const fs::path& file) {
    const std::wstring& wide = file.native();
    const int length = static_cast<int>(wide.size());
    BOOL lossy = FALSE;
    const int size =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0, nullptr, &lossy);
    if (size <= 0 || lossy) return std::nullopt;
    std::string name(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, name.data(), size, nullptr, nullptr);
    return name;
}

std::vector<fs::path> FontFolders() {
    std::vector<fs::path> folders;
    if (const wchar_t* list = _wgetenv(L"LUMORA_FONT_PATH")) {
        std::wstring_view rest = list;
        while (!rest.empty()) {
            const std::size_t end = std::min(rest.find(L';'), rest.size());
            if (end > 0) folders.emplace_back(rest.substr(0, end));
            rest.remove_prefix(std::min(end + 1, rest.size()));
        }
    }
    wchar_t windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length > 0 && length < MAX_PATH) folders.push_back(fs::path(windows) / L"Fonts");
    return folders;
}

class FolderCatalog final : public FaceCatalog {
public:
    explicit FolderCatalog(std::shared_ptr<FreeTypeLibrary> library) : library_(std::move(library)) {}

    FaceSource Match(const std::string& family, int weight, bool italic) override;

private:
    // Reads every face file of the folders, the first time a face is asked for.
    void ReadFolders();
    // Adds the file's scalable faces; a file FreeType cannot read adds none.
    void ReadFile(const std::string& path);
    // The family's face nearest in slant, then weight; null if it has none.
    const InstalledFace* Nearest(std::string_view family, int weight, bool italic) const;

    std::shared_ptr<FreeTypeLibrary> library_;
    bool read_ = false;
    std::vector<InstalledFace> faces_;
};

FaceSource FolderCatalog::Match(const std::string& family, int weight, bool italic) {
    ReadFolders();
    const InstalledFace* face = Nearest(AsciiLower(family), weight, italic);
    for (const std::string_view fallback : kFallbackFamilies)
        if (!face) face = Nearest(fallback, weight, italic);
    if (!face && !faces_.empty()) face = &faces_.front();
    if (!face) throw std::runtime_error("no font face is installed for " + family);

    FaceSource source;
    source.path = face->path;
    source.index = face->index;
    source.embolden = weight > kBoldWeightThreshold && face->weight < kDemiBoldWeight;
    source.slant = italic && !face->italic;
    return source;
}

void FolderCatalog::ReadFolders() {
    if (read_) return;
    read_ = true;
    for (const fs::path& folder : FontFolders()) {
        std::error_code error;
        for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
            if (!entry->is_regular_file(error) || !IsFaceFile(entry->path())) continue;
            if (const std::optional<std::string> name = AnsiName(entry->path())) ReadFile(*name);
        }
    }
}

void FolderCatalog::ReadFile(const std::string& path) {
    const std::lock_guard lock(library_->Mutex());
    FT_Long count = 1;
    for (FT_Long index = 0; index < count; ++index) {
        FT_Face face = nullptr;
        if (FT_New_Face(library_->Handle(), path.c_str(), index, &face) != 0) return;
        count = face->num_faces;
        if (FT_IS_SCALABLE(face) && face->family_name) {
            const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
            const bool bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
            faces_.push_back({AsciiLower(face->family_name),
                              os2 ? static_cast<int>(os2->usWeightClass) : (bold ? kBoldWeight : kNormalWeight),
                              (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0, path, static_cast<int>(index)});
        }
        FT_Done_Face(face);
    }
}

const InstalledFace* FolderCatalog::Nearest(std::string_view family, int weight, bool italic) const {
    const InstalledFace* nearest = nullptr;
    int nearestCost = 0;
    for (const InstalledFace& face : faces_) {
        if (face.family != family) continue;
        const int cost = (face.italic != italic ? kSlantMismatchCost : 0) + std::abs(face.weight - weight);
        if (!nearest || cost < nearestCost) {
            nearest = &face;
            nearestCost = cost;
        }
    }
    return nearest;
}

}  // namespace

std::unique_ptr<FaceCatalog> MakeSystemFaceCatalog(std::shared_ptr<FreeTypeLibrary> library) {
    return std::make_unique<FolderCatalog>(std::move(library));
}

}  // namespace lumora::soft
