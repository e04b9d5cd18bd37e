#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "support/mGlobalFunctions.h"
#include "util/StatusRecorder.h"

using namespace qmz;
using namespace qmz::platform;

TEST(ProgressPacking, KnownValuesRoundTripAndOutOfRangeNumbersAreClampedNotWrapped) {
  const TStatusParams p = PackStatusMessage({0, 60, 12, true, false, true});
  EXPECT_EQ(p.WParam, 3932160u);
  EXPECT_EQ(p.LParam, 327692);
  const std::pair<TStatusMessage, TStatusMessage> cases[] = {
      {{1, 65535, 65535, false, true, false}, {1, 65535, 65535, false, true, false}},
      {{7, 9, 8, true, true, true}, {7, 9, 8, true, true, true}},
      {{-5, 70000, 65536, false, false, false}, {0, 65535, 65535, false, false, false}},
  };
  for (const auto& [sent, expected] : cases) {
    const TStatusParams q = PackStatusMessage(sent);
    const TStatusMessage back = UnpackStatusMessage(q.WParam, q.LParam);
    const auto fields = [](const TStatusMessage& m) {
      return std::tuple(m.Min, m.Max, m.Position, m.AddToStartupLog, m.ReplaceStartupLine, m.EchoToJournal);
    };
    EXPECT_EQ(fields(back), fields(expected)) << sent.Min << "/" << sent.Max << "/" << sent.Position;
  }
}

TEST(SendStatusMessage, TextAndNumbersArriveBeforeItReturnsCutAtACharacter) {
  test::StatusRecorder receiver;
  const WindowHandle window = receiver.Window();
  const SharedMemoryHandle mapping = receiver.Mapping();
  ASSERT_NE(mapping, 0u);
  const auto text = [&] { return receiver.Posts.back().Text; };
  SendStatusMessage("Parsing goods ", 0, 60, 12, window, mapping, true, false, true);
  ASSERT_EQ(receiver.Posts.size(), 1u);
  EXPECT_EQ(text(), "Parsing goods ");
  const TStatusMessage& m = receiver.Posts[0].Message;
  EXPECT_EQ(std::tuple(m.Max, m.Position, m.AddToStartupLog, m.EchoToJournal), std::tuple(60, 12, true, true));
  SendStatusMessage(std::string("ab\0cd", 5), 0, 1, 1, window, mapping, false, false, false);
  EXPECT_EQ(text(), "ab");
  SendStatusMessage(std::string(2500, 'x'), 0, 60, 1, window, mapping, false, false, false);
  EXPECT_EQ(text(), std::string(1999, 'x'));
  // "\xC3\xA4" is two bytes; one at byte 1998 would be split by a plain cut.
  SendStatusMessage(std::string(1998, 'x') + "\xC3\xA4tail", 0, 60, 1, window, mapping, false, false, false);
  EXPECT_EQ(text(), std::string(1998, 'x'));

  // No window or no mapping: nothing is sent.
  SendStatusMessage("second", 0, 60, 2, 0, mapping, false, false, false);
  SendStatusMessage("third", 0, 60, 3, window, 0, false, false, false);
  EXPECT_EQ(receiver.Posts.size(), 4u);
  EXPECT_EQ(ReadStatusText(mapping), std::string(1998, 'x'));
  EXPECT_EQ(ReadStatusText(0), "");
}
