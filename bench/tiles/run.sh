#!/bin/sh
# The tiled DEM and TIN within a memory limit: peak resident memory (GNU
# time's "Maximum resident set size") against --memory, and the time, for a
# run over more points than the limit holds at once; the one-pass run of
# the same input for comparison. Measured, not asserted. GDAL, loaded for
# the GeoTIFF, adds some 60 MB of its own to any run that writes one.
#
#   bench/tiles/run.sh                       # 3 million points, --memory 64M
#   POINTS=1000000 MEMORY=32M bench/tiles/run.sh
#   PROGRAM=build/tools/delaunay2d bench/tiles/run.sh
set -eu
here=$(cd "$(dirname "$0")" && pwd)
PROGRAM=${PROGRAM:-$here/../../build/tools/delaunay2d}
POINTS=${POINTS:-3000000}
MEMORY=${MEMORY:-64M}
CELL=${CELL:-0.5}
work=$(mktemp -d "${TMPDIR:-/tmp}/delaunay2d-tiles-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

# Uniform points over a square of side sqrt(POINTS), z a smooth surface.
/usr/bin/python3 - "$POINTS" "$work/points.xyz" <<'PY'
import sys
import numpy as np
n, out = int(sys.argv[1]), sys.argv[2]
rng = np.random.default_rng(1)
side = np.sqrt(n)
xy = rng.uniform(0.0, side, (n, 2))
z = 50.0 + 10.0 * np.sin(xy[:, 0] / 40.0) * np.cos(xy[:, 1] / 30.0)
np.savetxt(out, np.column_stack([xy, z]), fmt="%.6f")
PY
printf '%s points, %s bytes of text\n' "$POINTS" "$(wc -c < "$work/points.xyz")"

measure() {
    label=$1
    shift
    /usr/bin/time -v "$PROGRAM" "$@" 2> "$work/time.txt" > /dev/null || { cat "$work/time.txt"; exit 1; }
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time.txt")
    tiles=$(sed -n 's/^tiles *//p' "$work/time.txt")
    printf '%-28s peak RSS %7.1f MB  wall %8s  %s\n' "$label" "$(echo "$rss / 1024" | bc -l)" "$wall" "$tiles"
}

measure "TIN one pass" "$work/points.xyz" -o "$work/one.ply" -v
measure "TIN --memory $MEMORY" "$work/points.xyz" -o "$work/tiled.ply" --memory "$MEMORY" -v
cmp -s "$work/one.ply" "$work/tiled.ply" && echo "  (the two PLY files are byte for byte equal)" ||
    echo "  (the PLY files differ in bytes: triangle order; tests/cli/tiled_outputs.py compares them as sets)"
measure "DEM one pass" "$work/points.xyz" -o "$work/one.tif" --cell "$CELL" -v
measure "DEM --memory $MEMORY" "$work/points.xyz" -o "$work/tiled.tif" --cell "$CELL" --memory "$MEMORY" -v
# The ASCII grid loads no GDAL: its peak is the tiles' own.
measure "DEM .asc --memory $MEMORY" "$work/points.xyz" -o "$work/tiled.asc" --cell "$CELL" --memory "$MEMORY" -v
