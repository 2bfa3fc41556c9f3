#!/bin/bash
# A run whose input file names a list file that is not there: after the subject
# page the "File Error" dialog names the missing file, and closing it returns to a
# fresh main menu with nothing written.
set -u
. "$(dirname "$0")/lib.sh"
truv=$1
work=$(mktemp -d)

write_small_study "$work" 2 3 missing.wls

launch "$truv"
trap 'kill -9 $pid 2>/dev/null; rm -rf "$work"' EXIT

menu=$(wait_for_window "TRUV for Windows 2.3") || fail "the main menu did not appear"
key_to "$menu" Return
page=$(wait_for_window "Subject Information Page") || fail "Enter on the menu did not show the subject page"
fill_subject_page "$page" "$work/study.inp" "$work/run.dat"

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
