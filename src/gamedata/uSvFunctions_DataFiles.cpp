// Data-file discovery and joining: the data folder and initial world from the main INI, every data file
// of the [Data] section decoded and joined by kind, and the markets, goods and equipment reorganised so
// the parsers find a record by its nickname.

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "gamedata/uIniDecoder.h"
#include "gamedata/uSVIni.h"
#include "gamedata/uSVIni_Hash.h"
#include "gamedata/uSvFunctions.h"
#include "platform/AsciiText.h"
#include "platform/GamePath.h"
#include "platform/KeyedHash.h"
#include "support/mGlobalFunctions.h"
#include "support/mRunJournal.h"

namespace qmz {

std::optional<int> SectionCountOf(const TSvIniFile& ini, std::string_view rawName) {
  const int at = ini.SectionNames.IndexOf(rawName);
  if (at < 0 || std::size_t(at) >= ini.SectionCounts.size()) return std::nullopt;
  return ini.SectionCounts[std::size_t(at)];
}

std::string GameFileKey(std::string_view gamePath) {
  struct stat st {};
  if (const auto file = platform::ResolveGamePath(gamePath); file && ::stat(file->c_str(), &st) == 0)
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
  // No file: never the same text as a device and inode (a game path holds a letter or a separator).
  return LowerCase(gamePath);
}

void TSvData::NotRead(std::string_view gamePath, std::string_view reason) const {
  ++unreadFiles_;
  JournalFmt("Data file not read (%s): %s", jlWarning, reason, gamePath);
}

std::size_t TSvData::TextLeft() const {
  const std::size_t held = joinedText_ + openedText_;
  return held < kMaxLoadText ? kMaxLoadText - held : 0;
}

std::unique_ptr<TSvIniFile> TSvData::OpenGameIni(std::string_view gamePath) const {
  std::unique_ptr<TSvIniFile> ini;
  // Finding the file may run out of memory too: the file is named then as well.
  ReadingFile(gamePath, [&] {
    if (const auto file = platform::ResolveGamePath(gamePath))
      ini = std::make_unique<TSvIniFile>(file->string(), TextLeft());
  });
  if (!ini || ini->DecodeStatus == bsNoSource) {
    NotRead(gamePath, ini ? ini->ReadFailure : std::string("not found"));
    ini = TSvIniFile::CreateFromList(TStringList(), std::string(gamePath));
  }
  if (ini->Damaged()) JournalFmt("Data file damaged, read only up to the damage: %s", jlError, gamePath);
  openedText_ += ini->Cost();
  return ini;
}

void TSvData::ReleaseGameIni(std::unique_ptr<TSvIniFile>& ini) const {
  if (!ini) return;
  openedText_ -= std::min(openedText_, ini->Cost());
  ini.reset();
}

TStringList TSvData::getIniFileNames() const {
  TStringList list;
  for (int slot = 1; slot < IniSlotCount; ++slot) list.Add(aIni[slot] ? aIni[slot]->FileName() : std::string());
  return list;
}

bool TSvData::getInitialData() {
  bool result = false;
  JournalLine("[TSVData.getInitialData()]", jlBegin);
  ++StepCount;
  PostStep("Retrieving initial data... ");
  const std::string dataPath = aIni[iniMain] ? aIni[iniMain]->ReadString("Starvagant1", "data path", "") : "";
  DataPath = ExpandRelativePath(SVPath + "exe\\" + dataPath);
  if (!DataPath.empty()) {
    JournalFmt("DataPath = %s", jlWarning, DataPath);
    const std::string world = aIni[iniMain] ? aIni[iniMain]->ReadString("Starvagant1", "initial_world", "") : "";
    aIni[iniInitialWorld] = OpenGameIni(DataPath + world);
    result = aIni[iniInitialWorld]->Loaded;
  }
  JournalLine("[TSVData.getInitialData()]", jlEnd);
  return result;
}

namespace {

using platform::TrimView;

struct DataKind {
  std::string_view key;
  std::string_view journalLine;
  std::string_view progressText;
};

enum { kEquipment, kGoods, kMarkets, kUniverse, kGroups, kSolar, kKindCount };

constexpr DataKind kDataKinds[kKindCount] = {
    {"Equipment", "Equipment ini file found : %s", "   Found Equipment file: %s"},
    {"Goods", "Goods ini file found : %s", "   Found Goods file: %s"},
    {"Markets", "Markets ini file found : %s", "   Found Markets file: %s"},
    {"Universe", "Universe ini file found : %s", "   Found Universe file: %s"},
    {"Groups", "Groups ini file found : %s", "   Found Groups file: %s"},
    {"Solar", "Solararch ini file found : %s", "   Found Solararch file: %s"},
};

// The equipment phase's progress bar is one character a kind, up to this width.
constexpr int kMaxBarWidth = 100;

// Fills list, sorted and ignoring duplicates, with names: one sort instead of one insertion a name, which
// moves the whole list each time. Of equal names (ignoring case) the first stays, as with Add. The names
// are views into text that outlives this call.
void SetSortedNames(TStringList& list, const std::vector<std::string_view>& names) {
  // Most names repeat once per market that sells the good: drop repeats of the very same bytes first,
  // keeping the first, so the sort sees each good about once and nothing is folded or copied for it.
  platform::KeyedHashSet<std::string_view> seen;
  seen.reserve(names.size() / 4 + 16);
  std::vector<std::string_view> distinct;
  for (const std::string_view name : names)
    if (seen.insert(name).second) distinct.push_back(name);
  std::stable_sort(distinct.begin(), distinct.end(),
                   [](std::string_view a, std::string_view b) { return CompareText(a, b) < 0; });
  // Spellings equal ignoring case are now neighbours, in the order they came: the first of each run stays.
  distinct.erase(std::unique(distinct.begin(), distinct.end(),
                             [](std::string_view a, std::string_view b) { return CompareText(a, b) == 0; }),
                 distinct.end());
  const bool sorted = list.Sorted();
  list.Clear();
  list.SetSorted(false);
  list.Reserve(int(distinct.size()));
  for (const std::string_view name : distinct) list.Add(name);
  list.SetSorted(sorted);
}

// A reason to stop joining that the loader reports with its data-files dialog.
class EDataFiles : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The goods BuildMarkets has written: for a section of the markets object and a name, the line of that
// section holding it. The entries point at the lines, whose names are compared in place: no name is
// copied. One small table a section, so the lookups of a base stay in a few cache lines; open addressing
// over a keyed hash, so names crafted to collide cannot slow it down.
class WrittenGoods {
 public:
  struct Entry {
    std::uint64_t hash = 0;
    int line = -1;  // -1: a free entry
  };

