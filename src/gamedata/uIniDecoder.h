#pragma once
// Decoder of the game's binary INI form ("BINI") into INI text lines.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qmz {

class TStringList;

enum TBiniStatus : std::uint8_t {
  bsGeneralError = 0,
  bsNotBini = 1,
  bsBadEntry = 2,
  bsNoDestination = 3,  // kept for the table; never returned
  bsNoSource = 4,
  bsTooSmall = 5,
  bsSuccess = 10,
};

// One text per status value, indexed by the status (6 to 9 are unused and empty).
extern const std::array<const char*, 11> BiniStatusText;

// Game files (text or binary) larger than this are not read: no real data file comes near it, and a
// crafted or sparse file of gigabytes would otherwise be read whole.
inline constexpr std::size_t kMaxGameFileSize = std::size_t(256) << 20;

// The decoded text of a binary file is bounded: at most kMaxDecodedFactor times the file's size (but at
// least kMinDecodedBound bytes) and never more than kMaxDecodedTotal bytes. A file whose records would
// decode into more (every value naming one long string) stops there with bsBadEntry, keeping the lines
// decoded before.
inline constexpr std::size_t kMaxDecodedFactor = 64;
inline constexpr std::size_t kMinDecodedBound = std::size_t(1) << 20;
inline constexpr std::size_t kMaxDecodedTotal = std::size_t(1) << 30;
std::size_t MaxDecodedSize(std::size_t InputSize);

// Decodes FileName into Target. Decoded lines are appended to what Target holds; a file that is not
// binary replaces Target's content by its text lines (bsNotBini). Never reads outside the file or the
// string table: a record running past the record area or an offset outside the table gives bsBadEntry
// with the lines decoded so far kept in Target.
// A file that cannot be read (missing, no regular file, larger than kMaxGameFileSize) gives bsNoSource
// and, when Reason is given, the reason in it.
TBiniStatus DecodeBini(const std::string& FileName, TStringList* Target, std::string* Reason = nullptr);

// The same decode for a file already in memory. For a buffer without the magic nothing is appended and
// the result is bsNotBini (the caller decides how to read the text).
TBiniStatus DecodeBiniBuffer(std::string_view Data, TStringList* Target);

// The most a section's entry lines can take, told before its header line: no more lines than its record
// claims and the rest of the record area can hold, no more text than the decoded bound leaves. A reader
// may make room for that much at once; a crafted record cannot make it ask for more.
struct TBiniSectionRoom {
  std::size_t lines = 0;
  std::size_t bytes = 0;
};

// The decode every binary game file goes through: each line handed to Line as it is made (the view lives
// until Line returns), so a reader that parses the lines at once needs no list of them. Section, when
// given, is told each section's room before its header line.
TBiniStatus DecodeBiniLines(std::string_view Data, const std::function<void(std::string_view)>& Line,
                            const std::function<void(TBiniSectionRoom)>& Section = {});

// Reads FileName as DecodeBini does, every line handed to Line as it is made (the view lives until Line
// returns): the decoded lines of a binary file, the text lines of any other file. Nothing is kept, so a
// reader that joins or parses the lines needs no list of them. Results as DecodeBini's.
TBiniStatus DecodeBiniFileLines(const std::string& FileName, const std::function<void(std::string_view)>& Line,
                                std::string* Reason = nullptr);

// The zero-terminated string at the 0-based Offset of StrTable, without its terminator; the end of the
// table also ends it. Empty for an offset outside the table.
std::string GetCStr(const std::string& StrTable, std::int64_t Offset);

}  // namespace qmz
