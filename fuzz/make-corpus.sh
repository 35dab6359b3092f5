#!/bin/sh
# Writes the seed corpora of the fuzz harnesses (fuzz/corpus/<format>/) with
# the image maker: small valid images of each format and a few broken ones.
# The corpora of the tool replies, fwmatrix.txt, the switches and the whole
# run come from the Tandrel simulator: its replies for the example host and
# the mixed host (tests/e2e/mixed/), some damaged by its fault modes, and the
# replies of whole runs of the program against it, call by call.
# Usage: fuzz/make-corpus.sh [vornup-imagemaker [Tandrel [vornup]]]
# (default: the programs of build/linux)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
maker=${1:-$here/../build/linux/tools/imagemaker/vornup-imagemaker}
tandrel=${2:-$here/../build/linux/sim/Tandrel}
program=${3:-$here/../build/linux/vornup}
for tool in "$maker" "$tandrel" "$program"; do
  [ -x "$tool" ] || { echo "build the programs first (or name them): $tool" >&2; exit 1; }
done
corpus=$here/corpus
rm -rf "$corpus"
mkdir -p "$corpus/ufi" "$corpus/grp" "$corpus/all" "$corpus/prg"

make() { name=$1; shift; "$maker" "$@" -o "$corpus/$name"; }

# UFI: directories cut after their device ids keep the seeds small.
make ufi/kx2 ufi --chip kx2 --version 4.2.324.0 --size 300
make ufi/kx3 ufi --chip kx3 --version XY4.1.0.0 --device-id 0x3A12 --size 300
make ufi/kx3-at-16 ufi --chip kx3 --cookie-at 16 --size 256
make ufi/kx2-eighth-id ufi --chip kx2 --size 300 --device-id 1 --device-id 2 --device-id 3 \
  --device-id 4 --device-id 5 --device-id 6 --device-id 7 --device-id 0x3A04
make ufi/no-cookie ufi --chip kx2 --no-cookie --size 300
make ufi/long-header ufi --chip kx3 --size 300 --header-length 301

# GRP
make grp/good grp --version "1.1.43.3 build 7" --size 160
make grp/bad-signature grp --signature 0xF7A3FFFF
make grp/unterminated grp --unterminated-version
make grp/short grp --size 139

# ALL: one file of every sub-image kind, an AIF layout, a broken checksum.
make all/dwc-fwc all --sub dwc,7,121,0x1234,16 --sub fwc,0,0,0x2041,8
make all/kinds all --sub awc,0,0,0,4 --sub bwc,3,0x44,0,4 --sub dwc,11,41,0xFFFF,8
make all/aif all --aif --sub dwc,7,235,0,8
make all/bad-checksum all --bad-checksum --sub dwc,7,18,0,4
make all/unknown-type all --sub dwc,9,121,0,4

# PRG
make prg/family-f prg --image-id 121 --rom-device-id 0x7D80
make prg/family-u prg --image-id 121 --rom-device-id 0x7D81
make prg/odd-pci-data prg --image-id 127 --pci-data-at 0x41 --rom-size 128
make prg/header-only prg --image-id 25 --no-rom
make prg/unknown-id prg --image-id 39

# ---- Tool replies, fwmatrix.txt, switches and whole runs --------------------
mixed=$here/../tests/e2e/mixed
mkdir -p "$corpus/discovery" "$corpus/attributes" "$corpus/fwmatrix" "$corpus/switches" \
  "$corpus/run"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
rs=$(printf '\036')  # separates the replies of one input

# One simulator call on a host file: sim HOST FAULT ARGS... (FAULT "N mode"
# or "", the state starting afresh unless KEEP_STATE is set).
sim() {
  host=$1 fault=$2
  shift 2
  [ -n "${KEEP_STATE:-}" ] || rm -f "$scratch/state"
  TANDREL_SIM_HOST=$host TANDREL_SIM_STATE=$scratch/state TANDREL_SIM_FAIL_CALL=$fault \
    "$tandrel" "$@" || true
}

# The adapter list of both hosts, whole and damaged.
printf '[host]\nlisthbas-error = driver-not-loaded\nlisthbas-error-line = 3\n' > "$scratch/driver.txt"
printf '[host]\nlisthbas-error = brackmond-not-running\n' > "$scratch/brackmond.txt"
sim "$here/../sim/hosts/example.txt" "" listhbas local > "$corpus/discovery/example"
sim "$mixed/host.txt" "" listhbas > "$corpus/discovery/mixed-remote"
sim "$scratch/driver.txt" "" listhbas local > "$corpus/discovery/driver-not-loaded"
sim "$scratch/brackmond.txt" "" listhbas > "$corpus/discovery/brackmond"
for mode in no-output garbage cut-off nul-ff crlf; do
  sim "$mixed/host.txt" "1 $mode" listhbas local > "$corpus/discovery/mixed-$mode"
done

# Whole runs: the program installed beside the mixed install and the
# simulator; its calls logged, then answered again one by one from a fresh
# state, the replies joined into one input behind the switch set's index
# (fuzz_run.cpp's table).
install=$scratch/install
mkdir -p "$install/firmware" "$install/boot" "$install/Quenmar" "$scratch/registry/SOFTWARE/Korvane/Quenmar"
cp "$program" "$install/vornup"
cp "$tandrel" "$install/Quenmar/Tandrel"
cp "$mixed/host.txt" "$install/Quenmar/host.txt"
cp "$mixed/fwmatrix.txt" "$install/fwmatrix.txt"
grep -v '^#' "$mixed/images.txt" | while read -r path args; do
  # shellcheck disable=SC2086  # the maker's arguments, split at blanks
  "$maker" $args -o "$install/$path"
