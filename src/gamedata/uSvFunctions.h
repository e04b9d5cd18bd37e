#pragma once
// TSvData, which loads an installation into the game-data model (uSvFunctions_Model.h, the side the
// windows include), and the installation lookup it starts from. Only the start-up includes this header.
// The data layer never shows UI: the loader reports through the run journal and the progress channel only.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/KeyedHash.h"
#include "platform/PeStringTable.h"
#include "platform/SharedMemory.h"
#include "platform/WindowMessages.h"
#include "gamedata/uSvFunctions_Model.h"
#include "support/Classes.h"
#include "support/SysUtils.h"

namespace qmz {

class TJournal;
class TLoaderUserInterface;
class TSvIniFile;
class LineBuffer;

// The loader's INI slots (TSvData::aIni); slot 0 stays empty.
enum TIniSlot : int {
  iniMain = 1,
  iniFactionProps = 2,
  iniTemp = 3,
  iniGoods = 4,
  iniEquip = 5,
  iniInitialWorld = 6,
  iniUniverse = 7,
  iniGroups = 8,
  iniMarkets = 9,
  iniSolararch = 10,
  iniBases = 11,
  iniShips = 12
};
inline constexpr int IniSlotCount = 13;
// Slot names for journal lines.
inline constexpr std::array<std::string_view, IniSlotCount> IniSlotNames =
    {"",         "Starvagant.ini", "Faction_Props", "Temp",      "Goods", "Equip", "Initial_World",
     "Universe", "Groups",         "Markets",       "Solararch", "Bases", "Ships"};

// Flags of a progress post.
enum : unsigned { psAddToStartupLog = 1, psReplaceStartupLine = 2, psEchoToJournal = 4 };

// How many sections of one raw name (any letter case) an INI object read; none when it read no such
// section, which the loader reports instead of walking name1 .. nameN.
std::optional<int> SectionCountOf(const TSvIniFile& ini, std::string_view rawName);

// The game text one load holds at once: the joined data texts of all kinds together, each line counted
// with the position the joining keeps for it and with what its parse costs (ParsedLineCost), and the game
// files opened one by one (OpenGameIni) with what their parse costs. A data file that joins past it ends
// the load as a failed joining of the data files; a game file that would pass what is left is not read.
inline constexpr std::size_t kMaxLoadText = std::size_t(512) << 20;

// The same text for every game path that names one file on disk, whatever the spelling of the path and
// through links (the file's device and inode); for a path naming no file, its text in lower case.
std::string GameFileKey(std::string_view gamePath);

// Installation lookup outside the data files. Registry values come from the process registry (the Wine
// prefix), folders through the game path resolver.
std::string GetGameInstallDir();
std::string FindSpecialModDir();
std::string GetModManagerDir();
// The mod manager's key under HKEY_LOCAL_MACHINE: "Install_Dir" and one value per active mod.
inline constexpr std::string_view ModManagerKey = "\\SOFTWARE\\Starvagant Mod Manager";

// The game-data model. The loading constructor (the whole pipeline with the installation chooser) is
// built on the step routines below, which run in this order, each only when the one before succeeded:
// SVPath set, slot iniMain opened (OpenGameIni), getInitialData, getDllList, getDataInis, then the
// parsers. Tests run the same steps on a model made with the plain constructor.
class TSvData : public SvModel {
 public:
  // An empty model: no file is read. The journal is not owned; the two handles address the progress
  // channel (0 switches it off).
  explicit TSvData(TJournal* journal = nullptr, platform::WindowHandle statusWindow = 0,
                   platform::SharedMemoryHandle statusMapping = 0);
  ~TSvData() override;
  TSvData(const TSvData&) = delete;
  TSvData& operator=(const TSvData&) = delete;

  // The loading constructor: the whole pipeline from the installation chooser to the market matrix
  // (uSvFunctions_Load). DataValid says whether the model is usable; the INI slots are empty again when
  // it returns. An error no step catches passes on to the caller, after the journal's result lines.
  TSvData(TJournal* journal, platform::WindowHandle statusWindow, platform::SharedMemoryHandle statusMapping,
          TLoaderUserInterface& ui);
  // The warning texts of the loader, lines broken with LF CR.
  static std::string NoInstallationText();
  static std::string MainIniText(std::string_view path);
  static std::string ResourceListText();
  static std::string DataFilesText();

  // The parsers, in loading order (uSvFunctions_Parsers). Each returns true to go on.
  bool parseGroups();
  bool parseSolars();
  bool parseUniverse();
  bool parseGoods();
  bool parseMarkets();
  static std::uint8_t getCategory(std::string_view Category);
  static std::uint8_t getEquipmentType(std::string_view EquipmentType);

 private:
  enum TUniverseResult { urDone, urStopped, urNoSystems, urNoBases, urError };
  bool runPipeline(bool& mainIniLoaded);
  TUniverseResult readUniverse(TGoodArr& work);
  // What readUniverse keeps of a system file for the later systems that name it.
  struct SystemFileFacts {
    bool loaded = false;
    std::string localFaction;
    std::optional<int> objects;  // how many [Object] sections; none without any
  };
  // The system's faction from its file; true when the file has objects to walk.
  bool takeFaction(int system, const SystemFileFacts& file);
  // The bases that the objects of the system's file place.
  void placeBases(int system, const TGoodArr& work, const TSvIniFile& file, int objects);
  // The per-item loop of a parser: the stop test and the progress post before item 1 .. count; false
  // when stopped; position follows the loop. The Closed form then writes the parser's End line, also
  // when an error passes on.
  bool eachItem(int count, const std::function<void(int)>& item, int* position = nullptr);
  bool eachItemClosed(std::string_view endLine, int count, const std::function<void(int)>& item);
  // StopLoading, also set when the user interface asks to stop.
  bool Stopping();
  // A data kind without any section of the counted name: journaled, and the loader shows its dialog.
  void MissingSections(std::string_view files, std::string_view section);
  // Begin line and step post of a parser, and the count of its sections (none: reported as above).
  std::optional<int> beginCountedParse(std::string_view name, std::string_view step, const TSvIniFile* ini,
                                       std::string_view rawName, std::string_view files);

