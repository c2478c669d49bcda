// Reports of the markup parser: the formatted text and where in the buffer the problem lies.
#include "platform/markup/markup_messages.h"

#include "platform/core/strings.h"

namespace {

bool IsLineBreak(uint8_t c) { return c == '\r' || c == '\n'; }

// Line number (CR LF counts once, a lone CR or LF counts), line start and line length of an offset.
void LocateLine(const uint8_t* bytes, uint32_t size, uint32_t offset, MarkupMessage* message) {
  if (offset > size) offset = size;
  int32_t line = 1;
  for (uint32_t i = 0; i < offset; ++i) {
    if (bytes[i] == '\n' || (bytes[i] == '\r' && !(i + 1 < size && bytes[i + 1] == '\n'))) ++line;
  }
  uint32_t start = 0;
  for (uint32_t i = offset < size ? offset + 1 : size; i > 0; --i) {
    if (IsLineBreak(bytes[i - 1])) {
      start = i - 1;
      break;
    }
  }
  uint32_t end = start;
  while (end < size && bytes[end] != 0 && !IsLineBreak(bytes[end])) ++end;
  message->line = line;
  message->lineStart = static_cast<int32_t>(start);
  message->lineLength = static_cast<int32_t>(end - start);
}

}  // namespace

PlatformError ReportMarkupError(PlatformHandle* buffer, PlatformHandle* sink, PlatformError code, int32_t kind,
                                int32_t severity, uint32_t sourceOffset, uint32_t length, const char* detail,
                                const char* format, const char* argument) {
  if (sink == nullptr) return kPlatformNoError;
  MarkupMessage message;
  PlatformClearBlock(&message, sizeof message);
  message.code = code;
  message.kind = kind;
  message.severity = severity;
  message.sourceOffset = static_cast<int32_t>(sourceOffset);
  message.length = static_cast<int32_t>(length);
  message.line = message.lineStart = message.lineLength = -1;
  if (buffer != nullptr && buffer->data != nullptr && sourceOffset != kMarkupNoOffset) {
    LocateLine(static_cast<const uint8_t*>(buffer->data), buffer->size, sourceOffset, &message);
  }
  if (detail != nullptr) PlatformCopyStringBounded(message.detail, detail, sizeof message.detail);
  PlatformFormatString(message.text, sizeof message.text, format, argument);
  return PlatformHandle::AppendBytes(sink, &message, sizeof message);
}
