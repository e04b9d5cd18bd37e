// The loader's steps before the parsers on the generated installations: main INI, data folder, resource
// list, discovery, decoding, joining and reorganisation of the data files; and nickname lookups.
// Target: everything of these steps on "large" under 0.5 s on one core (Release build).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "gamedata/uSVIni.h"
#include "gamedata/uSvFunctions.h"
#include "platform/GamePath.h"
#include "samplegen/SampleGen.h"

namespace {

namespace fs = std::filesystem;

// Each size is generated once per run, into a folder removed at exit.
struct Installations {
  fs::path root = fs::temp_directory_path() / ("qmz_bench_model_" + std::to_string(::getpid()));
  std::map<std::string, qmz::samplegen::Manifest> made;
  ~Installations() { fs::remove_all(root); }
  const qmz::samplegen::Manifest& Get(const std::string& size) {
    auto it = made.find(size);
    if (it == made.end()) {
      auto options = qmz::samplegen::Options::ForSize(size);
      options.binaryFiles = true;
      it = made.emplace(size, qmz::samplegen::Generate(root / size, options)).first;
    }
    return it->second;
  }
};

Installations& Sample() {
  static Installations installations;
  return installations;
}

void DiscoverJoinReorganise(benchmark::State& state, const char* size) {
  const auto& m = Sample().Get(size);
  const std::string svPath = m.installDir.string() + "/";
  for (auto _ : state) {
    qmz::TSvData d;
    d.SVPath = svPath;
    d.aIni[qmz::iniMain] = d.OpenGameIni(d.SVPath + "EXE\\starvagant.ini");
    bool ok = d.getInitialData() && d.getDllList() && d.getDataInis();
    if (!ok || d.MarketGoodNames.Count() != m.marketGoods)
      state.SkipWithError("the steps did not load the installation");
    benchmark::DoNotOptimize(d.MarketGoodNames.Count());
  }
}

// Display names of every equipment item and good, each library read once per model.
void IdsStrings(benchmark::State& state, const char* size) {
  const auto& m = Sample().Get(size);
  qmz::TSvData loaded;
  loaded.SVPath = m.installDir.string() + "/";
  loaded.aIni[qmz::iniMain] = loaded.OpenGameIni(loaded.SVPath + "EXE\\starvagant.ini");
  if (!(loaded.getInitialData() && loaded.getDllList() && loaded.getDataInis())) {
    state.SkipWithError("the steps did not load the installation");
    return;
  }
  std::vector<std::string> ids;
  qmz::TStringList sections;
  loaded.aIni[qmz::iniEquip]->ReadSections(&sections);
  for (int i = 0; i < sections.Count(); ++i)
    ids.push_back(loaded.aIni[qmz::iniEquip]->ReadString(std::string(sections[i]), "ids_name", ""));
  std::size_t found = 0;
  for (auto _ : state) {
    qmz::TSvData d;
    d.SVPath = loaded.SVPath;
    for (int i = 0; i < loaded.DllList.Count(); ++i) d.DllList.Add(loaded.DllList[i]);
    for (const auto& id : ids) found += d.getIdsString(id).empty() ? 0 : 1;
  }
  benchmark::DoNotOptimize(found);
  state.SetItemsProcessed(std::int64_t(state.iterations() * ids.size()));
}

// Lookups of every good of a 4,000-good array, the index built on the first lookup of each round.
void NicknameLookups(benchmark::State& state) {
  qmz::TGoodArr goods;
  goods.resize(4001);
  for (int i = 1; i <= 4000; ++i) goods[std::size_t(i)].nickname = "commodity_good_" + std::to_string(i);
  qmz::TSvData d;
  std::vector<std::string> asked;
  for (int i = 1; i <= 4000; ++i) asked.push_back("  COMMODITY_good_" + std::to_string(i) + " ");
  for (auto _ : state) {
    goods.NicknamesChanged();
    long sum = 0;
    for (const auto& nick : asked) sum += d.getIndexByNickname(nick, goods);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(std::int64_t(state.iterations()) * 4000);
}

}  // namespace

BENCHMARK_CAPTURE(DiscoverJoinReorganise, typical, "typical")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DiscoverJoinReorganise, large, "large")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(IdsStrings, large, "large")->Unit(benchmark::kMillisecond);
BENCHMARK(NicknameLookups)->Unit(benchmark::kMicrosecond);
