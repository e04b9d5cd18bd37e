#pragma once
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <unordered_map>

namespace qmz::platform {

// The string table (RT_STRING) of one resource library, read once and kept: looking up thousands of
// names then costs a hash lookup each instead of reading the library again.
// String id N lives in block N / 16 + 1 as entry N mod 16; each entry is a UTF-16LE text with its
// length in front. Texts come back as UTF-8, cut to 254 characters (UTF-16 units, never inside a
// surrogate pair) and at an embedded NUL, as the game's own string loading returns them.
// Of several languages of a block, 0x409 or neutral is taken, else the first found.
class PeStringTable {
 public:
  static constexpr size_t kMaxChars = 254;

  PeStringTable() = default;
  // A malformed or missing file gives an empty table, never an error.
  static PeStringTable FromFile(const std::filesystem::path& file);
  explicit PeStringTable(std::span<const uint8_t> image);

  // The text of a string id; empty when the table has no such string.
  std::string LoadString(uint32_t id) const;
  size_t Count() const { return strings_.size(); }

 private:
  std::unordered_map<uint16_t, std::string> strings_;
};

}  // namespace qmz::platform
