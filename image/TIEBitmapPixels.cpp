// Pixel and palette accessors, whole-image tests and the fills.

#include "image/ColorConversions.h"
#include "image/PixelAccess.h"
#include "image/TIEBitmap.h"
#include "platform/PlatformBitmap.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vellinor {

namespace {

// The integer part of a fill value; values that are not numbers count as 0.
int64_t IntegerValue(double value) {
    if (!std::isfinite(value)) return 0;
    value = std::trunc(value);
    if (value >= 9.2e18 || value <= -9.2e18) return 0;
    return static_cast<int64_t>(value);
}

TColor ColorValue(double value) {
    return static_cast<TColor>(IntegerValue(value));
}

} // namespace

// --- Accessors ------------------------------------------------------------------

uint8_t TIEBitmap::GetByte(int x, int y) {
    return Row(y)[x];
}

void TIEBitmap::SetByte(int x, int y, uint8_t value) {
    Row(y)[x] = value;
    if (value != 255) Opaque = false;
}

uint16_t TIEBitmap::GetWord(int x, int y) {
    return LoadPixel<uint16_t>(Row(y) + 2 * x);
}

void TIEBitmap::SetWord(int x, int y, uint16_t value) {
    StorePixel(Row(y) + 2 * x, value);
    if (value != 65535) Opaque = false;
}

float TIEBitmap::GetFloat(int x, int y) {
    return LoadPixel<float>(Row(y) + 4 * x);
}

void TIEBitmap::SetFloat(int x, int y, float value) {
    StorePixel(Row(y) + 4 * x, value);
    if (value < 1.0f) Opaque = false;
}

uint32_t TIEBitmap::GetDword(int x, int y) {
    return LoadPixel<uint32_t>(Row(y) + 4 * x);
}

void TIEBitmap::SetDword(int x, int y, uint32_t value) {
    StorePixel(Row(y) + 4 * x, value);
}

TRGB TIEBitmap::GetRGB(int x, int y) {
    return *PixelRGB(x, y);
}

void TIEBitmap::SetRGB(int x, int y, TRGB value) {
    *PixelRGB(x, y) = value;
}

TRGB48 TIEBitmap::GetRGB48(int x, int y) {
    return LoadPixel<TRGB48>(Row(y) + 6 * x);
}

void TIEBitmap::SetRGB48(int x, int y, TRGB48 value) {
    StorePixel(Row(y) + 6 * x, value);
    if (value.r < 65535 || value.g < 65535 || value.b < 65535) Opaque = false;
}

bool TIEBitmap::GetBit(int x, int y) {
    return (Row(y)[x >> 3] >> (7 - (x & 7))) & 1;
}

void TIEBitmap::SetBit(int x, int y, bool white) {
    uint8_t& byte = Row(y)[x >> 3];
    const auto bit = static_cast<uint8_t>(0x80 >> (x & 7));
    byte = white ? static_cast<uint8_t>(byte | bit) : static_cast<uint8_t>(byte & ~bit);
}

TRGB TIEBitmap::ReadAsRGB(int x, int y) {
    const TIEPixelFormat format = PixelFormat();
    if (format == ieNull || IsVoid()) return TRGB{};
    const uint8_t* row = Row(y);
    switch (format) {
    case ie1g: {
        const uint8_t v = ((row[x >> 3] >> (7 - (x & 7))) & 1) ? 255 : 0;
        return TRGB{v, v, v};
    }
    case ie8p:
        return GetPaletteColor(row[x]);
    case ie8g:
        return TRGB{row[x], row[x], row[x]};
    case ie16g: {
        const auto v = static_cast<uint8_t>(LoadPixel<uint16_t>(row + 2 * x) >> 8);
        return TRGB{v, v, v};
    }
    case ie24RGB:
        return LoadPixel<TRGB>(row + 3 * x);
    case ie32f: {
        const float f = LoadPixel<float>(row + 4 * x);
        const double scaled = std::isfinite(f) ? std::clamp(std::trunc(f * 255.0), 0.0, 255.0) : 0;
        const auto v = static_cast<uint8_t>(scaled);
        return TRGB{v, v, v};
    }
    case ieCMYK:
        return CMYK2RGB(LoadPixel<TCMYK>(row + 4 * x));
    case ieRGB48: {
        const TRGB48 p = LoadPixel<TRGB48>(row + 6 * x);
        return MakeRGB(static_cast<uint8_t>(p.r >> 8), static_cast<uint8_t>(p.g >> 8),
                       static_cast<uint8_t>(p.b >> 8));
    }
    case ieCIELab:
        return CIELab2RGB(LoadPixel<TCIELab>(row + 3 * x));
    case ie32RGB:
        return TRGB{row[4 * x], row[4 * x + 1], row[4 * x + 2]};
    default:
        return TRGB{};
    }
}

TRGB TIEBitmap::GetPaletteColor(int index) const {
    Sync();
    if (index < 0 || index >= static_cast<int>(fPalette.size())) return TRGB{};
    return fPalette[static_cast<size_t>(index)];
}

void TIEBitmap::SetPaletteColor(int index, TRGB color) {
    Sync();
    if (index < 0 || index >= static_cast<int>(fPalette.size())) return;
    fPalette[static_cast<size_t>(index)] = color;
    if (fLocation == ieTBitmap && fVcl != nullptr) {
        fVcl->SetColorTableEntry(index, color);
        fVclGeneration = fVcl->Generation();
    }
}

void TIEBitmap::SetPalette(std::span<const TRGB> colors) {
    Sync();
    fPalette.assign(colors.begin(), colors.begin() + std::min<size_t>(colors.size(), 256));
    PushPaletteToPlatform();
}

