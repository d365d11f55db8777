# Shared by scripts/screenshot and scripts/measure: a private X display with a
# compositor (so the island's translucent corners show), a plain desktop
# colour, and a throw-away configuration folder.
start_session() {
  work=$(mktemp -d)
  export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
  # No session bus: with DISPLAY set and no address, libdbus would start one
  # (dbus-launch) that outlives the session.
  export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  display=:$((200 + RANDOM % 100))
  Xvfb "$display" -screen 0 "${SCREEN_SIZE:-1440x900}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
  session_pids=($!)
  export DISPLAY=$display
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  xsetroot -solid '#4b5d73'
  xcompmgr >/dev/null 2>&1 &
  session_pids+=($!)
  trap stop_session EXIT
}

stop_session() {
  for pid in "${session_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}

# Starts Moravel in the session; its pid lands in $island.
start_island() {
  "$moravel" "$@" >"$work/island.log" 2>&1 &
  island=$!
  session_pids=("$island" "${session_pids[@]}")
  for _ in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep '"Moravel"' >/dev/null && break
    sleep 0.1
  done
}

stop_island() {
  kill "$island" 2>/dev/null || true
  wait "$island" 2>/dev/null || true
}

# A position in the island's points, in pixels at the default size of a
# screen with one device pixel a point (125 %).
at() { echo $(($1 * 125 / 100)); }
