// The route calculator on generated installations: finding the routes and sorting them (measured
// apart), the memory a route takes, the longest stretch without a message pump or progress call, the
// display of 1,000 and 4,000 rows, the longest time the window would not respond during a whole
// calculation with its display, and the peak memory and that longest time while 3,000,000 rows are
// displayed in the route-list window. Installations are generated in a child process and loaded once.

#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>

#include "WindowMeasures.h"
#include "app/core/uFormGrid_Files.h"
#include "app/core/uFormMain_Calc.h"
#include "app/core/uFormMain_Display.h"
#include "app/core/uFormMain_Sort.h"
#include "app/uFormGrid.h"
#include "gamedata/LoaderUserInterface.h"
#include "gamedata/uSvFunctions.h"
#include "platform/GamePath.h"
#include "platform/MemoryPages.h"
#include "platform/Registry.h"
#include "samplegen/SampleGen.h"

namespace fs = std::filesystem;
using namespace qmz;

namespace {

fs::path BenchRoot() {
  static const fs::path root = fs::temp_directory_path() / ("qmz-bench-calc-" + std::to_string(getpid()));
  return root;
}

// The loaded model of a generated size, made once per run (nullptr when that failed).
const TSvData* Model(const std::string& size) {
  static std::map<std::string, std::unique_ptr<TSvData>> models;
  if (auto it = models.find(size); it != models.end()) return it->second.get();
  const fs::path root = BenchRoot() / size;
  const pid_t child = fork();
  if (child == 0) {
    try {
      samplegen::Generate(root, samplegen::Options::ForSize(size));
      _exit(0);
    } catch (...) {
      _exit(1);
    }
  }
  int status = 0;
  std::unique_ptr<TSvData> model;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    platform::SetProcessRegistry(std::make_shared<platform::MemoryRegistry>());
    platform::ResetGamePathCache();
    FixedInstallationUser user((root / "Starvagant").string());  // the generator's folder without a Wine prefix
    model = std::make_unique<TSvData>(nullptr, 0, 0, user);
    if (!model->DataValid) model.reset();
    platform::ResetProcessRegistry();
  }
  if (models.empty())
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(BenchRoot(), ec);
    });
  std::error_code ec;
  fs::remove_all(root, ec);
  return (models[size] = std::move(model)).get();
}

TCalcSelection Everything() { return {true, {TIndex(0, 4)}, {TIndex(0, 4)}, {TIndex(0, 4)}}; }

// Every route of the installation, calculated once for all the display benchmarks of one model.
const TCalcWork& CalculatedOnce(const TSvData& d) {
  static std::map<const TSvData*, TCalcWork> done;
  auto [at, added] = done.try_emplace(&d);
  if (added) {
    TCalcHooks hooks;
    CalculateRoutes(d, Everything(), at->second, hooks, nullptr);
  }
  return at->second;
}

// Measures the longest time between two calls into the window.
class GapHooks : public TCalcHooks {
 public:
  void Status(std::string_view, std::uint32_t, std::uint32_t, std::uint32_t) override { Tick(); }
  void ProcessMessages() override { Tick(); }
  void Tick() {
    const auto now = std::chrono::steady_clock::now();
    MaxGap = std::max(MaxGap, std::chrono::duration<double, std::milli>(now - last_).count());
    last_ = now;
  }
  void Start() { last_ = std::chrono::steady_clock::now(); }
  double MaxGap = 0;

 private:
  std::chrono::steady_clock::time_point last_;
};

void BM_FindRoutes(benchmark::State& state, const char* size) {
  const TSvData* d = Model(size);
  if (!d) return state.SkipWithError("the installation could not be generated or loaded");
  TCalcWork work;
  GapHooks hooks;
  for (auto _ : state) {
    hooks.Start();
    FindRoutes(*d, Everything(), work, hooks, nullptr);
    hooks.Tick();
  }
  state.counters["routes"] = double(work.FRoutes.Count());
  state.counters["bytes_per_route"] = double(sizeof(TRouteRecord));
  state.counters["max_gap_ms"] = hooks.MaxGap;
}

