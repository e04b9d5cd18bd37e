#!/usr/bin/env bash
# Builds the program, generates the `small` sample installation into the build folder, names it as the
# default installation in QMZ.ini and opens the program on it. Arguments go to the program (e.g. /debug).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/demo.sh
demo_build "${BUILD_DIR:-build/run}"
exec "$QMZ_BIN" "$@"
