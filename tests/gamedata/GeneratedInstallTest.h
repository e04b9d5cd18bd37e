#pragma once
// Loader tests: generated installations, a scripted user, a journal in memory and a registry of the test's
// own (no mod manager unless a test registers one: the host's Wine prefix must not leak in).

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "gamedata/uSvFunctions.h"
#include "platform/GamePath.h"
#include "platform/Registry.h"
#include "samplegen/SampleGen.h"
#include "util/ScriptedUser.h"
#include "util/TempDir.h"

namespace qmz::test {

class GeneratedInstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetProcessRegistry(registry);
    platform::ResetGamePathCache();
  }
  void TearDown() override {
    platform::ResetProcessRegistry();
    platform::ResetGamePathCache();
  }

  // An installation in a folder of the test's own; the one Replace and Load() use from now on.
  const samplegen::Manifest& Generate(const std::string& size, const std::string& sub = "game", bool binary = false,
                                      bool winePrefix = false) {
    auto options = samplegen::Options::ForSize(size);
    options.binaryFiles = binary;
    options.winePrefix = winePrefix;
    manifest = samplegen::Generate(dir.Path() / sub, options);
    platform::ResetGamePathCache();
    return manifest;
  }

  // Replaces a file of the installation (its path under the installation folder, any letter case), or
  // appends a line of bytes to it; gives back what it held.
  std::string Replace(const std::string& file, const std::string& bytes, bool append = false) {
    const auto path = platform::ResolveGamePath(manifest.installDir.string() + "/" + file);
    EXPECT_TRUE(path.has_value()) << file;
    if (!path) return {};
    std::string original = ReadWholeFile(*path);
    WriteWholeFile(*path, append ? original + "\n" + bytes : bytes);
    return original;
  }

  std::unique_ptr<TSvData> Load(const std::string& folder) {
    user.chooser = folder;
    return std::make_unique<TSvData>(journal.get(), 0, 0, user);
  }
  std::unique_ptr<TSvData> Load() { return Load(manifest.installDir.string()); }

  TempDir dir;
  std::shared_ptr<platform::MemoryRegistry> registry = std::make_shared<platform::MemoryRegistry>();
  samplegen::Manifest manifest;
  std::unique_ptr<TJournal> journal = MemoryJournal();
  ScriptedUser user;
};

}  // namespace qmz::test
