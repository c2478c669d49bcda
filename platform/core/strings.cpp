// The framework's byte-string routines and its bounded formatter. Strings are plain bytes: no code pages, and
// upper-casing touches a to z only. A null string is read as the empty string.
#include "platform/core/strings.h"

#include <cstring>

#include "platform/core/memory.h"

namespace {

const char* OrEmpty(const char* string) { return string == nullptr ? "" : string; }

}  // namespace

uint32_t PlatformStringLength(const char* string) {
  return static_cast<uint32_t>(std::strlen(OrEmpty(string)));
}

char* PlatformDuplicateString(const char* string) {
  uint32_t length = PlatformStringLength(string);
  auto* copy = static_cast<char*>(PlatformNewPointer(size_t{length} + 1));
  if (copy != nullptr) std::memcpy(copy, OrEmpty(string), size_t{length} + 1);
  return copy;
}

char* PlatformCopyString(char* destination, const char* source) {
  std::memmove(destination, OrEmpty(source), PlatformStringLength(source) + size_t{1});
  return destination;
}

char* PlatformCopyStringBounded(char* destination, const char* source, uint32_t size) {
  if (size == 0) return destination;
  source = OrEmpty(source);
  uint32_t count = 0;
  while (count < size - 1 && source[count] != 0) ++count;
  std::memmove(destination, source, count);
  destination[count] = 0;
  return destination;
}

char* PlatformAppendString(char* destination, const char* source) {
  PlatformCopyString(destination + PlatformStringLength(destination), source);
  return destination;
}

char* PlatformAppendStringBounded(char* destination, const char* source, uint32_t size) {
  // The destination's text is only measured within the size, so an unterminated buffer is never overrun.
  uint32_t length = 0;
  while (length < size && destination[length] != 0) ++length;
  if (size == 0 || length >= size - 1) return destination;
  PlatformCopyStringBounded(destination + length, source, size - length);
  return destination;
}

int PlatformCompareStrings(const char* a, const char* b) {
  auto* x = reinterpret_cast<const unsigned char*>(OrEmpty(a));
  auto* y = reinterpret_cast<const unsigned char*>(OrEmpty(b));
  while (*x != 0 && *x == *y) {
    ++x;
    ++y;
  }
  if (*x == *y) return 0;
  return *x < *y ? -1 : 1;
}

const char* PlatformFindSubstring(const char* string, const char* substring) {
  if (string == nullptr || substring == nullptr || *substring == 0) return nullptr;
  return std::strstr(string, substring);
}

const char* PlatformFindFirstOf(const char* string, const char* set) {
  if (string == nullptr || set == nullptr || *set == 0) return nullptr;
  for (; *string != 0; ++string) {
    if (std::strchr(set, *string) != nullptr) return string;
  }
  return nullptr;
}

char* FormatUnsignedDecimal(char* destination, uint32_t value) {
  char digits[10];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (int i = 0; i < count; ++i) destination[i] = digits[count - 1 - i];
  destination[count] = 0;
  return destination;
}

uint32_t PlatformParseDecimal(const char* string) {
  uint32_t value = 0;  // wraps modulo 2^32
  for (const char* p = OrEmpty(string); *p >= '0' && *p <= '9'; ++p) value = value * 10 + static_cast<uint32_t>(*p - '0');
  return value;
}

