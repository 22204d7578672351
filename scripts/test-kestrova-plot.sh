#!/bin/sh
# Test of kestrova-plot on the sample data: valid PNG pictures, one per column, with the
# chosen satellites in their own colours. Exit 77 (skipped) without gnuplot.
# usage: test-kestrova-plot.sh KESTROVA PLOT DATA_DIR WORK_DIR
set -eu
kestrova=$1 plot=$2 data=$3 work=$4

command -v gnuplot >/dev/null 2>&1 || { echo "SKIP: gnuplot not found"; exit 77; }
rm -rf "$work"
mkdir -p "$work"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

"$kestrova" -o"$data/kest0440.15o" -cGRE -m1"$data/kest0440.mp1" -m2"$data/kest0440.mp2" \
    -gf"$data/glonass-channels.txt" -lL1:L4:MP2:S1: -r"$work/sample.gof" ||
    fail "kestrova on the sample"

bytes() { od -An -tx1 -j "$2" -N "$3" "$1" | tr -d ' \n'; }

# PNG signature, an IHDR chunk of 1000 x 600 first and an IEND chunk last.
check_png() {
    [ -s "$1" ] || fail "$1 not written"
    [ "$(bytes "$1" 0 8)" = 89504e470d0a1a0a ] || fail "$1: no PNG signature"
    [ "$(bytes "$1" 12 12)" = 49484452000003e800000258 ] || fail "$1: no 1000 x 600 IHDR chunk"
    size=$(wc -c <"$1")
    [ "$(bytes "$1" $((size - 12)) 12)" = 0000000049454e44ae426082 ] || fail "$1: no IEND chunk at its end"
}

"$plot" -c 'L4,MP2,S1' -s G02,R04E03 -o "$work/sample" -k -z "$work/sample.gof" ||
    fail "kestrova-plot on the sample"
for c in L4 MP2 S1; do
    check_png "$work/sample.$c.png"
    # one block per chosen satellite, in file order, and one colour each
    [ "$(grep '^# ' "$work/sample.$c.dat" | tr '\n' ' ')" = "# G02 # R04 # E03 " ] ||
        fail "$c: satellite blocks are not G02 R04 E03"
    [ "$(grep -o 'rgb "#[0-9a-f]*"' "$work/sample.$c.gp" | sort -u | wc -l)" -eq 3 ] ||
        fail "$c: not three colours"
    # within the hour of the sample, and each satellite's mean removed (-z)
    awk '/^# / { if (n) print m / n; n = m = 0; next }
         NF == 2 { if ($1 < 0 || $1 >= 1) bad = 1; n++; m += $2 }
         END { if (n) print m / n; exit bad }' "$work/sample.$c.dat" >"$work/means" ||
        fail "$c: a time outside the hour of the sample"
    awk '{ if ($1 > 0.001 || $1 < -0.001) exit 1 }' "$work/means" || fail "$c: means not removed"
done
grep -q 'ylabel "L4 \[m\]"' "$work/sample.L4.gp" || fail "L4 is not labelled in metres"
grep -q 'xlabel "Time of day \[h\], 2015-02-13"' "$work/sample.L4.gp" || fail "time axis label"

# the values drawn are those of the column: the first L4 of G02, cut from its fixed place in
# the row (43 characters of time and satellite, then 18 for L1), against the first point drawn
"$plot" -c L4 -s G02 -o "$work/raw" -k "$work/sample.gof" >/dev/null
row=$(grep -m1 '^ 2015.*  G02 ' "$work/sample.gof")
want="$(echo "$row" | cut -c13-14) $(echo "$row" | cut -c16-17) $(echo "$row" | cut -c62-75)"
got=$(sed -n 2p "$work/raw.L4.dat")
awk -v w="$want" -v g="$got" 'BEGIN { split(w, a, " "); split(g, b, " ")
    exit !((b[1] * 60 - a[1] * 60 - a[2]) ^ 2 < 1e-6 && (a[3] - b[2]) ^ 2 < 1e-8) }' ||
    fail "first L4 point of G02 is '$got', the result file has '$want' (hour, minute, value)"

# phases in cycles unless the result file says metres
"$plot" -c L1 -s E03 -o "$work/phase" -k "$work/sample.gof" >/dev/null
grep -q 'ylabel "L1 \[cycles\]"' "$work/phase.L1.gp" || fail "L1 is not labelled in cycles"

# rows of epochs without a record (-a: "  ***", no value fields) and missing values draw
# nothing: as many points as the result file has numbers in the column, and after -z none far
# from the satellite's mean
"$kestrova" -o"$data/kest0440.15o" -cG -lL4:MC1: -pG02G11 -a -r"$work/all.gof" ||
    fail "kestrova -a on the sample"
grep -q '^ 2015.*  G11  \*\*\*$' "$work/all.gof" || fail "the sample gives no -a rows for G11"
"$plot" -c 'L4,MP1[C]' -z -k -o "$work/all" "$work/all.gof" >"$work/all.out" ||
    fail "kestrova-plot on a result file with -a rows"
for c in L4:44 MP1_C:62; do
    name=${c%:*} from=${c#*:}
    want=$(grep '^ 2015' "$work/all.gof" | cut -c"$from-$((from + 13))" | grep -v '[*]' | grep -c '[0-9]')
    got=$(awk 'NF == 2 && $1 != "#"' "$work/all.$name.dat" | wc -l)
    [ "$got" -eq "$want" ] || fail "$name: $got points drawn, the result file has $want values"
    grep -q "all.$name.png (2 satellites, $want values)" "$work/all.out" || fail "$name: values not reported"
    awk 'NF == 2 && $1 != "#" && ($2 > 100 || $2 < -100) { exit 1 }' "$work/all.$name.dat" ||
        fail "$name: a point more than 100 m from its mean"
done

# a column the file does not have draws nothing and fails
if "$plot" -c MW -o "$work/none" "$work/sample.gof" 2>"$work/err"; then fail "unknown column accepted"; fi
grep -q 'no column MW' "$work/err" || fail "unknown column not named"
[ ! -e "$work/none.MW.png" ] || fail "picture of an unknown column"
echo "kestrova-plot: pictures of the sample are valid"