done
printf '%s/' "$install" > "$scratch/registry/SOFTWARE/Korvane/Quenmar/QuenmarDir"

# replay LOG FAULT: the replies to the logged calls, joined by the separator.
replay() {
  rm -f "$scratch/state"
  first=1
  while read -r line; do
    [ $first = 1 ] || printf '%s' "$rs"
    first=0
    # shellcheck disable=SC2086  # the logged arguments, split at blanks
    KEEP_STATE=1 sim "$mixed/host.txt" "$2" $line
  done < "$1"
}

# run NAME INDEX FAULT SWITCHES...
run() {
  name=$1 index=$2 fault=$3
  shift 3
  rm -f "$install/Quenmar/host.txt.state" "$scratch/log"
  (cd "$scratch" && VORNUP_REGISTRY_ROOT=$scratch/registry VORNUP_TEST_LOCK_DIRECTORY=$scratch TEMP=$scratch TANDREL_SIM_LOG=$scratch/log \
    TANDREL_SIM_FAIL_CALL="" "$install/vornup" "$@" > /dev/null) || true
  { printf "\\$(printf '%03o' "$index")"; replay "$scratch/log" "$fault"; } > "$corpus/run/$name"
}
run auto-update 0 "" /auto /update
run update 1 "" /update
run force 2 "" /f
run query 3 "" /q
run auto-downgrade 5 "" /auto /downgrade
run rewrite 6 "" /rewrite /v
run trace 12 "" /xv /auto /update
run update-cut-off 1 "4 cut-off" /update
run auto-garbage 0 "7 garbage" /auto /update
run force-nul-ff 2 "9 nul-ff" /f

# The attribute step: the calls of each port in a query run (from its
# "hbaattrib" on), behind the port kind bytes that suit it (0 FC, 1 FCoE for
# a WWN; 2 NIC, 3 iSCSI for a MAC).
rm -f "$install/Quenmar/host.txt.state" "$scratch/log"
(cd "$scratch" && VORNUP_REGISTRY_ROOT=$scratch/registry VORNUP_TEST_LOCK_DIRECTORY=$scratch TEMP=$scratch TANDREL_SIM_LOG=$scratch/log \
  TANDREL_SIM_FAIL_CALL="" "$install/vornup" /q > /dev/null) || true
awk -v dir="$scratch" '
  /^listhbas/ { next }
  /^hbaattrib/ && previous !~ / E$/ { port++ }
  { print > (dir "/port" port); previous = $0 }' "$scratch/log"
for log in "$scratch"/port*; do
  port=$(basename "$log")
  case $(head -n 1 "$log") in *-*) kinds="2 3" ;; *) kinds="0 1" ;; esac
  for kind in $kinds; do
    { printf "\\$(printf '%03o' "$kind")"; replay "$log" ""; } > "$corpus/attributes/$port-$kind"
  done
done

# fwmatrix.txt: the mixed install's table, and the same in other shapes.
cp "$mixed/fwmatrix.txt" "$corpus/fwmatrix/mixed"
sed 's/$/\r/' "$mixed/fwmatrix.txt" > "$corpus/fwmatrix/crlf"
printf 'kf1602-any\tzf290a1.all\tzu520a0.prg extra\n\n  KF810 x.all\nKC2100-FCoE kc2100.ufi boot.prg' > "$corpus/fwmatrix/shapes"
printf 'KF1602 abcdefghijklmnopqrstuvwxyz1.all abcdefghijklmnopqrstuvwxyz12.prg\nKH3201\n' > "$corpus/fwmatrix/long-names"

# Switches: arguments separated by NUL bytes.
sw() { name=$1; shift; printf "$*" > "$corpus/switches/$name"; }
sw auto-update '/auto\0/update'
sw query '/Q\0/v'
sw logs '/log=run.log\0/l=second.log'
sw log-forms '/LOG=a.log\0/logfile=b\0/l'
sw trace '/xv\0/xv\0/f\0/update'
sw conflicts '/rewrite\0/update\0/g'
sw help '/?'
sw unknown 'q\0/upd'

# The baseline reader: a full baseline, a duplicate key, overflowing numbers
# and deep nesting.
mkdir -p "$corpus/baseline" "$corpus/signature"
digest() { printf "%064d" "$1"; }
printf '{"version": 5, "expires": "2027-01-31T12:00:00Z", "key_id": "%s",\n "images": [{"sha256": "%s", "file": "zf290a1.all", "kind": "firmware", "models": ["LPX-3200"]},\n  {"sha256": "%s", "file": "boot.prg", "kind": "boot_code"}],\n "blocked": ["%s"]}\n' \
  "$(digest 1)" "$(digest 2)" "$(digest 3)" "$(digest 4)" > "$corpus/baseline/listed.json"
printf '{"version": 1, "expires": "2026-12-31T23:59:60.5+01:30", "images": [], "version": 2}' > "$corpus/baseline/duplicate.json"
printf '{"version": 1e400, "expires": "x", "images": [[[[[]]]]]}' > "$corpus/baseline/deep.json"
# DER signatures: r with its high bit set (a leading zero byte), and the same
# with a trailing byte (octal escapes: printf knows no others).
r='\200'; s='\177'; i=0
while [ $i -lt 31 ]; do r="$r\001"; s="$s\002"; i=$((i + 1)); done
printf "\060\105\002\041\000$r\002\040$s" > "$corpus/signature/padded.der"
printf "\060\105\002\041\000$r\002\040$s\000" > "$corpus/signature/trailing.der"
