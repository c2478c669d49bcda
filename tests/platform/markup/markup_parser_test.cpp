// The markup parser: what tree and which messages each kind of markup gives, with the repairs of bad nesting,
// raw content, quoting, decoding, and the line fields of the messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "markup_dump.h"

namespace {

using markup_test::Dump;
using markup_test::Parse;
using markup_test::Parsed;

struct ParseCase {
  const char* name;
  std::string text;
  std::string tree;
  std::vector<std::string> messages;
};

const ParseCase kParseCases[] = {
    {"text_and_element", "a<B>b</B>c", "'a' B('b') 'c'", {}},
    {"no_close_tags_stay_empty", "<P>one<P>two", "P/ 'one' P/ 'two'", {}},
    {"close_of_a_no_close_tag_is_an_empty_element", "</P>x", "P/ 'x'", {}},
    {"unclosed_inner_element_is_closed_by_the_outer", "<A><B></A>", "A(B)",
     {"Unbalanced or badly nested tag <B>"}},
    {"stray_close_tag_stays_as_element", "x</C>y", "'x' C 'y'", {"Unbalanced or badly nested tag </C>"}},
    {"open_at_the_end_is_closed_innermost_first", "<A><B>x", "A(B('x'))",
     {"Unbalanced or badly nested tag <B>", "Unbalanced or badly nested tag <A>"}},
    {"raw_content_keeps_tags", "<SCRIPT>if (a<b) x();</SCRIPT>", "SCRIPT(r'if (a<b) x();')", {}},
    {"raw_content_closes_in_any_case_with_blanks", "<SCRIPT>a</x>b< / script >c", "SCRIPT(r'a</x>b') 'c'", {}},
    {"raw_content_runs_to_the_end", "<SCRIPT>a<b", "SCRIPT(r'a<b')", {"Unbalanced or badly nested tag <SCRIPT>"}},
    {"quoted_gt_without_code_ends_the_tag", "<IMG ALT='x > y'>", "IMG[ALT=x ](' y'>')",
     {"Unbalanced or badly nested tag <IMG>"}},
    {"quoted_gt_after_code_stays_in_value", "<A HREF=\"p.iml#a>b\">x</A>", "A[HREF=p.iml#a>b]('x')", {}},
    {"duplicate_parameter_keeps_the_first", "<X A=1 A=2/>", "X/[A=1]", {"Ignoring duplicate 'A' parameter in tag"}},
    {"bare_value_ends_at_slash", "<A HREF=a/b>", "A[HREF=a,B=]", {"Unbalanced or badly nested tag <A>"}},
    {"quoted_value_keeps_slash", "<A HREF='a/b'/>", "A/[HREF=a/b]", {}},
    {"parameter_without_value", "<X FLAG/>", "X/[FLAG=]", {}},
    {"special_tag", "<?XML VERSION=1?>", "?XML[VERSION=1]", {}},
    {"bracket_special_tag", "<(F a)>", "(F[A=]", {}},
    {"equals_special_tag", "<=X=>", "=X", {}},
    {"values_are_percent_decoded", "<X A=%41 B=%2f C='%2F%zz'/>", "X/[A=A,B=/,C=/%zz]", {}},
    {"text_is_entity_decoded", "&lt;&#65;&#0;&bogus;&amp", "'<A &bogus;&amp'", {}},
    {"entity_ending_the_text_is_decoded", "x &amp;<B/>", "'x &' B/", {}},
    {"comment", "a<!-- c -- >b", "'a' c'<!-- c -- >' 'b'", {}},
    {"unclosed_comment_runs_to_the_end", "a<!-- c", "'a' c'<!-- c'", {}},
    {"empty_document", "", "''", {}},
    {"unexpected_character_in_element", "<X +Y/>", "X/[Y=]", {"Unexpected character in <X> tag"}},
    {"unexpected_character_before_name", "<!X/>", "X/", {"Unexpected character in tag"}},
    {"unclosed_tag_stops_before_next", "<A B=1 <C/>", "A[B=1](C/)", {"Unbalanced or badly nested tag <A>"}},
    {"nul_bytes_read_as_blanks", std::string("a\0b<X\0A=1/>", 11), "'a b' X/[A=1]", {}},
    {"double_less_than", "<<X/>", "X/", {}},
};

class ParseTable : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTable, GivesTreeAndMessages) {
  const ParseCase& c = GetParam();
  Parsed parsed;
  Parse(&parsed, c.text);
  ASSERT_EQ(parsed.error, kPlatformNoError);
  EXPECT_EQ(Dump(parsed.root), c.tree);
  EXPECT_EQ(parsed.Texts(), c.messages);
  markup_test::ExpectConsistent(parsed.root);
}

