#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool Load(XmlDocument& doc, const std::string& bytes) { return doc.LoadXmlBytes(bytes.data(), bytes.size()); }

std::u16string TextOf(XmlDocument& doc, std::u16string_view name) {
  doc.ResetPosition();
  if (!doc.FindChildElement(name) || !doc.EnterElement()) return u"<none>";
  return doc.GetElementText();
}

TEST(XmlDocument, EncodingsLoadToTheSameText) {
  std::string utf8 = "<a>\xe6\xa0\x87\xe7\xad\xbe</a>";  // 标签
  std::string bom = "\xef\xbb\xbf" + utf8;
  std::string le = "\xff\xfe", be = "\xfe\xff";
  for (char16_t c : std::u16string(u"<a>\u6807\u7b7e</a>")) {
    le += static_cast<char>(c & 0xFF), le += static_cast<char>(c >> 8);
    be += static_cast<char>(c >> 8), be += static_cast<char>(c & 0xFF);
  }
  std::string gbk = "<?xml version=\"1.0\" encoding=\"GB2312\"?><a>\xb1\xea\xc7\xa9</a>";
  for (std::string* bytes : {&utf8, &bom, &le, &be, &gbk}) {
    XmlDocument doc;
    ASSERT_TRUE(Load(doc, *bytes));
    // A search makes the root current, even when it finds nothing.
    EXPECT_FALSE(doc.FindChildElement(u"a"));
    EXPECT_EQ(doc.GetElementText(), u"\u6807\u7b7e");
  }
  XmlDocument doc;
  Load(doc, "<r><a>\xe6\xa0\x87</a></r>");
  EXPECT_EQ(TextOf(doc, u"a"), u"\u6807");
  // Not starting with "<" and not UTF-8: the ANSI code page (GBK).
  Load(doc, " <r><a>\xb1\xea</a></r>");
  EXPECT_EQ(TextOf(doc, u"a"), u"\u6807");
  // Declared iso-8859-1, in upper case: code page 28591.
  Load(doc, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r><a>\xe9</a></r>");
  EXPECT_EQ(TextOf(doc, u"a"), u"\u00e9");
  // NUL bytes are removed.
  Load(doc, std::string("<r><a>x\0y</a></r>", 17));
  EXPECT_EQ(TextOf(doc, u"a"), u"xy");
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

TEST(XmlDocument, WellFormednessNotes) {
  const struct {
    const char* xml;
    std::u16string note;
    bool noted;
  } refused[] = {
      {"<a/><b/>", u"root_has_sibling", true},
      {"", u"no_root_element", false},  // an empty document is refused without a note
      {"<a><b></a>", u"<unended_start_tag tagname=\"b\" offset=\"3\"/>", true},
      {"<a></b></a>", u"<lone_end_tag tagname=\"b\" offset=\"3\"/>", true},
      {"<a><!-- open", u"type=\"comment\"", true},
      {"<a>< b</a>", u"first_tag_syntax", true},
      {"text only", u"no_root_element", true},
  };
  XmlDocument doc;
  for (const auto& c : refused) {
    EXPECT_FALSE(Load(doc, c.xml)) << c.xml;
    EXPECT_EQ(doc.GetResult().find(c.note) != std::u16string::npos, c.noted) << c.xml;
  }
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

TEST(XmlDocument, NavigationVisitsLikeNamedChildrenInOrder) {
  XmlDocument doc;
  ASSERT_TRUE(Load(doc, "<r><s><n>1</n><t>x</t><n>2</n></s><s><n>3</n></s></r>"));
  std::u16string seen;
  auto take = [&] {
    doc.EnterElement();
    seen += doc.GetElementText();
    doc.LeaveElement();
  };
  while (doc.FindChildElement(u"s")) {
    ASSERT_TRUE(doc.EnterElement());
    // Order matters: after "t" the first "n" is behind the position and is not seen.
    if (doc.FindChildElement(u"t")) take();
    while (doc.FindChildElement(u"n")) take();
    ASSERT_TRUE(doc.LeaveElement());
  }
  EXPECT_EQ(seen, u"x23");
  EXPECT_FALSE(doc.LeaveElement());
}

TEST(XmlDocument, ElementTextDecodesReferencesAndSkipsMarkup) {
  const std::pair<const char*, std::u16string> cases[] = {
      {"<a>&lt;&amp;&gt;&quot;&apos;</a>", u"<&>\"'"},
      {"<a>&#65;&#x42;&#X43;</a>", u"ABC"},
      {"<a>&delta;&Delta;</a>", u"\u03b4\u0394"},
      {"<a>&nosuch; & x &#0;</a>", u"&nosuch; & x &#0;"},
      {"<a>&#x1F600;</a>", u"\U0001F600"},
      {"<a> x<!-- c --><![CDATA[<&lt;>]]><?p i?> y </a>", u" x<&lt;> y "},
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