  // The entry of name in section target (whose lines are lines), or the free entry where it goes; only
  // valid until the next Take.
  Entry& Find(int target, std::string_view name, std::uint64_t hash, const TStringList& lines) {
    if (std::size_t(target) >= tables_.size()) tables_.resize(std::size_t(target) + 1);
    Table& table = tables_[std::size_t(target)];
    if ((table.used + 1) * 2 > table.entries.size()) table.Grow();
    const std::size_t mask = table.entries.size() - 1;
    for (std::size_t i = std::size_t(hash) & mask;; i = (i + 1) & mask) {
      Entry& e = table.entries[i];
      if (e.line < 0) return e;
      if (e.hash == hash && NameOf(lines[e.line]) == name) return e;
    }
  }
  // Fills a free entry that Find gave for target.
  void Take(Entry& e, std::uint64_t hash, int target, int line) {
    if (e.line < 0) ++tables_[std::size_t(target)].used;
    e = {hash, line};
  }

  static std::string_view NameOf(std::string_view line) { return line.substr(0, line.find('=')); }

 private:
  struct Table {
    std::vector<Entry> entries;
    std::size_t used = 0;
    void Grow() {
      std::vector<Entry> old(std::max<std::size_t>(entries.size() * 2, 16));
      old.swap(entries);
      const std::size_t mask = entries.size() - 1;
      for (const Entry& e : old) {
        if (e.line < 0) continue;
        std::size_t i = std::size_t(e.hash) & mask;
        while (entries[i].line >= 0) i = (i + 1) & mask;
        entries[i] = e;
      }
    }
  };

