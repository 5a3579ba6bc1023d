// The drawing of one object: corner mapping, pen set-up, the visibility and
// on-screen tests, the drawing events and the drawn bounds.

#include "platform/PlatformBitmap.h"
#include "vect/ShapeDrawing.h"
#include "vect/TIECanvas.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vellinor {

REzoreZuDidu::TMapping REzoreZuDidu::MappingFor(bool mapToScreen, int scale) const {
    TMapping m;
    m.View = mapToScreen ? this : nullptr;
    m.Scale = std::max(scale, 1);
    const double k = scale > 1 ? scale : 1;
    m.ZoomX = (mapToScreen ? ZoomX() / 100 : 1.0) * k;
    m.ZoomY = (mapToScreen ? ZoomY() / 100 : 1.0) * k;
    return m;
}

bool REzoreZuDidu::RenderShape(TVectShape& record, int hobj, TPlatformBitmap& target,
                               bool mapToScreen, TIEBitmap* pictureTarget, int scale,
                               bool alphaPass) {
    TVectSurface surface;
    surface.Bitmap = &target;
    surface.Container = pictureTarget;
    surface.Width = target.Width();
    surface.Height = target.Height();
    return RenderShapeOn(record, hobj, surface, mapToScreen, pictureTarget != nullptr, scale,
                         alphaPass);
}

namespace {

int64_t Next(int32_t v) {
    return int64_t{v} + 1;
}

} // namespace

bool REzoreZuDidu::RenderShapeOn(TVectShape& record, int hobj, const TVectSurface& surface,
                                 bool mapToScreen, bool intoBuffer, int scale, bool alphaPass) {
    TDrawContext c;
    c.Map = MappingFor(mapToScreen, scale);
    c.AlphaPass = alphaPass;
    c.IntoBuffer = intoBuffer;
    c.X1 = c.Map.X(record.Left);
    c.Y1 = c.Map.Y(record.Top);
    c.X2 = c.Map.X(record.Right);
    c.Y2 = c.Map.Y(record.Bottom);
    if (record.Highlight != 0) record.PenWidth = 1;
    c.PenWidth = MappedPenWidth(record.PenWidth, c.Map.ZoomX, c.Map.ZoomY, ZoomObjectsWidth);
    if (record.Kind == vkPicture) {
        // A picture covers the whole of its last pixels.
        if (c.Map.ZoomX != 1) c.X2 = c.Map.X(Next(record.Right)) - 1;
        if (c.Map.ZoomY != 1) c.Y2 = c.Map.Y(Next(record.Bottom)) - 1;
    }
    const bool antialias = fObjAntialias && !(fFastDrawing && FastWhileDragging);

    record.DrawnBounds = kNoBounds;
    record.DrawnPenWidth = c.PenWidth;
    TIECanvas canvas(surface, !alphaPass, antialias, record.DrawnBounds);
    canvas.SetPen(record.PenColor, record.Opacity, c.PenWidth, record.PenStyle);
    canvas.SetBrush(record.FillColor, record.Opacity, record.FillStyle);

    if (!record.HasFlag(vfVisible) || record.Kind == vkNone) return false;
    if (mapToScreen) {
        // The visible part of the picture on screen, times the scale.
        const int64_t k = c.Map.Scale;
        const int64_t left = std::max(OffsetX(), 0) * k;
        const int64_t top = std::max(OffsetY(), 0) * k;
        const int64_t right = std::min<int64_t>(int64_t{OffsetX()} + ExtentX(), VisibleWidth()) * k;
        const int64_t bottom =
            std::min<int64_t>(int64_t{OffsetY()} + ExtentY(), VisibleHeight()) * k;
        const int bx1 = std::min(c.X1, c.X2), bx2 = std::max(c.X1, c.X2);
        const int by1 = std::min(c.Y1, c.Y2), by2 = std::max(c.Y1, c.Y2);
        if (bx2 < left || bx1 >= right || by2 < top || by1 >= bottom) return false;
    }

    const TRect destRect{c.X1 - surface.OriginX, c.Y1 - surface.OriginY, c.X2 - surface.OriginX,
                         c.Y2 - surface.OriginY};
    bool handled = false;
    if (OnBeforeDrawObject) {
        OnBeforeDrawObject(*this, hobj, *surface.Bitmap, destRect, alphaPass, handled);
        canvas.Touch(c.X1, c.Y1);
        canvas.Touch(c.X2, c.Y2);
    }
    if (!handled) {
        DrawKind(canvas, record, hobj, c);
        ++fShapesDrawn;
    }
    if (OnAfterDrawObject) {
        bool ignored = false;
        OnAfterDrawObject(*this, hobj, *surface.Bitmap, destRect, alphaPass, ignored);
        canvas.Touch(c.X1, c.Y1);
        canvas.Touch(c.X2, c.Y2);
    }
    return true;
}

} // namespace vellinor
