#pragma once
// The soft-shadow settings of one object. Every record, the template's
// included, owns its own instance; callers change the fields directly.

#include "platform/Color.h"

#include <cstdint>

namespace vellinor {

class TIEVSoftShadow {
public:
    uint8_t Enabled = 0;
    double Radius = 3.0;     // standard deviation in buffer pixels; 0 = 3 x 3 box blur
    int32_t OffsetX = 0;     // bitmap pixels, positive = right
    int32_t OffsetY = 0;     // positive = down
    int32_t Intensity = 100; // 0 ... 100, lowers the pure shadow's opacity
    TRGB Color{};            // black
};

} // namespace vellinor
