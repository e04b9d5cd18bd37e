#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <tuple>

#include "platform/BuildInfo.h"
#include "platform/ExePath.h"
#include "platform/HostNames.h"
#include "platform/Registry.h"
#include "util/CommaLocale.h"
#include "util/PeTestWriter.h"
#include "util/TempDir.h"
#include "support/mGlobalFunctions.h"
#include "util/StatusRecorder.h"

using namespace qmz;

// The own executable carries the build version; missing files and empty names give none.
TEST(FileVersion, OwnExecutableCarriesTheBuildVersionOtherFilesNone) {
  TVersionInfo own;
  ASSERT_TRUE(GetFileVersionRecord(platform::ExecutablePath(), own));
  const auto v = platform::OwnBuildVersion();
  EXPECT_EQ(own.Major, static_cast<int>(v.major));
  EXPECT_EQ(own.FileVersion, Format("%d.%d.%d.%d", v.major, v.minor, v.release, v.build));
  EXPECT_EQ(FormatVersion(platform::ExecutablePath(), "%M.%N|%M (Build %B)"),
            Format("%d.%d|%d (Build %d)", v.major, v.minor, v.major, v.build));

  TVersionInfo info;
  info.ProductName = "kept";
  EXPECT_FALSE(GetFileVersionRecord("", info));
  EXPECT_TRUE(info.FileName.empty());
  EXPECT_FALSE(GetFileVersionRecord("/etc/hostname-that-is-not-there", info));
  EXPECT_EQ(info.FileName, "/etc/hostname-that-is-not-there");
  EXPECT_EQ(info.ProductName, "kept");
  EXPECT_EQ(FormatVersion("/nowhere", "V%M.%N.%R  (Build %B)"), "V0.0.0  (Build 0)");
}

// A library of another program: its version resource names two translations; the first one's table
// (written in lower case, as resource compilers do) gives the texts, a value it lacks leaves its field.
TEST(FileVersion, PeFilesAreReadThroughTheirFirstTranslation) {
  test::TempDir dir;
  const auto resource = test::VersionResource(0x00020001u, 0x0000000Eu,
                                              {{u"040704e4", {{u"FileDescription", u"Wrong table"}}},
                                               {u"040904b0",
                                                {{u"CompanyName", u"Orrin Drydocks"},
                                                 {u"FileDescription", u"Kestrel route library"},
                                                 {u"ProductName", u"Vessa \u00c9toile"},
                                                 {u"LegalCopyright", u"(c) Orrin"}}}},
                                              {0x04B00409u, 0x04E40407u});
  const auto image = test::BuildPe({{16, 1, 0x409, resource}});
  test::WriteWholeFile(dir.Path() / "routes.dll", std::string(image.begin(), image.end()));
  const auto noVersion = test::BuildPe({{6, 1, 0x409, {0, 0}}});
  test::WriteWholeFile(dir.Path() / "plain.dll", std::string(noVersion.begin(), noVersion.end()));

  TVersionInfo info;
  info.Comments = "kept";
  ASSERT_TRUE(GetFileVersionRecord((dir.Path() / "routes.dll").string(), info));
  EXPECT_EQ(std::tie(info.Major, info.Minor, info.Release, info.Build), std::make_tuple(2, 1, 0, 14));
  EXPECT_EQ(info.FileVersion, "2.1.0.14");
  EXPECT_EQ(info.FileDescription, "Kestrel route library");
  EXPECT_EQ(info.CompanyName, "Orrin Drydocks");
  EXPECT_EQ(info.ProductName, "Vessa \u00c9toile");
  EXPECT_EQ(info.LegalCopyright, "(c) Orrin");
  EXPECT_EQ(info.Comments, "kept");
  EXPECT_EQ(FormatVersion((dir.Path() / "routes.dll").string(), "Version %M.%N.%R build %B"), "Version 2.1.0 build 14");

  TVersionInfo none;
  EXPECT_FALSE(GetFileVersionRecord((dir.Path() / "plain.dll").string(), none));
  EXPECT_EQ(none.FileVersion, "");
}

