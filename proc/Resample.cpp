// Resample: the picture scaled to a new size with a resampling filter (the
// view's compositing uses it for layers shown at another size).

#include "image/TIEBitmap.h"
#include "image/TIEBitmapPaint.h"
#include "proc/VEduzoDeRivi.h"

#include <memory>

namespace vellinor {

namespace {

// source scaled into a new ie24RGB memory bitmap of width x height.
std::unique_ptr<TIEBitmap> Scaled(TIEBitmap& source, int width, int height,
                                  TResampleFilter filter) {
    auto scaled = std::make_unique<TIEBitmap>();
    scaled->Relocate(ieMemory);
    if (!scaled->Setup(width, height, ie24RGB)) return nullptr;
    TIEPaintOptions options =
        PaintRectToRect(TIEPaintRect{0, 0, width, height},
                        TIEPaintRect{0, 0, source.Width(), source.Height()}, filter);
    options.UseAlpha = false;
    source.PaintTo(*scaled, options);
    return scaled;
}

// An alpha plane scaled the same way (through a gray colour picture).
std::unique_ptr<TIEBitmap> ScaledPlane(TIEBitmap& plane, int width, int height,
                                       TResampleFilter filter) {
    std::unique_ptr<TIEBitmap> gray = Scaled(plane, width, height, filter);
    if (!gray) return nullptr;
    auto result = std::make_unique<TIEBitmap>();
    result->Relocate(ieMemory);
    if (!result->Setup(width, height, ie8g)) return nullptr;
    for (int y = 0; y < height; ++y) {
        const auto* src = reinterpret_cast<const TRGB*>(gray->Row(y));
        uint8_t* dst = result->Row(y);
        for (int x = 0; x < width; ++x)
            dst[x] = src[x].g;
    }
    result->RecheckOpaque();
    return result;
}

} // namespace

void VEduzoDeRivi::Resample(int newWidth, int newHeight, TResampleFilter filter) {
    if (!PrepareBitmap()) return;
    TIEBitmap& bitmap = *fBitmap;
    if (newWidth <= 0 || newHeight <= 0 || bitmap.IsVoid()) return;
    if (newWidth == bitmap.Width() && newHeight == bitmap.Height()) return;
    if (AutoUndo) SaveUndoCaptioned("Resample");
    std::unique_ptr<TIEBitmap> scaled = Scaled(bitmap, newWidth, newHeight, filter);
    if (!scaled) return;
    std::unique_ptr<TIEBitmap> plane;
    if (bitmap.HasAlphaPlane()) {
        plane = ScaledPlane(*bitmap.AlphaPlane(), newWidth, newHeight, filter);
        if (!plane) return;
    }
    bitmap.CopyFrom(*scaled);
    bitmap.AttachAlphaPlane(std::move(plane));
    UpdateStep();
    FinishStep();
}

} // namespace vellinor
