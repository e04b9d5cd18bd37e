#pragma once
#include <cstdint>
#include <functional>

namespace qmz::platform {

// Window handles and messages. A receiver (a window) registers a handler and gets a handle; a
// message sent to that handle is handled at once, on the sender's thread, before SendMessage
// returns. 0 is never a valid handle.
using WindowHandle = std::uintptr_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using MessageResult = std::intptr_t;
using MessageHandler = std::function<MessageResult(std::uint32_t message, WParam wParam, LParam lParam)>;

inline constexpr std::uint32_t WM_USER = 0x0400;

WindowHandle RegisterMessageReceiver(MessageHandler handler);
void UnregisterMessageReceiver(WindowHandle window);
bool IsMessageReceiver(WindowHandle window);

// Calls the receiver's handler and returns its result; 0 when no receiver has that handle.
// A handler may send further messages or unregister receivers (itself included) while it runs.
MessageResult SendMessage(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam);

}  // namespace qmz::platform
