// SPDX-License-Identifier: MIT
#include "lumora/pages/frmAbout.h"

#include <algorithm>
#include <array>
#include <string>

#include "lumora/Version.h"
#include "lumora/runtime/RuntimeError.h"
#include "pages/Product.h"
#include "runtime/CodePage.h"

namespace lumora::pages {
namespace {

constexpr const char16_t* kCrLf = u"\r\n";
constexpr OLE_COLOR kTitleColor = RGB(0, 0, 128);
constexpr OLE_COLOR kLinkColor = RGB(0, 0, 192);

// What the component offers, one line each, as the box lists it.
const std::array<String, 19>& FeatureLines() {
    static const std::array<String, 19> lines = {
        u"",
        String(u" ") + product::kName + u" für",
        u" Microsoft Access © ab Version 97 & VB 6.0",
        u"",
        u" Eigenschaften:",
        u"",
        u"  * Ein Bild kann gewählt werden",
        u"    für jede Spalte",
        u"  * Schriftart einstellbar",
        u"  * Schriftfarbe einstellbar",
        u"  * Schriftfarbe einstellbar für",
        u"    Hot-Spalte",
        u"  * Rahmenfarbe wählbar",
        u"  * Hintergrundfarbe wählbar",
        u"  * Hintergrundfarbe Formular wählbar",
        u"  * Spalten-Höhe einstellbar",
        u"  * Spalten-Breite einstellbar",
        u"    uvm.",
        u"",
    };
    return lines;
}

String Digits(int value, std::size_t minimum) {
    std::string text = std::to_string(value);
    if (text.size() < minimum) text.insert(0, minimum - text.size(), '0');
    return FromUtf8(text);
}

// Puts the hourglass back to the default pointer on every way out.
class HourglassPointer {
public:
    explicit HourglassPointer(IScreen& screen) : screen_(screen) { screen_.put_MousePointer(vbHourglass); }
    ~HourglassPointer() { screen_.put_MousePointer(vbDefault); }
    HourglassPointer(const HourglassPointer&) = delete;
    HourglassPointer& operator=(const HourglassPointer&) = delete;

private:
    IScreen& screen_;
};

}  // namespace

String VersionText(int major, int minor, int revision) {
    return u"Version: " + Digits(major, 1) + u"." + Digits(minor, 2) + u"." + Digits(revision, 2);
}

frmAbout::frmAbout(IShell& shell, IScreen& screen)
    : shell_(shell), screen_(screen), caption_(String(u"Info zu ") + product::kName) {
    lblTitle.put_Caption(product::kName);
    lblTitle.SetLook({u"Tahoma", 11.25f, true, false, kTitleColor});
    lblVersion.SetLook({u"Tahoma", 8.25f});
    lblDescription.put_Caption(u"Spaltenköpfe für Listen, mit Bildern und Sortierpfeil.");
    Line1.Add(u"Line1", {120, 1080, 5295, 0}, 0);
    Line1.Add(u"Line1", {120, 3840, 5295, 0}, 1);
    Picture1.SetArtwork(u"about-logo-72x16");
    Picture2.SetArtwork(u"about-icon-22x20");
    txtHistorie.MultiLine = true;
    txtHistorie.Locked = true;
    txtHistorie.SetLook({u"Courier", 9.75f});
    Label1.put_Caption(u"Verbesserungvorschläge an:");
    Label4.put_Caption(u"Homepage:");
    Label6.put_Caption(u"Support Newsgroup:");
    MakeLink(Label2, product::kSupportMail);
    MakeLink(Label3, product::kHomepage);
    MakeLink(Label7, product::kNewsgroup);
    Label2.onClick = [this] { Label2_Click(); };
    Label3.onClick = [this] { Label3_Click(); };
    Label7.onClick = [this] { Label7_Click(); };
    Label5.put_Caption(product::kMaker);
    cmdOK.put_Caption(u"OK");
    cmdOK.onClick = [this] { cmdOK_Click(); };
}

void frmAbout::MakeLink(Label& label, const String& address) {
    label.put_Caption(address);
    label.SetLook({u"MS Sans Serif", 8.25f, false, true, kLinkColor});
    label.MousePointer = vbCustom;
    label.SetArtwork(u"link-hand-32x32");
}

std::vector<Element*> frmAbout::Elements() {
    return {&lblTitle, &lblVersion, &lblDescription, &Line1(0), &Line1(1), &Picture1, &Picture2, &txtHistorie,
            &Label1,   &Label2,     &Label4,         &Label3,   &Label6,   &Label7,   &Label5,   &cmdOK};
}

Placement frmAbout::ClientExtent() {
    constexpr Long kFormMargin = 120;
    Long right = 0;
    Long bottom = 0;
    for (const Element* element : Elements()) {
        right = std::max(right, element->placement().Left + element->placement().Width);
        bottom = std::max(bottom, element->placement().Top + element->placement().Height);
    }
    return Placement{0, 0, right + kFormMargin, bottom + kFormMargin};
}

void frmAbout::Observe(IElementView* view) {
    for (Element* element : Elements()) element->Observe(view);
}

void frmAbout::Form_Load() {
    lblVersion.put_Caption(VersionText(version::kMajor, version::kMinor, version::kRevision));
    // Line by line onto what the box holds, as a list that grows would be.
    for (const String& line : FeatureLines()) txtHistorie.put_Text(txtHistorie.get_Text() + line + kCrLf);
}

void frmAbout::URLGoTo(HWND hWnd, const String& link) {
    const HourglassPointer hourglass(screen_);
    shell_.ShellExecuteA(hWnd, "Open", ToAnsi(link), std::string(), std::string(), SW_SHOWNORMAL);
}

void frmAbout::OpenLink(const String& link) {
    SkipOnError([&] { URLGoTo(hWnd, link); });
}

void frmAbout::Label2_Click() { OpenLink(product::kSupportMailLink); }

void frmAbout::Label3_Click() { OpenLink(product::kHomepageLink); }

void frmAbout::Label7_Click() { OpenLink(product::kNewsgroupLink); }

void AboutBox::Show() {
    SkipOnError([&] {
        frmAbout form(shell_, screen_);
        form.Form_Load();
        view_.ShowModal(form);
    });
}

}  // namespace lumora::pages
