#pragma once
// Whole-file reads and atomic whole-file writes.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qmz::platform {

// Reads the whole regular file Path into Data. False (Data emptied) when it is missing, not a regular
// file (a folder, a FIFO, a device), cannot be read or holds more than MaxSize bytes; Reason, when given,
// then gets a short English text saying which ("not a regular file", "larger than N bytes", the system's
// error text). The file is opened without blocking and checked before a byte is read, so a FIFO in a
// file's place never hangs the reader.
bool ReadWholeFile(const std::string& Path, std::string& Data, std::size_t MaxSize = std::string::npos,
                   std::string* Reason = nullptr);

// Reads the regular file Path a piece at a time: Chunk gets each piece of at most ChunkSize bytes, in order,
// with the file's size when it was opened (a hint: the file may change while it is read). Stops early,
// returning false with Reason left empty, when Chunk returns false. Refuses what ReadWholeFile refuses.
bool ReadFileChunks(const std::string& Path, std::size_t ChunkSize,
                    const std::function<bool(std::string_view Data, std::uint64_t FileSize)>& Chunk,
                    std::string* Reason = nullptr);

// Writes Data to Path through a temporary file in the same folder that is renamed over Path, so a failed
// write never leaves a half-written file. An existing file keeps its permission bits. A Path that is a
// symbolic link is followed: the link's target is written (beside it, renamed there) and the link stays.
// A Path that is, or links to, no regular file (a device, a FIFO, a socket, a folder) is refused and left
// as it is. False on failure; Reason, when given, then gets the system's error text or "a FIFO, not a
// regular file" and the like.
bool WriteFileAtomic(const std::string& Path, std::string_view Data, std::string* Reason = nullptr);

// The same for a file made a piece at a time: Next sets Piece to the next bytes and returns true, or
// returns false after the last piece (the caller keeps each piece alive until Next is called again).
// Each piece is on its way to the disk while the next is made, so the closing flush of a large file is
// short.
bool WriteFileAtomicPieces(const std::string& Path, const std::function<bool(std::string_view& Piece)>& Next,
                           std::string* Reason = nullptr);

// Writes all of Data to the open file descriptor, going on after interrupted or partial writes.
// False when a write fails (disk full, file gone).
bool WriteAll(int fd, std::string_view Data);

// Path with every symbolic link of its last name followed (relative targets taken from the link's folder);
// Path itself when it is no link or does not exist. Gives up after 40 links, like the system.
std::string FollowFileLinks(const std::string& Path);

// Which file an open descriptor is, on this system: two descriptors or names with equal identities are one
// file, whatever names it has now.
struct FileIdentity {
  std::uint64_t Device = 0;
  std::uint64_t Inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the file open as fd; none when fd is not open.
std::optional<FileIdentity> IdentityOf(int fd);

}  // namespace qmz::platform
