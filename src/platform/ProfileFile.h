#pragma once
// The profile-file functions (private INI files) with the Windows semantics the INI classes rely on:
// section and key names match ignoring ASCII case, the first matching section and key win on read,
// names and values are trimmed, and every write rewrites the file at once (atomically). Text is UTF-8.
#include <string>
#include <vector>

namespace qmz::platform {

// Values longer than this many characters come back cut, like the 2,048-character read buffer they
// were read into.
constexpr std::size_t kProfileValueLimit = 2047;

// The value of Key in Section, or Default when the file, the section or the key is absent.
std::string ReadProfileString(const std::string& FileName, const std::string& Section, const std::string& Key,
                              const std::string& Default);
// The section names in file order, each once (spelled as at its first header).
std::vector<std::string> ReadProfileSectionNames(const std::string& FileName);
// The key names of the first section named Section, each once, in file order.
std::vector<std::string> ReadProfileSectionKeys(const std::string& FileName, const std::string& Section);

// Sets Key in the first section named Section (creating the section and the file when needed). The
// existing line keeps its place and its key spelling. False when the file cannot be written or a text
// holds a line break (which would break the file's structure).
bool WriteProfileString(const std::string& FileName, const std::string& Section, const std::string& Key,
                        const std::string& Value);
// Removes every section named Section with all its lines. True also when there was none.
bool EraseProfileSection(const std::string& FileName, const std::string& Section);
// Removes every line of Key from the first section named Section, so the key reads as absent afterwards.
bool DeleteProfileKey(const std::string& FileName, const std::string& Section, const std::string& Key);

}  // namespace qmz::platform
