#!/bin/sh
# Test of the batch recipe of README.md, run as it stands there on a folder of three files: one
# that lists, one that stops with a reader's frame (on standard output) and one that lists no
# observation row. The recipe must name the failed and the empty file, end with the failure, and
# keep each file's console in its log.
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
# the same file with L1 and C1 only: none of the recipe's combinations can be formed
sed 's/^     4    L1    C1    L2    P2 /     2    L1    C1             /' "$data/cli_minimal.10o" \
    >"$work/rinex/single.15o"
grep -q '^     2    L1    C1  ' "$work/rinex/single.15o" || fail "single-frequency file not made"

# the indented block of README.md that reports failed files, with this test's folders
awk '/^    / { block = block substr($0, 5) "\n"; next }
     { if (block ~ /FAILED: /) { printf "%s", block; exit } block = "" }' "$readme" |
    sed -e "s|/data/rinex|$work/rinex|" -e "s|/usr/share/kestrova/glonass-channels.txt|$channels|" \
        >"$work/recipe.sh"
grep -q 'xargs' "$work/recipe.sh" || fail "no batch recipe in $readme"

(cd "$work" && PATH="$work/bin:$PATH" sh recipe.sh) >"$work/report" 2>&1
sort "$work/report" >"$work/got"
printf '%s\n' "EMPTY: $work/rinex/single.15o (see out/single.log)" \
    "FAILED: $work/rinex/cut.15o (see out/cut.log)" "some files failed" | sort >"$work/want"
cmp -s "$work/got" "$work/want" || fail "the recipe reported:
$(cat "$work/report")"

grep -q '^#### RINEX: Error -> RINEX FILE ENDS INSIDE THE OBSERVATION RECORD' "$work/out/cut.log" ||
    fail "the reader's frame is not in the log of the failed file"
grep -q '^ 2010-03-05 00:00:30.0   55260    30.0  G32 ' "$work/out/good.gof" ||
    fail "no rows in the result file of the good file"
[ ! -s "$work/out/good.log" ] || fail "the good file's log is not empty"
echo "batch recipe of README.md: failures and empty results are reported"
