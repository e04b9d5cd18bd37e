#include <algorithm>
#include <cstring>

#include "support/mGlobalFunctions.h"

namespace qmz {

namespace {

std::uintptr_t Clamp16(int value) { return static_cast<std::uintptr_t>(std::clamp(value, 0, 0xFFFF)); }

}  // namespace

TStatusParams PackStatusMessage(const TStatusMessage& Message) {
  const std::uintptr_t flags = (Message.AddToStartupLog ? 1u : 0u) | (Message.ReplaceStartupLine ? 2u : 0u) |
                               (Message.EchoToJournal ? 4u : 0u);
  TStatusParams p;
  p.WParam = (Clamp16(Message.Max) << 16) | Clamp16(Message.Min);
  p.LParam = static_cast<platform::LParam>((flags << 16) | Clamp16(Message.Position));
  return p;
}

TStatusMessage UnpackStatusMessage(platform::WParam WParam, platform::LParam LParam) {
  const auto l = static_cast<std::uintptr_t>(LParam);
  TStatusMessage m;
  m.Min = static_cast<int>(WParam & 0xFFFF);
  m.Max = static_cast<int>((WParam >> 16) & 0xFFFF);
  m.Position = static_cast<int>(l & 0xFFFF);
  const std::uintptr_t flags = (l >> 16) & 0xFFFF;
  m.AddToStartupLog = (flags & 1) != 0;
  m.ReplaceStartupLine = (flags & 2) != 0;
  m.EchoToJournal = (flags & 4) != 0;
  return m;
}

void SendStatusMessage(std::string_view Text, int Min, int Max, int Position, platform::WindowHandle Window,
                       platform::SharedMemoryHandle Mapping, bool AddToStartupLog, bool ReplaceStartupLine,
                       bool EchoToJournal) {
  if (Window == 0 || Mapping == 0) return;
  platform::SharedMemoryView view(Mapping);
  if (!view.Valid() || view.Size() == 0) return;
  Text = Text.substr(0, Text.find('\0'));
  size_t length = std::min(Text.size(), view.Size() - 1);
  // A cut inside a UTF-8 sequence would leave the receiver half a character.
  if (length < Text.size()) {
    while (length > 0 && (static_cast<unsigned char>(Text[length]) & 0xC0) == 0x80) --length;
  }
  std::memcpy(view.Data(), Text.data(), length);
  view.Data()[length] = '\0';
  const TStatusParams p = PackStatusMessage({Min, Max, Position, AddToStartupLog, ReplaceStartupLine, EchoToJournal});
  platform::SendMessage(Window, WM_STATUSMESSAGE, p.WParam, p.LParam);
}

std::string ReadStatusText(platform::SharedMemoryHandle Mapping) {
  platform::SharedMemoryView view(Mapping);
  if (!view.Valid()) return {};
  return std::string(view.Data(), strnlen(view.Data(), view.Size()));
}

}  // namespace qmz
