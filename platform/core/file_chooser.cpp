// The file and folder choosers: the system's file dialog, or the same questions on the console.
//
// Both start from a copy of the default folder's reference. The dialog answers a full path, which is split into
// the folder (set into the reference) and the name. The console questions run with the working folder set to
// that folder, so a relative answer is taken from there, and put the working folder back afterwards.
#include "platform/core/file_chooser.h"

#include <cstring>
#include <string>

#include "host/dialogs.h"
#include "host/errors.h"
#include "host/files.h"
#include "host/kernel.h"
#include "platform/core/file_manager.h"
#include "platform/core/strings.h"

namespace {

FILE* consoleIn = nullptr;
FILE* consoleOut = nullptr;

FILE* In() { return consoleIn != nullptr ? consoleIn : stdin; }
FILE* Out() { return consoleOut != nullptr ? consoleOut : stdout; }

// Owns a registered reference until it is handed to the caller.
class ChosenFolder {
 public:
  ~ChosenFolder() {
    if (ref_ != 0) PlatformReleaseFolder(ref_);
  }
  PlatformError Start() { return PlatformResolveFolder(0, "", &ref_); }
  PlatformHandle* Handle() const { return reinterpret_cast<PlatformHandle*>(ref_); }
  FolderRef Take() {
    FolderRef ref = ref_;
    ref_ = 0;
    return ref;
  }

