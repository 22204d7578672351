#!/bin/sh
# SPDX-License-Identifier: BSD-2-Clause
# Test of kestrova-array run as Slurm would run it, one task per line of a file list with
# SLURM_ARRAY_TASK_ID set by hand: each task lists its own file with the options given, names its
# result and log from the input, and ends with kestrova's status; a task without a number or
# beyond the list stops before listing anything.
# usage: test-slurm-array.sh ARRAY_SCRIPT KESTROVA TEST_DATA_DIR WORK_DIR
set -eu
array=$1 kestrova=$2 data=$3 work=$4

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

rm -rf "$work"
mkdir -p "$work/bin" "$work/archive/044"
ln -s "$kestrova" "$work/bin/kestrova"
cp "$data/cli_minimal.10o" "$work/archive/044/good0440.15o"
# a header without epochs
sed '/END OF HEADER/q' "$data/cli_minimal.10o" >"$work/archive/044/bad0440.15o"
gzip -c "$data/cli_minimal.10o" >"$work/archive/044/zipped0440.15o.gz"
printf '%s\n' "$work/archive/044/good0440.15o" "$work/archive/044/bad0440.15o" \
    "$work/archive/044/zipped0440.15o.gz" >"$work/files.txt"

# task N (empty: no task number) ends with status S; its standard error in taskN.err
want_status() {
    status=0
    (cd "$work" && env PATH="$work/bin:$PATH" ${1:+SLURM_ARRAY_TASK_ID=$1} \
        sh "$array" files.txt out -cG -lL1:C1:) 2>"$work/task$1.err" || status=$?
    [ "$status" -eq "$2" ] || fail "task '$1' ended with status $status, not $2: $(cat "$work/task$1.err")"
}
want_status 1 0
want_status 2 1
want_status 3 0

grep -q '^#Observations:       L1\[+\] C1\[+\]$' "$work/out/good0440.gof" || fail "the options did not reach kestrova"
grep -q '^ 2010-03-05 00:00:30.0   55260    30.0  G32 ' "$work/out/good0440.gof" || fail "no rows for task 1"
[ ! -s "$work/out/good0440.log" ] || fail "the log of a complete run is not empty"
grep -q '^#### RINEXData: Error -> NUMBER OF EPOCH IN RINEX FILE NOT DETERMINED!' "$work/out/bad0440.log" ||
    fail "the reader's frame is not in the log of the failed file"
grep -qx "FAILED: $work/archive/044/bad0440.15o (status 1, see out/bad0440.log)" "$work/task2.err" ||
    fail "the failed task does not name its file: $(cat "$work/task2.err")"
[ ! -e "$work/out/bad0440.gof" ] || fail "a result file of the failed file"
# the same listing as the uncompressed copy, but for the names in the header
sed 's/good0440/zipped0440/; s/15o$/15o.gz/' "$work/out/good0440.gof" | cmp -s - "$work/out/zipped0440.gof" ||
    fail "the compressed file's result is not zipped0440.gof with the listing of the same data"

want_status '' 2
grep -q "SLURM_ARRAY_TASK_ID is '', not a task number" "$work/task.err" || fail "a task without a number is not refused"
want_status 4 2
grep -q "line 4 of files.txt is empty or beyond its end" "$work/task4.err" || fail "a task beyond the list is not refused"
[ "$(ls "$work/out")" = "$(printf '%s\n' bad0440.log good0440.gof good0440.log zipped0440.gof zipped0440.log)" ] ||
    fail "the refused tasks wrote into out/: $(ls "$work/out")"
echo "kestrova-array: each task lists its line of the list, names its files and ends with kestrova's status"
