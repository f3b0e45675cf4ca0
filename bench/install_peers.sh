#!/bin/sh
# Installs the benchmark's yardsticks on Debian: CGAL (libcgal-dev, main)
# and Triangle (libtriangle-dev and triangle-bin, in the non-free
# component, which this adds in a sources file of its own when apt does not
# see it yet). For the benchmarks and as the tests' oracles only: the
# library, its program and its packages use neither. scripts/test.sh
# installs Triangle's program alone this way, to compare refined meshes and
# the delaunay2d.triangle module with it.
#
#   sudo bench/install_peers.sh                # as root: all three
#   sudo bench/install_peers.sh triangle-bin   # only the packages named
#   bench/install_peers.sh -n                  # print the commands, change nothing
set -eu

run=""
if [ "${1:-}" = "-n" ]; then
    run="echo"
    shift
elif [ "$(id -u)" -ne 0 ]; then
    echo "install_peers.sh: run as root (or with -n to see what it would do)" >&2
    exit 2
fi

if [ ! -r /etc/os-release ] || ! grep -q '^ID=debian' /etc/os-release; then
    echo "install_peers.sh: written for Debian; install CGAL and Triangle by other means" >&2
    exit 2
fi
# shellcheck source=/dev/null
. /etc/os-release
sources=/etc/apt/sources.list.d/delaunay2d-bench-non-free.sources

# Triangle has an install candidate once some source lists non-free.
has_triangle() {
    apt-cache policy libtriangle-dev 2>/dev/null | grep -q 'Candidate: [0-9]'
}

if ! has_triangle; then
    $run apt-get update
fi
if ! has_triangle && [ ! -e "$sources" ]; then
    body="Types: deb
URIs: http://deb.debian.org/debian
Suites: ${VERSION_CODENAME}
Components: non-free
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg"
    if [ -n "$run" ]; then
        printf 'would write %s:\n%s\n' "$sources" "$body"
    else
        printf '%s\n' "$body" >"$sources"
    fi
    $run apt-get update
fi
if [ "$#" -eq 0 ]; then
    set -- libcgal-dev libtriangle-dev triangle-bin
fi
DEBIAN_FRONTEND=noninteractive $run apt-get install -y --no-install-recommends "$@"
