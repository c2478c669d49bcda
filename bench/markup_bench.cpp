// Speed of the markup parser: parsing 200 KB of small tags into a tree and walking it in document order, beside a
// plain scan of the same bytes for the "<" of each opening tag (the least any parser must do). The check: the parse
// made an element of every opening tag the scan finds. Items are bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "bench/ratio_table.h"
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

// The elements the parser made of the text, counted in document order; -1 when it failed.
int64_t ParseAndCountElements(const std::string& text, PlatformHandle* buffer) {
  PlatformHandle::SetBytes(buffer, text.data(), static_cast<uint32_t>(text.size()));
  MarkupNode* root = nullptr;
  if (ParseMarkup(buffer, "SCRIPT", "LI BR P", nullptr, &root) != kPlatformNoError) return -1;
  int64_t elements = 0;
  for (MarkupNode* node = root; node != nullptr; node = NextMarkupNode(root, node)) elements += IsMarkupElement(node);
  FreeMarkupTree(root);
  return elements;
}

// The tags that open an element: each "<" not followed by "/".
int64_t CountOpeningTags(const std::string& text) {
  int64_t tags = 0;
  const char* end = text.data() + text.size();
  for (const char* p = text.data(); (p = static_cast<const char*>(std::memchr(p, '<', end - p))); ++p) {
    tags += p + 1 < end && p[1] != '/';
  }
  return tags;
}

void ParseAndWalk(benchmark::State& state) {
  const std::string& text = Markup();
  PlatformHandle* buffer = PlatformHandle::New(static_cast<uint32_t>(text.size()));
  for (auto _ : state) {
    const int64_t elements = ParseAndCountElements(text, buffer);
    if (elements < 0) {
      state.SkipWithError("parse failed");
      break;
    }
    benchmark::DoNotOptimize(elements);
  }
  PlatformHandle::Dispose(buffer);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void ScanForTags(benchmark::State& state) {
  const std::string& text = Markup();
  for (auto _ : state) benchmark::DoNotOptimize(CountOpeningTags(text));
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

// The check: the parser made an element of every tag that the scan finds opening one.
std::string SameElements() {
  const std::string& text = Markup();
  PlatformHandle* buffer = PlatformHandle::New(static_cast<uint32_t>(text.size()));
  const int64_t elements = ParseAndCountElements(text, buffer), tags = CountOpeningTags(text);
  PlatformHandle::Dispose(buffer);
  if (elements < 0) return "the parse failed";
  if (elements == tags) return "";
  return std::to_string(elements) + " elements parsed, " + std::to_string(tags) + " opening tags scanned";
}

KESTRIVAL_BENCH(BENCHMARK(ParseAndWalk)->Unit(benchmark::kMillisecond));
KESTRIVAL_BENCH(BENCHMARK(ScanForTags)->Unit(benchmark::kMillisecond));

}  // namespace

int main(int argc, char** argv) {
  return bench::RunWithRatioTable(
      argc, argv, {{"parse and walk of 200 KB of markup", "ParseAndWalk", "ScanForTags", 0, 0, "", SameElements}});
}
