#include "app/core/uFormMain_Sort.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace qmz {

namespace {

// Ranges below this size are sorted by one thread in one go; larger ones are split between threads.
constexpr std::int64_t kTaskRange = std::int64_t(1) << 15;
// Smaller ranges split off a large one are not queued for another thread.
constexpr std::int64_t kMinTask = std::int64_t(1) << 12;
// Below this many routes no thread is started at all.
constexpr std::int64_t kParallelRange = std::int64_t(1) << 17;

// One partition step: pivot is the profit in the middle, i runs up over higher profits, j down over
// lower ones, and every stop of both is a swap. Afterwards Lo..j and i..Hi remain, j < i.
//
// The stops of the two scans depend only on values the scans have not passed yet, so while the scans
// are far apart they are found a block at a time without branches (the positions of the k-th stop from
// the left and from the right are collected, then swapped in pairs, as the scans would meet them). Near
// the crossing the plain scans take over from exactly where the scans stand. The swaps, and with them
// the order of equal profits, are those of the plain scans.
inline void Partition(TRouteRecord* a, std::int64_t lo, std::int64_t hi, std::int64_t& iOut, std::int64_t& jOut) {
  const std::uint32_t pivot = a[(lo + hi) / 2].Profit;
  constexpr int kBlock = 64;
  std::uint8_t offL[kBlock];
  std::uint8_t offR[kBlock];
  int numL = 0;
  int numR = 0;
  int startL = 0;
  int startR = 0;
  std::int64_t li = lo;  // first position of the left block
  std::int64_t rj = hi;  // last position of the right block
  while (rj - li + 1 > 2 * kBlock) {
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
  do {
    while (a[i].Profit > pivot) ++i;
    while (a[j].Profit < pivot) --j;
    if (i <= j) {
      std::swap(a[i], a[j]);
      ++i;
      --j;
    }
  } while (i <= j);
  iOut = i;
  jOut = j;
}

// The sort of one range on one thread. Every turn of the loop is one call of the recursive form.
template <typename Tick>
void SortRange(TRouteRecord* a, std::int64_t lo, std::int64_t hi, std::uint64_t& calls, Tick& tick) {
  for (;;) {
    ++calls;
    tick();
    if (lo >= hi) return;
    std::int64_t i = 0;
    std::int64_t j = 0;
    Partition(a, lo, hi, i, j);
    if (j - lo < hi - i) {
      SortRange(a, lo, j, calls, tick);
      lo = i;
    } else {
      SortRange(a, i, hi, calls, tick);
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
        work_.wait(lock, [this] { return !tasks_.empty() || pending_ == 0; });
        if (tasks_.empty()) return;
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

  // Waits until every range is sorted, calling progress about every 15 ms.
  void WaitDone(const TSortProgress& progress) {
    std::unique_lock lock(m_);
    while (pending_ != 0) {
      done_.wait_for(lock, TPumpTimer::Interval);
      if (pending_ != 0 && progress) {
        lock.unlock();
        progress(calls_.load(std::memory_order_relaxed));
        lock.lock();
      }
    }
  }

  std::uint64_t Calls() const { return calls_.load(); }

 private:
  void Run(std::int64_t lo, std::int64_t hi) {
    std::uint64_t local = 0;
    auto tick = [&] {
      if ((local & 4095) == 0) {
        calls_.fetch_add(local, std::memory_order_relaxed);
        local = 0;
      }
    };
    while (hi - lo + 1 > kTaskRange) {
      ++local;
      std::int64_t i = 0;
      std::int64_t j = 0;
      Partition(a_, lo, hi, i, j);
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
      if (sHi - sLo + 1 < kMinTask || !Push(sLo, sHi)) SortRange(a_, sLo, sHi, local, tick);
    }
    SortRange(a_, lo, hi, local, tick);
    calls_.fetch_add(local, std::memory_order_relaxed);
  }

  TRouteRecord* a_;
  std::mutex m_;
  std::condition_variable work_;
  std::condition_variable done_;
  std::vector<std::pair<std::int64_t, std::int64_t>> tasks_;
  std::size_t pending_ = 0;
  std::atomic<std::uint64_t> calls_{0};
};

}  // namespace

std::uint64_t SortRoutes(TRouteList& List, std::int64_t Lo, std::int64_t Hi, const TSortProgress& Progress,
                         unsigned Threads) {
  if (Threads == 0) Threads = std::max(1u, std::thread::hardware_concurrency());
  Lo = std::max<std::int64_t>(Lo, 0);
  Hi = std::min<std::int64_t>(Hi, std::int64_t(List.Count()) - 1);
  TRouteRecord* a = List.Data();
  if (Threads > 1 && Hi - Lo + 1 >= kParallelRange) {
    SortPool pool(a);
    if (pool.Push(Lo, Hi)) {
      std::vector<std::thread> workers;
      for (unsigned t = 0; t < Threads; ++t) {
        try {
          workers.emplace_back([&pool] { pool.Worker(); });
        } catch (const std::system_error&) {
          break;  // fewer threads: the ones running take the work
        }
      }
      if (!workers.empty()) {
        pool.WaitDone(Progress);
        for (auto& w : workers) w.join();
        return pool.Calls();
      }
    }
    // Not a single thread could start: the range is sorted here.
  }
  std::uint64_t calls = 0;
  TPumpTimer timer;
  auto tick = [&] {
    if ((calls & 4095) == 0 && Progress && timer.Due()) Progress(calls);
  };
  SortRange(a, Lo, Hi, calls, tick);
  return calls;
}

}  // namespace qmz
