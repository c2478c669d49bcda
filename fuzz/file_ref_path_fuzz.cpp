// Fuzz target: path text of file references. The input (up to its first zero byte) is resolved from a
// reference to a scratch folder that holds a few folders, a file and a file standing for a container, as the
// public file operations resolve a name. A failure leaves the base as it was; a success resolves the same in
// place, its path text cut to any buffer size stays terminated within it, and that text (when it is the scratch
// folder's and every name fits) resolves again from the root to the same reference. Each component popped again
// decodes to the name it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_folder.h"
#include "platform/core/file_manager.h"
#include "platform/core/file_ref.h"

namespace {

PlatformHandle* base = nullptr;
std::string basePathText;

std::vector<uint8_t> BytesOf(PlatformHandle* ref) {
  const auto* bytes = static_cast<const uint8_t*>(ref->data);
  return std::vector<uint8_t>(bytes, bytes + ref->size);
}

std::string PathText(PlatformHandle* ref) {
  std::vector<char> text(1 << 15);
  FuzzCheck(FileRef::GetPathText(ref, text.data(), static_cast<uint32_t>(text.size())) == kPlatformNoError);
  return text.data();
}

// The component chain: length-prefixed names up to the zero end byte.
std::vector<std::string> Components(PlatformHandle* ref) {
  std::vector<std::string> names;
  const uint8_t* chain = FileRef::Data(ref)->components;
  size_t limit = ref->size - offsetof(FileRefData, components);
  for (size_t p = 0; p < limit && chain[p] != 0; p += 1 + chain[p]) {
    FuzzCheck(p + 1 + chain[p] < limit);  // every name and the end byte lie within the handle
    names.emplace_back(reinterpret_cast<const char*>(chain + p + 1), chain[p]);
  }
  return names;
}

// Whether the name's escaped form fits in the 255 characters of path text a name may take.
bool EscapedFits(const std::string& name) {
  size_t length = 0;
  for (char c : name) {
    length += std::strchr("\t\n\r%/:\\", c) != nullptr || c == '\0' ? 3 : 1;
  }
  return length <= kComponentMaxLength;
}

// Path text into buffers of sizes up to the whole: each holds a terminated prefix of the whole text (a buffer
// on the heap of just that size, so that a byte written past it is caught).
void CheckBoundedPathText(PlatformHandle* ref, const std::string& whole) {
  for (size_t size = 1; size <= whole.size() + 1; size += size < 8 ? 1 : whole.size() / 7 + 1) {
    std::vector<char> buffer(size);
    FuzzCheck(FileRef::GetPathText(ref, buffer.data(), static_cast<uint32_t>(size)) == kPlatformNoError);
    FuzzCheck(std::memchr(buffer.data(), '\0', size) != nullptr);
    FuzzCheck(whole.compare(0, std::strlen(buffer.data()), buffer.data()) == 0);
  }
}

void CheckResolved(PlatformHandle* resolved, const char* text) {
  std::string pathText = PathText(resolved);
  std::vector<std::string> names = Components(resolved);
  CheckBoundedPathText(resolved, pathText);

  PlatformHandle* inPlace = nullptr;
  FuzzCheck(FileRef::Resolve(base, 0, &inPlace) == kPlatformNoError);
  FuzzCheck(FileRef::Resolve(inPlace, AsFolderRef(text), nullptr) == kPlatformNoError);
  FuzzCheck(PathText(inPlace) == pathText && Components(inPlace) == names);
  FileRef::Dispose(AsFolderRef(inPlace));

  bool fits = pathText.compare(0, basePathText.size(), basePathText) == 0;
  for (const std::string& name : names) fits = fits && EscapedFits(name);
  if (fits) {
    std::string fromRoot = "/C" + pathText.substr(2);  // "C:/..." named from the root by its volume
    PlatformHandle* again = nullptr;
    FuzzCheck(FileRef::Resolve(base, AsFolderRef(fromRoot.c_str()), &again) == kPlatformNoError);
    FuzzCheck(PathText(again) == pathText && Components(again) == names);
    FileRef::Dispose(AsFolderRef(again));
  }

  for (size_t i = names.size(); i-- > 0;) {
    char popped[256];
    FuzzCheck(FileRef::PopComponent(resolved, popped) == kPlatformNoError);
    if (EscapedFits(names[i])) {
      uint8_t decoded[256];
      FuzzCheck(DecodePathSegment(popped, std::strlen(popped), decoded) == kPlatformNoError);
      FuzzCheck(std::string(reinterpret_cast<const char*>(decoded + 1), decoded[0]) == names[i]);
    }
  }
  FuzzCheck(!FileRef::HasComponents(resolved));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzFolder& folder = TheFuzzFolder();
  const uint8_t text[] = "a file";
  folder.Write("Data/Maps/town.txt", text, sizeof(text));
  folder.Write("box.chk", text, sizeof(text));
  if (PlatformFileSystemStartup() != kPlatformNoError) std::abort();
  base = FileRef::New();
  if (base == nullptr || FileRef::SetFromDrivePath(base, 'C', folder.Path().c_str()) != kPlatformNoError) {
    std::abort();
  }
  basePathText = PathText(base);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  std::string text(reinterpret_cast<const char*>(data), size);
  text.resize(std::strlen(text.c_str()));
  std::vector<uint8_t> before = BytesOf(base);
  PlatformHandle* resolved = nullptr;
  PlatformError error = FileRef::Resolve(base, AsFolderRef(text.c_str()), &resolved);
  FuzzCheck(BytesOf(base) == before);
  if (error != kPlatformNoError) {
    FuzzCheck(resolved == nullptr);
    return 0;
  }
  FuzzCheck(resolved != nullptr);
  CheckResolved(resolved, text.c_str());
  FileRef::Dispose(AsFolderRef(resolved));
  return 0;
}
