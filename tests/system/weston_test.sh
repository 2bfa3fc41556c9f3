#!/bin/bash
# A Wayland session: Weston (its X11 backend, nested in this test's Xvfb) with two
# outputs and XWayland. With --x11 the program starts on the X11 platform through
# XWayland, shows its grey frame on one monitor, and "Run QAV" first tells the
# experimenter that the pointer is held to the whole task window only there.
set -u
. "$(dirname "$0")/lib.sh"
truv=$1
work=$(mktemp -d)
command -v weston >/dev/null || fail "weston is not installed (make test installs it)"

export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
socket="wayland-truv-$$"
weston --backend=x11-backend.so --output-count=2 --width=1024 --height=768 --use-pixman \
  --xwayland --socket="$socket" --idle-time=0 >"$work/weston.log" 2>&1 &
weston=$!
trap 'kill -9 ${pid:-} 2>/dev/null; kill $weston 2>/dev/null; rm -rf "$work"' EXIT

# Weston picks a free display number for XWayland and says which.
end=$(( $(date +%s) + TIMEOUT ))
xwayland=""
while [ -z "$xwayland" ] && [ "$(date +%s)" -lt "$end" ]; do
  kill -0 "$weston" 2>/dev/null || { cat "$work/weston.log" >&2; fail "weston ended"; }
  xwayland=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/weston.log" | head -n 1)
  [ -n "$xwayland" ] || sleep 0.2
done
[ -n "$xwayland" ] || { cat "$work/weston.log" >&2; fail "XWayland did not start"; }

export DISPLAY=$xwayland WAYLAND_DISPLAY=$socket
unset QT_QPA_PLATFORM XDG_SESSION_TYPE
launch "$truv" --x11

# Found by xdotool on XWayland's display: the program is an X11 client.
frame=$(wait_for_window "TRUV") || fail "no grey frame on XWayland's display (not on the X11 platform?)"
menu=$(wait_for_window "TRUV for Windows 2.3") || fail "the main menu did not appear"
eval "$(xdotool getwindowgeometry --shell "$frame")"
fx=$X fy=$Y fw=$WIDTH fh=$HEIGHT
[ "$fw" = 1024 ] && [ "$fh" = 768 ] && { [ "$fx" = 0 ] || [ "$fx" = 1024 ]; } && [ "$fy" = 0 ] \
  || fail "the grey frame is not one monitor: ${fw}x${fh} at $fx,$fy"
# Weston places the program's other windows itself, on either output, and ignores a
# client's own positions: where the main menu appears is the compositor's choice and
# is not checked here.

fresh=$(decline_wayland_notice "$menu") || exit 1
key_to "$fresh" Escape
wait_for_exit "$pid" || fail "Escape did not end the program"

trap 'kill $weston 2>/dev/null; rm -rf "$work"' EXIT
echo "PASS"
