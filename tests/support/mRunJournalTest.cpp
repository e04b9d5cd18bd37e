#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/ExePath.h"
#include "util/TempDir.h"
#include "support/mGlobalFunctions.h"
#include "support/mRunJournal.h"

using namespace qmz;
using qmz::test::ReadWholeFile;
using qmz::test::TempDir;
namespace fs = std::filesystem;

namespace {

// A clock the test moves by hand.
struct FakeClock {
  std::uint64_t tick = 1000;
  platform::LocalDateTime now{2006, 5, 14, 13, 5, 9, 0};
  TJournalClock Clock() {
    return {[this] { return tick; }, [this] { return now; }};
  }
};

constexpr const char* kStamp = "[2006-05-14 13:05:09]";

// The lines of a journal file without their CR LF; fails on a line end that is not CR LF.
std::vector<std::string> Lines(const fs::path& file) {
  const std::string all = ReadWholeFile(file);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t pos = all.find("\r\n"); pos != std::string::npos; pos = all.find("\r\n", start)) {
    lines.push_back(all.substr(start, pos - start));
    start = pos + 2;
  }
  EXPECT_EQ(start, all.size()) << "text after the last CR LF";
  for (const auto& l : lines) EXPECT_EQ(l.find_first_of("\r\n"), std::string::npos) << l;
  return lines;
}

// A file-size limit of the given bytes stands in for a full disk while it lives.
struct FileSizeLimit {
  rlimit old{};
  explicit FileSizeLimit(rlim_t bytes) {
    signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limit = old;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_DFL);
  }
};

std::string Line(const char* level, const std::string& text) { return std::string(kStamp) + "[" + level + "] " + text; }

class Journal : public ::testing::Test {
 protected:
  TempDir dir;
  FakeClock clock;
};

}  // namespace

TEST(FormatElapsedTime, RoundsHalfToEven) {
  const std::pair<std::uint64_t, const char*> cases[] = {{1499, "00:00:01"},
                                                         {2500, "00:00:02"},
                                                         {3500, "00:00:04"},
                                                         {360000000, "100:00:00"}};
  for (const auto& [ms, text] : cases) EXPECT_EQ(FormatElapsedTime(ms), text) << ms;
}

TEST_F(Journal, LevelsLineBreaksBeginEndPairsAndAnInactiveJournal) {
  std::string fileName;
  {
    TJournal journal(dir.Str(), "DebugOut", false, true, false, false, clock.Clock());
    fileName = journal.FileName();
    EXPECT_EQ(fileName, (dir.Path() / "DebugOut.mjf").string());
    journal.Add("Loading", jlInfo);
    journal.Add("a\r\nb\n\rc\nd\re\r\n\rf", jlData);
    journal.AddFmt("%s has %d bases", {"St01", 12}, jlAction);
    journal.Add("beyond", 12);
  }
  const auto lines = Lines(fileName);
  ASSERT_EQ(lines.size(), 6u);
  const std::string exe = platform::ExecutablePath();
  TJournal probe("", "", false, false, true, false);
  EXPECT_EQ(lines[0], Line("Start  ", "Process \"" + exe + "\" version \"" + probe.ModuleVersion() +
                                          "\" running on \"" + probe.ComputerName() + "\\" + probe.UserName() + "\""));
  EXPECT_EQ(lines[1], Line("Info   ", "Loading"));
  EXPECT_EQ(lines[2], Line("Data   ", "a b c d e  f"));
  EXPECT_EQ(lines[3], Line("Action ", "St01 has 12 bases"));
  EXPECT_EQ(lines[4], std::string(kStamp) + "[] beyond");
  EXPECT_EQ(lines[5], Line("System ", "Process terminated with exit code 0"));
  // Begin/End pairs report their elapsed time last in, first out; an unmatched End says so.
  TJournal journal("", "", true, false, true, false, clock.Clock());
  journal.Add("", jlEnd);
  journal.Add("parse", jlEnd);
  journal.Add("outer", jlBegin);
  clock.tick += 1000;
  journal.Add("inner", jlBegin);
  clock.tick += 3725400;
  journal.Add("inner done", jlEnd);
  clock.tick += 2500;
  journal.Add("", jlEnd2);
  const auto& b = journal.Buffer();
  ASSERT_EQ(b.size(), 6u);
  EXPECT_NE(b[0].Text.find("no matching Begin"), std::string::npos);
  EXPECT_EQ(b[1].Text.rfind("parse - ", 0), 0u);
  EXPECT_NE(b[1].Text.find("no matching Begin"), std::string::npos);  // the timers below are untouched
  EXPECT_EQ(b[4].Text, "inner done - Elapsed time: 01:02:05");
  EXPECT_EQ(b[5].Text, "Elapsed time: 01:02:09");  // 3,728,900 ms
  EXPECT_EQ(b[5].TimeText, "2006-05-14 13:05:09");
  EXPECT_EQ(b[5].Level, jlEnd2);
  EXPECT_EQ(journal.OpenTimers(), 0u);
  // An inactive journal changes nothing but says when it is switched.
  TJournal inactive("", "", true, false, true, false, clock.Clock());
  inactive.SetActive(false);
  inactive.Add("hidden", jlBegin);
  inactive.Add("hidden", jlInfo);
  EXPECT_EQ(inactive.OpenTimers(), 0u);
  inactive.SetActive(true);
  const auto& off = inactive.Buffer();
  ASSERT_EQ(off.size(), 2u);
  EXPECT_EQ(off[0].Text, "Journaling Status changed: From True to False");
  EXPECT_EQ(off[1].Text, "Journaling Status changed: From False to True");
  EXPECT_EQ(off[1].Level, jlWarning);
  EXPECT_DOUBLE_EQ(off[1].Time, platform::ToDateTime(clock.now));
}

