#!/bin/bash
# truv --scale: the usage errors and a scale too large for the screen are refused
# with exit status 2 (the latter in a message naming the largest scale that fits);
# at --scale 2 the run's task window is twice its unscaled size (the task window
# probe's, unscaled, on the same server), centred by its outer frame, and in its
# block the pointer is held inside the frame narrowed by the scaled START button,
# and free after it. With TRUV_SHOT, the screen is saved there with the block's
# first word shown.
set -u
. "$(dirname "$0")/lib.sh"
truv=$1
probe=$2
work=$(mktemp -d)
trap 'kill -9 ${pid:-} 2>/dev/null; rm -rf "$work"' EXIT
read -r width height <<<"$(xdotool getdisplaygeometry)"

# --- refused before anything is shown.
for args in "--scale 0.5" "--scale two" "--scale" "--scale 2 --scale=2"; do
  "$truv" $args >/dev/null 2>"$work/err"
  status=$?
  [ "$status" = 2 ] || fail "truv $args: exit status $status"
  grep -q "^truv: .*--scale" "$work/err" && grep -q "Try 'truv --help'" "$work/err" \
    || fail "truv $args: $(cat "$work/err")"
done

# --- the task window, unscaled.
"$probe" "$work/status" >/dev/null 2>&1 &
pid=$!
end=$(( $(date +%s) + TIMEOUT ))
until grep -q "^trial 0" "$work/status" 2>/dev/null; do
  [ "$(date +%s)" -lt "$end" ] && kill -0 $pid 2>/dev/null || fail "the probe did not open its task window"
  sleep 0.1
done
probed=$(wait_for_other_window task_window_probe) || fail "the probe showed no task window"
read -r w1 h1 <<<"$(window_size "$probed")"
kill -9 $pid; wait $pid 2>/dev/null

# --- a scale at which it would not fit: a message, exit status 2, naming a scale at
# which the task window fits (the list review, a little larger, may bound it lower).
too_large=$(( width / w1 + 1 ))
launch "$truv" --scale "$too_large"
box=$(wait_for_window "Display scale") || fail "--scale $too_large: no message"
key_to "$box" Return
wait_for_exit "$pid" || fail "--scale $too_large: the message did not end the program"
[ "$EXIT_STATUS" = 2 ] || fail "--scale $too_large: exit status $EXIT_STATUS"
largest=$(sed -n 's/.*The largest scale that fits is \([0-9.]*\)\.$/\1/p' "$work/err")
awk -v s="$largest" -v w="$w1" -v h="$h1" -v W="$width" -v H="$height" \
  'BEGIN { exit !(s != "" && s >= 1 && s * w <= W && s * h <= H) }' \
  || fail "--scale $too_large: named '$largest' as the largest scale for ${w1}x${h1} on ${width}x${height}: $(cat "$work/err")"

# --- a run at scale 2, started through a program of the same name (its windows'
# class is the name).
write_small_study "$work" 2 3
mkdir "$work/bin"
printf '#!/bin/sh\nexec "%s" --scale 2 "$@"\n' "$truv" >"$work/bin/truv"
chmod +x "$work/bin/truv"
open_first_block "$work/bin/truv" "$work/study.inp" "$work/run.dat" 1
read -r w2 h2 <<<"$(window_size "$task")"
[ "$w2" = $((2 * w1)) ] && [ "$h2" = $((2 * h1)) ] || fail "the task window is ${w2}x${h2} at scale 2, ${w1}x${h1} unscaled"
wait_for_frame_centred "$task" "$width" "$height" "the task window"
read -r fl ft fr fb <<<"$(frame_of "$task")"

key_to "$task" space
sleep 1
[ -n "${TRUV_SHOT:-}" ] && import -window root "$TRUV_SHOT"
# Pushed to the screen's four corners, the pointer stops at the corners of the
# rectangle it is held in.
corners=""
for corner in "0 0" "$((width - 1)) $((height - 1))" "0 $((height - 1))" "$((width - 1)) 0"; do
  xdotool mousemove $corner
  eval "$(xdotool getmouselocation --shell)"
  corners="$corners $X $Y"
done
read -r l t r1 b1 l2 b2 r2 t2 <<<"$corners"
r=$((r1 + 1)); b=$((b1 + 1))
[ "$l2 $b2 $r2 $t2" = "$l $b1 $r1 $t" ] || fail "the pointer stopped at$corners: no one rectangle"
# The frame narrowed alike on both sides by a quarter of the START button's height,
# from its top, and shortened at its bottom by half of it.
side=$((l - fl))
[ "$t" = "$ft" ] && [ "$side" -gt 0 ] && [ $((fr - r)) = "$side" ] \
  && [ $((fb - b)) -ge $((2 * side)) ] && [ $((fb - b)) -le $((2 * side + 1)) ] \
  || fail "the pointer is held in $l $t $r $b, not in the frame $fl $ft $fr $fb narrowed"

answer_block truv "$task"
xdotool mousemove 0 0
eval "$(xdotool getmouselocation --shell)"
[ "$X" = 0 ] && [ "$Y" = 0 ] || fail "the pointer is still held after the block ($X,$Y)"
echo "PASS: unscaled ${w1}x${h1}, scaled ${w2}x${h2}, frame $fl $ft $fr $fb, held in $l $t $r $b, largest named $largest"
