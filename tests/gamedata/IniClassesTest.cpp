#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "gamedata/uSVIni_Hash.h"
#include "gamedata/uSVIni_IniFile.h"
#include "platform/TestTempDir.h"
#include "support/SysUtils.h"

using namespace qmz;
using qmz::test::ReadWholeFile;
using qmz::test::TempDir;
using qmz::test::WriteWholeFile;

TEST(StringHash, HashOfRotatesAndXorsEachByte) {
  TStringHash hash;
  EXPECT_EQ(hash.HashOf(""), 0u);
  EXPECT_EQ(hash.HashOf("A"), 65u);
  EXPECT_EQ(hash.HashOf("AB"), 326u);
  EXPECT_EQ(hash.HashOf("ABCDEFGHIJKLMNOPQRS"), 0x18E5B244u);  // long enough for bits to wrap around
  EXPECT_EQ(hash.HashOf("\xC3\xA9"), 933u);                     // bytes count as unsigned
}

TEST(StringHash, LastAddWinsAlsoAfterGrowing) {
  TStringHash hash(4);
  for (int i = 0; i < 1000; ++i) hash.Add("K" + std::to_string(i % 300), i);
  EXPECT_EQ(hash.ValueOf("K0"), 900);
  EXPECT_EQ(hash.ValueOf("K299"), 899);
  EXPECT_EQ(hash.ValueOf("k0"), -1);  // exact comparison
  EXPECT_EQ(hash.ValueOf("K300"), -1);
  hash.Clear();
  EXPECT_EQ(hash.ValueOf("K0"), -1);
}

namespace {

int LastIndexOf(const TStringList& list, std::string_view s) {
  for (int i = list.Count() - 1; i >= 0; --i) {
    if (SameText(list[i], s)) return i;
  }
  return -1;
}

int LastIndexOfName(const TStringList& list, std::string_view name) {
  for (int i = list.Count() - 1; i >= 0; --i) {
    const auto eq = list[i].find('=');
    if (eq != std::string::npos && SameText(std::string_view(list[i]).substr(0, eq), name)) return i;
  }
  return -1;
}

}  // namespace

TEST(HashedStringList, LastIndexWinsIgnoringCase) {
  THashedStringList list;
  list.Add("a=1");
  list.Add("A=2");
  list.Add("bare");
  list.Add("BARE");
  EXPECT_EQ(list.IndexOfName("a"), 1);
  EXPECT_EQ(list.IndexOf("bare"), 3);
  EXPECT_EQ(list.IndexOfName("bare"), -1);  // no "=", so no name
  EXPECT_EQ(list.Values("A"), "2");
}

// Every kind of change, mixed with lookups, on lists long enough to be hashed: the hashed answers must
// always equal a plain scan for the last match.
TEST(HashedStringList, LookupsStayRightThroughEveryKindOfChange) {
  std::mt19937 rng(7);
  THashedStringList list;
  auto text = [&] {
    const int n = int(rng() % 40);
    return (rng() % 2 ? "Key" : "key") + std::to_string(n) + (rng() % 4 ? "=" + std::to_string(rng() % 3) : "");
  };
  for (int step = 0; step < 4000; ++step) {
    const int count = list.Count();
    switch (rng() % 10) {
      case 0:
        if (count > 0) list.Put(int(rng() % unsigned(count)), text());
        break;
      case 1:
        if (count > 0) {
          // A value written in place under the same name.
          const int i = int(rng() % unsigned(count));
          list.Put(i, list.Names(i) + "=" + std::to_string(rng() % 9));
        }
        break;
      case 2:
        if (count > 0) list.Delete(int(rng() % unsigned(count)));
        break;
      case 3:
        list.Insert(int(rng() % unsigned(count + 1)), text());
        break;
      case 4:
        if (count > 1) list.Exchange(0, count - 1);
        break;
      case 5:
        if (rng() % 50 == 0) list.Clear();
        if (rng() % 50 == 0) list.Sort();
        break;
      default:
        list.Add(text());
    }
    const std::string probe = (rng() % 2 ? "KEY" : "key") + std::to_string(rng() % 40);
    ASSERT_EQ(list.IndexOfName(probe), LastIndexOfName(list, probe)) << "step " << step;
    if (list.Count() > 0) {
      const std::string some = list[int(rng() % unsigned(list.Count()))];
      ASSERT_EQ(list.IndexOf(some), LastIndexOf(list, some)) << "step " << step;
    }
  }
}

