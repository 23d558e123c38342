# shellcheck shell=bash
# Shared by the desktop test scripts, which source it: polling, and a private X server.

# wait_for SECONDS COMMAND...: runs the command every 0.1 s, its output discarded, until it
# succeeds; returns 1 when the seconds run out.
# The seconds are what a quiet machine needs; on a loaded one (two test runs side by side, a build
# beside them) everything may take several times as long, and waiting longer for a condition costs
# nothing when it comes. TIRAMON_E2E_PATIENCE scales them (default 3).
wait_for() {
  local deadline=$((SECONDS + $1 * ${TIRAMON_E2E_PATIENCE:-3}))
  shift
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.1
  done
}

# start_xvfb FOLDER: Xvfb on the first free display, so a server already running here is never
# reused; its log goes to FOLDER/xvfb.log. Exports DISPLAY and sets xvfb_pid; returns 1 when the
# server does not answer within 10 s. With -noreset: by default a server resets whenever its
# last client leaves, as the polls here do, and a client connecting meanwhile is turned away.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp -noreset 3>"$1/display" \
    >"$1/xvfb.log" 2>&1 &
  # shellcheck disable=SC2034 # the caller's
  xvfb_pid=$!
  wait_for 10 test -s "$1/display" || return 1
  DISPLAY=":$(head -n1 "$1/display")"
  export DISPLAY
  wait_for 10 xdpyinfo
}
