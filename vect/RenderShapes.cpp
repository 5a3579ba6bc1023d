// The object pass: every object in z-order, drawn straight onto the target or
// composed through the object buffer (colour pass, coverage pass, shadow,
// painting back), per object at the target's scale or supersampled.

#include "platform/PlatformBitmap.h"
#include "platform/RasterTarget.h"
#include "vect/ShapeDrawing.h"
#include "vect/SoftShadow.h"
#include "vect/TIECanvas.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vellinor {

namespace {

// A rectangle of the buffer by its corner and size (what gets painted back).
struct TRegion {
    int X1 = 0, Y1 = 0, W = 0, H = 0;
};

int ClampIndex(int64_t v, int size) {
    return static_cast<int>(std::clamp<int64_t>(v, 0, size - 1));
}

// The drawn bounds grown by the pen width, clamped to the buffer and put in
// order; supersampled, one pixel pair in from every side.
TRegion DrawnRegion(const TRect& drawn, int penWidth, int scale, int width, int height) {
    int x1 = ClampIndex(int64_t{drawn.Left} - penWidth, width);
    int y1 = ClampIndex(int64_t{drawn.Top} - penWidth, height);
    int x2 = ClampIndex(int64_t{drawn.Right} + penWidth, width);
    int y2 = ClampIndex(int64_t{drawn.Bottom} + penWidth, height);
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    if (scale > 1) {
        x1 += 2;
        y1 += 2;
        x2 -= 2;
        y2 -= 2;
    }
    return {x1, y1, std::min(x2 - x1 + 1, width), std::min(y2 - y1 + 1, height)};
}

// The region after the shadow: grown by the margin on every side.
TRegion WithMargin(TRegion r, int margin, int width, int height) {
    r.W = static_cast<int>(std::min<int64_t>(int64_t{r.W} + 2 * int64_t{margin}, width));
    r.H = static_cast<int>(std::min<int64_t>(int64_t{r.H} + 2 * int64_t{margin}, height));
    r.X1 = std::max(r.X1 - margin, 0);
    r.Y1 = std::max(r.Y1 - margin, 0);
    return r;
}

TRect Union(const TRect& a, const TRect& b) {
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
            std::max(a.Bottom, b.Bottom)};
}

// The part of the buffer that composing this region reads or writes: the
// painted rectangle and, with a shadow, the compose region around it.
TRect NeededWindow(const TRegion& region, bool shadow, int margin, int width, int height) {
    const TRegion painted = shadow ? WithMargin(region, margin, width, height) : region;
    TRect need = IntersectRect(Rect(painted.X1, painted.Y1, painted.X1 + std::max(painted.W, 0),
                                    painted.Y1 + std::max(painted.H, 0)),
                               Rect(0, 0, width, height));
    if (shadow) {
        const int64_t m = margin;
        const TRect compose{ClampIndex(region.X1 - m, width), ClampIndex(region.Y1 - m, height),
                            ClampIndex(int64_t{region.X1} + region.W - 1 + m, width) + 1,
                            ClampIndex(int64_t{region.Y1} + region.H - 1 + m, height) + 1};
        need = Union(need, compose);
    }
    return need;
}

bool HasBounds(const TRect& drawn) {
    return drawn.Left <= drawn.Right && drawn.Top <= drawn.Bottom;
}

// The rectangle (Right and Bottom outside) outside which the buffer's alpha
// is 0 within the region.
TRect NonZeroAlpha(TIEObjectBuffer& buffer, const TRegion& r) {
    const TRect& win = buffer.Window();
    const TRect area =
        IntersectRect(Rect(r.X1, r.Y1, r.X1 + std::max(r.W, 0), r.Y1 + std::max(r.H, 0)), win);
    TIEBitmap& alpha = buffer.Alpha();
    int x0 = std::numeric_limits<int>::max(), y0 = x0, x1 = -1, y1 = -1;
    for (int y = area.Top; y < area.Bottom; ++y) {
        const uint8_t* row = alpha.Row(y - win.Top);
        int first = area.Left;
        while (first < area.Right && row[first - win.Left] == 0)
            ++first;
        if (first == area.Right) continue;
        int last = area.Right - 1;
        while (row[last - win.Left] == 0)
            --last;
        x0 = std::min(x0, first);
        x1 = std::max(x1, last);
        y0 = std::min(y0, y);
        y1 = y;
    }
    return x1 < 0 ? TRect{} : TRect{x0, y0, x1 + 1, y1 + 1};
}

