// ImageResize and Clear: the canvas grows or shrinks around the old pixels,
// which stay one for one; new area takes the background colour.

#include "image/TIEBitmap.h"
#include "proc/VEduzoDeRivi.h"

#include <algorithm>
#include <string>

namespace vellinor {

void VEduzoDeRivi::ImageResize(int newWidth, int newHeight, int horizAlign, int vertAlign,
                               int alpha) {
    if (!PrepareBitmap()) return;
    // Sizes below 1 are never asked for; they change nothing, like 0.
    if (newWidth <= 0 || newHeight <= 0) return;
    TIEBitmap& bitmap = *fBitmap;
    if (newWidth == bitmap.Width() && newHeight == bitmap.Height()) return;
    if (AutoUndo) {
        SaveUndoCaptioned("ImageResize " + std::to_string(newWidth) + "," +
                          std::to_string(newHeight));
    }
    // The view's empty picture holds no content worth keeping.
    if (bitmap.Width() < 2 && bitmap.Height() < 2) Clear();
    alpha = std::clamp(alpha, 0, 255);
    if (alpha < 255) bitmap.AlphaPlane();
    bitmap.ResizeCanvas(newWidth, newHeight, static_cast<double>(Background()), alpha, horizAlign,
                        vertAlign);
    UpdateStep();
    FinishStep();
}

void VEduzoDeRivi::Clear() {
    if (!PrepareBitmap()) return;
    if (AutoUndo) SaveUndoCaptioned("Clear");
    fBitmap->FillAll(static_cast<double>(Background()));
    UpdateStep();
    FinishStep();
}

} // namespace vellinor
