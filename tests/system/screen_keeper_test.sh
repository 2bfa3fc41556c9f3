#!/bin/bash
# A run keeps the screen on and the session unlocked, and gives both back when it
# ends. On a private session bus with a stand-in screen saver service and session
# manager: "Run QAV" asks both to inhibit before the subject page shows, and
# cancelling the page gives back exactly the cookies they answered. On the X server:
# the screen saver does not start while the subject page waits, and starts again
# once the run is over.
set -u
. "$(dirname "$0")/lib.sh"
truv=$1
probe=${TRUV_SAVER_PROBE:?TRUV_SAVER_PROBE names the screen saver probe}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
pid=""; fake=""; bus=""
cleanup() {
  for p in $pid $fake $bus; do { kill -9 "$p"; wait "$p"; } 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

# Waits until the log of the stand-in service has a line matching $1.
wait_for_call() {
  end=$(( $(date +%s) + TIMEOUT ))
  while [ "$(date +%s)" -lt "$end" ]; do
    grep -qx -- "$1" "$work/calls" 2>/dev/null && return 0
    sleep 0.2
  done
  return 1
}
calls_matching() { grep -cx -- "$1" "$work/calls"; }
saver_field() { "$probe" query | tr ' ' '\n' | sed -n "s/^$1=//p"; }

# --- a session bus of the test's own, and the stand-in services on it
dbus-daemon --session --nofork --print-address=3 3>"$work/bus" >/dev/null 2>"$work/bus.err" &
bus=$!
for _ in $(seq 1 $(( TIMEOUT * 10 ))); do
  [ -s "$work/bus" ] && break
  kill -0 "$bus" 2>/dev/null || break
  sleep 0.1
done
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus")
[ -n "$DBUS_SESSION_BUS_ADDRESS" ] || fail "the session bus did not start: $(cat "$work/bus.err")"
export DBUS_SESSION_BUS_ADDRESS
# Debian's own Python, which has the GObject bindings (python3-gi).
/usr/bin/python3 "$here/fake_screensaver.py" "$work/calls" 2>"$work/fake.err" &
fake=$!
wait_for_call ready || fail "the stand-in screen saver service did not start: $(cat "$work/fake.err")"

dpms_before=$(saver_field dpms)
write_small_study "$work" 2 3

launch "$truv"
menu=$(wait_for_window "TRUV for Windows 2.3") || fail "the main menu did not appear"
[ "$(calls_matching '.* Inhibit .*')" = 0 ] || fail "inhibited outside a run: $(paste -sd "|" "$work/calls")"

# --- during the run
key_to "$menu" Return
page=$(wait_for_window "Subject Information Page") || fail "Enter on the menu did not show the subject page"
wait_for_call "org.freedesktop.ScreenSaver Inhibit TRUV .* -> 41" \
  || fail "no screen saver inhibition during the run: $(paste -sd "|" "$work/calls")"
wait_for_call "org.gnome.SessionManager Inhibit truv 0 .* 8 -> 57" \
  || fail "no session manager inhibition during the run: $(paste -sd "|" "$work/calls")"
[ "$(calls_matching '.* Un[iI]nhibit .*')" = 0 ] || fail "released while the run goes on: $(paste -sd "|" "$work/calls")"

# With the screen saver due after one second, the page waits without input until
# the server has counted three: the screen saver must not have started.
"$probe" timeout 1
end=$(( $(date +%s) + TIMEOUT ))
while [ "$(saver_field idle)" -lt 3000 ]; do
  [ "$(date +%s)" -lt "$end" ] || fail "the server's idle time did not grow: $("$probe" query)"
  sleep 0.2
done
[ "$(saver_field saver)" = off ] || fail "the screen saver started during the run: $("$probe" query)"
if [ "$dpms_before" = enabled ]; then
  # The suspension stops the DPMS timers too: DPMS itself is left as it was, so
  # that a run that is killed leaves nothing switched off.
  [ "$(saver_field dpms)" = enabled ] || fail "DPMS was changed during the run: $("$probe" query)"
else
  echo "note: DPMS is $dpms_before on this server; its part is not checked"
fi

# --- cancelling the subject page ends the run
key_to "$page" Escape
wait_for_window_gone "$page" || fail "Escape did not close the subject page"
fresh=$(wait_for_window "TRUV for Windows 2.3" "$menu") || fail "no fresh main menu after the cancelled run"
wait_for_call "org.freedesktop.ScreenSaver UnInhibit 41" \
  || fail "the screen saver inhibition was not released: $(paste -sd "|" "$work/calls")"
wait_for_call "org.gnome.SessionManager Uninhibit 57" \
  || fail "the session manager inhibition was not released: $(paste -sd "|" "$work/calls")"
[ "$(calls_matching '.* Inhibit .*')" = 2 ] && [ "$(calls_matching '.* Un[iI]nhibit .*')" = 2 ] \
  || fail "not one inhibition and one release for each service: $(paste -sd "|" "$work/calls")"

end=$(( $(date +%s) + TIMEOUT ))
until [ "$(saver_field saver)" = on ]; do
  [ "$(date +%s)" -lt "$end" ] || fail "the screen saver did not start after the run: $("$probe" query)"
  sleep 0.2
done
[ "$(saver_field dpms)" = "$dpms_before" ] || fail "DPMS was $dpms_before before the run: $("$probe" query)"
"$probe" timeout 0
"$probe" reset

key_to "$fresh" Escape
wait_for_exit "$pid" || fail "Escape did not end the program"
[ "$EXIT_STATUS" = "0" ] || fail "exit status $EXIT_STATUS"
pid=""
echo "PASS"
