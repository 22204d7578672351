#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-2-Clause
# Builds the fuzz harnesses and runs each for SECONDS (default 60), seeded from the hostile
# inputs and the test data; prints executions, coverage and findings per harness.
#   fuzz/run.sh [SECONDS] [HARNESS...]     harnesses: rinex rinex3 compact2 channels cmdline
#                                          crx summary decompress nav qc
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
secs=${1:-60}
shift || true
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(rinex rinex3 compact2 channels cmdline crx summary decompress nav qc)
build=${KESTROVA_FUZZ_BUILD:-$root/build-fuzz}

cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2 >/dev/null

seed() {  # harness -> seed files into its corpus folder
  local dir=$build/corpus/$1
  mkdir -p "$dir"
  case $1 in
    rinex) cp "$root"/tests/hostile/*.10? "$root"/tests/hostile/*.gz "$root"/tests/hostile/*.Z \
              "$root"/tests/data/*.10o "$dir"/ ;;
    rinex3)  # the hand-made RINEX 3 files, and the real ones where they are
      cp "$root"/tests/hostile/*.rnx "$root"/tests/data/*.rnx "$dir"/
      for f in "$root"/../shared/data/*.rnx "$root"/../shared/data/*3*.10o; do
        if [ -f "$f" ]; then cp "$f" "$dir/real-$(basename "$f")"; fi
      done
      # the head of a multi-GNSS day: BeiDou and NavIC types beside GPS and Galileo
      for f in "$root"/../shared/data/*O.gz; do
        if [ -f "$f" ]; then gunzip -c "$f" | head -c 60000 >"$dir/head-$(basename "$f" .gz)" || true; fi
      done ;;
    compact2) cp "$root"/tests/hostile/*.mp1 "$root"/tests/data/*.mp1 "$dir"/ ;;
    channels) cp "$root"/tests/hostile/*.glo "$root"/tests/data/*.glo "$dir"/ ;;
    crx)  # the hand-made seeds, and the heads of the real Compact RINEX files where they are
      cp "$root"/fuzz/seeds/*.crx "$dir"/
      for f in "$root"/../shared/data/york0440.15d "$root"/../shared/data/*.crx; do
        if [ -f "$f" ]; then head -c 60000 "$f" >"$dir/head-$(basename "$f")"; fi
      done
      # multi-GNSS days as archives serve them: BeiDou, SBAS and QZSS types
      for f in "$root"/../shared/data/*.crx.gz; do
        if [ -f "$f" ]; then gunzip -c "$f" | head -c 60000 >"$dir/head-$(basename "$f" .gz)" || true; fi
      done ;;
    nav)  # the hand-made navigation files, and the heads of the real ones where they are
      cp "$root"/tests/data/nav_* "$dir"/
      for f in "$root"/../shared/data/*.??[ng] "$root"/../shared/data/*.??[ng].gz \
               "$root"/../shared/data/*N.rnx "$root"/../shared/data/*N.rnx.gz; do
        if [ -f "$f" ]; then (zcat -f "$f" || true) | head -c 4000 >"$dir/head-$(basename "$f" .gz)"; fi
      done ;;
    qc)  # the hand-made observation files behind a line of options
      local n=0
      for f in "$root"/tests/data/*.10o "$root"/tests/data/*.rnx; do
        n=$((n + 1))
        { printf '%s\n' "-cGRE -fG15: --plot-data=MP:C1 -t60"; cat "$f"; } >"$dir/qc$n"
        { echo; cat "$f"; } >"$dir/plain$n"
      done ;;
    summary) cp "$root"/tests/hostile/*.gof "$root"/tests/e2e/*.gof "$dir"/ ;;
    decompress)  # small files compressed each way, and the damaged streams of the hostile cases
      cp "$root"/tests/hostile/*.gz "$root"/tests/hostile/*.Z "$root"/tests/hostile/*.zip "$dir"/
      for f in "$root"/tests/data/cli_minimal.10o "$root"/tests/hostile/crx_order_99.10d; do
        local b
        b=$(basename "$f")
        gzip -c "$f" >"$dir/$b.gz"; bzip2 -c "$f" >"$dir/$b.bz2"; xz -c "$f" >"$dir/$b.xz"
        compress -c "$f" >"$dir/$b.Z" || true
        (cd "$(dirname "$f")" && zip -q - "$b") >"$dir/$b.zip"
      done ;;
    cmdline)  # the option words of the hostile cases, one a line, without their files
      local n=0
      grep -v '^#' "$root/tests/hostile/cases.txt" | sed 's/^[01] |[^|]*| //' | while read -r line; do
        n=$((n + 1))
        tr ' ' '\n' <<<"$line" | grep -v '@' >"$dir/case$n" || true
      done ;;
  esac
}

total=0
findings=0
printf '%-9s %12s %8s %8s %9s\n' harness executions cov ft findings
for h in "${harnesses[@]}"; do
  seed "$h"
  art=$build/findings/$h
  mkdir -p "$art"
  log=$build/fuzz_$h.log
  "$build/fuzz_$h" "$build/corpus/$h" -max_total_time="$secs" -timeout=5 -rss_limit_mb=2048 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$art/" >"$log" 2>&1 || true
  execs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
  cov=$(grep -E '^#[0-9]+' "$log" | tail -1 | sed -n 's/.*cov: \([0-9]*\).*/\1/p')
  ft=$(grep -E '^#[0-9]+' "$log" | tail -1 | sed -n 's/.*ft: \([0-9]*\).*/\1/p')
  found=$(find "$art" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
          -o -name 'oom-*' \) | wc -l)
  printf '%-9s %12s %8s %8s %9s\n' "$h" "${execs:-0}" "${cov:-?}" "${ft:-?}" "$found"
  total=$((total + ${execs:-0}))
  findings=$((findings + found))
  if [ "$found" -gt 0 ]; then  # what was found and where, for a log that outlives the build
    find "$art" -type f | sed 's/^/          finding: /'
    grep -m3 -E 'runtime error|ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|SUMMARY:' "$log" |
      sed 's/^/          /'
  fi
done
echo "total executions: $total, findings: $findings"
[ "$findings" -eq 0 ]
