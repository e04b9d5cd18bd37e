#pragma once
// Worker threads that are joined whatever way their owner leaves: an exception on the owner's thread (a
// window hook that raises while they run) first asks them to stop, then waits for each, so the error goes on
// as it would on one thread. A std::thread left joinable would end the process instead.

#include <cstddef>
#include <functional>
#include <thread>
#include <vector>

namespace qmz {

class WorkerThreads {
 public:
  // stop tells the workers to end early; it runs on the owner's thread when the group is left with threads
  // not yet joined, before they are joined.
  explicit WorkerThreads(std::function<void()> stop = {}) : stop_(std::move(stop)) {}
  ~WorkerThreads();
  WorkerThreads(const WorkerThreads&) = delete;
  WorkerThreads& operator=(const WorkerThreads&) = delete;

  // Runs work on a new thread; false when the system refuses one (the caller does that share itself).
  bool Start(std::function<void()> work);
  std::size_t Count() const { return threads_.size(); }
  // Waits until every thread has finished its work.
  void Join();

 private:
  std::function<void()> stop_;
  std::vector<std::thread> threads_;
};

}  // namespace qmz
