#include <gtest/gtest.h>

#include "gamedata/BiniTestWriter.h"
#include "gamedata/uSVIni.h"
#include "platform/TestTempDir.h"

using namespace qmz;
using qmz::test::BiniWriter;
using qmz::test::TempDir;
using qmz::test::WriteWholeFile;

namespace {

using V = std::vector<std::string>;

TStringList Text(std::string_view text) {
  TStringList list;
  list.SetText(text);
  return list;
}

V Lines(const TStringList& list) {
  V out;
  for (const auto& item : list) out.push_back(item.text);
  return out;
}

V SectionNames(const TSvIniFile& ini) { return Lines(ini.Sections); }

V SectionLines(const TSvIniFile& ini, const std::string& section) {
  TStringList lines;
  ini.ReadSectionValues(section, &lines);
  return Lines(lines);
}

}  // namespace

TEST(SvIniFile, SectionsAreNumberedPerNameIgnoringCase) {
  TSvIniFile ini(Text("[Data]\ngoods = a.ini ; main\n[data]\ngoods=b.ini\n[Base]\n[BASE]\nnickname=second\n[Solo]"),
                 "TEMP");
  EXPECT_EQ(SectionNames(ini), (V{"Data1", "data2", "Base1", "BASE2", "Solo1"}));
  EXPECT_EQ(Lines(ini.SectionNames), (V{"Data", "Base", "Solo"}));
  EXPECT_EQ(ini.SectionCounts, (std::vector<int>{2, 2, 1}));
  EXPECT_EQ(ini.ReadString("DATA1", "GOODS", ""), "a.ini");
  EXPECT_EQ(ini.ReadString("Data2", "goods", ""), "b.ini");
  EXPECT_EQ(ini.ReadString("base2", "nickname", ""), "second");
  EXPECT_EQ(ini.ReadString("Data", "goods", "none"), "none");
  EXPECT_EQ(ini.FileName(), "TEMP");
  EXPECT_FALSE(ini.Loaded);
}

TEST(SvIniFile, HeaderAndLineForms) {
  TSvIniFile ini(Text("before=header\n[Good] ; comment\n  key =  value  ; note\nlonely\na=b=c\n; comment\n"
                      "// comment\n\n[Good\n[ spaced ]\n[x]y]\n["),
                 "TEMP");
  EXPECT_EQ(SectionNames(ini), (V{"Good1", "Goo1", "spaced1", "x1", "1"}));
  EXPECT_EQ(SectionLines(ini, "Good1"), (V{"key=value", "lonely", "a=b=c"}));
  EXPECT_EQ(ini.ReadString("Good1", "a", ""), "b=c");
  EXPECT_EQ(ini.ReadString("Good1", "lonely", "bare"), "bare");  // a bare line has no name
}

TEST(SvIniFile, RepeatedKeysLastLineWinsAndAllLinesStay) {
  TSvIniFile ini(Text("[BaseGood]\nbase=li01\nMarketGood = Ore, 1\nother=x\nmarketgood=ORE_2, 3\n"), "TEMP");
  EXPECT_EQ(ini.ReadString("BaseGood1", "MarketGood", ""), "ORE_2, 3");
  EXPECT_EQ(Lines(*ini.ReadKeyValues("BaseGood1", "MarketGood", true)), (V{"MarketGood=Ore, 1", "marketgood=ORE_2, 3"}));
  EXPECT_EQ(Lines(*ini.ReadKeyValues("BaseGood1", "MarketGood", false)), (V{"ore, 1", "ore_2, 3"}));
  EXPECT_EQ(Lines(*ini.ReadKeyValuesF("BaseGood%d", " marketgood ", {1}, true)).size(), 2u);
  const auto absent = ini.ReadKeyValues("Nothing1", "MarketGood", true);
  ASSERT_NE(absent, nullptr);
  EXPECT_EQ(absent->Count(), 0);
}

