#!/bin/bash
# vornup's main job: the whole story of a firmware update on a simulated host,
# as an administrator would run it.
#
# It builds the Linux program, the Tandrel simulator and the image maker,
# installs vornup in a scratch directory with the simulator as its management
# tool (host sim/hosts/example.txt: two Fibre Channel adapters and one
# converged adapter), makes newer images with the image maker, and runs:
#   1. automatic mode: a query, /auto /update /v (downloads), a query that
#      shows the new versions;
#   2. the same with the update table examples/fwmatrix.txt, on a host
#      started afresh; then the same update once more, which has nothing
#      left to do.
# Every command is printed before it runs, followed by its exit code. The
# job fails when a run ends with another exit code than the story expects,
# or when the last query does not show the new versions.
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD

scripts/setup-host.sh native
build=$source/build/main-job
echo "Building vornup, the Tandrel simulator and the image maker in $build ..."
cmake --preset linux -B "$build" -DVORNUP_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target vornup Tandrel vornup-imagemaker -j 2 >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
install=$scratch/vornup
tool=$scratch/korvane
export VORNUP_REGISTRY_ROOT=$scratch/registry
# A host lock of the simulated host's own (the product's is /run/vornup.lock).
export VORNUP_TEST_LOCK_DIRECTORY=$scratch
export TEMP=$scratch/temp
mkdir -p "$install/firmware" "$install/boot" "$tool/Quenmar" "$TEMP" \
         "$VORNUP_REGISTRY_ROOT/SOFTWARE/Korvane/Quenmar"

status=0
note() { printf '\n### %s\n' "$*"; }
show() { printf '$ %s\n' "$*"; }

# Runs vornup from the scratch directory (not its own) with the given
# switches; the first argument is the exit code the story expects.
vornup() {
  local expected=$1
  shift
  echo
  show "vornup $*"
  local code=0
  (cd "$scratch" && "$install/vornup" "$@") | tee "$scratch/last-run.txt" || code=${PIPESTATUS[0]}
  echo "[exit code $code]"
  if [ "$code" -ne "$expected" ]; then
    echo "main-job: expected exit code $expected" >&2
    status=1
  fi
}

# Starts the simulated host afresh: its adapters run what the host file says.
fresh_host() {
  rm -f "$tool/Quenmar/host.txt.state"
}

note "Setting up: vornup in $install, the simulator as the management tool"
cp "$build/vornup" "$install/"
cp "$build/sim/Tandrel" "$tool/Quenmar/"
cp sim/hosts/example.txt "$tool/Quenmar/host.txt"
printf '%s/' "$tool" > "$VORNUP_REGISTRY_ROOT/SOFTWARE/Korvane/Quenmar/QuenmarDir"
echo "Host: $source/sim/hosts/example.txt (KF1602 and KF810 Fibre Channel adapters,"
echo "      KC2100 converged adapter with a NIC and an FCoE function)"

note "Making images newer than what the adapters run"
maker=$build/tools/imagemaker/vornup-imagemaker
make_image() {
  show "vornup-imagemaker $*"
  "$maker" "$@"
}
cd "$install"
make_image all --sub dwc,7,225,0x2911,4096 -o firmware/zf290a1.all       # KF1602 firmware ZF 2.90A1
make_image all --sub dwc,7,193,0x2610,4096 -o firmware/bf260a0.all       # KF810 firmware BF 2.60A0
make_image ufi --chip kx2 --version 4.1.0.0 -o firmware/kc2100-4100.ufi  # KC2100 firmware 4.1.0.0
make_image prg --image-id 231 --version 0x5193 --rom-device-id 0x7D00 -o boot/zu512a3.prg  # ZU 5.12A3
make_image prg --image-id 193 --version 0x4351 --rom-device-id 0x5400 -o boot/bb431a1.prg  # BB 4.31A1
cd "$source"
# A query reads fwmatrix.txt too, so the table lies beside the program in
# both parts (automatic mode ignores it).
cp examples/fwmatrix.txt "$install/"

note "Part 1: automatic mode (images from the firmware and boot directories)"
vornup 0 /q
vornup 0 /auto /update /v
vornup 0 /q

note "Part 2: the update table fwmatrix.txt, on the host started afresh"
fresh_host
echo "The table (examples/fwmatrix.txt), without its comment lines:"
grep -v '^/' "$install/fwmatrix.txt"
vornup 0 /q
vornup 0 /update /v
vornup 0 /q
new_versions=(
  "HBA=KF1602, Port Type=FC, WWN=10:00:00:00:C9:7D:00:01, PCI ID=7D00, VID=1A5C, SSID=7D99, SVID=1A5C, Firmware=ZF290A1, Boot Code=ZU512A3"
  "HBA=KF810, Port Type=FC, WWN=10:00:00:00:C9:54:00:01, PCI ID=5400, VID=1A5C, SSID=5401, SVID=1A5C, Firmware=BF260A0, Boot Code=BB431A1"
  "HBA=KC2100-FCoE, Port Type=NIC, MAC=00-90-FA-3A-00-01, PCI ID=3A00, VID=1A5C, SSID=3A01, SVID=1A5C, Firmware=4.1.0.0"
)
for line in "${new_versions[@]}"; do
  if ! grep -qF "$line" "$scratch/last-run.txt"; then
    echo "main-job: the last query does not show: $line" >&2
    status=1
  fi
done

note "The same update once more: every adapter is current"
vornup 1 /update /v

echo
if [ $status -eq 0 ]; then
  echo "main-job: every run ended as expected"
else
  echo "main-job: some runs did not end as expected" >&2
fi
exit $status
