// ConvertToPalette: the picture reduced to a few colours, as a palette writer
// would store it (the save dialog's preview shows this).

#include "image/TIEBitmap.h"
#include "proc/TIEQuantizer.h"
#include "proc/VEduzoDeRivi.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vellinor {

namespace {

constexpr int kMostColors = 1024;

void Report(std::span<TRGB> out, std::span<const TRGB> palette) {
    std::copy_n(palette.begin(), std::min(out.size(), palette.size()), out.begin());
}

} // namespace

void VEduzoDeRivi::ConvertToPalette(int numColors, std::span<TRGB> palette) {
    if (!PrepareBitmap()) return;
    if (numColors < 1 || numColors > kMostColors) return;
    TIEBitmap& bitmap = *fBitmap;
    if (bitmap.PixelFormat() != ie24RGB && !AutoConvertFormat) return;
    if (AutoUndo) SaveUndoCaptioned("ConvertToPalette");
    bitmap.ConvertTo(ie24RGB);
    if (bitmap.PixelFormat() != ie24RGB) return;

    if (numColors <= 2) {
        bitmap.ConvertTo(ie1g);
        const TRGB blackAndWhite[2] = {MakeRGB(0, 0, 0), MakeRGB(255, 255, 255)};
        Report(palette, blackAndWhite);
    } else {
        std::vector<TRGB> colors(static_cast<size_t>(numColors));
        const TIEQuantizer quantizer(bitmap, colors, numColors);
        const int width = bitmap.Width(), height = bitmap.Height();
        const double step = 100 / (height + 0.5);
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<TRGB*>(bitmap.Row(y));
            int index = -1;
            TRGB previous{};
            for (int x = 0; x < width; ++x) {
                // Runs of one colour are common in pictures: look each run up once.
                const TRGB original = row[x];
                if (x == 0 || !(original == previous)) index = quantizer.ColorToIndex(original);
                previous = original;
                if (index >= 0 && index < numColors) row[x] = colors[static_cast<size_t>(index)];
            }
            if (OnProgress) Progress(static_cast<int>(std::trunc(step * (y + 1))));
        }
        Report(palette, colors);
    }
    UpdateStep();
    FinishStep();
}

} // namespace vellinor
