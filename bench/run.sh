#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-2-Clause
# Times kestrova on generated RINEX 2 files (24 h at 1 Hz with matching COMPACT2 and GLONASS
# channel files, the same day at 4 Hz, and files with 10, 20 and 40 satellites in view), next to
# two floors (cat, cp), to the RTKLIB listing peer rtklist and to RTKLIB's convbin reading the same
# file, and kestrova-summary on the full listing; times the same on real data: york0440.15o of
# ../shared/data (24 h, 30 s, GPS) brought to 1 Hz by kestrova-densify, in the same plain, gzip
# and Compact RINEX forms, against the peer too (skipped with a note when ../shared/data is
# absent); checks that the fast text paths write exactly what the plain stream paths of
# kestrova-plain write.
#
# Prints the figures and writes them into bench/RESULTS.md between the marker lines
# "<!-- bench/run.sh: begin -->" and "<!-- bench/run.sh: end -->" (added at the end when absent);
# everything else in that file is left as it is. Not part of ctest.
#
#   bench/run.sh [--reps N] [--peer-reps N] [--hours H] [--no-plain] [--no-peer] [--no-scaling]
#                [--real-only] [--build DIR] [--cache DIR] [--results FILE]
#
# --real-only times only the real-data cases (no generated file, no scaling, no summary).
#
# The peer needs Debian's librtklib-dev and rtklib (apt-get install librtklib-dev rtklib); it is
# built from a copy of ../shared/peer in the cache. Without them the peer rows are left out.
#
# Adding a case: an input is made once by `input NAME GENERATOR-OPTIONS...` (its file is
# ${file[NAME]}); a kestrova case is `kcase NAME INPUT "LABEL" "ARGUMENTS"`, a case of another
# program `ocase NAME INPUT "LABEL" COMMAND...` (FILE and OUT in the command stand for the input
# and a scratch output file); `ratio KCASE OCASE` prints how many times faster kestrova is.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
reps=5
peer_reps=3
hours=24
check_plain=1
peer=1
scaling=1
generated=1
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
    --no-scaling) scaling=0; shift ;;
    --real-only) generated=0; scaling=0; shift ;;
    --build) build=$2; shift 2 ;;
    --cache) cache=$2; shift 2 ;;
    --results) results=$2; shift 2 ;;
    *) echo "bench/run.sh: unknown option $1" >&2; exit 1 ;;
  esac
done

[ -x /usr/bin/time ] || { echo "bench/run.sh: /usr/bin/time missing (Debian package time)" >&2; exit 1; }

# ---- build (Release, without the test suite)
cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKESTROVA_TESTS=OFF >/dev/null
targets=(kestrova kestrova-summary kestrova-gen kestrova-crx kestrova-densify)
[ "$check_plain" = 1 ] && targets+=(kestrova-plain)
cmake --build "$build" -j2 --target "${targets[@]}" >/dev/null
kestrova="$build/kestrova"
plain="$build/kestrova-plain"
summary="$build/kestrova-summary"
gen="$build/tools/kestrova-gen"
mkdir -p "$cache"
out="$cache/out"
mkdir -p "$out"

# ---- the RTKLIB listing peer, built from a copy (../shared is read-only in CI)
rtklist=""
if [ "$peer" = 1 ] && [ -f "$repo/../shared/peer/rtklist.c" ]; then
  rm -rf "$cache/peer" && cp -r "$repo/../shared/peer" "$cache/peer" && chmod -R u+w "$cache/peer"
  if make -s -C "$cache/peer" CC=cc >/dev/null 2>&1; then
    rtklist="$cache/peer/rtklist"
  else
    echo "bench/run.sh: the rtklist peer does not build (librtklib-dev missing?): no peer rows" >&2
  fi
fi

