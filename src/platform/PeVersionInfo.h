#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qmz::platform {

// The four numbers of a file version: Major.Minor.Release.Build.
struct PeFileVersion {
  uint16_t Major;
  uint16_t Minor;
  uint16_t Release;
  uint16_t Build;
};

// What a PE file's version resource (VS_VERSIONINFO) holds, read through PeResources.
struct PeVersionInfo {
  struct StringTable {
    std::string Name;  // language and code page as eight hex digits, e.g. "040904b0"
    std::vector<std::pair<std::string, std::string>> Values;  // in file order, UTF-8
  };

  // The fixed file information; absent when the resource has none or its signature is wrong.
  std::optional<PeFileVersion> FileVersion;
  // The entries of \VarFileInfo\Translation: language in the low word, code page in the high word.
  std::vector<uint32_t> Translations;
  std::vector<StringTable> StringTables;

  // The value of \StringFileInfo\<table>\<key>; table and key ignore ASCII letter case.
  std::optional<std::string> StringValue(std::string_view table, std::string_view key) const;
};

// The version resource of a PE file; nullopt when the file has none or cannot be read. A damaged
// resource gives what could be read before the damage.
std::optional<PeVersionInfo> ReadPeVersionInfo(const std::filesystem::path& file);
std::optional<PeVersionInfo> ParsePeVersionInfo(std::span<const uint8_t> image);

}  // namespace qmz::platform
