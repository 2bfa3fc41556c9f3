#!/bin/bash
# A whole run under a headless GNOME compositor (mutter) with XWayland, the session of
# GNOME desktops without X11: with --x11 the program starts on the X11 platform through XWayland,
# its grey frame covers the output, "Run QAV" first shows the Wayland notice, and the
# seven blocks of a small study are answered with keys that reach the program through
# the compositor (its RemoteDesktop interface), as a participant's keyboard does.
# Every trial is then in the data file.
set -u
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/lib.sh"
truv=$1
work=$(mktemp -d)
class=$(basename "$truv")
trap 'kill -9 ${pid:-} 2>/dev/null; kill ${remote:-} ${mutter:-} 2>/dev/null; rm -rf "$work"' EXIT

CLIENT_LOG="$work/xwayland.log" start_mutter
start_remote_input
write_small_study "$work" 2 3
data="$work/run.dat"

launch "$truv" --x11
frame=$(wait_for_window "TRUV") || fail "no grey frame on XWayland's display"
eval "$(xdotool getwindowgeometry --shell "$frame")"
[ "$X $Y $WIDTH $HEIGHT" = "0 0 1280 1024" ] || fail "the grey frame is ${WIDTH}x${HEIGHT} at $X,$Y, not the output"
menu=$(wait_for_window "TRUV for Windows 2.3") || fail "the main menu did not appear"
key_to "$menu" Return
notice=$(wait_for_window "Wayland session") || fail "no notice about the Wayland session"
key_to "$notice" shift+Tab space
page=$(wait_for_window "Subject Information Page") || fail "\"Go on\" did not show the subject page"
fill_subject_page "$page" "$work/study.inp" "$data" 7

steps="page page page page
       next block feedback next block feedback next block feedback
       page next block feedback
       page next block feedback next block feedback
       page next block feedback
       page code"
blocks=0
for step in $steps; do
  screen=$(wait_for_other_window "$class" "$frame") || fail "no screen for step '$step' after $blocks blocks"
  case $step in
    page|next|feedback) key_to "$screen" Return ;;
    block)
      wait_for_focus "$screen" || fail "block $((blocks + 1)): the task window did not get the keyboard focus"
      # The pointer into the middle of the task window, where XWayland's hold begins
      # (it holds a pointer that is over the window).
      echo "move -3000 -3000" >&7; echo "move 640 512" >&7; sleep 0.5
      press_codes 57
      # Pushed hard every way: XWayland must not let it leave the window.
      for move in "900 0" "-1800 0" "900 600" "0 -1200" "0 600"; do echo "move $move" >&7; sleep 0.05; done
      answer_block "$class" "$screen"
      blocks=$((blocks + 1)) ;;
    code)
      key_to "$screen" ctrl+a
      xdotool type --delay 50 zup
      xdotool key Return ;;
  esac
  wait_for_window_hidden "$class" "$screen" || fail "step '$step' did not close its screen"
done

fresh=$(wait_for_window "TRUV for Windows 2.3" "$menu") || fail "no fresh main menu after the run"
key_to "$fresh" Escape
wait_for_exit "$pid" || fail "Escape did not end the program"
[ "$EXIT_STATUS" = "0" ] || fail "exit status $EXIT_STATUS"

# Blocks 1 to 7, every trial answered by the keys the compositor passed on.
[ "$(wc -l <"$data")" = 17 ] || fail "data file has $(wc -l <"$data") lines, expected the header and 16"
blocks_seen=$(tail -n +2 "$data" | cut -f 14 | tr '\n' ' ')
[ "$blocks_seen" = "1 1 2 2 3 3 4 4 4 5 5 6 6 7 7 7 " ] || fail "Block column: $blocks_seen"
bad=$(tail -n +2 "$data" | awk -F'\t' '$20 !~ /^[0-9]+$/ || $20 == 99999 || ($22 != "l" && $22 != "r") { print NR ": " $0 }')
[ -z "$bad" ] || fail "trials not answered: $bad"
# Judged from the compositor's side, by XWayland's own protocol log: while one of its
# constraints held, the pointer never left the window it held it to. How often one
# took hold is XWayland's and mutter's affair (under mutter 43 its locks on the task
# window often never do): it is reported, not required.
read -r holds left <<<"$("$PYTHON" "$(dirname "$0")/wayland_log.py" "$work/xwayland.log" xwayland-hold)"
echo "XWayland's pointer constraints took hold $holds times in 7 blocks"
[ "$left" = 0 ] || fail "the pointer left the held window $left times"
echo "PASS"
