#!/usr/bin/env bash
# Builds delaunay2d.dll for 64-bit Windows with MinGW-w64 and tests it the way
# a Windows application uses it, under wine:
#
#   1. cross-builds the DLL and the host program windows_host.exe;
#   2. checks that the DLL imports nothing but Windows system DLLs;
#   3. checks that its export table names exactly the library's operations;
#   4. builds the library and the same host program natively;
#   5. runs every host case under wine and natively, and compares the trace
#      bytes on standard output and the exit codes of the two builds.
#
# Needs: cmake, a native C/C++ compiler, g++-mingw-w64-x86-64 and wine64
# (Debian: apt-get install -y g++-mingw-w64-x86-64 wine64). No display is
# needed. A missing tool or a wine that cannot start is a failure, never a
# skip.
#
# Environment: BUILD_DIR (cross build, default build-win), NATIVE_BUILD_DIR
# (default build-win-native), both relative to the repository root; WINE
# (the wine launcher, default: /usr/lib/wine/wine64, then wine64 or wine on
# PATH); JOBS (default 2).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
build=$root/${BUILD_DIR:-build-win}
native=$root/${NATIVE_BUILD_DIR:-build-win-native}
jobs=${JOBS:-2}
mingw=x86_64-w64-mingw32
work=$build/windows-tests

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

step() {
  echo "== $*"
}

# ------------------------------------------------------------------ tools
for tool in cmake cc "$mingw-gcc" "$mingw-g++" "$mingw-objdump" perl; do
  command -v "$tool" > /dev/null || fail "$tool not found (apt-get install -y g++-mingw-w64-x86-64 wine64 cmake)"
done
wine=${WINE:-}
if [[ -z $wine ]]; then
  for candidate in /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
    if [[ -n $candidate && -x $candidate ]]; then
      wine=$candidate
      break
    fi
  done
fi
[[ -n $wine && -x $wine ]] || fail "no wine launcher found (apt-get install -y wine64)"
wineserver=""
for candidate in "$(dirname "$wine")/wineserver" "$(dirname "$wine")/wineserver64" "$(command -v wineserver || true)"; do
  if [[ -n $candidate && -x $candidate ]]; then
    wineserver=$candidate
    break
  fi
done

# ------------------------------------------------------------ cross build
step "cross-building delaunay2d.dll and windows_host.exe in $build"
mkdir -p "$build" "$native"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DDELAUNAY2D_WERROR=ON > "$build/configure.log" 2>&1 || {
  cat "$build/configure.log" >&2
  fail "cross configure"
}
cmake --build "$build" --target delaunay2d windows_host -j "$jobs"
dll=$build/delaunay2d.dll
exe=$build/windows_host.exe
[[ -f $dll ]] || fail "$dll was not built"
[[ -f $exe ]] || fail "$exe was not built"
mkdir -p "$work"

# ------------------------------------------------------------------ imports
step "DLL imports"
for binary in "$dll" "$exe"; do
  imports=$("$mingw-objdump" -p "$binary" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p')
  [[ -n $imports ]] || fail "no import table found in $binary"
  while read -r name; do
    lower=${name,,}
    case $lower in
      kernel32.dll | msvcrt.dll | ucrtbase.dll | api-ms-win-crt-*.dll) ;;
      *) fail "$(basename "$binary") imports $name, which Windows does not ship" ;;
    esac
  done <<< "$imports"
  echo "$(basename "$binary"): $(echo $imports)"
done

# ------------------------------------------------------------ export table
step "DLL export table"
"$root/tests/windows/check_dll_exports.sh" "$dll" "$work"

# ----------------------------------------------------------- native build
step "building the library and the host natively in $native"
cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Release -DDELAUNAY2D_TESTS=OFF -DDELAUNAY2D_BENCH=OFF \
  > "$native/configure.log" 2>&1 || {
  cat "$native/configure.log" >&2
  fail "native configure"
}
cmake --build "$native" --target delaunay2d -j "$jobs"
so=$native/libdelaunay2d.so
[[ -f $so ]] || fail "$so was not built"
cc -std=c11 -O2 -Wall -Wextra -Wpedantic -Werror -I"$root/include" -I"$root/tests" \
  "$root/tests/windows/windows_host.c" -o "$native/windows_host" -ldl
host=$native/windows_host

# ------------------------------------------------------------------- wine
export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
# No Mono or Gecko installation prompts when the prefix is created.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
if [[ -n $wineserver ]]; then
  trap '"$wineserver" -k > /dev/null 2>&1 || true' EXIT
fi

# Runs the Windows host; stdout to $1, stderr (with wine's own messages) to
# $1.err; returns the exit status seen here.
run_wine() {
  local out=$1
  shift
  (cd "$build" && "$wine" "$exe" "$@" > "$out" 2> "$out.err")
}

