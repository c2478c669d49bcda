// The file manager's choosers: ask the user for an item to open (a file, or a folder) or a name to save under.
// Each gives the folder that holds the item as a registered FolderRef (the caller releases it with
// PlatformReleaseFolder) and the item's name apart, ready for the other file operations.
//
// The question goes to the system's file dialog; when no dialog can be shown (no display, a console program)
// it is asked on the console instead, one answer a line.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/core/file_ref.h"
#include "platform/core/platform_error.h"

constexpr uint32_t kChooserNameSize = 256;  // bytes of the out name buffers, the terminator included

// prompt: the dialog's title or the console question (null or empty: the default one). With folder set the user
// picks a folder and the name stays empty. The spare argument is not used. Results: 0, kPlatformErrCancelled,
// or a file error; the out reference is 0 and the name empty unless the result is 0.
PlatformError PlatformChooseFileToOpen(const char* prompt, bool folder, int32_t spare, FolderRef* outFolder,
                                       char* outName);
// defaultName: the name proposed (null: none). *outExists is 1 when the chosen name is of an item that exists
// (the user agreed to replace it).
PlatformError PlatformChooseFileToSave(const char* prompt, const char* defaultName, uint8_t* outExists,
                                       FolderRef* outFolder, char* outName);

// Where the console questions are asked and answered: standard input and output unless set (null restores
// them). For programs driven by a script, and for tests.
void PlatformSetChooserConsole(FILE* in, FILE* out);
