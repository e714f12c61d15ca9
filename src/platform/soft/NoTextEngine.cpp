// SPDX-License-Identifier: MIT
// Text on a software surface built without FreeType and fontconfig: there
// is no face to draw with, so every font request fails the way it fails on
// a machine with no fonts installed. SoftGdi turns that into a null font and
// a DrawText that returns 0, and the raster calls are unaffected.
#include <stdexcept>

#include "platform/soft/SoftText.h"

namespace lumora::soft {
namespace {

[[noreturn]] void NoFaces() { throw std::runtime_error("this build of the software surface has no text engine"); }

}  // namespace

std::shared_ptr<const RasterFont> ResolveFont(const FontDescription& /*font*/, int /*dpiY*/) { NoFaces(); }

std::shared_ptr<const RasterFont> SystemFont(int /*dpiY*/) { NoFaces(); }

int LayoutText(const RasterFont& /*font*/, const char* /*text*/, int /*count*/, Rect* /*rect*/, unsigned /*format*/,
               const CoveragePlot* /*plot*/, const BackgroundFill* /*background*/) {
    NoFaces();
}

}  // namespace lumora::soft
