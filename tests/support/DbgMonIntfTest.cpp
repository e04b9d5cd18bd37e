#include "support/DbgMonIntf.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/Registry.h"
#include "platform/WindowClassSocket.h"
#include "util/ScopedEnv.h"
#include "util/TempDir.h"

namespace qmz {
namespace {

using namespace std::chrono_literals;

// A stand-in viewer: listens where the client looks for the "TfmDebugMonitor" window.
class TestViewer {
 public:
  TestViewer() {
    fd_ = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = platform::WindowClassSocketPath("TfmDebugMonitor");
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    EXPECT_EQ(bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    EXPECT_EQ(listen(fd_, 4), 0);
  }
  ~TestViewer() { close(fd_); }

  std::string ReceiveFrame() {
    const int client = accept(fd_, nullptr, nullptr);
    std::string frame;
    char buffer[256];
    ssize_t n;
    while ((n = read(client, buffer, sizeof(buffer))) > 0) frame.append(buffer, static_cast<size_t>(n));
    close(client);
    return frame;
  }

 private:
  int fd_ = -1;
};

class DbgMonIntfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_ = std::make_shared<platform::MemoryRegistry>();
    platform::SetProcessRegistry(registry_);
    ResetDebugClient(300);
  }
  void TearDown() override { platform::ResetProcessRegistry(); }

  test::TempDir dir_;
  test::ScopedEnv tmp_{"TMPDIR", dir_.Str().c_str()};
  std::shared_ptr<platform::MemoryRegistry> registry_;
};

TEST(DebugPacket, HoldsCommandTypeTextAndTwoZeros) {
  struct Case {
    std::string msg;
    TMsgDlgType type;
    std::string bytes;
  };
  const Case cases[] = {
      {"abc", mtInformation, std::string("\x01\x03\x61\x62\x63\0\0", 7)},
      {"", mtError, std::string("\x01\x02\0\0", 4)},
      {"\x03", mtWarning, std::string("\x03\x01\x03\0\0", 5)},
      {"\x03\x03", mtCustom, std::string("\x01\x05\x03\x03\0\0", 6)},
  };
  for (const Case& c : cases) EXPECT_EQ(DebugPacket(c.msg, c.type), c.bytes) << c.msg;
}

TEST_F(DbgMonIntfTest, ViewerReceivesCopyDataFrame) {
  TestViewer viewer;
  SetDebugSenderWindow(0x1234);
  SendDebug("hello");
  const std::string frame = viewer.ReceiveFrame();
  const std::string header("\x4A\0\0\0\0\0\0\0\x34\x12\0\0\0\0\0\0\x09\0\0\0", 20);
  EXPECT_EQ(frame, header + DebugPacket("hello", mtInformation));
}

TEST_F(DbgMonIntfTest, BlankPathFallsBackBesideTheProgramAndFailsOnce) {
  registry_->SetString(platform::RegistryRoot::CurrentUser, "Software\\DebugMonitor\\Debug", "FilePath", "   ");
  SendDebug("one");  // blank path: the default beside the executable, which does not exist
  EXPECT_FALSE(StartDebugWin());
}

TEST_F(DbgMonIntfTest, ViewerThatNeverListensIsStartedOnlyOnce) {
  const auto script = dir_.Path() / "viewer.sh";
  const auto starts = dir_.Path() / "starts";
  test::WriteWholeFile(script, "#!/bin/sh\necho started >> '" + starts.string() + "'\n");
  chmod(script.c_str(), 0700);
  registry_->SetString(platform::RegistryRoot::CurrentUser, "Software\\DebugMonitor\\Debug", "FilePath",
                       script.string());
  SendDebug("first");
  SendDebug("second");
  SendDebugEx("third", mtError);
  for (int i = 0; i < 100 && !std::filesystem::exists(starts); ++i) std::this_thread::sleep_for(20ms);
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(test::ReadWholeFile(starts), "started\n");
}

}  // namespace
}  // namespace qmz
