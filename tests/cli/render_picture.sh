#!/usr/bin/env bash
# The program's pictures, rendered by rsvg-convert (a real SVG renderer,
# which refuses files above about 10 MB): a 10^5-point mesh without z, and a
# 10^6-point survey with z, which the picture shades. Checks that each file
# stays under 8 MB, that the renderer accepts it, and that the PNG is of the
# page's size and shows a mesh: edges, hull and dots, or the colour ramp.
# The program's own PNG (--png, through librsvg) is checked the same way.
#
#   render_picture.sh PROGRAM SCRATCH_FOLDER PYTHON
set -euo pipefail
program="$1"
folder="$2"
python="${3:-python3}"
if ! command -v rsvg-convert >/dev/null 2>&1; then
  echo "rsvg-convert is missing (apt-get install librsvg2-bin)"
  exit 77
fi
rm -rf "$folder" && mkdir -p "$folder"
"$python" - "$folder/survey.txt" <<'PY'
import math, random, sys
random.seed(5)
with open(sys.argv[1], "w") as f:
    for _ in range(1000000):
        x, y = random.uniform(0, 4000), random.uniform(0, 3000)
        f.write("%.2f %.2f %.2f\n" % (x, y, 300 + 80 * math.sin(x / 700) * math.cos(y / 500)))
PY
"$program" --generate uniform --n 100000 --seed 5 -o "$folder/plain.svg" --png 2>/dev/null
"$program" "$folder/survey.txt" -o "$folder/shaded.svg" 2>/dev/null
for picture in plain shaded; do
  size=$(stat -c %s "$folder/$picture.svg")
  echo "$picture.svg: $size bytes"
  if ((size > 8000000)); then
    echo "$picture.svg is larger than 8 MB"
    exit 1
  fi
  rsvg-convert "$folder/$picture.svg" -o "$folder/$picture-rsvg.png"
done
"$python" - "$folder" <<'PY'
import struct, sys, zlib

import os

# A small PNG reader: 8-bit RGB or RGBA, not interlaced, as rsvg-convert and
# cairo write.
def read_png(name):
    data = open(name, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", name + ": not a PNG"
    pos, chunks = 8, {}
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunks.setdefault(kind, []).append(data[pos + 8:pos + 8 + length])
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", chunks[b"IHDR"][0])
    assert depth == 8 and colour in (2, 6) and interlace == 0, "unexpected PNG layout"
    channels = 4 if colour == 6 else 3
    raw = zlib.decompress(b"".join(chunks[b"IDAT"]))
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        if kind == 2:
            line = bytearray((a + b) & 255 for a, b in zip(line, previous))
        elif kind != 0:
            for i in range(stride):
                left = line[i - channels] if i >= channels else 0
                up, corner = previous[i], previous[i - channels] if i >= channels else 0
                if kind == 1:
                    line[i] = (line[i] + left) & 255
                elif kind == 3:
                    line[i] = (line[i] + (left + up) // 2) & 255
                elif kind == 4:
                    p = left + up - corner
                    pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                    line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append(line)
        previous = line
    pixels = []
    for line in rows[::3]:  # every third row is plenty to count colours
        pixels.extend((line[x], line[x + 1], line[x + 2]) for x in range(0, stride, channels))
    return width, height, pixels


folder = sys.argv[1]
# Drawing 1000 px on its longer side, 16 px margins, a 52 px header and a
# 64 px footer; a shaded picture has a 110 px legend on the right.
for name, size in (("plain-rsvg.png", (1032, 1116)), ("plain.png", (1032, 1116)),
                   ("shaded-rsvg.png", (1142, 866))):
    width, height, pixels = read_png(os.path.join(folder, name))
    assert (width, height) == size, (name, width, height)
    total = len(pixels)
    white = sum(1 for r, g, b in pixels if r > 245 and g > 245 and b > 245)
    assert white < 0.8 * total, name + ": the picture is almost empty"
    if name.startswith("plain"):
        dots = sum(1 for r, g, b in pixels if r > b + 40)
        edges = sum(1 for r, g, b in pixels if b > r + 20)
        assert dots > 0.01 * total and edges > 0.05 * total, name + ": dots or edges are missing"
    else:
        # viridis runs from purple (b > g) through teal to yellow (r, g > b)
        purple = sum(1 for r, g, b in pixels if b > g + 30 and b > 60)
        yellow = sum(1 for r, g, b in pixels if r > 150 and g > 150 and b < 100)
        assert purple > 0.02 * total and yellow > 0.02 * total, (name, purple, yellow)
    print("%s ok: %dx%d" % (name, width, height))
PY
