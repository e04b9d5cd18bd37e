#include "app/core/uFormMain_Sort.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>
#include <utility>
#include <vector>

#include "support/WorkerThreads.h"

namespace qmz {

namespace {

// Ranges below this size are sorted by one thread in one go; larger ones are split between threads.
constexpr std::int64_t kTaskRange = std::int64_t(1) << 15;
// Smaller ranges split off a large one are not queued for another thread.
constexpr std::int64_t kMinTask = std::int64_t(1) << 12;
// Below this many routes no thread is started at all.
constexpr std::int64_t kParallelRange = std::int64_t(1) << 17;
// A range of at least this many routes is worth a look at the clock (there are few of them), and so are
// this many rounds of a partition: one step over tens of millions of routes takes a good while.
constexpr std::int64_t kTickRange = std::int64_t(1) << 16;
constexpr std::uint32_t kTickRounds = 1024;

// One partition step: pivot is the profit in the middle, i runs up over higher profits, j down over
// lower ones, and every stop of both is a swap. Afterwards Lo..j and i..Hi remain, j < i.
//
// The stops of the two scans depend only on values the scans have not passed yet, so while the scans
// are far apart they are found a block at a time without branches (the positions of the k-th stop from
// the left and from the right are collected, then swapped in pairs, as the scans would meet them). Near
// the crossing the plain scans take over from exactly where the scans stand. The swaps, and with them
// the order of equal profits, are those of the plain scans.
// From a state of the scans (i and j about to scan, everything between them untouched) to the end of
// the partition; tick() every kTickRounds blocks.
template <typename Tick>
inline void PartitionFrom(TRouteRecord* a, std::int64_t lo, std::int64_t hi, std::uint32_t pivot, std::int64_t& iOut,
                          std::int64_t& jOut, Tick&& tick) {
  constexpr int kBlock = 64;
  std::uint8_t offL[kBlock];
  std::uint8_t offR[kBlock];
  int numL = 0;
  int numR = 0;
  int startL = 0;
  int startR = 0;
  std::int64_t li = lo;  // first position of the left block
  std::int64_t rj = hi;  // last position of the right block
  std::uint32_t rounds = 0;
  while (rj - li + 1 > 2 * kBlock) {
    if (++rounds % kTickRounds == 0) tick();
    if (numL == 0) {
      startL = 0;
      for (int t = 0; t < kBlock; ++t) {
        offL[numL] = std::uint8_t(t);
        numL += a[li + t].Profit <= pivot;  // where "while > pivot" stops
      }
    }
    if (numR == 0) {
      startR = 0;
      for (int t = 0; t < kBlock; ++t) {
        offR[numR] = std::uint8_t(t);
        numR += a[rj - t].Profit >= pivot;  // where "while < pivot" stops
      }
    }
    const int n = std::min(numL, numR);
    for (int k = 0; k < n; ++k) std::swap(a[li + offL[startL + k]], a[rj - offR[startR + k]]);
    numL -= n;
    numR -= n;
    startL += n;
    startR += n;
    if (numL == 0) li += kBlock;
    if (numR == 0) rj -= kBlock;
  }
  // Where the scans stand: on their next stop when the block still holds one, else past the block.
  std::int64_t i = numL ? li + offL[startL] : li;
  std::int64_t j = numR ? rj - offR[startR] : rj;
  while (i <= j) {
    while (a[i].Profit > pivot) ++i;
    while (a[j].Profit < pivot) --j;
    if (i <= j) {
      std::swap(a[i], a[j]);
      ++i;
      --j;
    }
  }
  iOut = i;
  jOut = j;
}

template <typename Tick>
inline void Partition(TRouteRecord* a, std::int64_t lo, std::int64_t hi, std::int64_t& iOut, std::int64_t& jOut,
                      Tick&& tick) {
  PartitionFrom(a, lo, hi, a[(lo + hi) / 2].Profit, iOut, jOut, tick);
}

constexpr auto kNoTick = [] {};

// Runs f(0 .. n - 1) on n threads and waits for all, calling between() on the calling thread about every
// 15 ms meanwhile: one step over tens of millions of routes takes longer than the window may go without
// its message pump. A thread that cannot start leaves its share to the calling thread. A between() that
// raises waits for the threads, each a single pass over its share, before the error goes on.
template <typename F, typename Between>
void ParallelFor(unsigned n, F&& f, Between&& between) {
  std::mutex m;
  std::condition_variable finished;
  unsigned running = 0;
  std::vector<unsigned> inline_;
  WorkerThreads threads;
  for (unsigned t = 0; t < n; ++t) {
    {
      std::lock_guard lock(m);
      ++running;
    }
    const bool started = threads.Start([&, t] {
      f(t);
      std::lock_guard lock(m);
      if (--running == 0) finished.notify_one();
    });
    if (!started) {
      std::lock_guard lock(m);
      --running;
      inline_.push_back(t);
    }
  }
  for (unsigned t : inline_) f(t);
  {
    std::unique_lock lock(m);
    while (!finished.wait_for(lock, TPumpTimer::Interval, [&] { return running == 0; })) {
      lock.unlock();
      between();
      lock.lock();
    }
  }
  threads.Join();
}

// The same partition as Partition with all threads: the k-th stop of either scan depends only on the
// values before it, so the stops are counted per chunk, the pairs that surely lie apart (all left stops
// in chunks before a chunk m, all right stops in chunks after it) are swapped by several threads at
// once, and the scans go on from the last of those pairs as usual.
// between() runs on the calling thread during and after each step (the window's pump).
template <typename Between>
void ParallelPartition(TRouteRecord* a, std::int64_t lo, std::int64_t hi, unsigned threads, std::int64_t& iOut,
                       std::int64_t& jOut, Between&& between) {
  const std::uint32_t pivot = a[(lo + hi) / 2].Profit;
  const std::int64_t n = hi - lo + 1;
  const unsigned chunks = threads * 8;
  auto begin = [&](unsigned c) { return lo + n * std::int64_t(c) / std::int64_t(chunks); };
  std::vector<std::int64_t> cntL(chunks, 0);
  std::vector<std::int64_t> cntR(chunks, 0);
  const auto countStops = [&](unsigned t) {
    for (unsigned c = t; c < chunks; c += threads) {
      std::int64_t l = 0;
      std::int64_t r = 0;
      for (std::int64_t x = begin(c); x < begin(c + 1); ++x) {
        l += a[x].Profit <= pivot;
        r += a[x].Profit >= pivot;
      }
      cntL[c] = l;
      cntR[c] = r;
    }
  };
  ParallelFor(threads, countStops, between);
  between();
  // The chunk m that leaves the most pairs apart.
  std::int64_t pairs = 0;
  {
    std::int64_t right = 0;
    for (unsigned c = 0; c < chunks; ++c) right += cntR[c];
    std::int64_t left = 0;
    for (unsigned m = 0; m < chunks; ++m) {
      right -= cntR[m];
      pairs = std::max(pairs, std::min(left, right));
      left += cntL[m];
    }
  }
  if (pairs < std::int64_t(threads) * 64) {
    // Too few pairs to share out: one thread partitions all of it, with the pump on the clock.
    TPumpTimer timer;
    return PartitionFrom(a, lo, hi, pivot, iOut, jOut, [&] {
      if (timer.Due()) between();
    });
  }

  // Where each thread's first pair stands, found before anything moves.
  std::vector<std::int64_t> startL(threads);
  std::vector<std::int64_t> startR(threads);
  auto first = [&](unsigned t) { return pairs * std::int64_t(t) / std::int64_t(threads); };
  const auto findStarts = [&](unsigned t) {
    std::int64_t k = first(t);
    unsigned c = 0;
    while (k >= cntL[c]) k -= cntL[c++];
    std::int64_t x = begin(c);
    for (;; ++x)
      if (a[x].Profit <= pivot && k-- == 0) break;
    startL[t] = x;
    k = first(t);
    c = chunks - 1;
    while (k >= cntR[c]) k -= cntR[c--];
    std::int64_t y = begin(c + 1) - 1;
    for (;; --y)
      if (a[y].Profit >= pivot && k-- == 0) break;
    startR[t] = y;
  };
  ParallelFor(threads, findStarts, between);
  between();
  std::int64_t lastL = 0;
  std::int64_t lastR = 0;
  const auto swapPairs = [&](unsigned t) {
    std::int64_t x = startL[t];
    std::int64_t y = startR[t];
    const std::int64_t count = first(t + 1) - first(t);
    for (std::int64_t k = 0; k < count; ++k) {
      if (k > 0) {
        do ++x;
        while (a[x].Profit > pivot);
        do --y;
        while (a[y].Profit < pivot);
      }
      std::swap(a[x], a[y]);
    }
    if (t + 1 == threads) {
      lastL = x;
      lastR = y;
    }
  };
  ParallelFor(threads, swapPairs, between);
  between();
  PartitionFrom(a, lastL + 1, lastR - 1, pivot, iOut, jOut, kNoTick);
}

// The sort of one range on one thread. Every turn of the loop is one call of the recursive form.
// tick(large) comes at every call, large for a range of at least kTickRange routes, and, with
// PartitionTicks, tick(true) during the partitions of those (the calling thread's pump; the pool's
// threads only count).
template <bool PartitionTicks, typename Tick>
void SortRange(TRouteRecord* a, std::int64_t lo, std::int64_t hi, std::uint64_t& calls, Tick& tick) {
  for (;;) {
    ++calls;
    const bool large = hi - lo >= kTickRange;
    tick(large);
    if (lo >= hi) return;
    std::int64_t i = 0;
    std::int64_t j = 0;
    if constexpr (PartitionTicks) {
      if (large) Partition(a, lo, hi, i, j, [&tick] { tick(true); });
      else Partition(a, lo, hi, i, j, kNoTick);
    } else {
      Partition(a, lo, hi, i, j, kNoTick);
    }
    if (j - lo < hi - i) {
      SortRange<PartitionTicks>(a, lo, j, calls, tick);
      lo = i;
    } else {
      SortRange<PartitionTicks>(a, i, hi, calls, tick);
      hi = j;
    }
  }
}

// Work shared by the sorting threads: ranges still to sort, and how many are queued or running.
class SortPool {
 public:
  explicit SortPool(TRouteRecord* a) : a_(a) {}

