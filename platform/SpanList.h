#pragma once
// Inside the drawing layer: a set of pixels as horizontal runs, sorted by row
// and then by column, without overlaps. Shapes build one for their fill and
// one for their outline so that no pixel is painted twice (which matters for
// the xor and not modes).

#include "platform/Geometry.h"

#include <cstdint>
#include <vector>

namespace vellinor {

struct TSpan {
    int32_t Y;
    int32_t X0; // first pixel
    int32_t X1; // one past the last pixel
};
using TSpanList = std::vector<TSpan>;

// Sorts and merges overlapping or touching runs.
void NormalizeSpans(TSpanList& spans);
// Pixels of a that are not in b (both normalised).
TSpanList SubtractSpans(const TSpanList& a, const TSpanList& b);
// Runs cut to a rectangle (result normalised when the input was).
void ClipSpans(TSpanList& spans, const TRect& clip);

} // namespace vellinor
