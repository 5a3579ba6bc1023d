#include "shell/TURLLabel.h"

#include "shell/UrlOpener.h"

#include <QMouseEvent>

namespace vellinor {

QColor QColorOf(TColor color) {
    const TRGB c = TColor2TRGB(color);
    return QColor(c.r, c.g, c.b);
}

TURLLabel::TURLLabel(QWidget* parent) : QLabel(parent) {
    QFont f(QStringLiteral("Verdana"));
    f.setPointSize(8);
    f.setUnderline(true);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
    ApplyColor();
}

void TURLLabel::Open() {
    if (!fTarget.isValid()) return;
    OpenUrl(fTarget);
    fVisited = true;
    ApplyColor();
}

void TURLLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) Open();
    QLabel::mouseReleaseEvent(event);
}

void TURLLabel::ApplyColor() {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, QColorOf(fVisited ? kVisitedColor : kLinkColor));
    setPalette(p);
}

} // namespace vellinor
