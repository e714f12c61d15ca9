// SPDX-License-Identifier: MIT
#include "platform/soft/SoftText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string_view>

#include "platform/soft/FontResolver.h"
#if LUMORA_SHAPING
#include "platform/soft/ShapedText.h"
#endif
#include "platform/soft/TextLayout.h"
#include "runtime/CodePage.h"

namespace lumora::soft {
namespace {

// Resolution a device context has when the caller gives none.
constexpr int kDefaultDpi = 96;
constexpr double kPointsPerInch = 72;
// The System font's em at 96 dpi; with DejaVu Sans Bold it gives the
// system's 16-pixel line.
constexpr double kSystemFontEmAt96Dpi = 14;
// Larger requests are drawn at this em; no caption needs more, and glyph
// images grow with the square of it.
constexpr int kMaxPixelSize = 2000;

int EmPixels(double em) {
    const double pixels = std::round(em);
    if (!(pixels >= 1)) return 1;
    return pixels > kMaxPixelSize ? kMaxPixelSize : static_cast<int>(pixels);
}

int DpiOrDefault(int dpiY) { return dpiY > 0 ? dpiY : kDefaultDpi; }

int ToInt(std::int64_t value) {
    return static_cast<int>(
        std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Text up to this many characters is converted without an allocation.
constexpr std::size_t kShortText = 256;

// Underlines and strike-outs go to the plot in runs of at most this many
// fully covered pixels.
constexpr int kSolidRun = 64;
constexpr std::array<std::uint8_t, kSolidRun> kFullCoverage = [] {
    std::array<std::uint8_t, kSolidRun> run{};
    run.fill(255);
    return run;
}();

// Where text pixels go: to the plot, inside the clip rectangle if there is
// one. Coordinates are wide so that text far off the surface cannot overflow.
class Canvas {
public:
    Canvas(const CoveragePlot& plot, const Rect* clip) : plot_(plot), clip_(clip) {}

    void PlotGlyph(const Glyph& glyph, std::int64_t left, std::int64_t top) const {
        const std::int64_t x0 = std::max<std::int64_t>(left, MinX());
        const std::int64_t y0 = std::max<std::int64_t>(top, MinY());
        const std::int64_t x1 = std::min<std::int64_t>(left + glyph.width, MaxX());
        const std::int64_t y1 = std::min<std::int64_t>(top + glyph.height, MaxY());
        if (x0 >= x1 || y0 >= y1) return;
        const CoverageBlock block{
            &glyph.coverage[static_cast<std::size_t>(y0 - top) * static_cast<std::size_t>(glyph.width) +
                            static_cast<std::size_t>(x0 - left)],
            static_cast<int>(x1 - x0), static_cast<int>(y1 - y0), glyph.width};
        plot_(static_cast<int>(x0), static_cast<int>(y0), block);
    }

    // Solid pixels of a rectangle; right and bottom are exclusive.
    void Fill(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) const {
        const std::int64_t x0 = std::max(left, MinX());
        const std::int64_t x1 = std::min(right, MaxX());
        const std::int64_t y0 = std::max(top, MinY());
        const std::int64_t y1 = std::min(bottom, MaxY());
        if (y0 >= y1) return;
        for (std::int64_t x = x0; x < x1; x += kSolidRun) {
            const CoverageBlock run{kFullCoverage.data(), static_cast<int>(std::min<std::int64_t>(kSolidRun, x1 - x)),
                                    static_cast<int>(y1 - y0), 0};
            plot_(static_cast<int>(x), static_cast<int>(y0), run);
        }
    }

private:
    std::int64_t MinX() const { return clip_ ? clip_->left : std::numeric_limits<int>::min(); }
    std::int64_t MinY() const { return clip_ ? clip_->top : std::numeric_limits<int>::min(); }
    std::int64_t MaxX() const { return clip_ ? clip_->right : std::numeric_limits<int>::max(); }
    std::int64_t MaxY() const { return clip_ ? clip_->bottom : std::numeric_limits<int>::max(); }

    const CoveragePlot& plot_;
    const Rect* clip_;
};

void FillBand(const Canvas& canvas, const LineBand& band, std::int64_t left, std::int64_t right,
              std::int64_t baseline) {
    canvas.Fill(left, baseline + band.top, right, baseline + band.top + band.thickness);
}

// The access key's underline: one pixel below the baseline row, from the
// character's left edge to one pixel short of the next character, as the
// system's DrawText draws it with a pen line.
void UnderlineAccessKey(const Canvas& canvas, const RasterFont& font, const TextLine& line, std::int64_t x,
                        std::int64_t y) {
    const std::u16string_view text = line.text;
    const std::int64_t start = x + font.TextWidth(text.substr(0, static_cast<std::size_t>(line.prefix)));
    const std::int64_t end = x + font.TextWidth(text.substr(0, static_cast<std::size_t>(line.prefix) + 1)) - 1;
    const std::int64_t row = y + font.Metrics().ascent + 1;
    canvas.Fill(start, row, end, row + 1);
}

void DrawLine(const RasterFont& font, const TextLine& line, std::int64_t x, std::int64_t y, const Canvas& canvas) {
    const std::int64_t baseline = y + font.Metrics().ascent;
    std::int64_t pen = x;
    for (const char16_t ch : line.text) {
        const Glyph& glyph = font.GlyphFor(ch);
        canvas.PlotGlyph(glyph, pen + glyph.left, baseline - glyph.top);
        pen += glyph.advance;
    }
    if (font.Underlined()) FillBand(canvas, font.UnderlineBand(), x, x + line.width, baseline);
    if (font.StruckOut()) FillBand(canvas, font.StrikeoutBand(), x, x + line.width, baseline);
    if (line.prefix >= 0 && line.prefix < static_cast<int>(line.text.size()))
        UnderlineAccessKey(canvas, font, line, x, y);
}

// Empty text draws nothing but still reports one line, and a single line's
// height for the rectangle.
int EmptyText(Rect* rect, unsigned format, int lineHeight) {
    if (format & DT_CALCRECT) {
        rect->right = rect->left;
        rect->bottom = (format & DT_SINGLELINE) ? WrapAdd(rect->top, lineHeight) : rect->top;
    }
    return lineHeight;
}

// Lays out and draws text of at least one character.
int LayoutChars(const RasterFont& font, std::u16string_view chars, Rect* rect, unsigned format,
                const CoveragePlot* plot, const BackgroundFill* background) {
    const int lineHeight = font.Metrics().height;
    if (format & DT_SINGLELINE) format &= ~DT_WORDBREAK;
    if (format & DT_CALCRECT) format |= DT_NOCLIP;
    const Rect bounds = *rect;
    const Rect* clip = (format & DT_NOCLIP) ? nullptr : &bounds;
    TextLayout layout(font, chars, ToInt(std::int64_t{bounds.right} - bounds.left), format);

    std::int64_t x = bounds.left;
    std::int64_t y = bounds.top;
    int widest = 0;
    bool lastLine = false;
    do {
        // A line reaching past the bottom is the last one: any below it would be
        // clipped away.
        lastLine = clip && y + lineHeight > bounds.bottom;
        const TextLine line = layout.NextLine();
        PlaceLine(bounds, format, line.width, lineHeight, x, y);

        if (format & DT_CALCRECT) {
            widest = std::max(widest, line.width);
        } else {
            if (background && line.width > 0) FillCell(*background, line.width, lineHeight, x, y, clip);
            if (plot) DrawLine(font, line, x, y, Canvas(*plot, clip));
        }
        y += lineHeight;
    } while (!layout.AtEnd() && !lastLine);

    if (format & DT_CALCRECT) {
        rect->right = WrapAdd(bounds.left, widest);
        rect->bottom = static_cast<Long>(y);
    }
    const int height = static_cast<int>(y - bounds.top);
    return height == 0 ? 1 : height;
}

}  // namespace

void PlaceLine(const Rect& bounds, unsigned format, int width, int height, std::int64_t& x, std::int64_t& y) {
    if (format & DT_CENTER)
        x = (std::int64_t{bounds.left} + bounds.right - width) / 2;
    else if (format & DT_RIGHT)
        x = std::int64_t{bounds.right} - width;
    if (!(format & DT_SINGLELINE)) return;
    // The system rounds the centring offset toward zero, from the
    // rectangle's height less the line's.
    if (format & DT_VCENTER)
        y = bounds.top + (std::int64_t{bounds.bottom} - bounds.top - height) / 2;
    else if (format & DT_BOTTOM)
        y = std::int64_t{bounds.bottom} - height;
}

void FillCell(const BackgroundFill& background, int width, int height, std::int64_t x, std::int64_t y,
              const Rect* clip) {
    std::int64_t left = x, top = y, right = x + width, bottom = y + height;
    if (clip) {
        left = std::max<std::int64_t>(left, clip->left);
        top = std::max<std::int64_t>(top, clip->top);
        right = std::min<std::int64_t>(right, clip->right);
        bottom = std::min<std::int64_t>(bottom, clip->bottom);
    }
    if (left < right && top < bottom) background(Rect{ToInt(left), ToInt(top), ToInt(right), ToInt(bottom)});
}

std::shared_ptr<const RasterFont> ResolveFont(const FontDescription& font, int dpiY) {
    const int pixels = EmPixels(font.size * DpiOrDefault(dpiY) / kPointsPerInch);
    return FontResolver::Instance().Resolve(font, pixels);
}

std::shared_ptr<const RasterFont> SystemFont(int dpiY) {
    FontDescription system;
    system.name = u"System";
    system.bold = true;
    system.weight = 700;
    const int pixels = EmPixels(kSystemFontEmAt96Dpi * DpiOrDefault(dpiY) / kDefaultDpi);
    return FontResolver::Instance().Resolve(system, pixels);
}

int LayoutText(const RasterFont& font, const char* text, int count, Rect* rect, unsigned format,
               const CoveragePlot* plot, const BackgroundFill* background) {
    if (!rect || count == 0 || (!text && count > 0)) return 0;
    std::string_view bytes;
    if (text) bytes = count < 0 ? std::string_view(text) : std::string_view(text, static_cast<std::size_t>(count));
    if (bytes.empty()) return EmptyText(rect, format, font.Metrics().height);
    // Captions are short: their characters go on the stack, and only long
    // text takes a string of its own.
    char16_t shortChars[kShortText];
    String longChars;
    std::u16string_view chars;
    if (bytes.size() <= kShortText) {
        std::transform(bytes.begin(), bytes.end(), shortChars,
                       [](char byte) { return FromAnsiChar(static_cast<unsigned char>(byte)); });
        chars = std::u16string_view(shortChars, bytes.size());
    } else {
        longChars = FromAnsi(bytes);
        chars = longChars;
    }
    return LayoutChars(font, chars, rect, format, plot, background);
}

int LayoutText(const RasterFont& font, const char16_t* text, int count, Rect* rect, unsigned format,
               const CoveragePlot* plot, const BackgroundFill* background) {
    if (!rect || count == 0 || (!text && count > 0)) return 0;
    std::u16string_view chars;
    if (text)
        chars = count < 0 ? std::u16string_view(text) : std::u16string_view(text, static_cast<std::size_t>(count));
    if (chars.empty()) return EmptyText(rect, format, font.Metrics().height);
#if LUMORA_SHAPING
    if (NeedsShaping(font, chars)) return LayoutShaped(font, chars, rect, format, plot, background);
#endif
    if (HasUnpairedSurrogate(chars)) {
        // A surrogate without its partner is no character: it shows as the
        // replacement character, as the shaped path shows it.
        const String replaced = ReplacingUnpairedSurrogates(chars);
        return LayoutChars(font, replaced, rect, format, plot, background);
    }
    return LayoutChars(font, chars, rect, format, plot, background);
}

}  // namespace lumora::soft
