#pragma once
// The game-data model as the windows see it: one record type for every entity kind, the faction
// properties, the base x good market matrix, the list tags, the constant name tables, and SvModel, the
// read-only side of TSvData with the queries. The loader's steps are in uSvFunctions.h.

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "support/Classes.h"
#include "support/SysUtils.h"

namespace qmz {

// A text field of a model record. The records hold at most 255 characters per text, and the lists
// and dialogs that show them rely on that bound, so every assignment cuts a longer text there.
class TShortString {
 public:
  static constexpr std::size_t MaxChars = 255;

  TShortString() = default;
  TShortString(const char* s) : s_(CutUtf8(s ? s : "", MaxChars)) {}  // NOLINT(google-explicit-constructor)
  TShortString(std::string_view s) : s_(CutUtf8(s, MaxChars)) {}      // NOLINT(google-explicit-constructor)
  TShortString(const std::string& s) : s_(CutUtf8(s, MaxChars)) {}    // NOLINT(google-explicit-constructor)
  TShortString& operator=(const char* s) {
    s_ = CutUtf8(s ? s : "", MaxChars);
    return *this;
  }
  TShortString& operator=(std::string_view s) {
    s_ = CutUtf8(s, MaxChars);
    return *this;
  }
  TShortString& operator=(const std::string& s) {
    s_ = CutUtf8(s, MaxChars);
    return *this;
  }

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

class TMarketMatrix;

// One base's cells of the market, indexed by good, read-only: a view that lives as long as the matrix is
// not changed. A good beyond the row reads as a zero cell.
class TMarketRow {
 public:
  std::size_t size() const;
  const TMarketCell& operator[](std::size_t good) const;
  // The written cells of this base, in good-index order.
  std::span<const TMarketEntry> Written() const { return written_; }

 private:
  friend class TMarketMatrix;
  TMarketRow(const TMarketMatrix* m, std::size_t base, std::span<const TMarketEntry> written)
      : m_(m), base_(base), written_(written) {}
  const TMarketMatrix* m_;
  std::size_t base_;
  std::span<const TMarketEntry> written_;
};

// The market, indexed [base][good] with the indices of aBase and aGood: aMarket[b] is the base's
// TMarketRow, aMarket[b][g] reads a cell (a reference that stays valid while the market is not written).
// Only the cells market lines wrote are stored, per base in good-index order; every other cell reads as
// the default (not sold, factor 1.0, the good's price, reputation -1.0, level 0.0) for a real base x good,
// all 0 for row 0, column 0 and for bases that never got their defaults (those after a stopped load). A
// large modification names about 100,000 of its 7,000,000 cells: a full matrix of rows would hold them all.
class TMarketMatrix {
 public:
  // Sizes the market to rows bases and to the goods of goods (their prices make the defaults): every
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
  std::size_t RowLength() const { return defaults_.size(); }  // cells per row (goods)
  // A base beyond the market reads as a row of zero cells.
  TMarketRow operator[](std::size_t base) const { return TMarketRow(this, base, WrittenCells(base)); }
  // The cells market lines wrote for a base, in good-index order: what a route search walks instead of
  // every good. Empty for a base beyond the market.
  std::span<const TMarketEntry> WrittenCells(std::size_t base) const;
  // True when the base's unwritten cells read as the defaults (false: as zero cells).
  bool HasDefaults(std::size_t base) const { return base >= 1 && base < defaulted_; }
  // The default cell of a good at a base that has its defaults.
  const TMarketCell& DefaultCell(std::size_t good) const { return defaults_[good]; }

