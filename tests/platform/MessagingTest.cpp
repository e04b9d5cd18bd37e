#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/SharedMemory.h"
#include "platform/WindowMessages.h"

using namespace qmz::platform;

TEST(SharedMemory, SecondOpenSharesTheBlockTheCreatorRemovesItAndNoneOrAForeignOrShrunkBlockGivesNoView) {
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

  const std::string foreign = "QMZ_TEST_FOREIGN_" + std::to_string(getpid()) + "_";
  const std::string object = SharedMemoryObjectName(foreign);
  // Made first with a mode that lets every user in, as another local user could.
  const int fd = shm_open(object.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(fchmod(fd, 0666), 0);
  ASSERT_EQ(ftruncate(fd, 2000), 0);
  std::string refusal;
  EXPECT_EQ(CreateOrOpenSharedMemory(foreign, 2000, nullptr, &refusal), 0u);
  EXPECT_NE(refusal.find(object), std::string::npos);
  EXPECT_NE(refusal.find("others may open it"), std::string::npos);

  // Our own block, shrunk behind our back: a view would fault on its first write, so there is none.
  ASSERT_EQ(fchmod(fd, 0600), 0);
  const SharedMemoryHandle handle = CreateOrOpenSharedMemory(foreign, 2000);
  ASSERT_NE(handle, 0u);
  ASSERT_EQ(ftruncate(fd, 10), 0);
  EXPECT_FALSE(SharedMemoryView(handle).Valid());
  CloseSharedMemory(handle);
  ::close(fd);
  shm_unlink(object.c_str());
}

// Results, and a receiver that unregisters itself while called and sends on (parameters: the status tests).
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