  // False when the queue cannot grow: the caller sorts the range itself.
  bool Push(std::int64_t lo, std::int64_t hi) {
    try {
      std::lock_guard lock(m_);
      tasks_.emplace_back(lo, hi);
      ++pending_;
    } catch (const std::bad_alloc&) {
      return false;
    }
    work_.notify_one();
    return true;
  }

  void Worker() {
    for (;;) {
      std::pair<std::int64_t, std::int64_t> task;
      {
        std::unique_lock lock(m_);
        work_.wait(lock, [this] { return !tasks_.empty() || pending_ == 0 || cancelled_.load(); });
        if (tasks_.empty() || cancelled_.load()) return;
        task = tasks_.back();
        tasks_.pop_back();
      }
      Run(task.first, task.second);
      bool last = false;
      {
        std::lock_guard lock(m_);
        last = --pending_ == 0;
      }
      if (last) {
        work_.notify_all();
        done_.notify_all();
      }
    }
  }

  // Waits until every range is sorted, calling progress about every 15 ms with the calls made before
  // the pool (before) and in it: the count never goes back.
  void WaitDone(const TSortProgress& progress, std::uint64_t before) {
    std::unique_lock lock(m_);
    while (pending_ != 0) {
      done_.wait_for(lock, TPumpTimer::Interval);
      if (pending_ != 0 && progress) {
        lock.unlock();
        progress(before + calls_.load(std::memory_order_relaxed));
        lock.lock();
      }
    }
  }