  std::vector<Table> tables_;  // by section of the markets object
};

// The markets object built in one pass over the BaseGood sections: for each, under its base, every
// MarketGood line as "nickname=rest of the entry" in lower case, a good already there keeping its
// place and taking the new value. The same lines as reading each section's MarketGood values and writing
// them with WriteSectionList, without the object's write path: the lines are added to the line lists
// directly and the goods already written for a base are found in an index of this pass.
void BuildMarkets(const TSvIniFile& temp, int count, TSvIniFile& markets, const std::function<void(int)>& posted) {
  static constexpr std::string_view kKey = "marketgood=";
  WrittenGoods written;
  std::string lowered;
  std::string line;
  for (int i = 1; i <= count; ++i) {
    const int at = temp.Sections.IndexOf("BaseGood" + IntToStr(i));
    const auto* lines = at < 0 ? nullptr : static_cast<const TStringList*>(temp.Sections.Objects(at));
    // The value of the last "base" line, as ReadString finds it; a scan, so no name index is built for
    // a section read once.
    std::string base;
    for (int j = lines == nullptr ? -1 : lines->Count() - 1; j >= 0; --j) {
      const std::string_view text = (*lines)[j];
      const std::size_t eq = text.find('=');
      if (eq != std::string_view::npos && platform::AsciiSameText(text.substr(0, eq), "base")) {
        base = text.substr(eq + 1);
        break;
      }
    }
    int target = -1;
    THashedStringList* list = nullptr;
    for (int j = 0; !base.empty() && j < lines->Count(); ++j) {
      const std::string_view text = (*lines)[j];
      const std::size_t eq = text.find('=');
      // Against a name of plain letters, SameText is the ASCII comparison: no other byte folds to one.
      if (!platform::AsciiSameText(TrimView(eq == std::string_view::npos ? std::string_view() : text.substr(0, eq)),
                                   "MarketGood"))
        continue;
      // The entry in lower case without every "marketgood=" in it, trimmed. The line's name is MarketGood in
      // some letter case, so the lowered line is "marketgood=" and the lowered value; the value is lowered
      // only where it holds a capital or a non-ASCII byte, else copied into the buffer as it is.
      const std::string_view rawValue = text.substr(eq + 1);
      const bool plain = std::none_of(rawValue.begin(), rawValue.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || static_cast<unsigned char>(c) >= 0x80;
      });
      if (plain) {
        lowered.assign(rawValue);
      } else {
        lowered = LowerCase(rawValue);
      }
      // Without a "=" (as almost every value is) there is no "marketgood=" to take out, and no "=" to split
      // at or to end a name.
      const bool hasEq = rawValue.find('=') != std::string_view::npos;
      if (hasEq)
        for (std::size_t k = lowered.find(kKey); k != std::string::npos; k = lowered.find(kKey, k))
          lowered.erase(k, kKey.size());
      const std::string_view entry = TrimView(lowered);
      // Split as WriteSectionList splits: at a "=" after the first character, else at the first ",".
      std::string_view good;
      std::string_view value;
      if (const std::size_t split = hasEq ? entry.find('=') : std::string_view::npos;
          split != std::string_view::npos && split > 0) {
        good = entry.substr(0, split);
        value = entry.substr(split + 1);
      } else {
        const std::size_t comma = entry.find(',');
        good = TrimView(entry.substr(0, comma));
        if (comma != std::string_view::npos) value = TrimView(entry.substr(comma + 1));
      }
      if (target < 0) {
        target = markets.Sections.IndexOf(base);
        if (target < 0) target = markets.Sections.AddObject(base, new THashedStringList());
        list = static_cast<THashedStringList*>(markets.Sections.Objects(target));
      }
      line.assign(good).append(1, '=').append(value);
      // A line's name is its text before the first "=", and a name asked for is found in the last line
      // of that name, as the line list finds it; a good holding a "=" never is. The names are in lower
      // case already, so equal names are equal texts here.
      const std::string_view name = hasEq ? WrittenGoods::NameOf(good) : good;
      const std::uint64_t hash = KeyedHash(name);
      auto& found = written.Find(target, name, hash, *list);
      if (found.line >= 0 && name.size() == good.size()) {
        list->Put(found.line, line);
      } else {
        written.Take(found, hash, target, list->Add(line));
      }
    }
    posted(i);
  }
}

}  // namespace

