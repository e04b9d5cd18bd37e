#include "app/core/uFormMain_Calc.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "app/core/uFormMain_CalcLoop.h"
#include "app/core/uFormMain_Sort.h"
#include "platform/MemoryPages.h"
#include "support/mGlobalFunctions.h"
#include "support/mRunJournal.h"

namespace qmz {

// ---- route list --------------------------------------------------------------------------------------

TRouteList& TRouteList::operator=(TRouteList&& other) noexcept {
  if (this != &other) {
    std::free(items_);
    TradeMode = other.TradeMode;
    MaxCount = other.MaxCount;
    items_ = std::exchange(other.items_, nullptr);
    count_ = std::exchange(other.count_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
  }
  return *this;
}

void TRouteList::Clear() {
  std::free(items_);
  items_ = nullptr;
  count_ = 0;
  capacity_ = 0;
}

void TRouteList::Clear(const std::function<void()>& Between, std::size_t SliceRecords) {
  TRouteRecord* items = std::exchange(items_, nullptr);
  const std::size_t count = std::exchange(count_, 0);
  capacity_ = 0;
  const std::size_t slice = std::max<std::size_t>(SliceRecords, 1);
  // Only the written records hold pages; the rest of the block goes with free at no cost.
  for (std::size_t at = 0; at + slice < count; at += slice) {
    platform::DiscardPages(items + at, slice * sizeof(TRouteRecord));
    if (Between) Between();
  }
  std::free(items);
}

void TRouteList::Resize(std::size_t n) {
  if (n > MaxCount) throw std::bad_alloc();
  if (n > capacity_) {
    void* p = std::realloc(items_, std::max<std::size_t>(n, 1) * sizeof(TRouteRecord));
    if (p == nullptr) throw std::bad_alloc();
    items_ = static_cast<TRouteRecord*>(p);
    capacity_ = std::max<std::size_t>(n, 1);
  }
  count_ = n;
}

void TRouteList::Grow(std::size_t atLeast) {
  if (atLeast > MaxCount) throw std::bad_alloc();
  std::size_t n = std::max<std::size_t>({atLeast, capacity_ + capacity_ / 2, 1024});
  n = std::min(n, MaxCount);
  void* p = std::realloc(items_, n * sizeof(TRouteRecord));
  if (p == nullptr) throw std::bad_alloc();
  items_ = static_cast<TRouteRecord*>(p);
  capacity_ = n;
}

// ---- fields of a route ---------------------------------------------------------------------------------

namespace {

const TGood* At(const TGoodArr& arr, std::size_t i) { return i < arr.size() ? &arr[i] : nullptr; }

const TMarketCell* Cell(const SvModel& d, std::size_t base, std::size_t good) {
  if (base >= d.aMarket.size() || good >= d.aMarket.RowLength()) return nullptr;
  return &d.aMarket[base][good];
}

bool FactionLawful(const SvModel& d, std::uint32_t faction) {
  return faction < d.aFactionProps.size() && d.aFactionProps[faction].lawful;
}

}  // namespace

bool TruncPrice(double Price, std::uint32_t& Out) {
  const double t = std::trunc(Price);
  if (!(t >= 0.0 && t <= 4294967295.0)) return false;  // also false for NaN
  Out = std::uint32_t(t);
  return true;
}

std::uint8_t RouteGoodType(const SvModel& Data, const TRouteRecord& R) {
  const TGood* g = At(Data.aGood, R.Commodity);
  return g ? g->etype : 0;
}
std::uint32_t RouteFromSystem(const SvModel& Data, const TRouteRecord& R) {
  const TGood* b = At(Data.aBase, R.FromBase);
  return b ? b->system : 0;
}
std::uint32_t RouteToSystem(const SvModel& Data, const TRouteRecord& R) {
  const TGood* b = At(Data.aBase, R.ToBase);
  return b ? b->system : 0;
}
double RouteBuyPrice(const SvModel& Data, const TRouteList& List, const TRouteRecord& R) {
  const TMarketCell* c = Cell(Data, R.FromBase, R.Commodity);
  std::uint32_t v = 0;
  return List.TradeMode && c && TruncPrice(c->Price, v) ? double(v) : 0.0;
}
double RouteSellPrice(const SvModel& Data, const TRouteRecord& R) {
  const TMarketCell* c = Cell(Data, R.ToBase, R.Commodity);
  std::uint32_t v = 0;
  return c && TruncPrice(c->Price, v) ? double(v) : 0.0;
}
float RouteReputation(const SvModel& Data, const TRouteRecord& R) {
  const TMarketCell* c = Cell(Data, R.FromBase, R.Commodity);
  return c ? c->Reputation : 0.0f;
}
float RouteLevel(const SvModel& Data, const TRouteRecord& R) {
  const TMarketCell* c = Cell(Data, R.FromBase, R.Commodity);
  return c ? c->Level : 0.0f;
}
float RouteDecay(const SvModel& Data, const TRouteRecord& R) {
  const TGood* g = At(Data.aGood, R.Commodity);
  return g ? g->decay_per_second : 0.0f;
}
std::uint32_t RouteVolume(const SvModel& Data, const TRouteRecord& R) {
  const TGood* g = At(Data.aGood, R.Commodity);
  return g ? g->volume : 0;
}
std::uint32_t RouteFromFaction(const SvModel& Data, const TRouteRecord& R) {
  const TGood* b = At(Data.aBase, R.FromBase);
  return b ? b->faction : 0;
}
std::uint32_t RouteToFaction(const SvModel& Data, const TRouteRecord& R) {
  const TGood* b = At(Data.aBase, R.ToBase);
  return b ? b->faction : 0;
}
bool RouteLawful(const SvModel& Data, const TRouteList& List, const TRouteRecord& R) {
  const bool to = FactionLawful(Data, RouteToFaction(Data, R));
  return List.TradeMode ? to && FactionLawful(Data, RouteFromFaction(Data, R)) : to;
}

// ---- index arrays ---------------------------------------------------------------------------------------

namespace {

// Gauge-only posts of a loop, spaced out in time.
class GaugePoster {
 public:
  explicit GaugePoster(TCalcHooks& hooks) : hooks_(hooks) {}
  void Post(std::uint32_t min, std::uint32_t max, std::uint32_t position) {
    if (timer_.Due()) hooks_.Status("", min, max, position);
  }

 private:
  TCalcHooks& hooks_;
  TPumpTimer timer_;
};

std::uint32_t LastIndex(std::size_t count) { return std::uint32_t(count) - 1; }  // -1 wraps, as the window's

bool ValidBase(const SvModel& d, std::size_t b) { return b >= 1 && b < d.aBase.size() && b < d.aMarket.size(); }

}  // namespace

std::vector<std::int32_t> BuildPlaceIndexes(const SvModel& Data, std::span<const TIndex> Items, TCalcHooks& Hooks) {
  std::vector<std::int32_t> out;
  std::vector<bool> seen(Data.aBase.size());
  auto add = [&](std::size_t b) {
    if (!ValidBase(Data, b) || seen[b]) return;
    seen[b] = true;
    out.push_back(std::int32_t(b));
  };
  GaugePoster gauge(Hooks);
  const std::uint32_t n = LastIndex(Items.size());
  for (std::size_t i = 0; i < Items.size(); ++i) {
    gauge.Post(0, n, std::uint32_t(i));
    const TIndex& tag = Items[i];
    if (tag.Kind == 1) {
      add(tag.Index);
    } else if (tag.Kind == 2) {
      for (std::size_t b = 1; b < Data.aBase.size(); ++b)
        if (Data.aBase[b].system == tag.Index) add(b);
    } else if (tag.Kind == 4) {
      // "Anywhere" stands for every base, whatever was listed before it.
      out.clear();
      std::fill(seen.begin(), seen.end(), false);
      for (std::size_t b = 1; b < Data.aBase.size(); ++b) add(b);
      break;
    }
  }
  return out;
}

std::vector<std::int32_t> BuildCommodityIndexes(const SvModel& Data, std::span<const TIndex> Items, TCalcHooks& Hooks) {
  std::vector<std::int32_t> out;
  const std::size_t goods = std::min(Data.aGood.size(), Data.aMarket.RowLength());
  GaugePoster gauge(Hooks);
  const bool any = std::any_of(Items.begin(), Items.end(), [](const TIndex& t) { return t.Kind == 4; });
  if (any) {
    const std::uint32_t m = LastIndex(Data.aGood.size());
    for (std::size_t g = 0; g < goods; ++g) {
      gauge.Post(0, m, std::uint32_t(g));
      out.push_back(std::int32_t(g));
    }
    return out;
  }
  std::vector<bool> seen(goods);
  const std::uint32_t n = LastIndex(Items.size());
  for (std::size_t i = 0; i < Items.size(); ++i) {
    gauge.Post(0, n, std::uint32_t(i));
    const std::size_t g = Items[i].Index;
    if (g >= goods || seen[g]) continue;
    seen[g] = true;
    out.push_back(std::int32_t(g));
  }
  return out;
}

void SoldCommodityPositions(const SvModel& Data, std::int32_t From, std::span<const std::int32_t> PositionOfGood,
                            std::vector<TSoldGood>& Out) {
  Out.clear();
  for (const TMarketEntry& e : Data.aMarket.WrittenCells(std::size_t(From))) {
    if (!e.Cell.Sold || e.Good >= PositionOfGood.size() || PositionOfGood[e.Good] < 0) continue;
    Out.push_back({std::uint32_t(PositionOfGood[e.Good]), e.Cell.Price});
  }
  // Written cells come in good order; the chosen goods may stand in another.
  if (!std::is_sorted(Out.begin(), Out.end(),
                      [](const TSoldGood& a, const TSoldGood& b) { return a.Position < b.Position; }))
    std::sort(Out.begin(), Out.end(), [](const TSoldGood& a, const TSoldGood& b) { return a.Position < b.Position; });
}

std::string OutOfMemoryText(std::size_t Routes) {
  return Format("Out of memory - the calculation ended after %d routes; these are shown.", std::uint64_t(Routes));
}

// ---- the calculation -----------------------------------------------------------------------------------

namespace {

struct ClearIndexArrays {
  TCalcWork& w;
  ~ClearIndexArrays() {
    w.FFromBases = {};
    w.FToBases = {};
    w.FCommodities = {};
  }
};

}  // namespace

TCalcEnd FindRoutes(const SvModel& Data, const TCalcSelection& Selection, TCalcWork& Work, TCalcHooks& Hooks,
                    TJournal* Journal) {
  // The routes of the calculation before may fill gigabytes, which take a while to give back.
  TPumpTimer timer;
  Work.FRoutes.Clear([&] {
    if (timer.Due()) Hooks.ProcessMessages();
  });
  Work.FRoutes.TradeMode = Selection.TradeMode;
  Work.FFromBases.clear();
  Work.FToBases.clear();
  Work.FCommodities.clear();
  Work.FSortCalls = 0;

  if (Selection.TradeMode) {
    Log("Building FROM List", jlInfo, Journal);
    Hooks.Status("Building List of Origin Bases...", 0, LastIndex(Selection.Origins.size()), 0);
    Work.FFromBases = BuildPlaceIndexes(Data, Selection.Origins, Hooks);
  } else {
    Work.FFromBases = {0};  // the dummy base: loot mode's single origin
  }
  Hooks.Status("Building List of Destination Bases...", 0, LastIndex(Selection.Destinations.size()), 0);
  Log("Building TO List", jlInfo, Journal);
  Work.FToBases = BuildPlaceIndexes(Data, Selection.Destinations, Hooks);
  Log("Building Commo List", jlInfo, Journal);
  Hooks.Status("Building List of commodities...", 0, LastIndex(Selection.Commodities.size()), 0);
  Work.FCommodities = BuildCommodityIndexes(Data, Selection.Commodities, Hooks);

  Log("Start calculation", jlInfo, Journal);
  Hooks.Status("Starting calculation (please stay calm and get yourself a coffee..)", 0, 0, 0);
  Hooks.ProcessMessages();
  if (Hooks.StopRequested()) return TCalcEnd::Stopped;

  try {
    return RunCalculationLoop(Data, Work, Hooks, Journal, Selection.TradeMode);
  } catch (const std::bad_alloc&) {
    // One clear line instead of one per remaining combination; what was found is sorted and shown.
    const std::string text = OutOfMemoryText(Work.FRoutes.Count());
    Log(text, jlError, Journal);
    Hooks.Status(text, 0, 1, 0);
    return TCalcEnd::OutOfMemory;
  }
}

void SortProgress(TCalcHooks& Hooks, std::uint64_t Calls) {
  Hooks.Status("", 0, 2147483647u, std::uint32_t(std::min<std::uint64_t>(Calls, 2147483647u)));
  Hooks.ProcessMessages();
}

void SortFoundRoutes(std::size_t Count, TCalcHooks& Hooks, TJournal* Journal,
                     const std::function<void(std::int64_t Lo, std::int64_t Hi)>& Sort) {
  LogFmt("Finished Calculation - Start sorting routes (%d)", {std::uint64_t(Count)}, jlInfo, Journal);
  Hooks.Status("Sorting the Routes - this can take a while - I hope you got your coffee", 0,
               std::uint32_t(std::min<std::size_t>(Count == 0 ? 0 : Count - 1, 2147483647u)), 0);
  // The gauge moves, and the window's events are processed, about every 15 ms (SortProgress): a sort of
  // tens of millions of routes takes seconds, and a Stop click must reach the window as a stop request
  // then, not be queued until the sort is over and start a new calculation. The first round comes before
  // it starts: the calculation's last may be a whole interval back.
  // The sort itself always completes. A stop asked for now comes after the last destination, and the
  // running calculation sees a request only at its next check, at the start of an origin or a
  // destination: none is left. So the closing steps show every route, sorted; the stop only leaves
  // Calculate as it was.
  Hooks.ProcessMessages();
  Sort(0, std::int64_t(Count) - 1);
  LogFmt("Finished Sorting (%d)", {std::uint64_t(Count)}, jlInfo, Journal);
  Hooks.Status("Finished calculating", 0, 1, 0);
  Hooks.Status("Finished parsing - printing routes", 0, 1, 0);
}

void SortFoundRoutes(TCalcWork& Work, TCalcHooks& Hooks, TJournal* Journal) {
  SortFoundRoutes(Work.FRoutes.Count(), Hooks, Journal, [&](std::int64_t Lo, std::int64_t Hi) {
    Work.FSortCalls = SortRoutes(Work.FRoutes, Lo, Hi, std::bind_front(&SortProgress, std::ref(Hooks)));
  });
}

TCalcEnd CalculateRoutes(const SvModel& Data, const TCalcSelection& Selection, TCalcWork& Work, TCalcHooks& Hooks,
                         TJournal* Journal) {
  ClearIndexArrays clear{Work};
  const TCalcEnd end = FindRoutes(Data, Selection, Work, Hooks, Journal);
  if (end != TCalcEnd::Stopped) SortFoundRoutes(Work, Hooks, Journal);
  return end;
}

}  // namespace qmz
