#!/bin/sh
# vornup's performance report, measured in one run and printed as the
# Markdown tables of docs/performance.md:
#   1. overhead: an /auto /update /p run on a 64-port host against the
#      direct-start floor (a loop that starts the same tool commands as the
#      program does: posix_spawn, output to a new file, removed after each),
#      against a loop that runs the same command lines through the command
#      interpreter (removing the output file after each; and a plain loop
#      that does not), interleaved, medians;
#   2. scale: the same over hosts of 8, 64 and 256 ports and image
#      directories of 10, 100 and 1,000 files (and of 16 MiB images), with
#      image discovery alone timed in process;
#   3. memory: the program's peak resident memory at every size, and (when
#      valgrind is installed) the instructions it executes itself, and those
#      of one discovery alone (with its system calls, when strace is);
#   4. per tool command: the instructions and system calls of vornup itself
#      and the processes started, from the difference between the 8- and the
#      64-port host; with VORNUP_BEFORE naming another build of vornup, the
#      same for it (before and after a change);
#   5. image verification against raw reads (bench/run-bench.sh).
# The hosts come from gen-host.sh, the images from gen-images.sh (the image
# maker); the tool is the Tandrel simulator, installed as the management
# suite installs it, with a registry of its own.
# Usage: bench/run-scale.sh [build-dir (build/perf)] [repetitions (15)]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build/perf}
reps=${2:-15}
build=$(mkdir -p "$build" && cd "$build" && pwd)
"$here/build.sh" "$build" vornup Tandrel vornup-imagemaker vornup-bench-run \
  vornup-bench-discovery vornup-bench-images
maker=$build/tools/imagemaker/vornup-imagemaker
runner=$build/bench/vornup-bench-run

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/korvane/Quenmar" "$work/registry/SOFTWARE/Korvane/Quenmar" "$work/tmp" \
  "$work/run"
cp "$build/sim/Tandrel" "$work/korvane/Quenmar/"
echo "$work/korvane/" > "$work/registry/SOFTWARE/Korvane/Quenmar/QuenmarDir"
export VORNUP_REGISTRY_ROOT="$work/registry" TEMP="$work/tmp" VORNUP_TEST_LOCK_DIRECTORY="$work"
export TANDREL_SIM_STATE="$work/host.state"
unset TANDREL_SIM_LOG TANDREL_SIM_FAIL_CALL TMPDIR

for ports in 0 8 64 256; do
  "$here/gen-host.sh" "$ports" "$work/host$ports.txt"
done
for images in 10 100 1000 large; do
  mkdir "$work/install$images"
  cp "$build/vornup" "$work/install$images/"
  if [ -n "${VORNUP_BEFORE:-}" ]; then cp "$VORNUP_BEFORE" "$work/install$images/vornup-before"; fi
  if [ "$images" = large ]; then
    "$here/gen-images.sh" 10 "$work/install$images" "$maker" large
  else
    "$here/gen-images.sh" "$images" "$work/install$images" "$maker" small
  fi
done

load() { cut -d' ' -f1-3 /proc/loadavg; }

# get KEY FILE: the value of a key=value line.
get() { sed -n "s/^$1=//p" "$2"; }

