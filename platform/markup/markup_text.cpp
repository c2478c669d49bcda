// Escaping and decoding markup text in place: "%XX" escapes for addresses, entities ("&amp;", "&#65;") for
// text.
#include <cstring>
#include <string>

#include "platform/markup/markup_characters.h"
#include "platform/markup/markup_document.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The entity of a byte of the entity escape class (or a space).
void AppendEntity(std::string& out, uint8_t c) {
  switch (c) {
    case '&': out += "&amp;"; return;
    case '<': out += "&lt;"; return;
    case '>': out += "&gt;"; return;
    case 160: out += "&nbsp;"; return;
    case 169: out += "&copy;"; return;
    case 174: out += "&reg;"; return;
    default:
      out += "&#";
      out += std::to_string(c);
      out += ';';
      return;
  }
}

// The byte an entity stands for, given the entity upper-cased from "&" to ";"; -1 when it is none.
int EntityValue(const char* entity, size_t length) {
  static const struct {
    const char* name;
    int value;
  } kNamed[] = {{"&AMP;", '&'}, {"&LT;", '<'}, {"&GT;", '>'},   {"&QUOT;", '"'},
                {"&NBSP;", 160}, {"&COPY;", 169}, {"&REG;", 174}};
  for (const auto& named : kNamed) {
    if (std::strlen(named.name) == length && std::memcmp(named.name, entity, length) == 0) return named.value;
  }
  // "&#" and decimal digits: at most six characters in all.
  if (length < 4 || length > 6 || entity[1] != '#') return -1;
  int value = 0;
  for (size_t i = 2; i + 1 < length; ++i) {
    if (entity[i] < '0' || entity[i] > '9') return -1;
    value = value * 10 + (entity[i] - '0');
  }
  return value & 0xFF;
}

}  // namespace

PlatformError EscapeMarkupText(PlatformHandle* handle, bool urlForm, bool escapeSpaces) {
  if (handle == nullptr) return kPlatformErrBadData;
  const auto* bytes = static_cast<const uint8_t*>(handle->data);
  const uint32_t size = handle->size;
  std::string out;
  out.reserve(size + size / 4);
  bool escapedAny = false;
  for (uint32_t i = 0; i < size; ++i) {
    uint8_t c = bytes[i];
    bool spaceEscaped = escapeSpaces && markup::IsSpace(c);
    if (urlForm) {
      bool escape = markup::Is(c, markup::kUrlEscapeClass) || spaceEscaped;
      // A "%" at the very end of a text that needed no escape before it is taken as already escaped.
      if (c == '%' && i + 1 == size && !escapedAny) escape = false;
      if (!escape) {
        out += static_cast<char>(c);
        continue;
      }
      out += '%';
      out += kHexDigits[c >> 4];
      out += kHexDigits[c & 0x0F];
      escapedAny = true;
    } else if (markup::Is(c, markup::kEntityEscapeClass) || spaceEscaped) {
      AppendEntity(out, c);
    } else {
      out += static_cast<char>(c);
    }
  }
  if (out.size() == size) return kPlatformNoError;  // nothing was escaped
  if (out.size() > UINT32_MAX) return kPlatformErrNoMemory;
  return PlatformHandle::SetBytes(handle, out.data(), static_cast<uint32_t>(out.size()));
}

PlatformError DecodeMarkupEntities(PlatformHandle* handle, bool percentForm) {
  if (handle == nullptr) return kPlatformErrBadData;
  if (percentForm) return DecodePercentEscapes(handle);
  auto* bytes = static_cast<char*>(handle->data);
  const uint32_t size = handle->size;
  uint32_t write = 0;
  for (uint32_t read = 0; read < size;) {
    if (bytes[read] == '&' && read + 2 < size) {
      // Up to 17 characters, upper-cased, until a ";" has been taken (which may be the text's last byte).
      char entity[17];
      size_t length = 0;
      for (uint32_t k = read; k < size && length < sizeof entity; ++k) {
        entity[length++] = markup::Upper(bytes[k]);
        if (bytes[k] == ';') break;
      }
      int value = entity[length - 1] == ';' ? EntityValue(entity, length) : -1;
      if (value >= 0) {
        bytes[write++] = value == 0 ? ' ' : static_cast<char>(value);
        read += static_cast<uint32_t>(length);
        continue;
      }
    }
    bytes[write++] = bytes[read++];
  }
  return write == size ? kPlatformNoError : PlatformHandle::SetSize(handle, write);
}
