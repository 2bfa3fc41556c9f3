#!/bin/bash
# The real program on a disk that fills while the first block runs, with the rescue
# folder on the same disk: instead of the block's feedback the participant sees
# "Please call the experimenter."; Enter and Space do nothing there; once there is
# room again, "Try again" writes the block and the feedback follows. Needs root for
# the small tmpfs; skipped (77) elsewhere.
set -u
. "$(dirname "$0")/lib.sh"
truv=$1
class=$(basename "$truv")
[ "$(id -u)" = 0 ] || { echo "needs root to mount a small tmpfs"; exit 77; }
work=$(mktemp -d)  # the program's output, off the small disk
disk=$(mktemp -d)
mount -t tmpfs -o size=512k tmpfs "$disk" || { echo "cannot mount a tmpfs"; exit 77; }
trap 'kill -9 $pid 2>/dev/null; umount -l "$disk"; rmdir "$disk"; rm -rf "$work"' EXIT

# One session of 60 practice and 4 recorded trials: a block larger than a page.
write_small_study "$disk" 60 4
data="$disk/run.dat"
export XDG_DATA_HOME="$disk/xdg"

open_first_block "$truv" "$disk/study.inp" "$data" 9
# The disk fills while the block runs.
head -c 1M /dev/zero >"$disk/filler" 2>/dev/null
key_to "$task" space
answer_block "$class" "$task"

trouble=$(wait_for_window "Data Not Written") || fail "no call for the experimenter after a block no file took"
# A participant's stray keys choose nothing.
for key in Return space Escape; do key_to "$trouble" $key; done
sleep 1
is_visible "$class" "$trouble" || fail "a stray key closed the call for the experimenter"
[ "$(tail -n +2 "$data" | wc -l)" = 0 ] || fail "the data file took the block on a full disk"
[ -z "$(ls -A "$XDG_DATA_HOME/truv/rescue" 2>/dev/null)" ] || fail "a rescue file was left: $(ls "$XDG_DATA_HOME/truv/rescue")"

# Room again; Tab to "Try again", then Space.
rm -f "$disk/filler"
key_to "$trouble" Tab
key_to "$trouble" space
wait_for_window_hidden "$class" "$trouble" || fail "Try again did not close the call"
feedback=$(wait_for_other_window "$class" "$frame" "$task" "$trouble") || fail "no feedback once the block was written"
[ "$(tail -n +2 "$data" | cut -f 14 | sort -u)" = 1 ] || fail "block 1 is not in the data file: $(cat "$data")"
[ "$(tail -n +2 "$data" | wc -l)" = 60 ] || fail "block 1 has $(tail -n +2 "$data" | wc -l) lines, expected 60"
echo "ok: the block waited in memory for room and went to the data file whole"
