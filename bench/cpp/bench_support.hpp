// What the benchmark binaries share: the minimum statistic, and a console reporter that keeps each
// benchmark's figure so that a binary can print ratios of two benchmarks of the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qzr::bench {

// On a shared machine the minimum over repetitions is the steadiest figure besides the median.
// Use as `BENCHMARK(name)->ComputeStatistics("min", minimum)`.
inline double minimum(const std::vector<double>& values) {
  return *std::min_element(values.begin(), values.end());
}

// Prints as the console reporter does and keeps, per benchmark name (as registered, e.g.
// "hash_only/Trader"), its figure: the median when there are repetitions, else the single run.
// Runs that reported an error keep no figure, so no ratio is printed from them.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  enum class Clock { Real, Cpu };

  explicit RatioReporter(Clock clock) : m_clock(clock) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (!single && !median) continue;
      m_figures[run.run_name.function_name] =
          m_clock == Clock::Real ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime();
    }
  }

  // The figure of the benchmark `name` in the reporter's time unit, if it ran without error.
  std::optional<double> figure(std::string_view name) const {
    const auto found = m_figures.find(name);
    if (found == m_figures.end()) return std::nullopt;
    return found->second;
  }

  // Prints "numerator / denominator = ratio" when both ran.
  void print_ratio(std::string_view numerator, std::string_view denominator) const {
    const std::optional<double> top = figure(numerator), bottom = figure(denominator);
    if (!top || !bottom || *bottom <= 0) return;
    std::printf("%.*s / %.*s = %.3f\n", static_cast<int>(numerator.size()), numerator.data(),
                static_cast<int>(denominator.size()), denominator.data(), *top / *bottom);
  }

 private:
  Clock m_clock;
  std::map<std::string, double, std::less<>> m_figures;
};

}  // namespace qzr::bench
