#pragma once
// The eleven pixel formats of TIEBitmap, their constant tables, and the pixel
// records of the multi-byte formats.

#include <cstdint>

namespace vellinor {

enum TIEPixelFormat : uint8_t {
    ieNull = 0,
    ie1g = 1,     // 1 bit, leftmost pixel in bit 7; 1 = white
    ie8p = 2,     // palette index
    ie8g = 3,     // grey 0..255
    ie16g = 4,    // grey 0..65535
    ie24RGB = 5,  // blue, green, red
    ie32f = 6,    // float grey 0.0..1.0
    ieCMYK = 7,   // four bytes
    ieRGB48 = 8,  // three words red, green, blue
    ieCIELab = 9, // L 0..250, a, b signed
    ie32RGB = 10, // blue, green, red, fourth byte
};
constexpr int kPixelFormatCount = 11;

constexpr int kIEBitsPerPixel[kPixelFormatCount] = {0, 1, 8, 8, 16, 24, 32, 32, 48, 24, 32};
constexpr int kIEChannels[kPixelFormatCount] = {0, 1, 1, 1, 1, 3, 1, 4, 3, 3, 4};

constexpr bool IsValidPixelFormat(int f) {
    return f >= 0 && f < kPixelFormatCount;
}

const char* PixelFormatName(TIEPixelFormat format);

enum TIELocation : uint8_t { ieMemory = 0, ieTempFile = 1, ieTBitmap = 2 };

// Formats an ieTBitmap bitmap can hold (ie16g is held as ie8g there).
constexpr bool PlatformCanHold(TIEPixelFormat f) {
    return f == ie1g || f == ie8p || f == ie8g || f == ie16g || f == ie24RGB || f == ie32RGB;
}

// The platform bitmap depth that holds a format.
constexpr int PlatformBitCount(TIEPixelFormat f) {
    switch (f) {
    case ie1g:
        return 1;
    case ie8p:
    case ie8g:
    case ie16g:
        return 8;
    case ie32RGB:
        return 32;
    default:
        return 24;
    }
}

struct TCMYK {
    uint8_t c = 0, m = 0, y = 0, k = 0;
    friend bool operator==(const TCMYK&, const TCMYK&) = default;
};
struct TCIELab {
    uint8_t l = 0;
    int8_t a = 0, b = 0;
    friend bool operator==(const TCIELab&, const TCIELab&) = default;
};
struct TRGB48 {
    uint16_t r = 0, g = 0, b = 0;
    friend bool operator==(const TRGB48&, const TRGB48&) = default;
};
static_assert(sizeof(TCMYK) == 4 && sizeof(TCIELab) == 3 && sizeof(TRGB48) == 6);

} // namespace vellinor
