#pragma once
// Whole-file reads and atomic whole-file writes.
#include <string>
#include <string_view>

namespace qmz::platform {

// Reads the whole regular file Path into Data. False (Data emptied) when it is missing, not a regular
// file (a folder, say), cannot be read or holds more than MaxSize bytes.
bool ReadWholeFile(const std::string& Path, std::string& Data, std::size_t MaxSize = std::string::npos);

// Writes Data to Path through a temporary file in the same folder that is renamed over Path, so a failed
// write never leaves a half-written file. An existing file keeps its permission bits. False on failure.
bool WriteFileAtomic(const std::string& Path, std::string_view Data);

// Writes all of Data to the open file descriptor, going on after interrupted or partial writes.
// False when a write fails (disk full, file gone).
bool WriteAll(int fd, std::string_view Data);

}  // namespace qmz::platform