  TLoaderUserInterface* ui_ = nullptr;  // only while the loading constructor runs
  bool missingSections_ = false;
  mutable int unreadFiles_ = 0;       // named data files that could not be read, for the load's summary line
  mutable bool outOfMemory_ = false;  // a game file could not be held in memory (see ReadingFile)
  // Game text held of the budget kMaxLoadText: the joined data texts, the game files opened.
  std::size_t joinedText_ = 0;
  mutable std::size_t openedText_ = 0;
  std::size_t TextLeft() const;

 public:
  TJournal* Journal = nullptr;
  std::string SVPath;    // installation folder as the game writes paths, ending in "\"
  std::string DataPath;  // data folder, ending in "\"
  std::string SVMMPath;  // mod manager's folder, empty when not installed
  platform::WindowHandle StatusWindow = 0;
  platform::SharedMemoryHandle StatusMapping = 0;
  TStringList DllList;  // resource libraries relative to SVPath + "exe\"; position i is library i + 1
  int StepCount = 0;
  bool StopLoading = false;
  std::array<std::unique_ptr<TSvIniFile>, IniSlotCount> aIni;
  // The model's fields, writable here: the loader fills them (also through a const TSvData, as references
  // do); whoever only reads is given the SvModel side.
  bool& DataValid = dataValid_;
  TGoodArr& aFaction = aFaction_;
  TFactionArr& aFactionProps = aFactionProps_;
  TGoodArr& aSystem = aSystem_;
  TGoodArr& aBase = aBase_;
  TGoodArr& aGood = aGood_;
  TGoodArr& aSolar = aSolar_;
  TMarketMatrix& aMarket = aMarket_;
  TStringList& MarketGoodNames = marketGoodNames_;  // sorted, duplicates ignored
  TStringList& MarketBaseNames = marketBaseNames_;

  // Installation lookup and resource strings.
  bool getDllList();
  std::string getIdsString(std::string_view Ids);

  // Data-file discovery and joining.
  bool getInitialData();
  bool getDataInis();

  // The names of the loaded INI files by slot (debug page).
  TStringList getIniFileNames() const;

  // Active mods of the mod manager (uSvFunctions_ModNames).
  TStringList getActiveModNames();

  // Opens a game INI file (plain or binary) named as the game writes paths, resolved on disk. A file
  // that does not exist or cannot be read gives an empty object with Loaded False that every reader can
  // use, and is journaled with the reason; a binary file that decodes only in part is journaled with its
  // path. So is a file whose parse would pass what the load's text budget has left; what a file read
  // costs counts as held from then on (see ReleaseGameIni).
  std::unique_ptr<TSvIniFile> OpenGameIni(std::string_view gamePath) const;
  // Frees an object of OpenGameIni before the load ends, giving its cost back to the budget.
  void ReleaseGameIni(std::unique_ptr<TSvIniFile>& ini) const;

  // Progress posts of the loader. PostStep: minimum 0, maximum 60, position StepCount. PostItem: the
  // empty per-item post of a loop; posts are spaced out in time (the first two positions and the last
  // always go), and a range beyond 16 bits is scaled down, so a long loop neither floods the window nor
  // overflows.
  void PostStep(std::string_view text, unsigned flags = psAddToStartupLog);
  void PostStatus(std::string_view text, int min, int max, int position, unsigned flags);
  void PostItem(int min, int max, int position);

 private:
  // One reorganisation phase of getDataInis: the joined text as scratch object, a fresh target slot.
  void reorganise(std::string_view kind, LineBuffer& text, int slot,
                  const std::function<void(TSvIniFile& temp, TSvIniFile& target)>& fill);
  // Runs read, which reads the game file gamePath. When it cannot allocate, the file is journaled at level
  // 6 and the std::bad_alloc passes on, ending the step (and the load) that read it.
  void ReadingFile(std::string_view gamePath, const std::function<void()>& read) const;
  // A named data file that was not read: a level-5 journal line with its game path and the reason, and
  // one more for the summary line at the end of the load.
  void NotRead(std::string_view gamePath, std::string_view reason) const;
  // Journal lines of the model (nothing without a journal).
  void JournalLine(std::string_view text, std::uint8_t level) const;
  template <typename... Args>
  void JournalFmt(std::string_view format, std::uint8_t level, const Args&... args) const {
    if (Journal) JournalLine(Format(format, args...), level);
  }

  // The string tables of the resource libraries, read once per model and kept, instead of loading a library
  // for every lookup: a load looks up thousands of names and info texts. Nothing stays locked meanwhile,
  // the files are read whole and closed.
  platform::KeyedHashMap<std::string> resourceFiles_;               // GameFileKey by lower-case game path
  platform::KeyedHashMap<platform::PeStringTable> resourceTables_;  // by GameFileKey
  std::int64_t lastItemPost_ = 0;  // steady-clock microseconds of the last per-item post
};

}  // namespace qmz
