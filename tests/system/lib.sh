# Helpers for the system tests: they wait for what they need with generous
# time-outs and assert no timing.

TIMEOUT=${TRUV_TEST_TIMEOUT:-60}

# Fails the test, showing what the program under test wrote to its standard error.
fail() {
  echo "FAIL: $*" >&2
  if [ -n "${work:-}" ] && [ -s "$work/err" ]; then
    echo "--- standard error of the program:" >&2
    cat "$work/err" >&2
  fi
  exit 1
}

# Starts "$@" in the background with its output in $work/out and $work/err, and sets
# pid. Under load the X server may refuse a new client for a moment, and a Qt
# program then ends at once ("could not connect to display"): such a start is tried
# again, up to three times.
launch() {
  for attempt in 1 2 3; do
    "$@" >"$work/out" 2>"$work/err" &
    pid=$!
    for _ in $(seq 1 30); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null || ! grep -q "could not connect to display" "$work/err"; then
      return 0
    fi
    wait "$pid" 2>/dev/null
    echo "note: the X server refused the program's connection (attempt $attempt); starting it again" >&2
  done
}

# Prints the id of a visible window whose whole name is $1, waiting up to TIMEOUT
# seconds; with $2, a window other than that id.
wait_for_window() {
  name=$1; other=${2:-}
  end=$(( $(date +%s) + TIMEOUT ))
  while [ "$(date +%s)" -lt "$end" ]; do
    for id in $(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null); do
      if [ "$id" != "$other" ]; then echo "$id"; return 0; fi
    done
    sleep 0.2
  done
  return 1
}

# Waits until window $1 no longer exists.
wait_for_window_gone() {
  end=$(( $(date +%s) + TIMEOUT ))
  while [ "$(date +%s)" -lt "$end" ]; do
    xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
    sleep 0.2
  done
  return 1
}

# Gives window $1 the keyboard focus and types the keys that follow.
key_to() {
  win=$1; shift
  xdotool windowfocus --sync "$win" 2>/dev/null || xdotool windowfocus "$win"
  xdotool key --delay 50 "$@"
}

# Waits for process $1, a child of this shell, to end and sets EXIT_STATUS to its
# exit status; fails after TIMEOUT. (Not in a $(...) subshell: only this shell can
# wait for its child.)
wait_for_exit() {
  end=$(( $(date +%s) + TIMEOUT ))
  while kill -0 "$1" 2>/dev/null; do
    if [ "$(date +%s)" -ge "$end" ]; then kill -9 "$1"; return 1; fi
    sleep 0.2
  done
  wait "$1"
  EXIT_STATUS=$?
}

# The colour of the screen pixel at ($1, $2) as RRGGBB.
pixel_at() {
  import -window root -depth 8 -crop "1x1+$1+$2" +repage txt:- 2>/dev/null \
    | sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | head -n 1
}

# Prints the ids of the visible windows whose class is $1.
visible_windows() {
  xdotool search --onlyvisible --class "^$1\$" 2>/dev/null
}

# Whether window $2 is a visible window of class $1.
is_visible() {
  visible_windows "$1" | grep -qx "$2"
}

# Prints the id of a visible window of class $1 that is none of the ids that
# follow, waiting up to TIMEOUT seconds.
wait_for_other_window() {
  class=$1; shift
  end=$(( $(date +%s) + TIMEOUT ))
  while [ "$(date +%s)" -lt "$end" ]; do
    for id in $(visible_windows "$class"); do
      case " $* " in *" $id "*) ;; *) echo "$id"; return 0 ;; esac
    done
    sleep 0.1
  done
  return 1
}

# Waits until window $2 of class $1 is hidden or gone.
wait_for_window_hidden() {
  end=$(( $(date +%s) + TIMEOUT ))
  while [ "$(date +%s)" -lt "$end" ]; do
    is_visible "$1" "$2" || return 0
    sleep 0.1
  done
  return 1
}

# Width and height of window $1 as "W H".
window_size() {
  xdotool getwindowgeometry --shell "$1" | sed -n 's/^WIDTH=//p; s/^HEIGHT=//p' | tr '\n' ' '
}

# Writes a small study into $1: one instruction page, the word lists objects.wls and
# values.wls (five items a category) and study.inp, one session with $2 practice and
# $3 recorded trials a block, pair 2 switched, no tutorial, no list review; with $4,
# the input file names that list file in place of values.wls.
write_small_study() {
  printf '1\r\nPlease sort the words.#\r\n' >"$1/intro.bgi"
  printf '6\r\n6\r\nFruit\r\napple\r\npear\r\nplum\r\ncherry\r\nlemon\r\nTools\r\nhammer\r\nsaw\r\ndrill\r\nfile\r\nwrench\r\n' \
    >"$1/objects.wls"
  printf '6\r\n6\r\nGood\r\njoy\r\nlove\r\npeace\r\nsmile\r\nhope\r\nBad\r\npain\r\nhate\r\nwar\r\ngrief\r\nfear\r\n' \
    >"$1/values.wls"
  printf 'intro.bgi\t1\tobjects.wls\t%s\t0\t0\t1\t0\t%s\t%s\t0\t0\r\n' "${4:-values.wls}" "$2" "$3" >"$1/study.inp"
}

