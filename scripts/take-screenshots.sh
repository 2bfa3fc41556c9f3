#!/bin/bash
# Takes the screenshots of the README and the user guide from the real program and
# its screens in a virtual X server:  take-screenshots.sh BUILD_DIR OUTPUT_DIR [NAME...]
# With names, only those screens are taken (main-menu is the real program's, every
# other one the dialog gallery's).
set -eu
build=$(realpath "$1")
out=$(realpath -m "$2")
shift 2
mkdir -p "$out"
here=$(cd "$(dirname "$0")" && pwd)

# Every screen of the gallery, in the order of the user guide.
screens="main-menu subject-page field-message browse-input browse-data file-error instruction-page
         text-question radio-question list-question warning tutorial list-review next-block
         task-start task-word task-error block-feedback exit-code report write-error
         about codebook-save codebook-append
         new-input-file input-file browse-instructions session-settings
         stimulus-lists editor-open instruction-editor questionnaire-editor list-options exit-warning"
[ $# -gt 0 ] && screens="$*"

# One time zone, so that the file dialogs show the same times everywhere.
TZ=UTC XVFB_SCREEN=1024x768x24 SCREENS="$screens" "$here/../tests/system/under_xvfb.sh" bash -c '
  set -eu
  . "'"$here"'/../tests/system/lib.sh"
  build="'"$build"'"; out="'"$out"'"
  work=$(mktemp -d)

  for screen in $SCREENS; do
    if [ "$screen" = main-menu ]; then
      launch "$build/truv"
      menu=$(wait_for_window "TRUV for Windows 2.3") || fail "no main menu"
      sleep 1
      import -window root "$out/main-menu.png"
      key_to "$menu" Escape
      wait_for_exit $pid
      continue
    fi
    # The gallery says which part of the screen to take once its screen has settled.
    launch "$build/tests/dialog_gallery" "$screen"
    area=
    end=$(( $(date +%s) + TIMEOUT ))
    while [ -z "$area" ] && [ "$(date +%s)" -lt "$end" ]; do
      kill -0 $pid 2>/dev/null || break
      area=$(sed -n "s/^ready //p" "$work/out")
      [ -n "$area" ] || sleep 0.1
    done
    [ -n "$area" ] || fail "the gallery did not show $screen"
    import -window root -crop "$area" +repage "$out/$screen.png"
    kill $pid; wait $pid 2>/dev/null || true
  done
  rm -rf "$work"
'
echo "wrote the screenshots to $out"
