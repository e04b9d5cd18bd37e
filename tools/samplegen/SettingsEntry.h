#pragma once
// Names a generated installation in the program's settings file (QMZ.ini), as the demo needs it without
// taking anything from the player: a new file gets it as its only entry and the default; an existing file
// keeps every entry and its default, and gets the installation as one more entry only when no entry names
// its folder yet.
#include <string>

namespace qmz::samplegen {

enum class SettingsChange { Created, Added, Unchanged, Failed };

SettingsChange AddSettingsEntry(const std::string& settingsFile, const std::string& folder, const std::string& title);

}  // namespace qmz::samplegen
