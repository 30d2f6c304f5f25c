// Runs a benchmark program's registered benchmarks and prints, for each named pair, the line
// "RATIO <name> <value>": our time per iteration divided by the reference's, from the same run.
// A line "CPU_RATIO <name> <value>" before it compares processor time the same way, which a busy
// machine sways less (it leaves out waiting for the disk, though).
#pragma once

#include <string>
#include <vector>

namespace bench {

struct RatioPair {
  std::string name;       // printed after RATIO
  std::string ours;       // full benchmark name as reported (with arguments), e.g. "BM_Ours/64"
  std::string reference;  // the reference benchmark's reported name
  // False where one side's work runs in another process or on threads the benchmark does not
  // count: its processor time would say nothing, so only the wall-time line is printed.
  bool comparesCpu = true;
};

// A benchmark whose work runs on other threads too (a client and its server) may report the
// processor time per iteration of the whole process under this counter name (seconds); the
// CPU_RATIO then compares that in place of the calling thread's processor time.
inline constexpr const char* kProcessCpuCounter = "process_cpu_seconds";

// Call from main() instead of BENCHMARK_MAIN(); returns the process exit code.
int runWithRatios(int argc, char** argv, const std::vector<RatioPair>& pairs);

}  // namespace bench
