# Sourced by the window tests.
# wait_window PID: sets id to the game's window once it shows, for as long as PID lives (a busy machine only
# makes it later). SDL may replace its first window when its renderer starts: the last one found stays.
wait_window() {
  id=""
  while kill -0 "$1" 2>/dev/null; do
    id=$(xdotool search --onlyvisible --name '^Radire$' 2>/dev/null | tail -n 1)
    [ -n "$id" ] && xdotool getwindowgeometry "$id" >/dev/null 2>&1 && return 0
    id=""
    sleep 0.1
  done
  return 1
}

# After a program ends: the keys it was sent are let go through the server. xdotool presses a key through
# the server when the window has the focus, but sends the release to the window, which may be gone by then:
# the key would stay down for the next program on a server that keeps its state (-noreset).
release_keys() {
  xdotool keyup Escape Tab Return space Left Right Up p 2>/dev/null
  return 0
}

# focus_window PID: gives the focus to the window that stands once SDL's renderer has started. Focus given to
# a first window SDL then replaces is lost with it, and the game, told of that loss, stops as a window in the
# background does.
focus_window() {
  sleep 1
  wait_window "$1" && xdotool windowfocus --sync "$id" 2>/dev/null
  return 0
}
