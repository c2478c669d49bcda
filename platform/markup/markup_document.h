// The markup document: the parser for the framework's HTML-like markup and the tree it builds. A document is
// the chain of top-level nodes starting at the root that ParseMarkup returns; elements carry upper-cased names
// and attribute tables, text runs carry their entity-decoded text. The queries walk the tree in document order,
// find elements, read attributes (also inherited from enclosing elements), numbers, colours, rectangles and
// text styles. Plain code over records and handles: nothing here knows of windows.
//
// Every node has a preorder number, renumbered after each change of the tree, and a link to its parent, so that
// walks step from node to node without searching from the root.
#pragma once

#include <cstdint>

#include "platform/core/dictionary.h"
#include "platform/core/memory.h"
#include "platform/core/platform_error.h"
#include "platform/graphics/rect.h"

// Node kinds. A special tag ("<?xml ...?>", "<#...#>") has the code of the character after its "<": one of
// # $ ( * + = ? @ [ { ~.
constexpr int32_t kMarkupElement = 2;        // an element that was opened and may hold content
constexpr int32_t kMarkupEmptyElement = 1;   // closed without content: self-closing or a tag without close
constexpr int32_t kMarkupText = -1;          // a text run (also the empty root of an empty document)
constexpr int32_t kMarkupRawText = -2;       // the content of a raw-content tag, not decoded
constexpr int32_t kMarkupComment = -3;       // a comment, "<!--" to ">" inclusive

struct MarkupNode {
  MarkupNode* next;       // next sibling
  MarkupNode* child;      // first child
  int32_t kind;
  char* name;             // upper-cased name of an element or special tag; null for the other kinds
  uint32_t index;         // preorder number; the first top-level node is 1
  uint32_t sourceOffset;  // offset in the parsed buffer of the first byte after the tag's "<" (and bracket)
  void* data;             // elements and special tags: their attribute Dictionary; other kinds: the text
  MarkupNode* parent;     // null for a top-level or unlinked node
};

inline bool IsMarkupElement(const MarkupNode* node) {
  return node != nullptr && (node->kind == kMarkupElement || node->kind == kMarkupEmptyElement);
}
inline bool HasMarkupText(const MarkupNode* node) {
  return node != nullptr && node->kind <= kMarkupText && node->kind >= kMarkupComment;
}
// The text of a text run, raw content or comment; null for other kinds.
inline const char* MarkupNodeText(const MarkupNode* node) {
  return HasMarkupText(node) ? static_cast<const char*>(node->data) : nullptr;
}

// Text style bits of GetMarkupTextStyle.
using MarkupTextStyle = uint32_t;
constexpr MarkupTextStyle kMarkupBold = 0x01;       // inside "B" or "STRONG"
constexpr MarkupTextStyle kMarkupItalic = 0x02;     // inside "I" or "EM"
constexpr MarkupTextStyle kMarkupUnderline = 0x04;  // inside "U"
constexpr MarkupTextStyle kMarkupFixed = 0x08;      // inside "TT"
constexpr MarkupTextStyle kMarkupPreformatted = 0x10;  // inside "PRE"
constexpr MarkupTextStyle kMarkupLink = 0x20;       // inside an "A" with "HREF"
constexpr MarkupTextStyle kMarkupColoured = 0x40;   // an inherited "FGCOLOR"

// The colour ParseMarkupColor gives for a text that is no colour.
constexpr uint32_t kMarkupNoColor = 0xFFFFFFFF;

// Largest file the page machinery reads, for markup and for pictures alike.
constexpr uint32_t kMarkupFileLimit = 204800;

// --- Parsing and the tree --------------------------------------------------------------------------------------

// Parses the buffer (its NUL bytes are first replaced by blanks). The tag lists are blank-separated upper-case
// names, or null: raw-content tags keep their content undecoded up to their own close tag; tags without close
// are always empty elements. Problems go to the sink as MarkupMessage records (nothing is kept without one) and
// the tree is repaired. 0 and the root, or -7004 when memory runs out (nothing is left), or a report's error.
PlatformError ParseMarkup(PlatformHandle* buffer, const char* rawContentTags, const char* noCloseTags,
                          PlatformHandle* sink, MarkupNode** root);

// A new unlinked node numbered 1. Elements (kinds 1 and 2) take the bytes as name and get an empty attribute
// table; text kinds take them as text; other kinds get neither. Null when memory runs out.
MarkupNode* MakeMarkupNode(int32_t kind, const char* bytes, uint32_t length);
// MakeMarkupNode, then LinkMarkupNode. Null (and nothing allocated) when memory runs out.
MarkupNode* NewMarkupNode(MarkupNode** root, MarkupNode* parent, bool prepend, int32_t kind, const char* bytes,
                          uint32_t length);
