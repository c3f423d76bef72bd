#!/usr/bin/env bash
# The full HP-GL reading against hp2xx on files written by GNU plotutils (graph, plot,
# pic2plot) and pstoedit, and on the hand-written files of full_hpgl/. Installs hp2xx,
# plotutils and pstoedit when missing (Debian). Usage: bench/full_hpgl_acceptance.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
cmake --build "$build" -j2 --target bench_full_hpgl >/dev/null
need=()
for tool in hp2xx:hp2xx graph:plotutils pstoedit:pstoedit gs:ghostscript; do
  command -v "${tool%%:*}" >/dev/null || need+=("${tool##*:}")
done
[ ${#need[@]} -gt 0 ] && apt-get install -y -qq "${need[@]}" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

seq 0 0.1 6.3 | awk '{print $1, sin($1)}' >"$work/sin.dat"
seq 1 1 50 | awk '{print $1, $1*$1}' >"$work/sq.dat"
graph -T hpgl -L "Sine" -X "x" -Y "sin x" "$work/sin.dat" >"$work/graph_sine.plt"
graph -T hpgl -m 3 -S 4 -l y -g 3 "$work/sq.dat" >"$work/graph_log_symbols.plt"
graph -T hpgl -m -1 -S 2 --font-size 0.05 -L "Symbols only" "$work/sin.dat" >"$work/graph_symbols.plt"
graph -T hpgl -C -m 2 "$work/sin.dat" -m 5 "$work/sq.dat" >"$work/graph_two.plt"
graph -T meta "$work/sin.dat" | plot -T hpgl >"$work/plot_sine.plt"
graph -T meta -m 4 -S 3 "$work/sq.dat" | plot -T hpgl --rotation 90 >"$work/plot_rotated.plt"
cat >"$work/diagram.pic" <<'PIC'
.PS
box "Input"; arrow; circle "Process" rad 0.4; arrow; ellipse "Output"
move down 1 from 1st box.s
arc cw; line dashed right 1; spline right 1 then up 0.5 then right 1
box dotted "dots" wid 1.2
.PE
PIC
printf '.PS\nbox fill 0.5 "A"; circle fill 0.2 rad 0.3; arrow; box invis "text only"\n.PE\n' >"$work/fill.pic"
pic2plot -T hpgl "$work/diagram.pic" >"$work/pic_diagram.plt"
pic2plot -T hpgl "$work/fill.pic" >"$work/pic_fill.plt"
graph -T ps -L "Sine" "$work/sin.dat" >"$work/sine.ps"
pic2plot -T ps "$work/diagram.pic" >"$work/diagram.ps"
cat >"$work/shapes.ps" <<'PS'
%!PS
/Helvetica findfont 24 scalefont setfont
72 72 moveto (Hello plotter) show
newpath 300 300 80 0 360 arc stroke
newpath 100 400 moveto 150 500 250 500 300 400 curveto stroke
newpath 350 100 moveto 500 100 lineto 500 250 lineto closepath stroke
[6 4] 0 setdash newpath 72 600 moveto 500 600 lineto stroke
showpage
PS
for f in sine diagram shapes; do pstoedit -q -f hpgl "$work/$f.ps" "$work/pstoedit_$f.plt" 2>/dev/null; done

compare=bench/compare_hp2xx.py
bench=$build/bench/bench_full_hpgl
echo "== plotutils"
"$compare" "$bench" "$work"/graph_*.plt "$work"/plot_*.plt "$work"/pic_*.plt || true
echo "== plotutils, dashed lines drawn solid (hp2xx starts the dash pattern afresh at each edge of EP)"
for f in graph_log_symbols plot_rotated; do sed 's/LT8,[0-9.]*;/LT;/g' "$work/$f.plt" >"$work/${f}_solid.plt"; done
"$compare" "$bench" "$work"/graph_log_symbols_solid.plt "$work"/plot_rotated_solid.plt || true
echo "== pstoedit -f hpgl"
"$compare" "$bench" "$work"/pstoedit_*.plt || true
echo "== hand-written, one file per command group"
h=bench/full_hpgl
"$compare" "$bench" $h/scaling.plt $h/curves.plt $h/shapes.plt $h/line_types.plt $h/encoded.plt \
  --labels $h/labels.plt || true
echo "== hand-written, where hp2xx reads otherwise (see bench/README.md)"
"$compare" "$bench" $h/arcs_through.plt $h/encoded_fraction.plt --labels $h/fills.plt || true
