#!/usr/bin/env bash
# Opens the program on the `small` sample installation under Xvfb and writes PNGs of what a user sees into
# the build folder: the installation chooser, the main window with each of its pages, the debug page, the
# route-list window after a calculation and the about box. Clicks go to fixed points of the main window's
# layout at its default size (900 x 640), as a user's mouse would.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/demo.sh
build=${BUILD_DIR:-build/run}
# The pictures need a QMZ.ini with the sample installation as the default: the player's own one (that
# run.sh shares) is put aside for the run and comes back afterwards.
ini="$build/src/app/QMZ.ini"
if [ -e "$ini" ] || [ -L "$ini" ]; then
  mv "$ini" "$ini.player"
  trap 'rm -f "$ini"; mv "$ini.player" "$ini"' EXIT
fi
demo_build "$build" qmz-grab
out=$(cd "$build" && pwd)
bin_dir="$(dirname "$QMZ_BIN")"
journal="$bin_dir/DebugOut.mjf"
rm -f "$journal" "$out"/screenshot-*.png
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -u
  qmz=$1 journal=$2 out=$3 ini=$4
  grab() { sleep 1; "$out/tests/qmz-grab" "$out/screenshot-$1.png"; }
  wait_for() { for _ in $(seq 1 240); do grep -q "$1" "$journal" 2>/dev/null && return 0; sleep 0.5; done; return 1; }

  # The chooser: without a default entry it waits for the user.
  cp "$ini" "$ini.keep"
  grep -v "^Default=" "$ini.keep" >"$ini"
  "$qmz" &
  pid=$!
  xdotool search --sync --name "Choose Starvagant Installation" >/dev/null
  grab chooser
  kill -TERM $pid 2>/dev/null; wait $pid 2>/dev/null
  mv "$ini.keep" "$ini"
  rm -f "$journal"

  "$qmz" &
  pid=$!
  wait_for "Form available" || exit 1
  read -r mx my < <(xdotool search --sync --name "Starvagant Kestrelmark - QMZ" getwindowgeometry --shell %@ |
                    awk -F= "/^X=/{x=\$2} /^Y=/{y=\$2} END{print x, y}")
  click() { xdotool mousemove --sync $((mx + $1)) $((my + $2)) click 1; sleep 0.6; }
  double_click() { xdotool mousemove --sync $((mx + $1)) $((my + $2)) click --repeat 2 --delay 80 1; sleep 0.6; }
  grab main
  # Anywhere to Anywhere with any commodity, so that every page shows a choice.
  click 487 161; click 300 186; click 571 349
  click 384 125; grab destination
  click 487 161; click 300 186; click 571 349
  click 473 125; grab commodity
  click 571 349
  click 554 125; click 300 200; grab information
  click 122 176
  wait_for "\[End *\] << Begin calculation >>"
  xdotool search --name "Traderoutes" windowraise
  grab routes
  xdotool search --name "Starvagant Kestrelmark - QMZ" windowraise
  # The debug page covers the window: its Bases list, then Close.
  double_click 200 393; click 376 19; grab debug; click 819 19
  click 122 300; xdotool search --sync --name "Impressum" >/dev/null; grab about
  xdotool key Return; sleep 0.5
  kill -TERM $pid 2>/dev/null
  wait $pid
' _ "$QMZ_BIN" "$journal" "$out" "$ini"
ls "$out"/screenshot-*.png
