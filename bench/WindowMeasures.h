#pragma once
// What the window benchmarks measure: the memory the process holds and its peak (Linux's own count of
// resident pages), and the longest time the window would not respond, that is the longest gap between
// two turns of the message loop while a piece of work runs and the window then settles.

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace qmz::bench {

inline long StatusKb(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
  return -1;
}

inline double RssMb() { return double(StatusKb("VmRSS:")) / 1024.0; }
inline double PeakMb() { return double(StatusKb("VmHWM:")) / 1024.0; }
// The peak starts again from what is held now.
inline void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// The longest gap between two turns of the message loop while Work runs and the window then settles
// (the list lays its rows out), in milliseconds; took gets the whole time.
template <typename Work>
double LongestPumpGap(Work work, double* took = nullptr) {
  QElapsedTimer clock;
  qint64 last = 0, longest = 0;
  QTimer ticker;
  ticker.setInterval(2);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    longest = std::max(longest, clock.elapsed() - last);
    last = clock.elapsed();
  });
  clock.start();
  ticker.start();
  work();
  // Showing: what the view does with the new rows happens on the next turns of the loop.
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  longest = std::max(longest, clock.elapsed() - last);
  if (took != nullptr) *took = double(clock.elapsed());
  return double(longest);
}

// Runs the benchmarks the command line asks for inside an application, as the windows need one. No display
// is needed: the windows draw offscreen unless a platform is chosen.
inline int RunWithApplication(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace qmz::bench