void BM_SortRoutes(benchmark::State& state, const char* size, unsigned threads) {
  const TSvData* d = Model(size);
  if (!d) return state.SkipWithError("the installation could not be generated or loaded");
  TCalcWork work;
  GapHooks hooks;
  FindRoutes(*d, Everything(), work, hooks, nullptr);
  TRouteList copy;
  copy.Reserve(work.FRoutes.Count());
  std::uint64_t calls = 0;
  double gap = 0;
  for (auto _ : state) {
    state.PauseTiming();
    copy.Clear();
    copy.Reserve(work.FRoutes.Count());
    for (std::size_t i = 0; i < work.FRoutes.Count(); ++i) copy.Add(work.FRoutes[i]);
    hooks.MaxGap = 0;
    state.ResumeTiming();
    hooks.Start();
    calls = SortRoutes(
        copy, 0, std::int64_t(copy.Count()) - 1, [&](std::uint64_t) { hooks.Tick(); }, threads);
    hooks.Tick();
    gap = std::max(gap, hooks.MaxGap);
  }
  state.counters["routes"] = double(copy.Count());
  state.counters["sort_calls"] = double(calls);
  state.counters["max_gap_ms"] = gap;
}

void BM_ShowRoutes(benchmark::State& state) {
  const TSvData* d = Model("typical");
  if (!d) return state.SkipWithError("the installation could not be generated or loaded");
  const TCalcWork& work = CalculatedOnce(*d);
  TDisplayOptions options;
  options.LinesCount = state.range(0);
  options.Level = 1e9;
  std::size_t rows = 0;
  for (auto _ : state) {
    TCalcHooks hooks;
    TRouteTable out;
    BuildRouteRows(*d, work.FRoutes, options, hooks, out);
    out.Reorder(RouteOrder(out, ReversedSort));
    rows = out.Count();
    benchmark::DoNotOptimize(&out);
  }
  state.counters["rows"] = double(rows);
}

// Records when the message pump runs, and in which step (the last status text) each pump came.
class PumpRecorder : public TCalcHooks {
 public:
  using Clock = std::chrono::steady_clock;
  void Status(std::string_view Text, std::uint32_t, std::uint32_t, std::uint32_t) override {
    if (!Text.empty()) step_ = Text.substr(0, 24);  // enough to tell the steps apart
  }
  void ProcessMessages() override { pumps_.push_back({Clock::now(), step_}); }
  void Start() {
    pumps_.clear();
    step_ = "start";
    start_ = Clock::now();
  }
  void Finish() { end_ = Clock::now(); }

  struct Gaps {
    double Longest = 0;
    std::string LongestStep;  // the steps at its two ends
    double First = 0;         // start to the first pump
    double Last = 0;          // last pump to the end
    double Total = 0;
    std::size_t Pumps = 0;
  };
  Gaps Measure() const {
    auto ms = [](Clock::time_point a, Clock::time_point b) {
      return std::chrono::duration<double, std::milli>(b - a).count();
    };
    Gaps g;
    g.Pumps = pumps_.size();
    g.Total = ms(start_, end_);
    g.First = pumps_.empty() ? g.Total : ms(start_, pumps_.front().At);
    g.Last = pumps_.empty() ? g.Total : ms(pumps_.back().At, end_);
    g.Longest = std::max(g.First, g.Last);
    g.LongestStep = g.First >= g.Last ? "before the first pump" : "after the last pump";
    for (std::size_t i = 1; i < pumps_.size(); ++i) {
      const double gap = ms(pumps_[i - 1].At, pumps_[i].At);
      if (gap > g.Longest) {
        g.Longest = gap;
        g.LongestStep = pumps_[i - 1].Step + " .. " + pumps_[i].Step;
      }
    }
    return g;
  }

 private:
  struct Pump {
    Clock::time_point At;
    std::string Step;
  };
  std::vector<Pump> pumps_;
  std::string step_;
  Clock::time_point start_;
  Clock::time_point end_;
};

