// Models of generated installations as one digest each, against that of a model known to be right: every
// record, market cell (as aMarket[b][g] reads it) and name list must stay exactly as it was.
// With QMZ_MODEL_DUMP_DIR set, the dumps are written there as text, so two builds can be diffed.

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <type_traits>

#include "util/GeneratedModel.h"

using namespace qmz;

namespace {

// A text dump: numbers as their exact bits, so a changed last digit shows.
class Dump {
 public:
  void Text(std::string_view s) { out_.append(s).push_back('|'); }
  void Int(std::uint64_t v) { Text(std::to_string(v)); }
  template <typename Number>
  void Bits(Number v) {
    std::conditional_t<sizeof v == 4, std::uint32_t, std::uint64_t> bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    char hex[20];
    std::snprintf(hex, sizeof hex, "%" PRIx64, std::uint64_t(bits));
    Text(hex);
  }
  void EndLine() { out_.push_back('\n'); }
  // A part's title and its number of records, on a line of their own.
  void Header(std::string_view title, std::uint64_t count) {
    Text(title);
    Int(count);
    EndLine();
  }
  const std::string& str() const { return out_; }

  // FNV-1a, 64 bits.
  std::uint64_t Digest() const {
    std::uint64_t h = 14695981039346656037ull;
    for (const unsigned char c : out_) h = (h ^ c) * 1099511628211ull;
    return h;
  }

 private:
  std::string out_;
};

void DumpArray(Dump& d, std::string_view title, const TGoodArr& arr) {
  d.Header(title, arr.size());
  for (const TGood& g : arr) {
    for (const TShortString* s :
         {&g.nickname, &g.ids_name, &g.ids_short_name, &g.name, &g.short_name, &g.ids_info, &g.IniFile, &g.equipment})
      d.Text(s->str());
    for (const std::uint64_t v :
         {std::uint64_t(g.system), std::uint64_t(g.faction), std::uint64_t(g.category), std::uint64_t(g.etype),
          std::uint64_t(g.units_per_container), std::uint64_t(g.volume), std::uint64_t(g.archetype_type)})
      d.Int(v);
    for (const float v : {g.decay_per_second, g.good_sell_price, g.good_buy_price, g.bad_sell_price, g.bad_buy_price})
      d.Bits(v);
    d.Bits(g.price);
    d.EndLine();
  }
}

void DumpList(Dump& d, std::string_view title, const TStringList& list) {
  d.Header(title, std::uint64_t(list.Count()));
  for (int i = 0; i < list.Count(); ++i) {
    d.Text(list[i]);
    d.EndLine();
  }
}

Dump DumpModel(const TSvData& m) {
  Dump d;
  d.Int(m.DataValid);
  d.EndLine();
  DumpArray(d, "factions", m.aFaction);
  DumpArray(d, "systems", m.aSystem);
  DumpArray(d, "bases", m.aBase);
  DumpArray(d, "goods", m.aGood);
  DumpArray(d, "solars", m.aSolar);
  d.Header("faction properties", m.aFactionProps.size());
  for (const TFaction& f : m.aFactionProps) {
    for (const TShortString* s : {&f.scan_for_cargo, &f.scan_announce, &f.scan_chance}) d.Text(s->str());
    d.Int(f.lawful);
    d.EndLine();
  }
  DumpList(d, "market bases", m.MarketBaseNames);
  DumpList(d, "market goods", m.MarketGoodNames);
  DumpList(d, "libraries", m.DllList);
  d.Text("market");
  d.Int(m.aMarket.size());
  d.Int(m.aMarket.RowLength());
  d.EndLine();
  for (std::size_t b = 0; b < m.aMarket.size(); ++b) {
    for (std::size_t g = 0; g < m.aMarket.RowLength(); ++g) {
      const TMarketCell cell = m.aMarket[b][g];
      d.Int(cell.Sold);
      d.Bits(cell.PriceFactor);
      d.Bits(cell.Price);
      d.Bits(cell.Reputation);
      d.Bits(cell.Level);
    }
    d.EndLine();
  }
  return d;
}

struct Case {
  const char* size;
  bool binary;
  std::uint64_t digest;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.size << (c.binary ? " binary" : " text"); }

class ModelDigest : public ::testing::TestWithParam<Case> {};

TEST_P(ModelDigest, GeneratedInstallationLoadsIntoTheKnownModel) {
  const Case& c = GetParam();
  test::TempDir dir;
  auto options = samplegen::Options::ForSize(c.size);
  options.binaryFiles = c.binary;
  const auto model = test::LoadModel(samplegen::Generate(dir.Path(), options).installDir);
  ASSERT_TRUE(model->DataValid);

  const Dump d = DumpModel(*model);
  const std::string name = std::string(c.size) + (c.binary ? "-binary" : "-text");
  if (const char* out = std::getenv("QMZ_MODEL_DUMP_DIR"))
    std::ofstream(std::filesystem::path(out) / (name + ".txt"), std::ios::binary) << d.str();
  EXPECT_EQ(d.Digest(), c.digest) << name << " digest is 0x" << std::hex << d.Digest();
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ModelDigest,
    ::testing::Values(Case{"small", false, 0x3c67adc67d8c6587ull}, Case{"small", true, 0x3c67adc67d8c6587ull},
                      Case{"typical", false, 0xe1b41f64cc04fb83ull}, Case{"typical", true, 0xe1b41f64cc04fb83ull}),
    [](const auto& info) { return std::string(info.param.size) + (info.param.binary ? "Binary" : "Text"); });

}  // namespace
