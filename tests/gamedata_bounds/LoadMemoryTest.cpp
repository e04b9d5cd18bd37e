// What reading game files may cost: crafted binary files, files too large for the memory, huge lines.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AllocationMeter.h"
#include "gamedata/BiniTestWriter.h"
#include "gamedata/uIniDecoder.h"
#include "gamedata/GeneratedInstallTest.h"
#include "gamedata/uSVIni.h"

using namespace qmz;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMiB = std::size_t(1) << 20;
// Far beyond what any file here may cost, far below what the crafted records claim.
constexpr std::size_t kRefuseAbove = std::size_t(1) << 30;

// One record claiming 65,535 entries after a section named by a megabyte: room for every entry at the
// length of the lines so far would be tens of gigabytes.
std::string LongNameBomb() {
  test::BiniWriter w;
  // Names and keys are 16-bit offsets: the short ones go first, the long name right after them.
  const std::uint32_t key = w.Str("k");
  w.Section("s", 0);
  w.SectionAt(std::uint16_t(w.Str(std::string(kMiB, 'n'))), 0);
  w.Section("s", 65535);
  for (int e = 0; e < 1000; ++e) w.EntryAt(std::uint16_t(key), 0);
  return w.Build();
}

// About 400 KB: two entries naming one 100 KB string make lines long on average, then 65,535 short entries.
std::string AverageLineBomb() {
  test::BiniWriter w;
  const std::uint32_t key = w.Str("k");
  w.Section("a", 2);
  const std::uint32_t text = w.Str(std::string(100000, 'x'));
  for (int e = 0; e < 2; ++e) w.EntryAt(std::uint16_t(key), 1).Value(3, text);
  w.Section("b", 65535);
  for (int e = 0; e < 65535; ++e) w.EntryAt(std::uint16_t(key), 0);
  return w.Build();
}

struct Bomb {
  const char* name;
  std::string bytes;
};

const std::vector<Bomb>& Bombs() {
  static const std::vector<Bomb> bombs = {{"long name", LongNameBomb()}, {"long average line", AverageLineBomb()}};
  return bombs;
}

// ---- many small sections -----------------------------------------------------------------------

// About 2 MB of sections without lines: headers without a name, headers with one, binary records.
const std::vector<Bomb>& EmptySectionFiles() {
  static const std::vector<Bomb> files = [] {
    constexpr std::size_t kSize = 2 * kMiB;
    std::vector<Bomb> made;
    for (const char* header : {"[]\n", "[a]\n"}) {
      std::string text;
      while (text.size() < kSize) text += header;
      made.push_back({header, text});
    }
    test::BiniWriter w;
    for (std::size_t i = 0; i < kSize / 4; ++i) w.Section("a", 0);
    made.push_back({"binary", w.Build()});
    return made;
  }();
  return files;
}

// A section without lines costs a list item, not a line list: the file at most this many times over.
constexpr std::size_t kEmptySectionFactor = 16;

// Read alone: bombs stay within the decoded bound, empty sections cost a small multiple of the file.
TEST(CraftedFiles, ReadAloneStayWithinTheirBounds) {
  test::TempDir dir;
  const std::string path = (dir.Path() / "crafted.ini").string();
  const std::vector<std::pair<const char*, std::function<void()>>> reads = {
      {"INI object from the file", [&] { TSvIniFile ini(path); }},
      {"lines of the file", [&] { DecodeBiniFileLines(path, [](std::string_view) {}); }},
  };
  for (const auto& bomb : Bombs()) {
    test::WriteWholeFile(path, bomb.bytes);
    for (const auto& [what, read] : reads) {
      SCOPED_TRACE(std::string(bomb.name) + ", " + what);
      test::AllocationMeter meter(kRefuseAbove);
      EXPECT_NO_THROW(read());
      EXPECT_EQ(meter.Refused(), 0);
      EXPECT_LE(meter.Peak(), MaxDecodedSize(bomb.bytes.size()) + 4 * bomb.bytes.size());
    }
  }
  for (const auto& file : EmptySectionFiles()) {
    SCOPED_TRACE(file.name);
    test::WriteWholeFile(path, file.bytes);
    test::AllocationMeter meter(kRefuseAbove);
    TSvIniFile ini(path);
    // Looked up, as the loader does, so the section list is hashed too.
    const std::string last = ini.Sections.Count() > 0 ? std::string(ini.Sections[ini.Sections.Count() - 1]) : "";
    EXPECT_EQ(ini.Sections.IndexOf(last), ini.Sections.Count() - 1);
    EXPECT_GT(ini.Sections.Count(), 500000);
    EXPECT_EQ(ini.ReadString(last, "k", "none"), "none");
    EXPECT_LE(meter.Peak(), kEmptySectionFactor * file.bytes.size());
  }
}

// ---- whole loads -------------------------------------------------------------------------------

class LoadMemory : public test::GeneratedInstallTest {
 protected:
  void SetUp() override {
    GeneratedInstallTest::SetUp();
    Generate("small");
  }

