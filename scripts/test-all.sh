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
for preset in linux linux-asan win32 win64; do
  echo "=== $preset"
  cmake --workflow --preset "$preset"
done

echo "=== fleet rollout with Ansible against simulated hosts"
deploy/ansible/tests/run.sh "$PWD/build/linux"

echo "=== fuzz harnesses, a short run of each"
fuzz/run-smoke.sh 7 "$PWD/build/fuzz"

echo "=== DLLs the Windows programs import"
i686-w64-mingw32-objdump -p build/win32/vornup.exe | grep 'DLL Name' | sed 's/^/win32: /'
x86_64-w64-mingw32-objdump -p build/win64/vornup.exe | grep 'DLL Name' | sed 's/^/win64: /'
