// SPDX-License-Identifier: MIT
#include "lumora/pages/Allgemein.h"

#include <gtest/gtest.h>

#include "lumora/headless/HeadlessHost.h"
#include "lumora/headless/HeadlessPageView.h"
#include "lumora/headless/RecordingDialogs.h"
#include "runtime/NumberFormat.h"

namespace lumora {
namespace {

using Log = std::vector<std::string>;

constexpr NumberFormat kDecimalComma{u',', u'.'};
constexpr NumberFormat kDecimalPoint{u'.', u','};

const headless::MessageBoxRecord kNumbersOnly{u"Bitte geben Sie nur Zahlen ein ohne Komma", u"Quarvex Control",
                                              vbCritical};

class AllgemeinTest : public ::testing::Test {
protected:
    AllgemeinTest() {
        host->InitProperties();
        view.Select({&host.control()});
        // The sheet's Apply leaves the page unchanged, so every test sees
        // only what its own input marks.
        view.PressApply();
        view.TakeLog();
        host.TakeLog();
    }

    headless::HeadlessHost host;
    headless::RecordingDialogs dialogs;
    headless::SheetSelection selection;
    pages::Allgemein page{selection, dialogs};
    headless::HeadlessPageView view{page, selection};
};

TEST_F(AllgemeinTest, ShowingAControlFillsTheFieldsAndEnablesApply) {
    headless::HeadlessHost other;
    other->InitProperties();
    other->put_ShowSortPic(kFalse);
    other->put_HeaderHeight(31);
    view.Select({&other.control()});
    EXPECT_EQ(view.TakeLog(), (Log{"chkSortPics.Value 0", "Changed True", "txtHeight.Text 31"}));
    EXPECT_EQ(page.chkFrame.get_Value(), 1);
}

TEST_F(AllgemeinTest, TruthValuesShowAsTheirLowestBit) {
    const struct {
        Boolean showFrame;
        Integer checked;
    } cases[] = {{kTrue, 1}, {kFalse, 0}, {1, 1}, {2, 0}};
    for (const auto& c : cases) {
        host->put_ShowFrame(c.showFrame);
        view.Select({&host.control()});
        EXPECT_EQ(page.chkFrame.get_Value(), c.checked) << "ShowFrame " << c.showFrame;
    }
}

TEST_F(AllgemeinTest, HeightFieldKeepsWholeNumbersOnly) {
    const struct {
        const char* name;
        NumberFormat locale;
        String typed;
        Log shown;
        bool message;
    } cases[] = {
        {"decimal comma pasted",
         kDecimalComma,
         u"12,5",
         {"txtHeight.Text 12,5", "txtHeight.Text 12", "Changed True"},
         false},
        {"comma groups digits",
         kDecimalPoint,
         u"12,5",
         {"txtHeight.Text 12,5", "txtHeight.Text 125", "Changed True"},
         false},
        {"rounded down", kDecimalPoint, u"-2.5", {"txtHeight.Text -2.5", "txtHeight.Text -3", "Changed True"}, false},
        {"negative zero", kDecimalPoint, u"-0", {"txtHeight.Text -0", "txtHeight.Text 0", "Changed True"}, false},
        {"letter", kDecimalPoint, u"x", {"txtHeight.Text x", "txtHeight.Text 0", "Changed True"}, true},
        {"cleared", kDecimalPoint, u"", {"txtHeight.Text ", "txtHeight.Text 0", "Changed True"}, true},
        {"lone minus", kDecimalPoint, u"-", {"txtHeight.Text -"}, false},
        {"negative", kDecimalPoint, u"-7", {"txtHeight.Text -7", "Changed True"}, false},
        {"unchanged", kDecimalPoint, u"25", {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ScopedNumberFormat locale(c.locale);
        page.txtHeight.put_Text(u"25");
        page.put_Changed(false);
        view.TakeLog();
        dialogs.Clear();

        view.Type(u"txtHeight", c.typed);
        EXPECT_EQ(view.TakeLog(), c.shown);
        EXPECT_EQ(dialogs.messageBoxes(),
                  c.message ? std::vector{kNumbersOnly} : std::vector<headless::MessageBoxRecord>{});
    }
}

TEST_F(AllgemeinTest, ApplyWritesAllThreeFields) {
    view.Click(u"chkFrame");
    view.Type(u"txtHeight", u"-7");
    view.PressApply();
    EXPECT_EQ(host->get_ShowFrame(), kFalse);
    EXPECT_EQ(host->get_ShowSortPic(), kTrue);
    EXPECT_EQ(host->get_HeaderHeight(), -7);
    EXPECT_EQ(host.PropertyChanges(), (Log{"ShowFrame", "ShowSortPic", "HeaderHeight"}));
    EXPECT_FALSE(page.get_Changed());
}

TEST_F(AllgemeinTest, ApplyLeavesTheHeightWhenTheFieldHoldsOnlyAMinus) {
    view.Type(u"txtHeight", u"-");
    view.PressApply();
    EXPECT_EQ(host->get_HeaderHeight(), 25);
}

TEST_F(AllgemeinTest, NothingSelectedKeepsTheFieldsAndFailsNothing) {
    view.Select({});
    EXPECT_EQ(view.TakeLog(), (Log{"Changed True"}));
    view.PressApply();
    EXPECT_TRUE(dialogs.messageBoxes().empty());
    EXPECT_TRUE(host.PropertyChanges().empty());
}

}  // namespace
}  // namespace lumora
