#pragma once
// The route calculation of the main window without the window: the route record and list, the three
// index arrays built from the chosen lists, and the loop over origin x destination x good. The window
// reaches the user through TCalcHooks (status bar, message pump, stop flag), so the calculation runs in
// tests and benchmarks alike.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "gamedata/uSvFunctions_Model.h"

namespace qmz {

class TJournal;

// One profitable origin-destination-good combination. Only what the model cannot give back is stored:
// four fields (16 bytes a route) instead of sixteen, so tens of millions of routes fit in memory.
// The other twelve (type, systems, prices, reputation, level, decay, volume, factions, the lawful flag)
// are read from the model, which does not change after loading, through the Route* functions: the same
// values the record would have held.
struct TRouteRecord {
  std::uint32_t Profit;     // sell price - buy price of one unit, whole credits, at least 1: the sort key
  std::uint32_t Commodity;  // index into aGood
  std::uint32_t FromBase;   // index into aBase; 0 (the dummy base) in loot mode
  std::uint32_t ToBase;     // index into aBase
};
static_assert(sizeof(TRouteRecord) == 16);

// The main window's route list: the records of one calculation and its mode. Storage grows with
// realloc, which moves large blocks by remapping pages instead of copying tens of millions of records.
class TRouteList {
 public:
  TRouteList() = default;
  TRouteList(const TRouteList&) = delete;
  TRouteList& operator=(const TRouteList&) = delete;
  TRouteList& operator=(TRouteList&& other) noexcept;
  ~TRouteList() { std::free(items_); }

  std::size_t Count() const { return count_; }
  bool Empty() const { return count_ == 0; }
  TRouteRecord& operator[](std::size_t i) { return items_[i]; }
  const TRouteRecord& operator[](std::size_t i) const { return items_[i]; }
  TRouteRecord* Data() { return items_; }
  const TRouteRecord* Data() const { return items_; }
  // Throws std::bad_alloc when the list cannot grow; the records so far stay.
  void Add(const TRouteRecord& r) {
    if (count_ == capacity_) Grow(count_ + 1);
    items_[count_++] = r;
  }
  void Reserve(std::size_t n) {
    if (n > capacity_) Grow(n);
  }
  void Clear();  // also gives the memory back
  // Clear, giving the memory back SliceRecords records at a time with Between() after each slice: tens
  // of millions of records take longer to give back than the window may go without its message pump.
  // The list is empty already when Between first runs.
  void Clear(const std::function<void()>& Between, std::size_t SliceRecords = std::size_t(1) << 21);
  // Exactly n records, those beyond the old count uninitialised (for writers that fill known slots).
  void Resize(std::size_t n);

  bool TradeMode = true;  // loot mode: every route starts at the dummy base 0 with buy price 0
  // Growing beyond this many records fails as when memory runs out (lets the tests reach that case).
  std::size_t MaxCount = std::size_t(-1) / sizeof(TRouteRecord) / 2;

 private:
  void Grow(std::size_t atLeast);
  TRouteRecord* items_ = nullptr;
  std::size_t count_ = 0;
  std::size_t capacity_ = 0;
};

// The fields of a route that the model holds. Indices outside the model's arrays read as 0, empty or false.
std::uint8_t RouteGoodType(const SvModel& Data, const TRouteRecord& R);
std::uint32_t RouteFromSystem(const SvModel& Data, const TRouteRecord& R);
std::uint32_t RouteToSystem(const SvModel& Data, const TRouteRecord& R);
double RouteBuyPrice(const SvModel& Data, const TRouteList& List, const TRouteRecord& R);
double RouteSellPrice(const SvModel& Data, const TRouteRecord& R);
float RouteReputation(const SvModel& Data, const TRouteRecord& R);
float RouteLevel(const SvModel& Data, const TRouteRecord& R);
float RouteDecay(const SvModel& Data, const TRouteRecord& R);
std::uint32_t RouteVolume(const SvModel& Data, const TRouteRecord& R);
std::uint32_t RouteFromFaction(const SvModel& Data, const TRouteRecord& R);
std::uint32_t RouteToFaction(const SvModel& Data, const TRouteRecord& R);
bool RouteLawful(const SvModel& Data, const TRouteList& List, const TRouteRecord& R);

// A market price cut to a whole number, as the calculation does; false when the cut value is outside
// 0 .. 4,294,967,295 (or not a number), which the calculation journals and skips.
bool TruncPrice(double Price, std::uint32_t& Out);

// What the calculation, sort and display need of the window. Every call comes from the thread that
// runs the calculation.
class TCalcHooks {
 public:
  virtual ~TCalcHooks() = default;
  // TformMain::SetStatus without start-up line, replacement or journal echo. Values above
  // 2,147,483,647 make SetStatus do nothing, as there.
  virtual void Status(std::string_view /*Text*/, std::uint32_t /*Min*/, std::uint32_t /*Max*/,
                      std::uint32_t /*Position*/) {}
  // Processes the pending events of the window (where a Stop click arrives).
  virtual void ProcessMessages() {}
  // TformMain::GetStopRequested.
  virtual bool StopRequested() { return false; }
};

// Spaces the message pump and gauge-only status posts out in time: a long loop asks Due() as often as
// it likes and pumps only about every Interval, so neither the window freezes nor the pump dominates.
class TPumpTimer {
 public:
  static constexpr std::chrono::milliseconds Interval{15};
  TPumpTimer() : last_(std::chrono::steady_clock::now()) {}
  bool Due() {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < Interval) return false;
    last_ = now;
    return true;
  }

