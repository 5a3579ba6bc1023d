#include "view/LayerCompositing.h"

#include "image/PixelRowConversion.h"
#include "image/TIEBitmap.h"
#include "proc/VEduzoDeRivi.h"
#include "view/TIELayer.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace vellinor {

namespace {

// A layer's bitmap at its display size.
void ResampleToDisplaySize(TIELayer& layer, TResampleFilter filter) {
    TIEBitmap& bitmap = *layer.LayerBitmap;
    const int w = layer.WorkingWidth(), h = layer.WorkingHeight();
    if (w == bitmap.Width() && h == bitmap.Height()) return;
    VEduzoDeRivi resampler;
    resampler.SetAttachedIEBitmap(&bitmap);
    resampler.Resample(w, h, filter);
}

// The rows of one layer as the compositing reads them: colours as blue,
// green, red and alpha capped by the opacity.
class TLayerRows {
public:
    TLayerRows(TIEBitmap& bitmap, int x, int y, int opacity)
        : fBitmap(bitmap), X(x), Y(y), Width(bitmap.Width()), Height(bitmap.Height()),
          fOpacity(static_cast<uint8_t>(std::clamp(opacity, 0, 255))),
          fAlpha(bitmap.HasAlphaPlane() ? bitmap.AlphaPlane() : nullptr),
          fColors(bitmap.PixelFormat() == ie24RGB ? 0 : static_cast<size_t>(Width)),
          fCapped(static_cast<size_t>(Width)) {}

    // Row iy of the image, or false when the layer does not reach it.
    bool Select(int iy) {
        const int ly = iy - Y;
        if (ly < 0 || ly >= Height) return false;
        const uint8_t* raw = fBitmap.Row(ly);
        if (fColors.empty()) {
            Colors = reinterpret_cast<const TRGB*>(raw);
        } else {
            RowToRGB(fBitmap.PixelFormat(), raw, fColors.data(), Width, fBitmap.Palette());
            Colors = fColors.data();
        }
        if (fAlpha != nullptr) {
            const uint8_t* a = fAlpha->Row(ly);
            for (int x = 0; x < Width; ++x)
                fCapped[static_cast<size_t>(x)] = std::min(a[x], fOpacity);
        } else if (!fFilled) {
            std::fill(fCapped.begin(), fCapped.end(), fOpacity);
            fFilled = true;
        }
        Alpha = fCapped.data();
        return true;
    }

    TIEBitmap& fBitmap;
    int X, Y, Width, Height;
    const TRGB* Colors = nullptr;
    const uint8_t* Alpha = nullptr;

private:
    uint8_t fOpacity;
    TIEBitmap* fAlpha;
    std::vector<TRGB> fColors;
    std::vector<uint8_t> fCapped;
    bool fFilled = false;
};

// The mask layer's values as an ie8g bitmap of its working size.
std::unique_ptr<TIEBitmap> MaskValues(TIELayer& mask, TResampleFilter filter) {
    TIEBitmap& bitmap = *mask.LayerBitmap;
    const int w = mask.WorkingWidth(), h = mask.WorkingHeight();
    if (bitmap.PixelFormat() == ie8g && w == bitmap.Width() && h == bitmap.Height()) return nullptr;
    auto copy = std::make_unique<TIEBitmap>();
    copy->Relocate(ieMemory);
    copy->CopyFrom(bitmap);
    copy->DropAlphaPlane();
    if (w != copy->Width() || h != copy->Height()) {
        VEduzoDeRivi resampler;
        resampler.SetAttachedIEBitmap(copy.get());
        resampler.Resample(w, h, filter);
    }
    copy->ConvertTo(ie8g);
    return copy;
}

uint8_t RoundByte(double v) {
    return static_cast<uint8_t>(std::clamp(std::nearbyint(v), 0.0, 255.0));
}

// Both layers' columns contain the pixel. Blend mode 0 (the only one used):
// the upper colour over the lower one.
void Blend(TRGB lower, uint8_t aL, TRGB upper, uint8_t aU, TRGB& out, uint8_t& outAlpha) {
    // The two ends of the upper alpha come out exactly as the formula gives them.
    if (aU == 255) {
        out = upper;
        outAlpha = 255;
        return;
    }
    if (aU == 0) {
        out = aL == 0 ? upper : lower;
        outAlpha = aL;
        return;
    }
    const double a1 = aL / 255.0, a2 = aU / 255.0;
    const double a = a2 + (1 - a2) * a1;
    auto channel = [&](uint8_t b, uint8_t l) {
        return RoundByte((b * a2 + l * (1 - a2) * a1) / a);
    };
    out = TRGB{channel(upper.b, lower.b), channel(upper.g, lower.g), channel(upper.r, lower.r)};
    outAlpha = RoundByte(a * 255);
}

} // namespace

