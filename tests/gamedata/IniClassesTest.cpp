#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <tuple>

#include "gamedata/uSVIni.h"
#include "util/TempDir.h"
#include "support/SysUtils.h"

using namespace qmz;
using qmz::test::ReadWholeFile;
using qmz::test::TempDir;
using qmz::test::WriteWholeFile;

TEST(StringHash, TheLastAddWinsThroughGrowthAndComparisonIsExact) {
  TStringHash hash(4);
  EXPECT_EQ(hash.HashOf("\xC3\xA9"), 933u);                                   // bytes count as unsigned
  for (int i = 0; i < 1000; ++i) hash.Add("K" + std::to_string(i % 300), i);  // grows many times
  EXPECT_EQ(hash.ValueOf("K0"), 900);
  EXPECT_EQ(hash.ValueOf("K299"), 899);
  EXPECT_EQ(hash.ValueOf("k0"), -1);
  const TStringHash::Item* item = hash.Find("K1");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(std::tie(item->Key, item->Value), std::make_tuple(std::string("K1"), 901));
  EXPECT_EQ(hash.Find("k1"), nullptr);
  hash.Clear();
  EXPECT_EQ(hash.ValueOf("K0"), -1);
}

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

namespace {

// The typed operations of the base, over an INI in memory with the one section s1.
struct MemoryIni : TSvIniFile {
  explicit MemoryIni(std::string_view text = "") : TSvIniFile(TStringList(), "memory") { SetLines(text); }
  void SetLines(std::string_view text) {
    TStringList list;
    list.SetText("[s]\n" + std::string(text));
    SetStrings(list);
  }
  std::string Value(const std::string& ident) const { return ReadString("s1", ident, "?"); }
};

std::string Bytes(const TMemoryStream& s) {
  return std::string(reinterpret_cast<const char*>(s.Memory()), std::size_t(s.Size()));
}

}  // namespace

// Typed values: the forms each read takes, the default for text that is none of them, and the forms written.
TEST(CustomIniFile, TypedValuesReadTheirFormsAndBadTextGivesTheDefault) {
  MemoryIni ini(
      "hex=0x1F\nup=0X10\nshort=0x\ndollar=$ff\nword=abc\nneg=-12\ntwo=2\nzero=0\n"
      "bad=1,5\nday=2006-13-01\ntime=25:00:00\nempty=\nstamp=2006-05-14 12:00");
  for (const auto& [key, value] : std::vector<std::pair<std::string, int>>{
           {"hex", 31}, {"up", 16}, {"short", -1}, {"dollar", 255}, {"word", -1}, {"neg", -12}, {"absent", -1}}) {
    EXPECT_EQ(ini.ReadInteger("s1", key, -1), value) << key;
  }
  EXPECT_TRUE(ini.ReadBool("s1", "two", false));
  EXPECT_FALSE(ini.ReadBool("s1", "zero", true));
  EXPECT_TRUE(ini.ReadBool("s1", "absent", true));
  EXPECT_EQ(ini.ReadFloat("s1", "bad", -1), -1);
  EXPECT_EQ(ini.ReadDate("s1", "day", -1), -1);
  EXPECT_EQ(ini.ReadTime("s1", "time", -1), -1);
  EXPECT_EQ(ini.ReadDateTime("s1", "empty", -1), -1);
  EXPECT_EQ(ini.ReadDateTime("s1", "stamp", -1), -1);

  ini.WriteInteger("s1", "n", -7);
  ini.WriteBool("s1", "b", true);
  ini.WriteFloat("s1", "f", 1.25);
  ini.WriteDate("s1", "d", 38851.75);
  ini.WriteDateTime("s1", "dt", 38851.5);
  ini.WriteTime("s1", "t", 38851.25);
  EXPECT_EQ(ini.Value("n") + ini.Value("b") + "," + ini.Value("f") + "," + ini.Value("d") + "," + ini.Value("dt") +
                "," + ini.Value("t"),
            "-71,1.25,2006-05-14,2006-05-14 12:00:00,06:00:00");
  EXPECT_DOUBLE_EQ(ini.ReadFloat("s1", "f", 0), 1.25);
  EXPECT_DOUBLE_EQ(ini.ReadDate("s1", "d", 0), 38851.0);
  EXPECT_DOUBLE_EQ(ini.ReadDateTime("s1", "dt", 0), 38851.5);
  EXPECT_DOUBLE_EQ(ini.ReadDateTime("s1", "d", 0), 38851.0);
  EXPECT_DOUBLE_EQ(ini.ReadTime("s1", "t", 0), 0.25);
}

