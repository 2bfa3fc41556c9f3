#!/bin/bash
# Runs a command in a virtual X server of its own:  under_xvfb.sh COMMAND [ARGS...]
# (TRUV_WM=openbox adds a window manager.)
# The server picks a free display number itself (-displayfd), so tests that run in
# parallel never race for one; it is stopped when the command ends.
set -u
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 ${XVFB_SCREEN:-1280x1024x24} -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
cleanup() { kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

for _ in $(seq 1 600); do
  display=$(head -n 1 "$work/display" 2>/dev/null)
  [ -n "$display" ] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.1
done
if [ -z "${display:-}" ]; then
  echo "Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi

export DISPLAY=":$display"
# The server can refuse connections for a moment after it announced itself; the
# test starts once a client has been served.
for _ in $(seq 1 100); do
  xdotool getdisplaygeometry >/dev/null 2>&1 && break
  sleep 0.1
done
# With TRUV_WM, a window manager (openbox, metacity, ...) runs on the server too; the
# test starts once it has announced itself on the root window. Like any client it may
# be refused a connection for a moment: it is started again, up to three times.
if [ -n "${TRUV_WM:-}" ]; then
  for attempt in 1 2 3; do
    "$TRUV_WM" >"$work/wm.log" 2>&1 &
    wm=$!
    trap 'kill "$wm" 2>/dev/null; cleanup' EXIT
    for _ in $(seq 1 300); do
      xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break 2
      kill -0 "$wm" 2>/dev/null || break
      sleep 0.1
    done
    kill "$wm" 2>/dev/null
    wait "$wm" 2>/dev/null
    [ "$attempt" = 3 ] && { echo "$TRUV_WM did not start:" >&2; cat "$work/wm.log" >&2; exit 1; }
    sleep 0.5
  done
fi
"$@"
