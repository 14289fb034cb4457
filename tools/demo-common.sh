# Shared by the demonstration scripts (sourced, POSIX sh).

# Tarvex's configuration and data folders under the demonstration's folder $1, and a window when
# there is a display, else offscreen and unattended: $mode is the switch to start Tarvex with.
demo_environment() {
  export XDG_CONFIG_HOME="$1/config" XDG_DATA_HOME="$1/data"
  if [ -n "$DISPLAY" ] || [ -n "$WAYLAND_DISPLAY" ]; then
    mode=""
  else
    export QT_QPA_PLATFORM=offscreen
    mode="UNATTENDED"
  fi
}
