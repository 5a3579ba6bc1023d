// The begin and end steps of the operations that honour the view's selection:
// the region to work on and, for a selection, a temporary copy of its
// bounding box that goes back through the mask.

#include "image/TIEBitmap.h"
#include "image/TIEMask.h"
#include "proc/ProcViewLink.h"
#include "proc/VEduzoDeRivi.h"

#include <algorithm>

namespace vellinor {

namespace {

// Copies the selected pixels (and, with withAlpha, their alpha) of work back
// into target, work's (0, 0) lying at (originX, originY).
void CopyThroughMask(TIEBitmap& work, TIEBitmap& target, const TIEMask& mask, int originX,
                     int originY, bool withAlpha) {
    const int width = std::min(work.Width(), target.Width() - originX);
    const int height = std::min(work.Height(), target.Height() - originY);
    const int bits = work.BitsPerPixel();
    TIEBitmap* workAlpha = withAlpha ? work.AlphaPlane() : nullptr;
    TIEBitmap* targetAlpha = withAlpha ? target.AlphaPlane() : nullptr;
    for (int y = 0; y < height; ++y) {
        const int ty = y + originY;
        const uint8_t* src = work.Row(y);
        uint8_t* dst = target.Row(ty);
        for (int x = 0; x < width; ++x) {
            const int tx = x + originX;
            if (!mask.IsSelected(tx, ty)) continue;
            if (bits == 1) {
                const bool on = (src[x >> 3] >> (7 - (x & 7))) & 1;
                const auto bit = static_cast<uint8_t>(0x80 >> (tx & 7));
                dst[tx >> 3] = on ? static_cast<uint8_t>(dst[tx >> 3] | bit)
                                  : static_cast<uint8_t>(dst[tx >> 3] & ~bit);
            } else {
                const int bytes = bits / 8;
                std::copy_n(src + x * bytes, bytes, dst + tx * bytes);
            }
        }
        if (workAlpha != nullptr) {
            const uint8_t* a = workAlpha->Row(y);
            uint8_t* ta = targetAlpha->Row(ty);
            for (int x = 0; x < width; ++x)
                if (mask.IsSelected(x + originX, ty)) ta[x + originX] = a[x];
        }
    }
    if (targetAlpha != nullptr) targetAlpha->RecheckOpaque();
}

} // namespace

TIEImageOperation VEduzoDeRivi::BeginImageOperation(const std::string& caption) {
    TIEImageOperation op;
    if (AutoUndo) SaveUndoCaptioned(caption);
    if (!PrepareBitmap()) return op;
    TIEBitmap& bitmap = *fBitmap;
    op.Proceed = true;
    op.Work = &bitmap;
    op.X2 = bitmap.Width();
    op.Y2 = bitmap.Height();
    if (fView == nullptr) return op;
    op.Mask = fView->ProcSelectionMask();
    if (op.Mask == nullptr || !op.Mask->HasSelection()) return op;

    // The mask's box is inclusive; the region's right and bottom are not.
    const int x1 = std::max(op.Mask->X1, 0), y1 = std::max(op.Mask->Y1, 0);
    const int x2 = std::min(op.Mask->X2 + 1, bitmap.Width());
    const int y2 = std::min(op.Mask->Y2 + 1, bitmap.Height());
    auto temporary = std::make_unique<TIEBitmap>();
    temporary->Relocate(ieMemory);
    if (x2 <= x1 || y2 <= y1 || !temporary->Setup(x2 - x1, y2 - y1, bitmap.PixelFormat())) {
        // Nothing of the selection lies on the bitmap: an empty region.
        op.X1 = op.Y1 = op.X2 = op.Y2 = 0;
        return op;
    }
    bitmap.CopyPaletteTo(*temporary);
    bitmap.CopyArea(*temporary, x1, y1, 0, 0, x2 - x1, y2 - y1);
    // The alpha the bitmap has goes along, so that selected pixels an
    // operation leaves alone keep theirs when the copy goes back.
    if (bitmap.HasAlphaPlane()) {
        bitmap.CopyAlphaArea(*temporary, x1, y1, 0, 0, x2 - x1, y2 - y1);
        temporary->AlphaPlane()->RecheckOpaque();
    }
    op.OriginX = x1;
    op.OriginY = y1;
    op.X1 = op.Y1 = 0;
    op.X2 = x2 - x1;
    op.Y2 = y2 - y1;
    op.Temporary = std::move(temporary);
    op.Work = op.Temporary.get();
    return op;
}

void VEduzoDeRivi::EndImageOperation(TIEImageOperation& op) {
    if (op.Temporary && op.Mask != nullptr && fBitmap != nullptr) {
        TIEBitmap& work = *op.Temporary;
        const bool withAlpha =
            work.HasAlphaPlane() && (!work.AlphaPlane()->Opaque || fBitmap->HasAlphaPlane());
        CopyThroughMask(work, *fBitmap, *op.Mask, op.OriginX, op.OriginY, withAlpha);
    }
    op.Temporary.reset();
    op.Work = nullptr;
    UpdateStep();
}

} // namespace vellinor
