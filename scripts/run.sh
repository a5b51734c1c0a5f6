#!/usr/bin/env bash
# Installs what is missing, builds the batch program, and runs it on a sample
# input.txt placed beside it: enciphers it, shows the cipher text, deciphers
# it back and checks that the text came back unchanged.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
key=${1:-117032209004188}

"$root/scripts/install-deps.sh"
cmake --preset release -S "$root" >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target ciphora >/dev/null

here="$root/build/main"
printf 'The quick brown fox jumps over the lazy dog.\r\nEvery byte becomes a three-digit code.\r\n' > "$here/input.txt"
cp "$here/input.txt" "$here/input.sample"

echo "== input.txt"
cat "$here/input.txt"
echo "== ciphora ENC$key"
"$here/ciphora" "ENC$key"
echo "== output.txt"
cat "$here/output.txt"
rm "$here/input.txt"
echo "== ciphora DENC$key"
"$here/ciphora" "DENC$key"
if cmp -s "$here/input.txt" "$here/input.sample"; then
  echo "== input.txt restored byte for byte"
else
  echo "== input.txt differs from the sample" >&2
  exit 1
fi
rm "$here/input.sample"
