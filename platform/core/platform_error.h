// The framework's result codes. Every framework operation that can fail returns a PlatformError: 0 for success,
// a negative code for failure, and passes its other results through out-parameters (cleared first).
#pragma once

#include <cstdint>

using PlatformError = int32_t;

// Core and files.
constexpr PlatformError kPlatformNoError = 0;
constexpr PlatformError kPlatformErrSystem = -7000;          // a system call failed, or the handle heap is damaged
constexpr PlatformError kPlatformErrListFull = -7001;        // a fixed list is full
constexpr PlatformError kPlatformErrBadData = -7002;         // bad data, a locked handle, a refused disposal ...
constexpr PlatformError kPlatformErrUndefinedKind = -7003;   // a kind that is not defined, no module handle
constexpr PlatformError kPlatformErrNoMemory = -7004;        // out of memory, or a failed start-up registration
constexpr PlatformError kPlatformErrBadReference = -7005;    // not a folder reference, no such thread
constexpr PlatformError kPlatformErrDuplicateKey = -7006;
constexpr PlatformError kPlatformErrCancelled = -7007;       // cancelled by the user
constexpr PlatformError kPlatformErrFile = -7200;            // any other file error
constexpr PlatformError kPlatformErrBadFileName = -7201;
constexpr PlatformError kPlatformErrPathNotFound = -7202;
constexpr PlatformError kPlatformErrFileNotFound = -7203;
constexpr PlatformError kPlatformErrFileExists = -7204;
constexpr PlatformError kPlatformErrBadContainer = -7206;    // bad "CHNK" container header
constexpr PlatformError kPlatformErrFileBusy = -7208;        // sharing or lock violation
constexpr PlatformError kPlatformErrAccessDenied = -7209;
constexpr PlatformError kPlatformErrEndOfStream = -7210;     // position past the end of a stream
constexpr PlatformError kPlatformErrDiskFull = -7211;
constexpr PlatformError kPlatformErrVolumeUnavailable = -7212;
constexpr PlatformError kPlatformErrTooManyFiles = -7213;
constexpr PlatformError kPlatformErrContainerOfStream = -7214;  // the container a reference is rooted in

// Graphics and image import.
constexpr PlatformError kPlatformErrGraphics = -7300;        // a drawing surface could not be made or synchronised
constexpr PlatformError kPlatformErrNotAnImage = -7301;      // no image of a known type, or an unsupported variant
constexpr PlatformError kPlatformErrImageData = -7302;       // a read past the end, or a header value out of range
// The other graphics codes (-7303 to -7305, -7999) stand beside the code that gives them.
