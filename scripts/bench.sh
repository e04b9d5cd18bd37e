#!/usr/bin/env bash
# Builds the benchmarks in a Release build and runs each of them once.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQMZ_TESTS=OFF
cmake --build build/release -j "$(nproc)"
for bin in build/release/bench/bench_*; do
  echo "== $(basename "$bin")"
  "$bin" "$@"
done
