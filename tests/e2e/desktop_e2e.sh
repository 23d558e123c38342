#!/usr/bin/env bash
# End-to-end run of the real program on a real X desktop: Xvfb, openbox, a notification-area host
# (trayer), the demo quote feed and a fresh copy of the tiramon binary, driven with xdotool the way
# a user would: refresh the quotes, pick a pair, type a deposit, close to the tray, restore from
# the tray and quit from the tray menu; then quit from the tray while the status download hangs
# (at the first show and during a refresh), and start a panel only after the program. Every step
# leaves a screenshot in the output folder.
#
#   tests/e2e/desktop_e2e.sh <build-dir> [out-dir]
#
# Exits 0 when every check passed, 77 (which ctest reports as skipped) with a note when a desktop
# tool is missing or the build reads other addresses than the demo feed, and 1 with a message
# naming the failed check otherwise.
set -uo pipefail
# shellcheck source=x_display.sh
source "$(dirname "$0")/x_display.sh"
# Tool output (window names, numbers) in one known form, whatever the caller's locale.
export LC_ALL=C.UTF-8

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 <build-dir> [out-dir]" >&2
  exit 2
fi
build=$(cd "$1" 2>/dev/null && pwd) || { echo "desktop_e2e: no build folder $1" >&2; exit 2; }

for tool in Xvfb openbox trayer xdotool xdpyinfo xwininfo xprop xclip import; do
  if ! command -v "$tool" >/dev/null; then
    echo "desktop_e2e: $tool is not installed; skipped"
    exit 77
  fi
done
for binary in tiramon quote_feed; do
  if [ ! -x "$build/$binary" ]; then
    echo "desktop_e2e: FAIL: $build/$binary is missing (build tiramon and quote_feed)" >&2
    exit 1
  fi
done

# The program's addresses are fixed when it is built, so the feed must take that very port. Where
# the system allows it, the whole run gets a network of its own, so a feed or a program already
# running on this machine neither blocks the port nor answers in place of our feed.
ip_tool=$(PATH=$PATH:/usr/sbin:/sbin command -v ip)
if [ -z "${TIRAMON_E2E_PRIVATE_NET:-}" ] && [ -n "$ip_tool" ] && command -v unshare >/dev/null; then
  # Root needs no user namespace; anyone else may get one mapped to root where the kernel allows.
  for flags in --net "--net --map-root-user"; do
    # shellcheck disable=SC2086 # two words on purpose
    unshare $flags true 2>/dev/null || continue
    export TIRAMON_E2E_PRIVATE_NET=1
    # shellcheck disable=SC2016,SC2086 # expanded by the inner shell; two words on purpose
    exec unshare $flags sh -c '"$0" link set lo up && exec "$@"' "$ip_tool" "$0" "$@"
  done
