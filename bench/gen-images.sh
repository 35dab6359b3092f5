#!/bin/sh
# Makes the firmware and boot directories of an install for the hosts of
# gen-host.sh, with the image maker: COUNT files in all, a fifth of them (at
# least two) boot code. The newest image of every family on the host comes
# first (ZF and BF firmware, KX2 and KX3 UFI, Halvard GRP, ZU and BB boot
# code); the rest are valid images of other Fibre Channel types and older
# versions of the host's own families, so discovery sorts a realistic mix.
# With SIZE "large" the host's images are as large as their formats allow,
# up to 16 MiB (a KX2 UFI is at most 8 MiB); "small" makes the maker's small
# images.
# Usage: bench/gen-images.sh COUNT INSTALL-DIR MAKER [small|large]
set -eu
count=${1:?usage: gen-images.sh COUNT INSTALL-DIR MAKER [small|large]}
install=${2:?usage: gen-images.sh COUNT INSTALL-DIR MAKER [small|large]}
maker=${3:?usage: gen-images.sh COUNT INSTALL-DIR MAKER [small|large]}
size=${4:-small}
boot=$((count / 5))
[ "$boot" -ge 2 ] || boot=2
firmware=$((count - boot))
if [ "$firmware" -lt 5 ]; then
  echo "gen-images.sh: COUNT must be at least 7" >&2
  exit 2
fi
fw=$install/firmware
bt=$install/boot
rm -rf "$fw" "$bt"
mkdir -p "$fw" "$bt"

make() {
  "$maker" "$@" > /dev/null
}

# The newest image of every family on the host.
if [ "$size" = large ]; then
  make all --sub dwc,7,225,0x2911,16777000 -o "$fw/zf290a1.all"
  make all --sub dwc,7,193,0x2211,16777000 -o "$fw/bf220a1.all"
  # The flash directories lie at the files' ends (on a search block of their
  # chip), so the cookie search reads them whole.
  make ufi --chip kx2 --version 4.1.0.0 --cookie-at 8386432 -o "$fw/kc2100.ufi"
  make ufi --chip kx3 --version 4.2.0.0 --size 16777392 --cookie-at 16775120 -o "$fw/kc3200.ufi"
  make grp --version 1.1.50.0 --size 16777216 -o "$fw/kh3201.grp"
  make prg --image-id 231 --version 0x5210 --rom-size 16776704 -o "$bt/zu520a0.prg"
  make prg --image-id 193 --version 0x4410 --rom-size 16776704 -o "$bt/bb440a0.prg"
else
  make all --sub dwc,7,225,0x2911,4096 -o "$fw/zf290a1.all"
  make all --sub dwc,7,193,0x2211,4096 -o "$fw/bf220a1.all"
  make ufi --chip kx2 --version 4.1.0.0 -o "$fw/kc2100.ufi"
  make ufi --chip kx3 --version 4.2.0.0 -o "$fw/kc3200.ufi"
  make grp --version 1.1.50.0 --size 4096 -o "$fw/kh3201.grp"
  make prg --image-id 231 --version 0x5210 --rom-size 4096 -o "$bt/zu520a0.prg"
  make prg --image-id 193 --version 0x4410 --rom-size 4096 -o "$bt/bb440a0.prg"
fi

# Image ids of other Fibre Channel firmware types (UF, LF, TF, MF, BD, EM,
# BJ, BE, ZD, ZE, WF) and of other boot code kinds.
other_all_ids="121 113 129 145 162 178 203 204 227 236 241"
other_prg_ids="225 226 195 97 98 131 121 130 146 178 211 241"

# nth N LIST: the N-th word of LIST, counted from 0 and wrapping around.
nth() {
  set -- "$1" $2
  n=$(($1 % ($# - 1)))
  shift $((n + 1))
  echo "$1"
}

# fcword MAJOR N: an FC version word (major digit, revision, fix level,
# distribution letter A, count in 4, 4, 2, 2 and 4 bits) that varies with N.
fcword() {
  printf '0x%04x' $(($1 << 12 | $2 % 10 << 8 | $2 / 10 % 4 << 6 | 1 << 4 | $2 / 40 % 16))
}

i=5
while [ "$i" -lt "$firmware" ]; do
  case $((i % 5)) in
    0) make all --sub "dwc,7,$(nth $((i / 5)) "$other_all_ids"),$(fcword 2 "$i"),4096" \
         -o "$fw/other-$i.all" ;;
    1) make all --sub "dwc,7,$(nth $((i / 5)) "225 193"),$(fcword 1 "$i"),4096" \
         -o "$fw/older-$i.all" ;;
    2) make ufi --chip kx2 --version "4.0.$i.0" -o "$fw/kc2100-$i.ufi" ;;
    3) make ufi --chip kx3 --version "4.0.$i.1" -o "$fw/kc3200-$i.ufi" ;;
    4) make grp --version "1.0.$i.0" --size 4096 -o "$fw/kh3201-$i.grp" ;;
  esac
  i=$((i + 1))
done

i=2
while [ "$i" -lt "$boot" ]; do
  if [ $((i % 2)) -eq 0 ]; then
    make prg --image-id "$(nth $((i / 2)) "$other_prg_ids")" --version "$(fcword 3 "$i")" \
      --rom-size 4096 -o "$bt/other-$i.prg"
  else
    make prg --image-id "$(nth $((i / 2)) "231 193")" --version "$(fcword 1 "$i")" \
      --rom-size 4096 -o "$bt/older-$i.prg"
  fi
  i=$((i + 1))
done
