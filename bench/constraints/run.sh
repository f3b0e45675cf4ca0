#!/bin/sh
# Configures a release build of the benchmark (warnings as errors), builds
# delaunay2d-bench-constraints and runs it; arguments go to the program.
# Triangle and CGAL join where they are installed (bench/install_peers.sh).
#
#   bench/constraints/run.sh                  # full size, 60 s per process
#   BUILD=build/other bench/constraints/run.sh 0.1 --cases c,sweep
exec "$(dirname "$0")/../build_and_run.sh" delaunay2d-bench-constraints "$@"
