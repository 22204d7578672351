# SPDX-License-Identifier: BSD-2-Clause
# Part of bench/run.sh (sourced, after the plain cases): the benchmark file as archives serve it,
# gzip, Compact RINEX 1.0 and Compact RINEX inside gzip, listed with the typical list, and the
# Compact RINEX decoder alone. Rates are of the plain RINEX text; peak memory is compared with
# the size of that text. Adds table rows and the lines of "notes".
crx="$build/tools/kestrova-crx"
[ "$base.15o.gz" -nt "$rinex" ] || gzip -c "$rinex" >"$base.15o.gz"
[ "$base.15d" -nt "$rinex" ] || "$crx" "$rinex" "$base.15d"
[ "$base.15d.gz" -nt "$base.15d" ] || gzip -c "$base.15d" >"$base.15d.gz"

time_case decode "$reps" "$crx" --decode "$base.15d" /dev/null
fmt_row "Compact RINEX decoder alone (\`kestrova-crx --decode\`)" "$st" ""
decode_med=${st%% *}
declare -A peak_of
for form in 15o.gz 15d 15d.gz; do
  res="$out/$form.gof"
  # shellcheck disable=SC2086
  time_case "$form" "$reps" "$kestrova" "-o$base.$form" "-r$res" -cGE $typical
  med_of[$form]=${st%% *}
  read -r _ _ _ peak_of[$form] <<<"$st"
  fmt_row "kestrova typical list, -cGE, from \`.$form\` ($(stat -c %s "$base.$form" | awk '{ printf "%.1f MB", $1 / 1e6 }'))" "$st" "$(rows_of "$res")"
  rm -f "$res"
done
notes+=("$(awk -v d="$decode_med" -v b="$bytes" -v p="${med_of[typical]}" -v g="${med_of[15d.gz]}" \
  -v k="${peak_of[15d.gz]}" 'BEGIN {
    printf "Compact RINEX: the decoder gives %.0f MB/s of RINEX text (target at least 200); the typical list from the `.15d.gz` form takes %.2f times the time of the plain file (target at most 1.5), with a peak of %.2f times the decompressed text (target at most 3).", b / 1e6 / d, g / p, k * 1024 / b }')")
