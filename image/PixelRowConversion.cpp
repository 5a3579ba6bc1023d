#include "image/PixelRowConversion.h"

#include "image/ColorConversions.h"
#include "image/PixelAccess.h"
#include "image/PixelRowSimd.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace vellinor {

namespace {

static_assert(std::endian::native == std::endian::little, "pixel words are little-endian");

bool BitAt(const uint8_t* row, int x) {
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

// trunc(v x scale) held inside 0 ... scale; NaN counts as 0.
double ScaledFloat(float v, double scale) {
    const double s = static_cast<double>(v) * scale;
    if (!(s > 0)) return 0;
    return std::trunc(std::min(s, scale));
}

uint8_t FloatToByte(float v) {
    return static_cast<uint8_t>(ScaledFloat(v, 255.0));
}

uint16_t FloatToWord(float v) {
    return static_cast<uint16_t>(ScaledFloat(v, 65535.0));
}

// The weights 212, 713, 75 per mille on channels scaled by 257.
uint16_t Gray16Of(TRGB c) {
    return static_cast<uint16_t>((c.r * 54484u + c.g * 183241u + c.b * 19275u) / 1000u);
}

float FloatGrayOf(TRGB c) {
    return static_cast<float>((0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b) / 255.0);
}

TRGB Gray(uint8_t v) {
    return TRGB{v, v, v};
}

void GrayFromRGB24(const uint8_t* src, uint8_t* dst, int width) {
    const int done = simd::GrayFromRGB24(src, dst, width);
    src += 3 * done;
    for (int x = done; x < width; ++x, src += 3) {
        const uint32_t sum = 21u * src[2] + 71u * src[1] + 8u * src[0];
        dst[x] = static_cast<uint8_t>(sum / 100u);
    }
}

// Whole words are moved; the last pixel separately, so that no byte past the
// row is touched.
void RGB24ToRGB32(const uint8_t* src, uint8_t* dst, int width) {
    int x = simd::RGB24ToRGB32(src, dst, width);
    for (; x + 1 < width; ++x)
        StorePixel<uint32_t>(dst + 4 * x, LoadPixel<uint32_t>(src + 3 * x) | 0xFF000000u);
    if (x < width) {
        std::memmove(dst + 4 * x, src + 3 * x, 3);
        dst[4 * x + 3] = 255;
    }
}

void RGB32ToRGB24(const uint8_t* src, uint8_t* dst, int width) {
    int x = simd::RGB32ToRGB24(src, dst, width);
    for (; x + 1 < width; ++x)
        StorePixel<uint32_t>(dst + 3 * x, LoadPixel<uint32_t>(src + 4 * x));
    if (x < width) std::memmove(dst + 3 * x, src + 4 * x, 3);
}

template <typename Fn>
void ForEachPixel(int width, Fn&& fn) {
    for (int x = 0; x < width; ++x)
        fn(x);
}

} // namespace

void RowToRGB(TIEPixelFormat from, const uint8_t* src, TRGB* dst, int width,
              std::span<const TRGB> palette) {
    switch (from) {
    case ie1g:
        ForEachPixel(width, [&](int x) { dst[x] = Gray(BitAt(src, x) ? 255 : 0); });
        break;
    case ie8p:
        ForEachPixel(width,
                     [&](int x) { dst[x] = src[x] < palette.size() ? palette[src[x]] : TRGB{}; });
        break;
    case ie8g:
        ForEachPixel(width, [&](int x) { dst[x] = Gray(src[x]); });
        break;
    case ie16g:
        ForEachPixel(width, [&](int x) {
            dst[x] = Gray(static_cast<uint8_t>(LoadPixel<uint16_t>(src + 2 * x) >> 8));
        });
        break;
    case ie24RGB:
        std::memcpy(dst, src, static_cast<size_t>(width) * 3);
        break;
    case ie32f:
        ForEachPixel(width,
                     [&](int x) { dst[x] = Gray(FloatToByte(LoadPixel<float>(src + 4 * x))); });
        break;
    case ieCMYK:
        ForEachPixel(width, [&](int x) { dst[x] = CMYK2RGB(LoadPixel<TCMYK>(src + 4 * x)); });
        break;
    case ieRGB48:
        ForEachPixel(width, [&](int x) {
            const TRGB48 p = LoadPixel<TRGB48>(src + 6 * x);
            dst[x] = MakeRGB(static_cast<uint8_t>(p.r >> 8), static_cast<uint8_t>(p.g >> 8),
                             static_cast<uint8_t>(p.b >> 8));
        });
        break;
    case ieCIELab:
        ForEachPixel(width, [&](int x) { dst[x] = CIELab2RGB(LoadPixel<TCIELab>(src + 3 * x)); });
        break;
    case ie32RGB:
        RGB32ToRGB24(src, reinterpret_cast<uint8_t*>(dst), width);
        break;
    default:
        std::fill(dst, dst + width, TRGB{});
        break;
    }
}

void RowFromRGB(TIEPixelFormat to, const TRGB* src, uint8_t* dst, int width) {
    switch (to) {
    case ie8g:
        GrayFromRGB24(reinterpret_cast<const uint8_t*>(src), dst, width);
        break;
    case ie16g:
        ForEachPixel(width, [&](int x) { StorePixel(dst + 2 * x, Gray16Of(src[x])); });
        break;
    case ie24RGB:
        std::memcpy(dst, src, static_cast<size_t>(width) * 3);
        break;
    case ie32f:
        ForEachPixel(width, [&](int x) { StorePixel(dst + 4 * x, FloatGrayOf(src[x])); });
        break;
    case ieCMYK:
        ForEachPixel(width, [&](int x) { StorePixel(dst + 4 * x, RGB2CMYK(src[x])); });
        break;
    case ieRGB48:
        ForEachPixel(width, [&](int x) {
            const TRGB c = src[x];
            StorePixel(dst + 6 * x,
                       TRGB48{static_cast<uint16_t>(c.r * 257), static_cast<uint16_t>(c.g * 257),
                              static_cast<uint16_t>(c.b * 257)});
        });
        break;
    case ieCIELab:
        ForEachPixel(width, [&](int x) { StorePixel(dst + 3 * x, RGB2CIELab(src[x])); });
        break;
    case ie32RGB:
        RGB24ToRGB32(reinterpret_cast<const uint8_t*>(src), dst, width);
        break;
    default:
        break;
    }
}

void RowToGray(TIEPixelFormat from, const uint8_t* src, uint8_t* gray, int width,
               std::span<const TRGB> palette, TRGB* scratch) {
    switch (from) {
    case ie8g:
        std::memcpy(gray, src, static_cast<size_t>(width));
        return;
    case ie1g:
    case ie16g:
    case ie24RGB:
    case ie32f:
        if (ConvertRowDirect(from, ie8g, src, gray, width)) return;
        break;
    default:
        break;
    }
    RowToRGB(from, src, scratch, width, palette);
    GrayFromRGB24(reinterpret_cast<const uint8_t*>(scratch), gray, width);
}

bool ConvertRowDirect(TIEPixelFormat from, TIEPixelFormat to, const uint8_t* src, uint8_t* dst,
                      int width) {
    switch (from) {
    case ie1g:
        if (to == ie8g) {
            ForEachPixel(width, [&](int x) { dst[x] = BitAt(src, x) ? 255 : 0; });
            return true;
        }
        if (to == ie32f) {
            ForEachPixel(width,
                         [&](int x) { StorePixel(dst + 4 * x, BitAt(src, x) ? 1.0f : 0.0f); });
            return true;
        }
        return false;
    case ie8g:
        if (to == ie32f) {
            ForEachPixel(
                width, [&](int x) { StorePixel(dst + 4 * x, static_cast<float>(src[x] / 255.0)); });
            return true;
        }
        return false;
    case ie16g:
        if (to == ie8g) {
            ForEachPixel(width, [&](int x) {
                dst[x] = static_cast<uint8_t>(LoadPixel<uint16_t>(src + 2 * x) >> 8);
            });
            return true;
        }
        if (to == ie32f) {
            ForEachPixel(width, [&](int x) {
                StorePixel(dst + 4 * x,
                           static_cast<float>(LoadPixel<uint16_t>(src + 2 * x) / 65535.0));
            });
            return true;
        }
        if (to == ieRGB48) {
            ForEachPixel(width, [&](int x) {
                const uint16_t v = LoadPixel<uint16_t>(src + 2 * x);
                StorePixel(dst + 6 * x, TRGB48{v, v, v});
            });
            return true;
        }
        return false;
    case ie24RGB:
        if (to == ie8g) {
            GrayFromRGB24(src, dst, width);
            return true;
        }
        if (to == ie32RGB) {
            RGB24ToRGB32(src, dst, width);
            return true;
        }
        return false;
    case ie32f:
        if (to == ie8g) {
            ForEachPixel(width,
                         [&](int x) { dst[x] = FloatToByte(LoadPixel<float>(src + 4 * x)); });
            return true;
        }
        if (to == ie16g) {
            ForEachPixel(width, [&](int x) {
                StorePixel(dst + 2 * x, FloatToWord(LoadPixel<float>(src + 4 * x)));
            });
            return true;
        }
        if (to == ieRGB48) {
            ForEachPixel(width, [&](int x) {
                const uint16_t v = FloatToWord(LoadPixel<float>(src + 4 * x));
                StorePixel(dst + 6 * x, TRGB48{v, v, v});
            });
            return true;
        }
        return false;
    case ieRGB48:
        if (to == ie16g) {
            ForEachPixel(width, [&](int x) {
                const TRGB48 p = LoadPixel<TRGB48>(src + 6 * x);
                StorePixel(dst + 2 * x,
                           static_cast<uint16_t>((p.r * 212u + p.g * 713u + p.b * 75u) / 1000u));
            });
            return true;
        }
        if (to == ie32f) {
            // Scaled by 65535 like the other 16-bit sources, so that white is 1.0.
            ForEachPixel(width, [&](int x) {
                const TRGB48 p = LoadPixel<TRGB48>(src + 6 * x);
                StorePixel(
                    dst + 4 * x,
                    static_cast<float>((0.2126 * p.r + 0.7152 * p.g + 0.0722 * p.b) / 65535.0));
            });
            return true;
        }
        return false;
    case ie32RGB:
        if (to == ie24RGB) {
            RGB32ToRGB24(src, dst, width);
            return true;
        }
        return false;
    default:
        return false;
    }
}

} // namespace vellinor
