#!/usr/bin/env bash
# Builds the package's WebAssembly module with Debian's emscripten and puts
# it beside index.js (bindings/js/delaunay2d.wasm, never committed).
#
#   bash bindings/js/build.sh [build-dir]     (default: build/js)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${1:-$root/build/js}"
# Debian's em++ runs its JavaScript optimiser on Node with Debian's own
# packages (acorn), which Node finds only through NODE_PATH.
export NODE_PATH="${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs"
emcmake cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"${JOBS:-2}"
cp "$build/delaunay2d.wasm" "$here/delaunay2d.wasm.tmp"
mv "$here/delaunay2d.wasm.tmp" "$here/delaunay2d.wasm"
echo "built $here/delaunay2d.wasm ($(stat -c %s "$here/delaunay2d.wasm") bytes)"
