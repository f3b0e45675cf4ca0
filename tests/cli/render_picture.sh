#!/usr/bin/env bash
# Draws a 10^5-point mesh as SVG with the program, renders it to PNG with
# rsvg-convert (a real SVG renderer), and checks that the picture is well
# formed and shows a mesh: the renderer accepts it, and the PNG is of the
# page's size with enough edge, hull and dot pixels on it.
#
#   render_picture.sh PROGRAM SCRATCH_FOLDER
set -euo pipefail
program="$1"
folder="$2"
if ! command -v rsvg-convert >/dev/null 2>&1; then
  echo "rsvg-convert is missing (apt-get install librsvg2-bin)"
  exit 77
fi
rm -rf "$folder" && mkdir -p "$folder"
"$program" --generate uniform --n 100000 --seed 5 -o "$folder/mesh.svg"
rsvg-convert "$folder/mesh.svg" -o "$folder/mesh.png"
python3 - "$folder/mesh.png" <<'PY'
import struct, sys, zlib

# A small PNG reader: 8-bit RGB or RGBA, not interlaced, as rsvg-convert writes.
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
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
    for i in range(stride):
        left = line[i - channels] if i >= channels else 0
        up, corner = previous[i], previous[i - channels] if i >= channels else 0
        if kind == 1:
            line[i] = (line[i] + left) & 255
        elif kind == 2:
            line[i] = (line[i] + up) & 255
        elif kind == 3:
            line[i] = (line[i] + (left + up) // 2) & 255
        elif kind == 4:
            p = left + up - corner
            pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
            line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
    rows.append(line)
    previous = line
# The page is 1000 px of drawing plus a 12 px margin on each side.
assert (width, height) == (1024, 1024), (width, height)
white = reddish = bluish = dark = 0
for line in rows:
    for x in range(0, stride, channels):
        r, g, b = line[x], line[x + 1], line[x + 2]
        if r > 245 and g > 245 and b > 245:
            white += 1
        elif r > b + 40:
            reddish += 1           # dots
        elif b > r + 20:
            bluish += 1            # edges, and the hull
        if r < 110 and b > r:
            dark += 1              # the hull's dark line
total = width * height
print("pixels: %d white, %d dots, %d edges, %d dark" % (white, reddish, bluish, dark))
assert white < 0.9 * total, "the picture is almost empty"
assert reddish > 0.01 * total and bluish > 0.05 * total, "dots or edges are missing"
assert dark > 2 * 1000, "the hull is missing"
print("picture ok: %dx%d" % (width, height))
PY
