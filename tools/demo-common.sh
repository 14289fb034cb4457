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

# Waits for the virtual scanner (process $scanner) to make its link $1/scanner, then starts Tarvex
# from the build folder $2 on it in the background ($tarvex); $3 is added to the message.
demo_start_tarvex() {
  i=0
  while [ ! -e "$1/scanner" ]; do
    if ! kill -0 "$scanner" 2>/dev/null || [ $i -ge 100 ]; then
      echo "the virtual scanner did not start; see $1/scanner.out" >&2
      exit 1
    fi
    i=$((i + 1))
    sleep 0.1
  done
  echo "Tarvex starts ${mode:+($mode, offscreen) }on $(readlink "$1/scanner")$3 ..."
  "$2/src/tarvex" $mode 2>/dev/null &
  tarvex=$!
}
