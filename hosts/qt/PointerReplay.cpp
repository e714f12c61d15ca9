// SPDX-License-Identifier: MIT
#include "PointerReplay.h"

#include <QApplication>
#include <QTest>
#include <QWindow>

#include "RenderCommand.h"
#include "lumora/qt/HeaderStrip.h"

namespace Lumora {
namespace {

Qt::MouseButton QtButton(lumora::Integer button) {
    if (button == 2) return Qt::RightButton;
    if (button == 4) return Qt::MiddleButton;
    return Qt::LeftButton;
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
        }
        QApplication::processEvents();
    }
}

}  // namespace Lumora
