#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "gamedata/uSVIni.h"
#include "util/TempDir.h"
#include "support/SysUtils.h"

using namespace qmz;
using qmz::test::TempDir;
using qmz::test::WriteWholeFile;

// 32,768 section names that all share one HashOf value (each name is 16 letters A or B, twice: the two
// halves cancel out in the rotate-and-xor). Lookups must not degrade into a walk over all of them.
TEST(StringHash, NamesCraftedToCollideStayFastToFind) {
  std::string text;
  std::vector<std::string> names;
  for (unsigned bits = 0; bits < 32768; ++bits) {
    std::string half;
    for (int b = 0; b < 16; ++b) half += (bits >> b) & 1 ? 'B' : 'A';
    names.push_back(half + half);
    text += "[" + names.back() + "]\nnickname = n" + std::to_string(bits) + "\n";
  }
  TStringHash hash;
  ASSERT_EQ(hash.HashOf(names[1]), hash.HashOf(names[32767]));
  TStringList lines;
  lines.SetText(text);
  TSvIniFile ini(lines, "collide");
  ASSERT_EQ(ini.Sections.Count(), 32768);
  EXPECT_EQ(ini.SectionNames.Count(), 32768);
  for (unsigned bits : {0u, 1u, 4242u, 32767u})
    EXPECT_EQ(ini.ReadString(names[bits] + "1", "nickname", ""), "n" + std::to_string(bits));
  EXPECT_EQ(ini.ReadString(names[7] + "2", "nickname", "none"), "none");
}

// Every kind of change, mixed with lookups, on lists long enough to be hashed: the hashed answers must
// always equal a plain scan for the last match (the hashes are kept through appends and in-place writes); case
// is ignored beyond ASCII too.
TEST(HashedStringList, LookupsStayRightThroughEveryKindOfChange) {
  std::mt19937 rng(7);
  auto pick = [&](int n) { return int(rng() % unsigned(n)); };
  auto text = [&] {
    return (pick(2) ? "Key" : "key") + std::to_string(pick(40)) + (pick(4) ? "=" + std::to_string(pick(3)) : "");
  };
  auto lastIndex = [](const TStringList& list, std::string_view s, bool byName) {
    for (int i = list.Count() - 1; i >= 0; --i) {
      const std::string_view item = list[i];
      const bool named = item.find('=') != item.npos;
      if (SameText(byName ? item.substr(0, item.find('=')) : item, s) && (named || !byName)) return i;
    }
    return -1;
  };
  THashedStringList list;
  for (int step = 0; step < 4000; ++step) {
    const int count = list.Count();
    const int kind = pick(10);
    if (kind == 0 && count > 0) list.Put(pick(count), text());
    if (kind == 1 && count > 0) {
      const int i = pick(count);
      list.Put(i, list.Names(i) + "=" + std::to_string(pick(9)));  // a value written in place
    }
    if (kind == 2 && count > 0) list.Delete(pick(count));
    if (kind == 3) list.Insert(pick(count + 1), text());
    if (kind == 4 && count > 1) list.Exchange(0, count - 1);
    if (kind == 5 && pick(50) == 0) list.Clear();
    if (kind == 5 && pick(50) == 0) list.Sort();
    if (kind > 5) list.Add(text());
    const std::string probe = (pick(2) ? "KEY" : "key") + std::to_string(pick(40));
    ASSERT_EQ(list.IndexOfName(probe), lastIndex(list, probe, true)) << "step " << step;
    if (list.Count() > 0) {
      const std::string some(list[pick(list.Count())]);
      ASSERT_EQ(list.IndexOf(some), lastIndex(list, some, false)) << "step " << step;
    }
  }
  // Case is ignored in the game's code page too.
  list.SetText("\xC3\x89p\xC3\xA9\x65=1\nmine_x=2");  // Épée
  EXPECT_EQ(list.IndexOfName("\xC3\xA9P\xC3\x89\x45"), 0);
  EXPECT_EQ(list.IndexOfName("mineXx"), -1);
}

// Writes and deletions are the profile functions' (tested with them); here a section read whole, and a refused
// write reaching the caller as the exception shown.
TEST(IniFile, ReadsASectionAndRefusedWritesThrow) {
  TempDir dir;
  const auto file = (dir.Path() / "QMZ.ini").string();
  WriteWholeFile(file, "[MAIN]\nPathNum=2\nDefault=1\n[Path]\nPath_1=C:\\A\n");
  TIniFile ini(file);
  TStringList list;
  ini.ReadSectionValues("MAIN", &list);
  EXPECT_EQ(list.CommaText(), "PathNum=2,Default=1");

  TIniFile refused((dir.Path() / "missing" / "QMZ.ini").string());
  EXPECT_THAT([&] { refused.WriteString("MAIN", "Default", "1"); },
              testing::ThrowsMessage<EIniFileException>(testing::StrEq("Unable to write to " + refused.FileName())));
  EXPECT_NO_THROW(refused.DeleteKey("MAIN", "Default"));
}
