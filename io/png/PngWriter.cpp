// WritePngStream: the output plan (PngOutputPlan.h) decides what is written;
// this file hands it to libpng row by row.

#include "image/TIEBitmap.h"
#include "image/TIEMask.h"
#include "io/TIOParamsVals.h"
#include "io/TIOProgressRec.h"
#include "io/png/PngCodec.h"
#include "io/png/PngLibraryGlue.h"
#include "io/png/PngOutputPlan.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <vector>

namespace vellinor {

namespace {

constexpr size_t kCompressionBufferSize = 65536;

// The text chunks handed to libpng; libpng refuses keywords outside 1..79
// characters, which are therefore left out.
struct TPngTexts {
    std::vector<png_text> Chunks;
    TPngTexts(const std::vector<std::string>& keys, const std::vector<std::string>& values) {
        const size_t count = std::min(keys.size(), values.size());
        for (size_t i = 0; i < count; ++i) {
            if (keys[i].empty() || keys[i].size() > 79) continue;
            png_text text{};
            text.compression = PNG_TEXT_COMPRESSION_NONE;
            text.key = const_cast<char*>(keys[i].c_str());
            text.text = const_cast<char*>(values[i].c_str());
            text.text_length = values[i].size();
            Chunks.push_back(text);
        }
    }
};

// Plain values and pointers: the setjmp frame (RunWrite) reaches everything
// with a destructor through these pointers into WritePngStream's frame.
struct TPngWriteJob {
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    TPngOutputPlan* Plan = nullptr;
    TIOParamsVals* Params = nullptr;
    TIOProgressRec* Progress = nullptr;
    TPngTexts* Texts = nullptr;
    std::vector<png_color>* Palette = nullptr;
    std::vector<uint8_t>* RowBuffer = nullptr;
};

int FilterFlag(uint8_t filter) {
    switch (filter) {
    case 1:
        return PNG_FILTER_SUB;
    case 2:
        return PNG_FILTER_PAETH;
    default:
        return PNG_FILTER_NONE;
    }
}

png_uint_32 PixelsPerMetre(int dpi) {
    return static_cast<png_uint_32>(std::max(0.0, std::nearbyint(dpi * 100.0 / 2.54)));
}

void WriteHeader(TPngWriteJob& job) {
    png_structp png = job.Png;
    png_infop info = job.Info;
    const TPngOutputPlan& plan = *job.Plan;
    const TIOParamsVals& params = *job.Params;
    TIEBitmap& source = *plan.Source;
    png_set_IHDR(png, info, static_cast<png_uint_32>(source.Width()),
                 static_cast<png_uint_32>(source.Height()), plan.Depth, plan.ColorType,
                 params.PngInterlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_pHYs(png, info, PixelsPerMetre(params.ResolutionX()),
                 PixelsPerMetre(params.ResolutionY()), PNG_RESOLUTION_METER);
    if (plan.ColorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_PLTE(png, info, job.Palette->data(), static_cast<int>(job.Palette->size()));
        if (plan.TransparentEntry0) {
            png_byte transparent = 0;
            png_set_tRNS(png, info, &transparent, 1, nullptr);
        }
    }
    png_color_16 background{};
    bool hasBackground = true;
    if (plan.BackgroundIndex) {
        background.index = static_cast<png_byte>(*plan.BackgroundIndex);
    } else if (plan.BackgroundGray) {
        background.gray = static_cast<png_uint_16>(*plan.BackgroundGray);
    } else if (plan.BackgroundColor) {
        background.red = plan.BackgroundColor->r;
        background.green = plan.BackgroundColor->g;
        background.blue = plan.BackgroundColor->b;
    } else {
        hasBackground = false;
    }
    if (hasBackground) png_set_bKGD(png, info, &background);
    if (!job.Texts->Chunks.empty()) {
        png_set_text(png, info, job.Texts->Chunks.data(),
                     static_cast<int>(job.Texts->Chunks.size()));
    }
    png_set_filter(png, PNG_FILTER_TYPE_BASE, FilterFlag(params.PngFilter));
    png_set_compression_level(png, std::clamp(params.PngCompression, 0, 9));
    png_set_compression_buffer_size(png, kCompressionBufferSize);
    png_write_info(png, info);
    if (plan.ColorType == PNG_COLOR_TYPE_RGB || plan.ColorType == PNG_COLOR_TYPE_RGB_ALPHA) {
        png_set_bgr(png);
    }
    if (plan.Depth == 16) png_set_swap(png);
}

// The bytes of row y as libpng takes them.
const uint8_t* MakeRow(TPngWriteJob& job, int y) {
    const TPngOutputPlan& plan = *job.Plan;
    TIEBitmap& source = *plan.Source;
    uint8_t* row = source.Row(y);
    const int width = source.Width();
    uint8_t* out = job.RowBuffer->data();
    switch (plan.Rows) {
    case TPngRowSource::Rgb:
    case TPngRowSource::OwnIndices:
    case TPngRowSource::GrayDirect:
        return row;
    case TPngRowSource::RgbAlpha: {
        const uint8_t* alpha = plan.Mask->ScanLine(y);
        for (int x = 0; x < width; ++x, row += 3, out += 4) {
            out[0] = row[0];
            out[1] = row[1];
            out[2] = row[2];
            out[3] = alpha[x];
        }
        return job.RowBuffer->data();
    }
    case TPngRowSource::QuantizedIndices:
    case TPngRowSource::GrayQuantized:
        plan.Quantizer->MapRow(reinterpret_cast<const TRGB*>(row), out, width);
        return out;
    case TPngRowSource::MaskedIndices: {
        const uint8_t* alpha = plan.Mask->ScanLine(y);
        plan.Quantizer->MapRow(reinterpret_cast<const TRGB*>(row), out, width);
        for (int x = 0; x < width; ++x)
            out[x] = alpha[x] == 255 ? static_cast<uint8_t>(std::min(out[x] + 1, 255)) : 0;
        return out;
    }
    }
    return row;
}

void WriteRows(TPngWriteJob& job) {
    TIOProgressRec& progress = *job.Progress;
    const int height = job.Plan->Source->Height();
    const int passes = job.Params->PngInterlaced ? png_set_interlace_handling(job.Png) : 1;
    progress.SetUnits(passes * height);
    int counter = 0;
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < height; ++y) {
            png_write_row(job.Png, MakeRow(job, y));
            progress.Report(progress.PercentOf(++counter));
            if (progress.Aborted()) return;
        }
    }
}

// The only frame with a setjmp; false when libpng raised an error.
[[gnu::noinline]] bool RunWrite(TPngWriteJob* job) {
    if (setjmp(png_jmpbuf(job->Png)) != 0) return false;
    WriteHeader(*job);
    WriteRows(*job);
    if (!job->Progress->Aborted()) png_write_end(job->Png, job->Info);
    return true;
}

[[noreturn]] void RaiseCreateError() {
    throw EInvalidGraphic("Error on creating PNG");
}

} // namespace

void WritePngStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params,
                    const TIEMask* alphaMask, TIOProgressRec& progress) {
    if (bitmap.IsVoid()) {
        progress.Abort();
        return;
    }
    TPngOutputPlan plan;
    if (!PlanPngOutput(bitmap, params, alphaMask, plan)) {
        progress.Abort();
        return;
    }
    std::vector<png_color> palette;
    for (const TRGB& c : plan.Palette)
        palette.push_back(png_color{c.r, c.g, c.b});
    std::vector<uint8_t> rowBuffer(static_cast<size_t>(plan.Source->Width()) * 4);
    TPngTexts texts(params.PngTextKeys, params.PngTextValues);

    TPngErrorContext errors;
    errors.Progress = &progress;
    TPngWriteRecord record(stream, errors);
    if (!record.Valid()) RaiseCreateError();
    TPngWriteJob job;
    job.Png = record.Png;
    job.Info = record.Info;
    job.Plan = &plan;
    job.Params = &params;
    job.Progress = &progress;
    job.Texts = &texts;
    job.Palette = &palette;
    job.RowBuffer = &rowBuffer;
    if (!RunWrite(&job)) RaiseCreateError();
}

} // namespace vellinor
