#!/bin/bash
# Installs what building and testing vornup needs, where it is missing
# (Debian or Ubuntu).
#
#   scripts/setup-host.sh native   compiler, CMake, Ninja, GoogleTest, the JSON
#                                  library, python3 with jsonschema for the
#                                  run report checks, and rpm (rpmbuild) for
#                                  the RPM
#   scripts/setup-host.sh all      also mingw-w64 and Wine, 32- and 64-bit,
#                                  wixl and msitools for the Windows Installer
#                                  packages, osslsigncode and openssl for
#                                  their signatures,
#                                  clang with its sanitizer and fuzzer runtimes,
#                                  the boot ROMs the image tests read, and
#                                  Ansible, ansible-lint and Chromium for the
#                                  fleet rollout tests
set -euo pipefail

packages=(cmake ninja-build g++ libgtest-dev googletest nlohmann-json3-dev python3
          python3-jsonschema rpm)
if [ "${1:-all}" = all ]; then
  packages+=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 wine32:i386
             wixl msitools osslsigncode openssl
             clang libclang-rt-14-dev ipxe-qemu
             ansible-core ansible ansible-lint chromium)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' &&
   ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
echo "setup-host: installing ${missing[*]}"
# A mirror caught mid-sync fails the index update now and then: try again a
# little later, and go on with the indexes there are if it keeps failing (the
# install then says what it cannot find).
for attempt in 1 2 3; do
  $sudo apt-get update && break
  echo "setup-host: updating the package indexes failed (attempt $attempt)" >&2
  [ $attempt -lt 3 ] && sleep $((attempt * 15))
done
apt_install() { $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y "$@"; }
if apt_install "${missing[@]}"; then exit 0; fi
# The 32-bit packages need the 32-bit indexes of the same day as the 64-bit
# ones; when a mirror cannot give them, everything else is still installed and
# the 32-bit Windows tests are left out (scripts/test-all.sh says so).
native_only=()
for package in "${missing[@]}"; do
  [[ $package == *:i386 ]] || native_only+=("$package")
done
# No 32-bit package was missing: the failure is the install's own.
[ ${#native_only[@]} -eq ${#missing[@]} ] && exit 1
if [ ${#native_only[@]} -eq 0 ]; then
  echo "setup-host: the 32-bit packages cannot be installed now" >&2
  exit 0
fi
echo "setup-host: the 32-bit packages cannot be installed now; installing the rest" >&2
apt_install "${native_only[@]}"
