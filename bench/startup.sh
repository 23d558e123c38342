#!/usr/bin/env bash
# Start-up to first paint and peak resident memory of the real program next to the minimal
# six-tab window, on a display of their own: Xvfb with a black root, a notification-area host
# (the program lives in the tray on a desktop) and the demo quote feed on the port the program
# was built to read. The runs themselves are timed by startup_probe (bench/startup/).
#
#   bench/startup.sh <build-dir> [runs] [settle-ms] [startup_probe options ...]
#
# e.g. `bench/startup.sh build-perf 3 500 --shots /tmp/shots` also keeps the frame each run was
# judged painted by, and `--poll` reads the pixels every 2 ms instead of at damage reports.
# Needs the targets tiramon, minimal_window, startup_probe and quote_feed in <build-dir>.
# Prints the probe's per-run lines, its "summary" lines and the "ratio tiramon/minimal" line.
#
# Environment: FEED_ARGS adds options to the feed (e.g. "--rows 320000" for the large page);
# PROGRAMS replaces the list of NAME=PATH[,expect=FILE] entries given to the probe (the first
# two make the ratio line), e.g. to time an older build beside the current one.
set -uo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 <build-dir> [runs] [settle-ms] [startup_probe options ...]" >&2
  exit 2
fi
build=$(cd "$1" 2>/dev/null && pwd) || { echo "startup: no build folder $1" >&2; exit 2; }
runs=${2:-10}
settle=${3:-500}
probe_options=("${@:4}")

for tool in Xvfb trayer; do
  if ! command -v "$tool" >/dev/null; then
    echo "startup: $tool is not installed (scripts/setup installs it)" >&2
    exit 1
  fi
done
for binary in tiramon minimal_window startup_probe quote_feed; do
  if [ ! -x "$build/$binary" ]; then
    echo "startup: $build/$binary is missing (build the targets tiramon, minimal_window," \
      "startup_probe and quote_feed)" >&2
    exit 1
  fi
done

# The program's addresses are fixed when it is built, so the feed must take that very port.
# Where the system allows it the measurement gets a network of its own, so that neither a feed
# already running on this machine nor another user of the port gets in the way.
ip_tool=$(PATH=$PATH:/usr/sbin:/sbin command -v ip)
if [ -z "${TIRAMON_PERF_PRIVATE_NET:-}" ] && [ -n "$ip_tool" ] && command -v unshare >/dev/null &&
  unshare --net --map-root-user true 2>/dev/null; then
  export TIRAMON_PERF_PRIVATE_NET=1
  exec unshare --net --map-root-user sh -c '"$0" link set lo up && exec "$@"' \
    "$ip_tool" "$0" "$@"
fi
port=8765
if [ -f "$build/CMakeCache.txt" ]; then
  url=$(sed -n 's/^TIRAMON_QUOTES_URL:[A-Z]*=//p' "$build/CMakeCache.txt")
  if [[ $url =~ ^http://(127\.0\.0\.1|localhost):([0-9]+)/ ]]; then
    port=${BASH_REMATCH[2]}
  elif [ -n "$url" ]; then
    echo "startup: the program reads its quotes from $url, not the demo feed on loopback" >&2
    exit 1
  fi
fi
if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
  echo "startup: port $port on 127.0.0.1 is already taken; the program is built to read its" \
    "quotes there, so stop whatever listens on it and run again" >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tiramon-startup.XXXXXX")
pids=()
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  for i in "${pids[@]}"; do wait "$i" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Waits up to five seconds for a file to have content.
wait_for_file() {
  local _
  for _ in $(seq 100); do
    [ -s "$1" ] && return 0
    sleep 0.05
  done
  return 1
}

# A black root, so a window that is mapped but not drawn yet reads as one black block.
Xvfb -displayfd 5 -screen 0 1280x900x24 -br -nolisten tcp -noreset 5>"$work/display" \
  >"$work/xvfb.log" 2>&1 &
pids+=($!)
if ! wait_for_file "$work/display"; then
  echo "startup: Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
DISPLAY=":$(head -n 1 "$work/display")"
export DISPLAY
unset QT_QPA_PLATFORM

trayer --edge top --align right --widthtype pixel --width 120 --height 24 >/dev/null 2>&1 &
pids+=($!)

# shellcheck disable=SC2086  # FEED_ARGS is a list of options
"$build/quote_feed" --port "$port" ${FEED_ARGS:-} >"$work/feed.log" 2>&1 &
pids+=($!)
if ! wait_for_file "$work/feed.log" || [ "$(head -n 1 "$work/feed.log")" != "port $port" ]; then
  echo "startup: the quote feed did not start on port $port:" >&2
  cat "$work/feed.log" >&2
  exit 1
fi
sleep 0.5  # the notification area takes a moment to claim its selection

echo "display $DISPLAY, quote feed on 127.0.0.1:$port, $runs runs of each program"
if [ -n "${PROGRAMS:-}" ]; then
  read -r -a programs <<<"$PROGRAMS"
else
  programs=("tiramon=$build/tiramon,expect=kotirovki.dat" "minimal=$build/minimal_window")
fi
"$build/startup_probe" --runs "$runs" --warmup 1 --settle-ms "$settle" \
  "${probe_options[@]}" "${programs[@]}"
