// Canvas state, clipping, pixels, lines and polygons.

#include "platform/Canvas.h"

#include "platform/PlatformBitmap.h"
#include "platform/Stroke.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vellinor {

namespace {

constexpr TColor kInvalidColor = 0xFFFFFFFF;

// Font holders equal in everything that makes the font record.
bool SameRecord(const TFont& a, const TFont& b) {
    return a.Name == b.Name && a.Height == b.Height && a.Style == b.Style &&
           a.Charset == b.Charset && a.Pitch == b.Pitch && a.Orientation == b.Orientation &&
           a.Quality == b.Quality && a.PixelsPerInch == b.PixelsPerInch;
}

TContour ToContour(std::span<const TPoint> points) {
    TContour c;
    c.reserve(points.size());
    for (const TPoint& p : points)
        c.push_back({static_cast<double>(p.X), static_cast<double>(p.Y)});
    return c;
}

// The contours of a poly-poly call; counts beyond the points are cut short.
std::vector<TContour> SplitContours(std::span<const TPoint> points, std::span<const int> counts) {
    std::vector<TContour> out;
    size_t at = 0;
    for (int count : counts) {
        if (count <= 0) continue;
        const size_t n = std::min(static_cast<size_t>(count), points.size() - at);
        out.push_back(ToContour(points.subspan(at, n)));
        at += n;
        if (at >= points.size()) break;
    }
    return out;
}

std::vector<TPoint> ToPoints(const TContour& c) {
    std::vector<TPoint> out;
    out.reserve(c.size());
    for (const TPointF& p : c)
        out.push_back({static_cast<int32_t>(std::lround(std::clamp(p.X, -2e9, 2e9))),
                       static_cast<int32_t>(std::lround(std::clamp(p.Y, -2e9, 2e9)))});
    return out;
}

} // namespace

TCanvas::TCanvas(TPlatformBitmap& target) : fTarget(target) {
    fRealizedBrush = fBrush;
    fRealizedFont = fFont;
    fTextColor = fFont.Color;
    fBkColor = fBrush.Color;
}

TCanvas::~TCanvas() = default;

// --- Selected objects and device-context state --------------------------------

void TCanvas::RealizeObjects() {
    if (!(fBrush == fRealizedBrush)) {
        fRealizedBrush = fBrush;
        if (fBrush.Style == bsSolid) {
            fBkColor = fBrush.Color;
            fBkMode = OPAQUE;
        } else {
            fBkColor = ~ColorToRGB(fBrush.Color) & 0xFFFFFF;
            fBkMode = TRANSPARENT;
        }
    }
    if (!(fFont == fRealizedFont)) {
        if (!SameRecord(fFont, fRealizedFont)) fSelectedFont.reset();
        fRealizedFont = fFont;
        fTextColor = fFont.Color;
    }
}

TPen TCanvas::SelectPen(const TPen& pen) {
    const TPen old = fPen;
    fPen = pen;
    return old;
}

TBrush TCanvas::SelectBrush(const TBrush& brush) {
    RealizeObjects();
    const TBrush old = fBrush;
    fBrush = brush;
    fRealizedBrush = brush;
    return old;
}

HFONT TCanvas::SelectFont(const HFONT& font) {
    RealizeObjects();
    HFONT old = fSelectedFont ? fSelectedFont : fFont.Handle();
    fSelectedFont = font;
    if (font) fSelectedLogFont = font->LogFont();
    return old;
}

const TLogFontA& TCanvas::CurrentLogFont() {
    RealizeObjects();
    if (fSelectedFont) return fSelectedLogFont;
    fCurrentLogFont = fFont.LogFont();
    return fCurrentLogFont;
}

TColor TCanvas::SetTextColor(TColor color) {
    RealizeObjects();
    return std::exchange(fTextColor, color);
}

TColor TCanvas::TextColor() {
    RealizeObjects();
    return fTextColor;
}

TColor TCanvas::SetBkColor(TColor color) {
    RealizeObjects();
    return std::exchange(fBkColor, color);
}

TColor TCanvas::BkColor() {
    RealizeObjects();
    return fBkColor;
}

