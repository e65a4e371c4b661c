# SPDX-License-Identifier: MIT
# Sourced by test.sh: starts a private desktop for the tests that use the
# real one (tst_real_*): Xvfb with openbox, a session bus, a runtime folder,
# and a PulseAudio daemon of its own with a null sink whose monitor the tests
# record. Nothing of the desktop it is started from (bus, sound server,
# runtime folder, display) reaches the tests. Everything lives in one
# temporary folder and is stopped by desktop_session_stop. Beside it, a
# headless Wayland compositor (weston) with Xwayland, as a Wayland desktop
# has it: its socket and X display are handed on in BRIVEL_WAYLAND_RUNTIME_DIR,
# BRIVEL_WAYLAND_DISPLAY and BRIVEL_XWAYLAND_DISPLAY, so that no other test
# runs under it.
#
#   source scripts/desktop-session.sh
#   desktop_session_start && trap desktop_session_stop EXIT

# Waits up to 30 s for a command to succeed (a loaded CI machine is slow).
_desktop_wait() {
  local _
  for _ in $(seq 300); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

desktop_session_start() {
  DESKTOP_TMP=$(mktemp -d /tmp/brivel-desktop.XXXXXX)
  export XDG_RUNTIME_DIR="$DESKTOP_TMP/runtime"
  mkdir -m 700 "$XDG_RUNTIME_DIR"

  # A session bus of our own for the tests (a notification server, say);
  # the user's bus, if any, is never reached.
  dbus-daemon --session --nofork --nopidfile --address="unix:path=$DESKTOP_TMP/bus" \
    >"$DESKTOP_TMP/dbus.log" 2>&1 &
  DESKTOP_DBUS_PID=$!
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$DESKTOP_TMP/bus"
  if ! _desktop_wait dbus-send --session --print-reply --dest=org.freedesktop.DBus \
    /org/freedesktop/DBus org.freedesktop.DBus.GetId; then
    echo "desktop session: dbus-daemon did not start" >&2
    cat "$DESKTOP_TMP/dbus.log" >&2
    return 1
  fi

  # A display of our own, well above the ones a desktop uses; one that
  # another session took in the meantime makes Xvfb quit, and the next
  # number is tried. Xvfb names the display on fd 3 once it is ready.
  # -noreset: otherwise the server starts over each time its last client
  # leaves, and a client connecting just then is turned away.
  local n _
  for n in $(seq 90 130); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    : >"$DESKTOP_TMP/display"
    Xvfb ":$n" -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
      3>"$DESKTOP_TMP/display" >"$DESKTOP_TMP/xvfb.log" 2>&1 &
    DESKTOP_XVFB_PID=$!
    for _ in $(seq 300); do
      grep -q '[0-9]' "$DESKTOP_TMP/display" && break 2
      kill -0 "$DESKTOP_XVFB_PID" 2>/dev/null || continue 2
      sleep 0.1
    done
    break
  done
  export DISPLAY=":$n"
  if ! _desktop_wait xdpyinfo; then
    echo "desktop session: Xvfb did not start" >&2
    cat "$DESKTOP_TMP/xvfb.log" >&2
    return 1
  fi
  # openbox announces itself on the root window once it manages windows;
  # one that gave up at once is started again.
  local attempt _
  for attempt in 1 2 3; do
    openbox >"$DESKTOP_TMP/openbox.log" 2>&1 &
    DESKTOP_WM_PID=$!
    for _ in $(seq 300); do
      kill -0 "$DESKTOP_WM_PID" 2>/dev/null || break
      xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break 2
      sleep 0.1
    done
    if kill -0 "$DESKTOP_WM_PID" 2>/dev/null || [ "$attempt" = 3 ]; then
      echo "desktop session: openbox did not start" >&2
      cat "$DESKTOP_TMP/openbox.log" >&2
      return 1
    fi
    sleep 0.5
  done

  # The sound server: no configuration file (-n), only a socket of its own
  # and a null sink, so nothing reaches a real sound card or another user's
  # daemon. It runs as whoever runs the tests, root included. It gets no bus
  # at all: one set where nothing listens, so that libdbus never starts one
  # and no daemon on a bus holds the name it would take. Raised above the
  # tests where it may (as root): on a busy machine a starved null sink
  # renders late in bursts, and the tests time sounds by its monitor.
  local pulse="$XDG_RUNTIME_DIR/pulse"
  mkdir -m 700 "$pulse"
  export PULSE_RUNTIME_PATH="$pulse" PULSE_STATE_PATH="$pulse" PULSE_COOKIE="$pulse/cookie"
  export PULSE_SERVER="unix:$pulse/native"
  DBUS_SESSION_BUS_ADDRESS="unix:path=$DESKTOP_TMP/no-bus" pulseaudio -n --daemonize=no --use-pid-file=no --exit-idle-time=-1 \
    --high-priority=yes --realtime=no --log-target=file:"$DESKTOP_TMP/pulse.log" \
    -L "module-native-protocol-unix socket=$pulse/native auth-anonymous=1 auth-cookie-enabled=0" \
    -L "module-null-sink sink_name=brivel_null sink_properties=device.description=Brivel-Null" \
    >"$DESKTOP_TMP/pulse.out" 2>&1 &
  DESKTOP_PULSE_PID=$!
  if ! _desktop_wait sh -c 'pactl info | grep -q "Default Sink: brivel_null"'; then
    echo "desktop session: pulseaudio did not start" >&2
    cat "$DESKTOP_TMP/pulse.out" "$DESKTOP_TMP/pulse.log" >&2 2>/dev/null
    return 1
  fi

  # weston makes the X display's socket at once and starts Xwayland on the
  # first client; it names the display in its log. Xvfb made the sockets'
  # folder, which weston needs.
  export BRIVEL_WAYLAND_RUNTIME_DIR="$DESKTOP_TMP/wayland"
  export BRIVEL_WAYLAND_DISPLAY=brivel-wayland
  mkdir -m 700 "$BRIVEL_WAYLAND_RUNTIME_DIR"
  XDG_RUNTIME_DIR="$BRIVEL_WAYLAND_RUNTIME_DIR" weston --backend=headless-backend.so --xwayland --no-config \
    --socket="$BRIVEL_WAYLAND_DISPLAY" --idle-time=0 --log="$DESKTOP_TMP/weston.log" \
    >"$DESKTOP_TMP/weston.out" 2>&1 &
  DESKTOP_WESTON_PID=$!
  if ! _desktop_wait grep -q 'xserver listening on display :[0-9]' "$DESKTOP_TMP/weston.log"; then
    echo "desktop session: weston with Xwayland did not start" >&2
    cat "$DESKTOP_TMP/weston.out" "$DESKTOP_TMP/weston.log" >&2 2>/dev/null
    return 1
  fi
  BRIVEL_XWAYLAND_DISPLAY=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' \
    "$DESKTOP_TMP/weston.log" | head -n 1)
  export BRIVEL_XWAYLAND_DISPLAY

  # Tells the real tests that a missing server is a fault, not a reason to skip.
  export BRIVEL_DESKTOP_SESSION=1
}

desktop_session_stop() {
  local pid
  for pid in "${DESKTOP_WESTON_PID:-}" "${DESKTOP_PULSE_PID:-}" "${DESKTOP_DBUS_PID:-}" \
    "${DESKTOP_WM_PID:-}" "${DESKTOP_XVFB_PID:-}"; do
    [ -n "$pid" ] || continue
    kill "$pid" 2>/dev/null || continue
    # Give it a moment to go, then make sure.
    for _ in $(seq 20); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  done
  [ -n "${DESKTOP_TMP:-}" ] && rm -rf "$DESKTOP_TMP"
  unset DESKTOP_WESTON_PID DESKTOP_PULSE_PID DESKTOP_DBUS_PID DESKTOP_WM_PID DESKTOP_XVFB_PID DESKTOP_TMP \
    BRIVEL_DESKTOP_SESSION BRIVEL_WAYLAND_RUNTIME_DIR BRIVEL_WAYLAND_DISPLAY BRIVEL_XWAYLAND_DISPLAY
  return 0
}
