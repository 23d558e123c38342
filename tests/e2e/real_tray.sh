#!/usr/bin/env bash
# Runs the real-desktop tray test: Xvfb, a notification-area host (trayer), then the GUI test
# binary on the X11 platform. Exits 77, which ctest reports as skipped, where a tool is missing.
set -euo pipefail
# shellcheck source=x_display.sh
source "$(dirname "$0")/x_display.sh"
tests_binary=$1
for tool in Xvfb trayer xdotool xdpyinfo; do
  if ! command -v "$tool" >/dev/null; then
    echo "real_tray: $tool is not installed; skipped"
    exit 77
  fi
done

work=$(mktemp -d)
xvfb_pid=""
tray=""
cleanup() {
  if [ -n "$tray" ]; then kill "$tray" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
start_xvfb "$work" || { echo "real_tray: Xvfb did not start: $(cat "$work/xvfb.log")" >&2; exit 1; }
trayer --edge top --align right --widthtype pixel --width 120 --height 24 >/dev/null 2>&1 &
tray=$!
# The test asks for the notification area at once; a loaded machine may take a while to start it.
panel_shown() { [ -n "$(xdotool search --onlyvisible --class '^trayer$')" ]; }
wait_for 10 panel_shown || { echo "real_tray: trayer did not show its panel" >&2; exit 1; }
sleep 0.5

QT_QPA_PLATFORM=xcb TIRAMON_REAL_DESKTOP=1 "$tests_binary" --gtest_filter='*RealDesktop*'
