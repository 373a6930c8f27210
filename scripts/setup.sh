# Shared by the README's commands: install what is missing from Debian's archive, then configure and build.
# Usage: source it, then call radire_install [extra packages] and radire_build.

RADIRE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

RADIRE_PACKAGES=(
  g++ cmake ninja-build pkg-config googletest libgtest-dev libbenchmark-dev
  libsdl2-dev libfreetype-dev libfontconfig-dev fonts-ipafont-gothic fonts-ipafont-mincho
  libfluidsynth-dev timgm6mb-soundfont libpng-dev xvfb xdotool xauth openbox x11-utils
  desktop-file-utils appstream
)

radire_install() {
  local missing=() p
  for p in "${RADIRE_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# radire_build DIR [cmake options...]
radire_build() {
  local dir="$1"
  shift
  cmake -S "$RADIRE_ROOT" -B "$RADIRE_ROOT/$dir" -G Ninja "$@" >/dev/null
  cmake --build "$RADIRE_ROOT/$dir"
}
