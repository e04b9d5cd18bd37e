#include "samplegen/FileOut.h"

#include "platform/WholeFile.h"

#include <cctype>
#include <cstdint>
#include <stdexcept>

namespace qmz::samplegen {

namespace fs = std::filesystem;

void WriteFileBytes(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  if (!platform::WriteFileAtomic(path.string(), bytes)) throw std::runtime_error("cannot write " + path.string());
}

std::string DiskName(const std::string& component) {
  std::string lower = component;
  std::string upper = component;
  for (auto& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  // The two top folders as a Windows installer creates them; the loader itself writes "exe\".
  if (lower == "exe" || lower == "data") return upper;

  std::uint32_t h = 2166136261u;  // FNV-1a of the lower-case name: stable across runs and seeds
  for (unsigned char c : lower) h = (h ^ c) * 16777619u;
  switch (h % 4) {
    case 0:
      return upper;
    case 1: {
      std::string cap = lower;
      cap[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(cap[0])));
      return cap;
    }
    case 2:
      return lower;
    default: {
      // Every word capitalised: "Kiosk_Cargo.Ini"
      std::string words = lower;
      bool start = true;
      for (auto& c : words) {
        if (start) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        start = !std::isalnum(static_cast<unsigned char>(c));
      }
      return words;
    }
  }
}

fs::path OnDisk(const fs::path& base, const std::string& windowsPath) {
  fs::path p = base;
  std::size_t start = 0;
  while (start <= windowsPath.size()) {
    std::size_t end = windowsPath.find('\\', start);
    if (end == std::string::npos) end = windowsPath.size();
    if (end > start) p /= DiskName(windowsPath.substr(start, end - start));
    start = end + 1;
  }
  return p;
}

}  // namespace qmz::samplegen
