// The pictures of a page tree: one cache on the root page, filled by the sections' "PRELOAD" elements one picture
// per idle step, and by the elements' own requests at once.
#include <cstring>

#include "platform/core/clocks.h"
#include "platform/core/file_manager.h"
#include "platform/core/strings.h"
#include "platform/markup/interface_state.h"

using interface_internal::PageCall;
using interface_internal::RootOf;
using interface_internal::State;

namespace {

constexpr uint32_t kPreloadInterval = 500;  // milliseconds between two preload steps

bool IsLookupMiss(PlatformError error) { return error <= kPlatformErrBadFileName && error >= kPlatformErrFileNotFound; }

InterfacePreloadEntry* FindEntry(InterfacePage* root, const char* name) {
  for (InterfacePreloadEntry* entry = root->imageCache; entry != nullptr; entry = entry->next) {
    if (std::strcmp(entry->fileName, name) == 0) return entry;
  }
  return nullptr;
}

InterfacePreloadEntry* AddEntry(InterfacePage* root, const char* name) {
  const size_t length = std::strlen(name);
  auto* entry = static_cast<InterfacePreloadEntry*>(PlatformNewPointer(sizeof(InterfacePreloadEntry) + length));
  if (entry == nullptr) return nullptr;
  PlatformClearBlock(entry, sizeof(InterfacePreloadEntry));
  std::memcpy(entry->fileName, name, length + 1);
  entry->pending = 1;
  InterfacePreloadEntry** link = &root->imageCache;
  while (*link != nullptr) link = &(*link)->next;
  *link = entry;
  return entry;
}

// Loads the entry's picture from the folder: a file that cannot be found leaves the entry without a picture.
PlatformError LoadEntry(FolderRef folder, InterfacePreloadEntry* entry) {
  entry->pending = 0;
  entry->timeStamp = PlatformGetSeconds();
  PlatformError error = PlatformGetFileInfo(folder, entry->fileName, nullptr, false);
  if (error != kPlatformNoError) return error;
  PlatformHandle* bytes = nullptr;
  error = PlatformReadFileToHandle(folder, entry->fileName, kMarkupFileLimit, true, &bytes);
  if (error != kPlatformNoError) return error;
  error = PlatformDecodeImage(bytes, &entry->world, &entry->mask, &entry->mode, &entry->info);
  PlatformHandle::Dispose(bytes);
  return error;
}

}  // namespace

namespace interface_internal {

void FreeImageCache(InterfacePage* page) {
  while (page->imageCache != nullptr) {
    InterfacePreloadEntry* entry = page->imageCache;
    page->imageCache = entry->next;
    if (entry->world != nullptr) PlatformWorld::DisposeSurface(entry->world);
    if (entry->mask != nullptr) PlatformWorld::DisposeSurface(entry->mask);
    PlatformDisposePointer(entry);
  }
}

}  // namespace interface_internal

PlatformError InterfacePage::GetImage(const char* name, PlatformWorld** world, PlatformWorld** mask,
                                      TransferMode* mode, ImageInfo* info) {
  if (world != nullptr) *world = nullptr;
  if (mask != nullptr) *mask = nullptr;
  InterfacePage* page = State().currentPage;
  if (page == nullptr || name == nullptr) return kPlatformErrBadData;
  InterfacePage* root = RootOf(page);
  InterfacePreloadEntry* entry = FindEntry(root, name);
  if (entry == nullptr) entry = AddEntry(root, name);
  if (entry == nullptr) return kPlatformErrNoMemory;
  if (entry->pending) {
    PlatformError error = LoadEntry(page->folder, entry);
    if (error != kPlatformNoError && !IsLookupMiss(error)) return error;
  }
  entry->timeStamp = PlatformGetSeconds();
  if (entry->world == nullptr) return kPlatformErrFileNotFound;  // callers draw no picture
  if (world != nullptr) *world = entry->world;
  if (mask != nullptr) *mask = entry->mask;
  if (mode != nullptr) *mode = entry->mode;
  if (info != nullptr) *info = entry->info;
  return kPlatformNoError;
}

void InterfacePage::CollectPreloads(InterfacePage* page) {
  if (page->parent != nullptr || page->sectionElements.page == nullptr) return;  // child pages never preload
  MarkupNode* content = page->sectionElements.page->child;
  for (MarkupNode* node = FindMarkupElement(content, nullptr, "PRELOAD", false); node != nullptr;
       node = FindMarkupElement(content, node, "PRELOAD", true)) {
    const char* source = GetMarkupAttribute(node, "SRC");
    if (source == nullptr || source[0] == '\0') continue;
    if (GetMarkupAttribute(node, "IMG") == nullptr && GetMarkupAttribute(node, "IMAGE") == nullptr) continue;
    if (FindEntry(page, source) == nullptr) AddEntry(page, source);
  }
}

PlatformError InterfacePage::LoadPreloads(InterfacePage* page) {
  InterfacePreloadEntry* entry = page->imageCache;
  while (entry != nullptr && !entry->pending) entry = entry->next;
  if (entry == nullptr) return kPlatformNoError;
  PlatformError error = LoadEntry(page->folder, entry);
  if (IsLookupMiss(error)) {
    char message[256];
    PlatformFormatString(message, sizeof message, "Unable to preload image '%s'", entry->fileName);
    return kPlatformNoError;
  }
  return error;
}

PlatformError InterfacePage::Idle(InterfacePage* page) {
  PageCall call;
  int32_t answer = page->currentSection != nullptr ? interface_internal::Notify(page, kPageIdle, nullptr, nullptr) : 0;
  interface_internal::ForEachElement(
      page, [&](InterfaceElement* element) { SendElementMessage(page, element, kElementIdle, 0, 0); });
  if (page->parent == nullptr && page->imageCache != nullptr && !page->closeRequested) {
    const uint32_t now = PlatformTickCount();
    if (now - page->lastPreloadTime >= kPreloadInterval) {
      page->lastPreloadTime = now;
      PlatformError error = LoadPreloads(page);
      if (answer == 0) answer = error;
    }
  }
  return answer;
}
