#include "support/DbgMonIntf.h"

#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "platform/ExePath.h"
#include "platform/Registry.h"
#include "platform/WindowClassSocket.h"
#include "support/mGlobalFunctions.h"
#include "support/mRunJournal.h"
#include "support/SysUtils.h"

namespace qmz {

namespace {

constexpr char kViewerClass[] = "TfmDebugMonitor";

struct ClientState {
  bool startFailed = false;
  int waitMs = 3000;
  platform::WindowHandle sender = 0;
  TJournal* journal = nullptr;
  bool distrustJournaled = false;
};

ClientState& State() {
  static ClientState state;
  return state;
}

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::string DebugPacket(const std::string& Msg, TMsgDlgType MType) {
  std::string packet;
  packet.reserve(Msg.size() + 4);
  packet.push_back(Msg == "\x03" ? 3 : 1);
  packet.push_back(static_cast<char>(MType + 1));
  packet += Msg;
  packet.append(2, '\0');
  return packet;
}

void SetDebugSenderWindow(platform::WindowHandle window, TJournal* journal) {
  State().sender = window;
  State().journal = journal;
}

void ResetDebugClient(int waitMs) {
  State().startFailed = false;
  State().distrustJournaled = false;
  State().waitMs = waitMs;
}

bool StartDebugWin() {
  ClientState& state = State();
  if (state.startFailed) return false;
  // Only read: looking for the viewer never creates a key in the user's registry.
  std::string path = platform::ProcessRegistry()
                         ->ReadString(platform::RegistryRoot::CurrentUser, "\\Software\\DebugMonitor\\Debug",
                                      "FilePath")
                         .value_or("");
  if (Trim(path).empty()) path = platform::ExecutableFolder() + "DebugMonitor.exe";
  path = Trim(path);
  if (path.empty() || !IsRegularFile(path) || !platform::StartProgram(path)) {
    state.startFailed = true;
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(state.waitMs);
  while (!platform::FindWindowClass(kViewerClass)) {
    if (std::chrono::steady_clock::now() >= deadline) {
      // A viewer that never opens its window would otherwise be started again for every text.
      state.startFailed = true;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

void SendDebugEx(const std::string& Msg, TMsgDlgType MType) {
  // Sending is the look-up: a probe connection of its own would reach the viewer as an empty packet.
  ClientState& state = State();
  const std::string packet = DebugPacket(Msg, MType);
  std::string distrust;
  platform::CopyDataResult result = platform::SendCopyData(kViewerClass, state.sender, 0, packet, &distrust);
  if (result == platform::CopyDataResult::NoWindow && StartDebugWin())
    result = platform::SendCopyData(kViewerClass, state.sender, 0, packet, &distrust);
  // Someone else's socket (or a link) where the viewer should listen: the texts stay here; said once,
  // since every text would find it again.
  if (result == platform::CopyDataResult::Refused && !state.distrustJournaled) {
    state.distrustJournaled = true;
    Log("Nothing is sent to the debug viewer: " + distrust, jlWarning, state.journal);
  }
}

void SendDebug(const std::string& Msg) { SendDebugEx(Msg, mtInformation); }

}  // namespace qmz
