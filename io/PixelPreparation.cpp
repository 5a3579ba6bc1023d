#include "io/PixelPreparation.h"

#include "image/TIEBitmap.h"
#include "io/IOGuards.h"
#include "io/TIOParamsVals.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vellinor {

void ConvertForTrueColorWriter(TIEBitmap& bitmap) {
    const TIEPixelFormat format = bitmap.PixelFormat();
    if (format != ie24RGB && format != ie1g && format != ieNull) bitmap.ConvertTo(ie24RGB);
}

namespace {

// Nearest source pixel per destination pixel, in any format.
void StretchPlain(TIEBitmap& source, TIEBitmap& dest) {
    const int sw = source.Width(), sh = source.Height();
    const int dw = dest.Width(), dh = dest.Height();
    const int bits = source.BitsPerPixel();
    std::vector<int> columns(static_cast<size_t>(dw));
    for (int x = 0; x < dw; ++x)
        columns[static_cast<size_t>(x)] = static_cast<int>(static_cast<int64_t>(x) * sw / dw);
    for (int y = 0; y < dh; ++y) {
        const uint8_t* src = source.Row(static_cast<int>(static_cast<int64_t>(y) * sh / dh));
        uint8_t* dst = dest.Row(y);
        if (bits == 1) {
            std::memset(dst, 0, static_cast<size_t>(dest.RowBytes()));
            for (int x = 0; x < dw; ++x) {
                const int sx = columns[static_cast<size_t>(x)];
                if ((src[sx >> 3] >> (7 - (sx & 7))) & 1) {
                    dst[x >> 3] = static_cast<uint8_t>(dst[x >> 3] | (0x80 >> (x & 7)));
                }
            }
            continue;
        }
        const int bytes = bits / 8;
        for (int x = 0; x < dw; ++x)
            std::memcpy(dst + x * bytes, src + columns[static_cast<size_t>(x)] * bytes,
                        static_cast<size_t>(bytes));
    }
}

// Bilinear filtering of 8-bit channels (ie24RGB: 3, ie8g: 1).
void StretchLinear(TIEBitmap& source, TIEBitmap& dest, int channels) {
    const int sw = source.Width(), sh = source.Height();
    const int dw = dest.Width(), dh = dest.Height();
    // Source coordinate of a destination pixel centre, in 1/256 pixels.
    auto position = [](int d, int sourceSize, int destSize) {
        const double s = (d + 0.5) * sourceSize / destSize - 0.5;
        return static_cast<int>(std::clamp(s, 0.0, sourceSize - 1.0) * 256);
    };
    std::vector<int> xs(static_cast<size_t>(dw));
    for (int x = 0; x < dw; ++x)
        xs[static_cast<size_t>(x)] = position(x, sw, dw);
    for (int y = 0; y < dh; ++y) {
        const int py = position(y, sh, dh);
        const int y0 = py >> 8, y1 = std::min(y0 + 1, sh - 1), fy = py & 255;
        const uint8_t* r0 = source.Row(y0);
        const uint8_t* r1 = source.Row(y1);
        uint8_t* dst = dest.Row(y);
        for (int x = 0; x < dw; ++x) {
            const int px = xs[static_cast<size_t>(x)];
            const int x0 = px >> 8, x1 = std::min(x0 + 1, sw - 1), fx = px & 255;
            for (int c = 0; c < channels; ++c) {
                const int top = r0[x0 * channels + c] * (256 - fx) + r0[x1 * channels + c] * fx;
                const int bottom = r1[x0 * channels + c] * (256 - fx) + r1[x1 * channels + c] * fx;
                dst[x * channels + c] =
                    static_cast<uint8_t>((top * (256 - fy) + bottom * fy + 32768) >> 16);
            }
        }
    }
}

bool Stretch(TIEBitmap& bitmap, int width, int height, bool filtered) {
    TIEBitmap resized;
    resized.MinFileSize = bitmap.MinFileSize;
    if (!ImageSizeAcceptable(width, height, bitmap.PixelFormat()) ||
        !resized.Setup(width, height, bitmap.PixelFormat())) {
        return false;
    }
    resized.SetPalette(bitmap.Palette());
    resized.PaletteUsed = bitmap.PaletteUsed;
    const TIEPixelFormat format = bitmap.PixelFormat();
    if (filtered && (format == ie24RGB || format == ie8g)) {
        StretchLinear(bitmap, resized, format == ie24RGB ? 3 : 1);
    } else {
        StretchPlain(bitmap, resized);
    }
    if (bitmap.HasAlphaPlane()) {
        TIEBitmap& alpha = *bitmap.AlphaPlane();
        auto plane = std::make_unique<TIEBitmap>();
        plane->MinFileSize = alpha.MinFileSize;
        if (plane->Setup(width, height, ie8g)) {
            if (filtered) {
                StretchLinear(alpha, *plane, 1);
            } else {
                StretchPlain(alpha, *plane);
            }
            plane->RecheckOpaque();
            resized.AttachAlphaPlane(std::move(plane));
        }
    }
    if (bitmap.Location() == ieTBitmap) {
        // Keeps the platform bitmap the view wraps.
        bitmap.Setup(width, height, resized.PixelFormat());
        bitmap.SetPalette(resized.Palette());
        for (int y = 0; y < height; ++y)
            std::memcpy(bitmap.Row(y), resized.Row(y),
                        static_cast<size_t>(std::min(bitmap.RowBytes(), resized.RowBytes())));
        bitmap.AttachAlphaPlane(resized.DetachAlphaPlane());
    } else {
        resized.HandOver(bitmap);
    }
    return true;
}

} // namespace

void AdjustResolution(TIEBitmap& bitmap, TIOParamsVals& params, bool filtered) {
    const int rx = params.ResolutionX(), ry = params.ResolutionY();
    if (rx == ry || rx <= 0 || ry <= 0 || bitmap.IsVoid()) return;
    int width = bitmap.Width(), height = bitmap.Height();
    const bool scaleHeight = height < width;
    if (scaleHeight) {
        height = static_cast<int>(static_cast<double>(height) / ry * rx);
    } else {
        width = static_cast<int>(static_cast<double>(width) / rx * ry);
    }
    if (width < 1 || height < 1) return;
    if (filtered && bitmap.PixelFormat() != ie24RGB) bitmap.ConvertTo(ie24RGB);
    if (!Stretch(bitmap, width, height, filtered)) return;
    if (scaleHeight) {
        params.SetResolutionY(rx);
    } else {
        params.SetResolutionX(ry);
    }
    params.Width = width;
    params.Height = height;
}

} // namespace vellinor
