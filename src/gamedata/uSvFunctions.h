#pragma once
// The game-data model: one record type for every entity kind, the faction properties, the base x good
// market matrix, the list tags and the constant name tables; and TSvData, which loads an installation
// into them and answers the main window's queries. The data layer never shows UI: the loader reports
// through the run journal and the progress channel only.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/PeStringTable.h"
#include "platform/SharedMemory.h"
#include "platform/WindowMessages.h"
#include "support/Classes.h"
#include "support/SysUtils.h"

namespace qmz {

class TJournal;
class TLoaderUserInterface;
class TSvIniFile;

// A text field of a model record. The records hold at most 255 characters per text, and the lists
// and dialogs that show them rely on that bound, so every assignment cuts a longer text there.
class TShortString {
 public:
  static constexpr std::size_t MaxChars = 255;

  TShortString() = default;
  TShortString(const char* s) : s_(CutUtf8(s ? s : "", MaxChars)) {}         // NOLINT(google-explicit-constructor)
  TShortString(std::string_view s) : s_(CutUtf8(s, MaxChars)) {}             // NOLINT(google-explicit-constructor)
  TShortString(const std::string& s) : s_(CutUtf8(s, MaxChars)) {}           // NOLINT(google-explicit-constructor)
  TShortString& operator=(const char* s) { s_ = CutUtf8(s ? s : "", MaxChars); return *this; }
  TShortString& operator=(std::string_view s) { s_ = CutUtf8(s, MaxChars); return *this; }
  TShortString& operator=(const std::string& s) { s_ = CutUtf8(s, MaxChars); return *this; }

  const std::string& str() const { return s_; }
  operator const std::string&() const { return s_; }  // NOLINT(google-explicit-constructor)
  bool empty() const { return s_.empty(); }
  std::size_t size() const { return s_.size(); }
  const char* c_str() const { return s_.c_str(); }

  friend bool operator==(const TShortString& a, const TShortString& b) { return a.s_ == b.s_; }
  friend bool operator==(const TShortString& a, std::string_view b) { return a.s_ == b; }
  friend bool operator==(const TShortString& a, const char* b) { return a.s_ == std::string_view(b); }

 private:
  std::string s_;
};

// The entity record of every array of the model (factions, systems, bases, goods, solar archetypes).
// A fresh element has every text empty and every number 0.
struct TGood {
  TShortString nickname;
  TShortString ids_name;
  TShortString ids_short_name;
  TShortString name;
  TShortString short_name;
  TShortString ids_info;
  TShortString IniFile;
  std::uint32_t system = 0;
  std::uint32_t faction = 0;
  std::uint8_t category = 0;
  std::uint8_t etype = 0;
  TShortString equipment;
  std::uint32_t units_per_container = 0;
  float decay_per_second = 0.0f;
  std::uint32_t volume = 0;
  double price = 0.0;
  float good_sell_price = 0.0f;
  float good_buy_price = 0.0f;
  float bad_sell_price = 0.0f;
  float bad_buy_price = 0.0f;
  std::uint8_t archetype_type = 0;
};

// Category codes of TGood::category.
enum : std::uint8_t { catNone = 0, catShip = 1, catShipHull = 2, catEquipment = 3, catCommodity = 4 };

// An array of entity records. Element 0 is a dummy; loops run from 1. Besides the vector operations it
// answers nickname lookups from a hash index it keeps itself: built on the first lookup, extended when
// the array grows, and checked again for the last element (the parsers grow an array by one element and
// then fill it). A hit whose element was renamed since rebuilds the index; after renaming elements other
// than the last one in place, call NicknamesChanged before the next lookup.
class TGoodArr {
 public:
  TGoodArr();
  TGoodArr(std::initializer_list<TGood> items);
  TGoodArr(const TGoodArr& other);
  TGoodArr(TGoodArr&& other) noexcept;
  TGoodArr& operator=(const TGoodArr& other);
  TGoodArr& operator=(TGoodArr&& other) noexcept;
  ~TGoodArr();

  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  TGood& operator[](std::size_t i) { return items_[i]; }
  const TGood& operator[](std::size_t i) const { return items_[i]; }
  TGood& at(std::size_t i) { return items_.at(i); }
  const TGood& at(std::size_t i) const { return items_.at(i); }
  TGood& back() { return items_.back(); }
  const TGood& back() const { return items_.back(); }
  std::vector<TGood>::iterator begin() { return items_.begin(); }
  std::vector<TGood>::iterator end() { return items_.end(); }
  std::vector<TGood>::const_iterator begin() const { return items_.begin(); }
  std::vector<TGood>::const_iterator end() const { return items_.end(); }

