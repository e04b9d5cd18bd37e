#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qmz::platform {

// The game refers to its files the Windows way ("C:\Games\Starvagant\EXE\starvagant.ini",
// "DATA\UNIVERSE\SYSTEMS\St01\st01.ini") and in any letter case; on Linux the files sit in a case-
// sensitive file system. Every game path goes through ResolveGamePath:
// - "\" and "/" both separate names; empty names and "." are dropped;
// - "X:" at the start is a drive letter of the Wine prefix (DriveRoot); a leading separator without a
//   drive starts at the Linux root, so Linux paths work too; anything else is relative to base (a real
//   folder; the current folder when base is empty);
// - ".." drops the name before it, as Windows does, before anything is looked up; it never climbs above
//   the drive's root (or "/");
// - each name is matched against the folder on disk: the exact name when it exists, else the first name
//   (in byte order) that equals it ignoring ASCII letter case.
// Folder listings are cached for the life of the process; ResetGamePathCache drops them.

// The real path, or nullopt when some name has no match on disk or the drive letter is unknown. Memory
// running out on the way is a std::bad_alloc, never a path that seems missing.
std::optional<std::filesystem::path> ResolveGamePath(std::string_view gamePath, const std::filesystem::path& base = {});

// True when the path resolves to a file (after links); false for folders.
bool GameFileExists(std::string_view gamePath, const std::filesystem::path& base = {});
// True when the path resolves to a folder (after links).
bool GameDirectoryExists(std::string_view gamePath, const std::filesystem::path& base = {});

// folder + name with one "\" between them (none added when folder is empty or already ends in a
// separator), in the game's own path form.
std::string JoinGamePath(std::string_view folder, std::string_view name);

// Forgets the cached folder listings and drive letters, e.g. after files were added or renamed.
void ResetGamePathCache();

}  // namespace qmz::platform