char* PlatformUpperCaseBounded(char* destination, const char* source, int32_t size) {
  if (size == 0) return destination;
  source = OrEmpty(source);
  bool bounded = size > 0;  // any negative size means no bound
  size_t i = 0;
  for (; source[i] != 0 && (!bounded || i + 1 < static_cast<size_t>(size)); ++i) {
    char c = source[i];
    destination[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  destination[i] = 0;
  return destination;
}

char* PlatformUpperCase(char* string) {
  if (string == nullptr) return string;
  return PlatformUpperCaseBounded(string, string, -1);
}

namespace {

// Widths and precisions of numbers are held to this, so that sign and digits fit the number scratch buffer.
constexpr uint32_t kMaxNumberField = 255;
// Parsed widths and precisions stop growing here; the room of the destination bounds strings anyway.
constexpr uint32_t kMaxParsedValue = 0x7FFFFFFF;

// The destination with the room left in it (its size less the terminator).
struct FormatOutput {
  char* text;
  uint32_t room;
  uint32_t written = 0;

  void Put(char c) {
    if (room == 0) return;
    text[written++] = c;
    --room;
  }
  void Put(const char* bytes, size_t count) {
    for (size_t i = 0; i < count && room != 0; ++i) Put(bytes[i]);
  }
};

enum class ArgumentLength { kDefault, kShort, kLong64 };

struct Directive {
  bool leftAlign = false;
  bool plus = false;
  bool space = false;
  bool lengthPrefixed = false;
  bool zeroPad = false;
  bool hasWidth = false;
  bool hasPrecision = false;
  uint32_t width = 0;
  uint32_t precision = 0;
  ArgumentLength length = ArgumentLength::kDefault;
};

uint32_t ParseCount(const char*& format) {
  uint32_t value = 0;
  while (*format >= '0' && *format <= '9') {
    uint32_t digit = static_cast<uint32_t>(*format++ - '0');
    value = value > (kMaxParsedValue - digit) / 10 ? kMaxParsedValue : value * 10 + digit;
  }
  return value;
}

void FormatNumber(FormatOutput& out, const Directive& d, char conversion, va_list& arguments) {
  uint64_t magnitude = 0;
  char sign = 0;
  if (conversion == 'd' || conversion == 'i') {
    int64_t value;
    if (d.length == ArgumentLength::kLong64) {
      // A 64-bit argument takes its two slots; its low 32 bits are what is printed.
      value = static_cast<int32_t>(static_cast<uint32_t>(va_arg(arguments, unsigned long long)));
    } else if (d.length == ArgumentLength::kShort) {
      value = static_cast<int16_t>(va_arg(arguments, int));
    } else {
      value = va_arg(arguments, int);
    }
    magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    if (value < 0) {
      sign = '-';
    } else if (value > 0 && d.plus) {
      sign = '+';
    }
  } else {
    if (d.length == ArgumentLength::kLong64) {
      magnitude = static_cast<uint32_t>(va_arg(arguments, unsigned long long));
    } else if (d.length == ArgumentLength::kShort) {
      magnitude = static_cast<uint16_t>(va_arg(arguments, unsigned));
    } else {
      magnitude = va_arg(arguments, unsigned);
    }
    if (conversion == 'u' && magnitude != 0 && d.plus) sign = '+';
  }

  const char* digitSet = conversion == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
  unsigned base = conversion == 'o' ? 8 : (conversion == 'x' || conversion == 'X') ? 16 : 10;
  char digits[12];  // reversed; 11 octal digits at most
  uint32_t digitCount = 0;
  do {
    digits[digitCount++] = digitSet[magnitude % base];
    magnitude /= base;
  } while (magnitude != 0);
  if (d.hasPrecision && d.precision == 0 && digitCount == 1 && digits[0] == '0' && d.space) digits[0] = ' ';

  uint32_t precision = d.hasPrecision ? (d.precision < kMaxNumberField ? d.precision : kMaxNumberField) : 1;
  uint32_t width = d.hasWidth ? (d.width < kMaxNumberField ? d.width : kMaxNumberField) : 0;
  uint32_t shown = digitCount > precision ? digitCount : precision;
  uint32_t field = width > shown ? width : shown;

  char scratch[1 + kMaxNumberField];
  uint32_t n = 0;
  if (sign != 0) scratch[n++] = sign;
  for (uint32_t i = shown; i < field; ++i) scratch[n++] = d.zeroPad ? '0' : ' ';
  for (uint32_t i = digitCount; i < shown; ++i) scratch[n++] = '0';
  for (uint32_t i = digitCount; i > 0; --i) scratch[n++] = digits[i - 1];
  out.Put(scratch, n);
}

void FormatText(FormatOutput& out, const Directive& d, va_list& arguments) {
  const char* pointer = va_arg(arguments, const char*);
  const char* text = pointer;
  size_t available;  // characters the argument holds, or SIZE_MAX when only its terminator ends it
  if (pointer == nullptr) {
    text = "<NULL>";
    available = 6;
  } else if (d.lengthPrefixed) {
    available = static_cast<uint8_t>(pointer[0]);
    text = pointer + 1;
  } else {
    available = SIZE_MAX;
  }
  size_t width = d.hasWidth ? d.width : (available != SIZE_MAX ? available : std::strlen(text));
  if (width > out.room) width = out.room;
  size_t take = d.hasPrecision && d.precision < width ? d.precision : width;
  size_t count = 0;
  if (available != SIZE_MAX) {
    count = take < available ? take : available;
  } else {
    while (count < take && text[count] != 0) ++count;
  }
  if (!d.leftAlign) {
    for (size_t i = count; i < width; ++i) out.Put(' ');
  }
  out.Put(text, count);
  if (d.leftAlign) {
    for (size_t i = count; i < width; ++i) out.Put(' ');
  }
}

void FormatPointer(FormatOutput& out, va_list& arguments) {
  auto value = reinterpret_cast<uintptr_t>(va_arg(arguments, void*));
  char text[2 + 2 * sizeof(uintptr_t)];
  text[0] = '0';
  text[1] = 'x';
  for (size_t i = 0; i < 2 * sizeof(uintptr_t); ++i) {
    text[2 + i] = "0123456789ABCDEF"[(value >> (4 * (2 * sizeof(uintptr_t) - 1 - i))) & 0xF];
  }
  out.Put(text, sizeof text);
}

}  // namespace

char* PlatformFormatStringV(char* destination, uint32_t size, const char* format, va_list arguments) {
  if (destination == nullptr || size == 0) return destination;
  FormatOutput out{destination, size - 1};
  const char* f = OrEmpty(format);
  va_list args;
  va_copy(args, arguments);
  while (out.room != 0 && *f != 0) {
    if (*f != '%') {
      out.Put(*f++);
      continue;
    }
    const char* start = f++;
    if (*f == '%') {
      out.Put('%');
      ++f;
      continue;
    }
    Directive d;
    for (bool more = true; more;) {
      switch (*f) {
        case '-': d.leftAlign = true; break;
        case '+': d.plus = true; break;
        case ' ': d.space = true; break;
        case '#': d.lengthPrefixed = true; break;
        case '0': d.zeroPad = true; break;
        default: more = false; continue;
      }
      ++f;
    }
    if (*f == '*') {
      int value = va_arg(args, int);
      d.hasWidth = value >= 0;  // a negative width counts as not given
      d.width = value < 0 ? 0 : static_cast<uint32_t>(value);
      ++f;
    } else if (*f >= '0' && *f <= '9') {
      d.hasWidth = true;
      d.width = ParseCount(f);
    }
    if (*f == '.') {
      ++f;
      if (*f == '*') {
        int value = va_arg(args, int);
        d.hasPrecision = value >= 0;  // a negative precision counts as not given
        d.precision = value < 0 ? 0 : static_cast<uint32_t>(value);
        ++f;
      } else {
        d.hasPrecision = true;
        d.precision = ParseCount(f);
      }
    }
    if (*f == 'h') {
      d.length = ArgumentLength::kShort;
      ++f;
    } else if (*f == 'l') {
      ++f;
      if (*f == 'l') {
        d.length = ArgumentLength::kLong64;
        ++f;
      }
    } else if (*f == 'L' || *f == 'q') {
      d.length = ArgumentLength::kLong64;
      ++f;
    }
    char conversion = *f;
    switch (conversion) {
      case 'd': case 'i': case 'u': case 'o': case 'x': case 'X':
        FormatNumber(out, d, conversion, args);
        break;
      case 'p':
        FormatPointer(out, args);
        break;
      case 'c':
        out.Put(static_cast<char>(va_arg(args, int)));
        break;
      case 's':
        FormatText(out, d, args);
        break;
      case 'n': {
        auto* count = va_arg(args, int32_t*);
        if (count != nullptr) *count = static_cast<int32_t>(out.written);
        break;
      }
      case 0:  // the format ends inside the directive: its characters stand as they are
        out.Put(start, static_cast<size_t>(f - start));
        continue;
      default:  // not a conversion: copied unchanged
        out.Put(start, static_cast<size_t>(f - start) + 1);
        break;
    }
    ++f;
  }
  va_end(args);
  destination[out.written] = 0;
  return destination;
}

char* PlatformFormatString(char* destination, uint32_t size, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  PlatformFormatStringV(destination, size, format, arguments);
  va_end(arguments);
  return destination;
}
