// Writing JPEG 2000: the bitmap into OpenJPEG components, the options text
// into encoder settings, then the encode.

#include "image/TIEBitmap.h"
#include "io/TIOParamsVals.h"
#include "io/TIOProgressRec.h"
#include "io/jp2/J2kCodec.h"
#include "io/jp2/J2kHandles.h"
#include "io/jp2/J2kOptions.h"
#include "io/jp2/J2kStreamAdapter.h"

#include <algorithm>
#include <bit>

namespace vellinor {

namespace {

constexpr int kMaxResolutions = 6;

// The precision of the components: 1 for black and white; else
// BitsPerSample from 8 to 16. Fewer bits than 8 would throw colours away (a
// depth left in the record by the last reader, a 4-bit palette file say, is
// no request to quantize a colour picture, and the JPEG 2000 page offers no
// depth to choose), more than 16 OpenJPEG codes poorly; both become 8.
uint32_t PrecisionOf(const TIEBitmap& source, const TIOParamsVals& params) {
    if (source.PixelFormat() == ie1g) return 1;
    const int bits = params.BitsPerSample;
    return bits >= 8 && bits <= 16 ? static_cast<uint32_t>(bits) : 8;
}

bool HasTransparency(TIEBitmap& bitmap) {
    if (!bitmap.HasAlphaPlane()) return false;
    TIEBitmap& alpha = *bitmap.AlphaPlane();
    for (int y = 0; y < alpha.Height(); ++y) {
        const uint8_t* row = alpha.Row(y);
        if (std::any_of(row, row + alpha.Width(), [](uint8_t a) { return a != 255; })) return true;
    }
    return false;
}

// The picture as OpenJPEG components, filled row by row.
class TComponentFiller {
public:
    TComponentFiller(TIEBitmap& bitmap, uint32_t precision, TIOProgressRec& progress)
        : fBitmap(bitmap), fMaxValue((int64_t{1} << precision) - 1), fProgress(progress) {}

