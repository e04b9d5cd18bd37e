#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <functional>
#include <vector>

#include "gamedata/BiniTestWriter.h"
#include "gamedata/uIniDecoder.h"
#include "util/TempDir.h"
#include "support/Classes.h"
#include "support/SysUtils.h"

using namespace qmz;
using qmz::test::BiniWriter;
using qmz::test::TempDir;

namespace {

using V = std::vector<std::string>;

// The lines decoded from the bytes of a file.
V Decode(std::string_view bytes, TBiniStatus expected) {
  V lines;
  EXPECT_EQ(DecodeBiniLines(bytes, [&lines](std::string_view line) { lines.emplace_back(line); }), expected);
  return lines;
}

std::string FloatText(float f) {
  BiniWriter w;
  w.Section("s", 1).Entry("k", 1).Float(f);
  const V lines = Decode(w.Build(), bsSuccess);
  return lines.size() == 3 ? lines[1].substr(4) : "?";
}

}  // namespace

TEST(BiniDecoder, SectionsAreAppendedAsTextLines) {
  BiniWriter w;
  w.Section("Good", 4).Entry("nickname", 1).String("ore").Entry("price", 2).Int(90).Float(1.5f);
  w.Entry("lootable", 0).Entry("key", 3).Int(1).Float(2.0f).String("text");
  w.Section("Ints", 1).Entry("k", 3).Int(-1).Int(3000).Int(INT32_MIN);
  EXPECT_EQ(Decode(w.Build(), bsSuccess),
            (V{"[Good]", "nickname = ore", "price = 90, 1.500000", "lootable = true", "key = 1, 2.000000, text", "",
               "[Ints]", "k = -1, 3000, -2147483648", ""}));
  BiniWriter empty;
  empty.Str("unused");
  EXPECT_EQ(Decode(empty.Build(), bsSuccess), V{});
  // A table offset inside the header means no records.
  EXPECT_EQ(Decode(w.Build(4), bsSuccess), V{});
  // 8-bit strings become UTF-8; a string without terminator ends at the file's end.
  BiniWriter eight;
  eight.Section("Stra\xDF\x65", 2).Entry("name", 1).String("caf\xE9");
  // Many strings, each named twice (the converted text found again), and one named from its middle.
  std::string names = "names = ";
  eight.Entry("names", 201);
  for (int i = 0; i < 200; ++i) {
    eight.String("n\xE9" + std::to_string(i % 100));
    names += "n\xC3\xA9" + std::to_string(i % 100) + ", ";
  }
  eight.Value(3, eight.Str("caf\xE9") + 1);
  EXPECT_EQ(Decode(eight.Build(), bsSuccess),
            (V{"[Stra\xC3\x9F\x65]", "name = caf\xC3\xA9", names + "af\xC3\xA9", ""}));
  BiniWriter open;
  open.Section("s", 1).Entry("k", 1).Value(3, 4);
  open.Str("s");
  open.Str("k");
  open.TableBytes("open");  // offset 4, no zero byte before the end of the file
  EXPECT_EQ(Decode(open.Build(), bsSuccess), (V{"[s]", "k = open", ""}));
}

TEST(BiniDecoder, FloatsPrintWithSixDecimals) {
  // 0.0078125 lies exactly halfway between two texts: rounded away from zero as Format does, not to even.
  EXPECT_EQ(FloatText(0.0078125f) + " " + FloatText(-0.0f), "0.007813 0.000000");
  for (float f : {1.0e30f, 0.0f, INFINITY, NAN}) EXPECT_EQ(FloatText(f), Format("%.6f", double(f))) << f;
  // Many floats of every magnitude from a millionth up, and every tie of a range, against Format.
  std::vector<float> floats;
  std::uint32_t seed = 7;
  while (floats.size() < 20000) {
    seed = seed * 1664525u + 1013904223u;
    float f = 0;
    std::memcpy(&f, &seed, sizeof f);
    if (std::isfinite(f) && std::fabs(double(f)) * 1e6 >= 1) floats.push_back(f);
  }
  for (int k = -2001; k <= 2001; k += 2) floats.push_back(float(k) / 128.0f);
  for (std::size_t first = 0; first < floats.size(); first += 255) {
    const std::size_t n = std::min<std::size_t>(255, floats.size() - first);
    BiniWriter w;
    w.Section("s", 1).Entry("k", std::uint8_t(n));
    std::string want = "k = ";
    for (std::size_t i = 0; i < n; ++i) {
      w.Float(floats[first + i]);
      want += (i ? ", " : "") + Format("%.6f", double(floats[first + i]));
    }
    const V lines = Decode(w.Build(), bsSuccess);
    ASSERT_EQ(lines.size(), 3u);
    ASSERT_EQ(lines[1], want);
  }
  // A decay per second too small for six decimals must not read back as 0, which would make a perishable
  // good durable: plain fixed notation with the digits it needs.
  for (float f : {1.0e-7f, -4.0e-7f, 1.4e-45f}) {
    const std::string text = FloatText(f);
    EXPECT_EQ(text.find_first_not_of("-0123456789."), std::string::npos) << text;
    EXPECT_EQ(std::strtof(text.c_str(), nullptr), f) << text;
  }
}

