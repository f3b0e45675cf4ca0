#!/usr/bin/env bash
# Builds delaunay2d and runs every test twice: once built with warnings as
# errors, once built with AddressSanitizer and UndefinedBehaviorSanitizer
# (any report stops the test that raised it); then runs the tests of the
# two-thread triangulation built with ThreadSanitizer. Between the two, it
# tests the installed library, the packages and the bindings
# (scripts/test_packaging.sh) and the JavaScript package in headless
# Chromium (bindings/js/test.sh). Installs the packages it needs
# with apt-get first when some are missing: about 2.5 GB on a bare Debian
# machine, 1.5 GB of it MinGW-w64 and wine for the Windows DLL. Run as root,
# or as a user with sudo rights when packages have to be installed. A whole
# run takes about 20 minutes on 2 cores.
#
#   bash scripts/test.sh
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs=2

packages=(cmake make gcc g++ libgtest-dev libbenchmark-dev libgmp-dev python3 binutils)
# The command-line program: option parsing, number parsing, GeoTIFF through
# GDAL, PNG through librsvg; and the readers its tests check the outputs
# with (rsvg-convert; GDAL's Python bindings for rasters and GeoJSON;
# meshio for .vtu and .msh).
packages+=(libcli11-dev libfast-float-dev librsvg2-bin libgdal-dev librsvg2-dev gdal-bin python3-gdal python3-meshio)
# Consumers (pkg-config), the Debian package (dpkg-shlibdeps, file), the
# Python package and its tests, the C# binding (mcs, mono).
packages+=(pkg-config dpkg-dev file python3-venv python3-pip python3-setuptools python3-wheel
           python3-numpy python3-scipy python3-pytest mono-mcs mono-runtime)
# scipy's voronoi_plot_2d, which a Python test hands the package's Voronoi
# to, draws with matplotlib (tests only; the package never imports it).
packages+=(python3-matplotlib)
# delaunay2d.dask's tiled DEMs and its tests (a two-worker LocalCluster, the
# GeoTIFF written through rioxarray).
packages+=(python3-dask python3-distributed python3-xarray python3-rioxarray)
# The Windows DLL is cross-built with MinGW-w64 and its host tests run under wine.
packages+=(g++-mingw-w64-x86-64 wine64)
# The JavaScript package: emscripten builds the WebAssembly module, Node runs
# its tests, npm installs the test tools (delaunator, playwright-core) from
# the registry, and Chromium runs the page. A Node that brings its own npm
# (not Debian's) needs no npm package.
packages+=(emscripten nodejs chromium)
if ! command -v npm >/dev/null 2>&1; then packages+=(npm); fi

install_missing_packages() {
  local missing=()
  local package
  for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
  if ((${#missing[@]} == 0)); then
    return
  fi
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "== installing: ${missing[*]}"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
}

section() {
  echo
  echo "== $*"
}

install_missing_packages
# Triangle's program, the oracle that refined meshes' triangle counts and the
# delaunay2d.triangle module are compared with (tests only). It is in
# Debian's non-free component, which bench/install_peers.sh adds in a
# sources file of its own.
if ! command -v triangle >/dev/null 2>&1; then
  if [ "$(id -u)" -ne 0 ]; then sudo sh "$root/bench/install_peers.sh" triangle-bin
  else sh "$root/bench/install_peers.sh" triangle-bin; fi
fi

section "plain build, warnings as errors"
plain="$root/build/ci"
cmake -S "$root" -B "$plain" -DCMAKE_BUILD_TYPE=Release -DDELAUNAY2D_WERROR=ON
cmake --build "$plain" -j"$jobs"
section "tests, plain build"
(cd "$plain" && ctest --output-on-failure -j"$jobs")

section "Windows DLL: cross-build, export table, host tests under wine"
BUILD_DIR=build/windows NATIVE_BUILD_DIR=build/windows-native JOBS="$jobs" \
  bash "$root/tests/windows/run_windows_tests.sh"

section "install, consumers, Debian package, Windows ZIP, Python and C# packages"
BUILD_DIR=build/ci WINDOWS_BUILD_DIR=build/windows JOBS="$jobs" bash "$root/scripts/test_packaging.sh"

section "JavaScript package: WebAssembly build, Node tests, headless Chromium, packed and installed offline"
bash "$root/bindings/js/test.sh"

section "sanitizer build (address, undefined), warnings as errors"
sanitize="$root/build/ci-sanitize"
cmake -S "$root" -B "$sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DDELAUNAY2D_SANITIZE=ON -DDELAUNAY2D_WERROR=ON -DDELAUNAY2D_BENCH=OFF
cmake --build "$sanitize" -j"$jobs"
section "tests, sanitizer build"
(
  cd "$sanitize"
  export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  ctest --output-on-failure -j"$jobs"
)

section "ThreadSanitizer build of the tests, two-thread tests"
tsan="$root/build/ci-tsan"
cmake -S "$root" -B "$tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DDELAUNAY2D_SANITIZE_THREAD=ON -DDELAUNAY2D_WERROR=ON -DDELAUNAY2D_BENCH=OFF
cmake --build "$tsan" -j"$jobs" --target delaunay2d_tests
TSAN_OPTIONS=halt_on_error=1 "$tsan/tests/delaunay2d_tests" \
  --gtest_filter='TwoThreads.*:RunPair.*:EntryPoints.*:Triangulation*:DistinctSplitOrder.*:IndexArrays.*:PageSize.*:Locate.*:Interpolate.*:Voronoi.*:Operations.*'

section "all tests passed"
