#!/bin/bash
# Runs a command in a virtual X server of its own:  under_xvfb.sh COMMAND [ARGS...]
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
"$@"
