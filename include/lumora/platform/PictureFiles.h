// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/platform/Picture.h"
#include "lumora/runtime/Types.h"

namespace lumora {

// The runtime's picture files: LoadPicture and SavePicture.
class IPictureFiles {
public:
    virtual ~IPictureFiles() = default;

    // A bitmap or icon file as a picture; error 53 for a missing file, 481
    // for one that is not a valid picture.
    virtual PicturePtr LoadPicture(const String& path) = 0;
    // A bitmap as a .bmp file, an icon as an .ico file.
    virtual void SavePicture(const PicturePtr& picture, const String& path) = 0;
};

// A picture box: shows a picture over its background colour and sizes
// itself to it. Its Image is what it shows, as a bitmap.
class IPictureBox {
public:
    virtual ~IPictureBox() = default;

    virtual void putref_Picture(const PicturePtr& picture) = 0;
    virtual PicturePtr get_Picture() = 0;
    virtual PicturePtr get_Image() = 0;
};

// The files the control touches: temporary files during icon conversion.
class IFileSystem {
public:
    virtual ~IFileSystem() = default;

    // The directory for temporary files with its trailing separator, or ""
    // when there is none that can be used.
    virtual String GetTempPath() = 0;
    // Creates a new, empty file with a unique, unpredictable name starting
    // with prefix in directory; "" when that is not possible.
    virtual String GetTempFileName(const String& directory, const String& prefix) = 0;
    virtual bool FileExists(const String& path) = 0;
    // Errors 53 (no such source) and 75 (cannot be written).
    virtual void FileCopy(const String& source, const String& destination) = 0;
    // Error 53 when there is no such file.
    virtual void Kill(const String& path) = 0;
};

}  // namespace lumora