  bool HasLineEndingIn(std::string_view start, std::string_view end, TJournalLevel level) const {
    for (const auto& r : journal->Buffer())
      if (r.Level == level && r.Text.starts_with(start) && EndsText(end, r.Text)) return true;
    return false;
  }
};

// Every way a game file is read: main INI, initial world, faction file, system file, joined data file.
const char* const kGameFiles[] = {"EXE/starvagant.ini", "DATA/launch_world.ini", "DATA/missions/faction_prop.ini",
                                  "DATA/universe/systems/st02/st02.ini", "DATA/universe/universe.ini"};

// Bombs end within the decoded bound; empty sections cost a small multiple of the file (the joined data
// text keeps each line with its end as well).
TEST_F(LoadMemory, CraftedFilesInEveryGameFileStayWithinTheirBound) {
  const std::pair<const std::vector<Bomb>*, std::size_t (*)(std::size_t)> kinds[] = {
      {&Bombs(), [](std::size_t size) { return MaxDecodedSize(size) + 16 * kMiB; }},
      {&EmptySectionFiles(), [](std::size_t size) { return (kEmptySectionFactor + 4) * size; }},
  };
  for (const char* game : kGameFiles) {
    for (const auto& [files, bound] : kinds) {
      for (const auto& file : *files) {
        SCOPED_TRACE(std::string(game) + ", " + file.name);
        const std::string original = Replace(game, file.bytes);
        test::AllocationMeter meter(kRefuseAbove);
        EXPECT_NO_THROW(Load());
        EXPECT_EQ(meter.Refused(), 0);
        EXPECT_LE(meter.Peak(), bound(file.bytes.size()));
        Replace(game, original);
      }
    }
  }
}

TEST_F(LoadMemory, AFileTooLargeForTheMemoryEndsTheLoadWithItsNameAndTheDialog) {
  // The file is read whole into one buffer: refusing anything above half its size refuses that read.
  const std::string large = "[Huge]\nk = " + std::string(8 * kMiB, 'v') + "\n";
  for (const char* file : kGameFiles) {
    SCOPED_TRACE(file);
    const std::string original = Replace(file, large);
    journal = test::MemoryJournal();
    user.warnings.clear();
    std::unique_ptr<TSvData> d;
    {
      test::AllocationMeter meter(4 * kMiB);
      EXPECT_NO_THROW(d = Load());
      EXPECT_GT(meter.Refused(), 0);
    }
    Replace(file, original);
    if (!d) continue;
    EXPECT_FALSE(d->DataValid);
    const std::string name = fs::path(file).filename().string();
    EXPECT_TRUE(HasLineEndingIn("Data file not read (out of memory): ", name, jlError));
    const bool mainIni = name == "starvagant.ini";
    EXPECT_EQ(user.warnings, std::vector<std::string>{mainIni ? TSvData::MainIniText(d->SVPath + "EXE\\starvagant.ini")
                                                              : TSvData::DataFilesText()});
    EXPECT_TRUE(test::HasLine(*journal, "<< SvData.Create() >> - Result: False", jlEnd));
  }
}

// ---- huge lines --------------------------------------------------------------------------------

// Twenty short sections (so the section lists are hashed) and one huge line: a section name or a value.
std::string HugeLineFile(bool inName) {
  std::string text;
  for (int i = 0; i < 20; ++i) text += "[Short" + std::to_string(i) + "]\nnickname = s" + std::to_string(i) + "\n";
  const std::string huge(8 * kMiB, 'h');
  text += inName ? "[" + huge + "]\nnickname = huge\n" : "[Long]\nvalue = " + huge + "\n";
  return text;
}

// Every section and its first line looked up by name, in place (a copy of a huge text is the caller's cost).
void ReadEverySection(const TSvIniFile& ini) {
  for (int i = 0; i < ini.Sections.Count(); ++i) {
    EXPECT_EQ(ini.Sections.IndexOf(ini.Sections[i]), i);
    const auto& lines = *static_cast<const THashedStringList*>(ini.Sections.Objects(i));
    EXPECT_EQ(lines.IndexOfName(lines.Names(0)), 0);
  }
  EXPECT_EQ(ini.ReadString("Short71", "nickname", ""), "s7");
}

TEST(HugeLines, CostAtMostThreeTimesTheFile) {
  test::TempDir dir;
  const std::string path = (dir.Path() / "huge.ini").string();
  for (const bool inName : {true, false}) {
    SCOPED_TRACE(inName ? "section name" : "value");
    const std::string text = HugeLineFile(inName);
    test::WriteWholeFile(path, text);
    const std::size_t bound = 3 * text.size() + kMiB;
    {
      test::AllocationMeter meter(kRefuseAbove);
      TSvIniFile ini(path);
      ASSERT_EQ(ini.Sections.Count(), 21);
      ReadEverySection(ini);
      EXPECT_LE(meter.Peak(), bound) << "INI object from the file";
    }
    {
      // The road of the joined data files: the lines kept, then the INI object made of them.
      test::AllocationMeter meter(kRefuseAbove);
      LineBuffer lines;
      lines.Reserve(text.size());
      DecodeBiniFileLines(path, [&lines](std::string_view line) { lines.Add(line); });
      TSvIniFile ini(lines, "Universe");
      lines.Clear();
      ASSERT_EQ(ini.Sections.Count(), 21);
      ReadEverySection(ini);
      EXPECT_LE(meter.Peak(), bound) << "INI object from joined lines";
    }
  }
}

