#include "engine/xml/xml_document.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "engine/xml/ansi_codepage.h"

namespace {

std::unique_ptr<XmlElement> P(const std::string& bytes, size_t* end = nullptr) {
  return XmlDocument::Parse(bytes.data(), bytes.size(), end);
}

const std::u16string& TextAt(const XmlElement& e, size_t i) { return e.Children().at(i).text; }

TEST(XmlParseShape, ConfigFileWithBomDeclarationAndComments) {
  const std::string file =
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
      "<!-- product configuration -->\r\n"
      "<config_info version=\"2.2.4.0225\">\r\n"
      "  <update url=\"https://www.kelto.example/update\"/>\r\n"
      "  <!-- nothing else -->\r\n"
      "</config_info>\r\n";
  auto root = P(file);
  ASSERT_TRUE(root);
  EXPECT_EQ(root->TagName(true), "config_info");
  EXPECT_EQ(root->AttrValue("version"), u"2.2.4.0225");
  ASSERT_EQ(root->ChildCount(), 1u);
  ASSERT_TRUE(root->ChildElement(0));
  EXPECT_EQ(root->ChildElement(0)->Name(), "update");
  EXPECT_EQ(root->ChildElement(0)->Parent(), root.get());
  EXPECT_EQ(root->Parent(), nullptr);
}

TEST(XmlParseShape, PositionAfterRootAndTrailingContentIgnored) {
  size_t end = 0;
  auto root = P("<a/><b/>", &end);
  ASSERT_TRUE(root);
  EXPECT_EQ(root->Name(), "a");
  EXPECT_EQ(end, 4u);
  root = P("  <a>x</a>  ", &end);
  ASSERT_TRUE(root);
  EXPECT_EQ(end, 10u);
}

TEST(XmlParseShape, TextElementTextChildrenAreTrimmed) {
  auto root = P("<a>  hello  <b/>  world  </a>");
  ASSERT_TRUE(root);
  ASSERT_EQ(root->ChildCount(), 3u);
  EXPECT_EQ(TextAt(*root, 0), u"hello");
  EXPECT_EQ(root->ChildElement(0), nullptr);  // text, not an element
  ASSERT_TRUE(root->ChildElement(1));
  EXPECT_EQ(root->ChildElement(1)->Name(), "b");
  EXPECT_EQ(TextAt(*root, 2), u"world");
  EXPECT_EQ(root->ChildElement(3), nullptr);
  EXPECT_EQ(root->ChildElement(static_cast<size_t>(-1)), nullptr);
}

TEST(XmlParseShape, WhitespaceOnlyTextLeavesNoNode) {
  auto root = P("<a>\r\n\t <b/>\r\n <c/> \n</a>");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->ChildCount(), 2u);
  // Inner blanks stay, only the ends are trimmed.
  root = P("<a> one \t two </a>");
  ASSERT_TRUE(root);
  ASSERT_EQ(root->ChildCount(), 1u);
  EXPECT_EQ(TextAt(*root, 0), u"one \t two");
}

TEST(XmlParseShape, CommentsAndInstructionsInsideContent) {
  auto root = P("<a>x<!-- <b/> -->y<?pi <c/> ?>z</a>");
  ASSERT_TRUE(root);
  ASSERT_EQ(root->ChildCount(), 1u);
  EXPECT_EQ(TextAt(*root, 0), u"xyz");
}

TEST(XmlParseShape, CdataSegment) {
  auto root = P("<a>pre<![CDATA[ <b>&amp; \xE9 ]]>post</a>");
  ASSERT_TRUE(root);
  ASSERT_EQ(root->ChildCount(), 1u);
  // The CDATA replaces the pending text, keeps its leading blank, is read
  // in the ANSI code page (0xE9 is e-acute in 1252), and the text after it
  // is appended.
  EXPECT_EQ(TextAt(*root, 0), u" <b>&amp; \u00E9 post");
  EXPECT_TRUE(root->Children()[0].cdata);

  // Before a child, trailing blanks of a CDATA segment are kept.
  root = P("<a><![CDATA[keep  ]]><b/></a>");
  ASSERT_TRUE(root);
  ASSERT_EQ(root->ChildCount(), 2u);
  EXPECT_EQ(TextAt(*root, 0), u"keep  ");
  EXPECT_TRUE(root->Children()[0].cdata);

  root = P("<a>x<![CDATA[]]><b/></a>");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->ChildCount(), 1u);  // empty CDATA dropped the pending "x"

  root = P("<a><![CDATA[unterminated <b/>");
  ASSERT_TRUE(root);
  ASSERT_EQ(root->ChildCount(), 1u);
  EXPECT_EQ(TextAt(*root, 0), u"unterminated <b/>");
}

