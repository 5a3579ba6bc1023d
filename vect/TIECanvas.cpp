#include "vect/TIECanvas.h"

#include "image/TIEBitmap.h"
#include "image/TIEBitmapPaint.h"
#include "platform/PlatformBitmap.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vellinor {

TIECanvas::TIECanvas(const TVectSurface& surface, bool, bool antialias, TRect& drawnBounds)
    : fSurface(surface), fCanvas(surface.Bitmap->Canvas()), fBounds(drawnBounds),
      fAntialias(antialias) {
    fCanvas.ResetClip();
    fCanvas.Pen() = TPen{};
    fCanvas.Brush() = TBrush{};
    fCanvas.SetTextAlign(TA_TOP | TA_LEFT);
}

// --- Pen and brush -----------------------------------------------------------------

void TIECanvas::SetPen(TColor color, int opacity, double width, uint8_t style) {
    TPen& pen = fCanvas.Pen();
    pen.Color = color;
    pen.Width = static_cast<int32_t>(std::clamp(std::ceil(width), 0.0, 1e6));
    pen.Style = style <= psInsideFrame ? static_cast<TPenStyle>(style) : psSolid;
    pen.Geometric = false;
    pen.Mode = pmCopy;
    fPenOpacity = std::clamp(opacity, 0, 255);
}

void TIECanvas::SetPenJoin(TPenJoin join) {
    fCanvas.Pen().Join = join;
}

void TIECanvas::SetRoundPen(TColor color, int width) {
    TPen& pen = fCanvas.Pen();
    pen.Color = color;
    pen.Width = width;
    pen.Style = psSolid;
    pen.Geometric = true;
    pen.EndCap = pecRound;
    pen.Join = pjRound;
}

void TIECanvas::SetPenMode(TPenMode mode) {
    fCanvas.Pen().Mode = mode;
}

void TIECanvas::SetBrush(TColor color, int opacity, uint8_t style) {
    fCanvas.Brush().Color = color;
    SetBrushStyle(style);
    fBrushOpacity = std::clamp(opacity, 0, 255);
}

void TIECanvas::SetBrushStyle(uint8_t style) {
    fCanvas.Brush().Style = style <= bsDiagCross ? static_cast<TBrushStyle>(style) : bsSolid;
}

// --- Shapes ------------------------------------------------------------------------

void TIECanvas::Touch(int x, int y) {
    fBounds.Left = std::min(fBounds.Left, x);
    fBounds.Top = std::min(fBounds.Top, y);
    fBounds.Right = std::max(fBounds.Right, x);
    fBounds.Bottom = std::max(fBounds.Bottom, y);
}

void TIECanvas::Line(int x1, int y1, int x2, int y2) {
    Touch(x1, y1);
    Touch(x2, y2);
    fCanvas.Line(DX(x1), DY(y1), DX(x2), DY(y2));
}

void TIECanvas::MoveTo(int x, int y) {
    Touch(x, y);
    fCanvas.MoveTo(DX(x), DY(y));
}

void TIECanvas::LineTo(int x, int y) {
    Touch(x, y);
    fCanvas.LineTo(DX(x), DY(y));
}

void TIECanvas::Rectangle(int x1, int y1, int x2, int y2) {
    Touch(x1, y1);
    Touch(x2, y2);
    fCanvas.Rectangle(DX(x1), DY(y1), DX(x2), DY(y2));
}

void TIECanvas::FillRect(int x1, int y1, int x2, int y2) {
    Touch(x1, y1);
    Touch(x2, y2);
    fCanvas.FillRect(Rect(DX(x1), DY(y1), DX(x2), DY(y2)));
}

void TIECanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) {
    Touch(x1, y1);
    Touch(x2, y2);
    fCanvas.RoundRect(DX(x1), DY(y1), DX(x2), DY(y2), cornerWidth, cornerHeight);
}

void TIECanvas::Ellipse(int x1, int y1, int x2, int y2) {
    Touch(x1, y1);
    Touch(x2, y2);
    fCanvas.Ellipse(DX(x1), DY(y1), DX(x2), DY(y2));
}

void TIECanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    Touch(x1, y1);
    Touch(x2, y2);
    fCanvas.Arc(DX(x1), DY(y1), DX(x2), DY(y2), DX(x3), DY(y3), DX(x4), DY(y4));
}

std::vector<TPoint> TIECanvas::DevicePoints(std::span<const TPoint> points) {
    std::vector<TPoint> device;
    device.reserve(points.size());
    for (const TPoint& p : points) {
        Touch(p.X, p.Y);
        device.push_back(Device(p));
    }
    return device;
}

void TIECanvas::Polygon(std::span<const TPoint> points) {
    fCanvas.Polygon(DevicePoints(points));
}

void TIECanvas::Polyline(std::span<const TPoint> points) {
    fCanvas.Polyline(DevicePoints(points));
}

void TIECanvas::AndRect(int x1, int y1, int x2, int y2, TColor color) {
    Touch(x1, y1);
    Touch(x2, y2);
    TPlatformBitmap& b = *fSurface.Bitmap;
    const TRect r = IntersectRect(NormalizedRect(Rect(DX(x1), DY(y1), DX(x2), DY(y2))),
                                  Rect(0, 0, b.Width(), b.Height()));
    if (r.IsEmpty()) return;
    const TRGB c = TColor2TRGB(color);
    const int bytes = b.BitCount() / 8;
    for (int y = r.Top; y < r.Bottom; ++y) {
        uint8_t* row = b.ScanLine(y);
        if (b.BitCount() == 8) {
            std::fill(row + r.Left, row + r.Right, c.r);
            continue;
        }
        if (b.BitCount() != 24 && b.BitCount() != 32) {
            for (int x = r.Left; x < r.Right; ++x) {
                const TRGB p = b.GetPixelRGB(x, y);
                b.SetPixelRGB(x, y,
                              TRGB{static_cast<uint8_t>(p.b & c.b), static_cast<uint8_t>(p.g & c.g),
                                   static_cast<uint8_t>(p.r & c.r)});
            }
            continue;
        }
        for (int x = r.Left; x < r.Right; ++x) {
            uint8_t* p = row + static_cast<size_t>(x) * bytes;
            p[0] &= c.b;
            p[1] &= c.g;
            p[2] &= c.r;
        }
    }
}

void TIECanvas::StretchPicture(TIEBitmap& picture, int x1, int y1, int x2, int y2, int opacity,
                               uint8_t filter) {
    Touch(x1, y1);
    Touch(x2, y2);
    const TRect d = NormalizedRect(Rect(DX(x1), DY(y1), DX(x2), DY(y2)));
    if (d.IsEmpty() || picture.Width() <= 0 || picture.Height() <= 0) return;
    TIEPaintOptions o = PaintRectToRect(
        TIEPaintRect{d.Left, d.Top, static_cast<int>(d.Width()), static_cast<int>(d.Height())},
        TIEPaintRect{0, 0, picture.Width(), picture.Height()},
        filter == rfTriangle ? rfTriangle : rfNone);
    o.Opacity = std::clamp(opacity, 0, 255);
    picture.PaintTo(*fSurface.Bitmap, o);
}

// --- Text ----------------------------------------------------------------------------

HFONT TIECanvas::SelectFont(const HFONT& font) {
    return fCanvas.SelectFont(font);
}

void TIECanvas::SetTextColor(TColor color) {
    fCanvas.SetTextColor(color);
}

TSize TIECanvas::TextExtent(std::string_view text) {
    return fCanvas.TextExtent(text);
}

void TIECanvas::TextOut(int x, int y, std::string_view text) {
    Touch(x, y);
    fCanvas.TextOut(DX(x), DY(y), text);
}

void TIECanvas::TextRect(const TRect& rect, int x, int y, std::string_view text) {
    Touch(rect.Left, rect.Top);
    Touch(rect.Right, rect.Bottom);
    fCanvas.TextRect(Rect(DX(rect.Left), DY(rect.Top), DX(rect.Right), DY(rect.Bottom)), DX(x),
                     DY(y), text);
}

} // namespace vellinor
