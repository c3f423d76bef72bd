#!/usr/bin/env bash
# Makes plot files the way real exporters make them, for bench_optimize: a page of text
# and a diagram typeset by groff, a tablet drawing and a sheet of icons from Debian's
# SVG files, each turned into HPGL by pstoedit (glyphs as outlines, -dt). The text goes
# through both of pstoedit's HPGL writers: its own (coarse curves) and libplot's (curves
# divided finely, many more points). Installs the Debian packages it needs when missing.
#   bench/make_real_plots.sh [OUT_DIR]        (default: real-plots)
set -euo pipefail
out="${1:-real-plots}"
mkdir -p "$out"

missing=()
command -v pstoedit >/dev/null || missing+=(pstoedit)
command -v gs >/dev/null || missing+=(ghostscript)
command -v pic >/dev/null || missing+=(groff-base)
command -v rsvg-convert >/dev/null || missing+=(librsvg2-bin)
[ -d /usr/share/libwacom/layouts ] || missing+=(libwacom-common)
[ -d /usr/share/icons/Adwaita/scalable/devices ] || missing+=(adwaita-icon-theme)
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
to_hpgl() { # PS_FILE OUT_NAME [DRIVER]
  pstoedit -q -dt -f "${3:-hpgl}" "$1" "$out/$2" 2>/dev/null
}

# A page of text: the first 70 lines of the GPL, filled and set in Times.
sed -n 1,70p /usr/share/common-licenses/GPL-3 | groff -Tps >"$work/text.ps"
to_hpgl "$work/text.ps" text.plt
to_hpgl "$work/text.ps" text-libplot.plt plot-hpgl

# A block diagram drawn with pic: boxes, circles, arrows, a spline and labels.
cat >"$work/diagram.pic" <<'EOF'
.PS
box "Interpreter"; arrow; box "Planner"; arrow; circle "Drive" rad 0.4
down; move; ellipse "Preview"; arrow; box wid 1.2 ht 0.8 "Canvas"
line from 1st box.s down 1.5 then right 2
spline right 1 then up 1 then right 1 then down 1 ->
arc cw rad 0.5
box "Settings" at 1st box + (0, -2.5); arrow from last box.e right 1; circle "Port" rad 0.3
.PE
EOF
groff -p -Tps "$work/diagram.pic" >"$work/diagram.ps"
to_hpgl "$work/diagram.ps" diagram.plt

# A drawing tablet's button layout.
rsvg-convert -f ps -o "$work/tablet.ps" /usr/share/libwacom/layouts/cintiq-24hd.svg
to_hpgl "$work/tablet.ps" tablet.plt

# 36 device icons on one sheet, 6 by 6.
{
  echo '<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" width="600" height="600">'
  i=0
  for icon in $(ls /usr/share/icons/Adwaita/scalable/devices/*.svg | head -36); do
    x=$(((i % 6) * 100)) y=$(((i / 6) * 100))
    sed -z -e 's/<?xml[^>]*>//' -e "s/<svg[^>]*>/<g transform=\"translate($x,$y) scale(5)\">/" \
      -e 's/<\/svg>/<\/g>/' "$icon"
    i=$((i + 1))
  done
  echo '</svg>'
} >"$work/icons.svg"
rsvg-convert -f ps -o "$work/icons.ps" "$work/icons.svg"
to_hpgl "$work/icons.ps" icons.plt

ls -l "$out"