// ---- what one load holds -----------------------------------------------------------------------

// About 300 KB that decode to 12 MiB: every value names one string of 64 KiB (filled with fill).
std::string DecodesLarge(char fill) {
  test::BiniWriter w;
  const std::uint32_t key = w.Str("k");
  const std::uint32_t text = w.Str(std::string(64 << 10, fill));
  w.Section("SystemInfo", 1).Entry("local_faction", 1).String("none");
  w.Section("Object", 12);
  for (int e = 0; e < 12; ++e) {
    w.EntryAt(std::uint16_t(key), 16);
    for (int v = 0; v < 16; ++v) w.Value(3, text);
  }
  return w.TableBytes(std::string(256 << 10, fill)).Build();
}

TEST_F(LoadMemory, SystemFilesNamedInTurnAreHeldOneAtATime) {
  // Three files named in turn twice: each was held until its last system, so all three at once.
  std::string systems;
  for (int round = 0; round < 2; ++round)
    for (int f = 0; f < 3; ++f) {
      const std::string name = "large" + std::to_string(f) + ".ini";
      if (round == 0) test::WriteWholeFile(manifest.installDir / "DATA/universe" / name, DecodesLarge(char('a' + f)));
      systems += "[System]\nnickname = large_" + std::to_string(round * 3 + f) + "\nfile = " + name + "\n";
    }
  Replace("DATA/universe/universe.ini", systems, true);
  test::AllocationMeter meter(kRefuseAbove);
  const auto d = Load();
  EXPECT_TRUE(d->DataValid);
  EXPECT_LT(meter.Peak(), 24 * kMiB);
}

// Sections without lines appended: 4 million (about 8 MB) pass what the load holds, so a system file is not
// read (a warning) and a joined file ends the load; 2 million fit, but their list is more than memory allows.
TEST_F(LoadMemory, FilesOfMoreSectionsThanTheLoadHoldsAreRefusedNamingTheFile) {
  const struct {
    const char* file;
    int sections;
    std::size_t refuseAbove;
    TJournalLevel level;
    const char* start;  // of the journal line, which ends with the file
    const char* end;
  } cases[] = {
      {"DATA/universe/systems/st02/st02.ini", 4'000'000, kRefuseAbove, jlWarning,
       "Data file not read (its parse passes ", "st02.ini"},
      {"DATA/universe/universe.ini", 4'000'000, kRefuseAbove, jlError,
       "Joining of data files stopped: The joined data texts pass 512 MiB at ", "universe\\universe.ini"},
      {"DATA/universe/universe.ini", 2'000'000, 32 * kMiB, jlError,
       "Joining of data files stopped: out of memory for the joined Universe text of ", "universe\\universe.ini"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.start);
    std::string headers;
    for (int i = 0; i < c.sections; ++i) headers += "[\n";
    const std::string original = Replace(c.file, headers, true);
    journal = test::MemoryJournal();
    {
      test::AllocationMeter meter(c.refuseAbove);
      const auto d = Load();
      EXPECT_EQ(d->DataValid, c.level == jlWarning);
      if (c.refuseAbove < kRefuseAbove) EXPECT_GT(meter.Refused(), 0);
      else EXPECT_LT(meter.Peak(), 10 * headers.size() + 16 * kMiB);
    }
    EXPECT_TRUE(HasLineEndingIn(c.start, c.end, c.level));
    Replace(c.file, original);
  }
}

TEST(ParseBudget, AFileWhoseParsePassesItsBudgetIsRefusedWhetherTextOrBinary) {
  test::TempDir dir;
  const std::string path = (dir.Path() / "budget.ini").string();
  std::string text;
  test::BiniWriter w;
  for (int i = 0; i < 1000; ++i) {
    text += "[a]\nk = v\n";
    w.Section("a", 1).Entry("k", 1).String("v");
  }
  for (const std::string& bytes : {text, w.Build()}) {
    test::WriteWholeFile(path, bytes);
    const TSvIniFile whole(path);
    ASSERT_EQ(whole.Sections.Count(), 1000);
    // Exactly its cost still reads the file, as without a budget; a byte less refuses it.
    const TSvIniFile within(path, whole.Cost());
    TStringList wholeText, withinText;
    whole.GetStrings(&wholeText);
    within.GetStrings(&withinText);
    EXPECT_EQ(withinText.Text(), wholeText.Text());
    const TSvIniFile refused(path, whole.Cost() - 1);
    EXPECT_FALSE(refused.Loaded);
    EXPECT_EQ(refused.DecodeStatus, bsNoSource);
    EXPECT_EQ(refused.Sections.Count(), 0);
    EXPECT_EQ(refused.ReadFailure, "its parse passes 0 MiB");
  }
}

}  // namespace
