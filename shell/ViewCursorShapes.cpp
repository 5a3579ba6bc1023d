#include "shell/ViewCursorShapes.h"

#include "view/ViewCursors.h"

#include <QPainter>
#include <QPixmap>

namespace vellinor {

namespace {

// A magnifying glass with a plus or a minus; the hot spot is the lens centre.
QCursor Magnifier(bool plus) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(12, 12);
    p.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19, 19), QPointF(28, 28));
    p.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19, 19), QPointF(28, 28));
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QColor(255, 255, 255, 220));
    p.drawEllipse(centre, 9, 9);
    p.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(7.5, 12), QPointF(16.5, 12));
    if (plus) p.drawLine(QPointF(12, 7.5), QPointF(12, 16.5));
    p.end();
    return QCursor(pixmap, 12, 12);
}

Qt::CursorShape StandardShape(TCursorRole role) {
    switch (role) {
    case TCursorRole::Wait:
        return Qt::WaitCursor;
    case TCursorRole::Cross:
    case TCursorRole::AddPoint:
    case TCursorRole::RemovePoint:
        return Qt::CrossCursor;
    case TCursorRole::Hand:
        return Qt::OpenHandCursor;
    case TCursorRole::Pen:
        return Qt::CrossCursor;
    case TCursorRole::Eraser:
        return Qt::PointingHandCursor;
    case TCursorRole::SizeDiagonalDown:
        return Qt::SizeFDiagCursor;
    case TCursorRole::SizeDiagonalUp:
        return Qt::SizeBDiagCursor;
    case TCursorRole::SizeHorizontal:
        return Qt::SizeHorCursor;
    case TCursorRole::SizeVertical:
        return Qt::SizeVerCursor;
    case TCursorRole::SizeAll:
        return Qt::SizeAllCursor;
    case TCursorRole::Rotate:
        return Qt::ClosedHandCursor;
    default:
        return Qt::ArrowCursor;
    }
}

} // namespace

QCursor CursorForIndex(int index) {
    const TCursorRole role = CursorRole(index);
    if (role == TCursorRole::ZoomIn) {
        static const QCursor zoomIn = Magnifier(true);
        return zoomIn;
    }
    if (role == TCursorRole::ZoomOut) {
        static const QCursor zoomOut = Magnifier(false);
        return zoomOut;
    }
    return QCursor(StandardShape(role));
}

} // namespace vellinor