// Paints buffer rectangle r onto the target rectangle (x1 div K, y1 div K,
// w div K, h div K), blended by the alpha plane, reduced with the triangle
// filter when K > 1. Only target pixels near non-zero alpha can change, so
// only those are written.
void PaintBack(TIEObjectBuffer& buffer, const TVectSurface& target, const TRegion& r, int scale,
               const TRect& alphaBounds) {
    if (r.W <= 0 || r.H <= 0 || alphaBounds.IsEmpty()) return;
    const TRect& win = buffer.Window();
    const TIEPaintRect source{r.X1 - win.Left, r.Y1 - win.Top, r.W, r.H};
    const TIEPaintRect dest{r.X1 / scale - target.OriginX, r.Y1 / scale - target.OriginY,
                            r.W / scale, r.H / scale};
    if (dest.width <= 0 || dest.height <= 0) return;
    TIEPaintOptions o = PaintRectToRect(dest, source, scale > 1 ? rfTriangle : rfNone);
    auto toTarget = [](double origin, double scaleOf, int v) { return origin + v * scaleOf; };
    const int tx0 =
        static_cast<int>(std::floor(toTarget(o.OriginX, o.ScaleX, alphaBounds.Left - win.Left))) -
        3;
    const int ty0 =
        static_cast<int>(std::floor(toTarget(o.OriginY, o.ScaleY, alphaBounds.Top - win.Top))) - 3;
    const int tx1 =
        static_cast<int>(std::ceil(toTarget(o.OriginX, o.ScaleX, alphaBounds.Right - win.Left))) +
        3;
    const int ty1 =
        static_cast<int>(std::ceil(toTarget(o.OriginY, o.ScaleY, alphaBounds.Bottom - win.Top))) +
        3;
    const TRect written = IntersectRect(
        Rect(tx0, ty0, tx1, ty1), Rect(dest.x, dest.y, dest.x + dest.width, dest.y + dest.height));
    if (written.IsEmpty()) return;
    o.Target = TIEPaintRect{written.Left, written.Top, static_cast<int>(written.Width()),
                            static_cast<int>(written.Height())};
    buffer.Alpha().Opaque = false;
    buffer.Pixels().PaintTo(*target.Bitmap, o);
}

} // namespace

// --- The screen pass ---------------------------------------------------------------

void REzoreZuDidu::DrawOverImage(TIEBitmap& backBuffer) {
    StartFastDrawingIfPressed();
    if (ShapeCount() == 0 || fRendering) return;
    TPlatformBitmap* target = backBuffer.AsVclBitmap();
    if (target == nullptr) return;
    fShapesDrawn = 0;
    RenderShapes(false, -1, fObjAntialias, *target);
    DrawSelectionGrips(*target);
}

void REzoreZuDidu::RenderShapes(bool toBitmap, int hobj, bool antialias, TPlatformBitmap& target) {
    TVectSurface surface;
    surface.Bitmap = &target;
    surface.Width = target.Width();
    surface.Height = target.Height();
    RenderShapesOn(surface, toBitmap, hobj, antialias);
}

bool REzoreZuDidu::DrawsDirectly(const TVectShape& s) const {
    if (fFastDrawing && FastWhileDragging) return true;
    const bool shadow = s.Shadow && s.Shadow->Enabled != 0;
    return !shadow && s.Highlight == 0 &&
           (s.Opacity >= 255 || (s.Kind != vkText && s.Kind != vkRichText));
}

