#!/bin/sh
# Configures a release build of the benchmarks (warnings as errors), builds
# one benchmark program, prints the machine it runs on, and runs it; the
# run.sh of each benchmark calls this with its target.
#
#   bench/build_and_run.sh TARGET [ARGUMENTS...]   # BUILD=folder to build elsewhere
set -eu
target=$1
shift
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build/bench}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DDELAUNAY2D_TESTS=OFF -DDELAUNAY2D_WERROR=ON >/dev/null
cmake --build "$build" -j2 --target "$target" >/dev/null
uname -m -r
grep -m1 'model name' /proc/cpuinfo || true
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
exec "$build/bench/$target" "$@"
