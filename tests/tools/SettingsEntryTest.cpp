#include <gtest/gtest.h>

#include "platform/ProfileFile.h"
#include "samplegen/SettingsEntry.h"
#include "util/TempDir.h"

using namespace qmz;
using namespace qmz::samplegen;

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
