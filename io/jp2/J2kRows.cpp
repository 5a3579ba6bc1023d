#include "io/jp2/J2kRows.h"

#include "image/TIEBitmap.h"
#include "io/TIOProgressRec.h"
#include "io/jp2/YCbCrTables.h"

#include <algorithm>
#include <vector>

namespace vellinor {

namespace {

// One component seen through the image's pixel grid.
class TSampler {
public:
    TSampler() = default;
    TSampler(const opj_image_t& image, int index, int width)
        : fComponent(&image.comps[index]), fImageY0(image.y0) {
        const opj_image_comp_t& c = *fComponent;
        fColumns.resize(static_cast<size_t>(width));
        for (int x = 0; x < width; ++x) {
            const int64_t column = Index(int64_t{image.x0} + x, c.x0, c.dx);
            fColumns[x] = column >= 0 && column < c.w ? static_cast<int32_t>(column) : -1;
        }
    }

    bool Valid() const { return fComponent != nullptr; }

    // The component's row for image row y; null outside its extent.
    const int32_t* Row(int y) const {
        const opj_image_comp_t& c = *fComponent;
        const int64_t row = Index(int64_t{fImageY0} + y, c.y0, c.dy);
        if (row < 0 || row >= c.h) return nullptr;
        return c.data + row * int64_t{c.w};
    }

    uint8_t At(const int32_t* row, int x) const {
        if (row == nullptr || fColumns[x] < 0) return 0;
        return J2kSampleTo8(row[fColumns[x]], fComponent->prec, fComponent->sgnd != 0);
    }

private:
    // The sample index of reference grid position p in a component whose
    // first sample is number origin, step apart, by integer division
    // (truncating toward zero); negative before the component.
    static int64_t Index(int64_t p, uint32_t origin, uint32_t step) {
        const int64_t index = (p - int64_t{origin} * step) / step;
        return index < 0 ? -1 : index;
    }

    const opj_image_comp_t* fComponent = nullptr;
    uint32_t fImageY0 = 0;
    std::vector<int32_t> fColumns;
};

uint8_t Clamp(int v) {
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

uint8_t Unpremultiply(uint8_t color, uint8_t alpha) {
    if (alpha == 0) return 0;
    return static_cast<uint8_t>(std::min(255, (color * 255 + alpha / 2) / alpha));
}

} // namespace

uint8_t J2kSampleTo8(int32_t sample, uint32_t precision, bool isSigned) {
    uint32_t value = static_cast<uint32_t>(sample);
    if (isSigned) value += uint32_t{1} << (precision - 1);
    return static_cast<uint8_t>((value << (32 - precision)) >> 24);
}

void FillJ2kRows(const opj_image_t& image, const TJ2kChannels& channels, TIEBitmap& bitmap,
                 TIEBitmap* alpha, TIOProgressRec& progress) {
    const int width = bitmap.Width(), height = bitmap.Height();
    const bool bilevel = bitmap.PixelFormat() == ie1g;
    TSampler color[3];
    for (int i = 0; i < channels.ColorCount(); ++i)
        color[i] = TSampler(image, channels.Color[i], width);
    TSampler opacity;
    if (alpha != nullptr && channels.Alpha >= 0) opacity = TSampler(image, channels.Alpha, width);
    const TYCbCrTables& t = YCbCrTables();

    progress.SetUnits(height);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bitmap.Row(y);
        const int32_t* c0 = color[0].Row(y);
        uint8_t* alphaRow = opacity.Valid() ? alpha->Row(y) : nullptr;
        const int32_t* a = opacity.Valid() ? opacity.Row(y) : nullptr;
        if (bilevel) {
            std::fill_n(row, (width + 7) / 8, 0);
            for (int x = 0; x < width; ++x)
                if (color[0].At(c0, x) != 0) row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
        } else if (channels.Family == TJ2kColorFamily::Gray) {
            for (int x = 0; x < width; ++x)
                std::fill_n(row + 3 * x, 3, color[0].At(c0, x));
        } else {
            const int32_t* c1 = color[1].Row(y);
            const int32_t* c2 = color[2].Row(y);
            const bool ycc = channels.Family == TJ2kColorFamily::YCbCr;
            for (int x = 0; x < width; ++x) {
                const uint8_t v0 = color[0].At(c0, x), v1 = color[1].At(c1, x),
                              v2 = color[2].At(c2, x);
                uint8_t* pixel = row + 3 * x; // blue, green, red
                if (ycc) {
                    pixel[2] = Clamp(v0 + t.CrR[v2]);
                    pixel[1] = Clamp(v0 + t.CbG[v1] + t.CrG[v2]);
                    pixel[0] = Clamp(v0 + t.CbB[v1]);
                } else {
                    pixel[2] = v0;
                    pixel[1] = v1;
                    pixel[0] = v2;
                }
            }
        }
        if (alphaRow != nullptr) {
            for (int x = 0; x < width; ++x)
                alphaRow[x] = opacity.At(a, x);
            if (channels.PremultipliedAlpha && !bilevel) {
                for (int x = 0; x < 3 * width; ++x)
                    row[x] = Unpremultiply(row[x], alphaRow[x / 3]);
            }
        }
        progress.Report(progress.PercentOf(y));
        if (progress.Aborted()) break;
    }
}

} // namespace vellinor
