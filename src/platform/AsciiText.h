#pragma once
#include <string>
#include <string_view>

namespace qmz::platform {

// Lower case for A-Z only: how the stand-ins compare registry keys and file names ignoring case.
inline std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace qmz::platform