 private:
  std::chrono::steady_clock::time_point last_;
};

// The user's selection: the tags of lbOrigin, lbDestination and lbCommo, in list order.
struct TCalcSelection {
  bool TradeMode = true;  // btFuncTrade down
  std::vector<TIndex> Origins;
  std::vector<TIndex> Destinations;
  std::vector<TIndex> Commodities;
};

// The working state the main window keeps for a calculation (the fields of the same names).
struct TCalcWork {
  std::vector<std::int32_t> FFromBases;
  std::vector<std::int32_t> FToBases;
  std::vector<std::int32_t> FCommodities;
  TRouteList FRoutes;
  std::uint64_t FSortCalls = 0;
};

// The place list of one chosen list: a base gives itself, a system its bases in base order, "Anywhere"
// every base (replacing what came before; the scan ends there). Each base counts once, at its first
// place, so a base and its own system give no duplicate routes; indices outside the model are left out.
// Gauge posts (empty text, 0, Count - 1, i) for the items.
std::vector<std::int32_t> BuildPlaceIndexes(const SvModel& Data, std::span<const TIndex> Items, TCalcHooks& Hooks);
// The goods of lbCommo: the any-commodity entry (Kind 4), wherever it stands, gives every good index
// 0 .. length of aGood - 1; otherwise every item's Index once, in list order.
std::vector<std::int32_t> BuildCommodityIndexes(const SvModel& Data, std::span<const TIndex> Items, TCalcHooks& Hooks);

enum class TCalcEnd { Finished, Stopped, OutOfMemory };

// The text shown and journaled when the route list cannot grow any more.
std::string OutOfMemoryText(std::size_t Routes);

// The calculation from the index arrays to the sorted route list (the steps between the check of the
// chosen lists and the closing steps of btCalculateClick), with its journal and status lines. Work's
// arrays and routes are emptied first; the three arrays are empty again when it returns. Stopped: the
// routes found so far stay unsorted. OutOfMemory: the routes found so far, sorted, and OutOfMemoryText
// in the journal (level 6) and the status bar; the window shows the message.
TCalcEnd CalculateRoutes(const SvModel& Data, const TCalcSelection& Selection, TCalcWork& Work, TCalcHooks& Hooks,
                         TJournal* Journal);
// Its two halves: finding the routes (the arrays stay filled; Work.FRoutes unsorted) and sorting them
// with the journal and status lines around the sort. During the sort the gauge moves and the message
// pump runs about every 15 ms (the sort always completes; the window must not touch FRoutes meanwhile).
TCalcEnd FindRoutes(const SvModel& Data, const TCalcSelection& Selection, TCalcWork& Work, TCalcHooks& Hooks,
                    TJournal* Journal);
void SortFoundRoutes(TCalcWork& Work, TCalcHooks& Hooks, TJournal* Journal);
// The same lines around Sort (0, Count - 1), which sorts the Count routes found (the window's SortRoutes);
// Hooks' pump runs once before it.
void SortFoundRoutes(std::size_t Count, TCalcHooks& Hooks, TJournal* Journal,
                     const std::function<void(std::int64_t Lo, std::int64_t Hi)>& Sort);
// The progress of a sort of the calculation: the gauge moves (its maximum kept) and the pump runs.
void SortProgress(TCalcHooks& Hooks, std::uint64_t Calls);

// The goods sold at base From, as positions into Commodities in its order, with their prices there.
// Read from the cells the market lines wrote for the base (an unwritten cell is never sold), so an
// origin costs its written cells, not every good. PositionOfGood maps a good index to its position in
// Commodities, -1 when it is not there.
struct TSoldGood {
  std::uint32_t Position;
  double Price;
};
void SoldCommodityPositions(const SvModel& Data, std::int32_t From, std::span<const std::int32_t> PositionOfGood,
                            std::vector<TSoldGood>& Out);

}  // namespace qmz
