// The generated installation read with the program's own readers, written apart from the generator so a
// writer's fault is not mirrored by the check; and the entry the generator adds to a settings file.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "gamedata/uIniDecoder.h"
#include "gamedata/uSVIni.h"
#include "util/TempDir.h"
#include "samplegen/IniWriter.h"
#include "samplegen/SampleGen.h"
#include "support/SysUtils.h"
#include "platform/ProfileFile.h"
#include "samplegen/SettingsEntry.h"

namespace fs = std::filesystem;
using namespace qmz;
using namespace qmz::samplegen;
using qmz::test::ReadWholeFile;
using qmz::test::TempDir;

namespace {

// INI lines as both forms of a file share them: no blank or comment lines, no blanks around "=" and ",",
// every number with six decimals (the text form writes 1.5, the binary form 1.500000).
std::vector<std::string> Canonical(const TStringList& lines) {
  std::vector<std::string> out;
  for (const auto& item : lines) {
    const std::string line = Trim(item.text);
    const auto eq = line.find('=');
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[' || eq == std::string::npos) {
      out.push_back(line);
      continue;
    }
    std::string canon = Trim(line.substr(0, eq)) + "=";
    std::string_view rest = std::string_view(line).substr(eq + 1);
    for (bool first = true;; first = false) {
      const auto comma = rest.find(',');
      std::string token = Trim(rest.substr(0, comma));
      char* end = nullptr;
      const double number = std::strtod(token.c_str(), &end);
      if (!token.empty() && *end == '\0') token = Format("%.6f", number);
      canon += (first ? "" : ",") + token;
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
    out.push_back(canon);
  }
  return out;
}

std::vector<std::string> CanonicalText(const std::string& text) {
  TStringList lines;
  lines.SetText(text);
  return Canonical(lines);
}

std::vector<std::string> CanonicalBinary(const std::string& bytes) {
  TStringList lines;
  EXPECT_EQ(DecodeBiniBuffer(bytes, &lines), bsSuccess);
  return Canonical(lines);
}

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

// That both forms carry the same entries is checked on whole installations below.
TEST(IniWriter, LongValuesAndTooManyValues) {
  // Names take 16-bit offsets: a long value early on must not push a later key out of reach.
  IniDoc longValue;
  longValue.Section("Text").Add("body", {std::string(70000, 'x')});
  longValue.Section("After").Add("late_key", {"v"});
  const auto lines = CanonicalBinary(IniToBini(longValue));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2] + " " + lines[3], "[After] late_key=v");

  IniDoc tooMany;
  tooMany.Section("S").Add("k", std::vector<IniValue>(256, IniValue(1)));
  EXPECT_THROW(IniToBini(tooMany), std::length_error);
}

// One seed gives identical bytes, another seed other ones; binary files decode to their text twins of the
// same seed, and every other file is the same in both forms.
TEST(SampleGen, SameSeedSameBytesAndBinaryFilesDecodeToTheirTextTwins) {
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

  o.binaryFiles = false;
  const Manifest text = Generate(c.Path(), o);
  ASSERT_GE(bin.binaryFiles.size(), 5u);
  EXPECT_TRUE(text.binaryFiles.empty());
  for (const auto& rel : bin.binaryFiles) {
    const std::string bytes = ReadWholeFile(bin.installDir / rel);
    ASSERT_EQ(bytes.substr(0, 4), "BINI") << rel;
    EXPECT_EQ(CanonicalBinary(bytes), CanonicalText(ReadWholeFile(text.installDir / rel))) << rel;
  }
  auto textFiles = FilesUnder(text.installDir), binFiles = FilesUnder(bin.installDir);
  for (const auto& rel : bin.binaryFiles) textFiles.erase(rel), binFiles.erase(rel);
  EXPECT_TRUE(textFiles == binFiles);

  o.seed = 43;
  o.binaryFiles = true;
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
