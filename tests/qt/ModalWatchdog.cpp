// SPDX-License-Identifier: MIT
#include "ModalWatchdog.h"

#include <sstream>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>

#include "Screenshots.h"

namespace lumora::qt_tests {
namespace {

// How often answers and the watchdog look at the screen.
constexpr int kPollMilliseconds = 10;

std::string Quoted(const QString& text) { return '"' + text.toStdString() + '"'; }

// A name for a screenshot of the window left open in a test.
QString ShotName(const testing::TestInfo* test) {
    if (!test) return QStringLiteral("unanswered-modal");
    return QStringLiteral("unanswered-modal-%1-%2")
        .arg(QString::fromLatin1(test->test_suite_name()), QString::fromLatin1(test->name()));
}

}  // namespace

std::string DescribeScreen() {
    std::ostringstream out;
    const QWidget* modal = QApplication::activeModalWidget();
    int shown = 0;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible()) continue;
        ++shown;
        out << "  " << window->metaObject()->className() << ' ' << Quoted(window->objectName()) << " titled "
            << Quoted(window->windowTitle());
        if (auto* box = qobject_cast<QMessageBox*>(window)) out << " saying " << Quoted(box->text());
        if (window == modal) out << " (the active modal window)";
        out << '\n';
    }
    if (shown == 0) out << "  no window\n";
    return out.str();
}

void CloseModal(QWidget& modal) {
    if (auto* dialog = qobject_cast<QDialog*>(&modal)) {
        dialog->reject();
    } else {
        modal.close();
    }
}

struct ModalAnswer::State {
    QString what;
    Match match;
    Act act;
    QTimer timer;
    bool answered = false;
};

ModalAnswer::ModalAnswer(QString what, Match match, Act act) : state_(std::make_shared<State>()) {
    state_->what = std::move(what);
    state_->match = std::move(match);
    state_->act = std::move(act);
    // The timer lives and dies with the state, so the raw pointer is safe.
    State* state = state_.get();
    QObject::connect(&state->timer, &QTimer::timeout, [state] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !state->match(*modal)) return;
        state->timer.stop();
        state->answered = true;
        state->act(*modal);
    });
    state_->timer.start(kPollMilliseconds);
}

ModalAnswer::~ModalAnswer() {
    state_->timer.stop();
    if (!state_->answered) {
        ADD_FAILURE() << "the modal window " << state_->what.toStdString() << " never opened; on screen:\n"
                      << DescribeScreen();
    }
}

ModalAnswer WhenModal(const QString& objectName, ModalAnswer::Act act) {
    return ModalAnswer(
        objectName, [objectName](QWidget& modal) { return modal.objectName() == objectName; }, std::move(act));
}

ModalWatchdog::ModalWatchdog(std::chrono::milliseconds limit) : limit_(limit) {}

ModalWatchdog::~ModalWatchdog() { delete timer_; }

void ModalWatchdog::OnTestStart(const testing::TestInfo&) { Start(); }

void ModalWatchdog::OnTestEnd(const testing::TestInfo&) { Stop(); }

void ModalWatchdog::Start() {
    if (!timer_) {
        timer_ = new QTimer;
        QObject::connect(timer_, &QTimer::timeout, [this] { Check(); });
    }
    watched_ = nullptr;
    timer_->start(kPollMilliseconds);
}

void ModalWatchdog::Stop() {
    if (timer_) timer_->stop();
    watched_ = nullptr;
}

void ModalWatchdog::Check() {
    QWidget* modal = QApplication::activeModalWidget();
    const auto now = std::chrono::steady_clock::now();
    if (modal != watched_) {
        watched_ = modal;
        since_ = now;
        return;
    }
    if (!modal || now - since_ < limit_) return;
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(now - since_);
    ADD_FAILURE() << "a modal window was left unanswered for " << waited.count() << " ms and is closed; on screen:\n"
                  << DescribeScreen();
    SaveShot(*modal, ShotName(testing::UnitTest::GetInstance()->current_test_info()));
    // Should the window refuse to close, it is tried again after another limit.
    since_ = now;
    CloseModal(*modal);
}

}  // namespace lumora::qt_tests
