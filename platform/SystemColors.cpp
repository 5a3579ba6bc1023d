#include "platform/Color.h"

#include <array>

namespace vellinor {

namespace {

// The standard system colours with the defaults of a current desktop
// (index = the system colour number).
constexpr std::array<TColor, 31> kSystemColors = {
    0xC8C8C8, // 0 scroll bar
    0x000000, // 1 desktop background
    0xD1B499, // 2 active caption (153, 180, 209)
    0xDBCDBF, // 3 inactive caption (191, 205, 219)
    0xF0F0F0, // 4 menu
    0xFFFFFF, // 5 window
    0x646464, // 6 window frame
    0x000000, // 7 menu text
    0x000000, // 8 window text
    0x000000, // 9 caption text
    0xB4B4B4, // 10 active border
    0xFCF7F4, // 11 inactive border (244, 247, 252)
    0xABABAB, // 12 application workspace
    0xD77800, // 13 highlight (0, 120, 215)
    0xFFFFFF, // 14 highlight text
    0xF0F0F0, // 15 button face
    0xA0A0A0, // 16 button shadow
    0x6D6D6D, // 17 grey text
    0x000000, // 18 button text
    0x000000, // 19 inactive caption text
    0xFFFFFF, // 20 button highlight
    0x696969, // 21 3-D dark shadow
    0xE3E3E3, // 22 3-D light
    0x000000, // 23 tooltip text
    0xE1FFFF, // 24 tooltip background (255, 255, 225)
    0x000000, // 25 unused
    0xCC6600, // 26 hot-tracked item (0, 102, 204)
    0xEAD1B9, // 27 active caption gradient (185, 209, 234)
    0xF2E4D7, // 28 inactive caption gradient (215, 228, 242)
    0xD77800, // 29 menu highlight (0, 120, 215)
    0xF0F0F0, // 30 menu bar
};

} // namespace

TColor ColorToRGB(TColor c) {
    if (IsSystemColor(c)) {
        const uint32_t index = c & 0xFF;
        return index < kSystemColors.size() ? kSystemColors[index] : clBlack;
    }
    return c & 0x00FFFFFF;
}

TRGB TColor2TRGB(TColor c) {
    const TColor rgb = ColorToRGB(c);
    return TRGB{static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
                static_cast<uint8_t>(rgb)};
}

} // namespace vellinor
