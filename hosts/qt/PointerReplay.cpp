// SPDX-License-Identifier: MIT
#include "PointerReplay.h"

#include <QApplication>
#include <QTest>
#include <QWindow>

#include "RenderCommand.h"
#include "lumora/control/LumoraListControl.h"
#include "lumora/qt/HeaderStrip.h"

namespace Lumora {
namespace {

Qt::MouseButton QtButton(lumora::Integer button) {
    if (button == 2) return Qt::RightButton;
    if (button == 4) return Qt::MiddleButton;
    return Qt::LeftButton;
}

// The Qt key for a key the control numbers as the system does.
Qt::Key QtKey(lumora::Integer key) {
    switch (key) {
        case lumora::kKeyLeft:
            return Qt::Key_Left;
        case lumora::kKeyRight:
            return Qt::Key_Right;
        case lumora::kKeyHome:
            return Qt::Key_Home;
        case lumora::kKeyEnd:
            return Qt::Key_End;
        case lumora::kKeySpace:
            return Qt::Key_Space;
        case lumora::kKeyEnter:
            return Qt::Key_Return;
        default:
            return Qt::Key_Tab;
    }
}

}  // namespace

void ReplayOnStrip(HeaderStrip& strip, std::string_view script) {
    QWindow* window = strip.window()->windowHandle();
    if (!window) throw std::runtime_error("the strip's window is not shown");
    for (const lumora::cli::ScriptEvent& event : lumora::cli::ParseEventScript(script)) {
        const QPoint point = strip.mapTo(strip.window(), QPointF(event.x, event.y)).toPoint();
        switch (event.kind) {
            case lumora::cli::ScriptEvent::Kind::Move:
                QTest::mouseMove(window, point);
                break;
            case lumora::cli::ScriptEvent::Kind::Down:
                QTest::mousePress(window, QtButton(event.button), Qt::NoModifier, point);
                break;
            case lumora::cli::ScriptEvent::Kind::Up:
                QTest::mouseRelease(window, QtButton(event.button), Qt::NoModifier, point);
                break;
            case lumora::cli::ScriptEvent::Kind::Focus:
                strip.setFocus(Qt::OtherFocusReason);
                break;
            case lumora::cli::ScriptEvent::Kind::Blur:
                strip.clearFocus();
                break;
            case lumora::cli::ScriptEvent::Kind::Key:
                QTest::keyClick(window, QtKey(event.key));
                break;
            case lumora::cli::ScriptEvent::Kind::AccessKey:
                // A shortcut matches the key's code, which is the character
                // in upper case.
                QTest::keyClick(window, static_cast<Qt::Key>(QChar::toUpper(event.character)), Qt::AltModifier);
                break;
        }
        QApplication::processEvents();
    }
}

}  // namespace Lumora
