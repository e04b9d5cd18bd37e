// One allocation refused anywhere in a load: the load ends whole or failed (out of memory), never with the
// end of the process, an error for the owner or a model that lacks what it could not read.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "AllocationMeter.h"
#include "gamedata/GeneratedInstallTest.h"
#include "util/ChildProcess.h"

using namespace qmz;

namespace {

// How a load with one refused allocation ended, as the exit code of the process that ran it.
enum LoadEnd { kReturned = 0, kPartLoaded = 2, kErrorLeft = 3 };

// What the model holds: its records and the length of their names.
std::size_t Fingerprint(const TSvData& model) {
  std::size_t print = 0;
  for (const TGoodArr* records : {&model.aFaction, &model.aSystem, &model.aBase, &model.aGood, &model.aSolar}) {
    print = print * 31 + records->size();
    for (std::size_t i = 0; i < records->size(); ++i) print = print * 31 + (*records)[i].name.str().size();
  }
  return print;
}

class FailedAllocation : public test::GeneratedInstallTest {
 protected:
  void SetUp() override {
    GeneratedInstallTest::SetUp();
    Generate("small");
    // One active mod, so the mod list and its script.xml are read too.
    const std::string key = "Software\\Starvagant Mod Manager";
    registry->SetString(platform::RegistryRoot::LocalMachine, key, "Install_Dir", (dir.Path() / "svmm").string());
    registry->SetString(platform::RegistryRoot::LocalMachine, key, "mods\\One", "1");
    test::WriteWholeFile(dir.Path() / "svmm/mods/One/script.xml", "<script><header name=\"One\"/></script>\n");
  }

  // A whole load with the number-th allocation refused (0: none): the model's fingerprint when it loaded,
  // and the number of allocations the load asked for.
  std::pair<std::optional<std::size_t>, std::size_t> Load(std::size_t refuse) {
    platform::ResetGamePathCache();  // the folders are listed again, as at a real start
    journal = test::MemoryJournal();
    user.chooser = manifest.installDir.string();
    test::AllocationMeter meter;
    if (refuse > 0) meter.RefuseAllocation(refuse);
    TSvData model(journal.get(), 0, 0, user);
    const std::size_t allocations = meter.Allocations();
    return {model.DataValid ? std::optional(Fingerprint(model)) : std::nullopt, allocations};
  }

  // The load of Load(refuse) in a child process: how it ended, or -signal when the process was ended.
  int LoadInChild(std::size_t refuse, std::size_t whole) {
    return test::RunInChild(
        [&] {
      const auto loaded = Load(refuse).first;
      return loaded && *loaded != whole ? kPartLoaded : kReturned;
        },
        kErrorLeft);
  }
};

// A few hundred refusals spread over the whole load reach its folder listings, INI objects, parsers and journal.
TEST_F(FailedAllocation, EveryRefusedAllocationEndsTheLoadNormally) {
  const auto [whole, total] = Load(0);
  ASSERT_TRUE(whole.has_value());
  ASSERT_GT(total, 1000u);
  constexpr int kRuns = 400;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  int failed = 0;
  for (int run = 0; run < kRuns && std::chrono::steady_clock::now() < deadline; ++run) {
    // Spread evenly, the first allocations of the load taken one by one.
    const std::size_t refuse = run < 50 ? std::size_t(run + 1) : 1 + (total - 1) * std::size_t(run - 50) / (kRuns - 50);
    const int end = LoadInChild(refuse, *whole);
    if (end != kReturned && ++failed <= 10)
      ADD_FAILURE() << "allocation " << refuse << " of " << total << ": "
                    << (end == kErrorLeft    ? "an error left the constructor"
                        : end == kPartLoaded ? "a model with parts missing called loaded"
                                             : "the process ended, " + std::to_string(end));
  }
  EXPECT_EQ(failed, 0);
}

// The model's nickname index hashes the folded name a piece at a time on the stack: a lookup of any name,
// however long, needs no memory, so running out of it can neither end the process nor fail the lookup.
TEST(FailedAllocationInLookups, ANicknameLookupNeedsNoMemory) {
  TGoodArr records;
  records.resize(3);
  records[1].nickname = "St01_01_Base";
  records[2].nickname = std::string(255, 'N');  // the longest a record holds
  EXPECT_EQ(records.IndexOfNickname("st01_01_base"), 1);
  const std::string longName(255, 'n'), otherName(100000, 'n');
  int found = 0, missing = 0;
  std::size_t allocations = 1;
  {
    test::AllocationMeter meter(0);
    found = records.IndexOfNickname(longName);
    missing = records.IndexOfNickname(otherName);
    allocations = meter.Allocations();
  }
  EXPECT_EQ(found, 2);
  EXPECT_EQ(missing, -1);
  EXPECT_EQ(allocations, 0u);
}

}  // namespace
