// The whole loading constructor on generated installations: chooser, main INI, data files, parsers.
// The installations are generated in a child process, so the peak memory reported (ru_maxrss of this
// process) is the loader's own.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
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

class ChooserOnly : public TLoaderUserInterface {
 public:
  explicit ChooserOnly(std::string folder) : folder_(std::move(folder)) {}
  std::optional<std::string> chooseInstallation() override { return folder_; }
  bool askYesNo(const std::string&) override { return false; }
  std::string inputText(const std::string&, const std::string&) override { return {}; }
  void showWarning(const std::string&) override {}

 private:
  std::string folder_;
};

fs::path BenchRoot() {
  static const fs::path root = fs::temp_directory_path() / ("qmz-bench-loader-" + std::to_string(getpid()));
  return root;
}

void RemoveRoot() {
  std::error_code ec;
  fs::remove_all(BenchRoot(), ec);
}

// The installation folder of a generated size, made once per run.
std::optional<fs::path> Installation(const std::string& size) {
  static std::map<std::string, std::optional<fs::path>> made;
  auto it = made.find(size);
  if (it != made.end()) return it->second;
  const fs::path root = BenchRoot() / size;
  const pid_t child = fork();
  if (child == 0) {
    try {
      auto options = samplegen::Options::ForSize(size);
      const auto manifest = samplegen::Generate(root, options);
      std::error_code ec;
      fs::create_symlink(manifest.installDir, root / "install-link", ec);
      _exit(ec ? 1 : 0);
    } catch (...) {
      _exit(1);
    }
  }
  int status = 0;
  std::optional<fs::path> result;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    std::error_code ec;
    result = fs::read_symlink(root / "install-link", ec);
    if (ec) result.reset();
  }
  if (made.empty()) std::atexit(RemoveRoot);
  made[size] = result;
  return result;
}

void BM_LoadInstallation(benchmark::State& state, const char* size) {
  const auto folder = Installation(size);
  if (!folder) {
    state.SkipWithError("the installation could not be generated");
    return;
  }
  // The host's Wine prefix (a mod manager) must not change what is measured.
  platform::SetProcessRegistry(std::make_shared<platform::MemoryRegistry>());
  ChooserOnly user(folder->string());
  std::size_t bases = 0;
  std::size_t goods = 0;
  for (auto _ : state) {
    platform::ResetGamePathCache();  // a real start finds no folder listing cached
    TSvData model(nullptr, 0, 0, user);
    if (!model.DataValid) {
      state.SkipWithError("the installation did not load");
      break;
    }
    bases = model.aBase.size() - 1;
    goods = model.aGood.size() - 1;
    benchmark::DoNotOptimize(model.aMarket.size());
  }
  platform::ResetProcessRegistry();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["bases"] = double(bases);
  state.counters["goods"] = double(goods);
  state.counters["peak_rss_MB"] = double(usage.ru_maxrss) / 1024.0;
}

BENCHMARK_CAPTURE(BM_LoadInstallation, typical, "typical")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadInstallation, large, "large")->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
