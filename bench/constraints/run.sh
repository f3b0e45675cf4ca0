#!/bin/sh
# Configures a release build of the benchmark (warnings as errors), builds
# delaunay2d-bench-constraints and runs it; arguments go to the program.
# Triangle and CGAL join where they are installed (bench/install_peers.sh).
#
#   bench/constraints/run.sh                  # full size, 60 s per process
#   BUILD=build/other bench/constraints/run.sh 0.1 --cases c,sweep
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD:-$root/build/bench}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DDELAUNAY2D_TESTS=OFF -DDELAUNAY2D_WERROR=ON >/dev/null
cmake --build "$build" -j2 --target delaunay2d-bench-constraints >/dev/null
uname -m -r
grep -m1 'model name' /proc/cpuinfo || true
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
exec "$build/bench/delaunay2d-bench-constraints" "$@"
