#include "app/core/uFormMain_CalcLoop.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <new>
#include <thread>
#include <vector>

#include "support/mGlobalFunctions.h"
#include "support/WorkerThreads.h"
#include "support/mRunJournal.h"

namespace qmz {

namespace {

constexpr std::string_view kPriceError = "From: %d  To: %d  Commo: %d CommoB: %d - Zeile %d";

// What one origin needs while its routes are worked out; one per thread.
struct Scratch {
  std::vector<TSoldGood> soldGoods;    // trade mode: the goods sold at the origin with their prices
  std::vector<std::uint32_t> sold;     // positions into the goods array sold at the origin
  std::vector<std::uint32_t> buy;      // per sold position
  std::vector<std::uint8_t> buyBad;    // per sold position: the buy price does not fit
  std::vector<std::uint32_t> profits;  // destination-major: profit of [destination][sold position], 0 none
  bool exact = false;                  // a bad price somewhere: the combination-by-combination path
};

// The market read once into the form the loop wants, and the per-origin steps.
class Loop {
 public:
  Loop(const SvModel& d, const TCalcWork& w, bool trade) : d_(d), w_(w), trade_(trade) {
    nTo_ = w.FToBases.size();
    nK_ = w.FCommodities.size();
    // Every cell is written by BuildSellTable; no time is spent clearing tens of megabytes first.
    sell_.reset(new std::uint32_t[nK_ * nTo_]);
    sellBad_.reset(new std::uint8_t[nK_ * nTo_]);
    sellBadGood_.assign(nK_, 0);
    positionOfGood_.assign(d.aMarket.RowLength(), -1);
    defaultSell_.assign(nK_, 0);
    defaultBad_.assign(nK_, 0);
    for (std::size_t k = 0; k < nK_; ++k) {
      const std::size_t g = std::size_t(w.FCommodities[k]);
      positionOfGood_[g] = std::int32_t(k);
      defaultBad_[k] = !TruncPrice(d.aMarket.DefaultCell(g).Price, defaultSell_[k]);
      if (defaultBad_[k]) defaultSell_[k] = 0;
    }
    std::vector<bool> isTo(d.aBase.size());
    for (auto t : w.FToBases) isTo[std::size_t(t)] = true;
    combos_.resize(w.FFromBases.size());
    for (std::size_t i = 0; i < combos_.size(); ++i) {
      const std::size_t f = std::size_t(w.FFromBases[i]);
      combos_[i] = std::uint64_t(nK_) * (nTo_ - (f < isTo.size() && isTo[f] ? 1 : 0));
    }
  }

  // Truncated sell prices of destinations [j0, j1), one column of destinations per good position, and
  // the flags of prices that do not fit: the defaults first, then the cells the market lines wrote.
  // Threads may build disjoint blocks at once; FinishSellTable afterwards.
  void BuildSellTable(std::size_t j0, std::size_t j1) {
    for (std::size_t j = j0; j < j1; ++j) {
      const std::size_t to = std::size_t(w_.FToBases[j]);
      const bool defaults = d_.aMarket.HasDefaults(to);  // else every cell reads as 0
      for (std::size_t k = 0; k < nK_; ++k) {
        sell_[k * nTo_ + j] = defaults ? defaultSell_[k] : 0;
        sellBad_[k * nTo_ + j] = defaults && defaultBad_[k];
      }
      for (const TMarketEntry& e : d_.aMarket.WrittenCells(to)) {
        const std::int32_t k = e.Good < positionOfGood_.size() ? positionOfGood_[e.Good] : -1;
        if (k < 0) continue;
        const std::size_t at = std::size_t(k) * nTo_ + j;
        sellBad_[at] = !TruncPrice(e.Cell.Price, sell_[at]);
        if (sellBad_[at]) sell_[at] = 0;
      }
    }
  }
  void FinishSellTable() {
    for (std::size_t k = 0; k < nK_; ++k)
      sellBadGood_[k] = std::any_of(sellBad_.get() + k * nTo_, sellBad_.get() + (k + 1) * nTo_,
                                    [](std::uint8_t b) { return b != 0; });
  }

  std::uint64_t Combos(std::size_t i) const { return combos_[i]; }

