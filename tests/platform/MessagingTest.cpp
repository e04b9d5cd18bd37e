#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/SharedMemory.h"
#include "platform/WindowMessages.h"

using namespace qmz::platform;

TEST(SharedMemory, SecondOpenSharesTheBlockTheCreatorRemovesItAndNoneGivesNoView) {
  const std::string name = "QMZ_TEST_MMF_" + std::to_string(getpid()) + "_";
  bool existed = true;
  const SharedMemoryHandle first = CreateOrOpenSharedMemory(name, 2000, &existed);
  ASSERT_NE(first, 0u);
  EXPECT_FALSE(existed);
  const SharedMemoryHandle second = CreateOrOpenSharedMemory(name, 2000, &existed);
  ASSERT_NE(second, 0u);
  EXPECT_TRUE(existed);
  {
    SharedMemoryView a(first);
    SharedMemoryView b(second);
    ASSERT_TRUE(a.Valid());
    ASSERT_TRUE(b.Valid());
    EXPECT_EQ(a.Size(), 2000u);
    std::strcpy(a.Data(), "Parsing goods");
    EXPECT_STREQ(b.Data(), "Parsing goods");
    a.Data()[1999] = 'x';  // the whole block is mapped
  }
  CloseSharedMemory(second);
  CloseSharedMemory(first);
  const SharedMemoryHandle again = CreateOrOpenSharedMemory(name, 2000, &existed);
  EXPECT_FALSE(existed);
  CloseSharedMemory(again);
  EXPECT_FALSE(SharedMemoryView(0).Valid());
  EXPECT_EQ(CreateOrOpenSharedMemory("QMZ_TEST_EMPTY", 0), 0u);
  EXPECT_EQ(SharedMemoryObjectName("QMZ_IPC_MMF"), "/QMZ_IPC_MMF" + std::to_string(geteuid()));
}

// The parameters' way through is checked with the status messages (support); here the results, and a
// receiver that unregisters itself while it is called and sends on.
TEST(WindowMessages, ResultsAndReceiversThatUnregisterThemselvesAndSendOn) {
  int calls = 0;
  const WindowHandle other = RegisterMessageReceiver(
      [&](std::uint32_t, WParam, LParam) -> MessageResult { return ++calls; });
  WindowHandle self = 0;
  self = RegisterMessageReceiver([&](std::uint32_t, WParam, LParam) -> MessageResult {
    UnregisterMessageReceiver(self);
    return SendMessage(other, WM_USER, 0, 0) + 10;
  });
  EXPECT_TRUE(IsMessageReceiver(self));
  EXPECT_EQ(SendMessage(self, WM_USER, 0, 0), 11);
  EXPECT_FALSE(IsMessageReceiver(self));
  EXPECT_EQ(SendMessage(self, WM_USER, 0, 0), 0);
  UnregisterMessageReceiver(other);
  EXPECT_EQ(SendMessage(other, WM_USER, 0, 0), 0);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(SendMessage(0, WM_USER, 0, 0), 0);
}
