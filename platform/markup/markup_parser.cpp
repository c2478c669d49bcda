// The markup parser: splits the buffer into text runs, comments, tags and raw content, reads each tag with an
// eight-state machine (name, parameters, bare and quoted values), and nests elements on a stack of open
// elements, repairing bad nesting and reporting it. Nodes are numbered once, at the end.
#include <cstring>
#include <new>
#include <vector>

#include "platform/markup/markup_characters.h"
#include "platform/markup/markup_document.h"
#include "platform/markup/markup_messages.h"

namespace {

using markup::IsName;
using markup::IsSpace;

constexpr const char* kUnbalancedOpen = "Unbalanced or badly nested tag <%s>";
constexpr const char* kUnbalancedClose = "Unbalanced or badly nested tag </%s>";
constexpr const char* kDuplicateParameter = "Ignoring duplicate '%s' parameter in tag";
constexpr const char* kUnexpectedInElement = "Unexpected character in <%s> tag";
constexpr const char* kUnexpected = "Unexpected character in tag";

struct OpenElement {
  MarkupNode* node;
  MarkupNode* lastChild;
};

class MarkupParseState {
 public:
  MarkupParseState(PlatformHandle* buffer, PlatformHandle* sink) : buffer_(buffer), sink_(sink) {
    bytes_ = static_cast<uint8_t*>(buffer->data);
    size_ = buffer->size;
  }
  ~MarkupParseState() {
    for (const OpenElement& open : open_) FreeMarkupTree(open.node);
    FreeMarkupTree(root_);
    if (rawTags_ != nullptr) DisposeDictionary(rawTags_);
    if (noCloseTags_ != nullptr) DisposeDictionary(noCloseTags_);
    if (scratch_ != nullptr) PlatformHandle::Dispose(scratch_);
  }

  PlatformError Prepare(const char* rawContentTags, const char* noCloseTags) {
    scratch_ = PlatformHandle::New(0);
    if (scratch_ == nullptr) return kPlatformErrNoMemory;
    if (!MakeTagSet(rawContentTags, &rawTags_) || !MakeTagSet(noCloseTags, &noCloseTags_)) {
      return kPlatformErrNoMemory;
    }
    return kPlatformNoError;
  }

  PlatformError Run();

  // The finished tree, numbered; the state no longer owns it.
  MarkupNode* TakeRoot() {
    if (root_ == nullptr) {
      root_ = MakeMarkupNode(kMarkupText, "", 0);  // an empty document is one empty text run
      if (root_ == nullptr) return nullptr;
    }
    NumberMarkupNodes(root_, 1);
    MarkupNode* root = root_;
    root_ = nullptr;
    return root;
  }

 private:
  static bool MakeTagSet(const char* list, Dictionary** out) {
    if (list == nullptr || list[0] == '\0') return true;
    *out = NewDictionaryFromList(0, list);
    return *out != nullptr;
  }

  static bool InSet(Dictionary* set, const char* name) {
    return set != nullptr && DictionaryLookup(set, name, nullptr) != nullptr;
  }

  PlatformError Report(PlatformError code, uint32_t offset, uint32_t length, const char* format,
                       const char* argument) {
    return ReportMarkupError(buffer_, sink_, code, 1, 1, offset, length, nullptr, format, argument);
  }

  uint32_t FindLessThan(uint32_t from) const {
    if (from >= size_) return size_;
    const void* found = std::memchr(bytes_ + from, '<', size_ - from);
    return found == nullptr ? size_ : static_cast<uint32_t>(static_cast<const uint8_t*>(found) - bytes_);
  }
  uint32_t FindTagEnd(uint32_t from) const;

  void Append(MarkupNode* node);
  PlatformError Nest(MarkupNode* node, bool open, bool close);
  PlatformError AddText(int32_t kind, uint32_t start, uint32_t end, uint32_t offset, bool decode);
  PlatformError ParseTag(uint32_t start, uint32_t end, uint8_t bracket, bool* rawFollows);
  uint32_t FindRawContentEnd(uint32_t from, const char* name) const;