 private:
  std::vector<TMarketEntry> entries_;  // the written cells, base after base
  std::vector<std::uint32_t> rowEnd_;  // end in entries_ of bases 0 .. defaulted_-1
  std::vector<TMarketCell> defaults_;  // default cell of every good; index 0 is a zero cell
  std::size_t rows_ = 0;
  std::size_t defaulted_ = 1;  // bases 1 .. defaulted_-1 have their defaults
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
inline constexpr std::array<std::string_view, 18> EquipmentTypeNames = {"Unknown",
                                                                        "Commodity",
                                                                        "Shield Generator",
                                                                        "Power",
                                                                        "Engine",
                                                                        "Scanner",
                                                                        "Tractor",
                                                                        "Repair Kit",
                                                                        "Shield Battery",
                                                                        "Countermeasure Dropper",
                                                                        "Countermeasure",
                                                                        "Thruster",
                                                                        "Cloaking Device",
                                                                        "Gun",
                                                                        "Munition",
                                                                        "Minedropper",
                                                                        "Mine",
                                                                        "Any"};
inline constexpr std::array<std::string_view, 18> EquipmentTypeIniNames = {"Unknown",
                                                                           "Commodity",
                                                                           "ShieldGenerator",
                                                                           "Power",
                                                                           "Engine",
                                                                           "Scanner",
                                                                           "Tractor",
                                                                           "Repairkit",
                                                                           "Shieldbattery",
                                                                           "Countermeasuredropper",
                                                                           "Countermeasure",
                                                                           "Thruster",
                                                                           "Cloakingdevice",
                                                                           "Gun",
                                                                           "Munition",
                                                                           "Minedropper",
                                                                           "Mine",
                                                                           "Any"};
// The solar archetype types that can carry a base (TGood::archetype_type).
inline constexpr std::array<std::string_view, 2> BaseSolarTypes = {"PLANET", "STATION"};

// The model as the windows see it: the arrays, the market and the name lists, all read-only, and the
// queries over them. TSvData, the loader, derives from it and fills it; the windows are given this side.
// How the model writes numbers: '.' as the decimal mark and no thousands separator, whatever the user's
// locale, so its record dumps read the same on every machine.
struct NumberFormat {
  char DecimalSeparator = '.';
  char ThousandSeparator = '\0';  // none
};

class SvModel {
 private:
  bool dataValid_ = false;
  TGoodArr aFaction_;
  TFactionArr aFactionProps_;
  TGoodArr aSystem_;
  TGoodArr aBase_;
  TGoodArr aGood_;
  TGoodArr aSolar_;
  TMarketMatrix aMarket_;
  TStringList marketGoodNames_;
  TStringList marketBaseNames_;

  friend class TSvData;
  friend struct SvModelTestAccess;  // tests that build a model by hand (tests/util/SvModelTestAccess.h)

 public:
  SvModel();  // an empty model
  virtual ~SvModel();
  SvModel(const SvModel&) = delete;
  SvModel& operator=(const SvModel&) = delete;

  const bool& DataValid = dataValid_;
  const TGoodArr& aFaction = aFaction_;
  const TFactionArr& aFactionProps = aFactionProps_;
  const TGoodArr& aSystem = aSystem_;
  const TGoodArr& aBase = aBase_;
  const TGoodArr& aGood = aGood_;
  const TGoodArr& aSolar = aSolar_;
  const TMarketMatrix& aMarket = aMarket_;
  const TStringList& MarketGoodNames = marketGoodNames_;  // sorted, duplicates ignored
  const TStringList& MarketBaseNames = marketBaseNames_;
  // The number format of the record dumps (getRecordInfo). TSvData keeps it as built; one who wants the
  // dumps otherwise may change it.
  NumberFormat FormatSettings;

  // Model queries. Every list builder returns a new list that owns its TIndex objects.
  int getIndexByNickname(std::string_view Nickname, const TGoodArr& Arr) const;
  TStringList getNameList(const TGoodArr& Arr) const;
  TStringList getNicknameList(const TGoodArr& Arr) const;
  TStringList getRecordInfo(const TGoodArr& Arr, int Index) const;
  TStringList getMarketCsv(int Base, bool OnlySold) const;
  TStringList getBaseGoods(int Base, bool OnlySold) const;
  TStringList getSystemBases(int System) const;
  static int getItemIndexByIndex(const TStringList& List, int Index);
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
};

}  // namespace qmz
