#!/usr/bin/env bash
# Runs the real-desktop tray test: Xvfb, a notification-area host (trayer), then the GUI test
# binary on the X11 platform. Exits 77, which ctest reports as skipped, where a tool is missing.
set -euo pipefail
tests_binary=$1
for tool in Xvfb trayer xdotool xdpyinfo; do
  if ! command -v "$tool" >/dev/null; then
    echo "real_tray: $tool is not installed; skipped"
    exit 77
  fi
done

# Xvfb takes the first free display itself, so a server already running here is never reused.
# Without -noreset it would reset whenever its last client leaves, as the polls below do, and a
# client connecting during the reset (trayer, say) is turned away.
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
tray=""
cleanup() {
  if [ -n "$tray" ]; then kill "$tray" 2>/dev/null || true; fi
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# Polls a command every 0.1 s for up to 10 s.
wait_for() {
  local tries=100
  until "$@" >/dev/null 2>&1; do
    tries=$((tries - 1))
    [ "$tries" -le 0 ] && return 1
    sleep 0.1
  done
}
wait_for test -s "$work/display" || { echo "real_tray: Xvfb did not start" >&2; exit 1; }
DISPLAY=":$(head -n1 "$work/display")"
export DISPLAY
wait_for xdpyinfo || { echo "real_tray: Xvfb does not answer on $DISPLAY" >&2; exit 1; }
trayer --edge top --align right --widthtype pixel --width 120 --height 24 >/dev/null 2>&1 &
tray=$!
# The test asks for the notification area at once; a loaded machine may take a while to start it.
panel_shown() { [ -n "$(xdotool search --onlyvisible --class '^trayer$')" ]; }
wait_for panel_shown || { echo "real_tray: trayer did not show its panel" >&2; exit 1; }
sleep 0.5

QT_QPA_PLATFORM=xcb TIRAMON_REAL_DESKTOP=1 "$tests_binary" --gtest_filter='*RealDesktop*'