# ---- inputs, generated once and reused while the generator sources and options stay the same
declare -A file gen_line
gen_sources=$(cat "$repo"/tools/gen/*.cpp "$repo"/tools/gen/*.h "$repo"/tools/kestrova_gen_main.cpp | sha256sum)
# input NAME OPTIONS...  writes $cache/NAME.15o (and the files the options name)
input() {
  local name=$1; shift
  local rinex="$cache/$name.15o"
  local stamp
  stamp=$( (echo "$gen_sources"; echo "$@") | sha256sum | cut -c1-16)
  if [ "$(cat "$cache/$name.stamp" 2>/dev/null)" != "$stamp" ] || [ ! -s "$rinex" ]; then
    echo "generating $rinex ..."
    "$gen" --rinex "$rinex" "$@" >/dev/null
    echo "$stamp" >"$cache/$name.stamp"
  fi
  file[$name]=$rinex
  gen_line[$name]="kestrova-gen $*"
}

derive() { # NAME FROM COMMAND...: file NAME made from file FROM by COMMAND (FROM on stdin)
  local name=$1 from=$2; shift 2
  [ "${file[$name]:-}" -nt "${file[$from]}" ] || "$@" <"${file[$from]}" >"${file[$name]}"
  gen_line[$name]="$* of $(basename "${file[$from]}")"
}
# compressed_forms NAME: the file NAME as archives serve it, NAMEgz, NAMEcrx (Compact RINEX 1.0,
# written by kestrova-crx) and NAMEcrxgz (Compact RINEX inside gzip)
compressed_forms() {
  local n=$1
  file[${n}gz]="$cache/$n.15o.gz"
  derive "${n}gz" "$n" gzip -c
  file[${n}crx]="$cache/$n.15d"
  [ "${file[${n}crx]}" -nt "${file[$n]}" ] || "$build/tools/kestrova-crx" "${file[$n]}" "${file[${n}crx]}"
  gen_line[${n}crx]="kestrova-crx of $(basename "${file[$n]}")"
  file[${n}crxgz]="$cache/$n.15d.gz"
  derive "${n}crxgz" "${n}crx" gzip -c
}

day="day${hours}h"
mp1="$cache/$day.mp1"
mp2="$cache/$day.mp2"
glo="$cache/glo.txt"
if [ "$generated" = 1 ]; then
  input "$day" --mp1 "$mp1" --mp2 "$mp2" --channels "$glo" --rinex3 "$cache/$day.rnx" --interval 1 \
    --hours "$hours" --types bench11 --seed 1
  # the same observations as RINEX 3, and the day as archives serve it
  file[${day}r3]="$cache/$day.rnx"
  gen_line[${day}r3]="${gen_line[$day]} (its --rinex3 file)"
  compressed_forms "$day"
fi

# ---- real data: a receiver's day (30 s) brought to 1 Hz, so that its records, smaller and less
# regular than the generated ones, weigh in the figures as they do in users' files
real_src="$repo/../shared/data/york0440.15o"
real=york1hz
real_note=""
if [ -f "$real_src" ]; then
  file[$real]="$cache/$real.15o"
  stamp=$(cat "$repo"/tools/densify/*.cpp "$repo"/tools/densify/*.h "$repo"/tools/kestrova_densify_main.cpp \
    "$real_src" | sha256sum | cut -c1-16)
  if [ "$(cat "$cache/$real.stamp" 2>/dev/null)" != "$stamp" ] || [ ! -s "${file[$real]}" ]; then
    echo "densifying $real_src ..."
    "$build/tools/kestrova-densify" "$real_src" "${file[$real]}" >/dev/null
    echo "$stamp" >"$cache/$real.stamp"
  fi
  gen_line[$real]="kestrova-densify york0440.15o (../shared/data: a receiver's 24 h at 30 s, GPS, 11 types)"
  compressed_forms "$real"
else
  real_note="The real-data cases are skipped: ../shared/data/york0440.15o is absent."
  echo "bench/run.sh: $real_note" >&2
fi
if [ "$scaling" = 1 ]; then
  glo_all="$cache/glo-all.txt"
  input "${day}4hz" --interval 0.25 --hours "$hours" --types bench11 --seed 1
  input sats10 --interval 1 --hours 6 --gps 31 --glonass 0 --galileo 0 --seed 1
  input sats20 --interval 1 --hours 6 --gps 31 --glonass 0 --galileo 30 --seed 1
  input sats40 --channels "$glo_all" --interval 1 --hours 6 --gps 32 --glonass 24 --galileo 36 --horizon 0.1 --seed 1
fi

# ---- one timed run: wall seconds (from date), peak resident set, user and system seconds (from
# /usr/bin/time). run_once LOG COMMAND...  appends "milliseconds kbytes user system" to LOG
run_once() {
  local log=$1; shift
  local t0 t1
  t0=$(date +%s%N)
  /usr/bin/time -f '%M %U %S' -o "$out/time.txt" "$@" >/dev/null 2>"$out/stderr.txt" || {
    echo "bench/run.sh: failed: $*" >&2; cat "$out/stderr.txt" >&2; exit 1; }
  t1=$(date +%s%N)
  echo "$(( (t1 - t0) / 1000000 )) $(tail -1 "$out/time.txt")" >>"$log"
}

# median FIELD LOG: the median of one field of the log's lines
median() {
  cut -d' ' -f"$1" "$2" | sort -g | awk '{ t[NR] = $1 }
    END { n = NR; printf "%.3f", (n % 2) ? t[(n + 1) / 2] : (t[n / 2] + t[n / 2 + 1]) / 2 }'
}

# stats LOG -> "median_s min_s max_s peak_kb median_user_s median_system_s"
stats() {
  echo "$(sort -n "$1" | awk '{ t[NR] = $1; if ($2 > m) m = $2 }
    END { printf "%.3f %.3f %.3f %d", (n = NR) % 2 ? t[(n + 1) / 2] / 1000 : (t[n / 2] + t[n / 2 + 1]) / 2000,
          t[1] / 1000, t[n] / 1000, m }') $(median 3 "$1") $(median 4 "$1")"
}

# time_case NAME REPS COMMAND...  leaves the stats of the runs in $st. The file $fresh, when set,
# is removed before each run: every program writes its result into a new file, none overwrites
# (and so frees beforehand) the pages of the last run's result.
time_case() {
  local name=$1 n=$2; shift 2
  local log="$out/$name.log"
  : >"$log"
  for ((i = 0; i < n; i++)); do
    [ -z "${fresh:-}" ] || rm -f "$fresh"
    run_once "$log" "$@"
  done
  st=$(stats "$log")
}

rows_of() { grep -c -v -e '^#' -e '^$' "$1" || true; }
size_of() { stat -c %s "$1"; }

lines=()
row() { lines+=("$1"); echo "$1"; }

# fmt_row NAME STATS ROWS BYTES
fmt_row() {
  local name=$1 rows=$3 bytes=$4
  read -r med lo hi kb user sys <<<"$2"
  row "$(awk -v n="$name" -v med="$med" -v lo="$lo" -v hi="$hi" -v kb="$kb" -v b="$bytes" -v r="$rows" \
    -v u="$user" -v y="$sys" \
    'BEGIN { printf "| %s | %.2f | %.2f-%.2f | %.0f%% | %.2f | %.2f | %.0f | %s | %.0f | %.2f |", n, med, lo, hi,
             100 * (hi - lo) / med, u, y, b / 1e6 / med, (r == "") ? "-" : sprintf("%.2fM", r / 1e6 / med),
             kb / 1024, kb * 1024 / b }')"
}

# ---- the cases, in the order of the table
knames=()
declare -A kin klabel kargs
kcase() { knames+=("$1"); kin[$1]=$2; klabel[$1]=$3; kargs[$1]=$4; }
onames=()
declare -A oin olabel ocmd oreps
ocase() {
  local name=$1
  onames+=("$name"); oin[$name]=$2; olabel[$name]=$3; oreps[$name]=$4
  shift 4
  ocmd[$name]="$*"
}
ratios=()
ratio() { ratios+=("$1 $2"); }

typical="-lC1:P2:L1:L2:L4:L3:MW:MP1:MP2:"
# 7 raw columns and the 15 combinations the peer computes with -c
combos="-lL1:L2:C1:P1:P2:S1:S2:L4:Pc4:Pp4:L3:P3:Pp3:WL:MW:MWp:MC1:MP1:MP2:CL1:PL1:PL2:"
# compressed_cases NAME INPUT LABEL ARGUMENTS: the case NAME on the gzip, Compact RINEX and
# Compact RINEX in gzip forms of INPUT, each set against NAME on the plain file
compressed_cases() {
  local name=$1 in=$2 label=$3 args=$4
  kcase "$name-gz" "${in}gz" "$label, gzip" "$args"
  kcase "$name-crx" "${in}crx" "$label, Compact RINEX" "$args"
  kcase "$name-crxgz" "${in}crxgz" "$label, Compact RINEX in gzip" "$args"
  local form
  for form in gz crx crxgz; do plain_ratio "$name-$form" "$name"; done
}
plain_ratios=()
plain_ratio() { plain_ratios+=("$1 $2"); }

if [ "$generated" = 1 ]; then
  kcase full        "$day" "full listing, -cGE"             "-cGE"
  kcase full-gf     "$day" "full listing, -cGRE -gf"        "-cGRE -gf$glo"
  kcase typical     "$day" "typical list, -cGE"             "-cGE $typical"
  kcase typical-j2  "$day" "typical list, -cGE, writer thread (-j2)" "-cGE $typical -j2"
  kcase typical-ms  "$day" "typical list -ms, -cGE"         "-cGE $typical -ms"
  kcase typical-m1  "$day" "typical list -m1, -cGE"         "-cGE $typical -m1$mp1"
  kcase typical-m2  "$day" "typical list -m2, -cGE"         "-cGE $typical -m2$mp2"
  kcase typical-gf  "$day" "typical list -gf, -cGRE"        "-cGRE -gf$glo $typical"
  kcase combos-gf   "$day" "22 columns (7 raw, 15 combinations) -gf, -cGRE" "-cGRE -gf$glo $combos"
  kcase reading     "$day" "reading alone (-lC1: -pG02)"    "-cG -lC1: -pG02"
  kcase typical3    "${day}r3" "typical list, -cGE, RINEX 3" "-cGE $typical"
  kcase full3-gf    "${day}r3" "full listing, -cGRE, RINEX 3 (header channels)" "-cGRE"
  compressed_cases typical "$day" "typical list, -cGE" "-cGE $typical"
fi
if [ -n "${file[$real]:-}" ]; then
  kcase real-typical "$real" "typical list, -cG, real data" "-cG $typical"
  kcase real-typical-j2 "$real" "typical list, -cG, real data, writer thread (-j2)" "-cG $typical -j2"
  kcase real-combos  "$real" "22 columns (7 raw, 15 combinations), -cG, real data" "-cG $combos"
  compressed_cases real-typical "$real" "typical list, -cG, real data" "-cG $typical"
fi
if [ "$scaling" = 1 ]; then
  kcase typical-4hz "${day}4hz" "typical list, -cGE, 4 Hz"  "-cGE $typical"
  kcase full-4hz    "${day}4hz" "full listing, -cGE, 4 Hz"  "-cGE"
  kcase sats10      sats10 "typical list, 6 h, about 10 in view (G)"      "-cGE $typical"
  kcase sats20      sats20 "typical list, 6 h, about 20 in view (G E)"    "-cGE $typical"
  kcase sats40      sats40 "typical list -gf, 6 h, about 40 in view (G R E)" "-cGRE -gf$glo_all $typical"
fi
if [ "$generated" = 1 ]; then
  ocase cat  "$day" '`cat FILE >/dev/null`' "$reps" cat FILE
  ocase cp   "$day" '`cp FILE copy`'        "$reps" cp FILE OUT
  ocase decode "${day}crx" 'Compact RINEX decoder alone `kestrova-crx --decode FILE OUT`' "$reps" \
    "$build/tools/kestrova-crx" --decode FILE OUT
fi
if [ -n "$rtklist" ]; then
  # the peer writes its listing to standard output: into a file, as kestrova writes its own
  to_file="$cache/to-file"
  printf '#!/bin/sh\nout=$1; shift; exec "$@" >"$out"\n' >"$to_file" && chmod +x "$to_file"
  if [ "$generated" = 1 ]; then
    ocase rtklist   "$day" 'RTKLIB peer `rtklist FILE >OUT`'    "$peer_reps" "$to_file" OUT "$rtklist" FILE
    ocase rtklist-c "$day" 'RTKLIB peer `rtklist -c FILE >OUT`' "$peer_reps" "$to_file" OUT "$rtklist" -c FILE
    ratio typical-gf rtklist
    ratio combos-gf rtklist-c
  fi
  if [ -n "${file[$real]:-}" ]; then
    ocase rtklist-real   "$real" 'RTKLIB peer `rtklist FILE >OUT`, real data'    "$peer_reps" "$to_file" OUT "$rtklist" FILE
    ocase rtklist-c-real "$real" 'RTKLIB peer `rtklist -c FILE >OUT`, real data' "$peer_reps" "$to_file" OUT "$rtklist" -c FILE
    ratio real-typical rtklist-real
    ratio real-combos rtklist-c-real
  fi
fi
if [ "$generated" = 1 ] && [ "$peer" = 1 ] && command -v convbin >/dev/null; then
  ocase convbin "$day" 'RTKLIB `convbin -r rinex -v 2.11`' "$peer_reps" convbin -r rinex -v 2.11 -od -os -o OUT FILE
  ratio full convbin
  ratio full-gf convbin
  ratio typical convbin
fi

row "| case | median s | min-max s | spread | user s | system s | input MB/s | rows/s | peak MB | peak / file |"
row "| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |"
declare -A med_of peak_of rows_n user_of sys_of
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
[ "$generated" = 0 ] || cat "${file[$day]}" >/dev/null # warm the page cache

for n in "${onames[@]}"; do
  f=${file[${oin[$n]}]}
  # shellcheck disable=SC2206
  cmd=(${ocmd[$n]})
  for i in "${!cmd[@]}"; do
    case "${cmd[$i]}" in FILE) cmd[$i]=$f ;; OUT) cmd[$i]="$out/$n.out" ;; esac
  done
  fresh="$out/$n.out" time_case "$n" "${oreps[$n]}" "${cmd[@]}"
  rm -f "$out/$n.out"
  med_of[$n]=${st%% *}
  fmt_row "${olabel[$n]}" "$st" "" "$(size_of "$f")"
done

checks=()
for n in "${knames[@]}"; do
  f=${file[${kin[$n]}]}
  res="$out/$n.gof"
  cat "$f" >/dev/null
  # shellcheck disable=SC2086
  fresh=$res time_case "$n" "$reps" "$kestrova" "-o$f" "-r$res" ${kargs[$n]}
  med_of[$n]=${st%% *}
  read -r _ _ _ peak_of[$n] user_of[$n] sys_of[$n] <<<"$st"
  rows_n[$n]=$(rows_of "$res")
  fmt_row "kestrova ${klabel[$n]}" "$st" "${rows_n[$n]}" "$(size_of "$f")"
  if [ "$check_plain" = 1 ]; then
    fast_sum=$(sha256sum <"$res" | cut -c1-16)
    # shellcheck disable=SC2086
    "$plain" "-o$f" "-r$res" ${kargs[$n]} >/dev/null 2>&1
    plain_sum=$(sha256sum <"$res" | cut -c1-16)
    verdict=$([ "$fast_sum" = "$plain_sum" ] && echo identical || echo DIFFERENT)
    checks+=("| ${klabel[$n]} | $fast_sum | $plain_sum | $verdict |")
  fi
  if [ "$n" = full ]; then mv "$res" "$out/listing.gof"; else rm -f "$res"; fi
done

# ---- kestrova-summary on the result file of the full listing (MB/s and peak of that file)
listing="$out/listing.gof"
if [ "$generated" = 1 ]; then
  time_case summary "$reps" "$summary" "$listing"
  listing_mb=$(awk -v b="$(size_of "$listing")" 'BEGIN { printf "%.1f", b / 1e6 }')
  fmt_row "kestrova-summary of the full listing ($listing_mb MB)" "$st" "$(rows_of "$listing")" "$(size_of "$listing")"
  rm -f "$listing"
fi

# ---- ratios to the peers
ratio_lines=()
for r in "${ratios[@]}"; do
  read -r k o <<<"$r"
  ratio_lines+=("$(awk -v k="${klabel[$k]}" -v o="${olabel[$o]}" -v tk="${med_of[$k]}" -v to="${med_of[$o]}" \
    'BEGIN { printf "| kestrova %s | %s | %.2f | %.2f | %.1fx |", k, o, tk, to, to / tk }')")
done

# ---- compressed input against the plain file: wall time and peak memory
plain_ratio_lines=()
for r in "${plain_ratios[@]}"; do
  read -r k p <<<"$r"
  plain_ratio_lines+=("$(awk -v k="${klabel[$k]}" -v tk="${med_of[$k]}" -v tp="${med_of[$p]}" \
    -v mk="${peak_of[$k]}" -v mp="${peak_of[$p]}" \
    'BEGIN { printf "| %s | %.2f | %.2f | %.2f | %.0f | %.0f | %.2f |", k, tk, tp, tk / tp, mk / 1024, mp / 1024, mk / mp }')")
done

# ---- scaling: 4 Hz against 1 Hz, and rows per second against satellites in view
scaling_lines=()
if [ "$scaling" = 1 ]; then
  size1=$(size_of "${file[$day]}")
  size4=$(size_of "${file[${day}4hz]}")
  for c in typical full; do
    scaling_lines+=("$(awk -v c="${klabel[$c]}" -v s1="$size1" -v s4="$size4" -v t1="${med_of[$c]}" -v t4="${med_of[$c-4hz]}" \
      -v m1="${peak_of[$c]}" -v m4="${peak_of[$c-4hz]}" -v u1="${user_of[$c]}" -v u4="${user_of[$c-4hz]}" \
      -v y1="${sys_of[$c]}" -v y4="${sys_of[$c-4hz]}" \
      'BEGIN { printf "| %s | %.2f | %.2f s / %.2f s = %.2f | %.2f s / %.2f s = %.2f | %.2f s / %.2f s = %.2f | %.0f MB / %.0f MB = %.2f |",
               c, s4 / s1, t4, t1, t4 / t1, u4, u1, u4 / u1, y4, y1, y4 / y1, m4 / 1024, m1 / 1024, m4 / m1 }')")
  done
  in_view_lines=()
  for c in sats10 sats20 sats40; do
    f=${file[${kin[$c]}]}
    epochs=$(grep -c '^ [ 0-9][0-9] [ 0-9][0-9] [ 0-9][0-9] [ 0-9][0-9] [ 0-9][0-9] [ 0-9][0-9]\.[0-9]' "$f")
    in_view_lines+=("$(awk -v c="${klabel[$c]}" -v r="${rows_n[$c]}" -v t="${med_of[$c]}" -v b="$(size_of "$f")" \
      -v e="$epochs" 'BEGIN { printf "| %s | %.2f | %.0f | %.1f | %.2fM |", c, t, b / 1e6 / t, r / e, r / 1e6 / t }')")
  done
fi

# ---- the generated section of RESULTS.md
section() {
  echo "Written by \`bench/run.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC'), commit $(git -C "$repo" rev-parse --short HEAD)$(git -C "$repo" diff --quiet || echo ' (with local changes)'); load average before the run: $load_before, after: $(cut -d' ' -f1-3 /proc/loadavg)."
  echo
  echo '```'
  lscpu | grep -E '^(Architecture|CPU\(s\)|Model name|Thread|Core|Socket|L1d|L2|L3|Hypervisor)' || true
  echo "Memory: $(free -g | awk '/^Mem:/ { print $2 " GiB" }')"
  echo "Compiler: $(c++ --version | head -1)"
  echo '```'
  echo
  echo "Inputs (warm page cache; $reps repetitions each, the peers $peer_reps; wall time from the shell,"
  echo "peak memory = maximum resident set of \`/usr/bin/time\`):"
  echo
  for name in "${!file[@]}"; do
    echo "- \`$(basename "${file[$name]}")\`: \`${gen_line[$name]//$cache\//}\`, $(awk -v b="$(size_of "${file[$name]}")" 'BEGIN { printf "%.1f", b / 1e6 }') MB"
  done | sort
  echo
  printf '%s\n' "${lines[@]}"
  echo
  echo "Typical list: \`$typical\`. 22 columns: \`$combos\`."
  if [ ${#ratio_lines[@]} -gt 0 ]; then
    echo
    echo "| kestrova case | peer case | kestrova s | peer s | kestrova faster |"
    echo "| --- | --- | ---: | ---: | ---: |"
    printf '%s\n' "${ratio_lines[@]}"
  fi
  if [ ${#plain_ratio_lines[@]} -gt 0 ]; then
    echo
    echo "Compressed input against the plain file (the same case on the plain file; medians, peak MB):"
    echo
    echo "| case | s | plain s | time / plain | peak MB | plain peak MB | peak / plain |"
    echo "| --- | ---: | ---: | ---: | ---: | ---: | ---: |"
    printf '%s\n' "${plain_ratio_lines[@]}"
  fi
  if [ -n "$real_note" ]; then
    echo
    echo "$real_note"
  fi
  if [ ${#scaling_lines[@]} -gt 0 ]; then
    echo
    echo "Scaling, the same day at 4 Hz against 1 Hz (linear: the time and peak ratios near the size ratio):"
    echo
    echo "| case | size 4 Hz / 1 Hz | time | user time | system time | peak memory |"
    echo "| --- | ---: | ---: | ---: | ---: | ---: |"
    printf '%s\n' "${scaling_lines[@]}"
    echo
    echo "Satellites in view (rows per epoch), 6 h at 1 Hz:"
    echo
    echo "| case | median s | input MB/s | rows per epoch | rows/s |"
    echo "| --- | ---: | ---: | ---: | ---: |"
    printf '%s\n' "${in_view_lines[@]}"
  fi
  if [ "$check_plain" = 1 ]; then
    echo
    echo "SHA-256 (first 16 hex digits) of the result file of each case, written by \`kestrova\`"
    echo "and by \`kestrova-plain\` (atof and iostream for every value, as the fast paths stand in for):"
    echo
    echo "| case | kestrova | kestrova-plain | |"
    echo "| --- | --- | --- | --- |"
    printf '%s\n' "${checks[@]}"
  fi
}

begin='<!-- bench/run.sh: begin -->'
end='<!-- bench/run.sh: end -->'
new="$out/section.md"
section >"$new"
[ -f "$results" ] || printf '# Benchmark results\n' >"$results"
if ! grep -qF "$begin" "$results"; then printf '\n%s\n%s\n' "$begin" "$end" >>"$results"; fi
awk -v b="$begin" -v e="$end" -v new="$new" '
  $0 == b { print; while ((getline l < new) > 0) print l; skip = 1; next }
  $0 == e { skip = 0 }
  !skip' "$results" >"$results.tmp" && mv "$results.tmp" "$results"
echo "wrote the generated section of $results"
if [ "$check_plain" = 1 ] && printf '%s\n' "${checks[@]}" | grep -q DIFFERENT; then
  echo "bench/run.sh: fast and plain result files differ" >&2
  exit 1
fi
