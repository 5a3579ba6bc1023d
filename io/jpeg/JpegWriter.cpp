// WriteJpegStream: the compressor set up from the parameters, the saved
// segments written back in sorted order, bitmap rows as scanlines.

#include "image/ColorConversions.h"
#include "image/TIEBitmap.h"
#include "io/TIOParamsVals.h"
#include "io/TIOProgressRec.h"
#include "io/jpeg/JpegCodec.h"
#include "io/jpeg/JpegErrorManager.h"
#include "io/jpeg/JpegMarkerOrder.h"
#include "io/jpeg/JpegStreamDestination.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace vellinor {

namespace {

enum class TRowPath {
    Direct, // the bitmap row (grey, YCbCr and RGB: the library converts from BGR)
    Cmyk,   // through the RGB-to-CMYK conversion
};

struct TCompressor {
    jpeg_compress_struct Info{};
    TJpegErrorManager Errors;
    bool Created = false;
    ~TCompressor() {
        if (Created) jpeg_destroy_compress(&Info);
    }
};

// Plain values and pointers into WriteJpegStream's frame (see
// JpegErrorManager.h for why).
struct TJpegWriteJob {
    TCompressor* Compressor = nullptr;
    TJpegStreamDestination* Destination = nullptr;
    TIEBitmap* Bitmap = nullptr;
    TIOParamsVals* Params = nullptr;
    TIOProgressRec* Progress = nullptr;
    std::vector<uint8_t>* RowBuffer = nullptr;
    TRowPath Path = TRowPath::Direct;
};

UINT16 Density(int dpi) {
    return static_cast<UINT16>(std::clamp(dpi != 0 ? dpi : 300, 1, 65535));
}

void SetSampling(jpeg_compress_struct& info, uint8_t subsampling) {
    static constexpr int kFactors[3][2] = {{2, 1}, {2, 2}, {1, 1}};
    const auto& f = kFactors[subsampling < 3 ? subsampling : 1];
    info.comp_info[0].h_samp_factor = f[0];
    info.comp_info[0].v_samp_factor = f[1];
    for (int c = 1; c < info.num_components; ++c) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
}

void Configure(TJpegWriteJob& job) {
    j_compress_ptr info = &job.Compressor->Info;
    const TIOParamsVals& params = *job.Params;
    info->image_width = static_cast<JDIMENSION>(job.Bitmap->Width());
    info->image_height = static_cast<JDIMENSION>(job.Bitmap->Height());
    info->input_components = 3;
    info->in_color_space = JCS_EXT_BGR;
    J_COLOR_SPACE target = JCS_RGB;
    switch (params.JpegColorSpace) {
    case 1:
        target = JCS_GRAYSCALE;
        break;
    case 2:
        target = JCS_YCbCr;
        break;
    case 3:
    case 4:
        target = params.JpegColorSpace == 3 ? JCS_CMYK : JCS_YCCK;
        info->input_components = 4;
        info->in_color_space = JCS_CMYK;
        job.Path = TRowPath::Cmyk;
        break;
    default:
        break;
    }
    jpeg_set_defaults(info);
    jpeg_set_colorspace(info, target);
    info->density_unit = 1;
    info->X_density = Density(params.ResolutionX());
    info->Y_density = Density(params.ResolutionY());
    static constexpr J_DCT_METHOD kMethods[] = {JDCT_ISLOW, JDCT_IFAST, JDCT_FLOAT};
    info->dct_method = kMethods[params.JpegDctMethod < 3 ? params.JpegDctMethod : 0];
    info->optimize_coding = params.JpegOptimalHuffman ? TRUE : FALSE;
    info->smoothing_factor = std::clamp(params.JpegSmoothing, 0, 100);
    jpeg_set_quality(info, std::clamp(params.JpegQuality, 0, 100), TRUE);
    if (target == JCS_YCbCr) SetSampling(*info, params.JpegChromaSubsampling);
    if (target == JCS_CMYK) info->write_JFIF_header = TRUE;
    if (params.JpegProgressive) jpeg_simple_progression(info);
}

void WriteMarkers(TJpegWriteJob& job) {
    for (const auto& marker : job.Params->Markers.Items()) {
        // The library writes the Adobe segment itself when it is needed.
        if (marker.Code == kJpegApp14) continue;
        jpeg_write_marker(&job.Compressor->Info, marker.Code, marker.Data.data(),
                          static_cast<unsigned>(marker.Data.size()));
    }
}

void WriteRows(TJpegWriteJob& job) {
    j_compress_ptr info = &job.Compressor->Info;
    TIEBitmap& bitmap = *job.Bitmap;
    TIOProgressRec& progress = *job.Progress;
    const int height = bitmap.Height(), width = bitmap.Width();
    progress.SetUnits(height);
    int reported = -1;
    for (int y = 0; y < height; ++y) {
        JSAMPROW row = bitmap.Row(y);
        if (job.Path == TRowPath::Cmyk) {
            const auto* bgr = reinterpret_cast<const TRGB*>(row);
            auto* cmyk = reinterpret_cast<TCMYK*>(job.RowBuffer->data());
            for (int x = 0; x < width; ++x)
                cmyk[x] = RGB2CMYK(bgr[x]);
            row = job.RowBuffer->data();
        }
        jpeg_write_scanlines(info, &row, 1);
        if (!progress.ReportUnitIfChanged(y + 1, reported)) return;
    }
}

// The only frame with this setjmp; false after a library error.
[[gnu::noinline]] bool RunCompress(TJpegWriteJob* job) {
    if (setjmp(job->Compressor->Errors.Jump) != 0) return false;
    j_compress_ptr info = &job->Compressor->Info;
    info->err = InitJpegErrorManager(job->Compressor->Errors, job->Progress);
    job->Compressor->Created = true;
    jpeg_create_compress(info);
    job->Destination->Attach(info);
    Configure(*job);
    jpeg_start_compress(info, TRUE);
    WriteMarkers(*job);
    WriteRows(*job);
    if (!job->Progress->Aborted()) jpeg_finish_compress(info);
    return true;
}

} // namespace

void WriteJpegStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params,
                     TIOProgressRec& progress) {
    if (bitmap.IsVoid() || bitmap.Width() == 0 || bitmap.Height() == 0) {
        progress.Abort();
        return;
    }
    TIEBitmap* source = &bitmap;
    std::unique_ptr<TIEBitmap> copy;
    if (bitmap.PixelFormat() != ie24RGB) {
        copy = std::make_unique<TIEBitmap>();
        copy->CopyFrom(bitmap);
        copy->DropAlphaPlane(false);
        copy->ConvertTo(ie24RGB);
        if (copy->PixelFormat() != ie24RGB) {
            progress.Abort();
            return;
        }
        source = copy.get();
    }
    if (progress.Aborted()) return;
    SortMarkers(params.Markers);

    TCompressor compressor;
    TJpegStreamDestination destination(stream, &progress);
    std::vector<uint8_t> rowBuffer(static_cast<size_t>(source->Width()) * 4);
    TJpegWriteJob job;
    job.Compressor = &compressor;
    job.Destination = &destination;
    job.Bitmap = source;
    job.Params = &params;
    job.Progress = &progress;
    job.RowBuffer = &rowBuffer;
    if (RunCompress(&job) || !compressor.Errors.WantsException) return;
    throw EIEJpegException(compressor.Errors.Message);
}

} // namespace vellinor
