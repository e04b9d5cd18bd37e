#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/PeResources.h"
#include "platform/PeStringTable.h"
#include "util/PeTestWriter.h"
#include "util/TempDir.h"

using qmz::platform::PeStringTable;
using qmz::test::BuildPe;
using qmz::test::Put16;
using qmz::test::Put32;
using namespace std::string_literals;

namespace {

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

TEST(PeStringTable, PrefersUsEnglishThenNeutralThenTheFirstAndReadsFilesTreatingOthersAsEmpty) {
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
  qmz::test::TempDir dir;
  const auto library = SampleLibrary(false);
  qmz::test::WriteWholeFile(dir.Path() / "names.dll", std::string(library.begin(), library.end()));
  qmz::test::WriteWholeFile(dir.Path() / "text.dll", "MZ but nothing else");
  EXPECT_EQ(PeStringTable::FromFile(dir.Path() / "names.dll").LoadString(17), "seventeen");
  EXPECT_EQ(PeStringTable::FromFile(dir.Path() / "text.dll").Count(), 0u);
  EXPECT_EQ(PeStringTable::FromFile(dir.Path() / "missing.dll").Count(), 0u);
  EXPECT_EQ(PeStringTable::FromFile(dir.Path()).Count(), 0u) << "a folder";
}

// Every prefix of a valid file and many damaged copies: the reader must neither crash nor read out
// of bounds (the sanitizers watch), and what it finds in a prefix is either right or absent.
TEST(PeResources, DamagedFilesGiveEmptyTextsNeverACrashAndADirectoryLoopEnds) {
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
  auto looped = BuildPe({{RT_STRING, 1, 0x409, StringBlock({{0, u"x"}})}});
  // Make the name level's entry point back at the root directory, a loop a crafted file could hold.
  constexpr size_t kRsrc = 0x400;
  const size_t typeDir = kRsrc + (looped[kRsrc + 16 + 4] | (looped[kRsrc + 16 + 5] << 8));
  Put32(looped, typeDir + 16 + 4, 0x80000000u);
  const qmz::platform::PeResources resources(looped);
  EXPECT_TRUE(resources.OfType(RT_STRING).empty());
}
