// Repainting the view's back buffer (1600 x 1000) from a 6000 x 4000 photo:
// a full refresh at the fit zoom (filtered reduction), at 100 % and 200 %
// (sampled), and the overlay-only redraw the vector layer uses while dragging.

#include "view/DOrevaDeVeri.h"

#include <benchmark/benchmark.h>

using namespace vellinor;

namespace {

DOrevaDeVeri& PhotoView() {
    static DOrevaDeVeri* view = [] {
        auto* v = new DOrevaDeVeri;
        TIEBitmap& b = v->CurrentBitmap();
        b.Relocate(ieMemory);
        b.Setup(6000, 4000, ie24RGB);
        for (int y = 0; y < 4000; ++y) {
            uint8_t* row = b.Row(y);
            for (int x = 0; x < 6000 * 3; ++x)
                row[x] = static_cast<uint8_t>(x * 7 + y * 3);
        }
        v->BackgroundStyle = iebsChessboard;
        v->SetChessboard(6, bsSolid);
        v->SetClientSize(1600, 1000);
        return v;
    }();
    return *view;
}

void BM_RefreshAtFitZoom(benchmark::State& state) {
    DOrevaDeVeri& view = PhotoView();
    view.SetZoom(view.GetFitZoom());
    for (auto _ : state)
        view.Update();
}
BENCHMARK(BM_RefreshAtFitZoom)->Unit(benchmark::kMillisecond);

void BM_RefreshAtZoom(benchmark::State& state) {
    DOrevaDeVeri& view = PhotoView();
    view.SetZoom(static_cast<double>(state.range(0)));
    for (auto _ : state)
        view.Update();
}
BENCHMARK(BM_RefreshAtZoom)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_RedrawOverImage(benchmark::State& state) {
    DOrevaDeVeri& view = PhotoView();
    view.SetZoom(view.GetFitZoom());
    for (auto _ : state)
        view.RedrawOverImage();
}
BENCHMARK(BM_RedrawOverImage)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
