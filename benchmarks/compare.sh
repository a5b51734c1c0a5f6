#!/usr/bin/env bash
# Times ciphora ENC and DENC, once for every cipher kernel this processor has,
# side by side with the floor (read the input, write as many bytes as the
# output has), base64, openssl enc -aes-128-ctr, od -An -tu1 -v (timed on at
# most 16 MiB and scaled) and the options form through pipes, on text
# files of several sizes in /dev/shm. Every contender writes a new file. Runs
# alternate between the contenders; the best and the median of the runs are
# reported with the peak memory, as a Markdown table on standard output, every
# sample on standard error, and as a chart (best time over its floor).
#
#   benchmarks/compare.sh [RUNS [SIZES_MIB [CHART]]]
#   benchmarks/compare.sh 9 "16 256 1024" docs/performance.svg
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-9}
sizes=${2:-16 256 1024}
chart=$(realpath -m "${3:-$root/docs/performance.svg}")
build="$root/build"

"$root/scripts/install-deps.sh" openssl time bc gnuplot-nox
cmake --preset release -S "$root" >/dev/null
cmake --build "$build" -j "$(nproc)" --target ciphora ciphora-floor >/dev/null

work=$(mktemp -d /dev/shm/ciphora-compare.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$build/main/ciphora" "$work/"
floor="$build/benchmarks/ciphora-floor"
cd "$work"
(umask 077 && printf '117032209004188\n' > key)
read -r -a kernels <<<"$(./ciphora --version | sed -n 's/.*this processor has \(.*\))/\1/p')"

# Fresh memory pages are much slower to fault in than reused ones: write and
# delete a few GiB once so that no contender pays for that alone.
dd if=/dev/zero of=warm bs=16M count=640 status=none && rm warm

declare -A seconds memory
# Runs one contender once after removing what it writes; records elapsed
# seconds and peak resident KiB.
measure() {
  local name=$1 writes=$2; shift 2
  rm -f "$writes"
  local start end
  start=$EPOCHREALTIME
  /usr/bin/time -f "%M" -o rss.txt "$@"
  end=$EPOCHREALTIME
  seconds[$name]+="$(echo "$end - $start" | bc) "
  memory[$name]=$(cat rss.txt)
  # Outputs are dropped at once, so that /dev/shm holds only the inputs.
  [[ $writes == input.txt || $writes == output.txt ]] || rm -f "$writes"
}

best() { tr ' ' '\n' | grep -v '^$' | sort -g | head -n 1; }
median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# Commands in the order of the table and the chart, with the floor of each.
names=("floor ENC")
for k in "${kernels[@]}"; do names+=("ciphora ENC, $k"); done
names+=("base64" "openssl enc -aes-128-ctr" "od -An -tu1 -v (scaled)" "ciphora -e, piped in" "floor DENC")
for k in "${kernels[@]}"; do names+=("ciphora DENC, $k"); done
names+=("base64 -d" "ciphora -d, piped in")
floor_of() { [[ $1 == *DENC* || $1 == *-d* ]] && echo "floor DENC" || echo "floor ENC"; }
scale_of() { [[ $1 == od* ]] && echo "$od_scale" || echo 1; }

chart_data=$(mktemp)
printf 'command' > "$chart_data"
for size in $sizes; do printf '\t"%s MiB"' "$size" >> "$chart_data"; done
echo >> "$chart_data"
declare -A ratios

echo "Text files in /dev/shm, best and median of $runs runs, $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
for size in $sizes; do
  seconds=() memory=()
  # Text lines of 76 characters; head closes the pipe early on purpose.
  (set +o pipefail; head -c $((size * 3 << 18)) /dev/urandom | base64 -w 76 | head -c $((size << 20)) > plain.txt)
  od_mib=$((size < 16 ? size : 16)) od_scale=$((size / (size < 16 ? size : 16)))
  head -c $((od_mib << 20)) plain.txt > sample.txt
  ln -f plain.txt input.txt
  rm -f output.txt && ./ciphora ENC117032209004188 && mv output.txt cipher.txt
  base64 plain.txt > plain.b64
  cipher_bytes=$(stat -c %s cipher.txt)
  plain_bytes=$(stat -c %s plain.txt)

  for ((run = 0; run < runs; run++)); do
    ln -f plain.txt input.txt
    measure "floor ENC" floor.out "$floor" plain.txt floor.out "$cipher_bytes"
    for k in "${kernels[@]}"; do
      measure "ciphora ENC, $k" output.txt env CIPHORA_KERNEL="$k" ./ciphora ENC117032209004188
    done
    measure "base64" out.b64 sh -c 'base64 plain.txt > out.b64'
    measure "openssl enc -aes-128-ctr" out.aes \
      openssl enc -aes-128-ctr -pass pass:ciphora -pbkdf2 -in plain.txt -out out.aes
    measure "od -An -tu1 -v (scaled)" out.od sh -c 'od -An -tu1 -v sample.txt > out.od'
    measure "ciphora -e, piped in" out.pipe sh -c 'cat plain.txt | ./ciphora -e -k key > out.pipe'
    cmp -s output.txt cipher.txt || { echo "ENC wrote another cipher text" >&2; exit 1; }

    ln -f cipher.txt output.txt
    measure "floor DENC" floor.out "$floor" cipher.txt floor.out "$plain_bytes"
    for k in "${kernels[@]}"; do
      measure "ciphora DENC, $k" input.txt env CIPHORA_KERNEL="$k" ./ciphora DENC117032209004188
    done
    measure "base64 -d" out.plain sh -c 'base64 -d plain.b64 > out.plain'
    measure "ciphora -d, piped in" out.plain sh -c 'cat cipher.txt | ./ciphora -d -k key > out.plain'
    cmp -s input.txt plain.txt || { echo "DENC did not restore the text" >&2; exit 1; }
  done
  rm -f plain.txt sample.txt input.txt output.txt cipher.txt plain.b64

  echo
  echo "### $size MiB"
  echo
  echo "| command | best s | median s | best × floor | peak memory |"
  echo "|---|---|---|---|---|"
  for name in "${names[@]}"; do
    floor_name=$(floor_of "$name")
    scale=$(scale_of "$name")
    b=$(echo "$(echo "${seconds[$name]}" | best) * $scale" | bc -l)
    m=$(echo "$(echo "${seconds[$name]}" | median) * $scale" | bc -l)
    ratio=$(echo "$b / $(echo "${seconds[$floor_name]}" | best)" | bc -l)
    ratios["$name,$size"]=$ratio
    printf "| %s | %.3f | %.3f | %.2f | %s MiB |\n" "$name" "$b" "$m" "$ratio" "$((memory[$name] / 1024))"
    echo "# $size MiB, $name: ${seconds[$name]}" >&2
  done
done

for name in "${names[@]}"; do
  [[ $name == floor* ]] && continue
  printf '"%s"' "$name" >> "$chart_data"
  for size in $sizes; do printf '\t%.3f' "${ratios[$name,$size]}" >> "$chart_data"; done
  echo >> "$chart_data"
done
columns=$(($(wc -w <<<"$sizes") + 1))
gnuplot <<EOF
set terminal svg size 1000,520 font "sans,12" background "white"
set output "$chart"
set title "Time over its floor (read the input, write the output's bytes), best of $runs runs; lower is better"
set style data histograms
set style histogram clustered gap 1
set style fill solid 0.85 border -1
set boxwidth 0.9
set logscale y 2
set yrange [0.5:*]
set rmargin 12
set ylabel "best time / floor"
set grid ytics
set xtics rotate by -35 left
set key top left
set arrow from graph 0, first 1 to graph 1, first 1 nohead dashtype 2 lc rgb "black"
plot for [c=2:$columns] "$chart_data" using c:xtic(1) title columnheader(c)
EOF
rm -f "$chart_data"
echo >&2 "chart: $chart"
