#include "image/Dithering.h"

#include <algorithm>

namespace vellinor {

const uint8_t kBayer8[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21},
};

namespace {

template <typename IsWhite>
void PackBits(uint8_t* bits, int width, IsWhite&& isWhite) {
    const int bytes = (width + 7) / 8;
    for (int i = 0; i < bytes; ++i) {
        uint8_t byte = 0;
        const int first = i * 8;
        const int last = std::min(first + 8, width);
        for (int x = first; x < last; ++x) {
            if (isWhite(x)) byte |= static_cast<uint8_t>(0x80 >> (x - first));
        }
        bits[i] = byte;
    }
}

} // namespace

void DitherRowOrdered(const uint8_t* gray, uint8_t* bits, int width, int y) {
    const int column = y & 7;
    PackBits(bits, width, [&](int x) { return kBayer8[x & 7][column] < (gray[x] >> 2); });
}

void ThresholdRow(const uint8_t* gray, uint8_t* bits, int width, int threshold) {
    PackBits(bits, width, [&](int x) { return gray[x] >= threshold; });
}

void TAverageGray::AddRow(const TRGB* pixels, int width) {
    uint64_t r = 0, g = 0, b = 0;
    int lo = fMinGray, hi = fMaxGray;
    for (int x = 0; x < width; ++x) {
        const TRGB c = pixels[x];
        r += c.r;
        g += c.g;
        b += c.b;
        const int level = GrayLevel(c);
        lo = std::min(lo, level);
        hi = std::max(hi, level);
    }
    fRed += r;
    fGreen += g;
    fBlue += b;
    fCount += static_cast<uint64_t>(std::max(width, 0));
    fMinGray = lo;
    fMaxGray = hi;
}

int TAverageGray::Threshold() const {
    if (fCount == 0) return 128;
    if (fMinGray == fMaxGray) return 128;
    const uint64_t r = fRed / fCount, g = fGreen / fCount, b = fBlue / fCount;
    return static_cast<int>((21 * r + 71 * g + 8 * b) / 100);
}

} // namespace vellinor
