#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
#
#   scripts/test.sh              the Release build, in build/
#   scripts/test.sh --sanitize   everything under AddressSanitizer and
#                                UndefinedBehaviorSanitizer, in build-sanitize/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh"
if [[ ${1:-} == --sanitize ]]; then
  cmake --preset sanitize -S "$root"
  build="$root/build-sanitize"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export LSAN_OPTIONS=suppressions="$root/scripts/lsan.supp"
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  cmake --preset release -S "$root"
  build="$root/build"
fi
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
