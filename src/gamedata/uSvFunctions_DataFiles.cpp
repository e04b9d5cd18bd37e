// Data-file discovery and joining: the data folder and initial world from the main INI, every data file
// of the [Data] section decoded and joined by kind, and the markets, goods and equipment reorganised so
// the parsers find a record by its nickname.

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <vector>

#include "gamedata/uIniDecoder.h"
#include "gamedata/uSVIni.h"
#include "gamedata/uSvFunctions.h"
#include "platform/GamePath.h"
#include "support/mGlobalFunctions.h"
#include "support/mRunJournal.h"

namespace qmz {

std::optional<int> SectionCountOf(const TSvIniFile& ini, std::string_view rawName) {
  const int at = ini.SectionNames.IndexOf(rawName);
  if (at < 0 || std::size_t(at) >= ini.SectionCounts.size()) return std::nullopt;
  return ini.SectionCounts[std::size_t(at)];
}

void TSvData::NotRead(std::string_view gamePath, std::string_view reason) const {
  ++unreadFiles_;
  JournalFmt("Data file not read (%s): %s", jlWarning, reason, gamePath);
}

std::unique_ptr<TSvIniFile> TSvData::OpenGameIni(std::string_view gamePath) const {
  std::unique_ptr<TSvIniFile> ini;
  auto file = platform::ResolveGamePath(gamePath);
  if (file) ini = std::make_unique<TSvIniFile>(file->string());
  if (!ini || ini->DecodeStatus == bsNoSource) {
    NotRead(gamePath, ini ? ini->ReadFailure : std::string("not found"));
    ini = TSvIniFile::CreateFromList(TStringList(), std::string(gamePath));
  }
  if (ini->Damaged()) JournalFmt("Data file damaged, read only up to the damage: %s", jlError, gamePath);
  return ini;
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
// moves the whole list each time. Of equal names (ignoring case) the first stays, as with Add.
void SetSortedNames(TStringList& list, std::vector<std::string> names) {
  std::stable_sort(names.begin(), names.end(),
                   [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
  names.erase(std::unique(names.begin(), names.end(),
                          [](const std::string& a, const std::string& b) { return CompareText(a, b) == 0; }),
              names.end());
  const bool sorted = list.Sorted();
  list.Clear();
  list.SetSorted(false);
  list.Reserve(int(names.size()));
  for (auto& name : names) list.Add(std::move(name));
  list.SetSorted(sorted);
}

// A reason to stop joining that the loader reports with its data-files dialog.
class EDataFiles : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace

// One reorganisation phase: the joined text becomes the scratch object "TEMP" of slot iniTemp and fill
// builds from it a fresh object of the target slot, named after the kind. The phase's End line is
// written also when fill gives up.
void TSvData::reorganise(std::string_view kind, TStringList& text, int slot,
                         const std::function<void(TSvIniFile& temp, TSvIniFile& target)>& fill) {
  aIni[iniTemp] = TSvIniFile::CreateFromList(text, "TEMP");
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
  try {
    // Every file of one kind in the order of the [Data] lines, each followed by one empty line, so the
    // sections of all files are numbered together.
    TStringList joined[kKindCount];
    {
      TStringList dataLines;
      if (aIni[iniMain]) aIni[iniMain]->ReadSectionValues("Data1", &dataLines);
      TStringList scratch;
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
        scratch.Clear();
        const std::string gamePath = DataPath + file;
        auto path = platform::ResolveGamePath(gamePath);
        std::string reason = "not found";
        const TBiniStatus status = path ? DecodeBini(path->string(), &scratch, &reason) : bsNoSource;
        if (status == bsNoSource) NotRead(gamePath, reason);
        if (status == bsBadEntry) JournalFmt("Data file damaged, read only up to the damage: %s", jlError, gamePath);
        joined[kind].Reserve(joined[kind].Count() + scratch.Count() + 1);
        for (const auto& line : scratch) joined[kind].Add(line.text);
        joined[kind].Add("");
      }
    }

    PostStep("Reorganizing INIs...");
    savedStepCount = StepCount;
    StepCount = 1;

    // Markets and goods: one section per record of the raw name, named by its key value and holding the
    // lines linesOf gives. A text without any such record cannot be parsed.
    auto byKey = [this](TSvIniFile& temp, TSvIniFile& target, const std::string& raw, const std::string& key,
                        auto linesOf) {
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
    reorganise("Markets", joined[kMarkets], iniMarkets, [&](TSvIniFile& temp, TSvIniFile& markets) {
      byKey(temp, markets, "BaseGood", "base", [&temp](const std::string& section, int i) {
        return temp.ReadKeyValuesF(section, "MarketGood", {i}, false);
      });
      MarketBaseNames.Clear();
      MarketBaseNames.Reserve(markets.Sections.Count());
      std::vector<std::string> goodNames;
      for (int s = 0; s < markets.Sections.Count(); ++s) {
        MarketBaseNames.Add(markets.Sections[s]);
        if (const auto* lines = dynamic_cast<const TStringList*>(markets.Sections.Objects(s)))
          for (int j = 0; j < lines->Count(); ++j) goodNames.push_back(lines->Names(j));
      }
      SetSortedNames(MarketGoodNames, std::move(goodNames));
    });
    aIni[iniTemp].reset();

    // Goods: one section per good nickname with its lines, lines of one name collapsed.
    reorganise("Goods", joined[kGoods], iniGoods, [&](TSvIniFile& temp, TSvIniFile& goods) {
      byKey(temp, goods, "Good", "nickname", [&temp](const std::string& section, int i) {
        return temp.ReadSectionValuesF(section, {i});
      });
    });
    aIni[iniTemp].reset();

    // Equipment: one section per item, its first line the kind of section it came from. The scratch
    // object stays in its slot.
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
        const std::string raw = temp.SectionNames[t];
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

    aIni[iniFactionProps] = OpenGameIni(DataPath + "MISSIONS\\faction_prop.ini");
    aIni[iniUniverse] = TSvIniFile::CreateFromList(joined[kUniverse], "Universe");
    aIni[iniGroups] = TSvIniFile::CreateFromList(joined[kGroups], "Groups");
    aIni[iniSolararch] = TSvIniFile::CreateFromList(joined[kSolar], "Solar");
    result = true;
  } catch (const std::exception& e) {
    // A joined text without what the parsers count on ends the load with the data-files dialog, as a
    // failed step, not as an error out of the model.
    JournalFmt("Joining of data files stopped: %s", jlError, std::string(e.what()));
    aIni[iniTemp].reset();
  }
  if (savedStepCount >= 0) StepCount = savedStepCount;
  JournalLine("TSvData.getDataInis()", jlEnd);
  return result;
}

}  // namespace qmz
