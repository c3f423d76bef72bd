#!/usr/bin/env bash
# Agreement of orlex-plotter-cli convert with an independent route from SVG to strokes,
# over a list of SVG files (one a line on standard input, or as arguments):
#   rsvg   rsvg-convert to PostScript, then pstoedit (shares librsvg with the import)
#   inkscape  Inkscape's PostScript export, then pstoedit (a renderer of its own)
# For each file it prints the route's verdict and svg_compare.py's precision, recall and F;
# at the end: files in which the route draws strokes, how many of them convert, and how
# many agree (F >= 0.98). Needs librsvg2-bin, pstoedit, and inkscape for that route.
# Text is left out of both by default (--text skip; svg_without_text.py for the route): the
# route draws the letters' outlines, not their centre lines; bench/svg_text_boxes.py
# measures text. With --text stroke both draw it. The route's strokes are cut to the
# clipping paths in force.
# Usage: bench/svg_agreement.sh [--route rsvg|inkscape] [--text skip|stroke] [FILE...] < list
set -uo pipefail
cd "$(dirname "$0")/.."
route=rsvg
text=skip
while [ $# -gt 0 ]; do
  case $1 in
    --route) route=$2; shift 2 ;;
    --text) text=$2; shift 2 ;;
    *) break ;;
  esac
done
cli=${ORLEX_CLI:-build/bin/orlex-plotter-cli}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
files=("$@")
[ ${#files[@]} -eq 0 ] && mapfile -t files
drawn=0 converted=0 agree=0 partly=0 partlyAgree=0
for f in "${files[@]}"; do
  rm -f "$work"/*
  # The route draws the file without its text when the conversion leaves text out.
  input=$f
  if [ "$text" = skip ]; then
    input="$work/route.svg"
    python3 bench/svg_without_text.py "$f" "$input" 2>/dev/null || input=$f
  fi
  case $route in
    rsvg) timeout 60 rsvg-convert -f ps -o "$work/r.ps" "$input" 2>/dev/null ;;
    inkscape) timeout 120 inkscape "$input" --export-type=ps --export-filename="$work/r.ps" >/dev/null 2>&1 ;;
  esac
  [ -s "$work/r.ps" ] || { echo "route-failed $f"; continue; }
  timeout 120 pstoedit -q -nc -f psf "$work/r.ps" "$work/r.fps" >/dev/null 2>&1 || { echo "route-failed $f"; continue; }
  # The page: rsvg-convert's own (whole points, "W H cairo_set_page_size"), else the ink's box.
  size=$(awk '$3 == "cairo_set_page_size" { print $1 * 25.4 / 72, $2 * 25.4 / 72; exit }' "$work/r.ps")
  [ -n "$size" ] || size=$(grep -m1 -oE '^%%BoundingBox: [0-9 .-]+' "$work/r.ps" | awk '{print $4*25.4/72, $5*25.4/72}')
  if timeout 120 "$cli" convert "$f" -o "$work/o.plt" --text "$text" >"$work/out.txt" 2>&1; then
    ours="$work/o.plt"
  else
    ours=-
  fi
  # Where the import names its page height, the route's rounded-up page is that much taller.
  ourHeight=$(grep -oE 'page [0-9.]+ mm x [0-9.]+ mm' "$work/out.txt" | awk '{print $5}')
  shift=0
  [ -n "$ourHeight" ] && [ "$route" = rsvg ] && shift=$(awk -v s="$size" -v h="$ourHeight" 'BEGIN { split(s, a, " "); print a[2] - h }')
  verdict=$(python3 bench/svg_compare.py "$ours" "$work/r.fps" $size "$shift")
  [ "$verdict" = none ] && { echo "no-strokes $f"; continue; }
  drawn=$((drawn + 1))
  # cairo's PostScript draws translucent groups, masks and filters as images, so their
  # strokes are missing from the route; an image where the SVG has none tells of it.
  rastered=0
  if [ "$route" = rsvg ] && ! grep -q '<image' "$f" && awk '/%%EndProlog/ { body = 1 } body && /cairo_image/ { found = 1 } END { exit !found }' "$work/r.ps"; then
    rastered=1; partly=$((partly + 1))
  fi
  [ "$ours" != - ] && converted=$((converted + 1))
  if [ "$ours" != - ] && awk -v f="${verdict##* }" 'BEGIN { exit !(f >= 0.98) }'; then
    agree=$((agree + 1)); [ $rastered = 1 ] && partlyAgree=$((partlyAgree + 1)); echo "agree $verdict $f"
  else
    echo "differ$([ $rastered = 1 ] && echo -n " (route-rasterised)") $verdict $f $( [ "$ours" = - ] && head -c 200 "$work/out.txt" | tr '\n' ' ')"
  fi
done
echo "route $route: strokes in $drawn files, $converted convert, $agree agree (F >= 0.98)"
[ "$route" = rsvg ] && echo "  drawn wholly as vectors by the route: $((agree - partlyAgree)) of $((drawn - partly)) agree;" \
  "partly rastered (translucency, masks, filters): $partlyAgree of $partly agree"
