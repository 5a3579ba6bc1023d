#pragma once
// Inside the drawing layer: pixels of a platform bitmap as device values
// (palette index for 1, 4 and 8 bits, the packed word for 15 and 16 bits,
// 0x00RRGGBB for 24 and 32 bits), painted span by span with a raster operation
// and pattern, and text coverage blended onto them. Callers clip.

#include "platform/Brush.h"
#include "platform/Color.h"

#include <cstdint>
#include <unordered_map>

namespace vellinor {

class TPlatformBitmap;

// What a span is painted with: a device value through a binary raster
// operation (1 ... 16, 13 = copy), optionally as a hatch pattern whose gaps
// take Back (when BackOpaque) or stay untouched.
struct TPaint {
    int Rop2 = 13;
    uint32_t Fore = 0;
    bool Hatched = false;
    uint8_t Pattern[8] = {};
    uint32_t Back = 0;
    bool BackOpaque = false;
};

class TRasterTarget {
public:
    explicit TRasterTarget(TPlatformBitmap& bitmap);

    int Width() const { return fWidth; }
    int Height() const { return fHeight; }
    int BitCount() const { return fBits; }

    // The device value a colour is drawn with (system colours resolved,
    // indexed targets take the nearest colour-table entry).
    uint32_t DeviceValue(TColor color);
    uint32_t DeviceValue(TRGB rgb);
    TRGB ColorOfValue(uint32_t value) const;

    uint32_t Get(int x, int y) const;
    void Put(int x, int y, uint32_t value);

    // Paints pixels x0 <= x < x1 of row y.
    void PaintSpan(int y, int x0, int x1, const TPaint& paint);
    // Blends n pixels from (x, y) towards the colour by their coverage
    // (0 keeps the pixel, 255 gives the colour's device value exactly).
    void BlendCoverage(int y, int x, const uint8_t* coverage, int n, TRGB color, uint32_t value);

    // The binary raster operation on two device values.
    static uint32_t ApplyRop2(int rop2, uint32_t pen, uint32_t dest);

private:
    uint8_t* Row(int y) const;

    TPlatformBitmap& fBitmap;
    int fWidth;
    int fHeight;
    int fBits;
    bool fGrayRamp;
    uint32_t fValueMask;
    std::unordered_map<uint32_t, uint32_t> fNearest; // rgb -> index for palettes
};

// (v + 127.5) / 255 for v in 0 ... 65025, exactly rounded.
constexpr uint32_t Div255(uint32_t v) {
    return ((v + 128) * 257) >> 16;
}

} // namespace vellinor
