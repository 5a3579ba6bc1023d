// Reading JPEG 2000: the header checks, the decode, the parameters, the rows.

#include "image/TIEBitmap.h"
#include "io/IOGuards.h"
#include "io/TIOParamsVals.h"
#include "io/TIOProgressRec.h"
#include "io/jp2/J2kChannels.h"
#include "io/jp2/J2kCodec.h"
#include "io/jp2/J2kDecoder.h"
#include "io/jp2/J2kHeader.h"
#include "io/jp2/J2kRows.h"

namespace vellinor {

namespace {

void ReportImage(TIOParamsVals& params, const TJ2kHeader& header, uint32_t precision) {
    const bool gray = header.Family() == TJ2kColorFamily::Gray;
    params.BitsPerSample = static_cast<int32_t>(precision);
    params.SamplesPerPixel = gray ? 1 : 3;
    params.SetResolutionX(DefaultResolution);
    params.SetResolutionY(DefaultResolution);
    params.Palette.clear();
    params.Width = params.StoredWidth = static_cast<int32_t>(header.Width());
    params.Height = params.StoredHeight = static_cast<int32_t>(header.Height());
}

// The alpha plane to fill, or null for an opaque picture (then none is kept).
TIEBitmap* PrepareAlpha(TIEBitmap& bitmap, const TJ2kChannels& channels, TIOProgressRec& progress) {
    if (channels.Alpha < 0) return nullptr;
    TIEBitmap* alpha = bitmap.AlphaPlane();
    if (alpha == nullptr || alpha->Width() != bitmap.Width() ||
        alpha->Height() != bitmap.Height()) {
        bitmap.DropAlphaPlane(false);
        progress.Abort();
        return nullptr;
    }
    return alpha;
}

} // namespace

void ReadJ2kStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, bool preview,
                   TIOProgressRec& progress) {
    TJ2kHeader header;
    if (!ReadJ2kHeader(stream, header) || header.Family() == TJ2kColorFamily::Unsupported ||
        !J2kDecodeAcceptable(header)) {
        progress.Abort();
        return;
    }
    TJ2kDecoder decoder(stream, header.Container);
    if (preview) {
        const opj_image_t* image = decoder.ReadHeader();
        if (image == nullptr || image->numcomps == 0) {
            progress.Abort();
            return;
        }
        ReportImage(params, header, image->comps[0].prec);
        return;
    }
    const opj_image_t* image = decoder.Decode();
    TJ2kChannels channels;
    if (image == nullptr || int64_t{image->x1} - image->x0 != header.Width() ||
        int64_t{image->y1} - image->y0 != header.Height() ||
        !ChooseJ2kChannels(*image, header, channels)) {
        progress.Abort();
        return;
    }
    const uint32_t precision = image->comps[channels.Color[0]].prec;
    ReportImage(params, header, precision);
    const bool bilevel = channels.Family == TJ2kColorFamily::Gray && precision == 1;
    if (!SetupImage(bitmap, header.Width(), header.Height(), bilevel ? ie1g : ie24RGB, progress)) {
        return;
    }
    TIEBitmap* alpha = PrepareAlpha(bitmap, channels, progress);
    if (progress.Aborted()) return;
    FillJ2kRows(*image, channels, bitmap, alpha, progress);
    if (alpha != nullptr) alpha->RecheckOpaque();
}

} // namespace vellinor
