// Bitmap copies onto the canvas: nearest-pixel stretching (the platform's
// colour-on-colour mode) through a ternary raster operation.

#include "platform/Canvas.h"
#include "platform/PlatformBitmap.h"

#include <algorithm>
#include <cstdlib>

namespace vellinor {

namespace {

uint32_t ApplyRop3(unsigned code, uint32_t p, uint32_t s, uint32_t d) {
    uint32_t r = 0;
    for (unsigned k = 0; k < 8; ++k) {
        if (((code >> k) & 1) == 0) continue;
        r |= ((k & 4) ? p : ~p) & ((k & 2) ? s : ~s) & ((k & 1) ? d : ~d);
    }
    return r;
}

// Source index of destination step i of n when `count` source pixels are
// spread over them (pixel centres sampled), mirrored on request.
int64_t SourceIndex(int64_t i, int64_t n, int64_t count, bool mirrored) {
    const auto j = static_cast<int64_t>((static_cast<__int128>(2 * i + 1) * count) / (2 * n));
    return mirrored ? count - 1 - j : j;
}

} // namespace

void TCanvas::Draw(int x, int y, const TPlatformBitmap& source) {
    CopyRect(Bounds(x, y, source.Width(), source.Height()), source,
             Rect(0, 0, source.Width(), source.Height()), CopyMode);
}

void TCanvas::StretchDraw(const TRect& dest, const TPlatformBitmap& source) {
    CopyRect(dest, source, Rect(0, 0, source.Width(), source.Height()), CopyMode);
}

void TCanvas::CopyRect(const TRect& dest, const TPlatformBitmap& source, const TRect& sourceRect,
                       uint32_t rop) {
    if (&source == &fTarget) {
        // Overlapping copy inside one bitmap: read from a snapshot.
        TPlatformBitmap snapshot;
        if (!snapshot.Assign(source)) return;
        CopyRect(dest, snapshot, sourceRect, rop);
        return;
    }
    const int64_t dw = dest.Width(), dh = dest.Height();
    const int64_t sw = sourceRect.Width(), sh = sourceRect.Height();
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0 || source.Empty()) return;
    const TRect d = NormalizedRect(dest);
    const TRect clip = IntersectRect(d, EffectiveClip());
    if (clip.IsEmpty()) return;
    const bool mirrorX = (dw < 0) != (sw < 0);
    const bool mirrorY = (dh < 0) != (sh < 0);
    const int64_t sx0 = std::min<int64_t>(sourceRect.Left, sourceRect.Right);
    const int64_t sy0 = std::min<int64_t>(sourceRect.Top, sourceRect.Bottom);
    const int64_t countX = std::llabs(sw), countY = std::llabs(sh);
    const int64_t stepsX = std::llabs(dw), stepsY = std::llabs(dh);

    RealizeObjects();
    TRasterTarget target(fTarget);
    const unsigned code = (rop >> 16) & 0xFF;
    const bool copy = code == 0xCC;
    const uint32_t pattern = target.DeviceValue(fBrush.Color);
    const uint32_t mask =
        target.BitCount() >= 32 ? 0xFFFFFFFFu : (1u << std::min(target.BitCount(), 31)) - 1;
    std::vector<int64_t> columns(static_cast<size_t>(clip.Right - clip.Left));
    for (int x = clip.Left; x < clip.Right; ++x) {
        const int64_t sx = sx0 + SourceIndex(x - d.Left, stepsX, countX, mirrorX);
        columns[static_cast<size_t>(x - clip.Left)] = sx;
    }
    for (int y = clip.Top; y < clip.Bottom; ++y) {
        const int64_t sy = sy0 + SourceIndex(y - d.Top, stepsY, countY, mirrorY);
        if (sy < 0 || sy >= source.Height()) continue;
        for (int x = clip.Left; x < clip.Right; ++x) {
            const int64_t sx = columns[static_cast<size_t>(x - clip.Left)];
            if (sx < 0 || sx >= source.Width()) continue;
            const uint32_t s =
                target.DeviceValue(source.GetPixelRGB(static_cast<int>(sx), static_cast<int>(sy)));
            target.Put(x, y, copy ? s : ApplyRop3(code, pattern, s, target.Get(x, y)) & mask);
        }
    }
}

} // namespace vellinor
