// Rectangles, rounded rectangles, ellipses, arcs, chords and pies, and the
// brush-only operations.
//
// A figure of the box (x1, y1, x2, y2) covers, with a one-pixel pen, the pixels
// whose centres lie inside the figure inscribed in the box's pixel edges: the
// outline is the ring of those pixels that touch the outside, the brush fills
// the rest. Without a pen the brush fills the figure of the box one pixel
// smaller on the right and bottom, as the platform does. Wide and styled pens
// stroke the figure's path through the outer pixels' centres (inside the box
// with psInsideFrame).

#include "platform/Canvas.h"
#include "platform/PlatformBitmap.h"
#include "platform/Stroke.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vellinor {

namespace {

constexpr double kEpsilon = 1e-7;
constexpr double kPi = std::numbers::pi;

int64_t CeilIndex(double v) {
    return static_cast<int64_t>(std::ceil(std::clamp(v - kEpsilon, -4e18, 4e18)));
}

int32_t Clamp32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// A box with elliptic corners in pixel-index coordinates; rows and columns
// whose centres fall inside [X0, X1) x [Y0, Y1) (trimmed by the corners).
struct TRoundBox {
    double X0, Y0, X1, Y1, Rx, Ry;

    bool Row(int64_t y, int64_t& a, int64_t& b) const {
        if (y < CeilIndex(Y0) || y >= CeilIndex(Y1)) return false;
        const double yc = static_cast<double>(y);
        const double top = Y0 + Ry, bottom = Y1 - Ry;
        const double dy = yc < top ? top - yc : (yc > bottom ? yc - bottom : 0.0);
        double dx = Rx;
        if (dy > 0 && Ry > 0) dx = Rx * std::sqrt(std::max(0.0, 1 - (dy / Ry) * (dy / Ry)));
        a = CeilIndex(X0 + Rx - dx);
        b = CeilIndex(X1 - Rx + dx);
        return a < b;
    }
};

// Which side of two rays (or of a chord) a pixel lies on; math orientation
// (y up) so that counter-clockwise on the screen is positive.
struct TSector {
    bool Full = true;
    bool Chord = false;
    double Cx = 0, Cy = 0;
    double Sx = 1, Sy = 0, Ex = 1, Ey = 0; // ray directions, or chord ends
    double Sweep = 2 * kPi;

    bool Contains(int64_t x, int64_t y) const {
        if (Full) return true;
        const double px = static_cast<double>(x) - Cx, py = Cy - static_cast<double>(y);
        if (Chord) {
            const double dx = Ex - Sx, dy = Ey - Sy;
            return dx * (py - Sy) - dy * (px - Sx) <= kEpsilon;
        }
        auto cross = [](double ax, double ay, double bx, double by) { return ax * by - ay * bx; };
        if (Sweep <= kPi) {
            return cross(Sx, Sy, px, py) >= -kEpsilon && cross(px, py, Ex, Ey) >= -kEpsilon;
        }
        return !(cross(Ex, Ey, px, py) > kEpsilon && cross(px, py, Sx, Sy) > kEpsilon);
    }
};

double RayAngle(double dx, double dy) {
    return (dx == 0 && dy == 0) ? 0.0 : std::atan2(dy, dx);
}

// Sweep from a to b counter-clockwise, in (0, 2 pi]; equal angles give 2 pi.
double SweepBetween(double a, double b) {
    double s = std::fmod(b - a, 2 * kPi);
    if (s <= 1e-12) s += 2 * kPi;
    return s;
}

// Parametric angle of the ellipse point in direction phi.
double ParamAngle(double phi, double rx, double ry) {
    return std::atan2(rx * std::sin(phi), ry * std::cos(phi));
}

// The point where the ray in direction phi meets the ellipse (screen coords).
TPointF RayPoint(double cx, double cy, double rx, double ry, double phi) {
    const double t = ParamAngle(phi, rx, ry);
    return {cx + rx * std::cos(t), cy - ry * std::sin(t)};
}

TPoint Rounded(TPointF p) {
    return {Clamp32(static_cast<int64_t>(std::floor(std::clamp(p.X, -4e18, 4e18) + 0.5))),
            Clamp32(static_cast<int64_t>(std::floor(std::clamp(p.Y, -4e18, 4e18) + 0.5)))};
}

TContour RoundRectPath(double l, double t, double r, double b, double rx, double ry) {
    rx = std::clamp(rx, 0.0, (r - l) / 2);
    ry = std::clamp(ry, 0.0, (b - t) / 2);
    if (rx <= 0 || ry <= 0) return {{l, t}, {r, t}, {r, b}, {l, b}};
    TContour path;
    auto corner = [&](double cx, double cy, double start) {
        const TContour arc = ArcPath(cx, cy, rx, ry, start, kPi / 2);
        path.insert(path.end(), arc.begin(), arc.end());
    };
    corner(r - rx, t + ry, 0);           // top-right
    corner(l + rx, t + ry, kPi / 2);     // top-left
    corner(l + rx, b - ry, kPi);         // bottom-left
    corner(r - rx, b - ry, 3 * kPi / 2); // bottom-right
    return path;
}

} // namespace

