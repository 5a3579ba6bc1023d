#pragma once
// The object buffer: ie24RGB pixels held as a platform bitmap plus an ie8g
// alpha plane held as an 8-bit platform bitmap with a grey ramp, in which one
// object at a time is drawn (colour pass, coverage pass, shadow) before it is
// painted onto the target.
//
// The buffer stands for a whole target-sized (or, supersampled, larger)
// bitmap, but holds only the window an object can reach: what lies outside
// is never written nor read for that object, so the pixels come out as with
// the whole bitmap while the memory stays that of the object's surroundings.

#include "image/TIEBitmap.h"
#include "platform/Geometry.h"
#include "vect/TVectSurface.h"

namespace vellinor {

class TIEObjectBuffer {
public:
    // Holds `window` (Right and Bottom outside) of a width x height buffer,
    // clipped to it; the window's corner is moved to a multiple of 8 so that
    // brush hatches keep their phase. False (nothing held) when the window is
    // empty or memory is short.
    bool Hold(int width, int height, const TRect& window);
    void Release();

    int Width() const { return fWidth; }
    int Height() const { return fHeight; }
    // The held part, in buffer coordinates.
    const TRect& Window() const { return fWindow; }
    bool Holds(const TRect& r) const;

    TIEBitmap& Pixels() { return fPixels; }
    TIEBitmap& Alpha() { return *fPixels.AlphaPlane(); }
    TVectSurface ColorSurface();
    TVectSurface AlphaSurface();

    void FillColor(TColor color);
    void ClearAlpha();

private:
    TIEBitmap fPixels;
    int fWidth = 0;
    int fHeight = 0;
    TRect fWindow{};
};

} // namespace vellinor