    void Fill(opj_image_t& image) {
        const int width = fBitmap.Width(), height = fBitmap.Height();
        const bool gray = image.numcomps == 1;
        const bool bilevel = fBitmap.PixelFormat() == ie1g;
        TIEBitmap* alpha = image.numcomps == 4 ? fBitmap.AlphaPlane() : nullptr;
        fProgress.SetUnits(height);
        for (int y = 0; y < height; ++y) {
            fProgress.Report(fProgress.PercentOf(y));
            if (fProgress.Aborted()) return; // the encoder still runs on what was filled
            const uint8_t* row = fBitmap.Row(y);
            const int64_t start = int64_t{y} * width;
            if (bilevel) {
                OPJ_INT32* out = image.comps[0].data + start;
                for (int x = 0; x < width; ++x)
                    out[x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
            } else if (gray) {
                OPJ_INT32* out = image.comps[0].data + start;
                for (int x = 0; x < width; ++x) {
                    const uint8_t* p = row + 3 * x; // blue, green, red
                    out[x] = Scaled((p[2] * 21 + p[1] * 71 + p[0] * 8) / 100);
                }
            } else {
                OPJ_INT32* red = image.comps[0].data + start;
                OPJ_INT32* green = image.comps[1].data + start;
                OPJ_INT32* blue = image.comps[2].data + start;
                for (int x = 0; x < width; ++x) {
                    const uint8_t* p = row + 3 * x;
                    red[x] = Scaled(p[2]);
                    green[x] = Scaled(p[1]);
                    blue[x] = Scaled(p[0]);
                }
                if (alpha != nullptr) {
                    const uint8_t* a = alpha->Row(y);
                    OPJ_INT32* out = image.comps[3].data + start;
                    for (int x = 0; x < width; ++x)
                        out[x] = Scaled(a[x]);
                }
            }
        }
    }

private:
    // v / 255 x maxval, truncated toward zero.
    OPJ_INT32 Scaled(int v) const { return static_cast<OPJ_INT32>(v * fMaxValue / 255); }

    TIEBitmap& fBitmap;
    int64_t fMaxValue;
    TIOProgressRec& fProgress;
};

TJ2kImagePtr CreateImage(int width, int height, int components, uint32_t precision) {
    opj_image_cmptparm_t parameters[4] = {};
    for (int i = 0; i < components; ++i) {
        opj_image_cmptparm_t& p = parameters[i];
        p.dx = p.dy = 1;
        p.w = static_cast<OPJ_UINT32>(width);
        p.h = static_cast<OPJ_UINT32>(height);
        p.x0 = p.y0 = 0;
        p.prec = precision;
        p.sgnd = 0;
    }
    TJ2kImagePtr image(opj_image_create(static_cast<OPJ_UINT32>(components), parameters,
                                        components == 1 ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB));
    if (!image) return image;
    image->x0 = image->y0 = 0;
    image->x1 = static_cast<OPJ_UINT32>(width);
    image->y1 = static_cast<OPJ_UINT32>(height);
    for (int i = 0; i < components; ++i) {
        if (image->comps[i].data == nullptr) return nullptr;
    }
    if (components == 4) image->comps[3].alpha = 1; // opacity (a channel definition in JP2)
    return image;
}

// OpenJPEG's settings, all derived from the options text.
opj_cparameters_t EncoderParameters(const TJ2kEncoderOptions& options, int width, int height,
                                    int components) {
    opj_cparameters_t p;
    opj_set_default_encoder_parameters(&p);
    p.tcp_numlayers = 1;
    p.cp_disto_alloc = 1;
    p.tcp_rates[0] = options.CompressionRatio(); // 0: lossless
    // Lossless needs the reversible 5/3 wavelet; below it the 9/7 one gives
    // the better picture for the bytes.
    p.irreversible = options.Lossless() ? 0 : 1;
    p.prog_order = options.Progression == TJ2kProgression::Rlcp ? OPJ_RLCP : OPJ_LRCP;
    p.tcp_mct = components >= 3 ? 1 : 0;
    // Every resolution level halves the picture: a side of n pixels allows
    // 1 + floor(log2(n)) of them.
    const int shortSide = std::min(width, height);
    p.numresolution = std::min(kMaxResolutions,
                               static_cast<int>(std::bit_width(static_cast<unsigned>(shortSide))));
    return p;
}

bool Encode(TStream& stream, opj_image_t& image, opj_cparameters_t& parameters, int formatIndex) {
    TJ2kCodecPtr codec =
        CreateJ2kEncoder(formatIndex == j2kCodeStream ? OPJ_CODEC_J2K : OPJ_CODEC_JP2);
    TJ2kStreamAdapter adapter(stream, TJ2kStreamAdapter::TDirection::Write);
    if (!codec || adapter.Handle() == nullptr) return false;
    const bool ok = opj_setup_encoder(codec.get(), &parameters, &image) &&
                    opj_start_compress(codec.get(), &image, adapter.Handle()) &&
                    opj_encode(codec.get(), adapter.Handle()) &&
                    opj_end_compress(codec.get(), adapter.Handle());
    return ok && !adapter.Failed();
}

} // namespace

void WriteJ2kStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, int formatIndex,
                    TIOProgressRec& progress) {
    TIEBitmap converted;
    TIEBitmap* source = &bitmap;
    if (bitmap.PixelFormat() != ie24RGB && bitmap.PixelFormat() != ie1g) {
        converted.CopyFrom(bitmap);
        converted.ConvertTo(ie24RGB);
        source = &converted;
    }
    const int width = source->Width(), height = source->Height();
    if (width <= 0 || height <= 0 ||
        (source->PixelFormat() != ie24RGB && source->PixelFormat() != ie1g)) {
        progress.Abort();
        return;
    }
    if (source->PixelFormat() == ie1g) {
        params.BitsPerSample = 1;
        params.J2000ColorSpace = 0;
    }
    const uint32_t precision = PrecisionOf(*source, params);
    const bool gray = params.J2000ColorSpace == 0;
    const int components = gray ? 1 : HasTransparency(*source) ? 4 : 3;
    TJ2kImagePtr image = CreateImage(width, height, components, precision);
    if (!image) {
        progress.Abort();
        return;
    }
    TComponentFiller(*source, precision, progress).Fill(*image);
    const TJ2kEncoderOptions options =
        ParseJ2kOptions(J2kOptionsText(params.J2000Rate, params.J2000ProgressionOrder));
    opj_cparameters_t parameters = EncoderParameters(options, width, height, components);
    if (!Encode(stream, *image, parameters, formatIndex)) progress.Abort();
}

} // namespace vellinor
