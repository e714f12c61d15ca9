// SPDX-License-Identifier: MIT
//
// On a screen scaled above 100 % (QT_SCALE_FACTOR, which ctest sets for its
// qt.scaled entries) the widget and the demo draw the strip at the screen's
// ratio, pixel for pixel as `lumora render --scale` does, while clicks keep
// the control's own pixels. At a ratio of 1 there is nothing to compare.
#include <cmath>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "DemoWindow.h"
#include "PointerReplay.h"
#include "lumora/forms/JsonFormFile.h"
#include "lumora/headless/HeadlessHost.h"
#include "lumora/qt/HeaderStrip.h"
#include "qt/GalleryForms.h"

namespace lumora::qt_tests {
namespace {

constexpr int kStripWidth = 400;
const char* const kClick = "move 140 12; down 140 12; up 140 12";

struct ScaledCase {
    const char* name;
    QString (*form)();
    const char* events;
};

QString Columns() { return GalleryForm(25, true, QStringLiteral("Größe"), 80); }
QString TwoLines() { return GalleryForm(30, true, QStringLiteral("Lange Spaltenbeschriftung"), 60); }

const ScaledCase kCases[] = {
    {"hot", Columns, "move 140 12"},
    {"pressed", Columns, "move 140 12; down 140 12"},
    {"sorted", Columns, "move 50 12; down 50 12; up 50 12; move 500 12"},
    {"two_line_caption", TwoLines, ""},
    {"pictures_pressed", PicturesForm, "move 140 12; down 140 12"},
};

void PrintTo(const ScaledCase& scaled, std::ostream* out) { *out << scaled.name; }

double ScreenRatio() { return qApp->devicePixelRatio(); }

class ScaledPixels : public testing::TestWithParam<ScaledCase> {
protected:
    void SetUp() override {
        if (ScreenRatio() == 1.0) GTEST_SKIP() << "the screen is not scaled; ctest's qt.scaled entries scale it";
        ASSERT_TRUE(folder.isValid());
        form = folder.filePath("form.json");
        QFile file(form);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(GetParam().form().toUtf8());
    }

    // What the tool draws at the screen's ratio.
    QImage Expected() const {
        const QString png = folder.filePath("tool.png");
        QProcess tool;
        tool.start(QStringLiteral(LUMORA_CLI_PATH),
                   {"render", form, "-o", png, "--width", QString::number(kStripWidth), "--scale",
                    QString::number(ScreenRatio()), "--events", QString::fromUtf8(GetParam().events)});
        if (!tool.waitForFinished(60000) || tool.exitCode() != 0) return {};
        return QImage(png).convertToFormat(QImage::Format_RGB32);
    }

    QTemporaryDir folder;
    QString form;
};

void ReleaseButtons(QWidget& widget) {
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
        if (QGuiApplication::mouseButtons() & button) QTest::mouseRelease(widget.window()->windowHandle(), button);
}

// The first differing pixel, or none.
std::string FirstDifference(const QImage& shown, const QImage& expected) {
    if (shown.size() != expected.size())
        return "size " + std::to_string(shown.width()) + "x" + std::to_string(shown.height()) + " instead of " +
               std::to_string(expected.width()) + "x" + std::to_string(expected.height());
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (shown.pixel(x, y) != expected.pixel(x, y))
                return "first difference at " + std::to_string(x) + "," + std::to_string(y);
    return {};
}

TEST_P(ScaledPixels, TheWidgetsGrabIsWhatTheToolDrawsAtTheScreensRatio) {
    const QImage expected = Expected();
    ASSERT_FALSE(expected.isNull()) << "lumora render failed";
    Lumora::HeaderStrip strip;
    strip.loadForm(form);
    strip.resize(kStripWidth, strip.height());
    strip.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&strip));
    Lumora::ReplayOnStrip(strip, GetParam().events);
    const QImage shown = strip.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ReleaseButtons(strip);
    EXPECT_EQ(FirstDifference(shown, expected), "");
}

