// Mouse, wheel and keys: zoom by click, scroll by drag, the wheel algorithm
// and the scroll keys.

#include "view/DOrevaDeVeri.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vellinor {

namespace {

// A press becomes a drag once the pointer has moved this far.
constexpr int kDragThreshold = 3;

enum VirtualKey : int {
    vkPageUp = 33,
    vkPageDown = 34,
    vkLeft = 37,
    vkUp = 38,
    vkRight = 39,
    vkDown = 40,
};

int RoundHalfEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}

} // namespace

void DOrevaDeVeri::MouseDown(const TIEMouseEvent& event) {
    fPressed = true;
    fDragging = false;
    fPressButton = event.Button;
    fPressX = event.X;
    fPressY = event.Y;
    fPressViewX = fViewX;
    fPressViewY = fViewY;
}

void DOrevaDeVeri::MouseMove(const TIEMouseEvent& event) {
    if (!fPressed || !fMouseInteract.Has(miScroll)) return;
    const int dx = event.X - fPressX, dy = event.Y - fPressY;
    if (!fDragging && std::abs(dx) < kDragThreshold && std::abs(dy) < kDragThreshold) return;
    fDragging = true;
    SetViewXY(fPressViewX - dx, fPressViewY - dy);
}

void DOrevaDeVeri::MouseUp(const TIEMouseEvent& event) {
    if (!fPressed) return;
    fPressed = false;
    const bool clicked = !fDragging;
    fDragging = false;
    if (clicked && fMouseInteract.Has(miZoom)) {
        const bool zoomOut = event.Button == mbRight || (event.Shift & ssShift) != 0;
        if (event.Button == mbLeft || event.Button == mbRight) {
            if (zoomOut)
                ZoomOut(event.X, event.Y);
            else
                ZoomIn(event.X, event.Y);
        }
    }
    if (event.Button == mbLeft && OnClick) OnClick(*this);
}

void DOrevaDeVeri::DoubleClick(const TIEMouseEvent& event) {}

bool DOrevaDeVeri::MouseWheel(const TIEWheelEvent& event) {
    const TIEMouseWheelParams& p = MouseWheelParams;
    if (p.WheelAction == 0 || fAutoFit) return false;
    int direction = event.Delta < 1 ? 1 : -1; // towards the user: down, or zoom in
    if (p.WheelInverted) direction = -direction;
    if (p.WheelAction == 1) return WheelScroll(event, direction);
    if (p.WheelAction == 2) return WheelZoom(event, direction);
    return false;
}

bool DOrevaDeVeri::WheelScroll(const TIEWheelEvent& event, int direction) {
    const TIEMouseWheelParams& p = MouseWheelParams;
    const bool onlyHorizontal = fExtentX > fVisibleWidth && fExtentY <= fVisibleHeight;
    const bool horizontal = event.Horizontal || onlyHorizontal;
    int step;
    if (p.WheelAmountKind == 1) {
        const int visible = horizontal ? fVisibleWidth : fVisibleHeight;
        step = std::max(RoundHalfEven(visible * static_cast<double>(p.WheelAmount) / 100), 1);
    } else {
        step = p.WheelAmount * std::max(static_cast<int>(std::trunc(fZoomX / 100)), 1);
    }
    if (horizontal)
        SetViewXY(fViewX + direction * step, fViewY);
    else
        SetViewXY(fViewX, fViewY + direction * step);
    return true;
}

bool DOrevaDeVeri::WheelZoom(const TIEWheelEvent& event, int direction) {
    const TIEMouseWheelParams& p = MouseWheelParams;
    double zoom;
    if (p.WheelAmountKind == 0)
        zoom = fZoomX + direction * p.WheelAmount;
    else
        zoom = fZoomX + direction * std::max(RoundHalfEven(p.WheelAmount * fZoomX / 100), 1);
    if (!(zoom > 0)) return true;
    if (zoom > fZoomX && OnZoomIn) OnZoomIn(*this, zoom);
    if (zoom < fZoomX && OnZoomOut) OnZoomOut(*this, zoom);
    if (p.WheelZoomAtPointer)
        ZoomAt(zoom, event.X, event.Y);
    else
        SetZoom(zoom);
    return true;
}

void DOrevaDeVeri::KeyDown(TIEKeyEvent& event) {
    switch (event.Key) {
    case vkLeft:
        ScrollLines(true, -1);
        break;
    case vkRight:
        ScrollLines(true, 1);
        break;
    case vkUp:
        ScrollLines(false, -1);
        break;
    case vkDown:
        ScrollLines(false, 1);
        break;
    case vkPageUp:
        ScrollPages(false, -1);
        break;
    case vkPageDown:
        ScrollPages(false, 1);
        break;
    default:
        return;
    }
    event.Handled = true;
}

} // namespace vellinor
