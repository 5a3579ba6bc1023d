// The copyright line "Copyright © 2010, Osterlind" in italic Times New Roman
// drawn onto a 24-bit bitmap at 32 and at 200 pixels of cell height, glyphs
// already cached (targets: 0.3 ms and 3 ms per line), plus its measurement.

#include "platform/Canvas.h"
#include "platform/PlatformBitmap.h"

#include <benchmark/benchmark.h>

using namespace vellinor;

namespace {

const char* const kLine = "Copyright \xC2\xA9 2010, Osterlind";

void SetUp(TCanvas& canvas, int cellHeight) {
    canvas.Font().Name = "Times New Roman";
    canvas.Font().Height = cellHeight;
    canvas.Font().Style = fsItalic;
    canvas.Font().Color = 0x00FFFF;
    canvas.Brush().Style = bsClear;
}

void BM_CopyrightLine(benchmark::State& state) {
    const int cell = static_cast<int>(state.range(0));
    TPlatformBitmap bitmap(cell * 16, cell + 8, 24);
    TCanvas& canvas = bitmap.Canvas();
    SetUp(canvas, cell);
    canvas.TextOut(4, 4, kLine); // renders and caches the glyphs
    for (auto _ : state) {
        canvas.TextOut(4, 4, kLine);
        benchmark::DoNotOptimize(bitmap.ScanLine(cell / 2));
    }
    state.SetLabel(std::to_string(canvas.TextWidth(kLine)) + " px wide");
}
BENCHMARK(BM_CopyrightLine)->Arg(32)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_CopyrightLineWidth(benchmark::State& state) {
    TPlatformBitmap bitmap(8, 8, 24);
    TCanvas& canvas = bitmap.Canvas();
    SetUp(canvas, static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(canvas.TextWidth(kLine));
}
BENCHMARK(BM_CopyrightLineWidth)->Arg(32)->Arg(200)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
