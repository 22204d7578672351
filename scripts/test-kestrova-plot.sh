#!/bin/sh
# SPDX-License-Identifier: BSD-2-Clause
# Test of kestrova-plot: valid PNG pictures of the sample data, one per column, with the chosen
# satellites in their own styles; the means of arcs, the time axis and 40 styles on hand-made
# result files. Exit 77 (skipped) without gnuplot.
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

# 2015-02-13 00:00, the day of the sample, in seconds since 1970
sample_day=1423785600

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
    # within the hour of the sample (seconds since 1970), and each satellite's mean removed
    # (-z; every satellite of the sample is one arc)
    awk -v t0=$sample_day '/^# / { if (n) print m / n; n = m = 0; next }
         NF == 2 { if ($1 < t0 || $1 >= t0 + 3600) bad = 1; n++; m += $2 }
         END { if (n) print m / n; exit bad }' "$work/sample.$c.dat" >"$work/means" ||
        fail "$c: a time outside the hour of the sample"
    awk '{ if ($1 > 0.001 || $1 < -0.001) exit 1 }' "$work/means" || fail "$c: means not removed"
done
grep -q 'ylabel "L4 \[m\]"' "$work/sample.L4.gp" || fail "L4 is not labelled in metres"
grep -q 'xlabel "Time \[MM:SS\], 2015-02-13 00:00:00.0 to 00:59:30.0"' "$work/sample.L4.gp" ||
    fail "time axis label"

# the values drawn are those of the column: the first L4 of G02, cut from its fixed place in
# the row (43 characters of time and satellite, then 18 for L1), against the first point drawn
# (its time in seconds since 1970)
"$plot" -c L4 -s G02 -o "$work/raw" -k "$work/sample.gof" >/dev/null
row=$(grep -m1 '^ 2015.*  G02 ' "$work/sample.gof")
want="$(echo "$row" | cut -c13-14) $(echo "$row" | cut -c16-17) $(echo "$row" | cut -c62-75)"
got=$(sed -n 2p "$work/raw.L4.dat")
awk -v w="$want" -v g="$got" -v t0=$sample_day 'BEGIN { split(w, a, " "); split(g, b, " ")
    exit !((b[1] - t0 - a[1] * 3600 - a[2] * 60) ^ 2 < 1e-6 && (a[3] - b[2]) ^ 2 < 1e-8) }' ||
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
    grep -q "all.$name.png (2 satellites, $want values, " "$work/all.out" || fail "$name: values not reported"
    awk 'NF == 2 && $1 != "#" && ($2 > 100 || $2 < -100) { exit 1 }' "$work/all.$name.dat" ||
        fail "$name: a point more than 100 m from its mean"
done

# Hand-made result files: the header lines the plot reads, a heading of L1 and L4, and rows
# written by row SAT DAY SECONDS L1 LLI L4 ("-" for a missing value, "***" for an epoch without a
# record, DAY 0 for 2015-02-13).
handmade() {
    printf '#RINEX file:         hand.15o\n#Time interval:      30.000\n#\n'
    printf '#%21s%16s  SAT%14s    %14s    \n' 'Time(datum)' 'Time(MJD)' L1 L4
}
field() { if [ "$1" = - ]; then printf '%14s * *' '*.***'; else printf '%14.3f%2d 5' "$1" "$2"; fi; }
row() {
    printf ' 2015-02-%02d %02d:%02d:%02d.0%8d%8.1f  %s' $((13 + $2)) $(($3 / 3600)) $(($3 / 60 % 60)) \
        $(($3 % 60)) $((57066 + $2)) "$3" "$1"
    if [ "$4" = '***' ]; then echo '  ***'; else field "$4" "$5"; field "$6" 0 | sed 's/ 5$/ 0/'; echo; fi
}

