// The game's small string helpers.
#include "game/shell/data/string_utils.h"

#include <cstring>

int32_t ParseInt(std::string_view text) {
  // Each leading "-" negates what follows, so "--5" is 5. Counted, not recursed, so a long run stays cheap.
  size_t minus = 0;
  while (minus < text.size() && text[minus] == '-') ++minus;
  uint32_t value = 0;
  for (size_t i = minus; i < text.size(); ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return 0;
    value = value * 10u + static_cast<uint32_t>(c - '0');
  }
  if (minus % 2 == 1) value = 0u - value;
  return static_cast<int32_t>(value);
}

void FirstWord(std::string& out, std::string_view text) {
  size_t begin = 0;
  while (begin < text.size() && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  size_t end = begin;
  while (end < text.size() && text[end] != ' ' && text[end] != '\t') ++end;
  out.assign(text.substr(begin, end - begin));
}

bool IsIntegerText(std::string_view text) {
  if (text.empty()) return true;
  std::string word;
  FirstWord(word, text);
  return ParseInt(word) != 0 || word == "0";
}

namespace {

// Where the field after the one starting at `from` begins, or npos when `from` starts the last field.
size_t NextFieldStart(std::string_view text, std::string_view separator, size_t from) {
  if (separator.empty()) return std::string_view::npos;
  size_t at = text.find(separator, from);
  return at == std::string_view::npos ? at : at + separator.size();
}

}  // namespace

int32_t CountFields(std::string_view text, std::string_view separator) {
  if (text.empty()) return 0;
  int32_t count = 1;
  for (size_t at = NextFieldStart(text, separator, 0); at != std::string_view::npos;
       at = NextFieldStart(text, separator, at)) {
    ++count;
  }
  return count;
}

void GetField(std::string& out, std::string_view text, std::string_view separator, int32_t n) {
  out.clear();
  if (n <= 0 || text.empty()) return;
  size_t start = 0;
  for (int32_t field = 1; field < n; ++field) {
    start = NextFieldStart(text, separator, start);
    if (start == std::string_view::npos) return;
  }
  size_t end = separator.empty() ? std::string_view::npos : text.find(separator, start);
  out.assign(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

void ToLowerInPlace(std::string& text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
}

int32_t StringByteSum(std::string_view text) {
  int32_t sum = 0;
  for (char c : text) sum += static_cast<int8_t>(c);
  return sum;
}

void ToLengthPrefixed(uint8_t* buffer, std::string_view text) {
  size_t length = text.size() < 255 ? text.size() : 255;
  buffer[0] = static_cast<uint8_t>(length);
  if (length != 0) std::memcpy(buffer + 1, text.data(), length);
}

void ScrambleBytes(uint8_t* bytes, size_t count, bool add) {
  uint8_t k = 1;  // 8 bits wide: the 256th byte moves by 0 and the count starts again
  for (size_t i = 0; i < count; ++i) {
    bytes[i] = add ? static_cast<uint8_t>(bytes[i] + k) : static_cast<uint8_t>(bytes[i] - k);
    ++k;
  }
}

void ScrambleString(std::string& text, bool add) {
  ScrambleBytes(reinterpret_cast<uint8_t*>(text.data()), text.size(), add);
}
