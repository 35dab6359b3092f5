#!/bin/bash
# Builds vornup for Linux, 32-bit Windows and 64-bit Windows from the same
# sources and runs every test: natively on Linux, under Wine for the Windows
# builds. Installs the tools it needs first, where they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-host.sh all
for preset in linux win32 win64; do
  echo "=== $preset"
  cmake --workflow --preset "$preset"
done

echo "=== DLLs the Windows programs import"
i686-w64-mingw32-objdump -p build/win32/vornup.exe | grep 'DLL Name' | sed 's/^/win32: /'
x86_64-w64-mingw32-objdump -p build/win64/vornup.exe | grep 'DLL Name' | sed 's/^/win64: /'
