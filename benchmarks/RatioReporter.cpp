// The benchmarks' main: the usual console output, then each path of the
// module beside the floor it is measured against, as a ratio (of medians
// when the benchmarks are repeated).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

// Each path and its floor.
const std::map<std::string, std::string> kFloorOf = {
    {"BM_CommandRoundTrip", "BM_FloorTwoHandOffs"},
    {"BM_ProgressEventToPage", "BM_FloorTwoHandOffs"},
    {"BM_InstanceCreateDestroy", "BM_FloorTwoHandOffs"},
    {"BM_PageToFirstCallback", "BM_FloorEmptyEvaluate"},
};

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      // With repetitions the median stands for the benchmark: the machine
      // may be shared, and one slow repetition should not decide.
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      if ((median || single) && !run.error_occurred) {
        m_nanoseconds[run.run_name.function_name] = run.GetAdjustedRealTime() *
            benchmark::GetTimeUnitMultiplier(benchmark::kNanosecond) /
            benchmark::GetTimeUnitMultiplier(run.time_unit);
      }
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-28s %14s  %-24s %12s %9s\n", "path", "time", "floor", "floor time", "ratio");
    for (const auto& [path, floor] : kFloorOf) {
      const auto p = m_nanoseconds.find(path), f = m_nanoseconds.find(floor);
      if (p == m_nanoseconds.end() || f == m_nanoseconds.end()) continue;
      std::printf("%-28s %11.0f ns  %-24s %9.0f ns %8.1fx\n", path.c_str(), p->second,
                  floor.c_str(), f->second, p->second / f->second);
    }
  }

 private:
  std::map<std::string, double> m_nanoseconds;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
