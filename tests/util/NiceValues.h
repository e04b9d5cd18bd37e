#pragma once
// Nice values of every thread of the test's process, read on their own from /proc, and the ordinary user a
// test's child process becomes to show what an unprivileged process meets.

#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qmz::test {

// A thread that exists, waiting, until the end of its scope: one started before the priority is switched.
class ParkedThread {
 public:
  ParkedThread()
      : thread_([this] {
          std::unique_lock lock(m_);
          id_ = gettid();
          started_.notify_one();
          wake_.wait(lock, [this] { return leave_; });
        }) {
    std::unique_lock lock(m_);
    started_.wait(lock, [this] { return id_ != 0; });
  }
  ~ParkedThread() {
    {
      std::lock_guard lock(m_);
      leave_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }
  ParkedThread(const ParkedThread&) = delete;
  ParkedThread& operator=(const ParkedThread&) = delete;

  pid_t Id() const { return id_; }

 private:
  std::mutex m_;
  std::condition_variable started_;
  std::condition_variable wake_;
  pid_t id_ = 0;
  bool leave_ = false;
  std::thread thread_;
};

inline std::vector<int> NiceOfEveryThread() {
  std::vector<int> values;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, id_t(std::stoi(entry.path().filename().string())));
    if (errno == 0) values.push_back(nice);
  }
  return values;
}

// At least two threads (the test's own and a parked one), all at nice.
inline bool EveryThreadAt(int nice) {
  const std::vector<int> values = NiceOfEveryThread();
  if (values.size() < 2) return false;
  for (int v : values)
    if (v != nice) return false;
  return true;
}

inline int NiceOfANewThread() {
  int nice = -100;
  std::thread([&] { nice = getpriority(PRIO_PROCESS, 0); }).join();
  return nice;
}

// Makes this process (a test's child) an ordinary user's with the nice limit given: run as root it drops to
// the unprivileged user 65534 with that limit; run unprivileged it only sets the limit. False when that
// cannot be done here (a hard limit below the one asked for).
inline bool BecomeOrdinaryUser(rlim_t niceLimit) {
  rlimit nice{};
  if (getrlimit(RLIMIT_NICE, &nice) != 0) return false;
  nice.rlim_cur = niceLimit;
  if (geteuid() != 0) return setrlimit(RLIMIT_NICE, &nice) == 0;
  nice.rlim_max = niceLimit;
  return setrlimit(RLIMIT_NICE, &nice) == 0 && setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0;
}

}  // namespace qmz::test
