#pragma once
// Small pictures for the processing tests: every pixel tells where it came from.

#include "image/TIEBitmap.h"

#include <cstdint>

namespace vellinor::test {

// Pixel (x, y) = red x, green y, blue 7: after a canvas resize the colour
// names the old position.
inline void FillWithPositions(TIEBitmap& b, int width, int height) {
    b.Setup(width, height, ie24RGB);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            b.SetRGB(x, y, MakeRGB(static_cast<uint8_t>(x), static_cast<uint8_t>(y), 7));
}

inline TRGB Position(int x, int y) {
    return MakeRGB(static_cast<uint8_t>(x), static_cast<uint8_t>(y), 7);
}

} // namespace vellinor::test
