#include "io/jpeg/ApplyOrientation.h"

#include "image/TIEBitmap.h"

#include <cstring>

namespace vellinor {

namespace {

struct TSourcePoint {
    int X, Y;
};

// The source pixel of destination pixel (x, y); w, h: the source's size.
TSourcePoint SourceOf(int orientation, int x, int y, int w, int h) {
    switch (orientation) {
    case 2:
        return {w - 1 - x, y};
    case 3:
        return {w - 1 - x, h - 1 - y};
    case 4:
        return {x, h - 1 - y};
    case 5:
        return {y, x};
    case 6:
        return {y, h - 1 - x};
    case 7:
        return {w - 1 - y, h - 1 - x};
    case 8:
        return {w - 1 - y, x};
    default:
        return {x, y};
    }
}

bool Reorient(TIEBitmap& source, TIEBitmap& dest, int orientation) {
    const int w = source.Width(), h = source.Height();
    const bool swaps = orientation >= 5;
    const int dw = swaps ? h : w, dh = swaps ? w : h;
    const TIEPixelFormat format = source.PixelFormat();
    dest.IsAlphaPlane = source.IsAlphaPlane;
    if (!dest.Setup(dw, dh, format)) return false;
    if (format == ie8p) dest.SetPalette(source.Palette());
    if (format == ie1g) {
        for (int y = 0; y < dh; ++y)
            for (int x = 0; x < dw; ++x) {
                const TSourcePoint p = SourceOf(orientation, x, y, w, h);
                dest.SetBit(x, y, source.GetBit(p.X, p.Y));
            }
        return true;
    }
    const size_t bytes = static_cast<size_t>(source.BitsPerPixel() / 8);
    for (int y = 0; y < dh; ++y) {
        uint8_t* out = dest.Row(y);
        for (int x = 0; x < dw; ++x, out += bytes) {
            const TSourcePoint p = SourceOf(orientation, x, y, w, h);
            std::memcpy(out, source.Row(p.Y) + bytes * static_cast<size_t>(p.X), bytes);
        }
    }
    return true;
}

} // namespace

void ApplyOrientation(TIEBitmap& bitmap, int orientation) {
    if (orientation < 2 || orientation > 8 || bitmap.IsVoid()) return;
    std::unique_ptr<TIEBitmap> alpha = bitmap.DetachAlphaPlane();
    TIEBitmap turned;
    if (!Reorient(bitmap, turned, orientation)) {
        bitmap.AttachAlphaPlane(std::move(alpha));
        return;
    }
    turned.Opaque = bitmap.Opaque;
    turned.HandOver(bitmap);
    if (alpha) {
        TIEBitmap turnedAlpha;
        if (Reorient(*alpha, turnedAlpha, orientation)) {
            auto plane = std::make_unique<TIEBitmap>();
            turnedAlpha.HandOver(*plane);
            plane->Opaque = alpha->Opaque;
            bitmap.AttachAlphaPlane(std::move(plane));
        }
    }
}

} // namespace vellinor
