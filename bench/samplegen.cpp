// Time to write the sample installations, the large one included (it must stay well below 10 s).
#include "samplegen/SampleGen.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

namespace {

void GenerateSize(benchmark::State& state, const char* size, bool binary) {
  const auto dir = std::filesystem::temp_directory_path() / ("qmz_bench_samplegen_" + std::to_string(::getpid()));
  auto options = qmz::samplegen::Options::ForSize(size);
  options.binaryFiles = binary;
  for (auto _ : state) {
    auto m = qmz::samplegen::Generate(dir, options);
    benchmark::DoNotOptimize(m.marketLines);
  }
  std::filesystem::remove_all(dir);
}

}  // namespace

BENCHMARK_CAPTURE(GenerateSize, small, "small", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(GenerateSize, typical_binary, "typical", true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(GenerateSize, large_binary, "large", true)->Unit(benchmark::kMillisecond)->Iterations(2);
