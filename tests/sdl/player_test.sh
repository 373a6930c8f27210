#!/usr/bin/env bash
# What the host adds around the game in the window. The music's volume from the settings, measured through
# SDL's disk audio driver: at 30 it is about 0.3 of the level at 100, and F9 silences it and is kept. F12 saves
# the frame shown as PNG under $XDG_PICTURES_DIR/radire; a place that cannot take it costs one warning line.
# A settings file with lines it cannot read costs one warning line and is left as it is; its language reaches
# the game.
set -u
bin="$1"
screen_picture="$2"
work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"
export SDL_AUDIODRIVER=disk XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_PICTURES_DIR="$work/pictures"
mkdir -p "$work/config/radire"
settings="$work/config/radire/settings"
fail() { echo "FAIL: $*"; exit 1; }
source "$(dirname "$0")/window.sh"

start() {  # $1: the name of the run; the sound goes to $1.raw, what it says to $1.out
  rm -f "$work/$1.raw"
  SDL_DISKAUDIOFILE="$work/$1.raw" "$bin" --window --no-vsync >"$work/$1.out" 2>&1 &
  pid=$!
  wait_window $pid || fail "no window titled Radire: $(cat "$work/$1.out")"
  focus_window $pid
}
stop() {
  xdotool key --window "$id" Escape 2>/dev/null  # the window may be gone before the key is let go
  # ctest's time limit catches an Escape that never ends it.
  wait $pid; rc=$?; release_keys
  [ $rc -eq 0 ] || fail "exit code $rc"
  pid=""
}
bytes() { stat -c %s "$work/$1.raw" 2>/dev/null || echo 0; }
# Waits until the run's sound file holds $2 bytes: the disk driver writes in real time, 176400 bytes a second,
# or slower on a busy machine. It fails when the program ends first, or when a minute passes without a byte.
wait_sound() {
  local last=-1 still=0 now
  while now=$(bytes "$1"); [ "$now" -lt "$2" ]; do
    kill -0 $pid 2>/dev/null || fail "$1: the program ended after $now bytes of sound: $(cat "$work/$1.out")"
    if [ "$now" -eq "$last" ]; then still=$((still + 1)); else still=0; last=$now; fi
    [ $still -lt 600 ] || fail "$1: no sound"
    sleep 0.1
  done
}
# The root mean square of the 16-bit samples of $1.raw from byte $2 on, $3 bytes. Blocks of silence, where a busy
# machine left the output device waiting, are left out.
rms() {
  tail -c +$(($2 + 1)) "$work/$1.raw" | head -c "$3" | od -An -v -td2 -w2 |
    awk 'function block() { if (bs > 0) { s += bs; n += bn } bs = 0; bn = 0 }
         {bs += $1 * $1; bn++} bn == 2048 {block()}
         END {block(); printf "%d\n", n ? sqrt(s / n) : 0}'
}
second=176400

# The title's music, its first four seconds after the first, at 100 and at 30.
for volume in 100 30; do
  printf 'music = %d\n' $volume >"$settings"
  start "music$volume"
  wait_sound "music$volume" $((5 * second))
  stop
  level[$volume]=$(rms "music$volume" $second $((4 * second)))
done
ratio=$(awk -v a="${level[30]}" -v b="${level[100]}" 'BEGIN {printf "%.3f", b ? a / b : 0}')
echo "music: level ${level[100]} at 100, ${level[30]} at 30: $ratio"
awk -v r="$ratio" 'BEGIN {exit !(r >= 0.27 && r <= 0.33)}' || fail "at 30 the music's level is $ratio of that at 100"
[ "$(cat "$settings")" = "music = 30" ] || fail "the settings were rewritten: $(cat "$settings")"

