#include "shell/ProgramIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace vellinor {

QPixmap ProgramPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    // Black-and-white frame.
    p.fillRect(QRectF(1, 3, 30, 26), Qt::black);
    p.fillRect(QRectF(2.5, 4.5, 27, 23), Qt::white);
    // The photograph: sky, sun, hills.
    const QRectF photo(4, 6, 24, 20);
    QLinearGradient sky(photo.topLeft(), photo.bottomLeft());
    sky.setColorAt(0, QColor(70, 130, 210));
    sky.setColorAt(1, QColor(170, 210, 245));
    p.fillRect(photo, sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 210, 60));
    p.drawEllipse(QPointF(22, 11), 3, 3);
    QPainterPath hills;
    hills.moveTo(4, 26);
    hills.lineTo(4, 19);
    hills.quadTo(11, 13, 17, 19);
    hills.quadTo(23, 15, 28, 18);
    hills.lineTo(28, 26);
    hills.closeSubpath();
    p.setBrush(QColor(60, 140, 70));
    p.drawPath(hills);
    // The copyright sign, yellow on a dark disc.
    p.setBrush(QColor(30, 30, 30, 200));
    p.drawEllipse(QPointF(10, 21), 5, 5);
    QFont f(QStringLiteral("Liberation Serif"));
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(255, 230, 0));
    p.drawText(QRectF(5, 16, 10, 10), Qt::AlignCenter, QString(QChar(0x00A9)));
    p.end();
    return pixmap;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addPixmap(ProgramPixmap(size));
    return icon;
}

} // namespace vellinor
