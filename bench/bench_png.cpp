// PNG decode and encode of a 6000 x 4000 picture through the front end,
// beside a minimal libpng program with the same settings (blue-green-red
// rows, compression level 5, no row filter), all on memory buffers. The
// target: the front end within 1.15 x of the minimal program. Prints the
// ratios at the end.

#include "image/TIEBitmap.h"
#include "io/TIEImageIO.h"
#include "platform/Stream.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <map>
#include <png.h>
#include <string>
#include <vector>

using namespace vellinor;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kLevel = 5;

// Smooth shapes with a little noise, like a photograph: deflate neither
// collapses it nor gives up on it.
std::vector<uint8_t> PhotoLikePixels() {
    std::vector<uint8_t> bgr(size_t{kWidth} * kHeight * 3);
    uint32_t seed = 12345;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = static_cast<int>(seed >> 29) - 4;
            uint8_t* p = bgr.data() + (size_t{static_cast<size_t>(y)} * kWidth + x) * 3;
            p[0] = static_cast<uint8_t>(std::clamp((x / 24 + y / 40) % 200 + noise + 20, 0, 255));
            p[1] = static_cast<uint8_t>(std::clamp((x * y / 9000) % 220 + noise + 10, 0, 255));
            p[2] = static_cast<uint8_t>(std::clamp(255 - y * 200 / kHeight + noise, 0, 255));
        }
    return bgr;
}

const std::vector<uint8_t>& Pixels() {
    static const std::vector<uint8_t> pixels = PhotoLikePixels();
    return pixels;
}

// --- The minimal libpng program ------------------------------------------------

struct TMemoryReader {
    const std::vector<uint8_t>* Bytes;
    size_t Position = 0;
};

void ReadMemory(png_structp png, png_bytep out, size_t length) {
    auto* reader = static_cast<TMemoryReader*>(png_get_io_ptr(png));
    if (reader->Position + length > reader->Bytes->size()) png_error(png, "short");
    std::memcpy(out, reader->Bytes->data() + reader->Position, length);
    reader->Position += length;
}

void WriteMemory(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

bool LibpngEncode(const std::vector<uint8_t>& bgr, std::vector<uint8_t>& out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, WriteMemory, nullptr);
    png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, kLevel);
    png_write_info(png, info);
    png_set_bgr(png);
    for (int y = 0; y < kHeight; ++y)
        png_write_row(png, bgr.data() + size_t{static_cast<size_t>(y)} * kWidth * 3);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool LibpngDecode(const std::vector<uint8_t>& file, std::vector<uint8_t>& bgr) {
    TMemoryReader reader{&file};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, ReadMemory);
    png_read_info(png, info);
    png_set_bgr(png);
    png_read_update_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    bgr.resize(rowBytes * height);
    for (png_uint_32 y = 0; y < height; ++y)
        png_read_row(png, bgr.data() + rowBytes * y, nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

const std::vector<uint8_t>& PngFile() {
    static const std::vector<uint8_t> file = [] {
        std::vector<uint8_t> out;
        LibpngEncode(Pixels(), out);
        return out;
    }();
    return file;
}

void CountBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWidth * kHeight * 3);
}

void BM_LibpngDecode(benchmark::State& state) {
    std::vector<uint8_t> bgr;
    for (auto _ : state) {
        if (!LibpngDecode(PngFile(), bgr)) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(bgr.data());
    }
    CountBytes(state);
}

void BM_VellinorDecode(benchmark::State& state) {
    TIEImageIO io;
    for (auto _ : state) {
        io.LoadBuffer(PngFile(), iofPNG);
        if (io.AbortFlag) state.SkipWithError("decode failed");
    }
    CountBytes(state);
}

void BM_LibpngEncode(benchmark::State& state) {
    std::vector<uint8_t> out;
    for (auto _ : state) {
        out.clear();
        if (!LibpngEncode(Pixels(), out)) state.SkipWithError("encode failed");
    }
    CountBytes(state);
}

void BM_VellinorEncode(benchmark::State& state) {
    TIEImageIO io;
    TIEBitmap& bitmap = *io.IEBitmap();
    bitmap.Setup(kWidth, kHeight, ie24RGB);
    for (int y = 0; y < kHeight; ++y)
        std::memcpy(bitmap.Row(y), Pixels().data() + size_t{static_cast<size_t>(y)} * kWidth * 3,
                    size_t{kWidth} * 3);
    io.Params().PngCompression = kLevel;
    io.Params().PngFilter = 0;
    for (auto _ : state) {
        TMemoryStream out;
        io.SaveStreamByFormat(out, iofPNG);
        if (io.AbortFlag) state.SkipWithError("encode failed");
    }
    CountBytes(state);
}

BENCHMARK(BM_LibpngDecode)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_VellinorDecode)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_LibpngEncode)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_VellinorEncode)->Unit(benchmark::kMillisecond)->MinTime(3);

// Collects the real time per iteration of each run and prints the ratios.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            fTimes[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const char* what : {"Decode", "Encode"}) {
            const double ours = fTimes[std::string("BM_Vellinor") + what];
            const double reference = fTimes[std::string("BM_Libpng") + what];
            if (reference <= 0) continue;
            const double ratio = ours / reference;
            std::printf("PNG %s: %.3f x the minimal libpng program (target <= 1.15) %s\n", what,
                        ratio, ratio <= 1.15 ? "ok" : "OVER");
        }
    }

private:
    std::map<std::string, double> fTimes;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
