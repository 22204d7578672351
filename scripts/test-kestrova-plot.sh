#!/bin/sh
# SPDX-License-Identifier: BSD-2-Clause
# Test of kestrova-plot: valid PNG pictures of the sample data, one per column, with the chosen
# satellites in their own styles; the means of arcs, the time axis, the range, the pictures
# against elevation and 40 styles on hand-made result files; the arcs of kestrova-summary on
# real days (when ../shared/data is there). Exit 77 (skipped) without gnuplot.
# usage: test-kestrova-plot.sh KESTROVA PLOT DATA_DIR WORK_DIR SUMMARY [SHARED_DATA]
set -eu
kestrova=$1 plot=$2 data=$3 work=$4
KESTROVA_SUMMARY=$5
shared=${6:-}
export KESTROVA_SUMMARY

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

# PNG signature, an IHDR chunk of 1000 x 600 (a sky plot: 800 x 800) first and an IEND chunk
# last.
check_png() {
    [ -s "$1" ] || fail "$1 not written"
    [ "$(bytes "$1" 0 8)" = 89504e470d0a1a0a ] || fail "$1: no PNG signature"
    case $1 in
    *.sky.png) [ "$(bytes "$1" 12 12)" = 494844520000032000000320 ] ||
        fail "$1: no 800 x 800 IHDR chunk" ;;
    *) [ "$(bytes "$1" 12 12)" = 49484452000003e800000258 ] || fail "$1: no 1000 x 600 IHDR chunk" ;;
    esac
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
         NF == 4 { if ($1 < t0 || $1 >= t0 + 3600) bad = 1; n++; m += $2 }
         END { if (n) print m / n; exit bad }' "$work/sample.$c.dat" >"$work/means" ||
        fail "$c: a time outside the hour of the sample"
    # S1 carries no bias per arc: -z draws it as it is (signal strengths of tens of dB-Hz)
    if [ "$c" = S1 ]; then
        awk '{ if ($1 < 20) exit 1 }' "$work/means" || fail "S1: a mean removed"
    else
        awk '{ if ($1 > 0.001 || $1 < -0.001) exit 1 }' "$work/means" || fail "$c: means not removed"
    fi
done
grep -q 'ylabel "L4 \[m\]"' "$work/sample.L4.gp" || fail "L4 is not labelled in metres"
# the titles name the bands of each system drawn (GPS and GLONASS L2, Galileo E5b); S1 has none
grep -q 'title "MP2 (G2 R2 E7) (mean of each arc removed) - kest0440.15o, ' "$work/sample.MP2.gp" ||
    fail "MP2 does not name its bands"
grep -q 'title "L4 (G1-2 R1-2 E1-7) (mean of each arc removed) - ' "$work/sample.L4.gp" ||
    fail "L4 does not name its bands"
grep -q 'title "S1 - kest0440.15o, ' "$work/sample.S1.gp" || fail "S1 names bands"
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
    got=$(awk 'NF == 4 && $1 != "#"' "$work/all.$name.dat" | wc -l)
    [ "$got" -eq "$want" ] || fail "$name: $got points drawn, the result file has $want values"
    grep -q "all.$name.png (2 satellites, $want values, " "$work/all.out" || fail "$name: values not reported"
    awk 'NF == 4 && $1 != "#" && ($2 > 100 || $2 < -100) { exit 1 }' "$work/all.$name.dat" ||
        fail "$name: a point more than 100 m from its mean"
done

# Hand-made result files: the header lines the plot reads, a heading of L1 and L4, and rows
# written by row SAT DAY SECONDS L1 LLI L4 ("-" for a missing value, "***" for an epoch without a
# record, DAY 0 for 2015-02-13).
settings() { # the observations as the settings header writes them
    printf '#PROGRAM: Kestrova\n#DATA:\n#RINEX file:         hand.15o\n#Satellites:        '
    printf ' %s' $(seq -f G%02g 1 32) $(seq -f E%02g 1 8)
    printf '\n#Observations:       %s\n' "$1"
    printf '#Start epoch:        2015-02-13 00:00:00.000 [ 57066     0.000]  (from RINEX file)\n'
    printf '#End epoch:          2015-02-14 01:00:00.000 [ 57067  3600.000]  (from RINEX file)\n'
    printf '#Time interval:      30.000\n#Max clock error:    0.1000000\n#\n'
}
handmade() {
    settings 'L1[+] L4[+]'
    printf '#%21s%16s  SAT%14s    %14s    \n' 'Time(datum)' 'Time(MJD)' L1 L4
}
field() { if [ "$1" = - ]; then printf '%14s * *' '*.***'; else printf '%14.3f%2d 5' "$1" "$2"; fi; }
row() {
    printf ' 2015-02-%02d %02d:%02d:%02d.0%8d%8.1f  %s' $((13 + $2)) $(($3 / 3600)) $(($3 / 60 % 60)) \
        $(($3 % 60)) $((57066 + $2)) "$3" "$1"
    if [ "$4" = '***' ]; then echo '  ***'; else field "$4" "$5"; field "$6" 0 | sed 's/ 5$/ 0/'; echo; fi
}

