#pragma once
// Pixel work the front end does around codecs: the conversion before writers
// that take only ie24RGB or ie1g, and the resolution adjustment after a load.

namespace vellinor {

class TIEBitmap;
class TIOParamsVals;

// A bitmap that is neither ie24RGB nor ie1g becomes ie24RGB in place.
void ConvertForTrueColorWriter(TIEBitmap& bitmap);

// AutoAdjustDPI: resamples to square pixels when ResolutionX differs from
// ResolutionY (the shorter side is scaled, its resolution takes the other
// value). filtered: through ie24RGB with a linear filter; else plain
// stretching in the bitmap's own format. The alpha plane follows.
void AdjustResolution(TIEBitmap& bitmap, TIOParamsVals& params, bool filtered);

} // namespace vellinor
