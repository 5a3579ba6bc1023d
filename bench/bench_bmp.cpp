// Reading and writing a 6000 x 4000 24-bit BMP in the page cache through the
// front end, beside plain read()/write() of the same bytes into and out of a
// fresh buffer. Prints the speed ratios at the end (target: at least 0.5).

#include "image/TIEBitmap.h"
#include "io/TIEImageIO.h"
#include "platform/Stream.h"
#include "platform/SystemInfo.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

using namespace vellinor;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

std::string TempName(const char* leaf) {
    return TemporaryFolder() + "vellinor_bench_" + std::to_string(::getpid()) + "_" + leaf;
}

// The picture and its file, made once.
struct TFixture {
    std::string File = TempName("read.bmp");
    std::string Target = TempName("write.bmp");
    std::unique_ptr<TIEBitmap> Picture = std::make_unique<TIEBitmap>(kWidth, kHeight, ie24RGB);
    int64_t FileBytes = 0;

    TFixture() {
        for (int y = 0; y < kHeight; ++y) {
            uint8_t* row = Picture->Row(y);
            for (int i = 0; i < Picture->RowBytes(); ++i)
                row[i] = static_cast<uint8_t>(i * 7 + y);
        }
        TIEImageIO io;
        io.IEBitmap()->CopyFrom(*Picture);
        io.SaveFile(File);
        FileBytes = TFileStream(File, TFileMode::fmOpenRead).Size();
    }
    ~TFixture() {
        std::remove(File.c_str());
        std::remove(Target.c_str());
    }
};

TFixture& Fixture() {
    static TFixture fixture;
    return fixture;
}

// Plain reads of the whole file. fresh = 1: into a newly allocated buffer
// (page faults included, as a load must have them); 0: into one buffer
// touched beforehand (the copy out of the page cache alone).
void BM_PlainRead(benchmark::State& state) {
    TFixture& f = Fixture();
    const bool fresh = state.range(0) != 0;
    std::unique_ptr<uint8_t[]> warm(new uint8_t[static_cast<size_t>(f.FileBytes)]);
    std::memset(warm.get(), 0, static_cast<size_t>(f.FileBytes));
    for (auto _ : state) {
        std::unique_ptr<uint8_t[]> buffer;
        if (fresh) buffer.reset(new uint8_t[static_cast<size_t>(f.FileBytes)]);
        uint8_t* into = fresh ? buffer.get() : warm.get();
        const int fd = ::open(f.File.c_str(), O_RDONLY);
        int64_t done = 0;
        while (done < f.FileBytes) {
            const ssize_t n = ::read(fd, into + done, static_cast<size_t>(f.FileBytes - done));
            if (n <= 0) break;
            done += n;
        }
        ::close(fd);
        benchmark::DoNotOptimize(into);
    }
    state.SetBytesProcessed(state.iterations() * f.FileBytes);
}
BENCHMARK(BM_PlainRead)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadFile(benchmark::State& state) {
    TFixture& f = Fixture();
    for (auto _ : state) {
        TIEImageIO io;
        io.LoadFile(f.File);
        if (io.AbortFlag) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(io.IEBitmap()->Row(0));
    }
    state.SetBytesProcessed(state.iterations() * f.FileBytes);
}
BENCHMARK(BM_LoadFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainWrite(benchmark::State& state) {
    TFixture& f = Fixture();
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[static_cast<size_t>(f.FileBytes)]);
    std::memset(buffer.get(), 1, static_cast<size_t>(f.FileBytes));
    for (auto _ : state) {
        const int fd = ::open(f.Target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int64_t done = 0;
        while (done < f.FileBytes) {
            const ssize_t n =
                ::write(fd, buffer.get() + done, static_cast<size_t>(f.FileBytes - done));
            if (n <= 0) break;
            done += n;
        }
        ::close(fd);
    }
    state.SetBytesProcessed(state.iterations() * f.FileBytes);
}
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveFile(benchmark::State& state) {
    TFixture& f = Fixture();
    TIEImageIO io;
    io.IEBitmap()->CopyFrom(*f.Picture);
    for (auto _ : state) {
        io.SaveFile(f.Target);
        if (io.AbortFlag) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations() * f.FileBytes);
}
BENCHMARK(BM_SaveFile)->Unit(benchmark::kMillisecond)->UseRealTime();

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const auto it = run.counters.find("bytes_per_second");
            if (it != run.counters.end() && run.run_type == Run::RT_Iteration) {
                rates_[run.benchmark_name()] = it->second.value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatios() const {
        Print("BM_LoadFile/real_time", "BM_PlainRead/1/real_time", "read (fresh buffer)");
        Print("BM_LoadFile/real_time", "BM_PlainRead/0/real_time", "read (warm buffer)");
        Print("BM_SaveFile/real_time", "BM_PlainWrite/real_time", "write");
    }

private:
    void Print(const std::string& ours, const std::string& plain, const char* what) const {
        const auto a = rates_.find(ours), b = rates_.find(plain);
        if (a == rates_.end() || b == rates_.end()) return;
        std::printf("BMP %s speed against plain %s: %.2fx (target >= 0.5x)\n", what, what,
                    a->second / b->second);
    }
    std::map<std::string, double> rates_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    return 0;
}