TEST(TextHelpers, RelativePathStepsNeverLeaveTheRootExtractBetweenMarksAndBarsNeverLeaveTheirWidth) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\A\\B\\..\\..\\C", "C:\\C\\"},
      {"..\\X", "X\\"},
      {"C:\\..\\..\\X", "C:\\X\\"},
      {"\\\\server\\share\\..\\X", "\\\\server\\share\\X\\"},
      {"/home/p/Starvagant/exe\\..\\data", "/home/p/Starvagant/data\\"},
      {"/../../etc", "/etc\\"},
      {"/home/p/", "/home/p/"},
      {"C:\\name..\\x", "C:\\name..\\x\\"},  // not a step
      {"", "\\"},
  };
  for (const auto& [path, expanded] : cases) EXPECT_EQ(ExpandRelativePath(path), expanded) << path;
  const std::string line = "key = value ; comment";
  EXPECT_EQ(ExtractBetween(line, "=", ";", false), "value");
  EXPECT_EQ(ExtractBetween(line, "*", ";", false), "key = value");
  EXPECT_EQ(ExtractBetween(line, "[", ";", false), "");
  EXPECT_EQ(ExtractBetween(line, "=", "#", false), "value ; comment");
  EXPECT_EQ(ExtractBetween(line, "=", ";", true), "= value ;");
  EXPECT_EQ(ExtractBetween("a;b", ";", ";", true), ";");
  EXPECT_EQ(MakeBarText('#', 3, 10), "####      ");
  EXPECT_EQ(MakeBarText('#', -1, 3), "   ");
  EXPECT_EQ(MakeBarText('#', 99, 3), "###");
  EXPECT_EQ(PosText("BASE", "st01_01_base"), 9);
  EXPECT_EQ(PosText("x", "st01"), 0);
  EXPECT_TRUE(SameTrimmedText("  St01 \t", "st01"));
  EXPECT_FALSE(SameTrimmedText("st01", "st0"));
}

TEST(ExtractBetweenCut, ReadsCommaFieldsOneByOneCuttingAtTheFoundPosition) {
  std::string line = "12, 0.5 ,x";
  EXPECT_EQ(ExtractBetweenCut(line, "*", ",", false, true), "12");
  EXPECT_EQ(ExtractBetweenCut(line, "*", ",", false, true), "0.5");
  EXPECT_EQ(ExtractBetweenCut(line, "*", ",", false, true), "x");
  EXPECT_EQ(line, "");
  EXPECT_EQ(ExtractBetweenCut(line, "*", ",", false, true), "");
  // The piece "a," also occurs before the start mark; only the one after the mark goes.
  line = "a,=a,b";
  EXPECT_EQ(ExtractBetweenCut(line, "=", ",", false, true), "a");
  EXPECT_EQ(line, "a,=b");
  std::string noEnd = "k=v w";
  EXPECT_EQ(ExtractBetweenCut(noEnd, "=", ",", false, true), "v w");
  EXPECT_EQ(noEnd, "k=");
  std::string absent = "no marks";
  EXPECT_EQ(ExtractBetweenCut(absent, "[", ",", false, true), "");
  EXPECT_EQ(absent, "no marks");
  std::string keep = "1,2";
  EXPECT_EQ(ExtractBetweenCut(keep, "*", ",", false, false), "1");
  EXPECT_EQ(keep, "1,2");
}

