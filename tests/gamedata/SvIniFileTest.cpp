#include <gtest/gtest.h>

#include <filesystem>

#include "gamedata/BiniTestWriter.h"
#include "gamedata/uSVIni.h"
#include "util/TempDir.h"

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
  for (const auto& item : list) out.emplace_back(item.text);
  return out;
}

V SectionNames(const TSvIniFile& ini) { return Lines(ini.Sections); }

V SectionLines(const TSvIniFile& ini, const std::string& section) {
  TStringList lines;
  ini.ReadSectionValues(section, &lines);
  return Lines(lines);
}

}  // namespace

TEST(SvIniFile, SectionsAreNumberedPerNameIgnoringCaseInEveryHeaderAndLineForm) {
  TSvIniFile ini(Text("[Data]\ngoods = a.ini ; main\n[data]\ngoods=b.ini\n[Base]\n[BASE]\nnickname=second\n[Solo]"),
                 "TEMP");
  EXPECT_EQ(SectionNames(ini), (V{"Data1", "data2", "Base1", "BASE2", "Solo1"}));
  EXPECT_EQ(Lines(ini.SectionNames), (V{"Data", "Base", "Solo"}));
  EXPECT_EQ(ini.SectionCounts, (std::vector<int>{2, 2, 1}));
  EXPECT_EQ(ini.ReadString("DATA1", "GOODS", ""), "a.ini");
  EXPECT_EQ(ini.ReadString("Data2", "goods", ""), "b.ini");
  EXPECT_EQ(ini.ReadString("base2", "nickname", ""), "second");
  EXPECT_EQ(ini.ReadString("Data", "goods", "none"), "none");
  EXPECT_EQ(ini.ReadStringF("Base%d", "nickname", "", {2}), "second");
  EXPECT_EQ(Lines(*ini.ReadSectionValuesF("Data%d", {2})), V{"goods=b.ini"});
  EXPECT_EQ(ini.ReadSectionValuesF("Data%d", {3})->Count(), 0);
  TStringList list;
  list.Add("old");
  ini.ReadSections(&list);
  EXPECT_EQ(Lines(list), (V{"Data1", "data2", "Base1", "BASE2", "Solo1"}));
  EXPECT_EQ(list.Objects(0), ini.Sections.Objects(0));  // the line lists themselves

  // Header and line forms.
  TSvIniFile forms(Text("before=header\n[Good] ; comment\n  key =  value  ; note\nlonely\na=b=c\n; comment\n"
                        "// comment\n\n[Good\n[ spaced ]\n[x]y]\n["),
                   "TEMP");
  EXPECT_EQ(SectionNames(forms), (V{"Good1", "Goo1", "spaced1", "x1", "1"}));
  EXPECT_EQ(SectionLines(forms, "Good1"), (V{"key=value", "lonely", "a=b=c"}));
  EXPECT_EQ(forms.ReadString("Good1", "a", ""), "b=c");
  EXPECT_EQ(forms.ReadString("Good1", "lonely", "bare"), "bare");  // a bare line has no name
}

