// The priority classes reach every thread of the process, and a process never lowers itself where it could
// not come back to normal: the case of an ordinary user's process (no privilege, the usual nice limit).

#include <gtest/gtest.h>

#include "platform/ProcessPriority.h"
#include "util/ChildProcess.h"
#include "util/NiceValues.h"

using namespace qmz::platform;
using namespace qmz::test;

namespace {

// The outcomes an ordinary user's process must see, with the nice limit given; 0 when all held, else the
// number of the first check that failed (the exit code of the child that runs it).
int OrdinaryUserCheck(rlim_t niceLimit) {
  ParkedThread before;
  const PriorityResult idle = SetProcessPriorityClass(PriorityClass::Idle);
  const int idleNice = niceLimit >= 20 ? 19 : 0;
  if (idle.outcome != (niceLimit >= 20 ? PriorityOutcome::Made : PriorityOutcome::Refused)) return 1;
  if (idle.outcome == PriorityOutcome::Refused && idle.reason.empty()) return 2;
  if (!EveryThreadAt(idleNice) || NiceOfANewThread() != idleNice) return 3;
  if (SetProcessPriorityClass(PriorityClass::Normal).outcome != PriorityOutcome::Made) return 4;
  if (!EveryThreadAt(0) || NiceOfANewThread() != 0) return 5;
  // Above normal is tried and refused without the right; nothing changes.
  const PriorityResult high = SetProcessPriorityClass(PriorityClass::High);
  if (high.outcome != PriorityOutcome::Failed || high.reason.empty()) return 6;
  if (!EveryThreadAt(0)) return 7;
  return 0;
}

// Code of a child that could not become an ordinary user with that limit here (so checks nothing).
constexpr int kNotHere = 99;

TEST(ProcessPriority, AClassReachesEveryThreadAlsoThoseStartedBeforeAndAfter) {
  ParkedThread before;
  ASSERT_TRUE(EveryThreadAt(0));
  const PriorityResult idle = SetProcessPriorityClass(PriorityClass::Idle);
  if (NormalPriorityReachable()) {
    EXPECT_EQ(idle.outcome, PriorityOutcome::Made);
    EXPECT_TRUE(EveryThreadAt(19));
    EXPECT_EQ(NiceOfANewThread(), 19);
  } else {
    EXPECT_EQ(idle.outcome, PriorityOutcome::Refused);
  }
  EXPECT_EQ(SetProcessPriorityClass(PriorityClass::Normal).outcome, PriorityOutcome::Made);
  EXPECT_TRUE(EveryThreadAt(0));
  EXPECT_EQ(NiceOfANewThread(), 0);
}

// An ordinary user may lower a nice value only within the nice limit (usually 0): idle is left out there,
// as normal could not follow it. A limit of 20 keeps the way back open. The suite running as root becomes
// such a user in a child; running unprivileged, the child only sets the limit.
TEST(ProcessPriority, AnOrdinaryUserLowersOnlyWhereTheWayBackIsOpen) {
  for (const rlim_t limit : {rlim_t(0), rlim_t(20)}) {
    const int code = RunInChild([limit] { return BecomeOrdinaryUser(limit) ? OrdinaryUserCheck(limit) : kNotHere; },
                                98);
    if (limit == 0) {
      ASSERT_NE(code, kNotHere);
    }
    if (code != kNotHere) {
      EXPECT_EQ(code, 0) << "nice limit " << limit;
    }
  }
}

}  // namespace