TEST(NumberTexts, RecognisedAndConvertedWithAPointWhateverTheLocale) {
  EXPECT_EQ(NormalizeNumberText("1.234,5"), "1.2345");
  EXPECT_EQ(NormalizeNumberText(" 1 000 "), "1000");
  EXPECT_EQ(NormalizeNumberText("abc"), "");
  // U+00BD is code 189 of the game's code page; a stray byte is no character of the set.
  const std::pair<const char*, bool> cases[] = {{"1e5", false}, {"-1.5", true},      {"", false},     {"1 5", false},
                                                {"12m", true},  {"1\xC2\xBD", true}, {"1\xBD", false}};
  for (const auto& [text, number] : cases) EXPECT_EQ(IsNumberText(text), number) << text;
  // Game numbers use a point, also under a locale whose decimal mark is a comma; so do the program's texts.
  const auto expectAPoint = [] {
    EXPECT_FLOAT_EQ(TextToSingle("1.234.567", '.'), 1.234f);
    EXPECT_FLOAT_EQ(TextToSingle(" -0.25 ", '.'), -0.25f);
    EXPECT_FLOAT_EQ(TextToSingle("1e3", '.'), 1000.0f);
    EXPECT_EQ(TextToSingle("", '.'), 0.0f);
    EXPECT_EQ(TextToSingle("1,5", '.'), 0.0f);
    EXPECT_FLOAT_EQ(TextToSingle("1,5", ','), 1.5f);
    EXPECT_EQ(TextToSingle("1.5", ','), 0.0f);
    EXPECT_EQ(TextToSingle("1e99", '.'), 0.0f);
    // A written 0 and a field that is no number differ only for TryTextToSingle.
    EXPECT_EQ(TryTextToSingle(" 0 ", '.'), std::optional<float>(0.0f));
    for (const char* broken : {"", "-", "mn", "1-2", "1e99"}) EXPECT_FALSE(TryTextToSingle(broken, '.')) << broken;

    EXPECT_EQ(TextToExtended("12.5"), std::optional<long double>(12.5L));
    EXPECT_EQ(TextToExtended("1,5"), std::optional<long double>(1.5L));
    EXPECT_EQ(TextToExtended(""), std::optional<long double>(0.0L));
    EXPECT_EQ(TextToExtended("abc"), std::nullopt);
    EXPECT_EQ(TextToExtended("-"), std::optional<long double>(0.0L));
  };
  expectAPoint();
  qmz::test::CommaLocale comma;
  if (!comma.Active()) GTEST_SKIP() << "no comma-decimal locale can be made on this machine";
  expectAPoint();
  EXPECT_EQ(Format("%.2f|%g", 3.25, 0.5), "3.25|0.5");
}

TEST(ComputerName, ReadFromTheProcessRegistry) {
  auto registry = std::make_shared<platform::MemoryRegistry>();
  registry->SetString(platform::RegistryRoot::LocalMachine,
                      "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName", "ComputerName", "PREFIXBOX");
  platform::SetProcessRegistry(registry);
  EXPECT_EQ(GetLocalComputerName(), "PREFIXBOX");  // the registry value wins over the host name
  platform::SetProcessRegistry(std::make_shared<platform::MemoryRegistry>());
  EXPECT_EQ(GetLocalComputerName(), platform::ComputerName());
  platform::ResetProcessRegistry();
  EXPECT_FALSE(GetCurrentUserName().empty());
}

// Short numbers take a quicker road: both give the nearest float bit for bit, as from_chars does, -0 included.
TEST(GlobalFunctions, ShortNumbersReadAsTheNearestFloat) {
  const auto bits = [](float f) {
    std::uint32_t b = 0;
    std::memcpy(&b, &f, sizeof b);
    return b;
  };
  std::uint32_t seed = 7;
  for (int n = 0; n < 20000; ++n) {
    seed = seed * 1664525u + 1013904223u;
    std::string text = std::to_string(seed % 10000000u);
    const std::size_t point = (seed >> 24) % (text.size() + 1);
    if (point > 0 && point < text.size()) text.insert(point, ".");
    if (seed & 0x100) text.insert(0, "-");
    for (const std::string& t : {text, text + "0001"}) {
      float expected = 0;
      const auto r = std::from_chars(t.data(), t.data() + t.size(), expected);
      ASSERT_EQ(r.ptr, t.data() + t.size()) << t;
      const auto got = qmz::TryTextToSingle(t, '.');
      ASSERT_TRUE(got.has_value()) << t;
      EXPECT_EQ(bits(*got), bits(expected)) << t;
    }
  }
  EXPECT_EQ(bits(*qmz::TryTextToSingle("-0.0", '.')), bits(-0.0f));
  EXPECT_EQ(bits(*qmz::TryTextToSingle("-0", '.')), bits(-0.0f));
}

