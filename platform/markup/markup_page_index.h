// The index of a document's "PAGE" sections: each with its NAME and TITLE, in document order and in 31 buckets
// by name, so that a page's sections are found by name or by position.
#pragma once

#include <cstdint>

#include "platform/markup/markup_document.h"

struct InterfaceSection {
  InterfaceSection* next;        // in document order
  InterfaceSection* bucketNext;  // in the same bucket
  MarkupNode* page;              // the "PAGE" element
  char name[256];
  char title[256];
};

constexpr uint32_t kMarkupPageBuckets = 31;

struct InterfaceSectionIndex {
  MarkupNode* root;
  uint32_t count;
  uint32_t bucketCount;  // kMarkupPageBuckets
  InterfaceSection* first;
  InterfaceSection* buckets[kMarkupPageBuckets];
};

// One entry per "PAGE" element from the root (a PAGE inside a PAGE is not indexed); null when memory runs out.
InterfaceSectionIndex* BuildMarkupPageIndex(MarkupNode* root);
uint32_t HashMarkupName(const char* text);
// The first section whose NAME equals the name exactly; null when none.
InterfaceSection* FindMarkupPage(InterfaceSectionIndex* index, const char* name);
// The section at a 0-based position in document order; null past the end.
InterfaceSection* GetMarkupPageAt(InterfaceSectionIndex* index, uint32_t position);
// Frees the index and its entries (not the document).
void FreeMarkupPageIndex(InterfaceSectionIndex* index);
