#!/usr/bin/env bash
# A game played in the real window (real time, uneven frames) is kept as a record without asking; replayed
# headless twice and in the window, it gives the same checkpoints, the same end and the same "zqt.sss".
# P pauses it half-way: the picture stands still, dimmed under "PAUSE", and P goes on; the record holds the
# pause as the loss of focus it is to the game, and replays across it. The music turned down while it is
# recorded changes nothing the record holds. Then more games, keys at other moments, with and without an
# audio device: each replays headless.
set -u
bin="$1"
screen_picture="$2"
data="$(dirname "$bin")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$data"/*.dat .
printf "120 1" > zqt.sss
unplayed=$(stat -c %y zqt.sss)
export SDL_AUDIODRIVER=dummy XDG_DATA_HOME="$work/home" XDG_CONFIG_HOME="$work/config"
fail() { echo "$1"; cat "$work"/*.out 2>/dev/null; exit 1; }
source "$(dirname "$0")/window.sh"

"$bin" --window --no-vsync >"$work/play.out" 2>&1 &
pid=$!
wait_window $pid
[ -n "$id" ] || { kill $pid; fail "no window titled Radire"; }
focus_window $pid
k() { xdotool key --window "$id" "$@"; }
k Return; sleep 0.8
for i in $(seq 1 12); do
  xdotool keydown --window "$id" space Left; sleep 0.$((RANDOM % 4 + 1))
  xdotool keyup --window "$id" Left; xdotool keydown --window "$id" Right; sleep 0.$((RANDOM % 4 + 1))
  xdotool keyup --window "$id" Right space
  [ $i -eq 8 ] && k F7 F7
  [ $i -eq 3 ] || continue
  white() { "$screen_picture" --count white | awk '{print $NF}'; }
  before=$(white)
  k p
  until [ "$(white)" -gt $((before + 1000)) ]; do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  paused=$(white)
  [ "$paused" -gt $((before + 1000)) ] || { kill $pid; fail "no PAUSE over the picture ($before white pixels, then $paused)"; }
  "$screen_picture" "$work/paused1.png" >/dev/null; sleep 1.5; "$screen_picture" "$work/paused2.png" >/dev/null
  cmp -s "$work/paused1.png" "$work/paused2.png" || { kill $pid; fail "the picture moved while paused"; }
  k p
  until [ "$(white)" -lt $((paused - 1000)) ]; do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  "$screen_picture" "$work/going1.png" >/dev/null
  for j in $(seq 1 50); do
    sleep 0.1; "$screen_picture" "$work/going2.png" >/dev/null
    cmp -s "$work/going1.png" "$work/going2.png" || break
  done
  if cmp -s "$work/going1.png" "$work/going2.png"; then
    # A still picture is the result screen when the ship was lost first (it writes zqt.sss), on a slow machine.
    [ "$(stat -c %y zqt.sss)" != "$unplayed" ] || { kill $pid; fail "the game did not go on after P"; }
    echo "paused: $before white pixels, $paused under PAUSE; still for 1.5 s; the ship was lost before it went on"
  else
    echo "paused: $before white pixels, $paused under PAUSE; still for 1.5 s; going on after P"
  fi
done
sleep 0.5; k Escape
wait $pid; rc=$?; release_keys
[ $rc -eq 0 ] || fail "the game ended with $rc"
kept=$(ls "$XDG_DATA_HOME"/radire/replays/*.rec 2>/dev/null | head -n 1)
[ -f "$kept" ] || fail "no record kept in $XDG_DATA_HOME/radire/replays"
played=$(cat zqt.sss)
echo "kept $(basename "$kept"): $(wc -c <"$kept") bytes, $(grep -c ' sum ' "$kept") checkpoints; zqt.sss \"$played\""
grep -q ' key down SPACE' "$kept" || fail "the record holds no key of the game"
grep -q ' activate 0' "$kept" && grep -q ' activate 1' "$kept" || fail "the record holds no pause"
grep -q ' key down P$' "$kept" && fail "the game saw the pause key"
grep -qx 'music = 80' "$work/config/radire/settings" || fail "F7 twice did not turn the music down to 80"

printf "9 9" > zqt.sss  # the player's file now: a replay must leave it alone
"$bin" --headless --replay "$kept" >"$work/r1.out" 2>&1 || fail "the first headless replay failed"
"$bin" --headless --replay last >"$work/r2.out" 2>&1 || fail "the second headless replay failed"
cmp -s "$work/r1.out" "$work/r2.out" || fail "two headless replays differ"
grep -q "zqt.sss \"$played\"" "$work/r1.out" || fail "the replay's zqt.sss is not \"$played\""
cat "$work/r1.out"
# Watched in the window, and paused there for a while: the same end.
"$bin" --window --no-vsync --replay "$kept" >"$work/w.out" 2>&1 &
pid=$!
wait_window $pid
[ -n "$id" ] || { kill $pid; fail "no window for the replay"; }
focus_window $pid
k p
until [ "$(white)" -gt 3000 ]; do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
"$screen_picture" "$work/held1.png" >/dev/null; sleep 1; "$screen_picture" "$work/held2.png" >/dev/null
cmp -s "$work/held1.png" "$work/held2.png" || { kill $pid; fail "the replay ran on under PAUSE"; }
k p
# The rest with Tab held, which runs a watched replay fast: at the recorded pace a loaded machine takes minutes.
xdotool keydown --window "$id" Tab
wait $pid; rc=$?; release_keys
[ $rc -eq 0 ] || fail "the replay in the window failed"
cmp -s "$work/r1.out" "$work/w.out" || fail "the window's replay differs from the headless one"
[ "$(cat zqt.sss)" = "9 9" ] || fail "a replay wrote over the player's zqt.sss"

# One byte changed in an input event (a key press moved to a poll of its frame that never comes): the replay stops where
# the game goes its own way.
line=$(grep -n -m 1 -E '^[0-9]+:0 key down' "$kept" | cut -d: -f1)
[ -n "$line" ] || fail "no key press in the record"
sed "${line}s/^\([0-9]*\):0 /\1:7 /" "$kept" >changed.rec
cmp -s "$kept" changed.rec && fail "nothing was changed"
"$bin" --headless --replay changed.rec >"$work/c.out" 2>&1
rc=$?
[ $rc -ne 0 ] && grep -q "replay diverged at frame [0-9]" "$work/c.out" || fail "a changed event was not caught (exit $rc)"
cat "$work/c.out"
grep -q "the record holds \"" "$work/c.out" || fail "the divergence does not say what the record held"
echo "window, headless twice: identical"

# The title's lettering (yellow) or the ship's shots (green) on screen, and whether the picture changed since
# the last look.
count() { "$screen_picture" --count "$1" | awk '{print $NF + 0}'; }
last=""
changed() {
  "$screen_picture" "$work/look.png" >/dev/null
  local now
  now=$(md5sum <"$work/look.png")
  [ "$now" != "$last" ] && { last=$now; return 0; }
  return 1
}

# One game: the audio driver ("none": whatever the machine has, which here is no device), when Return comes
# ("reveal": at once, during the opening reveal; "select": Space N times on the title first; "title": on the
# title), then the stage played for a while, then Escape.
play() {
  local started=$SECONDS
  local name="$1" audio="$2" when="$3" spaces="$4" i n
  if [ "$audio" = none ]; then unset SDL_AUDIODRIVER; else export SDL_AUDIODRIVER="$audio"; fi
  # A player's first game: the sound server's client, finding no runtime directory of its own under the
  # settings, makes one (and draws random numbers for its name).
  export XDG_CONFIG_HOME="$work/config-$name"
  "$bin" --window --record "$work/$name.rec" >"$work/$name.out" 2>&1 &
  pid=$!
  wait_window $pid
  [ -n "$id" ] || { kill $pid; fail "$name: no window"; }
  k() { xdotool key --window "$id" "$@" 2>/dev/null; }
  if [ "$when" = reveal ]; then
    k Return
  else
    until [ "$(count yellow)" -gt 1000 ]; do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    for i in $(seq 1 "$spaces"); do k space; done
    k Return
  fi
  # The stage runs once the ship's shots fly. A Return that came while the reveal ran was not taken: again
  # while the title stands.
  xdotool keydown --window "$id" space 2>/dev/null
  i=0 shots=0
  while kill -0 $pid 2>/dev/null; do
    shots=$(count green)
    [ "$shots" -gt 0 ] && break
    i=$((i + 1))
    [ $((i % 10)) -eq 0 ] && [ "$(count yellow)" -gt 1000 ] && k Return
    sleep 0.05
  done
  if [ "$shots" -eq 0 ]; then
    kill $pid 2>/dev/null && fail "$name: the stage did not start, or the ship does not shoot"
    wait $pid
    fail "$name: the game ended with $? before its stage was seen"
  fi
  # 32 frames of the stage, so that a checkpoint falls in it, the ship steered meanwhile; fewer when the
  # ship is shot down early and the picture stands still.
  n=0
  still=0
  for i in $(seq 1 200); do
    if ! changed; then
      still=$((still + 1))
      [ $still -ge 10 ] && break
      continue
    fi
    still=0
    n=$((n + 1))
    [ $n -ge 32 ] && break
    case $((n % 16)) in
      1) xdotool keydown --window "$id" Left ;;
      6) xdotool keyup --window "$id" Left keydown --window "$id" Right ;;
      11) xdotool keyup --window "$id" Right keydown --window "$id" Up ;;
      15) xdotool keyup --window "$id" Up ;;
    esac 2>/dev/null
  done
  xdotool keyup --window "$id" space Left Right Up 2>/dev/null
  k Escape
  wait $pid; rc=$?; release_keys
  [ $rc -eq 0 ] || fail "$name: the game ended with $rc"
  for i in "$XDG_CONFIG_HOME"/pulse/*-runtime; do [ -L "$i" ] && rm -rf "$(readlink "$i")"; done
  "$bin" --headless --replay "$work/$name.rec" >"$work/$name.replay.out" 2>&1 ||
    fail "$name ($audio, Return $when): $(cat "$work/$name.replay.out")"
  echo "$name ($audio, Return $when, $spaces spaces, $((SECONDS - started)) s): $(head -n 1 "$work/$name.rec"), $(cat "$work/$name.replay.out")"
}

printf "120 3" > zqt.sss  # every stage can be chosen
play g1 none reveal 0
play g2 dummy reveal 0
play g3 none select 1
play g4 disk select 2
play g5 none title 0
play g6 dummy select 3
play g7 none select 2
play g8 disk title 0
echo "eight games, with and without an audio device: each replayed"