void TCanvas::DrawFigure(TFigure figure, int x1, int y1, int x2, int y2, int cornerWidth,
                         int cornerHeight, TPoint start, TPoint end) {
    const double l = std::min(x1, x2), r = std::max(x1, x2);
    const double t = std::min(y1, y2), b = std::max(y1, y2);
    if (r - l < 1 || b - t < 1) return;
    TRasterTarget target(fTarget);
    RealizeObjects();
    const TRect clip = EffectiveClip();
    if (clip.IsEmpty()) return;
    const bool penShown = fPen.Style != psClear;
    const bool wide = fPen.IsWide();
    const bool thinSolid =
        penShown && !wide && (fPen.Style == psSolid || fPen.Style == psInsideFrame);

    auto radiiOf = [&](double w, double h) -> std::pair<double, double> {
        switch (figure) {
        case TFigure::Rectangle:
            return {0, 0};
        case TFigure::RoundRect:
            return {std::min<double>(std::abs(static_cast<double>(cornerWidth)), w) / 2,
                    std::min<double>(std::abs(static_cast<double>(cornerHeight)), h) / 2};
        default:
            return {w / 2, h / 2};
        }
    };
    const auto [erx, ery] = radiiOf(r - l, b - t);
    const TRoundBox edge{l - 0.5, t - 0.5, r - 0.5, b - 0.5, erx, ery};
    const auto [irx, iry] = radiiOf(r - l - 1, b - t - 1);
    const TRoundBox inner{l - 0.5, t - 0.5, r - 1.5, b - 1.5, irx, iry};

    // Centre path of the figure (through the outer pixels' centres).
    double pl = l, pr = r - 1, pt = t, pb = b - 1;
    if (wide && fPen.Style == psInsideFrame) {
        const double half = std::max(fPen.Width, 1) / 2.0;
        pl = l - 0.5 + half;
        pr = r - 0.5 - half;
        pt = t - 0.5 + half;
        pb = b - 0.5 - half;
        if (pr < pl) pl = pr = (l + r - 1) / 2;
        if (pb < pt) pt = pb = (t + b - 1) / 2;
    }
    const double cx = (pl + pr) / 2, cy = (pt + pb) / 2;
    const double prx = (pr - pl) / 2, pry = (pb - pt) / 2;

    TSector sector;
    double startAngle = 0, sweep = 2 * kPi;
    if (figure == TFigure::Arc || figure == TFigure::Chord || figure == TFigure::Pie) {
        const double sx = start.X - cx, sy = cy - start.Y;
        const double ex = end.X - cx, ey = cy - end.Y;
        startAngle = RayAngle(sx, sy);
        sweep = SweepBetween(startAngle, RayAngle(ex, ey));
        sector.Cx = cx;
        sector.Cy = cy;
        sector.Sweep = sweep;
        sector.Full = sweep >= 2 * kPi - 1e-12;
        if (figure == TFigure::Chord) {
            const TPointF s = RayPoint(0, 0, prx, pry, startAngle);
            const TPointF e = RayPoint(0, 0, prx, pry, startAngle + sweep);
            sector.Chord = true;
            sector.Sx = s.X;
            sector.Sy = -s.Y;
            sector.Ex = e.X;
            sector.Ey = -e.Y;
        } else {
            sector.Sx = std::cos(startAngle);
            sector.Sy = std::sin(startAngle);
            sector.Ex = std::cos(startAngle + sweep);
            sector.Ey = std::sin(startAngle + sweep);
        }
    }

    const int64_t rowFirst = std::max<int64_t>(clip.Top, static_cast<int64_t>(t));
    const int64_t rowLast =
        std::min<int64_t>(int64_t{clip.Bottom} - 1, static_cast<int64_t>(b) - 1);
    auto emit = [&](TSpanList& out, int64_t y, int64_t a, int64_t bEnd) {
        a = std::max<int64_t>(a, clip.Left);
        bEnd = std::min<int64_t>(bEnd, clip.Right);
        if (a >= bEnd) return;
        if (sector.Full) {
            out.push_back({Clamp32(y), Clamp32(a), Clamp32(bEnd)});
            return;
        }
        int64_t runStart = -1;
        for (int64_t x = a; x < bEnd; ++x) {
            const bool in = sector.Contains(x, y);
            if (in && runStart < 0) runStart = x;
            if (!in && runStart >= 0) {
                out.push_back({Clamp32(y), Clamp32(runStart), Clamp32(x)});
                runStart = -1;
            }
        }
        if (runStart >= 0) out.push_back({Clamp32(y), Clamp32(runStart), Clamp32(bEnd)});
    };

    TSpanList fill;
    TOutline outline;
    const bool filled = figure != TFigure::Arc && fBrush.Style != bsClear;
    if (thinSolid) {
        for (int64_t y = rowFirst; y <= rowLast; ++y) {
            int64_t a, e;
            if (!edge.Row(y, a, e)) continue;
            int64_t ua, ub, da, db;
            const bool up = edge.Row(y - 1, ua, ub);
            const bool down = edge.Row(y + 1, da, db);
            int64_t ia = a + 1, ib = e - 1;
            if (up && down) {
                ia = std::max({ia, ua, da});
                ib = std::min({ib, ub, db});
            } else {
                ib = ia;
            }
            if (ia < ib) {
                emit(outline.On, y, a, ia);
                emit(outline.On, y, ib, e);
                if (filled) emit(fill, y, ia, ib);
            } else {
                emit(outline.On, y, a, e);
            }
        }
        if (!sector.Full && figure != TFigure::Arc) {
            // The straight sides, inclusive of both ends.
            const TPoint s = Rounded(RayPoint(cx, cy, prx, pry, startAngle));
            const TPoint e = Rounded(RayPoint(cx, cy, prx, pry, startAngle + sweep));
            const TPoint c = Rounded({cx, cy});
            auto side = [&](TPoint p, TPoint q) {
                RasterLine(p, q, clip, [&](int x, int y, int64_t) {
                    outline.On.push_back({y, x, x + 1});
                });
                if (clip.Contains(q)) outline.On.push_back({q.Y, q.X, q.X + 1});
            };
            if (figure == TFigure::Pie) {
                side(c, s);
                side(c, e);
            } else {
                side(s, e);
            }
        }
        NormalizeSpans(outline.On);
    } else {
        if (filled) {
            for (int64_t y = rowFirst; y <= rowLast; ++y) {
                int64_t a, e;
                if (inner.Row(y, a, e)) emit(fill, y, a, e);
            }
        }
        if (penShown) {
            TContour path;
            bool closed = true;
            switch (figure) {
            case TFigure::Rectangle:
                path = {{pl, pt}, {pr, pt}, {pr, pb}, {pl, pb}};
                break;
            case TFigure::RoundRect: {
                const double inset = pl - l;
                path = RoundRectPath(pl, pt, pr, pb, std::max(0.0, erx - inset - 0.5),
                                     std::max(0.0, ery - inset - 0.5));
                break;
            }
            case TFigure::Ellipse:
                path = EllipsePath(cx, cy, prx, pry);
                break;
            default: {
                const double ts = ParamAngle(startAngle, prx, pry);
                double te = ParamAngle(startAngle + sweep, prx, pry);
                double paramSweep = sector.Full ? 2 * kPi : SweepBetween(ts, te);
                path = ArcPath(cx, cy, prx, pry, ts, paramSweep);
                if (figure == TFigure::Arc) closed = false;
                if (figure == TFigure::Pie && !sector.Full) path.push_back({cx, cy});
                break;
            }
            }
            PathOutline(std::span<const TContour>(&path, 1), closed, outline);
        }
    }
    PaintShape(target, fill, outline);
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    DrawFigure(TFigure::Rectangle, x1, y1, x2, y2, 0, 0, {}, {});
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) {
    DrawFigure(TFigure::RoundRect, x1, y1, x2, y2, cornerWidth, cornerHeight, {}, {});
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    DrawFigure(TFigure::Ellipse, x1, y1, x2, y2, 0, 0, {}, {});
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    DrawFigure(TFigure::Arc, x1, y1, x2, y2, 0, 0, {x3, y3}, {x4, y4});
}

void TCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    DrawFigure(TFigure::Chord, x1, y1, x2, y2, 0, 0, {x3, y3}, {x4, y4});
}

void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    DrawFigure(TFigure::Pie, x1, y1, x2, y2, 0, 0, {x3, y3}, {x4, y4});
}

// --- Brush operations -----------------------------------------------------------

void TCanvas::FillRect(const TRect& rect) {
    RealizeObjects();
    if (fBrush.Style == bsClear) return;
    const TRect r = IntersectRect(rect, EffectiveClip());
    if (r.IsEmpty()) return;
    TRasterTarget target(fTarget);
    TPaint paint = BrushPaint(target, fBrush);
    paint.Rop2 = 13;
    for (int y = r.Top; y < r.Bottom; ++y)
        target.PaintSpan(y, r.Left, r.Right, paint);
}

void TCanvas::FrameRect(const TRect& rect) {
    RealizeObjects();
    if (fBrush.Style == bsClear || rect.IsEmpty()) return;
    TRasterTarget target(fTarget);
    TPaint paint = BrushPaint(target, fBrush);
    paint.Rop2 = 13;
    TSpanList ring{{rect.Top, rect.Left, rect.Right}};
    if (rect.Bottom - 1 > rect.Top) ring.push_back({rect.Bottom - 1, rect.Left, rect.Right});
    const TRect clip = EffectiveClip();
    const int64_t first = std::max<int64_t>(int64_t{rect.Top} + 1, clip.Top);
    const int64_t last = std::min<int64_t>(int64_t{rect.Bottom} - 1, clip.Bottom);
    for (int64_t y = first; y < last; ++y) {
        const auto row = static_cast<int32_t>(y);
        ring.push_back({row, rect.Left, rect.Left + 1});
        if (rect.Right - 1 > rect.Left) ring.push_back({row, rect.Right - 1, rect.Right});
    }
    Paint(target, ring, paint);
}

