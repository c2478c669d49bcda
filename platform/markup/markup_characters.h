// The character classes of the markup parser and its escaping, and small text helpers shared inside
// platform/markup.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace markup {

constexpr uint8_t kNameClass = 0x01;          // 0-9 A-Z a-z _
constexpr uint8_t kSpaceClass = 0x02;         // tab, LF, CR, blank
constexpr uint8_t kSpecialStartClass = 0x04;  // # $ ( * + = ? @ [ { ~
constexpr uint8_t kUrlEscapeClass = 0x08;     // 0-31, %, ', 127-255
constexpr uint8_t kEntityEscapeClass = 0x10;  // 0-31 but tab, LF and CR; & < >; 127-255

struct CharacterTable {
  uint8_t of[256];
  constexpr CharacterTable() : of() {
    for (int c = '0'; c <= '9'; ++c) of[c] |= kNameClass;
    for (int c = 'A'; c <= 'Z'; ++c) of[c] |= kNameClass;
    for (int c = 'a'; c <= 'z'; ++c) of[c] |= kNameClass;
    of[static_cast<uint8_t>('_')] |= kNameClass;
    for (char c : {'\t', '\n', '\r', ' '}) of[static_cast<uint8_t>(c)] |= kSpaceClass;
    for (char c : {'#', '$', '(', '*', '+', '=', '?', '@', '[', '{', '~'}) {
      of[static_cast<uint8_t>(c)] |= kSpecialStartClass;
    }
    for (int c = 0; c < 32; ++c) of[c] |= kUrlEscapeClass;
    for (int c = 127; c < 256; ++c) of[c] |= kUrlEscapeClass | kEntityEscapeClass;
    of[static_cast<uint8_t>('%')] |= kUrlEscapeClass;
    of[static_cast<uint8_t>('\'')] |= kUrlEscapeClass;
    for (int c = 0; c < 32; ++c) {
      if (c != '\t' && c != '\n' && c != '\r') of[c] |= kEntityEscapeClass;
    }
    for (char c : {'&', '<', '>'}) of[static_cast<uint8_t>(c)] |= kEntityEscapeClass;
  }
};

inline constexpr CharacterTable kCharacters;

inline bool Is(uint8_t c, uint8_t classes) { return (kCharacters.of[c] & classes) != 0; }
inline bool IsName(uint8_t c) { return Is(c, kNameClass); }
inline bool IsSpace(uint8_t c) { return Is(c, kSpaceClass); }
inline char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Copies at most 255 bytes of the text upper-cased into out (256 bytes), terminated; a null text gives "".
inline void UpperCase255(char* out, const char* text, size_t length) {
  size_t n = length < 255 ? length : 255;
  for (size_t i = 0; i < n; ++i) out[i] = Upper(text[i]);
  out[n] = '\0';
}
inline void UpperCase255(char* out, const char* text) {
  size_t length = 0;
  if (text != nullptr) {
    while (length < 255 && text[length] != '\0') ++length;
  }
  UpperCase255(out, text == nullptr ? "" : text, length);
}

}  // namespace markup