TEST(SvIniFile, FormattedReads) {
  TSvIniFile ini(Text("[Group]\n[Group]\n[Group]\n[Group]\n[Group]\n[Group]\n[Group]\nnickname=fc_x\nrep=1\n"), "TEMP");
  EXPECT_EQ(ini.ReadStringF("Group%d", "nickname", "", {7}), "fc_x");
  EXPECT_EQ(Lines(*ini.ReadSectionValuesF("Group%d", {7})), (V{"nickname=fc_x", "rep=1"}));
  EXPECT_EQ(ini.ReadSectionValuesF("Group%d", {8})->Count(), 0);
}

TEST(SvIniFile, FindSectionComparesTrimmedValuesIgnoringCase) {
  TSvIniFile ini(Text("[FactionProps]\naffiliation=li_p_grp\n[FactionProps]\naffiliation = LI_LSF_GRP \n"
                      "[FactionProps]\naffiliation=li_lsf_grp\n"),
                 "TEMP");
  EXPECT_EQ(ini.FindSection("affiliation", " li_lsf_grp", "FactionProps"), "FactionProps2");
  EXPECT_EQ(ini.FindSection("affiliation", "br_grp", "FactionProps"), "");
  EXPECT_EQ(ini.FindSection("affiliation", "li_p_grp", "Never"), "");
  EXPECT_EQ(ini.FindSection("missing", "**fail**", "FactionProps"), "FactionProps1");
}

TEST(SvIniFile, WritesBuildSectionsOfExactlyTheGivenName) {
  TSvIniFile ini(Text("[x]\nold=1\n"), "Markets");
  ini.WriteString("x", "k", "v");
  ini.WriteString("X", "K", "w");
  ini.WriteString("x1", "k", "in first");
  EXPECT_EQ(SectionNames(ini), (V{"x1", "x"}));
  EXPECT_EQ(SectionLines(ini, "x"), (V{"K=w"}));
  EXPECT_EQ(Lines(ini.SectionNames), V{"x"});
  EXPECT_EQ(ini.SectionCounts, std::vector<int>{1});
  EXPECT_EQ(SectionLines(ini, "x1"), (V{"old=1", "k=in first"}));

  TStringList list = Text("commodity_a, 0, -1\nname=val\ncommodity_b\ncommodity_a, 5, 6\n , x");
  ini.WriteSectionList("li01_01_base", list);
  EXPECT_EQ(SectionLines(ini, "li01_01_base"), (V{"commodity_a=5, 6", "name=val", "commodity_b=", "=x"}));
  ini.WriteSectionList("empty", TStringList());
  EXPECT_EQ(ini.Sections.IndexOf("empty"), -1);
}

TEST(SvIniFile, LastLineOfANameIsTheOneWrittenAndDeleted) {
  TSvIniFile ini(Text("[s]\nk=1\nother=2\nK=3\n"), "TEMP");
  ini.WriteString("s1", "k", "4");
  EXPECT_EQ(SectionLines(ini, "s1"), (V{"k=1", "other=2", "k=4"}));
  ini.DeleteKey("s1", "K");
  EXPECT_EQ(SectionLines(ini, "s1"), (V{"k=1", "other=2"}));
  EXPECT_EQ(ini.ReadString("s1", "k", ""), "1");
  ini.EraseSection("S1");
  EXPECT_EQ(ini.Sections.Count(), 0);
  ini.DeleteKey("s1", "k");
  ini.EraseSection("s1");
}

TEST(SvIniFile, LargeSectionsBuiltLineByLineStayConsistent) {
  TSvIniFile ini(TStringList(), "Goods");
  for (int i = 0; i < 3000; ++i) ini.WriteString("sec" + std::to_string(i % 500), "k", std::to_string(i));
  for (int i = 0; i < 4000; ++i) ini.WriteString("big", "key" + std::to_string(i % 1000), std::to_string(i));
  EXPECT_EQ(ini.Sections.Count(), 501);
  EXPECT_EQ(ini.ReadString("SEC499", "k", ""), "2999");
  EXPECT_EQ(ini.ReadString("sec0", "K", ""), "2500");
  TStringList big;
  ini.ReadSectionValues("big", &big);
  ASSERT_EQ(big.Count(), 1000);
  EXPECT_EQ(big[0], "key0=3000");
  EXPECT_EQ(ini.ReadString("big", "KEY999", ""), "3999");
}

