// SPDX-License-Identifier: MIT
#include "support/mCommonDialog.h"

#include <gtest/gtest.h>

#include "lumora/headless/ScriptedFileDialog.h"
#include "lumora/runtime/RuntimeError.h"

namespace lumora {
namespace {

using namespace std::string_literals;

constexpr const char16_t* kFilter = u"Alle Bild Dateien|*.bmp;*.ico";

String Open(headless::ScriptedFileDialog& dialog) {
    return mCommonDialog::ShowOpen(dialog, u"Lade Spalten Bild", kFilter, u"*.*");
}

TEST(mCommonDialogTest, TheRequestCarriesTitleFilterAndAnEmptyFileName) {
    headless::ScriptedFileDialog dialog;
    dialog.QueueChoice(u"C:\\Pictures\\first.bmp");
    Open(dialog);
    Open(dialog);

    ASSERT_EQ(dialog.requests().size(), 2u);
    for (const OpenFileName& request : dialog.requests()) {
        EXPECT_EQ(request.lStructSize, 76);
        EXPECT_FALSE(request.hwndOwner);
        EXPECT_EQ(request.hInstance, headless::ScriptedFileDialog::kComponentInstance);
        EXPECT_EQ(request.lpstrFilter, "Alle Bild Dateien\0*.bmp;*.ico\0\0"s);
        // A second request starts empty again: the previous choice is not
        // offered.
        EXPECT_EQ(request.lpstrFile, '\0' + std::string(259, ' '));
        EXPECT_EQ(request.nMaxFile, 260);
        EXPECT_EQ(request.lpstrTitle, "Lade Spalten Bild");
        EXPECT_EQ(request.Flags, OFN_HIDEREADONLY);
        EXPECT_EQ(request.lpstrDefExt, "*.*");
    }
}

TEST(mCommonDialogTest, ResultIsThePathWithItsNulOrEmpty) {
    const struct {
        const char* name;
        void (*answer)(headless::ScriptedFileDialog&);
        String result;
    } cases[] = {
        {"chosen", [](headless::ScriptedFileDialog& d) { d.QueueChoice(u"C:\\Pictures\\a.ico"); },
         u"C:\\Pictures\\a.ico\0"s},
        {"8-bit text", [](headless::ScriptedFileDialog& d) { d.QueueChoice(u"C:\\Bilder\\Grün.bmp"); },
         u"C:\\Bilder\\Grün.bmp\0"s},
        {"cancelled", [](headless::ScriptedFileDialog& d) { d.QueueCancel(); }, u""},
        // The size a failed dialog leaves in the buffer is no file name.
        {"failed", [](headless::ScriptedFileDialog& d) { d.QueueFailure(); }, u""},
        {"name too long", [](headless::ScriptedFileDialog& d) { d.QueueChoice(String(300, u'a')); }, u""},
    };
    for (const auto& c : cases) {
        headless::ScriptedFileDialog dialog;
        c.answer(dialog);
        EXPECT_EQ(Open(dialog), c.result) << c.name;
    }
    headless::ScriptedFileDialog dialog;
    dialog.QueueChoice(u"C:\\Pictures\\a.ico");
    EXPECT_EQ(Open(dialog).size(), 18u);
}

TEST(mCommonDialogTest, FilterBeyondSixteenBitsOverflows) {
    OpenFileName record;
    mCommonDialog::SetFilter(record, String(32767, u'|'));
    EXPECT_EQ(record.lpstrFilter, std::string(32769, '\0'));
    try {
        mCommonDialog::SetFilter(record, String(32768, u'x'));
        FAIL() << "no overflow";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::kOverflow);
    }
}

}  // namespace
}  // namespace lumora
