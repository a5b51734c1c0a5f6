#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (default 60 seconds) on a scratch copy of its seed corpus.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(Key Decipher RoundTrip CommandLine Fields LineReaders Streaming)

"$root/scripts/install-deps.sh" clang libclang-rt-14-dev
cmake --preset fuzz -S "$root" >/dev/null
cmake --build "$root/build-fuzz" -j "$(nproc)"

# Undefined behaviour is a fault like a crash.
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for target in "${targets[@]}"; do
  mkdir -p "$scratch/$target"
  cp "$root/fuzz/corpus/$target/"* "$scratch/$target/"
  echo "== fuzz_$target for $seconds s"
  (cd "$scratch" && "$root/build-fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
      "$scratch/$target" 2>&1 | grep -E "stat::number_of_executed_units|^==[0-9]+== ERROR|SUMMARY|check failed" || true)
  if ls "$scratch"/crash-* "$scratch"/leak-* "$scratch"/timeout-* >/dev/null 2>&1; then
    echo "fuzz_$target found a fault; inputs kept in build-fuzz/findings" >&2
    mkdir -p "$root/build-fuzz/findings"
    cp "$scratch"/crash-* "$scratch"/leak-* "$scratch"/timeout-* "$root/build-fuzz/findings/" 2>/dev/null || true
    exit 1
  fi
done
echo "fuzzing found no faults"
