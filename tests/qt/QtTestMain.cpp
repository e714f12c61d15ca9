// SPDX-License-Identifier: MIT
#include <QApplication>

#include <gtest/gtest.h>

#include "ModalWatchdog.h"

int main(int argc, char* argv[]) {
    // ctest runs the program on the offscreen platform; so does a run by
    // hand on a machine without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    // A dialog nobody answers fails its test instead of holding the run.
    testing::UnitTest::GetInstance()->listeners().Append(new lumora::qt_tests::ModalWatchdog);
    return RUN_ALL_TESTS();
}
