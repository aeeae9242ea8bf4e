#pragma once

// The reporter the benchmarks print their ratios from: it keeps the real and CPU time of each
// run. On a busy machine the real times wander; the CPU times show the work itself.

#include <benchmark/benchmark.h>
#include <map>
#include <set>
#include <string>
#include <vector>

class TRatioReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            // With --benchmark_repetitions the median stands for the benchmark, under its own name.
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const std::string name = run.run_name.str();
            if (median)
                m_medians.insert(name);
            else if (run.run_type != Run::RT_Iteration || m_medians.count(name))
                continue;
            Real[name] = run.GetAdjustedRealTime();
            Cpu[name] = run.GetAdjustedCPUTime();
            for (const auto& [counter, value] : run.counters)
                Counters[name][counter] = value;
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

    // A counter of the first run whose name starts with prefix; 0 when there is none.
    double Counter(const std::string& prefix, const std::string& counter) const {
        for (const auto& [name, values] : Counters)
            if (name.rfind(prefix, 0) == 0) {
                const auto found = values.find(counter);
                return found == values.end() ? 0.0 : found->second;
            }
        return 0.0;
    }

    // Real and CPU time of each benchmark in its own unit, and its counters (a peak, say).
    std::map<std::string, double> Real;
    std::map<std::string, double> Cpu;
    std::map<std::string, std::map<std::string, double>> Counters;

private:
    std::set<std::string> m_medians;
};
