#!/bin/bash
# Builds vornup's packages for administrators from the same sources:
#   vornup-<version>-win32.zip, vornup-<version>-win64.zip  (the Windows programs)
#   vornup-<version>-win32.msi, vornup-<version>-win64.msi  (Windows Installer)
#   vornup-<version>-Linux-<cpu>.tar.gz, vornup_<version>_<arch>.deb,
#   vornup-<version>-1.x86_64.rpm
# and SHA256SUMS beside them. Each target is built without its tests in
# build/pkg-<preset>; the packages land in build/packages/. Installs the tools
# it needs first, where missing. With VORNUP_SIGN_CERT and VORNUP_SIGN_KEY in
# the environment (cmake/PackagingSigning.cmake) vornup.exe and the MSIs are
# signed.
#
#   scripts/packages.sh                  all three targets
#   scripts/packages.sh linux win64      only the named ones (linux, win32, win64)
set -euo pipefail
cd "$(dirname "$0")/.."

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(linux win32 win64)
tools=native
for preset in "${presets[@]}"; do
  case $preset in
    linux) ;;
    win32 | win64) tools=all ;;
    *) echo "packages.sh: unknown target '$preset' (linux, win32, win64)" >&2; exit 2 ;;
  esac
done

scripts/setup-host.sh "$tools"
out=build/packages
mkdir -p "$out"
for preset in "${presets[@]}"; do
  echo "=== $preset"
  dir=build/pkg-$preset
  cmake --preset "$preset" -B "$dir" -DVORNUP_BUILD_TESTS=OFF >/dev/null
  # The packages hold the program alone, and CPack packs what is built.
  cmake --build "$dir" --target vornup -j 2
  cpack --config "$dir/CPackConfig.cmake" -B "$out"
done
rm -rf "$out/_CPack_Packages"
echo "=== packages in $out"
ls -l "$out"
