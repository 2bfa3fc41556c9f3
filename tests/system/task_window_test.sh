#!/bin/bash
# One block in the real task window on an X server: Space starts it, A and the
# keypad's 5 answer (one wrong answer on the second word), Enter and Escape before
# and after Space do nothing, the pointer cannot leave the confinement rectangle
# during the block and is free after it, and the results are recorded as answered.
set -u
. "$(dirname "$0")/lib.sh"
probe=$2
work=$(mktemp -d)
status="$work/status"

"$probe" "$status" >"$work/out" 2>"$work/err" &
pid=$!
trap 'kill -9 $pid 2>/dev/null; cat "$work/err" >&2; rm -rf "$work"' EXIT

# Waits until the status file's line starts with $1 and prints the line.
wait_for_status() {
  end=$(( $(date +%s) + TIMEOUT ))
  while [ "$(date +%s)" -lt "$end" ]; do
    line=$(cat "$status" 2>/dev/null)
    case "$line" in "$1"*) echo "$line"; return 0 ;; esac
    kill -0 "$pid" 2>/dev/null || { cat "$work/err" >&2; return 1; }
    sleep 0.05
  done
  return 1
}

# Fails unless the pointer, pushed to the screen's corners, stays inside l t r b.
check_pointer_inside() {
  for corner in "0 0" "1279 1023" "0 1023" "1279 0"; do
    xdotool mousemove $corner
    eval "$(xdotool getmouselocation --shell)"
    [ "$X" -ge "$1" ] && [ "$X" -lt "$3" ] && [ "$Y" -ge "$2" ] && [ "$Y" -lt "$4" ] \
      || fail "pointer at $X,$Y left the confinement $*"
  done
}

# Fails unless the confinement l t r b is frame $5..$8 narrowed alike on both sides,
# from its top, and shortened at its bottom.
check_confinement_in_frame() {
  [ "$2" = "$6" ] && [ "$1" -gt "$5" ] && [ $(( $1 - $5 )) = $(( $7 - $3 )) ] && [ "$4" -lt "$8" ] \
    || fail "confinement $1 $2 $3 $4 is not the frame $5 $6 $7 $8 narrowed"
}

# Fails unless Enter (Return and the keypad's Enter), Escape and, under a window
# manager, its close key (Alt+F4 in openbox) leave the block as it was: the window
# still shown and the probe still reporting the state that starts with $1.
check_endings_ignored() {
  key_to "$window" Return KP_Enter Escape
  if [ -n "${TRUV_WM:-}" ]; then xdotool key alt+F4; fi
  sleep 0.5
  case "$(cat "$status" 2>/dev/null)" in "$1"*) ;; *) fail "Enter or Escape ended the block at '$1'" ;; esac
  is_visible task_window_probe "$window" || fail "Enter or Escape closed the task window at '$1'"
}

key_for() { if [ "$1" = left ]; then echo a; else echo KP_5; fi; }
other() { if [ "$1" = left ]; then echo right; else echo left; fi; }

line=$(wait_for_status "trial 0") || fail "the task window did not open"
window=$(xdotool search --onlyvisible --class task_window_probe | head -n 1)
[ -n "$window" ] || fail "no task window"

# The frame, as the window manager draws it, is centred on the screen, and offers
# no minimize or maximize (Motif functions 8 and 16); a window manager that
# minimizes it all the same gets it shown again at once.
# The status may come while the window still waits to be framed: wait for the frame.
end=$(( $(date +%s) + TIMEOUT ))
while :; do
  read -r fl ft fr fb <<<"$(frame_of "$window")"
  dx=$(( fl - (1280 - (fr - fl)) / 2 )); dy=$(( ft - (1024 - (fb - ft)) / 2 ))
  [ "${dx#-}" -le 1 ] && [ "${dy#-}" -le 1 ] && break
  [ "$(date +%s)" -lt "$end" ] || fail "frame $fl $ft $fr $fb is not centred on 1280x1024"
  sleep 0.1
done
read -r mflags mfunctions _ <<<"$(x_query xprop -id "$window" _MOTIF_WM_HINTS | sed -n 's/.*= *//p' | tr -d ',')"
[ -n "${mflags:-}" ] && [ $(( mflags & 1 )) = 1 ] && [ $(( mfunctions & 24 )) = 0 ] \
  || fail "the task window offers minimize or maximize (Motif hints: ${mflags:-none} ${mfunctions:-})"
if [ -n "${TRUV_WM:-}" ]; then
  xdotool windowminimize "$window"
  sleep 1
  visible_windows task_window_probe | grep -qx "$window" || fail "minimized by the window manager, it stayed hidden"
  read -r gl gt gr gb <<<"$(frame_of "$window")"
  [ "$gl $gt $gr $gb" = "$fl $ft $fr $fb" ] || fail "shown again at $gl $gt $gr $gb, not at $fl $ft $fr $fb"
fi
check_endings_ignored "trial 0"
key_to "$window" space

expected=""
for n in 1 2 3 4; do
  line=$(wait_for_status "trial $n side") || fail "word $n did not appear"
  set -- $line
  side=$4
  if [ "$n" = 1 ]; then
    check_pointer_inside "$6" "$7" "$8" "$9"
    check_confinement_in_frame "$6" "$7" "$8" "$9" $fl $ft $fr $fb
    check_endings_ignored "trial 1 side"
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  fi
  if [ "$n" = 2 ]; then
    xdotool key "$(key_for "$(other "$side")")"
  fi
  xdotool key "$(key_for "$side")"
  expected="$expected ${side:0:1}"
done

wait_for_status "closed" >/dev/null || fail "the block did not end"
xdotool mousemove 0 0
eval "$(xdotool getmouselocation --shell)"
[ "$X" = 0 ] && [ "$Y" = 0 ] || fail "the pointer is still confined after the block ($X,$Y)"
touch "$status.quit"
wait_for_exit "$pid" || fail "the probe did not end"
[ "$EXIT_STATUS" = 0 ] || fail "probe exit status $EXIT_STATUS"

out=$(cat "$work/out")
echo "$out"
echo "$out" | grep -q "^result 0$" || fail "the block did not complete"
keys=$(echo "$out" | sed -n 's/^trial [0-9]* latency [0-9]* wrong [0-9]* key \(.\)$/\1/p' | tr '\n' ' ')
[ " $keys" = "$expected " ] || fail "recorded keys '$keys', answered '$expected'"
wrongs=$(echo "$out" | sed -n 's/^trial [0-9]* latency [0-9]* wrong \([0-9]*\) key .$/\1/p' | tr '\n' ' ')
[ "$wrongs" = "0 1 0 0 " ] || fail "wrong responses recorded as '$wrongs'"
echo "$out" | grep -E "^trial [0-9] latency (0|99999) " && fail "a latency was not measured"
trap 'rm -rf "$work"' EXIT
echo PASS
