# Shared by run.sh and screenshot.sh: builds the program, generates the `small` sample installation into
# the build folder and names it in QMZ.ini beside the program: a new QMZ.ini gets it as the default entry;
# an existing one keeps the player's entries and default and only gets the sample's entry when missing.
# CMAKE_BUILD_PARALLEL_LEVEL, when set, limits the build's parallel jobs. Sets QMZ_BIN to the program.

demo_build() {
  local build=$1
  shift
  bash scripts/deps.sh
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQMZ_BENCH=OFF >/dev/null
  cmake --build "$build" -j "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}" --target QMZ qmz-samplegen "$@"
  QMZ_BIN="$build/src/app/QMZ"
  "$build/tools/qmz-samplegen" --size small --settings "$(dirname "$QMZ_BIN")/QMZ.ini" "$build/small" >/dev/null
}
