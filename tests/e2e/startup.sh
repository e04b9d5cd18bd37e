#!/usr/bin/env bash
# End-to-end start-up under Xvfb: the real program on a generated installation, from a folder of its
# own (QMZ.ini and DebugOut.mjf live beside the executable). Waits for "Form available" in the journal,
# closes the program with SIGTERM (which closes the main window the ordinary way) and checks the journal.
# Usage: startup.sh <QMZ> <qmz-samplegen>
set -euo pipefail
qmz=$1
samplegen=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/bin" "$work/tmp"
# The single-instance lock and socket live in the temporary folder: a folder of this run's own keeps
# other programs and tests from answering for it.
export TMPDIR="$work/tmp"
cp "$qmz" "$work/bin/QMZ"
"$samplegen" --size small "$work/small" >/dev/null
install_dir=$(grep '^install_dir=' "$work/small/manifest.txt" | cut -d= -f2-)
printf '[MAIN]\nPathNum=1\nDefault=1\n[Path]\nPath_0=%s\n[Name]\nName_0=small\n' "$install_dir" >"$work/bin/QMZ.ini"

# Leak checks belong to the unit tests; here the X libraries' own allocations would only add noise.
export ASAN_OPTIONS=detect_leaks=0
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -u
  "$1/bin/QMZ" /debug &
  pid=$!
  for _ in $(seq 1 240); do
    grep -q "Form available" "$1/bin/DebugOut.mjf" 2>/dev/null && break
    kill -0 $pid 2>/dev/null || break
    sleep 0.5
  done
  # A second start hands over to the running one and ends, leaving its journal whole.
  timeout 30 "$1/bin/QMZ" || exit 1
  grep -q "Form available" "$1/bin/DebugOut.mjf" || { echo "second start emptied the journal"; exit 1; }
  kill -TERM $pid 2>/dev/null
  wait $pid
' _ "$work" || { echo "QMZ did not end cleanly"; cat "$work/bin/DebugOut.mjf"; exit 1; }

journal="$work/bin/DebugOut.mjf"
for line in "Created SVData Struct: True" "Passed: True " "Form available" "Closing Application"; do
  if ! grep -qF "] $line" "$journal"; then
    echo "missing journal line: $line"
    cat "$journal"
    exit 1
  fi
done
[ "$(grep -c 'Journaling Status changed' "$journal")" -eq 3 ] || { echo "expected three status-change lines"; exit 1; }
echo "end-to-end start-up passed"
