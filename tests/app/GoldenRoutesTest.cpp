// Whole calculations on generated installations, saved as route files and compared byte for byte with
// the files under tests/data. QMZ_UPDATE_GOLDEN=1 writes the files instead (check them before committing).

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "app/core/uFormGrid_Files.h"
#include "app/core/uFormMain_Display.h"
#include "InfoModel.h"
#include "platform/WholeFile.h"

using namespace qmz;

namespace {

const TIndex kAny{0, 4};

// A calculation and the display's options for its file.
struct Golden {
  const char* file;
  const char* size;
  std::uint64_t seed;
  TCalcSelection selection;
  std::int64_t lines;
  bool unlawful = true, perishable = true;
  double level = 1e6, money = 1000000;
  std::int64_t cargo = 250;
};

const Golden kCases[] = {
    {"small_trade_anywhere.csv", "small", 1, {true, {kAny}, {kAny}, {kAny}}, 300},
    {"small_trade_filtered.csv", "small", 1, {true, {kAny}, {kAny}, {kAny}}, 300, false, false, 10, 20000, 40},
    {"small_loot_goods.csv", "small", 1, {false, {}, {kAny}, {{3, 5}, {7, 5}, {12, 5}}}, 100},
    {"small_trade_places.csv", "small", 1, {true, {{1, 2}, {4, 1}}, {{3, 2}, {4, 1}}, {kAny}}, 4000, true, true, 1},
    {"typical_trade_anywhere.csv", "typical", 2, {true, {kAny}, {kAny}, {kAny}}, 250, true, true, 1e6, 2000000, 100},
    {"typical_loot_system.csv", "typical", 2, {false, {}, {{2, 2}}, {kAny}}, 150, true, false, 0},
};

class GoldenRoutesTest : public ::testing::Test {
 protected:
  const TSvData& Model(const std::string& size, std::uint64_t seed) {
    const std::string key = size + std::to_string(seed);
    auto& slot = models_[key];
    if (!slot) {
      auto options = samplegen::Options::ForSize(size);
      options.seed = seed;
      slot = test::LoadModel(samplegen::Generate(dir_.Path() / key, options).installDir);
      EXPECT_TRUE(slot->DataValid);
    }
    return *slot;
  }

  test::TempDir dir_;
  std::map<std::string, std::unique_ptr<TSvData>> models_;
};

TEST_F(GoldenRoutesTest, RouteFilesMatchTheCheckedInOnes) {
  const bool update = std::getenv("QMZ_UPDATE_GOLDEN") != nullptr;
  for (const Golden& g : kCases) {
    SCOPED_TRACE(g.file);
    const TSvData& d = Model(g.size, g.seed);
    TCalcWork work;
    TCalcHooks hooks;
    ASSERT_EQ(CalculateRoutes(d, g.selection, work, hooks, nullptr), TCalcEnd::Finished);
    TDisplayOptions o;
    o.LinesCount = g.lines;
    o.Unlawful = g.unlawful;
    o.Perishable = g.perishable;
    o.Level = g.level;
    o.Money = g.money;
    o.Cargo = g.cargo;
    std::vector<TRouteRow> rows;
    ASSERT_EQ(BuildRouteRows(d, work.FRoutes, o, hooks, rows), TDisplayEnd::Finished);
    SortRouteRows(rows, ReversedSort);  // as the window's closing sort
    const std::string text = RouteFileText(rows);
    const std::string path = std::string(QMZ_TESTS_DIR) + "/data/" + g.file;
    if (update) {
      ASSERT_TRUE(platform::WriteFileAtomic(path, text));
      continue;
    }
    std::string expected;
    ASSERT_TRUE(platform::ReadWholeFile(path, expected)) << path;
    EXPECT_TRUE(text == expected) << "differs from " << path;
  }
}

}  // namespace
