#!/bin/sh
# SPDX-License-Identifier: BSD-2-Clause
# Test of the batch recipes of README.md, run as they stand there on a folder of four files: one
# that lists, one that stops with a reader's frame (on standard output), one that lists no
# observation row and one cut short inside its last epoch. The xargs recipe must name the failed,
# the empty and the cut file, end with the failure, and keep each file's console in its log; the
# GNU parallel line (when parallel is installed) must list the failed file alone and keep each
# console.
# usage: test-batch-recipe.sh README KESTROVA TEST_DATA_DIR CHANNEL_FILE WORK_DIR
set -eu
readme=$1 kestrova=$2 data=$3 channels=$4 work=$5

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

rm -rf "$work"
mkdir -p "$work/bin" "$work/rinex"
ln -s "$kestrova" "$work/bin/kestrova"
cp "$data/cli_minimal.10o" "$work/rinex/good.15o"
cp "$data/truncated_record.10o" "$work/rinex/cut.15o"
# a header without epochs
sed '/END OF HEADER/q' "$data/cli_minimal.10o" >"$work/rinex/bad.15o"
# the same file with L1 and C1 only: none of the recipe's combinations can be formed
sed 's/^     4    L1    C1    L2    P2 /     2    L1    C1             /' "$data/cli_minimal.10o" \
    >"$work/rinex/single.15o"
grep -q '^     2    L1    C1  ' "$work/rinex/single.15o" || fail "single-frequency file not made"

# the indented block of README.md whose text matches $1, with this test's folders
recipe() {
    awk -v want="$1" '/^    / { block = block substr($0, 5) "\n"; next }
         { if (block ~ want) { printf "%s", block; exit } block = "" }' "$readme" |
        sed -e "s|/data/rinex|$work/rinex|" -e "s|/usr/share/kestrova/glonass-channels.txt|$channels|"
}
recipe 'FAILED: ' >"$work/recipe.sh"
grep -q 'xargs' "$work/recipe.sh" || fail "no batch recipe in $readme"

(cd "$work" && PATH="$work/bin:$PATH" sh recipe.sh) >"$work/report" 2>&1
sort "$work/report" >"$work/got"
printf '%s\n' "EMPTY: $work/rinex/single.15o (see out/single.log)" \
    "CUT: $work/rinex/cut.15o (see out/cut.log)" \
    "FAILED: $work/rinex/bad.15o (see out/bad.log)" "some files failed" | sort >"$work/want"
cmp -s "$work/got" "$work/want" || fail "the recipe reported:
$(cat "$work/report")"

grep -q '^#### RINEXData: Error -> NUMBER OF EPOCH IN RINEX FILE NOT DETERMINED!' "$work/out/bad.log" ||
    fail "the reader's frame is not in the log of the failed file"
grep -q '^ 2010-03-05 00:00:00.0   55260     0.0  G13 ' "$work/out/cut.gof" ||
    fail "no rows in the result file of the cut file"
grep -q '^ 2010-03-05 00:00:30.0   55260    30.0  G32 ' "$work/out/good.gof" ||
    fail "no rows in the result file of the good file"
[ ! -s "$work/out/good.log" ] || fail "the good file's log is not empty"

if command -v parallel >/dev/null 2>&1; then
    recipe '[|] parallel ' >"$work/parallel.sh"
    grep -q 'failed.txt' "$work/parallel.sh" || fail "no parallel line in $readme"
    mkdir "$work/par"
    (cd "$work/par" && PATH="$work/bin:$PATH" sh ../parallel.sh) >"$work/par.report" 2>&1 ||
        fail "the parallel line failed: $(cat "$work/par.report")"
    [ "$(cat "$work/par/out/failed.txt")" = "$work/rinex/bad.15o" ] ||
        fail "failed.txt of the parallel line: $(cat "$work/par/out/failed.txt")"
    grep -q '^#### RINEXData: Error -> NUMBER OF EPOCH IN RINEX FILE NOT DETERMINED!' "$work/par/out/bad.log" ||
        fail "the parallel line kept no console of the failed file"
    grep -q 'NO OBSERVATION ROWS WERE WRITTEN' "$work/par/out/single.log" ||
        fail "the parallel line kept no console of the empty run"
    cmp -s "$work/out/good.gof" "$work/par/out/good.gof" || fail "the parallel line listed good.15o otherwise"
else
    echo "parallel not found: its line is not run"
fi
echo "batch recipes of README.md: failures, empty results and cut files are reported"
