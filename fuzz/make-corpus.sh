#!/bin/sh
# Writes the seed corpora of the fuzz harnesses (fuzz/corpus/<format>/) with
# the image maker: small valid images of each format and a few broken ones.
# Usage: fuzz/make-corpus.sh [path/to/vornup-imagemaker]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
maker=${1:-$here/../build/images/tools/imagemaker/vornup-imagemaker}
[ -x "$maker" ] || { echo "build vornup-imagemaker first (or name it): $maker" >&2; exit 1; }
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
