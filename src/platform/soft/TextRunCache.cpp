// SPDX-License-Identifier: MIT
#include "platform/soft/TextRunCache.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace lumora::soft {
namespace {

// The most pixels a run keeps of what it drew, and the colours it keeps
// them for: a caption's plain, hot and pressed colour.
constexpr std::int64_t kMaxShotPixels = 16384;
constexpr std::size_t kMaxShots = 3;

Rect Intersection(const Rect& a, const Rect& b) {
    return Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

bool Empty(const Rect& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

// The surface's pixels inside the box, row after row.
std::vector<std::uint32_t> Read(SoftBitmap& surface, const Rect& box) {
    std::vector<std::uint32_t> pixels;
    const auto width = static_cast<std::size_t>(box.right - box.left);
    pixels.reserve(width * static_cast<std::size_t>(box.bottom - box.top));
    for (int y = box.top; y < box.bottom; ++y) {
        const std::uint32_t* row = &surface.At(box.left, y);
        pixels.insert(pixels.end(), row, row + width);
    }
    return pixels;
}

bool Holds(SoftBitmap& surface, const Rect& box, const std::vector<std::uint32_t>& pixels) {
    const auto width = static_cast<std::size_t>(box.right - box.left);
    const std::uint32_t* expected = pixels.data();
    for (int y = box.top; y < box.bottom; ++y, expected += width)
        if (std::memcmp(&surface.At(box.left, y), expected, width * sizeof(std::uint32_t)) != 0) return false;
    return true;
}

void Write(SoftBitmap& surface, const Rect& box, const std::vector<std::uint32_t>& pixels) {
    const auto width = static_cast<std::size_t>(box.right - box.left);
    const std::uint32_t* source = pixels.data();
    for (int y = box.top; y < box.bottom; ++y, source += width)
        std::memcpy(&surface.At(box.left, y), source, width * sizeof(std::uint32_t));
}

// One block a layout plotted, copied out of the glyph or run it points into.
struct PlottedBlock {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> coverage;

    std::uint8_t At(int px, int py) const {
        return coverage[static_cast<std::size_t>(py - y) * static_cast<std::size_t>(width) +
                        static_cast<std::size_t>(px - x)];
    }
};

PlottedBlock Copy(int x, int y, const CoverageBlock& block) {
    PlottedBlock copy{x, y, block.width, block.height, {}};
    copy.coverage.reserve(static_cast<std::size_t>(block.width) * static_cast<std::size_t>(block.height));
    for (int row = 0; row < block.height; ++row) {
        const std::uint8_t* values = block.coverage + row * block.stride;
        copy.coverage.insert(copy.coverage.end(), values, values + block.width);
    }
    return copy;
}

// Whether two blocks put ink on one pixel: blended one after the other,
// the second lands on what the first made of it.
bool InkOverlaps(const PlottedBlock& a, const PlottedBlock& b) {
    const int left = std::max(a.x, b.x), right = std::min(a.x + a.width, b.x + b.width);
    const int top = std::max(a.y, b.y), bottom = std::min(a.y + a.height, b.y + b.height);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (a.At(x, y) != 0 && b.At(x, y) != 0) return true;
    return false;
}

// Each block goes to the layer after the last one holding a block it
// overlaps, so every pixel meets its blocks' ink in the order they came.
std::vector<TextRunCache::Run::Layer> Layers(const std::vector<PlottedBlock>& blocks) {
    std::vector<std::size_t> layerOf(blocks.size(), 0);
    std::size_t layerCount = 0;
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        for (std::size_t j = 0; j < k; ++j)
            if (layerOf[j] + 1 > layerOf[k] && InkOverlaps(blocks[j], blocks[k])) layerOf[k] = layerOf[j] + 1;
        layerCount = std::max(layerCount, layerOf[k] + 1);
    }
    std::vector<TextRunCache::Run::Layer> layers(layerCount);
    std::vector<bool> started(layerCount, false);
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        const PlottedBlock& block = blocks[k];
        Rect& box = layers[layerOf[k]].box;
        const Rect own{block.x, block.y, block.x + block.width, block.y + block.height};
        box = started[layerOf[k]] ? Rect{std::min(box.left, own.left), std::min(box.top, own.top),
                                         std::max(box.right, own.right), std::max(box.bottom, own.bottom)}
                                  : own;
        started[layerOf[k]] = true;
    }
    for (TextRunCache::Run::Layer& layer : layers)
        layer.coverage.assign(static_cast<std::size_t>(layer.box.right - layer.box.left) *
                                  static_cast<std::size_t>(layer.box.bottom - layer.box.top),
                              0);
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        const PlottedBlock& block = blocks[k];
        TextRunCache::Run::Layer& layer = layers[layerOf[k]];
        const int stride = layer.box.right - layer.box.left;
        for (int y = block.y; y < block.y + block.height; ++y) {
            for (int x = block.x; x < block.x + block.width; ++x) {
                std::uint8_t& value = layer.coverage[static_cast<std::size_t>(y - layer.box.top) * stride +
                                                     static_cast<std::size_t>(x - layer.box.left)];
                value = std::max(value, block.At(x, y));
            }
        }
    }
    return layers;
}

}  // namespace

