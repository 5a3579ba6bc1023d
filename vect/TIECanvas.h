#pragma once
// TIECanvas: what the object drawing needs of a canvas, on a surface given
// in target coordinates. Every operation also extends the drawn bounds by the
// points it was given, so that the compositing knows what a drawing reached.
//
// There is no antialiasing library: shapes are drawn by the platform's own
// drawing layer, which draws opaque, so the pen and brush opacities are kept
// but not applied (translucent objects get their opacity from the object
// buffer instead, as text does).

#include "platform/Canvas.h"
#include "vect/TVectSurface.h"

#include <span>
#include <string_view>
#include <vector>

namespace vellinor {

class TIEBitmap;
struct TIEPaintOptions;

class TIECanvas {
public:
    TIECanvas(const TVectSurface& surface, bool allowGdiPlus, bool antialias, TRect& drawnBounds);
    TIECanvas(const TIECanvas&) = delete;
    TIECanvas& operator=(const TIECanvas&) = delete;

    const TVectSurface& Surface() const { return fSurface; }
    bool Antialias() const { return fAntialias; }

    // --- Pen and brush ---
    // style: the pen-style ordinal (inside-frame is kept; unknown values draw solid).
    void SetPen(TColor color, int opacity, double width, uint8_t style);
    void SetPenJoin(TPenJoin join);
    // A geometric solid pen with round caps and joins.
    void SetRoundPen(TColor color, int width);
    void SetPenMode(TPenMode mode);
    // style: the brush-style ordinal.
    void SetBrush(TColor color, int opacity, uint8_t style);
    void SetBrushStyle(uint8_t style);
    TPen& Pen() { return fCanvas.Pen(); }
    TBrush& Brush() { return fCanvas.Brush(); }
    int PenOpacity() const { return fPenOpacity; }
    int BrushOpacity() const { return fBrushOpacity; }

    // --- Shapes (target coordinates; the platform's rectangle rule) ---
    void Line(int x1, int y1, int x2, int y2);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Rectangle(int x1, int y1, int x2, int y2);
    void FillRect(int x1, int y1, int x2, int y2);
    void RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Polygon(std::span<const TPoint> points);
    void Polyline(std::span<const TPoint> points);
    // Each pixel of the rectangle gets its channels ANDed with the colour's
    // (an 8-bit surface gets the colour's red value).
    void AndRect(int x1, int y1, int x2, int y2, TColor color);
    // A picture stretched into the rectangle (x1, y1)-(x2, y2), Right and
    // Bottom outside, blended by its alpha plane and the opacity.
    void StretchPicture(TIEBitmap& picture, int x1, int y1, int x2, int y2, int opacity,
                        uint8_t filter);

    // --- Text (the drawing layer's text, always) ---
    HFONT SelectFont(const HFONT& font);
    void SetTextColor(TColor color);
    TSize TextExtent(std::string_view text);
    void TextOut(int x, int y, std::string_view text);
    // Clipped to rect (Right and Bottom outside).
    void TextRect(const TRect& rect, int x, int y, std::string_view text);

    // Extends the drawn bounds by a target point.
    void Touch(int x, int y);
    TCanvas& Gdi() { return fCanvas; }

private:
    int DX(int x) const { return x - fSurface.OriginX; }
    int DY(int y) const { return y - fSurface.OriginY; }
    TPoint Device(TPoint p) const { return {p.X - fSurface.OriginX, p.Y - fSurface.OriginY}; }
    // The points in the bitmap's pixels, each touched.
    std::vector<TPoint> DevicePoints(std::span<const TPoint> points);

    TVectSurface fSurface;
    TCanvas& fCanvas;
    TRect& fBounds;
    bool fAntialias;
    int fPenOpacity = 255;
    int fBrushOpacity = 255;
};

// The empty drawn bounds: the first touched point makes them a point.
constexpr TRect kNoBounds{2000000000, 2000000000, -2000000000, -2000000000};

} // namespace vellinor