# Arcs of -z: a loss of lock on L1 (bit 0; not bit 2), also on a row without L4, begins one;
# so does a skip of 5 intervals but not of 4, and a jump of L4 (0.1 m in 30 s is none; 0.9 m
# is); epochs without a record and rows of missing values are passed over; a loss of lock of G01
# does not cut G02.
{
    handmade
    row G01 0 0 1000 0 0.100; row G01 0 30 1001 0 0.102
    row G01 0 60 1002 1 0.500; row G01 0 90 1003 0 0.504; row G01 0 210 1004 0 0.505
    row G01 0 360 1005 0 0.007; row G01 0 390 1006 4 0.009
    row G01 0 420 1007 1 -; row G01 0 450 1008 0 0.030; row G01 0 480 1009 0 0.034
    row G01 0 510 '***'; row G01 0 540 - 0 -; row G01 0 570 1010 0 0.035
    row G02 0 0 2000 0 0.050; row G02 0 60 2001 0 0.054
    row G02 0 90 2002 0 0.154; row G02 0 120 2003 0 1.054; row G02 0 150 2004 0 1.056
} >"$work/arcs.gof"
"$plot" -c L4 -z -k -o "$work/arcs" "$work/arcs.gof" >"$work/arcs.out" || fail "kestrova-plot on the arcs file"
# (each "|" a break of the line: a new arc or a gap of more than 1.5 intervals)
got=$(awk '/^# / { printf "%s", $2; next } NF == 0 { printf "|" } NF == 4 { printf " %g", $2 }' "$work/arcs.L4.dat")
[ "$got" = "G01 -0.001 0.001| -0.003 0.001| 0.002| -0.001 0.001| -0.003 0.001| 0.002||G02 -0.036| -0.032 0.068| -0.001 0.001" ] ||
    fail "arc means: $got"
grep -q 'arcs.L4.png (2 satellites, 15 values, 6 arcs)' "$work/arcs.out" || fail "arcs not counted"
grep -q 'title "L4 (G1-2 E1-7) (mean of each arc removed) - hand.15o, 2015-02-13 00:00:00.0 to 00:09:30.0"' "$work/arcs.L4.gp" || fail "-z not in the title"

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

# A window that starts off the hour (a smartphone's ten minutes): hours in the axis, the span
# of the values in the title and the label.
{ handmade; row G01 0 1876 1000 0 1; row G01 0 2474 1001 0 2; row G02 0 1906 1000 0 1; } >"$work/off.gof"
"$plot" -c L1 -k -o "$work/off" "$work/off.gof" >/dev/null || fail "kestrova-plot off the hour"
grep -q '^set format x "%H:%M:%S"$' "$work/off.L1.gp" || fail "off the hour: no hours on the axis"
grep -q 'xlabel "Time \[HH:MM:SS\], 2015-02-13 00:31:16.0 to 00:41:14.0"' "$work/off.L1.gp" ||
    fail "off the hour: axis label $(grep xlabel "$work/off.L1.gp")"
grep -q 'title "L1 - hand.15o, 2015-02-13 00:31:16.0 to 00:41:14.0"' "$work/off.L1.gp" ||
    fail "off the hour: title $(grep title "$work/off.L1.gp")"
grep -q '^set xrange \[1423787476.000:1423788074.000\]$' "$work/off.L1.gp" ||
    fail "off the hour: time range $(grep xrange "$work/off.L1.gp")"

# The range: by default all but a quarter of a per cent at each end (one outlier of 1000 values
# is left out, the range widened by a twentieth), the outlier drawn at the border; -y sets it.
{
    handmade
    i=0
    while [ $i -lt 1000 ]; do
        v=$((i % 2)); [ $i -eq 500 ] && v=-30
        row G01 0 $((i * 30 % 86400)) 1000 0 $v
        i=$((i + 1))
        [ $((i * 30)) -lt 86400 ] || break
    done
} >"$work/range.gof"
"$plot" -c L4 -k -o "$work/range" "$work/range.gof" >/dev/null || fail "kestrova-plot range"
grep -q '^set yrange \[-0.05:1.05\]$' "$work/range.L4.gp" || fail "default range: $(grep yrange "$work/range.L4.gp")"
awk 'NF == 4 && $1 != "#" && $2 < lo { lo = $2 } END { exit !(lo == -0.05) }' lo=0 "$work/range.L4.dat" ||
    fail "the outlier is not drawn at the border"
