// Zoom, fit, scroll position and the conversions between bitmap and screen.
//
// A bitmap column x starts at screen column OffsetX() + floor(x * zoom / 100);
// a picture smaller than the visible area is centred in it.

#include "view/DOrevaDeVeri.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace vellinor {

namespace {

// The steps of a mouse zoom (percent).
constexpr double kZoomSteps[] = {1,   2,   3,   5,    8,    10,   15,   20,   25,
                                 33,  50,  67,  75,   100,  125,  150,  200,  300,
                                 400, 600, 800, 1200, 1600, 2400, 3200, 4800, 6400};

// The largest zoomed size kept in int arithmetic with room to spare.
constexpr double kMaxExtent = 1 << 28;

int Extent(int size, double zoom) {
    if (size <= 0) return 0;
    return std::max(1, static_cast<int>(std::floor(size * zoom / 100 + 1e-9)));
}

int FloorInt(double v) {
    return static_cast<int>(std::clamp(std::floor(v + 1e-9), -2e9, 2e9));
}

} // namespace

double DOrevaDeVeri::ClampZoom(double percent) const {
    const int largest = std::max(fCurrent->Width(), fCurrent->Height());
    if (largest > 0) percent = std::min(percent, kMaxExtent * 100 / largest);
    return std::max(percent, 1e-3);
}

double DOrevaDeVeri::GetFitZoom() const {
    const int w = fCurrent->Width(), h = fCurrent->Height();
    if (w <= 0 || h <= 0 || fClientWidth <= 0 || fClientHeight <= 0) return 100;
    return 100 *
           std::min(static_cast<double>(fClientWidth) / w, static_cast<double>(fClientHeight) / h);
}

void DOrevaDeVeri::FitAfterLoad() {
    if (fCurrent->Width() <= 0 || fCurrent->Height() <= 0) return;
    if (fClientWidth <= 0 || fClientHeight <= 0) return;
    fZoomX = fZoomY = ClampZoom(GetFitZoom());
    fViewX = fViewY = 0;
    ChangeView();
    Update();
}

void DOrevaDeVeri::SetAutoFit(bool value) {
    fAutoFit = value;
}

void DOrevaDeVeri::SetZoom(double percent) {
    if (!(percent > 0)) return;
    const int x = fVisibleWidth / 2, y = fVisibleHeight / 2;
    ZoomAt(percent, x, y);
}

void DOrevaDeVeri::ZoomAt(double percent, int x, int y) {
    if (!(percent > 0)) return;
    const double bx = (x - OffsetX()) * 100 / fZoomX;
    const double by = (y - OffsetY()) * 100 / fZoomY;
    ApplyZoom(percent, bx, by, x, y);
}

void DOrevaDeVeri::ApplyZoom(double percent, double anchorBmpX, double anchorBmpY, int anchorX,
                             int anchorY) {
    percent = ClampZoom(percent);
    fZoomX = fZoomY = percent;
    Layout();
    fViewX = FloorInt(anchorBmpX * percent / 100) + fOffsetX - anchorX;
    fViewY = FloorInt(anchorBmpY * percent / 100) + fOffsetY - anchorY;
    ChangeView();
    Update();
}

void DOrevaDeVeri::ZoomIn(int x, int y) {
    if (fAutoFit) return;
    const double* next =
        std::upper_bound(std::begin(kZoomSteps), std::end(kZoomSteps), fZoomX * (1 + 1e-9));
    if (next == std::end(kZoomSteps)) return;
    if (OnZoomIn) OnZoomIn(*this, *next);
    ZoomAt(*next, x, y);
}

void DOrevaDeVeri::ZoomOut(int x, int y) {
    if (fAutoFit) return;
    const double* below =
        std::lower_bound(std::begin(kZoomSteps), std::end(kZoomSteps), fZoomX * (1 - 1e-9));
    if (below == std::begin(kZoomSteps)) return;
    const double next = *(below - 1);
    if (OnZoomOut) OnZoomOut(*this, next);
    ZoomAt(next, x, y);
}

// --- Layout ---------------------------------------------------------------------

