// A whole load of a small generated installation, some of whose files come from the input. The input is
// a list of records, each
//   [file] [repeat: 2 bytes, little-endian] [length: 2 bytes, little-endian] [length bytes]
// file picks one of the installation's files (its number modulo the count of files, in name order); the
// bytes, written repeat + 1 times, replace that file's content (or follow what an earlier record of the
// same file wrote). Repetition lets a short input build files large enough to show a loader step whose
// time or memory grows faster than its input (a decode bomb, a file named by thousands of systems), which
// the fuzzer's time and memory limits then report. What one input writes is capped at 2 MiB.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstddef>
#include <cstdint>
#include <filesystem>
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
#include "platform/WholeFile.h"
#include "samplegen/SampleGen.h"
#include "support/mRunJournal.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxWritten = std::size_t(2) << 20;

struct Installation {
  std::string folder;
  std::vector<fs::path> files;  // every file of the installation, in name order
  std::vector<std::string> original;
};

Installation& Install() {
  static Installation install = [] {
    // No Wine prefix of the host: the registry stays empty.
    qmz::platform::SetProcessRegistry(std::make_shared<qmz::platform::MemoryRegistry>());
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path root = base / ("qmz-fuzz-install-" + std::to_string(getpid()));
    fs::remove_all(root, ec);
    const auto manifest = qmz::samplegen::Generate(root, qmz::samplegen::Options::ForSize("small"));
    Installation in;
    in.folder = manifest.installDir.string();
    for (const auto& entry : fs::recursive_directory_iterator(manifest.installDir))
      if (entry.is_regular_file()) in.files.push_back(entry.path());
    std::sort(in.files.begin(), in.files.end());
    for (const auto& file : in.files) {
      std::string text;
      qmz::platform::ReadWholeFile(file.string(), text);
      in.original.push_back(std::move(text));
    }
    static fs::path removed;
    removed = root;
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(removed, ignored);
    });
    return in;
  }();
  return install;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Installation& in = Install();
  std::map<std::size_t, std::string> written;
  std::size_t total = 0;
  for (std::size_t at = 0; at + 5 <= size;) {
    const std::size_t file = data[at] % in.files.size();
    const std::size_t repeat = std::size_t(data[at + 1]) | std::size_t(data[at + 2]) << 8;
    std::size_t length = std::size_t(data[at + 3]) | std::size_t(data[at + 4]) << 8;
    at += 5;
    length = std::min(length, size - at);
    std::string& text = written[file];
    for (std::size_t r = 0; r <= repeat && total + length <= kMaxWritten; ++r, total += length)
      text.append(reinterpret_cast<const char*>(data + at), length);
    at += length;
  }
  for (const auto& [file, text] : written) qmz::platform::WriteFileAtomic(in.files[file].string(), text);

  try {
    qmz::TJournal journal("", "DebugOut", false, false, true, false);
    qmz::FixedInstallationUser user(in.folder);
    qmz::TSvData model(&journal, 0, 0, user);
    if (model.DataValid) {
      for (int b = 1; b < int(model.aBase.size()) && b < 4; ++b) (void)model.getMarketCsv(b, false);
      (void)model.getSystemBases(1);
    }
  } catch (const std::exception&) {
    // An error no loading step catches goes on to the program's error handler: a reported failure.
  }

  for (const auto& entry : written)
    qmz::platform::WriteFileAtomic(in.files[entry.first].string(), in.original[entry.first]);
  return 0;
}
