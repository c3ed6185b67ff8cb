// A console reporter that also keeps each benchmark's real time per iteration, so a
// benchmark program can print the ratios its targets are stated in.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace tazu::bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
        seconds[run.benchmark_name()] = run.GetAdjustedRealTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  // Time of `a` over time of `b`, or 0 when either did not run.
  double Ratio(const std::string& a, const std::string& b) const {
    const auto ia = seconds.find(a), ib = seconds.find(b);
    if (ia == seconds.end() || ib == seconds.end() || ib->second <= 0) return 0;
    return ia->second / ib->second;
  }
  std::map<std::string, double> seconds;
};

}  // namespace tazu::bench