namespace {

// A minimal INI over a string list, to test the typed operations of the base on their own.
class MemoryIni : public TCustomIniFile {
 public:
  MemoryIni() : TCustomIniFile("memory") {}
  std::string ReadString(const std::string&, const std::string& Ident, const std::string& Default) const override {
    const int i = lines.IndexOfName(Ident);
    return i < 0 ? Default : lines.ValueFromIndex(i);
  }
  void WriteString(const std::string&, const std::string& Ident, const std::string& Value) override {
    lines.SetValue(Ident, Value);
  }
  void ReadSection(const std::string&, TStringList*) const override {}
  void ReadSections(TStringList*) const override {}
  void ReadSectionValues(const std::string&, TStringList*) const override {}
  void EraseSection(const std::string&) override {}
  void DeleteKey(const std::string&, const std::string&) override {}
  void UpdateFile() override {}
  TStringList lines;
};

}  // namespace

TEST(CustomIniFile, IntegersAndBooleans) {
  MemoryIni ini;
  ini.lines.SetText("hex=0x1F\nHEX=0X10\nshort=0x\ndollar=$ff\nword=abc\nneg=-12\ntwo=2\nzero=0");
  EXPECT_EQ(ini.ReadInteger("s", "hex", -1), 31);
  EXPECT_EQ(ini.ReadInteger("s", "short", -1), -1);
  EXPECT_EQ(ini.ReadInteger("s", "dollar", -1), 255);
  EXPECT_EQ(ini.ReadInteger("s", "word", -1), -1);
  EXPECT_EQ(ini.ReadInteger("s", "neg", 0), -12);
  EXPECT_EQ(ini.ReadInteger("s", "absent", 5), 5);
  EXPECT_TRUE(ini.ReadBool("s", "two", false));
  EXPECT_FALSE(ini.ReadBool("s", "zero", true));
  EXPECT_TRUE(ini.ReadBool("s", "absent", true));
  EXPECT_FALSE(ini.ReadBool("s", "absent", false));
  ini.WriteInteger("s", "n", -7);
  ini.WriteBool("s", "b", true);
  EXPECT_EQ(ini.lines.Values("n"), "-7");
  EXPECT_EQ(ini.lines.Values("b"), "1");
}

TEST(CustomIniFile, FloatsDatesAndTimesRoundTripAndBadTextGivesDefault) {
  MemoryIni ini;
  ini.WriteFloat("s", "f", 1.25);
  EXPECT_EQ(ini.lines.Values("f"), "1.25");
  EXPECT_DOUBLE_EQ(ini.ReadFloat("s", "f", 0), 1.25);
  ini.WriteDate("s", "d", 38851.75);
  EXPECT_EQ(ini.lines.Values("d"), "2006-05-14");
  EXPECT_DOUBLE_EQ(ini.ReadDate("s", "d", 0), 38851.0);
  ini.WriteDateTime("s", "dt", 38851.5);
  EXPECT_EQ(ini.lines.Values("dt"), "2006-05-14 12:00:00");
  EXPECT_DOUBLE_EQ(ini.ReadDateTime("s", "dt", 0), 38851.5);
  ini.WriteTime("s", "t", 38851.25);
  EXPECT_EQ(ini.lines.Values("t"), "06:00:00");
  EXPECT_DOUBLE_EQ(ini.ReadTime("s", "t", 0), 0.25);
  ini.lines.SetText("bad=1,5\nday=2006-13-01\ntime=25:00:00\nempty=");
  EXPECT_EQ(ini.ReadFloat("s", "bad", -1), -1);
  EXPECT_EQ(ini.ReadDate("s", "day", -1), -1);
  EXPECT_EQ(ini.ReadTime("s", "time", -1), -1);
  EXPECT_EQ(ini.ReadDateTime("s", "empty", -1), -1);
}

