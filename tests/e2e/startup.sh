#!/usr/bin/env bash
# End-to-end start-up under Xvfb: the real program on a generated installation, from a folder of its
# own (QMZ.ini and DebugOut.mjf live beside the executable). Waits for "Form available" in the journal,
# opens the about box, closes the program with SIGTERM (which closes the main window the ordinary way) and
# checks the journal; then starts without a default installation, up to the chooser. The captions of
# every window shown are read as the window system holds them.
# Usage: startup.sh <QMZ> <qmz-samplegen>
set -euo pipefail
qmz=$1
samplegen=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/bin" "$work/tmp"
# Without a session folder the single-instance lock and socket live in a private folder in the temporary
# folder: one of this run's own keeps other programs and tests from answering for it.
export TMPDIR="$work/tmp"
unset XDG_RUNTIME_DIR
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
  # The captions as the window system holds them, of every window the program shows.
  titles() {
    for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do xprop -id "$w" _NET_WM_NAME; done
  }
  sleep 1
  # The about box, from the Info button (a fixed point of the main window at its default size).
  read -r mx my < <(timeout 30 xdotool search --sync --onlyvisible --name "Starvagant Kestrelmark - QMZ" \
                    getwindowgeometry --shell %@ | awk -F= "/^X=/{x=\$2} /^Y=/{y=\$2} END{print x, y}")
  xdotool mousemove --sync $((mx + 122)) $((my + 300)) click 1
  timeout 30 xdotool search --sync --onlyvisible --name "Impressum" >/dev/null || exit 1
  sleep 0.5
  titles $pid >"$1/titles.txt"
  xdotool search --onlyvisible --name "Impressum" windowfocus --sync key Escape
  # A second start hands over to the running one and ends, leaving its journal whole.
  timeout 30 "$1/bin/QMZ" || exit 1
  grep -q "Form available" "$1/bin/DebugOut.mjf" || { echo "second start emptied the journal"; exit 1; }
  kill -TERM $pid 2>/dev/null
  wait $pid
  cp "$1/bin/DebugOut.mjf" "$1/first.mjf"
  # Without a default installation the chooser comes first; it is left by ending the program.
  cp "$1/bin/QMZ.ini" "$1/QMZ.ini.default"
  sed -i "/^Default=/d" "$1/bin/QMZ.ini"
  "$1/bin/QMZ" &
  pid=$!
  timeout 60 xdotool search --sync --onlyvisible --name "Choose Starvagant Installation" >/dev/null || exit 1
  sleep 1
  titles $pid >>"$1/titles.txt"
  kill -TERM $pid 2>/dev/null
  wait $pid || true
  mv "$1/QMZ.ini.default" "$1/bin/QMZ.ini"
' _ "$work" || { echo "QMZ did not end cleanly"; cat "$work/bin/DebugOut.mjf"; exit 1; }

# Each caption stands alone: nothing appended by the toolkit (such as " — " and the application's name).
expected='_NET_WM_NAME(UTF8_STRING) = "Choose Starvagant Installation"
_NET_WM_NAME(UTF8_STRING) = "Impressum"
_NET_WM_NAME(UTF8_STRING) = "Starvagant Kestrelmark - QMZ"
_NET_WM_NAME(UTF8_STRING) = "Starvagant Kestrelmark - QMZ []"
_NET_WM_NAME(UTF8_STRING) = "Starvagant [] Traderoutes"'
if [ "$(LC_ALL=C sort "$work/titles.txt")" != "$(LC_ALL=C sort <<<"$expected")" ]; then
  echo "window captions differ:"
  cat -A "$work/titles.txt"
  exit 1
fi

journal="$work/first.mjf"
for line in "Created SVData Struct: True" "Passed: True " "Form available" "Closing Application"; do
  grep -qF "] $line" "$journal" || { echo "missing journal line: $line"; cat "$journal"; exit 1; }
done
[ "$(grep -c 'Journaling Status changed' "$journal")" -eq 3 ] || { echo "expected three status-change lines"; exit 1; }
# The journal names the code the process ended with: 0 after a normal run, 1 after a start broken off
# before its window was ready.
grep -qF "] Process terminated with exit code 0" "$journal" || { echo "exit code 0 not journaled"; exit 1; }
grep -qF "] Process terminated with exit code 1" "$work/bin/DebugOut.mjf" || { echo "exit code 1 not journaled"; exit 1; }
echo "end-to-end start-up passed"
