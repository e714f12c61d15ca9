// SPDX-License-Identifier: MIT
#include "ModalWatchdog.h"

#include <functional>
#include <string>
#include <vector>

#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace lumora::qt_tests {
namespace {

using namespace std::chrono_literals;

// A box like the pages' own refusals, which a test must answer.
void ShowRefusal(const char* text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Lumora"), QString::fromUtf8(text), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("refusal"));
    box.exec();
}

TEST(ModalWatchdog, ClosesAnUnansweredModalAndFailsTheTestSayingWhatWasOnScreen) {
    ModalWatchdog watchdog(200ms);
    watchdog.Start();
    // Returning at all shows the box was closed for the test.
    EXPECT_NONFATAL_FAILURE(ShowRefusal("Ungültiges Bild"), "left unanswered");
    EXPECT_NONFATAL_FAILURE(ShowRefusal("Ungültiges Bild"),
                            "QMessageBox \"refusal\" titled \"Lumora\" saying \"Ungültiges Bild\" "
                            "(the active modal window)");
    watchdog.Stop();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(ModalWatchdog, LeavesAModalAloneThatIsAnsweredInTime) {
    ModalWatchdog watchdog(5s);
    watchdog.Start();
    QString seen;
    {
        const ModalAnswer answer = WhenModalOf<QMessageBox>([&](QMessageBox& box) {
            seen = box.text();
            box.accept();
        });
        ShowRefusal("Ungültige Breite");
    }
    watchdog.Stop();
    EXPECT_EQ(seen, QString::fromUtf8("Ungültige Breite"));
}

// The race a one-shot timer loses: the window comes up only after a while,
// and nested inside another event loop.
TEST(ModalAnswer, WaitsForAWindowThatOpensLate) {
    QString seen;
    const ModalAnswer answer = WhenModal(QStringLiteral("refusal"), [&](QWidget& box) {
        seen = static_cast<QMessageBox&>(box).text();
        CloseModal(box);
    });
    QTimer::singleShot(150, [] { ShowRefusal("spät"); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return !seen.isEmpty(); }, 5000));
    EXPECT_EQ(seen, QString::fromUtf8("spät"));
}

TEST(ModalAnswer, FailsTheTestWhenItsWindowNeverOpens) {
    EXPECT_NONFATAL_FAILURE({ const ModalAnswer answer = WhenModal(QStringLiteral("PropertySheet"), [](QWidget&) {}); },
                            "the modal window PropertySheet never opened");
}

// The failures a piece of a test reports, kept from the test's own result.
std::vector<std::string> FailuresOf(const std::function<void()>& run) {
    testing::TestPartResultArray results;
    {
        testing::ScopedFakeTestPartResultReporter reporter(
            testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
        run();
    }
    std::vector<std::string> messages;
    for (int index = 0; index < results.size(); ++index) messages.push_back(results.GetTestPartResult(index).message());
    return messages;
}

TEST(ModalAnswer, LeavesOtherWindowsToTheWatchdog) {
    ModalWatchdog watchdog(300ms);
    watchdog.Start();
    bool answered = false;
    const std::vector<std::string> failures = FailuresOf([&] {
        const ModalAnswer answer = WhenModal(QStringLiteral("PropertySheet"), [&](QWidget&) { answered = true; });
        ShowRefusal("Ungültiges Bild");
    });
    watchdog.Stop();
    EXPECT_FALSE(answered);
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_THAT(failures[0], testing::HasSubstr("left unanswered"));
    EXPECT_THAT(failures[1], testing::HasSubstr("the modal window PropertySheet never opened"));
}

}  // namespace
}  // namespace lumora::qt_tests
