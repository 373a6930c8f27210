#!/usr/bin/env bash
# The real SDL host under Xvfb: a 640 x 480 window titled "Radire"; Escape and the window's close end it with 0,
# and so does --frames after that many presentations. Waits last until the program has done what is asked or
# has ended (it is given frames enough): a loaded machine makes the test slower, never wrong.
set -u
bin="$1"
close_window="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$work/config"
source "$(dirname "$0")/window.sh"

run_case() {  # $1: what to do with the window (escape | close | frames)
  local frames=10000  # minutes of play: the program is never ended by them unless the case asks
  [ "$1" = frames ] && frames=120
  rm -f "$work/log.txt"
  "$bin" --window --no-vsync --frames $frames --log "$work/log.txt" >"$work/out.txt" 2>&1 &
  local pid=$! id="" geometry=""
  # SDL may replace its first X window when the renderer starts: the window is looked for once the game
  # has presented a frame (the log's lines start with the number of frames presented), and looked for
  # again while what is done to it finds it gone.
  until grep -q '^[1-9]' "$work/log.txt" 2>/dev/null; do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  find_window() {
    id=$(xdotool search --onlyvisible --name '^Radire$' 2>/dev/null | head -n 1)
    geometry=""
    [ -n "$id" ] && geometry=$(xdotool getwindowgeometry "$id" 2>/dev/null | grep Geometry | awk '{print $2}')
    [ -n "$geometry" ]
  }
  if [ "$1" != frames ]; then
    until find_window; do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    if [ -z "$geometry" ]; then echo "no window titled Radire"; cat "$work/out.txt"; kill $pid; return 1; fi
    if [ "$geometry" != "640x480" ]; then echo "window is $geometry, not 640x480"; kill $pid; return 1; fi
  fi
  act() {
    case "$1" in
      escape) xdotool windowfocus --sync "$id" && xdotool key --window "$id" Escape ;;
      close) "$close_window" "$id" ;;
    esac
  }
  until act "$1" 2>/dev/null; do kill -0 $pid 2>/dev/null || break; sleep 0.1; find_window; done
  # Ended by what the case did, or by its frames (the log says which).
  wait $pid
  local rc=$?
  release_keys
  if [ $rc -ne 0 ]; then echo "$1: exit code $rc"; cat "$work/out.txt"; return 1; fi
  local limit
  limit=$(grep -c "^$frames frame limit reached$" "$work/log.txt")
  if [ "$1" = frames ] && [ "$limit" -ne 1 ]; then echo "frames: not ended by --frames 120"; cat "$work/log.txt"; return 1; fi
  if [ "$1" != frames ] && [ "$limit" -ne 0 ]; then echo "$1 did not end the program"; return 1; fi
  echo "$1: window 640x480 titled Radire, exit code 0$([ "$1" = frames ] && echo ", after 120 frames")"
}

run_case escape || exit 1
run_case close || exit 1
run_case frames || exit 1

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
