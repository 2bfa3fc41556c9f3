# Helpers for the tests under a headless GNOME compositor (mutter), on a private
# session bus: the script runs under dbus-run-session. Source after ../lib.sh.

# The debian package's interpreter: python3 earlier in PATH may be another one,
# without the D-Bus bindings.
PYTHON=/usr/bin/python3

# Starts mutter without a display of its own, with one virtual monitor of 1280 x 1024
# and XWayland, and sets DISPLAY, XAUTHORITY and WAYLAND_DISPLAY for its clients, and
# mutter (its pid). Skips the test (exit 77) when mutter or the D-Bus bindings are
# not installed.
start_mutter() {
  command -v mutter >/dev/null || { echo "SKIP: mutter is not installed"; exit 77; }
  "$PYTHON" -c "import dbus" 2>/dev/null || { echo "SKIP: python3-dbus is not installed"; exit 77; }
  export XDG_RUNTIME_DIR="$work/runtime"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  # mutter's settings (among them NumLock's state, which it remembers) of this test
  # alone, not of the user who runs it.
  export XDG_CONFIG_HOME="$work/config"
  # mutter makes the X11 socket folder under the process's umask when it is missing,
  # and then refuses it as not writable for all: on a fresh machine no X server has
  # made it yet.
  if [ ! -d /tmp/.X11-unix ]; then
    mkdir -p /tmp/.X11-unix && chmod 1777 /tmp/.X11-unix
  elif [ -O /tmp/.X11-unix ] && [ "$(stat -c %a /tmp/.X11-unix)" != 1777 ]; then
    chmod 1777 /tmp/.X11-unix
  fi
  local socket="wayland-truv-$$"
  # With CLIENT_LOG set, XWayland, mutter's client, writes its protocol log (what the
  # compositor told it) into the file CLIENT_LOG names.
  if [ -n "${CLIENT_LOG:-}" ]; then
    WAYLAND_DEBUG=client mutter --headless --wayland --virtual-monitor 1280x1024 --wayland-display="$socket" \
      >"$work/mutter.log" 2>"$CLIENT_LOG" &
  else
    mutter --headless --wayland --virtual-monitor 1280x1024 --wayland-display="$socket" \
      >"$work/mutter.log" 2>&1 &
  fi
  mutter=$!
  local end=$(( $(date +%s) + TIMEOUT )) display=""
  while [ -z "$display" ] && [ "$(date +%s)" -lt "$end" ]; do
    kill -0 "$mutter" 2>/dev/null || { cat "$work/mutter.log" >&2; fail "mutter ended"; }
    display=$(cat "$work/mutter.log" ${CLIENT_LOG:-} | sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' | head -n 1)
    [ -n "$display" ] || sleep 0.2
  done
  [ -n "$display" ] || { cat "$work/mutter.log" >&2; fail "mutter started no XWayland"; }
  export DISPLAY=$display WAYLAND_DISPLAY=$socket
  XAUTHORITY=$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* 2>/dev/null | head -n 1)
  export XAUTHORITY
  unset QT_QPA_PLATFORM XDG_SESSION_TYPE
}

# Starts the remote desktop session that types and moves the pointer through the
# compositor (remote_input.py); its commands go to file descriptor 7. With "keys-only"
# the seat gets no pointer until the first motion is sent.
start_remote_input() {
  mkfifo "$work/input"
  exec 7<>"$work/input"
  "$PYTHON" "$(dirname "${BASH_SOURCE[0]}")/remote_input.py" <"$work/input" >"$work/input.out" 2>&1 &
  remote=$!
  local end=$(( $(date +%s) + TIMEOUT ))
  until grep -q ready "$work/input.out" 2>/dev/null; do
    kill -0 "$remote" 2>/dev/null && [ "$(date +%s)" -lt "$end" ] \
      || { cat "$work/input.out" >&2; fail "no remote desktop session"; }
    sleep 0.2
  done
  # The first key of a new remote desktop keyboard may be lost on its way to XWayland
  # (which takes the keyboard's keymap with it): a Shift goes first. A motion gives
  # the seat its pointer, as a lab computer's mouse does, before the program starts.
  press_codes 42
  [ "${1:-}" = keys-only ] || echo "move 1 1" >&7
}

# Waits until window $1 has the keyboard focus, which the compositor gives: keys sent
# through it go to the focused window.
wait_for_focus() {
  local end=$(( $(date +%s) + TIMEOUT ))
  until [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; do
    [ "$(date +%s)" -lt "$end" ] || return 1
    sleep 0.1
  done
}

# Presses the keys of the evdev codes given, in turn, through the compositor.
press_codes() {
  for code in "$@"; do
    echo "code $code" >&7
    sleep 0.05
  done
}

# The response keys go through the compositor (answer_block uses them): A and the
# keypad's 5 by their evdev codes.
press_response() {
  if [ "$1" = left ]; then press_codes 30; else press_codes 76; fi
}
