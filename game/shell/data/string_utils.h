// The game's small string helpers: the strict integer parser, words and fields, prefix and suffix tests, the
// byte sum, length-prefixed copies and the string shift applied to stored strings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Strict decimal integer: an optional run of leading "-" (each one negates), then digits only. Any other
// character anywhere gives 0; so do "" and "-". Values beyond 32 bits wrap.
int32_t ParseInt(std::string_view text);
// True for an empty text, or when its first word parses to a non-zero value or is exactly "0".
bool IsIntegerText(std::string_view text);
// The characters after any leading blanks and tabs, up to the next blank or tab.
void FirstWord(std::string& out, std::string_view text);
// The number of fields of text split at separator (0 for an empty text). Each search for the separator starts
// after the previous occurrence.
int32_t CountFields(std::string_view text, std::string_view separator);
// The n-th field (from 1); "" when n is 0 or the text has fewer fields. The last field runs to the end.
void GetField(std::string& out, std::string_view text, std::string_view separator, int32_t n);
bool StartsWith(std::string_view text, std::string_view prefix);
bool EndsWith(std::string_view text, std::string_view suffix);
void ToLowerInPlace(std::string& text);  // A to Z only
int32_t StringByteSum(std::string_view text);  // each byte taken as a signed 8-bit value
// Writes a length byte L = min(length, 255) and the first L bytes: the buffer holds at least L + 1 bytes.
void ToLengthPrefixed(uint8_t* buffer, std::string_view text);

// The string shift of stored strings: byte i (from 0) moves by (i + 1) mod 256, up when add is set, down
// otherwise. One direction undoes the other.
void ScrambleString(std::string& text, bool add);
void ScrambleBytes(uint8_t* bytes, size_t count, bool add);
