#include "io/jp2/J2kChannels.h"

#include <vector>

namespace vellinor {

namespace {

// OpenJPEG's alpha marks, from the channel definitions.
constexpr OPJ_UINT16 kOpacity = 1;
constexpr OPJ_UINT16 kPremultipliedOpacity = 2;

bool Usable(const opj_image_t& image, int index) {
    if (index < 0 || static_cast<OPJ_UINT32>(index) >= image.numcomps) return false;
    const opj_image_comp_t& c = image.comps[index];
    return c.data != nullptr && c.w > 0 && c.h > 0 && c.dx > 0 && c.dy > 0 && c.prec >= 1 &&
           c.prec <= 32;
}

int At(const std::vector<int>& list, size_t i, int fallback) {
    return i < list.size() ? list[i] : fallback;
}

} // namespace

bool ChooseJ2kChannels(const opj_image_t& image, const TJ2kHeader& header, TJ2kChannels& channels) {
    channels = TJ2kChannels{};
    channels.Family = header.Family();
    std::vector<int> colors;
    for (OPJ_UINT32 i = 0; i < image.numcomps; ++i) {
        const OPJ_UINT16 mark = image.comps[i].alpha;
        if (mark == kOpacity || mark == kPremultipliedOpacity) {
            if (channels.Alpha < 0) {
                channels.Alpha = static_cast<int>(i);
                channels.PremultipliedAlpha = mark == kPremultipliedOpacity;
            }
        } else {
            colors.push_back(static_cast<int>(i));
        }
    }
    switch (channels.Family) {
    case TJ2kColorFamily::Gray:
        channels.Color[0] = At(colors, 0, -1);
        break;
    case TJ2kColorFamily::Rgb:
        channels.Color = {At(colors, 0, -1), At(colors, 1, -1), At(colors, 2, 2)};
        break;
    case TJ2kColorFamily::YCbCr:
        channels.Color = {At(colors, 0, -1), At(colors, 1, -1), At(colors, 2, 0)};
        break;
    case TJ2kColorFamily::Unsupported:
        return false;
    }
    const size_t colorCount = static_cast<size_t>(channels.ColorCount());
    if (channels.Alpha < 0 && !header.HasChannelDefinitions && image.numcomps == colorCount + 1) {
        channels.Alpha = static_cast<int>(colorCount);
    }
    for (size_t i = 0; i < colorCount; ++i)
        if (!Usable(image, channels.Color[i])) return false;
    if (channels.Alpha >= 0 && !Usable(image, channels.Alpha)) channels.Alpha = -1;
    return true;
}

} // namespace vellinor
