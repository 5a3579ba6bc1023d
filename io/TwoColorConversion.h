#pragma once
// The two-colour conversion shared by the writers of bilevel output (BMP,
// GIF, PCX, PNG, TIFF): a picture with exactly two distinct colours becomes
// an ie1g bitmap whose bit 0 is the darker colour.

#include "platform/Color.h"

namespace vellinor {

class TIEBitmap;

// Scans source row by row (stopping after the row where a third colour
// appears). With exactly two colours: dest becomes ie1g of the same size,
// the darker colour (grey level 21/71/8 per cent, rounded; on a tie the one
// met first) as bit 0, and color0/color1 receive the two colours; true.
// Otherwise false and dest is untouched.
bool MakeTwoColorBitmap(TIEBitmap& source, TIEBitmap& dest, TRGB& color0, TRGB& color1);

// The rounded grey level used to order the two colours.
int RoundedGrayLevel(TRGB color);

} // namespace vellinor
