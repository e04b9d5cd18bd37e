#!/usr/bin/env bash
# End-to-end calculation under Xvfb: the real program on a generated installation. A user's mouse (xdotool)
# chooses Anywhere as origin and destination and "::Any::" as commodity, clicks Calculate, saves the routes
# through the route-list window's pop-up menu and its file dialog; the saved route file is then checked.
# The clicks go to fixed points of the main window's layout at its default size (900 x 640).
# Usage: calculate.sh <QMZ> <qmz-samplegen>
set -euo pipefail
qmz=$1
samplegen=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/bin"
cp "$qmz" "$work/bin/QMZ"
"$samplegen" --size small "$work/small" >/dev/null
install_dir=$(grep '^install_dir=' "$work/small/manifest.txt" | cut -d= -f2-)
printf '[MAIN]\nPathNum=1\nDefault=1\n[Path]\nPath_0=%s\n[Name]\nName_0=small\n' "$install_dir" >"$work/bin/QMZ.ini"

export ASAN_OPTIONS=detect_leaks=0
unset QT_QPA_PLATFORM
# A display number range of its own, so that it never races the start-up test for one.
xvfb-run -a -n 140 -s "-screen 0 1024x768x24" bash -c '
  set -u
  journal="$1/bin/DebugOut.mjf"
  "$1/bin/QMZ" &
  pid=$!
  for _ in $(seq 1 240); do
    grep -q "Form available" "$journal" 2>/dev/null && break
    kill -0 $pid 2>/dev/null || exit 1
    sleep 0.5
  done
  sleep 1
  # Points relative to the main window, which opens at the top left of a screen without window manager.
  read -r mx my < <(timeout 30 xdotool search --sync --name "Starvagant Kestrelmark - QMZ" getwindowgeometry --shell %@ |
                    awk -F= "/^X=/{x=\$2} /^Y=/{y=\$2} END{print x, y}")
  click() { xdotool mousemove --sync $((mx + $1)) $((my + $2)) click "${3:-1}"; sleep 0.6; }
  # From Origin: Anywhere page, its one entry, >>.
  click 487 161; click 300 186; click 571 349
  # to Destination: the same.
  click 384 125; click 487 161; click 300 186; click 571 349
  # Commodity: "::Any::" is selected after start-up; >>. Then Calculate.
  click 473 125; click 571 349
  click 122 176
  for _ in $(seq 1 240); do
    grep -q "\[End *\] << Begin calculation >>" "$journal" 2>/dev/null && break
    sleep 0.5
  done
  sleep 2
  # The route-list window is in front now: its pop-up menu, "&Save Routes...", a file name, Enter.
  read -r gx gy < <(timeout 30 xdotool search --sync --name "Traderoutes" getwindowgeometry --shell %@ |
                    awk -F= "/^X=/{x=\$2} /^Y=/{y=\$2} END{print x, y}")
  # A busy machine may drop the first press: the menu is asked for again until the dialog is there.
  opened=0
  for _ in 1 2 3; do
    xdotool mousemove --sync $((gx + 400)) $((gy + 300)) click 3
    sleep 0.6
    xdotool key s
    if timeout 10 xdotool search --sync --name "Save to..." >/dev/null; then opened=1; break; fi
    xdotool key Escape
  done
  [ $opened = 1 ] || { kill -TERM $pid; wait $pid; exit 1; }
  sleep 0.6
  xdotool type --delay 5 "$1/routes.csv"
  # The file name box completes paths: a Return that only closes the completion list is given again.
  for _ in $(seq 1 40); do
    [ -s "$1/routes.csv" ] && break
    xdotool search --name "Save to..." >/dev/null 2>&1 && xdotool key Return
    sleep 0.5
  done
  kill -TERM $pid 2>/dev/null
  wait $pid
' _ "$work" || { echo "QMZ did not run the calculation to its end"; cat "$work/bin/DebugOut.mjf"; exit 1; }

[ -s "$work/routes.csv" ] || { echo "no route file was saved"; cat "$work/bin/DebugOut.mjf"; exit 1; }
found=$(sed -n 's/.*Finished Sorting (\([0-9]*\)).*/\1/p' "$work/bin/DebugOut.mjf" | tail -1)
# Debian's interpreter, explicitly: another python3 earlier on PATH may lack parts of the standard setup.
/usr/bin/python3 - "$work/routes.csv" "${found:-0}" <<'PY'
import csv, io, sys
path, found = sys.argv[1], int(sys.argv[2])
data = open(path, 'rb').read()
assert data.endswith(b'\r\n') and b'\n' not in data.replace(b'\r\n', b''), 'lines must end with CR LF'
lines = data.decode('utf-8').split('\r\n')[:-1]
header = ('"Profit","Profit/#","Commodity","Typ","From Base","From System","To Base","To System","Price","Earn",'
          '"Money to buy","Count","Repu","Level","Decay","Volume","Who scans for","FromBase run by","ToBase run by",'
          '"Lawful",')
assert lines[0] == header, 'header: ' + lines[0]
rows = [next(csv.reader(io.StringIO(line))) for line in lines[1:]]
assert 0 < len(rows) <= min(4000, found), (len(rows), found)
totals = []
for r in rows:
    assert len(r) == 20, r
    total, per, price, count, money = int(r[0]), int(r[1]), int(r[8]), int(r[11]), int(r[10])
    assert per > 0 and total == per * count and money == price * count, r
    assert int(r[9]) - price == per, r
    assert float(r[13]) <= 1.0, r  # the level box reads 1
    assert r[19] in ('True', 'False'), r
    totals.append(total)
assert totals == sorted(totals, reverse=True), 'rows not ordered by Profit, highest first'
print('route file: %d rows of %d routes' % (len(rows), found))
PY
echo "end-to-end calculation passed"
