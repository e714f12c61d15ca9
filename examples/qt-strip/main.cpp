// SPDX-License-Identifier: MIT
// Loads a form file into the Qt widget, 400 pixels wide, and compares what
// it shows with a picture of the strip: qt-strip FORM.json STRIP.png
// Exits 0 when every pixel is the same.
#include <exception>
#include <iostream>

#include <QApplication>
#include <QImage>

#include "lumora/qt/HeaderStrip.h"

namespace {

bool SamePixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::cerr << "usage: qt-strip FORM.json STRIP.png\n";
        return 2;
    }
    try {
        Lumora::HeaderStrip strip;
        strip.loadForm(QString::fromLocal8Bit(argv[1]));
        strip.resize(400, strip.height());
        const QImage shown = strip.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage expected = QImage(QString::fromLocal8Bit(argv[2])).convertToFormat(QImage::Format_RGB32);
        if (!SamePixels(shown, expected)) {
            std::cerr << "qt-strip: the widget shows another strip than " << argv[2] << '\n';
            return 1;
        }
        std::cout << "qt-strip: " << strip.numberOfRows() << " columns, " << shown.width() << "x" << shown.height()
                  << " pixels, as in " << argv[2] << '\n';
    } catch (const std::exception& error) {
        std::cerr << "qt-strip: " << error.what() << '\n';
        return 1;
    }
}
