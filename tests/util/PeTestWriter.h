#pragma once
// A tiny writer of PE files with a resource section, and of the version resource such a file carries:
// enough for the tests of the readers.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qmz::test {

struct PeTestResource {
  uint16_t Type;
  uint16_t Name;
  uint16_t Language;
  std::vector<uint8_t> Data;
};

inline void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

inline size_t Align(size_t v, size_t a) { return (v + a - 1) / a * a; }

// The resource tree (type / name / language, in the order given), each directory followed by what it
// leads to, and the data, for a section at rva.
inline std::vector<uint8_t> BuildResourceSection(const std::vector<PeTestResource>& res, uint32_t rva) {
  std::map<uint16_t, std::map<uint16_t, std::vector<size_t>>> tree;
  for (size_t i = 0; i < res.size(); ++i) tree[res[i].Type][res[i].Name].push_back(i);
  std::vector<uint8_t> b;
  // A directory of n entries at the end; gives the place of its first entry.
  const auto directory = [&b](size_t n) {
    const size_t at = b.size();
    b.resize(at + 16 + 8 * n);
    Put16(b, at + 14, static_cast<uint32_t>(n));
    return at + 16;
  };
  // The entry of a subdirectory or data entry that starts at the end.
  const auto entry = [&b](size_t at, uint32_t id, uint32_t flag) {
    Put32(b, at, id);
    Put32(b, at + 4, flag | static_cast<uint32_t>(b.size()));
  };
  size_t typeEntry = directory(tree.size());
  for (const auto& [type, names] : tree) {
    entry(typeEntry, type, 0x80000000u);
    typeEntry += 8;
    size_t nameEntry = directory(names.size());
    for (const auto& [name, langs] : names) {
      entry(nameEntry, name, 0x80000000u);
      nameEntry += 8;
      const size_t langEntry = directory(langs.size());
      for (size_t l = 0; l < langs.size(); ++l) {
        const PeTestResource& r = res[langs[l]];
        const size_t dataEntry = b.size(), data = Align(dataEntry + 16, 4);
        entry(langEntry + 8 * l, r.Language, 0);
        Put32(b, dataEntry, rva + static_cast<uint32_t>(data));
        Put32(b, dataEntry + 4, static_cast<uint32_t>(r.Data.size()));
        b.resize(data);
        b.insert(b.end(), r.Data.begin(), r.Data.end());
      }
    }
  }
  return b;
}

// A PE32 (or PE32+) file with one section, ".rsrc", holding the resources.
inline std::vector<uint8_t> BuildPe(const std::vector<PeTestResource>& res, bool plus = false) {
  constexpr uint32_t kRva = 0x1000, kRaw = 0x400, kPe = 0x40;
  const std::vector<uint8_t> rsrc = BuildResourceSection(res, kRva);
  const uint32_t optionalSize = plus ? 240 : 224;
  std::vector<uint8_t> b(kRaw);
  b[0] = 'M', b[1] = 'Z';
  Put32(b, 0x3C, kPe);
  b[kPe] = 'P', b[kPe + 1] = 'E';
  Put16(b, kPe + 4, plus ? 0x8664 : 0x14C);
  Put16(b, kPe + 6, 1);
  Put16(b, kPe + 20, optionalSize);
  Put16(b, kPe + 22, 0x2102);
  const size_t opt = kPe + 24;
  Put16(b, opt, plus ? 0x20B : 0x10B);
  const size_t dirs = opt + (plus ? 112 : 96);
  Put32(b, dirs - 4, 16);
  Put32(b, dirs + 2 * 8, kRva);
  Put32(b, dirs + 2 * 8 + 4, static_cast<uint32_t>(rsrc.size()));
  const size_t sec = opt + optionalSize;
  const char name[] = ".rsrc";
  std::copy(name, name + 5, b.begin() + static_cast<std::ptrdiff_t>(sec));
  Put32(b, sec + 8, static_cast<uint32_t>(rsrc.size()));
  Put32(b, sec + 12, kRva);
  Put32(b, sec + 16, static_cast<uint32_t>(Align(rsrc.size(), 0x200)));
  Put32(b, sec + 20, kRaw);
  b.insert(b.end(), rsrc.begin(), rsrc.end());
  b.resize(kRaw + Align(rsrc.size(), 0x200));
  return b;
}

// One node of a version resource: header, key, value and children, each 32-bit aligned. valueLength
// counts characters for text nodes (type 1), bytes for binary ones.
inline std::vector<uint8_t> VersionNode(std::u16string_view key, uint16_t type, const std::vector<uint8_t>& value,
                                        uint16_t valueLength, const std::vector<std::vector<uint8_t>>& children = {}) {
  std::vector<uint8_t> b(6);
  for (char16_t c : key) Put16(b, b.size(), c);
  Put16(b, b.size(), 0);
  b.resize(Align(b.size(), 4));
  b.insert(b.end(), value.begin(), value.end());
  for (const auto& child : children) {
    b.resize(Align(b.size(), 4));
    b.insert(b.end(), child.begin(), child.end());
  }
  Put16(b, 0, static_cast<uint32_t>(b.size()));
  Put16(b, 2, valueLength);
  Put16(b, 4, type);
  return b;
}

struct VersionStringTable {
  std::u16string Name;  // language and code page, e.g. u"040904b0"
  std::vector<std::pair<std::u16string, std::u16string>> Values;
};

// A VS_VERSION_INFO block: the fixed file information with version (high, low) as file and product
// version, the string tables, and the translations (language in the low word, code page in the high).
inline std::vector<uint8_t> VersionResource(uint32_t high, uint32_t low, const std::vector<VersionStringTable>& tables,
                                            const std::vector<uint32_t>& translations) {
  std::vector<uint8_t> fixed;
  for (uint32_t v : {0xFEEF04BDu, 0x00010000u, high, low, high, low, 0x3Fu, 0u, 0x40004u, 1u, 0u, 0u, 0u})
    Put32(fixed, fixed.size(), v);
  std::vector<std::vector<uint8_t>> tableNodes;
  for (const auto& table : tables) {
    std::vector<std::vector<uint8_t>> strings;
    for (const auto& [key, text] : table.Values) {
      std::vector<uint8_t> value;
      for (char16_t c : text) Put16(value, value.size(), c);
      Put16(value, value.size(), 0);
      strings.push_back(VersionNode(key, 1, value, static_cast<uint16_t>(text.size() + 1)));
    }
    tableNodes.push_back(VersionNode(table.Name, 1, {}, 0, strings));
  }
  std::vector<uint8_t> translation;
  for (uint32_t t : translations) Put32(translation, translation.size(), t);
  return VersionNode(u"VS_VERSION_INFO", 0, fixed, static_cast<uint16_t>(fixed.size()),
                     {VersionNode(u"StringFileInfo", 1, {}, 0, tableNodes),
                      VersionNode(u"VarFileInfo", 1, {}, 0,
                                  {VersionNode(u"Translation", 0, translation,
                                               static_cast<uint16_t>(translation.size()))})});
}

}  // namespace qmz::test
