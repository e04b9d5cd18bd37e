// What the program entry does beside the main window: the run journal's life and the instance key of a
// folder.

#include <gtest/gtest.h>

#include <string>

#include "app/SingleInstance.h"
#include "app/uFormMain.h"
#include "support/mRunJournal.h"
#include "util/TempDir.h"

namespace qmz {
namespace {

// The journal is made once, in the executable's folder, emptying the file of the run before; freeing it
// writes its closing line and leaves no journal behind.
TEST(ProgramEntry, RunJournalIsMadeAnewInTheFolderAndClosedWhenFreed) {
  test::TempDir dir;
  const std::string folder = dir.Str() + "/";
  test::WriteWholeFile(folder + "DebugOut.mjf", "a line of the run before\n");
  ASSERT_EQ(Journal, nullptr);
  CreateRunJournal(folder);
  ASSERT_NE(Journal, nullptr);
  TJournal* const made = Journal;
  EXPECT_EQ(Journal->FileName(), folder + "DebugOut.mjf");
  CreateRunJournal(folder);
  EXPECT_EQ(Journal, made);
  Journal->SetActive(true);
  Journal->Add("a line of this run", jlInfo);
  FreeRunJournal();
  EXPECT_EQ(Journal, nullptr);
  FreeRunJournal();

  const std::string text = test::ReadWholeFile(folder + "DebugOut.mjf");
  EXPECT_EQ(text.find("run before"), std::string::npos) << text;
  const auto line = text.find("a line of this run");
  ASSERT_NE(line, std::string::npos) << text;
  EXPECT_NE(text.find("[System ]", line), std::string::npos) << text;
}

TEST(ProgramEntry, EachFolderHasAnInstanceKeyOfItsOwn) {
  const QString key = SingleInstance::KeyForFolder("/opt/qmz/");
  EXPECT_TRUE(key.startsWith(QStringLiteral("QMZ-"))) << key.toStdString();
  EXPECT_EQ(key, SingleInstance::KeyForFolder("/opt/qmz/"));
  EXPECT_NE(key, SingleInstance::KeyForFolder("/opt/qmz2/"));
  EXPECT_NE(key, SingleInstance::KeyForFolder("/home/ann/qmz/"));
}

}  // namespace
}  // namespace qmz