TEST(XmlAttributes, RepeatedAttributeReplacedInPlace) {
  auto root = P("<a x=\"1\" y='3' x=\"2\"/>");
  ASSERT_TRUE(root);
  ASSERT_EQ(root->Attributes().size(), 2u);
  EXPECT_EQ(root->Attributes()[0].name, "x");
  EXPECT_EQ(root->Attributes()[0].value, u"2");
  EXPECT_EQ(root->Attributes()[1].name, "y");
  EXPECT_EQ(root->AttrValue("x"), u"2");
}

TEST(XmlAttributes, PrefixesAndReferences) {
  auto root = P("<p:a q:x=\"&lt;&#65;&#x42;&amp;\" x='&gt;&apos;&quot;&#X41;&#x4a;'/>");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->Prefix(), "p");
  EXPECT_EQ(root->Name(), "a");
  EXPECT_EQ(root->TagName(true), "p:a");
  EXPECT_EQ(root->TagName(false), "a");
  ASSERT_EQ(root->Attributes().size(), 2u);
  EXPECT_EQ(root->Attributes()[0].prefix, "q");
  EXPECT_EQ(root->Attributes()[0].name, "x");
  EXPECT_EQ(root->AttrValue("q:x"), u"<AB&");
  EXPECT_EQ(root->AttrValue("q", "x"), u"<AB&");
  // Unprefixed and prefixed attributes of one local name are distinct.
  // "&#X41;" has no lower-case x: its digits 4 and 1 read as decimal 41.
  EXPECT_EQ(root->AttrValue("x"), u">'\")J");
  EXPECT_EQ(root->AttrValue("p:x"), u"");
  EXPECT_EQ(root->AttrValue("X"), u"");  // names are case-sensitive
}

TEST(XmlAttributes, UnknownAndUnterminatedReferences) {
  auto root = P("<a x='1&nbsp;2&#1x2;3'/>");
  ASSERT_TRUE(root);
  // Unknown names give U+0000; stray bytes inside a numeric one are passed over.
  EXPECT_EQ(root->AttrValue("x"), std::u16string(u"1\u00002\u000C3", 5));
  // A reference without ";" runs to the end of the buffer.
  root = P("<a x='&amp'/>");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->AttrValue("x"), std::u16string(1, u'\0'));
  root = P("<a>&#65");
  ASSERT_TRUE(root);
  EXPECT_EQ(TextAt(*root, 0), u"A");
}

TEST(XmlAttributes, ValuesWithoutQuotesOrEqualsSign) {
  auto root = P("<a x=1 y='2'>t</a>");
  ASSERT_TRUE(root);
  // An unquoted value is empty and only its first byte is consumed.
  ASSERT_EQ(root->Attributes().size(), 2u);
  EXPECT_EQ(root->AttrValue("x"), u"");
  EXPECT_EQ(root->AttrValue("y"), u"2");
  // Here the second digit is left over where the tag should end.
  EXPECT_FALSE(P("<a x=12/>"));
  root = P("<a flag>t</a>");
  ASSERT_TRUE(root);
  EXPECT_TRUE(root->Attributes().empty());
  EXPECT_EQ(root->ChildCount(), 1u);
  EXPECT_FALSE(P("<a flag other='1'/>"));
}

TEST(XmlAttributes, NameSplitting) {
  auto root = P("<a:b:c _x.y-1='v' :z='w'/>");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->Prefix(), "b");
  EXPECT_EQ(root->Name(), "c");
  EXPECT_EQ(root->AttrValue("_x.y-1"), u"v");
  EXPECT_EQ(root->AttrValue(":z"), u"w");
  EXPECT_EQ(root->AttrValue("", "z"), u"w");
}

