// SPDX-License-Identifier: MIT
#include "conformance/ConformanceHarness.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "lumora/platform/GdiScoped.h"
#include "lumora/platform/soft/SoftGdi.h"
#include "platform/win32/Win32Gdi.h"

namespace lumora::conformance {
namespace {

// How many differing pixels a failure lists before it only counts.
constexpr int kListedDifferences = 8;
constexpr COLORREF kWhite = 0xFFFFFF;

HBITMAP NewSurface(Gdi& gdi, HDC screen, const Case& drawn) {
    if (drawn.depth == Depth::Mono) return gdi.CreateBitmap(drawn.width, drawn.height, 1, 1, nullptr);
    return gdi.CreateCompatibleBitmap(screen, drawn.width, drawn.height);
}

void PutLe(std::ofstream& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string FailurePath(const std::string& name, const char* backend) {
    std::filesystem::create_directories("failures");
    return "failures/" + name + "." + backend + ".bmp";
}

}  // namespace

Capture DrawCase(Gdi& gdi, const Case& drawn) {
    const ScopedWindowDC screen(gdi, HWND{});
    const ScopedMemoryDC dc(gdi, screen.get());
    const ScopedGdiObject<HBITMAP> surface(gdi, NewSurface(gdi, screen.get(), drawn));
    Capture capture{drawn.width, drawn.height, {}};
    if (!dc.get() || !surface) return capture;
    const ScopedSelectObject<HBITMAP> selected(gdi, dc.get(), surface.get());
    {
        const ScopedGdiObject<HBRUSH> white(gdi, gdi.CreateSolidBrush(kWhite));
        gdi.FillRect(dc.get(), Rect{0, 0, drawn.width, drawn.height}, white.get());
    }
    drawn.scene(gdi, dc.get());
    capture.pixels.reserve(static_cast<std::size_t>(drawn.width) * drawn.height);
    for (int y = 0; y < drawn.height; ++y)
        for (int x = 0; x < drawn.width; ++x) capture.pixels.push_back(gdi.GetPixel(dc.get(), x, y));
    return capture;
}

::testing::AssertionResult SamePixels(const Capture& soft, const Capture& system, const std::string& name) {
    if (soft.width != system.width || soft.height != system.height || soft.pixels.size() != system.pixels.size())
        return ::testing::AssertionFailure() << name << ": the captures differ in size";
    std::ostringstream listed;
    int differing = 0;
    for (int y = 0; y < soft.height; ++y) {
        for (int x = 0; x < soft.width; ++x) {
            if (soft.At(x, y) == system.At(x, y)) continue;
            if (++differing <= kListedDifferences)
                listed << "\n  (" << x << ", " << y << "): ours 0x" << std::hex << soft.At(x, y) << ", system 0x"
                       << system.At(x, y) << std::dec;
        }
    }
    if (differing == 0) return ::testing::AssertionSuccess();
    WriteBmp(soft, FailurePath(name, "soft"));
    WriteBmp(system, FailurePath(name, "system"));
    return ::testing::AssertionFailure() << name << ": " << differing << " of " << soft.pixels.size()
                                         << " pixels differ" << listed.str();
}

void CheckCase(const Case& drawn) {
    const Capture soft = DrawCase(SoftBackend(), drawn);
    const Capture system = DrawCase(SystemBackend(), drawn);
    EXPECT_TRUE(SamePixels(soft, system, drawn.name));
}

bool WriteBmp(const Capture& capture, const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    if (!out) return false;
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(capture.width) * 3 + 3) & ~3U;
    const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(capture.height);
    constexpr std::uint32_t kHeaders = 14 + 40;
    out.put('B');
    out.put('M');
    PutLe(out, kHeaders + imageBytes, 4);
    PutLe(out, 0, 4);
    PutLe(out, kHeaders, 4);
    PutLe(out, 40, 4);
    PutLe(out, static_cast<std::uint32_t>(capture.width), 4);
    // A negative height stores the rows top-down, as the capture holds them.
    PutLe(out, static_cast<std::uint32_t>(-capture.height), 4);
    PutLe(out, 1, 2);
    PutLe(out, 24, 2);
    for (int i = 0; i < 6; ++i) PutLe(out, 0, 4);
    for (int y = 0; y < capture.height; ++y) {
        for (int x = 0; x < capture.width; ++x) {
            const COLORREF c = capture.At(x, y);
            out.put(static_cast<char>(GetBValue(c)));
            out.put(static_cast<char>(GetGValue(c)));
            out.put(static_cast<char>(GetRValue(c)));
        }
        for (std::uint32_t pad = static_cast<std::uint32_t>(capture.width) * 3; pad < rowBytes; ++pad) out.put(0);
    }
    return static_cast<bool>(out);
}

Gdi& SoftBackend() {
    static soft::SoftGdi gdi;
    return gdi;
}

Gdi& SystemBackend() {
    static win32::Win32Gdi gdi;
    return gdi;
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) { return info.param.name; }

}  // namespace lumora::conformance