TEST_F(Journal, UnfinishedBeginsBecomeLeakLinesAtTheEnd) {
  {
    TJournal journal(dir.Str(), "DebugOut", false, true, false, false, clock.Clock());
    journal.Add("one", jlBegin);
    journal.Add("two", jlBegin);
    clock.tick += 2000;
    journal.SetActive(false);  // closing lines are written anyway
  }
  const auto lines = Lines(dir.Path() / "DebugOut.mjf");
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[3], Line("Warning", "Journaling Status changed: From True to False"));
  EXPECT_EQ(lines[4], Line("End    ", "Freeing internal timer leak - Elapsed time: 00:00:02"));
  EXPECT_EQ(lines[5], lines[4]);
  EXPECT_EQ(lines[6], Line("System ", "Process terminated with exit code 0"));
}

TEST_F(Journal, FileNamesDailyAndEmptyAndAppendedRunsSeparatedByAnEmptyLine) {
  const auto nameOf = [&](const std::string& path, const std::string& name, bool daily) {
    TJournal journal(path, name, false, true, false, daily, clock.Clock());
    return journal.FileName();
  };
  const std::string folder = dir.Str() + "/";
  EXPECT_EQ(nameOf(dir.Str(), "logs\\DebugOut.txt", false), folder + "DebugOut.mjf");
  EXPECT_EQ(nameOf(folder, "logs/DebugOut.txt", true), folder + "DebugOut_2006-05-14.mjf");
  EXPECT_EQ(nameOf(folder, "  Debug Out ", false), folder + "Debug Out.mjf");
  EXPECT_EQ(nameOf(folder, "", true), folder + "2006-05-14.mjf");
  EXPECT_EQ(nameOf(folder, "", false), folder + ".mjf");
  EXPECT_TRUE(fs::exists(folder + "2006-05-14.mjf"));
  // Appended runs are separated by an empty line.
  const fs::path file = dir.Path() / "DebugOut.mjf";
  qmz::test::WriteWholeFile(file, "[old run]\r\n");
  { TJournal journal(dir.Str(), "DebugOut", false, false, false, false, clock.Clock()); }
  auto lines = Lines(file);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "[old run]");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2].rfind(Line("Start  ", "Process "), 0), 0u);
  { TJournal journal(dir.Str(), "DebugOut", false, true, false, false, clock.Clock()); }
  lines = Lines(file);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind(Line("Start  ", "Process "), 0), 0u);
}

TEST_F(Journal, NoFileAnUnopenableOrATakenFileKeepsWorkingInMemory) {
  TJournal none("/tmp", "DebugOut", true, false, true, false, clock.Clock());
  EXPECT_TRUE(none.FileName().empty());
  EXPECT_TRUE(none.Buffer().empty());  // no first line without a file
  none.Add("kept", jlInfo);
  EXPECT_EQ(none.Buffer().size(), 1u);

  TJournal missing((dir.Path() / "no" / "such").string(), "DebugOut", true, false, false, false, clock.Clock());
  EXPECT_TRUE(missing.FileName().empty());
  EXPECT_FALSE(missing.HasFile());
  missing.Add("kept", jlInfo);
  EXPECT_EQ(missing.Buffer().back().Text, "kept");

  // A second writer of the same file is turned away.
  TJournal first(dir.Str(), "DebugOut", false, true, false, false, clock.Clock());
  TJournal second(dir.Str(), "DebugOut", false, true, false, false, clock.Clock());
  EXPECT_FALSE(first.FileName().empty());
  EXPECT_TRUE(second.FileName().empty());
  EXPECT_EQ(Lines(first.FileName()).size(), 1u);  // the second did not empty it
  // The file the journal holds open is the one its name gives (the feedback upload sends that one only).
  struct stat info {};
  ASSERT_EQ(stat(first.FileName().c_str(), &info), 0);
  ASSERT_TRUE(first.OpenedFile().has_value());
  EXPECT_EQ(first.OpenedFile()->Inode, info.st_ino);
  EXPECT_EQ(first.OpenedFile()->Device, info.st_dev);
  EXPECT_FALSE(second.OpenedFile().has_value());
  EXPECT_FALSE(none.OpenedFile().has_value());
}