void TCanvas::PatBlt(const TRect& rect, uint32_t rop) {
    const TRect r = IntersectRect(NormalizedRect(rect), EffectiveClip());
    if (r.IsEmpty()) return;
    RealizeObjects();
    const unsigned code = (rop >> 16) & 0xFF;
    const bool usesPattern = ((code >> 4) & 0x0F) != (code & 0x0F);
    if (usesPattern && fBrush.Style == bsClear) return;
    TRasterTarget target(fTarget);
    const uint32_t fore = target.DeviceValue(fBrush.Color);
    const uint32_t back = target.DeviceValue(fBkColor);
    const bool hatched = IsHatchStyle(fBrush.Style);
    const bool opaque = fBkMode == OPAQUE;
    const uint32_t mask =
        target.BitCount() >= 32 ? 0xFFFFFFFFu : (1u << std::min(target.BitCount(), 31)) - 1;
    for (int y = r.Top; y < r.Bottom; ++y) {
        const uint8_t bits = HatchPatternRow(fBrush.Style, y);
        for (int x = r.Left; x < r.Right; ++x) {
            uint32_t p = fore;
            if (hatched) {
                const bool on = (bits >> (7 - (x & 7))) & 1;
                if (!on && !opaque && usesPattern) continue;
                p = on ? fore : back;
            }
            const uint32_t d = target.Get(x, y);
            uint32_t result = 0;
            for (unsigned k = 0; k < 8; ++k) {
                // No source: only the terms with S = 0 count.
                if (((code >> k) & 1) == 0 || (k & 2) != 0) continue;
                result |= ((k & 4) ? p : ~p) & ((k & 1) ? d : ~d);
            }
            target.Put(x, y, result & mask);
        }
    }
}

void TCanvas::DrawFocusRect(const TRect& rect) {
    const TRect r = NormalizedRect(rect);
    if (r.IsEmpty()) return;
    const TRect clip = EffectiveClip();
    TRasterTarget target(fTarget);
    const uint32_t mask =
        target.BitCount() >= 32 ? 0x00FFFFFFu : (1u << std::min(target.BitCount(), 24)) - 1;
    auto flip = [&](int64_t x, int64_t y) {
        if (((x + y) & 1) != 0) return;
        if (x < clip.Left || x >= clip.Right || y < clip.Top || y >= clip.Bottom) return;
        const int xi = static_cast<int>(x), yi = static_cast<int>(y);
        target.Put(xi, yi, target.Get(xi, yi) ^ mask);
    };
    const int64_t x0 = std::max<int64_t>(r.Left, clip.Left - 1);
    const int64_t x1 = std::min<int64_t>(r.Right, clip.Right + 1);
    for (int64_t x = x0; x < x1; ++x) {
        flip(x, r.Top);
        if (r.Bottom - 1 > r.Top) flip(x, int64_t{r.Bottom} - 1);
    }
    const int64_t y0 = std::max<int64_t>(int64_t{r.Top} + 1, clip.Top - 1);
    const int64_t y1 = std::min<int64_t>(int64_t{r.Bottom} - 1, clip.Bottom + 1);
    for (int64_t y = y0; y < y1; ++y) {
        flip(r.Left, y);
        if (r.Right - 1 > r.Left) flip(int64_t{r.Right} - 1, y);
    }
}

} // namespace vellinor
