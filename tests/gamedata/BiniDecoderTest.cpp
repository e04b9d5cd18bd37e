#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "platform/TestTempDir.h"
#include "gamedata/BiniTestWriter.h"
#include "gamedata/uIniDecoder.h"
#include "support/Classes.h"
#include "support/SysUtils.h"

using namespace qmz;
using qmz::test::BiniWriter;
using qmz::test::TempDir;

namespace {

std::string WriteFile(const TempDir& dir, const std::string& name, const std::string& bytes) {
  const auto path = dir.Path() / name;
  qmz::test::WriteWholeFile(path, bytes);
  return path.string();
}

std::vector<std::string> Lines(const TStringList& list) {
  std::vector<std::string> out;
  for (const auto& item : list) out.push_back(item.text);
  return out;
}

using V = std::vector<std::string>;

// Decodes bytes through a real file, as the loader does.
TBiniStatus DecodeBytes(const std::string& bytes, TStringList& target) {
  TempDir dir;
  return DecodeBini(WriteFile(dir, "file.ini", bytes), &target);
}

std::string OneValue(BiniWriter& w) {
  TStringList out;
  EXPECT_EQ(DecodeBytes(w.Build(), out), bsSuccess);
  EXPECT_EQ(out.Count(), 3);
  return out.Count() > 1 ? out[1] : std::string();
}

std::string FloatLine(float f) {
  BiniWriter w;
  w.Section("s", 1).Entry("k", 1).Float(f);
  return OneValue(w);
}

}  // namespace

TEST(BiniDecoder, SmallMissingAndNilTargetCases) {
  TempDir dir;
  TStringList target;
  target.Add("kept");
  EXPECT_EQ(DecodeBini(WriteFile(dir, "twelve.ini", std::string("BINI\1\0\0\0\x0c\0\0\0", 12)), &target), bsTooSmall);
  EXPECT_EQ(DecodeBini(WriteFile(dir, "short.ini", "[abc]key=val"), &target), bsTooSmall);
  EXPECT_EQ(DecodeBini((dir.Path() / "missing.ini").string(), &target), bsNoSource);
  EXPECT_EQ(DecodeBini(dir.Path().string(), &target), bsNoSource);  // a folder is no file
  EXPECT_EQ(Lines(target), V{"kept"});
  EXPECT_EQ(DecodeBini(WriteFile(dir, "text.ini", "[abc]\r\nkey=value\r\n"), nullptr), bsGeneralError);
  EXPECT_EQ(DecodeBini((dir.Path() / "missing.ini").string(), nullptr), bsNoSource);
}

TEST(BiniDecoder, PlainTextReplacesTargetWithItsLines) {
  TStringList target;
  target.Add("old");
  EXPECT_EQ(DecodeBytes("[abc]\r\nkey=value\r\n", target), bsNotBini);
  EXPECT_EQ(Lines(target), (V{"[abc]", "key=value"}));
}

TEST(BiniDecoder, NoRecordsDecodesToNothing) {
  BiniWriter w;
  w.Str("unused");
  TStringList target;
  EXPECT_EQ(DecodeBytes(w.Build(), target), bsSuccess);
  EXPECT_EQ(target.Count(), 0);
}

TEST(BiniDecoder, SectionTextIsAppendedAfterExistingLines) {
  BiniWriter w;
  w.Section("Good", 3);
  w.Entry("nickname", 1).String("ore");
  w.Entry("price", 2).Int(90).Float(1.5f);
  w.Entry("lootable", 0);
  TStringList target;
  target.Add("before");
  EXPECT_EQ(DecodeBytes(w.Build(), target), bsSuccess);
  EXPECT_EQ(Lines(target), (V{"before", "[Good]", "nickname = ore", "price = 90, 1.500000", "lootable = true", ""}));
}