void REzoreZuDidu::RenderShapesOn(const TVectSurface& target, bool toBitmap, int hobj,
                                  bool antialias) {
    if (fRendering) return;
    fRendering = true;
    struct TDone {
        bool& flag;
        ~TDone() { flag = false; }
    } done{fRendering};
    fPassReach = TRect{};
    const int scale = antialias ? 2 : 1;
    // There is no antialiasing library, so a set SupersampleShapes always
    // takes the supersampled path.
    const bool supersampled = fSupersampleShapes != 0 && ShapeCount() >= 1;
    const std::vector<int> order = fZOrder;
    for (int h : order) {
        if (hobj > -1 && h != hobj) continue;
        if (!IsLiveShape(h)) continue; // removed meanwhile by an event handler
        const std::shared_ptr<TVectShape> keep = fRecords[static_cast<size_t>(h)];
        TVectShape& record = *keep;
        if (!supersampled && DrawsDirectly(record)) {
            if (RenderShapeOn(record, h, target, !toBitmap, false, 1, false) &&
                HasBounds(record.DrawnBounds)) {
                const int64_t pw = std::max(record.DrawnPenWidth, 0);
                const TRect& b = record.DrawnBounds;
                fPassReach = Union(fPassReach, TRect{static_cast<int>(b.Left - pw),
                                                     static_cast<int>(b.Top - pw),
                                                     static_cast<int>(b.Right + pw + 1),
                                                     static_cast<int>(b.Bottom + pw + 1)});
            }
        } else {
            PaintThroughBuffer(record, h, target, toBitmap, supersampled ? scale : 1);
        }
    }
}

// --- Composing through the buffer -------------------------------------------------------

TRect REzoreZuDidu::EstimatedReach(const TVectShape& s, bool mapToScreen, int scale) {
    const TMapping m = MappingFor(mapToScreen, scale);
    const int xs[] = {m.X(s.Left), m.X(s.Right), m.X(int64_t{s.Right} + 1)};
    const int ys[] = {m.Y(s.Top), m.Y(s.Bottom), m.Y(int64_t{s.Bottom} + 1)};
    TRect r{*std::min_element(std::begin(xs), std::end(xs)),
            *std::min_element(std::begin(ys), std::end(ys)),
            *std::max_element(std::begin(xs), std::end(xs)),
            *std::max_element(std::begin(ys), std::end(ys))};
    int64_t extra = 2;
    switch (s.Kind) {
    case vkLine:
    case vkLabelledLine:
    case vkRuler:
        extra += static_cast<int64_t>(
            std::min(std::max(s.ArrowWidth * m.ZoomX, s.ArrowLength * m.ZoomY), 1e6));
        if (s.Kind != vkLine) extra += 64 * int64_t{m.Scale};
        break;
    case vkAngle:
        for (const TPoint& p : s.AnglePoints) {
            r.Left = std::min(r.Left, m.X(p.X));
            r.Right = std::max(r.Right, m.X(p.X));
            r.Top = std::min(r.Top, m.Y(p.Y));
            r.Bottom = std::max(r.Bottom, m.Y(p.Y));
        }
        extra += 64 * int64_t{m.Scale};
        break;
    default:
        break;
    }
    const auto grow = [&](int v, int64_t by) {
        return static_cast<int>(std::clamp<int64_t>(v + by, -1000000000, 1000000000));
    };
    return {grow(r.Left, -extra), grow(r.Top, -extra), grow(r.Right, extra), grow(r.Bottom, extra)};
}

