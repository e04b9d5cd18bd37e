// Decoding of a binary INI file and parsing of INI text into the game INI class, on about 20 MB of
// generated game data (goods, markets, system objects) held in memory.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "gamedata/uIniDecoder.h"
#include "gamedata/uSVIni.h"
#include "samplegen/IniWriter.h"

namespace {

using qmz::samplegen::IniDoc;
using qmz::samplegen::IniValue;

// Game-like content: goods, markets with many MarketGood lines, and system objects.
IniDoc MakeContent(std::size_t textBytes) {
  IniDoc doc;
  std::uint32_t seed = 12345;
  auto rnd = [&seed](int n) {
    seed = seed * 1664525u + 1013904223u;
    return int((seed >> 8) % std::uint32_t(n));
  };
  std::size_t approx = 0;
  for (int n = 0; approx < textBytes; ++n) {
    const std::string id = std::to_string(n);
    switch (n % 3) {
      case 0:
        doc.Section("Good")
            .Add("nickname", {"commodity_" + id})
            .Add("equipment", {"commodity_" + id})
            .Add("category", {"commodity"})
            .Add("ids_name", {261000 + n})
            .Add("ids_info", {265000 + n})
            .Add("price", {10 + rnd(5000)})
            .Add("volume", {1.0})
            .Add("decay_per_second", {rnd(10) / 10.0})
            .Add("combinable", {})
            .Add("shape_name", {"COMMODITY_SHAPE_" + std::to_string(rnd(40))});
        break;
      case 1: {
        auto& market = doc.Section("BaseGood");
        market.Add("base", {"st0" + std::to_string(rnd(9)) + "_0" + std::to_string(rnd(9)) + "_base"});
        for (int g = 0; g < 25; ++g) {
          market.Add("MarketGood", {"commodity_" + std::to_string(rnd(n + 1)), rnd(40), -1, rnd(150), rnd(500), rnd(2),
                                    0.5 + rnd(100) / 100.0});
        }
        break;
      }
      default:
        doc.Section("Object")
            .Add("nickname", {"St01_obj_" + id})
            .Add("ids_name", {196000 + rnd(3000)})
            .Add("pos", {rnd(200000) - 100000.5, 0.0, rnd(200000) - 100000.25})
            .Add("rotate", {0, rnd(360), 0})
            .Add("archetype", {"space_arch_" + std::to_string(rnd(60))})
            .Add("dock_with", {"St01_" + std::to_string(rnd(20)) + "_Base"})
            .Add("reputation", {"fn_02_grp"})
            .Add("behavior", {"NOTHING"})
            .Add("visit", {rnd(128)});
    }
    for (const auto& e : doc.sections.back().entries) approx += e.key.size() + 4 + e.values.size() * 10;
  }
  return doc;
}

// Throughput in MB (10^6 bytes) per second, the unit the targets are given in.
void SetMegabytesPerSecond(benchmark::State& state, std::size_t bytes) {
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
  state.counters["MB_per_s"] = benchmark::Counter(double(bytes) / 1e6 * double(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}

struct Data {
  std::string text;
  std::string bini;
};

const Data& Content() {
  static const Data data = [] {
    const auto doc = MakeContent(27u << 20);  // the estimate runs low: this gives about 20 MB of text
    return Data{qmz::samplegen::IniToText(doc), qmz::samplegen::IniToBini(doc)};
  }();
  return data;
}

void BM_DecodeBini(benchmark::State& state) {
  const std::string& bini = Content().bini;
  for (auto _ : state) {
    qmz::TStringList lines;
    if (qmz::DecodeBiniBuffer(bini, &lines) != qmz::bsSuccess) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(lines.Count());
  }
  SetMegabytesPerSecond(state, bini.size());
  state.counters["file_MB"] = double(bini.size()) / 1e6;
}
BENCHMARK(BM_DecodeBini)->Unit(benchmark::kMillisecond);

// Decoding alone: every line handed to the reader as it is made, no list of them kept.
void BM_DecodeBiniLines(benchmark::State& state) {
  const std::string& bini = Content().bini;
  for (auto _ : state) {
    std::size_t bytes = 0;
    if (qmz::DecodeBiniLines(bini, [&bytes](std::string_view line) { bytes += line.size() + 2; }) != qmz::bsSuccess)
      state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(bytes);
  }
  SetMegabytesPerSecond(state, bini.size());
}
BENCHMARK(BM_DecodeBiniLines)->Unit(benchmark::kMillisecond);

void BM_ParseTextIntoSvIniFile(benchmark::State& state) {
  const std::string& text = Content().text;
  for (auto _ : state) {
    qmz::TSvIniFile ini(qmz::TStringList(), "bench");
    ini.LoadFromBuffer(text);
    benchmark::DoNotOptimize(ini.Sections.Count());
  }
  SetMegabytesPerSecond(state, text.size());
  state.counters["file_MB"] = double(text.size()) / 1e6;
}
BENCHMARK(BM_ParseTextIntoSvIniFile)->Unit(benchmark::kMillisecond);

// The whole road of a binary game file: decode, then parse the decoded lines.
void BM_LoadBiniIntoSvIniFile(benchmark::State& state) {
  const std::string& bini = Content().bini;
  for (auto _ : state) {
    qmz::TSvIniFile ini(qmz::TStringList(), "bench");
    ini.LoadFromBuffer(bini);
    benchmark::DoNotOptimize(ini.Sections.Count());
  }
  SetMegabytesPerSecond(state, bini.size());
}
BENCHMARK(BM_LoadBiniIntoSvIniFile)->Unit(benchmark::kMillisecond);

// What the loader does next: one ReadStringF per section of a name, walking Good1 .. GoodN.
void BM_ReadEverySection(benchmark::State& state) {
  qmz::TSvIniFile ini(qmz::TStringList(), "bench");
  ini.LoadFromBuffer(Content().text);
  const int goods = ini.SectionCounts[std::size_t(ini.SectionNames.IndexOf("Good"))];
  for (auto _ : state) {
    for (int i = 1; i <= goods; ++i) benchmark::DoNotOptimize(ini.ReadStringF("Good%d", "nickname", "", {i}));
  }
  state.SetItemsProcessed(std::int64_t(state.iterations()) * goods);
}
BENCHMARK(BM_ReadEverySection)->Unit(benchmark::kMillisecond);

// The loader's reorganisation: large objects built line by line with WriteString.
void BM_BuildWithWriteString(benchmark::State& state) {
  for (auto _ : state) {
    qmz::TSvIniFile ini(qmz::TStringList(), "Markets");
    for (int base = 0; base < 2000; ++base) {
      const std::string section = "st01_" + std::to_string(base) + "_base";
      for (int good = 0; good < 100; ++good) ini.WriteString(section, "commodity_" + std::to_string(good), "0, -1");
    }
    benchmark::DoNotOptimize(ini.Sections.Count());
  }
  state.SetItemsProcessed(std::int64_t(state.iterations()) * 200000);
}
BENCHMARK(BM_BuildWithWriteString)->Unit(benchmark::kMillisecond);

}  // namespace
