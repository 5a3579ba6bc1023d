#pragma once
// The Qt widget that shows a DOrevaDeVeri: it blits the view's back buffer,
// owns the scroll bars, and hands mouse, wheel and key events and timer ticks
// to the view as plain structs.

#include "view/DOrevaDeVeri.h"
#include "view/ViewHost.h"

#include <QImage>
#include <QWidget>

class QScrollBar;

namespace vellinor {

class TImageViewWidget : public QWidget, public TIEViewHost {
    Q_OBJECT
public:
    explicit TImageViewWidget(DOrevaDeVeri& view, QWidget* parent = nullptr);
    ~TImageViewWidget() override;

    DOrevaDeVeri& View() { return fView; }
    QScrollBar* HorizontalBar() const { return fHorizontal; }
    QScrollBar* VerticalBar() const { return fVertical; }
    // What the widget paints: a copy of the back buffer.
    const QImage& ShownImage() const { return fShown; }

    // TIEViewHost
    void ViewChanged() override;
    void ShowViewCursor(int index) override;
    std::unique_ptr<TIETimer> CreateTimer() override;
    void WakeViewThread() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SyncScrollBars();
    void CopyBackBuffer();
    void ScrollBarMoved();
    TIEMouseEvent MouseEventOf(const QMouseEvent& event) const;

    DOrevaDeVeri& fView;
    QScrollBar* fHorizontal;
    QScrollBar* fVertical;
    QImage fShown;
    bool fSyncing = false;
    int fWheelY = 0; // angle not yet turned into whole notches
    int fWheelX = 0;
};

} // namespace vellinor
