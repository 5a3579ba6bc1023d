#pragma once
// The 128-byte PCX file header and the red-green-blue palettes of the format.

#include "platform/Color.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace vellinor {

constexpr int kPcxHeaderSize = 128;
constexpr uint8_t kPcxManufacturer = 10;
// The byte in front of the 256-colour palette at the end of an 8-bit file.
constexpr uint8_t kPcxPaletteMarker = 12;
constexpr int kPcxLongPaletteBytes = 768;
// The smallest data size with room for the header and the trailing palette.
constexpr int64_t kPcxMinSizeWithPalette = kPcxHeaderSize + kPcxLongPaletteBytes;

struct TPcxHeader {
    uint8_t Manufacturer = kPcxManufacturer;
    uint8_t Version = 5;
    uint8_t Encoding = 1; // 0 raw, 1 RLE
    uint8_t BitsPerPixel = 8;
    uint16_t XMin = 0;
    uint16_t YMin = 0;
    uint16_t XMax = 0;
    uint16_t YMax = 0;
    uint16_t HorizontalDpi = 0;
    uint16_t VerticalDpi = 0;
    std::array<uint8_t, 48> ShortPalette{}; // 16 entries red, green, blue
    uint8_t Planes = 1;
    uint16_t BytesPerLine = 0; // per plane
    uint16_t PaletteInfo = 1;

    static TPcxHeader Parse(std::span<const uint8_t, kPcxHeaderSize> bytes);
    void Store(std::span<uint8_t, kPcxHeaderSize> bytes) const;

    // The window's size; zero or less when the window is inverted.
    int64_t Width() const { return int64_t{XMax} - XMin + 1; }
    int64_t Height() const { return int64_t{YMax} - YMin + 1; }
};

// File palettes are red, green, blue; ours are TRGB (blue, green, red).
std::vector<TRGB> PcxPaletteFromFile(std::span<const uint8_t> rgb);
void PcxPaletteToFile(std::span<const TRGB> colors, std::span<uint8_t> rgb);

} // namespace vellinor
