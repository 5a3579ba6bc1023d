#pragma once
// Colour words and the three-byte pixel shared by the whole system.

#include <cstdint>

namespace vellinor {

// A colour word 0x00BBGGRR. Words with the high byte 0xFF name a system colour
// (low byte = system colour index) and must be resolved before use.
using TColor = uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clBtnFace = 0xFF00000F;

// Blue, green, red: the pixel of ie24RGB rows and the type of palette entries.
struct TRGB {
    uint8_t b = 0;
    uint8_t g = 0;
    uint8_t r = 0;
    friend bool operator==(const TRGB&, const TRGB&) = default;
};
static_assert(sizeof(TRGB) == 3);

constexpr TRGB MakeRGB(uint8_t r, uint8_t g, uint8_t b) {
    return TRGB{b, g, r};
}

// The process-wide grey weights.
constexpr uint8_t GrayLevel(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<uint8_t>((21 * r + 71 * g + 8 * b) / 100);
}
constexpr uint8_t GrayLevel(TRGB c) {
    return GrayLevel(c.r, c.g, c.b);
}

constexpr bool IsSystemColor(TColor c) {
    return (c >> 24) == 0xFF;
}

// Resolves a system colour word to its RGB word; other words pass unchanged
// (with any high byte other than 0xFF cleared).
TColor ColorToRGB(TColor c);

// Colour word -> TRGB, resolving system colours first.
TRGB TColor2TRGB(TColor c);
constexpr TColor TRGB2TColor(TRGB c) {
    return static_cast<TColor>(c.r) | (static_cast<TColor>(c.g) << 8) |
           (static_cast<TColor>(c.b) << 16);
}

} // namespace vellinor
