#pragma once
// A console reporter that also remembers each benchmark's bytes per second,
// so a benchmark program can print its cases as ratios against a baseline.

#include <benchmark/benchmark.h>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vellinor::bench {

class TRateReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const auto it = run.counters.find("bytes_per_second");
            if (it != run.counters.end() && run.run_type == Run::RT_Iteration) {
                fRates[Key(run)] = it->second.value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Benchmark name, plus " " and the label when the run set one.
    const std::map<std::string, double>& Rates() const { return fRates; }

    std::optional<double> Ratio(const std::string& name, const std::string& baseline) const {
        const auto a = fRates.find(name), b = fRates.find(baseline);
        if (a == fRates.end() || b == fRates.end() || b->second == 0) return std::nullopt;
        return a->second / b->second;
    }

private:
    static std::string Key(const Run& run) {
        return run.report_label.empty() ? run.benchmark_name()
                                        : run.benchmark_name() + " " + run.report_label;
    }
    std::map<std::string, double> fRates;
};

} // namespace vellinor::bench