void REzoreZuDidu::PaintThroughBuffer(TVectShape& s, int hobj, const TVectSurface& target,
                                      bool toBitmap, int scale) {
    const bool mapToScreen = !toBitmap;
    const int64_t bw64 = int64_t{target.Width} * scale, bh64 = int64_t{target.Height} * scale;
    if (bw64 <= 0 || bh64 <= 0 || bw64 > INT32_MAX || bh64 > INT32_MAX) return;
    const int bw = static_cast<int>(bw64), bh = static_cast<int>(bh64);
    const bool shadow = s.Shadow && s.Shadow->Enabled != 0;
    const TIEVSoftShadow settings = shadow ? *s.Shadow : TIEVSoftShadow{};
    const auto scaled = [&](int v) {
        return static_cast<int>(
            std::clamp<int64_t>(int64_t{v} * scale, INT32_MIN / 2, INT32_MAX / 2));
    };
    const int offsetX = scaled(settings.OffsetX), offsetY = scaled(settings.OffsetY);
    const double radius = settings.Radius * scale;
    const int margin = shadow ? SoftShadowMargin(offsetX, offsetY, radius) : 0;
    const TMapping map = MappingFor(mapToScreen, scale);
    const int estimatedPen =
        MappedPenWidth(s.Highlight != 0 ? 1 : s.PenWidth, map.ZoomX, map.ZoomY, ZoomObjectsWidth);

    TRect window = NeededWindow(
        DrawnRegion(EstimatedReach(s, mapToScreen, scale), estimatedPen, scale, bw, bh), shadow,
        margin, bw, bh);
    if (!LimitObjectBuffer) window = Rect(0, 0, bw, bh);
    for (int attempt = 0;; ++attempt) {
        if (!fBuffer.Hold(bw, bh, window)) return;
        // Antialiased edges blend towards the text colour. This is done at
        // every scale: otherwise edges drawn at scale 1 would blend towards
        // whatever the buffer held before (black when new), a dark fringe.
        fBuffer.FillColor(s.PenColor);
        if (s.Highlight != 0) CopyTargetUnderBox(s, target, mapToScreen, scale);
        fBuffer.ClearAlpha();
        const int drawnBefore = fShapesDrawn;
        if (!RenderShapeOn(s, hobj, fBuffer.ColorSurface(), mapToScreen, true, scale, false))
            return;
        // Nothing touched: the alpha stays 0 everywhere and painting would change nothing.
        if (!HasBounds(s.DrawnBounds)) return;
        const TRect needed = NeededWindow(
            DrawnRegion(s.DrawnBounds, s.DrawnPenWidth, scale, bw, bh), shadow, margin, bw, bh);
        if (fBuffer.Holds(needed) || attempt > 0) break;
        // The object reached further than its box promised: once more with room for it.
        window = Union(window, needed);
        fShapesDrawn = drawnBefore;
    }

    AlphaPass(s, hobj, mapToScreen, scale);
    TRegion region = DrawnRegion(s.DrawnBounds, s.DrawnPenWidth, scale, bw, bh);
    TRect alphaBounds;
    if (shadow) {
        const TRect& win = fBuffer.Window();
        const int applied =
            ApplySoftShadowInPart(fBuffer.Pixels(), win.Left, win.Top, bw, bh, offsetX, offsetY,
                                  radius, settings.Intensity, settings.Color, region.X1, region.Y1,
                                  region.X1 + region.W - 1, region.Y1 + region.H - 1, &alphaBounds);
        region = WithMargin(region, applied, bw, bh);
    } else {
        alphaBounds = NonZeroAlpha(fBuffer, region);
    }
    PaintBack(fBuffer, target, region, scale, alphaBounds);
    fPassReach = Union(fPassReach, Rect(region.X1 / scale, region.Y1 / scale,
                                        region.X1 / scale + region.W / scale + 1,
                                        region.Y1 / scale + region.H / scale + 1));
}