TBackgroundMode TCanvas::SetBkMode(TBackgroundMode mode) {
    RealizeObjects();
    return std::exchange(fBkMode, mode == TRANSPARENT ? TRANSPARENT : OPAQUE);
}

TBackgroundMode TCanvas::BkMode() {
    RealizeObjects();
    return fBkMode;
}

uint32_t TCanvas::SetTextAlign(uint32_t flags) {
    return std::exchange(fTextAlign, flags);
}

TPolyFillMode TCanvas::SetPolyFillMode(TPolyFillMode mode) {
    return std::exchange(fPolyFillMode, mode == WINDING ? WINDING : ALTERNATE);
}

// --- Clipping -----------------------------------------------------------------

TRect TCanvas::EffectiveClip() const {
    const TRect bounds{0, 0, fTarget.Width(), fTarget.Height()};
    return fClip ? IntersectRect(*fClip, bounds) : bounds;
}

TRect TCanvas::ClipRect() const {
    return EffectiveClip();
}

void TCanvas::SetClipRect(const TRect& rect) {
    fClip = NormalizedRect(rect);
}

void TCanvas::IntersectClipRect(const TRect& rect) {
    const TRect r = NormalizedRect(rect);
    fClip = fClip ? IntersectRect(*fClip, r) : r;
    if (fClip->IsEmpty()) fClip = TRect{};
}

void TCanvas::ResetClip() {
    fClip.reset();
}

// --- Painting helpers -----------------------------------------------------------

TPaint TCanvas::PenPaint(TRasterTarget& target) const {
    TPaint p;
    p.Rop2 = Rop2OfPenMode(fPen.Mode);
    p.Fore = target.DeviceValue(fPen.Color);
    return p;
}

TPaint TCanvas::BrushPaint(TRasterTarget& target, const TBrush& brush) {
    RealizeObjects();
    TPaint p;
    p.Rop2 = Rop2OfPenMode(fPen.Mode);
    p.Fore = target.DeviceValue(brush.Color);
    if (IsHatchStyle(brush.Style)) {
        p.Hatched = true;
        for (int y = 0; y < 8; ++y)
            p.Pattern[y] = HatchPatternRow(brush.Style, y);
        p.Back = target.DeviceValue(fBkColor);
        p.BackOpaque = fBkMode == OPAQUE;
    }
    return p;
}

void TCanvas::Paint(TRasterTarget& target, const TSpanList& spans, const TPaint& paint) {
    const TRect clip = EffectiveClip();
    for (const TSpan& s : spans) {
        if (s.Y < clip.Top || s.Y >= clip.Bottom) continue;
        target.PaintSpan(s.Y, std::max(s.X0, clip.Left), std::min(s.X1, clip.Right), paint);
    }
}

void TCanvas::FillPolygons(TRasterTarget& target, std::span<const TContour> contours,
                           uint32_t value, const TRect& clip) {
    TSpanList spans;
    FillContours(contours, TFillRule::Winding, clip, spans);
    TPaint paint;
    paint.Fore = value;
    for (const TSpan& s : spans)
        target.PaintSpan(s.Y, s.X0, s.X1, paint);
}

void TCanvas::CosmeticOutline(std::span<const TPoint> points, bool closed, int64_t& stylePhase,
                              TOutline& outline) {
    const TRect clip = EffectiveClip();
    const std::span<const int> dashes = (fPen.Style >= psDash && fPen.Style <= psDashDotDot)
                                            ? CosmeticDashes(fPen.Style)
                                            : std::span<const int>{};
    int period = 0;
    for (int d : dashes)
        period += d;
    RealizeObjects();
    const bool paintGaps = fBkMode == OPAQUE;
    const size_t n = points.size();
    const size_t segments = closed ? n : (n == 0 ? 0 : n - 1);
    for (size_t i = 0; i < segments; ++i) {
        const TPoint a = points[i];
        const TPoint b = points[(i + 1) % n];
        const int64_t phase = stylePhase;
        stylePhase += RasterLine(a, b, clip, [&](int x, int y, int64_t step) {
            if (period == 0) {
                outline.On.push_back({y, x, x + 1});
                return;
            }
            int64_t at = (phase + step) % period;
            size_t run = 0;
            while (at >= dashes[run]) {
                at -= dashes[run];
                ++run;
            }
            if (run % 2 == 0) {
                outline.On.push_back({y, x, x + 1});
            } else if (paintGaps) {
                outline.Off.push_back({y, x, x + 1});
            }
        });
        if (period != 0) stylePhase %= period;
    }
    NormalizeSpans(outline.On);
    NormalizeSpans(outline.Off);
    outline.Off = SubtractSpans(outline.Off, outline.On);
}

