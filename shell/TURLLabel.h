#pragma once
// A link label: underlined Verdana text that opens its target with the
// default handler when clicked, and shows itself visited afterwards.

#include "platform/Color.h"

#include <QLabel>
#include <QUrl>

namespace vellinor {

class TURLLabel : public QLabel {
    Q_OBJECT
public:
    static constexpr TColor kLinkColor = 0x00783C3C;
    static constexpr TColor kVisitedColor = 0x00465F82;

    explicit TURLLabel(QWidget* parent = nullptr);

    QUrl Target() const { return fTarget; }
    void SetTarget(const QUrl& target) { fTarget = target; }
    bool Visited() const { return fVisited; }
    // Opens the target; what a click does.
    void Open();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ApplyColor();

    QUrl fTarget;
    bool fVisited = false;
};

// A colour word as a Qt colour.
QColor QColorOf(TColor color);

} // namespace vellinor