TEST(BiniDecoder, ValuesPrintExactly) {
  BiniWriter mixed;
  mixed.Section("s", 1).Entry("key", 3).Int(1).Float(2.0f).String("text");
  EXPECT_EQ(OneValue(mixed), "key = 1, 2.000000, text");
  BiniWriter ints;
  ints.Section("s", 1).Entry("k", 3).Int(-1).Int(3000).Int(INT32_MIN);
  EXPECT_EQ(OneValue(ints), "k = -1, 3000, -2147483648");
  EXPECT_EQ(FloatLine(0.1f), "k = 0.100000");
  EXPECT_EQ(FloatLine(123456.5f), "k = 123456.500000");
  EXPECT_EQ(FloatLine(-0.25f), "k = -0.250000");
  EXPECT_EQ(FloatLine(0.0f), "k = 0.000000");
  EXPECT_EQ(FloatLine(3.0e10f), "k = 30000001024.000000");
}

TEST(BiniDecoder, FloatTextMatchesFormat) {
  for (float f : {0.1f, 1.5f, -0.25f, 2.0f / 3.0f, 1234567.0f, 0.0000015f, 1.0e30f, -7.125f, 0.0f}) {
    EXPECT_EQ(FloatLine(f), "k = " + Format("%.6f", double(f))) << f;
  }
  for (float f : {INFINITY, -INFINITY, NAN}) EXPECT_EQ(FloatLine(f), "k = " + Format("%.6f", double(f)));
}

// A decay per second too small for six decimals must not read back as 0, which would make a perishable
// good durable.
TEST(BiniDecoder, TinyFloatsKeepTheirValue) {
  for (float f : {1.0e-7f, -4.0e-7f, 0.0000005f, 1.4e-45f, 3.0e-12f}) {
    const std::string line = FloatLine(f);
    const std::string text = line.substr(4);
    EXPECT_EQ(text.find_first_not_of("-0123456789."), std::string::npos) << text;  // plain fixed notation
    EXPECT_EQ(std::strtof(text.c_str(), nullptr), f) << text;
  }
}

TEST(BiniDecoder, BadValueTypeKeepsTextUpToTheBadLine) {
  BiniWriter w;
  w.Section("first", 1).Entry("a", 1).Int(1);
  w.Section("second", 3).Entry("b", 1).Int(2).Entry("c", 2).Int(3).Value(4, 0).Entry("d", 0);
  TStringList target;
  EXPECT_EQ(DecodeBytes(w.Build(), target), bsBadEntry);
  EXPECT_EQ(Lines(target), (V{"[first]", "a = 1", "", "[second]", "b = 2"}));
}

TEST(BiniDecoder, StringWithoutTerminatorEndsAtFileEnd) {
  BiniWriter w;
  w.Section("s", 1).Entry("k", 1).Value(3, 4);
  w.Str("s");
  w.Str("k");
  w.TableBytes("open");  // offset 4, no zero byte before the end of the file
  TStringList target;
  EXPECT_EQ(DecodeBytes(w.Build(), target), bsSuccess);
  EXPECT_EQ(Lines(target), (V{"[s]", "k = open", ""}));
}

TEST(BiniDecoder, RecordsRunningPastTheirAreaStopWithBadEntry) {
  struct Case {
    const char* what;
    BiniWriter w;
    V lines;
  };
  std::vector<Case> cases(5);
  cases[0].what = "section header cut short";
  cases[0].w.Section("s", 0).Bytes("\x01");
  cases[0].lines = {"[s]", ""};
  cases[1].what = "entry count beyond the records";
  cases[1].w.Section("s", 2).Entry("a", 0);
  cases[1].lines = {"[s]", "a = true"};
  cases[2].what = "value count beyond the records";
  cases[2].w.Section("s", 1).Entry("a", 3).Int(1).Int(2);
  cases[2].lines = {"[s]"};
  cases[3].what = "entry header cut short";
  cases[3].w.Section("s", 1).Bytes("\x00");
  cases[3].lines = {"[s]"};
  cases[4].what = "value cut short";
  cases[4].w.Section("s", 1).Entry("a", 1).Bytes("\x01\x02");
  cases[4].lines = {"[s]"};
  for (auto& c : cases) {
    TStringList target;
    EXPECT_EQ(DecodeBytes(c.w.Build(), target), bsBadEntry) << c.what;
    EXPECT_EQ(Lines(target), c.lines) << c.what;
  }
}

