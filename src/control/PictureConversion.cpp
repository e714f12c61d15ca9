// SPDX-License-Identifier: MIT
// Icons become bitmaps on their way into a column: the painter draws every
// column picture the same way, with the mask colour as the transparent one.
#include "control/PictureConversion.h"

#include "lumora/control/LumoraListControl.h"
#include "support/basTempFile.h"

namespace lumora {

namespace PictureConversion {

PicturePtr ComposeIconAsBitmap(IPictureBox& box, IPictureFiles& pictures, IFileSystem& files,
                               const std::function<PicturePtr()>& icon,
                               const std::function<PicturePtr(const String& bitmapFile)>& readBack) {
    const String name = basTempFile::TempBitmapFile(files);
    if (name == basTempFile::kFallbackBitmapFile) {
        // With no temporary directory the only file left would have a fixed
        // name in a shared place; composing in memory gives the same bitmap.
        box.putref_Picture(icon());
        return box.get_Image();
    }

    const basTempFile::TemporaryFile file(files, name);
    box.putref_Picture(icon());
    pictures.SavePicture(box.get_Image(), file.path());
    return readBack(file.path());
}

}  // namespace PictureConversion

PicturePtr LumoraListControl::ConvertIconToBitmap(const PicturePtr& picture) {
    if (!picture || picture->get_Type() != PictureType::Icon) return picture;
    IPictureBox& box = site_.picTemp();
    IFileSystem& files = site_.files();
    box.putref_Picture(nullptr);

    const PicturePtr bitmap = PictureConversion::ComposeIconAsBitmap(
        box, site_.pictures(), files, [&] { return picture; },
        [&](const String& bitmapFile) {
            // A save that wrote no file, or a file that cannot be deleted,
            // is an error the caller hears of.
            if (files.FileExists(bitmapFile)) box.putref_Picture(site_.pictures().LoadPicture(bitmapFile));
            files.Kill(bitmapFile);
            return box.get_Picture();
        });
    // The hidden box keeps the bitmap, whether it was read back or composed
    // in memory.
    if (box.get_Picture() != bitmap) box.putref_Picture(bitmap);
    return box.get_Picture();
}

}  // namespace lumora
