#include "platform/WindowMessages.h"

#include <map>
#include <memory>
#include <mutex>

namespace qmz::platform {

namespace {

std::mutex receiversMutex;
// Shared pointers, so a handler stays alive while it runs even when it unregisters itself.
std::map<WindowHandle, std::shared_ptr<MessageHandler>>& Receivers() {
  static std::map<WindowHandle, std::shared_ptr<MessageHandler>> receivers;
  return receivers;
}
WindowHandle nextWindow = 0x10000;

}  // namespace

WindowHandle RegisterMessageReceiver(MessageHandler handler) {
  std::lock_guard lock(receiversMutex);
  const WindowHandle window = nextWindow;
  nextWindow += 4;
  Receivers().emplace(window, std::make_shared<MessageHandler>(std::move(handler)));
  return window;
}

void UnregisterMessageReceiver(WindowHandle window) {
  std::lock_guard lock(receiversMutex);
  Receivers().erase(window);
}

bool IsMessageReceiver(WindowHandle window) {
  std::lock_guard lock(receiversMutex);
  return Receivers().count(window) != 0;
}

MessageResult SendMessage(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam) {
  std::shared_ptr<MessageHandler> handler;
  {
    std::lock_guard lock(receiversMutex);
    const auto it = Receivers().find(window);
    if (it == Receivers().end()) return 0;
    handler = it->second;
  }
  return *handler ? (*handler)(message, wParam, lParam) : 0;
}

}  // namespace qmz::platform