TEST(IniFile, ReadsAndWritesTheSettingsFile) {
  TempDir dir;
  const auto file = (dir.Path() / "QMZ.ini").string();
  WriteWholeFile(file, "[MAIN]\nPathNum=2\nDefault=1\n[Path]\nPath_1=C:\\A\nPath_2=" + std::string(3000, 'x') + "\n");
  TIniFile ini(file);
  EXPECT_EQ(ini.ReadInteger("MAIN", "PathNum", 0), 2);
  EXPECT_EQ(ini.ReadString("Path", "Path_2", "").size(), 2047u);
  TStringList list;
  ini.ReadSections(&list);
  EXPECT_EQ(list.CommaText(), "MAIN,Path");
  ini.ReadSection("main", &list);
  EXPECT_EQ(list.CommaText(), "PathNum,Default");
  ini.ReadSectionValues("MAIN", &list);
  EXPECT_EQ(list.CommaText(), "PathNum=2,Default=1");
  ini.DeleteKey("MAIN", "Default");
  ini.WriteString("Name", "Name_1", "Sv");
  ini.EraseSection("Path");
  EXPECT_EQ(ReadWholeFile(file), "[MAIN]\nPathNum=2\n[Name]\nName_1=Sv\n");
}

TEST(IniFile, RefusedWriteRaisesWithTheFileName) {
  TempDir dir;
  const auto file = (dir.Path() / "missing" / "QMZ.ini").string();
  TIniFile ini(file);
  try {
    ini.WriteString("MAIN", "Default", "1");
    FAIL() << "no exception";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + file);
  }
  EXPECT_NO_THROW(ini.DeleteKey("MAIN", "Default"));
}

namespace {

// A stream that is not a memory stream: bytes go into a string.
class StringStream : public TStream {
 public:
  std::int64_t Read(void* Buffer, std::int64_t Count) override {
    const std::int64_t n = std::min<std::int64_t>(Count, std::int64_t(bytes.size()) - pos);
    std::memcpy(Buffer, bytes.data() + pos, std::size_t(n));
    pos += n;
    return n;
  }
  std::int64_t Write(const void* Buffer, std::int64_t Count) override {
    bytes.replace(std::size_t(pos), std::size_t(Count), static_cast<const char*>(Buffer), std::size_t(Count));
    pos += Count;
    return Count;
  }
  std::int64_t Size() const override { return std::int64_t(bytes.size()); }
  std::int64_t Position() const override { return pos; }
  void SetPosition(std::int64_t p) override { pos = p; }
  std::string bytes;
  std::int64_t pos = 0;
};

}  // namespace

TEST(CustomIniFile, BinaryStreamsAsHexText) {
  MemoryIni ini;
  TMemoryStream source;
  const unsigned char bytes[] = {0x00, 0x01, 0xAB};
  source.Write(bytes, 3);
  source.SetPosition(1);
  ini.WriteBinaryStream("s", "blob", source);
  EXPECT_EQ(ini.lines.Values("blob"), "01AB");

  TMemoryStream atEnd;
  atEnd.Write("x", 1);
  EXPECT_EQ(ini.ReadBinaryStream("s", "blob", atEnd), 2);
  ASSERT_EQ(atEnd.Size(), 3);
  EXPECT_EQ(atEnd.Position(), 1);
  EXPECT_EQ(atEnd.Memory()[1], 0x01);
  EXPECT_EQ(atEnd.Memory()[2], 0xAB);

  // In the middle of a memory stream the bytes overwrite and the stream still grows by their number.
  TMemoryStream middle;
  middle.Write("abcd", 4);
  middle.SetPosition(1);
  EXPECT_EQ(ini.ReadBinaryStream("s", "blob", middle), 5);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(middle.Memory()), 6), std::string("a\x01\xAB" "d\0\0", 6));

  StringStream other;
  other.bytes = "xyz";
  other.pos = 1;
  EXPECT_EQ(ini.ReadBinaryStream("s", "blob", other), 2);
  EXPECT_EQ(other.bytes, "x\x01\xAB");

  ini.lines.SetText("bad=01zz02\nodd=ABC");
  TMemoryStream partial;
  EXPECT_EQ(ini.ReadBinaryStream("s", "bad", partial), 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(partial.Memory()), 3), std::string("\x01\0\0", 3));
  TMemoryStream odd;
  EXPECT_EQ(ini.ReadBinaryStream("s", "odd", odd), 1);
  EXPECT_EQ(odd.Memory()[0], 0xAB);
  EXPECT_EQ(ini.ReadBinaryStream("s", "absent", odd), 0);
  EXPECT_EQ(odd.Size(), 1);
}
