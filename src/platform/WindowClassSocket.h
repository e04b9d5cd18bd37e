#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/WindowMessages.h"

namespace qmz::platform {

// Another process's top-level window is found by its window class: the process listens on a local
// socket named after the class, in a folder only this user can reach: $XDG_RUNTIME_DIR where set, else
// the folder "qmz-<uid>" of the temporary folder ($TMPDIR, else /tmp), made with mode 0700 when missing.
std::string WindowClassSocketPath(std::string_view windowClass);

// That folder, for the program's own sockets and locks, with a trailing '/': made when it is the fallback
// and missing. Empty when it is no folder of this user's own closed to everyone else; *problem says why.
std::string UserPrivateFolder(std::string* problem);

// Why the socket of that window class must not be used, or empty when it may (or is simply absent): its
// folder must be a directory of this user closed to everyone else, and the socket itself a socket of this
// user, not a link.
std::string WindowClassSocketDistrust(std::string_view windowClass);

// True when some process of this user listens on the socket of that window class; nothing connects to it.
bool FindWindowClass(std::string_view windowClass);

// WM_COPYDATA to the window of that class as one frame on a fresh connection:
//   u32 message (0x004A), u32 dwData, u64 wParam, u32 cbData, then the cbData bytes (little-endian).
// Never blocks: a listener that does not accept or read loses the frame (Dropped).
enum class CopyDataResult { Sent, NoWindow, Dropped, Refused };
// Nothing is sent to a socket that WindowClassSocketDistrust refuses (Refused; *distrust then says why).
CopyDataResult SendCopyData(std::string_view windowClass, WParam sender, std::uint32_t dwData, std::string_view data,
                            std::string* distrust = nullptr);

// Starts a program without arguments in its own session, not waiting for it. False when it cannot be started.
bool StartProgram(const std::string& path);

}  // namespace qmz::platform
