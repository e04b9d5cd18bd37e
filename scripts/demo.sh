# Shared by run.sh and screenshot.sh: builds the program, generates the `small` sample installation into
# the build folder and writes QMZ.ini beside the program naming it as the default entry.
# Sets QMZ_BIN to the program.

demo_build() {
  local build=$1
  shift
  bash scripts/deps.sh
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQMZ_BENCH=OFF >/dev/null
  cmake --build "$build" -j "$(nproc)" --target QMZ qmz-samplegen "$@"
  "$build/tools/qmz-samplegen" --size small "$build/small" >/dev/null
  local install_dir
  install_dir=$(grep '^install_dir=' "$build/small/manifest.txt" | cut -d= -f2-)
  QMZ_BIN="$build/src/app/QMZ"
  # Row 0 of the chooser is the registered installation; user entry 0 is row 1.
  printf '[MAIN]\nPathNum=1\nDefault=1\n[Path]\nPath_0=%s\n[Name]\nName_0=small\n' "$install_dir" \
    >"$(dirname "$QMZ_BIN")/QMZ.ini"
}
