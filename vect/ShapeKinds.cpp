// How each kind of object is drawn with the canvas (text objects go on to
// LayoutText). Labels of rulers, angles and labelled lines are kept simple:
// one line of text in a box near the shape.

#include "platform/PlatformBitmap.h"
#include "vect/ShapeDrawing.h"
#include "vect/TIECanvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace vellinor {

namespace {

constexpr double kPi = 3.14159265358979323846;

TPoint Rounded(double x, double y) {
    return {static_cast<int32_t>(std::lround(std::clamp(x, -1e9, 1e9))),
            static_cast<int32_t>(std::lround(std::clamp(y, -1e9, 1e9)))};
}

// An arrow head with its tip at `tip`, pointing away from `from`.
void DrawArrow(TIECanvas& canvas, TPoint tip, TPoint from, double width, double length,
               uint8_t shape) {
    const double dx = tip.X - from.X, dy = tip.Y - from.Y;
    const double d = std::hypot(dx, dy);
    if (d == 0 || shape == 0) return;
    const double ux = dx / d, uy = dy / d;
    const double bx = tip.X - ux * length, by = tip.Y - uy * length;
    const TPoint left = Rounded(bx - uy * width / 2, by + ux * width / 2);
    const TPoint right = Rounded(bx + uy * width / 2, by - ux * width / 2);
    if (shape == 2) { // open
        canvas.Line(left.X, left.Y, tip.X, tip.Y);
        canvas.Line(right.X, right.Y, tip.X, tip.Y);
        return;
    }
    const TPoint head[] = {tip, left, right};
    canvas.Polygon(head);
}

// The font a label or text is drawn with at this zoom.
TLogFontA ZoomedFont(const TVectShape& s, double zoomY) {
    TLogFontA lf = s.Font ? *s.Font : TLogFontA{};
    lf.lfHeight = static_cast<int32_t>(std::trunc(lf.lfHeight * zoomY));
    lf.lfQuality = LogFontQualityOf(s.FontQuality);
    return lf;
}

// One line of text in a box centred at (cx, cy); returns the box.
TRect DrawLabel(TIECanvas& canvas, const TVectShape& s, double zoomY, int cx, int cy,
                const std::string& text, TColor fill, uint8_t fillStyle, uint8_t border) {
    const HFONT old = canvas.SelectFont(CreateFontIndirectA(ZoomedFont(s, zoomY)));
    const TSize size = canvas.TextExtent(text);
    const int w = size.cx + 4, h = size.cy + 2;
    const TRect box{cx - w / 2, cy - h / 2, cx - w / 2 + w, cy - h / 2 + h};
    canvas.SetBrush(fill, s.Opacity, fillStyle);
    switch (border) {
    case 0:
        if (fillStyle != bsClear) canvas.FillRect(box.Left, box.Top, box.Right, box.Bottom);
        break;
    case 2:
        canvas.RoundRect(box.Left, box.Top, box.Right, box.Bottom, 10, 10);
        break;
    case 3:
        canvas.Ellipse(box.Left, box.Top, box.Right, box.Bottom);
        break;
    default:
        canvas.Rectangle(box.Left, box.Top, box.Right, box.Bottom);
        break;
    }
    canvas.SetBrushStyle(bsClear);
    canvas.SetTextColor(s.PenColor);
    canvas.TextOut(box.Left + 2, box.Top + 1, text);
    canvas.SelectFont(old);
    return box;
}

// A length in bitmap pixels in a measure unit.
double InUnit(double pixels, uint8_t unit, int dpi) {
    const double inches = pixels / std::max(dpi, 1);
    switch (unit) {
    case ieuINCHES:
        return inches;
    case ieuKM:
        return inches * 0.0254 / 1000;
    case ieuMETERS:
        return inches * 0.0254;
    case ieuCENTIMETERS:
        return inches * 2.54;
    case ieuMILLIMETERS:
        return inches * 25.4;
    case ieuMICRONS:
        return inches * 25400;
    case ieuNANOMETERS:
        return inches * 25400000;
    default:
        return pixels;
    }
}

const char* UnitName(uint8_t unit) {
    static const char* const kNames[] = {"pixels", "inches", "km",      "mt",
                                         "cm",     "mm",     "microns", "nanometers"};
    return unit < 8 ? kNames[unit] : kNames[0];
}

std::string FixedText(double value, int digits) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", std::clamp(digits, 0, 15), value);
    return buffer;
}

} // namespace