// Any damage ends the decode with bsBadEntry, keeping the lines before it, reading nothing outside the file.
TEST(BiniDecoder, DamagedRecordsStopWithBadEntryKeepingTheLinesBeforeAndStringsStayInTheTable) {
  struct Case {
    const char* what;
    std::function<void(BiniWriter&)> write;
    V lines;
    std::optional<std::uint32_t> tableOffset = std::nullopt;
  };
  const V s = {"[s]"};
  const Case cases[] =
      {
          {"bad value type in the second section",
           [](BiniWriter& w) {
    w.Section("first", 1).Entry("a", 1).Int(1);
    w.Section("second", 3).Entry("b", 1).Int(2).Entry("c", 2).Int(3).Value(4, 0).Entry("d", 0);
           },
           {"[first]", "a = 1", "", "[second]", "b = 2"}},
          {"section header cut short", [](BiniWriter& w) { w.Section("s", 0).Bytes("\x01"); }, {"[s]", ""}},
          {"entry count beyond the records",
           [](BiniWriter& w) { w.Section("s", 2).Entry("a", 0); },
           {"[s]", "a = true"}},
          {"value count beyond the records", [](BiniWriter& w) { w.Section("s", 1).Entry("a", 3).Int(1).Int(2); }, s},
          {"entry header cut short", [](BiniWriter& w) { w.Section("s", 1).Bytes(std::string(1, '\0')); }, s},
          {"value cut short", [](BiniWriter& w) { w.Section("s", 1).Entry("a", 1).Bytes("\x01\x02"); }, s},
          {"string offset outside the table", [](BiniWriter& w) { w.Section("s", 1).Entry("a", 1).Value(3, ~0u); }, s},
          {"key offset outside the table", [](BiniWriter& w) { w.Section("s", 1).EntryAt(500, 0); }, s},
          {"name offset at the table's end", [](BiniWriter& w) { w.SectionAt(2, 0).Str("s"); }, {}},
          {"table offset beyond the file: the table is empty", [](BiniWriter& w) { w.Section("s", 0); }, {}, 1000},
  };
  for (const auto& c : cases) {
    BiniWriter w;
    c.write(w);
    EXPECT_EQ(Decode(w.Build(c.tableOffset), bsBadEntry), c.lines) << c.what;
  }
  // One string read from the table, never beyond it.
  const std::string table("ab\0cd\0ef", 8);
  const std::vector<std::pair<std::int64_t, std::string>> strings = {{0, "ab"}, {1, "b"}, {2, ""},       {3, "cd"},
                                                                     {6, "ef"}, {8, ""},  {1 << 20, ""}, {-1, ""}};
  for (const auto& [offset, text] : strings) EXPECT_EQ(GetCStr(table, offset), text) << offset;
}

TEST(BiniDecoder, EntriesAllNamingOneLongStringStopAtTheDecodedBound) {
  // About 700 KB whose 50,000 entries all name one string of 300,000 characters: unbounded, 15 GB of text.
  BiniWriter w;
  // Names and keys are 16-bit offsets: they go into the table before the long string.
  const std::uint32_t key = w.Str("k");
  w.Section("Bomb", 50000);
  const std::uint32_t longText = w.Str(std::string(300000, 'x'));
  for (int e = 0; e < 50000; ++e) w.EntryAt(std::uint16_t(key), 1).Value(3, longText);
  const std::string file = w.Build();
  const V lines = Decode(file, bsBadEntry);
  std::size_t decoded = 0;
  for (const auto& line : lines) decoded += line.size();
  EXPECT_LE(decoded, MaxDecodedSize(file.size()));
  EXPECT_GE(decoded, MaxDecodedSize(file.size()) / 2);  // what came before the bound is kept
  EXPECT_EQ(lines[0], "[Bomb]");
}

TEST(BiniDecoder, SectionRoomIsWhatTheRecordsAndTheDecodedBoundAllow) {
  // The second record claims 65,535 entries and is followed by one; a long string makes the first lines long.
  BiniWriter w;
  const std::uint32_t key = w.Str("k");
  w.Section("a", 2)
      .EntryAt(std::uint16_t(key), 1)
      .Value(3, w.Str(std::string(5000, 'x')))
      .EntryAt(std::uint16_t(key), 0);
  w.Section("b", 65535).EntryAt(std::uint16_t(key), 0);
  const std::string file = w.Build();
  std::vector<TBiniSectionRoom> rooms;
  EXPECT_EQ(DecodeBiniLines(
                file, [](std::string_view) {}, [&rooms](TBiniSectionRoom room) { rooms.push_back(room); }),
            bsBadEntry);
  ASSERT_EQ(rooms.size(), 2u);
  EXPECT_EQ(rooms[0].lines, 2u);
  EXPECT_EQ(rooms[0].bytes, MaxDecodedSize(file.size()));
  EXPECT_EQ(rooms[1].lines, 1u);
  EXPECT_LT(rooms[1].bytes, MaxDecodedSize(file.size()) - 5000);
}

