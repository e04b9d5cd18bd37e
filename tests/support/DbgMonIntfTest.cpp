#include "support/DbgMonIntf.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/Registry.h"
#include "platform/WindowClassSocket.h"
#include "support/mRunJournal.h"
#include "util/ScopedEnv.h"
#include "util/StatusRecorder.h"
#include "util/TempDir.h"

namespace qmz {
namespace {

using namespace std::chrono_literals;

// A stand-in viewer: listens where the client looks for the "TfmDebugMonitor" window, or elsewhere.
class TestViewer {
 public:
  explicit TestViewer(const std::string& path = platform::WindowClassSocketPath("TfmDebugMonitor")) {
    fd_ = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    EXPECT_EQ(bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    EXPECT_EQ(listen(fd_, 4), 0);
  }
  ~TestViewer() { close(fd_); }

  // Whether anyone connected (a sender always connects before it sends).
  bool Reached() {
    pollfd p{fd_, POLLIN, 0};
    return poll(&p, 1, 50) > 0;
  }

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
    chmod(runtime_.Str().c_str(), 0700);
    SetDebugSenderWindow(0x1234, &journal_);
  }
  void TearDown() override {
    SetDebugSenderWindow(0, nullptr);
    platform::ResetProcessRegistry();
  }

  int DistrustLines() const { return test::CountLines(journal_, jlWarning, "Nothing is sent to the debug viewer: "); }

  test::TempDir dir_;
  test::TempDir runtime_;
  test::ScopedEnv tmp_{"TMPDIR", dir_.Str().c_str()};
  test::ScopedEnv runtimeEnv_{"XDG_RUNTIME_DIR", runtime_.Str().c_str()};
  TJournal journal_{"", "DebugOut", true, true, true, false};
  std::shared_ptr<platform::MemoryRegistry> registry_;
};

// A packet holds command, type, text and two zeros; the viewer receives it in a copy-data frame.
TEST_F(DbgMonIntfTest, ViewerReceivesThePacketInACopyDataFrame) {
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
  TestViewer viewer;
  SendDebug("hello");
  const std::string frame = viewer.ReceiveFrame();
  const std::string header("\x4A\0\0\0\0\0\0\0\x34\x12\0\0\0\0\0\0\x09\0\0\0", 20);
  EXPECT_EQ(frame, header + DebugPacket("hello", mtInformation));
}

TEST_F(DbgMonIntfTest, TextsGoOnlyToTheUsersOwnFolder) {
  // Where a listener of anyone may sit: the shared temporary folder itself.
  TestViewer shared(dir_.Str() + "/TfmDebugMonitor");
  {
    TestViewer viewer;
    SendDebug("runtime");
    EXPECT_EQ(viewer.ReceiveFrame().substr(22, 7), "runtime");
  }
  test::ScopedEnv noRuntime("XDG_RUNTIME_DIR", nullptr);
  // The first text claims the user's folder before any viewer listens there.
  SendDebug("nobody listens yet");
  const auto own = dir_.Path() / ("qmz-" + std::to_string(geteuid()));
  const auto mode = [&own] { return std::filesystem::symlink_status(own).permissions() & std::filesystem::perms::all; };
  EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::symlink_status(own)));
  EXPECT_EQ(mode(), std::filesystem::perms::owner_all);
  TestViewer viewer;
  SendDebug("fallback");
  EXPECT_EQ(viewer.ReceiveFrame().substr(22, 8), "fallback");
  EXPECT_FALSE(shared.Reached());
  // Left open to others, it is closed and used.
  ASSERT_EQ(chmod(own.c_str(), 0755), 0);
  ResetDebugClient(300);
  SendDebug("reopened");
  ASSERT_TRUE(viewer.Reached());
  EXPECT_EQ(viewer.ReceiveFrame().substr(22, 8), "reopened");
  EXPECT_EQ(mode(), std::filesystem::perms::owner_all);
  EXPECT_EQ(DistrustLines(), 0);
}

