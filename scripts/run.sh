#!/usr/bin/env bash
# Builds the delaunay2d library and its command-line program, then
# triangulates a generated sample and prints a summary of the mesh.
#
#   bash scripts/run.sh [delaunay2d-triangulate options]
#
# e.g. bash scripts/run.sh --n 1000000 --dist clusters
# Installs the build tools with apt-get when they are missing.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/release"

missing=()
for tool in cmake make gcc g++; do
  command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
if ((${#missing[@]} > 0)); then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "Installing the build tools (missing: ${missing[*]})"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y cmake make gcc g++
fi

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DDELAUNAY2D_TESTS=OFF -DDELAUNAY2D_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target delaunay2d-triangulate
"$build/delaunay2d-triangulate" "$@"
