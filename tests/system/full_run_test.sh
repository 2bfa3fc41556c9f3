#!/bin/bash
# A whole run of a small study through the real program: the subject page, the
# instruction page, the run's own pages, the seven blocks of one session in the task
# window (answered with A and the keypad's 5 in turn, so some answers are wrong),
# a refused exit code and the right one, and back to a fresh main menu. Then the
# data file, the subject log and the timing record are checked line by line.
set -u
. "$(dirname "$0")/lib.sh"
truv=$1
work=$(mktemp -d)
class=$(basename "$truv")

# --- the study: one instruction page, two word lists of five items a category,
# one session of 2 practice and 3 recorded trials a block, pair 2 switched.
write_small_study "$work" 2 3
input="$work/study.inp"
data="$work/run.dat"
log="$work/run.slg"

launch "$truv"
trap 'kill -9 $pid 2>/dev/null; rm -rf "$work"' EXIT

frame=$(wait_for_window "TRUV") || fail "the main frame did not appear"
menu=$(wait_for_window "TRUV for Windows 2.3") || fail "the main menu did not appear"
key_to "$menu" Return
page=$(wait_for_window "Subject Information Page") || fail "Enter on the menu did not show the subject page"

fill_subject_page "$page" "$input" "$data" 7 x1

# --- the screens of the run, in their order. "page" and the two between-block
# dialogs are closed with Enter; a block is started with Space and answered.
steps="page page page page
       next block feedback next block feedback next block feedback
       page next block feedback
       page next block feedback next block feedback
       page next block feedback
       page code code"

next_size=""
blocks=0
codes=0
for step in $steps; do
  screen=$(wait_for_other_window "$class" "$frame") || fail "no screen for step '$step' after $blocks blocks"
  # Every screen of the run is without caption (the menu and the subject page have
  # one); an X window without a title is named after the program.
  name=$(xdotool getwindowname "$screen" 2>/dev/null)
  case $name in "" | " " | "$class") ;; *) fail "step '$step' after $blocks blocks: found the window '$name'" ;; esac
  # Every screen of the run is centred by its outer frame.
  wait_for_frame_centred "$screen" 1280 1024 "step '$step' after $blocks blocks"
  case $step in
    page|feedback)
      key_to "$screen" Return ;;
    next)
      next_size=$(window_size "$screen")
      key_to "$screen" Return ;;
    block)
      # Under a window manager the grey frame stays above other programs' windows
      # during the run, below the run's own.
      if [ -n "${TRUV_WM:-}" ] && [ "$blocks" = 0 ]; then
        x_query xprop -id "$frame" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE \
          || fail "the grey frame is not kept above during the run"
        [ -n "${TRUV_SHOT:-}" ] && import -window root "$TRUV_SHOT"
      fi
      # The task window is larger than the next-block dialog in both directions:
      # a check that the run is where this script thinks it is.
      read -r nw nh <<<"$next_size"
      read -r tw th <<<"$(window_size "$screen")"
      [ "$tw" -gt "$nw" ] && [ "$th" -gt "$nh" ] \
        || fail "block $((blocks + 1)): expected the task window, found a window of ${tw}x${th}"
      key_to "$screen" space
      answer_block "$class" "$screen"
      blocks=$((blocks + 1)) ;;
    code)
      codes=$((codes + 1))
      # The first code differs in case and is refused: the screen comes back empty.
      if [ "$codes" = 1 ]; then answer=Zup; else answer=zup; fi
      key_to "$screen" ctrl+a
      xdotool type --delay 50 "$answer"
      xdotool key Return ;;
  esac
  wait_for_window_hidden "$class" "$screen" || fail "step '$step' did not close its screen"
done

fresh=$(wait_for_window "TRUV for Windows 2.3" "$menu") || fail "no fresh main menu after the run"
if [ -n "${TRUV_WM:-}" ] && x_query xprop -id "$frame" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE; then
  fail "the grey frame is still kept above after the run"
fi
key_to "$fresh" Escape
wait_for_exit "$pid" || fail "Escape did not end the program"
[ "$EXIT_STATUS" = "0" ] || fail "exit status $EXIT_STATUS"

# --- the data file: the header and one line per trial slot of the 7 blocks, 22
# fields each followed by a tab, CR LF line ends.
[ -f "$data" ] || fail "no data file"
[ "$(tail -c 2 "$data" | od -An -c | tr -d ' ')" = '\r\n' ] || fail "the data file does not end with CR LF"
lines=$(wc -l <"$data")
[ "$lines" = 17 ] || fail "data file has $lines lines, expected the header and 16"
header=$(head -n 1 "$data")
[ "$header" = $'InpFl\tSess\tCat1\tCat2\tCat1p\tCat2p\tCatsw\tDelay\tnPrac\tnReal\tSub\tSex\tOther\tBlock\tTrial\tIcat\tIscat\tInum\tItem\tLat\tError\tKey\t\r' ] \
  || fail "data file header: $header"
bad=$(awk -F'\t' 'NF != 23 || $23 != "\r" { print NR ": " $0 }' "$data")
[ -z "$bad" ] || fail "lines without 22 tab-ended fields and CR LF: $bad"

# Every line: the study's settings, subject 7, no sex, other x1.
bad=$(tail -n +2 "$data" | awk -F'\t' \
  '$1 != "study.inp" || $2 != 1 || $3 != "objects.wls" || $4 != "values.wls" || $5 != 0 || $6 != 0 \
   || $7 != 1 || $8 != 0 || $9 != 2 || $10 != 3 || $11 != 7 || $12 != "" || $13 != "x1" { print NR ": " $0 }')
