// The mapping of system error numbers to framework codes.
#include "platform/core/file_errors.h"

#include "host/errors.h"

PlatformError TranslateWin32Error(uint32_t code) {
  switch (code) {
    case 0: return kPlatformNoError;
    case 2: return kPlatformErrFileNotFound;
    case 3: case 53: case 144: case 161: return kPlatformErrPathNotFound;
    case 4: case 18: case 113: case 1158: return kPlatformErrTooManyFiles;
    case 5: case 12: case 19: case 33: case 82: case 110: return kPlatformErrAccessDenied;
    case 8: case 14: case 84: return kPlatformErrNoMemory;
    case 15: case 20: case 51: case 55: case 107: case 1006: case 1173: return kPlatformErrVolumeUnavailable;
    case 16: case 32: case 108: case 145: case 148: case 170: return kPlatformErrFileBusy;
    case 25: case 27: case 38: case 131: case 132: return kPlatformErrEndOfStream;
    case 39: case 112: return kPlatformErrDiskFull;
    case 52: case 80: case 183: return kPlatformErrFileExists;
    case 123: case 125: return kPlatformErrBadFileName;
    case 1223: return kPlatformErrCancelled;
    default: return kPlatformErrFile;
  }
}

// The error of a system call that failed. A failure that leaves no error number would map to 0: it is still a
// failure, never a success.
PlatformError LastFileError() {
  PlatformError error = TranslateWin32Error(GetLastError());
  return error == kPlatformNoError ? kPlatformErrFile : error;
}
