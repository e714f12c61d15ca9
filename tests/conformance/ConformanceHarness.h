// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "lumora/platform/Gdi.h"

namespace lumora::conformance {

// What a case draws: any calls on the DC it is given, which has a fresh
// surface selected. The same function runs on both backends.
using Scene = std::function<void(Gdi& gdi, HDC hdc)>;

// The surface a scene draws on: screen-compatible colour, or 1-bit.
enum class Depth { Colour, Mono };

struct Case {
    std::string name;
    int width = 16;
    int height = 16;
    Depth depth = Depth::Colour;
    Scene scene;
};

// gtest prints a case by its name rather than its bytes.
inline void PrintTo(const Case& drawn, std::ostream* out) { *out << drawn.name; }

// Every pixel of a surface, as GetPixel reads it, row by row.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;

    COLORREF At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Draws the case on a new memory DC of the backend and reads every pixel
// back. The surface starts white, filled through the backend itself, so an
// undefined initial content never decides a comparison.
Capture DrawCase(Gdi& gdi, const Case& drawn);

// Passes when both captures agree on every pixel; otherwise names the count
// of differing pixels and the first few, and saves both as BMP files under
// failures/ so they can be looked at side by side.
::testing::AssertionResult SamePixels(const Capture& soft, const Capture& system, const std::string& name);

// Draws the case on both backends and compares every pixel.
void CheckCase(const Case& drawn);

// A 24-bit BMP of the capture; true when it was written.
bool WriteBmp(const Capture& capture, const std::string& path);

// The two backends every case runs on, made once per process.
Gdi& SoftBackend();
Gdi& SystemBackend();

// gtest's name for a case.
std::string CaseName(const ::testing::TestParamInfo<Case>& info);

}  // namespace lumora::conformance
