// SPDX-License-Identifier: MIT
#include "lumora/pages/frmAbout.h"

#include <gtest/gtest.h>

#include "lumora/Version.h"
#include "lumora/headless/HeadlessHost.h"
#include "lumora/headless/HeadlessPageView.h"
#include "lumora/pages/TabsC.h"
#include "lumora/runtime/RuntimeError.h"

namespace lumora {
namespace {

using Log = std::vector<std::string>;

TEST(frmAboutTest, VersionTextPadsMinorAndRevisionToTwoDigits) {
    const struct {
        int major, minor, revision;
        String text;
    } cases[] = {
        {1, 0, 1, u"Version: 1.00.01"},    {1, 2, 15, u"Version: 1.02.15"},   {1, 0, 9, u"Version: 1.00.09"},
        {1, 0, 10, u"Version: 1.00.10"},   {1, 0, 123, u"Version: 1.00.123"}, {1, 5, 0, u"Version: 1.05.00"},
        {12, 12, 0, u"Version: 12.12.00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pages::VersionText(c.major, c.minor, c.revision), c.text)
            << c.major << "." << c.minor << "." << c.revision;
}

class AboutBoxTest : public ::testing::Test {
protected:
    AboutBoxTest() {
        host->InitProperties();
        host.TakeLog();
    }

    headless::HeadlessHost host;
};

TEST_F(AboutBoxTest, EachOpeningShowsTheVersionAndTheFeatureListOnce) {
    std::vector<String> lists;
    host.aboutBoxView().user = [&](pages::frmAbout& form) {
        EXPECT_EQ(form.lblVersion.get_Caption(),
                  pages::VersionText(version::kMajor, version::kMinor, version::kRevision));
        lists.push_back(form.txtHistorie.get_Text());
    };
    host->ShowAboutBox();
    host->ShowAboutBox();

    EXPECT_EQ(host.TakeLog(), (Log{"ShowAboutBox", "Show Info zu Lumora List Control", "Close", "ShowAboutBox",
                                   "Show Info zu Lumora List Control", "Close"}));
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[0], lists[1]);
    const String& list = lists[0];
    EXPECT_TRUE(list.starts_with(u"\r\n Lumora List Control für\r\n Microsoft Access © ab Version 97 & VB 6.0\r\n"));
    EXPECT_TRUE(list.ends_with(u"    uvm.\r\n\r\n"));
    std::size_t lines = 0;
    for (std::size_t at = list.find(u"\r\n"); at != String::npos; at = list.find(u"\r\n", at + 2)) ++lines;
    EXPECT_EQ(lines, 19u);
}

TEST_F(AboutBoxTest, TheBoxIsAsLargeAsItsFurthestElementAndAMargin) {
    host.aboutBoxView().user = [&](pages::frmAbout& form) {
        // txtHistorie and cmdOK end at 5415 twips; cmdOK's bottom is 5235.
        EXPECT_EQ(form.ClientExtent(), (pages::Placement{0, 0, 5415 + 120, 5235 + 120}));
    };
    host->ShowAboutBox();
}

TEST_F(AboutBoxTest, LinksOpenThroughTheShellUnderTheHourglass) {
    const struct {
        const char* label;
        std::intptr_t shellResult;
        std::string opened;
    } cases[] = {
        {"Label2", 42, "ShellExecute Open mailto:support@example.com 1"},
        {"Label3", 42, "ShellExecute Open https://www.example.org/lumora/ 1"},
        {"Label7", 42, "ShellExecute Open news://news.example.net/lumora.support 1"},
        // A link the shell cannot open adds no message of the box's own.
        {"Label2", 31, "ShellExecute Open mailto:support@example.com 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        host.shell().result = c.shellResult;
        bool stillOpen = false;
        host.aboutBoxView().user = [&](pages::frmAbout& form) {
            for (pages::Element* element : form.Elements())
                if (element->Name() == FromUtf8(c.label)) dynamic_cast<pages::Label&>(*element).Click();
            stillOpen = form.IsLoaded();
        };
        host->ShowAboutBox();
        EXPECT_EQ(host.TakeLog(), (Log{"ShowAboutBox", "Show Info zu Lumora List Control", "MousePointer 11", c.opened,
                                       "MousePointer 0", "Close"}));
        EXPECT_TRUE(stillOpen);
        EXPECT_EQ(host.screen().get_MousePointer(), vbDefault);
        EXPECT_TRUE(host.messageBoxes().empty());
    }
}

TEST_F(AboutBoxTest, OkClosesTheBox) {
    host.aboutBoxView().user = [](pages::frmAbout& form) {
        form.cmdOK.Click();
        EXPECT_FALSE(form.IsLoaded());
    };
    host->ShowAboutBox();
    EXPECT_EQ(host.TakeLog().back(), "Close");
}

TEST_F(AboutBoxTest, ErrorsWhileTheBoxIsShownAreIgnored) {
    host.aboutBoxView().user = [](pages::frmAbout&) { Raise(err::kOutOfMemory); };
    host->ShowAboutBox();
    EXPECT_EQ(host.TakeLog(), (Log{"ShowAboutBox", "Show Info zu Lumora List Control"}));
}

TEST(TabsCTest, InfoOpensTheAboutBox) {
    Log log;
    headless::RecordingShell shell{log};
    headless::RecordingScreen screen{log};
    headless::HeadlessAboutBoxView aboutView{log};
    pages::AboutBox aboutBox{aboutView, shell, screen};
    headless::SheetSelection selection;
    pages::TabsC page{selection, aboutBox};
    headless::HeadlessPageView view{page, selection};

    EXPECT_EQ(page.Caption(), u"Copyright / Info");
    view.Select({});
    view.Click(u"btnInfo");
    EXPECT_EQ(log, (Log{"Show Info zu Lumora List Control", "Close"}));
    EXPECT_TRUE(view.log().empty());
    EXPECT_FALSE(page.get_Changed());
}

}  // namespace
}  // namespace lumora
