#include "bench/support/Ratio.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

namespace bench {
namespace {

// Console output as usual, and the time per iteration of every run kept by name.
class CapturingReporter : public benchmark::ConsoleReporter {
 public:
  // No colour codes: the RATIO lines that follow must start their lines.
  CapturingReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations <= 0) continue;
      auto process = run.counters.find(kProcessCpuCounter);
      times_[run.benchmark_name()] = {run.GetAdjustedRealTime(), process != run.counters.end()
                                                                     ? process->second.value
                                                                     : run.GetAdjustedCPUTime()};
    }
    ConsoleReporter::ReportRuns(runs);
  }
  struct Times {
    double wall;
    // The calling thread's processor time, or the process's where the benchmark reports it:
    // steadier than wall time on a busy machine. The two benchmarks of a pair report alike.
    double cpu;
  };
  const std::map<std::string, Times>& times() const { return times_; }

 private:
  std::map<std::string, Times> times_;
};

}  // namespace

int runWithRatios(int argc, char** argv, const std::vector<RatioPair>& pairs) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  CapturingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  int status = 0;
  for (const auto& pair : pairs) {
    auto ours = reporter.times().find(pair.ours);
    auto ref = reporter.times().find(pair.reference);
    if (ours == reporter.times().end() || ref == reporter.times().end() || ref->second.wall <= 0) {
      std::printf("RATIO %s missing\n", pair.name.c_str());
      status = 1;
      continue;
    }
    if (pair.comparesCpu && ref->second.cpu > 0)
      std::printf("CPU_RATIO %s %.3f\n", pair.name.c_str(), ours->second.cpu / ref->second.cpu);
    std::printf("RATIO %s %.3f\n", pair.name.c_str(), ours->second.wall / ref->second.wall);
  }
  std::fflush(stdout);
  return status;
}

}  // namespace bench