TEST(StatusMessage, PackedClampedNotWrappedAndTextAndNumbersArriveBeforeSendReturnsCutAtACharacter) {
  const TStatusParams p = PackStatusMessage({0, 60, 12, true, false, true});
  EXPECT_EQ(p.WParam, 3932160u);
  EXPECT_EQ(p.LParam, 327692);
  const std::pair<TStatusMessage, TStatusMessage> cases[] = {
      {{1, 65535, 65535, false, true, false}, {1, 65535, 65535, false, true, false}},
      {{7, 9, 8, true, true, true}, {7, 9, 8, true, true, true}},
      {{-5, 70000, 65536, false, false, false}, {0, 65535, 65535, false, false, false}},
  };
  for (const auto& [sent, expected] : cases) {
    const TStatusParams q = PackStatusMessage(sent);
    const TStatusMessage back = UnpackStatusMessage(q.WParam, q.LParam);
    const auto fields = [](const TStatusMessage& m) {
      return std::tuple(m.Min, m.Max, m.Position, m.AddToStartupLog, m.ReplaceStartupLine, m.EchoToJournal);
    };
    EXPECT_EQ(fields(back), fields(expected)) << sent.Min << "/" << sent.Max << "/" << sent.Position;
  }
  test::StatusRecorder receiver;
  const platform::WindowHandle window = receiver.Window();
  const platform::SharedMemoryHandle mapping = receiver.Mapping();
  ASSERT_NE(mapping, 0u);
  const auto text = [&] { return receiver.Posts.back().Text; };
  SendStatusMessage("Parsing goods ", 0, 60, 12, window, mapping, true, false, true);
  ASSERT_EQ(receiver.Posts.size(), 1u);
  EXPECT_EQ(text(), "Parsing goods ");
  const TStatusMessage& m = receiver.Posts[0].Message;
  EXPECT_EQ(std::tuple(m.Max, m.Position, m.AddToStartupLog, m.EchoToJournal), std::tuple(60, 12, true, true));
  SendStatusMessage(std::string("ab\0cd", 5), 0, 1, 1, window, mapping, false, false, false);
  EXPECT_EQ(text(), "ab");
  SendStatusMessage(std::string(2500, 'x'), 0, 60, 1, window, mapping, false, false, false);
  EXPECT_EQ(text(), std::string(1999, 'x'));
  // "\xC3\xA4" is two bytes; one at byte 1998 would be split by a plain cut.
  SendStatusMessage(std::string(1998, 'x') + "\xC3\xA4tail", 0, 60, 1, window, mapping, false, false, false);
  EXPECT_EQ(text(), std::string(1998, 'x'));

  // No window or no mapping: nothing is sent.
  SendStatusMessage("second", 0, 60, 2, 0, mapping, false, false, false);
  SendStatusMessage("third", 0, 60, 3, window, 0, false, false, false);
  EXPECT_EQ(receiver.Posts.size(), 4u);
  EXPECT_EQ(ReadStatusText(mapping), std::string(1998, 'x'));
  EXPECT_EQ(ReadStatusText(0), "");
}

// A line about a lasting condition is written once per journal (once a run), by whichever caller comes first.
TEST(JournalShortcuts, LogOnceWritesItsKeyOncePerJournal) {
  auto first = test::MemoryJournal();
  auto second = test::MemoryJournal();
  LogOnce("key", "told once", jlWarning, first.get());
  LogOnce("key", "told again", jlWarning, first.get());
  LogOnce("other", "another matter", jlInfo, first.get());
  LogOnce("key", "told once", jlWarning, second.get());
  LogOnce("key", "to no journal", jlWarning, nullptr);
  EXPECT_EQ(test::CountLines(*first, jlWarning, "told"), 1);
  EXPECT_EQ(test::CountLines(*first, jlInfo, "another matter"), 1);
  EXPECT_EQ(test::CountLines(*second, jlWarning, "told once"), 1);
}
