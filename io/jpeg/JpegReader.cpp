// ReadJpegStream: the decompressor set up from the file and the parameters,
// scanlines into bitmap rows, then the saved segments and their metadata.

#include "image/ColorConversions.h"
#include "image/TIEBitmap.h"
#include "io/IOGuards.h"
#include "io/TIOParamsVals.h"
#include "io/TIOProgressRec.h"
#include "io/jpeg/ApplyOrientation.h"
#include "io/jpeg/ExifBlock.h"
#include "io/jpeg/IptcBlock.h"
#include "io/jpeg/JpegCodec.h"
#include "io/jpeg/JpegErrorManager.h"
#include "io/jpeg/JpegIccProfile.h"
#include "io/jpeg/JpegMarkerOrder.h"
#include "io/jpeg/JpegStreamScan.h"
#include "io/jpeg/JpegStreamSource.h"
#include "io/jpeg/XmpBlock.h"
#include "platform/Stream.h"

#include <cmath>
#include <vector>

namespace vellinor {

namespace {

// Huffman-coded JPEG data describes at most about this many pixels per byte
// (flat 8 x 8 blocks cost a few bits each); a header claiming far more than
// the data left can hold is not allocated for.
constexpr double kMaxPixelsPerByte = 1024.0;
// libjpeg's own buffers (progressive coefficients) stay below this.
constexpr long kLibraryMemoryLimit = 1L << 30;
// Real progressive files have a dozen scans; crafted ones can have thousands,
// each a pass over the whole picture.
constexpr int kMaxScans = 1000;

enum class TRowPath {
    Direct,    // the library writes the bitmap row
    GrayToBgr, // one grey byte to blue, green, red
    CmykToBgr, // four bytes through the CMYK formula
    Other,     // an unusual component count
};

struct TScanLimit {
    jpeg_progress_mgr Base{};
};

void CheckScans(j_common_ptr cinfo) {
    if (cinfo->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
        RaiseJpegError(cinfo, "Too many scans");
    }
}

// The decompressor, destroyed in the caller's frame whatever happened.
struct TDecompressor {
    jpeg_decompress_struct Info{};
    TJpegErrorManager Errors;
    TScanLimit ScanLimit;
    bool Created = false;
    ~TDecompressor() {
        if (Created) jpeg_destroy_decompress(&Info);
    }
};

// What the setjmp frames work on: plain values and pointers into the frame
// of ReadJpegStream, so a longjmp skips no destructor.
struct TJpegReadJob {
    TDecompressor* Decompressor = nullptr;
    TJpegStreamSource* Source = nullptr;
    TStream* Stream = nullptr;
    TIEBitmap* Bitmap = nullptr;
    TIOParamsVals* Params = nullptr;
    TIOProgressRec* Progress = nullptr;
    const TJpegReadOptions* Options = nullptr;
    std::vector<uint8_t>* RowBuffer = nullptr;
    int64_t DataBytes = 0;
    TRowPath Path = TRowPath::Direct;
    int Rows = 0;
};

void CreateAndReadHeader(TJpegReadJob& job) {
    j_decompress_ptr info = &job.Decompressor->Info;
    info->err = InitJpegErrorManager(job.Decompressor->Errors, job.Progress);
    job.Decompressor->Created = true;
    jpeg_create_decompress(info);
    job.Decompressor->ScanLimit.Base.progress_monitor = CheckScans;
    info->progress = &job.Decompressor->ScanLimit.Base;
    info->mem->max_memory_to_use = kLibraryMemoryLimit;
    job.Source->Attach(info);
    const TJpegReadOptions& options = *job.Options;
    if (options.TablesStream != nullptr && options.TablesStream != job.Stream) {
        jpeg_read_header(info, FALSE);
        job.Source->SwitchTo(*job.Stream);
    }
    jpeg_save_markers(info, JPEG_COM, 0xFFFF);
    for (int n = 0; n < 16; ++n)
        jpeg_save_markers(info, JPEG_APP0 + n, 0xFFFF);
    jpeg_read_header(info, TRUE);
}

void ChooseColorSpace(TJpegReadJob& job) {
    j_decompress_ptr info = &job.Decompressor->Info;
    TIOParamsVals& params = *job.Params;
    switch (info->jpeg_color_space) {
    case JCS_GRAYSCALE:
        params.JpegColorSpace = 1;
        params.SamplesPerPixel = 1;
        info->out_color_space = JCS_GRAYSCALE;
        break;
    case JCS_RGB:
        // The library exchanges red and blue for us.
        params.JpegColorSpace = 0;
        params.SamplesPerPixel = 3;
        info->out_color_space = JCS_EXT_BGR;
        break;
    case JCS_YCbCr:
        params.JpegColorSpace = 2;
        params.SamplesPerPixel = 3;
        info->out_color_space = JCS_EXT_BGR;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        params.JpegColorSpace = info->jpeg_color_space == JCS_CMYK ? 3 : 4;
        params.SamplesPerPixel = 4;
        info->out_color_space = JCS_CMYK;
        break;
    default:
        info->out_color_space = info->jpeg_color_space;
        break;
    }
    // CMYK cannot be converted by the library; the glue does it.
    if (job.Options->ForceRgb && info->out_color_space == JCS_GRAYSCALE) {
        info->out_color_space = JCS_EXT_BGR;
    }
}

int ScaleDenominator(const TJpegReadJob& job) {
    const TIOParamsVals& params = *job.Params;
    const j_decompress_ptr info = &job.Decompressor->Info;
    switch (params.JpegScale) {
    case 2:
        return 2;
    case 3:
        return 4;
    case 4:
        return 8;
    case 0:
        if (params.Width > 0 && params.Height > 0) {
            for (int n = 3; n > 0; --n) {
                if (info->image_width >> n >= static_cast<unsigned>(params.Width) &&
                    info->image_height >> n >= static_cast<unsigned>(params.Height)) {
                    return 1 << n;
                }
            }
        }
        return 1;
    default:
        return 1;
    }
}

void ReportParams(TJpegReadJob& job) {
    j_decompress_ptr info = &job.Decompressor->Info;
    TIOParamsVals& params = *job.Params;
    params.BitsPerSample = 8;
    ChooseColorSpace(job);
    static constexpr J_DCT_METHOD kMethods[] = {JDCT_ISLOW, JDCT_IFAST, JDCT_FLOAT};
    info->dct_method = kMethods[params.JpegDctMethod < 3 ? params.JpegDctMethod : 0];
    if (info->density_unit == 2) {
        params.SetResolutionX(static_cast<int32_t>(info->X_density * 2.54));
        params.SetResolutionY(static_cast<int32_t>(info->Y_density * 2.54));
    } else {
        params.SetResolutionX(static_cast<int32_t>(info->X_density));
        params.SetResolutionY(static_cast<int32_t>(info->Y_density));
    }
    params.Palette.clear();
    params.JpegProgressive = info->progressive_mode != 0;
    params.StoredWidth = static_cast<int32_t>(info->image_width);
    params.StoredHeight = static_cast<int32_t>(info->image_height);
    const int denominator = ScaleDenominator(job);
    info->scale_num = 1;
    info->scale_denom = static_cast<unsigned>(denominator);
    params.JpegScaleUsed = denominator;
}

TIEPixelFormat TargetFormat(const TJpegReadJob& job) {
    const J_COLOR_SPACE out = job.Decompressor->Info.out_color_space;
    if (!job.Options->NativeFormat || job.Options->ForceRgb) return ie24RGB;
    if (out == JCS_GRAYSCALE) return ie8g;
    if (out == JCS_CMYK) return ieCMYK;
    return ie24RGB;
}

TRowPath PathFor(const TJpegReadJob& job, TIEPixelFormat format) {
    const jpeg_decompress_struct& info = job.Decompressor->Info;
    const int components = info.output_components;
    if (format == ie8g && components == 1) return TRowPath::Direct;
    if (format == ieCMYK && components == 4) return TRowPath::Direct;
    if (format == ie24RGB && info.out_color_space == JCS_EXT_BGR && components == 3) {
        return TRowPath::Direct;
    }
    if (format == ie24RGB && info.out_color_space == JCS_GRAYSCALE) return TRowPath::GrayToBgr;
    if (format == ie24RGB && info.out_color_space == JCS_CMYK) return TRowPath::CmykToBgr;
    return TRowPath::Other;
}

bool SizeAcceptable(const TJpegReadJob& job) {
    const jpeg_decompress_struct& info = job.Decompressor->Info;
    const int64_t encodable = EncodablePixels(job.DataBytes, kMaxPixelsPerByte);
    // Progressive files keep the coefficients of the whole stored picture.
    if (info.progressive_mode &&
        !ImageSizeAcceptable(info.image_width, info.image_height, ie24RGB, encodable)) {
        return false;
    }
    return ImageSizeAcceptable(info.output_width, info.output_height, ie24RGB, encodable);
}

void InvertRow(uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>(255 - bytes[i]);
}

void CmykRowToBgr(uint8_t* cmyk, uint8_t* bgr, int width, bool invert) {
    if (invert) InvertRow(cmyk, static_cast<size_t>(width) * 4);
    auto* out = reinterpret_cast<TRGB*>(bgr);
    for (int x = 0; x < width; ++x, cmyk += 4)
        out[x] = CMYK2RGB(TCMYK{cmyk[0], cmyk[1], cmyk[2], cmyk[3]});
}

void OtherRowToBgr(const uint8_t* in, uint8_t* bgr, int width, int components) {
    auto* out = reinterpret_cast<TRGB*>(bgr);
    for (int x = 0; x < width; ++x, in += components) {
        if (components >= 3) {
            out[x] = TRGB{in[2], in[1], in[0]};
        } else {
            out[x] = TRGB{in[0], in[0], in[0]};
        }
    }
}

// One scanline into bitmap row y.
void ReadRow(TJpegReadJob& job, int y) {
    j_decompress_ptr info = &job.Decompressor->Info;
    uint8_t* row = job.Bitmap->Row(y);
    const int width = static_cast<int>(info->output_width);
    JSAMPROW target = job.Path == TRowPath::Direct ? row : job.RowBuffer->data();
    if (jpeg_read_scanlines(info, &target, 1) != 1) return;
    switch (job.Path) {
    case TRowPath::Direct:
        if (job.Bitmap->PixelFormat() == ieCMYK && job.Options->InvertCmyk) {
            InvertRow(row, static_cast<size_t>(width) * 4);
        }
        break;
    case TRowPath::GrayToBgr: {
        const uint8_t* gray = job.RowBuffer->data();
        for (int x = 0; x < width; ++x, row += 3)
            row[0] = row[1] = row[2] = gray[x];
        break;
    }
    case TRowPath::CmykToBgr:
        CmykRowToBgr(job.RowBuffer->data(), row, width, job.Options->InvertCmyk);
        break;
    case TRowPath::Other:
        OtherRowToBgr(job.RowBuffer->data(), row, width, info->output_components);
        break;
    }
}

void DecodeRows(TJpegReadJob& job) {
    j_decompress_ptr info = &job.Decompressor->Info;
    TIOParamsVals& params = *job.Params;
    jpeg_calc_output_dimensions(info);
    if (!SizeAcceptable(job)) RaiseJpegError(reinterpret_cast<j_common_ptr>(info), "Too large");
    jpeg_start_decompress(info);
    if (job.Progress->Aborted()) return;
    params.Width = static_cast<int32_t>(info->output_width);
    params.Height = static_cast<int32_t>(info->output_height);
    const TIEPixelFormat format = TargetFormat(job);
    // A fresh, zeroed picture even when the size is the one it had.
    job.Bitmap->FullReallocate = true;
    if (!SetupImage(*job.Bitmap, info->output_width, info->output_height, format, *job.Progress)) {
        return;
    }
    job.Path = PathFor(job, format);
    job.RowBuffer->assign(
        static_cast<size_t>(info->output_width) * static_cast<size_t>(info->output_components), 0);
    const int height = static_cast<int>(info->output_height);
    const int maxRows = job.Options->MaxRows < 0 ? height : job.Options->MaxRows;
    TIOProgressRec& progress = *job.Progress;
    progress.SetUnits(height);
    int reported = -1;
    while (static_cast<int>(info->output_scanline) < height && job.Rows < maxRows) {
        ReadRow(job, static_cast<int>(info->output_scanline));
        ++job.Rows;
        if (!progress.ReportUnitIfChanged(job.Rows, reported)) break;
    }
    if (job.Rows < maxRows) progress.Abort();
}

// Steps up to the last scanline; the only frame with this setjmp. A library
// error lands here with the abort flag raised.
[[gnu::noinline]] void RunDecode(TJpegReadJob* job) {
    if (setjmp(job->Decompressor->Errors.Jump) != 0) return;
    CreateAndReadHeader(*job);
    ReportParams(*job);
    const j_decompress_ptr info = &job->Decompressor->Info;
    if (job->Options->ParamsOnly) {
        job->Params->Width = static_cast<int32_t>(info->image_width);
        job->Params->Height = static_cast<int32_t>(info->image_height);
        return;
    }
    DecodeRows(*job);
}

// Errors of the finishing call are ignored: they neither raise the abort
// flag nor go further.
[[gnu::noinline]] void RunFinish(TJpegReadJob* job) {
    TJpegErrorManager& errors = job->Decompressor->Errors;
    errors.Progress = nullptr;
    if (setjmp(errors.Jump) != 0) return;
    jpeg_finish_decompress(&job->Decompressor->Info);
}

void CollectMarkers(const jpeg_decompress_struct& info, TIEMarkerList& markers) {
    markers.Clear();
    bool firstApp0 = true;
    for (jpeg_saved_marker_ptr m = info.marker_list; m != nullptr; m = m->next) {
        if (m->marker == kJpegApp0 && firstApp0) {
            // The JFIF header: the library writes its own.
            firstApp0 = false;
            continue;
        }
        markers.Add(static_cast<uint8_t>(m->marker),
                    std::vector<uint8_t>(m->data, m->data + m->data_length));
    }
}

void ParseMetadata(TIEBitmap& bitmap, TIOParamsVals& params) {
    const TIEMarkerList& markers = params.Markers;
    for (int i = 0; i < markers.Count(); ++i) {
        if (markers.MarkerCode(i) == kJpegApp13 &&
            ParseIptcBlock(params.IptcInfo, markers.MarkerData(i))) {
            break;
        }
    }
    for (int i = 0; i < markers.Count(); ++i) {
        if (markers.MarkerCode(i) != kJpegApp1 || !ParseExifBlock(markers.MarkerData(i), params)) {
            continue;
        }
        if (params.ResolutionX() == 1 && params.ResolutionY() == 1) {
            const double f = params.ExifResolutionUnit == 3 ? 2.54 : 1.0;
            const double x = params.ExifResolutionX, y = params.ExifResolutionY;
            params.SetResolutionX(static_cast<int32_t>(std::trunc(x * f)));
            params.SetResolutionY(static_cast<int32_t>(std::trunc(y * f)));
        }
        if (params.JpegAutoOrient) ApplyOrientation(bitmap, params.ExifOrientation);
        break;
    }
    for (int i = 0; i < markers.Count(); ++i) {
        if (markers.MarkerCode(i) == kJpegApp1 && IsXmpBlock(markers.MarkerData(i))) {
            params.XmpPacket = ParseXmpBlock(markers.MarkerData(i));
            break;
        }
    }
}

int ReadImage(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, TIOProgressRec& progress,
              const TJpegReadOptions& options) {
    params.JpegWarnings = 0;
    params.JpegLastMessage = 0;
    const int64_t start = FindJpegStart(stream);
    if (start < 0) {
        progress.Abort();
        return 0;
    }
    stream.Seek(start, TSeekOrigin::soBeginning);
    if (options.ScanIcc) {
        if (auto profile = ScanIccProfile(stream)) params.GetInputIcc().Raw = std::move(*profile);
    }

    TDecompressor decompressor;
    TJpegStreamSource source(options.TablesStream != nullptr ? *options.TablesStream : stream,
                             &progress);
    std::vector<uint8_t> rowBuffer;
    TJpegReadJob job;
    job.Decompressor = &decompressor;
    job.Source = &source;
    job.Stream = &stream;
    job.Bitmap = &bitmap;
    job.Params = &params;
    job.Progress = &progress;
    job.Options = &options;
    job.RowBuffer = &rowBuffer;
    job.DataBytes = BytesLeft(stream);
    RunDecode(&job);

    if (decompressor.Info.mem != nullptr) CollectMarkers(decompressor.Info, params.Markers);
    if (!progress.Aborted() && !options.ParamsOnly) RunFinish(&job);
    if (decompressor.Errors.Warnings > 0) {
        params.JpegWarnings = decompressor.Errors.Warnings;
        params.JpegLastMessage = decompressor.Errors.LastWarning;
    }
    if (options.ParseMetadata) ParseMetadata(bitmap, params);
    return job.Rows;
}

} // namespace

int ReadJpegStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params,
                   TIOProgressRec& progress, const TJpegReadOptions& options) {
    if (params.JpegThumbnailOnly) {
        const int64_t start = stream.Position();
        const int32_t width = params.Width, height = params.Height;
        params.FreeExifThumbnail();
        params.JpegThumbnailOnly = false;
        TJpegReadOptions pass = options;
        pass.ParamsOnly = true;
        pass.ParseMetadata = true;
        ReadImage(stream, bitmap, params, progress, pass);
        params.JpegThumbnailOnly = true;
        TIEBitmap* thumbnail = params.ExifThumbnail();
        if (thumbnail != nullptr && !thumbnail->IsVoid() && !progress.Aborted()) {
            bitmap.CopyFrom(*thumbnail);
            return bitmap.Height();
        }
        // No thumbnail: the picture itself, as asked for before this pass.
        if (progress.AbortFlagRef != nullptr) *progress.AbortFlagRef = false;
        stream.Seek(start, TSeekOrigin::soBeginning);
        params.Width = params.StoredWidth = width;
        params.Height = params.StoredHeight = height;
    }
    return ReadImage(stream, bitmap, params, progress, options);
}

} // namespace vellinor
