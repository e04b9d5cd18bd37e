// The profile file and whole-file reads and writes, also against FIFOs, huge sparse files, links, rival writers.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/ProfileFile.h"
#include "util/TempDir.h"
#include "platform/WholeFile.h"

using namespace qmz::platform;
namespace fs = std::filesystem;
using qmz::test::ReadWholeFile;
using qmz::test::TempDir;
using qmz::test::WriteWholeFile;

using Names = std::vector<std::string>;

TEST(ProfileFile, ReadsMatchIgnoringCaseWritesKeepTheRestOfTheFileAndHarmfulWritesAreRefused) {
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
  // Writes keep the rest of the file.
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

  const auto fresh = (dir.Path() / "new.ini").string();
  ASSERT_TRUE(WriteProfileString(fresh, "MAIN", "PathNum", "0"));
  EXPECT_EQ(ReadWholeFile(fresh), "[MAIN]\nPathNum=0\n");
  // Refused: a line break in a value (it would plant keys of its own), a folder that is not there.
  EXPECT_FALSE(WriteProfileString(fresh, "MAIN", "Default", "1\n[Evil]"));
  EXPECT_FALSE(WriteProfileString((dir.Path() / "no" / "such.ini").string(), "MAIN", "x", "1"));
  EXPECT_EQ(ReadWholeFile(fresh), "[MAIN]\nPathNum=0\n");
  // A file that exists but cannot be read is never replaced by what little the write knows.
  const auto folder = (dir.Path() / "folder.ini").string();
  ::mkdir(folder.c_str(), 0755);
  EXPECT_FALSE(WriteProfileString(folder, "MAIN", "x", "1"));
}

TEST(WholeFile, AtomicWriteReplacesTheFileLeavesNoTemporaryAndGoesThroughLinks) {
  TempDir dir;
  const auto file = (dir.Path() / "out.txt").string();
  WriteWholeFile(file, "old");
  ::chmod(file.c_str(), 0640);
  ASSERT_TRUE(WriteFileAtomic(file, "new text"));
  EXPECT_EQ(ReadWholeFile(file), "new text");
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms(0640));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
  // Files that report no size are bounded while they are read.
  std::string back;
  EXPECT_FALSE(qmz::platform::ReadWholeFile("/proc/self/status", back, 10));
  EXPECT_TRUE(qmz::platform::ReadWholeFile("/proc/self/status", back, 1 << 20));
  // Through links, to their target.
  qmz::test::WriteWholeFile(dir.Path() / "real" / "QMZ.ini", "old");
  fs::create_symlink("real/QMZ.ini", dir.Path() / "hop");  // relative, taken from the link's folder
  fs::create_symlink(dir.Path() / "hop", dir.Path() / "QMZ.ini");
  ASSERT_TRUE(WriteFileAtomic((dir.Path() / "QMZ.ini").string(), "new"));
  EXPECT_TRUE(fs::is_symlink(dir.Path() / "QMZ.ini"));
  EXPECT_TRUE(fs::is_symlink(dir.Path() / "hop"));
  EXPECT_EQ(qmz::test::ReadWholeFile(dir.Path() / "real" / "QMZ.ini"), "new");
  // A dangling link: the target is created where the link points.
  fs::create_symlink("made.ini", dir.Path() / "dangling");
  ASSERT_TRUE(WriteFileAtomic((dir.Path() / "dangling").string(), "x"));
  EXPECT_TRUE(fs::is_symlink(dir.Path() / "dangling"));
  EXPECT_EQ(qmz::test::ReadWholeFile(dir.Path() / "made.ini"), "x");
}

TEST(HostileFiles, ReadsRefuseWhatIsNoRegularFileOrTooLargeAndSayWhy) {
  qmz::test::TempDir dir;
  const std::string fifo = dir.Str() + "/fifo", sparse = dir.Str() + "/sparse", small = dir.Str() + "/small";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // Three gigabytes without a block on disk: a reader that trusts the size would try to hold them all.
  const int fd = ::open(sparse.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, off_t(3) << 30), 0);
  ::close(fd);
  qmz::test::WriteWholeFile(small, "abc");

  struct Case {
    std::string path;
    std::size_t limit;
    bool ok;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {fifo, std::string::npos, false, "not a regular file"},  // never blocks waiting for a writer
      {dir.Str(), std::string::npos, false, "not a regular file"},
      {sparse, std::size_t(256) << 20, false, "larger than 268435456 bytes"},
      {dir.Str() + "/missing", std::string::npos, false, "No such file or directory"},
      {small, 3, true, ""},
      {small, 2, false, "larger than 2 bytes"},
  };
  for (const Case& c : cases) {
    std::string data = "old", reason;
    EXPECT_EQ(ReadWholeFile(c.path, data, c.limit, &reason), c.ok) << c.path;
    EXPECT_EQ(reason, c.reason) << c.path;
    EXPECT_EQ(data, c.ok ? "abc" : "") << c.path;
  }
}

TEST(HostileFiles, ConcurrentProfileWritersLoseNoKey) {
  qmz::test::TempDir dir;
  const std::string file = dir.Str() + "/QMZ.ini";
  constexpr int kWriters = 6, kKeys = 40;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      bool ok = true;
      for (int k = 0; k < kKeys; ++k)
        ok = WriteProfileString(file, "W" + std::to_string(w), "K" + std::to_string(k), std::to_string(k)) && ok;
      _exit(ok ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  int found = 0;
  for (int w = 0; w < kWriters; ++w)
    for (int k = 0; k < kKeys; ++k)
      found += ReadProfileString(file, "W" + std::to_string(w), "K" + std::to_string(k), "") == std::to_string(k);
  EXPECT_EQ(found, kWriters * kKeys);
}
