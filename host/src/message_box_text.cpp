// Fitting a message box's text to the screen: wrapping, shortening and cutting.
#include "message_box_text.h"

#include <algorithm>
#include <vector>

namespace host {
namespace {

// The box's font at the desktop's scale: no character is wider or line taller than this, and the box's own
// margins, icon, buttons and the window's title bar take the rest.
constexpr int kCharacterWidth = 16;
constexpr int kLineHeight = 24;
constexpr int kSideSpace = 64;
constexpr int kTopAndBottomSpace = 200;
// A line of more than 80 characters is hard to read, and a box of more than 40 lines no longer a message.
constexpr size_t kMostColumns = 80;
constexpr size_t kFewestColumns = 20;
constexpr size_t kMostLines = 40;
constexpr size_t kFewestLines = 4;

constexpr std::string_view kEllipsis = "...";

// Adds the paragraph's lines; false once there are more lines than the limit (the rest is not looked at).
bool WrapParagraph(std::string_view paragraph, const MessageBoxLimits& limits, std::vector<std::string>* lines) {
  std::string line;
  bool first = true;  // a paragraph's leading blanks stay, those at a wrap go
  size_t at = 0;
  while (at < paragraph.size()) {
    size_t wordStart = paragraph.find_first_not_of(' ', at);
    if (wordStart == std::string_view::npos) break;
    size_t wordEnd = std::min(paragraph.find(' ', wordStart), paragraph.size());
    std::string word = ShortenInMiddle(paragraph.substr(wordStart, wordEnd - wordStart), limits.columns);
    size_t gap = wordStart - at;
    if (first) {
      line = gap + word.size() <= limits.columns ? std::string(gap, ' ') + word : word;
      first = false;
    } else if (line.size() + gap + word.size() <= limits.columns) {
      line += std::string(gap, ' ') + word;
    } else {
      lines->push_back(std::move(line));
      if (lines->size() > limits.lines) return false;
      line = std::move(word);
    }
    at = wordEnd;
  }
  lines->push_back(std::move(line));
  return lines->size() <= limits.lines;
}

}  // namespace

MessageBoxLimits MessageBoxLimitsFor(int screenWidth, int screenHeight) {
  auto fit = [](int space, int each, size_t fewest, size_t most) {
    size_t count = space > 0 ? static_cast<size_t>(space / each) : 0;
    return std::clamp(count, fewest, most);
  };
  return MessageBoxLimits{fit(screenWidth - kSideSpace, kCharacterWidth, kFewestColumns, kMostColumns),
                          fit(screenHeight - kTopAndBottomSpace, kLineHeight, kFewestLines, kMostLines)};
}

std::string ShortenInMiddle(std::string_view word, size_t columns) {
  if (word.size() <= columns) return std::string(word);
  if (columns <= kEllipsis.size()) return std::string(kEllipsis.substr(0, columns));
  size_t kept = columns - kEllipsis.size();
  size_t head = (kept + 1) / 2;
  size_t tail = kept - head;
  return std::string(word.substr(0, head)) + std::string(kEllipsis) + std::string(word.substr(word.size() - tail));
}

std::string FitMessageBoxText(std::string_view text, const MessageBoxLimits& limits) {
  std::vector<std::string> lines;
  bool whole = true;
  for (size_t at = 0; whole;) {
    size_t end = text.find('\n', at);
    std::string_view paragraph = text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    if (!paragraph.empty() && paragraph.back() == '\r') paragraph.remove_suffix(1);
    whole = WrapParagraph(paragraph, limits, &lines);
    if (end == std::string_view::npos) break;
    at = end + 1;
  }
  if (!whole) {
    lines.resize(limits.lines > 0 ? limits.lines - 1 : 0);
    if (limits.lines > 0) lines.emplace_back(kEllipsis);
  }
  std::string fitted;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) fitted += '\n';
    fitted += lines[i];
  }
  return fitted;
}

}  // namespace host