fi
port=8765
if [ -f "$build/CMakeCache.txt" ]; then
  for key in TIRAMON_STATUS_URL TIRAMON_QUOTES_URL; do
    url=$(sed -n "s/^$key:[A-Z]*=//p" "$build/CMakeCache.txt")
    [ -z "$url" ] && continue
    if [[ ! $url =~ ^http://(127\.0\.0\.1|localhost):([0-9]+)/ ]]; then
      echo "desktop_e2e: $key is $url, not the demo feed on loopback; skipped"
      exit 77
    fi
    port=${BASH_REMATCH[2]}
  done
fi
if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
  echo "desktop_e2e: FAIL: port $port on 127.0.0.1 is already taken; the program is built to" \
    "read its quotes there, so stop whatever listens on it and run again" >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tiramon-e2e.XXXXXX")
out=${2:-$work/screenshots}
mkdir -p "$out" || { echo "desktop_e2e: cannot create $out" >&2; exit 2; }
out=$(cd "$out" && pwd)
echo "desktop_e2e: screenshots in $out"

started=$SECONDS
pids=()
app=""
cleanup() {
  local i
  [ -n "$app" ] && kill "$app" 2>/dev/null
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  for i in "${pids[@]}"; do wait "$i" 2>/dev/null; done
  # The logs stay beside the default screenshot folder; the program's files go.
  rm -rf "${work:?}/app" "${work:?}/home" "${work:?}/runtime" "${work:?}/config" "${work:?}/data"
  [ "$out" = "$work/screenshots" ] || rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "desktop_e2e: FAIL: $*" >&2
  [ -n "${DISPLAY:-}" ] && import -window root "$out/failure.png" 2>/dev/null
  [ -s "$work/app.log" ] && sed 's/^/  tiramon: /' "$work/app.log" >&2
  exit 1
}
step() { printf 'desktop_e2e: [%2ds] %s\n' $((SECONDS - started)) "$*"; }
shot() { import -window root "$out/$1.png" || fail "screenshot $1 could not be taken"; }

# Conditions for wait_for (x_display.sh), which polls a command for up to $1 seconds.
has_output() { [ -n "$("$@")" ]; }
no_output() { [ -z "$("$@")" ]; }

# A private X server on the first free display.
start_xvfb "$work"
status=$?
pids+=("$xvfb_pid")
[ "$status" -eq 0 ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"

# Everything below runs in a clean session of its own: no user settings, no session bus (the
# tray icon must go to our notification area, not to the desktop the test was started from).
mkdir -p "$work/home" "$work/runtime" "$work/config" "$work/data"
chmod 700 "$work/runtime"
session=(env -i PATH="$PATH" DISPLAY="$DISPLAY" HOME="$work/home" LANG=C.UTF-8
  XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data")
for name in ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS; do
  [ -n "${!name:-}" ] && session+=("$name=${!name}")
done

"${session[@]}" openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=("$!")
# Openbox names itself on the root window early in its start, before it manages windows: a panel
# mapped in that gap stays unmapped for good. The client list is the last thing its start sets.
wm_ready() { xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q '^_NET_CLIENT_LIST('; }
wait_for 10 wm_ready || fail "openbox did not take the screen"

start_panel() {
  "${session[@]}" trayer --edge top --align right --widthtype pixel --width 120 --height 24 \
    >"$work/trayer.log" 2>&1 &
  trayer_pid=$!
  pids+=("$trayer_pid")
  if ! wait_for 10 xdotool search --onlyvisible --class '^trayer$' >/dev/null; then
    state="has ended"
    kill -0 "$trayer_pid" 2>/dev/null && state="still runs"
    fail "trayer did not show its panel; it $state; its output: $(cat "$work/trayer.log")"
  fi
  # Let the panel claim the notification area before anything looks for it.
  sleep 0.5
}
start_panel

# While this file exists the feed leaves status requests unanswered, like a hung server.
stall=$work/stall
"$build/quote_feed" --port "$port" --stall-file "$stall" >"$work/feed.log" 2>"$work/feed.err" &
feed=$!
pids+=("$feed")
feed_ready() { grep -qs '^port ' "$work/feed.log" || ! kill -0 "$feed" 2>/dev/null; }
wait_for 10 feed_ready
grep -q "^port $port\$" "$work/feed.log" ||
  fail "the demo feed did not start on port $port: $(cat "$work/feed.err")"

# A fresh, writable program folder: the program keeps news.txt and kotirovki.dat beside itself.
mkdir -p "$work/app"
# Only its owner may write it, whatever the umask, or the program would rightly pass it over.
chmod 755 "$work/app"
cp "$build/tiramon" "$work/app/tiramon"
# The launcher shell stays the program's parent, so its exit code is kept once it ends.
launch() {
  rm -f "$work/app.pid" "$work/app.rc"
  # shellcheck disable=SC2016 # expanded by the inner shell
  "${session[@]}" sh -c '"$1" >"$2" 2>&1 & echo $! >"$3"; wait $!; echo $? >"$4"' sh \
    "$work/app/tiramon" "$work/app.log" "$work/app.pid" "$work/app.rc" &
  pids+=("$!")
  wait_for 5 test -s "$work/app.pid" || fail "tiramon did not start"
  app=$(cat "$work/app.pid")
}
launch
alive() { kill -0 "$app" 2>/dev/null && [ ! -s "$work/app.rc" ]; }

# Where the user clicks, in the window's client coordinates (measured on the screenshots; the
# layout is fixed: the window cannot be resized).
quotes_tab="194 13"          # tab "Форекс валютные пары"
refresh_button="808 80"      # "Обновить котировки"
second_row="43 188"          # the second row of the quote table, below its two-line header
copy_stop_loss="880 71"      # copy button beside the stop-loss price (assistant tab)
percent_mode="49 395"        # radio button "в процентах"
deposit_box="300 233"        # "Депозит:" edit box
copy_lot_margin="330 437"    # copy button of "расчет от маржи"
copy_lot_stop="330 477"      # copy button of "расчет от стопа"

# --- 1. The window comes up, fully drawn, at its size and place.
title='^Тирамон 1\.4 - Блог трейдера'
main_window() {
  xdotool search --all --onlyvisible --pid "$app" --name "$title" 2>/dev/null | head -n1
}
if ! wait_for 20 has_output main_window; then
  alive || fail "the program ended before its window came up (exit code $(cat "$work/app.rc"))"
  fail "no window titled \"Тирамон 1.4 - Блог трейдера...\" within 20 s"
fi
win=$(main_window)
geometry() { xwininfo -id "$win" 2>/dev/null; }
field() { geometry | sed -n "s/^ *$1: *//p"; }
map_state_is() { [ "$(field 'Map State')" = "$1" ]; }
[ "$(field Width)x$(field Height)" = "936x702" ] ||
  fail "client area is $(field Width)x$(field Height), expected 936x702"
read -r left right top _ < <(xprop -id "$win" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
frame_x=$(($(field 'Absolute upper-left X') - left))
frame_y=$(($(field 'Absolute upper-left Y') - top))
[ "$frame_x,$frame_y" = "213,134" ] || fail "window placed at $frame_x,$frame_y, expected 213,134"
sleep 0.3
shot 01-started
step "window up: 936x702 at 213,134, title $(xprop -id "$win" _NET_WM_NAME | sed 's/.*= //')"

cache=$work/app/kotirovki.dat
[ -s "$cache" ] || fail "the first show did not write the quote cache $cache"
grep -q 'GBP/USD' "$cache" || fail "the quote cache holds no quotes page"
[ -s "$work/app/news.txt" ] || fail "the first show did not download news.txt"
first_cache=$(md5sum <"$cache")

# The tray icon is the program's window that lies inside trayer's panel.
rectangle() {
  xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ { x = $4 }
    /Absolute upper-left Y/ { y = $4 } /Width/ { w = $2 } /Height/ { h = $2 }
    END { if (w) print x, y, w, h }'
}
find_panel() {
  panel=$(xdotool search --onlyvisible --classname '^panel$' 2>/dev/null | head -n1)
  [ -n "$panel" ] || fail "trayer's panel window is not on the screen"
  read -r px py pw ph < <(rectangle "$panel")
}
find_panel
tray_icon() {
  local w x y width height
  for w in $(xdotool search --onlyvisible --classname '^tiramon$' 2>/dev/null); do
    read -r x y width height < <(rectangle "$w") || continue
    if [ "$x" -ge "$px" ] && [ "$y" -ge "$py" ] && [ $((x + width)) -le $((px + pw)) ] &&
      [ $((y + height)) -le $((py + ph)) ]; then
      echo "$w"
      return
    fi
  done
}
wait_for 5 has_output tray_icon || fail "no tray icon in the notification area"
icon=$(tray_icon)
# The middle of the icon, asked for each time: the panel may still move it after embedding.
icon_centre() {
  local x y width height
  read -r x y width height < <(rectangle "$icon")
  echo $((x + width / 2)) $((y + height / 2))
}

# click "x y" [repeat]: a left click (or a double click) at a point of the window.
click() {
  local x y
  read -r x y <<<"$1"
  xdotool mousemove --window "$win" "$x" "$y" click --repeat "${2:-1}" --delay 80 1
}
clipboard() { timeout 3 xclip -o -selection clipboard 2>/dev/null; }
clipboard_matches() { [[ $(clipboard) =~ $1 ]]; }
# Clicks a copy button and expects the clipboard to match a pattern.
copy_and_check() {
  local what=$1 button=$2 pattern=$3 text
  click "$button"
  wait_for 3 clipboard_matches "$pattern"
  text=$(clipboard)
  [[ $text =~ $pattern ]] || fail "$what: clipboard holds \"$text\", expected $pattern"
  echo "$text"
}

# --- 2. Quotes tab, refresh.
click "$quotes_tab"
sleep 0.3
shot 02-quotes-tab
click "$refresh_button"
cache_changed() { [ "$(md5sum <"$cache")" != "$first_cache" ]; }
wait_for 10 cache_changed ||
  fail "pressing \"Обновить котировки\" did not rewrite the quote cache"
sleep 0.3
shot 03-refreshed
step "quotes refreshed: cache rewritten ($(wc -c <"$cache") bytes)"

# --- 3. Double click on the second row (GBP/USD in the feed's order) brings up the assistant.
ask=$(grep -o 'GBP/USD</a></td><td class="pid-[0-9]*-bid">[0-9.]*</td><td class="pid-[0-9]*-ask">[0-9.]*' \
  "$cache" | sed 's/.*>//')
[ -n "$ask" ] || fail "no GBP/USD ask in the quote cache"
click "$second_row" 2
sleep 0.3
shot 04-assistant
# Buying opens at the ask, and the stop lies 150 points below it: the stop-loss price, copied
# with its button.
stop=$(awk -v a="$ask" 'BEGIN { printf "%.5f", a - 0.0015 }')
copy_and_check "stop-loss price of GBP/USD" "$copy_stop_loss" "^${stop//./\\.}\$" >/dev/null
step "double click picked GBP/USD (ask $ask): the assistant shows stop loss $stop"

# --- 4. Risk in percent and a deposit of 2500 typed into the deposit box.
click "$percent_mode"
click "$deposit_box"
xdotool key End key --repeat 8 --delay 20 BackSpace type --delay 40 2500
sleep 0.3
shot 05-deposit
# 90 % of 2500 over a 150-point stop is 15 lots; the margin of 1 lot at 1:500 is ask * 200 $.
copy_and_check "lot from the stop" "$copy_lot_stop" '^15$' >/dev/null
lot=$(copy_and_check "lot from the margin" "$copy_lot_margin" '^[0-9]+\.?[0-9]*$') || exit 1
expected_lot=$(awk -v a="$ask" 'BEGIN { print 2250 / (a * 200) }')
# The lot is rounded down, never up: a lot above the margin asked would spend more than 90 %.
awk -v l="$lot" -v e="$expected_lot" 'BEGIN { exit !(l <= e + 1e-9 && e - l < 0.01) }' ||
  fail "lot from the margin is $lot, expected $expected_lot rounded down to 2 decimals"
step "deposit 2500 in percent mode: lot from the stop 15, from the margin $lot"

# --- 5. The close button sends the window to the tray; the program keeps running.
close_button() {
  local right_edge=$(($(field 'Absolute upper-left X') + 936 + right))
  xdotool mousemove $((right_edge - 12)) $((frame_y + top / 2)) click 1
}
close_button
wait_for 5 map_state_is IsUnMapped ||
  fail "the close button left the window $(field 'Map State')"
sleep 0.5
alive || fail "closing the window ended the program"
xprop -root _NET_CLIENT_LIST | grep -qw "$(printf '0x%x' "$win")" &&
  fail "the hidden window is still in the window manager's client list"
shot 06-closed-to-tray
step "close button: window unmapped, off the task list, process $app alive"

# --- 6. A double click on the tray icon brings it back with its values.
read -r icon_x icon_y < <(icon_centre)
xdotool mousemove "$icon_x" "$icon_y"
sleep 0.2
xdotool click --repeat 2 --delay 80 1
wait_for 5 map_state_is IsViewable ||
  fail "a double click on the tray icon at $icon_x,$icon_y did not bring the window back"
sleep 0.3
shot 07-restored
copy_and_check "lot from the margin after the restore" "$copy_lot_margin" "^${lot//./\\.}\$" \
  >/dev/null
step "tray double click: window back, deposit and lots unchanged"

# --- 7. "Выход" from the tray menu ends the program with exit code 0.
# The menu is the program's largest override-redirect window (a tooltip may be up as well).
popup() {
  local w
  for w in $(xdotool search --onlyvisible --classname '^tiramon$' 2>/dev/null); do
    [ "$w" = "${win:-}" ] || [ "$w" = "$icon" ] && continue
    xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' || continue
    rectangle "$w" | awk -v w="$w" '{ print $3 * $4, w }'
  done | sort -n | tail -n1 | cut -d' ' -f2
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }
# quit_from_tray <screenshot> <ms allowed>: "Выход" from the icon's menu; sets quit_ms.
quit_from_tray() {
  local x y mx my mw mh clicked
  read -r x y < <(icon_centre)
  xdotool mousemove "$x" "$y" click 3
  wait_for 5 has_output popup || fail "a right click on the tray icon opened no menu"
  read -r mx my mw mh < <(rectangle "$(popup)")
  # Onto the last item, as a hand would, and press it once it is highlighted.
  xdotool mousemove $((mx + mw / 2)) $((my + mh - 12))
  sleep 0.3
  shot "$1"
  clicked=$(now_ms)
  xdotool click 1
  if ! wait_for $(($2 / 1000 + 1)) test -s "$work/app.rc"; then
    fail "\"Выход\" did not end the program within $2 ms" \
      "(a hidden window means the quit was turned into a close request)"
  fi
  quit_ms=$(($(now_ms) - clicked))
  [ "$quit_ms" -le "$2" ] || fail "\"Выход\" took $quit_ms ms to end the program, over $2 ms"
  local rc
  rc=$(cat "$work/app.rc")
  [ "$rc" = 0 ] || fail "the program exited with code $rc after \"Выход\""
  wait_for 3 no_output tray_icon || fail "the tray icon outlived the program"
}
quit_from_tray 08-tray-menu 10000
shot 09-after-exit
step "\"Выход\": exit code 0 after ${quit_ms} ms, tray icon gone"

# --- 8. "Выход" while the first show waits for a status file that never comes.
touch "$stall"
launch
# As long as a normal start is given for its window: an instrumented build on a machine busy with
# other tests takes seconds to reach its event loop.
if ! wait_for 20 has_output tray_icon; then
  alive && fail "no tray icon while the first show waits (the program runs)"
  fail "no tray icon while the first show waits (the program has ended)"
fi
icon=$(tray_icon)
win=""
sleep 1.5  # well into the hung download
alive || fail "the program ended on its own while the status download hung"
has_output main_window && fail "the window was shown before the first show had finished"
quit_from_tray 10-quit-first-show 1000
step "\"Выход\" during a hung first show: exit code 0 after ${quit_ms} ms, no window shown"

# --- 9. "Выход" while a refresh waits for the status file.
rm -f "$stall"
launch
wait_for 20 has_output main_window || fail "no window after a normal start"
win=$(main_window)
wait_for 5 has_output tray_icon || fail "no tray icon after a normal start"
icon=$(tray_icon)
touch "$stall"
click "$quotes_tab"
click "$refresh_button"
sleep 1.5
alive || fail "the program ended on its own during the hung refresh"
quit_from_tray 11-quit-refresh 1000
step "\"Выход\" during a hung refresh: exit code 0 after ${quit_ms} ms"

# --- 10. A panel that comes 3 s after the program gets its icon, and close then hides.
rm -f "$stall"
kill "$trayer_pid" 2>/dev/null
wait "$trayer_pid" 2>/dev/null
wait_for 5 no_output xdotool search --onlyvisible --class '^trayer$' || fail "trayer did not end"
launch
started_at=$SECONDS
wait_for 20 has_output main_window || fail "no window without a panel"
win=$(main_window)
sleep $((3 - (SECONDS - started_at) > 0 ? 3 - (SECONDS - started_at) : 0))
start_panel
find_panel
wait_for 10 has_output tray_icon || fail "the panel started after the program got no icon"
icon=$(tray_icon)
shot 12-late-panel
read -r left right top _ < <(xprop -id "$win" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
close_button
wait_for 5 map_state_is IsUnMapped || fail "with a late panel, close left the window $(field 'Map State')"
sleep 0.5
alive || fail "with a late panel, closing the window ended the program"
quit_from_tray 13-quit-late-panel 10000
step "panel started 3 s late: icon shown, close hid the window, \"Выход\" ended it (code 0)"

[ -e "$work/data/tiramon" ] && fail "a writable program folder was passed over for the data folder"
[ -s "$cache" ] || fail "the quote cache is gone after exit"
step "passed in $((SECONDS - started)) s; screenshots in $out"
