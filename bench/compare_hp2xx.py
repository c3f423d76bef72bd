#!/usr/bin/env python3
"""Compares the full HP-GL reading with hp2xx on plot files.

For each FILE: bench_full_hpgl convert writes plain HPGL in plotter units, hp2xx -t -m hpgl
writes its own (true size, moved so the drawing starts at 0,0); both are read back as
pen-down segments, moved so their boxes start at 0,0, and compared: total length, and the
largest distance from any point of one drawing to the other (both ways). Labels are drawn
in different fonts, so they are compared by their boxes (--labels files, or the label
commands of a file taken out for the geometry, then the whole drawing's box compared).
Segments drawn twice count once (hp2xx draws the first chord of a circle again), and
segments up to one plotter unit long are dots, left out.

  bench/compare_hp2xx.py BENCH_BINARY [--page WxH] FILE... [--labels FILE...]
"""
import math
import os
import re
import subprocess
import sys
import tempfile

TOLERANCE_MM = 0.1
LENGTH_PERCENT = 0.5
BOX_PERCENT = 10
UNITS_PER_MM = 40


def segments(path):
    """Pen-down segments of plain HPGL (PA, PR, PU, PD, SP), plotter units."""
    text = open(path, encoding="latin-1").read()
    segs, x, y, down, relative = [], 0.0, 0.0, False, False
    for command in re.finditer(r"([A-Z]{2})([^A-Z;]*)", text):
        name, args = command.group(1), command.group(2)
        numbers = [float(n) for n in re.findall(r"[-+]?\d*\.?\d+", args)]
        if name == "PU":
            down = False
        elif name == "PD":
            down = True
        elif name == "PA":
            relative = False
        elif name == "PR":
            relative = True
        else:
            continue
        for i in range(0, len(numbers) - 1, 2):
            nx, ny = (x + numbers[i], y + numbers[i + 1]) if relative else (numbers[i], numbers[i + 1])
            if down and math.hypot(nx - x, ny - y) > 1.01:  # longer than a dot
                segs.append((x, y, nx, ny))
            x, y = nx, ny
    return segs


def without_repeats(segs):
    """Segments drawn twice (either way round) count once: the same ink."""
    seen, out = set(), []
    for a, b, c, d in segs:
        key = tuple(sorted(((round(a), round(b)), (round(c), round(d)))))
        if key not in seen:
            seen.add(key)
            out.append((a, b, c, d))
    return out


def moved_to_origin(segs):
    if not segs:
        return segs
    mx = min(min(s[0], s[2]) for s in segs)
    my = min(min(s[1], s[3]) for s in segs)
    return [(a - mx, b - my, c - mx, d - my) for a, b, c, d in segs]


def box(segs):
    if not segs:
        return (0, 0)
    return (max(max(s[0], s[2]) for s in segs) - min(min(s[0], s[2]) for s in segs),
            max(max(s[1], s[3]) for s in segs) - min(min(s[1], s[3]) for s in segs))


