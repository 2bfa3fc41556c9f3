#!/bin/bash
# truv-results' window on an X server: started with a data file truv-sim wrote, it
# shows "TRUV Results" with the first run's charts in their colours, and Ctrl+Q ends
# it with status 0. Without a display it declines to open the window; usage errors
# and a data file that is not there end it at once with their exit statuses.
#   results_window_test.sh TRUV_RESULTS TRUV_SIM
set -u
. "$(dirname "$0")/../lib.sh"
results=$1
sim=$2
work=$(mktemp -d)
trap '[ -n "${pid:-}" ] && kill -9 "$pid" 2>/dev/null; rm -rf "$work"' EXIT

copy_example_study "$work"
for subject in 1 2; do
  simulate "$sim" "$work/demo-two-sessions.inp" --data "$work/study.dat" --subject "$subject" --seed "$subject"
done

# --- ends at once
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$results" "$work/study.dat" >"$work/out" 2>"$work/err"
status=$?
[ "$status" = 1 ] || fail "without a display: exit status $status, not 1"
grep -q "needs a display" "$work/err" || fail "without a display: no message saying why"
"$results" --no-such-option >"$work/out" 2>"$work/err"
status=$?
[ "$status" = 2 ] || fail "an unknown option: exit status $status, not 2"
"$results" --html "$work/r.html" "$work/missing.dat" >"$work/out" 2>"$work/err"
status=$?
[ "$status" = 1 ] || fail "a missing data file: exit status $status, not 1"
grep -q "missing.dat" "$work/err" || fail "a missing data file: the message does not name it"
[ ! -e "$work/r.html" ] || fail "a report was written although a data file was missing"

# --- the window
launch "$results" "$work/study.dat"
window=$(wait_for_window "TRUV Results") || fail "no window titled TRUV Results"
# The file is read on a worker thread; then the first run's charts show the colours
# of the four block roles.
end=$(( $(date +%s) + TIMEOUT ))
while :; do
  x_query import -window "$window" "$work/shot.png" >/dev/null || true
  convert "$work/shot.png" -alpha off -format %c histogram:info:- >"$work/histogram" 2>/dev/null
  missing=
  for colour in E69F00 56B4E9 009E73 CC79A7; do
    grep -qi " #$colour " "$work/histogram" || missing="$missing #$colour"
  done
  [ -z "$missing" ] && break
  [ "$(date +%s)" -lt "$end" ] || fail "the window does not show the run's charts (no$missing)"
  sleep 0.5
done
key_to "$window" ctrl+q
wait_for_exit "$pid" || fail "Ctrl+Q did not end the program"
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS after Ctrl+Q"
pid=
echo "PASS"
