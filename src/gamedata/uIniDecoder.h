#pragma once
// Decoder of the game's binary INI form ("BINI") into INI text lines.
#include <array>
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

// Decodes FileName into Target. Decoded lines are appended to what Target holds; a file that is not
// binary replaces Target's content by its text lines (bsNotBini). Never reads outside the file or the
// string table: a record running past the record area or an offset outside the table gives bsBadEntry
// with the lines decoded so far kept in Target.
TBiniStatus DecodeBini(const std::string& FileName, TStringList* Target);

// The same decode for a file already in memory. For a buffer without the magic nothing is appended and
// the result is bsNotBini (the caller decides how to read the text).
TBiniStatus DecodeBiniBuffer(std::string_view Data, TStringList* Target);

// The same decode, each line handed to Line as it is made (the view lives until Line returns), so a
// reader that parses the lines at once needs no list of them.
TBiniStatus DecodeBiniLines(std::string_view Data, const std::function<void(std::string_view)>& Line);

// The zero-terminated string at the 0-based Offset of StrTable, without its terminator; the end of the
// table also ends it. Empty for an offset outside the table.
std::string GetCStr(const std::string& StrTable, std::int64_t Offset);

}  // namespace qmz
