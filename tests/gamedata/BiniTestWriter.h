#pragma once
// Byte-level writer of binary INI files for the tests: records are written exactly as asked, so a test
// can also build files that are damaged in one precise way.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <string>

namespace qmz::test {

class BiniWriter {
 public:
  // Offset of s in the string table, adding it (zero-terminated) on first use.
  std::uint32_t Str(const std::string& s) {
    auto it = offsets_.find(s);
    if (it != offsets_.end()) return it->second;
    const auto offset = std::uint32_t(table_.size());
    table_ += s;
    table_ += '\0';
    offsets_[s] = offset;
    return offset;
  }

  BiniWriter& Section(const std::string& name, std::uint16_t entries) { return SectionAt(Str(name), entries); }
  BiniWriter& SectionAt(std::uint16_t nameOffset, std::uint16_t entries) {
    Put16(nameOffset);
    Put16(entries);
    return *this;
  }
  BiniWriter& Entry(const std::string& key, std::uint8_t values) { return EntryAt(Str(key), values); }
  BiniWriter& EntryAt(std::uint16_t keyOffset, std::uint8_t values) {
    Put16(keyOffset);
    records_ += char(values);
    return *this;
  }
  BiniWriter& Int(std::int32_t v) { return Value(1, std::uint32_t(v)); }
  BiniWriter& Float(float v) {
    std::uint32_t raw;
    std::memcpy(&raw, &v, sizeof raw);
    return Value(2, raw);
  }
  BiniWriter& String(const std::string& s) { return Value(3, Str(s)); }
  BiniWriter& Value(std::uint8_t type, std::uint32_t data) {
    records_ += char(type);
    Put32(data);
    return *this;
  }
  // Raw bytes into the record area (for records cut short).
  BiniWriter& Bytes(const std::string& bytes) {
    records_ += bytes;
    return *this;
  }
  // Bytes appended to the string table as they are (no terminator added).
  BiniWriter& TableBytes(const std::string& bytes) {
    table_ += bytes;
    return *this;
  }

  // The file: header, records, table. tableOffset replaces the true offset of the table when given.
  std::string Build(std::optional<std::uint32_t> tableOffset = std::nullopt) const {
    std::string out = "BINI";
    Append32(out, 1);
    Append32(out, tableOffset.value_or(std::uint32_t(12 + records_.size())));
    return out + records_ + table_;
  }

  void Save(const std::string& path, std::optional<std::uint32_t> tableOffset = std::nullopt) const {
    std::ofstream(path, std::ios::binary) << Build(tableOffset);
  }

 private:
  static void Append32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out += char((v >> (8 * i)) & 0xFF);
  }
  void Put16(std::uint16_t v) {
    records_ += char(v & 0xFF);
    records_ += char(v >> 8);
  }
  void Put32(std::uint32_t v) { Append32(records_, v); }

  std::string records_;
  std::string table_;
  std::map<std::string, std::uint32_t> offsets_;
};

}  // namespace qmz::test
