#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UBSan, runs every test, then runs each fuzz
# target for a bounded time. FUZZ_SECONDS (default 20) sets the time per fuzz target; 0 skips fuzzing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/deps.sh
# Formatting is checked first: it takes a second and names the files to run scripts/format.sh on.
bash scripts/format.sh --check

jobs=$(nproc)
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQMZ_SANITIZE=ON -DQMZ_WERROR=ON
cmake --build build/asan -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
# Everything a test needs is installed by deps.sh, so a skipped test here hides a missing step: it fails the run.
ctest --test-dir build/asan --output-on-failure -j "$jobs" --timeout 600 | tee build/asan/ctest.log
if grep -qE '\(Skipped\)|tests did not run' build/asan/ctest.log; then
  echo "Tests were skipped (see the list above): every test must run here." >&2
  exit 1
fi

fuzz_seconds=${FUZZ_SECONDS:-20}
if [ "$fuzz_seconds" -gt 0 ] && ls fuzz/*.cpp >/dev/null 2>&1; then
  CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQMZ_FUZZ=ON
  cmake --build build/fuzz -j "$jobs"
  for bin in build/fuzz/fuzz/fuzz_*; do
    name=$(basename "$bin"); name=${name#fuzz_}
    corpus="$root/build/fuzz/corpus/$name"
    mkdir -p "$corpus"
    seeds=()
    [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
    echo "== fuzzing $name for ${fuzz_seconds}s"
    "$bin" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
      "$corpus" "${seeds[@]}" 2>"build/fuzz/$name.log" || { tail -n 60 "build/fuzz/$name.log"; exit 1; }
  done
fi
echo "All tests passed."
