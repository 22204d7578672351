#!/usr/bin/env bash
# SPDX-License-Identifier: BSD-2-Clause
# ThreadSanitizer on the threaded paths: builds kestrova (and the tools that make its inputs) with
# -DKESTROVA_TSAN=ON and lists the sample day, brought to one epoch a second so that the listing
# fills many blocks, in its plain, gzip, bzip2, xz, Compact RINEX and Compact RINEX in gzip forms,
# with the writer thread (-j2) and with -j1 (the default). Every compressed or Compact RINEX form
# is decoded on the decoding thread beside the reader (the process has two cores); the Compact
# RINEX in gzip form is read once more on one core (taskset -c 0), where it is decoded whole
# before the reading. Fails on any report of ThreadSanitizer, on a status other than 0, and when
# a result file differs from that of the plain file in one thread.
#   tests/tsan/run.sh [BUILD-DIR]      (default: build-tsan beside the sources)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-tsan}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTROVA_TSAN=ON \
  -DKESTROVA_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target kestrova kestrova-crx kestrova-densify >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
day="$work/kest1hz.15o"
"$build/tools/kestrova-densify" "$root/data/kest0440.15o" "$day" >/dev/null
gzip -c "$day" >"$day.gz"
bzip2 -c "$day" >"$day.bz2"
xz -c "$day" >"$day.xz"
"$build/tools/kestrova-crx" "$day" "$work/kest1hz.15d" >/dev/null
gzip -c "$work/kest1hz.15d" >"$work/kest1hz.15d.gz"

export TSAN_OPTIONS="halt_on_error=1 exitcode=66 ${TSAN_OPTIONS:-}"
if [ "$(nproc)" -lt 2 ]; then
  echo "tests/tsan/run.sh: one core only: the decoding thread would not run" >&2
  exit 1
fi
list=(-cGRE "-gf$root/data/glonass-channels.txt" -lC1:P1:L1:L2:P2:S1:L4:L3:MW:MP1:MP2:)
# run NAME INPUT ARGS...: the listing of INPUT into $work/NAME.gof
run() {
  local name=$1 input=$2
  shift 2
  if ! "$build/kestrova" "-o$input" "${list[@]}" "$@" "-r$work/$name.gof" >"$work/$name.out" \
    2>"$work/$name.err"; then
    echo "tests/tsan/run.sh: $name failed:" >&2
    cat "$work/$name.err" >&2
    exit 1
  fi
  if grep -q ThreadSanitizer "$work/$name.err"; then
    cat "$work/$name.err" >&2
    exit 1
  fi
  # the header names the input and the result file; the rest is the same for every form and
  # thread count
  grep -v -e '^#RINEX file:' -e '^#Result file:' "$work/$name.gof" >"$work/$name.rows"
}
run plain-j1 "$day" -j1
for form in "$day" "$day.gz" "$day.bz2" "$day.xz" "$work/kest1hz.15d" "$work/kest1hz.15d.gz"; do
  name=$(basename "$form")
  run "$name" "$form" -j2
  cmp "$work/plain-j1.rows" "$work/$name.rows"
done
run gz-j1 "$day.gz" -j1
cmp "$work/plain-j1.rows" "$work/gz-j1.rows"
run crxgz-j1 "$work/kest1hz.15d.gz" -j1
cmp "$work/plain-j1.rows" "$work/crxgz-j1.rows"
build_kestrova="$build/kestrova"
if command -v taskset >/dev/null; then
  taskset -c 0 "$build_kestrova" "-o$work/kest1hz.15d.gz" "${list[@]}" "-r$work/one-core.gof" \
    >"$work/one-core.out" 2>"$work/one-core.err"
  ! grep -q ThreadSanitizer "$work/one-core.err" || { cat "$work/one-core.err" >&2; exit 1; }
  grep -v -e '^#RINEX file:' -e '^#Result file:' "$work/one-core.gof" | cmp "$work/plain-j1.rows" -
fi
echo "tests/tsan/run.sh: $(wc -l <"$work/plain-j1.rows") rows, 10 runs of the forms and thread counts alike, no report"