void TCanvas::PathOutline(std::span<const TContour> paths, bool closed, TOutline& outline) {
    if (fPen.Style == psClear) return;
    if (!fPen.IsWide()) {
        // Styled or curved one-pixel outlines: the flattened path, pixel by pixel.
        int64_t phase = 0;
        for (const TContour& path : paths) {
            const std::vector<TPoint> points = ToPoints(path);
            TOutline part;
            CosmeticOutline(points, closed, phase, part);
            outline.On.insert(outline.On.end(), part.On.begin(), part.On.end());
            outline.Off.insert(outline.Off.end(), part.Off.begin(), part.Off.end());
        }
        NormalizeSpans(outline.On);
        NormalizeSpans(outline.Off);
        outline.Off = SubtractSpans(outline.Off, outline.On);
        return;
    }
    const double width = std::max(fPen.Width, 1);
    const TRect clip = EffectiveClip();
    std::vector<TContour> pieces;
    const bool dashed = fPen.Geometric && fPen.Style >= psDash && fPen.Style <= psDashDotDot;
    for (const TContour& path : paths) {
        if (!dashed) {
            StrokePolyline(path, closed, width, fPen.EndCap, fPen.Join, pieces);
            continue;
        }
        std::vector<double> pattern;
        for (int d : CosmeticDashes(fPen.Style))
            pattern.push_back(d * width / 3.0);
        const int margin = static_cast<int>(std::min(width, 1e9)) + 2;
        const TRect visible{clip.Left - margin, clip.Top - margin, clip.Right + margin,
                            clip.Bottom + margin};
        for (const TContour& dash : DashPolyline(path, closed, pattern, visible))
            StrokePolyline(dash, false, width, fPen.EndCap, fPen.Join, pieces);
    }
    FillContours(pieces, TFillRule::Winding, clip, outline.On);
    NormalizeSpans(outline.On);
}

void TCanvas::PaintShape(TRasterTarget& target, TSpanList& fill, TOutline& outline) {
    RealizeObjects();
    if (fBrush.Style != bsClear && !fill.empty()) {
        NormalizeSpans(fill);
        if (!outline.On.empty()) fill = SubtractSpans(fill, outline.On);
        if (!outline.Off.empty()) fill = SubtractSpans(fill, outline.Off);
        Paint(target, fill, BrushPaint(target, fBrush));
    }
    if (fPen.Style != psClear) {
        Paint(target, outline.On, PenPaint(target));
        if (!outline.Off.empty()) {
            TPaint gaps = PenPaint(target);
            gaps.Fore = target.DeviceValue(fBkColor);
            Paint(target, outline.Off, gaps);
        }
    }
}

// --- Pixels -------------------------------------------------------------------

TColor TCanvas::Pixel(int x, int y) const {
    if (!EffectiveClip().Contains({x, y})) return kInvalidColor;
    return TRGB2TColor(fTarget.GetPixelRGB(x, y));
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    if (!EffectiveClip().Contains({x, y})) return;
    TRasterTarget target(fTarget);
    target.Put(x, y, target.DeviceValue(color));
}

// --- Lines --------------------------------------------------------------------

void TCanvas::MoveTo(int x, int y) {
    fPenPos = {x, y};
    fLineStylePhase = 0;
}

void TCanvas::LineTo(int x, int y) {
    const TPoint points[2] = {fPenPos, {x, y}};
    fPenPos = {x, y};
    if (fPen.Style == psClear) return;
    TRasterTarget target(fTarget);
    TOutline outline;
    if (fPen.IsWide()) {
        const TContour path = ToContour(points);
        PathOutline(std::span<const TContour>(&path, 1), false, outline);
    } else {
        CosmeticOutline(points, false, fLineStylePhase, outline);
    }
    TSpanList noFill;
    PaintShape(target, noFill, outline);
}

