#!/bin/bash
# In a Wayland session (here only its environment) the program still runs on X11,
# and "Run QAV" first tells the experimenter that the pointer is not held exactly:
# "Back to the menu" (the default, Enter) returns to a fresh menu, "Go on" goes on to
# the subject page.
set -u
. "$(dirname "$0")/lib.sh"
truv=$1
work=$(mktemp -d)

WAYLAND_DISPLAY=wayland-absent XDG_SESSION_TYPE=wayland launch "$truv"
trap 'kill -9 $pid 2>/dev/null; rm -rf "$work"' EXIT

menu=$(wait_for_window "TRUV for Windows 2.3") || fail "the main menu did not appear (not on X11?)"
fresh=$(decline_wayland_notice "$menu") || exit 1

key_to "$fresh" Return
notice=$(wait_for_window "Wayland session") || fail "no notice the second time"
# "Go on" is the first button: Tab from the default button, then Space.
xdotool windowfocus --sync "$notice" 2>/dev/null
xdotool key --delay 100 shift+Tab space
page=$(wait_for_window "Subject Information Page") || fail "Go on did not lead to the subject page"
key_to "$page" Escape
wait_for_window_gone "$page" || fail "Escape did not close the subject page"
menu=$(wait_for_window "TRUV for Windows 2.3") || fail "no main menu after the cancelled subject page"
key_to "$menu" Escape
wait_for_exit "$pid" || fail "Escape did not end the program"

trap 'rm -rf "$work"' EXIT
echo "PASS"