  // Sizing keeps the existing elements and adds fresh ones, like the dynamic arrays the model was made of.
  // Dropping elements drops the nickname index: elements added later may reuse their indices.
  void resize(std::size_t n) {
    if (n < items_.size()) NicknamesChanged();
    items_.resize(n);
  }
  void reserve(std::size_t n) { items_.reserve(n); }
  void push_back(const TGood& g) { items_.push_back(g); }
  void push_back(TGood&& g) { items_.push_back(std::move(g)); }
  void clear() {
    items_.clear();
    NicknamesChanged();
  }

  // The smallest index from 1 whose nickname, trimmed, equals nickname, trimmed, ignoring case;
  // -1 when none does, when nickname is empty or when there is no element beside the dummy.
  int IndexOfNickname(std::string_view nickname) const;
  void NicknamesChanged() const;

 private:
  struct NicknameIndex;
  NicknameIndex& Index() const;

  std::vector<TGood> items_;
  mutable std::unique_ptr<NicknameIndex> index_;
};

// Properties of one faction, same index as TSvData::aFaction.
struct TFaction {
  TShortString scan_for_cargo;
  TShortString scan_announce;
  TShortString scan_chance;
  bool lawful = false;
};
using TFactionArr = std::vector<TFaction>;

// One base x good cell of the market. A freshly sized cell is all 0; the markets parser gives the cells
// of real bases and goods their defaults (factor 1.0, price = the good's price, reputation -1.0).
struct TMarketCell {
  bool Sold = false;
  float PriceFactor = 0.0f;
  double Price = 0.0;
  float Reputation = 0.0f;
  float Level = 0.0f;
};

// One cell a market line wrote: the good's index and the cell.
struct TMarketEntry {
  std::uint32_t Good = 0;
  TMarketCell Cell;
};

// The market, indexed [base][good] with the indices of aBase and aGood: aMarket[b][g] reads a cell by
// value. Only the cells market lines wrote are stored, per base in good-index order; every other cell
// is computed on reading: the default (not sold, factor 1.0, the good's price, reputation -1.0, level
// 0.0) for a real base x good, all 0 for row 0, column 0 and for bases that never got their defaults
// (those after a stopped load). A large modification names about 100,000 of its 7,000,000 cells.
class TMarketMatrix {
 public:
  // One base's cells, read-only; a view that lives as long as the matrix is not changed.
  class Row {
   public:
    std::size_t size() const { return m_ != nullptr ? m_->RowLength() : 0; }
    TMarketCell operator[](std::size_t good) const;
    // The written cells of this base, in good-index order.
    std::span<const TMarketEntry> Written() const { return written_; }

   private:
    friend class TMarketMatrix;
    Row(const TMarketMatrix* m, std::size_t base, std::span<const TMarketEntry> written)
        : m_(m), base_(base), written_(written) {}
    const TMarketMatrix* m_;
    std::size_t base_;
    std::span<const TMarketEntry> written_;
  };

  // Sizes the market to rows bases and to the goods of goods (their prices give the defaults): every
  // cell 0, no base with defaults yet.
  void Reset(std::size_t rows, const TGoodArr& goods);
  void clear();
  // Gives bases 1 .. base their defaults (the bases before it keep theirs and their written cells).
  void SetDefaults(std::size_t base);
  // Writes a cell of a base that has its defaults. Writing in good order to the last such base
  // appends; any other write is placed into its base's sorted cells (a good written again replaces
  // its cell). Row 0, column 0 and cells outside the market are never written: std::out_of_range.
  void Write(std::size_t base, std::size_t good, const TMarketCell& cell);

