#!/usr/bin/env bash
# Retakes docs/bench.png: the bench window as it shows under a real X server
# (Xvfb).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh" xvfb xauth fonts-dejavu-core
cmake --preset release -S "$root" >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target ciphora-bench >/dev/null

drives=$(mktemp -d)
trap 'rm -rf "$drives"' EXIT
xvfb-run -a -s "-screen 0 1024x768x24" \
  "$root/build/bench/ciphora-bench" --drive-root "$drives" --screenshot "$root/docs/bench.png"
echo "wrote docs/bench.png"