TEST(XmlAttributes, IntegerFollowsCLibraryRules) {
  auto root =
      P("<a n1=' \t42x' n2='-17' n3='+8' n4='abc' n5='' n6='99999999999999999999999'"
        " n7='-99999999999999999999' n8='- 5' n9='\xEF\xBC\x91' n10='0012'/>");
  ASSERT_TRUE(root);
  struct Case {
    const char* name;
    int expected;
  } cases[] = {{"n1", 42},      {"n2", -17},     {"n3", 8}, {"n4", 0}, {"n5", 0},
               {"n6", INT_MAX}, {"n7", INT_MIN}, {"n8", 0}, {"n9", 0}, {"n10", 12}};
  for (const Case& c : cases) {
    int out = 12345;
    EXPECT_TRUE(root->AttrInteger(c.name, out)) << c.name;
    EXPECT_EQ(out, c.expected) << c.name;
  }
  int out = 7;
  EXPECT_FALSE(root->AttrInteger("missing", out));
  EXPECT_EQ(out, 7);
}

TEST(XmlMalformed, DocumentsWithoutRoot) {
  EXPECT_FALSE(P(""));
  EXPECT_FALSE(P("no markup at all"));
  EXPECT_FALSE(P("</a><b/>"));     // starts with an end tag
  EXPECT_FALSE(P("<a x='1' ?>"));  // bad byte after the attributes
  EXPECT_FALSE(P("<a x='1'; y='2'/>"));
  EXPECT_FALSE(P("<1a/>"));  // a name cannot start with a digit
  EXPECT_FALSE(P("< a/>"));
  EXPECT_FALSE(P("<p:/>"));  // empty local name
  EXPECT_FALSE(P("<?xml version='1.0'?><!-- only a comment -->"));
  EXPECT_FALSE(P("<"));
  EXPECT_FALSE(XmlDocument::Parse(nullptr, 10));
}

TEST(XmlMalformed, TruncatedRootKeepsWhatItHas) {
  auto root = P("<a x='1'");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->AttrValue("x"), u"1");
  root = P("<a x='unterminated");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->AttrValue("x"), u"unterminated");
  root = P("<a/");
  ASSERT_TRUE(root);
  root = P("<a><b>text");
  ASSERT_TRUE(root);
  ASSERT_TRUE(root->ChildElement(0));
  EXPECT_EQ(TextAt(*root->ChildElement(0), 0), u"text");
}

TEST(XmlMalformed, MalformedChildEndsParentContent) {
  auto root = P("<a><b/>x<c y='1' !><d/></c><e/></a>");
  ASSERT_TRUE(root);
  ASSERT_EQ(root->ChildCount(), 2u);  // b and the text before c
  EXPECT_EQ(root->ChildElement(0)->Name(), "b");
  EXPECT_EQ(TextAt(*root, 1), u"x");
  EXPECT_EQ(root->FindElement("", "e", 0), nullptr);
}

TEST(XmlMalformed, EndTagNameIsNotCompared) {
  auto root = P("<a><b></a><c/>tail");
  ASSERT_TRUE(root);
  ASSERT_EQ(root->ChildCount(), 3u);
  EXPECT_EQ(root->ChildElement(0)->Name(), "b");
  EXPECT_EQ(root->ChildElement(0)->ChildCount(), 0u);
  EXPECT_EQ(root->ChildElement(1)->Name(), "c");
  EXPECT_EQ(TextAt(*root, 2), u"tail");
}

TEST(XmlMalformed, DoctypeSkippedUpToNextCommentEnd) {
  EXPECT_FALSE(P("<!DOCTYPE a [<!ELEMENT a ANY>]><a/>"));
  auto root = P("<!DOCTYPE a><!-- c --><a/>");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->Name(), "a");
}

TEST(XmlText, SurrogatesAndRangeOfCodePoints) {
  auto root =
      P("<a x='&#x1F600;' y='&#x10FFFF;' z='a&#x110000;b' w='&#99999999999999999999;'"
        " v='\xF0\x9F\x98\x80'/>");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->AttrValue("x"), u"\U0001F600");
  EXPECT_EQ(root->AttrValue("y"), u"\U0010FFFF");
  EXPECT_EQ(root->AttrValue("z"), u"ab");
  EXPECT_EQ(root->AttrValue("w"), u"");  // saturates instead of wrapping
  EXPECT_EQ(root->AttrValue("v"), u"\U0001F600");
}

TEST(XmlText, Utf8DecodingWhateverTheDeclarationSays) {
  auto root =
      P("<?xml encoding='ISO-8859-1'?><a x='gr\xC3\xBC\xC3\x9F \xE2\x82\xAC'>"
        "\xD0\x9F\xD1\x80\xD0\xB8</a>");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->AttrValue("x"), u"gr\u00FC\u00DF \u20AC");
  EXPECT_EQ(TextAt(*root, 0), u"\u041F\u0440\u0438");
}