TEST(BiniDecoder, OffsetsOutsideTheStringTableStopWithBadEntry) {
  {
    BiniWriter w;
    w.Section("s", 1).Entry("a", 1).Value(3, 0xFFFFFFFFu);
    TStringList target;
    EXPECT_EQ(DecodeBytes(w.Build(), target), bsBadEntry);
    EXPECT_EQ(Lines(target), V{"[s]"});
  }
  {
    BiniWriter w;
    w.Section("s", 1).EntryAt(500, 0);
    TStringList target;
    EXPECT_EQ(DecodeBytes(w.Build(), target), bsBadEntry);
    EXPECT_EQ(Lines(target), V{"[s]"});
  }
  {
    BiniWriter w;
    w.SectionAt(2, 0);  // the table holds nothing but "s\0": offset 2 is its end
    w.Str("s");
    TStringList target;
    EXPECT_EQ(DecodeBytes(w.Build(), target), bsBadEntry);
    EXPECT_EQ(target.Count(), 0);
  }
}

TEST(BiniDecoder, TableOffsetBeyondTheFileEndsWithBadEntry) {
  BiniWriter w;
  w.Section("s", 0);
  w.Str("s");
  const std::string bytes = w.Build(1000);
  TStringList target;
  EXPECT_EQ(DecodeBytes(bytes, target), bsBadEntry);
  EXPECT_EQ(target.Count(), 0);  // the table is empty, so even the first name is outside it
}

TEST(BiniDecoder, TableOffsetInsideTheHeaderMeansNoRecords) {
  BiniWriter w;
  w.Section("s", 0);
  TStringList target;
  EXPECT_EQ(DecodeBytes(w.Build(4), target), bsSuccess);
  EXPECT_EQ(target.Count(), 0);
}

TEST(BiniDecoder, EightBitStringsBecomeUtf8) {
  BiniWriter w;
  w.Section("Stra\xDF" "e", 1).Entry("name", 1).String("caf\xE9");
  TStringList target;
  EXPECT_EQ(DecodeBytes(w.Build(), target), bsSuccess);
  EXPECT_EQ(Lines(target), (V{"[Stra\xC3\x9F" "e]", "name = caf\xC3\xA9", ""}));
}

TEST(BiniDecoder, BufferDecodeLeavesTextToTheCaller) {
  TStringList target;
  EXPECT_EQ(DecodeBiniBuffer("[abc]\r\nkey=value\r\n", &target), bsNotBini);
  EXPECT_EQ(target.Count(), 0);
  EXPECT_EQ(DecodeBiniBuffer("BINI", &target), bsTooSmall);
  EXPECT_EQ(DecodeBiniBuffer("BINIxxxxxxxxxxxx", nullptr), bsGeneralError);
}

TEST(BiniDecoder, GetCStrReadsOneStringInsideTheTable) {
  const std::string table("ab\0cd\0ef", 8);
  EXPECT_EQ(GetCStr(table, 0), "ab");
  EXPECT_EQ(GetCStr(table, 1), "b");
  EXPECT_EQ(GetCStr(table, 2), "");
  EXPECT_EQ(GetCStr(table, 3), "cd");
  EXPECT_EQ(GetCStr(table, 6), "ef");
  EXPECT_EQ(GetCStr(table, 8), "");
  EXPECT_EQ(GetCStr(table, 1 << 20), "");
  EXPECT_EQ(GetCStr(table, -1), "");
}
