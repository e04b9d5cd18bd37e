#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/XmlScanner.h"
#include "util/TempDir.h"

namespace qmz {
namespace {

// A parser that notes every item of the document type declaration as "kind:text".
class RecordingParser : public TXmlParser {
 public:
  std::vector<std::string> items;
  void DtdElementFound(const TDtdElementRec& rec) override {
    items.push_back(std::to_string(rec.ElementType) + ":" + std::string(rec.Text));
  }
  // Every part after the declaration, as "kind name attributes".
  std::vector<std::string> Parts() {
    std::vector<std::string> out;
    StartScan();
    while (Scan()) {
      std::string s = std::to_string(CurPartType) + " " + CurName + CurContent;
      for (int i = 0; i < CurAttr.Count(); ++i) s += " " + CurAttr.Name(i) + "=" + CurAttr.Value(i);
      out.push_back(s);
    }
    return out;
  }
};

// Final is the closing quote of the last literal; what follows it is still read.
TEST(XmlDtdTest, ExternalIdEndsAtItsLastQuote) {
  const std::string pub = "PUBLIC '-//Q//X' \"b.dtd\">";
  const TExternalID id(pub, 0);
  EXPECT_EQ(id.PublicId + "|" + id.SystemId, "-//Q//X|b.dtd");
  EXPECT_EQ(id.Final, pub.size() - 2);
  EXPECT_EQ(TExternalID("SYSTEM 'a' [", 0).Final, 9u);
  RecordingParser p;
  p.LoadFromBuffer("<!DOCTYPE r [<!ENTITY pic SYSTEM \"p.gif\" NDATA gif>]><r/>");
  p.Parts();
  ASSERT_NE(p.EntityDef("pic"), nullptr);
  EXPECT_EQ(p.EntityDef("pic")->NotationName, "gif");
}

TEST(XmlDtdTest, AnElementDeclaredAgainLosesTheAttributesOfTheEarlierOne) {
  RecordingParser p;
  p.LoadFromBuffer(
      "<!DOCTYPE r [<!ATTLIST a early CDATA \"1\"><!ELEMENT a ANY><!ATTLIST a x CDATA \"2\">"
      "<!ATTLIST b y CDATA \"3\"><!ELEMENT b ANY>"
      "<!ELEMENT a EMPTY>]><r><a/><b/></r>");
  EXPECT_EQ(p.Parts(), (std::vector<std::string>{"4 ", "5 r", "6 a", "6 b y=3", "7 r"}));
  ASSERT_NE(p.Elements.Node("a"), nullptr);
  EXPECT_EQ(p.Elements.Node("a")->ElemType, etEmpty);
}

TEST(XmlDtdTest, UnknownMarkupIsUnexpectedAtItsStartAndReadingGoesOn) {
  RecordingParser p;
  p.LoadFromBuffer("<!DOCTYPE r [<!ENTITY e \"1\"><!BOGUS ]><r>&e;</r>");
  EXPECT_EQ(p.Parts(), (std::vector<std::string>{"4 ", "5 r", "8 1", "7 r"}));
  EXPECT_EQ(p.items, (std::vector<std::string>{"2:<!ENTITY e \"1\">", "6:<"}));
  // Its '>' is the end of the subset, as any '>' outside a declaration is.
  p.LoadFromBuffer("<!DOCTYPE r [<!BOGUS x><!ENTITY f \"2\">]><r/>");
  p.items.clear();
  p.Parts();
  EXPECT_EQ(p.items, std::vector<std::string>{"6:<"});
  EXPECT_EQ(p.EntityDef("f"), nullptr);
}

TEST(XmlDtdTest, ParameterEntitiesBeforeAndAfterTheSubsetAreFollowed) {
  test::TempDir dir;
  test::WriteWholeFile(dir.Path() / "d.dtd",
                       "<!ENTITY % local \"[<!ATTLIST r lang CDATA 'pe'>]\">\n"
                       "<!ENTITY % close \" >\">\n<!ENTITY % junk \"odd\">");
  RecordingParser p;
  auto read = [&](const std::string& doc) {
    test::WriteWholeFile(dir.Path() / "doc.xml", doc);
    EXPECT_TRUE(p.LoadFromFile((dir.Path() / "doc.xml").string()));
    return p.Parts();
  };
  EXPECT_EQ(read("<!DOCTYPE r SYSTEM \"d.dtd\" %local;><r/>"), (std::vector<std::string>{"4 ", "6 r lang=pe"}));
  EXPECT_EQ(p.RootName, "r");
  // A declaration that ends inside an entity's text is unexpected; the document goes on after the reference.
  EXPECT_EQ(read("<!DOCTYPE r SYSTEM \"d.dtd\" %close;<r a=\"1\"/>"), (std::vector<std::string>{"4 ", "6 r a=1"}));
  EXPECT_EQ(p.items.back(), "6:>");
  // After the subset an entity's text is unexpected, like any other text there.
  EXPECT_EQ(read("<!DOCTYPE r SYSTEM \"d.dtd\" [] %junk; ><r/>"), (std::vector<std::string>{"4 ", "6 r"}));
  EXPECT_EQ(p.items.back(), "6:odd");
}

// The declaration is read once, from the first DOCTYPE; a second one is passed over whole, brackets and
// quotes included, and defines nothing. Elements are listed by name.
TEST(XmlDtdTest, ASecondDeclarationIsOnlyPassedOverAndElementsAreKeptInNameOrder) {
  RecordingParser p;
  EXPECT_TRUE(p.DocBuffer().empty());  // nothing loaded
  const std::string doc =
      "<!DOCTYPE r [<!ELEMENT r ANY><!ELEMENT a EMPTY>]>"
      "<!DOCTYPE x [<!ENTITY e \"]>\"> ']>' <!ELEMENT b ANY>]><r/>";
  p.LoadFromBuffer(doc);
  EXPECT_EQ(p.DocBuffer(), doc);
  EXPECT_EQ(p.Parts(), (std::vector<std::string>{"4 ", "4 ", "6 r"}));
  EXPECT_EQ(p.items, (std::vector<std::string>{"0:<!ELEMENT r ANY>", "0:<!ELEMENT a EMPTY>"}));
  EXPECT_EQ(p.Entities.Count(), 0);
  ASSERT_EQ(p.Elements.Count(), 2);
  EXPECT_EQ(p.Elements.Node(0)->Name + p.Elements.Node(1)->Name, "ar");
  EXPECT_EQ(p.Elements.Node(2), nullptr);
  EXPECT_EQ(p.Elements.Node(-1), nullptr);
  p.Clear();
  EXPECT_TRUE(p.DocBuffer().empty());
}

}  // namespace
}  // namespace qmz
