// The string list's comma text and line text, read from outside data (settings values, mod names): the
// first byte picks the reader, and what a list writes must read back as the same items.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "support/Classes.h"

namespace {

bool SameItems(const qmz::TStringList& a, const qmz::TStringList& b) {
  if (a.Count() != b.Count()) return false;
  for (int i = 0; i < a.Count(); ++i)
    if (a[i] != b[i]) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  qmz::TStringList list, again;
  if (data[0] & 1) {
    list.SetCommaText(text);
    again.SetCommaText(list.CommaText());
  } else {
    list.SetText(text);
    again.SetText(list.Text());
  }
  if (!SameItems(list, again)) __builtin_trap();
  // Sorted lookups over what was read.
  list.SetSorted(true);
  for (const auto& item : again) {
    int index = 0;
    if (!list.Find(item.text, index)) __builtin_trap();
  }
  (void)list.IndexOfName("nickname");
  (void)list.Values("base");
  return 0;
}
