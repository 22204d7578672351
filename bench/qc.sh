#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-2-Clause
# Times kestrova-qc against the listing on the same file, and its peak memory against the size of
# the plain file:
#   - a 24 h 1 Hz day (york0440.15o of ../shared/data brought to 1 Hz by kestrova-densify): every
#     signal through kestrova-qc against the typical list of kestrova (-cG), in turn;
#   - the NYA1 multi-GNSS day (24 h at 30 s, Compact RINEX in gzip) with its three navigation
#     files, all systems, and the same from its plain RINEX text (for the memory ratio).
# Prints medians and ranges of wall and user time and peak memory (/usr/bin/time), and the
# ratios. Not part of ctest; skipped with a line saying so without ../shared/data.
#
#   bench/qc.sh [--reps N] [--build DIR] [--cache DIR]
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
reps=5
build="$repo/build"
cache=${KESTROVA_BENCH_CACHE:-/tmp/kestrova-bench}
while [ $# -gt 0 ]; do
  case "$1" in
    --reps) reps=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --cache) cache=$2; shift 2 ;;
    *) echo "bench/qc.sh: unknown option $1" >&2; exit 1 ;;
  esac
done
data="$repo/../shared/data"
if [ ! -f "$data/york0440.15o" ] || [ ! -f "$data/NYA100NOR_S_20241240000_01D_30S_MO.crx.gz" ]; then
  echo "bench/qc.sh: ../shared/data is absent: nothing to time"
  exit 0
fi
[ -x /usr/bin/time ] || { echo "bench/qc.sh: /usr/bin/time missing (Debian package time)" >&2; exit 1; }
for p in kestrova kestrova-qc tools/kestrova-densify tools/kestrova-crx; do
  [ -x "$build/$p" ] || { echo "bench/qc.sh: $build/$p missing: build first" >&2; exit 1; }
done

mkdir -p "$cache"
day="$cache/york1hz.15o"
[ -s "$day" ] || "$build/tools/kestrova-densify" "$data/york0440.15o" "$day" >/dev/null
nya="$data/NYA100NOR_S_20241240000_01D_30S_MO.crx.gz"
nyaplain="$cache/nya1.rnx"
if [ ! -s "$nyaplain" ]; then
  gzip -dc "$nya" >"$cache/nya1.crx"
  "$build/tools/kestrova-crx" --decode "$cache/nya1.crx" "$nyaplain"
fi
nav=()
for s in G E C; do nav+=("-n$data/NYA100NOR_S_20241240000_01D_${s}N.rnx.gz"); done
out="$cache/qc-bench.out"

# one run: "wall user peak-KB"
run() { /usr/bin/time -f "%e %U %M" -o "$cache/time.txt" "$@" >"$out" 2>/dev/null; cat "$cache/time.txt"; }

# column k (1 wall, 2 user, 3 peak KB) of the runs: "median min max"
stats() {
  awk -v k="$2" '{print $k}' "$1" | sort -g |
    awk '{v[NR] = $1} END {m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2;
                           printf "%s %s %s\n", m, v[1], v[NR]}'
}

# Runs the cases named by their label files in turn, reps times each.
declare -A cmd
times() {
  for ((r = 0; r < reps; r++)); do
    for c in "$@"; do
      # shellcheck disable=SC2086 # the command's words
      run ${cmd[$c]} >>"$cache/$c.runs"
    done
  done
}

cmd[list]="$build/kestrova -o$day -cG -lC1:P2:L1:L2:L4:L3:MW:MP1:MP2: -r$cache/list.gof"
cmd[qc]="$build/kestrova-qc $day"
cmd[nya]="$build/kestrova-qc $nya ${nav[*]}"
cmd[nyaplain]="$build/kestrova-qc $nyaplain ${nav[*]}"
for c in list qc nya nyaplain; do : >"$cache/$c.runs"; done
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
times list qc
times nya nyaplain
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"

row() {  # case label file-size-bytes
  read -r wm wl wh < <(stats "$cache/$1.runs" 1)
  read -r um _ _ < <(stats "$cache/$1.runs" 2)
  read -r pm _ _ < <(stats "$cache/$1.runs" 3)
  awk -v l="$2" -v wm="$wm" -v wl="$wl" -v wh="$wh" -v um="$um" -v pm="$pm" -v size="$3" \
    'BEGIN {printf "| %s | %.2f | %.2f-%.2f | %.2f | %.0f | %.2f |\n", l, wm, wl, wh, um, pm / 1024,
            pm * 1024 / size}'
}
echo
echo "| case | median s | min-max s | user s | peak MB | peak / plain file |"
echo "| --- | ---: | ---: | ---: | ---: | ---: |"
daysize=$(stat -c %s "$day")
nyasize=$(stat -c %s "$nyaplain")
row list "kestrova typical list -cG, 1 Hz day" "$daysize"
row qc "kestrova-qc, every signal, 1 Hz day" "$daysize"
row nya "kestrova-qc, NYA1 day (crx.gz), all systems, 3 navigation files" "$nyasize"
row nyaplain "kestrova-qc, NYA1 day (plain RINEX), all systems, 3 navigation files" "$nyasize"
read -r lm _ _ < <(stats "$cache/list.runs" 1)
read -r qm _ _ < <(stats "$cache/qc.runs" 1)
awk -v q="$qm" -v l="$lm" 'BEGIN {printf "\nkestrova-qc / typical list, 1 Hz day (median wall): %.2f\n", q / l}'
