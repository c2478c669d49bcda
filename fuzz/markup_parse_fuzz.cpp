// Fuzz target: the markup parser over arbitrary bytes up to the page file limit, with or without the page
// machinery's tag lists and a message sink; every node is visited with every query, the section index is built
// and searched, and escaping then decoding gives the text back in the form the input chooses. What only opening and drawing a page
// reaches is markup_page_fuzz's: this target runs at the parser's own speed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/core/dictionary.h"
#include "platform/markup/markup_document.h"
#include "platform/markup/markup_messages.h"
#include "platform/markup/markup_page_index.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// The queries that walk the tree from its root cost a walk each; they are asked of the first nodes only, so that
// a long input costs time in proportion to its length and the target keeps its speed.
constexpr uint32_t kNodesAskedFromTheRoot = 32;

void VisitEveryNode(MarkupNode* root) {
  uint32_t expected = 1;
  for (MarkupNode* node = root; node != nullptr; node = NextMarkupNode(root, node), ++expected) {
    Check(node->index == expected);  // numbered in document order
    if (expected > kNodesAskedFromTheRoot) continue;
    MarkupNode* parent = FindMarkupParent(root, node);
    Check(parent == nullptr || parent->child != nullptr);
    Check(LastMarkupDescendant(root, node)->index >= node->index);
    Check(node->data == nullptr || FindMarkupNodeByData(root, node->data) == node);
    if (IsMarkupElement(node)) Check(FindEnclosingElement(root, node, node->name) == node);
    const char* face = nullptr;
    const char* link = nullptr;
    int32_t size = 0;
    MarkupTextStyle style = 0;
    uint32_t colour = 0;
    GetMarkupTextStyle(root, node, &face, &size, &style, &colour, &link);
    Check(((style & kMarkupLink) != 0) == (link != nullptr));
    GetInheritedAttribute(root, node, "A", "HREF", true);
    MarkupNode* text = NextMarkupTextNode(root, node);
    Check(text == nullptr || text->index > node->index);
    if (node->kind <= 0 || node->data == nullptr) continue;
    for (const DictionaryEntry* entry = static_cast<Dictionary*>(node->data)->first; entry != nullptr;
         entry = entry->next) {
      if (IsMarkupElement(node)) Check(GetMarkupAttribute(node, entry->key) == entry->value);
      Rect rect;
      ParseMarkupRect(&rect, entry->value);
      ParseMarkupInteger(entry->value);
      ParseMarkupColor(entry->value);
      ParseMarkupAlign(entry->value);
      ParseMarkupBool(entry->value);
    }
  }
}

void IndexSections(MarkupNode* root) {
  InterfaceSectionIndex* index = BuildMarkupPageIndex(root);
  if (index == nullptr) return;
  uint32_t count = 0;
  for (InterfaceSection* section = index->first; section != nullptr; section = section->next, ++count) {
    InterfaceSection* found = FindMarkupPage(index, section->name);
    Check(found != nullptr && std::strcmp(found->name, section->name) == 0);
    Check(GetMarkupPageAt(index, count) == section);
  }
  Check(count == index->count);
  FreeMarkupPageIndex(index);
}

void RoundTrip(const uint8_t* data, size_t size, bool urlForm, bool escapeSpaces) {
  PlatformHandle* handle = PlatformHandle::FromBytes(data, static_cast<uint32_t>(size));
  if (handle == nullptr) return;
  if (EscapeMarkupText(handle, urlForm, escapeSpaces) == kPlatformNoError &&
      DecodeMarkupEntities(handle, urlForm) == kPlatformNoError) {
    std::string expected(reinterpret_cast<const char*>(data), size);
    for (char& c : expected) {
      if (c == '\0') c = ' ';  // decoding never gives a zero
    }
    Check(handle->size == expected.size() && std::memcmp(handle->data, expected.data(), expected.size()) == 0);
  }
  PlatformHandle::Dispose(handle);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMarkupFileLimit) return 0;
  // The last byte chooses the forms this input is tried in (each input is tried once): with or without the tag
  // lists and the message sink, and which escaping is undone.
  const uint8_t forms = size != 0 ? data[size - 1] : 0;
  const bool withLists = (forms & 1) != 0;
  PlatformHandle* buffer = PlatformHandle::FromBytes(data, static_cast<uint32_t>(size));
  if (buffer == nullptr) return 0;
  PlatformHandle* sink = withLists ? PlatformHandle::New(0) : nullptr;
  MarkupNode* root = nullptr;
  if (ParseMarkup(buffer, withLists ? "SCRIPT" : nullptr, withLists ? "LI BR P" : nullptr, sink, &root) ==
      kPlatformNoError) {
    Check(root != nullptr);
    VisitEveryNode(root);
    IndexSections(root);
    if (root->child != nullptr) root = DetachMarkupNode(root, root->child, true, false);
    FreeMarkupTree(root);
  }
  if (sink != nullptr) {
    Check(PlatformHandle::GetSize(sink) % sizeof(MarkupMessage) == 0);
    PlatformHandle::Dispose(sink);
  }
  PlatformHandle::Dispose(buffer);
  RoundTrip(data, size, (forms & 2) != 0, (forms & 4) != 0);
  return 0;
}
