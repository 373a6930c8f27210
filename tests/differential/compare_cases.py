#!/usr/bin/env python3
"""Compares dumps of draw_cases (see draw_cases.cpp) with a reference dump and prints one table.

Usage: compare_cases.py REFERENCE.bin LABEL=OTHER.bin...
A "pixels" case must be equal pixel for pixel; a "text" case must put its ink (the pixels that differ from
the starting picture) in the same box, give or take TEXT_SLACK pixels on each side, in the same main
colours, and measure the same numbers. A case in KNOWN_DIFFERENCES whose runtime differs there is
reported with its reason instead of failing. Exit: 0 when nothing failed, 1 otherwise, 2 for a bad dump.
"""
import re
import sys
from array import array

TEXT_SLACK = 2

# Every difference that does not fail the comparison, in one place: the case and the runtimes (regular
# expressions over names and labels), and why. "wine:" where Wine itself is known to differ from Windows;
# "open:" where the stand-in is known to differ from Wine and is not mended yet.
KNOWN_DIFFERENCES = [
    (r"bmp-24-topdown", r"wine.*",
     "wine: Wine 8 loads a top-down BMP file (negative height) through LoadImage as black; Windows loads it"),
    (r"stretch-[0-2]", r"wine.*",
     "wine: Wine does a stretched DirectDraw blit with its OpenGL renderer, which samples its own source "
     "pixels on an enlargement"),
    (r"bmp-565", r"wine.*",
     "wine: a 5-6-5 bit-field BMP loaded into a 5-6-5 surface comes back under Wine 8 with greens one step "
     "higher (32 as 33); an exact format keeps its pixels"),
    (r"text-[01]-(20|24|32)|text-styles|text-angle", r"wine.*",
     "wine: Wine has no MS Gothic or MS Mincho; the face it puts in for the standard faces has cells of 21, 23 "
     "and 32 and ems of 20, 22 and 30 pixels at 20, 24 and 32, where Windows' faces have cell = em = the "
     "height asked (12 and 16 agree)"),
    (r"sound", r"wine.*",
     "wine: Wine here has no audio device: DirectSoundCreate fails, the library marks sound unavailable and "
     "LoadObject answers 0; the volume, pan and frequency answers are compared on the stand-in only"),
]


def read_dump(path):
    data = open(path, "rb").read()
    if not data.startswith(b"OXCASES 1\n"):
        raise ValueError("%s is no dump of draw_cases" % path)
    pos, cases, order = len(b"OXCASES 1\n"), {}, []
    while pos < len(data):
        end = data.index(b"\n", pos)
        words = data[pos:end].decode().split()
        pos = end + 1
        if words == ["end"]:
            return cases, order, True
        if words[0] != "case":
            raise ValueError("%s: bad line %r" % (path, words))
        name, kind, n = words[1], words[2], int(words[3])
        values = [int(v) for v in words[4:4 + n]]
        w, h = int(words[4 + n]), int(words[5 + n])
        pixels = data[pos:pos + w * h * 2]
        pos += w * h * 2
        cases[name] = (kind, values, w, h, pixels)
        order.append(name)
    return cases, order, False


def ink(pixels, start):
    """The box (left, top, right, bottom) and colour counts of the pixels that differ from `start`."""
    a, s = array("H", pixels), array("H", start)
    colours, box = {}, None
    width = 640
    for i, (p, q) in enumerate(zip(a, s)):
        if p != q:
            colours[p] = colours.get(p, 0) + 1
            x, y = i % width, i // width
            if box is None:
                box = [x, y, x + 1, y + 1]
            else:
                box[0], box[1] = min(box[0], x), min(box[1], y)
                box[2], box[3] = max(box[2], x + 1), max(box[3], y + 1)
    return box, colours


def main_colours(colours):
    total = sum(colours.values()) or 1
    return {c for c, n in colours.items() if n * 10 >= total}


def same_colours(colours, other):
    """The main colours of each appear in the other's ink: grey edges of smoothed glyphs may differ."""
    return main_colours(colours) <= set(other) and main_colours(other) <= set(colours)


def compare(ref, other, start_ref, start_other):
    """'equal', or a short description of the difference."""
    kind, values, w, h, pixels = ref
    okind, ovalues, ow, oh, opixels = other
    if (w, h) != (ow, oh):
        return "size %dx%d, not %dx%d" % (ow, oh, w, h)
    if values != ovalues:
        return "measured %s, not %s" % (ovalues, values)
    if kind == "text":
        box, colours = ink(pixels, start_ref)
        obox, ocolours = ink(opixels, start_other)
        if box is None or obox is None:
            return "no ink" if box != obox else "equal"
        slack = max(abs(a - b) for a, b in zip(box, obox))
        if slack > TEXT_SLACK:
            return "ink box %s, not %s" % (obox, box)
        if not same_colours(colours, ocolours):
            return "colours %s, not %s" % (sorted(main_colours(ocolours)), sorted(main_colours(colours)))
        return "equal" if slack == 0 else "equal (box within %d)" % slack
    if pixels == opixels:
        return "equal"
    a, b = array("H", pixels), array("H", opixels)
    diff = [i for i in range(len(a)) if a[i] != b[i]]
    xs, ys = [i % w for i in diff], [i // w for i in diff]
    return "%d px differ in (%d,%d)-(%d,%d)" % (len(diff), min(xs), min(ys), max(xs) + 1, max(ys) + 1)


def main(argv):
    if len(argv) < 3:
        print(__doc__)
        return 2
    try:
        ref, order, complete = read_dump(argv[1])
        runs = []
        for arg in argv[2:]:
            label, _, path = arg.partition("=")
            runs.append((label, read_dump(path)))
    except (OSError, ValueError, IndexError) as e:
        print("compare_cases: %s" % e)
        return 2
    if not complete:
        print("compare_cases: the reference dump %s ends early" % argv[1])
        return 2
    passed = failed = listed = 0
    reasons = []
    width = max(len(n) for n in order)
    print("%-*s  %s" % (width, "case", "  ".join("%-24s" % label for label, _ in runs)))
    for name in order:
        cells = []
        for label, (cases, _, complete_run) in runs:
            if name not in cases:
                cells.append("MISSING" if complete_run else "MISSING (dump ends early)")
                failed += 1
                continue
            result = compare(ref[name], cases[name], ref["start"][4], cases.get("start", ref["start"])[4])
            if result.startswith("equal"):
                passed += 1
                cells.append(result)
                continue
            known = [why for case, who, why in KNOWN_DIFFERENCES if re.fullmatch(case, name) and re.fullmatch(who, label)]
            if known:
                listed += 1
                cells.append("LISTED: " + result)
                if known[0] not in reasons:
                    reasons.append(known[0])
            else:
                failed += 1
                cells.append("DIFFERS: " + result)
        print("%-*s  %s" % (width, name, "  ".join("%-24s" % c for c in cells)))
    for why in reasons:
        print("listed %s" % why)
    print("differential: %d passed, %d failed, %d skipped" % (passed, failed, listed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
