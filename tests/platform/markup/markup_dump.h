// Test helpers for markup documents: parsing a text, a one-line dump of a tree, and the messages a parse
// reported.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/markup/markup_document.h"
#include "platform/markup/markup_messages.h"

namespace markup_test {

// A dump of the chain from node: elements as NAME (kind 1 as NAME/, special tags with their bracket character
// before the name), attributes in insertion order as [K=V,...], children in (...); text as 'text', raw content
// as r'text', comments as c'text'.
inline std::string Dump(const MarkupNode* node) {
  std::string out;
  for (; node != nullptr; node = node->next) {
    if (!out.empty()) out += ' ';
    if (node->kind == kMarkupText) {
      out += "'" + std::string(MarkupNodeText(node)) + "'";
    } else if (node->kind == kMarkupRawText) {
      out += "r'" + std::string(MarkupNodeText(node)) + "'";
    } else if (node->kind == kMarkupComment) {
      out += "c'" + std::string(MarkupNodeText(node)) + "'";
    } else {
      if (node->kind > kMarkupElement) out += static_cast<char>(node->kind);
      out += node->name;
      if (node->kind == kMarkupEmptyElement) out += '/';
      const auto* table = static_cast<const Dictionary*>(node->data);
      if (table != nullptr && table->first != nullptr) {
        out += '[';
        for (const DictionaryEntry* entry = table->first; entry != nullptr; entry = entry->next) {
          if (entry != table->first) out += ',';
          out += std::string(entry->key) + "=" + entry->value;
        }
        out += ']';
      }
    }
    if (node->child != nullptr) out += "(" + Dump(node->child) + ")";
  }
  return out;
}

// The preorder numbers of the chain from node, in document order.
inline void CollectIndices(const MarkupNode* node, std::vector<uint32_t>* out) {
  for (; node != nullptr; node = node->next) {
    out->push_back(node->index);
    CollectIndices(node->child, out);
  }
}

// Checks that the tree is numbered 1, 2, 3 ... in document order and that every parent link is right.
inline void ExpectConsistent(const MarkupNode* root) {
  std::vector<uint32_t> indices;
  CollectIndices(root, &indices);
  for (size_t i = 0; i < indices.size(); ++i) EXPECT_EQ(indices[i], i + 1);
}

struct Parsed {
  MarkupNode* root = nullptr;
  PlatformError error = 0;
  std::vector<MarkupMessage> messages;
  PlatformHandle* buffer = nullptr;

  Parsed() = default;
  Parsed(const Parsed&) = delete;
  Parsed& operator=(const Parsed&) = delete;
  ~Parsed() {
    FreeMarkupTree(root);
    if (buffer != nullptr) PlatformHandle::Dispose(buffer);
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const MarkupMessage& message : messages) texts.push_back(message.text);
    return texts;
  }
};

// Parses the text as the page machinery does ("SCRIPT" raw, "LI BR P" without close) unless told otherwise, with
// a message sink.
inline void Parse(Parsed* parsed, const std::string& text, const char* raw = "SCRIPT", const char* noClose = "LI BR P") {
  parsed->buffer = PlatformHandle::FromBytes(text.data(), static_cast<uint32_t>(text.size()));
  PlatformHandle* sink = PlatformHandle::New(0);
  parsed->error = ParseMarkup(parsed->buffer, raw, noClose, sink, &parsed->root);
  size_t count = PlatformHandle::GetSize(sink) / sizeof(MarkupMessage);
  parsed->messages.resize(count);
  if (count != 0) std::memcpy(parsed->messages.data(), sink->data, count * sizeof(MarkupMessage));
  PlatformHandle::Dispose(sink);
}

}  // namespace markup_test
