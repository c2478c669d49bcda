// The markup tree: linking and detaching with renumbering, walks and their scope, element and attribute
// queries, text styles, and the section index.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "markup_dump.h"
#include "platform/markup/markup_page_index.h"

namespace {

using markup_test::Dump;
using markup_test::ExpectConsistent;
using markup_test::Parse;
using markup_test::Parsed;

MarkupNode* Element(const char* name) { return MakeMarkupNode(kMarkupElement, name, static_cast<uint32_t>(strlen(name))); }

TEST(MarkupTree, LinkingPlacesChainsAndRenumbers) {
  MarkupNode* root = nullptr;
  MarkupNode* a = LinkMarkupNode(&root, nullptr, Element("A"), false);
  EXPECT_EQ(root, a);
  LinkMarkupNode(&root, nullptr, Element("B"), false);
  MarkupNode* z = LinkMarkupNode(&root, nullptr, Element("Z"), true);  // before the root, which it becomes
  EXPECT_EQ(root, z);
  // A chain of two becomes A's first children, then one more follows them.
  MarkupNode* c = Element("C");
  c->next = Element("D");
  LinkMarkupNode(&root, a, c, false);
  NewMarkupNode(&root, a, true, kMarkupText, "t", 1);
  NewMarkupNode(&root, a, false, kMarkupComment, "<!--x-->", 8);
  EXPECT_EQ(Dump(root), "Z A('t' C D c'<!--x-->') B");
  ExpectConsistent(root);
  EXPECT_EQ(c->next->parent, a);
  EXPECT_EQ(FindMarkupParent(root, c), a);
  EXPECT_EQ(FindMarkupParent(root, a), nullptr);
  FreeMarkupTree(root);
}

TEST(MarkupTree, DetachingWithAndWithoutSubtree) {
  Parsed parsed;
  Parse(&parsed, "<R><A>1<B>2</B></A><C/></R><S/>");
  MarkupNode* r = parsed.root;
  MarkupNode* a = r->child;
  // Without its subtree, A's children take its place.
  parsed.root = DetachMarkupNode(parsed.root, a, true, false);
  EXPECT_EQ(Dump(parsed.root), "R('1' B('2') C/) S/");
  ExpectConsistent(parsed.root);
  EXPECT_EQ(r->child->parent, r);
  // With its subtree, B leaves whole and can be linked elsewhere.
  MarkupNode* b = r->child->next;
  parsed.root = DetachMarkupNode(parsed.root, b, false, true);
  EXPECT_EQ(Dump(parsed.root), "R('1' C/) S/");
  EXPECT_EQ(Dump(b), "B('2')");
  EXPECT_EQ(b->parent, nullptr);
  LinkMarkupNode(&parsed.root, nullptr, b, false);
  EXPECT_EQ(Dump(parsed.root), "R('1' C/) S/ B('2')");
  ExpectConsistent(parsed.root);
  // Detaching the root gives the next top-level node as root.
  parsed.root = DetachMarkupNode(parsed.root, parsed.root, true, true);
  EXPECT_EQ(Dump(parsed.root), "S/ B('2')");
  EXPECT_EQ(parsed.root->index, 1u);
  // A node of another tree is left alone.
  MarkupNode* stranger = Element("X");
  EXPECT_EQ(DetachMarkupNode(parsed.root, stranger, false, true), parsed.root);
  FreeMarkupTree(stranger);
}

TEST(MarkupTree, WalkFromFirstChildCoversOnlyTheContent) {
  Parsed parsed;
  Parse(&parsed, "<A>1<B>2</B>3</A>4");
  MarkupNode* a = parsed.root;
  std::string walked;
  for (MarkupNode* at = a->child; at != nullptr; at = NextMarkupNode(a->child, at)) {
    walked += at->kind == kMarkupText ? MarkupNodeText(at) : at->name;
  }
  EXPECT_EQ(walked, "1B23");
  EXPECT_EQ(NextMarkupNode(parsed.root, LastMarkupDescendant(parsed.root, a))->index, 6u);
  EXPECT_EQ(NextMarkupNode(parsed.root, nullptr), nullptr);
}

TEST(MarkupTree, FindsElementsEnclosingElementsAndText) {
  Parsed parsed;
  Parse(&parsed, "<PAGE N=1><PAGE N=2></PAGE></PAGE><b><I>x<SPAN></SPAN>y</I></b><page N=3/>");
  MarkupNode* first = FindMarkupElement(parsed.root, nullptr, "page", false);
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(GetMarkupAttribute(first, "n"), "1");
  EXPECT_STREQ(GetMarkupAttribute(FindMarkupElement(parsed.root, first, "PAGE", false), "N"), "2");
  EXPECT_STREQ(GetMarkupAttribute(FindMarkupElement(parsed.root, first, "PAGE", true), "N"), "3");
  MarkupNode* x = NextMarkupTextNode(parsed.root, nullptr);
  ASSERT_NE(x, nullptr);
  EXPECT_STREQ(MarkupNodeText(x), "x");
  EXPECT_STREQ(MarkupNodeText(NextMarkupTextNode(parsed.root, x)), "y");
  EXPECT_STREQ(FindEnclosingElement(parsed.root, x, "b")->name, "B");
  EXPECT_EQ(FindEnclosingElement(parsed.root, x, "U"), nullptr);
  MarkupNode* span = x->next;
  EXPECT_EQ(LastMarkupDescendant(parsed.root, span), span);
  MarkupNode* italic = x->parent;
  EXPECT_EQ(LastMarkupDescendant(parsed.root, italic)->index, span->next->index);
  EXPECT_EQ(FindMarkupNodeByData(parsed.root, x->data), x);
  EXPECT_EQ(FindMarkupNodeByData(parsed.root, span->data), span);
  EXPECT_EQ(FindMarkupNodeByData(italic->child, first->data), nullptr);  // outside the chain
  EXPECT_EQ(FindMarkupNodeByData(span, nullptr), span);
}

TEST(MarkupTree, InheritedAttributesAndTextStyle) {
  Parsed parsed;
  Parse(&parsed,
        "<FONT FACE=Serif SIZE=14 FGCOLOR=#102030><A HREF=x.iml NAME=n><B><I>t</I></B></A>"
        "<TT><U><PRE><STRONG>u</STRONG></PRE></U></TT><EM>v</EM><A NAME=plain>w</A></FONT>");
  MarkupNode* t = NextMarkupTextNode(parsed.root, nullptr);
  const char* face = nullptr;
  const char* link = nullptr;
  int32_t size = -1;
  MarkupTextStyle style = 0;
  uint32_t colour = 0;
  GetMarkupTextStyle(parsed.root, t, &face, &size, &style, &colour, &link);
  EXPECT_STREQ(face, "Serif");
  EXPECT_EQ(size, 14);
  EXPECT_EQ(style, kMarkupBold | kMarkupItalic | kMarkupLink | kMarkupColoured);
  EXPECT_EQ(colour, 0x302010FFu);
  EXPECT_STREQ(link, "x.iml");

  MarkupNode* u = NextMarkupTextNode(parsed.root, t);
  GetMarkupTextStyle(parsed.root, u, nullptr, nullptr, &style, nullptr, nullptr);
  EXPECT_EQ(style, kMarkupBold | kMarkupUnderline | kMarkupFixed | kMarkupPreformatted | kMarkupColoured);
  MarkupNode* v = NextMarkupTextNode(parsed.root, u);
  GetMarkupTextStyle(parsed.root, v, nullptr, nullptr, &style, nullptr, &link);
  EXPECT_EQ(style, kMarkupItalic | kMarkupColoured);
  EXPECT_EQ(link, nullptr);
  MarkupNode* w = NextMarkupTextNode(parsed.root, v);
  GetMarkupTextStyle(parsed.root, w, nullptr, nullptr, &style, nullptr, &link);
  EXPECT_EQ(style & kMarkupLink, 0u);  // an A without HREF is no link

  // Inheritance asks elements only, and with a tag name only elements of that name.
  EXPECT_STREQ(GetInheritedAttribute(parsed.root, t, nullptr, "NAME", true), "n");
  EXPECT_STREQ(GetInheritedAttribute(parsed.root, t, "FONT", "NAME", true), nullptr);
  EXPECT_STREQ(GetInheritedAttribute(parsed.root, t, "FONT", "SIZE", true), "14");
  EXPECT_EQ(GetInheritedAttribute(parsed.root, t, nullptr, "SIZE", false), nullptr);
  EXPECT_EQ(GetMarkupAttribute(t, "SIZE"), nullptr);
}

TEST(MarkupPageIndex, SectionsInOrderAndByName) {
  // Names that share a bucket, to show the bucket chain keeps document order.
  std::map<uint32_t, std::vector<std::string>> byBucket;
  std::vector<std::string> sameBucket;
  for (int i = 0; sameBucket.empty(); ++i) {
    std::string name = "s" + std::to_string(i);
    auto& names = byBucket[HashMarkupName(name.c_str()) % kMarkupPageBuckets];
    names.push_back(name);
    if (names.size() == 2) sameBucket = names;
  }
  std::string text = "<INTERFACE><PAGE NAME=" + sameBucket[0] + " TITLE=First><PAGE NAME=inner></PAGE></PAGE>" +
                     "<PAGE NAME=" + sameBucket[1] + "/><PAGE/><PAGE NAME=" + sameBucket[0] + "/></INTERFACE>";
  Parsed parsed;
  Parse(&parsed, text);
  InterfaceSectionIndex* index = BuildMarkupPageIndex(parsed.root->child);
  ASSERT_NE(index, nullptr);
  EXPECT_EQ(index->count, 4u);
  EXPECT_EQ(index->bucketCount, 31u);
  EXPECT_EQ(GetMarkupPageAt(index, 0)->name, sameBucket[0]);
  EXPECT_STREQ(GetMarkupPageAt(index, 0)->title, "First");
  EXPECT_EQ(GetMarkupPageAt(index, 1)->name, sameBucket[1]);
  EXPECT_STREQ(GetMarkupPageAt(index, 2)->name, "");
  EXPECT_EQ(GetMarkupPageAt(index, 4), nullptr);
  EXPECT_EQ(FindMarkupPage(index, sameBucket[0].c_str()), GetMarkupPageAt(index, 0));  // the first of the name
  EXPECT_EQ(FindMarkupPage(index, sameBucket[1].c_str()), GetMarkupPageAt(index, 1));
  EXPECT_EQ(FindMarkupPage(index, "inner"), nullptr);  // a page inside a page is not indexed
  EXPECT_EQ(FindMarkupPage(index, "S0"), nullptr);      // names compare exactly
  FreeMarkupPageIndex(index);
}

TEST(MarkupPageIndex, HashMixesEveryByte) {
  EXPECT_EQ(HashMarkupName(""), 0u);
  EXPECT_EQ(HashMarkupName("a"), 97u);
  EXPECT_EQ(HashMarkupName("ab"), (97u << 2) ^ 98u);
  EXPECT_EQ(HashMarkupName("\xff"), 255u);
  // The top bits come back at the bottom: 16 "a" take h past 32 bits.
  uint32_t h = 0;
  for (int i = 0; i < 16; ++i) h = (h >> 29) ^ (h << 2) ^ 97u;
  EXPECT_EQ(HashMarkupName("aaaaaaaaaaaaaaaa"), h);
}

}  // namespace
