#pragma once
// The route sort: a quicksort by profit per unit, highest first, whose order of equal profits is part of
// what the user sees (the route list and the route file), so the exact partition steps are kept: middle
// pivot, Hoare's two scans, the swap that moves both scans on. Only the recursion is arranged
// differently: the smaller side recursed into and the larger one looped on (bounded stack), and the
// independent halves of large ranges handed to worker threads. Neither changes the resulting order, nor
// the number of calls the plain recursive form makes.

#include <cstdint>
#include <functional>

#include "app/core/uFormMain_Calc.h"

namespace qmz {

// Called about every 15 ms with the calls made so far, always on the thread that called SortRoutes. The
// gauge follows the clock rather than every 100th call: the threads count their calls in batches, and a
// pace in time keeps the window live (its message pump runs here too) however long the list is.
using TSortProgress = std::function<void(std::uint64_t Calls)>;

// Sorts List[Lo .. Hi] in place by Profit, highest first, and returns the number of calls of the plain
// recursive form (each counts, also one that returns at once). Threads: 0 picks the machine's number
// of cores, 1 sorts on the calling thread only; the order is the same for every number. Ranges of at
// least SplitFrom routes in the first two levels are partitioned by all threads together. An error of
// Progress goes on once the threads are stopped and joined; the list then holds its routes in some order.
std::uint64_t SortRoutes(TRouteList& List, std::int64_t Lo, std::int64_t Hi, const TSortProgress& Progress = {},
                         unsigned Threads = 0, std::int64_t SplitFrom = std::int64_t(1) << 19);

}  // namespace qmz
