#!/usr/bin/env bash
# Times ciphora ENC and DENC on a 256 MiB text file in /dev/shm side by side
# with the floor (read the input, write as many bytes as the output has),
# base64, openssl enc -aes-128-ctr and od -An -tu1 -v (timed on 32 MiB and
# scaled), and the options form through pipes (ciphora -e, piped in), as
# the median of alternating runs, with peak memory. Prints a Markdown table.
#
#   benchmarks/compare.sh [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
build="$root/build"

"$root/scripts/install-deps.sh" openssl time
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" --target ciphora ciphora-floor >/dev/null

work=$(mktemp -d /dev/shm/ciphora-compare.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$build/main/ciphora" "$work/"
floor="$build/benchmarks/ciphora-floor"
cd "$work"

# Fresh memory pages are much slower to fault in than reused ones: write and
# delete a few GiB once so that no contender pays for that alone.
dd if=/dev/zero of=warm bs=16M count=640 status=none && rm warm

# Text lines of 76 characters; head closes the pipe early on purpose.
(set +o pipefail; head -c $((192 << 20)) /dev/urandom | base64 -w 76 | head -c $((256 << 20)) > plain.txt)
head -c $((32 << 20)) plain.txt > small.txt
cp plain.txt input.txt
./ciphora ENC117032209004188
cp output.txt cipher.txt
base64 plain.txt > plain.b64
printf '117032209004188\n' > key
cipher_bytes=$(stat -c %s cipher.txt)
plain_bytes=$(stat -c %s plain.txt)

declare -A seconds memory
# Runs one contender once; records elapsed seconds and peak resident KiB.
measure() {
  local name=$1; shift
  local start end
  start=$EPOCHREALTIME
  /usr/bin/time -f "%M" -o rss.txt "$@"
  end=$EPOCHREALTIME
  seconds[$name]+="$(echo "$end - $start" | bc) "
  memory[$name]=$(cat rss.txt)
}

for ((run = 0; run < runs; run++)); do
  measure "floor ENC" "$floor" plain.txt floor.out "$cipher_bytes"
  # Every contender writes a new file: none pays for freeing an old one.
  cp plain.txt input.txt && rm -f output.txt
  measure "ciphora ENC" ./ciphora ENC117032209004188
  measure "base64" sh -c 'base64 plain.txt > out.b64'
  measure "openssl enc -aes-128-ctr" openssl enc -aes-128-ctr -pass pass:ciphora -pbkdf2 -in plain.txt -out out.aes
  measure "od -An -tu1 -v (x8)" sh -c 'od -An -tu1 -v small.txt > out.od'
  measure "ciphora -e, piped in" sh -c 'cat plain.txt | ./ciphora -e -k key > out.pipe'
  cp cipher.txt output.txt && rm -f input.txt
  measure "floor DENC" "$floor" cipher.txt floor.out "$plain_bytes"
  measure "ciphora DENC" ./ciphora DENC117032209004188
  measure "base64 -d" sh -c 'base64 -d plain.b64 > out.plain'
  measure "ciphora -d, piped in" sh -c 'cat cipher.txt | ./ciphora -d -k key > out.plain'
  rm -f floor.out out.b64 out.aes out.od out.plain out.pipe
done
cmp -s input.txt plain.txt || { echo "DENC did not restore the text" >&2; exit 1; }

median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

row() {  # name, floor name, scale
  local m
  m=$(echo "${seconds[$1]}" | median)
  m=$(echo "$m * $3" | bc -l)
  local f
  f=$(echo "${seconds[$2]}" | median)
  printf "| %s | %.3f | %.2f | %s |\n" "$1" "$m" "$(echo "$m / $f" | bc -l)" "$((memory[$1] / 1024)) MiB"
}

echo "256 MiB of text in /dev/shm, median of $runs runs, $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
echo
for name in "${!seconds[@]}"; do echo "# $name: ${seconds[$name]}" >&2; done
echo "| command | seconds | × floor | peak memory |"
echo "|---|---|---|---|"
row "floor ENC" "floor ENC" 1
row "ciphora ENC" "floor ENC" 1
row "base64" "floor ENC" 1
row "openssl enc -aes-128-ctr" "floor ENC" 1
row "od -An -tu1 -v (x8)" "floor ENC" 8
row "ciphora -e, piped in" "floor ENC" 1
row "floor DENC" "floor DENC" 1
row "ciphora DENC" "floor DENC" 1
row "base64 -d" "floor DENC" 1
row "ciphora -d, piped in" "floor DENC" 1
