// The sample generator: its binary writer's limits, one seed's bytes, its manifest, and the entry it adds to a
// settings file.

#include <gtest/gtest.h>

#include <map>

#include "gamedata/uIniDecoder.h"
#include "gamedata/uSVIni.h"
#include "util/TempDir.h"
#include "samplegen/IniWriter.h"
#include "samplegen/SampleGen.h"
#include "platform/ProfileFile.h"
#include "samplegen/SettingsEntry.h"

namespace fs = std::filesystem;
using namespace qmz;
using namespace qmz::samplegen;
using qmz::test::ReadWholeFile;
using qmz::test::TempDir;

namespace {

std::map<std::string, std::string> FilesUnder(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    const std::string rel = e.path().lexically_relative(root).generic_string();
    if (e.is_symlink()) {
      files[rel] = "-> " + fs::read_symlink(e.path()).string();
    } else if (e.is_regular_file()) {
      files[rel] = ReadWholeFile(e.path());
    }
  }
  return files;
}

}  // namespace

TEST(IniWriter, LongValuesAndTooManyValues) {
  // Names take 16-bit offsets: a long value early on must not push a later key out of reach.
  IniDoc longValue;
  longValue.Section("Text").Add("body", {std::string(70000, 'x')});
  longValue.Section("After").Add("late_key", {"v"});
  TStringList lines;
  ASSERT_EQ(DecodeBiniBuffer(IniToBini(longValue), &lines), bsSuccess);
  ASSERT_EQ(lines.Count(), 6);
  EXPECT_EQ(std::string(lines[3]) + " " + std::string(lines[4]), "[After] late_key = v");

  IniDoc tooMany;
  tooMany.Section("S").Add("k", std::vector<IniValue>(256, IniValue(1)));
  EXPECT_THROW(IniToBini(tooMany), std::length_error);
}

// One seed gives identical bytes, another seed other ones. That binary files hold what their text twins
// do is checked by the model digests, equal for both forms.
TEST(SampleGen, SameSeedSameBytesOtherSeedOtherBytes) {
  TempDir a, b, c;
  Options o = Options::ForSize("small");
  o.seed = 42;
  o.binaryFiles = true;
  o.winePrefix = true;
  const Manifest bin = Generate(a.Path(), o);
  Generate(b.Path(), o);
  const auto fa = FilesUnder(a.Path() / "wineprefix");
  EXPECT_GT(fa.size(), 20u);
  EXPECT_TRUE(fa == FilesUnder(b.Path() / "wineprefix"));
  ASSERT_GE(bin.binaryFiles.size(), 5u);
  for (const auto& rel : bin.binaryFiles) EXPECT_EQ(ReadWholeFile(bin.installDir / rel).substr(0, 4), "BINI") << rel;

  o.seed = 43;
  Generate(c.Path(), o);
  EXPECT_FALSE(fa == FilesUnder(c.Path() / "wineprefix"));
  // A second run into the same folder replaces the first, prefix included.
  o.winePrefix = false;
  Generate(c.Path(), o);
  EXPECT_FALSE(fs::exists(c.Path() / "wineprefix"));
  EXPECT_TRUE(fs::exists(c.Path() / "Starvagant"));
}

// The counts the loader reads are checked against the manifest in the loader tests, the model itself by the
// digests; here the manifest's file and the named size.
TEST(SampleGen, ManifestFileAndNamedSize) {
  TempDir dir;
  const Manifest m = Generate(dir.Path(), Options::ForSize("small"));
  EXPECT_EQ(ReadWholeFile(dir.Path() / "manifest.txt"), m.ToText());
  // The named size, as the demo and most tests expect it, with goods only bought and goods not traded.
  EXPECT_EQ(m.systems, 8);
  EXPECT_EQ(m.dockableBases, 30);
  EXPECT_EQ(m.goods, 80);
  EXPECT_GT(m.soldCells, 0);
  EXPECT_LT(m.soldCells, m.marketCells);
  EXPECT_LT(m.tradedGoods, m.marketGoods);
}

TEST(SettingsEntry, ANewFileNamesTheSampleAsDefaultAnExistingOneOnlyGetsItsEntry) {
  test::TempDir dir;
  const std::string file = (dir.Path() / "QMZ.ini").string();
  const auto read = [&](const char* section, const std::string& key) {
    return platform::ReadProfileString(file, section, key, "<none>");
  };

  EXPECT_EQ(AddSettingsEntry(file, "/build/small", "small"), SettingsChange::Created);
  EXPECT_EQ(read("MAIN", "PathNum"), "1");
  EXPECT_EQ(read("MAIN", "Default"), "1");
  EXPECT_EQ(read("Path", "Path_0"), "/build/small");

  // A file without the sample's entry gets it last; the default stays where the player put it.
  test::WriteWholeFile(file,
                       "[MAIN]\nPathNum=1\nDefault=1\nDefaultPath=/games/sv\n[Path]\nPath_0=/games/sv\n"
                       "[Name]\nName_0=Mine\n");
  EXPECT_EQ(AddSettingsEntry(file, "/build/small", "small"), SettingsChange::Added);
  EXPECT_EQ(read("MAIN", "PathNum"), "2");
  EXPECT_EQ(read("MAIN", "Default"), "1");
  EXPECT_EQ(read("MAIN", "DefaultPath"), "/games/sv");
  EXPECT_EQ(read("Path", "Path_0"), "/games/sv");
  EXPECT_EQ(read("Path", "Path_1"), "/build/small");
  EXPECT_EQ(read("Name", "Name_1"), "small");
}
