#!/bin/sh
# The Windows build under Wine against the direct-start floor: an
# /auto /update /p run of vornup.exe on a simulated 8-port host with 10 images
# against a loop that starts the same tool commands directly (CreateProcess,
# output to a new file) and one that runs them through cmd.exe, interleaved,
# medians, and the processes each tool command starts (job accounting).
# Prints key=value lines (bench/bench_start_windows.cpp).
# Usage: bench/run-wine.sh [win64-build (build/win64)] [linux-build (build/linux)] [repetitions (5)]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
win=$(cd "${1:-$here/../build/win64}" && pwd)
linux=$(cd "${2:-$here/../build/linux}" && pwd)
reps=${3:-5}
run="$here/../cmake/wine-run.sh $win/bench-wineprefix"
[ -f "$win/bench/vornup-bench-start.exe" ] || cmake --build "$win" --target vornup-bench-start vornup Tandrel > /dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/korvane/Quenmar" "$work/install" "$work/tmp" "$work/run"
cp "$win/sim/Tandrel.exe" "$work/korvane/Quenmar/"
cp "$win/vornup.exe" "$work/install/"
"$here/gen-host.sh" 8 "$work/host.txt"
"$here/gen-images.sh" 10 "$work/install" "$linux/tools/imagemaker/vornup-imagemaker" small
# (printf, not echo: the Windows paths hold backslashes.)
windows() { printf 'Z:%s\n' "$1" | tr / '\\'; }
$run reg add 'HKLM\SOFTWARE\Korvane\Quenmar' /v QuenmarDir /d "$(windows "$work/korvane/")" /f > /dev/null
export TEMP="$(windows "$work/tmp")" TANDREL_SIM_HOST="$(windows "$work/host.txt")"
export TANDREL_SIM_STATE="$(windows "$work/host.state")"
# The command lines: the trace's, and the adapter list's made the same way.
(cd "$work/run" && $run "$work/install/vornup.exe" /auto /update /p /xv > /dev/null) || true
tr -d '\r' < "$work/run/dbg.log" > "$work/dbg"
tool=$(sed -n 's/^TandrelPath = //p' "$work/dbg")
temp=$(sed -n '/^\[Temp file\]$/{n;p;}' "$work/dbg")
# The run's private directory is gone: the loops use one of their own.
temp="$(windows "$work/tmp")\\loop\\temp.txt"
mkdir -p "$work/tmp/loop"
{ printf '%s listhbas local > "%s"\n' "$tool" "$temp"
  sed -n '/^\[executeTandrel\]$/{n;p;}' "$work/dbg" | sed 's/ > ".*"$//' |
    while IFS= read -r line; do printf '%s > "%s"\n' "$line" "$temp"; done; } > "$work/lines"
(cd "$work/run" && $run "$win/bench/vornup-bench-start.exe" "$reps" "$(windows "$work/lines")" \
  "$(windows "$work/host.state")" -- "$(windows "$work/install/vornup.exe")" /auto /update /p)
