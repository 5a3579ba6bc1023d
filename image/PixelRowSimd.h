#pragma once
// Vector versions of the hottest row conversions (SSSE3, chosen at run time).
// Each converts as many whole blocks of pixels as it can without touching a
// byte past either row and returns how many pixels it did; the caller does
// the rest with the scalar code. Results equal the scalar code's exactly.

#include <cstdint>

namespace vellinor::simd {

// ie24RGB -> ie8g: (21 red + 71 green + 8 blue) div 100.
int GrayFromRGB24(const uint8_t* src, uint8_t* dst, int width);
// ie24RGB -> ie32RGB with the fourth byte 255.
int RGB24ToRGB32(const uint8_t* src, uint8_t* dst, int width);
// ie24RGB -> ie32RGB from the last pixel to the first, complete (not only
// whole blocks): for a row written over its own source from a higher or equal
// address, as when a picture widens in place.
void RGB24ToRGB32Backward(const uint8_t* src, uint8_t* dst, int width);
// ie32RGB -> ie24RGB.
int RGB32ToRGB24(const uint8_t* src, uint8_t* dst, int width);

} // namespace vellinor::simd
