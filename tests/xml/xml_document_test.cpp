#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>

#include "platform/Text.h"
#include "support/ScratchDir.h"
#include "xml/XmlEncodings.h"

namespace {

// The text of the root element, or of the document without one.
std::u16string RootText(XmlDocument& doc) {
  doc.ResetPosition();
  doc.FindChildElement(u"\x01");  // finds nothing, but makes the root current
  return doc.GetElementText();
}

// Loads the bytes from memory, and from a file as well: a file is widened in the room it was
// read into, which must give the same text and notes.
bool Load(XmlDocument& doc, const std::string& bytes) {
  static const ScratchDir dir("ads-xml-");
  const auto path = dir / "doc.xml";
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  XmlDocument fromFile;
  const bool fileLoaded = fromFile.LoadXmlFile(path.u16string());
  const bool loaded = doc.LoadXmlBytes(bytes.data(), bytes.size());
  EXPECT_EQ(fileLoaded, loaded) << bytes;
  EXPECT_EQ(fromFile.GetResult(), doc.GetResult()) << bytes;
  EXPECT_EQ(RootText(fromFile), RootText(doc)) << bytes;
  return loaded;
}

std::u16string TextOf(XmlDocument& doc, std::u16string_view name) {
  doc.ResetPosition();
  if (!doc.FindChildElement(name) || !doc.EnterElement()) return u"<none>";
  const std::u16string text = doc.GetElementText();
  std::u16string_view plain;
  if (doc.GetPlainElementText(plain)) {
    EXPECT_EQ(plain, text);  // the view, when there is one, agrees
  }
  return text;
}

TEST(XmlDocument, EncodingsLoadToTheSameText) {
  const std::string utf8 = "<a>\xe6\xa0\x87\xe7\xad\xbe</a>";  // 标签
  for (const std::string& bytes :
       {utf8, "\xef\xbb\xbf" + utf8, std::string("\xff\xfe<\0a\0>\0\x07\x68\x7e\x7b<\0/\0a\0>\0", 20),
        std::string("\xfe\xff\0<\0a\0>\x68\x07\x7b\x7e\0<\0/\0a\0>", 20),
        std::string("<?xml version=\"1.0\" encoding=\"GB2312\"?><a>\xb1\xea\xc7\xa9</a>")}) {
    XmlDocument doc;
    ASSERT_TRUE(Load(doc, bytes));
    // A search makes the root current, even when it finds nothing.
    EXPECT_FALSE(doc.FindChildElement(u"a"));
    EXPECT_EQ(doc.GetElementText(), u"\u6807\u7b7e");
  }
  const std::pair<std::string, std::u16string> plain[] = {
      {" <r><a>\xb1\xea</a></r>", u"\u6807"},  // neither "<" first nor UTF-8: the ANSI code page (GBK)
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r><a>\xe9</a></r>", u"\u00e9"},  // 28591
      {std::string("<r><a>x\0y</a></r>", 17), u"xy"},  // NUL bytes are removed
  };
  XmlDocument doc;
  for (const auto& [bytes, text] : plain) {
    Load(doc, bytes);
    EXPECT_EQ(TextOf(doc, u"a"), text) << bytes;
  }
  EXPECT_NE(doc.GetResult().find(u"<nulls_removed count=\"1\"/>"), std::u16string::npos);

  // An html document names its encoding in a meta element inside head, either way; the search
  // stops at the first other element.
  for (const char* meta : {"<meta http-equiv=\"content-type\" content=\"text/html; charset=GBK\"/>",
                           "<meta name='x'/><META Charset='gb2312'/>"}) {
    Load(doc, std::string("<!-- page --><html><head>") + meta + "</head><body>\xb1\xea</body></html>");
    EXPECT_EQ(TextOf(doc, u"body"), u"\u6807") << meta;
  }
  Load(doc, "<html><body/><meta charset='gbk'/><p>\xb1\xea</p></html>");
  EXPECT_NE(TextOf(doc, u"p"), u"\u6807");
}

TEST(XmlDocument, EachInvalidUtf8SequenceBecomesOneQuestionMark) {
  const std::pair<const char*, std::u16string> cases[] = {
      {"A\xe4\xb8" "B", u"A?B"},               // cut short: one maximal subpart
      {"\xc0\x80\xed\xa0\x80", u"?????"},       // overlong, surrogate: invalid from the lead on
      {"\xf0\x9f\x98\x80", u"\U0001F600"},
  };
  // ASCII runs are widened a word at a time: each sequence also stands at every place in a word.
  for (const auto& [bytes, text] : cases) {
    for (size_t pad = 0; pad < 9; ++pad) {
      XmlDocument doc;
      ASSERT_TRUE(Load(doc, "<r><a>" + std::string(pad, 'x') + bytes + "</a></r>")) << bytes;
      EXPECT_EQ(TextOf(doc, u"a"), std::u16string(pad, u'x') + text) << bytes << pad;
    }
  }
}

// A code page the platform cannot convert with is taken as the ANSI code page (GBK here), like
// an unknown name; so are UTF-16 and UTF-32 declared in a file without byte-order mark.
TEST(XmlDocument, EveryEncodingNameLoadsAPlainFile) {
  for (const auto& [name, codePage] : xml::EncodingNames()) {
    if (codePage == 500) continue;  // EBCDIC: the ASCII bytes are other characters there
    XmlDocument doc;
    ASSERT_TRUE(Load(doc, "<?xml version=\"1.0\" encoding=\"" + std::string(name) + "\"?><r><a>x</a></r>")) << name;
    EXPECT_EQ(TextOf(doc, u"a"), u"x") << name;
  }
  for (const char* name : {"UTF-16", "utf-16be", "UTF-32", "utf32le", "x-no-such"}) {
    XmlDocument doc;
    ASSERT_TRUE(Load(doc, "<?xml version=\"1.0\" encoding=\"" + std::string(name) + "\"?><r><a>\xb1\xea</a></r>"));
    EXPECT_EQ(TextOf(doc, u"a"), u"\u6807") << name;
  }
}

// The report's notes without their attributes.
std::string NoteNames(const std::u16string& report) {
  return std::regex_replace(platform::WideToUtf8(report), std::regex("<(\\w+)[^>]*/>"), "<$1>");
}

TEST(XmlDocument, NotesFollowTheLoadSteps) {
  const std::pair<std::string, const char*> cases[] = {
      {"", "<read>"},  // nothing to detect or convert, and no root element to miss
      {std::string(2, '\0'), "<read><nulls_removed>"},
      {"<a/>", "<read><converted_to>"},
      {"\xef\xbb\xbf<a/>", "<bom><read><converted_to>"},
      {std::string("\xff\xfe<\0a\0/\0>\0", 10), "<bom><read>"},
      {std::string("\xfe\xff\0<\0a\0\0\0/\0>", 12), "<bom><read><nulls_removed><endian_swap>"},
      {" <a/>", "<read><read><utf8_detection><converted_to>"},
      {" <a>\xb1\xea</a>", "<read><utf8_detection><converted_to>"},
      {std::string("<a>x\0</a>", 9), "<read><nulls_removed><converted_to>"},
  };
  for (const auto& [bytes, names] : cases) {
    XmlDocument doc;
    Load(doc, bytes);
    EXPECT_EQ(NoteNames(doc.GetResult()), names) << bytes;
  }
}

// Each document is refused, with the note among the report's notes.
void ExpectRefusedWithNotes(std::initializer_list<std::pair<const char*, std::u16string>> cases) {
  for (const auto& [xml, note] : cases) {
    XmlDocument doc;
    EXPECT_FALSE(Load(doc, xml)) << xml;
    EXPECT_NE(doc.GetResult().find(note), std::u16string::npos) << xml;
  }
}

TEST(XmlDocument, WellFormednessNotes) {
  ExpectRefusedWithNotes({
      {"<a/><b/>", u"<root_has_sibling/>"},
      {"<a><b></a>", u"<unended_start_tag tagname=\"b\" offset=\"3\"/>"},
      {"<a></b></a>", u"<lone_end_tag tagname=\"b\" offset=\"3\"/>"},
      {"<a/b></a/b>", u"<lone_end_tag tagname=\"a/b\" offset=\"5\"/>"},  // the start tag names "a"
      {"<a><!-- open", u"<unterminated_tag_syntax type=\"comment\" offset=\"3\"/>"},
      {"<a>< b</a>", u"<first_tag_syntax offset=\"3\"/>"},
      {"text only", u"<no_root_element/>"},
  });
  XmlDocument doc;
  EXPECT_TRUE(Load(doc, "<?xml version=\"1.0\"?><!DOCTYPE a [<!ENTITY x \"y\">]><a t='>'><b/></a>"));
  EXPECT_FALSE(doc.LoadXmlFile(u"/no/such/file.tpy"));
  EXPECT_NE(doc.GetResult().find(u"<file_error msg="), std::u16string::npos);
  // Hostile nesting: many unended tags close in linear time without recursion.
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<e>";
  EXPECT_FALSE(Load(doc, deep));
  EXPECT_LE(doc.GetResult().size(), 1100u);  // notes stop near 1000 characters
  // Lone end tags under deep nesting are found without walking the open elements each time.
  for (int i = 0; i < 100000; ++i) deep += "</x>";
  deep += "</e>";
  EXPECT_FALSE(Load(doc, deep));
  EXPECT_NE(doc.GetResult().find(u"<lone_end_tag tagname=\"x\" offset=\"300000\"/>"), std::u16string::npos);
}

// Declarations are told apart by their openers "<!--", "<![CDATA[", "<!DOCTYPE" and white
// space, or "<!" and a letter; an opener cut short by the end is unterminated.
TEST(XmlDocument, MalformedDeclarationsAreErrorTokens) {
  ExpectRefusedWithNotes({
      {"<a>x<!-y->z</a>", u"<comment_tag_syntax offset=\"4\"/>"},
      {"<a>x<![CDAT[y]]>z</a>", u"<cdata_section_syntax offset=\"4\"/>"},
      {"<a>x<![cdata[y]]>z</a>", u"<cdata_section_syntax offset=\"4\"/>"},
      {"<!DOCTYPEa><a/>", u"<doctype_tag_syntax offset=\"0\"/>"},
      {"<!DOCTYPE><a/>", u"<doctype_tag_syntax offset=\"0\"/>"},
      {"<a>x<!>z</a>", u"<exclamation_tag_syntax offset=\"4\"/>"},
      {"<a>x<! y>z</a>", u"<exclamation_tag_syntax offset=\"4\"/>"},
      // "<!-->" opens a comment that "-->" must still close.
      {"<a>x<!-->z</a>", u"<unterminated_tag_syntax type=\"comment\" offset=\"4\"/>"},
      {"<a/><!-", u"<unterminated_tag_syntax type=\"comment\" offset=\"4\"/>"},
      {"<a/><![CDA", u"<unterminated_tag_syntax type=\"cdata_section\" offset=\"4\"/>"},
      {"<a/><!DOCTYPE", u"<unterminated_tag_syntax type=\"document_type\" offset=\"4\"/>"},
      {"<a/><!DOCTYPE a [<!ENTITY x \">\">", u"<unterminated_tag_syntax type=\"document_type\" offset=\"4\"/>"},
      {"<a/><!", u"<unterminated_tag_syntax type=\"tag\" offset=\"4\"/>"},
  });
}

TEST(XmlDocument, NavigationVisitsLikeNamedChildrenInOrder) {
  XmlDocument doc;
  ASSERT_TRUE(Load(doc, "<r><s><n>1</n><t>x</t><n>2</n></s><s><n>3</n></s></r>"));
  std::u16string seen;
  auto take = [&] {
    doc.EnterElement();
    seen += doc.GetElementText();
    doc.LeaveElement();
  };
  std::string counts;
  while (doc.FindChildElement(u"s")) {
    ASSERT_TRUE(doc.EnterElement());
    counts += std::to_string(doc.CountChildElements());
    // Order matters: after "t" the first "n" is behind the position and is not seen.
    if (doc.FindChildElement(u"t")) take();
    while (doc.FindChildElement(u"n")) take();
    ASSERT_TRUE(doc.LeaveElement());
  }
  EXPECT_EQ(seen, u"x23");
  EXPECT_EQ(counts, "31");
  EXPECT_FALSE(doc.LeaveElement());
}

// Names from 256 characters on are read from the text each time, shorter ones are not.
TEST(XmlDocument, LongNamesAreFoundClosedAndNamed) {
  for (const size_t length : {255u, 256u, 300u}) {
    const std::string name(length, 'n');
    XmlDocument doc;
    // A sibling whose name is one character longer comes first.
    ASSERT_TRUE(Load(doc, "<r><" + name + "n>1</" + name + "n><" + name + " a='>'>2</" + name + "></r>")) << length;
    EXPECT_EQ(TextOf(doc, std::u16string(length, u'n')), u"2") << length;
    EXPECT_FALSE(Load(doc, "<r><" + name + "></r>"));
    EXPECT_NE(doc.GetResult().find(u"tagname=\"" + std::u16string(length, u'n') + u"\""), std::u16string::npos);
    // The start tag names the element without "/b"; the end tag with it closes nothing.
    EXPECT_FALSE(Load(doc, "<r><" + name + "/b></" + name + "/b></r>"));
    EXPECT_NE(doc.GetResult().find(u"<lone_end_tag"), std::u16string::npos);
  }
}

TEST(XmlDocument, ElementTextDecodesReferencesAndSkipsMarkup) {
  const std::pair<const char*, std::u16string> cases[] = {
      {"<a>&lt;&amp;&gt;&quot;&apos;</a>", u"<&>\"'"},
      {"<a>&#65;&#x42;&#X43;</a>", u"ABC"},
      {"<a>&delta;&Delta;</a>", u"\u03b4\u0394"},
      {"<a>&nosuch; & x &#0;</a>", u"&nosuch; & x &#0;"},
      {"<a>&#x1F600;</a>", u"\U0001F600"},
      {"<a> x<!-- c --><![CDATA[<&lt;>]]><?p i?> y </a>", u" x<&lt;> y "},
      {"<a>x<!-->-->y<!---->z<!ELEMENT e ANY>!</a>", u"xyz!"},
      {"<a><![CDATA[ x & <y> ]]></a>", u" x & <y> "},
      {"<a><![CDATA[]]></a>", u""},
      {"<a><![CDATA[x]]>]]></a>", u"x]]>"},
      {"<a><![CDATA[x]]><![CDATA[y]]></a>", u"xy"},
      {"<a/>", u""},
      {"<a>t<b/></a>", u""},
  };
  for (const auto& [xml, text] : cases) {
    XmlDocument doc;
    ASSERT_TRUE(Load(doc, std::string("<r>") + xml + "</r>")) << xml;
    EXPECT_EQ(TextOf(doc, u"a"), text) << xml;
  }
}

}  // namespace
