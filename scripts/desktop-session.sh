# SPDX-License-Identifier: MIT
# Sourced by test.sh: starts Xvfb with openbox, and a private PulseAudio
# daemon with a null sink, for tests that use the real desktop.

desktop_session_start() {
  DESKTOP_TMP=$(mktemp -d /tmp/brivel-desktop.XXXXXX)
  local n
  for n in $(seq 90 130); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$DESKTOP_TMP/xvfb.log" 2>&1 &
  DESKTOP_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  openbox >"$DESKTOP_TMP/openbox.log" 2>&1 &
  DESKTOP_WM_PID=$!
}

desktop_session_stop() {
  [ -n "${DESKTOP_WM_PID:-}" ] && kill "$DESKTOP_WM_PID" 2>/dev/null || true
  [ -n "${DESKTOP_XVFB_PID:-}" ] && kill "$DESKTOP_XVFB_PID" 2>/dev/null || true
  [ -n "${DESKTOP_TMP:-}" ] && rm -rf "$DESKTOP_TMP"
  return 0
}
