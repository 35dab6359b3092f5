#!/bin/sh
# Builds the fuzz harnesses (clang, libFuzzer, address and undefined-behaviour
# sanitizers): the image readers, the baseline reader and the signature
# decoder, the tool's replies (adapter list,
# attributes), fwmatrix.txt, the switches and a whole run; and runs each for a
# short while from its seed corpus. Any crash, sanitizer report or input
# slower than 10 s fails the run; the failing input is kept in the build
# directory.
# Usage: fuzz/run-smoke.sh [seconds-per-harness (7)] [build-dir (build/fuzz)]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
seconds=${1:-7}
build=${2:-$here/../build/fuzz}

harnesses="ufi grp all prg baseline signature discovery attributes fwmatrix switches run"

# The harnesses are targets of the main tree, built with the fuzz switch on.
mkdir -p "$build"
# A build directory of the former stand-alone fuzz project is made anew.
if [ -f "$build/CMakeCache.txt" ] &&
    ! grep -qx "CMAKE_HOME_DIRECTORY:INTERNAL=$(cd "$here/.." && pwd)" "$build/CMakeCache.txt"; then
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
cmake -S "$here/.." -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER="${FUZZ_CXX:-clang++}" -DVORNUP_BUILD_FUZZERS=ON \
    -DVORNUP_BUILD_TESTS=OFF > "$build.configure.log" 2>&1 ||
  { cat "$build.configure.log"; exit 1; }
# shellcheck disable=SC2086  # one target per harness
cmake --build "$build" -j2 --target $(for h in $harnesses; do printf 'fuzz_%s ' "$h"; done)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
for format in $harnesses; do
  # New inputs go to a scratch copy, so the committed seeds stay as made.
  mkdir "$work/$format"
  cp "$here/corpus/$format"/* "$work/$format/"
  log=$work/$format.log
  if "$build/fuzz_$format" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$build/$format-" "$work/$format" > "$log" 2>&1; then
    result=ok
  else
    result=FAILED
    failed=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "fuzz_$format: $result, ${runs:-?} executions in ${seconds} s"
  [ "$result" = ok ] || tail -n 40 "$log"
done
exit $failed
