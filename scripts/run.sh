#!/usr/bin/env bash
# Builds the delaunay2d library and its command-line program, then
# triangulates the bundled sample (data/terrain_survey.csv, a survey of
# 3,183 points with elevations), prints a summary, draws the mesh shaded by
# elevation (SVG and PNG) and writes a 5-metre DEM of it as a GeoTIFF.
#
#   bash scripts/run.sh                # the sample, to build/release/terrain_survey.{svg,png,tif}
#   bash scripts/run.sh [ARGS...]      # the program with your own arguments, e.g.
#   bash scripts/run.sh points.csv -o mesh.ele
#   bash scripts/run.sh --generate clusters --n 1000000
#
# Installs the build tools and libraries with apt-get when they are missing.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/release"

packages=(cmake make gcc g++ libcli11-dev libfast-float-dev libgdal-dev librsvg2-dev pkg-config)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if ((${#missing[@]} > 0)); then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "Installing what the build needs (missing: ${missing[*]})"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
fi

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DDELAUNAY2D_TESTS=OFF -DDELAUNAY2D_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target delaunay2d_cli
program="$build/tools/delaunay2d"

if (($# > 0)); then
  exec "$program" "$@"
fi
sample="$root/data/terrain_survey.csv"
picture="$build/terrain_survey.svg"
dem="$build/terrain_survey.tif"
"$program" "$sample" -o "$picture" --png --title "Terrain survey of a river valley" --verbose 2>&1
# The survey is synthetic, on a UTM-like grid; zone 33N is recorded so that
# GIS tools place the DEM somewhere (change it for a survey of your own).
"$program" "$sample" -o "$dem" --cell 5 --crs EPSG:32633
echo "DEM (5 m cells, EPSG:32633) written to $dem"
