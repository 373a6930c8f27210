#!/usr/bin/env bash
# The drawing cases on the headless host, full screen and windowed on a 32-bit desktop, must agree pixel for
# pixel: the windowed screen keeps 16-bit surfaces and converts what it shows.
# Usage: headless_check.sh DRAW_CASES_PROGRAM
set -euo pipefail
program="$1"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for mode in full window; do
  mkdir -p "$work/$mode"
  # The pictures are written beside the program, so each run has its own copy.
  cp "$program" "$work/$mode/draw_cases"
  args=(--headless)
  [ "$mode" = window ] && args+=(-- -window)
  (cd "$work/$mode" && ./draw_cases "${args[@]}" >/dev/null)
done
python3 "$here/compare_cases.py" "$work/full/draw-cases.bin" "headless-window=$work/window/draw-cases.bin"
