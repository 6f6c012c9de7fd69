#include "app/app_icon.h"

#include <algorithm>
#include <cmath>

#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>

namespace {

// The icon's shapes are given on a 48-unit grid and scaled to the requested size.
// pixel is the size of one pixel in grid units, so that fine lines stay at least one pixel.
void DrawServer(QPainter& p, const QRectF& box, double pixel, bool detailed) {
    QLinearGradient body(box.topLeft(), box.topRight());
    body.setColorAt(0.0, QColor(0x5A, 0x6E, 0x8C));
    body.setColorAt(1.0, QColor(0x2C, 0x38, 0x4C));
    p.setPen(QPen(QColor(0x18, 0x20, 0x2C), pixel));
    p.setBrush(body);
    const double radius = std::max(1.0, 2.0 * pixel);
    p.drawRoundedRect(box, radius, radius);

    // Drive bays: light slots across the front.
    const int bays = detailed ? 3 : 1;
    const double inset = box.width() * 0.18;
    const double bayHeight = std::max(pixel, box.height() * (detailed ? 0.08 : 0.14));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xC8, 0xD4, 0xE4));
    for (int i = 0; i < bays; ++i) {
        const double y = box.top() + box.height() * (0.16 + 0.16 * i);
        p.drawRect(QRectF(box.left() + inset, y, box.width() - 2 * inset, bayHeight));
    }
    // The power light, left out where the server is only a few pixels wide.
    if (box.width() < 6 * pixel)
        return;
    const double led = std::max(1.5 * pixel, box.width() * 0.16);
    p.setBrush(QColor(0x3C, 0xE0, 0x50));
    p.drawEllipse(QRectF(box.left() + inset, box.bottom() - box.height() * 0.1 - led, led, led));
}

void DrawArrow(QPainter& p, QPointF from, QPointF to, double pixel) {
    const QColor orange(0xF0, 0x8C, 0x1E);
    const double width = std::max(2.4, 1.0 * pixel);
    p.setPen(QPen(orange, width, Qt::SolidLine, Qt::RoundCap));
    const QPointF d = to - from;
    const double length = std::hypot(d.x(), d.y());
    const QPointF unit = d / length;
    const QPointF normal(-unit.y(), unit.x());
    const double head = std::max(6.0, 2.5 * pixel);
    const QPointF base = to - unit * head;
    p.drawLine(from, base);
    QPainterPath tip;
    tip.moveTo(to);
    tip.lineTo(base + normal * head * 0.6);
    tip.lineTo(base - normal * head * 0.6);
    tip.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(orange);
    p.drawPath(tip);
}

}  // namespace

QPixmap DrawAppIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size / 48.0;
    p.scale(s, s);
    const double pixel = 1.0 / s;
    if (size >= 32) {
        DrawServer(p, QRectF(2, 8, 17, 36), pixel, true);
        const double ys[3] = {8, 25, 42};
        for (double y : ys)
            DrawArrow(p, QPointF(20, 26), QPointF(33, y), pixel);
        for (double y : ys)
            DrawServer(p, QRectF(34.5, y - 6.5, 11, 13), pixel, false);
    } else {
        // At 16 pixels the small servers need more room and the arrows less.
        DrawServer(p, QRectF(1.5, 4.5, 18, 39), pixel, false);
        const double ys[3] = {7.5, 24, 40.5};
        for (double y : ys)
            DrawArrow(p, QPointF(21, 24), QPointF(31, y), pixel);
        for (double y : ys)
            DrawServer(p, QRectF(31.5, y - 6, 15, 12), pixel, false);
    }
    return pixmap;
}

QIcon AppIcon() {
    // The images live in the program's compiled resources; the library holding them must be
    // initialised by name since it is linked statically.
    static const QIcon icon = [] {
        Q_INIT_RESOURCE(farcast);
        QIcon result;
        for (int size : {16, 32, 48}) {
            const QString name = QStringLiteral(":/icons/farcast-%1.png").arg(size);
            if (QFile::exists(name))
                result.addFile(name, QSize(size, size));
            else
                result.addPixmap(DrawAppIcon(size));
        }
        return result;
    }();
    return icon;
}
