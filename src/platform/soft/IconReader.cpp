// SPDX-License-Identifier: MIT
#include "platform/soft/IconReader.h"

#include <bit>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/soft/DibReader.h"
#include "platform/soft/PictureBytes.h"
#include "platform/soft/PngReader.h"

namespace lumora::soft {
namespace {

// ICONDIR: a reserved zero word, the resource type and the entry count.
constexpr std::size_t kDirectoryHeaderSize = 6;
constexpr std::uint16_t kIconType = 1;
// ICONDIRENTRY: width, height, colour count, reserved, planes, bit count,
// size and offset of the image.
constexpr std::size_t kEntrySize = 16;
// A side stored as 0 in the directory is 256 pixels.
constexpr int kLargestDirectorySide = 256;
// Column pictures are drawn at the system's icon size.
constexpr int kPreferredSide = 32;

struct IconEntry {
    int width = 0;
    int height = 0;
    int depth = 0;  // bits per pixel
    std::span<const std::uint8_t> image;
};

int DirectorySide(std::uint8_t stored) { return stored == 0 ? kLargestDirectorySide : stored; }

// Old writers leave the bit count at zero and give only the colour count.
int EntryDepth(std::uint16_t bitCount, std::uint8_t colorCount) {
    if (bitCount != 0 || colorCount == 0) return bitCount;
    return std::bit_width(static_cast<unsigned>(colorCount - 1));
}

IconEntry ReadEntry(std::span<const std::uint8_t> file, std::size_t at, std::size_t directoryEnd) {
    const std::uint32_t size = ReadU32(file, at + 8);
    const std::uint32_t offset = ReadU32(file, at + 12);
    if (size == 0 || offset < directoryEnd || !Holds(file, offset, size)) RaiseInvalidPicture();
    return IconEntry{DirectorySide(file[at]), DirectorySide(file[at + 1]),
                     EntryDepth(ReadU16(file, at + 6), file[at + 2]), file.subspan(offset, size)};
}

std::vector<IconEntry> ReadDirectory(std::span<const std::uint8_t> file) {
    if (ReadU16(file, 0) != 0 || ReadU16(file, 2) != kIconType) RaiseInvalidPicture();
    const std::uint16_t count = ReadU16(file, 4);
    const std::size_t directoryEnd = kDirectoryHeaderSize + kEntrySize * count;
    if (count == 0 || !Holds(file, 0, directoryEnd)) RaiseInvalidPicture();
    std::vector<IconEntry> entries;
    for (std::size_t entry = 0; entry < count; ++entry)
        entries.push_back(ReadEntry(file, kDirectoryHeaderSize + kEntrySize * entry, directoryEnd));
    return entries;
}

int DistanceFromPreferred(const IconEntry& entry) {
    return std::abs(entry.width - kPreferredSide) + std::abs(entry.height - kPreferredSide);
}

// The entry closest to the preferred size; among equally close ones the
// deepest colours, then the first.
const IconEntry& ChooseEntry(const std::vector<IconEntry>& entries) {
    const IconEntry* best = &entries.front();
    for (const IconEntry& entry : entries) {
        const int distance = DistanceFromPreferred(entry);
        const int bestDistance = DistanceFromPreferred(*best);
        if (distance < bestDistance || (distance == bestDistance && entry.depth > best->depth)) best = &entry;
    }
    return *best;
}

DecodedPicture DecodePngEntry(std::span<const std::uint8_t> image) {
    const RgbaImage pixels = DecodePng(image);
    return DecodedPicture{PictureType::Icon, ColorOf(pixels), MaskOfAlpha(pixels)};
}

DecodedPicture DecodeDibEntry(std::span<const std::uint8_t> image) {
    const IconDib dib = ReadIconDib(image);
    const RgbaImage pixels = DecodeDibPixels(dib.color);
    SoftBitmap mask =
        HasAlpha(dib.color) ? MaskOfAlpha(pixels) : ReadAndMask(dib.andMask, dib.color.width, dib.color.height);
    return DecodedPicture{PictureType::Icon, ColorOf(pixels), std::move(mask)};
}

}  // namespace

DecodedPicture DecodeIcon(std::span<const std::uint8_t> file) {
    const std::vector<IconEntry> entries = ReadDirectory(file);
    const IconEntry& chosen = ChooseEntry(entries);
    return IsPng(chosen.image) ? DecodePngEntry(chosen.image) : DecodeDibEntry(chosen.image);
}

}  // namespace lumora::soft