  std::size_t size() const { return rows_; }  // number of rows (bases)
  bool empty() const { return rows_ == 0; }
  std::size_t RowLength() const { return prices_.size(); }  // cells per row (goods)
  // A base beyond the market reads as a row of zero cells.
  Row operator[](std::size_t base) const { return Row(this, base, WrittenCells(base)); }
  // The cells market lines wrote for a base, in good-index order: what a route search walks instead of
  // every good. Empty for a base beyond the market.
  std::span<const TMarketEntry> WrittenCells(std::size_t base) const;
  // True when the base's unwritten cells read as the defaults (false: as zero cells).
  bool HasDefaults(std::size_t base) const { return base >= 1 && base < defaulted_; }
  // The default cell of a good at a base that has its defaults.
  TMarketCell DefaultCell(std::size_t good) const { return {false, 1.0f, prices_[good], -1.0f, 0.0f}; }
  // Bytes held, for the benchmarks.
  std::size_t MemoryBytes() const;

 private:
  std::vector<TMarketEntry> entries_;    // the written cells, base after base
  std::vector<std::uint32_t> rowEnd_;    // end in entries_ of bases 0 .. defaulted_-1
  std::vector<double> prices_;           // price of every good, index 0 included
  std::size_t rows_ = 0;
  std::size_t defaulted_ = 1;            // bases 1 .. defaulted_-1 have their defaults
};

// List tags: the object of a list entry or tree node. Kind: 0 plain list entry, 1 base, 2 system,
// 4 anywhere or any commodity, 5 good offered at a base.
class TIndex : public TObject {
 public:
  TIndex() = default;
  TIndex(std::uint32_t index, std::uint8_t kind) : Index(index), Kind(kind) {}
  std::uint32_t Index = 0;
  std::uint8_t Kind = 0;
};

// Tag of a category node of the commodity trees.
class TETyp : public TObject {
 public:
  TETyp() = default;
  explicit TETyp(std::uint8_t etype) : EType(etype) {}
  std::int32_t Index = 0;
  std::uint8_t EType = 0;
};

// Equipment types, indexed by TGood::etype: the display form and the form of the game's equipment INI.
inline constexpr std::array<std::string_view, 18> EquipmentTypeNames = {
    "Unknown", "Commodity", "Shield Generator", "Power", "Engine", "Scanner", "Tractor", "Repair Kit",
    "Shield Battery", "Countermeasure Dropper", "Countermeasure", "Thruster", "Cloaking Device", "Gun",
    "Munition", "Minedropper", "Mine", "Any"};
inline constexpr std::array<std::string_view, 18> EquipmentTypeIniNames = {
    "Unknown", "Commodity", "ShieldGenerator", "Power", "Engine", "Scanner", "Tractor", "Repairkit",
    "Shieldbattery", "Countermeasuredropper", "Countermeasure", "Thruster", "Cloakingdevice", "Gun",
    "Munition", "Minedropper", "Mine", "Any"};
// The solar archetype types that can carry a base (TGood::archetype_type).
inline constexpr std::array<std::string_view, 2> BaseSolarTypes = {"PLANET", "STATION"};

// The loader's INI slots (TSvData::aIni); slot 0 stays empty.
enum TIniSlot : int {
  iniMain = 1, iniFactionProps = 2, iniTemp = 3, iniGoods = 4, iniEquip = 5, iniInitialWorld = 6,
  iniUniverse = 7, iniGroups = 8, iniMarkets = 9, iniSolararch = 10, iniBases = 11, iniShips = 12
};
inline constexpr int IniSlotCount = 13;
// Slot names for journal lines.
inline constexpr std::array<std::string_view, IniSlotCount> IniSlotNames = {
    "", "Starvagant.ini", "Faction_Props", "Temp", "Goods", "Equip", "Initial_World", "Universe", "Groups",
    "Markets", "Solararch", "Bases", "Ships"};

// Flags of a progress post.
enum : unsigned { psAddToStartupLog = 1, psReplaceStartupLine = 2, psEchoToJournal = 4 };

// How many sections of one raw name (any letter case) an INI object read; none when it read no such
// section, which the loader reports instead of walking name1 .. nameN.
std::optional<int> SectionCountOf(const TSvIniFile& ini, std::string_view rawName);

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
class TSvData {
 public:
  // An empty model: no file is read. The journal is not owned; the two handles address the progress
  // channel (0 switches it off).
  explicit TSvData(TJournal* journal = nullptr, platform::WindowHandle statusWindow = 0,
                   platform::SharedMemoryHandle statusMapping = 0);
  ~TSvData();
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
  void placeBases(int system, const TGoodArr& work);
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
  bool DataValid = false;
  TGoodArr aFaction;
  TFactionArr aFactionProps;
  TGoodArr aSystem;
  TGoodArr aBase;
  TGoodArr aGood;
  TGoodArr aSolar;
  TMarketMatrix aMarket;
  TStringList MarketGoodNames;  // sorted, duplicates ignored
  TStringList MarketBaseNames;

