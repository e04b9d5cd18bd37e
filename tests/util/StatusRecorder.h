#pragma once
// What the loader tests need around a TSvData: an in-memory journal and a receiver of the progress
// channel that records every post.

#include <unistd.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/SharedMemory.h"
#include "platform/WindowMessages.h"
#include "support/mGlobalFunctions.h"
#include "support/mRunJournal.h"

namespace qmz::test {

struct StatusPost {
  std::string Text;
  TStatusMessage Message;
};

// A window and a shared block of its own (the name is unique per process and object, so parallel
// test programs never share one).
class StatusRecorder {
 public:
  StatusRecorder() {
    static std::atomic<int> counter{0};
    mapping_ = platform::CreateOrOpenSharedMemory("QMZ_TEST_" + std::to_string(getpid()) + "_" +
                                                      std::to_string(counter++),
                                                  kStatusMappingSize);
    window_ = platform::RegisterMessageReceiver([this](std::uint32_t msg, platform::WParam w, platform::LParam l) {
      if (msg == WM_STATUSMESSAGE) Posts.push_back({ReadStatusText(mapping_), UnpackStatusMessage(w, l)});
      return platform::MessageResult(0);
    });
  }
  ~StatusRecorder() {
    platform::UnregisterMessageReceiver(window_);
    platform::CloseSharedMemory(mapping_);
  }
  StatusRecorder(const StatusRecorder&) = delete;
  StatusRecorder& operator=(const StatusRecorder&) = delete;

  platform::WindowHandle Window() const { return window_; }
  platform::SharedMemoryHandle Mapping() const { return mapping_; }
  // The posts with a text, in order.
  std::vector<StatusPost> TextPosts() const {
    std::vector<StatusPost> r;
    for (const auto& p : Posts)
      if (!p.Text.empty()) r.push_back(p);
    return r;
  }

  std::vector<StatusPost> Posts;

 private:
  platform::WindowHandle window_ = 0;
  platform::SharedMemoryHandle mapping_ = 0;
};

// A journal that keeps its lines in memory only.
inline std::unique_ptr<TJournal> MemoryJournal() {
  return std::make_unique<TJournal>("", "DebugOut", true, true, true, false);
}

// The journal lines of one level that contain a text.
inline int CountLines(const TJournal& journal, std::uint8_t level, const std::string& part) {
  int n = 0;
  for (const auto& r : journal.Buffer())
    if (r.Level == level && r.Text.find(part) != std::string::npos) ++n;
  return n;
}

}  // namespace qmz::test
