#!/usr/bin/env bash
# Builds the delaunay2d library and its command-line program, then
# triangulates the bundled sample (data/terrain_survey.csv, a survey of
# 3,183 points), prints a summary and draws the mesh as an SVG picture.
#
#   bash scripts/run.sh                # the sample, to build/release/terrain_survey.svg
#   bash scripts/run.sh [ARGS...]      # the program with your own arguments, e.g.
#   bash scripts/run.sh points.csv -o mesh.ele
#   bash scripts/run.sh --generate clusters --n 1000000
#
# Installs the build tools and libraries with apt-get when they are missing.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/release"

packages=(cmake make gcc g++ libcli11-dev libfast-float-dev)
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
"$program" "$sample" -o "$picture" --verbose 2>&1