class SegmentGrid:
    """Nearest-segment distances through a grid of 1 mm cells."""

    def __init__(self, segs, cell=UNITS_PER_MM):
        self.cell, self.cells, self.long = cell, {}, []
        for s in segs:
            x0, x1 = sorted((s[0], s[2]))
            y0, y1 = sorted((s[1], s[3]))
            if (x1 - x0) * (y1 - y0) > 1e4 * cell * cell:
                self.long.append(s)  # looked at for every point
                continue
            for i in range(int(x0 // cell) - 1, int(x1 // cell) + 2):
                for j in range(int(y0 // cell) - 1, int(y1 // cell) + 2):
                    self.cells.setdefault((i, j), []).append(s)

    def distance(self, x, y, limit):
        best = limit
        i, j = int(x // self.cell), int(y // self.cell)
        for s in self.cells.get((i, j), []) + self.long:
            best = min(best, point_segment(x, y, s))
        return best


def point_segment(x, y, s):
    ax, ay, bx, by = s
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0 if length2 == 0 else max(0, min(1, ((x - ax) * dx + (y - ay) * dy) / length2))
    return math.hypot(ax + t * dx - x, ay + t * dy - y)


def farthest(from_segs, to_grid, step=2.0):
    """The largest distance from a point on from_segs to to_grid, plotter units (capped at 1 mm)."""
    worst = 0
    for ax, ay, bx, by in from_segs:
        n = min(10000, max(1, int(math.hypot(bx - ax, by - ay) / step)))
        for k in range(n + 1):
            t = k / n
            worst = max(worst, to_grid.distance(ax + t * (bx - ax), ay + t * (by - ay), UNITS_PER_MM))
    return worst


def length(segs):
    return sum(math.hypot(s[2] - s[0], s[3] - s[1]) for s in segs)


def without_labels_and_fills(path, folder):
    """A copy of the file with its labels (LB up to the terminator) and fills (FP, RA, RR,
    WG with their parameters) taken out: hp2xx fills solid areas with lines 0.1 plotter
    units apart, as for a raster, where a pen plotter draws them one pen width apart."""
    data = open(path, "rb").read()
    out, terminator, i = bytearray(), 3, 0
    while i < len(data):
        pair = data[i:i + 2].upper()
        if pair == b"DT" and i + 2 < len(data):
            terminator = 3 if data[i + 2] == ord(";") else data[i + 2]
        if pair == b"LB":
            end = data.find(bytes([terminator]), i + 2)
            i = len(data) if end < 0 else end + 1
            continue
        if pair in (b"FP", b"RA", b"RR", b"WG"):
            i += 2
            while i < len(data) and data[i:i + 1] not in (b";",) and not chr(data[i]).isalpha():
                i += 1
            continue
        out.append(data[i])
        i += 1
    copy = os.path.join(folder, os.path.basename(path) + ".stripped")
    open(copy, "wb").write(out)
    return copy, out != data


def run(bench, page, path, folder):
    ours = os.path.join(folder, "ours.hpgl")
    theirs = os.path.join(folder, "theirs.hpgl")
    subprocess.run([bench, "convert", path, ours, "--page", page], check=False, capture_output=True)
    subprocess.run(["hp2xx", "-q", "-t", "-m", "hpgl", "-f", theirs, path], check=False, capture_output=True)
    return (moved_to_origin(without_repeats(segments(ours))),
            moved_to_origin(without_repeats(segments(theirs))))


def compare_geometry(bench, page, path, folder):
    a, b = run(bench, page, path, folder)
    la, lb = length(a), length(b)
    length_diff = 100 * abs(la - lb) / max(lb, 1e-9)
    d_ab = farthest(a, SegmentGrid(b)) / UNITS_PER_MM
    d_ba = farthest(b, SegmentGrid(a)) / UNITS_PER_MM
    ok = length_diff <= LENGTH_PERCENT and max(d_ab, d_ba) <= TOLERANCE_MM
    print(f"{'PASS' if ok else 'FAIL'} {os.path.basename(path)}: {len(a)} / {len(b)} segments, "
          f"length {la / UNITS_PER_MM:.1f} / {lb / UNITS_PER_MM:.1f} mm ({length_diff:.3f} %), "
          f"farthest {d_ab:.3f} / {d_ba:.3f} mm")
    return ok


def compare_box(bench, page, path, folder, what="labels"):
    a, b = run(bench, page, path, folder)
    (wa, ha), (wb, hb) = box(a), box(b)
    dw = 100 * abs(wa - wb) / max(wb, 1e-9)
    dh = 100 * abs(ha - hb) / max(hb, 1e-9)
    ok = dw <= BOX_PERCENT and dh <= BOX_PERCENT
    print(f"{'PASS' if ok else 'FAIL'} {os.path.basename(path)} ({what} box): "
          f"{wa / UNITS_PER_MM:.1f} x {ha / UNITS_PER_MM:.1f} mm / {wb / UNITS_PER_MM:.1f} x {hb / UNITS_PER_MM:.1f} mm "
          f"({dw:.1f} %, {dh:.1f} %)")
    return ok


def main(argv):
    if len(argv) < 2:
        print(__doc__)
        return 2
    bench, rest = argv[1], argv[2:]
    page = "33600x47520"  # hp2xx's own P1 and P2 after IN
    if rest[:1] == ["--page"]:
        page, rest = rest[1], rest[2:]
    files, label_files = rest, []
    if "--labels" in rest:
        k = rest.index("--labels")
        files, label_files = rest[:k], rest[k + 1:]
    failures, extra = 0, 0
    with tempfile.TemporaryDirectory() as folder:
        for path in files:
            stripped, changed = without_labels_and_fills(path, folder)
            failures += not compare_geometry(bench, page, stripped if changed else path, folder)
            if changed:
                extra += 1
                failures += not compare_box(bench, page, path, folder, "whole drawing")
        for path in label_files:
            failures += not compare_box(bench, page, path, folder)
    checks = len(files) + len(label_files) + extra
    print(f"{checks - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
