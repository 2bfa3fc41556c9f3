#!/bin/bash
# Takes the README's screenshots from the real program and its screens in a virtual
# X server:  take-screenshots.sh BUILD_DIR OUTPUT_DIR
set -eu
build=$(realpath "$1")
out=$(realpath "$2")
mkdir -p "$out"
here=$(cd "$(dirname "$0")" && pwd)

XVFB_SCREEN=1024x768x24 "$here/../tests/system/under_xvfb.sh" bash -c '
  set -eu
  . "'"$here"'/../tests/system/lib.sh"
  build="'"$build"'"; out="'"$out"'"
  work=$(mktemp -d)

  launch "$build/truv"
  menu=$(wait_for_window "TRUV for Windows 2.3") || fail "no main menu"
  sleep 1
  import -window root "$out/main-menu.png"
  key_to "$menu" Escape
  wait_for_exit $pid

  for screen in subject-page instruction-page next-block block-feedback report \
                text-question radio-question list-question list-review \
                input-file session-settings stimulus-lists \
                instruction-editor questionnaire-editor list-options; do
    launch "$build/tests/dialog_gallery" "$screen"
    wait_for_window "TRUV" >/dev/null || fail "no main frame for $screen"
    sleep 1
    import -window root "$out/$screen.png"
    kill $pid; wait $pid 2>/dev/null || true
  done
'
echo "wrote the screenshots to $out"
