#include "support/WorkerThreads.h"

#include <new>
#include <system_error>

namespace qmz {

WorkerThreads::~WorkerThreads() {
  bool running = false;
  for (const auto& t : threads_) running = running || t.joinable();
  if (running && stop_) stop_();
  Join();
}

bool WorkerThreads::Start(std::function<void()> work) {
  try {
    threads_.emplace_back(std::move(work));
    return true;
  } catch (const std::system_error&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void WorkerThreads::Join() {
  for (auto& t : threads_)
    if (t.joinable()) t.join();
}

}  // namespace qmz
