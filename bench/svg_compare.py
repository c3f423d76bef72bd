#!/usr/bin/env python3
"""Compares the centre-lines of two routes from SVG to strokes, as rasters.

Usage: svg_compare.py OURS.plt ROUTE.fps WIDTH_MM HEIGHT_MM [ROUTE_SHIFT_Y_MM]
OURS.plt is orlex-plotter-cli's HPGL (0.025 mm units, y up from the page's bottom-left
corner); ROUTE.fps is pstoedit's flattened PostScript (-f psf -nc) of another renderer's
PostScript output (points, y up). Only paths that end in "stroke" count. Both sets of
lines are drawn one pixel wide at 0.25 mm per pixel, cut to the page (the route's also to
the clipping paths in force where they were stroked); a pixel matches when
the other raster has ink within one pixel. Prints precision, recall and F, or "none" when
the route draws no stroke. ROUTE_SHIFT_Y_MM is taken off the route's y: rsvg-convert
rounds the PostScript page up to whole points and flips y about that height, so its
strokes stand higher than on the SVG's own page by the difference.
"""
import re
import sys

PX_MM = 0.25


def hpgl_lines(path):
    text = open(path, encoding="latin-1").read()
    lines, pen_down, here = [], False, None
    for command in text.replace("\n", "").split(";"):
        op, args = command[:2], command[2:]
        numbers = [float(n) for n in re.findall(r"-?\d+(?:\.\d+)?", args)]
        points = [(numbers[i] / 40, numbers[i + 1] / 40) for i in range(0, len(numbers) - 1, 2)]
        if op == "PU":
            pen_down = False
        elif op == "PD":
            pen_down = True
        else:
            continue
        for p in points:
            if pen_down and here is not None:
                lines.append(((here, p), ()))
            here = p
    return lines


def route_lines(path, shift_y=0.0):
    """The route's stroked segments, each with the clips in force where it was stroked:
    pstoedit keeps cairo's clips as clipping paths between gsave and grestore."""
    lines, current, rings, start, here = [], [], [], None, None
    clips, saved = (), []
    mm = 25.4 / 72
    for raw in open(path, encoding="latin-1"):
        words = raw.split()
        if len(words) == 3 and words[2] in ("moveto", "lineto"):
            p = (float(words[0]) * mm, float(words[1]) * mm - shift_y)
            if words[2] == "lineto" and here is not None:
                current.append((here, p))
                rings[-1].append(p)
            else:
                start = p
                rings.append([p])
            here = p
        elif words == ["closepath"] and here is not None and start is not None:
            current.append((here, start))
            here = start
        elif words and words[0] == "gsave":
            saved.append(clips)
        elif words and words[0] == "grestore":
            clips = saved.pop() if saved else ()
        elif words in (["stroke"], ["fill"], ["eofill"], ["clip"], ["eoclip"], ["newpath"]):
            if words == ["stroke"]:
                lines.extend((segment, clips) for segment in current)
            elif words in (["clip"], ["eoclip"]) and rings:
                clips = clips + ((tuple(tuple(r) for r in rings), words == ["eoclip"]),)
            current, rings, here, start = [], [], None, None
    return lines


def inside(point, clip):
    """Whether the point lies inside a clip (its rings, its rule)."""
    rings, even_odd = clip
    x, y = point
    winding = crossings = 0
    for ring in rings:
        for (x0, y0), (x1, y1) in zip(ring, ring[1:] + ring[:1]):
            if (y0 <= y < y1) or (y1 <= y < y0):
                if x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
                    crossings += 1
                    winding += 1 if y1 > y0 else -1
    return crossings % 2 == 1 if even_odd else winding != 0


def raster(lines, width, height):
    ink = set()
    w, h = int(width / PX_MM) + 1, int(height / PX_MM) + 1
    for line in lines:  # (segment, clips)
        ((x0, y0), (x1, y1)), clips = line
        steps = int(max(abs(x1 - x0), abs(y1 - y0)) / PX_MM * 2) + 1
        if steps > 10_000_000:
            continue
        for i in range(steps + 1):
            t = i / steps
            px, py = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
            x, y = int(px / PX_MM), int(py / PX_MM)
            if 0 <= x < w and 0 <= y < h and (x, y) not in ink and all(inside((px, py), c) for c in clips):
                ink.add((x, y))
    return ink


def share_near(a, b):
    if not a:
        return 1.0
    near = sum(1 for (x, y) in a if any((x + dx, y + dy) in b for dx in (-1, 0, 1) for dy in (-1, 0, 1)))
    return near / len(a)


def main():
    ours, route, width, height = sys.argv[1], sys.argv[2], float(sys.argv[3]), float(sys.argv[4])
    shift_y = float(sys.argv[5]) if len(sys.argv) > 5 else 0.0
    b = raster(route_lines(route, shift_y), width, height)
    if not b:
        print("none")
        return
    a = raster(hpgl_lines(ours), width, height) if ours != "-" else set()
    precision, recall = share_near(a, b), share_near(b, a)
    f = 2 * precision * recall / (precision + recall) if precision + recall > 0 else 0.0
    print(f"{precision:.4f} {recall:.4f} {f:.4f}")


if __name__ == "__main__":
    main()
