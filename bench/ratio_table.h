// The table every benchmark program ends with: each row sets one of our paths against its reference, both run in
// this process on the same data, as the ratio of their throughputs (ours / reference, higher is better). Each
// benchmark runs five times, the repetitions interleaved, and the table uses the medians. A row may also give the
// time a call of ours must stay within, and show a counter of both (the nodes a search took, say).
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
  std::string label;
  std::string ours;       // benchmark names, as registered (with their arguments: "FindPath/3/50")
  std::string reference;
  double goal = 0;        // the ratio the row must reach; 0 for none
  double budget = 0;      // the most seconds a call of ours may take; 0 for none
  std::string counter;    // a counter both benchmarks set, shown beside them; empty for none
};

// A time in seconds with the unit that suits it.
inline std::string FormatSeconds(double seconds) {
  char text[32];
  if (seconds >= 1) std::snprintf(text, sizeof text, "%.3g s", seconds);
  else if (seconds >= 1e-3) std::snprintf(text, sizeof text, "%.3g ms", seconds * 1e3);
  else if (seconds >= 1e-6) std::snprintf(text, sizeof text, "%.3g us", seconds * 1e6);
  else std::snprintf(text, sizeof text, "%.3g ns", seconds * 1e9);
  return text;
}

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  explicit RatioReporter(std::vector<RatioRow> rows) : rows_(std::move(rows)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median" || run.error_occurred) continue;
      std::string name = run.run_name.function_name;
      if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
      Median& median = medians_[name];
      median.seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      for (const auto& [counter, value] : run.counters) median.counters[counter] = value.value;
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-46s %14s %14s %8s %6s  %-4s %10s %10s\n", "path (median of 5, items per second)", "ours",
                "reference", "ratio", "goal", "met", "a call", "budget");
    for (const RatioRow& row : rows_) {
      const Median& ours = Find(row.ours);
      const Median& reference = Find(row.reference);
      if (ours.Rate() <= 0 || reference.Rate() <= 0) {
        std::printf("%-46s no figure: %s did not run or failed\n", row.label.c_str(),
                    ours.Rate() <= 0 ? row.ours.c_str() : row.reference.c_str());
        continue;
      }
      const double ratio = ours.Rate() / reference.Rate();
      const bool met = (row.goal <= 0 || ratio >= row.goal) && (row.budget <= 0 || ours.seconds <= row.budget);
      const bool judged = row.goal > 0 || row.budget > 0;
      char goal[16] = "-";
      if (row.goal > 0) std::snprintf(goal, sizeof goal, "%.2fx", row.goal);
      std::printf("%-46s %14.4g %14.4g %7.3gx %6s  %-4s %10s %10s", row.label.c_str(), ours.Rate(), reference.Rate(),
                  ratio, goal, judged ? (met ? "yes" : "NO") : "-", FormatSeconds(ours.seconds).c_str(),
                  row.budget > 0 ? FormatSeconds(row.budget).c_str() : "-");
      if (!row.counter.empty()) {
        std::printf("   %s %.0f / %.0f", row.counter.c_str(), ours.Counter(row.counter),
                    reference.Counter(row.counter));
      }
      std::printf("\n");
    }
    std::fflush(stdout);
  }

 private:
  struct Median {
    double seconds = 0;  // a call (one iteration)
    std::map<std::string, double> counters;
    double Rate() const { return Counter("items_per_second"); }
    double Counter(const std::string& name) const {
      auto found = counters.find(name);
      return found == counters.end() ? 0.0 : found->second;
    }
  };
  const Median& Find(const std::string& name) const {
    static const Median none;
    auto found = medians_.find(name);
    return found == medians_.end() ? none : found->second;
  }

  std::vector<RatioRow> rows_;
  std::map<std::string, Median> medians_;
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

// Registers a benchmark for the table: five repetitions, only their aggregates reported.
#define KESTRIVAL_BENCH(...) __VA_ARGS__->Repetitions(bench::kRepetitions)->ReportAggregatesOnly(true)
