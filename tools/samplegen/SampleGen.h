#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qmz::samplegen {

// What to generate. ForSize gives the named sizes; the counts may also be set by hand.
struct Options {
  std::string size = "small";  // name written to the manifest
  int systems = 8;
  int bases = 30;  // dockable bases (the loader's base array, dummy not counted)
  int goods = 80;  // [Good] sections, ships and untraded goods included
  int factions = 10;
  int marketLines = 480;  // MarketGood lines over both market files (about; at least one per traded good)
  std::uint64_t seed = 1;
  bool binaryFiles = false;  // write the selected data files in the binary INI form
  bool winePrefix = false;   // put the installation into a Wine prefix with registry and mods
  std::vector<std::string> mods = {"Trade Lanes Extended", "Better Markets"};  // active mods (Wine prefix only)

  // "small", "typical", "large" or "xlarge" (three times large); throws std::invalid_argument for any other name.
  static Options ForSize(const std::string& name);
};

// What was written, so tests can check the loader's findings against it.
struct Manifest {
  std::string size;
  std::uint64_t seed = 0;
  std::filesystem::path root;        // the folder given to Generate
  std::filesystem::path installDir;  // holds EXE/ and DATA/
  std::filesystem::path winePrefix;  // empty without a prefix
  std::string appPath;               // the installation as Windows sees it (registry AppPath), with a prefix

  int factions = 0;         // [Group] sections
  int lawfulFactions = 0;   // factions whose properties say lawful
  int solarArchetypes = 0;  // [Solar] sections
  int baseArchetypes = 0;   // of those, type PLANET or STATION
  int systems = 0;          // [System] sections
  int universeBases = 0;    // [Base] sections of the universe
  int dockableBases = 0;    // bases that a system file places: the loader's base array
  int goods = 0;            // [Good] sections
  int marketGoods = 0;      // distinct good nicknames named by any market line
  int tradedGoods = 0;      // of those, the commodities and typed equipment: the loader's goods array
  int marketLines = 0;      // MarketGood lines in all market files
  int marketCells = 0;      // distinct (dockable base, traded good) pairs after merging the market files
  int soldCells = 0;        // of those, the ones sold at that base
  int resourceDlls = 0;
  int resourceStrings = 0;
  std::vector<std::string> binaryFiles;  // data files in the binary form, relative to installDir, '/' separated
  std::vector<std::string> modNames;     // display names of the active mods, in registry order

  std::string ToText() const;  // key=value lines
};

// Writes a complete installation under root (created when missing) and root/manifest.txt.
// Output of an earlier run in root (recognised by its manifest) is replaced.
Manifest Generate(const std::filesystem::path& root, const Options& options);

}  // namespace qmz::samplegen