TEST_F(Journal, AFirstLineThatCannotBeWrittenMeansNoFileALaterOneDisablesTheFileInsteadOfThrowing) {
  std::unique_ptr<TJournal> journal;
  {
    const FileSizeLimit limit(5);  // the first line fits only in part
    journal = std::make_unique<TJournal>(dir.Str(), "DebugOut", true, false, false, false, clock.Clock());
  }
  EXPECT_TRUE(journal->FileName().empty());
  EXPECT_EQ(fs::file_size(dir.Path() / "DebugOut.mjf"), 0u);  // the part written is taken back
  journal->Add("still here", jlInfo);
  EXPECT_EQ(journal->Buffer().back().Text, "still here");
  TJournal later(dir.Str(), "DebugOut", true, true, false, false, clock.Clock());
  ASSERT_TRUE(later.HasFile());
  const auto before = fs::file_size(later.FileName());
  {
    const FileSizeLimit limit(before + 10);
    EXPECT_NO_THROW(later.Add("a line longer than ten bytes", jlInfo));
    EXPECT_NO_THROW(later.Add("next", jlInfo));
  }
  EXPECT_FALSE(later.HasFile());
  EXPECT_FALSE(later.FileName().empty());  // what was written can still be sent
  EXPECT_EQ(later.Buffer().back().Text, "next");
  // The line written in part is taken back: the file ends with its last whole line.
  EXPECT_EQ(fs::file_size(later.FileName()), before);
  EXPECT_EQ(Lines(later.FileName()).size(), 1u);
}

TEST_F(Journal, LinksAndFifosAtTheJournalsPlaceAreRefusedSayingWhy) {
  const fs::path precious = dir.Path() / "precious.txt";
  const fs::path place = dir.Path() / "DebugOut.mjf";
  const struct {
    void (*make)(const fs::path& target, const fs::path& link);
    bool recreate;
    const char* reason;
  } cases[] = {
      {[](const fs::path& t, const fs::path& l) { fs::create_symlink(t, l); }, true, "it is a symbolic link"},
      {[](const fs::path& t, const fs::path& l) { fs::create_hard_link(t, l); }, true, "it has 2 hard links"},
      {[](const fs::path& t, const fs::path& l) { fs::create_hard_link(t, l); }, false, "it has 2 hard links"},
      {[](const fs::path&, const fs::path& l) { ASSERT_EQ(mkfifo(l.c_str(), 0600), 0); }, true,
       "it is not a regular file"},  // returns, no reader needed
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    fs::remove(place);
    qmz::test::WriteWholeFile(precious, "precious");
    c.make(precious, place);
    testing::internal::CaptureStderr();
    {
      TJournal journal(dir.Str(), "DebugOut", true, c.recreate, false, false, clock.Clock());
      EXPECT_TRUE(journal.FileName().empty());
      journal.Add("kept", jlInfo);
      EXPECT_EQ(journal.Buffer().back().Text, "kept");
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Journal file " + place.string() + " not used: " + c.reason + "\n");
    EXPECT_EQ(ReadWholeFile(precious), "precious");  // neither emptied nor written
  }
}

TEST(Log, NullJournalDoesNothingAndNeverFormatsAMismatchOtherwiseThrows) {
  EXPECT_NO_THROW(Log("text", jlInfo, nullptr));
  EXPECT_NO_THROW(LogFmt("%d", {"not a number"}, jlInfo, nullptr));
  TJournal journal("", "", true, false, true, false);
  LogFmt("%s = %d", {"Count", 3}, jlData, &journal);
  ASSERT_EQ(journal.Buffer().size(), 1u);
  EXPECT_EQ(journal.Buffer()[0].Text, "Count = 3");
  // With a journal, a format that does not fit its arguments reaches the caller and adds no line.
  EXPECT_THROW(journal.AddFmt("%d", {"text"}, jlInfo), EConvertError);
  EXPECT_EQ(journal.Buffer().size(), 1u);
}
