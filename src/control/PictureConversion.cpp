// SPDX-License-Identifier: MIT
// Icons become bitmaps on their way into a column: the painter draws every
// column picture the same way, with the mask colour as the transparent one.
#include "lumora/control/LumoraListControl.h"
#include "lumora/runtime/RuntimeError.h"
#include "support/basTempFile.h"

namespace lumora {

PicturePtr LumoraListControl::ConvertIconToBitmap(const PicturePtr& picture) {
    if (!picture || picture->get_Type() != PictureType::Icon) return picture;
    IPictureBox& box = site_.picTemp();
    IFileSystem& files = site_.files();
    box.putref_Picture(nullptr);

    const String name = basTempFile::TempBitmapFile(files);
    if (name == basTempFile::kFallbackBitmapFile) {
        // With no temporary directory the only file left would have a fixed
        // name in a shared place; composing in memory gives the same bitmap.
        box.putref_Picture(picture);
        box.putref_Picture(box.get_Image());
        return box.get_Picture();
    }

    const basTempFile::TemporaryFile file(files, name);
    box.putref_Picture(picture);
    site_.pictures().SavePicture(box.get_Image(), file.path());
    if (files.FileExists(file.path())) box.putref_Picture(site_.pictures().LoadPicture(file.path()));
    files.Kill(file.path());
    return box.get_Picture();
}

}  // namespace lumora
