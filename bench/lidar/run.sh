#!/bin/sh
# LiDAR-like LAS files (bench/lidar/make_las.py: flight lines, density
# varying across swaths, lakes as voids, ground and vegetation classes) to a
# 1 m DEM and to a PLY TIN, tile by tile within --memory: wall time, peak
# resident memory (GNU time), and the disk the input and outputs take.
# Measured, not asserted. Each size's LAS file is made once and kept in
# WORK (default: a folder under /tmp removed at the end, unless KEEP=1).
#
#   bench/lidar/run.sh                         # 10^7 points, --memory 1G
#   SIZES="1e8 1e9" MEMORY=1G bench/lidar/run.sh
#   PROGRAM=build/tools/delaunay2d TIN=0 bench/lidar/run.sh
set -eu
here=$(cd "$(dirname "$0")" && pwd)
PROGRAM=${PROGRAM:-$here/../../build/tools/delaunay2d}
SIZES=${SIZES:-1e7}
MEMORY=${MEMORY:-1G}
CELL=${CELL:-1}
TIN=${TIN:-1}
WORK=${WORK:-$(mktemp -d "${TMPDIR:-/tmp}/delaunay2d-lidar.XXXXXX")}
mkdir -p "$WORK"
if [ "${KEEP:-0}" != 1 ]; then trap 'rm -rf "$WORK"' EXIT INT TERM; fi

measure() {
    label=$1
    output=$2
    shift 2
    /usr/bin/time -v "$PROGRAM" "$@" -o "$output" -v 2> "$WORK/time.txt" > /dev/null || { cat "$WORK/time.txt"; exit 1; }
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$WORK/time.txt")
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$WORK/time.txt")
    tiles=$(sed -n 's/^tiles *//p' "$WORK/time.txt")
    printf '  %-24s wall %9s  peak RSS %8.1f MB  output %8.1f MB  %s\n' "$label" "$wall" \
        "$(echo "$rss / 1024" | bc -l)" "$(echo "$(stat -c %s "$output") / 1048576" | bc -l)" "$tiles"
}

for size in $SIZES; do
    las="$WORK/survey-$size.las"
    if [ ! -s "$las" ]; then
        start=$(date +%s)
        /usr/bin/python3 "$here/make_las.py" "$size" "$las"
        echo "made $las in $(( $(date +%s) - start )) s"
    fi
    printf '%s points: LAS %.1f MB, --memory %s\n' "$size" "$(echo "$(stat -c %s "$las") / 1048576" | bc -l)" "$MEMORY"
    measure "DEM ${CELL} m .tif" "$WORK/dem-$size.tif" "$las" --cell "$CELL" --memory "$MEMORY"
    measure "DTM (class 2) .tif" "$WORK/dtm-$size.tif" "$las" --classes 2 --cell "$CELL" --memory "$MEMORY"
    if [ "$TIN" = 1 ]; then
        measure "TIN .ply" "$WORK/tin-$size.ply" "$las" --memory "$MEMORY"
        rm -f "$WORK/tin-$size.ply"
    fi
    rm -f "$WORK/dem-$size.tif" "$WORK/dtm-$size.tif"
done
