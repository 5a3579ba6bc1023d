// CopyFrom and a full Row walk of a 6000 x 4000 ie24RGB bitmap in each storage
// kind, beside memcpy of the same bytes. Prints the bandwidth ratios at the end.

#include "RateReporter.h"
#include "image/TIEBitmap.h"
#include "platform/SystemInfo.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace vellinor;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
const int64_t kBytes = TIEBitmap::ComputeRowBytes(kWidth, ie24RGB, 32) * kHeight;

enum Kind { kMemory, kFragments, kTempFileMapped, kTempFileRowBuffers, kPlatform };
const char* const kKindNames[] = {"Memory", "Fragments", "TempFileMapped", "TempFileRowBuffers",
                                  "PlatformBitmap"};

struct KindScope {
    explicit KindScope(Kind kind) {
        if (kind == kFragments) SetLargestBlockOverride(kBytes / 2);
        TIEFileBuffer::SetMappingAllowed(kind != kTempFileRowBuffers);
    }
    ~KindScope() {
        SetLargestBlockOverride(std::nullopt);
        TIEFileBuffer::SetMappingAllowed(true);
    }
};

std::unique_ptr<TIEBitmap> NewBitmap(Kind kind) {
    auto b = std::make_unique<TIEBitmap>();
    if (kind == kTempFileMapped || kind == kTempFileRowBuffers) b->MinFileSize = 0;
    if (kind == kMemory || kind == kFragments) b->Relocate(ieMemory);
    if (kind == kPlatform) b->Relocate(ieTBitmap);
    return b;
}

std::unique_ptr<TIEBitmap> Filled(Kind kind) {
    auto b = NewBitmap(kind);
    b->Setup(kWidth, kHeight, ie24RGB);
    for (int y = 0; y < kHeight; ++y)
        std::memset(b->Row(y), y & 0xFF, b->RowBytes());
    return b;
}

void BM_Memcpy(benchmark::State& state) {
    std::vector<uint8_t> a(static_cast<size_t>(kBytes), 1), b(static_cast<size_t>(kBytes), 2);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CopyFrom(benchmark::State& state) {
    const auto kind = static_cast<Kind>(state.range(0));
    KindScope scope(kind);
    auto source = Filled(kind);
    auto dest = NewBitmap(kind);
    dest->CopyFrom(*source); // the first copy allocates; repeated copies reuse
    for (auto _ : state) {
        dest->CopyFrom(*source);
        benchmark::ClobberMemory();
    }
    state.SetLabel(kKindNames[kind]);
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(BM_CopyFrom)
    ->DenseRange(kMemory, kPlatform)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_RowWalk(benchmark::State& state) {
    const auto kind = static_cast<Kind>(state.range(0));
    KindScope scope(kind);
    auto b = Filled(kind);
    std::vector<uint8_t> line(static_cast<size_t>(b->RowBytes()));
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y)
            std::memcpy(line.data(), b->Row(y), line.size());
        benchmark::DoNotOptimize(line.data());
    }
    state.SetLabel(kKindNames[kind]);
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(BM_RowWalk)->DenseRange(kMemory, kPlatform)->Unit(benchmark::kMillisecond)->UseRealTime();

void PrintRatios(const vellinor::bench::TRateReporter& reporter) {
    const auto base = reporter.Rates().find("BM_Memcpy/real_time");
    if (base == reporter.Rates().end()) return;
    std::printf("\nBandwidth against memcpy of the same %lld bytes:\n",
                static_cast<long long>(kBytes));
    for (const auto& [name, rate] : reporter.Rates()) {
        std::printf("  %-48s %.2fx\n", name.c_str(), rate / base->second);
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    vellinor::bench::TRateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter);
    return 0;
}
