#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/PeResources.h"
#include "platform/PeStringTable.h"
#include "util/TempDir.h"

using qmz::platform::PeStringTable;
using namespace std::string_literals;

namespace {

// A tiny writer of PE files with a resource section, enough for the reader's tests.
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

// The resource tree (type / name / language, in the order given) and the data, for a section at rva.
inline std::vector<uint8_t> BuildResourceSection(const std::vector<PeTestResource>& res, uint32_t rva) {
  std::map<uint16_t, std::map<uint16_t, std::vector<size_t>>> tree;
  for (size_t i = 0; i < res.size(); ++i) tree[res[i].Type][res[i].Name].push_back(i);
  size_t size = 16 + 8 * tree.size();
  std::map<uint16_t, size_t> typeDir;
  std::map<std::pair<uint16_t, uint16_t>, size_t> nameDir;
  for (const auto& [type, names] : tree) {
    typeDir[type] = size;
    size += 16 + 8 * names.size();
  }
  for (const auto& [type, names] : tree) {
    for (const auto& [name, langs] : names) {
      nameDir[{type, name}] = size;
      size += 16 + 8 * langs.size();
    }
  }
  std::vector<size_t> entry(res.size()), data(res.size());
  for (size_t i = 0; i < res.size(); ++i) entry[i] = size, size += 16;
  for (size_t i = 0; i < res.size(); ++i) data[i] = Align(size, 4), size = data[i] + res[i].Data.size();

  std::vector<uint8_t> b(size);
  const auto directory = [&](size_t at, size_t count) { Put16(b, at + 14, static_cast<uint32_t>(count)); };
  directory(0, tree.size());
  size_t t = 0;
  for (const auto& [type, names] : tree) {
    Put32(b, 16 + 8 * t, type);
    Put32(b, 16 + 8 * t + 4, 0x80000000u | static_cast<uint32_t>(typeDir[type]));
    directory(typeDir[type], names.size());
    size_t n = 0;
    for (const auto& [name, langs] : names) {
      const size_t at = typeDir[type] + 16 + 8 * n++;
      Put32(b, at, name);
      Put32(b, at + 4, 0x80000000u | static_cast<uint32_t>(nameDir[{type, name}]));
      directory(nameDir[{type, name}], langs.size());
      for (size_t l = 0; l < langs.size(); ++l) {
        const size_t i = langs[l];
        Put32(b, nameDir[{type, name}] + 16 + 8 * l, res[i].Language);
        Put32(b, nameDir[{type, name}] + 16 + 8 * l + 4, static_cast<uint32_t>(entry[i]));
        Put32(b, entry[i], rva + static_cast<uint32_t>(data[i]));
        Put32(b, entry[i] + 4, static_cast<uint32_t>(res[i].Data.size()));
        std::copy(res[i].Data.begin(), res[i].Data.end(), b.begin() + static_cast<std::ptrdiff_t>(data[i]));
      }
    }
    ++t;
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

// One RT_STRING block: entries 0..15, length-prefixed UTF-16LE; missing entries are empty.
inline std::vector<uint8_t> StringBlock(const std::map<int, std::u16string>& entries) {
  std::vector<uint8_t> b;
  for (int i = 0; i < 16; ++i) {
    const auto it = entries.find(i);
    const std::u16string text = it != entries.end() ? it->second : std::u16string();
    Put16(b, b.size(), static_cast<uint32_t>(text.size()));
    for (char16_t c : text) Put16(b, b.size(), c);
  }
  return b;
}

constexpr uint16_t RT_STRING = 6;
constexpr uint16_t RT_VERSION = 16;

// Strings 0, 1, 17 and 65535 (blocks 1, 2 and 4096), plus a resource of another type.
std::vector<uint8_t> SampleLibrary(bool plus) {
  return BuildPe({{RT_STRING, 1, 0x409, StringBlock({{0, u"zero"}, {1, u"St01 \u00c9toile \U0001F680"}})},
                  {RT_STRING, 2, 0x409, StringBlock({{1, u"seventeen"}})},
                  {RT_STRING, 4096, 0x409, StringBlock({{15, u"last"}})},
                  {RT_VERSION, 1, 0x409, {1, 2, 3, 4}}},
                 plus);
}

}  // namespace

TEST(PeStringTable, FindsStringsByBlockAndEntryInPe32AndPe32Plus) {
  for (const bool plus : {false, true}) {
    const auto image = SampleLibrary(plus);
    const PeStringTable table(image);
    // Ids beyond 16 bits are not string ids.
    const std::pair<std::uint32_t, const char*> strings[] = {{0, "zero"},       {1, "St01 \u00c9toile \U0001F680"},
                                                             {17, "seventeen"}, {65535, "last"},
                                                             {2, ""},           {16, ""},
                                                             {65537, ""}};
    for (const auto& [id, text] : strings) EXPECT_EQ(table.LoadString(id), text) << id;
    EXPECT_EQ(table.Count(), 4u);
  }
}

TEST(PeStringTable, CutsAt254CharactersAtNulAndAtTheEndOfItsBlock) {
  std::u16string pairAtCut(253, u'b');
  pairAtCut += u"\U0001F680";  // the pair would be units 254 and 255
  auto cut = StringBlock({{0, u"ok"}, {1, u"cut"}});
  cut.resize(2 + 4 + 2 + 2);  // entry 1 keeps its length but loses a character
  const PeStringTable table(
      BuildPe({{RT_STRING, 1, 0, StringBlock({{0, std::u16string(300, u'a')}, {1, pairAtCut}, {2, u"ab\0cd"s}})},
               {RT_STRING, 2, 0, cut}}));
  EXPECT_EQ(table.LoadString(0), std::string(254, 'a'));
  EXPECT_EQ(table.LoadString(1), std::string(253, 'b')) << "never half a character";
  EXPECT_EQ(table.LoadString(2), "ab");
  EXPECT_EQ(table.LoadString(16), "ok");
  EXPECT_EQ(table.LoadString(17), "") << "text running past its block";
}

TEST(PeStringTable, PrefersUsEnglishThenNeutralThenTheFirst) {
  const auto image = BuildPe({{RT_STRING, 1, 0x407, StringBlock({{0, u"de"}})},
                              {RT_STRING, 1, 0x409, StringBlock({{0, u"us"}})},
                              {RT_STRING, 2, 0x407, StringBlock({{0, u"de"}})},
                              {RT_STRING, 2, 0, StringBlock({{0, u"neutral"}})},
                              {RT_STRING, 3, 0x407, StringBlock({{0, u"de"}})},
                              {RT_STRING, 3, 0x40C, StringBlock({{0, u"fr"}})}});
  const PeStringTable table(image);
  EXPECT_EQ(table.LoadString(0), "us");
  EXPECT_EQ(table.LoadString(16), "neutral");
  EXPECT_EQ(table.LoadString(32), "de");
}

TEST(PeStringTable, ReadsFilesAndTreatsOthersAsEmpty) {
  qmz::test::TempDir dir;
  const auto image = SampleLibrary(false);
  qmz::test::WriteWholeFile(dir.Path() / "names.dll", std::string(image.begin(), image.end()));
  qmz::test::WriteWholeFile(dir.Path() / "text.dll", "MZ but nothing else");
  EXPECT_EQ(PeStringTable::FromFile(dir.Path() / "names.dll").LoadString(17), "seventeen");
  EXPECT_EQ(PeStringTable::FromFile(dir.Path() / "text.dll").Count(), 0u);
  EXPECT_EQ(PeStringTable::FromFile(dir.Path() / "missing.dll").Count(), 0u);
  EXPECT_EQ(PeStringTable::FromFile(dir.Path()).Count(), 0u) << "a folder";
}

// Every prefix of a valid file and many damaged copies: the reader must neither crash nor read out
// of bounds (the sanitizers watch), and what it finds in a prefix is either right or absent.
TEST(PeResources, DamagedFilesGiveEmptyTextsNeverACrash) {
  const auto image = SampleLibrary(false);
  for (size_t size = 0; size <= image.size(); ++size) {
    const std::vector<uint8_t> prefix(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(size));
    const PeStringTable table(prefix);
    const std::string s = table.LoadString(17);
    EXPECT_TRUE(s.empty() || s == "seventeen") << size;
  }
  std::mt19937 random(6);
  for (int round = 0; round < 3000; ++round) {
    auto copy = image;
    for (int flips = 0; flips < 4; ++flips) copy[random() % copy.size()] = static_cast<uint8_t>(random());
    const PeStringTable table(copy);
    for (uint32_t id : {0u, 1u, 17u, 65535u}) (void)table.LoadString(id);
  }
}

TEST(PeResources, DirectoryPointingBackAtItselfEnds) {
  auto image = BuildPe({{RT_STRING, 1, 0x409, StringBlock({{0, u"x"}})}});
  // Make the name level's entry point back at the root directory, a loop a crafted file could hold.
  constexpr size_t kRsrc = 0x400;
  const size_t typeDir = kRsrc + (image[kRsrc + 16 + 4] | (image[kRsrc + 16 + 5] << 8));
  Put32(image, typeDir + 16 + 4, 0x80000000u);
  const qmz::platform::PeResources resources(image);
  EXPECT_TRUE(resources.OfType(RT_STRING).empty());
}
