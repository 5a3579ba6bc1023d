#pragma once
// What a PNG save writes, decided before libpng is called: the bitmap the
// rows come from (the caller's or a converted copy), the colour type and
// depth, the palette and its transparent entry, the background chunk, and
// how each row is made.

#include "platform/Color.h"
#include "proc/TIEQuantizer.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace vellinor {

class TIEBitmap;
class TIEMask;
class TIOParamsVals;

enum class TPngRowSource {
    Rgb,              // ie24RGB rows as they are (libpng's BGR order)
    RgbAlpha,         // ie24RGB rows with the mask byte appended per pixel
    OwnIndices,       // ie8p rows as they are
    QuantizedIndices, // ie24RGB through the quantizer
    MaskedIndices,    // quantizer index + 1 where the mask is 255, else 0
    GrayDirect,       // ie8g, ie16g or ie1g rows as they are
    GrayQuantized,    // ie24RGB through the quantizer's grey ramp
};

struct TPngOutputPlan {
    TIEBitmap* Source = nullptr;
    std::unique_ptr<TIEBitmap> Copy; // owns Source when the caller's bitmap was converted
    const TIEMask* Mask = nullptr;   // set only when it is used
    int ColorType = 0;               // PNG_COLOR_TYPE_*
    int Depth = 8;
    TPngRowSource Rows = TPngRowSource::Rgb;
    std::vector<TRGB> Palette; // blue, green, red
    bool TransparentEntry0 = false;
    // bKGD in the file's terms: a palette index, a grey value, or red/green/blue.
    std::optional<int> BackgroundIndex;
    std::optional<int> BackgroundGray;
    std::optional<TRGB> BackgroundColor;
    std::array<TRGB, 256> QuantizerColors{};
    std::unique_ptr<TIEQuantizer> Quantizer;
};

// Decides the output for bitmap with params' BitsPerSample (which it sets to
// 8 when one sample per pixel has a depth other than 1, 8 or 16),
// SamplesPerPixel and PngBackground. mask: 8 bits, same size as the bitmap,
// or null. False when a needed copy cannot be allocated.
bool PlanPngOutput(TIEBitmap& bitmap, TIOParamsVals& params, const TIEMask* mask,
                   TPngOutputPlan& plan);

} // namespace vellinor
