#pragma once
// Writes binary INI records exactly as asked, so a test can also damage a file in one precise way.
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
    auto [it, added] = offsets_.emplace(s, std::uint32_t(table_.size()));
    if (added) table_.append(s).append(1, '\0');
    return it->second;
  }
  BiniWriter& Section(const std::string& name, std::uint16_t entries) { return SectionAt(Str(name), entries); }
  BiniWriter& SectionAt(std::uint16_t nameOffset, std::uint16_t entries) { return Put(nameOffset, 2).Put(entries, 2); }
  BiniWriter& Entry(const std::string& key, std::uint8_t values) { return EntryAt(Str(key), values); }
  BiniWriter& EntryAt(std::uint16_t keyOffset, std::uint8_t values) { return Put(keyOffset, 2).Put(values, 1); }
  BiniWriter& Int(std::int32_t v) { return Value(1, std::uint32_t(v)); }
  BiniWriter& Float(float v) {
    std::uint32_t raw;
    std::memcpy(&raw, &v, sizeof raw);
    return Value(2, raw);
  }
  BiniWriter& String(const std::string& s) { return Value(3, Str(s)); }
  BiniWriter& Value(std::uint8_t type, std::uint32_t data) { return Put(type, 1).Put(data, 4); }
  // Raw bytes into the record area (for records cut short), or onto the string table (no terminator).
  BiniWriter& Bytes(const std::string& bytes) {
    records_ += bytes;
    return *this;
  }
  BiniWriter& TableBytes(const std::string& bytes) {
    table_ += bytes;
    return *this;
  }

  // The file: header, records, table. tableOffset replaces the true offset of the table when given.
  std::string Build(std::optional<std::uint32_t> tableOffset = std::nullopt) const {
    BiniWriter header;
    header.Put(0x494E4942, 4).Put(1, 4).Put(tableOffset.value_or(std::uint32_t(12 + records_.size())), 4);
    return header.records_ + records_ + table_;
  }
  void Save(const std::string& path, std::optional<std::uint32_t> tableOffset = std::nullopt) const {
    std::ofstream(path, std::ios::binary) << Build(tableOffset);
  }

 private:
  BiniWriter& Put(std::uint32_t v, int width) {
    for (int i = 0; i < width; ++i) records_ += char((v >> (8 * i)) & 0xFF);
    return *this;
  }

  std::string records_, table_;
  std::map<std::string, std::uint32_t> offsets_;
};

}  // namespace qmz::test
