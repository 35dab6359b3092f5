#!/bin/sh
# Makes large images with the image maker (a 16 MiB KX3 UFI whose flash
# directory lies at its end, a 16 MiB GRP, an 8 MiB ALL of two sub-images, a
# PRG with a 64 KiB ROM) and small ones of the same kinds, and runs the
# benchmark on both directories: the verification times against raw reads of
# the same files, and the peak memory, which must not grow with the images.
# Usage: bench/run-bench.sh [build-dir (build/bench, a Release build)] [rounds]
# bench/run-scale.sh runs it too, as the last part of its report.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build/bench}
rounds=${2:-7}
build=$(mkdir -p "$build" && cd "$build" && pwd)
"$here/build.sh" "$build" vornup-imagemaker vornup-bench-images
maker=$build/tools/imagemaker/vornup-imagemaker
bench=$build/bench/vornup-bench-images

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/large" "$work/small"
# 16 MiB + 176 bytes, the largest KX3 file; the directory is the last 2256
# bytes (its cookie on a KX3 search block), so the search reads everything.
"$maker" ufi --chip kx3 --size 16777392 --cookie-at 16775120 -o "$work/large/kx3.ufi"
"$maker" grp --size 16777216 -o "$work/large/halvard.grp"
"$maker" all --sub dwc,7,121,0x1234,4194170 --sub fwc,0,0,0x1234,4194170 -o "$work/large/fc.all"
"$maker" prg --rom-size 65536 -o "$work/large/boot.prg"
"$maker" ufi --chip kx3 -o "$work/small/kx3.ufi"
"$maker" grp -o "$work/small/halvard.grp"
"$maker" all -o "$work/small/fc.all"
"$maker" prg -o "$work/small/boot.prg"

echo "== large images"
"$bench" "$work/large" "$rounds"
echo "== small images"
"$bench" "$work/small" "$rounds"
