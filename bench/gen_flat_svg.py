#!/usr/bin/env python3
"""Writes an A3 SVG of about SIZE bytes: small closed paths (a few lines and a curve, about
90 bytes each) in one group, as a traced or exported drawing holds them.

Usage: bench/gen_flat_svg.py SIZE OUT [SEED]
"""
import random
import sys

size, out = int(float(sys.argv[1])), sys.argv[2]
rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 1)
parts = ['<?xml version="1.0" encoding="UTF-8"?>\n<svg xmlns="http://www.w3.org/2000/svg" width="420mm" '
         'height="297mm" viewBox="0 0 420 297">\n<g style="fill:none;stroke:#000;stroke-width:0.2">\n']
total = len(parts[0])
while total < size:
    x, y = rng.uniform(5, 415), rng.uniform(5, 292)
    d = (f'<path d="M{x:.2f} {y:.2f}l{rng.uniform(-3, 3):.2f} {rng.uniform(-3, 3):.2f}'
         f'c{rng.uniform(-2, 2):.2f} {rng.uniform(-2, 2):.2f} {rng.uniform(-2, 2):.2f} {rng.uniform(-2, 2):.2f} '
         f'{rng.uniform(-3, 3):.2f} {rng.uniform(-3, 3):.2f}z"/>\n')
    parts.append(d)
    total += len(d)
parts.append("</g>\n</svg>\n")
open(out, "w").write("".join(parts))