bool TIEBitmap::LooksGray() {
    const TIEPixelFormat format = PixelFormat();
    auto gray = [](uint32_t b, uint32_t g, uint32_t r) { return b == g && g == r; };
    switch (format) {
    case ie8p:
        return std::all_of(fPalette.begin(), fPalette.end(),
                           [&](TRGB c) { return gray(c.b, c.g, c.r); });
    case ie24RGB:
    case ie32RGB:
    case ieRGB48: {
        const int step = format == ie24RGB ? 3 : format == ie32RGB ? 4 : 6;
        for (int y = 0; y < fHeight; ++y) {
            const uint8_t* p = Row(y);
            for (int x = 0; x < fWidth; ++x, p += step) {
                if (format == ieRGB48) {
                    const TRGB48 v = LoadPixel<TRGB48>(p);
                    if (!gray(v.b, v.g, v.r)) return false;
                } else if (!gray(p[0], p[1], p[2])) {
                    return false;
                }
            }
        }
        return true;
    }
    default:
        return true;
    }
}

bool TIEBitmap::IsAllZero() {
    const int64_t bytes = PackedRowBytes();
    for (int y = 0; y < fHeight; ++y) {
        const uint8_t* p = Row(y);
        if (std::any_of(p, p + bytes, [](uint8_t b) { return b != 0; })) return false;
    }
    return true;
}

// --- Fills -------------------------------------------------------------------------

void TIEBitmap::FillAll(double value) {
    Sync();
    if (fFormat == ieNull || IsVoid()) return;
    FillRect(0, 0, fWidth - 1, fHeight - 1, value, true);
    const int64_t n = IntegerValue(value);
    switch (fFormat) {
    case ie1g:
        Opaque = n != 0;
        break;
    case ie8p:
    case ie8g:
        Opaque = n == 255;
        break;
    case ie16g:
        Opaque = n == 65535;
        break;
    case ie32f:
        Opaque = value == 1.0;
        break;
    default:
        Opaque = ColorToRGB(ColorValue(value)) == clWhite;
        break;
    }
}

void TIEBitmap::FillArea(int x1, int y1, int x2, int y2, double value) {
    Sync();
    if (fFormat == ieNull || IsVoid()) return;
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, fWidth - 1);
    y2 = std::min(y2, fHeight - 1);
    if (y2 < y1 || x2 < x1) return;
    FillRect(x1, y1, x2, y2, value, false);
}

// Writes one pixel pattern into the clamped rectangle; fraction says whether
// an ie32f fill keeps the fractional part of the value (FillAll does).
void TIEBitmap::FillRect(int x1, int y1, int x2, int y2, double value, bool fraction) {
    const int64_t n = IntegerValue(value);
    const TColor color = ColorValue(value);
    uint8_t pixel[8] = {};
    int size = 0;
    switch (fFormat) {
    case ie8p:
    case ie8g:
        pixel[0] = static_cast<uint8_t>(n);
        size = 1;
        break;
    case ie16g:
        StorePixel(pixel, static_cast<uint16_t>(n));
        size = 2;
        break;
    case ie24RGB:
    case ie32RGB:
        StorePixel(pixel, TColor2TRGB(color));
        size = fFormat == ie24RGB ? 3 : 4;
        break;
    case ie32f:
        StorePixel(pixel, fraction ? static_cast<float>(value) : static_cast<float>(n));
        size = 4;
        break;
    case ieCMYK:
        StorePixel(pixel, RGB2CMYK(TColor2TRGB(color)));
        size = 4;
        break;
    case ieRGB48: {
        const TRGB c = TColor2TRGB(color);
        StorePixel(pixel, TRGB48{static_cast<uint16_t>(c.r * 257), static_cast<uint16_t>(c.g * 257),
                                 static_cast<uint16_t>(c.b * 257)});
        size = 6;
        break;
    }
    case ieCIELab:
        StorePixel(pixel, RGB2CIELab(TColor2TRGB(color)));
        size = 3;
        break;
    default:
        break;
    }

    const bool whole = x1 == 0 && x2 == fWidth - 1;
    // A whole row is written completely (ie32RGB keeps its fourth bytes, so it
    // must be read).
    const uint8_t access =
        SwitchAccess((whole && fFormat != ie32RGB) ? iedaWrite : (iedaRead | iedaWrite));
    if (fFormat == ie1g) {
        const bool white = n != 0;
        for (int y = y1; y <= y2; ++y) {
            uint8_t* row = Row(y);
            if (whole) {
                std::memset(row, white ? 0xFF : 0x00, static_cast<size_t>(fRowBytes));
                continue;
            }
            for (int x = x1; x <= x2; ++x) {
                const auto bit = static_cast<uint8_t>(0x80 >> (x & 7));
                row[x >> 3] = white ? static_cast<uint8_t>(row[x >> 3] | bit)
                                    : static_cast<uint8_t>(row[x >> 3] & ~bit);
            }
        }
    } else if (fFormat == ie32RGB) {
        for (int y = y1; y <= y2; ++y) {
            uint8_t* p = Row(y) + 4 * x1;
            for (int x = x1; x <= x2; ++x, p += 4)
                std::memcpy(p, pixel, 3);
        }
    } else {
        const int count = x2 - x1 + 1;
        std::vector<uint8_t> pattern(static_cast<size_t>(count) * size);
        for (int i = 0; i < count; ++i)
            std::memcpy(pattern.data() + i * size, pixel, size);
        for (int y = y1; y <= y2; ++y) {
            uint8_t* row = Row(y);
            std::memcpy(row + static_cast<size_t>(x1) * size, pattern.data(), pattern.size());
            if (whole) {
                const size_t used = pattern.size();
                std::memset(row + used, 0, static_cast<size_t>(fRowBytes) - used);
            }
        }
    }
    SwitchAccess(access);
}

} // namespace vellinor
