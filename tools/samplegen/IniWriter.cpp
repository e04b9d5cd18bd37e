#include "samplegen/IniWriter.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <stdexcept>

namespace qmz::samplegen {

std::string FloatText(float f) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.6f", static_cast<double>(f));
  std::string s = buf;
  while (s.size() > 1 && s.back() == '0' && s[s.size() - 2] != '.') s.pop_back();
  return s;
}

static std::string ValueText(const IniValue& v) {
  switch (v.kind) {
    case IniValue::Kind::Int:
      return std::to_string(v.i);
    case IniValue::Kind::Float:
      return FloatText(v.f);
    case IniValue::Kind::Str:
      return v.s;
  }
  return {};
}

std::string IniToText(const IniDoc& doc) {
  std::string out;
  for (const auto& c : doc.comments) out += "; " + c + "\r\n";
  if (!doc.comments.empty()) out += "\r\n";
  for (const auto& sec : doc.sections) {
    out += "[" + sec.name + "]\r\n";
    for (const auto& e : sec.entries) {
      out += e.key + " =";
      for (std::size_t k = 0; k < e.values.size(); ++k) out += (k ? ", " : " ") + ValueText(e.values[k]);
      out += "\r\n";
    }
    out += "\r\n";
  }
  return out;
}

namespace {

// The string table: every distinct text once, zero-terminated, in order of first use.
class StringTable {
 public:
  std::uint32_t Offset(const std::string& s) {
    auto [it, added] = offsets_.try_emplace(s, static_cast<std::uint32_t>(bytes_.size()));
    if (added) {
      bytes_ += s;
      bytes_ += '\0';
    }
    return it->second;
  }
  const std::string& Bytes() const { return bytes_; }

 private:
  std::map<std::string, std::uint32_t> offsets_;
  std::string bytes_;
};

void Put16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace

std::string IniToBini(const IniDoc& doc) {
  StringTable table;
  // Section and key names take 16-bit offsets: put them at the start of the table,
  // before the value strings that may push it past 64 KiB.
  for (const auto& sec : doc.sections) {
    table.Offset(sec.name);
    for (const auto& e : sec.entries) table.Offset(e.key);
  }
  if (table.Bytes().size() > 0x10000) throw std::length_error("binary INI: section and key names exceed 64 KiB");

  std::string records;
  for (const auto& sec : doc.sections) {
    if (sec.entries.size() > 0xFFFF)
      throw std::length_error("binary INI: more than 65535 entries in section " + sec.name);
    Put16(records, table.Offset(sec.name));
    Put16(records, static_cast<std::uint32_t>(sec.entries.size()));
    for (const auto& e : sec.entries) {
      if (e.values.size() > 0xFF) throw std::length_error("binary INI: more than 255 values for key " + e.key);
      Put16(records, table.Offset(e.key));
      records += static_cast<char>(e.values.size());
      for (const auto& v : e.values) {
        records += static_cast<char>(v.kind);
        std::uint32_t data = 0;
        if (v.kind == IniValue::Kind::Int) data = static_cast<std::uint32_t>(v.i);
        else if (v.kind == IniValue::Kind::Float) std::memcpy(&data, &v.f, sizeof data);
        else data = table.Offset(v.s);
        Put32(records, data);
      }
    }
  }

  std::string out = "BINI";
  Put32(out, 1);  // format version as the game writes it; readers ignore it
  Put32(out, static_cast<std::uint32_t>(12 + records.size()));
  out += records;
  out += table.Bytes();
  return out;
}

}  // namespace qmz::samplegen
