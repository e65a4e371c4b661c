#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Under weston with Xwayland (desktop-session.sh), real_wayland.sh <program folder>:
# the timer and, by F1, its help viewer are X11 windows; unless the user asks for Wayland.
set -u
export XDG_RUNTIME_DIR=$BRIVEL_WAYLAND_RUNTIME_DIR WAYLAND_DISPLAY=$BRIVEL_WAYLAND_DISPLAY \
  DISPLAY=$BRIVEL_XWAYLAND_DISPLAY XDG_SESSION_TYPE=wayland XDG_CONFIG_HOME=$(mktemp -d)
unset QT_QPA_PLATFORM
log=$XDG_CONFIG_HOME/wayland.log failures=0 viewer=""
trap 'kill $pids 2>/dev/null; rm -rf "$XDG_CONFIG_HOME"' EXIT
fail() { echo "FAIL: $*"; failures=1; }
x11() { timeout 20 xdotool search --sync --onlyvisible "$@" | head -n 1; }

"$1/Brivel" & pids=$!
timer=$(x11 --pid $! --name '^Brivel$')
[ -n "$timer" ] && xdotool key --window "$timer" F1 && viewer=$(x11 --name '^Brivel Help$')
[ -n "$timer" ] || fail "no X11 window \"Brivel\" on $DISPLAY"
[ -n "$viewer" ] && pids+=" $(xdotool getwindowpid "$viewer")" || fail "F1 opened no X11 window \"Brivel Help\""
kill $pids; wait

QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=1 "$1/Brivel" 2>"$log" & pids=$!
mapped() { sed -n '/set_title("Brivel")/,$p' "$log" | grep -q 'attach(wl_buffer'; }
for _ in $(seq 200); do mapped && break; sleep 0.1; done
mapped || fail "QT_QPA_PLATFORM=wayland: no Wayland window \"Brivel\""
exit $failures
