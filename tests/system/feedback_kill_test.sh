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

trap 'kill -9 $pid 2>/dev/null; rm -rf "$work"' EXIT
open_first_block "$truv" "$work/study.inp" "$data" 7
key_to "$task" space
answer_block "$class" "$task"

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
