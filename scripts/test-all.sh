#!/bin/bash
# Builds vornup for Linux, 32-bit Windows and 64-bit Windows from the same
# sources and runs every test: natively on Linux, under Wine for the Windows
# builds. Installs the tools it needs first, where they are missing.
# The Linux tests run a second time in a build with the address and
# undefined-behaviour sanitizers (leak checking on), and every fuzz harness
# runs briefly from its seed corpus. The Ansible role and fleet playbooks
# are run against simulated hosts with the Linux build.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-host.sh all

# Why the 32-bit Windows tests cannot run here, if they cannot: Wine's 32-bit
# loader is missing (its packages could not be installed), or it is there but
# the host runs no 32-bit x86 programs (the kernels of some virtual machines).
why_no_32bit_tests() {
  if [ ! -x /usr/lib/wine/wine ]; then
    echo "Wine's 32-bit loader is not installed"
  elif ! /usr/lib/wine/wine --version > /dev/null 2>&1; then
    echo "this host runs no 32-bit programs"
  fi
}

for preset in linux linux-asan win32 win64; do
  echo "=== $preset"
  reason=""
  [ "$preset" = win32 ] && reason=$(why_no_32bit_tests)
  if [ -n "$reason" ]; then
    echo "NOTE: $reason, so the 32-bit Windows tests cannot run under Wine here:" \
      "win32 is built, its tests are not run but for its packages' check, which" \
      "installs them with the 64-bit msiexec and runs no 32-bit program."
    cmake --preset win32
    cmake --build --preset win32
    ctest --preset win32 -R '^vornup_packages$'
    continue
  fi
  cmake --workflow --preset "$preset"
done

echo "=== fleet rollout with Ansible against simulated hosts"
deploy/ansible/tests/run.sh "$PWD/build/linux"

echo "=== fuzz harnesses, a short run of each"
fuzz/run-smoke.sh 7 "$PWD/build/fuzz"

echo "=== DLLs the Windows programs import"
i686-w64-mingw32-objdump -p build/win32/vornup.exe | grep 'DLL Name' | sed 's/^/win32: /'
x86_64-w64-mingw32-objdump -p build/win64/vornup.exe | grep 'DLL Name' | sed 's/^/win64: /'
