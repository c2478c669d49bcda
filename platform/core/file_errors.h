// System error numbers as framework codes: the file layer's map of Win32 errors to PlatformError values.
#pragma once

#include <cstdint>

#include "platform/core/platform_error.h"

PlatformError TranslateWin32Error(uint32_t code);
// The last system error, mapped; a failure that left no error number is still a failure (-7200).
PlatformError LastFileError();
