#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "util/TempDir.h"
#include "support/Classes.h"

using namespace qmz;

namespace {
struct Counted : TObject {
  explicit Counted(int* alive) : alive_(alive) { ++*alive_; }
  ~Counted() override { --*alive_; }
  int* alive_;
};
}  // namespace

// A sorted list orders and finds in lower-case order and ignores duplicates, or keeps them in their order.
TEST(StringList, SortedModeFoldsCaseAndIgnoresOrKeepsDuplicates) {
  TStringList list;
  list.SetSorted(true);
  for (const char* s : {"Pear", "apple", "APPLE", "banana"}) list.Add(s);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list[0], "apple");
  EXPECT_EQ(list[2], "Pear");
  EXPECT_EQ(list.IndexOf("BANANA"), 1);
  EXPECT_EQ(list.IndexOf("cherry"), -1);
  int at = -1;
  EXPECT_FALSE(list.Find("cherry", at));
  EXPECT_EQ(at, 2);
  EXPECT_THROW(list.Insert(0, "x"), EStringListError);

  TStringList names;
  names.SetSorted(true);
  for (const char* s : {"minedropper_x", "MINE_X", "\xC3\x89meraude", "emu", "zinc", "\xC3\xA9meraude"}) names.Add(s);
  ASSERT_EQ(names.Count(), 5);  // émeraude is Émeraude
  EXPECT_EQ(names.Text(), "emu\r\nMINE_X\r\nminedropper_x\r\nzinc\r\n\xC3\x89meraude\r\n");
  EXPECT_EQ(names.IndexOf("\xC3\xA9MERAUDE"), 4);
  EXPECT_EQ(names.IndexOf("mine_x"), 1);

  TStringList kept;
  kept.SetSorted(true);
  kept.SetDuplicates(TDuplicates::dupAccept);
  for (const char* s : {"b", "a#1", "B", "a#2"}) kept.Add(s);
  EXPECT_EQ(kept.CommaText(), "a#1,a#2,b,B");
}

// Texts live in the list's own store: every size must come back whole, also after the store was compacted
// (many replaced or deleted texts), after a move, and when the text given is one of the list's own.
TEST(StringList, TextsSurviveGrowthReplacementAndCompaction) {
  TStringList list;
  const std::vector<std::string> texts = {std::string(7013, 'm'), "", std::string(300, 'a'), std::string(70000, 'L'),
                                          "short"};
  for (const auto& t : texts) list.Add(t);
  for (int round = 0; round < 400; ++round) {
    list.Put(2, std::string(1000 + round, char('a' + round % 26)));
    list.Insert(0, std::string(900, 'd'));
    list.Delete(0);
    list.Put(4, list[0]);  // from the list itself, while the store may be compacted
  }
  TStringList moved(std::move(list));
  ASSERT_EQ(moved.Count(), 5);
  EXPECT_EQ(moved[0], texts[0]);
  EXPECT_EQ(moved[1], "");
  EXPECT_EQ(moved[2], std::string(1399, char('a' + 399 % 26)));
  EXPECT_EQ(moved[3], texts[3]);
  EXPECT_EQ(moved[4], texts[0]);

  // Add, Insert and a sorted insertion given a text of the list itself, large ones needing a block of
  // their own, while the list grows around them.
  TStringList own;
  own.Add(texts[3]);
  own.Add("s");
  for (int i = 0; i < 100; ++i) {
    own.Insert(1, own[0]);
    own.Add(own[own.Count() - 1]);
  }
  own.SetDuplicates(TDuplicates::dupAccept);
  own.SetSorted(true);
  for (int i = 0; i < 100; ++i) own.Add(own[i % 2 == 0 ? 0 : own.Count() - 1]);
  ASSERT_EQ(own.Count(), 302);
  EXPECT_EQ(own[0], texts[3]);
  EXPECT_EQ(own[own.Count() - 1], "s");
}

