#!/usr/bin/env bash
# The tray through StatusNotifierItem, as current panels host it: a private session bus
# (dbus-run-session) with Debian's status-notifier-watcher, this script playing the panel with
# gdbus, and a fresh copy of the real tiramon binary on Xvfb. Checks that the icon registers, that
# Activate hides and shows the window, that the exported menu holds the tray menu's entries in
# order, and that its "Выход" ends the program with status 0. Every step is printed.
#
#   tests/e2e/sni_tray.sh <tiramon-binary>
#
# Exits 77 (skipped) when a tool is missing, 1 naming the failed step otherwise.
set -uo pipefail
# shellcheck source=x_display.sh
source "$(dirname "$0")/x_display.sh"
export LC_ALL=C.UTF-8

if [ $# -ne 1 ] || [ ! -x "$1" ]; then
  echo "usage: $0 <tiramon-binary>" >&2
  exit 2
fi
binary=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")

for tool in dbus-run-session status-notifier-watcher gdbus Xvfb xdpyinfo xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "sni_tray: $tool is not installed; skipped"
    exit 77
  fi
done

# The rest runs on a session bus of its own, so no desktop's panel or watcher takes part.
if [ -z "${TIRAMON_SNI_PRIVATE_BUS:-}" ]; then
  export TIRAMON_SNI_PRIVATE_BUS=1
  exec dbus-run-session -- "$0" "$binary" 2> >(grep -v 'Failed to set fd limit' >&2)
fi

step() { printf 'sni_tray: %s\n' "$*"; }
fail() {
  printf 'sni_tray: FAIL: %s\n' "$*" >&2
  [ -s "$work/tiramon.log" ] && sed 's/^/  tiramon: /' "$work/tiramon.log" >&2
  exit 1
}
call() { gdbus call --session --timeout 5 "$@"; }

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

start_xvfb "$work"
status=$?
pids+=("$xvfb_pid")
[ "$status" -eq 0 ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"

step "session bus $DBUS_SESSION_BUS_ADDRESS, display $DISPLAY"
status-notifier-watcher >"$work/watcher.log" 2>&1 &
pids+=($!)
watcher_up() {
  call -d org.freedesktop.DBus -o /org/freedesktop/DBus -m org.freedesktop.DBus.NameHasOwner \
    org.kde.StatusNotifierWatcher | grep -q true
}
wait_for 10 watcher_up || fail "status-notifier-watcher did not take its name"
watcher=(-d org.kde.StatusNotifierWatcher -o /StatusNotifierWatcher)
# Qt hosts its icon here only when a panel has registered; this script is that panel.
call "${watcher[@]}" -m org.kde.StatusNotifierWatcher.RegisterStatusNotifierHost \
  org.kde.StatusNotifierHost-sni-tray-test >/dev/null || fail "the host could not register"
step "watcher running, host registered"

# A fresh copy keeps its files beside itself, in the scratch folder; the cached page lets the
# first refresh finish without the demo feed.
cp "$binary" "$work/tiramon"
cp "$(dirname "$0")/../data/quotes_majors.html" "$work/kotirovki.dat"
# A runtime folder of its own: a copy of the program running elsewhere for this user would
# otherwise take this start as a second one and show its own window instead.
mkdir -m 700 "$work/runtime"
(cd "$work" && exec env QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/runtime" ./tiramon \
  >"$work/tiramon.log" 2>&1) &
app=$!
pids+=("$app")

items() {
  call "${watcher[@]}" -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher \
    RegisteredStatusNotifierItems
}
registered() { items | grep -q "'[^']"; }
wait_for 20 registered || fail "no item registered with the watcher: $(items)"
entry=$(items | sed -E "s/^\(<\['([^']*)'.*/\1/")
service=${entry%%/*}
path=/StatusNotifierItem
[[ $entry == */* ]] && path=/${entry#*/}
step "item registered: $entry"

item=(-d "$service" -o "$path")
property() {
  call "${item[@]}" -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem "$1"
}
category=$(property Category) || fail "the item does not answer Properties.Get"
status=$(property Status)
menu=$(property Menu | sed -E "s/^\(<objectpath '([^']*)'>,\)$/\1/")
step "item Category $category, Status $status, Menu $menu"
[[ $category == *ApplicationStatus* ]] || fail "Category is $category, not ApplicationStatus"
[[ $menu == /* ]] || fail "the item exports no menu: $menu"

visible() { xdotool search --onlyvisible --pid "$app" --classname '^tiramon$' >/dev/null 2>&1; }
hidden() { ! visible; }
wait_for 20 visible || fail "the window did not appear"
step "window visible after start"

call "${item[@]}" -m org.kde.StatusNotifierItem.Activate 0 0 >/dev/null || fail "Activate failed"
wait_for 10 hidden || fail "Activate left the window visible"
step "Activate: window hidden"
call "${item[@]}" -m org.kde.StatusNotifierItem.Activate 0 0 >/dev/null || fail "Activate failed"
wait_for 10 visible || fail "the second Activate did not bring the window back"
step "Activate: window shown again"

layout=$(call -d "$service" -o "$menu" -m com.canonical.dbusmenu.GetLayout -- 0 -1 '@as []' 2>&1) ||
  fail "GetLayout failed: $layout"
# Each entry of the layout as "id<TAB>label" ("-" for a separator), in menu order.
entries() {
  grep -oE "\([0-9]+, \{[^}]*\}" <<<"$layout" | while read -r raw; do
    local id label
    id=$(sed -E 's/^\(([0-9]+),.*/\1/' <<<"$raw")
    [ "$id" = 0 ] && continue
    if [[ $raw == *"'type': <'separator'>"* ]]; then
      label=-
    else
      label=$(sed -nE "s/.*'label': <'([^']*)'>.*/\1/p" <<<"$raw" | tr -d '&')
    fi
    printf '%s\t%s\n' "$id" "$label"
  done
}
expected=$'Скопировать тэйк профит\nСкопировать стоп лосс\nСкопировать лот\n-\nРазвернуть\n-\nВыход'
actual=$(entries | cut -f2)
step "menu entries: $(tr '\n' '|' <<<"$actual")"
[ "$actual" = "$expected" ] || fail "the menu should read $(tr '\n' '|' <<<"$expected")"

quit_id=$(entries | awk -F'\t' '$2 == "Выход" { print $1 }')
step "clicking menu entry $quit_id (Выход)"
call -d "$service" -o "$menu" -m com.canonical.dbusmenu.Event "$quit_id" clicked '<0>' 0 \
  >/dev/null || fail "the click on Выход was not delivered"
for _ in $(seq 100); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$app" 2>/dev/null && fail "the program still runs 10 s after Выход"
wait "$app"
code=$?
[ "$code" -eq 0 ] || fail "the program ended with status $code after Выход"
step "program ended with status 0"
step "passed"
