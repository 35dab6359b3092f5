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

create_prefix() {
  rm -rf "$prefix"
  mkdir -p "$(dirname "$prefix")"
  WINEARCH=win64 wineboot --init >/dev/null 2>&1
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
exec wine "$@"