TEST(SvIniFile, RepeatedKeysLastLineWinsAllLinesStayAndWritesNameSectionsExactly) {
  TSvIniFile ini(Text("[BaseGood]\nbase=st01\nMarketGood = Ore, 1\nother=x\nmarketgood=ORE_2, 3\n"), "TEMP");
  EXPECT_EQ(ini.ReadString("BaseGood1", "MarketGood", ""), "ORE_2, 3");
  EXPECT_EQ(Lines(*ini.ReadKeyValues("BaseGood1", "MarketGood", true)),
            (V{"MarketGood=Ore, 1", "marketgood=ORE_2, 3"}));
  EXPECT_EQ(Lines(*ini.ReadKeyValues("BaseGood1", "MarketGood", false)), (V{"ore, 1", "ore_2, 3"}));
  EXPECT_EQ(ini.ReadKeyValues("Nothing1", "MarketGood", true)->Count(), 0);
  // The last line of a name is the one written.
  ini.WriteString("BaseGood1", "MARKETGOOD", "gold, 4");
  EXPECT_EQ(SectionLines(ini, "BaseGood1"), (V{"base=st01", "MarketGood=Ore, 1", "other=x", "MARKETGOOD=gold, 4"}));
  ini.DeleteKey("basegood1", "marketgood");  // and the last line is the one deleted
  EXPECT_EQ(ini.ReadString("BaseGood1", "MarketGood", ""), "Ore, 1");
  ini.EraseSection("BASEGOOD1");
  EXPECT_EQ(ini.Sections.Count(), 0);
  ini.DeleteKey("BaseGood1", "base");
  ini.EraseSection("BaseGood1");

  // Writes build sections of exactly the given name.
  TSvIniFile markets(Text("[x]\nold=1\n"), "Markets");
  markets.WriteString("x", "k", "v");
  markets.WriteString("X", "K", "w");
  markets.WriteString("x1", "k", "in first");
  EXPECT_EQ(SectionNames(markets), (V{"x1", "x"}));
  EXPECT_EQ(SectionLines(markets, "x"), (V{"K=w"}));
  EXPECT_EQ(Lines(markets.SectionNames), V{"x"});
  EXPECT_EQ(markets.SectionCounts, std::vector<int>{1});
  EXPECT_EQ(SectionLines(markets, "x1"), (V{"old=1", "k=in first"}));

  TStringList list = Text("commodity_a, 0, -1\nname=val\ncommodity_b\ncommodity_a, 5, 6\n , x");
  markets.WriteSectionList("st01_01_base", list);
  EXPECT_EQ(SectionLines(markets, "st01_01_base"), (V{"commodity_a=5, 6", "name=val", "commodity_b=", "=x"}));
  markets.WriteSectionList("empty", TStringList());
  EXPECT_EQ(markets.Sections.IndexOf("empty"), -1);
}

TEST(SvIniFile, FilesOfBothFormsAndMissingFiles) {
  TempDir dir;
  const auto text = (dir.Path() / "text.ini").string();
  // Text of every form is decoded line for line in the decoder's tests.
  WriteWholeFile(text, "[Good]\r\nnickname = a\r\n");
  TSvIniFile fromText(text);
  EXPECT_TRUE(fromText.Loaded);
  EXPECT_EQ(fromText.DecodeStatus, bsNotBini);
  EXPECT_EQ(fromText.FileName(), text);

  BiniWriter w;
  w.Section("Good", 2).Entry("nickname", 1).String("ore").Entry("price", 2).Int(90).Float(1.5f);
  w.Section("good", 2).Entry("nickname", 1).String("gold");
  const auto bini = (dir.Path() / "bini.ini").string();
  w.Save(bini);
  TSvIniFile damaged(bini);  // the second section's count promises a second entry that is not there
  // A damaged binary file keeps the sections decoded before the damage and says it is damaged, instead
  // of being read again as text.
  EXPECT_TRUE(damaged.Damaged());
  EXPECT_TRUE(damaged.Loaded);
  EXPECT_EQ(SectionLines(damaged, "good2"), V{"nickname=gold"});

  TSvIniFile missing((dir.Path() / "missing.ini").string());
  EXPECT_FALSE(missing.Loaded);
  EXPECT_EQ(missing.FileName(), "");
  EXPECT_EQ(missing.DecodeStatus, bsNoSource);
  EXPECT_EQ(missing.ReadString("Good1", "nickname", "d"), "d");

  WriteWholeFile(text, "; only\nkey=before any header\n");
  EXPECT_FALSE(TSvIniFile(text).Loaded);

  // Written back with numbered names, so not the file that was read.
  TSvIniFile written(Text("[Data]\nk=1\n[Data]\n"), text);
  written.UpdateFile();
  EXPECT_EQ(SectionNames(TSvIniFile(text)), (V{"Data11", "Data21"}));
  written.LoadValues();
  EXPECT_EQ(written.ReadString("Data11", "k", ""), "1");
  // Reloading a file that is gone, or an object named by no file, leaves it empty.
  std::filesystem::remove(text);
  written.LoadValues();
  EXPECT_EQ(written.Sections.Count(), 0);
  TSvIniFile listed(Text("[Data]\nk=1\n"), "");
  listed.LoadValues();
  EXPECT_EQ(listed.ReadString("Data1", "k", "none"), "none");
}
