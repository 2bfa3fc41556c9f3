#!/bin/bash
# A run whose input file names a list file that is not there: after the subject
# page the "File Error" dialog names the missing file, and closing it returns to a
# fresh main menu with nothing written.
set -u
. "$(dirname "$0")/lib.sh"
truv=$1
work=$(mktemp -d)

printf '1\r\nPlease sort the words.#\r\n' >"$work/intro.bgi"
printf '6\r\n6\r\nFruit\r\napple\r\npear\r\nplum\r\ncherry\r\nlemon\r\nTools\r\nhammer\r\nsaw\r\ndrill\r\nfile\r\nwrench\r\n' \
  >"$work/objects.wls"
printf 'intro.bgi\t1\tobjects.wls\tmissing.wls\t0\t0\t1\t0\t2\t3\t0\t0\r\n' >"$work/study.inp"

launch "$truv"
trap 'kill -9 $pid 2>/dev/null; rm -rf "$work"' EXIT

menu=$(wait_for_window "TRUV for Windows 2.3") || fail "the main menu did not appear"
key_to "$menu" Return
page=$(wait_for_window "Subject Information Page") || fail "Enter on the menu did not show the subject page"
key_to "$page" ctrl+a
xdotool type --delay 20 "$work/study.inp"
xdotool key --delay 50 Tab Tab ctrl+a
xdotool type --delay 20 "$work/run.dat"
xdotool key Return
wait_for_window_gone "$page" || fail "OK did not close the subject page"

error=$(wait_for_window "File Error") || fail "no File Error dialog for the missing list file"
[ -n "${TRUV_SHOT:-}" ] && import -window root "$TRUV_SHOT"
key_to "$error" Return
wait_for_window_gone "$error" || fail "Enter did not close the File Error dialog"
fresh=$(wait_for_window "TRUV for Windows 2.3" "$menu") || fail "no fresh main menu after the file error"
key_to "$fresh" Escape
wait_for_exit "$pid" || fail "Escape did not end the program"
[ "$EXIT_STATUS" = "0" ] || fail "exit status $EXIT_STATUS"
[ ! -e "$work/run.dat" ] || fail "a data file was written for a run that stopped"
[ ! -e "$work/run.slg" ] || fail "a subject log was written for a run that stopped"

trap 'rm -rf "$work"' EXIT
echo "PASS"
