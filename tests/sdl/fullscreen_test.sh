#!/usr/bin/env bash
# Full screen under a real X server of 1280 x 1024, read back from screenshots: the 640 x 480 picture
# doubled and centred between black bars; Alt+Enter and F11 switch to the window and back at any time,
# and the game never sees that Enter; the choice is kept for the next start; a key file's Z shoots.
# Without a window manager the program alone must cover the screen; with one (a third argument naming it,
# e.g. openbox) the manager places and decorates the window, and full screen must still be all picture.
# Every wait lasts until the screen shows what is asked or the program has ended: each run is given a
# number of frames (--frames), so a loaded machine only makes the test slower, never wrong.
set -u
bin="$1"
screen_picture="$2"
wm="${3:-}"
work=$(mktemp -d)
pid="" wm_pid=""
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; [ -n "$wm_pid" ] && kill $wm_pid 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"
export SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"

fail() { echo "FAIL: $*"; [ -s "$work/log.txt" ] && tail -n 3 "$work/log.txt"; exit 1; }

if [ -n "$wm" ]; then
  "$wm" >"$work/wm.txt" 2>&1 &
  wm_pid=$!
  # The manager is in charge once it has named itself on the root window.
  until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    kill -0 $wm_pid 2>/dev/null || fail "$wm ended: $(cat "$work/wm.txt")"
    sleep 0.1
  done
fi

running() { kill -0 $pid 2>/dev/null; }
ended() { running && return 1; fail "the program ended while $1 ($(grep -h 'frame limit' "$work/log.txt"; cat "$work/out.txt"))"; }

# Waits until the screen shows what is asked: "picture L T R B blocks F" (a prefix of it will do).
expect_screen() {
  local want="$1" got=""
  while got=$("$screen_picture"); do
    case "$got" in *"picture "$want) return 0 ;; esac
    running || fail "screen shows \"$got\", not picture $want ($2)"
    sleep 0.1
  done
  fail "no screenshot"
}

# Ten thousand frames are some minutes of play at full speed: far more than the test needs.
start() {
  "$bin" --no-vsync --frames 10000 --log "$work/log.txt" "$@" >"$work/out.txt" 2>&1 &
  pid=$!
  until [ -n "$(xdotool search --onlyvisible --name '^Radire$' 2>/dev/null | head -n 1)" ]; do
    ended "no window titled Radire was shown"
    sleep 0.1
  done
}

stop() {
  xdotool key Escape
  wait $pid || fail "exit code $?"
  pid=""
  grep -q 'frame limit reached' "$work/log.txt" && fail "Escape did not end the program: its frames ran out"
  [ -s "$work/out.txt" ] && fail "the program spoke: $(cat "$work/out.txt")"
  return 0
}

yellow() { "$screen_picture" --count yellow | awk '{print $NF}'; }

full="0 32 1280 992 blocks 2" windowed="320 272 960 752 blocks 1"
# A manager places the window where it likes and frames it.
[ -n "$wm" ] && windowed="* blocks 1"

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
title=$(yellow)
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
# Z is held from the title on, so the ship shoots from the stage's first frame; a ship lost before its shot
# was seen (the result writes the high-score file) is played again, up to three games.
printf '# Z shoots\nSpace = Z\n' > "$work/config/radire/keys"
shots() { "$screen_picture" --count green | awk '{print $NF}'; }
lost() { [ -s "$XDG_DATA_HOME/radire/zqt.sss" ]; }
for game in 1 2 3; do
  rm -f "$XDG_DATA_HOME/radire/zqt.sss"
  start --window
  expect_screen "$windowed" "the window"
  until [ "$(yellow)" -gt 1000 ]; do ended "waiting for the title"; sleep 0.1; done
  [ "$(shots)" -lt 20 ] || fail "a shot flies before Z is pressed"
  xdotool keydown z
  # Enter held until the stage has taken the title's place.
  xdotool keydown Return
  until [ "$(yellow)" -lt 1000 ]; do ended "Enter was held on the title: Enter does not start stage 1"; sleep 0.1; done
  xdotool keyup Return
  until seen=$(shots); [ "$seen" -ge 20 ] || lost; do ended "Z was held in stage 1"; sleep 0.1; done
  [ "$seen" -ge 20 ] && break
  xdotool keyup z
  echo "game $game: the ship was lost before its shot was seen"
  [ "$game" -lt 3 ] || fail "Z does not shoot (three games lost before a shot was seen)"
  stop
done
xdotool key alt+Return
expect_screen "* blocks 2" "full screen during the stage"
xdotool key alt+Return
expect_screen "* blocks 1" "the window again during the stage"
xdotool keyup z
# The Enter of Alt+Enter never reached the game: it would have left a lost stage for the title (the result
# screen waits for Enter however long it takes).
[ "$(yellow)" -lt 1000 ] || fail "the title is back after Alt+Enter in the stage"
stop
echo "full screen${wm:+ under $wm}, switching, kept choice and key map: as expected"