# lines PORTS IMAGES: runs the program once with its trace on and the
# simulator's command log, and writes the command lines it ran to
# $work/lines: the trace holds every line but the adapter list's, which is
# made the same way from the tool path and the temporary file the trace
# names. Checks them against the log.
lines() {
  rm -f "$TANDREL_SIM_STATE" "$work/sim.log" "$work/run/dbg.log"
  (cd "$work/run" && TANDREL_SIM_HOST="$work/host$1.txt" TANDREL_SIM_LOG="$work/sim.log" \
    "$work/install$2/vornup" /auto /update /p /xv > /dev/null) || true
  tool=$(sed -n 's/^TandrelPath = //p' "$work/run/dbg.log")
  temp=$(sed -n '/^\[Temp file\]$/{n;p;}' "$work/run/dbg.log")
  redirect=" > \"$temp\""
  tempdir=$(dirname "$temp")
  { echo "$tool $(head -n 1 "$work/sim.log")$redirect"
    sed -n '/^\[executeTandrel\]$/{n;p;}' "$work/run/dbg.log"; } > "$work/lines"
  awk -v pre="$tool " -v post="$redirect" '{
        s = substr($0, length(pre) + 1); s = substr(s, 1, length(s) - length(post));
        gsub(/"/, "", s); print s }' "$work/lines" | cmp -s - "$work/sim.log" ||
    { echo "run-scale.sh: traced command lines differ from the simulator's log" >&2; exit 1; }
}

# measure PORTS IMAGES [plain]: timings into $work/m-PORTS-IMAGES.
measure() {
  lines "$1" "$2"
  (cd "$work/run" && TANDREL_SIM_HOST="$work/host$1.txt" \
    "$runner" time "$reps" "$work/lines" "$TANDREL_SIM_STATE" "$tempdir" ${3:-} -- \
    "$work/install$2/vornup" /auto /update /p 2> /dev/null) > "$work/m-$1-$2"
}

# memory PORTS IMAGES: peak memory into $work/r-PORTS-IMAGES.
memory() {
  (cd "$work/run" && TANDREL_SIM_HOST="$work/host$1.txt" \
    "$runner" memory "$TANDREL_SIM_STATE" -- "$work/install$2/vornup" /auto /update /p \
    2> /dev/null) > "$work/r-$1-$2"
}

# instructions PORTS IMAGES: the instructions the program itself executes
# (callgrind counts them exactly, whatever the load; the tool's processes
# are not counted), into $work/i-PORTS-IMAGES.
instructions() {
  rm -f "$TANDREL_SIM_STATE"
  (cd "$work/run" && TANDREL_SIM_HOST="$work/host$1.txt" valgrind --tool=callgrind \
    --callgrind-out-file=/dev/null "$work/install$2/vornup" /auto /update /p 2>&1 > /dev/null) |
    sed -n 's/.*Collected : //p' > "$work/i-$1-$2"
}

# discovery_counts IMAGES: the instructions (callgrind) and system calls
# (strace) of one discovery alone, from the difference between one and three
# rounds of vornup-bench-discovery (so the start of the benchmark and its
# warm-up round drop out), into $work/c-IMAGES. Both counts are exact
# whatever the load of the machine.
discovery_counts() {
  set -- "$1" "$build/bench/vornup-bench-discovery" "$work/install$1"
  if command -v valgrind > /dev/null; then
    one=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null "$2" "$3" 1 2>&1 > /dev/null |
      sed -n 's/.*Collected : //p')
    three=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null "$2" "$3" 3 2>&1 > /dev/null |
      sed -n 's/.*Collected : //p')
    echo "instructions=$(((three - one) / 2))"
  fi > "$work/c-$1"
  if command -v strace > /dev/null; then
    strace -c -o "$work/s1" "$2" "$3" 1 > /dev/null
    strace -c -o "$work/s3" "$2" "$3" 3 > /dev/null
    calls() { awk '$NF == "total" { print $(NF - 2) }' "$1"; }
    echo "system_calls=$((($(calls "$work/s3") - $(calls "$work/s1")) / 2))" >> "$work/c-$1"
  fi
}

# per_command PROGRAM: what one tool command costs PROGRAM (vornup or
# vornup-before of the 100-image install) itself, from the 8- and the 64-port
# host: instructions (callgrind), system calls (strace -c) and processes
# started (execve calls of the whole tree, strace -f), into $work/p-PROGRAM.
per_command() {
  for ports in 8 64; do
    rm -f "$TANDREL_SIM_STATE" "$work/sim.log"
    (cd "$work/run" && TANDREL_SIM_HOST="$work/host$ports.txt" TANDREL_SIM_LOG="$work/sim.log" \
      "$work/install100/$1" /auto /update /p > /dev/null 2>&1) || true
    echo "commands$ports=$(wc -l < "$work/sim.log")"
    if command -v valgrind > /dev/null; then
      rm -f "$TANDREL_SIM_STATE"
      echo "instructions$ports=$(cd "$work/run" && TANDREL_SIM_HOST="$work/host$ports.txt" \
        valgrind --tool=callgrind --callgrind-out-file=/dev/null "$work/install100/$1" \
        /auto /update /p 2>&1 > /dev/null | sed -n 's/.*Collected : //p')"
    fi
    if command -v strace > /dev/null; then
      rm -f "$TANDREL_SIM_STATE"
      (cd "$work/run" && TANDREL_SIM_HOST="$work/host$ports.txt" strace -c -o "$work/sc" \
        "$work/install100/$1" /auto /update /p > /dev/null 2>&1) || true
      echo "calls$ports=$(awk '$NF == "total" { print $(NF - 2) }' "$work/sc")"
      rm -f "$TANDREL_SIM_STATE"
      (cd "$work/run" && TANDREL_SIM_HOST="$work/host$ports.txt" strace -f -e trace=execve \
        -o "$work/se" "$work/install100/$1" /auto /update /p > /dev/null 2>&1) || true
      echo "processes$ports=$(grep -c 'execve(' "$work/se")"
    fi
  done > "$work/p-$1"
}