# F9 silences the music at once (past what was mixed before), and the choice is kept.
start mute
wait_sound mute $((2 * second))
[ "$(rms mute $second $second)" -gt 100 ] || fail "no music before F9"
xdotool key --window "$id" F9
muted=$(bytes mute)
wait_sound mute $((muted + 3 * second))
stop
quiet=$(rms mute $((muted + second)) $((2 * second)))
[ "$quiet" -eq 0 ] || fail "after F9 the level is $quiet"
grep -qx 'mute = yes' "$settings" || fail "the mute was not kept: $(cat "$settings")"
grep -qx 'music = 30' "$settings" || fail "the volume was not kept: $(cat "$settings")"
echo "F9: level $quiet after it; kept"

# F12 saves the frame on the screen. The title stands still but for its frame counter: the screen is read at
# once, and again a few times should the counter have changed in between.
printf 'music = 0\nlanguage = en\n' >"$settings"
start shot
sleep 1
read -r x y < <(xdotool getwindowgeometry "$id" | awk '/Position/ {split($2, p, ","); print p[1], p[2]}')
same=""
for attempt in 1 2 3 4 5; do
  before=$(ls "$work/pictures/radire" 2>/dev/null | wc -l)
  xdotool key --window "$id" F12
  for i in $(seq 1 100); do [ "$(ls "$work/pictures/radire" 2>/dev/null | wc -l)" -gt "$before" ] && break; sleep 0.05; done
  shot=$(ls -t "$work"/pictures/radire/radire-*.png 2>/dev/null | head -n 1)
  [ -n "$shot" ] || fail "F12 saved nothing in $work/pictures/radire"
  # Above the line that names it.
  "$screen_picture" --compare "$x" "$y" "$shot" 456 >"$work/compare.txt" && { same=yes; break; }
  sleep 1.2
done
[ -n "$same" ] || fail "$(basename "$shot") is not the frame shown: $(cat "$work/compare.txt")"
basename "$shot" | grep -qE '^radire-[0-9]{4}-[0-9]{2}-[0-9]{2}-[0-9]{6}(-[0-9]+)?\.png$' || fail "named $(basename "$shot")"
# Two in one second keep both.
xdotool key --window "$id" F12 F12
for i in $(seq 1 100); do [ "$(ls "$work/pictures/radire" | wc -l)" -ge $((attempt + 2)) ] && break; sleep 0.1; done
[ "$(ls "$work/pictures/radire" | wc -l)" -ge $((attempt + 2)) ] || fail "a second screenshot in one second was lost"
stop
echo "F12: $(basename "$shot") is the frame shown; $(ls "$work/pictures/radire" | wc -l) screenshots"
# The settings' language reached the game: its record says so.
grep -qx 'language en' "$(ls -t "$work"/data/radire/replays/*.rec | head -n 1)" || fail "language = en was not taken"

# A place that is a file: one warning line, and the game plays on.
rm -rf "$work/pictures" && touch "$work/pictures"
start unwritable
xdotool key --window "$id" F12
for i in $(seq 1 100); do grep -q screenshot "$work/unwritable.out" && break; sleep 0.1; done
stop
[ "$(grep -c 'cannot save a screenshot' "$work/unwritable.out")" -eq 1 ] || fail "said: $(cat "$work/unwritable.out")"
grep 'screenshot' "$work/unwritable.out"

# Lines it cannot read: one warning line, their defaults, and the file as it was until a setting changes.
printf 'music = 130\nlanguage = fr\nscaling = sharp\n%%$#\n' >"$settings"
cp "$settings" "$work/settings.before"
start bad
wait_sound bad $((2 * second))
stop
[ "$(grep -c 'radire:' "$work/bad.out")" -eq 1 ] || fail "said: $(cat "$work/bad.out")"
grep -q 'line 1: cannot read "music = 130".*(and 2 more lines)' "$work/bad.out" || fail "said: $(cat "$work/bad.out")"
cmp -s "$settings" "$work/settings.before" || fail "the file was rewritten: $(cat "$settings")"
[ "$(rms bad $second $second)" -gt 100 ] || fail "music = 130 did not leave the music at its default"
grep 'radire:' "$work/bad.out"
echo "settings, music, mute, screenshots: as expected"
