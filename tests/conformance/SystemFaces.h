// SPDX-License-Identifier: MIT
#pragma once

namespace lumora::conformance {

// Gives the system's GDI, for this process, the face files the text cases
// draw with, which our surface finds through LUMORA_FONT_PATH. Once per
// process; true when every file loaded.
bool GiveTheSystemTheTestFaces();

}  // namespace lumora::conformance
