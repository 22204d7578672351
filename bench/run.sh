#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-2-Clause
# Times kestrova on a 24 h, 1 Hz RINEX 2 file (with matching COMPACT2 and GLONASS channel
# files) and on the same observations written as RINEX 3, next to two floors (cat, cp) and to
# RTKLIB's convbin reading the RINEX 2 file, kestrova-summary on the full listing, and the file
# as gzip and Compact RINEX (bench/compressed.sh); checks that the fast text paths write exactly
# what the plain stream paths write.
# Writes the figures to standard output and to bench/RESULTS.md. Not part of ctest.
#
#   bench/run.sh [--reps N] [--peer-reps N] [--hours H] [--no-plain] [--no-peer]
#                [--build DIR] [--cache DIR] [--results FILE]
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
reps=5
peer_reps=3
hours=24
check_plain=1
peer=1
build="$repo/build-bench"
cache=${KESTROVA_BENCH_CACHE:-/tmp/kestrova-bench}
results="$repo/bench/RESULTS.md"

while [ $# -gt 0 ]; do
  case "$1" in
    --reps) reps=$2; shift 2 ;;
    --peer-reps) peer_reps=$2; shift 2 ;;
    --hours) hours=$2; shift 2 ;;
    --no-plain) check_plain=0; shift ;;
    --no-peer) peer=0; shift ;;
    --build) build=$2; shift 2 ;;
    --cache) cache=$2; shift 2 ;;
    --results) results=$2; shift 2 ;;
    *) echo "bench/run.sh: unknown option $1" >&2; exit 1 ;;
  esac
done

[ -x /usr/bin/time ] || { echo "bench/run.sh: /usr/bin/time missing (Debian package time)" >&2; exit 1; }

# ---- build (Release, without the test suite)
cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKESTROVA_TESTS=OFF >/dev/null
targets=(kestrova kestrova-summary kestrova-gen kestrova-crx)
[ "$check_plain" = 1 ] && targets+=(kestrova-plain)
cmake --build "$build" -j2 --target "${targets[@]}" >/dev/null
kestrova="$build/kestrova"
plain="$build/kestrova-plain"
summary="$build/kestrova-summary"
gen="$build/tools/kestrova-gen"

# ---- benchmark files, reused while the generator sources and options stay the same
mkdir -p "$cache"
base="$cache/bench${hours}h"
rinex="$base.15o"
rinex3="$base.rnx"
mp1="$base.mp1"
mp2="$base.mp2"
glo="$cache/glo.txt"
gen_args=(--rinex "$rinex" --rinex3 "$rinex3" --mp1 "$mp1" --mp2 "$mp2" --channels "$glo"
          --interval 1 --hours "$hours" --types bench11 --seed 1)
