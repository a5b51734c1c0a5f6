#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
#
#   scripts/test.sh              the Release build, in build/
#   scripts/test.sh --sanitize   everything under AddressSanitizer and
#                                UndefinedBehaviorSanitizer, in build-sanitize/
#   scripts/test.sh --windows    ciphora.exe and every suite but the bench
#                                window's, cross-built with mingw-w64 and run
#                                under wine, in build-windows/; ciphora.exe is
#                                also compared with the native ciphora
#   scripts/test.sh --arm64      ciphora and every suite but the bench window's,
#                                cross-built for ARM64 Linux and run under
#                                qemu-aarch64, in build-arm64/; the ARM64
#                                ciphora is also compared with the native one
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

case ${1:-} in
  --sanitize)
    "$root/scripts/install-deps.sh"
    cmake --preset sanitize -S "$root"
    build="$root/build-sanitize"
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export LSAN_OPTIONS=suppressions="$root/scripts/lsan.supp"
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    ;;
  --windows)
    "$root/scripts/install-deps.sh" g++-mingw-w64-x86-64-posix wine wine64
    # The native program to compare with.
    cmake --preset release -S "$root" >/dev/null
    cmake --build "$root/build" --target ciphora -j "$(nproc)"
    build="$root/build-windows"
    # A wine of our own, made once, quiet, and ready before the first test.
    export WINEPREFIX="$build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    mkdir -p "$build"
    wineboot --init >/dev/null 2>&1 || true
    cmake --preset windows -S "$root" -DCIPHORA_NATIVE_CIPHORA="$root/build/main/ciphora"
    ;;
  --arm64)
    "$root/scripts/install-deps.sh" g++-aarch64-linux-gnu qemu-user
    # The native program to compare with.
    cmake --preset release -S "$root" >/dev/null
    cmake --build "$root/build" --target ciphora -j "$(nproc)"
    build="$root/build-arm64"
    cmake --preset arm64 -S "$root" -DCIPHORA_NATIVE_CIPHORA="$root/build/main/ciphora"
    ;;
  *)
    "$root/scripts/install-deps.sh"
    cmake --preset release -S "$root"
    build="$root/build"
    ;;
esac
cmake --build "$build" -j "$(nproc)"
# A test that hangs fails after ten minutes instead of holding up the run.
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 600
