// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cmath>

#include "lumora/runtime/Types.h"

namespace lumora {

// How the control's pixels map on to a device that draws them `factor` times
// larger, as a program aware of its monitor's resolution draws: every edge
// lands on the nearest whole device pixel, so shapes that share an edge
// share it on the device too and no seam opens between columns; a line one
// pixel wide becomes round(factor) pixels, centred on where it would lie.
// At factor 1 every function answers its argument.
struct DeviceScale {
    double factor = 1.0;

    bool IsIdentity() const noexcept { return factor == 1.0; }

    // The device position of an edge (or a whole pixel's left or top side).
    Long Edge(Long x) const noexcept { return Clamp(std::floor(x * factor + 0.5)); }

    Rect Area(const Rect& rect) const noexcept {
        return Rect{Edge(rect.left), Edge(rect.top), Edge(rect.right), Edge(rect.bottom)};
    }

    // A size that starts at no particular edge: a memory bitmap's side.
    Long Extent(Long size) const noexcept {
        const Long device = Edge(size);
        return size != 0 && device == 0 ? (size > 0 ? 1 : -1) : device;
    }

    // How thick a line of the control's one pixel is on the device.
    Long LineWidth() const noexcept { return std::max<Long>(1, Clamp(std::floor(factor + 0.5))); }

    // Where a line through the control's pixel row (or column) x starts on
    // the device: LineWidth() pixels centred on that pixel's middle.
    Long LineStart(Long x) const noexcept { return Clamp(std::floor((x + 0.5) * factor - LineWidth() / 2.0 + 0.5)); }

    // A device extent in the control's pixels, rounded up: text measured on
    // the device must fit into what the control reserves for it.
    Long ToControl(Long deviceExtent) const noexcept { return Clamp(std::ceil(deviceExtent / factor - kTolerance)); }

private:
    // Products like 15 / 1.5 land a hair off the whole number they are.
    static constexpr double kTolerance = 1e-9;

    static Long Clamp(double value) noexcept {
        return static_cast<Long>(std::clamp(value, -2147483648.0, 2147483647.0));
    }
};

}  // namespace lumora