  PlatformHandle* buffer_;
  PlatformHandle* sink_;
  uint8_t* bytes_;
  uint32_t size_;
  MarkupNode* root_ = nullptr;
  MarkupNode* rootTail_ = nullptr;
  std::vector<OpenElement> open_;
  Dictionary* rawTags_ = nullptr;
  Dictionary* noCloseTags_ = nullptr;
  PlatformHandle* scratch_ = nullptr;  // text and values are decoded here before they are copied
};

// The ">" that ends a tag. Quotes (", ' and `) open a stretch that the same character closes; a ">" inside it
// ends the tag only while the stretch holds nothing code-like (another quote, or one of # $ & ( * + , ; = @ [ {
// |). An unquoted "<" ends the search before itself, so an unclosed tag stops before the next tag. Not found:
// the end of the buffer.
uint32_t MarkupParseState::FindTagEnd(uint32_t from) const {
  static const char kCodeLike[] = "#$&(*+,;=@[{|";
  uint8_t quote = 0;
  bool codeLike = false;
  for (uint32_t p = from; p < size_; ++p) {
    uint8_t c = bytes_[p];
    if (quote == 0) {
      if (c == '"' || c == '\'' || c == '`') {
        quote = c;
        codeLike = false;
      } else if (c == '>') {
        return p;
      } else if (c == '<') {
        return p - 1;
      }
    } else if (c == quote) {
      quote = 0;
    } else if (c == '>' && !codeLike) {
      return p;
    } else if (c == '"' || c == '\'' || c == '`' || std::strchr(kCodeLike, c) != nullptr) {
      codeLike = true;
    }
  }
  return size_;
}

void MarkupParseState::Append(MarkupNode* node) {
  if (open_.empty()) {
    node->parent = nullptr;
    if (rootTail_ == nullptr) {
      root_ = node;
    } else {
      rootTail_->next = node;
    }
    rootTail_ = node;
    return;
  }
  OpenElement& top = open_.back();
  node->parent = top.node;
  if (top.lastChild == nullptr) {
    top.node->child = node;
  } else {
    top.lastChild->next = node;
  }
  top.lastChild = node;
}

PlatformError MarkupParseState::Nest(MarkupNode* node, bool open, bool close) {
  if (open) {
    open_.push_back(OpenElement{node, nullptr});
    return kPlatformNoError;
  }
  if (!close) {
    Append(node);
    return kPlatformNoError;
  }
  size_t match = open_.size();
  while (match > 0 && std::strcmp(open_[match - 1].node->name, node->name) != 0) --match;
  if (match == 0) {
    // A stray close tag stays in the tree as an element of its own.
    Append(node);
    return Report(0, node->sourceOffset, static_cast<uint32_t>(std::strlen(node->name)), kUnbalancedClose,
                  node->name);
  }
  FreeMarkupTree(node);
  while (open_.size() >= match) {
    MarkupNode* popped = open_.back().node;
    open_.pop_back();
    Append(popped);
    if (open_.size() >= match) {
      PlatformError error = Report(0, popped->sourceOffset, static_cast<uint32_t>(std::strlen(popped->name)),
                                   kUnbalancedOpen, popped->name);
      if (error != kPlatformNoError) return error;
    }
  }
  return kPlatformNoError;
}

PlatformError MarkupParseState::AddText(int32_t kind, uint32_t start, uint32_t end, uint32_t offset, bool decode) {
  PlatformError error = PlatformHandle::SetBytes(scratch_, bytes_ + start, end - start);
  if (error == kPlatformNoError && decode) error = DecodeMarkupEntities(scratch_, false);
  if (error != kPlatformNoError) return error;
  MarkupNode* node = MakeMarkupNode(kind, static_cast<const char*>(scratch_->data), scratch_->size);
  if (node == nullptr) return kPlatformErrNoMemory;
  node->sourceOffset = offset;
  return Nest(node, false, false);
}

// Reads the tag from `start` (its "<") to `end` (its ">", or its last byte when it has none).
PlatformError MarkupParseState::ParseTag(uint32_t start, uint32_t end, uint8_t bracket, bool* rawFollows) {
  *rawFollows = false;
  uint32_t s = start + 1;
  uint32_t e = end < size_ ? (bytes_[end] == '>' ? end : end + 1) : size_;
  if (e < s) e = s;
  const uint32_t tagLength = e - s;
  if (bracket != 0) {
    uint8_t closing = bracket == '(' ? ')' : bracket == '[' ? ']' : bracket == '{' ? '}' : bracket;
    ++s;
    if (e > s && bytes_[e - 1] == closing) --e;
  }
  if (e <= s) return kPlatformNoError;

  MarkupNode* node = nullptr;
  bool closeTag = false, selfClosing = false, unexpected = false, pending = false;
  char parameter[256] = "";
  uint32_t token = s;
  uint8_t quote = 0;
  int state = 0;
  PlatformError error = kPlatformNoError;

  auto reportUnexpected = [&](uint32_t at) {
    if (unexpected) return kPlatformNoError;
    unexpected = true;
    return node != nullptr ? Report(0, at, tagLength, kUnexpectedInElement, node->name)
                           : Report(0, at, tagLength, kUnexpected, nullptr);
  };
  auto store = [&](uint32_t from, uint32_t to) {
    pending = false;
    PlatformError result = PlatformHandle::SetBytes(scratch_, bytes_ + from, to - from);
    if (result == kPlatformNoError) result = DecodeMarkupEntities(scratch_, true);
    if (result == kPlatformNoError) {
      result = DictionaryInsertParam(static_cast<Dictionary*>(node->data), parameter, scratch_->data, scratch_->size);
    }
    if (result == kPlatformErrDuplicateKey) {
      return Report(kPlatformErrDuplicateKey, node->sourceOffset, tagLength, kDuplicateParameter, parameter);
    }
    return result;
  };
  auto fail = [&](PlatformError result) {
    if (node != nullptr) FreeMarkupTree(node);
    return result;
  };

  for (uint32_t i = s; i <= e && error == kPlatformNoError; ++i) {
    const uint8_t c = i < e ? bytes_[i] : 0;
    const bool blank = c == 0 || IsSpace(c);
    switch (state) {
      case 0:  // before the name
        if (blank) break;
        if (c == '/') {
          closeTag = true;
        } else if (IsName(c)) {
          token = i;
          state = 1;
        } else {
          error = reportUnexpected(i);
        }
        break;
      case 1: {  // in the name
        if (IsName(c)) break;
        char name[256];
        markup::UpperCase255(name, reinterpret_cast<const char*>(bytes_ + token), i - token);
        node = MakeMarkupNode(kMarkupElement, name, static_cast<uint32_t>(std::strlen(name)));
        if (node == nullptr) return kPlatformErrNoMemory;
        node->sourceOffset = s;
        if (!blank && c != '/') error = reportUnexpected(i);
        if (c == '/') selfClosing = true;
        if (closeTag) i = e;  // the rest of a close tag is not read
        state = 2;
        break;
      }
      case 2:  // between parameters
        if (blank) break;
        if (c == '/') {
          selfClosing = true;
        } else if (IsName(c)) {
          token = i;
          selfClosing = false;
          state = 3;
        } else {
          error = reportUnexpected(i);
        }
        break;
      case 3:  // in a parameter name
        if (IsName(c)) break;
        markup::UpperCase255(parameter, reinterpret_cast<const char*>(bytes_ + token), i - token);
        pending = true;
        if (!blank && c != '=' && c != '/') error = reportUnexpected(i);
        if (c == '/') selfClosing = true;
        state = c == '=' ? 5 : 4;
        break;
      case 4:  // after a parameter name
        if (blank) break;
        if (c == '=') {
          state = 5;
        } else if (IsName(c)) {
          error = store(i, i);
          token = i;
          state = 3;
        } else {
          error = reportUnexpected(i);
        }
        break;
      case 5:  // after "="
        if (blank) break;
        selfClosing = false;
        if (c == '"' || c == '\'' || c == '`') {
          quote = c;
          token = i + 1;
          state = 7;
        } else {
          token = i;
          state = 6;
        }
        break;
      case 6:  // a bare value
        if (!blank && c != '/') break;
        error = store(token, i);
        if (c == '/') selfClosing = true;
        state = 2;
        break;
      case 7:  // a quoted value
        if (c != 0 && c != quote) break;
        error = store(token, i);
        state = 2;
        break;
    }
  }
  if (error == kPlatformNoError && pending) error = store(e, e);
  if (error != kPlatformNoError) return fail(error);
  if (node == nullptr) return kPlatformNoError;

  if (bracket != 0 || InSet(noCloseTags_, node->name)) selfClosing = true;
  *rawFollows = !selfClosing && !closeTag && !unexpected && InSet(rawTags_, node->name);
  if (bracket != 0) {
    node->kind = bracket;
  } else if (selfClosing) {
    node->kind = kMarkupEmptyElement;
  }
  if (selfClosing) closeTag = false;
  return Nest(node, !closeTag && !selfClosing, closeTag);
}

// Where the raw content of the named element ends: the "<" of "</name>" (blanks allowed around the "/" and
// before ">", the name in any case), else the end of the buffer.
uint32_t MarkupParseState::FindRawContentEnd(uint32_t from, const char* name) const {
  for (uint32_t lt = FindLessThan(from); lt < size_; lt = FindLessThan(lt + 1)) {
    uint32_t q = lt + 1;
    while (q < size_ && IsSpace(bytes_[q])) ++q;
    if (q >= size_ || bytes_[q] != '/') continue;
    ++q;
    while (q < size_ && IsSpace(bytes_[q])) ++q;
    uint32_t nameStart = q;
    while (q < size_ && IsName(bytes_[q])) ++q;
    char found[256];
    markup::UpperCase255(found, reinterpret_cast<const char*>(bytes_ + nameStart), q - nameStart);
    while (q < size_ && IsSpace(bytes_[q])) ++q;
    if (q < size_ && bytes_[q] == '>' && std::strcmp(found, name) == 0) return lt;
  }
  return size_;
}

PlatformError MarkupParseState::Run() {
  uint32_t textStart = 0;  // the first byte after the previous tag
  uint32_t searchFrom = 0;
  PlatformError error = kPlatformNoError;
  while (searchFrom < size_ && error == kPlatformNoError) {
    const uint32_t a = FindLessThan(searchFrom);
    if (a > textStart) {
      error = AddText(kMarkupText, textStart, a, textStart, true);
      if (error != kPlatformNoError) break;
    }
    if (a >= size_) break;
    uint32_t pos;
    bool rawFollows = false;
    if (a + 4 < size_ && std::memcmp(bytes_ + a, "<!--", 4) == 0) {
      uint32_t dashes = a + 3;
      while (dashes + 1 < size_ && !(bytes_[dashes] == '-' && bytes_[dashes + 1] == '-')) ++dashes;
      if (dashes + 1 >= size_) dashes = size_;
      pos = dashes;
      while (pos < size_ && bytes_[pos] != '>') ++pos;
      error = AddText(kMarkupComment, a, pos < size_ ? pos + 1 : size_, a + 1, false);
    } else if (a + 2 < size_ && markup::Is(bytes_[a + 1], markup::kSpecialStartClass)) {
      pos = FindTagEnd(a + 1);
      error = ParseTag(a, pos, bytes_[a + 1], &rawFollows);
    } else {
      pos = FindTagEnd(a + 1);
      error = ParseTag(a, pos, 0, &rawFollows);
    }
    if (error != kPlatformNoError) break;
    if (rawFollows) {
      const uint32_t contentStart = pos < size_ ? pos + 1 : size_;
      const uint32_t contentEnd = FindRawContentEnd(contentStart, open_.back().node->name);
      error = AddText(kMarkupRawText, contentStart, contentEnd, contentStart, false);
      textStart = searchFrom = contentEnd;  // the close tag is read next
      continue;
    }
    // The next search starts after the tag's end. A "<" with another "<" right after it ends before the second
    // one, at the first "<" itself: a search from there would find that same "<" again, for ever.
    textStart = searchFrom = pos + 1;
  }
  // Elements still open are closed here, innermost first.
  while (error == kPlatformNoError && !open_.empty()) {
    MarkupNode* popped = open_.back().node;
    open_.pop_back();
    Append(popped);
    error = Report(0, popped->sourceOffset, static_cast<uint32_t>(std::strlen(popped->name)), kUnbalancedOpen,
                   popped->name);
  }
  return error;
}

}  // namespace

PlatformError ParseMarkup(PlatformHandle* buffer, const char* rawContentTags, const char* noCloseTags,
                          PlatformHandle* sink, MarkupNode** root) {
  if (root == nullptr) return kPlatformErrBadData;
  *root = nullptr;
  if (buffer == nullptr || buffer->data == nullptr) return kPlatformErrBadData;
  const uint8_t wasLocked = PlatformHandle::SetLocked(buffer, 1);
  auto* bytes = static_cast<uint8_t*>(buffer->data);
  for (uint32_t i = 0; i < buffer->size; ++i) {
    if (bytes[i] == 0) bytes[i] = ' ';
  }
  PlatformError error;
  try {
    MarkupParseState state(buffer, sink);
    error = state.Prepare(rawContentTags, noCloseTags);
    if (error == kPlatformNoError) error = state.Run();
    if (error == kPlatformNoError) {
      *root = state.TakeRoot();
      if (*root == nullptr) error = kPlatformErrNoMemory;
    }
  } catch (const std::bad_alloc&) {
    error = kPlatformErrNoMemory;
  }
  PlatformHandle::SetLocked(buffer, wasLocked);
  return error;
}