"$plot" -c L4 -y -2:0.5 -k -o "$work/range" "$work/range.gof" >/dev/null || fail "kestrova-plot -y"
grep -q '^set yrange \[-2:0.5\]$' "$work/range.L4.gp" || fail "-y range: $(grep yrange "$work/range.L4.gp")"
[ "$(awk 'NF == 4 && $1 != "#" && ($2 == 0.5 || $2 == -2)' "$work/range.L4.dat" | wc -l)" -eq 501 ] ||
    fail "-y: 500 values of 1 and the outlier are not at the borders"

# Against elevation and the sky plot: a file with EL and AZ; rows without an angle are drawn in
# time only; -p draws one panel per satellite.
{
    settings 'MP1[C][+] AZ[+] EL[+]'
    printf '#%21s%16s  SAT%14s    %10s    %10s    \n' 'Time(datum)' 'Time(MJD)' 'MP1[C]' AZ EL
    for i in 0 1 2 3; do
        for s in G01 G02; do
            el=$((10 + 20 * i)); [ "$s$i" = G023 ] && el=-
            printf ' 2015-02-13 00:0%d:00.0   57066 %7d.0  %s' $i $((i * 60)) $s
            printf '%14.3f 0 0%10.3f 0 0' 0.$i $((90 * i))
            if [ "$el" = - ]; then printf '%10s * *\n' '*.***'; else printf '%10.3f 0 0\n' $el; fi
        done
    done
} >"$work/el.gof"
"$plot" -c 'MP1[C]' -e -a -p -k -o "$work/el" "$work/el.gof" >"$work/el.out" || fail "kestrova-plot -e -a -p"
for k in '' .el .sky; do
    [ "$(bytes "$work/el.MP1_C$k.png" 0 8)" = 89504e470d0a1a0a ] || fail "no picture el.MP1_C$k.png"
done
for k in el sky; do
    grep -q "el.MP1_C.$k.png (2 satellites, 8 values" "$work/el.out" || fail "$k picture not reported"
done
[ "$(awk 'NF == 4 && $1 != "#" && $3 != "-"' "$work/el.MP1_C.dat" | wc -l)" -eq 7 ] ||
    fail "not 7 points with an elevation"
awk 'NF == 4 && $1 != "#" && $3 != "-" && ($3 < 10 || $3 > 70 || $4 < 0 || $4 > 270) { exit 1 }' \
    "$work/el.MP1_C.dat" || fail "angles outside those of the file"
grep -q '^set multiplot layout 1,2' "$work/el.MP1_C.gp" || fail "-p: not one panel per satellite"
grep -q 'using 3:2' "$work/el.MP1_C.el.gp" || fail "not drawn against elevation"
grep -q 'using 4:(90-$3):2 .* lc palette' "$work/el.MP1_C.sky.gp" || fail "sky plot not coloured by value"
if "$plot" -c L4 -e -k -o "$work/noel" "$work/arcs.gof" 2>"$work/err" >/dev/null; then :; fi
grep -q 'lists no elevation' "$work/err" || fail "-e without EL not reported"

# 40 satellites in one panel: coloured by system, one legend entry per system that says so
{
    handmade
    for s in $(seq -f G%02g 1 32) $(seq -f E%02g 1 8); do row "$s" 0 0 1000 0 1; row "$s" 0 30 1001 0 2; done
} >"$work/forty.gof"
"$plot" -c L4 -k -o "$work/forty" "$work/forty.gof" >/dev/null || fail "kestrova-plot on 40 satellites"
[ "$(grep -o 'lc rgb "#[0-9a-f]*"' "$work/forty.L4.gp" | sort -u | wc -l)" -eq 2 ] ||
    fail "40 satellites of two systems are not in two colours"
[ "$(grep -o 'title "[A-Za-z]* ([0-9]*)"' "$work/forty.L4.gp" | tr '\n' ' ')" = 'title "GPS (32)" title "Galileo (8)" ' ] ||
    fail "legend of 40 satellites does not name the systems"
grep -q '^set key .*coloured by system' "$work/forty.L4.gp" || fail "legend does not say the colours are systems"

# a column the file does not have draws nothing and fails
if "$plot" -c MW -o "$work/none" "$work/sample.gof" 2>"$work/err"; then fail "unknown column accepted"; fi
grep -qi 'no column MW' "$work/err" || fail "unknown column not named"
[ ! -e "$work/none.MW.png" ] || fail "picture of an unknown column"
# Real days: the plot's arcs are the summary's. Every stretch of a line lies within one arc of
# kestrova-summary --arcs, and the plot counts as many arcs as the stretches fall into; york's
# G05 is cut at 15:16, where its phases jump without a flag.
arcs_agree() { # result file, column
    "$plot" -c "$2" -z -k -o "$work/real" "$1" >"$work/real.out" || fail "kestrova-plot on $1"
    "$KESTROVA_SUMMARY" --arcs "$1" | tail -n +2 | while IFS=$(printf '\t') read -r f sat first last rows why step; do
        echo "$sat $(date -u -d "$first" +%s) $(date -u -d "$last" +%s)"
    done >"$work/real.arcs"
    stem=$(printf '%s' "$2" | sed 's/\[/_/g; s/\]//g')
    n=$(awk 'FNR == NR { s[++m] = $1; a[m] = $2; b[m] = $3; next }
        function close_() { if (!np) return; hit = 0
            for (k = 1; k <= m; k++) if (s[k] == sat && a[k] <= lo + 0.5 && hi <= b[k] + 0.5) hit = k
            if (!hit) { print "stretch of " sat " " lo "-" hi " in no arc" > "/dev/stderr"; bad = 1 }
            used[hit] = 1; np = 0 }
        /^# / { close_(); sat = $2; next }
        NF == 0 { close_(); next }
        NF == 4 { if (!np) lo = $1; hi = $1; np++ }
        END { close_(); for (k in used) n++; print bad ? -1 : n }' "$work/real.arcs" "$work/real.$stem.dat")
    [ "$n" -ge 0 ] || fail "$1: the plot draws across the arcs of the summary"
    grep -q ", $n arcs)" "$work/real.out" || fail "$1: the plot counts other arcs than the $n it draws"
}
if [ -n "$shared" ] && [ -r "$shared/york0440.15o" ]; then
    "$kestrova" -o"$shared/york0440.15o" -cG -lL1:L2:C1:P2:L4:MW:MC1:MP2: -r"$work/york.gof" >/dev/null ||
        fail "kestrova on york"
    arcs_agree "$work/york.gof" 'MP1[C]'
    g05=$(awk '$1 == "G05"' "$work/real.arcs" | awk -v t=$(date -u -d '2015-02-13 15:16:00' +%s) '$2 == t' | wc -l)
    [ "$g05" -eq 1 ] || fail "york: no arc of G05 begins at 15:16"
    "$kestrova" -o"$shared/NYA100NOR_S_20241240000_01D_30S_MO.crx.gz" -cGREC -lL1:L2:L4:MW:MC1:MP2: \
        -r"$work/nya.gof" >/dev/null || fail "kestrova on the multi-GNSS day"
    arcs_agree "$work/nya.gof" L4
fi
# The figures of kestrova-qc (-q): multipath, strength and ROTI of the NYA1 day against time,
# elevation and on the sky, each with every value of the report.
KESTROVA_QC=$(dirname -- "$kestrova")/kestrova-qc
export KESTROVA_QC
nya=$shared/NYA100NOR_S_20241240000_01D_30S_MO.crx.gz
if [ -n "$shared" ] && [ -r "$nya" ] && [ -x "$KESTROVA_QC" ]; then
    gn=-n$shared/NYA100NOR_S_20241240000_01D_GN.rnx.gz
    "$plot" -q MP:C1C,SNR:S1C,ROTI -z -e -a -k -o "$work/qc" "$nya" "$gn" -cG >"$work/qc.out" ||
        fail "kestrova-plot -q on the multi-GNSS day"
    for f in MP_C1C SNR_S1C ROTI; do
        for kind in "" .el .sky; do check_png "$work/qc.$f$kind.png"; done
    done
    grep -q 'title "MP:C1C (mean of each arc removed) - NYA100NOR' "$work/qc.MP_C1C.gp" ||
        fail "-q MP: $(grep title "$work/qc.MP_C1C.gp")"
    "$KESTROVA_QC" "$nya" "$gn" -cG >"$work/qc.txt" || fail "kestrova-qc on the multi-GNSS day"
    s1c=$(awk '$1 == "S1C" { print $2; exit }' "$work/qc.txt")
    grep -q "qc.SNR_S1C.png (31 satellites, $s1c values, " "$work/qc.out" ||
        fail "-q SNR: not the $s1c values of the report: $(cat "$work/qc.out")"
fi
echo "kestrova-plot: pictures of the sample are valid"
