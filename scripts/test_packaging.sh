#!/usr/bin/env bash
# Tests every way of using delaunay2d from outside this repository, the way
# its users do:
#
#   1. cmake --install into a temporary prefix; consumer projects built
#      against it with find_package and with pkg-config (and one that adds
#      the source tree with add_subdirectory), and run;
#   2. the Debian package (cpack -G DEB): its contents, its control fields,
#      and a consumer built against the unpacked files;
#   3. the Windows ZIP (cpack -G ZIP in the MinGW build), when that build
#      is there: the DLL, its import library and the two headers;
#   4. the Python package, installed with pip into a virtual environment
#      (offline), imported and tested with pytest from another folder;
#   5. the C# binding and example, compiled with mcs and run with mono
#      against the installed library; doc/csharp.md shows Example.cs and
#      the README shows tests/hosts/index_array_host.c, verbatim.
#
#   bash scripts/test_packaging.sh
#
# Environment: BUILD_DIR, a configured and built tree to install from
# (default build/ci); WINDOWS_BUILD_DIR, the MinGW build (default
# build/windows; skipped when absent); JOBS (default 2); PYTHON, the system
# python3 with numpy, scipy and pytest (default /usr/bin/python3).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/${BUILD_DIR:-build/ci}"
windows_build="$root/${WINDOWS_BUILD_DIR:-build/windows}"
jobs="${JOBS:-2}"
python="${PYTHON:-/usr/bin/python3}"
version="$(sed -n 's/^project(delaunay2d VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
[[ -n $version ]] || { echo "FAILED: no version in CMakeLists.txt" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

step() {
  echo
  echo "== $*"
}

# Runs a consumer program and checks the line it prints.
run_consumer() {
  local output
  output="$("$@")" || fail "$* exited with status $?"
  echo "$output"
  [[ $output == "delaunay2d $version: 4 triangles, 4 hull points" ]] || fail "$*: unexpected output"
}

# The installed program: the command-line tool (delaunay2d), or the sample
# triangulator it replaces.
run_program() {
  local bin=$1
  if [[ -x $bin/delaunay2d ]]; then
    "$bin/delaunay2d" --version
  elif [[ -x $bin/delaunay2d-triangulate ]]; then
    "$bin/delaunay2d-triangulate" --n 1000 > /dev/null
  else
    fail "no program installed in $bin"
  fi
}

# ------------------------------------------------------------------ install
step "cmake --install into a temporary prefix"
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" > /dev/null
libdir="$(cd "$prefix" && dirname "$(find . -name 'libdelaunay2d.so' | head -n 1)")"
for file in include/delaunay2d.h include/delaunay2d_traced.h "$libdir/libdelaunay2d.so.${version%%.*}" "$libdir/cmake/delaunay2d/delaunay2dConfig.cmake" \
            "$libdir/cmake/delaunay2d/delaunay2dConfigVersion.cmake" "$libdir/pkgconfig/delaunay2d.pc"; do
  [[ -e $prefix/$file ]] || fail "not installed: $file"
done
run_program "$prefix/bin"
cp -r "$root/tests/install" "$work/consumers"

step "consumer with find_package(delaunay2d 1.0 CONFIG)"
cmake -S "$work/consumers/find_package" -B "$work/find_package" -DCMAKE_PREFIX_PATH="$prefix" > /dev/null
cmake --build "$work/find_package" > /dev/null
run_consumer "$work/find_package/consumer"
if cmake -S "$work/consumers/find_package" -B "$work/find_package_2" -DCMAKE_PREFIX_PATH="$prefix" \
     -DDELAUNAY2D_WANTED_VERSION=2.0 > /dev/null 2>&1; then
  fail "find_package(delaunay2d 2.0) accepted version $version"
fi
echo "find_package(delaunay2d 2.0) refused, as it should be"

step "consumer with pkg-config"
PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig" make -s -C "$work/consumers/pkg_config"
run_consumer "$work/consumers/pkg_config/consumer"

step "the C programs of doc/*.md, with -Wall -Wextra -Werror against the installed library"
"$python" - "$root" "$work/doc_c" <<'EOF'
import glob, os, re, sys
os.makedirs(sys.argv[2])
for page in sorted(glob.glob(os.path.join(sys.argv[1], "doc", "*.md"))):
    with open(page, encoding="utf-8") as f:
        blocks = [b for b in re.findall(r"```c\n(.*?)```", f.read(), re.S) if "int main(" in b]
    for k, block in enumerate(blocks):
        name = "{}_{}.c".format(os.path.basename(page)[:-3], k)
        with open(os.path.join(sys.argv[2], name), "w", encoding="utf-8") as out:
            out.write(block)
EOF
doc_programs=("$work"/doc_c/*.c)
[[ ${#doc_programs[@]} -ge 2 && -e ${doc_programs[0]} ]] || fail "no C program found in doc/*.md"
for source in "${doc_programs[@]}"; do
  # shellcheck disable=SC2046
  cc -std=c11 -Wall -Wextra -Wpedantic -Werror "$source" -o "${source%.c}" \
    $(PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig" pkg-config --cflags --libs delaunay2d) -lm \
    || fail "$(basename "$source") (a C block of doc/) does not compile cleanly"
  LD_LIBRARY_PATH="$prefix/$libdir" "${source%.c}" || fail "$(basename "$source") (a C block of doc/) failed"
done

step "consumer with add_subdirectory (no tests, no test dependencies)"
cmake -S "$work/consumers/add_subdirectory" -B "$work/add_subdirectory" -DDELAUNAY2D_SOURCE_DIR="$root" > /dev/null
cmake --build "$work/add_subdirectory" --target consumer -j "$jobs" > /dev/null
run_consumer "$work/add_subdirectory/consumer"

# ----------------------------------------------------------- Debian package
step "Debian package (cpack -G DEB)"
deb_build="$root/build/ci-deb"
cmake -S "$root" -B "$deb_build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DDELAUNAY2D_TESTS=OFF -DDELAUNAY2D_BENCH=OFF -DDELAUNAY2D_WERROR=ON > /dev/null
cmake --build "$deb_build" -j "$jobs" > /dev/null
rm -f "$deb_build"/*.deb
(cd "$deb_build" && cpack -G DEB > /dev/null)
deb="$(ls "$deb_build"/delaunay2d_"$version"_*.deb)"
dpkg-deb -c "$deb" | tee "$work/deb-contents"
multiarch="lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)"
for path in "./usr/$multiarch/libdelaunay2d.so.$version" "./usr/$multiarch/libdelaunay2d.so.${version%%.*} ->" \
            "./usr/$multiarch/libdelaunay2d.so ->" ./usr/include/delaunay2d.h ./usr/include/delaunay2d_traced.h \
            "./usr/$multiarch/cmake/delaunay2d/delaunay2dConfig.cmake" \
            "./usr/$multiarch/cmake/delaunay2d/delaunay2dConfigVersion.cmake" \
            "./usr/$multiarch/cmake/delaunay2d/delaunay2dTargets.cmake" \
            "./usr/$multiarch/pkgconfig/delaunay2d.pc" ./usr/share/doc/delaunay2d/LICENSE; do
  grep -qF " $path" "$work/deb-contents" || fail "the package lacks $path"
done
grep -qE ' \./usr/bin/delaunay2d(-triangulate)?$' "$work/deb-contents" || fail "the package lacks the program"
dpkg-deb -f "$deb" Package Version Depends | tee "$work/deb-fields"
grep -q "^Version: $version$" "$work/deb-fields" || fail "package version"
grep -q "^Depends: .*libc6" "$work/deb-fields" || fail "package dependencies"
# GDAL and librsvg are the format module's, in a package of its own that the
# main one only recommends: the program runs without them.
if grep -qiE "gdal|rsvg|cairo" "$work/deb-fields"; then fail "the main package depends on the format module's libraries"; fi
dpkg-deb -c "$deb" | grep -q "libdelaunay2d_formats" && fail "the format module is in the main package"
formats_deb="$deb_build/delaunay2d-formats_${version}_$(dpkg --print-architecture).deb"
if [[ -f $deb_build/tools/libdelaunay2d_formats.so ]]; then
  [[ -f $formats_deb ]] || fail "no delaunay2d-formats package beside the main one"
  dpkg-deb -f "$deb" Recommends | grep -qx "delaunay2d-formats (= $version)" || fail "the main package does not recommend delaunay2d-formats"
  dpkg-deb -f "$formats_deb" Depends | tee "$work/formats-fields"
  grep -q "delaunay2d (= $version)" "$work/formats-fields" || fail "delaunay2d-formats does not depend on delaunay2d"
  dpkg-deb -c "$formats_deb" | grep -q "/delaunay2d/libdelaunay2d_formats.so$" || fail "delaunay2d-formats lacks the module"
fi
dpkg-deb -e "$deb" "$work/deb-control"
grep -qx "libdelaunay2d ${version%%.*} delaunay2d (>= $version)" "$work/deb-control/shlibs" || fail "the shlibs file"
unpacked="$work/deb-root"
dpkg-deb -x "$deb" "$unpacked"
# Without the module, text input and output still work.
printf '0 0\n1 0\n0 1\n1 1\n' > "$work/square.txt"
"$unpacked/usr/bin/delaunay2d" "$work/square.txt" -o "$work/square.ele" || fail "the program without its format module"
grep -qx 'prefix=/usr' "$unpacked/usr/$multiarch/pkgconfig/delaunay2d.pc" || fail "the pkg-config file's prefix is not /usr"
run_program "$unpacked/usr/bin"
cmake -S "$work/consumers/find_package" -B "$work/deb_consumer" -DCMAKE_PREFIX_PATH="$unpacked/usr" > /dev/null
cmake --build "$work/deb_consumer" > /dev/null
run_consumer "$work/deb_consumer/consumer"

# -------------------------------------------------------------- Windows ZIP
if [[ -f $windows_build/CMakeCache.txt ]]; then
  step "Windows ZIP (cpack -G ZIP in the MinGW build)"
  cmake --build "$windows_build" --target delaunay2d -j "$jobs" > /dev/null
  rm -f "$windows_build"/*.zip
  (cd "$windows_build" && cpack -G ZIP > /dev/null)
  zip="$(ls "$windows_build"/delaunay2d-"$version"-*.zip)"
  "$python" -m zipfile -l "$zip" | tee "$work/zip-contents"
  for path in bin/delaunay2d.dll lib/libdelaunay2d.dll.a include/delaunay2d.h include/delaunay2d_traced.h; do
    grep -qE "^delaunay2d-$version-[^/ ]*/$path " "$work/zip-contents" || fail "the ZIP lacks $path"
  done
  "$python" - "$zip" <<'EOF'
import sys, zipfile
archive = zipfile.ZipFile(sys.argv[1])
pc = next(name for name in archive.namelist() if name.endswith("/delaunay2d.pc"))
first = archive.read(pc).decode().splitlines()[0]
assert first == "prefix=${pcfiledir}/../..", "the ZIP's pkg-config file is not relocatable: " + first
print("the ZIP's pkg-config file finds its prefix relative to itself")
EOF
else
  step "Windows ZIP: skipped, no MinGW build in $windows_build"
fi

# ------------------------------------------------------------------- Python
step "Python package: pip install --no-build-isolation into a virtual environment, offline"
venv="$work/venv"
"$python" -m venv --system-site-packages "$venv"
CMAKE_BUILD_PARALLEL_LEVEL="$jobs" "$venv/bin/python" -m pip install --no-index --no-build-isolation \
  --disable-pip-version-check -q "$root/bindings/python"
(
  cd "$work"  # away from the repository: the installed package, no PYTHONPATH
  unset DELAUNAY2D_LIBRARY PYTHONPATH
  "$venv/bin/python" - "$venv" <<'EOF'
import os, sys
import delaunay2d
venv = os.path.realpath(sys.argv[1])
for path in (delaunay2d.__file__, delaunay2d.library_path()):
    assert os.path.realpath(path).startswith(venv + os.sep), path + " is not the installed package's"
tri = delaunay2d.triangulate([(0, 0), (2, 0), (2, 2), (0, 2), (1, 1)])
print("import delaunay2d from", os.path.dirname(delaunay2d.__file__), "->", tri)
EOF
  "$venv/bin/python" -m pytest -q -p no:cacheprovider "$root/tests/python/test_triangulate.py"
)

# ----------------------------------------------------------------------- C#
step "C#: binding and example compiled with mcs, run with mono on the installed library"
csharp="$work/csharp"
mkdir -p "$csharp"
mcs -langversion:7 -warnaserror+ -out:"$csharp/example.exe" \
  "$root/bindings/csharp/Delaunay2D.cs" "$root/bindings/csharp/Example.cs"
mcs -langversion:7 -warnaserror+ -out:"$csharp/binding_tests.exe" \
  "$root/bindings/csharp/Delaunay2D.cs" "$root/tests/csharp/BindingTests.cs"
example_output="$(LD_LIBRARY_PATH="$prefix/$libdir" mono "$csharp/example.exe")" || fail "the C# example failed"
echo "$example_output"
[[ $(head -n 1 <<< "$example_output") == "delaunay2d $version: 4 triangles" ]] || fail "C# example: first line"
grep -qE '^hull: [0-3] [0-3] [0-3] [0-3]$' <<< "$example_output" || fail "C# example: hull"
grep -q '^refused: ' <<< "$example_output" || fail "C# example: the refused call"
LD_LIBRARY_PATH="$prefix/$libdir" mono "$csharp/binding_tests.exe"
"$python" - "$root" <<'EOF'
import os, re, sys
def text(path):
    with open(os.path.join(sys.argv[1], path), encoding="utf-8") as f:
        return f.read()
# Each page, its fenced language, and the file its block must be (a leading
# comment line of the file, which names the page, is not shown).
for page, language, source in (("doc/csharp.md", "csharp", "bindings/csharp/Example.cs"),
                               ("README.md", "c", "tests/hosts/index_array_host.c")):
    shown = text(source)
    if shown.startswith("/*"):
        shown = shown.split("\n", 1)[1]
    blocks = re.findall(r"```" + language + r"\n(.*?)```", text(page), re.S)
    assert shown in blocks, page + ": its example is not " + source
    print(page + " shows " + source + " verbatim")
EOF

step "packaging: all checks passed"
