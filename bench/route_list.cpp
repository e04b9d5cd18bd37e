// The route-list window with a large route file (about 1.5 million rows, generated): the memory a load
// holds at its peak, what stays after Clear and after each reload, and the longest time the window
// would not respond (the longest gap between two runs of the message pump) while a file loads and
// shows, while the rows are saved again, and while they sort by a number column and by a text column.

#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "WindowMeasures.h"
#include "app/core/uFormGrid_Files.h"
#include "app/core/uFormGrid_Table.h"
#include "app/uFormGrid.h"
#include "platform/MemoryPages.h"

namespace fs = std::filesystem;
using namespace qmz;

namespace {

constexpr std::size_t kRows = 1'570'000;

TRouteTable TableOf(const std::vector<TRouteRow>& rows) {
  TRouteTable table;
  for (const TRouteRow& r : rows) table.Append(r);
  return table;
}

// A route file of kRows rows like the display writes, made in a child process so its memory never
// counts here.
fs::path RouteFile() {
  static const fs::path file = fs::temp_directory_path() / ("qmz-bench-routes-" + std::to_string(getpid())) /
                               "routes.csv";
  if (fs::exists(file)) return file;
  fs::create_directories(file.parent_path());
  const pid_t child = fork();
  if (child == 0) {
    std::ofstream out(file, std::ios::binary);
    std::vector<TRouteRow> batch;
    for (std::size_t done = 0; done < kRows;) {
      batch.clear();
      for (std::size_t i = 0; i < 10000 && done < kRows; ++i, ++done) {
        const std::size_t k = done * 2654435761u;
        TRouteRow r;
        r.Caption = std::to_string(k % 9000000);
        r.SubItems = {std::to_string(k % 4000),
                      "Ore Grade " + std::to_string(k % 97),
                      "Commodity",
                      "Fenen Station " + std::to_string(k % 613),
                      "Solani " + std::to_string(k % 71),
                      "Tarix Depot " + std::to_string((k >> 7) % 613),
                      "Draon System " + std::to_string((k >> 5) % 71),
                      std::to_string(k % 3000),
                      std::to_string(k % 7000),
                      std::to_string(k % 1000000),
                      std::to_string(k % 250),
                      "0." + std::to_string(10 + k % 90),
                      std::to_string(k % 40) + ".00",
                      k % 5 == 0 ? "0.50" : "0.00",
                      std::to_string(1 + k % 3),
                      "",
                      "Korulon Navy",
                      "Xanorava Police",
                      k % 7 == 0 ? "False" : "True"};
        batch.push_back(std::move(r));
      }
      std::string text = RouteFileText(TableOf(batch));
      if (done > batch.size()) text.erase(0, text.find("\r\n") + 2);  // one header line
      out << text;
    }
    _exit(out ? 0 : 1);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
  return file;
}

using bench::LongestPumpGap;
using bench::PeakMb;
using bench::ResetPeak;
using bench::RssMb;

void BM_RouteListLargeFile(benchmark::State& state) {
  const fs::path file = RouteFile();
  if (file.empty()) {
    state.SkipWithError("the route file could not be generated");
    return;
  }
  const double fileMb = double(fs::file_size(file)) / (1024.0 * 1024.0);
  const QString path = QString::fromStdString(file.string());
  for (auto _ : state) {
    TformGrid grid;
    grid.ShowMessage = [](const QString& text, const QString&) { std::fprintf(stderr, "%s\n", qPrintable(text)); };
    grid.show();
    for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
    platform::ReleaseFreeMemory();
    const double before = RssMb();
    ResetPeak();
    double loadTook = 0, sortNumberTook = 0, sortTextTook = 0;
    const double loadGap = LongestPumpGap([&] { grid.LoadRoutesFrom(path); }, &loadTook);
    const double peak = PeakMb();
    const double loaded = RssMb();
    const double rows = double(grid.RouteTable().Count());
    // Saved again, as loaded: the same bytes.
    const fs::path saved = file.parent_path() / "saved.csv";
    double saveTook = 0;
    const double saveGap = LongestPumpGap([&] { grid.SaveRoutesTo(QString::fromStdString(saved.string())); },
                                          &saveTook);
    const bool savedSame = fs::exists(saved) && fs::file_size(saved) == fs::file_size(file) && [&] {
      std::ifstream a(file, std::ios::binary), b(saved, std::ios::binary);
      return std::equal(std::istreambuf_iterator<char>(a), {}, std::istreambuf_iterator<char>(b), {});
    }();
    fs::remove(saved);
    auto clear = [&] {
      grid.miClearClick();
      QCoreApplication::processEvents();
      return RssMb();
    };
    auto reload = [&] {
      grid.LoadRoutesFrom(path);
      QCoreApplication::processEvents();
      return RssMb();
    };
    const double cleared = clear();
    std::vector<double> reloads{reload()};
    const double sortNumberGap = LongestPumpGap([&] { grid.lvRoutesColumnClick(8); }, &sortNumberTook);
    const double sortTextGap = LongestPumpGap([&] { grid.lvRoutesColumnClick(4); }, &sortTextTook);
    const double afterSort = RssMb();
    const double clearedAfterSort = clear();
    reloads.push_back(reload());
    reloads.push_back(reload());
    const double clearedAgain = clear();

    state.counters["file_MB"] = fileMb;
    state.counters["rows"] = rows;
    state.counters["rss_before_MB"] = before;
    state.counters["peak_over_before_x_file"] = (peak - before) / fileMb;
    state.counters["rss_loaded_MB"] = loaded;
    state.counters["rss_cleared_MB"] = cleared;
    state.counters["rss_cleared_after_reloads_MB"] = clearedAgain;
    state.counters["gap_load_ms"] = loadGap;
    state.counters["gap_sort_number_ms"] = sortNumberGap;
    state.counters["gap_sort_text_ms"] = sortTextGap;
    state.counters["gap_save_ms"] = saveGap;
    std::printf(
        "\nroute file %.0f MB, %.0f rows\n"
        "RSS before the first load %.0f MB; peak while loading %.0f MB (%.2f x the file above before)\n"
        "RSS loaded %.0f MB, after Clear %.0f MB (%+.1f %% of before)\n",
        fileMb, rows, before, peak, (peak - before) / fileMb, loaded, cleared, 100.0 * (cleared - before) / before);
    for (std::size_t i = 0; i < reloads.size(); ++i)
      std::printf("RSS after reload %zu: %.0f MB (%+.1f %% of the first load)\n", i + 1, reloads[i],
                  100.0 * (reloads[i] - loaded) / loaded);
    std::printf("RSS after two sorts of reload 1 %.0f MB, after Clear %.0f MB (%+.1f %% of before)\n", afterSort,
                clearedAfterSort, 100.0 * (clearedAfterSort - before) / before);
    std::printf("RSS after Clear following the reloads %.0f MB (%+.1f %% of before)\n", clearedAgain,
                100.0 * (clearedAgain - before) / before);
    std::printf("load and show %.0f ms, sort by Price %.0f ms, sort by From Base %.0f ms\n", loadTook, sortNumberTook,
                sortTextTook);
    std::printf("longest pump gap: load and show %.0f ms, sort by Price %.0f ms, sort by From Base %.0f ms\n", loadGap,
                sortNumberGap, sortTextGap);
    std::printf("save %.0f ms, longest pump gap while saving %.0f ms; the saved file %s the loaded one\n\n", saveTook,
                saveGap, savedSame ? "is byte for byte" : "DIFFERS from");
  }
}
BENCHMARK(BM_RouteListLargeFile)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const int result = bench::RunWithApplication(argc, argv);
  std::error_code ec;
  fs::remove_all(RouteFile().parent_path(), ec);
  return result;
}
