#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "support/SysUtils.h"

using namespace qmz;

TEST(Format, PlaceholdersWidthsAndArgumentKindsAndMismatchedOrMissingArgumentsThrow) {
  EXPECT_EQ(Format("[%s][%s] %s", "2006-05-14 13:05:09", "Info   ", "Loading"),
            "[2006-05-14 13:05:09][Info   ] Loading");
  EXPECT_EQ(Format("%2.2d:%2.2d:%2.2d", 1, 2, 5), "01:02:05");
  EXPECT_EQ(Format("%.6f", 0.5f), "0.500000");
  // Ties round away from zero, as the runtime does; values just below a tie stay below.
  EXPECT_EQ(Format("%.0f|%.0f|%.2f|%.2f|%.2f", 2.5, -2.5, 0.125, 0.625, 1.005), "3|-3|0.13|0.63|1.00");
  EXPECT_EQ(Format("%.2f", -0.001), "0.00");
  EXPECT_EQ(Format("%f", 1.0), "1.00");
  EXPECT_EQ(Format("%.30f", 0.5), "0.500000000000000000");  // at most 18 decimals
  EXPECT_EQ(Format("%.30f", -1e308).size(), 329u);          // not cut off by a buffer
  EXPECT_EQ(Format("100%% of %s", std::string("x")), "100% of x");
  EXPECT_EQ(Format("[%5d|%-5d]", 42, 42), "[   42|42   ]");
  EXPECT_EQ(Format("%d", 9000000000LL), "9000000000");
  EXPECT_THROW(Format("%d", "text"), EConvertError);
  EXPECT_THROW(Format("%s", 12), EConvertError);
  EXPECT_THROW(Format("%d %d", 1), EConvertError);
  EXPECT_THROW(Format("%q", 1), EConvertError);
  EXPECT_THAT([] { Format("Value %d", "x"); }, testing::ThrowsMessage<EConvertError>(testing::StrEq(
                                                   "Format 'Value %d' invalid or incompatible with argument")));
}

TEST(Strings, TrimAndCase) {
  EXPECT_EQ(Trim("\t  a b \r\n"), "a b");
  EXPECT_EQ(TrimRight("  a \x01"), "  a");
  EXPECT_EQ(UpperCase("dll=Names.DLL \xC3\xA4"), "DLL=NAMES.DLL \xC3\xA4");  // other bytes untouched
  EXPECT_EQ(FindText("path\\MODS\\a", "mods\\"), 5u);
  // Prefixes compare without regard to case; a prefix longer than the text never matches.
  const std::tuple<const char*, const char*, bool> starts[] = {{"Path_", "PATH_3", true},
                                                               {"path_", "Pat", false},
                                                               {"", "x", true},
                                                               {"Name_", "Path_1", false}};
  for (const auto& [prefix, text, expected] : starts) EXPECT_EQ(StartsText(prefix, text), expected) << prefix << text;
}

// Case is ignored by folding to lower case: '_' sorts before the letters, Windows-1252's capitals fold as
// they stand in UTF-8, and characters order as their Windows-1252 bytes do.
TEST(Strings, CaseFoldsToLowerCaseInTheGameCodePageAndTextHashSpreadsCraftedNames) {
  struct Case {
    const char* a;
    const char* b;
    int sign;
  };
  const Case cases[] = {
      {"mine_x", "minedropper_x", -1},
      {"abc", "abcd", -1},
      {"apple", "Banana", -1},
      {"MINE_X", "minedropper_x", -1},
      {"Mine_X", "mine_x", 0},
      {"[", "A", -1},                                               // between Z and a: before the folded letters
      {"\xC3\x80\xC3\x89\xC3\x9E", "\xC3\xA0\xC3\xA9\xC3\xBE", 0},  // ÀÉÞ = àéþ
      {"\xC5\xA0\xC5\x92\xC5\xBD", "\xC5\xA1\xC5\x93\xC5\xBE", 0},  // ŠŒŽ = šœž
      {"\xC5\xB8", "\xC3\xBF", 0},                                  // Ÿ = ÿ
      {"\xC3\x97", "\xC3\xB7", -1},                                 // × is no capital of ÷
      {"\xC3\x9F", "\xC3\xBF", -1},                                 // ß stays
      {"\xC5\xA0x", "\xC3\xA0x", -1},                               // š (0x9A) before à (0xE0)
      {"z", "\xC3\xA0", -1},
      {"\xE2\x82\xAC", "\xC5\xA1", -1},  // € (0x80) before š (0x9A)
      {"\xC3\xA0", "\xE0", -1},          // a stray byte is no à
      {"\xC4\x80", "\xC4\x81", -1},      // beyond the code page: unchanged
      // A letter of two bytes across the eighth byte, after a long equal start, is still weighed whole.
      {"1234567\xC3\x89 long equal start", "1234567\xC3\xA9 long equal start", 0},
      {"1234567\xC3", "1234567\xC3\x89", 1},  // a cut letter is a stray byte, after all letters
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    const int r = CompareText(c.a, c.b);
    EXPECT_EQ((r > 0) - (r < 0), c.sign);
    EXPECT_EQ(CompareText(c.b, c.a), -r);
    EXPECT_EQ(SameText(c.a, c.b), c.sign == 0);
    EXPECT_EQ(LowerCase(c.a) == LowerCase(c.b), c.sign == 0);
    if (c.sign == 0) {
      EXPECT_EQ(TextHash(c.a), TextHash(c.b));
    }
  }
  EXPECT_EQ(LowerCase("MINE_X \xC3\x80\xC3\x97\xC5\xB8\xC4\x80"), "mine_x \xC3\xA0\xC3\x97\xC3\xBF\xC4\x80");
  // The nickname index of the model hashes with TextHash. Names chosen to share one bucket under a fixed
  // hash (FNV-1a, what the index used: found by trying names, as a crafted file would) must spread.
  constexpr std::size_t kBuckets = 2053, kNames = 1000;
  const auto fnv = [](std::string_view s) {
    std::uint64_t h = 1469598103934665603ull;
    for (const unsigned char c : s) h = (h ^ c) * 1099511628211ull;
    return h;
  };
  std::vector<std::string> names;
  char name[32];
  for (unsigned i = 0; names.size() < kNames; ++i) {
    const int n = std::snprintf(name, sizeof name, "sys_%u", i);
    if (fnv(std::string_view(name, std::size_t(n))) % kBuckets == 0) names.emplace_back(name, std::size_t(n));
  }
  std::vector<int> load(kBuckets);
  for (const auto& n : names) ++load[TextHash(n) % kBuckets];
  EXPECT_LT(*std::max_element(load.begin(), load.end()), 20);
}

