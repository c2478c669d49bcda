// The messages the markup parser reports: one fixed-size record per problem, appended to a sink handle that the
// caller passes (the page machinery passes none). Each record locates the problem by offset, line and line text.
#pragma once

#include <cstdint>

#include "platform/core/memory.h"
#include "platform/core/platform_error.h"

// One report, 544 bytes, stored little-endian as laid out here. The line fields are -1 when the report has no
// buffer or no offset.
struct MarkupMessage {
  int32_t code;          // 0, or -7006 for a duplicate parameter
  int32_t kind;          // 1
  int32_t severity;      // 1
  int32_t sourceOffset;  // where the problem is, in the parsed buffer
  int32_t length;        // bytes of the tag between its brackets, or of the tag name for nesting problems
  int32_t line;          // 1-based
  int32_t lineStart;     // offset of the nearest CR or LF at or before the offset, 0 when there is none
  int32_t lineLength;    // bytes from the line start to the next CR, LF or NUL, counted from the line start
  char detail[256];
  char text[256];        // the formatted message
};
static_assert(sizeof(MarkupMessage) == 544, "a markup message is 544 bytes");

constexpr uint32_t kMarkupNoOffset = 0xFFFFFFFF;

// Formats the message (format with one text argument, as PlatformFormatString does) and appends a record to the
// sink. Without a sink nothing is kept and the result is 0; otherwise the append's error.
PlatformError ReportMarkupError(PlatformHandle* buffer, PlatformHandle* sink, PlatformError code, int32_t kind,
                                int32_t severity, uint32_t sourceOffset, uint32_t length, const char* detail,
                                const char* format, const char* argument);
