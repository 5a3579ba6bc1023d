// GIF on a 6000 x 4000 photograph-sized picture:
// - WriteGifStream at 256 colours (quantize + LZW, into a counting stream),
//   against ImageMagick's `convert-im6.q16 in.ppm -colors 256 out.gif` in the
//   same run (target: at most half its time); skipped without ImageMagick;
// - the LZW coder alone on the picture's 24 M palette indexes: encoding
//   (target >= 100 MB/s) and decoding (target >= 200 MB/s), in indexes per
//   second.
// The picture is the corpus photo scaled up when the corpus is there, else a
// synthetic one.

#include "BenchPictures.h"
#include "image/TIEBitmap.h"
#include "io/TIOParamsVals.h"
#include "io/TIOProgressRec.h"
#include "io/gif/GifCodec.h"
#include "io/gif/GifLzw.h"
#include "platform/BufferedStream.h"
#include "platform/Stream.h"
#include "platform/SystemInfo.h"
#include "proc/TIEQuantizer.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace vellinor;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

bench::TBenchPicture& Picture() {
    static bench::TBenchPicture picture = bench::MakePicture(
        kWidth, kHeight,
        bench::HasBenchPhoto() ? bench::TPictureKind::ScaledPhoto : bench::TPictureKind::Synthetic);
    return picture;
}

// The picture's indexes at 256 colours.
const std::vector<uint8_t>& Indexes() {
    static const std::vector<uint8_t> indexes = [] {
        TIEBitmap& b = *Picture().bitmap;
        std::vector<TRGB> palette(256);
        TIEQuantizer quantizer(b, palette, 256);
        std::vector<uint8_t> out(static_cast<size_t>(kWidth) * kHeight);
        for (int y = 0; y < kHeight; ++y)
            quantizer.MapRow(reinterpret_cast<const TRGB*>(b.Row(y)),
                             out.data() + static_cast<size_t>(y) * kWidth, kWidth);
        return out;
    }();
    return indexes;
}

const std::vector<uint8_t>& Encoded() {
    static const std::vector<uint8_t> encoded = [] {
        TMemoryStream stream;
        GifLzwCompress(stream, kHeight, kWidth, 8, Indexes(), false);
        return stream.Data();
    }();
    return encoded;
}

double gWriteSeconds = 0;
int64_t gWrittenBytes = 0;
double gEncodeRate = 0;
double gDecodeRate = 0;

void BM_WriteGif256(benchmark::State& state) {
    TIEBitmap& picture = *Picture().bitmap;
    TIOParamsVals params;
    params.BitsPerSample = 8;
    for (auto _ : state) {
        TCountingStream stream;
        bool aborted = false;
        TIOProgressRec progress;
        progress.AbortFlagRef = &aborted;
        WriteGifStream(stream, picture, params, progress);
        if (aborted) state.SkipWithError("the writer failed");
        gWrittenBytes = stream.Size();
    }
    state.SetLabel(Picture().description);
}

void BM_LzwEncode(benchmark::State& state) {
    const auto& indexes = Indexes();
    for (auto _ : state) {
        TCountingStream stream;
        GifLzwCompress(stream, kHeight, kWidth, 8, indexes, false);
        benchmark::DoNotOptimize(stream.Size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(indexes.size()));
}

void BM_LzwDecode(benchmark::State& state) {
    const auto& encoded = Encoded();
    std::vector<uint8_t> out(static_cast<size_t>(kWidth) * kHeight);
    for (auto _ : state) {
        TSpanStream stream{std::span<const uint8_t>(encoded)};
        GifLzwDecompress(stream, kHeight, kWidth, out, false);
        benchmark::ClobberMemory();
    }
    if (out != Indexes()) state.SkipWithError("decoding does not give the indexes back");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(out.size()));
}

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration) continue;
            const std::string name = run.benchmark_name();
            const auto rate = run.counters.find("bytes_per_second");
            const double megabytes = rate == run.counters.end() ? 0 : rate->second.value / 1e6;
            if (name.starts_with("BM_WriteGif256"))
                gWriteSeconds = run.GetAdjustedRealTime() / 1000.0;
            if (name.starts_with("BM_LzwEncode")) gEncodeRate = megabytes;
            if (name.starts_with("BM_LzwDecode")) gDecodeRate = megabytes;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

double Run(const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const auto end = std::chrono::steady_clock::now();
    return status == 0 ? std::chrono::duration<double>(end - start).count() : -1;
}

// ImageMagick reads a PPM (fast to parse) and writes the GIF file; its time
// includes both, on files in the page cache.
void CompareWithImageMagick() {
    const char* im = "convert-im6.q16";
    if (std::system((std::string("command -v ") + im + " >/dev/null 2>&1").c_str()) != 0) {
        std::printf("ImageMagick %s not installed: comparison skipped\n", im);
        return;
    }
    const std::filesystem::path dir = std::filesystem::path(TemporaryFolder()) / "vellinor-gif";
    std::filesystem::create_directories(dir);
    const std::string in = (dir / "x.ppm").string(), out = (dir / "x.gif").string();
    if (!bench::WritePpm(*Picture().bitmap, in)) return;
    const double all = Run(std::string(im) + " " + in + " -colors 256 " + out);
    const auto imBytes = std::filesystem::exists(out) ? std::filesystem::file_size(out) : 0;
    const double single =
        Run("MAGICK_THREAD_LIMIT=1 " + std::string(im) + " " + in + " -colors 256 " + out);
    std::filesystem::remove_all(dir);
    std::printf("\nGIF at 256 colours, %d x %d, %s\n", kWidth, kHeight,
                Picture().description.c_str());
    std::printf("  vellinor WriteGifStream      %7.3f s  %10lld bytes\n", gWriteSeconds,
                static_cast<long long>(gWrittenBytes));
    std::printf("  %s -colors 256  %7.3f s  %10llu bytes (all threads)\n", im, all,
                static_cast<unsigned long long>(imBytes));
    std::printf("  %s -colors 256  %7.3f s  (1 thread)\n", im, single);
    if (all > 0) {
        std::printf("  ratio vellinor / ImageMagick: %.3f (target <= 0.5) %s\n",
                    gWriteSeconds / all, gWriteSeconds / all <= 0.5 ? "met" : "NOT MET");
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::RegisterBenchmark("BM_WriteGif256", BM_WriteGif256)
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_LzwEncode", BM_LzwEncode)
        ->Iterations(5)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_LzwDecode", BM_LzwDecode)
        ->Iterations(5)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nLZW on %zu indexes: encode %.0f MB/s (target >= 100) %s, decode %.0f MB/s "
                "(target >= 200) %s\n",
                Indexes().size(), gEncodeRate, gEncodeRate >= 100 ? "met" : "NOT MET", gDecodeRate,
                gDecodeRate >= 200 ? "met" : "NOT MET");
    CompareWithImageMagick();
    return 0;
}
