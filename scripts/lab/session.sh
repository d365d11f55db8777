# Shared by scripts/desktop-lab and scripts/check-desktop: one desktop on a
# private Xvfb display with a private session bus, a terminal and Moravel.
# Source it, then call lab_start DESKTOP MONITORS. Every wait polls with a
# time limit.

lab_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
lab_pids=()
lab_extra_dirs=()
# Monitors are this size each, side by side.
lab_monitor_width=1440
lab_monitor_height=900

lab_fail() {
  echo "${lab_name:-lab}: $*" >&2
  for log in "$work"/*.log; do [[ -f $log ]] && { echo "--- $(basename "$log")"; tail -n 15 "$log"; }; done >&2
  exit 1
}

lab_stop() {
  for ((i = ${#lab_pids[@]} - 1; i >= 0; i--)); do kill "${lab_pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  lab_pids=()
}

lab_cleanup() {
  lab_stop
  [[ -n "${work:-}" ]] && rm -rf "$work"
  [[ ${#lab_extra_dirs[@]} -eq 0 ]] || rm -rf "${lab_extra_dirs[@]}"
}

# wait_for SECONDS WHAT COMMAND...: polls COMMAND until it succeeds.
wait_for() {
  local deadline=$((SECONDS + $1)) what=$2
  shift 2
  until "$@" >/dev/null 2>&1; do
    ((SECONDS < deadline)) || lab_fail "gave up waiting for $what"
    sleep 0.05
  done
}

# Starts COMMAND... in the background, its output in $work/NAME.log.
lab_run() {
  local name=$1
  shift
  "$@" >"$work/$name.log" 2>&1 &
  lab_pids+=($!)
}

# The first shown window with this exact title.
window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 | grep .; }
map_state() { xwininfo -id "$1" 2>/dev/null | awk '/Map State:/ {print $3}'; }
is_viewable() { [[ $(map_state "$1") == IsViewable ]]; }
is_hidden() { [[ $(map_state "$1") != IsViewable ]]; }
# x y width height of a window's contents, in root coordinates.
geometry_of() {
  xwininfo -id "$1" | awk '/Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4}
                           /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
}
# The same with the window manager's frame (title bar and borders).
frame_of() {
  local x y w h left=0 right=0 top=0 bottom=0 extents
  read -r x y w h < <(geometry_of "$1")
  extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ,)
  [[ -n $extents ]] && read -r left right top bottom <<<"$extents"
  echo $((x - left)) $((y - top)) $((w + left + right)) $((h + top + bottom))
}
focus_is() { [[ $(xdotool getwindowfocus 2>/dev/null) == "$1" ]]; }
# Pointer and keyboard input. Under GNOME it goes to the host display, where
# the nested shell's window takes it as a user's, not to XWayland.
lab_input_display=${lab_input_display:-}
input() { DISPLAY=${lab_input_display:-$DISPLAY} xdotool "$@"; }
# Bounded: an X server still starting (XWayland under a busy GNOME Shell) may
# hold a client's first request for good.
wm_running() { timeout 5 xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"; }

lab_start_display() {
  local monitors=$1
  Xvfb -displayfd 3 -noreset -screen 0 "$((lab_monitor_width * monitors))x${lab_monitor_height}x24" -nolisten tcp \
    3>"$work/display" >"$work/xvfb.log" 2>&1 &
  lab_pids+=($!)
  wait_for 10 "the X server" test -s "$work/display"
  export DISPLAY=:$(cat "$work/display")
  if ((monitors > 1)); then
    lab_set_primary 0 "$monitors"
  fi
}

# Lays the monitors out side by side, the one at INDEX primary.
lab_set_primary() {
  local primary=$1 monitors=$2 i name
  if [[ ${lab_desktop:-} == gnome ]]; then
    gjs -m "$lab_dir/gnome-primary.js" "$primary"
    return
  fi
  for ((i = 0; i < monitors; i++)); do xrandr --delmonitor "lab$i" >/dev/null 2>&1 || true; done
  for ((i = 0; i < monitors; i++)); do
    name=lab$i
    ((i == primary)) && name="*$name"
    xrandr --setmonitor "$name" "${lab_monitor_width}/380x${lab_monitor_height}/240+$((i * lab_monitor_width))+0" none
  done
}

lab_start_session_bus() {
  dbus-daemon --session --nofork --print-address=3 3>"$work/bus" >"$work/bus.log" 2>&1 &
  lab_pids+=($!)
  wait_for 10 "the session bus" test -s "$work/bus"
  export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus")
}

# The bottom edge of the desktop's top panel over x = CENTRE (the primary
# monitor's middle), once it is shown: the top of the work area there.
lab_panel_class=""
lab_panel_pid=""  # the process that draws the top panel, where the lab started one
lab_fixed_panel_bottom=0
lab_panel_bottom() {
  local centre=$1 window x y w h bottom=0
  [[ -n $lab_panel_class ]] || { echo "$lab_fixed_panel_bottom"; return; }
  for window in $(xdotool search --onlyvisible --class "^$lab_panel_class\$" 2>/dev/null); do
    xprop -id "$window" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q DOCK || continue
    read -r x y w h < <(geometry_of "$window")
    ((y == 0 && x <= centre && centre < x + w && y + h > bottom)) && bottom=$((y + h))
  done
  ((bottom > 0)) || return 1
  echo "$bottom"
}

# Asks plasmashell to put its panels at the top (a script of its own), then
# whether one is there.
plasma_panel_at() {
  dbus-send --session --print-reply --dest=org.kde.plasmashell /PlasmaShell org.kde.PlasmaShell.evaluateScript \
    "string:panels().forEach(function (p) { p.location = '$1'; })" >/dev/null 2>&1 || return 1
  lab_panel_bottom $((lab_monitor_width / 2))
}

lab_start_system_bus() {
  dbus-daemon --config-file="$lab_dir/system-bus.conf" --nofork --print-address=3 3>"$work/system-bus" \
    >"$work/system-bus.log" 2>&1 &
  lab_pids+=($!)
  wait_for 10 "the system bus" test -s "$work/system-bus"
  export DBUS_SYSTEM_BUS_ADDRESS=$(head -n 1 "$work/system-bus")
}

# The X display of the XWayland that pgrep's SELECTION... finds, and its
# authority file, from XWayland's command line.
lab_find_xwayland() {
  local line
  line=$(pgrep -a "$@" Xwayland | head -n 1) || return 1
  lab_xwayland_display=$(awk '{print $3}' <<<"$line")
  lab_xwayland_auth=$(grep -o -- '-auth [^ ]*' <<<"$line" | cut -d' ' -f2 || true)
  [[ $lab_xwayland_display == :* ]]
}

lab_start_gnome() {
  lab_start_system_bus
  # Banners would cover the island's place; they are not what is checked here.
  gsettings set org.gnome.desktop.notifications show-banners false
  MUTTER_DEBUG_DUMMY_MODE_SPECS=${lab_monitor_width}x$lab_monitor_height MUTTER_DEBUG_NUM_DUMMY_MONITORS=$lab_monitors \
    LIBGL_ALWAYS_SOFTWARE=1 lab_run gnome-shell gnome-shell --nested --wayland
  local shell=${lab_pids[-1]}
  wait_for 90 "XWayland under GNOME Shell" lab_find_xwayland -P "$shell"
  lab_input_display=$DISPLAY
  export DISPLAY=$lab_xwayland_display XAUTHORITY=$lab_xwayland_auth WAYLAND_DISPLAY=wayland-0
  wait_for 60 "GNOME Shell" wm_running
  wait_for 60 "GNOME's work area" timeout 5 xprop -root _GTK_WORKAREAS_D0
  # It starts in the overview.
  sleep 2
  input mousemove 400 400 key Escape
  # Its top bar is no X window: the work area's top, before the island reserves room.
  lab_fixed_panel_bottom=$(xprop -root _GTK_WORKAREAS_D0 | tr -d , | awk '{print $4}')
}

# sway refuses to run as root: the lab runs it as the user moravel-lab,
# created here when missing.
lab_start_sway() {
  local user=moravel-lab runtime
  # Outside $work, which only its owner may enter.
  runtime=$(mktemp -d /tmp/moravel-lab-sway.XXXXXX)
  lab_extra_dirs+=("$runtime")
  if [[ $(id -u) -eq 0 ]]; then
    id "$user" >/dev/null 2>&1 || useradd --create-home --shell /usr/sbin/nologin "$user"
  else
    user=$(id -un)
  fi
  chmod 700 "$runtime" && chown "$user" "$runtime"
  local run=(env)
  [[ $(id -u) -eq 0 ]] && run=(runuser -u "$user" -- env)
  lab_run sway "${run[@]}" XDG_RUNTIME_DIR="$runtime" WLR_BACKENDS=headless WLR_RENDERER=pixman \
    WLR_LIBINPUT_NO_DEVICES=1 WLR_HEADLESS_OUTPUTS="$lab_monitors" sway -c "$lab_dir/sway.config"
  # wlroots starts XWayland detached from sway: the user's newest one.
  wait_for 30 "XWayland under sway" lab_find_xwayland -n -u "$user"
  export DISPLAY=$lab_xwayland_display
  unset XAUTHORITY
  # That XWayland lets in its own user only: the lab's windows are root's.
  [[ $(id -u) -eq 0 ]] && wait_for 10 "XWayland to let root in" "${run[@]}" DISPLAY="$DISPLAY" xhost +si:localuser:root
}

lab_start_desktop() {
  local desktop=$1
  lab_desktop=$desktop
  case $desktop in
    openbox)
      lab_run openbox openbox --sm-disable
      wait_for 10 "openbox" wm_running
      lab_run tint2 tint2 -c "$lab_dir/tint2rc"
      lab_panel_pid=${lab_pids[-1]}
      lab_run dunst dunst
      lab_panel_class=tint2
      ;;
    xfce)
      mkdir -p "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
      cp "$lab_dir/xfce4-panel.xml" "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/"
      lab_run xfwm4 xfwm4 --compositor=on --sm-client-disable
      wait_for 10 "xfwm4" wm_running
      lab_run xfce4-panel xfce4-panel --disable-wm-check
      lab_panel_pid=${lab_pids[-1]}
      lab_run xfce4-notifyd /usr/lib/x86_64-linux-gnu/xfce4/notifyd/xfce4-notifyd
      lab_panel_class=Xfce4-panel
      ;;
    i3)
      lab_run i3 i3 -c "$lab_dir/i3.config"
      wait_for 10 "i3" wm_running
      lab_run dunst dunst
      lab_panel_class=i3bar
      ;;
    kde)
      lab_run kwin kwin_x11 --replace
      wait_for 30 "kwin" wm_running
      lab_run plasmashell plasmashell --no-respawn
      lab_panel_pid=${lab_pids[-1]}
      lab_panel_class=plasmashell
      # Its first panel is at the bottom: move it to the top.
      wait_for 60 "the plasma panel" plasma_panel_at top
      ;;
    gnome) lab_start_gnome ;;
    sway) lab_start_sway ;;
    *) lab_fail "unknown desktop $desktop (openbox, xfce, i3, kde, gnome, sway)" ;;
  esac
  [[ -z $lab_panel_class ]] || wait_for 60 "the $desktop panel" lab_panel_bottom $((lab_monitor_width / 2))
}

# A terminal that copies what is typed into it to $work/typed, line by line.
lab_start_terminal() {
  : >"$work/typed"
  lab_run xterm xterm -fa Monospace -fs 10 -geometry 60x8+40+300 -title moravel-lab-terminal \
    -e sh -c "stty -echo; cat > '$work/typed'"
  wait_for 10 "the terminal" window_named moravel-lab-terminal
  terminal=$(window_named moravel-lab-terminal)
  wait_for 10 "the terminal to be shown" is_viewable "$terminal"
}

lab_start_moravel() {
  lab_run moravel "$moravel"
  wait_for 10 "the island" window_named Moravel
  island=$(window_named Moravel)
  wait_for 10 "the island to be shown" is_viewable "$island"
}

# lab_start DESKTOP MONITORS: the whole lab, its windows in $terminal and $island.
lab_start() {
  work=$(mktemp -d)
  export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
  export XDG_CACHE_HOME=$work/cache XDG_DATA_HOME=$work/data
  mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" && chmod 700 "$XDG_RUNTIME_DIR"
  lab_monitors=$2
  lab_start_display "$2"
  lab_start_session_bus
  lab_start_desktop "$1"
  lab_start_terminal
  lab_start_moravel
}