  // Ends the work early (the progress raised): no range is taken any more and a large one is split no
  // further. The ranges not sorted stay as they are.
  void Cancel() {
    {
      std::lock_guard lock(m_);
      cancelled_.store(true);
      tasks_.clear();
    }
    work_.notify_all();
  }

  std::uint64_t Calls() const { return calls_.load(); }

 private:
  void Run(std::int64_t lo, std::int64_t hi) {
    std::uint64_t local = 0;
    auto tick = [&](bool) {
      if ((local & 4095) == 0) {
        calls_.fetch_add(local, std::memory_order_relaxed);
        local = 0;
      }
    };
    while (hi - lo + 1 > kTaskRange) {
      if (cancelled_.load(std::memory_order_relaxed)) return;
      ++local;
      std::int64_t i = 0;
      std::int64_t j = 0;
      Partition(a_, lo, hi, i, j, kNoTick);
      // The smaller side goes to whichever thread is free (a small one is sorted here at once); this
      // thread goes on with the larger.
      std::int64_t sLo = lo;
      std::int64_t sHi = j;
      if (j - lo < hi - i) {
        lo = i;
      } else {
        sLo = i;
        sHi = hi;
        hi = j;
      }
      if (sHi - sLo + 1 < kMinTask || !Push(sLo, sHi)) SortRange<false>(a_, sLo, sHi, local, tick);
    }
    SortRange<false>(a_, lo, hi, local, tick);
    calls_.fetch_add(local, std::memory_order_relaxed);
  }