  void Prepare(std::size_t i, Scratch& s) const {
    const std::int32_t f = w_.FFromBases[i];
    if (trade_) {
      SoldCommodityPositions(d_, f, positionOfGood_, s.soldGoods);
      s.sold.resize(s.soldGoods.size());
      for (std::size_t x = 0; x < s.soldGoods.size(); ++x) s.sold[x] = s.soldGoods[x].Position;
    } else {
      s.sold.resize(nK_);
      for (std::size_t k = 0; k < nK_; ++k) s.sold[k] = std::uint32_t(k);
    }
    const std::size_t nS = s.sold.size();
    s.buy.assign(nS, 0);
    s.buyBad.assign(nS, 0);
    s.exact = false;
    for (std::size_t x = 0; x < nS; ++x) {
      if (trade_ && !TruncPrice(s.soldGoods[x].Price, s.buy[x])) s.buyBad[x] = 1;
      s.exact = s.exact || s.buyBad[x] || sellBadGood_[s.sold[x]];
    }
    if (s.exact) return;
    // Good by good down a column of sell prices; read back destination by destination below.
    s.profits.resize(nS * nTo_);
    for (std::size_t x = 0; x < nS; ++x) {
      const std::uint32_t* col = sell_.get() + std::size_t(s.sold[x]) * nTo_;
      const std::uint32_t b = s.buy[x];
      std::uint32_t* out = s.profits.data() + x;
      for (std::size_t j = 0; j < nTo_; ++j) out[j * nS] = col[j] > b ? col[j] - b : 0;
    }
  }

  // The routes of origin i in the order of the plain loop: destination by destination, good by good.
  // stop(j, counter) is asked before each destination; true ends the visit (false returned).
  // counter is the number of combinations before this origin.
  template <typename Stop, typename Emit, typename Error>
  bool Visit(std::size_t i, const Scratch& s, std::uint64_t counter, Stop&& stop, Emit&& emit, Error&& error) const {
    const std::int32_t f = w_.FFromBases[i];
    const std::size_t nS = s.sold.size();
    for (std::size_t j = 0; j < nTo_; ++j) {
      if (stop(j, counter)) return false;
      const std::int32_t t = w_.FToBases[j];
      if (f == t) continue;
      const std::uint64_t pairBase = counter;
      counter += nK_;
      if (!s.exact) {
        const std::uint32_t* p = s.profits.data() + j * nS;
        for (std::size_t x = 0; x < nS; ++x)
          if (p[x] != 0)
            emit(TRouteRecord{p[x], std::uint32_t(w_.FCommodities[s.sold[x]]), std::uint32_t(f), std::uint32_t(t)});
        continue;
      }
      for (std::size_t x = 0; x < nS; ++x) {
        const std::size_t k = s.sold[x];
        const std::int32_t g = w_.FCommodities[k];
        if (s.buyBad[x] || sellBad_[k * nTo_ + j]) {
          // The price does not fit the route's whole-number field: journaled, and the loop goes on.
          error(Format(kPriceError, f, t, std::uint64_t(k), g, pairBase + k + 1));
          continue;
        }
        const std::uint32_t sell = sell_[k * nTo_ + j];
        if (sell > s.buy[x]) emit(TRouteRecord{sell - s.buy[x], std::uint32_t(g), std::uint32_t(f), std::uint32_t(t)});
      }
    }
    return true;
  }

 private:
  const SvModel& d_;
  const TCalcWork& w_;
  bool trade_;
  std::size_t nTo_ = 0;
  std::size_t nK_ = 0;
  std::unique_ptr<std::uint32_t[]> sell_;
  std::unique_ptr<std::uint8_t[]> sellBad_;
  std::vector<std::uint8_t> sellBadGood_;
  std::vector<std::int32_t> positionOfGood_;  // position in the goods array by good index, -1 none
  std::vector<std::uint32_t> defaultSell_;    // per position: the default cell's price, cut
  std::vector<std::uint8_t> defaultBad_;
  std::vector<std::uint64_t> combos_;
};

// The progress line of the last combination whose counter was one past a multiple of the step (none
// with a step of 1, as with the plain loop's test), then the message pump.
class Progress {
 public:
  Progress(TCalcHooks& hooks, std::uint64_t total)
      : hooks_(hooks), total_(total), step_(std::max<std::uint64_t>(total / 1000, 1)) {}
  void Pump(std::uint64_t counter) {
    if (step_ > 1 && counter >= 1) {
      const std::uint64_t c = counter - (counter - 1) % step_;
      if (c != lastShown_) {
        lastShown_ = c;
        // The gauge takes 31 bits; a larger total is scaled into that range, the text keeps the numbers.
        const std::uint64_t scale = total_ / 2147483647u + 1;
        hooks_.Status(Format("Starting calculation (%d / %d)", c, total_), 0, std::uint32_t(total_ / scale),
                      std::uint32_t(c / scale));
      }
    }
    hooks_.ProcessMessages();
  }

