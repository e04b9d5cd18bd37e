#include "samplegen/CommandLine.h"

#include "samplegen/SampleGen.h"

#include <charconv>
#include <optional>
#include <stdexcept>
#include <system_error>

namespace qmz::samplegen {

const char* UsageText() {
  return "usage: qmz-samplegen [--size small|typical|large|xlarge] [--seed N] [--binary] [--wine-prefix]\n"
         "                     [--settings QMZ.ini] <out-dir>\n"
         "Writes a sample Starvagant installation into <out-dir>/Starvagant (its EXE/ and DATA/ go below that\n"
         "folder, not into <out-dir> itself) and prints what it wrote, the installation's folder as install_dir.\n"
         "That folder is the one to choose in the program's installation chooser.\n"
         "  --size NAME      how much to write: small (the default), typical, large or xlarge\n"
         "  --seed N         the seed of the names and numbers (a whole number, default 1): the same seed\n"
         "                   writes the same bytes\n"
         "  --binary         write some of the data files in the game's binary INI form instead of text\n"
         "  --wine-prefix    put the installation into the Wine prefix <out-dir>/wineprefix, as\n"
         "                   <out-dir>/wineprefix/drive_c/Games/Starvagant, with the registry entries that\n"
         "                   name it and a mod manager with active mods\n"
         "  --settings FILE  name the installation in that settings file (a new file: as the default entry;\n"
         "                   an existing one: as one more entry when none names it, nothing else changed)\n"
         "  --help, -h       show this text\n"
         "An option's value may also follow it after '=', as in --size=large.\n";
}

CommandLine ParseCommandLine(const std::vector<std::string>& Args) {
  CommandLine line;
  auto fail = [&line](std::string why) {
    if (line.error.empty()) line.error = std::move(why);
  };
  for (std::size_t i = 0; i < Args.size() && line.error.empty(); ++i) {
    std::string a = Args[i];
    // "--name=value" is "--name value".
    std::optional<std::string> joined;
    if (a.rfind("--", 0) == 0) {
      if (const std::size_t eq = a.find('='); eq != std::string::npos) {
        joined = a.substr(eq + 1);
        a.erase(eq);
      }
    }
    const bool takesValue = a == "--size" || a == "--seed" || a == "--settings";
    if (joined && !takesValue) {
      const bool known = a == "--help" || a == "--binary" || a == "--wine-prefix";
      fail(known ? "option " + a + " takes no value" : "unknown option '" + a + "'");
      break;
    }
    if (a == "--help" || a == "-h") {
      line.help = true;
      return line;
    }
    if (takesValue && !joined && i + 1 >= Args.size()) {
      fail("option " + a + " needs a value");
      break;
    }
    const std::string value = !takesValue ? std::string() : joined ? *joined : Args[++i];
    if (a == "--size") {
      line.size = value;
      // The sizes are the generator's to name.
      try {
        Options::ForSize(line.size);
      } catch (const std::invalid_argument& e) {
        fail(e.what());
      }
    } else if (a == "--seed") {
      std::uint64_t seed = 0;
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), seed);
      if (value.empty() || ec != std::errc() || end != value.data() + value.size())
        fail("the seed '" + value + "' is not a whole number from 0 to 18446744073709551615");
      else line.seed = seed;
    } else if (a == "--binary") {
      line.binary = true;
    } else if (a == "--wine-prefix") {
      line.winePrefix = true;
    } else if (a == "--settings") {
      line.settings = value;
      if (line.settings.empty()) fail("option --settings needs a file name");
    } else if (!a.empty() && a[0] == '-') {
      fail("unknown option '" + a + "'");
    } else if (a.empty()) {
      fail("an empty output folder");
    } else if (!line.outDir.empty()) {
      fail("a second output folder '" + a + "' (the first is '" + line.outDir + "')");
    } else {
      line.outDir = a;
    }
  }
  if (line.error.empty() && line.outDir.empty()) line.error = "no output folder given";
  return line;
}

}  // namespace qmz::samplegen
