// The copyright object with its soft shadow: merged into a 6000 x 4000 photo
// (antialiased, as the main window merges by default; budget 150 ms and at
// most half the picture's bytes of extra peak memory) and painted over a
// 1600 x 1000 back buffer at the fit zoom (budget 10 ms).
//
// Extra peak memory of one merge into a fresh view, two ways: the peak of the
// bytes allocated through operator new and still held (counted here; every
// pixel buffer of the library is allocated so), above what was held before;
// and the rise of the process's resident high-water mark, the mark reset just
// before (Linux: /proc/self/clear_refs; freed memory that the allocator
// reuses does not show there).

#include "BenchPictures.h"
#include "platform/PlatformBitmap.h"
#include "tests/vect/DefaultCopyright.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <string>

using namespace vellinor;

namespace {

std::atomic<int64_t> gHeld{0};
std::atomic<int64_t> gPeak{0};

void* CountedAlloc(size_t size) {
    // The size sits in front of the block (16 bytes keep the alignment).
    auto* p = static_cast<unsigned char*>(std::malloc(size + 16));
    if (p == nullptr) throw std::bad_alloc();
    std::memcpy(p, &size, sizeof size);
    const int64_t held = gHeld += static_cast<int64_t>(size);
    int64_t peak = gPeak.load();
    while (held > peak && !gPeak.compare_exchange_weak(peak, held)) {
    }
    return p + 16;
}

void CountedFree(void* block) {
    if (block == nullptr) return;
    auto* p = static_cast<unsigned char*>(block) - 16;
    size_t size;
    std::memcpy(&size, p, sizeof size);
    gHeld -= static_cast<int64_t>(size);
    std::free(p);
}

} // namespace

void* operator new(size_t size) {
    return CountedAlloc(size);
}
void* operator new[](size_t size) {
    return CountedAlloc(size);
}
void operator delete(void* p) noexcept {
    CountedFree(p);
}
void operator delete[](void* p) noexcept {
    CountedFree(p);
}
void operator delete(void* p, size_t) noexcept {
    CountedFree(p);
}
void operator delete[](void* p, size_t) noexcept {
    CountedFree(p);
}

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int64_t kPictureBytes = int64_t{kWidth} * kHeight * 3;

// The photo, made once (the scaled-up corpus photo, or gradients without it).
const bench::TBenchPicture& Photo() {
    static const bench::TBenchPicture photo =
        bench::MakePicture(kWidth, kHeight, bench::TPictureKind::ScaledPhoto);
    return photo;
}

// The picture is held as a platform bitmap, as the program holds it, or in
// ordinary memory (then the merge draws through a band of rows).
void LoadPhoto(REzoreZuDidu& view, bool inMemory = false) {
    TIEBitmap& source = *Photo().bitmap;
    TIEBitmap& b = view.CurrentBitmap();
    if (inMemory) {
        b.Discard();
        b.Relocate(ieMemory);
    }
    b.Setup(kWidth, kHeight, ie24RGB);
    for (int y = 0; y < kHeight; ++y)
        std::memcpy(b.Row(y), source.Row(y), 3 * static_cast<size_t>(kWidth));
}

int64_t StatusKilobytes(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::stoll(line.substr(std::strlen(key)));
    return -1;
}

bool ResetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    return static_cast<bool>(clear);
}

void BM_MergeDefaultCopyright(benchmark::State& state) {
    const bool antialias = state.range(0) != 0;
    const bool inMemory = state.range(1) != 0;
    Photo();
    // Peak memory of one merge into a fresh view.
    double extraAllocated = -1, extraResident = -1;
    {
        REzoreZuDidu fresh;
        LoadPhoto(fresh, inMemory);
        test::AddDefaultCopyright(fresh, "photo.jpg");
        const int64_t residentBefore = StatusKilobytes("VmRSS:");
        const bool reset = ResetPeak();
        gPeak = gHeld.load();
        const int64_t heldBefore = gHeld.load();
        fresh.MergeShapes(antialias);
        extraAllocated = static_cast<double>(gPeak.load() - heldBefore) / kPictureBytes;
        if (reset) {
            extraResident = static_cast<double>(StatusKilobytes("VmHWM:") - residentBefore) * 1024 /
                            kPictureBytes;
        }
    }
    REzoreZuDidu view;
    LoadPhoto(view, inMemory);
    test::AddDefaultCopyright(view, "photo.jpg");
    for (auto _ : state)
        view.MergeShapes(antialias);
    state.counters["extra_alloc_x_picture"] = extraAllocated;
    state.counters["extra_rss_x_picture"] = extraResident;
    state.SetLabel(Photo().description);
}
// Arguments: antialias, picture in ordinary memory.
BENCHMARK(BM_MergeDefaultCopyright)
    ->Args({1, 0})
    ->Args({0, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);

// The photo at the fit zoom in a 1600 x 1000 view, with the copyright object.
void ShowPhoto(REzoreZuDidu& view) {
    LoadPhoto(view);
    view.SetClientSize(1600, 1000);
    view.FitAfterLoad();
    test::AddDefaultCopyright(view, "photo.jpg");
}

// The screen pass alone (the objects over the painted back buffer), and the
// overlay redraw the view runs when only the objects change.
void BM_ScreenPass(benchmark::State& state) {
    REzoreZuDidu view;
    ShowPhoto(view);
    TPlatformBitmap* backBuffer = view.BackBuffer().AsVclBitmap();
    for (auto _ : state)
        view.RenderShapes(false, -1, view.ObjAntialias(), *backBuffer);
    state.counters["zoom_percent"] = view.Zoom();
}
BENCHMARK(BM_ScreenPass)->Unit(benchmark::kMillisecond);

void BM_RedrawOverImage(benchmark::State& state) {
    REzoreZuDidu view;
    ShowPhoto(view);
    for (auto _ : state)
        view.RedrawOverImage();
}
BENCHMARK(BM_RedrawOverImage)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
