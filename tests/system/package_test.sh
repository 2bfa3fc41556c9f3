#!/bin/bash
# The Debian package, made with CPack from this build directory into a directory of
# the test's own, installs and works: its metadata names the libraries the programs
# use; the desktop entry, its icon, the example study and the documentation are in
# place; truv-check accepts the installed example, truv-sim runs it, truv-results
# analyses what it wrote, truv-timing measures on the test's X server and truv
# starts and ends from its main menu. The package is removed at the end, whatever
# happened.
#
# It is installed with dpkg as root or through sudo -n; otherwise, and when truv is
# already installed on this system (which the test leaves alone), it is unpacked
# into a temporary directory with dpkg-deb -x and run from there.
set -u
. "$(dirname "$0")/lib.sh"
truv=$1
build=${TRUV_BUILD_DIR:-$(dirname "$truv")}
cpack=${TRUV_CPACK:-cpack}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
installed=""
as_root=()

remove_package() {
  "${as_root[@]}" dpkg -r truv >"$work/remove.log" 2>&1
}
cleanup() {
  [ -n "${pid:-}" ] && kill -9 "$pid" 2>/dev/null
  if [ -n "$installed" ]; then
    remove_package || { echo "could not remove the package truv:" >&2; cat "$work/remove.log" >&2; }
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# Runs "$@" with its output in $work/out and $work/err and sets STATUS; a start the
# X server refused is tried again, up to three times (see launch in lib.sh).
run_program() {
  for attempt in 1 2 3; do
    timeout 600 "$@" >"$work/out" 2>"$work/err"
    STATUS=$?
    grep -q "could not connect to display" "$work/err" || return 0
    echo "note: the X server refused the program's connection (attempt $attempt); starting it again" >&2
  done
}

# --- the package
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log" >&2; fail "cpack could not make the package"; }
deb=$(ls "$work"/package/truv_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { cat "$work/cpack.log" >&2; fail "cpack made no truv_*.deb"; }
echo "made $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = truv ] || fail "package name: $(field Package)"
if [ -n "${TRUV_VERSION:-}" ]; then
  [ "$(field Version)" = "$TRUV_VERSION" ] || fail "version $(field Version), not $TRUV_VERSION"
fi
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture: $(field Architecture)"
depends=$(field Depends)
for library in libqt6widgets6 libqt6gui6 libqt6core6 libx11-6 libxtst6 libwayland-client0 qt6-wayland libstdc++6 libc6; do
  echo "$depends" | grep -q "\b$library\b" || fail "Depends lacks $library: $depends"
done
echo "$(field Recommends)" | grep -q "fonts-liberation2" || fail "Recommends lacks fonts-liberation2"

# --- installing it
if dpkg-query -W -f='${Status}' truv 2>/dev/null | grep -q "ok installed"; then
  mode=unpacked
  echo "note: truv is already installed on this system; the test leaves it alone and unpacks the package instead"
elif [ "$(id -u)" = 0 ]; then
  mode=dpkg
elif sudo -n true 2>/dev/null; then
  mode=dpkg
  as_root=(sudo -n)
else
  mode=unpacked
  echo "note: neither root nor sudo without a password; the package is unpacked with dpkg-deb -x, not installed"
fi

if [ "$mode" = dpkg ]; then
  # Package tests of other build directories on this machine install the same
  # package: one at a time, from install to removal.
  lock=/tmp/truv-package-test.lock
  [ -e "$lock" ] || (umask 000; : >>"$lock") 2>/dev/null
  exec 9<"$lock" || fail "cannot open $lock"
  flock -w 600 9 || fail "another package test held $lock for ten minutes"
  # dpkg refuses to start while another dpkg or apt holds its lock: wait for it.
  for _ in $(seq 1 60); do
    installed=yes
    "${as_root[@]}" dpkg -i "$deb" >"$work/install.log" 2>&1 && break
    grep -qi "lock" "$work/install.log" || { cat "$work/install.log" >&2; fail "dpkg -i failed"; }
    installed=""
    sleep 5
  done
  [ -n "$installed" ] || { cat "$work/install.log" >&2; fail "dpkg stayed locked"; }
  root=""
  echo "installed with dpkg -i"
else
  root="$work/root"
  dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"
  echo "unpacked into a temporary root"
fi
bin="$root/usr/bin"
share="$root/usr/share"
examples="$share/truv/examples/demo"
doc="$share/doc/truv"

# --- the files
for pair in "truv.desktop:TRUV" "truv-results.desktop:TRUV Results"; do
  entry="$share/applications/${pair%%:*}"
  [ -f "$entry" ] || fail "no desktop entry $entry"
  grep -qx "Name=${pair#*:}" "$entry" || fail "the desktop entry $entry is not named ${pair#*:}"
  grep -qx "Terminal=false" "$entry" || fail "the desktop entry $entry asks for a terminal"
  exec_name=$(sed -n 's/^Exec=//p' "$entry" | cut -d' ' -f1)
  [ -x "$bin/$exec_name" ] || fail "the desktop entry starts '$exec_name', which is not an installed program"
  icon="$share/icons/hicolor/scalable/apps/$(sed -n 's/^Icon=//p' "$entry").svg"
  [ -f "$icon" ] || fail "the desktop entry's icon $icon is not installed"
  grep -q "<svg" "$icon" && grep -q "</svg>" "$icon" || fail "the icon is not an SVG document"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "desktop-file-validate refuses the entry $entry"
  fi
done
[ -f "$doc/copyright" ] && grep -q "GPL-3.0-or-later" "$doc/copyright" || fail "no copyright file naming the licence"
if command -v rsvg-convert >/dev/null; then
  rsvg-convert -w 48 -h 48 "$icon" -o "$work/icon.png" || fail "the icon cannot be drawn at 48 pixels"
fi

for f in "$source_dir"/examples/demo/*.inp "$source_dir"/examples/demo/*.wls \
         "$source_dir"/examples/demo/*.qls "$source_dir"/examples/demo/*.bgi; do
  [ -e "$f" ] || continue
  cmp -s "$f" "$examples/$(basename "$f")" || fail "example file $(basename "$f") not installed as it is"
done

# Every relative link of the README and the user guide to a file of the source tree
# holds in the installed documentation too.
for page in README.md docs/user-guide.md; do
  [ -f "$source_dir/$page" ] || continue
  cmp -s "$source_dir/$page" "$doc/$page" || fail "$page is not installed in $doc"
  dir=$(dirname "$page")
  for link in $(grep -o '](\([^):#]*\))' "$source_dir/$page" | sed 's/^](//; s/)$//' | sort -u); do
    case "$link" in *.md|*.png) ;; *) continue ;; esac
    [ -e "$source_dir/$dir/$link" ] || continue
    [ -e "$doc/$dir/$link" ] || fail "$page links to $link, which is not installed beside it"
  done
done

# --- the programs
for study in demo-one-session.inp demo-two-sessions.inp; do
  run_program "$bin/truv-check" "$examples/$study"
  [ "$STATUS" = 0 ] || { cat "$work/out" >&2; fail "truv-check found the installed $study unusable ($STATUS)"; }
  grep -q "A run would go through (0 warnings)." "$work/out" || { cat "$work/out" >&2; fail "truv-check: $study"; }
done
echo "truv-check accepts the installed example"

mkdir -p "$work/sim"
run_program "$bin/truv-sim" "$examples/demo-two-sessions.inp" --data "$work/sim/demo.dat" --subject 3 --seed 7
[ "$STATUS" = 0 ] || fail "truv-sim on the installed example ended with $STATUS"
[ "$(wc -l <"$work/sim/demo.dat")" -gt 1 ] || fail "truv-sim wrote no trials into its data file"
[ -s "$work/sim/demo.slg" ] || fail "truv-sim wrote no subject log"
echo "truv-sim ran the installed example"

run_program env -u DISPLAY "$bin/truv-results" --html "$work/sim/report.html" --csv-summary "$work/sim/summary.csv" \
  "$work/sim/demo.dat"
[ "$STATUS" = 0 ] || { cat "$work/err" >&2; fail "truv-results on truv-sim's data ended with $STATUS"; }
grep -q "<svg" "$work/sim/report.html" || fail "truv-results' report holds no chart"
[ "$(wc -l <"$work/sim/summary.csv")" = 3 ] || fail "truv-results' summary has no row per session"
echo "truv-results analysed it"

run_program "$bin/truv-timing" --trials 5
[ "$STATUS" = 0 ] || fail "truv-timing ended with $STATUS"
# Xvfb has Present and no compositing manager: every word is presented at a refresh.
for part in "latency error, recorded minus true" "delay of 999 ms" "Key times: " "Verdict:" "Latencies: " \
            "Onsets: X11 Present, every " "What these figures cover" "What they do not cover"; do
  grep -q "$part" "$work/out" || { cat "$work/out" >&2; fail "truv-timing printed no '$part'"; }
done
run_program "$bin/truv-timing" --trials 1
[ "$STATUS" = 2 ] || fail "truv-timing --trials 1 ended with $STATUS, not 2 (usage)"
run_program env -u DISPLAY "$bin/truv-timing" --trials 5
[ "$STATUS" = 1 ] || fail "truv-timing without a display ended with $STATUS, not 1"
grep -q "no X display" "$work/err" || fail "truv-timing did not say that there is no display"
echo "truv-timing measured"

launch "$bin/truv"
menu=$(wait_for_window "TRUV for Windows 2.3") || fail "the installed truv showed no main menu"
key_to "$menu" Escape
wait_for_exit "$pid" || fail "Escape on the menu did not end the installed truv"
[ "$EXIT_STATUS" = 0 ] || fail "the installed truv ended with $EXIT_STATUS"
pid=""
echo "truv started and ended from its main menu"

# --- removing it
if [ "$mode" = dpkg ]; then
  remove_package || { cat "$work/remove.log" >&2; fail "dpkg -r truv failed"; }
  installed=""
  [ ! -e /usr/bin/truv ] && [ ! -e /usr/share/applications/truv.desktop ] || fail "dpkg -r left files behind"
  dpkg-query -W -f='${Status}' truv 2>/dev/null | grep -q "ok installed" && fail "truv is still installed"
  echo "removed"
fi
echo "PASS"
