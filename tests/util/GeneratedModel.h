#pragma once
// Models loaded from generated installations.

#include <memory>
#include <filesystem>

#include "gamedata/uSvFunctions.h"
#include "platform/GamePath.h"
#include "platform/Registry.h"
#include "samplegen/SampleGen.h"
#include "util/ScriptedUser.h"
#include "util/TempDir.h"

namespace qmz::test {

inline const samplegen::Manifest& SmallInstall() {
  static TempDir dir;
  static const samplegen::Manifest manifest = samplegen::Generate(dir.Path(), samplegen::Options::ForSize("small"));
  return manifest;
}

// A fresh model of an installation; no mod manager of the host leaks in.
inline std::unique_ptr<TSvData> LoadModel(const std::filesystem::path& installDir) {
  platform::SetProcessRegistry(std::make_shared<platform::MemoryRegistry>());
  platform::ResetGamePathCache();
  ScriptedUser user;
  user.chooser = installDir.string();
  auto data = std::make_unique<TSvData>(nullptr, 0, 0, user);
  platform::ResetProcessRegistry();
  return data;
}

inline std::unique_ptr<TSvData> LoadSmallModel() { return LoadModel(SmallInstall().installDir); }

// The first base that sells at least one good, -1 if none; and how many it sells.
inline int TradingBase(const SvModel& d) {
  for (std::size_t b = 1; b < d.aBase.size(); ++b)
    for (std::size_t g = 1; g < d.aGood.size(); ++g)
      if (d.aMarket[b][g].Sold) return int(b);
  return -1;
}
inline int SoldCount(const SvModel& d, int base) {
  int n = 0;
  for (std::size_t g = 1; g < d.aGood.size(); ++g) n += d.aMarket[std::size_t(base)][g].Sold;
  return n;
}

}  // namespace qmz::test
