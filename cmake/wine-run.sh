#!/bin/bash
# Runs a Windows program under Wine for the tests of the Windows builds.
#
#   wine-run.sh PREFIX PROGRAM [ARGS...]   run PROGRAM in the Wine prefix PREFIX
#   wine-run.sh PREFIX --fresh             (re)create PREFIX from scratch
#
# The prefix is created on first use (or by --fresh, which the test run does
# once at its start). Nothing may stall a headless run: no debug output, and
# no Mono or Gecko installer prompts.
set -u
prefix=$1
shift
export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# Wine's launcher starts its 32-bit loader whenever that is installed. On a
# host whose kernel runs no 32-bit programs (some virtual machines) the 64-bit
# loader still runs the 64-bit Windows programs; the 32-bit ones cannot run
# there at all (scripts/test-all.sh then builds them without running them).
loader=(wine)
wine32=/usr/lib/wine/wine
wine64=/usr/lib/wine/wine64
if [ -x "$wine32" ] && ! "$wine32" --version >/dev/null 2>&1 && [ -x "$wine64" ]; then
  export WINELOADER=$wine64
  loader=("$wine64")
fi

create_prefix() {
  rm -rf "$prefix"
  mkdir -p "$(dirname "$prefix")"
  WINEARCH=win64 "${loader[@]}" wineboot --init >/dev/null 2>&1
  wineserver --wait
  [ -f "$prefix/system.reg" ]
}

mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [ "${1:-}" = --fresh ]; then
    create_prefix
  elif [ ! -f "$prefix/system.reg" ]; then
    create_prefix
  fi
) 9>"$prefix.lock" || { echo "wine-run.sh: cannot create the Wine prefix $prefix" >&2; exit 125; }

[ "${1:-}" = --fresh ] && exit 0
exec "${loader[@]}" "$@"
