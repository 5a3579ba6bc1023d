#pragma once
// Inside the object drawing: how bitmap coordinates map to the target, and
// what the drawing of one object knows.

#include "vect/REzoreZuDidu.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vellinor {

// Bitmap coordinates to target pixels: the view's bitmap-to-screen
// conversion on screen (the identity when drawing into the image), times the
// drawing scale.
struct REzoreZuDidu::TMapping {
    const DOrevaDeVeri* View = nullptr; // null: the identity
    int Scale = 1;
    double ZoomX = 1; // target pixels per bitmap pixel, the scale included
    double ZoomY = 1;

    int X(int64_t x) const { return Map(x, true); }
    int Y(int64_t y) const { return Map(y, false); }

private:
    int Map(int64_t v, bool horizontal) const {
        v = std::clamp<int64_t>(v, INT32_MIN, INT32_MAX);
        int64_t s = v;
        if (View != nullptr) {
            s = horizontal ? View->XBmp2Scr(static_cast<int>(v))
                           : View->YBmp2Scr(static_cast<int>(v));
        }
        return static_cast<int>(std::clamp<int64_t>(s * Scale, -1000000000, 1000000000));
    }
};

struct REzoreZuDidu::TDrawContext {
    TMapping Map;
    // The mapped box (inclusive corners).
    int X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    int PenWidth = 1; // target pixels
    bool AlphaPass = false;
    // Drawing into the object buffer (pictures copy their colours and alpha).
    bool IntoBuffer = false;
};

// The pen width of an object in target pixels.
inline int MappedPenWidth(int penWidth, double zoomX, double zoomY, bool zoomObjectsWidth) {
    if (!zoomObjectsWidth) return penWidth;
    const double w = std::ceil(std::max(std::min(zoomX, zoomY) * penWidth, 1.0));
    return static_cast<int>(std::min(w, 1e6));
}

// The grey whose channels equal an opacity, as a colour of the grey-ramp
// alpha bitmap.
constexpr TColor AlphaGrey(int opacity) {
    return 0x02000000u | static_cast<TColor>(std::clamp(opacity, 0, 255)) * 0x010101u;
}

} // namespace vellinor
