#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qmz::platform {

// The names in folder ("." and ".." left out) in the file system's order; none when it cannot be listed.
// Memory running out while listing is a std::bad_alloc: the library's folder iterators end the process
// then, even their throwing forms.
std::optional<std::vector<std::string>> FolderNames(const std::filesystem::path& folder);

// Number of components of root when path lies in root (or is root), compared component by
// component without touching the disk; -1 when it does not.
int PathDepthWithin(const std::filesystem::path& root, const std::filesystem::path& path);

// Free bytes the calling user may use on the file system holding folder (statvfs); none when the
// folder cannot be examined.
std::optional<std::int64_t> FreeBytesAvailable(const std::filesystem::path& folder);

// A folder of this user's own, for files other users must not reach or replace: MakePrivateFolder makes
// it with mode 0700 unless something stands there already, and closes (0700) a folder of this user's that
// stands there open to others, but leaves a link or another user's folder alone (false when it is missing
// and cannot be made); PrivateFolderProblem says why what stands there is no such folder (a link or no
// directory, another user's, open to others), or is empty when it is one.
bool MakePrivateFolder(const std::string& folder);
std::string PrivateFolderProblem(const std::string& folder);

// Volume flag bits in the values the drive routines report.
inline constexpr std::uint32_t kVolumeCaseSensitiveSearch = 0x00000001;
inline constexpr std::uint32_t kVolumeCasePreservedNames = 0x00000002;
inline constexpr std::uint32_t kVolumeReadOnly = 0x00080000;

struct VolumeData {
  std::string VolumeName;          // the Wine label file ".windows-label" at the root, else empty
  std::uint32_t SerialNumber = 0;  // the Wine ".windows-serial" file (hex), else the file-system id
  std::uint32_t MaxComponentLength = 0;
  std::uint32_t FileSystemFlags = 0;
  std::string FileSystemName;  // the mount type, e.g. "ext4"
};

// Volume data of the file system that holds folder; none when the folder cannot be examined.
std::optional<VolumeData> ReadVolumeData(const std::filesystem::path& folder);

// Mount type of the mount table entry (in /proc/self/mounts format) with the longest mount point
// that contains path; empty when none does.
std::string FileSystemTypeOf(const std::string& mountsText, const std::filesystem::path& path);

// True when the running user cannot make a file in folder: the folder is missing or no folder, its file
// system is mounted read-only, or the user's rights do not allow it. Asks the file system only; nothing
// is written, so a folder that is not the program's (the root folder) stays untouched.
bool IsFolderWriteProtected(const std::filesystem::path& folder);

}  // namespace qmz::platform
