#!/usr/bin/env bash
# A cross-built ciphora (ciphora.exe under wine, the ARM64 ciphora under
# qemu-aarch64) against the native ciphora on the same files: the cipher
# texts must be byte-identical, and the cross-built program must decipher the
# native program's cipher text back exactly.
#
#   MatchesNative.sh NATIVE_CIPHORA CROSS_CIPHORA EMULATOR [EMULATOR ARGUMENTS...]
set -euo pipefail
native=$1 cross=$2
shift 2
emulator=("$@")
key=117032209004188

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/native" "$work/cross" "$work/samples"
cp "$native" "$work/native/ciphora"
crossName=$(basename "$cross")
cp "$cross" "$work/cross/$crossName"

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
  cp "$sample" "$work/cross/input.txt"
  rm -f "$work/native/output.txt" "$work/cross/output.txt"
  (cd "$work/native" && ./ciphora "ENC$key")
  (cd "$work/cross" && "${emulator[@]}" "./$crossName" "ENC$key")
  check "$name: the same cipher text" cmp -s "$work/native/output.txt" "$work/cross/output.txt"

  cp "$work/native/output.txt" "$work/cross/output.txt"
  rm "$work/cross/input.txt"
  (cd "$work/cross" && "${emulator[@]}" "./$crossName" "DENC$key")
  check "$name: deciphered exactly" cmp -s "$sample" "$work/cross/input.txt"
done

summary
