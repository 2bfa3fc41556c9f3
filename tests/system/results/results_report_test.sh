#!/bin/bash
# truv-results --html, without a display, on the data of the example study's
# two-session input file written by truv-sim: three complete runs, one that stopped
# (its data lines without a subject log line) with markup in its other code and a
# block ended early. The report is one self-contained file with a section and the
# charts of every run, and headless Chromium shows it with the charts' colours.
#   results_report_test.sh TRUV_RESULTS TRUV_SIM
set -u
. "$(dirname "$0")/../lib.sh"
results=$1
sim=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# --- the data
copy_example_study "$work"
for subject in 1 2 3; do
  simulate "$sim" "$work/demo-two-sessions.inp" --data "$work/study.dat" --subject "$subject" --sex f --seed "$subject"
done
simulate "$sim" "$work/demo-two-sessions.inp" --data "$work/stopped.dat" --subject 4 --other 'a<b>&c' --skip 3:2 --seed 4
tail -n +2 "$work/stopped.dat" >>"$work/study.dat"

# --- the report
[ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || echo "note: a display is set; the report is written without it all the same"
"$results" --html "$work/report.html" "$work/study.dat" >"$work/out" 2>"$work/err"
status=$?
[ "$status" = 0 ] || fail "truv-results --html: exit status $status"
[ -s "$work/report.html" ] || fail "no report was written"
html=$work/report.html

head -n 1 "$html" | grep -qx '<!DOCTYPE html>' || fail "the report does not start with the HTML5 doctype"
grep -q '<meta charset="utf-8">' "$html" || fail "the report does not say it is UTF-8"
iconv -f UTF-8 -t UTF-8 "$html" >/dev/null 2>&1 || fail "the report is not valid UTF-8"
for outside in '<script' 'http://' 'https://' '<link' '<img' 'src=' '@import'; do
  grep -qiF -- "$outside" "$html" && fail "the report holds '$outside': it must need nothing outside itself"
done
grep -qiE 'url\( *[^# ]' "$html" && fail "the report refers to a resource outside itself with url()"
ids=$(grep -o ' id="[^"]*"' "$html" | sort | uniq -d)
[ -z "$ids" ] || fail "ids used more than once in the report: $ids"
sections=$(grep -c '<section class="run" id="run-' "$html")
[ "$sections" = 4 ] || fail "$sections run sections, not 4"
charts=$(grep -c '<svg' "$html")
[ "$charts" = 18 ] || fail "$charts charts, not 18 (2 for the study, 2 per session of 4 runs of 2 sessions)"
grep -qF 'a&lt;b&gt;&amp;c' "$html" || fail "the other code with markup is not in the report, escaped"
grep -qF 'a<b>&c' "$html" && fail "the other code's markup stands unescaped in the report"
grep -q 'incomplete' "$html" || fail "the stopped run is not flagged incomplete"

# --- the report in a browser
chromium=$(command -v chromium || command -v chromium-browser) || fail "chromium is not installed (make deps-test)"
sandbox=()
[ "$(id -u)" = 0 ] && sandbox=(--no-sandbox)
# Tall enough for the summary, the study's charts, the table and the first run's charts.
timeout 90 "$chromium" --headless "${sandbox[@]}" --disable-gpu --user-data-dir="$work/profile" --no-first-run \
  --screenshot="$work/shot.png" --window-size=1200,6000 "file://$html" >"$work/chromium.log" 2>&1
[ -s "$work/shot.png" ] || { cat "$work/chromium.log" >&2; fail "Chromium took no screenshot of the report"; }
[ "$(identify -format '%wx%h' "$work/shot.png")" = 1200x6000 ] || fail "the screenshot is not 1200x6000"

# Pixels of each colour, from ImageMagick's histogram ("count: (r,g,b) #RRGGBB ...").
convert "$work/shot.png" -alpha off -format %c histogram:info:- >"$work/histogram"
pixels_of() { { grep -i " #$1 " "$work/histogram" || echo 0:; } | head -n 1 | sed 's/:.*//; s/ //g'; }
colours=$(wc -l <"$work/histogram")
white=$(pixels_of FFFFFF)
[ "$colours" -gt 50 ] || fail "the screenshot has $colours colours: blank?"
[ "$white" -lt $((1200 * 6000 * 97 / 100)) ] || fail "the screenshot is almost all white ($white pixels)"
# Block roles, halves, the mean.
for colour in E69F00 56B4E9 009E73 CC79A7 0072B2 D55E00 000000; do
  n=$(pixels_of $colour)
  [ "$n" -ge 20 ] || fail "the chart colour #$colour shows in $n pixels of the screenshot"
done
echo "PASS"
