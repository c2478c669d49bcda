// The table every benchmark program ends with: each row sets one of our paths against its reference, both run in
// this process on the same data, as the ratio of their throughputs (ours / reference, higher is better). Each
// benchmark runs five times, the repetitions interleaved, and the table uses the medians. A row may also give the
// time a call of ours must stay within, and show a counter of both (the nodes a search took, say).
//
// Before anything is timed, each row's check runs ours and the reference once on the row's data and compares
// their results (the same pixels, the same bytes, the same path): a ratio of two paths that do different work
// means nothing. The program fails (exit code 1) when a check finds a difference, when a benchmark reports an
// error or when a benchmark it selected did not run, with a line saying which.
//
// With --smoke, each benchmark runs one repetition of as few iterations as it takes (one, as a rule): the checks
// and every case run, quickly, and no figure means anything. Continuous integration runs every program so.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <set>
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
  // Runs ours and the reference once on the row's data, untimed, and compares their results: empty when they
  // agree, else what differs. Empty for none.
  std::function<std::string()> check;
};

// Whether the program was asked for a smoke run (--smoke).
inline bool& SmokeRun() {
  static bool smoke = false;
  return smoke;
}

// The benchmarks of the program, registered once the command line is read (a smoke run registers them with other
// settings): KESTRIVAL_BENCH adds them here.
using Registration = void (*)();
inline std::vector<Registration>& Registrations() {
  static std::vector<Registration> registrations;
  return registrations;
}
inline bool Defer(Registration registration) {
  Registrations().push_back(registration);
  return true;
}

// The settings every benchmark of the table gets: five repetitions, only their aggregates reported; in a smoke
// run one repetition, stopped after its first iteration (the shortest time a benchmark can be given).
inline void Settle(benchmark::internal::Benchmark* b) {
  if (SmokeRun()) {
    b->Repetitions(1)->MinTime(1e-9);
  } else {
    b->Repetitions(kRepetitions)->ReportAggregatesOnly(true);
  }
}

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
      std::string name = run.run_name.function_name;
      if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
      if (run.error_occurred) {
        errors_[name] = run.error_message;
        continue;
      }
      ran_.insert(name);
      // The median of the repetitions; a single repetition (a smoke run) has no aggregates and stands for itself.
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      const bool single = run.run_type == Run::RT_Iteration && medians_.count(name) == 0;
      if (!median && !single) continue;
      Median& figure = medians_[name];
      figure.seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      for (const auto& [counter, value] : run.counters) figure.counters[counter] = value.value;
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-46s %14s %14s %8s %6s  %-4s %10s %10s\n",
                SmokeRun() ? "path (smoke run: one short run, no figures)" : "path (median of 5, items per second)",
                "ours", "reference", "ratio", "goal", "met", "a call", "budget");
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
      const bool judged = !SmokeRun() && (row.goal > 0 || row.budget > 0);
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

  // The failures of the run, one line each: benchmarks that reported an error, and selected ones that never ran.
  std::vector<std::string> Failures(size_t selected) const {
    std::vector<std::string> failures;
    for (const auto& [name, message] : errors_) failures.push_back(name + " failed: " + message);
    if (selected == 0) failures.push_back("no benchmark was selected");
    const size_t reported = ran_.size() + errors_.size();
    if (reported < selected) {
      failures.push_back(std::to_string(selected - reported) + " of the " + std::to_string(selected) +
                         " benchmarks selected did not run");
    }
    return failures;
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
  std::set<std::string> ran_;
  std::map<std::string, std::string> errors_;
};

// Reads --smoke off the command line; the rest goes to Google Benchmark.
inline void ReadSmokeOption(int& argc, char** argv) {
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--smoke") == 0) SmokeRun() = true;
    else argv[kept++] = argv[i];
  }
  argc = kept;
}

// The main of a benchmark program: runs the rows' checks, then what the command line selects, and prints the
// table; 0 when every check agreed and every benchmark selected ran without an error, else 1. The repetitions
// of all benchmarks run interleaved in random order (unless the program or the command line says otherwise), so
// that a change in the machine's load during the run falls on ours and the references alike.
inline int RunWithRatioTable(int argc, char** argv, std::vector<RatioRow> rows, bool interleaved = true) {
  std::vector<char*> args(argv, argv + argc);
  std::string interleave =
      std::string("--benchmark_enable_random_interleaving=") + (interleaved ? "true" : "false");
  args.insert(args.begin() + 1, interleave.data());
  argc = static_cast<int>(args.size());
  argv = args.data();
  ReadSmokeOption(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  for (Registration registration : Registrations()) registration();

  std::vector<std::string> failures;
  for (const RatioRow& row : rows) {
    if (!row.check) continue;
    const std::string difference = row.check();
    std::printf("check: %-46s %s\n", row.label.c_str(), difference.empty() ? "ours and the reference agree"
                                                                           : ("DIFFER: " + difference).c_str());
    if (!difference.empty()) failures.push_back(row.label + ": ours and the reference differ: " + difference);
  }
  std::fflush(stdout);
  RatioReporter reporter(std::move(rows));
  const size_t selected = benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  for (const std::string& failure : reporter.Failures(selected)) failures.push_back(failure);
  for (const std::string& failure : failures) std::fprintf(stderr, "FAILED: %s\n", failure.c_str());
  return failures.empty() ? 0 : 1;
}

}  // namespace bench

// Registers a benchmark for the table, with the settings of the run (bench::Settle), once the command line is read.
#define KESTRIVAL_BENCH_JOIN2(a, b) a##b
#define KESTRIVAL_BENCH_JOIN(a, b) KESTRIVAL_BENCH_JOIN2(a, b)
#define KESTRIVAL_BENCH(...)                                                                   \
  [[maybe_unused]] static const bool KESTRIVAL_BENCH_JOIN(kestrival_bench_registered_, __LINE__) = \
      bench::Defer([] { __VA_ARGS__->Apply(bench::Settle); })
