#pragma once
// Conversions of one row of pixels between formats: every format to and from
// ie24RGB, the gray level of every format, and the pairs whose rule is not the
// way through ie24RGB (gray formats keep their full precision between each
// other). Rows are raw pixel bytes as TIEBitmap::Row gives them.

#include "image/PixelFormat.h"
#include "platform/Color.h"

#include <cstdint>
#include <span>

namespace vellinor {

// Source row of `width` pixels in `from` (any format but ieNull) into ie24RGB.
// An ie8p index without a palette entry reads as black.
void RowToRGB(TIEPixelFormat from, const uint8_t* src, TRGB* dst, int width,
              std::span<const TRGB> palette);

// ie24RGB row into `to`; every format but ieNull, ie1g and ie8p.
void RowFromRGB(TIEPixelFormat to, const TRGB* src, uint8_t* dst, int width);

// The 8-bit gray level of every pixel: (21 red + 71 green + 8 blue) div 100
// of the pixel's ie24RGB colour (for the gray formats their own level).
// scratch holds `width` pixels.
void RowToGray(TIEPixelFormat from, const uint8_t* src, uint8_t* gray, int width,
               std::span<const TRGB> palette, TRGB* scratch);

// Pairs converted without going through ie24RGB, because their rule keeps more
// precision or because they are hot paths. False, with nothing written, for
// any other pair.
bool ConvertRowDirect(TIEPixelFormat from, TIEPixelFormat to, const uint8_t* src, uint8_t* dst,
                      int width);

} // namespace vellinor