// Links the node and its sibling chain: as the first (prepend) or last children of the parent, or without a
// parent as the root when there is none, before the root (which it then becomes), or after the last top-level
// node. Renumbers from the root, which *root holds afterwards. Returns the node.
MarkupNode* LinkMarkupNode(MarkupNode** root, MarkupNode* parent, MarkupNode* node, bool prepend);
// Unlinks the node: with its subtree, or leaving its children in its place. With dispose the node (and the
// subtree it took along) is freed. Renumbers and returns the root, which changes when the root was detached.
MarkupNode* DetachMarkupNode(MarkupNode* root, MarkupNode* node, bool dispose, bool withSubtree);
// Frees the node, its descendants and all its later siblings.
void FreeMarkupTree(MarkupNode* node);
// Numbers the node, its descendants and its later siblings in preorder from `first`; returns the next number.
uint32_t NumberMarkupNodes(MarkupNode* node, uint32_t first);

// --- Queries ---------------------------------------------------------------------------------------------------
// A walk from a root covers the root, its descendants and its later siblings with theirs: the first child of an
// element as root walks exactly that element's content.

MarkupNode* NextMarkupNode(MarkupNode* root, MarkupNode* node);
MarkupNode* FindMarkupParent(MarkupNode* root, MarkupNode* node);
// The first element named tagName (compared upper-cased) from the root, or after `after` (after its subtree
// with skipSubtree).
MarkupNode* FindMarkupElement(MarkupNode* root, MarkupNode* after, const char* tagName, bool skipSubtree);
// The node itself or its nearest ancestor that is an element named tagName (compared upper-cased).
MarkupNode* FindEnclosingElement(MarkupNode* root, MarkupNode* node, const char* tagName);
MarkupNode* LastMarkupDescendant(MarkupNode* root, MarkupNode* node);
// The node of the chain or its descendants whose attribute table or text is `data`; the node itself for null.
MarkupNode* FindMarkupNodeByData(MarkupNode* node, const void* data);
// The next non-empty text run after the node (from the root itself when node is null).
MarkupNode* NextMarkupTextNode(MarkupNode* root, MarkupNode* node);
// The attribute's value ("" for one written without value), or null when absent or the node is no element.
const char* GetMarkupAttribute(MarkupNode* node, const char* name);
// The attribute of the node or, with inherit, of its nearest ancestor that has it; only elements are asked, and
// with a tag name only elements of that name.
const char* GetInheritedAttribute(MarkupNode* root, MarkupNode* node, const char* tagName, const char* name,
                                  bool inherit);
// Any output may be null; each is cleared first. The colour is ParseMarkupColor of the inherited FGCOLOR.
void GetMarkupTextStyle(MarkupNode* root, MarkupNode* node, const char** face, int32_t* size, MarkupTextStyle* style,
                        uint32_t* colour, const char** link);

// --- Attribute values ------------------------------------------------------------------------------------------

// Up to the first ",": every digit accumulates, a "-" anywhere makes the value negative, other characters are
// skipped. The value saturates at the 32-bit range. Null reads as 0.
int32_t ParseMarkupInteger(const char* text);
// Left, top, right, bottom separated by ","; missing numbers are 0.
void ParseMarkupRect(Rect* out, const char* text);
// "#RRGGBB" or "#RGB" (any number of leading "#") as 0xBBGGRRFF: the flag byte 0xFF lowest, then red, green and
// blue; kMarkupNoColor for any other length.
uint32_t ParseMarkupColor(const char* text);
int32_t ParseMarkupAlign(const char* text);  // "RIGHT" 1, "LEFT" -1, else 0
bool ParseMarkupBool(const char* text);      // "FALSE" and "NONE" are false, any other text true, null false

// --- Escaping --------------------------------------------------------------------------------------------------

// Rewrites the handle's text: in URL form as "%XX" escapes, else as entities ("&amp;", "&#7;" ...); with
// escapeSpaces blanks and line breaks too. Fails with the handle's resize error.
PlatformError EscapeMarkupText(PlatformHandle* handle, bool urlForm, bool escapeSpaces);
// Rewrites the handle's text: "%XX" escapes in percent form, else entities. A decoded 0 becomes a blank.
PlatformError DecodeMarkupEntities(PlatformHandle* handle, bool percentForm);
