// The whole loading constructor on generated installations: chooser, main INI, data files, parsers.
// Besides the time of a load it reports, per size, what shows whether the cost grows with the data:
// the data files' size, milliseconds per MB of them, and the peak memory of one load in a fresh process
// (this program started again with --peak-load), also per market line. The installations are
// generated in a child process, so this process's own memory stays the loader's.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "gamedata/LoaderUserInterface.h"
#include "gamedata/uSvFunctions.h"
#include "platform/GamePath.h"
#include "platform/Registry.h"
#include "samplegen/SampleGen.h"

namespace fs = std::filesystem;
using namespace qmz;

namespace {

fs::path BenchRoot() {
  static const fs::path root = fs::temp_directory_path() / ("qmz-bench-loader-" + std::to_string(getpid()));
  return root;
}

void RemoveRoot() {
  std::error_code ec;
  fs::remove_all(BenchRoot(), ec);
}

struct Installation {
  fs::path folder;
  double dataMB = 0;  // the files below DATA
  int marketLines = 0;
};

// A generated size, made once per run. The child writes the installation folder and the market line
// count into a small file.
std::optional<Installation> Generated(const std::string& size) {
  static std::map<std::string, std::optional<Installation>> made;
  auto it = made.find(size);
  if (it != made.end()) return it->second;
  const fs::path root = BenchRoot() / size;
  const pid_t child = fork();
  if (child == 0) {
    try {
      const auto manifest = samplegen::Generate(root, samplegen::Options::ForSize(size));
      std::ofstream(root / "bench-info") << manifest.marketLines << "\n" << manifest.installDir.string() << "\n";
      _exit(0);
    } catch (...) {
      _exit(1);
    }
  }
  int status = 0;
  std::optional<Installation> result;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    Installation inst;
    std::ifstream info(root / "bench-info");
    std::string folder;
    if (info >> inst.marketLines && std::getline(info >> std::ws, folder)) {
      inst.folder = folder;
      std::uintmax_t bytes = 0;
      std::error_code ec;
      for (const auto& e : fs::recursive_directory_iterator(inst.folder / "DATA", ec))
        if (e.is_regular_file(ec)) bytes += e.file_size(ec);
      inst.dataMB = double(bytes) / 1e6;
      result = inst;
    }
  }
  if (made.empty()) std::atexit(RemoveRoot);
  made[size] = result;
  return result;
}

bool LoadOnce(const std::string& folder) {
  // The host's Wine prefix (a mod manager) must not change what is measured.
  platform::SetProcessRegistry(std::make_shared<platform::MemoryRegistry>());
  platform::ResetGamePathCache();  // a real start finds no folder listing cached
  FixedInstallationUser user(folder);
  TSvData model(nullptr, 0, 0, user);
  platform::ResetProcessRegistry();
  return model.DataValid;
}

// Peak resident memory of one load in a fresh process, in bytes; 0 when it could not be measured.
double PeakOfOneLoad(const fs::path& folder) {
  const pid_t child = fork();
  if (child == 0) {
    execl("/proc/self/exe", "bench_loader", "--peak-load", folder.c_str(), static_cast<char*>(nullptr));
    _exit(2);
  }
  int status = 0;
  rusage usage{};
  if (child <= 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return 0;
  return double(usage.ru_maxrss) * 1024.0;
}

void BM_LoadInstallation(benchmark::State& state, const char* size) {
  const auto inst = Generated(size);
  if (!inst) {
    state.SkipWithError("the installation could not be generated");
    return;
  }
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const bool loaded = LoadOnce(inst->folder.string());
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!loaded) {
      state.SkipWithError("the installation did not load");
      return;
    }
  }
  const double peak = PeakOfOneLoad(inst->folder);
  state.counters["data_MB"] = inst->dataMB;
  state.counters["market_lines"] = inst->marketLines;
  state.counters["ms_per_MB"] = seconds * 1e3 / double(state.iterations()) / inst->dataMB;
  state.counters["peak_MB"] = peak / 1e6;
  state.counters["peak_B_per_line"] = inst->marketLines > 0 ? peak / inst->marketLines : 0.0;
}

BENCHMARK_CAPTURE(BM_LoadInstallation, typical, "typical")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadInstallation, large, "large")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(BM_LoadInstallation, xlarge, "xlarge")->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  // The child of PeakOfOneLoad: one load, nothing else, so its peak memory is the load's.
  if (argc == 3 && std::strcmp(argv[1], "--peak-load") == 0) return LoadOnce(argv[2]) ? 0 : 1;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