# Copies the example study's own files into $1.
copy_example_study() {
  local examples
  examples=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../examples/demo" && pwd)
  cp "$examples"/*.inp "$examples"/*.wls "$examples"/*.qls "$examples"/*.bgi "$1/"
}

# Runs truv-sim ($1) with the other arguments, quietly; fails, naming them, if it
# does not complete its run.
simulate() {
  local sim=$1
  shift
  "$sim" "$@" >/dev/null 2>"${work:-/tmp}/simulate.err" || { cat "${work:-/tmp}/simulate.err" >&2; fail "truv-sim $*"; }
}

# On the subject page $1: types the input path $2, the data path $3 and, with $4, the
# subject number and, with $5, the other code, then OK; fails unless the page closes.
# The input path box has the focus; the boxes start with "/". Tab goes on to the
# browse button, the data path, its browse button and the subject number, and from
# there past the two sex buttons, the date and the time to "Other".
fill_subject_page() {
  key_to "$1" ctrl+a
  xdotool type --delay 20 "$2"
  xdotool key --delay 50 Tab Tab ctrl+a
  xdotool type --delay 20 "$3"
  if [ -n "${4:-}" ]; then
    xdotool key --delay 50 Tab Tab ctrl+a "$4"
    if [ -n "${5:-}" ]; then
      xdotool key --delay 50 Tab Tab Tab Tab ctrl+a
      xdotool type --delay 20 "$5"
    fi
  fi
  xdotool key Return
  wait_for_window_gone "$1" || fail "OK did not close the subject page (wrong entries?)"
}

# Presses the left response key (A) or the right one (the keypad's 5), as $1 says,
# through the X server. A test that types elsewhere (through a compositor) defines
# its own.
press_response() {
  if [ "$1" = left ]; then xdotool key a; else xdotool key KP_5; fi
}

# Answers the block in the task window $2 of class $1 until the window is hidden:
# nobody sees the words, so A and the keypad's 5 in turn (a wrong key only shows the
# red X; the other key then answers the word). Fails after 400 keys.
answer_block() {
  local presses=0
  while is_visible "$1" "$2"; do
    [ "$presses" -lt 400 ] || fail "the block did not end"
    if [ $((presses % 2)) = 0 ]; then press_response left; else press_response right; fi
    presses=$((presses + 1))
    sleep 0.05
  done
}

# Starts truv ($1) and takes a run of the input file $2 with the data file $3 and
# subject number $4, one instruction page and no tutorial or list review, from the
# main menu to its first block: sets frame (the grey frame) and task (the task
# window, its block not yet started).
open_first_block() {
  local class step screen page menu
  class=$(basename "$1")
  launch "$1"
  frame=$(wait_for_window "TRUV") || fail "the main frame did not appear"
  menu=$(wait_for_window "TRUV for Windows 2.3") || fail "the main menu did not appear"
  key_to "$menu" Return
  page=$(wait_for_window "Subject Information Page") || fail "Enter on the menu did not show the subject page"
  fill_subject_page "$page" "$2" "$3" "$4"
  # The instruction page, the keys page, the ready page and the first half's page; the
  # next-block dialog.
  for step in page page page page next; do
    screen=$(wait_for_other_window "$class" "$frame") || fail "no screen for step '$step'"
    key_to "$screen" Return
    wait_for_window_hidden "$class" "$screen" || fail "step '$step' did not close its screen"
  done
  task=$(wait_for_other_window "$class" "$frame") || fail "no task window for the first block"
}

# Runs an X client (xprop, xwininfo) and prints its output; a connection the server
# refuses for a moment is tried again, up to five times.
x_query() {
  for _ in 1 2 3 4 5; do
    if out=$("$@" 2>/dev/null); then printf '%s\n' "$out"; return 0; fi
    sleep 0.2
  done
  return 1
}

# The window's outer frame on the screen as "left top right bottom": the window
# manager's frame around it (_NET_FRAME_EXTENTS), or the window itself without one.
frame_of() {
  eval "$(x_query xwininfo -id "$1" | sed -n 's/^ *Absolute upper-left X: *\(-*[0-9]*\)/X=\1/p;
    s/^ *Absolute upper-left Y: *\(-*[0-9]*\)/Y=\1/p; s/^ *Width: *\([0-9]*\)/W=\1/p;
    s/^ *Height: *\([0-9]*\)/H=\1/p')"
  extents=$(x_query xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ',')
  set -- ${extents:-0 0 0 0}  # left right top bottom
  echo "$((X - $1)) $((Y - $3)) $((X + W + $2)) $((Y + H + $4))"
}

# Waits until window $1's outer frame is centred (within a pixel) on a screen of
# $2 x $3; fails with the frame as it last stood, and with $4 when given.
wait_for_frame_centred() {
  end=$(( $(date +%s) + TIMEOUT ))
  while :; do
    read -r cl ct cr cb <<<"$(frame_of "$1")"
    dx=$(( cl - ($2 - (cr - cl)) / 2 )); dy=$(( ct - ($3 - (cb - ct)) / 2 ))
    [ "${dx#-}" -le 1 ] && [ "${dy#-}" -le 1 ] && return 0
    [ "$(date +%s)" -lt "$end" ] || fail "${4:+$4: }frame $cl $ct $cr $cb is not centred on $2x$3"
    sleep 0.1
  done
}

# From main menu $1: "Run QAV" shows the Wayland notice, whose default (Enter) goes
# back to the menu. Prints the fresh main menu's window.
decline_wayland_notice() {
  key_to "$1" Return
  notice=$(wait_for_window "Wayland session") || fail "no notice about the Wayland session"
  key_to "$notice" Return
  wait_for_window_gone "$notice" || fail "Enter did not close the notice"
  wait_for_window "TRUV for Windows 2.3" "$1" || fail "no fresh main menu after the notice"
}
