// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include "lumora/platform/Picture.h"
#include "lumora/platform/PictureFiles.h"
#include "lumora/runtime/Types.h"

// Icons made into bitmaps, the same way for the control's columns and for
// the columns page.
namespace lumora::PictureConversion {

// Composes the icon that `icon` gives over the picture box's background,
// saves the composed image as a new temporary .bmp file and returns what
// readBack makes of that file while it still exists; the file is gone on
// every way out. The icon is asked for once the temporary name is known.
// Without a temporary directory the composed image itself is returned.
PicturePtr ComposeIconAsBitmap(IPictureBox& box, IPictureFiles& pictures, IFileSystem& files,
                               const std::function<PicturePtr()>& icon,
                               const std::function<PicturePtr(const String& bitmapFile)>& readBack);

}  // namespace lumora::PictureConversion