# Arcs of -z: a loss of lock on L1 (bit 0; not bit 2), also on a row without L4, begins one;
# so does a skip of 5 intervals but not of 4; epochs without a record and rows of missing
# values are passed over; a loss of lock of G01 does not cut G02.
{
    handmade
    row G01 0 0 1000 0 100; row G01 0 30 1001 0 102
    row G01 0 60 1002 1 500; row G01 0 90 1003 0 504; row G01 0 210 1004 0 505
    row G01 0 360 1005 0 7; row G01 0 390 1006 4 9
    row G01 0 420 1007 1 -; row G01 0 450 1008 0 30; row G01 0 480 1009 0 34
    row G01 0 510 '***'; row G01 0 540 - 0 -; row G01 0 570 1010 0 35
    row G02 0 0 2000 0 50; row G02 0 60 2001 0 54
} >"$work/arcs.gof"
"$plot" -c L4 -z -k -o "$work/arcs" "$work/arcs.gof" >"$work/arcs.out" || fail "kestrova-plot on the arcs file"
# (each "|" a break of the line: a new arc or a gap of more than 1.5 intervals)
got=$(awk '/^# / { printf "%s", $2; next } NF == 0 { printf "|" } NF == 2 { printf " %g", $2 }' "$work/arcs.L4.dat")
[ "$got" = "G01 -1 1| -3 1| 2| -1 1| -3 1| 2||G02 -2| 2" ] || fail "arc means: $got"
grep -q 'arcs.L4.png (2 satellites, 12 values, 5 arcs)' "$work/arcs.out" || fail "arcs not counted"
grep -q 'title "L4 (mean of each arc removed) - hand.15o"' "$work/arcs.L4.gp" || fail "-z not in the title"

# The time axis: minutes and seconds under an hour, hours and minutes up to a day, the day
# beyond, with the dates in the label.
for span in '0 3600:%H:%M:Time [HH:MM], 2015-02-13' \
    '0 3570:%M:%S:Time [MM:SS], 2015-02-13 00:00:00.0 to 00:59:30.0' \
    '1 0:%H:%M:Time [HH:MM], 2015-02-13 to 2015-02-14' \
    '1 3600:%d %H:%M:Time [DD HH:MM], 2015-02-13 to 2015-02-14'; do
    last=${span%%:*} want=${span#*:}
    { handmade; row G01 0 0 1000 0 1; row G01 $last 1001 0 2; } >"$work/span.gof"
    "$plot" -c L1 -k -o "$work/span" "$work/span.gof" >/dev/null || fail "kestrova-plot to day $last s"
    [ "$(sed -n 's/^set format x "\(.*\)"$/\1/p; s/^set xlabel "\(.*\)"$/:\1/p' "$work/span.L1.gp" | tr -d '\n')" = "$want" ] ||
        fail "time axis to day $last s: $(grep -e '^set format x' -e '^set xlabel' "$work/span.L1.gp")"
done

# 40 satellites: 40 styles (colour, point and dash type) and a legend of two columns
{
    handmade
    for s in $(seq -f G%02g 1 32) $(seq -f E%02g 1 8); do row "$s" 0 0 1000 0 1; row "$s" 0 30 1001 0 2; done
} >"$work/forty.gof"
"$plot" -c L4 -k -o "$work/forty" "$work/forty.gof" >/dev/null || fail "kestrova-plot on 40 satellites"
[ "$(grep -o 'lc rgb "#[0-9a-f]*" pt [0-9]* dt [0-9]*' "$work/forty.L4.gp" | sort -u | wc -l)" -eq 40 ] ||
    fail "40 satellites do not have 40 styles"
grep -q '^set key .* maxrows 20$' "$work/forty.L4.gp" || fail "legend of 40 satellites not in two columns"

# a column the file does not have draws nothing and fails
if "$plot" -c MW -o "$work/none" "$work/sample.gof" 2>"$work/err"; then fail "unknown column accepted"; fi
grep -q 'no column MW' "$work/err" || fail "unknown column not named"
[ ! -e "$work/none.MW.png" ] || fail "picture of an unknown column"
echo "kestrova-plot: pictures of the sample are valid"
