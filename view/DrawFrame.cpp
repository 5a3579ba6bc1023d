// The frame step shared by both stamping modes.

#include "image/TIEBitmap.h"
#include "platform/Canvas.h"
#include "proc/VEduzoDeRivi.h"
#include "view/DOrevaDeVeri.h"
#include "view/Stamping.h"

namespace vellinor {

namespace {

constexpr int kMargin = 80;

// Rings 80 ... 69 from the picture's edge outwards: three white, eight
// black, one white.
TColor RingColor(int k) {
    return k >= 78 || k == 69 ? clWhite : clBlack;
}

// Formats whose fills take colour words and whose canvas draws exact black
// and white; the others (palette and gray pictures) are framed in 24 bits.
bool FramesAsIs(TIEPixelFormat format) {
    return format == ie24RGB || format == ie32RGB || format == ie1g;
}

} // namespace

std::string SizeText(int width, int height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

void DrawFrame(DOrevaDeVeri& view, int width, int height) {
    if (!FramesAsIs(view.CurrentBitmap().PixelFormat())) view.CurrentBitmap().ConvertTo(ie24RGB);
    view.AttachedProc()->ImageResize(width + 2 * kMargin, height + 2 * kMargin, 1, 1, 255);
    TCanvas* canvas = view.CurrentBitmap().DrawingCanvas();
    if (canvas == nullptr) return;
    for (int k = kMargin; k >= 69; --k) {
        const TColor color = RingColor(k);
        // The frame rectangle uses the brush alone; the pen settings stay on
        // the surface as the workflow leaves them.
        canvas->Pen().Width = 10;
        canvas->Pen().Color = color;
        canvas->Brush().Color = color;
        canvas->FrameRect(Rect(k, k, width + 2 * kMargin - k, height + 2 * kMargin - k));
    }
}

} // namespace vellinor
