#!/bin/bash
# Takes the README's screenshots from the real program in a virtual X server:
#   take-screenshots.sh PATH/TO/truv OUTPUT_DIR
set -eu
truv=$(realpath "$1")
out=$(realpath "$2")
mkdir -p "$out"
here=$(cd "$(dirname "$0")" && pwd)

XVFB_SCREEN=1024x768x24 "$here/../tests/system/under_xvfb.sh" bash -c '
  set -eu
  . "'"$here"'/../tests/system/lib.sh"
  "'"$truv"'" & pid=$!
  menu=$(wait_for_window "TRUV for Windows 2.3") || fail "no main menu"
  sleep 1
  import -window root "'"$out"'/main-menu.png"
  key_to "$menu" Escape
  wait_for_exit $pid
'
echo "wrote $out/main-menu.png"
