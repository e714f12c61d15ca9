// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include <QPointer>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

class QTimer;

namespace lumora::qt_tests {

// How long a modal window may stay up without the test answering it before
// the watchdog fails the test and closes the window. Generous, so that a
// loaded machine never trips it; a hang ends in seconds rather than at the
// run's time limit.
inline constexpr std::chrono::milliseconds kModalLimit{10000};

// One line per visible top-level window: its class, object name, title and,
// for a message box, its text. What a failure shows of the screen.
std::string DescribeScreen();

// Ends a modal window's event loop as its Cancel or close button would.
void CloseModal(QWidget& modal);

// An answer waiting for a modal window: every few milliseconds it looks for
// the active modal window that match accepts and, once it is up, hands it to
// act. Destroying the answer stops the looking; an answer that never found
// its window fails the test then, naming it.
class [[nodiscard]] ModalAnswer {
public:
    using Match = std::function<bool(QWidget&)>;
    using Act = std::function<void(QWidget&)>;

    ModalAnswer(QString what, Match match, Act act);
    ~ModalAnswer();
    ModalAnswer(const ModalAnswer&) = delete;
    ModalAnswer& operator=(const ModalAnswer&) = delete;

private:
    struct State;
    std::shared_ptr<State> state_;
};

// Answers the modal window of that object name.
ModalAnswer WhenModal(const QString& objectName, ModalAnswer::Act act);

// Answers the first modal window of type T.
template <typename T>
ModalAnswer WhenModalOf(std::function<void(T&)> act) {
    return ModalAnswer(
        QString::fromLatin1(T::staticMetaObject.className()),
        [](QWidget& modal) { return qobject_cast<T*>(&modal) != nullptr; },
        [act = std::move(act)](QWidget& modal) { act(*qobject_cast<T*>(&modal)); });
}

// Watches every test of the run: a modal window that stays up unanswered
// for longer than the limit fails the running test with what was on screen
// and is closed, so the test, and the run, go on.
class ModalWatchdog : public testing::EmptyTestEventListener {
public:
    explicit ModalWatchdog(std::chrono::milliseconds limit = kModalLimit);
    ~ModalWatchdog() override;

    void OnTestStart(const testing::TestInfo& test) override;
    void OnTestEnd(const testing::TestInfo& test) override;

    // Watches from now until Stop, outside a test run too.
    void Start();
    void Stop();

private:
    // Called every few milliseconds: notes when the modal window on top
    // changed, and closes one that has waited too long.
    void Check();

    std::chrono::milliseconds limit_;
    QTimer* timer_ = nullptr;
    QPointer<QWidget> watched_;
    std::chrono::steady_clock::time_point since_;
};

}  // namespace lumora::qt_tests
