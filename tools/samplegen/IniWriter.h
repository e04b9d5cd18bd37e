#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qmz::samplegen {

// One value of an INI entry. The kind decides how the binary form stores it
// (integer, 32-bit float or string-table offset) and how the text form prints it.
struct IniValue {
  enum class Kind : std::uint8_t { Int = 1, Float = 2, Str = 3 };

  IniValue(int v) : kind(Kind::Int), i(v) {}
  IniValue(double v) : kind(Kind::Float), f(static_cast<float>(v)) {}
  IniValue(const char* v) : kind(Kind::Str), s(v) {}
  IniValue(std::string v) : kind(Kind::Str), s(std::move(v)) {}

  Kind kind;
  std::int32_t i = 0;
  float f = 0.0f;
  std::string s;
};

struct IniEntry {
  std::string key;
  std::vector<IniValue> values;
};

struct IniSection {
  std::string name;
  std::vector<IniEntry> entries;

  IniSection& Add(std::string key, std::vector<IniValue> values) {
    entries.push_back({std::move(key), std::move(values)});
    return *this;
  }
};

// An INI file as the game writes it: sections of repeated names, keys repeated inside a section.
struct IniDoc {
  std::vector<std::string> comments;  // leading ";" lines of the text form
  std::vector<IniSection> sections;

  IniSection& Section(std::string name) {
    sections.push_back({std::move(name), {}});
    return sections.back();
  }
};

// The text form: "key = v1, v2" lines, a blank line after each section, CR LF line ends.
std::string IniToText(const IniDoc& doc);

// The binary form of the game ("BINI" header, records, string table).
// Throws std::length_error when the document does not fit the format's field widths.
std::string IniToBini(const IniDoc& doc);

// A float as the text files write it: the shortest of up to six decimals, at least one.
std::string FloatText(float f);

}  // namespace qmz::samplegen
