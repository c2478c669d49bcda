// The framework's routines for NUL-terminated byte strings and its bounded formatter. Sizes count the
// terminator; the bounded routines and the formatter never write more than their size.
#pragma once

#include <cstdarg>
#include <cstdint>

uint32_t PlatformStringLength(const char* string);
char* PlatformDuplicateString(const char* string);  // a new pointer block; null when out of memory
char* PlatformCopyString(char* destination, const char* source);
char* PlatformCopyStringBounded(char* destination, const char* source, uint32_t size);
char* PlatformAppendString(char* destination, const char* source);
char* PlatformAppendStringBounded(char* destination, const char* source, uint32_t size);
int PlatformCompareStrings(const char* a, const char* b);
const char* PlatformFindSubstring(const char* string, const char* substring);
const char* PlatformFindFirstOf(const char* string, const char* set);
char* FormatUnsignedDecimal(char* destination, uint32_t value);
uint32_t PlatformParseDecimal(const char* string);
char* PlatformUpperCaseBounded(char* destination, const char* source, int32_t size);  // size -1: no bound
char* PlatformUpperCase(char* string);
// Arguments are read with their own types: "d", "i", "u", "o", "x", "X", "c" and "*" take an int (also with
// "h" or "l", both of which mean at most 32 bits), "ll", "q" and "L" take a 64-bit integer of which the low 32
// bits are printed, and "s", "p" and "n" take pointers ("n" an int32_t*). "p" prints "0x" and 16 upper-case
// hexadecimal digits: a pointer has 64 bits here, and 8 digits would print only half of it.
char* PlatformFormatString(char* destination, uint32_t size, const char* format, ...);
char* PlatformFormatStringV(char* destination, uint32_t size, const char* format, va_list arguments);