void TextRunCache::Run::Plot(const CoveragePlot& plot) const {
    for (const Layer& layer : layers) {
        const int width = layer.box.right - layer.box.left;
        if (width > 0 && layer.box.bottom > layer.box.top)
            plot(layer.box.left, layer.box.top,
                 CoverageBlock{layer.coverage.data(), width, layer.box.bottom - layer.box.top, width});
    }
}

Rect TextRunCache::Run::Extent() const noexcept {
    Rect extent{};
    for (const Layer& layer : layers)
        extent = Empty(extent)
                     ? layer.box
                     : Rect{std::min(extent.left, layer.box.left), std::min(extent.top, layer.box.top),
                            std::max(extent.right, layer.box.right), std::max(extent.bottom, layer.box.bottom)};
    return extent;
}

void TextRunCache::Run::Blend(SoftBitmap& surface, const Rect& bounds, COLORREF color, const CoveragePlot& plot) {
    const Rect box = Intersection(Extent(), bounds);
    if (Empty(box)) return;
    for (const Shot& shot : shots_) {
        if (shot.color != color || shot.box != box || !Holds(surface, box, shot.before)) continue;
        Write(surface, box, shot.after);
        return;
    }
    if (std::int64_t{box.right - box.left} * (box.bottom - box.top) > kMaxShotPixels) return Plot(plot);
    std::vector<std::uint32_t> before = Read(surface, box);
    Plot(plot);
    if (shots_.size() == kMaxShots) shots_.erase(shots_.begin());
    shots_.push_back(Shot{color, box, std::move(before), Read(surface, box)});
}

std::size_t TextRunCache::Hash(const RasterFont* font, std::u16string_view text, const Rect& rect,
                               unsigned format) noexcept {
    std::size_t hash = std::hash<std::u16string_view>{}(text);
    const auto mix = [&](std::size_t value) { hash ^= value + 0x9E3779B97F4A7C15ULL + (hash << 6) + (hash >> 2); };
    mix(std::hash<const void*>{}(font));
    mix(static_cast<std::size_t>(static_cast<std::uint32_t>(rect.left)) << 32 | static_cast<std::uint32_t>(rect.top));
    mix(static_cast<std::size_t>(static_cast<std::uint32_t>(rect.right)) << 32 |
        static_cast<std::uint32_t>(rect.bottom));
    mix(format);
    return hash;
}

TextRunCache::Run TextRunCache::Lay(const RasterFont& font, std::u16string_view text, Rect rect, unsigned format) {
    std::vector<PlottedBlock> blocks;
    std::int64_t pixels = 0;
    Run run;
    const CoveragePlot capture = [&](int x, int y, const CoverageBlock& block) {
        if (!run.kept) return;
        pixels += std::int64_t{block.width} * block.height;
        run.kept = pixels <= kMaxRunPixels;
        if (run.kept)
            blocks.push_back(Copy(x, y, block));
        else
            blocks.clear();
    };
    run.height = LayoutText(font, text.data(), static_cast<int>(text.size()), &rect, format, &capture, nullptr);
    run.rect = rect;
    run.layers = Layers(blocks);
    return run;
}

std::int64_t TextRunCache::Run::Pixels() const noexcept {
    std::int64_t pixels = 0;
    for (const Layer& layer : layers) pixels += static_cast<std::int64_t>(layer.coverage.size());
    return pixels;
}

TextRunCache::Run& TextRunCache::Find(const std::shared_ptr<const RasterFont>& font, std::u16string_view text,
                                      const Rect& rect, unsigned format) {
    Entry* found = last_ ? last_->next : nullptr;
    if (!found || !found->Is(font.get(), text, rect, format)) found = Lookup(font, text, rect, format);
    if (last_) last_->next = found;
    last_ = found;
    return found->run;
}

TextRunCache::Entry* TextRunCache::Lookup(const std::shared_ptr<const RasterFont>& font, std::u16string_view text,
                                          const Rect& rect, unsigned format) {
    const Key key{Hash(font.get(), text, rect, format), font.get(), text, rect, format};
    if (const auto found = runs_.find(key); found != runs_.end()) return found->second.get();
    auto entry = std::make_unique<Entry>(
        Entry{std::u16string(text), font, rect, format, Lay(*font, text, rect, format), nullptr});
    const std::int64_t pixels = entry->run.Pixels();
    if (runs_.size() >= kMaxRuns || keptPixels_ + pixels > kMaxKeptPixels) {
        runs_.clear();
        last_ = nullptr;
        keptPixels_ = 0;
    }
    keptPixels_ += pixels;
    const Key stored{key.hash, font.get(), entry->text, rect, format};
    return runs_.emplace(stored, std::move(entry)).first->second.get();
}

}  // namespace lumora::soft
