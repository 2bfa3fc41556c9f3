#!/bin/bash
# The real program killed with SIGKILL while the feedback of the first block is on
# screen: the block's lines are already in the data file, whole, under its header.
set -u
. "$(dirname "$0")/lib.sh"
truv=$1
work=$(mktemp -d)
class=$(basename "$truv")

# One session of 3 practice and 4 recorded trials, no tutorial, no list review.
write_small_study "$work" 3 4
data="$work/run.dat"

launch "$truv"
trap 'kill -9 $pid 2>/dev/null; rm -rf "$work"' EXIT

frame=$(wait_for_window "TRUV") || fail "the main frame did not appear"
menu=$(wait_for_window "TRUV for Windows 2.3") || fail "the main menu did not appear"
key_to "$menu" Return
page=$(wait_for_window "Subject Information Page") || fail "Enter on the menu did not show the subject page"
fill_subject_page "$page" "$work/study.inp" "$data" 7

# The instruction page, the keys page, the ready page and the first half's page; the
# next-block dialog; the first block.
for step in page page page page next block; do
  screen=$(wait_for_other_window "$class" "$frame") || fail "no screen for step '$step'"
  case $step in
    page|next)
      key_to "$screen" Return ;;
    block)
      key_to "$screen" space
      presses=0
      while is_visible "$class" "$screen"; do
        [ "$presses" -lt 200 ] || fail "the first block did not end"
        if [ $((presses % 2)) = 0 ]; then xdotool key a; else xdotool key KP_5; fi
        presses=$((presses + 1))
        sleep 0.05
      done ;;
  esac
  wait_for_window_hidden "$class" "$screen" || fail "step '$step' did not close its screen"
  task=$screen
done

# The feedback dialog is up: the participant has not yet pressed a key on it.
feedback=$(wait_for_other_window "$class" "$frame" "$task") || fail "no feedback after the first block"
read -r fw fh <<<"$(window_size "$feedback")"
read -r tw th <<<"$(window_size "$task")"
[ "$fw" -lt "$tw" ] && [ "$fh" -lt "$th" ] || fail "expected the feedback dialog, found a window of ${fw}x${fh}"
kill -9 "$pid"
wait "$pid" 2>/dev/null

[ -f "$data" ] || fail "no data file: the first block was lost"
[ "$(wc -l <"$data")" = 4 ] || fail "the data file has $(wc -l <"$data") lines, expected the header and 3"
[ "$(head -n 1 "$data" | cut -f 1)" = "InpFl" ] || fail "the header is not the first line"
bad=$(awk -F'\t' 'NF != 23 || $23 != "\r" { print NR ": " $0 }' "$data")
[ -z "$bad" ] || fail "lines without 22 tab-ended fields and CR LF: $bad"
[ "$(tail -n +2 "$data" | cut -f 14,15 | tr '\t\n' ': ')" = "1:1 1:2 1:3 " ] || fail "not block 1, trials 1 to 3: $(cat "$data")"
bad=$(tail -n +2 "$data" | awk -F'\t' '$20 == 99999 || $19 == "blank" { print NR ": " $0 }')
[ -z "$bad" ] || fail "unanswered trials in a finished block: $bad"

trap 'rm -rf "$work"' EXIT
echo "PASS"
