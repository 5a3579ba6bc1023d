// Palette building plus the mapping of every pixel (ConvertTo(ie8p)) on
// 6000 x 4000 photograph-sized pictures: NeuQuant with 256 colours (target
// <= 1.5 s) and the box splitter with 16 (target <= 1.0 s), single-threaded.
// Beside them the time and PSNR of ImageMagick's `convert-im6.q16 -colors 256`
// and of `pngquant 256` on the same pictures, when those programs are
// installed. Pictures: the corpus photo tiled and scaled up (when the corpus
// is there) and a synthetic one.

#include "BenchPictures.h"
#include "image/TIEBitmap.h"
#include "platform/SystemInfo.h"
#include "proc/TIEQuantizer.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using namespace vellinor;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
using bench::TPictureKind;

bench::TBenchPicture& Picture(TPictureKind kind) {
    static std::map<TPictureKind, bench::TBenchPicture> pictures;
    auto it = pictures.find(kind);
    if (it == pictures.end()) {
        it = pictures.emplace(kind, bench::MakePicture(kWidth, kHeight, kind)).first;
    }
    return it->second;
}

std::vector<TPictureKind> Kinds() {
    if (!bench::HasBenchPhoto()) return {TPictureKind::Synthetic};
    return {TPictureKind::TiledPhoto, TPictureKind::ScaledPhoto, TPictureKind::Synthetic};
}

struct Result {
    double seconds = 0;
    double psnr = 0;
    std::string note;
};
// picture description -> quantizer -> result
std::map<std::string, std::map<std::string, Result>> gResults;

std::string QuantizerName(int colors) {
    return colors >= 128 ? "vellinor NeuQuant 256" : "vellinor box splitter 16";
}

void BM_ConvertToPalette(benchmark::State& state) {
    bench::TBenchPicture& picture = Picture(static_cast<TPictureKind>(state.range(0)));
    const int colors = static_cast<int>(state.range(1));
    TIEBitmap work;
    for (auto _ : state) {
        state.PauseTiming();
        work.CopyFrom(*picture.bitmap);
        work.PaletteUsed = colors;
        state.ResumeTiming();
        work.ConvertTo(ie8p);
        benchmark::ClobberMemory();
    }
    state.SetLabel(picture.description + " / " + QuantizerName(colors));
    Result& r = gResults[picture.description][QuantizerName(colors)];
    r.psnr = bench::Psnr(*picture.bitmap, [&](int x, int y) { return work.ReadAsRGB(x, y); });
    r.note = colors >= 128 ? "target <= 1.5 s" : "target <= 1.0 s";
}

class TimeReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration) continue;
            const size_t split = run.report_label.rfind(" / ");
            if (split == std::string::npos) continue;
            // Reported in milliseconds.
            gResults[run.report_label.substr(0, split)][run.report_label.substr(split + 3)]
                .seconds = run.GetAdjustedRealTime() / 1000.0;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

bool Installed(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

double Run(const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const auto end = std::chrono::steady_clock::now();
    if (status != 0) return -1;
    return std::chrono::duration<double>(end - start).count();
}

double PsnrOfPpm(TIEBitmap& original, const std::string& path) {
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;
    if (!bench::ReadPpm(path, w, h, rgb) || w != kWidth || h != kHeight) return -1;
    return bench::Psnr(original, [&](int x, int y) {
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
        return MakeRGB(p[0], p[1], p[2]);
    });
}

// The other tools read and write files; their times include that, on files
// in the page cache.
void CompareWithOtherTools(bench::TBenchPicture& picture) {
    auto& results = gResults[picture.description];
    const char* im = "convert-im6.q16";
    if (!Installed(im)) {
        results["convert-im6.q16 -colors 256"].note = "not installed: skipped";
        results["pngquant 256"].note = "not installed (needs convert-im6.q16 too): skipped";
        return;
    }
    const std::filesystem::path dir =
        std::filesystem::path(TemporaryFolder()) / "vellinor-quantize";
    std::filesystem::create_directories(dir);
    const std::string in = (dir / "in.ppm").string();
    if (!bench::WritePpm(*picture.bitmap, in)) return;
    {
        const std::string out = (dir / "im.ppm").string();
        // One thread, like ours.
        const double seconds =
            Run("MAGICK_THREAD_LIMIT=1 " + std::string(im) + " " + in + " -colors 256 " + out);
        results["convert-im6.q16 -colors 256"] = {seconds, PsnrOfPpm(*picture.bitmap, out),
                                                  "1 thread; reads and writes PPM; dithers"};
    }
    if (Installed("pngquant")) {
        const std::string png = (dir / "in.png").string();
        const std::string out = (dir / "pq.png").string();
        const std::string back = (dir / "pq.ppm").string();
        Run(std::string(im) + " " + in + " -define png:compression-level=1 " + png);
        const double seconds = Run("pngquant --force --output " + out + " 256 " + png);
        Run(std::string(im) + " " + out + " " + back);
        results["pngquant 256"] = {seconds, PsnrOfPpm(*picture.bitmap, back),
                                   "includes PNG decode and encode; dithers"};
    } else {
        results["pngquant 256"].note = "not installed: skipped";
    }
    std::filesystem::remove_all(dir);
}

} // namespace

int main(int argc, char** argv) {
    for (TPictureKind kind : Kinds()) {
        for (int colors : {256, 16}) {
            benchmark::RegisterBenchmark("BM_ConvertToPalette", BM_ConvertToPalette)
                ->Args({static_cast<int>(kind), colors})
                ->Iterations(3)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    }
    benchmark::Initialize(&argc, argv);
    TimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (TPictureKind kind : Kinds())
        CompareWithOtherTools(Picture(kind));
    for (const auto& [description, results] : gResults) {
        std::printf("\n%d x %d, %s\n", kWidth, kHeight, description.c_str());
        std::printf("  %-30s %9s %9s  %s\n", "quantizer", "seconds", "PSNR dB", "note");
        for (const auto& [name, r] : results) {
            std::printf("  %-30s %9.3f %9.2f  %s\n", name.c_str(), r.seconds, r.psnr,
                        r.note.c_str());
        }
    }
    return 0;
}
