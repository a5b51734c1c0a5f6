#!/usr/bin/env bash
# ciphora.exe under wine against the native ciphora on the same files: the
# cipher texts must be byte-identical, and ciphora.exe must decipher the
# native program's cipher text back exactly.
#
#   MatchesNative.sh NATIVE_CIPHORA CIPHORA_EXE WINE
set -euo pipefail
native=$1 windows=$2 wine=$3
key=117032209004188

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/native" "$work/windows" "$work/samples"
cp "$native" "$work/native/ciphora"
cp "$windows" "$work/windows/ciphora.exe"

samples=$work/samples
head -c 20000000 /dev/urandom >"$samples/random-20MB"   # split across cores
head -c 100000 /dev/urandom >"$samples/random-100kB"    # one thread
printf 'Line one\r\nLine two\r\n' >"$samples/crlf"
printf 'lf\nonly\n' >"$samples/lf-only"
printf 'x' >"$samples/one-byte"
printf 'twenty-one bytes long' >"$samples/twenty-one"
printf 'high \344\366\374\377\200 bytes\000nul' >"$samples/high-bytes"

source "$(dirname "$0")/../common/check.sh"

for sample in "$samples"/*; do
  name=$(basename "$sample")
  cp "$sample" "$work/native/input.txt"
  cp "$sample" "$work/windows/input.txt"
  rm -f "$work/native/output.txt" "$work/windows/output.txt"
  (cd "$work/native" && ./ciphora "ENC$key")
  (cd "$work/windows" && "$wine" ./ciphora.exe "ENC$key")
  check "$name: the same cipher text" cmp -s "$work/native/output.txt" "$work/windows/output.txt"

  cp "$work/native/output.txt" "$work/windows/output.txt"
  rm "$work/windows/input.txt"
  (cd "$work/windows" && "$wine" ./ciphora.exe "DENC$key")
  check "$name: deciphered exactly" cmp -s "$sample" "$work/windows/input.txt"
done

summary
