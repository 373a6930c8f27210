# Shared by the scripts that run our Windows programs under Wine on a virtual X server: source it.
#   wine_env_prefix DIR    makes the Wine prefix DIR once (wineboot) and exports WINEPREFIX
#   wine_env_display GEOM  starts Xvfb with "-screen 0 GEOM" (e.g. 640x480x24), exports DISPLAY
#   wine_env_stop_display  ends that Xvfb;  wine_env_stop  ends Wine's server and Xvfb
# Each returns non-zero with one line on stderr when it cannot; the caller decides what that means.

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine_env_xvfb_pid=""

wine_env_prefix() {
  export WINEPREFIX="$1"
  command -v wine >/dev/null || { echo "wine is not installed" >&2; return 1; }
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    nice timeout 300 wineboot -i >"$WINEPREFIX.log" 2>&1 || { echo "wineboot failed (see $WINEPREFIX.log)" >&2; return 1; }
    timeout 120 wineserver -w || true
  fi
  [ -f "$WINEPREFIX/system.reg" ] || { echo "Wine made no prefix in $WINEPREFIX" >&2; return 1; }
}

wine_env_display() {
  local fifo number=""
  fifo="$(mktemp -u)"
  mkfifo "$fifo"
  Xvfb -displayfd 4 -screen 0 "$1" -nolisten tcp 4>"$fifo" >/dev/null 2>&1 &
  wine_env_xvfb_pid=$!
  # Xvfb writes its display number once it accepts clients; the limit only guards against a hang.
  read -r -t 120 number <"$fifo" || true
  rm -f "$fifo"
  [ -n "$number" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$number"
}

wine_env_stop_display() {
  if [ -n "$wine_env_xvfb_pid" ]; then
    kill "$wine_env_xvfb_pid" 2>/dev/null || true
    wait "$wine_env_xvfb_pid" 2>/dev/null || true
  fi
  wine_env_xvfb_pid=""
}

wine_env_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then timeout 20 wineserver -k 2>/dev/null || true; fi
  wine_env_stop_display
}
