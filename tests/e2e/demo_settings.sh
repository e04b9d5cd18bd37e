#!/usr/bin/env bash
# The demo's QMZ.ini step (scripts/demo.sh, used by run.sh) run twice, with the build itself left out: the
# first run names the sample installation as the default; an entry and a default the player set between
# the runs are kept by the second.
# Usage: demo_settings.sh <repository> <qmz-samplegen>
set -euo pipefail
repo=$1
samplegen=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build="$work/build"
mkdir -p "$build/tools" "$build/src/app"
ln -s "$samplegen" "$build/tools/qmz-samplegen"
# Only the settings step runs: no package check, no build.
bash() { [ "$1" = scripts/deps.sh ] || command bash "$@"; }
cmake() { :; }
cd "$repo"
source scripts/demo.sh
ini="$build/src/app/QMZ.ini"

demo_build "$build"
grep -qx 'Default=1' "$ini" || { echo "first run: the sample is not the default"; cat "$ini"; exit 1; }
sample=$(grep '^Path_0=' "$ini" | cut -d= -f2-)

cat >"$ini" <<INI
[MAIN]
PathNum=2
Default=2
DefaultPath=/games/mine
[Path]
Path_0=$sample
Path_1=/games/mine
[Name]
Name_0=small
Name_1=Mine
INI
before=$(cat "$ini")
demo_build "$build"
[ "$(cat "$ini")" = "$before" ] || { echo "second run changed the player's QMZ.ini"; cat "$ini"; exit 1; }
echo "demo settings kept"