TEST(SvIniFile, ReadSectionsListsTheLineListsInOrder) {
  TSvIniFile ini(Text("[a]\nx=1\n[b]\n[a]\ny=2\n"), "TEMP");
  TStringList list;
  list.Add("old");
  ini.ReadSections(&list);
  EXPECT_EQ(Lines(list), (V{"a1", "b1", "a2"}));
  auto* lines = dynamic_cast<THashedStringList*>(list.Objects(2));
  ASSERT_NE(lines, nullptr);
  EXPECT_EQ(Lines(*lines), V{"y=2"});
}

TEST(SvIniFile, FilesOfBothFormsAndMissingFiles) {
  TempDir dir;
  const auto text = (dir.Path() / "text.ini").string();
  WriteWholeFile(text, "\xEF\xBB\xBF[Good]\r\nnickname = caf\xE9\r\n[Good]\rnickname=b\n");
  TSvIniFile fromText(text);
  EXPECT_TRUE(fromText.Loaded);
  EXPECT_EQ(fromText.DecodeStatus, bsNotBini);
  EXPECT_EQ(fromText.FileName(), text);
  EXPECT_EQ(SectionNames(fromText), (V{"Good1", "Good2"}));
  EXPECT_EQ(fromText.ReadString("Good1", "nickname", ""), "caf\xC3\xA9");

  BiniWriter w;
  w.Section("Good", 2).Entry("nickname", 1).String("ore").Entry("price", 2).Int(90).Float(1.5f);
  w.Section("good", 1).Entry("nickname", 1).String("gold");
  const auto bini = (dir.Path() / "bini.ini").string();
  w.Save(bini);
  TSvIniFile fromBini(bini);
  EXPECT_TRUE(fromBini.Loaded);
  EXPECT_EQ(fromBini.DecodeStatus, bsSuccess);
  EXPECT_EQ(SectionNames(fromBini), (V{"Good1", "good2"}));
  EXPECT_EQ(SectionLines(fromBini, "Good1"), (V{"nickname=ore", "price=90, 1.500000"}));

  TSvIniFile missing((dir.Path() / "missing.ini").string());
  EXPECT_FALSE(missing.Loaded);
  EXPECT_EQ(missing.FileName(), "");
  EXPECT_EQ(missing.DecodeStatus, bsNoSource);
  EXPECT_EQ(missing.ReadString("Good1", "nickname", "d"), "d");

  const auto comments = (dir.Path() / "comments.ini").string();
  WriteWholeFile(comments, "; only\nkey=before any header\n");
  TSvIniFile onlyComments(comments);
  EXPECT_FALSE(onlyComments.Loaded);
  EXPECT_EQ(onlyComments.Sections.Count(), 0);
}

// A damaged binary file keeps the sections decoded before the damage and says it is damaged, instead of
// being read again as text.
TEST(SvIniFile, DamagedBinaryFileKeepsThePartBeforeTheDamage) {
  TempDir dir;
  BiniWriter w;
  w.Section("Good", 1).Entry("nickname", 1).String("ore");
  w.Section("Good", 2).Entry("nickname", 1).String("gold").Entry("bad", 1).Value(9, 0);
  const auto file = (dir.Path() / "damaged.ini").string();
  w.Save(file);
  TSvIniFile ini(file);
  EXPECT_TRUE(ini.Damaged());
  EXPECT_TRUE(ini.Loaded);
  EXPECT_EQ(SectionNames(ini), (V{"Good1", "Good2"}));
  EXPECT_EQ(SectionLines(ini, "Good2"), V{"nickname=gold"});
}

TEST(SvIniFile, UpdateFileWritesNumberedNames) {
  TempDir dir;
  const auto file = (dir.Path() / "out.ini").string();
  TSvIniFile ini(Text("[Data]\nk=1\n[Data]\n"), file);
  ini.UpdateFile();
  TSvIniFile back(file);
  EXPECT_EQ(SectionNames(back), (V{"Data11", "Data21"}));
  EXPECT_EQ(back.ReadString("Data11", "k", ""), "1");
  ini.LoadValues();
  EXPECT_EQ(SectionNames(ini), (V{"Data11", "Data21"}));
}
