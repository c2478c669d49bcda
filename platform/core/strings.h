// The framework's routines for NUL-terminated byte strings and its bounded formatter. Sizes count the
// terminator; the bounded routines and the formatter never write more than their size.
#pragma once

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
char* PlatformFormatString(char* destination, uint32_t size, const char* format, ...);