# glibc keeps freed blocks in per-thread caches that its heap statistics
# count as in use; without them the host's heap check is exact.
run_native() {
  local out=$1
  shift
  GLIBC_TUNABLES=glibc.malloc.tcache_count=0 "$host" "$@" "$so" > "$out" 2> "$out.err"
}

show() {
  echo "--- $1" >&2
  tail -n 20 "$1" >&2 || true
}

step "starting wine ($wine, prefix $WINEPREFIX)"
status=0
run_wine "$work/usage.out" || status=$?
if [[ $status -ne 2 ]] || ! grep -q '^usage: windows_host' "$work/usage.out.err"; then
  show "$work/usage.out.err"
  fail "wine cannot run Windows programs here (windows_host.exe without arguments gave status $status)"
fi

# The library's stdout in text mode (as a Windows host sees it by default)
# ends every line with CR LF; with stdout in binary mode the bytes must be
# exactly those of the Linux build.
expected_three=$work/three.expected
printf '%s\n' \
  '    point: {x: 0.000000, y: 3.000000, z: 0.000000 - 3.000000}' \
  '    point: {x: 0.000000, y: 0.000000, z: 0.000000 - 0.000000}' \
  '    point: {x: 3.000000, y: 0.000000, z: 3.000000 - 6.000000}' \
  'create mesh, Mesh2D.length: 1, beg: 0, end: 3' > "$expected_three.once"
# Every mesh case calls the library twice on the same input.
cat "$expected_three.once" "$expected_three.once" > "$expected_three"

for case in three thousand list large triangulate; do
  step "case $case"
  status=0
  run_native "$work/$case.native" "$case" || status=$?
  [[ $status -eq 0 ]] || { show "$work/$case.native.err"; fail "$case: native host exited with $status"; }
  status=0
  run_wine "$work/$case.wine" "$case" --binary-stdout || status=$?
  [[ $status -eq 0 ]] || { show "$work/$case.wine.err"; fail "$case: Windows host exited with $status"; }
  status=0
  run_wine "$work/$case.wine-text" "$case" || status=$?
  [[ $status -eq 0 ]] || { show "$work/$case.wine-text.err"; fail "$case: Windows host (text mode) exited with $status"; }
  [[ -s $work/$case.native ]] || fail "$case: the native build printed no trace"
  cmp "$work/$case.native" "$work/$case.wine" ||
    fail "$case: trace bytes differ between Linux ($work/$case.native) and Windows ($work/$case.wine)"
  perl -pe 's/\n/\r\n/' "$work/$case.native" > "$work/$case.native-crlf"
  cmp "$work/$case.native-crlf" "$work/$case.wine-text" ||
    fail "$case: text-mode trace of the Windows build is not the Linux trace with CR LF line ends"
  echo "$case: checks passed on both builds; $(wc -l < "$work/$case.native") identical trace lines"
done
cmp "$expected_three" "$work/three.native" || fail "three: unexpected trace"$'\n'"$(diff "$expected_three" "$work/three.native")"
cmp "$work/thousand.native" "$work/list.native" || fail "list: trace differs from create_mesh_2d on the same points"
points=$(grep -c '^    point: ' "$work/thousand.native" || true)
[[ $points -eq 2000 ]] || fail "thousand: $points point lines instead of 2 x 1000"

step "case two (fatal: too few points)"
printf 'length is not enough' > "$work/two.expected"
status=0
run_native "$work/two.native" two || status=$?
[[ $status -eq 255 ]] || { show "$work/two.native.err"; fail "two: native exit status $status, expected 255 (-1)"; }
cmp "$work/two.expected" "$work/two.native" || fail "two: native output is not exactly \"length is not enough\""
status=0
run_wine "$work/two.wine" two || status=$?
[[ $status -eq 255 ]] || { show "$work/two.wine.err"; fail "two: exit status under wine $status, expected 255 (-1)"; }
cmp "$work/two.expected" "$work/two.wine" || fail "two: Windows output is not exactly \"length is not enough\""
echo "two: \"length is not enough\" and status 255 on both builds"

step "case fatal (exit code as the system reports it to a parent process)"
status=0
run_native "$work/fatal.native" fatal || status=$?
[[ $status -eq 0 ]] || { show "$work/fatal.native.err"; fail "fatal: native check failed"; }
status=0
run_wine "$work/fatal.wine" fatal || status=$?
[[ $status -eq 0 ]] || { show "$work/fatal.wine.err"; fail "fatal: GetExitCodeProcess check failed under wine"; }
echo "fatal: the child's exit code is 0xFFFFFFFF under Windows and 255 under Linux"

echo "Windows DLL tests passed"