TEST(XmlText, BrokenUtf8LosesOnlyBrokenBytes) {
  // Stray continuation, truncated sequence followed by ASCII, a new lead
  // byte abandoning a sequence, FE/FF ignored, a code point from a 6-byte
  // form above U+10FFFF dropped, an overlong form accepted.
  auto root =
      P("<a x='a\x80"
        "b\xE2\x82"
        "c\xC3\xE2\x82\xAC"
        "d\xFE\xFF"
        "e"
        "\xFD\xBF\xBF\xBF\xBF\xBF"
        "f\xC1\x81'/>");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->AttrValue("x"), u"abc\u20ACdefA");
  // A reference drops a partial sequence in text as well.
  root = P("<a>\xC3&amp;\xA9</a>");
  ASSERT_TRUE(root);
  EXPECT_EQ(TextAt(*root, 0), u"&");
}

TEST(XmlText, NamesKeepRawBytes) {
  auto root = P("<\xC3\xA9l\xC3\xA8ve \xD0\xB8\xD0\xB4='1'/>");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->Name(), "\xC3\xA9l\xC3\xA8ve");
  EXPECT_EQ(root->AttrValue("\xD0\xB8\xD0\xB4"), u"1");
}

TEST(XmlQueries, FindElementByPrefixNameAndIndex) {
  auto root = P("<r><x:s n='0'/>t<s n='1'/><y:s n='2'/><S/><x:s n='3'/></r>");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->ChildCount(), 6u);
  EXPECT_EQ(root->FindElement("", "s", 0)->AttrValue("n"), u"0");
  EXPECT_EQ(root->FindElement("", "s", 2)->AttrValue("n"), u"2");
  EXPECT_EQ(root->FindElement("", "s", 3)->AttrValue("n"), u"3");
  EXPECT_EQ(root->FindElement("", "s", 4), nullptr);
  EXPECT_EQ(root->FindElement("x", "s", 1)->AttrValue("n"), u"3");
  EXPECT_EQ(root->FindElement("x", "s", 2), nullptr);
  EXPECT_EQ(root->FindElement("", "S", 0), root->ChildElement(4));
  EXPECT_EQ(root->FindElement("", "t", 0), nullptr);
}

std::string Nested(int depth, const std::string& innermost) {
  std::string s;
  for (int i = 0; i < depth; ++i) s += "<e>";
  s += innermost;
  for (int i = 0; i < depth; ++i) s += "</e>";
  return s;
}

int DepthOfFirstChain(const XmlElement* e) {
  int depth = 1;
  while ((e = e->FindElement("", "e", 0))) ++depth;
  return depth;
}

TEST(XmlDepth, NestingUpToTheLimitIsKept) {
  auto root = P(Nested(XmlDocument::kMaxDepth, "leaf"));
  ASSERT_TRUE(root);
  EXPECT_EQ(DepthOfFirstChain(root.get()), XmlDocument::kMaxDepth);
}

TEST(XmlDepth, DeeperElementsDoNotOverflowTheStack) {
  auto root = P(Nested(XmlDocument::kMaxDepth + 1, "leaf"));
  ASSERT_TRUE(root);
  EXPECT_EQ(DepthOfFirstChain(root.get()), XmlDocument::kMaxDepth);

  // Far beyond any stack: only unclosed start tags.
  std::string hostile;
  for (int i = 0; i < 100000; ++i) hostile += "<e>";
  root = P(hostile);
  ASSERT_TRUE(root);
  EXPECT_LE(DepthOfFirstChain(root.get()), XmlDocument::kMaxDepth);
}

TEST(XmlAnsi, Windows1252Table) {
  const std::string bytes = "A\x80\x81\x9F\xA0\xFF";
  EXPECT_EQ(AnsiToUtf16(bytes.data(), bytes.size()), u"A\u20AC\u0081\u0178\u00A0\u00FF");
  EXPECT_EQ(AnsiToUtf16("", 0), u"");
}

TEST(XmlLifecycle, TreeOutlivesBufferAndDestroyFreesIt) {
  auto* buffer = new std::string("<a x='v'><b>t</b></a>");
  auto root = XmlDocument::Parse(buffer->data(), buffer->size());
  delete buffer;
  ASSERT_TRUE(root);
  EXPECT_EQ(root->AttrValue("x"), u"v");
  EXPECT_EQ(TextAt(*root->ChildElement(0), 0), u"t");
  XmlDocument::Destroy(root);
  EXPECT_FALSE(root);
}

}  // namespace
