// The section index of a markup document.
#include "platform/markup/markup_page_index.h"

#include <cstring>

#include "platform/core/strings.h"

uint32_t HashMarkupName(const char* text) {
  uint32_t h = 0;
  for (const auto* p = reinterpret_cast<const uint8_t*>(text); p != nullptr && *p != 0; ++p) {
    h = (h >> 29) ^ (h << 2) ^ *p;
  }
  return h;
}

InterfaceSectionIndex* BuildMarkupPageIndex(MarkupNode* root) {
  auto* index = static_cast<InterfaceSectionIndex*>(PlatformNewPointer(sizeof(InterfaceSectionIndex)));
  if (index == nullptr) return nullptr;
  PlatformClearBlock(index, sizeof(InterfaceSectionIndex));
  index->root = root;
  index->bucketCount = kMarkupPageBuckets;
  InterfaceSection* last = nullptr;
  for (MarkupNode* page = FindMarkupElement(root, nullptr, "PAGE", false); page != nullptr;
       page = FindMarkupElement(root, page, "PAGE", true)) {
    auto* section = static_cast<InterfaceSection*>(PlatformNewPointer(sizeof(InterfaceSection)));
    if (section == nullptr) {
      FreeMarkupPageIndex(index);
      return nullptr;
    }
    PlatformClearBlock(section, sizeof(InterfaceSection));
    section->page = page;
    const char* name = GetMarkupAttribute(page, "NAME");
    const char* title = GetMarkupAttribute(page, "TITLE");
    PlatformCopyStringBounded(section->name, name != nullptr ? name : "", sizeof section->name);
    PlatformCopyStringBounded(section->title, title != nullptr ? title : "", sizeof section->title);
    (last == nullptr ? index->first : last->next) = section;
    last = section;
    InterfaceSection** bucket = &index->buckets[HashMarkupName(section->name) % kMarkupPageBuckets];
    while (*bucket != nullptr) bucket = &(*bucket)->bucketNext;
    *bucket = section;
    ++index->count;
  }
  return index;
}

InterfaceSection* FindMarkupPage(InterfaceSectionIndex* index, const char* name) {
  if (index == nullptr || name == nullptr) return nullptr;
  for (InterfaceSection* section = index->buckets[HashMarkupName(name) % kMarkupPageBuckets]; section != nullptr;
       section = section->bucketNext) {
    if (std::strcmp(section->name, name) == 0) return section;
  }
  return nullptr;
}

InterfaceSection* GetMarkupPageAt(InterfaceSectionIndex* index, uint32_t position) {
  InterfaceSection* section = index == nullptr ? nullptr : index->first;
  for (; section != nullptr && position > 0; --position) section = section->next;
  return section;
}

void FreeMarkupPageIndex(InterfaceSectionIndex* index) {
  if (index == nullptr) return;
  for (InterfaceSection* section = index->first; section != nullptr;) {
    InterfaceSection* next = section->next;
    PlatformDisposePointer(section);
    section = next;
  }
  PlatformDisposePointer(index);
}
