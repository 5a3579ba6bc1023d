#pragma once
// Turning decoded components into bitmap rows. Each component is sampled at
// the image's pixel positions on the reference grid, so subsampled
// components are stretched, with 0 outside a component's extent. A sample of
// precision p becomes 8 bits as the top byte of the sample shifted left by
// 32 - p; signed samples are first moved to the unsigned range.

#include "io/jp2/J2kChannels.h"

#include <cstdint>
#include <openjpeg.h>

namespace vellinor {

class TIEBitmap;
struct TIOProgressRec;

// The 8-bit value of sample s of a component of the given precision (1..32).
uint8_t J2kSampleTo8(int32_t sample, uint32_t precision, bool isSigned);

// Fills bitmap (ie24RGB, or ie1g for grey, of the image's size) and, when
// given, the alpha plane, row by row. After each row y, trunc(y x
// PercentPerUnit) is reported; the abort flag ends the loop.
void FillJ2kRows(const opj_image_t& image, const TJ2kChannels& channels, TIEBitmap& bitmap,
                 TIEBitmap* alpha, TIOProgressRec& progress);

} // namespace vellinor
