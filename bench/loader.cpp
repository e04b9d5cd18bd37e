// The whole loading constructor on generated installations: chooser, main INI, data files, parsers.
// Besides the time of a load it reports, per size, what shows whether the cost grows with the data:
// the data files' size, milliseconds per MB of them, and the peak memory of one load in a fresh process
// (this program started again with --peak-load), also per market line. The installations are
// generated in a child process, so this process's own memory stays the loader's. Crafted installations
// (a small one with hostile files added) show the loader's bounds: each loads, or refuses, within 2 s; the
// large ones (files of hundreds of megabytes) within 5 s and 1.5 GB.

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
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "gamedata/LoaderUserInterface.h"
#include "gamedata/uSvFunctions.h"
#include "platform/GamePath.h"
#include "platform/Registry.h"
#include "samplegen/PeWriter.h"
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

using Change = std::function<void(const fs::path& installDir)>;

// A generated size, made once per run under its name; change, when given, then alters its files. The
// child writes the installation folder and the market line count into a small file.
std::optional<Installation> Generated(const std::string& size, const std::string& name = {},
                                      const Change& change = {}) {
  static std::map<std::string, std::optional<Installation>> made;
  const std::string key = name.empty() ? size : name;
  auto it = made.find(key);
  if (it != made.end()) return it->second;
  const fs::path root = BenchRoot() / key;
  const pid_t child = fork();
  if (child == 0) {
    try {
      const auto manifest = samplegen::Generate(root, samplegen::Options::ForSize(size));
      if (change) change(manifest.installDir);
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
  made[key] = result;
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
  // Exit code 1: the load ended refused, which is measured too.
  if (child <= 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) > 1)
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

// A file or folder of the installation named as the game names it.
fs::path OnDisk(const fs::path& installDir, const std::string& gamePath) {
  platform::ResetGamePathCache();
  const auto path = platform::ResolveGamePath(installDir.string() + "/" + gamePath);
  if (!path) throw std::runtime_error("no " + gamePath);
  return *path;
}

void Append(const fs::path& installDir, const std::string& gamePath, const std::string& text) {
  std::ofstream(OnDisk(installDir, gamePath), std::ios::app) << "\n" << text;
}

// A file of the given size named count times as a goods file: made of lines of text, or sparse (zero
// bytes that use no disk).
Change FileNamedOften(std::uintmax_t bytes, int count, bool sparse) {
  return [=](const fs::path& installDir) {
    const fs::path file = OnDisk(installDir, "DATA") / "repeated.ini";
    if (sparse) {
      std::ofstream{file};
      fs::resize_file(file, bytes);
    } else {
      std::ofstream out(file);
      const std::string line = "[Filler]\nnickname = filler_item_with_a_long_name\nvalue = 1, 2, 3, 4, 5, 6, 7, 8\n";
      for (std::uintmax_t written = 0; written < bytes; written += line.size()) out << line;
    }
    std::string lines;
    for (int i = 0; i < count; ++i) lines += "goods = repeated.ini\n";
    Append(installDir, "EXE\\starvagant.ini", lines);
  };
}

// One system file of 150,000 objects (about 5 MB) named by 2,000 systems.
void SharedSystemFile(const fs::path& installDir) {
  std::ofstream out(OnDisk(installDir, "DATA") / "shared_system.ini");
  out << "[SystemInfo]\nlocal_faction = none\n";
  for (int o = 0; o < 150000; ++o) out << "[Object]\nnickname = obj_" << o << "\nbase = no_base_" << o << "\n";
  std::string systems;
  for (int s = 0; s < 2000; ++s)
    systems += "[System]\nnickname = shared_" + std::to_string(s) + "\nfile = ..\\shared_system.ini\n";
  Append(installDir, "DATA\\universe\\universe.ini", systems);
}

// About 9 MB of "[]" lines, sections without lines: at the end of the main INI, or as a goods file.
Change EmptySections(bool asDataFile) {
  return [=](const fs::path& installDir) {
    std::string text;
    for (int i = 0; i < 3'000'000; ++i) text += "[]\n";
    if (!asDataFile) {
      Append(installDir, "EXE\\starvagant.ini", text);
      return;
    }
    std::ofstream(OnDisk(installDir, "DATA") / "empty_sections.ini") << text;
    Append(installDir, "EXE\\starvagant.ini", "goods = empty_sections.ini\n");
  };
}

// One resource library named ways times after the game's own ("zz1\..\big.dll", "zz2\..\big.dll", ...),
// each name used by a faction of its own: a library of 65,536 texts of 254 characters (about 34 MB), or
// a sparse file of zero bytes.
Change LibraryNamedManyWays(int ways, std::uintmax_t sparseBytes = 0) {
  return [=](const fs::path& installDir) {
    const fs::path library = OnDisk(installDir, "EXE") / "big.dll";
    if (sparseBytes > 0) {
      std::ofstream{library};
      fs::resize_file(library, sparseBytes);
    } else {
      std::map<std::uint16_t, std::string> texts;
      for (int id = 0; id < 65536; ++id) texts[std::uint16_t(id)] = std::string(254, char('a' + id % 26));
      std::ofstream(library, std::ios::binary) << samplegen::BuildStringTableDll(texts);
    }
    const fs::path mainIni = OnDisk(installDir, "EXE\\starvagant.ini");
    std::string text;
    {
      std::ifstream in(mainIni, std::ios::binary);
      text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const auto data = text.find("[Data]");
    if (data == std::string::npos) throw std::runtime_error("no [Data] in the main INI");
    std::string libraries, groups;
    for (int way = 1; way <= ways; ++way) {
      libraries += "DLL = zz" + std::to_string(way) + "\\..\\big.dll\r\n";
      // The game's own three libraries come first.
      groups += "[Group]\r\nnickname = zz_grp_" + std::to_string(way) +
                "\r\nids_name = " + std::to_string((way + 3) * 65536 + 1) + "\r\n";
    }
    text.insert(data, libraries + "\r\n");
    std::ofstream(mainIni, std::ios::binary) << text;
    std::ofstream(OnDisk(installDir, "DATA") / "big_groups.ini", std::ios::binary) << groups;
    Append(installDir, "EXE\\starvagant.ini", "groups = big_groups.ini\n");
  };
}

// A binary file of at least 16 MiB whose values all name one string of 64 KiB: about 1,000 MiB of decoded
// text, just within what the decoder gives a file of its size. The byte tells the files apart.
std::string DecodesToAGigabyte(char fill) {
  std::string records, table;
  const auto put = [&records](std::uint32_t v, int width) {
    for (int i = 0; i < width; ++i) records += char((v >> (8 * i)) & 0xFF);
  };
  const auto str = [&table](const std::string& s) {
    const auto at = std::uint32_t(table.size());
    table.append(s).append(1, '\0');
    return at;
  };
  const std::uint32_t object = str("Object"), key = str("nickname"), info = str("SystemInfo");
  const std::uint32_t faction = str("local_faction"), none = str("none");
  const std::uint32_t text = str(std::string(64 << 10, fill));
  put(info, 2), put(1, 2), put(faction, 2), put(1, 1), put(3, 1), put(none, 4);
  constexpr int kSections = 10, kEntries = 100, kValues = 16;  // 16,000 values of 64 KiB
  for (int s = 0; s < kSections; ++s) {
    put(object, 2), put(kEntries, 2);
    for (int e = 0; e < kEntries; ++e) {
      put(key, 2), put(kValues, 1);
      for (int v = 0; v < kValues; ++v) put(3, 1), put(text, 4);
    }
  }
  table.append((std::size_t(16) << 20) - table.size() - records.size(), fill);  // the size sets the bound
  std::string file = "BINI";
  file.append(4, '\0');
  const auto tableOffset = std::uint32_t(12 + records.size());
  for (int i = 0; i < 4; ++i) file += char((tableOffset >> (8 * i)) & 0xFF);
  return file + records + table;
}

// Systems appended to the universe, each naming the file of the same number in names, in that order.
void AppendSystems(const fs::path& installDir, const std::vector<std::string>& names) {
  std::string systems;
  for (std::size_t s = 0; s < names.size(); ++s)
    systems += "[System]\nnickname = crafted_" + std::to_string(s) + "\nfile = " + names[s] + "\n";
  Append(installDir, "DATA\\universe\\universe.ini", systems);
}

// count different system files of 16 MiB that decode to a gigabyte each, named in turn twice: each is
// still to be named while the others are read.
Change LargeSystemFilesInTurn(int count) {
  return [=](const fs::path& installDir) {
    std::vector<std::string> names;
    for (int f = 0; f < count; ++f) {
      std::ofstream(OnDisk(installDir, "DATA\\universe") / ("large_" + std::to_string(f) + ".ini"), std::ios::binary)
          << DecodesToAGigabyte(char('a' + f));
      names.push_back("large_" + std::to_string(f) + ".ini");
    }
    for (int f = 0; f < count; ++f) names.push_back(names[std::size_t(f)]);
    AppendSystems(installDir, names);
  };
}

// bytes of header lines (sections without lines): a system file, or appended to the universe.
Change HeaderLines(const std::string& header, bool inUniverse, std::size_t bytes) {
  return [=](const fs::path& installDir) {
    std::string chunk;
    while (chunk.size() + header.size() <= (std::size_t(1) << 20)) chunk += header;
    std::string text;
    text.reserve(bytes);
    while (text.size() + chunk.size() <= bytes) text += chunk;
    while (text.size() + header.size() <= bytes) text += header;
    if (inUniverse) {
      Append(installDir, "DATA\\universe\\universe.ini", text);
      return;
    }
    std::ofstream(OnDisk(installDir, "DATA\\universe") / "headers.ini", std::ios::binary) << text;
    AppendSystems(installDir, {"headers.ini"});
  };
}

const std::map<std::string, Change>& Crafted() {
  static const std::map<std::string, Change> crafted = {
      {"shared_system_file", SharedSystemFile},
      {"sparse_255MiB_named_8_times", FileNamedOften(std::uintmax_t(255) << 20, 8, true)},
      {"text_200MB_named_40_times", FileNamedOften(200'000'000, 40, false)},
      {"empty_sections_9MB_main_ini", EmptySections(false)},
      {"empty_sections_9MB_data_file", EmptySections(true)},
      {"library_34MB_named_64_ways", LibraryNamedManyWays(64)},
      {"sparse_library_256MiB_named_252_ways", LibraryNamedManyWays(252, std::uintmax_t(256) << 20)},
      {"system_files_decoded_1GiB_2_in_turn", LargeSystemFilesInTurn(2)},
      {"system_files_decoded_1GiB_4_in_turn", LargeSystemFilesInTurn(4)},
      {"system_file_256MiB_of_open_headers", HeaderLines("[\n", false, std::size_t(256) << 20)},
      {"system_file_256MiB_of_empty_headers", HeaderLines("[]\n", false, std::size_t(256) << 20)},
      {"universe_110MB_of_open_headers", HeaderLines("[\n", true, 110'000'000)},
      // Just fewer sections than the load holds: loaded, however long that takes.
      {"system_file_2_6M_sections", HeaderLines("[\n", false, 5'200'000)},
      {"universe_2_6M_sections", HeaderLines("[\n", true, 5'200'000)},
  };
  return crafted;
}

// A crafted installation: the time of a load and whether it loaded (a load past a bound ends refused).
void BM_LoadCrafted(benchmark::State& state, const char* name) {
  const auto inst = Generated("small", name, Crafted().at(name));
  if (!inst) {
    state.SkipWithError("the installation could not be generated");
    return;
  }
  bool loaded = false;
  for (auto _ : state) loaded = LoadOnce(inst->folder.string());
  state.counters["loaded"] = loaded;
  state.counters["data_MB"] = inst->dataMB;
  state.counters["peak_MB"] = PeakOfOneLoad(inst->folder) / 1e6;
}

BENCHMARK_CAPTURE(BM_LoadCrafted, shared_system_file, "shared_system_file")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadCrafted, empty_sections_9MB_main_ini, "empty_sections_9MB_main_ini")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadCrafted, empty_sections_9MB_data_file, "empty_sections_9MB_data_file")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadCrafted, sparse_255MiB_named_8_times, "sparse_255MiB_named_8_times")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_LoadCrafted, text_200MB_named_40_times, "text_200MB_named_40_times")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

BENCHMARK_CAPTURE(BM_LoadCrafted, library_34MB_named_64_ways, "library_34MB_named_64_ways")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_LoadCrafted, sparse_library_256MiB_named_252_ways, "sparse_library_256MiB_named_252_ways")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
// The large crafted installations: one load, whose peak decides.
BENCHMARK_CAPTURE(BM_LoadCrafted, system_files_decoded_1GiB_2_in_turn, "system_files_decoded_1GiB_2_in_turn")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_LoadCrafted, system_files_decoded_1GiB_4_in_turn, "system_files_decoded_1GiB_4_in_turn")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_LoadCrafted, system_file_256MiB_of_open_headers, "system_file_256MiB_of_open_headers")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_LoadCrafted, system_file_256MiB_of_empty_headers, "system_file_256MiB_of_empty_headers")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_LoadCrafted, universe_110MB_of_open_headers, "universe_110MB_of_open_headers")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_LoadCrafted, system_file_2_6M_sections, "system_file_2_6M_sections")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_LoadCrafted, universe_2_6M_sections, "universe_2_6M_sections")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

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
