// The table every benchmark program ends with: each row sets one of our paths against its reference, both run in
// this process on the same pixels, as the ratio of their throughputs (ours / reference, higher is better). Each
// benchmark runs five times, the repetitions interleaved, and the table uses the medians.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bench {

constexpr int kRepetitions = 5;

struct RatioRow {
  const char* label;
  const char* ours;       // benchmark names, as registered
  const char* reference;
  double goal;            // the ratio the row must reach
};

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  explicit RatioReporter(std::vector<RatioRow> rows) : rows_(std::move(rows)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median" || run.error_occurred) continue;
      auto found = run.counters.find("items_per_second");
      if (found != run.counters.end()) medians_[run.run_name.function_name] = found->second.value;
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-46s %14s %14s %8s %6s  %s\n", "path (median of 5, items per second)", "ours", "reference",
                "ratio", "goal", "met");
    for (const RatioRow& row : rows_) {
      const double ours = Median(row.ours);
      const double reference = Median(row.reference);
      const double ratio = reference > 0 ? ours / reference : 0.0;
      std::printf("%-46s %14.4g %14.4g %7.2fx %5.2fx  %s\n", row.label, ours, reference, ratio, row.goal,
                  ratio >= row.goal ? "yes" : "NO");
    }
    std::fflush(stdout);
  }

 private:
  double Median(const std::string& name) const {
    auto found = medians_.find(name);
    return found == medians_.end() ? 0.0 : found->second;
  }

  std::vector<RatioRow> rows_;
  std::map<std::string, double> medians_;
};

// The main of a benchmark program: runs what the command line selects and prints the table. The repetitions of
// all benchmarks run interleaved in random order (unless the command line says otherwise), so that a change in
// the machine's load during the run falls on ours and the references alike.
inline int RunWithRatioTable(int argc, char** argv, std::vector<RatioRow> rows) {
  std::vector<char*> args(argv, argv + argc);
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave.data());
  argc = static_cast<int>(args.size());
  argv = args.data();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter(std::move(rows));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace bench