void REzoreZuDidu::DrawKind(TIECanvas& canvas, TVectShape& s, int hobj, const TDrawContext& c) {
    const int x1 = c.X1, y1 = c.Y1, x2 = c.X2, y2 = c.Y2;
    const double zx = c.Map.ZoomX, zy = c.Map.ZoomY;
    switch (s.Kind) {
    case vkLine:
    case vkLabelledLine: {
        if (c.PenWidth > 1) canvas.SetRoundPen(s.PenColor, c.PenWidth);
        canvas.Line(x1, y1, x2, y2);
        // Heads: outlined with a one-pixel pen so that their fill shows.
        canvas.SetPen(s.PenColor, s.Opacity, 1, psSolid);
        canvas.SetBrush(s.FillColor, s.Opacity, s.FillStyle);
        DrawArrow(canvas, {x1, y1}, {x2, y2}, s.ArrowWidth * zx, s.ArrowLength * zy, s.StartArrow);
        DrawArrow(canvas, {x2, y2}, {x1, y1}, s.ArrowWidth * zx, s.ArrowLength * zy, s.EndArrow);
        if (s.Kind == vkLabelledLine && s.Text && !s.Text->empty()) {
            canvas.SetPen(s.PenColor, s.Opacity, 1, psSolid);
            const bool swapped = s.LabelEnd == 1;
            const int lx = swapped ? x1 : x2, ly = swapped ? y1 : y2;
            s.LabelRect = DrawLabel(canvas, s, zy, lx, ly, *s.Text, s.LabelFillColor,
                                    s.LabelFillStyle, s.LabelBorder);
        }
        break;
    }
    case vkBox:
        canvas.SetPenJoin(pjMiter);
        if (s.Highlight != 0) {
            canvas.AndRect(x1, y1, x2 + 1, y2 + 1, s.FillColor);
        } else {
            canvas.Rectangle(x1, y1, x2 + 1, y2 + 1);
        }
        break;
    case vkEllipse:
        canvas.Ellipse(x1, y1, x2 + 1, y2 + 1);
        break;
    case vkArc: {
        const double rx = (x2 - x1) / 2.0, ry = (y2 - y1) / 2.0;
        auto at = [&](double angle) {
            return TPoint{x1 + static_cast<int32_t>(std::trunc(rx + std::cos(angle) * rx)),
                          y1 + static_cast<int32_t>(std::trunc(ry + std::sin(angle) * ry))};
        };
        const TPoint a = at(s.ArcStart), b = at(s.ArcEnd);
        canvas.Arc(x1, y1, x2 + 1, y2 + 1, a.X, a.Y, b.X, b.Y);
        break;
    }
    case vkPicture: {
        TIEBitmap* picture = fPictures.Picture(s.PictureIndex);
        if (picture == nullptr) {
            // No picture: a crossed rectangle.
            canvas.SetBrushStyle(bsClear);
            canvas.Rectangle(x1, y1, x2 + 1, y2 + 1);
            canvas.Line(x1, y1, x2, y2);
            canvas.Line(x2, y1, x1, y2);
            break;
        }
        // Into the buffer the colours are copied (the alpha pass takes the coverage).
        if (c.IntoBuffer) {
            TIEPaintOptions o = PaintRectToRect(
                TIEPaintRect{x1 - canvas.Surface().OriginX, y1 - canvas.Surface().OriginY,
                             x2 - x1 + 1, y2 - y1 + 1},
                TIEPaintRect{0, 0, picture->Width(), picture->Height()}, BitmapResampleFilter);
            o.UseAlpha = false;
            canvas.Touch(x1, y1);
            canvas.Touch(x2 + 1, y2 + 1);
            if (!c.AlphaPass) picture->PaintTo(*canvas.Surface().Bitmap, o);
        } else {
            canvas.StretchPicture(*picture, x1, y1, x2 + 1, y2 + 1, s.Opacity,
                                  BitmapResampleFilter);
        }
        if (s.PictureBorder != 0) {
            canvas.SetPen(s.PenColor, s.Opacity, c.PenWidth, psInsideFrame);
            canvas.SetBrushStyle(bsClear);
            canvas.Rectangle(x1, y1, x2 + 1, y2 + 1);
        }
        break;
    }
    case vkText:
    case vkRichText:
        canvas.SetPenJoin(pjMiter);
        if (s.RichBackPicture != 0 && !c.AlphaPass) {
            if (TIEBitmap* picture = fPictures.Picture(s.PictureIndex))
                canvas.StretchPicture(*picture, x1, y1, x2 + 1, y2 + 1, s.Opacity,
                                      BitmapResampleFilter);
        }
        LayoutText(canvas, s, hobj, x1, y1, x2, y2, zx, zy, c.AlphaPass);
        break;
    case vkRuler: {
        if (c.PenWidth > 1) canvas.SetRoundPen(s.PenColor, c.PenWidth);
        canvas.Line(x1, y1, x2, y2);
        const double length = std::hypot(static_cast<double>(s.Right) - s.Left,
                                         static_cast<double>(s.Bottom) - s.Top);
        const std::string label = FixedText(InUnit(length, s.RulerUnit, DpiX), s.RulerDigits) +
                                  " " + UnitName(s.RulerUnit);
        canvas.SetPen(s.PenColor, s.Opacity, 1, psSolid);
        s.LabelRect = DrawLabel(canvas, s, zy, (x1 + x2) / 2, (y1 + y2) / 2, label,
                                s.LabelFillColor, s.LabelFillStyle, s.LabelBorder);
        break;
    }
    case vkPolyline: {
        const TRect& base = s.PolyBase;
        const double bw = static_cast<double>(base.Right) - base.Left,
                     bh = static_cast<double>(base.Bottom) - base.Top;
        const double w = static_cast<double>(s.Right) - s.Left,
                     h = static_cast<double>(s.Bottom) - s.Top;
        s.DrawPoints.clear();
        for (const TPoint& p : s.PolyPoints) {
            const double bx = s.Left + (bw != 0 ? (p.X - base.Left) * w / bw : 0);
            const double by = s.Top + (bh != 0 ? (p.Y - base.Top) * h / bh : 0);
            const TPoint r = Rounded(bx, by);
            s.DrawPoints.push_back({c.Map.X(r.X), c.Map.Y(r.Y)});
        }
        canvas.SetPenJoin(pjRound);
        if (s.DrawPoints.empty()) break;
        if (s.PolyClosed != 0) {
            canvas.Polygon(s.DrawPoints);
        } else {
            canvas.Polyline(s.DrawPoints);
        }
        break;
    }
    case vkAngle: {
        TPoint p[3];
        for (int i = 0; i < 3; ++i)
            p[i] = {c.Map.X(s.AnglePoints[i].X), c.Map.Y(s.AnglePoints[i].Y)};
        canvas.Line(p[0].X, p[0].Y, p[1].X, p[1].Y);
        canvas.Line(p[0].X, p[0].Y, p[2].X, p[2].Y);
        const TPoint& v = s.AnglePoints[0];
        const double a1 = std::atan2(static_cast<double>(s.AnglePoints[1].Y) - v.Y,
                                     static_cast<double>(s.AnglePoints[1].X) - v.X);
        const double a2 = std::atan2(static_cast<double>(s.AnglePoints[2].Y) - v.Y,
                                     static_cast<double>(s.AnglePoints[2].X) - v.X);
        double degrees = std::abs(a1 - a2) * 180 / kPi;
        if (degrees > 180) degrees = 360 - degrees;
        canvas.SetPen(s.PenColor, s.Opacity, 1, psSolid);
        s.LabelRect =
            DrawLabel(canvas, s, zy, p[0].X, p[0].Y, FixedText(degrees, FloatDigits) + "°",
                      s.LabelFillColor, s.LabelFillStyle, s.LabelBorder);
        break;
    }
    case vkCustom:
        if (s.Custom) s.Custom->Draw(canvas, Rect(x1, y1, x2, y2), c.AlphaPass);
        break;
    default:
        break;
    }
}

} // namespace vellinor
