// The route calculator on generated installations: finding the routes and sorting them (measured
// apart), the memory a route takes, the longest stretch without a message pump or progress call, and
// the display of 1,000 and 4,000 rows. Installations are generated in a child process and loaded once.

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

#include "app/core/uFormMain_Calc.h"
#include "app/core/uFormMain_Display.h"
#include "app/core/uFormMain_Sort.h"
#include "gamedata/LoaderUserInterface.h"
#include "gamedata/uSvFunctions.h"
#include "platform/GamePath.h"
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
  static TCalcWork work;
  if (work.FRoutes.Empty()) {
    TCalcHooks hooks;
    CalculateRoutes(*d, Everything(), work, hooks, nullptr);
  }
  TDisplayOptions options;
  options.LinesCount = state.range(0);
  options.Level = 1e9;
  std::size_t rows = 0;
  for (auto _ : state) {
    TCalcHooks hooks;
    std::vector<TRouteRow> out;
    BuildRouteRows(*d, work.FRoutes, options, hooks, out);
    SortRouteRows(out, 0);
    SortRouteRows(out, ReversedSort);
    rows = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["rows"] = double(rows);
}

BENCHMARK_CAPTURE(BM_FindRoutes, typical, "typical")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SortRoutes, typical, "typical", 0u)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SortRoutes, typical_1thread, "typical", 1u)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowRoutes)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FindRoutes, large, "large")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(BM_SortRoutes, large, "large", 0u)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
