#!/usr/bin/env bash
# Opens the program on the `small` sample installation under Xvfb and writes a PNG of what a user sees
# into the build folder (screenshot-main.png), then closes the program.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/demo.sh
build=${BUILD_DIR:-build/run}
demo_build "$build" qmz-grab
out=$(cd "$build" && pwd)
journal="$(dirname "$QMZ_BIN")/DebugOut.mjf"
rm -f "$journal"
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$1" &
  pid=$!
  for _ in $(seq 1 240); do
    grep -q "Form available" "$2" 2>/dev/null && break
    kill -0 $pid 2>/dev/null || break
    sleep 0.5
  done
  sleep 1
  "$3/tests/qmz-grab" "$3/screenshot-main.png"
  kill -TERM $pid 2>/dev/null
  wait $pid
' _ "$QMZ_BIN" "$journal" "$out"
echo "wrote $out/screenshot-main.png"
