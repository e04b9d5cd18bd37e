// Decoding of a binary INI file and parsing of INI text into the game INI class, on about 20 MB of
// generated game data (goods, markets, system objects) held in memory.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "gamedata/uIniDecoder.h"
#include "gamedata/uSVIni.h"
#include "support/SysUtils.h"

namespace {

struct Value {
  int type;  // 1 integer, 2 float, 3 string
  std::int32_t i = 0;
  float f = 0;
  std::string s;
};
struct Entry {
  std::string key;
  std::vector<Value> values;
};
struct Section {
  std::string name;
  std::vector<Entry> entries;
};

Value I(std::int32_t v) { return {1, v, 0, {}}; }
Value F(float v) { return {2, 0, v, {}}; }
Value S(std::string v) { return {3, 0, 0, std::move(v)}; }

// Game-like content: goods, markets with many MarketGood lines, and system objects.
std::vector<Section> MakeContent(std::size_t textBytes) {
  std::vector<Section> doc;
  std::uint32_t seed = 12345;
  auto rnd = [&seed](int n) {
    seed = seed * 1664525u + 1013904223u;
    return int((seed >> 8) % std::uint32_t(n));
  };
  std::size_t approx = 0;
  for (int n = 0; approx < textBytes; ++n) {
    Section s;
    const std::string id = std::to_string(n);
    switch (n % 3) {
      case 0:
        s.name = "Good";
        s.entries = {{"nickname", {S("commodity_" + id)}},
                     {"equipment", {S("commodity_" + id)}},
                     {"category", {S("commodity")}},
                     {"ids_name", {I(261000 + n)}},
                     {"ids_info", {I(265000 + n)}},
                     {"price", {I(10 + rnd(5000))}},
                     {"volume", {F(1.0f)}},
                     {"decay_per_second", {F(float(rnd(10)) / 10.0f)}},
                     {"combinable", {}},
                     {"shape_name", {S("COMMODITY_SHAPE_" + std::to_string(rnd(40)))}}};
        break;
      case 1:
        s.name = "BaseGood";
        s.entries.push_back({"base", {S("li0" + std::to_string(rnd(9)) + "_0" + std::to_string(rnd(9)) + "_base")}});
        for (int g = 0; g < 25; ++g) {
          s.entries.push_back({"MarketGood",
                               {S("commodity_" + std::to_string(rnd(n + 1))), I(rnd(40)), I(-1), I(rnd(150)),
                                I(rnd(500)), I(rnd(2)), F(0.5f + float(rnd(100)) / 100.0f)}});
        }
        break;
      default:
        s.name = "Object";
        s.entries = {{"nickname", {S("Li01_obj_" + id)}},
                     {"ids_name", {I(196000 + rnd(3000))}},
                     {"pos", {F(float(rnd(200000)) - 100000.5f), F(0.0f), F(float(rnd(200000)) - 100000.25f)}},
                     {"rotate", {I(0), I(rnd(360)), I(0)}},
                     {"archetype", {S("space_arch_" + std::to_string(rnd(60)))}},
                     {"dock_with", {S("Li01_" + std::to_string(rnd(20)) + "_Base")}},
                     {"reputation", {S("li_n_grp")}},
                     {"behavior", {S("NOTHING")}},
                     {"visit", {I(rnd(128))}}};
    }
    for (const auto& e : s.entries) approx += e.key.size() + 4 + e.values.size() * 10;
    doc.push_back(std::move(s));
  }
  return doc;
}

std::string FloatText(float f) { return qmz::Format("%.6f", double(f)); }

std::string ToText(const std::vector<Section>& doc) {
  std::string out;
  for (const auto& s : doc) {
    out += "[" + s.name + "]\r\n";
    for (const auto& e : s.entries) {
      out += e.key;
      if (e.values.empty()) out += " = true";
      for (std::size_t v = 0; v < e.values.size(); ++v) {
        out += v == 0 ? " = " : ", ";
        const Value& x = e.values[v];
        out += x.type == 1 ? std::to_string(x.i) : x.type == 2 ? FloatText(x.f) : x.s;
      }
      out += "\r\n";
    }
    out += "\r\n";
  }
  return out;
}

// A small writer of the binary form; names and keys go first into the string table, since their offsets
// are 16-bit.
std::string ToBini(const std::vector<Section>& doc) {
  std::string table;
  std::unordered_map<std::string, std::uint32_t> offsets;
  auto str = [&](const std::string& s) {
    auto it = offsets.find(s);
    if (it != offsets.end()) return it->second;
    const auto offset = std::uint32_t(table.size());
    table += s;
    table += '\0';
    offsets.emplace(s, offset);
    return offset;
  };
  for (const auto& s : doc) {
    str(s.name);
    for (const auto& e : s.entries) str(e.key);
  }
  std::string rec;
  auto put = [&rec](std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) rec += char((v >> (8 * i)) & 0xFF);
  };
  for (const auto& s : doc) {
    put(str(s.name), 2);
    put(std::uint32_t(s.entries.size()), 2);
    for (const auto& e : s.entries) {
      put(str(e.key), 2);
      put(std::uint32_t(e.values.size()), 1);
      for (const auto& v : e.values) {
        put(std::uint32_t(v.type), 1);
        std::uint32_t raw = 0;
        if (v.type == 1) raw = std::uint32_t(v.i);
        if (v.type == 2) std::memcpy(&raw, &v.f, 4);
        if (v.type == 3) raw = str(v.s);
        put(raw, 4);
      }
    }
  }
  std::string out = "BINI";
  const std::uint32_t header[2] = {1, std::uint32_t(12 + rec.size())};
  out.append(reinterpret_cast<const char*>(header), 8);  // little-endian machines only, as the game's
  return out + rec + table;
}

struct Data {
  std::string text;
  std::string bini;
};

const Data& Content() {
  static const Data data = [] {
    const auto doc = MakeContent(25u << 20);  // the estimate runs low: this gives about 20 MB of text
    return Data{ToText(doc), ToBini(doc)};
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
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bini.size()));
  state.counters["file_MB"] = double(bini.size()) / 1e6;
}
BENCHMARK(BM_DecodeBini)->Unit(benchmark::kMillisecond);

void BM_ParseTextIntoSvIniFile(benchmark::State& state) {
  const std::string& text = Content().text;
  for (auto _ : state) {
    qmz::TSvIniFile ini(qmz::TStringList(), "bench");
    ini.LoadFromBuffer(text);
    benchmark::DoNotOptimize(ini.Sections.Count());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
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
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bini.size()));
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
      const std::string section = "li01_" + std::to_string(base) + "_base";
      for (int good = 0; good < 100; ++good) ini.WriteString(section, "commodity_" + std::to_string(good), "0, -1");
    }
    benchmark::DoNotOptimize(ini.Sections.Count());
  }
  state.SetItemsProcessed(std::int64_t(state.iterations()) * 200000);
}
BENCHMARK(BM_BuildWithWriteString)->Unit(benchmark::kMillisecond);

}  // namespace