// Neither changed nor used: a link in the own folder's place, or (made by the superuser) another user's.
TEST_F(DbgMonIntfTest, ALinkOrAnotherUsersFolderInTheOwnFoldersPlaceIsNotUsed) {
  test::ScopedEnv noRuntime("XDG_RUNTIME_DIR", nullptr);
  const std::string own = dir_.Str() + "/qmz-" + std::to_string(geteuid());
  const std::string real = dir_.Str() + "/real";
  struct Case {
    const char* name;
    std::function<void()> plant;
    std::string folder;  // what the link or the folder leads to
    const char* reason;
  };
  std::vector<Case> cases = {
      {"link", [&] { ASSERT_EQ(symlink(real.c_str(), own.c_str()), 0); }, real, " is not a directory"}};
  if (geteuid() == 0) {
    cases.push_back({"another user's",
                     [&] {
      ASSERT_EQ(chown(real.c_str(), 65534, 65534), 0);
      ASSERT_EQ(rename(real.c_str(), own.c_str()), 0);
                     },
                     own, " belongs to another user"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(own);
    ASSERT_EQ(mkdir(real.c_str(), 0755), 0);
    TestViewer planted(real + "/TfmDebugMonitor");
    c.plant();
    ResetDebugClient(300);
    const int before = DistrustLines();
    SendDebug("secret");
    EXPECT_FALSE(planted.Reached());
    EXPECT_EQ(DistrustLines() - before, 1);
    EXPECT_TRUE(journal_.Buffer().back().Text.ends_with(c.reason)) << journal_.Buffer().back().Text;
    EXPECT_EQ(std::filesystem::status(c.folder).permissions() & std::filesystem::perms::all,
              std::filesystem::perms(0755));
    std::filesystem::remove_all(c.folder);
  }
}

TEST_F(DbgMonIntfTest, PlantedSocketGetsNothingAndIsJournaledOnce) {
  const std::string path = platform::WindowClassSocketPath("TfmDebugMonitor");
  const std::string elsewhere = dir_.Str() + "/planted";
  struct Case {
    const char* name;
    bool listenerAtPath;  // a real listener sits where the viewer would, before the planting
    std::function<void()> plant;
    const char* reason;
  };
  std::vector<Case> cases = {
      {"link", false, [&] { ASSERT_EQ(symlink(elsewhere.c_str(), path.c_str()), 0); }, " is a symbolic link"},
      {"file", false, [&] { test::WriteWholeFile(path, "x"); }, " is not a socket"},
      {"open folder", true, [&] { chmod(runtime_.Str().c_str(), 0755); }, " is open to other users"},
  };
  // Only the superuser can give a socket or folder to someone else.
  if (geteuid() == 0) {
    cases.push_back(
        {"foreign socket", true, [&] { ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0); }, " belongs to another user"});
    cases.push_back({"foreign folder", true, [&] { ASSERT_EQ(chown(runtime_.Str().c_str(), 65534, 65534), 0); },
                     " belongs to another user"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(path);
    chmod(runtime_.Str().c_str(), 0700);
    ASSERT_EQ(chown(runtime_.Str().c_str(), geteuid(), getegid()), 0);
    ResetDebugClient(300);
    const int before = DistrustLines();
    TestViewer planted(elsewhere);
    std::unique_ptr<TestViewer> atPath;
    if (c.listenerAtPath) atPath = std::make_unique<TestViewer>(path);
    c.plant();
    SendDebug("secret one");
    SendDebug("secret two");
    EXPECT_FALSE(planted.Reached());
    if (atPath) {
      EXPECT_FALSE(atPath->Reached());
    }
    EXPECT_EQ(DistrustLines() - before, 1);
    ASSERT_FALSE(journal_.Buffer().empty());
    EXPECT_TRUE(journal_.Buffer().back().Text.ends_with(c.reason)) << journal_.Buffer().back().Text;
    std::filesystem::remove(elsewhere);
  }
}

TEST_F(DbgMonIntfTest, ABlankViewerPathFallsBackBesideTheProgramAViewerThatNeverListensIsStartedOnlyOnce) {
  registry_->SetString(platform::RegistryRoot::CurrentUser, "Software\\DebugMonitor\\Debug", "FilePath", "   ");
  SendDebug("one");  // blank path: the default beside the executable, which does not exist
  EXPECT_FALSE(StartDebugWin());
  // A viewer that never listens is started only once.
  ResetDebugClient(300);
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

// A real viewer program, started by the client: it opens its window a little late, and every connection it
// accepts is a message to it, so looking for the window while it starts must not connect.
TEST_F(DbgMonIntfTest, AStartedViewerIsFoundWithoutAConnectionAndGetsTheTextOnce) {
  const auto script = dir_.Path() / "viewer.py";
  const auto received = dir_.Path() / "received";
  // Debian's own interpreter: another python3 earlier on PATH may be missing.
  test::WriteWholeFile(script,
                       "#!/usr/bin/python3\n"
                       "import socket, time\n"
                       "time.sleep(0.3)\n"
                       "s = socket.socket(socket.AF_UNIX)\n"
                       "s.bind('" +
                           platform::WindowClassSocketPath("TfmDebugMonitor") +
                           "')\n"
                           "s.listen(4)\n"
                           "s.settimeout(2)\n"
                           "try:\n"
                           "    while True:\n"
                           "        c, _ = s.accept()\n"
                           "        data = b''\n"
                           "        while chunk := c.recv(256):\n"
                           "            data += chunk\n"
                           "        open('" +
                           received.string() +
                           "', 'a').write(data[22:-2].decode() + '|')\n"
                           "except socket.timeout:\n"
                           "    pass\n");
  chmod(script.c_str(), 0700);
  registry_->SetString(platform::RegistryRoot::CurrentUser, "Software\\DebugMonitor\\Debug", "FilePath",
                       script.string());
  ResetDebugClient(5000);
  EXPECT_TRUE(StartDebugWin());
  SendDebug("hello");
  SendDebug("again");
  for (int i = 0; i < 150 && test::ReadWholeFile(received).size() < 12; ++i) std::this_thread::sleep_for(20ms);
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(test::ReadWholeFile(received), "hello|again|");
}

}  // namespace
}  // namespace qmz
