#!/usr/bin/env bash
# The real SDL host under Xvfb: a 640 x 480 window titled "Radire"; Escape and the window's close end it with 0.
set -u
bin="$1"
close_window="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$work/config"

run_case() {  # $1: what to do with the window (escape | close)
  "$bin" --window --no-vsync >"$work/out.txt" 2>&1 &
  local pid=$! id="" i geometry=""
  # SDL may replace its first X window when the renderer starts: wait for one that stays.
  for i in $(seq 1 300); do  # up to 30 s: a loaded machine starts slowly
    id=$(xdotool search --onlyvisible --name '^Radire$' 2>/dev/null | head -n 1)
    if [ -n "$id" ]; then
      geometry=$(xdotool getwindowgeometry "$id" 2>/dev/null | grep Geometry | awk '{print $2}')
      [ -n "$geometry" ] && break
    fi
    sleep 0.1
  done
  if [ -z "$id" ] || [ -z "$geometry" ]; then echo "no window titled Radire"; kill $pid; return 1; fi
  if [ "$geometry" != "640x480" ]; then echo "window is $geometry, not 640x480"; kill $pid; return 1; fi
  sleep 0.3
  if [ "$1" = escape ]; then
    xdotool windowfocus --sync "$id" 2>/dev/null; xdotool key --window "$id" Escape
  else
    "$close_window" "$id"
  fi
  for i in $(seq 1 300); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  if kill -0 $pid 2>/dev/null; then echo "$1 did not end the program"; kill $pid; return 1; fi
  wait $pid
  local rc=$?
  if [ $rc -ne 0 ]; then echo "$1: exit code $rc"; cat "$work/out.txt"; return 1; fi
  echo "$1: window 640x480 titled Radire, exit code 0"
}

run_case escape || exit 1
run_case close || exit 1

# No display, or one that does not answer: one line saying so, a non-zero exit, and no waiting.
for display in "" ":77"; do
  start=$(date +%s%N)
  if [ -z "$display" ]; then env -u DISPLAY -u WAYLAND_DISPLAY "$bin" --window >"$work/out.txt" 2>&1
  else env -u WAYLAND_DISPLAY DISPLAY="$display" "$bin" --window >"$work/out.txt" 2>&1; fi
  rc=$? elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
  lines=$(wc -l <"$work/out.txt")
  if [ $rc -eq 0 ] || [ "$lines" -ne 1 ] || ! grep -q "no display could be opened" "$work/out.txt" || [ $elapsed -gt 2000 ]; then
    echo "display \"$display\": exit $rc after $elapsed ms, said: $(cat "$work/out.txt")"; exit 1
  fi
  echo "display \"$display\": exit $rc after $elapsed ms: $(cat "$work/out.txt")"
done
