#!/usr/bin/env python3
"""Writes an A4 SVG holding one stroked path of POINTS points that zig-zags across its
box and crosses itself many times: for timing the import of self-crossing paths.

    bench/gen_zigzag_svg.py POINTS OUT [--relative] [--closed] [--seed N]
"""
import argparse
import random

parser = argparse.ArgumentParser()
parser.add_argument("points", type=int)
parser.add_argument("out")
parser.add_argument("--relative", action="store_true", help="relative commands (l) after the first point")
parser.add_argument("--closed", action="store_true", help="close the path with z")
parser.add_argument("--seed", type=int, default=1)
args = parser.parse_args()

rng = random.Random(args.seed)
# Each point lies on the other side of the box from the one before, a little further on:
# every segment crosses the many segments around it.
points = []
for i in range(args.points):
    x = 10 + 190 * (i / max(1, args.points - 1)) + rng.uniform(-20, 20)
    y = (20 if i % 2 else 270) + rng.uniform(-5, 5)
    points.append((min(200, max(10, x)), y))

parts = ["M%.3f %.3f" % points[0]]
for (x0, y0), (x1, y1) in zip(points, points[1:]):
    if args.relative:
        parts.append("l%.3f %.3f" % (x1 - x0, y1 - y0))
    else:
        parts.append("L%.3f %.3f" % (x1, y1))
if args.closed:
    parts.append("z")

with open(args.out, "w") as out:
    out.write('<svg xmlns="http://www.w3.org/2000/svg" width="210mm" height="297mm" viewBox="0 0 210 297">\n')
    out.write('<path fill="none" stroke="black" stroke-width="0.3" d="%s"/>\n' % " ".join(parts))
    out.write("</svg>\n")
