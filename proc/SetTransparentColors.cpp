// SetTransparentColors: alpha by colour range. Only the alpha plane changes.

#include "image/TIEBitmap.h"
#include "proc/VEduzoDeRivi.h"

#include <algorithm>
#include <cmath>

namespace vellinor {

namespace {

bool InRange(TRGB c, TRGB low, TRGB high) {
    return c.r >= low.r && c.g >= low.g && c.b >= low.b && c.r <= high.r && c.g <= high.g &&
           c.b <= high.b;
}

} // namespace

void VEduzoDeRivi::SetTransparentColors(TRGB minColor, TRGB maxColor, int alpha) {
    TIEImageOperation op = BeginImageOperation("SetTransparentColors");
    if (!op.Proceed) return;
    TIEBitmap& work = *op.Work;
    const auto value = static_cast<uint8_t>(alpha & 0xFF);
    const int x1 = op.X1, y1 = op.Y1;
    const int x2 = std::min(op.X2, work.Width());
    const int y2 = std::min(op.Y2, work.Height());
    const int last = y2 - 1;
    const double step = 100 / (last - y1 + 0.5);
    TIEBitmap* plane = work.AlphaPlane();
    const TIEPixelFormat format = work.PixelFormat();
    if (plane != nullptr && (format == ie24RGB || format == ie1g)) {
        const bool wanted = minColor.r > 0;
        for (int y = y1; y <= last; ++y) {
            const uint8_t* row = work.Row(y);
            uint8_t* a = plane->Row(y);
            if (format == ie24RGB) {
                const auto* pixels = reinterpret_cast<const TRGB*>(row);
                for (int x = x1; x < x2; ++x)
                    if (InRange(pixels[x], minColor, maxColor)) a[x] = value;
            } else {
                for (int x = x1; x < x2; ++x)
                    if (static_cast<bool>((row[x >> 3] >> (7 - (x & 7))) & 1) == wanted)
                        a[x] = value;
            }
            // Passes 100 on the last rows (105 for ten rows), as always reported.
            if (OnProgress) Progress(static_cast<int>(std::trunc(step * (y - y1 + 1))));
        }
    }
    if (plane != nullptr) plane->RecheckOpaque();
    fBitmap->AlphaPlane();
    EndImageOperation(op);
    FinishStep();
}

} // namespace vellinor
