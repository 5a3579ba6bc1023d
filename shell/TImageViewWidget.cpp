#include "shell/TImageViewWidget.h"

#include "shell/ViewCursorShapes.h"
#include "shell/VirtualKeys.h"
#include "view/ViewTimer.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QWheelEvent>
#include <cstring>

namespace vellinor {

namespace {

constexpr int kNotch = 120;

class TQtTimer : public TIETimer {
public:
    TQtTimer() {
        QObject::connect(&fTimer, &QTimer::timeout, [this] {
            if (OnTimer) OnTimer();
        });
    }
    void Start(int intervalMs) override { fTimer.start(intervalMs); }
    void Stop() override { fTimer.stop(); }
    bool Active() const override { return fTimer.isActive(); }

private:
    QTimer fTimer;
};

TMouseButton ButtonOf(Qt::MouseButton button) {
    switch (button) {
    case Qt::RightButton:
        return mbRight;
    case Qt::MiddleButton:
        return mbMiddle;
    default:
        return mbLeft;
    }
}

} // namespace

TImageViewWidget::TImageViewWidget(DOrevaDeVeri& view, QWidget* parent)
    : QWidget(parent), fView(view), fHorizontal(new QScrollBar(Qt::Horizontal, this)),
      fVertical(new QScrollBar(Qt::Vertical, this)) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    fHorizontal->hide();
    fVertical->hide();
    connect(fHorizontal, &QScrollBar::valueChanged, this, [this] { ScrollBarMoved(); });
    connect(fVertical, &QScrollBar::valueChanged, this, [this] { ScrollBarMoved(); });
    fView.SetScrollBarSize(style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    fView.SetHost(this);
}

TImageViewWidget::~TImageViewWidget() {
    fView.SetHost(nullptr);
}

void TImageViewWidget::ViewChanged() {
    SyncScrollBars();
    CopyBackBuffer();
    update();
}

void TImageViewWidget::ShowViewCursor(int index) {
    setCursor(CursorForIndex(index));
}

std::unique_ptr<TIETimer> TImageViewWidget::CreateTimer() {
    return std::make_unique<TQtTimer>();
}

void TImageViewWidget::WakeViewThread() {
    // Queued: runs on this widget's thread, and not at all once it is gone.
    QMetaObject::invokeMethod(
        this, [this] { fView.DispatchPostedWork(); }, Qt::QueuedConnection);
}

void TImageViewWidget::SyncScrollBars() {
    fSyncing = true;
    const int visibleW = fView.VisibleWidth(), visibleH = fView.VisibleHeight();
    const int thickness = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    auto apply = [](QScrollBar* bar, const TIEScrollInfo& info) {
        bar->setRange(0, info.Max);
        bar->setPageStep(info.Page);
        bar->setSingleStep(info.Line);
        bar->setValue(info.Position);
        bar->setVisible(info.Visible);
    };
    apply(fHorizontal, fView.HorizontalScroll());
    apply(fVertical, fView.VerticalScroll());
    fHorizontal->setGeometry(0, visibleH, visibleW, thickness);
    fVertical->setGeometry(visibleW, 0, thickness, visibleH);
    fSyncing = false;
}

void TImageViewWidget::CopyBackBuffer() {
    TIEBitmap& buffer = fView.BackBuffer();
    if (buffer.IsVoid() || buffer.PixelFormat() != ie24RGB) {
        fShown = QImage();
        return;
    }
    const int w = buffer.Width(), h = buffer.Height();
    if (fShown.width() != w || fShown.height() != h) fShown = QImage(w, h, QImage::Format_BGR888);
    for (int y = 0; y < h; ++y)
        std::memcpy(fShown.scanLine(y), buffer.Row(y), 3 * size_t(w));
}

void TImageViewWidget::ScrollBarMoved() {
    if (fSyncing) return;
    fView.SetViewXY(fHorizontal->value(), fVertical->value());
}

void TImageViewWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (!fShown.isNull()) painter.drawImage(0, 0, fShown);
}

void TImageViewWidget::resizeEvent(QResizeEvent*) {
    fView.SetClientSize(width(), height());
    SyncScrollBars();
}

TIEMouseEvent TImageViewWidget::MouseEventOf(const QMouseEvent& event) const {
    TIEMouseEvent e;
    e.Button = ButtonOf(event.button());
    e.Shift = ShiftStateOf(event.modifiers(), event.buttons());
    const QPoint p = event.position().toPoint();
    e.X = p.x();
    e.Y = p.y();
    return e;
}

void TImageViewWidget::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    fView.MouseDown(MouseEventOf(*event));
}

void TImageViewWidget::mouseMoveEvent(QMouseEvent* event) {
    fView.MouseMove(MouseEventOf(*event));
}

void TImageViewWidget::mouseReleaseEvent(QMouseEvent* event) {
    fView.MouseUp(MouseEventOf(*event));
}

void TImageViewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    TIEMouseEvent e = MouseEventOf(*event);
    e.Shift |= ssDouble;
    fView.MouseDown(e);
    fView.DoubleClick(e);
}

void TImageViewWidget::wheelEvent(QWheelEvent* event) {
    fWheelY += event->angleDelta().y();
    fWheelX += event->angleDelta().x();
    TIEWheelEvent e;
    e.Shift = ShiftStateOf(event->modifiers(), event->buttons());
    const QPoint p = event->position().toPoint();
    e.X = p.x();
    e.Y = p.y();
    auto notches = [&](int& remainder, bool horizontal) {
        while (remainder >= kNotch || remainder <= -kNotch) {
            e.Delta = remainder > 0 ? kNotch : -kNotch;
            e.Horizontal = horizontal;
            remainder -= e.Delta;
            fView.MouseWheel(e);
        }
    };
    notches(fWheelY, false);
    notches(fWheelX, true);
    event->accept();
}

void TImageViewWidget::keyPressEvent(QKeyEvent* event) {
    TIEKeyEvent e;
    e.Key = VirtualKeyOf(event->key());
    e.Shift = ShiftStateOf(event->modifiers());
    if (e.Key != 0) fView.KeyDown(e);
    if (!e.Handled) QWidget::keyPressEvent(event);
}

} // namespace vellinor
