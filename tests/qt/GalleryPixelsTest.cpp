// SPDX-License-Identifier: MIT
//
// The widget draws the gallery's strips pixel for pixel as the lumora tool
// does, after the same pointer events reach it through Qt.
#include <QFile>
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

TEST_P(GalleryPixels, WidgetDrawsWhatTheToolDraws) {
    const GalleryCase& gallery = GetParam();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString form = folder.filePath("form.json");
    QFile file(form);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(gallery.form().toUtf8());
    file.close();
    const QImage expected = RenderWithTool(form, folder.filePath("tool.png"), gallery.events);
    ASSERT_FALSE(expected.isNull()) << "lumora render failed";

    Lumora::HeaderStrip strip;
    strip.loadForm(form);
    strip.resize(kStripWidth, strip.height());
    strip.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&strip));
    Lumora::ReplayOnStrip(strip, gallery.events);
    const QImage shown = strip.grab().toImage().convertToFormat(QImage::Format_RGB32);

    ASSERT_EQ(shown.size(), expected.size());
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            ASSERT_EQ(shown.pixel(x, y), expected.pixel(x, y)) << "first difference at " << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Gallery, GalleryPixels, testing::ValuesIn(kGallery),
                         [](const testing::TestParamInfo<GalleryCase>& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace lumora::qt_tests
