#!/bin/bash
# Takes the screenshots of the README and the user guide from the real program and
# its screens in a virtual X server:  take-screenshots.sh BUILD_DIR OUTPUT_DIR [NAME...]
# With names, only those screens are taken (main-menu is the real program's,
# results-window and results-report truv-results', every other one the dialog
# gallery's). The wayland-* screens are the gallery's under a headless GNOME
# compositor (mutter), with the program a native Wayland client: the full-screen
# frame with the screen drawn in it, grabbed from the program's own window (a bare
# compositor offers no screenshot), at 1280 x 1024 and shown at half that size.
# task-window-scale-2 is the real program's at truv --scale 2 on a 2560 x 1600 screen.
set -eu
build=$(realpath "$1")
out=$(realpath -m "$2")
shift 2
mkdir -p "$out"
here=$(cd "$(dirname "$0")" && pwd)

# Every screen of the gallery, in the order of the user guide.
screens="main-menu subject-page field-message browse-input browse-data file-error instruction-page
         text-question radio-question list-question warning tutorial list-review next-block
         task-start task-word task-error block-feedback exit-code report write-error output-trouble
         about codebook-save codebook-append
         new-input-file input-file browse-instructions session-settings
         stimulus-lists editor-open instruction-editor questionnaire-editor list-options exit-warning
         results-window results-report wayland-task-window wayland-next-block task-window-scale-2"
[ $# -gt 0 ] && screens="$*"
# truv-results' screens need a larger screen than the dialogs: they are taken apart.
results_screens=
gallery_screens=
wayland_screens=
scaled_screens=
for screen in $screens; do
  case $screen in
  task-window-scale-*) scaled_screens="$scaled_screens $screen" ;;
  results-*) results_screens="$results_screens $screen" ;;
  wayland-*) wayland_screens="$wayland_screens $screen" ;;
  *) gallery_screens="$gallery_screens $screen" ;;
  esac
done

# One time zone, so that the file dialogs show the same times everywhere.
[ -z "$gallery_screens" ] || TZ=UTC XVFB_SCREEN=1024x768x24 SCREENS="$gallery_screens" "$here/../tests/system/under_xvfb.sh" bash -c '
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

# truv-results on a small study written by truv-sim from the example: three runs, one
# answered so fast that both its sessions are excluded, and one that stopped (its data
# lines, and its timing rows, without a subject log line). The window with the study open and its first run
# selected; the top of the report in headless Chromium.
[ -z "$results_screens" ] || TZ=UTC XVFB_SCREEN=1280x1024x24 SCREENS="$results_screens" "$here/../tests/system/under_xvfb.sh" bash -c '
  set -eu
  . "'"$here"'/../tests/system/lib.sh"
  build="'"$build"'"; out="'"$out"'"; examples="'"$here"'/../examples/demo"
  work=$(mktemp -d)
  cp "$examples"/*.inp "$examples"/*.wls "$examples"/*.qls "$examples"/*.bgi "$work/"
  cd "$work"
  sim() { "$build/tools/truv-sim" demo-two-sessions.inp "$@" >/dev/null; }
  sim --data study.dat --subject 1 --sex f --seed 1
  sim --data study.dat --subject 2 --sex m --seed 2
  sim --data study.dat --subject 3 --sex f --other fast --rt-mean 320 --rt-sd 40 --rt-tau 60 --seed 3
  sim --data stopped.dat --subject 4 --sex m --skip 7:5 --seed 4
  tail -n +2 stopped.dat >>study.dat
  tail -n +2 stopped.timing.tsv >>study.timing.tsv

  for screen in $SCREENS; do
    case $screen in
    results-window)
      launch "$build/tools/truv-results" study.dat
      window=$(wait_for_window "TRUV Results") || fail "no truv-results window"
      # Taken once the file is read and the charts of the first run are drawn.
      for _ in $(seq 1 120); do
        import -window "$window" "$work/shot.png"
        convert "$work/shot.png" -alpha off -format %c histogram:info:- | grep -qi " #CC79A7 " && break
        sleep 0.5
      done
      sleep 1
      import -window "$window" "$out/results-window.png"
      key_to "$window" ctrl+q
      wait_for_exit $pid
      ;;
    results-report)
      "$build/tools/truv-results" --html report.html study.dat >/dev/null 2>&1
      sandbox=; [ "$(id -u)" = 0 ] && sandbox=--no-sandbox
      chromium --headless $sandbox --disable-gpu --user-data-dir="$work/profile" --no-first-run \
        --screenshot="$out/results-report.png" --window-size=1200,2700 "file://$work/report.html" >/dev/null 2>&1
      ;;
    esac
  done
  cd /
  rm -rf "$work"
'
# The task window of a run at truv --scale 2 under openbox, the block's first word
# shown: taken by the system test of the scale, which drives the run there.
if [ -n "$scaled_screens" ]; then
  TZ=UTC TRUV_WM=openbox XVFB_SCREEN=2560x1600x24 TRUV_SHOT="$out/task-window-scale-2.png" \
    "$here/../tests/system/under_xvfb.sh" "$here/../tests/system/scaled_run_test.sh" "$build/truv" \
    "$build/tests/task_window_probe" >/dev/null
fi
echo "wrote the screenshots to $out"

# The participant's screens as the program draws them natively on Wayland.
[ -z "$wayland_screens" ] || TZ=UTC SCREENS="$wayland_screens" dbus-run-session -- bash -c '
  set -eu
  . "'"$here"'/../tests/system/lib.sh"
  . "'"$here"'/../tests/system/wayland/lib.sh"
  build="'"$build"'"; out="'"$out"'"
  work=$(mktemp -d)
  trap "kill \${mutter:-} 2>/dev/null; rm -rf \"$work\"" EXIT
  start_mutter
  for screen in $SCREENS; do
    case $screen in
    wayland-task-window) shown=task-word ;;
    wayland-next-block) shown=next-block ;;
    *) fail "no such screen: $screen" ;;
    esac
    QT_QPA_PLATFORM=wayland "$build/tests/dialog_gallery" "$shown" --in-frame "$work/$screen.png" >"$work/out" 2>"$work/err" \
      || fail "the gallery did not grab $shown"
    convert "$work/$screen.png" -resize 50% "$out/$screen.png"
  done
' 2> >(grep -v "Failed to set fd limit" >&2)
