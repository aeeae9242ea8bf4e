#pragma once

// The reporter the benchmarks print their ratios from: it keeps the real and CPU time of each
// run. On a busy machine the real times wander; the CPU times show the work itself.

#include <benchmark/benchmark.h>
#include <map>
#include <string>
#include <vector>

class TRatioReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration) {
                Real[run.benchmark_name()] = run.GetAdjustedRealTime();
                Cpu[run.benchmark_name()] = run.GetAdjustedCPUTime();
            }
        ConsoleReporter::ReportRuns(runs);
    }

    // The time of the first run whose name starts with prefix; 0 when there is none.
    static double Time(const std::map<std::string, double>& times, const std::string& prefix) {
        for (const auto& [name, value] : times)
            if (name.rfind(prefix, 0) == 0)
                return value;
        return 0.0;
    }

    std::map<std::string, double> Real;
    std::map<std::string, double> Cpu;
};
