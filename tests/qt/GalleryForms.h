// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace lumora::qt_tests {

// A complete form as a newly placed strip saves it, with three columns; the
// second column's caption and width vary, and extra keys may follow.
inline QString GalleryForm(int headerHeight, bool showFrame, const QString& caption2, int width2,
                           const QString& extraKeys = {}) {
    const QString form = QStringLiteral(R"({
  "Alignment": 0, "HeaderHeight": %1, "BackColor": 16644857, "BackColorForm": 16777215,
  "ForeColor": -2147483630, "ForeColorActive": 0, "ForeColorHot": 0, "FrameColor": 6908265,
  "MaskColor": 16711935, "SelectedRow": 0, "SortedRow": 0,
  "Font": {"Name": "MS Sans Serif", "Size": 8.0, "Bold": false, "Italic": false,
           "Underline": false, "Strikethrough": false, "Weight": 400, "Charset": 0},
  "NumberOfTabs": 3, "RegisterFocusColor1": 3723519, "RegisterFocusColor2": 3721471,
  "MouseMoveColor0": 2658536, "MouseMoveColor1": 3723519, "MouseMoveColor2": 3721471,
  "RegisterFocusColor0": 2658536, "FontName": "MS Sans Serif", "ShowFrame": %2, "ColumnWidths": "",
  "RowWidth1": 100, "RowText1": "&Name", "RowSorted1": false,
  "RowWidth2": %3, "RowText2": "%4", "RowSorted2": false,
  "RowWidth3": 90, "RowText3": "Datum", "RowSorted3": false%5
})");
    return form.arg(headerHeight)
        .arg(showFrame ? "true" : "false")
        .arg(width2)
        .arg(caption2)
        .arg(extraKeys.isEmpty() ? QString() : ", " + extraKeys);
}

// Column pictures travel in a form as their .bmp file in base64: a 16 x 16
// square and a 32 x 16 arrow, both on the mask colour magenta.
inline const char* const kSquareBmp =
    "Qk02AwAAAAAAADYAAAAoAAAAEAAAABAAAAABABgAAAAAAAADAAATCwAAEwsAAAAAAAAAAAAA/wD//wD//wD//wD//wD//wD//wD/"
    "/wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD/"
    "/wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD/yFooyFooyFooyFooyFooyFoo"
    "yFooyFooyFooyFoo/wD//wD//wD//wD//wD//wD/yFooyFooyFooyFooyFooyFooyFooyFooyFooyFoo/wD//wD//wD//wD//wD/"
    "/wD/yFooyFooyFooyFooyFooyFooyFooyFooyFooyFoo/wD//wD//wD//wD//wD//wD/yFooyFooyFoo////////////////yFoo"
    "yFooyFoo/wD//wD//wD//wD//wD//wD/yFooyFooyFoo////////////////yFooyFooyFoo/wD//wD//wD//wD//wD//wD/yFoo"
    "yFooyFoo////////////////yFooyFooyFoo/wD//wD//wD//wD//wD//wD/yFooyFooyFoo////////////////yFooyFooyFoo"
    "/wD//wD//wD//wD//wD//wD/yFooyFooyFooyFooyFooyFooyFooyFooyFooyFoo/wD//wD//wD//wD//wD//wD/yFooyFooyFoo"
    "yFooyFooyFooyFooyFooyFooyFoo/wD//wD//wD//wD//wD//wD/yFooyFooyFooyFooyFooyFooyFooyFooyFooyFoo/wD//wD/"
    "/wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD/"
    "/wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD/";
inline const char* const kArrowBmp =
    "Qk02BgAAAAAAADYAAAAoAAAAIAAAABAAAAABABgAAAAAAAAGAAATCwAAEwsAAAAAAAAAAAAA/wD//wD//wD//wD//wD//wD//wD/"
    "/wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD/PJYe/wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD/"
    "/wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD/PJYePJYe/wD//wD//wD/"
    "/wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD/"
    "/wD//wD/PJYePJYePJYe/wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD/"
    "/wD//wD//wD//wD//wD//wD//wD//wD//wD/PJYePJYePJYePJYe/wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD/"
    "/wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD/PJYePJYePJYePJYePJYe/wD//wD//wD//wD/"
    "/wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD/PJYePJYe"
    "PJYePJYePJYePJYePJYe/wD//wD//wD//wD//wD//wD//wD/PJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYe"
    "PJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYe/wD//wD//wD//wD//wD//wD/PJYePJYePJYePJYePJYePJYe"
    "PJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYe/wD//wD//wD//wD/"
    "/wD/PJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYe"
    "PJYePJYePJYe/wD//wD//wD//wD//wD/PJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYePJYe"
    "PJYePJYePJYePJYePJYePJYePJYePJYePJYe/wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD/"
    "/wD//wD//wD//wD//wD//wD//wD//wD/PJYePJYePJYePJYePJYePJYePJYe/wD//wD//wD//wD//wD//wD//wD//wD//wD//wD/"
    "/wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD/PJYePJYePJYePJYePJYe/wD//wD//wD//wD//wD/"
    "/wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD/PJYePJYePJYe"
    "PJYe/wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD/"
    "/wD//wD//wD//wD/PJYePJYePJYe/wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD/"
    "/wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD/PJYePJYe/wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD/"
    "/wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD//wD/PJYe/wD//wD//wD//wD//wD//wD/"
    "/wD//wD//wD//wD//wD/";

inline QString PicturesForm() {
    return GalleryForm(25, true, QStringLiteral("Größe"), 120,
                       QStringLiteral(R"("RowPicture1": {"Type": 1, "Data": "%1"}, )"
                                      R"("RowPicture2": {"Type": 1, "Data": "%2"})")
                           .arg(QLatin1String(kSquareBmp), QLatin1String(kArrowBmp)));
}

}  // namespace lumora::qt_tests