// One reorganisation phase: the joined text becomes the scratch object "TEMP" of slot iniTemp and fill
// builds from it a fresh object of the target slot, named after the kind. The phase's End line is
// written also when fill gives up.
void TSvData::reorganise(std::string_view kind, LineBuffer& text, int slot,
                         const std::function<void(TSvIniFile& temp, TSvIniFile& target)>& fill) {
  aIni[iniTemp] = std::make_unique<TSvIniFile>(text, "TEMP");
  text.Clear();
  PostStep(Format("   %s...", kind));
  JournalFmt("Starting reorganization of %s file", jlBegin, kind);
  aIni[std::size_t(slot)] = TSvIniFile::CreateFromList(TStringList(), std::string(kind));
  try {
    fill(*aIni[iniTemp], *aIni[std::size_t(slot)]);
  } catch (...) {
    JournalFmt("%s file reorganized", jlEnd, kind);
    throw;
  }
  JournalFmt("%s file reorganized", jlEnd, kind);
}

bool TSvData::getDataInis() {
  JournalLine("TSvData.getDataInis()", jlBegin);
  ++StepCount;
  PostStep("Retrieving modded inis...");
  int savedStepCount = -1;
  bool result = false;
  // While a joined text is parsed, its kind; the files joined into each kind, up to kNamedFiles of them,
  // so that memory running out there names them.
  int parsing = -1;
  constexpr std::size_t kNamedFiles = 3;
  std::vector<std::string> kindFiles[kKindCount];
  try {
    // Every file of one kind in the order of the [Data] lines, each followed by one empty line, so the
    // sections of all files are numbered together. A file named again is joined again (its sections count
    // as often as it is named) from the lines read the first time: each file is read from disk once.
    LineBuffer joined[kKindCount];
    // Counts lines before they are joined, against the load's budget: as the buffer holds them (each with
    // its end position, so a file of empty lines costs too) and as their parse will, so a file of many
    // tiny sections costs what its sections will.
    joinedText_ = 0;
    const std::size_t budget = TextLeft();
    const auto grow = [&](std::size_t cost, const std::string& gamePath) {
      joinedText_ += cost;
      if (joinedText_ > budget)
        throw EDataFiles(Format("The joined data texts pass %d MiB at %s", std::int64_t(kMaxLoadText >> 20), gamePath));
    };
    const auto costOf = [](std::string_view line) { return line.size() + sizeof(std::size_t) + ParsedLineCost(line); };
    struct FileRead {
      int kind = 0;  // the joined text that holds its lines, first .. first + count - 1
      std::size_t first = 0;
      std::size_t count = 0;
      std::size_t bytes = 0;
      std::size_t cost = 0;  // as grow counts the lines
      TBiniStatus status = bsNoSource;
      std::string reason = "not found";
      bool namedAgain = false;
    };
    platform::KeyedHashMap<FileRead> reads;  // by GameFileKey
    {
      TStringList dataLines;
      if (aIni[iniMain]) aIni[iniMain]->ReadSectionValues("Data1", &dataLines);
      for (const auto& item : dataLines) {
        const std::size_t eq = item.text.find('=');
        if (eq == std::string::npos) continue;
        const std::string name = Trim(std::string_view(item.text).substr(0, eq));
        int kind = 0;
        while (kind < kKindCount && !SameText(name, kDataKinds[kind].key)) ++kind;
        if (kind == kKindCount) continue;
        const std::string file = ExtractBetween(std::string_view(item.text).substr(eq + 1), "*", ";", false);
        JournalFmt(kDataKinds[kind].journalLine, jlData, file);
        ++StepCount;
        PostStep(Format(kDataKinds[kind].progressText, file));
        const std::string gamePath = DataPath + file;
        LineBuffer& lines = joined[kind];
        auto& named = kindFiles[kind];
        if (named.size() <= kNamedFiles && std::find(named.begin(), named.end(), gamePath) == named.end())
          named.push_back(gamePath);
        auto [at, firstTime] = reads.try_emplace(GameFileKey(gamePath));
        FileRead& read = at->second;
        if (firstTime) {
          read.kind = kind;
          read.first = lines.Count();
          auto path = platform::ResolveGamePath(gamePath);
          if (path)
            ReadingFile(gamePath, [&] {
              // Room for the file's text at once, so a large joined text is not copied each time it grows; a
              // file too large to be read gets none.
              std::error_code sizeError;
              const auto size = std::filesystem::file_size(*path, sizeError);
              if (!sizeError && size <= kMaxGameFileSize)
                lines.Reserve(std::min(std::size_t(size), budget - std::min(budget, joinedText_)));
              read.status = DecodeBiniFileLines(
                  path->string(),
                  [&](std::string_view line) {
                const std::size_t cost = costOf(line);
                grow(cost, gamePath);
                lines.Add(line);
                read.bytes += line.size();
                read.cost += cost;
                  },
                  &read.reason);
            });
          read.count = lines.Count() - read.first;
          if (read.status == bsBadEntry)
            JournalFmt("Data file damaged, read only up to the damage: %s", jlError, gamePath);
        } else {
          if (!read.namedAgain) JournalFmt("Data file named more than once, joined as often: %s", jlWarning, gamePath);
          read.namedAgain = true;
          grow(read.cost, gamePath);
          // The lines may come from this very buffer: with room made first, appending never moves them.
          lines.Reserve(read.bytes);
          const LineBuffer& from = joined[read.kind];
          for (std::size_t i = read.first; i < read.first + read.count; ++i) lines.Add(from[i]);
        }
        if (read.status == bsNoSource) NotRead(gamePath, read.reason);
        grow(costOf(""), gamePath);
        lines.Add("");
      }
    }

    PostStep("Reorganizing INIs...");
    savedStepCount = StepCount;
    StepCount = 1;

    // Markets and goods: one section per record of the raw name, named by its key value and holding the
    // lines linesOf gives. A text without any such record cannot be parsed.
    auto byKey =
        [this](TSvIniFile& temp, TSvIniFile& target, const std::string& raw, const std::string& key, auto linesOf) {
      const auto count = SectionCountOf(temp, raw);
      if (!count) throw EDataFiles(Format("The joined text holds no [%s] section", raw));
      const std::string section = raw + "%d";
      for (int i = 1; i <= *count; ++i) {
        const std::string value = temp.ReadStringF(section, key, "", {i});
        if (!value.empty()) target.WriteSectionList(value, *linesOf(section, i));
        PostItem(0, *count, i);
      }
    };

    // Markets: one section per base (named as first written, sections of one base in any letter case
    // merged), one line per good: "nickname=rest of the entry", in lower case, the last entry winning.
    parsing = kMarkets;
    reorganise("Markets", joined[kMarkets], iniMarkets, [&](TSvIniFile& temp, TSvIniFile& markets) {
      const auto count = SectionCountOf(temp, "BaseGood");
      if (!count) throw EDataFiles("The joined text holds no [BaseGood] section");
      BuildMarkets(temp, *count, markets, [this, &count](int i) { PostItem(0, *count, i); });
      MarketBaseNames.Clear();
      MarketBaseNames.Reserve(markets.Sections.Count());
      // Each line's name (its text before the first "=") as a view into the markets object.
      std::vector<std::string_view> goodNames;
      for (int s = 0; s < markets.Sections.Count(); ++s) {
        MarketBaseNames.Add(markets.Sections[s]);
        if (const auto* lines = dynamic_cast<const TStringList*>(markets.Sections.Objects(s)))
          for (const auto& item : *lines) {
            const std::size_t eq = item.text.find('=');
            goodNames.push_back(eq == std::string::npos ? std::string_view()
                                                        : std::string_view(item.text).substr(0, eq));
          }
      }
      SetSortedNames(MarketGoodNames, goodNames);
    });
    aIni[iniTemp].reset();

    // Goods: one section per good nickname with its lines, lines of one name collapsed.
    parsing = kGoods;
    reorganise("Goods", joined[kGoods], iniGoods, [&](TSvIniFile& temp, TSvIniFile& goods) {
      byKey(temp, goods, "Good", "nickname",
            [&temp](const std::string& section, int i) { return temp.ReadSectionValuesF(section, {i}); });
    });
    aIni[iniTemp].reset();

    // Equipment: one section per item, its first line the kind of section it came from. The scratch
    // object stays in its slot.
    parsing = kEquipment;
    reorganise("Equipment", joined[kEquipment], iniEquip, [&](TSvIniFile& temp, TSvIniFile& equip) {
      const int kinds = temp.SectionNames.Count();
      TStringList lines;
      std::string lastBar;
      for (int t = 0; t < kinds; ++t) {
        // One character a kind up to kMaxBarWidth kinds; beyond, the bar is scaled and drawn when it
        // changes, so its cost stays linear in the number of kinds.
        const int width = std::min(kinds - 1, kMaxBarWidth);
        const int filled = width < kinds - 1 ? int(std::int64_t(t) * width / (kinds - 1)) : t;
        std::string bar = Format("   Equipment...[%s]", MakeBarText('#', filled, width));
        if (width == kinds - 1 || bar != lastBar)
          PostStatus(bar, 0, 60, StepCount, psAddToStartupLog | psReplaceStartupLine);
        lastBar = std::move(bar);
        const std::string raw(temp.SectionNames[t]);
        const int count = std::size_t(t) < temp.SectionCounts.size() ? temp.SectionCounts[std::size_t(t)] : 0;
        for (int i = 1; i <= count; ++i) {
          // The section name is built by hand: a raw name may hold a "%".
          const std::string section = raw + IntToStr(i);
          const std::string nick = temp.ReadString(section, "nickname", "");
          equip.WriteString(nick, "Equipment_Type", raw);
          if (!nick.empty()) {
            temp.ReadSectionValues(section, &lines);
            equip.WriteSectionList(nick, lines);
          }
          PostItem(0, count, i);
        }
      }
    });

    parsing = -1;
    aIni[iniFactionProps] = OpenGameIni(DataPath + "MISSIONS\\faction_prop.ini");
    parsing = kUniverse;
    aIni[iniUniverse] = std::make_unique<TSvIniFile>(joined[kUniverse], "Universe");
    parsing = kGroups;
    aIni[iniGroups] = std::make_unique<TSvIniFile>(joined[kGroups], "Groups");
    parsing = kSolar;
    aIni[iniSolararch] = std::make_unique<TSvIniFile>(joined[kSolar], "Solar");
    result = true;
  } catch (const std::exception& e) {
    // A joined text without what the parsers count on ends the load with the data-files dialog, as a
    // failed step, not as an error out of the model.
    aIni[iniTemp].reset();
    if (parsing >= 0 && dynamic_cast<const std::bad_alloc*>(&e) != nullptr) {
      const auto& named = kindFiles[parsing];
      std::string files;
      for (std::size_t i = 0; i < named.size() && i < kNamedFiles; ++i) files += (i > 0 ? ", " : "") + named[i];
      if (named.size() > kNamedFiles) files += " and more";
      JournalFmt("Joining of data files stopped: out of memory for the joined %s text of %s", jlError,
                 kDataKinds[parsing].key, files);
    } else {
      JournalFmt("Joining of data files stopped: %s", jlError, std::string(e.what()));
    }
  }
  if (savedStepCount >= 0) StepCount = savedStepCount;
  JournalLine("TSvData.getDataInis()", jlEnd);
  return result;
}

}  // namespace qmz