TEST(CustomIniFile, BinaryStreamsAsHexText) {
  MemoryIni ini;
  TMemoryStream source;
  source.Write("\x00\x01\xAB", 3);
  source.SetPosition(1);
  ini.WriteBinaryStream("s1", "blob", source);
  EXPECT_EQ(ini.Value("blob"), "01AB");
  // In a memory stream the bytes go at its position, overwriting, and the stream grows by their number.
  TMemoryStream middle;
  middle.Write("abcd", 4);
  middle.SetPosition(1);
  EXPECT_EQ(ini.ReadBinaryStream("s1", "blob", middle), 5);
  EXPECT_EQ(middle.Position(), 1);
  EXPECT_EQ(Bytes(middle), std::string("a\x01\xAB\x64\0\0", 6));
  // Decoding stops at the first pair that is no hexadecimal; an odd digit at the end is dropped.
  ini.SetLines("bad=01zz02\nodd=ABC");
  TMemoryStream partial;
  EXPECT_EQ(ini.ReadBinaryStream("s1", "bad", partial), 3);
  partial.SetPosition(3);
  EXPECT_EQ(ini.ReadBinaryStream("s1", "odd", partial), 1);
  EXPECT_EQ(ini.ReadBinaryStream("s1", "absent", partial), 0);
  EXPECT_EQ(Bytes(partial), std::string("\x01\0\0\xAB", 4));
}

// The settings file itself goes through the profile functions (tested with them); what is left here is
// that the forwarding reaches the file and a refused write reaches the caller as the exception the windows show.
TEST(IniFile, ReadsAndWritesTheSettingsFileAndRefusedWritesThrow) {
  TempDir dir;
  const auto file = (dir.Path() / "QMZ.ini").string();
  WriteWholeFile(file, "[MAIN]\nPathNum=2\nDefault=1\n[Path]\nPath_1=C:\\A\n");
  TIniFile ini(file);
  TStringList list;
  ini.ReadSectionValues("MAIN", &list);
  EXPECT_EQ(list.CommaText(), "PathNum=2,Default=1");
  EXPECT_EQ(ini.ReadInteger("MAIN", "PathNum", 0), 2);
  // Section and key names replace what the list held.
  ini.ReadSections(&list);
  EXPECT_EQ(list.CommaText(), "MAIN,Path");
  ini.ReadSection("MAIN", &list);
  EXPECT_EQ(list.CommaText(), "PathNum,Default");
  ini.ReadSection("absent", &list);
  EXPECT_EQ(list.Count(), 0);
  WriteWholeFile(file, "[MAIN]\nPathNum=2\nDefault=1\n[Path]\nPath_1=C:\\A\nlong=" + std::string(3000, 'x') + "\n");
  EXPECT_EQ(ini.ReadString("Path", "long", "").size(), 2047u);
  ini.DeleteKey("Path", "long");
  ini.DeleteKey("MAIN", "Default");
  ini.WriteString("Name", "Name_1", "Sv");
  ini.EraseSection("Path");
  EXPECT_EQ(ReadWholeFile(file), "[MAIN]\nPathNum=2\n[Name]\nName_1=Sv\n");

  TIniFile refused((dir.Path() / "missing" / "QMZ.ini").string());
  EXPECT_THAT([&] { refused.WriteString("MAIN", "Default", "1"); },
              testing::ThrowsMessage<EIniFileException>(testing::StrEq("Unable to write to " + refused.FileName())));
  EXPECT_NO_THROW(refused.DeleteKey("MAIN", "Default"));
  TIniFile folder(dir.Path().string());  // a folder in the file's place cannot be read or written
  EXPECT_THROW(folder.EraseSection("MAIN"), EIniFileException);
}

// The game INI class offers no key names of a section: asked through the base, it refuses.
TEST(SvIniFile, KeyNamesOfASectionAreNotOffered) {
  TStringList lines;
  lines.SetText("[Good]\nnickname=ore\n");
  TSvIniFile ini(lines, "TEMP");
  const TCustomIniFile& base = ini;
  EXPECT_EQ(base.FileName(), "TEMP");
  TStringList keys;
  EXPECT_THROW(base.ReadSection("Good1", &keys), std::logic_error);
}