stamp=$( (cat "$repo"/tools/gen/*.cpp "$repo"/tools/gen/*.h "$repo"/tools/kestrova_gen_main.cpp;
          echo "${gen_args[@]}") | sha256sum | cut -c1-16)
if [ "$(cat "$base.stamp" 2>/dev/null)" != "$stamp" ] || [ ! -s "$rinex" ] || [ ! -s "$rinex3" ]; then
  echo "generating $rinex ..."
  "$gen" "${gen_args[@]}"
  echo "$stamp" >"$base.stamp"
fi
out="$cache/out"
mkdir -p "$out"
bytes=$(stat -c %s "$rinex")
mb=$(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1e6 }')
bytes3=$(stat -c %s "$rinex3")
mb3=$(awk -v b="$bytes3" 'BEGIN { printf "%.1f", b / 1e6 }')

# ---- one timed run: wall seconds (from date) and peak resident set (from /usr/bin/time)
# run_once LOG COMMAND...  appends "seconds kbytes" to LOG
run_once() {
  local log=$1; shift
  local t0 t1
  t0=$(date +%s%N)
  /usr/bin/time -f '%M' -o "$out/time.txt" "$@" >/dev/null 2>"$out/stderr.txt" || {
    echo "bench/run.sh: failed: $*" >&2; cat "$out/stderr.txt" >&2; exit 1; }
  t1=$(date +%s%N)
  echo "$(( (t1 - t0) / 1000000 )) $(tail -1 "$out/time.txt")" >>"$log"
}

# stats LOG -> "median_s min_s max_s peak_kb"
stats() {
  sort -n "$1" | awk '{ t[NR] = $1; if ($2 > m) m = $2 }
    END { n = NR; med = (n % 2) ? t[(n + 1) / 2] : (t[n / 2] + t[n / 2 + 1]) / 2;
          printf "%.3f %.3f %.3f %d\n", med / 1000, t[1] / 1000, t[n] / 1000, m }'
}

# time_case NAME REPS COMMAND...  leaves "median min max peak" in $st
time_case() {
  local name=$1 n=$2; shift 2
  local log="$out/$name.log"
  : >"$log"
  for ((i = 0; i < n; i++)); do run_once "$log" "$@"; done
  st=$(stats "$log")
}

rows_of() { grep -c -v -e '^#' -e '^$' "$1" || true; }

lines=()
row() { lines+=("$1"); echo "$1"; }

row "| case | median s | min-max s | spread | input MB/s | rows/s | peak MB | peak / file |"
row "| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: |"
fmt_row() { # NAME STATS ROWS [INPUT_BYTES]
  local name=$1 rows=$3 in_bytes=${4:-$bytes}
  read -r med lo hi kb <<<"$2"
  row "$(awk -v n="$name" -v med="$med" -v lo="$lo" -v hi="$hi" -v kb="$kb" -v b="$in_bytes" -v r="$rows" \
    'BEGIN { printf "| %s | %.2f | %.2f-%.2f | %.0f%% | %.0f | %s | %.0f | %.2f |", n, med, lo, hi,
             100 * (hi - lo) / med, b / 1e6 / med, (r == "") ? "-" : sprintf("%.2fM", r / 1e6 / med),
             kb / 1024, kb * 1024 / b }')"
}

# ---- floors
cat "$rinex" >/dev/null # warm the page cache
time_case cat "$reps" cat "$rinex"
fmt_row '`cat FILE >/dev/null`' "$st" ""
time_case cp "$reps" cp "$rinex" "$out/copy.15o"
fmt_row '`cp FILE copy`' "$st" ""
rm -f "$out/copy.15o"

# ---- kestrova
typical="-lC1:P2:L1:L2:L4:L3:MW:MP1:MP2:"
names=(full full-gf typical typical-ms typical-m1 typical-m2 typical-gf rinex3-full rinex3-full-r rinex3-typical)
declare -A args=(
  [full]="-cGE"
  [full-gf]="-cGRE -gf$glo"
  [typical]="-cGE $typical"
  [typical-ms]="-cGE $typical -ms"
  [typical-m1]="-cGE $typical -m1$mp1"
  [typical-m2]="-cGE $typical -m2$mp2"
  [typical-gf]="-cGRE $typical -gf$glo"
  [rinex3-full]="-cGE"
  [rinex3-full-r]="-cGRE"
  [rinex3-typical]="-cGE $typical")
declare -A label=(
  [full]="full listing, -cGE"
  [full-gf]="full listing, -cGRE -gf"
  [typical]="typical list, -cGE"
  [typical-ms]="typical list -ms, -cGE"
  [typical-m1]="typical list -m1, -cGE"
  [typical-m2]="typical list -m2, -cGE"
  [typical-gf]="typical list -gf, -cGRE"
  [rinex3-full]="RINEX 3 full listing, -cGE"
  [rinex3-full-r]="RINEX 3 full listing, -cGRE (header channels)"
  [rinex3-typical]="RINEX 3 typical list, -cGE")
declare -A med_of
checks=()
for n in "${names[@]}"; do
  res="$out/$n.gof"
  input=$rinex in_bytes=$bytes
  case $n in rinex3-*) input=$rinex3 in_bytes=$bytes3 ;; esac
  # shellcheck disable=SC2086
  time_case "$n" "$reps" "$kestrova" "-o$input" "-r$res" ${args[$n]}
  med_of[$n]=${st%% *}
  fmt_row "kestrova ${label[$n]}" "$st" "$(rows_of "$res")" "$in_bytes"
  if [ "$check_plain" = 1 ]; then
    fast_sum=$(sha256sum <"$res" | cut -c1-16)
    # shellcheck disable=SC2086
    "$plain" "-o$input" "-r$res" ${args[$n]} >/dev/null 2>&1
    plain_sum=$(sha256sum <"$res" | cut -c1-16)
    verdict=$([ "$fast_sum" = "$plain_sum" ] && echo identical || echo DIFFERENT)
    checks+=("| ${label[$n]} | $fast_sum | $plain_sum | $verdict |")
  fi
  if [ "$n" = full ]; then mv "$res" "$out/listing.gof"; else rm -f "$res"; fi
done

# ---- kestrova-summary on the result file of the full listing (MB/s and peak of that file)
listing="$out/listing.gof"
time_case summary "$reps" "$summary" "$listing"
listing_mb=$(awk -v b="$(stat -c %s "$listing")" 'BEGIN { printf "%.1f", b / 1e6 }')
bytes=$(stat -c %s "$listing") fmt_row "kestrova-summary of the full listing ($listing_mb MB)" "$st" "$(rows_of "$listing")"
rm -f "$listing"

# ---- compressed and Compact RINEX forms of the same file
notes=()
# shellcheck source=bench/compressed.sh
source "$repo/bench/compressed.sh"

# ---- peer: RTKLIB convbin, RINEX 2 in, RINEX 2.11 out
peer_line=""
if [ "$peer" = 1 ] && command -v convbin >/dev/null; then
  time_case convbin "$peer_reps" convbin -r rinex -v 2.11 -od -os -o "$out/convbin.obs" "$rinex"
  fmt_row "RTKLIB \`convbin -r rinex -v 2.11\`" "$st" ""
  rm -f "$out/convbin.obs"
  peer_med=${st%% *}
  peer_line=$(awk -v p="$peer_med" -v f="${med_of[full]}" -v g="${med_of[full-gf]}" -v t="${med_of[typical]}" \
    'BEGIN { printf "convbin median %.2f s: kestrova full listing %.1fx (G E), %.1fx (G R E), typical list %.1fx faster", p, p / f, p / g, p / t }')
  echo "$peer_line"
fi

# ---- RESULTS.md
{
  echo "# Benchmark results"
  echo
  echo "Written by \`bench/run.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC'), commit $(git -C "$repo" rev-parse --short HEAD)$(git -C "$repo" diff --quiet || echo ' (with local changes)')."
  echo
  echo "## Machine"
  echo
  echo '```'
  lscpu | grep -E '^(Architecture|CPU\(s\)|Model name|Thread|Core|Socket|L1d|L2|L3|Hypervisor)' || true
  echo "Memory: $(free -g | awk '/^Mem:/ { print $2 " GiB" }')"
  echo "Compiler: $(c++ --version | head -1)"
  echo '```'
  echo
  echo "## Input"
  echo
  echo "\`$(basename "$rinex")\` from \`kestrova-gen ${gen_args[*]#$cache/}\`: $mb MB, $(grep -c '' "$rinex") lines;"
  echo "the same observations as RINEX 3, \`$(basename "$rinex3")\`: $mb3 MB, $(grep -c '' "$rinex3") lines (input MB/s of the RINEX 3 rows by its size)."
  echo "Warm page cache; $reps repetitions each (the peer $peer_reps); wall time from the shell,"
  echo "peak memory = maximum resident set of \`/usr/bin/time\`."
  echo
  echo "## Figures"
  echo
  printf '%s\n' "${lines[@]}"
  echo
  echo "Typical list: \`$typical\`."
  [ -n "$peer_line" ] && echo && echo "$peer_line."
  for n in "${notes[@]}"; do echo; echo "$n"; done
  if [ "$check_plain" = 1 ]; then
    echo
    echo "## Fast and plain text paths"
    echo
    echo "SHA-256 (first 16 hex digits) of the result file of each case, written by \`kestrova\`"
    echo "and by \`kestrova-plain\` (atof and iostream for every value, as the fast paths stand in for):"
    echo
    echo "| case | kestrova | kestrova-plain | |"
    echo "| --- | --- | --- | --- |"
    printf '%s\n' "${checks[@]}"
  fi
} >"$results"
echo "wrote $results"
if [ "$check_plain" = 1 ] && printf '%s\n' "${checks[@]}" | grep -q DIFFERENT; then
  echo "bench/run.sh: fast and plain result files differ" >&2
  exit 1
fi