TEST(Strings, IntegerTexts) {
  const std::pair<const char*, std::optional<int>> cases[] = {{" 42 ", 42},  {"-17", -17},
                                                              {"$1F", 31},   {"0x10", 16},
                                                              {"12abc", {}}, {"", {}},
                                                              {"-", {}},     {"99999999999999999999", {}}};
  for (const auto& [text, value] : cases) EXPECT_EQ(TryStrToInt(text), value) << text;
  EXPECT_EQ(StrToIntDef("4294967296", 5), 5);
  EXPECT_EQ(StrToIntDef("x", -1), -1);
}

TEST(Encodings, GameTextBecomesUtf8OnceAndIsCutAtCharactersNotBytes) {
  EXPECT_EQ(Cp1252ToUtf8("Gro\xDF \x80"), "Gro\xC3\x9F \xE2\x82\xAC");
  EXPECT_EQ(GameTextToUtf8("Gro\xC3\x9F"), "Gro\xC3\x9F");  // already UTF-8: unchanged
  EXPECT_EQ(GameTextToUtf8("Gro\xDF"), "Gro\xC3\x9F");
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));      // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));      // cut short
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x9A\x80"));
  // A long text is checked to its every byte.
  const std::string ascii(40, 'a');
  EXPECT_TRUE(IsValidUtf8(ascii));
  for (std::size_t at = 0; at < ascii.size(); ++at) {
    std::string bad = ascii;
    bad[at] = '\xE9';  // Windows-1252 e acute: no UTF-8
    EXPECT_FALSE(IsValidUtf8(bad)) << at;
    std::string good = ascii;
    good.replace(at, 1, "\xC3\xA9");
    EXPECT_TRUE(IsValidUtf8(good)) << at;
  }
  EXPECT_EQ(CutUtf8("abcdef", 3), "abc");
  EXPECT_EQ(CutUtf8("ab", 3), "ab");
  EXPECT_EQ(CutUtf8("a\xC3\xA4\xE2\x82\xAC\x62", 3), "a\xC3\xA4\xE2\x82\xAC");
  EXPECT_EQ(CutUtf8("\xC3\xA4\xC3\xA4", 1), "\xC3\xA4");
  EXPECT_EQ(CutUtf8("abc", 0), "");
}

TEST(SysUtils, TextLinesEndAtCrLfLfOrCr) {
  using Lines = std::vector<std::string>;
  const std::pair<std::string, Lines> cases[] = {
      {"", {}},
      {"one", {"one"}},
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"\n\r\n\r", {"", "", ""}},
      {"a\r\rb\n\nc\r", {"a", "", "b", "", "c"}},
      {std::string("a\0b\nc", 5), {std::string("a\0b", 3), "c"}},
      // Ends found sixteen bytes a step: at each place of a step, and across two steps.
      {"0123456789abcdef\r\n0123456789abcde\rX0123456789abcdefghijklmnopq\n\r",
       {"0123456789abcdef", "0123456789abcde", "X0123456789abcdefghijklmnopq", ""}},
  };
  for (const auto& [text, expected] : cases) {
    Lines got;
    ForEachTextLine(text, [&got](std::string_view line) { got.emplace_back(line); });
    EXPECT_EQ(got, expected) << text;
  }
  // Many lines ended by CR alone, then one LF at the very end.
  std::string cr;
  for (int i = 0; i < 20000; ++i) cr += "line\r";
  cr += "last\n";
  std::size_t count = 0;
  ForEachTextLine(cr, [&count](std::string_view line) { count += line == "line" || line == "last"; });
  EXPECT_EQ(count, 20001u);
}

TEST(Encodings, OutsideTextIsEscapedForTheJournal) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain text, ÄÖÜ", "plain text, ÄÖÜ"},
      {"bell\x07nul" + std::string(1, '\0') + "esc\x1b[31m", "bell\\x07nul\\x00esc\\x1b[31m"},
      {"del\x7f", "del\\x7f"},
      {"bad\xff\xc3", "bad\\xff\\xc3"},
      {"rtl\u202eevil\u2066", "rtl\\u202eevil\\u2066"},
      {"c1\u0085", "c1\\u0085"},
  };
  for (const auto& [text, escaped] : cases) EXPECT_EQ(EscapeOutsideText(text), escaped) << escaped;
}
