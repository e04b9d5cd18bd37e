#include "samplegen/SettingsEntry.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/ProfileFile.h"

namespace qmz::samplegen {

namespace {

int ToInt(const std::string& text) {
  try {
    return std::stoi(text);
  } catch (...) {
    return 0;
  }
}

}  // namespace

SettingsChange AddSettingsEntry(const std::string& settingsFile, const std::string& folder, const std::string& title) {
  using platform::ReadProfileString;
  using platform::WriteProfileString;
  std::error_code ec;
  const bool exists = std::filesystem::exists(settingsFile, ec) || std::filesystem::is_symlink(settingsFile, ec);
  const int count = exists ? std::max(0, ToInt(ReadProfileString(settingsFile, "MAIN", "PathNum", "0"))) : 0;
  for (int k = 0; k < count; ++k)
    if (ReadProfileString(settingsFile, "Path", "Path_" + std::to_string(k), "") == folder)
      return SettingsChange::Unchanged;
  const std::string n = std::to_string(count);
  bool ok = WriteProfileString(settingsFile, "Path", "Path_" + n, folder) &&
            WriteProfileString(settingsFile, "Name", "Name_" + n, title) &&
            WriteProfileString(settingsFile, "MAIN", "PathNum", std::to_string(count + 1));
  // Row 0 of the chooser is the registered installation, so the first entry is row 1; its folder beside
  // it keeps the default on this entry when a row above it comes or goes.
  if (ok && !exists)
    ok = WriteProfileString(settingsFile, "MAIN", "Default", "1") &&
         WriteProfileString(settingsFile, "MAIN", "DefaultPath", folder);
  if (!ok) return SettingsChange::Failed;
  return exists ? SettingsChange::Added : SettingsChange::Created;
}

}  // namespace qmz::samplegen