TEST(StringList, NameValueAccessAndCommaTextRoundTrip) {
  TStringList list;
  list.SetText("PathNum=2\r\nPath_1=C:\\Games\nbad line\rDefault=");
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Names(1), "Path_1");
  EXPECT_EQ(list.ValueFromIndex(1), "C:\\Games");
  EXPECT_EQ(list.Names(2), "");
  EXPECT_EQ(list.IndexOfName("default"), 3);
  EXPECT_EQ(list.Values("pathnum"), "2");
  EXPECT_EQ(list.Values("bad line"), "");
  list.SetValue("PathNum", "3");
  EXPECT_EQ(list[0], "PathNum=3");
  list.SetValue("New", "v");
  EXPECT_EQ(list[4], "New=v");
  list.SetValue("Default", "");  // an empty value takes the line away
  EXPECT_EQ(list.IndexOfName("Default"), -1);
  EXPECT_EQ(list.Count(), 4);
  TStringList items;
  for (const char* s : {"plain", "with blank", "say \"hi\"", "a,b", ""}) items.Add(s);
  const std::string text = items.CommaText();
  EXPECT_EQ(text, "plain,\"with blank\",\"say \"\"hi\"\"\",\"a,b\",");
  TStringList back;
  back.SetCommaText(text);
  ASSERT_EQ(back.Count(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(back[i], items[i]);
  back.SetCommaText("one two, three");
  EXPECT_EQ(back.CommaText(), "one,two,three");
  back.SetCommaText(" \"a\"b ,,c,");
  EXPECT_EQ(back.CommaText(), "a,b,,c,");
  back.SetCommaText("a, ");
  EXPECT_EQ(back.Count(), 1);
  // The text ends at a NUL, inside an element or between them.
  back.SetCommaText(std::string_view("a,b\0c,d", 7));
  EXPECT_EQ(back.CommaText(), "a,b");
  back.SetCommaText(std::string_view("\"x\0y\",z", 7));
  EXPECT_EQ(back.CommaText(), "x");
  // Control characters separate items when read, so they must be quoted when written; a lone empty
  // item must come back as one item.
  for (const char* item : {"two\nlines", "cr\rhere", "", "ctl\x01x"}) {
    TStringList one;
    one.Add(item);
    back.SetCommaText(one.CommaText());
    ASSERT_EQ(back.Count(), 1) << one.CommaText();
    EXPECT_EQ(back[0], item);
  }
}

TEST(StringList, OwnedObjectsAreFreedOnDeleteClearAndDestruction) {
  int alive = 0;
  {
    TStringList list(true);
    for (const char* s : {"a", "b", "c"}) list.AddObject(s, new Counted(&alive));
    list.Delete(0);
    EXPECT_EQ(alive, 2);
    TObject* kept = list.Extract(0);  // taken out of the list, not freed
    EXPECT_EQ(alive, 2);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0], "c");
    delete kept;
    list.PutObject(0, new Counted(&alive));  // replaces and frees the old one
    EXPECT_EQ(alive, 1);
  }
  EXPECT_EQ(alive, 0);
  Counted outside(&alive);
  {
    TStringList list;  // does not own
    list.AddObject("x", &outside);
  }
  EXPECT_EQ(alive, 1);
}

TEST(StringList, FilesAreReadAsGameTextAndWrittenWhole) {
  qmz::test::TempDir dir;  // unique per process: test programs of several builds may run at once
  const auto file = (dir.Path() / "lines.txt").string();
  qmz::test::WriteWholeFile(file,
                            "\xEF\xBB\xBF"
                            "first\r\nGro\xDF\r\n");
  TStringList list;
  list.LoadFromFile(file);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[0], "first");
  EXPECT_EQ(list[1], "Gro\xC3\x9F");
  list.Add("third");
  list.SaveToFile(file);
  EXPECT_EQ(qmz::test::ReadWholeFile(file), "first\r\nGro\xC3\x9F\r\nthird\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 1);
  TStringList again;
  EXPECT_THROW(again.LoadFromFile((dir.Path() / "missing").string()), EStringListError);
  EXPECT_THROW(again.LoadFromFile(dir.Str()), EStringListError);  // a folder is no file of lines
  EXPECT_THROW(again.SaveToFile((dir.Path() / "no" / "such.txt").string()), EStringListError);
}

TEST(MemoryStream, ReadWriteSizeAndCopy) {
  TMemoryStream a;
  EXPECT_EQ(a.Write("hello", 5), 5);
  a.SetPosition(1);
  char buf[8] = {};
  EXPECT_EQ(a.Read(buf, 8), 4);
  EXPECT_EQ(std::string(buf), "ello");
  a.SetSize(7);  // grows with zeros, position kept
  EXPECT_EQ(a.Position(), 5);
  EXPECT_EQ(a.Memory()[6], 0);
  a.SetSize(2);  // position is pulled back to the new end
  EXPECT_EQ(a.Position(), 2);
  a.SetPosition(-3);  // never before the start
  EXPECT_EQ(a.Position(), 0);
  TStream& stream = a;  // the same through the base, as the INI writer uses it
  stream.SetPosition(1);
  EXPECT_EQ(stream.Position(), 1);
  a.SetPosition(0);
  TMemoryStream b;
  b.Write("xyz", 3);
  b.SetPosition(1);
  EXPECT_EQ(b.CopyFrom(a, 10), 2);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.Memory()), std::size_t(b.Size())), "xhe");
}
