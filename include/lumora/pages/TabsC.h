// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/pages/PropertyPage.h"
#include "lumora/pages/frmAbout.h"

namespace lumora::pages {

// The information page: artwork, a line about the component and the Info
// button that opens the About box. It reads and applies nothing.
class TabsC final : public PropertyPage {
public:
    TabsC(ISelectedControls& selection, AboutBox& aboutBox);

    void SelectionChanged() override {}
    void ApplyChanges() override {}
    std::vector<Element*> Elements() override { return {&Picture2, &btnInfo, &Label1}; }

    // 393 x 100 pixels of artwork.
    PictureBox Picture2{u"Picture2", {120, 120, 5895, 1500}};
    Button btnInfo{u"btnInfo", {4800, 1800, 1215, 375}};
    Label Label1{u"Label1", {120, 1800, 4575, 255}};

private:
    void btnInfo_Click() { aboutBox_.Show(); }

    AboutBox& aboutBox_;
};

}  // namespace lumora::pages
