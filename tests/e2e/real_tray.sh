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

display=":$((200 + RANDOM % 300))"
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
tray=""
cleanup() {
  [ -n "$tray" ] && kill "$tray" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
trayer --edge top --align right --widthtype pixel --width 120 --height 24 >/dev/null 2>&1 &
tray=$!
sleep 0.5

QT_QPA_PLATFORM=xcb TIRAMON_REAL_DESKTOP=1 "$tests_binary" --gtest_filter='*RealDesktop*'
