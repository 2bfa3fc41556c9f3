#!/bin/bash
# truv-timing natively on Wayland under a headless GNOME compositor (mutter): its keys
# go through the compositor's RemoteDesktop interface, the task window is drawn in the
# full-screen frame as in a run, it finds the clock of the compositor's key stamps
# (mutter's is the monotonic clock), and its words' onsets are the compositor's
# presentation reports. Its figures are printed, never judged here.
set -u
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/lib.sh"
timing=$1
work=$(mktemp -d)
trap 'kill ${mutter:-} 2>/dev/null; rm -rf "$work"' EXIT

start_mutter
"$timing" --trials 3 >"$work/out" 2>"$work/err" || { cat "$work/out"; fail "truv-timing failed"; }
cat "$work/out"
grep -q "^TRUV timing: the task window natively on Wayland (1280 x 1024)" "$work/out" || fail "not measured natively"
grep -q "^Keys: sent through the compositor's remote desktop interface (org.gnome.Mutter.RemoteDesktop)." \
  "$work/out" || fail "the keys' way is not said"
grep -q "^Key times: the compositor's own stamps, found on CLOCK_MONOTONIC." "$work/out" \
  || fail "the key clock was not found"
grep -q "^Onsets: Wayland presentation, every " "$work/out" || fail "the onsets are not the compositor's reports"
grep -q "latency error, recorded minus true *9 " "$work/out" || fail "not every latency was measured"
echo "PASS"