[ -z "$bad" ] || fail "lines with wrong run settings: $bad"

# Blocks 1 to 7 in order, 2 2 2 3 trials in the first half and 2 2 3 in the
# second; trials numbered within their block; every trial answered.
blocks_seen=$(tail -n +2 "$data" | cut -f 14 | tr '\n' ' ')
[ "$blocks_seen" = "1 1 2 2 3 3 4 4 4 5 5 6 6 7 7 7 " ] || fail "Block column: $blocks_seen"
trials_seen=$(tail -n +2 "$data" | cut -f 15 | tr '\n' ' ')
[ "$trials_seen" = "1 2 1 2 1 2 1 2 3 1 2 1 2 1 2 3 " ] || fail "Trial column: $trials_seen"
bad=$(tail -n +2 "$data" | awk -F'\t' \
  '$20 !~ /^[0-9]+$/ || $20 == 99999 || ($21 != 0 && $21 != 1) || ($22 != "l" && $22 != "r") { print NR ": " $0 }')
[ -z "$bad" ] || fail "trials not answered as A then 5 would answer them: $bad"
# The single-pair blocks show only their pair: block 1 pair 1 (0), blocks 2 and 5 pair 2 (1).
for b in 1:0 2:1 5:1; do
  pairs=$(tail -n +2 "$data" | awk -F'\t' -v b="${b%:*}" '$14 == b { print $16 }' | sort -u | tr '\n' ' ')
  [ "$pairs" = "${b#*:} " ] || fail "block ${b%:*} shows pairs '$pairs'"
done
# The words are the lists' items in their categories.
bad=$(tail -n +2 "$data" | awk -F'\t' '
  { ok = ($16 == 0 && $17 == 0 && $19 ~ /^(apple|pear|plum|cherry|lemon)$/) ||
         ($16 == 0 && $17 == 1 && $19 ~ /^(hammer|saw|drill|file|wrench)$/) ||
         ($16 == 1 && $17 == 0 && $19 ~ /^(joy|love|peace|smile|hope)$/) ||
         ($16 == 1 && $17 == 1 && $19 ~ /^(pain|hate|war|grief|fear)$/)
    if (!ok) print NR ": " $0 }')
[ -z "$bad" ] || fail "words outside their categories: $bad"

# --- the subject log: its header and one line, 9 + 9 fields each.
[ -f "$log" ] || fail "no subject log"
[ "$(wc -l <"$log")" = 2 ] || fail "subject log has $(wc -l <"$log") lines"
bad=$(awk -F'\t' 'NF != 19 || $19 != "\r" { print NR ": " $0 }' "$log")
[ -z "$bad" ] || fail "subject log lines without 18 tab-ended fields and CR LF: $bad"
[ "$(head -n 1 "$log")" = $'Sub\tSex\tother\tInpFl\tMonth\tDay\tYear\tHour\tMin\tCatsL_1\tCatsR_1\tCatSw_1\t1stLat_1\t1stErr_1\t1stN_1\t2ndLat_1\t2ndErr_1\t2ndN_1\t\r' ] \
  || fail "subject log header: $(head -n 1 "$log")"
summary=$(sed -n 2p "$log")
field() { echo "$summary" | cut -f "$1"; }
[ "$(field 1)" = 7 ] && [ -z "$(field 2)" ] && [ "$(field 3)" = x1 ] && [ "$(field 4)" = "$input" ] \
  || fail "subject log subject fields: $summary"
[ "$(field 5)" -ge 1 ] && [ "$(field 5)" -le 12 ] && [ "$(field 7)" -ge 100 ] || fail "subject log date: $summary"
[ "$(field 10)" = "Fruit+Good" ] && [ "$(field 11)" = "Tools+Bad" ] && [ "$(field 12)" = 2 ] \
  || fail "subject log combinations: $summary"
for f in 13 14 15 16 17 18; do
  [[ "$(field $f)" =~ ^[0-9]+$ ]] || fail "subject log scores: $summary"
done

# --- the timing record: its header and a row per block, 13 tab-ended fields each.
# The X server has Present and no compositing manager runs (openbox composites
# nothing): every block's words were shown through Present, at refreshes, and every
# key was timed from the X server's stamps.
timing="$work/run.timing.tsv"
[ -f "$timing" ] || fail "no timing record"
[ "$(head -n 1 "$timing")" = $'InpFl\tSess\tSub\tSex\tOther\tBlock\tOnset\tRefresh_us\tWords\tMissed\tMostLate_us\tKeyClock\tKeyCalib_us\t\r' ] \
  || fail "timing record header: $(head -n 1 "$timing")"
bad=$(awk -F'\t' 'NF != 14 || $14 != "\r" { print NR ": " $0 }' "$timing")
[ -z "$bad" ] || fail "timing rows without 13 tab-ended fields and CR LF: $bad"
rows=$(tail -n +2 "$timing" | awk -F'\t' '{ printf "%s:%s:%s ", $6, $7, $9 }')
[ "$rows" = "1:X11 Present:2 2:X11 Present:2 3:X11 Present:2 4:X11 Present:3 5:X11 Present:2 6:X11 Present:2 7:X11 Present:3 " ] \
  || fail "timing rows (block:onsets:words): $rows"
bad=$(tail -n +2 "$timing" | awk -F'\t' '$8 < 1000 || $10 !~ /^[0-9]+$/ || $12 != "X server" || $13 !~ /^[0-9]+$/ { print NR ": " $0 }')
[ -z "$bad" ] || fail "timing rows without a refresh or the X server's key clock: $bad"

trap 'rm -rf "$work"' EXIT
echo "PASS"
