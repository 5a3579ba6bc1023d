#pragma once
// The pixel compositing behind MergeLayerPair: a lower and an upper layer
// (and the upper layer's mask layer, when there is one) into one ie24RGB
// bitmap with an alpha plane that is dropped when every pixel is opaque.

#include "image/TIEBitmapPaint.h"
#include "platform/Color.h"

namespace vellinor {

class TIEBitmap;
class TIELayer;

// keepOrigin: the result starts at image position (0, 0) (merging into layer
// 0) instead of at the top-left of the two layers. A layer whose display size
// differs from its bitmap's is first resampled to it with filter (the layer
// keeps the new size). Uncovered pixels get background with alpha 0.
void CompositeLayers(TIELayer& lower, TIELayer& upper, TIELayer* mask, TIEBitmap& dest,
                     bool keepOrigin, TColor background, TResampleFilter filter);

} // namespace vellinor
