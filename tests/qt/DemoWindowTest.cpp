// SPDX-License-Identifier: MIT
#include "DemoWindow.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QProcess>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "ModalWatchdog.h"
#include "PointerReplay.h"
#include "Screenshots.h"
#include "lumora/qt/HeaderStrip.h"
#include "qt/GalleryForms.h"

namespace lumora::qt_tests {
namespace {

QVariantList Column(const QStandardItemModel& model, int column) {
    QVariantList values;
    for (int row = 0; row < model.rowCount(); ++row) values.append(model.index(row, column).data());
    return values;
}

bool Ordered(const QVariantList& values, bool ascending) {
    for (qsizetype i = 1; i < values.size(); ++i) {
        const auto order = QVariant::compare(values[i - 1], values[i]);
        if (ascending ? order > 0 : order < 0) return false;
    }
    return true;
}

TEST(DemoWindow, ClickingAColumnSortsTheListThatWay) {
    Lumora::DemoWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QStandardItemModel& model = window.model();
    ASSERT_EQ(model.columnCount(), window.strip().numberOfRows());
    ASSERT_GE(model.rowCount(), 24);
    ASSERT_FALSE(Ordered(Column(model, 1), true));
    SaveShot(window, QStringLiteral("demo"));

    // Column 2 spans x 104 to 183 and holds numbers.
    const char* click = "move 140 12; down 140 12; up 140 12";
    // The list's columns carry the captions a screen reader reads.
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Größe"));
    Lumora::ReplayOnStrip(window.strip(), click);
    EXPECT_TRUE(Ordered(Column(model, 1), true));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::AccessibleDescriptionRole).toString(),
              QStringLiteral("sorted ascending"));
    Lumora::ReplayOnStrip(window.strip(), click);
    EXPECT_TRUE(Ordered(Column(model, 1), false));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::AccessibleDescriptionRole).toString(),
              QStringLiteral("sorted descending"));
    EXPECT_FALSE(Ordered(Column(model, 1), true));
    SaveShot(window, QStringLiteral("demo-sorted-descending"));
    // The rows move whole: each name still sits beside its number.
    Lumora::ReplayOnStrip(window.strip(), "move 50 12; down 50 12; up 50 12");
    EXPECT_TRUE(Ordered(Column(model, 0), true));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::AccessibleDescriptionRole).toString(), QString());

    // The keyboard sorts as well: from the column clicked last, Right and
    // Space.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    Lumora::ReplayOnStrip(window.strip(), "focus; key Right; key Space");
    EXPECT_TRUE(Ordered(Column(model, 1), true));
}

// Captions in many scripts at once: shaped, ordered, broken into two lines
// and drawn partly from fallback faces.
const QString kMixedCaption = QStringLiteral("日本語 表 Ελληνικά שלום World سعر 250 हिन्दी ไทย");

QImage PictureOf(const char* program, const QStringList& arguments, const QString& png) {
    QProcess process;
    process.start(QString::fromUtf8(program), arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) return {};
    return QImage(png).convertToFormat(QImage::Format_RGB32);
}

// The number of pixels where the strip's part of the window differs from the
// tool's picture; -1 when their sizes differ.
int DifferingPixels(const QImage& window, const QRect& strip, const QImage& tool) {
    if (tool.size() != strip.size() || !window.rect().contains(strip)) return -1;
    int differing = 0;
    for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < strip.width(); ++x)
            differing += window.pixel(strip.left() + x, strip.top() + y) != tool.pixel(x, y);
    return differing;
}

TEST(DemoWindow, ShowsAMixedScriptFormAsTheToolDrawsIt) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString form = folder.filePath("mixed.json");
    QFile file(form);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(GalleryForm(30, true, kMixedCaption, 120).toUtf8());
    file.close();

    Lumora::DemoWindow window;
    window.LoadForm(form);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect strip(window.strip().mapTo(&window, QPoint(0, 0)), window.strip().size());
    const QImage tool = PictureOf(
        LUMORA_CLI_PATH, {"render", form, "-o", folder.filePath("tool.png"), "--width", QString::number(strip.width())},
        folder.filePath("tool.png"));
    ASSERT_FALSE(tool.isNull()) << "lumora render failed";
    SaveShot(window, QStringLiteral("demo-mixed-scripts"));
    EXPECT_EQ(DifferingPixels(window.grab().toImage().convertToFormat(QImage::Format_RGB32), strip, tool), 0)
        << "the window on screen";

    // The demo program's own screenshot of the form shows the same strip.
    const QImage shot = PictureOf(LUMORA_QT_DEMO_PATH, {"--form", form, "--screenshot", folder.filePath("demo.png")},
                                  folder.filePath("demo.png"));
    ASSERT_FALSE(shot.isNull()) << "lumora-qt-demo --screenshot failed";
    ASSERT_EQ(shot.size(), window.size());
    EXPECT_EQ(DifferingPixels(shot, strip, tool), 0) << "lumora-qt-demo --screenshot";
}

