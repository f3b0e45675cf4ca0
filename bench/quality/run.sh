#!/bin/sh
# Configures a release build of the benchmark (warnings as errors), builds
# delaunay2d-bench-quality and runs it; arguments go to the program.
# Triangle and CGAL join where they are installed (bench/install_peers.sh).
#
#   bench/quality/run.sh                  # full size, 120 s per process
#   BUILD=build/other bench/quality/run.sh 0.1 --cases holes30,fan
exec "$(dirname "$0")/../build_and_run.sh" delaunay2d-bench-quality "$@"
