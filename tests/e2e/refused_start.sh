#!/usr/bin/env bash
# A start whose single-instance lock cannot be taken ends with the reason on standard error and in the
# journal, and with a failure status that the journal's closing line names too. The lock's private folder
# is a symbolic link here, which is never used.
# Usage: refused_start.sh <QMZ>
set -euo pipefail
qmz=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/bin" "$work/tmp" "$work/elsewhere"
cp "$qmz" "$work/bin/QMZ"
export TMPDIR="$work/tmp"
unset XDG_RUNTIME_DIR
ln -s "$work/elsewhere" "$work/tmp/qmz-$(id -u)"
export ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen

rc=0
timeout 60 "$work/bin/QMZ" 2>"$work/stderr" || rc=$?
journal="$work/bin/DebugOut.mjf"
fail() {
  echo "$1 (status $rc)"
  cat "$work/stderr" "$journal" 2>/dev/null
  exit 1
}
[ "$rc" -eq 1 ] || fail "a refused start must end with status 1"
grep -q "QMZ does not start: .*qmz-$(id -u)" "$work/stderr" || fail "no reason on standard error"
grep -qF "[Error  ] QMZ does not start: " "$journal" || fail "no reason in the journal"
grep -qF "] Process terminated with exit code 1" "$journal" || fail "the journal does not name the exit code"
[ -z "$(ls -A "$work/elsewhere")" ] || fail "something was put through the link"
echo "refused start passed"
