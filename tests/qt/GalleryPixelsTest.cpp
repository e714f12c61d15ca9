// SPDX-License-Identifier: MIT
//
// The widget draws the gallery's strips pixel for pixel as the lumora tool
// does, after the same pointer events reach it through Qt.
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "PointerReplay.h"
#include "lumora/qt/HeaderStrip.h"
#include "qt/GalleryForms.h"

namespace lumora::qt_tests {
namespace {

// Wide enough that "move 500 12" leaves the strip.
constexpr int kStripWidth = 400;

struct GalleryCase {
    const char* name;
    QString (*form)();
    const char* events;
};

QString Columns() { return GalleryForm(25, true, QStringLiteral("Größe"), 80); }
QString NoFrame() { return GalleryForm(25, false, QStringLiteral("Größe"), 80); }
QString TwoLines() { return GalleryForm(30, true, QStringLiteral("Lange Spaltenbeschriftung"), 60); }
// Captions in many scripts at once, shaped, ordered and broken into two
// lines, with characters from fallback faces.
const QString kMixedCaption = QStringLiteral("日本語 表 Ελληνικά שלום World سعر 250 हिन्दी ไทย");
QString MixedScripts() { return GalleryForm(30, true, kMixedCaption, 120); }

// The click moves onto column 1, presses and releases; the pointer then
// leaves the strip.
const GalleryCase kGallery[] = {
    {"idle", Columns, ""},
    {"hot", Columns, "move 140 12"},
    {"pressed", Columns, "move 140 12; down 140 12"},
    {"sorted-up", Columns, "move 50 12; down 50 12; up 50 12; move 500 12"},
    {"sorted-down", Columns, "move 50 12; down 50 12; up 50 12; move 50 12; down 50 12; up 50 12; move 500 12"},
    {"frame-off", NoFrame, ""},
    {"two-line-caption", TwoLines, ""},
    {"pictures", PicturesForm, ""},
    {"pictures-pressed", PicturesForm, "move 140 12; down 140 12"},
    {"mixed-scripts", MixedScripts, "move 140 12"},
};

void PrintTo(const GalleryCase& gallery, std::ostream* out) { *out << gallery.name; }

class GalleryPixels : public testing::TestWithParam<GalleryCase> {};

QImage RenderWithTool(const QString& form, const QString& png, const char* events) {
    QProcess tool;
    tool.start(QStringLiteral(LUMORA_CLI_PATH), {"render", form, "-o", png, "--width", QString::number(kStripWidth),
                                                 "--events", QString::fromUtf8(events)});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0) return {};
    return QImage(png).convertToFormat(QImage::Format_RGB32);
}

// What the tool draws for the form, written into the folder.
QImage ToolImage(const QTemporaryDir& folder, const QString& formText, const char* events,
                 QString* formPath = nullptr) {
    const QString form = folder.filePath("form.json");
    QFile file(form);
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write(formText.toUtf8());
    file.close();
    if (formPath) *formPath = form;
    return RenderWithTool(form, folder.filePath("tool.png"), events);
}

QImage Shown(Lumora::HeaderStrip& strip, const char* events) {
    strip.resize(kStripWidth, strip.height());
    strip.show();
    if (!QTest::qWaitForWindowExposed(&strip)) return {};
    Lumora::ReplayOnStrip(strip, events);
    const QImage shown = strip.grab().toImage().convertToFormat(QImage::Format_RGB32);
    // A case whose events end with a button down lets it go, so that the
    // next case in this process does not start with the button held.
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        if (QGuiApplication::mouseButtons() & button) QTest::mouseRelease(strip.window()->windowHandle(), button);
    }
    return shown;
}

void ExpectSamePixels(const QImage& shown, const QImage& expected) {
    ASSERT_EQ(shown.size(), expected.size());
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            ASSERT_EQ(shown.pixel(x, y), expected.pixel(x, y)) << "first difference at " << x << "," << y;
}

TEST_P(GalleryPixels, WidgetDrawsWhatTheToolDraws) {
    const GalleryCase& gallery = GetParam();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QString form;
    const QImage expected = ToolImage(folder, gallery.form(), gallery.events, &form);
    ASSERT_FALSE(expected.isNull()) << "lumora render failed";

    Lumora::HeaderStrip strip;
    strip.loadForm(form);
    ExpectSamePixels(Shown(strip, gallery.events), expected);
}

// A caption handed to the widget as a QString reaches the glyphs as the
// same UTF-16 text a form file gives the tool.
TEST(GalleryPixelsOfQStrings, CaptionSetAsQStringDrawsWhatTheToolDraws) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QImage expected = ToolImage(folder, MixedScripts(), "");
    ASSERT_FALSE(expected.isNull()) << "lumora render failed";

    Lumora::HeaderStrip strip;
    strip.loadFormJson(GalleryForm(30, true, QStringLiteral("Größe"), 120).toUtf8());
    strip.setRowCaption(2, kMixedCaption);
    ExpectSamePixels(Shown(strip, ""), expected);
}

INSTANTIATE_TEST_SUITE_P(Gallery, GalleryPixels, testing::ValuesIn(kGallery),
                         [](const testing::TestParamInfo<GalleryCase>& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace lumora::qt_tests
