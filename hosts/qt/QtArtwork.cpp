// SPDX-License-Identifier: MIT
// The artwork is drawn rather than stored: a few shapes in the strip's own
// colours read well at every resolution and need no resources.
#include "QtArtwork.h"

#include <QFont>
#include <QPolygon>

#include "pages/Product.h"

namespace Lumora {
namespace {

// The banner's gradient, from the title colour of the About box into the
// light blue of a hot column.
const QColor kBannerDark(0x00, 0x00, 0x80);
const QColor kBannerLight(0xA0, 0xC8, 0xF0);
const QColor kFolderYellow(0xF0, 0xD0, 0x40);
const QColor kFolderEdge(0x80, 0x60, 0x00);
const QColor kCrossRed(0xD0, 0x00, 0x00);
// How many bands the banner's gradient is drawn in.
constexpr int kBannerBands = 64;

int Mix(int from, int to, int step, int steps) { return from + (to - from) * step / steps; }

QColor Blend(const QColor& from, const QColor& to, int step, int steps) {
    return QColor(Mix(from.red(), to.red(), step, steps), Mix(from.green(), to.green(), step, steps),
                  Mix(from.blue(), to.blue(), step, steps));
}

void Gradient(QPainter& painter, const QRect& area) {
    const int width = area.width();
    for (int band = 0; band < kBannerBands; ++band) {
        const int left = area.left() + width * band / kBannerBands;
        const int right = area.left() + width * (band + 1) / kBannerBands;
        painter.fillRect(QRect(left, area.top(), right - left, area.height()),
                         Blend(kBannerDark, kBannerLight, band, kBannerBands - 1));
    }
}

void Caption(QPainter& painter, const QRect& area, int height, const QString& text) {
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(std::max(height, 1));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(area.adjusted(height / 2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

// Three header columns, the middle one sorted, as the strip itself looks.
void StripSketch(QPainter& painter, const QRect& area) {
    const int width = area.width();
    const int height = area.height();
    for (int column = 0; column < 3; ++column) {
        const int left = area.left() + width * column / 3;
        const int right = area.left() + width * (column + 1) / 3 - 1;
        painter.fillRect(QRect(left, area.top(), right - left, height), column == 1 ? kBannerLight : Qt::white);
    }
    const int middle = area.left() + width / 2;
    const QPolygon triangle({QPoint(middle - height / 4, area.top() + height / 3),
                             QPoint(middle + height / 4, area.top() + height / 3),
                             QPoint(middle, area.top() + height * 2 / 3)});
    painter.setPen(kBannerDark);
    painter.setBrush(kBannerDark);
    painter.drawPolygon(triangle);
}

void Banner(QPainter& painter, const QRect& area) {
    Gradient(painter, area);
    const int height = area.height();
    QRect title = area;
    title.setHeight(height * 3 / 5);
    Caption(painter, title, height / 4, QString::fromStdU16String(lumora::pages::product::kName));
    const QRect strip(QPoint(area.left() + height / 4, area.top() + height * 3 / 5),
                      QPoint(area.right() - height / 4, area.bottom() - height / 8));
    StripSketch(painter, strip);
}

void Folder(QPainter& painter, const QRect& area) {
    const int x = area.left();
    const int y = area.top();
    const QPolygon outline({QPoint(x + 1, y + 3), QPoint(x + 6, y + 3), QPoint(x + 7, y + 5), QPoint(x + 14, y + 5),
                            QPoint(x + 14, y + 13), QPoint(x + 1, y + 13)});
    painter.setPen(kFolderEdge);
    painter.setBrush(kFolderYellow);
    painter.drawPolygon(outline);
}

void Cross(QPainter& painter, const QRect& area) {
    painter.setPen(QPen(kCrossRed, 3));
    painter.drawLine(area.left() + 3, area.top() + 3, area.right() - 3, area.bottom() - 3);
    painter.drawLine(area.right() - 3, area.top() + 3, area.left() + 3, area.bottom() - 3);
}

}  // namespace

void PaintArtwork(QPainter& painter, const QRect& area, const lumora::String& name) {
    painter.save();
    if (name == u"info-banner-393x100") {
        Banner(painter, area);
    } else if (name == u"about-logo-72x16") {
        Gradient(painter, area);
        Caption(painter, area, area.height() - 4, QStringLiteral("Lumora"));
    } else if (name == u"about-icon-22x20") {
        StripSketch(painter, area);
    } else if (name == u"open-folder-16") {
        Folder(painter, area);
    } else if (name == u"red-cross-16") {
        painter.setRenderHint(QPainter::Antialiasing);
        Cross(painter, area);
    }
    painter.restore();
}

}  // namespace Lumora
