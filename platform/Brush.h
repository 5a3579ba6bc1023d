#pragma once
// The brush a canvas fills with. Hatch styles paint their lines in Color on an
// 8 x 8 pattern anchored at the bitmap's origin; the gaps take the canvas's
// background colour in opaque background mode and stay untouched otherwise.

#include "platform/Color.h"

#include <cstdint>

namespace vellinor {

// Ordinals are the platform's; bsHorizontal ... bsDiagCross are the six hatch
// patterns in the platform's order (hatch index = style - 2).
enum TBrushStyle : uint8_t {
    bsSolid = 0,
    bsClear = 1,
    bsHorizontal = 2,
    bsVertical = 3,
    bsFDiagonal = 4, // "\": top-left to bottom-right
    bsBDiagonal = 5, // "/": bottom-left to top-right
    bsCross = 6,
    bsDiagCross = 7,
};

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
    friend bool operator==(const TBrush&, const TBrush&) = default;
};

constexpr bool IsHatchStyle(TBrushStyle s) {
    return s >= bsHorizontal && s <= bsDiagCross;
}

// Row y (0..7) of the hatch pattern of a hatch style; bit 7 is column 0.
uint8_t HatchPatternRow(TBrushStyle style, int y);

} // namespace vellinor
