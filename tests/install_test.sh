#!/usr/bin/env bash
# cmake --install into a temporary prefix: the installed program, started from elsewhere, finds its files
# under PREFIX/share/radire and keeps its high score in $XDG_DATA_HOME/radire; the desktop entry and the
# metainfo pass Debian's validators; the icons are PNG files of their sizes.
set -u
build="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$work/install.txt" 2>&1 || fail "install: $(cat "$work/install.txt")"
[ "$("$prefix/bin/radire" --version)" = "radire 1.1.0" ] || fail "--version says $("$prefix/bin/radire" --version)"

mkdir "$work/elsewhere" && cd "$work/elsewhere"
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
printf '40 key tap RETURN\n' >script.txt
"$prefix/bin/radire" --headless --frames 60 --input script.txt --log log.txt --shot 59:stage.png || fail "the installed program ended with $?"
grep -q "mci \"open \"$prefix/bin/../share/radire/MAIN.MID\" type sequencer alias midi\" -> 0" log.txt ||
  fail "the music was not found: $(grep mci log.txt)"
[ "$(readlink -f "$XDG_DATA_HOME/radire/data.dat")" = "$(readlink -f "$prefix/share/radire/data.dat")" ] ||
  fail "the data files are not taken from $prefix/share/radire"
[ -s stage.png ] || fail "no frame"
ls "$work/elsewhere" | grep -qv -e script.txt -e log.txt -e stage.png && fail "files left where it was started"

desktop-file-validate "$prefix/share/applications/radire.desktop" || fail "the desktop entry"
appstreamcli validate --no-net "$prefix/share/metainfo/org.radire.Radire.metainfo.xml" || fail "the metainfo"
[ -s "$prefix/share/man/man6/radire.6" ] || fail "no man page"
for size in 48 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/radire.png"
  # The PNG signature, then the width and height of the header chunk.
  header=$(od -An -tx1 -j0 -N24 "$icon" | tr -d ' \n')
  want=$(printf '89504e470d0a1a0a0000000d49484452%08x%08x' "$size" "$size")
  [ "$header" = "$want" ] || fail "$icon is not a ${size}x${size} PNG"
done
echo "installed, started from elsewhere, validated"