started=$(date -u '+%Y-%m-%d %H:%M UTC')
load_start=$(load)
measure 64 100 plain
load_overhead=$(load)
# The fixed cost of a run: a host without adapters (one tool command).
measure 0 10
measure 0 100
for point in "8 100" "256 100" "64 10" "64 1000" "64 large" "8 10" "8 1000" "8 large"; do
  measure $point
done
load_scale=$(load)
per_command vornup
if [ -n "${VORNUP_BEFORE:-}" ]; then per_command vornup-before; fi
for images in 10 100 1000 large; do
  "$build/bench/vornup-bench-discovery" "$work/install$images" 15 > "$work/d-$images"
  discovery_counts "$images"
  for ports in 8 64 256; do
    memory "$ports" "$images"
    if command -v valgrind > /dev/null; then instructions "$ports" "$images"; fi
  done
done

label() { if [ "$1" = large ]; then echo "10 (16 MiB)"; else echo "$1"; fi; }

echo "- Machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)," \
  "$(uname -sr); started $started."
echo "- Load average (1, 5, 15 min): $load_start at the start, $load_overhead after the" \
  "overhead run, $load_scale after the scale runs, $(load) at the end."
echo "- Repetitions: $reps of each (program and loops interleaved, after one unmeasured round)."
echo
m=$work/m-64-100
echo "### Overhead: 64 ports, 100 images, /auto /update /p"
echo
echo "| Floor | Tool commands | vornup ms | floor ms | Ratio of medians | Median pair ratio (least - largest) | vornup CPU ms | floor CPU ms | CPU ratio |"
echo "|---|---|---|---|---|---|---|---|---|"
for floor in direct loop plain; do
  case $floor in
    direct) name="direct starts (posix_spawn), output file removed after each command" ;;
    loop) name="command interpreter loop, output file removed after each command" ;;
    *) name="plain command interpreter loop" ;;
  esac
  echo "| $name | $(get commands "$m") | $(get program_ms "$m") | $(get ${floor}_ms "$m") |" \
    "$(get ${floor}_ratio "$m") | $(get ${floor}_pair_ratio "$m") ($(get ${floor}_pair_ratio_min "$m")" \
    "- $(get ${floor}_pair_ratio_max "$m")) | $(get program_cpu_ms "$m") | $(get ${floor}_cpu_ms "$m") |" \
    "$(get ${floor}_cpu_ratio "$m") |"
done
echo
echo "### Against the direct-start floor"
echo
echo "| Ports | Image files | Tool commands | vornup ms | direct floor ms | Ratio of medians | Median pair ratio (least - largest) | interpreter loop ms |"
echo "|---|---|---|---|---|---|---|---|"
for point in "8 100" "64 100" "256 100" "8 1000" "64 1000"; do
  set -- $point
  m=$work/m-$1-$2
  echo "| $1 | $2 | $(get commands "$m") | $(get program_ms "$m") | $(get direct_ms "$m") |" \
    "$(get direct_ratio "$m") | $(get direct_pair_ratio "$m") ($(get direct_pair_ratio_min "$m") -" \
    "$(get direct_pair_ratio_max "$m")) | $(get loop_ms "$m") |"
done
echo
echo "### Per tool command (the 8- and the 64-port host, 100 images; counts independent of the load)"
echo
echo "| Build | Instructions of vornup | System calls of vornup | Processes started |"
echo "|---|---|---|---|"
for program in vornup-before vornup; do
  p=$work/p-$program
  [ -f "$p" ] || continue
  if [ "$program" = vornup ]; then name="this build"; else name="VORNUP_BEFORE"; fi
  awk -v name="$name" -v c8="$(get commands8 "$p")" -v c64="$(get commands64 "$p")" \
    -v i8="$(get instructions8 "$p")" -v i64="$(get instructions64 "$p")" \
    -v s8="$(get calls8 "$p")" -v s64="$(get calls64 "$p")" \
    -v e8="$(get processes8 "$p")" -v e64="$(get processes64 "$p")" 'BEGIN {
      n = c64 - c8
      ins = i8 == "" ? "-" : sprintf("%.0f", (i64 - i8) / n)
      sys = s8 == "" ? "-" : sprintf("%.1f", (s64 - s8) / n)
      pro = e8 == "" ? "-" : sprintf("%.2f", (e64 - e8) / n)
      printf "| %s | %s | %s | %s |\n", name, ins, sys, pro }'
