// Speed of the markup parser: parsing 200 KB of small tags into a tree and walking it in document order, beside a
// plain scan of the same bytes for "<" (the least any parser must do). Each runs five times; the medians' ratio
// is printed at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "platform/markup/markup_document.h"

namespace {

// About 200 KB of a page's markup: small elements with attributes, text runs, entities and nesting.
const std::string& Markup() {
  static const std::string text = [] {
    std::string out = "<INTERFACE TITLE=\"Bench\" WIDTH=640 HEIGHT=480>";
    for (int i = 0; out.size() < 200 * 1024; ++i) {
      out += "<PAGE NAME=p" + std::to_string(i) + "><P>Item &amp; <B>bold " + std::to_string(i) +
             "</B><BR><A HREF=\"#p" + std::to_string(i + 1) + "\">next</A>";
      out += "<BUTTON RECT=10,10,90,30 TITLE='Go' KEYS=G/><IMG SRC=pic.png/></PAGE>";
    }
    return out + "</INTERFACE>";
  }();
  return text;
}

void ParseAndWalk(benchmark::State& state) {
  const std::string& text = Markup();
  PlatformHandle* buffer = PlatformHandle::New(static_cast<uint32_t>(text.size()));
  for (auto _ : state) {
    PlatformHandle::SetBytes(buffer, text.data(), static_cast<uint32_t>(text.size()));
    MarkupNode* root = nullptr;
    if (ParseMarkup(buffer, "SCRIPT", "LI BR P", nullptr, &root) != kPlatformNoError) {
      state.SkipWithError("parse failed");
      break;
    }
    uint32_t visited = 0;
    for (MarkupNode* node = root; node != nullptr; node = NextMarkupNode(root, node)) ++visited;
    benchmark::DoNotOptimize(visited);
    FreeMarkupTree(root);
  }
  PlatformHandle::Dispose(buffer);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(ParseAndWalk)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);

void ScanForTags(benchmark::State& state) {
  const std::string& text = Markup();
  for (auto _ : state) {
    size_t tags = 0;
    for (const char* p = text.data(); (p = static_cast<const char*>(std::memchr(p, '<', text.data() + text.size() - p)));
         ++p) {
      ++tags;
    }
    benchmark::DoNotOptimize(tags);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(ScanForTags)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);

// The usual table, then the parse's median time as a multiple of the scan's.
class MedianRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.aggregate_name == "median") medians_[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const double parse = medians_["ParseAndWalk"], scan = medians_["ScanForTags"];
    std::printf("\nparse and walk of %zu bytes: %.3f ms, scan for \"<\": %.3f ms, ratio %.1f\n", Markup().size(), parse,
                scan, scan > 0 ? parse / scan : 0.0);
    std::fflush(stdout);
  }

 private:
  std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  MedianRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
