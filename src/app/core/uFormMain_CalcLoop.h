#pragma once
// The loop of the route calculation over the three index arrays.

#include <cstdint>

#include "app/core/uFormMain_Calc.h"

namespace qmz {

struct TCalcLoopOptions {
  unsigned Threads = 0;  // 0: as many as the machine has; 1: the calling thread only
  // Fewer combinations than this run on the calling thread whatever Threads says.
  std::uint64_t ParallelFrom = std::uint64_t(1) << 30;
};

// Every origin x destination x good of Work's arrays into Work.FRoutes (unsorted), with the loop's
// journal lines ("Length: ...", a line per price that does not fit, "Ende From: %d" per origin) and
// the progress line "Starting calculation (%d / %d)". The message pump and the stop test run on the
// calling thread about every 15 ms, not once per origin-destination pair and every thousandth
// combination: large installations run on several threads, which visit the pairs in no fixed order on
// the calling thread, and a pace in time keeps the window equally live for a small and a huge one. The
// stop is seen at the next origin or destination. The routes and
// their order, and the journal lines and their order, are the same on any number of threads; after a
// stop the routes are those of the origins finished (in full, in order) so far. Throws std::bad_alloc
// with the routes so far in Work.FRoutes when memory runs out. An error of a hook goes on the same way,
// once the worker threads are stopped and joined.
TCalcEnd RunCalculationLoop(const SvModel& Data, TCalcWork& Work, TCalcHooks& Hooks, TJournal* Journal, bool TradeMode,
                            const TCalcLoopOptions& Options = {});

}  // namespace qmz
