// The calling thread's last-error number and the system error numbers the host layer reports.
//
// Every host call that fails sets the thread's last error to one of these numbers (the file calls translate the
// POSIX errno they meet); callers read it with GetLastError right after the failing call.
#pragma once

#include "host/types.h"

DWORD GetLastError();
void SetLastError(DWORD code);

#define ERROR_SUCCESS 0u
#define ERROR_INVALID_FUNCTION 1u
#define ERROR_FILE_NOT_FOUND 2u
#define ERROR_PATH_NOT_FOUND 3u
#define ERROR_TOO_MANY_OPEN_FILES 4u
#define ERROR_ACCESS_DENIED 5u
#define ERROR_INVALID_HANDLE 6u
#define ERROR_NOT_ENOUGH_MEMORY 8u
#define ERROR_INVALID_ACCESS 12u
#define ERROR_OUTOFMEMORY 14u
#define ERROR_INVALID_DRIVE 15u
#define ERROR_CURRENT_DIRECTORY 16u
#define ERROR_NO_MORE_FILES 18u
#define ERROR_WRITE_PROTECT 19u
#define ERROR_BAD_UNIT 20u
#define ERROR_NOT_READY 21u
#define ERROR_SEEK 25u
#define ERROR_SECTOR_NOT_FOUND 27u
#define ERROR_GEN_FAILURE 31u
#define ERROR_SHARING_VIOLATION 32u
#define ERROR_LOCK_VIOLATION 33u
#define ERROR_HANDLE_EOF 38u
#define ERROR_HANDLE_DISK_FULL 39u
#define ERROR_REM_NOT_LIST 51u
#define ERROR_DUP_NAME 52u
#define ERROR_BAD_NETPATH 53u
#define ERROR_DEV_NOT_EXIST 55u
#define ERROR_FILE_EXISTS 80u
#define ERROR_CANNOT_MAKE 82u
#define ERROR_OUT_OF_STRUCTURES 84u
#define ERROR_INVALID_PARAMETER 87u
#define ERROR_DISK_CHANGE 107u
#define ERROR_DRIVE_LOCKED 108u
#define ERROR_OPEN_FAILED 110u
#define ERROR_DISK_FULL 112u
#define ERROR_NO_MORE_SEARCH_HANDLES 113u
#define ERROR_INSUFFICIENT_BUFFER 122u
#define ERROR_INVALID_NAME 123u
#define ERROR_NO_VOLUME_LABEL 125u
#define ERROR_NEGATIVE_SEEK 131u
#define ERROR_SEEK_ON_DEVICE 132u
#define ERROR_DIR_NOT_ROOT 144u
#define ERROR_DIR_NOT_EMPTY 145u
#define ERROR_PATH_BUSY 148u
#define ERROR_BAD_PATHNAME 161u
#define ERROR_BUSY 170u
#define ERROR_ALREADY_EXISTS 183u
#define ERROR_FILENAME_EXCED_RANGE 206u
#define ERROR_DIRECTORY 267u
#define ERROR_FILE_INVALID 1006u
#define ERROR_NO_MORE_USER_HANDLES 1158u
#define ERROR_CANCELLED 1223u
