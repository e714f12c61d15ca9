// SPDX-License-Identifier: MIT
#include "platform/soft/FontResolver.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/CodePage.h"

#if defined(__linux__)
#include <unistd.h>
#endif

namespace lumora::soft {
namespace {

FontDescription Named(const std::string& name) {
    FontDescription font;
    font.name = FromUtf8(name);
    font.size = 8;
    return font;
}

// What the process holds in memory now, from the kernel's count of its
// resident pages; 0 where that cannot be read.
std::size_t ResidentBytes() {
#if defined(__linux__)
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    std::size_t resident = 0;
    if (!(statm >> pages >> resident)) return 0;
    return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
#else
    return 0;
#endif
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

TEST(FontResolver, KeepsTheFontsUsedLastWithinItsBudgetAndFontsInUseOutliveIt) {
    // A budget of their shared font file and a little more than two fonts.
    std::size_t oneFont = 0;
    std::size_t file = 0;
    {
        FontResolver probe;
        oneFont = probe.Resolve(Named("Lumora Probe"), 13)->Bytes();
        file = probe.CachedBytes() - oneFont;
    }
    ASSERT_GT(oneFont, 0u);
    ASSERT_GT(file, 0u);
    const std::size_t budget = file + oneFont * 5 / 2;
    FontResolver resolver(budget);

    const auto a = resolver.Resolve(Named("Lumora A"), 13);
    std::weak_ptr<const RasterFont> b = resolver.Resolve(Named("Lumora B"), 13);
    EXPECT_EQ(resolver.Resolve(Named("Lumora A"), 13), a) << "a second request gets the kept font";
    const auto c = resolver.Resolve(Named("Lumora C"), 13);
    EXPECT_EQ(resolver.CachedFonts(), 2u);
    EXPECT_TRUE(b.expired()) << "B was used longest ago, and nothing else held it";
    EXPECT_EQ(resolver.Resolve(Named("Lumora A"), 13), a) << "A was used after B, so it stayed";
    EXPECT_LE(resolver.CachedBytes(), budget);

    // Dropped from the resolver, a font still draws for whoever holds it.
    resolver.Resolve(Named("Lumora D"), 13);
    resolver.Resolve(Named("Lumora E"), 13);
    const auto again = resolver.Resolve(Named("Lumora C"), 13);
    EXPECT_NE(again, c) << "C was dropped and made again";
    EXPECT_GT(c->GlyphFor(u'W').width, 0);
    EXPECT_EQ(c->Metrics().height, again->Metrics().height);

    // A font larger than the whole budget is still made and kept alone.
    FontResolver tiny(1);
    const auto only = tiny.Resolve(Named("Lumora A"), 13);
    EXPECT_EQ(tiny.CachedFonts(), 1u);
    tiny.Resolve(Named("Lumora B"), 13);
    EXPECT_EQ(tiny.CachedFonts(), 1u);
    EXPECT_GT(only->GlyphFor(u'x').advance, 0);
}

TEST(FontResolver, TenThousandFontsStayUnderAFixedCeiling) {
    // A long-running host that goes through names and sizes: each font is
    // made, draws a few characters and is let go. The resolver keeps its
    // budget, and the process grows by no more than the budget and a
    // margin for the allocator: 48 MiB in all.
    constexpr std::size_t kCeiling = std::size_t{48} << 20;
    FontResolver resolver;
    std::size_t before = 0;
    std::size_t lastFont = 0;
    for (int i = 0; i < 10000; ++i) {
        const auto font = resolver.Resolve(Named("Lumora Face " + std::to_string(i)), 8 + i % 40);
        for (const char16_t ch : std::u16string_view(u"Name Größe"))
            ASSERT_GE(font->GlyphFor(ch).advance, 0);
        lastFont = font->Bytes();
        // The first hundred fonts warm up the allocator and fontconfig.
        if (i == 100) before = ResidentBytes();
    }
    // The last font grew by its characters after the budget was checked.
    EXPECT_LE(resolver.CachedBytes(), FontResolver::kBudgetBytes + lastFont);
    EXPECT_GT(resolver.CachedFonts(), 10u) << "the budget holds more than a handful of fonts";
    const std::size_t after = ResidentBytes();
    // Freed memory waits in the address sanitizer's quarantine, so the
    // process's size says nothing there.
    if (before != 0 && !kAddressSanitizer) {
        EXPECT_LE(after, before + kCeiling) << "grew by " << (after - before) / 1024 << " KiB";
    }
}

}  // namespace
}  // namespace lumora::soft