// A whole calculation as the Calculate button runs it: finding the routes, sorting them, and building
// the rows of the first routes for the route list (the window's default number of lines). The window
// only takes the user's input at the message pump, so the longest gap between two pumps (or before the
// first, or after the last) is the longest time it would not respond.
void BM_CalculationResponsiveness(benchmark::State& state, const char* size) {
  const TSvData* d = Model(size);
  if (!d) return state.SkipWithError("the installation could not be generated or loaded");
  PumpRecorder hooks;
  PumpRecorder::Gaps worst;
  double pumps = 0;
  double total = 0;
  double first = 0;
  double last = 0;
  std::size_t routes = 0;
  std::size_t rows = 0;
  TCalcWork work;  // a repeated calculation first gives the routes of the one before back
  for (auto _ : state) {
    TRouteTable out;
    hooks.Start();
    CalculateRoutes(*d, Everything(), work, hooks, nullptr);
    BuildRouteRows(*d, work.FRoutes, TDisplayOptions{}, hooks, out);
    hooks.Finish();
    state.PauseTiming();
    const PumpRecorder::Gaps g = hooks.Measure();
    if (g.Longest > worst.Longest) worst = g;
    pumps += double(g.Pumps);
    total += g.Total;
    first = std::max(first, g.First);
    last = std::max(last, g.Last);
    routes = work.FRoutes.Count();
    rows = out.Count();
    state.ResumeTiming();
  }
  const double n = double(std::max<std::int64_t>(state.iterations(), 1));
  state.counters["max_gap_ms"] = worst.Longest;
  state.counters["pumps"] = pumps / n;
  state.counters["total_ms"] = total / n;
  state.counters["first_pump_ms"] = first;
  state.counters["after_last_pump_ms"] = last;
  state.counters["routes"] = double(routes);
  state.counters["rows"] = double(rows);
  state.SetLabel("longest gap in: " + worst.LongestStep);
}

// The display of 3,000,000 routes of the large installation as Reshow runs it: the rows built straight
// into the route-list window's table, sorted by "Profit", handed to the window, and the window settled. Reports the
// peak memory above what the process held before, against the size of the text those rows save as, and the longest time
// the window would not respond.
void BM_DisplayLarge(benchmark::State& state) {
  const TSvData* d = Model("large");
  if (!d) return state.SkipWithError("the installation could not be generated or loaded");
  const TCalcWork& work = CalculatedOnce(*d);
  TDisplayOptions options;
  options.LinesCount = state.range(0);
  options.Level = 1e9;  // every route shown
  class PumpingHooks : public TCalcHooks {
    void ProcessMessages() override { QCoreApplication::processEvents(); }
  } hooks;
  for (auto _ : state) {
    TformGrid grid;
    grid.show();
    for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
    // As ShowRoutes does.
    auto display = [&] {
      grid.ClearRoutes();
      TRouteTable rows;
      const TDisplayEnd end = BuildRouteRows(*d, work.FRoutes, options, hooks, rows);
      grid.TakeRoutes(std::move(rows), end == TDisplayEnd::Finished);
    };
    // Into the empty list, then once more in place of those rows (Reshow).
    double peakTimesSaved = 0, longestGap = 0;
    for (const char* step : {"display", "reshow"}) {
      platform::ReleaseFreeMemory();
      const double before = bench::RssMb();
      bench::ResetPeak();
      double took = 0;
      const double gap = bench::LongestPumpGap(display, &took);
      const double peak = bench::PeakMb();
      const double shown = bench::RssMb();
      const double rows = double(grid.RouteTable().Count());
      const double savedMb = double(RouteFileText(grid.RouteTable()).size()) / (1024.0 * 1024.0);
      peakTimesSaved = std::max(peakTimesSaved, (peak - before) / savedMb);
      longestGap = std::max(longestGap, gap);
      state.counters["rows"] = rows;
      state.counters["saved_text_MB"] = savedMb;
      std::printf(
          "\n%s of %.0f rows (of %zu routes): saved text %.0f MB\n"
          "RSS before %.0f MB, peak while displaying %.0f MB (%.2f x the saved text above before), shown %.0f MB\n"
          "display and show %.0f ms, longest pump gap %.0f ms\n",
          step, rows, work.FRoutes.Count(), savedMb, before, peak, (peak - before) / savedMb, shown, took, gap);
    }
    std::printf("\n");
    state.counters["routes"] = double(work.FRoutes.Count());
    state.counters["peak_over_before_x_saved"] = peakTimesSaved;
    state.counters["max_gap_ms"] = longestGap;
  }
}

BENCHMARK_CAPTURE(BM_FindRoutes, typical, "typical")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SortRoutes, typical, "typical", 0u)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SortRoutes, typical_1thread, "typical", 1u)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowRoutes)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FindRoutes, large, "large")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(BM_SortRoutes, large, "large", 0u)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(BM_CalculationResponsiveness, large, "large")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(BM_DisplayLarge)->Arg(3'000'000)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return qmz::bench::RunWithApplication(argc, argv); }