 private:
  TCalcHooks& hooks_;
  std::uint64_t total_;
  std::uint64_t step_;
  std::uint64_t lastShown_ = 0;
};

TCalcEnd Sequential(Loop& loop, TCalcWork& w, TCalcHooks& hooks, TJournal* journal, Progress& progress) {
  Scratch s;
  TPumpTimer timer;
  std::uint64_t counter = 0;
  for (std::size_t i = 0; i < w.FFromBases.size(); ++i) {
    if (hooks.StopRequested()) return TCalcEnd::Stopped;
    loop.Prepare(i, s);
    const bool done = loop.Visit(
        i, s, counter,
        [&](std::size_t j, std::uint64_t c) {
      if ((j & 7) == 0 && timer.Due()) progress.Pump(c);
      return hooks.StopRequested();
        },
        [&](const TRouteRecord& r) { w.FRoutes.Add(r); },
        [&](const std::string& line) { Log(line, jlError, journal); });
    if (!done) return TCalcEnd::Stopped;
    counter += loop.Combos(i);
    LogFmt("Ende From: %d", {std::uint64_t(i)}, jlInfo, journal);
  }
  return TCalcEnd::Finished;
}

// The workers' early end when the calling thread leaves by an error: they watch flag at their next origin or
// destination (the sell table's blocks are short and watch nothing).
std::function<void()> StopOnError(std::atomic<bool>& flag) {
  return [&flag] { flag.store(true); };
}

// Runs job(worker) on up to n threads while the calling thread pumps and watches the stop flag; the
// number of threads that started (workers 0 .. that - 1 ran). The timer goes on from one run to the
// next, so the pump keeps its pace across the steps.
// The progress line counts half the combinations of Done (each is visited by two passes); none without.
template <typename Job>
unsigned OnThreads(unsigned n, Job&& job, TCalcHooks& hooks, Progress& progress, TPumpTimer& timer,
                   std::atomic<bool>& stop, const std::atomic<std::uint64_t>* done) {
  std::atomic<unsigned> running{0};
  // A hook that raises below stops the workers; they are joined before the error goes on.
  WorkerThreads threads(StopOnError(stop));
  for (unsigned t = 0; t < n; ++t) {
    running.fetch_add(1);
    if (!threads.Start([&job, &running, t] {
          job(t);
          running.fetch_sub(1);
        })) {
      running.fetch_sub(1);
      break;
    }
  }
  if (threads.Count() == 0) return 0;
  while (running.load() != 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (!timer.Due()) continue;
    progress.Pump(done ? done->load() / 2 : 0);
    if (hooks.StopRequested()) stop.store(true);
  }
  threads.Join();
  return unsigned(threads.Count());
}

}  // namespace

TCalcEnd RunCalculationLoop(const SvModel& Data, TCalcWork& Work, TCalcHooks& Hooks, TJournal* Journal, bool TradeMode,
                            const TCalcLoopOptions& Options) {
  const std::size_t nFrom = Work.FFromBases.size();
  // Counted in 64 bits, not in 32 with an overflow check: a large installation passes 2,147,483,647
  // combinations, and its calculation should run rather than end with an overflow error.
  const std::uint64_t total = std::uint64_t(nFrom) * Work.FToBases.size() * Work.FCommodities.size();
  LogFmt("Length: From(%d)  To(%d) Commo(%d) Maxi(%d)",
         {std::uint64_t(nFrom), std::uint64_t(Work.FToBases.size()), std::uint64_t(Work.FCommodities.size()), total},
         jlInfo, Journal);
  Progress progress(Hooks, total);
  Loop loop(Data, Work, TradeMode);
  unsigned threads = Options.Threads ? Options.Threads : std::max(1u, std::thread::hardware_concurrency());
  threads = unsigned(std::min<std::size_t>(threads, nFrom));
  if (threads <= 1 || total < Options.ParallelFrom) {
    // Some destinations at a time: the whole table of a large installation takes a while on one thread.
    TPumpTimer timer;
    for (std::size_t j = 0; j < Work.FToBases.size(); j += 64) {
      loop.BuildSellTable(j, std::min(Work.FToBases.size(), j + 64));
      if (timer.Due()) progress.Pump(0);
    }
    loop.FinishSellTable();
    return Sequential(loop, Work, Hooks, Journal, progress);
  }

  // The sell table in blocks of destinations, one block per thread.
  TPumpTimer timer;
  const std::size_t nTo = Work.FToBases.size();
  const std::size_t block = (nTo + threads - 1) / threads;
  std::atomic<bool> noStop{false};
  auto buildBlock = [&](unsigned t) { loop.BuildSellTable(std::min(nTo, t * block), std::min(nTo, (t + 1) * block)); };
  const unsigned started = OnThreads(threads, buildBlock, Hooks, progress, timer, noStop, nullptr);
  for (unsigned t = started; t < threads; ++t) buildBlock(t);
  loop.FinishSellTable();
  if (started == 0) return Sequential(loop, Work, Hooks, Journal, progress);

  // Two passes over the origins: count each one's routes, then write them straight into their place.
  std::vector<std::uint64_t> base(nFrom + 1, 0);  // combinations before origin i
  for (std::size_t i = 0; i < nFrom; ++i) base[i + 1] = base[i] + loop.Combos(i);
  std::vector<std::uint64_t> count(nFrom, 0);
  std::vector<std::uint8_t> done(nFrom, 0);
  std::vector<std::vector<std::string>> errors(nFrom);
  std::atomic<bool> stop{noStop.load()};  // a stop seen while the table was built
  std::atomic<bool> outOfMemory{false};
  std::atomic<std::size_t> next{0};
  std::atomic<std::uint64_t> combosDone{0};

  auto pass = [&](bool write, std::vector<std::uint64_t>* offset) {
    return [&, write, offset](unsigned) {
      try {
        Scratch s;
        for (std::size_t i = next.fetch_add(1); i < nFrom && !stop.load(std::memory_order_relaxed);
             i = next.fetch_add(1)) {
          loop.Prepare(i, s);
          std::uint64_t n = 0;
          TRouteRecord* out = write ? Work.FRoutes.Data() + (*offset)[i] : nullptr;
          const bool complete = loop.Visit(
              i, s, base[i], [&](std::size_t, std::uint64_t) { return stop.load(std::memory_order_relaxed); },
              [&](const TRouteRecord& r) {
            if (write) out[n] = r;
            ++n;
              },
              [&](const std::string& line) {
            if (write) errors[i].push_back(line);
          });
          if (!complete) break;
          if (write) done[i] = 1;
          else count[i] = n;
          combosDone.fetch_add(loop.Combos(i), std::memory_order_relaxed);
        }
      } catch (const std::bad_alloc&) {
        outOfMemory.store(true);
        stop.store(true);
      }
    };
  };

  if (!OnThreads(threads, pass(false, nullptr), Hooks, progress, timer, stop, &combosDone)) {
    return Sequential(loop, Work, Hooks, Journal, progress);
  }
  if (outOfMemory.load()) throw std::bad_alloc();
  if (stop.load()) return TCalcEnd::Stopped;  // not one origin written yet

  std::vector<std::uint64_t> offset(nFrom + 1, 0);
  for (std::size_t i = 0; i < nFrom; ++i) offset[i + 1] = offset[i] + count[i];
  try {
    Work.FRoutes.Resize(offset[nFrom]);
  } catch (const std::bad_alloc&) {
    // Not all of them fit: the plain loop keeps as many as memory holds, in order.
    return Sequential(loop, Work, Hooks, Journal, progress);
  }
  next.store(0);
  // The origins finished in full, from the first on, with their journal lines in loop order; the rest of
  // the list was never written. Also when a hook raised while the threads ran: the error goes on with
  // these routes, as on one thread.
  std::size_t finished = 0;
  const auto keepFinished = [&] {
    while (finished < nFrom && done[finished]) {
      for (const auto& line : errors[finished]) Log(line, jlError, Journal);
      LogFmt("Ende From: %d", {std::uint64_t(finished)}, jlInfo, Journal);
      ++finished;
    }
    Work.FRoutes.Resize(offset[finished]);
  };
  unsigned ran = 0;
  try {
    ran = OnThreads(threads, pass(true, &offset), Hooks, progress, timer, stop, &combosDone);
  } catch (...) {
    keepFinished();
    throw;
  }
  if (!ran) {
    Work.FRoutes.Clear();
    return Sequential(loop, Work, Hooks, Journal, progress);
  }
  keepFinished();
  if (outOfMemory.load()) throw std::bad_alloc();
  return finished == nFrom ? TCalcEnd::Finished : TCalcEnd::Stopped;
}

}  // namespace qmz
