#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <tuple>

#include "support/mGlobalFunctions.h"

using namespace qmz;
using namespace qmz::platform;

namespace {

// A receiving window that records what each message carried, read the way the main window reads it.
struct Receiver {
  SharedMemoryHandle mapping;
  WindowHandle window = 0;
  int calls = 0;
  TStatusMessage last;
  std::string text;

  explicit Receiver(SharedMemoryHandle m) : mapping(m) {
    window = RegisterMessageReceiver([this](std::uint32_t msg, WParam wp, LParam lp) -> MessageResult {
      if (msg != WM_STATUSMESSAGE) return 0;
      ++calls;
      last = UnpackStatusMessage(wp, lp);
      text = ReadStatusText(mapping);
      return 0;
    });
  }
  ~Receiver() { UnregisterMessageReceiver(window); }
};

struct Channel {
  std::string name = "QMZ_TEST_IPC_" + std::to_string(getpid()) + "_";
  SharedMemoryHandle mapping = CreateOrOpenSharedMemory(name, kStatusMappingSize);
  ~Channel() { CloseSharedMemory(mapping); }
};

}  // namespace

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
  Channel channel;
  ASSERT_NE(channel.mapping, 0u);
  Receiver receiver(channel.mapping);
  SendStatusMessage("Parsing goods ", 0, 60, 12, receiver.window, channel.mapping, true, false, true);
  EXPECT_EQ(receiver.calls, 1);
  EXPECT_EQ(receiver.text, "Parsing goods ");
  EXPECT_EQ(receiver.last.Max, 60);
  EXPECT_EQ(receiver.last.Position, 12);
  EXPECT_TRUE(receiver.last.AddToStartupLog);
  EXPECT_TRUE(receiver.last.EchoToJournal);
  SendStatusMessage(std::string("ab\0cd", 5), 0, 1, 1, receiver.window, channel.mapping, false, false, false);
  EXPECT_EQ(receiver.text, "ab");
  SendStatusMessage(std::string(2500, 'x'), 0, 60, 1, receiver.window, channel.mapping, false, false, false);
  EXPECT_EQ(receiver.text, std::string(1999, 'x'));
  // "\xC3\xA4" is two bytes; one at byte 1998 would be split by a plain cut.
  SendStatusMessage(std::string(1998, 'x') + "\xC3\xA4tail", 0, 60, 1, receiver.window, channel.mapping, false, false,
                    false);
  EXPECT_EQ(receiver.text, std::string(1998, 'x'));

  // No window or no mapping: nothing is sent.
  SendStatusMessage("second", 0, 60, 2, 0, channel.mapping, false, false, false);
  SendStatusMessage("third", 0, 60, 3, receiver.window, 0, false, false, false);
  EXPECT_EQ(receiver.calls, 4);
  EXPECT_EQ(ReadStatusText(channel.mapping), std::string(1998, 'x'));
  EXPECT_EQ(ReadStatusText(0), "");
}
