// SPDX-License-Identifier: MIT
#include "lumora/pages/TabsC.h"

#include "pages/Product.h"

namespace lumora::pages {
namespace {

// The page's size in twips.
constexpr Long kPageWidth = 6135;
constexpr Long kPageHeight = 2400;

}  // namespace

TabsC::TabsC(ISelectedControls& selection, AboutBox& aboutBox)
    : PropertyPage(u"Copyright / Info", kPageWidth, kPageHeight, selection), aboutBox_(aboutBox) {
    Picture2.SetArtwork(u"info-banner-393x100");
    btnInfo.put_Caption(u"Info");
    btnInfo.onClick = [this] { btnInfo_Click(); };
    Label1.put_Caption(String(u"© ") + product::kMaker + u", " + product::kName);
}

}  // namespace lumora::pages
