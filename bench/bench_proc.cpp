// The stamping steps on a 6000 x 4000 photograph, as the main window runs
// them on its view: the frame step (canvas enlarged with its undo copy, then
// the rings; target 250 ms) and direct-drawing mode without the frame (text
// layer, transparency with its undo copy, merge; target 400 ms). The parts
// of the frame step are timed alone as well.

#include "BenchPictures.h"
#include "proc/TIEUndoList.h"
#include "proc/VEduzoDeRivi.h"
#include "view/DOrevaDeVeri.h"
#include "view/Stamping.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

using namespace vellinor;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

TIEBitmap& Photo() {
    static bench::TBenchPicture picture =
        bench::MakePicture(kWidth, kHeight, bench::TPictureKind::ScaledPhoto);
    return *picture.bitmap;
}

// A view holding the photo as a loaded picture (in a platform bitmap).
std::unique_ptr<DOrevaDeVeri> LoadedView() {
    auto view = std::make_unique<DOrevaDeVeri>();
    view->CurrentBitmap().CopyFrom(Photo());
    return view;
}

// The file the picture came from (direct mode wants one to exist).
const std::string& SourceFile() {
    static const std::string path = [] {
        const std::string p = (std::filesystem::temp_directory_path() /
                               ("vellinor-bench-" + std::to_string(::getpid()) + ".jpg"))
                                  .string();
        std::ofstream(p) << "x";
        std::atexit([] { std::remove(SourceFile().c_str()); });
        return p;
    }();
    return path;
}

// Times step on a freshly loaded view per iteration; loading and freeing
// the view are not timed.
template <typename Step>
void TimeOnLoadedView(benchmark::State& state, Step&& step) {
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<DOrevaDeVeri> view = LoadedView();
        state.ResumeTiming();
        step(*view);
        state.PauseTiming();
        view.reset();
        state.ResumeTiming();
    }
}

void BM_FrameStep(benchmark::State& state) {
    TimeOnLoadedView(state, [](DOrevaDeVeri& view) { DrawFrame(view, kWidth, kHeight); });
    state.counters["target_ms"] = 250;
}
BENCHMARK(BM_FrameStep)->Unit(benchmark::kMillisecond)->Iterations(8);

void BM_StampDirectWithoutFrame(benchmark::State& state) {
    TStampSettings settings;
    settings.FilePath = SourceFile();
    settings.CopyrightText = "Copyright \u00A9 2010, Osterlind";
    TStampFeedback feedback;
    TimeOnLoadedView(state, [&](DOrevaDeVeri& view) { StampDirect(view, settings, feedback); });
    state.counters["target_ms"] = 400;
}
BENCHMARK(BM_StampDirectWithoutFrame)->Unit(benchmark::kMillisecond)->Iterations(8);

// Parts of the frame step.
void BM_UndoCopy(benchmark::State& state) {
    std::unique_ptr<DOrevaDeVeri> view = LoadedView();
    for (auto _ : state) {
        std::unique_ptr<TIEBitmap> copy = TIEUndoList::SaveImage(view->CurrentBitmap());
        benchmark::DoNotOptimize(copy.get());
        state.PauseTiming();
        copy.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_UndoCopy)->Unit(benchmark::kMillisecond)->Iterations(8);

void BM_CanvasResizeWithoutUndo(benchmark::State& state) {
    TimeOnLoadedView(state, [](DOrevaDeVeri& view) {
        view.AttachedProc()->AutoUndo = false;
        view.AttachedProc()->ImageResize(kWidth + 160, kHeight + 160, 1, 1, 255);
    });
}
BENCHMARK(BM_CanvasResizeWithoutUndo)->Unit(benchmark::kMillisecond)->Iterations(8);

} // namespace

BENCHMARK_MAIN();
