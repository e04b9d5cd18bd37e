#include <gtest/gtest.h>

#include "app/core/uFormMain_SmallCommands.h"

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

}  // namespace
}  // namespace qmz