void TCanvas::Line(int x1, int y1, int x2, int y2) {
    MoveTo(x1, y1);
    LineTo(x2, y2);
}

void TCanvas::Polyline(std::span<const TPoint> points) {
    const int count = static_cast<int>(points.size());
    PolyPolyline(points, std::span<const int>(&count, 1));
}

void TCanvas::PolyPolyline(std::span<const TPoint> points, std::span<const int> counts) {
    if (fPen.Style == psClear || points.empty()) return;
    TRasterTarget target(fTarget);
    TOutline outline;
    const std::vector<TContour> paths = SplitContours(points, counts);
    if (fPen.IsWide()) {
        PathOutline(paths, false, outline);
    } else {
        for (const TContour& path : paths) {
            int64_t phase = 0;
            const std::vector<TPoint> p = ToPoints(path);
            TOutline part;
            CosmeticOutline(p, false, phase, part);
            outline.On.insert(outline.On.end(), part.On.begin(), part.On.end());
            outline.Off.insert(outline.Off.end(), part.Off.begin(), part.Off.end());
        }
        NormalizeSpans(outline.On);
        NormalizeSpans(outline.Off);
    }
    TSpanList noFill;
    PaintShape(target, noFill, outline);
}

void TCanvas::PolyBezier(std::span<const TPoint> points) {
    if (points.size() < 4) return;
    TContour path{{static_cast<double>(points[0].X), static_cast<double>(points[0].Y)}};
    for (size_t i = 1; i + 2 < points.size(); i += 3) {
        auto f = [&](size_t k) {
            return TPointF{static_cast<double>(points[k].X), static_cast<double>(points[k].Y)};
        };
        FlattenBezier(path.back(), f(i), f(i + 1), f(i + 2), path);
    }
    // The curve's last point is drawn, unlike a line's.
    const std::vector<TPoint> p = ToPoints(path);
    if (fPen.Style == psClear) return;
    TRasterTarget target(fTarget);
    TOutline outline;
    if (fPen.IsWide()) {
        PathOutline(std::span<const TContour>(&path, 1), false, outline);
    } else {
        int64_t phase = 0;
        CosmeticOutline(p, false, phase, outline);
        const TPoint last = p.back();
        if (EffectiveClip().Contains(last)) {
            outline.On.push_back({last.Y, last.X, last.X + 1});
            NormalizeSpans(outline.On);
        }
    }
    TSpanList noFill;
    PaintShape(target, noFill, outline);
}

// --- Polygons -------------------------------------------------------------------

void TCanvas::Polygon(std::span<const TPoint> points) {
    const int count = static_cast<int>(points.size());
    PolyPolygon(points, std::span<const int>(&count, 1));
}

void TCanvas::PolyPolygon(std::span<const TPoint> points, std::span<const int> counts) {
    if (points.empty()) return;
    TRasterTarget target(fTarget);
    const std::vector<TContour> contours = SplitContours(points, counts);
    TSpanList fill;
    RealizeObjects();
    if (fBrush.Style != bsClear) {
        FillContours(contours, fPolyFillMode == WINDING ? TFillRule::Winding : TFillRule::Alternate,
                     EffectiveClip(), fill);
    }
    TOutline outline;
    if (fPen.Style != psClear) {
        if (fPen.IsWide()) {
            PathOutline(contours, true, outline);
        } else {
            for (const TContour& c : contours) {
                int64_t phase = 0;
                const std::vector<TPoint> p = ToPoints(c);
                TOutline part;
                CosmeticOutline(p, true, phase, part);
                outline.On.insert(outline.On.end(), part.On.begin(), part.On.end());
                outline.Off.insert(outline.Off.end(), part.Off.begin(), part.Off.end());
            }
            NormalizeSpans(outline.On);
            NormalizeSpans(outline.Off);
        }
    }
    PaintShape(target, fill, outline);
}

} // namespace vellinor
