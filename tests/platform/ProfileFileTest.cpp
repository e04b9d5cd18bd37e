#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/ProfileFile.h"
#include "util/TempDir.h"
#include "platform/WholeFile.h"

using namespace qmz::platform;
using qmz::test::ReadWholeFile;
using qmz::test::TempDir;
using qmz::test::WriteWholeFile;

using Names = std::vector<std::string>;

TEST(ProfileFile, ReadsMatchIgnoringCaseAndTheFirstMatchWins) {
  TempDir dir;
  const auto file = (dir.Path() / "QMZ.ini").string();
  WriteWholeFile(file,
                 "\xEF\xBB\xBF; settings\r\n[MAIN]\r\n  PathNum =  2  \r\nDefault=1\r\npathnum=9\r\n\r\n"
                 "[Path]\r\nPath_1=C:\\Games\\Sv\r\n[main]\r\nDefault=7\r\nOther=x\r\n");
  EXPECT_EQ(ReadProfileString(file, "main", "PATHNUM", "d"), "2");
  EXPECT_EQ(ReadProfileString(file, "MAIN", "Default", "d"), "1");
  EXPECT_EQ(ReadProfileString(file, "MAIN", "Other", "d"), "d");  // only the first [MAIN] is read
  EXPECT_EQ(ReadProfileString(file, "Path", "Path_1", ""), "C:\\Games\\Sv");
  EXPECT_EQ(ReadProfileString(file, "Name", "Name_1", "none"), "none");
  EXPECT_EQ(ReadProfileString((dir.Path() / "missing.ini").string(), "MAIN", "x", "none"), "none");
  EXPECT_EQ(ReadProfileSectionNames(file), (Names{"MAIN", "Path"}));
  EXPECT_EQ(ReadProfileSectionKeys(file, "main"), (Names{"PathNum", "Default"}));
  // Long values are cut without splitting a character.
  WriteWholeFile(file,
                 "[s]\nascii=" + std::string(3000, 'a') + "\nwide=" + std::string(2046, 'b') + "\xC3\xA9\xC3\xA9\n");
  EXPECT_EQ(ReadProfileString(file, "s", "ascii", ""), std::string(2047, 'a'));
  EXPECT_EQ(ReadProfileString(file, "s", "wide", ""), std::string(2046, 'b') + "\xC3\xA9");
}

TEST(ProfileFile, WritesKeepTheRestOfTheFile) {
  TempDir dir;
  const auto file = (dir.Path() / "QMZ.ini").string();
  WriteWholeFile(file, "; keep me\r\n[MAIN]\r\nPathNum=1\r\n\r\n[Path]\r\nPath_1=a\r\n");
  ASSERT_TRUE(WriteProfileString(file, "main", "pathnum", "2"));
  ASSERT_TRUE(WriteProfileString(file, "MAIN", "Default", "1"));
  ASSERT_TRUE(WriteProfileString(file, "Name", "Name_1", "Steam copy"));
  EXPECT_EQ(
      ReadWholeFile(file),
      "; keep me\r\n[MAIN]\r\nPathNum=2\r\nDefault=1\r\n\r\n[Path]\r\nPath_1=a\r\n\r\n[Name]\r\nName_1=Steam copy\r\n");
  ASSERT_TRUE(DeleteProfileKey(file, "MAIN", "default"));
  ASSERT_TRUE(EraseProfileSection(file, "path"));
  EXPECT_EQ(ReadWholeFile(file), "; keep me\r\n[MAIN]\r\nPathNum=2\r\n\r\n[Name]\r\nName_1=Steam copy\r\n");
  EXPECT_TRUE(DeleteProfileKey(file, "MAIN", "absent"));
  EXPECT_TRUE(EraseProfileSection(file, "absent"));
  // Deleting a key removes every line of it, so it reads as absent; erasing removes every section.
  WriteWholeFile(file, "[MAIN]\nDefault=1\nDefault=2\n[MAIN]\nDefault=3\n");
  ASSERT_TRUE(DeleteProfileKey(file, "MAIN", "Default"));
  EXPECT_EQ(ReadProfileString(file, "MAIN", "Default", "gone"), "gone");
  ASSERT_TRUE(EraseProfileSection(file, "MAIN"));
  EXPECT_EQ(ReadWholeFile(file), "");
}

TEST(ProfileFile, NewFileAndRefusedWrites) {
  TempDir dir;
  const auto file = (dir.Path() / "new.ini").string();
  ASSERT_TRUE(WriteProfileString(file, "MAIN", "PathNum", "0"));
  EXPECT_EQ(ReadWholeFile(file), "[MAIN]\nPathNum=0\n");
  // A line break in a value would plant keys of its own in the file.
  EXPECT_FALSE(WriteProfileString(file, "MAIN", "Default", "1\n[Evil]"));
  EXPECT_FALSE(WriteProfileString((dir.Path() / "no" / "such.ini").string(), "MAIN", "x", "1"));
  EXPECT_EQ(ReadWholeFile(file), "[MAIN]\nPathNum=0\n");
  // A file that exists but cannot be read is never replaced by what little the write knows.
  const auto folder = (dir.Path() / "folder.ini").string();
  ::mkdir(folder.c_str(), 0755);
  EXPECT_FALSE(WriteProfileString(folder, "MAIN", "x", "1"));
}

TEST(WholeFile, AtomicWriteReplacesTheFileAndLeavesNoTemporary) {
  TempDir dir;
  const auto file = (dir.Path() / "out.txt").string();
  WriteWholeFile(file, "old");
  ::chmod(file.c_str(), 0640);
  ASSERT_TRUE(WriteFileAtomic(file, "new text"));
  EXPECT_EQ(ReadWholeFile(file), "new text");
  struct stat st {};
  ::stat(file.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 1);
  // The bound on a read is checked while reading for files that report no size (the others: HostileFiles).
  std::string back;
  EXPECT_FALSE(qmz::platform::ReadWholeFile("/proc/self/status", back, 10));
  EXPECT_TRUE(qmz::platform::ReadWholeFile("/proc/self/status", back, 1 << 20));
}
