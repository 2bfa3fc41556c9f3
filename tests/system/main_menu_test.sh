#!/bin/bash
# truv starts with a full-screen light grey window and the main menu; Enter on the
# menu starts a run with the subject page, whose Escape (Cancel) returns to a fresh
# menu; Escape on the menu ends the program with status 0.
set -u
. "$(dirname "$0")/lib.sh"
truv=$1

work=$(mktemp -d)
launch "$truv"
trap 'kill -9 $pid 2>/dev/null; rm -rf "$work"' EXIT

frame=$(wait_for_window "TRUV") || fail "the main frame did not appear"
geometry=$(xdotool getwindowgeometry "$frame")
echo "$geometry" | grep -q "Position: 0,0" || fail "frame not at 0,0: $geometry"
echo "$geometry" | grep -q "Geometry: 1280x1024" || fail "frame does not cover the screen: $geometry"

menu=$(wait_for_window "TRUV for Windows 2.3") || fail "the main menu did not appear"
colour=$(pixel_at 3 3)
[ "$colour" = "C8C8C8" ] || fail "the frame is not light grey 200/200/200: $colour"

key_to "$menu" Return
wait_for_window_gone "$menu" || fail "Enter did not close the menu"
page=$(wait_for_window "Subject Information Page") || fail "Enter on the menu did not show the subject page"
key_to "$page" Escape
wait_for_window_gone "$page" || fail "Escape did not close the subject page"
fresh=$(wait_for_window "TRUV for Windows 2.3" "$menu") || fail "no fresh menu after the cancelled run"
kill -0 "$pid" 2>/dev/null || fail "the program ended after the cancelled run"

key_to "$fresh" Escape
wait_for_exit "$pid" || fail "Escape did not end the program"
[ "$EXIT_STATUS" = "0" ] || fail "exit status $EXIT_STATUS"
trap 'rm -rf "$work"' EXIT
echo "PASS"