  // Installation lookup and resource strings.
  bool getDllList();
  std::string getIdsString(std::string_view Ids);

  // Data-file discovery and joining.
  bool getInitialData();
  bool getDataInis();

  // Model queries. Every list builder returns a new list that owns its TIndex objects.
  int getIndexByNickname(std::string_view Nickname, const TGoodArr& Arr) const;
  TStringList getNameList(const TGoodArr& Arr) const;
  TStringList getNicknameList(const TGoodArr& Arr) const;
  TStringList getRecordInfo(const TGoodArr& Arr, int Index) const;
  TStringList getMarketCsv(int Base, bool OnlySold) const;
  TStringList getBaseGoods(int Base, bool OnlySold) const;
  TStringList getSystemBases(int System) const;
  static int getItemIndexByIndex(const TStringList& List, int Index);
  TStringList getIniFileNames() const;
  TStringList getBaseNames() const { return getNameList(aBase); }
  TStringList getGoodNames() const { return getNameList(aGood); }
  TStringList getGoodNicknames() const { return getNicknameList(aGood); }
  TStringList getFactionNames() const { return getNameList(aFaction); }
  TStringList getFactionNicknames() const { return getNicknameList(aFaction); }
  TStringList getSystemNames() const { return getNameList(aSystem); }
  TStringList getSystemNicknames() const { return getNicknameList(aSystem); }
  TStringList getBaseInfo(int Index) const { return getRecordInfo(aBase, Index); }
  TStringList getGoodInfo(int Index) const { return getRecordInfo(aGood, Index); }
  TStringList getFactionInfo(int Index) const { return getRecordInfo(aFaction, Index); }
  TStringList getSystemInfo(int Index) const { return getRecordInfo(aSystem, Index); }

  // Active mods of the mod manager (uSvFunctions_ModNames).
  TStringList getActiveModNames();

  // Opens a game INI file (plain or binary) named as the game writes paths, resolved on disk. A file
  // that does not exist gives an empty object with Loaded False that every reader can use; a binary
  // file that decodes only in part is journaled with its path.
  std::unique_ptr<TSvIniFile> OpenGameIni(std::string_view gamePath) const;

  // Progress posts of the loader. PostStep: minimum 0, maximum 60, position StepCount. PostItem: the
  // empty per-item post of a loop; posts are spaced out in time (the first two positions and the last
  // always go), and a range beyond 16 bits is scaled down, so a long loop neither floods the window nor
  // overflows.
  void PostStep(std::string_view text, unsigned flags = psAddToStartupLog);
  void PostStatus(std::string_view text, int min, int max, int position, unsigned flags);
  void PostItem(int min, int max, int position);

 private:
  // One reorganisation phase of getDataInis: the joined text as scratch object, a fresh target slot.
  void reorganise(std::string_view kind, TStringList& text, int slot,
                  const std::function<void(TSvIniFile& temp, TSvIniFile& target)>& fill);
  // Journal lines of the model (nothing without a journal).
  void JournalLine(std::string_view text, std::uint8_t level) const;
  template <typename... Args>
  void JournalFmt(std::string_view format, std::uint8_t level, const Args&... args) const {
    if (Journal) JournalLine(Format(format, args...), level);
  }

  std::unordered_map<std::string, platform::PeStringTable> resourceTables_;  // by lower-case game path
  std::int64_t lastItemPost_ = 0;  // steady-clock microseconds of the last per-item post
};

}  // namespace qmz
