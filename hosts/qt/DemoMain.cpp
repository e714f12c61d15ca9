// SPDX-License-Identifier: MIT
//
// lumora-qt-demo                         the strip above a list it sorts
// lumora-qt-demo --form FORM --screenshot OUT.png [--events SCRIPT]
//                                        loads the form, replays the events
//                                        on the strip, saves the window, exits
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <stdexcept>

#include <QApplication>
#include <QCommandLineParser>
#include <QTest>

#include "DemoWindow.h"
#include "PointerReplay.h"
#include "lumora/qt/HeaderStrip.h"

namespace {

int Screenshot(Lumora::DemoWindow& window, const QCommandLineParser& options) {
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) throw std::runtime_error("the window was never shown");
    Lumora::ReplayOnStrip(window.strip(), options.value("events").toStdString());
    const QString output = options.value("screenshot");
    if (!window.grab().save(output, "PNG")) throw std::runtime_error("cannot write " + output.toStdString());
    std::cout << "lumora-qt-demo: wrote " << output.toStdString() << '\n';
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    // A screenshot needs no display: unless the caller chose a platform, it
    // is taken on Qt's offscreen one, so it works the same on a build
    // machine and on a desktop.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--screenshot") == 0 || std::strncmp(argv[i], "--screenshot=", 13) == 0)
            setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QCommandLineParser options;
    options.setApplicationDescription("The header strip above a list it sorts.");
    options.addHelpOption();
    options.addOption({"form", "Loads the strip from FORM, a JSON form or a form stream.", "FORM"});
    options.addOption({"screenshot", "Saves the window as a PNG and exits.", "OUT"});
    options.addOption(
        {"events", "Replays pointer events on the strip first: \"move X Y; down X Y; up X Y\".", "SCRIPT"});
    options.process(app);
    try {
        Lumora::DemoWindow window;
        if (options.isSet("form")) window.LoadForm(options.value("form"));
        if (options.isSet("screenshot")) return Screenshot(window, options);
        if (options.isSet("events")) throw std::runtime_error("--events needs --screenshot");
        window.show();
        return app.exec();
    } catch (const std::exception& error) {
        std::cerr << "lumora-qt-demo: " << error.what() << '\n';
        return 1;
    }
}
