#!/bin/sh
# Configures BUILD as a Release tree and builds the given targets, at most
# two jobs at a time. A new tree is made without the tests; an existing one
# keeps its own test setting.
# Usage: bench/build.sh BUILD TARGET...
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: build.sh BUILD TARGET...}
shift
tests=
[ -f "$build/CMakeCache.txt" ] || tests=-DVORNUP_BUILD_TESTS=OFF
mkdir -p "$build"
cmake -S "$here/.." -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release $tests \
  > "$build/bench-configure.log" 2>&1 || { cat "$build/bench-configure.log"; exit 1; }
cmake --build "$build" -j2 --target "$@" > "$build/bench-build.log" 2>&1 ||
  { tail -40 "$build/bench-build.log"; exit 1; }
