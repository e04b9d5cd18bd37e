#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "gamedata/uSvFunctions_Model.h"

using namespace qmz;

namespace {

TGood Named(std::string nickname) {
  TGood g;
  g.nickname = nickname;
  return g;
}

}  // namespace

TEST(GoodArr, TextsAreCutTo255CharactersNicknameLookupIsTrimmedCaseFoldedFirstMatchAndFollowsTheArray) {
  TGood g;
  g.nickname = std::string(300, 'n');
  EXPECT_EQ(g.nickname.size(), 255u);
  std::string umlauts;
  for (int i = 0; i < 300; ++i) umlauts += "\xC3\xA4";
  g.name = umlauts;
  EXPECT_EQ(g.name.size(), 510u);
  EXPECT_TRUE(IsValidUtf8(g.name.str()));

  // The nickname lookup: trimmed, case-folded, the first match.
  TGoodArr arr{Named("ore"), Named("Ore"), Named("  gold "), Named("ORE")};
  EXPECT_EQ(arr.IndexOfNickname(" ORE "), 1);  // element 0 never matches
  EXPECT_EQ(arr.IndexOfNickname("gold"), 2);
  EXPECT_EQ(arr.IndexOfNickname("silver"), -1);
  EXPECT_EQ(TGoodArr({TGood{}, Named("\xC3\x89p\xC3\xA9\x65")}).IndexOfNickname("\xC3\xA9P\xC3\x89\x45"), 1);  // Épée
  EXPECT_EQ(arr.IndexOfNickname("   "), -1);
  EXPECT_EQ(TGoodArr{Named("loot")}.IndexOfNickname("loot"), -1);

  // The lookup follows the array as the base placement fills it: look up, grow by one element, fill it,
  // look up again; then renamed, refilled, cleared and cut.
  arr = {Named("not available")};
  arr.resize(2);
  EXPECT_EQ(arr.IndexOfNickname("st01_01_base"), -1);  // indexed while still unnamed
  arr[1].nickname = "st01_01_base";
  EXPECT_EQ(arr.IndexOfNickname("ST01_01_BASE"), 1);
  arr.push_back(Named("st01_02_base"));
  arr.push_back(Named("c"));
  EXPECT_EQ(arr.IndexOfNickname("st01_02_base"), 2);
  arr[3] = Named("st02_01_base");  // the last slot refilled under another name
  EXPECT_EQ(arr.IndexOfNickname("c"), -1);
  EXPECT_EQ(arr.IndexOfNickname("st02_01_base"), 3);
  arr[1].nickname = "x";  // a stale hit is noticed
  EXPECT_EQ(arr.IndexOfNickname("st01_01_base"), -1);
  EXPECT_EQ(arr.IndexOfNickname("x"), 1);
  // Cleared or cut and filled again under other names, before any lookup in between.
  arr.clear();
  for (const char* n : {"", "p", "q", "r"}) arr.push_back(Named(n));
  EXPECT_EQ(arr.IndexOfNickname("q"), 2);
  arr.resize(2);
  arr.push_back(Named("s"));
  arr.push_back(Named("t"));
  EXPECT_EQ(arr.IndexOfNickname("s"), 2);
  EXPECT_EQ(arr.IndexOfNickname("q"), -1);
  // A copy keeps an index of its own.
  TGoodArr copy = arr;
  copy[2].nickname = "u";
  copy.NicknamesChanged();
  EXPECT_EQ(arr.IndexOfNickname("s"), 2);
  EXPECT_EQ(copy.IndexOfNickname("u"), 2);
  // Moved and assigned arrays answer from their own elements; the one assigned over forgets its old names.
  TGoodArr moved(std::move(copy));
  EXPECT_EQ(moved.IndexOfNickname("u"), 2);
  TGoodArr assigned{Named(""), Named("old")};
  EXPECT_EQ(assigned.IndexOfNickname("old"), 1);
  assigned = moved;
  moved[2].nickname = "v";
  moved.NicknamesChanged();
  EXPECT_EQ(assigned.IndexOfNickname("old"), -1);
  EXPECT_EQ(assigned.IndexOfNickname("u"), 2);
  EXPECT_EQ(moved.IndexOfNickname("v"), 2);
}

