#include "support/XmlScanner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "util/TempDir.h"

namespace qmz {
namespace {

using namespace std::string_literals;

// Every part of a document as "kind name|content", with the attributes "a=v" after it.
std::vector<std::string> Parts(TXmlParser& p) {
  std::vector<std::string> out;
  p.StartScan();
  while (p.Scan()) {
    std::string s = std::to_string(p.CurPartType) + " " + p.CurName + "|" + p.CurContent;
    for (int i = 0; i < p.CurAttr.Count(); ++i) s += " " + p.CurAttr.Name(i) + "=" + p.CurAttr.Value(i);
    out.push_back(s);
  }
  return out;
}

std::vector<std::string> Parts(std::string_view doc) {
  TXmlParser p;
  p.LoadFromBuffer(doc);
  return Parts(p);
}

// The first part of the given kind, scanned from the start.
bool ScanTo(TXmlParser& p, TXmlPartType kind) {
  p.StartScan();
  while (p.Scan())
    if (p.CurPartType == kind) return true;
  return false;
}

// The first text of a document, or the attribute named of its first tag.
std::string ValueOf(std::string_view doc, const std::string& attr = {}) {
  TXmlParser p;
  p.LoadFromBuffer(doc);
  while (p.Scan()) {
    if (attr.empty() && p.CurPartType == ptContent) return p.CurContent;
    if (!attr.empty() && (p.CurPartType == ptStartTag || p.CurPartType == ptEmptyTag)) return p.CurAttr.Value(attr);
  }
  return "<none>";
}

TEST(XmlScannerTest, PartsOfADocument) {
  EXPECT_EQ(Parts("<a x=\"1\" y='2'/>"), std::vector<std::string>{"6 a| x=1 y=2"});
  EXPECT_EQ(Parts("<a>hello</a>"), (std::vector<std::string>{"5 a|", "8 |hello", "7 a|"}));
  EXPECT_EQ(Parts("<?xml version=\"1.0\"?><!-- c --><?target k=\"v\"?><![CDATA[<&amp;>]]>"),
            (std::vector<std::string>{"1 | version=1.0", "2 |", "3 target| k=\"v\" k=v", "9 |<&amp;>"}));
  // White space between tags is skipped; a tag without '>' runs to the end.
  EXPECT_EQ(Parts("<a>\n  <b/>\n</a>"), (std::vector<std::string>{"5 a|", "6 b|", "7 a|"}));
  EXPECT_EQ(Parts("<a><b x=\"1\""), (std::vector<std::string>{"5 a|", "5 b| x=1"}));
  // A name without a quoted value is dropped; the attributes after it are still read.
  EXPECT_EQ(Parts("<a checked x=\"1\">"), std::vector<std::string>{"5 a| x=1"});
  // The first zero byte ends the document.
  EXPECT_EQ(Parts("<a n=\"x\0y\">ab\0cd</a><b/>"s), std::vector<std::string>{"5 a| n=x"});
  EXPECT_EQ(Parts("<a>ab\0cd</a><b/>"s), (std::vector<std::string>{"5 a|", "8 |ab"}));
  // Entity text with markup is scanned in place.
  EXPECT_EQ(Parts("<!DOCTYPE r [<!ENTITY e \"<b>hi</b>\">]><r>x&e;y</r>"),
            (std::vector<std::string>{"4 |", "5 r|", "8 |x", "5 b|", "8 |hi", "7 b|", "8 |y", "7 r|"}));
  // The scan stays at the end; empty documents end at once.
  TXmlParser p;
  p.LoadFromBuffer("<r/>");
  ASSERT_TRUE(p.Scan());
  EXPECT_FALSE(p.Scan());
  EXPECT_FALSE(p.Scan());
  EXPECT_EQ(p.CurPartType, ptNone);
  TXmlParser q;
  EXPECT_FALSE(q.Scan());
  q.LoadFromBuffer("");
  EXPECT_FALSE(q.Scan());
  EXPECT_FALSE(q.LoadFromFile("/nonexistent/folder/doc.xml"));
  EXPECT_FALSE(q.Scan());
}

TEST(XmlScannerTest, NameValueListAddsInFrontOfTheSameNameAndDefinitionsPerListAreBounded) {
  const std::pair<const char*, const char*> nodes[] = {{"b", "1"}, {"a", "2"}, {"b", "3"}, {"B", "4"}};
  TNvpList one, many;
  one.Add(std::make_unique<TNvpNode>("b", "0"));
  many.Add(std::make_unique<TNvpNode>("b", "0"));
  std::vector<std::unique_ptr<TNvpNode>> batch;
  for (auto [n, v] : nodes) {
    one.Add(std::make_unique<TNvpNode>(n, v));
    batch.push_back(std::make_unique<TNvpNode>(n, v));
  }
  many.AddMany(std::move(batch));
  auto dump = [](const TNvpList& l) {
    std::string s;
    for (int i = 0; i < l.Count(); ++i) s += l.Name(i) + l.Value(i) + " ";
    return s;
  };
  EXPECT_EQ(dump(one), "B4 a2 b3 b1 b0 ");  // capitals first; the newest first among equal names
  EXPECT_EQ(dump(many), dump(one));
  EXPECT_EQ(one.Value("b"), "3");
  EXPECT_EQ(one.Name(5), "");  // outside the list: empty, never a read past it
  EXPECT_EQ(one.Value(-1), "");
  std::string dtd = "<!DOCTYPE r [";
  for (int i = 0; i < TXmlParser::MaxDefinitions + 50; ++i) dtd += "<!ENTITY e" + std::to_string(i) + " \"v\">";
  dtd += "<!ENTITY e5 \"replaced\">]><r>&e5;</r>";
  TXmlParser p;
  p.LoadFromBuffer(dtd);
  ASSERT_TRUE(ScanTo(p, ptContent));
  EXPECT_EQ(p.Entities.Count(), TXmlParser::MaxDefinitions);
  EXPECT_EQ(p.CurContent, "replaced");  // a known name may still be redefined
}

// Text and attribute values, each from a document of its own: the text, or the attribute named.
TEST(XmlScannerTest, TextAndAttributeValuesAndExponentialEntitiesEndWithinTheBounds) {
  const struct {
    const char *doc, *attr, *want;
  } cases[] = {
      {"<a>&lt;b&gt; &#65;&#x42; &undef1;</a>", "", "<b> AB undef1"},
      // Character references give the character in UTF-8; codes that name no character a blank, never a
      // zero byte or half a character.
      {"<a>&#233;&#x20AC;&#x1F600;</a>", "", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
      {"<a>x&#0;&#xD800;&#12a;&#x110000;&#;y</a>", "", "x y"},
      // Decoded once; without ';' right after the name there is no reference, whatever ';' comes later.
      {"<a>&amp;#65; &amp;lt;</a>", "", "&#65; &lt;"},
      {"<a>1 &lt 2; R&D;</a>", "", "1 lt 2; RD"},
      {"<a x=\"&amp;#65;|&#65;|&lt 2;|&undef;\"/>", "x", "&#65;|A|&lt 2;|&undef;"},
      // Text is normalised; in undeclared attributes each white-space character becomes a blank.
      {"<a>  one \n\t two  </a>", "", "one two"},
      {"<a x=\" 1\t\n2 \"/>", "x", " 1  2 "},
      // Recursive entities stay unexpanded.
      {"<!DOCTYPE r [<!ENTITY e \"x&e;y\">]><r>&e;</r>", "", "x&e;y"},
      {"<!DOCTYPE r [<!ENTITY a \"A&b;\"><!ENTITY b \"B&a;\">]><r>&a;</r>", "", "AB&a;"},
      {"<!DOCTYPE r [<!ENTITY a \"A&b;\"><!ENTITY b \"B&a;\">]><r v=\"&a;\"/>", "v", "AB&a;"},
      // Undeclared: UTF-8 is kept, anything else is Windows-1252 like every game text. Declared UTF-8 with
      // bad bytes: one replacement for each, the next characters survive.
      {"<a>\xC3\xA9</a>", "", "\xC3\xA9"},
      {"<a>caf\xE9</a>", "", "caf\xC3\xA9"},
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>a\xFF\x62\xE2\x82x</a>", "", "a\xC2\xBF\x62\xC2\xBF\xC2\xBFx"},
  };
  for (const auto& c : cases) EXPECT_EQ(ValueOf(c.doc, c.attr), c.want) << c.doc;
  // Entities that grow exponentially end within the bounds.
  std::string dtd = "<!DOCTYPE r [<!ENTITY l0 \"lol\">";
  for (int i = 1; i <= 9; ++i) {
    dtd += "<!ENTITY l" + std::to_string(i) + " \"";
    for (int k = 0; k < 10; ++k) dtd += "&l" + std::to_string(i - 1) + ";";
    dtd += "\">";
  }
  dtd += "]>";
  std::string text = ValueOf(dtd + "<r>&l9;</r>");
  EXPECT_GT(text.size(), 1000u);
  EXPECT_LT(text.size(), 2 * TXmlParser::MaxExpansion);
  std::string attr = ValueOf(dtd + "<r v=\"&l9;\"/>", "v");
  EXPECT_LT(attr.size(), 2 * TXmlParser::MaxExpansion);

  // Defaults of a large ATTLIST on every tag: applied until the bound of default work, then the tags
  // keep what they are written with, and the scan ends in time.
  std::string many = "<!DOCTYPE r [<!ATTLIST a d CDATA '" + std::string(64 << 10, 'x') + "'>]><r>";
  for (int i = 0; i < 200; ++i) many += "<a/>";
  TXmlParser p;
  p.LoadFromBuffer(many);
  for (int pass = 0; pass < 2; ++pass) {  // the bound is per scan
    std::vector<size_t> sizes;
    p.StartScan();
    while (p.Scan())
      if (p.CurPartType == ptEmptyTag) sizes.push_back(p.CurAttr.Value("d").size());
    ASSERT_EQ(sizes.size(), 200u);
    EXPECT_EQ(sizes.front(), 64u << 10);
    EXPECT_EQ(sizes.back(), 0u);
  }

  // A chain deeper than the nesting bound stops expanding at the bound.
  std::string chain = "<!DOCTYPE r [<!ENTITY c0 \"end\">";
  for (int i = 1; i <= 40; ++i) chain += "<!ENTITY c" + std::to_string(i) + " \"&c" + std::to_string(i - 1) + ";\">";
  chain += "]><r>&c40;</r>";
  EXPECT_NE(ValueOf(chain).find("&c"), std::string::npos);
}

TEST(XmlScannerTest, DtdDefaultsFixedAndParameterEntitiesAreReadOnceAndKeptUntilTheNextLoad) {
  TXmlParser p;
  p.LoadFromBuffer(
      "<!DOCTYPE root [\n"
      "  <!ATTLIST item kind CDATA \"plain\">\n"  // before its ELEMENT
      "  <!ENTITY % kids \"(item|note)*\">\n"
      "  <!ELEMENT root %kids;>\n"
      "  <!ELEMENT item (#PCDATA)>\n"
      "  <!ATTLIST item ver CDATA #FIXED \"1&#46;0\" opt CDATA #IMPLIED tags NMTOKENS \"a  b\">\n"
      "  <!ATTLIST item en (x | y) \"x\">\n"
      "  <!ENTITY who \"first\">\n"
      "  <!ENTITY who \"second\">\n"
      "]>\n"
      "<root><item ver=\"9\" opt=\"o\" tags=\"  p \n q \">&who;</item></root>");
  EXPECT_EQ(Parts(p), (std::vector<std::string>{"4 |", "5 root|", "5 item| en=x kind=plain opt=o tags=p q ver=1.0",
                                                "8 |second", "7 item|", "7 root|"}));
  // A parameter entity that names itself stays unexpanded.
  p.LoadFromBuffer("<!DOCTYPE r [<!ENTITY % p \"(a|%p;)\"><!ELEMENT r %p;>]><r/>");
  ASSERT_TRUE(p.Scan());
  ASSERT_NE(p.Elements.Node("r"), nullptr);
  EXPECT_EQ(p.Elements.Node("r")->Definition, "(a|%p;)");
  // Every kind of DTD item, a damaged one last: a second scan does not read the declaration again, and the
  // definitions stay until another document is loaded.
  p.LoadFromBuffer(
      "<!DOCTYPE r [<!ELEMENT r ANY><!ATTLIST r a CDATA #REQUIRED><!ENTITY e \"v\">"
      "<!NOTATION n SYSTEM \"viewer\"><?pi x?><!-- c --><bad ]><r>&e;</r>");
  const std::vector<std::string> parts{"4 |", "5 r|", "8 |v", "7 r|"};
  EXPECT_EQ(Parts(p), parts);
  EXPECT_EQ(Parts(p), parts);
  EXPECT_EQ(p.Entities.Count(), 1);

  // Loaded again, the parser starts from nothing.
  p.LoadFromBuffer("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><!DOCTYPE r [<!ENTITY e \"v\">]><r>&e;</r>");
  Parts(p);
  EXPECT_EQ(p.CurEncoding, "ISO-8859-1");
  p.LoadFromBuffer("<r>&e;</r>");
  EXPECT_EQ(p.CurEncoding, "");
  EXPECT_EQ(p.Entities.Count(), 0);
  EXPECT_EQ(Parts(p), (std::vector<std::string>{"5 r|", "8 |e", "7 r|"}));
}

TEST(XmlScannerTest, MalformedDtdEnds) {
  // Declarations cut off, stray brackets and garbage in lists are read as far as they go.
  for (const char* doc : {"<!DOCTYPE", "<!DOCTYPE r [<!ATTLIST a x (b|c", "<!DOCTYPE r [<!ATTLIST a > > >]><a/>",
                          "<!DOCTYPE r [<!ENTITY % p \"]>\"> %p; <!ELEMENT r ANY>]><r/>",
                          "<!DOCTYPE r PUBLIC [<!ENTITY e SYSTEM>]><r>&e;</r>", "<!DOCTYPE r [%;%x%]>"}) {
    TXmlParser p;
    p.LoadFromBuffer(doc);
    int n = 0;
    while (p.Scan() && n < 100) ++n;
    EXPECT_LT(n, 100) << doc;
  }
  TXmlParser p;
  p.LoadFromBuffer("<!DOCTYPE r [<!ENTITY % p \"]>\"> %p; <!ELEMENT r ANY>]><r/>");
  ASSERT_TRUE(p.Scan());
  EXPECT_NE(p.Elements.Node("r"), nullptr);  // a bracket inside an entity does not end the subset
}

TEST(XmlScannerTest, EncodingsBecomeUtf8) {
  // UTF-8 with and without declaration is kept as is.
  TXmlParser p;
  p.LoadFromBuffer("<?xml version=\"1.0\" encoding=\"utf-8\"?><a n=\"\xC3\xA9\">\xE2\x82\xAC</a>");
  ASSERT_TRUE(ScanTo(p, ptContent));
  EXPECT_EQ(p.CurContent, "\xE2\x82\xAC");

  // An 8-bit declaration: names, attributes and text all come out in UTF-8.
  p.LoadFromBuffer("<?xml version=\"1.0\" encoding=\"windows-1252\"?><\xE9t a=\"\x80\">caf\xE9</\xE9t>");
  EXPECT_EQ(Parts(p), (std::vector<std::string>{"1 | encoding=windows-1252 version=1.0", "5 \xC3\xA9t| a=\xE2\x82\xAC",
                                                "8 |caf\xC3\xA9", "7 \xC3\xA9t|"}));

  // A byte-order mark is not text.
  EXPECT_EQ(Parts("\xEF\xBB\xBF<a/>"), std::vector<std::string>{"6 a|"});
}

// An attribute name starts with a Latin-1 letter but not with "×" or "÷"; where no name can start, the
// reading of attributes ends. Inside a name every character up to a delimiter counts.
TEST(XmlScannerTest, AttributeNamesStartWithLatin1LettersOnly) {
  EXPECT_EQ(Parts("<a \u00D7x=\"1\" \u00C0y=\"2\"/>"), std::vector<std::string>{"5 a|"});
  EXPECT_EQ(Parts("<a x=\"1\" \u00F7y=\"2\"/>"), std::vector<std::string>{"5 a| x=1"});
  EXPECT_EQ(Parts("<a \u00BFx=\"1\"/>"), std::vector<std::string>{"5 a|"});
  EXPECT_EQ(Parts("<a \u00A0x=\"1\"/>"), std::vector<std::string>{"5 a|"});
  EXPECT_EQ(Parts("<a \u00C0a=\"1\" \u00D6b=\"2\" \u00D8c=\"3\" \u00F6d=\"4\" \u00F8e=\"5\" \u00FFf=\"6\"/>"),
            std::vector<std::string>{"6 a| \u00C0a=1 \u00D6b=2 \u00D8c=3 \u00F6d=4 \u00F8e=5 \u00FFf=6"});
  EXPECT_EQ(Parts("<a x\u00D7\u00F7\u00BF=\"1\"/>"), std::vector<std::string>{"6 a| x\u00D7\u00F7\u00BF=1"});
  // Characters beyond Latin-1 start names as before.
  EXPECT_EQ(Parts("<a \u03A9x=\"1\" \u20ACy=\"2\"/>"), std::vector<std::string>{"6 a| \u03A9x=1 \u20ACy=2"});
  // The same classes hold for a document in an 8-bit encoding.
  EXPECT_EQ(Parts("<?xml version=\"1.0\" encoding=\"windows-1252\"?><a \xC0y=\"2\" \xD7x=\"1\"/>").back(),
            "5 a| \u00C0y=2");
}

class XmlScannerFileTest : public ::testing::Test {
 protected:
  void Write(const std::string& rel, const std::string& text) { test::WriteWholeFile(dir.Path() / rel, text); }
  // The first text of a document read from the folder, or the attribute named of its first empty tag.
  std::string Read(const std::string& doc, const char* attr = nullptr) {
    Write("mod/doc.xml", doc);
    TXmlParser p;
    EXPECT_TRUE(p.LoadFromFile((dir.Path() / "mod/doc.xml").string()));
    if (attr)
      return ScanTo(p, ptEmptyTag) ? p.CurAttr.Value(attr) + "|" + std::to_string(p.CurAttr.Count()) : "<no tag>";
    return ScanTo(p, ptContent) ? p.CurContent : std::string("<no text>");
  }
  std::string DocText(const std::string& entityDecls, const std::string& body) {
    return Read("<!DOCTYPE r [" + entityDecls + "]><r>" + body + "</r>");
  }
  test::TempDir dir;
};

TEST_F(XmlScannerFileTest, ExternalEntitiesAndDtdsOnlyFromTheDocumentsFolder) {
  Write("mod/sub/part.ent", "inside");
  Write("secret.txt", "SECRET");
  EXPECT_EQ(DocText("<!ENTITY x SYSTEM \"sub\\part.ent\">", "&x;"), "inside");
  EXPECT_EQ(DocText("<!ENTITY x SYSTEM \"SUB/Part.ENT\">", "&x;"), "inside") << "names in any letter case";
  EXPECT_EQ(DocText("<!ENTITY x SYSTEM \"sub/missing.ent\">", "[&x;]"), "[]");
  for (const char* id : {"../secret.txt", "sub/../../secret.txt", "..\\secret.txt", "/etc/passwd", "C:\\secret.txt",
                         "file:///etc/passwd", "http://example.invalid/x"}) {
    EXPECT_EQ(DocText(std::string("<!ENTITY x SYSTEM \"") + id + "\">", "&x;"), "&x;") << id;
  }
  // A link inside the folder that points out of it is refused as well.
  std::filesystem::create_symlink(dir.Path() / "secret.txt", dir.Path() / "mod/link.txt");
  EXPECT_EQ(DocText("<!ENTITY x SYSTEM \"link.txt\">", "&x;"), "&x;");
  // In an attribute value the refused reference stays too.
  EXPECT_EQ(Read("<!DOCTYPE r [<!ENTITY x SYSTEM \"../secret.txt\">]><r v=\"&x;\"/>", "v"), "&x;|1");
  // So does an external DTD's: its defaults apply only from inside the folder.
  Write("mod/dtd/doc.dtd", "<?xml version=\"1.0\"?>\n<!ATTLIST r lang CDATA \"en\">");
  Write("outside.dtd", "<!ATTLIST r lang CDATA \"xx\">");
  EXPECT_EQ(Read("<!DOCTYPE r SYSTEM \"dtd/doc.dtd\"><r/>", "lang"), "en|1");
  EXPECT_EQ(Read("<!DOCTYPE r SYSTEM \"../outside.dtd\"><r/>", "lang"), "|0");
}

}  // namespace
}  // namespace qmz