void CompositeLayers(TIELayer& lower, TIELayer& upper, TIELayer* mask, TIEBitmap& dest,
                     bool keepOrigin, TColor background, TResampleFilter filter) {
    ResampleToDisplaySize(lower, filter);
    ResampleToDisplaySize(upper, filter);
    std::unique_ptr<TIEBitmap> maskCopy = mask != nullptr ? MaskValues(*mask, filter) : nullptr;
    TIEBitmap* maskBitmap =
        mask == nullptr ? nullptr : (maskCopy ? maskCopy.get() : mask->LayerBitmap);

    // Offsets made non-negative for both layers; the mask moves along.
    int lx = lower.OffsetX, ly = lower.OffsetY, ux = upper.OffsetX, uy = upper.OffsetY;
    int mx = mask != nullptr ? mask->OffsetX : 0, my = mask != nullptr ? mask->OffsetY : 0;
    if (lx < 0) {
        ux -= lx;
        mx -= lx;
        lx = 0;
    }
    if (ly < 0) {
        uy -= ly;
        my -= ly;
        ly = 0;
    }
    if (ux < 0) {
        lx -= ux;
        mx -= ux;
        ux = 0;
    }
    if (uy < 0) {
        ly -= uy;
        my -= uy;
        uy = 0;
    }

    TLayerRows l(*lower.LayerBitmap, lx, ly, lower.Opacity);
    TLayerRows u(*upper.LayerBitmap, ux, uy, upper.Opacity);
    const int right = std::max(l.X + l.Width, u.X + u.Width);
    const int bottom = std::max(l.Y + l.Height, u.Y + u.Height);
    const int left = keepOrigin ? 0 : std::min(l.X, u.X);
    const int top = keepOrigin ? 0 : std::min(l.Y, u.Y);
    const int width = right - left, height = bottom - top;
    if (dest.Width() != width || dest.Height() != height || dest.PixelFormat() != ie24RGB) {
        if (!dest.Setup(width, height, ie24RGB)) return;
    }
    TIEBitmap& destAlpha = *dest.AlphaPlane();
    destAlpha.Opaque = false;

    const TRGB back = TColor2TRGB(background);
    // Column ranges of the two layers in destination columns.
    const int l0 = l.X - left, l1 = l0 + l.Width;
    const int u0 = u.X - left, u1 = u0 + u.Width;
    const int m0 = mx - left, m1 = maskBitmap != nullptr ? m0 + maskBitmap->Width() : m0;
    bool opaque = true;
    for (int y = 0; y < height; ++y) {
        const int iy = y + top;
        const bool lowerRow = l.Select(iy);
        const bool upperRow = u.Select(iy);
        const uint8_t* maskRow = nullptr;
        if (maskBitmap != nullptr && iy - my >= 0 && iy - my < maskBitmap->Height())
            maskRow = maskBitmap->Row(iy - my);
        auto* out = reinterpret_cast<TRGB*>(dest.Row(y));
        uint8_t* outAlpha = destAlpha.Row(y);
        for (int x = 0; x < width; ++x) {
            const bool inL = x >= l0 && x < l1, inU = x >= u0 && x < u1;
            if (!inL && !inU) {
                out[x] = back;
                outAlpha[x] = 0;
                opaque = false;
                continue;
            }
            TRGB cL = back, cU = back;
            uint8_t aL = 0, aU = 0;
            if (inL && lowerRow) {
                cL = l.Colors[x - l0];
                aL = l.Alpha[x - l0];
            }
            if (inU && upperRow) {
                cU = u.Colors[x - u0];
                aU = u.Alpha[x - u0];
                if (maskBitmap != nullptr) {
                    const bool covered = maskRow != nullptr && x >= m0 && x < m1;
                    aU = covered ? std::min(aU, maskRow[x - m0]) : 0;
                }
            }
            if (!inU) {
                out[x] = cL;
                outAlpha[x] = aL;
            } else if (!inL) {
                out[x] = cU;
                outAlpha[x] = aU;
            } else {
                Blend(cL, aL, cU, aU, out[x], outAlpha[x]);
            }
            opaque = opaque && outAlpha[x] == 255;
        }
    }
    destAlpha.Opaque = opaque;
    if (opaque) dest.DropAlphaPlane(false, clWhite);
}

} // namespace vellinor