 private:
  FolderRef ref_ = 0;
};

// Points the reference at the folder of a full "C:\..." path; the part after the last separator goes to name
// (when name is not null).
PlatformError SetFromFullPath(PlatformHandle* ref, const std::string& full, char* name, bool splitName) {
  if (full.size() < 3 || full[1] != ':') return kPlatformErrBadFileName;
  std::string folder = full;
  if (splitName) {
    size_t separator = full.find_last_of("\\/");
    if (separator == std::string::npos || separator < 2) return kPlatformErrBadFileName;
    if (name != nullptr) PlatformCopyStringBounded(name, full.c_str() + separator + 1, kChooserNameSize);
    folder = full.substr(0, separator);
    if (folder.size() == 2) folder += "\\";
  }
  return FileRef::SetFromDrivePath(ref, folder[0], folder.c_str() + 2);
}

PlatformError FullPathOf(const char* text, std::string* out) {
  char full[kWindowsPathSize];
  DWORD length = GetFullPathNameA(text, sizeof(full), full, nullptr);
  if (length == 0) return LastFileError();
  if (length >= sizeof(full)) return kPlatformErrBadFileName;
  *out = full;
  return kPlatformNoError;
}

// The record both dialogs start from.
OPENFILENAMEA DialogRecord(char* file, DWORD fileSize, const char* title, DWORD flags) {
  OPENFILENAMEA record = {};
  record.lStructSize = sizeof(OPENFILENAMEA);
  record.hInstance = GetModuleHandleA(nullptr);
  record.lpstrFilter = "All Files (*.*)\0*.*\0";
  record.nFilterIndex = 1;
  record.lpstrFile = file;
  record.nMaxFile = fileSize;
  record.lpstrTitle = title;
  record.Flags = flags;
  return record;
}

// A dialog's answer when it gave none: Cancel, or the sign that no dialog could be shown.
bool DialogUnavailable() {
  DWORD code = CommDlgExtendedError();
  return code == CDERR_INITIALIZATION;
}

// One console answer: a line cut at its first blank, tab or line end; empty at the end of input.
std::string ReadAnswer() {
  std::string line;
  int c;
  while ((c = std::fgetc(In())) != EOF && c != '\n') line += static_cast<char>(c);
  size_t cut = line.find_first_of(" \t\r\n");
  if (cut != std::string::npos) line.resize(cut);
  return line;
}

// One key of a yes/no question: the first byte of the line typed ('\n' for an empty line, 0 at the end of input).
int ReadKey() {
  int c = std::fgetc(In());
  if (c == EOF) return 0;
  int key = c;
  while (c != '\n' && c != EOF) c = std::fgetc(In());
  return key;
}

void Ask(const char* prompt, const std::string& question) {
  if (prompt != nullptr && prompt[0] != '\0') {
    std::fprintf(Out(), "%s ", prompt);
  } else {
    std::fputs(question.c_str(), Out());
  }
  std::fflush(Out());
}

// Runs a console dialogue with the working folder set to the reference's folder, and sets it back.
template <typename Dialogue>
PlatformError InWorkingFolder(PlatformHandle* ref, Dialogue dialogue) {
  char saved[kWindowsPathSize];
  DWORD savedLength = GetCurrentDirectoryA(sizeof(saved), saved);
  if (savedLength == 0 || savedLength >= sizeof(saved)) return LastFileError();
  char folder[kWindowsPathSize];
  FileRef::GetWindowsPath(ref, folder);
  if (!SetCurrentDirectoryA(folder)) return LastFileError();
  PlatformError error = dialogue();
  if (!SetCurrentDirectoryA(saved) && error == kPlatformNoError) error = LastFileError();
  return error;
}

PlatformError ConsoleOpen(PlatformHandle* ref, const char* prompt, bool folder, char* name) {
  const char* kind = folder ? "folder" : "file";
  return InWorkingFolder(ref, [&]() -> PlatformError {
    for (;;) {
      Ask(prompt, std::string("Select a ") + kind + ": ");
      std::string answer = ReadAnswer();
      if (answer.empty()) return kPlatformErrCancelled;
      DWORD attributes = GetFileAttributesA(answer.c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(Out(), "There is no such %s.\n\n", kind);
        continue;
      }
      if (((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != folder) {
        std::fprintf(Out(), "That is not a %s!\n\n", kind);
        continue;
      }
      std::string full;
      PlatformError error = FullPathOf(answer.c_str(), &full);
      if (error != kPlatformNoError) return error;
      return SetFromFullPath(ref, full, name, !folder);
    }
  });
}

PlatformError ConsoleSave(PlatformHandle* ref, const char* prompt, uint8_t* exists, char* name) {
  return InWorkingFolder(ref, [&]() -> PlatformError {
    int replaceQuestions = 0;
    for (;;) {
      Ask(prompt, "Enter a file name: ");
      std::string answer = ReadAnswer();
      if (answer.empty()) return kPlatformErrCancelled;
      DWORD attributes = GetFileAttributesA(answer.c_str());
      bool replace = false;
      if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD code = GetLastError();
        if (code != ERROR_FILE_NOT_FOUND) return TranslateWin32Error(code);
        *exists = 0;
        replace = true;
      } else {
        const char* kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? "folder" : "file";
        for (;;) {
          // The whole question the first time and every fifth time, the short one in between.
          if (replaceQuestions++ % 5 == 0) {
            std::fprintf(Out(), "A %s with that name already exists. Replace it? [y/N] : ", kind);
          } else {
            std::fputs("[y/N] : ", Out());
          }
          std::fflush(Out());
          int key = ReadKey();
          if (key == 'Y' || key == 'y') {
            *exists = 1;
            replace = true;
            break;
          }
          if (key == 'N' || key == 'n' || key == ' ' || key == '\r' || key == '\n') break;
          if (key == 0) return kPlatformErrCancelled;  // the input ended
        }
      }
      if (!replace) continue;
      std::string full;
      PlatformError error = FullPathOf(answer.c_str(), &full);
      if (error != kPlatformNoError) return error;
      return SetFromFullPath(ref, full, name, true);
    }
  });
}

}  // namespace

PlatformError PlatformChooseFileToOpen(const char* prompt, bool folder, int32_t /*spare*/, FolderRef* outFolder,
                                       char* outName) {
  *outFolder = 0;
  if (outName != nullptr) outName[0] = '\0';
  ChosenFolder chosen;
  PlatformError error = chosen.Start();
  if (error != kPlatformNoError) return error;
  char name[kChooserNameSize] = "";
  if (GetModuleHandleA(nullptr) == nullptr) return kPlatformErrUndefinedKind;
  char file[kWindowsPathSize + 1] = "";
  const char* title = prompt != nullptr && prompt[0] != '\0' ? prompt : folder ? "Select a folder" : "Select a file";
  OPENFILENAMEA record = DialogRecord(file, sizeof(file), title, OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
  if (GetOpenFileNameA(&record)) {
    std::string full;
    error = FullPathOf(file, &full);
    // With the folder flag the user picked an item inside the wanted folder.
    if (error == kPlatformNoError) error = SetFromFullPath(chosen.Handle(), full, folder ? nullptr : name, true);
  } else if (DialogUnavailable()) {
    error = ConsoleOpen(chosen.Handle(), prompt, folder, name);
  } else {
    error = kPlatformErrCancelled;
  }
  if (error != kPlatformNoError) return error;
  *outFolder = chosen.Take();
  if (outName != nullptr) PlatformCopyStringBounded(outName, name, kChooserNameSize);
  return kPlatformNoError;
}

PlatformError PlatformChooseFileToSave(const char* prompt, const char* defaultName, uint8_t* outExists,
                                       FolderRef* outFolder, char* outName) {
  *outFolder = 0;
  if (outName != nullptr) outName[0] = '\0';
  if (outExists != nullptr) *outExists = 0;
  ChosenFolder chosen;
  PlatformError error = chosen.Start();
  if (error != kPlatformNoError) return error;
  if (GetModuleHandleA(nullptr) == nullptr) return kPlatformErrUndefinedKind;
  char name[kChooserNameSize] = "";
  uint8_t exists = 0;
  char file[kWindowsPathSize + 1] = "";
  if (defaultName != nullptr) PlatformCopyStringBounded(file, defaultName, sizeof(file));
  const char* title = prompt != nullptr && prompt[0] != '\0' ? prompt : "Save As";
  OPENFILENAMEA record =
      DialogRecord(file, sizeof(file), title, OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN);
  if (GetSaveFileNameA(&record)) {
    exists = !(GetFileAttributesA(file) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND);
    std::string full;
    error = FullPathOf(file, &full);
    if (error == kPlatformNoError) error = SetFromFullPath(chosen.Handle(), full, name, true);
  } else if (DialogUnavailable()) {
    error = ConsoleSave(chosen.Handle(), prompt, &exists, name);
  } else {
    error = kPlatformErrCancelled;
  }
  if (error != kPlatformNoError) return error;
  *outFolder = chosen.Take();
  if (outName != nullptr) PlatformCopyStringBounded(outName, name, kChooserNameSize);
  if (outExists != nullptr) *outExists = exists;
  return kPlatformNoError;
}

void PlatformSetChooserConsole(FILE* in, FILE* out) {
  consoleIn = in;
  consoleOut = out;
}