// A strip the Windows demo container saved as its stream (the gallery's
// three columns, column 2 sorted by a click): the Qt demo opens it and shows
// what the tool draws of it.
TEST(DemoWindow, OpensAStreamTheWindowsDemoSavedAsTheToolDrawsIt) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString form = QStringLiteral(LUMORA_QT_TEST_DATA "/windows-demo-columns.lumora");

    Lumora::DemoWindow window;
    window.LoadForm(form);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(window.strip().numberOfRows(), 3);
    const QRect strip(window.strip().mapTo(&window, QPoint(0, 0)), window.strip().size());
    const QImage tool = PictureOf(
        LUMORA_CLI_PATH, {"render", form, "-o", folder.filePath("tool.png"), "--width", QString::number(strip.width())},
        folder.filePath("tool.png"));
    ASSERT_FALSE(tool.isNull()) << "lumora render failed";
    EXPECT_EQ(DifferingPixels(window.grab().toImage().convertToFormat(QImage::Format_RGB32), strip, tool), 0);
}

// What the lumora tool writes on standard error when it shows the file.
QString ToolComplaint(const QString& form) {
    QProcess process;
    process.start(QString::fromUtf8(LUMORA_CLI_PATH), {"show", form});
    if (!process.waitForFinished(60000)) return {};
    return QString::fromUtf8(process.readAllStandardError());
}

TEST(DemoWindow, FileThatIsNoFormSaysInAMessageBoxWhatTheToolSays) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const auto write = [&](const char* name, const QByteArray& bytes) {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    ASSERT_TRUE(QDir(folder.path()).mkdir("folder.json"));
    const std::pair<QString, const char*> files[] = {
        {write("picture.json", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)), "a PNG image"},
        {write("wide.json", QByteArray("\xFF\xFE{\0\"\0", 6)), "UTF-16 text"},
        {write("empty.lumora", QByteArray()), "an empty file"},
        {write("newer.lumora", QByteArray("LFST\x07\0\0\0\4\0\0\0\0\0\0\0\0\0\0\0", 20)), "a form stream of version 7"},
        {write("list.json", "[1, 2]"), "JSON that is not a form (an array)"},
        {folder.filePath("folder.json"), "a directory"},
        {folder.filePath("missing.json"), "no file"},
    };
    Lumora::DemoWindow window;
    const QByteArray before = window.strip().toFormJson();
    for (const auto& [file, found] : files) {
        QString shown;
        {
            const ModalAnswer answer = WhenModalOf<QMessageBox>([&](QMessageBox& box) {
                shown = box.text();
                CloseModal(box);
            });
            window.OpenFormFile(file);
        }
        EXPECT_TRUE(shown.startsWith(file + ": found " + QString::fromUtf8(found) + "; ")) << shown.toStdString();
        EXPECT_EQ(("lumora: " + shown + "\n").toStdString(), ToolComplaint(file).toStdString());
        EXPECT_EQ(window.strip().toFormJson(), before) << found;
    }

    // The demo program says it on standard error, after anything Qt says.
    QProcess demo;
    demo.start(QString::fromUtf8(LUMORA_QT_DEMO_PATH),
               {"--form", files[0].first, "--screenshot", folder.filePath("x.png")});
    ASSERT_TRUE(demo.waitForFinished(60000));
    EXPECT_EQ(demo.exitCode(), 1);
    const QString said = QString::fromUtf8(demo.readAllStandardError());
    const QString line = "lumora-qt-demo: " + ToolComplaint(files[0].first).mid(QStringLiteral("lumora: ").size());
    EXPECT_TRUE(said.endsWith(line)) << said.toStdString();
}

}  // namespace
}  // namespace lumora::qt_tests
