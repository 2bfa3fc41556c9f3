#!/bin/bash
# A whole run under a headless GNOME compositor (mutter) with the program as a native
# Wayland client, as on GNOME desktops without X11. Everything is judged from the
# compositor's side, by the protocol log of the program's connection (WAYLAND_DEBUG):
# the grey frame is full screen on the output; the run makes no window of its own (its
# screens are drawn in the frame, centred there by the program, nothing placed by the
# compositor); each of the seven blocks holds the pointer, however hard it is pushed:
# the first, begun before the seat has a pointer, is held from the moment it gains one
# (with the pointer off the task window: kept still, no motion while locked), the others, begun with the pointer in the window, keep it in the task
# window's narrowed rectangle (every motion while confined lies in the region); the
# pointer is free after the run's last block; the keys, sent through the compositor's RemoteDesktop interface,
# answer every trial.
set -u
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/lib.sh"
truv=$1
work=$(mktemp -d)
log="$work/wayland.log"
trap 'kill -9 ${pid:-} 2>/dev/null; kill ${remote:-} ${mutter:-} 2>/dev/null; rm -rf "$work"' EXIT

start_mutter
# The seat has no pointer until block 1 has begun: the block is held from the moment
# one appears.
start_remote_input keys-only
write_small_study "$work" 2 3
data="$work/run.dat"
wlog() { "$PYTHON" "$(dirname "$0")/wayland_log.py" "$log" "$@"; }

# Waits until the keyboard is on the surface $1.
wait_for_keyboard() {
  local end=$(( $(date +%s) + TIMEOUT ))
  until [ -n "$1" ] && [ "$(wlog focus)" = "$1" ]; do
    [ "$(date +%s)" -lt "$end" ] || return 1
    sleep 0.2
  done
}
# Waits until a toplevel titled $1 other than the surface $2 is made; prints its surface.
wait_for_toplevel() {
  local end=$(( $(date +%s) + TIMEOUT )) surface
  while :; do
    surface=$(wlog surface "$1")
    if [ -n "$surface" ] && [ "$surface" != "${2:-}" ]; then echo "$surface"; return 0; fi
    [ "$(date +%s)" -lt "$end" ] || return 1
    sleep 0.2
  done
}
enter() { press_codes 28; sleep 0.3; }
ctrl_a() { echo "keys 29 30" >&7; sleep 0.05; }
tab() { press_codes 15; }
type_text() { echo "type $1" >&7; sleep 0.2; }

WAYLAND_DEBUG=1 "$truv" >"$work/out" 2>"$log" &
pid=$!
frame=$(wait_for_toplevel "TRUV") || fail "no grey frame"
menu=$(wait_for_toplevel "TRUV for Windows 2.3") || fail "the main menu did not appear"
wait_for_keyboard "$menu" || fail "the main menu did not get the keyboard"
before=$(wlog toplevels)
enter
# The run's screens are drawn in the frame, which has the keyboard from now on.
wait_for_keyboard "$frame" || fail "the frame did not get the keyboard after Run QAV"
ctrl_a; type_text "$work/study.inp"
tab; tab; ctrl_a; type_text "$data"
tab; tab; ctrl_a; type_text 7
enter
# Four pages, then per block: the next-block dialog, the block, its feedback; a page
# before each half of the session; the completion page.
lines=1
blocks_done=0
steps="page page page page
       next block feedback next block feedback next block feedback
       page next block feedback
       page next block feedback next block feedback
       page next block feedback
       page"
for step in $steps; do
  case $step in
    page|feedback) enter ;;
    next)
      # The first block opens with the pointer where the seat put it, off the task
      # window (held still there); every other one with the pointer moved to where the
      # task window will be (held in its rectangle).
      if [ "$blocks_done" -gt 0 ]; then
        read -r x y <<<"$(wlog pointer)"
        echo "move $((640 - x)) $((512 - y))" >&7
        sleep 0.3
      fi
      enter ;;
    block)
      press_codes 57
      # The seat's pointer appears in block 1, after its START.
      [ "$blocks_done" -gt 0 ] || { sleep 0.5; echo "move 1 1" >&7; sleep 0.5; }
      # Pushed hard every way while the block runs, then answered until its lines are
      # in the data file: A and the keypad's 5 in turn.
      for move in "900 0" "-1800 0" "900 600" "0 -1200" "0 600"; do echo "move $move" >&7; sleep 0.05; done
      presses=0
      until [ "$(cat "$data" 2>/dev/null | wc -l)" -gt "$lines" ]; do
        [ "$presses" -lt 400 ] || fail "block $((blocks_done + 1)) did not end"
        if [ $((presses % 2)) = 0 ]; then press_codes 30; else press_codes 76; fi
        presses=$((presses + 1))
        sleep 0.05
      done
      blocks_done=$((blocks_done + 1))
      sleep 0.3
      lines=$(wc -l <"$data")
      # Free again: pushed out of the task window before the feedback is closed.
      echo "move 600 500" >&7; sleep 0.3 ;;
  esac
done
sleep 0.5
ctrl_a; type_text zup; enter
fresh=$(wait_for_toplevel "TRUV for Windows 2.3" "$menu") || fail "no fresh main menu after the run"
wait_for_keyboard "$fresh" || fail "the fresh main menu did not get the keyboard"
press_codes 1
wait_for_exit "$pid" || fail "Escape did not end the program"
[ "$EXIT_STATUS" = "0" ] || fail "exit status $EXIT_STATUS"

[ "$(wlog frame)" = "1280x1024" ] || fail "the grey frame is $(wlog frame), not the output's 1280x1024"
[ "$(wlog toplevels)" = $((before + 1)) ] || fail "the run made windows of its own: $(wlog toplevels) toplevels, $((before + 1)) expected"
[ "$(wlog blocks)" = 7 ] || fail "$(wlog blocks) pointer constraints, one per block (7) expected"
wlog late-pointer || fail "block 1 was not held from the moment the seat gained its pointer"
wlog check-hold || fail "the pointer was not held in every block"
wlog free-after || fail "the pointer was not free after the last block"

[ "$(wc -l <"$data")" = 17 ] || fail "data file has $(wc -l <"$data") lines, expected the header and 16"
blocks_seen=$(tail -n +2 "$data" | cut -f 14 | tr '\n' ' ')
[ "$blocks_seen" = "1 1 2 2 3 3 4 4 4 5 5 6 6 7 7 7 " ] || fail "Block column: $blocks_seen"
bad=$(tail -n +2 "$data" | awk -F'\t' '$20 !~ /^[0-9]+$/ || $20 == 99999 || ($22 != "l" && $22 != "r") { print NR ": " $0 }')
[ -z "$bad" ] || fail "trials not answered: $bad"
# Every block's words timed from mutter's presentation reports, its keys from mutter's
# stamps on the monotonic clock.
timing="$work/run.timing.tsv"
rows=$(tail -n +2 "$timing" | awk -F'\t' '{ printf "%s:%s:%s ", $6, $7, $12 }')
expected=""
for b in 1 2 3 4 5 6 7; do expected+="$b:Wayland presentation:CLOCK_MONOTONIC "; done
[ "$rows" = "$expected" ] || fail "timing rows (block:onsets:key clock): $rows"
echo "PASS"