void DOrevaDeVeri::SetClientSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == fClientWidth && height == fClientHeight) return;
    fClientWidth = width;
    fClientHeight = height;
    Update();
}

void DOrevaDeVeri::SetScrollBarSize(int size) {
    size = std::max(size, 0);
    if (size == fScrollBarSize) return;
    fScrollBarSize = size;
    Update();
}

void DOrevaDeVeri::Layout() {
    fExtentX = Extent(fCurrent->Width(), fZoomX);
    fExtentY = Extent(fCurrent->Height(), fZoomY);
    bool horizontal = fExtentX > fClientWidth;
    bool vertical = fExtentY > fClientHeight;
    if (horizontal && !vertical) vertical = fExtentY > fClientHeight - fScrollBarSize;
    if (vertical && !horizontal) horizontal = fExtentX > fClientWidth - fScrollBarSize;
    fHorizontalBar = horizontal;
    fVerticalBar = vertical;
    fVisibleWidth = std::max(0, fClientWidth - (vertical ? fScrollBarSize : 0));
    fVisibleHeight = std::max(0, fClientHeight - (horizontal ? fScrollBarSize : 0));
    fOffsetX = fExtentX < fVisibleWidth ? (fVisibleWidth - fExtentX) / 2 : 0;
    fOffsetY = fExtentY < fVisibleHeight ? (fVisibleHeight - fExtentY) / 2 : 0;
    fViewX = std::clamp(fViewX, 0, std::max(0, fExtentX - fVisibleWidth));
    fViewY = std::clamp(fViewY, 0, std::max(0, fExtentY - fVisibleHeight));
}

// --- Scrolling ---------------------------------------------------------------------

void DOrevaDeVeri::SetViewXY(int x, int y) {
    x = std::clamp(x, 0, std::max(0, fExtentX - fVisibleWidth));
    y = std::clamp(y, 0, std::max(0, fExtentY - fVisibleHeight));
    if (x == fViewX && y == fViewY) return;
    fViewX = x;
    fViewY = y;
    ChangeView();
    PaintBackBuffer();
    PresentBackBuffer();
}

namespace {

TIEScrollInfo ScrollInfo(bool visible, int extent, int shown, const TIEScrollBarParams& params,
                         int position) {
    TIEScrollInfo info;
    info.Visible = visible;
    info.Max = std::max(0, extent - shown);
    info.Page = params.PageStep > 0 ? params.PageStep : std::max(shown, 1);
    info.Line = params.LineStep > 0 ? params.LineStep : 1;
    info.Position = position;
    return info;
}

} // namespace

TIEScrollInfo DOrevaDeVeri::HorizontalScroll() const {
    return ScrollInfo(fHorizontalBar, fExtentX, fVisibleWidth, HorizontalScrollBarParams, fViewX);
}

TIEScrollInfo DOrevaDeVeri::VerticalScroll() const {
    return ScrollInfo(fVerticalBar, fExtentY, fVisibleHeight, VerticalScrollBarParams, fViewY);
}

void DOrevaDeVeri::ScrollLines(bool horizontal, int lines) {
    if (horizontal)
        SetViewXY(fViewX + lines * HorizontalScroll().Line, fViewY);
    else
        SetViewXY(fViewX, fViewY + lines * VerticalScroll().Line);
}

void DOrevaDeVeri::ScrollPages(bool horizontal, int pages) {
    if (horizontal)
        SetViewXY(fViewX + pages * HorizontalScroll().Page, fViewY);
    else
        SetViewXY(fViewX, fViewY + pages * VerticalScroll().Page);
}

// --- Conversions ---------------------------------------------------------------------

int DOrevaDeVeri::XBmp2Scr(int x) const {
    return OffsetX() + FloorInt(x * fZoomX / 100);
}

int DOrevaDeVeri::YBmp2Scr(int y) const {
    return OffsetY() + FloorInt(y * fZoomY / 100);
}

int DOrevaDeVeri::XScr2Bmp(int x) const {
    return FloorInt((x - OffsetX()) * 100 / fZoomX);
}

int DOrevaDeVeri::YScr2Bmp(int y) const {
    return FloorInt((y - OffsetY()) * 100 / fZoomY);
}

} // namespace vellinor
