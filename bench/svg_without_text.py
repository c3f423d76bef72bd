#!/usr/bin/env python3
"""Copies an SVG without its <text> elements (those inside clipping paths stay: they clip
by their letters' outlines), so that another renderer draws what the import draws with
--text skip. Usage: svg_without_text.py IN OUT"""
import re
import sys

data = open(sys.argv[1], "rb").read().decode("utf-8", "surrogateescape")
text = re.compile(r"<((?:\w+:)?text)\b[^>]*?/>|<((?:\w+:)?text)\b.*?</\2\s*>", re.S)
clip = re.compile(r"<((?:\w+:)?clipPath)\b.*?</\1\s*>", re.S)
out, at = [], 0
for kept in clip.finditer(data):
    out.append(text.sub("", data[at:kept.start()]))
    out.append(kept.group(0))
    at = kept.end()
out.append(text.sub("", data[at:]))
open(sys.argv[2], "wb").write("".join(out).encode("utf-8", "surrogateescape"))
