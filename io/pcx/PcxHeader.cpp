#include "io/pcx/PcxHeader.h"

#include "io/IOGuards.h"

#include <algorithm>
#include <cstring>

namespace vellinor {

TPcxHeader TPcxHeader::Parse(std::span<const uint8_t, kPcxHeaderSize> bytes) {
    const uint8_t* p = bytes.data();
    TPcxHeader h;
    h.Manufacturer = p[0];
    h.Version = p[1];
    h.Encoding = p[2];
    h.BitsPerPixel = p[3];
    h.XMin = LoadLE16(p + 4);
    h.YMin = LoadLE16(p + 6);
    h.XMax = LoadLE16(p + 8);
    h.YMax = LoadLE16(p + 10);
    h.HorizontalDpi = LoadLE16(p + 12);
    h.VerticalDpi = LoadLE16(p + 14);
    std::memcpy(h.ShortPalette.data(), p + 16, h.ShortPalette.size());
    h.Planes = p[65];
    h.BytesPerLine = LoadLE16(p + 66);
    h.PaletteInfo = LoadLE16(p + 68);
    return h;
}

void TPcxHeader::Store(std::span<uint8_t, kPcxHeaderSize> bytes) const {
    uint8_t* p = bytes.data();
    std::fill(bytes.begin(), bytes.end(), uint8_t{0});
    p[0] = Manufacturer;
    p[1] = Version;
    p[2] = Encoding;
    p[3] = BitsPerPixel;
    StoreLE16(p + 4, XMin);
    StoreLE16(p + 6, YMin);
    StoreLE16(p + 8, XMax);
    StoreLE16(p + 10, YMax);
    StoreLE16(p + 12, HorizontalDpi);
    StoreLE16(p + 14, VerticalDpi);
    std::memcpy(p + 16, ShortPalette.data(), ShortPalette.size());
    p[65] = Planes;
    StoreLE16(p + 66, BytesPerLine);
    StoreLE16(p + 68, PaletteInfo);
}

std::vector<TRGB> PcxPaletteFromFile(std::span<const uint8_t> rgb) {
    std::vector<TRGB> colors(rgb.size() / 3);
    for (size_t i = 0; i < colors.size(); ++i)
        colors[i] = MakeRGB(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
    return colors;
}

void PcxPaletteToFile(std::span<const TRGB> colors, std::span<uint8_t> rgb) {
    const size_t n = std::min(colors.size(), rgb.size() / 3);
    for (size_t i = 0; i < n; ++i) {
        rgb[3 * i] = colors[i].r;
        rgb[3 * i + 1] = colors[i].g;
        rgb[3 * i + 2] = colors[i].b;
    }
}

} // namespace vellinor
