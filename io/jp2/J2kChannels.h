#pragma once
// Which decoded components make the picture: by colour family, the grey
// component; red, green and blue (blue, when missing, falls back to
// component 2); or Y, Cb and Cr (Cr, when missing, falls back to component
// 0). An opacity component (named so by the JP2 channel definitions, or,
// without them, the one component beyond the colour ones) gives the alpha.

#include "io/jp2/J2kHeader.h"

#include <array>
#include <openjpeg.h>

namespace vellinor {

struct TJ2kChannels {
    TJ2kColorFamily Family = TJ2kColorFamily::Rgb;
    // Indices into the image's components: grey uses [0] only.
    std::array<int, 3> Color{-1, -1, -1};
    int Alpha = -1; // -1: opaque
    bool PremultipliedAlpha = false;

    int ColorCount() const { return Family == TJ2kColorFamily::Gray ? 1 : 3; }
};

// False when the family is not decoded, a component it needs is missing, or
// one it uses holds no usable samples (no data, empty, precision outside
// 1..32).
bool ChooseJ2kChannels(const opj_image_t& image, const TJ2kHeader& header, TJ2kChannels& channels);

} // namespace vellinor