// The demo's screenshot holds the strip, at the screen's ratio, where the
// strip lies in the window.
TEST_P(ScaledPixels, TheDemosScreenshotShowsWhatTheToolDraws) {
    Lumora::DemoWindow window;
    window.LoadForm(form);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    Lumora::HeaderStrip& strip = window.strip();
    Lumora::ReplayOnStrip(strip, GetParam().events);
    const QImage screenshot = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ReleaseButtons(strip);
    const QPoint origin = strip.mapTo(&window, QPoint(0, 0));
    const double ratio = ScreenRatio();
    const QRect device(static_cast<int>(std::floor(origin.x() * ratio + 0.5)),
                       static_cast<int>(std::floor(origin.y() * ratio + 0.5)),
                       static_cast<int>(std::floor(strip.width() * ratio + 0.5)),
                       static_cast<int>(std::floor(strip.height() * ratio + 0.5)));
    QProcess tool;
    const QString png = folder.filePath("demo-strip.png");
    tool.start(QStringLiteral(LUMORA_CLI_PATH),
               {"render", form, "-o", png, "--width", QString::number(strip.width()), "--scale", QString::number(ratio),
                "--events", QString::fromUtf8(GetParam().events)});
    ASSERT_TRUE(tool.waitForFinished(60000) && tool.exitCode() == 0);
    const QImage expected = QImage(png).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(FirstDifference(screenshot.copy(device), expected), "");
}

INSTANTIATE_TEST_SUITE_P(Gallery, ScaledPixels, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<ScaledCase>& info) { return std::string(info.param.name); });

// The events a click raises, as the headless host writes them down.
std::vector<std::string> EventsAtScaleOne(const QString& formText) {
    headless::HeadlessHost host(kStripWidth, 25);
    forms::JsonPropertyBag bag = forms::JsonPropertyBag::FromText(formText.toStdString(), "form.json");
    bag.SetPictureFiles(&host.pictureFiles());
    host.control().ReadProperties(bag);
    host.SetClientSize(kStripWidth, 25);
    host.TakeLog();
    host.MoveMouse(140, 12);
    host.PressMouse(140, 12);
    host.ReleaseMouse(140, 12);
    std::vector<std::string> events;
    for (const std::string& line : host.TakeLog())
        if (line.starts_with("RowPressed") || line.starts_with("MouseDown") || line.starts_with("MouseUp"))
            events.push_back(line);
    return events;
}

TEST(ScaledClicks, AClickAtTheControlsPixelPressesTheSameColumnWithTheSameArguments) {
    if (ScreenRatio() == 1.0) GTEST_SKIP() << "the screen is not scaled";
    Lumora::HeaderStrip strip;
    strip.loadFormJson(Columns().toUtf8());
    strip.resize(kStripWidth, strip.height());
    std::vector<std::string> events;
    QObject::connect(&strip, &Lumora::HeaderStrip::rowPressed, [&](Lumora::RowPressedEvent* event) {
        events.push_back("RowPressed " + std::to_string(event->previousTab) + " " + std::to_string(event->sortRow) +
                         " " + event->sort.toStdString());
    });
    const auto pointer = [&](const char* name, Lumora::StripMouseEvent* event, const std::string& extra) {
        events.push_back(std::string(name) + " " + std::to_string(event->button) + " " + std::to_string(event->shift) +
                         " " + QString::number(event->x).toStdString() + " " + QString::number(event->y).toStdString() +
                         " " + std::to_string(event->sortRow) + extra);
    };
    QObject::connect(&strip, &Lumora::HeaderStrip::mouseDown, [&](Lumora::StripMouseDownEvent* event) {
        pointer("MouseDown", event, " " + event->sort.toStdString());
    });
    QObject::connect(&strip, &Lumora::HeaderStrip::mouseUp,
                     [&](Lumora::StripMouseEvent* event) { pointer("MouseUp", event, ""); });
    strip.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&strip));
    Lumora::ReplayOnStrip(strip, kClick);
    EXPECT_EQ(events, EventsAtScaleOne(Columns()));
    // Qt passes over a move to where the pointer already is: the next case
    // starts from elsewhere, right of the columns.
    Lumora::ReplayOnStrip(strip, "move 390 20");
}

}  // namespace
}  // namespace lumora::qt_tests
