// SPDX-License-Identifier: MIT
#include "DemoWindow.h"

#include <QStandardItemModel>
#include <QTest>

#include <gtest/gtest.h>

#include "PointerReplay.h"
#include "Screenshots.h"
#include "lumora/qt/HeaderStrip.h"

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
    Lumora::ReplayOnStrip(window.strip(), click);
    EXPECT_TRUE(Ordered(Column(model, 1), true));
    Lumora::ReplayOnStrip(window.strip(), click);
    EXPECT_TRUE(Ordered(Column(model, 1), false));
    EXPECT_FALSE(Ordered(Column(model, 1), true));
    SaveShot(window, QStringLiteral("demo-sorted-descending"));
    // The rows move whole: each name still sits beside its number.
    Lumora::ReplayOnStrip(window.strip(), "move 50 12; down 50 12; up 50 12");
    EXPECT_TRUE(Ordered(Column(model, 0), true));
}

}  // namespace
}  // namespace lumora::qt_tests
