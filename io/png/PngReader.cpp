// ReadPngStream: libpng's transformations bring every colour type to the
// rows of the target format; the glue moves rows, alpha and parameters.

#include "image/TIEBitmap.h"
#include "io/IOGuards.h"
#include "io/TIOParamsVals.h"
#include "io/TIOProgressRec.h"
#include "io/png/PngCodec.h"
#include "io/png/PngLibraryGlue.h"
#include "platform/Stream.h"

#include <array>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <vector>

namespace vellinor {

namespace {

// Deflate expands at most 1032 times.
constexpr double kMaxDeflateRatio = 1032.0;

enum class TRowKind {
    Direct,       // libpng writes into the bitmap row
    FourChannels, // blue, green, red, alpha through a buffer
    PaletteBits,  // 1-bit palette indices through a buffer
};

// Everything the libpng calls work on. Plain values and pointers only: this
// lives in the frame of ReadPngStream, and RunRead (the setjmp frame) reaches
// it through a pointer, so a longjmp skips no destructor.
struct TPngReadJob {
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    TStream* Stream = nullptr;
    TIEBitmap* Bitmap = nullptr;
    TIOParamsVals* Params = nullptr;
    TIOProgressRec* Progress = nullptr;
    std::vector<uint8_t>* Buffer = nullptr; // owned by the caller's frame
    bool Preview = false;

