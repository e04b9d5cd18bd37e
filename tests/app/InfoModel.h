#pragma once
// A model loaded from a generated small installation, for the information and debug page tests.

#include <memory>
#include <string>

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

// A fresh model of the small installation; no mod manager of the host leaks in.
inline std::unique_ptr<TSvData> LoadSmallModel() {
  platform::SetProcessRegistry(std::make_shared<platform::MemoryRegistry>());
  platform::ResetGamePathCache();
  ScriptedUser user;
  user.chooser = SmallInstall().installDir.string();
  auto data = std::make_unique<TSvData>(nullptr, 0, 0, user);
  platform::ResetProcessRegistry();
  return data;
}

}  // namespace qmz::test