done
echo
echo "### Fixed cost of a run: a host without adapters (the adapter list is the only tool command)"
echo
echo "| Image files | vornup ms | the command alone ms | Difference ms | vornup CPU ms | the command's CPU ms |"
echo "|---|---|---|---|---|---|"
for images in 10 100; do
  m=$work/m-0-$images
  diff=$(awk -v a="$(get program_ms "$m")" -v b="$(get loop_ms "$m")" 'BEGIN { printf "%.1f", a - b }')
  echo "| $images | $(get program_ms "$m") | $(get loop_ms "$m") | $diff | $(get program_cpu_ms "$m") |" \
    "$(get loop_cpu_ms "$m") |"
done
echo
echo "### Growth over ports (100 images)"
echo
echo "| Ports | Tool commands | vornup ms | loop ms | Ratio (median pair ratio) | loop ms per command | vornup CPU ms | loop CPU ms |"
echo "|---|---|---|---|---|---|---|---|"
for ports in 8 64 256; do
  m=$work/m-$ports-100
  per=$(awk -v t="$(get loop_ms "$m")" -v n="$(get commands "$m")" 'BEGIN { printf "%.2f", t / n }')
  echo "| $ports | $(get commands "$m") | $(get program_ms "$m") | $(get loop_ms "$m") |" \
    "$(get loop_ratio "$m") ($(get loop_pair_ratio "$m")) | $per | $(get program_cpu_ms "$m") | $(get loop_cpu_ms "$m") |"
done
echo
echo "### Growth over image files (8 and 64 ports)"
echo
echo "| Image files | Discovery alone ms | 8 ports: vornup ms | Ratio (pair) | Discovery share | 64 ports: vornup ms | loop ms | Ratio (pair) | Discovery share |"
echo "|---|---|---|---|---|---|---|---|---|"
for images in 10 100 1000 large; do
  d=$(get discovery_ms "$work/d-$images")
  row="| $(label "$images") | $d |"
  for ports in 8 64; do
    m=$work/m-$ports-$images
    share=$(awk -v d="$d" -v t="$(get program_ms "$m")" 'BEGIN { printf "%.1f %%", 100 * d / t }')
    if [ "$ports" = 8 ]; then
      row="$row $(get program_ms "$m") | $(get loop_ratio "$m") ($(get loop_pair_ratio "$m")) | $share |"
    else
      row="$row $(get program_ms "$m") | $(get loop_ms "$m") | $(get loop_ratio "$m") ($(get loop_pair_ratio "$m")) | $share |"
    fi
  done
  echo "$row"
done
echo
echo "### Discovery alone: instructions and system calls of one discovery (independent of the load)"
echo
echo "| Image files | Discovery alone ms | Instructions, millions | Instructions per image file | System calls | System calls per image file |"
echo "|---|---|---|---|---|---|"
for images in 10 100 1000 large; do
  c=$work/c-$images
  files=$(find "$work/install$images/firmware" "$work/install$images/boot" -type f | wc -l)
  awk -v label="$(label "$images")" -v ms="$(get discovery_ms "$work/d-$images")" \
    -v n="$(get instructions "$c")" -v s="$(get system_calls "$c")" -v f="$files" 'BEGIN {
      ins = n == "" ? "-" : sprintf("%.2f", n / 1e6); insf = n == "" ? "-" : sprintf("%.0f", n / f)
      sys = s == "" ? "-" : s; sysf = s == "" ? "-" : sprintf("%.1f", s / f)
      printf "| %s | %s | %s | %s | %s | %s |\n", label, ms, ins, insf, sys, sysf }'
done
# grid TITLE CELL: a table of every image set over every host size, each
# cell printed by the function CELL given the ports and the image set.
grid() {
  echo
  echo "### $1"
  echo
  echo "| Image files | 8 ports | 64 ports | 256 ports |"
  echo "|---|---|---|---|"
  for images in 10 100 1000 large; do
    row="| $(label "$images") |"
    for ports in 8 64 256; do
      row="$row $($2 "$ports" "$images") |"
    done
    echo "$row"
  done
}
memory_cell() { echo "$(get self_kib "$work/r-$1-$2") ($(get tree_kib "$work/r-$1-$2"))"; }
instructions_cell() {
  awk -v n="$(cat "$work/i-$1-$2")" -v p="$1" 'BEGIN { printf "%.2f (%.0f)", n / 1e6, n / p / 1e3 }'
}
grid "Peak resident memory of vornup, KiB (largest process of the run in brackets)" memory_cell
if command -v valgrind > /dev/null; then
  grid "Instructions executed by vornup itself, millions (per port in brackets, thousands)" \
    instructions_cell
fi
echo
echo "### Image verification against raw reads (bench/run-bench.sh)"
echo
echo '```'
"$here/run-bench.sh" "$build" "$reps"
echo '```'
echo "Load average at the end: $(load)."
