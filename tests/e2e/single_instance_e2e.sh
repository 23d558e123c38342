#!/usr/bin/env bash
# One program, one window, on a real X desktop: Xvfb, openbox and a notification-area host
# (trayer). The real binary starts and is sent to the tray, once by its close button and once by
# minimising; each time a second start must exit with code 0 and bring the first one's window back
# on the screen. Then the first is killed as a crash would end it, and a new start, finding the
# lock and the socket it left, must open its own window.
#
#   tests/e2e/single_instance_e2e.sh <tiramon-binary> [out-dir]
#
# Exits 0 when every check passed, 77 (which ctest reports as skipped) when a desktop tool is
# missing, and 1 with a message naming the failed check otherwise.
set -uo pipefail
# shellcheck source=x_display.sh
source "$(dirname "$0")/x_display.sh"
export LC_ALL=C.UTF-8

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 <tiramon-binary> [out-dir]" >&2
  exit 2
fi
binary=$1
[ -x "$binary" ] || { echo "single_instance: FAIL: no program $binary" >&2; exit 1; }
for tool in Xvfb openbox trayer xdotool xdpyinfo xwininfo xprop import; do
  if ! command -v "$tool" >/dev/null; then
    echo "single_instance: $tool is not installed; skipped"
    exit 77
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tiramon-single.XXXXXX")
out=${2:-$work/screenshots}
mkdir -p "$out" && out=$(cd "$out" && pwd)
pids=()
first=""
cleanup() {
  local i
  [ -n "$first" ] && kill "$first" 2>/dev/null
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  for i in "${pids[@]}"; do wait "$i" 2>/dev/null; done
  [ "$out" = "$work/screenshots" ] || rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "single_instance: FAIL: $*" >&2
  [ -n "${DISPLAY:-}" ] && import -window root "$out/failure.png" 2>/dev/null
  for log in "$work"/app-*.log; do
    [ -s "$log" ] && sed "s|^|  $(basename "$log" .log): |" "$log" >&2
  done
  exit 1
}
step() { echo "single_instance: $*"; }
shot() { import -window root "$out/$1.png" || fail "screenshot $1 could not be taken"; }

start_xvfb "$work"
status=$?
pids+=("$xvfb_pid")
[ "$status" -eq 0 ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"

# A session of its own: its own runtime folder (where the copies meet), settings and data, and
# the program's folder with a cached page, so no start waits for a network.
mkdir -p "$work/app" "$work/home" "$work/runtime" "$work/config" "$work/data"
chmod 700 "$work/runtime"
chmod 755 "$work/app"
cp "$binary" "$work/app/tiramon"
cp "$(dirname "$0")/../data/quotes_majors.html" "$work/app/kotirovki.dat"
session=(env -i PATH="$PATH" DISPLAY="$DISPLAY" HOME="$work/home" LANG=C.UTF-8
  XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data")
for name in ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS; do
  [ -n "${!name:-}" ] && session+=("$name=${!name}")
done

"${session[@]}" openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=("$!")
wm_ready() { xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q '^_NET_CLIENT_LIST('; }
wait_for 10 wm_ready || fail "openbox did not take the screen"
"${session[@]}" trayer --edge top --align right --widthtype pixel --width 120 --height 24 \
  >"$work/trayer.log" 2>&1 &
pids+=("$!")
wait_for 10 xdotool search --onlyvisible --class '^trayer$' ||
  fail "trayer did not show its panel"

# launch NAME: starts a copy; sets pid to its process. Its exit code lands in $work/NAME.rc.
launch() {
  rm -f "$work/$1.pid" "$work/$1.rc"
  # shellcheck disable=SC2016 # expanded by the inner shell
  "${session[@]}" sh -c '"$1" >"$2" 2>&1 & echo $! >"$3"; wait $!; echo $? >"$4"' sh \
    "$work/app/tiramon" "$work/app-$1.log" "$work/$1.pid" "$work/$1.rc" 2>/dev/null &
  pids+=("$!")
  wait_for 5 test -s "$work/$1.pid" || fail "copy $1 did not start"
  pid=$(cat "$work/$1.pid")
}

title='^Тирамон 1\.4'
window_of() { xdotool search --all --onlyvisible --pid "$1" --name "$title" 2>/dev/null | head -n1; }
has_window() { [ -n "$(window_of "$1")" ]; }
map_state() { xwininfo -id "$1" 2>/dev/null | sed -n 's/^ *Map State: *//p'; }
map_state_is() { [ "$(map_state "$1")" = "$2" ]; }
rectangle() {
  xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ { x = $4 }
    /Absolute upper-left Y/ { y = $4 } /Width/ { w = $2 } /Height/ { h = $2 }
    END { if (w) print x, y, w, h }'
}
# The tray icon: a window of the program's inside trayer's panel.
tray_icon_up() {
  local panel px py pw ph w x y width height
  panel=$(xdotool search --onlyvisible --classname '^panel$' 2>/dev/null | head -n1)
  [ -n "$panel" ] || return 1
  read -r px py pw ph < <(rectangle "$panel")
  for w in $(xdotool search --onlyvisible --classname '^tiramon$' 2>/dev/null); do
    read -r x y width height < <(rectangle "$w") || continue
    [ "$x" -ge "$px" ] && [ "$y" -ge "$py" ] && [ $((x + width)) -le $((px + pw)) ] &&
      [ $((y + height)) -le $((py + ph)) ] && return 0
  done
  return 1
}
# The close button of the window manager's frame, at the right end of the title bar.
close_button() {
  local x y width right top
  read -r x y width _ < <(rectangle "$win")
  read -r _ right top _ < <(xprop -id "$win" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  xdotool mousemove $((x + width + right - 12)) $((y - top / 2)) click 1
}

launch first
first=$pid
wait_for 20 has_window "$first" || fail "the first copy opened no window"
win=$(window_of "$first")
wait_for 5 tray_icon_up || fail "the first copy has no tray icon"
shot 01-first

# second_start WHAT: a second copy must end with 0 and the first's window come back.
second_start() {
  launch "second-$1"
  wait_for 10 test -s "$work/second-$1.rc" || fail "$1: the second start did not end"
  [ "$(cat "$work/second-$1.rc")" = 0 ] ||
    fail "$1: the second start exited with $(cat "$work/second-$1.rc")"
  has_window "$pid" && fail "$1: the second start opened a window of its own"
  wait_for 5 map_state_is "$win" IsViewable ||
    fail "$1: the first copy's window is $(map_state "$win") after the second start"
  kill -0 "$first" 2>/dev/null || fail "$1: the first copy has ended"
}

close_button
wait_for 5 map_state_is "$win" IsUnMapped || fail "closing left the window $(map_state "$win")"
second_start closed-to-tray
shot 02-back-from-tray
step "closed to the tray, a second start brought the window back and exited with 0"

xdotool windowminimize "$win"
wait_for 5 map_state_is "$win" IsUnMapped || fail "minimising left the window $(map_state "$win")"
second_start minimised
shot 03-back-from-minimised
step "minimised, a second start brought the window back and exited with 0"

# A crash leaves the lock and the socket behind; the next start takes them over.
kill -KILL "$first"
wait_for 5 test -s "$work/first.rc" || fail "the first copy outlived SIGKILL"
first=""
[ -e "$work/runtime/tiramon.socket" ] || fail "no socket was left to test a stale one with"
launch after-crash
first=$pid
wait_for 20 has_window "$first" || fail "after a crash the next start opened no window"
shot 04-after-crash
step "after a crash the next start opened its own window"
