#include "io/TwoColorConversion.h"

#include "image/TIEBitmap.h"

#include <cstring>
#include <vector>

namespace vellinor {

int RoundedGrayLevel(TRGB c) {
    const int weighted = 21 * c.r + 71 * c.g + 8 * c.b;
    return (weighted + 50) / 100;
}

bool MakeTwoColorBitmap(TIEBitmap& source, TIEBitmap& dest, TRGB& color0, TRGB& color1) {
    const int width = source.Width(), height = source.Height();
    if (source.IsVoid()) return false;
    const bool direct = source.PixelFormat() == ie24RGB;
    TRGB first{}, second{};
    int colors = 0;
    std::vector<uint8_t> bits(static_cast<size_t>((width + 7) / 8) * static_cast<size_t>(height));
    const size_t packed = static_cast<size_t>((width + 7) / 8);
    for (int y = 0; y < height && colors < 3; ++y) {
        const auto* row = reinterpret_cast<const TRGB*>(source.Row(y));
        uint8_t* out = bits.data() + packed * static_cast<size_t>(y);
        for (int x = 0; x < width; ++x) {
            const TRGB c = direct ? row[x] : source.ReadAsRGB(x, y);
            if (colors == 0) {
                first = c;
                colors = 1;
            }
            if (c == first) continue;
            if (colors == 1) {
                second = c;
                colors = 2;
            } else if (!(c == second)) {
                colors = 3;
            }
            out[x >> 3] = static_cast<uint8_t>(out[x >> 3] | (0x80 >> (x & 7)));
        }
    }
    if (colors != 2) return false;
    const bool invert = RoundedGrayLevel(second) < RoundedGrayLevel(first);
    if (!dest.Setup(width, height, ie1g)) return false;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = dest.Row(y);
        const uint8_t* in = bits.data() + packed * static_cast<size_t>(y);
        for (size_t i = 0; i < packed; ++i)
            row[i] = invert ? static_cast<uint8_t>(~in[i]) : in[i];
        if (invert && (width & 7) != 0) {
            // Keep the bits past the last pixel clear.
            row[packed - 1] = static_cast<uint8_t>(row[packed - 1] & (0xFF00 >> (width & 7)));
        }
    }
    color0 = invert ? second : first;
    color1 = invert ? first : second;
    return true;
}

} // namespace vellinor
