#pragma once
// How TIEBitmap::PaintTo renders a bitmap, scaled, into a 24- or 32-bit target:
// the mapping from source to target pixels, the part of the target written,
// the resampling filter and the alpha blending.

#include <cstdint>

namespace vellinor {

enum TResampleFilter : uint8_t {
    rfNone = 0,     // nearest pixel
    rfTriangle = 1, // linear weights; when reducing, over every source pixel a target pixel covers
};

struct TIEPaintRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct TIEPaintOptions {
    // Source pixel (0, 0) starts at target position (OriginX, OriginY); one
    // source pixel covers ScaleX x ScaleY target pixels. Without a filter,
    // target pixel (tx, ty) shows source pixel floor((tx - OriginX) / ScaleX),
    // floor((ty - OriginY) / ScaleY): the view's screen-to-bitmap conversion.
    double OriginX = 0;
    double OriginY = 0;
    double ScaleX = 1;
    double ScaleY = 1;
    // Target pixels to write; clipped to the target and to the footprint of Source.
    TIEPaintRect Target;
    // Source pixels that may be read; a width or height below 0 means the whole bitmap.
    TIEPaintRect Source{0, 0, -1, -1};
    TResampleFilter Filter = rfNone;
    // Blend by the alpha plane over what the target holds (else the colour is copied).
    bool UseAlpha = true;
    // 0..255, applied on top of the alpha plane.
    int Opacity = 255;
};

// Options that stretch the source rectangle onto the target rectangle.
TIEPaintOptions PaintRectToRect(const TIEPaintRect& target, const TIEPaintRect& source,
                                TResampleFilter filter = rfNone);

} // namespace vellinor
