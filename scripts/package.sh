#!/usr/bin/env bash
# Builds the packages of this version:
#
#   scripts/package.sh            Debian packages ciphora and ciphora-bench, in build/packages/
#   scripts/package.sh --windows  ciphora-<version>-windows-x86_64.zip (ciphora.exe, README, LICENSE),
#                                 in build-windows/packages/
#   scripts/package.sh --arm64    Debian package ciphora_<version>_arm64.deb, cross-built,
#                                 in build-arm64/packages/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [[ ${1:-} == --windows ]]; then
  "$root/scripts/install-deps.sh" g++-mingw-w64-x86-64-posix
  cmake --preset windows -S "$root" >/dev/null
  build="$root/build-windows"
  cmake --build "$build" -j "$(nproc)" --target ciphora
elif [[ ${1:-} == --arm64 ]]; then
  "$root/scripts/install-deps.sh" g++-aarch64-linux-gnu
  cmake --preset arm64 -S "$root" >/dev/null
  build="$root/build-arm64"
  cmake --build "$build" -j "$(nproc)" --target ciphora ciphora_package_files
else
  "$root/scripts/install-deps.sh"
  cmake --preset release -S "$root" >/dev/null
  build="$root/build"
  cmake --build "$build" -j "$(nproc)" --target ciphora ciphora-bench ciphora_package_files
fi
(cd "$build" && cpack)
ls -l "$build"/packages/*.{deb,zip} 2>/dev/null || true
