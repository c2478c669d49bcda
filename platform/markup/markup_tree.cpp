// The markup tree: making, linking, detaching, numbering and freeing nodes, and the queries that walk it.
//
// Walks step through parent links instead of searching from the root by preorder number, and every walk is a
// loop rather than a recursion, so that documents tens of thousands of elements deep neither take quadratic time
// nor run out of stack.
#include <cstring>

#include "platform/markup/markup_characters.h"
#include "platform/markup/markup_document.h"

namespace {

// Elements and special tags own an attribute table; the text kinds own their text.
bool OwnsTable(const MarkupNode* node) { return node->kind > 0; }

void FreeNode(MarkupNode* node) {
  PlatformDisposePointer(node->name);
  if (node->data != nullptr) {
    if (OwnsTable(node)) {
      DisposeDictionary(static_cast<Dictionary*>(node->data));
    } else {
      PlatformDisposePointer(node->data);
    }
  }
  PlatformDisposePointer(node);
}

char* CopyBytes(const char* bytes, uint32_t length) {
  char* copy = static_cast<char*>(PlatformNewPointer(size_t{length} + 1));
  if (copy == nullptr) return nullptr;
  if (length != 0) std::memcpy(copy, bytes, length);
  copy[length] = '\0';
  return copy;
}

// The next node in document order within the chain that starts at a node whose parent is `top`.
MarkupNode* Successor(MarkupNode* node, const MarkupNode* top) {
  if (node->child != nullptr) return node->child;
  for (MarkupNode* at = node; at != nullptr; at = at->parent) {
    if (at->next != nullptr) return at->next;
    if (at->parent == top) return nullptr;
  }
  return nullptr;
}

bool NameIs(const MarkupNode* node, const char* upperName) {
  return IsMarkupElement(node) && std::strcmp(node->name, upperName) == 0;
}

}  // namespace

MarkupNode* MakeMarkupNode(int32_t kind, const char* bytes, uint32_t length) {
  auto* node = static_cast<MarkupNode*>(PlatformNewPointer(sizeof(MarkupNode)));
  if (node == nullptr) return nullptr;
  PlatformClearBlock(node, sizeof(MarkupNode));
  node->kind = kind;
  node->index = 1;
  if (bytes == nullptr) length = 0;
  if (kind == kMarkupElement || kind == kMarkupEmptyElement) {
    node->name = CopyBytes(bytes, length);
    // The table refuses a second value for a name, so that a duplicate attribute can be reported.
    node->data = node->name == nullptr ? nullptr : NewDictionary(kDictionaryUnique);
    if (node->data == nullptr) {
      FreeNode(node);
      return nullptr;
    }
  } else if (kind <= kMarkupText && kind >= kMarkupComment) {
    node->data = CopyBytes(bytes, length);
    if (node->data == nullptr) {
      FreeNode(node);
      return nullptr;
    }
  }
  return node;
}

MarkupNode* NewMarkupNode(MarkupNode** root, MarkupNode* parent, bool prepend, int32_t kind, const char* bytes,
                          uint32_t length) {
  MarkupNode* node = MakeMarkupNode(kind, bytes, length);
  return node == nullptr ? nullptr : LinkMarkupNode(root, parent, node, prepend);
}

MarkupNode* LinkMarkupNode(MarkupNode** root, MarkupNode* parent, MarkupNode* node, bool prepend) {
  if (node == nullptr || root == nullptr) return node;
  MarkupNode* last = node;
  for (MarkupNode* at = node; at != nullptr; at = at->next) {
    at->parent = parent;
    last = at;
  }
  MarkupNode** head = parent != nullptr ? &parent->child : root;
  if (*head == nullptr) {
    *head = node;
  } else if (prepend) {
    last->next = *head;
    *head = node;
  } else {
    MarkupNode* tail = *head;
    while (tail->next != nullptr) tail = tail->next;
    tail->next = node;
  }
  if (*root != nullptr) NumberMarkupNodes(*root, 1);
  return node;
}

MarkupNode* DetachMarkupNode(MarkupNode* root, MarkupNode* node, bool dispose, bool withSubtree) {
  if (node == nullptr) return root;
  MarkupNode* parent = node->parent;
  MarkupNode** link = parent != nullptr ? &parent->child : &root;
  while (*link != nullptr && *link != node) link = &(*link)->next;
  if (*link == nullptr) return root;  // not in this tree
  MarkupNode* replacement = node->next;
  if (!withSubtree && node->child != nullptr) {
    MarkupNode* last = node->child;
    for (MarkupNode* at = node->child; at != nullptr; at = at->next) {
      at->parent = parent;
      last = at;
    }
    last->next = node->next;
    replacement = node->child;
    node->child = nullptr;
  }
  *link = replacement;
  node->next = nullptr;
  node->parent = nullptr;
  if (dispose) {
    FreeMarkupTree(node);
  } else {
    NumberMarkupNodes(node, 1);
  }
  if (root != nullptr) NumberMarkupNodes(root, 1);
  return root;
}

void FreeMarkupTree(MarkupNode* node) {
  // The tree becomes one chain in document order: the children join it right behind their parent, so each node
  // is visited once.
  size_t count = 0;
  for (MarkupNode* at = node; at != nullptr; at = at->next, ++count) {
    if (at->child == nullptr) continue;
    MarkupNode* last = at->child;
    while (last->next != nullptr) last = last->next;
    last->next = at->next;
    at->next = at->child;
    at->child = nullptr;
  }
  // Freed last first: attribute tables were made in document order, and the newest table is the quickest to
  // take out of the process-wide list of tables.
  auto** nodes = static_cast<MarkupNode**>(PlatformNewPointer(count * sizeof(MarkupNode*)));
  if (nodes == nullptr) {
    while (node != nullptr) {
      MarkupNode* next = node->next;
      FreeNode(node);
      node = next;
    }
    return;
  }
  size_t i = 0;
  for (MarkupNode* at = node; at != nullptr; at = at->next) nodes[i++] = at;
  while (i > 0) FreeNode(nodes[--i]);
  PlatformDisposePointer(nodes);
}

