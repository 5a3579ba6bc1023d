// ConvertTo on a 6000 x 4000 photograph-sized picture, beside memcpy of the
// same source bytes. The targets: ie8g and ie24RGB <-> ie32RGB at no less
// than half the memcpy bandwidth. Prints the ratios at the end.

#include "BenchPictures.h"
#include "image/TIEBitmap.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using namespace vellinor;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

struct Case {
    TIEPixelFormat from;
    TIEPixelFormat to;
    bool target; // one of the conversions with a speed target
};
const Case kCases[] = {
    {ie24RGB, ie8g, true},    {ie24RGB, ie32RGB, true},  {ie32RGB, ie24RGB, true},
    {ie24RGB, ie16g, false},  {ie8g, ie24RGB, false},    {ie24RGB, ie1g, false},
    {ie24RGB, ieCMYK, false}, {ie24RGB, ieRGB48, false},
};

TIEBitmap& Master(TIEPixelFormat format) {
    static std::map<TIEPixelFormat, std::unique_ptr<TIEBitmap>> masters;
    auto& slot = masters[format];
    if (!slot) {
        slot = bench::MakePicture(kWidth, kHeight, bench::TPictureKind::ScaledPhoto).bitmap;
        slot->ConvertTo(format);
    }
    return *slot;
}

int64_t BytesOf(TIEPixelFormat format) {
    return TIEBitmap::ComputeRowBytes(kWidth, format, 32) * kHeight;
}

void BM_Memcpy(benchmark::State& state) {
    const auto bytes = static_cast<size_t>(BytesOf(static_cast<TIEPixelFormat>(state.range(0))));
    std::vector<uint8_t> a(bytes, 1), b(bytes, 2);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::to_string(bytes) + " bytes");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_Memcpy)
    ->Arg(ie24RGB)
    ->Arg(ie32RGB)
    ->Arg(ie8g)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Each round converts a fresh copy in place; allocating the new pixels is
// part of ConvertTo and is timed with it.
void BM_ConvertTo(benchmark::State& state) {
    const Case& c = kCases[state.range(0)];
    TIEBitmap& master = Master(c.from);
    TIEBitmap work;
    for (auto _ : state) {
        state.PauseTiming();
        work.CopyFrom(master);
        state.ResumeTiming();
        work.ConvertTo(c.to);
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::string(PixelFormatName(c.from)) + " -> " + PixelFormatName(c.to));
    state.SetBytesProcessed(state.iterations() * BytesOf(c.from));
}
BENCHMARK(BM_ConvertTo)
    ->DenseRange(0, std::size(kCases) - 1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const auto it = run.counters.find("bytes_per_second");
            if (it == run.counters.end() || run.run_type != Run::RT_Iteration) continue;
            rates_.push_back({run.benchmark_name(), run.report_label, it->second.value});
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatios() const {
        std::map<int64_t, double> memcpyRate;
        for (const auto& r : rates_) {
            if (r.name.rfind("BM_Memcpy", 0) == 0) memcpyRate[std::atoll(r.label.c_str())] = r.rate;
        }
        std::printf("\nConvertTo against memcpy of the same source bytes (target >= 0.50x):\n");
        for (const auto& r : rates_) {
            if (r.name.rfind("BM_ConvertTo", 0) != 0) continue;
            const int index = std::atoi(r.name.c_str() + std::strlen("BM_ConvertTo/"));
            const Case& c = kCases[index];
            const auto base = memcpyRate.find(BytesOf(c.from));
            if (base == memcpyRate.end()) continue;
            std::printf(
                "  %-22s %.2fx%s\n", r.label.c_str(), r.rate / base->second,
                c.target ? (r.rate / base->second >= 0.5 ? "  (target met)" : "  (TARGET MISSED)")
                         : "");
        }
    }

private:
    struct Rate {
        std::string name, label;
        double rate;
    };
    std::vector<Rate> rates_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::printf("picture: %d x %d, %s\n", kWidth, kHeight,
                bench::MakePicture(8, 8, bench::TPictureKind::ScaledPhoto).description.c_str());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    return 0;
}