// Every cell reads as a full matrix would hold it (written, a base's defaults, else zero), whatever the
// order of the writes, repeated ones and ones to an earlier base included.
TEST(MarketMatrix, ReadsLikeAFullMatrixWhateverTheOrderOfWrites) {
  TGoodArr goods = {TGood(), TGood(), TGood(), TGood(), TGood()};
  for (std::size_t g = 0; g < goods.size(); ++g) goods[g].price = 10.0 * double(g) + 0.5;
  TMarketMatrix m;
  m.Reset(5, goods);
  std::vector<std::vector<TMarketCell>> full(5, std::vector<TMarketCell>(5));
  auto defaults = [&](std::size_t base) {
    m.SetDefaults(base);
    for (std::size_t b = 1; b <= base; ++b)
      for (std::size_t g = 1; g < 5; ++g)
        if (full[b][g].PriceFactor == 0.0f) full[b][g] = {false, 1.0f, goods[g].price, -1.0f, 0.0f};
  };
  auto write = [&](std::size_t b, std::size_t g, float factor) {
    const TMarketCell cell{factor > 1.0f, factor, factor * goods[g].price, 0.5f, 2.0f};
    m.Write(b, g, cell);
    full[b][g] = cell;
  };
  defaults(1);
  write(1, 3, 2.0f);
  write(1, 1, 0.5f);
  defaults(3);  // base 2 gets its defaults on the way
  write(3, 4, 1.5f);
  write(3, 2, 3.0f);
  write(3, 4, 0.25f);  // written again: replaces
  write(1, 2, 1.25f);  // an earlier base after later ones
  write(1, 4, 4.0f);
  EXPECT_THROW(m.Write(4, 1, {}), std::logic_error);  // base 4 never got its defaults: stays zero
  const std::pair<std::size_t, std::size_t> outside[] = {{0, 1}, {1, 0}, {5, 1}, {1, 5}};
  for (auto [b, g] : outside) EXPECT_THROW(m.Write(b, g, {}), std::out_of_range);

  ASSERT_EQ(m.size(), 5u);
  ASSERT_EQ(m.RowLength(), 5u);
  for (std::size_t b = 0; b < 6; ++b) {
    for (std::size_t g = 0; g < 6; ++g) {
      SCOPED_TRACE(testing::Message() << b << " x " << g);
      const TMarketCell want = b < 5 && g < 5 ? full[b][g] : TMarketCell();
      const TMarketCell got = m[b][g];
      EXPECT_EQ(std::tie(got.Sold, got.PriceFactor, got.Price, got.Reputation, got.Level),
                std::tie(want.Sold, want.PriceFactor, want.Price, want.Reputation, want.Level));
    }
  }
  // The written cells of a base, in good order.
  std::vector<std::uint32_t> order;
  for (const TMarketEntry& e : m.WrittenCells(1)) order.push_back(e.Good);
  EXPECT_EQ(order, (std::vector<std::uint32_t>{1, 2, 3, 4}));
  EXPECT_FLOAT_EQ(m.WrittenCells(3)[1].Cell.PriceFactor, 0.25f);
  EXPECT_TRUE(m.WrittenCells(2).empty() && m.WrittenCells(4).empty() && m.WrittenCells(9).empty());
  EXPECT_TRUE(m.HasDefaults(2) && !m.HasDefaults(4) && !m.HasDefaults(0));
  // A base's row: as long as the goods, its written cells, its cells.
  const TMarketRow row = m[3];
  EXPECT_EQ(row.size(), 5u);
  EXPECT_EQ(row.Written().size(), 2u);
  EXPECT_FLOAT_EQ(row[2].PriceFactor, 3.0f);
  EXPECT_FLOAT_EQ(row[1].PriceFactor, 1.0f);
  m.clear();
  EXPECT_TRUE(m.empty());
  EXPECT_EQ(m[1][1].PriceFactor, 0.0f);
  EXPECT_EQ(m[1].size(), 0u);
}