INSTANTIATE_TEST_SUITE_P(Markup, ParseTable, testing::ValuesIn(kParseCases),
                         [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST(MarkupParser, NodesCarryKindsOffsetsAndNumbers) {
  Parsed parsed;
  Parse(&parsed, "a<B>b</B>c<?Q?>");
  ASSERT_EQ(parsed.error, kPlatformNoError);
  MarkupNode* b = parsed.root->next;
  EXPECT_EQ(parsed.root->index, 1u);
  EXPECT_EQ(b->kind, kMarkupElement);
  EXPECT_EQ(b->sourceOffset, 2u);
  EXPECT_EQ(b->child->index, 3u);
  EXPECT_EQ(b->child->parent, b);
  EXPECT_EQ(b->next->index, 4u);
  EXPECT_EQ(b->next->next->kind, '?');
  EXPECT_EQ(b->next->next->sourceOffset, 12u);  // after the bracket character
  EXPECT_EQ(parsed.root->kind, kMarkupText);
}

TEST(MarkupParser, DuplicateReportCarriesItsCode) {
  Parsed parsed;
  Parse(&parsed, "<X A=1 A=2/>");
  ASSERT_EQ(parsed.messages.size(), 1u);
  EXPECT_EQ(parsed.messages[0].code, kPlatformErrDuplicateKey);
  EXPECT_EQ(parsed.messages[0].kind, 1);
  EXPECT_EQ(parsed.messages[0].severity, 1);
  EXPECT_EQ(parsed.messages[0].length, 10);  // "X A=1 A=2/"
}

TEST(MarkupParser, MessagesLocateTheirLine) {
  // Offsets: a0 CR1 LF2 b3 CR4 <5 /6 Q7 >8; CR LF counts once and a lone CR counts.
  Parsed parsed;
  Parse(&parsed, "a\r\nb\r</Q>");
  ASSERT_EQ(parsed.messages.size(), 1u);
  const MarkupMessage& message = parsed.messages[0];
  EXPECT_EQ(message.sourceOffset, 6);
  EXPECT_EQ(message.length, 1);  // the name
  EXPECT_EQ(message.line, 3);
  EXPECT_EQ(message.lineStart, 4);
  EXPECT_EQ(message.lineLength, 0);  // the line start is a line break

  Parsed first;
  Parse(&first, "ab <A>\nz");
  ASSERT_EQ(first.messages.size(), 1u);
  EXPECT_EQ(first.messages[0].line, 1);
  EXPECT_EQ(first.messages[0].lineStart, 0);
  EXPECT_EQ(first.messages[0].lineLength, 6);  // "ab <A>"
}

TEST(MarkupParser, ReportWithoutBufferHasNoLine) {
  PlatformHandle* sink = PlatformHandle::New(0);
  EXPECT_EQ(ReportMarkupError(nullptr, sink, 0, 1, 1, 5, 2, nullptr, "%s!", "x"), kPlatformNoError);
  ASSERT_EQ(PlatformHandle::GetSize(sink), sizeof(MarkupMessage));
  const auto* message = static_cast<const MarkupMessage*>(sink->data);
  EXPECT_EQ(message->line, -1);
  EXPECT_EQ(message->lineStart, -1);
  EXPECT_EQ(message->lineLength, -1);
  EXPECT_STREQ(message->text, "x!");
  EXPECT_STREQ(message->detail, "");
  PlatformHandle::Dispose(sink);
  EXPECT_EQ(ReportMarkupError(nullptr, nullptr, 0, 1, 1, 5, 2, nullptr, "%s", "x"), kPlatformNoError);
}

TEST(MarkupParser, KeepsTheBuffersLockState) {
  PlatformHandle* buffer = PlatformHandle::FromBytes("<A>", 3);
  MarkupNode* root = nullptr;
  EXPECT_EQ(ParseMarkup(buffer, nullptr, nullptr, nullptr, &root), kPlatformNoError);
  EXPECT_EQ(PlatformHandle::IsLocked(buffer), 0);
  EXPECT_EQ(Dump(root), "A");
  FreeMarkupTree(root);
  PlatformHandle::SetLocked(buffer, 1);
  EXPECT_EQ(ParseMarkup(buffer, nullptr, nullptr, nullptr, &root), kPlatformNoError);
  EXPECT_EQ(PlatformHandle::IsLocked(buffer), 1);
  FreeMarkupTree(root);
  PlatformHandle::SetLocked(buffer, 0);
  PlatformHandle::Dispose(buffer);
}

TEST(MarkupParser, DeepNestingIsParsedNumberedAndFreedWithoutRecursion) {
  constexpr int kDepth = 50000;
  std::string text;
  for (int i = 0; i < kDepth; ++i) text += "<D>";
  text += "x";
  PlatformHandle* buffer = PlatformHandle::FromBytes(text.data(), static_cast<uint32_t>(text.size()));
  MarkupNode* root = nullptr;
  ASSERT_EQ(ParseMarkup(buffer, nullptr, nullptr, nullptr, &root), kPlatformNoError);
  MarkupNode* deepest = LastMarkupDescendant(root, root);
  EXPECT_EQ(deepest->index, static_cast<uint32_t>(kDepth + 1));
  EXPECT_STREQ(MarkupNodeText(deepest), "x");
  EXPECT_EQ(FindEnclosingElement(root, deepest, "d"), deepest->parent);
  EXPECT_EQ(NextMarkupTextNode(root, nullptr), deepest);
  root = DetachMarkupNode(root, root->child, true, false);  // the children of the second level move up
  EXPECT_EQ(LastMarkupDescendant(root, root)->index, static_cast<uint32_t>(kDepth));
  FreeMarkupTree(root);
  PlatformHandle::Dispose(buffer);
}

}  // namespace
