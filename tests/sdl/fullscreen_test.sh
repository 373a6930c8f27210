#!/usr/bin/env bash
# Full screen under a real X server of 1280 x 1024, read back from screenshots: the 640 x 480 picture
# doubled and centred between black bars; Alt+Enter and F11 switch to the window and back at any time,
# and the game never sees that Enter; the choice is kept for the next start; a key file's Z shoots.
# No window manager runs: the program alone must cover the screen.
set -u
bin="$1"
screen_picture="$2"
work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"
export SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"

fail() { echo "FAIL: $*"; exit 1; }

# Waits until the screen shows what is asked: "picture L T R B blocks F" (a prefix of it will do).
expect_screen() {
  local want="$1" got="" i
  for i in $(seq 1 100); do
    got=$("$screen_picture")
    case "$got" in *"picture "$want) return 0 ;; esac
    sleep 0.1
  done
  fail "screen shows \"$got\", not picture $want ($2)"
}

start() {
  "$bin" --no-vsync "$@" >"$work/out.txt" 2>&1 &
  pid=$!
  for i in $(seq 1 100); do
    id=$(xdotool search --onlyvisible --name '^Radire$' 2>/dev/null | head -n 1)
    [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || fail "no window titled Radire ($(kill -0 $pid 2>&1 && echo running), $(cat "$work/out.txt"))"
}

stop() {
  xdotool key Escape
  for i in $(seq 1 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  kill -0 $pid 2>/dev/null && fail "Escape did not end the program"
  wait $pid || fail "exit code $?"
  pid=""
  [ -s "$work/out.txt" ] && fail "the program spoke: $(cat "$work/out.txt")"
  return 0
}

full="0 32 1280 992 blocks 2" windowed="320 272 960 752 blocks 1"

# The title: full screen by default; Alt+Enter switches, and were Enter seen, stage 1 would start.
start
expect_screen "$full" "full screen at start"
xdotool key alt+Return
expect_screen "$windowed" "the window after Alt+Enter"
xdotool key F11
expect_screen "$full" "full screen after F11"
xdotool key alt+KP_Enter
expect_screen "$windowed" "the window after Alt+keypad Enter"
# Still the title: Space would show the stage select, and the title says "PUSH ENTER" in yellow.
title=$("$screen_picture" --count yellow | awk '{print $NF}')
[ "${title:-0}" -gt 1000 ] || fail "the title is gone after Alt+Enter ($title yellow pixels)"
stop
grep -qx 'fullscreen = no' "$work/config/radire/settings" || fail "the window was not kept: $(cat "$work/config/radire/settings")"

# Kept: the window again; a switch on the command line wins.
start
expect_screen "$windowed" "the kept window"
stop
start --fullscreen
expect_screen "$full" "--fullscreen over the kept window"
stop

# Stage 1 with Z mapped to Space: Z shoots (the green shot shows); Alt+Enter twice during the stage.
printf '# Z shoots\nSpace = Z\n' > "$work/config/radire/keys"
start --window
expect_screen "$windowed" "the window"
yellow() { "$screen_picture" --count yellow | awk '{print $NF}'; }
shots() { "$screen_picture" --count green | awk '{print $NF}'; }
# Enter once the title shows, until the stage has taken its place.
for i in $(seq 1 100); do [ "$(yellow)" -gt 1000 ] && break; sleep 0.1; done
for i in $(seq 1 100); do
  [ "$(yellow)" -lt 1000 ] && break
  xdotool key Return
  sleep 0.2
done
[ "$(yellow)" -lt 1000 ] || fail "Enter does not start stage 1"
[ "$(shots)" -lt 20 ] || fail "a shot flies before Z is pressed"
xdotool keydown z
for i in $(seq 1 100); do [ "$(shots)" -ge 20 ] && break; sleep 0.1; done
[ "$(shots)" -ge 20 ] || fail "Z does not shoot"
xdotool key alt+Return
expect_screen "* blocks 2" "full screen during the stage"
xdotool key alt+Return
expect_screen "* blocks 1" "the window again during the stage"
xdotool keyup z
# The Enter of Alt+Enter never reached the game: it would have left a lost stage for the title.
[ "$(yellow)" -lt 1000 ] || fail "the title is back after Alt+Enter in the stage"
stop
echo "full screen, switching, kept choice and key map: as expected"
