#!/bin/sh
# Configures a release build of the benchmark (warnings as errors), builds
# delaunay2d-bench-quality and runs it; arguments go to the program.
# Triangle and CGAL join where they are installed (bench/install_peers.sh).
#
#   bench/quality/run.sh                  # full size, 120 s per process
#   BUILD=build/other bench/quality/run.sh 0.1 --cases holes30,fan
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD:-$root/build/bench}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DDELAUNAY2D_TESTS=OFF -DDELAUNAY2D_WERROR=ON >/dev/null
cmake --build "$build" -j2 --target delaunay2d-bench-quality >/dev/null
uname -m -r
grep -m1 'model name' /proc/cpuinfo || true
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
exec "$build/bench/delaunay2d-bench-quality" "$@"
