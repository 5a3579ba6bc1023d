// Burning the objects into the image: straight into a 24-bit image held as a
// platform bitmap, through a band of rows for other 24-bit images, and
// through a 24-bit copy for every other pixel format. The image's alpha plane
// is never changed.

#include "platform/PlatformBitmap.h"
#include "vect/ShapeDrawing.h"
#include "vect/SoftShadow.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vellinor {

void REzoreZuDidu::MergeShapes(bool antialias) {
    DrawShapesInto(CurrentBitmap(), antialias, -1);
    ImageChange(); // refreshes, then OnImageChange
}

void REzoreZuDidu::DrawShapesInto(TIEBitmap& image, bool antialias, int hobj) {
    struct TRestore {
        REzoreZuDidu& view;
        uint8_t supersample;
        bool fast;
        ~TRestore() {
            view.fSupersampleShapes = supersample;
            view.fFastDrawing = fast;
        }
    } restore{*this, fSupersampleShapes, fFastDrawing};
    if (antialias) fSupersampleShapes = 1;
    fFastDrawing = false;
    if (image.IsVoid() || image.Width() <= 0 || image.Height() <= 0) return;

    if (image.Location() == ieTBitmap && image.PixelFormat() == ie24RGB) {
        if (TPlatformBitmap* bitmap = image.AsVclBitmap())
            RenderShapes(true, hobj, antialias, *bitmap);
        return;
    }
    if (image.PixelFormat() == ie24RGB) {
        bool fits = false;
        DrawIntoBand(image, hobj, antialias, fits);
        if (fits) return;
    }
    DrawThroughCopy(image, hobj, antialias);
}

// A 24-bit image in memory or a file: only the rows the objects can reach
// are copied out, drawn on and copied back, which gives the pixels of the
// whole round trip (no conversion is involved) without a second picture.
// When an object reached beyond the band, fits stays false and nothing was
// changed.
void REzoreZuDidu::DrawIntoBand(TIEBitmap& image, int hobj, bool antialias, bool& fits) {
    const int width = image.Width(), height = image.Height();
    const int scale = antialias ? 2 : 1;
    int64_t top = INT64_MAX, bottom = INT64_MIN;
    for (int h : fZOrder) {
        if (hobj > -1 && h != hobj) continue;
        const TVectShape& s = *fRecords[static_cast<size_t>(h)];
        const TRect e = EstimatedReach(s, false, scale);
        const TMapping m = MappingFor(false, scale);
        int64_t grow =
            MappedPenWidth(s.Highlight != 0 ? 1 : s.PenWidth, m.ZoomX, m.ZoomY, ZoomObjectsWidth) +
            4;
        if (s.Shadow && s.Shadow->Enabled != 0) {
            grow += SoftShadowMargin(s.Shadow->OffsetX * scale, s.Shadow->OffsetY * scale,
                                     s.Shadow->Radius * scale);
        }
        top = std::min(top, (e.Top - grow) / scale - 1);
        bottom = std::max(bottom, (e.Bottom + grow) / scale + 2);
    }
    const int b0 = static_cast<int>(std::clamp<int64_t>(top, 0, height));
    const int b1 = static_cast<int>(std::clamp<int64_t>(bottom, 0, height));
    if (b0 >= b1) {
        fits = true; // nothing can reach the picture
        return;
    }
    TIEBitmap band;
    band.Relocate(ieTBitmap);
    if (!band.Setup(width, b1 - b0, ie24RGB)) return;
    const size_t rowBytes = 3 * static_cast<size_t>(width);
    for (int y = b0; y < b1; ++y)
        std::memcpy(band.Row(y - b0), image.Row(y), rowBytes);
    TVectSurface surface;
    surface.Bitmap = band.AsVclBitmap();
    surface.OriginY = b0;
    surface.Width = width;
    surface.Height = height;
    RenderShapesOn(surface, true, hobj, antialias);
    const TRect written = IntersectRect(fPassReach, Rect(0, 0, width, height));
    if (!written.IsEmpty() && (written.Top < b0 || written.Bottom > b1)) return;
    for (int y = b0; y < b1; ++y)
        std::memcpy(image.Row(y), band.Row(y - b0), rowBytes);
    fits = true;
}

// The pixels go through a 24-bit platform bitmap and come back in the
// image's own format (a paletted image stays paletted); the image's alpha
// plane stays as it was.
void REzoreZuDidu::DrawThroughCopy(TIEBitmap& image, int hobj, bool antialias) {
    const TIEPixelFormat format = image.PixelFormat();
    TIEBitmap copy;
    copy.CopyPixelsFrom(image);
    copy.ConvertTo(ie24RGB);
    if (copy.PixelFormat() != ie24RGB || !copy.Relocate(ieTBitmap)) return;
    if (TPlatformBitmap* bitmap = copy.AsVclBitmap()) RenderShapes(true, hobj, antialias, *bitmap);
    copy.Relocate(ieMemory);
    copy.ConvertTo(format);
    if (copy.PixelFormat() != format) return;
    image.CopyPixelsFrom(copy);
}

} // namespace vellinor