// The files the loader reads line by line: binary, damaged binary, text of every kind; text and files too
// small for a header are left to the text reader, sources that cannot be read give no line.
TEST(BiniDecoder, LinesOfEverySource) {
  EXPECT_EQ(Decode(std::string("BINI\1\0\0\0\x0c\0\0\0", 12), bsTooSmall), V{});
  EXPECT_EQ(Decode("[abc]key=val", bsTooSmall), V{});
  EXPECT_EQ(Decode("[abc]\r\nkey=value\r\n", bsNotBini), V{});
  BiniWriter damaged;
  damaged.Section("s", 2).Entry("a", 0);
  const struct {
    std::string bytes;
    TBiniStatus status;
    V lines;
  } files[] = {
      {damaged.Build(), bsBadEntry, {"[s]", "a = true"}},
      {"[a]\r\nk = 1\n\nv=2\r\r\n[b]\rlast", bsNotBini, {"[a]", "k = 1", "", "v=2", "", "[b]", "last"}},
      {"\xEF\xBB\xBF[a]\nk=caf\xC3\xA9\n", bsNotBini, {"[a]", "k=caf\xC3\xA9"}},
      {"[Stra\xDF\x65]\r\nname=caf\xE9\r\n", bsNotBini, {"[Stra\xC3\x9F\x65]", "name=caf\xC3\xA9"}},
      {"[a]\nk=1", bsTooSmall, {}},
  };
  TempDir dir;
  const std::string path = (dir.Path() / "file.ini").string();
  V lines;
  const auto collect = [&lines](std::string_view line) { lines.emplace_back(line); };
  for (const auto& f : files) {
    qmz::test::WriteWholeFile(path, f.bytes);
    lines.clear();
    EXPECT_EQ(DecodeBiniFileLines(path, collect), f.status);
    EXPECT_EQ(lines, f.lines) << f.bytes;
  }
  lines.clear();
  std::string reason;
  EXPECT_EQ(DecodeBiniFileLines((dir.Path() / "missing.ini").string(), collect, &reason), bsNoSource);
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(DecodeBiniFileLines(dir.Str(), collect), bsNoSource);  // a folder is no file
  EXPECT_TRUE(lines.empty());
}

// The list form: decoded lines go after what the list held, text replaces it, what cannot be decoded
// leaves it alone, and without a list nothing is decoded.
TEST(BiniDecoder, SmallMissingTextAndNilTargetCases) {
  TempDir dir;
  const auto write = [&dir](const std::string& name, const std::string& bytes) {
    qmz::test::WriteWholeFile(dir.Path() / name, bytes);
    return (dir.Path() / name).string();
  };
  const auto lines = [](const TStringList& list) {
    V out;
    for (const auto& item : list) out.emplace_back(item.text);
    return out;
  };
  TStringList target;
  target.Add("kept");
  EXPECT_EQ(DecodeBini(write("twelve.ini", std::string("BINI\1\0\0\0\x0c\0\0\0", 12)), &target), bsTooSmall);
  EXPECT_EQ(DecodeBini(write("short.ini", "[abc]key=val"), &target), bsTooSmall);
  std::string reason;
  EXPECT_EQ(DecodeBini((dir.Path() / "missing.ini").string(), &target, &reason), bsNoSource);
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(DecodeBini(dir.Str(), &target), bsNoSource);  // a folder is no file
  EXPECT_EQ(lines(target), V{"kept"});

  BiniWriter w;
  w.Section("Good", 2).Entry("nickname", 1).String("ore").Entry("price", 2).Int(90).Float(1.5f);
  const std::string binary = write("binary.ini", w.Build());
  EXPECT_EQ(DecodeBini(binary, &target), bsSuccess);
  EXPECT_EQ(lines(target), (V{"kept", "[Good]", "nickname = ore", "price = 90, 1.500000", ""}));
  BiniWriter damaged;
  damaged.Section("s", 2).Entry("a", 0);
  target.Clear();
  target.Add("before");
  EXPECT_EQ(DecodeBini(write("damaged.ini", damaged.Build()), &target), bsBadEntry);
  EXPECT_EQ(lines(target), (V{"before", "[s]", "a = true"}));

  const std::string text = write("text.ini", "\xEF\xBB\xBF[Stra\xDF\x65]\r\nkey=caf\xE9\r\n");
  EXPECT_EQ(DecodeBini(text, nullptr), bsGeneralError);
  EXPECT_EQ(DecodeBini((dir.Path() / "missing.ini").string(), nullptr), bsNoSource);
  // Plain text replaces what the target held, read as game text.
  EXPECT_EQ(DecodeBini(text, &target), bsNotBini);
  EXPECT_EQ(lines(target), (V{"[Stra\xC3\x9F\x65]", "key=caf\xC3\xA9"}));
}
