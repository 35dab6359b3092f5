#!/bin/bash
# vornup's main job on this machine: builds the Linux program, installs it
# in a scratch directory beside an empty registry, and runs it as an
# administrator would: the usage text, then a query of a host on which the
# Korvane management tool is not installed.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-host.sh native
cmake --preset linux -B build/main-job -DVORNUP_BUILD_TESTS=OFF >/dev/null
cmake --build build/main-job --target vornup -j 2 >/dev/null

host=$(mktemp -d)
trap 'rm -rf "$host"' EXIT
mkdir -p "$host/install" "$host/registry"
cp build/main-job/vornup "$host/install/"
# The query needs the update table beside the program, though it reads no
# entry of it.
: > "$host/install/fwmatrix.txt"
export VORNUP_REGISTRY_ROOT=$host/registry

status=0
run() {
  local expected=$1
  shift
  echo "\$ vornup $*"
  local code=0
  "$host/install/vornup" "$@" || code=$?
  echo "[exit code $code]"
  [ "$code" -eq "$expected" ] || { echo "main-job: expected exit code $expected" >&2; status=1; }
}

run 0
run 4 /q
exit $status
