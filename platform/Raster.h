#pragma once
// Inside the drawing layer: the aliased rasterisers. Coordinates are pixel
// indices (pixel (x, y) is the unit square centred on (x, y)); a pixel belongs
// to a filled area when its centre does, with the platform's rule that left
// and top edges are inside and right and bottom edges are not.

#include "platform/Geometry.h"
#include "platform/SpanList.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace vellinor {

struct TPointF {
    double X = 0;
    double Y = 0;
};
using TContour = std::vector<TPointF>;

enum class TFillRule { Alternate, Winding };

// Appends the runs of the filled contours (each closed implicitly) inside clip.
void FillContours(std::span<const TContour> contours, TFillRule rule, const TRect& clip,
                  TSpanList& out);

// Cosmetic one-pixel line from p0 to p1 without p1. plot(x, y, step) is called
// for every pixel inside clip; step counts pixels from p0 (for pen styles).
// Returns the number of steps of the whole line.
int64_t RasterLine(TPoint p0, TPoint p1, const TRect& clip,
                   const std::function<void(int, int, int64_t)>& plot);

// On/off run lengths of the cosmetic pen styles (psDash ... psDashDotDot); empty
// for solid. Runs start with "on".
std::span<const int> CosmeticDashes(int penStyle);

} // namespace vellinor
