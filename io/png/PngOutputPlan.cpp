#include "io/png/PngOutputPlan.h"

#include "image/TIEBitmap.h"
#include "image/TIEMask.h"
#include "io/TIOParamsVals.h"
#include "io/TwoColorConversion.h"

#include <algorithm>
#include <png.h>

namespace vellinor {

namespace {

bool MaskHasTransparency(const TIEBitmap& bitmap, const TIEMask* mask) {
    if (mask == nullptr || mask->IsEmpty() || mask->BitsPerPixel() != 8 ||
        mask->Width() != bitmap.Width() || mask->Height() != bitmap.Height()) {
        return false;
    }
    for (int y = 0; y < mask->Height(); ++y) {
        const uint8_t* row = mask->ScanLine(y);
        if (!std::all_of(row, row + mask->Width(), [](uint8_t v) { return v == 255; })) {
            return true;
        }
    }
    return false;
}

// Makes plan.Source an ie24RGB (or other) copy of the current source.
bool UseConvertedCopy(TPngOutputPlan& plan, TIEPixelFormat format) {
    if (plan.Source->PixelFormat() == format) return true;
    auto copy = std::make_unique<TIEBitmap>();
    copy->CopyFrom(*plan.Source);
    copy->DropAlphaPlane(false);
    copy->ConvertTo(format);
    if (copy->PixelFormat() != format || copy->Width() != plan.Source->Width()) return false;
    plan.Copy = std::move(copy);
    plan.Source = plan.Copy.get();
    return true;
}

// BitsPerSample 1: the picture as black and white.
bool PlanBilevel(TIEBitmap& bitmap, TPngOutputPlan& plan) {
    plan.ColorType = PNG_COLOR_TYPE_GRAY;
    plan.Depth = 1;
    plan.Rows = TPngRowSource::GrayDirect;
    if (bitmap.PixelFormat() == ie1g) return true;
    auto copy = std::make_unique<TIEBitmap>();
    TRGB color0{}, color1{};
    if (!MakeTwoColorBitmap(bitmap, *copy, color0, color1)) {
        copy->CopyFrom(bitmap);
        copy->DropAlphaPlane(false);
        copy->ConvertTo(ie1g);
    }
    if (copy->PixelFormat() != ie1g) return false;
    plan.Copy = std::move(copy);
    plan.Source = plan.Copy.get();
    return true;
}

void SetGrayBackground(TPngOutputPlan& plan, TRGB background) {
    const int gray = GrayLevel(background);
    plan.BackgroundGray = plan.Depth == 1    ? (gray >= 128 ? 1 : 0)
                          : plan.Depth == 16 ? gray * 257
                                             : gray;
}

// One sample per pixel, 8 bits: a palette, or grey when the picture is grey.
bool PlanPalette(TIOParamsVals& params, const TIEMask* mask, TPngOutputPlan& plan) {
    plan.Depth = 8;
    const TRGB background = params.PngBackground;
    const TIEPixelFormat format = plan.Source->PixelFormat();
    if (mask != nullptr) {
        // Entry 0 is the transparent background, the picture's colours follow.
        if (!UseConvertedCopy(plan, ie24RGB)) return false;
        const int colors = std::min(1 << params.BitsPerSample, 255);
        plan.Quantizer = std::make_unique<TIEQuantizer>(*plan.Source, plan.QuantizerColors, colors);
        plan.ColorType = PNG_COLOR_TYPE_PALETTE;
        plan.Rows = TPngRowSource::MaskedIndices;
        plan.Mask = mask;
        plan.Palette.assign(1, background);
        plan.Palette.insert(plan.Palette.end(), plan.QuantizerColors.begin(),
                            plan.QuantizerColors.begin() + std::min(colors, 255));
        plan.TransparentEntry0 = true;
        plan.BackgroundIndex = 0;
        return true;
    }
    const bool ownPalette = format == ie8p && !plan.Source->LooksGray();
    if (format != ie8g && !ownPalette && !UseConvertedCopy(plan, ie24RGB)) return false;
    plan.Quantizer = std::make_unique<TIEQuantizer>(*plan.Source, plan.QuantizerColors, 256);
    if (plan.Quantizer->IsGray()) {
        plan.ColorType = PNG_COLOR_TYPE_GRAY;
        plan.Rows = format == ie8g ? TPngRowSource::GrayDirect : TPngRowSource::GrayQuantized;
        SetGrayBackground(plan, background);
        return true;
    }
    plan.ColorType = PNG_COLOR_TYPE_PALETTE;
    plan.Rows = ownPalette ? TPngRowSource::OwnIndices : TPngRowSource::QuantizedIndices;
    plan.Palette.assign(plan.QuantizerColors.begin(), plan.QuantizerColors.end());
    const int index = plan.Quantizer->ColorToIndex(background);
    if (index >= 0 && index < static_cast<int>(plan.Palette.size())) plan.BackgroundIndex = index;
    return true;
}

} // namespace

bool PlanPngOutput(TIEBitmap& bitmap, TIOParamsVals& params, const TIEMask* mask,
                   TPngOutputPlan& plan) {
    plan.Source = &bitmap;
    const bool oneSample = params.SamplesPerPixel == 1;
    if (oneSample && params.BitsPerSample != 1 && params.BitsPerSample != 8 &&
        params.BitsPerSample != 16) {
        params.BitsPerSample = 8;
    }
    const bool transparent = MaskHasTransparency(bitmap, mask);
    if (params.BitsPerSample == 1) {
        if (!PlanBilevel(bitmap, plan)) return false;
        SetGrayBackground(plan, params.PngBackground);
        return true;
    }
    if (bitmap.PixelFormat() == ie1g && !UseConvertedCopy(plan, ie24RGB)) return false;
    if (oneSample && params.BitsPerSample == 16 && plan.Source->PixelFormat() == ie16g) {
        plan.ColorType = PNG_COLOR_TYPE_GRAY;
        plan.Depth = 16;
        plan.Rows = TPngRowSource::GrayDirect;
        SetGrayBackground(plan, params.PngBackground);
        return true;
    }
    if (oneSample) return PlanPalette(params, transparent ? mask : nullptr, plan);
    if (!UseConvertedCopy(plan, ie24RGB)) return false;
    plan.Depth = 8;
    plan.ColorType = transparent ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    plan.Rows = transparent ? TPngRowSource::RgbAlpha : TPngRowSource::Rgb;
    if (transparent) plan.Mask = mask;
    plan.BackgroundColor = params.PngBackground;
    return true;
}

} // namespace vellinor
