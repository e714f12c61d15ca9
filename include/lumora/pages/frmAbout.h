// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

#include "lumora/pages/PageElements.h"
#include "lumora/platform/Gdi.h"
#include "lumora/platform/Screen.h"
#include "lumora/platform/Shell.h"
#include "lumora/runtime/Types.h"

namespace lumora::pages {

// "Version: 1.02.15": the minor version with at least two digits, the
// revision with a leading zero below 10.
String VersionText(int major, int minor, int revision);

// The About box: the product, its version, what it can do, and three links
// that open through the shell. Nothing in it changes the control. One
// object is one opening of the box: loading fills it from scratch.
class frmAbout {
public:
    frmAbout(IShell& shell, IScreen& screen);
    frmAbout(const frmAbout&) = delete;
    frmAbout& operator=(const frmAbout&) = delete;

    const String& Caption() const noexcept { return caption_; }
    // The form's own window, which the view sets when it shows the form;
    // the links open with it as their owner.
    HWND hWnd{};

    // Writes the version text and the feature list.
    void Form_Load();
    // Opens link through the shell with the hourglass shown meanwhile.
    void URLGoTo(HWND hWnd, const String& link);
    // Closes the box; a modal view returns once the form is unloaded.
    void Unload() noexcept { loaded_ = false; }
    bool IsLoaded() const noexcept { return loaded_; }

    std::vector<Element*> Elements();
    void Observe(IElementView* view);
    // The form's client area in twips: its furthest element and a margin
    // right of and below it.
    Placement ClientExtent();

    Label lblTitle{u"lblTitle", {1080, 120, 4335, 315}};
    Label lblVersion{u"lblVersion", {1080, 480, 4335, 225}};
    Label lblDescription{u"lblDescription", {1080, 780, 4335, 225}};
    ControlArray<Line> Line1;
    PictureBox Picture1{u"Picture1", {120, 120, 1080, 240}};
    PictureBox Picture2{u"Picture2", {120, 480, 330, 300}};
    TextBox txtHistorie{u"txtHistorie", {120, 1200, 5295, 2535}};
    Label Label1{u"Label1", {120, 3960, 2175, 225}};
    Label Label2{u"Label2", {2400, 3960, 3015, 225}};
    Label Label4{u"Label4", {120, 4200, 2175, 225}};
    Label Label3{u"Label3", {2400, 4200, 3015, 225}};
    Label Label6{u"Label6", {120, 4440, 2175, 225}};
    Label Label7{u"Label7", {2400, 4440, 3015, 225}};
    Label Label5{u"Label5", {120, 4920, 3015, 225}};
    Button cmdOK{u"cmdOK", {4200, 4860, 1215, 375}};

private:
    void Label2_Click();
    void Label3_Click();
    void Label7_Click();
    void cmdOK_Click() { Unload(); }
    // A link click: the shell's failures are the shell's to show.
    void OpenLink(const String& link);
    void MakeLink(Label& label, const String& address);

    IShell& shell_;
    IScreen& screen_;
    String caption_;
    bool loaded_ = true;
};

// Shows a form modally: returns once the form is unloaded.
class IAboutBoxView {
public:
    virtual ~IAboutBoxView() = default;

    virtual void ShowModal(frmAbout& form) = 0;
};

// Opens the About box, as the control's ShowAboutBox and the information
// page's Info button do: a freshly loaded form, shown modally. Every error
// is ignored.
class AboutBox {
public:
    AboutBox(IAboutBoxView& view, IShell& shell, IScreen& screen) : view_(view), shell_(shell), screen_(screen) {}

    void Show();

private:
    IAboutBoxView& view_;
    IShell& shell_;
    IScreen& screen_;
};

}  // namespace lumora::pages
