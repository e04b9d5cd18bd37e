#include <gtest/gtest.h>

#include "app/core/uFormMain_SmallCommands.h"
#include "util/TempDir.h"

namespace qmz {
namespace {

TEST(PrioritySwitch, ModifiersChooseTheClassAndNeverRealTime) {
  using platform::PriorityClass;
  struct Case {
    bool shift, ctrl, alt;
    std::optional<PriorityClass> priority;
    const char* text;
  };
  const Case cases[] = {
      {false, false, false, PriorityClass::Normal, "ProcessPriority Changed()- NORMAL"},
      {true, false, false, PriorityClass::High, "ProcessPriority Changed()- HIGH"},
      {true, true, false, PriorityClass::High, "ProcessPriority Changed()- REALTIME"},
      {false, true, false, PriorityClass::Idle, "ProcessPriority Changed()- IDLE"},
      {true, true, true, std::nullopt, ""},
      {false, false, true, std::nullopt, ""},
  };
  for (const Case& c : cases) {
    const auto choice = PriorityForModifiers(c.shift, c.ctrl, c.alt);
    ASSERT_EQ(choice.has_value(), c.priority.has_value());
    if (choice) {
      EXPECT_EQ(choice->priority, *c.priority);
      EXPECT_EQ(choice->debugText, c.text);
    }
  }
}

TEST(ClearDefault, DeletesOnlyTheDefaultEntry) {
  test::TempDir dir;
  const auto ini = dir.Path() / "QMZ.ini";
  test::WriteWholeFile(ini, "[MAIN]\nPathNum=2\nDefault=1\n[Path]\nPath_1=C:\\Games\n");
  ClearDefaultInstallation(ini.string());
  const std::string after = test::ReadWholeFile(ini);
  EXPECT_EQ(after.find("Default"), std::string::npos);
  EXPECT_NE(after.find("PathNum=2"), std::string::npos);
  EXPECT_NE(after.find("Path_1=C:\\Games"), std::string::npos);
  ClearDefaultInstallation(ini.string());
  EXPECT_EQ(test::ReadWholeFile(ini), after);
}

}  // namespace
}  // namespace qmz
