// SPDX-License-Identifier: MIT
#include "lumora/pages/Register.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "lumora/headless/HeadlessHost.h"
#include "lumora/headless/HeadlessPageView.h"
#include "lumora/headless/RecordingDialogs.h"
#include "lumora/headless/ScriptedFileDialog.h"
#include "runtime/NumberFormat.h"
#include "testing/ScratchDirectory.h"

namespace lumora {
namespace {

using Log = std::vector<std::string>;

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kGreen = RGB(0, 160, 0);

class RegisterTest : public ::testing::Test {
protected:
    RegisterTest() {
        host.SetTempDirectory(temp.path());
        host->InitProperties();
        host->put_RowCaption(1, u"A");
        host->put_RowWidth(1, 10);
        host->AddRow(20, u"B");
        host->AddRow(30, u"C");
        view.Select({&host.control()});
        view.PressApply();
        view.TakeLog();
        host.TakeLog();
    }

    // A picture file in the pictures directory: a 16 x 16 green bitmap, or
    // a green icon whose left half is transparent.
    String WriteBitmap(const std::string& name) { return Write(name, Bitmap()); }
    String WriteIcon(const std::string& name) {
        soft::SoftBitmap color(16, 16, 32, kGreen);
        soft::SoftBitmap mask(16, 16, 1, 0);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 8; ++x) {
                mask.At(x, y) = 1;
                color.At(x, y) = 0;
            }
        return Write(name, soft::SoftPicture::Icon(host.sharedSurface(), color, mask));
    }
    PicturePtr Bitmap() {
        return soft::SoftPicture::Bitmap(host.sharedSurface(), soft::SoftBitmap(16, 16, 32, kGreen));
    }
    String Write(const std::string& name, const PicturePtr& picture) {
        const std::filesystem::path path = pictures.path() / name;
        std::ofstream(path, std::ios::binary) << soft::SoftPictures::ToFileBytes(*picture);
        return FromUtf8(path.string());
    }
    // Brings the page to column `column` with nothing pending.
    void ShowColumn(Integer column) {
        view.Scroll(u"hsb", column);
        view.PressApply();
        view.TakeLog();
        host.TakeLog();
    }

