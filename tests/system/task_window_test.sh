#!/bin/bash
# One block in the real task window on an X server: Space starts it, A and the
# keypad's 5 answer (one wrong answer on the second word), the pointer cannot leave
# the confinement rectangle during the block and is free after it, and the results
# are recorded as answered.
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

key_for() { if [ "$1" = left ]; then echo a; else echo KP_5; fi; }
other() { if [ "$1" = left ]; then echo right; else echo left; fi; }

line=$(wait_for_status "trial 0") || fail "the task window did not open"
window=$(xdotool search --onlyvisible --class task_window_probe | head -n 1)
[ -n "$window" ] || fail "no task window"
key_to "$window" space

expected=""
for n in 1 2 3 4; do
  line=$(wait_for_status "trial $n side") || fail "word $n did not appear"
  set -- $line
  side=$4
  if [ "$n" = 1 ]; then check_pointer_inside "$6" "$7" "$8" "$9"; fi
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