void REzoreZuDidu::CopyTargetUnderBox(const TVectShape& s, const TVectSurface& target,
                                      bool mapToScreen, int scale) {
    const TMapping m = MappingFor(mapToScreen, 1);
    const TRect box = NormalizedRect(Rect(m.X(s.Left), m.Y(s.Top), m.X(s.Right), m.Y(s.Bottom)));
    // Target pixels of the box that the target holds and the window can show.
    const TRect& win = fBuffer.Window();
    TRect area =
        IntersectRect(Rect(box.Left, box.Top, box.Right + 1, box.Bottom + 1),
                      Rect(target.OriginX, target.OriginY, target.OriginX + target.Bitmap->Width(),
                           target.OriginY + target.Bitmap->Height()));
    area = IntersectRect(area, Rect(win.Left / scale, win.Top / scale, win.Right / scale + 1,
                                    win.Bottom / scale + 1));
    TIEBitmap& pixels = fBuffer.Pixels();
    for (int ty = area.Top; ty < area.Bottom; ++ty) {
        for (int tx = area.Left; tx < area.Right; ++tx) {
            const TRGB c = target.Bitmap->GetPixelRGB(tx - target.OriginX, ty - target.OriginY);
            for (int dy = 0; dy < scale; ++dy) {
                const int by = ty * scale + dy;
                if (by < win.Top || by >= win.Bottom) continue;
                auto* row = reinterpret_cast<TRGB*>(pixels.Row(by - win.Top));
                for (int dx = 0; dx < scale; ++dx) {
                    const int bx = tx * scale + dx;
                    if (bx >= win.Left && bx < win.Right) row[bx - win.Left] = c;
                }
            }
        }
    }
}

void REzoreZuDidu::AlphaPass(TVectShape& s, int hobj, bool mapToScreen, int scale) {
    TIEBitmap* picture = s.Kind == vkPicture ? fPictures.Picture(s.PictureIndex) : nullptr;
    if (picture != nullptr) {
        CopyPictureAlpha(s, *picture, mapToScreen, scale);
        return;
    }
    const TColor pen = s.PenColor, fill = s.FillColor, label = s.LabelFillColor,
                 border = s.RichBorderColor;
    const TColor grey = AlphaGrey(s.Opacity);
    s.PenColor = s.FillColor = s.LabelFillColor = s.RichBorderColor = grey;
    RenderShapeOn(s, hobj, fBuffer.AlphaSurface(), mapToScreen, true, scale, true);
    s.PenColor = pen;
    s.FillColor = fill;
    s.LabelFillColor = label;
    s.RichBorderColor = border;
}

void REzoreZuDidu::CopyPictureAlpha(const TVectShape& s, TIEBitmap& picture, bool mapToScreen,
                                    int scale) {
    const TMapping m = MappingFor(mapToScreen, scale);
    const int x1 = m.X(s.Left), y1 = m.Y(s.Top);
    const int x2 = m.ZoomX != 1 ? m.X(int64_t{s.Right} + 1) - 1 : m.X(s.Right);
    const int y2 = m.ZoomY != 1 ? m.Y(int64_t{s.Bottom} + 1) - 1 : m.Y(s.Bottom);
    const TRect box = NormalizedRect(Rect(x1, y1, x2 + 1, y2 + 1));
    const TRect& win = fBuffer.Window();
    const TRect area = IntersectRect(box, win);
    if (area.IsEmpty() || picture.Width() <= 0 || picture.Height() <= 0) return;
    TIEBitmap* pictureAlpha = picture.HasAlphaPlane() ? picture.AlphaPlane() : nullptr;
    const int opacity = std::clamp(s.Opacity, 0, 255);
    const int64_t bw = box.Width(), bh = box.Height();
    TIEBitmap& alpha = fBuffer.Alpha();
    for (int y = area.Top; y < area.Bottom; ++y) {
        const int sy =
            static_cast<int>((2 * (int64_t{y} - box.Top) + 1) * picture.Height() / (2 * bh));
        const uint8_t* source = pictureAlpha != nullptr ? pictureAlpha->Row(sy) : nullptr;
        uint8_t* out = alpha.Row(y - win.Top);
        for (int x = area.Left; x < area.Right; ++x) {
            const int sx =
                static_cast<int>((2 * (int64_t{x} - box.Left) + 1) * picture.Width() / (2 * bw));
            const int a = source != nullptr ? source[sx] : 255;
            out[x - win.Left] = static_cast<uint8_t>(Div255(static_cast<uint32_t>(a * opacity)));
        }
    }
}

} // namespace vellinor
