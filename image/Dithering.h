#pragma once
// Black-and-white conversion of gray rows into ie1g rows: the ordered 8 x 8
// Bayer dither and the threshold at the image's average gray.

#include "platform/Color.h"

#include <cstdint>

namespace vellinor {

// kBayer8[x mod 8][y mod 8]: the first index is the column.
extern const uint8_t kBayer8[8][8];

// Ordered dither of row y: a pixel is white when kBayer8[x mod 8][y mod 8] is
// below its level gray shr 2. Writes every byte of the (width + 7) / 8 bytes.
void DitherRowOrdered(const uint8_t* gray, uint8_t* bits, int width, int y);

// A pixel is white unless its gray is below the threshold.
void ThresholdRow(const uint8_t* gray, uint8_t* bits, int width, int threshold);

// Collects the average colour of a picture, row by row, and gives the
// threshold for ThresholdRow.
class TAverageGray {
public:
    void AddRow(const TRGB* pixels, int width);
    // The gray of the average colour. A picture of one gray level has no
    // meaningful average to split at; it is split at the middle level instead,
    // so that black stays black and white stays white.
    int Threshold() const;

private:
    uint64_t fRed = 0, fGreen = 0, fBlue = 0, fCount = 0;
    int fMinGray = 255, fMaxGray = 0;
};

} // namespace vellinor