    png_uint_32 Width = 0, Height = 0;
    int Depth = 0, ColorType = 0, Interlace = 0;
    bool Native = false;
    int Passes = 1;
    TRowKind Kind = TRowKind::Direct;
    TIEPixelFormat Format = ie24RGB;
    // Transparency the glue applies itself (native formats, 1-bit images).
    bool AlphaByIndex = false;
    std::array<uint8_t, 256> IndexAlpha{};
    bool AlphaByGray = false;
    unsigned TransparentGray = 0;
};

bool IsGrayType(int colorType) {
    return (colorType & PNG_COLOR_MASK_COLOR) == 0 && colorType != PNG_COLOR_TYPE_PALETTE;
}

int SamplesOf(int colorType) {
    switch (colorType) {
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4;
    default:
        return 1;
    }
}

void ReadHeader(TPngReadJob& job) {
    png_read_info(job.Png, job.Info);
    png_get_IHDR(job.Png, job.Info, &job.Width, &job.Height, &job.Depth, &job.ColorType,
                 &job.Interlace, nullptr, nullptr);
}

void ReportText(TPngReadJob& job) {
    TIOParamsVals& params = *job.Params;
    params.PngTextKeys.clear();
    params.PngTextValues.clear();
    png_textp text = nullptr;
    int count = 0;
    png_get_text(job.Png, job.Info, &text, &count);
    for (int i = 0; i < count; ++i) {
        // tEXt and zTXt only; iTXt is not read.
        if (text[i].compression != PNG_TEXT_COMPRESSION_NONE &&
            text[i].compression != PNG_TEXT_COMPRESSION_zTXt) {
            continue;
        }
        params.PngTextKeys.emplace_back(text[i].key != nullptr ? text[i].key : "");
        params.PngTextValues.emplace_back(text[i].text != nullptr ? text[i].text : "",
                                          text[i].text_length);
    }
}

void ReportBackground(TPngReadJob& job) {
    png_color_16p background = nullptr;
    if (png_get_bKGD(job.Png, job.Info, &background) == 0 || background == nullptr) return;
    // libpng fills red, green and blue for every colour type (the palette
    // entry, the grey value on all three).
    job.Params->PngBackground = TRGB{static_cast<uint8_t>(background->blue & 0xFF),
                                     static_cast<uint8_t>(background->green & 0xFF),
                                     static_cast<uint8_t>(background->red & 0xFF)};
}

// tRNS that libpng will not turn into an alpha channel: native palette and
// grey images keep their pixel format, 1-bit images are not expanded.
void PrepareOwnTransparency(TPngReadJob& job) {
    png_bytep alphas = nullptr;
    int count = 0;
    png_color_16p gray = nullptr;
    if (png_get_tRNS(job.Png, job.Info, &alphas, &count, &gray) == 0) return;
    if (job.ColorType == PNG_COLOR_TYPE_PALETTE) {
        job.IndexAlpha.fill(255);
        for (int i = 0; i < count && i < 256 && alphas != nullptr; ++i)
            job.IndexAlpha[static_cast<size_t>(i)] = alphas[i];
        job.AlphaByIndex = true;
    } else if (job.ColorType == PNG_COLOR_TYPE_GRAY && gray != nullptr) {
        job.TransparentGray = gray->gray;
        job.AlphaByGray = true;
    }
}

void SetTransformations(TPngReadJob& job) {
    png_structp png = job.Png;
    const int depth = job.Depth;
    const bool palette = job.ColorType == PNG_COLOR_TYPE_PALETTE;
    const bool gray = IsGrayType(job.ColorType);
    job.Native = job.Params->NativeFormat && (depth == 8 || depth == 16) &&
                 (palette || job.ColorType == PNG_COLOR_TYPE_GRAY);
    if (job.Native) {
        if (depth == 16) png_set_swap(png);
        PrepareOwnTransparency(job);
    } else {
        if (palette && depth >= 2) png_set_palette_to_rgb(png);
        if (job.ColorType == PNG_COLOR_TYPE_GRAY && depth >= 2 && depth <= 7) {
            png_set_expand_gray_1_2_4_to_8(png);
        }
        if (depth == 16) png_set_strip_16(png);
        if (depth >= 2 && depth <= 7) png_set_packing(png);
        if (gray && depth > 1) png_set_gray_to_rgb(png);
        if (depth > 1) {
            png_set_bgr(png);
            png_set_tRNS_to_alpha(png);
        } else {
            PrepareOwnTransparency(job);
        }
    }
    job.Passes = png_set_interlace_handling(png);
    png_read_update_info(png, job.Info);

    const int channels = png_get_channels(png, job.Info);
    if (channels == 4) {
        job.Kind = TRowKind::FourChannels;
        job.Format = ie24RGB;
    } else if (!job.Native && palette && depth == 1) {
        job.Kind = TRowKind::PaletteBits;
        job.Format = ie24RGB;
    } else if (depth == 1 && !palette) {
        job.Format = ie1g;
    } else if (job.Native) {
        job.Format = palette ? ie8p : depth == 16 ? ie16g : ie8g;
    } else {
        job.Format = ie24RGB;
    }
    // The rows libpng will deliver must be exactly what the glue expects.
    const size_t width = job.Width;
    size_t expected = 0;
    switch (job.Kind) {
    case TRowKind::FourChannels:
        expected = width * 4;
        break;
    case TRowKind::PaletteBits:
        expected = (width + 7) / 8;
        break;
    case TRowKind::Direct:
        expected =
            static_cast<size_t>(TIEBitmap::ComputeRowBytes(static_cast<int>(width), job.Format, 8));
        break;
    }
    if (png_get_rowbytes(png, job.Info) != expected) png_error(png, "unexpected row layout");
}

int DotsPerInch(png_uint_32 pixelsPerUnit) {
    return static_cast<int>(std::nearbyint(static_cast<double>(pixelsPerUnit) * 2.54 / 100.0));
}

void ReportParams(TPngReadJob& job) {
    TIOParamsVals& params = *job.Params;
    params.Width = params.StoredWidth = static_cast<int32_t>(job.Width);
    params.Height = params.StoredHeight = static_cast<int32_t>(job.Height);
    params.BitsPerSample = job.Depth;
    params.SamplesPerPixel = SamplesOf(job.ColorType);
    png_uint_32 x = 0, y = 0;
    int unit = 0;
    png_get_pHYs(job.Png, job.Info, &x, &y, &unit);
    const int dpiX = DotsPerInch(x), dpiY = DotsPerInch(y);
    params.SetResolutionX(dpiX != 0 ? dpiX : DefaultResolution);
    params.SetResolutionY(dpiY != 0 ? dpiY : DefaultResolution);
    params.Palette.clear();
    png_colorp palette = nullptr;
    int count = 0;
    if (job.ColorType == PNG_COLOR_TYPE_PALETTE &&
        png_get_PLTE(job.Png, job.Info, &palette, &count) != 0) {
        for (int i = 0; i < count; ++i)
            params.Palette.push_back(TRGB{palette[i].blue, palette[i].green, palette[i].red});
    }
    params.PngInterlaced = job.Interlace == PNG_INTERLACE_ADAM7;
}

// Pixels that the rest of the stream can encode at best.
int64_t EncodablePixels(TPngReadJob& job) {
    const double pixelBits = SamplesOf(job.ColorType) * job.Depth;
    const double rawRowBytes = 1.0 + std::ceil(job.Width * pixelBits / 8.0);
    const double pixelsPerByte = kMaxDeflateRatio * job.Width / rawRowBytes;
    return vellinor::EncodablePixels(BytesLeft(*job.Stream), pixelsPerByte);
}

bool SetupBitmap(TPngReadJob& job) {
    TIEBitmap& bitmap = *job.Bitmap;
    // A fresh, zeroed picture even when the size is the one it had: rows a
    // damaged file does not deliver stay zero.
    bitmap.FullReallocate = true;
    if (!SetupImage(bitmap, job.Width, job.Height, job.Format, *job.Progress,
                    EncodablePixels(job))) {
        return false;
    }
    if (job.Format == ie8p) {
        std::vector<TRGB>& palette = job.Params->Palette;
        std::vector<TRGB> entries(size_t{1} << job.Depth);
        std::copy_n(palette.begin(), std::min(palette.size(), entries.size()), entries.begin());
        bitmap.SetPalette(entries);
    }
    const bool whole = job.Passes > 1;
    const size_t rows = whole ? job.Height : 1;
    if (job.Kind == TRowKind::FourChannels) {
        job.Buffer->assign(size_t{job.Width} * 4 * rows, 0);
    } else if (job.Kind == TRowKind::PaletteBits) {
        job.Buffer->assign((size_t{job.Width} + 7) / 8 * rows, 0);
    }
    if (job.Kind == TRowKind::FourChannels || job.AlphaByIndex || job.AlphaByGray) {
        if (bitmap.AlphaPlane() == nullptr) return false;
    }
    return true;
}

void SplitFourChannels(const uint8_t* bgra, uint8_t* bgr, uint8_t* alpha, png_uint_32 width) {
    for (png_uint_32 x = 0; x < width; ++x, bgra += 4, bgr += 3) {
        bgr[0] = bgra[0];
        bgr[1] = bgra[1];
        bgr[2] = bgra[2];
        alpha[x] = bgra[3];
    }
}

bool BitAt(const uint8_t* bits, png_uint_32 x) {
    return (bits[x >> 3] & (0x80 >> (x & 7))) != 0;
}

void ExpandPaletteBits(TPngReadJob& job, const uint8_t* bits, uint8_t* bgr, uint8_t* alpha) {
    const std::vector<TRGB>& palette = job.Params->Palette;
    const TRGB entry0 = palette.empty() ? TRGB{} : palette[0];
    const TRGB entry1 = palette.size() < 2 ? TRGB{} : palette[1];
    auto* out = reinterpret_cast<TRGB*>(bgr);
    for (png_uint_32 x = 0; x < job.Width; ++x) {
        const bool set = BitAt(bits, x);
        out[x] = set ? entry1 : entry0;
        if (alpha != nullptr) alpha[x] = job.IndexAlpha[set ? 1 : 0];
    }
}

// Alpha from the pixels of a row that libpng delivered directly.
void AlphaFromRow(const TPngReadJob& job, const uint8_t* row, uint8_t* alpha) {
    for (png_uint_32 x = 0; x < job.Width; ++x) {
        if (job.AlphaByIndex) {
            alpha[x] = job.IndexAlpha[row[x]];
        } else if (job.Format == ie1g) {
            alpha[x] = BitAt(row, x) == (job.TransparentGray != 0) ? 0 : 255;
        } else if (job.Format == ie16g) {
            uint16_t value;
            std::memcpy(&value, row + 2 * x, 2);
            alpha[x] = value == job.TransparentGray ? 0 : 255;
        } else {
            alpha[x] = row[x] == job.TransparentGray ? 0 : 255;
        }
    }
}

void ReadRow(TPngReadJob& job, png_uint_32 y) {
    TIEBitmap& bitmap = *job.Bitmap;
    const bool whole = job.Passes > 1;
    uint8_t* row = bitmap.Row(static_cast<int>(y));
    switch (job.Kind) {
    case TRowKind::FourChannels: {
        uint8_t* buffer = job.Buffer->data() + (whole ? size_t{y} * job.Width * 4 : 0);
        png_read_row(job.Png, buffer, nullptr);
        SplitFourChannels(buffer, row, bitmap.AlphaPlane()->Row(static_cast<int>(y)), job.Width);
        break;
    }
    case TRowKind::PaletteBits: {
        uint8_t* buffer = job.Buffer->data() + (whole ? size_t{y} * ((job.Width + 7) / 8) : 0);
        png_read_row(job.Png, buffer, nullptr);
        uint8_t* alpha = job.AlphaByIndex ? bitmap.AlphaPlane()->Row(static_cast<int>(y)) : nullptr;
        ExpandPaletteBits(job, buffer, row, alpha);
        break;
    }
    case TRowKind::Direct:
        png_read_row(job.Png, row, nullptr);
        if (job.AlphaByIndex || job.AlphaByGray) {
            AlphaFromRow(job, row, bitmap.AlphaPlane()->Row(static_cast<int>(y)));
        }
        break;
    }
}

void ReadRows(TPngReadJob& job) {
    TIOProgressRec& progress = *job.Progress;
    progress.SetUnits(static_cast<int>(job.Height) * job.Passes);
    int counter = 0, reported = -1;
    for (int pass = 0; pass < job.Passes; ++pass) {
        for (png_uint_32 y = 0; y < job.Height; ++y) {
            ReadRow(job, y);
            if (!progress.ReportUnitIfChanged(++counter, reported)) return;
        }
    }
}

// The only frame with a setjmp; its locals are plain values.
[[gnu::noinline]] void RunRead(TPngReadJob* job) {
    if (setjmp(png_jmpbuf(job->Png)) != 0) {
        job->Progress->Abort();
        return;
    }
    ReadHeader(*job);
    ReportText(*job);
    ReportBackground(*job);
    SetTransformations(*job);
    ReportParams(*job);
    if (job->Preview) return;
    if (!SetupBitmap(*job)) return;
    ReadRows(*job);
    if (TIEBitmap* alpha = job->Bitmap->HasAlphaPlane() ? job->Bitmap->AlphaPlane() : nullptr) {
        alpha->Opaque = false;
    }
    if (!job->Progress->Aborted()) png_read_end(job->Png, nullptr);
}

} // namespace

void ReadPngStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, bool preview,
                   TIOProgressRec& progress) {
    TPngErrorContext errors;
    errors.Progress = &progress;
    TPngReadRecord record(stream, errors);
    if (!record.Valid()) {
        progress.Abort();
        return;
    }
    std::vector<uint8_t> buffer;
    TPngReadJob job;
    job.Png = record.Png;
    job.Info = record.Info;
    job.Stream = &stream;
    job.Bitmap = &bitmap;
    job.Params = &params;
    job.Progress = &progress;
    job.Buffer = &buffer;
    job.Preview = preview;
    RunRead(&job);
}

bool IsPngStream(TStream& stream) {
    uint8_t signature[8] = {};
    const int64_t got = stream.Read(signature, 8);
    if (got > 0) stream.Seek(-got, TSeekOrigin::soCurrent);
    return got == 8 && signature[0] == 137 && signature[1] == 'P' && signature[2] == 'N' &&
           signature[3] == 'G';
}

} // namespace vellinor
