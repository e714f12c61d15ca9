// SPDX-License-Identifier: MIT
#pragma once

#include <QDir>
#include <QGuiApplication>
#include <QString>
#include <QWidget>

namespace lumora::qt_tests {

// Screenshots for a person to look at, one folder per Qt platform
// ("offscreen", or "xcb" when the tests run on an X server), so a run on a
// real display does not overwrite the offscreen one.
inline void SaveShot(QWidget& widget, const QString& name) {
    const QDir folder(QStringLiteral(LUMORA_QT_IMAGES) + QLatin1Char('/') + QGuiApplication::platformName());
    folder.mkpath(QStringLiteral("."));
    widget.grab().save(folder.filePath(name + QStringLiteral(".png")));
}

}  // namespace lumora::qt_tests
