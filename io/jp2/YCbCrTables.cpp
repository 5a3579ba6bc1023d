#include "io/jp2/YCbCrTables.h"

#include <cmath>

namespace vellinor {

namespace {

// Nearest integer, halves to even (the default rounding mode).
int RoundHalfEven(float value) {
    return static_cast<int>(std::nearbyint(value));
}

TYCbCrTables ComputeTables() {
    const float kr = 0.299f, kg = 0.587f, kb = 0.114f;
    const float crToRed = 2 - 2 * kr;  // 1.402
    const float cbToBlue = 2 - 2 * kb; // 1.772
    const float crToGreen = kr * crToRed / kg;
    const float cbToGreen = kb * cbToBlue / kg;
    TYCbCrTables tables;
    for (int i = 0; i < 256; ++i) {
        const float d = static_cast<float>(i - 128);
        tables.CrR[i] = RoundHalfEven(crToRed * d);
        tables.CbB[i] = RoundHalfEven(cbToBlue * d);
        tables.CrG[i] = -RoundHalfEven(crToGreen * d);
        tables.CbG[i] = -RoundHalfEven(cbToGreen * d);
    }
    return tables;
}

} // namespace

const TYCbCrTables& YCbCrTables() {
    static const TYCbCrTables tables = ComputeTables();
    return tables;
}

} // namespace vellinor
