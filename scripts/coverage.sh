#!/usr/bin/env bash
# Line coverage of src/ by the whole test suite: a gcc --coverage Debug build in build/coverage (no sanitizers),
# every ctest test under the offscreen Qt platform, then gcov's figures per folder of src/ and overall.
# JOBS (default 4) sets the build's and the tests' parallelism. Extra arguments go to ctest (e.g. -R Format);
# --report-only (first argument) skips the build and the tests and reports the counts of the last run.
# The per-file figures are kept in build/coverage/coverage-files.tsv.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=$root/build/coverage
jobs=${JOBS:-4}

report_only=0
if [ "${1:-}" = "--report-only" ]; then
  report_only=1
  shift
fi

status=0
if [ "$report_only" -eq 0 ]; then
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQMZ_SANITIZE=OFF -DQMZ_BENCH=OFF \
  -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_C_FLAGS=--coverage \
  -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage "${launcher[@]}"
cmake --build "$build" -j "$jobs"

# Counts of an earlier run would add up with this one's.
find "$build" -name '*.gcda' -delete
export QT_QPA_PLATFORM=offscreen
# A failing test still leaves its counts; the run's result is reported after the figures.
ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 600 "$@" || status=$?
fi

# gcov reads each object's notes (and its counts, when the object ran) and prints JSON; a line is executable when
# any object compiled it and covered when any object ran it, so a header's inline code counts once.
# Each batch writes its own file: parallel writers to one pipe would interleave their long lines.
reports=$(mktemp -d)
trap 'rm -rf "$reports"' EXIT
find "$build" -name '*.gcno' -print0 |
  xargs -0 -n 50 -P "$jobs" sh -c 'gcov --json-format --stdout "$@" 2>/dev/null >"$(mktemp -p "$0")"' "$reports"
python3 -c '
import collections, json, os, sys
root = sys.argv[1] + "/"
lines = collections.defaultdict(dict)
def docs():
    for report in os.listdir(sys.argv[3]):
        with open(os.path.join(sys.argv[3], report)) as f:
            for line in f:
                if line.strip():
                    yield json.loads(line)
for doc in docs():
    cwd = doc.get("current_working_directory", "")
    for f in doc.get("files", []):
        name = os.path.normpath(os.path.join(cwd, f["file"]))
        if not name.startswith(root + "src/"):
            continue
        rel = name[len(root):]
        seen = lines[rel]
        for ln in f["lines"]:
            seen[ln["line_number"]] = seen.get(ln["line_number"], 0) + ln["count"]
folders = collections.defaultdict(lambda: [0, 0])
with open(sys.argv[2], "w") as out:
    out.write("file\tlines\tcovered\n")
    for rel in sorted(lines):
        total = len(lines[rel])
        hit = sum(1 for c in lines[rel].values() if c > 0)
        out.write(f"{rel}\t{total}\t{hit}\n")
        parts = rel.split("/")
        folder = "/".join(parts[:2]) if len(parts) > 2 else "src"
        folders[folder][0] += total
        folders[folder][1] += hit
print("%-16s %7s %8s %8s" % ("folder", "lines", "covered", "percent"))
total = hit = 0
for folder in sorted(folders):
    t, h = folders[folder]
    total += t
    hit += h
    print("%-16s %7d %8d %7.1f%%" % (folder, t, h, 100.0 * h / t if t else 0))
print("%-16s %7d %8d %7.1f%%" % ("src (all)", total, hit, 100.0 * hit / total if total else 0))
' "$root" "$build/coverage-files.tsv" "$reports" | tee "$build/coverage-summary.txt"

if [ "$status" -ne 0 ]; then
  echo "Some tests failed (see above); the figures include the runs that took place." >&2
fi
exit "$status"