  TRouteRecord* a_;
  std::mutex m_;
  std::condition_variable work_;
  std::condition_variable done_;
  std::vector<std::pair<std::int64_t, std::int64_t>> tasks_;
  std::size_t pending_ = 0;
  std::atomic<std::uint64_t> calls_{0};
  std::atomic<bool> cancelled_{false};
};

}  // namespace

std::uint64_t SortRoutes(TRouteList& List, std::int64_t Lo, std::int64_t Hi, const TSortProgress& Progress,
                         unsigned Threads, std::int64_t SplitFrom) {
  if (Threads == 0) Threads = std::max(1u, std::thread::hardware_concurrency());
  Lo = std::max<std::int64_t>(Lo, 0);
  Hi = std::min<std::int64_t>(Hi, std::int64_t(List.Count()) - 1);
  TRouteRecord* a = List.Data();
  // The sort on the calling thread: the progress about every 15 ms, looked at on every 4096th call and
  // during the partitions of large ranges.
  std::uint64_t calls = 0;
  TPumpTimer timer;
  auto tick = [&](bool large) {
    if (((calls & 4095) == 0 || large) && Progress && timer.Due()) Progress(calls);
  };
  if (Threads > 1 && Hi - Lo + 1 >= kParallelRange) {
    // The first levels, where one range holds most of the routes, split with all threads at once.
    std::uint64_t splits = 0;
    std::vector<std::pair<std::int64_t, std::int64_t>> ranges = {{Lo, Hi}};
    for (int level = 0; level < 2; ++level) {
      std::vector<std::pair<std::int64_t, std::int64_t>> next;
      for (const auto& [l, h] : ranges) {
        if (h - l + 1 < SplitFrom) {
          next.emplace_back(l, h);
          continue;
        }
        ++splits;
        std::int64_t i = 0;
        std::int64_t j = 0;
        ParallelPartition(a, l, h, Threads, i, j, [&] {
          if (Progress) Progress(splits);
        });
        next.emplace_back(l, j);
        next.emplace_back(i, h);
        if (Progress) Progress(splits);
      }
      ranges = std::move(next);
    }
    SortPool pool(a);
    bool queued = true;
    for (const auto& [l, h] : ranges) queued = queued && pool.Push(l, h);
    if (queued) {
      // A progress call that raises cancels the pool; the workers are joined before the error goes on.
      WorkerThreads workers([&pool] { pool.Cancel(); });
      for (unsigned t = 0; t < Threads; ++t)
        if (!workers.Start([&pool] { pool.Worker(); })) break;  // fewer threads: the ones running take the work
      if (workers.Count() != 0) {
        pool.WaitDone(Progress, splits);
        workers.Join();
        return splits + pool.Calls();
      }
    }
    // Not a single thread could start (or the queue could not grow): the ranges are sorted here. No test
    // reaches this: it needs the system to refuse every thread.
    calls = splits;
    for (const auto& [l, h] : ranges) SortRange<true>(a, l, h, calls, tick);
    return calls;
  }
  SortRange<true>(a, Lo, Hi, calls, tick);
  return calls;
}

}  // namespace qmz