    test::ScratchDirectory temp{"lumora-register-temp"};
    test::ScratchDirectory pictures{"lumora-register-pictures"};
    headless::HeadlessHost host{300, 25};
    headless::RecordingDialogs dialogs;
    headless::ScriptedFileDialog fileDialog;
    soft::SoftFileSystem files{temp.path()};
    soft::SoftPictureBox picTempSurface{host.sharedSurface(), kMagenta};
    headless::SheetSelection selection;
    pages::Register page{selection, {dialogs, fileDialog, host.pictureFiles(), files, picTempSurface}};
    headless::HeadlessPageView view{page, selection};
};

TEST_F(RegisterTest, SelectingAControlShowsItsFirstColumn) {
    headless::SheetSelection fresh;
    pages::Register other{fresh, {dialogs, fileDialog, host.pictureFiles(), files, picTempSurface}};
    headless::HeadlessPageView otherView{other, fresh};
    otherView.Select({&host.control()});
    EXPECT_EQ(otherView.TakeLog(),
              (Log{"hsb.Max 3", "txtIndex.Text 1", "txt(0).Text A", "Changed True", "txt(1).Text 10"}));
    EXPECT_TRUE(host.PropertyChanges().empty());
}

TEST_F(RegisterTest, ApplyFillsEmptyFieldsAndConvertsTheWidth) {
    const struct {
        const char* name;
        NumberFormat locale;
        String caption;
        String width;
        String appliedCaption;
        Long appliedWidth;
        String widthField;
    } cases[] = {
        {"empty caption is one blank", {}, u"", u"15", u" ", 15, u"15"},
        {"empty width is 60", {}, u"X", u"", u"X", 60, u"60"},
        {"half to even down", {u',', u'.'}, u"X", u"12,5", u"X", 12, u"12,5"},
        {"half to even up", {u',', u'.'}, u"X", u"13,5", u"X", 14, u"13,5"},
        {"no number keeps the width", {}, u"X", u"breit", u"X", 10, u"breit"},
        {"negative", {}, u"X", u"-5", u"X", -5, u"-5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ScopedNumberFormat locale(c.locale);
        host->put_RowWidth(1, 10);
        view.Type(u"txt(0)", c.caption);
        view.Type(u"txt(1)", c.width);
        view.PressApply();
        EXPECT_EQ(host->get_RowCaption(1), c.appliedCaption);
        EXPECT_EQ(host->get_RowWidth(1), c.appliedWidth);
        EXPECT_EQ(page.txt(1).get_Text(), c.widthField);
    }
}

TEST_F(RegisterTest, ScrollingAppliesTheEditsOfTheColumnLeft) {
    view.Type(u"txt(0)", u"Neu");
    view.Scroll(u"hsb", 2);
    EXPECT_EQ(view.TakeLog(), (Log{"txt(0).Text Neu", "Changed True", "hsb.Value 2", "txtIndex.Text 2", "txt(0).Text B",
                                   "txt(1).Text 20"}));
    EXPECT_EQ(host->get_RowCaption(1), u"Neu");
    EXPECT_EQ(host->get_RowCaption(2), u"B");
    EXPECT_EQ(page.ShownColumn(), 2);
}

TEST_F(RegisterTest, ScrollingWithoutEditsWritesNothing) {
    view.Scroll(u"hsb", 3);
    EXPECT_TRUE(host.PropertyChanges().empty());
    EXPECT_EQ(page.txt(0).get_Text(), u"C");
    // The loaded values differ from what the fields showed.
    EXPECT_TRUE(page.get_Changed());
}

TEST_F(RegisterTest, ASelectionChangeNeverWritesPendingEditsIntoTheNewControl) {
    // From column 3 the new control's smaller maximum lowers the scroll bar,
    // which loads a column as scrolling would.
    for (const Integer shown : {1, 3}) {
        SCOPED_TRACE(shown);
        ShowColumn(shown);
        headless::HeadlessHost other;
        other->InitProperties();
        other->put_RowCaption(1, u"X");
        other->AddRow(40, u"Y");
        other.TakeLog();

        view.Type(u"txt(0)", u"Pending");
        view.Select({&other.control()});
        EXPECT_TRUE(other.PropertyChanges().empty());
        EXPECT_TRUE(host.PropertyChanges().empty());
        EXPECT_EQ(page.txt(0).get_Text(), shown == 1 ? u"X" : u"Y");
        view.Select({&host.control()});
        view.PressApply();
    }
}

TEST_F(RegisterTest, SelectingAControlWithoutColumnsLeavesNoColumnToApplyTo) {
    headless::HeadlessHost empty;
    view.Type(u"txt(0)", u"Pending");
    view.Select({&empty.control()});
    view.PressApply();
    EXPECT_TRUE(empty.PropertyChanges().empty());
    EXPECT_EQ(page.ShownColumn(), 0);
}

TEST_F(RegisterTest, AddingAppliesPendingEditsAndShowsTheNewColumn) {
    view.Type(u"txt(1)", u"25");
    view.Click(u"cmdAddTab");
    EXPECT_EQ(host->get_RowWidth(1), 25);
    EXPECT_EQ(host->get_NumberOfRows(), 4);
    EXPECT_EQ(page.hsb.get_Max(), 4);
    EXPECT_EQ(page.hsb.get_Value(), 4);
    EXPECT_EQ(page.txtIndex.get_Text(), u"4");
    EXPECT_EQ(page.txt(0).get_Text(), u"Spalte");
    EXPECT_EQ(page.txt(1).get_Text(), u"60");
    EXPECT_EQ(page.ShownColumn(), 4);
    EXPECT_TRUE(page.get_Changed());
}

TEST_F(RegisterTest, AddingWithoutAControlIsReportedToTheHost) {
    view.Select({});
    view.TakeLog();
    view.Click(u"cmdAddTab");
    EXPECT_EQ(view.TakeLog(), (Log{"Error 91 Object variable or With block variable not set"}));
}

TEST_F(RegisterTest, DeletingRemovesTheLastColumnButNeverTheOnlyOne) {
    headless::HeadlessHost single;
    single->InitProperties();
    view.Select({&single.control()});
    view.PressApply();
    view.TakeLog();
    view.Click(u"cmdDelete");
    EXPECT_EQ(single->get_NumberOfRows(), 1);
    EXPECT_EQ(view.TakeLog(), (Log{"hsb.Max 1", "Changed True"}));
}

TEST_F(RegisterTest, DeletingTheShownColumnShowsTheNewLastWithoutApplying) {
    ShowColumn(3);
    view.Type(u"txt(0)", u"Pending");
    host.TakeLog();
    view.Click(u"cmdDelete");
    EXPECT_EQ(host->get_NumberOfRows(), 2);
    EXPECT_EQ(host.PropertyChanges(), (Log{"NumberOfRows"}));
    EXPECT_EQ(page.txt(0).get_Text(), u"B");
    EXPECT_EQ(page.ShownColumn(), 2);
}

TEST_F(RegisterTest, ChoosingAPictureFileLoadsItByItsExtension) {
    const struct {
        std::string file;
        bool viaIcon;
    } cases[] = {{"bild.bmp", false}, {"bild.ico", true}, {"BILD.ICO", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        page.picTemp.putref_Picture(nullptr);
        page.picTab.putref_Picture(nullptr);
        page.put_Changed(false);
        view.TakeLog();
        fileDialog.QueueChoice(c.viaIcon ? WriteIcon(c.file) : WriteBitmap(c.file));
        view.Click(u"cmdOpenDlg");

        ASSERT_NE(page.picTab.get_Picture(), nullptr);
        EXPECT_EQ(page.picTab.get_Picture()->get_Type(), PictureType::Bitmap);
        EXPECT_EQ(page.picTemp.get_Picture() != nullptr, c.viaIcon);
        const Log shown{"picTab.Picture bitmap", "Changed True"};
        const Log shownViaIcon{"picTemp.Picture icon", "picTab.Picture bitmap", "Changed True"};
        EXPECT_EQ(view.TakeLog(), c.viaIcon ? shownViaIcon : shown);
        EXPECT_TRUE(dialogs.messageBoxes().empty());
        EXPECT_TRUE(temp.IsEmpty());
    }
}

TEST_F(RegisterTest, AnIconBecomesABitmapOverMagenta) {
    fileDialog.QueueChoice(WriteIcon("bild.ico"));
    view.Click(u"cmdOpenDlg");
    const auto* picture = dynamic_cast<const soft::SoftPicture*>(page.picTab.get_Picture().get());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->color().At(0, 0) & 0xFFFFFF, kMagenta);
    EXPECT_EQ(picture->color().At(12, 0) & 0xFFFFFF, kGreen);
}

TEST_F(RegisterTest, ACancelledOrFailedChoiceChangesNothing) {
    const PicturePtr before = Bitmap();
    page.picTab.putref_Picture(before);
    page.put_Changed(false);
    view.TakeLog();
    const struct {
        const char* name;
        std::function<void()> answer;
        std::vector<headless::MessageBoxRecord> messages;
    } cases[] = {
        {"cancelled", [&] { fileDialog.QueueCancel(); }, {}},
        {"not a picture",
         [&] {
             std::ofstream(pictures.path() / "kaputt.bmp") << "no picture";
             fileDialog.QueueChoice(FromUtf8((pictures.path() / "kaputt.bmp").string()));
         },
         {{u"Ungültiges Bild", u"Bild einfügen", vbCritical}}},
        {"missing",
         [&] { fileDialog.QueueChoice(FromUtf8((pictures.path() / "fehlt.ico").string())); },
         {{u"53\r\nFile not found", u"DorvaneLumoraStyleList", vbOKOnly}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.Clear();
        c.answer();
        view.Click(u"cmdOpenDlg");
        EXPECT_EQ(page.picTab.get_Picture(), before);
        EXPECT_TRUE(view.TakeLog().empty());
        EXPECT_EQ(dialogs.messageBoxes(), c.messages);
        EXPECT_TRUE(temp.IsEmpty());
    }
}

TEST_F(RegisterTest, PictureEditsReachTheColumnOnApply) {
    fileDialog.QueueChoice(WriteBitmap("bild.bmp"));
    view.Click(u"cmdOpenDlg");
    view.PressApply();
    EXPECT_EQ(host->get_RowPicture(1), page.picTab.get_Picture());

    view.TakeLog();
    view.Click(u"cmdDel");
    EXPECT_EQ(view.TakeLog(), (Log{"picTab.Picture none", "Changed True"}));
    view.PressApply();
    EXPECT_EQ(host->get_RowPicture(1), nullptr);
}

}  // namespace
}  // namespace lumora