uint32_t NumberMarkupNodes(MarkupNode* node, uint32_t first) {
  if (node == nullptr) return first;
  const MarkupNode* top = node->parent;
  for (MarkupNode* at = node; at != nullptr; at = Successor(at, top)) at->index = first++;
  return first;
}

MarkupNode* NextMarkupNode(MarkupNode* root, MarkupNode* node) {
  if (node == nullptr) return nullptr;
  return Successor(node, root != nullptr ? root->parent : nullptr);
}

MarkupNode* FindMarkupParent(MarkupNode* root, MarkupNode* node) { return node == nullptr ? nullptr : node->parent; }

MarkupNode* FindMarkupElement(MarkupNode* root, MarkupNode* after, const char* tagName, bool skipSubtree) {
  char name[256];
  markup::UpperCase255(name, tagName);
  MarkupNode* at = root;
  if (after != nullptr) at = NextMarkupNode(root, skipSubtree ? LastMarkupDescendant(root, after) : after);
  for (; at != nullptr; at = NextMarkupNode(root, at)) {
    if (NameIs(at, name)) return at;
  }
  return nullptr;
}

MarkupNode* FindEnclosingElement(MarkupNode* root, MarkupNode* node, const char* tagName) {
  char name[256];
  markup::UpperCase255(name, tagName);
  for (MarkupNode* at = node; at != nullptr; at = at->parent) {
    if (NameIs(at, name)) return at;
  }
  return nullptr;
}

MarkupNode* LastMarkupDescendant(MarkupNode* root, MarkupNode* node) {
  if (node == nullptr) return nullptr;
  MarkupNode* at = node;
  while (at->child != nullptr) {
    at = at->child;
    while (at->next != nullptr) at = at->next;
  }
  return at;
}

MarkupNode* FindMarkupNodeByData(MarkupNode* node, const void* data) {
  if (data == nullptr || node == nullptr) return node;
  const MarkupNode* top = node->parent;
  for (MarkupNode* at = node; at != nullptr; at = Successor(at, top)) {
    if (at->data == data) return at;
  }
  return nullptr;
}

MarkupNode* NextMarkupTextNode(MarkupNode* root, MarkupNode* node) {
  MarkupNode* at = node == nullptr ? root : NextMarkupNode(root, node);
  for (; at != nullptr; at = NextMarkupNode(root, at)) {
    if (at->kind == kMarkupText && static_cast<const char*>(at->data)[0] != '\0') return at;
  }
  return nullptr;
}

const char* GetMarkupAttribute(MarkupNode* node, const char* name) {
  if (!IsMarkupElement(node) || node->data == nullptr || name == nullptr) return nullptr;
  char key[256];
  markup::UpperCase255(key, name);
  return DictionaryLookup(static_cast<Dictionary*>(node->data), key, nullptr);
}

const char* GetInheritedAttribute(MarkupNode* root, MarkupNode* node, const char* tagName, const char* name,
                                  bool inherit) {
  for (MarkupNode* at = node; at != nullptr; at = inherit ? at->parent : nullptr) {
    if (!IsMarkupElement(at) || (tagName != nullptr && std::strcmp(at->name, tagName) != 0)) continue;
    const char* value = GetMarkupAttribute(at, name);
    if (value != nullptr) return value;
  }
  return nullptr;
}

void GetMarkupTextStyle(MarkupNode* root, MarkupNode* node, const char** face, int32_t* size, MarkupTextStyle* style,
                        uint32_t* colour, const char** link) {
  if (face != nullptr) *face = nullptr;
  if (size != nullptr) *size = 0;
  if (style != nullptr) *style = 0;
  if (colour != nullptr) *colour = 0;
  if (link != nullptr) *link = nullptr;
  if (face != nullptr) *face = GetInheritedAttribute(root, node, nullptr, "FACE", true);
  if (size != nullptr) {
    const char* value = GetInheritedAttribute(root, node, nullptr, "SIZE", true);
    *size = value != nullptr ? ParseMarkupInteger(value) : 0;
  }
  MarkupTextStyle bits = 0;
  if (style != nullptr) {
    static const struct {
      const char* tag;
      MarkupTextStyle bit;
    } kEnclosing[] = {{"B", kMarkupBold},      {"STRONG", kMarkupBold}, {"I", kMarkupItalic},
                      {"EM", kMarkupItalic},   {"U", kMarkupUnderline}, {"TT", kMarkupFixed},
                      {"PRE", kMarkupPreformatted}};
    for (const auto& entry : kEnclosing) {
      if (!(bits & entry.bit) && FindEnclosingElement(root, node, entry.tag) != nullptr) bits |= entry.bit;
    }
  }
  if (style != nullptr || colour != nullptr) {
    const char* fore = GetInheritedAttribute(root, node, nullptr, "FGCOLOR", true);
    if (fore != nullptr) {
      bits |= kMarkupColoured;
      if (colour != nullptr) *colour = ParseMarkupColor(fore);
    }
  }
  if (style != nullptr || link != nullptr) {
    const char* href = GetInheritedAttribute(root, node, "A", "HREF", true);
    if (href != nullptr) {
      bits |= kMarkupLink;
      if (link != nullptr) *link = href;
    }
  }
  if (style != nullptr) *style = bits;
}
