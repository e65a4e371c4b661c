#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Brivel in a Wayland session with Xwayland (weston, from desktop-session.sh):
# the timer and, through F1, its help viewer are X11 windows there; with
# QT_QPA_PLATFORM=wayland the timer is a Wayland window and none on X11.
#   real_wayland.sh <program folder>
set -u
export XDG_RUNTIME_DIR=$BRIVEL_WAYLAND_RUNTIME_DIR WAYLAND_DISPLAY=$BRIVEL_WAYLAND_DISPLAY
export DISPLAY=$BRIVEL_XWAYLAND_DISPLAY XDG_SESSION_TYPE=wayland XDG_CONFIG_HOME=$(mktemp -d)
unset QT_QPA_PLATFORM
log=$XDG_CONFIG_HOME/wayland.log pids=() failures=0
stop() { kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; pids=(); }
trap 'stop; rm -rf "$XDG_CONFIG_HOME"' EXIT
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
x11_window() { timeout 20 xdotool search --sync --onlyvisible "$@" | head -n 1; }

"$1/Brivel" & pids+=($!)
timer=$(x11_window --pid $! --name '^Brivel$')
if [ -z "$timer" ]; then
  fail "no X11 window \"Brivel\" on $DISPLAY"
else
  xdotool key --window "$timer" F1
  viewer=$(x11_window --name '^Brivel Help$')
  [ -n "$viewer" ] || fail "F1 opened no X11 window \"Brivel Help\""
  [ -n "$viewer" ] && pids+=("$(xdotool getwindowpid "$viewer")")
fi
stop

QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=1 "$1/Brivel" 2>"$log" & pids+=($!)
for _ in $(seq 200); do
  sed -n '/set_title("Brivel")/,$p' "$log" | grep -q 'attach(wl_buffer' && break
  sleep 0.1
done
sed -n '/set_title("Brivel")/,$p' "$log" | grep -q 'attach(wl_buffer' ||
  fail "QT_QPA_PLATFORM=wayland: no Wayland window \"Brivel\""
[ -z "$(xdotool search --name '^Brivel$')" ] || fail "QT_QPA_PLATFORM=wayland: an X11 window \"Brivel\""
exit $((failures > 0))
